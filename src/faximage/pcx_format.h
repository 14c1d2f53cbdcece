#pragma once
// The PCX header fields this program reads and writes, and the DCX page table.
#include <cstdint>

namespace quillon::faximage {

inline constexpr int kPcxHeaderSize = 128;
inline constexpr int kDcxHeaderSize = 4100;
inline constexpr int kDcxMaxPages = 1024;
inline constexpr uint32_t kDcxMagic = 987654321;  // 0x3ADE68B1

struct PcxHeader {
  uint8_t manufacturer = 10, version = 2, encoding = 1, bitsPerPixel = 1;
  uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  uint8_t planes = 1;
  uint16_t bytesPerLine = 0;

  static PcxHeader parse(const uint8_t* b);
  void serialize(uint8_t* b) const;  // 128 bytes, the others 0
};

}  // namespace quillon::faximage
