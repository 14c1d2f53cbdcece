#pragma once
// The program's start with a window: single-instance guard, application title, main window,
// shared input dialog, receive-mode notice, then the message loop until the main window
// closes. Returns the exit status.
#include <optional>
#include <string>

namespace quillon::app {

int runApplication(int argc, char** argv, const std::optional<std::string>& dataDir);

}  // namespace quillon::app
