#pragma once
// The spelling key that prunes the suggestion search: the first character, then the sound
// classes of the consonants that follow (vowels dropped, each class once), four bytes long.
#include <array>
#include <string>
#include <string_view>

namespace quillon::spell {

using SpellingKey = std::array<unsigned char, 4>;

// The key of an upper-cased word; a short key is padded with zero bytes.
SpellingKey wordKey(std::string_view upperWord);
// The key of an upper-cased prefix; a short key is padded with `reference`'s bytes at the same
// positions, so it equals the reference while the prefix can still grow into a match.
SpellingKey prefixKey(std::string_view upperPrefix, const SpellingKey& reference);

// The first letters tried for suggestions, in order, for a word beginning with `first`
// (upper case): letters that are often typed or heard in its place, and itself.
std::string alternativeFirstLetters(unsigned char first);

}  // namespace quillon::spell
