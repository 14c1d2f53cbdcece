// The Hayes side of the emulated modem: command lines, result codes, S registers, calls,
// status lines and data calls. Class 1 and Class 2 / 2.0 live in their own files.
#include "emulated_modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quillon::modem {

namespace {
std::string upperCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
constexpr std::size_t kMaxCommandLine = 255;
}  // namespace

EmulatedModem::EmulatedModem(PhoneLine& line, std::string number, ModemProfile profile)
    : line_(line), profile_(std::move(profile)), escapeTimer_(line.scheduler()), callTimer_(line.scheduler()),
      modeTimer_(line.scheduler()), ringTimer_(line.scheduler()), deferTimer_(line.scheduler()),
      outputTimer_(line.scheduler()), flowTimer_(line.scheduler()), tx_(line, this) {
  resetSettings();
  line_.attach(this, number);
}

EmulatedModem::~EmulatedModem() {
  std::lock_guard lock(line_.mutex());
  line_.detach(this);
}

// ---- output ----

void EmulatedModem::notify() {
  if (listener_) listener_();
}

void EmulatedModem::out(const std::string& bytes) {
  if (vanished_ || bytes.empty()) return;
  if (faults_.replyDelay <= 0 && outputNotBefore_ <= line_.now()) {
    deliver(bytes);
    return;
  }
  // A slow modem: everything comes later, in order.
  Micros release = std::max(line_.now() + faults_.replyDelay, outputNotBefore_);
  outputNotBefore_ = release;
  delayedOut_.emplace_back(release, bytes);
  if (delayedOut_.size() == 1) releaseOutput();
}

void EmulatedModem::releaseOutput() {
  if (delayedOut_.empty()) return;
  outputTimer_.start(delayedOut_.front().first - line_.now(), [this] {
    std::string bytes = std::move(delayedOut_.front().second);
    delayedOut_.pop_front();
    deliver(bytes);
    releaseOutput();
  });
}

void EmulatedModem::info(const std::string& text) {
  if (trace_) trace_(false, text);
  out(hayes_.verbose ? "\r\n" + text + "\r\n" : text + "\r\n");
}

void EmulatedModem::result(Result r, const std::string& connectText) {
  struct Code {
    const char* text;
    const char* number;
  };
  static const Code codes[] = {{"OK", "0"},          {"CONNECT", "1"},     {"RING", "2"},
                               {"NO CARRIER", "3"},  {"ERROR", "4"},       {"NO DIALTONE", "6"},
                               {"BUSY", "7"},        {"NO ANSWER", "8"},   {"VOICE", "VOICE"},
                               {"+FCERROR", "+F4"},  {"", ""}};
  if (r == Result::None) return;
  const Code& c = codes[static_cast<int>(r)];
  std::string text = c.text;
  if (r == Result::Connect && !connectText.empty()) text += " " + connectText;
  if (trace_) trace_(false, text);
  if (hayes_.quiet) return;
  out(hayes_.verbose ? "\r\n" + text + "\r\n" : std::string(c.number) + "\r");
}

// ---- DTE side ----

std::string EmulatedModem::toDte() {
  std::lock_guard lock(line_.mutex());
  line_.settle();
  std::string bytes;
  bytes.swap(toDte_);
  return bytes;
}

void EmulatedModem::fromDte(std::string_view bytes) {
  std::lock_guard lock(line_.mutex());
  line_.settle();
  if (vanished_) return;
  while (!bytes.empty()) {
    Mode before = mode_;
    if (dteFlowCharacter(bytes.front())) {
      bytes.remove_prefix(1);
      continue;
    }
    // Modes that take all the bytes at once get them up to the next flow character.
    std::string_view chunk = bytes;
    if (hayes_.flow.xoffFromDte && !binaryIntake()) chunk = bytes.substr(0, bytes.find_first_of("\x11\x13"));
    switch (mode_) {
      case Mode::Command:
        commandByte(bytes.front());
        bytes.remove_prefix(1);
        break;
      case Mode::Online: {
        char c = bytes.front();
        bytes.remove_prefix(1);
        Micros guard = ms(hayes_.sreg[12] * 20);
        Micros now = line_.now();
        if (c == static_cast<char>(hayes_.sreg[2]) && plusCount_ < 3 &&
            (plusCount_ > 0 || now - lastDteByte_ >= guard)) {
          if (++plusCount_ == 3)
            escapeTimer_.start(guard, [this] {
              plusCount_ = 0;
              mode_ = Mode::Command;
              result(Result::Ok);
            });
        } else {
          plusCount_ = 0;
          escapeTimer_.stop();
        }
        lastDteByte_ = now;
        tx_.sendData(std::string(1, c));
        break;
      }
      case Mode::Dialling:
      case Mode::Answering:
        // Any character stops a call attempt.
        bytes.remove_prefix(chunk.size());
        hangUpCall();
        result(Result::NoCarrier);
        break;
      case Mode::FrameTx:
      case Mode::DataTx:
      case Mode::FrameRx:
      case Mode::DataRx:
      case Mode::Silence:
        class1Input(chunk);
        bytes.remove_prefix(chunk.size());
        break;
      case Mode::Class2Wait:
      case Mode::Class2PageTx:
      case Mode::Class2PageRx:
        class2Input(chunk);
        bytes.remove_prefix(chunk.size());
        break;
    }
    if (before != Mode::Online) lastDteByte_ = line_.now();
  }
  line_.settle();
  line_.wakeUp();
}

