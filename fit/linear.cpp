#include "fit/linear.h"

namespace tarvolen::fit {

std::array<Extended, 2> SolveNormal2(Extended s0, Extended sx, Extended sxx, Extended sy,
                                     Extended sxy) {
  std::array<Extended, 2> result{};
  fp::Guarded([&](auto tag) {
    using T = decltype(tag);
    RCOMat a = {{s0, sx}, {sx, sxx}};
    RCOMat inverse = ZeroMatrix(2, 2);
    const RCOMat rhs = {{sy}, {sxy}};
    RCOMat solution = ZeroMatrix(2, 1);
    if (MatInverse<T>(a, inverse) == kMatSingular) throw EFitError(kSingularMessage);
    MatMult<T>(inverse, rhs, solution);
    result = {solution[0][0], solution[1][0]};
  });
  return result;
}

}  // namespace tarvolen::fit
