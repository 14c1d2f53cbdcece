#pragma once
// The texts and conversions of the send dialog that need no window: the transfer-rate list,
// the header line, the "AT" rule of modem command strings, the result text of a finished
// transmission and the list of ports the dialog offers.
#include <QString>

#include <vector>

namespace quillon::send {

// The transfer-rate list: index 0..5 = 2400 ... 14400 bits per second.
inline constexpr int kTransferRates[] = {2400, 4800, 7200, 9600, 12000, 14400};
// Any rate not in the list gives 3 (9600).
int rateToIndex(int bps);
// Any index not in the list (also -1, no selection) gives 9600.
int indexToRate(int index);

// The header line the fax component draws on every page ($I, $P and $N are its tags).
QString headerLine(const QString& name, const QString& stationId, const QString& date, const QString& time);
// The same with today's date and the current time in the system's short formats.
QString headerLineNow(const QString& name, const QString& stationId);

// A user string for the modem: "AT" in front unless its upper-case form holds "AT" anywhere.
QString modemCommandString(const QString& text);

// The dialog's result text for a finishing code: "Sent" for 0 or a message reading "OK",
// else the code's message text.
QString resultTextFor(int code);
inline const QString kResultCancelled = QStringLiteral("Cancelled");
inline const QString kResultSent = QStringLiteral("Sent");
// The box shown after a transmission that failed with `message`.
QString notSentMessage(const QString& message);

// The port numbers the dialog lists: COM1 to COM6, every COMn the [Ports] mapping names, and
// the stored choice when it is a real port number (1..255) missing from both, so a port the
// settings name is never silently replaced by another. Ascending, each once.
std::vector<int> portChoices(const std::vector<int>& mappedPorts, int storedPortNumber);

// Dial attempts and the two waits: a whole number 0..65535, as the fax component holds them.
inline constexpr int kHighestDialNumber = 65535;

}  // namespace quillon::send