void EmulatedModem::setDtr(bool on) {
  std::lock_guard lock(line_.mutex());
  if (dtr_ == on) return;
  dtr_ = on;
  if (!on && hayes_.dtrMode >= 2 && (line_.inCall(this) || mode_ != Mode::Command)) {
    hangUpCall();
    if (hayes_.dtrMode == 3) resetSettings();
  }
  line_.wakeUp();
}

void EmulatedModem::portClosed() {
  std::lock_guard lock(line_.mutex());
  if (trace_) trace_(true, "(port closed: DTR off)");
  setDtr(false);
  toDte_.clear();
  heldOut_.clear();
  delayedOut_.clear();
  outputTimer_.stop();
  outputNotBefore_ = 0;
  lineBuf_.clear();
  lineOverflow_ = false;
  dteXoff_ = false;
  rts_ = true;
}

void EmulatedModem::setRts(bool on) {
  std::lock_guard lock(line_.mutex());
  rts_ = on;
  releaseHeldOutput();
  line_.wakeUp();
}

void EmulatedModem::unplug() {
  std::lock_guard lock(line_.mutex());
  if (vanished_) return;
  hangUpCall();
  vanished_ = true;
  toDte_.clear();
  heldOut_.clear();
  delayedOut_.clear();
  outputTimer_.stop();
  dcd_ = cts_ = ri_ = false;
  notify();
  line_.wakeUp();
}

void EmulatedModem::commandByte(char c) {
  if (hayes_.echo) out(std::string(1, c));
  if (c == static_cast<char>(hayes_.sreg[3])) {
    if (lineBuf_.size() >= 2) {
      std::string line = lineBuf_;
      bool overflow = lineOverflow_;
      lineBuf_.clear();
      lineOverflow_ = false;
      lastLine_ = line;
      if (trace_) trace_(true, line);
      if (overflow) {
        result(Result::Error);
      } else {
        runLine(line.substr(2));
      }
    }
    lineBuf_.clear();
    return;
  }
  if (c == static_cast<char>(hayes_.sreg[5])) {
    if (lineBuf_.size() > 2) lineBuf_.pop_back();
    return;
  }
  if (lineBuf_.empty()) {
    // Everything before "AT" is ignored, "+++" and stray XON characters included.
    if (c == 'A' || c == 'a') lineBuf_ = c;
    return;
  }
  if (lineBuf_.size() == 1) {
    if (c == 'T' || c == 't') {
      lineBuf_ += c;
    } else if (c == '/' && lastLine_.size() >= 2) {
      // "A/" repeats the last command line at once.
      lineBuf_.clear();
      if (trace_) trace_(true, lastLine_);
      runLine(lastLine_.substr(2));
    } else {
      lineBuf_ = (c == 'A' || c == 'a') ? std::string(1, c) : std::string();
    }
    return;
  }
  if (static_cast<unsigned char>(c) < 32) return;
  if (lineBuf_.size() >= kMaxCommandLine) {
    lineOverflow_ = true;
    return;
  }
  lineBuf_ += c;
}

