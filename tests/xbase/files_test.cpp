// Memo contents to and from files, read-only use, and damaged or lying memo files: a clear
// error and the rest of the table still usable.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"
#include "xbase/dbf_header.h"
#include "xbase/memo_file.h"
#include "xbase/table.h"

using namespace quillon::xbase;
using quillon::test::TempDir;
namespace fs = std::filesystem;

namespace {

const std::vector<FieldDef> kCovers = {{"DESCRIPT", 'C', 35, 0}, {"COVER", 'M', 10, 0}};

std::string makeCovers(const TempDir& dir, const std::vector<std::string>& memos) {
  std::string path = dir.file("COVERS.DBF");
  EXPECT_TRUE(Table::create(path, kCovers));
  Environment env;
  Table t(env);
  EXPECT_TRUE(t.open(path));
  int i = 0;
  for (const auto& m : memos) {
    EXPECT_TRUE(t.appendBlank());
    EXPECT_TRUE(t.replace("DESCRIPT", "cover " + std::to_string(i++)));
    EXPECT_TRUE(t.replaceMemo("COVER", m));
  }
  EXPECT_TRUE(t.indexTag("", "DESCRIPT", "DESCRIPT", false, ".not. deleted()"));
  return path;
}

void putBe32(const std::string& file, size_t at, std::uint32_t v) {
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  for (int i = 0; i < 4; ++i) f.put(static_cast<char>(v >> (24 - 8 * i)));
}

}  // namespace

TEST(TableFiles, MemoToFileAndFileToMemo) {
  TempDir dir;
  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  std::string path = makeCovers(dir, {"{\\rtf1 one}", "", binary});
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(path));
  // Each memo exactly, an empty memo as an empty file that replaces an old one.
  t.go(3);
  ASSERT_TRUE(t.memoToFile("cover", dir.file("out.rtf")));
  EXPECT_EQ(dir.read("out.rtf"), binary);
  t.go(2);
  ASSERT_TRUE(t.memoToFile("COVER", dir.file("out.rtf")));
  EXPECT_TRUE(fs::exists(dir.file("out.rtf")));
  EXPECT_EQ(fs::file_size(dir.file("out.rtf")), 0u);
  // Failures are reported, not taken for success.
  EXPECT_FALSE(t.memoToFile("DESCRIPT", dir.file("x")));
  EXPECT_FALSE(t.memoToFile("NOSUCH", dir.file("x")));
  EXPECT_FALSE(t.memoToFile("COVER", dir.file("no/such/folder/x")));
  EXPECT_FALSE(t.lastError().empty());
  t.go(1);
  EXPECT_FALSE(t.fileToMemo("COVER", dir.file("missing.rtf")));
  EXPECT_FALSE(t.lastError().empty());
  EXPECT_EQ(t.getMemo("COVER"), "{\\rtf1 one}");  // left as it was
  // File to memo posts a pending edit of the same record with it.
  ASSERT_TRUE(t.replace("DESCRIPT", "renamed"));
  dir.write("in.rtf", "{\\rtf1 replaced}");
  ASSERT_TRUE(t.fileToMemo("COVER", dir.file("in.rtf")));
  dir.write("empty.rtf", "");
  t.go(3);
  ASSERT_TRUE(t.fileToMemo("COVER", dir.file("empty.rtf")));
  // With no current record nothing is written anywhere.
  t.goBottom();
  t.skip(1);
  ASSERT_TRUE(t.eof());
  EXPECT_FALSE(t.memoToFile("COVER", dir.file("eof.rtf")));
  EXPECT_FALSE(fs::exists(dir.file("eof.rtf")));
  EXPECT_FALSE(t.fileToMemo("COVER", dir.file("in.rtf")));
  t.close();
  ASSERT_TRUE(t.open(path));
  t.go(1);
  EXPECT_EQ(t.getTrimmed("DESCRIPT"), "renamed");
  EXPECT_EQ(t.getMemo("COVER"), "{\\rtf1 replaced}");
  t.go(3);
  EXPECT_EQ(t.getMemo("COVER"), "");
  EXPECT_EQ(t.getString("COVER"), std::string(10, ' '));  // no block for an empty memo
}

