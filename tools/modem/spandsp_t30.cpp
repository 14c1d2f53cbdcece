#include "spandsp_t30.h"

#include <cstdlib>

namespace quillon::modem {

void SpanDspT30Setup::apply(t30_state_t* t30, const std::string& stationId, bool receiving, const std::string& file,
                            std::function<void()> whenDone) {
  receiving_ = receiving;
  whenDone_ = std::move(whenDone);
  outcome_ = {};
  t30_set_tx_ident(t30, stationId.c_str());
  t30_set_ecm_capability(t30, false);
  t30_set_supported_modems(t30, T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17);
  if (receiving) {
    t30_set_rx_file(t30, file.c_str(), -1);
  } else {
    t30_set_tx_file(t30, file.c_str(), -1, -1);
  }
  t30_set_phase_e_handler(t30, &SpanDspT30Setup::phaseE, this);
  span_log_set_level(t30_get_logging_state(t30), spanDspLogLevel());
}

void SpanDspT30Setup::phaseE(t30_state_t* t30, void* user, int code) {
  auto* me = static_cast<SpanDspT30Setup*>(user);
  t30_stats_t stats;
  t30_get_transfer_statistics(t30, &stats);
  SpanDspOutcome& o = me->outcome_;
  o.completion = code;
  o.pages = me->receiving_ ? stats.pages_rx : stats.pages_tx;
  o.badRows = stats.bad_rows;
  o.bitRate = stats.bit_rate;
  const char* id = t30_get_rx_ident(t30);
  o.remoteId = id ? id : "";
  // SpanDSP keeps the blanks that pad an ID to 20 characters.
  while (!o.remoteId.empty() && o.remoteId.back() == ' ') o.remoteId.pop_back();
  o.finished = true;
  if (me->whenDone_) me->whenDone_();
}

int spanDspLogLevel() {
  return std::getenv("QUILLON_SPANDSP_LOG") ? SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_PROTOCOL | SPAN_LOG_FLOW : 0;
}

}  // namespace quillon::modem
