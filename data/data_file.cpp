#include "data/data_file.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "common/file_io.h"

namespace tarvolen {
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

// Splits one line into its fields and writes field j to cell (j, row).
void FillRow(std::string_view line, int row, GridTable& grid) {
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
    grid.SetCell(field, row, std::move(text));  // a field of many megabytes is not copied again
    if (field == std::numeric_limits<int>::max()) break;
    ++field;
  }
}

}  // namespace

void FillGridFromText(std::string_view bytes, GridTable& grid, const Progress& progress) {
  const std::string_view text = bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
  const LineCount count = CountLines(text);
  const int max_rows = std::numeric_limits<int>::max() - 1;
  const int line_count = static_cast<int>(std::min<std::size_t>(count.lines, max_rows));
  grid.SetRowCount(line_count + 1);
  // Room for the rows that get cells, not for the empty lines after them: a file of a billion
  // line ends costs the grid nothing.
  grid.ReserveRows(static_cast<int>(std::min<std::size_t>(count.last_filled, max_rows)) + 1);

  const char* p = text.data();
  const char* const end = p + text.size();
  char number[16];
  constexpr int kChunkLines = 1 << 14;
  const bool observed = progress.Observed();
  for (int row = 1; row <= line_count; ++row) {
    if (observed && row % kChunkLines == 1) {
      progress.Report(static_cast<std::size_t>(row - 1), static_cast<std::size_t>(line_count));
    }
    const char* brk = p;
    while (brk < end && *brk != '\r' && *brk != '\n') ++brk;
    const std::string_view line(p, static_cast<std::size_t>(brk - p));
    if (!line.empty()) {
      const auto result = std::to_chars(number, number + sizeof number, row);
      grid.SetCell(0, row, std::string(number, result.ptr));
      FillRow(line, row, grid);
    }
    p = brk;
    if (p < end) {
      ++p;
      if (*brk == '\r' && p < end && *p == '\n') ++p;
    }
  }
  if (observed) {
    progress.Report(static_cast<std::size_t>(line_count), static_cast<std::size_t>(line_count));
  }
}

void LoadDataFile(const std::string& path, GridTable& grid, const Progress& progress) {
  // The text ends at the first NUL: reading stops there too.
  const std::string bytes = ReadFileUntil(path, '\0');
  progress.CheckStop();
  FillGridFromText(bytes, grid, progress);
}

}  // namespace tarvolen
