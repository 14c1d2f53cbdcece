// Class 2 and Class 2.0: the modem runs T.30 itself. The DTE sets the session parameters,
// dials or answers, and moves pages with +FDT / +FDR and +FET; the modem reports what
// happens in +F lines. Class 2 is the deployed draft (+FDIS, +FHNG ...), Class 2.0 the
// standard (+FIS, +FHS ...).
#include <cstdio>

#include "emulated_modem.h"
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
  bool two = fclass_ == "2";
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
                fclass_ == "2.0" ? ",0" : "");
  return text;
}

int EmulatedModem::class2MaxBps() const {
  return std::min(bpsOfDigit(disParams_[1]), bpsOfDigit(dccParams_[1]));
}

t30::Capabilities EmulatedModem::localCapabilities() const {
  return makeCapabilities(class2MaxBps(), disParams_[0] >= 1, disParams_[2] >= 1);
}

EmulatedModem::Result EmulatedModem::class2Command(const AtCommand& cmd) {
  using Form = AtCommand::Form;
  bool two = fclass_ == "2";
  std::string n = cmd.name;
  // The two command sets name the same things differently.
  auto is = [&](const char* class2, const char* class20) { return n == (two ? class2 : class20); };
  bool inSession = (sender_ && sender_->running()) || (receiver_ && receiver_->running());

  if (is("+FDIS", "+FIS") || is("+FDCC", "+FCC")) {
    std::vector<int>& params = is("+FDIS", "+FIS") ? disParams_ : dccParams_;
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
      info("\"" + localId_ + "\"");
      return Result::Ok;
    }
    if (cmd.form == Form::Test) {
      info("(20-7E),(20)");
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    if (values[0].size() > 20) return Result::Error;
    localId_ = values[0];
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
        info(n == "+FCR" ? std::to_string(fcr_) : n == "+FAA" ? std::to_string(faa_) : "0");
      }
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    for (const auto& v : values)
      if (!v.empty() && !parseNumber(v)) return Result::Error;
    int first = values[0].empty() ? 0 : *parseNumber(values[0]);
    if (n == "+FCR") fcr_ = first;
    if (n == "+FAA") faa_ = first;
    if (is("+FPTS", "+FPS")) {
      if (first < 1 || first > 5) return Result::Error;
      pageStatus_ = first;
    }
    if (n == "+FNR") pageReportsOn_ = values.size() >= 2 && values[1] == "1";
    return Result::Ok;
  }
  if (!two && n == "+FIP") {
    // Class 2.0: back to the factory session parameters.
    disParams_ = dccParams_ = {1, 5, 0, 2, 0, 0, 0, 0};
    localId_.clear();
    fcr_ = faa_ = 0;
    pageReportsOn_ = false;
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
    if (cmd.form != Form::Action || !sender_ || !sender_->running() || !line_.connected(this)) return Result::Error;
    c2Action_ = Action::SendPage;
    mode_ = Mode::Class2Wait;
    sender_->sendPage({disParams_[0] >= 1, disParams_[2] >= 1});
    return Result::None;
  }
  if (n == "+FDR") {
    if (cmd.form != Form::Action || !receiver_ || !receiver_->running()) return Result::Error;
    c2Action_ = Action::Receive;
    mode_ = Mode::Class2Wait;
    if (c2ResponsePending_) {
      // The post-page response goes out now, as the DTE judged the page.
      c2ResponsePending_ = false;
      static const std::uint8_t replies[] = {t30::kMcf, t30::kMcf, t30::kRtn, t30::kRtp, t30::kMcf, t30::kMcf};
      c2PageStarted_ = c2PageEnded_ = false;
      c2Page_.clear();
      receiver_->respond(replies[pageStatus_]);
      pageStatus_ = 1;
      return Result::None;
    }
    if (c2PageStarted_) {
      mode_ = Mode::Class2PageRx;
      c2Dc2_ = false;
      result(Result::Connect);
    }
    return Result::None;
  }
  if (n == "+FET") {
    auto v = cmd.form == Form::Set ? parseNumber(cmd.value) : std::nullopt;
    if (!v || *v > 2 || !sender_ || !sender_->running() || c2Action_ != Action::None) return Result::Error;
    static const std::uint8_t messages[] = {t30::kMps, t30::kEom, t30::kEop};
    c2Action_ = Action::PostPage;
    mode_ = Mode::Class2Wait;
    sender_->postPage(messages[*v]);
    return Result::None;
  }
  if (n == "+FK" || n == "+FKS" || n == "+FKSS") {
    if (!inSession) return Result::Ok;
    c2Action_ = Action::Abort;
    mode_ = Mode::Class2Wait;
    if (sender_ && sender_->running()) sender_->disconnect(kHangupAborted);
    if (receiver_ && receiver_->running()) receiver_->disconnect(kHangupAborted);
    return Result::None;
  }
  return Result::Error;
}

