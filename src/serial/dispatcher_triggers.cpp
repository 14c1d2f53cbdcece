// Triggers, handlers and the delivery of notifications.
#include <algorithm>

#include "platform/main_thread.h"
#include "platform/message_pump.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::serial {

using namespace std::chrono_literals;

namespace {
constexpr auto kWindowSendTimeout = 3000ms;
constexpr auto kMethodSendSlice = 500ms;  // main-thread methods are re-sent until they run
constexpr auto kSuspendWait = 5000ms;     // the most a suspend waits for a delivery to end
enum HandlerKind { hkWindow = 0, hkProcedure = 1, hkMethod = 2 };
}  // namespace

// --- trigger tables ---

int TApdBaseDispatcher::AddTimerTrigger() {
  std::lock_guard guard(lock_);
  TimerTrigger t;
  t.handle = triggers_.allocateHandle();
  triggers_.timers.push_back(t);
  AddDispatchEntry(ltTriggerAlloc, lsTimerTrigger, static_cast<std::uint32_t>(t.handle));
  return t.handle;
}

int TApdBaseDispatcher::SetTimerTrigger(int handle, platform::Ticks ticks, bool activate) {
  std::lock_guard guard(lock_);
  TimerTrigger* t = triggers_.findTimer(handle);
  if (!t) return ecBadTriggerHandle;
  if (ticks != 0) t->interval = std::clamp<platform::Ticks>(ticks, 0, platform::kMaxTicks);
  t->active = activate;
  if (activate) t->timer = platform::startTimer(t->interval);
  AddDispatchEntry(ltTriggerDataChange, lsTimerTrigger, static_cast<std::uint32_t>(handle));
  return 0;
}

int TApdBaseDispatcher::AddStatusTrigger(int type) {
  if (type < stModem || type > stOutSent) return ecBadArgument;
  std::lock_guard guard(lock_);
  StatusTrigger t;
  t.handle = triggers_.allocateHandle() + type;
  t.type = type;
  triggers_.status.push_back(t);
  AddDispatchEntry(ltTriggerAlloc, lsStatusTrigger, static_cast<std::uint32_t>(t.handle));
  return t.handle;
}

int TApdBaseDispatcher::SetStatusTrigger(int handle, std::uint32_t value, bool activate) {
  if (activate) refreshModemStatus();
  std::lock_guard guard(lock_);
  StatusTrigger* t = triggers_.findStatus(handle);
  if (!t) return ecBadTriggerHandle;
  t->value = value;
  t->fired = false;
  if (t->type == stModem) t->reference = static_cast<std::uint8_t>(modemStatus_ & value);
  if (t->type == stOutSent && activate) outputSent_ = false;
  t->armed = activate;
  return 0;
}

int TApdBaseDispatcher::AddDataTrigger(const std::string& text, bool ignoreCase) {
  if (text.empty()) return ecBadArgument;
  if (text.size() > DataMatcher::kMaxLength) return ecTriggerTooLong;
  std::lock_guard guard(lock_);
  DataTrigger t;
  t.handle = triggers_.allocateHandle();
  t.matcher = DataMatcher(text, ignoreCase);
  triggers_.data.push_back(std::move(t));
  AddDispatchEntry(ltTriggerAlloc, lsDataTrigger, static_cast<std::uint32_t>(triggers_.data.back().handle));
  return triggers_.data.back().handle;
}

int TApdBaseDispatcher::ChangeLengthTrigger(std::uint32_t length) {
  std::lock_guard guard(lock_);
  triggers_.availThreshold = length;
  AddDispatchEntry(ltTriggerDataChange, lsAvailTrigger, length);
  return 0;
}

std::uint32_t TApdBaseDispatcher::AvailThreshold() const {
  std::lock_guard guard(lock_);
  return triggers_.availThreshold;
}

int TApdBaseDispatcher::RemoveTrigger(int handle) {
  std::lock_guard guard(lock_);
  if (handle == kAvailTriggerHandle) {
    triggers_.availThreshold = 0;
    return 0;
  }
  int kind = 0;
  if (!triggers_.remove(handle, &kind)) return ecBadTriggerHandle;
  static const LogSubType subTypes[] = {lsTimerTrigger, lsStatusTrigger, lsDataTrigger};
  AddDispatchEntry(ltTriggerDispose, subTypes[kind], static_cast<std::uint32_t>(handle));
  return 0;
}

