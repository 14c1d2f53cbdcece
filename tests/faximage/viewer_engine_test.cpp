// The viewer engine on real fax files: scale, rotation, keys, marking, copy and bad files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "errors/error_codes.h"
#include "faximage/bitmap_rotate.h"
#include "faximage/fax_unpacker.h"
#include "faximage/fax_viewer_engine.h"
#include "faximage/sample_fax.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::pixelWhite;

struct ViewerFixture : ::testing::Test {
  quillon::test::TempDir dir;
  std::string fax = dir.file("FAX0001.APF");
  TViewer viewer;
  std::vector<unsigned> pageChanges;
  std::vector<int> errors;

  void make(int pages, int width = 1728, int height = 400, bool fine = true) {
    std::mt19937 rng(7);
    std::vector<MonoBitmap> bitmaps;
    for (int i = 0; i < pages; ++i) bitmaps.push_back(test::randomPage(rng, width, height + i));
    ASSERT_EQ(test::writeFaxPages(fax, bitmaps, fine), ecOK);
    viewer.onPageChange = [this](unsigned p) { pageChanges.push_back(p); };
    viewer.onViewerError = [this](int code) { errors.push_back(code); };
  }
  MonoBitmap unpacked(unsigned page) {
    TApdFaxUnpacker u;
    u.SetInFileName(fax);
    MonoBitmap b;
    EXPECT_EQ(u.DecodePageToBitmap(page, b), ecOK);
    return b;
  }
};

TEST_F(ViewerFixture, EqualFactorsOfADirectionAreKeptAsOneToOne) {
  make(1);
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  viewer.setScale(150, 100, 150, 150);
  EXPECT_EQ(viewer.hMult(), 150u);
  EXPECT_EQ(viewer.hDiv(), 100u);
  EXPECT_EQ(viewer.vMult(), 1u);
  EXPECT_EQ(viewer.vDiv(), 1u);
  EXPECT_EQ(viewer.displayWidth(), 1728 * 3 / 2);
  EXPECT_EQ(viewer.displayHeight(), 400);
  // Inside an update bracket nothing is initialised until its end.
  size_t before = pageChanges.size();
  viewer.beginUpdate();
  viewer.setScale(1, 2, 1, 2);
  EXPECT_EQ(pageChanges.size(), before);
  viewer.endUpdate();
  EXPECT_EQ(pageChanges.size(), before + 1);
  EXPECT_EQ(viewer.displayWidth(), 864);
}

TEST_F(ViewerFixture, OnePageFaxKeysScrollButNeverChangePage) {
  make(1);
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  viewer.setClientSize(600, 200);
  size_t changes = pageChanges.size();
  viewer.keyDown(ViewerKey::PageDown, false);
  EXPECT_EQ(viewer.currentPage(), 1u);
  EXPECT_EQ(pageChanges.size(), changes);
  viewer.keyDown(ViewerKey::Down, true);   // a jump: ten steps of 8
  viewer.keyDown(ViewerKey::Right, false);  // one step
  EXPECT_EQ(viewer.vPos(), 80);
  EXPECT_EQ(viewer.hPos(), 8);
  viewer.keyDown(ViewerKey::End, true);  // last page on the last page: to the top left
  EXPECT_EQ(viewer.vPos(), 0);
  EXPECT_EQ(viewer.hPos(), 0);
  viewer.keyDown(ViewerKey::PageDown, true);  // bottom
  EXPECT_EQ(viewer.vPos(), viewer.displayHeight() - 200);
  viewer.keyDown(ViewerKey::End, false);  // right end
  EXPECT_EQ(viewer.hPos(), 1728 - 600);
}

