#pragma once
// The receiving machine. States keep their numbers: 1-8 set the modem up and wait for rings,
// 9 answers, 10-21 are the Class 1 negotiation and training, 22-24 the Class 2 / 2.0
// connection, 25-26 page data, 27-32 the Class 1 post-page exchange and hang-up, 33-34 the
// Class 2 / 2.0 page ends and hang-up, 35-37 the end of a call and of the run.
#include <cstdint>

#include "fax/fax_session.h"

namespace quillon::fax {

// Resets the session for a run and prepares the modem: class, init strings, the receive-side
// setup, speeds. 0 or a negative code (the run does not start).
int PrepareReceiveSession(FaxSession& s);
// One dispatcher notification.
void HandleReceiveTrigger(FaxSession& s, unsigned msg, unsigned first, std::uint32_t second);
// The cancel message.
void CancelReceive(FaxSession& s);
// The port went away under the run: the file keeps its complete pages. True when a file was
// being received (its failure is to be logged).
bool EndReceiveOnPortLoss(FaxSession& s);

}  // namespace quillon::fax
