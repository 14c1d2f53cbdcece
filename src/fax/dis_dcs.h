#pragma once
// The DIS (a receiver's capabilities) and DCS (the transmitter's choice) information
// fields: line speed, resolution, page width and minimum scan-line time, and the Class 1
// carrier codes of each speed. Error correction is not used in Class 1: its bits are never
// set and ignored when read.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::fax::t30 {

// Speed indexes: 1 = 2400, 2 = 4800, 3 = 7200, 4 = 9600, 5 = 12000, 6 = 14400 bit/s.
inline constexpr int kSpeedCount = 6;
int BpsOfSpeedIndex(int index);  // 0 outside 1..6
int SpeedIndexOfBps(int bps);    // the highest index not above bps (1 for less than 2400)

// Speeds a station supports, by index (entry 0 unused).
struct SpeedSet {
  bool has[kSpeedCount + 1] = {};
  bool operator[](int index) const { return index >= 1 && index <= kSpeedCount && has[index]; }
};

// The modulation a DCS rate code names.
enum class Modulation { v27ter, v29, v33, v17 };

struct DisCapabilities {
  SpeedSet speeds;   // 2400 and 4800 always
  bool fine = false;
  bool wide = false;
  int scanIndex = 0;  // 0..7, see MinimumBytesPerLine
};

struct DcsSettings {
  int bps = 2400;
  Modulation modulation = Modulation::v27ter;
  bool fine = false;
  bool wide = false;
  int scanTimeMs = 20;  // for the resolution in use
};

// Reads a remote DIS (the information field after the FCF; missing bytes count as 0).
DisCapabilities DecodeDis(std::string_view info);
// Reads a remote DCS.
DcsSettings DecodeDcs(std::string_view info);
// A DIS offering the speeds up to `topIndex`, fine resolution, wide pages when `wide`, and
// no minimum scan-line time.
std::string EncodeDis(int topIndex, bool wide);
// A DCS for the speed, resolution and width, with the scan-line time code the receiver asked
// for (its DIS scan index) for the resolution in use.
std::string EncodeDcs(int speedIndex, bool fine, bool wide, int scanIndex);

// Minimum scan-line time in ms for a scan index (0..7) and resolution.
int ScanTimeMs(int scanIndex, bool fine);
// The scan index of a DIS's bits 0x70 of byte 3, and the DCS code of a scan index.
int ScanIndexOfDisBits(std::uint8_t bits);
std::uint8_t DcsScanCode(int scanIndex, bool fine);

// Class 1 carrier codes for AT+FTM / AT+FRM: the training carrier (long training) and the
// page carrier (short training after a confirmed training) of a speed the transmitter uses.
const char* TrainingCode(int speedIndex);
const char* PageCode(int speedIndex);
// The carrier code of a DCS's settings (a receiver listens with it); "" for V.33, which
// Class 1 modems do not carry.
std::string CarrierCode(const DcsSettings& dcs, bool shortTraining);

// The training check: bit/s / 100 × 18 zero bytes (1.44 s), at most 8192.
std::size_t TrainingCheckBytes(int bps);

// The highest speed index both sides support that is not above `desiredBps` and below
// `belowIndex`; 0 when none is left.
int ChooseSpeed(const SpeedSet& local, const SpeedSet& remote, int desiredBps, int belowIndex = kSpeedCount + 1);

}  // namespace quillon::fax::t30
