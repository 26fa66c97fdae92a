#include "data/cell_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvolen {
namespace {

TEST(SplitPastedText, ReadsWhatSpreadsheetsAndEditorsCopy) {
  struct Case {
    const char* what;
    std::string text;
    char decimal_separator;
    CellBlock cells;
  };
  const Case cases[] = {
      {"tabs", "1\t2\n3\t4\n", '.', {{"1", "2"}, {"3", "4"}}},
      {"CR LF, no final line end", "1\t2\r\n3\t4", '.', {{"1", "2"}, {"3", "4"}}},
      {"quoted tabs and line ends", "\"a\tb\"\t\"line\nbreak\"\n", '.', {{"a\tb", "line\nbreak"}}},
      {"an empty line and an empty cell", "1\t2\n\n\t4\n", '.', {{"1", "2"}, {}, {"", "4"}}},
      {"semicolons", "1,5;2,5\n3;4", ',', {{"1,5", "2,5"}, {"3", "4"}}},
      {"commas", "1,2\n3,4\n", '.', {{"1", "2"}, {"3", "4"}}},
      {"decimal commas are not split", "1,2\n3,4\n", ',', {{"1,2"}, {"3,4"}}},
      {"commas on some lines only", "x,y\n1 2\n", '.', {{"x,y"}, {"1", "2"}}},
      {"blanks, as a data file", "  1.5   2.5\n3 \"4 5\"", '.', {{"1.5", "2.5"}, {"3", "4 5"}}},
      {"one cell", "3.5\n", '.', {{"3.5"}}},
      {"nothing", "\r\n", '.', {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitPastedText(c.text, c.decimal_separator), c.cells) << c.what;
  }
}

TEST(PasteCells, ReplacesExactlyTheRectanglePasted) {
  GridTable grid;
  for (int row = 1; row <= 20; ++row) {
    for (int col = 0; col <= 3; ++col) grid.SetCell(col, row, "old");
  }
  const CellRange range = PasteCells(grid, 1, 19, {{"1", "2", "past Y"}, {"3"}, {"5", "6"}});
  EXPECT_EQ(grid.RowCount(), 22);
  EXPECT_EQ(range.left, 1);
  EXPECT_EQ(range.top, 19);
  EXPECT_EQ(range.right, 2);
  EXPECT_EQ(range.bottom, 21);
  const std::vector<std::vector<std::string>> expected = {
      {"old", "old", "old", "old"},  // row 18
      {"old", "1", "2", "old"},      // the third field has no column: hidden ones stay
      {"old", "3", "", "old"},       // the short row pastes an empty Y
      {"", "5", "6", ""},
  };
  for (int row = 18; row <= 21; ++row) {
    for (int col = 0; col <= 3; ++col) {
      EXPECT_EQ(grid.Cell(col, row), expected[row - 18][col]) << col << ", " << row;
    }
  }
  // Pasted at Y, only the first column of the block lands.
  const CellRange at_y = PasteCells(grid, 2, 1, {{"7", "8"}});
  EXPECT_EQ(at_y.right, 2);
  EXPECT_EQ(grid.Cell(1, 1), "old");
  EXPECT_EQ(grid.Cell(2, 1), "7");
  EXPECT_EQ(grid.Cell(3, 1), "old");
  EXPECT_LT(PasteCells(grid, 1, 1, {}).right, 1);
  EXPECT_EQ(grid.RowCount(), 22);
}

TEST(TabSeparatedField, PastesBackToTheSameCells) {
  const std::vector<std::string> row = {"1.5",      "a\tb", "\"quoted\"",   " \"x",
                                        "in\"side", "",     "two\r\nlines", "é"};
  std::string text;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) text += '\t';
    text += TabSeparatedField(row[i]);
  }
  EXPECT_EQ(TabSeparatedField("in\"side"), "in\"side");
  EXPECT_EQ(TabSeparatedField("a\tb"), "\"a\tb\"");
  EXPECT_EQ(SplitPastedText(text + "\n" + text + "\n", '.'), (CellBlock{row, row}));
}

}  // namespace
}  // namespace tarvolen
