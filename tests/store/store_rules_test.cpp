// The fax store's rules seen from its callers: which records a cleanup condition takes,
// what it leaves alone, the state it leaves behind, texts cut to their fields, the phone and
// cover tables' order, reopening in place and the rebuild.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "store/fax_store.h"
#include "open_store_fixture.h"
#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;
using quillon::xbase::Environment;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class StoreRules : public quillon::test::OpenStoreTest {
 protected:
  void SetUp() override {
    OpenStoreTest::SetUp();
    fs::create_directories(dir.file("receive"));
  }
  void addReceived(const std::string& from, Date date, const std::string& time, const std::string& file) {
    if (!file.empty() && file.find('/') == std::string::npos) dir.write("receive/" + file, "fax");
    ASSERT_TRUE(store->appendReceived({date, time, from, 1, file}));
  }
  static Names names(Table& t, const char* field) {
    Names out;
    for (t.goTop(); !t.eof(); t.skip(1)) out.push_back(t.getTrimmed(field));
    return out;
  }
};

}  // namespace

TEST_F(StoreRules, ExactAndPartialMatchesReadNamesAsUpperDoes) {
  addSent("M\xfcller");
  addSent("  m\xfcller ");
  addSent("Hans M\xfcllerson");
  addSent("Muller");
  // The typed text is upper-cased the way UPPER() upper-cases the stored names.
  std::string exact = FaxStore::matchCondition("RECIPIENT", " m\xfcller", true);
  EXPECT_EQ(exact, "ALLTRIM(UPPER(RECIPIENT))==\"M\xdcLLER\"");
  EXPECT_EQ(store->deleteFor(TableKind::Sent, exact), 2);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, FaxStore::matchCondition("RECIPIENT", "\xfcller", false)), 1);
  EXPECT_EQ(names(store->faxTable(), "RECIPIENT"), (Names{"Muller"}));
}

TEST_F(StoreRules, PartialMatchesOnTheFaxNumberAndTheSender) {
  addSent("a", {}, "555-0100");
  addSent("b", {}, "(555) 0100");
  addSent("c", {}, "0100555");
  addSent("d", {}, "1-555-0100 x2");
  EXPECT_EQ(store->deleteFor(TableKind::Sent, FaxStore::matchCondition("PHONE", "555-0100", true)), 1);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, FaxStore::matchCondition("PHONE", " 555-0100 ", false)), 1);
  Names left = names(store->faxTable(), "RECIPIENT");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (Names{"b", "c"}));
  addReceived("ACME Corp  fax", {2024, 1, 1}, "10:00", "FAX0001.APF");
  addReceived("acme", {2024, 1, 2}, "10:00", "FAX0002.APF");
  addReceived("Other", {2024, 1, 3}, "10:00", "FAX0003.APF");
  // The sender's text as the dialog presets it (trimmed); partial finds it inside.
  EXPECT_EQ(store->deleteFor(TableKind::Received, FaxStore::matchCondition("FROM", "Acme", false)), 2);
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0002.APF")));
  EXPECT_TRUE(fs::exists(dir.file("receive/FAX0003.APF")));
  // Inner blanks are part of the text.
  EXPECT_EQ(store->deleteFor(TableKind::Received, FaxStore::matchCondition("FROM", "OT HER", false)), 0);
}

TEST_F(StoreRules, BeforeDateOnReceivedFaxesKeepsTheDayItselfAndUndatedRecords) {
  addReceived("old", {2023, 12, 31}, "23:59", "FAX0001.APF");
  addReceived("day", {2024, 1, 1}, "00:00", "FAX0002.APF");
  addReceived("undated", {}, "", "FAX0003.APF");
  addReceived("gone-file", {2020, 1, 1}, "10:00", "FAX0004.APF");
  fs::remove(dir.file("receive/FAX0004.APF"));  // a file already missing is no obstacle
  addReceived("tampered", {2020, 1, 1}, "10:00", "../QLN.DBF");
  EXPECT_EQ(store->deleteFor(TableKind::Received, store->beforeDateCondition("DATEREC", {2024, 1, 1})), 3);
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  EXPECT_TRUE(fs::exists(dir.file("receive/FAX0002.APF")));
  EXPECT_TRUE(fs::exists(dir.file("receive/FAX0003.APF")));
  EXPECT_TRUE(fs::exists(dir.file("QLN.DBF")));
  Table& t = store->recTable();
  store->orderUpkeep(TableKind::Received);
  EXPECT_EQ(names(t, "FROM"), (Names{"day", "undated"}));
  // Dates far back and ahead of the window still select what was picked.
  addReceived("ancient", {1901, 5, 5}, "10:00", "");
  addReceived("future", {2090, 5, 5}, "10:00", "");
  EXPECT_EQ(store->deleteFor(TableKind::Received, store->beforeDateCondition("DATEREC", {1902, 1, 1})), 1);
  EXPECT_EQ(store->deleteFor(TableKind::Received, store->beforeDateCondition("DATEREC", {2090, 5, 5})), 1);
  EXPECT_EQ(names(t, "FROM"), (Names{"future", "undated"}));
}