TEST(TableFiles, ReadOnlyOpenWritesNothingEvenToRepairTheIndex) {
  TempDir dir;
  std::string path = makeCovers(dir, {"a", "b"});
  dir.write("COVERS.CDX", "garbage");
  auto dbfBefore = dir.read("COVERS.DBF");
  Environment env;
  {
    Table t(env);
    ASSERT_TRUE(t.open(path, OpenMode::ReadOnly)) << t.lastError();
    EXPECT_FALSE(t.indexProblems().empty());
    t.go(1);
    EXPECT_EQ(t.getMemo("COVER"), "a");
    EXPECT_FALSE(t.replace("DESCRIPT", "x"));
    EXPECT_FALSE(t.replaceMemo("COVER", "x"));
    EXPECT_FALSE(t.appendBlank());
    EXPECT_FALSE(t.deleteRecord());
    EXPECT_FALSE(t.pack());
    EXPECT_FALSE(t.indexTag("", "X", "DESCRIPT", false, ""));
    // Two readers at once are fine; a writer is kept out meanwhile.
    Table reader(env), writer(env);
    EXPECT_TRUE(reader.open(path, OpenMode::ReadOnly));
    EXPECT_FALSE(writer.open(path));
  }
  EXPECT_EQ(dir.read("COVERS.CDX"), "garbage");
  EXPECT_EQ(dir.read("COVERS.DBF"), dbfBefore);
  // Opened for writing, the problem is reported and the next tag replaces the file.
  Table t(env);
  ASSERT_TRUE(t.open(path));
  EXPECT_FALSE(t.indexProblems().empty());
  ASSERT_TRUE(t.indexTag("", "DESCRIPT", "DESCRIPT", true, ""));
  t.close();
  ASSERT_TRUE(t.open(path));
  EXPECT_TRUE(t.indexProblems().empty());
  EXPECT_EQ(t.tags().size(), 1u);
}

TEST(TableFiles, DamagedMemoFilesGiveClearErrorsAndTheRestStillWorks) {
  TempDir dir;
  std::string path = makeCovers(dir, {"first memo", "second memo", std::string(1000, 'z')});
  std::string fpt = dir.file("COVERS.FPT");
  {
    // A memo whose length runs past the end of the file (a cut-off memo file).
    fs::resize_file(fpt, fs::file_size(fpt) - 500);
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(path)) << t.lastError();
    t.go(3);
    EXPECT_EQ(t.getMemo("COVER"), "");
    EXPECT_FALSE(t.memoToFile("COVER", dir.file("out")));
    EXPECT_NE(t.lastError().find("past the end"), std::string::npos) << t.lastError();
    t.go(1);
    EXPECT_EQ(t.getMemo("COVER"), "first memo");
    // A memo length that claims gigabytes.
    putBe32(fpt, 512 + 4, 0xFFFFFFF0u);
    t.close();
    ASSERT_TRUE(t.open(path));
    t.go(1);
    EXPECT_FALSE(t.memoToFile("COVER", dir.file("out")));
    t.go(2);
    EXPECT_EQ(t.getMemo("COVER"), "second memo");
    // New memos still go after the end of what is there.
    ASSERT_TRUE(t.replaceMemo("COVER", "rewritten"));
    ASSERT_TRUE(t.commit());
    // Pack never drops a memo it cannot read: it refuses, names it, and changes nothing.
    std::string before = dir.read("COVERS.FPT");
    EXPECT_FALSE(t.pack());
    EXPECT_NE(t.lastError().find("record 1 field COVER: memo at block"), std::string::npos)
        << t.lastError();
    EXPECT_EQ(dir.read("COVERS.FPT"), before);
    EXPECT_EQ(t.recCount(), 3);
    t.go(2);
    EXPECT_EQ(t.getMemo("COVER"), "rewritten");
    // Once the damaged memos are replaced, the pack goes through and keeps the good ones.
    t.go(1);
    ASSERT_TRUE(t.replaceMemo("COVER", "first again"));
    t.go(3);
    ASSERT_TRUE(t.replaceMemo("COVER", ""));
    ASSERT_TRUE(t.pack()) << t.lastError();
    t.go(2);
    EXPECT_EQ(t.getMemo("COVER"), "rewritten");
    t.go(1);
    EXPECT_EQ(t.getMemo("COVER"), "first again");
    ASSERT_TRUE(t.memoToFile("COVER", dir.file("out")));
  }
  {
    // A memo pointer into the memo file's header, or one that is not a number.
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(path));
    t.go(2);
    std::string rec = t.getRecord();
    rec.replace(36, 10, "         1");
    ASSERT_TRUE(t.putRecord(rec));
    EXPECT_FALSE(t.memoToFile("COVER", dir.file("out")));
    rec.replace(36, 10, "  12ab    ");
    ASSERT_TRUE(t.putRecord(rec));
    EXPECT_EQ(t.getMemo("COVER"), "");
    ASSERT_TRUE(t.commit());
  }
  {
    // A memo file cut inside its own header, and a missing memo file: the table opens, its
    // memos read empty, the problem is reported.
    fs::resize_file(fpt, 4);
    Environment env;
    Table t(env);
    ASSERT_TRUE(t.open(path)) << t.lastError();
    EXPECT_FALSE(t.indexProblems().empty());
    t.go(2);
    EXPECT_EQ(t.getMemo("COVER"), "");
    EXPECT_FALSE(t.replaceMemo("COVER", "x"));  // never overwrites what may be recoverable
    EXPECT_EQ(fs::file_size(fpt), 4u);
    t.close();
    fs::remove(fpt);
    ASSERT_TRUE(t.open(path)) << t.lastError();
    t.go(2);
    EXPECT_EQ(t.getTrimmed("DESCRIPT"), "cover 1");
    ASSERT_TRUE(t.replaceMemo("COVER", "fresh"));  // a new memo file is made
    ASSERT_TRUE(t.commit());
    EXPECT_EQ(t.getMemo("COVER"), "fresh");
  }
}

