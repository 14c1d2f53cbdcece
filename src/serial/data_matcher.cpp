#include "serial/data_matcher.h"

namespace quillon::serial {

namespace {
std::uint8_t upper(std::uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 32) : c; }
}  // namespace

DataMatcher::DataMatcher(std::string_view text, bool ignoreCase)
    : text_(text.substr(0, kMaxLength)), ignoreCase_(ignoreCase) {
  if (ignoreCase_)
    for (char& c : text_) c = static_cast<char>(upper(static_cast<std::uint8_t>(c)));
  partial_.reserve(text_.size());
}

bool DataMatcher::feed(std::uint8_t byte) {
  if (text_.empty()) return false;
  if (ignoreCase_) byte = upper(byte);
  std::size_t kept = 0;
  for (std::uint8_t len : partial_) {
    if (static_cast<std::uint8_t>(text_[len]) != byte) continue;
    if (len + 1u == text_.size()) {
      partial_.clear();
      return true;
    }
    partial_[kept++] = static_cast<std::uint8_t>(len + 1);
  }
  partial_.resize(kept);
  if (static_cast<std::uint8_t>(text_[0]) == byte) {
    if (text_.size() == 1) {
      partial_.clear();
      return true;
    }
    partial_.push_back(1);
  }
  return false;
}

}  // namespace quillon::serial
