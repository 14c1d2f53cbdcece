#include "platform/modem_line_watcher.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>

namespace quillon::platform {

namespace {

int wakeSignal() { return SIGRTMIN + 4; }

void interrupted(int) {}  // only makes the blocked ioctl return EINTR

// Installs the do-nothing handler without SA_RESTART (a restarted ioctl would block again);
// false when another part of the program handles that signal.
bool wakeSignalReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    struct sigaction old{};
    if (::sigaction(wakeSignal(), nullptr, &old) != 0) return;
    bool free = !(old.sa_flags & SA_SIGINFO) && (old.sa_handler == SIG_DFL || old.sa_handler == interrupted);
    if (!free) return;
    struct sigaction action{};
    action.sa_handler = interrupted;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    ready = ::sigaction(wakeSignal(), &action, nullptr) == 0;
  });
  return ready;
}

void notify(int fd) {
  char one = 1;
  [[maybe_unused]] auto n = ::write(fd, &one, 1);
}

}  // namespace

bool ModemLineWatcher::start(int fd) {
  if (started_ || !wakeSignalReady()) return false;
  if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  fd_ = fd;
  stop_ = false;
  ended_ = false;
  started_ = true;
  thread_ = std::thread([this] { run(); });
  return true;
}

void ModemLineWatcher::run() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, wakeSignal());
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  while (!stop_) {
    if (::ioctl(fd_, TIOCMIWAIT, TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RNG) == 0) {
      notify(pipe_[1]);
      continue;
    }
    if (errno != EINTR) break;  // the driver lacks it, or the device went away
  }
  ended_ = true;
  notify(pipe_[1]);  // the waiter polls the lines again from now on
}

void ModemLineWatcher::stop() {
  if (!started_) return;
  stop_ = true;
  // A signal that came just before the thread entered the ioctl is lost: send again until
  // the thread is out.
  while (!ended_) {
    pthread_kill(thread_.native_handle(), wakeSignal());
    for (int i = 0; i < 20 && !ended_; ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  thread_.join();
  ::close(pipe_[0]);
  ::close(pipe_[1]);
  pipe_[0] = pipe_[1] = -1;
  started_ = false;
}

void ModemLineWatcher::drain() {
  char buf[64];
  while (pipe_[0] >= 0 && ::read(pipe_[0], buf, sizeof buf) > 0) {
  }
}

}  // namespace quillon::platform
