#pragma once

// Quantiles of the normal and of Student's t distribution, for the confidence intervals of the
// coefficients. Plain extended arithmetic from the C library's trigonometric and error
// functions; no state, so any thread may call them.

#include "common/extended.h"

namespace tarvolen {

// z with P(Z <= z) = p for the standard normal Z; p in (0, 1). Accurate to a few units in the
// last place of z away from p = 1/2 (where z is 0).
Extended NormalQuantile(Extended p);

// t with P(T <= t) = p for Student's T with `degrees_of_freedom` >= 1; p in (0, 1). Up to 2000
// degrees of freedom the quantile inverts the distribution's exact finite series; above, it is
// the Cornish–Fisher expansion in 1/ν to the fourth order, whose omitted terms are below 1E-17
// of t there. Either way t is good to about 17 significant digits for p within 0.0005 of 0 or 1.
Extended StudentTQuantile(Extended p, long long degrees_of_freedom);

}  // namespace tarvolen
