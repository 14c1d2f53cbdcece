#pragma once
// The byte trace: a ring of (kind, byte) entries, 'R' for received and 'T' for transmitted
// bytes, that keeps the newest entries once it has wrapped.
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::serial {

inline constexpr std::size_t kMaxTraceSize = 4000000;

class TraceBuffer {
 public:
  bool allocated() const { return !entries_.empty(); }
  void allocate(std::size_t size);  // an allocated buffer of any size is only cleared
  void release();
  void clear();
  void setPaused(bool paused) { paused_ = paused; }
  bool paused() const { return paused_; }

  void add(char kind, const std::uint8_t* bytes, std::size_t n);

  // The dump text: oldest entry first; a header per run of one kind ("Transmit: ",
  // "Receive: ", "Special-<kind>: "), runs apart by an empty line, lines under 78 columns.
  std::string dumpText(bool hex) const;

 private:
  struct Entry {
    char kind;
    std::uint8_t byte;
  };
  std::vector<Entry> entries_;
  std::size_t next_ = 0;
  bool wrapped_ = false;
  bool paused_ = false;
};

}  // namespace quillon::serial
