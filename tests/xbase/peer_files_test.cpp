// Tables written by another xBase implementation (see tests/data/xbase/README.md).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"
#include "xbase/table.h"

using namespace quillon::xbase;
using quillon::test::TempDir;
namespace fs = std::filesystem;

TEST(PeerFiles, VisualFoxProAndFoxProTablesFromPythonDbfOpenAndGetAnIndex) {
  const char* data = std::getenv("QUILLON_TEST_DATA");
  ASSERT_NE(data, nullptr);
  for (const char* kind : {"vfp", "fp"}) {
    TempDir dir;
    for (const char* ext : {".dbf", ".fpt"})
      fs::copy_file(std::string(data) + "/xbase/peer_" + kind + ext, dir.file(std::string("p") + ext));
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(dir.file("p.dbf"))) << t.lastError();
    EXPECT_EQ(t.version(), std::string(kind) == "vfp" ? 0x30 : 0xF5);
    EXPECT_EQ(t.recCount(), 3);
    t.go(1);
    EXPECT_EQ(t.getTrimmed("NAME"), "Zo\xeb");
    EXPECT_EQ(t.getDate("BORN"), (Date{1990, 5, 6}));
    EXPECT_EQ(t.getNumber("AGE"), 34);
    EXPECT_TRUE(t.getLogical("OK"));
    EXPECT_EQ(t.getMemo("NOTES"), "memo one");
    t.go(2);
    EXPECT_TRUE(t.deleted());
    EXPECT_EQ(t.getMemo("NOTES").size(), 900u);
    ASSERT_TRUE(t.indexTag("", "NAME", "UPPER(NAME)", false, ".not. deleted()"));
    std::vector<long> order;
    for (t.goTop(); !t.eof(); t.skip(1)) order.push_back(t.recNo());
    EXPECT_EQ(order, (std::vector<long>{3, 1}));
    // Editing keeps the foreign format: a new memo in a 0x30 table is a binary pointer.
    t.go(3);
    ASSERT_TRUE(t.replaceMemo("NOTES", "added by quillon"));
    ASSERT_TRUE(t.commit());
    t.close();
    ASSERT_TRUE(t.open(dir.file("p.dbf")));
    t.go(3);
    EXPECT_EQ(t.getMemo("NOTES"), "added by quillon");
    EXPECT_TRUE(t.indexProblems().empty());
  }
}
