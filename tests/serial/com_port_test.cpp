// TApdComPort on pseudo-terminals and in-process lines mapped through QLN.INI.
#include "serial/com_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/data_folder.h"
#include "platform/file_io.h"
#include "platform/main_thread.h"
#include "errors/exceptions.h"
#include "serial/flow_levels.h"
#include "serial/port_selection.h"
#include "serial_test_support.h"
#include "support/lock_folder.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::RegisteredLine;
using namespace std::chrono_literals;

namespace {

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::installMainThread(&loop);
    platform::setDataFolder(dir.path());
    ASSERT_TRUE(pty.ok());
    dir.write("QLN.INI", "[Ports]\r\nCOM3=" + line.name() + "\r\nCOM5=" + pty.slavePath() + "\r\nCOM6=" +
                             otherLine.name() + "\r\nCOM7=" + dir.file("missing") + "\r\n");
  }
  void TearDown() override { platform::installMainThread(nullptr); }
  bool runUntil(const std::function<bool()>& done) { return loop.runUntil(done, 10s); }

  platform::HeadlessMainLoop loop;
  test::LockFolder locks;
  test::TempDir dir;
  test::PseudoTerminal pty;
  RegisteredLine line, otherLine;
};

}  // namespace

TEST(ComPortProperties, HaveTheirDefaults) {
  TApdComPort port;
  EXPECT_EQ(port.DeviceLayer(), dlWin32);
  EXPECT_EQ(port.ComNumber(), 0);
  EXPECT_EQ(port.Baud(), 19200);
  EXPECT_TRUE(port.PromptForPort());
  EXPECT_EQ(port.Parity(), pNone);
  EXPECT_EQ(port.DataBits(), 8);
  EXPECT_EQ(port.StopBits(), 1);
  EXPECT_EQ(port.InSize(), 4096u);
  EXPECT_EQ(port.OutSize(), 4096u);
  EXPECT_TRUE(port.AutoOpen());
  EXPECT_FALSE(port.Open());
  EXPECT_TRUE(port.DTR() && port.RTS());
  EXPECT_EQ(port.XOnChar(), 17);
  EXPECT_EQ(port.XOffChar(), 19);
  EXPECT_EQ(port.TraceSize(), 10000u);
  EXPECT_EQ(port.TraceName(), "VELD.TRC");
  EXPECT_EQ(port.LogName(), "VELD.LOG");
  EXPECT_EQ(port.TapiMode(), tmAuto);
  EXPECT_EQ(port.CommNotificationLevel(), 10u);
  port.SetDeviceLayer(dlFossil);
  EXPECT_EQ(port.DeviceLayer(), dlWin32);  // only the one device layer is accepted
}

TEST(ComPortProperties, TraceAndLogStatesWhileClosedAreOnOrOff) {
  TApdComPort port;
  port.SetTracing(tlDump);
  EXPECT_EQ(port.Tracing(), tlOff);
  port.SetTracing(tlOn);
  EXPECT_EQ(port.Tracing(), tlOn);
  port.SetLogging(tlPause);
  EXPECT_EQ(port.Logging(), tlOff);
  port.SetTraceSize(5000000);
  EXPECT_EQ(port.TraceSize(), 4000000u);
}

TEST(ComPortProperties, FlowLevelsRoundHalvesToEven) {
  EXPECT_EQ(percentOf(4096, 90), 3686u);
  EXPECT_EQ(percentOf(4096, 10), 410u);
  EXPECT_EQ(percentOf(5, 10), 0u);   // 0.5
  EXPECT_EQ(percentOf(15, 10), 2u);  // 1.5
  {
    TApdComPort port;
    port.SetHWFlowOptions(hwfUseRTS);
    EXPECT_EQ(port.BufferFull(), 3686u);
    EXPECT_EQ(port.BufferResume(), 410u);
  }
  {
    TApdComPort port;
    port.SetSWFlowOptions(swfBoth);
    EXPECT_EQ(port.BufferFull(), 3072u);
    EXPECT_EQ(port.BufferResume(), 1024u);
    port.SetBufferFull(5000);  // above InSize: re-applying the flow options makes it 75 %
    EXPECT_EQ(port.BufferFull(), 3072u);
  }
  {
    TApdComPort port;
    port.SetBufferFull(5000);  // above InSize: 90 % of what was given
    EXPECT_EQ(port.BufferFull(), 4500u);
    port.SetBufferResume(4600);  // above BufferFull: 10 % of BufferFull
    EXPECT_EQ(port.BufferResume(), 450u);
  }
  {
    TApdComPort port;
    port.SetRS485Mode(true);
    port.SetHWFlowOptions(hwfRequireCTS);
    EXPECT_FALSE(port.RS485Mode());
    port.SetRS485Mode(true);
    EXPECT_EQ(port.HWFlowOptions(), 0);
  }
}

