// A real independent fax program on a pseudo-terminal: Debian's efax sends to and receives
// from quillon-modem in Class 1, Class 2 and Class 2.0. Skipped when efax is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "faximage/fax_unpacker.h"
#include "modem/dle.h"
#include "modem/fax_files.h"
#include "platform/file_io.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

bool haveEfax() { return std::filesystem::exists("/usr/bin/efax"); }

using Child = quillon::test::ChildProcess;

// Starts quillon-modem and waits for its pseudo-terminal link.
std::unique_ptr<Child> serve(const quillon::test::TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {QUILLON_MODEM_BIN, "--modem", "100", "--link", dir.file("ttyFAX"), "--scale", "4",
                             "--log", dir.file("modem.log")});
  auto child = std::make_unique<Child>(args, dir.file("server.out"));
  for (int i = 0; i < 200 && !std::filesystem::exists(dir.file("ttyFAX")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return child;
}

std::string slurp(const std::string& path) { return quillon::platform::readWholeFile(path).value_or(""); }

}  // namespace

TEST(EfaxInterop, SendsInEveryClassToARemoteReceiver) {
  if (!haveEfax()) GTEST_SKIP() << "efax is not installed";
  quillon::test::TempDir dir;
  // A page efax reads: its raw fax format holds the first bit of each byte in the most
  // significant position.
  quillon::modem::FaxPage page = quillon::modem::samplePage(false);
  std::string raw;
  for (char c : page.data) raw += static_cast<char>(quillon::modem::reverseBits(static_cast<std::uint8_t>(c)));
  dir.write("page.fax", raw);
  auto server = serve(dir, {"--receiver", "555", "--id", "REMOTE FAX", "--save", dir.path()});
  int stored = 0;
  for (const char* cls : {"-o1", "-o2", "-o0"}) {
    Child efax({"/usr/bin/efax", "-d", dir.file("ttyFAX"), cls, "-l", "5551234", "-t", "555", dir.file("page.fax")},
               dir.file("efax.out"));
    EXPECT_EQ(efax.wait(std::chrono::seconds(180)), 0) << cls << "\n" << slurp(dir.file("efax.out"));
    std::vector<quillon::modem::FaxPage> pages;
    std::string file = dir.file("555-" + std::to_string(++stored) + ".apf");
    for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(quillon::modem::loadFaxFile(file, pages), 0) << cls << "\n" << slurp(dir.file("modem.log"));
    ASSERT_EQ(pages.size(), 1u) << cls;
    // Every class delivers the page in the bit order the fax file keeps: it decodes whole
    // (the sample page's 1100 lines and efax's header line).
    quillon::faximage::TApdFaxUnpacker unpacker;
    unpacker.Loading = true;
    unpacker.SetInFileName(file);
    quillon::faximage::MonoBitmap bitmap;
    ASSERT_EQ(unpacker.DecodePageToBitmap(1, bitmap), 0) << cls;
    EXPECT_GE(bitmap.height, 1100) << cls;
  }
}

TEST(EfaxInterop, ReceivesInEveryClassFromARemoteSender) {
  if (!haveEfax()) GTEST_SKIP() << "efax is not installed";
  quillon::test::TempDir dir;
  for (const char* cls : {"-o1", "-o2", "-o0"}) {
    // A fresh line for each class: the remote calls once, when efax is waiting.
    std::filesystem::remove(dir.file("ttyFAX"));
    // It calls once efax has set the modem up (its last set-up command is "ATS0=1").
    auto server = serve(dir, {"--sender", "100", "--id", "QUILLON", "--when", "S0=1", "--after", "1"});
    std::string prefix = dir.file(std::string("rx") + (cls + 2));
    Child efax({"/usr/bin/efax", "-d", dir.file("ttyFAX"), cls, "-r", prefix, "-w", "-iS0=1"},
               dir.file("efax.out"));
    EXPECT_EQ(efax.wait(std::chrono::seconds(180)), 0) << cls << "\n" << slurp(dir.file("efax.out"));
    std::string out = slurp(dir.file("efax.out"));
    // The sample page: 1100 lines, every one of them decoded.
    EXPECT_NE(out.find("received 1100 lines, 0 errors"), std::string::npos) << cls << "\n" << out;
  }
}
