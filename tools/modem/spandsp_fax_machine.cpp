#include "spandsp_fax_machine.h"


#include "dle.h"

namespace quillon::modem {

namespace {
constexpr int kSamplesPerTick = 160;  // 20 ms at 8000 samples per second

int indicatorFor(const Modulation& m, bool shortTrain) {
  switch (m.family) {
    case Family::V21: return T38_IND_V21_PREAMBLE;
    case Family::V27ter: return m.bps == 2400 ? T38_IND_V27TER_2400_TRAINING : T38_IND_V27TER_4800_TRAINING;
    case Family::V29: return m.bps == 7200 ? T38_IND_V29_7200_TRAINING : T38_IND_V29_9600_TRAINING;
    case Family::V17:
      switch (m.bps) {
        case 7200: return shortTrain ? T38_IND_V17_7200_SHORT_TRAINING : T38_IND_V17_7200_LONG_TRAINING;
        case 9600: return shortTrain ? T38_IND_V17_9600_SHORT_TRAINING : T38_IND_V17_9600_LONG_TRAINING;
        case 12000: return shortTrain ? T38_IND_V17_12000_SHORT_TRAINING : T38_IND_V17_12000_LONG_TRAINING;
        default: return shortTrain ? T38_IND_V17_14400_SHORT_TRAINING : T38_IND_V17_14400_LONG_TRAINING;
      }
    case Family::Data: break;
  }
  return T38_IND_NO_SIGNAL;
}

int dataTypeFor(const Modulation& m) {
  switch (m.family) {
    case Family::V27ter: return m.bps == 2400 ? T38_DATA_V27TER_2400 : T38_DATA_V27TER_4800;
    case Family::V29: return m.bps == 7200 ? T38_DATA_V29_7200 : T38_DATA_V29_9600;
    case Family::V17:
      return m.bps == 7200 ? T38_DATA_V17_7200 : m.bps == 9600 ? T38_DATA_V17_9600
             : m.bps == 12000 ? T38_DATA_V17_12000 : T38_DATA_V17_14400;
    default: return T38_DATA_V21;
  }
}

std::optional<Modulation> modulationOfIndicator(int indicator) {
  switch (indicator) {
    case T38_IND_V21_PREAMBLE: return kV21;
    case T38_IND_V27TER_2400_TRAINING: return Modulation{Family::V27ter, 2400};
    case T38_IND_V27TER_4800_TRAINING: return Modulation{Family::V27ter, 4800};
    case T38_IND_V29_7200_TRAINING: return Modulation{Family::V29, 7200};
    case T38_IND_V29_9600_TRAINING: return Modulation{Family::V29, 9600};
    case T38_IND_V17_7200_SHORT_TRAINING:
    case T38_IND_V17_7200_LONG_TRAINING: return Modulation{Family::V17, 7200};
    case T38_IND_V17_9600_SHORT_TRAINING:
    case T38_IND_V17_9600_LONG_TRAINING: return Modulation{Family::V17, 9600};
    case T38_IND_V17_12000_SHORT_TRAINING:
    case T38_IND_V17_12000_LONG_TRAINING: return Modulation{Family::V17, 12000};
    case T38_IND_V17_14400_SHORT_TRAINING:
    case T38_IND_V17_14400_LONG_TRAINING: return Modulation{Family::V17, 14400};
    default: return std::nullopt;
  }
}

bool shortTrainingIndicator(int indicator) {
  return indicator == T38_IND_V17_7200_SHORT_TRAINING || indicator == T38_IND_V17_9600_SHORT_TRAINING ||
         indicator == T38_IND_V17_12000_SHORT_TRAINING || indicator == T38_IND_V17_14400_SHORT_TRAINING;
}

SpanDspFaxMachine* self(void* user) { return static_cast<SpanDspFaxMachine*>(user); }

// T.38 carries bytes with the first transmitted bit in the most significant position; the
// line and Class 1 keep it in the least significant one.
std::string reversed(const std::uint8_t* buf, int len) {
  std::string out;
  for (int i = 0; buf && i < len; ++i) out += static_cast<char>(reverseBits(buf[i]));
  return out;
}
std::string reversed(const std::string& bytes) {
  return reversed(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
}
}  // namespace



SpanDspFaxMachine::SpanDspFaxMachine(PhoneLine& line, Role role, const std::string& number, std::string stationId,
                                     std::string file)
    : line_(line), role_(role), stationId_(std::move(stationId)), file_(std::move(file)), ticker_(line.scheduler()), deferTimer_(line.scheduler()) {
  line_.attach(this, number);
}

SpanDspFaxMachine::~SpanDspFaxMachine() {
  stop();
  line_.detach(this);
}

std::string SpanDspFaxMachine::completionText() const {
  return outcome().completion < 0 ? "not finished" : t30_completion_code_to_str(outcome().completion);
}

void SpanDspFaxMachine::call(const std::string& number) { line_.dial(this, number); }

void SpanDspFaxMachine::ringing(int count) {
  if (count >= 2) deferTimer_.start(0, [this] { line_.answer(this); });
}

void SpanDspFaxMachine::callUp() { start(); }

void SpanDspFaxMachine::callDown() {
  if (!outcome().finished) {
    lineDropped_ = true;
    if (terminal_) {
      // Let the terminal see the end of the call before it is released.
      t30_terminate(t38_terminal_get_t30_state(terminal_));
    }
  }
  stop();
}

void SpanDspFaxMachine::start() {
  terminal_ = t38_terminal_init(nullptr, role_ == Role::Sender, &fromTerminal, this);
  bridge_ = t38_core_init(nullptr, &onIndicator, &onData, &onMissing, this, &toTerminal, this);
  // The training check travels as data, so the modems at both ends judge it themselves.
  t38_set_data_rate_management_method(t38_terminal_get_t38_core_state(terminal_), T38_DATA_RATE_MANAGEMENT_TRANSFERRED_TCF);
  t38_set_data_rate_management_method(bridge_, T38_DATA_RATE_MANAGEMENT_TRANSFERRED_TCF);
  // The terminal is done with the call: put the receiver down (outside its own callback).
  t30_.apply(t38_terminal_get_t30_state(terminal_), stationId_, role_ == Role::Receiver, file_, [this] {
    deferTimer_.start(ms(100), [this] {
      line_.hangUp(this);
      stop();
    });
  });
  span_log_set_level(t38_terminal_get_logging_state(terminal_), spanDspLogLevel());
  span_log_set_level(t38_core_get_logging_state(t38_terminal_get_t38_core_state(terminal_)), spanDspLogLevel());
  tick();
}

void SpanDspFaxMachine::stop() {
  ticker_.stop();
  if (terminal_) t38_terminal_free(terminal_);
  if (bridge_) t38_core_free(bridge_);
  terminal_ = nullptr;
  bridge_ = nullptr;
}

void SpanDspFaxMachine::tick() {
  if (!terminal_) return;
  ticker_.start(ms(20), [this] { tick(); });
  t38_terminal_send_timeout(terminal_, kSamplesPerTick);
}

// ---- the terminal's packets become line signals ----

int SpanDspFaxMachine::fromTerminal(t38_core_state_s*, void* user, const std::uint8_t* buf, int len, int) {
  SpanDspFaxMachine* me = self(user);
  if (me->bridge_) t38_core_rx_ifp_packet(me->bridge_, buf, len, me->seqToBridge_++);
  return 0;
}

int SpanDspFaxMachine::onIndicator(t38_core_state_s*, void* user, int indicator) {
  SpanDspFaxMachine* me = self(user);
  if (auto m = modulationOfIndicator(indicator)) {
    me->carrierOn(*m, shortTrainingIndicator(indicator));
  } else if (indicator == T38_IND_NO_SIGNAL) {
    me->carrierOff();
  }
  return 0;
}

int SpanDspFaxMachine::onData(t38_core_state_s*, void* user, int dataType, int fieldType, const std::uint8_t* buf, int len) {
  SpanDspFaxMachine* me = self(user);
  std::string bytes = reversed(buf, len);
  LineSignal s;
  s.modulation = me->carrierMod_;
  switch (fieldType) {
    case T38_FIELD_HDLC_DATA:
      me->frame_ += bytes;
      break;
    case T38_FIELD_HDLC_FCS_OK:
    case T38_FIELD_HDLC_FCS_BAD:
    case T38_FIELD_HDLC_FCS_OK_SIG_END:
    case T38_FIELD_HDLC_FCS_BAD_SIG_END:
      s.kind = LineSignal::Kind::Frame;
      s.bytes = me->frame_;
      s.fcsOk = fieldType == T38_FIELD_HDLC_FCS_OK || fieldType == T38_FIELD_HDLC_FCS_OK_SIG_END;
      me->frame_.clear();
      me->line_.transmit(me, s);
      if (fieldType == T38_FIELD_HDLC_FCS_OK_SIG_END || fieldType == T38_FIELD_HDLC_FCS_BAD_SIG_END) me->carrierOff();
      break;
    case T38_FIELD_HDLC_SIG_END:
      me->carrierOff();
      break;
    case T38_FIELD_T4_NON_ECM_DATA:
    case T38_FIELD_T4_NON_ECM_SIG_END:
      if (!bytes.empty()) {
        s.kind = LineSignal::Kind::Data;
        s.bytes = bytes;
        me->line_.transmit(me, s);
      }
      if (fieldType == T38_FIELD_T4_NON_ECM_SIG_END) me->carrierOff();
      break;
    default:
      break;
  }
  (void)dataType;
  return 0;
}

int SpanDspFaxMachine::onMissing(t38_core_state_s*, void*, int, int) { return 0; }

void SpanDspFaxMachine::carrierOn(const Modulation& m, bool shortTrain) {
  if (carrier_) carrierOff();
  carrier_ = true;
  carrierMod_ = m;
  frame_.clear();
  LineSignal s;
  s.kind = LineSignal::Kind::CarrierOn;
  s.modulation = m;
  s.shortTrain = shortTrain;
  s.dataStart = line_.now() + (m == kV21 ? 0 : trainingTime(m, shortTrain));
  line_.transmit(this, s);
}

void SpanDspFaxMachine::carrierOff() {
  if (!carrier_) return;
  carrier_ = false;
  LineSignal s;
  s.kind = LineSignal::Kind::CarrierOff;
  s.modulation = carrierMod_;
  line_.transmit(this, s);
}

// ---- line signals become packets for the terminal ----

int SpanDspFaxMachine::toTerminal(t38_core_state_s*, void* user, const std::uint8_t* buf, int len, int) {
  SpanDspFaxMachine* me = self(user);
  if (me->terminal_) t38_core_rx_ifp_packet(t38_terminal_get_t38_core_state(me->terminal_), buf, len, me->seqToTerminal_++);
  return 0;
}

void SpanDspFaxMachine::signal(const LineSignal& s) {
  if (!bridge_) return;
  switch (s.kind) {
    case LineSignal::Kind::CarrierOn:
      sendingDataType_ = dataTypeFor(s.modulation);
      t38_core_send_indicator(bridge_, indicatorFor(s.modulation, s.shortTrain));
      break;
    case LineSignal::Kind::Frame: {
      std::string bytes = reversed(s.bytes);
      t38_core_send_data(bridge_, T38_DATA_V21, T38_FIELD_HDLC_DATA, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                         static_cast<int>(bytes.size()), T38_PACKET_CATEGORY_CONTROL_DATA);
      t38_core_send_data(bridge_, T38_DATA_V21, s.fcsOk ? T38_FIELD_HDLC_FCS_OK : T38_FIELD_HDLC_FCS_BAD, nullptr, 0,
                         T38_PACKET_CATEGORY_CONTROL_DATA);
      break;
    }
    case LineSignal::Kind::Data: {
      std::string bytes = reversed(s.bytes);
      t38_core_send_data(bridge_, sendingDataType_, T38_FIELD_T4_NON_ECM_DATA,
                         reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
                         T38_PACKET_CATEGORY_IMAGE_DATA);
      break;
    }
    case LineSignal::Kind::CarrierOff:
      if (s.modulation == kV21) {
        t38_core_send_data(bridge_, T38_DATA_V21, T38_FIELD_HDLC_SIG_END, nullptr, 0, T38_PACKET_CATEGORY_CONTROL_DATA_END);
      } else {
        t38_core_send_data(bridge_, sendingDataType_, T38_FIELD_T4_NON_ECM_SIG_END, nullptr, 0,
                           T38_PACKET_CATEGORY_IMAGE_DATA_END);
      }
      t38_core_send_indicator(bridge_, T38_IND_NO_SIGNAL);
      break;
  }
}

}  // namespace quillon::modem