TEST_F(ComPortTest, WithoutAPortNumberTheUserIsAskedOrTheOpenFails) {
  TApdComPort port;
  port.SetPromptForPort(false);
  try {
    port.SetOpen(true);
    FAIL();
  } catch (const ENoPortSelected& e) {
    EXPECT_EQ(e.code(), -2011);
    EXPECT_STREQ(e.what(), "The ComNumber property of the TApdComPort has not been set");
  }
  std::vector<int> offered;
  TApdComPort other;  // holds COM5: it still counts as existing
  other.SetComNumber(5);
  other.SetOpen(true);
  setPortPrompt([&](const std::vector<int>& existing) {
    offered = existing;
    return 3;
  });
  port.SetPromptForPort(true);
  port.SetOpen(true);
  setPortPrompt(nullptr);
  EXPECT_TRUE(port.Open());
  EXPECT_EQ(port.ComNumber(), 3);
  // Mapped ports that exist are offered, in use or not (COM7 maps to a missing file).
  EXPECT_NE(std::find(offered.begin(), offered.end(), 3), offered.end());
  EXPECT_NE(std::find(offered.begin(), offered.end(), 5), offered.end());
  EXPECT_EQ(std::find(offered.begin(), offered.end(), 7), offered.end());
  EXPECT_EQ(portNumberOfEntry(portEntryText(12)), 12);
  EXPECT_EQ(portNumberOfEntry("LPT1"), 0);
}

TEST_F(ComPortTest, OpenFailuresBecomeTheirExceptions) {
  TApdComPort first, second, missing;
  first.SetComNumber(5);
  first.SetOpen(true);
  second.SetComNumber(5);
  try {
    second.SetOpen(true);
    FAIL();
  } catch (const EAlreadyOpen& e) {
    EXPECT_EQ(e.code(), -2008);
    EXPECT_EQ(std::string(e.what()).rfind("ie_Open - device already open (" + pty.slavePath() +
                                              " is already open in this program, lock file ", 0),
              0u)
        << e.what();
  }
  EXPECT_FALSE(second.Open());
  missing.SetComNumber(7);
  EXPECT_THROW(missing.SetOpen(true), EBadId);
  missing.BeginLoading();  // nothing is raised while loading from a stored form
  missing.SetOpen(true);
  EXPECT_NO_THROW(missing.Loaded());
  EXPECT_FALSE(missing.Open());
}

