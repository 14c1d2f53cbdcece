#include "spell/spell_chars.h"

#include <array>

namespace quillon::spell {

namespace {

constexpr int kNoCode = -1;

// Code of an upper-case byte, or kNoCode.
constexpr int upperCode(unsigned c) {
  if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A');
  if (c == '\'') return 26;
  if (c == '-') return 27;
  if (c == 0x8A) return 28;
  if (c == 0x8C) return 29;
  if (c == 0x9F) return 30;
  if (c >= 0xC0 && c <= 0xD6) return static_cast<int>(31 + c - 0xC0);
  if (c >= 0xD8 && c <= 0xDF) return static_cast<int>(54 + c - 0xD8);
  if (c == 0xF0) return 62;
  if (c == 0x60) return 63;
  return kNoCode;
}

constexpr unsigned char upperOf(unsigned c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0xFF: return 0x9F;
    case 0xF0:
    case 0xF7: return static_cast<unsigned char>(c);
    default: break;
  }
  if (c >= 0xE0 && c <= 0xFE) return static_cast<unsigned char>(c - 0x20);
  return static_cast<unsigned char>(c);
}

struct Tables {
  std::array<std::int8_t, 256> code{};  // kNoCode for bytes outside the alphabet
  std::array<char, kAlphabetSize> chars{};
  constexpr Tables() {
    for (unsigned c = 0; c < 256; ++c) {
      code[c] = static_cast<std::int8_t>(upperCode(upperOf(c)));
      int own = upperCode(c);
      if (own != kNoCode) chars[static_cast<unsigned>(own)] = static_cast<char>(c);
    }
  }
};
constexpr Tables kTables;

}  // namespace

std::uint8_t charCode(unsigned char c) {
  int code = kTables.code[c];
  return static_cast<std::uint8_t>(code == kNoCode ? 0 : code);
}

char codeChar(std::uint8_t code) { return kTables.chars[code & 63]; }

bool inAlphabet(unsigned char c) { return kTables.code[c] != kNoCode; }

unsigned char upperCase(unsigned char c) { return upperOf(c); }

std::string upperCase(std::string_view word) {
  std::string out(word);
  for (char& c : out) c = static_cast<char>(upperOf(static_cast<unsigned char>(c)));
  return out;
}

bool isUpperLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || c == 0x8A || c == 0x8C || c == 0x9F || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool isLowerLetter(unsigned char c) {
  return (c >= 'a' && c <= 'z') || c == 0x9A || c == 0x9C || c == 0xFF || (c >= 0xDF && c <= 0xFE && c != 0xF7);
}

unsigned char lowerCase(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x9F: return 0xFF;
    default: break;
  }
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  return c;
}

}  // namespace quillon::spell
