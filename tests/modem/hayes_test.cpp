// The Hayes command set and the virtual line: what every program meets before any fax.
#include <gtest/gtest.h>

#include "dte_script.h"
#include "modem/at_command.h"
#include "modem/remote_fax.h"

using namespace quillon::modem;
using quillon::modem::test::DteScript;

TEST(ModemAtParser, SplitsBasicExtendedAndDialCommands) {
  auto cmds = parseAtLine("E0Q0V1X4S0=0S2=43&FS7?+FCLASS=?;+FLID=\"A;B\";+FDT;D T555,1;W");
  ASSERT_TRUE(cmds);
  ASSERT_EQ(cmds->size(), 12u);
  EXPECT_EQ((*cmds)[4].name, "S");
  EXPECT_EQ((*cmds)[4].reg, 0);
  EXPECT_EQ((*cmds)[7].form, AtCommand::Form::Query);
  EXPECT_EQ((*cmds)[8].name, "+FCLASS");
  EXPECT_EQ((*cmds)[8].form, AtCommand::Form::Test);
  EXPECT_EQ((*cmds)[9].value, "\"A;B\"");
  EXPECT_EQ((*cmds)[10].form, AtCommand::Form::Action);
  EXPECT_EQ((*cmds)[11].value, "T555,1;W");
  EXPECT_EQ(splitValues("\"a,b\",2,,3"), (std::vector<std::string>{"a,b", "2", "", "3"}));
  for (const char* bad : {"K", "S", "S1", "S1=", "+", "+FLID=\"open", "E12345", "&"})
    EXPECT_FALSE(parseAtLine(bad)) << bad;
}

namespace {
struct Bench {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  DteScript dte{line, modem};
};
}  // namespace

TEST(ModemHayes, EchoResultFormsAndRegisters) {
  Bench b;
  b.dte.send("AT\r");
  EXPECT_TRUE(b.dte.waitFor("AT\r\r\nOK\r\n"));  // echo on after power-up
  EXPECT_EQ(b.dte.at("ATE0"), "OK");
  EXPECT_EQ(b.dte.at("ATS7=60S0?S7?"), "OK");
  EXPECT_EQ(b.dte.info(), "000\n060\n");
  EXPECT_EQ(b.dte.at("ATI3"), "OK");
  EXPECT_EQ(b.dte.info(), "QUILLON EMULATED FAX MODEM\n");
  // Numeric results, then quiet.
  b.dte.send("ATV0\r");
  EXPECT_TRUE(b.dte.waitFor("0\r"));
  b.dte.send("ATQ1\r");
  b.dte.send("AT\r");
  b.dte.run(seconds(1));
  EXPECT_EQ(b.modem.toDte(), "");
  b.dte.send("ATZ\r");  // back to the power-up settings: echo on, verbose
  EXPECT_TRUE(b.dte.waitFor("\r\nOK\r\n"));
  b.dte.send("AT\r");
  EXPECT_TRUE(b.dte.waitFor("AT\r\r\nOK\r\n"));
  EXPECT_EQ(b.dte.at("ATE0"), "OK");
  // Noise before "AT", backspace editing and "A/" repeat.
  EXPECT_EQ(b.dte.at("+++\x11xyATI3"), "OK");
  EXPECT_EQ(b.dte.at("ATS0=9\b3S0?"), "OK");
  EXPECT_EQ(b.dte.info(), "003\n");
  b.dte.send("A/");
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.info(), "003\n");
}

TEST(ModemHayes, MalformedCommandsAnswerError) {
  Bench b;
  EXPECT_EQ(b.dte.at("ATE0"), "OK");
  for (const char* bad : {"ATK", "ATS300=1", "ATS7=999", "ATE2", "ATX7", "AT+FTM=96", "AT+NONSENSE",
                          "AT+FCLASS=2.5", "AT&F9", "ATH1H2", "AT+FCLASS=\"1"})
    EXPECT_EQ(b.dte.at(bad), "ERROR") << bad;
  // An overlong line is refused as a whole.
  EXPECT_EQ(b.dte.at("AT" + std::string(300, 'E')), "ERROR");
  // Nothing of a bad line runs: the echo stays off.
  EXPECT_EQ(b.dte.at("ATE1K"), "ERROR");
  EXPECT_EQ(b.dte.at("AT"), "OK");
}

