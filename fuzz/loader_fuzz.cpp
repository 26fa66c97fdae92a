// Bytes of a data file into the grid, read as a text file and as a CSV file, each compared with
// a plain second reading of its format: the row count, the row numbers, the titles and every
// field must match, and every other cell of the data rows is empty afterwards. The text file is
// also read in pieces on several threads, which must leave the grid as the row-by-row fill.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/csv.h"
#include "data/data_file.h"
#include "data/grid_table.h"
#include "fuzz_check.h"

namespace tarvolen::fuzz {
namespace {

using Fields = std::vector<std::string>;

struct Row {
  bool empty_line = false;  // no row number
  Fields fields;
};

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= 32;
}

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}

std::string_view BeforeNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}

// ----- Text files -----

// The lines of the text before its first NUL; a line end at the very end adds no line.
std::vector<std::string> Lines(std::string_view bytes) {
  const std::string_view text = BeforeNul(bytes);
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsLineEnd(c)) {
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

Fields TextFields(const std::string& line) {
  Fields fields;
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

std::vector<Row> TextRows(std::string_view bytes) {
  std::vector<Row> rows;
  for (const std::string& line : Lines(bytes)) rows.push_back({line.empty(), TextFields(line)});
  return rows;
}

// ----- CSV files -----

struct Csv {
  Fields titles;  // empty when the first record holds data
  std::vector<Row> rows;
};

Csv CsvRows(std::string_view bytes) {
  std::string_view text = BeforeNul(bytes);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::size_t n = text.size();

  // The delimiter, from the first non-empty line.
  char delimiter = ',';
  {
    bool quoted = false, comma = false, tab = false, semicolon = false;
    std::size_t i = 0;
    while (i < n && IsLineEnd(text[i])) ++i;
    for (; i < n && (quoted || !IsLineEnd(text[i])); ++i) {
      if (text[i] == '"') quoted = !quoted;
      if (quoted) continue;
      semicolon = semicolon || text[i] == ';';
      comma = comma || text[i] == ',';
      tab = tab || text[i] == '\t';
    }
    delimiter = semicolon ? ';' : comma || !tab ? ',' : '\t';
  }
  auto pad = [delimiter](char c) { return c == ' ' || (c == '\t' && delimiter != '\t'); };

  std::vector<Row> records;
  std::size_t pos = 0;
  while (pos < n) {
    Row record;
    if (IsLineEnd(text[pos])) {
      record.empty_line = true;
    } else {
      for (;;) {
        std::string field;
        std::size_t j = pos;
        while (j < n && pad(text[j])) ++j;
        if (j < n && text[j] == '"') {
          bool closed = false;
          std::size_t k = j + 1;
          while (k < n) {
            if (text[k] != '"') {
              field += text[k++];
            } else if (k + 1 < n && text[k + 1] == '"') {
              field += '"';
              k += 2;
            } else {
              closed = true;
              ++k;
              break;
            }
          }
          if (!closed) {  // to the end of its line, pairs of quotes read as one
            field.clear();
            for (k = j + 1; k < n && !IsLineEnd(text[k]); ++k) {
              field += text[k];
              if (text[k] == '"') ++k;
            }
            pos = k;
          } else {
            std::size_t r = k;
            bool blank = true;
            for (; r < n && text[r] != delimiter && !IsLineEnd(text[r]); ++r) {
              blank = blank && pad(text[r]);
            }
            if (!blank) field.append(text.substr(k, r - k));
            pos = r;
          }
        } else {
          while (pos < n && text[pos] != delimiter && !IsLineEnd(text[pos])) field += text[pos++];
        }
        record.fields.push_back(field);
        if (pos < n && text[pos] == delimiter) {
          ++pos;
          continue;
        }
        break;
      }
    }
    if (pos < n) pos += (text[pos] == '\r' && pos + 1 < n && text[pos + 1] == '\n') ? 2 : 1;
    records.push_back(record);
  }

  Csv csv;
  if (!records.empty()) {
    const Fields& first = records.front().fields;
    const std::string x = first.size() > 0 ? first[0] : "";
    const std::string y = first.size() > 1 ? first[1] : "";
    if (IsTitleText(x) || IsTitleText(y)) {
      csv.titles = {x, y};
      records.erase(records.begin());
    }
  }
  csv.rows = records;
  return csv;
}

constexpr const char* kOld = "old";

// Loads `bytes` with `load` into a fresh grid and into one whose cells all hold an earlier text,
// and compares the grid with `rows` and `titles`.
template <class Load>
void Check(std::string_view bytes, const Load& load, const std::vector<Row>& rows,
           const Fields& titles, std::string_view format) {
  const int count = static_cast<int>(rows.size());
  for (const bool prefilled : {false, true}) {
    GridTable grid;
    if (prefilled) {
      for (int r = 0; r <= count + 2; ++r) {
        for (int c = 0; c <= 4; ++c) grid.SetCell(c, r, kOld);
      }
    }
    load(bytes, grid);
    const std::string before = prefilled ? kOld : "";
    Require(grid.RowCount() == count + 1, "row count is not the number of rows + 1", format);
    for (int r = 1; r <= count + 2; ++r) {
      const Row* row = r <= count ? &rows[static_cast<std::size_t>(r) - 1] : nullptr;
      const std::string number = row && !row->empty_line ? std::to_string(r) : "";
      Require(grid.Cell(0, r) == number, "row number cell", format);
      for (int c = 1; c <= 4; ++c) {
        const auto j = static_cast<std::size_t>(c) - 1;
        const std::string expected = row && j < row->fields.size() ? row->fields[j] : "";
        Require(grid.Cell(c, r) == expected, "cell text", format);
      }
    }
    for (int c = 0; c <= 4; ++c) {
      const bool titled = (c == 1 || c == 2) && !titles.empty() && !titles[c - 1].empty();
      Require(grid.Cell(c, 0) == (titled ? titles[c - 1] : before), "header row", format);
    }
  }
}

}  // namespace
}  // namespace tarvolen::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolen;
  using namespace tarvolen::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto text_load = [](std::string_view b, GridTable& g) { FillGridFromText(b, g); };
  const auto csv_load = [](std::string_view b, GridTable& g) { FillGridFromCsv(b, g); };
  Check(bytes, text_load, TextRows(bytes), {}, "text");
  // Cut at line ends into pieces that fill their rows on several threads, the text must leave
  // the grid as the row-by-row fill does, down to the rows each column stores.
  const std::size_t piece_bytes = size == 0 ? 1 : 1 + data[0] % 32;
  const auto pieces_load = [piece_bytes](std::string_view b, GridTable& g) {
    FillGridFromTextInPieces(b, g, piece_bytes);
  };
  Check(bytes, pieces_load, TextRows(bytes), {}, "text in pieces");
  GridTable by_rows, in_pieces;
  by_rows.SetCell(4, 3, kOld);
  in_pieces.SetCell(4, 3, kOld);
  text_load(bytes, by_rows);
  pieces_load(bytes, in_pieces);
  for (int col = 0; col < by_rows.ColCount(); ++col) {
    Require(by_rows.StoredRows(col) == in_pieces.StoredRows(col), "stored rows", "text in pieces");
  }
  const Csv csv = CsvRows(bytes);
  Check(bytes, csv_load, csv.rows, csv.titles, "csv");
  return 0;
}
