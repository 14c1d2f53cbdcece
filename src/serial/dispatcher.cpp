// Opening, closing and the three worker threads of the dispatcher.
#include "serial/dispatcher.h"

#include <charconv>
#include <iostream>
#include <utility>

#include "platform/data_folder.h"
#include "platform/main_thread.h"
#include "platform/posix_serial_device.h"
#include "ports/port_mapping.h"
#include "serial/dispatcher_list.h"
#include "errors/error_codes.h"
#include "serial/flow_levels.h"

namespace quillon::serial {

using namespace std::chrono_literals;

namespace {

constexpr auto kThreadStartWait = 3000ms;
constexpr auto kDispatchWake = 50ms;
constexpr int kDeviceWaitMs = 1000;     // the communication thread's wait while the ring has room
constexpr int kRingFullWaitMs = 50;     // ... and while it is full (bytes stay in the device)
constexpr std::uint32_t kEventMask = platform::kEventReceiveChar | platform::kEventCts |
                                     platform::kEventDsr | platform::kEventRlsd | platform::kEventBreak |
                                     platform::kEventError | platform::kEventRing |
                                     platform::kEventRingTrailingEdge;

std::mutex displayLock;
std::function<void(const std::string&)>& exceptionDisplay() {
  static std::function<void(const std::string&)> display;
  return display;
}

}  // namespace

void setSerialExceptionDisplay(std::function<void(const std::string&)> display) {
  std::lock_guard guard(displayLock);
  exceptionDisplay() = std::move(display);
}

void showSerialException(const std::string& message) {
  std::function<void(const std::string&)> display;
  {
    std::lock_guard guard(displayLock);
    display = exceptionDisplay();
  }
  if (display)
    display(message);
  else
    std::cerr << "quillon: " << message << "\n";
}

TApdBaseDispatcher::TApdBaseDispatcher() : heading_(currentLogDumpHeading()) {
  slot_ = addToDispatcherList(this);
}

TApdBaseDispatcher::~TApdBaseDispatcher() {
  // A close still waiting for a delivery finishes here: the delivery ends when its handlers
  // return (window sends time out), and then the threads go.
  CloseDispatcher();
  while (!ThreadsGone()) {
    // A handler waiting for the main thread must not wait out its time-out when that is us.
    platform::mainThread().runWaitingSends();
    std::this_thread::sleep_for(1ms);
  }
  CloseDispatcher();
  removeFromDispatcherList(slot_);
}

std::string TApdBaseDispatcher::DeviceName() const {
  std::lock_guard guard(lock_);
  return device_ ? device_->name() : std::string();
}

std::uint32_t TApdBaseDispatcher::elapsedMs() const {
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - openTime_).count());
}

