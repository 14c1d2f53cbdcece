#include <gtest/gtest.h>

#include <filesystem>

#include "store/fax_store.h"
#include "open_store_fixture.h"
#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;
using quillon::xbase::Environment;
namespace fs = std::filesystem;

namespace {

using Maintenance = quillon::test::OpenStoreTest;

}  // namespace

TEST_F(Maintenance, BeforeDateNeverDeletesUnsentFaxes) {
  addSent("unsent", {});
  addSent("old", {1999, 1, 30});
  addSent("boundary", {1999, 1, 31});
  addSent("new", {2024, 1, 1});
  std::string condition = store->beforeDateCondition("DATESENT", {1999, 1, 31});
  EXPECT_EQ(condition, "(DATESENT<CTOD(\"01/31/99\")) .and. (.not. EMPTY(DATESENT))");
  EXPECT_EQ(store->deleteFor(TableKind::Sent, condition), 1);
  Table& t = store->faxTable();
  std::vector<std::string> left;
  for (t.goTop(); !t.eof(); t.skip(1)) left.push_back(t.getTrimmed("RECIPIENT"));
  EXPECT_EQ(left, (std::vector<std::string>{"new", "boundary", "unsent"}));
  EXPECT_TRUE(env.deleted());  // the Deleted setting is back on
  EXPECT_EQ(store->deleteFor(TableKind::Sent, condition), 0);  // nothing left to match
}

TEST_F(Maintenance, BeforeDateOnReceivedFaxesDeletesTheirFiles) {
  fs::create_directories(dir.file("receive"));
  dir.write("receive/FAX0001.APF", "x");
  dir.write("receive/FAX0002.APF", "x");
  store->appendReceived({{2020, 3, 1}, "10:00", "a", 1, "FAX0001.APF"});
  store->appendReceived({{2024, 3, 1}, "10:00", "b", 1, "FAX0002.APF"});
  EXPECT_EQ(store->deleteFor(TableKind::Received,
                             store->beforeDateCondition("DATEREC", {2024, 1, 1})), 1);
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  EXPECT_TRUE(fs::exists(dir.file("receive/FAX0002.APF")));
}

TEST_F(Maintenance, TwoDigitYearsReadBackAsThePickedDateAndOldDatesGetFourDigits) {
  // Window for 2024: 1944..2043.
  EXPECT_EQ(env.expandTwoDigitYear(99), 1999);
  EXPECT_EQ(env.expandTwoDigitYear(43), 2043);
  EXPECT_EQ(env.expandTwoDigitYear(44), 1944);
  EXPECT_EQ(store->beforeDateCondition("DATEREC", {2030, 12, 1}),
            "(DATEREC<CTOD(\"12/01/30\")) .and. (.not. EMPTY(DATEREC))");
  // 1930 would read back as 2030 with two digits.
  EXPECT_EQ(store->beforeDateCondition("DATEREC", {1930, 12, 1}),
            "(DATEREC<CTOD(\"12/01/1930\")) .and. (.not. EMPTY(DATEREC))");
  addSent("a", {1935, 5, 5});
  addSent("b", {2024, 5, 5});
  EXPECT_EQ(store->deleteFor(TableKind::Sent, store->beforeDateCondition("DATESENT", {1940, 1, 1})), 1);
}

TEST_F(Maintenance, ExactAndPartialConditionMatches) {
  addSent("Smith", {});
  addSent("  smith  ", {});
  addSent("John Smithson", {});
  addSent("Jones", {});
  std::string exact = FaxStore::matchCondition("RECIPIENT", " smith ", true);
  EXPECT_EQ(exact, "ALLTRIM(UPPER(RECIPIENT))==\"SMITH\"");
  EXPECT_EQ(store->deleteFor(TableKind::Sent, exact), 2);
  std::string partial = FaxStore::matchCondition("RECIPIENT", "smith", false);
  EXPECT_EQ(partial, "\"SMITH\"$ALLTRIM(UPPER(RECIPIENT))");
  EXPECT_EQ(store->deleteFor(TableKind::Sent, partial), 1);
  EXPECT_EQ(store->faxTable().queryRecCount(), 1);
  // Quotes in the searched text cannot break out of the literal.
  EXPECT_EQ(FaxStore::matchCondition("FROM", "a\"b", true),
            "ALLTRIM(UPPER(FROM))==(\"A\"+'\"'+\"B\")");
  addSent("Jo \"Quote\" Doe", {});
  std::string injected = FaxStore::matchCondition("RECIPIENT", "x\" .or. .t. .or. \"", false);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, injected), 0);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, FaxStore::matchCondition("RECIPIENT", "\"quote\"", false)), 1);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, FaxStore::matchCondition("RECIPIENT", "'[]'", false)), 0);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, "RECIPIENT ==="), -1);  // does not parse
}

TEST_F(Maintenance, SentAndUnsentAndAllAndTheRestoredPosition) {
  addSent("unsent", {});
  addSent("sent", {2024, 1, 1});
  addSent("other", {2024, 2, 1});
  Table& t = store->faxTable();
  t.go(3);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, "EMPTY(DATESENT)"), 1);
  EXPECT_EQ(t.recNo(), 3);
  EXPECT_EQ(t.indexOrd(), 1);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, ".not. EMPTY(DATESENT)"), 2);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, ".true."), 0);
  EXPECT_TRUE(store->orderUpkeep(TableKind::Sent));
  EXPECT_EQ(t.indexOrd(), 0);
}

TEST_F(Maintenance, RebuildPacksAndTheSentTagThenOrdersByDateAlone) {
  addSent("a-early", {2024, 3, 1});
  addSent("a-late", {2024, 3, 1});
  addSent("b", {2024, 4, 1});
  addSent("gone", {2024, 5, 1});
  Table& t = store->faxTable();
  t.go(4);
  ASSERT_TRUE(store->deleteCurrent(TableKind::Sent));
  std::vector<std::string> lines;
  ASSERT_TRUE(store->rebuildIndexes([&](const std::string& l) { lines.push_back(l); }));
  EXPECT_EQ(lines.front(), "Removing FAX file records marked for deletion");
  EXPECT_EQ(lines.back(), "Rebuilding COVER file indexes");
  EXPECT_EQ(lines.size(), 8u);
  EXPECT_EQ(t.recCount(), 3);
  auto tags = t.tags();
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].key, "datesent");
  EXPECT_EQ(t.indexOrd(), 1);
  t.goTop();
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "b");
  // The rebuilt tag is kept at the next open (not taken for a foreign one).
  store->closeAll();
  ASSERT_TRUE(store->openFaxDBF());
  EXPECT_EQ(store->faxTable().tags()[0].key, "datesent");
  EXPECT_TRUE(store->faxTable().indexProblems().empty());
  // Cover and phone tables were made with their tags.
  ASSERT_TRUE(store->openCoverDBF());
  EXPECT_EQ(store->coverTable().indexOrd(), store->coverTable().tagArea("DESCRIPT"));
  ASSERT_TRUE(store->openPhoneDBF());
  EXPECT_EQ(store->phoneTable().tags()[0].key, "UPPER(NAME)");
}
