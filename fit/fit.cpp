#include "fit/fit.h"

#include <array>
#include <cctype>

#include "fit/line_models.h"
#include "fit/linear.h"
#include "fit/procedure.h"
#include "fit/quadratic.h"
#include "fit/refined_models.h"

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
  switch (model) {
    case Model::kLinear:
      return fit::RunProcedure<fit::Linear>(model, target);
    case Model::kQuadratic:
      return fit::RunProcedure<fit::Quadratic>(model, target);
    case Model::kCompound:
      return fit::RunProcedure<fit::Compound>(model, target);
    case Model::kLogarithmic:
      return fit::RunProcedure<fit::Logarithmic>(model, target);
    case Model::kExponential:
      return fit::RunProcedure<fit::Exponential>(model, target);
    case Model::kPower:
      return fit::RunProcedure<fit::PowerModel>(model, target);
    case Model::kGeometric:
      return fit::RunProcedure<fit::Geometric>(model, target);
    case Model::kGeometric2:
      return fit::RunProcedure<fit::Geometric2>(model, target);
    case Model::kInverse:
      return fit::RunProcedure<fit::Inverse>(model, target);
    case Model::kHyperbola:
      return fit::RunProcedure<fit::Hyperbola>(model, target);
  }
  throw EFitError("Unknown model");
}

}  // namespace tarvolen
