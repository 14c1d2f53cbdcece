#pragma once
// A program run as a child process with its output in a file; ended when still running at
// the end.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillon::test {

class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> args, const std::string& output) {
    pid_ = ::fork();
    if (pid_ == 0) {
      int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGTERM);
      wait(std::chrono::seconds(10));
      if (!done_) ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Ends it with `signal` and waits for it.
  void end(int signal) {
    if (pid_ > 0 && !done_) ::kill(pid_, signal), ::waitpid(pid_, nullptr, 0);
    done_ = true;
  }

  // The exit code, or -1 when it did not end in time.
  int wait(std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        done_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  bool done_ = false;
};

}  // namespace quillon::test