SavedTriggers TApdBaseDispatcher::SaveTriggers() const {
  std::lock_guard guard(lock_);
  return SavedTriggers{triggers_};
}

void TApdBaseDispatcher::RestoreTriggers(const SavedTriggers& saved) {
  std::lock_guard guard(lock_);
  triggers_ = saved.tables;
  for (auto& t : triggers_.data) {
    t.matcher.reset();
    t.matched = false;
  }
  for (auto& t : triggers_.timers)
    if (t.active) t.timer = platform::startTimer(t.interval);
}

// --- handlers ---

int TApdBaseDispatcher::RegisterWndTriggerHandler(TriggerHandler handler) {
  std::lock_guard guard(lock_);
  handlers_.push_back({nextHandlerId_, hkWindow, std::move(handler), true, false});
  recomputeNotifySwitch();
  AddDispatchEntry(ltTriggerHandlerAlloc, lsWindow, static_cast<std::uint32_t>(nextHandlerId_));
  return nextHandlerId_++;
}

int TApdBaseDispatcher::RegisterProcTriggerHandler(TriggerHandler handler) {
  std::lock_guard guard(lock_);
  handlers_.push_back({nextHandlerId_, hkProcedure, std::move(handler), false, false});
  recomputeNotifySwitch();
  AddDispatchEntry(ltTriggerHandlerAlloc, lsProcedure, static_cast<std::uint32_t>(nextHandlerId_));
  return nextHandlerId_++;
}

int TApdBaseDispatcher::RegisterEventTriggerHandler(TriggerHandler handler, bool runOnMainThread) {
  std::lock_guard guard(lock_);
  handlers_.push_back({nextHandlerId_, hkMethod, std::move(handler), runOnMainThread, false});
  recomputeNotifySwitch();
  AddDispatchEntry(ltTriggerHandlerAlloc, lsMethod, static_cast<std::uint32_t>(nextHandlerId_));
  return nextHandlerId_++;
}

int TApdBaseDispatcher::DeregisterTriggerHandler(int id) {
  std::lock_guard guard(lock_);
  auto it = std::find_if(handlers_.begin(), handlers_.end(), [&](const Handler& h) { return h.id == id && !h.removed; });
  if (it == handlers_.end()) return ecBadArgument;
  static const LogSubType subTypes[] = {lsWindow, lsProcedure, lsMethod};
  AddDispatchEntry(ltTriggerHandlerDispose, subTypes[it->kind], static_cast<std::uint32_t>(id));
  if (busy_)
    it->removed = true;  // the delivery in progress holds a copy; dropped when it ends
  else
    handlers_.erase(it);
  recomputeNotifySwitch();
  return 0;
}

void TApdBaseDispatcher::SetNotifyOwner(bool on) {
  std::lock_guard guard(lock_);
  notifyOwner_ = on;
  recomputeNotifySwitch();
}

void TApdBaseDispatcher::recomputeNotifySwitch() {
  int windows = 0, others = 0;
  for (const Handler& h : handlers_) {
    if (h.removed) continue;
    (h.kind == hkWindow ? windows : others)++;
  }
  deliverToWindows_ = windows > 1 || (windows == 1 && notifyOwner_);
  notifyEnabled_ = others > 0 || deliverToWindows_;
}

// --- checks ---

void TApdBaseDispatcher::runTriggerChecks(bool withData) {
  for (;;) {
    if (closing_) return;
    bool fired = checkStatusTriggers();
    if (withData) {
      int r = checkDataTriggers();
      if (r == 2) return;  // an avail the handlers did not take in full ends the pass
      fired = fired || r == 1;
    } else {
      fired = checkTimerTriggers() || fired;
    }
    if (!fired) return;
  }
}

