#pragma once

// Blocks of cells between the grid and the clipboard: pasting text in, copying a range out.

#include <string>
#include <string_view>
#include <vector>

#include "data/grid_table.h"

namespace tarvolen {

// Cell texts row by row; rows may differ in length.
using CellBlock = std::vector<std::vector<std::string>>;

// Splits pasted text into cells. One line end at the very end adds no row; an empty line is a
// row of empty cells. Text holding a tab is tab-separated (a spreadsheet's copy: a field that
// starts with a quote is quoted as in CSV, line ends included). Otherwise text whose every
// non-empty line holds a semicolon is read as CSV with ";", and, unless the decimal separator is
// ",", text whose every non-empty line holds a comma as CSV with ","; anything else is split into
// fields as a line of a text data file is ("1 2", quotes included).
CellBlock SplitPastedText(std::string_view text, char decimal_separator);

// Cells from (left, top) to (right, bottom), both corners included; empty when right < left.
struct CellRange {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
};

// Writes `block` into the grid with its first cell at (col, row), col 1 or 2: the block is a
// rectangle as wide as its widest row, and its shorter rows paste empty cells; columns past Y are
// left out. RowCount grows to hold the block's last row. Nothing outside the rectangle changes.
// Returns the rectangle written.
CellRange PasteCells(GridTable& grid, int col, int row, const CellBlock& block);

// A cell's text as one field of tab-separated lines (what a copy puts on the clipboard), quoted
// as a spreadsheet quotes it when it holds a tab or a line end or starts with a quote, so that
// pasting it back gives the same text.
std::string TabSeparatedField(std::string_view text);

}  // namespace tarvolen
