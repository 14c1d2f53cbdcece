// The dispatcher with its three threads, on the in-process line and on pseudo-terminals.
#include "serial/dispatcher.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_io.h"
#include "errors/error_codes.h"
#include "serial_test_support.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::Recorder;
using quillon::test::RegisteredLine;
using quillon::test::waitUntil;
using namespace std::chrono_literals;

namespace {

using DispatcherTest = quillon::test::OpenDispatcherTest;

}  // namespace

TEST_F(DispatcherTest, SendsThroughTheOutputThread) {
  EXPECT_EQ(dispatcher.PutString("ATZ\r"), 0);
  EXPECT_EQ(dispatcher.PutChar('A'), 0);
  EXPECT_EQ(line->readAtLeast(5, 10s), "ATZ\rA");
  EXPECT_TRUE(waitUntil([&] { return dispatcher.OutBuffUsed() == 0; }));
  EXPECT_EQ(dispatcher.OutBuffFree(), 64);
}

TEST_F(DispatcherTest, ABlockMustFitTheTransmitRingWhole) {
  // Hold output with CTS low so the ring keeps what is queued.
  ASSERT_EQ(dispatcher.SetHardwareFlowControl(hfRequireCTS, 100, 10), 0);
  line->setCts(false);
  std::string block(64, 'x');
  block[0] = 'a';
  ASSERT_EQ(dispatcher.PutString(block), 0);
  EXPECT_EQ(dispatcher.OutBuffUsed(), 64);  // exactly full
  EXPECT_EQ(dispatcher.OutBuffFree(), 0);
  EXPECT_EQ(dispatcher.PutChar('y'), ecOutputBufferTooSmall);
  EXPECT_EQ(dispatcher.OutBuffUsed(), 64);  // nothing of it queued
  line->setCts(true);
  EXPECT_EQ(line->readAtLeast(64, 10s), block);
  EXPECT_EQ(dispatcher.PutString(std::string(65, 'z')), ecOutputBufferTooSmall);
  EXPECT_EQ(dispatcher.PutString(""), 0);
}

TEST_F(DispatcherTest, BytesBeyondTheReceiveRingWaitInTheDevice) {
  std::string sent;
  for (int i = 0; i < 10000; ++i) sent += static_cast<char>('A' + i % 23);
  line->write(sent);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 8192; }));
  EXPECT_EQ(line->pendingTowardsPort(), 10000u - 8192u);
  std::string got(8192, '\0');
  ASSERT_EQ(dispatcher.GetBlock(got.data(), got.size()), 8192);
  // Once there is room the rest comes in, in order, and nothing is lost.
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 10000 - 8192; }));
  got += readAll();
  EXPECT_EQ(got, sent);
}

TEST_F(DispatcherTest, ReadsAndPeeksReportAnEmptyBuffer) {
  std::uint8_t c;
  EXPECT_EQ(dispatcher.GetChar(c), ecBufferIsEmpty);
  line->write("OK");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 2; }));
  EXPECT_EQ(dispatcher.PeekChar(c, 2), 0);
  EXPECT_EQ(c, 'K');
  EXPECT_EQ(dispatcher.PeekChar(c, 3), ecBufferIsEmpty);
  EXPECT_EQ(dispatcher.FlushInBuffer(), 0);
  EXPECT_EQ(dispatcher.InBuffUsed(), 0);
}

TEST_F(DispatcherTest, DataTriggerFindsTheStringWhenAPrefixRepeats) {
  recordAll();
  int ok = dispatcher.AddDataTrigger("OK", false);
  int connect = dispatcher.AddDataTrigger("connect", true);
  ASSERT_GT(ok, 0);
  ASSERT_EQ(ok % 8, 0);
  line->write("OOK\r\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 1; }));
  auto seen = recorder.seen();
  EXPECT_EQ(seen[0].first, static_cast<unsigned>(ok));
  EXPECT_EQ(seen[0].second & 0xFFFF, 2u);
  EXPECT_EQ(static_cast<int>(seen[0].second >> 16), dispatcher.Slot());

  line->write("CONNECT 14400\r\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 2; }));
  EXPECT_EQ(recorder.seen().back().first, static_cast<unsigned>(connect));
  EXPECT_EQ(dispatcher.AddDataTrigger(std::string(22, 'x'), false), ecTriggerTooLong);
}

TEST_F(DispatcherTest, TheHandlerThatReadsMostSetsHowFarTheDataIsUsed) {
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned first, std::uint32_t) {
    if (msg != kTriggerAvailMsg) return;
    std::uint8_t b[3];
    dispatcher.GetBlock(b, 3);
  });
  std::string second;
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg != kTriggerAvailMsg) return;
    for (int i = 0; i < 5; ++i) {
      std::uint8_t c;
      if (dispatcher.GetChar(c) == 0) second += static_cast<char>(c);
    }
  });
  dispatcher.ChangeLengthTrigger(8);
  line->write("ABCDEFGH");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 3; }));
  EXPECT_EQ(second, "ABCDE");  // each handler starts at the read position
  EXPECT_EQ(readAll(), "FGH");
}

