#include "fax/header_tags.h"

#include <cctype>

namespace quillon::fax {

std::tm LocalNow() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

namespace {
std::string format(const char* pattern, const std::tm& t) {
  char text[64];
  std::size_t n = std::strftime(text, sizeof text, pattern, &t);
  return std::string(text, n);
}
}  // namespace

std::string ShortDate(const std::tm& t) { return format("%x", t); }
std::string ShortTime(const std::tm& t) { return format("%X", t); }

std::string ReplaceHeaderTags(const std::string& text, const HeaderTagValues& v) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '$') {
      out += text[i++];
      continue;
    }
    std::size_t end = text.find(' ', i);
    if (end == std::string::npos) end = text.size();
    char letter = i + 1 < end ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1]))) : 0;
    switch (letter) {
      case 'D': out += ShortDate(v.now); break;
      case 'T': out += ShortTime(v.now); break;
      case 'I': out += v.stationId; break;
      case 'F': out += v.sender; break;
      case 'R': out += v.recipient; break;
      case 'S': out += v.title; break;
      case 'N': out += std::to_string(v.totalPages); break;
      case 'P': out += std::to_string(v.pageNumber); break;
      default: break;
    }
    i = end;
  }
  return out;
}

}  // namespace quillon::fax
