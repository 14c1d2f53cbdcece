#include "xbase/dbf_header.h"

#include <cctype>
#include <ctime>
#include <set>

namespace quillon::xbase {

namespace {

std::uint32_t le32(std::string_view b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t le16(std::string_view b, size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}
void put32(std::string& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put16(std::string& b, size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

bool knownVersion(std::uint8_t v) {
  switch (v) {
    case 0x02: case 0x03: case 0x30: case 0x31: case 0x83: case 0x8B: case 0xCB: case 0xF5:
    case 0xFB: case 0x04: case 0x43: case 0x63: case 0xE5:
      return true;
    default: return false;
  }
}

}  // namespace

bool DbfHeader::hasMemo() const {
  for (const auto& f : fields)
    if (f.type == 'M' || f.type == 'G' || f.type == 'P') return true;
  return false;
}

std::optional<DbfHeader> parseDbfHeader(std::string_view bytes, std::uint64_t fileSize,
                                        std::string* error) {
  auto bad = [&](const std::string& why) -> std::optional<DbfHeader> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (bytes.size() < 32 || fileSize < 32) return bad("not a table: file shorter than a header");
  DbfHeader h;
  h.version = static_cast<std::uint8_t>(bytes[0]);
  if (!knownVersion(h.version)) return bad("not a table: unknown version byte");
  h.recordCount = le32(bytes, 4);
  h.headerLength = le16(bytes, 8);
  h.recordLength = le16(bytes, 10);
  h.flags = static_cast<std::uint8_t>(bytes[28]);
  h.codePage = static_cast<std::uint8_t>(bytes[29]);
  if (h.headerLength < 33 || h.headerLength > fileSize)
    return bad("damaged table: header length out of range");
  if (h.recordLength < 1) return bad("damaged table: record length 0");
  if (bytes.size() < h.headerLength) return bad("damaged table: header truncated");
  int offset = 1;
  std::set<std::string> names;
  for (size_t at = 32; at + 32 <= h.headerLength; at += 32) {
    if (bytes[at] == 0x0D) break;
    FieldDef f;
    for (int i = 0; i < 11 && bytes[at + i] != 0; ++i)
      f.name += static_cast<char>(std::toupper(static_cast<unsigned char>(bytes[at + i])));
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(bytes[at + 11])));
    f.width = static_cast<unsigned char>(bytes[at + 16]);
    f.decimals = static_cast<unsigned char>(bytes[at + 17]);
    // Character fields wider than 255 keep the high byte of the width in the decimals byte.
    if (f.type == 'C' && !h.visualFox() && f.decimals) {
      f.width += f.decimals * 256;
      f.decimals = 0;
    }
    if (f.name.empty()) return bad("damaged table: field without a name");
    if (f.width == 0) return bad("damaged table: field " + f.name + " has width 0");
    if (!names.insert(f.name).second) return bad("damaged table: field " + f.name + " twice");
    h.fields.push_back(f);
    h.offsets.push_back(offset);
    offset += f.width;
  }
  if (h.fields.empty()) return bad("damaged table: no fields");
  if (offset != h.recordLength)
    return bad("damaged table: record length " + std::to_string(h.recordLength) +
               " does not match the fields (" + std::to_string(offset) + ")");
  std::uint64_t present = (fileSize - h.headerLength) / h.recordLength;
  if (h.recordCount > present) h.recordCount = static_cast<std::uint32_t>(present);
  return h;
}

std::string checkFieldDefs(const std::vector<FieldDef>& fields) {
  if (fields.empty()) return "a table needs at least one field";
  if (fields.size() > 255) return "too many fields";
  std::set<std::string> names;
  int total = 1;
  for (const auto& f : fields) {
    if (f.name.empty() || f.name.size() > 10) return "field name '" + f.name + "' is not 1 to 10 characters";
    for (char c : f.name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
        return "field name '" + f.name + "' has a character other than letters, digits and _";
    std::string upper;
    for (char c : f.name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!names.insert(upper).second) return "field " + upper + " is defined twice";
    char t = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
    int w = f.width;
    switch (t) {
      case 'C': if (w < 1 || w > 254) return "field " + upper + ": width must be 1 to 254"; break;
      case 'N': case 'F':
        if (w < 1 || w > 20) return "field " + upper + ": width must be 1 to 20";
        if (f.decimals < 0 || (f.decimals > 0 && f.decimals > w - 2))
          return "field " + upper + ": bad decimals";
        break;
      case 'L': if (w != 1) return "field " + upper + ": a logical field is 1 wide"; break;
      case 'D': if (w != 8) return "field " + upper + ": a date field is 8 wide"; break;
      case 'M': if (w != 10) return "field " + upper + ": a memo field is 10 wide"; break;
      default: return "field " + upper + ": type '" + std::string(1, t) + "' cannot be created";
    }
    total += w;
  }
  if (total > 65535) return "record too long";
  return "";
}

DbfHeader makeDbfHeader(const std::vector<FieldDef>& fields) {
  DbfHeader h;
  int offset = 1;
  for (auto f : fields) {
    for (auto& c : f.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
    if (f.type == 'C' || f.type == 'D' || f.type == 'L' || f.type == 'M') f.decimals = 0;
    h.fields.push_back(f);
    h.offsets.push_back(offset);
    offset += f.width;
  }
  h.version = h.hasMemo() ? kDbfFoxMemo : kDbfPlain;
  h.recordLength = static_cast<std::uint16_t>(offset);
  h.headerLength = static_cast<std::uint16_t>(32 + 32 * fields.size() + 1);
  return h;
}

std::string dbfUpdateBytes(std::uint32_t recordCount) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::string b(7, '\0');
  b[0] = static_cast<char>(tm.tm_year % 256);  // years since 1900
  b[1] = static_cast<char>(tm.tm_mon + 1);
  b[2] = static_cast<char>(tm.tm_mday);
  put32(b, 3, recordCount);
  return b;
}

std::string serializeDbfHeader(const DbfHeader& h) {
  std::string b(h.headerLength, '\0');
  b[0] = static_cast<char>(h.version);
  b.replace(1, 7, dbfUpdateBytes(h.recordCount));
  put16(b, 8, h.headerLength);
  put16(b, 10, h.recordLength);
  b[28] = static_cast<char>(h.flags);
  b[29] = static_cast<char>(h.codePage);
  size_t at = 32;
  for (size_t i = 0; i < h.fields.size(); ++i, at += 32) {
    const auto& f = h.fields[i];
    for (size_t k = 0; k < f.name.size() && k < 10; ++k) b[at + k] = f.name[k];
    b[at + 11] = f.type;
    put32(b, at + 12, static_cast<std::uint32_t>(h.offsets[i]));
    b[at + 16] = static_cast<char>(f.width & 0xFF);
    b[at + 17] = static_cast<char>(f.decimals);
  }
  if (at < b.size()) b[at] = 0x0D;
  return b;
}

}  // namespace quillon::xbase
