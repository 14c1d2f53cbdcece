#include "cli/command.h"

namespace quillon::cli {

int runSettingsCommand(CommandContext& context);

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"settings", "settings [--data-dir DIR] [--json]",
       "print every settings key with its effective value", runSettingsCommand},
  };
  return table;
}

}  // namespace quillon::cli
