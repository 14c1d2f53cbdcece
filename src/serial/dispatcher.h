#pragma once
// The serial dispatcher: owns one open serial device, buffers received bytes in a ring of
// 8192 bytes, queues bytes for sending in a ring of OutSize bytes, watches line and modem
// status, and turns what happens into notifications (triggers) for registered handlers.
// Three worker threads do the device work: the communication-event thread waits for device
// events, the dispatch thread checks triggers and delivers notifications (waking at least
// every 50 ms for timers), and the output thread drains the transmit ring.
//
// Every operation returns 0 (or a positive value) on success and a negative status code.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_device.h"
#include "serial/byte_ring.h"
#include "serial/dispatch_log.h"
#include "serial/trace_buffer.h"
#include "serial/trigger_tables.h"

namespace quillon::serial {

// Notification messages; the second parameter carries the dispatcher's slot in its high 16 bits.
inline constexpr unsigned kTriggerAvailMsg = 0x7E01;   // first: bytes available
inline constexpr unsigned kTriggerDataMsg = 0x7E02;    // first: handle; low16: string length
inline constexpr unsigned kTriggerTimerMsg = 0x7E03;   // first: handle
inline constexpr unsigned kTriggerStatusMsg = 0x7E04;  // first: handle; low16: type value

inline constexpr std::size_t kReceiveRingSize = 8192;

// Hardware flow options (bits) and software flow options.
inline constexpr int hfUseDTR = 1, hfUseRTS = 2, hfRequireDSR = 4, hfRequireCTS = 8;
inline constexpr int sfTransmitFlow = 1, sfReceiveFlow = 2;

using TriggerHandler = std::function<void(unsigned msg, unsigned first, std::uint32_t second)>;

struct DispatcherOpenParams {
  std::string device;  // "COM3", a device path, or a registered device name
  unsigned inSize = 4096;
  unsigned outSize = 4096;
  std::int32_t baud = 19200;
  platform::SerialParity parity = platform::SerialParity::none;
  int dataBits = 8;
  int stopBits = 1;
  bool dtr = true;
  bool rts = true;
  int hwFlowOptions = 0;
  int swFlowOptions = 0;
};

// Triggers saved across a close and the next open.
struct SavedTriggers {
  TriggerTables tables;
};

class TApdBaseDispatcher {
 public:
  TApdBaseDispatcher();
  virtual ~TApdBaseDispatcher();
  TApdBaseDispatcher(const TApdBaseDispatcher&) = delete;
  TApdBaseDispatcher& operator=(const TApdBaseDispatcher&) = delete;

  // --- opening and closing ---
  int OpenDispatcher(const DispatcherOpenParams& params);
  // Why the last OpenDispatcher failed, when the device said (who holds the port); else empty.
  const std::string& OpenFailureReason() const { return openFailure_; }
  // Closes the device. While notifications are being delivered only the closing flag is set
  // (result 1) and the close completes when the delivery ends; ThreadsGone() then turns true.
  int CloseDispatcher();
  bool IsOpen() const { return open_.load(); }
  bool Closing() const { return closing_.load(); }
  bool Busy() const { return busy_.load(); }
  // No worker thread runs any more (after a close, or a deferred close that has finished).
  bool ThreadsGone() const { return threadCount_.load() == 0; }
  // The device went away while open (unplugged, hung up), or failed a write.
  bool DeviceLost() const { return deviceLost_.load(); }
  int Slot() const { return slot_; }
  // The component that owns this dispatcher (found through the slot in notifications).
  void SetOwner(void* owner) { owner_ = owner; }
  void* Owner() const { return owner_; }
  std::string DeviceName() const;

  // --- sending ---
  int PutChar(std::uint8_t c);
  int PutString(const std::string& s);
  int PutBlock(const void* data, std::size_t size);

