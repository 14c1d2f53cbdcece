#pragma once
// Finds a string in a byte stream fed one byte at a time. It keeps the length of every
// partial match still alive, so "OK" is found in "OOK": the second 'O' starts a new partial
// match while the first one fails. Each occurrence is reported once; after a match the state
// starts afresh, so occurrences do not overlap.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::serial {

class DataMatcher {
 public:
  static constexpr std::size_t kMaxLength = 21;

  DataMatcher() = default;
  // `text` is cut to kMaxLength; with `ignoreCase` bytes and text compare upper-cased
  // (ASCII letters only, as the modem answers are).
  DataMatcher(std::string_view text, bool ignoreCase);

  // Feeds one byte; true when it completes an occurrence.
  bool feed(std::uint8_t byte);
  void reset() { partial_.clear(); }

  const std::string& text() const { return text_; }
  bool ignoreCase() const { return ignoreCase_; }
  std::size_t length() const { return text_.size(); }

 private:
  std::string text_;
  bool ignoreCase_ = false;
  std::vector<std::uint8_t> partial_;  // matched lengths of the live partial matches
};

}  // namespace quillon::serial
