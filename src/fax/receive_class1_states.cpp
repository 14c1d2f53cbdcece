// Class 1 states of the receiving machine (2, 10 to 21, 27 to 32): the T.30 procedure the
// engine runs itself with HDLC frames. Not built yet: a Class 1 run stops at its first
// Class 1 state with a set-up error, before any call is answered.
#include "errors/error_codes.h"
#include "fax/receive_steps.h"

namespace quillon::fax::receive {

void Class1State(Step& st) { Fail(st.s, ecFaxInitError); }

bool Class1Timeout(FaxSession&, ReceivePart&) { return false; }

}  // namespace quillon::fax::receive
