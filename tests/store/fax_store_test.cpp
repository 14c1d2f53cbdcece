#include "store/fax_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;
using quillon::xbase::Environment;
namespace fs = std::filesystem;

namespace {

SentEntry sent(const std::string& recipient, const std::string& subject = "subject") {
  return SentEntry{recipient, subject, "555-0100", "{\\rtf1 cover}", "{\\rtf1 doc}"};
}

std::vector<std::string> sentOrder(Table& t) {
  std::vector<std::string> names;
  for (t.goTop(); !t.eof(); t.skip(1)) names.push_back(t.getTrimmed(sentfield::RECIPIENT));
  return names;
}

}  // namespace

TEST(FaxStore, FirstStartCreatesBothListTablesWithTheirFieldsAndTags) {
  TempDir dir;
  Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF()) << store.faxTable().lastError();
  ASSERT_TRUE(store.openRecFaxDBF()) << store.recTable().lastError();
  for (const char* f : {"QLN.DBF", "QLN.CDX", "QLN.FPT", "QLNREC.DBF", "QLNREC.CDX"})
    EXPECT_TRUE(fs::exists(dir.file(f))) << f;
  EXPECT_FALSE(fs::exists(dir.file("QLNCOV.DBF")));
  EXPECT_FALSE(fs::exists(dir.file("QLNPB.DBF")));
  EXPECT_EQ(store.faxTable().fields(), tableLayout(TableKind::Sent).fields);
  EXPECT_EQ(store.recTable().fields(), tableLayout(TableKind::Received).fields);
  EXPECT_EQ(store.faxTable().version(), 0xF5);
  EXPECT_EQ(store.recTable().version(), 0x03);
  auto tags = store.recTable().tags();
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].name, "DATETIME");
  EXPECT_EQ(tags[0].key, "DTOS(DATEREC)+TIMEREC");
  EXPECT_EQ(tags[0].forExpr, ".not. deleted()");
  EXPECT_TRUE(tags[0].descending);
  EXPECT_EQ(store.faxTable().dbFilter(), ".not. deleted()");
  // Empty list: no current record, shown as record count + 1.
  EXPECT_EQ(store.faxTable().recNo(), store.faxTable().recCount() + 1);
  EXPECT_TRUE(store.orderUpkeep(TableKind::Sent));
  EXPECT_EQ(store.faxTable().indexOrd(), 0);
}

TEST(FaxStore, ATableWithoutItsIndexGetsTheTagBackAndASecondOpenFails) {
  TempDir dir;
  {
    Environment env;
    FaxStore store(dir.path(), env);
    ASSERT_TRUE(store.openRecFaxDBF());
    store.appendReceived({{2024, 5, 1}, "10:00", "A", 1, "FAX0001.APF"});
    store.appendReceived({{2024, 5, 2}, "09:00", "B", 2, "FAX0002.APF"});
  }
  fs::remove(dir.file("QLNREC.CDX"));
  Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openRecFaxDBF());
  EXPECT_TRUE(fs::exists(dir.file("QLNREC.CDX")));
  Table& t = store.recTable();
  EXPECT_EQ(t.tagArea("DATETIME"), 1);
  EXPECT_EQ(t.indexOrd(), 1);
  EXPECT_EQ(t.queryRecCount(), 2);
  // Exclusive: the same table cannot be opened twice.
  FaxStore other(dir.path(), env);
  EXPECT_FALSE(other.openRecFaxDBF());
}

TEST(FaxStore, NewestFirstAndNeverSentLast) {
  TempDir dir;
  Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  Table& t = store.faxTable();
  ASSERT_TRUE(store.appendSent(sent("never")));
  ASSERT_TRUE(store.appendSent(sent("old")));
  ASSERT_TRUE(store.writeSendOutcome(3, "Sent", "555", {1999, 1, 30}, "08:00"));
  ASSERT_TRUE(store.appendSent(sent("new-morning")));
  ASSERT_TRUE(store.writeSendOutcome(1, "ok", "555", {2024, 6, 1}, "08:00"));
  ASSERT_TRUE(store.appendSent(sent("new-evening")));
  ASSERT_TRUE(store.writeSendOutcome(1, "OK", "555", {2024, 6, 1}, "18:30"));
  ASSERT_TRUE(store.appendSent(sent("failed")));
  ASSERT_TRUE(store.writeSendOutcome(2, "No answer", "555", {2024, 7, 1}, "12:00"));
  EXPECT_FALSE(store.orderUpkeep(TableKind::Sent));
  EXPECT_EQ(t.indexOrd(), 1);
  auto order = sentOrder(t);
  ASSERT_EQ(order.size(), 5u);
  EXPECT_EQ(order[0], "new-evening");
  EXPECT_EQ(order[1], "new-morning");
  EXPECT_EQ(order[2], "old");
  // The two never-sent ones come last.
  EXPECT_TRUE((order[3] == "never" && order[4] == "failed") ||
              (order[3] == "failed" && order[4] == "never"));
  // A failed attempt leaves SENT, DATESENT and TIMESENT as they were.
  t.goBottom();
  while (t.getTrimmed(sentfield::RECIPIENT) != "failed") t.skip(-1);
  EXPECT_FALSE(t.getLogical(sentfield::SENT));
  EXPECT_TRUE(t.getDate(sentfield::DATESENT).empty());
  EXPECT_EQ(t.getTrimmed(sentfield::LASTRESULT), "No answer");
  EXPECT_EQ(t.getNumber(sentfield::PAGES), 2);
  // The view gives row n cheaply and agrees with the walk.
  ASSERT_EQ(t.viewCount(), 5);
  EXPECT_EQ(t.record(t.viewRecNo(0))->getTrimmed("recipient"), "new-evening");
  EXPECT_EQ(t.viewPosition(t.viewRecNo(3)), 3);
}

