// Flow control on the DTE link: the modem's few kilobytes of transmit buffer, XOFF/XON and CTS
// as &K, +IFC and +FLO choose them, data lost by a DTE that ignores them, the DTE holding the
// modem's output, and a pseudo-terminal that is not read while the modem is full.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "class1_sender.h"
#include "dte_script.h"
#include "modem/pty_port.h"
#include "modem/remote_fax.h"
#include "t4_pages.h"

using namespace quillon::modem;
using quillon::modem::test::Class1Sender;
using quillon::modem::test::DteScript;
using quillon::modem::test::t4Page;

namespace {

// A Class 1 modem that has called a remote receiver and trained at `code`, ready for +FTM.
struct TrainedCall {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  DteScript dte{line, modem};
  RemoteReceiver remote{line, "555", "REMOTE"};
  Class1Sender sender{dte};
  TrainedCall(int code, int bps, const std::string& setting = "") {
    EXPECT_EQ(dte.at("ATE0+FCLASS=1"), "OK");
    if (!setting.empty()) EXPECT_EQ(dte.at(setting), "OK");
    EXPECT_EQ(dte.at("ATDT555"), "CONNECT");
    EXPECT_TRUE(sender.readPhaseB());
    EXPECT_EQ(sender.train(code, bps), t30::kCfr);
    EXPECT_EQ(dte.at("AT+FTM=" + std::to_string(code)), "CONNECT");
  }
};

// Writes `bytes` in 2 KB pieces 50 ms apart, far faster than the line, never looking at XOFF.
void sendIgnoringXoff(DteScript& dte, const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size(); at += 2048) {
    dte.send(bytes.substr(at, 2048));
    dte.run(ms(50));
  }
}

}  // namespace

TEST(FlowControl, ModemSaysXoffOnceItsFewKilobytesAreFull) {
  TrainedCall c(24, 2400);
  // 3,500 bytes are 12 s of a 2400 bit/s line: more than the XOFF level, less than the buffer.
  c.dte.send(dleStuff(t4Page(3500)));
  EXPECT_TRUE(c.dte.held());
  EXPECT_FALSE(c.modem.cts());
  EXPECT_LT(c.modem.dteRoom(), EmulatedModem::kTransmitBuffer - 3000);
  ASSERT_TRUE(c.dte.waitFor(std::string(1, kXon), seconds(20)));
  EXPECT_TRUE(c.modem.cts());
  EXPECT_EQ(c.sender.endPage(t30::kEop), t30::kMcf);
  EXPECT_EQ(c.modem.lostFromDte(), 0u);
}

TEST(FlowControl, DteThatIgnoresXoffLosesPageDataAndEarnsRtn) {
  std::string page = t4Page(20000, 7);
  for (bool heeds : {false, true}) {
    TrainedCall c(96, 9600);
    if (heeds) {
      c.dte.sendHeedingXoff(dleStuff(page));
    } else {
      sendIgnoringXoff(c.dte, dleStuff(page));
    }
    EXPECT_EQ(c.sender.endPage(t30::kEop), heeds ? t30::kMcf : t30::kRtn) << heeds;
    if (heeds) {
      EXPECT_EQ(c.modem.lostFromDte(), 0u);
      ASSERT_EQ(c.remote.lastFax().pages.size(), 1u);
      EXPECT_EQ(c.remote.lastFax().pages[0].data, page);
    } else {
      EXPECT_GT(c.modem.lostFromDte(), 5000u);
    }
  }
}

TEST(FlowControl, SettingsChooseXoffCtsOrNeither) {
  struct Case {
    const char* setting;
    bool xoff, ctsDrops;
    const char* ifc;
  } cases[] = {{"AT", true, true, "0,1"},         {"AT&K0", false, false, "0,0"}, {"AT&K3", false, true, "2,2"},
               {"AT&K4", true, false, "1,1"},     {"AT+IFC=0,2", false, true, "0,2"},
               {"AT+IFC=1,1", true, false, "1,1"}};
  for (const auto& k : cases) {
    TrainedCall c(24, 2400, k.setting);
    c.dte.send(dleStuff(t4Page(3500)));
    EXPECT_EQ(c.dte.held(), k.xoff) << k.setting;
    EXPECT_EQ(!c.modem.cts(), k.ctsDrops) << k.setting;
    c.dte.send(std::string("\x10\x03", 2));
    EXPECT_EQ(c.dte.finalResult(seconds(30)), "OK");
    EXPECT_EQ(c.dte.at("AT+IFC?"), "OK");
    EXPECT_EQ(c.dte.info(), std::string(k.ifc) + "\n") << k.setting;
  }
}

