#pragma once
// The sending state machine. States keep their numbers: 1-2 take the next fax and set the
// modem up, 4-8 Class 2 / 2.0 session set-up, 9-10 dialling and redial, 19-20 Class 2
// connection and negotiation, 21-28 page data, 38-44 Class 2 / 2.0 page ends, 45-48 the end
// of a fax and of the run. Class 1 owns 3, 11-18 and 29-37.
#include <cstdint>

#include "fax/fax_session.h"

namespace quillon::fax {

// Resets the session for a run (before the modem is initialised).
void PrepareSendSession(FaxSession& s);
// One dispatcher notification.
void HandleSendTrigger(FaxSession& s, unsigned msg, unsigned first, std::uint32_t second);
// The cancel message.
void CancelSend(FaxSession& s);
// Runs the machine from its current state once (the first step after the start).
void StartSendMachine(FaxSession& s);

}  // namespace quillon::fax
