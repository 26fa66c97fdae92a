#pragma once

#include <string>
#include <string_view>

#include "common/extended.h"

namespace tarvolen {

// The locale's number punctuation. The core takes it as a parameter; the programs read it from
// the system locale.
struct FormatSettings {
  char decimal_separator = '.';
  char thousand_separator = ',';
};

// Converts a cell text to a number. Accepted: leading and trailing spaces; an optional sign;
// digits with at most one decimal separator among or after them (at least one digit or the
// separator: "." alone reads 0); optionally "E" or "e", an optional sign and digits (the digits
// may be missing: "1e" reads 1). A value beyond the extended range fails; an underflow reads as
// the nearest representable value. Throws EConvertError "'<text>' is not a valid floating point
// value" with the whole text. The result is correctly rounded. Raises no fault flag (invalid,
// zero divide, overflow); the inexact flag may be set.
Extended TextToFloat(std::string_view text, char decimal_separator);

// As TextToFloat for the text of the data grid's cell (column, row), X in column 1 and Y in
// column 2: the conversion error is followed by the cell's place, "Row 3, column Y.".
Extended CellToFloat(std::string_view text, char decimal_separator, int column, int row);

// As TextToFloat, without the error: false when the text is not a number.
bool TryTextToFloat(std::string_view text, char decimal_separator, Extended& value);

// Whether `text` is empty or holds spaces only: no number at all, as opposed to a bad one.
bool IsBlank(std::string_view text);

// The conversion error for `text`.
[[noreturn]] void ThrowNotAFloat(std::string_view text);

// General format with 15 significant digits: fixed notation when the decimal exponent E of
// 0.d1d2... x 10^E lies in -3..15, otherwise scientific ("1.5E-5", "1E15"). Zero gives "0".
// `value` must be finite.
std::string FloatToText(Extended value, char decimal_separator);

}  // namespace tarvolen
