// quillon send on a pseudo-terminal through quillon-modem to a remote receiver (the emulator's
// own, and efax on a second modem), in Class 1, Class 2 and Class 2.0: the received page holds
// exactly the source's pixels below the header line (compared with netpbm), and the command's
// progress, log and exit status tell the truth.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/file_io.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

using quillon::test::ChildProcess;
using quillon::test::TempDir;

namespace {

std::string slurp(const std::string& path) { return quillon::platform::readWholeFile(path).value_or(""); }

int shell(const std::string& command) { return std::system(command.c_str()); }

// Starts quillon-modem with a modem 100 on the link ttyFAX in `dir` and waits for the link.
std::unique_ptr<ChildProcess> serveModem(const TempDir& dir, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {QUILLON_MODEM_BIN, "--modem", "100", "--link", dir.file("ttyFAX"), "--log",
                                   dir.file("modem.log")};
  args.insert(args.end(), extra.begin(), extra.end());
  auto child = std::make_unique<ChildProcess>(args, dir.file("server.out"));
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.file("ttyFAX")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return child;
}

bool haveNetpbm() { return std::filesystem::exists("/usr/bin/pamcut") && std::filesystem::exists("/usr/bin/pamfile"); }

// Height of a PBM file as pamfile reports it.
int pbmHeight(const TempDir& dir, const std::string& pbm) {
  shell("pamfile " + dir.file(pbm) + " > " + dir.file("pamfile.out"));
  std::string out = slurp(dir.file("pamfile.out"));
  std::size_t by = out.find(" by ");
  return by == std::string::npos ? -1 : std::stoi(out.substr(by + 4));
}

class SendCommandEndToEnd : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!haveNetpbm()) GTEST_SKIP() << "netpbm is not installed";
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "Line " + std::to_string(i) + " of a fax sent end to end: 0123456789\r\n";
    dir.write("letter.txt", text);
  }
  std::unique_ptr<ChildProcess> serve(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--scale", "8", "--receiver", "555", "--id", "REMOTE FAX", "--save", dir.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return serveModem(dir, args);
  }
  int send(const std::string& options) {
    return shell(std::string("timeout 120 ") + QUILLON_BIN + " send --data-dir " + dir.path() + " --device " +
                 dir.file("ttyFAX") + " --number 555 --class " + GetParam() + " --station QUILLON " + options +
                 " > " + dir.file("send.out") + " 2>&1");
  }
  TempDir dir;
};

TEST_P(SendCommandEndToEnd, ReceivedPageHasTheSourcePixelsBelowTheHeader) {
  auto server = serve();
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " convert " + dir.file("letter.txt") + " " + dir.file("source.apf") +
                  " > /dev/null"),
            0);
  int rc = send("--header 'QUILLON $P/$N' --log " + dir.file("fax.his") + " " + dir.file("letter.txt"));
  std::string out = slurp(dir.file("send.out"));
  ASSERT_EQ(rc, 0) << out << slurp(dir.file("modem.log"));
  EXPECT_NE(out.find("Page accepted by remote"), std::string::npos) << out;
  EXPECT_NE(out.find("remote REMOTE FAX"), std::string::npos) << out;
  EXPECT_NE(slurp(dir.file("fax.his")).find("Transmit to REMOTE FAX finished OK at "), std::string::npos);

  std::string received = dir.file("555-1.apf");
  for (int i = 0; i < 100 && !std::filesystem::exists(received); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " export " + received + " " + dir.file("received.pbm") +
                  " --format pbm > /dev/null"),
            0);
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " export " + dir.file("source.apf") + " " + dir.file("source.pbm") +
                  " --format pbm > /dev/null"),
            0);
  int sourceRows = pbmHeight(dir, "source.pbm"), receivedRows = pbmHeight(dir, "received.pbm");
  ASSERT_GT(sourceRows, 0);
  // Eight blank lines and the header text come first.
  int headerRows = receivedRows - sourceRows;
  EXPECT_GE(headerRows, 8 + 8);
  ASSERT_EQ(shell("pamcut -top " + std::to_string(headerRows) + " " + dir.file("received.pbm") + " > " +
                  dir.file("body.pbm")),
            0);
  EXPECT_EQ(shell("cmp -s " + dir.file("body.pbm") + " " + dir.file("source.pbm")), 0)
      << "the page's pixels differ from the source";
}

