// Write -> read -> write gives the same RTF, and the pages laid out from what was written
// are the same pixels as those of the document it was written from.
#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "richtext/sample_documents.h"

namespace quillon::richtext {
namespace {

// Where each page starts, and a hash of every `step`-th page painted at half size.
std::vector<QByteArray> pageHashes(QTextDocument& document, int step) {
  std::vector<QByteArray> hashes;
  PagePaintOptions options;
  options.scale = 0.5;
  options.wholePage = true;
  const QSize size(static_cast<int>(document.pageSize().width() / 2), static_cast<int>(document.pageSize().height() / 2));
  for (int page = 0; page < pageCount(document); ++page) {
    hashes.push_back(QByteArray::number(firstPositionOfPage(document, page)));
    if (page % step != 0 && page != pageCount(document) - 1) continue;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPageNumber(document, painter, QRectF(QPointF(), QSizeF(size)), page, options);
    painter.end();
    hashes.push_back(QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                              QCryptographicHash::Sha1));
  }
  return hashes;
}

std::string read(const std::string& rtf, QTextDocument& document) {
  document.setUseDesignMetrics(true);
  const RtfReadResult result = readRtf(rtf, document);
  applyPageLayout(document, result.hasPageLayout ? result.pageLayout : PageLayout{}, true);
  return result.message.toStdString();
}

TEST(RtfRoundTrip, WriteReadWriteGivesTheSameRtfAndTheSamePixels) {
  for (const auto& [name, source] : test::sampleDocuments()) {
    SCOPED_TRACE(name);
    QTextDocument original;
    EXPECT_EQ(read(source, original), "");
    const std::string first = writeRtf(original, PageLayout{});
    QTextDocument again;
    EXPECT_EQ(read(first, again), "");
    const std::string second = writeRtf(again, PageLayout{});
    EXPECT_EQ(first, second);
    EXPECT_EQ(original.toPlainText(), again.toPlainText());
    EXPECT_EQ(fieldsOf(original), fieldsOf(again));
    const int step = pageCount(original) > 20 ? 10 : 1;
    EXPECT_EQ(pageHashes(original, step), pageHashes(again, step));
  }
}

TEST(RtfRoundTrip, TwoHundredPagesOfTextLayOutAsTwoHundredPages) {
  QTextDocument document;
  read(test::longDocument(), document);
  EXPECT_GE(pageCount(document), 195);
  EXPECT_LE(pageCount(document), 215);
}

TEST(RtfRoundTrip, OutputIsPlainReadableRtf) {
  QTextDocument document;
  read(test::sampleDocuments()[1].second, document);
  const std::string rtf = writeRtf(document, PageLayout{});
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0", 0), 0u);
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0"), std::string::npos);
  EXPECT_NE(rtf.find("{\\colortbl;"), std::string::npos);
  EXPECT_NE(rtf.find("\\paperw12240\\paperh15840\\margl720\\margr720\\margt720\\margb720"), std::string::npos);
  EXPECT_NE(rtf.find("\\b bold\\b0"), std::string::npos);
  for (char c : rtf) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7f)) << int(c);  // 7-bit text only
}

TEST(RtfRoundTrip, PageLayoutIsWrittenAndReadBack) {
  QTextDocument document;
  PageLayout a4{11906, 16838, 1134, 1134, 1417, 1134};
  QTextDocument back;
  const RtfReadResult result = readRtf(writeRtf(document, a4), back);
  EXPECT_TRUE(result.hasPageLayout);
  EXPECT_EQ(result.pageLayout, a4);
}

}  // namespace
}  // namespace quillon::richtext
