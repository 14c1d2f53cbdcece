// quillon convert: a text file or image into a fax file.
#include <ostream>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "faximage/fax_converter.h"
#include "errors/error_codes.h"

namespace quillon::cli {
namespace {

using namespace faximage;

TFaxInputDocumentType typeFor(const std::string& name) {
  static const std::pair<const char*, TFaxInputDocumentType> kTypes[] = {
      {"text", idText}, {"txt", idText}, {"textex", idTextEx}, {"tiff", idTiff}, {"tif", idTiff},
      {"pcx", idPcx},   {"dcx", idDcx},  {"bmp", idBmp}};
  std::string lower;
  for (char c : name) lower += char(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& [n, t] : kTypes)
    if (lower == n) return t;
  return idNone;
}

int convert(CommandContext& c) {
  FaxArgs args;
  if (!args.parse(c.args, {"--type", "--station", "--left-margin", "--top-margin", "--lines-per-page", "--font-size"},
                  {"--fine", "--wide", "--small-font", "--no-double-width", "--no-centre", "--half-height"}, c.err))
    return 2;
  if (args.positional.size() != 2) {
    c.err << "usage: quillon convert INPUT OUTPUT.APF [--type text|textex|tiff|pcx|dcx|bmp] [--fine] [--wide] "
             "[--station ID] [--left-margin N] [--top-margin N] [--lines-per-page N] [--small-font]\n";
    return 2;
  }
  const std::string& input = args.positional[0];
  std::string type = args.value("--type").value_or(input.substr(input.find_last_of('.') + 1));
  TApdFaxConverter converter;
  converter.SetInputDocumentType(typeFor(type));
  if (converter.InputDocumentType() == idNone) {
    c.err << "quillon: unknown input type " << type << " (use --type)\n";
    return 2;
  }
  unsigned options = converter.Options();
  if (args.flag("--no-double-width")) options &= ~coDoubleWidth;
  if (args.flag("--no-centre")) options &= ~coCenterImage;
  if (args.flag("--half-height")) options |= coHalfHeight;
  converter.SetOptions(options);
  converter.SetResolution(args.flag("--fine") ? frHigh : frNormal);
  converter.SetWidth(args.flag("--wide") ? fwWide : fwNormal);
  converter.SetFontType(args.flag("--small-font") ? ffSmall : ffStandard);
  if (auto v = args.value("--left-margin")) converter.SetLeftMargin(unsigned(std::stoul(*v)));
  if (auto v = args.value("--top-margin")) converter.SetTopMargin(unsigned(std::stoul(*v)));
  if (auto v = args.value("--lines-per-page")) converter.SetLinesPerPage(unsigned(std::stoul(*v)));
  if (auto v = args.value("--font-size")) {
    FontChoice font = converter.EnhFont();
    font.pointSize = std::stoi(*v);
    converter.SetEnhFont(font);
  }
  converter.StationID = args.value("--station").value_or("");
  converter.SetDocumentFile(input);
  converter.SetOutFileName(args.positional[1]);
  // Statuses come back as numbers, so every code is reported with its own text.
  converter.Loading = true;
  if (int status = converter.ConvertDocument(); status != ecOK) return reportStatus(c.err, "convert", status);
  c.out << converter.OutputFileName() << "\n";
  return 0;
}

}  // namespace

int runFaxConvertCommand(CommandContext& context) {
  return guardFaxCommand(context.err, "convert", &convert, context);
}

}  // namespace quillon::cli
