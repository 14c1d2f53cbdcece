#pragma once
// Strings the send dialog itself writes to an open modem port: the reset strings and the
// modem-present probe. Replies are awaited with the window kept alive; a reply that never
// comes does not stop anything.
#include <QString>

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::send {

// Sends `text` with the "AT" rule and a carriage return, then waits up to 36 ticks (about two
// seconds) for "OK" in any case. True when it came.
bool sendModemCommand(serial::TApdCustomComPort& port, const QString& text);

// Waits 12 ticks, sends "AT" and a carriage return and waits up to 18 ticks for "OK".
bool probeModemPresent(serial::TApdCustomComPort& port);

}  // namespace quillon::send
