#include "faximage/fax_page_reader.h"

#include <algorithm>
#include <cstring>

#include "faximage/byte_order.h"
#include "errors/error_codes.h"

namespace quillon::faximage {

int FaxPageReader::open(const std::string& fileName) {
  int status = file_.openRead(fileName);
  if (status != ecOK) return status;
  uint8_t b[kFaxHeaderSize];
  status = file_.readExact(b, sizeof b, ecFaxBadFormat);
  if (status != ecOK) return status;
  header_ = FaxHeader::parse(b);
  return header_.signatureOk ? ecOK : ecFaxBadFormat;
}

int FaxPageReader::findPage(unsigned page) {
  if (page == 0 || page > header_.pageCount) return ecFaxBadFormat;
  FileIdentity file;
  int status = file_.identity(file);
  if (status != ecOK) return status;
  const uint64_t fileSize = file.size;
  unsigned n = 1;
  uint64_t offset = header_.firstPageOffset;
  if (mark_.page != 0 && mark_.page <= page && mark_.file == file) {
    n = mark_.page;
    offset = mark_.offset;
    if (n < page) {  // the marked page's header is known: go on from the next one
      ++n;
      offset += kPageHeaderSize + mark_.dataLength;
    }
  }
  for (;; ++n) {
    if (offset + kPageHeaderSize > fileSize) return ecFaxBadFormat;  // chain leaves the file
    uint8_t b[kPageHeaderSize];
    if ((status = file_.seek(offset)) != ecOK) return status;
    if ((status = file_.readExact(b, sizeof b, ecFaxBadFormat)) != ecOK) return status;
    page_ = PageHeader::parse(b);
    ++pageHeadersRead_;
    if (n == page) break;
    offset += kPageHeaderSize + page_.dataLength;
  }
  mark_ = {page, offset, page_.dataLength, file};
  aheadAt_ = aheadEnd_ = 0;  // the file now stands at the page's data
  dataOffset_ = offset + kPageHeaderSize;
  bytesRead_ = 0;
  return ecOK;
}

int FaxPageReader::take(size_t n, const uint8_t*& data) {
  if (aheadEnd_ - aheadAt_ < n) {
    const size_t rest = aheadEnd_ - aheadAt_;
    std::memmove(ahead_.data(), ahead_.data() + aheadAt_, rest);
    aheadAt_ = 0;
    aheadEnd_ = rest;
    size_t got = 0;
    if (int status = file_.read(ahead_.data() + rest, ahead_.size() - rest, got); status != ecOK) return status;
    aheadEnd_ += got;
    if (aheadEnd_ < n) return ecFaxBadFormat;  // the file ends inside the page's data
  }
  data = ahead_.data() + aheadAt_;
  aheadAt_ += n;
  return ecOK;
}

int FaxPageReader::nextChunk(const uint8_t*& data, size_t& size) {
  data = ahead_.data();
  size = 0;
  for (;;) {
    uint64_t left = page_.dataLength - std::min<uint64_t>(bytesRead_, page_.dataLength);
    if (left == 0) return ecOK;
    size_t want;
    if (page_.lengthWords()) {
      // A length word cut off by the end of the page's data ends the page.
      if (left < 2) {
        bytesRead_ = page_.dataLength;
        return ecOK;
      }
      const uint8_t* word;
      int status = take(2, word);
      if (status != ecOK) return status;
      bytesRead_ += 2;
      // Records longer than 4096 are read as 4096; none reaches past the page's data.
      want = size_t(std::min<uint64_t>({le16(word), kMaxLineRecord, left - 2}));
      if (want == 0) continue;  // an empty record
    } else {
      want = size_t(std::min<uint64_t>(left, kMaxLineRecord));
    }
    int status = take(want, data);
    if (status != ecOK) return status;
    bytesRead_ += want;
    size = want;
    return ecOK;
  }
}

}  // namespace quillon::faximage
