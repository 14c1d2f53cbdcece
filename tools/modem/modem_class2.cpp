// Class 2 and Class 2.0: the modem runs T.30 itself. The DTE sets the session parameters,
// dials or answers, and moves pages with +FDT / +FDR and +FET; the modem reports what
// happens in +F lines. Class 2 is the deployed draft (+FDIS, +FHNG ...), Class 2.0 the
// standard (+FIS, +FHS ...).
#include <cstdio>

#include "emulated_modem.h"
#include "page_judge.h"
#include "remote_fax.h"

namespace quillon::modem {

namespace {
int bpsOfDigit(int digit) {
  static const int rates[] = {2400, 4800, 7200, 9600, 12000, 14400};
  return digit >= 0 && digit <= 5 ? rates[digit] : 9600;
}
int digitOfBps(int bps) {
  switch (bps) {
    case 2400: return 0;
    case 4800: return 1;
    case 7200: return 2;
    case 12000: return 4;
    case 14400: return 5;
    default: return 3;
  }
}
std::string paddedId(const std::string& id) { return std::string(20 - std::min<std::size_t>(20, id.size()), ' ') + id; }
}  // namespace

// Report names: 7 connection, 8 remote capabilities, 9 session, 10 calling ID, 11 called ID,
// 12 page status, 13 post-page message, 14 hang-up.
std::string EmulatedModem::report(int entry) const {
  bool two = hayes_.fclass == "2";
  switch (entry) {
    case 7: return two ? "+FCON" : "+FCO";
    case 8: return two ? "+FDIS:" : "+FIS:";
    case 9: return two ? "+FDCS:" : "+FCS:";
    case 10: return two ? "+FTSI:" : "+FTI:";
    case 11: return two ? "+FCSI:" : "+FCI:";
    case 12: return two ? "+FPTS:" : "+FPS:";
    case 13: return "+FET:";
    default: return two ? "+FHNG:" : "+FHS:";
  }
}

std::string EmulatedModem::capsText(int res, int bps, bool wide) const {
  char text[40];
  std::snprintf(text, sizeof text, "%d,%d,%d,2,0,0,0,0%s", res, digitOfBps(bps), wide ? 1 : 0,
                hayes_.fclass == "2.0" ? ",0" : "");
  return text;
}

int EmulatedModem::class2MaxBps() const {
  return std::min(bpsOfDigit(c2Settings_.disParams[1]), bpsOfDigit(c2Settings_.dccParams[1]));
}

t30::Capabilities EmulatedModem::localCapabilities() const {
  return makeCapabilities(class2MaxBps(), c2Settings_.disParams[0] >= 1, c2Settings_.disParams[2] >= 1);
}

EmulatedModem::Result EmulatedModem::class2Command(const AtCommand& cmd) {
  using Form = AtCommand::Form;
  bool two = hayes_.fclass == "2";
  std::string n = cmd.name;
  // The two command sets name the same things differently.
  auto is = [&](const char* class2, const char* class20) { return n == (two ? class2 : class20); };
  bool inSession = c2_.running();

  if (is("+FDIS", "+FIS") || is("+FDCC", "+FCC")) {
    std::vector<int>& params = is("+FDIS", "+FIS") ? c2Settings_.disParams : c2Settings_.dccParams;
    if (cmd.form == Form::Test) {
      info("(0,1),(0-5),(0-2),(0-2),(0-3),(0-2),(0),(0-7)");
      return Result::Ok;
    }
    if (cmd.form == Form::Query) {
      info(capsText(params[0], bpsOfDigit(params[1]), params[2] >= 1));
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    if (values.size() > 9) return Result::Error;
    std::vector<int> next = params;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (values[i].empty()) continue;
      auto v = parseNumber(values[i]);
      if (!v || *v > 9) return Result::Error;
      if (i < next.size()) next[i] = *v;
    }
    if (next[0] > 1 || next[1] > 5 || next[2] > 2) return Result::Error;
    params = next;
    return Result::Ok;
  }
  if (is("+FLID", "+FLI")) {
    if (cmd.form == Form::Query) {
      info("\"" + c2Settings_.localId + "\"");
      return Result::Ok;
    }
    if (cmd.form == Form::Test) {
      info("(20-7E),(20)");
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    if (values[0].size() > 20) return Result::Error;
    c2Settings_.localId = values[0];
    return Result::Ok;
  }
  if (n == "+FCR" || n == "+FAA" || is("+FPTS", "+FPS") || n == "+FLO" || n == "+FNR" || is("+FBOR", "+FBO") ||
      n == "+FCQ" || n == "+FCT" || n == "+FPP" || n == "+FIE" || n == "+FAP" || n == "+FPHCTO" || n == "+FCIG" ||
      n == "+FSPL" || n == "+FBUG" || n == "+FMS" || n == "+FCC") {
    if (cmd.form == Form::Test) {
      info("(0,1)");
      return Result::Ok;
    }
    if (cmd.form == Form::Query) {
      if (is("+FPTS", "+FPS")) {
        info(std::to_string(lastPpr_));
      } else {
        info(n == "+FCR" ? std::to_string(c2Settings_.fcr) : n == "+FAA" ? std::to_string(c2Settings_.faa) : "0");
      }
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    for (const auto& v : values)
      if (!v.empty() && !parseNumber(v)) return Result::Error;
    int first = values[0].empty() ? 0 : *parseNumber(values[0]);
    if (n == "+FCR") c2Settings_.fcr = first;
    if (n == "+FAA") c2Settings_.faa = first;
    if (is("+FPTS", "+FPS")) {
      if (first < 1 || first > 5) return Result::Error;
      c2Settings_.pageStatus = first;
    }
    if (n == "+FNR") c2Settings_.pageReportsOn = values.size() >= 2 && values[1] == "1";
    return Result::Ok;
  }
  if (!two && n == "+FIP") {
    // Class 2.0: back to the factory session parameters.
    c2Settings_.disParams = c2Settings_.dccParams = {1, 5, 0, 2, 0, 0, 0, 0};
    c2Settings_.localId.clear();
    c2Settings_.fcr = c2Settings_.faa = 0;
    c2Settings_.pageReportsOn = false;
    return Result::Ok;
  }
  if (is("+FMFR", "+FMI") || is("+FMDL", "+FMM") || is("+FREV", "+FMR")) {
    if (cmd.form != Form::Query && cmd.form != Form::Action) return Result::Error;
    info(is("+FMFR", "+FMI") ? profile_.manufacturer : is("+FMDL", "+FMM") ? profile_.model : profile_.revision);
    return Result::Ok;
  }
  if (!two && n == "+FHS" && cmd.form == Form::Query) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", lastHangup_);
    info(text);
    return Result::Ok;
  }
  if (n == "+FDT") {
    if (cmd.form != Form::Action || !c2_.sender || !c2_.sender->running() || !line_.connected(this)) return Result::Error;
    c2_.action = Class2Call::Action::SendPage;
    mode_ = Mode::Class2Wait;
    c2_.sender->sendPage({c2Settings_.disParams[0] >= 1, c2Settings_.disParams[2] >= 1});
    return Result::None;
  }
  if (n == "+FDR") {
    if (cmd.form != Form::Action || !c2_.receiver || !c2_.receiver->running()) return Result::Error;
    c2_.action = Class2Call::Action::Receive;
    mode_ = Mode::Class2Wait;
    if (c2_.responsePending) {
      // The post-page response goes out now, as the DTE judged the page.
      c2_.responsePending = false;
      static const std::uint8_t replies[] = {t30::kMcf, t30::kMcf, t30::kRtn, t30::kRtp, t30::kMcf, t30::kMcf};
      c2_.pageStarted = c2_.pageEnded = false;
      c2_.page.clear();
      c2_.receiver->respond(replies[c2Settings_.pageStatus]);
      c2Settings_.pageStatus = 1;
      return Result::None;
    }
    if (c2_.pageStarted) {
      mode_ = Mode::Class2PageRx;
      c2_.dc2 = false;
      result(Result::Connect);
    }
    return Result::None;
  }
  if (n == "+FET") {
    auto v = cmd.form == Form::Set ? parseNumber(cmd.value) : std::nullopt;
    if (!v || *v > 2 || !c2_.sender || !c2_.sender->running() || c2_.action != Class2Call::Action::None) return Result::Error;
    static const std::uint8_t messages[] = {t30::kMps, t30::kEom, t30::kEop};
    c2_.action = Class2Call::Action::PostPage;
    mode_ = Mode::Class2Wait;
    c2_.sender->postPage(messages[*v]);
    return Result::None;
  }
  if (n == "+FK" || n == "+FKS" || n == "+FKSS") {
    if (!inSession) return Result::Ok;
    c2_.action = Class2Call::Action::Abort;
    mode_ = Mode::Class2Wait;
    if (c2_.sender && c2_.sender->running()) c2_.sender->disconnect(kHangupAborted);
    if (c2_.receiver && c2_.receiver->running()) c2_.receiver->disconnect(kHangupAborted);
    return Result::None;
  }
  return Result::Error;
}

void EmulatedModem::startClass2Session(bool caller) {
  callTimer_.stop();
  T30Station station{c2Settings_.localId, localCapabilities()};
  c2_.sender.reset();
  c2_.receiver.reset();
  c2_.connectedReported = false;
  c2_.pageStarted = c2_.pageEnded = c2_.responsePending = c2_.postPageUnreported = false;
  c2_.page.clear();
  pageBytes_ = 0;
  mode_ = Mode::Class2Wait;
  if (caller) {
    c2_.action = Class2Call::Action::Dial;
    c2_.sender = std::make_unique<T30Sender>(line_, this, *this, station);
    c2_.sender->setMaxBps(class2MaxBps());
    c2_.sender->begin();
  } else {
    c2_.action = Class2Call::Action::Answer;
    c2_.receiver = std::make_unique<T30Receiver>(line_, this, *this, station);
    c2_.connectedReported = true;
    info(report(7));
    c2_.receiver->begin();
  }
}

void EmulatedModem::finishClass2Command(Result r) {
  c2_.action = Class2Call::Action::None;
  mode_ = Mode::Command;
  result(r);
}

void EmulatedModem::class2Input(std::string_view bytes) {
  if (mode_ == Mode::Class2PageTx) {
    std::string data;
    dle_.feed(takeWithinRoom(bytes), data);
    c2_.sender->pageData(data);
    pageBytesPassed(data.size());
    if (!dle_.ended()) {
      updateFlowControl();
      return;
    }
    char end = dle_.terminator();
    mode_ = Mode::Class2Wait;
    if (end == kEtx) {
      c2_.action = Class2Call::Action::PageEnd;
    } else {
      c2_.action = Class2Call::Action::PageEndAndPostPage;
      c2_.pendingPostPage = end == ',' ? t30::kMps : end == ';' ? t30::kEom : t30::kEop;
    }
    updateFlowControl();
    c2_.sender->endPage();
    return;
  }
  if (mode_ == Mode::Class2PageRx) {
    for (char c : bytes) {
      if (c == kDc2 && !c2_.dc2) {
        c2_.dc2 = true;
        deliverClass2Page();
      } else if (c == kCan) {
        // The DTE gives up on the page: the session is ended.
        c2_.action = Class2Call::Action::Abort;
        mode_ = Mode::Class2Wait;
        c2_.receiver->disconnect(kHangupAborted);
        return;
      }
    }
    return;
  }
  // Waiting for the modem: CAN aborts, anything else is ignored.
  for (char c : bytes) {
    if (c != kCan) continue;
    c2_.action = Class2Call::Action::Abort;
    if (c2_.sender && c2_.sender->running()) c2_.sender->disconnect(kHangupAborted);
    if (c2_.receiver && c2_.receiver->running()) c2_.receiver->disconnect(kHangupAborted);
    return;
  }
}

void EmulatedModem::pageBytesPassed(std::size_t n) {
  pageBytes_ += n;
  if (faults_.unplugAfterPageBytes == 0 || pageBytes_ < faults_.unplugAfterPageBytes) return;
  faults_.unplugAfterPageBytes = 0;
  deferTimer_.start(0, [this] { unplug(); });
}

// ---- what the T.30 session tells ----

void EmulatedModem::t30RemoteId(const std::string& id) {
  info(report(c2_.sender ? 11 : 10) + "\"" + paddedId(id) + "\"");
}

void EmulatedModem::t30RemoteCapabilities(const t30::Capabilities& caps) {
  int bps = 2400;
  for (const auto& m : caps.modulations) bps = std::max(bps, m.bps);
  info(report(8) + capsText(caps.fine ? 1 : 0, bps, caps.wide));
}

void EmulatedModem::t30Negotiated(const Modulation& m, const PageFormat& format) {
  c2_.modulation = m;
  c2_.format = format;
  info(report(9) + capsText(format.fine ? 1 : 0, m.bps, format.wide));
}

void EmulatedModem::t30Trained() {
  if (c2_.action == Class2Call::Action::Answer) finishClass2Command(Result::Ok);
}

void EmulatedModem::t30ReadyForPage() {
  if (c2_.action == Class2Call::Action::Dial) {
    finishClass2Command(Result::Ok);
  } else if (c2_.action == Class2Call::Action::PostPage) {
    // Class 2.0 answers a page that was not confirmed with ERROR.
    finishClass2Command(hayes_.fclass == "2.0" && lastPpr_ == 2 ? Result::Error : Result::Ok);
  }
}

void EmulatedModem::t30PageCarrierUp() {
  if (c2_.action != Class2Call::Action::SendPage) return;
  c2_.action = Class2Call::Action::None;
  mode_ = Mode::Class2PageTx;
  dle_.reset(hayes_.fclass == "2.0");
  result(Result::Connect);
  // A Class 2 modem asks for the page data with XON once its buffer is ready.
  if (hayes_.fclass == "2") out(std::string(1, kXon));
}

void EmulatedModem::t30ReadyForPostPage() {
  if (c2_.action == Class2Call::Action::PageEnd) {
    finishClass2Command(Result::Ok);
  } else if (c2_.action == Class2Call::Action::PageEndAndPostPage) {
    c2_.action = Class2Call::Action::PostPage;
    c2_.sender->postPage(c2_.pendingPostPage);
  }
}

void EmulatedModem::t30PageResult(std::uint8_t fcf) {
  switch (fcf) {
    case t30::kRtn: lastPpr_ = 2; break;
    case t30::kRtp: lastPpr_ = 3; break;
    case t30::kPip: lastPpr_ = 4; break;
    case t30::kPin: lastPpr_ = 5; break;
    default: lastPpr_ = 1;
  }
  if (hayes_.fclass == "2") {
    info(report(12) + std::to_string(lastPpr_));
  } else if (c2Settings_.pageReportsOn && profile_.pageReports) {
    info(report(12) + std::to_string(lastPpr_) + ",0,0,0,0");
  }
}

void EmulatedModem::t30PageStart() {
  c2_.pageStarted = true;
  c2_.pageEnded = false;
  c2_.page.clear();
  c2_.pageSeen.clear();
  if (c2_.action == Class2Call::Action::Receive) {
    mode_ = Mode::Class2PageRx;
    c2_.dc2 = false;
    result(Result::Connect);
  }
}

void EmulatedModem::t30PageData(const std::string& bytes) {
  c2_.pageSeen += bytes;
  if (hayes_.fclass == "2") {
    // The deployed Class 2 modems hand page data over with the bit order reversed.
    for (char c : bytes) c2_.page += static_cast<char>(reverseBits(static_cast<std::uint8_t>(c)));
  } else {
    c2_.page += bytes;
  }
  deliverClass2Page();
}

void EmulatedModem::t30PageEnd() {
  c2_.pageEnded = true;
  deliverClass2Page();
}

void EmulatedModem::deliverClass2Page() {
  if (mode_ != Mode::Class2PageRx || !c2_.dc2) return;
  if (!c2_.page.empty()) {
    out(dleStuff(c2_.page));
    pageBytesPassed(c2_.page.size());
    c2_.page.clear();
  }
  if (!c2_.pageEnded) return;
  out(std::string{kDle, kEtx});
  mode_ = Mode::Class2Wait;
  c2_.pageStarted = c2_.pageEnded = false;
  if (c2_.postPageUnreported) t30PostPage(c2_.postPage);
}

void EmulatedModem::t30PostPage(std::uint8_t fcf) {
  c2_.postPage = fcf;
  c2_.responsePending = true;
  if (mode_ == Mode::Class2PageRx || c2_.pageStarted) {
    // The DTE has not had the whole page yet: report once it has.
    c2_.postPageUnreported = true;
    return;
  }
  c2_.postPageUnreported = false;
  // The modem's own copy quality check: the page as it decoded here.
  PageQuality q = judgePage(c2_.pageSeen, c2_.format.wide ? 2048 : 1728);
  int ppr = q.acceptable() ? 1 : 2;
  if (hayes_.fclass == "2") {
    info(report(12) + std::to_string(ppr));
  } else {
    info(report(12) + std::to_string(ppr) + "," + std::to_string(q.lines) + "," + std::to_string(q.badLines) + "," +
         std::to_string(q.longestBadRun) + ",0");
  }
  info(report(13) + (fcf == t30::kMps ? "0" : fcf == t30::kEom ? "1" : "2"));
  if (c2_.action == Class2Call::Action::Receive) finishClass2Command(Result::Ok);
}

void EmulatedModem::t30Done(int code) {
  if (faults_.hangupCode >= 0) code = faults_.hangupCode;
  lastHangup_ = code;
  dcd_ = false;
  notify();
  if (mode_ == Mode::Class2PageRx) out(std::string{kDle, kEtx});
  char text[16];
  std::snprintf(text, sizeof text, hayes_.fclass == "2" ? "%d" : "%02d", code);
  info(report(14) + text);
  Class2Call::Action was = c2_.action;
  c2_.action = Class2Call::Action::None;
  mode_ = Mode::Command;
  if (was != Class2Call::Action::None) result(Result::Ok);
}

}  // namespace quillon::modem
