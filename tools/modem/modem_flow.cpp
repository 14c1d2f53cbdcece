// Flow control on the DTE link, as a real modem's small buffers force it. Page data from the
// DTE goes into a transmit buffer of kTransmitBuffer bytes that the line drains at its own
// speed: past kXoffLevel the modem sends XOFF and drops CTS, below kXonLevel it sends XON and
// raises CTS again, and what a DTE writes into a full buffer is lost. The other way, a DTE
// that asked for it (&K4, +IFC, +FLO) stops the modem's output with XOFF or RTS; what comes
// in meanwhile waits in a receive buffer of kReceiveBuffer bytes, and the rest is lost.
#include "emulated_modem.h"

namespace quillon::modem {

namespace {
constexpr std::size_t kXoffLevel = 3072;
constexpr std::size_t kXonLevel = 1024;
// How often a held-back DTE is looked at again, in line time.
constexpr Micros kFlowPoll = ms(20);
}  // namespace

EmulatedModem::Result EmulatedModem::flowCommand(const AtCommand& cmd) {
  const std::string& n = cmd.name;
  FlowControl& f = hayes_.flow;
  if (n == "&K") {
    int value = cmd.value.empty() ? 0 : parseNumber(cmd.value).value_or(-1);
    if (value != 0 && value != 3 && value != 4) return Result::Error;
    f.xoffToDte = f.xoffFromDte = value == 4;
    f.ctsToDte = f.rtsFromDte = value == 3;
    return Result::Ok;
  }
  using Form = AtCommand::Form;
  if (n == "+IFC") {
    // +IFC=<how the DTE holds the modem>,<how the modem holds the DTE>: 0 none, 1 XON/XOFF, 2 RTS/CTS.
    if (cmd.form == Form::Test) {
      info("(0-2),(0-2)");
      return Result::Ok;
    }
    if (cmd.form == Form::Query) {
      int byDte = f.xoffFromDte ? 1 : f.rtsFromDte ? 2 : 0;
      int byModem = f.xoffToDte ? 1 : f.ctsToDte ? 2 : 0;
      info(std::to_string(byDte) + "," + std::to_string(byModem));
      return Result::Ok;
    }
    if (cmd.form != Form::Set) return Result::Error;
    auto values = splitValues(cmd.value);
    int v[2] = {0, 0};
    for (std::size_t i = 0; i < 2; ++i) {
      if (i >= values.size() || values[i].empty()) {
        v[i] = i == 0 ? (f.xoffFromDte ? 1 : f.rtsFromDte ? 2 : 0) : (f.xoffToDte ? 1 : f.ctsToDte ? 2 : 0);
        continue;
      }
      auto number = parseNumber(values[i]);
      if (!number || *number > 2) return Result::Error;
      v[i] = *number;
    }
    f.xoffFromDte = v[0] == 1;
    f.rtsFromDte = v[0] == 2;
    f.xoffToDte = v[1] == 1;
    f.ctsToDte = v[1] == 2;
    return Result::Ok;
  }
  // +FLO (Class 2 / 2.0): one choice for both directions.
  if (cmd.form == Form::Test) {
    info("(0-2)");
    return Result::Ok;
  }
  if (cmd.form == Form::Query) {
    info(f.xoffToDte && !f.ctsToDte ? "1" : f.ctsToDte && !f.xoffToDte ? "2" : f.ctsToDte ? "1" : "0");
    return Result::Ok;
  }
  auto v = cmd.form == Form::Set ? parseNumber(cmd.value) : std::nullopt;
  if (!v || *v > 2) return Result::Error;
  f.xoffToDte = f.xoffFromDte = *v == 1;
  f.ctsToDte = f.rtsFromDte = *v == 2;
  return Result::Ok;
}

// ---- towards the DTE ----

bool EmulatedModem::outputHeld() const {
  return (hayes_.flow.xoffFromDte && dteXoff_) || (hayes_.flow.rtsFromDte && !rts_);
}

void EmulatedModem::deliver(const std::string& bytes) {
  if (!outputHeld()) {
    toDte_ += bytes;
    notify();
    return;
  }
  std::size_t room = kReceiveBuffer - std::min(kReceiveBuffer, heldOut_.size());
  std::size_t kept = std::min(room, bytes.size());
  heldOut_.append(bytes, 0, kept);
  if (kept < bytes.size()) {
    lostToDte_ += bytes.size() - kept;
    if (trace_) trace_(false, "(receive buffer full: " + std::to_string(bytes.size() - kept) + " bytes lost)");
  }
}

void EmulatedModem::releaseHeldOutput() {
  if (outputHeld() || heldOut_.empty()) return;
  toDte_ += heldOut_;
  heldOut_.clear();
  notify();
}

void EmulatedModem::sendFlowCharacter(char c) {
  // Flow characters go out even while the DTE holds the modem's output.
  toDte_ += c;
  notify();
}

bool EmulatedModem::dteFlowCharacter(char c) {
  if (!hayes_.flow.xoffFromDte || binaryIntake() || (c != kXon && c != kXoff)) return false;
  dteXoff_ = c == kXoff;
  releaseHeldOutput();
  return true;
}

// ---- from the DTE ----

std::size_t EmulatedModem::transmitBuffered() const {
  if (mode_ == Mode::DataTx) return tx_.queuedBytes();
  if (mode_ == Mode::Class2PageTx && c2_.sender) return c2_.sender->queuedPageBytes();
  return 0;
}

std::size_t EmulatedModem::dteRoom() const {
  std::lock_guard lock(line_.mutex());
  if (vanished_) return 0;
  if (!binaryIntake()) return kTransmitBuffer;
  return kTransmitBuffer - std::min(kTransmitBuffer, transmitBuffered());
}

std::string_view EmulatedModem::takeWithinRoom(std::string_view bytes) {
  std::size_t room = kTransmitBuffer - std::min(kTransmitBuffer, transmitBuffered());
  if (bytes.size() <= room) return bytes;
  lostFromDte_ += bytes.size() - room;
  if (trace_) trace_(true, "(transmit buffer full: " + std::to_string(bytes.size() - room) + " bytes lost)");
  return bytes.substr(0, room);
}

void EmulatedModem::updateFlowControl() {
  std::size_t queued = binaryIntake() ? transmitBuffered() : 0;
  if (!flowStopped_ && queued >= kXoffLevel) {
    flowStopped_ = true;
    if (hayes_.flow.ctsToDte) cts_ = false;
    if (hayes_.flow.xoffToDte) sendFlowCharacter(kXoff);
    notify();
  } else if (flowStopped_ && queued <= kXonLevel) {
    flowStopped_ = false;
    cts_ = true;
    if (hayes_.flow.xoffToDte) sendFlowCharacter(kXon);
    notify();
  }
  watchTransmitBuffer();
}

void EmulatedModem::watchTransmitBuffer() {
  if (flowStopped_ && binaryIntake()) {
    if (!flowTimer_.running()) flowTimer_.start(line_.paced(kFlowPoll), [this] { updateFlowControl(); });
  } else {
    flowTimer_.stop();
  }
}

}  // namespace quillon::modem
