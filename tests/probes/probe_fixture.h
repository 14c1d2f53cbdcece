#pragma once
// Probe windows on real ports: a scratch data folder whose [Ports] maps COM numbers to
// emulated modems with a chosen class list, to a pseudo-terminal that answers nonsense, or
// to devices that do not exist; events run on the Qt loop as in the program.
// The emulator's headers come before Qt's, whose keyword macros they would meet.
#include "modem/emulated_modem.h"
#include "modem/phone_line.h"
#include "modem/realtime_runner.h"
#include "modem/serial_line_bridge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/data_folder.h"
#include "platform/in_process_serial_device.h"
#include "platform/serial_device.h"
#include "probes/probe_form.h"
#include "qtplatform/qt_main_thread.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace quillon::test {

// An emulated fax modem answering AT+FCLASS=? with `classes`, reachable as device `name()`.
class EmulatedModemDevice {
 public:
  explicit EmulatedModemDevice(const std::string& classes)
      : modem_(line_, "100", profile(classes)),
        serial_(platform::InProcessSerialLine::create("probe test modem")),
        bridge_(modem_, serial_),
        runner_(line_) {
    static std::atomic<int> counter{0};
    name_ = "probe-test-modem-" + std::to_string(++counter);
    auto s = serial_;
    platform::registerSerialDeviceFactory(name_, [s](int) { return s->openPort(); });
    serial_->setActivityListener([this] { runner_.wake(); });
    runner_.addPump([this] { bridge_.pump(); });
    runner_.start();
  }
  ~EmulatedModemDevice() {
    runner_.stop();
    serial_->setActivityListener(nullptr);
    platform::registerSerialDeviceFactory(name_, nullptr);
  }
  const std::string& name() const { return name_; }

 private:
  static modem::ModemProfile profile(const std::string& classes) {
    modem::ModemProfile p;
    p.classes = classes;
    return p;
  }
  modem::PhoneLine line_{1.0};
  modem::EmulatedModem modem_;
  std::shared_ptr<platform::InProcessSerialLine> serial_;
  modem::SerialLineBridge bridge_;
  modem::RealTimeRunner runner_;
  std::string name_;
};

// A pseudo-terminal whose far end answers every command line with line noise, never "OK".
class GarbageModem {
 public:
  GarbageModem() {
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{pty_.master(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        if (!(p.revents & POLLIN)) {  // the port side is closed: nothing to read yet
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          continue;
        }
        char buf[256];
        ssize_t n = ::read(pty_.master(), buf, sizeof buf);
        for (ssize_t i = 0; i < n; ++i)
          if (buf[i] == '\r') pty_.write(std::string("\x8F\xFE~#\x01Q\x7F\xE2\r\n;%$\x9C", 14));
      }
    });
  }
  ~GarbageModem() {
    stop_ = true;
    thread_.join();
  }
  const std::string& path() const { return pty_.slavePath(); }

 private:
  PseudoTerminal pty_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// What a probe window showed when its probe was over.
struct ProbeShot {
  bool seen = false;
  QString caption;
  QStringList lines;
  QList<bool> bold;
  QString message;
  bool okVisible = false;
  qint64 longestStallMs = 0;  // the longest time the event loop did not run during the probe
};

class ProbeTest : public ::testing::Test {
 protected:
  ProbeTest() {
    platform::setDataFolder(dir.path());
    for (int n = 1; n <= 6; ++n) mapping[n] = dir.file("no-such-device-" + std::to_string(n));
  }
  ~ProbeTest() override { platform::setDataFolder({}); }

  void writePorts() {
    std::string ini = "[Ports]\r\n";
    for (auto& [n, device] : mapping) ini += "COM" + std::to_string(n) + "=" + device + "\r\n";
    dir.write("QLN.INI", ini);
  }

  // Watches for the probe window of type Form; once its probe is over, records what it shows
  // (and saves a picture when QUILLON_PROBE_SHOTS names a folder) and presses its Ok button.
  template <class Form>
  std::shared_ptr<ProbeShot> watchProbe(const char* shotName) {
    auto shot = std::make_shared<ProbeShot>();
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    auto probingShot = std::make_shared<bool>(false);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [=] {
      if (clock->isValid()) shot->longestStallMs = std::max(shot->longestStallMs, clock->elapsed());
      clock->start();
      Form* form = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<Form*>(w); f && f->isVisible()) form = f;
      const char* folder = std::getenv("QUILLON_PROBE_SHOTS");
      if (form && form->probing() && folder && !*probingShot) {
        *probingShot = true;
        form->grab().save(QString::fromLocal8Bit(folder) + "/" + shotName + "-probing.png");
      }
      if (!form || !form->probed()) return;
      shot->seen = true;
      shot->caption = form->windowTitle();
      for (QLabel* label : form->template findChildren<QLabel*>()) {
        if (!label->objectName().startsWith("Label") || label->objectName() == "Label7") continue;
        shot->lines << label->text();
        shot->bold << label->font().bold();
      }
      for (const char* name : {"Label7", "Status"})
        if (auto* m = form->template findChild<QLabel*>(name)) shot->message = m->text();
      auto* ok = form->template findChild<QPushButton*>("OkButton");
      shot->okVisible = ok && ok->isVisible();
      if (folder)
        form->grab().save(QString::fromLocal8Bit(folder) + "/" + shotName + ".png");
      timer->stop();
      timer->deleteLater();
      ok->click();
    });
    timer->start();
    return shot;
  }

  qtplatform::QtPlatformInstallation platformLayer;
  TempDir dir;
  std::map<int, std::string> mapping;  // COM number -> device
};

}  // namespace quillon::test