TEST(FaxStore, TextsAreCutToTheFieldWidthAndRichTextRoundTrips) {
  TempDir dir;
  Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  std::string longText(120, 'x');
  std::string rtf = "{\\rtf1\\ansi caf\xe9 \\par}" + std::string(5000, 'y');
  ASSERT_TRUE(store.appendSent(SentEntry{longText, longText, longText, rtf, ""}));
  Table& t = store.faxTable();
  EXPECT_EQ(t.getString(sentfield::SUBJECT), std::string(50, 'x'));
  EXPECT_EQ(t.getString(sentfield::RECIPIENT), std::string(35, 'x'));
  EXPECT_EQ(t.getString(sentfield::PHONE), std::string(25, 'x'));
  EXPECT_EQ(store.loadRichText(t, sentfield::RTFCOVER), rtf);
  EXPECT_EQ(store.loadRichText(t, sentfield::RTFDOC), "");
  EXPECT_FALSE(fs::exists(dir.file("Eraseme.rtf")));  // load deletes the scratch file
  // Pages beyond the field's two digits are clamped, not turned into asterisks.
  ASSERT_TRUE(store.writeSendOutcome(150, "SENT", longText, {2024, 1, 2}, "10:11"));
  EXPECT_EQ(t.getNumber(sentfield::PAGES), 99);
  EXPECT_EQ(t.getString(sentfield::TIMESENT), "10:11");
}

TEST(FaxStore, ReopenInPlaceKeepsTheRecordAndAFlaggedRecordIsHiddenUntilTheRebuild) {
  TempDir dir;
  Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openRecFaxDBF());
  for (int i = 1; i <= 3; ++i)
    store.appendReceived({{2024, 1, i}, "10:00", "from" + std::to_string(i), i,
                          "FAX000" + std::to_string(i) + ".APF"});
  Table& t = store.recTable();
  t.go(2);
  ASSERT_TRUE(store.recTableCloseAndOpen());
  EXPECT_EQ(t.recNo(), 2);
  ASSERT_TRUE(store.deleteCurrent(TableKind::Received));
  EXPECT_EQ(t.queryRecCount(), 2);
  EXPECT_EQ(t.viewPosition(2), -1);
  for (t.goTop(); !t.eof(); t.skip(1)) EXPECT_NE(t.recNo(), 2);
  EXPECT_EQ(t.recCount(), 3);  // still in the file
  ASSERT_TRUE(store.rebuildIndexes());
  EXPECT_EQ(t.recCount(), 2);
  EXPECT_TRUE(fs::exists(dir.file("QLNPB.DBF")));   // the rebuild creates missing tables
  EXPECT_TRUE(fs::exists(dir.file("QLNCOV.CDX")));
}

TEST(FaxStore, ATamperedFaxFileNameNeverDeletesFilesOutsideTheReceiveFolder) {
  TempDir dir;
  Environment env;
  FaxStore store(dir.path(), env);
  fs::create_directories(dir.file("receive"));
  dir.write("receive/FAX0001.APF", "fax");
  dir.write("victim.txt", "keep me");
  ASSERT_TRUE(store.openRecFaxDBF());
  store.appendReceived({{2024, 1, 1}, "10:00", "a", 1, "../victim.txt"});
  store.appendReceived({{2024, 1, 2}, "10:00", "b", 1, "FAX0001.APF"});
  Table& t = store.recTable();
  t.go(1);
  EXPECT_TRUE(store.deleteCurrent(TableKind::Received));
  EXPECT_TRUE(t.deleted());  // still flagged
  EXPECT_TRUE(fs::exists(dir.file("victim.txt")));
  t.go(2);
  EXPECT_TRUE(store.deleteCurrent(TableKind::Received));
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  for (const char* bad : {"/etc/passwd", "..", "a/b.apf", "a\\b.apf", "C:x.apf", ""})
    EXPECT_FALSE(store.receivedFaxPath(bad)) << bad;
}
