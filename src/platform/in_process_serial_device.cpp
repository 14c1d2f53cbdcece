#include "platform/in_process_serial_device.h"

#include <algorithm>
#include <utility>

namespace quillon::platform {

// The port side of an InProcessSerialLine.
class InProcessSerialDevice final : public SerialDevice {
 public:
  explicit InProcessSerialDevice(std::shared_ptr<InProcessSerialLine> line) : line_(std::move(line)) {}
  ~InProcessSerialDevice() override {
    std::lock_guard lock(line_->mutex_);
    line_->portOpen_ = false;
    line_->dtr_ = line_->rts_ = false;  // closing a port drops its control lines
    line_->changed_.notify_all();
  }

  long read(std::uint8_t* data, std::size_t size) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->gone_) return kSerialDeviceGone;
    std::size_t n = std::min(size, line_->towardsPort_.size());
    std::copy_n(line_->towardsPort_.begin(), n, data);
    line_->towardsPort_.erase(line_->towardsPort_.begin(), line_->towardsPort_.begin() + n);
    return static_cast<long>(n);
  }

  long write(const std::uint8_t* data, std::size_t size, int timeoutMs) override {
    {
      std::unique_lock lock(line_->mutex_);
      // Hardware output flow: wait while the far end holds CTS (or DSR) low.
      auto held = [&] {
        const auto& s = line_->settings_;
        return (s.outxCtsFlow && !(line_->lines_ & kModemCts)) ||
               (s.outxDsrFlow && !(line_->lines_ & kModemDsr));
      };
      line_->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return line_->gone_ || !held(); });
      if (line_->gone_) return kSerialDeviceGone;
      if (line_->writeFailure_) return line_->writeFailure_;
      if (held()) return 0;
      line_->fromPort_.append(reinterpret_cast<const char*>(data), size);
      line_->changed_.notify_all();
    }
    line_->notifyActivity();
    return static_cast<long>(size);
  }

  int getSettings(SerialSettings& settings) override {
    std::lock_guard lock(line_->mutex_);
    settings = line_->settings_;
    return line_->gone_ ? kSerialDeviceGone : 0;
  }

  int setSettings(const SerialSettings& settings) override {
    {
      std::lock_guard lock(line_->mutex_);
      if (line_->gone_) return kSerialDeviceGone;
      line_->settings_ = settings;
      line_->dtr_ = settings.dtrControl != DtrControl::disable;
      if (settings.rtsControl != RtsControl::toggle)
        line_->rts_ = settings.rtsControl != RtsControl::disable;
      line_->changed_.notify_all();
    }
    line_->notifyActivity();
    return 0;
  }

  int setDtr(bool on) override { return setControl(line_->dtr_, on); }
  int setRts(bool on) override { return setControl(line_->rts_, on); }

  int modemStatus(std::uint8_t& status) override {
    std::lock_guard lock(line_->mutex_);
    status = line_->lines_;
    return line_->gone_ ? kSerialDeviceGone : 0;
  }

  int lineStatus(SerialLineStatus& status) override {
    std::lock_guard lock(line_->mutex_);
    if (line_->gone_) return kSerialDeviceGone;
    status.errors = line_->pendingErrors_;
    line_->pendingErrors_ = 0;
    status.receiveQueued = line_->towardsPort_.size();
    status.transmitQueued = line_->fromPort_.size();  // written, not yet taken by the far end
    return 0;
  }

  int purge(bool receive, bool transmit) override {
    std::lock_guard lock(line_->mutex_);
    if (receive) line_->towardsPort_.clear();
    return 0;
  }

  std::uint32_t waitEvent(std::uint32_t mask, int timeoutMs) override {
    std::unique_lock lock(line_->mutex_);
    std::uint32_t events = 0;
    auto ready = [&] {
      if (line_->cancel_) return true;
      events = line_->pendingEvents_ & mask;
      if ((mask & kEventReceiveChar) && !line_->towardsPort_.empty()) events |= kEventReceiveChar;
      if (line_->gone_) events |= kEventDeviceGone;
      return events != 0;
    };
    line_->changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (line_->cancel_) {
      line_->cancel_ = false;
      return 0;
    }
    line_->pendingEvents_ &= ~events;
    return events;
  }

  void cancelWait() override {
    std::lock_guard lock(line_->mutex_);
    line_->cancel_ = true;
    line_->changed_.notify_all();
  }

  std::string name() const override { return line_->name_; }

 private:
  int setControl(bool& line, bool on) {
    {
      std::lock_guard lock(line_->mutex_);
      if (line_->gone_) return kSerialDeviceGone;
      line = on;
      line_->changed_.notify_all();
    }
    line_->notifyActivity();
    return 0;
  }

  std::shared_ptr<InProcessSerialLine> line_;
};

