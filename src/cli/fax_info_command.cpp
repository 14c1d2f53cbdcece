// quillon info: the header of a fax file and, per page, its flags, data length and lines.
#include <cstdio>
#include <ctime>
#include <ostream>

#include "cli/command.h"
#include "cli/fax_command_args.h"
#include "faximage/fax_file.h"
#include "faximage/fax_page_reader.h"
#include "faximage/fax_unpacker.h"
#include "platform/json_text.h"
#include "platform/cp1252.h"
#include "errors/error_codes.h"

namespace quillon::cli {
namespace {

using namespace faximage;


std::string dateText(uint32_t packed) {
  if (packed == 0) return "";
  std::tm t = unpackDosDateTime(packed);
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

int info(CommandContext& c) {
  FaxArgs args;
  if (!args.parse(c.args, {}, {"--json"}, c.err)) return 2;
  if (args.positional.size() != 1) {
    c.err << "usage: quillon info INPUT.APF [--json]\n";
    return 2;
  }
  const std::string& file = args.positional[0];
  FaxHeader header;
  if (int status = ReadFaxHeader(file, header); status != ecOK) return reportStatus(c.err, "info", status);
  const bool json = args.flag("--json");
  if (json) {
    c.out << "{\"file\": " << platform::jsonString(file) << ", \"stationId\": " << platform::jsonString(header.stationId)
          << ", \"date\": \"" << dateText(header.dateTime) << "\", \"pageCount\": " << header.pageCount
          << ", \"firstPageOffset\": " << header.firstPageOffset << ", \"pages\": [";
  } else {
    c.out << "File:        " << platform::cp1252ToUtf8(file) << "\nStation ID:  "
          << platform::cp1252ToUtf8(header.stationId) << "\nDate:        " << dateText(header.dateTime)
          << "\nPages:       " << header.pageCount << "\n";
  }
  TApdFaxUnpacker unpacker;
  unpacker.Loading = true;
  unpacker.AutoScaleMode = asNone;
  unpacker.SetInFileName(file);
  FaxPageReader chain;  // one walk along the pages for their headers
  if (int status = chain.open(file); status != ecOK) return reportStatus(c.err, "info", status);
  for (unsigned page = 1; page <= header.pageCount; ++page) {
    if (int status = chain.findPage(page); status != ecOK) return reportStatus(c.err, "info", status);
    const PageHeader& ph = chain.page();
    int lines = 0;
    unpacker.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t*, int, int) { lines += !s && !e; };
    int status = unpacker.UnpackPage(page);
    if (json) {
      c.out << (page > 1 ? ", " : "") << "{\"page\": " << page << ", \"flags\": " << ph.flags
            << ", \"fine\": " << (ph.highRes() ? "true" : "false") << ", \"wide\": " << (ph.wide() ? "true" : "false")
            << ", \"lineRecords\": " << (ph.lengthWords() ? "true" : "false") << ", \"dataLength\": " << ph.dataLength
            << ", \"lines\": " << lines << (status == ecOK ? "" : ", \"damaged\": true") << "}";
    } else {
      c.out << "Page " << page << ":      " << (ph.highRes() ? "fine" : "standard") << ", "
            << (ph.wide() ? "2048" : "1728") << " pixels, " << (ph.lengthWords() ? "line records" : "received data")
            << ", " << ph.dataLength << " bytes, " << lines << " lines" << (status == ecOK ? "" : " (damaged)") << "\n";
    }
  }
  if (json) c.out << "]}\n";
  return 0;
}

}  // namespace

int runFaxInfoCommand(CommandContext& context) { return guardFaxCommand(context.err, "info", &info, context); }

}  // namespace quillon::cli
