#include "send/fax_status_clocks.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

#include "fax/fax_types.h"

namespace quillon::send {

namespace {
constexpr int kGotHangupCode = 28;  // "Got Class 2 FHNG code"
}

QString minutesAndSeconds(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0')).rightJustified(6);
}

QString shortFileName(const QString& path) {
  QString name = QFileInfo(path).fileName();
  return name.size() > 20 ? name.left(20) + QStringLiteral("...") : name;
}

void ElapsedClock::onProgress(int progress, std::int64_t nowMs) {
  if (progress == fax::fpSessionParams || progress == fax::fpGotRemoteID) {
    if (!running_) {
      running_ = ran_ = true;
      startMs_ = nowMs;
    }
  } else if (progress == fax::fpFinished || progress == fax::fpCancel || progress == kGotHangupCode) {
    if (running_) {
      running_ = false;
      stoppedAtMs_ = nowMs;
    }
  }
}

QString ElapsedClock::text(std::int64_t nowMs) const {
  if (!ran_) return QStringLiteral("00:00");
  return minutesAndSeconds(((running_ ? nowMs : stoppedAtMs_) - startMs_) / 1000);
}

void RedialCountdown::onProgress(int progress, unsigned retryWaitSeconds, std::int64_t nowMs) {
  if (progress != fax::fpBusyWait) {
    waiting_ = false;
    return;
  }
  if (waiting_) return;
  waiting_ = true;
  startMs_ = nowMs;
  waitSeconds_ = retryWaitSeconds;
}

std::int64_t RedialCountdown::secondsLeft(std::int64_t nowMs) const {
  if (!waiting_) return 0;
  // Rounded up, so the count reads the full wait when it begins and 0 only at its end.
  std::int64_t leftMs = static_cast<std::int64_t>(waitSeconds_) * 1000 - (nowMs - startMs_);
  return std::max<std::int64_t>(0, (leftMs + 999) / 1000);
}

int pagePercent(long bytesDone, long bytesTotal) {
  if (bytesTotal <= 0) return 0;
  return std::clamp(static_cast<int>(std::lround(static_cast<double>(bytesDone) / bytesTotal * 100.0)), 0, 100);
}

}  // namespace quillon::send