void EmulatedModem::startClass2Session(bool caller) {
  callTimer_.stop();
  T30Station station{localId_, localCapabilities()};
  sender_.reset();
  receiver_.reset();
  connectedReported_ = false;
  c2PageStarted_ = c2PageEnded_ = c2ResponsePending_ = c2PostPageUnreported_ = false;
  c2Page_.clear();
  pageBytes_ = 0;
  mode_ = Mode::Class2Wait;
  if (caller) {
    c2Action_ = Action::Dial;
    sender_ = std::make_unique<T30Sender>(line_, this, *this, station);
    sender_->setMaxBps(class2MaxBps());
    sender_->begin();
  } else {
    c2Action_ = Action::Answer;
    receiver_ = std::make_unique<T30Receiver>(line_, this, *this, station);
    connectedReported_ = true;
    info(report(7));
    receiver_->begin();
  }
}

void EmulatedModem::finishClass2Command(Result r) {
  c2Action_ = Action::None;
  mode_ = Mode::Command;
  result(r);
}

void EmulatedModem::class2Input(std::string_view bytes) {
  if (mode_ == Mode::Class2PageTx) {
    std::string data;
    std::size_t used = dle_.feed(bytes, data);
    bytes.remove_prefix(used);
    sender_->pageData(data);
    pageBytesPassed(data.size());
    if (!dle_.ended()) return;
    char end = dle_.terminator();
    mode_ = Mode::Class2Wait;
    if (end == kEtx) {
      c2Action_ = Action::PageEnd;
    } else {
      c2Action_ = Action::PageEndAndPostPage;
      c2PendingPostPage_ = end == ',' ? t30::kMps : end == ';' ? t30::kEom : t30::kEop;
    }
    sender_->endPage();
    return;
  }
  if (mode_ == Mode::Class2PageRx) {
    for (char c : bytes) {
      if (c == kDc2 && !c2Dc2_) {
        c2Dc2_ = true;
        deliverClass2Page();
      } else if (c == kCan) {
        // The DTE gives up on the page: the session is ended.
        c2Action_ = Action::Abort;
        mode_ = Mode::Class2Wait;
        receiver_->disconnect(kHangupAborted);
        return;
      }
    }
    return;
  }
  // Waiting for the modem: CAN aborts, anything else is ignored.
  for (char c : bytes) {
    if (c != kCan) continue;
    c2Action_ = Action::Abort;
    if (sender_ && sender_->running()) sender_->disconnect(kHangupAborted);
    if (receiver_ && receiver_->running()) receiver_->disconnect(kHangupAborted);
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
  info(report(sender_ ? 11 : 10) + "\"" + paddedId(id) + "\"");
}

void EmulatedModem::t30RemoteCapabilities(const t30::Capabilities& caps) {
  int bps = 2400;
  for (const auto& m : caps.modulations) bps = std::max(bps, m.bps);
  info(report(8) + capsText(caps.fine ? 1 : 0, bps, caps.wide));
}

void EmulatedModem::t30Negotiated(const Modulation& m, const PageFormat& format) {
  c2Modulation_ = m;
  c2Format_ = format;
  info(report(9) + capsText(format.fine ? 1 : 0, m.bps, format.wide));
}

void EmulatedModem::t30Trained() {
  if (c2Action_ == Action::Answer) finishClass2Command(Result::Ok);
}

void EmulatedModem::t30ReadyForPage() {
  if (c2Action_ == Action::Dial) {
    finishClass2Command(Result::Ok);
  } else if (c2Action_ == Action::PostPage) {
    // Class 2.0 answers a page that was not confirmed with ERROR.
    finishClass2Command(fclass_ == "2.0" && lastPpr_ == 2 ? Result::Error : Result::Ok);
  }
}

void EmulatedModem::t30PageCarrierUp() {
  if (c2Action_ != Action::SendPage) return;
  c2Action_ = Action::None;
  mode_ = Mode::Class2PageTx;
  dle_.reset(fclass_ == "2.0");
  result(Result::Connect);
  // A Class 2 modem asks for the page data with XON once its buffer is ready.
  if (fclass_ == "2") out(std::string(1, kXon));
}

void EmulatedModem::t30ReadyForPostPage() {
  if (c2Action_ == Action::PageEnd) {
    finishClass2Command(Result::Ok);
  } else if (c2Action_ == Action::PageEndAndPostPage) {
    c2Action_ = Action::PostPage;
    sender_->postPage(c2PendingPostPage_);
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
  if (fclass_ == "2") {
    info(report(12) + std::to_string(lastPpr_));
  } else if (pageReportsOn_ && profile_.pageReports) {
    info(report(12) + std::to_string(lastPpr_) + ",0,0,0,0");
  }
}

void EmulatedModem::t30PageStart() {
  c2PageStarted_ = true;
  c2PageEnded_ = false;
  c2Page_.clear();
  if (c2Action_ == Action::Receive) {
    mode_ = Mode::Class2PageRx;
    c2Dc2_ = false;
    result(Result::Connect);
  }
}

void EmulatedModem::t30PageData(const std::string& bytes) {
  if (fclass_ == "2") {
    // The deployed Class 2 modems hand page data over with the bit order reversed.
    for (char c : bytes) c2Page_ += static_cast<char>(reverseBits(static_cast<std::uint8_t>(c)));
  } else {
    c2Page_ += bytes;
  }
  deliverClass2Page();
}

void EmulatedModem::t30PageEnd() {
  c2PageEnded_ = true;
  deliverClass2Page();
}

void EmulatedModem::deliverClass2Page() {
  if (mode_ != Mode::Class2PageRx || !c2Dc2_) return;
  if (!c2Page_.empty()) {
    out(dleStuff(c2Page_));
    pageBytesPassed(c2Page_.size());
    c2Page_.clear();
  }
  if (!c2PageEnded_) return;
  out(std::string{kDle, kEtx});
  mode_ = Mode::Class2Wait;
  c2PageStarted_ = c2PageEnded_ = false;
  if (c2PostPageUnreported_) t30PostPage(c2PostPage_);
}

void EmulatedModem::t30PostPage(std::uint8_t fcf) {
  c2PostPage_ = fcf;
  c2ResponsePending_ = true;
  if (mode_ == Mode::Class2PageRx || c2PageStarted_) {
    // The DTE has not had the whole page yet: report once it has.
    c2PostPageUnreported_ = true;
    return;
  }
  c2PostPageUnreported_ = false;
  info(report(12) + (fclass_ == "2" ? std::string("1") : std::string("1,0,0,0,0")));
  info(report(13) + (fcf == t30::kMps ? "0" : fcf == t30::kEom ? "1" : "2"));
  if (c2Action_ == Action::Receive) finishClass2Command(Result::Ok);
}

void EmulatedModem::t30Done(int code) {
  if (faults_.hangupCode >= 0) code = faults_.hangupCode;
  lastHangup_ = code;
  dcd_ = false;
  notify();
  if (mode_ == Mode::Class2PageRx) out(std::string{kDle, kEtx});
  char text[16];
  std::snprintf(text, sizeof text, fclass_ == "2" ? "%d" : "%02d", code);
  info(report(14) + text);
  Action was = c2Action_;
  c2Action_ = Action::None;
  mode_ = Mode::Command;
  if (was != Action::None) result(Result::Ok);
}

}  // namespace quillon::modem
