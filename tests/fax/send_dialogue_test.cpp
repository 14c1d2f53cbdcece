// The AT dialogue of a send run, step by step with the machine's states, and runs that
// exercise the component's rules: joined file lists, covers, resolution changes, the header
// line, several faxes through OnFaxNext.
#include <gtest/gtest.h>

#include <filesystem>

#include "errors/error_codes.h"
#include "fax_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class SendDialogueTest : public FaxLineTest {
 protected:
  void SetUp() override {
    fax.Session().stepTrace = [this](int state, const std::string& text) {
      std::lock_guard lock(mutex);
      dialogue += std::to_string(state) + " " + text + "\n";
    };
    fax.SetPhoneNumber("555");
  }
  std::string trace() {
    std::lock_guard lock(mutex);
    return dialogue;
  }
  std::mutex mutex;
  std::string dialogue;
};

TEST_F(SendDialogueTest, Class2DialogueFollowsTheStates) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxClass(fax::fcClass2);
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(trace(),
            "1 > ATE0Q0V1X4S0=0S2=43\n"
            "2 > AT+FCLASS=2\n"
            "4 OK\n"
            "4 > AT+FLID=\"QUILLON TEST\"\n"
            "7 OK\n"
            "7 > AT+FDIS=0,3,0,2,0,0,0,0\n"
            "8 OK\n"
            "9 > ATDT555\n"
            "19 +FCON\n"
            "20 +FCSI:\"          REMOTE FAX\"\n"
            "20 +FDIS:1,5,0,2,0,0,0,0\n"
            "20 OK\n"
            "20 > AT+FDT\n"
            "20 +FDCS:0,3,0,2,0,0,0,0\n"
            "20 CONNECT\n"
            "39 OK\n"
            "39 > AT+FET=2\n"
            "40 +FPTS:1\n"
            "40 +FHNG:0\n"
            "40 OK\n");
  EXPECT_EQ(fax.LineRate(), 9600);
}

TEST_F(SendDialogueTest, Class20DialogueReadsThePageReportBeforeTheOk) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}, {20, false}});
  fax.SetFaxClass(fax::fcClass2_0);
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(trace(),
            "1 > ATE0Q0V1X4S0=0S2=43\n"
            "2 > AT+FCLASS=2.0\n"
            "4 OK\n"
            "4 > AT+FLI=\"QUILLON TEST\"\n"
            "5 OK\n"
            "5 > AT+FLO=2\n"
            "6 OK\n"
            "6 > AT+FNR=1,1,1,0\n"
            "7 OK\n"
            "7 > AT+FIS=0,3,0,2,0,0,0,0\n"
            "8 OK\n"
            "9 > ATDT555\n"
            "19 +FCO\n"
            "20 +FCI:\"          REMOTE FAX\"\n"
            "20 +FIS:1,5,0,2,0,0,0,0,0\n"
            "20 OK\n"
            "20 > AT+FDT\n"
            "20 +FCS:0,3,0,2,0,0,0,0,0\n"
            "20 CONNECT\n"
            "44 +FPS:1,0,0,0,0\n"
            "44 OK\n"
            "43 > AT+FDT\n"
            "20 CONNECT\n"
            "44 +FPS:1,0,0,0,0\n"
            "44 +FHS:00\n"
            "44 OK\n");
}

TEST_F(SendDialogueTest, PagesOfTwoResolutionsChangeTheSessionBetweenThem) {
  for (auto cls : {fax::fcClass2, fax::fcClass2_0}) {
    auto pages = writeFaxFile(dir.file("doc.apf"), {{20, false}, {30, true}});
    finished = false;
    dialogue.clear();
    fax.SetFaxClass(cls);
    fax.SetFaxFile(dir.file("doc.apf"));
    ASSERT_TRUE(sendAndWait());
    EXPECT_EQ(finishCode, 0) << trace();
    std::string t = trace();
    if (cls == fax::fcClass2) {
      EXPECT_NE(t.find("39 > AT+FET=1\n"), std::string::npos) << t;
      EXPECT_NE(t.find("> AT+FDIS=1\n"), std::string::npos) << t;
    } else {
      EXPECT_NE(t.find("> AT+FIS=1\n"), std::string::npos) << t;
    }
    const auto& got = remote.lastFax();
    ASSERT_EQ(got.pages.size(), 2u);
    EXPECT_FALSE(got.pages[0].fine);
    EXPECT_TRUE(got.pages[1].fine);
    EXPECT_TRUE(endsWith(got.pages[1].data, pages[1]));
  }
}

