// Damaged dictionary files give a clear failure (no main dictionary, -1 for a user dictionary)
// and never a crash or a hang.
#include <gtest/gtest.h>

#include <random>

#include "spell/acrop_spell.h"
#include "spell/dictionary_file.h"
#include "spell_files.h"

using namespace quillon::spell;
using quillon::test::TempDir;

namespace {

const std::vector<std::string> kWords = {"fax", "faxes", "modem", "page", "paper", "phone", "receive"};

struct BadFiles : ::testing::Test {
  TempDir dir;
  std::string good = buildMainDictionary(prepareWords(kWords, 30)).bytes;
  std::size_t headerAt = textHeader(true).size();
  std::size_t nodesAt = headerAt + kHeaderSize;

  void put32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  }
  void putNode(std::string& bytes, std::uint32_t n, Node node) {
    encodeNode(node, reinterpret_cast<unsigned char*>(bytes.data()) + nodesAt + (n - 1) * kNodeSize);
  }
  Node nodeAt(const std::string& bytes, std::uint32_t n) {
    return decodeNode(reinterpret_cast<const unsigned char*>(bytes.data()) + nodesAt + (n - 1) * kNodeSize);
  }
  std::uint32_t nodeCount() { return static_cast<std::uint32_t>((good.size() - nodesAt) / kNodeSize); }

  // Opens the bytes as a main dictionary; on success a look-up and a suggestion run must finish.
  // A new name for every file: rewriting one file makes the file system flush it each time.
  std::string freshFile(const std::string& bytes) {
    std::string name = "d" + std::to_string(files++) + ".dct";
    dir.write(name, bytes);
    return dir.file(name);
  }
  int files = 0;

  bool opensAsMain(const std::string& bytes) {
    TAcropSpell spell;
    bool opened = spell.OpenDictionary(freshFile(bytes));
    spell.IsWord("paper");
    spell.Suggest("papr");
    if (!opened) {
      EXPECT_FALSE(spell.lastError().empty());
    }
    return opened;
  }
  int opensAsUser(const std::string& bytes) {
    TAcropSpell spell;
    spell.setDictionaryName(dir.file("none.dct"));
    int number = spell.OpenUserDictionary(freshFile(bytes));
    spell.IsWord("paper");
    spell.Suggest("papr");
    if (number >= 0) spell.AddWord("papers", number);
    return number;
  }
  std::string asUser(std::string bytes) {
    if (bytes.size() > headerAt + 12) bytes[headerAt + 12] = 0;  // the kind byte
    return bytes;
  }
};

}  // namespace

TEST_F(BadFiles, TheGoodFileOpensBothWays) {
  EXPECT_TRUE(opensAsMain(good));
  EXPECT_EQ(opensAsUser(asUser(good)), 0);
}

TEST_F(BadFiles, MissingFilesAndWrongKinds) {
  TAcropSpell spell;
  EXPECT_FALSE(spell.OpenDictionary(dir.file("missing.dct")));
  EXPECT_NE(spell.lastError().find("missing.dct"), std::string::npos);
  EXPECT_EQ(spell.OpenUserDictionary(dir.file("missing.dct")), -1);
  EXPECT_FALSE(opensAsMain(asUser(good)));
  EXPECT_EQ(opensAsUser(good), -1);
  EXPECT_FALSE(opensAsMain(""));
  EXPECT_FALSE(opensAsMain("no end of the text header"));
  EXPECT_FALSE(spell.OpenDictionary(dir.path()));  // a folder
}

TEST_F(BadFiles, EveryTruncationFailsCleanlyOrLeavesWholeNodes) {
  for (std::size_t size = 0; size < good.size(); ++size) {
    std::string cut = good.substr(0, size);
    EXPECT_FALSE(opensAsMain(cut)) << size;  // the header counts nodes the file no longer has
    EXPECT_EQ(opensAsUser(asUser(cut)), -1) << size;
  }
}

TEST_F(BadFiles, HeadersWhoseCountsLie) {
  std::string more = good;
  put32(more, headerAt, nodeCount() + 1);  // more nodes than the file holds
  EXPECT_FALSE(opensAsMain(more));
  std::string overCapacity = good;
  put32(overCapacity, headerAt + 4, nodeCount() - 1);  // more nodes than it reserves
  EXPECT_FALSE(opensAsMain(overCapacity));
  std::string huge = good;
  put32(huge, headerAt, 0xFFFFFFF0u);
  put32(huge, headerAt + 4, 0xFFFFFFF0u);
  EXPECT_FALSE(opensAsMain(huge));
  std::string fewer = good;  // fewer nodes: lists then run past the last node
  put32(fewer, headerAt, nodeCount() / 2);
  EXPECT_FALSE(opensAsMain(fewer));
  std::string userCapacity = asUser(good);
  put32(userCapacity, headerAt + 4, 1u << 30);
  EXPECT_EQ(opensAsUser(userCapacity), -1);
  // A capacity beyond the file only means no further sub-dictionary follows.
  std::string far = good;
  put32(far, headerAt + 4, 1u << 30);
  EXPECT_TRUE(opensAsMain(far));
}

