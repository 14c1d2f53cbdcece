// Damaged and foreign files: a clear error or a rebuild, never a crash or a hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "xbase/cdx_file.h"
#include "xbase/dbf_header.h"
#include "xbase/table.h"

using namespace quillon::xbase;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

std::string makeTable(const TempDir& dir, int records) {
  std::string path = dir.file("T.DBF");
  Environment env;
  EXPECT_TRUE(Table::create(path, {{"NAME", 'C', 10, 0}, {"MEMO", 'M', 10, 0}}));
  Table t(env);
  EXPECT_TRUE(t.open(path));
  for (int i = 0; i < records; ++i) {
    t.appendBlank();
    t.replace("NAME", "r" + std::to_string(i));
    t.replaceMemo("MEMO", "memo " + std::to_string(i));
  }
  t.indexTag("", "NAME", "NAME", false, ".not. deleted()");
  return path;
}

void setByte(const std::string& path, size_t at, unsigned char value) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.put(static_cast<char>(value));
}

}  // namespace

TEST(BadInput, DamagedHeadersAreRefusedWithAReason) {
  TempDir dir;
  std::string path = makeTable(dir, 3);
  std::string good = dir.read("T.DBF");
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"truncated header", good.substr(0, 40)},
      {"unknown version", std::string(1, '\x07') + good.substr(1)},
      {"header length beyond the file", [&] { auto b = good; b[8] = '\xff'; b[9] = '\x7f'; return b; }()},
      {"record length that does not match", [&] { auto b = good; b[10] = 3; b[11] = 0; return b; }()},
      {"field width 0", [&] { auto b = good; b[32 + 16] = 0; return b; }()},
  };
  for (const auto& c : cases) {
    dir.write("T.DBF", c.bytes);
    Environment env;
    Table t(env);
    EXPECT_FALSE(t.open(path)) << c.what;
    EXPECT_FALSE(t.lastError().empty()) << c.what;
  }
}

TEST(BadInput, RecordCountsThatLieAndMemoPointersPastTheEnd) {
  TempDir dir;
  std::string path = makeTable(dir, 3);
  setByte(path, 4, 200);  // claims 200 records
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(path));
  EXPECT_EQ(t.recCount(), 3);
  t.go(2);
  ASSERT_TRUE(t.replace("MEMO", "x"));
  ASSERT_TRUE(t.commit());
  // Point record 1's memo far past the end of the memo file.
  std::string bytes = t.getRecord();
  t.go(1);
  std::string rec = t.getRecord();
  rec.replace(11, 10, "  99999999");
  ASSERT_TRUE(t.putRecord(rec));
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(t.getMemo("MEMO"), "");
  EXPECT_FALSE(t.memoToFile("MEMO", dir.file("out")));
  EXPECT_NE(t.lastError().find("past the end"), std::string::npos);
  // A field 255 wide reads (older writers allowed it).
  DbfHeader h = makeDbfHeader({{"WIDE", 'C', 255, 0}});
  h.recordCount = 1;
  dir.write("W.DBF", serializeDbfHeader(h) + " " + std::string(255, '\xfe') + "\x1a");
  Table w(env);
  ASSERT_TRUE(w.open(dir.file("W.DBF"))) << w.lastError();
  w.go(1);
  EXPECT_EQ(w.getString("WIDE"), std::string(255, '\xfe'));
  EXPECT_TRUE(w.evalLogical("UPPER(WIDE) = WIDE .or. .t."));
}

TEST(BadInput, AGarbageOrTruncatedIndexIsRebuiltFromTheTable) {
  TempDir dir;
  std::string path = makeTable(dir, 40);
  std::string good = dir.read("T.CDX");
  for (std::string bad : {std::string("garbage"), good.substr(0, good.size() / 2 + 100),
                          std::string(good.size(), '\xff'), [&] {
                            auto b = good;
                            b[1024 + 512 + 2] = '\x7f';  // a key count that cannot fit
                            return b;
                          }()}) {
    dir.write("T.CDX", bad);
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(path)) << t.lastError();
    EXPECT_FALSE(t.indexProblems().empty());
    // The table itself is fine; the store makes its tag again.
    ASSERT_TRUE(t.indexTag("", "NAME", "NAME", false, ".not. deleted()"));
    t.goTop();
    EXPECT_EQ(t.getTrimmed("NAME"), "r0");
  }
  // A tag whose expression this engine does not know is dropped, the others are kept.
  Environment env;
  {
    Table t(env);
    ASSERT_TRUE(t.open(path));
    ASSERT_TRUE(t.indexTag("", "OTHER", "NAME", true, ""));
  }
  std::string bytes = dir.read("T.CDX");
  auto at = bytes.rfind(std::string("NAME\0", 5));
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, 4, "NAMX");
  dir.write("T.CDX", bytes);
  Table t(env);
  ASSERT_TRUE(t.open(path));
  EXPECT_EQ(t.tags().size(), 1u);
  EXPECT_EQ(t.indexProblems().size(), 1u);
}

TEST(BadInput, CdxRoundTripsManyKeysAcrossLevels) {
  CdxTag tag;
  tag.name = "K";
  tag.keyExpr = "NAME";
  tag.forExpr = ".not. deleted()";
  tag.descending = true;
  tag.keyLength = 30;
  for (std::uint32_t i = 1; i <= 20000; ++i) {
    std::string key = "key" + std::to_string(i * 7919 % 100003);
    key.resize(30, ' ');
    tag.keys.push_back({key, i});
  }
  std::sort(tag.keys.begin(), tag.keys.end(), [](const CdxKey& a, const CdxKey& b) {
    return a.key != b.key ? a.key < b.key : a.recNo < b.recNo;
  });
  CdxTag date = tag;
  date.name = "D";
  date.characterKey = false;
  date.keyLength = 8;
  date.keys.resize(3);
  for (std::uint32_t i = 0; i < 3; ++i) date.keys[i] = {std::string(7, 'A') + std::string(1, '\0'), i + 1};
  std::string error;
  auto back = readCdx(writeCdx({tag, date}), &error);
  ASSERT_TRUE(back) << error;
  ASSERT_EQ(back->size(), 2u);
  const CdxTag& k = (*back)[1].name == "K" ? (*back)[1] : (*back)[0];
  EXPECT_EQ(k.keyExpr, "NAME");
  EXPECT_EQ(k.forExpr, ".not. deleted()");
  EXPECT_TRUE(k.descending);
  ASSERT_EQ(k.keys.size(), tag.keys.size());
  for (size_t i = 0; i < k.keys.size(); ++i) {
    ASSERT_EQ(k.keys[i].key, tag.keys[i].key) << i;
    ASSERT_EQ(k.keys[i].recNo, tag.keys[i].recNo) << i;
  }
}
