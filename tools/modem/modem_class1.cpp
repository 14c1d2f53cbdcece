// Class 1: the DTE runs T.30 itself. The modem only sends and receives HDLC frames on V.21
// (+FTH / +FRH) and page data on the high-speed carriers (+FTM / +FRM), with DLE framing.
#include <algorithm>

#include "emulated_modem.h"

namespace quillon::modem {

namespace {
// The DTE must send the next frame this soon after CONNECT, or the carrier drops.
constexpr Micros kFrameGap = seconds(5);
}  // namespace

EmulatedModem::Result EmulatedModem::class1Command(const AtCommand& cmd) {
  const std::string& n = cmd.name;
  using Form = AtCommand::Form;
  auto setValue = [&]() -> std::optional<int> {
    if (cmd.form != Form::Set) return std::nullopt;
    return parseNumber(cmd.value);
  };
  if (n == "+FTH" || n == "+FRH") {
    if (cmd.form == Form::Test) {
      info("3");
      return Result::Ok;
    }
    auto v = setValue();
    if (!v || *v != 3 || !line_.connected(this)) return Result::Error;
    if (n == "+FTH") {
      startFrameTx();
    } else {
      startFrameRx();
    }
    return Result::None;
  }
  if (n == "+FTM" || n == "+FRM") {
    if (cmd.form == Form::Test) {
      info(class1CodeList(profile_.class1Codes));
      return Result::Ok;
    }
    auto v = setValue();
    if (!v || !line_.connected(this)) return Result::Error;
    if (std::find(profile_.class1Codes.begin(), profile_.class1Codes.end(), *v) == profile_.class1Codes.end())
      return Result::Error;
    if (n == "+FTM") {
      startDataTx(*v);
    } else {
      startDataRx(*v);
    }
    return Result::None;
  }
  if (n == "+FTS" || n == "+FRS") {
    if (cmd.form == Form::Test) {
      info("0-255");
      return Result::Ok;
    }
    auto v = setValue();
    if (!v || *v > 255) return Result::Error;
    mode_ = Mode::Silence;
    Micros wait = line_.paced(ms(*v * 10));
    if (n == "+FTS") {
      tx_.abort();
      modeTimer_.start(wait, [this] {
        mode_ = Mode::Command;
        result(Result::Ok);
      });
      return Result::None;
    }
    // +FRS: the line must stay silent for the whole time; a carrier starts the wait again.
    c1_.frsWaiting = true;
    waitForSilence(wait);
    return Result::None;
  }
  if (n == "+FAE" && cmd.form == Form::Set) {
    auto v = parseNumber(cmd.value);
    if (!v || *v > 1) return Result::Error;
    c2Settings_.faa = *v;
    return Result::Ok;
  }
  if (n == "+FAR" || n == "+FCL" || n == "+FIT" || n == "+FAE" || n == "+FSP") {
    if (cmd.form == Form::Query) info("0");
    if (cmd.form == Form::Test) info("0,1");
    return Result::Ok;
  }
  return Result::Error;
}

void EmulatedModem::waitForSilence(Micros wait) {
  modeTimer_.start(wait, [this, wait] {
    if (peerCarrier_) {
      waitForSilence(wait);
      return;
    }
    c1_.frsWaiting = false;
    mode_ = Mode::Command;
    result(Result::Ok);
  });
}

void EmulatedModem::startFrameTx() {
  mode_ = Mode::FrameTx;
  dle_.reset();
  c1_.txFrame.clear();
  c1_.rxFrames.clear();
  c1_.hdlcListening = false;
  // Flags go out at once; the first frame waits for the end of the preamble.
  tx_.start(kV21, false, nullptr);
  result(Result::Connect);
  modeTimer_.start(kFrameGap, [this] {
    tx_.abort();
    mode_ = Mode::Command;
    result(Result::Error);
  });
}

void EmulatedModem::startFrameRx() {
  mode_ = Mode::FrameRx;
  c1_.rxConnected = false;
  if (!c1_.rxFrames.empty()) {
    LineSignal frame = c1_.rxFrames.front();
    c1_.rxFrames.pop_front();
    c1_.rxConnected = true;
    result(Result::Connect);
    deliverFrame(frame);
    return;
  }
  c1_.hdlcListening = true;
  if (peerCarrier_ && peerModulation_ == kV21) {
    c1_.rxConnected = true;
    result(Result::Connect);
  }
}

void EmulatedModem::startDataTx(int code) {
  auto c = class1Code(code);
  mode_ = Mode::DataTx;
  dle_.reset();
  c1_.rxFrames.clear();
  c1_.hdlcListening = false;
  tx_.start(c->modulation, c->shortTrain, [this] {
    if (mode_ == Mode::DataTx) result(Result::Connect);
  });
}

void EmulatedModem::startDataRx(int code) {
  auto c = class1Code(code);
  mode_ = Mode::DataRx;
  c1_.rxModulation = c->modulation;
  c1_.rxShortTrain = c->shortTrain;
  c1_.rxConnected = false;
  c1_.rxFrames.clear();
  c1_.hdlcListening = false;
  if (!peerCarrier_) return;
  if (peerModulation_ == c1_.rxModulation && line_.now() <= peerDataStart_) {
    // Still in the training: the receiver can lock on (if it trains the same way).
    lockOnto(peerModulation_, peerShortTrain_, peerDataStart_);
  } else if (peerModulation_ == kV21 || peerModulation_.family != c1_.rxModulation.family ||
             peerModulation_.bps != c1_.rxModulation.bps) {
    endClass1Rx(Result::FcError);
  }
  // A matching carrier whose training has passed cannot be joined: wait for the next one.
}

void EmulatedModem::lockOnto(const Modulation& m, bool carrierShort, Micros dataStart) {
  TrainingLock lock = trainingLock(m, carrierShort, c1_.rxShortTrain);
  // A long-training receiver does not see a short training at all: it waits on.
  if (lock == TrainingLock::Never) return;
  c1_.garbleLeft = lock == TrainingLock::Garbled ? garbledBytes(m) : 0;
  modeTimer_.start(std::max<Micros>(0, dataStart - line_.now()), [this] {
    c1_.rxConnected = true;
    result(Result::Connect);
  });
}

void EmulatedModem::class1Input(std::string_view bytes) {
  switch (mode_) {
    case Mode::FrameTx:
      while (!bytes.empty() && mode_ == Mode::FrameTx) {
        std::size_t used = dle_.feed(bytes, c1_.txFrame);
        bytes.remove_prefix(used);
        if (!dle_.ended()) break;
        std::string frame;
        frame.swap(c1_.txFrame);
        dle_.reset();
        modeTimer_.stop();
        bool last = frame.size() < 2 || (static_cast<unsigned char>(frame[1]) & 0x10) != 0;
        tx_.sendFrame(frame, true, [this, last] {
          if (mode_ != Mode::FrameTx) return;
          if (last) {
            tx_.finish([this] {
              mode_ = Mode::Command;
              result(Result::Ok);
            });
            return;
          }
          result(Result::Connect);
          modeTimer_.start(kFrameGap, [this] {
            tx_.abort();
            mode_ = Mode::Command;
            result(Result::Error);
          });
        });
      }
      break;
    case Mode::DataTx: {
      if (!dle_.ended() && !bytes.empty()) {
        std::string data;
        dle_.feed(takeWithinRoom(bytes), data);
        tx_.sendData(data);
        pageBytesPassed(data.size());
        if (dle_.ended()) {
          modeTimer_.stop();
          tx_.finish([this] {
            mode_ = Mode::Command;
            updateFlowControl();
            result(Result::Ok);
          });
        }
      }
      updateFlowControl();
      break;
    }
    case Mode::FrameRx:
    case Mode::DataRx:
    case Mode::Silence:
      // Any character from the DTE stops the receive (or the wait) and the modem says OK.
      if (bytes.empty()) break;
      if (mode_ == Mode::DataRx && c1_.rxConnected) out(std::string{kDle, kEtx});
      c1_.frsWaiting = false;
      endClass1Rx(Result::Ok);
      break;
    default:
      break;
  }
}

void EmulatedModem::class1Signal(const LineSignal& s) {
  using Kind = LineSignal::Kind;
  switch (s.kind) {
    case Kind::CarrierOn:
      if (mode_ == Mode::FrameRx && !c1_.rxConnected) {
        if (s.modulation == kV21) {
          callTimer_.stop();
          c1_.rxConnected = true;
          result(Result::Connect);
        } else if (!callerSide_ || !callTimer_.running()) {
          endClass1Rx(Result::FcError);
        }
      } else if (mode_ == Mode::DataRx && !c1_.rxConnected) {
        if (s.modulation == c1_.rxModulation) {
          lockOnto(s.modulation, s.shortTrain, s.dataStart);
        } else {
          endClass1Rx(Result::FcError);
        }
      } else if (s.modulation == kV21 && mode_ == Mode::Command) {
        c1_.hdlcListening = true;
      }
      break;
    case Kind::Frame:
      if (mode_ == Mode::FrameRx) {
        if (!c1_.rxConnected) {
          c1_.rxConnected = true;
          result(Result::Connect);
        }
        deliverFrame(s);
      } else if (c1_.hdlcListening) {
        c1_.rxFrames.push_back(s);
      }
      break;
    case Kind::Data:
      if (mode_ == Mode::DataRx && c1_.rxConnected) {
        std::string bytes = s.bytes;
        garble(bytes, c1_.garbleLeft);
        out(dleStuff(bytes));
        pageBytesPassed(bytes.size());
      }
      break;
    case Kind::CarrierOff:
      if (s.modulation == kV21) c1_.hdlcListening = false;
      if (mode_ == Mode::DataRx && c1_.rxConnected) {
        out(std::string{kDle, kEtx});
        endClass1Rx(Result::NoCarrier);
      } else if (mode_ == Mode::FrameRx && c1_.rxConnected && s.modulation == kV21) {
        endClass1Rx(Result::NoCarrier);
      }
      break;
  }
}

void EmulatedModem::deliverFrame(const LineSignal& frame) {
  std::string bytes = frame.bytes;
  if (profile_.frameFcs) bytes += t30::fcsOf(frame.bytes);
  out(dleStuff(bytes) + std::string{kDle, kEtx});
  endClass1Rx(frame.fcsOk ? Result::Ok : Result::Error);
  // The modem goes on collecting frames of the same carrier for the next +FRH.
  c1_.hdlcListening = peerCarrier_ && peerModulation_ == kV21;
}

void EmulatedModem::endClass1Rx(Result r) {
  modeTimer_.stop();
  mode_ = Mode::Command;
  c1_.rxConnected = false;
  result(r);
}

}  // namespace quillon::modem
