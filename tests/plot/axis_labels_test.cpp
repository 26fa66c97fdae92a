#include "plot/axis_labels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tarvolen {
namespace {

TEST(FormatAxisLabel, FollowsTheThousandsAndThreeDecimalsFormat) {
  const FormatSettings english{'.', ','};
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {1234.5, "1,234.5"},
      {0.12345, "0.123"},
      {2, "2"},
      {-0.5, "-0.5"},
      {0, "0"},
      {-0.0001, "0"},            // rounds to zero: no sign
      {-4.440892098500626e-16, "0"},  // residue of repeated subtraction
      {0.0005, "0.001"},         // half away from zero
      {0.0625, "0.063"},
      {-0.0625, "-0.063"},
      {999.9996, "1,000"},
      {1234567.891, "1,234,567.891"},
      {-1234567, "-1,234,567"},
      {100, "100"},
      {1000, "1,000"},
      {0.1 + 0.2, "0.3"},
      {10.208333333333334, "10.208"},
      {-0.20833333333333334, "-0.208"},
      {1e20, "100,000,000,000,000,000,000"},
      {1e-20, "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatAxisLabel(c.value, english), c.text) << "value " << c.value;
  }
}

TEST(FormatAxisLabel, UsesTheLocaleSeparators) {
  EXPECT_EQ(FormatAxisLabel(1234567.25, {',', '.'}), "1.234.567,25");
  EXPECT_EQ(FormatAxisLabel(-0.5, {',', '.'}), "-0,5");
  EXPECT_EQ(FormatAxisLabel(12345, {'.', ' '}), "12 345");
}

TEST(NextLabelStep, RunsThroughOneTwoFive) {
  const struct {
    double step;
    double next;
  } cases[] = {
      {1, 2},      {1.5, 2},   {2, 5},     {4.99, 5},  {5, 10},   {9.99, 10},
      {10, 20},    {20, 50},   {50, 100},  {100, 200}, {0.5, 1},  {0.2, 0.5},
      {0.1, 0.2},  {0.05, 0.1}, {1.5e-12, 2e-12}, {1e6, 2e6},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(NextLabelStep(c.step), c.next) << "step " << c.step;
    EXPECT_GT(NextLabelStep(c.step), c.step);
  }
}

TEST(LabelsThatFit, DividesTheAxisBySizePlusSeparation) {
  const struct {
    int size, length, separation, fit;
  } cases[] = {
      {28, 250, 10, 8},   // space 31
      {0, 250, 10, 1},    // nothing to measure: one label
      {28, 250, 0, 9},    // no separation: space 28
      {13, 175, 10, 12},  // space 14, 12.5 rounds to even
      {13, 0, 10, 0},     // no length yet
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LabelsThatFit(c.size, c.length, c.separation), c.fit)
        << c.size << " on " << c.length;
  }
}

TEST(AxisLabelStep, PicksTheSmallestStepThatFits) {
  const struct {
    double range;
    int fit;
    double increment;
    int separation;
    double step;
  } cases[] = {
      {10.416666666666666, 8, 0, 10, 2},  // step 1 would give 10 labels
      {0.3, 6, 0, 10, 0.05},               // starts at 1e-12
      {100, 10, 0, 10, 10},
      {100, 4, 0, 10, 50},
      {10, 0, 0, 10, 1e-12},               // nothing fits
      {0, 5, 0, 10, 1e-12},                // zero range
      {10, 8, 3, 10, 3},                   // a wanted increment that fits
      {10, 2, 3, 10, 5},                   // ... or its next larger step
      {100, 4, 0, 0, 1},                   // no separation: no search
      {-5, 3, 0, 10, 1},                   // a negative range gives no labels to count
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(AxisLabelStep(c.range, c.fit, c.increment, c.separation), c.step, c.step * 1e-9)
        << "range " << c.range << ", " << c.fit << " fit";
  }
}

TEST(AxisLabelStep, StaysFiniteForHugeAndEndlessRanges) {
  const double huge = AxisLabelStep(1e300, 5, 0, 10);
  EXPECT_TRUE(std::isfinite(huge));
  EXPECT_LE(1e300 / huge, 5.5);
  EXPECT_EQ(AxisLabelStep(INFINITY, 5, 0, 10), 1);
}

TEST(AxisLabelValues, CountsDownFromTheTopOfTheRange) {
  const struct {
    const char* name;
    double minimum, maximum, step;
    bool round_first;
    std::vector<double> values;
  } cases[] = {
      {"worked example", -0.20833333333333334, 10.208333333333334, 2, true, {10, 8, 6, 4, 2, 0}},
      {"negative maximum lowered once", -9.7, -3.2, 2, true, {-4, -6, -8}},
      {"unrounded first label", 0.5, 9.5, 2, false, {9.5, 7.5, 5.5, 3.5, 1.5}},
      {"lowest label a hair below the minimum", 2 + 5e-13, 10, 2, true, {10, 8, 6, 4, 2}},
      {"lowest label clearly below the minimum", 2 + 1e-11, 10, 2, true, {10, 8, 6, 4}},
      {"zero range", 5, 5, 1e-12, true, {5}},
      {"zero range at a negative value", -2, -2, 1e-12, true, {-2}},
      {"zero range at zero", 0, 0, 1e-12, true, {0}},
      {"10000 steps or more", 0, 10000, 1, true, {}},
  };
  for (const auto& c : cases) {
    const std::vector<double> values =
        AxisLabelValues(c.minimum, c.maximum, c.step, c.round_first, 2000);
    ASSERT_EQ(values.size(), c.values.size()) << c.name;
    for (std::size_t i = 0; i < values.size(); ++i) {
      EXPECT_NEAR(values[i], c.values[i], 1e-9) << c.name << ", label " << i;
    }
  }
}

TEST(AxisLabelValues, KeepsWithinTheTickTable) {
  EXPECT_EQ(AxisLabelValues(0, 9999, 1, true, 2000).size(), 2000u);
}

TEST(AxisLabelValues, EndsWhenTheStepCannotLowerTheValue) {
  // The step is below the spacing of doubles near 1e20.
  const std::vector<double> values = AxisLabelValues(1e20, 1e20 + 16384, 5000, true, 2000);
  EXPECT_GE(values.size(), 1u);
  EXPECT_LE(values.size(), 2u);
}

}  // namespace
}  // namespace tarvolen
