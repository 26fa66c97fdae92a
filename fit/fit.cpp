#include "fit/fit.h"

#include <array>
#include <cctype>

#include "fit/linear.h"
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

void RunFit(Model model, FitTarget& target) {
  switch (model) {
    case Model::kLinear:
      fit::RunProcedure<fit::Linear>(target);
      return;
    default:
      throw EFitError("The " + std::string(ModelName(model)) + " model is not available yet");
  }
}

}  // namespace tarvolen
