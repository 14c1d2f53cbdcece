#include "serial/dump_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/file_io.h"

namespace quillon::serial {

std::string dumpByte(std::uint8_t byte, bool hex) {
  std::uint8_t first = hex ? '!' : ' ';
  if (byte >= first && byte <= '~') return std::string(1, static_cast<char>(byte));
  if (!hex) return "[" + std::to_string(byte) + "]";
  static const char digits[] = "0123456789ABCDEF";
  return std::string{'[', digits[byte >> 4], digits[byte & 15], ']'};
}

void WrappedLines::add(std::string_view token) {
  if (column_ + token.size() > maxWidth_ && column_ > indent_.size()) {
    end();
    out_ += indent_;
    column_ = indent_.size();
  }
  out_ += token;
  column_ += token.size();
}

void writeDumpFile(const std::string& path, const std::string& text, bool append) {
  if (!append) {
    platform::writeFileAtomically(path, text);
    return;
  }
  std::ofstream file(path, std::ios::binary | std::ios::app);
  file << text;
  file.flush();
  if (!file) throw platform::FileWriteError("Cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace quillon::serial
