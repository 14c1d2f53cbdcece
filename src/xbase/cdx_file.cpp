#include "xbase/cdx_file.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace quillon::xbase {

namespace {

constexpr std::uint32_t kNode = 512;
constexpr std::uint32_t kHeader = 1024;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr int kLeafRoom = 488;      // bytes 24..511 of a leaf
constexpr int kInteriorRoom = 500;  // bytes 12..511 of an interior node

constexpr std::uint8_t kOptUnique = 1, kOptFor = 8, kOptCompact = 32, kOptCompound = 64;

std::uint32_t le32(std::string_view b, size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t le16(std::string_view b, size_t at) {
  return static_cast<std::uint16_t>(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}
std::uint32_t be32(std::string_view b, size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint32_t(std::uint8_t(b[at + 3]));
}
void putLe32(std::string& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
void putLe16(std::string& b, size_t at, std::uint16_t v) {
  b[at] = static_cast<char>(v);
  b[at + 1] = static_cast<char>(v >> 8);
}
void putBe32(std::string& b, size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

int bitsFor(std::uint64_t value) {
  int bits = 0;
  while (value) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

bool keyLess(const CdxKey& a, const CdxKey& b) {
  int c = std::memcmp(a.key.data(), b.key.data(), std::min(a.key.size(), b.key.size()));
  if (c != 0) return c < 0;
  return a.recNo < b.recNo;
}

// ---------------------------------------------------------------- reading

class Reader {
 public:
  Reader(std::string_view bytes, std::string* error) : b_(bytes), error_(error) {}

  bool fail(const std::string& why) {
    if (error_ && error_->empty()) *error_ = "damaged index file: " + why;
    return false;
  }

  bool nodeOk(std::uint32_t at) {
    return at % kNode == 0 && at >= kHeader && std::uint64_t(at) + kNode <= b_.size();
  }

  // Walks the index whose header is at `headerAt`, collecting its keys.
  bool readIndex(std::uint32_t headerAt, int& keyLength, std::vector<CdxKey>& keys) {
    if (std::uint64_t(headerAt) + kHeader > b_.size() || headerAt % kNode != 0)
      return fail("index header out of range");
    std::uint32_t root = le32(b_, headerAt);
    keyLength = le16(b_, headerAt + 12);
    if (keyLength < 1 || keyLength > 240) return fail("key length out of range");
    if (!nodeOk(root)) return fail("root node out of range");
    // Go down the leftmost path to the first leaf.
    std::uint32_t node = root;
    for (int depth = 0;; ++depth) {
      if (depth > 32) return fail("index too deep");
      int attr = le16(b_, node);
      if (attr & 2) break;
      int count = le16(b_, node + 2);
      if (count < 1 || count * (keyLength + 8) > kInteriorRoom) return fail("bad interior node");
      node = be32(b_, node + 12 + keyLength + 4);
      if (!nodeOk(node)) return fail("child pointer out of range");
    }
    std::set<std::uint32_t> seen;
    std::string previous(keyLength, ' ');
    while (node != kNone) {
      if (!nodeOk(node) || !seen.insert(node).second) return fail("leaf chain broken");
      if (!(le16(b_, node) & 2)) return fail("leaf chain reaches an interior node");
      if (!readLeaf(node, keyLength, previous, keys)) return false;
      node = le32(b_, node + 8);
    }
    for (size_t i = 1; i < keys.size(); ++i)
      if (keyLess(keys[i], keys[i - 1])) return fail("keys out of order");
    return true;
  }

  bool readLeaf(std::uint32_t node, int keyLength, std::string& previous,
                std::vector<CdxKey>& keys) {
    std::string_view n = b_.substr(node, kNode);
    int count = le16(n, 2);
    std::uint32_t recMask = le32(n, 14);
    int dupMask = std::uint8_t(n[18]), trailMask = std::uint8_t(n[19]);
    int recBits = std::uint8_t(n[20]), dupBits = std::uint8_t(n[21]);
    int entryBytes = std::uint8_t(n[23]);
    if (entryBytes < 1 || entryBytes > 8 || recBits > 32 || recBits + dupBits >= 64)
      return fail("bad leaf layout");
    if (count < 0 || count * entryBytes > kLeafRoom) return fail("bad leaf key count");
    int keyEnd = kNode;  // key bytes are stored backwards from the end of the node
    for (int i = 0; i < count; ++i) {
      std::uint64_t bits = 0;
      for (int k = 0; k < entryBytes; ++k)
        bits |= std::uint64_t(std::uint8_t(n[24 + i * entryBytes + k])) << (8 * k);
      std::uint32_t recNo = static_cast<std::uint32_t>(bits & recMask);
      int dup = static_cast<int>((bits >> recBits) & std::uint64_t(dupMask));
      int trail = static_cast<int>((bits >> (recBits + dupBits)) & std::uint64_t(trailMask));
      int stored = keyLength - dup - trail;
      if (dup > keyLength || trail > keyLength || stored < 0) return fail("bad key counts");
      keyEnd -= stored;
      if (keyEnd < 24 + count * entryBytes) return fail("keys overlap the entries");
      std::string key = previous.substr(0, dup);
      key.append(n.substr(keyEnd, stored));
      key.append(trail, ' ');
      previous = key;
      keys.push_back({std::move(key), recNo});
    }
    return true;
  }

  std::optional<std::vector<CdxTag>> read() {
    if (b_.size() < kHeader + kNode || b_.size() % kNode != 0) {
      fail("file size is not a whole number of nodes");
      return std::nullopt;
    }
    int dirKeyLength = 0;
    std::vector<CdxKey> entries;
    if (!readIndex(0, dirKeyLength, entries)) return std::nullopt;
    std::vector<CdxTag> tags;
    std::set<std::uint32_t> headers;
    for (const auto& e : entries) {
      CdxTag tag;
      tag.name = e.key.substr(0, e.key.find_last_not_of(std::string(" \0", 2)) + 1);
      std::uint32_t at = e.recNo;
      if (at == 0 || !headers.insert(at).second) {
        fail("tag header pointer repeated");
        return std::nullopt;
      }
      if (!readIndex(at, tag.keyLength, tag.keys)) return std::nullopt;
      std::uint8_t options = std::uint8_t(b_[at + 14]);
      tag.unique = options & kOptUnique;
      tag.descending = le16(b_, at + 502) != 0;
      int forLength = le16(b_, at + 506);
      int keyLength = le16(b_, at + 510);
      if (keyLength < 1 || keyLength + forLength > 512) {
        fail("expression pool out of range");
        return std::nullopt;
      }
      std::string_view pool = b_.substr(at + 512, 512);
      std::string_view key = pool.substr(0, keyLength);
      tag.keyExpr = std::string(key.substr(0, key.find('\0')));
      std::string_view forPool = pool.substr(keyLength, forLength);
      tag.forExpr = std::string(forPool.substr(0, forPool.find('\0')));
      if (!(options & kOptFor)) tag.forExpr.clear();
      tags.push_back(std::move(tag));
    }
    return tags;
  }

 private:
  std::string_view b_;
  std::string* error_;
};

// ---------------------------------------------------------------- writing

struct Built {
  std::uint32_t root = 0;
};

class Writer {
 public:
  std::string file;

  std::uint32_t allocate(std::uint32_t size) {
    std::uint32_t at = static_cast<std::uint32_t>(file.size());
    file.append(size, '\0');
    return at;
  }

  // Writes the nodes of one index (keys ascending) and returns the root's offset.
  std::uint32_t writeIndex(const std::vector<CdxKey>& keys, int keyLength, bool character,
                           std::uint32_t maxRecNo) {
    int dupBits = bitsFor(static_cast<std::uint64_t>(keyLength));
    int recNeed = std::max(bitsFor(maxRecNo), 1);
    int entryBytes = std::max(3, (recNeed + 2 * dupBits + 7) / 8);
    int recBits = entryBytes * 8 - 2 * dupBits;

    struct Level {
      std::uint32_t node;
      CdxKey last;
    };
    std::vector<Level> leaves;
    size_t i = 0;
    do {
      std::uint32_t node = allocate(kNode);
      size_t first = i;
      int used = 0;
      std::string previous;
      std::vector<std::pair<std::uint64_t, std::string>> entries;
      while (i < keys.size()) {
        std::string key = keys[i].key;
        key.resize(static_cast<size_t>(keyLength), character ? ' ' : '\0');
        int dup = 0;
        if (i > first)
          while (dup < keyLength && previous[dup] == key[dup]) ++dup;
        int trail = 0;
        if (character)
          while (trail < keyLength - dup && key[keyLength - 1 - trail] == ' ') ++trail;
        int stored = keyLength - dup - trail;
        if (used + entryBytes + stored > kLeafRoom) break;
        used += entryBytes + stored;
        std::uint64_t bits = keys[i].recNo | std::uint64_t(dup) << recBits |
                             std::uint64_t(trail) << (recBits + dupBits);
        entries.push_back({bits, key.substr(dup, stored)});
        previous = key;
        ++i;
      }
      std::string& f = file;
      putLe16(f, node, 2);
      putLe16(f, node + 2, static_cast<std::uint16_t>(entries.size()));
      putLe32(f, node + 4, leaves.empty() ? kNone : leaves.back().node);
      putLe32(f, node + 8, kNone);
      putLe16(f, node + 12, static_cast<std::uint16_t>(kLeafRoom - used));
      putLe32(f, node + 14, static_cast<std::uint32_t>((std::uint64_t(1) << recBits) - 1));
      f[node + 18] = static_cast<char>((1 << dupBits) - 1);
      f[node + 19] = static_cast<char>((1 << dupBits) - 1);
      f[node + 20] = static_cast<char>(recBits);
      f[node + 21] = static_cast<char>(dupBits);
      f[node + 22] = static_cast<char>(dupBits);
      f[node + 23] = static_cast<char>(entryBytes);
      size_t keyEnd = node + kNode;
      for (size_t e = 0; e < entries.size(); ++e) {
        for (int k = 0; k < entryBytes; ++k)
          f[node + 24 + e * entryBytes + k] = static_cast<char>(entries[e].first >> (8 * k));
        keyEnd -= entries[e].second.size();
        std::memcpy(&f[keyEnd], entries[e].second.data(), entries[e].second.size());
      }
      if (!leaves.empty()) putLe32(f, leaves.back().node + 8, node);
      leaves.push_back({node, i > first ? keys[i - 1] : CdxKey{std::string(keyLength, ' '), 0}});
    } while (i < keys.size());

    // Interior levels until one node remains.
    std::vector<Level> level = std::move(leaves);
    int perNode = kInteriorRoom / (keyLength + 8);
    while (level.size() > 1) {
      std::vector<Level> up;
      for (size_t at = 0; at < level.size(); at += perNode) {
        size_t end = std::min(level.size(), at + perNode);
        std::uint32_t node = allocate(kNode);
        putLe16(file, node, 0);
        putLe16(file, node + 2, static_cast<std::uint16_t>(end - at));
        putLe32(file, node + 4, up.empty() ? kNone : up.back().node);
        putLe32(file, node + 8, kNone);
        for (size_t c = at; c < end; ++c) {
          size_t e = node + 12 + (c - at) * (keyLength + 8);
          std::string key = level[c].last.key;
          key.resize(static_cast<size_t>(keyLength), ' ');
          std::memcpy(&file[e], key.data(), keyLength);
          putBe32(file, e + keyLength, level[c].last.recNo);
          putBe32(file, e + keyLength + 4, level[c].node);
        }
        if (!up.empty()) putLe32(file, up.back().node + 8, node);
        up.push_back({node, level[end - 1].last});
      }
      level = std::move(up);
    }
    std::uint32_t root = level.front().node;
    putLe16(file, root, static_cast<std::uint16_t>(le16(file, root) | 1));
    return root;
  }

  void writeHeader(std::uint32_t at, std::uint32_t root, int keyLength, std::uint8_t options,
                   bool descending, const std::string& keyExpr, const std::string& forExpr) {
    putLe32(file, at, root);
    putLe32(file, at + 4, kNone);
    putLe16(file, at + 12, static_cast<std::uint16_t>(keyLength));
    file[at + 14] = static_cast<char>(options);
    file[at + 15] = 1;
    putLe16(file, at + 502, descending ? 1 : 0);
    std::string key = keyExpr.substr(0, 254);
    std::string cond = forExpr.substr(0, 254);
    putLe16(file, at + 506, static_cast<std::uint16_t>(cond.size() + 1));
    putLe16(file, at + 510, static_cast<std::uint16_t>(key.size() + 1));
    std::memcpy(&file[at + 512], key.data(), key.size());
    std::memcpy(&file[at + 512 + key.size() + 1], cond.data(), cond.size());
  }
};

}  // namespace

std::optional<std::vector<CdxTag>> readCdx(std::string_view bytes, std::string* error) {
  if (error) error->clear();
  return Reader(bytes, error).read();
}

std::string writeCdx(const std::vector<CdxTag>& tags) {
  Writer w;
  w.allocate(kHeader);  // the tag directory's header
  std::vector<std::uint32_t> headers;
  // Tag headers and nodes first, the directory's nodes last (they need the header offsets).
  std::vector<std::uint32_t> roots;
  for (const auto& tag : tags) {
    std::uint32_t header = w.allocate(kHeader);
    std::uint32_t maxRecNo = 1;
    for (const auto& k : tag.keys) maxRecNo = std::max(maxRecNo, k.recNo);
    std::uint32_t root = w.writeIndex(tag.keys, tag.keyLength, tag.characterKey, maxRecNo);
    std::uint8_t options = kOptCompact | (tag.forExpr.empty() ? 0 : kOptFor) |
                           (tag.unique ? kOptUnique : 0);
    w.writeHeader(header, root, tag.keyLength, options, tag.descending, tag.keyExpr, tag.forExpr);
    headers.push_back(header);
  }
  std::vector<CdxKey> directory;
  for (size_t i = 0; i < tags.size(); ++i) {
    std::string name = tags[i].name.substr(0, 10);
    name.resize(10, ' ');
    directory.push_back({name, headers[i]});
  }
  std::sort(directory.begin(), directory.end(), keyLess);
  std::uint32_t maxOffset = static_cast<std::uint32_t>(w.file.size());
  std::uint32_t root = w.writeIndex(directory, 10, true, maxOffset);
  w.writeHeader(0, root, 10, kOptCompact | kOptCompound, false, "", "");
  return w.file;
}

}  // namespace quillon::xbase
