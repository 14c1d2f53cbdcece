// Interop with LibreOffice Writer (headless soffice): the RTF we write opens there with the
// same text, fields' shown text and page breaks (checked as text and as PDF pages), and the
// RTF LibreOffice writes from it opens here with the same text, fields, fonts, sizes, bold,
// italic, underline, alignment and new-page flags, character by character.
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/sample_documents.h"
#include "support/temp_dir.h"

namespace quillon::richtext {
namespace {

bool haveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The documents both sides see, by file name.
const std::vector<std::pair<std::string, std::string>>& documents() {
  static const std::vector<std::pair<std::string, std::string>> docs = [] {
    std::vector<std::pair<std::string, std::string>> list;
    for (const auto& [name, rtf] : test::sampleDocuments())
      if (name == "characters" || name == "paragraphs" || name == "page breaks" || name == "cover letter" ||
          name == "latin-1 and beyond")
        list.emplace_back(std::regex_replace(name, std::regex("[^a-z0-9]"), "_"), rtf);
    return list;
  }();
  return docs;
}

// Converts every document with soffice once, to RTF, text and PDF.
struct Conversions {
  Conversions() {
    std::string files;
    for (const auto& [name, source] : documents()) {
      QTextDocument document;
      readRtf(source, document);
      dir_->write(name + ".rtf", writeRtf(document, PageLayout{}));
      files += " '" + dir_->file(name + ".rtf") + "'";
    }
    const std::string soffice = "timeout 180 soffice -env:UserInstallation=file://" + dir_->file("profile") +
                                " --headless --norestore --convert-to ";
    for (const char* target : {"rtf", "txt:Text", "pdf"}) {
      const std::string folder = dir_->file(std::string("lo_") + std::string(target).substr(0, 3));
      std::system((soffice + target + " --outdir '" + folder + "'" + files + " >/dev/null 2>&1").c_str());
    }
  }
  std::string converted(const std::string& name, const char* folder, const char* extension) const {
    return slurp(dir_->file(std::string("lo_") + folder) + "/" + name + "." + extension);
  }
  std::unique_ptr<test::TempDir> dir_ = std::make_unique<test::TempDir>();
};

std::vector<QString> ourLines(const QTextDocument& document) {
  std::vector<QString> lines;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    QString text;
    for (auto it = block.begin(); !it.atEnd(); ++it)
      text += isField(it.fragment().charFormat()) ? fieldText(it.fragment().charFormat()) : it.fragment().text();
    for (const QString& part : text.split(QChar::LineSeparator)) lines.push_back(part);
  }
  return lines;
}

void ourRtfOpensThereWithTheSameTextAndFieldTexts(const Conversions& lo) {
  for (const auto& [name, source] : documents()) {
    SCOPED_TRACE(name);
    QTextDocument ours;
    readRtf(slurp(lo.dir_->file(name + ".rtf")), ours);
    QString text = QString::fromUtf8(lo.converted(name, "txt", "txt"));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace("\r\n", "\n");
    std::vector<QString> theirs;
    for (const QString& line : text.split(u'\n')) theirs.push_back(line);
    if (!theirs.empty() && theirs.back().isEmpty()) theirs.pop_back();
    std::vector<QString> mine = ourLines(ours);
    for (QString& line : mine) line.replace(QChar(0x00A0), u' ');
    for (QString& line : theirs) line.replace(QChar(0x00A0), u' ');
    EXPECT_EQ(theirs, mine);
  }
}

void ourPageBreaksGiveTheSamePagesThere(const Conversions& lo) {
  for (const auto& [name, source] : documents()) {
    SCOPED_TRACE(name);
    QTextDocument ours;
    ours.setUseDesignMetrics(true);
    readRtf(slurp(lo.dir_->file(name + ".rtf")), ours);
    applyPageLayout(ours, PageLayout{}, true);
    const std::string pdf = lo.converted(name, "pdf", "pdf");
    ASSERT_FALSE(pdf.empty());
    const std::regex page("/Type\\s*/Page[^s]");
    const auto pages = std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator());
    EXPECT_EQ(pages, pageCount(ours));
  }
}

void theirRtfOpensHereWithTheSameFormattingCharacterByCharacter(const Conversions& lo) {
  for (const auto& [name, source] : documents()) {
    SCOPED_TRACE(name);
    QTextDocument ours, theirs;
    readRtf(slurp(lo.dir_->file(name + ".rtf")), ours);
    const RtfReadResult result = readRtf(lo.converted(name, "rtf", "rtf"), theirs);
    ASSERT_TRUE(result.ok()) << result.message.toStdString();
    ASSERT_EQ(theirs.toRawText(), ours.toRawText());
    EXPECT_EQ(fieldsOf(theirs), fieldsOf(ours));
    EXPECT_EQ(result.pageLayout, PageLayout{});
    for (QTextBlock a = ours.begin(), b = theirs.begin(); a.isValid() && b.isValid(); a = a.next(), b = b.next()) {
      SCOPED_TRACE(a.text().toStdString());
      EXPECT_EQ(a.blockFormat().alignment() & Qt::AlignHorizontal_Mask, b.blockFormat().alignment() & Qt::AlignHorizontal_Mask);
      EXPECT_EQ(a.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore,
                b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
      EXPECT_NEAR(a.blockFormat().leftMargin(), b.blockFormat().leftMargin(), 0.5);
      EXPECT_NEAR(a.blockFormat().textIndent(), b.blockFormat().textIndent(), 0.5);
    }
    QTextCursor x(&ours), y(&theirs);
    for (int at = 1; at < ours.characterCount(); ++at) {
      x.setPosition(at);
      y.setPosition(at);
      if (ours.characterAt(at - 1) == QChar::ParagraphSeparator) continue;
      const QTextCharFormat f = x.charFormat(), g = y.charFormat();
      const auto where = "at " + std::to_string(at) + " '" + QString(ours.characterAt(at - 1)).toStdString() + "'";
      EXPECT_EQ(f.fontWeight() >= QFont::DemiBold, g.fontWeight() >= QFont::DemiBold) << where;
      EXPECT_EQ(f.fontItalic(), g.fontItalic()) << where;
      EXPECT_EQ(f.fontUnderline(), g.fontUnderline()) << where;
      EXPECT_EQ(f.fontPointSize(), g.fontPointSize()) << where;
      EXPECT_EQ(f.fontFamilies(), g.fontFamilies()) << where;
    }
  }
}

// One test, so that soffice runs three times and not three times per case.
TEST(LibreOffice, InteropBothWays) {
  if (!haveSoffice()) GTEST_SKIP() << "soffice (LibreOffice Writer) is not installed: interop not checked";
  const Conversions lo;
  {
    SCOPED_TRACE("our RTF there: text and fields' shown text");
    ourRtfOpensThereWithTheSameTextAndFieldTexts(lo);
  }
  {
    SCOPED_TRACE("our RTF there: pages");
    ourPageBreaksGiveTheSamePagesThere(lo);
  }
  {
    SCOPED_TRACE("their RTF here: formatting");
    theirRtfOpensHereWithTheSameFormattingCharacterByCharacter(lo);
  }
}

}  // namespace
}  // namespace quillon::richtext
