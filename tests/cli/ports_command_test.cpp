// quillon ports on real pseudo-terminals mapped through QLN.INI.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/command.h"
#include "platform/posix_serial_device.h"
#include "support/lock_folder.h"
#include "support/run_command.h"
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

TEST(PortsCommand, APortAnotherProgramLockedIsInUseByItsProcess) {
  test::LockFolder locks;
  test::TempDir dir;
  test::PseudoTerminal pty;
  dir.write("QLN.INI", "[Ports]\r\nCOM5=" + pty.slavePath() + "\r\n");
  test::IdleProcess other;
  locks.writeLock(pty.slavePath(), other.pid());
  std::string listing = runPorts(dir.path());
  EXPECT_NE(listing.find(pty.slavePath() + "  in use by process " + std::to_string(other.pid())), std::string::npos)
      << listing;
  other.end();  // a stale lock does not make the port busy
  EXPECT_NE(runPorts(dir.path()).find(pty.slavePath() + "  exists"), std::string::npos);
}

TEST(PortsCommand, MapWritesThePortsSectionAndKeepsTheRest) {
  test::TempDir dir;
  dir.write("QLN.INI", "; mine\r\n[Modem]\r\nComPort=1\r\n");
  auto mapped = test::runQuillon({"ports", "--data-dir", dir.path(), "--map", "com2", "emulator"});
  EXPECT_EQ(mapped.status, 0) << mapped.err;
  EXPECT_EQ(dir.read("QLN.INI"), "; mine\r\n[Modem]\r\nComPort=1\r\n\r\n[Ports]\r\nCOM2=emulator\r\n");
  test::runQuillon({"ports", "--data-dir", dir.path(), "--map", "COM2", "/dev/ttyACM0"});
  EXPECT_NE(dir.read("QLN.INI").find("COM2=/dev/ttyACM0\r\n"), std::string::npos);
  for (const char* bad : {"COM0", "COMX", "LPT1", "COM99999"})
    EXPECT_EQ(test::runQuillon({"ports", "--data-dir", dir.path(), "--map", bad, "x"}).status, 2) << bad;
}
