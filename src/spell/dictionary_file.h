#pragma once
// Open dictionary files: reading the text header and the sub-dictionary headers, reading nodes
// (main dictionaries through a cache, user dictionaries from a copy that is read again whenever
// the header in the file changes), loading a whole node array, and writing a user dictionary.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "spell/dictionary_format.h"

namespace quillon::spell {

// One open file, shared by the sub-dictionaries of a main dictionary; closed with the last user.
class DictionaryFile {
 public:
  static std::shared_ptr<DictionaryFile> open(const std::string& path, bool writable, std::string& error);
  static std::shared_ptr<DictionaryFile> create(const std::string& path, std::string& error);
  ~DictionaryFile();
  DictionaryFile(const DictionaryFile&) = delete;
  DictionaryFile& operator=(const DictionaryFile&) = delete;

  // Reads up to `size` bytes at `offset`; returns how many were read (0 at the end or on error).
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t size) const;
  bool writeAt(std::uint64_t offset, const std::string& bytes);
  std::uint64_t size() const;

 private:
  explicit DictionaryFile(int fd) : fd_(fd) {}
  int fd_;
};

// The read cache of a main sub-dictionary: 1024 blocks of 8 nodes. The block of node n starts
// at byte b = (n with its low three bits cleared) x 3 + (header end - 3) and lives in slot
// (b / 8) mod 1024.
class NodeCache {
 public:
  static constexpr std::size_t kBlocks = 1024;
  static constexpr std::size_t kNodesPerBlock = 8;

  std::optional<Node> read(const DictionaryFile& file, std::uint64_t headerEnd, std::uint32_t n);

 private:
  struct Block {
    std::int64_t tag = -1;
    std::uint8_t length = 0;  // bytes read (short at the end of the file)
    std::array<unsigned char, kNodesPerBlock * kNodeSize> bytes{};
  };
  std::array<Block, kBlocks> blocks_{};
};

struct Dictionary {
  DictionaryHeader header;
  std::uint64_t headerEnd = 0;  // file offset of node 1
  std::shared_ptr<DictionaryFile> file;
  int number = -1;              // -1 for main dictionaries, else the user dictionary's number
  std::unique_ptr<NodeCache> cache;  // main dictionaries only
  // User dictionaries: the nodes as of `loaded` (the header they were read under). Every word
  // added counts in the header, so a header unchanged in the file means unchanged nodes.
  NodeArray nodes;
  DictionaryHeader loaded;
  // The node of each code in the first list (0: no word begins with it), so that a look-up
  // goes straight to its first letter.
  std::array<std::uint16_t, 64> firstLetter{};

  bool isUser() const { return !cache; }
  // Node n (1..node count), or nothing when it lies outside the dictionary or cannot be read.
  std::optional<Node> node(std::uint32_t n) const;
};

// Opens a main dictionary: every sub-dictionary must have a non-zero kind, counts that fit the
// file and a valid trie. On failure returns nothing and says why in `error`.
std::optional<std::vector<Dictionary>> openMainDictionary(const std::string& path, std::string& error);
// Opens a user dictionary (kind 0, one sub-dictionary) for reading and, when allowed, writing.
std::optional<Dictionary> openUserDictionary(const std::string& path, std::string& error);
// Writes a new empty user dictionary that holds the word "A" (500 node slots).
bool writeNewUserDictionary(const std::string& path, std::string& error);

// Reads the header of a user dictionary again and, when it changed, its nodes, so that a look-up
// sees the words added since (also by another program). A file that is no longer a sound user
// dictionary leaves it empty until it is one again; false then.
bool refreshUserDictionary(Dictionary& dictionary);
// Nodes 1..node count of a dictionary, or nothing when they cannot be read or are no trie.
// Also fills the dictionary's first-letter table from them.
std::optional<NodeArray> loadNodes(Dictionary& dictionary, std::string* error = nullptr);
// Writes a user dictionary's header and nodes (capacity grown as needed) in one write.
bool storeUserDictionary(Dictionary& dictionary, const NodeArray& nodes, std::uint32_t wordCount);

}  // namespace quillon::spell
