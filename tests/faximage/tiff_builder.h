#pragma once
// Little-endian TIFF files built tag by tag, for readers that must cope with odd tables.
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::faximage::test {

struct TiffTag {
  uint16_t tag;
  uint16_t type;  // 3 SHORT, 4 LONG, 5 RATIONAL (values as numerator, denominator pairs)
  std::vector<uint32_t> values;
};

// Header, one IFD right after it, the tags' out-of-line values, then `data`. Offsets in
// the tags are the caller's; dataOffset() tells where `data` will start.
class TiffBuilder {
 public:
  void add(uint16_t tag, uint16_t type, std::vector<uint32_t> values) { tags_.push_back({tag, type, std::move(values)}); }
  void addShort(uint16_t tag, uint32_t value) { add(tag, 3, {value}); }
  void addLong(uint16_t tag, uint32_t value) { add(tag, 4, {value}); }
  // New values for a tag already added (the same count keeps dataOffset()).
  void set(uint16_t tag, std::vector<uint32_t> values) {
    for (auto& t : tags_)
      if (t.tag == tag) t.values = std::move(values);
  }

  uint32_t dataOffset() const {
    uint32_t at = 8 + 2 + 12 * uint32_t(tags_.size()) + 4;
    for (const auto& t : tags_)
      if (valueBytes(t) > 4) at += valueBytes(t);
    return at;
  }

  std::string build(const std::string& data) const {
    std::string out = "II";
    put16(out, 42);
    put32(out, 8);
    put16(out, uint16_t(tags_.size()));
    uint32_t extra = 8 + 2 + 12 * uint32_t(tags_.size()) + 4;
    std::string values;
    for (const auto& t : tags_) {
      put16(out, t.tag);
      put16(out, t.type);
      put32(out, uint32_t(t.type == 5 ? t.values.size() / 2 : t.values.size()));
      std::string v;
      for (uint32_t x : t.values) t.type == 3 ? put16(v, uint16_t(x)) : put32(v, x);
      if (v.size() <= 4) {
        v.resize(4, '\0');
        out += v;
      } else {
        put32(out, extra + uint32_t(values.size()));
        values += v;
      }
    }
    put32(out, 0);  // no further IFD
    return out + values + data;
  }

 private:
  static uint32_t valueBytes(const TiffTag& t) { return uint32_t(t.values.size()) * (t.type == 3 ? 2 : 4); }
  static void put16(std::string& s, uint16_t v) { s += char(v & 0xFF), s += char(v >> 8); }
  static void put32(std::string& s, uint32_t v) { put16(s, uint16_t(v)), put16(s, uint16_t(v >> 16)); }

  std::vector<TiffTag> tags_;
};

}  // namespace quillon::faximage::test
