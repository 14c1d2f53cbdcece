// UUCP lock files on real pseudo-terminals: taken while open, honoured when another program
// holds one (also Debian's efax), stale ones taken over, and a lock folder we cannot use.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "errors/error_codes.h"
#include "platform/posix_serial_device.h"
#include "platform/serial_lock_file.h"
#include "support/child_process.h"
#include "support/lock_folder.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon;
using namespace quillon::platform;
using quillon::test::IdleProcess;
using quillon::test::LockFolder;
using quillon::test::PseudoTerminal;
using namespace std::chrono_literals;

namespace {
bool exists(const std::string& path) { return std::filesystem::exists(path); }
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}  // namespace

TEST(SerialLockFile, IsHeldWhileOpenAndRemovedOnClose) {
  LockFolder locks;
  PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device) << opened.error << " " << opened.reason;
  char ours[16];
  std::snprintf(ours, sizeof ours, "%10d\n", static_cast<int>(::getpid()));
  EXPECT_EQ(locks.read(pty.slavePath()), ours);  // the form other programs read

  // A second open, here or by another port of this program, is refused with the reason.
  auto second = PosixSerialDevice::open(pty.slavePath());
  EXPECT_FALSE(second.device);
  EXPECT_EQ(second.error, kSerialAccessDenied);
  EXPECT_TRUE(contains(second.reason, "already open in this program")) << second.reason;
  EXPECT_TRUE(contains(second.reason, locks.lockFileOf(pty.slavePath()))) << second.reason;
  EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::inUse);

  opened.device.reset();
  EXPECT_FALSE(exists(locks.lockFileOf(pty.slavePath())));
  EXPECT_TRUE(PosixSerialDevice::open(pty.slavePath()).device);
  EXPECT_FALSE(exists(locks.lockFileOf(pty.slavePath())));  // a refused or closed open leaves none
}

TEST(SerialLockFile, AnotherProcessesLockRefusesTheOpenUntilItsProcessIsGone) {
  LockFolder locks;
  PseudoTerminal pty;
  IdleProcess other;
  locks.writeLock(pty.slavePath(), other.pid());
  auto refused = PosixSerialDevice::open(pty.slavePath());
  EXPECT_FALSE(refused.device);
  EXPECT_EQ(refused.error, kSerialAccessDenied);
  EXPECT_TRUE(contains(refused.reason, "in use by process " + std::to_string(other.pid()))) << refused.reason;
  EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::inUse);
  SerialLockHolder holder = serialLockHolder(pty.slavePath());
  EXPECT_TRUE(holder.held);
  EXPECT_EQ(holder.pid, other.pid());
  EXPECT_FALSE(holder.program.empty());  // the name from /proc

  other.end();  // its lock is stale now: taken over
  EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::available);
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device) << opened.reason;
  EXPECT_EQ(std::stoi(locks.read(pty.slavePath())), ::getpid());
}

TEST(SerialLockFile, OldFormsAndUnreadableLocks) {
  LockFolder locks;
  PseudoTerminal pty;
  IdleProcess other;
  int pid = other.pid();
  {  // the old binary form: four bytes of PID
    std::ofstream(locks.lockFileOf(pty.slavePath()), std::ios::binary).write(reinterpret_cast<char*>(&pid), 4);
  }
  EXPECT_EQ(PosixSerialDevice::open(pty.slavePath()).error, kSerialAccessDenied);

  // A file without a PID may be one being written: held at first, stale once it is old.
  std::ofstream(locks.lockFileOf(pty.slavePath()), std::ios::binary) << "garbage";
  auto young = PosixSerialDevice::open(pty.slavePath());
  EXPECT_EQ(young.error, kSerialAccessDenied);
  EXPECT_TRUE(contains(young.reason, "in use by another program")) << young.reason;
  timespec old[2] = {{std::time(nullptr) - 60, 0}, {std::time(nullptr) - 60, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, locks.lockFileOf(pty.slavePath()).c_str(), old, 0), 0);
  EXPECT_TRUE(PosixSerialDevice::open(pty.slavePath()).device);

  // A lock that names this process but that no open port of it holds is a leftover (a
  // persistent lock folder after a restart that gave us the same PID).
  locks.writeLock(pty.slavePath(), ::getpid());
  EXPECT_TRUE(PosixSerialDevice::open(pty.slavePath()).device);
}

