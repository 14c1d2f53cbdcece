#pragma once
// Field definitions of a .DBF table.
#include <string>

namespace quillon::xbase {

// Types: 'C' character, 'L' logical, 'D' date, 'N' numeric, 'F' float, 'M' memo
// (a 10-byte block number in FoxPro 2.x tables; 4-byte binary in Visual FoxPro 0x30 tables).
// Other types found in foreign tables (I, B, Y, T, G, ...) are read as raw bytes.
struct FieldDef {
  std::string name;  // upper case, at most 10 characters
  char type = 'C';
  int width = 1;
  int decimals = 0;

  friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

}  // namespace quillon::xbase
