// quillon table: text typed on the command line and text printed are code page 1252 inside,
// UTF-8 at the terminal.
#include <gtest/gtest.h>

#include "store/fax_store.h"
#include "support/run_command.h"
#include "support/temp_dir.h"

using quillon::test::TempDir;

namespace {
const auto run = quillon::test::runQuillon;
}  // namespace

TEST(TableCommand, QueryMatchesNonAsciiTextTypedOnTheCommandLineAndDumpPrintsIt) {
  TempDir dir;
  {
    quillon::xbase::Environment env;
    quillon::store::FaxStore store(dir.path(), env);
    ASSERT_TRUE(store.openFaxDBF());
    ASSERT_TRUE(store.appendSent({"J\xfcrgen \x96 \x80", "\x93quoted\x94", "1", "", ""}));
    ASSERT_TRUE(store.appendSent({"Jurgen", "plain", "2", "", ""}));
  }
  std::string table = dir.file("QLN.DBF");
  // As a UTF-8 terminal types them: u with diaeresis, en dash, euro sign.
  auto query = run({"table", "query", table, "\"J\xc3\xbcrgen \xe2\x80\x93 \xe2\x82\xac\"$RECIPIENT"});
  EXPECT_EQ(query.status, 0) << query.err;
  EXPECT_EQ(query.out, "1\n");
  auto upper = run({"table", "query", table, "UPPER(RECIPIENT)=\"J\xc3\x9cRGEN\""});
  EXPECT_EQ(upper.out, "1\n");
  // A word that is not UTF-8 is taken as code page 1252 as it is.
  EXPECT_EQ(run({"table", "query", table, "\"J\xfcrgen\"$RECIPIENT"}).out, "1\n");

  auto dump = run({"table", "dump", table});
  EXPECT_NE(dump.out.find("RECIPIENT=J\xc3\xbcrgen \xe2\x80\x93 \xe2\x82\xac"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("SUBJECT=\xe2\x80\x9cquoted\xe2\x80\x9d"), std::string::npos);
  auto json = run({"table", "dump", table, "--json"});
  EXPECT_NE(json.out.find("\"SUBJECT\": \"\xe2\x80\x9cquoted\xe2\x80\x9d\""), std::string::npos);
}
