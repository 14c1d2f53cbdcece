#pragma once
// Serial lock files in a folder of the test's own (QUILLON_LOCK_DIR), and a process that
// stands for another program holding a port.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace quillon::test {

class LockFolder {
 public:
  explicit LockFolder(const std::string& folder = {}) {
    if (const char* old = ::getenv("QUILLON_LOCK_DIR")) previous_ = old;
    ::setenv("QUILLON_LOCK_DIR", folder.empty() ? dir_.path().c_str() : folder.c_str(), 1);
  }
  ~LockFolder() {
    if (previous_)
      ::setenv("QUILLON_LOCK_DIR", previous_->c_str(), 1);
    else
      ::unsetenv("QUILLON_LOCK_DIR");
  }
  LockFolder(const LockFolder&) = delete;
  LockFolder& operator=(const LockFolder&) = delete;

  // The lock file for a device path: LCK.. and the device's file name.
  std::string lockFileOf(const std::string& device) const {
    return dir_.file("LCK.." + device.substr(device.find_last_of('/') + 1));
  }
  // Writes a lock file as other programs do ("%10d\n").
  void writeLock(const std::string& device, int pid) const {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    std::ofstream(lockFileOf(device), std::ios::binary) << text;
  }
  std::string read(const std::string& device) const {
    std::ifstream in(lockFileOf(device), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  TempDir dir_;
  std::optional<std::string> previous_;
};

// A child process that only waits; ended (and reaped) by end() or the destructor, after which
// its PID is a dead one.
class IdleProcess {
 public:
  IdleProcess() {
    pid_ = ::fork();
    if (pid_ == 0) {
      ::alarm(60);  // never outlives a test run that lost it
      for (;;) ::pause();
    }
  }
  ~IdleProcess() { end(); }
  IdleProcess(const IdleProcess&) = delete;
  IdleProcess& operator=(const IdleProcess&) = delete;
  int pid() const { return pid_; }
  void end() {
    if (running_ && pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    running_ = false;
  }

 private:
  pid_t pid_ = -1;
  bool running_ = true;
};

}  // namespace quillon::test
