#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include "settings/ini_values.h"

using namespace quillon::settings;
using namespace std::string_literals;

TEST(IniDocument, ReadsLikeTheProfileFunctions) {
  auto doc = IniDocument::parse(
      "Stray=before any section\r\n"
      "[ modem ]\r\n"
      "  ComPort = 2  \r\n"
      ";FaxClass=3\r\n"
      "InitString=\"  AT&F \"\r\n"
      "ComPort=5\r\n"
      "[Modem]\r\n"
      "FaxClass=2\r\n"
      "Nul=ab\0cd\r\n"
      "[Dialing\r\n"
      "DialPrefix=9,\r\n"s);
  EXPECT_EQ(doc.value("Modem", "comport"), "2");       // names without regard to case; first wins
  EXPECT_EQ(doc.value("Modem", "FaxClass"), "2");  // not the comment; found in the repeated section
  EXPECT_EQ(doc.value("Modem", "InitString"), "  AT&F ");   // one pair of quotes dropped
  EXPECT_EQ(doc.value("Modem", "Nul"), "ab");  // a NUL byte ends the value
  EXPECT_EQ(doc.value("Dialing", "DialPrefix"), "9,");  // a missing ']' still names the section
  EXPECT_EQ(doc.value("", "Stray"), std::nullopt);
  EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"modem", "Dialing"}));
  EXPECT_EQ(doc.keyNames("MODEM"), (std::vector<std::string>{"ComPort", "InitString", "FaxClass", "Nul"}));
  doc.setValue("Modem", "FaxClass", "1");  // changes the line where the value was found
  EXPECT_NE(doc.serialize().find("[Modem]\r\nFaxClass=1\r\n"), std::string::npos);
}

TEST(IniDocument, SavingKeepsEverythingButTheChangedValues) {
  const std::string original =
      "; Quillon settings\r\n"
      "[Ports]\r\n"
      "COM3=/dev/ttyUSB0\r\n"
      "\r\n"
      "[User]\r\n"
      "Name = Andr\xe9 M\xfcller\r\n"
      "Fax=555 0100\r\n"
      "Unknown=keep me\r\n"
      "\r\n"
      "[Other]\n"
      "lf=only\n";
  auto doc = IniDocument::parse(original);
  EXPECT_EQ(doc.serialize(), original);
  doc.setValue("User", "Name", "Andr\xe9 M\xfcller");  // same value: bytes untouched
  EXPECT_EQ(doc.serialize(), original);
  doc.setValue("user", "FAX", "555 0199");
  doc.setValue("User", "PrefixDisable", "1");
  doc.setValue("Hints", "On", "0");
  std::string expected = original;
  expected.replace(expected.find("555 0100"), 8, "555 0199");
  expected.insert(expected.find("\r\n\r\n[Other]") + 2, "PrefixDisable=1\r\n");
  expected += "\r\n[Hints]\r\nOn=0\r\n";
  EXPECT_EQ(doc.serialize(), expected);
}

TEST(IniDocument, AddedLinesFollowTheFilesLineEnds) {
  auto doc = IniDocument::parse("[A]\nx=1");  // LF file whose last line has no end
  doc.setValue("A", "y", "2");
  doc.setValue("B", "z", "3");
  EXPECT_EQ(doc.serialize(), "[A]\nx=1\ny=2\n\n[B]\nz=3\n");
  IniDocument fresh;
  fresh.setValue("Modem", "ComPort", "0");
  EXPECT_EQ(fresh.serialize(), "[Modem]\r\nComPort=0\r\n");
}

TEST(IniDocument, ValuesCannotInjectLinesAndSurviveARoundTrip) {
  IniDocument doc;
  doc.setValue("User", "Name", "Eve\r\n[Modem]\r\nComPort=7");
  doc.setValue("User", "Fax", "  padded  ");
  doc.setValue("User", "Quoted", "'single'");
  auto again = IniDocument::parse(doc.serialize());
  EXPECT_EQ(again.value("Modem", "ComPort"), std::nullopt);
  EXPECT_EQ(again.value("User", "Name"), "Eve  [Modem]  ComPort=7");
  EXPECT_EQ(again.value("User", "Fax"), "  padded  ");
  EXPECT_EQ(again.value("User", "Quoted"), "'single'");
}

TEST(IniDocument, HostileInputLoadsWithoutHarm) {
  std::string garbage(10 * 1024 * 1024, 'x');  // one 10 MB line
  garbage += "\n[Modem]\n=\n===\n[\n]\n\0\0\0\n[Modem]\nComPort=3\nComPort=4\n"s;
  garbage.push_back('\0');
  auto doc = IniDocument::parse(garbage);
  EXPECT_EQ(doc.value("Modem", "ComPort"), "3");
  EXPECT_EQ(doc.serialize(), garbage);
}

TEST(IniValues, IntegersAreDecimalOrPrefixedHex) {
  EXPECT_EQ(parseInteger("10"), 10);
  EXPECT_EQ(parseInteger("-1"), -1);
  EXPECT_EQ(parseInteger("+7"), 7);
  EXPECT_EQ(parseInteger("0x0A"), 10);
  EXPECT_EQ(parseInteger("0XfF"), 255);
  EXPECT_EQ(parseInteger("0xFFFFFFFF"), -1);  // a 32-bit pattern
  EXPECT_EQ(parseInteger("0x"), std::nullopt);  // "0x" alone is not hex, and not decimal
  EXPECT_EQ(parseInteger("0x1G"), std::nullopt);
  EXPECT_EQ(parseInteger("0x123456789"), std::nullopt);
  EXPECT_EQ(parseInteger("12a"), std::nullopt);
  EXPECT_EQ(parseInteger(""), std::nullopt);
  EXPECT_EQ(parseInteger("-"), std::nullopt);
  EXPECT_EQ(parseInteger("2147483647"), 2147483647);
  EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(parseInteger("2147483648"), std::nullopt);
  EXPECT_EQ(parseInteger("99999999999999999999999"), std::nullopt);
}

TEST(IniValues, BooleansAndStrings) {
  EXPECT_TRUE(readBoolean("2", false));
  EXPECT_FALSE(readBoolean("0", true));
  EXPECT_TRUE(readBoolean("yes", true));  // not an integer: the default
  EXPECT_FALSE(readBoolean(std::nullopt, false));
  EXPECT_EQ(readString(std::string(5000, 'a'), "").size(), 1023u);
  EXPECT_EQ(readString(std::nullopt, "Arial"), "Arial");
}
