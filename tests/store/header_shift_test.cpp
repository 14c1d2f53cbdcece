// A header length that would shift every record is refused with the reason (nothing is
// re-indexed or rewritten); padding after the field list that another writer left is not.
#include <gtest/gtest.h>

#include <sstream>

#include "store/fax_store.h"
#include "store/table_tool.h"
#include "support/temp_dir.h"

using namespace quillon::store;
using quillon::test::TempDir;

namespace {

void makeSentTable(const TempDir& dir) {
  quillon::xbase::Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(store.appendSent({"Recipient " + std::to_string(i), "subject", "555", "{\\rtf1 c}", ""}));
    if (i % 2) ASSERT_TRUE(store.writeSendOutcome(2, "Sent", "555", {2024, 3, 1 + i}, "10:00"));
  }
}

void setHeaderLength(std::string& dbf, int length) {
  dbf[8] = static_cast<char>(length & 0xFF);
  dbf[9] = static_cast<char>(length >> 8);
}

}  // namespace

TEST(HeaderShift, AHeaderLengthThatShiftsEveryRecordIsRefusedWithTheReason) {
  const int fitting = 32 + 32 * 10 + 1;
  for (int shift : {1, 2, 13, 32, 100, -1}) {
    SCOPED_TRACE(shift);
    TempDir dir;
    makeSentTable(dir);
    std::string dbf = dir.read("QLN.DBF");
    setHeaderLength(dbf, fitting + shift);
    dir.write("QLN.DBF", dbf);
    std::string cdx = dir.read("QLN.CDX");

    quillon::xbase::Environment env;
    FaxStore store(dir.path(), env);
    EXPECT_FALSE(store.openFaxDBF());
    EXPECT_NE(store.faxTable().lastError().find("header length " + std::to_string(fitting + shift) +
                                                " does not fit its 10 fields (353 expected) and "
                                                "shifts every record"),
              std::string::npos)
        << store.faxTable().lastError();
    EXPECT_EQ(dir.read("QLN.DBF"), dbf);
    EXPECT_EQ(dir.read("QLN.CDX"), cdx);  // not re-indexed from shifted records

    std::ostringstream out, err;
    EXPECT_EQ(checkTableTool(dir.file("QLN.DBF"), out, err), 1);
    EXPECT_NE(err.str().find("shifts every record"), std::string::npos) << err.str();
  }
}

TEST(HeaderShift, PaddingAfterTheFieldListIsReadAsTheHeaderSays) {
  TempDir dir;
  makeSentTable(dir);
  std::string dbf = dir.read("QLN.DBF");
  const int fitting = 32 + 32 * 10 + 1;
  dbf.insert(fitting, 2, '\0');  // two bytes of padding a foreign writer left
  setHeaderLength(dbf, fitting + 2);
  dir.write("QLN.DBF", dbf);
  // and a copy whose end mark and count do not fill the file: its records still read right
  std::string loose = dbf + std::string(100, ' ');
  dir.write("LOOSE.DBF", loose);
  quillon::xbase::Environment looseEnv;
  Table looseTable(looseEnv);
  ASSERT_TRUE(looseTable.open(dir.file("LOOSE.DBF"))) << looseTable.lastError();
  quillon::xbase::Environment env;
  FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF()) << store.faxTable().lastError();
  Table& t = store.faxTable();
  EXPECT_EQ(t.queryRecCount(), 6);
  t.go(4);
  EXPECT_EQ(t.getTrimmed("RECIPIENT"), "Recipient 3");
  EXPECT_EQ(t.getDate("DATESENT"), (Date{2024, 3, 4}));
}
