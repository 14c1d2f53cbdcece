// Rendering a cover and a document into one fax file: page files, their order and joining,
// the emptiness test, the page bitmap and what the decoded fax shows.
#include <QTextCursor>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "compose/compose_world.h"
#include "compose/fax_rendering.h"
#include "compose/render_command.h"
#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rich_text_control.h"

using namespace quillon;
using compose::renderFaxFile;
using quillon::test::decodePage;
using quillon::test::faxPageCount;
using quillon::test::isBlack;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {
// A document of `pages` pages, each with one line of text and a page break before the next.
void fillPages(richtext::TWPRichText& editor, int pages, const QString& word) {
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 ";
  for (int p = 1; p <= pages; ++p) {
    if (p > 1) rtf += "\\page ";
    rtf += word.toStdString() + " page " + std::to_string(p) + "\\par ";
  }
  editor.loadRtf(rtf + "}");
}

int blackPixels(const faximage::MonoBitmap& b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += isBlack(b, x, y);
  return n;
}

int render(richtext::TWPRichText& cover, richtext::TWPRichText& doc, const TempDir& dir, std::string& file) {
  int pages = -1;
  file = renderFaxFile(cover, doc, dir.path(), pages);
  return pages;
}
}  // namespace

TEST(Rendering, CoverOfTwoAndDocumentOfThreeJoinInOrder) {
  TempDir dir;
  richtext::TWPRichText cover, doc;
  fillPages(cover, 2, "Cover");
  fillPages(doc, 3, "Document");
  std::vector<QString> statuses;
  compose::RenderHooks hooks;
  hooks.status = [&](const QString& s) { statuses.push_back(s); };
  int pages = 0;
  std::string file = renderFaxFile(cover, doc, dir.path(), pages, hooks);
  EXPECT_EQ(file, dir.file("QLN_1.APF"));
  EXPECT_EQ(pages, 5);
  EXPECT_EQ(faxPageCount(file), 5);
  for (int k = 2; k <= 5; ++k) EXPECT_FALSE(fs::exists(dir.file("QLNAX" + std::to_string(k) + ".APF"))) << k;
  EXPECT_FALSE(fs::exists(dir.file("_TMP.BMP")));
  EXPECT_EQ(statuses, (std::vector<QString>{"Creating fax file....", "Creating fax file........"}));

  // Each page is the one painted for it: the cover's two pages, then the document's three.
  std::vector<std::pair<richtext::TWPRichText*, int>> expected = {{&cover, 0}, {&cover, 1}, {&doc, 0}, {&doc, 1}, {&doc, 2}};
  for (unsigned page = 1; page <= 5; ++page) {
    faximage::MonoBitmap decoded = decodePage(file, page);
    ASSERT_EQ(decoded.width, 1728);
    ASSERT_EQ(decoded.height, compose::kPageBitmapHeight);
    auto [editor, index] = expected[page - 1];
    int start = richtext::firstPositionOfPage(*editor->document(), index);
    QImage painted = richtext::paintMonochromePage(*editor->document(), start, editor->zoom() / 100.0,
                                                   QSize(compose::kPageBitmapWidth, compose::kPageBitmapHeight),
                                                   QRectF(49, 49, 1566, 2058), nullptr);
    int differences = 0;
    for (int y = 0; y < decoded.height; ++y)
      for (int x = 0; x < compose::kPageBitmapWidth; ++x) {
        bool paintedBlack = qGray(painted.pixel(x, y)) < 128 || (x == 1663 && y == 2155);
        differences += paintedBlack != isBlack(decoded, x + 50, y);  // the converter's left margin
      }
    EXPECT_EQ(differences, 0) << "page " << page;
    EXPECT_TRUE(isBlack(decoded, 50 + 1663, 2155)) << "corner pixel of page " << page;
    EXPECT_GT(blackPixels(decoded, 50 + 49, 49, 50 + 1615, 200), 200) << "a text row near the top of page " << page;
  }
}

