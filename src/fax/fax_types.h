#pragma once
// Shared names of the fax engine: fax classes, log codes, progress codes and the event types
// of the fax session components.
#include <cstdint>
#include <functional>
#include <string>

namespace quillon::fax {

enum TFaxClass : std::uint8_t { fcUnknown = 0, fcDetect = 1, fcClass1 = 2, fcClass2 = 3, fcClass2_0 = 4 };

// The set of classes a modem reports (bit n = TFaxClass n).
struct TFaxClassSet {
  std::uint8_t bits = 0;
  bool has(TFaxClass c) const { return bits & (1u << c); }
  void add(TFaxClass c) { bits |= std::uint8_t(1u << c); }
  bool empty() const { return bits == 0; }
  bool operator==(const TFaxClassSet&) const = default;
};

using TFaxLogCode = std::uint8_t;
inline constexpr TFaxLogCode LogTransmitStart = 1;
inline constexpr TFaxLogCode LogTransmitOk = 2;
inline constexpr TFaxLogCode LogTransmitFail = 3;
inline constexpr TFaxLogCode LogReceiveStart = 4;
inline constexpr TFaxLogCode LogReceiveOk = 5;
inline constexpr TFaxLogCode LogReceiveSkip = 6;
inline constexpr TFaxLogCode LogReceiveFail = 7;

// Progress codes; their texts are in the fax string table.
inline constexpr int fpInitModem = 1;
inline constexpr int fpDialing = 2;
inline constexpr int fpBusyWait = 3;
inline constexpr int fpSendPage = 4;
inline constexpr int fpSendPageStatus = 5;
inline constexpr int fpPageError = 6;
inline constexpr int fpPageOK = 7;
inline constexpr int fpConnecting = 8;
inline constexpr int fpGotRemoteID = 41;
inline constexpr int fpSessionParams = 40;
inline constexpr int fpCancel = 42;
inline constexpr int fpFinished = 43;

// Messages of the engine to its component (the values its notification window used).
inline constexpr unsigned FaxMsgCancel = 32416;
inline constexpr unsigned FaxMsgNext = 32417;
inline constexpr unsigned FaxMsgStatus = 32418;
inline constexpr unsigned FaxMsgLog = 32419;
inline constexpr unsigned FaxMsgName = 32420;
inline constexpr unsigned FaxMsgAccept = 32421;
inline constexpr unsigned FaxMsgError = 32422;
inline constexpr unsigned FaxMsgFinish = 32423;

class TApdCustomAbstractFax;

using TFaxStatusEvent = std::function<void(TApdCustomAbstractFax& cp, bool first, bool last)>;
using TFaxLogEvent = std::function<void(TApdCustomAbstractFax& cp, TFaxLogCode logCode)>;
using TFaxErrorEvent = std::function<void(TApdCustomAbstractFax& cp, int errorCode)>;
using TFaxFinishEvent = std::function<void(TApdCustomAbstractFax& cp, int errorCode)>;
using TFaxAcceptEvent = std::function<void(TApdCustomAbstractFax& cp, bool& accept)>;
using TFaxNameEvent = std::function<void(TApdCustomAbstractFax& cp, std::string& name)>;
using TFaxNextEvent = std::function<void(TApdCustomAbstractFax& cp, std::string& phoneNumber,
                                         std::string& faxFile, std::string& coverFile)>;

// Short strings of the engine.
inline constexpr std::size_t kPassStringLength = 255;
inline constexpr std::size_t kModemStringLength = 40;
inline constexpr std::size_t kStationIdLength = 20;

inline std::string cut(const std::string& s, std::size_t n) { return s.size() > n ? s.substr(0, n) : s; }
std::string upperCase(std::string s);

}  // namespace quillon::fax
