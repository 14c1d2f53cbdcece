// Data folder choice, whole-file I/O and Latin-1 conversion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/data_folder.h"
#include "platform/file_io.h"
#include "platform/json_text.h"
#include "platform/latin1.h"
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

TEST(Latin1, ConvertsBothWaysAndReplacesWhatLatin1CannotHold) {
  EXPECT_EQ(latin1ToUtf8("Jos\xe9 \xff"), "Jos\xc3\xa9 \xc3\xbf");
  EXPECT_EQ(utf8ToLatin1("Jos\xc3\xa9 \xc3\xbf"), "Jos\xe9 \xff");
  EXPECT_EQ(utf8ToLatin1("\xe2\x82\xac"), "?");  // the euro sign is not in Latin-1
  EXPECT_EQ(utf8ToLatin1("a\xc3"), "a?");        // cut sequence
  EXPECT_EQ(utf8ToLatin1("\x80z"), "?z");
}

TEST(JsonText, QuotesEscapesAndConvertsToUtf8) {
  EXPECT_EQ(jsonString("Jos\xe9 \"J\" \\ \x01\n"), "\"Jos\xc3\xa9 \\\"J\\\" \\\\ \\u0001\\u000a\"");
}
