// The dictionary file format: tries written by the builder read back whole; AddWord keeps a
// user dictionary a valid trie; the node and word-length limits.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "spell/acrop_spell.h"
#include "spell/dictionary_file.h"
#include "spell/spell_chars.h"
#include "spell_files.h"

using namespace quillon::spell;
using quillon::test::sortedCopy;
using quillon::test::TempDir;

namespace {

// Random words over a few letters (so lists share prefixes) and some Latin-1 letters.
std::vector<std::string> randomWords(std::size_t count, unsigned seed, std::size_t maxLength = 12) {
  static const std::string letters = "ABCDEFGHIKLMNOPRSTU'-\xc9\xd1\xdf";
  std::mt19937 rng(seed);
  std::vector<std::string> words;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t length = 1 + rng() % maxLength;
    std::string w;
    for (std::size_t j = 0; j < length; ++j) w.push_back(letters[rng() % letters.size()]);
    words.push_back(w);
  }
  return words;
}

std::vector<std::string> wordsOf(const std::string& path) {
  std::string error;
  auto words = dictionaryWords(path, error);
  EXPECT_TRUE(words) << error;
  return words ? sortedCopy(*words) : std::vector<std::string>{};
}

std::vector<std::string> upperSet(const std::vector<std::string>& words, std::vector<std::string> extra = {}) {
  std::set<std::string> set(extra.begin(), extra.end());
  for (const auto& w : words) set.insert(upperCase(w));
  return {set.begin(), set.end()};
}

// A user dictionary file holding exactly these nodes.
void writeUserDictionary(const TempDir& dir, const std::string& name, const NodeArray& nodes) {
  std::string bytes = textHeader(false);
  auto count = static_cast<std::uint32_t>(nodes.size() - 1);
  bytes += encodeHeader({count, count, 1, 0, static_cast<std::uint32_t>(bytes.size())});
  unsigned char node[kNodeSize];
  for (std::uint32_t n = 1; n <= count; ++n) {
    encodeNode(nodes[n], node);
    bytes.append(reinterpret_cast<char*>(node), kNodeSize);
  }
  dir.write(name, bytes);
}

}  // namespace

TEST(DictionaryFormat, HeadersAndNodesAreLittleEndian) {
  DictionaryHeader h{0x01020304, 500, 7, 1, 0x1A};
  std::string bytes = encodeHeader(h);
  ASSERT_EQ(bytes.size(), kHeaderSize);
  EXPECT_EQ(bytes.substr(0, 5), std::string("\x04\x03\x02\x01\xf4", 5));
  auto back = decodeHeader(reinterpret_cast<const unsigned char*>(bytes.data()));
  EXPECT_EQ(back.nodeCount, h.nodeCount);
  EXPECT_EQ(back.capacity, 500u);
  EXPECT_EQ(back.kind, 1);
  EXPECT_EQ(back.position, 0x1Au);
  unsigned char node[3];
  encodeNode(kFreeNode, node);
  EXPECT_EQ(node[0] | node[1] << 8, 65000);
  EXPECT_EQ(node[2], 0xC0);
}

TEST(DictionaryFormat, ABuiltDictionaryReadsBackToItsWordList) {
  TempDir dir;
  auto words = randomWords(8000, 1);
  // Small parts force many sub-dictionaries, each searched in turn.
  std::string path = quillon::test::writeMainDictionary(dir, words, "qln.dct", 3000);
  auto image = buildMainDictionary(prepareWords(words, 30), 3000);
  EXPECT_GT(image.nodesPerPart.size(), 3u);
  for (auto n : image.nodesPerPart) EXPECT_LE(n, 3000u);
  EXPECT_EQ(wordsOf(path), sortedCopy(prepareWords(words, 30)));
  TAcropSpell spell;
  ASSERT_TRUE(spell.OpenDictionary(path));
  for (std::size_t i = 0; i < words.size(); i += 97) EXPECT_TRUE(spell.IsWord(words[i])) << words[i];
  auto known = upperSet(words);
  auto listed = [&](const std::string& u) { return std::binary_search(known.begin(), known.end(), u); };
  for (const auto& w : randomWords(300, 2, 5)) {
    std::string u = upperCase(w);
    bool possessive = u.size() > 2 && u.substr(u.size() - 2) == "'S" && listed(u.substr(0, u.size() - 2));
    EXPECT_EQ(spell.IsWord(w), u.size() <= 1 || listed(u) || possessive) << w;
  }
}

