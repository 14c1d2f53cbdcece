#include "fax/t30_frames.h"

#include <cstdio>

namespace quillon::fax::t30 {

FrameType TypeOf(std::uint8_t fcf) {
  switch (fcf & 0xFE) {
    case 0x80: return fcf & 1 ? FrameType::dtc : FrameType::dis;
    case 0x40: return FrameType::csi;  // CSI, or CIG from a polling station
    case 0x20: return FrameType::nsf;
    case 0x82: return FrameType::dcs;
    case 0x42: return FrameType::tsi;
    case 0x84: return FrameType::cfr;
    case 0x44: return FrameType::ftt;
    case 0x4E: return FrameType::mps;
    case 0x8E: return FrameType::eom;
    case 0x2E: return FrameType::eop;
    case 0x8C: return FrameType::mcf;
    case 0xCC: return FrameType::rtp;
    case 0x4C: return FrameType::rtn;
    case 0xAC: return FrameType::pip;
    case 0x2C: return FrameType::pin;
    case 0xFA: return FrameType::dcn;
    case 0x1A: return FrameType::crp;
    default: return FrameType::unknown;
  }
}

bool IsIdFrame(std::uint8_t fcf) { return fcf >= 0x40 && fcf <= 0x43; }

std::string FcfName(std::uint8_t fcf) {
  if ((fcf & 0xFE) == 0x40) return fcf & 1 ? "CIG" : "CSI";
  static const char* const kNames[] = {"?",   "DIS", "DTC", "CSI", "TSI", "NSF", "DCS", "CFR", "FTT", "MPS",
                                       "EOM", "EOP", "MCF", "RTP", "RTN", "PIP", "PIN", "DCN", "CRP"};
  FrameType t = TypeOf(fcf);
  if (t != FrameType::unknown) return kNames[static_cast<int>(t)];
  char text[16];
  std::snprintf(text, sizeof text, "FCF 0x%02X", fcf);
  return text;
}

std::string DleDouble(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    out += c;
    if (static_cast<std::uint8_t>(c) == kDle) out += c;
  }
  return out;
}

std::string BuildFrame(std::uint8_t fcf, bool final, std::string_view info) {
  std::string body;
  body += static_cast<char>(kAddress);
  body += static_cast<char>(final ? kControlFinal : kControlNotFinal);
  body += static_cast<char>(fcf);
  body += info;
  std::string out = DleDouble(body);
  out += static_cast<char>(kDle);
  out += static_cast<char>(kEtx);
  return out;
}

std::optional<Frame> ParseFrameBytes(std::string_view raw) {
  std::string bytes;
  bool started = false;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    auto c = static_cast<std::uint8_t>(raw[i]);
    if (c == kDle && i + 1 < raw.size()) {
      auto next = static_cast<std::uint8_t>(raw[i + 1]);
      if (next == kEtx) break;
      ++i;  // DLE DLE is one data DLE; any other pair keeps the byte after the DLE
      c = next == kDle ? kDle : next;
    } else if (c == kDle) {
      break;  // a lone DLE at the end
    }
    if (!started) {
      if (c != kAddress) continue;  // line noise or a text answer in front of the frame
      started = true;
    }
    bytes += static_cast<char>(c);
  }
  if (bytes.size() < 3) return std::nullopt;
  Frame f;
  f.control = static_cast<std::uint8_t>(bytes[1]);
  f.fcf = static_cast<std::uint8_t>(bytes[2]);
  f.info = bytes.substr(3);
  return f;
}

std::string IdInfo(std::string_view stationId) {
  std::string_view id = stationId.substr(0, kIdLength);
  std::string info(kIdLength - id.size(), ' ');
  info.append(id.rbegin(), id.rend());
  return info;
}

std::string ReadId(std::string_view info) {
  std::string_view field = info.substr(0, kIdLength);
  std::string id;
  for (auto it = field.rbegin(); it != field.rend(); ++it)
    if (static_cast<std::uint8_t>(*it) >= 32) id += *it;
  std::size_t first = id.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  std::size_t last = id.find_last_not_of(' ');
  return id.substr(first, last - first + 1);
}

}  // namespace quillon::fax::t30
