#include "richtext/rtf_tokenizer.h"

#include <climits>

namespace quillon::richtext {
namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::size_t kLongestControlWord = 32;

}  // namespace

RtfToken RtfTokenizer::next() {
  RtfToken token;
  // Line ends between tokens carry no meaning in RTF.
  while (pos_ < bytes_.size() && (bytes_[pos_] == '\r' || bytes_[pos_] == '\n')) ++pos_;
  if (pos_ >= bytes_.size()) return token;
  const char c = bytes_[pos_];
  if (c == '{') {
    ++pos_;
    token.kind = RtfToken::GroupOpen;
    return token;
  }
  if (c == '}') {
    ++pos_;
    token.kind = RtfToken::GroupClose;
    return token;
  }
  if (c == '\\') return controlWord();
  const std::size_t start = pos_;
  while (pos_ < bytes_.size()) {
    const char t = bytes_[pos_];
    if (t == '\\' || t == '{' || t == '}' || t == '\r' || t == '\n') break;
    ++pos_;
  }
  token.kind = RtfToken::Text;
  token.word = bytes_.substr(start, pos_ - start);
  return token;
}

RtfToken RtfTokenizer::controlWord() {
  RtfToken token;
  ++pos_;  // the backslash
  if (pos_ >= bytes_.size()) return token;  // a lone backslash at the end: nothing more
  const char c = bytes_[pos_];
  if (!isLetter(c)) {
    ++pos_;
    if (c == '\'') {
      // \'xx: two hex digits; a malformed one yields nothing but is consumed.
      int high = pos_ < bytes_.size() ? hexValue(bytes_[pos_]) : -1;
      int low = pos_ + 1 < bytes_.size() ? hexValue(bytes_[pos_ + 1]) : -1;
      if (high >= 0 && low >= 0) {
        pos_ += 2;
        token.kind = RtfToken::HexByte;
        token.byte = static_cast<std::uint8_t>(high * 16 + low);
        return token;
      }
      if (high >= 0) ++pos_;
      return next();
    }
    token.kind = RtfToken::ControlSymbol;
    token.symbol = (c == '\r') ? '\n' : c;  // "\<CR><LF>" and "\<LF>" both mean \par
    if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
    return token;
  }
  const std::size_t start = pos_;
  while (pos_ < bytes_.size() && isLetter(bytes_[pos_])) ++pos_;
  std::size_t length = pos_ - start;
  if (length > kLongestControlWord) length = kLongestControlWord;
  token.kind = RtfToken::ControlWord;
  token.word = bytes_.substr(start, length);
  bool negative = false;
  if (pos_ < bytes_.size() && bytes_[pos_] == '-' && pos_ + 1 < bytes_.size() && isDigit(bytes_[pos_ + 1])) {
    negative = true;
    ++pos_;
  }
  if (pos_ < bytes_.size() && isDigit(bytes_[pos_])) {
    long long value = 0;
    while (pos_ < bytes_.size() && isDigit(bytes_[pos_])) {
      if (value < INT_MAX) value = value * 10 + (bytes_[pos_] - '0');
      ++pos_;
    }
    if (value > INT_MAX) value = INT_MAX;
    token.hasParameter = true;
    token.parameter = static_cast<int>(negative ? -value : value);
  }
  if (pos_ < bytes_.size() && bytes_[pos_] == ' ') ++pos_;  // the delimiting blank belongs to the word
  if (token.word == "bin") {
    // Raw bytes follow; take no more than there are.
    std::size_t count = token.hasParameter && token.parameter > 0 ? static_cast<std::size_t>(token.parameter) : 0;
    if (count > bytes_.size() - pos_) count = bytes_.size() - pos_;
    token.kind = RtfToken::Binary;
    token.word = bytes_.substr(pos_, count);
    pos_ += count;
  }
  return token;
}

}  // namespace quillon::richtext
