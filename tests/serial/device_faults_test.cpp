// Device failures reach callers as the status table's codes; an open port can be set up for
// fax use; status reads invent nothing; a failed write is reported; output triggers are
// checked when output drains.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "line_port_fixture.h"
#include "serial/dispatcher.h"
#include "serial_test_support.h"
#include "support/pseudo_terminal.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::waitUntil;
using namespace std::chrono_literals;

namespace {

class DeviceFaultsTest : public quillon::test::OpenDispatcherTest {};

class FaxSetupTest : public quillon::test::LinePortTest {
 protected:
  void SetUp() override { usePort(3); }
};

}  // namespace

// termios lacks 7200, 12000 and 14400: these were "Too many users" before.
TEST(DeviceErrors, RatesTheDriverLacksAreUnsupportedBaudRates) {
  quillon::test::PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  TApdPosixDispatcher d;
  DispatcherOpenParams p;
  p.device = pty.slavePath();
  p.baud = 14400;
  EXPECT_EQ(d.OpenDispatcher(p), ecBaudRate);
  p.baud = 19200;
  ASSERT_EQ(d.OpenDispatcher(p), 0);
  for (int baud : {7200, 12000, 14400})
    EXPECT_EQ(d.SetLine(baud, platform::SerialParity::none, 8, 1), ecBaudRate) << baud;
  EXPECT_EQ(ErrorText(ecBaudRate), "ie_Baudrate - unsupported baud rate");
  d.CloseDispatcher();
}

TEST(DeviceErrors, OtherFailuresCarryTheSystemsOwnText) {
  EXPECT_EQ(platform::serialDeviceError(EIO), ecCommNotOpen);
  int code = platform::serialDeviceError(EPROTO);
  EXPECT_LT(code, ecSystemErrorBase);
  EXPECT_EQ(ErrorText(code), "Protocol error");
}

// A masked read cleared the line bits as well, so the next refresh took every raised line
// for a change ("0xBB" with nothing changed) and a DCD trigger fired.
TEST_F(DeviceFaultsTest, AMaskedStatusReadInventsNoChanges) {
  recordAll();
  line->setDcd(true);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.CheckDCD(); }));
  dispatcher.GetModemStatus();  // change bits read
  int dcd = dispatcher.AddStatusTrigger(stModem);
  dispatcher.SetStatusTrigger(dcd, platform::kModemDcd, true);
  EXPECT_EQ(dispatcher.GetModemStatusMask(0x08) & 0x0F, 0);
  std::this_thread::sleep_for(120ms);  // two dispatch wakes
  EXPECT_EQ(dispatcher.GetModemStatus(), platform::kModemCts | platform::kModemDsr | platform::kModemDcd);
  EXPECT_EQ(recorder.count(kTriggerStatusMsg), 0u);
  line->setDcd(false);  // a real change still fires
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) == 1; }));
}

// The output thread dropped the transmit ring without a word when the device failed a write.
TEST_F(DeviceFaultsTest, AFailedWriteIsReportedAsALostDevice) {
  std::atomic<int> lost{0};
  dispatcher.SetDeviceLostHandler([&](int code) { lost = code; });
  int code = platform::serialDeviceError(EPROTO);
  line->failWrites(code);
  ASSERT_EQ(dispatcher.PutString("ATDT5551234\r"), 0);
  ASSERT_TRUE(waitUntil([&] { return lost.load() != 0; }));
  EXPECT_EQ(lost.load(), code);
  EXPECT_TRUE(dispatcher.DeviceLost());
  EXPECT_EQ(dispatcher.OutBuffUsed(), 0);
}

TEST_F(DeviceFaultsTest, TheTransmitRingTakesANewSizeWhileOpen) {
  ASSERT_EQ(dispatcher.PutString("queued"), 0);
  ASSERT_EQ(dispatcher.SetQueueSizes(8192, 128), 0);
  EXPECT_EQ(dispatcher.OutSize(), 128u);
  EXPECT_EQ(dispatcher.PutBlock(std::string(128 - dispatcher.OutBuffUsed(), 'x').data(),
                                128 - dispatcher.OutBuffUsed()), 0);
  ASSERT_TRUE(line->readUntil("queued" + std::string(122, 'x'), 3000ms));
  EXPECT_EQ(dispatcher.SetHardwareFlowControl(hfUseRTS | hfRequireCTS, 7373, 819), 0);
  EXPECT_EQ(dispatcher.SetQueueSizes(0, 128), ecBadArgument);
}

// Fax use: 8192-byte buffers and RTS/CTS on a port that is already open.
TEST_F(FaxSetupTest, AnOpenPortIsSetUpForFaxUse) {
  port.SetOpen(true);
  port.SetInSize(8192);
  port.SetOutSize(8192);
  port.SetHWFlowOptions(hwfUseRTS | hwfRequireCTS);
  EXPECT_EQ(port.BufferFull(), 7373u);
  EXPECT_EQ(port.BufferResume(), 819u);
  EXPECT_TRUE(line->portSettings().outxCtsFlow);
  std::string block(8192, 'U');
  port.PutString(block);  // the whole ring: raised -3006 before
  ASSERT_TRUE(line->readUntil(block, 5000ms));
}

// Output triggers used to wait for the dispatch thread's next 50 ms wake.
TEST_F(DeviceFaultsTest, OutputEmptyIsNotifiedWhenTheOutputDrains) {
  recordAll();
  int empty = dispatcher.AddStatusTrigger(stOutUsed);
  std::chrono::steady_clock::duration worst{};
  for (int i = 0; i < 10; ++i) {
    std::size_t before = recorder.count(kTriggerStatusMsg);
    dispatcher.SetStatusTrigger(empty, 0, false);
    ASSERT_EQ(dispatcher.PutString("AT\r"), 0);
    dispatcher.SetStatusTrigger(empty, 0, true);
    auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerStatusMsg) > before; }));
    worst = std::max(worst, std::chrono::steady_clock::now() - sent);
    std::this_thread::sleep_for(std::chrono::milliseconds(7 * i));  // at all phases of the wake
  }
  EXPECT_LT(worst, 40ms);  // the 50 ms wake alone gave up to 50 ms
}
