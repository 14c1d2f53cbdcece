#pragma once
// The program's start with a window: single-instance guard, application title, main window,
// shared input dialog, receive-mode notice, then the message loop until the main window
// closes. Returns the exit status.
#include <functional>
#include <optional>
#include <string>

namespace quillon::app {

class TMainScreen;
// Lets the program plug the windows of higher libraries (viewer, editor) into the main window
// once it is created.
using MainScreenSetup = std::function<void(TMainScreen&)>;

int runApplication(int argc, char** argv, const std::optional<std::string>& dataDir, const MainScreenSetup& setUp = {});

}  // namespace quillon::app
