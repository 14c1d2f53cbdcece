#pragma once
// The carriers a fax call uses: V.21 channel 2 for control frames at 300 bit/s, and the
// high-speed page carriers (V.27 ter, V.29, V.17). Class 1 names them by the codes of
// "AT+FTM=" / "AT+FRM="; T.30 names them by the rate bits of DIS and DCS.
#include <optional>
#include <string>
#include <vector>

#include "scheduler.h"

namespace quillon::modem {

// Data is the carrier of a Class 0 data call (V.32bis); the others are fax carriers.
enum class Family { V21, V27ter, V29, V17, Data };

struct Modulation {
  Family family = Family::V21;
  int bps = 300;

  bool operator==(const Modulation&) const = default;
};

constexpr Modulation kV21{Family::V21, 300};
constexpr Modulation kDataCarrier{Family::Data, 14400};

// A Class 1 modulation code ("96", "146" ...): the carrier and whether it trains long.
struct Class1Code {
  int code;
  Modulation modulation;
  bool shortTrain;
};

// Every code a Class 1 modem may know, in ascending order.
const std::vector<Class1Code>& allClass1Codes();
std::optional<Class1Code> class1Code(int code);
// "24,48,72,..." for the given codes.
std::string class1CodeList(const std::vector<int>& codes);

// Time a carrier needs from its start until data flows (training, or V.21 preamble flags).
Micros trainingTime(const Modulation& m, bool shortTrain);
// How a receiver set for one training kind takes a carrier. Only V.17 trains two ways: a
// receiver waiting for the long training never locks onto a short one, and one waiting for
// the short training locks onto a long one late, so the first data it hears is garbage.
enum class TrainingLock { Clean, Garbled, Never };
TrainingLock trainingLock(const Modulation& m, bool carrierShort, bool receiverShort);
// What a late lock leaves of the start of the data: about the first second is noise (SpanDSP
// loses some 48 rows of a page this way).
// `garbleLeft` counts down the bytes still to spoil (set it with garbledBytes()).
std::size_t garbledBytes(const Modulation& m);
void garble(std::string& bytes, std::size_t& garbleLeft);

// Air time of `bytes` bytes at the modulation's rate.
Micros airTime(const Modulation& m, std::size_t bytes);
// Air time of a V.21 frame of `bytes` bytes (address to information) with its FCS and flag.
Micros frameAirTime(std::size_t bytes);

// DCS rate bits (byte 2 of the information field, mask 0x3C) to a carrier, and back.
std::optional<Modulation> modulationFromDcsBits(int byte2);
int dcsBitsFor(const Modulation& m);
// The carriers a DIS offers, fastest first.
std::vector<Modulation> modulationsFromDisBits(int byte2);

std::string describe(const Modulation& m);

}  // namespace quillon::modem
