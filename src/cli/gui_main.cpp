// quillon-gui: the part of quillon that needs Qt. `quillon` execs it for the main window
// (no command, at most --data-dir DIR) and for the commands listed in gui_command_table.cpp.
#include <iostream>
#include <optional>
#include <string>

#include "app/application.h"
#include "cli/command.h"

int main(int argc, char** argv) {
  std::optional<std::string> dataDir;
  if (quillon::cli::opensMainWindow(argc, argv, &dataDir)) return quillon::app::runApplication(argc, argv, dataDir);
  return quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr, quillon::cli::guiCommands());
}
