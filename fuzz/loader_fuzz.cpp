// Bytes of a data file into the grid, compared with a plain second reading of the file format:
// the row count, the row numbers and every field must match, and cells the file does not provide
// keep their texts.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_file.h"
#include "data/grid_table.h"
#include "fuzz_check.h"

namespace tarvolen::fuzz {
namespace {

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

// The lines of the text before its first NUL; a line end at the very end adds no line.
std::vector<std::string> Lines(std::string_view bytes) {
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i == n) break;
    std::string field;
    if (line[i] == '"') {
      for (++i; i < n; ++i) {
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < n && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          ++i;
          break;
        }
      }
    } else {
      while (i < n && !IsBlank(line[i])) field += line[i++];
    }
    fields.push_back(field);
  }
  return fields;
}

constexpr const char* kOld = "old";

}  // namespace
}  // namespace tarvolen::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolen;
  using namespace tarvolen::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = Lines(bytes);
  const int rows = static_cast<int>(lines.size());

  // A fresh grid, then one whose cells all hold an earlier text.
  for (const bool prefilled : {false, true}) {
    GridTable grid;
    if (prefilled) {
      for (int r = 0; r <= rows + 2; ++r) {
        for (int c = 0; c <= 4; ++c) grid.SetCell(c, r, kOld);
      }
    }
    FillGridFromText(bytes, grid);
    Require(grid.RowCount() == rows + 1, "row count is not the number of lines + 1");
    const std::string untouched = prefilled ? kOld : "";
    for (int r = 1; r <= rows; ++r) {
      const std::string& line = lines[static_cast<std::size_t>(r) - 1];
      const std::vector<std::string> fields = Fields(line);
      Require(grid.Cell(0, r) == (line.empty() ? untouched : std::to_string(r)),
              "row number cell", line);
      for (std::size_t j = 0; j < fields.size(); ++j) {
        Require(grid.Cell(static_cast<int>(j) + 1, r) == fields[j], "field text", line);
      }
      for (std::size_t j = fields.size() + 1; j <= 4; ++j) {
        Require(grid.Cell(static_cast<int>(j), r) == untouched, "a cell without a field changed",
                line);
      }
    }
    for (int c = 0; c <= 4; ++c) {
      Require(grid.Cell(c, 0) == untouched, "the header row changed");
      Require(grid.Cell(c, rows + 1) == untouched, "a row past the file changed");
    }
  }
  return 0;
}
