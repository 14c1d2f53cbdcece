// Index tags and the order they give: descending tags, FOR conditions, keys of dates and
// numbers, many records across interior index nodes, and the order after edits, appends,
// deletes, recalls and packs, also after the index file is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "support/temp_dir.h"
#include "xbase/table.h"

using namespace quillon::xbase;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

const std::vector<FieldDef> kFaxes = {{"WHO", 'C', 24, 0}, {"DAY", 'D', 8, 0},
                                      {"TIME", 'C', 5, 0}, {"AMOUNT", 'N', 8, 2},
                                      {"DONE", 'L', 1, 0}, {"TEXT", 'M', 10, 0}};

class IndexOrder : public ::testing::Test {
 protected:
  TempDir dir;
  Environment env;
  Table t{env};
  std::string path;

  void SetUp() override {
    env.setToday(Date{2024, 6, 15});
    path = dir.file("FAXES.DBF");
    std::string error;
    ASSERT_TRUE(Table::create(path, kFaxes, &error)) << error;
    ASSERT_TRUE(t.open(path)) << t.lastError();
  }
  void add(const std::string& who, Date day = {}, double amount = 0, const std::string& time = "",
           const std::string& text = "") {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace("WHO", who));
    ASSERT_TRUE(t.replaceDate("DAY", day));
    ASSERT_TRUE(t.replace("TIME", time));
    ASSERT_TRUE(t.replaceNumber("AMOUNT", amount));
    if (!text.empty()) {
      ASSERT_TRUE(t.replaceMemo("TEXT", text));
    }
    ASSERT_TRUE(t.commit());
  }
  // The names in the current order, walked with skip.
  std::vector<std::string> walk() {
    std::vector<std::string> out;
    for (t.goTop(); !t.eof(); t.skip(1)) out.push_back(t.getTrimmed("WHO"));
    return out;
  }
  // The same walked backwards, reversed, and the view's rows: all three must agree.
  std::vector<std::string> order() {
    std::vector<std::string> forward = walk();
    std::vector<std::string> backward;
    for (t.goBottom(); !t.eof() && !t.bof(); t.skip(-1)) backward.insert(backward.begin(), t.getTrimmed("WHO"));
    EXPECT_EQ(forward, backward);
    std::vector<std::string> rows;
    for (long i = 0; i < t.viewCount(); ++i) rows.push_back(t.record(t.viewRecNo(i))->getTrimmed("WHO"));
    EXPECT_EQ(forward, rows);
    EXPECT_EQ(static_cast<long>(forward.size()), t.queryRecCount());
    return forward;
  }
  void reopen() {
    t.close();
    ASSERT_TRUE(t.open(path)) << t.lastError();
    EXPECT_TRUE(t.indexProblems().empty()) << t.indexProblems().front();
  }
  void go(const std::string& who) {
    for (long n = 1; n <= t.recCount(); ++n) {
      t.go(n);
      if (t.getTrimmed("WHO") == who) return;
    }
    FAIL() << "no record " << who;
  }
  using Names = std::vector<std::string>;
};

}  // namespace

