// quillon: the headless commands, without Qt. Without a command it opens the main window by
// handing over to quillon-gui (see gui_handover.h).
#include <iostream>

#include "cli/command.h"
#include "cli/gui_handover.h"
#include "platform/main_thread.h"

int main(int argc, char** argv) {
#ifdef QUILLON_WITH_GUI
  if (quillon::cli::opensMainWindow(argc, argv)) return quillon::cli::handOverToGui(argc, argv);
#endif
  // Commands run headless: this thread is their main thread, where the port's and the fax
  // sessions' notifications are delivered while the command waits.
  quillon::platform::HeadlessMainLoop loop;
  quillon::platform::installMainThread(&loop);
  int status = quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr);
  quillon::platform::installMainThread(nullptr);
  return status;
}
