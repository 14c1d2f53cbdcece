#pragma once
// A ring of bytes counted with running totals: `written` and `read` only grow, so the
// bytes between them are the contents and positions stay comparable across wraps.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::serial {

class ByteRing {
 public:
  explicit ByteRing(std::size_t capacity = 0) : bytes_(capacity) {}

  std::size_t capacity() const { return bytes_.size(); }
  std::size_t used() const { return static_cast<std::size_t>(written_ - read_); }
  std::size_t freeSpace() const { return capacity() - used(); }
  bool full() const { return capacity() != 0 && used() == capacity(); }
  bool empty() const { return written_ == read_; }
  std::uint64_t written() const { return written_; }
  std::uint64_t readPosition() const { return read_; }

  // The byte `offset` places after the read position (offset < used()).
  std::uint8_t at(std::size_t offset) const { return bytes_[index(read_ + offset)]; }
  // The byte at running position `pos` (read position <= pos < written()).
  std::uint8_t atPosition(std::uint64_t pos) const { return bytes_[index(pos)]; }

  // Copies `n` bytes in; the caller has checked that they fit.
  void put(const std::uint8_t* data, std::size_t n) {
    std::size_t first = std::min(n, capacity() - index(written_));
    std::copy_n(data, first, bytes_.data() + index(written_));
    std::copy_n(data + first, n - first, bytes_.data());
    written_ += n;
  }

  // The free space as one or two spans, for reading from a device straight into the ring.
  std::uint8_t* writeSpan(std::size_t& length) {
    std::size_t at = index(written_);
    length = std::min(freeSpace(), capacity() - at);
    return bytes_.data() + at;
  }
  void commitWrite(std::size_t n) { written_ += n; }

  // The unread bytes from the read position up to the end of the buffer.
  const std::uint8_t* readSpan(std::size_t& length) const {
    std::size_t at = index(read_);
    length = std::min(used(), capacity() - at);
    return bytes_.data() + at;
  }
  void consume(std::size_t n) { read_ += std::min(n, used()); }
  void clear() { read_ = written_; }

 private:
  std::size_t index(std::uint64_t pos) const { return static_cast<std::size_t>(pos % bytes_.size()); }

  std::vector<std::uint8_t> bytes_;
  std::uint64_t written_ = 0;
  std::uint64_t read_ = 0;
};

}  // namespace quillon::serial
