#include "data/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvolen {
namespace {

using Cells = std::vector<std::string>;  // columns 0..3 of a row

// A CSV file over a grid whose data rows held "old" in every cell.
struct CsvCase {
  const char* what;
  std::string bytes;
  Cells titles;             // the header cells (1, 0) and (2, 0) afterwards
  std::vector<Cells> rows;  // rows 1.. RowCount - 1
};

TEST(FillGridFromCsv, ReadsFilesAsSpreadsheetsWriteThem) {
  const CsvCase cases[] = {
      {"a title line",
       "x,y\r\n1,2\r\n3,4\r\n",
       {"x", "y"},
       {{"1", "1", "2", ""}, {"2", "3", "4", ""}}},
      {"numbers first", "1,2\n3,4", {"X", "Y"}, {{"1", "1", "2", ""}, {"2", "3", "4", ""}}},
      {"one title is enough", "5,y\n1,2\n", {"5", "y"}, {{"1", "1", "2", ""}}},
      {"an empty title keeps its header", ",rate\n1,2\n", {"X", "rate"}, {{"1", "1", "2", ""}}},
      {"a single column", "t\n1\n", {"t", "Y"}, {{"1", "1", "", ""}}},
      {"semicolons with decimal commas",
       "x;y\n1,5;2,5\n-0,25;1e3\n",
       {"x", "y"},
       {{"1", "1,5", "2,5", ""}, {"2", "-0,25", "1e3", ""}}},
      {"decimal commas are numbers, not titles",
       "1,5;2,5\n",
       {"X", "Y"},
       {{"1", "1,5", "2,5", ""}}},
      {"tabs", "x\ty\n1\t2\n", {"x", "y"}, {{"1", "1", "2", ""}}},
      {"quoting",
       "1,\"2\"\n\"3\",\"say \"\"hi\"\"\"\n\"\",5\n",
       {"X", "Y"},
       {{"1", "1", "2", ""}, {"2", "3", "say \"hi\"", ""}, {"3", "", "5", ""}}},
      {"a quoted line end",
       "1,2\n3,\"a\r\nb\"\n4,5\n",
       {"X", "Y"},
       {{"1", "1", "2", ""}, {"2", "3", "a\r\nb", ""}, {"3", "4", "5", ""}}},
      {"delimiters inside quotes",
       "\"time, s\",\"T; K\"\n1,2\n",
       {"time, s", "T; K"},
       {{"1", "1", "2", ""}}},
      {"a quote never closed",
       "1,2\n3,\"open\n4,5\n",
       {"X", "Y"},
       {{"1", "1", "2", ""}, {"2", "3", "open", ""}, {"3", "4", "5", ""}}},
      {"blanks", "1, 2 , \"3\" \n", {"X", "Y"}, {{"1", "1", " 2 ", "3"}}},
      {"a quote inside a field",
       "1,2\n4\"5,6\n",
       {"X", "Y"},
       {{"1", "1", "2", ""}, {"2", "4\"5", "6", ""}}},
      {"text after a closing quote", "\"1\"5,2\n", {"X", "Y"}, {{"1", "15", "2", ""}}},
      {"ragged lines",
       "1,2,3\n4\n5,6\n",
       {"X", "Y"},
       {{"1", "1", "2", "3"}, {"2", "4", "", ""}, {"3", "5", "6", ""}}},
      {"empty fields and lines",
       ",2\n3,\n,\n\n7,8\n",
       {"X", "Y"},
       {{"1", "", "2", ""},
        {"2", "3", "", ""},
        {"3", "", "", ""},
        {"", "", "", ""},
        {"5", "7", "8", ""}}},
      {"a byte-order mark", "\xEF\xBB\xBFx,y\n1,2\n", {"x", "y"}, {{"1", "1", "2", ""}}},
      {"a byte-order mark before numbers",
       "\xEF\xBB\xBF"
       "1,2\n",
       {"X", "Y"},
       {{"1", "1", "2", ""}}},
      {"the text ends at NUL",
       std::string("1,2\n3,4\0\n5,6\n", 12),
       {"X", "Y"},
       {{"1", "1", "2", ""}, {"2", "3", "4", ""}}},
      {"titles only", "x,y\n", {"x", "y"}, {}},
      {"empty", "", {"X", "Y"}, {}},
  };
  for (const CsvCase& c : cases) {
    SCOPED_TRACE(c.what);
    GridTable grid;
    grid.WriteHeaders();
    for (int row = 1; row <= 8; ++row) {
      for (int col = 0; col <= 4; ++col) grid.SetCell(col, row, "old");
    }
    FillGridFromCsv(c.bytes, grid);
    EXPECT_EQ((Cells{grid.Cell(1, 0), grid.Cell(2, 0)}), c.titles);
    ASSERT_EQ(grid.RowCount(), static_cast<int>(c.rows.size()) + 1);
    for (int row = 1; row <= 8; ++row) {
      Cells cells;
      for (int col = 0; col <= 3; ++col) cells.push_back(grid.Cell(col, row));
      const Cells empty(4);
      EXPECT_EQ(cells, row < grid.RowCount() ? c.rows[row - 1] : empty) << "row " << row;
      EXPECT_EQ(grid.Cell(4, row), "") << "row " << row;
    }
  }
}

TEST(IsTitleText, TellsTitlesFromNumbersWithEitherSeparator) {
  const std::pair<const char*, bool> cases[] = {
      {"x", true},       {"Time (s)", true}, {"1e", false}, {"-2,5", false},
      {" 3.25 ", false}, {".5", false},      {"7.", false}, {"1.2.3", true},
      {"1,000.5", true}, {"", false},        {"  ", false}, {"+", true},
      {",", true},       {"e5", true},       {"NaN", true}, {"1e-7", false},
  };
  for (const auto& [text, title] : cases) EXPECT_EQ(IsTitleText(text), title) << text;
}

}  // namespace
}  // namespace tarvolen
