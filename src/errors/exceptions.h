#pragma once
// The exception tree the serial, fax and image components raise at their boundaries. Every
// EAPDException carries its (negative) status code; the runtime's input/output and
// out-of-memory errors have classes of their own below.
#include <new>
#include <stdexcept>
#include <string>

namespace quillon {

class EAPDException : public std::runtime_error {
 public:
  EAPDException(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  int code_;
};

// The runtime's input/output error: operating-system and file errors 2 ... 162, carrying the
// positive error number.
class EInOutError : public std::runtime_error {
 public:
  EInOutError(const std::string& message, int errorNumber)
      : std::runtime_error(message), errorNumber_(errorNumber) {}
  int errorNumber() const noexcept { return errorNumber_; }

 private:
  int errorNumber_;
};

// The runtime's out-of-memory error; a std::bad_alloc so existing handlers catch it too.
class EOutOfMemory : public std::bad_alloc {
 public:
  explicit EOutOfMemory(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A message table that cannot be opened (missing, unreadable or without its magic).
class EQvsStringResourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

#define QUILLON_APD_EXCEPTION(Name, Base) \
  class Name : public Base {              \
   public:                                \
    using Base::Base;                     \
  };

// Groups.
QUILLON_APD_EXCEPTION(EGeneral, EAPDException)
QUILLON_APD_EXCEPTION(EOpenComm, EAPDException)
QUILLON_APD_EXCEPTION(ESerialIO, EAPDException)
QUILLON_APD_EXCEPTION(EModem, EAPDException)
QUILLON_APD_EXCEPTION(ETrigger, EAPDException)
QUILLON_APD_EXCEPTION(EProtocol, EAPDException)
QUILLON_APD_EXCEPTION(EINI, EAPDException)
QUILLON_APD_EXCEPTION(EFax, EAPDException)
QUILLON_APD_EXCEPTION(ETapi, EAPDException)

// General.
QUILLON_APD_EXCEPTION(EBadArgument, EGeneral)
QUILLON_APD_EXCEPTION(EGotQuitMsg, EGeneral)
QUILLON_APD_EXCEPTION(EBufferTooBig, EGeneral)
QUILLON_APD_EXCEPTION(EPortNotAssigned, EGeneral)
QUILLON_APD_EXCEPTION(EInternal, EGeneral)
QUILLON_APD_EXCEPTION(EModemNotAssigned, EGeneral)
QUILLON_APD_EXCEPTION(EPhonebookNotAssigned, EGeneral)
QUILLON_APD_EXCEPTION(ECannotUseWithWinSock, EGeneral)

// Opening the port.
QUILLON_APD_EXCEPTION(EBadId, EOpenComm)
QUILLON_APD_EXCEPTION(EBaudRate, EOpenComm)
QUILLON_APD_EXCEPTION(EByteSize, EOpenComm)
QUILLON_APD_EXCEPTION(EDefault, EOpenComm)
QUILLON_APD_EXCEPTION(EHardware, EOpenComm)
QUILLON_APD_EXCEPTION(EMemory, EOpenComm)
QUILLON_APD_EXCEPTION(ECommNotOpen, EOpenComm)
QUILLON_APD_EXCEPTION(EAlreadyOpen, EOpenComm)
QUILLON_APD_EXCEPTION(ENoHandles, EOpenComm)
QUILLON_APD_EXCEPTION(ENoTimers, EOpenComm)
QUILLON_APD_EXCEPTION(ENoPortSelected, EOpenComm)
QUILLON_APD_EXCEPTION(ENotOpenedByTapi, EOpenComm)

// Serial input/output.
QUILLON_APD_EXCEPTION(ENullApi, ESerialIO)
QUILLON_APD_EXCEPTION(ERegisterHandlerFailed, ESerialIO)
QUILLON_APD_EXCEPTION(EPutBlockFail, ESerialIO)
QUILLON_APD_EXCEPTION(EGetBlockFail, ESerialIO)
QUILLON_APD_EXCEPTION(EOutputBufferTooSmall, ESerialIO)
QUILLON_APD_EXCEPTION(EBufferIsEmpty, ESerialIO)
QUILLON_APD_EXCEPTION(ETracingNotEnabled, ESerialIO)
QUILLON_APD_EXCEPTION(ELoggingNotEnabled, ESerialIO)
QUILLON_APD_EXCEPTION(EBaseAddressNotSet, ESerialIO)

// Modem.
QUILLON_APD_EXCEPTION(EModemNotStarted, EModem)
QUILLON_APD_EXCEPTION(EModemBusy, EModem)
QUILLON_APD_EXCEPTION(EModemNotDialing, EModem)
QUILLON_APD_EXCEPTION(ENotDialing, EModem)
QUILLON_APD_EXCEPTION(EAlreadyDialing, EModem)
QUILLON_APD_EXCEPTION(EModemNotResponding, EModem)
QUILLON_APD_EXCEPTION(EModemRejectedCommand, EModem)
QUILLON_APD_EXCEPTION(EModemStatusMismatch, EModem)

// Triggers.
QUILLON_APD_EXCEPTION(ETriggerTooLong, ETrigger)
QUILLON_APD_EXCEPTION(EBadTriggerHandle, ETrigger)

// INI-file database.
QUILLON_APD_EXCEPTION(EKeyTooLong, EINI)
QUILLON_APD_EXCEPTION(EDataTooLarge, EINI)
QUILLON_APD_EXCEPTION(EIniWrite, EINI)
QUILLON_APD_EXCEPTION(EIniRead, EINI)
QUILLON_APD_EXCEPTION(ERecordExists, EINI)
QUILLON_APD_EXCEPTION(ERecordNotFound, EINI)
QUILLON_APD_EXCEPTION(EDatabaseFull, EINI)
QUILLON_APD_EXCEPTION(EDatabaseEmpty, EINI)
QUILLON_APD_EXCEPTION(EBadFieldList, EINI)
QUILLON_APD_EXCEPTION(EBadFieldForIndex, EINI)

// Fax.
QUILLON_APD_EXCEPTION(EFaxBadFormat, EFax)
QUILLON_APD_EXCEPTION(EBadGraphicsFormat, EFax)
QUILLON_APD_EXCEPTION(EConvertAbort, EFax)
QUILLON_APD_EXCEPTION(EUnpackAbort, EFax)
QUILLON_APD_EXCEPTION(ECantMakeBitmap, EFax)
QUILLON_APD_EXCEPTION(EFaxBadMachine, EFax)
QUILLON_APD_EXCEPTION(EFaxBadModemResult, EFax)
QUILLON_APD_EXCEPTION(EFaxTrainError, EFax)
QUILLON_APD_EXCEPTION(EFaxInitError, EFax)
QUILLON_APD_EXCEPTION(EFaxBusy, EFax)
QUILLON_APD_EXCEPTION(EFaxVoiceCall, EFax)
QUILLON_APD_EXCEPTION(EFaxDataCall, EFax)
QUILLON_APD_EXCEPTION(EFaxNoDialTone, EFax)
QUILLON_APD_EXCEPTION(EFaxNoCarrier, EFax)
QUILLON_APD_EXCEPTION(EFaxSessionError, EFax)
QUILLON_APD_EXCEPTION(EFaxPageError, EFax)

// Telephony: one class per telephony error, named after it.
QUILLON_APD_EXCEPTION(ETapiAllocated, ETapi)
QUILLON_APD_EXCEPTION(ETapiBadDeviceID, ETapi)
QUILLON_APD_EXCEPTION(ETapiBearerModeUnavail, ETapi)
QUILLON_APD_EXCEPTION(ETapiCallUnavail, ETapi)
QUILLON_APD_EXCEPTION(ETapiCompletionOverrun, ETapi)
QUILLON_APD_EXCEPTION(ETapiConferenceFull, ETapi)
QUILLON_APD_EXCEPTION(ETapiDialBilling, ETapi)
QUILLON_APD_EXCEPTION(ETapiDialDialtone, ETapi)
QUILLON_APD_EXCEPTION(ETapiDialPrompt, ETapi)
QUILLON_APD_EXCEPTION(ETapiDialQuiet, ETapi)
QUILLON_APD_EXCEPTION(ETapiIncompatibleApiVersion, ETapi)
QUILLON_APD_EXCEPTION(ETapiIncompatibleExtVersion, ETapi)
QUILLON_APD_EXCEPTION(ETapiIniFileCorrupt, ETapi)
QUILLON_APD_EXCEPTION(ETapiInUse, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAddress, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAddressID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAddressMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAddressState, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAppHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalAppName, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalBearerMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallComplMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallParams, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallPrivilege, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallSelect, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallState, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCallStateList, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCard, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCompletionID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalConfCallHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalConsultCallHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalCountryCode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDeviceClass, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDeviceHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDialParams, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDigitList, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDigitMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalDigits, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalExtVersion, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalGroupID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalLineHandle, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalLineState, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalLocation, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalMediaList, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalMediaMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalMessageID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalParam, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalParkID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalParkMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalPointer, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalPrivSelect, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalRate, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalRequestMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalTerminalID, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalTerminalMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalTimeout, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalTone, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalToneList, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalToneMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalTransferMode, ETapi)
QUILLON_APD_EXCEPTION(ETapiLineMapperFailed, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoConference, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoDevice, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoDriver, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoMem, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoRequest, ETapi)
QUILLON_APD_EXCEPTION(ETapiNotOwner, ETapi)
QUILLON_APD_EXCEPTION(ETapiNotRegistered, ETapi)
QUILLON_APD_EXCEPTION(ETapiOperationFailed, ETapi)
QUILLON_APD_EXCEPTION(ETapiOperationUnavail, ETapi)
QUILLON_APD_EXCEPTION(ETapiRateUnavail, ETapi)
QUILLON_APD_EXCEPTION(ETapiResourceUnavail, ETapi)
QUILLON_APD_EXCEPTION(ETapiRequestOverflow, ETapi)
QUILLON_APD_EXCEPTION(ETapiStructureTooSmall, ETapi)
QUILLON_APD_EXCEPTION(ETapiTargetNotFound, ETapi)
QUILLON_APD_EXCEPTION(ETapiTargetSelf, ETapi)
QUILLON_APD_EXCEPTION(ETapiUninitialized, ETapi)
QUILLON_APD_EXCEPTION(ETapiUserUserInfoTooBig, ETapi)
QUILLON_APD_EXCEPTION(ETapiReinit, ETapi)
QUILLON_APD_EXCEPTION(ETapiAddressBlocked, ETapi)
QUILLON_APD_EXCEPTION(ETapiBillingRejected, ETapi)
QUILLON_APD_EXCEPTION(ETapiInvalFeature, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoMultipleInstance, ETapi)
QUILLON_APD_EXCEPTION(ETapiBusy, ETapi)
QUILLON_APD_EXCEPTION(ETapiNotSet, ETapi)
QUILLON_APD_EXCEPTION(ETapiNoSelect, ETapi)
QUILLON_APD_EXCEPTION(ETapiPortNotOpen, ETapi)
QUILLON_APD_EXCEPTION(ETapiCallUnavailable, ETapi)
QUILLON_APD_EXCEPTION(ETapiUnexpected, ETapi)
QUILLON_APD_EXCEPTION(ETapiVoiceNotSupported, ETapi)
QUILLON_APD_EXCEPTION(ETapiGetAddressIDFailed, ETapi)
QUILLON_APD_EXCEPTION(ETapiTranslateFail, ETapi)

#undef QUILLON_APD_EXCEPTION

}  // namespace quillon
