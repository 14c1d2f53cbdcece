#pragma once
// T.30 control frames as a Class 1 modem and the engine exchange them: address 0xFF, control
// 0x03 (0x13 on the final frame of a message), the frame control field (FCF) and the
// information field. Bytes hold the first transmitted bit in their least significant bit.
// The modem adds the flags and the frame check; the engine writes DLE-doubled bytes ending
// in DLE ETX and reads them back the same way.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillon::fax::t30 {

inline constexpr std::uint8_t kAddress = 0xFF;
inline constexpr std::uint8_t kControlFinal = 0x13;
inline constexpr std::uint8_t kControlNotFinal = 0x03;
inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::size_t kIdLength = 20;

// The FCF values the engine sends. The calling station sets the lowest bit (the "X" bit);
// readers compare with it masked off (see TypeOf).
enum Fcf : std::uint8_t {
  kDis = 0x80,  // answering station's capabilities
  kCsi = 0x40,  // called station's ID
  kNsf = 0x20,
  kDcs = 0x83,  // transmitter's settings
  kTsi = 0x43,  // transmitter's ID
  kCfr = 0x84,  // training confirmed
  kFtt = 0x44,  // training failed
  kMps = 0x4F,  // another page follows, same settings
  kEom = 0x8F,  // another document follows, back to phase B
  kEop = 0x2F,  // last page
  kMcf = 0x8C,  // page good
  kRtp = 0xCC,  // page good, retrain before the next
  kRtn = 0x4C,  // page bad, retrain
  kPip = 0xAC,  // page good, operator wanted
  kPin = 0x2C,  // page bad, operator wanted
  kDcn = 0xFB,  // disconnect
  kCrp = 0x1A,  // command repeat: the last frame arrived garbled
};

enum class FrameType { unknown, dis, dtc, csi, tsi, nsf, dcs, cfr, ftt, mps, eom, eop, mcf, rtp, rtn, pip, pin, dcn, crp };

// The frame type of an FCF, whichever station sent it (the X bit is ignored).
FrameType TypeOf(std::uint8_t fcf);
// ID frames: CSI, CIG and TSI (FCF 0x40 to 0x43).
bool IsIdFrame(std::uint8_t fcf);
// The frame's name for logs: "DIS", "MCF", ... or "FCF 0xNN".
std::string FcfName(std::uint8_t fcf);

struct Frame {
  std::uint8_t control = kControlFinal;
  std::uint8_t fcf = 0;
  std::string info;  // the information field (a modem may leave the two check bytes on it)
  bool final() const { return (control & 0x10) != 0; }
  FrameType type() const { return TypeOf(fcf); }
};

// Every DLE doubled.
std::string DleDouble(std::string_view bytes);
// The bytes written to the modem for a frame: address, control, FCF, information with DLE
// doubled, DLE ETX.
std::string BuildFrame(std::uint8_t fcf, bool final, std::string_view info = {});
// A frame as read from the modem after "CONNECT": bytes before the address are dropped, a
// doubled DLE is one data byte, and the frame ends at DLE ETX (or at the end of the bytes).
// No frame when no address with a control byte and an FCF is there.
std::optional<Frame> ParseFrameBytes(std::string_view raw);

// The information field of a TSI or CSI: blanks in front up to 20 characters, then the ID
// from its last to its first character (an ID is cut to 20 characters).
std::string IdInfo(std::string_view stationId);
// The station ID in an ID frame's information field: its first 20 bytes in reverse order,
// without the surrounding blanks; characters below 32 are dropped.
std::string ReadId(std::string_view info);

}  // namespace quillon::fax::t30
