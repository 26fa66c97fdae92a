#include "data/data_file.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/parallel.h"
#include "data/csv.h"
#include "data/load_rows.h"

namespace tarvolen {

namespace load_rows {

std::string_view BeforeNul(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

int StartLoad(GridTable& grid, std::size_t rows, std::size_t last_filled) {
  constexpr std::size_t kMaxRows = std::numeric_limits<int>::max() - 1;
  const int count = static_cast<int>(std::min(rows, kMaxRows));
  grid.SetRowCount(count + 1);
  grid.ClearRowsFrom(count + 1);
  // Room for the rows that get cells, not for the empty lines after them: a file of a billion
  // line ends costs the grid nothing.
  grid.ReserveRows(static_cast<int>(std::min(last_filled, kMaxRows)) + 1);
  return count;
}

void WriteRowNumber(GridTable& grid, int row) {
  char number[16];
  const auto result = std::to_chars(number, number + sizeof number, row);
  grid.SetCell(0, row, std::string(number, result.ptr));
}

}  // namespace load_rows

namespace {

bool IsSeparator(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

struct LineCount {
  std::size_t lines = 0;
  std::size_t last_filled = 0;  // the number of the last line that is not empty; 0 for none
};

// Counts the lines of `text` (which holds no NUL): every line end (CR LF, CR or LF) ends a line,
// and text after the last line end is one more line.
LineCount CountLines(std::string_view text) {
  LineCount count;
  const std::size_t n = text.size();
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r') {
      ++count.lines;
      if (i > line_start) count.last_filled = count.lines;
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      line_start = i + 1;
    }
  }
  if (n > line_start) count.last_filled = ++count.lines;
  return count;
}

template <class Sink>
void SplitTextFields(std::string_view line, Sink&& sink) {
  std::size_t i = 0;
  const std::size_t n = line.size();
  int field = 1;
  std::string text;
  while (true) {
    while (i < n && IsSeparator(line[i])) ++i;
    if (i >= n) break;
    text.clear();
    if (line[i] == '"') {
      ++i;
      while (i < n) {
        if (line[i] == '"') {
          if (i + 1 < n && line[i + 1] == '"') {
            text += '"';
            i += 2;
            continue;
          }
          ++i;  // the closing quote ends the field
          break;
        }
        const std::size_t stop = std::min(line.find('"', i), n);
        text.append(line.substr(i, stop - i));
        i = stop;
      }
    } else {
      const std::size_t start = i;
      while (i < n && !IsSeparator(line[i])) ++i;
      text.assign(line.substr(start, i - start));
    }
    sink(field, std::move(text));  // a field of many megabytes is not copied again
    if (field == std::numeric_limits<int>::max()) break;
    ++field;
  }
}

// A text of this size or more is cut into pieces of kPieceBytes that fill their rows on all cores
// at once; below it the calling thread fills every row, as sharing out costs more than it saves.
constexpr std::size_t kPiecesFrom = std::size_t{1} << 20;
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// Whole lines of the text, filled on whichever thread takes them.
struct Piece {
  std::string_view text;
  LineCount count;            // its lines, the last that is not empty counted within the piece
  std::size_t first_row = 0;  // the row its first line fills
  int written[GridTable::kColCount] = {};  // the last row written in each shown column; 0: none
  // Fields past the shown columns, written once every piece is in: a hidden cell of one row may
  // reshape what holds the others.
  struct HiddenCell {
    int row;
    int col;
    std::string text;
  };
  std::vector<HiddenCell> hidden;
};

// Fills the rows of `piece` up to row `last_row`, as FillGridFromText fills them, into a grid
// whose shown columns store every row the load writes. Fields past the shown columns are kept
// for later: the row's hidden cells are emptied now and written once every piece is in.
void FillPiece(GridTable& grid, Piece& piece, int last_row) {
  const auto last = static_cast<std::size_t>(last_row);
  std::size_t pos = 0;
  for (std::size_t k = 0; k < piece.count.lines && piece.first_row + k <= last; ++k) {
    const int row = static_cast<int>(piece.first_row + k);
    const CsvRecord line = NextLine(piece.text, pos);
    pos = line.next;
    if (!line.content.empty()) piece.written[0] = row;
    load_rows::FillRow(grid, row, line.content.empty(), [&](auto&& sink) {
      SplitTextFields(line.content, [&](int field, std::string&& text) {
        if (field < GridTable::kColCount) {
          piece.written[field] = row;
          sink(field, std::move(text));
        } else {
          piece.hidden.push_back({row, field, std::move(text)});
        }
      });
    });
  }
}

}  // namespace

void FillGridFromTextInPieces(std::string_view bytes, GridTable& grid, std::size_t piece_bytes,
                              const Progress& progress) {
  const std::string_view text = load_rows::BeforeNul(bytes);
  std::vector<Piece> pieces;
  const std::size_t step = std::max<std::size_t>(piece_bytes, 1);
  for (std::size_t begin = 0; begin < text.size();) {
    // A line end is always a safe cut, as no field runs past one.
    const std::size_t end = NextLine(text, std::min(text.size(), begin + step) - 1).next;
    pieces.emplace_back().text = text.substr(begin, end - begin);
    begin = end;
  }
  ParallelFor(pieces.size(), [&](std::size_t i) {
    progress.CheckStop();
    pieces[i].count = CountLines(pieces[i].text);
  });

  std::size_t lines = 0;
  std::size_t last_filled = 0;
  for (Piece& piece : pieces) {
    piece.first_row = lines + 1;
    if (piece.count.last_filled != 0) last_filled = lines + piece.count.last_filled;
    lines += piece.count.lines;
  }
  const int line_count = load_rows::StartLoad(grid, lines, last_filled);
  grid.OwnColumns();
  int kept[GridTable::kColCount];
  const int stored = static_cast<int>(std::min<std::size_t>(last_filled, line_count)) + 1;
  for (int col = 0; col < GridTable::kColCount; ++col) {
    kept[col] = grid.StoredRows(col);
    grid.SetStoredRows(col, std::max(kept[col], stored));
  }

  // Progress is told on this thread only, as the pieces it takes itself end.
  const std::thread::id caller = std::this_thread::get_id();
  std::atomic<std::size_t> rows_done{0};
  if (progress.Observed()) progress.Report(0, static_cast<std::size_t>(line_count));
  ParallelFor(pieces.size(), [&](std::size_t i) {
    progress.CheckStop();
    FillPiece(grid, pieces[i], line_count);
    const std::size_t done = rows_done += pieces[i].count.lines;
    if (progress.Observed() && std::this_thread::get_id() == caller) {
      progress.Report(std::min(done, static_cast<std::size_t>(line_count)),
                      static_cast<std::size_t>(line_count));
    }
  });

  for (int col = 0; col < GridTable::kColCount; ++col) {
    int written = 0;
    for (const Piece& piece : pieces) written = std::max(written, piece.written[col]);
    grid.SetStoredRows(col, written != 0 ? std::max(kept[col], written + 1) : kept[col]);
  }
  for (Piece& piece : pieces) {
    for (Piece::HiddenCell& cell : piece.hidden) {
      grid.SetCell(cell.col, cell.row, std::move(cell.text));
    }
  }
  progress.ReportRow(line_count + 1, line_count);
}

DataFormat DataFormatOfName(std::string_view file_name) {
  return HasExtension(file_name, ".csv") ? DataFormat::kCsv : DataFormat::kText;
}

void SplitTextLine(std::string_view line, const FieldSink& sink) {
  SplitTextFields(line, sink);
}

void FillGridFromText(std::string_view bytes, GridTable& grid, const Progress& progress) {
  const std::string_view text = load_rows::BeforeNul(bytes);
  if (text.size() >= kPiecesFrom && DefaultThreadCount() > 1) {
    FillGridFromTextInPieces(text, grid, kPieceBytes, progress);
    return;
  }
  const LineCount count = CountLines(text);
  const int line_count = load_rows::StartLoad(grid, count.lines, count.last_filled);

  std::size_t pos = 0;
  for (int row = 1; row <= line_count; ++row) {
    progress.ReportRow(row, line_count);
    const CsvRecord line = NextLine(text, pos);
    load_rows::FillRow(grid, row, line.content.empty(),
                       [&line](auto&& sink) { SplitTextFields(line.content, sink); });
    pos = line.next;
  }
  progress.ReportRow(line_count + 1, line_count);
}

void FillGrid(std::string_view bytes, DataFormat format, GridTable& grid,
              const Progress& progress) {
  if (format == DataFormat::kCsv) {
    FillGridFromCsv(bytes, grid, progress);
  } else {
    FillGridFromText(bytes, grid, progress);
  }
}

void LoadDataFile(const std::string& path, GridTable& grid, const Progress& progress) {
  // The text ends at the first NUL: reading stops there too.
  const std::string bytes = ReadFileUntil(path, '\0', progress.Part(0, 0.2));
  progress.CheckStop();
  FillGrid(bytes, DataFormatOfName(path), grid, progress.Part(0.2, 1));
}

}  // namespace tarvolen
