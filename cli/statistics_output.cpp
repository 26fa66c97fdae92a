#include "cli/statistics_output.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "common/errors.h"

namespace tarvolen {
namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned min_second = 0x80, max_second = 0xBF;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) min_second = 0xA0;  // no overlong forms
    if (lead == 0xED) max_second = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) min_second = 0x90;
    if (lead == 0xF4) max_second = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < min_second || byte(1) > max_second) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// `text` as a JSON string. A byte that is not part of valid UTF-8 (a file name or cell text in
// another encoding) becomes the character of the same number, as Latin-1 would read it.
std::string Quote(std::string_view text) {
  std::string out = "\"";
  char escape[8];
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text.substr(i));
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F || length == 0) {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    ++i;
  }
  return out + '"';
}

using Members = std::vector<std::pair<std::string_view, std::string>>;

std::string Object(const Members& members) {
  std::string out = "{";
  for (const auto& [key, value] : members) {
    if (out.size() > 1) out += ',';
    out += Quote(key) + ':' + value;
  }
  return out + '}';
}

std::string Array(const std::vector<std::string>& items) {
  std::string out = "[";
  for (const std::string& item : items) {
    if (out.size() > 1) out += ',';
    out += item;
  }
  return out + ']';
}

std::string Integer(long long value) {
  return std::to_string(value);
}

std::string Number(const Figure& figure) {
  if (!figure.Defined()) return Object({{"value", "null"}, {"reason", Quote(figure.reason)}});
  const Extended value = *figure.value;
  if (!std::isfinite(value)) {
    return Object({{"value", "null"}, {"reason", Quote("not a finite number")}});
  }
  char extended[64];
  std::snprintf(extended, sizeof extended, "%.21Lg", value);
  const double rounded = static_cast<double>(value);
  if (!std::isfinite(rounded)) {
    return Object({{"value", "null"},
                   {"extended", Quote(extended)},
                   {"reason", Quote("beyond the range of a double")}});
  }
  char number[64];
  *std::to_chars(number, number + sizeof number - 1, rounded, std::chars_format::general, 17).ptr =
      '\0';
  return Object({{"value", number}, {"extended", Quote(extended)}});
}

std::string Number(Extended value) {
  return Number(Figure::Of(value));
}

std::string StatisticsJson(const FitStatistics& s) {
  std::vector<std::string> matrix;
  for (const auto& row : s.correlation) {
    std::vector<std::string> cells;
    for (const Figure& cell : row) cells.push_back(Number(cell));
    matrix.push_back(Array(cells));
  }
  Members members = {
      {"n", Integer(static_cast<long long>(s.n))},
      {"p", Integer(static_cast<long long>(s.p))},
      {"degrees_of_freedom", Integer(s.degrees_of_freedom)},
      {"sse", Number(s.sse)},
      {"sst", Number(s.sst)},
      {"residual_standard_deviation", Number(s.residual_sd)},
      {"r_squared", Number(s.r_squared)},
      {"adjusted_r_squared", Number(s.adjusted_r_squared)},
      {"aicc", Number(s.aicc)},
      {"t_quantile_97_5", Number(s.t_quantile)},
      {"correlation_matrix", Array(matrix)},
      {"standard_errors_from", Quote(s.Propagated() ? "reciprocal line" : "jacobian")},
  };
  if (s.reciprocal_line_sse) {
    members.push_back({"reciprocal_line_sse", Number(*s.reciprocal_line_sse)});
  }
  std::string refinement = "null";
  if (s.refinement) {
    const RefinementEndText end = DescribeRefinementEnd(s.refinement->end);
    refinement = Object({{"iterations", Integer(s.refinement->iterations)},
                         {"ended", Quote(end.name)},
                         {"description", Quote(end.description)}});
  }
  members.push_back({"refinement", refinement});
  return Object(members);
}

