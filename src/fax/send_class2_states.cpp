// Class 2 and Class 2.0 states of the sending machine: session set-up (4 to 8), the
// connection after dialling (19, 20) and the exchange after each page (38 to 44).
#include "fax/modem_commands.h"
#include "fax/send_steps.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::fax::send {

namespace {

// A setup command was answered: OK runs `next`, anything else fails the set-up.
template <typename Next>
void onSetupAnswer(Step& st, Next next) {
  if (isOk(st.line))
    next();
  else
    Fail(st.s, ecFaxInitError);
}

bool isReport(const FaxSession& s, const std::string& line, int entry) {
  return contains(line, s.commands[entry]);
}

// The session's flags from a capabilities or session report.
void takeSessionReport(FaxSession& s, const std::string& line, bool remoteCaps) {
  SessionReport r = ParseSessionReport(line);
  if (remoteCaps) {
    s.remoteFine = r.fine;
    s.remoteWide = r.wide;
  }
  s.fine = r.fine;
  s.wide = r.wide;
  s.ecm = r.ecm;
  s.lineRate = r.bps;
  s.scanIndex = r.scanIndex;
  s.minBytesPerLine = MinimumBytesPerLine(r.scanIndex, r.fine, r.bps);
}

bool resolutionChanges(const FaxSession& s) { return s.morePages && s.resolution != s.previousResolution; }

void startPageExchange(FaxSession& s) {
  s.hangupTimeout = false;
  SendCommand(s, "AT+FDT");
  ArmTimeout(s, 546);
}


// A page status value: 1 or 3 accepted, 2 again, 4 or 5 interrupts, other fails.
bool takePageStatus(FaxSession& s, char value) {
  s.pageStatusSeen = true;
  if (value == '1' || value == '3') {
    s.pageConfirmed = true;
    s.progress = fpPageOK;
    s.statusWanted = true;
    return true;
  }
  if (value == '2') {
    s.progress = fpPageError;
    s.statusWanted = true;
    s.pageRetransmitWanted = true;
    return true;
  }
  Fail(s, value == '4' || value == '5' ? ecCancelRequested : ecFaxPageError);
  return false;
}

// A resolution change brings a new phase B (called ID, capabilities, session) before the
// page exchange's OK; read as after dialling.
bool takePhaseBReport(FaxSession& s, const std::string& l) {
  if (isReport(s, l, ceCalledId)) {
    s.remoteId = ParseStationId(l);
  } else if (isReport(s, l, ceRemoteCaps) || isReport(s, l, ceSessionReport)) {
    takeSessionReport(s, l, isReport(s, l, ceRemoteCaps));
  } else {
    return false;
  }
  return true;
}

// The call is over; its OK should follow at once, and a modem that gives none is not waited
// for long.
void takeHangup(FaxSession& s, const std::string& line) {
  s.hangupCode = ParseHangupCode(line);
  s.hangupSeen = true;
  s.hangupTimeout = true;
  ArmTimeout(s, 36);
}

// The OK that ends a page exchange: the page again, the next page, or the end. A call that
// ended meanwhile fails the fax unless its last page was confirmed.
void pageExchangeDone(Step& st) {
  FaxSession& s = st.s;
  if (s.hangupSeen && (s.morePages || s.pageRetransmitWanted || (!s.pageConfirmed && s.hangupCode != 0) ||
                       (s.pageStatusSeen && !s.pageConfirmed))) {
    Fail(s, ecFaxSessionError);
    return;
  }
  if (s.pageRetransmitWanted) {
    s.pageRetransmitWanted = false;
    RunPageAgain(st);
    return;
  }
  s.progress = fpPageOK;
  s.statusWanted = true;
  s.state = resolutionChanges(s) ? 42 : 43;
}

}  // namespace

void State4(Step& st) {
  onSetupAnswer(st, [&] {
    FaxSession& s = st.s;
    SendCommand(s, s.commands[ceLocalId] + "=\"" + s.stationId + "\"");
    s.state = Class20(s) ? 5 : 7;
  });
}

void State5(Step& st) {
  onSetupAnswer(st, [&] {
    SendCommand(st.s, "AT+FLO=2");
    st.s.state = 6;
  });
}

void State6(Step& st) {
  onSetupAnswer(st, [&] {
    SendCommand(st.s, "AT+FNR=1,1,1,0");
    st.s.state = 7;
  });
}

void State7(Step& st) {
  onSetupAnswer(st, [&] {
    FaxSession& s = st.s;
    std::string params = s.commands[ceSessionParams] + "=" + std::string(1, s.resolution == '1' ? '1' : '0') + "," +
                         BitRateDigit(s.desiredBps) + "," + (s.wide ? "1" : "0") + ",2,0," + s.desiredEcm + ",0,0";
    SendCommand(s, params);
    s.state = 8;
  });
}

