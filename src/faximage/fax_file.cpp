#include "faximage/fax_file.h"

#include <algorithm>
#include <cstring>

#include "faximage/byte_order.h"
#include "faximage/fax_page_reader.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"

namespace quillon::faximage {

FaxHeader FaxHeader::parse(const uint8_t* b) {
  FaxHeader h;
  h.signatureOk = std::memcmp(b, kFaxSignature, sizeof kFaxSignature) == 0;
  h.dateTime = le32(b + 6);
  size_t length = std::min<size_t>(b[10], kStationIdLength);
  h.stationId.assign(reinterpret_cast<const char*>(b + 11), length);
  h.pageCount = le16(b + 32);
  h.firstPageOffset = le32(b + 34);
  return h;
}

void FaxHeader::serialize(uint8_t* b) const {
  std::memset(b, 0, kFaxHeaderSize);
  std::memcpy(b, kFaxSignature, sizeof kFaxSignature);
  putLe32(b + 6, dateTime);
  size_t length = std::min(stationId.size(), kStationIdLength);
  b[10] = uint8_t(length);
  std::memset(b + 11, ' ', kStationIdLength);
  std::memcpy(b + 11, stationId.data(), length);
  putLe16(b + 32, pageCount);
  putLe32(b + 34, firstPageOffset);
}

PageHeader PageHeader::parse(const uint8_t* b) {
  PageHeader h;
  h.dataLength = le32(b);
  h.flags = le16(b + 4);
  return h;
}

void PageHeader::serialize(uint8_t* b) const {
  std::memset(b, 0, kPageHeaderSize);
  putLe32(b, dataLength);
  putLe16(b + 4, flags);
}

uint32_t packDosDateTime(const std::tm& t) {
  int year = t.tm_year + 1900;
  if (year < 1980 || year > 2099) return 0;
  uint32_t time = uint32_t(t.tm_sec / 2) | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_hour) << 11;
  uint32_t date = uint32_t(t.tm_mday) | uint32_t(t.tm_mon + 1) << 5 | uint32_t(year - 1980) << 9;
  return date << 16 | time;
}

std::tm unpackDosDateTime(uint32_t packed) {
  std::tm t{};
  t.tm_sec = int(packed & 0x1F) * 2;
  t.tm_min = int(packed >> 5 & 0x3F);
  t.tm_hour = int(packed >> 11 & 0x1F);
  t.tm_mday = int(packed >> 16 & 0x1F);
  t.tm_mon = int(packed >> 21 & 0x0F) - 1;
  t.tm_year = int(packed >> 25) + 80;
  return t;
}

bool IsFaxFile(const std::string& fileName) {
  PosixFile file;
  uint8_t b[sizeof kFaxSignature];
  return file.openRead(fileName) == ecOK && file.readExact(b, sizeof b, ecFaxBadFormat) == ecOK &&
         std::memcmp(b, kFaxSignature, sizeof b) == 0;
}

int ReadFaxHeader(const std::string& fileName, FaxHeader& header) {
  FaxPageReader reader;
  int status = reader.open(fileName);
  if (status == ecOK) header = reader.header();
  return status;
}

int FindPage(const std::string& fileName, unsigned page, PageHeader& header, uint64_t* dataOffset) {
  FaxPageReader reader;
  int status = reader.open(fileName);
  if (status == ecOK) status = reader.findPage(page);
  if (status != ecOK) return status;
  header = reader.page();
  if (dataOffset) *dataOffset = reader.pageDataOffset();
  return ecOK;
}

}  // namespace quillon::faximage
