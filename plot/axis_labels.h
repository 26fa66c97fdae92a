#pragma once

// The arithmetic of axis labels: text, step and the values to label. Pure functions, so the
// axis drawing and its tests share them.

#include <string>
#include <vector>

#include "common/number_text.h"

namespace tarvolen {

// `value` in the format "#,##0.###": at least one integer digit, the thousands separator between
// groups of three, up to three decimals rounded half away from zero (from the value's 15
// significant digits) with trailing zeros and a bare separator dropped, a leading "-" for
// negative values. A value that rounds to zero carries no sign.
std::string FormatAxisLabel(double value, const FormatSettings& format);

// The next step of the series 1, 2, 5, 10, 20, 50... (and 0.5, 0.2, 0.1... below 1): strictly
// larger than `step` for any positive finite step. Infinity stays infinity.
double NextLabelStep(double step);

// The label step for an axis of effective `range` on which at most `labels_that_fit` labels
// fit: 1e-12 when none fits; else the smallest step of the 1-2-5 series from `increment` (or
// from 1, or from 1e-12 when |range| is below 1) that gives no more labels than fit, when
// `labels_separation` is above 0. Never below 1e-12.
double AxisLabelStep(double range, int labels_that_fit, double increment,
                     int labels_separation);

// At most how many labels of `label_size` pixels (plus `labels_separation` percent) fit on an
// axis `length` pixels long.
int LabelsThatFit(int label_size, int length, int labels_separation);

// `value` truncated to a whole multiple of `step`; `value` itself when the quotient lies beyond
// the range where truncation changes anything.
double TruncateToStep(double value, double step);

// The values an axis labels, from the top of the range downward: nothing when the range holds
// 10000 steps or more; one label at the value for a zero range; else from the maximum (or its
// multiple of the step) down to the lowest value not below (minimum - 1e-12) / 1.000000000001,
// never more than `max_labels` values and never again a value the step cannot lower.
std::vector<double> AxisLabelValues(double minimum, double maximum, double step,
                                    bool round_first_label, int max_labels);

}  // namespace tarvolen
