// quillon-modem: serves emulated fax modems on pseudo-terminals, with remote fax machines on
// their virtual line, and logs every AT dialogue with time stamps.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sys/time.h>
#include <unistd.h>

#include "fax_files.h"
#include "platform/file_io.h"
#include "pty_port.h"
#include "realtime_runner.h"
#include "server_config.h"
#ifdef QUILLON_WITH_SPANDSP
#include "spandsp_audio_modem.h"
#endif

using namespace quillon::modem;

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) { stopRequested = 1; }

std::string timeStamp() {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::tm local{};
  ::localtime_r(&tv.tv_sec, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<long>(tv.tv_usec / 1000));
  return text;
}

// Control characters as <XX> so the log stays one line per entry.
std::string printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      out += hex;
    }
  }
  return out;
}

#ifdef QUILLON_WITH_SPANDSP
using SpanDspStandIn = SpanDspAudioModem;
// SpanDSP's T.31 modem on a pseudo-terminal; what it dials reaches a SpanDSP fax receiver.
std::unique_ptr<PtyPort> serveSpanDsp(PhoneLine& line, const ModemEntry& entry, const std::string& folder,
                                      std::vector<std::unique_ptr<SpanDspStandIn>>& keep) {
  std::string file = (folder.empty() ? std::string("./") : folder) + entry.number + "-spandsp.tif";
  auto modem = std::make_unique<SpanDspAudioModem>(line.scheduler(), SpanDspAudioModem::Remote::Receiver,
                                                   "SPANDSP", file);
  auto* raw = modem.get();
  auto port = std::make_unique<PtyPort>([raw](std::string_view b) { raw->fromDte(b); }, [raw] { return raw->toDte(); });
  keep.push_back(std::move(modem));
  if (!port->ok() || (!entry.link.empty() && !port->makeLink(entry.link))) {
    std::fprintf(stderr, "quillon-modem: no pseudo-terminal: %s\n", port->error().c_str());
    return nullptr;
  }
  std::printf("modem %s (SpanDSP): %s\n", entry.number.c_str(), entry.link.empty() ? port->path().c_str() : entry.link.c_str());
  return port;
}
#else
struct SpanDspStandIn {};
std::unique_ptr<PtyPort> serveSpanDsp(PhoneLine&, const ModemEntry&, const std::string&,
                                      std::vector<std::unique_ptr<SpanDspStandIn>>&) {
  std::fprintf(stderr, "quillon-modem: built without SpanDSP\n");
  return nullptr;
}
#endif