  // --- receiving ---
  // A byte, or ecBufferIsEmpty. While an avail or data notification is delivered, the
  // handler being called peeks: its reads do not consume and each handler starts where the
  // delivery began; the read position then advances by the most any handler read. Every
  // other reader (another thread, or code that suspended delivery) consumes, after the bytes
  // a handler has already peeked, so no reader ever sees a byte twice.
  int GetChar(std::uint8_t& c);
  int GetBlock(void* data, std::size_t size);  // all `size` bytes, or ecBufferIsEmpty
  int PeekChar(std::uint8_t& c, std::size_t n);  // the n-th unread byte, 1-based
  int InBuffUsed() const;
  int InBuffFree() const;
  int FlushInBuffer();
  int FlushOutBuffer();
  int OutBuffUsed();
  int OutBuffFree();
  // Bytes the device took but has not yet put on the line (its driver's queue, or what XOFF
  // holds there); 0 when it cannot tell.
  int DeviceOutUsed();

  // --- line control ---
  int SetLine(std::int32_t baud, platform::SerialParity parity, int dataBits, int stopBits);
  int GetLine(std::int32_t& baud, platform::SerialParity& parity, int& dataBits, int& stopBits);
  int SetDtr(bool on);  // 1 when DTR is under hardware flow control
  int SetRts(bool on);  // 1 when RTS is under hardware flow control
  int SetHardwareFlowControl(int options, unsigned bufferFull, unsigned bufferResume);
  int SetSoftwareFlowControl(int options, unsigned bufferFull, unsigned bufferResume);
  int SetXOnChar(std::uint8_t c);
  int SetXOffChar(std::uint8_t c);
  int SetRS485Mode(bool on);
  int SetQueueSizes(unsigned inSize, unsigned outSize);
  platform::SerialSettings Settings() const;
  unsigned InSize() const { return inSize_; }
  unsigned OutSize() const { return outSize_; }

  // First pending line error: 1 overflow, 2 overrun, 3 parity, 4 framing, 9 break (0 none);
  // clears the four low error bits. The break bit stays until CheckLineBreak.
  int GetLineError();
  bool CheckLineBreak();
  std::uint8_t GetModemStatus();
  std::uint8_t GetModemStatusMask(std::uint8_t mask);
  bool CheckDCD();
  bool CheckCTS();
  bool CheckDSR();
  bool CheckRI();

  // --- triggers ---
  int AddTimerTrigger();
  int SetTimerTrigger(int handle, platform::Ticks ticks, bool activate);
  int AddStatusTrigger(int type);
  int SetStatusTrigger(int handle, std::uint32_t value, bool activate);
  int AddDataTrigger(const std::string& text, bool ignoreCase);
  int ChangeLengthTrigger(std::uint32_t length);  // the avail threshold; 0 = off
  std::uint32_t AvailThreshold() const;
  int RemoveTrigger(int handle);
  SavedTriggers SaveTriggers() const;
  void RestoreTriggers(const SavedTriggers& saved);

  // --- suspending delivery ---
  // For code that reads answers straight from the receive ring (sending a command and
  // waiting for its answer outside the state machines). The count nests; while it is above
  // zero no notification (avail, data, timer, status) reaches any handler, and bytes keep
  // arriving in the receive ring, where GetChar, GetBlock and PeekChar take each byte once.
  // Called from a thread other than the one delivering, Suspend first lets a notification
  // already being delivered finish (servicing the main thread's queue when called there, at
  // most 5 s). Nothing that happens while suspended is lost: timers that expire, status
  // changes and received data are checked when the count returns to zero and delivered then
  // as usual (an expired timer fires once, late, rather than never).
  void SuspendTriggerDelivery();
  void RestoreTriggerDelivery();
  bool TriggerDeliverySuspended() const { return suspendCount_.load() > 0; }

  // --- handlers ---
  // Window handlers run on the main thread (sent with a 3000 ms time-out); procedures on
  // the dispatch thread; methods on the dispatch thread, or on the main thread when asked.
  int RegisterWndTriggerHandler(TriggerHandler handler);
  int RegisterProcTriggerHandler(TriggerHandler handler);
  int RegisterEventTriggerHandler(TriggerHandler handler, bool runOnMainThread);
  int DeregisterTriggerHandler(int id);
  // The owner asks for notifications to its window even when it is the only handler.
  void SetNotifyOwner(bool on);
  // Called once on the dispatch thread when the device goes away while open (code -2007),
  // or when a write to it failed (the write's status): the queued output was lost.
  void SetDeviceLostHandler(std::function<void(int code)> handler);

