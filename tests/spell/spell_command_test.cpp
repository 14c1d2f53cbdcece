// quillon spell: check, suggest, add and dump with the qln.dct the build makes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/cp1252.h"
#include "spell/dictionary_builder.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

using quillon::test::TempDir;

namespace {

const auto run = quillon::test::runQuillon;

struct SpellCommand : ::testing::Test {
  TempDir dir;
  void SetUp() override {
    if (!std::filesystem::exists(QUILLON_MAIN_DICTIONARY)) GTEST_SKIP() << "no qln.dct was built (wamerican missing)";
    std::filesystem::copy_file(QUILLON_MAIN_DICTIONARY, dir.file("qln.dct"));
  }
  quillon::test::CommandRun spell(std::vector<std::string> words) {
    words.insert(words.begin(), {"--data-dir", dir.path(), "spell"});
    return run(words);
  }
};

}  // namespace

TEST_F(SpellCommand, TheBuiltDictionaryDumpsBackToTheWordList) {
  std::ifstream in(QUILLON_WORD_LIST);
  std::vector<std::string> list;
  for (std::string line; std::getline(in, line);) list.push_back(quillon::platform::utf8ToCp1252(line));
  auto expected = quillon::spell::prepareWords(list, 30);
  auto dump = spell({"dump", dir.file("qln.dct")});
  ASSERT_EQ(dump.status, 0) << dump.err;
  std::vector<std::string> dumped;
  std::istringstream lines(dump.out);
  for (std::string line; std::getline(lines, line);) dumped.push_back(quillon::platform::utf8ToCp1252(line));
  EXPECT_GT(dumped.size(), 50000u);
  std::sort(expected.begin(), expected.end());
  std::sort(dumped.begin(), dumped.end());
  EXPECT_EQ(dumped, expected);
  EXPECT_NE(dump.out.find("ATAT\xc3\x9cRK\n"), std::string::npos);  // Latin-1 letters come out as UTF-8
}

TEST_F(SpellCommand, CheckListsUnknownWordsWithSuggestions) {
  dir.write("letter.txt", "Dear Sir,\nplease recieve the fax's pages.\nThe modem's line is busy.\n");
  auto r = spell({"check", dir.file("letter.txt")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("2: recieve -> receive"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 unknown of 12 words"), std::string::npos) << r.out;
  dir.write("fine.txt", "The fax was sent.");
  EXPECT_EQ(spell({"check", dir.file("fine.txt")}).status, 0);
  dir.write("memo.rtf", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Teh \\b faxx\\b0\\par}");
  auto rtf = spell({"check", dir.file("memo.rtf")});
  EXPECT_NE(rtf.out.find("1: Teh -> "), std::string::npos) << rtf.out;
  EXPECT_NE(rtf.out.find("1: faxx -> fa xx, fax,"), std::string::npos) << rtf.out;  // the split scores 88, FAX 85
  EXPECT_EQ(rtf.out.find("Arial"), std::string::npos);
  EXPECT_EQ(spell({"check", dir.file("none.txt")}).status, 1);
}

TEST_F(SpellCommand, SuggestAndAdd) {
  auto s = spell({"suggest", "definately"});
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out.substr(0, s.out.find('\n')), "definitely");
  EXPECT_FALSE(std::filesystem::exists(dir.file("qlnu.dct")) && spell({"suggest", "Quillon"}).out.find("is known") != std::string::npos);
  auto added = spell({"add", "Quillon"});
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("qlnu.dct")));
  EXPECT_NE(spell({"suggest", "quillon"}).out.find("(quillon is known)"), std::string::npos);
  dir.write("q.txt", "Quillon sends faxes");
  EXPECT_EQ(spell({"check", dir.file("q.txt")}).status, 0);
  EXPECT_EQ(spell({"add", "R2D2"}).status, 2);
  EXPECT_EQ(spell({"add", std::string(26, 'a')}).status, 2);
  auto dump = spell({"dump", dir.file("qlnu.dct")});
  EXPECT_EQ(dump.out, "A\nQUILLON\n");
}

TEST_F(SpellCommand, BadArgumentsAndBadFiles) {
  EXPECT_EQ(spell({}).status, 2);
  EXPECT_EQ(spell({"frob", "x"}).status, 2);
  EXPECT_EQ(spell({"check"}).status, 2);
  dir.write("bad.dct", "junk\x1a");
  auto bad = spell({"dump", dir.file("bad.dct")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("cut off"), std::string::npos) << bad.err;
  // A damaged main dictionary: the user dictionary alone answers, with a notice.
  dir.write("qln.dct", "junk");
  auto alone = spell({"suggest", "fax"});
  EXPECT_EQ(alone.status, 0);
  EXPECT_NE(alone.err.find("no main dictionary"), std::string::npos);
}
