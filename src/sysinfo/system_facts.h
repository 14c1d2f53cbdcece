#pragma once
// What the configuration report tells about the computer, read from the files the system
// keeps under a root folder ("/" normally; tests pass a fake tree): the kernel release, the
// distribution, the processor, memory figures, the system-wide locale and the serial
// devices. Every fact is optional: a missing or unreadable file leaves its fact empty, and
// the report then leaves out the line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::sysinfo {

struct KernelVersion {
  std::string release;  // "6.1.0-18-amd64" as the kernel reports it
  int major = 0, minor = 0;
  std::string build;    // what follows "major.minor.": "0-18-amd64"
};

struct MemoryFacts {
  // Bytes. Physical memory, swap (the page file's equivalent) and the commit limit (the
  // virtual memory the kernel is willing to hand out).
  std::uint64_t physTotal = 0, physAvailable = 0;
  std::uint64_t swapTotal = 0, swapFree = 0;
  std::uint64_t virtTotal = 0, virtAvailable = 0;
  int loadPercent = 0;  // share of physical memory in use, 0..100
};

// One serial device the system knows, with what udev and sysfs say about it.
struct SerialDeviceFacts {
  std::string name;          // "ttyUSB0"
  std::string port;          // "/dev/ttyUSB0"
  std::string manufacturer;  // empty when unknown
  std::string model;
  std::string driver;        // kernel driver: "cdc_acm", "ftdi_sio", "serial8250", ...
  std::string driverDate;    // never known on Linux; kept for the report's line
};

struct SystemFacts {
  std::optional<KernelVersion> kernel;
  std::string distribution;  // PRETTY_NAME of os-release, e.g. "Debian GNU/Linux 12 (bookworm)"
  std::string machine;       // uname machine: "x86_64", "aarch64", ...
  std::string cpuModel;      // "model name" of the first processor
  std::optional<MemoryFacts> memory;
  std::string systemLocale;  // LANG of the system-wide locale file, e.g. "de_DE.UTF-8"
  std::vector<SerialDeviceFacts> serialDevices;  // sorted by name
};

// Reads every fact below `root` (a folder; "/" for this machine). The machine name comes
// from uname when `root` is "/" and from nowhere otherwise.
SystemFacts gatherSystemFacts(const std::string& root = "/");

// The parts, for tests and for callers that need one fact.
std::optional<KernelVersion> parseKernelRelease(const std::string& release);
std::string parseOsReleasePrettyName(const std::string& text);
std::string parseCpuModel(const std::string& cpuinfo);
std::optional<MemoryFacts> parseMeminfo(const std::string& meminfo);
std::string parseLocaleLang(const std::string& text);  // LANG=... of a locale file
std::vector<SerialDeviceFacts> listSerialDevices(const std::string& root);

}  // namespace quillon::sysinfo
