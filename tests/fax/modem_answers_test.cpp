// The texts the engine sends and the readers of what the modem answers, on the lines real
// Class 2 and 2.0 modems write (odd spacing, quotes, short reports, noise).
#include <gtest/gtest.h>

#include <filesystem>

#include "fax/fax_log.h"
#include "fax/fax_naming.h"
#include "fax/header_tags.h"
#include "fax/modem_strings.h"
#include "fax/response_reader.h"
#include "support/temp_dir.h"

using namespace quillon::fax;

namespace {

std::vector<std::string> readAll(const std::string& bytes) {
  ResponseReader r;
  std::vector<std::string> lines;
  for (char c : bytes) {
    if (r.feed(static_cast<std::uint8_t>(c)) == ResponseReader::Item::line) {
      lines.push_back(r.line());
      r.clear();
    }
  }
  return lines;
}

TEST(ResponseReader, LinesAreTrimmedControlBytesDroppedAndEmptyLinesSkipped) {
  EXPECT_EQ(readAll("\r\n\r\n  OK  \r\n\x11+FCON\r\n"), (std::vector<std::string>{"OK", "+FCON"}));
  // A long line keeps its last characters, so an answer after line noise is still read.
  std::string noisy(300, '#');
  std::vector<std::string> lines = readAll(noisy + "OK\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_LE(lines[0].size(), 129u);
  EXPECT_TRUE(isOk(lines[0]));
}

TEST(ResponseReader, AFrameEndsAtDleEtxEvenWithCrLfInside) {
  ResponseReader r;
  std::string frame = "\xff\x13\r\n\x10\x03";
  ResponseReader::Item last = ResponseReader::Item::none;
  for (char c : frame) last = r.feed(static_cast<std::uint8_t>(c));
  EXPECT_EQ(last, ResponseReader::Item::frame);
  EXPECT_EQ(r.raw(), frame);
}

TEST(ModemStrings, CommandTablesOfBothClasses) {
  CommandTable c2 = CommandTable::For(fcClass2), c20 = CommandTable::For(fcClass2_0);
  EXPECT_EQ(c2[ceClass], "AT+FCLASS=2");
  EXPECT_EQ(c2[ceLocalId], "AT+FLID");
  EXPECT_EQ(c2[ceConnect], "+FCON");
  EXPECT_EQ(c2[cePageStatus], "+FPTS");
  EXPECT_EQ(c2.hangupName, "FHNG");
  EXPECT_EQ(c20[ceClass], "AT+FCLASS=2.0");
  EXPECT_EQ(c20[ceSessionParams], "AT+FIS");
  EXPECT_EQ(c20[ceConnect], "+FCO");
  EXPECT_EQ(c20[ceSessionReport], "+FCS");
  EXPECT_EQ(c20[cePageStatus], "+FPS");
  EXPECT_EQ(c20.hangupName, "FHS");
}

TEST(ModemStrings, InitStringsModemInitAndDialCommand) {
  EXPECT_EQ(BuiltInInitString(true, false), "ATE0Q0V1X1S0=0S2=43");
  EXPECT_EQ(BuiltInInitString(false, false), "ATE0Q0V1X2S0=0S2=43");
  EXPECT_EQ(BuiltInInitString(true, true), "ATE0Q0V1X3S0=0S2=43");
  EXPECT_EQ(BuiltInInitString(false, true), "ATE0Q0V1X4S0=0S2=43");
  EXPECT_EQ(NormalizeModemInit("&f"), "AT&F");
  EXPECT_EQ(NormalizeModemInit("at&f"), "AT&F");
  EXPECT_EQ(NormalizeModemInit(""), "");
  EXPECT_EQ(NormalizeModemInit(std::string(40, 'S')).size(), 40u);
  EXPECT_EQ(DialCommand(true, "9,", "555"), "ATDT9,555");
  EXPECT_EQ(DialCommand(false, "", "555"), "ATDP555");
}

TEST(ModemStrings, ClassAnswersAndTheClassDriven) {
  TFaxClassSet all = ParseClassAnswer("0,1,2,2.0");
  EXPECT_TRUE(all.has(fcClass1) && all.has(fcClass2) && all.has(fcClass2_0));
  EXPECT_EQ(ChooseClass(all), fcClass2_0);
  TFaxClassSet no2 = ParseClassAnswer("+FCLASS: 0,1,2.0");
  EXPECT_TRUE(no2.has(fcClass2_0));
  EXPECT_FALSE(no2.has(fcClass2));
  EXPECT_EQ(ChooseClass(ParseClassAnswer("0,1,2")), fcClass2);
  EXPECT_EQ(ChooseClass(ParseClassAnswer("(0,1)")), fcClass1);
  EXPECT_EQ(ChooseClass(ParseClassAnswer("0")), fcUnknown);
}

TEST(ModemStrings, SessionReportsAreReadByPosition) {
  SessionReport r = ParseSessionReport("+FDCS: 1,5,0,2,0,1,0,4");
  EXPECT_TRUE(r.fine);
  EXPECT_EQ(r.bps, 14400);
  EXPECT_FALSE(r.wide);
  EXPECT_TRUE(r.ecm);
  EXPECT_EQ(r.scanIndex, 4);
  EXPECT_EQ(MinimumBytesPerLine(r.scanIndex, r.fine, r.bps), 10 * 14400 / 8000);
  // A short report leaves the rest at its defaults; a bad digit means 9600.
  SessionReport s = ParseSessionReport("+FCS:0,9");
  EXPECT_FALSE(s.fine);
  EXPECT_EQ(s.bps, 9600);
  EXPECT_EQ(s.scanIndex, 0);
  EXPECT_EQ(MinimumBytesPerLine(9, false, 9600), 0);
  for (int bps : {2400, 4800, 7200, 9600, 12000, 14400}) EXPECT_EQ(BpsOfBitRateDigit(BitRateDigit(bps)), bps);
}

TEST(ModemStrings, StationIdsHangupCodesAndPageStatus) {
  EXPECT_EQ(ParseStationId("+FCSI:\"          REMOTE FAX\""), "REMOTE FAX");
  EXPECT_EQ(ParseStationId("+FCI: \"+1 555 0100\" "), "+1 555 0100");
  EXPECT_EQ(ParseStationId("+FCSI: " + std::string(30, 'A')).size(), 20u);
  EXPECT_EQ(ParseStationId("+FCSI"), "");
  EXPECT_EQ(ParseHangupCode("+FHNG: 50"), 50);
  EXPECT_EQ(ParseHangupCode("+FHS:02"), 2);
  // Class 2.0's hex codes past 99: a receive-phase failure is never read as a clean end.
  EXPECT_EQ(ParseHangupCode("+FHS:A0"), 100);
  EXPECT_EQ(ParseHangupCode("+FHS:b4"), 114);
  EXPECT_EQ(ParseHangupCode("+FHS:50"), 50);
  EXPECT_EQ(ParseHangupCode("+FHNG:"), 0);
  EXPECT_EQ(ParseHangupCode("+FHNG: 1234"), 12);  // the three characters after the ":"
  EXPECT_EQ(ParsePageStatus("+FPTS:2"), '2');
  EXPECT_EQ(ParsePageStatus("+FPS: 1,0,0,0,0"), '1');
  EXPECT_EQ(ParsePageStatus("+FPS"), '\0');
}

TEST(HeaderTags, WholeWordsAreReplacedAndOtherLettersVanish) {
  HeaderTagValues v;
  v.stationId = "QUILLON";
  v.sender = "ANN";
  v.totalPages = 3;
  v.pageNumber = 2;
  EXPECT_EQ(ReplaceHeaderTags("From $f at $I page $Pages of $N", v), "From ANN at QUILLON page 2 of 3");
  EXPECT_EQ(ReplaceHeaderTags("a $x b", v), "a  b");
  // A replacement text holding "$" is taken as it is.
  v.title = "$P$N";
  EXPECT_EQ(ReplaceHeaderTags("$S.", v), "$P$N");
}

TEST(FaxNaming, TheLowestFreeNumberInEachMode) {
  quillon::test::TempDir dir;
  dir.write("FAX0001.APF", "");
  dir.write("FAX0002.APF", "");
  std::string folder = FolderWithSeparator(dir.path());
  EXPECT_EQ(DefaultFaxName(1, folder, "APF", 12, 9), folder + "FAX0003.APF");
  EXPECT_EQ(DefaultFaxName(2, folder, "APF", 3, 7), folder + "03070001.APF");
  EXPECT_EQ(DefaultFaxName(0, folder, "APF", 3, 7), "noname.apf");
  EXPECT_EQ(FolderWithSeparator(""), "");
  EXPECT_EQ(FolderWithSeparator("/tmp/"), "/tmp/");
}

TEST(FaxLog, LinesByteForByte) {
  FaxLogFacts f;
  f.faxFiles = {"a.apf"};
  f.phoneNumber = "555";
  f.remoteStation = "REMOTE";
  f.hangupCode = 0;
  std::string when = LogDateTime(f.now);
  EXPECT_EQ(FaxLogText(LogTransmitStart, f), "Transmit a.apf to 555 started at " + when + "\r\n");
  EXPECT_EQ(FaxLogText(LogTransmitOk, f), "Transmit to REMOTE finished OK at " + when + " 0\r\n\r\n");
  f.errorCode = -8069;
  std::string failed = FaxLogText(LogTransmitFail, f);
  EXPECT_EQ(failed.find("Transmit failed at " + when + "\r\n  ("), 0u) << failed;
  EXPECT_EQ(failed.substr(failed.size() - 7), ") 0\r\n\r\n");
  EXPECT_EQ(FaxLogText(LogReceiveOk, f), "");  // the other direction's codes write nothing here
}

}  // namespace