Members FitMembers(const FitOutcome& outcome) {
  std::vector<std::string> report;
  for (const std::string& line : outcome.report) report.push_back(Quote(line));
  std::vector<std::string> coefficients;
  Members members = {{"model", Quote(ModelName(outcome.model))}, {"report", Array(report)}};
  if (outcome.result && outcome.statistics) {
    for (const CoefficientStatistics& c : outcome.statistics->coefficients) {
      coefficients.push_back(
          Object({{"name", Quote(c.name)},
                  {"value", Number(c.value)},
                  {"standard_error", Number(c.std_error)},
                  {"confidence_interval_95", Array({Number(c.ci_low), Number(c.ci_high)})}}));
    }
    members.push_back({"coefficients", Array(coefficients)});
    members.push_back({"standard_error", Number(outcome.result->std_error)});
    members.push_back({"correlation_coefficient", Number(outcome.result->corr_coef)});
    members.push_back({"statistics", StatisticsJson(*outcome.statistics)});
  } else {
    members.push_back({"coefficients", "[]"});
    members.push_back({"standard_error", "null"});
    members.push_back({"correlation_coefficient", "null"});
    members.push_back({"statistics", "null"});
  }
  members.push_back({"error", outcome.error.empty() ? "null" : Quote(outcome.error)});
  return members;
}

// Display columns of UTF-8 text: one per character.
std::size_t Columns(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

std::string StatisticsText(const FitStatistics& statistics, char decimal_separator) {
  std::string text;
  for (const StatisticsRow& row : StatisticsRows(statistics, decimal_separator)) {
    text += row.label + "= " + row.value + '\n';
  }
  return text;
}

std::string ComparisonText(const ModelComparison& comparison, char decimal_separator) {
  std::vector<std::array<std::string, 7>> table = {
      {"Rank", "Model", "AICc", "ΔAICc", "Standard Error", "R²", "Note"}};
  for (ComparisonRow& row : ComparisonRows(comparison, decimal_separator)) {
    table.push_back(
        {row.rank, row.model, row.aicc, row.delta_aicc, row.std_error, row.r_squared, row.note});
  }
  std::array<std::size_t, 7> widths{};
  for (const auto& row : table) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]));
  }
  std::string text;
  for (const auto& row : table) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - Columns(row[c]) + 2, ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + '\n';
  }
  return text;
}

std::string FitJson(const FitOutcome& outcome) {
  return Object(FitMembers(outcome)) + '\n';
}

std::string ComparisonJson(const ModelComparison& comparison, char decimal_separator) {
  std::vector<std::string> items;
  for (const ComparedModel& entry : comparison.models) {
    FitOutcome outcome;
    outcome.model = entry.model;
    if (entry.Fitted()) {
      outcome.report = ReportLines(*entry.result, decimal_separator);
      outcome.result = &*entry.result;
      outcome.statistics = &*entry.statistics;
    } else {
      outcome.error = ErrorBoxText(entry.error);
    }
    Members members = FitMembers(outcome);
    members.insert(members.begin() + 1,
                   {"rank", entry.rank > 0 ? Integer(entry.rank) : std::string("null")});
    members.insert(members.end() - 1,
                   {"delta_aicc", entry.Fitted() ? Number(entry.delta_aicc) : std::string("null")});
    items.push_back(Object(members));
  }
  return Array(items) + '\n';
}

std::string FitOutputText(Model model, const std::vector<std::string>& report,
                          const FitResult* result, const std::string& error, bool with_statistics,
                          bool json, char decimal_separator) {
  std::optional<FitStatistics> statistics;
  if (result && (with_statistics || json)) statistics = ComputeStatistics(*result);
  if (json) {
    return FitJson({model, report, result, statistics ? &*statistics : nullptr, error});
  }
  std::string text;
  for (const std::string& line : report) text += line + '\n';
  if (with_statistics && statistics) text += StatisticsText(*statistics, decimal_separator);
  return text;
}

std::string ComparisonOutputText(const ModelComparison& comparison, bool with_statistics, bool json,
                                 char decimal_separator) {
  if (json) return ComparisonJson(comparison, decimal_separator);
  std::string text = ComparisonText(comparison, decimal_separator);
  if (!with_statistics) return text;
  for (const ComparedModel& entry : comparison.models) {
    if (!entry.Fitted()) continue;
    text += '\n' + std::string(ModelName(entry.model)) + ":\n";
    for (const std::string& line : ReportLines(*entry.result, decimal_separator)) {
      text += line + '\n';
    }
    text += StatisticsText(*entry.statistics, decimal_separator);
  }
  return text;
}

}  // namespace tarvolen
