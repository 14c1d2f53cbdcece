#include "spell/spelling_key.h"

#include <algorithm>

namespace quillon::spell {

namespace {

bool isDropped(unsigned char c) {
  switch (c) {
    case 'A': case 'E': case 'H': case 'I': case 'O': case 'U': case 'W': case 'Y': case 0x9F: case 0xF0:
      return true;
    default:
      return (c >= 0xC0 && c <= 0xC6) || (c >= 0xC8 && c <= 0xCF) || (c >= 0xD2 && c <= 0xD6) ||
             (c >= 0xD8 && c <= 0xDD);
  }
}

unsigned char soundClass(unsigned char c) {
  switch (c) {
    case 'B': case 'F': case 'P': case 'V': case 0xDE: case 0xDF: case '6': case '8':
      return 1;
    case 'C': case 'G': case 'J': case 'K': case 'Q': case 'S': case 'X': case 'Z': case 0x8A: case 0x8C:
    case 0xC7: case '3': case '4': case '5': case '9':
      return 2;
    case 'D': case 'T': case 0xD0:
      return 3;
    case 'L': case '2':
      return 4;
    case 'M': case 'N': case 0xD1:
      return 5;
    case 'R':
      return 6;
    case '\'': case '-': case '`':
      return 7;
    case '0':
      return 'O';
    case '1': case '7':
      return 'I';
    default:
      return c;
  }
}

// The key's bytes before padding: at most four.
std::size_t keyBytes(std::string_view text, SpellingKey& key) {
  if (text.empty()) return 0;
  key[0] = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  for (std::size_t i = 1; i < text.size() && length < key.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (isDropped(c)) continue;
    c = soundClass(c);
    if (std::find(key.begin() + 1, key.begin() + static_cast<std::ptrdiff_t>(length), c) ==
        key.begin() + static_cast<std::ptrdiff_t>(length))
      key[length++] = c;
  }
  return length;
}

std::string range(unsigned char from, unsigned char to) {
  std::string out;
  for (unsigned c = from; c <= to; ++c) out.push_back(static_cast<char>(c));
  return out;
}

}  // namespace

SpellingKey wordKey(std::string_view text) {
  SpellingKey key{};
  keyBytes(text, key);
  return key;
}

SpellingKey prefixKey(std::string_view text, const SpellingKey& reference) {
  SpellingKey key{};
  for (std::size_t i = keyBytes(text, key); i < key.size(); ++i) key[i] = reference[i];
  return key;
}

std::string alternativeFirstLetters(unsigned char c) {
  auto in = [c](unsigned char from, unsigned char to) { return c >= from && c <= to; };
  if (c == 'A' || in(0xC0, 0xC6)) return "EDA" + range(0xC0, 0xC6);
  if (c == 'B' || c == 0xDF) return "PVNB\xDF";
  if (c == 'C' || c == 0x8C || c == 0xC7) return "SXVC\xC7\x8C";
  if (c == 'D' || c == 0xD0) return "FD\xD0";
  if (c == 'E' || in(0xC8, 0xCB)) return "IWRE" + range(0xC8, 0xCF);
  if (c == 'I' || in(0xCC, 0xCF)) return "EOUI" + range(0xC8, 0xCF);
  if (c == 'N' || c == 0xD1) return "MBN\xD1";
  if (c == 'O' || in(0xD2, 0xD6)) return "PIO" + range(0xD2, 0xD6) + range(0xCC, 0xCF);
  if (c == 'P' || c == 0xDE) return "BOP\xDE";
  if (c == 'U' || in(0xD9, 0xDC)) return "YIU" + range(0xD9, 0xDC);
  if (c == 'Y' || c == 0x9F || c == 0xDD) return "TUY\x9F\xDD";
  switch (c) {
    case 'F': return "DGF";
    case 'G': return "JG";
    case 'H': return "JGH";
    case 'J': return "GJ";
    case 'K': return "CLJK";
    case 'L': return "KL";
    case 'M': return "NM\xD1";
    case 'Q': return "WQ";
    case 'R': return "ETR";
    case 'S': return "ACDS\x8A\x8C";
    case 'T': return "YRT";
    case 'V': return "BCV\xC7\x8C";
    case 'W': return "QEW";
    case 'X': return "CZX";
    case 'Z': return "XZ";
    default: return std::string(1, static_cast<char>(c));
  }
}

}  // namespace quillon::spell
