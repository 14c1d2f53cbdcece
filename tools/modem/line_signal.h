#pragma once
// What one side of a connected call puts on the line, as the other side's modem hears it:
// a carrier starting (its data flowing after training), an HDLC frame ending on V.21,
// high-speed data, and the carrier stopping. Audio is not modelled below this level.
#include <string>

#include "modulation.h"

namespace quillon::modem {

struct LineSignal {
  enum class Kind { CarrierOn, Frame, Data, CarrierOff };
  Kind kind = Kind::CarrierOn;
  Modulation modulation = kV21;
  bool shortTrain = false;
  // CarrierOn: line time when the training ends and data begins.
  Micros dataStart = 0;
  // Frame: address, control, FCF and information (without FCS); Data: the bytes.
  std::string bytes;
  bool fcsOk = true;
};

}  // namespace quillon::modem
