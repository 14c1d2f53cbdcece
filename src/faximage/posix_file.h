#pragma once
// A file descriptor owned by one object, with reads and writes that report status codes
// (0 or a negative operating-system status).
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon::faximage {

// Which file, in which state: equal identities mean the same file, unchanged in size and
// modification time.
struct FileIdentity {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

class PosixFile {
 public:
  PosixFile() = default;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;
  PosixFile(PosixFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  ~PosixFile() { close(); }

  int openRead(const std::string& path);
  int openReadWrite(const std::string& path);
  int create(const std::string& path);  // replaces an existing file
  bool isOpen() const { return fd_ >= 0; }
  int close();

  // Reads up to `size` bytes; `got` receives the count (0 at the end of the file).
  int read(void* data, size_t size, size_t& got);
  // Reads exactly `size` bytes; a short file gives `shortStatus`.
  int readExact(void* data, size_t size, int shortStatus);
  int writeAll(const void* data, size_t size);
  int seek(uint64_t offset);
  int size(uint64_t& bytes) const;
  int identity(FileIdentity& id) const;

 private:
  int fd_ = -1;
};

}  // namespace quillon::faximage