struct Sender {
  std::unique_ptr<RemoteSender> machine;
  SenderEntry entry;
  Micros nextCall = 0;
  bool done = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kServerUsage, stdout);
    return 0;
  }
  std::string error;
  auto config = parseServerOptions(args, error, [](const std::string& path) {
    return quillon::platform::readWholeFile(path);
  });
  if (!config) {
    std::fprintf(stderr, "quillon-modem: %s\n%s", error.c_str(), kServerUsage);
    return 2;
  }
  std::FILE* log = stderr;
  if (!config->logFile.empty() && !(log = std::fopen(config->logFile.c_str(), "a"))) {
    std::fprintf(stderr, "quillon-modem: cannot write %s\n", config->logFile.c_str());
    return 1;
  }
  auto note = [log](const std::string& who, const std::string& text) {
    std::fprintf(log, "%s %s %s\n", timeStamp().c_str(), who.c_str(), text.c_str());
    std::fflush(log);
  };

  PhoneLine line(config->timeScale);
  line.setDelay(static_cast<Micros>(config->lineDelayMs * 1000));
  // Every command line the served modems got, for senders that wait for one (--when).
  std::string heard;
  std::vector<std::unique_ptr<EmulatedModem>> modems;
  std::vector<std::unique_ptr<PtyPort>> ports;
  std::vector<std::unique_ptr<SpanDspStandIn>> spanDspModems;
  for (const auto& entry : config->modems) {
    if (entry.spanDsp) {
      auto port = serveSpanDsp(line, entry, config->saveFolder, spanDspModems);
      if (!port) return 1;
      ports.push_back(std::move(port));
      continue;
    }
    auto modem = std::make_unique<EmulatedModem>(line, entry.number, entry.profile);
    modem->setFaults(entry.faults);
    line.setDialTone(modem.get(), entry.dialTone);
    std::string who = "modem " + entry.number;
    modem->setTrace([note, who, &heard](bool fromDte, const std::string& text) {
      note(who, (fromDte ? ">> " : "<< ") + printable(text));
      if (fromDte && heard.size() < 65536) heard += text + "\n";
    });
    auto port = std::make_unique<PtyPort>(*modem);
    if (!port->ok()) {
      std::fprintf(stderr, "quillon-modem: no pseudo-terminal: %s\n", port->error().c_str());
      return 1;
    }
    if (!entry.link.empty() && !port->makeLink(entry.link)) {
      std::fprintf(stderr, "quillon-modem: cannot link %s: %s\n", entry.link.c_str(), port->error().c_str());
      return 1;
    }
    std::printf("modem %s: %s\n", entry.number.c_str(), entry.link.empty() ? port->path().c_str() : entry.link.c_str());
    modems.push_back(std::move(modem));
    ports.push_back(std::move(port));
  }
  for (const auto& [number, faults] : config->lineFaults) line.setNumberFaults(number, faults);

  std::vector<std::unique_ptr<RemoteReceiver>> receivers;
  for (const auto& entry : config->receivers) {
    auto r = std::make_unique<RemoteReceiver>(line, entry.number, entry.id, makeCapabilities(entry.maxBps));
    r->setFaults(entry.faults);
    r->setAnswerAfterRings(entry.rings);
    if (entry.anyNumber) line.setAnyNumber(r.get());
    std::string who = "receiver " + entry.number;
    std::string folder = config->saveFolder;
    auto count = std::make_shared<int>(0);
    r->onFax([note, who, folder, count, number = entry.number](const ReceivedFax& fax) {
      char text[160];
      std::snprintf(text, sizeof text, "call ended: %zu page(s) from \"%s\" at %d bit/s%s", fax.pages.size(),
                    fax.remoteId.c_str(), fax.bps, fax.complete ? "" : " (incomplete)");
      note(who, text);
      if (folder.empty() || fax.pages.empty()) return;
      std::string path = folder + number + "-" + std::to_string(++*count) + ".apf";
      int status = saveFaxFile(path, fax);
      note(who, status == 0 ? "stored " + path : "cannot store " + path);
    });
    receivers.push_back(std::move(r));
  }

  std::vector<Sender> senders;
  for (const auto& entry : config->senders) {
    std::vector<FaxPage> pages;
    if (entry.file == "sample") {
      pages = {samplePage(false)};
    } else if (loadFaxFile(entry.file, pages) != 0 || pages.empty()) {
      std::fprintf(stderr, "quillon-modem: cannot read the fax file %s\n", entry.file.c_str());
      return 1;
    }
    Sender s;
    s.machine = std::make_unique<RemoteSender>(line, entry.id, pages);
    s.machine->setFaults(entry.faults);
    s.entry = entry;
    s.nextCall = static_cast<Micros>(entry.afterSeconds * 1e6);
    std::string who = "sender " + entry.id;
    s.machine->onDone([note, who](int code) { note(who, "call ended with hang-up code " + std::to_string(code)); });
    senders.push_back(std::move(s));
  }
  std::fflush(stdout);

  RealTimeRunner runner(line);
  for (auto& port : ports) runner.addPump([p = port.get()] { p->pump(); });
  runner.addPump([&] {
    for (auto& s : senders) {
      if (!s.entry.whenCommand.empty()) {
        if (heard.find(s.entry.whenCommand) == std::string::npos) continue;
        s.entry.whenCommand.clear();
        s.nextCall = line.now() + static_cast<Micros>(s.entry.afterSeconds * 1e6);
      }
      if (s.done || line.now() < s.nextCall || s.machine->inCall()) continue;
      note("sender " + s.entry.id, "calls " + s.entry.number);
      s.machine->call(s.entry.number);
      if (s.entry.everySeconds > 0) {
        s.nextCall = line.now() + static_cast<Micros>(s.entry.everySeconds * 1e6);
      } else {
        s.done = true;
      }
    }
  });
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
  runner.start();
  while (!stopRequested) ::usleep(100000);
  runner.stop();
  return 0;
}
