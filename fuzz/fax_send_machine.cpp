// The sending machine on a port whose modem answers every command with the next answer of the
// input (any bytes; the first byte picks Class 2 or 2.0). Whatever the answers, the run
// must end by itself (every waiting state has a time-out armed), with the port closable.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "fax/send_fax.h"
#include "faximage/fax_file_writer.h"
#include "faximage/mh_encoder.h"
#include "platform/data_folder.h"
#include "platform/in_process_serial_device.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"
#include "support/temp_dir.h"

using namespace quillon;

namespace {

constexpr std::size_t kMostAnswers = 16;  // keeps one run within a few seconds

struct World {
  test::TempDir dir;
  platform::HeadlessMainLoop loop;
  World() {
    platform::installMainThread(&loop);
    platform::setDataFolder(dir.path());
    dir.write("QLN.INI", "[Ports]\r\nCOM5=fuzz-fax-line\r\n");
    faximage::FaxFileWriter w;
    if (w.create(dir.file("doc.apf")) < 0 || w.beginPage(faximage::PageFlagLengthWords) < 0) std::abort();
    for (int i = 0; i < 20; ++i) w.writeRecord(faximage::kBlankLineRecord, sizeof faximage::kBlankLineRecord);
    std::uint8_t eop[12];
    w.writeRecord(eop, faximage::encodeEndOfPage(eop));
    if (w.endPage() < 0 || w.finish("FUZZ", 0) < 0) std::abort();
  }
};

World& world() {
  static World w;
  return w;
}

// Answers each command line (a carriage return) and each page end (DLE ETX) the port writes
// with the next answer of the input: its lines up to an empty line, each ended CR LF. When
// the port has been quiet for 300 ms the next answer comes unasked (as reports do), so the
// engine's long waits are reached too; once the input is used up the modem is unplugged.
void modem(platform::InProcessSerialLine& line, std::string_view input, const std::atomic<bool>& stop) {
  using Clock = std::chrono::steady_clock;
  std::size_t answers = 0;
  char previous = 0;
  bool unplugged = false;
  Clock::time_point quietSince = Clock::now();
  auto answerNext = [&] {
    std::size_t cut = input.find("\n\n");
    std::size_t n = cut == std::string_view::npos ? input.size() : cut + 2;
    std::string answer;
    for (char a : input.substr(0, cut == std::string_view::npos ? n : cut + 1)) {
      if (a == '\n') answer += '\r';
      answer += a;
    }
    if (answer.empty() || answer.back() != '\n') answer += "\r\n";
    line.write(answer);
    input.remove_prefix(n);
    if (++answers == kMostAnswers) input = {};
  };
  while (!stop) {
    std::string got = line.readAtLeast(1, std::chrono::milliseconds(20));
    if (!got.empty()) quietSince = Clock::now();
    for (char c : got) {
      bool asked = c == '\r' || (previous == 0x10 && c == 0x03);
      previous = previous == 0x10 && c == 0x10 ? 0 : c;
      if (asked && !input.empty()) answerNext();
    }
    if (Clock::now() - quietSince > std::chrono::milliseconds(300)) {
      if (input.empty()) {
        if (!unplugged && line.portOpen()) line.vanish(), unplugged = true;
      } else {
        answerNext();
      }
      quietSince = Clock::now();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  World& w = world();
  auto line = platform::InProcessSerialLine::create("fuzz fax line");
  platform::registerSerialDeviceFactory("fuzz-fax-line", [line](int) { return line->openPort(); });
  std::atomic<bool> stop{false};
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::thread modemThread(modem, std::ref(*line), input, std::cref(stop));
  bool finished = false;
  {
    serial::TApdComPort port;
    port.SetComNumber(5);
    fax::TApdSendFax fax;
    fax.SetComPort(&port);
    fax.SetFaxClass(data[0] & 1 ? fax::fcClass2_0 : fax::fcClass2);
    fax.SetPhoneNumber("555");
    fax.SetFaxFile(w.dir.file("doc.apf"));
    fax.SetExitOnError(true);
    fax.SetDialAttempts(1);
    fax.SetDialWait(1);
    fax.Session().responseTimeout = 4;  // short time-outs keep a run short; any armed one ends it
    fax.Session().dataTimeout = 9;
    fax.OnFaxFinish = [&](fax::TApdCustomAbstractFax&, int) { finished = true; };
    try {
      fax.BeginTransmit();
    } catch (const std::exception&) {
      finished = true;  // refused at the start: nothing to wait for
    }
    // Every wait of the engine has a time-out armed, so the run ends well within the bound.
    if (!w.loop.runUntil([&] { return finished; }, std::chrono::seconds(8))) std::abort();
    port.SetOpen(false);
    if (!w.loop.runUntil([&] { return port.State() == serial::TPortState::psClosed; }, std::chrono::seconds(10)))
      std::abort();
  }
  stop = true;
  modemThread.join();
  platform::registerSerialDeviceFactory("fuzz-fax-line", nullptr);
  return 0;
}
