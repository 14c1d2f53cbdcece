// Sending, receiving and line control of the dispatcher.
#include <cmath>
#include <thread>

#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::serial {

using namespace std::chrono_literals;

// --- sending ---

int TApdBaseDispatcher::PutChar(std::uint8_t c) { return PutBlock(&c, 1); }

int TApdBaseDispatcher::PutString(const std::string& s) { return PutBlock(s.data(), s.size()); }

int TApdBaseDispatcher::PutBlock(const void* data, std::size_t size) {
  if (!open_) return ecCommNotOpen;
  if (size == 0) return 0;  // nothing to send is not a failure
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  {
    std::lock_guard out(outLock_);
    // The whole block or nothing: a partly queued block would corrupt what follows.
    if (size > out_.freeSpace()) return ecOutputBufferTooSmall;
    out_.put(bytes, size);
  }
  {
    std::lock_guard guard(signal_);
    outReady_ = true;
  }
  outCv_.notify_all();
  outputSent_ = true;
  std::lock_guard trace(traceLock_);
  trace_.add('T', bytes, size);
  logLocked(ltDispatch, lsWriteCom, static_cast<std::uint32_t>(size), bytes, size);
  return 0;
}

// --- receiving ---

void TApdBaseDispatcher::receiveBytes() {
  if (deviceLost_ || !device_) return;
  std::lock_guard in(inLock_);
  platform::SerialLineStatus ls;
  if (device_->lineStatus(ls) == 0) lineErrors_.fetch_or(ls.errors);
  // At most the free space, in up to two reads: to the end of the ring, then from its start.
  for (int part = 0; part < 2; ++part) {
    std::size_t room;
    std::uint8_t* to = in_.writeSpan(room);
    if (room == 0) break;
    long n = device_->read(to, room);
    if (n <= 0) break;  // a failed read counts as nothing read
    in_.commitWrite(static_cast<std::size_t>(n));
    {
      std::lock_guard trace(traceLock_);
      trace_.add('R', to, static_cast<std::size_t>(n));
      logLocked(ltDispatch, lsReadCom, static_cast<std::uint32_t>(n), to, static_cast<std::size_t>(n));
    }
    if (static_cast<std::size_t>(n) < room) break;
  }
  bool more = false;
  if (in_.full() && device_->lineStatus(ls) == 0) {
    lineErrors_.fetch_or(ls.errors);
    more = ls.receiveQueued > 0;
  }
  overflowPending_ = more;  // the rest stays in the device until the ring has room
}

bool TApdBaseDispatcher::readsByPeeking() const {
  return peekMode_ && suspendCount_.load() == 0 && std::this_thread::get_id() == handlerThread_;
}

std::uint64_t TApdBaseDispatcher::readCursor() const {
  std::uint64_t readPos = in_.readPosition();
  if (!peekMode_) return readPos;
  // The handler being called reads from its own position; anyone else after every byte a
  // handler has seen (those are consumed when the delivery ends anyway).
  return std::max(readsByPeeking() ? peekPos_ : peekHigh_, readPos);
}

void TApdBaseDispatcher::advanceReadCursor(std::uint64_t to) {
  if (readsByPeeking()) {
    peekPos_ = to;
    peekHigh_ = std::max(peekHigh_, to);
  } else {
    in_.consume(static_cast<std::size_t>(to - in_.readPosition()));
  }
}

void TApdBaseDispatcher::receiveWhileSuspended() {
  if (suspendCount_.load() > 0 && std::this_thread::get_id() == dispatchThreadId_) receiveBytes();
}

int TApdBaseDispatcher::GetChar(std::uint8_t& c) {
  receiveWhileSuspended();
  std::lock_guard in(inLock_);
  std::uint64_t pos = readCursor();
  if (pos >= in_.written()) return ecBufferIsEmpty;
  c = in_.atPosition(pos);
  advanceReadCursor(pos + 1);
  return 0;
}

int TApdBaseDispatcher::GetBlock(void* data, std::size_t size) {
  receiveWhileSuspended();
  auto* bytes = static_cast<std::uint8_t*>(data);
  std::lock_guard in(inLock_);
  std::uint64_t pos = readCursor();
  if (in_.written() - pos < size) return ecBufferIsEmpty;
  for (std::size_t i = 0; i < size; ++i) bytes[i] = in_.atPosition(pos + i);
  advanceReadCursor(pos + size);
  return static_cast<int>(size);
}

