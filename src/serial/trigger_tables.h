#pragma once
// The dispatcher's trigger tables: timers, data (string) triggers, status triggers and the
// receive-count threshold, with the handle allocation rule. Not thread-safe: the dispatcher
// guards them with its general lock.
#include <cstdint>
#include <vector>

#include "platform/ticks.h"
#include "serial/data_matcher.h"

namespace quillon::serial {

// Status trigger types (the low 3 bits of a status trigger's handle).
enum StatusTriggerType : int {
  stNotActive = 0,
  stModem = 1,      // modem status bits change (value: mask)
  stLine = 2,       // line errors (value: 1 overrun, 2 parity, 4 framing, 8 break)
  stOutFree = 3,    // transmit ring free space >= value
  stOutUsed = 4,    // transmit ring use <= value
  stOutSent = 5,    // after the next send
};

// The handle that switches the receive-count threshold.
inline constexpr int kAvailTriggerHandle = 1;

struct TimerTrigger {
  int handle = 0;
  platform::TickTimer timer;
  platform::Ticks interval = 0;
  bool active = false;
};

struct DataTrigger {
  int handle = 0;
  DataMatcher matcher;
  bool matched = false;
};

struct StatusTrigger {
  int handle = 0;
  int type = stNotActive;
  std::uint32_t value = 0;      // mask or level; a fired line trigger keeps the error bits here
  std::uint8_t reference = 0;   // modem status when a modem trigger was armed
  bool armed = false;
  bool fired = false;
};

struct TriggerTables {
  std::vector<TimerTrigger> timers;
  std::vector<DataTrigger> data;
  std::vector<StatusTrigger> status;
  std::uint32_t availThreshold = 0;  // 0 = off
  int handleCounter = 1;

  // Handles are multiples of 8: counter x 8 while the counter is below 4096, then the
  // smallest multiple of 8 that no table uses.
  int allocateHandle();
  bool handleInUse(int handle) const;

  TimerTrigger* findTimer(int handle);
  StatusTrigger* findStatus(int handle);
  DataTrigger* findData(int handle);
  // Removes a trigger from whichever table holds it; false when none does.
  bool remove(int handle, int* kindOut = nullptr);
};

}  // namespace quillon::serial