TEST(Rendering, TextStaysInsideTheBorderAndLongTextBreaksIntoPages) {
  TempDir dir;
  richtext::TWPRichText cover, doc;
  QString paragraph = QStringLiteral("The quick brown fox jumps over the lazy dog near the riverbank. ").repeated(12);
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 ";
  for (int i = 0; i < 40; ++i) rtf += paragraph.toStdString() + "\\par ";
  doc.loadRtf(rtf + "}");
  doc.setPageLayout(richtext::PageLayout{});
  const int laidOut = doc.pageCount();
  ASSERT_GE(laidOut, 3);
  std::string file;
  EXPECT_EQ(render(cover, doc, dir, file), laidOut);
  for (int page = 1; page <= laidOut; ++page) {
    faximage::MonoBitmap b = decodePage(file, page);
    // Nothing in the converter's margin, in the 49-pixel border or to the right of the bitmap
    // (the corner pixel aside); text on the page.
    EXPECT_EQ(blackPixels(b, 0, 0, 50 + 49, b.height), 0) << page;
    EXPECT_EQ(blackPixels(b, 50, 0, 50 + 1664, 49), 0) << page;
    EXPECT_EQ(blackPixels(b, 50 + 1615, 0, 1728, b.height), 1) << page;
    EXPECT_EQ(blackPixels(b, 50, 2107, 50 + 1663, b.height), 0) << page;
    EXPECT_GT(blackPixels(b, 99, 49, 1665, 2107), 20000) << page;
  }
}

