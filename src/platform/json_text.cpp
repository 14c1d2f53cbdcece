#include "platform/json_text.h"

#include <cstdio>

#include "platform/cp1252.h"

namespace quillon::platform {

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (char ch : cp1252ToUtf8(text)) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

}  // namespace quillon::platform
