// Any bytes read from a Class 1 modem as a received frame: the frame reader, the response
// reader and the DIS / DCS / ID decoders never crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fax/dis_dcs.h"
#include "fax/modem_strings.h"
#include "fax/response_reader.h"
#include "fax/t30_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::fax;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ResponseReader reader;
  for (std::size_t i = 0; i < size; ++i) {
    if (reader.feed(data[i]) == ResponseReader::Item::frame) {
      (void)t30::ParseFrameBytes(reader.raw());
      reader.clear();
    }
  }
  auto frame = t30::ParseFrameBytes(bytes);
  if (!frame) return 0;
  t30::DisCapabilities dis = t30::DecodeDis(frame->info);
  t30::DcsSettings dcs = t30::DecodeDcs(frame->info);
  (void)t30::CarrierCode(dcs, true);
  (void)t30::ReadId(frame->info);
  (void)t30::FcfName(frame->fcf);
  (void)MinimumBytesPerLine(dis.scanIndex, dis.fine, dcs.bps);
  (void)t30::ParseFrameBytes(t30::BuildFrame(frame->fcf, frame->final(), frame->info));
  return 0;
}
