#pragma once
// Words of a plain Latin-1 text for checking: runs of letters, with apostrophes between
// letters kept inside the word ("don't", "fax's"); anything else separates words.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::spell {

struct TextWord {
  std::size_t offset = 0;  // byte offset in the text
  std::size_t line = 1;    // 1-based line number
  std::string text;
};

std::vector<TextWord> splitWords(std::string_view text);

// The readable text of an RTF document: control words and symbols are dropped (\'hh gives its
// byte, \par and \line a line break, \tab a blank) and so are groups that hold no body text
// (font and colour tables, style sheets, document information, pictures, {\* ...}).
std::string rtfPlainText(std::string_view rtf);

}  // namespace quillon::spell
