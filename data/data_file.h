#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/progress.h"
#include "data/grid_table.h"

namespace tarvolen {

// The two kinds of data file: fields separated by blanks or tabs, and comma-separated values.
enum class DataFormat { kText, kCsv };

// kCsv for a name that ends in ".csv" in any case, kText for every other name.
DataFormat DataFormatOfName(std::string_view file_name);

// What every load does. The bytes are single-byte text ending at the first NUL. Row k is filled
// from line (or record) k; RowCount becomes the number of rows + 1. A load replaces the data:
// every cell of rows 1 and beyond that the file does not provide is empty afterwards (row numbers
// and hidden columns included), so an empty line leaves an empty row. Row r gets its number r in
// (0, r) unless its line is empty; field j goes to (j, r), fields past the second to the hidden
// columns. Nothing is converted: the cells hold the texts as the file has them.
//
// `progress` is told how many rows are in and asked between chunks of rows whether to stop; a
// stop throws `Cancelled` and leaves the grid partly filled (load into a grid of your own and
// swap it in to discard a cancelled load).

// A text data file. Lines end in CR LF, CR or LF, mixed freely; a final line end adds no line.
// Fields are separated by runs of characters 1..32; a field starting with a double quote runs to
// the next quote not doubled ("" inside stands for one quote) or to the line end, and the text
// right after its closing quote starts the next field.
void FillGridFromText(std::string_view bytes, GridTable& grid, const Progress& progress = {});

// FillGridFromText with the text cut at line ends into pieces of at least `piece_bytes` (one
// line at least), which fill their rows on all cores at once; the grid ends exactly as filling
// row by row leaves it. FillGridFromText does this itself for a text of a megabyte or more.
// Progress is told on the calling thread; a stop leaves any of the rows filled.
void FillGridFromTextInPieces(std::string_view bytes, GridTable& grid, std::size_t piece_bytes,
                              const Progress& progress = {});

// A CSV file. A UTF-8 byte-order mark at the start is skipped. The delimiter is ";" when the
// first non-empty line holds one outside quotes, else "," when it holds a comma, else a tab when
// it holds one, else ",". Records end at line ends outside quotes; a field starting with a quote
// (blanks before it ignored) runs to the next quote not doubled, line ends included, and the text
// after its closing quote up to the delimiter is added to it unless it is only blanks; a field
// whose quote is never closed runs to the end of its line. Unquoted fields are kept exactly,
// blanks included. A first record whose X or Y is a text that is not a number holds column
// titles: its non-empty X and Y go into the header cells (1, 0) and (2, 0), and the data start
// with the record after it. Whether a field is a number is judged with either decimal separator,
// "." or ",", and never decides how a number is read later.
void FillGridFromCsv(std::string_view bytes, GridTable& grid, const Progress& progress = {});

// Fills the grid from `bytes` as a file of `format`.
void FillGrid(std::string_view bytes, DataFormat format, GridTable& grid,
              const Progress& progress = {});

// Reads the file and fills the grid from it, as CSV when DataFormatOfName says so. When the file
// cannot be read, throws EFOpenError "Cannot open file "<full path>". <reason>" and leaves the
// grid untouched.
void LoadDataFile(const std::string& path, GridTable& grid, const Progress& progress = {});

// Receives field `field` (counted from 1) of a line or record.
using FieldSink = std::function<void(int field, std::string&& text)>;

// Splits one line of a text data file into its fields, as FillGridFromText does.
void SplitTextLine(std::string_view line, const FieldSink& sink);

}  // namespace tarvolen
