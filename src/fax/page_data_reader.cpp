#include "fax/page_data_reader.h"

namespace quillon::fax {

namespace {
constexpr std::uint8_t kDle = 16, kEtx = 3;
}

std::uint8_t ReverseBits(std::uint8_t b) {
  b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

std::size_t PageDataReader::feed(const std::uint8_t* data, std::size_t size, std::string& out, bool& ended) {
  ended = false;
  for (std::size_t i = 0; i < size; ++i) {
    std::uint8_t c = data[i];
    if (dlePending_) {
      dlePending_ = false;
      if (c == kEtx) {
        ended = true;
        return i + 1;
      }
    } else if (c == kDle) {
      dlePending_ = true;
      continue;
    }
    out += static_cast<char>(reverse_ ? ReverseBits(c) : c);
  }
  return size;
}

}  // namespace quillon::fax
