// quillon export: a page of a fax file as BMP, PCX, DCX or PBM, or the whole fax as TIFF F or PDF.
#include <fstream>
#include <ostream>
#include <vector>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_unpacker.h"
#include "faximage/pdf_fax/pdf_fax.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "errors/error_codes.h"

namespace quillon::cli {
namespace {

using namespace faximage;

std::string lowerExtension(const std::string& path) {
  std::string ext = hasExtension(path) ? path.substr(path.find_last_of('.') + 1) : "";
  for (char& ch : ext) ch = char(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

// The page's lines as they were coded (1728 or 2048 pixels, 1 = black) in a raw PBM.
int writePbm(TApdFaxUnpacker& unpacker, unsigned page, const std::string& path) {
  std::vector<std::vector<uint8_t>> lines;
  unpacker.AutoScaleMode = asNone;
  unpacker.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t* d, int n, int) {
    if (!s && !e) lines.emplace_back(d, d + n);
  };
  if (int status = unpacker.UnpackPage(page); status != ecOK) return status;
  if (lines.empty()) return ecCantMakeBitmap;  // as the image writers refuse an empty page
  size_t bytes = 0;
  for (const auto& l : lines) bytes = std::max(bytes, l.size());
  std::ofstream out(path, std::ios::binary);
  out << "P4\n" << bytes * 8 << " " << lines.size() << "\n";
  for (auto& l : lines) {
    l.resize(bytes);
    out.write(reinterpret_cast<const char*>(l.data()), std::streamsize(l.size()));
  }
  return out.flush() ? ecOK : ecDiskFull;
}

int nothingToExport(CommandContext& c, const std::string& why) {
  c.err << "quillon: export: " << why << "; nothing was written\n";
  return 1;
}

int exportFax(CommandContext& c) {
  FaxArgs args;
  if (!args.parse(c.args, {"--page", "--format"}, {}, c.err)) return 2;
  if (args.positional.size() != 2) {
    c.err << "usage: quillon export INPUT.APF OUTPUT [--page N] [--format bmp|pcx|dcx|tiff|pdf|pbm]\n";
    return 2;
  }
  const std::string& input = args.positional[0];
  const std::string& output = args.positional[1];
  std::string format = args.value("--format").value_or(lowerExtension(output));
  if (format == "tif") format = "tiff";
  unsigned page = unsigned(std::stoul(args.value("--page").value_or("1")));
  if (format == "tiff" || format == "pdf") {
    int status = format == "tiff" ? ExportFaxToTiff(input, output) : ExportFaxToPdf(input, output);
    if (status == ecInvalidPageNumber) return nothingToExport(c, input + " has no pages");
    return status == ecOK ? 0 : reportStatus(c.err, "export", status);
  }
  TApdFaxUnpacker unpacker;
  unpacker.SetInFileName(input);
  unpacker.SetOutFileName(output);
  // Statuses come back as numbers, so every code is reported with its own text.
  unpacker.Loading = true;
  int status = ecOK;
  if (format == "bmp") status = unpacker.DecodePageToBmp(page);
  else if (format == "pcx") status = unpacker.DecodePageToPcx(page);
  else if (format == "dcx") status = unpacker.DecodePageToDcx(page);
  else if (format == "pbm") status = writePbm(unpacker, page, output);
  else {
    c.err << "quillon: unknown format " << format << " (use --format)\n";
    return 2;
  }
  if (status == ecCantMakeBitmap) return nothingToExport(c, "page " + std::to_string(page) + " has no lines");
  return status == ecOK ? 0 : reportStatus(c.err, "export", status);
}

}  // namespace

int runFaxExportCommand(CommandContext& context) {
  return guardFaxCommand(context.err, "export", &exportFax, context);
}

}  // namespace quillon::cli