TEST_F(IndexOrder, DateAndNumberKeysSortByValueNotByText) {
  add("empty-date", {}, 0);
  add("y1999", {1999, 12, 31}, -5.5);
  add("y2000", {2000, 1, 1}, 100);
  add("y1850", {1850, 6, 1}, -100);
  add("y2024", {2024, 2, 29}, 9.99);
  add("zero", {2010, 1, 1}, -0.0);
  // A date that is not on the calendar is not stored as if it were fine.
  EXPECT_FALSE(t.replaceDate("DAY", {2023, 2, 29}));
  EXPECT_TRUE(t.getDate("DAY").empty());
  ASSERT_TRUE(t.replaceDate("DAY", {2010, 1, 1}));
  ASSERT_TRUE(t.commit());
  ASSERT_TRUE(t.indexTag("", "DAY", "DAY", false, ""));
  EXPECT_EQ(order(), (Names{"empty-date", "y1850", "y1999", "y2000", "zero", "y2024"}));
  ASSERT_TRUE(t.indexTag("", "DAYDESC", "DTOS(DAY)", true, ""));
  EXPECT_EQ(order(), (Names{"y2024", "zero", "y2000", "y1999", "y1850", "empty-date"}));
  ASSERT_TRUE(t.indexTag("", "AMOUNT", "AMOUNT", false, ""));
  EXPECT_EQ(order(), (Names{"y1850", "y1999", "empty-date", "zero", "y2024", "y2000"}));
  ASSERT_TRUE(t.indexTag("", "AMOUNTD", "AMOUNT", true, ""));
  EXPECT_EQ(order(), (Names{"y2000", "y2024", "zero", "empty-date", "y1999", "y1850"}));
  ASSERT_TRUE(t.indexTag("", "DONE", "DONE", false, ""));
  ASSERT_TRUE(t.indexTag("", "MIXED", "STR(AMOUNT, 8, 2) + DTOS(DAY)", false, ""));
  // Every tag, binary keys included, reads back from the file as it was written.
  reopen();
  ASSERT_EQ(t.tags().size(), 6u);
  t.setOrder(t.tagArea("AMOUNTD"));
  EXPECT_EQ(order(), (Names{"y2000", "y2024", "zero", "empty-date", "y1999", "y1850"}));
  t.setOrder(t.tagArea("DAY"));
  EXPECT_EQ(order().front(), "empty-date");
  t.setOrder(t.tagArea("daydesc"));
  EXPECT_EQ(order().back(), "empty-date");
}

TEST_F(IndexOrder, TheOrderFollowsEditsAppendsDeletesAndRecalls) {
  add("carol", {2024, 1, 3});
  add("alice", {2024, 1, 1});
  add("bob", {2024, 1, 2});
  ASSERT_TRUE(t.indexTag("", "DAY", "DTOS(DAY)+TIME", true, ".not. deleted()"));
  EXPECT_EQ(order(), (Names{"carol", "bob", "alice"}));
  // An edit moves the record to its new place; the current record stays the same.
  go("alice");
  ASSERT_TRUE(t.replaceDate("DAY", {2024, 1, 9}));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(t.getTrimmed("WHO"), "alice");
  t.skip(1);
  EXPECT_EQ(t.getTrimmed("WHO"), "carol");
  EXPECT_EQ(order(), (Names{"alice", "carol", "bob"}));
  // A pending edit is committed by moving, and then ordered.
  go("bob");
  ASSERT_TRUE(t.replaceDate("DAY", {2025, 1, 1}));
  t.goTop();
  EXPECT_EQ(t.getTrimmed("WHO"), "bob");
  // A new blank record has the blank key: last in a descending tag.
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replace("WHO", "new"));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(order(), (Names{"bob", "alice", "carol", "new"}));
  // Deleting takes the record out of the FOR .not. deleted() tag, whatever Deleted says.
  go("alice");
  ASSERT_TRUE(t.deleteRecord());
  EXPECT_EQ(order(), (Names{"bob", "carol", "new"}));
  env.setDeleted(false);
  EXPECT_EQ(order(), (Names{"bob", "carol", "new"}));
  env.setDeleted(true);
  reopen();
  t.setOrder(1);
  EXPECT_EQ(order(), (Names{"bob", "carol", "new"}));
  // Recall puts it back in its place.
  go("alice");
  ASSERT_TRUE(t.recall());
  EXPECT_EQ(order(), (Names{"bob", "alice", "carol", "new"}));
  reopen();
  t.setOrder(1);
  EXPECT_EQ(order(), (Names{"bob", "alice", "carol", "new"}));
}

TEST_F(IndexOrder, ForConditionsFollowTheFieldsTheyRead) {
  add("a", {}, 5);
  add("b", {}, 50);
  add("c", {}, 500);
  ASSERT_TRUE(t.indexTag("", "BIG", "WHO", false, "AMOUNT >= 50"));
  EXPECT_EQ(order(), (Names{"b", "c"}));
  go("a");
  ASSERT_TRUE(t.replaceNumber("AMOUNT", 51));
  ASSERT_TRUE(t.commit());
  go("c");
  ASSERT_TRUE(t.replaceNumber("AMOUNT", 1));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(order(), (Names{"a", "b"}));
  // A record outside the tag can still be current; skipping from it goes on in key order.
  go("c");
  EXPECT_EQ(t.viewPosition(t.recNo()), -1);
  t.skip(1);
  EXPECT_TRUE(t.eof());
  go("c");
  t.skip(-1);
  EXPECT_EQ(t.getTrimmed("WHO"), "b");
  reopen();
  t.setOrder(1);
  EXPECT_EQ(order(), (Names{"a", "b"}));
}