TEST_P(SendCommandEndToEnd, ABusyNumberEndsWithTheBusyMessage) {
  auto server = serve({"--line-fault", "555:busy=9"});
  int rc = send("--attempts 2 --retry-wait 1 " + dir.file("letter.txt"));
  std::string out = slurp(dir.file("send.out"));
  EXPECT_NE(rc, 0) << out;
  EXPECT_NE(out.find("Called fax number was busy"), std::string::npos) << out;
  EXPECT_NE(out.find("Busy, waiting until redial..."), std::string::npos) << out;
}

// An independent receiver: efax answers on a second emulated modem of the same line, and the
// page it stores holds exactly the source's pixels below the eight blank lines on top.
TEST_P(SendCommandEndToEnd, EfaxReceivesTheSourcePixels) {
  if (!std::filesystem::exists("/usr/bin/efax") || !std::filesystem::exists("/usr/bin/efix"))
    GTEST_SKIP() << "efax is not installed";
  ChildProcess server({QUILLON_MODEM_BIN, "--modem", "100", "--link", dir.file("ttyFAX"), "--modem", "200", "--link",
                       dir.file("ttyEFAX"), "--scale", "8", "--log", dir.file("modem.log")},
                      dir.file("server.out"));
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.file("ttyEFAX")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string param = GetParam();
  std::string efaxClass = param == "1" ? "-o1" : param == "2" ? "-o2" : "-o0";
  ChildProcess efax({"/usr/bin/efax", "-d", dir.file("ttyEFAX"), efaxClass, "-r", dir.file("rx"), "-w", "-iS0=1"},
                    dir.file("efax.out"));
  // efax has set its modem up once it asked for auto-answer and got its OK.
  for (int i = 0; i < 200 && slurp(dir.file("modem.log")).find("modem 200 >> ATS0=1") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int rc = shell(std::string("timeout 120 ") + QUILLON_BIN + " send --data-dir " + dir.path() + " --device " +
                 dir.file("ttyFAX") + " --number 200 --class " + GetParam() + " --station QUILLON " +
                 dir.file("letter.txt") + " > " + dir.file("send.out") + " 2>&1");
  ASSERT_EQ(rc, 0) << slurp(dir.file("send.out")) << slurp(dir.file("modem.log"));
  ASSERT_EQ(efax.wait(std::chrono::seconds(60)), 0) << slurp(dir.file("efax.out"));
  EXPECT_NE(slurp(dir.file("efax.out")).find(" 0 errors"), std::string::npos) << slurp(dir.file("efax.out"));
  ASSERT_EQ(shell("efix -i fax -o pbm " + dir.file("rx.001") + " > " + dir.file("received.pbm") + " 2>/dev/null"), 0);
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " convert " + dir.file("letter.txt") + " " + dir.file("source.apf") +
                  " > /dev/null && " + QUILLON_BIN + " export " + dir.file("source.apf") + " " + dir.file("source.pbm") +
                  " --format pbm > /dev/null"),
            0);
  EXPECT_EQ(pbmHeight(dir, "received.pbm") - pbmHeight(dir, "source.pbm"), 8);
  ASSERT_EQ(shell("pamcut -top 8 " + dir.file("received.pbm") + " > " + dir.file("body.pbm")), 0);
  EXPECT_EQ(shell("cmp -s " + dir.file("body.pbm") + " " + dir.file("source.pbm")), 0)
      << "the page efax stored differs from the source";
}

