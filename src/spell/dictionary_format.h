#pragma once
// The dictionary file: a free text header ended by 0x1A, then one or more sub-dictionaries,
// each a 17-byte header followed by its node slots. A node is 3 bytes: the 16-bit index of its
// child list (0 none, 65000 free slot) and a flags byte (bits 0-5 the character code, bit 6 the
// last node of a sibling list, bit 7 a word ends here). Node n lies at (header end - 3) + 3n.
// The functions here work on nodes held in memory; dictionary_file.h reads and writes files.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::spell {

constexpr std::size_t kHeaderSize = 17;
constexpr std::size_t kNodeSize = 3;
constexpr std::uint16_t kNoChild = 0;
constexpr std::uint16_t kFreeSlot = 65000;
constexpr std::uint8_t kLastInList = 0x40;
constexpr std::uint8_t kWordEnd = 0x80;
constexpr char kTextHeaderEnd = 0x1A;
// Words longer than this are neither added nor used whole for suggestions.
constexpr std::size_t kMaxWordLength = 25;
// A user dictionary takes a word only while (word length + node count) stays within this.
constexpr std::uint32_t kMaxUserNodes = 63999;
// Node indexes are 16 bits and 65000 marks a free slot, so a sub-dictionary holds fewer nodes.
constexpr std::uint32_t kMaxNodes = kFreeSlot - 1;
constexpr std::uint32_t kUserCapacityStep = 500;

struct DictionaryHeader {
  std::uint32_t nodeCount = 0;   // nodes in use
  std::uint32_t capacity = 0;    // node slots reserved after the header
  std::uint32_t wordCount = 0;
  std::uint8_t kind = 0;         // non-zero: main dictionary; 0: user dictionary
  std::uint32_t position = 0;    // file offset of this header

  bool isMain() const { return kind != 0; }
};

std::string encodeHeader(const DictionaryHeader& header);
DictionaryHeader decodeHeader(const unsigned char* bytes);  // kHeaderSize bytes

struct Node {
  std::uint16_t child = kNoChild;
  std::uint8_t flags = 0;

  std::uint8_t code() const { return flags & 63; }
  bool last() const { return flags & kLastInList; }
  bool wordEnd() const { return flags & kWordEnd; }
  bool hasChild() const { return child != kNoChild && child != kFreeSlot; }
};

constexpr Node kFreeNode{kFreeSlot, 0xC0};

void encodeNode(const Node& node, unsigned char* out);  // kNodeSize bytes
Node decodeNode(const unsigned char* bytes);

// Nodes of one sub-dictionary, index 0 unused so that nodes[n] is node n.
using NodeArray = std::vector<Node>;

// Checks that nodes 1..count form a trie: every list ends with its bit-6 node inside the
// array, every child index points inside it, and no node is reached twice (so there are no
// loops and no shared or overlapping lists). Returns the reason when it does not.
std::optional<std::string> checkTrie(const NodeArray& nodes);

// Calls `word` with every word of the trie (upper case, Latin-1) in trie order. The trie must
// have passed checkTrie.
void forEachWord(const NodeArray& nodes, const std::function<void(const std::string&)>& word);

// Inserts an upper-cased word (every byte in the alphabet) into a valid trie: missing
// characters are appended to the end of their sibling list (moving later nodes up one slot and
// raising the child indexes that point at or beyond the new slot); below a node without a
// child the rest of the word becomes a chain of one-node lists after the used nodes.
void insertWord(NodeArray& nodes, std::string_view upperWord);

// Sorts upper-case words by their codes (the order of the trie's lists) and drops repeats.
void sortByCode(std::vector<std::string>& words);

// Lays out a trie of words sorted by sortByCode: each sibling list in code order, every list
// before the lists below it.
NodeArray buildTrie(const std::vector<std::string>& sortedWords);

// Nodes `word` adds to a trie that holds the words up to `previous` in sortByCode order
// (a trie has one node per distinct non-empty prefix).
std::size_t newNodesFor(std::string_view word, std::string_view previous);

// The text header written before a dictionary's first sub-dictionary header.
std::string textHeader(bool mainDictionary);

}  // namespace quillon::spell
