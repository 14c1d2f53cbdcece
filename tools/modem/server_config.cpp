#include "server_config.h"

#include <sstream>

namespace quillon::modem {

const char* const kServerUsage =
    "usage: quillon-modem [options]\n"
    "  --modem NUMBER          an emulated modem on a new pseudo-terminal (repeatable)\n"
    "    --link PATH           also reachable as PATH (a symbolic link)\n"
    "    --classes LIST        its answer to AT+FCLASS=? (default 0,1,2,2.0)\n"
    "    --codes LIST          its Class 1 modulations (default 24,48,72,73,74,96,97,98,121,122,145,146)\n"
    "    --no-fcs              Class 1 frames reach the program without their FCS bytes\n"
    "    --no-dial-tone        its line is dead\n"
    "    --spandsp             SpanDSP's own Class 1 modem instead; every call it makes reaches\n"
    "                          a SpanDSP fax terminal that receives (into --save DIR)\n"
    "    --fault K=V,...       error=TEXT garbage=TEXT delay=MS hangup=CODE unplug=BYTES\n"
    "  --receiver NUMBER       a remote fax machine that answers and receives\n"
    "    --max-bps N --rings N --any-number (it also takes every unregistered number)\n"
    "  --sender NUMBER         a remote fax machine that calls NUMBER and sends\n"
    "    --file PATH|sample --after SECONDS --every SECONDS\n"
    "    --when TEXT           count --after from the first command line containing TEXT\n"
    "    --id TEXT             station ID of the last receiver or sender\n"
    "    --remote-fault K=V,...  ftt=BPS rtn=PAGE rtp=PAGE dcn=PAGE drop=PAGE delay=MS\n"
    "  --line-fault NUMBER:K[=V],...  busy=CALLS noanswer voice\n"
    "  --scale X               air time runs X times faster (default 1)\n"
    "  --delay MS              one-way delay of the line (default 20)\n"
    "  --save DIR              remote receivers store faxes there\n"
    "  --log FILE              the AT dialogues with time stamps (default: standard error)\n"
    "  --config FILE           more options, one per line\n";

namespace {

std::optional<double> number(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::istringstream in(text);
  double v = 0;
  in >> v;
  // Every setting becomes an int somewhere (counts, rates, milliseconds): larger is not a value.
  if (!in || !in.eof() || v < 0 || v > 1e9) return std::nullopt;
  return v;
}

std::vector<int> intList(const std::string& text, bool& ok) {
  std::vector<int> out;
  for (const auto& v : splitValues(text)) {
    auto n = parseNumber(v);
    if (!n) ok = false;
    else out.push_back(*n);
  }
  return out;
}

// "k=v,k=v" pairs; a key without '=' has an empty value.
std::vector<std::pair<std::string, std::string>> pairs(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& item : splitValues(text)) {
    auto eq = item.find('=');
    out.emplace_back(item.substr(0, eq), eq == std::string::npos ? "" : item.substr(eq + 1));
  }
  return out;
}

struct Parser {
  ServerConfig config;
  std::string error;
  enum class Last { None, Modem, Receiver, Sender } last = Last::None;
  int depth = 0;
  const std::function<std::optional<std::string>(const std::string&)>& readFile;

  bool fail(const std::string& why) {
    error = why;
    return false;
  }

  bool remoteFault(RemoteFaults& f, const std::string& text) {
    for (const auto& [k, v] : pairs(text)) {
      auto n = number(v);
      if (!n) return fail("--remote-fault: " + k + " needs a number");
      int i = static_cast<int>(*n);
      if (k == "ftt") f.fttAboveBps = i;
      else if (k == "rtn") f.rtnAfterPage = i;
      else if (k == "rtp") f.rtpAfterPage = i;
      else if (k == "dcn") f.dcnAfterPage = i;
      else if (k == "drop") f.dropDuringPage = i;
      else if (k == "delay") f.replyDelay = ms(i);
      else return fail("--remote-fault: unknown fault " + k);
    }
    return true;
  }

  bool modemFault(ModemFaults& f, const std::string& text) {
    for (const auto& [k, v] : pairs(text)) {
      if (k == "error") {
        f.errorOn = v;
        continue;
      }
      if (k == "garbage") {
        f.garbageOn = v;
        continue;
      }
      auto n = number(v);
      if (!n) return fail("--fault: " + k + " needs a number");
      if (k == "delay") f.replyDelay = ms(static_cast<std::int64_t>(*n));
      else if (k == "hangup") f.hangupCode = static_cast<int>(*n);
      else if (k == "unplug") f.unplugAfterPageBytes = static_cast<std::size_t>(*n);
      else return fail("--fault: unknown fault " + k);
    }
    return true;
  }