TEST_F(StoreRules, DeleteForLeavesSettingsOrderAndPositionAsTheyWere) {
  addSent("one", {2024, 1, 1});
  addSent("two", {2024, 2, 1});
  addSent("three", {2024, 3, 1});
  Table& t = store->faxTable();
  store->orderUpkeep(TableKind::Sent);
  ASSERT_EQ(t.indexOrd(), 1);
  t.go(2);
  // A condition that does not parse, or is not logical, deletes nothing and changes nothing.
  for (const char* bad : {"RECIPIENT ==", "RECIPIENT", "NOSUCH = 1", "DATESENT < \"x\""}) {
    EXPECT_EQ(store->deleteFor(TableKind::Sent, bad), -1) << bad;
    EXPECT_TRUE(env.deleted());
    EXPECT_EQ(t.indexOrd(), 1);
    EXPECT_EQ(t.recNo(), 2);
    EXPECT_EQ(t.queryRecCount(), 3);
  }
  // The current record deleted: the next one in the order becomes current.
  EXPECT_EQ(store->deleteFor(TableKind::Sent, "ALLTRIM(RECIPIENT)==\"two\""), 1);
  EXPECT_TRUE(env.deleted());
  EXPECT_EQ(t.indexOrd(), 1);
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "one");
  EXPECT_EQ(t.dbFilter(), ".not. deleted()");
  // Flagged records are not counted again.
  EXPECT_EQ(store->deleteFor(TableKind::Sent, ".true."), 2);
  EXPECT_EQ(store->deleteFor(TableKind::Sent, ".true."), 0);
  EXPECT_TRUE(t.eof());
  EXPECT_TRUE(store->orderUpkeep(TableKind::Sent));
  // On a table without records a bad condition is still reported.
  EXPECT_EQ(store->deleteFor(TableKind::Phone, ".true."), -1);  // not open
  ASSERT_TRUE(store->openPhoneDBF());
  EXPECT_EQ(store->deleteFor(TableKind::Phone, "NAME =="), -1);
  EXPECT_EQ(store->deleteFor(TableKind::Phone, ".true."), 0);
}

TEST_F(StoreRules, TextsAreCutToTheirFieldsAndOutcomesFollowTheResult) {
  std::string longText(300, 'q');
  ASSERT_TRUE(store->appendReceived({{2024, 1, 1}, "10:00:59", longText, 250, "FAX0001.APF.OLD"}));
  Table& r = store->recTable();
  EXPECT_EQ(r.getString("FROM"), std::string(20, 'q'));
  EXPECT_EQ(r.getString("TIMEREC"), "10:00");
  EXPECT_EQ(r.getString("FAXFILE"), "FAX0001.APF.");
  EXPECT_EQ(r.getNumber("PAGES"), 99);
  ASSERT_TRUE(store->setNotes(longText));
  EXPECT_EQ(r.getString("NOTES"), std::string(60, 'q'));
  ASSERT_TRUE(store->setNotes("short"));
  EXPECT_EQ(r.getTrimmed("NOTES"), "short");
  EXPECT_FALSE(store->appendReceived({{2024, 4, 31}, "10:00", "x", 1, "FAX0002.APF"}));
  EXPECT_TRUE(r.getDate("DATEREC").empty());
  // Sent: exactly-wide texts unchanged; result texts decide success by their whole text.
  addSent(std::string(35, 'r'));
  Table& t = store->faxTable();
  EXPECT_EQ(t.getString("RECIPIENT"), std::string(35, 'r'));
  for (const char* failed : {"SENT OK", " ok", "Sending", "", "OKAY"}) {
    ASSERT_TRUE(store->writeSendOutcome(2, failed, "1", {2024, 1, 1}, "09:00"));
    EXPECT_FALSE(t.getLogical("SENT")) << failed;
    EXPECT_TRUE(t.getDate("DATESENT").empty()) << failed;
  }
  ASSERT_TRUE(store->writeSendOutcome(-3, std::string(150, 'x'), "2", {2024, 1, 1}, "09:00"));
  EXPECT_EQ(t.getNumber("PAGES"), 0);
  EXPECT_EQ(t.getString("LASTRESULT"), std::string(100, 'x'));
  ASSERT_TRUE(store->writeSendOutcome(4, "sEnT", "3", {2024, 2, 2}, "23:59"));
  EXPECT_TRUE(t.getLogical("SENT"));
  EXPECT_EQ(t.getDate("DATESENT"), (Date{2024, 2, 2}));
  // A later failed attempt keeps the success's date and time.
  ASSERT_TRUE(store->writeSendOutcome(1, "Busy", "4", {2024, 3, 3}, "10:00"));
  EXPECT_TRUE(t.getLogical("SENT"));
  EXPECT_EQ(t.getDate("DATESENT"), (Date{2024, 2, 2}));
  EXPECT_EQ(t.getString("TIMESENT"), "23:59");
  EXPECT_EQ(t.getTrimmed("PHONE"), "4");
  // Edit rewrites the five fields and leaves the outcome alone.
  ASSERT_TRUE(store->editSent(SentEntry{"new name", "new subject", "777", "{\\rtf1 c}", "{\\rtf1 d}"}));
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "new name");
  EXPECT_EQ(store->loadRichText(t, "RTFDOC"), "{\\rtf1 d}");
  EXPECT_TRUE(t.getLogical("SENT"));
  // With no current record nothing is written.
  t.goBottom();
  t.skip(1);
  EXPECT_FALSE(store->writeSendOutcome(1, "OK", "1", {2024, 1, 1}, "09:00"));
  EXPECT_FALSE(store->loadRichText(t, "RTFDOC"));
}

