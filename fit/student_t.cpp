#include "fit/student_t.h"

#include <cmath>

namespace tarvolen {
namespace {

constexpr Extended kPi = 3.141592653589793238462643383279502884L;
constexpr Extended kSqrt2 = 1.414213562373095048801688724209698079L;
constexpr long long kLargestExact = 2000;

// P(Z > z) for the standard normal Z.
Extended NormalUpper(Extended z) {
  return 0.5L * erfcl(z / kSqrt2);
}

// z >= 0 with P(Z > z) = q, q in (0, 1/2]: a rational start good to 4.5E-4, then Newton's steps,
// which double the correct digits each time.
Extended NormalUpperQuantile(Extended q) {
  if (q >= 0.5L) return 0;
  const Extended s = sqrtl(-2 * logl(q));
  Extended z = s - (2.515517L + s * (0.802853L + s * 0.010328L)) /
                       (1 + s * (1.432788L + s * (0.189269L + s * 0.001308L)));
  for (int i = 0; i < 8; ++i) {
    const Extended density = expl(-0.5L * z * z) / sqrtl(2 * kPi);
    const Extended step = (NormalUpper(z) - q) / density;
    z += step;
    if (fabsl(step) <= 1e-19L * fabsl(z)) break;
  }
  return z;
}

// P(|T| <= √ν·tan θ) for Student's T with ν degrees of freedom, θ in [0, π/2]: the finite
// series of the distribution for a whole ν, summed from its last term so that each term is
// added to the smaller ones after it.
Extended CentralProbability(Extended theta, long long nu) {
  const Extended s = sinl(theta);
  const Extended c = cosl(theta);
  const Extended c2 = c * c;
  Extended sum = 1;
  if (nu % 2 == 0) {
    // sin θ·(1 + 1/2·cos²θ + 1·3/(2·4)·cos⁴θ + ... up to cos^(ν-2)θ)
    for (long long k = (nu - 2) / 2; k >= 1; --k) {
      sum = 1 + static_cast<Extended>(2 * k - 1) / static_cast<Extended>(2 * k) * c2 * sum;
    }
    return s * sum;
  }
  // 2/π·(θ + sin θ·cos θ·(1 + 2/3·cos²θ + 2·4/(3·5)·cos⁴θ + ... up to cos^(ν-3)θ)); ν = 1: 2θ/π
  if (nu == 1) return 2 * theta / kPi;
  for (long long k = (nu - 3) / 2; k >= 1; --k) {
    sum = 1 + static_cast<Extended>(2 * k) / static_cast<Extended>(2 * k + 1) * c2 * sum;
  }
  return 2 / kPi * (theta + s * c * sum);
}

// The Cornish–Fisher expansion of the t quantile in 1/ν around the normal quantile z.
Extended CornishFisher(Extended z, Extended nu) {
  const Extended z2 = z * z;
  const Extended g1 = z * (z2 + 1) / 4;
  const Extended g2 = z * ((5 * z2 + 16) * z2 + 3) / 96;
  const Extended g3 = z * (((3 * z2 + 19) * z2 + 17) * z2 - 15) / 384;
  const Extended g4 = z * ((((79 * z2 + 776) * z2 + 1482) * z2 - 1920) * z2 - 945) / 92160;
  return z + (g1 + (g2 + (g3 + g4 / nu) / nu) / nu) / nu;
}

}  // namespace

Extended NormalQuantile(Extended p) {
  return p < 0.5L ? -NormalUpperQuantile(p) : NormalUpperQuantile(1 - p);
}

Extended StudentTQuantile(Extended p, long long degrees_of_freedom) {
  const bool lower = p < 0.5L;
  const Extended tail = lower ? p : 1 - p;  // 1 - p is exact for p >= 1/2
  Extended t;
  if (degrees_of_freedom > kLargestExact) {
    t = CornishFisher(NormalUpperQuantile(tail), static_cast<Extended>(degrees_of_freedom));
  } else {
    // The central probability rises with θ from 0 at θ = 0 to 1 at π/2: halve the bracket until
    // it holds no extended real between its ends.
    const Extended central = 1 - 2 * tail;
    Extended low = 0, high = kPi / 2;
    for (;;) {
      const Extended middle = low + (high - low) / 2;
      if (middle <= low || middle >= high) break;
      if (CentralProbability(middle, degrees_of_freedom) < central) {
        low = middle;
      } else {
        high = middle;
      }
    }
    t = sqrtl(static_cast<Extended>(degrees_of_freedom)) * tanl(low + (high - low) / 2);
  }
  return lower ? -t : t;
}

}  // namespace tarvolen
