#include "sysinfo/system_facts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace quillon::sysinfo {

namespace fs = std::filesystem;

namespace {

// The files read here are small; anything longer is cut, and only regular files are read,
// so a fake tree holding a FIFO, a device or a directory in place of a file cannot stall us.
constexpr std::size_t kMaxFileBytes = 1 << 20;

std::string readSmallFile(const fs::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return {};
  struct stat st{};
  std::string bytes;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    char buffer[4096];
    while (bytes.size() < kMaxFileBytes) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (bytes.size() > kMaxFileBytes) bytes.resize(kMaxFileBytes);
  return bytes;
}

std::string trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  return std::string(text.substr(b, e - b));
}

// A value fit for one report line: control bytes become blanks, blanks at the ends go, and
// it is cut to a sane length.
std::string cleanValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u == 0x7F) ? ' ' : c;
  }
  out = trim(out);
  if (out.size() > 120) out.resize(120);
  return out;
}

// "KEY=value" or KEY="value" lines (os-release, locale files).
std::map<std::string, std::string> parseAssignments(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.compare(0, 7, "export ") == 0) line = trim(line.substr(7));
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    std::string key = trim(line.substr(0, eq));
    std::string value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    values.emplace(key, cleanValue(value));  // the first assignment wins
  }
  return values;
}

bool parseUnsigned(std::string_view text, std::uint64_t& out) {
  if (text.empty() || text.size() > 20) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  out = value;
  return true;
}

// "\x20" escapes of udev's *_ENC values.
std::string decodeUdevEscapes(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
      out += static_cast<char>(std::strtol(text.substr(i + 2, 2).c_str(), nullptr, 16));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The "E:" properties of a udev database entry.
std::map<std::string, std::string> udevProperties(const std::string& root, const std::string& devNumbers) {
  std::map<std::string, std::string> props;
  // "major:minor", digits only: the name goes into a path.
  size_t colon = devNumbers.find(':');
  std::uint64_t major = 0, minor = 0;
  if (colon == std::string::npos || !parseUnsigned(devNumbers.substr(0, colon), major) ||
      !parseUnsigned(devNumbers.substr(colon + 1), minor))
    return props;
  std::string text = readSmallFile(fs::path(root) / "run/udev/data" /
                                   ("c" + std::to_string(major) + ":" + std::to_string(minor)));
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 2, "E:") != 0) continue;
    size_t eq = line.find('=', 2);
    if (eq == std::string::npos) continue;
    props.emplace(line.substr(2, eq - 2), line.substr(eq + 1));
  }
  return props;
}

std::string firstOf(const std::map<std::string, std::string>& props,
                    std::initializer_list<const char*> keys) {
  for (const char* key : keys) {
    auto it = props.find(key);
    if (it == props.end()) continue;
    std::string value = std::string(key).find("_ENC") != std::string::npos
                            ? decodeUdevEscapes(it->second)
                            : it->second;
    if (std::string(key) == "ID_VENDOR" || std::string(key) == "ID_MODEL")
      std::replace(value.begin(), value.end(), '_', ' ');
    value = cleanValue(value);
    if (!value.empty()) return value;
  }
  return {};
}

// Looks for `attribute` in the device's folder and its parents (a USB adapter keeps its
// "manufacturer" and "product" a few levels up), never leaving the root.
std::string sysfsAttributeUp(const fs::path& device, const fs::path& rootCanonical,
                             const char* attribute) {
  std::error_code ec;
  fs::path dir = fs::canonical(device, ec);
  if (ec) return {};
  for (int level = 0; level < 6 && !dir.empty(); ++level) {
    auto rel = dir.lexically_relative(rootCanonical);
    if (rel.empty() || *rel.begin() == "..") break;
    std::string value = cleanValue(readSmallFile(dir / attribute));
    if (!value.empty()) return value;
    if (dir == dir.parent_path()) break;
    dir = dir.parent_path();
  }
  return {};
}

bool safeDeviceName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
  });
}

// ttyS10 after ttyS9: names compare by their letters, then by their trailing number.
bool deviceNameLess(const std::string& a, const std::string& b) {
  auto split = [](const std::string& s) {
    size_t i = s.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1]))) --i;
    std::uint64_t n = 0;
    bool has = i < s.size() && parseUnsigned(s.substr(i), n);
    return std::make_tuple(s.substr(0, i), has ? n : 0, s);
  };
  return split(a) < split(b);
}

}  // namespace

std::optional<KernelVersion> parseKernelRelease(const std::string& text) {
  std::string release = cleanValue(text);
  KernelVersion v;
  v.release = release;
  size_t i = 0;
  auto number = [&](int& out) {
    size_t start = i;
    long long value = 0;
    while (i < release.size() && std::isdigit(static_cast<unsigned char>(release[i])) && i - start < 6)
      value = value * 10 + (release[i++] - '0');
    out = static_cast<int>(value);
    return i > start;
  };
  if (!number(v.major)) return std::nullopt;
  if (i < release.size() && release[i] == '.') {
    ++i;
    if (!number(v.minor)) return std::nullopt;
  }
  if (i < release.size() && (release[i] == '.' || release[i] == '-')) ++i;
  v.build = release.substr(i);
  return v;
}

std::string parseOsReleasePrettyName(const std::string& text) {
  auto values = parseAssignments(text);
  if (auto it = values.find("PRETTY_NAME"); it != values.end() && !it->second.empty()) return it->second;
  std::string name = values.count("NAME") ? values["NAME"] : "";
  std::string version = values.count("VERSION") ? values["VERSION"] : "";
  return trim(name + " " + version);
}

