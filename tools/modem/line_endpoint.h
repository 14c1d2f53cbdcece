#pragma once
// Anything that sits on the emulated telephone line: an emulated modem or a remote fax
// machine. The line calls these under its lock, in line time.
#include "line_signal.h"

namespace quillon::modem {

class LineEndpoint {
 public:
  virtual ~LineEndpoint() = default;

  // Called side: one ring of an incoming call (count starts at 1); the caller gave up.
  virtual void ringing(int count) {}
  virtual void ringingStopped() {}
  // Calling side: the number is busy; a person answered (voice).
  virtual void busy() {}
  virtual void voiceAnswered() {}
  // Both sides: the call was answered; the other side hung up or the line went dead.
  virtual void callUp() {}
  virtual void callDown() {}
  // Connected call: the other side's carrier, frames and data.
  virtual void signal(const LineSignal& s) {}
};

}  // namespace quillon::modem