int TApdBaseDispatcher::PeekChar(std::uint8_t& c, std::size_t n) {
  receiveWhileSuspended();
  std::lock_guard in(inLock_);
  std::uint64_t pos = readCursor();
  if (n == 0 || in_.written() - pos < n) return ecBufferIsEmpty;
  c = in_.atPosition(pos + n - 1);
  return 0;
}

int TApdBaseDispatcher::InBuffUsed() const {
  std::lock_guard in(inLock_);
  return static_cast<int>(in_.written() - readCursor());
}

int TApdBaseDispatcher::InBuffFree() const {
  std::lock_guard in(inLock_);
  return static_cast<int>(in_.freeSpace());
}

int TApdBaseDispatcher::FlushInBuffer() {
  if (device_ && !deviceLost_) device_->purge(true, false);
  std::scoped_lock guard(lock_, inLock_);
  // Also from inside a delivery: a hang-up discards what is buffered, and the handlers
  // still to be called find nothing.
  in_.clear();
  peekPos_ = peekHigh_ = in_.written();
  for (auto& t : triggers_.data) {
    t.matcher.reset();
    t.matched = false;
  }
  matchPending_ = false;
  scanPos_ = in_.written();
  return 0;
}

int TApdBaseDispatcher::FlushOutBuffer() {
  if (device_ && !deviceLost_) device_->purge(false, true);
  if (open_ && !ThreadsGone()) {
    abortOutput_ = true;
    std::unique_lock lock(signal_);
    outAbort_ = true;
    outAbortAck_ = false;
    outCv_.notify_all();
    outCv_.wait_for(lock, 3000ms, [&] { return outAbortAck_ || stop_ || stopDeviceThreads_; });
    outAbortAck_ = false;
    abortOutput_ = false;
  }
  std::lock_guard out(outLock_);
  out_.clear();
  return 0;
}

int TApdBaseDispatcher::OutBuffUsed() {
  std::lock_guard out(outLock_);
  return static_cast<int>(out_.used());
}

int TApdBaseDispatcher::OutBuffFree() {
  std::lock_guard out(outLock_);
  return static_cast<int>(out_.freeSpace());
}

int TApdBaseDispatcher::DeviceOutUsed() {
  std::lock_guard guard(lock_);
  if (!device_ || deviceLost_) return 0;
  platform::SerialLineStatus ls;
  if (device_->lineStatus(ls) < 0) return 0;
  lineErrors_.fetch_or(ls.errors);
  return static_cast<int>(ls.transmitQueued);
}

// --- line control ---

namespace {

// The time 18 characters take on the line, in whole milliseconds.
std::chrono::milliseconds eighteenCharacters(const platform::SerialSettings& s) {
  if (s.baud <= 0) return 0ms;
  int bits = s.dataBits + (s.parity != platform::SerialParity::none ? 1 : 0) + s.stopBits + 1;
  double units = 10000000.0 / s.baud * bits * 18;  // in 100 ns
  if (s.baud < 9999) units *= 2;
  return std::chrono::milliseconds(static_cast<long>(std::ceil(units / 10000.0)));
}

}  // namespace

int TApdBaseDispatcher::SetLine(std::int32_t baud, platform::SerialParity parity, int dataBits, int stopBits) {
  if (dataBits < 5 || dataBits > 8 || (stopBits != 1 && stopBits != 2) || baud <= 0) return ecBadArgument;
  platform::SerialSettings settings;
  {
    std::lock_guard guard(lock_);
    if (!device_) return ecCommNotOpen;
    if (dcb_.baud == baud && dcb_.parity == parity && dcb_.dataBits == dataBits && dcb_.stopBits == stopBits)
      return 0;
    settings = dcb_;
  }
  // Let queued bytes leave at the old settings first.
  for (int i = 0; i < 5000 && OutBuffUsed() > 0; ++i) std::this_thread::sleep_for(2ms);
  std::this_thread::sleep_for(eighteenCharacters(settings));
  std::lock_guard guard(lock_);
  platform::SerialSettings next = dcb_;
  next.baud = baud;
  next.parity = parity;
  next.dataBits = dataBits;
  next.stopBits = stopBits;
  int rc = device_->setSettings(next);
  if (rc < 0) return rc;
  dcb_ = next;
  return 0;
}

int TApdBaseDispatcher::GetLine(std::int32_t& baud, platform::SerialParity& parity, int& dataBits, int& stopBits) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  platform::SerialSettings s;
  int rc = device_->getSettings(s);
  if (rc < 0) return rc;
  baud = s.baud;
  parity = s.parity;
  dataBits = s.dataBits;
  stopBits = s.stopBits;
  return 0;
}

