#include "data/cell_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvolen {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// Columns 1 and 2 of rows `first`..`last`.
Rows Cells(const GridTable& grid, int first, int last) {
  Rows rows;
  for (int row = first; row <= last; ++row) rows.push_back({grid.Cell(1, row), grid.Cell(2, row)});
  return rows;
}

TEST(PasteIntoGrid, ReadsWhatSpreadsheetsAndEditorsCopy) {
  struct Case {
    const char* what;
    std::string text;
    char decimal_separator;
    Rows cells;  // X and Y of the rows pasted at X of row 1
  };
  const Case cases[] = {
      {"tabs", "1\t2\n3\t4\n", '.', {{"1", "2"}, {"3", "4"}}},
      {"CR LF, no final line end", "1\t2\r\n3\t4", '.', {{"1", "2"}, {"3", "4"}}},
      {"quoted tabs and line ends", "\"a\tb\"\t\"line\nbreak\"\n", '.', {{"a\tb", "line\nbreak"}}},
      {"an empty line and an empty cell", "1\t2\n\n\t4\n", '.', {{"1", "2"}, {"", ""}, {"", "4"}}},
      {"semicolons", "1,5;2,5\n3;4", ',', {{"1,5", "2,5"}, {"3", "4"}}},
      {"commas", "1,2\n3,4\n", '.', {{"1", "2"}, {"3", "4"}}},
      {"decimal commas are not split", "1,2\n3,4\n", ',', {{"1,2", "old"}, {"3,4", "old"}}},
      {"commas on some lines only", "x,y\n1 2\n", '.', {{"x,y", ""}, {"1", "2"}}},
      {"blanks, as a data file", "  1.5   2.5\n3 \"4 5\"", '.', {{"1.5", "2.5"}, {"3", "4 5"}}},
      {"one cell", "3.5\n", '.', {{"3.5", "old"}}},
      {"a third column has no place", "1\t2\t3\n", '.', {{"1", "2"}}},
  };
  for (const Case& c : cases) {
    GridTable grid;
    for (int row = 1; row <= 5; ++row) {
      for (int col = 0; col <= 3; ++col) grid.SetCell(col, row, "old");
    }
    const CellRange range = PasteIntoGrid(grid, 1, 1, c.text, c.decimal_separator);
    const int rows = static_cast<int>(c.cells.size());
    EXPECT_EQ(range.bottom, rows) << c.what;
    EXPECT_EQ(Cells(grid, 1, rows), c.cells) << c.what;
    EXPECT_EQ(Cells(grid, rows + 1, rows + 1), (Rows{{"old", "old"}})) << c.what;
    EXPECT_EQ(grid.Cell(3, 1), "old") << c.what;
    EXPECT_EQ(grid.Cell(0, 1), "old") << c.what;
  }
}

TEST(PasteIntoGrid, GrowsTheGridAndReplacesExactlyTheRectanglePasted) {
  GridTable grid;
  for (int row = 1; row <= 20; ++row) {
    for (int col = 1; col <= 2; ++col) grid.SetCell(col, row, "old");
  }
  const CellRange range = PasteIntoGrid(grid, 1, 19, "1\t2\n3\n5\t6\n", '.');
  EXPECT_EQ(grid.RowCount(), 22);
  EXPECT_EQ((std::vector<int>{range.left, range.top, range.right, range.bottom}),
            (std::vector<int>{1, 19, 2, 21}));
  EXPECT_EQ(Cells(grid, 18, 21), (Rows{{"old", "old"}, {"1", "2"}, {"3", ""}, {"5", "6"}}));
  // Pasted at Y, only the block's first column lands.
  const CellRange at_y = PasteIntoGrid(grid, 2, 1, "7\t8\n", '.');
  EXPECT_EQ(at_y.right, 2);
  EXPECT_EQ(Cells(grid, 1, 1), (Rows{{"old", "7"}}));
  EXPECT_LT(PasteIntoGrid(grid, 1, 1, "\r\n", '.').right, 1);
  EXPECT_EQ(grid.RowCount(), 22);
}

TEST(TabSeparatedField, PastesBackToTheSameCells) {
  const std::vector<std::string> texts = {"1.5",      "a\tb", "\"quoted\"",   " \"x",
                                          "in\"side", "",     "two\r\nlines", "\xc3\xa9"};
  std::string text;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    text += TabSeparatedField(texts[i]) + '\t' + TabSeparatedField(texts[texts.size() - 1 - i]);
    text += '\n';
  }
  EXPECT_EQ(TabSeparatedField("in\"side"), "in\"side");
  EXPECT_EQ(TabSeparatedField("a\tb"), "\"a\tb\"");
  GridTable grid;
  PasteIntoGrid(grid, 1, 1, text, '.');
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    EXPECT_EQ(grid.Cell(1, row), texts[i]);
    EXPECT_EQ(grid.Cell(2, row), texts[texts.size() - 1 - i]);
  }
}

}  // namespace
}  // namespace tarvolen
