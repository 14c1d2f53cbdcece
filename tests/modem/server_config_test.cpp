// quillon-modem's options, from the command line and from a config file.
#include <gtest/gtest.h>

#include "modem/server_config.h"

using namespace quillon::modem;

namespace {
std::optional<ServerConfig> parse(const std::vector<std::string>& args, std::string& error,
                                  std::map<std::string, std::string> files = {}) {
  return parseServerOptions(args, error, [files](const std::string& path) -> std::optional<std::string> {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  });
}
}  // namespace

TEST(ModemServerConfig, ReadsModemsMachinesAndFaults) {
  std::string error;
  auto c = parse({"--scale", "8", "--modem", "100", "--link", "/tmp/ttyFAX", "--classes", "0,1", "--codes", "24,48,96",
                  "--fault", "error=+FDIS,delay=1500,hangup=50", "--receiver", "555", "--id", "REMOTE", "--max-bps",
                  "9600", "--remote-fault", "ftt=7200,rtn=2", "--sender", "100", "--file", "sample", "--after", "3",
                  "--line-fault", "777:busy=2,voice", "--config", "more.conf"},
                 error,
                 {{"more.conf", "# a second modem\nmodem 200\nno-dial-tone\nreceiver 888  \nany-number\n"}});
  ASSERT_TRUE(c) << error;
  EXPECT_EQ(c->timeScale, 8);
  ASSERT_EQ(c->modems.size(), 2u);
  EXPECT_EQ(c->modems[0].link, "/tmp/ttyFAX");
  EXPECT_EQ(c->modems[0].profile.classes, "0,1");
  EXPECT_EQ(c->modems[0].profile.class1Codes, (std::vector<int>{24, 48, 96}));
  EXPECT_EQ(c->modems[0].faults.errorOn, "+FDIS");
  EXPECT_EQ(c->modems[0].faults.replyDelay, ms(1500));
  EXPECT_EQ(c->modems[0].faults.hangupCode, 50);
  EXPECT_FALSE(c->modems[1].dialTone);
  ASSERT_EQ(c->receivers.size(), 2u);
  EXPECT_EQ(c->receivers[0].maxBps, 9600);
  EXPECT_EQ(c->receivers[0].faults.fttAboveBps, 7200);
  EXPECT_EQ(c->receivers[0].faults.rtnAfterPage, 2);
  EXPECT_EQ(c->receivers[1].number, "888");
  EXPECT_TRUE(c->receivers[1].anyNumber);
  EXPECT_EQ(c->senders[0].afterSeconds, 3);
  EXPECT_EQ(c->lineFaults["777"].busyCalls, 2);
  EXPECT_TRUE(c->lineFaults["777"].voiceAnswer);
}

TEST(ModemServerConfig, MistakesAreNamed) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const Case cases[] = {
      {{}, "no --modem to serve"},
      {{"--receiver", "5"}, "no --modem to serve"},
      {{"--modem", "1", "--bogus"}, "unknown option --bogus"},
      {{"--modem"}, "--modem needs a value"},
      {{"--link", "x", "--modem", "1"}, "--link belongs to a --modem"},
      {{"--modem", "1", "--scale", "0"}, "--scale needs a positive number"},
      {{"--modem", "1", "--codes", "24,3,x"}, "--codes: not a list of modulation codes"},
      {{"--modem", "1", "--fault", "melt=1"}, "--fault: unknown fault melt"},
      {{"--modem", "1", "--receiver", "5", "--remote-fault", "rtn=x"}, "--remote-fault: rtn needs a number"},
      {{"--modem", "1", "--receiver", "5", "--remote-fault", "ftt=96e10"}, "--remote-fault: ftt needs a number"},
      {{"--modem", "1", "--line-fault", "5"}, "--line-fault NUMBER:FAULTS"},
      {{"--modem", "1", "--config", "missing"}, "cannot read missing"},
      {{"--modem", "1", "--config", "loop"}, "--config files nest too deep"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parse(c.args, error, {{"loop", "config loop\n"}})) << c.error;
    EXPECT_EQ(error, c.error);
  }
}
