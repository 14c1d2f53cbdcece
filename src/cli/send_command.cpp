// quillon send: sends fax files through a fax modem, headless, with one progress line per
// status change. Exit status 0 when the fax was sent.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <ostream>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "cli/fax_modem_port.h"
#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "fax/send_fax.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_file.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon send --number NUMBER [--port COMn | --device PATH] [--class auto|1|2|2.0] [--station ID]\n"
    "       [--header TEXT] [--cover FILE] [--bps N] [--attempts N] [--retry-wait S] [--log FILE] FILE...\n";

std::atomic<bool> gInterrupted{false};
extern "C" void onInterrupt(int) { gInterrupted = true; }

// Fax files go as they are; text and images are converted into temporary fax files.
class FaxFiles {
 public:
  ~FaxFiles() {
    for (const auto& f : temporary_) std::remove(f.c_str());
  }
  int add(const std::string& path, const std::string& station, std::string& faxFile) {
    if (faximage::IsFaxFile(path)) {
      faxFile = path;
      return 0;
    }
    faximage::TApdFaxConverter converter;
    converter.SetInputDocumentType(typeOf(path));
    converter.StationID = station;
    std::string out = fax::MakeTemporaryFaxName();
    if (out.empty()) return ecCantWriteFile;
    temporary_.push_back(out);
    converter.SetDocumentFile(path);
    converter.SetOutFileName(out + ".APF");
    temporary_.push_back(converter.OutputFileName());
    int rc = converter.ConvertDocument();
    faxFile = converter.OutputFileName();
    return rc;
  }

 private:
  static faximage::TFaxInputDocumentType typeOf(const std::string& path) {
    std::string ext = path.substr(path.find_last_of('.') + 1);
    for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (ext == "tif" || ext == "tiff") return faximage::idTiff;
    if (ext == "pcx") return faximage::idPcx;
    if (ext == "dcx") return faximage::idDcx;
    if (ext == "bmp") return faximage::idBmp;
    return faximage::idText;
  }
  std::vector<std::string> temporary_;
};

// One line per change of progress, page, remote ID or rate.
struct ProgressPrinter {
  std::ostream& out;
  std::string last;
  void operator()(fax::TApdCustomAbstractFax& f, bool, bool) {
    auto& s = static_cast<fax::TApdCustomSendFax&>(f);
    std::string text = fax::TApdCustomAbstractFax::ProgressText(f.Progress());
    std::string key = text + "|" + std::to_string(f.PageNumber()) + "|" + f.RemoteStation() + "|" +
                      std::to_string(f.LineRate());
    if (key == last || text.empty()) return;
    last = key;
    out << text << "; page " << f.PageNumber() << "/" << f.PageCount() << "; " << f.PageBytesDone() << "/"
        << f.PageBytesTotal() << " bytes";
    if (!f.RemoteStation().empty()) out << "; remote " << f.RemoteStation();
    if (f.LineRate()) out << "; " << f.LineRate() << " bps";
    if (s.DialAttempt() > 1) out << "; attempt " << s.DialAttempt();
    out << "\n" << std::flush;
  }
};

int send(CommandContext& c) {
  FaxArgs args;
  if (!args.parse(c.args,
                  {"--number", "--port", "--device", "--class", "--station", "--header", "--cover", "--bps",
                   "--attempts", "--retry-wait", "--log"},
                  {}, c.err))
    return 2;
  auto number = args.value("--number");
  if (!number || number->empty() || (args.positional.empty() && !args.value("--cover")) ||
      (args.value("--port") && args.value("--device"))) {
    c.err << kUsage;
    return 2;
  }
  fax::TFaxClass faxClass = fax::fcDetect;
  if (!parseFaxClass(args.value("--class").value_or("auto"), faxClass)) {
    c.err << "quillon: send: --class takes auto, 1, 2 or 2.0\n";
    return 2;
  }
  unsigned bps = 9600, attempts = 3, retryWait = 60;
  if (!parseWholeNumber(args.value("--bps"), bps) || !parseWholeNumber(args.value("--attempts"), attempts) ||
      !parseWholeNumber(args.value("--retry-wait"), retryWait)) {
    c.err << "quillon: send: --bps, --attempts and --retry-wait take whole numbers up to 65535\n";
    return 2;
  }
  int comNumber = 1;
  if (auto p = args.value("--port"); p && !parseComPort(*p, comNumber)) {
    c.err << "quillon: send: --port takes COMn\n";
    return 2;
  }
  c.dataFolder();
  std::string station = args.value("--station").value_or("");

  FaxFiles files;
  fax::TApdSendFax sender;
  for (const auto& path : args.positional) {
    std::string faxFile;
    int rc = files.add(path, station, faxFile);
    if (rc < 0) return reportStatus(c.err, path, rc);
    sender.FaxFileList().push_back(faxFile);
  }

  platform::HeadlessMainLoop loop;
  platform::installMainThread(&loop);
  serial::TApdComPort port;
  useModemPort(port, comNumber, args.value("--device"));
  fax::TApdFaxLog log;
  sender.SetComPort(&port);
  if (auto l = args.value("--log")) {
    log.SetFaxHistoryName(*l);
    sender.SetFaxLog(&log);
  }
  sender.SetFaxClass(faxClass);
  sender.SetStationID(station);
  sender.SetPhoneNumber(*number);
  sender.SetHeaderLine(args.value("--header").value_or(""));
  sender.SetCoverFile(args.value("--cover").value_or(""));
  sender.SetDesiredBPS(bps);
  sender.SetDialAttempts(attempts);
  sender.SetDialRetryWait(retryWait);
  sender.SetExitOnError(true);
  ProgressPrinter printer{c.out, {}};
  sender.OnFaxStatus = [&printer](fax::TApdCustomAbstractFax& f, bool first, bool last) { printer(f, first, last); };
  bool finished = false;
  int result = 0;
  sender.OnFaxFinish = [&](fax::TApdCustomAbstractFax&, int code) {
    finished = true;
    result = code;
  };
  gInterrupted = false;
  auto previous = std::signal(SIGINT, onInterrupt);
  int status = 0;
  try {
    sender.BeginTransmit();
    bool aborted = false;
    loop.runUntil(
        [&] {
          if (gInterrupted && !aborted) {
            aborted = true;
            sender.AbortFax();
          }
          return finished;
        },
        std::chrono::hours(24 * 365));
  } catch (const std::exception& e) {
    c.err << "quillon: send: " << e.what() << "\n";
    status = 1;
  }
  std::signal(SIGINT, previous);
  port.SetOpen(false);
  loop.runUntil([&] { return port.State() == serial::TPortState::psClosed; }, std::chrono::seconds(5));
  platform::installMainThread(nullptr);
  if (status) return status;
  if (result != 0) return reportStatus(c.err, "send", result);
  c.out << "Sent to " << (sender.RemoteStation().empty() ? *number : sender.RemoteStation()) << "\n";
  return 0;
}

}  // namespace

int runSendCommand(CommandContext& context) { return guardFaxCommand(context.err, "send", send, context); }

}  // namespace quillon::cli
