#pragma once

#include <string>

#include "data/data_file.h"
#include "data/grid_table.h"

namespace tarvolen {

// The grid's X and Y as a data file of `format` that loads back to the same cells: one line per
// data row, up to the last row that holds an X or a Y (the rows after it load back empty).
//
// kText: X, a tab, Y, lines ending in LF. An empty Y is left out, a row with neither is an empty
// line; an empty X is written as "", and a cell that holds blanks or control characters or starts
// with a quote is quoted, quotes inside doubled.
//
// kCsv: a title line first (the header cells (1, 0) and (2, 0) when they read back as titles,
// else "X" and "Y"), then one record per row, lines ending in CR LF. The delimiter is ";" when the
// decimal separator is "," (as spreadsheets there expect) and "," otherwise; a cell that holds
// the delimiter (or a semicolon), a quote or a line end is quoted, quotes inside doubled.
//
// Throws Exception naming the row and column of a cell that the format cannot keep: a line end in
// a text file, a NUL in either.
std::string DataFileText(const GridTable& grid, DataFormat format, char decimal_separator);

}  // namespace tarvolen
