#pragma once
// Shortens long runs of blank lines: blank lines are held back and, before the next line with
// ink, `to` of them are let through when at least `from` were held, else all of them. At the
// end of the page the same rule applies, except that nothing is let through when from == to.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace quillon::faximage {

class WhitespaceFilter {
 public:
  using Sink = std::function<void(const uint8_t* line, size_t bytes)>;
  // from == 0 passes every line through.
  WhitespaceFilter(unsigned from, unsigned to, Sink sink) : from_(from), to_(to), sink_(std::move(sink)) {}

  void line(const uint8_t* data, size_t bytes);
  void finish();

 private:
  void release();

  unsigned from_, to_;
  Sink sink_;
  unsigned held_ = 0;
  size_t heldBytes_ = 0;
};

}  // namespace quillon::faximage
