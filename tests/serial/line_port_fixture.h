#pragma once
// A com port whose port number leads, through [Ports] of a scratch data folder, to a fresh
// in-process line; events reach a headless main loop. The port is closed afterwards.
#include <gtest/gtest.h>

#include <string>

#include "platform/data_folder.h"
#include "platform/main_thread.h"
#include "serial/com_port.h"
#include "serial_test_support.h"
#include "support/temp_dir.h"

namespace quillon::test {

class LinePortTest : public ::testing::Test {
 protected:
  // Maps COM`comNumber` to the line and gives the port that number.
  void usePort(int comNumber) {
    platform::installMainThread(&loop);
    platform::setDataFolder(dir.path());
    std::string com = "COM" + std::to_string(comNumber);
    dir.write("QLN.INI", "[Ports]\r\n" + com + "=" + line.name() + "\r\n");
    port.SetComNumber(comNumber);
  }
  void TearDown() override {
    port.SetOpen(false);
    // A close during a delivery finishes from the main thread's queue.
    loop.runUntil([&] { return port.State() == serial::TPortState::psClosed; }, std::chrono::seconds(10));
    platform::installMainThread(nullptr);
  }

  platform::HeadlessMainLoop loop;
  TempDir dir;
  RegisteredLine line;
  serial::TApdComPort port;
};

}  // namespace quillon::test
