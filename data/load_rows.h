#pragma once

// What the text and CSV loaders share: the text they read, how a load shapes the grid, and the
// row numbers. Each row of a load is filled from its own line (or record) alone, so rows can be
// filled in any order once the grid has its shape.

#include <cstddef>
#include <string_view>

#include "data/grid_table.h"

namespace tarvolen::load_rows {

// The text of a data file: its bytes up to the first NUL.
std::string_view BeforeNul(std::string_view bytes);

// Gives the grid the shape of a load of `rows` rows (at most as many as the grid can count),
// the last of which that holds anything is `last_filled` (0 for none): RowCount becomes
// rows + 1, and every cell of rows 1 and beyond is emptied, row numbers and hidden columns
// included, so that what the file does not provide is empty afterwards. Returns the number of
// rows to fill.
int StartLoad(GridTable& grid, std::size_t rows, std::size_t last_filled);

// Writes the row number of `row` into cell (0, row): plain decimal digits.
void WriteRowNumber(GridTable& grid, int row);

}  // namespace tarvolen::load_rows
