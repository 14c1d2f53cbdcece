#include "cli/gui_handover.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/data_folder.h"

namespace quillon::cli {

int handOverToGui(int argc, char** argv) {
  // Beside the executable, as the data folder is: a copied folder keeps working as a whole.
  const std::string program = platform::executableFolder() + kGuiProgramName;
  std::vector<char*> args(argv, argv + argc);
  args.push_back(nullptr);
  ::execv(program.c_str(), args.data());
  const int error = errno;
  std::cerr << "quillon: cannot open the window: " << program << ": " << std::strerror(error) << "\n";
  return 1;
}

}  // namespace quillon::cli
