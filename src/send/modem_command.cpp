#include "send/modem_command.h"

#include <chrono>
#include <thread>

#include "platform/message_pump.h"
#include "platform/ticks.h"
#include "qtplatform/cp1252_text.h"
#include "send/send_rules.h"
#include "serial/com_port.h"

namespace quillon::send {

namespace {
constexpr platform::Ticks kResetReplyTicks = 36;
constexpr platform::Ticks kProbeLeadTicks = 12;
constexpr platform::Ticks kProbeReplyTicks = 18;

bool awaitOk(serial::TApdCustomComPort& port, platform::Ticks ticks) {
  try {
    return port.AwaitString("OK", ticks, true, true);
  } catch (const std::exception&) {  // the port went away meanwhile: no reply
    return false;
  }
}

bool writeLine(serial::TApdCustomComPort& port, const std::string& line) {
  try {
    port.PutString(line + "\r");
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
}  // namespace

bool sendModemCommand(serial::TApdCustomComPort& port, const QString& text) {
  return writeLine(port, qtplatform::toCp1252(modemCommandString(text))) && awaitOk(port, kResetReplyTicks);
}

bool probeModemPresent(serial::TApdCustomComPort& port) {
  platform::TickTimer lead = platform::startTimer(kProbeLeadTicks);
  while (!platform::timerExpired(lead)) {
    platform::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return writeLine(port, "AT") && awaitOk(port, kProbeReplyTicks);
}

}  // namespace quillon::send
