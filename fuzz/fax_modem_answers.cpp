// Any bytes from a fax modem: the answer reader splits them into lines and frames, and every
// line goes through each reader of Class 2 / 2.0 reports and class answers. Nothing may
// crash, read past its input, or give a value outside what the engine can use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fax/modem_strings.h"
#include "fax/response_reader.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool knownRate(int bps) {
  return bps == 2400 || bps == 4800 || bps == 7200 || bps == 9600 || bps == 12000 || bps == 14400;
}

void readReports(const std::string& line) {
  using namespace quillon::fax;
  SessionReport r = ParseSessionReport(line);
  require(knownRate(r.bps));
  require(r.scanIndex >= 0 && r.scanIndex <= 7);
  int minimum = MinimumBytesPerLine(r.scanIndex, r.fine, r.bps);
  require(minimum >= 0 && minimum <= 40 * 14400 / 8000);
  std::string id = ParseStationId(line);
  require(id.size() <= 20);
  int hangup = ParseHangupCode(line);
  require(hangup >= 0 && hangup <= 999);
  ParsePageStatus(line);
  TFaxClass chosen = ChooseClass(ParseClassAnswer(line));
  require(chosen == fcClass1 || chosen == fcClass2 || chosen == fcClass2_0 || chosen == fcUnknown);
  // The answer classes are plain substring tests; they must take any line.
  (void)(isOk(line) || isConnect(line) || isNoCarrier(line) || isError(line) || isBusy(line) ||
         isNoAnswer(line) || isVoice(line) || isNoDialTone(line) || isRing(line));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quillon::fax::ResponseReader;
  ResponseReader reader;
  for (std::size_t i = 0; i < size; ++i) {
    ResponseReader::Item item = reader.feed(data[i]);
    require(reader.raw().size() <= ResponseReader::kMaxBytes);
    require(reader.line().size() <= ResponseReader::kMaxLineChars);
    if (item == ResponseReader::Item::line) {
      const std::string& line = reader.line();
      require(!line.empty() && line.front() != ' ' && line.back() != ' ');
      for (char c : line) require(static_cast<unsigned char>(c) >= 32);
      readReports(line);
      reader.clear();
    } else if (item == ResponseReader::Item::frame) {
      require(reader.raw().size() >= 2);
      reader.clear();
    }
  }
  // A line cut off by the end of the input is read as it stands.
  readReports(reader.line());
  return 0;
}
