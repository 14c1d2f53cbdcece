#include "t30_frames.h"

#include <algorithm>

namespace quillon::modem::t30 {

std::string Frame::bytes() const {
  std::string out;
  out += static_cast<char>(0xFF);
  out += static_cast<char>(control);
  out += static_cast<char>(fcf);
  out += info;
  return out;
}

std::optional<Frame> Frame::parse(const std::string& bytes) {
  // Anything before the address is line noise.
  auto start = bytes.find(static_cast<char>(0xFF));
  if (start == std::string::npos || bytes.size() < start + 3) return std::nullopt;
  Frame f;
  f.control = static_cast<std::uint8_t>(bytes[start + 1]);
  f.fcf = static_cast<std::uint8_t>(bytes[start + 2]);
  f.info = bytes.substr(start + 3);
  return f;
}

Frame makeFrame(std::uint8_t fcf, bool last, std::string info) {
  Frame f;
  f.control = last ? 0x13 : 0x03;
  f.fcf = fcf;
  f.info = std::move(info);
  return f;
}

Frame makeIdFrame(std::uint8_t fcf, const std::string& id, bool last) {
  std::string text = id.substr(0, 20);
  std::string info(20 - text.size(), ' ');
  info.append(text.rbegin(), text.rend());
  return makeFrame(fcf, last, info);
}

std::string readId(const Frame& f) {
  std::string info = f.info.substr(0, 20);
  std::string id(info.rbegin(), info.rend());
  auto first = id.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  auto last = id.find_last_not_of(' ');
  return id.substr(first, last - first + 1);
}

namespace {
std::uint8_t byteAt(const Frame& f, std::size_t i) {
  return i < f.info.size() ? static_cast<std::uint8_t>(f.info[i]) : 0;
}
}  // namespace

Frame makeDis(const Capabilities& caps, bool last) {
  bool v27 = false, v29 = false, v17 = false;
  for (const auto& m : caps.modulations) {
    if (m.family == Family::V27ter && m.bps == 4800) v27 = true;
    if (m.family == Family::V29) v29 = true;
    if (m.family == Family::V17) v17 = true;
  }
  int rate = 0;
  if (v27) rate |= 0x08;
  if (v29) rate |= 0x04;
  if (v17) rate |= 0x2C;
  std::string info(4, '\0');
  info[0] = 0x00;
  info[1] = static_cast<char>(0x02 | rate | (caps.fine ? 0x40 : 0));
  info[2] = static_cast<char>(0x80 | 0x08 | (caps.scanTimeCode & 0x70) | (caps.wide ? 0x01 : 0));
  info[3] = static_cast<char>(caps.ecm ? 0x04 : 0x00);
  return makeFrame(kDis, last, info);
}

Frame makeDcs(const Modulation& m, bool fine, bool wide, int scanTimeCode, bool last) {
  std::string info(4, '\0');
  info[1] = static_cast<char>(0x02 | dcsBitsFor(m) | (fine ? 0x40 : 0));
  info[2] = static_cast<char>(0x80 | (scanTimeCode & 0x70) | (wide ? 0x01 : 0));
  return makeFrame(kDcs | 0x01, last, info);
}

Capabilities readDis(const Frame& f) {
  Capabilities caps;
  std::uint8_t b2 = byteAt(f, 1), b3 = byteAt(f, 2), b4 = byteAt(f, 3);
  caps.fine = (b2 & 0x40) != 0;
  caps.wide = (b3 & 0x03) == 0x01 || (b3 & 0x03) == 0x02;
  caps.scanTimeCode = b3 & 0x70;
  caps.ecm = (b3 & 0x80) != 0 && (b4 & 0x04) != 0;
  caps.modulations = modulationsFromDisBits(b2);
  return caps;
}

DcsSettings readDcs(const Frame& f) {
  DcsSettings s;
  std::uint8_t b2 = byteAt(f, 1), b3 = byteAt(f, 2);
  s.modulation = modulationFromDcsBits(b2);
  s.fine = (b2 & 0x40) != 0;
  s.wide = (b3 & 0x03) == 0x01;
  return s;
}

std::string fcsOf(const std::string& bytes) {
  std::uint16_t crc = 0xFFFF;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
  }
  crc = ~crc;
  std::string out;
  out += static_cast<char>(crc & 0xFF);
  out += static_cast<char>(crc >> 8);
  return out;
}

std::string fcfName(std::uint8_t fcf) {
  switch (fcfBase(fcf)) {
    case kDis: return "DIS";
    case kCsi: return "CSI";
    case kNsf: return "NSF";
    case kDcs: return "DCS";
    case kTsi: return "TSI";
    case kCfr: return "CFR";
    case kFtt: return "FTT";
    case kEom: return "EOM";
    case kMps: return "MPS";
    case kEop: return "EOP";
    case kMcf: return "MCF";
    case kRtp: return "RTP";
    case kRtn: return "RTN";
    case kDcn: return "DCN";
    case kCrp: return "CRP";
    default: return "FCF 0x" + std::string(1, "0123456789ABCDEF"[fcf >> 4]) + "0123456789ABCDEF"[fcf & 15];
  }
}

}  // namespace quillon::modem::t30
