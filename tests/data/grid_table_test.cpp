#include "data/grid_table.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace tarvolen {
namespace {

TEST(GridTable, StartsWithTwentyEmptyDataRowsBelowAFixedHeader) {
  GridTable grid;
  grid.WriteHeaders();
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.RowCount(), 21);
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.Cell(1, 0), "X");
  EXPECT_EQ(grid.Cell(2, 0), "Y");
  EXPECT_EQ(grid.Cell(0, 0), "");
  for (int r = 1; r < 21; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_EQ(grid.Cell(c, r), "");
  }
}

TEST(GridTable, KeepsTextsOutsideTheShownSize) {
  GridTable grid;
  grid.SetCell(2, 500, "hidden row");
  grid.SetCell(7, 3, "hidden column");
  EXPECT_EQ(grid.RowCount(), 21);  // writing never grows the grid
  grid.SetRowCount(5);
  grid.SetRowCount(600);
  EXPECT_EQ(grid.Cell(2, 500), "hidden row");
  EXPECT_EQ(grid.Cell(7, 3), "hidden column");
  EXPECT_EQ(grid.Cell(9, 3), "");
  EXPECT_EQ(grid.Cell(2, 100000), "");
  EXPECT_EQ(grid.Cell(-1, 2), "");
}

TEST(GridTable, RowCountRules) {
  struct Case {
    std::vector<int> counts;  // set in this order
    int row_count;
    int fixed_rows;
  };
  const Case cases[] = {
      {{6}, 6, 1},
      {{0}, 1, 0},
      {{-5}, 1, 0},
      {{1}, 1, 0},
      {{1, 30}, 30, 0},  // the header row stays an ordinary row
      {{2}, 2, 1},
  };
  for (const Case& c : cases) {
    GridTable grid;
    for (int count : c.counts) grid.SetRowCount(count);
    EXPECT_EQ(grid.RowCount(), c.row_count);
    EXPECT_EQ(grid.FixedRows(), c.fixed_rows);
  }
}

TEST(GridTable, OnlyShownNonFixedCellsAreEditable) {
  GridTable grid;
  EXPECT_TRUE(grid.IsEditable(1, 1));
  EXPECT_TRUE(grid.IsEditable(2, 20));
  EXPECT_FALSE(grid.IsEditable(0, 1));   // row numbers
  EXPECT_FALSE(grid.IsEditable(1, 0));   // header
  EXPECT_FALSE(grid.IsEditable(1, 21));  // beyond the rows
  EXPECT_FALSE(grid.IsEditable(3, 1));   // hidden column
  grid.SetRowCount(1);
  grid.SetRowCount(4);
  EXPECT_TRUE(grid.IsEditable(1, 0));
  EXPECT_FALSE(grid.IsEditable(0, 0));
}

// A copy shares the texts until one side writes; each side then sees only its own writes, in
// every kind of cell, also when the copy is read on another thread while the original changes.
TEST(GridTable, ACopyKeepsItsTextsWhileTheOriginalChanges) {
  GridTable grid;
  constexpr int kRows = 100000;
  grid.SetRowCount(kRows + 1);
  for (int r = 1; r <= kRows; ++r) {
    grid.SetCell(0, r, std::to_string(r));
    grid.SetCell(1, r, std::to_string(r) + ".5");
    grid.SetCell(2, r, std::to_string(2 * r));
  }
  grid.SetCell(4, 7, "hidden");
  const GridTable copy = grid;
  std::thread reader([&copy] {
    for (int r = 1; r <= kRows; ++r) {
      ASSERT_EQ(copy.Cell(1, r), std::to_string(r) + ".5");
      ASSERT_EQ(copy.Cell(2, r), std::to_string(2 * r));
    }
  });
  ExchangeXY(grid);
  grid.SetCell(4, 7, "changed");
  grid.SetCell(0, kRows + 5, "grown");
  reader.join();
  EXPECT_EQ(grid.Cell(1, 9), "18");
  EXPECT_EQ(copy.Cell(1, 9), "9.5");
  EXPECT_EQ(copy.Cell(4, 7), "hidden");
  EXPECT_EQ(grid.Cell(4, 7), "changed");
  EXPECT_EQ(copy.Cell(0, kRows + 5), "");
  EXPECT_EQ(copy.StoredRows(0), kRows + 1);
  // And the other way round: writing the copy leaves the original as it is.
  GridTable second = grid;
  second.SetCell(1, 1, "only in the copy");
  EXPECT_EQ(grid.Cell(1, 1), "2");
}

TEST(ExchangeXY, SwapsColumnsOneAndTwoOfTheDataRowsOnly) {
  GridTable grid;
  grid.WriteHeaders();
  grid.SetRowCount(4);
  grid.SetCell(0, 1, "1");
  grid.SetCell(1, 1, "1.5");
  grid.SetCell(2, 1, "7");
  grid.SetCell(1, 2, "3");  // half-filled row
  grid.SetCell(3, 1, "hidden");
  grid.SetCell(1, 4, "beyond");  // row 4 is not a data row of a 4-row grid
  ExchangeXY(grid);
  EXPECT_EQ(grid.Cell(1, 0), "X");
  EXPECT_EQ(grid.Cell(2, 0), "Y");
  EXPECT_EQ(grid.Cell(0, 1), "1");
  EXPECT_EQ(grid.Cell(1, 1), "7");
  EXPECT_EQ(grid.Cell(2, 1), "1.5");
  EXPECT_EQ(grid.Cell(1, 2), "");
  EXPECT_EQ(grid.Cell(2, 2), "3");
  EXPECT_EQ(grid.Cell(3, 1), "hidden");
  EXPECT_EQ(grid.Cell(1, 4), "beyond");
  ExchangeXY(grid);
  EXPECT_EQ(grid.Cell(1, 1), "1.5");
  EXPECT_EQ(grid.Cell(2, 1), "7");
  EXPECT_EQ(grid.Cell(1, 2), "3");
  EXPECT_EQ(grid.Cell(2, 2), "");
}

TEST(ExchangeXY, AHeaderOnlyGridChangesNothing) {
  GridTable grid;
  grid.WriteHeaders();
  grid.SetCell(1, 1, "kept out of sight");
  grid.SetRowCount(1);
  ExchangeXY(grid);
  EXPECT_EQ(grid.Cell(1, 0), "X");
  EXPECT_EQ(grid.Cell(2, 0), "Y");
  EXPECT_EQ(grid.Cell(1, 1), "kept out of sight");
  EXPECT_EQ(grid.Cell(2, 1), "");
}

}  // namespace
}  // namespace tarvolen
