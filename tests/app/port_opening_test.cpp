// The one port-opening routine and its messages, on real ports of a scratch [Ports] mapping.
#include "app/port_opening.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "../serial/line_port_fixture.h"
#include "errors/error_codes.h"
#include "errors/exceptions.h"

namespace quillon::test {
namespace {

class PortOpeningTest : public LinePortTest {};

TEST_F(PortOpeningTest, OpensAMappedPortAndReportsAHeldOneAsInUse) {
  usePort(3);
  EXPECT_EQ(app::OpenCommPort(port, 3), QString());
  EXPECT_TRUE(port.Open());

  serial::TApdComPort second;
  EXPECT_EQ(app::OpenCommPort(second, 3),
            "The communications port is in use ( Com 3 )\n\nPlease make sure that all "
            "communication programs (internet, AOL, etc) are closed, and then try again.");
  EXPECT_FALSE(second.Open());
}

TEST_F(PortOpeningTest, AMissingDeviceIsReportedByPortNumberAndLeavesThePortClosed) {
  usePort(3);
  dir.write("QLN.INI", "[Ports]\r\nCOM7=/dev/quillon-no-such-device\r\n");
  QString message = app::OpenCommPort(port, 7);
  EXPECT_TRUE(message.startsWith("Unable to open the specified communications port ( Com7 )"))
      << message.toStdString();
  EXPECT_FALSE(port.Open());
}

TEST(PortOpeningMessage, OtherLibraryErrorsNameTheirTextAndForeignErrorsTheirOwn) {
  EXPECT_EQ(app::PortOpeningMessage(2, EAPDException("x", ecBadId)),
            "Unable to open the specified communications port ( Com2 )");
  EXPECT_EQ(app::PortOpeningMessage(2, EAPDException("x", ecHardware)).left(37),
            "The communications port is in use ( C");
  QString other = app::PortOpeningMessage(4, EAPDException("x", -123456789));
  EXPECT_EQ(other, "Unable to open the specified communications port ( Com4 )\nError message: Unknown error");
  EXPECT_EQ(app::PortOpeningMessage(5, std::runtime_error("disk on fire")),
            "Unable to open the specified communications port( Com5 )\nError message: disk on fire");
}

}  // namespace
}  // namespace quillon::test