TEST(DictionaryFormat, PreparingDropsWhatTheAlphabetCannotHoldAndCoveredPossessives) {
  auto words = prepareWords({"fax", "fax's", "Fax", "zoo's", "na\xefve", "x-ray", "4th", "a b", "", std::string(31, 'a')}, 30);
  EXPECT_EQ(sortedCopy(words), (std::vector<std::string>{"FAX", "NA\xcfVE", "X-RAY", "ZOO'S"}));
  auto empty = buildMainDictionary({});
  ASSERT_EQ(empty.nodesPerPart, (std::vector<std::uint32_t>{0}));
  TempDir dir;
  dir.write("empty.dct", empty.bytes);
  TAcropSpell spell;
  ASSERT_TRUE(spell.OpenDictionary(dir.file("empty.dct")));
  EXPECT_FALSE(spell.IsWord("fax"));
  EXPECT_TRUE(spell.Suggest("fax").empty());
}

TEST(DictionaryFormat, ThousandsOfInsertionsKeepTheTrieValid) {
  NodeArray nodes(1);
  auto words = randomWords(5000, 3);
  std::vector<std::string> added;
  for (std::size_t i = 0; i < words.size(); ++i) {
    insertWord(nodes, upperCase(words[i]));
    added.push_back(words[i]);
    if (i % 500 == 499) {
      ASSERT_FALSE(checkTrie(nodes)) << "after " << i + 1;
      std::vector<std::string> listed;
      forEachWord(nodes, [&](const std::string& w) { listed.push_back(w); });
      ASSERT_EQ(sortedCopy(listed), upperSet(added)) << "after " << i + 1;
    }
  }
}

TEST(DictionaryFormat, WordsAddedToAUserDictionaryFileReadBack) {
  TempDir dir;
  TAcropSpell spell;
  int number = spell.CreateUserDictionary(dir.file("qlnu.dct"), {});
  ASSERT_EQ(number, 0);
  auto words = randomWords(400, 6);
  for (std::size_t i = 0; i < words.size(); ++i) ASSERT_TRUE(spell.AddWord(words[i], number)) << i;
  EXPECT_EQ(wordsOf(dir.file("qlnu.dct")), upperSet(words, {"A"}));
  for (const auto& w : words) EXPECT_TRUE(spell.IsWord(w)) << w;
  std::string error;
  auto reopened = openUserDictionary(dir.file("qlnu.dct"), error);
  ASSERT_TRUE(reopened) << error;
  EXPECT_EQ(reopened->header.wordCount, 401u);
  EXPECT_GT(reopened->header.capacity, kUserCapacityStep);  // grown past the first 500 slots
  EXPECT_GE(reopened->header.capacity, reopened->header.nodeCount);
  EXPECT_EQ(reopened->header.capacity % kUserCapacityStep, 0u);
}

TEST(DictionaryFormat, InsertingIntoAListMovesLaterNodesAndTheirParentsFollow) {
  NodeArray nodes(1);
  for (const char* w : {"CAT", "DOG", "COT", "CAB", "DIG", "CA", "BEE"}) {
    insertWord(nodes, w);
    ASSERT_FALSE(checkTrie(nodes)) << w;
  }
  std::vector<std::string> words;
  forEachWord(nodes, [&](const std::string& w) { words.push_back(w); });
  EXPECT_EQ(sortedCopy(words), (std::vector<std::string>{"BEE", "CA", "CAB", "CAT", "COT", "DIG", "DOG"}));
}

