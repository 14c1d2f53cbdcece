#include "cli/command.h"

namespace quillon::cli {

int runFaxConvertCommand(CommandContext& context);
int runFaxExportCommand(CommandContext& context);
int runFaxImportCommand(CommandContext& context);
int runFaxInfoCommand(CommandContext& context);
int runPortsCommand(CommandContext& context);
int runReceiveCommand(CommandContext& context);
int runSendCommand(CommandContext& context);
int runSettingsCommand(CommandContext& context);
int runSpellCommand(CommandContext& context);
int runTableCommand(CommandContext& context);

// A command that needs Qt stands here with run = nullptr (quillon hands it to quillon-gui)
// and again, with its run function, in gui_command_table.cpp.
const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"convert", "convert INPUT OUTPUT.APF [--type text|textex|tiff|pcx|dcx|bmp] [--fine] [--wide] [--station ID] ...",
       "convert a text file or image into a fax file", runFaxConvertCommand},
      {"export", "export INPUT.APF OUTPUT [--page N] [--format bmp|pcx|dcx|tiff|pdf|pbm]",
       "write a fax page as an image, or the whole fax as TIFF Class F or PDF", runFaxExportCommand},
      {"import", "import INPUT.tif OUTPUT.APF [--station ID] [--standard]",
       "read a TIFF fax or raw Group 3 data into a fax file", runFaxImportCommand},
      {"info", "info INPUT.APF [--json]", "show a fax file's header and pages", runFaxInfoCommand},
      {"ports", "ports [--data-dir DIR] [--map COMn DEVICE]",
       "list COMn -> device -> exists / in use; --map sets where COMn leads", runPortsCommand},
      {"receive",
       "receive [--port COMn | --device PATH] [--class auto|1|2|2.0] [--rings N] [--station ID] [--dir DIR] "
       "[--bps N] [--one] [--log FILE]",
       "wait for calls and store received faxes as fax files (Ctrl+C stops)", runReceiveCommand},
      {"send",
       "send --number NUMBER [--port COMn | --device PATH] [--class auto|1|2|2.0] [--station ID] [--header TEXT] "
       "[--cover FILE] [--bps N] [--attempts N] [--retry-wait S] [--log FILE] FILE...",
       "send fax files (APF, text, TIFF) through a fax modem", runSendCommand},
      {"settings", "settings [--data-dir DIR] [--json]",
       "print every settings key with its effective value", runSettingsCommand},
      {"spell", "spell check FILE.txt|FILE.rtf | suggest WORD | add WORD | dump FILE.dct [--data-dir DIR]",
       "check a text's spelling, suggest words, add a word to qlnu.dct, list a dictionary", runSpellCommand},
      {"table", "table dump|query|check|rebuild ... (quillon table for the forms)",
       "dump, query or check an xBase table; rebuild the fax tables' indexes", runTableCommand},
#ifdef QUILLON_WITH_GUI
      {"rtf", kRtfUsage, kRtfSummary, nullptr},
      {"render", kRenderUsage, kRenderSummary, nullptr},
#endif
  };
  return table;
}

}  // namespace quillon::cli
