// The dispatcher on a pseudo-terminal against a minimal blocking-read loop on another one:
// latency from a byte written at the far end to its data-trigger notification (10,000
// round trips, median and 99th percentile), sustained throughput through the receive and
// transmit rings, and the CPU an idle open port uses over 10 s.
// Targets: median < 1 ms, p99 < 5 ms, idle < 1 % of a core.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "serial/dispatcher.h"
#include "support/pseudo_terminal.h"

using namespace quillon;
using namespace quillon::serial;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRoundTrips = 10000;
constexpr std::size_t kStreamBytes = 8u << 20;
constexpr int kIdleSeconds = 10;

struct Stats {
  double median, p99;
};

Stats summarize(std::vector<double> us) {
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us[us.size() * 99 / 100]};
}

void printLatency(const char* who, Stats s) {
  std::printf("  %-28s median %7.1f us   p99 %7.1f us\n", who, s.median, s.p99);
}

// Waits until `counter` passes `seen`, spinning briefly then sleeping on it.
void awaitChange(std::atomic<long>& counter, long seen) {
  while (counter.load() == seen) counter.wait(seen);
}

double cpuSeconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

std::unique_ptr<TApdPosixDispatcher> openPort(const test::PseudoTerminal& pty) {
  auto d = std::make_unique<TApdPosixDispatcher>();
  DispatcherOpenParams p;
  p.device = pty.slavePath();
  p.outSize = 65536;
  if (d->OpenDispatcher(p) != 0) {
    std::fprintf(stderr, "cannot open %s\n", pty.slavePath().c_str());
    std::exit(1);
  }
  return d;
}

// A thread that blocks in read() on the slave (set raw) and counts what arrives.
struct BlockingReader {
  explicit BlockingReader(const std::string& path) {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(fd, &t);
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;  // read() blocks until a byte is there
    t.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &t);
    thread = std::thread([this] {
      char buf[65536];
      for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0 || stop) break;
        bytes += n;
        ++reads;
        reads.notify_all();
      }
    });
  }
  ~BlockingReader() {  // the caller hangs the pseudo-terminal up first, which ends read()
    stop = true;
    if (thread.joinable()) thread.join();
    ::close(fd);
  }
  int fd = -1;
  std::atomic<bool> stop{false};
  std::atomic<long> reads{0};
  std::atomic<long> bytes{0};
  std::thread thread;
};

void latency() {
  std::puts("Latency: byte written at the far end -> notification (10,000 round trips)");
  {
    test::PseudoTerminal pty;
    auto port = openPort(pty);
    std::atomic<long> notified{0};
    port->AddDataTrigger("x", false);
    port->RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
      if (msg != kTriggerDataMsg) return;
      std::uint8_t c;
      while (port->GetChar(c) == 0) {
      }
      ++notified;
      notified.notify_all();
    });
    std::vector<double> us;
    us.reserve(kRoundTrips);
    for (int i = 0; i < kRoundTrips; ++i) {
      long seen = notified.load();
      auto t0 = Clock::now();
      pty.write("x");
      awaitChange(notified, seen);
      us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    printLatency("dispatcher data trigger", summarize(us));
  }
  {
    test::PseudoTerminal pty;
    BlockingReader reader(pty.slavePath());
    std::vector<double> us;
    us.reserve(kRoundTrips);
    for (int i = 0; i < kRoundTrips; ++i) {
      long seen = reader.reads.load();
      auto t0 = Clock::now();
      pty.write("x");
      awaitChange(reader.reads, seen);
      us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    printLatency("peer: blocking read loop", summarize(us));
    pty.hangUp();
    reader.thread.join();
  }
}

void writeStream(const test::PseudoTerminal& pty) {
  std::string chunk(4096, 'a');
  for (std::size_t sent = 0; sent < kStreamBytes; sent += chunk.size()) pty.write(chunk);
}

void throughput() {
  std::printf("Throughput: %zu MiB through the rings\n", kStreamBytes >> 20);
  {
    test::PseudoTerminal pty;
    auto port = openPort(pty);
    std::atomic<long> received{0};
    port->ChangeLengthTrigger(1);
    port->RegisterProcTriggerHandler([&](unsigned msg, unsigned count, std::uint32_t) {
      if (msg != kTriggerAvailMsg) return;
      std::vector<std::uint8_t> buf(count);
      if (port->GetBlock(buf.data(), count) > 0) received += count;
    });
    auto t0 = Clock::now();
    std::thread writer([&] { writeStream(pty); });
    while (received.load() < static_cast<long>(kStreamBytes)) std::this_thread::sleep_for(std::chrono::microseconds(200));
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    writer.join();
    std::printf("  %-28s %8.1f MB/s\n", "dispatcher receive (avail)", kStreamBytes / s / 1e6);

    std::string block(4096, 'b');
    std::atomic<std::size_t> drained{0};
    std::thread reader([&] {
      std::string got;
      while (drained < kStreamBytes) drained += pty.read(65536, std::chrono::milliseconds(2000)).size();
    });
    t0 = Clock::now();
    for (std::size_t sent = 0; sent < kStreamBytes;) {
      if (port->PutBlock(block.data(), block.size()) == 0)
        sent += block.size();
      else
        std::this_thread::sleep_for(std::chrono::microseconds(50));  // the ring is full
    }
    reader.join();
    s = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("  %-28s %8.1f MB/s\n", "dispatcher transmit", kStreamBytes / s / 1e6);
  }
  {
    test::PseudoTerminal pty;
    BlockingReader reader(pty.slavePath());
    auto t0 = Clock::now();
    std::thread writer([&] { writeStream(pty); });
    while (reader.bytes.load() < static_cast<long>(kStreamBytes)) std::this_thread::sleep_for(std::chrono::microseconds(200));
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    writer.join();
    std::printf("  %-28s %8.1f MB/s\n", "peer: blocking read loop", kStreamBytes / s / 1e6);
    pty.hangUp();
    reader.thread.join();
  }
}

void idle() {
  std::printf("Idle CPU over %d s (port open, no traffic) beside an idle blocking read loop\n", kIdleSeconds);
  test::PseudoTerminal portPty, peerPty;
  auto port = openPort(portPty);
  port->AddTimerTrigger();  // a port in use has triggers; none is due
  BlockingReader reader(peerPty.slavePath());
  clockid_t peerClock;
  pthread_getcpuclockid(reader.thread.native_handle(), &peerClock);
  double process0 = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID), peer0 = cpuSeconds(peerClock),
         main0 = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
  double peer = cpuSeconds(peerClock) - peer0;
  double dispatcher = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0 - peer - (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - main0);
  std::printf("  %-28s %8.3f %% of a core\n", "dispatcher (three threads)", dispatcher / kIdleSeconds * 100);
  std::printf("  %-28s %8.3f %% of a core\n", "peer: blocking read loop", peer / kIdleSeconds * 100);
  peerPty.hangUp();
  reader.thread.join();
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  latency();
  throughput();
  idle();
  return 0;
}
