// Any bytes as traced and logged line traffic: the dumps keep their line limits (trace
// lines under 78 columns, log lines at most 78) and end every line with CR LF.
#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/dispatch_log.h"
#include "serial/trace_buffer.h"

namespace {
void checkLines(const std::string& text, std::size_t limit) {
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) __builtin_trap();  // every line ends with CR LF
    if (end - start > limit) __builtin_trap();
    start = end + 2;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::serial;
  if (size < 1) return 0;
  TraceBuffer trace;
  trace.allocate(1 + data[0] % 64);
  DispatchLog log;
  log.allocate(4096, 256);
  for (std::size_t i = 1; i < size;) {
    char kind = (data[i] & 1) ? 'R' : (data[i] & 2) ? 'T' : static_cast<char>(data[i]);
    std::size_t n = std::min<std::size_t>(size - i - 1, data[i] >> 2);
    trace.add(kind, data + i + 1, n);
    log.add(static_cast<LogType>(data[i] % 20), static_cast<LogSubType>(1 + data[i] % 19),
            static_cast<std::uint32_t>(i * 977), data[i], data + i + 1, n);
    i += 1 + n;
  }
  checkLines(trace.dumpText(data[0] & 1), 77);
  std::string logText = log.dumpText(data[0] & 2, {"fuzz", "Linux"});
  // Heading lines are free; entry lines keep the limit unless their fixed columns overflow.
  checkLines(logText.substr(logText.find("---------\r\n") + 11), 90);
  return 0;
}
