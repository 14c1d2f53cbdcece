// The sending machine's event handling and its shared states: taking the next fax (1, 2),
// dialling and redial (9, 10), and the ends of a fax and of the run (45 to 48).
#include "fax/send_machine.h"

#include <atomic>

#include "fax/modem_commands.h"
#include "fax/send_steps.h"
#include "fax/session_triggers.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::fax {

namespace {

// Keeps two sending machines from taking their next fax at the same moment.
std::atomic<bool> gTakingNextFax{false};

using send::Event;
using send::Step;
using StepFn = void (*)(Step&);

// The machine's table: the step of every state (Class 1 states run through their own part).
StepFn stepOf(int state) {
  using namespace send;
  switch (state) {
    case 1: return State1;
    case 2: return State2;
    case 4: return State4;
    case 5: return State5;
    case 6: return State6;
    case 7: return State7;
    case 8: return State8;
    case 9: return State9;
    case 10: return State10;
    case 19: return State19;
    case 20: return State20;
    case 21: return State21;
    case 22: return State22;
    case 23: return State23;
    case 24: return State24;
    case 25: return State25;
    case 26: return State26;
    case 27: return State27;
    case 28: return State28;
    case 38: return State38;
    case 39: return State39;
    case 40: return State40;
    case 41: return State41;
    case 42: return State42;
    case 43: return State43;
    case 44: return State44;
    case 45: return State45;
    case 46: return State46;
    case 47: return State47;
    case 3:
    case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18:
    case 29: case 30: case 31: case 32: case 33: case 34: case 35: case 36: case 37:
      return Class1State;
    default: return nullptr;
  }
}

bool waitsForModemText(int state) {
  switch (state) {
    case 1: case 2: case 9: case 10: case 30: case 38: case 42: case 43: case 45: case 46: case 47: case 48:
      return false;
    default: return !(state >= 21 && state <= 28);
  }
}

// States that wait for the next trigger instead of running on at once.
bool waitsForTrigger(int state) {
  switch (state) {
    case 10: case 21: case 22: case 25: case 27: case 28: case 48: return true;
    default: return false;
  }
}

// Reads waiting bytes until a line or frame completes. True when one did. A Class 1 frame
// is kept for the modem's verdict on it, the line that follows.
bool readAnswer(FaxSession& s) {
  std::uint8_t c;
  while (ReadByte(s, c)) {
    ResponseReader::Item item = s.reader.feed(c);
    if (item == ResponseReader::Item::frame && s.faxClass == fcClass1) {
      send::Class1Frame(s);
      s.reader.clear();
      continue;
    }
    if (item != ResponseReader::Item::none) return true;
  }
  return false;
}

bool bytesWaiting(FaxSession& s) { return s.dispatcher->InBuffUsed() > 0; }

// Rules of the response reader that hold in every state.
bool generalAnswerRules(FaxSession& s, const std::string& line) {
  if (s.state != 40 && s.state != 44 && contains(line, s.commands.hangupName) && send::Class2(s)) {
    s.hangupCode = ParseHangupCode(line);
    send::Fail(s, ecFaxBadModemResult);
    return true;
  }
  return false;
}

void timeoutRule(FaxSession& s) {
  if (s.faxClass == fcClass1 && send::Class1Timeout(s)) return;
  if (s.state == 11 || s.state == 19)
    send::Fail(s, ecFaxNoAnswer);
  else if ((s.state == 40 || s.state == 44) && s.hangupSeen)
    send::Fail(s, ecFaxSessionError);  // the call ended and the modem gave no final answer
  else
    send::Fail(s, ecTimeout);
}

void runMachine(FaxSession& s, Event event) {
  for (int guard = 0; guard < 10000; ++guard) {
    if (s.state == 48) return;
    std::string line;
    bool answered = false;
    if (waitsForModemText(s.state)) {
      if (event == Event::data) {
        if (!readAnswer(s)) return;
        line = s.reader.line();
        answered = true;
        if (s.stepTrace) s.stepTrace(s.state, line);
        if (generalAnswerRules(s, line)) {
          s.reader.clear();
          event = Event::data;
          continue;
        }
      } else if (event == Event::timeout) {
        if (s.stepTrace) s.stepTrace(s.state, "(time-out)");
        timeoutRule(s);
        event = Event::data;
        continue;
      } else if (event != Event::cancel) {
        return;
      }
    }
    StepFn step = stepOf(s.state);
    if (!step) return;
    int before = s.state;
    send::Trace(s, "state " + std::to_string(before));
    Step st{s, event, line};
    step(st);
    gTakingNextFax = false;
    if (answered) {
      s.reader.clear();
      // Each further answer gets a fresh time-out, except while the dial time-out runs.
      if (s.state == before && s.state != 19 && s.state != 11 && !s.hangupTimeout) ArmTimeout(s, s.responseTimeout);
    }
    if (s.statusWanted) {
      s.statusWanted = false;
      send::Status(s);
    }
    if (before == 1 && s.state == 1) return;  // another machine was taking its fax
    event = Event::data;
    if (waitsForModemText(s.state)) {
      if (!bytesWaiting(s)) return;
      continue;
    }
    // A Class 2 modem's XON often arrives together with its CONNECT.
    if (s.state == 21 && bytesWaiting(s)) continue;
    if (waitsForTrigger(s.state)) return;
  }
}

}  // namespace

