#include "xbase/table.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

using namespace quillon::xbase;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

const std::vector<FieldDef> kPeople = {{"NAME", 'C', 20, 0}, {"BORN", 'D', 8, 0},
                                       {"AGE", 'N', 3, 0},   {"NOTES", 'M', 10, 0}};

class TableTest : public ::testing::Test {
 protected:
  TempDir dir;
  Environment env;
  Table t{env};
  std::string path;

  void SetUp() override {
    path = dir.file("PEOPLE.DBF");
    std::string error;
    ASSERT_TRUE(Table::create(path, kPeople, &error)) << error;
    ASSERT_TRUE(t.open(path)) << t.lastError();
  }
  void add(const std::string& name, int age, const std::string& notes = "") {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace("name", name));
    ASSERT_TRUE(t.replaceNumber("AGE", age));
    ASSERT_TRUE(t.replaceDate("BORN", Date{2000 - age, 1, 1}));
    if (!notes.empty()) {
      ASSERT_TRUE(t.replaceMemo("NOTES", notes));
    }
    ASSERT_TRUE(t.commit());
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (t.goTop(); !t.eof(); t.skip(1)) out.push_back(t.getTrimmed("NAME"));
    return out;
  }
};

}  // namespace

TEST_F(TableTest, PositioningFollowsTheOrderAndShowsNoRecordAsCountPlusOne) {
  EXPECT_TRUE(t.eof());
  EXPECT_TRUE(t.bof());
  EXPECT_EQ(t.recNo(), 1);
  add("carol", 30);
  add("alice", 50);
  add("bob", 40);
  EXPECT_EQ(names(), (std::vector<std::string>{"carol", "alice", "bob"}));
  ASSERT_TRUE(t.indexTag("", "NAME", "UPPER(NAME)", false, ".not. deleted()"));
  EXPECT_EQ(t.indexOrd(), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"alice", "bob", "carol"}));
  ASSERT_TRUE(t.indexTag("", "AGE", "AGE", true, ""));
  EXPECT_EQ(names(), (std::vector<std::string>{"alice", "bob", "carol"}));
  ASSERT_TRUE(t.indexTag("", "BORN", "BORN", false, ""));
  EXPECT_EQ(names(), (std::vector<std::string>{"alice", "bob", "carol"}));
  EXPECT_EQ(t.tagArea("name"), 1);
  ASSERT_TRUE(t.setOrder(t.tagArea("NAME")));
  t.goBottom();
  EXPECT_EQ(t.getTrimmed("NAME"), "carol");
  t.skip(1);
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.recNo(), t.recCount() + 1);
  t.skip(-1);
  EXPECT_EQ(t.getTrimmed("NAME"), "carol");
  t.goTop();
  t.skip(-1);
  EXPECT_TRUE(t.bof());
  EXPECT_EQ(t.getTrimmed("NAME"), "alice");
  EXPECT_FALSE(t.go(9));
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.recNo(), 4);
  ASSERT_TRUE(t.setOrder(0));
  EXPECT_EQ(names().front(), "carol");
}

TEST_F(TableTest, DeletedRecordsLeaveTheViewButStayUntilPack) {
  add("a", 1, "memo a");
  add("b", 2, "memo b");
  add("c", 3, "memo c");
  ASSERT_TRUE(t.indexTag("", "NAME", "NAME", false, ".not. deleted()"));
  ASSERT_TRUE(t.setQuery(".not. deleted()"));
  t.go(2);
  ASSERT_TRUE(t.deleteRecord());
  EXPECT_TRUE(t.deleted());
  EXPECT_EQ(t.queryRecCount(), 2);
  // Skipping from the hidden current record goes on to the next visible one.
  t.skip(1);
  EXPECT_EQ(t.getTrimmed("NAME"), "c");
  env.setDeleted(false);
  t.setOrder(0);
  EXPECT_EQ(t.queryRecCount(), 2);  // the query still hides it
  t.setQuery("");
  EXPECT_EQ(t.queryRecCount(), 3);
  env.setDeleted(true);
  EXPECT_EQ(t.queryRecCount(), 2);
  EXPECT_EQ(t.recCount(), 3);
  auto before = fs::file_size(dir.file("PEOPLE.FPT"));
  ASSERT_TRUE(t.pack());
  EXPECT_EQ(t.recCount(), 2);
  EXPECT_LT(fs::file_size(dir.file("PEOPLE.FPT")), before);
  t.go(2);
  EXPECT_EQ(t.getMemo("NOTES"), "memo c");
  EXPECT_EQ(t.tagArea("NAME"), 1);
  t.close();
  ASSERT_TRUE(t.open(path));
  EXPECT_TRUE(t.indexProblems().empty());
  EXPECT_EQ(t.recCount(), 2);
}

