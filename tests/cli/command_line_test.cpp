#include <gtest/gtest.h>

#include <sstream>

#include "support/run_command.h"
#include "support/temp_dir.h"

using quillon::test::TempDir;

namespace {
const auto run = quillon::test::runQuillon;
}  // namespace

TEST(CommandLine, VersionHelpAndUnknownCommands) {
  EXPECT_EQ(run({"--version"}).out, "Quillon 2.8i\n");
  auto help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("settings [--data-dir DIR] [--json]"), std::string::npos);
  auto bad = run({"frobnicate"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("unknown command"), std::string::npos);
  EXPECT_EQ(run({"--data-dir"}).status, 2);
}

TEST(CommandLine, SettingsPrintsEffectiveValuesAsTextAndJson) {
  TempDir dir;
  dir.write("QLN.INI", "[Modem]\r\nComPort=2\r\nFaxClass=3\r\n[User]\r\nName=Jos\xe9 \"J\"\r\n");
  auto text = run({"settings", "--data-dir", dir.path()});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("[Modem]\nComPort=2\nFaxClass=3\n"), std::string::npos);
  EXPECT_NE(text.out.find("FaxClassReceive=3\n"), std::string::npos);
  EXPECT_NE(text.out.find("[Printing]\nMultiPage=0\nHeader=1\nFooter=1\n"), std::string::npos);

  auto json = run({"--data-dir=" + dir.path(), "settings", "--json"});
  EXPECT_EQ(json.status, 0);
  EXPECT_NE(json.out.find("\"ComPort\": 2"), std::string::npos);
  EXPECT_NE(json.out.find("\"Name\": \"Jos\xc3\xa9 \\\"J\\\"\""), std::string::npos);  // UTF-8, escaped
  EXPECT_NE(json.out.find("\"On\": true"), std::string::npos);
  EXPECT_NE(json.out.find("\"Version\": {\n    \"Version\": \"2.8i\"\n  }"), std::string::npos);
  EXPECT_EQ(dir.read("QLN.INI").find("Version"), std::string::npos);  // printing never writes
}
