// What the reader makes of each construct, and of bad input.
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <random>

#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/rtf_reader.h"
#include "richtext/sample_documents.h"

namespace quillon::richtext {
namespace {

struct Read {
  QTextDocument document;
  RtfReadResult result;
  explicit Read(const std::string& rtf) { result = readRtf(rtf, document); }
  QTextBlock block(int n) const { return document.findBlockByNumber(n); }
  // The format of the first character of `text`.
  QTextCharFormat formatOf(const QString& text) const {
    const int at = document.toPlainText().indexOf(text);
    EXPECT_GE(at, 0) << text.toStdString();
    const QTextBlock b = document.findBlock(at);
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().contains(at)) return it.fragment().charFormat();
    return {};
  }
};

TEST(RtfReader, CharacterFormatting) {
  Read r(test::sampleDocuments()[1].second);
  ASSERT_TRUE(r.result.ok()) << r.result.message.toStdString();
  EXPECT_EQ(r.formatOf("plain").fontWeight(), QFont::Normal);
  EXPECT_EQ(r.formatOf("bold").fontWeight(), QFont::Bold);
  EXPECT_TRUE(r.formatOf("italic").fontItalic());
  EXPECT_FALSE(r.formatOf("italic").fontUnderline());
  EXPECT_TRUE(r.formatOf("underlined").fontUnderline());
  EXPECT_TRUE(r.formatOf("struck").fontStrikeOut());
  EXPECT_EQ(r.formatOf("red").foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(r.formatOf("green").foreground().color(), QColor(0, 128, 0));
  EXPECT_EQ(r.formatOf("plain").fontFamilies().toStringList(), QStringList{"DejaVu Sans"});
  EXPECT_EQ(r.formatOf("big serif").fontFamilies().toStringList(), QStringList{"DejaVu Serif"});
  EXPECT_EQ(r.formatOf("big serif").fontPointSize(), 20.0);
  EXPECT_EQ(r.formatOf("plain").fontPointSize(), 12.0);
}

TEST(RtfReader, ParagraphFormatting) {
  Read r(test::sampleDocuments()[2].second);
  ASSERT_TRUE(r.result.ok());
  EXPECT_EQ(r.block(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_EQ(r.block(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(r.block(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
  const QTextBlockFormat indented = r.block(3).blockFormat();
  EXPECT_EQ(pixelsToTwips(indented.leftMargin()), 1440);
  EXPECT_EQ(pixelsToTwips(indented.rightMargin()), 720);
  EXPECT_EQ(pixelsToTwips(indented.textIndent()), -360);
  EXPECT_EQ(pixelsToTwips(r.block(4).blockFormat().topMargin()), 480);
  EXPECT_EQ(pixelsToTwips(r.block(4).blockFormat().bottomMargin()), 240);
  EXPECT_EQ(r.block(5).blockFormat().lineHeightType(), QTextBlockFormat::ProportionalHeight);
  EXPECT_DOUBLE_EQ(r.block(5).blockFormat().lineHeight(), 200.0);
  EXPECT_TRUE(r.block(5).text().contains(QChar::LineSeparator));  // \line breaks the line only
  EXPECT_EQ(r.block(6).blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
  EXPECT_EQ(pixelsToTwips(r.block(6).blockFormat().lineHeight()), 600);
  EXPECT_EQ(r.block(7).blockFormat().lineHeightType(), QTextBlockFormat::MinimumHeight);
  EXPECT_EQ(r.document.blockCount(), 8);
}

TEST(RtfReader, TabStops) {
  Read r(test::sampleDocuments()[3].second);
  const QList<QTextOption::Tab> tabs = r.block(0).blockFormat().tabPositions();
  ASSERT_EQ(tabs.size(), 4);
  EXPECT_EQ(tabs[0].type, QTextOption::LeftTab);
  EXPECT_EQ(tabs[1].type, QTextOption::CenterTab);
  EXPECT_EQ(tabs[2].type, QTextOption::RightTab);
  EXPECT_EQ(tabs[3].type, QTextOption::DelimiterTab);
  EXPECT_EQ(pixelsToTwips(tabs[2].position), 9000);
  EXPECT_EQ(r.block(0).text(), "a\tb\tc\t3.14");
}

TEST(RtfReader, OurFieldsBecomeFieldsAndOtherProgramsFieldsShowTheirResult) {
  Read r(test::sampleDocuments()[4].second);
  const auto fields = fieldsOf(r.document);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].second, 1);
  EXPECT_EQ(fields[1].second, 4);
  QTextCursor c(&r.document);
  c.setPosition(fields[0].first + 1);
  EXPECT_EQ(fieldText(c.charFormat()), "[RECIPIENT]");
  c.setPosition(fields[1].first + 1);
  EXPECT_EQ(fieldText(c.charFormat()), "[DATE]");
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);  // the format around the field
  EXPECT_FALSE(c.charFormat().foreground().style() != Qt::NoBrush && c.charFormat().foreground().color() == Qt::red)
      << "the field's red is how it is shown, not its text colour";
  EXPECT_TRUE(r.block(1).text().endsWith(" and 7"));  // a PAGE field of another program: its result
}

TEST(RtfReader, PageBreaksBecomeTheNewPageFlag) {
  Read r(test::sampleDocuments()[5].second);
  QStringList texts;
  std::vector<bool> flags;
  for (QTextBlock b = r.document.begin(); b.isValid(); b = b.next()) {
    texts << b.text();
    flags.push_back(b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
  }
  EXPECT_EQ(texts, (QStringList{"one", "two", "three", "four", "", ""}));
  EXPECT_EQ(flags, (std::vector<bool>{false, true, false, true, false, true}));
}

TEST(RtfReader, CodePageAndUnicode) {
  Read r(test::sampleDocuments()[6].second);
  const QString text = r.document.toRawText();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("café naïve € “quoted” € \uF0B7 α ")));
  EXPECT_TRUE(text.contains(QString::fromUtf8("😀")));
  EXPECT_TRUE(text.contains(QString::fromUtf8("{braces} back\\slash\u00A0nbsp"))) << text.toStdString();
  EXPECT_FALSE(text.contains(u'?'));  // every fall-back was skipped
  EXPECT_FALSE(text.contains(u"ab"));  // \uc2 skips two fall-back characters
  EXPECT_TRUE(text.contains(u"\u03b1 ")) << text.toStdString();
}

TEST(RtfReader, UnknownDestinationsAndWordsAreSkipped) {
  Read r("{\\rtf1{\\*\\generator Someone;}{\\info{\\title Secret}}{\\stylesheet{\\s1 Heading;}}"
         "{\\*\\unknowndest hidden {\\b nested}}\\frobnicate12 \\pard visible{\\pict\\bin4 {{{{} more\\par}");
  EXPECT_TRUE(r.result.ok());
  EXPECT_EQ(r.document.toPlainText(), "visible more");
}

TEST(RtfReader, PlainTextIsReadAsTextWithAMessage) {
  Read r("Dear Sir\r\nthis is not RTF \x93quoted\x94");
  EXPECT_FALSE(r.result.isRtf);
  EXPECT_FALSE(r.result.message.isEmpty());
  EXPECT_EQ(r.document.toPlainText(), QString::fromUtf8("Dear Sir\nthis is not RTF “quoted”"));
}

// ---- bad input: a (partial) document or a message, never a crash or a hang

TEST(RtfReaderBadInput, TruncatedDocumentsKeepWhatWasRead) {
  const std::string whole = test::sampleDocuments()[7].second;
  for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
    Read r(whole.substr(0, cut));
    if (cut > 200) {
      EXPECT_FALSE(r.result.complete);
    }
  }
  Read half(whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(half.result.complete);
  EXPECT_FALSE(half.result.message.isEmpty());
  EXPECT_TRUE(half.document.toPlainText().contains("Harbour View"));
}

TEST(RtfReaderBadInput, UnbalancedBraces) {
  Read extra("{\\rtf1 one}}}} two");
  EXPECT_EQ(extra.document.toPlainText(), "one");
  Read missing("{\\rtf1 {\\b one {\\i two");
  EXPECT_EQ(missing.document.toPlainText(), "one two");
  EXPECT_FALSE(missing.result.complete);
}

TEST(RtfReaderBadInput, TenThousandDeepGroups) {
  const std::string deep = "{\\rtf1 " + std::string(10000, '{') + "\\b deep" + std::string(10000, '}') + " after}";
  Read r(deep);
  EXPECT_TRUE(r.result.ok());
  EXPECT_EQ(r.document.toPlainText(), "deep after");
  EXPECT_EQ(r.formatOf("after").fontWeight(), QFont::Normal);  // the groups' state was undone
  Read open("{\\rtf1 " + std::string(100000, '{') + "x");
  EXPECT_EQ(open.document.toPlainText(), "x");
}

TEST(RtfReaderBadInput, HugeBinaryLengthsAndParameters) {
  Read bin("{\\rtf1 a{\\pict\\bin2147483647 xyz}}");
  EXPECT_EQ(bin.document.toPlainText(), "a");
  Read neg("{\\rtf1 a\\bin-5 b}");
  EXPECT_EQ(neg.document.toPlainText(), "ab");
  Read big("{\\rtf1\\fs99999999999999999999\\li-99999999999999 \\u99999999999 \\uc999999999 \\f99999999999 b}");
  EXPECT_TRUE(big.result.ok());
  Read words("{\\rtf1 " + std::string(5000, 'x').insert(0, "\\") + " tail}");
  EXPECT_EQ(words.document.toPlainText(), "tail");
}

TEST(RtfReaderBadInput, RandomBytesAfterTheHeader) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string rtf = "{\\rtf1 ";
    const int length = static_cast<int>(random() % 2000);
    const char alphabet[] = "{}\\'0123456789abcdefbinuparfieldfldrsltfldinst*- ;\x80\xff\r\n";
    for (int i = 0; i < length; ++i)
      rtf += (random() % 4) ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random());
    Read r(rtf);
    (void)r.document.toPlainText();
  }
}

}  // namespace
}  // namespace quillon::richtext
