#include "xbase/field_codec.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace quillon::xbase {

namespace {

std::int64_t leInt(std::string_view raw, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes && i < static_cast<int>(raw.size()); ++i)
    v |= std::uint64_t(static_cast<unsigned char>(raw[i])) << (8 * i);
  if (bytes < 8 && (v >> (8 * bytes - 1)) & 1) v |= ~std::uint64_t(0) << (8 * bytes);
  return static_cast<std::int64_t>(v);
}
void putLe(std::string& out, std::uint64_t v, int bytes) {
  out.assign(static_cast<size_t>(bytes), '\0');
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>(v >> (8 * i));
}

double parseNumber(std::string_view raw) {
  std::string s(raw);
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return 0;
  char* end = nullptr;
  double v = std::strtod(s.c_str() + b, &end);
  return std::isfinite(v) ? v : 0;
}

}  // namespace

bool binaryField(const FieldDef& f, bool visualFox) {
  switch (f.type) {
    case 'I': case 'B': case 'Y': case 'T': return true;
    case 'M': case 'G': case 'P': return visualFox && f.width == 4;
    default: return false;
  }
}

Value decodeField(const FieldDef& f, std::string_view raw, bool visualFox) {
  switch (f.type) {
    case 'N': case 'F': return Value::ofNumber(parseNumber(raw));
    case 'I': return Value::ofNumber(static_cast<double>(leInt(raw, 4)));
    case 'Y': return Value::ofNumber(static_cast<double>(leInt(raw, 8)) / 10000.0);
    case 'B': {
      double d = 0;
      if (raw.size() >= 8) std::memcpy(&d, raw.data(), 8);
      return Value::ofNumber(std::isfinite(d) ? d : 0);
    }
    case 'D': return Value::ofDate(Date::fromDtos(raw));
    case 'L': {
      char c = raw.empty() ? ' ' : raw[0];
      return Value::ofLogical(c == 'T' || c == 't' || c == 'Y' || c == 'y');
    }
    default: return Value::ofText(std::string(raw));
  }
}

std::optional<std::uint32_t> memoBlock(std::string_view raw, bool visualFox) {
  if (visualFox && raw.size() == 4) return static_cast<std::uint32_t>(leInt(raw, 4));
  std::uint64_t v = 0;
  bool any = false;
  for (char c : raw) {
    if (c == ' ' || c == '\0') continue;
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<unsigned>(c - '0');
    if (v > 0xFFFFFFFFu) return std::nullopt;
    any = true;
  }
  return any ? static_cast<std::uint32_t>(v) : 0u;
}

std::string encodeMemoBlock(std::uint32_t block, int width, bool visualFox) {
  std::string out;
  if (visualFox && width == 4) {
    putLe(out, block, 4);
    return out;
  }
  if (block == 0) return std::string(static_cast<size_t>(width), ' ');
  std::string digits = std::to_string(block);
  if (static_cast<int>(digits.size()) > width) digits = digits.substr(digits.size() - width);
  return std::string(static_cast<size_t>(width) - digits.size(), ' ') + digits;
}

bool encodeFieldText(const FieldDef& f, std::string_view text, bool visualFox,
                     std::string& stored) {
  size_t width = static_cast<size_t>(f.width);
  switch (f.type) {
    case 'N': case 'F': case 'I': case 'B': case 'Y': {
      std::string s(text);
      if (s.find_first_not_of(' ') == std::string::npos) {
        stored = binaryField(f, visualFox) ? std::string(width, '\0') : std::string(width, ' ');
        return true;
      }
      return encodeFieldNumber(f, parseNumber(text), visualFox, stored);
    }
    case 'D': {
      Date d = Date::fromDtos(text);
      stored = d.dtos();
      return d.valid() || text.find_first_not_of(' ') == std::string_view::npos;
    }
    case 'L': {
      char c = text.empty() ? 'F' : text[0];
      bool truth = c == 'T' || c == 't' || c == 'Y' || c == 'y';
      stored.assign(1, truth ? 'T' : 'F');
      return true;
    }
    default:
      stored = std::string(text.substr(0, width));
      stored.resize(width, ' ');
      return text.size() <= width;
  }
}

bool encodeFieldNumber(const FieldDef& f, double value, bool visualFox, std::string& stored) {
  stored.clear();
  switch (f.type) {
    case 'N': case 'F':
      stored = formatNumber(value, f.width, f.decimals);
      return stored.find('*') == std::string::npos;
    case 'I': {
      double r = std::nearbyint(value);
      bool fits = r >= -2147483648.0 && r <= 2147483647.0;
      putLe(stored, static_cast<std::uint64_t>(static_cast<std::int64_t>(fits ? r : 0)), 4);
      return fits;
    }
    case 'Y': {
      double r = std::nearbyint(value * 10000.0);
      bool fits = std::fabs(r) < 9.2e18;
      putLe(stored, static_cast<std::uint64_t>(static_cast<std::int64_t>(fits ? r : 0)), 8);
      return fits;
    }
    case 'B': {
      std::uint64_t bits;
      std::memcpy(&bits, &value, 8);
      putLe(stored, bits, 8);
      return true;
    }
    default: return false;
  }
}

}  // namespace quillon::xbase
