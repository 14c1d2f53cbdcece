#include "errors/raise_on_error.h"

#include <algorithm>
#include <iterator>

#include "errors/error_codes.h"
#include "errors/error_text.h"

namespace quillon {
namespace {

using Raiser = void (*)(const std::string& message, int code);

template <class E>
[[noreturn]] void raiseAs(const std::string& message, int code) {
  throw E(message, code);
}

struct CodeClass {
  int code;
  Raiser raise;
};

// Codes with an exception class of their own (a few INI and protocol codes share one).
constexpr CodeClass kCodeClasses[] = {
    {ecBadArgument, &raiseAs<EBadArgument>},
    {ecGotQuitMsg, &raiseAs<EGotQuitMsg>},
    {ecBufferTooBig, &raiseAs<EBufferTooBig>},
    {ecPortNotAssigned, &raiseAs<EPortNotAssigned>},
    {ecInternal, &raiseAs<EInternal>},
    {ecModemNotAssigned, &raiseAs<EModemNotAssigned>},
    {ecPhonebookNotAssigned, &raiseAs<EPhonebookNotAssigned>},
    {ecCannotUseWithWinSock, &raiseAs<ECannotUseWithWinSock>},
    {ecBadId, &raiseAs<EBadId>},
    {ecBaudRate, &raiseAs<EBaudRate>},
    {ecByteSize, &raiseAs<EByteSize>},
    {ecDefault, &raiseAs<EDefault>},
    {ecHardware, &raiseAs<EHardware>},
    {ecMemory, &raiseAs<EMemory>},
    {ecCommNotOpen, &raiseAs<ECommNotOpen>},
    {ecAlreadyOpen, &raiseAs<EAlreadyOpen>},
    {ecNoHandles, &raiseAs<ENoHandles>},
    {ecNoTimers, &raiseAs<ENoTimers>},
    {ecNoPortSelected, &raiseAs<ENoPortSelected>},
    {ecNotOpenedByTapi, &raiseAs<ENotOpenedByTapi>},
    {ecNullApi, &raiseAs<ENullApi>},
    {ecRegisterHandlerFailed, &raiseAs<ERegisterHandlerFailed>},
    {ecPutBlockFail, &raiseAs<EPutBlockFail>},
    {ecGetBlockFail, &raiseAs<EGetBlockFail>},
    {ecOutputBufferTooSmall, &raiseAs<EOutputBufferTooSmall>},
    {ecBufferIsEmpty, &raiseAs<EBufferIsEmpty>},
    {ecTracingNotEnabled, &raiseAs<ETracingNotEnabled>},
    {ecLoggingNotEnabled, &raiseAs<ELoggingNotEnabled>},
    {ecBaseAddressNotSet, &raiseAs<EBaseAddressNotSet>},
    {ecModemNotStarted, &raiseAs<EModemNotStarted>},
    {ecModemBusy, &raiseAs<EModemBusy>},
    {ecModemNotDialing, &raiseAs<EModemNotDialing>},
    {ecNotDialing, &raiseAs<ENotDialing>},
    {ecAlreadyDialing, &raiseAs<EAlreadyDialing>},
    {ecModemNotResponding, &raiseAs<EModemNotResponding>},
    {ecModemRejectedCommand, &raiseAs<EModemRejectedCommand>},
    {ecModemStatusMismatch, &raiseAs<EModemStatusMismatch>},
    {ecTriggerTooLong, &raiseAs<ETriggerTooLong>},
    {ecBadTriggerHandle, &raiseAs<EBadTriggerHandle>},
    {ecTimeout, &raiseAs<EProtocol>},
    {ecTooManyErrors, &raiseAs<EProtocol>},
    {ecSequenceError, &raiseAs<EProtocol>},
    {ecKeyTooLong, &raiseAs<EKeyTooLong>},
    {ecDataTooLarge, &raiseAs<EDataTooLarge>},
    {ecIniFieldNotFound, &raiseAs<EInternal>},
    {ecIniWrite, &raiseAs<EIniWrite>},
    {ecIniRead, &raiseAs<EIniRead>},
    {ecIniNoFields, &raiseAs<EInternal>},
    {ecRecordExists, &raiseAs<ERecordExists>},
    {ecRecordNotFound, &raiseAs<ERecordNotFound>},
    {ecDatabaseFull, &raiseAs<EDatabaseFull>},
    {ecDatabaseEmpty, &raiseAs<EDatabaseEmpty>},
    {ecIniNoIndexKey, &raiseAs<EInternal>},
    {ecBadFieldList, &raiseAs<EBadFieldList>},
    {ecBadFieldForIndex, &raiseAs<EBadFieldForIndex>},
    {ecFaxBadFormat, &raiseAs<EFaxBadFormat>},
    {ecBadGraphicsFormat, &raiseAs<EBadGraphicsFormat>},
    {ecConvertAbort, &raiseAs<EConvertAbort>},
    {ecUnpackAbort, &raiseAs<EUnpackAbort>},
    {ecCantMakeBitmap, &raiseAs<ECantMakeBitmap>},
    {ecFaxBadMachine, &raiseAs<EFaxBadMachine>},
    {ecFaxBadModemResult, &raiseAs<EFaxBadModemResult>},
    {ecFaxTrainError, &raiseAs<EFaxTrainError>},
    {ecFaxInitError, &raiseAs<EFaxInitError>},
    {ecFaxBusy, &raiseAs<EFaxBusy>},
    {ecFaxVoiceCall, &raiseAs<EFaxVoiceCall>},
    {ecFaxDataCall, &raiseAs<EFaxDataCall>},
    {ecFaxNoDialTone, &raiseAs<EFaxNoDialTone>},
    {ecFaxNoCarrier, &raiseAs<EFaxNoCarrier>},
    {ecFaxSessionError, &raiseAs<EFaxSessionError>},
    {ecFaxPageError, &raiseAs<EFaxPageError>},
    {ecTapiAllocated, &raiseAs<ETapiAllocated>},
    {ecTapiBadDeviceID, &raiseAs<ETapiBadDeviceID>},
    {ecTapiBearerModeUnavail, &raiseAs<ETapiBearerModeUnavail>},
    {ecTapiCallUnavail, &raiseAs<ETapiCallUnavail>},
    {ecTapiCompletionOverrun, &raiseAs<ETapiCompletionOverrun>},
    {ecTapiConferenceFull, &raiseAs<ETapiConferenceFull>},
    {ecTapiDialBilling, &raiseAs<ETapiDialBilling>},
    {ecTapiDialDialtone, &raiseAs<ETapiDialDialtone>},
    {ecTapiDialPrompt, &raiseAs<ETapiDialPrompt>},
    {ecTapiDialQuiet, &raiseAs<ETapiDialQuiet>},
    {ecTapiIncompatibleApiVersion, &raiseAs<ETapiIncompatibleApiVersion>},
    {ecTapiIncompatibleExtVersion, &raiseAs<ETapiIncompatibleExtVersion>},
    {ecTapiIniFileCorrupt, &raiseAs<ETapiIniFileCorrupt>},
    {ecTapiInUse, &raiseAs<ETapiInUse>},
    {ecTapiInvalAddress, &raiseAs<ETapiInvalAddress>},
    {ecTapiInvalAddressID, &raiseAs<ETapiInvalAddressID>},
    {ecTapiInvalAddressMode, &raiseAs<ETapiInvalAddressMode>},
    {ecTapiInvalAddressState, &raiseAs<ETapiInvalAddressState>},
    {ecTapiInvalAppHandle, &raiseAs<ETapiInvalAppHandle>},
    {ecTapiInvalAppName, &raiseAs<ETapiInvalAppName>},
    {ecTapiInvalBearerMode, &raiseAs<ETapiInvalBearerMode>},
    {ecTapiInvalCallComplMode, &raiseAs<ETapiInvalCallComplMode>},
    {ecTapiInvalCallHandle, &raiseAs<ETapiInvalCallHandle>},
    {ecTapiInvalCallParams, &raiseAs<ETapiInvalCallParams>},
    {ecTapiInvalCallPrivilege, &raiseAs<ETapiInvalCallPrivilege>},
    {ecTapiInvalCallSelect, &raiseAs<ETapiInvalCallSelect>},
    {ecTapiInvalCallState, &raiseAs<ETapiInvalCallState>},
    {ecTapiInvalCallStateList, &raiseAs<ETapiInvalCallStateList>},
    {ecTapiInvalCard, &raiseAs<ETapiInvalCard>},
    {ecTapiInvalCompletionID, &raiseAs<ETapiInvalCompletionID>},
    {ecTapiInvalConfCallHandle, &raiseAs<ETapiInvalConfCallHandle>},
    {ecTapiInvalConsultCallHandle, &raiseAs<ETapiInvalConsultCallHandle>},
    {ecTapiInvalCountryCode, &raiseAs<ETapiInvalCountryCode>},
    {ecTapiInvalDeviceClass, &raiseAs<ETapiInvalDeviceClass>},
    {ecTapiInvalDeviceHandle, &raiseAs<ETapiInvalDeviceHandle>},
    {ecTapiInvalDialParams, &raiseAs<ETapiInvalDialParams>},
    {ecTapiInvalDigitList, &raiseAs<ETapiInvalDigitList>},
    {ecTapiInvalDigitMode, &raiseAs<ETapiInvalDigitMode>},
    {ecTapiInvalDigits, &raiseAs<ETapiInvalDigits>},
    {ecTapiInvalExtVersion, &raiseAs<ETapiInvalExtVersion>},
    {ecTapiInvalGroupID, &raiseAs<ETapiInvalGroupID>},
    {ecTapiInvalLineHandle, &raiseAs<ETapiInvalLineHandle>},
    {ecTapiInvalLineState, &raiseAs<ETapiInvalLineState>},
    {ecTapiInvalLocation, &raiseAs<ETapiInvalLocation>},
    {ecTapiInvalMediaList, &raiseAs<ETapiInvalMediaList>},
    {ecTapiInvalMediaMode, &raiseAs<ETapiInvalMediaMode>},
    {ecTapiInvalMessageID, &raiseAs<ETapiInvalMessageID>},
    {ecTapiInvalParam, &raiseAs<ETapiInvalParam>},
    {ecTapiInvalParkID, &raiseAs<ETapiInvalParkID>},
    {ecTapiInvalParkMode, &raiseAs<ETapiInvalParkMode>},
    {ecTapiInvalPointer, &raiseAs<ETapiInvalPointer>},
    {ecTapiInvalPrivSelect, &raiseAs<ETapiInvalPrivSelect>},
    {ecTapiInvalRate, &raiseAs<ETapiInvalRate>},
    {ecTapiInvalRequestMode, &raiseAs<ETapiInvalRequestMode>},
    {ecTapiInvalTerminalID, &raiseAs<ETapiInvalTerminalID>},
    {ecTapiInvalTerminalMode, &raiseAs<ETapiInvalTerminalMode>},
    {ecTapiInvalTimeout, &raiseAs<ETapiInvalTimeout>},
    {ecTapiInvalTone, &raiseAs<ETapiInvalTone>},
    {ecTapiInvalToneList, &raiseAs<ETapiInvalToneList>},
    {ecTapiInvalToneMode, &raiseAs<ETapiInvalToneMode>},
    {ecTapiInvalTransferMode, &raiseAs<ETapiInvalTransferMode>},
    {ecTapiLineMapperFailed, &raiseAs<ETapiLineMapperFailed>},
    {ecTapiNoConference, &raiseAs<ETapiNoConference>},
    {ecTapiNoDevice, &raiseAs<ETapiNoDevice>},
    {ecTapiNoDriver, &raiseAs<ETapiNoDriver>},
    {ecTapiNoMem, &raiseAs<ETapiNoMem>},
    {ecTapiNoRequest, &raiseAs<ETapiNoRequest>},
    {ecTapiNotOwner, &raiseAs<ETapiNotOwner>},
    {ecTapiNotRegistered, &raiseAs<ETapiNotRegistered>},
    {ecTapiOperationFailed, &raiseAs<ETapiOperationFailed>},
    {ecTapiOperationUnavail, &raiseAs<ETapiOperationUnavail>},
    {ecTapiRateUnavail, &raiseAs<ETapiRateUnavail>},
    {ecTapiResourceUnavail, &raiseAs<ETapiResourceUnavail>},
    {ecTapiRequestOverflow, &raiseAs<ETapiRequestOverflow>},
    {ecTapiStructureTooSmall, &raiseAs<ETapiStructureTooSmall>},
    {ecTapiTargetNotFound, &raiseAs<ETapiTargetNotFound>},
    {ecTapiTargetSelf, &raiseAs<ETapiTargetSelf>},
    {ecTapiUninitialized, &raiseAs<ETapiUninitialized>},
    {ecTapiUserUserInfoTooBig, &raiseAs<ETapiUserUserInfoTooBig>},
    {ecTapiReinit, &raiseAs<ETapiReinit>},
    {ecTapiAddressBlocked, &raiseAs<ETapiAddressBlocked>},
    {ecTapiBillingRejected, &raiseAs<ETapiBillingRejected>},
    {ecTapiInvalFeature, &raiseAs<ETapiInvalFeature>},
    {ecTapiNoMultipleInstance, &raiseAs<ETapiNoMultipleInstance>},
    {ecTapiBusy, &raiseAs<ETapiBusy>},
    {ecTapiNotSet, &raiseAs<ETapiNotSet>},
    {ecTapiNoSelect, &raiseAs<ETapiNoSelect>},
    {ecTapiPortNotOpen, &raiseAs<ETapiPortNotOpen>},
    {ecTapiCallUnavailable, &raiseAs<ETapiCallUnavailable>},
    {ecTapiUnexpected, &raiseAs<ETapiUnexpected>},
    {ecTapiVoiceNotSupported, &raiseAs<ETapiVoiceNotSupported>},
    {ecTapiGetAddressIDFailed, &raiseAs<ETapiGetAddressIDFailed>},
    {ecTapiTranslateFail, &raiseAs<ETapiTranslateFail>},
};

const CodeClass* classFor(int code) {
  auto it = std::find_if(std::begin(kCodeClasses), std::end(kCodeClasses),
                         [code](const CodeClass& c) { return c.code == code; });
  return it == std::end(kCodeClasses) ? nullptr : it;
}

}  // namespace

int RaiseOnError(int code) { return RaiseOnError(false, code); }

int RaiseOnError(bool loadingFromStoredForm, int code) { return RaiseOnError(loadingFromStoredForm, code, {}); }

int RaiseOnError(bool loadingFromStoredForm, int code, const std::string& detail) {
  if (code >= 0 || loadingFromStoredForm) return code;
  auto message = [&](std::string text) { return detail.empty() ? text : text + " (" + detail + ")"; };
  if (const CodeClass* c = classFor(code)) c->raise(message(ErrorText(code)), code);
  if (code == ecOutOfMemory) throw EOutOfMemory(message(ErrorText(code)));
  if ((code <= ecIoFirst && code >= ecIoLast) || (code < ecSystemErrorBase && code >= ecSystemErrorLast))
    throw EInOutError(message(ErrorText(code)), -code);
  throw EAPDException(message("Veld exception"), 0);
}

int CodeOfException(const std::exception& e) {
  if (auto* apd = dynamic_cast<const EAPDException*>(&e)) return apd->code();
  if (auto* io = dynamic_cast<const EInOutError*>(&e)) return -io->errorNumber();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return ecOutOfMemory;
  return ecUnknownException;
}

}  // namespace quillon
