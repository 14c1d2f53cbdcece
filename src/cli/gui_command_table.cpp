// The commands that need Qt, run inside quillon-gui. Each also stands in command_table.cpp
// with the same name and no run function, so that `quillon` lists it in --help and hands it
// over. A command that needs Qt (a rich-text rendering, for example `rtf FILE --pages DIR`)
// goes here with its run function, in a source file linked into quillon-gui only.
#include "cli/command.h"
#include "compose/render_command.h"
#include "richtext/rtf_pages_command.h"

namespace quillon::cli {

const std::vector<Command>& guiCommands() {
  static const std::vector<Command> table = {
      {"rtf", kRtfUsage, kRtfSummary,
       [](CommandContext& c) { return richtext::runRtfPagesCommand(c.args, c.out, c.err); }},
      {"render", kRenderUsage, kRenderSummary,
       [](CommandContext& c) { return compose::runRenderCommand(c.args, c.dataFolder(), c.out, c.err); }},
  };
  return table;
}

}  // namespace quillon::cli
