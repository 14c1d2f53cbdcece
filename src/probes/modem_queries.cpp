#include "probes/modem_queries.h"

#include <chrono>
#include <exception>

#include "app/port_opening.h"
#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "qtplatform/cp1252_text.h"
#include "serial/com_port.h"

namespace quillon::probes {

void waitTicks(platform::Ticks ticks) {
  platform::TickTimer timer = platform::startTimer(ticks);
  while (!platform::timerExpired(timer)) {
    platform::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

namespace {
bool commandAnsweredOk(serial::TApdCustomComPort& port, const char* command, platform::Ticks wait) {
  try {
    port.PutString(std::string(command) + "\r");
    return port.AwaitString("OK", wait, true, true);
  } catch (const std::exception&) {
    return false;
  }
}

// The line text for an opening that failed with `failure`.
PortProbe openingFailure(const std::exception_ptr& failure) {
  PortProbe r;
  try {
    std::rethrow_exception(failure);
  } catch (const EAPDException& e) {
    if (e.code() == ecAlreadyOpen || e.code() == ecHardware) {
      r.outcome = QStringLiteral("Port is already open (could be modem)");
      r.inUse = true;
    } else if (e.code() == ecBadId) {
      r.outcome = QStringLiteral("Port does not exist");
    } else {
      r.outcome = qtplatform::fromCp1252(ErrorText(e.code()));
      if (r.outcome.isEmpty()) r.outcome = QStringLiteral("Unknown Error");
    }
  } catch (const std::exception& e) {
    r.outcome = QStringLiteral("ERROR: ") + qtplatform::fromCp1252(e.what());
  }
  return r;
}
}  // namespace

bool ModemPresent(serial::TApdCustomComPort& port) {
  waitTicks(12);
  return commandAnsweredOk(port, "AT", 18);
}

void ResetModem(serial::TApdCustomComPort& port) { commandAnsweredOk(port, "AT&F", 36); }

void ClosePort(serial::TApdCustomComPort& port) {
  try {
    port.SetOpen(false);
  } catch (const std::exception&) {
    // A port that cannot even close has nothing more to give back.
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (port.State() != serial::TPortState::psClosed && std::chrono::steady_clock::now() < deadline) {
    platform::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

PortProbe ProbePort(serial::TApdCustomComPort& port, int comNumber) {
  std::exception_ptr failure;
  PortProbe r;
  if (app::OpenCommPort(port, comNumber, failure).isEmpty()) {
    r.modem = port.Open() && ModemPresent(port);
    r.outcome = r.modem ? QStringLiteral("MODEM") : QStringLiteral("Unknown");
  } else {
    r = openingFailure(failure);
  }
  ClosePort(port);
  return r;
}

}  // namespace quillon::probes
