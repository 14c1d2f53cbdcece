#pragma once
// Splits RTF bytes into groups, control words, control symbols, hex bytes and text runs.
// Standard library only. Never reads past the end: \binN takes at most the bytes that are
// left, parameters saturate, over-long control words are cut (the rest is still consumed).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillon::richtext {

struct RtfToken {
  enum Kind { End, GroupOpen, GroupClose, ControlWord, ControlSymbol, HexByte, Text, Binary };
  Kind kind = End;
  std::string_view word;   // ControlWord: the letters; Text and Binary: the bytes
  bool hasParameter = false;
  int parameter = 0;       // clamped to the int range
  char symbol = 0;         // ControlSymbol: the character after the backslash
  std::uint8_t byte = 0;   // HexByte
};

class RtfTokenizer {
 public:
  explicit RtfTokenizer(std::string_view bytes) : bytes_(bytes) {}
  RtfToken next();
  std::size_t offset() const { return pos_; }

 private:
  RtfToken controlWord();
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace quillon::richtext
