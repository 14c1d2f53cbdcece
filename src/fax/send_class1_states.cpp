// Class 1 states of the sending machine (3, 11 to 18, 29 to 37): the T.30 procedure the
// engine runs itself with HDLC frames. Not built yet: a Class 1 run stops at its first
// Class 1 state with a set-up error, so nothing is dialled.
#include "fax/send_steps.h"
#include "errors/error_codes.h"

namespace quillon::fax::send {

void Class1State(Step& st) { Fail(st.s, ecFaxInitError); }

bool Class1Timeout(FaxSession&) { return false; }

}  // namespace quillon::fax::send
