// Class 1 states of the receiving machine: the set-up answer (2), CSI and DIS (10, 11), the
// sender's TSI and DCS (12), DIS repeats (13, 14), the training check and its answer CFR or
// FTT (15 to 20), the page carrier (21), and after each page its post-page message, MCF and
// the end of the call (27 to 32).
#include "errors/error_codes.h"
#include "fax/modem_commands.h"
#include "fax/receive_steps.h"
#include "fax/t30_frames.h"
#include "serial/dispatcher.h"

namespace quillon::fax::receive {

namespace {

constexpr platform::Ticks kTsiDcsWait = 54;  // 3 s for the sender's answer to DIS

void sendFrame(FaxSession& s, std::uint8_t fcf, bool final, const std::string& info = {}) {
  std::string bytes = t30::BuildFrame(fcf, final, info);
  if (s.stepTrace) s.stepTrace(s.state, "> " + t30::FcfName(fcf) + (final ? "" : " (not last)"));
  s.dispatcher->PutString(bytes);
  s.reader.clear();
  ArmTimeout(s, s.responseTimeout);
}

// The carrier the sender uses for training ("AT+FRM=" code) or for pages.
std::string carrierOf(const ReceivePart& r, bool page) { return t30::CarrierCode(r.dcs, page); }

void listenFor(FaxSession& s, ReceivePart& r, const std::string& code) {
  r.listenCode = code;
  r.carrierRetries = 0;
  SendCommand(s, "AT+FRM=" + code);
}

// "+FCERROR": another carrier (the end of the sender's V.21 frames) is still on the line.
// The modem is asked again, as often as fits in the time-out.
constexpr int kMostCarrierRetries = 200;
bool listenAgain(FaxSession& s, ReceivePart& r, const std::string& line) {
  if (!IsCarrierError(line)) return false;
  if (++r.carrierRetries > kMostCarrierRetries) {
    Fail(s, ecFaxBadModemResult);
    return true;
  }
  SleepMs(10);
  s.dispatcher->PutString("AT+FRM=" + r.listenCode + "\r");
  s.reader.clear();
  return true;
}

void State2(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) {
    Fail(s, ecFaxInitError);
    return;
  }
  SwitchLineSpeed(s, true);
  TimeoutOff(s);
  s.progress = fpWaiting;
  s.statusWanted = true;
  s.state = 8;
}

void State10(Step& st) {
  FaxSession& s = st.s;
  if (!isConnect(st.line)) return;
  sendFrame(s, t30::kCsi, false, t30::IdInfo(s.stationId));
  s.state = 11;
}

void State11(Step& st) {
  FaxSession& s = st.s;
  if (isConnect(st.line)) {
    sendFrame(s, t30::kDis, true, t30::EncodeDis(st.r.speedIndex, true));
  } else if (isOk(st.line)) {
    SleepMs(400);
    SendCommand(s, "AT+FRH=3");
    ArmTimeout(s, kTsiDcsWait);
    s.state = 12;
  }
}

void State12(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  if (!isOk(st.line)) return;
  if (!r.frameFinal) {
    SendCommand(s, "AT+FRH=3");
    ArmTimeout(s, kTsiDcsWait);
    return;
  }
  if (t30::TypeOf(r.lastFcf) != t30::FrameType::dcs) {
    // A final frame that is no DCS (a sender's own DIS, say): listen again.
    SendCommand(s, "AT+FRH=3");
    ArmTimeout(s, kTsiDcsWait);
    return;
  }
  std::string code = carrierOf(r, false);
  if (code.empty()) {
    Fail(s, ecFaxTrainError);  // a carrier no Class 1 modem receives
    return;
  }
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(serial::sfReceiveFlow, 6144, 2048);
  listenFor(s, r, code);
  s.state = 15;
}

void State13(Step& st) {
  FaxSession& s = st.s;
  if (++st.r.disRepeats > 3) {
    Fail(s, ecTimeout);
    return;
  }
  // A carriage return of its own stops the frame receive; SendCommand adds a second.
  SendCommand(s, "AT\r");
  s.state = 14;
}

void State14(Step& st) {
  SendCommand(st.s, "AT+FTH=3");
  st.s.state = 10;
}

void State15(Step& st) {
  FaxSession& s = st.s;
  if (listenAgain(s, st.r, st.line) || !isConnect(st.line)) return;
  st.r.training.reset();
  ArmTimeout(s, s.responseTimeout);
  s.state = 16;
}

void State16(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  std::uint8_t c;
  bool ended = false;
  while (!ended && ReadByte(s, c)) ended = r.training.feed(c);
  if (!ended) return;
  if (s.stepTrace)
    s.stepTrace(s.state, "training " + std::to_string(r.training.nonZero()) + "/" + std::to_string(r.training.bytes()));
  if (r.training.passed()) {
    s.state = 19;
    return;
  }
  SendCommand(s, "AT+FTH=3");
  s.state = 18;
}

void State18(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  if (isConnect(st.line)) {
    sendFrame(s, t30::kFtt, true);
    if (carrierOf(r, false) == "24") Fail(s, ecFaxTrainError);  // no lower speed to fall back to
  } else if (isOk(st.line)) {
    SendCommand(s, "AT+FRH=3");
    ArmTimeout(s, kTsiDcsWait);
    s.state = 12;
  }
}

void State19(Step& st) {
  FaxSession& s = st.s;
  if (!isNoCarrier(st.line)) return;
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  SleepMs(20);
  SendCommand(s, "AT+FTH=3");
  s.state = 20;
}

void State20(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  if (isConnect(st.line)) {
    if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(serial::sfReceiveFlow, 6144, 2048);
    sendFrame(s, t30::kCfr, true);
  } else if (isOk(st.line)) {
    listenFor(s, r, carrierOf(r, true));
    s.state = 21;
    // The application is asked once per fax, not again when the sender trains anew.
    if (r.fileState == fsNoFile) AcceptFax(st);
  }
}

void State21(Step& st) {
  FaxSession& s = st.s;
  if (IsCarrierError(st.line)) {
    // Frames instead of a page: the sender trains again (new settings for this page, or it
    // missed the CFR), so its TSI and DCS are read.
    SendCommand(s, "AT+FRH=3");
    ArmTimeout(s, kTsiDcsWait);
    s.state = 12;
    return;
  }
  if (!isConnect(st.line)) return;
  s.progress = fpSessionParams;
  s.statusWanted = true;
  s.state = 25;
}

void State27(Step& st) {
  FaxSession& s = st.s;
  if (!isNoCarrier(st.line)) return;
  SendCommand(s, "AT+FRH=3");
  s.state = 28;
}

void State28(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  if (!isOk(st.line)) return;
  if (!r.frameFinal) {
    SendCommand(s, "AT+FRH=3");
    return;
  }
  t30::FrameType type = t30::TypeOf(r.lastFcf);
  s.morePages = type == t30::FrameType::mps || type == t30::FrameType::eom;
  r.endOfMessage = type == t30::FrameType::eom;
  s.progress = fpGetPageResult;
  s.statusWanted = true;
  s.state = 29;
}

void State29(Step& st) {
  FaxSession& s = st.s;
  EndPage(st);
  if (s.state == 36) return;
  SendCommand(s, "AT+FTH=3");
  s.progress = fpCheckMorePages;
  s.statusWanted = true;
  s.state = 30;
}

void State30(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  bool newDocument = s.morePages && r.endOfMessage;
  if (isConnect(st.line)) {
    sendFrame(s, t30::kMcf, !newDocument);
    if (newDocument) s.state = 10;  // CSI and DIS follow on this carrier
  } else if (isOk(st.line)) {
    if (newDocument) {
      SleepMs(200);
      SendCommand(s, "AT+FTH=3");
      s.state = 10;
    } else if (s.morePages) {
      // Later pages come with the short training of the page carrier, as the first one did.
      listenFor(s, r, carrierOf(r, true));
      r.fileState = fsFileOpen;
      s.state = 21;
    } else {
      SleepMs(200);
      SendCommand(s, "AT+FRH=3");
      CloseFaxFile(s, r);
      s.notifier->NotifyLog(LogReceiveOk);
      s.faxFile.clear();
      s.progress = fpGetHangup;
      s.statusWanted = true;
      s.state = 31;
    }
  }
}

void State31(Step& st) {
  FaxSession& s = st.s;
  // The fax is complete: a sender that hung up without its DCN (the modem answers ERROR or
  // NO CARRIER to the frame receive) ends the call just as well.
  if (isError(st.line) || isNoCarrier(st.line)) {
    SendCommand(s, "ATH");
    s.state = 32;
    return;
  }
  if (!isOk(st.line)) return;
  if (!st.r.frameFinal) {
    SendCommand(s, "AT+FRH=3");
    return;
  }
  SendCommand(s, "ATH");
  s.state = 32;
}

void State32(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) return;
  s.progress = fpGotHangup;
  s.statusWanted = true;
  s.state = 35;
}

}  // namespace

