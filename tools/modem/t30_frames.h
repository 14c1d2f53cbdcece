#pragma once
// T.30 control frames as the modem and the DTE exchange them: address 0xFF, control 0x03
// (0x13 on the last frame of a message), FCF, information. Bytes hold the first transmitted
// bit in their least significant bit.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "modulation.h"

namespace quillon::modem::t30 {

// FCF values with the "sent by the caller" bit clear; receivers mask it off with fcfBase().
enum Fcf : std::uint8_t {
  kDis = 0x80, kCsi = 0x40, kNsf = 0x20,
  kDcs = 0x82, kTsi = 0x42, kNss = 0x22,
  kCfr = 0x84, kFtt = 0x44,
  kEom = 0x8E, kMps = 0x4E, kEop = 0x2E,
  kMcf = 0x8C, kRtp = 0xCC, kRtn = 0x4C, kPip = 0xAC, kPin = 0x2C,
  kDcn = 0xFA, kCrp = 0x1A,
};

inline std::uint8_t fcfBase(std::uint8_t fcf) { return fcf & 0xFE; }

struct Frame {
  std::uint8_t control = 0x13;
  std::uint8_t fcf = 0;
  std::string info;

  bool last() const { return (control & 0x10) != 0; }
  std::string bytes() const;
  static std::optional<Frame> parse(const std::string& bytes);
};

Frame makeFrame(std::uint8_t fcf, bool last, std::string info = {});
// TSI/CSI: the identification reversed and padded in front with blanks to 20 characters.
Frame makeIdFrame(std::uint8_t fcf, const std::string& id, bool last);
std::string readId(const Frame& f);

// The capabilities a DIS offers, or the settings a DCS picks.
struct Capabilities {
  bool fine = true;
  bool wide = false;     // 2048-pixel pages (B4)
  bool ecm = false;
  int scanTimeCode = 0x70;  // bits 0x70 of byte 3: 0x70 = 0 ms
  std::vector<Modulation> modulations;  // DIS: offered (fastest first); DCS: the one picked
};

Frame makeDis(const Capabilities& caps, bool last = true);
Frame makeDcs(const Modulation& m, bool fine, bool wide, int scanTimeCode, bool last = true);
Capabilities readDis(const Frame& f);
// The DCS's carrier (nullopt for rate codes nobody here offers), resolution and width.
struct DcsSettings {
  std::optional<Modulation> modulation;
  bool fine = false;
  bool wide = false;
};
DcsSettings readDcs(const Frame& f);

// The FCS as sent after the frame: CRC-16/CCITT, ones' complement, low byte first.
std::string fcsOf(const std::string& bytes);

std::string fcfName(std::uint8_t fcf);

}  // namespace quillon::modem::t30
