#include <iostream>
#include <optional>
#include <string>

#include "cli/command.h"
#include "platform/main_thread.h"
#ifdef QUILLON_WITH_GUI
#include "app/application.h"
#endif

namespace {
#ifdef QUILLON_WITH_GUI
// Without a command (at most --data-dir DIR) Quillon opens its main window.
bool wantsWindow(int argc, char** argv, std::optional<std::string>& dataDir) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--data-dir" && i + 1 < argc) {
      dataDir = argv[++i];
    } else if (word.rfind("--data-dir=", 0) == 0) {
      dataDir = word.substr(11);
    } else {
      return false;
    }
  }
  return true;
}
#endif
}  // namespace

int main(int argc, char** argv) {
#ifdef QUILLON_WITH_GUI
  std::optional<std::string> dataDir;
  if (wantsWindow(argc, argv, dataDir)) return quillon::app::runApplication(argc, argv, dataDir);
#endif
  // Commands run headless: this thread is their main thread, where the port's and the fax
  // sessions' notifications are delivered while the command waits.
  quillon::platform::HeadlessMainLoop loop;
  quillon::platform::installMainThread(&loop);
  int status = quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr);
  quillon::platform::installMainThread(nullptr);
  return status;
}
