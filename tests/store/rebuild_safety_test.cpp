// The index rebuild and pack never lose a memo: a memo file they cannot read leaves the
// table as it is, and a pack stopped between its renames is finished at the next open.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "store/fax_store.h"
#include "store/table_tool.h"
#include "support/temp_dir.h"
#include "xbase/table_io.h"

using namespace quillon::store;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

// A sent table of two faxes, the second with a 3000-byte cover (the last memo in QLN.FPT),
// and a third fax flagged deleted so that a pack has work to do.
void makeSentTable(const TempDir& dir) {
  quillon::xbase::Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  ASSERT_TRUE(store.appendSent({"Ann", "first", "1", "{\\rtf1 ann}", "{\\rtf1 doc}"}));
  ASSERT_TRUE(store.appendSent({"Gone", "flagged", "3", "{\\rtf1 gone}", ""}));
  ASSERT_TRUE(store.deleteCurrent(TableKind::Sent));
  ASSERT_TRUE(store.appendSent({"Bob", "second", "2", std::string(3000, 'c'), ""}));
}

struct RebuildRun {
  int status;
  std::string out, err;
};

RebuildRun rebuild(const TempDir& dir) {
  std::ostringstream out, err;
  int status = rebuildTool(dir.path(), out, err);
  return {status, out.str(), err.str()};
}

std::string coverOf(const TempDir& dir, const std::string& recipient) {
  quillon::xbase::Environment env;
  FaxStore store(dir.path(), env);
  if (!store.openFaxDBF()) return "(cannot open)";
  Table& t = store.faxTable();
  for (t.goTop(); !t.eof(); t.skip(1))
    if (t.getTrimmed("RECIPIENT") == recipient) return t.getMemo("RTFCOVER");
  return "(no record)";
}

}  // namespace

TEST(RebuildSafety, MemoFileShortByOneByteLeavesTheTableAndSaysWhy) {
  TempDir dir;
  makeSentTable(dir);
  const std::string whole = dir.read("QLN.FPT");
  std::string fpt = whole.substr(0, whole.size() - 1);
  dir.write("QLN.FPT", fpt);
  std::string dbf = dir.read("QLN.DBF");

  RebuildRun run = rebuild(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("QLN.DBF: not packed"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("record 3 field RTFCOVER: memo at block"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("runs past the end of the memo file"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("Rebuilding COVER file indexes"), std::string::npos);  // went on
  EXPECT_EQ(dir.read("QLN.FPT"), fpt);
  EXPECT_EQ(dir.read("QLN.DBF").substr(32), dbf.substr(32));  // records untouched
  EXPECT_FALSE(fs::exists(dir.file("QLN.DBF.pack~")));
  EXPECT_FALSE(fs::exists(dir.file("QLN.FPT.pack~")));

  // The check names the memo it cannot read; the cover is still there once mended.
  std::ostringstream out, err;
  EXPECT_EQ(checkTableTool(dir.file("QLN.DBF"), out, err), 1);
  EXPECT_NE(out.str().find("record 3 field RTFCOVER: memo at block"), std::string::npos) << out.str();
  dir.write("QLN.FPT", whole);
  EXPECT_EQ(coverOf(dir, "Bob"), std::string(3000, 'c'));
}

TEST(RebuildSafety, DamagedBlockSizeOrMissingMemoFileNeverBlanksMemoPointers) {
  for (const char* damage : {"block size", "small block size", "missing"}) {
    SCOPED_TRACE(damage);
    TempDir dir;
    makeSentTable(dir);
    std::string fpt = dir.read("QLN.FPT");
    if (std::string(damage) == "missing") {
      fs::remove(dir.file("QLN.FPT"));
    } else {
      fpt[6] = std::string(damage) == "block size" ? '\x7f' : '\0';
      fpt[7] = std::string(damage) == "block size" ? '\x13' : '\x05';
      dir.write("QLN.FPT", fpt);
    }
    std::string records = dir.read("QLN.DBF").substr(32);
    RebuildRun run = rebuild(dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("QLN.DBF: not packed"), std::string::npos) << run.err;
    EXPECT_EQ(dir.read("QLN.DBF").substr(32), records);
    std::ostringstream out, err;
    EXPECT_EQ(checkTableTool(dir.file("QLN.DBF"), out, err), 1) << out.str();
  }
}

TEST(RebuildSafety, PackStoppedBetweenItsRenamesIsFinishedAtTheNextOpen) {
  // The packed files, made in a second folder from the same table.
  TempDir dir, packed;
  makeSentTable(dir);
  for (const char* name : {"QLN.DBF", "QLN.FPT"}) packed.write(name, dir.read(name));
  {
    quillon::xbase::Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(packed.file("QLN.DBF")));
    ASSERT_TRUE(t.pack());
  }
  // The state after the memo file's rename: old table, new memo file, marker, new table aside.
  dir.write("QLN.FPT", packed.read("QLN.FPT"));
  dir.write("QLN.DBF.pack~", packed.read("QLN.DBF"));
  dir.write("QLN.DBF.packed~", "QLN.FPT\n");

  std::ostringstream out, err;
  EXPECT_EQ(dumpTableTool(dir.file("QLN.DBF"), {}, out, err), 1);  // read-only: not finished
  EXPECT_NE(err.str().find("interrupted pack"), std::string::npos) << err.str();

  EXPECT_EQ(coverOf(dir, "Ann"), "{\\rtf1 ann}");
  EXPECT_EQ(coverOf(dir, "Bob"), std::string(3000, 'c'));
  EXPECT_FALSE(fs::exists(dir.file("QLN.DBF.packed~")));
  EXPECT_FALSE(fs::exists(dir.file("QLN.DBF.pack~")));
  EXPECT_EQ(dir.read("QLN.DBF"), packed.read("QLN.DBF"));
}

TEST(RebuildSafety, PackWithoutMarkerLeftoversKeepsTheOldFiles) {
  // Temporary files of a pack that never reached its marker are not used.
  TempDir dir;
  makeSentTable(dir);
  dir.write("QLN.DBF.pack~", "partial");
  dir.write("QLN.FPT.pack~", "partial");
  EXPECT_EQ(coverOf(dir, "Bob"), std::string(3000, 'c'));
  quillon::xbase::Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(dir.file("QLN.DBF")));
  ASSERT_TRUE(t.pack());
  EXPECT_EQ(t.recCount(), 2);
  EXPECT_FALSE(fs::exists(quillon::xbase::packMarkerPath(dir.file("QLN.DBF"))));
  t.go(2);
  EXPECT_EQ(t.getMemo("RTFCOVER"), std::string(3000, 'c'));
}
