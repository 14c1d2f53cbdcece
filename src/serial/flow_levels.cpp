#include "serial/flow_levels.h"

#include <cstdint>

namespace quillon::serial {

unsigned percentOf(unsigned value, unsigned percent) {
  std::uint64_t scaled = static_cast<std::uint64_t>(value) * percent;
  std::uint64_t whole = scaled / 100, rest = scaled % 100;
  if (rest > 50 || (rest == 50 && whole % 2 == 1)) ++whole;
  return static_cast<unsigned>(whole);
}

namespace {
FlowLevels levels(unsigned inSize, unsigned full, unsigned resume, unsigned fullPct, unsigned resumePct) {
  if (full == 0 || full > inSize) full = percentOf(inSize, fullPct);
  if (resume == 0 || resume > full) resume = percentOf(inSize, resumePct);
  return {full, resume};
}
}  // namespace

FlowLevels hardwareFlowLevels(unsigned inSize, unsigned full, unsigned resume) {
  return levels(inSize, full, resume, 90, 10);
}

FlowLevels softwareFlowLevels(unsigned inSize, unsigned full, unsigned resume) {
  return levels(inSize, full, resume, 75, 25);
}

}  // namespace quillon::serial
