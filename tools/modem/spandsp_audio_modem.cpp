#include "spandsp_audio_modem.h"

#include <algorithm>


namespace quillon::modem {

namespace {
constexpr int kBlock = 160;  // 20 ms of audio at 8000 samples per second
}  // namespace

struct SpanDspAudioCallbacks {
  static int atTx(at_state_t*, void* user, const std::uint8_t* buf, std::size_t len) {
    static_cast<SpanDspAudioModem*>(user)->toDte_.append(reinterpret_cast<const char*>(buf), len);
    return static_cast<int>(len);
  }
  static int control(t31_state_t*, void* user, int op, const char* num) {
    auto* me = static_cast<SpanDspAudioModem*>(user);
    switch (op) {
      case AT_MODEM_CONTROL_CALL:
        // The exchange connects after a couple of seconds and the terminal answers.
        me->callTimer_.start(seconds(3), [me] {
          me->startTerminal(false);
          t31_call_event(me->modem_, AT_CALL_EVENT_CONNECTED);
        });
        break;
      case AT_MODEM_CONTROL_ANSWER:
        if (me->ringing_) {
          me->ringing_ = false;
          me->callTimer_.stop();
          me->startTerminal(true);
          t31_call_event(me->modem_, AT_CALL_EVENT_ANSWERED);
        }
        break;
      case AT_MODEM_CONTROL_CTS:
        // Hardware flow control: the modem's transmit buffer is full (off) or has room (on).
        me->cts_ = num != nullptr;
        break;
      case AT_MODEM_CONTROL_HANGUP:
      case AT_MODEM_CONTROL_ONHOOK:
        me->endCall();
        break;
      default:
        break;
    }
    return 0;
  }
};

SpanDspAudioModem::SpanDspAudioModem(Scheduler& clock, Remote remote, std::string stationId, std::string file)
    : remote_(remote), stationId_(std::move(stationId)), file_(std::move(file)), ticker_(clock),
      callTimer_(clock) {
  modem_ = t31_init(nullptr, &SpanDspAudioCallbacks::atTx, this, &SpanDspAudioCallbacks::control, this, nullptr,
                    nullptr);
  span_log_set_level(t31_get_logging_state(modem_), spanDspLogLevel());
  tick();
}

SpanDspAudioModem::~SpanDspAudioModem() {
  ticker_.stop();
  if (terminal_) fax_free(terminal_);
  if (modem_) t31_free(modem_);
}

void SpanDspAudioModem::fromDte(std::string_view bytes) {
  fromDte_.append(bytes);
  feed();
}

void SpanDspAudioModem::feed() {
  // SpanDSP's modem must not be given more than its buffer holds: what a port under flow
  // control would hold back waits here.
  while (cts_ && !fromDte_.empty()) {
    std::size_t n = std::min<std::size_t>(fromDte_.size(), 256);
    t31_at_rx(modem_, fromDte_.data(), static_cast<int>(n));
    fromDte_.erase(0, n);
  }
}

std::string SpanDspAudioModem::toDte() {
  std::string out;
  out.swap(toDte_);
  return out;
}

void SpanDspAudioModem::ringIn() {
  ringing_ = true;
  std::function<void()> ring = [this] {
    if (!ringing_) return;
    t31_call_event(modem_, AT_CALL_EVENT_ALERTING);
    callTimer_.start(seconds(6), [this] { ringIn(); });
  };
  ring();
}

void SpanDspAudioModem::startTerminal(bool calling) {
  if (terminal_) fax_free(terminal_);
  terminal_ = fax_init(nullptr, calling);
  t30_.apply(fax_get_t30_state(terminal_), stationId_, remote_ == Remote::Receiver, file_);
}

void SpanDspAudioModem::endCall() {
  callTimer_.stop();
  ringing_ = false;
  if (terminal_) {
    fax_free(terminal_);
    terminal_ = nullptr;
  }
}

void SpanDspAudioModem::tick() {
  ticker_.start(ms(20), [this] { tick(); });
  std::int16_t fromModem[kBlock] = {};
  std::int16_t fromTerminal[kBlock] = {};
  int n = t31_tx(modem_, fromModem, kBlock);
  for (int i = n; i < kBlock; ++i) fromModem[i] = 0;
  if (terminal_) {
    int m = fax_tx(terminal_, fromTerminal, kBlock);
    for (int i = m; i < kBlock; ++i) fromTerminal[i] = 0;
    fax_rx(terminal_, fromModem, kBlock);
  }
  t31_rx(modem_, fromTerminal, kBlock);
  feed();
}

}  // namespace quillon::modem
