#pragma once
// The receiver's check of the sender's training: the bytes that came on the new carrier are
// counted, and so are those that are not zero. The training passed when fewer than one in
// ten were not zero (in whole percent). A check in which nothing arrived failed.
#include <cstdint>

namespace quillon::fax {

class TrainingCheck {
 public:
  void reset() { *this = TrainingCheck(); }
  // Takes one byte as the modem sent it; true at DLE ETX (the end of the check). A DLE
  // stands for the byte after it, DLE DLE for one DLE.
  bool feed(std::uint8_t c);
  bool passed() const { return bytes_ > 0 && nonZero_ * 100 / bytes_ < 10; }
  std::uint64_t bytes() const { return bytes_; }
  std::uint64_t nonZero() const { return nonZero_; }

 private:
  std::uint64_t bytes_ = 0, nonZero_ = 0;
  bool dle_ = false;
};

}  // namespace quillon::fax
