// quillon receive on a pseudo-terminal of quillon-modem, whose remote sender calls with a
// fax file, in Class 1, 2 and 2.0: the command stores one fax whose pages have exactly the
// source's pixels, says so, and ends with status 0.
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

class ReceiveCommandEndToEnd : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string text;
    for (int i = 1; i <= 70; ++i) text += "Line " + std::to_string(i) + " of a fax received end to end: 0123456789\r\n";
    dir.write("letter.txt", text);
    ASSERT_EQ(shell(std::string(QUILLON_BIN) + " convert " + dir.file("letter.txt") + " " + dir.file("source.apf") +
                    " > /dev/null"),
              0);
  }
  std::unique_ptr<ChildProcess> serve() {
    std::vector<std::string> args = {QUILLON_MODEM_BIN, "--modem", "100", "--link", dir.file("ttyFAX"),
                                     "--scale", "8", "--log", dir.file("modem.log"), "--sender", "100",
                                     "--file", dir.file("source.apf"), "--id", "REMOTE SENDER",
                                     "--when", "AT+FCLASS", "--after", "3"};
    auto child = std::make_unique<ChildProcess>(args, dir.file("server.out"));
    for (int i = 0; i < 200 && !std::filesystem::exists(dir.file("ttyFAX")); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return child;
  }
  int exportPages(const std::string& fax, const std::string& stem, int pages) {
    for (int p = 1; p <= pages; ++p) {
      int rc = shell(std::string(QUILLON_BIN) + " export " + fax + " " + dir.file(stem + std::to_string(p) + ".pbm") +
                     " --page " + std::to_string(p) + " --format pbm > /dev/null");
      if (rc != 0) return rc;
    }
    return 0;
  }
  TempDir dir;
};

TEST_P(ReceiveCommandEndToEnd, StoresTheFaxWithTheSourcePixels) {
  auto server = serve();
  int rc = shell(std::string("timeout 120 ") + QUILLON_BIN + " receive --data-dir " + dir.path() + " --device " +
                 dir.file("ttyFAX") + " --class " + GetParam() + " --station QUILLON --one --dir " + dir.file("in") +
                 " --log " + dir.file("fax.his") + " > " + dir.file("receive.out") + " 2>&1");
  std::string out = slurp(dir.file("receive.out"));
  ASSERT_EQ(rc, 0) << out << slurp(dir.file("modem.log"));
  EXPECT_NE(out.find("Waiting for incoming call"), std::string::npos) << out;
  EXPECT_NE(out.find("Received " + dir.file("in") + "/FAX0001.APF: 2 pages from REMOTE SENDER"), std::string::npos)
      << out;
  EXPECT_NE(slurp(dir.file("fax.his")).find("Receive finished OK at "), std::string::npos);
  ASSERT_EQ(exportPages(dir.file("source.apf"), "source", 2), 0);
  ASSERT_EQ(exportPages(dir.file("in") + "/FAX0001.APF", "received", 2), 0);
  for (int p = 1; p <= 2; ++p)
    EXPECT_EQ(shell("cmp -s " + dir.file("source" + std::to_string(p) + ".pbm") + " " +
                    dir.file("received" + std::to_string(p) + ".pbm")),
              0)
        << "page " << p << " differs from the source";
}

INSTANTIATE_TEST_SUITE_P(Classes, ReceiveCommandEndToEnd, ::testing::Values("1", "2", "2.0"), [](const auto& info) {
  std::string c = info.param;
  return c == "1" ? "Class1" : c == "2" ? "Class2" : "Class20";
});

}  // namespace
