#include "serial/trigger_tables.h"

#include <algorithm>

namespace quillon::serial {

namespace {
constexpr int kCountedHandles = 4096;

template <typename Table>
auto findIn(Table& table, int handle) -> decltype(table.data()) {
  auto it = std::find_if(table.begin(), table.end(), [&](const auto& t) { return t.handle == handle; });
  return it == table.end() ? nullptr : &*it;
}
}  // namespace

bool TriggerTables::handleInUse(int handle) const {
  auto same = [&](const auto& t) { return (t.handle & ~7) == handle; };
  return std::any_of(timers.begin(), timers.end(), same) || std::any_of(data.begin(), data.end(), same) ||
         std::any_of(status.begin(), status.end(), same);
}

int TriggerTables::allocateHandle() {
  if (handleCounter < kCountedHandles) return handleCounter++ * 8;
  int handle = 8;
  while (handleInUse(handle)) handle += 8;
  return handle;
}

TimerTrigger* TriggerTables::findTimer(int handle) { return findIn(timers, handle); }
StatusTrigger* TriggerTables::findStatus(int handle) { return findIn(status, handle); }
DataTrigger* TriggerTables::findData(int handle) { return findIn(data, handle); }

bool TriggerTables::remove(int handle, int* kindOut) {
  auto drop = [&](auto& table, int kind) {
    auto it = std::find_if(table.begin(), table.end(), [&](const auto& t) { return t.handle == handle; });
    if (it == table.end()) return false;
    table.erase(it);
    if (kindOut) *kindOut = kind;
    return true;
  };
  return drop(timers, 0) || drop(status, 1) || drop(data, 2);
}

}  // namespace quillon::serial