TEST_F(IndexOrder, TiesKeepEveryRecordAndADescendingTagGivesThemInOneFixedOrder) {
  for (int i = 0; i < 6; ++i) add("same" + std::to_string(i), {2024, 5, 5}, 1, "10:00");
  add("later", {2024, 5, 6}, 1, "09:00");
  ASSERT_TRUE(t.indexTag("", "DAY", "DTOS(DAY)+TIME", true, ""));
  Names first = order();
  ASSERT_EQ(first.size(), 7u);
  EXPECT_EQ(first.front(), "later");
  reopen();
  t.setOrder(1);
  EXPECT_EQ(order(), first);  // the same order after the index file is read back
  // Skipping over equal keys visits each record once, in both directions.
  go("same3");
  long from = t.recNo();
  t.skip(1);
  t.skip(-1);
  EXPECT_EQ(t.recNo(), from);
}

TEST_F(IndexOrder, ManyRecordsAcrossInteriorNodesStayInOrderThroughEditsAndReopen) {
  const int n = 6000;
  std::map<std::string, int> expected;  // key -> count
  for (int i = 0; i < n; ++i) {
    std::string who = "k" + std::to_string((i * 7919) % 10007);
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace("WHO", who));
    ASSERT_TRUE(t.replaceNumber("AMOUNT", (i * 31) % 997 - 500));
    ASSERT_TRUE(t.replaceDate("DAY", Date::fromJulian(Date{2000, 1, 1}.julian() + i % 3000)));
  }
  ASSERT_TRUE(t.commit());
  ASSERT_TRUE(t.indexTag("", "WHO", "UPPER(WHO)", false, ".not. deleted()"));
  ASSERT_TRUE(t.indexTag("", "AMOUNT", "AMOUNT", true, ""));
  ASSERT_TRUE(t.indexTag("", "DAY", "DTOS(DAY)+WHO", true, ".not. deleted()"));
  // Delete every tenth record and edit every seventh before the index file is written.
  env.setDeleted(true);
  for (long r = 1; r <= n; r += 10) {
    t.go(r);
    ASSERT_TRUE(t.deleteRecord());
  }
  for (long r = 3; r <= n; r += 7) {
    t.go(r);
    ASSERT_TRUE(t.replace("WHO", "edited" + std::to_string(r)));
  }
  t.close();
  EXPECT_GT(fs::file_size(dir.file("FAXES.CDX")), 100u * 512);
  ASSERT_TRUE(t.open(path));
  EXPECT_TRUE(t.indexProblems().empty()) << t.indexProblems().front();
  auto check = [&](const char* tag, auto less) {
    ASSERT_TRUE(t.setOrder(t.tagArea(tag)));
    long rows = 0;
    std::optional<Record> previous;
    for (t.goTop(); !t.eof(); t.skip(1), ++rows) {
      auto r = t.record(t.recNo());
      ASSERT_FALSE(r->deleted());
      if (previous) {
        ASSERT_FALSE(less(*r, *previous)) << tag << " row " << rows;
      }
      previous = r;
    }
    EXPECT_EQ(rows, t.viewCount()) << tag;
  };
  long visible = n - n / 10;
  check("WHO", [](const Record& a, const Record& b) { return a.getString("WHO") < b.getString("WHO"); });
  EXPECT_EQ(t.viewCount(), visible);
  check("AMOUNT", [](const Record& a, const Record& b) { return a.getNumber("AMOUNT") > b.getNumber("AMOUNT"); });
  check("DAY", [](const Record& a, const Record& b) { return a.getDate("DAY") > b.getDate("DAY"); });
  // Row n of a big view, and back, without walking.
  t.setOrder(t.tagArea("WHO"));
  long row = visible / 2;
  long rec = t.viewRecNo(row);
  EXPECT_EQ(t.viewPosition(rec), row);
  ASSERT_TRUE(t.goViewPosition(row));
  EXPECT_EQ(t.recNo(), rec);
}