TEST_F(ComPortTest, APortAnotherProgramLockedIsRefusedNamingItsProcess) {
  test::IdleProcess other;
  locks.writeLock(pty.slavePath(), other.pid());
  TApdComPort port;
  port.SetComNumber(5);
  try {
    port.SetOpen(true);
    FAIL() << "opened a port another program holds";
  } catch (const EAlreadyOpen& e) {
    EXPECT_NE(std::string(e.what()).find("in use by process " + std::to_string(other.pid())), std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(port.Open());
  other.end();  // gone: its lock is stale and taken over; ours goes with the close
  port.SetOpen(true);
  EXPECT_TRUE(port.Open());
  EXPECT_EQ(std::stoi(locks.read(pty.slavePath())), ::getpid());
  port.SetOpen(false);
  ASSERT_TRUE(runUntil([&] { return port.State() == TPortState::psClosed; }));
  EXPECT_EQ(locks.read(pty.slavePath()), "");
}

TEST_F(ComPortTest, SendsReceivesAndRaisesOnAnEmptyBuffer) {
  TApdComPort port;
  port.SetComNumber(5);
  port.SetBaud(9600);
  port.PutString("ATZ\r");  // opens on first use
  EXPECT_TRUE(port.Open());
  EXPECT_EQ(pty.read(4), "ATZ\r");
  EXPECT_THROW(port.GetChar(), EBufferIsEmpty);
  pty.write("OK");
  ASSERT_TRUE(runUntil([&] { return port.CharReady(); }));
  EXPECT_EQ(port.GetChar(), 'O');
  port.SetAutoOpen(false);
  port.SetOpen(false);
  EXPECT_THROW(port.PutString("x"), ECommNotOpen);
}

TEST_F(ComPortTest, EventsArriveOnTheMainThread) {
  TApdComPort port;
  port.SetComNumber(3);
  std::vector<std::string> events;
  port.OnTriggerAvail = [&](TApdCustomComPort& cp, unsigned count) {
    EXPECT_TRUE(loop.isMainThread());
    std::string got;
    for (unsigned i = 0; i < count; ++i) got += cp.GetChar();
    events.push_back("avail " + got);
  };
  port.OnTriggerData = [&](TApdCustomComPort&, unsigned) { events.push_back("data"); };
  port.OnTriggerStatus = [&](TApdCustomComPort&, unsigned) { events.push_back("status"); };
  port.OnTriggerModemStatus = [&](TApdCustomComPort&) { events.push_back("modem"); };
  port.OnTriggerLineError = [&](TApdCustomComPort&, int error, bool brk) {
    events.push_back("line " + std::to_string(error) + (brk ? " break" : ""));
  };
  port.OnTriggerTimer = [&](TApdCustomComPort&, unsigned) { events.push_back("timer"); };
  port.SetOpen(true);
  line->write("hi");
  ASSERT_TRUE(runUntil([&] { return !events.empty(); }));
  EXPECT_EQ(events.back(), "avail hi");

  int dcd = port.AddStatusTrigger(stModem);
  port.SetStatusTrigger(dcd, platform::kModemDcd, true);
  line->setDcd(true);
  ASSERT_TRUE(runUntil([&] { return events.size() >= 3; }));
  EXPECT_EQ(events[1], "status");
  EXPECT_EQ(events[2], "modem");

  int errors = port.AddStatusTrigger(stLine);
  port.SetStatusTrigger(errors, 1 | 2 | 4 | 8, true);
  line->injectLineErrors(platform::kLineFraming | platform::kLineBreak);
  ASSERT_TRUE(runUntil([&] { return events.size() >= 5; }));
  EXPECT_EQ(events[4], "line 4 break");

  int timer = port.AddTimerTrigger();
  port.SetTimerTrigger(timer, 1, true);
  ASSERT_TRUE(runUntil([&] { return events.size() >= 6; }));
  EXPECT_EQ(events[5], "timer");
}

TEST_F(ComPortTest, ChangingComNumberWhileOpenReopensWithTriggersKept) {
  std::vector<std::string> told;  // outlives the port, which tells its users when it closes
  TApdComPort port;
  port.RegisterUserCallback([&](bool opening) { told.push_back(opening ? "1 open" : "1 close"); });
  port.RegisterUser([&](unsigned msg) { told.push_back(msg == kPortOpenMsg ? "2 open" : "2 close"); });
  port.OnPortOpen = [&](TApdCustomComPort&) { told.push_back("port open"); };
  port.SetComNumber(3);
  port.SetOpen(true);
  EXPECT_EQ(told, (std::vector<std::string>{"2 open", "1 open", "port open"}));
  int timer = port.AddTimerTrigger();
  int unused = port.AddTimerTrigger();
  told.clear();
  port.SetComNumber(3);  // the same number: nothing happens
  EXPECT_TRUE(told.empty());

  port.SetComNumber(6);
  EXPECT_EQ(told, (std::vector<std::string>{"2 close", "1 close", "2 open", "1 open", "port open"}));
  EXPECT_TRUE(port.Open());
  EXPECT_FALSE(line->portOpen());
  EXPECT_TRUE(otherLine->portOpen());
  bool fired = false;
  port.OnTriggerTimer = [&](TApdCustomComPort&, unsigned h) { fired = h == static_cast<unsigned>(timer); };
  port.EventsChanged();
  EXPECT_NO_THROW(port.SetTimerTrigger(timer, 1, true));
  ASSERT_TRUE(runUntil([&] { return fired; }));
  EXPECT_NO_THROW(port.RemoveTrigger(unused));
}

TEST_F(ComPortTest, AwaitStringRestartsOnAMismatchAndTimesOut) {
  TApdComPort port;
  port.SetComNumber(3);
  std::string waited;
  port.OnWaitChar = [&](TApdCustomComPort&, char c) { waited += c; };
  port.SetOpen(true);
  line->write("xOOK\r\n");
  EXPECT_TRUE(port.AwaitString("ok", platform::secondsToTicks(10), true, true));
  EXPECT_EQ(waited, "xOOK");
  EXPECT_FALSE(port.AwaitString("CONNECT", 2, false, false));
  setApplicationTerminating(true);
  EXPECT_TRUE(port.AwaitString("CONNECT", 2, false, false));
  setApplicationTerminating(false);
}

TEST_F(ComPortTest, ClosingFromInsideAnEventFinishesAfterTheDelivery) {
  TApdComPort port;
  port.SetComNumber(3);
  port.OnTriggerData = [&](TApdCustomComPort& cp, unsigned) { cp.SetOpen(false); };
  port.SetOpen(true);
  port.AddDataTrigger("NO CARRIER", false);
  line->write("NO CARRIER\r\n");
  ASSERT_TRUE(runUntil([&] { return port.State() == TPortState::psClosed; }));
  EXPECT_FALSE(port.Open());
  EXPECT_FALSE(line->portOpen());
  port.SetOpen(true);  // and it opens again
  EXPECT_TRUE(line->portOpen());
}

TEST_F(ComPortTest, AVanishingDeviceIsReportedAndThePortCloses) {
  TApdComPort port;
  port.SetComNumber(5);
  int lost = 0;
  port.OnDeviceLost = [&](TApdCustomComPort&, int code) { lost = code; };
  port.SetOpen(true);
  pty.hangUp();  // the USB modem is unplugged
  ASSERT_TRUE(runUntil([&] { return port.State() == TPortState::psClosed; }));
  EXPECT_EQ(lost, -2007);
  EXPECT_FALSE(port.Open());
}

TEST_F(ComPortTest, AnActiveTraceIsWrittenOnClose) {
  TApdComPort port;
  port.SetComNumber(3);
  port.SetTracing(tlOn);
  port.SetOpen(true);
  EXPECT_EQ(port.Tracing(), tlOn);
  port.PutString("ATZ\r");
  ASSERT_EQ(line->readAtLeast(4, 10s), "ATZ\r");
  line->write("OK\r\n");
  ASSERT_TRUE(runUntil([&] { return port.InBuffUsed() == 4; }));
  port.PutString(" ~");
  ASSERT_EQ(line->readAtLeast(2, 10s), " ~");
  port.SetOpen(false);
  EXPECT_EQ(port.Tracing(), tlOff);
  auto expected = platform::readWholeFile(std::string(std::getenv("QUILLON_TEST_DATA")) + "/serial/trace_dump.txt");
  ASSERT_TRUE(expected);
  EXPECT_EQ(dir.read("VELD.TRC"), *expected);
}

TEST_F(ComPortTest, TapiModeAdoptsAnOpenDescriptor) {
  TApdComPort port;
  port.SetTapiMode(tmOn);
  EXPECT_THROW(port.SetOpen(true), ENotOpenedByTapi);
  int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  port.SetTapiHandle(fd);
  port.SetOpen(true);
  port.PutString("ATH\r");
  EXPECT_EQ(pty.read(4), "ATH\r");
  port.SetOpen(false);
  ::close(fd);
}

TEST_F(ComPortTest, AssignCopiesSettingsAndTheOpenPortsTriggers) {
  TApdComPort source, copy;
  source.SetComNumber(3);
  source.SetBaud(9600);
  source.SetTraceName("MODEM.TRC");
  source.SetOpen(true);
  int timer = source.AddTimerTrigger();
  copy.Assign(source);
  EXPECT_FALSE(copy.Open());
  EXPECT_EQ(copy.Baud(), 9600);
  EXPECT_EQ(copy.TraceName(), "MODEM.TRC");
  source.SetOpen(false);
  copy.SetOpen(true);
  EXPECT_NO_THROW(copy.SetTimerTrigger(timer, 5, true));  // restored at its open
  EXPECT_THROW(copy.SetTimerTrigger(timer + 8, 5, true), EBadTriggerHandle);
}

TEST_F(ComPortTest, LoggingStatesWhileOpen) {
  TApdComPort port;
  port.SetComNumber(3);
  port.SetOpen(true);
  port.SetLogging(tlPause);  // paused before anything ran: tlOn then starts a fresh log
  port.SetLogging(tlOn);
  port.PutString("ATZ\r");
  ASSERT_EQ(line->readAtLeast(4, 10s), "ATZ\r");
  port.SetLogging(tlDump);
  EXPECT_EQ(port.Logging(), tlOff);
  std::string log = dir.read("VELD.LOG");
  EXPECT_EQ(log.rfind("VELD v2.56\r\nCompiler : ", 0), 0u) << log;
  EXPECT_NE(log.find("Dispatch  WriteCom      00000004  ATZ[0D]\r\n"), std::string::npos) << log;
  port.SetLogging(tlOn);
  port.SetLogging(tlAppend);
  EXPECT_GT(dir.read("VELD.LOG").size(), log.size());  // appended a second dump
}

TEST_F(ComPortTest, ProcedureHandlersOnTheDispatchThreadUseThePort) {
  TApdComPort port;
  port.SetComNumber(3);
  int ring = port.AddDataTrigger("RING", false);  // opens the port
  port.Dispatcher().RegisterProcTriggerHandler([&](unsigned msg, unsigned handle, std::uint32_t) {
    if (msg == kTriggerDataMsg && handle == static_cast<unsigned>(ring)) {
      port.FlushInBuffer();
      port.PutString("ATA\r");
    }
  });
  line->write("\r\nRING\r\n");
  EXPECT_TRUE(line->readUntil("ATA\r", 10s));
  port.SetOpen(false);  // may come while the handler still runs: then it finishes after it
  ASSERT_TRUE(runUntil([&] { return port.State() == TPortState::psClosed; }));
  EXPECT_FALSE(line->portOpen());
}
