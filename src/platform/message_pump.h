#pragma once
// Long operations on the main thread call pumpMessages() between steps so that a window stays
// alive. The GUI installs a hook that processes pending events; headless, on the main thread,
// it runs the tasks queued on the headless loop.
#include <functional>

namespace quillon::platform {

void setMessagePump(std::function<void()> pump);  // empty restores the no-op
void pumpMessages();

}  // namespace quillon::platform
