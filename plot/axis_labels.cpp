#include "plot/axis_labels.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarvolen {
namespace {

// Adds one to a string of decimal digits.
void IncrementDigits(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

std::string FormatAxisLabel(double value, const FormatSettings& format) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";

  // |value| = d0.d1...d14 x 10^exponent, from its 15 significant digits.
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  std::string significant;
  significant += buffer[0];
  significant.append(buffer + 2, 14);
  const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);

  // thousandths = round(|value| x 1000), as a decimal integer of any length.
  const int whole_digits = exponent + 4;
  std::string thousandths;
  if (whole_digits <= 0) {
    thousandths.assign(1, (whole_digits == 0 && significant[0] >= '5') ? '1' : '0');
  } else if (whole_digits >= static_cast<int>(significant.size())) {
    thousandths = significant + std::string(whole_digits - significant.size(), '0');
  } else {
    thousandths = significant.substr(0, whole_digits);
    if (significant[whole_digits] >= '5') IncrementDigits(thousandths);
  }
  if (thousandths.size() < 4) thousandths = std::string(4 - thousandths.size(), '0') + thousandths;

  std::string integer = thousandths.substr(0, thousandths.size() - 3);
  std::string fraction = thousandths.substr(thousandths.size() - 3);
  const std::size_t first_digit = integer.find_first_not_of('0');
  integer = first_digit == std::string::npos ? "0" : integer.substr(first_digit);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();

  std::string text;
  if (value < 0 && !(integer == "0" && fraction.empty())) text += '-';
  for (std::size_t i = 0; i < integer.size(); ++i) {
    if (i > 0 && (integer.size() - i) % 3 == 0) text += format.thousand_separator;
    text += integer[i];
  }
  if (!fraction.empty()) {
    text += format.decimal_separator;
    text += fraction;
  }
  return text;
}

double NextLabelStep(double step) {
  if (!(step > 0) || std::isinf(step)) return step;
  // Scale into [1, 10) by tenths or tens, pick the next of 1, 2, 5, 10 and scale back, one
  // factor of ten at a time.
  int tens = 0;
  int tenths = 0;
  while (step >= 10) {
    step /= 10;
    ++tens;
  }
  while (step < 1) {
    step *= 10;
    ++tenths;
  }
  double next = step < 2 ? 2 : step < 5 ? 5 : 10;
  for (int i = 0; i < tenths; ++i) next /= 10;
  for (int i = 0; i < tens; ++i) next *= 10;
  return next;
}

int LabelsThatFit(int label_size, int length, int labels_separation) {
  if (label_size <= 0) return 1;
  const int space =
      labels_separation > 0
          ? label_size + static_cast<int>(std::nearbyint(labels_separation / 100.0 * label_size))
          : label_size;
  return static_cast<int>(std::nearbyint(static_cast<double>(length) / space));
}

double AxisLabelStep(double range, int labels_that_fit, double increment,
                     int labels_separation) {
  constexpr double kMinStep = 1e-12;
  if (labels_that_fit <= 0) return kMinStep;
  double step = increment > 0 ? increment : (std::fabs(range) >= 1 ? 1 : kMinStep);
  if (labels_separation > 0 && std::isfinite(range)) {
    // Each round at least doubles the step, so a few hundred rounds reach any double.
    for (int round = 0; round < 4000 && std::isfinite(step); ++round) {
      const double quotient = range / step;
      if (std::fabs(quotient) < 2147483647.0 && std::nearbyint(quotient) <= labels_that_fit) {
        break;
      }
      step = NextLabelStep(step);
    }
  }
  return step < kMinStep ? kMinStep : step;
}

double TruncateToStep(double value, double step) {
  const double quotient = value / step;
  if (!std::isfinite(quotient)) return value;
  const double result = std::trunc(quotient) * step;
  return std::isfinite(result) ? result : value;
}

std::vector<double> AxisLabelValues(double minimum, double maximum, double step,
                                    bool round_first_label, int max_labels) {
  std::vector<double> values;
  if (!(std::fabs((maximum - minimum) / step) < 10000)) return values;
  // A zero range maps every value to one pixel: one label shows it. (The lower bound below lies
  // above a negative minimum, so the loop would show none.)
  if (minimum == maximum) {
    if (max_labels > 0) values.push_back(maximum);
    return values;
  }
  double value = round_first_label ? TruncateToStep(maximum, step) : maximum;
  while (value > maximum) {
    const double lower = value - step;
    if (lower == value) break;
    value = lower;
  }
  const double lowest = (minimum - 1e-12) / 1.000000000001;
  while (!(value < lowest) && static_cast<int>(values.size()) < max_labels) {
    values.push_back(value);
    const double lower = value - step;
    if (lower == value) break;
    value = lower;
  }
  return values;
}

}  // namespace tarvolen
