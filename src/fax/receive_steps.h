#pragma once
// Inside the receiving state machine: the events a step sees, the per-state steps and the
// helpers they share. One function per state, named after its number.
#include <string>

#include "fax/fax_session.h"
#include "fax/receive_part.h"
#include "fax/send_steps.h"

namespace quillon::fax::receive {

enum class Event { data, timeout, cancel };

struct Step {
  FaxSession& s;
  ReceivePart& r;
  Event event;
  const std::string& line;  // the answer, in states that wait for modem text
};

// Helpers (receive_machine.cpp).
void Fail(FaxSession& s, int code);  // error, FaxError, state 36
// Shared with the sending machine: error and FaxError only, a status notification, a trace
// line in the dispatch log, the class tests.
using send::Class2;
using send::Class20;
using send::SetError;
using send::Status;
using send::Trace;
void OpenStatus(FaxSession& s, ReceivePart& r);  // First = True once per call (or run)
void CloseStatus(FaxSession& s, ReceivePart& r, bool cancelled);
void TimeoutOff(FaxSession& s);

// File and page handling (receive_page_states.cpp).
// Asks the application whether to take the fax; accepted creates the file when none is
// open for the call. False when refused or the file could not be made (the state is set).
bool AcceptFax(Step& st);
int CreateFaxFile(FaxSession& s, ReceivePart& r);
void EndPage(Step& st);   // a good page: header rewrites
void DropPage(FaxSession& s, ReceivePart& r);
void CloseFaxFile(FaxSession& s, ReceivePart& r);  // complete pages only

// Shared states (receive_machine.cpp).
void State1(Step& st);
void State8(Step& st);
void State9(Step& st);
void State35(Step& st);
void State36(Step& st);

// Class 2 / 2.0 (receive_class2_states.cpp).
void State3(Step& st);
void State4(Step& st);
void State5(Step& st);
void State6(Step& st);
void State7(Step& st);
void State22(Step& st);
void State23(Step& st);
void State24(Step& st);
void State33(Step& st);
void State34(Step& st);

// Page data (receive_page_states.cpp).
void State25(Step& st);
void State26(Step& st);

// Class 1 (receive_class1_states.cpp): 2, 10 to 21, 27 to 32.
void Class1State(Step& st);
// The time-out rule of the Class 1 states; true when it ran.
bool Class1Timeout(FaxSession& s, ReceivePart& r);
// A frame the modem received (after DLE ETX): TSI, DCS and post-page messages are kept,
// DCN ends the call, FTT and RTN make the machine wait for a new DCS.
void TakeFrame(FaxSession& s, ReceivePart& r, const std::string& raw);
inline bool IsCarrierError(const std::string& line) { return contains(line, "+FCERROR"); }

}  // namespace quillon::fax::receive