  // --- tracing and logging ---
  int InitTracing(std::size_t entries);
  void StopTracing();   // pause
  void StartTracing();  // resume
  void ClearTracing();
  int DumpTrace(const std::string& path, bool append, bool hex);  // ends tracing
  void AbortTracing();
  bool Tracing() const;
  int InitLogging(std::size_t bytes);
  void StopLogging();
  void StartLogging();
  void ClearLogging();
  int DumpLog(const std::string& path, bool append, bool hex);  // ends logging
  void AbortLogging();
  bool Logging() const;
  void AddDispatchEntry(LogType type, LogSubType subType, std::uint32_t value,
                        const std::uint8_t* data = nullptr, std::size_t length = 0);
  // The heading written into log dumps (tests fix it).
  void SetLogDumpHeading(LogDumpHeading heading);

 protected:
  // Opens the device for OpenDispatcher.
  virtual platform::SerialOpenResult OpenDevice(const DispatcherOpenParams& params) = 0;

 private:
  struct Handler {
    int id;
    int kind;  // 0 window, 1 procedure, 2 method
    TriggerHandler fn;
    bool onMainThread;
    bool removed;
  };

  // Threads.
  void startThreads();
  void stopThreads();
  void stopDeviceThreads();  // communication and output threads
  void comThreadLoop();
  void dispatchThreadLoop();
  void outThreadLoop();
  void writeOut();
  void processEvent(std::uint32_t events);
  void finishDeferredClose();
  void shutDownDevice();

  // Receiving and trigger checks (dispatch thread).
  void receiveBytes();
  void refreshModemStatus();
  void refreshLineErrors();
  bool checkStatusTriggers();
  bool checkTimerTriggers();
  // Data triggers and avail; 0 nothing, 1 delivered, 2 delivered and the pass ends.
  int checkDataTriggers();
  void runTriggerChecks(bool withData);
  void handleDeviceLost(int code);
  void updateDtrHandshake();  // DTR follows the receive ring where the driver has no DTR flow

  // Delivery. The check that chose the notification has set busy_ under the general lock.
  // Returns the most bytes any handler read (peek mode), or -1 when nothing ran.
  long deliver(unsigned msg, unsigned first, std::uint32_t low16);
  // Under the general lock: may a check deliver now? Sets busy_ when it may; the check ends
  // with endDelivery() after the notification went out.
  bool claimDelivery();
  // Receive ring position the calling thread reads from next (input lock held), and moving
  // it on after a read; see GetChar.
  bool readsByPeeking() const;
  std::uint64_t readCursor() const;
  void advanceReadCursor(std::uint64_t to);
  // Suspended code reading on the dispatch thread (inside a handler) takes the device's
  // bytes itself, since the dispatch thread cannot do it meanwhile.
  void receiveWhileSuspended();
  void wakeDispatchThread();
  void callHandler(const Handler& h, unsigned msg, unsigned first, std::uint32_t second, bool peek);
  void endDelivery();
  void recomputeNotifySwitch();  // general lock held
  std::uint32_t elapsedMs() const;
  void logLocked(LogType type, LogSubType subType, std::uint32_t value, const std::uint8_t* data = nullptr,
                 std::size_t length = 0);  // trace lock held

  std::unique_ptr<platform::SerialDevice> device_;
  std::string openFailure_;
  int slot_ = -1;
  void* owner_ = nullptr;
  unsigned inSize_ = 4096, outSize_ = 4096;

  mutable std::mutex lock_;     // settings, triggers, handlers, status
  mutable std::mutex inLock_;   // receive ring, peek state
  mutable std::mutex outLock_;  // transmit ring
  mutable std::mutex traceLock_;  // trace buffer and dispatch log

