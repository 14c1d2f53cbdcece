#include "modulation.h"

namespace quillon::modem {

const std::vector<Class1Code>& allClass1Codes() {
  static const std::vector<Class1Code> codes = {
      {3, kV21, false},
      {24, {Family::V27ter, 2400}, false},
      {48, {Family::V27ter, 4800}, false},
      {72, {Family::V29, 7200}, false},
      {73, {Family::V17, 7200}, false},
      {74, {Family::V17, 7200}, true},
      {96, {Family::V29, 9600}, false},
      {97, {Family::V17, 9600}, false},
      {98, {Family::V17, 9600}, true},
      {121, {Family::V17, 12000}, false},
      {122, {Family::V17, 12000}, true},
      {145, {Family::V17, 14400}, false},
      {146, {Family::V17, 14400}, true},
  };
  return codes;
}

std::optional<Class1Code> class1Code(int code) {
  for (const auto& c : allClass1Codes())
    if (c.code == code) return c;
  return std::nullopt;
}

std::string class1CodeList(const std::vector<int>& codes) {
  std::string out;
  for (int c : codes) {
    if (!out.empty()) out += ',';
    out += std::to_string(c);
  }
  return out;
}

Micros trainingTime(const Modulation& m, bool shortTrain) {
  switch (m.family) {
    case Family::V21: return ms(1000);  // one second of HDLC flags before the first frame
    case Family::V27ter: return m.bps == 2400 ? ms(943) : ms(708);
    case Family::V29: return ms(253);
    case Family::V17: return shortTrain ? ms(142) : ms(1393);
    case Family::Data: return ms(3000);  // the data modems' handshake
  }
  return 0;
}

TrainingLock trainingLock(const Modulation& m, bool carrierShort, bool receiverShort) {
  if (m.family != Family::V17 || carrierShort == receiverShort) return TrainingLock::Clean;
  return receiverShort ? TrainingLock::Garbled : TrainingLock::Never;
}

std::size_t garbledBytes(const Modulation& m) { return static_cast<std::size_t>(m.bps) / 8; }

void garble(std::string& bytes, std::size_t& garbleLeft) {
  for (std::size_t i = 0; i < bytes.size() && garbleLeft > 0; ++i, --garbleLeft)
    bytes[i] = static_cast<char>(bytes[i] ^ static_cast<char>(0xA5 + garbleLeft * 37));
}

Micros airTime(const Modulation& m, std::size_t bytes) {
  return static_cast<Micros>(bytes) * 8 * 1000000 / m.bps;
}

Micros frameAirTime(std::size_t bytes) { return airTime(kV21, bytes + 3); }

std::optional<Modulation> modulationFromDcsBits(int byte2) {
  switch (byte2 & 0x3C) {
    case 0x00: return Modulation{Family::V27ter, 2400};
    case 0x08: return Modulation{Family::V27ter, 4800};
    case 0x04: return Modulation{Family::V29, 9600};
    case 0x0C: return Modulation{Family::V29, 7200};
    case 0x20: return Modulation{Family::V17, 14400};
    case 0x28: return Modulation{Family::V17, 12000};
    case 0x24: return Modulation{Family::V17, 9600};
    case 0x2C: return Modulation{Family::V17, 7200};
    default: return std::nullopt;  // V.33 and reserved codes: not offered by anyone here
  }
}

int dcsBitsFor(const Modulation& m) {
  switch (m.family) {
    case Family::V27ter: return m.bps == 2400 ? 0x00 : 0x08;
    case Family::V29: return m.bps == 9600 ? 0x04 : 0x0C;
    case Family::V17:
      switch (m.bps) {
        case 14400: return 0x20;
        case 12000: return 0x28;
        case 9600: return 0x24;
        default: return 0x2C;
      }
    case Family::V21:
    case Family::Data: break;
  }
  return 0;
}

std::vector<Modulation> modulationsFromDisBits(int byte2) {
  std::vector<Modulation> out;
  int bits = byte2 & 0x3C;
  bool v17 = (bits & 0x20) != 0 && (bits & 0x0C) == 0x0C;
  bool v29 = (bits & 0x04) != 0;
  bool v27 = (bits & 0x08) != 0;
  if (v17) {
    for (int bps : {14400, 12000, 9600, 7200}) out.push_back({Family::V17, bps});
  }
  if (v29) {
    out.push_back({Family::V29, 9600});
    out.push_back({Family::V29, 7200});
  }
  if (v27) out.push_back({Family::V27ter, 4800});
  out.push_back({Family::V27ter, 2400});
  return out;
}

std::string describe(const Modulation& m) {
  const char* name = "V.21";
  switch (m.family) {
    case Family::V21: break;
    case Family::V27ter: name = "V.27ter"; break;
    case Family::V29: name = "V.29"; break;
    case Family::V17: name = "V.17"; break;
    case Family::Data: name = "V.32bis"; break;
  }
  return std::string(name) + " " + std::to_string(m.bps);
}

}  // namespace quillon::modem
