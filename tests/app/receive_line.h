#pragma once
// The main window in a scratch data folder whose COM5 is an emulated fax modem (number 100)
// on a virtual phone line; remote senders call it. Events reach the window through the Qt
// event loop as in the program.
// The emulator's headers use a name Qt defines as a macro: they come first.
#include "fax/receive_line_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "app/receive_mode.h"
#include "app/starting_fax_form.h"
#include "modem/emulated_modem.h"
#include "modem/realtime_runner.h"
#include "modem/remote_fax.h"
#include "modem/serial_line_bridge.h"
#include "platform/data_folder.h"
#include "platform/in_process_serial_device.h"
#include "qtplatform/qt_main_thread.h"
#include "support/temp_dir.h"

namespace quillon::test {

class ReceiveWindowTest : public ::testing::Test {
 protected:
  static constexpr double kTimeScale = 40;

  ReceiveWindowTest()
      : line(kTimeScale),
        modem(line, "100"),
        serial(platform::InProcessSerialLine::create("receive window line")),
        bridge(modem, serial),
        runner(line) {
    static std::atomic<int> counter{0};
    deviceName = "receive-window-line-" + std::to_string(++counter);
    auto s = serial;
    platform::registerSerialDeviceFactory(deviceName, [s](int) { return s->openPort(); });
    serial->setActivityListener([this] { runner.wake(); });
    runner.addPump([this] { bridge.pump(); });
    modem.setTrace([this](bool fromDte, const std::string& text) {
      if (!fromDte) return;
      std::lock_guard lock(commandsMutex);
      commands.push_back(text);
    });
    runner.start();
    platform::setDataFolder(dir.path());
    // Class 2 and COM5 on the emulated line; a configured folder, so no first-run wizard.
    dir.write("QLN.INI", "[Modem]\r\nComPort=4\r\nFaxClassReceive=2\r\nMaximumBPSReceive=14400\r\n"
                         "[User]\r\nFax=QUILLON RX\r\n[Ports]\r\nCOM5=" + deviceName + "\r\n");
  }

  ~ReceiveWindowTest() override {
    notice.reset();
    window.reset();
    runner.stop();
    serial->setActivityListener(nullptr);
    platform::registerSerialDeviceFactory(deviceName, nullptr);
  }

  // The main window as the program makes it, with the receive-mode notice.
  app::TMainScreen& open() {
    window = std::make_unique<app::TMainScreen>(dir.path());
    notice = std::make_unique<app::TStartingFaxForm>(window.get());
    window->setStartingFaxForm(notice.get());
    return *window;
  }
  app::ReceiveMode& receiving() { return window->receiving(); }

  // Runs the event loop until `done` or `limit`; true when done.
  template <typename Done>
  bool runUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > limit.count()) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  // Waits until the receive machine waits for rings.
  bool waitingForCalls() {
    return runUntil([this] { return receiving().ApdReceiveFax1.Progress() == 20; }, std::chrono::seconds(10));
  }

  modem::RemoteSender& call(std::vector<modem::FaxPage> pages, const std::string& id = "CALLER",
                            const modem::RemoteFaults& faults = {}) {
    std::lock_guard lock(line.mutex());
    senders.push_back(std::make_unique<modem::RemoteSender>(line, id, std::move(pages),
                                                            modem::makeCapabilities(14400, true, true)));
    senders.back()->setFaults(faults);
    senders.back()->call("100");
    return *senders.back();
  }
  bool callFinished(modem::RemoteSender& sender) {
    return runUntil([&] {
      std::lock_guard lock(line.mutex());
      return sender.finished();
    });
  }
  // A call is over for the window once the receive machine waits for the next one.
  bool callHandled(modem::RemoteSender& sender) {
    return callFinished(sender) && runUntil([this] {
             return !window->faxInProgress() && receiving().ApdReceiveFax1.Progress() == 20;
           });
  }
  static std::vector<modem::FaxPage> pages(int count, int seed = 1) {
    std::vector<modem::FaxPage> result;
    for (int p = 0; p < count; ++p) result.push_back(linePage(40, false, seed + p));
    return result;
  }
  bool commandSent(const std::string& text) {
    std::lock_guard lock(commandsMutex);
    for (const auto& c : commands)
      if (c.find(text) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> receiveFolder() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.file("receive")))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every stored page equals the page sent.
  static void expectPages(const std::string& file, const std::vector<modem::FaxPage>& sent) {
    StoredFax got = readStoredFax(file);
    ASSERT_EQ(got.rc, 0) << file;
    ASSERT_EQ(got.pages.size(), sent.size()) << file;
    for (std::size_t p = 0; p < sent.size(); ++p) EXPECT_EQ(got.pages[p].data, sent[p].data) << file << " page " << p + 1;
  }

  StrayMessageBoxGuard guard;
  TempDir dir;
  qtplatform::QtPlatformInstallation platformLayer;
  modem::PhoneLine line;
  modem::EmulatedModem modem;
  std::shared_ptr<platform::InProcessSerialLine> serial;
  modem::SerialLineBridge bridge;
  modem::RealTimeRunner runner;
  std::string deviceName;
  std::mutex commandsMutex;
  std::vector<std::string> commands;
  std::vector<std::unique_ptr<modem::RemoteSender>> senders;
  std::unique_ptr<app::TMainScreen> window;
  std::unique_ptr<app::TStartingFaxForm> notice;
};

}  // namespace quillon::test