TEST_F(DispatcherTest, AHandlerRemovedDuringDeliveryGoesWhenTheDeliveryEnds) {
  int calls1 = 0, calls2 = 0;
  int second = 0;
  int first = dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg != kTriggerDataMsg) return;
    ++calls1;
    if (calls1 == 1) {
      EXPECT_EQ(dispatcher.DeregisterTriggerHandler(second), 0);
      EXPECT_EQ(dispatcher.DeregisterTriggerHandler(first), 0);  // itself
    }
  });
  second = dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg == kTriggerDataMsg) ++calls2;
  });
  recordAll();
  dispatcher.AddDataTrigger("\n", false);
  line->write("one\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 1; }));
  EXPECT_EQ(calls2, 1);  // still told this time
  line->write("two\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 2; }));
  EXPECT_EQ(calls1, 1);
  EXPECT_EQ(calls2, 1);
  EXPECT_EQ(dispatcher.DeregisterTriggerHandler(first), ecBadArgument);
}

TEST_F(DispatcherTest, AvailBeforeAMatchComesFirst) {
  recordAll();
  dispatcher.ChangeLengthTrigger(3);
  int ok = dispatcher.AddDataTrigger("OK", false);
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned first, std::uint32_t) {
    if (msg != kTriggerAvailMsg) return;
    std::string skip(first, '\0');
    dispatcher.GetBlock(skip.data(), first);
  });
  line->write("noise OK");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 1; }));
  auto seen = recorder.seen();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].msg, kTriggerAvailMsg);
  EXPECT_EQ(seen[0].first, 6u);  // "noise " ahead of the match
  EXPECT_EQ(seen[1].msg, kTriggerDataMsg);
  EXPECT_EQ(seen[1].first, static_cast<unsigned>(ok));
}

TEST_F(DispatcherTest, TimersFireOnceAndBadHandlesAreRefused) {
  recordAll();
  int timer = dispatcher.AddTimerTrigger();
  EXPECT_EQ(dispatcher.SetTimerTrigger(timer, 1, true), 0);
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerTimerMsg) == 1; }));
  EXPECT_EQ(recorder.seen()[0].first, static_cast<unsigned>(timer));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(recorder.count(kTriggerTimerMsg), 1u);
  EXPECT_EQ(dispatcher.SetTimerTrigger(timer + 8, 1, true), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.RemoveTrigger(timer), 0);
  EXPECT_EQ(dispatcher.RemoveTrigger(timer), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.AddStatusTrigger(6), ecBadArgument);
}

TEST_F(DispatcherTest, StatusTriggersWatchModemLinesErrorsAndOutput) {
  recordAll();
  int dcd = dispatcher.AddStatusTrigger(stModem);
  EXPECT_EQ(dcd & 7, stModem);
  ASSERT_EQ(dispatcher.SetStatusTrigger(dcd, platform::kModemDcd, true), 0);
  line->setCts(false);  // not in the mask
  line->setDcd(true);
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) == 1; }));
  EXPECT_EQ(recorder.seen().back().first, static_cast<unsigned>(dcd));
  EXPECT_TRUE(dispatcher.CheckDCD());

  int errors = dispatcher.AddStatusTrigger(stLine);
  dispatcher.SetStatusTrigger(errors, 2 | 8, true);  // parity, break
  line->injectLineErrors(platform::kLineParity);
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) == 2; }));
  EXPECT_EQ(recorder.seen().back().first, static_cast<unsigned>(errors));
  EXPECT_EQ(dispatcher.GetLineError(), 3);
  EXPECT_EQ(dispatcher.GetLineError(), 0);

  line->injectLineErrors(platform::kLineBreak);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.GetLineError() == 9; }));
  EXPECT_EQ(dispatcher.GetLineError(), 9);  // break stays until asked for
  EXPECT_TRUE(dispatcher.CheckLineBreak());
  EXPECT_EQ(dispatcher.GetLineError(), 0);

  int sent = dispatcher.AddStatusTrigger(stOutSent);
  dispatcher.SetStatusTrigger(sent, 0, true);
  dispatcher.PutString("AT\r");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) == 3; }));
  EXPECT_EQ(recorder.seen().back().first, static_cast<unsigned>(sent));

  int used = dispatcher.AddStatusTrigger(stOutUsed);
  dispatcher.SetStatusTrigger(used, 0, true);
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) == 4; }));
  EXPECT_EQ(recorder.seen().back().first, static_cast<unsigned>(used));
}