void EmulatedModem::runLine(const std::string& body) {
  std::string upper = upperCase(body);
  if (!faults_.garbageOn.empty() && upper.find(upperCase(faults_.garbageOn)) != std::string::npos)
    out(std::string("\r\n\x8F\xFE~#\x01Q\x7F", 9));
  if (!faults_.errorOn.empty() && upper.find(upperCase(faults_.errorOn)) != std::string::npos) {
    result(Result::Error);
    return;
  }
  auto commands = parseAtLine(body);
  if (!commands) {
    result(Result::Error);
    return;
  }
  for (const auto& cmd : *commands) {
    Result r = runCommand(cmd);
    if (r == Result::Error) {
      result(Result::Error);
      return;
    }
    // An action (dial, answer, carrier) answers later; the rest of the line is dropped.
    if (r == Result::None) return;
  }
  result(Result::Ok);
}

EmulatedModem::Result EmulatedModem::runCommand(const AtCommand& cmd) {
  if (cmd.name[0] == '+' || cmd.name[0] == '#') return runExtended(cmd);
  return runBasic(cmd);
}

EmulatedModem::Result EmulatedModem::runBasic(const AtCommand& cmd) {
  const std::string& n = cmd.name;
  int value = cmd.value.empty() ? 0 : *parseNumber(cmd.value);
  auto range = [&](int max) { return value <= max; };
  if (n == "A") return answer();
  if (n == "D") return dial(cmd.value);
  if (n == "E") return range(1) ? (hayes_.echo = value == 1, Result::Ok) : Result::Error;
  if (n == "Q") return range(1) ? (hayes_.quiet = value == 1, Result::Ok) : Result::Error;
  if (n == "V") return range(1) ? (hayes_.verbose = value == 1, Result::Ok) : Result::Error;
  if (n == "X") return range(4) ? (hayes_.xLevel = value, Result::Ok) : Result::Error;
  if (n == "L" || n == "M") return range(3) ? Result::Ok : Result::Error;
  if (n == "P" || n == "T") return Result::Ok;
  if (n == "H") {
    if (!range(1)) return Result::Error;
    if (value == 0) hangUpCall();
    return Result::Ok;
  }
  if (n == "Z") {
    if (!range(1)) return Result::Error;
    hangUpCall();
    resetSettings();
    return Result::Ok;
  }
  if (n == "I") {
    switch (value) {
      case 0: info("28800"); break;
      case 3: info(profile_.manufacturer + " " + profile_.model); break;
      case 4: info(profile_.revision); break;
      default:
        if (value > 9) return Result::Error;
        info(profile_.model);
    }
    return Result::Ok;
  }
  if (n == "O") {
    if (!line_.connected(this) || hayes_.fclass != "0") return Result::Error;
    mode_ = Mode::Online;
    result(Result::Connect, hayes_.xLevel > 0 ? "14400" : "");
    return Result::None;
  }
  if (n == "S") {
    if (cmd.reg < 0 || cmd.reg >= 100) return Result::Error;
    if (cmd.form == AtCommand::Form::Query) {
      char text[8];
      std::snprintf(text, sizeof text, "%03d", hayes_.sreg[cmd.reg]);
      info(text);
      return Result::Ok;
    }
    auto v = parseNumber(cmd.value);
    if (!v || *v > 255) return Result::Error;
    hayes_.sreg[cmd.reg] = *v;
    return Result::Ok;
  }
  if (n == "&F") {
    if (!range(0)) return Result::Error;
    resetSettings();
    return Result::Ok;
  }
  if (n == "&D") return range(3) ? (hayes_.dtrMode = value, Result::Ok) : Result::Error;
  if (n == "&K") return flowCommand(cmd);
  if (n == "&V") {
    char text[80];
    std::snprintf(text, sizeof text, "E%d Q%d V%d X%d &D%d S0:%03d S7:%03d", hayes_.echo, hayes_.quiet, hayes_.verbose, hayes_.xLevel,
                  hayes_.dtrMode, hayes_.sreg[0], hayes_.sreg[7]);
    info(text);
    return Result::Ok;
  }
  // Other '&', '\' and '%' settings are taken and have no effect here.
  return range(9) ? Result::Ok : Result::Error;
}

