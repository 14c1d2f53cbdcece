#pragma once
// Windows code page 1252 (the "ANSI" Latin-1 of RTF's \'xx and of the fax store's texts).
#include <cstdint>

namespace quillon::richtext {

// The character of a byte; the five bytes the code page leaves unused map to U+0081 etc.
char16_t cp1252ToUnicode(std::uint8_t byte);
// The byte of a character, or -1 when the code page has none.
int unicodeToCp1252(char32_t character);

}  // namespace quillon::richtext