TEST(Rendering, OnlyACoverGivesOnePageAndNothingJoined) {
  TempDir dir;
  richtext::TWPRichText cover, doc;
  fillPages(cover, 1, "Cover");
  std::string file;
  EXPECT_EQ(render(cover, doc, dir, file), 1);
  EXPECT_EQ(faxPageCount(file), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Rendering, EmptinessOfBlankTextDependsOn256Characters) {
  TempDir dir;
  richtext::TWPRichText cover, doc;
  std::string file;
  EXPECT_EQ(render(cover, doc, dir, file), 0);
  EXPECT_EQ(file, "");
  doc.loadRtf("{\\rtf1 \\par    \\par \\tab \\par      }");
  EXPECT_TRUE(doc.isEmpty());
  EXPECT_EQ(render(cover, doc, dir, file), 0);
  EXPECT_TRUE(fs::is_empty(dir.path()));
  doc.loadRtf("{\\rtf1 " + std::string(300, ' ') + "\\par}");
  EXPECT_FALSE(doc.isEmpty());
  EXPECT_EQ(render(cover, doc, dir, file), 1);
}

TEST(Rendering, ResultNameSkipsLeftOverFilesAndFallsBackToQln1) {
  TempDir dir;
  dir.write("QLN_1.APF", "left over");
  EXPECT_EQ(compose::resultFaxFileName(dir.path()), dir.file("QLN_2.APF"));
  richtext::TWPRichText cover, doc;
  fillPages(doc, 2, "Doc");
  std::string file;
  EXPECT_EQ(render(cover, doc, dir, file), 2);
  EXPECT_EQ(file, dir.file("QLN_2.APF"));
  EXPECT_EQ(dir.read("QLN_1.APF"), "left over");
  for (int n = 1; n <= 1000; ++n) dir.write("QLN_" + std::to_string(n) + ".APF", "x");
  EXPECT_EQ(compose::resultFaxFileName(dir.path()), dir.file("QLN1.APF"));
  EXPECT_EQ(compose::pageFileName(dir.path(), dir.file("QLN1.APF"), 1), dir.file("QLN1.APF"));
  EXPECT_EQ(compose::pageFileName(dir.path(), dir.file("QLN1.APF"), 12), dir.file("QLNAX12.APF"));
}

TEST(Rendering, ZoomFollowsThePixelsPerInch) {
  EXPECT_EQ(compose::renderingZoom(96), 208);
  EXPECT_EQ(compose::renderingZoom(120), 166);
  EXPECT_EQ(compose::renderingZoom(144), 138);
}

TEST(Rendering, AFailureLeavesNoPageFileBehind) {
  TempDir dir;
  fs::create_directory(dir.file("_TMP.BMP"));  // the bitmap cannot be written
  richtext::TWPRichText cover, doc;
  fillPages(cover, 2, "Cover");
  fillPages(doc, 1, "Doc");
  int pages = -1;
  EXPECT_ANY_THROW(renderFaxFile(cover, doc, dir.path(), pages));
  EXPECT_EQ(pages, 0);
  for (auto& entry : fs::directory_iterator(dir.path())) EXPECT_EQ(entry.path().filename(), "_TMP.BMP");
}

TEST(Rendering, RenderCommandTurnsRtfFilesAndStoredFaxesIntoFaxFiles) {
  TempDir dir;
  dir.write("cover.rtf", "{\\rtf1 Cover\\par}");
  dir.write("doc.rtf", "{\\rtf1 One\\par\\page Two\\par}");
  std::ostringstream out, err;
  EXPECT_EQ(compose::runRenderCommand({dir.file("out.apf"), "--cover", dir.file("cover.rtf"), "--document",
                                       dir.file("doc.rtf")},
                                      dir.path(), out, err),
            0)
      << err.str();
  EXPECT_EQ(out.str(), dir.file("out.apf") + ": 3 pages\n");
  EXPECT_EQ(faxPageCount(dir.file("out.apf")), 3);

  {
    store::FaxStore store(dir.path());
    ASSERT_TRUE(store.openFaxDBF());
    store::SentEntry empty, full;
    empty.subject = "empty";
    full.subject = "full";
    full.rtfDoc = "{\\rtf1 Hello\\par}";
    ASSERT_TRUE(store.appendSent(empty));
    ASSERT_TRUE(store.appendSent(full));
  }
  std::ostringstream out2, err2;
  EXPECT_EQ(compose::runRenderCommand({dir.file("two.apf"), "--record", "2"}, dir.path(), out2, err2), 0) << err2.str();
  EXPECT_EQ(faxPageCount(dir.file("two.apf")), 1);
  std::ostringstream out3, err3;
  EXPECT_EQ(compose::runRenderCommand({dir.file("one.apf"), "--record", "1"}, dir.path(), out3, err3), 1);
  EXPECT_EQ(err3.str(), "quillon render: Fax has no contents or cover sheet\n");
  EXPECT_FALSE(fs::exists(dir.file("one.apf")));
  std::ostringstream out4, err4;
  EXPECT_EQ(compose::runRenderCommand({dir.file("x.apf"), "--record", "9"}, dir.path(), out4, err4), 1);
  EXPECT_EQ(err4.str(), "quillon render: no such fax (record 9)\n");
  EXPECT_EQ(compose::runRenderCommand({}, dir.path(), out4, err4), 2);
}

TEST(Rendering, AnAbsurdPageLayoutInTheRtfDoesNotShapeTheFax) {
  TempDir dir;
  richtext::TWPRichText cover, doc;
  doc.setPageLayout(richtext::PageLayout{});
  doc.loadRtf("{\\rtf1\\paperw99999999\\paperh3\\margl-5000\\margr999999\\margt-1\\margb0 Still a fax page\\par}");
  EXPECT_EQ(doc.pageLayout(), richtext::PageLayout{});
  std::string file;
  EXPECT_EQ(render(cover, doc, dir, file), 1);
  faximage::MonoBitmap b = decodePage(file, 1);
  EXPECT_EQ(blackPixels(b, 0, 0, 50 + 49, b.height), 0);
  EXPECT_GT(blackPixels(b, 99, 49, 1665, 200), 100);
}