namespace send {

void SetError(FaxSession& s, int code) {
  s.error = code;
  s.notifier->NotifyError(code);
}

void Fail(FaxSession& s, int code) {
  SetError(s, code);
  s.state = 47;
}

void Status(FaxSession& s) { s.notifier->NotifyStatus(false, false); }

void Trace(FaxSession& s, const std::string& what) {
  s.dispatcher->AddDispatchEntry(serial::ltFax, serial::lsNone, static_cast<std::uint32_t>(s.state),
                                 reinterpret_cast<const std::uint8_t*>(what.data()), what.size());
}

bool Class2(const FaxSession& s) { return s.faxClass == fcClass2 || s.faxClass == fcClass2_0; }
bool Class20(const FaxSession& s) { return s.faxClass == fcClass2_0; }

void CloseFiles(FaxSession& s) {
  s.file.reset();
  s.coverFax.reset();
  s.coverText.reset();
  s.pending.clear();
}

bool ReadPageHeader(FaxSession& s, bool coverFax) {
  faximage::FaxPageReader& r = coverFax ? *s.coverFax : *s.file;
  int rc = r.findPage(coverFax ? 1 : static_cast<unsigned>(s.currentPage));
  if (rc < 0) {
    Fail(s, rc);
    return false;
  }
  s.previousResolution = s.resolution;
  s.resolution = r.page().highRes() ? '1' : '0';
  s.wide = r.page().wide();
  return true;
}

void BusyHandling(FaxSession& s) {
  ++s.dialAttempt;
  if (s.dialAttempts != 0 && s.dialAttempt >= s.dialAttempts) {
    Status(s);
    if (s.abortNoConnect) {
      Fail(s, ecFaxBusy);
      return;
    }
    CloseFiles(s);
    SetError(s, ecFaxBusy);
    s.notifier->NotifyLog(LogTransmitFail);
    HangUpSending(s);
    s.progress = fpInitModem;
    s.state = 1;
    return;
  }
  s.progress = fpBusyWait;
  Status(s);
  s.state = 10;
  ArmTimeout(s, s.dialRetryWait);
}

bool TakeDialFailure(FaxSession& s, const std::string& l) {
  if (isBusy(l) || isNoAnswer(l))
    BusyHandling(s);
  else if (isVoice(l))
    Fail(s, ecFaxVoiceCall);
  else if (isNoDialTone(l))
    Fail(s, ecFaxNoDialTone);
  else
    return false;
  return true;
}

void State1(Step& st) {
  FaxSession& s = st.s;
  if (gTakingNextFax.exchange(true)) return;
  if (!s.notifier->NotifyNext()) {
    s.state = 46;
    return;
  }
  s.notifier->NotifyLog(LogTransmitStart);
  s.currentPage = 1;
  s.pageCount = 0;
  s.coverCount = 0;
  s.bytesDone = s.bytesTotal = 0;
  s.dialAttempt = 0;
  s.retransmits = 0;
  s.hangupCode = 0;
  s.remoteId.clear();
  s.error = 0;
  CloseFiles(s);
  if (!s.faxFile.empty()) {
    s.file = std::make_unique<faximage::FaxPageReader>();
    int rc = s.file->open(s.faxFile);
    if (rc < 0) {
      s.file.reset();
      Fail(s, rc == -2 ? rc : ecFaxBadFormat);
      return;
    }
    s.pageCount = s.file->header().pageCount;
  } else if (s.coverFile.empty()) {
    Fail(s, ecNoFilename);
    return;
  }
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  s.state = 2;
}

void State2(Step& st) {
  FaxSession& s = st.s;
  s.stationId = upperCase(s.stationId);
  s.coverActive = false;
  if (!s.coverFile.empty()) {
    s.coverCount = 1;
    s.coverActive = true;
    std::string ext = "." + upperCase(s.faxFileExt);
    s.coverIsFaxFile = contains(upperCase(s.coverFile), ext);
  }
  s.resolution = ' ';
  if (s.file) {
    if (!ReadPageHeader(s, false)) return;
  } else {
    s.resolution = '0';
    if (s.coverActive && s.coverIsFaxFile) {
      s.coverFax = std::make_unique<faximage::FaxPageReader>();
      int rc = s.coverFax->open(s.coverFile);
      if (rc < 0) {
        s.coverFax.reset();
        Fail(s, rc == -2 ? rc : ecFaxBadFormat);
        return;
      }
      if (!ReadPageHeader(s, true)) return;
      s.coverFax.reset();
    }
  }
  s.progress = fpInitModem;
  DrainInput(s);
  if (s.faxClass == fcClass1) {
    SendCommand(s, "AT+FCLASS=1");
    s.state = 3;
  } else {
    SendCommand(s, s.commands[ceClass]);
    s.state = 4;
  }
}

void State9(Step& st) {
  FaxSession& s = st.s;
  SendCommand(s, DialCommand(s.toneDial, s.dialPrefix, s.phoneNumber));
  ArmTimeout(s, s.dialWait);
  s.progress = fpDialing;
  s.statusWanted = true;
  s.state = s.faxClass == fcClass1 ? 11 : 19;
}

void State10(Step& st) {
  // Only the retry wait ends the pause; stray modem text is dropped.
  if (st.event == Event::timeout || st.event == Event::cancel) {
    st.s.state = 9;
  } else {
    DrainInput(st.s);
  }
}

void State45(Step& st) {
  FaxSession& s = st.s;
  CloseFiles(s);
  s.retransmits = 0;
  s.coverActive = false;
  s.progress = fpFinished;
  Status(s);
  s.notifier->NotifyLog(LogTransmitOk);
  s.state = 1;
  SwitchLineSpeed(s, false);
}

void State46(Step& st) {
  FaxSession& s = st.s;
  s.dispatcher->SetTimerTrigger(s.timeoutTimer, 0, false);
  s.dispatcher->SetTimerTrigger(s.statusTimer, 0, false);
  s.notifier->NotifyStatus(false, true);
  s.notifier->NotifyFinish(s.error);
  s.modemInitialised = false;
  s.state = 48;
}

void State47(Step& st) {
  FaxSession& s = st.s;
  s.dispatcher->SetTimerTrigger(s.drainTimer, 0, false);
  CloseFiles(s);
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  s.notifier->NotifyLog(LogTransmitFail);
  HangUpSending(s);
  if (s.exitOnError || s.abortNoConnect || st.event == Event::cancel || s.cancelRequested) {
    s.progress = fpCancel;
    s.dispatcher->SetTimerTrigger(s.timeoutTimer, 0, false);
    s.dispatcher->SetTimerTrigger(s.statusTimer, 0, false);
    s.notifier->NotifyStatus(false, true);
    s.notifier->NotifyFinish(s.error);
    s.modemInitialised = false;
    s.state = 48;
  } else {
    s.state = 1;
  }
  SwitchLineSpeed(s, false);
}

}  // namespace send

