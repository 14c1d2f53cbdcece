#pragma once
// The fax file (.APF): a 64-byte file header, then pages chained one after another, each a
// 16-byte page header and its coded data. All integers are little-endian.
#include <cstdint>
#include <ctime>
#include <string>

namespace quillon::faximage {

inline constexpr size_t kFaxHeaderSize = 64;
inline constexpr size_t kPageHeaderSize = 16;
inline constexpr char kFaxSignature[6] = {'A', 'P', 'F', '1', '0', 0x1A};
inline constexpr size_t kStationIdLength = 20;

inline constexpr uint16_t PageFlagHighRes = 1;      // 196 lines per inch instead of 98
inline constexpr uint16_t PageFlagWide = 2;         // 2048 pixels per line instead of 1728
inline constexpr uint16_t PageFlagLengthWords = 4;  // data is a sequence of line records

// Readers accept line records up to this length and read no more of a longer one.
inline constexpr size_t kMaxLineRecord = 4096;

struct FaxHeader {
  bool signatureOk = false;
  uint32_t dateTime = 0;     // packed DOS date and time
  std::string stationId;     // up to 20 characters
  uint16_t pageCount = 0;
  uint32_t firstPageOffset = kFaxHeaderSize;

  static FaxHeader parse(const uint8_t* bytes);  // 64 bytes
  void serialize(uint8_t* bytes) const;          // 64 bytes; signature always written
};

struct PageHeader {
  uint32_t dataLength = 0;
  uint16_t flags = 0;

  bool highRes() const { return flags & PageFlagHighRes; }
  bool wide() const { return flags & PageFlagWide; }
  bool lengthWords() const { return flags & PageFlagLengthWords; }
  int lineWidth() const { return wide() ? 2048 : 1728; }

  static PageHeader parse(const uint8_t* bytes);  // 16 bytes
  void serialize(uint8_t* bytes) const;
};

// Low 16 bits: seconds/2, minutes, hours; high 16 bits: day, month, year - 1980. 0 when the
// year lies outside 1980 ... 2099.
uint32_t packDosDateTime(const std::tm& local);
std::tm unpackDosDateTime(uint32_t packed);

// True when the file's first six bytes are the signature.
bool IsFaxFile(const std::string& fileName);
// 0, a negative operating-system status, -2 for an empty name, or -8001 for a bad signature.
int ReadFaxHeader(const std::string& fileName, FaxHeader& header);
// Walks the page chain to page `page` (1-based) and returns its header; `dataOffset` receives
// the file offset of its data. -8001 for a bad signature, a page beyond the page count or a
// chain that leaves the file.
int FindPage(const std::string& fileName, unsigned page, PageHeader& header,
             uint64_t* dataOffset = nullptr);

}  // namespace quillon::faximage
