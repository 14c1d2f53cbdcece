#include "spell/text_words.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "spell/spell_chars.h"

namespace quillon::spell {

namespace {

bool letterAt(std::string_view text, std::size_t i) {
  return i < text.size() && isLetter(static_cast<unsigned char>(text[i]));
}

constexpr std::array<std::string_view, 12> kSkippedDestinations = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "object", "listtable", "listoverridetable",
    "revtbl", "rsidtbl", "generator", "xmlnstbl"};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::vector<TextWord> splitWords(std::string_view text) {
  std::vector<TextWord> words;
  std::size_t line = 1;
  for (std::size_t i = 0; i < text.size();) {
    if (!letterAt(text, i)) {
      if (text[i] == '\n') ++line;
      ++i;
      continue;
    }
    std::size_t end = i;
    auto innerApostrophe = [&](std::size_t at) { return at < text.size() && text[at] == '\'' && letterAt(text, at + 1); };
    while (letterAt(text, end) || innerApostrophe(end)) ++end;
    words.push_back({i, line, std::string(text.substr(i, end - i))});
    i = end;
  }
  return words;
}

std::string rtfPlainText(std::string_view rtf) {
  std::string out;
  int depth = 0;
  int skipBelow = -1;  // while >= 0: inside a skipped group opened at this depth
  bool groupStart = false;
  for (std::size_t i = 0; i < rtf.size();) {
    char c = rtf[i];
    if (c == '{') {
      ++depth;
      groupStart = true;
      ++i;
      continue;
    }
    if (c == '}') {
      if (skipBelow >= 0 && depth <= skipBelow) skipBelow = -1;
      if (depth > 0) --depth;
      groupStart = false;
      ++i;
      continue;
    }
    bool atGroupStart = groupStart;
    groupStart = false;
    bool skipping = skipBelow >= 0;
    if (c == '\\') {
      if (i + 1 == rtf.size()) break;
      char next = rtf[i + 1];
      if (std::isalpha(static_cast<unsigned char>(next))) {
        std::size_t end = i + 1;
        while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
        std::string_view word = rtf.substr(i + 1, end - i - 1);
        if (end < rtf.size() && (rtf[end] == '-' || std::isdigit(static_cast<unsigned char>(rtf[end])))) ++end;
        while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
        if (end < rtf.size() && rtf[end] == ' ') ++end;
        i = end;
        if (skipping) continue;
        if (atGroupStart &&
            std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) != kSkippedDestinations.end())
          skipBelow = depth;
        else if (word == "par" || word == "line")
          out.push_back('\n');
        else if (word == "tab")
          out.push_back(' ');
        continue;
      }
      i += 2;
      if (next == '*' && atGroupStart) {
        skipBelow = depth;
      } else if (next == '\'' && i + 1 < rtf.size() && hexValue(rtf[i]) >= 0 && hexValue(rtf[i + 1]) >= 0) {
        if (!skipping) out.push_back(static_cast<char>(hexValue(rtf[i]) * 16 + hexValue(rtf[i + 1])));
        i += 2;
      } else if (!skipping && (next == '\\' || next == '{' || next == '}')) {
        out.push_back(next);
      } else if (!skipping && (next == '~')) {
        out.push_back(' ');
      }
      continue;
    }
    if (!skipping && c != '\r' && c != '\n') out.push_back(c);
    ++i;
  }
  return out;
}

}  // namespace quillon::spell
