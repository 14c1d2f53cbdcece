#include "faximage/fax_file_writer.h"

#include <limits>

#include "faximage/byte_order.h"
#include "errors/error_codes.h"

namespace quillon::faximage {

int FaxFileWriter::create(const std::string& path) {
  abandon();
  header_ = FaxHeader{};
  int status = out_.create(path);
  if (status != ecOK) return status;
  uint8_t b[kFaxHeaderSize];
  header_.serialize(b);
  // The empty header carries no station ID yet.
  std::fill(b + 10, b + 31, uint8_t(0));
  status = out_.write(b, sizeof b);
  if (status != ecOK) abandon();
  return status;
}

int FaxFileWriter::beginPage(uint16_t flags) {
  page_ = PageHeader{0, flags};
  pageHeaderAt_ = out_.position();
  inPage_ = true;
  uint8_t b[kPageHeaderSize];
  page_.serialize(b);
  return out_.write(b, sizeof b);
}

int FaxFileWriter::writeData(const uint8_t* data, size_t length) {
  // The page length is a 32-bit number; a page that would pass it cannot be stored.
  if (uint64_t(page_.dataLength) + length > std::numeric_limits<uint32_t>::max()) return ecBufferTooBig;
  page_.dataLength += uint32_t(length);
  return out_.write(data, length);
}

int FaxFileWriter::writeRecord(const uint8_t* code, size_t length) {
  if (length > 0xFFFF) return ecBadArgument;
  uint8_t word[2];
  putLe16(word, uint16_t(length));
  int status = writeData(word, 2);
  return status == ecOK ? writeData(code, length) : status;
}

int FaxFileWriter::endPage() {
  // The page count is 16 bits; one more page would wrap it and lose the others.
  if (header_.pageCount == std::numeric_limits<uint16_t>::max()) return ecBufferTooBig;
  ++header_.pageCount;
  inPage_ = false;
  uint64_t end = out_.position();
  uint8_t b[kPageHeaderSize];
  page_.serialize(b);
  int status = out_.seek(pageHeaderAt_);
  if (status == ecOK) status = out_.write(b, sizeof b);
  if (status == ecOK) status = out_.seek(end);
  return status;
}

int FaxFileWriter::finish(const std::string& stationId, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  header_.stationId = stationId.substr(0, kStationIdLength);
  header_.dateTime = packDosDateTime(local);
  uint8_t b[kFaxHeaderSize];
  header_.serialize(b);
  uint64_t end = out_.position();
  int status = out_.seek(0);
  if (status == ecOK) status = out_.write(b, sizeof b);
  if (status == ecOK) status = out_.seek(end);
  if (status == ecOK) status = out_.close();
  if (status != ecOK) abandon();
  return status;
}

void FaxFileWriter::abandon() {
  if (out_.isOpen()) out_.discard();
  inPage_ = false;
}

}  // namespace quillon::faximage
