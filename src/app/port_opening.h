#pragma once
// Opening the fax modem's port, shared by the send dialog, the modem probes and receive mode:
// one routine, one set of messages for a port in use, a missing port and other failures.
#include <exception>

#include <QString>

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::app {

// Sets the port's ComNumber to `comNumber` and opens it. Returns an empty text when the port
// is open, else the message to show the user (the port is closed again then).
QString OpenCommPort(serial::TApdCustomComPort& port, int comNumber);
// As above; `failure` receives the error that stopped the opening (null when it opened), for
// callers that tell the kinds of failure apart.
QString OpenCommPort(serial::TApdCustomComPort& port, int comNumber, std::exception_ptr& failure);

// The message for a failure `e` while opening port `comNumber`.
QString PortOpeningMessage(int comNumber, const std::exception& e);

// The port set-up the send dialog and receive mode share: COM1 until chosen, 8192-byte
// rings, RTS/CTS flow with the 90 % / 10 % marks, opened by hand, no TAPI.
void SetUpFaxPort(serial::TApdCustomComPort& port);

}  // namespace quillon::app
