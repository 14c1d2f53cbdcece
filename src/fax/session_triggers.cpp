#include "fax/session_triggers.h"

#include "platform/ticks.h"
#include "serial/dispatcher.h"

namespace quillon::fax {

SessionTrigger ClassifyTrigger(const FaxSession& s, unsigned msg, unsigned first) {
  const int id = static_cast<int>(first);
  if (msg == serial::kTriggerAvailMsg) return SessionTrigger::data;
  if (msg == serial::kTriggerTimerMsg && id == s.statusTimer) return SessionTrigger::statusTimer;
  if (msg == serial::kTriggerTimerMsg && id == s.timeoutTimer) return SessionTrigger::timeout;
  if (msg == serial::kTriggerStatusMsg && id == s.outSpaceTrigger) return SessionTrigger::outSpace;
  if (msg == serial::kTriggerStatusMsg && id == s.outEmptyTrigger) return SessionTrigger::outEmpty;
  if (msg == serial::kTriggerTimerMsg && id == s.drainTimer) return SessionTrigger::outEmpty;
  return SessionTrigger::other;
}

void RearmStatusTimer(FaxSession& s) {
  s.dispatcher->SetTimerTrigger(s.statusTimer, platform::secondsToTicks(s.statusInterval), true);
}

}  // namespace quillon::fax
