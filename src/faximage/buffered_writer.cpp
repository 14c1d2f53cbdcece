#include "faximage/buffered_writer.h"

#include <unistd.h>

#include <cstring>

#include "errors/error_codes.h"

namespace quillon::faximage {

int BufferedWriter::create(const std::string& path) {
  path_ = path;
  held_ = 0;
  filePosition_ = 0;
  return file_.create(path);
}

int BufferedWriter::write(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (held_ + size <= kBufferSize) {
    std::memcpy(buffer_ + held_, p, size);
    held_ += size;
    return ecOK;
  }
  size_t fill = kBufferSize - held_;
  std::memcpy(buffer_ + held_, p, fill);
  held_ = kBufferSize;
  if (int status = flush(); status != ecOK) return status;
  p += fill;
  size -= fill;
  size_t direct = size - size % kBufferSize;
  if (direct) {
    if (int status = file_.writeAll(p, direct); status != ecOK) return status;
    filePosition_ += direct;
  }
  std::memcpy(buffer_, p + direct, size - direct);
  held_ = size - direct;
  return ecOK;
}

int BufferedWriter::flush() {
  if (held_ == 0) return ecOK;
  int status = file_.writeAll(buffer_, held_);
  if (status != ecOK) return status;
  filePosition_ += held_;
  held_ = 0;
  return ecOK;
}

int BufferedWriter::seek(uint64_t offset) {
  if (int status = flush(); status != ecOK) return status;
  int status = file_.seek(offset);
  if (status == ecOK) filePosition_ = offset;
  return status;
}

int BufferedWriter::close() {
  int status = flush();
  int closed = file_.close();
  return status != ecOK ? status : closed;
}

void BufferedWriter::discard() {
  held_ = 0;
  file_.close();
  if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace quillon::faximage
