#pragma once
// What a dispatcher trigger means to a running fax session: both machines, sending and
// receiving, arm the same timers and triggers on the port and read them the same way.
#include <cstdint>

#include "fax/fax_session.h"

namespace quillon::fax {

// `outEmpty` is also the drain timer's look at the device.
enum class SessionTrigger { other, data, statusTimer, timeout, outSpace, outEmpty };

SessionTrigger ClassifyTrigger(const FaxSession& s, unsigned msg, unsigned first);

// Arms the status timer again for the next status notification.
void RearmStatusTimer(FaxSession& s);

}  // namespace quillon::fax
