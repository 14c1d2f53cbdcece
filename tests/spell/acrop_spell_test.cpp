// TAcropSpell over real dictionary files: look-up, suggestions, user dictionaries.
#include <gtest/gtest.h>

#include "spell/acrop_spell.h"
#include "spell/standard_dictionaries.h"
#include "spell_files.h"

using quillon::spell::TAcropSpell;
using quillon::test::TempDir;
using quillon::test::writeMainDictionary;

namespace {

const std::vector<std::string> kWords = {"the", "dog", "fax", "paper", "receive", "received", "recipe", "machine",
                                         "cat", "can", "cap", "car", "cab", "cot", "cut", "cub", "cud", "cue", "cod", "cog",
                                         "after", "noon", "afternoon", "page", "pages"};

struct Checker : ::testing::Test {
  TempDir dir;
  TAcropSpell spell;
  void SetUp() override { ASSERT_TRUE(spell.OpenDictionary(writeMainDictionary(dir, kWords))); }
};

}  // namespace

TEST_F(Checker, LooksUpWordsWithoutRegardToCase) {
  EXPECT_TRUE(spell.IsWord("receive"));
  EXPECT_TRUE(spell.IsWord("RECEIVE"));
  EXPECT_TRUE(spell.IsWord("Fax"));
  EXPECT_FALSE(spell.IsWord("recieve"));
  EXPECT_FALSE(spell.IsWord("rece"));       // a prefix only
  EXPECT_FALSE(spell.IsWord("received2"));  // runs past the trie
}

TEST_F(Checker, OneLetterWordsAndPossessivesOfKnownWordsAreKnown) {
  EXPECT_TRUE(spell.IsWord(""));
  EXPECT_TRUE(spell.IsWord("q"));
  EXPECT_TRUE(spell.IsWord("\xe9"));
  EXPECT_TRUE(spell.IsWord("dog's"));
  EXPECT_TRUE(spell.IsWord("DOG'S'S"));
  EXPECT_FALSE(spell.IsWord("dogg's"));
  EXPECT_FALSE(spell.IsWord("'s"));
}

TEST_F(Checker, SuggestsTheIntendedWordFirstAndRanksByScore) {
  auto s = spell.Suggest("recieve");
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s[0], "receive");
  auto again = spell.Suggest("recieve");
  EXPECT_EQ(again, s);  // repeatable
  EXPECT_TRUE(spell.Suggest("").empty());
}

TEST_F(Checker, SuggestionsTakeTheCapitalsOfTheTypedWord) {
  EXPECT_EQ(spell.Suggest("Recieve")[0], "Receive");
  EXPECT_EQ(spell.Suggest("RECIEVE")[0], "RECEIVE");
  EXPECT_EQ(spell.Suggest("reCieve")[0], "reCeive");
  // Non-letters are skipped on both sides: the capital stands opposite the D.
  auto hyphened = spell.Suggest("Do-gg");
  ASSERT_FALSE(hyphened.empty());
  EXPECT_EQ(hyphened[0], "Dog");
}

TEST_F(Checker, TwoKnownWordsWrittenTogetherAreSuggestedSplit) {
  auto s = spell.Suggest("thedog");
  EXPECT_NE(std::find(s.begin(), s.end(), "the dog"), s.end());
  auto caps = spell.Suggest("FAXPAPER");
  EXPECT_NE(std::find(caps.begin(), caps.end(), "FAX PAPER"), caps.end());
  // afternoon is a word itself and comes before its halves
  auto noon = spell.Suggest("afternon");
  ASSERT_FALSE(noon.empty());
  EXPECT_EQ(noon[0], "afternoon");
}

TEST_F(Checker, ReturnsTheBestMaxSuggestionsWithEarlierCandidatesWinningTies) {
  // Twelve C?? words score the same against CXX, so the ten listed are the first ten found
  // in the trie's order.
  spell.setMaxSuggestions(10);
  auto all = spell.Suggest("cxx");
  EXPECT_EQ(all, (std::vector<std::string>{"cab", "can", "cap", "car", "cat", "cod", "cog", "cot", "cub", "cud"}));
  spell.setMaxSuggestions(3);
  auto three = spell.Suggest("cxx");
  ASSERT_EQ(three.size(), 3u);
  EXPECT_TRUE(std::equal(three.begin(), three.end(), all.begin()));
  spell.setMaxSuggestions(10);
  EXPECT_LE(spell.Suggest("ca").size(), 10u);
  spell.setMaxSuggestions(250);
  EXPECT_EQ(spell.MaxSuggestions(), 220);
}

