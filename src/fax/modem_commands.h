#pragma once
// The modem command layer: command lines out, answers in, class and speed queries, modem
// initialisation, line speed switching and hanging up. Works on a session whose dispatcher
// is open.
#include <string>

#include "fax/fax_session.h"

namespace quillon::fax {

// Waits 100 ms (40 ms before carrier commands), writes the text and a carriage return,
// clears the response reader and arms the time-out and the response timer.
int SendCommand(FaxSession& s, const std::string& text);
// Arms the session's time-out timer.
void ArmTimeout(FaxSession& s, platform::Ticks ticks);
// Sends a command outside the state machine and reads the answer (trigger delivery stays
// suspended meanwhile). `lastLine` receives the last line read.
bool SendCommandWaitOk(FaxSession& s, const std::string& text, std::string* lastLine = nullptr);
// Asks the modem for its fax classes, after the built-in init string when `initialise`.
bool QueryClasses(FaxSession& s, bool initialise, TFaxClassSet& classes);
// Class 1 speeds (transmit or receive); fills `supported` (index 1..6) and returns the
// highest supported index.
int QuerySpeeds(FaxSession& s, bool transmit, bool supported[7]);
// Initialises the modem once per run: class choice, init strings, command table, speeds.
// 0 or -8061.
int InitialiseModem(FaxSession& s, bool sendSide, bool speeds[7]);
// Switches between the init speed and the normal speed of the port.
void SwitchLineSpeed(FaxSession& s, bool toNormal);
// Ends a call on the sending side (escape, ATH, DTR drop when carrier stays).
void HangUpSending(FaxSession& s);
// Ends a call on the receiving side.
void HangUpReceiving(FaxSession& s);
// Reads a byte waiting in the receive ring.
bool ReadByte(FaxSession& s, std::uint8_t& c);
// Reads and drops every byte waiting.
void DrainInput(FaxSession& s);
void SleepMs(int ms);

}  // namespace quillon::fax
