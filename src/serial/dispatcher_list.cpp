#include "serial/dispatcher_list.h"

#include <vector>

namespace quillon::serial {

namespace {
std::vector<TApdBaseDispatcher*>& list() {
  static std::vector<TApdBaseDispatcher*> dispatchers;
  return dispatchers;
}
}  // namespace

std::mutex& dispatcherListLock() {
  static std::mutex lock;
  return lock;
}

int addToDispatcherList(TApdBaseDispatcher* dispatcher) {
  std::lock_guard guard(dispatcherListLock());
  auto& l = list();
  for (std::size_t i = 0; i < l.size(); ++i)
    if (!l[i]) {
      l[i] = dispatcher;
      return static_cast<int>(i);
    }
  l.push_back(dispatcher);
  return static_cast<int>(l.size() - 1);
}

void removeFromDispatcherList(int slot) {
  std::lock_guard guard(dispatcherListLock());
  auto& l = list();
  if (slot < 0 || static_cast<std::size_t>(slot) >= l.size()) return;
  l[static_cast<std::size_t>(slot)] = nullptr;
  while (!l.empty() && !l.back()) l.pop_back();
}

TApdBaseDispatcher* dispatcherInSlot(int slot) {
  auto& l = list();
  if (slot < 0 || static_cast<std::size_t>(slot) >= l.size()) return nullptr;
  return l[static_cast<std::size_t>(slot)];
}

int dispatcherListSize() {
  std::lock_guard guard(dispatcherListLock());
  return static_cast<int>(list().size());
}

}  // namespace quillon::serial
