#pragma once
// Runs the quillon command line in-process and captures what it prints.
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace quillon::test {

struct CommandRun {
  int status;
  std::string out, err;
};

inline CommandRun runQuillon(std::vector<std::string> words) {
  words.insert(words.begin(), "quillon");
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  std::ostringstream out, err;
  int status = cli::runCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, out.str(), err.str()};
}

}  // namespace quillon::test