TEST(SerialLockFile, ALinkIsLockedUnderItsDevicesNameAndInDevUnderItsOwnToo) {
  LockFolder locks;
  PseudoTerminal pty;
  test::TempDir dir, other;
  std::filesystem::create_symlink(pty.slavePath(), dir.file("ttyFAX"));
  // Another folder's link of the same name to another device shares no lock with it.
  PseudoTerminal second;
  std::filesystem::create_symlink(second.slavePath(), other.file("ttyFAX"));
  auto opened = PosixSerialDevice::open(dir.file("ttyFAX"));
  ASSERT_TRUE(opened.device) << opened.reason;
  EXPECT_TRUE(exists(locks.lockFileOf(pty.slavePath())));
  EXPECT_FALSE(exists(locks.lockFileOf(dir.file("ttyFAX"))));
  EXPECT_EQ(PosixSerialDevice::open(pty.slavePath()).error, kSerialAccessDenied);  // same device
  EXPECT_TRUE(PosixSerialDevice::open(other.file("ttyFAX")).device);
  // A link in /dev (here /dev/stdin) is locked under its own name too, as other programs
  // given /dev/modem lock LCK..modem.
  auto names = serialLockNames("/dev/stdin");
  EXPECT_EQ(names.back(), "stdin");
  EXPECT_EQ(serialLockNames(dir.file("ttyFAX")).size(), 1u);
}

TEST(SerialLockFile, ALockFolderThatCannotBeUsedIsReportedWithTheFolder) {
  PseudoTerminal pty;
  {
    LockFolder locks("/proc/self");  // not even root can make a file there
    auto refused = PosixSerialDevice::open(pty.slavePath());
    EXPECT_FALSE(refused.device);
    EXPECT_LT(refused.error, ecSystemErrorBase);  // the system's reason, not "in use"
    EXPECT_TRUE(contains(refused.reason, "/proc/self/LCK..")) << refused.reason;
    EXPECT_TRUE(contains(refused.reason, "QUILLON_LOCK_DIR")) << refused.reason;
  }
  test::TempDir dir;
  LockFolder missing(dir.file("no such folder"));
  auto refused = PosixSerialDevice::open(pty.slavePath());
  EXPECT_FALSE(refused.device);
  EXPECT_TRUE(contains(refused.reason, "no such folder")) << refused.reason;
  // A device that does not exist is reported as that, whatever the lock folder.
  EXPECT_EQ(PosixSerialDevice::open(dir.file("ttyS99")).error, kSerialNoDevice);
}

// The case the fault was found with: Debian's efax holds the port with its lock file.
TEST(SerialLockFile, APortEfaxHoldsIsRefusedNamingEfax) {
  if (!std::filesystem::exists("/usr/bin/efax")) GTEST_SKIP() << "efax is not installed";
  LockFolder locks;
  PseudoTerminal pty;
  test::TempDir dir;
  std::string lockFile = locks.lockFileOf(pty.slavePath());
  test::ChildProcess efax({"/usr/bin/efax", "-d", pty.slavePath(), "-x", lockFile, "-w", "-r", dir.file("rx")},
                          dir.file("efax.out"));
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!exists(lockFile) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(exists(lockFile)) << dir.read("efax.out");
  auto refused = PosixSerialDevice::open(pty.slavePath());
  EXPECT_EQ(refused.error, kSerialAccessDenied);
  EXPECT_TRUE(contains(refused.reason, "(efax)")) << refused.reason;
  efax.end(SIGKILL);  // on SIGTERM it spends 10 s resetting a modem that is not there
}
