#include "data/data_file.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "common/file_io.h"
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

}  // namespace

DataFormat DataFormatOfName(std::string_view file_name) {
  constexpr std::string_view kCsv = ".csv";
  if (file_name.size() < kCsv.size()) return DataFormat::kText;
  const std::string_view tail = file_name.substr(file_name.size() - kCsv.size());
  const bool csv = std::equal(tail.begin(), tail.end(), kCsv.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
  return csv ? DataFormat::kCsv : DataFormat::kText;
}

void SplitTextLine(std::string_view line, const FieldSink& sink) {
  SplitTextFields(line, sink);
}

void FillGridFromText(std::string_view bytes, GridTable& grid, const Progress& progress) {
  const std::string_view text = load_rows::BeforeNul(bytes);
  const LineCount count = CountLines(text);
  const int line_count = load_rows::StartLoad(grid, count.lines, count.last_filled);

  const char* p = text.data();
  const char* const end = p + text.size();
  for (int row = 1; row <= line_count; ++row) {
    load_rows::ReportRow(progress, row, line_count);
    const char* brk = p;
    while (brk < end && *brk != '\r' && *brk != '\n') ++brk;
    const std::string_view line(p, static_cast<std::size_t>(brk - p));
    load_rows::FillRow(grid, row, line.empty(),
                       [line](auto&& sink) { SplitTextFields(line, sink); });
    p = brk;
    if (p < end) {
      ++p;
      if (*brk == '\r' && p < end && *p == '\n') ++p;
    }
  }
  load_rows::ReportRow(progress, line_count + 1, line_count);
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
  const std::string bytes = ReadFileUntil(path, '\0');
  progress.CheckStop();
  FillGrid(bytes, DataFormatOfName(path), grid, progress);
}

}  // namespace tarvolen