TEST(TableFiles, FieldWidthsAtTheLimitsAndRecordCountsThatLie) {
  TempDir dir;
  // Widths 1 and 254 are created; 0 and 255 are refused when creating.
  std::string error;
  EXPECT_TRUE(Table::create(dir.file("W.DBF"), {{"A", 'C', 1, 0}, {"B", 'C', 254, 0}, {"N", 'N', 20, 0}}, &error)) << error;
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {{"A", 'C', 0, 0}}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {{"A", 'C', 255, 0}}, &error));
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {{"A", 'N', 21, 0}}, &error));
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {{"A", 'C', 5, 0}, {"a", 'C', 5, 0}}, &error));
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {{"TOOLONGNAME", 'C', 5, 0}}, &error));
  EXPECT_FALSE(Table::create(dir.file("X.DBF"), {}, &error));
  EXPECT_FALSE(fs::exists(dir.file("X.DBF")));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(dir.file("W.DBF")));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replace("B", std::string(254, 'a' + i)));
    ASSERT_TRUE(t.replaceNumber("N", -1234567890123456789.0 / (i + 1)));
  }
  t.close();
  // A count that claims fewer records than present: only those are counted.
  std::string bytes = dir.read("W.DBF");
  bytes[4] = 2;
  dir.write("W.DBF", bytes);
  ASSERT_TRUE(t.open(dir.file("W.DBF")));
  EXPECT_EQ(t.recCount(), 2);
  // A file cut in the middle of the last record: the whole records present are read, and
  // an append goes after them.
  t.close();
  bytes = dir.read("W.DBF");
  bytes[4] = 3;
  dir.write("W.DBF", bytes.substr(0, bytes.size() - 100));
  ASSERT_TRUE(t.open(dir.file("W.DBF"))) << t.lastError();
  EXPECT_EQ(t.recCount(), 2);
  t.go(2);
  EXPECT_EQ(t.getString("B"), std::string(254, 'b'));
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replace("A", "z"));
  t.close();
  ASSERT_TRUE(t.open(dir.file("W.DBF")));
  EXPECT_EQ(t.recCount(), 3);
  t.go(3);
  EXPECT_EQ(t.getString("A"), "z");
  EXPECT_EQ(t.getString("B"), std::string(254, ' '));
}

