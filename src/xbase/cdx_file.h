#pragma once
// The .CDX compound index file in the compact layout: a tag directory (itself a compact
// index whose keys are the tag names and whose record numbers are the offsets of the tags'
// headers), then per tag a 1024-byte header (root pointer, key length, options, order flag,
// key and FOR expressions) and 512-byte nodes: interior nodes with whole keys plus big-endian
// record number and child pointer, and leaf nodes whose keys are compressed (bytes shared
// with the previous key and trailing blanks left out, record number and both counts packed
// in a little-endian bit field).
//
// Keys are stored in ascending byte order; a descending tag only carries the order flag.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::xbase {

struct CdxKey {
  std::string key;  // keyLength bytes
  std::uint32_t recNo = 0;
};

struct CdxTag {
  std::string name;
  std::string keyExpr;
  std::string forExpr;
  bool descending = false;
  bool unique = false;
  bool characterKey = true;  // trailing blanks are compressed only in character keys
  int keyLength = 0;
  std::vector<CdxKey> keys;  // ascending (key bytes, then record number)
};

// Reads every tag with its keys; nothing (with `error`) when the file is damaged in any way
// (bad pointers, loops, counts that do not fit a node, unsorted keys).
std::optional<std::vector<CdxTag>> readCdx(std::string_view bytes, std::string* error);

// The whole file for `tags` (each tag's keys must be sorted ascending).
std::string writeCdx(const std::vector<CdxTag>& tags);

}  // namespace quillon::xbase
