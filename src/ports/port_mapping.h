#pragma once
// Which device port COMn is. By default /dev/ttyS<n-1>; the [Ports] section of QLN.INI maps
// a port elsewhere ("COM1=/dev/ttyACM0"), to a device in /dev by its relative name
// ("COM2=ttyUSB0", "COM4=serial/by-id/usb-...") or to a registered device factory
// ("COM3=emulator").
#include <string>
#include <vector>

#include "platform/posix_serial_device.h"
#include "platform/serial_device.h"
#include "settings/ini_document.h"

namespace quillon::ports {

inline constexpr const char* kPortsSection = "Ports";
inline constexpr int kHighestPortNumber = 255;

// The device name configured for COMn (`comNumber` >= 1): a path or a factory name.
std::string deviceFor(const settings::IniDocument& ini, int comNumber);
// Reads QLN.INI in `dataFolder` (a missing file maps nothing).
std::string deviceFor(const std::string& dataFolder, int comNumber);

// The port numbers that [Ports] names, ascending, each once.
std::vector<int> mappedPorts(const settings::IniDocument& ini);

// True when `device` is a factory name rather than a path.
bool isFactoryName(const std::string& device);

// Opens the device (a factory is called with `comNumber`).
platform::SerialOpenResult openDevice(const std::string& device, int comNumber);
// Opens COMn through the mapping in `dataFolder`.
platform::SerialOpenResult openComPort(int comNumber, const std::string& dataFolder);

// Whether the device exists and is free; a registered factory counts as available.
platform::SerialPresence probeDevice(const std::string& device);

}  // namespace quillon::ports
