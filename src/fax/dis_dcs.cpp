#include "fax/dis_dcs.h"

#include <algorithm>

namespace quillon::fax::t30 {

namespace {

constexpr int kBps[kSpeedCount + 1] = {0, 2400, 4800, 7200, 9600, 12000, 14400};

// Rate bits of byte 2 (T.30 bits 11 to 14).
constexpr std::uint8_t kRateMask = 0x3C;
constexpr std::uint8_t kV29 = 0x04, kV27 = 0x08, kV17 = 0x20;  // V.33 (0x10) is not a Class 1 carrier
// Byte 2: receiver operation and fine resolution; byte 3: unlimited length and the extend bit.
constexpr std::uint8_t kReceiverBit = 0x02, kFineBit = 0x40, kLengthAndExtend = 0x88, kWideBit = 0x01;

std::uint8_t byteAt(std::string_view info, std::size_t i) {
  return i < info.size() ? static_cast<std::uint8_t>(info[i]) : 0;
}

// Scan times in ms for (normal, fine), by scan index.
constexpr int kScanMs[8][2] = {{0, 0}, {5, 5}, {10, 5}, {10, 10}, {20, 10}, {20, 20}, {40, 20}, {40, 40}};
// DIS bits 0x70 of byte 3 by scan index.
constexpr std::uint8_t kDisScanBits[8] = {0x70, 0x10, 0x60, 0x20, 0x30, 0x00, 0x50, 0x40};

std::uint8_t dcsCodeOfMs(int ms) {
  switch (ms) {
    case 0: return 0x70;
    case 5: return 0x10;
    case 10: return 0x20;
    case 40: return 0x40;
    default: return 0x00;  // 20 ms
  }
}

int msOfDcsCode(std::uint8_t code) {
  switch (code & 0x70) {
    case 0x70: return 0;
    case 0x10: return 5;
    case 0x20: return 10;
    case 0x40: return 40;
    default: return 20;  // 0x00 and the codes a DCS does not use
  }
}

// Rate bits of a DCS for a speed: V.27 ter for 2400 and 4800, V.29 for 7200 and 9600, V.17
// for 12000 and 14400, the carriers a Class 1 modem trains with at those speeds.
std::uint8_t dcsRateBits(int speedIndex) {
  switch (speedIndex) {
    case 2: return 0x08;
    case 3: return 0x0C;
    case 4: return 0x04;
    case 5: return 0x28;
    case 6: return 0x20;
    default: return 0x00;
  }
}

}  // namespace

int BpsOfSpeedIndex(int index) { return index >= 1 && index <= kSpeedCount ? kBps[index] : 0; }

int SpeedIndexOfBps(int bps) {
  for (int i = kSpeedCount; i >= 1; --i)
    if (kBps[i] <= bps) return i;
  return 1;
}

int ScanIndexOfDisBits(std::uint8_t bits) {
  for (int i = 0; i < 8; ++i)
    if (kDisScanBits[i] == (bits & 0x70)) return i;
  return 0;
}

int ScanTimeMs(int scanIndex, bool fine) {
  if (scanIndex < 0 || scanIndex > 7) scanIndex = 0;
  return kScanMs[scanIndex][fine ? 1 : 0];
}

std::uint8_t DcsScanCode(int scanIndex, bool fine) { return dcsCodeOfMs(ScanTimeMs(scanIndex, fine)); }

DisCapabilities DecodeDis(std::string_view info) {
  DisCapabilities c;
  std::uint8_t b2 = byteAt(info, 1), b3 = byteAt(info, 2);
  c.speeds.has[1] = c.speeds.has[2] = true;
  if (b2 & kV29) {
    c.speeds.has[4] = true;
    if (b2 & kV27) c.speeds.has[3] = true;
  }
  // V.17 (0x2C, or 0x3C from older machines that also list V.33). V.33 alone (0x1C) names a
  // carrier Class 1 modems do not send, so it adds nothing.
  if (b2 & kV17) c.speeds.has[5] = c.speeds.has[6] = true;
  c.fine = (b2 & kFineBit) != 0;
  c.wide = (b3 & 0x03) == 1 || (b3 & 0x03) == 2;  // 255 mm, or 255 and 303 mm
  c.scanIndex = ScanIndexOfDisBits(b3);
  return c;
}

DcsSettings DecodeDcs(std::string_view info) {
  DcsSettings d;
  std::uint8_t b2 = byteAt(info, 1), b3 = byteAt(info, 2);
  switch (b2 & kRateMask) {
    case 0x08: d.bps = 4800; break;
    case 0x04: d.bps = 9600, d.modulation = Modulation::v29; break;
    case 0x0C: d.bps = 7200, d.modulation = Modulation::v29; break;
    case 0x10: d.bps = 14400, d.modulation = Modulation::v33; break;
    case 0x18: d.bps = 12000, d.modulation = Modulation::v33; break;
    case 0x20: d.bps = 14400, d.modulation = Modulation::v17; break;
    case 0x28: d.bps = 12000, d.modulation = Modulation::v17; break;
    case 0x24: d.bps = 9600, d.modulation = Modulation::v17; break;
    case 0x2C: d.bps = 7200, d.modulation = Modulation::v17; break;
    default: break;  // 0x00 and codes T.30 does not define: 2400
  }
  d.fine = (b2 & kFineBit) != 0;
  d.wide = (b3 & 0x03) == 1;
  d.scanTimeMs = msOfDcsCode(b3);
  return d;
}

std::string EncodeDis(int topIndex, bool wide) {
  std::uint8_t rate = topIndex >= 5 ? kV17 | kV29 | kV27 : topIndex >= 3 ? kV29 | kV27 : topIndex == 2 ? kV27 : 0;
  std::string info(4, '\0');
  info[1] = static_cast<char>(kReceiverBit | kFineBit | rate);
  info[2] = static_cast<char>(0x70 | kLengthAndExtend | (wide ? kWideBit : 0));
  return info;
}

std::string EncodeDcs(int speedIndex, bool fine, bool wide, int scanIndex) {
  std::string info(4, '\0');
  info[1] = static_cast<char>(kReceiverBit | (fine ? kFineBit : 0) | dcsRateBits(speedIndex));
  info[2] = static_cast<char>(DcsScanCode(scanIndex, fine) | kLengthAndExtend | (wide ? kWideBit : 0));
  return info;
}

const char* TrainingCode(int speedIndex) {
  static const char* const kCodes[] = {"24", "24", "48", "72", "96", "121", "145"};
  return kCodes[std::clamp(speedIndex, 0, kSpeedCount)];
}

const char* PageCode(int speedIndex) {
  static const char* const kCodes[] = {"24", "24", "48", "72", "96", "122", "146"};
  return kCodes[std::clamp(speedIndex, 0, kSpeedCount)];
}

std::string CarrierCode(const DcsSettings& dcs, bool shortTraining) {
  switch (dcs.modulation) {
    case Modulation::v27ter: return dcs.bps == 4800 ? "48" : "24";
    case Modulation::v29: return dcs.bps == 7200 ? "72" : "96";
    case Modulation::v33: return "";
    case Modulation::v17: break;
  }
  int base = dcs.bps == 14400 ? 145 : dcs.bps == 12000 ? 121 : dcs.bps == 9600 ? 97 : 73;
  return std::to_string(base + (shortTraining ? 1 : 0));
}

std::size_t TrainingCheckBytes(int bps) {
  return std::min<std::size_t>(static_cast<std::size_t>(bps / 100 * 18), 8192);
}

int ChooseSpeed(const SpeedSet& local, const SpeedSet& remote, int desiredBps, int belowIndex) {
  for (int i = std::min(belowIndex - 1, kSpeedCount); i >= 1; --i)
    if (local[i] && remote[i] && kBps[i] <= desiredBps) return i;
  return 0;
}

}  // namespace quillon::fax::t30
