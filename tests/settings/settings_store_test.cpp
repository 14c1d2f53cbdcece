#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"

using namespace quillon::settings;
using quillon::test::TempDir;

TEST(SettingsStore, MissingFileGivesDefaultsAndAFirstRun) {
  TempDir dir;
  auto loaded = SettingsStore(dir.path()).load();
  EXPECT_TRUE(loaded.firstRun);
  EXPECT_EQ(loaded.values.comPort, 0);
  Settings expected;
  expected.comPort = 0;
  EXPECT_EQ(loaded.values, expected);
  EXPECT_EQ(loaded.values.printOnReceiptPrinter, "Default Windows Printer");
  EXPECT_EQ(loaded.values.fontName, "Arial");
  EXPECT_TRUE(loaded.values.hintsOn);
}

TEST(SettingsStore, OnlyComPortGivesTheDefaultsForEverythingElse) {
  TempDir dir;
  dir.write("QLN.INI", "[Modem]\r\nComPort=2\r\n");
  auto loaded = SettingsStore(dir.path()).load();
  const Settings& s = loaded.values;
  EXPECT_FALSE(loaded.firstRun);
  EXPECT_EQ(s.comPort, 2);  // COM3
  EXPECT_EQ(s.faxClass, 1);
  EXPECT_EQ(s.faxClassReceive, 1);
  EXPECT_EQ(s.maximumBps, 9600);
  EXPECT_EQ(s.maximumBpsReceive, 9600);
  EXPECT_FALSE(s.ecm);
  EXPECT_FALSE(s.ecmReceive);
  EXPECT_EQ(s.dialAttempts, 3);
  EXPECT_EQ(s.retryWait, 60);
  EXPECT_EQ(s.timeout, 60);
  EXPECT_EQ(s.answerOnRing, 1);
}

TEST(SettingsStore, ReceiveKeysDefaultToTheirSendingCounterparts) {
  auto doc = IniDocument::parse(
      "[Modem]\nComPort=1\nFaxClass=3\nMaximumBPS=14400\nInitString=ATM0\n"
      "[Dialing]\nECM=1\nDialAttempts=0x0A\nRetryWait=abc\n");
  auto s = readSettings(doc).values;
  EXPECT_EQ(s.faxClassReceive, 3);  // class 2.0 for receiving too
  EXPECT_EQ(s.maximumBpsReceive, 14400);
  EXPECT_EQ(s.initStringReceive, "ATM0");
  EXPECT_TRUE(s.ecmReceive);
  EXPECT_EQ(s.dialAttempts, 10);
  EXPECT_EQ(s.retryWait, 60);  // not an integer: the default
  doc = IniDocument::parse("[Modem]\nFaxClass=3\nFaxClassReceive=2\n");
  EXPECT_EQ(readSettings(doc).values.faxClassReceive, 2);
}

TEST(SettingsStore, SaveWritesEveryKeyAndReadsBack) {
  TempDir dir;
  SettingsStore store(dir.path());
  Settings s;
  s.comPort = 4;
  s.userName = "Fran\xe7oise";
  s.dialPrefix = "9,";
  s.hintsOn = false;
  s.fontSize = 12;
  store.save(s);
  auto doc = store.read();
  EXPECT_EQ(doc.value("Version", "Version"), "2.8i");
  EXPECT_EQ(doc.value("Hints", "On"), "0");
  EXPECT_EQ(doc.value("Modem", "InitStringReceive"), "");
  for (const auto& k : settingKeys()) EXPECT_TRUE(doc.value(k.section, k.key)) << k.section << "/" << k.key;
  auto loaded = store.load();
  EXPECT_FALSE(loaded.firstRun);
  EXPECT_EQ(loaded.values, s);
}

TEST(SettingsStore, SaveKeepsTheRestOfTheFileByteForByte) {
  TempDir dir;
  SettingsStore store(dir.path());
  store.save(Settings{});
  std::string before = "; my notes \xe9\r\n[Ports]\r\nCOM1=emulator\r\n\r\n" + dir.read("QLN.INI") +
                       "[Zzz]\r\nkeep=\xff\xfe\r\n";
  dir.write("QLN.INI", before);
  Settings changed;
  changed.dialSuffix = "#";
  store.save(changed);
  std::string after = dir.read("QLN.INI");
  std::string expected = before;
  expected.replace(expected.find("DialSuffix=") + 11, 0, "#");
  EXPECT_EQ(after, expected);
}

TEST(SettingsStore, PrintOptionsAndPlacementsLiveInTheirOwnSections) {
  TempDir dir;
  SettingsStore store(dir.path());
  EXPECT_EQ(store.loadPrintOptions(), (PrintOptions{false, true, true}));
  store.savePrintOptions({true, false, true});
  EXPECT_EQ(store.loadPrintOptions(), (PrintOptions{true, false, true}));

  std::string section = placementSection("TFaxViewer", 96);
  EXPECT_FALSE(store.loadPlacement(section, false).maximized);
  EXPECT_TRUE(store.loadPlacement(section, true).maximized);  // default: the current state
  store.savePlacement(section, {10, 20, 610, 420}, true);
  auto p = store.loadPlacement(section, false);
  EXPECT_EQ(p.rect, (Rect{10, 20, 610, 420}));
  EXPECT_TRUE(p.maximized);
  // Placements stored at 96 pixels per inch are not applied at 120.
  EXPECT_EQ(store.loadPlacement(placementSection("TFaxViewer", 120), false).rect, Rect{});
}

TEST(SettingsStore, FailedWriteNamesTheFileAndLosesNothing) {
  TempDir dir;
  SettingsStore store(dir.path() + "missing-folder/");
  try {
    store.save(Settings{});
    FAIL() << "expected an error";
  } catch (const quillon::platform::FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("missing-folder/QLN.INI"), std::string::npos) << e.what();
  }
  if (::geteuid() != 0) {
    dir.write("QLN.INI", "[User]\r\nName=precious\r\n");
    ::chmod(dir.file("QLN.INI").c_str(), 0200);  // exists but cannot be read
    EXPECT_THROW(SettingsStore(dir.path()).save(Settings{}), quillon::platform::FileWriteError);
    ::chmod(dir.file("QLN.INI").c_str(), 0600);
    EXPECT_EQ(dir.read("QLN.INI"), "[User]\r\nName=precious\r\n");
  }
}
