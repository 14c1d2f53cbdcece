#include "platform/json_text.h"

#include <cstdio>

#include "platform/latin1.h"

namespace quillon::platform {

std::string jsonString(std::string_view latin1) {
  std::string out = "\"";
  for (char ch : latin1ToUtf8(latin1)) {
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
