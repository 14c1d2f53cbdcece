#pragma once
// TLineReader: text lines of a file read in 4096-byte chunks. A line ends at CR (an LF right
// after it is skipped, also across chunks) or at a lone LF; a Ctrl-Z that ends a chunk ends
// the text (the rest of the file is not read). Lines longer than 4096 characters keep their first 4096.
#include <cstdint>
#include <string>

#include "faximage/posix_file.h"

namespace quillon::faximage {

class TLineReader {
 public:
  int open(const std::string& path);
  // The next line; `endOfInput` is set (and the line empty) when nothing is left.
  int nextLine(std::string& line, bool& endOfInput);
  bool exhausted();  // nothing left to read
  uint64_t bytesRead() const { return consumed_; }
  uint64_t size() const { return size_; }

  static constexpr size_t kChunk = 4096;
  static constexpr size_t kMaxLine = 4096;

 private:
  int fill();  // reads the next chunk when the current one is used up

  PosixFile file_;
  uint64_t size_ = 0;
  uint64_t consumed_ = 0;  // bytes taken from the chunks
  uint64_t loaded_ = 0;    // bytes read from the file
  char chunk_[kChunk];
  size_t have_ = 0, at_ = 0;
  bool skipLf_ = false;  // the last line ended with CR
  bool ended_ = false;   // Ctrl-Z or end of file
};

}  // namespace quillon::faximage
