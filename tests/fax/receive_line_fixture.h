#pragma once
// A receive component on a com port whose device is an emulated fax modem (number 100) on a
// virtual phone line, with a remote sender that calls it; the line runs against the wall
// clock at a raised time scale. Events reach a headless main loop that the test runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fax/receive_fax.h"
#include "fax_line_fixture.h"
#include "faximage/fax_page_reader.h"
#include "modem/emulated_modem.h"
#include "modem/realtime_runner.h"
#include "modem/remote_fax.h"
#include "modem/serial_line_bridge.h"
#include "platform/data_folder.h"
#include "platform/in_process_serial_device.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"
#include "support/temp_dir.h"

namespace quillon::test {

// Line data of a page: coded rows of the pattern and the end of page.
inline modem::FaxPage linePage(int rows, bool fine, int seed, bool wide = false) {
  modem::FaxPage page;
  page.fine = fine;
  page.wide = wide;
  std::vector<std::uint8_t> code(faximage::kCodeBufferSize);
  for (auto row : patternRows(rows, seed)) {
    if (wide) row.resize(256, 0);
    faximage::LineGeometry geometry;
    geometry.pageWidth = wide ? 2048 : 1728;
    std::size_t len = faximage::encodeRasterLine(geometry, row.data(), code.data());
    page.data.append(reinterpret_cast<const char*>(code.data()), len);
  }
  std::uint8_t eop[12];
  std::size_t len = faximage::encodeEndOfPage(eop);
  page.data.append(reinterpret_cast<const char*>(eop), len);
  return page;
}

// A received fax file as read back: header and each page's flags and data.
struct StoredFax {
  int rc = 0;
  faximage::FaxHeader header;
  std::vector<modem::FaxPage> pages;
};

inline StoredFax readStoredFax(const std::string& path) {
  StoredFax f;
  faximage::FaxPageReader r;
  if ((f.rc = r.open(path)) < 0) return f;
  f.header = r.header();
  for (unsigned p = 1; p <= f.header.pageCount; ++p) {
    if ((f.rc = r.findPage(p)) < 0) return f;
    modem::FaxPage page;
    page.fine = r.page().highRes();
    page.wide = r.page().wide();
    const std::uint8_t* data;
    std::size_t size;
    while ((f.rc = r.nextChunk(data, size)) >= 0 && size > 0) page.data.append(reinterpret_cast<const char*>(data), size);
    if (f.rc < 0) return f;
    f.pages.push_back(page);
  }
  return f;
}

class ReceiveLineTest : public ::testing::Test {
 protected:
  static constexpr double kTimeScale = 40;
  // Class 1 puts the engine's own reaction times on the line (AT+FRM must come within the
  // sender's training), so its tests run the line more slowly.
  static constexpr double kClass1TimeScale = 16;
  static double timeScaleFor(fax::TFaxClass c) { return c == fax::fcClass1 ? kClass1TimeScale : kTimeScale; }

  explicit ReceiveLineTest(double timeScale = kTimeScale)
      : line(timeScale),
        modem(line, "100"),
        serial(platform::InProcessSerialLine::create("receive test line")),
        bridge(modem, serial),
        runner(line) {
    static std::atomic<int> counter{0};
    deviceName = "receive-test-line-" + std::to_string(++counter);
    auto s = serial;
    platform::registerSerialDeviceFactory(deviceName, [s](int) { return s->openPort(); });
    serial->setActivityListener([this] { runner.wake(); });
    runner.addPump([this] { bridge.pump(); });
    runner.start();
    platform::installMainThread(&loop);
    platform::setDataFolder(dir.path());
    dir.write("QLN.INI", "[Ports]\r\nCOM5=" + deviceName + "\r\n");
    std::filesystem::create_directory(dir.file("receive"));
    port.SetComNumber(5);
    fax.SetComPort(&port);
    fax.SetStationID("QUILLON RX");
    fax.SetDestinationDir(dir.file("receive"));
    fax.SetDesiredBPS(14400);
    fax.OnFaxFinish = [this](fax::TApdCustomAbstractFax&, int code) {
      finishCode = code;
      finished = true;
    };
    fax.OnFaxLog = [this](fax::TApdCustomAbstractFax& f, fax::TFaxLogCode code) {
      logCodes.push_back(code);
      if (code == fax::LogReceiveStart) files.push_back(f.FaxFile());
    };
    fax.OnFaxError = [this](fax::TApdCustomAbstractFax&, int code) { errors.push_back(code); };
    fax.Session().stepTrace = [this](int state, const std::string& text) {
      std::lock_guard lock(traceMutex);
      trace.push_back(std::to_string(state) + " " + text);
      if (std::getenv("QUILLON_FAX_TRACE")) std::fprintf(stderr, "%3d %s\n", state, text.c_str());
    };
  }

