#pragma once
// Writes a fax file page by page. The file header is written empty first and completed by
// finish(); each page header is written with length 0 and rewritten when its page ends. A
// writer that is destroyed (or abandoned) before finish() deletes its file.
#include <cstdint>
#include <ctime>
#include <string>

#include "faximage/buffered_writer.h"
#include "faximage/fax_file.h"

namespace quillon::faximage {

class FaxFileWriter {
 public:
  FaxFileWriter() = default;
  FaxFileWriter(const FaxFileWriter&) = delete;
  FaxFileWriter& operator=(const FaxFileWriter&) = delete;
  ~FaxFileWriter() { abandon(); }

  int create(const std::string& path);
  int beginPage(uint16_t flags);
  bool inPage() const { return inPage_; }
  // A line record: 16-bit length and the code bytes.
  int writeRecord(const uint8_t* code, size_t length);
  // Page data without record boundaries (received pages).
  int writeData(const uint8_t* data, size_t length);
  int endPage();
  // Puts the station ID and time into the header, rewrites it and closes the file.
  int finish(const std::string& stationId, std::time_t when);
  // Closes and deletes an unfinished file.
  void abandon();
  uint16_t pageCount() const { return header_.pageCount; }

 private:
  BufferedWriter out_;
  FaxHeader header_;
  PageHeader page_;
  uint64_t pageHeaderAt_ = 0;
  bool inPage_ = false;
};

}  // namespace quillon::faximage