void PrepareSendSession(FaxSession& s) {
  s.resolution = ' ';
  s.state = 1;
  s.progress = fpInitModem;
  s.error = 0;
  s.dialAttempt = 0;
  s.retransmits = 0;
  s.currentPage = s.pageCount = s.coverCount = 0;
  s.bytesDone = s.bytesTotal = 0;
  s.cancelRequested = false;
  s.pending.clear();
}

void StartSendMachine(FaxSession& s) {
  std::lock_guard lock(s.mutex);
  runMachine(s, Event::data);
}

void HandleSendTrigger(FaxSession& s, unsigned msg, unsigned first, std::uint32_t) {
  std::lock_guard lock(s.mutex);
  if (!s.running || s.state == 48) return;
  if (s.cancelRequested && s.state != 47) {
    CancelSend(s);
    return;
  }
  Event event;
  switch (ClassifyTrigger(s, msg, first)) {
    case SessionTrigger::data: event = Event::data; break;
    case SessionTrigger::timeout: event = Event::timeout; break;
    case SessionTrigger::outSpace: event = Event::outSpace; break;
    case SessionTrigger::outEmpty: event = Event::outEmpty; break;
    case SessionTrigger::statusTimer:
      send::Status(s);
      RearmStatusTimer(s);
      return;
    default:
      return;
  }
  runMachine(s, event);
}

void CancelSend(FaxSession& s) {
  std::lock_guard lock(s.mutex);
  if (!s.running || s.state == 48) return;
  s.cancelRequested = false;
  s.progress = fpCancel;
  s.state = 47;
  send::SetError(s, ecCancelRequested);
  s.notifier->NotifyStatus(false, false);
  runMachine(s, Event::cancel);
}

}  // namespace quillon::fax
