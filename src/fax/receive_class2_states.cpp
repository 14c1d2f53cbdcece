// Class 2 and Class 2.0 states of the receiving machine: the set-up of each call (3 to 7),
// the answered call's reports (22 to 24), the exchange after each page (33) and the
// hang-up report (34).
#include "errors/error_codes.h"
#include "fax/modem_commands.h"
#include "fax/receive_steps.h"
#include "serial/dispatcher.h"

namespace quillon::fax::receive {

namespace {

template <typename Next>
void onSetupAnswer(Step& st, Next next) {
  if (isOk(st.line))
    next();
  else
    Fail(st.s, ecFaxInitError);
}

bool isReport(const FaxSession& s, const std::string& line, int entry) { return contains(line, s.commands[entry]); }

// The negotiated session of a +FDCS / +FCS report.
void takeSessionReport(FaxSession& s, const std::string& line) {
  SessionReport rep = ParseSessionReport(line);
  s.fine = rep.fine;
  s.wide = rep.wide;
  s.ecm = rep.ecm;
  s.lineRate = rep.bps;
  s.scanIndex = rep.scanIndex;
  s.progress = fpSessionParams;
  s.statusWanted = true;
}

void softwareFlowOn(FaxSession& s) {
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(serial::sfReceiveFlow, 6144, 2048);
}

}  // namespace

void State3(Step& st) {
  onSetupAnswer(st, [&] {
    FaxSession& s = st.s;
    SwitchLineSpeed(s, true);
    // Fine resolution, the desired rate, pages up to 2048 pixels wide, any length.
    SendCommand(s, s.commands[ceCapabilities] + "=1," + BitRateDigit(s.desiredBps) + ",1,2,0," + s.desiredEcm +
                       ",0,0");
    s.state = Class20(s) ? 4 : 6;
  });
}

void State4(Step& st) {
  onSetupAnswer(st, [&] {
    SendCommand(st.s, "AT+FLO=2");
    st.s.state = 5;
  });
}

void State5(Step& st) {
  onSetupAnswer(st, [&] {
    SendCommand(st.s, "AT+FNR=1,1,1,0");
    st.s.state = 6;
  });
}

void State6(Step& st) {
  // The modem offers the caller what its session parameters say, so those must allow
  // fine and wide pages too.
  onSetupAnswer(st, [&] {
    FaxSession& s = st.s;
    SendCommand(s, s.commands[ceSessionParams] + "=1," + BitRateDigit(s.desiredBps) + ",1,2,0," + s.desiredEcm +
                       ",0,0");
    s.state = 7;
  });
}

void State7(Step& st) {
  // A modem that cannot take the session parameters keeps its own: receiving still works,
  // only narrower, so its ERROR does not stop the run.
  FaxSession& s = st.s;
  if (!isOk(st.line) && !isError(st.line)) {
    Fail(s, ecFaxInitError);
    return;
  }
  TimeoutOff(s);
  s.progress = fpWaiting;
  s.statusWanted = true;
  s.state = 8;
}

void State22(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, ceConnect)) {
    ArmTimeout(s, s.responseTimeout);
    s.progress = fpIncomingFax;
    s.statusWanted = true;
    s.state = 23;
  } else if (isConnect(l)) {
    Fail(s, ecFaxDataCall);  // a data modem was answered
  } else if (isVoice(l)) {
    Fail(s, ecFaxVoiceCall);
  } else if (isNoCarrier(l)) {
    // The modem gave up on the call itself: no need to wait out the answer time.
    Fail(s, ecFaxNoCarrier);
  }
}

void State23(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, ceCallingId)) {
    s.remoteId = ParseStationId(l);
    if (!AcceptFax(st)) return;
    s.progress = fpGotRemoteID;
    s.statusWanted = true;
  } else if (isReport(s, l, ceSessionReport)) {
    takeSessionReport(s, l);
  } else if (isOk(l)) {
    SendCommand(s, "AT+FDR");
    s.state = 24;
  } else if (isNoCarrier(l)) {
    Fail(s, ecFaxNoCarrier);
  }
}

void State24(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (isReport(s, l, ceSessionReport)) {
    takeSessionReport(s, l);
  } else if (isReport(s, l, ceCallingId)) {
    s.remoteId = ParseStationId(l);  // a new document brings its phase B again
  } else if (isConnect(l)) {
    softwareFlowOn(s);
    s.state = 25;
  } else if (isNoCarrier(l)) {
    Fail(s, ecFaxNoCarrier);
  }
}

void State33(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  const std::string& l = st.line;
  if (isReport(s, l, cePageStatus)) {
    s.progress = fpGetPageResult;
    s.statusWanted = true;
    char v = ParsePageStatus(l);
    if (v == '1' || v == '3' || v == '5') {
      EndPage(st);
    } else {
      DropPage(s, r);  // a bad page is cut off the file; the sender sends it again
    }
  } else if (contains(l, "+FET")) {
    s.progress = fpCheckMorePages;
    s.statusWanted = true;
    switch (ParsePageStatus(l)) {
      case '0': r.fileState = fsFileOpen; break;
      case '1': r.fileState = fsNoFile; break;
      case '2': r.fileState = fsEndOfFax; break;
      case '3': r.fileState = 1; break;
      default: r.fileState = 0;
    }
  } else if (isOk(l)) {
    // A page that was cut comes again (or the call ends): the document is not over yet.
    if (!r.pageGood) r.fileState = fsFileOpen;
    SendCommand(s, "AT+FDR");
    if (r.fileState == fsEndOfFax) {
      CloseFaxFile(s, r);
      s.notifier->NotifyLog(LogReceiveOk);
      s.faxFile.clear();
      s.progress = fpGetHangup;
      s.statusWanted = true;
      s.state = 34;
    } else {
      s.state = 24;
    }
  } else if (isError(l)) {
    DropPage(s, r);
    if (!r.pageGood && r.fileState != fsNoFile) r.fileState = fsFileOpen;
    SendCommand(s, "AT+FDR");
    s.state = 24;
  }
}

void State34(Step& st) {
  FaxSession& s = st.s;
  const std::string& l = st.line;
  if (contains(l, s.commands.hangupName)) {
    s.hangupCode = ParseHangupCode(l);
    s.progress = fpGotHangup;
    s.statusWanted = true;
  } else if (contains(l, "+FET")) {
    s.progress = fpGetHangup;
  } else if (isOk(l)) {
    s.state = 35;
  }
}

}  // namespace quillon::fax::receive
