#pragma once
// Puts one endpoint's signals on the line at the pace of the carrier: the V.21 preamble and
// frames one after another, training before high-speed data, data in 20 ms slices. Callers
// are told when a frame has gone out and when the carrier has stopped.
#include <deque>
#include <functional>
#include <string>

#include "phone_line.h"

namespace quillon::modem {

class LineTransmitter {
 public:
  LineTransmitter(PhoneLine& line, LineEndpoint* owner);

  bool active() const { return on_; }
  const Modulation& modulation() const { return modulation_; }

  // Starts a carrier; `ready` runs when data may flow (after training or the preamble).
  void start(const Modulation& m, bool shortTrain, std::function<void()> ready);
  // V.21: queues a frame; `sent` runs when its last bit has gone out.
  void sendFrame(std::string frame, bool fcsOk, std::function<void()> sent);
  // High speed: queues data.
  void sendData(const std::string& bytes);
  std::size_t queuedBytes() const { return queued_; }
  // Stops the carrier once everything queued has gone out; `stopped` runs then.
  void finish(std::function<void()> stopped);
  // Drops the carrier at once, discarding what is queued.
  void abort();

 private:
  struct Item {
    std::string bytes;
    bool frame = false;
    bool fcsOk = true;
    std::function<void()> done;
  };
  void pump();
  void emit(LineSignal::Kind kind, std::string bytes = {}, bool fcsOk = true);

  PhoneLine& line_;
  LineEndpoint* owner_;
  Timer timer_;
  bool on_ = false;
  bool flowing_ = false;  // training or preamble done
  bool busy_ = false;     // an item is on the air
  Modulation modulation_ = kV21;
  std::deque<Item> items_;
  std::size_t queued_ = 0;
  std::function<void()> whenStopped_;
  bool finishing_ = false;
};

}  // namespace quillon::modem
