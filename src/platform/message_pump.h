#pragma once
// Long operations on the main thread call pumpMessages() between steps so that a window stays
// alive. The GUI installs a hook that processes pending events; headless it does nothing.
#include <functional>

namespace quillon::platform {

void setMessagePump(std::function<void()> pump);  // empty restores the no-op
void pumpMessages();

}  // namespace quillon::platform