std::string parseCpuModel(const std::string& cpuinfo) {
  // x86 names the model "model name"; ARM, MIPS and PowerPC kernels use other keys.
  static const char* const keys[] = {"model name", "Hardware", "cpu model", "cpu", "Processor"};
  std::map<std::string, std::string> found;
  std::istringstream in(cpuinfo);
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    found.emplace(trim(line.substr(0, colon)), cleanValue(line.substr(colon + 1)));
  }
  for (const char* key : keys)
    if (auto it = found.find(key); it != found.end() && !it->second.empty()) return it->second;
  return {};
}

std::optional<MemoryFacts> parseMeminfo(const std::string& meminfo) {
  std::map<std::string, std::uint64_t> kb;
  std::istringstream in(meminfo);
  std::string line;
  while (std::getline(in, line)) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream rest(line.substr(colon + 1));
    std::string number, unit;
    rest >> number >> unit;
    std::uint64_t value = 0;
    // Kilobytes that would overflow as bytes are not believed.
    if (!parseUnsigned(number, value) || value > UINT64_MAX / 1024) continue;
    kb.emplace(trim(line.substr(0, colon)), value * (unit == "kB" ? 1024 : 1));
  }
  auto get = [&](const char* key) { return kb.count(key) ? kb[key] : 0; };
  MemoryFacts m;
  m.physTotal = get("MemTotal");
  if (m.physTotal == 0) return std::nullopt;
  m.physAvailable = kb.count("MemAvailable") ? get("MemAvailable")
                                             : get("MemFree") + get("Buffers") + get("Cached");
  m.physAvailable = std::min(m.physAvailable, m.physTotal);
  m.swapTotal = get("SwapTotal");
  m.swapFree = std::min(get("SwapFree"), m.swapTotal);
  m.virtTotal = get("CommitLimit");
  std::uint64_t committed = get("Committed_AS");
  m.virtAvailable = committed < m.virtTotal ? m.virtTotal - committed : 0;
  long double used = static_cast<long double>(m.physTotal - m.physAvailable);
  m.loadPercent = static_cast<int>(used * 100 / m.physTotal + 0.5L);
  return m;
}

std::string parseLocaleLang(const std::string& text) {
  auto values = parseAssignments(text);
  auto it = values.find("LANG");
  return it == values.end() ? std::string() : it->second;
}

std::vector<SerialDeviceFacts> listSerialDevices(const std::string& root) {
  std::vector<SerialDeviceFacts> devices;
  std::error_code ec;
  const fs::path rootPath(root);
  const fs::path rootCanonical = fs::canonical(rootPath, ec);
  if (ec) return devices;
  fs::directory_iterator it(rootPath / "sys/class/tty", fs::directory_options::skip_permission_denied, ec);
  if (ec) return devices;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path entry = it->path();
    std::string name = entry.filename().string();
    if (!safeDeviceName(name)) continue;
    // Virtual terminals, pseudo-terminals and the console have no device behind them.
    std::error_code linkError;
    if (!fs::exists(entry / "device", linkError)) continue;
    // The 8250 driver registers ports that are not there; their UART type reads 0.
    std::string type = trim(readSmallFile(entry / "type"));
    if (name.compare(0, 4, "ttyS") == 0 && type == "0") continue;
    SerialDeviceFacts device;
    device.name = name;
    device.port = "/dev/" + name;
    device.driver = cleanValue(fs::read_symlink(entry / "device/driver", linkError).filename().string());
    if (linkError) device.driver.clear();
    auto props = udevProperties(root, trim(readSmallFile(entry / "dev")));
    device.manufacturer = firstOf(props, {"ID_VENDOR_FROM_DATABASE", "ID_VENDOR_ENC", "ID_VENDOR"});
    device.model = firstOf(props, {"ID_MODEL_FROM_DATABASE", "ID_MODEL_ENC", "ID_MODEL"});
    if (device.manufacturer.empty())
      device.manufacturer = sysfsAttributeUp(entry / "device", rootCanonical, "manufacturer");
    if (device.model.empty()) device.model = sysfsAttributeUp(entry / "device", rootCanonical, "product");
    if (device.driver.empty()) device.driver = firstOf(props, {"ID_USB_DRIVER"});
    devices.push_back(std::move(device));
    if (devices.size() >= 256) break;  // a sane bound for a report
  }
  std::sort(devices.begin(), devices.end(),
            [](const auto& a, const auto& b) { return deviceNameLess(a.name, b.name); });
  return devices;
}

SystemFacts gatherSystemFacts(const std::string& root) {
  SystemFacts facts;
  const fs::path r(root);
  std::string release = readSmallFile(r / "proc/sys/kernel/osrelease");
  struct utsname names{};
  const bool thisMachine = root == "/";
  if (thisMachine && ::uname(&names) == 0) {
    if (trim(release).empty()) release = names.release;
    facts.machine = names.machine;
  }
  facts.kernel = parseKernelRelease(release);
  std::string osRelease = readSmallFile(r / "etc/os-release");
  if (trim(osRelease).empty()) osRelease = readSmallFile(r / "usr/lib/os-release");
  facts.distribution = parseOsReleasePrettyName(osRelease);
  facts.cpuModel = parseCpuModel(readSmallFile(r / "proc/cpuinfo"));
  facts.memory = parseMeminfo(readSmallFile(r / "proc/meminfo"));
  facts.systemLocale = parseLocaleLang(readSmallFile(r / "etc/default/locale"));
  if (facts.systemLocale.empty()) facts.systemLocale = parseLocaleLang(readSmallFile(r / "etc/locale.conf"));
  facts.serialDevices = listSerialDevices(root);
  return facts;
}

}  // namespace quillon::sysinfo
