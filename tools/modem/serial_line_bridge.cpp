#include "serial_line_bridge.h"

#include <algorithm>

namespace quillon::modem {

SerialLineBridge::SerialLineBridge(EmulatedModem& modem, std::shared_ptr<platform::InProcessSerialLine> serial)
    : modem_(modem), serial_(std::move(serial)) {
  serial_->setDcd(false);
  serial_->setRi(false);
}

void SerialLineBridge::pump() {
  if (modem_.vanished()) {
    if (!vanished_) serial_->vanish();
    vanished_ = true;
    return;
  }
  bool dtr = serial_->dtr();
  if (dtr != dtr_) {
    dtr_ = dtr;
    modem_.setDtr(dtr);
  }
  bool rts = serial_->rts();
  if (rts != rts_) {
    rts_ = rts;
    modem_.setRts(rts);
  }
  // A port that honours flow control keeps what the modem has no room for in its device,
  // where it counts as queued output; one that does not pushes it all on.
  auto settings = serial_->portSettings();
  bool honoursFlow = settings.outxCtsFlow || settings.outX;
  std::string in = honoursFlow ? serial_->read(modem_.dteRoom()) : serial_->read();
  if (!in.empty()) modem_.fromDte(in);
  std::string out = modem_.toDte();
  if (!out.empty()) serial_->write(out);
  if (modem_.dcd() != dcd_) serial_->setDcd(dcd_ = modem_.dcd());
  if (modem_.cts() != cts_) serial_->setCts(cts_ = modem_.cts());
  if (modem_.dsr() != dsr_) serial_->setDsr(dsr_ = modem_.dsr());
  if (modem_.ri() != ri_) serial_->setRi(ri_ = modem_.ri());
}

}  // namespace quillon::modem
