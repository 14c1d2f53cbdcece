#pragma once
// Inside the sending state machine: the events a step sees, the per-state steps and the
// helpers they share. One function per state, named after its number.
#include <string>

#include "fax/fax_session.h"

namespace quillon::fax::send {

enum class Event { data, timeout, outSpace, outEmpty, cancel };

struct Step {
  FaxSession& s;
  Event event;
  const std::string& line;  // the answer, in states that wait for modem text
};

// Helpers (send_machine.cpp).
void Fail(FaxSession& s, int code);     // error, FaxError, state 47
void SetError(FaxSession& s, int code);  // error and FaxError only
void Status(FaxSession& s);             // status notification (First, Last false)
void Trace(FaxSession& s, const std::string& what);
bool Class2(const FaxSession& s);       // Class 2 or 2.0
bool Class20(const FaxSession& s);
void BusyHandling(FaxSession& s);
// Busy, no answer, voice or no dial tone after dialling (states 11 and 19); true when it was one.
bool TakeDialFailure(FaxSession& s, const std::string& line);
bool ReadPageHeader(FaxSession& s, bool coverFax);  // of the current page; errors fail
void CloseFiles(FaxSession& s);
void RunPageAgain(Step& st);        // the retransmission of the last page (states 41, 44)
// Back to the start of the page just sent (undoing state 28's page advance), so it can go
// out again; false when the fax file failed (send_page_states.cpp).
bool RewindPage(FaxSession& s);

// Shared states (send_machine.cpp).
void State1(Step& st);
void State2(Step& st);
void State9(Step& st);
void State10(Step& st);
void State45(Step& st);
void State46(Step& st);
void State47(Step& st);

// Class 2 / 2.0 (send_class2_states.cpp).
void State4(Step& st);
void State5(Step& st);
void State6(Step& st);
void State7(Step& st);
void State8(Step& st);
void State19(Step& st);
void State20(Step& st);
void State38(Step& st);
void State39(Step& st);
void State40(Step& st);
void State41(Step& st);
void State42(Step& st);
void State43(Step& st);
void State44(Step& st);

// Page data (send_page_states.cpp).
void State21(Step& st);
void State22(Step& st);
void State23(Step& st);
void State24(Step& st);
void State25(Step& st);
void State26(Step& st);
void State27(Step& st);
void State28(Step& st);

// Class 1 (send_class1_states.cpp).
void Class1State(Step& st);
void Class1Frame(FaxSession& s);  // the response reader completed a frame
bool Class1Timeout(FaxSession& s);  // true when the state's own time-out rule ran

}  // namespace quillon::fax::send
