#include "platform/cp1252.h"

namespace quillon::platform {

namespace {

// 0x80..0x9F; the undefined positions keep their own number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The character starting at `i` and its length; length 0 for a malformed sequence.
char32_t decodeUtf8(std::string_view s, std::size_t i, int& length) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + static_cast<std::size_t>(length) > s.size()) {
    length = 0;
    return 0;
  }
  char32_t code = length == 1 ? c : c & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) {
      length = 0;
      return 0;
    }
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) length = 0;
  return code;
}

}  // namespace

char32_t cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

int unicodeToCp1252(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<int>(character);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == character) return 0x80 + i;
  return -1;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
  std::string out;
  out.reserve(cp1252.size());
  for (unsigned char c : cp1252) appendUtf8(out, cp1252ToUnicode(c));
  return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    int length = 0;
    char32_t code = decodeUtf8(utf8, i, length);
    if (length == 0) {
      out += '?';
      ++i;
      continue;
    }
    int byte = unicodeToCp1252(code);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    int length = 0;
    decodeUtf8(bytes, i, length);
    if (length == 0) return false;
    i += static_cast<std::size_t>(length);
  }
  return true;
}

}  // namespace quillon::platform