TEST_F(ViewerFixture, PagesMoveByKeysAndOnlyTheCurrentOneIsDecoded) {
  make(3);
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  EXPECT_EQ(viewer.pageCount(), 3u);
  viewer.keyDown(ViewerKey::PageDown, false);
  viewer.keyDown(ViewerKey::End, true);
  EXPECT_EQ(viewer.currentPage(), 3u);
  EXPECT_EQ(viewer.displayHeight(), 402);
  viewer.keyDown(ViewerKey::Home, true);
  EXPECT_EQ(viewer.currentPage(), 1u);
  EXPECT_EQ(pageChanges, (std::vector<unsigned>{1, 2, 3, 1}));
  EXPECT_EQ(viewer.goToPage(0), ecBadArgument);
  EXPECT_EQ(viewer.goToPage(4), ecBadArgument);
  MonoBitmap scratch;
  const MonoBitmap* other = viewer.pageBitmap(2, scratch);
  ASSERT_EQ(other, &scratch);  // not held: decoded for the caller
  EXPECT_EQ(other->bits, unpacked(2).bits);
  EXPECT_EQ(viewer.pageBitmap(9, scratch), nullptr);
  ASSERT_EQ(viewer.setLoadWholeFax(true), ecOK);
  EXPECT_NE(viewer.pageBitmap(2, scratch), &scratch);
}

TEST_F(ViewerFixture, RotationTurnsTheUnpackersBitmapPixelForPixel) {
  make(1, 1728, 123);
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  MonoBitmap src = unpacked(1);
  int w = src.width, h = src.height;
  ASSERT_EQ(viewer.setRotation(1), ecOK);
  const MonoBitmap* r = viewer.currentBitmap();
  ASSERT_EQ(r->width, h);
  ASSERT_EQ(r->height, w);
  for (int y = 0; y < h; y += 3)
    for (int x = 0; x < w; x += 5) ASSERT_EQ(pixelWhite(*r, h - 1 - y, x), pixelWhite(src, x, y)) << x << "," << y;
  // 90 -> 270 is two more quarter turns: the same as turning the original three times.
  ASSERT_EQ(viewer.setRotation(3), ecOK);
  MonoBitmap three;
  ASSERT_EQ(rotateBitmap(src, 3, three), ecOK);
  EXPECT_EQ(viewer.currentBitmap()->bits, three.bits);
  for (int y = 0; y < h; y += 3)
    for (int x = 0; x < w; x += 5) ASSERT_EQ(pixelWhite(three, y, w - 1 - x), pixelWhite(src, x, y));
  ASSERT_EQ(viewer.setRotation(0), ecOK);
  EXPECT_EQ(viewer.currentBitmap()->bits, src.bits);
  EXPECT_EQ(viewer.setRotation(4), ecBadArgument);
}

TEST(BitmapRotation, OddSizesSetThePaddingBitsAndHalfTurnsMirrorRows) {
  std::mt19937 rng(3);
  MonoBitmap src = test::randomPage(rng, 13, 5);
  for (int q : {1, 2, 3}) {
    MonoBitmap dst;
    ASSERT_EQ(rotateBitmap(src, q, dst), ecOK);
    int pad = int(dst.stride * 8) - dst.width;
    for (int y = 0; y < dst.height; ++y)
      for (int i = 0; i < pad; ++i) EXPECT_TRUE(dst.row(y)[dst.stride - 1] & (1 << i)) << q;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 13; ++x) {
        bool want = pixelWhite(src, x, y);
        if (q == 2) { EXPECT_EQ(pixelWhite(dst, 12 - x, 4 - y), want); }
        if (q == 1) { EXPECT_EQ(pixelWhite(dst, 4 - y, x), want); }
        if (q == 3) { EXPECT_EQ(pixelWhite(dst, y, 12 - x), want); }
      }
  }
}

