#include "common/fp_check.h"

namespace tarvolen::fp {

void Throw(unsigned bits) {
  Clear();
  if (bits & kInvalidBit) throw EInvalidOp();
  if (bits & kZeroDivideBit) throw EZeroDivide();
  throw EOverflow();
}

}  // namespace tarvolen::fp
