// Class 1 states of the sending machine (3, 11 to 18, 29 to 37): the engine runs the T.30
// procedure itself with HDLC frames. A received frame waits for the modem's verdict: OK
// (the frame check was good) makes it count, ERROR drops it as garbled.
#include <cstdio>

#include "fax/modem_commands.h"
#include "fax/send_steps.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::fax::send {

namespace {

using t30::FrameType;

constexpr platform::Ticks kFrameWait = 54;    // 3 s for the remote's answer to a command
constexpr platform::Ticks kHangupWait = 26;   // the OK to ATH
constexpr int kPostPageTries = 3;
constexpr int kDcsTries = 3;
// Silence between the end of one carrier and the start of ours (T.30 asks for 75 ms; the
// modem command adds its own 40 ms).
constexpr int kCarrierGapMs = 75;
constexpr int kRetryPauseMs = 500;  // before a post-page message is tried again

FaxSession::Class1Call& call(FaxSession& s) { return s.class1; }

void trace(FaxSession& s, const std::string& text) {
  Trace(s, text);
  if (s.stepTrace) s.stepTrace(s.state, text);
}

std::string describe(const t30::Frame& f) {
  std::string text = t30::FcfName(f.fcf);
  if (t30::IsIdFrame(f.fcf)) text += " \"" + t30::ReadId(f.info) + "\"";
  if (f.type() == FrameType::dis || f.type() == FrameType::dcs) {
    char hex[16];
    for (std::size_t i = 0; i < 3 && i < f.info.size(); ++i) {
      std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned>(static_cast<std::uint8_t>(f.info[i])));
      text += hex;
    }
  }
  return text;
}

// Waits 20 ms, then writes the frame (the modem answers CONNECT after a frame that is not
// final, OK after a final one).
void sendFrame(FaxSession& s, std::uint8_t fcf, bool final, const std::string& info = {}) {
  SleepMs(20);
  t30::Frame f;
  f.fcf = fcf;
  f.info = info;
  trace(s, "> frame " + describe(f));
  s.dispatcher->PutString(t30::BuildFrame(fcf, final, info));
}

// The remote needs a moment of silence before our next transmission.
void transmitAfterPause(FaxSession& s, int state) {
  SleepMs(kCarrierGapMs);
  SendCommand(s, "AT+FTH=3");
  s.state = state;
}

// Listening starts at once: the answer follows our frame within a few tenths of a second,
// and a remote that answers DCN hangs up right after it.
void listenForFrame(FaxSession& s, platform::Ticks wait) {
  SendCommand(s, "AT+FRH=3");
  ArmTimeout(s, wait);
  call(s).haveLast = false;
  call(s).carrier = false;
}

// Stops a receive the modem is waiting in: any character does, and the modem says OK.
void abortReceive(FaxSession& s) { s.dispatcher->PutString(" "); }

bool pageFine(const FaxSession& s) { return s.resolution == '1'; }

void takeSpeed(FaxSession& s, int index) {
  call(s).speedIndex = index;
  s.lineRate = t30::BpsOfSpeedIndex(index);
  s.fine = pageFine(s);
  s.minBytesPerLine = MinimumBytesPerLine(s.scanIndex, s.fine, s.lineRate);
}

// The next lower speed both sides support; false (and -8062) when none is left.
bool fallBack(FaxSession& s) {
  int lower = t30::ChooseSpeed(call(s).localSpeeds, call(s).remoteSpeeds, s.desiredBps, call(s).speedIndex);
  if (lower == 0) {
    trace(s, "no lower speed left");
    Fail(s, ecFaxTrainError);
    return false;
  }
  takeSpeed(s, lower);
  trace(s, "speed falls back to " + std::to_string(s.lineRate));
  return true;
}

