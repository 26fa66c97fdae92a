#pragma once

#include <limits>

namespace tarvolen {

// Every fit computes in the x87 80-bit extended format: 64-bit significand, rounding to nearest.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the x87 80-bit format with a 64-bit significand");

}  // namespace tarvolen
