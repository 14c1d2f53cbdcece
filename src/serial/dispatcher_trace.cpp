// The dispatcher's byte trace and dispatch log.
#include "platform/file_io.h"
#include "serial/dispatcher.h"
#include "serial/dump_text.h"
#include "errors/error_codes.h"

namespace quillon::serial {

namespace {
int writeDump(const std::string& path, const std::string& text, bool append) {
  try {
    writeDumpFile(path, text, append);
    return 0;
  } catch (const platform::FileWriteError&) {
    return ecAccessDenied;
  }
}
}  // namespace

int TApdBaseDispatcher::InitTracing(std::size_t entries) {
  if (entries > kMaxTraceSize) return ecBadArgument;
  std::lock_guard trace(traceLock_);
  trace_.allocate(entries);
  trace_.setPaused(false);
  return 0;
}

void TApdBaseDispatcher::StopTracing() {
  std::lock_guard trace(traceLock_);
  trace_.setPaused(true);
}

void TApdBaseDispatcher::StartTracing() {
  std::lock_guard trace(traceLock_);
  trace_.setPaused(false);
}

void TApdBaseDispatcher::ClearTracing() {
  std::lock_guard trace(traceLock_);
  trace_.clear();
}

void TApdBaseDispatcher::AbortTracing() {
  std::lock_guard trace(traceLock_);
  trace_.release();
}

bool TApdBaseDispatcher::Tracing() const {
  std::lock_guard trace(traceLock_);
  return trace_.allocated();
}

int TApdBaseDispatcher::DumpTrace(const std::string& path, bool append, bool hex) {
  std::string text;
  {
    std::lock_guard trace(traceLock_);
    if (!trace_.allocated()) return ecTracingNotEnabled;
    text = trace_.dumpText(hex);
    trace_.release();
  }
  return writeDump(path, text, append);
}

int TApdBaseDispatcher::InitLogging(std::size_t bytes) {
  if (bytes > kMaxLogSize) return ecBadArgument;
  std::lock_guard trace(traceLock_);
  if (log_.allocated())
    log_.clear();
  else
    log_.allocate(bytes, std::max(inSize_, outSize_));
  log_.setPaused(false);
  return 0;
}

void TApdBaseDispatcher::StopLogging() {
  std::lock_guard trace(traceLock_);
  log_.setPaused(true);
}

void TApdBaseDispatcher::StartLogging() {
  std::lock_guard trace(traceLock_);
  log_.setPaused(false);
}

void TApdBaseDispatcher::ClearLogging() {
  std::lock_guard trace(traceLock_);
  log_.clear();
}

void TApdBaseDispatcher::AbortLogging() {
  std::lock_guard trace(traceLock_);
  log_.release();
}

bool TApdBaseDispatcher::Logging() const {
  std::lock_guard trace(traceLock_);
  return log_.allocated();
}

int TApdBaseDispatcher::DumpLog(const std::string& path, bool append, bool hex) {
  std::string text;
  {
    std::lock_guard trace(traceLock_);
    if (!log_.allocated()) return ecLoggingNotEnabled;
    text = log_.dumpText(hex, heading_);
    log_.release();
  }
  return writeDump(path, text, append);
}

void TApdBaseDispatcher::SetLogDumpHeading(LogDumpHeading heading) {
  std::lock_guard trace(traceLock_);
  heading_ = std::move(heading);
}

void TApdBaseDispatcher::AddDispatchEntry(LogType type, LogSubType subType, std::uint32_t value,
                                          const std::uint8_t* data, std::size_t length) {
  std::lock_guard trace(traceLock_);
  logLocked(type, subType, value, data, length);
}

void TApdBaseDispatcher::logLocked(LogType type, LogSubType subType, std::uint32_t value,
                                   const std::uint8_t* data, std::size_t length) {
  if (log_.allocated()) log_.add(type, subType, elapsedMs(), value, data, length);
}

}  // namespace quillon::serial
