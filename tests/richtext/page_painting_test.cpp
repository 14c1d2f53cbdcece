// Fax pages and page pictures: the monochrome 1664 x 2156 page painted at about 200 dpi into
// its text rectangle, page after page, and `quillon rtf FILE --pages DIR` writing one PNG a page.
#include <QImage>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <sstream>

#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_pages_command.h"
#include "richtext/rtf_reader.h"
#include "richtext/sample_documents.h"
#include "support/temp_dir.h"

namespace quillon::richtext {
namespace {

const QSize kFaxPage(1664, 2156);
const QRectF kTextRect(49, 49, 1664 - 98, 2156 - 98);

struct Ink {
  int inside = 0, outside = 0;
  QRect bounds;
};
Ink inkOf(const QImage& page) {
  Ink ink;
  const QImage mono = page.convertToFormat(QImage::Format_Grayscale8);
  for (int y = 0; y < mono.height(); ++y) {
    const uchar* row = mono.constScanLine(y);
    for (int x = 0; x < mono.width(); ++x) {
      if (row[x] >= 128) continue;
      (kTextRect.contains(x, y) ? ink.inside : ink.outside)++;
      ink.bounds |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

TEST(FaxPages, MonochromePagesAtTwoHundredDpiInsideTheTextRectangle) {
  QTextDocument document;
  document.setUseDesignMetrics(true);
  readRtf(test::rtfHead() + "\\pard\\plain\\f0\\fs24 " + std::string(60, 'W') +
              " first page\\par\\pard\\pagebb\\plain\\f0\\fs24 second page\\par}",
          document);
  applyPageLayout(document, PageLayout{}, true);
  const double scale = static_cast<int>(200.0 / layoutDpi() * 100.0) / 100.0;  // zoom 208 at 96 dpi

  int next = -1;
  const QImage first = paintMonochromePage(document, 0, scale, kFaxPage, kTextRect, &next);
  EXPECT_EQ(first.format(), QImage::Format_Mono);
  EXPECT_EQ(first.size(), kFaxPage);
  const Ink ink = inkOf(first);
  EXPECT_GT(ink.inside, 1000);
  EXPECT_EQ(ink.outside, 0);  // the long line wraps at the margin instead of running off
  // The text starts at the rectangle's corner, drawn at 200 dpi: a line of 12-point text is
  // about 200 / 72 * 12 * 1.2 = 40 rows high, and the wrapped W's span most of the width.
  EXPECT_LT(ink.bounds.top(), 49 + 20);
  EXPECT_LT(ink.bounds.left(), 49 + 10);
  EXPECT_GT(ink.bounds.width(), 1300);
  EXPECT_GT(next, 0);

  int after = -1;
  const QImage second = paintMonochromePage(document, next, scale, kFaxPage, kTextRect, &after);
  EXPECT_EQ(after, 0);  // the last page
  EXPECT_GT(inkOf(second).inside, 100);
  EXPECT_NE(first, second);

  QTextDocument empty;
  applyPageLayout(empty, PageLayout{}, true);
  const QImage blank = paintMonochromePage(empty, 0, scale, kFaxPage, kTextRect, &after);
  EXPECT_EQ(after, 0);  // an empty text is one blank page
  EXPECT_EQ(inkOf(blank).inside, 0);
}

struct PagesCommand : ::testing::Test {
  test::TempDir dir;
  std::ostringstream out, err;
  int run(std::vector<std::string> args) { return runRtfPagesCommand(args, out, err); }
};

TEST_F(PagesCommand, WritesOnePngAPageScaledByTheZoom) {
  dir.write("two.rtf", test::rtfHead() + "one\\par\\pard\\pagebb two\\par}");
  ASSERT_EQ(run({dir.file("two.rtf"), "--pages", dir.file("out")}), 0) << err.str();
  EXPECT_EQ(out.str(), "2 pages written to " + dir.file("out") + "\n");
  const QImage page(QString::fromStdString(dir.file("out/page-001.png")));
  ASSERT_FALSE(page.isNull());
  EXPECT_EQ(page.width(), static_cast<int>(twipsToPixels(12240) + 0.5));  // the whole US Letter sheet
  EXPECT_EQ(page.height(), static_cast<int>(twipsToPixels(15840) + 0.5));
  EXPECT_FALSE(QImage(QString::fromStdString(dir.file("out/page-002.png"))).isNull());
  EXPECT_FALSE(std::filesystem::exists(dir.file("out/page-003.png")));

  ASSERT_EQ(run({dir.file("two.rtf"), "--pages", dir.file("half"), "--zoom", "50"}), 0);
  EXPECT_EQ(QImage(QString::fromStdString(dir.file("half/page-001.png"))).width(), (page.width() + 1) / 2);
}

TEST_F(PagesCommand, BadArgumentsAndFiles) {
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({dir.file("x.rtf")}), 2);  // no --pages
  EXPECT_EQ(run({dir.file("x.rtf"), "--pages", dir.path(), "--zoom", "5"}), 2);
  EXPECT_EQ(run({dir.file("x.rtf"), "--pages", dir.path(), "--zoom", "abc"}), 2);
  EXPECT_EQ(run({dir.file("missing.rtf"), "--pages", dir.file("out")}), 1);
  EXPECT_NE(err.str().find("cannot read"), std::string::npos);
  dir.write("plain.txt", "just text");
  err.str("");
  EXPECT_EQ(run({dir.file("plain.txt"), "--pages", dir.file("plain")}), 1);  // shown, but said so
  EXPECT_FALSE(err.str().empty());
  EXPECT_TRUE(std::filesystem::exists(dir.file("plain/page-001.png")));
}

}  // namespace
}  // namespace quillon::richtext
