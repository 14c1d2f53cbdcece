#pragma once
// Reads a fax file: the header, the page chain and a page's data in chunks (one line record
// at a time for pages of line records, else blocks of up to 4096 bytes).
#include <cstdint>
#include <string>
#include <vector>

#include "faximage/fax_file.h"
#include "faximage/posix_file.h"

namespace quillon::faximage {

// Where a page was last found: a later search for that page or a later one in the same,
// unchanged file goes on from there instead of walking the chain from the first page, so
// reading every page in turn walks the chain once.
struct PageChainMark {
  unsigned page = 0;    // 0: nothing found yet
  uint64_t offset = 0;  // of that page's header
  uint32_t dataLength = 0;  // of that page
  FileIdentity file;
};

class FaxPageReader {
 public:
  // Opens the file and checks its header (-8001 for a bad signature or a short file).
  int open(const std::string& fileName);
  const FaxHeader& header() const { return header_; }

  // Walks the chain to page `page` (1-based) and positions at its data; starts from the mark
  // when it lies on the way.
  int findPage(unsigned page);
  const PageChainMark& mark() const { return mark_; }
  void useMark(const PageChainMark& mark) { mark_ = mark; }
  const PageHeader& page() const { return page_; }
  uint64_t pageDataOffset() const { return dataOffset_; }

  // The next chunk of the current page's coded data; an empty chunk at the end of the page.
  // A read inside the declared data that finds the end of the file gives -8001.
  int nextChunk(const uint8_t*& data, size_t& size);
  uint64_t bytesRead() const { return bytesRead_; }  // of the page, length words included
  uint64_t pageHeadersRead() const { return pageHeadersRead_; }  // by findPage, since open

 private:
  PosixFile file_;
  FaxHeader header_;
  PageHeader page_;
  uint64_t dataOffset_ = 0;
  uint64_t bytesRead_ = 0;
  PageChainMark mark_;
  uint64_t pageHeadersRead_ = 0;
  // Page data is read ahead in large blocks: one read per line record and length word
  // would be two system calls per line.
  static constexpr size_t kReadAhead = 64 * 1024;
  int take(size_t n, const uint8_t*& data);
  std::vector<uint8_t> ahead_ = std::vector<uint8_t>(kReadAhead);
  size_t aheadAt_ = 0, aheadEnd_ = 0;
};

}  // namespace quillon::faximage
