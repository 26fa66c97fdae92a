#include "fit/linear.h"

#include <algorithm>
#include <vector>

namespace tarvolen::fit {

RCOVec SolveNormal(const RCOMat& a, const RCOMat& rhs) {
  const int order = static_cast<int>(a.size());
  RCOVec result;
  fp::Guarded([&](auto tag) {
    using T = decltype(tag);
    RCOMat normal = a;  // MatInverse overwrites its input
    RCOMat inverse = ZeroMatrix(order, order);
    RCOMat solution = ZeroMatrix(order, 1);
    if (MatInverse<T>(normal, inverse) == kMatSingular) throw EFitError(kSingularMessage);
    static_cast<void>(MatMult<T>(inverse, rhs, solution));
    result.resize(static_cast<std::size_t>(order));
    for (int i = 0; i < order; ++i) result[i] = solution[i][0];
  });
  return result;
}

void RequireDistinctX(const DataPoints& points, std::size_t coefficients) {
  if (FirstDistinctX(points, coefficients).size() < coefficients) {
    throw EFitError(kSingularMessage);
  }
}

std::array<Extended, 2> SolveNormal2(Extended s0, Extended sx, Extended sxx, Extended sy,
                                     Extended sxy) {
  const RCOVec solution = SolveNormal({{s0, sx}, {sx, sxx}}, {{sy}, {sxy}});
  return {solution[0], solution[1]};
}

}  // namespace tarvolen::fit
