#include "xbase/memo_file.h"

#include "xbase/table_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon::xbase {

namespace {

std::uint32_t be32(const unsigned char* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
void putBe32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

}  // namespace

MemoFile::~MemoFile() { close(); }

std::string MemoFile::emptyFileBytes(std::uint32_t blockSize) {
  std::string header(kFptHeaderSize, '\0');
  auto* p = reinterpret_cast<unsigned char*>(header.data());
  putBe32(p, (kFptHeaderSize + blockSize - 1) / blockSize);
  p[6] = static_cast<unsigned char>(blockSize >> 8);
  p[7] = static_cast<unsigned char>(blockSize);
  return header;
}

bool MemoFile::create(const std::string& path, std::string* error) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string bytes = emptyFileBytes();
  bool ok = pwriteAll(fd, bytes.data(), bytes.size(), 0);
  ::close(fd);
  if (!ok && error) *error = "cannot write " + path;
  return ok;
}

bool MemoFile::open(const std::string& path, std::string* error) {
  close();
  fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) {
    if (error) *error = "cannot open memo file " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  unsigned char head[8];
  if (::fstat(fd_, &st) != 0 || st.st_size < 8 || !preadAll(fd_, head, 8, 0)) {
    if (error) *error = "damaged memo file " + path + ": header truncated";
    close();
    return false;
  }
  fileSize_ = static_cast<std::uint64_t>(st.st_size);
  blockSize_ = std::uint32_t(head[6]) << 8 | head[7];
  // Block size 0 means 512-byte blocks in some writers; sizes below 32 are not real.
  if (blockSize_ == 0) blockSize_ = 512;
  if (blockSize_ < 32) {
    if (error) *error = "damaged memo file " + path + ": block size " + std::to_string(blockSize_);
    close();
    return false;
  }
  nextFree_ = be32(head);
  std::uint32_t minimum = (kFptHeaderSize + blockSize_ - 1) / blockSize_;
  std::uint64_t endBlock = (fileSize_ + blockSize_ - 1) / blockSize_;
  // A next-free pointer behind the data (a crash, a foreign writer) must not make new memos
  // overwrite old ones: never append before the end of the file.
  if (nextFree_ < minimum || nextFree_ < endBlock)
    nextFree_ = static_cast<std::uint32_t>(std::max<std::uint64_t>(minimum, endBlock));
  return true;
}

bool MemoFile::sync() { return fd_ >= 0 && ::fsync(fd_) == 0; }

void MemoFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::optional<std::string> MemoFile::read(std::uint32_t block, std::string* error) const {
  if (block == 0) return std::string();
  auto fail = [&](const std::string& why) -> std::optional<std::string> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (fd_ < 0) return fail("no memo file");
  std::uint64_t at = std::uint64_t(block) * blockSize_;
  if (at < kFptHeaderSize || at + 8 > fileSize_)
    return fail("memo pointer " + std::to_string(block) + " past the end of the memo file");
  unsigned char head[8];
  if (!preadAll(fd_, head, 8, static_cast<off_t>(at))) return fail("cannot read the memo file");
  std::uint32_t length = be32(head + 4);
  if (at + 8 + length > fileSize_)
    return fail("memo at block " + std::to_string(block) + " runs past the end of the memo file");
  std::string data(length, '\0');
  if (length && !preadAll(fd_, data.data(), length, static_cast<off_t>(at + 8)))
    return fail("cannot read the memo file");
  return data;
}

std::optional<std::uint32_t> MemoFile::write(std::string_view data,
                                             std::string* error) {
  if (fd_ < 0) {
    if (error) *error = "no memo file";
    return std::nullopt;
  }
  if (data.empty()) return 0u;
  if (data.size() > 0x7FFFFFF0u) {
    if (error) *error = "memo too large";
    return std::nullopt;
  }
  std::uint32_t need = static_cast<std::uint32_t>((8 + data.size() + blockSize_ - 1) / blockSize_);
  std::uint32_t block = nextFree_;
  std::string bytes(std::size_t(need) * blockSize_, '\0');
  auto* p = reinterpret_cast<unsigned char*>(bytes.data());
  putBe32(p, 1);
  putBe32(p + 4, static_cast<std::uint32_t>(data.size()));
  std::memcpy(p + 8, data.data(), data.size());
  std::size_t length = bytes.size();
  std::uint64_t at = std::uint64_t(block) * blockSize_;
  if (!pwriteAll(fd_, bytes.data(), length, static_cast<off_t>(at))) {
    if (error) *error = std::string("cannot write the memo file: ") + std::strerror(errno);
    return std::nullopt;
  }
  fileSize_ = std::max<std::uint64_t>(fileSize_, at + length);
  nextFree_ = block + need;
  unsigned char head[4];
  putBe32(head, nextFree_);
  if (!pwriteAll(fd_, head, 4, 0)) {
    if (error) *error = "cannot write the memo file header";
    return std::nullopt;
  }
  return block;
}

}  // namespace quillon::xbase
