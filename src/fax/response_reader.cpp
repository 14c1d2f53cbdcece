#include "fax/response_reader.h"

namespace quillon::fax {

bool PairMatcher::feed(std::uint8_t c) {
  if (seen_ && c == second_) {
    seen_ = false;
    return true;
  }
  seen_ = c == first_;
  return false;
}

ResponseReader::Item ResponseReader::feed(std::uint8_t c) {
  if (raw_.size() < kMaxBytes) raw_ += static_cast<char>(c);
  if (c >= 32) {
    // A long line keeps its newest characters: an answer behind line noise still counts.
    if (line_.size() >= kMaxLineChars) line_.erase(0, 1);
    line_ += static_cast<char>(c);
  }
  // A doubled DLE is a data byte: the DLE after it starts no DLE ETX.
  if (c == 16 && dleData_) {
    dleData_ = false;
    dleEtx_.reset();
    return Item::none;
  }
  dleData_ = c == 16;
  if (dleEtx_.feed(c)) {
    crlf_.reset();
    dleData_ = false;
    return Item::frame;
  }
  // A frame (it starts with its 0xFF address) may hold CR LF among its bytes.
  bool inFrame = !raw_.empty() && static_cast<std::uint8_t>(raw_[0]) == 0xFF;
  if (!inFrame && crlf_.feed(c)) {
    dleEtx_.reset();
    line_ = trimmed(line_);
    if (line_.empty()) {
      clear();
      return Item::none;
    }
    return Item::line;
  }
  return Item::none;
}

void ResponseReader::clear() {
  raw_.clear();
  line_.clear();
  crlf_.reset();
  dleEtx_.reset();
  dleData_ = false;
}

std::string trimmed(std::string_view s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

}  // namespace quillon::fax