TEST_F(TableTest, FieldsAreStoredWithTheirWidthAndTypeRules) {
  add("x", 5);
  EXPECT_FALSE(t.replace("NAME", std::string(25, 'n')));  // cut, and said so
  EXPECT_EQ(t.getString("NAME"), std::string(20, 'n'));
  EXPECT_FALSE(t.replaceNumber("AGE", 1234));
  EXPECT_EQ(t.getString("AGE"), "***");
  EXPECT_TRUE(t.replaceNumber("AGE", -12));
  EXPECT_EQ(t.getString("AGE"), "-12");
  EXPECT_FALSE(t.replace("NOSUCH", "x"));
  std::string memo(100000, 'm');
  memo[5] = '\0';
  ASSERT_TRUE(t.replaceMemo("NOTES", memo));
  ASSERT_TRUE(t.commit());
  std::string file = dir.file("out.bin");
  ASSERT_TRUE(t.memoToFile("NOTES", file));
  EXPECT_EQ(dir.read("out.bin"), memo);
  dir.write("in.bin", "from file");
  ASSERT_TRUE(t.fileToMemo("NOTES", dir.file("in.bin")));
  t.close();
  ASSERT_TRUE(t.open(path));
  t.go(1);
  EXPECT_EQ(t.getMemo("notes"), "from file");
  EXPECT_EQ(t.getNumber("AGE"), -12);
  EXPECT_TRUE(t.evalLogical("AGE < 0 .and. \"nn\"$NAME"));
  EXPECT_FALSE(t.evalLogical("AGE <"));
  EXPECT_FALSE(t.lastError().empty());
}

TEST_F(TableTest, AliasRuleAndExclusiveOpenAcrossProcesses) {
  EXPECT_EQ(t.alias(), "PEOPLE");
  std::string other = dir.file("my-long~table name.dbf");
  ASSERT_TRUE(Table::create(other, {{"A", 'C', 1, 0}}));
  Table a(env), b(env);
  ASSERT_TRUE(a.open(other));
  EXPECT_EQ(a.alias(), "MY_LONG_");
  EXPECT_EQ(env.select("MY_LONG_"), &a);
  // The same table a second time: refused, in this process and in another.
  EXPECT_FALSE(b.open(other));
  EXPECT_NE(b.lastError().find("in use"), std::string::npos);
  pid_t child = fork();
  if (child == 0) {
    Environment e;
    Table c(e);
    _exit(c.open(other) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // A copy under another name gets the next alias.
  fs::copy_file(other, dir.file("my-long~table name2.dbf"));
  ASSERT_TRUE(b.open(dir.file("my-long~table name2.dbf")));
  EXPECT_EQ(b.alias(), "MY_LONG__1");
}

TEST_F(TableTest, AKilledWriterLeavesEveryCommittedRecord) {
  t.close();
  pid_t child = fork();
  if (child == 0) {
    Environment e;
    Table w(e);
    if (!w.open(path)) _exit(2);
    w.indexTag("", "NAME", "NAME", false, "");
    for (int i = 0;; ++i) {
      w.appendBlank();
      w.replace("NAME", "row" + std::to_string(i));
      w.replaceMemo("NOTES", std::string(200, 'a' + i % 26));
      w.commit();
      if (i == 300) {
        FILE* f = std::fopen((path + ".ready").c_str(), "w");
        std::fclose(f);
      }
    }
  }
  int status = 0;
  bool ended = false;
  while (!fs::exists(path + ".ready")) {
    if (waitpid(child, &status, WNOHANG) == child) {
      ended = true;
      break;
    }
    usleep(1000);
  }
  ASSERT_FALSE(ended) << "the writer stopped by itself";
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  ASSERT_TRUE(t.open(path)) << t.lastError();
  ASSERT_GT(t.recCount(), 300);
  // Every counted record reads back; the index was found stale and rebuilt.
  t.setOrder(t.tagArea("NAME"));
  long seen = 0;
  for (t.goTop(); !t.eof(); t.skip(1)) ++seen;
  EXPECT_EQ(seen, t.recCount());
  for (long n = 1; n < t.recCount(); ++n) {
    t.go(n);
    ASSERT_EQ(t.getTrimmed("NAME"), "row" + std::to_string(n - 1));
    ASSERT_EQ(t.getMemo("NOTES").size(), 200u) << n;
  }
}

TEST_F(TableTest, TheViewGivesRowsOfOrderAndQueryWithoutMoving) {
  for (int i = 0; i < 50; ++i) add("n" + std::to_string(100 + i), i % 7);
  ASSERT_TRUE(t.indexTag("", "AGE", "AGE", true, ""));
  ASSERT_TRUE(t.setQuery("AGE > 2"));
  long rows = t.viewCount();
  EXPECT_EQ(rows, t.queryRecCount());
  t.go(3);
  double previous = 1e9;
  for (long i = 0; i < rows; ++i) {
    auto r = t.record(t.viewRecNo(i));
    ASSERT_TRUE(r);
    EXPECT_LE(r->getNumber("AGE"), previous);
    EXPECT_GT(r->getNumber("AGE"), 2);
    previous = r->getNumber("AGE");
    EXPECT_EQ(t.viewPosition(r->recNo()), i);
  }
  EXPECT_EQ(t.recNo(), 3);
  auto generation = t.viewGeneration();
  ASSERT_TRUE(t.goViewPosition(rows - 1));
  t.replaceNumber("AGE", 0);
  t.commit();
  EXPECT_NE(t.viewGeneration(), generation);
  EXPECT_EQ(t.viewCount(), rows - 1);
}