int TApdBaseDispatcher::OpenDispatcher(const DispatcherOpenParams& params) {
  if (open_ || !ThreadsGone()) return ecAlreadyOpen;  // the dispatcher is already started
  if (params.outSize == 0 || params.inSize == 0) return ecBadArgument;
  auto opened = OpenDevice(params);
  openFailure_ = opened.reason;
  if (!opened.device) return opened.error < 0 ? opened.error : ecBadId;
  {
    std::scoped_lock guard(lock_, inLock_, outLock_);
    device_ = std::move(opened.device);
    inSize_ = params.inSize;
    outSize_ = params.outSize;
    device_->setQueueSizes(inSize_, outSize_);
    in_ = ByteRing(kReceiveRingSize);
    out_ = ByteRing(outSize_);
    peekMode_ = false;
    peekBase_ = peekPos_ = peekHigh_ = 0;
    scanPos_ = matchEnd_ = 0;
    matchPending_ = false;
    availDeliveredAt_ = availBeforeMatchAt_ = UINT64_MAX;
    triggers_ = TriggerTables{};
    lineErrors_ = 0;
    overflowPending_ = false;
    device_->getSettings(dcb_);
    dtrState_ = params.dtr;
    rtsState_ = params.rts;
    dtrAuto_ = rtsAuto_ = rs485_ = dtrHeldLow_ = false;
    dcb_.dtrControl = dtrState_ ? platform::DtrControl::enable : platform::DtrControl::disable;
    dcb_.rtsControl = rtsState_ ? platform::RtsControl::enable : platform::RtsControl::disable;
    dcb_.outxCtsFlow = dcb_.outxDsrFlow = dcb_.outX = dcb_.inX = false;
    std::uint8_t lines = 0;
    device_->modemStatus(lines);
    modemStatus_ = lines & 0xF0;
    dcb_.baud = params.baud;
    dcb_.parity = params.parity;
    dcb_.dataBits = params.dataBits;
    dcb_.stopBits = params.stopBits;
  }
  int rc = device_->setSettings(dcb_);
  if (rc < 0) {
    std::lock_guard guard(lock_);
    device_.reset();
    return rc;
  }
  platform::SerialLineStatus ls;
  device_->lineStatus(ls);
  {
    std::lock_guard guard(traceLock_);
    trace_.release();
    log_.release();
  }
  openTime_ = std::chrono::steady_clock::now();
  closing_ = closeDeferred_ = deviceLost_ = false;
  outputSent_ = ringSeen_ = false;
  if (params.hwFlowOptions) {
    FlowLevels l = hardwareFlowLevels(inSize_, 0, 0);
    SetHardwareFlowControl(params.hwFlowOptions, l.full, l.resume);
  }
  if (params.swFlowOptions) {
    FlowLevels l = softwareFlowLevels(inSize_, 0, 0);
    SetSoftwareFlowControl(params.swFlowOptions, l.full, l.resume);
  }
  open_ = true;
  startThreads();
  return 0;
}

int TApdBaseDispatcher::CloseDispatcher() {
  {
    std::lock_guard guard(lock_);
    if (closeDeferred_) {
      if (!ThreadsGone()) return 1;  // the delivery has not ended yet
    } else {
      if (!open_) return 0;
      if (busy_) {
        closing_ = true;
        closeDeferred_ = true;
        return 1;
      }
      closing_ = true;  // under the lock: no new delivery starts
    }
  }
  if (!closeDeferred_) {
    shutDownDevice();
    stopThreads();
  } else if (dispThread_.joinable()) {
    dispThread_.join();
  }
  std::scoped_lock guard(lock_, inLock_, outLock_);
  device_.reset();
  out_ = ByteRing();
  open_ = false;
  closeDeferred_ = false;
  return 0;
}

void TApdBaseDispatcher::shutDownDevice() {
  if (device_) device_->purge(true, true);
  std::lock_guard in(inLock_);
  in_.clear();
}

void TApdBaseDispatcher::finishDeferredClose() {
  shutDownDevice();
  stopDeviceThreads();
}

// --- threads ---

void TApdBaseDispatcher::startThreads() {
  stop_ = stopDeviceThreads_ = abortOutput_ = false;
  {
    std::lock_guard guard(signal_);
    eventReady_ = eventProcessed_ = false;
    outReady_ = outAbort_ = outAbortAck_ = false;
    acknowledged_ = 0;
  }
  auto awaitAck = [&](int n) {
    std::unique_lock lock(signal_);
    eventCv_.wait_for(lock, kThreadStartWait, [&] { return acknowledged_ >= n; });
  };
  threadCount_ = 3;  // counted down as each thread ends
  comThread_ = std::thread([this] { comThreadLoop(); });
  awaitAck(1);
  dispThread_ = std::thread([this] { dispatchThreadLoop(); });
  awaitAck(2);
  outThread_ = std::thread([this] { outThreadLoop(); });
  awaitAck(3);
}

