#pragma once
// The fax file a call's pages are written into: created with a header of no pages, each page
// begun with a zeroed page header and ended by rewriting that header with the byte count and
// the file header with the new page count. A page that is not ended is cut off again, so the
// file only ever holds complete pages.
#include <cstdint>
#include <string>

namespace quillon::fax {

class ReceivedFaxFile {
 public:
  ReceivedFaxFile() = default;
  ReceivedFaxFile(const ReceivedFaxFile&) = delete;
  ReceivedFaxFile& operator=(const ReceivedFaxFile&) = delete;
  ~ReceivedFaxFile();

  // Creates (replacing) the file and writes its 64-byte header. 0 or a negative I/O status.
  int create(const std::string& path, const std::string& remoteId);
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

  // Starts a page at the end of the file: a 16-byte header of zeros and the page flags.
  int beginPage(bool fine, bool wide);
  bool pageOpen() const { return pageOpen_; }
  // Appends page data (buffered in 4096-byte blocks).
  int write(const std::uint8_t* data, std::size_t size);
  // The page is complete: its header gets the byte count, the file header the page count,
  // the remote ID and the time.
  int endPage(const std::string& remoteId);
  // Cuts the open page off the file (a page the modem judged bad, or one the call broke off).
  int dropPage();
  // Drops an unfinished page and closes the file.
  int close();

  int pages() const { return pages_; }
  std::uint64_t pageBytes() const { return pageBytes_; }

 private:
  int flush();
  int writeAt(std::uint64_t offset, const void* data, std::size_t size);
  int writeHeader(const std::string& remoteId);

  int fd_ = -1;
  std::string path_;
  int pages_ = 0;
  bool pageOpen_ = false;
  std::uint16_t pageFlags_ = 0;
  std::uint64_t end_ = 0;          // end of the complete pages
  std::uint64_t pageStart_ = 0;    // offset of the open page's header
  std::uint64_t pageBytes_ = 0;    // data bytes of the open page (written and buffered)
  std::uint64_t written_ = 0;      // data bytes of the open page already in the file
  std::string buffer_;
};

}  // namespace quillon::fax