TEST_F(StoreRules, PhoneAndCoverListsOrderIgnoringCaseAndHideFlaggedEntries) {
  ASSERT_TRUE(store->openPhoneDBF());
  Table& p = store->phoneTable();
  for (const char* name : {"bravo", "Alpha", "charlie", "ALPHA two", "delta"}) {
    ASSERT_TRUE(p.appendBlank());
    ASSERT_TRUE(p.replace("NAME", name));
    ASSERT_TRUE(p.commit());
  }
  EXPECT_EQ(names(p, "NAME"), (Names{"Alpha", "ALPHA two", "bravo", "charlie", "delta"}));
  for (p.goTop(); !p.eof() && p.getTrimmed("NAME") != "charlie";) p.skip(1);
  ASSERT_TRUE(store->deleteCurrent(TableKind::Phone));
  EXPECT_EQ(names(p, "NAME"), (Names{"Alpha", "ALPHA two", "bravo", "delta"}));
  ASSERT_TRUE(store->openCoverDBF());
  Table& c = store->coverTable();
  for (const char* d : {"Standard", "Urgent", "Personal"}) {
    ASSERT_TRUE(c.appendBlank());
    ASSERT_TRUE(c.replace("DESCRIPT", d));
    ASSERT_TRUE(store->saveRichText(c, "COVER", std::string("{\\rtf1 ") + d + "}"));
  }
  EXPECT_EQ(names(c, "DESCRIPT"), (Names{"Personal", "Standard", "Urgent"}));
  // The rebuild packs them: the flagged phone entry is gone, covers keep their texts.
  ASSERT_TRUE(store->rebuildIndexes());
  EXPECT_FALSE(p.isOpen());
  ASSERT_TRUE(store->openPhoneDBF());
  EXPECT_EQ(p.recCount(), 4);
  EXPECT_EQ(names(p, "NAME"), (Names{"Alpha", "ALPHA two", "bravo", "delta"}));
  ASSERT_TRUE(store->openCoverDBF());
  for (c.goTop(); !c.eof(); c.skip(1))
    EXPECT_EQ(store->loadRichText(c, "COVER"), "{\\rtf1 " + c.getTrimmed("DESCRIPT") + "}");
}

