#pragma once
// The clocks of the fax status window: the elapsed time of a call and the redial count-down,
// driven by the session's progress codes. Times are milliseconds of a monotonic clock.
#include <QString>

#include <cstdint>

namespace quillon::send {

// Minutes, a colon and two-digit seconds, right-aligned in six characters ("  1:05").
QString minutesAndSeconds(std::int64_t seconds);

// A file name without its folder, cut to 20 characters followed by "..." when longer.
QString shortFileName(const QString& path);

// Runs from the moment the session reaches status 40 or 41 (connection parameters, called
// station ID) and stops at 43, 42 or 28 (finished, user abort, Class 2 hang-up code), keeping
// the time it stopped at. "00:00" before it ever ran.
class ElapsedClock {
 public:
  void reset() { *this = ElapsedClock(); }
  void onProgress(int progress, std::int64_t nowMs);
  QString text(std::int64_t nowMs) const;
  bool running() const { return running_; }

 private:
  bool running_ = false;
  bool ran_ = false;
  std::int64_t startMs_ = 0;
  std::int64_t stoppedAtMs_ = 0;
};

// The time left of the redial wait: counted down from the retry wait from the moment status 3
// ("Busy, waiting until redial...") began; a new count-down at each new wait.
class RedialCountdown {
 public:
  void reset() { *this = RedialCountdown(); }
  void onProgress(int progress, unsigned retryWaitSeconds, std::int64_t nowMs);
  bool waiting() const { return waiting_; }
  std::int64_t secondsLeft(std::int64_t nowMs) const;

 private:
  bool waiting_ = false;
  std::int64_t startMs_ = 0;
  unsigned waitSeconds_ = 0;
};

// The page progress meter's position: percent of the page sent, 0 while the length is unknown.
int pagePercent(long bytesDone, long bytesTotal);

}  // namespace quillon::send