  // Receive ring (input lock). Peek positions are running positions of the ring: where the
  // delivery began, where the handler being called reads next, and the furthest any handler
  // of this delivery has read.
  ByteRing in_{kReceiveRingSize};
  bool peekMode_ = false;
  std::uint64_t peekBase_ = 0, peekPos_ = 0, peekHigh_ = 0;
  std::thread::id handlerThread_;  // the thread running the handler being called
  std::uint64_t scanPos_ = 0;        // next byte for the data triggers (dispatch thread)
  std::uint64_t matchEnd_ = 0;       // position after a match not yet delivered
  bool matchPending_ = false;
  std::uint64_t availDeliveredAt_ = UINT64_MAX;  // write position of the last avail
  std::uint64_t availBeforeMatchAt_ = UINT64_MAX;
  std::atomic<bool> overflowPending_{false};

  // Transmit ring (output lock); the chunk being written (output thread).
  ByteRing out_;
  std::vector<std::uint8_t> outChunk_;
  std::atomic<int> writeFailure_{0};  // a failed device write, for the dispatch thread

  // General lock.
  platform::SerialSettings dcb_;
  bool dtrState_ = true, rtsState_ = true;
  bool dtrAuto_ = false, rtsAuto_ = false, rs485_ = false;
  bool dtrHeldLow_ = false;  // the DTR handshake dropped DTR: the ring is above its stop level
  std::uint8_t modemStatus_ = 0;
  std::atomic<std::uint8_t> lineErrors_{0};
  TriggerTables triggers_;
  std::vector<Handler> handlers_;
  int nextHandlerId_ = 1;
  bool notifyOwner_ = false;
  bool notifyEnabled_ = false;
  bool deliverToWindows_ = false;
  std::function<void(int)> deviceLostHandler_;

  // Trace lock.
  TraceBuffer trace_;
  DispatchLog log_;
  LogDumpHeading heading_;

  std::atomic<bool> open_{false}, closing_{false}, busy_{false}, closeDeferred_{false};
  std::atomic<bool> outputSent_{false}, ringSeen_{false}, deviceLost_{false};
  std::atomic<int> threadCount_{0};
  std::atomic<int> suspendCount_{0};
  std::atomic<std::thread::id> dispatchThreadId_{};
  std::chrono::steady_clock::time_point openTime_;

  // Thread hand-over.
  std::atomic<bool> stop_{false}, stopDeviceThreads_{false}, abortOutput_{false};
  std::mutex signal_;
  std::condition_variable eventCv_;  // communication event ready / processed / acknowledge
  bool eventReady_ = false, eventProcessed_ = false;
  bool recheckRequested_ = false;  // delivery restored: check every trigger again
  std::uint32_t eventWord_ = 0;
  int acknowledged_ = 0;
  std::condition_variable outCv_;  // output ready / abort / abort acknowledged
  bool outReady_ = false, outAbort_ = false, outAbortAck_ = false;
  std::thread comThread_, dispThread_, outThread_;
};

// Where exceptions escaping a handler or a worker thread are shown; the default writes
// them to standard error. The GUI installs its exception display.
void setSerialExceptionDisplay(std::function<void(const std::string& message)> display);
void showSerialException(const std::string& message);

// Opens "COMn" through the port mapping in the data folder, or a device path, or a
// registered device name.
class TApdPosixDispatcher : public TApdBaseDispatcher {
 public:
  ~TApdPosixDispatcher() override;

 protected:
  platform::SerialOpenResult OpenDevice(const DispatcherOpenParams& params) override;
};

// Adopts a descriptor that the telephony side already opened.
class TApdTapiDispatcher : public TApdBaseDispatcher {
 public:
  explicit TApdTapiDispatcher(int fd) : fd_(fd) {}
  ~TApdTapiDispatcher() override;

 protected:
  platform::SerialOpenResult OpenDevice(const DispatcherOpenParams& params) override;

 private:
  int fd_;
};

}  // namespace quillon::serial