TEST_F(ViewerFixture, MarkingNormalisesAndCopiesTheMarkedPixels) {
  make(1);
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  viewer.setClientSize(800, 300);
  MonoBitmap out;
  EXPECT_EQ(viewer.copyMark(out), ecNoImageBlockMarked);
  viewer.mouseDown(200, 150);
  viewer.mouseMove(20, 30);  // up and to the left of the start
  viewer.mouseUp();
  ASSERT_TRUE(viewer.marked());
  EXPECT_EQ(viewer.mark(), (ViewRect{20, 30, 200, 150}));
  ASSERT_EQ(viewer.copyMark(out), ecOK);
  MonoBitmap src = unpacked(1);
  ASSERT_EQ(out.width, 181);
  ASSERT_EQ(out.height, 121);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) ASSERT_EQ(pixelWhite(out, x, y), pixelWhite(src, 20 + x, 30 + y));
  // A click without a move leaves no mark.
  viewer.mouseDown(10, 10);
  viewer.mouseUp();
  EXPECT_FALSE(viewer.marked());
  // Dragging past the bottom edge scrolls and takes the bottom row of the window.
  viewer.mouseDown(100, 100);
  EXPECT_TRUE(viewer.mouseMove(100, 340));
  EXPECT_EQ(viewer.vPos(), 16);  // two steps: more than 20 pixels outside
  EXPECT_EQ(viewer.mark().bottom, 16 + 299);
  viewer.mouseUp();
  // Scaled: the copy has the displayed size.
  viewer.setScale(1, 2, 1, 2);
  ASSERT_EQ(viewer.selectAll(), ecOK);
  ASSERT_EQ(viewer.copyMark(out), ecOK);
  EXPECT_EQ(out.width, 864);
  EXPECT_EQ(out.height, 200);
  EXPECT_EQ(viewer.selectRect({5000, 5000, -3, 10}), ecOK);
  EXPECT_EQ(viewer.mark(), (ViewRect{0, 10, 863, 199}));
}

TEST_F(ViewerFixture, APageNarrowerThanTheWindowHasNoHorizontalRange) {
  make(1, 1728, 400, false);
  viewer.setAutoScale(4);  // half width for standard pages: 864 pixels
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  viewer.setClientSize(1000, 100);
  EXPECT_EQ(viewer.displayWidth(), 864);
  EXPECT_EQ(viewer.hMax(), 0);
  viewer.keyDown(ViewerKey::Right, true);
  EXPECT_EQ(viewer.hPos(), 0);
  EXPECT_EQ(viewer.vMax(), 300);
}

TEST_F(ViewerFixture, BadFilesGiveTheirCodesAndKeepTheViewerUsable) {
  make(2);
  EXPECT_EQ(viewer.setFile(dir.file("none.APF")), ecFileNotFound);
  dir.write("text.APF", "this is no fax file at all, just some words");
  EXPECT_EQ(viewer.setFile(dir.file("text.APF")), ecFaxBadFormat);
  EXPECT_EQ(viewer.currentPage(), 0u);
  MonoBitmap out;
  EXPECT_EQ(viewer.selectAll(), ecNoImageLoaded);
  EXPECT_EQ(viewer.copyMark(out), ecNoImageLoaded);
  // A truncated file: the page chain breaks somewhere; never a crash.
  std::string bytes;
  {
    std::ifstream in(fax, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  for (size_t cut : {size_t(64), size_t(70), bytes.size() / 2, bytes.size() - 20}) {
    dir.write("cut.APF", bytes.substr(0, cut));
    TViewer v;
    std::vector<int> errs;
    v.onViewerError = [&](int c) { errs.push_back(c); };
    int status = v.setFile(dir.file("cut.APF"));
    if (status == ecOK) v.goToPage(2);
    EXPECT_TRUE(status < 0 || !errs.empty() || v.pageCount() >= 1) << cut;
  }
  // A page header that claims a huge page: a clear error, not an endless allocation.
  std::string huge = bytes;
  for (int i = 0; i < 4; ++i) huge[64 + size_t(i)] = char(0xFF);  // the first page's data length
  dir.write("huge.APF", huge);
  int hugeStatus = viewer.setFile(dir.file("huge.APF"));
  EXPECT_TRUE(hugeStatus == ecOK || hugeStatus < 0);
  // The file deleted while open: the next page reports the error and closes the fax.
  ASSERT_EQ(viewer.setFile(fax), ecOK);
  std::filesystem::remove(fax);
  viewer.goToPage(2);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_LT(errors[0], 0);
  EXPECT_EQ(viewer.fileName(), "");
  EXPECT_FALSE(viewer.hasPage());
}

}  // namespace
}  // namespace quillon::faximage
