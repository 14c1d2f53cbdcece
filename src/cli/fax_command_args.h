#pragma once
// Argument helpers of the fax image subcommands (convert, export, import, info).
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"

namespace quillon::cli {

struct FaxArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;  // --name value
  std::vector<std::string> flags;                            // --name

  // Splits the words; `valued` lists the options that take a value. False (with a message)
  // for an unknown option or a missing value.
  bool parse(const std::vector<std::string>& args, const std::vector<std::string>& valued,
             const std::vector<std::string>& switches, std::ostream& err);
  std::optional<std::string> value(const std::string& name) const;
  bool flag(const std::string& name) const;
};

// Prints the text of a status code ("quillon: <what>: <text>") and returns the exit status 1.
int reportStatus(std::ostream& err, const std::string& what, int status);
// Runs `body`, turning exceptions of the error layer into a message and exit status 1.
int guardFaxCommand(std::ostream& err, const std::string& what, int (*body)(CommandContext&), CommandContext& c);

}  // namespace quillon::cli
