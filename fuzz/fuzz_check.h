#pragma once

// What every fuzz target uses to report a finding: a message on standard error, then abort(),
// which libFuzzer records as a crash together with the input that caused it.

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/extended.h"

namespace tarvolen::fuzz {

[[noreturn]] inline void Fail(std::string_view what, std::string_view detail = {}) {
  std::fprintf(stderr, "\nFINDING: %.*s\n  %.*s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void Require(bool ok, std::string_view what, std::string_view detail = {}) {
  if (!ok) Fail(what, detail);
}

// Whether a text shows a NaN or an infinity the way the C library would spell it.
inline bool ShowsNanOrInf(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// A value with all its digits, for the finding's message.
inline std::string Show(Extended v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.21Lg", v);
  return buffer;
}

}  // namespace tarvolen::fuzz
