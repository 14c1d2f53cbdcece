#include "faximage/fax_file_join.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "faximage/fax_file.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

// The offset just after the last page of an open fax file.
int endOfPages(PosixFile& file, const FaxHeader& header, uint64_t& end) {
  uint64_t size = 0;
  int status = file.size(size);
  if (status != ecOK) return status;
  uint64_t offset = header.firstPageOffset;
  for (unsigned n = 0; n < header.pageCount; ++n) {
    uint8_t b[kPageHeaderSize];
    if (offset + kPageHeaderSize > size) return ecFaxBadFormat;
    if ((status = file.seek(offset)) != ecOK) return status;
    if ((status = file.readExact(b, sizeof b, ecFaxBadFormat)) != ecOK) return status;
    offset += kPageHeaderSize + PageHeader::parse(b).dataLength;
  }
  if (offset > size) return ecFaxBadFormat;  // the last page's data is cut short
  end = offset;
  return ecOK;
}

int readHeader(PosixFile& file, FaxHeader& header) {
  uint8_t b[kFaxHeaderSize];
  int status = file.readExact(b, sizeof b, ecFaxBadFormat);
  if (status != ecOK) return status;
  header = FaxHeader::parse(b);
  return header.signatureOk ? ecOK : ecFaxBadFormat;
}

// True when `output` names the same file as one of `files` (also through another path or a
// hard link): creating it would destroy that input before it is read, and the clean-up of a
// failed join would delete it.
bool outputIsAnInput(const std::vector<std::string>& files, const std::string& output) {
  std::error_code ec;
  return std::any_of(files.begin(), files.end(),
                     [&](const std::string& f) { return std::filesystem::equivalent(f, output, ec); });
}

}  // namespace

int AppendFaxFile(const std::string& dest, const std::string& source) {
  PosixFile d, s;
  int status = d.openReadWrite(dest);
  if (status == ecOK) status = s.openRead(source);
  if (status != ecOK) return status;
  FaxHeader dh, sh;
  if ((status = readHeader(d, dh)) != ecOK) return status;
  if ((status = readHeader(s, sh)) != ecOK) return status;
  if (unsigned(dh.pageCount) + sh.pageCount > 0xFFFF) return ecFaxBadFormat;
  // The source's own pages only, so trailing bytes after them never become page data.
  uint64_t dEnd = 0, sEnd = 0;
  if ((status = endOfPages(d, dh, dEnd)) != ecOK) return status;
  if ((status = endOfPages(s, sh, sEnd)) != ecOK) return status;
  if ((status = d.seek(dEnd)) != ecOK || (status = s.seek(sh.firstPageOffset)) != ecOK) return status;
  std::vector<uint8_t> buffer(4096);
  for (uint64_t left = sEnd - sh.firstPageOffset; left > 0;) {
    size_t n = size_t(std::min<uint64_t>(left, buffer.size()));
    if ((status = s.readExact(buffer.data(), n, ecFaxBadFormat)) != ecOK) return status;
    if ((status = d.writeAll(buffer.data(), n)) != ecOK) return status;
    left -= n;
  }
  dh.pageCount = uint16_t(dh.pageCount + sh.pageCount);
  uint8_t b[kFaxHeaderSize];
  dh.serialize(b);
  if ((status = d.seek(0)) != ecOK) return status;
  if ((status = d.writeAll(b, sizeof b)) != ecOK) return status;
  return d.close();
}

int JoinFaxFiles(const std::vector<std::string>& files, const std::string& output) {
  if (files.empty() || outputIsAnInput(files, output)) return ecBadArgument;
  int status = ecOK;
  {
    PosixFile first, out;
    FaxHeader h;
    uint64_t end = 0;
    if ((status = first.openRead(files[0])) != ecOK) return status;
    if ((status = readHeader(first, h)) != ecOK) return status;
    if ((status = endOfPages(first, h, end)) != ecOK) return status;
    if ((status = out.create(output)) != ecOK) return status;
    std::vector<uint8_t> buffer(4096);
    status = first.seek(0);
    for (uint64_t left = end; status == ecOK && left > 0;) {
      size_t n = size_t(std::min<uint64_t>(left, buffer.size()));
      status = first.readExact(buffer.data(), n, ecFaxBadFormat);
      if (status == ecOK) status = out.writeAll(buffer.data(), n);
      left -= n;
    }
    if (status == ecOK) status = out.close();
  }
  for (size_t i = 1; status == ecOK && i < files.size(); ++i) status = AppendFaxFile(output, files[i]);
  if (status != ecOK) ::unlink(output.c_str());
  return status;
}

}  // namespace quillon::faximage
