// Com port settings changed while the port is open reach the line at once; refused values
// raise and leave the property as it was; values stored while closed apply at the next open.
#include <gtest/gtest.h>

#include "platform/data_folder.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"
#include "errors/exceptions.h"
#include "serial_test_support.h"
#include "line_port_fixture.h"
#include "support/temp_dir.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::RegisteredLine;

namespace {

class ComPortSettingsTest : public quillon::test::LinePortTest {
 protected:
  void SetUp() override { usePort(2); }
};

}  // namespace

TEST_F(ComPortSettingsTest, LineParametersApplyWhileOpenAndBadOnesAreRefused) {
  port.SetOpen(true);
  ASSERT_TRUE(port.Open());
  auto s = line->portSettings();
  EXPECT_EQ(s.baud, 19200);
  EXPECT_EQ(s.dataBits, 8);

  port.SetBaud(9600);
  port.SetParity(pEven);
  port.SetDataBits(7);
  port.SetStopBits(2);
  s = line->portSettings();
  EXPECT_EQ(s.baud, 9600);
  EXPECT_EQ(s.parity, platform::SerialParity::even);
  EXPECT_EQ(s.dataBits, 7);
  EXPECT_EQ(s.stopBits, 2);

  // Refused values raise and leave both the property and the line as they were.
  EXPECT_THROW(port.SetDataBits(9), EBadArgument);
  EXPECT_THROW(port.SetStopBits(3), EBadArgument);
  EXPECT_THROW(port.SetBaud(0), EBadArgument);
  EXPECT_EQ(port.DataBits(), 7);
  EXPECT_EQ(port.StopBits(), 2);
  EXPECT_EQ(port.Baud(), 9600);
  EXPECT_EQ(line->portSettings(), s);

  // XON/XOFF characters and software flow.
  port.SetXOnChar('Q');
  port.SetXOffChar('S');
  s = line->portSettings();
  EXPECT_EQ(s.xonChar, 'Q');
  EXPECT_EQ(s.xoffChar, 'S');

  // Stored while closed, applied at the next open.
  port.SetOpen(false);
  port.SetBaud(2400);
  port.SetParity(pNone);
  port.SetDataBits(8);
  port.SetStopBits(1);
  port.SetOpen(true);
  s = line->portSettings();
  EXPECT_EQ(s.baud, 2400);
  EXPECT_EQ(s.parity, platform::SerialParity::none);
  EXPECT_EQ(s.dataBits, 8);
  EXPECT_EQ(s.stopBits, 1);
}

TEST_F(ComPortSettingsTest, DtrAndRtsFollowTheirPropertiesUnlessUnderFlowControl) {
  port.SetDTR(false);  // stored while closed
  port.SetOpen(true);
  EXPECT_FALSE(line->dtr());
  EXPECT_TRUE(line->rts());
  port.SetDTR(true);
  EXPECT_TRUE(line->dtr());
  port.SetRTS(false);
  EXPECT_FALSE(line->rts());
  EXPECT_FALSE(port.RTS());

  // Under hardware flow control the line is the driver's: the change is refused quietly
  // and the property keeps its value.
  port.SetHWFlowOptions(hwfUseRTS | hwfRequireCTS);
  EXPECT_EQ(port.BufferFull(), 3686u);
  EXPECT_EQ(port.BufferResume(), 410u);
  auto s = line->portSettings();
  EXPECT_EQ(s.rtsControl, platform::RtsControl::handshake);
  EXPECT_TRUE(s.outxCtsFlow);
  EXPECT_EQ(s.xoffLimit, 4096 - 3686);
  EXPECT_EQ(s.xonLimit, 410);
  EXPECT_NO_THROW(port.SetRTS(true));
  EXPECT_FALSE(port.RTS());
  EXPECT_EQ(line->portSettings().rtsControl, platform::RtsControl::handshake);

  // Flow control off again: RTS is the property's once more.
  port.SetHWFlowOptions(0);
  port.SetRTS(true);
  EXPECT_TRUE(port.RTS());
  EXPECT_TRUE(line->rts());
  EXPECT_FALSE(line->portSettings().outxCtsFlow);

  // Software flow keeps the levels already set (they are valid for it too).
  port.SetSWFlowOptions(swfBoth);
  s = line->portSettings();
  EXPECT_TRUE(s.outX && s.inX);
  EXPECT_EQ(s.xoffLimit, 4096 - int(port.BufferFull()));
  EXPECT_EQ(s.xonLimit, int(port.BufferResume()));
  port.SetSWFlowOptions(swfNone);
  s = line->portSettings();
  EXPECT_FALSE(s.outX || s.inX);
}
