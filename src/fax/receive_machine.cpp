// The receiving machine's event handling, its preparation and its shared states: a new call
// (1), waiting for rings (8), answering (9), and the ends of a call and of the run (35-37).
#include "fax/receive_machine.h"

#include "errors/error_codes.h"
#include "fax/modem_commands.h"
#include "fax/receive_steps.h"
#include "fax/session_triggers.h"
#include "serial/dispatcher.h"

namespace quillon::fax {

namespace {

using receive::Event;
using receive::Step;
using StepFn = void (*)(Step&);

// The machine's table: the step of every state (Class 1 states run through their own part).
StepFn stepOf(int state) {
  using namespace receive;
  switch (state) {
    case 1: return State1;
    case 3: return State3;
    case 4: return State4;
    case 5: return State5;
    case 6: return State6;
    case 7: return State7;
    case 8: return State8;
    case 9: return State9;
    case 22: return State22;
    case 23: return State23;
    case 24: return State24;
    case 25: return State25;
    case 26: return State26;
    case 33: return State33;
    case 34: return State34;
    case 35: return State35;
    case 36: return State36;
    case 2:
    case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19: case 20: case 21:
    case 27: case 28: case 29: case 30: case 31: case 32:
      return Class1State;
    default: return nullptr;
  }
}

// States in which the response reader runs first.
bool waitsForModemText(int state) {
  return (state >= 2 && state <= 8) || (state >= 10 && state <= 12) || state == 15 ||
         (state >= 18 && state <= 24) || state == 27 || state == 28 || (state >= 30 && state <= 34);
}

bool runsAtOnce(int state) {
  switch (state) {
    case 1: case 9: case 25: case 29: case 35: case 36: return true;
    default: return false;
  }
}

ResponseReader::Item readAnswer(FaxSession& s) {
  std::uint8_t c;
  while (ReadByte(s, c)) {
    ResponseReader::Item item = s.reader.feed(c);
    if (item != ResponseReader::Item::none) return item;
  }
  return ResponseReader::Item::none;
}

bool bytesWaiting(FaxSession& s) { return s.dispatcher->InBuffUsed() > 0; }

// Rules of the response reader that hold in every state. True when one ended the step.
bool generalAnswerRules(FaxSession& s, const std::string& line) {
  // States 7, 31 and 33 have their own answer to ERROR (session parameters the modem
  // cannot take; the end of a call whose fax is complete; a page that is dropped before the
  // next one is asked for).
  // A Class 1 modem's +FCERROR while it waits for a carrier is asked again (15, 21).
  if (isError(line) && s.state != 7 && s.state != 31 && s.state != 33 &&
      !(receive::IsCarrierError(line) && (s.state == 15 || s.state == 21))) {
    receive::Fail(s, ecFaxBadModemResult);
    return true;
  }
  if (receive::Class2(s) && s.state != 34 && contains(line, s.commands.hangupName)) {
    s.hangupCode = ParseHangupCode(line);
    receive::Fail(s, ecFaxSessionError);
    return true;
  }
  return false;
}

void timeoutRule(FaxSession& s, ReceivePart& r) {
  if (s.faxClass == fcClass1 && receive::Class1Timeout(s, r)) return;
  receive::Fail(s, ecTimeout);
}

// An answer in these states does not restart the time-out: waiting for a call has none, and
// answering keeps the long wait it armed.
bool keepsItsTimeout(int state) { return state == 8 || state == 22 || state == 12; }

void runMachine(FaxSession& s, Event event) {
  ReceivePart& r = *s.receive;
  for (int guard = 0; guard < 100000; ++guard) {
    if (s.state == 37) return;
    std::string line;
    bool answered = false;
    if (waitsForModemText(s.state)) {
      if (event == Event::data) {
        ResponseReader::Item item = readAnswer(s);
        if (item == ResponseReader::Item::none) return;
        if (item == ResponseReader::Item::frame) {
          receive::TakeFrame(s, r, s.reader.raw());
          s.reader.clear();
          ArmTimeout(s, s.responseTimeout);
          continue;
        }
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
        timeoutRule(s, r);
        event = Event::data;
        continue;
      } else if (event != Event::cancel) {
        return;
      }
    } else if (event == Event::timeout && !runsAtOnce(s.state) && s.state != 13 && s.state != 14) {
      // Page data or the training check stopped arriving.
      if (s.stepTrace) s.stepTrace(s.state, "(time-out)");
      timeoutRule(s, r);
      event = Event::data;
      continue;
    }
    StepFn step = stepOf(s.state);
    if (!step) return;
    int before = s.state;
    receive::Trace(s, "state " + std::to_string(before));
    Step st{s, r, event, line};
    step(st);
    if (answered) {
      s.reader.clear();
      if (s.state == before && !keepsItsTimeout(s.state)) ArmTimeout(s, s.responseTimeout);
    }
    if (s.statusWanted) {
      s.statusWanted = false;
      receive::Status(s);
    }
    event = Event::data;
    if (runsAtOnce(s.state) || s.state == 13) continue;
    if (s.state == 14 || s.state == 37) return;  // the next trigger runs them
    if (!bytesWaiting(s)) return;
  }
}

}  // namespace

namespace receive {

void Fail(FaxSession& s, int code) {
  SetError(s, code);
  s.state = 36;
}

void OpenStatus(FaxSession& s, ReceivePart& r) {
  if (r.statusOpened) return;
  r.statusOpened = true;
  s.notifier->NotifyStatus(true, false);
}

void CloseStatus(FaxSession& s, ReceivePart& r, bool cancelled) {
  if (!r.statusOpened || (r.constantStatus && !cancelled)) return;
  r.statusOpened = false;
  s.notifier->NotifyStatus(false, true);
}

void TimeoutOff(FaxSession& s) {
  if (s.timeoutTimer) s.dispatcher->SetTimerTrigger(s.timeoutTimer, 0, false);
}

namespace {
// The run is over: timers off, the finish posted.
void finishRun(FaxSession& s) {
  TimeoutOff(s);
  s.dispatcher->SetTimerTrigger(s.statusTimer, 0, false);
  s.modemInitialised = false;
  s.notifier->NotifyFinish(s.error);
  s.state = 37;
}
}  // namespace

void State1(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  r.data.reset(s.faxClass == fcClass2);
  s.reader.clear();
  r.fileState = fsNoFile;
  s.currentPage = 0;
  r.ringCounter = 0;
  s.bytesDone = s.bytesTotal = 0;
  s.remoteId.clear();
  s.faxFile.clear();
  s.hangupCode = 0;
  s.hangupSeen = false;
  // An earlier call's failure is not this call's: a run that ends after a good fax ends
  // with 0.
  s.error = 0;
  r.disRepeats = 0;
  r.endOfMessage = false;
  s.morePages = false;
  if (r.constantStatus) OpenStatus(s, r);
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  s.dispatcher->SetDtr(true);
  s.dispatcher->SetRts(true);
  if (s.faxClass == fcClass1) {
    SendCommand(s, "AT+FCLASS=1");
    s.state = 2;
  } else {
    SendCommand(s, s.commands[ceClass]);
    s.state = 3;
  }
  ArmTimeout(s, s.responseTimeout);
}

void State8(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  const std::string& l = st.line;
  if (isRing(l)) {
    ++r.ringCounter;
    if (r.ringCounter >= r.answerOnRing) {
      r.fileState = fsNoFile;
      OpenStatus(s, r);
      ArmTimeout(s, s.responseTimeout);
      s.state = 9;
    }
  } else if (contains(l, "NO C")) {
    s.progress = fpNoConnect;
    s.statusWanted = true;
  } else if (isConnect(l)) {
    Fail(s, ecFaxDataCall);
  } else if (isVoice(l)) {
    Fail(s, ecFaxVoiceCall);
  }
}

void State9(Step& st) {
  FaxSession& s = st.s;
  OpenStatus(s, st.r);
  SendCommand(s, "ATA");
  ArmTimeout(s, s.dialWait);
  s.progress = fpAnswering;
  s.statusWanted = true;
  s.state = s.faxClass == fcClass1 ? 10 : 22;
}

void State35(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  SwitchLineSpeed(s, false);
  bool cancelled = st.event == Event::cancel;
  if (r.oneFax) {
    CloseStatus(s, r, cancelled);
    finishRun(s);
    return;
  }
  CloseStatus(s, r, cancelled);
  s.state = 1;
}

void State36(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  bool cancelled = st.event == Event::cancel || s.error == ecCancelRequested;
  if (r.file.isOpen()) {
    CloseFaxFile(s, r);
    s.notifier->NotifyLog(LogReceiveFail);
  }
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  HangUpReceiving(s);
  SwitchLineSpeed(s, false);
  CloseStatus(s, r, cancelled);
  if (s.exitOnError || cancelled) {
    finishRun(s);
    return;
  }
  s.state = 1;
}

}  // namespace receive

int PrepareReceiveSession(FaxSession& s) {
  if (!s.receive) s.receive = std::make_shared<ReceivePart>();
  ReceivePart& r = *s.receive;
  s.state = r.startState;
  s.error = 0;
  s.progress = 0;
  s.currentPage = 0;
  s.bytesDone = s.bytesTotal = 0;
  s.cancelRequested = false;
  r.statusOpened = false;
  r.ringCounter = 0;
  serial::TApdBaseDispatcher& d = *s.dispatcher;
  d.SuspendTriggerDelivery();
  int rc = 0;
  if (!s.modemInitialised) rc = InitialiseModem(s, false, r.speeds);
  if (rc == 0 && s.faxClass == fcClass1) {
    // InitialiseModem queried the receive speeds; none above DesiredBPS is offered.
    static const int kBps[7] = {0, 2400, 4800, 7200, 9600, 12000, 14400};
    r.speedIndex = 0;
    for (int i = 6; i >= 1; --i)
      if (r.speeds[i] && kBps[i] <= s.desiredBps) {
        r.speedIndex = i;
        break;
      }
    if (r.speedIndex == 0) r.speedIndex = 1;
  }
  if (rc == 0 && r.startState != 23) {
    if (s.faxClass == fcClass1) {
      if (!SendCommandWaitOk(s, "AT+FCLASS=1")) rc = ecFaxInitError;
    } else {
      for (const std::string& command :
           {s.commands[ceClass], std::string("AT+FCR=1"), s.commands[ceLocalId] + "=\"" + s.stationId + "\"",
            std::string("AT+FAA=") + r.faxAndData}) {
        if (!SendCommandWaitOk(s, command)) {
          rc = ecFaxInitError;
          break;
        }
      }
    }
    SwitchLineSpeed(s, true);
  }
  d.FlushInBuffer();
  d.RestoreTriggerDelivery();
  return rc;
}

void HandleReceiveTrigger(FaxSession& s, unsigned msg, unsigned first, std::uint32_t) {
  std::lock_guard lock(s.mutex);
  if (!s.running || !s.receive || s.state == 37) return;
  if (s.cancelRequested) {
    CancelReceive(s);
    return;
  }
  switch (ClassifyTrigger(s, msg, first)) {
    case SessionTrigger::data:
      runMachine(s, Event::data);
      return;
    case SessionTrigger::statusTimer:
      receive::Status(s);
      RearmStatusTimer(s);
      return;
    case SessionTrigger::timeout:  // also the first step, started through this timer
      runMachine(s, Event::timeout);
      return;
    default:
      return;
  }
}

void CancelReceive(FaxSession& s) {
  std::lock_guard lock(s.mutex);
  if (!s.running || !s.receive || s.state == 37) return;
  s.cancelRequested = false;
  s.progress = fpCancel;
  receive::SetError(s, ecCancelRequested);
  s.state = 36;
  s.notifier->NotifyStatus(false, false);
  runMachine(s, Event::cancel);
}

bool EndReceiveOnPortLoss(FaxSession& s) {
  if (!s.receive) return false;
  ReceivePart& r = *s.receive;
  s.state = 37;
  bool hadFile = r.file.isOpen();
  receive::CloseFaxFile(s, r);
  return hadFile;
}

}  // namespace quillon::fax
