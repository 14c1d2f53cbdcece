#pragma once
// The short modem conversations of the probes. They run on the GUI thread and let its events
// run while they wait, so the probe windows keep painting; a step that can block for long
// (the class query) runs on a worker thread meanwhile.
#include <QString>

#include <exception>
#include <future>
#include <thread>

#include "platform/message_pump.h"
#include "platform/ticks.h"

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::probes {

// Waits `ticks` while the window's events run.
void waitTicks(platform::Ticks ticks);

// Waits 12 ticks, sends "AT" and a carriage return and awaits "OK" (case ignored) for up to
// 18 ticks. Any error counts as false.
bool ModemPresent(serial::TApdCustomComPort& port);

// Sends "AT&F" and a carriage return and awaits "OK" for up to 36 ticks; the outcome is not
// used, errors are swallowed.
void ResetModem(serial::TApdCustomComPort& port);

// Closes the port and waits (events running, at most 5 s) until the close has finished: a
// close during a delivery ends from the event loop, and the next open must not meet it.
void ClosePort(serial::TApdCustomComPort& port);

// What one port of the modem search found.
struct PortProbe {
  QString outcome;     // "MODEM", "Unknown", "Port does not exist", ...
  bool modem = false;  // a modem answered
  bool inUse = false;  // another program holds the port
};

// Opens COM`comNumber` on `port`, asks for a modem, closes the port again.
PortProbe ProbePort(serial::TApdCustomComPort& port, int comNumber);

// Runs `work` on a worker thread and lets the GUI thread's events run until it has ended;
// returns its result or rethrows its exception.
template <class Work>
auto RunWhileEventsRun(Work work) -> decltype(work()) {
  auto future = std::async(std::launch::async, std::move(work));
  while (future.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) platform::pumpMessages();
  return future.get();
}

}  // namespace quillon::probes
