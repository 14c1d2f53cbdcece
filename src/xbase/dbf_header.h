#pragma once
// The .DBF file header: 32 bytes, then one 32-byte descriptor per field, then 0x0D (and, in
// Visual FoxPro tables, a 263-byte backlink). Records follow: a delete flag byte (' ' or '*')
// and the fields; 0x1A ends the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/field.h"

namespace quillon::xbase {

inline constexpr std::uint8_t kDbfPlain = 0x03;      // FoxPro / dBASE III, no memo
inline constexpr std::uint8_t kDbfFoxMemo = 0xF5;    // FoxPro 2.x with .FPT memo
inline constexpr std::uint8_t kDbfVisualFox = 0x30;  // Visual FoxPro
inline constexpr std::uint8_t kDbfVisualFoxAuto = 0x31;
inline constexpr std::uint8_t kDbfHasCdx = 0x01;     // table flags: structural .CDX exists
inline constexpr std::uint8_t kCodePageWindowsAnsi = 0x03;

struct DbfHeader {
  std::uint8_t version = kDbfPlain;
  std::uint32_t recordCount = 0;
  std::uint16_t headerLength = 0;
  std::uint16_t recordLength = 0;
  std::uint8_t flags = 0;
  std::uint8_t codePage = kCodePageWindowsAnsi;
  std::vector<FieldDef> fields;
  std::vector<int> offsets;  // byte offset of each field in the record (after the flag byte)

  bool hasMemo() const;
  bool visualFox() const { return version == kDbfVisualFox || version == kDbfVisualFoxAuto; }
};

// Reads the header from the first bytes of a file of `fileSize` bytes. A record count larger
// than the data present is cut to the whole records present. Returns nothing and sets
// `error` for anything that cannot be a usable table.
std::optional<DbfHeader> parseDbfHeader(std::string_view bytes, std::uint64_t fileSize,
                                        std::string* error);

// Checks field definitions for a new table; returns an error text or empty.
std::string checkFieldDefs(const std::vector<FieldDef>& fields);

// A header for a new FoxPro 2.x table (version 0x03, or 0xF5 with memo fields).
DbfHeader makeDbfHeader(const std::vector<FieldDef>& fields);

// The header bytes (header length bytes), with today's date as the last update.
std::string serializeDbfHeader(const DbfHeader& header);

// The 8 bytes at offset 1..7 that change as records are added (date and count).
std::string dbfUpdateBytes(std::uint32_t recordCount);

}  // namespace quillon::xbase
