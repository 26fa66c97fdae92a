#include "data/data_save.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/errors.h"

namespace tarvolen {
namespace {

// Typed cells, saved and loaded again as the window does (headers written first).
TEST(DataFileText, LoadsBackToTheSameCells) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"1", "2.5"},
      {"", "5"},
      {"7", ""},
      {"", ""},
      {"a b", "\"q\""},
      {"\ttab", "x\"y"},
      {" lead", "trail "},
      {"1,5", "2;5"},
      {"\"", "\"\""},
      {"\xEF\xBB\xBF"
       "1",
       "\xc3\xa9"},
      {"\x01", "-"},
      {"x", "y"},  // words where the first row of a CSV file could hold titles
  };
  for (const DataFormat format : {DataFormat::kText, DataFormat::kCsv}) {
    for (const char separator : {'.', ','}) {
      SCOPED_TRACE(std::string(format == DataFormat::kCsv ? "CSV" : "text") + ", " + separator);
      GridTable typed;
      typed.WriteHeaders();
      for (std::size_t i = 0; i < rows.size(); ++i) {
        typed.SetCell(1, static_cast<int>(i) + 1, rows[i].first);
        typed.SetCell(2, static_cast<int>(i) + 1, rows[i].second);
      }
      if (format == DataFormat::kCsv) typed.SetCell(2, 15, "two\r\nlines");
      const std::string file = DataFileText(typed, format, separator);
      GridTable loaded;
      loaded.WriteHeaders();
      FillGrid(file, format, loaded);
      for (int row = 0; row < typed.RowCount(); ++row) {
        EXPECT_EQ(loaded.Cell(1, row), typed.Cell(1, row)) << "row " << row;
        EXPECT_EQ(loaded.Cell(2, row), typed.Cell(2, row)) << "row " << row;
      }
    }
  }
}

TEST(DataFileText, WritesPlainLinesThatOtherProgramsRead) {
  GridTable grid;
  grid.WriteHeaders();
  grid.SetCell(1, 1, "1");
  grid.SetCell(2, 1, "2,5");
  grid.SetCell(2, 2, "4");
  grid.SetCell(1, 3, "5");
  EXPECT_EQ(DataFileText(grid, DataFormat::kText, ','), "1\t2,5\n\"\"\t4\n5\n");
  EXPECT_EQ(DataFileText(grid, DataFormat::kCsv, ','), "X;Y\r\n1;2,5\r\n;4\r\n5;\r\n");
  EXPECT_EQ(DataFileText(grid, DataFormat::kCsv, '.'), "X,Y\r\n1,\"2,5\"\r\n,4\r\n5,\r\n");
  grid.SetCell(1, 0, "time");
  grid.SetCell(2, 0, "T, K");
  EXPECT_EQ(DataFileText(grid, DataFormat::kCsv, '.').substr(0, 13), "time,\"T, K\"\r\n");
  EXPECT_EQ(DataFileText(GridTable(), DataFormat::kText, '.'), "");
}

TEST(DataFileText, NamesACellTheFormatCannotKeep) {
  struct Case {
    DataFormat format;
    int col;
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {DataFormat::kText, 2, "a\nb",
       "Row 3, column Y holds a line break, which a text data file cannot keep: save the data "
       "under a name ending in .csv"},
      {DataFormat::kCsv, 1, std::string("a\0b", 3),
       "Row 3, column X holds a NUL character, which a data file cannot keep"},
  };
  for (const Case& c : cases) {
    GridTable grid;
    grid.SetCell(c.col, 3, c.text);
    try {
      DataFileText(grid, c.format, '.');
      ADD_FAILURE() << c.message;
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace tarvolen
