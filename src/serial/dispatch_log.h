#pragma once
// The dispatch log: entries of a 16-byte header (type, subtype, milliseconds since the port
// opened, a value, the length of extra data) and their extra bytes, kept in a buffer of a
// fixed number of bytes that drops its oldest entries when full.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace quillon::serial {

inline constexpr std::size_t kMaxLogSize = 16000000;
inline constexpr std::size_t kLogEntryHeaderSize = 16;

// Entry types (texts: message 15001 + type).
enum LogType : std::uint8_t {
  ltNone = 0, ltDispatch, ltTrigger, ltError, ltThread, ltTriggerAlloc, ltTriggerDispose,
  ltTriggerHandlerAlloc, ltTriggerHandlerDispose, ltTriggerDataChange, ltTelnet, ltFax,
  ltXModem, ltYModem, ltZModem, ltKermit, ltAscii, ltBPlus, ltPacket, ltUser
};
// Subtypes (texts: message 15100 + subtype).
enum LogSubType : std::uint8_t {
  lsNone = 0, lsReadCom = 1, lsWriteCom = 2, lsLineStatus = 3, lsModemStatus = 4,
  lsAvail = 5, lsTimer = 6, lsData = 7, lsStatus = 8,
  lsThreadStart = 9, lsThreadExit = 10, lsThreadSleep = 11, lsThreadWake = 12,
  lsDataTrigger = 13, lsTimerTrigger = 14, lsStatusTrigger = 15, lsAvailTrigger = 16,
  lsWindow = 17, lsProcedure = 18, lsMethod = 19
};

struct LogEntry {
  std::uint8_t type = 0;
  std::uint8_t subType = 0;
  std::uint32_t milliseconds = 0;
  std::uint32_t value = 0;
  std::string data;
};

// What the dump's heading says about the program and the system.
struct LogDumpHeading {
  std::string compiler;
  std::string operatingSystem;
};
LogDumpHeading currentLogDumpHeading();  // this build's compiler, the running kernel

class DispatchLog {
 public:
  bool allocated() const { return capacity_ != 0; }
  // `size` bytes of entries; each entry's extra data is cut to `dataLimit` bytes.
  void allocate(std::size_t size, std::size_t dataLimit);
  void release();
  void clear();
  void setPaused(bool paused) { paused_ = paused; }
  bool paused() const { return paused_; }

  void add(LogType type, LogSubType subType, std::uint32_t milliseconds, std::uint32_t value,
           const std::uint8_t* data = nullptr, std::size_t length = 0);
  const std::deque<LogEntry>& entries() const { return entries_; }

  std::string dumpText(bool hex, const LogDumpHeading& heading) const;

 private:
  std::deque<LogEntry> entries_;
  std::size_t capacity_ = 0, used_ = 0, dataLimit_ = 0;
  bool paused_ = false;
};

}  // namespace quillon::serial
