#pragma once

// The NIST reference data sets and their certified values (tests/data/nist).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "model_fixture.h"

namespace tarvolen::testing {

// The rows of the NIST reference file `name` (X Y per line).
inline Rows NistRows(const std::string& name) {
  std::ifstream file(std::string(TARVOLEN_TEST_DATA) + "/nist/" + name);
  Rows rows;
  std::string x, y;
  while (file >> x >> y) rows.emplace_back(x, y);
  return rows;
}

// The certified values of `dataset`, by name: the parameters ("B0", "b1"), their standard
// deviations ("sd_B0"), "resid_sd", "sse", "r2".
inline std::map<std::string, long double> NistCertified(const std::string& dataset) {
  std::ifstream file(std::string(TARVOLEN_TEST_DATA) + "/nist/certified.txt");
  std::map<std::string, long double> values;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string name, parameter, value;
    if (line.empty() || line[0] == '#' || !(fields >> name >> parameter >> value)) continue;
    if (name == dataset) values[parameter] = strtold(value.c_str(), nullptr);
  }
  return values;
}

inline void ExpectSignificantDigits(long double value, long double certified, double digits,
                                    const std::string& what = "") {
  EXPECT_LE(fabsl(value - certified), fabsl(certified) * powl(10, -digits))
      << what << ": value " << static_cast<double>(value) << " certified "
      << static_cast<double>(certified);
}

}  // namespace tarvolen::testing
