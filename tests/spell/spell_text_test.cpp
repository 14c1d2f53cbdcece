// Character codes, casing, spelling keys, similarity scores and the ranked suggestion list.
#include <gtest/gtest.h>

#include "spell/similarity.h"
#include "spell/spell_chars.h"
#include "spell/spelling_key.h"
#include "spell/text_words.h"

using namespace quillon::spell;

TEST(SpellChars, CodesCoverTheAlphabetInBothCases) {
  EXPECT_EQ(charCode('A'), 0);
  EXPECT_EQ(charCode('z'), 25);
  EXPECT_EQ(charCode('\''), 26);
  EXPECT_EQ(charCode('-'), 27);
  EXPECT_EQ(charCode(0x9A), 28);  // lower-case S with caron takes its capital's code
  EXPECT_EQ(charCode(0xFF), 30);
  EXPECT_EQ(charCode(0xE0), 31);
  EXPECT_EQ(charCode(0xF1), 48);
  EXPECT_EQ(charCode(0xF8), 54);
  EXPECT_EQ(charCode(0xFE), 60);
  EXPECT_EQ(charCode(0xF0), 62);
  EXPECT_EQ(charCode('`'), 63);
  EXPECT_EQ(charCode('7'), 0);  // outside the alphabet
  EXPECT_FALSE(inAlphabet('7'));
  EXPECT_FALSE(inAlphabet(0xD7));
  for (unsigned code = 0; code < 64; ++code)  // every code stands for one capital that maps back
    EXPECT_EQ(charCode(static_cast<unsigned char>(codeChar(static_cast<std::uint8_t>(code)))), code) << code;
}

TEST(SpellChars, UpperCasingFollowsTheLatin1Pairs) {
  EXPECT_EQ(upperCase(std::string("fa\x9a\x9c\xe7\xf1\xf8\xfd\xfe\xff\xe9")), "FA\x8a\x8c\xc7\xd1\xd8\xdd\xde\x9f\xc9");
  EXPECT_EQ(upperCase(static_cast<unsigned char>(0xF0)), 0xF0);
  EXPECT_EQ(upperCase(static_cast<unsigned char>(0xF7)), 0xF7);
  EXPECT_EQ(upperCase(static_cast<unsigned char>(0xDF)), 0xDF);
  EXPECT_EQ(lowerCase(static_cast<unsigned char>(0xC9)), 0xE9);
  EXPECT_TRUE(isUpperLetter(0xC9));
  EXPECT_TRUE(isLowerLetter(0xDF));
  EXPECT_FALSE(isLetter('\''));
}

TEST(SpellingKey, DropsVowelsClassifiesConsonantsAndKeepsEachClassOnce) {
  EXPECT_EQ(wordKey("ROBERT"), (SpellingKey{'R', 1, 6, 3}));
  EXPECT_EQ(wordKey("ASHCRAFT"), (SpellingKey{'A', 2, 6, 1}));  // S and C share class 2
  EXPECT_EQ(wordKey("AB"), (SpellingKey{'A', 1, 0, 0}));        // short keys padded with zero bytes
  EXPECT_EQ(wordKey("E"), (SpellingKey{'E', 0, 0, 0}));
  EXPECT_EQ(wordKey("R2D2"), (SpellingKey{'R', 4, 3, 0}));      // digits take the classes of the letters they look like
  EXPECT_EQ(wordKey("X0"), (SpellingKey{'X', 'O', 0, 0}));
  EXPECT_EQ(wordKey("DON'T"), (SpellingKey{'D', 5, 7, 3}));
  EXPECT_EQ(wordKey(""), (SpellingKey{0, 0, 0, 0}));
}

TEST(SpellingKey, PrefixKeysArePaddedWithTheReference) {
  SpellingKey target = wordKey("RECEIVE");  // R 2 1
  EXPECT_EQ(prefixKey("RE", target), target);
  EXPECT_EQ(prefixKey("REC", target), target);
  EXPECT_EQ(prefixKey("RECEIV", target), target);
  EXPECT_NE(prefixKey("RECT", target), target);
  EXPECT_NE(prefixKey("T", target), target);
}

TEST(SpellingKey, AlternativeFirstLetters) {
  EXPECT_EQ(alternativeFirstLetters('A'), "EDA\xc0\xc1\xc2\xc3\xc4\xc5\xc6");
  EXPECT_EQ(alternativeFirstLetters('K'), "CLJK");
  EXPECT_EQ(alternativeFirstLetters(0xD1), "MBN\xd1");
  EXPECT_EQ(alternativeFirstLetters('O'), "PIO\xd2\xd3\xd4\xd5\xd6\xcc\xcd\xce\xcf");
  EXPECT_EQ(alternativeFirstLetters('7'), "7");
}

TEST(Similarity, IdenticalScores100AndNothingInCommonScores0) {
  EXPECT_EQ(similarity("RECEIVE", "RECEIVE"), 100);
  EXPECT_EQ(similarity("ABC", "XYZ"), 0);
  EXPECT_EQ(similarity("", ""), 0);
  EXPECT_EQ(similarity("DON'T", "DONT"), 100);  // the candidate's apostrophes are not counted
  // REC (6), then right of it VE (4), then left of VE: I against EI (2): 12 of 14.
  EXPECT_EQ(similarity("RECIEVE", "RECEIVE"), 85);
  EXPECT_EQ(similarity("TH", "TEH"), 80);  // T + H = 4 of 5
  EXPECT_EQ(similarity("THE", "TEH"), 66);
}

TEST(SuggestionList, KeepsTheTenBestWithEarlierCandidatesWinningTies) {
  SuggestionList list(10);
  for (int i = 0; i < 15; ++i) list.insert("TIE" + std::to_string(i), 50);
  list.insert("BEST", 90);
  list.insert("WORST", 10);  // beyond the last place of a full list
  list.insert("TIE3", 99);   // already listed
  ASSERT_EQ(list.entries().size(), 10u);
  EXPECT_EQ(list.entries()[0].text, "BEST");
  for (int i = 0; i < 9; ++i) EXPECT_EQ(list.entries()[static_cast<std::size_t>(i) + 1].text, "TIE" + std::to_string(i));
  SuggestionList none(0);
  none.insert("X", 100);
  EXPECT_TRUE(none.entries().empty());
}

TEST(TextWords, SplitsLettersAndInnerApostrophes) {
  auto words = splitWords("Don't fax\n'quoted' well-known caf\xe9 42x");
  std::vector<std::string> texts;
  for (auto& w : words) texts.push_back(w.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Don't", "fax", "quoted", "well", "known", "caf\xe9", "x"}));
  EXPECT_EQ(words[2].line, 2u);
  EXPECT_EQ(words[2].offset, 11u);
}

TEST(TextWords, RtfTextSkipsControlWordsAndTables) {
  std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}{\\*\\generator Wordy;}"
      "\\pard\\f0\\fs20 Helo wor\\'e9ld\\par {\\b bold} \\{x\\}\\tab end}";
  EXPECT_EQ(rtfPlainText(rtf), "Helo wor\xe9ld\nbold {x} end");
  EXPECT_EQ(rtfPlainText("{\\rtf1 unclosed {\\b group"), "unclosed group");
  EXPECT_EQ(rtfPlainText("\\"), "");
}
