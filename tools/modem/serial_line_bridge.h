#pragma once
// Ties an emulated modem's DTE side to the far end of an in-process serial line, so a port
// opened on that line talks to the modem: bytes both ways, DTR and RTS in, DCD, CTS, DSR and
// RI out, and an unplugged modem makes the device vanish. A port that holds its output on CTS
// or XOFF gets no more bytes into the modem than it has room for; one that ignores both
// overruns it, as on a real serial line.
#include <memory>

#include "emulated_modem.h"
#include "platform/in_process_serial_device.h"

namespace quillon::modem {

class SerialLineBridge {
 public:
  SerialLineBridge(EmulatedModem& modem, std::shared_ptr<platform::InProcessSerialLine> serial);
  // Moves what is waiting in either direction; runs with the line's lock held.
  void pump();

 private:
  EmulatedModem& modem_;
  std::shared_ptr<platform::InProcessSerialLine> serial_;
  bool dtr_ = false, rts_ = true;
  bool dcd_ = false, cts_ = true, dsr_ = true, ri_ = false;
  bool vanished_ = false;
};

}  // namespace quillon::modem
