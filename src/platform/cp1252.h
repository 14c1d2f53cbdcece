#pragma once
// Text inside the engines and in every file is single-byte Windows Latin-1, code page 1252
// (0x80-0x9F hold the euro sign, dashes, curly quotes, ...); terminals, JSON, Qt and the
// command line want Unicode. This is the one place that converts between them.
//
// The five positions code page 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to
// the control characters of the same number (U+0081 ...) and back, so every byte
// round-trips. Characters code page 1252 cannot hold become '?'.
#include <string>
#include <string_view>

namespace quillon::platform {

char32_t cp1252ToUnicode(unsigned char byte);
// The byte for a character, or -1 when code page 1252 has none.
int unicodeToCp1252(char32_t character);

std::string cp1252ToUtf8(std::string_view cp1252);
// Unmappable characters and malformed sequences become '?'.
std::string utf8ToCp1252(std::string_view utf8);
bool isValidUtf8(std::string_view bytes);

}  // namespace quillon::platform