bool TApdBaseDispatcher::checkStatusTriggers() {
  int handle = 0;
  std::uint32_t value = 0;
  {
    std::lock_guard guard(lock_);
    if (suspendCount_.load() > 0) return false;
    std::uint8_t errorBits = static_cast<std::uint8_t>((lineErrors_.load() >> 1) & 0x0F);
    for (StatusTrigger& t : triggers_.status) {
      if (!t.armed) continue;
      bool fire = false;
      switch (t.type) {
        case stModem:
          fire = ((modemStatus_ ^ t.reference) & t.value) != 0;
          value = modemStatus_;
          break;
        case stLine:
          if (std::uint32_t bits = errorBits & t.value) {
            fire = true;
            t.value = bits;  // the trigger keeps the error bits that fired it
            value = 0;
          }
          break;
        case stOutFree: {
          std::lock_guard out(outLock_);
          value = static_cast<std::uint32_t>(out_.freeSpace());
          fire = value >= t.value;
          break;
        }
        case stOutUsed: {
          std::lock_guard out(outLock_);
          value = static_cast<std::uint32_t>(out_.used());
          fire = value <= t.value;
          break;
        }
        case stOutSent:
          fire = outputSent_.exchange(false);
          value = 0;
          break;
      }
      if (fire) {
        t.armed = false;
        t.fired = true;
        handle = t.handle;
        break;
      }
    }
    if (!handle || !claimDelivery()) return false;
  }
  AddDispatchEntry(ltTrigger, lsStatus, static_cast<std::uint32_t>(handle));
  deliver(kTriggerStatusMsg, static_cast<unsigned>(handle), value & 0xFFFF);
  endDelivery();
  return true;
}

bool TApdBaseDispatcher::checkTimerTriggers() {
  int handle = 0;
  {
    std::lock_guard guard(lock_);
    if (suspendCount_.load() > 0) return false;  // expired timers wait for the restore
    platform::Ticks now = platform::currentTicks();
    for (TimerTrigger& t : triggers_.timers)
      if (t.active && platform::timerExpired(t.timer, now)) {
        t.active = false;
        handle = t.handle;
        break;
      }
    if (!handle || !claimDelivery()) return false;
  }
  AddDispatchEntry(ltTrigger, lsTimer, static_cast<std::uint32_t>(handle));
  deliver(kTriggerTimerMsg, static_cast<unsigned>(handle), 0);
  endDelivery();
  return true;
}

int TApdBaseDispatcher::checkDataTriggers() {
  struct Match {
    int handle;
    std::size_t length;
  };
  std::vector<Match> matches;
  std::size_t availCount = 0;
  bool beforeMatch = false;
  {
    std::scoped_lock guard(lock_, inLock_);
    if (suspendCount_.load() > 0) return 0;  // scanned after the restore
    scanPos_ = std::max(scanPos_, in_.readPosition());
    while (!matchPending_ && scanPos_ < in_.written()) {
      std::uint8_t byte = in_.atPosition(scanPos_++);
      for (DataTrigger& t : triggers_.data)
        if (t.matcher.length() && t.matcher.feed(byte)) {
          t.matched = true;
          matchPending_ = true;
        }
      if (matchPending_) matchEnd_ = scanPos_;
    }
    std::uint32_t threshold = triggers_.availThreshold;
    if (matchPending_) {
      std::size_t longest = 0;
      for (const DataTrigger& t : triggers_.data)
        if (t.matched) longest = std::max(longest, t.matcher.length());
      // Bytes ahead of the match go first as avail, once, when they reach the threshold.
      std::uint64_t before = matchEnd_ > in_.readPosition() + longest ? matchEnd_ - in_.readPosition() - longest : 0;
      if (threshold && before >= threshold && availBeforeMatchAt_ != matchEnd_) {
        availBeforeMatchAt_ = matchEnd_;
        availCount = static_cast<std::size_t>(before);
        beforeMatch = true;
      } else {
        for (DataTrigger& t : triggers_.data)
          if (t.matched) {
            matches.push_back({t.handle, t.matcher.length()});
            t.matched = false;
          }
        matchPending_ = false;
      }
    } else if (threshold && in_.used() >= threshold && availDeliveredAt_ != in_.written()) {
      availDeliveredAt_ = in_.written();
      availCount = in_.used();
    }
    if ((availCount || !matches.empty()) && !claimDelivery()) return 0;
  }
  if (availCount) {
    AddDispatchEntry(ltTrigger, lsAvail, static_cast<std::uint32_t>(availCount));
    long taken = deliver(kTriggerAvailMsg, static_cast<unsigned>(availCount), 0);
    endDelivery();
    // A shortfall ends the pass, but never before a match already found is delivered: the
    // match would otherwise wait for bytes that may never come.
    return taken < static_cast<long>(availCount) && !beforeMatch ? 2 : 1;
  }
  for (const Match& m : matches) {
    AddDispatchEntry(ltTrigger, lsData, static_cast<std::uint32_t>(m.handle));
    deliver(kTriggerDataMsg, static_cast<unsigned>(m.handle), static_cast<std::uint32_t>(m.length));
  }
  if (matches.empty()) return 0;
  endDelivery();
  return 1;
}

