#pragma once
// One open serial device as the dispatcher sees it: non-blocking reads and writes, line
// settings, control lines, modem status and a wait for device events. Implementations: a
// termios device (real ports and pseudo-terminals) and an in-process byte channel.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "errors/error_codes.h"

namespace quillon::platform {

// Event bits reported by SerialDevice::waitEvent (the values of the classic event mask, so
// that logs and masks read the same everywhere).
inline constexpr std::uint32_t kEventReceiveChar = 0x0001;
inline constexpr std::uint32_t kEventCts = 0x0008;
inline constexpr std::uint32_t kEventDsr = 0x0010;
inline constexpr std::uint32_t kEventRlsd = 0x0020;  // carrier detect
inline constexpr std::uint32_t kEventBreak = 0x0040;
inline constexpr std::uint32_t kEventError = 0x0080;
inline constexpr std::uint32_t kEventRing = 0x0100;
inline constexpr std::uint32_t kEventRingTrailingEdge = 0x2000;
inline constexpr std::uint32_t kEventDeviceGone = 0x80000000;  // unplugged or hung up

// Modem status bits (the high nibble of the modem status byte).
inline constexpr std::uint8_t kModemCts = 0x10;
inline constexpr std::uint8_t kModemDsr = 0x20;
inline constexpr std::uint8_t kModemRi = 0x40;
inline constexpr std::uint8_t kModemDcd = 0x80;

// Line error bits as the device reports them.
inline constexpr std::uint8_t kLineOverflow = 0x01;  // receive queue overflow
inline constexpr std::uint8_t kLineOverrun = 0x02;
inline constexpr std::uint8_t kLineParity = 0x04;
inline constexpr std::uint8_t kLineFraming = 0x08;
inline constexpr std::uint8_t kLineBreak = 0x10;

enum class SerialParity : std::uint8_t { none, odd, even, mark, space };
enum class DtrControl : std::uint8_t { disable, enable, handshake };
enum class RtsControl : std::uint8_t { disable, enable, handshake, toggle };

// The device settings record.
struct SerialSettings {
  std::int32_t baud = 19200;
  SerialParity parity = SerialParity::none;
  int dataBits = 8;      // 5..8
  int stopBits = 1;      // 1 or 2; with 5 data bits, 2 means one and a half
  bool outxCtsFlow = false;  // hold output while CTS is low
  bool outxDsrFlow = false;  // hold output while DSR is low
  DtrControl dtrControl = DtrControl::enable;
  RtsControl rtsControl = RtsControl::enable;
  bool outX = false;  // XON/XOFF on output
  bool inX = false;   // XON/XOFF on input
  int xonLimit = 0;
  int xoffLimit = 0;
  std::uint8_t xonChar = 17;
  std::uint8_t xoffChar = 19;
  bool operator==(const SerialSettings&) const = default;
};

// What the device holds and has seen since the last call.
struct SerialLineStatus {
  std::uint8_t errors = 0;  // kLine* bits, cleared by reading
  std::size_t receiveQueued = 0;
  std::size_t transmitQueued = 0;
};

// Failures are status codes of the error table: when opening kSerialNoDevice (-2, no such
// device) and kSerialAccessDenied (-5, in use); ecBaudRate (-2002) for a rate the driver
// lacks, ecByteSize (-2003) for data bits it lacks, kSerialDeviceGone (-2007) once the device
// went away, and for any other failure the system range (ecSystemErrorBase - errno), whose
// text is the system's own description of the real error.
inline constexpr int kSerialNoDevice = ecFileNotFound;
inline constexpr int kSerialAccessDenied = ecAccessDenied;
inline constexpr int kSerialDeviceGone = ecCommNotOpen;
// The status for a failed device call that set `err` (an errno value).
int serialDeviceError(int err);

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Reads up to `size` bytes without blocking; 0 when nothing waits, negative on failure.
  virtual long read(std::uint8_t* data, std::size_t size) = 0;
  // Writes up to `size` bytes, waiting at most `timeoutMs` for room; returns the bytes taken
  // (0 on time-out, e.g. while flow control holds output), negative on failure.
  virtual long write(const std::uint8_t* data, std::size_t size, int timeoutMs) = 0;

  virtual int getSettings(SerialSettings& settings) = 0;
  virtual int setSettings(const SerialSettings& settings) = 0;
  // Device queue sizes; a hint only where the driver has fixed queues.
  virtual int setQueueSizes(std::size_t input, std::size_t output) { return 0; }

  virtual int setDtr(bool on) = 0;
  virtual int setRts(bool on) = 0;
  // Modem status: the kModem* bits of the lines now.
  virtual int modemStatus(std::uint8_t& status) = 0;
  virtual int lineStatus(SerialLineStatus& status) = 0;
  virtual int purge(bool receive, bool transmit) = 0;

  // Waits up to `timeoutMs` for one of the events in `mask` (kEvent* bits) and returns the
  // bits that happened (0 on time-out or after cancelWait). kEventDeviceGone is always
  // reported. Without kEventReceiveChar in the mask waiting bytes do not end the wait.
  virtual std::uint32_t waitEvent(std::uint32_t mask, int timeoutMs) = 0;
  // Ends a waitEvent running on another thread (and the next one, if none runs).
  virtual void cancelWait() = 0;

  // A name for messages ("/dev/ttyUSB0", "emulator").
  virtual std::string name() const = 0;
};

struct SerialOpenResult {
  SerialOpenResult() = default;
  SerialOpenResult(std::unique_ptr<SerialDevice> opened, int status = 0, std::string why = {})
      : device(std::move(opened)), error(status), reason(std::move(why)) {}
  std::unique_ptr<SerialDevice> device;
  int error = 0;  // negated system error number when `device` is empty
  std::string reason;  // when refused: why, for the user (who holds the port, which file)
};

// Devices that are not files: a name (e.g. "emulator") with a factory that opens the device
// for port COMn. The modem emulator registers itself here; an empty factory removes the name.
using SerialDeviceFactory = std::function<SerialOpenResult(int comNumber)>;
void registerSerialDeviceFactory(const std::string& name, SerialDeviceFactory factory);
bool hasSerialDeviceFactory(const std::string& name);
// Opens through the named factory; kSerialNoDevice when no factory has that name.
SerialOpenResult openRegisteredSerialDevice(const std::string& name, int comNumber);

}  // namespace quillon::platform
