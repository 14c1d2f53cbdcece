#include "fax/training_check.h"

namespace quillon::fax {

bool TrainingCheck::feed(std::uint8_t c) {
  if (dle_) {
    dle_ = false;
    if (c == 3) return true;
  } else if (c == 16) {
    dle_ = true;
    return false;
  }
  ++bytes_;
  if (c != 0) ++nonZero_;
  return false;
}

}  // namespace quillon::fax
