#include "fax/modem_commands.h"

#include <chrono>
#include <thread>

#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::fax {

using platform::Ticks;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

namespace {
bool isCarrierCommand(const std::string& t) {
  return t == "AT+FRH=3" || t == "AT+FTH=3" || t.compare(0, 7, "AT+FTM=") == 0 || t.compare(0, 7, "AT+FRM=") == 0;
}

// Reads one answer line within `ticks`; false on time-out or a lost device.
bool readLine(FaxSession& s, Ticks ticks, std::string& line) {
  ResponseReader reader;
  platform::TickTimer timer = platform::startTimer(ticks);
  while (!platform::timerExpired(timer)) {
    std::uint8_t c;
    if (!ReadByte(s, c)) {
      if (!s.dispatcher->IsOpen() || s.dispatcher->DeviceLost()) return false;
      SleepMs(5);
      continue;
    }
    if (reader.feed(c) == ResponseReader::Item::line) {
      line = reader.line();
      return true;
    }
  }
  return false;
}
}  // namespace

bool ReadByte(FaxSession& s, std::uint8_t& c) { return s.dispatcher->GetChar(c) >= 0; }

void DrainInput(FaxSession& s) {
  // Reading (rather than flushing) also works inside a notification, where reads only move
  // the handler's position.
  std::uint8_t c;
  while (ReadByte(s, c)) {
  }
  s.reader.clear();
}

void ArmTimeout(FaxSession& s, Ticks ticks) {
  if (s.timeoutTimer) s.dispatcher->SetTimerTrigger(s.timeoutTimer, ticks, true);
}

int SendCommand(FaxSession& s, const std::string& text) {
  SleepMs(isCarrierCommand(text) ? 40 : 100);
  int rc = s.dispatcher->PutString(text + "\r");
  if (s.stepTrace) s.stepTrace(s.state, "> " + text);
  if (rc < 0) return rc;
  s.reader.clear();
  ArmTimeout(s, s.responseTimeout);
  return 0;
}

bool SendCommandWaitOk(FaxSession& s, const std::string& text, std::string* lastLine) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  d.SuspendTriggerDelivery();  // the answer is read here, not by handlers
  bool ok = false;
  if (SendCommand(s, text) >= 0) {
    std::string line;
    while (readLine(s, s.responseTimeout, line)) {
      if (line == text) continue;  // the modem's echo
      if (lastLine) *lastLine = line;
      if (contains(line, "ERROR")) break;
      if (contains(line, "OK")) {
        ok = true;
        break;
      }
      // An information answer: one more line must follow in time.
      std::string next;
      ok = readLine(s, s.responseTimeout, next);
      if (ok && lastLine) *lastLine = line + "\n" + next;
      break;
    }
  }
  d.FlushInBuffer();
  d.RestoreTriggerDelivery();
  return ok;
}

bool QueryClasses(FaxSession& s, bool initialise, TFaxClassSet& classes) {
  classes = {};
  if (initialise) {
    for (int attempt = 0;; ++attempt) {
      std::string last;
      if (!SendCommandWaitOk(s, s.initString, &last)) return false;
      if (contains(last, "OK")) break;
      if (attempt == 1) return false;
    }
  }
  std::string answer;
  if (!SendCommandWaitOk(s, "AT+FCLASS=?", &answer)) return false;
  // The answer is the information line in front of the OK.
  std::size_t nl = answer.find('\n');
  classes = ParseClassAnswer(nl == std::string::npos ? answer : answer.substr(0, nl));
  return true;
}