TEST_F(IndexOrder, TheDeletedSettingAppliesToOrderQueryAndCountAlike) {
  add("a", {2024, 1, 1}, 1);
  add("b", {2024, 1, 2}, 2);
  add("c", {2024, 1, 3}, 3);
  add("d", {2024, 1, 4}, 4);
  ASSERT_TRUE(t.indexTag("", "ALL", "WHO", true, ""));  // no FOR: flagged records stay in it
  go("b");
  ASSERT_TRUE(t.deleteRecord());
  go("d");
  ASSERT_TRUE(t.deleteRecord());
  ASSERT_TRUE(t.setQuery("AMOUNT > 1"));
  EXPECT_EQ(order(), (Names{"c"}));
  env.setDeleted(false);
  EXPECT_EQ(order(), (Names{"d", "c", "b"}));
  t.setOrder(0);
  EXPECT_EQ(order(), (Names{"b", "c", "d"}));
  ASSERT_TRUE(t.setQuery(".not. deleted()"));
  EXPECT_EQ(order(), (Names{"a", "c"}));
  ASSERT_TRUE(t.setQuery(""));
  EXPECT_EQ(t.queryRecCount(), 4);
  env.setDeleted(true);
  EXPECT_EQ(t.queryRecCount(), 2);
  EXPECT_EQ(order(), (Names{"a", "c"}));
  // go() still reaches a hidden record (the cleanup loop relies on it).
  go("d");
  EXPECT_TRUE(t.deleted());
  EXPECT_FALSE(t.eof());
  // A query that does not parse or is not logical is refused and the old one stays.
  ASSERT_TRUE(t.setQuery("AMOUNT < 3"));
  EXPECT_FALSE(t.setQuery("AMOUNT <"));
  EXPECT_FALSE(t.setQuery("WHO"));
  EXPECT_EQ(t.dbFilter(), "AMOUNT < 3");
  EXPECT_EQ(order(), (Names{"a"}));
}

TEST_F(IndexOrder, PackRenumbersRecordsKeepsMemosAndGivesBackMemoSpace) {
  for (int i = 0; i < 10; ++i)
    add("r" + std::to_string(i), {2024, 1, i + 1}, i, "", "memo of r" + std::to_string(i) + std::string(300, '.'));
  // Rewriting memos appends: the file grows, old space is given back only by pack.
  for (int round = 0; round < 5; ++round)
    for (long r = 1; r <= 10; ++r) {
      t.go(r);
      ASSERT_TRUE(t.replaceMemo("TEXT", "memo of r" + std::to_string(r - 1) + std::string(300, '.')));
    }
  ASSERT_TRUE(t.commit());
  ASSERT_TRUE(t.indexTag("", "DAY", "DAY", true, ".not. deleted()"));
  for (long r : {1, 4, 5, 10}) {
    t.go(r);
    ASSERT_TRUE(t.deleteRecord());
  }
  auto grown = fs::file_size(dir.file("FAXES.FPT"));
  ASSERT_TRUE(t.pack());
  EXPECT_EQ(t.recCount(), 6);
  auto packed = fs::file_size(dir.file("FAXES.FPT"));
  EXPECT_LT(packed, grown / 4);
  EXPECT_EQ(packed, 512u + 6u * 5u * 64u);  // six memos of 8 + 310 bytes in 64-byte blocks
  // Records are renumbered in their old order and each keeps its own memo.
  Names left = {"r1", "r2", "r5", "r6", "r7", "r8"};
  for (long r = 1; r <= 6; ++r) {
    t.go(r);
    EXPECT_EQ(t.getTrimmed("WHO"), left[r - 1]);
    EXPECT_EQ(t.getMemo("TEXT"), "memo of " + left[r - 1] + std::string(300, '.'));
    EXPECT_FALSE(t.deleted());
  }
  EXPECT_EQ(order(), (Names{"r8", "r7", "r6", "r5", "r2", "r1"}));
  // Memos written after the pack go after the kept ones, not over them.
  t.go(2);
  ASSERT_TRUE(t.replaceMemo("TEXT", "after pack"));
  add("r10", {2030, 1, 1}, 0, "", "new one");
  reopen();
  t.setOrder(1);
  EXPECT_EQ(order().front(), "r10");
  for (long r = 1; r <= 7; ++r) {
    t.go(r);
    std::string want = r == 2 ? "after pack" : r == 7 ? "new one"
                                                      : "memo of " + left[r - 1] + std::string(300, '.');
    EXPECT_EQ(t.getMemo("TEXT"), want) << r;
  }
  // A pack with nothing flagged keeps every record; packing an empty table works.
  ASSERT_TRUE(t.pack());
  EXPECT_EQ(t.recCount(), 7);
  for (long r = 1; r <= 7; ++r) {
    t.go(r);
    ASSERT_TRUE(t.deleteRecord());
  }
  ASSERT_TRUE(t.pack());
  EXPECT_EQ(t.recCount(), 0);
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(fs::file_size(dir.file("FAXES.FPT")), 512u);
  reopen();
  EXPECT_EQ(t.recCount(), 0);
  EXPECT_FALSE(fs::exists(path + ".pack~"));
}

