#include "fax_files.h"

#include <cstdint>
#include <ctime>

#include "faximage/fax_file_writer.h"
#include "faximage/fax_page_reader.h"
#include "faximage/mh_encoder.h"

namespace quillon::modem {

int loadFaxFile(const std::string& path, std::vector<FaxPage>& pages) {
  faximage::FaxPageReader reader;
  int status = reader.open(path);
  if (status < 0) return status;
  pages.clear();
  for (unsigned p = 1; p <= reader.header().pageCount; ++p) {
    if ((status = reader.findPage(p)) < 0) return status;
    FaxPage page;
    page.fine = reader.page().highRes();
    page.wide = reader.page().wide();
    while (true) {
      const std::uint8_t* data = nullptr;
      std::size_t size = 0;
      if ((status = reader.nextChunk(data, size)) < 0) return status;
      if (size == 0 && reader.bytesRead() >= reader.page().dataLength) break;
      page.data.append(reinterpret_cast<const char*>(data), size);
    }
    pages.push_back(std::move(page));
  }
  return 0;
}

int saveFaxFile(const std::string& path, const ReceivedFax& fax) {
  faximage::FaxFileWriter writer;
  int status = writer.create(path);
  for (const auto& page : fax.pages) {
    if (status < 0) break;
    std::uint16_t flags = (page.fine ? faximage::PageFlagHighRes : 0) | (page.wide ? faximage::PageFlagWide : 0);
    status = writer.beginPage(flags);
    if (status >= 0)
      status = writer.writeData(reinterpret_cast<const std::uint8_t*>(page.data.data()), page.data.size());
    if (status >= 0) status = writer.endPage();
  }
  if (status >= 0) status = writer.finish(fax.remoteId, std::time(nullptr));
  return status < 0 ? status : 0;
}

FaxPage samplePage(bool fine) {
  constexpr int kWidth = 1728;
  const int lines = fine ? 2200 : 1100;
  FaxPage page;
  page.fine = fine;
  faximage::LineGeometry geometry;
  geometry.leftMargin = 0;
  std::vector<std::uint8_t> raster(kWidth / 8);
  std::vector<std::uint8_t> code(faximage::kCodeBufferSize);
  auto setRun = [&](int from, int to) {
    for (int x = from; x < to; ++x) raster[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
  };
  for (int y = 0; y < lines; ++y) {
    std::fill(raster.begin(), raster.end(), 0);
    int row = fine ? y / 2 : y;
    bool frameRow = row < 12 || row >= 1088 || (row >= 90 && row < 96);
    if (frameRow && row >= 0) setRun(40, kWidth - 40);
    setRun(40, 52);
    setRun(kWidth - 52, kWidth - 40);
    // A title bar and rows of blocks like lines of text.
    if (row >= 30 && row < 70) setRun(120, 900);
    if (row >= 140 && row < 1040 && row % 40 < 18)
      for (int x = 120; x < kWidth - 200; x += 72 + (row / 40 % 3) * 8) setRun(x, x + 52);
    std::size_t n = faximage::encodeRasterLine(geometry, raster.data(), code.data());
    page.data.append(reinterpret_cast<const char*>(code.data()), n);
  }
  page.data.append(reinterpret_cast<const char*>(faximage::kEndOfPageRecord), sizeof faximage::kEndOfPageRecord);
  return page;
}

}  // namespace quillon::modem