std::shared_ptr<InProcessSerialLine> InProcessSerialLine::create(std::string name) {
  return std::shared_ptr<InProcessSerialLine>(new InProcessSerialLine(std::move(name)));
}

SerialOpenResult InProcessSerialLine::openPort() {
  std::lock_guard lock(mutex_);
  if (gone_) return {nullptr, kSerialNoDevice};
  if (portOpen_) return {nullptr, kSerialAccessDenied};
  portOpen_ = true;
  cancel_ = false;
  pendingEvents_ = 0;
  return {std::make_unique<InProcessSerialDevice>(shared_from_this()), 0};
}

bool InProcessSerialLine::portOpen() const {
  std::lock_guard lock(mutex_);
  return portOpen_;
}

void InProcessSerialLine::write(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  if (gone_) return;
  towardsPort_.insert(towardsPort_.end(), bytes.begin(), bytes.end());
  changed_.notify_all();
}

std::string InProcessSerialLine::read() {
  std::lock_guard lock(mutex_);
  return std::exchange(fromPort_, {});
}

std::string InProcessSerialLine::read(std::size_t most) {
  std::lock_guard lock(mutex_);
  if (most >= fromPort_.size()) return std::exchange(fromPort_, {});
  std::string taken = fromPort_.substr(0, most);
  fromPort_.erase(0, most);
  return taken;
}

std::string InProcessSerialLine::readAtLeast(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return fromPort_.size() >= count; });
  return std::exchange(fromPort_, {});
}

bool InProcessSerialLine::readUntil(std::string_view text, std::chrono::milliseconds timeout,
                                    std::string* taken) {
  std::unique_lock lock(mutex_);
  std::size_t at = std::string::npos;
  if (!changed_.wait_for(lock, timeout, [&] { return (at = fromPort_.find(text)) != std::string::npos; }))
    return false;
  std::size_t end = at + text.size();
  if (taken) *taken = fromPort_.substr(0, end);
  fromPort_.erase(0, end);
  return true;
}

std::size_t InProcessSerialLine::pendingTowardsPort() const {
  std::lock_guard lock(mutex_);
  return towardsPort_.size();
}

void InProcessSerialLine::setLine(std::uint8_t bit, bool on) {
  std::lock_guard lock(mutex_);
  if (((lines_ & bit) != 0) == on) return;
  lines_ = on ? (lines_ | bit) : (lines_ & ~bit);
  switch (bit) {
    case kModemCts: pendingEvents_ |= kEventCts; break;
    case kModemDsr: pendingEvents_ |= kEventDsr; break;
    case kModemDcd: pendingEvents_ |= kEventRlsd; break;
    case kModemRi: pendingEvents_ |= on ? kEventRing : kEventRingTrailingEdge; break;
  }
  changed_.notify_all();
}

void InProcessSerialLine::setCts(bool on) { setLine(kModemCts, on); }
void InProcessSerialLine::setDsr(bool on) { setLine(kModemDsr, on); }
void InProcessSerialLine::setRi(bool on) { setLine(kModemRi, on); }
void InProcessSerialLine::setDcd(bool on) { setLine(kModemDcd, on); }

bool InProcessSerialLine::dtr() const {
  std::lock_guard lock(mutex_);
  return dtr_;
}

bool InProcessSerialLine::rts() const {
  std::lock_guard lock(mutex_);
  return rts_;
}

SerialSettings InProcessSerialLine::portSettings() const {
  std::lock_guard lock(mutex_);
  return settings_;
}

void InProcessSerialLine::injectLineErrors(std::uint8_t bits) {
  std::lock_guard lock(mutex_);
  pendingErrors_ |= bits;
  if (bits & kLineBreak) pendingEvents_ |= kEventBreak;
  if (bits & ~kLineBreak) pendingEvents_ |= kEventError;
  changed_.notify_all();
}

void InProcessSerialLine::failWrites(int status) {
  std::lock_guard lock(mutex_);
  writeFailure_ = status;
}

void InProcessSerialLine::vanish() {
  std::lock_guard lock(mutex_);
  gone_ = true;
  changed_.notify_all();
}

void InProcessSerialLine::reconnect() {
  std::lock_guard lock(mutex_);
  gone_ = false;
  towardsPort_.clear();
  changed_.notify_all();
}

void InProcessSerialLine::setActivityListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void InProcessSerialLine::notifyActivity() {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

}  // namespace quillon::platform
