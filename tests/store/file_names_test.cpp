// The four tables with their index and memo files are found whatever the case of their
// names (a data folder copied from another system), and nothing is created beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "store/fax_store.h"
#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

std::set<std::string> filesIn(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    if (entry.is_regular_file()) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace

TEST(StoreFileNames, LowerAndMixedCaseTablesAreOpenedNotCreatedAgain) {
  TempDir dir;
  {
    quillon::xbase::Environment env;
    FaxStore store(dir.path(), env);
    ASSERT_TRUE(store.openFaxDBF());
    ASSERT_TRUE(store.openRecFaxDBF());
    ASSERT_TRUE(store.openCoverDBF());
    ASSERT_TRUE(store.openPhoneDBF());
    ASSERT_TRUE(store.appendSent({"Ann", "report", "1", "{\\rtf1 cover}", "{\\rtf1 doc}"}));
    ASSERT_TRUE(store.appendReceived({{2024, 1, 2}, "10:00", "remote", 1, "FAX0001.APF"}));
  }
  // Lower case for the sent table, mixed case for the received one.
  for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
    std::string lower = ext;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    fs::rename(dir.file(std::string("QLN") + ext), dir.file("qln" + lower));
  }
  fs::rename(dir.file("QLNREC.DBF"), dir.file("QlnRec.Dbf"));
  fs::rename(dir.file("QLNREC.CDX"), dir.file("qlnrec.CDX"));
  fs::remove(dir.file(kScratchFile));  // left by the save, taken by the next load
  std::set<std::string> before = filesIn(dir);

  quillon::xbase::Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  ASSERT_TRUE(store.openRecFaxDBF());
  EXPECT_EQ(store.faxTable().queryRecCount(), 1);
  EXPECT_EQ(store.faxTable().getTrimmed("RECIPIENT"), "Ann");
  EXPECT_EQ(*store.loadRichText(store.faxTable(), "RTFDOC"), "{\\rtf1 doc}");
  EXPECT_TRUE(store.faxTable().indexProblems().empty());  // its own qln.cdx was read
  EXPECT_EQ(store.recTable().queryRecCount(), 1);
  EXPECT_EQ(store.recTable().getTrimmed("FROM"), "remote");
  EXPECT_EQ(store.tablePath(TableKind::Received), dir.file("QlnRec.Dbf"));
  EXPECT_EQ(filesIn(dir), before);

  // The rebuild works on those files too and keeps their names.
  ASSERT_TRUE(store.rebuildIndexes());
  EXPECT_EQ(filesIn(dir), before);
  EXPECT_EQ(*store.loadRichText(store.faxTable(), "RTFCOVER"), "{\\rtf1 cover}");
}