// A remote DIS: its speeds, resolution, width and scan time; the speed choice.
void takeDis(FaxSession& s, const t30::Frame& f) {
  t30::DisCapabilities dis = t30::DecodeDis(f.info);
  call(s).disSeen = true;
  call(s).remoteSpeeds = dis.speeds;
  s.remoteFine = dis.fine;
  s.remoteWide = dis.wide;
  s.scanIndex = dis.scanIndex;
  s.progress = fpSessionParams;
  s.statusWanted = true;
  if ((pageFine(s) && !dis.fine) || (s.wide && !dis.wide)) Fail(s, ecFaxBadMachine);
}

// The effects of a frame the modem confirmed. False when the call ended.
bool takeFrame(FaxSession& s, const t30::Frame& f) {
  trace(s, "< frame " + describe(f) + (f.final() ? "" : " (more)"));
  call(s).last = f;
  call(s).haveLast = true;
  if (t30::IsIdFrame(f.fcf)) {
    s.remoteId = t30::ReadId(f.info);
    s.progress = fpGotRemoteID;
    s.statusWanted = true;
    return true;
  }
  switch (f.type()) {
    case FrameType::dis: takeDis(s, f); break;
    case FrameType::cfr: call(s).cfr = true; break;
    case FrameType::dcn: Fail(s, ecCancelRequested); break;
    default: break;
  }
  return s.state != 47;
}

// Retraining after FTT (and after RTN outside the post-page exchange): a lower speed, then
// DCS and the training check again.
void retrainLower(FaxSession& s) {
  if (!fallBack(s)) return;
  transmitAfterPause(s, 13);
}

bool lastFinal(FaxSession& s) { return call(s).haveLast && call(s).last.final(); }

// The page the remote refused goes again, at most twice a fax, at a lower speed if one is left.
void sendPageAgain(FaxSession& s) {
  if (++s.retransmits > kRetransmitLimit) {
    trace(s, "page refused again: the fax fails");
    Fail(s, ecFaxPageRefused);
    return;
  }
  s.progress = fpPageError;
  s.statusWanted = true;
  s.coverText.reset();
  if (!RewindPage(s)) return;
  int lower = t30::ChooseSpeed(call(s).localSpeeds, call(s).remoteSpeeds, s.desiredBps, call(s).speedIndex);
  takeSpeed(s, lower ? lower : call(s).speedIndex);
  trace(s, "page refused: sent again at " + std::to_string(s.lineRate));
  transmitAfterPause(s, 13);
}

// The page is confirmed: the next page, a new phase B for a page of another resolution, or
// the end.
void pageConfirmed(FaxSession& s, bool retrain) {
  s.progress = fpPageOK;
  s.statusWanted = true;
  if (call(s).postPageFcf == t30::kEop) {
    transmitAfterPause(s, 35);
  } else if (call(s).postPageFcf == t30::kEom) {
    call(s).phaseBAgain = true;
    call(s).disSeen = false;
    listenForFrame(s, s.responseTimeout);
    s.state = 11;
  } else if (retrain) {
    transmitAfterPause(s, 13);
  } else {
    // The receiver confirmed the training, so the page carrier comes with the short training.
    SleepMs(kCarrierGapMs);
    SendCommand(s, std::string("AT+FTM=") + t30::PageCode(call(s).speedIndex));
    s.state = 18;
  }
}

// The modem's answer to a frame read: OK confirms it, ERROR means it arrived garbled.
// True when the line was dealt with here.
bool frameVerdict(Step& st) {
  FaxSession& s = st.s;
  if (!call(s).framePending) return false;
  call(s).framePending = false;
  if (isOk(st.line)) {
    if (!takeFrame(s, call(s).frame)) return true;
    // FTT, and RTN outside the post-page exchange, lower the speed wherever they come.
    FrameType t = call(s).frame.type();
    if (t == FrameType::ftt || (t == FrameType::rtn && s.state != 34)) {
      retrainLower(s);
      return true;
    }
    return false;  // the state acts on the OK
  }
  if (isError(st.line) && !contains(st.line, "+FCERROR")) {
    trace(s, "garbled frame dropped");
    if (s.state == 34) {
      s.state = 30;  // the post-page message again
    } else if (s.state == 17) {
      transmitAfterPause(s, 13);  // DCS and training again
    } else {
      listenForFrame(s, s.responseTimeout);  // the remote repeats its command
    }
    return true;
  }
  return false;
}

