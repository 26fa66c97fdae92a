#pragma once

// What a finished fit may leave behind, whatever its data: either a complete report (the model's
// labels, each with a finite number in the report's own format) beside a curve of 20·n + 1
// finite points, or one of the system's messages with an empty results box. No NaN or infinity
// ever reaches the chart or the report. Shared by the fit tests and the fit fuzz target.

#include <cmath>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "common/errors.h"
#include "common/number_text.h"
#include "fit/fit.h"
#include "plot/series.h"

namespace tarvolen::testing {

// The transitional answer of a model whose fit is not built yet.
inline bool IsNotAvailableYet(std::string_view message) {
  return message.ends_with(" model is not available yet");
}

// Empty when `error` is one of the system's messages, followed by at most one plain sentence on
// its cause; otherwise what is wrong with it.
inline std::string CheckFitError(const Exception& error, char decimal_separator) {
  const std::string message = error.Message();
  const std::string& cause = error.Cause();
  if (!cause.empty()) {
    if (cause.back() != '.' || cause.find(". ") != std::string::npos) {
      return "not one sentence: " + cause;
    }
    for (const char c : cause) {
      if (static_cast<unsigned char>(c) < 32) return "control character in: " + cause;
    }
  }
  if (dynamic_cast<const EConvertError*>(&error)) {
    constexpr std::string_view kTail = "' is not a valid floating point value";
    if (message.size() < kTail.size() + 1 || message.front() != '\'' ||
        !std::string_view(message).ends_with(kTail)) {
      return "malformed conversion error: " + message;
    }
    const std::string_view cell =
        std::string_view(message).substr(1, message.size() - 1 - kTail.size());
    Extended ignored;
    if (TryTextToFloat(cell, decimal_separator, ignored)) {
      return "conversion error for a number: " + message;
    }
    return "";
  }
  if (dynamic_cast<const EInvalidOp*>(&error)) {
    return message == "Invalid floating point operation" ? "" : "changed text: " + message;
  }
  if (dynamic_cast<const EZeroDivide*>(&error)) {
    return message == "Floating point division by zero" ? "" : "changed text: " + message;
  }
  if (dynamic_cast<const EOverflow*>(&error)) {
    return message == "Floating point overflow" ? "" : "changed text: " + message;
  }
  if (dynamic_cast<const EFitError*>(&error)) {
    // The fits' own messages (a singular system, an iteration that does not settle).
    if (message.empty()) return "empty fit error";
    for (const char c : message) {
      if (static_cast<unsigned char>(c) < 32) return "control character in: " + message;
    }
    return "";
  }
  return std::string("unexpected error type ") + typeid(error).name() + ": " + message;
}

// Empty when every point of the curve is finite (nullptr: no curve).
inline std::string CheckCurvePoints(const TLineSeries* curve) {
  if (!curve) return "";
  for (std::size_t i = 0; i < curve->Count(); ++i) {
    if (!std::isfinite(curve->XValues()[i]) || !std::isfinite(curve->YValues()[i])) {
      return "curve point " + std::to_string(i) + " is not finite";
    }
  }
  return "";
}

// Empty when `lines` are the complete report of `model`.
inline std::string CheckReport(Model model, const std::vector<std::string>& lines,
                               char decimal_separator) {
  std::vector<std::string_view> labels = {"a= ", "b= "};
  if (model == Model::kQuadratic) labels.push_back("c= ");
  labels.push_back("Standard Error= ");
  labels.push_back("correlation coefficient= ");
  if (lines.size() != labels.size()) return "report of " + std::to_string(lines.size()) + " lines";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (!std::string_view(line).starts_with(labels[i])) return "wrong label: " + line;
    const std::string number = line.substr(labels[i].size());
    Extended value;
    if (!TryTextToFloat(number, decimal_separator, value) || !std::isfinite(value)) {
      return "not a number: " + line;
    }
    if (FloatToText(value, decimal_separator) != number) return "not in report format: " + line;
  }
  return "";
}

// Empty when a successful fit of `rows` data rows left a complete, finite curve.
inline std::string CheckCompleteCurve(const TLineSeries* curve, const FitFields& fields,
                                      long long rows) {
  if (!curve) return "no curve";
  if (static_cast<long long>(curve->Count()) != 20 * rows + 1) {
    return "curve of " + std::to_string(curve->Count()) + " points";
  }
  if (!std::isfinite(fields.StdError) || !std::isfinite(fields.CorrCoef)) {
    return "statistics not finite";
  }
  return CheckCurvePoints(curve);
}

}  // namespace tarvolen::testing
