// Data folder choice, whole-file I/O and Latin-1 conversion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/data_folder.h"
#include "platform/file_io.h"
#include "platform/json_text.h"
#include "platform/cp1252.h"
#include "support/temp_dir.h"

using namespace quillon::platform;
using quillon::test::TempDir;

TEST(DataFolder, OverrideWinsAndGetsATrailingSlash) {
  TempDir dir;
  std::string wanted = dir.path() + "data";
  auto choice = chooseDataFolder(wanted);
  EXPECT_EQ(choice.path, wanted + "/");
  EXPECT_TRUE(choice.notice.empty());
  EXPECT_TRUE(std::filesystem::is_directory(wanted));  // created when missing
}

TEST(DataFolder, EnvironmentVariableIsUsedWithoutOverride) {
  TempDir dir;
  ::setenv("QUILLON_DATA", dir.path().c_str(), 1);
  EXPECT_EQ(chooseDataFolder(std::nullopt).path, dir.path());
  ::unsetenv("QUILLON_DATA");
  EXPECT_EQ(chooseDataFolder(std::nullopt).path, executableFolder());
}

TEST(DataFolder, UnwritableFolderFallsBackWithANotice) {
  TempDir xdg;
  ::setenv("XDG_DATA_HOME", xdg.path().c_str(), 1);
  // Not even root can make a folder inside /proc.
  auto choice = chooseDataFolder(std::string("/proc/self/quillon-data"));
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(choice.path, xdg.path() + "quillon/");
  EXPECT_NE(choice.notice.find("cannot write"), std::string::npos);
}

TEST(FileIo, AtomicWriteReplacesContentKeepsModeAndFollowsLinks) {
  TempDir dir;
  dir.write("a.txt", "old");
  ::chmod(dir.file("a.txt").c_str(), 0600);
  std::filesystem::create_symlink(dir.file("a.txt"), dir.file("link.txt"));
  writeFileAtomically(dir.file("link.txt"), std::string("new\0bytes", 9));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
  EXPECT_EQ(*readWholeFile(dir.file("a.txt")), std::string("new\0bytes", 9));
  struct stat st{};
  ::stat(dir.file("a.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no temp left
}

TEST(FileIo, FailuresNameTheFileAndMissingFilesReadAsNothing) {
  TempDir dir;
  std::string error = "x";
  EXPECT_FALSE(readWholeFile(dir.file("missing"), &error));
  EXPECT_TRUE(error.empty());
  try {
    writeFileAtomically(dir.file("no/such/folder/f.ini"), "x");
    FAIL() << "expected a write error";
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("no/such/folder/f.ini"), std::string::npos);
  }
}

TEST(Cp1252, ConvertsBothWaysWithTheWindowsCharactersAt0x80To0x9F) {
  EXPECT_EQ(cp1252ToUtf8("Jos\xe9 \xff"), "Jos\xc3\xa9 \xc3\xbf");
  EXPECT_EQ(utf8ToCp1252("Jos\xc3\xa9 \xc3\xbf"), "Jos\xe9 \xff");
  // Euro sign, en dash, curly double quotes, S with caron, Y with diaeresis.
  EXPECT_EQ(cp1252ToUtf8("\x80\x96\x93\x94\x8a\x9f"),
            "\xe2\x82\xac\xe2\x80\x93\xe2\x80\x9c\xe2\x80\x9d\xc5\xa0\xc5\xb8");
  EXPECT_EQ(utf8ToCp1252("\xe2\x82\xac 5 \xe2\x80\x94 \xe2\x80\x98x\xe2\x80\x99"), "\x80 5 \x97 \x91x\x92");
  EXPECT_EQ(cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(unicodeToCp1252(U'\u2122'), 0x99);
  // Every byte round-trips, the five undefined positions as the control characters.
  for (int b = 0; b < 256; ++b) {
    std::string one(1, static_cast<char>(b));
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
  }
  EXPECT_EQ(cp1252ToUtf8("\x81\x9d"), "\xc2\x81\xc2\x9d");
  // What code page 1252 cannot hold, and malformed UTF-8, become '?'.
  EXPECT_EQ(utf8ToCp1252("\xc2\x80"), "?");           // U+0080: its byte is the euro sign
  EXPECT_EQ(utf8ToCp1252("\xe2\x82\xad \xf0\x9f\x98\x80"), "? ?");
  EXPECT_EQ(utf8ToCp1252("a\xc3"), "a?");             // cut sequence
  EXPECT_EQ(utf8ToCp1252("\x80z"), "?z");
  EXPECT_EQ(utf8ToCp1252("\xc0\xaf"), "??");          // overlong '/'
  EXPECT_TRUE(isValidUtf8("J\xc3\xbcrgen \xe2\x82\xac"));
  EXPECT_FALSE(isValidUtf8("J\xfcrgen"));
}

TEST(JsonText, QuotesEscapesAndConvertsToUtf8) {
  EXPECT_EQ(jsonString("Jos\xe9 \"J\" \\ \x01\n"), "\"Jos\xc3\xa9 \\\"J\\\" \\\\ \\u0001\\u000a\"");
  EXPECT_EQ(jsonString("\x80"), "\"\xe2\x82\xac\"");
}