// Rules for every Class 1 answer. True when the line was dealt with.
bool generalRules(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (frameVerdict(st)) return true;
  if (isNoCarrier(l) || contains(l, "+FCERROR")) {
    if (s.state == 34) {
      s.state = 30;
    } else if (s.state == 17) {
      transmitAfterPause(s, 13);
    } else if (s.state == 11 && !call(s).phaseBAgain) {
      Fail(s, ecFaxNoCarrier);
    } else if (s.state != 36 && s.state != 37) {
      Fail(s, ecFaxSessionError);
    }
    return true;
  }
  if (isError(l) && s.state != 31 && s.state != 34) {
    Fail(s, ecFaxBadModemResult);
    return true;
  }
  return false;
}

void dialAnswer(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isConnect(l)) {
    ArmTimeout(s, s.responseTimeout);  // the remote's frames follow
  } else if (isOk(l)) {
    if (!lastFinal(s)) {
      if (call(s).haveLast) listenForFrame(s, s.responseTimeout);  // the next frame of the message
      return;
    }
    if (!call(s).disSeen) {
      listenForFrame(s, s.responseTimeout);
      return;
    }
    int below = call(s).speedIndex ? call(s).speedIndex + 1 : t30::kSpeedCount + 1;
    int index = t30::ChooseSpeed(call(s).localSpeeds, call(s).remoteSpeeds, s.desiredBps, below);
    if (index == 0) {
      Fail(s, ecFaxTrainError);
      return;
    }
    takeSpeed(s, index);
    call(s).phaseBAgain = false;
    transmitAfterPause(s, 12);
  } else if (!call(s).phaseBAgain) {  // no dial results in a later phase B
    TakeDialFailure(s, l);
  }
}

void State3(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) {
    Fail(s, ecFaxInitError);
    return;
  }
  t30::SpeedSet local = call(s).localSpeeds;
  call(s) = {};
  call(s).localSpeeds = local;
  s.state = 9;
}

void State12(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  sendFrame(s, t30::kTsi, false, t30::IdInfo(s.stationId));
  s.state = 13;
}

void State13(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  takeSpeed(s, call(s).speedIndex);  // the resolution may have changed
  sendFrame(s, t30::kDcs, true, t30::EncodeDcs(call(s).speedIndex, s.fine, s.wide, s.scanIndex));
  s.state = 14;
}

void State14(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  SendCommand(s, std::string("AT+FTM=") + t30::TrainingCode(call(s).speedIndex));
  s.state = 15;
}

void State15(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(serial::sfTransmitFlow, 0, 0);
  std::string tcf(t30::TrainingCheckBytes(s.lineRate), '\0');
  tcf += static_cast<char>(t30::kDle);
  tcf += static_cast<char>(t30::kEtx);
  trace(s, "> training check, " + std::to_string(tcf.size() - 2) + " bytes at " + std::to_string(s.lineRate));
  s.dispatcher->PutBlock(tcf.data(), tcf.size());
  s.state = 16;
}

void State16(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  call(s).cfr = false;
  listenForFrame(s, kFrameWait);
  s.state = 17;
}

void State17(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line) || !call(s).haveLast) return;
  if (!lastFinal(s)) {
    listenForFrame(s, kFrameWait);
    return;
  }
  if (call(s).cfr) {
    call(s).dcsTries = 0;
    SleepMs(kCarrierGapMs);
    SendCommand(s, std::string("AT+FTM=") + t30::PageCode(call(s).speedIndex));
    s.state = 18;
    return;
  }
  // Another final frame (a repeated DIS, CRP): DCS and training again.
  if (++call(s).dcsTries >= kDcsTries) {
    Fail(s, ecFaxTrainError);
    return;
  }
  transmitAfterPause(s, 13);
}

void State18(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  // The modem is sending the training now: page data must follow at once.
  s.dispatcher->SetStatusTrigger(s.outSpaceTrigger, kBlockSize, true);
  ArmTimeout(s, s.dataTimeout);
  s.state = 22;
}