TEST(FlowControl, DteHoldsTheModemsOutputWithXoffOrRts) {
  for (const char* setting : {"AT&K4", "AT&K3"}) {
    PhoneLine line;
    EmulatedModem a(line, "1"), c(line, "2");
    DteScript da(line, a), dc(line, c);
    EXPECT_EQ(da.at("ATE0"), "OK");
    EXPECT_EQ(dc.at(std::string(setting) + "E0S0=1"), "OK");
    da.send("ATDT2\r");
    EXPECT_EQ(dc.finalResult(), "RING");
    EXPECT_EQ(dc.finalResult(), "CONNECT 14400");
    EXPECT_EQ(da.finalResult(), "CONNECT 14400");
    bool byXoff = std::string(setting) == "AT&K4";
    if (byXoff) {
      dc.send(std::string(1, kXoff));
    } else {
      c.setRts(false);
    }
    std::string data(5000, 'd');
    da.send(data);
    dc.run(seconds(10));
    EXPECT_EQ(c.toDte(), "") << setting;
    // The receive buffer kept what it could; the rest is gone.
    EXPECT_EQ(c.lostToDte(), data.size() - EmulatedModem::kReceiveBuffer) << setting;
    if (byXoff) {
      dc.send(std::string(1, kXon));
    } else {
      c.setRts(true);
    }
    EXPECT_EQ(c.toDte(), std::string(EmulatedModem::kReceiveBuffer, 'd')) << setting;
  }
}

TEST(FlowControl, DteXoffIsNoCharacterThatEndsAReceive) {
  // Under &K4 XON and XOFF are flow control, not the "any character" that stops +FRH.
  PhoneLine line;
  EmulatedModem modem(line, "100");
  DteScript dte(line, modem);
  RemoteSender sender(line, "CALLER", {{t4Page(2000), false, false}});
  EXPECT_EQ(dte.at("ATE0&K4+FCLASS=1"), "OK");
  sender.call("100");
  ASSERT_TRUE(dte.waitFor("RING"));
  EXPECT_EQ(dte.at("ATA"), "CONNECT");
  dte.sendFrame(t30::makeDis(makeCapabilities(9600), true).bytes());
  EXPECT_EQ(dte.finalResult(), "OK");
  dte.send("AT+FRH=3\r");
  dte.send(std::string(1, kXoff));
  dte.run(seconds(3));
  EXPECT_EQ(modem.toDte(), "");  // held, not ended
  dte.send(std::string(1, kXon));
  EXPECT_EQ(dte.finalResult(), "CONNECT");
  ASSERT_TRUE(dte.readFrame());
  EXPECT_EQ(dte.finalResult(), "OK");
}

TEST(FlowControl, Class20PageDataIsPacedAndOverrunToo) {
  std::string page = t4Page(20000, 3);
  for (bool heeds : {false, true}) {
    PhoneLine line;
    EmulatedModem modem(line, "100");
    DteScript dte(line, modem);
    RemoteReceiver remote(line, "555", "REMOTE");
    EXPECT_EQ(dte.at("ATE0+FCLASS=2.0"), "OK");
    EXPECT_EQ(dte.at("ATDT555"), "OK");
    EXPECT_EQ(dte.at("AT+FDT"), "CONNECT");
    if (heeds) {
      dte.sendHeedingXoff(dleStuff(page));
    } else {
      sendIgnoringXoff(dte, dleStuff(page));
    }
    dte.send(std::string("\x10\x03", 2));
    EXPECT_EQ(dte.finalResult(), "OK");
    // Class 2.0 answers a page the far end did not confirm with ERROR.
    EXPECT_EQ(dte.at("AT+FET=2"), heeds ? "OK" : "ERROR") << heeds;
    if (heeds) {
      EXPECT_EQ(modem.lostFromDte(), 0u);
      ASSERT_EQ(remote.lastFax().pages.size(), 1u);
      EXPECT_EQ(remote.lastFax().pages[0].data, page);
    } else {
      EXPECT_GT(modem.lostFromDte(), 5000u);
    }
  }
}

TEST(FlowControl, PseudoTerminalIsNotReadWhileTheModemIsFull) {
  std::size_t room = 0;
  std::string taken;
  PtyPort port(
      [&](std::string_view b) {
        taken += b;
        room -= std::min(room, b.size());
      },
      [] { return std::string(); }, [&] { return room; });
  ASSERT_TRUE(port.ok()) << port.error();
  int slave = ::open(port.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(slave, 0);
  // The program writes on and on; once the terminal's own buffer is full it is held.
  std::string chunk(4096, 'x');
  std::size_t written = 0;
  for (int i = 0; i < 1000; ++i) {
    ssize_t n = ::write(slave, chunk.data(), chunk.size());
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  EXPECT_LT(written, 1000u * chunk.size());
  port.pump();
  EXPECT_EQ(taken.size(), 0u);
  room = 100;
  port.pump();
  EXPECT_EQ(taken.size(), 100u);
  room = 1u << 30;
  for (int i = 0; i < 100 && taken.size() < written; ++i) port.pump();
  EXPECT_EQ(taken.size(), written);
  ::close(slave);
}