  ~ReceiveLineTest() override {
    port.SetOpen(false);
    loop.runUntil([this] { return !port.HasDispatcher() || port.State() == serial::TPortState::psClosed; },
                  std::chrono::seconds(5));
    runner.stop();
    serial->setActivityListener(nullptr);
    platform::registerSerialDeviceFactory(deviceName, nullptr);
    platform::installMainThread(nullptr);
  }

  // Starts the run and waits until the machine waits for rings.
  bool startReceiving() {
    fax.BeginReceive();
    return loop.runUntil([this] { return finished || fax.Progress() == 20; }, std::chrono::seconds(10));
  }
  // A remote sender calls with `pages`.
  modem::RemoteSender& call(std::vector<modem::FaxPage> pages, const std::string& id = "CALLER",
                            modem::t30::Capabilities caps = modem::makeCapabilities(14400, true, true)) {
    std::lock_guard lock(line.mutex());
    senders.push_back(std::make_unique<modem::RemoteSender>(line, id, std::move(pages), caps));
    senders.back()->call("100");
    return *senders.back();
  }
  bool waitFinished(std::chrono::seconds limit = std::chrono::seconds(60)) {
    return loop.runUntil([this] { return finished; }, limit);
  }
  int traceCount(const std::string& text) {
    std::lock_guard lock(traceMutex);
    int n = 0;
    for (const auto& t : trace)
      if (t.find(text) != std::string::npos) ++n;
    return n;
  }
  std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    return names;
  }
  void expectPortClosed() {
    port.SetOpen(false);
    EXPECT_TRUE(loop.runUntil([this] { return port.State() == serial::TPortState::psClosed; },
                              std::chrono::seconds(5)));
    EXPECT_FALSE(fax.Running());
  }
  // Every stored page equals the page sent.
  void expectPages(const std::string& file, const std::vector<modem::FaxPage>& sent) {
    StoredFax got = readStoredFax(file);
    ASSERT_EQ(got.rc, 0);
    ASSERT_EQ(got.pages.size(), sent.size());
    EXPECT_EQ(got.header.pageCount, sent.size());
    for (std::size_t p = 0; p < sent.size(); ++p) {
      EXPECT_EQ(got.pages[p].fine, sent[p].fine) << p;
      EXPECT_EQ(got.pages[p].wide, sent[p].wide) << p;
      EXPECT_EQ(got.pages[p].data, sent[p].data) << "page " << p + 1;
    }
  }

  TempDir dir;
  platform::HeadlessMainLoop loop;
  modem::PhoneLine line;
  modem::EmulatedModem modem;
  std::shared_ptr<platform::InProcessSerialLine> serial;
  modem::SerialLineBridge bridge;
  modem::RealTimeRunner runner;
  std::string deviceName;
  serial::TApdComPort port;
  fax::TApdReceiveFax fax;
  std::vector<std::unique_ptr<modem::RemoteSender>> senders;
  bool finished = false;
  int finishCode = 1;
  std::vector<fax::TFaxLogCode> logCodes;
  std::vector<std::string> files;
  std::vector<int> errors;
  std::mutex traceMutex;
  std::vector<std::string> trace;
};

}  // namespace quillon::test