void TApdBaseDispatcher::stopDeviceThreads() {
  stopDeviceThreads_ = true;
  abortOutput_ = true;
  {
    std::lock_guard guard(signal_);
  }
  outCv_.notify_all();
  if (outThread_.joinable()) outThread_.join();
  if (device_) device_->cancelWait();
  eventCv_.notify_all();
  if (comThread_.joinable()) comThread_.join();
}

void TApdBaseDispatcher::stopThreads() {
  stop_ = true;
  stopDeviceThreads();
  {
    std::lock_guard guard(signal_);
  }
  eventCv_.notify_all();
  if (dispThread_.joinable()) dispThread_.join();
}

void TApdBaseDispatcher::comThreadLoop() {
  {
    std::lock_guard guard(signal_);
    ++acknowledged_;
  }
  eventCv_.notify_all();
  try {
    while (!stop_ && !stopDeviceThreads_) {
      bool full;
      {
        std::lock_guard in(inLock_);
        full = in_.full();
      }
      std::uint32_t mask = full ? (kEventMask & ~platform::kEventReceiveChar) : kEventMask;
      std::uint32_t events = device_->waitEvent(mask, full ? kRingFullWaitMs : kDeviceWaitMs);
      if (stop_ || stopDeviceThreads_) break;
      if (events == 0) continue;
      if (events & (platform::kEventRing | platform::kEventRingTrailingEdge)) ringSeen_ = true;
      std::unique_lock lock(signal_);
      eventWord_ = events;
      eventReady_ = true;
      eventProcessed_ = false;
      eventCv_.notify_all();
      eventCv_.wait(lock, [&] { return eventProcessed_ || stop_ || stopDeviceThreads_; });
      if (events & platform::kEventDeviceGone) break;  // nothing more will come
    }
  } catch (const std::exception& e) {
    showSerialException(e.what());
  }
  --threadCount_;
}

void TApdBaseDispatcher::dispatchThreadLoop() {
  {
    std::lock_guard guard(signal_);
    dispatchThreadId_ = std::this_thread::get_id();
    ++acknowledged_;
  }
  eventCv_.notify_all();
  try {
    for (;;) {
      std::uint32_t events = 0;
      bool got = false, recheck = false;
      {
        std::unique_lock lock(signal_);
        eventCv_.wait_for(lock, kDispatchWake,
                          [&] { return eventReady_ || recheckRequested_ || stop_.load(); });
        if (stop_) break;
        if (eventReady_) {
          events = eventWord_;
          eventReady_ = false;
          got = true;
        }
        recheck = std::exchange(recheckRequested_, false);
      }
      if (got) {
        processEvent(events);
        {
          std::lock_guard guard(signal_);
          eventProcessed_ = true;
        }
        eventCv_.notify_all();
      } else if (overflowPending_ && !closing_) {
        // Bytes left in the device while the ring was full: take them once there is room.
        receiveBytes();
        runTriggerChecks(true);
      }
      if (int failure = writeFailure_.exchange(0)) handleDeviceLost(failure);
      if (recheck && !closing_) runTriggerChecks(true);  // data that came while suspended
      runTriggerChecks(false);
      updateDtrHandshake();
      if (closeDeferred_ && !busy_) {
        finishDeferredClose();
        break;
      }
    }
  } catch (const std::exception& e) {
    showSerialException(e.what());
  }
  --threadCount_;
}

void TApdBaseDispatcher::wakeDispatchThread() {
  {
    std::lock_guard guard(signal_);
    recheckRequested_ = true;
  }
  eventCv_.notify_all();
}

void TApdBaseDispatcher::processEvent(std::uint32_t events) {
  using namespace platform;
  if (events & (kEventCts | kEventDsr | kEventRlsd | kEventRing | kEventRingTrailingEdge)) {
    refreshModemStatus();
    runTriggerChecks(false);
  }
  if (events & (kEventBreak | kEventError)) {
    refreshLineErrors();
    runTriggerChecks(false);
  }
  if (events & (kEventReceiveChar | kEventDeviceGone)) {
    receiveBytes();
    updateDtrHandshake();
    runTriggerChecks(true);
  }
  if (events & kEventDeviceGone) handleDeviceLost(ecCommNotOpen);
}

