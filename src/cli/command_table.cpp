#include "cli/command.h"
#ifdef QUILLON_RTF_PAGES_COMMAND
#include "richtext/rtf_pages_command.h"  // needs Qt; built only with it
#endif

namespace quillon::cli {

int runFaxConvertCommand(CommandContext& context);
int runFaxExportCommand(CommandContext& context);
int runFaxImportCommand(CommandContext& context);
int runFaxInfoCommand(CommandContext& context);
int runPortsCommand(CommandContext& context);
int runSettingsCommand(CommandContext& context);
int runTableCommand(CommandContext& context);

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"convert", "convert INPUT OUTPUT.APF [--type text|textex|tiff|pcx|dcx|bmp] [--fine] [--wide] [--station ID] ...",
       "convert a text file or image into a fax file", runFaxConvertCommand},
      {"export", "export INPUT.APF OUTPUT [--page N] [--format bmp|pcx|dcx|tiff|pbm]",
       "write a fax page as an image, or the whole fax as TIFF Class F", runFaxExportCommand},
      {"import", "import INPUT.tif OUTPUT.APF [--station ID] [--standard]",
       "read a TIFF fax or raw Group 3 data into a fax file", runFaxImportCommand},
      {"info", "info INPUT.APF [--json]", "show a fax file's header and pages", runFaxInfoCommand},
      {"ports", "ports [--data-dir DIR] [--map COMn DEVICE]",
       "list COMn -> device -> exists / in use; --map sets where COMn leads", runPortsCommand},
      {"settings", "settings [--data-dir DIR] [--json]",
       "print every settings key with its effective value", runSettingsCommand},
      {"table", "table dump|query|check|rebuild ... (quillon table for the forms)",
       "dump, query or check an xBase table; rebuild the fax tables' indexes", runTableCommand},
#ifdef QUILLON_RTF_PAGES_COMMAND
      {"rtf", "rtf FILE.rtf --pages OUTDIR [--zoom N]", "lay out an RTF document and write each page as PNG",
       [](CommandContext& c) { return richtext::runRtfPagesCommand(c.args, c.out, c.err); }},
#endif
  };
  return table;
}

}  // namespace quillon::cli
