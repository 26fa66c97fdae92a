#include "data/data_save.h"

#include <algorithm>
#include <string_view>

#include "common/errors.h"
#include "data/csv.h"

namespace tarvolen {
namespace {

[[noreturn]] void ThrowUnkept(int col, int row, std::string_view what) {
  throw Exception("Row " + std::to_string(row) + ", column " + (col == 1 ? "X" : "Y") + " holds " +
                  std::string(what));
}

// A field of a text data file.
void AppendTextField(std::string& out, std::string_view text, int col, int row) {
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    ThrowUnkept(col, row,
                "a line break, which a text data file cannot keep: save the data under a name "
                "ending in .csv");
  }
  bool quote = text.empty() || text.front() == '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    quote = quote || (u >= 1 && u <= 32);
  }
  if (quote) {
    AppendQuoted(out, text);
  } else {
    out += text;
  }
}

// A field of a CSV file: quoted when it holds the delimiter, a quote or a line end, or starts as
// a byte-order mark does. A semicolon is quoted in a comma-separated file too: a reader takes a
// first line that holds one for a semicolon-separated file.
void AppendCsvField(std::string& out, std::string_view text, char delimiter) {
  const char* special = delimiter == ',' ? ",;\"\r\n" : ";\"\r\n";
  const bool quote =
      text.find_first_of(special) != std::string_view::npos || text.starts_with(kUtf8ByteOrderMark);
  if (quote) {
    AppendQuoted(out, text);
  } else {
    out += text;
  }
}

}  // namespace

std::string DataFileText(const GridTable& grid, DataFormat format, char decimal_separator) {
  int last = std::min(grid.RowCount() - 1, std::max(grid.StoredRows(1), grid.StoredRows(2)) - 1);
  while (last >= 1 && grid.Cell(1, last).empty() && grid.Cell(2, last).empty()) --last;
  for (int row = 1; row <= last; ++row) {
    for (int col = 1; col <= 2; ++col) {
      if (grid.Cell(col, row).find('\0') != std::string::npos) {
        ThrowUnkept(col, row, "a NUL character, which a data file cannot keep");
      }
    }
  }

  std::string out;
  if (format == DataFormat::kText) {
    for (int row = 1; row <= last; ++row) {
      const std::string& x = grid.Cell(1, row);
      const std::string& y = grid.Cell(2, row);
      if (!x.empty() || !y.empty()) AppendTextField(out, x, 1, row);
      if (!y.empty()) {
        out += '\t';
        AppendTextField(out, y, 2, row);
      }
      out += '\n';
    }
    return out;
  }

  const char delimiter = decimal_separator == ',' ? ';' : ',';
  const std::string& x_title = grid.Cell(1, 0);
  const std::string& y_title = grid.Cell(2, 0);
  const bool titled = (IsTitleText(x_title) || IsTitleText(y_title)) &&
                      x_title.find('\0') == std::string::npos &&
                      y_title.find('\0') == std::string::npos;
  AppendCsvField(out, titled ? x_title : "X", delimiter);
  out += delimiter;
  AppendCsvField(out, titled ? y_title : "Y", delimiter);
  out += "\r\n";
  for (int row = 1; row <= last; ++row) {
    AppendCsvField(out, grid.Cell(1, row), delimiter);
    out += delimiter;
    AppendCsvField(out, grid.Cell(2, row), delimiter);
    out += "\r\n";
  }
  return out;
}

}  // namespace tarvolen
