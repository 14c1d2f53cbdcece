#pragma once
// Shared pieces of the trace and dispatch-log dump files: how one byte is written, and
// lines that wrap before a column limit. Dump files end their lines with CR LF.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::serial {

inline constexpr const char* kDumpLineEnd = "\r\n";

// Printable bytes (from '!' in hex mode, from ' ' otherwise, up to '~') as themselves;
// others as "[" two upper-case hex digits "]" or "[" decimal "]".
std::string dumpByte(std::uint8_t byte, bool hex);

// Collects tokens into lines no longer than `maxWidth` characters; a line that would grow
// past it is ended and the next one starts with `indent`.
class WrappedLines {
 public:
  WrappedLines(std::string& out, std::size_t maxWidth, std::string indent = {})
      : out_(out), maxWidth_(maxWidth), indent_(std::move(indent)) {}
  void start(std::string_view text) {
    out_ += text;
    column_ = text.size();
  }
  void add(std::string_view token);
  void end() {
    out_ += kDumpLineEnd;
    column_ = 0;
  }

 private:
  std::string& out_;
  std::size_t maxWidth_;
  std::string indent_;
  std::size_t column_ = 0;
};

// Writes a dump: replaces the file, or appends to it. Throws platform::FileWriteError.
void writeDumpFile(const std::string& path, const std::string& text, bool append);

}  // namespace quillon::serial