TEST(DictionaryFormat, AUserDictionaryTakesWordsUpTo25CharactersAnd63999Nodes) {
  TempDir dir;
  TAcropSpell spell;
  int small = spell.CreateUserDictionary(dir.file("small.dct"), {});
  EXPECT_FALSE(spell.AddWord(std::string(26, 'q'), small));
  EXPECT_TRUE(spell.AddWord(std::string(25, 'q'), small));
  EXPECT_TRUE(spell.IsWord(std::string(25, 'q')));

  // A dictionary a few words short of the node limit.
  std::vector<std::string> words = randomWords(40000, 4, 8);
  sortByCode(words);
  std::vector<std::string> taken;
  std::size_t count = 0;
  for (std::size_t i = 0; i < words.size() && count < 63980; ++i) {
    count += newNodesFor(words[i], i ? words[i - 1] : "");
    taken.push_back(words[i]);
  }
  NodeArray nodes = buildTrie(taken);
  ASSERT_EQ(nodes.size() - 1, count);
  writeUserDictionary(dir, "full.dct", nodes);
  int full = spell.OpenUserDictionary(dir.file("full.dct"));
  ASSERT_GE(full, 0);
  std::size_t room = 63999 - count;
  ASSERT_LE(room, 25u);
  EXPECT_FALSE(spell.AddWord(std::string(room + 1, 'z'), full));
  EXPECT_TRUE(spell.AddWord(std::string(room, 'z'), full));
  EXPECT_FALSE(spell.AddWord("zz", full));  // now full
  std::string error;
  auto reopened = openUserDictionary(dir.file("full.dct"), error);
  ASSERT_TRUE(reopened) << error;
  EXPECT_LE(reopened->header.nodeCount, 63999u);
  EXPECT_EQ(wordsOf(dir.file("full.dct")).size(), taken.size() + 1);
}

TEST(NodeCache, ServesBlocksOfEightNodesUntilAnotherBlockTakesTheirSlot) {
  // A raw file of nodes after a 20-byte preamble (node n at 17 + 3n): node n's code is n mod 64.
  constexpr std::uint32_t kNodes = 9000;
  constexpr std::uint64_t kHeaderEnd = 20;
  TempDir dir;
  std::string bytes(kHeaderEnd - 3, 'h');
  auto node = [](std::uint32_t n, std::uint8_t extra) {
    std::string three(3, '\0');
    encodeNode(Node{static_cast<std::uint16_t>(n), static_cast<std::uint8_t>((n % 64) | extra)},
               reinterpret_cast<unsigned char*>(three.data()));
    return three;
  };
  for (std::uint32_t n = 0; n <= kNodes; ++n) bytes += node(n, 0);
  dir.write("nodes", bytes);
  std::string error;
  auto file = DictionaryFile::open(dir.file("nodes"), true, error);
  ASSERT_TRUE(file) << error;
  auto cache = std::make_unique<NodeCache>();
  ASSERT_EQ(cache->read(*file, kHeaderEnd, 9)->child, 9);

  // Change nodes 9 and 10 in the file: the cached block (nodes 8 to 15) still answers.
  ASSERT_TRUE(file->writeAt(kHeaderEnd - 3 + 3 * 9, node(9, kWordEnd) + node(10, kWordEnd)));
  EXPECT_FALSE(cache->read(*file, kHeaderEnd, 9)->wordEnd());
  EXPECT_FALSE(cache->read(*file, kHeaderEnd, 10)->wordEnd());
  // Node 9 + 8192 lies 24576 bytes on (3 x 8192): the same one of the 1024 slots, so it is read
  // in place of the block, and node 9 comes from the file again.
  EXPECT_EQ(cache->read(*file, kHeaderEnd, 9 + 8192)->child, 9 + 8192);
  EXPECT_TRUE(cache->read(*file, kHeaderEnd, 9)->wordEnd());
  EXPECT_TRUE(cache->read(*file, kHeaderEnd, 10)->wordEnd());
  // A block in another slot was never disturbed; a node past the file's end is no node.
  EXPECT_EQ(cache->read(*file, kHeaderEnd, 100)->code(), 100 % 64);
  EXPECT_FALSE(cache->read(*file, kHeaderEnd, kNodes + 5));
}
