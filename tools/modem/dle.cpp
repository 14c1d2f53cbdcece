#include "dle.h"

namespace quillon::modem {

std::string dleStuff(std::string_view data) {
  std::string out;
  out.reserve(data.size() + data.size() / 16 + 2);
  for (char c : data) {
    out += c;
    if (c == kDle) out += kDle;
  }
  return out;
}

std::size_t DleReader::feed(std::string_view bytes, std::string& data) {
  std::size_t i = 0;
  while (i < bytes.size() && !ended_) {
    char c = bytes[i++];
    if (afterDle_) {
      afterDle_ = false;
      if (c == kDle) {
        data += kDle;
      } else if (c == kEtx || (class20Endings_ && (c == ',' || c == ';' || c == '.'))) {
        ended_ = true;
        terminator_ = c;
      } else {
        // DLE with anything else: the DLE is dropped and the character kept, as modems do.
        data += c;
      }
    } else if (c == kDle) {
      afterDle_ = true;
    } else {
      data += c;
    }
  }
  return i;
}

std::uint8_t reverseBits(std::uint8_t b) {
  b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  b = static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
  return b;
}

}  // namespace quillon::modem
