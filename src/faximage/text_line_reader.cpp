#include "faximage/text_line_reader.h"

#include "errors/error_codes.h"

namespace quillon::faximage {

int TLineReader::open(const std::string& path) {
  int status = file_.openRead(path);
  if (status == ecOK) status = file_.size(size_);
  return status;
}

int TLineReader::fill() {
  if (at_ < have_ || ended_) return ecOK;
  size_t got = 0;
  int status = file_.read(chunk_, kChunk, got);
  if (status != ecOK) return status;
  loaded_ += got;
  have_ = got;
  at_ = 0;
  if (got == 0) {
    ended_ = true;
  } else if (chunk_[got - 1] == 26) {
    // A Ctrl-Z that ends a chunk ends the text, whatever follows it in the file.
    --have_;
    ++consumed_;
    ended_ = true;
  }
  return ecOK;
}

bool TLineReader::exhausted() {
  if (fill() != ecOK) return true;
  if (skipLf_ && at_ < have_ && chunk_[at_] == '\n') {
    skipLf_ = false;
    ++at_;
    ++consumed_;
    if (fill() != ecOK) return true;
  }
  return at_ >= have_;
}

int TLineReader::nextLine(std::string& line, bool& endOfInput) {
  line.clear();
  endOfInput = exhausted();
  if (endOfInput) return ecOK;
  skipLf_ = false;
  for (;;) {
    if (int status = fill(); status != ecOK) return status;
    if (at_ >= have_) return ecOK;  // the last line has no line end
    char c = chunk_[at_++];
    ++consumed_;
    if (c == '\r') {
      skipLf_ = true;
      return ecOK;
    }
    if (c == '\n') return ecOK;
    if (line.size() < kMaxLine) line += c;
  }
}

}  // namespace quillon::faximage