platform::SerialSettings TApdBaseDispatcher::Settings() const {
  std::lock_guard guard(lock_);
  return dcb_;
}

int TApdBaseDispatcher::SetDtr(bool on) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  if (dtrAuto_) return 1;  // under hardware flow control
  int rc = device_->setDtr(on);
  if (rc < 0) return rc;
  dtrState_ = on;
  dcb_.dtrControl = on ? platform::DtrControl::enable : platform::DtrControl::disable;
  return 0;
}

int TApdBaseDispatcher::SetRts(bool on) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  if (rtsAuto_) return 1;
  int rc = device_->setRts(on);
  if (rc < 0) return rc;
  rtsState_ = on;
  if (dcb_.rtsControl != platform::RtsControl::toggle)
    dcb_.rtsControl = on ? platform::RtsControl::enable : platform::RtsControl::disable;
  return 0;
}

void TApdBaseDispatcher::updateDtrHandshake() {
  std::lock_guard guard(lock_);
  if (!dtrAuto_ || !device_ || deviceLost_) return;
  std::size_t used;
  {
    std::lock_guard in(inLock_);
    used = in_.used();
  }
  std::size_t stopAt = inSize_ - static_cast<unsigned>(dcb_.xoffLimit);
  std::size_t resumeAt = static_cast<std::size_t>(dcb_.xonLimit);
  if (!dtrHeldLow_ && used >= stopAt) {
    if (device_->setDtr(false) == 0) dtrHeldLow_ = true;
  } else if (dtrHeldLow_ && used <= resumeAt) {
    if (device_->setDtr(true) == 0) dtrHeldLow_ = false;
  }
}

int TApdBaseDispatcher::SetHardwareFlowControl(int options, unsigned bufferFull, unsigned bufferResume) {
  std::lock_guard guard(lock_);
  if (bufferFull < bufferResume || bufferFull > inSize_) return ecBadArgument;
  if (!device_) return ecCommNotOpen;
  platform::SerialSettings next = dcb_;
  dtrAuto_ = options & hfUseDTR;
  rtsAuto_ = options & hfUseRTS;
  using platform::DtrControl;
  using platform::RtsControl;
  next.dtrControl = dtrAuto_ ? DtrControl::handshake : (dtrState_ ? DtrControl::enable : DtrControl::disable);
  if (rtsAuto_)
    next.rtsControl = RtsControl::handshake;
  else if (rs485_)
    next.rtsControl = RtsControl::toggle;
  else
    next.rtsControl = rtsState_ ? RtsControl::enable : RtsControl::disable;
  next.outxDsrFlow = options & hfRequireDSR;
  next.outxCtsFlow = options & hfRequireCTS;
  next.xoffLimit = static_cast<int>(inSize_ - bufferFull);
  next.xonLimit = static_cast<int>(bufferResume);
  int rc = device_->setSettings(next);
  if (rc < 0) return rc;
  dcb_ = next;
  dtrHeldLow_ = false;  // the settings raised DTR again
  return 0;
}

int TApdBaseDispatcher::SetSoftwareFlowControl(int options, unsigned bufferFull, unsigned bufferResume) {
  std::lock_guard guard(lock_);
  if (bufferFull < bufferResume || bufferFull > inSize_) return ecBadArgument;
  if (!device_) return ecCommNotOpen;
  platform::SerialSettings next = dcb_;
  next.outX = options & sfTransmitFlow;
  next.inX = options & sfReceiveFlow;
  if (options) {
    next.xonChar = 17;
    next.xoffChar = 19;
    next.xoffLimit = static_cast<int>(inSize_ - bufferFull);
    next.xonLimit = static_cast<int>(bufferResume);
  }
  int rc = device_->setSettings(next);
  if (rc < 0) return rc;
  dcb_ = next;
  return 0;
}

int TApdBaseDispatcher::SetXOnChar(std::uint8_t c) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  platform::SerialSettings next = dcb_;
  next.xonChar = c;
  int rc = device_->setSettings(next);
  if (rc == 0) dcb_ = next;
  return rc;
}

int TApdBaseDispatcher::SetXOffChar(std::uint8_t c) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  platform::SerialSettings next = dcb_;
  next.xoffChar = c;
  int rc = device_->setSettings(next);
  if (rc == 0) dcb_ = next;
  return rc;
}

