#pragma once
// Collects a modem's answer byte by byte: a carriage return and line feed end a text answer,
// DLE ETX ends a received HDLC frame. Also the substring tests that classify an answer.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::fax {

// Two-byte pattern watcher: advances on the expected byte, otherwise restarts, counting the
// byte as the first of the pattern when it equals it.
class PairMatcher {
 public:
  PairMatcher(std::uint8_t first, std::uint8_t second) : first_(first), second_(second) {}
  bool feed(std::uint8_t c);  // true when the pair completes
  void reset() { seen_ = false; }

 private:
  std::uint8_t first_, second_;
  bool seen_ = false;
};

class ResponseReader {
 public:
  static constexpr std::size_t kMaxBytes = 128;      // of a frame
  static constexpr std::size_t kMaxLineChars = 129;  // of a text line
  enum class Item { none, line, frame };

  // Feeds one byte; a completed non-empty text line or a frame is reported once.
  Item feed(std::uint8_t c);
  // The current answer: trimmed printable text of a line (its last kMaxLineChars).
  const std::string& line() const { return line_; }
  // Every byte received since the last clear (frames), at most kMaxBytes.
  const std::string& raw() const { return raw_; }
  void clear();

 private:
  std::string raw_, line_;
  PairMatcher crlf_{13, 10};
  PairMatcher dleEtx_{16, 3};
  bool dleData_ = false;  // the last byte was a DLE that may be doubled
};

// Surrounding blanks removed.
std::string trimmed(std::string_view s);
inline bool contains(std::string_view line, std::string_view what) {
  return line.find(what) != std::string_view::npos;
}

// Answer classes of the modem.
inline bool isOk(std::string_view l) { return contains(l, "OK"); }
inline bool isConnect(std::string_view l) { return contains(l, "CONNECT"); }
inline bool isNoCarrier(std::string_view l) { return contains(l, "RRIER"); }
inline bool isError(std::string_view l) { return contains(l, "ERROR"); }
inline bool isBusy(std::string_view l) { return contains(l, "BUSY"); }
inline bool isNoAnswer(std::string_view l) { return contains(l, "ANSWER"); }
inline bool isVoice(std::string_view l) { return contains(l, "VOICE") || contains(l, "VCON"); }
inline bool isNoDialTone(std::string_view l) { return contains(l, "NO DIAL"); }
inline bool isRing(std::string_view l) { return contains(l, "RING"); }

}  // namespace quillon::fax
