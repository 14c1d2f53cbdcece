// The receiver's small parts on real bytes and real files: the training check's threshold,
// the page data reader's DLE rules and bit order, and the received file's page chain when
// pages are ended, cut and broken off.
#include <gtest/gtest.h>

#include "fax/page_data_reader.h"
#include "fax/received_fax_file.h"
#include "fax/training_check.h"
#include "receive_line_fixture.h"

using namespace quillon;
using namespace quillon::fax;

namespace {

bool trainingOf(std::size_t bytes, std::size_t nonZero) {
  // The non-zero bytes are DLE, which the modem doubles.
  TrainingCheck doubled;
  for (std::size_t i = 0; i < bytes; ++i) {
    if (i < nonZero) doubled.feed(0x10);
    doubled.feed(i < nonZero ? 0x10 : 0x00);
  }
  EXPECT_TRUE(doubled.feed(0x10) == false && doubled.feed(0x03));
  EXPECT_EQ(doubled.bytes(), bytes);
  EXPECT_EQ(doubled.nonZero(), nonZero);
  return doubled.passed();
}

TEST(TrainingCheck, PassesBelowTenPercentNonZero) {
  EXPECT_TRUE(trainingOf(1728, 0));
  EXPECT_TRUE(trainingOf(1728, 172));   // 9 %
  EXPECT_FALSE(trainingOf(1728, 173));  // 10 %
  EXPECT_FALSE(trainingOf(0, 0));       // nothing arrived
}

TEST(PageDataReader, DleRulesAndTheEnd) {
  PageDataReader r(false);
  std::string out;
  bool ended = false;
  const std::uint8_t in[] = {1, 0x10, 0x10, 2, 0x10, 0x41, 3, 0x10, 0x03, 9, 9};
  EXPECT_EQ(r.feed(in, sizeof in, out, ended), 9u);
  EXPECT_TRUE(ended);
  EXPECT_EQ(out, std::string("\x01\x10\x02\x41\x03", 5));
  // A DLE at the end of one batch pairs with the first byte of the next.
  PageDataReader split(true);
  out.clear();
  const std::uint8_t a[] = {0x01, 0x10}, b[] = {0x10, 0x10, 0x03};
  EXPECT_EQ(split.feed(a, 2, out, ended), 2u);
  EXPECT_FALSE(ended);
  EXPECT_EQ(split.feed(b, 3, out, ended), 3u);
  EXPECT_TRUE(ended);
  EXPECT_EQ(out, std::string("\x80\x08", 2));  // bit order reversed
}

TEST(ReceivedFaxFile, HoldsOnlyEndedPages) {
  test::TempDir dir;
  std::string path = dir.file("rx.apf");
  ReceivedFaxFile f;
  ASSERT_EQ(f.create(path, "REMOTE"), 0);
  std::string page1(10000, '\x5A'), page2(300, '\x11');
  ASSERT_EQ(f.beginPage(false, false), 0);
  ASSERT_EQ(f.write(reinterpret_cast<const std::uint8_t*>(page1.data()), page1.size()), 0);
  ASSERT_EQ(f.endPage("REMOTE"), 0);
  // A page the modem judged bad is cut; the page sent again is kept.
  ASSERT_EQ(f.beginPage(true, false), 0);
  ASSERT_EQ(f.write(reinterpret_cast<const std::uint8_t*>(page1.data()), 5000), 0);
  ASSERT_EQ(f.dropPage(), 0);
  ASSERT_EQ(f.beginPage(true, true), 0);
  ASSERT_EQ(f.write(reinterpret_cast<const std::uint8_t*>(page2.data()), page2.size()), 0);
  ASSERT_EQ(f.endPage("REMOTE"), 0);
  // A page the call broke off disappears when the file is closed.
  ASSERT_EQ(f.beginPage(false, false), 0);
  ASSERT_EQ(f.write(reinterpret_cast<const std::uint8_t*>(page1.data()), 7000), 0);
  ASSERT_EQ(f.close(), 0);
  test::StoredFax got = test::readStoredFax(path);
  ASSERT_EQ(got.rc, 0);
  EXPECT_EQ(got.header.stationId, "REMOTE              ");
  ASSERT_EQ(got.pages.size(), 2u);
  EXPECT_EQ(got.pages[0].data, page1);
  EXPECT_FALSE(got.pages[0].fine);
  EXPECT_EQ(got.pages[1].data, page2);
  EXPECT_TRUE(got.pages[1].fine);
  EXPECT_TRUE(got.pages[1].wide);
  EXPECT_EQ(std::filesystem::file_size(path), 64u + 16 + page1.size() + 16 + page2.size());
}

TEST(ReceivedFaxFile, AFolderThatCannotBeWrittenGivesAnIoStatus) {
  ReceivedFaxFile f;
  EXPECT_LT(f.create("/nonexistent-folder/x.apf", ""), 0);
  EXPECT_FALSE(f.isOpen());
  EXPECT_LT(f.beginPage(false, false), 0);
}

}  // namespace
