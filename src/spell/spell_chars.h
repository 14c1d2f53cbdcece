#pragma once
// The dictionaries' alphabet: 64 six-bit codes over Windows Latin-1 bytes, and the upper- and
// lower-casing the checker applies to words.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::spell {

constexpr int kAlphabetSize = 64;

// The 6-bit code of a byte (lower-case letters take their capital's code; any byte outside
// the alphabet has code 0, the code of 'A').
std::uint8_t charCode(unsigned char c);
// The upper-case byte a code stands for.
char codeChar(std::uint8_t code);
// True when the byte is part of the alphabet (in either case).
bool inAlphabet(unsigned char c);

unsigned char upperCase(unsigned char c);
unsigned char lowerCase(unsigned char c);
std::string upperCase(std::string_view word);

// Letters for the capitalisation of suggestions: A-Z, a-z and the Latin-1 letters.
bool isUpperLetter(unsigned char c);
bool isLowerLetter(unsigned char c);
inline bool isLetter(unsigned char c) { return isUpperLetter(c) || isLowerLetter(c); }

}  // namespace quillon::spell
