// quillon receive: waits for calls on a fax modem, headless, and stores every received fax
// as a fax file. One line per status change and one per received fax; Ctrl+C stops cleanly
// (the call is cancelled, the modem hung up, the file closed with its complete pages).
#include <atomic>
#include <csignal>
#include <filesystem>
#include <ostream>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "cli/fax_modem_port.h"
#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "fax/receive_fax.h"
#include "faximage/fax_file.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon receive [--port COMn | --device PATH] [--class auto|1|2|2.0] [--rings N] [--station ID]\n"
    "       [--dir DIR] [--bps N] [--one] [--log FILE]\n";

std::atomic<bool> gInterrupted{false};
extern "C" void onReceiveInterrupt(int) { gInterrupted = true; }

// One line per change of progress, page or remote ID.
struct StatusPrinter {
  std::ostream& out;
  std::string last;
  void operator()(fax::TApdCustomAbstractFax& f) {
    std::string text = fax::TApdCustomAbstractFax::ProgressText(f.Progress());
    std::string key = text + "|" + std::to_string(f.PageNumber()) + "|" + f.RemoteStation();
    if (key == last || text.empty()) return;
    last = key;
    out << text;
    if (f.PageNumber() > 0) out << "; page " << f.PageNumber();
    if (!f.RemoteStation().empty()) out << "; remote " << f.RemoteStation();
    if (f.LineRate()) out << "; " << f.LineRate() << " bps";
    out << "\n" << std::flush;
  }
};

// "Received FILE: N pages from ID, RATE bps, fine|standard"
void printReceived(std::ostream& out, fax::TApdCustomAbstractFax& f, const std::string& file, bool complete) {
  faximage::FaxHeader header;
  int pages = faximage::ReadFaxHeader(file, header) == 0 ? header.pageCount : 0;
  out << (complete ? "Received " : "Partly received ") << file << ": " << pages << (pages == 1 ? " page" : " pages");
  if (!f.RemoteStation().empty()) out << " from " << f.RemoteStation();
  if (f.LineRate()) out << ", " << f.LineRate() << " bps";
  out << ", " << (f.FineResolution() ? "fine" : "standard") << "\n" << std::flush;
}

int receive(CommandContext& c) {
  FaxArgs args;
  if (!args.parse(c.args, {"--port", "--device", "--class", "--rings", "--station", "--dir", "--bps", "--log"},
                  {"--one"}, c.err))
    return 2;
  if (!args.positional.empty() || (args.value("--port") && args.value("--device"))) {
    c.err << kUsage;
    return 2;
  }
  fax::TFaxClass faxClass = fax::fcDetect;
  if (!parseFaxClass(args.value("--class").value_or("auto"), faxClass)) {
    c.err << "quillon: receive: --class takes auto, 1, 2 or 2.0\n";
    return 2;
  }
  unsigned rings = 1, bps = 14400;
  if (!parseWholeNumber(args.value("--rings"), rings) || !parseWholeNumber(args.value("--bps"), bps) || rings == 0) {
    c.err << "quillon: receive: --rings and --bps take whole numbers from 1 to 65535\n";
    return 2;
  }
  int comNumber = 1;
  if (auto p = args.value("--port"); p && !parseComPort(*p, comNumber)) {
    c.err << "quillon: receive: --port takes COMn\n";
    return 2;
  }
  c.dataFolder();
  std::string dir = args.value("--dir").value_or(".");
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) {
    c.err << "quillon: receive: " << dir << " is not a folder\n";
    return 1;
  }

  platform::HeadlessMainLoop loop;
  platform::installMainThread(&loop);
  serial::TApdComPort port;
  useModemPort(port, comNumber, args.value("--device"));
  fax::TApdFaxLog log;
  fax::TApdReceiveFax receiver;
  receiver.SetComPort(&port);
  if (auto l = args.value("--log")) {
    log.SetFaxHistoryName(*l);
    receiver.SetFaxLog(&log);
  }
  receiver.SetFaxClass(faxClass);
  receiver.SetStationID(args.value("--station").value_or(""));
  receiver.SetAnswerOnRing(rings);
  receiver.SetDesiredBPS(bps);
  receiver.SetDestinationDir(dir);
  receiver.SetOneFax(args.flag("--one"));
  StatusPrinter printer{c.out, {}};
  receiver.OnFaxStatus = [&printer](fax::TApdCustomAbstractFax& f, bool, bool) { printer(f); };
  std::string current;
  int received = 0;
  receiver.OnFaxLog = [&](fax::TApdCustomAbstractFax& f, fax::TFaxLogCode code) {
    if (code == fax::LogReceiveStart) current = f.FaxFile();
    if (code == fax::LogReceiveOk || code == fax::LogReceiveFail) {
      printReceived(c.out, f, current, code == fax::LogReceiveOk);
      if (code == fax::LogReceiveOk) ++received;
    }
    if (code == fax::LogReceiveSkip) c.out << "Skipped a fax from " << f.RemoteStation() << "\n" << std::flush;
  };
  receiver.OnFaxError = [&](fax::TApdCustomAbstractFax&, int code) {
    if (code != ecCancelRequested) c.out << "Call failed: " << ErrorText(code) << "\n" << std::flush;
  };
  bool finished = false;
  int result = 0;
  receiver.OnFaxFinish = [&](fax::TApdCustomAbstractFax&, int code) {
    finished = true;
    result = code;
  };
  gInterrupted = false;
  auto previous = std::signal(SIGINT, onReceiveInterrupt);
  auto previousTerm = std::signal(SIGTERM, onReceiveInterrupt);
  int status = 0;
  bool aborted = false;
  try {
    receiver.BeginReceive();
    loop.runUntil(
        [&] {
          if (gInterrupted && !aborted) {
            aborted = true;
            receiver.AbortFax();
          }
          return finished;
        },
        std::chrono::hours(24 * 365));
  } catch (const std::exception& e) {
    c.err << "quillon: receive: " << e.what() << "\n";
    status = 1;
  }
  std::signal(SIGINT, previous);
  std::signal(SIGTERM, previousTerm);
  port.SetOpen(false);
  loop.runUntil([&] { return port.State() == serial::TPortState::psClosed; }, std::chrono::seconds(5));
  platform::installMainThread(nullptr);
  if (status) return status;
  c.out << "Stopped; " << received << (received == 1 ? " fax" : " faxes") << " received\n";
  if (result == ecCancelRequested && aborted) return 0;
  if (result != 0) return reportStatus(c.err, "receive", result);
  return 0;
}

}  // namespace

int runReceiveCommand(CommandContext& context) { return guardFaxCommand(context.err, "receive", receive, context); }

}  // namespace quillon::cli
