#pragma once
// The DLE rules of fax data between modem and DTE: DLE (0x10) is doubled in data, DLE ETX
// ends a frame or a page, and in Class 2.0 DLE followed by ',' ';' '.' ends a page.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::modem {

constexpr char kDle = 0x10;
constexpr char kEtx = 0x03;
constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;
constexpr char kDc2 = 0x12;
constexpr char kCan = 0x18;

std::string dleStuff(std::string_view data);

// Reads DTE data with DLE pairs undone. `feed` returns the number of bytes it consumed:
// it stops after the DLE pair that ends the data (its second byte is `terminator()`).
class DleReader {
 public:
  // With `class20Endings`, DLE ',' ';' '.' end the data as well as DLE ETX.
  explicit DleReader(bool class20Endings = false) : class20Endings_(class20Endings) {}
  std::size_t feed(std::string_view bytes, std::string& data);
  bool ended() const { return ended_; }
  char terminator() const { return terminator_; }
  void reset(bool class20Endings = false) { *this = DleReader{class20Endings}; }

 private:
  bool class20Endings_ = false;
  bool afterDle_ = false;
  bool ended_ = false;
  char terminator_ = 0;
};

std::uint8_t reverseBits(std::uint8_t b);

}  // namespace quillon::modem
