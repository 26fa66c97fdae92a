#include "fit/causes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>

#include "common/number_text.h"

namespace tarvolen::fit {
namespace {

// What a model takes of X or of Y beyond the four arithmetic operations.
enum class Need { kAny, kAboveZero, kNotZero };

struct Takes {
  const char* function = nullptr;  // "ln x"
  Need need = Need::kAny;
};

struct Domain {
  Takes x, y;
};

constexpr Takes kLnX{"ln x", Need::kAboveZero}, kLnY{"ln y", Need::kAboveZero};
constexpr Takes kLog10X{"log10 x", Need::kAboveZero}, kLog10Y{"log10 y", Need::kAboveZero};
constexpr Takes kReciprocalX{"1/x", Need::kNotZero}, kReciprocalY{"1/y", Need::kNotZero};

// In the order of `Model`.
constexpr std::array<Domain, kModelCount> kDomains = {{
    {{}, {}},                      // linear
    {{}, {}},                      // quadratic
    {{}, kLog10Y},                 // compound
    {kLnX, {}},                    // logarithmic
    {{}, kLnY},                    // exponential
    {kLog10X, kLog10Y},            // power
    {kLog10X, kLog10Y},            // geometric
    {kLog10X, kLog10Y},            // geometric2
    {kReciprocalX, {}},            // inverse
    {kReciprocalX, kReciprocalY},  // hyperbola
}};

const Domain& DomainOf(Model model) { return kDomains[static_cast<std::size_t>(model) - 1]; }

bool IsRefined(Model model) {
  switch (model) {
    case Model::kCompound:
    case Model::kExponential:
    case Model::kPower:
    case Model::kGeometric:
    case Model::kGeometric2:
      return true;
    default:
      return false;
  }
}

std::size_t CoefficientCount(Model model) { return model == Model::kQuadratic ? 3 : 2; }

// A cell's text as a sentence shows it: without its surrounding spaces, a long one cut short.
std::string Shown(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return "''";
  text = text.substr(begin, text.find_last_not_of(' ') - begin + 1);
  constexpr std::size_t kLongest = 40;
  if (text.size() <= kLongest) return std::string(text);
  std::size_t cut = kLongest - 3;
  // Not inside a character of several bytes.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

bool Violates(Need need, Extended value) {
  switch (need) {
    case Need::kAny:
      return false;
    case Need::kAboveZero:
      return !(value > 0);
    case Need::kNotZero:
      return value == 0;
  }
  return false;
}

// "The Power model takes log10 x and log10 y; row 2 has X = -1, and every X must be above 0."
std::string DomainCause(Model model, int row, char axis, const Takes& takes,
                        std::string_view text) {
  const Domain& domain = DomainOf(model);
  std::string sentence = "The " + ModelTitle(model) + " model takes ";
  if (domain.x.function && domain.y.function) {
    sentence += domain.x.function;
    sentence += " and ";
    sentence += domain.y.function;
  } else {
    sentence += takes.function;
  }
  sentence += "; row " + std::to_string(row) + " has " + axis + " = " + Shown(text);
  sentence += takes.need == Need::kAboveZero ? std::string(", and every ") + axis +
                                                   " must be above 0."
                                             : std::string(", and no ") + axis + " may be 0.";
  return sentence;
}

std::string RowValues(int row, std::string_view x_text, std::string_view y_text) {
  return "It arose at row " + std::to_string(row) + ", which has X = " + Shown(x_text) +
         " and Y = " + Shown(y_text) + ".";
}

std::string FirstPassCause(const FitFailure& f) {
  const std::string& x_text = f.grid->Cell(1, f.row);
  const std::string& y_text = f.grid->Cell(2, f.row);
  const Domain& domain = DomainOf(f.model);
  Extended x = 0, y = 0;
  // X is read and transformed before Y is read: a bad X is the one that failed.
  if (TryTextToFloat(x_text, f.separator, x) && Violates(domain.x.need, x)) {
    return DomainCause(f.model, f.row, 'X', domain.x, x_text);
  }
  if (TryTextToFloat(y_text, f.separator, y) && Violates(domain.y.need, y)) {
    return DomainCause(f.model, f.row, 'Y', domain.y, y_text);
  }
  return RowValues(f.row, x_text, y_text);
}

std::string TooFewPoints(Model model, std::size_t points) {
  const std::string needs = "The " + ModelTitle(model) + " model needs at least " +
                            std::to_string(kFewestPoints) + " points";
  if (points == 0) {
    return needs + ", each a row with an X and a Y; rows whose X and Y are both empty are left "
                   "out.";
  }
  return needs + " (its standard error divides by n - 2); the data hold " +
         std::to_string(points) + ".";
}

std::string SolveCause(const FitFailure& f) {
  const DataPoints& points = *f.points;
  const std::size_t needed = CoefficientCount(f.model);
  const std::vector<Extended> distinct = FirstDistinctX(points, needed);
  if (distinct.size() < needed) {
    const std::string sentence = "The " + ModelTitle(f.model) + " model needs at least " +
                                 std::to_string(needed) + " different X values; ";
    if (distinct.size() == 1) {
      return sentence + "every row has X = " + FloatToText(distinct[0], f.separator) + ".";
    }
    return sentence + "the data hold " + std::to_string(distinct.size()) + ".";
  }
  // The refinement's own errors say why it ended.
  if (!IsRefined(f.model) || !f.floating_point) return "";
  if (!f.refinement) {
    return "It arose in the start values, the straight line through the logarithms of the "
           "data.";
  }
  const int steps = f.refinement->iterations;
  if (steps == 0) return "It arose in the refinement's first step from the start values.";
  return "It arose after " + std::to_string(steps) + " step" + (steps == 1 ? "" : "s") +
         " of the refinement from the start values.";
}

std::string SamplingCause(const FitFailure& f) {
  if (DomainOf(f.model).x.need == Need::kNotZero && f.sample_x == 0) {
    return "The " + ModelTitle(f.model) + " model takes 1/x, and its curve from X = " +
           FloatToText(f.curve_first, f.separator) + " to X = " +
           FloatToText(f.curve_last, f.separator) + " passes through X = 0.";
  }
  const std::string span = "between the first row's X = " +
                           FloatToText(f.curve_first, f.separator) + " and the last row's X = " +
                           FloatToText(f.curve_last, f.separator);
  const std::string at = "X = " + FloatToText(f.sample_x, f.separator);
  const Extended largest = std::numeric_limits<double>::max();
  if (f.sample_y && std::isfinite(*f.sample_y) && fabsl(*f.sample_y) > largest) {
    return "The curve reaches Y = " + FloatToText(*f.sample_y, f.separator) + " at " + at +
           ", beyond the largest value the chart can hold (" +
           FloatToText(largest, f.separator) + ").";
  }
  return "It arose at the curve's point at " + at + ", " + span + ".";
}

std::string SecondPassCause(const FitFailure& f) {
  const int row = GridRowOfPoint(*f.grid, f.point);
  const std::string& x_text = f.grid->Cell(1, row);
  const std::string& y_text = f.grid->Cell(2, row);
  Extended x = 0;
  if (f.model == Model::kHyperbola && f.coefficients.size() == 2 &&
      TryTextToFloat(x_text, f.separator, x) && f.coefficients[1] + x == 0) {
    return "The fitted hyperbola a*x/(b + x) has its pole at X = -b = " +
           FloatToText(-f.coefficients[1], f.separator) + ", the X of row " +
           std::to_string(row) + ".";
  }
  return RowValues(row, x_text, y_text);
}

std::string StatisticsCause(const FitFailure& f) {
  const std::vector<Extended>& ys = f.points->y;
  if (ys.empty() || std::adjacent_find(ys.begin(), ys.end(), std::not_equal_to<>()) != ys.end()) {
    return "";
  }
  return "Every row has Y = " + FloatToText(ys[0], f.separator) +
         ": the correlation coefficient divides by the spread of Y, which is 0.";
}

}  // namespace

std::string ModelTitle(Model model) {
  std::string title(ModelName(model));
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title;
}

std::string FailureCause(const FitFailure& f) {
  if (f.stage == FitStage::kFirstPass) return FirstPassCause(f);
  const std::size_t points = f.points ? f.points->Count() : 0;
  if (points < kFewestPoints) return TooFewPoints(f.model, points);
  switch (f.stage) {
    case FitStage::kFirstPass:
      break;
    case FitStage::kSolve:
      return SolveCause(f);
    case FitStage::kSampling:
      return SamplingCause(f);
    case FitStage::kSecondPass:
      return SecondPassCause(f);
    case FitStage::kStatistics:
      return StatisticsCause(f);
  }
  return "";
}

std::vector<Extended> FirstDistinctX(const DataPoints& points, std::size_t limit) {
  std::vector<Extended> distinct;
  for (const Extended x : points.x) {
    if (distinct.size() >= limit) break;
    if (std::find(distinct.begin(), distinct.end(), x) == distinct.end()) distinct.push_back(x);
  }
  return distinct;
}

int GridRowOfPoint(const GridTable& grid, std::size_t index) {
  const int rows = grid.RowCount();
  for (int row = 1; row < rows; ++row) {
    if (IsEmptyDataRow(grid, row)) continue;
    if (index-- == 0) return row;
  }
  return 0;
}

}  // namespace tarvolen::fit