// --- suspending delivery ---

void TApdBaseDispatcher::SuspendTriggerDelivery() {
  {
    std::lock_guard guard(lock_);
    ++suspendCount_;
  }
  auto self = std::this_thread::get_id();
  {
    std::lock_guard in(inLock_);
    if (self == handlerThread_) return;  // called by a handler: its own delivery goes on
  }
  if (self == dispatchThreadId_.load()) return;
  // A notification chosen before the count rose is delivered to the end; wait for it, so
  // that from here on the caller alone reads. A handler waiting for the main thread needs
  // it to service its queue when that is where we are.
  auto deadline = std::chrono::steady_clock::now() + kSuspendWait;
  while (busy_ && std::chrono::steady_clock::now() < deadline) {
    if (platform::mainThread().isMainThread()) platform::pumpMessages();
    std::this_thread::sleep_for(1ms);
  }
}

void TApdBaseDispatcher::RestoreTriggerDelivery() {
  {
    std::lock_guard guard(lock_);
    if (suspendCount_.load() == 0) return;  // unbalanced: nothing to restore
    if (--suspendCount_ > 0) return;
  }
  wakeDispatchThread();  // what expired or arrived meanwhile is checked now
}

bool TApdBaseDispatcher::claimDelivery() {
  if (suspendCount_.load() > 0) return false;
  busy_ = true;
  return true;
}

void TApdBaseDispatcher::endDelivery() {
  std::lock_guard guard(lock_);
  busy_ = false;
}

// --- delivery ---

long TApdBaseDispatcher::deliver(unsigned msg, unsigned first, std::uint32_t low16) {
  std::vector<Handler> handlers;
  bool toWindows;
  {
    std::lock_guard guard(lock_);
    if (closing_ || !notifyEnabled_) return -1;
    toWindows = deliverToWindows_;
    for (const Handler& h : handlers_)
      if (!h.removed) handlers.push_back(h);
  }
  std::uint32_t second = (static_cast<std::uint32_t>(slot_) << 16) | (low16 & 0xFFFF);
  bool peek = msg == kTriggerAvailMsg || msg == kTriggerDataMsg;
  if (peek) {
    std::lock_guard in(inLock_);
    peekMode_ = true;
    peekBase_ = peekPos_ = peekHigh_ = in_.readPosition();
  }
  // Methods first, then procedures, then windows.
  for (int kind : {hkMethod, hkProcedure, hkWindow}) {
    if (kind == hkWindow && !toWindows) continue;
    for (const Handler& h : handlers) {
      if (closing_) break;
      if (h.kind == kind) callHandler(h, msg, first, second, peek);
    }
  }
  std::size_t mostRead = 0;
  if (peek) {
    std::lock_guard in(inLock_);
    peekMode_ = false;
    // The handler that read the most sets how far the data is used; readers from other
    // threads may have taken bytes beyond that meanwhile.
    std::uint64_t end = std::max(peekHigh_, in_.readPosition());
    in_.consume(static_cast<std::size_t>(end - in_.readPosition()));
    mostRead = static_cast<std::size_t>(end - peekBase_);
  }
  {
    std::lock_guard guard(lock_);
    handlers_.erase(std::remove_if(handlers_.begin(), handlers_.end(), [](const Handler& h) { return h.removed; }),
                    handlers_.end());
    recomputeNotifySwitch();
  }
  return static_cast<long>(mostRead);
}

void TApdBaseDispatcher::callHandler(const Handler& h, unsigned msg, unsigned first, std::uint32_t second,
                                     bool peek) {
  auto call = [&] {
    {
      std::lock_guard in(inLock_);
      handlerThread_ = std::this_thread::get_id();  // this thread's reads peek
      peekPos_ = peekBase_;  // each handler starts where the delivery began
    }
    try {
      h.fn(msg, first, second);
    } catch (const std::exception& e) {
      showSerialException(e.what());  // one failing handler must not stop the port
    }
    std::lock_guard in(inLock_);
    handlerThread_ = std::thread::id();
  };
  if (!h.onMainThread || platform::mainThread().isMainThread()) {
    call();
  } else if (h.kind == hkWindow) {
    platform::mainThread().send(call, kWindowSendTimeout);
  } else {
    // A method is re-sent until the main thread takes it; one it has started is waited for.
    while (!closing_ && !platform::mainThread().send(call, kMethodSendSlice)) {
    }
  }
}

}  // namespace quillon::serial
