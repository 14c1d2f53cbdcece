#include "phone_line.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace quillon::modem {

namespace {
// Ring cadence: two seconds of ringing, four of silence.
constexpr Micros kRingPeriod = seconds(6);
// Dialling: dial tone detection, then 100 ms per digit, then the exchange connects.
constexpr Micros kDialSetup = ms(700);
constexpr Micros kPerDigit = ms(100);
constexpr Micros kExchangeDelay = ms(1500);
}  // namespace

struct PhoneLine::Call {
  enum class State { Dialling, Ringing, Up };
  LineEndpoint* caller = nullptr;
  LineEndpoint* callee = nullptr;  // none: nobody there, or a person (voice)
  std::string number;
  State state = State::Dialling;
  int rings = 0;
  bool voice = false;
  Scheduler::Id pendingEvent = 0;
  std::uint64_t id = 0;  // signals still on the way belong to this call only
  // Each side's own carrier, as the line hears it: on now, or when it last stopped.
  struct Sending {
    bool on = false;
    Micros offAt = -1;
  };
  Sending callerSending, calleeSending;
  Sending& sendingOf(const LineEndpoint* side) { return side == caller ? callerSending : calleeSending; }
};

PhoneLine::PhoneLine(double timeScale) : scale_(timeScale > 0 ? timeScale : 1.0) {}

PhoneLine::~PhoneLine() = default;

Micros PhoneLine::paced(Micros airtime) const {
  if (airtime <= 0) return 0;
  auto scaled = static_cast<Micros>(static_cast<double>(airtime) / scale_);
  return std::max<Micros>(scaled, 1);
}

void PhoneLine::attach(LineEndpoint* endpoint, const std::string& number) {
  std::lock_guard lock(mutex_);
  dialTone_[endpoint] = true;
  if (!number.empty()) numbers_[number] = endpoint;
}

void PhoneLine::detach(LineEndpoint* endpoint) {
  std::lock_guard lock(mutex_);
  if (Call* call = callOf(endpoint)) {
    // A vanishing endpoint must not be called back.
    if (call->caller == endpoint) call->caller = nullptr;
    if (call->callee == endpoint) call->callee = nullptr;
    endCall(call, nullptr);
  }
  dialTone_.erase(endpoint);
  if (anyNumber_ == endpoint) anyNumber_ = nullptr;
  for (auto it = numbers_.begin(); it != numbers_.end();)
    it = it->second == endpoint ? numbers_.erase(it) : std::next(it);
}

void PhoneLine::setNumberFaults(const std::string& number, NumberFaults faults) {
  std::lock_guard lock(mutex_);
  faults_[number] = faults;
}

NumberFaults PhoneLine::numberFaults(const std::string& number) const {
  auto it = faults_.find(number);
  return it == faults_.end() ? NumberFaults{} : it->second;
}

void PhoneLine::setDialTone(LineEndpoint* endpoint, bool present) {
  std::lock_guard lock(mutex_);
  dialTone_[endpoint] = present;
}

bool PhoneLine::hasDialTone(LineEndpoint* endpoint) const {
  auto it = dialTone_.find(endpoint);
  return it == dialTone_.end() || it->second;
}

PhoneLine::Call* PhoneLine::callOf(const LineEndpoint* endpoint) const {
  for (const auto& [key, call] : calls_)
    if (call->caller == endpoint || (call->callee == endpoint && call->state != Call::State::Dialling))
      return key;
  return nullptr;
}

LineEndpoint* PhoneLine::peerOf(const Call& call, LineEndpoint* endpoint) const {
  return call.caller == endpoint ? call.callee : call.caller;
}

void PhoneLine::dial(LineEndpoint* caller, const std::string& dialString) {
  if (callOf(caller) != nullptr || !hasDialTone(caller)) return;
  std::string digits;
  for (char c : dialString)
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#') digits += c;
  auto call = std::make_unique<Call>();
  Call* raw = call.get();
  raw->id = nextCallId_++;
  raw->caller = caller;
  raw->number = digits;
  calls_[raw] = std::move(call);
  Micros setup = paced(kDialSetup + kPerDigit * static_cast<Micros>(digits.size()) + kExchangeDelay);
  raw->pendingEvent = scheduler_.after(setup, [this, raw] {
    raw->pendingEvent = 0;
    NumberFaults& faults = faults_[raw->number];
    auto found = numbers_.find(raw->number);
    LineEndpoint* callee = found == numbers_.end() ? anyNumber_ : found->second;
    bool calleeBusy = callee != nullptr && (callee == raw->caller || callOf(callee) != nullptr);
    if (faults.busyCalls > 0 || calleeBusy) {
      if (faults.busyCalls > 0) --faults.busyCalls;
      // The caller hears the busy tone until it hangs up.
      if (raw->caller) raw->caller->busy();
      return;
    }
    raw->state = Call::State::Ringing;
    if (faults.voiceAnswer) {
      raw->voice = true;
      raw->pendingEvent = scheduler_.after(paced(ms(2500)), [this, raw] { playVoice(raw); });
      return;
    }
    // Nobody behind the number, or a fault: ringback with nobody answering.
    if (callee == nullptr || faults.noAnswer) return;
    raw->callee = callee;
    ringOnce(raw);
  });
}

void PhoneLine::ringOnce(Call* call) {
  call->pendingEvent = scheduler_.after(paced(kRingPeriod), [this, call] { ringOnce(call); });
  ++call->rings;
  if (call->callee) call->callee->ringing(call->rings);
}