EmulatedModem::Result EmulatedModem::runExtended(const AtCommand& cmd) {
  const std::string& n = cmd.name;
  using Form = AtCommand::Form;
  if (n == "+FCLASS") {
    if (cmd.form == Form::Test) {
      info(profile_.classes);
      return Result::Ok;
    }
    if (cmd.form == Form::Query) {
      info(hayes_.fclass);
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    for (const auto& c : splitValues(profile_.classes)) {
      if (c != cmd.value) continue;
      if (hayes_.fclass != cmd.value) {
        hayes_.fclass = cmd.value;
        lastPpr_ = 1;
      }
      return Result::Ok;
    }
    return Result::Error;
  }
  if (n == "+GMI" || n == "+GMM" || n == "+GMR") {
    if (cmd.form != Form::Action && cmd.form != Form::Query) return Result::Error;
    info(n == "+GMI" ? profile_.manufacturer : n == "+GMM" ? profile_.model : profile_.revision);
    return Result::Ok;
  }
  if (n == "+IFC" || (n == "+FLO" && twoOrTwoZero())) return flowCommand(cmd);
  if (hayes_.fclass == "1" || hayes_.fclass == "1.0") return class1Command(cmd);
  if (twoOrTwoZero()) return class2Command(cmd);
  return Result::Error;
}

HayesSettings::HayesSettings() {
  sreg[2] = 43;   // escape character '+'
  sreg[3] = 13;   // end of line
  sreg[4] = 10;   // line feed
  sreg[5] = 8;    // backspace
  sreg[6] = 2;    // wait for dial tone, s
  sreg[7] = 50;   // wait for carrier, s
  sreg[8] = 2;    // comma pause, s
  sreg[10] = 14;  // carrier loss to hang-up, 1/10 s
  sreg[12] = 50;  // escape guard time, 1/50 s
}

void EmulatedModem::resetSettings() {
  hayes_ = HayesSettings();
  c2Settings_ = Class2Settings();
  dteXoff_ = false;
  releaseHeldOutput();
}

void EmulatedModem::hangUpCall() {
  callTimer_.stop();
  modeTimer_.stop();
  escapeTimer_.stop();
  tx_.abort();
  c2_.action = Class2Call::Action::None;
  // A Class 2 session ends quietly when the DTE hangs up.
  if (c2_.sender) c2_.sender->silence();
  if (c2_.receiver) c2_.receiver->silence();
  line_.hangUp(this);
  dcd_ = false;
  mode_ = Mode::Command;
  c1_.rxFrames.clear();
  c1_.hdlcListening = c1_.rxConnected = peerCarrier_ = false;
  plusCount_ = 0;
  if (flowStopped_) {
    flowStopped_ = false;
    cts_ = true;
  }
  flowTimer_.stop();
  notify();
}

// ---- calls ----

EmulatedModem::Result EmulatedModem::dial(const std::string& dialString) {
  if (line_.inCall(this)) return Result::Error;
  quietAnswer_ = dialString.find('@') != std::string::npos;
  callerSide_ = true;
  mode_ = Mode::Dialling;
  if (!line_.hasDialTone(this)) {
    if (hayes_.xLevel == 2 || hayes_.xLevel == 4) {
      callTimer_.start(line_.paced(seconds(hayes_.sreg[6])), [this] { callFailed(Result::NoDialtone); });
    } else {
      // Blind dialling into a dead line: nothing ever answers.
      callTimer_.start(line_.paced(seconds(hayes_.sreg[7])), [this] { callFailed(Result::NoCarrier); });
    }
    return Result::None;
  }
  line_.dial(this, dialString);
  callTimer_.start(line_.paced(seconds(hayes_.sreg[7])),
                   [this] { callFailed(quietAnswer_ ? Result::NoAnswer : Result::NoCarrier); });
  return Result::None;
}

EmulatedModem::Result EmulatedModem::answer() {
  if (line_.connected(this)) return Result::Error;
  callerSide_ = false;
  mode_ = Mode::Answering;
  ri_ = false;
  callTimer_.start(line_.paced(seconds(hayes_.sreg[7])), [this] { callFailed(Result::NoCarrier); });
  // Nothing ringing: the modem goes off hook and waits for a carrier that never comes.
  line_.answer(this);
  return Result::None;
}

void EmulatedModem::callFailed(Result r) {
  hangUpCall();
  result(r);
}

void EmulatedModem::ringing(int count) {
  if (vanished_) return;
  ri_ = true;
  ringTimer_.start(line_.paced(seconds(2)), [this] {
    ri_ = false;
    notify();
  });
  hayes_.sreg[1] = count;
  if (mode_ != Mode::Command) return;
  result(Result::Ring);
  if (hayes_.sreg[0] > 0 && count >= hayes_.sreg[0]) {
    deferTimer_.start(0, [this] {
      if (mode_ == Mode::Command && line_.ringingAt(this)) answer();
    });
  }
}

void EmulatedModem::ringingStopped() {
  hayes_.sreg[1] = 0;
  ri_ = false;
  notify();
}

void EmulatedModem::busy() {
  if (mode_ != Mode::Dialling) return;
  // Busy tone is recognised only from X3 up; below that the modem waits for S7.
  if (hayes_.xLevel >= 3) callTimer_.start(line_.paced(seconds(2)), [this] { callFailed(Result::Busy); });
}

void EmulatedModem::voiceAnswered() {
  if (mode_ != Mode::Dialling) return;
  callTimer_.start(line_.paced(seconds(2)), [this] { callFailed(Result::Voice); });
}

void EmulatedModem::callUp() {
  dcd_ = true;
  notify();
  if (hayes_.fclass == "0") {
    // Data call: both modems train their data carriers, then CONNECT.
    tx_.start(kDataCarrier, false, nullptr);
    return;
  }
  if (hayes_.fclass == "1" || hayes_.fclass == "1.0") {
    if (callerSide_) {
      // After dialling, a Class 1 modem listens for the answering machine's V.21 frames.
      mode_ = Mode::FrameRx;
      c1_.rxConnected = false;
      c1_.hdlcListening = true;
    } else {
      callTimer_.stop();
      // The answer tone first, then V.21 flags and CONNECT.
      modeTimer_.start(line_.paced(ms(2600)), [this] { startFrameTx(); });
    }
    return;
  }
  startClass2Session(callerSide_);
}

void EmulatedModem::callDown() {
  dcd_ = false;
  peerCarrier_ = false;
  callTimer_.stop();
  notify();
  if ((c2_.sender && c2_.sender->running()) || (c2_.receiver && c2_.receiver->running())) {
    if (c2_.sender) c2_.sender->lineDown();
    if (c2_.receiver) c2_.receiver->lineDown();
    return;
  }
  carrierLost();
}

void EmulatedModem::carrierLost() {
  Mode was = mode_;
  modeTimer_.stop();
  tx_.abort();
  c1_.rxFrames.clear();
  c1_.hdlcListening = false;
  mode_ = Mode::Command;
  if (was == Mode::Command) return;
  if (was == Mode::DataRx && c1_.rxConnected) out(std::string{kDle, kEtx});
  c1_.rxConnected = false;
  result(Result::NoCarrier);
}

void EmulatedModem::signal(const LineSignal& s) {
  if (s.kind == LineSignal::Kind::CarrierOn && s.modulation == kDataCarrier && !callerSide_ && c2Settings_.faa == 1 &&
      hayes_.fclass != "0" && mode_ != Mode::Online) {
    // Adaptive answer: a data modem is calling, so this one answers as a data modem too.
    if (c2_.sender) c2_.sender->silence();
    if (c2_.receiver) c2_.receiver->silence();
    tx_.abort();
    modeTimer_.stop();
    c2_.action = Class2Call::Action::None;
    hayes_.fclass = "0";
    mode_ = Mode::Answering;
    tx_.start(kDataCarrier, false, nullptr);
  }
  if (s.kind == LineSignal::Kind::CarrierOn) {
    peerCarrier_ = true;
    peerModulation_ = s.modulation;
    peerShortTrain_ = s.shortTrain;
    peerDataStart_ = s.dataStart;
  } else if (s.kind == LineSignal::Kind::CarrierOff) {
    peerCarrier_ = false;
  }
  if (c2_.sender && c2_.sender->running()) {
    if (s.kind == LineSignal::Kind::CarrierOn && s.modulation == kV21 && !c2_.connectedReported) {
      c2_.connectedReported = true;
      info(report(7));
    }
    c2_.sender->lineSignal(s);
    return;
  }
  if (c2_.receiver && c2_.receiver->running()) {
    c2_.receiver->lineSignal(s);
    return;
  }
  if (hayes_.fclass == "0") {
    if (s.kind == LineSignal::Kind::CarrierOn && s.modulation == kDataCarrier &&
        (mode_ == Mode::Dialling || mode_ == Mode::Answering)) {
      callTimer_.start(std::max<Micros>(0, s.dataStart - line_.now()), [this] {
        mode_ = Mode::Online;
        result(Result::Connect, hayes_.xLevel > 0 ? "14400" : "");
      });
    } else if (s.kind == LineSignal::Kind::Data && mode_ == Mode::Online) {
      out(s.bytes);
    }
    return;
  }
  class1Signal(s);
}

}  // namespace quillon::modem
