#include "errors/string_resource.h"

#include <algorithm>
#include <cstring>

#include "errors/exceptions.h"
#include "errors/message_resources.h"

namespace quillon {
namespace {

uint32_t u32At(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const MessageResource* findResource(std::string_view name) {
  for (size_t i = 0; i < kMessageResourceCount; ++i)
    if (name == kMessageResources[i].name) return &kMessageResources[i];
  return nullptr;
}

// The reader's own texts, with %s / %d filled in.
std::string readerText(uint32_t id, const std::string& argument) {
  std::string text = TAdStringResource(kTableReaderStringsResource).GetString(id);
  for (const char* mark : {"%s", "%d"}) {
    size_t at = text.find(mark);
    if (at != std::string::npos) return text.replace(at, 2, argument);
  }
  return text;
}

// Windows Latin-1 places for the units 0x80 ... 0x9F of that code page.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

char Utf16UnitToAnsi(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
  return '?';
}

TAdStringResource::TAdStringResource(std::string_view resourceName, bool raiseOnMissingId)
    : data_(nullptr), size_(0), raiseOnMissingId_(raiseOnMissingId) {
  const MessageResource* r = findResource(resourceName);
  // The reader's own table is the one that names the failures; if it is missing itself,
  // a plain text has to do.
  if (!r) {
    if (resourceName == kTableReaderStringsResource)
      throw EQvsStringResourceError("String resource not found: " + std::string(resourceName));
    throw EQvsStringResourceError(readerText(3, std::string(resourceName)));
  }
  data_ = r->data;
  size_ = r->size;
  open(resourceName);
}

TAdStringResource::TAdStringResource(const unsigned char* data, size_t size, std::string_view name,
                                     bool raiseOnMissingId)
    : data_(data), size_(size), raiseOnMissingId_(raiseOnMissingId) {
  open(name);
}

void TAdStringResource::open(std::string_view name) {
  if (!data_ || size_ < 8 || std::memcmp(data_, "STR0", 4) != 0) {
    if (name == kTableReaderStringsResource)
      throw EQvsStringResourceError("String resource is not a message table");
    throw EQvsStringResourceError(readerText(5, std::string(name)));
  }
  // A count that claims more entries than the bytes hold is cut to what is there.
  uint32_t claimed = u32At(data_ + 4);
  count_ = static_cast<uint32_t>(std::min<size_t>(claimed, (size_ - 8) / 12));
}

bool TAdStringResource::find(uint32_t id, Text& text) const {
  uint32_t lo = 0, hi = count_;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    const unsigned char* entry = data_ + 8 + size_t(mid) * 12;
    uint32_t entryId = u32At(entry);
    if (entryId < id) {
      lo = mid + 1;
    } else if (entryId > id) {
      hi = mid;
    } else {
      uint64_t offset = u32At(entry + 4), length = u32At(entry + 8);
      if (offset > size_ || length > (size_ - offset) / 2) return false;  // damaged entry
      text.units = data_ + offset;
      text.length = static_cast<uint32_t>(length);
      return true;
    }
  }
  return false;
}

bool TAdStringResource::Has(uint32_t id) const {
  Text t;
  return find(id, t);
}

std::string TAdStringResource::GetString(uint32_t id) const {
  Text t;
  if (!find(id, t)) {
    if (raiseOnMissingId_) throw EQvsStringResourceError(readerText(1, std::to_string(id)));
    return {};
  }
  std::string out(t.length, '\0');
  for (uint32_t i = 0; i < t.length; ++i)
    out[i] = Utf16UnitToAnsi(char16_t(t.units[2 * i] | t.units[2 * i + 1] << 8));
  return out;
}

size_t TAdStringResource::GetAsPChar(uint32_t id, char* buffer, size_t size) const {
  if (size == 0) return 0;
  std::string text = GetString(id);
  // One Latin-1 byte per UTF-16 unit, so shortening unit by unit is shortening byte by byte.
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace quillon
