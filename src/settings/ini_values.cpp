#include "settings/ini_values.h"

#include <cstdint>
#include <limits>

namespace quillon::settings {

namespace {
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::optional<int> parseInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::string_view digits = text.substr(2);
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : digits) {
      int d = hexDigit(c);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return static_cast<int>(static_cast<std::int32_t>(value));
  }
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > static_cast<std::int64_t>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
    return std::nullopt;
  return static_cast<int>(value);
}

int readInteger(const std::optional<std::string>& text, int fallback) {
  if (!text) return fallback;
  return parseInteger(*text).value_or(fallback);
}

bool readBoolean(const std::optional<std::string>& text, bool fallback) {
  return readInteger(text, fallback ? 1 : 0) != 0;
}

std::string readString(const std::optional<std::string>& text, std::string_view fallback) {
  std::string value = text ? *text : std::string(fallback);
  if (value.size() > kStringBufferSize - 1) value.resize(kStringBufferSize - 1);
  return value;
}

}  // namespace quillon::settings