void State29(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  call(s).postPageTries = 0;
  s.progress = fpSendPageStatus;
  s.statusWanted = true;
  s.state = 30;
}

void State30(Step& st) {
  FaxSession& s = st.s;
  if (++call(s).postPageTries > kPostPageTries) {
    Fail(s, ecTimeout);
    return;
  }
  SleepMs(call(s).postPageTries == 1 ? kCarrierGapMs : kRetryPauseMs);
  SendCommand(s, "AT+FTH=3");
  s.state = 31;
}

void State31(Step& st) {
  FaxSession& s = st.s;
  if (isError(st.line)) {
    s.state = 30;
    return;
  }
  if (!isConnect(st.line)) return;
  // A page of another resolution needs a new DCS, so it follows EOM and a new phase B.
  std::uint8_t fcf = !s.morePages ? t30::kEop : s.resolution != s.previousResolution ? t30::kEom : t30::kMps;
  call(s).postPageFcf = fcf;
  sendFrame(s, fcf, true);
  s.state = 32;
}

void State32(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  listenForFrame(s, kFrameWait);
  s.state = 34;
}

void State34(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isConnect(l)) {
    call(s).carrier = true;
    return;
  }
  if (isError(l)) {
    s.state = 30;
    return;
  }
  if (!isOk(l) || !call(s).haveLast) return;
  if (!lastFinal(s)) {
    listenForFrame(s, kFrameWait);
    return;
  }
  switch (call(s).last.type()) {
    case FrameType::mcf:
    case FrameType::pip:  // page good; nobody here takes the operator's call
      pageConfirmed(s, false);
      break;
    case FrameType::rtp: pageConfirmed(s, true); break;
    case FrameType::rtn:
    case FrameType::pin: sendPageAgain(s); break;
    default: s.state = 30; break;  // CRP or no valid answer: the post-page message again
  }
}

void State35(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  sendFrame(s, t30::kDcn, true);
  s.state = 36;
}

void State36(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  SendCommand(s, "ATH");
  ArmTimeout(s, kHangupWait);
  s.state = 37;
}

void State37(Step& st) {
  if (isOk(st.line)) st.s.state = 45;
}

}  // namespace

void Class1Frame(FaxSession& s) {
  auto f = t30::ParseFrameBytes(s.reader.raw());
  call(s).framePending = f.has_value();
  if (f) call(s).frame = *f;
}

void Class1State(Step& st) {
  FaxSession& s = st.s;
  if (s.state != 3 && st.event == Event::data && generalRules(st)) return;
  switch (s.state) {
    case 3: State3(st); break;
    case 11: dialAnswer(st); break;
    case 12: State12(st); break;
    case 13: State13(st); break;
    case 14: State14(st); break;
    case 15: State15(st); break;
    case 16: State16(st); break;
    case 17: State17(st); break;
    case 18: State18(st); break;
    case 29: State29(st); break;
    case 30: State30(st); break;
    case 31: State31(st); break;
    case 32: State32(st); break;
    case 34: State34(st); break;
    case 35: State35(st); break;
    case 36: State36(st); break;
    case 37: State37(st); break;
    default: break;
  }
}

bool Class1Timeout(FaxSession& s) {
  switch (s.state) {
    case 11:
      if (!call(s).phaseBAgain) return false;
      Fail(s, ecTimeout);
      return true;
    case 17:
      abortReceive(s);
      if (++call(s).dcsTries >= kDcsTries) {
        trace(s, "no answer to DCS");
        Fail(s, ecTimeout);
      } else {
        transmitAfterPause(s, 13);
      }
      return true;
    case 34:
      if (call(s).carrier) {  // an answer is on its way
        call(s).carrier = false;
        ArmTimeout(s, kFrameWait);
        return true;
      }
      abortReceive(s);
      s.state = 30;
      return true;
    case 37:
      HangUpSending(s);
      s.state = 45;
      return true;
    default: return false;
  }
}

}  // namespace quillon::fax::send