TEST_F(IndexOrder, SkippingByMoreThanOneAndFromRecordsOutsideTheView) {
  for (int i = 0; i < 8; ++i) add("r" + std::to_string(i), {}, i);
  ASSERT_TRUE(t.indexTag("", "AMOUNT", "AMOUNT", true, ".not. deleted()"));
  ASSERT_TRUE(t.setQuery("AMOUNT <> 3"));
  EXPECT_EQ(order(), (Names{"r7", "r6", "r5", "r4", "r2", "r1", "r0"}));
  t.goTop();
  ASSERT_TRUE(t.skip(3));
  EXPECT_EQ(t.getTrimmed("WHO"), "r4");
  ASSERT_TRUE(t.skip(-2));
  EXPECT_EQ(t.getTrimmed("WHO"), "r6");
  ASSERT_TRUE(t.skip(0));
  EXPECT_EQ(t.getTrimmed("WHO"), "r6");
  ASSERT_TRUE(t.skip(100));
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.recNo(), t.recCount() + 1);
  ASSERT_TRUE(t.skip(-2));
  EXPECT_EQ(t.getTrimmed("WHO"), "r1");
  ASSERT_TRUE(t.skip(-100));
  EXPECT_TRUE(t.bof());
  EXPECT_EQ(t.getTrimmed("WHO"), "r7");
  // From the record the query hides: two on is r1, two back is r5.
  go("r3");
  ASSERT_TRUE(t.skip(2));
  EXPECT_EQ(t.getTrimmed("WHO"), "r1");
  go("r3");
  ASSERT_TRUE(t.skip(-2));
  EXPECT_EQ(t.getTrimmed("WHO"), "r5");
  // A new record the query rejects is current all the same, and skipping leaves it in order.
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replace("WHO", "new"));
  ASSERT_TRUE(t.replaceNumber("AMOUNT", 3));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(t.getTrimmed("WHO"), "new");
  EXPECT_EQ(t.viewPosition(t.recNo()), -1);
  ASSERT_TRUE(t.skip(1));
  EXPECT_EQ(t.getTrimmed("WHO"), "r2");
  // Rows out of range give no record, not a neighbour.
  EXPECT_EQ(t.viewRecNo(-1), 0);
  EXPECT_EQ(t.viewRecNo(t.viewCount()), 0);
  EXPECT_FALSE(t.goViewPosition(t.viewCount()));
  EXPECT_TRUE(t.eof());
  EXPECT_FALSE(t.go(0));
  EXPECT_TRUE(t.eof());
}