TEST(TableFiles, AnExpressionIsNeverRunAgainstAnotherTablesFields) {
  TempDir dir;
  ASSERT_TRUE(Table::create(dir.file("A.DBF"), {{"X", 'C', 5, 0}, {"Y", 'C', 5, 0}, {"Z", 'N', 3, 0}}));
  ASSERT_TRUE(Table::create(dir.file("B.DBF"), {{"Q", 'D', 8, 0}}));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(dir.file("A.DBF")));
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replaceNumber("Z", 5));
  EXPECT_TRUE(t.evalLogical("Z = 5"));
  // The same object opens another table: the same text must be parsed against its fields.
  ASSERT_TRUE(t.open(dir.file("B.DBF")));
  ASSERT_TRUE(t.appendBlank());
  EXPECT_FALSE(t.evalLogical("Z = 5"));
  EXPECT_NE(t.lastError().find("unknown field"), std::string::npos) << t.lastError();
  // And after a failure the next good expression works again.
  EXPECT_TRUE(t.evalLogical("EMPTY(Q)"));
  EXPECT_TRUE(t.lastError().empty());
}

TEST(TableFiles, NewMemosNeverGoOverBlocksThatARecordMayStillPointTo) {
  TempDir dir;
  std::string path = makeCovers(dir, {"first", std::string(200, 's'), "third"});
  std::string fpt = dir.file("COVERS.FPT");
  // A next-free pointer left behind the data (a crash, another program): the memos after
  // it must survive new writes.
  putBe32(fpt, 0, 8);
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(path));
  t.go(1);
  std::string oldPointer = t.getString("COVER");
  ASSERT_TRUE(t.replaceMemo("COVER", std::string(500, 'n')));
  // Before the commit the record on disk still points at the old memo, which is intact.
  {
    MemoFile memo;
    std::string error;
    ASSERT_TRUE(memo.open(fpt, &error)) << error;
    auto block = std::stoul(oldPointer);
    EXPECT_EQ(memo.read(static_cast<std::uint32_t>(block), &error), "first");
  }
  ASSERT_TRUE(t.commit());
  ASSERT_TRUE(t.appendBlank());
  ASSERT_TRUE(t.replaceMemo("COVER", "fourth"));
  t.close();
  ASSERT_TRUE(t.open(path));
  std::vector<std::string> want = {std::string(500, 'n'), std::string(200, 's'), "third", "fourth"};
  for (long r = 1; r <= 4; ++r) {
    t.go(r);
    EXPECT_EQ(t.getMemo("COVER"), want[r - 1]) << r;
  }
}

TEST(TableFiles, MemoFilesWithOtherBlockSizes) {
  TempDir dir;
  std::string path = makeCovers(dir, {});
  // An empty memo file with 512-byte blocks, as other programs make them.
  dir.write("COVERS.FPT", MemoFile::emptyFileBytes(512));
  Environment env;
  Table t(env);
  ASSERT_TRUE(t.open(path));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(t.appendBlank());
    ASSERT_TRUE(t.replaceMemo("COVER", std::string(100 + 600 * i, static_cast<char>('a' + i))));
  }
  ASSERT_TRUE(t.commit());
  EXPECT_EQ(fs::file_size(dir.file("COVERS.FPT")), 512u * (1 + 1 + 2 + 3));
  t.go(2);
  ASSERT_TRUE(t.deleteRecord());
  ASSERT_TRUE(t.pack());
  // The packed file keeps the block size.
  EXPECT_EQ(fs::file_size(dir.file("COVERS.FPT")), 512u * (1 + 1 + 3));
  t.go(2);
  EXPECT_EQ(t.getMemo("COVER"), std::string(1300, 'c'));
  // A block size that cannot be real is refused; the table still opens.
  t.close();
  std::string bytes = MemoFile::emptyFileBytes(64);
  bytes[6] = 0;
  bytes[7] = 7;
  dir.write("COVERS.FPT", bytes);
  ASSERT_TRUE(t.open(path));
  EXPECT_FALSE(t.indexProblems().empty());
  t.go(1);
  EXPECT_EQ(t.getMemo("COVER"), "");
}
