#include "data/cell_block.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include "data/csv.h"
#include "data/data_file.h"

namespace tarvolen {
namespace {

// Whether every line of `text` that is not empty holds `c`.
bool EveryLineHolds(std::string_view text, char c) {
  bool found = false;
  bool line_has = false;
  bool line_empty = true;
  for (const char ch : text) {
    if (IsLineEnd(ch)) {
      if (!line_empty && !line_has) return false;
      line_has = false;
      line_empty = true;
      continue;
    }
    line_empty = false;
    if (ch == c) found = line_has = true;
  }
  return found && (line_empty || line_has);
}

// What separates the cells of a pasted text: a tab wherever there is one, else ';' or ',' when
// every line holds one (',' only where it is not the decimal separator); '\0' for blanks, as in
// a data file.
char PasteDelimiter(std::string_view text, char decimal_separator) {
  if (text.find('\t') != std::string_view::npos) return '\t';
  if (EveryLineHolds(text, ';')) return ';';
  if (decimal_separator != ',' && EveryLineHolds(text, ',')) return ',';
  return '\0';
}

using RowStart = std::function<void(std::size_t row)>;

// Calls `start_row` for each row of `text` (without its final line end), in order, and `sink`
// for the row's fields.
void VisitRows(std::string_view text, char delimiter, const RowStart& start_row,
               const FieldSink& sink) {
  std::size_t row = 0;
  for (std::size_t pos = 0; pos < text.size(); ++row) {
    start_row(row);
    if (delimiter != '\0') {
      const CsvRecord record = NextCsvRecord(text, pos, delimiter);
      SplitCsvRecord(record.content, delimiter, sink);
      pos = record.next;
    } else {
      const CsvRecord line = NextLine(text, pos);
      SplitTextLine(line.content, sink);
      pos = line.next;
    }
  }
}

}  // namespace

CellRange PasteIntoGrid(GridTable& grid, int col, int row, std::string_view text,
                        char decimal_separator) {
  if (text.ends_with("\r\n")) {
    text.remove_suffix(2);
  } else if (!text.empty() && IsLineEnd(text.back())) {
    text.remove_suffix(1);
  }
  const char delimiter = PasteDelimiter(text, decimal_separator);
  std::size_t rows = 0;
  int width = 0;
  VisitRows(
      text, delimiter, [&rows](std::size_t) { ++rows; },
      [&width](int field, std::string&&) { width = std::max(width, field); });

  const int columns = std::min(width, std::max(3 - col, 0));
  const auto room =
      static_cast<std::size_t>(std::max(std::numeric_limits<int>::max() - 1 - row, 0));
  const int count = static_cast<int>(std::min(rows, room));
  if (columns == 0 || count == 0) return {};
  if (row + count > grid.RowCount()) grid.SetRowCount(row + count);
  int current = row;
  VisitRows(
      text, delimiter,
      [&](std::size_t i) {
        current = i < static_cast<std::size_t>(count) ? row + static_cast<int>(i) : -1;
        for (int j = 0; j < columns && current >= 0; ++j) grid.SetCell(col + j, current, {});
      },
      [&](int field, std::string&& cell) {
        if (current >= 0 && field <= columns) {
          grid.SetCell(col + field - 1, current, std::move(cell));
        }
      });
  return {col, row, col + columns - 1, row + count - 1};
}

std::string TabSeparatedField(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  const bool quote = text.find_first_of("\t\r\n") != std::string_view::npos ||
                     (first != std::string_view::npos && text[first] == '"');
  if (!quote) return std::string(text);
  std::string field;
  AppendQuoted(field, text);
  return field;
}

}  // namespace tarvolen
