#include "data/cell_block.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "data/csv.h"
#include "data/data_file.h"

namespace tarvolen {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

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

CellBlock SplitRecords(std::string_view text, char delimiter) {
  CellBlock block;
  for (std::size_t pos = 0; pos < text.size();) {
    const CsvRecord record = NextCsvRecord(text, pos, delimiter);
    auto& row = block.emplace_back();
    SplitCsvRecord(record.content, delimiter,
                   [&row](int, std::string&& cell) { row.push_back(std::move(cell)); });
    pos = record.next;
  }
  return block;
}

CellBlock SplitLines(std::string_view text) {
  CellBlock block;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    auto& row = block.emplace_back();
    SplitTextLine(text.substr(pos, end - pos),
                  [&row](int, std::string&& cell) { row.push_back(std::move(cell)); });
    pos = end;
    if (pos < text.size()) {
      pos += text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    }
  }
  return block;
}

}  // namespace

CellBlock SplitPastedText(std::string_view text, char decimal_separator) {
  if (text.ends_with("\r\n")) {
    text.remove_suffix(2);
  } else if (!text.empty() && IsLineEnd(text.back())) {
    text.remove_suffix(1);
  }
  if (text.empty()) return {};
  if (text.find('\t') != std::string_view::npos) return SplitRecords(text, '\t');
  if (EveryLineHolds(text, ';')) return SplitRecords(text, ';');
  if (decimal_separator != ',' && EveryLineHolds(text, ',')) return SplitRecords(text, ',');
  return SplitLines(text);
}

CellRange PasteCells(GridTable& grid, int col, int row, const CellBlock& block) {
  std::size_t width = 0;
  for (const auto& cells : block) width = std::max(width, cells.size());
  const int columns = static_cast<int>(std::min<std::size_t>(width, std::max(3 - col, 0)));
  const int max_rows = std::numeric_limits<int>::max() - 1 - row;
  const int rows = static_cast<int>(std::min<std::size_t>(block.size(), std::max(max_rows, 0)));
  if (columns == 0 || rows == 0) return {};
  if (row + rows > grid.RowCount()) grid.SetRowCount(row + rows);
  for (int i = 0; i < rows; ++i) {
    const auto& cells = block[static_cast<std::size_t>(i)];
    for (int j = 0; j < columns; ++j) {
      const auto k = static_cast<std::size_t>(j);
      grid.SetCell(col + j, row + i, k < cells.size() ? cells[k] : std::string());
    }
  }
  return {col, row, col + columns - 1, row + rows - 1};
}

std::string TabSeparatedField(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  const bool quote = text.find_first_of("\t\r\n") != std::string_view::npos ||
                     (first != std::string_view::npos && text[first] == '"');
  if (!quote) return std::string(text);
  std::string field(1, '"');
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

}  // namespace tarvolen
