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
  // nullptr: the command needs Qt; quillon hands it to quillon-gui (gui_handover.h), whose
  // table guiCommands() runs it.
  int (*run)(CommandContext& context);
};

// The words both tables show for a command that runs in quillon-gui.
inline constexpr const char* kRtfUsage = "rtf FILE.rtf --pages OUTDIR [--zoom N]";
inline constexpr const char* kRtfSummary = "lay out an RTF document and write each page as PNG";
inline constexpr const char* kRenderUsage =
    "render OUT.APF [--record N | --cover FILE.rtf --document FILE.rtf] [--data-dir DIR]";
inline constexpr const char* kRenderSummary = "render a stored fax (or RTF files) into a fax file";

const std::vector<Command>& commands();     // every command, as quillon knows them
const std::vector<Command>& guiCommands();  // the Qt ones with their run functions (quillon-gui)

// Runs the tool with the process arguments and a command table; returns the exit status.
int runCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err,
                   const std::vector<Command>& table = commands());

// True when the arguments name no command (at most --data-dir DIR): the main window opens.
// `dataDir` receives the folder given, if any.
bool opensMainWindow(int argc, char** argv, std::optional<std::string>* dataDir = nullptr);

}  // namespace quillon::cli
