#include "serial/dispatch_log.h"

#include <sys/utsname.h>

#include <cstdio>

#include "serial/dump_text.h"
#include "errors/error_text.h"

namespace quillon::serial {

namespace {

constexpr std::size_t kLogLineWidth = 78;
constexpr std::size_t kLogDataColumn = 44;
constexpr int kLogTypeTextBase = 15001;
constexpr int kLogSubTypeTextBase = 15100;
constexpr int kLogColumnsText = 15501;
constexpr int kLogRuleText = 15502;

std::string elapsedText(std::uint32_t ms) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.7u", ms);
  std::string s = digits;
  s.insert(s.size() - 3, ".");
  return s;
}

bool isStatusTriggerEntry(const LogEntry& e) {
  return (e.type == ltTrigger && e.subType == lsStatus) ||
         ((e.type == ltTriggerAlloc || e.type == ltTriggerDispose) && e.subType == lsStatusTrigger);
}

const char* statusTriggerText(std::uint32_t handle) {
  static const char* texts[] = {"(Not active)",         "(Modem status)",       "(Line status)",
                                "(Output buffer free)", "(Output buffer used)", "(Output sent)"};
  std::uint32_t type = handle & 7;
  return type < 6 ? texts[type] : texts[0];
}

}  // namespace

LogDumpHeading currentLogDumpHeading() {
  LogDumpHeading h;
#if defined(__clang__)
  h.compiler = "Clang " __clang_version__;
#elif defined(__GNUC__)
  h.compiler = "GCC " __VERSION__;
#else
  h.compiler = "C++ compiler";
#endif
  utsname u{};
  if (::uname(&u) == 0)
    h.operatingSystem = std::string(u.sysname) + " " + u.release;
  else
    h.operatingSystem = "Unknown";
  return h;
}

void DispatchLog::allocate(std::size_t size, std::size_t dataLimit) {
  capacity_ = size == 0 ? 1 : size;
  dataLimit_ = dataLimit;
  clear();
}

void DispatchLog::release() {
  capacity_ = 0;
  clear();
}

void DispatchLog::clear() {
  entries_.clear();
  used_ = 0;
}

void DispatchLog::add(LogType type, LogSubType subType, std::uint32_t milliseconds,
                      std::uint32_t value, const std::uint8_t* data, std::size_t length) {
  if (capacity_ == 0 || paused_) return;
  length = std::min(length, dataLimit_);
  std::size_t size = kLogEntryHeaderSize + length;
  if (size > capacity_) return;  // cannot ever fit
  while (used_ + size > capacity_) {
    used_ -= kLogEntryHeaderSize + entries_.front().data.size();
    entries_.pop_front();
  }
  LogEntry e{type, subType, milliseconds, value, {}};
  if (length) e.data.assign(reinterpret_cast<const char*>(data), length);
  entries_.push_back(std::move(e));
  used_ += size;
}

std::string DispatchLog::dumpText(bool hex, const LogDumpHeading& heading) const {
  std::string out;
  out += std::string("VELD ") + "v2.56" + kDumpLineEnd;
  out += "Compiler : " + heading.compiler + kDumpLineEnd;
  out += "Operating System : " + heading.operatingSystem + kDumpLineEnd;
  out += ErrorText(kLogColumnsText) + kDumpLineEnd;
  out += ErrorText(kLogRuleText) + kDumpLineEnd;
  WrappedLines lines(out, kLogLineWidth, std::string(kLogDataColumn, ' '));
  for (const LogEntry& e : entries_) {
    char head[160];
    std::snprintf(head, sizeof head, "%8s  %-8s  %-12s  %.8x  ", elapsedText(e.milliseconds).c_str(),
                  ErrorText(kLogTypeTextBase + e.type).c_str(),
                  ErrorText(kLogSubTypeTextBase + e.subType).c_str(), e.value);
    lines.start(head);
    if (isStatusTriggerEntry(e))
      lines.add(statusTriggerText(e.value));
    else
      for (char c : e.data) lines.add(dumpByte(static_cast<std::uint8_t>(c), hex));
    lines.end();
  }
  return out;
}

}  // namespace quillon::serial
