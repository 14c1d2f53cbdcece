#include "cli/command.h"

namespace quillon::cli {

int runSettingsCommand(CommandContext& context);
int runTableCommand(CommandContext& context);

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"settings", "settings [--data-dir DIR] [--json]",
       "print every settings key with its effective value", runSettingsCommand},
      {"table", "table dump|query|check|rebuild ... (quillon table for the forms)",
       "dump, query or check an xBase table; rebuild the fax tables' indexes", runTableCommand},
  };
  return table;
}

}  // namespace quillon::cli
