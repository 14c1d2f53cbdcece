#pragma once
// The process-wide list of dispatchers. A new dispatcher takes the first free slot; its slot
// number travels in the high 16 bits of every notification's second parameter, so a
// notification can be traced back to its port.
#include <mutex>

namespace quillon::serial {

class TApdBaseDispatcher;

std::mutex& dispatcherListLock();
int addToDispatcherList(TApdBaseDispatcher* dispatcher);
// Clears the slot and drops empty slots at the end of the list.
void removeFromDispatcherList(int slot);
// The dispatcher in `slot`, or nullptr; the caller holds dispatcherListLock().
TApdBaseDispatcher* dispatcherInSlot(int slot);
int dispatcherListSize();

}  // namespace quillon::serial