INSTANTIATE_TEST_SUITE_P(Classes, SendCommandEndToEnd, ::testing::Values("1", "2", "2.0"), [](const auto& info) {
  std::string c = info.param;
  return c == "1" ? "Class1" : c == "2" ? "Class2" : "Class20";
});

// Class 1 on its own: a modem that offers only Class 1 is driven in Class 1 when the class is
// detected, and SpanDSP's own T.31 modem with its fax terminal behind it takes a fax whole.
class Class1EndToEnd : public ::testing::Test {
 protected:
  std::unique_ptr<ChildProcess> serve(const std::vector<std::string>& extra) { return serveModem(dir, extra); }
  int send(const std::string& options) {
    return shell(std::string("timeout 150 ") + QUILLON_BIN + " send --data-dir " + dir.path() + " --device " +
                 dir.file("ttyFAX") + " --number 555 --station QUILLON " + options + " > " + dir.file("send.out") +
                 " 2>&1");
  }
  void writeLetter(int lines) {
    std::string text;
    for (int i = 1; i <= lines; ++i) text += "Line " + std::to_string(i) + " of a Class 1 fax\r\n";
    dir.write("letter.txt", text);
  }
  TempDir dir;
};

TEST_F(Class1EndToEnd, AutoDetectPicksClass1OnAModemThatOffersOnlyIt) {
  auto server = serve({"--classes", "0,1", "--scale", "8", "--receiver", "555", "--id", "REMOTE FAX"});
  writeLetter(10);
  int rc = send("--class auto " + dir.file("letter.txt"));
  std::string out = slurp(dir.file("send.out"));
  ASSERT_EQ(rc, 0) << out << slurp(dir.file("modem.log"));
  std::string log = slurp(dir.file("modem.log"));
  EXPECT_NE(log.find("AT+FTH=3"), std::string::npos) << log;
  EXPECT_EQ(log.find("AT+FCLASS=2"), std::string::npos) << log;
}

TEST_F(Class1EndToEnd, SpanDspsOwnModemAndTerminalTakeTheFax) {
  auto server = serve({"--spandsp", "--save", dir.path() + "/"});
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  if (slurp(dir.file("server.out")).find("built without SpanDSP") != std::string::npos)
    GTEST_SKIP() << "quillon-modem was built without SpanDSP";
  writeLetter(30);
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " convert " + dir.file("letter.txt") + " " + dir.file("source.apf") +
                  " > /dev/null"),
            0);
  int rc = send("--class 1 --bps 14400 " + dir.file("source.apf"));
  std::string out = slurp(dir.file("send.out"));
  ASSERT_EQ(rc, 0) << out << slurp(dir.file("modem.log"));
  EXPECT_NE(out.find("remote SPANDSP"), std::string::npos) << out;
  std::string tif = dir.file("100-spandsp.tif");
  for (int i = 0; i < 100 && !std::filesystem::exists(tif); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(tif)) << slurp(dir.file("server.out"));
  if (!haveNetpbm() || !std::filesystem::exists("/usr/bin/tifftopnm")) return;
  // The page below the top margin holds the source's pixels.
  ASSERT_EQ(shell("tifftopnm " + tif + " > " + dir.file("received.pbm") + " 2>/dev/null"), 0);
  ASSERT_EQ(shell(std::string(QUILLON_BIN) + " export " + dir.file("source.apf") + " " + dir.file("source.pbm") +
                  " --format pbm > /dev/null"),
            0);
  int sourceRows = pbmHeight(dir, "source.pbm"), receivedRows = pbmHeight(dir, "received.pbm");
  ASSERT_EQ(receivedRows, sourceRows + 8);
  ASSERT_EQ(shell("pamcut -top 8 " + dir.file("received.pbm") + " > " + dir.file("body.pbm")), 0);
  EXPECT_EQ(shell("cmp -s " + dir.file("body.pbm") + " " + dir.file("source.pbm")), 0)
      << "the page's pixels differ from the source";
}

}  // namespace
