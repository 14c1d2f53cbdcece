#include "serial/trace_buffer.h"

#include "serial/dump_text.h"

namespace quillon::serial {

namespace {
constexpr std::size_t kTraceLineWidth = 77;

std::string runHeader(char kind) {
  if (kind == 'T') return "Transmit: ";
  if (kind == 'R') return "Receive: ";
  return std::string("Special-") + kind + ": ";
}
}  // namespace

void TraceBuffer::allocate(std::size_t size) {
  if (entries_.empty()) entries_.assign(size == 0 ? 1 : size, Entry{0, 0});
  clear();
}

void TraceBuffer::release() {
  entries_.clear();
  entries_.shrink_to_fit();
  clear();
}

void TraceBuffer::clear() {
  next_ = 0;
  wrapped_ = false;
}

void TraceBuffer::add(char kind, const std::uint8_t* bytes, std::size_t n) {
  if (entries_.empty() || paused_) return;
  for (std::size_t i = 0; i < n; ++i) {
    entries_[next_] = Entry{kind, bytes[i]};
    if (++next_ == entries_.size()) {
      next_ = 0;
      wrapped_ = true;
    }
  }
}

std::string TraceBuffer::dumpText(bool hex) const {
  std::string out;
  WrappedLines lines(out, kTraceLineWidth);
  std::size_t count = wrapped_ ? entries_.size() : next_;
  std::size_t first = wrapped_ ? next_ : 0;
  char current = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Entry& e = entries_[(first + i) % entries_.size()];
    if (e.kind != current) {
      if (current != 0) {
        lines.end();
        out += kDumpLineEnd;
      }
      current = e.kind;
      lines.start(runHeader(e.kind));
    }
    lines.add(dumpByte(e.byte, hex));
  }
  if (current != 0) lines.end();
  return out;
}

}  // namespace quillon::serial