TEST_F(SendDialogueTest, TwoFilesAreJoinedIntoOneTemporaryFileDeletedAfterTheFinish) {
  auto first = writeFaxFile(dir.file("a.apf"), {{20, false}, {10, false}}, 1);
  auto second = writeFaxFile(dir.file("b.apf"), {{15, false}}, 7);
  fax.SetFaxClass(fax::fcClass2);
  fax.FaxFileList() = {dir.file("a.apf"), dir.file("b.apf")};
  std::string joined;
  fax.OnFaxStatus = [&](fax::TApdCustomAbstractFax&, bool, bool) {
    if (joined.empty()) joined = fax.JoinedFile();
  };
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(fax.PageCount(), 3);
  EXPECT_NE(std::filesystem::path(joined).filename().string().find("~AP"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(joined));
  const auto& got = remote.lastFax();
  ASSERT_EQ(got.pages.size(), 3u);
  EXPECT_TRUE(endsWith(got.pages[2].data, second[0]));
}

TEST_F(SendDialogueTest, TextCoverThenFaxFileWithPageTagsInTheHeader) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{20, false}, {20, false}});
  dir.write("cover.txt", "To: $R\r\nFrom: $F\r\n");
  fax.SetFaxClass(fax::fcClass2_0);
  fax.SetFaxFile(dir.file("doc.apf"));
  fax.SetCoverFile(dir.file("cover.txt"));
  fax.SetHeaderLine("Page $P of $N $Pages");
  fax.SetHeaderRecipient("Someone");
  std::vector<std::string> headers;
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  const auto& got = remote.lastFax();
  ASSERT_EQ(got.pages.size(), 3u);
  EXPECT_TRUE(endsWith(got.pages[1].data, pages[0]));
  EXPECT_TRUE(endsWith(got.pages[2].data, pages[1]));
  // The cover: header and text lines, then the end of the page.
  EXPECT_GT(got.pages[0].data.size(), 500u);
}

TEST_F(SendDialogueTest, OnFaxNextSuppliesSeveralFaxesInOneRun) {
  writeFaxFile(dir.file("a.apf"), {{20, false}}, 1);
  writeFaxFile(dir.file("b.apf"), {{20, false}}, 2);
  modem::RemoteReceiver second(line, "556", "SECOND");
  fax.SetFaxClass(fax::fcClass2);
  int asked = 0;
  fax.OnFaxNext = [&](fax::TApdCustomAbstractFax&, std::string& number, std::string& file, std::string&) {
    ++asked;
    if (asked == 1) number = "555", file = dir.file("a.apf");
    if (asked == 2) number = "556", file = dir.file("b.apf");
  };
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(remote.lastFax().pages.size(), 1u);
  EXPECT_EQ(second.lastFax().pages.size(), 1u);
  EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitOk,
                                                      fax::LogTransmitStart, fax::LogTransmitOk}));
}

TEST_F(SendDialogueTest, AMissingFaxFileFailsThatFaxOnly) {
  fax.SetFaxClass(fax::fcClass2);
  fax.SetFaxFile(dir.file("missing.apf"));
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(errors, std::vector<int>{-2});
  EXPECT_EQ(logCodes.back(), fax::LogTransmitFail);
  EXPECT_EQ(remote.calls(), 0);
}

TEST_F(SendDialogueTest, TheFaxLogWritesItsLines) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax::TApdFaxLog log;
  log.SetFaxHistoryName(dir.file("fax.his"));
  fax.SetFaxLog(&log);
  fax::TApdFaxLog second;
  fax.AttachFromOwner({&port, &second});
  EXPECT_EQ(second.Fax(), nullptr);  // the fax already has a log
  fax.SetFaxClass(fax::fcClass2);
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  std::string text = dir.read("fax.his");
  EXPECT_EQ(text.find("Transmit " + dir.file("doc.apf") + " to 555 started at "), 0u) << text;
  std::size_t ok = text.find("\r\nTransmit to REMOTE FAX finished OK at ");
  ASSERT_NE(ok, std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 6), " 0\r\n\r\n");
}

TEST(SendComponent, StartWithoutPortOrWithASmallBufferIsRefused) {
  fax::TApdSendFax fax;
  EXPECT_THROW(fax.BeginTransmit(), std::exception);
  serial::TApdComPort port;
  fax.SetComPort(&port);
  EXPECT_EQ(port.OutSize(), 8192u);
  EXPECT_EQ(port.Baud(), 19200);
  port.SetOutSize(4096);
  EXPECT_THROW(fax.BeginTransmit(), std::exception);
}

TEST(SendComponent, DefaultsAndTickConversions) {
  fax::TApdSendFax fax;
  EXPECT_EQ(fax.FaxClass(), fax::fcDetect);
  EXPECT_EQ(fax.DesiredBPS(), 9600u);
  EXPECT_EQ(fax.DialWait(), 60u);
  EXPECT_EQ(fax.DialAttempts(), 3u);
  EXPECT_EQ(fax.MaxSendCount(), 50u);
  EXPECT_EQ(fax.BufferMinimum(), 1000u);
  EXPECT_TRUE(fax.SafeMode());
  EXPECT_TRUE(fax.DetectBusy());
  EXPECT_EQ(fax.FaxFileExt(), "APF");
  fax.SetModemInit("&f");
  EXPECT_EQ(fax.ModemInit(), "AT&F");
  fax.SetStationID("123456789012345678901234");
  EXPECT_EQ(fax.StationID(), "12345678901234567890");
  fax::TApdFaxLog log;
  EXPECT_EQ(log.FaxHistoryName(), "VELDFAX.HIS");
}

}  // namespace
