#pragma once
// What quillon-modem serves, read from its command line or a config file (the same options,
// one per line, '#' starts a comment): emulated modems on pseudo-terminals, remote fax
// machines behind numbers, line faults.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulated_modem.h"
#include "remote_fax.h"

namespace quillon::modem {

struct ModemEntry {
  std::string number;
  std::string link;
  bool dialTone = true;
  bool spanDsp = false;  // served by SpanDSP's T.31 modem; its calls reach a SpanDSP fax terminal
  ModemProfile profile;
  ModemFaults faults;
};

struct ReceiverEntry {
  std::string number;
  std::string id = "REMOTE FAX";
  int maxBps = 14400;
  int rings = 2;
  bool anyNumber = false;
  RemoteFaults faults;
};

struct SenderEntry {
  std::string number;  // the number it calls
  std::string id = "REMOTE SENDER";
  std::string file = "sample";
  double afterSeconds = 5;
  double everySeconds = 0;  // 0: one call
  std::string whenCommand;  // wait until a served modem got a command line containing this
  RemoteFaults faults;
};

struct ServerConfig {
  double timeScale = 1.0;
  double lineDelayMs = 20;
  std::vector<ModemEntry> modems;
  std::vector<ReceiverEntry> receivers;
  std::vector<SenderEntry> senders;
  std::map<std::string, NumberFaults> lineFaults;
  std::string saveFolder;
  std::string logFile;
};

// Reads the options; on a mistake returns nothing and says why in `error`. `readFile` reads
// a config file named by --config (given so tests need no files).
std::optional<ServerConfig> parseServerOptions(const std::vector<std::string>& args, std::string& error,
                                               const std::function<std::optional<std::string>(const std::string&)>& readFile);

extern const char* const kServerUsage;

}  // namespace quillon::modem
