// The modem search through its real window on emulated modems, pseudo-terminals and ports
// that do not exist, as the send dialog and the wizard call it.
#include "probe_fixture.h"

#include <QMessageBox>

#include "../app/modal_answer.h"
#include "probes/find_modem_form.h"
#include "probes/probe_entry.h"
#include "serial/com_port.h"
#include "support/lock_folder.h"

namespace quillon::test {
namespace {

using probes::TFindModemForm;

class FindModemTest : public ProbeTest {};

TEST_F(FindModemTest, NoPortExists) {
  writePorts();
  StrayMessageBoxGuard guard;
  serial::TApdComPort port;
  auto shot = watchProbe<TFindModemForm>("find-modem-none");
  EXPECT_EQ(probes::FindModem(nullptr, port, 2), 2);  // nothing found: nothing asked
  ASSERT_TRUE(shot->seen);
  ASSERT_EQ(shot->lines.size(), 6);
  for (int n = 1; n <= 6; ++n)
    EXPECT_EQ(shot->lines[n - 1], QStringLiteral("Com %1: Port does not exist").arg(n));
  EXPECT_EQ(shot->message,
            "No modem found. If you know which Com port your modem uses, you can also just set the Port to that "
            "setting");
  EXPECT_EQ(shot->caption, "Find Modem");
  EXPECT_TRUE(shot->okVisible);
  EXPECT_EQ(port.ComNumber(), 2);
}

// COM2 is held by another program, COM3 and COM4 have modems, COM5 talks nonsense, and a
// USB modem mapped to COM7 (the built-in emulator) is probed too; the lowest modem wins.
TEST_F(FindModemTest, APortInUseIsSkippedAndTheFirstModemIsProposed) {
  LockFolder locks;
  IdleProcess otherProgram;
  PseudoTerminal held;
  locks.writeLock(held.slavePath(), otherProgram.pid());
  EmulatedModemDevice modem3("0,1,2"), modem4("0,1");
  GarbageModem garbage;
  mapping[2] = held.slavePath();
  mapping[3] = modem3.name();
  mapping[4] = modem4.name();
  mapping[5] = garbage.path();
  mapping[7] = "emulator";
  writePorts();

  serial::TApdComPort port;
  auto shot = watchProbe<TFindModemForm>("find-modem");
  auto answer = answerNextMessageBox(QMessageBox::Yes);
  EXPECT_EQ(probes::FindModem(nullptr, port, 1), 3);
  ASSERT_TRUE(shot->seen);
  EXPECT_EQ(shot->lines, QStringList({"Com 1: Port does not exist", "Com 2: Port is already open (could be modem)",
                                      "Com 3: MODEM", "Com 4: MODEM", "Com 5: Unknown", "Com 6: Port does not exist",
                                      "Com 7: MODEM"}));
  EXPECT_EQ(shot->message, "A modem was found on Com Port 3. We suggest setting the Port as Com 3.");
  EXPECT_TRUE(answer->seen);
  EXPECT_EQ(answer->text, "Set Com Port to Com 3");
  EXPECT_EQ(answer->caption, "Com Port");
  EXPECT_EQ(port.ComNumber(), 1);  // the caller's choice is back; the caller takes the answer
  EXPECT_FALSE(port.Open());
  EXPECT_LT(shot->longestStallMs, 500) << "the window stopped painting";
}

TEST_F(FindModemTest, NoModemButAPortInUseAsksToCloseOtherProgramsAndNoIsKept) {
  LockFolder locks;
  IdleProcess otherProgram;
  PseudoTerminal held;
  locks.writeLock(held.slavePath(), otherProgram.pid());
  mapping[4] = held.slavePath();
  writePorts();
  serial::TApdComPort port;
  auto shot = watchProbe<TFindModemForm>("find-modem-in-use");
  EXPECT_EQ(probes::FindModem(nullptr, port, 4), 4);
  EXPECT_EQ(shot->message,
            "No modem found. Please make sure that all communication programs (internet, AOL, etc) are closed, and "
            "then try again. If you know which Com port your modem uses, you can also just set the Port to that "
            "setting");
}

TEST_F(FindModemTest, AModemOnTheChosenPortIsNotOfferedAndNoKeepsTheChoice) {
  EmulatedModemDevice modem("0,1");
  mapping[2] = modem.name();
  writePorts();
  serial::TApdComPort port;
  {
    StrayMessageBoxGuard guard;
    watchProbe<TFindModemForm>("unused");
    EXPECT_EQ(probes::FindModem(nullptr, port, 2), 2);
  }
  watchProbe<TFindModemForm>("unused");
  auto answer = answerNextMessageBox(QMessageBox::No);
  EXPECT_EQ(probes::FindModem(nullptr, port, 5), 5);
  EXPECT_EQ(answer->text, "Set Com Port to Com 2");
}

}  // namespace
}  // namespace quillon::test
