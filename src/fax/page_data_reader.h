#pragma once
// Page data as a fax modem hands it over: DLE DLE is one DLE, DLE ETX ends the data, DLE
// followed by any other byte stands for that byte. A Class 2 modem sends every byte with its
// bit order reversed; that is undone here.
#include <cstdint>
#include <string>

namespace quillon::fax {

class PageDataReader {
 public:
  explicit PageDataReader(bool reverseBits = false) : reverse_(reverseBits) {}
  void reset(bool reverseBits) {
    reverse_ = reverseBits;
    dlePending_ = false;
  }
  // Takes bytes until DLE ETX; stored bytes are appended to `out`. Returns how many input
  // bytes were used (all of them unless the end was found) and sets `ended` at DLE ETX.
  std::size_t feed(const std::uint8_t* data, std::size_t size, std::string& out, bool& ended);
  bool dlePending() const { return dlePending_; }

 private:
  bool reverse_;
  bool dlePending_ = false;
};

std::uint8_t ReverseBits(std::uint8_t b);

}  // namespace quillon::fax
