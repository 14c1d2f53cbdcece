// quillon-gui: the part of quillon that needs Qt. `quillon` execs it for the main window
// (no command, at most --data-dir DIR) and for the commands listed in gui_command_table.cpp.
#include <iostream>
#include <optional>
#include <string>

#include "app/application.h"
#include "cli/command.h"
#include "compose/view_fax.h"
#include "platform/main_thread.h"

int main(int argc, char** argv) {
  std::optional<std::string> dataDir;
  if (quillon::cli::opensMainWindow(argc, argv, &dataDir)) return quillon::app::runApplication(argc, argv, dataDir, [](quillon::app::TMainScreen& screen) {
      quillon::compose::installFaxViewer(screen);
    });
  // Its commands run headless too, with this thread as their main thread.
  quillon::platform::HeadlessMainLoop loop;
  quillon::platform::installMainThread(&loop);
  int status = quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr, quillon::cli::guiCommands());
  quillon::platform::installMainThread(nullptr);
  return status;
}
