// quillon: the headless commands, without Qt. Without a command it opens the main window by
// handing over to quillon-gui (see gui_handover.h).
#include <iostream>

#include "cli/command.h"
#include "cli/gui_handover.h"

int main(int argc, char** argv) {
#ifdef QUILLON_WITH_GUI
  if (quillon::cli::opensMainWindow(argc, argv)) return quillon::cli::handOverToGui(argc, argv);
#endif
  return quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr);
}
