#pragma once

// The pieces of comma-separated values that loading, pasting and saving share. The rules are
// FillGridFromCsv's (data/data_file.h).

#include <cstddef>
#include <string>
#include <string_view>

#include "data/data_file.h"

namespace tarvolen {

// The byte-order mark a UTF-8 text may start with.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// One record of comma-separated values, or one line of a text: its text without the line end,
// and where the next one starts.
struct CsvRecord {
  std::string_view content;
  std::size_t next = 0;
};

// The line of `text` that starts at `pos`, up to its line end (CR, LF or CR LF).
CsvRecord NextLine(std::string_view text, std::size_t pos);

// The record of `text` that starts at `pos`, with fields separated by `delimiter`.
CsvRecord NextCsvRecord(std::string_view text, std::size_t pos, char delimiter);

// Splits one record into its fields; an empty record has none.
void SplitCsvRecord(std::string_view record, char delimiter, const FieldSink& sink);

// Appends `text` in double quotes, each quote in it doubled.
void AppendQuoted(std::string& out, std::string_view text);

// Whether a field would be read back as a title: a text that is not blank and not a number with
// "." or "," as decimal separator.
bool IsTitleText(std::string_view text);

}  // namespace tarvolen
