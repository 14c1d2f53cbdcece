// quillon import: a TIFF (Class F or any bilevel TIFF) or raw Group 3 data into a fax file.
#include <ostream>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "errors/error_codes.h"

namespace quillon::cli {
namespace {

int importFax(CommandContext& c) {
  faximage::ImportOptions options;
  FaxArgs args;
  if (!args.parse(c.args, {"--station"}, {"--standard"}, c.err)) return 2;
  if (args.positional.size() != 2) {
    c.err << "usage: quillon import INPUT.tif|INPUT.g3 OUTPUT.APF [--station ID] [--standard]\n";
    return 2;
  }
  options.stationId = args.value("--station").value_or("");
  options.fineForRawData = !args.flag("--standard");
  int status = faximage::ImportTiffToFax(args.positional[0], args.positional[1], options);
  return status == ecOK ? 0 : reportStatus(c.err, "import", status);
}

}  // namespace

int runFaxImportCommand(CommandContext& context) {
  return guardFaxCommand(context.err, "import", &importFax, context);
}

}  // namespace quillon::cli
