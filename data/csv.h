#pragma once

// The pieces of comma-separated values that loading, pasting and saving share. The rules are
// FillGridFromCsv's (data/data_file.h).

#include <cstddef>
#include <string_view>

#include "data/data_file.h"

namespace tarvolen {

// One record of comma-separated values: its text without the line end, and where the next one
// starts.
struct CsvRecord {
  std::string_view content;
  std::size_t next = 0;
};

// The record of `text` that starts at `pos`, with fields separated by `delimiter`.
CsvRecord NextCsvRecord(std::string_view text, std::size_t pos, char delimiter);

// Splits one record into its fields; an empty record has none.
void SplitCsvRecord(std::string_view record, char delimiter, const FieldSink& sink);

// The delimiter of a CSV text, found as FillGridFromCsv says.
char CsvDelimiter(std::string_view text);

// Whether a field would be read back as a title: a text that is not blank and not a number with
// "." or "," as decimal separator.
bool IsTitleText(std::string_view text);

}  // namespace tarvolen
