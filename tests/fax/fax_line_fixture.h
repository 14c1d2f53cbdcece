#pragma once
// A send component on a com port whose device is an emulated fax modem on a virtual phone
// line, with a remote receiver behind number 555; the line runs against the wall clock at a
// raised time scale. Events reach a headless main loop that the test runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fax/send_fax.h"
#include "faximage/fax_file_writer.h"
#include "faximage/mh_encoder.h"
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

// Raster rows that differ from each other, so a lost or repeated line shows.
inline std::vector<std::vector<std::uint8_t>> patternRows(int count, int seed) {
  std::vector<std::vector<std::uint8_t>> rows;
  for (int r = 0; r < count; ++r) {
    std::vector<std::uint8_t> row(216, 0);
    for (int b = 0; b < 216; ++b)
      if ((b * 7 + r * 3 + seed) % 29 < 4) row[b] = static_cast<std::uint8_t>(0xF0 >> ((r + b) % 4));
    rows.push_back(row);
  }
  return rows;
}

// Writes a fax file with one page per entry of `pages` (rows, fine); returns the coded data
// of each page as it goes on the line (records joined, no length words).
inline std::vector<std::string> writeFaxFile(const std::string& path,
                                             const std::vector<std::pair<int, bool>>& pages, int seed = 1) {
  faximage::FaxFileWriter w;
  std::vector<std::string> lineData;
  EXPECT_EQ(w.create(path), 0);
  int n = 0;
  for (auto [rows, fine] : pages) {
    EXPECT_EQ(w.beginPage(static_cast<std::uint16_t>(faximage::PageFlagLengthWords | (fine ? faximage::PageFlagHighRes : 0))), 0);
    std::string data;
    std::vector<std::uint8_t> code(faximage::kCodeBufferSize);
    for (const auto& row : patternRows(rows, seed + n)) {
      std::size_t len = faximage::encodeRasterLine({}, row.data(), code.data());
      EXPECT_EQ(w.writeRecord(code.data(), len), 0);
      data.append(reinterpret_cast<const char*>(code.data()), len);
    }
    std::uint8_t eop[12];
    std::size_t len = faximage::encodeEndOfPage(eop);
    EXPECT_EQ(w.writeRecord(eop, len), 0);
    data.append(reinterpret_cast<const char*>(eop), len);
    EXPECT_EQ(w.endPage(), 0);
    lineData.push_back(data);
    ++n;
  }
  EXPECT_EQ(w.finish("QUILLON TEST", 0), 0);
  return lineData;
}

inline bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class FaxLineTest : public ::testing::Test {
 protected:
  static constexpr double kTimeScale = 160;

  // A scale of 1 runs the line in real time, for remote machines that keep their own clock.
  explicit FaxLineTest(double timeScale = kTimeScale)
      : line(timeScale),
        modem(line, "100"),
        remote(line, "555", "REMOTE FAX"),
        serial(platform::InProcessSerialLine::create("fax test line")),
        bridge(modem, serial),
        runner(line) {
    static std::atomic<int> counter{0};
    deviceName = "fax-test-line-" + std::to_string(++counter);
    auto s = serial;
    platform::registerSerialDeviceFactory(deviceName, [s](int) { return s->openPort(); });
    serial->setActivityListener([this] { runner.wake(); });
    runner.addPump([this] { bridge.pump(); });
    runner.start();
    platform::installMainThread(&loop);
    platform::setDataFolder(dir.path());
    dir.write("QLN.INI", "[Ports]\r\nCOM5=" + deviceName + "\r\n");
    port.SetComNumber(5);
    fax.SetComPort(&port);
    fax.SetDialWait(5);
    fax.SetDialRetryWait(1);
    fax.SetStationID("QUILLON TEST");
    fax.OnFaxFinish = [this](fax::TApdCustomAbstractFax&, int code) {
      finishCode = code;
      finished = true;
    };
    fax.OnFaxLog = [this](fax::TApdCustomAbstractFax&, fax::TFaxLogCode code) { logCodes.push_back(code); };
    if (std::getenv("QUILLON_FAX_TRACE"))
      fax.Session().stepTrace = [](int state, const std::string& text) {
        std::fprintf(stderr, "%3d %s\n", state, text.c_str());
      };
    fax.OnFaxError = [this](fax::TApdCustomAbstractFax&, int code) { errors.push_back(code); };
  }

  ~FaxLineTest() override {
    port.SetOpen(false);
    loop.runUntil([this] { return !port.HasDispatcher() || port.State() == serial::TPortState::psClosed; },
                  std::chrono::seconds(5));
    runner.stop();
    serial->setActivityListener(nullptr);
    platform::registerSerialDeviceFactory(deviceName, nullptr);
    platform::installMainThread(nullptr);
  }

  // Starts the run and runs the main loop until it finished (or `limit` passes).
  bool sendAndWait(std::chrono::seconds limit = std::chrono::seconds(60)) {
    fax.BeginTransmit();
    return loop.runUntil([this] { return finished; }, limit);
  }

  // The run succeeded and the remote stored every page with the page data of the source
  // (behind the header line the engine put on top); then the port closes.
  void expectSent(const std::vector<std::string>& pages) {
    EXPECT_EQ(finishCode, 0);
    ASSERT_FALSE(logCodes.empty());
    EXPECT_EQ(logCodes.back(), fax::LogTransmitOk);
    const auto& got = remote.lastFax();
    ASSERT_EQ(got.pages.size(), pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p) EXPECT_TRUE(endsWith(got.pages[p].data, pages[p])) << p;
    expectPortClosed();
  }

  // The port is closed and its threads are gone once the run is over.
  void expectPortClosed() {
    port.SetOpen(false);
    EXPECT_TRUE(loop.runUntil([this] { return port.State() == serial::TPortState::psClosed; },
                              std::chrono::seconds(5)));
    EXPECT_FALSE(fax.Running());
  }

  TempDir dir;
  platform::HeadlessMainLoop loop;
  modem::PhoneLine line;
  modem::EmulatedModem modem;
  modem::RemoteReceiver remote;
  std::shared_ptr<platform::InProcessSerialLine> serial;
  modem::SerialLineBridge bridge;
  modem::RealTimeRunner runner;
  std::string deviceName;
  serial::TApdComPort port;
  fax::TApdSendFax fax;
  bool finished = false;
  int finishCode = 1;
  std::vector<fax::TFaxLogCode> logCodes;
  std::vector<int> errors;
};

}  // namespace quillon::test