void TApdBaseDispatcher::outThreadLoop() {
  {
    std::lock_guard guard(signal_);
    ++acknowledged_;
  }
  eventCv_.notify_all();
  try {
    for (;;) {
      {
        std::unique_lock lock(signal_);
        outCv_.wait(lock, [&] { return outReady_ || outAbort_ || stop_ || stopDeviceThreads_; });
        if (stop_ || stopDeviceThreads_) break;
        if (outAbort_) {
          outAbort_ = false;
          outAbortAck_ = true;
          outCv_.notify_all();
          continue;
        }
        outReady_ = false;
      }
      writeOut();
    }
  } catch (const std::exception& e) {
    showSerialException(e.what());
  }
  --threadCount_;
}

void TApdBaseDispatcher::writeOut() {
  constexpr int kWriteWaitMs = 100;  // then look for an abort, and try again
  for (;;) {
    if (abortOutput_ || stop_ || stopDeviceThreads_) return;
    {
      // A copy, so that the ring may be resized (SetQueueSizes) while the device writes.
      std::lock_guard out(outLock_);
      if (out_.empty()) return;
      std::size_t length;
      const std::uint8_t* data = out_.readSpan(length);
      outChunk_.assign(data, data + length);
    }
    long n = device_->write(outChunk_.data(), outChunk_.size(), kWriteWaitMs);
    if (n < 0) {
      // The device failed (or went away): these bytes can go nowhere. Say so instead of
      // letting the output look sent: the dispatch thread reports the device as lost.
      {
        std::lock_guard out(outLock_);
        out_.clear();
      }
      writeFailure_ = static_cast<int>(n);
      wakeDispatchThread();
      return;
    }
    {
      std::lock_guard out(outLock_);
      out_.consume(static_cast<std::size_t>(n));
    }
    // Output-free and output-used triggers are checked now, not at the next 50 ms wake.
    if (n > 0) wakeDispatchThread();
  }
}

void TApdBaseDispatcher::handleDeviceLost(int code) {
  if (deviceLost_.exchange(true)) return;
  AddDispatchEntry(ltError, lsNone, static_cast<std::uint32_t>(-code));
  std::function<void(int)> handler;
  {
    std::lock_guard guard(lock_);
    if (closing_) return;
    handler = deviceLostHandler_;
    busy_ = true;  // a close asked for by the handler waits until it returns
  }
  if (handler) {
    try {
      handler(code);
    } catch (const std::exception& e) {
      showSerialException(e.what());
    }
  }
  busy_ = false;
}

void TApdBaseDispatcher::SetDeviceLostHandler(std::function<void(int)> handler) {
  std::lock_guard guard(lock_);
  deviceLostHandler_ = std::move(handler);
}

// --- device opening ---

TApdPosixDispatcher::~TApdPosixDispatcher() { CloseDispatcher(); }

platform::SerialOpenResult TApdPosixDispatcher::OpenDevice(const DispatcherOpenParams& params) {
  const std::string& name = params.device;
  int n = 0;
  if (name.size() > 3 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "com") == 0)) {
    auto [end, ec] = std::from_chars(name.data() + 3, name.data() + name.size(), n);
    if (ec == std::errc() && end == name.data() + name.size())
      return ports::openComPort(n, platform::dataFolder());
  }
  return ports::openDevice(name, 0);
}

TApdTapiDispatcher::~TApdTapiDispatcher() { CloseDispatcher(); }

platform::SerialOpenResult TApdTapiDispatcher::OpenDevice(const DispatcherOpenParams&) {
  return platform::PosixSerialDevice::adopt(fd_);
}

}  // namespace quillon::serial