int QuerySpeeds(FaxSession& s, bool transmit, bool supported[7]) {
  for (int i = 0; i < 7; ++i) supported[i] = false;
  if (!SendCommandWaitOk(s, "AT+FCLASS=1")) return 0;
  supported[1] = supported[2] = true;
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  d.SuspendTriggerDelivery();  // the answer is read here, not by handlers
  if (SendCommand(s, transmit ? "AT+FTM=?" : "AT+FRM=?") >= 0) {
    std::string line;
    Ticks wait = s.responseTimeout;
    while (readLine(s, wait, line)) {
      if (contains(line, ",")) {
        supported[3] = contains(line, "72");
        supported[4] = contains(line, "96");
        supported[5] = contains(line, "121");
        supported[6] = contains(line, "145");
      }
      if (contains(line, "OK") || contains(line, "ERROR")) break;
      wait = 36;
    }
  }
  d.FlushInBuffer();
  d.RestoreTriggerDelivery();
  int best = 2;
  for (int i = 6; i >= 1; --i)
    if (supported[i]) return i;
  return best;
}

int InitialiseModem(FaxSession& s, bool sendSide, bool speeds[7]) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  // The modem is set up at InitBaud when one is given (the first fax of a run, too, not only
  // those after a fax's end switched back to it); otherwise at 19200.
  SwitchLineSpeed(s, false);
  if (sendSide) {
    d.SetDtr(true);
    d.SetRts(true);
  }
  if (s.faxClass == fcDetect || s.faxClass == fcUnknown) {
    TFaxClassSet classes;
    if (!QueryClasses(s, true, classes)) return ecFaxBadModemResult;
    s.faxClass = ChooseClass(classes);
    if (s.faxClass == fcUnknown) return ecFaxBadModemResult;
  }
  if (!s.modemInit.empty() && !SendCommandWaitOk(s, s.modemInit)) return ecFaxBadModemResult;
  if (!SendCommandWaitOk(s, s.initString)) return ecFaxBadModemResult;
  if (s.faxClass == fcClass2 || s.faxClass == fcClass2_0) s.commands = CommandTable::For(s.faxClass);
  s.modemInitialised = true;
  SwitchLineSpeed(s, true);
  if (s.faxClass == fcClass1) QuerySpeeds(s, sendSide, speeds);
  return 0;
}

void SwitchLineSpeed(FaxSession& s, bool toNormal) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  std::int32_t baud;
  platform::SerialParity parity;
  int data, stop;
  d.GetLine(baud, parity, data, stop);
  if (s.initBaud == 0) {
    d.SetLine(19200, parity, data, stop);
    return;
  }
  // With two speeds the port stays at the one it has until told to change: going through
  // 19200 first would leave it there when the wanted speed is already set.
  if (toNormal && s.initSpeedActive) {
    SleepMs(9 * platform::kMillisecondsPerTick);
    d.SetLine(s.normalBaud, parity, data, stop);
    s.initSpeedActive = false;
  } else if (!toNormal && !s.initSpeedActive) {
    SleepMs(9 * platform::kMillisecondsPerTick);
    d.SetLine(s.initBaud, parity, data, stop);
    s.initSpeedActive = true;
  }
}

namespace {
void writeRaw(FaxSession& s, const std::string& text) { s.dispatcher->PutString(text); }
void pulseDtr(FaxSession& s) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  d.SetDtr(false);
  d.SetRts(false);
  SleepMs(500);
  d.SetDtr(true);
  d.SetRts(true);
  SleepMs(500);
}
}  // namespace

void HangUpSending(FaxSession& s) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  if (!d.IsOpen()) return;
  if (d.CheckDCD()) {
    SleepMs(1000);
    writeRaw(s, "+++");
    SleepMs(1000);
    SendCommand(s, "ATH");
    SleepMs(1000);
    DrainInput(s);
    if (d.CheckDCD()) {
      d.FlushInBuffer();
      d.FlushOutBuffer();
      pulseDtr(s);
    }
  } else {
    SendCommand(s, "ATH");
    SleepMs(1000);
    DrainInput(s);
  }
}

void HangUpReceiving(FaxSession& s) {
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  if (!d.IsOpen()) return;
  pulseDtr(s);
  SleepMs(1000);
  writeRaw(s, "+++");
  SleepMs(1000);
  SendCommand(s, "ATH");
  SleepMs(1000);
  DrainInput(s);
}

}  // namespace quillon::fax
