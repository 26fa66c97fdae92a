#include "data/csv.h"

#include <limits>
#include <string>
#include <utility>

#include "data/load_rows.h"

namespace tarvolen {
namespace {

constexpr auto npos = std::string_view::npos;

// Blanks that may stand before an opening quote or after a closing one.
bool IsPad(char c, char delimiter) {
  return c == ' ' || (c == '\t' && delimiter != '\t');
}

// Where the text after the line end at `at` starts (CR LF counts as one line end).
std::size_t AfterLineEnd(std::string_view text, std::size_t at) {
  if (at >= text.size()) return text.size();
  return at + (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1);
}

// The closing quote of a quoted field whose text starts at `from`: the first quote that is not
// one of a doubled pair. npos when there is none.
std::size_t ClosingQuote(std::string_view text, std::size_t from) {
  for (;;) {
    const std::size_t quote = text.find('"', from);
    if (quote == npos || quote + 1 >= text.size() || text[quote + 1] != '"') return quote;
    from = quote + 2;
  }
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number as a cell would hold one, with "." or "," as decimal separator: blanks around it, a
// sign, digits with at most one separator (at least one digit), an exponent.
bool LooksLikeNumber(std::string_view text) {
  std::size_t i = 0;
  std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t mantissa = i;
  while (i < n && IsDigit(text[i])) ++i;
  std::size_t digits = i - mantissa;
  if (i < n && (text[i] == '.' || text[i] == ',')) {
    const std::size_t fraction = ++i;
    while (i < n && IsDigit(text[i])) ++i;
    digits += i - fraction;
  }
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < n && IsDigit(text[i])) ++i;
  }
  return i == n;
}

template <class Sink>
void SplitCsvFields(std::string_view record, char delimiter, Sink&& sink) {
  const std::size_t n = record.size();
  if (n == 0) return;
  std::size_t i = 0;
  int field = 1;
  std::string text;
  for (;;) {
    text.clear();
    std::size_t quote = i;
    while (quote < n && IsPad(record[quote], delimiter)) ++quote;
    if (quote < n && record[quote] == '"') {
      std::size_t k = quote + 1;
      for (;;) {
        const std::size_t q = record.find('"', k);
        if (q == npos) {  // never closed: the field runs to the end of the record
          text.append(record.substr(k));
          k = n;
          break;
        }
        text.append(record.substr(k, q - k));
        if (q + 1 < n && record[q + 1] == '"') {
          text += '"';
          k = q + 2;
          continue;
        }
        k = q + 1;
        break;
      }
      i = std::min(record.find(delimiter, k), n);
      const std::string_view rest = record.substr(k, i - k);
      bool blank = true;
      for (const char c : rest) blank = blank && IsPad(c, delimiter);
      if (!blank) text.append(rest);
    } else {
      const std::size_t stop = std::min(record.find(delimiter, i), n);
      text.assign(record.substr(i, stop - i));
      i = stop;
    }
    sink(field, std::move(text));
    if (i >= n || field == std::numeric_limits<int>::max()) break;
    ++i;  // past the delimiter: a record ending in one ends with an empty field
    ++field;
  }
}

}  // namespace

bool IsTitleText(std::string_view text) {
  const bool blank = text.find_first_not_of(" \t") == npos;
  return !blank && !LooksLikeNumber(text);
}

CsvRecord NextCsvRecord(std::string_view text, std::size_t pos, char delimiter) {
  const std::size_t n = text.size();
  std::size_t i = pos;
  bool field_start = true;
  while (i < n) {
    if (field_start) {
      field_start = false;
      std::size_t quote = i;
      while (quote < n && IsPad(text[quote], delimiter)) ++quote;
      if (quote < n && text[quote] == '"') {
        const std::size_t close = ClosingQuote(text, quote + 1);
        if (close != npos) {
          i = close + 1;
          continue;
        }
        // Never closed: the field runs to the end of its line, not to the end of the file. The
        // quotes after it all came in doubled pairs, so no later field lacks its closing quote:
        // this happens once per text at most.
        const CsvRecord rest = NextLine(text, quote + 1);
        const std::size_t end = quote + 1 + rest.content.size();
        return {text.substr(pos, end - pos), rest.next};
      }
    }
    const char c = text[i];
    if (c == delimiter) {
      field_start = true;
    } else if (IsLineEnd(c)) {
      return {text.substr(pos, i - pos), AfterLineEnd(text, i)};
    }
    ++i;
  }
  return {text.substr(pos), n};
}

void SplitCsvRecord(std::string_view record, char delimiter, const FieldSink& sink) {
  SplitCsvFields(record, delimiter, sink);
}

CsvRecord NextLine(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && !IsLineEnd(text[end])) ++end;
  return {text.substr(pos, end - pos), AfterLineEnd(text, end)};
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

namespace {

// The delimiter of a CSV text, found as FillGridFromCsv says.
char CsvDelimiter(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsLineEnd(text[i])) ++i;
  bool quoted = false;
  bool comma = false;
  bool tab = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;  // a doubled quote inside a field turns it off and on again
    } else if (!quoted) {
      if (IsLineEnd(c)) break;
      if (c == ';') return ';';
      comma = comma || c == ',';
      tab = tab || c == '\t';
    }
  }
  return comma || !tab ? ',' : '\t';
}

}  // namespace

void FillGridFromCsv(std::string_view bytes, GridTable& grid, const Progress& progress) {
  std::string_view text = load_rows::BeforeNul(bytes);
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  const char delimiter = CsvDelimiter(text);

  std::size_t start = 0;
  if (!text.empty()) {
    const CsvRecord first = NextCsvRecord(text, 0, delimiter);
    std::string titles[2];
    SplitCsvRecord(first.content, delimiter, [&titles](int field, std::string&& title) {
      if (field <= 2) titles[field - 1] = std::move(title);
    });
    if (IsTitleText(titles[0]) || IsTitleText(titles[1])) {
      start = first.next;
      for (int col = 1; col <= 2; ++col) {
        if (!titles[col - 1].empty()) grid.SetCell(col, 0, std::move(titles[col - 1]));
      }
    }
  }

  std::size_t records = 0;
  std::size_t last_filled = 0;
  for (std::size_t pos = start; pos < text.size();) {
    const CsvRecord record = NextCsvRecord(text, pos, delimiter);
    ++records;
    if (!record.content.empty()) last_filled = records;
    pos = record.next;
  }
  const int rows = load_rows::StartLoad(grid, records, last_filled);

  std::size_t pos = start;
  for (int row = 1; row <= rows; ++row) {
    progress.ReportRow(row, rows);
    const CsvRecord record = NextCsvRecord(text, pos, delimiter);
    load_rows::FillRow(grid, row, record.content.empty(), [&record, delimiter](auto&& sink) {
      SplitCsvFields(record.content, delimiter, sink);
    });
    pos = record.next;
  }
  progress.ReportRow(rows + 1, rows);
}

}  // namespace tarvolen