TEST(ModemLine, DialRingAnswerConnectAndHangUp) {
  PhoneLine line;
  EmulatedModem a(line, "1"), c(line, "2");
  DteScript da(line, a), dc(line, c);
  EXPECT_EQ(da.at("ATE0"), "OK");
  EXPECT_EQ(dc.at("ATE0S0=2"), "OK");
  da.send("ATDT2\r");
  EXPECT_EQ(dc.finalResult(), "RING");
  EXPECT_TRUE(c.ri());
  EXPECT_EQ(dc.finalResult(), "RING");
  // Auto-answer on the second ring; both data modems train and connect.
  EXPECT_EQ(dc.finalResult(), "CONNECT 14400");
  EXPECT_EQ(da.finalResult(), "CONNECT 14400");
  EXPECT_TRUE(a.dcd());
  da.send("hello");
  EXPECT_TRUE(dc.waitFor("hello"));
  // "+++" needs a second of silence before and after it.
  dc.run(seconds(2));
  da.send("+++");
  dc.run(ms(500));
  EXPECT_EQ(a.toDte(), "");
  EXPECT_EQ(da.finalResult(), "OK");
  EXPECT_EQ(da.at("ATO"), "CONNECT 14400");
  da.send("x+++y");  // no guard time: data
  EXPECT_TRUE(dc.waitFor("x+++y"));
  // Dropping DTR hangs up; the other side loses its carrier.
  a.setDtr(false);
  EXPECT_EQ(dc.finalResult(), "NO CARRIER");
  EXPECT_FALSE(c.dcd());
  EXPECT_FALSE(a.dcd());
}

TEST(ModemLine, BusyNoAnswerNoDialToneAndVoice) {
  PhoneLine line;
  EmulatedModem a(line, "1");
  RemoteReceiver remote(line, "555", "REMOTE");
  DteScript d(line, a);
  EXPECT_EQ(d.at("ATE0"), "OK");
  EXPECT_EQ(d.at("AT+FCLASS=1"), "OK");
  line.setNumberFaults("555", {2, false, false});
  EXPECT_EQ(d.at("ATDT555"), "BUSY");
  EXPECT_EQ(d.at("ATX2DT555"), "NO CARRIER");  // no busy detection below X3
  EXPECT_EQ(d.at("ATX4DT555"), "CONNECT");     // third call goes through
  EXPECT_EQ(d.at(""), "OK");                   // a character stops the frame receive
  EXPECT_EQ(d.at("ATH"), "OK");
  line.setNumberFaults("777", {0, true, false});
  EXPECT_EQ(d.at("ATDT777"), "NO CARRIER");
  EXPECT_EQ(d.at("ATDT@777"), "NO ANSWER");
  line.setNumberFaults("888", {0, false, true});
  EXPECT_EQ(d.at("ATDT888"), "VOICE");
  line.setDialTone(&a, false);
  EXPECT_EQ(d.at("ATDT555"), "NO DIALTONE");
  EXPECT_EQ(d.at("ATX3DT555"), "NO CARRIER");  // blind dialling into a dead line
  line.setDialTone(&a, true);
  // Any character stops a dial attempt.
  d.send("ATDT777\r");
  d.run(seconds(5));
  EXPECT_EQ(d.at(""), "NO CARRIER");
  EXPECT_FALSE(line.inCall(&a));
}

TEST(ModemLine, SlowModemAnswersLateAndGarbageComesFirst) {
  Bench b;
  ModemFaults faults;
  faults.replyDelay = seconds(15);
  faults.garbageOn = "I3";
  b.modem.setFaults(faults);
  b.dte.send("ATE0\r");
  b.dte.run(seconds(10));
  EXPECT_EQ(b.modem.toDte(), "");
  EXPECT_TRUE(b.dte.waitFor("OK\r\n", seconds(10)));
  ModemFaults garbage;
  garbage.garbageOn = "I3";
  b.modem.setFaults(garbage);
  b.dte.send("ATI3\r");
  auto got = b.dte.waitFor("OK\r\n");
  ASSERT_TRUE(got);
  EXPECT_NE(got->find("\x8F\xFE"), std::string::npos);
}

TEST(ModemLine, AdaptiveAnswerTakesADataCallOnAFaxModem) {
  PhoneLine line;
  EmulatedModem data(line, "1"), fax(line, "2");
  DteScript dd(line, data), df(line, fax);
  EXPECT_EQ(dd.at("ATE0"), "OK");
  EXPECT_EQ(df.at("ATE0+FCLASS=2;+FAA=1"), "OK");
  dd.send("ATD2\r");
  EXPECT_EQ(df.finalResult(), "RING");
  EXPECT_EQ(df.at("ATA"), "CONNECT 14400");  // what a receiving fax program treats as a data call
  EXPECT_EQ(dd.finalResult(), "CONNECT 14400");
  dd.run(seconds(2));
  dd.send("+++");
  EXPECT_EQ(dd.finalResult(), "OK");
  EXPECT_EQ(dd.at("ATH"), "OK");
  EXPECT_EQ(df.finalResult(), "NO CARRIER");
}
