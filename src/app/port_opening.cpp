#include "app/port_opening.h"

#include <exception>

#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "qtplatform/cp1252_text.h"
#include "serial/com_port.h"

namespace quillon::app {

QString PortOpeningMessage(int comNumber, const std::exception& e) {
  const QString n = QString::number(comNumber);
  const auto* apd = dynamic_cast<const EAPDException*>(&e);
  if (apd == nullptr) {
    return "Unable to open the specified communications port( Com" + n + " )\nError message: " +
           qtplatform::fromCp1252(e.what());
  }
  const int code = apd->code();
  if (code == ecAlreadyOpen || code == ecHardware) {
    return "The communications port is in use ( Com " + n +
           " )\n\nPlease make sure that all communication programs (internet, AOL, etc) are "
           "closed, and then try again.";
  }
  QString message = "Unable to open the specified communications port ( Com" + n + " )";
  if (code == ecBadId) return message;
  QString text = qtplatform::fromCp1252(ErrorText(code));
  if (text.isEmpty()) text = "Unknown error";
  return message + "\nError message: " + text;
}

QString OpenCommPort(serial::TApdCustomComPort& port, int comNumber) {
  std::exception_ptr failure;
  return OpenCommPort(port, comNumber, failure);
}

QString OpenCommPort(serial::TApdCustomComPort& port, int comNumber, std::exception_ptr& failure) {
  failure = nullptr;
  try {
    port.SetComNumber(comNumber);
    port.SetOpen(true);
    return {};
  } catch (const std::exception& e) {
    failure = std::current_exception();
    try {
      port.SetOpen(false);
    } catch (const std::exception&) {
      // The port never opened; closing it has nothing to undo.
    }
    return PortOpeningMessage(comNumber, e);
  }
}

void SetUpFaxPort(serial::TApdCustomComPort& port) {
  port.SetComNumber(1);
  port.SetInSize(8192);
  port.SetOutSize(8192);
  port.SetAutoOpen(false);
  port.SetHWFlowOptions(serial::hwfUseRTS | serial::hwfRequireCTS);
  port.SetBufferFull(7372);
  port.SetBufferResume(819);
  port.SetTapiMode(serial::tmOff);
}

}  // namespace quillon::app