  bool option(const std::string& name, const std::string* value) {
    static const char* const known[] = {"--modem", "--link", "--classes", "--codes", "--no-fcs", "--no-dial-tone",
                                        "--fault", "--receiver", "--max-bps", "--rings", "--any-number", "--sender",
                                        "--file", "--after", "--every", "--id", "--remote-fault", "--line-fault",
                                        "--scale", "--save", "--log", "--config", "--spandsp", "--when", "--delay"};
    bool isKnown = false;
    for (const char* k : known) isKnown = isKnown || name == k;
    if (!isKnown) return fail("unknown option " + name);
    auto need = [&]() -> bool {
      if (value) return true;
      return fail(name + " needs a value");
    };
    auto lastModem = [&]() -> ModemEntry* { return last == Last::Modem ? &config.modems.back() : nullptr; };
    if (name == "--no-fcs" || name == "--no-dial-tone" || name == "--any-number" || name == "--spandsp") {
      if (name == "--any-number") {
        if (last != Last::Receiver) return fail("--any-number belongs to a --receiver");
        config.receivers.back().anyNumber = true;
        return true;
      }
      ModemEntry* m = lastModem();
      if (!m) return fail(name + " belongs to a --modem");
      if (name == "--no-fcs") m->profile.frameFcs = false;
      else if (name == "--spandsp") m->spanDsp = true;
      else m->dialTone = false;
      return true;
    }
    if (!need()) return false;
    const std::string& v = *value;
    if (name == "--modem") {
      config.modems.push_back({});
      config.modems.back().number = v;
      last = Last::Modem;
    } else if (name == "--receiver") {
      config.receivers.push_back({});
      config.receivers.back().number = v;
      last = Last::Receiver;
    } else if (name == "--sender") {
      config.senders.push_back({});
      config.senders.back().number = v;
      last = Last::Sender;
    } else if (name == "--link" || name == "--classes" || name == "--codes" || name == "--fault") {
      ModemEntry* m = lastModem();
      if (!m) return fail(name + " belongs to a --modem");
      if (name == "--link") m->link = v;
      if (name == "--classes") m->profile.classes = v;
      if (name == "--fault") return modemFault(m->faults, v);
      if (name == "--codes") {
        bool ok = true;
        m->profile.class1Codes = intList(v, ok);
        for (int c : m->profile.class1Codes) ok = ok && class1Code(c) && c != 3;
        if (!ok) return fail("--codes: not a list of modulation codes");
      }
    } else if (name == "--id") {
      if (last == Last::Receiver) config.receivers.back().id = v.substr(0, 20);
      else if (last == Last::Sender) config.senders.back().id = v.substr(0, 20);
      else return fail("--id belongs to a --receiver or --sender");
    } else if (name == "--remote-fault") {
      if (last == Last::Receiver) return remoteFault(config.receivers.back().faults, v);
      if (last == Last::Sender) return remoteFault(config.senders.back().faults, v);
      return fail("--remote-fault belongs to a --receiver or --sender");
    } else if (name == "--max-bps" || name == "--rings") {
      auto n = number(v);
      if (last != Last::Receiver || !n) return fail(name + " needs a number and a --receiver");
      if (name == "--max-bps") config.receivers.back().maxBps = static_cast<int>(*n);
      else config.receivers.back().rings = static_cast<int>(*n);
    } else if (name == "--file" || name == "--after" || name == "--every" || name == "--when") {
      if (last != Last::Sender) return fail(name + " belongs to a --sender");
      SenderEntry& s = config.senders.back();
      if (name == "--file") {
        s.file = v;
      } else if (name == "--when") {
        s.whenCommand = v;
      } else {
        auto n = number(v);
        if (!n) return fail(name + " needs a number of seconds");
        (name == "--after" ? s.afterSeconds : s.everySeconds) = *n;
      }
    } else if (name == "--line-fault") {
      auto colon = v.find(':');
      if (colon == std::string::npos || colon == 0) return fail("--line-fault NUMBER:FAULTS");
      NumberFaults& f = config.lineFaults[v.substr(0, colon)];
      for (const auto& [k, val] : pairs(v.substr(colon + 1))) {
        if (k == "busy") {
          auto n = number(val);
          if (!n) return fail("--line-fault: busy needs a number of calls");
          f.busyCalls = static_cast<int>(*n);
        } else if (k == "noanswer") {
          f.noAnswer = true;
        } else if (k == "voice") {
          f.voiceAnswer = true;
        } else {
          return fail("--line-fault: unknown fault " + k);
        }
      }
    } else if (name == "--scale") {
      auto n = number(v);
      if (!n || *n <= 0) return fail("--scale needs a positive number");
      config.timeScale = *n;
    } else if (name == "--delay") {
      auto n = number(v);
      if (!n || *n < 0 || *n > 2000) return fail("--delay needs milliseconds from 0 to 2000");
      config.lineDelayMs = *n;
    } else if (name == "--save") {
      config.saveFolder = v.empty() || v.back() == '/' ? v : v + "/";
    } else if (name == "--log") {
      config.logFile = v;
    } else if (name == "--config") {
      if (++depth > 4) return fail("--config files nest too deep");
      auto text = readFile(v);
      if (!text) return fail("cannot read " + v);
      std::vector<std::string> args;
      std::istringstream lines(*text);
      std::string line;
      while (std::getline(lines, line)) {
        auto hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string first, rest;
        if (!(words >> first)) continue;
        args.push_back(first.rfind("--", 0) == 0 ? first : "--" + first);
        std::getline(words >> std::ws, rest);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\r')) rest.pop_back();
        if (!rest.empty()) args.push_back(rest);
      }
      bool ok = run(args);
      --depth;
      return ok;
    }
    return true;
  }

  bool run(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& name = args[i];
      if (name.rfind("--", 0) != 0) return fail("unexpected " + name);
      bool flag = name == "--no-fcs" || name == "--no-dial-tone" || name == "--any-number" || name == "--spandsp";
      const std::string* value = (!flag && i + 1 < args.size()) ? &args[++i] : nullptr;
      if (!option(name, value)) return false;
    }
    return true;
  }
};

}  // namespace

std::optional<ServerConfig> parseServerOptions(const std::vector<std::string>& args, std::string& error,
                                               const std::function<std::optional<std::string>(const std::string&)>& readFile) {
  Parser p{{}, {}, Parser::Last::None, 0, readFile};
  if (!p.run(args)) {
    error = p.error;
    return std::nullopt;
  }
  if (p.config.modems.empty()) {
    error = "no --modem to serve";
    return std::nullopt;
  }
  return p.config;
}

}  // namespace quillon::modem
