#pragma once
// The command-line tool's subcommands. Each lives in its own file and is listed once in
// command_table.cpp.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

struct CommandContext {
  std::vector<std::string> args;       // the words after the subcommand, global options removed
  std::optional<std::string> dataDir;  // --data-dir DIR, if given
  std::ostream& out;
  std::ostream& err;

  // Chooses the DataFolder (printing the fallback notice once) and makes it current.
  std::string dataFolder();
  bool hasFlag(const std::string& flag) const;
};

// A word typed on the command line as engine text (code page 1252): the terminal's UTF-8 is
// converted; a word that is not UTF-8 is taken as code page 1252 bytes already. File names
// stay as typed.
std::string engineText(const std::string& argument);

struct Command {
  const char* name;
  const char* usage;    // e.g. "settings [--data-dir DIR] [--json]"
  const char* summary;  // one line for --help
  int (*run)(CommandContext& context);
};

const std::vector<Command>& commands();

// Runs the tool with the process arguments; returns the exit status.
int runCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace quillon::cli
