#pragma once

#include <string>
#include <string_view>

#include "common/progress.h"
#include "data/grid_table.h"

namespace tarvolen {

// How a data file fills the grid.
//
// The bytes are single-byte text ending at the first NUL. Lines end in CR LF, CR or LF, mixed
// freely; a final line end adds no line. Line k fills row k: its row number r goes to (0, r)
// unless the line is empty, field j to (j, r). Fields are separated by runs of characters 1..32;
// a field starting with a double quote runs to the next quote not doubled ("" inside stands for
// one quote) or to the line end, and the text right after its closing quote starts the next
// field. RowCount becomes the number of lines + 1. Cells the file does not provide keep their
// texts: the loader never clears a cell.
//
// `progress` is told how many lines are in and asked between chunks of lines whether to stop;
// a stop throws `Cancelled` and leaves the grid partly filled (load into a grid of your own and
// swap it in to discard a cancelled load).
void FillGridFromText(std::string_view bytes, GridTable& grid, const Progress& progress = {});

// Reads the file and fills the grid from it. When the file cannot be read, throws EFOpenError
// "Cannot open file "<full path>". <reason>" and leaves the grid untouched.
void LoadDataFile(const std::string& path, GridTable& grid, const Progress& progress = {});

}  // namespace tarvolen
