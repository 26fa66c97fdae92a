#pragma once

// What the text and CSV loaders share: the text they read, how a load shapes the grid, and the
// row numbers. Each row of a load is filled from its own line (or record) alone, so rows can be
// filled in any order once the grid has its shape.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "data/grid_table.h"

namespace tarvolen::load_rows {

// The text of a data file: its bytes up to the first NUL.
std::string_view BeforeNul(std::string_view bytes);

// Writes the row number of `row` into cell (0, row): plain decimal digits.
void WriteRowNumber(GridTable& grid, int row);

// Gives the grid the shape of a load of `rows` rows (at most as many as the grid can count),
// the last of which that holds anything is `last_filled` (0 for none): RowCount becomes
// rows + 1, and every cell of the rows after them is emptied. Returns the number of rows to fill;
// each is then filled by FillRow.
int StartLoad(GridTable& grid, std::size_t rows, std::size_t last_filled);

// Fills row `row` from its line: its row number unless the line is empty, and the fields that
// `split` hands to its sink (a callable taking the field number and the text); every other cell
// of the row is emptied. The cells are overwritten where they stand, so a load into a grid that
// holds an earlier one builds no texts anew.
template <class Split>
void FillRow(GridTable& grid, int row, bool empty_line, Split&& split) {
  if (empty_line) {
    grid.ClearCellsFrom(0, row);
    return;
  }
  WriteRowNumber(grid, row);
  int fields = 0;
  split([&grid, row, &fields](int field, std::string&& text) {
    grid.SetCell(field, row, std::move(text));
    fields = field;
  });
  grid.ClearCellsFrom(fields + 1, row);
}

}  // namespace tarvolen::load_rows
