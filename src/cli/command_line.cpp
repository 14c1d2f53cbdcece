#include <algorithm>
#include <ostream>

#include "cli/command.h"
#include "cli/gui_handover.h"
#include "platform/cp1252.h"
#include "platform/data_folder.h"
#include "platform/version.h"

namespace quillon::cli {

namespace {

void printHelp(std::ostream& out) {
  out << "Quillon " << kVersion << " - desktop fax for a fax modem on a serial port\n\n"
      << "Usage: quillon [--data-dir DIR] [COMMAND [OPTIONS]]\n\n"
      << "Options:\n"
      << "  --version        print the version\n"
      << "  --help           print this help\n"
      << "  --data-dir DIR   keep tables, QLN.INI and received faxes in DIR\n"
      << "                   (also set by the QUILLON_DATA environment variable)\n\n"
      << "Commands:\n";
  for (const Command& c : commands()) {
    std::string usage = c.usage;
    out << "  " << usage << "\n      " << c.summary << "\n";
  }
}

}  // namespace

std::string CommandContext::dataFolder() {
  auto choice = platform::chooseDataFolder(dataDir);
  if (!choice.notice.empty()) err << choice.notice << "\n";
  platform::setDataFolder(choice.path);
  return choice.path;
}

std::string engineText(const std::string& argument) {
  return platform::isValidUtf8(argument) ? platform::utf8ToCp1252(argument) : argument;
}

bool CommandContext::hasFlag(const std::string& flag) const {
  return std::find(args.begin(), args.end(), flag) != args.end();
}

bool opensMainWindow(int argc, char** argv, std::optional<std::string>* dataDir) {
  std::optional<std::string> folder;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--data-dir" && i + 1 < argc) folder = argv[++i];
    else if (word.rfind("--data-dir=", 0) == 0) folder = word.substr(11);
    else return false;
  }
  if (dataDir) *dataDir = folder;
  return true;
}

int runCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err, const std::vector<Command>& table) {
  std::vector<std::string> words(argv + 1, argv + argc);
  std::optional<std::string> dataDir;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--data-dir") {
      if (i + 1 >= words.size()) {
        err << "quillon: --data-dir needs a folder\n";
        return 2;
      }
      dataDir = words[++i];
    } else if (w.rfind("--data-dir=", 0) == 0) {
      dataDir = w.substr(11);
    } else {
      rest.push_back(w);
    }
  }
  if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
    printHelp(out);
    return 0;
  }
  if (rest[0] == "--version") {
    out << kApplicationTitle << " " << kVersion << "\n";
    return 0;
  }
  for (const Command& c : table) {
    if (rest[0] != c.name) continue;
    if (!c.run) return handOverToGui(argc, argv);
    CommandContext context{std::vector<std::string>(rest.begin() + 1, rest.end()), dataDir, out, err};
    if (context.hasFlag("--help")) {
      out << "Usage: quillon " << c.usage << "\n" << c.summary << "\n";
      return 0;
    }
    return c.run(context);
  }
  err << "quillon: unknown command '" << rest[0] << "' (try quillon --help)\n";
  return 2;
}

}  // namespace quillon::cli
