// The emulator behind a serial device, with real threads: the port name "emulator", the
// demo line's remote machines, and fax files for the remote machines.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "faximage/fax_unpacker.h"
#include "modem/demo_line.h"
#include "modem/dle.h"
#include "modem/fax_files.h"
#include "support/temp_dir.h"

using namespace quillon::modem;
using namespace quillon::platform;

namespace {

// Reads from the device until `text` arrived; generous time-out for loaded machines.
bool readUntil(SerialDevice& device, const std::string& text, std::string* got = nullptr,
               std::chrono::seconds limit = std::chrono::seconds(60)) {
  std::string all;
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    std::uint8_t buf[256];
    long n = device.read(buf, sizeof buf);
    if (n < 0) break;
    if (n > 0) {
      all.append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n));
      if (all.find(text) != std::string::npos) {
        if (got) *got = all;
        return true;
      }
      continue;
    }
    device.waitEvent(kEventReceiveChar, 100);
  }
  if (got) *got = all;
  return false;
}

void write(SerialDevice& device, const std::string& text) {
  ASSERT_EQ(device.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 5000),
            static_cast<long>(text.size()));
}

}  // namespace

TEST(EmulatorPort, DemoLineAnswersCommandsSendsAndCallsIn) {
  quillon::test::TempDir dir;
  DemoLineOptions options;
  options.timeScale = 50;
  options.firstCallIn = seconds(1);
  options.saveFolder = dir.path();
  registerEmulatorPorts(options);
  ASSERT_TRUE(hasSerialDeviceFactory("emulator"));
  SerialOpenResult open = openRegisteredSerialDevice("emulator", 7);
  ASSERT_TRUE(open.device) << open.error;
  SerialDevice& port = *open.device;
  port.setDtr(true);
  write(port, "ATE0\rAT+FCLASS=?\r");
  std::string got;
  ASSERT_TRUE(readUntil(port, "OK\r\n\r\n0,1,2,2.0\r\n\r\nOK\r\n", &got)) << got;
  // The remote sender calls in a second after the port opened.
  ASSERT_TRUE(readUntil(port, "RING", &got)) << got;
  std::uint8_t status = 0;
  port.modemStatus(status);
  EXPECT_TRUE(status & kModemCts);
  // Answer in Class 2 and take the sample page.
  write(port, "AT+FCLASS=2;+FCR=1\rATA\r");
  ASSERT_TRUE(readUntil(port, "+FDCS:", &got)) << got;
  ASSERT_TRUE(readUntil(port, "OK\r\n", &got)) << got;
  port.modemStatus(status);
  EXPECT_TRUE(status & kModemDcd);
  write(port, "AT+FDR\r");
  ASSERT_TRUE(readUntil(port, "CONNECT\r\n", &got)) << got;
  write(port, "\x12");
  ASSERT_TRUE(readUntil(port, "+FET:2", &got)) << got;
  EXPECT_GT(got.size(), 10000u);
  write(port, "AT+FDR\r");
  ASSERT_TRUE(readUntil(port, "+FHNG:0", &got)) << got;
  // Dialling any number reaches the demo receiver, which keeps what it gets in a fax file.
  write(port, "ATD5550123\r");
  ASSERT_TRUE(readUntil(port, "OK\r\n", &got)) << got;
  EXPECT_NE(got.find("QUILLON DEMO"), std::string::npos) << got;
  write(port, "AT+FDT\r");
  ASSERT_TRUE(readUntil(port, "\x11", &got)) << got;
  // The page is more than the modem's buffer holds: the port waits on CTS, as a fax program's does.
  SerialSettings settings;
  ASSERT_EQ(port.getSettings(settings), 0);
  settings.outxCtsFlow = true;
  ASSERT_EQ(port.setSettings(settings), 0);
  FaxPage page = samplePage(false);
  write(port, dleStuff(page.data) + "\x10\x03");
  ASSERT_TRUE(readUntil(port, "OK\r\n", &got)) << got;
  write(port, "AT+FET=2\r");
  ASSERT_TRUE(readUntil(port, "+FHNG:0", &got)) << got;
  std::vector<FaxPage> pages;
  for (int i = 0; i < 100 && loadFaxFile(dir.file("demo-received-1.apf"), pages) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].data, page.data);
  // A second open of the same port is refused while the first is open.
  EXPECT_FALSE(openRegisteredSerialDevice("emulator", 7).device);
  registerSerialDeviceFactory("emulator", nullptr);
}

TEST(EmulatorPort, UnpluggedModemMakesTheDeviceVanishAndDtrDropHangsUp) {
  DemoLineOptions options;
  options.timeScale = 50;
  options.firstCallIn = seconds(3600);
  DemoLine demo(options);
  SerialOpenResult open = demo.serial()->openPort();
  ASSERT_TRUE(open.device);
  SerialDevice& port = *open.device;
  port.setDtr(true);
  write(port, "ATE0\rAT+FCLASS=1\rATD123\r");
  std::string got;
  ASSERT_TRUE(readUntil(port, "CONNECT\r\n", &got)) << got;
  std::uint8_t status = 0;
  port.modemStatus(status);
  EXPECT_TRUE(status & kModemDcd);
  // Lowering DTR hangs up: carrier detect goes down.
  port.setDtr(false);
  for (int i = 0; i < 200 && (status & kModemDcd); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port.modemStatus(status);
  }
  EXPECT_FALSE(status & kModemDcd);
  port.setDtr(true);
  {
    std::lock_guard lock(demo.line().mutex());
    demo.modem().unplug();
  }
  std::uint32_t events = 0;
  for (int i = 0; i < 100 && !(events & kEventDeviceGone); ++i) events |= port.waitEvent(kEventReceiveChar, 100);
  EXPECT_TRUE(events & kEventDeviceGone);
}

TEST(ModemFaxFiles, SamplePageDecodesAndSurvivesAFaxFile) {
  quillon::test::TempDir dir;
  ReceivedFax fax;
  fax.remoteId = "SENDER";
  fax.pages = {samplePage(false), samplePage(true)};
  ASSERT_EQ(saveFaxFile(dir.file("f.apf"), fax), 0);
  std::vector<FaxPage> pages;
  ASSERT_EQ(loadFaxFile(dir.file("f.apf"), pages), 0);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].data, fax.pages[0].data);
  EXPECT_TRUE(pages[1].fine);
  quillon::faximage::TApdFaxUnpacker unpacker;
  unpacker.Loading = true;
  unpacker.SetInFileName(dir.file("f.apf"));
  quillon::faximage::MonoBitmap bitmap;
  ASSERT_EQ(unpacker.DecodePageToBitmap(1, bitmap), 0);
  EXPECT_GT(bitmap.width, 1600);
  EXPECT_GE(bitmap.height, 1100);
  EXPECT_NE(loadFaxFile(dir.file("missing.apf"), pages), 0);
}