void PhoneLine::playVoice(Call* call) {
  call->pendingEvent = 0;
  call->state = Call::State::Up;
  if (call->caller) call->caller->voiceAnswered();
  // "Hello? Hello?" and the person hangs up.
  call->pendingEvent = scheduler_.after(paced(seconds(8)), [this, call] {
    call->pendingEvent = 0;
    endCall(call, nullptr);
  });
}

bool PhoneLine::answer(LineEndpoint* callee) {
  std::lock_guard lock(mutex_);
  for (auto& [key, call] : calls_) {
    if (call->callee != callee || call->state != Call::State::Ringing) continue;
    scheduler_.cancel(call->pendingEvent);
    call->pendingEvent = 0;
    call->state = Call::State::Up;
    if (call->caller) call->caller->callUp();
    callee->callUp();
    return true;
  }
  return false;
}

void PhoneLine::hangUp(LineEndpoint* endpoint) {
  std::lock_guard lock(mutex_);
  Call* call = callOf(endpoint);
  if (call == nullptr) return;
  if (delay_ <= 0 || call->state != Call::State::Up || peerOf(*call, endpoint) == nullptr) {
    endCall(call, endpoint);
    return;
  }
  // This side is free at once; the other side hears the line go dead after the delay, when
  // what was sent before the hang-up has reached it.
  if (call->caller == endpoint) call->caller = nullptr;
  if (call->callee == endpoint) call->callee = nullptr;
  scheduler_.after(delay_, [this, id = call->id] {
    if (Call* still = callById(id)) endCall(still, nullptr);
  });
}

void PhoneLine::endCall(Call* call, LineEndpoint* hungUpBy) {
  scheduler_.cancel(call->pendingEvent);
  auto owned = std::move(calls_[call]);
  calls_.erase(call);
  for (LineEndpoint* side : {call->caller, call->callee}) {
    if (side == nullptr || side == hungUpBy) continue;
    if (call->state == Call::State::Up) {
      side->callDown();
    } else if (side == call->callee) {
      side->ringingStopped();
    } else {
      side->callDown();
    }
  }
}

bool PhoneLine::inCall(const LineEndpoint* endpoint) const { return callOf(endpoint) != nullptr; }

bool PhoneLine::connected(const LineEndpoint* endpoint) const {
  Call* call = callOf(endpoint);
  return call != nullptr && call->state == Call::State::Up;
}

bool PhoneLine::ringingAt(const LineEndpoint* endpoint) const {
  for (const auto& [key, call] : calls_)
    if (call->callee == endpoint && call->state == Call::State::Ringing) return true;
  return false;
}

void PhoneLine::transmit(LineEndpoint* from, const LineSignal& s) {
  Call* call = callOf(from);
  if (call == nullptr || call->state != Call::State::Up) return;
  // The sender's own carrier state, for the other side's receiver (it is deaf while sending).
  Call::Sending& own = call->sendingOf(from);
  if (s.kind == LineSignal::Kind::CarrierOn) own.on = true;
  if (s.kind == LineSignal::Kind::CarrierOff) {
    own.on = false;
    own.offAt = now();
  }
  LineEndpoint* peer = peerOf(*call, from);
  if (peer == nullptr) return;
  if (delay_ <= 0) {
    deliver(call, peer, s);
    return;
  }
  LineSignal late = s;
  if (late.kind == LineSignal::Kind::CarrierOn) late.dataStart += delay_;
  scheduler_.after(delay_, [this, id = call->id, peer, late] {
    // The call may have ended while the signal was on its way.
    Call* now = callById(id);
    if (now != nullptr && (now->caller == peer || now->callee == peer)) deliver(now, peer, late);
  });
}

PhoneLine::Call* PhoneLine::callById(std::uint64_t id) const {
  for (const auto& [key, call] : calls_)
    if (call->id == id) return key;
  return nullptr;
}

void PhoneLine::deliver(Call* call, LineEndpoint* peer, const LineSignal& s) {
  if (call->state != Call::State::Up) return;
  if (s.kind == LineSignal::Kind::Frame) {
    // Both sides talking at once: the receiving side sent during this frame and missed it.
    const Call::Sending& theirs = call->sendingOf(peer);
    Micros frameStart = now() - paced(frameAirTime(s.bytes.size()));
    if (theirs.on || theirs.offAt > frameStart) return;
  }
  peer->signal(s);
}

Micros PhoneLine::wallNow() const {
  auto t = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::microseconds>(t).count();
}

void PhoneLine::run(Micros duration) {
  std::lock_guard lock(mutex_);
  scheduler_.runUntil(scheduler_.now() + duration);
}

void PhoneLine::useRealTime() {
  std::lock_guard lock(mutex_);
  realTime_ = true;
  wallStart_ = wallNow() - scheduler_.now();
}

void PhoneLine::settle() {
  std::lock_guard lock(mutex_);
  if (realTime_) {
    scheduler_.runUntil(wallNow() - wallStart_);
  } else {
    scheduler_.runDue();
  }
}

std::optional<Micros> PhoneLine::untilNextEvent() {
  std::lock_guard lock(mutex_);
  auto next = scheduler_.nextDue();
  if (!next) return std::nullopt;
  Micros now = realTime_ ? wallNow() - wallStart_ : scheduler_.now();
  return std::max<Micros>(0, *next - now);
}

}  // namespace quillon::modem
