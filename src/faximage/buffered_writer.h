#pragma once
// Output through a 4096-byte buffer: data that fits is copied in; when the buffer would
// overflow it is filled up and written out, whole 4096-byte blocks of the rest go straight to
// the file and the remainder is buffered. A seek writes the buffer out first.
#include <cstdint>
#include <string>

#include "faximage/posix_file.h"

namespace quillon::faximage {

class BufferedWriter {
 public:
  static constexpr size_t kBufferSize = 4096;

  int create(const std::string& path);
  int write(const void* data, size_t size);
  int seek(uint64_t offset);
  int flush();
  // The file position plus the bytes still held in the buffer.
  uint64_t position() const { return filePosition_ + held_; }
  int close();  // flushes
  bool isOpen() const { return file_.isOpen(); }
  // Closes without flushing and deletes the file.
  void discard();

 private:
  PosixFile file_;
  std::string path_;
  uint8_t buffer_[kBufferSize];
  size_t held_ = 0;
  uint64_t filePosition_ = 0;
};

}  // namespace quillon::faximage