TEST_F(DispatcherTest, ModemStatusKeepsChangeBitsUntilRead) {
  line->setDsr(false);
  ASSERT_TRUE(waitUntil([&] { return !dispatcher.CheckDSR(); }));
  line->setRi(true);
  line->setRi(false);
  ASSERT_TRUE(waitUntil([&] {
    std::uint8_t s = dispatcher.GetModemStatusMask(0xFF);
    return (s & 0x04) != 0;  // the ring was seen
  }));
  std::uint8_t s = dispatcher.GetModemStatus();
  EXPECT_EQ(s & 0xF0, platform::kModemCts);
  EXPECT_EQ(dispatcher.GetModemStatus() & 0x0F, 0);
}

TEST_F(DispatcherTest, DtrAndRtsAreRefusedUnderHardwareFlowControl) {
  EXPECT_EQ(dispatcher.SetDtr(false), 0);
  EXPECT_FALSE(line->dtr());
  EXPECT_EQ(dispatcher.SetDtr(true), 0);
  EXPECT_TRUE(line->dtr());
  ASSERT_EQ(dispatcher.SetHardwareFlowControl(hfUseRTS | hfRequireCTS, 3686, 410), 0);
  EXPECT_EQ(dispatcher.SetRts(false), 1);
  auto s = line->portSettings();
  EXPECT_EQ(s.rtsControl, platform::RtsControl::handshake);
  EXPECT_TRUE(s.outxCtsFlow);
  EXPECT_EQ(s.xoffLimit, 4096 - 3686);
  EXPECT_EQ(s.xonLimit, 410);
  EXPECT_EQ(dispatcher.SetHardwareFlowControl(hfUseRTS, 10, 20), ecBadArgument);
  EXPECT_EQ(dispatcher.SetSoftwareFlowControl(sfTransmitFlow | sfReceiveFlow, 5000, 10), ecBadArgument);
  ASSERT_EQ(dispatcher.SetSoftwareFlowControl(sfTransmitFlow | sfReceiveFlow, 3072, 1024), 0);
  s = line->portSettings();
  EXPECT_TRUE(s.outX && s.inX);
  EXPECT_EQ(s.xonChar, 17);
  EXPECT_EQ(s.xoffChar, 19);
}

TEST_F(DispatcherTest, LineParametersChangeOnlyWhenDifferent) {
  std::int32_t baud;
  platform::SerialParity parity;
  int data, stop;
  ASSERT_EQ(dispatcher.GetLine(baud, parity, data, stop), 0);
  EXPECT_EQ(baud, 19200);
  EXPECT_EQ(dispatcher.SetLine(19200, platform::SerialParity::none, 8, 1), 0);
  ASSERT_EQ(dispatcher.SetLine(9600, platform::SerialParity::even, 7, 2), 0);
  ASSERT_EQ(dispatcher.GetLine(baud, parity, data, stop), 0);
  EXPECT_EQ(baud, 9600);
  EXPECT_EQ(parity, platform::SerialParity::even);
  EXPECT_EQ(data, 7);
  EXPECT_EQ(stop, 2);
  EXPECT_EQ(dispatcher.SetLine(9600, platform::SerialParity::none, 9, 1), ecBadArgument);
}

TEST_F(DispatcherTest, TriggersSurviveASaveAndRestore) {
  int timer = dispatcher.AddTimerTrigger();
  dispatcher.ChangeLengthTrigger(5);
  SavedTriggers saved = dispatcher.SaveTriggers();
  EXPECT_EQ(dispatcher.RemoveTrigger(kAvailTriggerHandle), 0);
  EXPECT_EQ(dispatcher.AvailThreshold(), 0u);
  EXPECT_EQ(dispatcher.RemoveTrigger(timer), 0);
  dispatcher.RestoreTriggers(saved);
  EXPECT_EQ(dispatcher.AvailThreshold(), 5u);
  EXPECT_EQ(dispatcher.SetTimerTrigger(timer, 10, false), 0);
}

TEST_F(DispatcherTest, ClosingFromInsideANotificationIsDeferred) {
  std::atomic<int> closeResult{-99};
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg == kTriggerDataMsg) closeResult = dispatcher.CloseDispatcher();
  });
  dispatcher.AddDataTrigger("BYE", false);
  line->write("BYE");
  ASSERT_TRUE(waitUntil([&] { return closeResult != -99; }));
  EXPECT_EQ(closeResult, 1);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.ThreadsGone(); }));
  EXPECT_EQ(dispatcher.CloseDispatcher(), 0);
  EXPECT_FALSE(dispatcher.IsOpen());
  EXPECT_FALSE(line->portOpen());
  EXPECT_EQ(dispatcher.PutChar('x'), ecCommNotOpen);
}

