#include "fit/fit.h"

#include <array>
#include <cctype>

#include "fit/model_types.h"
#include "fit/procedure.h"

namespace tarvolen {
namespace {

constexpr std::array<std::string_view, kModelCount> kModelNames = {
    "linear", "quadratic", "compound", "logarithmic", "exponential",
    "power",  "geometric", "geometric2", "inverse",   "hyperbola"};

}  // namespace

std::string_view ModelName(Model model) {
  return kModelNames[static_cast<std::size_t>(model) - 1];
}

std::optional<Model> ParseModel(std::string_view text) {
  for (int number = 1; number <= kModelCount; ++number) {
    if (text == std::to_string(number)) return static_cast<Model>(number);
  }
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int i = 0; i < kModelCount; ++i) {
    if (lower == kModelNames[i]) return static_cast<Model>(i + 1);
  }
  return std::nullopt;
}

std::vector<std::string> ReportLines(const FitResult& result, char decimal_separator) {
  std::vector<std::string> lines;
  for (const FitCoefficient& coefficient : result.coefficients) {
    lines.push_back(std::string(coefficient.name) + "= " +
                    FloatToText(coefficient.value, decimal_separator));
  }
  lines.push_back("Standard Error= " + FloatToText(result.std_error, decimal_separator));
  lines.push_back("correlation coefficient= " + FloatToText(result.corr_coef, decimal_separator));
  return lines;
}

FitResult RunFit(Model model, const FitTarget& target) {
  return fit::VisitModelType(model, [&](auto type) {
    return fit::RunProcedure<typename decltype(type)::type>(model, target);
  });
}

}  // namespace tarvolen
