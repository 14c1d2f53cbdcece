#include "store/table_tool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "store/fax_store.h"
#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;

namespace {

struct Tool {
  std::ostringstream out, err;
};

}  // namespace

TEST(TableTool, DumpQueryCheckAndRebuild) {
  TempDir dir;
  {
    quillon::xbase::Environment env;
    FaxStore store(dir.path(), env);
    ASSERT_TRUE(store.openFaxDBF());
    store.appendSent({"Ann", "first", "1", "{\\rtf1 a}", ""});
    store.writeSendOutcome(1, "Sent", "1", {2024, 1, 1}, "10:00");
    store.appendSent({"Bob", "second", "2", "", ""});
    store.faxTable().go(2);
    store.deleteCurrent(TableKind::Sent);
  }
  std::string qln = dir.file("QLN.DBF");
  Tool dump;
  EXPECT_EQ(dumpTableTool(qln, {"DATESENT", false, false}, dump.out, dump.err), 0);
  EXPECT_NE(dump.out.str().find("tag DATESENT: key DTOS(DATESENT)+TIMESENT, for .not. deleted(), descending"),
            std::string::npos);
  EXPECT_NE(dump.out.str().find("#1 SUBJECT=first SENT=T DATESENT=2024-01-01"), std::string::npos);
  EXPECT_EQ(dump.out.str().find("#2"), std::string::npos);  // flagged, not asked for
  Tool all;
  EXPECT_EQ(dumpTableTool(qln, {"", true, true}, all.out, all.err), 0);
  EXPECT_NE(all.out.str().find("{\"recno\": 2, \"deleted\": true"), std::string::npos);
  EXPECT_NE(all.out.str().find("\"RTFCOVER\": \"{\\\\rtf1 a}\""), std::string::npos);
  Tool query;
  EXPECT_EQ(queryTableTool(qln, "EMPTY(DATESENT)", true, false, query.out, query.err), 0);
  EXPECT_EQ(query.out.str(), "2\n");
  Tool bad;
  EXPECT_EQ(queryTableTool(qln, "EMPTY(", false, false, bad.out, bad.err), 1);
  EXPECT_NE(bad.err.str().find("expression error"), std::string::npos);
  Tool check;
  EXPECT_EQ(checkTableTool(qln, check.out, check.err), 0) << check.out.str();
  // A memo pointer past the end of the memo file is a problem the check names.
  std::string bytes = dir.read("QLN.DBF");
  size_t record = bytes.size() - 1 - 2 * 247;  // record 1 (the file ends with 0x1A)
  bytes.replace(record + 1 + 50 + 1 + 8 + 5 + 35 + 25 + 2 + 100, 10, "  99999999");
  dir.write("QLN.DBF", bytes);
  Tool damaged;
  EXPECT_EQ(checkTableTool(qln, damaged.out, damaged.err), 1);
  EXPECT_NE(damaged.out.str().find("record 1 field RTFCOVER: memo pointer 99999999 past the end"),
            std::string::npos) << damaged.out.str();
  // The rebuild keeps the table (it cannot carry that memo over) and says so.
  Tool rebuild;
  EXPECT_EQ(rebuildTool(dir.path(), rebuild.out, rebuild.err), 1);
  EXPECT_NE(rebuild.err.str().find("QLN.DBF: not packed: cannot pack"), std::string::npos)
      << rebuild.err.str();
  EXPECT_NE(rebuild.out.str().find("Rebuilding COVER file indexes"), std::string::npos);
}
