#include "demo_line.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "fax_files.h"

namespace quillon::modem {

DemoLine::DemoLine(const DemoLineOptions& options)
    : options_(options),
      line_(options.timeScale),
      modem_(line_, options.modemNumber),
      receiver_(line_, "", options.receiverId),
      sender_(line_, options.senderId, {samplePage(false)}),
      serial_(platform::InProcessSerialLine::create("emulator")),
      bridge_(modem_, serial_),
      runner_(line_) {
  line_.setAnyNumber(&receiver_);
  receiver_.onFax([this](const ReceivedFax& fax) {
    if (options_.saveFolder.empty() || fax.pages.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(options_.saveFolder, ignored);
    saveFaxFile(options_.saveFolder + "demo-received-" + std::to_string(++saved_) + ".apf", fax);
  });
  serial_->setActivityListener([this] { runner_.wake(); });
  runner_.addPump([this] {
    bridge_.pump();
    pumpCalls();
  });
  runner_.start();
}

DemoLine::~DemoLine() {
  runner_.stop();
  serial_->setActivityListener(nullptr);
}

void DemoLine::pumpCalls() {
  if (!serial_->portOpen()) {
    openSince_ = -1;
    return;
  }
  Micros now = line_.now();
  if (openSince_ < 0) {
    openSince_ = now;
    nextCall_ = now + options_.firstCallIn;
  }
  if (now < nextCall_ || sender_.inCall() || line_.inCall(&modem_)) return;
  nextCall_ = now + options_.callInEvery;
  sender_.call(options_.modemNumber);
}

void registerEmulatorPorts(const DemoLineOptions& options) {
  platform::registerSerialDeviceFactory("emulator", [options](int comNumber) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<DemoLine>> lines;
    std::lock_guard lock(mutex);
    auto& line = lines[comNumber];
    if (!line) {
      DemoLineOptions opened = options;
      if (opened.saveFolderAtOpen) opened.saveFolder = opened.saveFolderAtOpen();
      line = std::make_unique<DemoLine>(opened);
    }
    return line->serial()->openPort();
  });
}

}  // namespace quillon::modem
