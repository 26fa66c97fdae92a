#pragma once

// Blocks of cells between the grid and the clipboard: pasting text in, copying a range out.

#include <string>
#include <string_view>
#include <vector>

#include "data/grid_table.h"

namespace tarvolen {

// Cells from (left, top) to (right, bottom), both corners included; empty when right < left.
struct CellRange {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
};

// Pastes text into the grid with its first cell at (col, row), col 1 or 2, and returns the
// rectangle written.
//
// The text splits into rows at its line ends; one line end at the very end adds no row. Text
// holding a tab is tab-separated (a spreadsheet's copy: a field that starts with a quote is quoted
// as in CSV, line ends included). Otherwise text whose every non-empty line holds a semicolon is
// read as CSV with ";", and, unless the decimal separator is ",", text whose every non-empty line
// holds a comma as CSV with ","; anything else splits into fields as a line of a text data file
// does ("1 2", quotes included).
//
// The rows form a rectangle as wide as the widest: a shorter row, an empty line too, pastes empty
// cells, and columns past Y are left out. RowCount grows to hold the last row. Nothing outside
// the rectangle changes. The text is read twice and never held as cells on the side: a paste of a
// million rows needs no more memory than the grid's own.
CellRange PasteIntoGrid(GridTable& grid, int col, int row, std::string_view text,
                        char decimal_separator);

// A cell's text as one field of tab-separated lines (what a copy puts on the clipboard), quoted
// as a spreadsheet quotes it when it holds a tab or a line end or starts with a quote, so that
// pasting it back gives the same text.
std::string TabSeparatedField(std::string_view text);

}  // namespace tarvolen
