// Any bytes a modem hands over while a fax is received: the page data reader, the training
// check, the response reader and the Class 2 report readers never crash, and the fax file
// written from the data always holds a sound page chain of exactly the ended pages.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fax/modem_strings.h"
#include "fax/page_data_reader.h"
#include "fax/received_fax_file.h"
#include "fax/response_reader.h"
#include "fax/training_check.h"
#include "faximage/fax_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  using namespace quillon::fax;
  if (size == 0) return 0;
  // Text answers and reports.
  ResponseReader reader;
  for (std::size_t i = 0; i < size; ++i) {
    if (reader.feed(data[i]) == ResponseReader::Item::line) {
      const std::string& l = reader.line();
      (void)ParseSessionReport(l);
      (void)ParseStationId(l);
      (void)ParseHangupCode(l);
      (void)ParsePageStatus(l);
    }
  }
  TrainingCheck check;
  for (std::size_t i = 0; i < size && !check.feed(data[i]); ++i) {
  }
  (void)check.passed();

  // Page data: the first byte picks the bit order; each DLE ETX ends a page, which is kept
  // or cut by the next byte's lowest bit; what is left at the end is broken off.
  static const std::string path = [] {
    char name[] = "/tmp/quillon-fuzz-rx-XXXXXX";
    int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  ReceivedFaxFile file;
  if (file.create(path, "FUZZ") < 0) return 0;
  PageDataReader pages(data[0] & 1);
  std::size_t at = 1, kept = 0;
  std::uint64_t expectedSize = faximage::kFaxHeaderSize;
  while (at < size) {
    if (file.beginPage(data[at] & 2, data[at] & 4) < 0) abort();
    std::string out;
    bool ended = false;
    at += pages.feed(data + at, size - at, out, ended);
    if (file.write(reinterpret_cast<const std::uint8_t*>(out.data()), out.size()) < 0) abort();
    if (!ended) break;
    if (at < size && (data[at] & 1)) {
      if (file.dropPage() < 0) abort();
    } else {
      if (file.endPage("FUZZ") < 0) abort();
      ++kept;
      expectedSize += faximage::kPageHeaderSize + out.size();
    }
  }
  if (file.close() < 0) abort();
  faximage::FaxHeader header;
  if (faximage::ReadFaxHeader(path, header) != 0 || header.pageCount != kept) abort();
  std::uint64_t end = faximage::kFaxHeaderSize;
  for (unsigned p = 1; p <= kept; ++p) {
    faximage::PageHeader ph;
    std::uint64_t offset = 0;
    if (faximage::FindPage(path, p, ph, &offset) != 0) abort();
    end = offset + ph.dataLength;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) abort();
  std::fseek(f, 0, SEEK_END);
  long length = std::ftell(f);
  std::fclose(f);
  if (static_cast<std::uint64_t>(length) != expectedSize || end != expectedSize) abort();
  return 0;
}