void Class1State(Step& st) {
  switch (st.s.state) {
    case 2: State2(st); break;
    case 10: State10(st); break;
    case 11: State11(st); break;
    case 12: State12(st); break;
    case 13: State13(st); break;
    case 14: State14(st); break;
    case 15: State15(st); break;
    case 16: State16(st); break;
    case 18: State18(st); break;
    case 19: State19(st); break;
    case 20: State20(st); break;
    case 21: State21(st); break;
    case 27: State27(st); break;
    case 28: State28(st); break;
    case 29: State29(st); break;
    case 30: State30(st); break;
    case 31: State31(st); break;
    case 32: State32(st); break;
    default: Fail(st.s, ecTimeout);
  }
}

bool Class1Timeout(FaxSession& s, ReceivePart& r) {
  switch (s.state) {
    case 10:
      if (r.disRepeats == 0) return false;
      s.state = 13;
      return true;
    case 12: s.state = 13; return true;
    case 13: s.state = 14; return true;
    case 31: s.state = 35; return true;
    default: return false;
  }
}

void TakeFrame(FaxSession& s, ReceivePart& r, const std::string& raw) {
  std::optional<t30::Frame> f = t30::ParseFrameBytes(raw);
  if (!f) return;
  r.frameFinal = f->final();
  r.lastFcf = f->fcf;
  if (s.stepTrace) s.stepTrace(s.state, "< " + t30::FcfName(f->fcf) + (f->final() ? "" : " (not last)"));
  switch (f->type()) {
    case t30::FrameType::tsi:
      s.remoteId = t30::ReadId(f->info);
      break;
    case t30::FrameType::dcs:
      r.dcs = t30::DecodeDcs(f->info);
      s.fine = r.dcs.fine;
      s.wide = r.dcs.wide;
      s.lineRate = r.dcs.bps;
      s.progress = fpSessionParams;
      s.statusWanted = true;
      break;
    case t30::FrameType::dcn:
      if (s.state == 31) {
        s.error = 0;
      } else {
        Fail(s, ecCancelRequested);
      }
      break;
    case t30::FrameType::ftt:
    case t30::FrameType::rtn:
      SleepMs(200);
      SendCommand(s, "AT+FRH=3");
      s.state = 12;
      break;
    default:
      break;
  }
}

}  // namespace quillon::fax::receive