TEST_F(Checker, LongWordsAreCutTo25CharactersForSuggestions) {
  std::string longWord = "receive" + std::string(30, 'e');
  EXPECT_NO_THROW(spell.Suggest(longWord));
  std::string thirty(30, 'a');
  EXPECT_FALSE(spell.AddWord(thirty, 0));
}

TEST(UserDictionary, AFreshOneHoldsTheWordAAndAcceptsWords) {
  TempDir dir;
  TAcropSpell spell;
  spell.setDictionaryName(dir.file("missing.dct"));
  int number = spell.CreateUserDictionary(dir.file("qlnu.dct"), {"Quillon", "telefax"});
  ASSERT_EQ(number, 0);
  EXPECT_FALSE(spell.hasMainDictionary());  // missing main: the user dictionary alone answers
  EXPECT_TRUE(spell.IsWord("quillon"));
  EXPECT_TRUE(spell.IsWord("TELEFAX"));
  EXPECT_FALSE(spell.IsWord("telefa"));
  std::string error;
  auto words = quillon::spell::dictionaryWords(dir.file("qlnu.dct"), error);
  ASSERT_TRUE(words) << error;
  EXPECT_EQ(quillon::test::sortedCopy(*words), (std::vector<std::string>{"A", "QUILLON", "TELEFAX"}));
  EXPECT_FALSE(spell.AddWord("word", 7));       // no such dictionary
  EXPECT_FALSE(spell.AddWord("", number));
  EXPECT_TRUE(spell.AddWord("Quillon", number));  // present already: still counted
  spell.CloseDictionaries();
  EXPECT_EQ(spell.OpenUserDictionary(dir.file("qlnu.dct")), 1);  // numbers count on after closing
}

TEST(UserDictionary, WordsAddedByAnotherCheckerAreSeenAtTheNextLookUp) {
  TempDir dir;
  TAcropSpell first, second;
  int a = first.CreateUserDictionary(dir.file("qlnu.dct"), {});
  int b = second.OpenUserDictionary(dir.file("qlnu.dct"));
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_FALSE(second.IsWord("modem"));
  ASSERT_TRUE(first.AddWord("modem", a));
  ASSERT_TRUE(first.AddWord("modems", a));
  EXPECT_TRUE(second.IsWord("modem"));
  EXPECT_TRUE(second.IsWord("modems"));
  auto s = second.Suggest("modm");
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s[0], "modem");
}

TEST(UserDictionary, MainFilesAreNoUserDictionariesAndTheReverse) {
  TempDir dir;
  TAcropSpell spell;
  std::string main = writeMainDictionary(dir, {"word"});
  EXPECT_EQ(spell.OpenUserDictionary(main), -1);
  ASSERT_GE(spell.CreateUserDictionary(dir.file("qlnu.dct"), {}), 0);
  EXPECT_FALSE(spell.OpenDictionary(dir.file("qlnu.dct")));
  EXPECT_FALSE(spell.AddWord("word", -1));  // the main dictionary takes no words
  EXPECT_EQ(spell.CreateUserDictionary(dir.file("no such folder/qlnu.dct"), {}), -1);
}

TEST(StandardDictionaries, CreateAMissingUserDictionaryButNeverOverwriteABadOne) {
  TempDir dir;
  TAcropSpell spell;
  auto opened = quillon::spell::openStandardDictionaries(spell, writeMainDictionary(dir, {"fax"}), dir.file("qlnu.dct"));
  EXPECT_TRUE(opened.main);
  EXPECT_EQ(opened.user, 0);
  spell.CloseDictionaries();
  dir.write("bad.dct", "not a dictionary");
  auto bad = quillon::spell::openStandardDictionaries(spell, dir.file("none.dct"), dir.file("bad.dct"));
  EXPECT_FALSE(bad.main);
  EXPECT_EQ(bad.user, -1);
  EXPECT_EQ(dir.read("bad.dct"), "not a dictionary");
}

TEST(StandardDictionaries, TheDataFoldersMainDictionaryElseTheOneBesideTheProgram) {
  TempDir data, program;
  using quillon::spell::mainDictionaryPath;
  EXPECT_EQ(mainDictionaryPath(data.path(), program.path()), data.file("qln.dct"));  // neither: the own name
  writeMainDictionary(program, {"fax"});
  EXPECT_EQ(mainDictionaryPath(data.path(), program.path()), program.file("qln.dct"));
  writeMainDictionary(data, {"modem"});
  EXPECT_EQ(mainDictionaryPath(data.path(), program.path()), data.file("qln.dct"));
}