int TApdBaseDispatcher::SetRS485Mode(bool on) {
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  rs485_ = on;
  // RTS raised only while transmitting: the driver toggles it where it can.
  platform::SerialSettings next = dcb_;
  if (on)
    next.rtsControl = platform::RtsControl::toggle;
  else if (next.rtsControl == platform::RtsControl::toggle)
    next.rtsControl = rtsState_ ? platform::RtsControl::enable : platform::RtsControl::disable;
  int rc = device_->setSettings(next);
  if (rc == 0) dcb_ = next;
  return rc;
}

int TApdBaseDispatcher::SetQueueSizes(unsigned inSize, unsigned outSize) {
  if (inSize == 0 || outSize == 0) return ecBadArgument;
  std::lock_guard guard(lock_);
  if (!device_) return ecCommNotOpen;
  {
    // The transmit ring takes the new size at once, keeping what is queued in order.
    std::lock_guard out(outLock_);
    if (outSize != out_.capacity()) {
      if (out_.used() > outSize) return ecOutputBufferTooSmall;
      ByteRing resized(outSize);
      while (!out_.empty()) {
        std::size_t length;
        const std::uint8_t* data = out_.readSpan(length);
        resized.put(data, length);
        out_.consume(length);
      }
      out_ = std::move(resized);
    }
  }
  inSize_ = inSize;  // flow levels are checked against it
  outSize_ = outSize;
  return device_->setQueueSizes(inSize, outSize);
}

// --- line and modem status ---

void TApdBaseDispatcher::refreshLineErrors() {
  if (!device_ || deviceLost_) return;
  platform::SerialLineStatus ls;
  if (device_->lineStatus(ls) == 0 && ls.errors) {
    lineErrors_.fetch_or(ls.errors);
    AddDispatchEntry(ltDispatch, lsLineStatus, ls.errors);
  }
}

void TApdBaseDispatcher::refreshModemStatus() {
  std::uint8_t lines = 0;
  {
    std::lock_guard guard(lock_);
    if (!device_ || deviceLost_ || device_->modemStatus(lines) < 0) return;
    std::uint8_t changed = static_cast<std::uint8_t>(((modemStatus_ ^ lines) & 0xF0) >> 4);
    modemStatus_ = static_cast<std::uint8_t>((lines & 0xF0) | (modemStatus_ & 0x0F) | changed);
    if (ringSeen_.exchange(false)) modemStatus_ |= 0x04;  // a ring the device reported
    lines = modemStatus_;
  }
  AddDispatchEntry(ltDispatch, lsModemStatus, lines);
}

int TApdBaseDispatcher::GetLineError() {
  refreshLineErrors();
  std::uint8_t errors = lineErrors_.load();
  int result = 0;
  if (errors & platform::kLineOverflow) result = 1;
  else if (errors & platform::kLineOverrun) result = 2;
  else if (errors & platform::kLineParity) result = 3;
  else if (errors & platform::kLineFraming) result = 4;
  else if (errors & platform::kLineBreak) result = 9;
  lineErrors_.fetch_and(platform::kLineBreak);
  return result;
}

bool TApdBaseDispatcher::CheckLineBreak() {
  refreshLineErrors();
  return lineErrors_.fetch_and(static_cast<std::uint8_t>(~platform::kLineBreak)) & platform::kLineBreak;
}

std::uint8_t TApdBaseDispatcher::GetModemStatus() {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  std::uint8_t status = modemStatus_;
  modemStatus_ &= 0xF0;  // change bits are reported once
  return status;
}

std::uint8_t TApdBaseDispatcher::GetModemStatusMask(std::uint8_t mask) {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  std::uint8_t status = modemStatus_;
  // Only change bits outside the mask are cleared: the lines themselves stay, or the next
  // refresh would take them for changes.
  modemStatus_ &= static_cast<std::uint8_t>(mask | 0xF0);
  return status;
}

bool TApdBaseDispatcher::CheckDCD() {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  bool dcd = modemStatus_ & platform::kModemDcd;
  modemStatus_ &= static_cast<std::uint8_t>(~0x08);
  return dcd;
}

bool TApdBaseDispatcher::CheckCTS() {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  return modemStatus_ & platform::kModemCts;
}

bool TApdBaseDispatcher::CheckDSR() {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  return modemStatus_ & platform::kModemDsr;
}

bool TApdBaseDispatcher::CheckRI() {
  refreshModemStatus();
  std::lock_guard guard(lock_);
  return modemStatus_ & platform::kModemRi;
}

}  // namespace quillon::serial
