#include "fax/received_fax_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "errors/error_codes.h"
#include "fax/header_tags.h"
#include "faximage/fax_file.h"

namespace quillon::fax {

namespace {
constexpr std::size_t kBlock = 4096;
int ioStatus() { return errno ? -errno : ecDeviceWrite; }
}  // namespace

ReceivedFaxFile::~ReceivedFaxFile() { close(); }

int ReceivedFaxFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    errno = 0;
    ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ioStatus();
    if (n == 0) return ecDeviceWrite;
    p += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return 0;
}

int ReceivedFaxFile::writeHeader(const std::string& remoteId) {
  faximage::FaxHeader h;
  h.dateTime = faximage::packDosDateTime(LocalNow());
  h.stationId = remoteId.substr(0, faximage::kStationIdLength);
  h.stationId.resize(faximage::kStationIdLength, ' ');
  h.pageCount = static_cast<std::uint16_t>(pages_);
  h.firstPageOffset = faximage::kFaxHeaderSize;
  std::uint8_t bytes[faximage::kFaxHeaderSize];
  h.serialize(bytes);
  return writeAt(0, bytes, sizeof bytes);
}

int ReceivedFaxFile::create(const std::string& path, const std::string& remoteId) {
  close();
  errno = 0;
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return ioStatus();
  path_ = path;
  pages_ = 0;
  pageOpen_ = false;
  end_ = faximage::kFaxHeaderSize;
  int rc = writeHeader(remoteId);
  if (rc < 0) {
    ::close(fd_);
    fd_ = -1;
  }
  return rc;
}

int ReceivedFaxFile::beginPage(bool fine, bool wide) {
  if (fd_ < 0) return ecDeviceWrite;
  if (pageOpen_) dropPage();
  pageFlags_ = static_cast<std::uint16_t>((fine ? faximage::PageFlagHighRes : 0) | (wide ? faximage::PageFlagWide : 0));
  faximage::PageHeader ph;
  ph.flags = pageFlags_;
  std::uint8_t bytes[faximage::kPageHeaderSize] = {};
  ph.serialize(bytes);
  int rc = writeAt(end_, bytes, sizeof bytes);
  if (rc < 0) return rc;
  pageStart_ = end_;
  pageBytes_ = written_ = 0;
  buffer_.clear();
  pageOpen_ = true;
  return 0;
}

int ReceivedFaxFile::flush() {
  if (buffer_.empty()) return 0;
  int rc = writeAt(pageStart_ + faximage::kPageHeaderSize + written_, buffer_.data(), buffer_.size());
  if (rc < 0) return rc;
  written_ += buffer_.size();
  buffer_.clear();
  return 0;
}

int ReceivedFaxFile::write(const std::uint8_t* data, std::size_t size) {
  if (!pageOpen_) return ecDeviceWrite;
  // The page header holds a 32-bit length; a page that would pass it is not a fax page.
  if (pageBytes_ + size > std::numeric_limits<std::uint32_t>::max()) return ecDeviceWrite;
  buffer_.append(reinterpret_cast<const char*>(data), size);
  pageBytes_ += size;
  return buffer_.size() >= kBlock ? flush() : 0;
}

int ReceivedFaxFile::endPage(const std::string& remoteId) {
  if (!pageOpen_) return 0;
  int rc = flush();
  if (rc < 0) return rc;
  faximage::PageHeader ph;
  ph.dataLength = static_cast<std::uint32_t>(pageBytes_);
  ph.flags = pageFlags_;
  std::uint8_t bytes[faximage::kPageHeaderSize] = {};
  ph.serialize(bytes);
  if ((rc = writeAt(pageStart_, bytes, sizeof bytes)) < 0) return rc;
  ++pages_;
  if ((rc = writeHeader(remoteId)) < 0) {
    --pages_;
    return rc;
  }
  end_ = pageStart_ + faximage::kPageHeaderSize + pageBytes_;
  pageOpen_ = false;
  return 0;
}

int ReceivedFaxFile::dropPage() {
  if (!pageOpen_) return 0;
  pageOpen_ = false;
  buffer_.clear();
  pageBytes_ = written_ = 0;
  errno = 0;
  return ::ftruncate(fd_, static_cast<off_t>(end_)) == 0 ? 0 : ioStatus();
}

int ReceivedFaxFile::close() {
  if (fd_ < 0) return 0;
  int rc = dropPage();
  if (::close(fd_) != 0 && rc == 0) rc = ioStatus();
  fd_ = -1;
  return rc;
}

}  // namespace quillon::fax