TEST_F(StoreRules, ReopenInPlaceAndAForeignTagOfTheSameName) {
  addSent("a", {2024, 1, 1});
  addSent("b", {2024, 1, 2});
  addSent("c", {2024, 1, 3});
  Table& t = store->faxTable();
  store->orderUpkeep(TableKind::Sent);
  t.go(2);
  ASSERT_TRUE(store->faxTableCloseAndOpen());
  EXPECT_EQ(t.recNo(), 2);
  EXPECT_EQ(t.dbFilter(), ".not. deleted()");
  EXPECT_TRUE(store->faxTable().isOpen());
  // After the rebuild (key "datesent") the never-sent fax still comes last.
  addSent("never");
  ASSERT_TRUE(store->rebuildIndexes());
  EXPECT_EQ(names(t, "RECIPIENT"), (Names{"c", "b", "a", "never"}));
  // After a rebuild removed a record, the reopened table holds the packed records.
  t.go(3);
  ASSERT_TRUE(store->deleteCurrent(TableKind::Sent));
  ASSERT_TRUE(store->rebuildIndexes());
  t.go(2);
  ASSERT_TRUE(store->faxTableCloseAndOpen());
  EXPECT_EQ(t.recCount(), 3);
  EXPECT_EQ(t.recNo(), 2);
  EXPECT_EQ(names(t, "RECIPIENT"), (Names{"b", "a", "never"}));  // the tag order kept
  // A tag named like ours but with another key (another program's index) is made again.
  store->closeAll();
  {
    quillon::xbase::Table other(env);
    ASSERT_TRUE(other.open(dir.file("QLNREC.DBF")));
    ASSERT_TRUE(other.indexTag("", "DATETIME", "FROM", false, ""));
  }
  ASSERT_TRUE(store->openRecFaxDBF());
  auto tags = store->recTable().tags();
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].key, "DTOS(DATEREC)+TIMEREC");
  EXPECT_TRUE(tags[0].descending);
  EXPECT_EQ(tags[0].forExpr, ".not. deleted()");
}

TEST_F(StoreRules, ReopenInPlaceKeepsTheOrderAndTheCurrentRecordThroughSetButtons) {
  addSent("old", {2024, 1, 1});
  addSent("older", {2023, 1, 1});
  Table& t = store->faxTable();
  store->orderUpkeep(TableKind::Sent);  // SetButtons: the date tag
  t.goTop();
  ASSERT_EQ(t.getTrimmed("RECIPIENT"), "old");
  // New: the appended fax is current, the list is reopened, SetButtons runs.
  addSent("new");
  ASSERT_EQ(t.getTrimmed("RECIPIENT"), "new");
  ASSERT_TRUE(store->faxTableCloseAndOpen());
  EXPECT_FALSE(store->orderUpkeep(TableKind::Sent));
  EXPECT_EQ(t.indexOrd(), t.tagArea("DATESENT"));
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "new");  // Send would take this fax
  EXPECT_EQ(t.dbFilter(), ".not. deleted()");
  t.skip(-1);
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "older");  // stepping goes on in date order
  // The received list likewise.
  ASSERT_TRUE(store->appendReceived({{2024, 2, 1}, "09:00", "first", 1, "FAX0001.APF"}));
  ASSERT_TRUE(store->appendReceived({{2024, 3, 1}, "09:00", "second", 1, "FAX0002.APF"}));
  Table& r = store->recTable();
  store->orderUpkeep(TableKind::Received);
  r.goTop();
  r.skip(1);
  ASSERT_EQ(r.getTrimmed("FROM"), "first");
  ASSERT_TRUE(store->recTableCloseAndOpen());
  store->orderUpkeep(TableKind::Received);
  EXPECT_EQ(r.indexOrd(), r.tagArea("DATETIME"));
  EXPECT_EQ(r.getTrimmed("FROM"), "first");
}

TEST_F(StoreRules, ADamagedTableIsReportedAndNeverReplacedByAFreshOne) {
  addSent("precious", {2024, 1, 1});
  store->closeAll();
  std::string bytes = dir.read("QLN.DBF");
  std::string damaged = bytes;
  damaged[10] = 7;  // a record length that does not match the fields
  dir.write("QLN.DBF", damaged);
  EXPECT_FALSE(store->openFaxDBF());
  EXPECT_FALSE(store->faxTable().lastError().empty());
  EXPECT_FALSE(store->faxTableCloseAndOpen());
  EXPECT_FALSE(store->rebuildIndexes());
  EXPECT_EQ(dir.read("QLN.DBF"), damaged);
  // Repaired by hand, everything is still there.
  dir.write("QLN.DBF", bytes);
  ASSERT_TRUE(store->openFaxDBF());
  EXPECT_EQ(store->faxTable().recCount(), 1);
  // A garbage index is made again before the list is used.
  store->closeAll();
  dir.write("QLN.CDX", std::string(3000, '\x5a'));
  ASSERT_TRUE(store->openFaxDBF());
  EXPECT_EQ(store->faxTable().tagArea("DATESENT"), 1);
  EXPECT_FALSE(store->orderUpkeep(TableKind::Sent));
  EXPECT_EQ(names(store->faxTable(), "RECIPIENT"), (Names{"precious"}));
}
