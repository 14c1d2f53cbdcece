#include "line_transmitter.h"

#include <algorithm>

namespace quillon::modem {

namespace {
constexpr Micros kSlice = ms(20);
}  // namespace

LineTransmitter::LineTransmitter(PhoneLine& line, LineEndpoint* owner)
    : line_(line), owner_(owner), timer_(line.scheduler()) {}

void LineTransmitter::emit(LineSignal::Kind kind, std::string bytes, bool fcsOk) {
  LineSignal s;
  s.kind = kind;
  s.modulation = modulation_;
  s.bytes = std::move(bytes);
  s.fcsOk = fcsOk;
  line_.transmit(owner_, s);
}

void LineTransmitter::start(const Modulation& m, bool shortTrain, std::function<void()> ready) {
  abort();
  on_ = true;
  flowing_ = false;
  finishing_ = false;
  modulation_ = m;
  Micros train = line_.paced(trainingTime(m, shortTrain));
  LineSignal s;
  s.kind = LineSignal::Kind::CarrierOn;
  s.modulation = m;
  s.shortTrain = shortTrain;
  s.dataStart = line_.now() + train;
  line_.transmit(owner_, s);
  timer_.start(train, [this, ready = std::move(ready)] {
    flowing_ = true;
    if (ready) ready();
    pump();
  });
}

void LineTransmitter::sendFrame(std::string frame, bool fcsOk, std::function<void()> sent) {
  if (!on_) return;
  queued_ += frame.size();
  items_.push_back({std::move(frame), true, fcsOk, std::move(sent)});
  pump();
}

void LineTransmitter::sendData(const std::string& bytes) {
  if (!on_ || bytes.empty()) return;
  queued_ += bytes.size();
  items_.push_back({bytes, false, true, nullptr});
  pump();
}

void LineTransmitter::finish(std::function<void()> stopped) {
  if (!on_) {
    if (stopped) stopped();
    return;
  }
  finishing_ = true;
  whenStopped_ = std::move(stopped);
  pump();
}

void LineTransmitter::abort() {
  timer_.stop();
  items_.clear();
  queued_ = 0;
  busy_ = false;
  finishing_ = false;
  whenStopped_ = nullptr;
  if (on_) {
    on_ = false;
    emit(LineSignal::Kind::CarrierOff);
  }
}

void LineTransmitter::pump() {
  if (!on_ || !flowing_ || busy_) return;
  if (items_.empty()) {
    if (finishing_) {
      on_ = false;
      finishing_ = false;
      emit(LineSignal::Kind::CarrierOff);
      auto done = std::move(whenStopped_);
      whenStopped_ = nullptr;
      if (done) done();
    }
    return;
  }
  busy_ = true;
  Item& item = items_.front();
  if (item.frame) {
    Micros t = line_.paced(frameAirTime(item.bytes.size()));
    timer_.start(t, [this] {
      busy_ = false;
      Item done = std::move(items_.front());
      items_.pop_front();
      queued_ -= done.bytes.size();
      emit(LineSignal::Kind::Frame, done.bytes, done.fcsOk);
      if (done.done) done.done();
      pump();
    });
    return;
  }
  // High-speed data: one slice of the carrier's rate at a time.
  std::size_t perSlice = std::max<std::size_t>(1, static_cast<std::size_t>(modulation_.bps) / 8 * kSlice / 1000000);
  std::size_t n = std::min(perSlice, item.bytes.size());
  Micros t = line_.paced(airTime(modulation_, n));
  timer_.start(t, [this, n] {
    busy_ = false;
    Item& front = items_.front();
    std::string slice = front.bytes.substr(0, n);
    front.bytes.erase(0, n);
    queued_ -= n;
    if (front.bytes.empty()) items_.pop_front();
    emit(LineSignal::Kind::Data, std::move(slice));
    pump();
  });
}

}  // namespace quillon::modem