TEST_F(DispatcherTest, AVanishedDeviceIsReportedAndClosesCleanly) {
  std::atomic<int> lost{0};
  dispatcher.SetDeviceLostHandler([&](int code) { lost = code; });
  line->write("partial");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 7; }));
  line->vanish();
  ASSERT_TRUE(waitUntil([&] { return lost != 0; }));
  EXPECT_EQ(lost, ecCommNotOpen);
  EXPECT_TRUE(dispatcher.DeviceLost());
  EXPECT_EQ(readAll(), "partial");  // what was buffered stays readable
  EXPECT_EQ(dispatcher.PutString("AT"), 0);  // goes nowhere, but does not hang
  EXPECT_EQ(dispatcher.CloseDispatcher(), 0);
  EXPECT_TRUE(dispatcher.ThreadsGone());
}

TEST_F(DispatcherTest, TraceDumpMatchesTheExpectedFile) {
  quillon::test::TempDir dir;
  ASSERT_EQ(dispatcher.InitTracing(100), 0);
  dispatcher.PutString("ATZ\r");
  ASSERT_EQ(line->readAtLeast(4, 10s), "ATZ\r");
  line->write("OK\r\n");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 4; }));
  dispatcher.PutString(" ~");
  ASSERT_EQ(line->readAtLeast(2, 10s), " ~");
  ASSERT_EQ(dispatcher.DumpTrace(dir.file("trace.trc"), false, true), 0);
  EXPECT_FALSE(dispatcher.Tracing());  // dumping ends the trace
  EXPECT_EQ(dispatcher.DumpTrace(dir.file("trace.trc"), true, true), ecTracingNotEnabled);
  auto expected = platform::readWholeFile(std::string(std::getenv("QUILLON_TEST_DATA")) + "/serial/trace_dump.txt");
  ASSERT_TRUE(expected);
  EXPECT_EQ(dir.read("trace.trc"), *expected);
  EXPECT_EQ(dispatcher.InitTracing(4000001), ecBadArgument);
}

TEST(Dispatcher, OpensPseudoTerminalsForExclusiveUse) {
  quillon::test::PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  TApdPosixDispatcher first, second;
  DispatcherOpenParams p;
  p.device = pty.slavePath();
  ASSERT_EQ(first.OpenDispatcher(p), 0);
  EXPECT_EQ(second.OpenDispatcher(p), platform::kSerialAccessDenied);
  EXPECT_NE(first.Slot(), second.Slot());

  Recorder recorder;
  first.RegisterProcTriggerHandler([&](unsigned m, unsigned f, std::uint32_t s) { recorder.add(m, f, s); });
  first.AddDataTrigger("RING", false);
  pty.write("\r\nRING\r\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 1; }));
  first.PutString("ATA\r");
  EXPECT_EQ(pty.read(4), "ATA\r");

  pty.hangUp();  // the modem is unplugged
  ASSERT_TRUE(waitUntil([&] { return first.DeviceLost(); }));
  EXPECT_EQ(first.CloseDispatcher(), 0);
  EXPECT_TRUE(first.ThreadsGone());
}

TEST_F(DispatcherTest, DtrHandshakeFollowsTheReceiveRing) {
  ASSERT_EQ(dispatcher.SetHardwareFlowControl(hfUseDTR, 10, 5), 0);
  EXPECT_EQ(dispatcher.SetDtr(false), 1);  // DTR belongs to the handshake now
  EXPECT_TRUE(line->dtr());
  line->write("0123456789AB");
  ASSERT_TRUE(waitUntil([&] { return !line->dtr(); }));  // stop level reached
  std::uint8_t buf[8];
  ASSERT_EQ(dispatcher.GetBlock(buf, 8), 8);
  ASSERT_TRUE(waitUntil([&] { return line->dtr(); }));  // back under the resume level
}

TEST_F(DispatcherTest, AMatchIsDeliveredEvenWhenTheAvailAheadOfItIsNotRead) {
  recordAll();  // reads nothing
  dispatcher.ChangeLengthTrigger(1);
  int ring = dispatcher.AddDataTrigger("RING", false);
  line->write("\r\nRING\r\n");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerDataMsg) == 1; }));
  EXPECT_EQ(recorder.seen()[0].msg, kTriggerAvailMsg);
  EXPECT_EQ(recorder.seen()[0].first, 2u);
  EXPECT_EQ(recorder.seen()[1].first, static_cast<unsigned>(ring));
}
