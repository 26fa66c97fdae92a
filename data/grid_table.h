#pragma once

#include <string>
#include <vector>

#include "data/shared_vector.h"

namespace tarvolen {

// The text cells behind the data grid `StringGrid1`, addressed by (column, row) from 0.
//
// The store is independent of the shown size: a cell may be written outside the shown rows or
// columns and keeps its text until overwritten; changing `RowCount` neither clears nor discards
// any text; a cell never written reads as the empty text. Column 0 holds row numbers, column 1
// X, column 2 Y; columns 3 and beyond are never shown.
//
// A copy is cheap: it shares the texts with the original until either of them is written, so a
// copy handed to work on another thread may be read there while the original stays with the
// window (see data/shared_vector.h).
class GridTable {
 public:
  static constexpr int kColCount = 3;
  static constexpr int kInitialRowCount = 21;

  GridTable();

  int ColCount() const { return kColCount; }
  int RowCount() const { return row_count_; }
  // At least 1. A count not greater than the number of fixed rows drops the fixed rows to
  // count - 1, for good: the header row stays an ordinary row after that.
  void SetRowCount(int count);
  int FixedRows() const { return fixed_rows_; }
  int FixedCols() const { return 1; }
  // Whether the user may edit the cell in place: a shown, non-fixed cell.
  bool IsEditable(int col, int row) const;

  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);

  // Swaps the texts of two cells of one row in the shown columns (0 to 2).
  void SwapCells(int col_a, int col_b, int row);

  // Empties every cell of rows `row` and beyond, in every column (row numbers and hidden
  // columns included): a load replaces the data.
  void ClearRowsFrom(int row);
  // Empties the cells of row `row` from column `col` on, hidden columns included.
  void ClearCellsFrom(int col, int row);

  // Grows the stored rows of the shown columns ahead of a load of `rows` rows.
  void ReserveRows(int rows);

  // Makes shown column `col` (0 to 2) store exactly `rows` rows (see StoredRows): rows added are
  // empty, rows dropped must be. A load that fills rows on several threads at once stores its
  // rows first, so that writing a cell of a shown column then touches that cell alone; it gives
  // each column back afterwards the size that writing cell by cell would have left.
  void SetStoredRows(int col, int rows);
  // Takes this grid's own copy of every column, the hidden ones included, where it still shares
  // them with a copy of the grid. A load that fills rows on several threads at once calls it
  // first: a write that copied shared columns would race with the writes of the other threads.
  void OwnColumns();

  // The rows 0..StoredRows(col) - 1 of shown column `col` (0 to 2) may hold text; every row from
  // there on reads as empty. A reader that takes rows with text only needs no room beyond it,
  // however long the grid.
  int StoredRows(int col) const;

  // The header texts "X" and "Y" in row 0.
  void WriteHeaders();

 private:
  std::string& MutableCell(int col, int row);

  int row_count_ = kInitialRowCount;
  int fixed_rows_ = 1;
  // The shown columns, each a vector grown on demand to the highest row written.
  SharedVector<std::string> columns_[kColCount];
  // Hidden columns (3 and beyond), by row: hidden_[row][col - 3]. Kept only because a load
  // stores them; nothing reads them back except `Cell`.
  SharedVector<std::vector<std::string>> hidden_;
};

// Exchange( X,Y): swaps the texts of columns 1 and 2 in rows 1 to RowCount - 1. Headers, row
// numbers and hidden columns stay as they are.
void ExchangeXY(GridTable& grid);

}  // namespace tarvolen