TEST_F(IndexOrder, ATagThatCannotBeMadeLeavesTheOthersAndTheOrderAlone) {
  add("b", {2024, 1, 2}, 2);
  add("a", {2024, 1, 1}, 1);
  ASSERT_TRUE(t.indexTag("", "WHO", "WHO", false, ""));
  struct Bad {
    const char* tag;
    const char* key;
    const char* forExpr;
  } bad[] = {{"X", "NOSUCH", ""},          {"X", "WHO", "AMOUNT"},  {"X", "WHO", "WHO ="},
             {"", "WHO", ""},              {"ELEVENCHARS", "WHO", ""},
             {"X", "WHO+WHO+WHO+WHO+WHO+WHO+WHO+WHO+WHO+WHO+WHO", ""}};
  for (const auto& b : bad) {
    EXPECT_FALSE(t.indexTag("", b.tag, b.key, false, b.forExpr)) << b.key << " for " << b.forExpr;
    EXPECT_FALSE(t.lastError().empty());
    EXPECT_EQ(t.tags().size(), 1u);
    EXPECT_EQ(t.indexOrd(), 1);
  }
  EXPECT_FALSE(t.indexTag("OTHER.CDX", "X", "WHO", false, ""));
  EXPECT_FALSE(t.setOrder(2));
  EXPECT_EQ(t.indexOrd(), 1);
  EXPECT_EQ(order(), (Names{"a", "b"}));
  // Making a tag of an existing name replaces it (the rebuild relies on that).
  ASSERT_TRUE(t.indexTag("", "who", "WHO", true, ""));
  EXPECT_EQ(t.tags().size(), 1u);
  EXPECT_EQ(order(), (Names{"b", "a"}));
  reopen();
  EXPECT_TRUE(t.tags()[0].descending);
}

TEST_F(IndexOrder, ATableInUseIsNeverOverwrittenByCreate) {
  add("keep", {2024, 1, 1}, 1, "", "memo");
  ASSERT_TRUE(t.indexTag("", "WHO", "WHO", false, ""));
  std::string error;
  EXPECT_FALSE(Table::create(path, kFaxes, &error));
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  EXPECT_EQ(t.recCount(), 1);
  EXPECT_TRUE(fs::exists(dir.file("FAXES.CDX")));  // its index is not removed either
  t.go(1);
  EXPECT_EQ(t.getMemo("TEXT"), "memo");
  t.close();
  ASSERT_TRUE(t.open(path));
  EXPECT_EQ(t.recCount(), 1);
}

TEST(IndexKeyLengths, TheLongestAndShortestKeysReadBackFromTheIndexFile) {
  TempDir dir;
  std::string path = dir.file("WIDE.DBF");
  ASSERT_TRUE(Table::create(path, {{"LONG", 'C', 240, 0}, {"ONE", 'C', 1, 0}, {"N", 'N', 6, 0}}));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(path));
  const int n = 1500;  // two or three 240-byte keys fit an interior node: a deep tree
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(t.appendBlank());
    std::string key = std::string(200, 'k') + std::to_string((i * 389) % n);
    key[i % 200] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(t.replace("LONG", key));
    ASSERT_TRUE(t.replace("ONE", std::string(1, static_cast<char>('A' + i % 3))));
    ASSERT_TRUE(t.replaceNumber("N", i));
  }
  ASSERT_TRUE(t.indexTag("", "LONG", "LONG", false, ""));
  ASSERT_TRUE(t.indexTag("", "ONE", "ONE", true, ""));
  EXPECT_FALSE(t.indexTag("", "TOOLONG", "LONG+ONE", false, ""));  // 241 bytes
  auto collect = [&](const char* tag) {
    std::vector<std::pair<std::string, long>> rows;
    t.setOrder(t.tagArea(tag));
    for (t.goTop(); !t.eof(); t.skip(1)) rows.emplace_back(t.getString(tag), t.recNo());
    return rows;
  };
  auto longRows = collect("LONG");
  auto oneRows = collect("ONE");
  ASSERT_EQ(longRows.size(), static_cast<size_t>(n));
  EXPECT_TRUE(std::is_sorted(longRows.begin(), longRows.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; }));
  EXPECT_EQ(oneRows.front().first, "C");
  EXPECT_EQ(oneRows.back().first, "A");
  t.close();
  ASSERT_TRUE(t.open(path));
  EXPECT_TRUE(t.indexProblems().empty()) << t.indexProblems().front();
  EXPECT_EQ(collect("LONG"), longRows);
  EXPECT_EQ(collect("ONE"), oneRows);
}
