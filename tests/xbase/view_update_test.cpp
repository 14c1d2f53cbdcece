// The view kept up to date in place: after every kind of single-record change (key edits,
// delete flags, recalls, appends, query results) it holds exactly the rows a fresh build
// gives, in every order; and an edit-and-skip walk never builds it whole again.
#include <gtest/gtest.h>

#include <random>

#include "support/temp_dir.h"
#include "xbase/table.h"

using namespace quillon::xbase;
using quillon::test::TempDir;

namespace {

class ViewUpdate : public ::testing::Test {
 protected:
  TempDir dir;
  Environment env;
  Table t{env};

  void SetUp() override {
    std::string path = dir.file("LIST.DBF"), error;
    ASSERT_TRUE(Table::create(path, {{"NAME", 'C', 10, 0}, {"DAY", 'D', 8, 0}, {"NOTE", 'C', 20, 0}},
                              &error)) << error;
    ASSERT_TRUE(t.open(path));
    for (int i = 0; i < 120; ++i) append(i);
    ASSERT_TRUE(t.indexTag("", "NAME", "UPPER(NAME)", false, ".not. deleted()"));
    ASSERT_TRUE(t.indexTag("", "DAY", "DTOS(DAY)", true, ".not. EMPTY(DAY)"));
  }
  void append(int i) {
    ASSERT_TRUE(t.appendBlank());
    t.replace("NAME", "n" + std::to_string(i * 37 % 50));
    if (i % 7) t.replaceDate("DAY", Date{2020, 1 + i % 12, 1 + i % 28});
    ASSERT_TRUE(t.commit());
  }
  std::vector<long> rows() {
    std::vector<long> out;
    for (long i = 0; i < t.viewCount(); ++i) out.push_back(t.viewRecNo(i));
    return out;
  }
  // The rows as a build from scratch gives them (the order set again forces one).
  std::vector<long> rebuiltRows() {
    int order = t.indexOrd();
    t.setOrder(order == 0 ? 1 : 0);
    t.setOrder(order);
    return rows();
  }
};

}  // namespace

TEST_F(ViewUpdate, EverySingleRecordChangeGivesTheRowsAFreshBuildGives) {
  std::mt19937 random(7);
  ASSERT_TRUE(t.setQuery(".not. 'x'$NOTE"));
  for (int step = 0; step < 600; ++step) {
    SCOPED_TRACE(step);
    if (step % 150 == 0) t.setOrder(static_cast<int>(step / 150 % 3));
    if (step % 200 == 100) env.setDeleted(!env.deleted());
    long n = 1 + static_cast<long>(random() % t.recCount());
    ASSERT_TRUE(t.go(n));
    switch (random() % 6) {
      case 0: t.replace("NAME", "m" + std::to_string(random() % 60)); break;
      case 1: t.replaceDate("DAY", random() % 3 ? Date{2021, 1 + int(random() % 12), 5} : Date{}); break;
      case 2: t.deleteRecord(); break;
      case 3: t.recall(); break;
      case 4: t.replace("NOTE", random() % 2 ? "x" : "fine"); break;  // leaves or joins the query
      case 5: append(step); break;
    }
    ASSERT_TRUE(t.commit());
    std::vector<long> now = rows();
    // Positions agree with the rows, and the record just changed is found where it stands.
    for (size_t i = 0; i < now.size(); ++i) ASSERT_EQ(t.viewPosition(now[i]), static_cast<long>(i));
    ASSERT_EQ(now, rebuiltRows()) << "order " << t.indexOrd();
  }
}

TEST_F(ViewUpdate, EditAndSkipWalkKeepsTheViewAndVisitsEveryRowOnce) {
  for (int order : {0, 1, 2}) {
    SCOPED_TRACE(order);
    t.setOrder(order);
    std::vector<long> expected = rows();
    std::uint64_t builds = t.viewBuilds();
    std::vector<long> visited;
    for (t.goTop(); !t.eof(); t.skip(1)) {
      visited.push_back(t.recNo());
      ASSERT_TRUE(t.replace("NOTE", "walked"));  // committed by the skip
    }
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(t.viewBuilds(), builds);
  }
}