TEST_F(BadFiles, ChildIndexesOutsideTheFileLoopsAndSharedLists) {
  std::uint32_t last = nodeCount();
  std::uint32_t withChild = 1;
  while (!nodeAt(good, withChild).hasChild()) ++withChild;
  std::string outside = good;
  putNode(outside, withChild, {static_cast<std::uint16_t>(last + 1), nodeAt(good, withChild).flags});
  EXPECT_FALSE(opensAsMain(outside));
  EXPECT_EQ(opensAsUser(asUser(outside)), -1);

  std::string loop = good;  // a child list that is the first list again
  putNode(loop, last, {1, static_cast<std::uint8_t>(nodeAt(good, last).flags)});
  EXPECT_FALSE(opensAsMain(loop));
  EXPECT_EQ(opensAsUser(asUser(loop)), -1);

  std::string unended = good;  // the last list loses its end mark
  putNode(unended, last, {nodeAt(good, last).child, static_cast<std::uint8_t>(nodeAt(good, last).flags & ~kLastInList)});
  EXPECT_FALSE(opensAsMain(unended));

  std::string shared = good;  // two nodes lead to the same list
  std::uint32_t other = withChild + 1;
  while (!nodeAt(good, other).hasChild()) ++other;
  putNode(shared, other, {nodeAt(good, withChild).child, nodeAt(good, other).flags});
  EXPECT_FALSE(opensAsMain(shared));
}

TEST_F(BadFiles, ADamagedSecondSubDictionarySpoilsTheWholeMainDictionary) {
  auto image = buildMainDictionary(prepareWords(kWords, 30), 12);
  ASSERT_GT(image.nodesPerPart.size(), 1u);
  std::string bytes = image.bytes;
  EXPECT_TRUE(opensAsMain(bytes));
  std::size_t second = nodesAt + image.nodesPerPart[0] * kNodeSize;
  bytes[second + 12] = 0;  // its kind
  EXPECT_FALSE(opensAsMain(bytes));
  bytes = image.bytes;
  put32(bytes, second, 60000);
  EXPECT_FALSE(opensAsMain(bytes));
}

TEST_F(BadFiles, AUserDictionaryDamagedAfterOpeningIsReadSafely) {
  TAcropSpell spell;
  int number = spell.CreateUserDictionary(dir.file("qlnu.dct"), kWords);
  ASSERT_GE(number, 0);
  std::string bytes = dir.read("qlnu.dct");
  std::size_t userNodes = textHeader(false).size() + kHeaderSize;
  for (std::size_t i = userNodes; i < bytes.size(); i += 3) bytes[i] = 1, bytes[i + 1] = 0;  // every child -> node 1
  std::string sameHeader = bytes;
  put32(bytes, userNodes - kHeaderSize + 8, 99);  // the word count shows the change
  dir.write("qlnu.dct", sameHeader);
  EXPECT_TRUE(spell.IsWord("paper"));  // nodes changed under an unchanged header are not read again
  dir.write("qlnu.dct", bytes);
  EXPECT_FALSE(spell.IsWord("paper"));
  EXPECT_TRUE(spell.Suggest("papr").empty());
  EXPECT_FALSE(spell.AddWord("papers", number));  // no insertion into a trie that is not one
  dir.write("qlnu.dct", "");                       // emptied by someone else
  EXPECT_FALSE(spell.IsWord("paperz"));
  EXPECT_FALSE(spell.AddWord("papers", number));
  spell.CloseDictionaries();
  number = spell.CreateUserDictionary(dir.file("qlnu.dct"), kWords);  // sound again
  EXPECT_TRUE(spell.IsWord("paper"));
}

TEST_F(BadFiles, RandomDamageNeverCrashesOrHangs) {
  std::mt19937 rng(5);
  for (int round = 0; round < 400; ++round) {
    std::string bytes = good;
    for (int flips = 1 + static_cast<int>(rng() % 4); flips > 0; --flips)
      bytes[headerAt + rng() % (bytes.size() - headerAt)] = static_cast<char>(rng());
    opensAsMain(bytes);
    opensAsUser(asUser(bytes));
  }
}