void State8(Step& st) {
  onSetupAnswer(st, [&] { st.s.state = 9; });
}

void State19(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, ceConnect)) {
    ArmTimeout(s, s.responseTimeout);
    s.state = 20;
  } else if (TakeDialFailure(s, l)) {
  } else if (isNoCarrier(l)) {
    // The modem gave up on the call itself: no need to wait out the dial time.
    Fail(s, ecFaxNoAnswer);
  } else if (isError(l)) {
    Fail(s, ecFaxBadModemResult);
  }
}

void State20(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, ceRemoteCaps)) {
    takeSessionReport(s, l, true);
    bool pageWide = s.wide, pageFine = s.resolution == '1';
    if ((pageWide && !s.remoteWide) || (pageFine && !s.remoteFine)) {
      Fail(s, ecFaxBadMachine);
      return;
    }
    s.progress = fpSessionParams;
    s.statusWanted = true;
  } else if (isReport(s, l, ceCalledId)) {
    s.remoteId = ParseStationId(l);
    s.progress = fpGotRemoteID;
    s.statusWanted = true;
  } else if (isReport(s, l, ceSessionReport)) {
    takeSessionReport(s, l, false);
    s.progress = fpSessionParams;
    s.statusWanted = true;
  } else if (isConnect(l)) {
    if (Class20(s)) {
      s.dispatcher->SetStatusTrigger(s.outSpaceTrigger, kBlockSize, true);
      ArmTimeout(s, s.dataTimeout);
      s.state = 22;
    } else {
      ArmTimeout(s, 18);
      s.state = 21;
    }
  } else if (isOk(l)) {
    startPageExchange(s);
  } else if (isError(l) || isNoCarrier(l)) {
    Fail(s, ecFaxSessionError);
  }
}

void State38(Step& st) {
  FaxSession& s = st.s;
  s.reader.clear();
  ArmTimeout(s, s.dataTimeout);
  s.progress = fpSendPageStatus;
  s.statusWanted = true;
  s.pageRetransmitWanted = false;
  s.pageConfirmed = s.pageStatusSeen = s.hangupSeen = s.hangupTimeout = false;
  s.state = Class20(s) ? 44 : 39;
}

void State39(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) {
    Fail(s, ecFaxSessionError);
    return;
  }
  const char* fet = !s.morePages ? "AT+FET=2" : resolutionChanges(s) ? "AT+FET=1" : "AT+FET=0";
  SendCommand(s, fet);
  ArmTimeout(s, s.dataTimeout);
  s.state = 40;
}

void State40(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, cePageStatus)) {
    takePageStatus(s, ParsePageStatus(l));
  } else if (contains(l, s.commands.hangupName)) {
    takeHangup(s, l);
  } else if (takePhaseBReport(s, l)) {
  } else if (isOk(l)) {
    pageExchangeDone(st);
  } else {
    Fail(s, ecFaxPageError);
  }
}

void State41(Step& st) {
  FaxSession& s = st.s;
  if (!isOk(st.line)) {
    // The value line of AT+FPS? comes before its OK.
    if (Class20(s) && !isError(st.line) && !contains(st.line, s.commands.hangupName)) return;
    Fail(s, ecFaxSessionError);
    return;
  }
  RunPageAgain(st);
}

void RunPageAgain(Step& st) {
  FaxSession& s = st.s;
  if (++s.retransmits > kRetransmitLimit) {
    s.dispatcher->PutString("AT+FKS\r");
    Fail(s, ecFaxSessionError);
    return;
  }
  s.coverText.reset();
  if (!RewindPage(s)) return;
  startPageExchange(s);
  s.state = 20;
}

void State42(Step& st) {
  FaxSession& s = st.s;
  if (!s.morePages) {
    s.state = 45;
    return;
  }
  SendCommand(s, std::string(Class20(s) ? "AT+FIS=" : "AT+FDIS=") + s.resolution);
  s.state = 20;
}

void State43(Step& st) {
  FaxSession& s = st.s;
  if (!s.morePages) {
    s.state = 45;
    return;
  }
  SleepMs(5 * platform::kMillisecondsPerTick);
  startPageExchange(s);
  s.state = 20;
}

void State44(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, cePageStatus)) {
    // The page report comes before the OK.
    takePageStatus(s, ParsePageStatus(l));
  } else if (contains(l, s.commands.hangupName)) {
    takeHangup(s, l);
  } else if (takePhaseBReport(s, l)) {
  } else if (isOk(l)) {
    pageExchangeDone(st);
  } else if (isError(l)) {
    s.progress = fpPageError;
    s.statusWanted = true;
    if (s.pageRetransmitWanted) {
      s.pageRetransmitWanted = false;
      RunPageAgain(st);
    } else {
      SendCommand(s, "AT+FPS?");
      s.state = 41;
    }
  } else {
    Fail(s, ecFaxPageError);
  }
}

}  // namespace quillon::fax::send
