#pragma once
// The .FPT memo file: a 512-byte header (next free block, big-endian, at 0; block size,
// big-endian 16 bits, at 6), then blocks. A memo starts on a block with an 8-byte header:
// type (1 = text) and length, both big-endian 32 bits, followed by the bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::xbase {

inline constexpr std::uint32_t kFptHeaderSize = 512;
inline constexpr std::uint32_t kFptBlockSize = 64;

class MemoFile {
 public:
  MemoFile() = default;
  ~MemoFile();
  MemoFile(const MemoFile&) = delete;
  MemoFile& operator=(const MemoFile&) = delete;

  static bool create(const std::string& path, std::string* error);
  bool open(const std::string& path, std::string* error);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // The memo that starts at `block`; nothing (with `error`) when the pointer or the length
  // runs past the end of the file. Block 0 is the empty memo.
  std::optional<std::string> read(std::uint32_t block, std::string* error) const;
  // Writes a memo and returns its first block (0 for empty data). New blocks are always
  // appended (never written over a memo a committed record may still point to), and they
  // are written before the header's next-free pointer moves, so a crash leaves at worst
  // unused space; pack gives the space back.
  std::optional<std::uint32_t> write(std::string_view data, std::string* error);
  std::uint32_t blockSize() const { return blockSize_; }
  bool sync();  // flushes the file to the disk
  // The bytes of an empty memo file.
  static std::string emptyFileBytes(std::uint32_t blockSize = kFptBlockSize);

 private:
  int fd_ = -1;
  std::uint32_t blockSize_ = kFptBlockSize;
  std::uint32_t nextFree_ = 0;
  std::uint64_t fileSize_ = 0;
};

}  // namespace quillon::xbase
