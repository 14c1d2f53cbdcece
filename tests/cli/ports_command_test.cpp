// quillon ports on real pseudo-terminals mapped through QLN.INI.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/command.h"
#include "platform/posix_serial_device.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon;

namespace {
std::string runPorts(const std::string& folder) {
  std::string dirArg = folder;
  const char* argv[] = {"quillon", "ports", "--data-dir", dirArg.c_str()};
  std::ostringstream out, err;
  EXPECT_EQ(cli::runCommandLine(4, const_cast<char**>(argv), out, err), 0) << err.str();
  return out.str();
}
}  // namespace

TEST(PortsCommand, ListsMappedPortsWithTheirState) {
  test::TempDir dir;
  test::PseudoTerminal pty;
  dir.write("QLN.INI", "[Ports]\r\nCOM5=" + pty.slavePath() + "\r\nCOM6=" + dir.file("gone") + "\r\n");
  std::string listing = runPorts(dir.path());
  EXPECT_NE(listing.find("COM5   " + pty.slavePath()), std::string::npos) << listing;
  EXPECT_NE(listing.find("COM6   " + dir.file("gone")), std::string::npos) << listing;
  EXPECT_NE(listing.find("missing"), std::string::npos);
  EXPECT_NE(listing.find("exists"), std::string::npos);

  auto held = platform::PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(held.device);
  EXPECT_NE(runPorts(dir.path()).find("in use"), std::string::npos);
}
