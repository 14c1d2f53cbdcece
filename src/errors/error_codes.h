#pragma once
// Status codes of the serial, fax and image layers: 0 (or positive) is success, a failure is
// the negated number of its message in the error-strings table.

namespace quillon {

inline constexpr int ecOK = 0;

// Operating-system and runtime input/output errors (2 ... 162).
inline constexpr int ecFileNotFound = -2;
inline constexpr int ecPathNotFound = -3;
inline constexpr int ecTooManyFiles = -4;
inline constexpr int ecAccessDenied = -5;
inline constexpr int ecInvalidHandle = -6;
inline constexpr int ecOutOfMemory = -8;
inline constexpr int ecInvalidDrive = -15;
inline constexpr int ecNoMoreFiles = -18;
inline constexpr int ecDiskRead = -100;
inline constexpr int ecDiskFull = -101;
inline constexpr int ecNotAssigned = -102;
inline constexpr int ecNotOpen = -103;
inline constexpr int ecNotOpenInput = -104;
inline constexpr int ecNotOpenOutput = -105;
inline constexpr int ecWriteProtected = -150;
inline constexpr int ecUnknownUnit = -151;
inline constexpr int ecDriveNotReady = -152;
inline constexpr int ecUnknownCommand = -153;
inline constexpr int ecCrcError = -154;
inline constexpr int ecBadStructLen = -155;
inline constexpr int ecSeekError = -156;
inline constexpr int ecUnknownMedia = -157;
inline constexpr int ecSectorNotFound = -158;
inline constexpr int ecOutOfPaper = -159;
inline constexpr int ecDeviceWrite = -160;
inline constexpr int ecDeviceRead = -161;
inline constexpr int ecHardwareFailure = -162;
// The input/output range as a whole (a code c is an I/O error when ecIoLast <= c <= ecIoFirst).
inline constexpr int ecIoFirst = -2;
inline constexpr int ecIoLast = -162;
// Operating-system errors without a number of their own in the error-strings table are
// ecSystemErrorBase - errno, so they never borrow the text of an unrelated table entry.
inline constexpr int ecSystemErrorBase = -100000;
inline constexpr int ecSystemErrorLast = ecSystemErrorBase - 4095;

// General.
inline constexpr int ecBadHandle = -1001;
inline constexpr int ecBadArgument = -1002;
inline constexpr int ecGotQuitMsg = -1003;
inline constexpr int ecBufferTooBig = -1004;
inline constexpr int ecPortNotAssigned = -1005;
inline constexpr int ecInternal = -1006;
inline constexpr int ecModemNotAssigned = -1007;
inline constexpr int ecPhonebookNotAssigned = -1008;
inline constexpr int ecCannotUseWithWinSock = -1009;

// Opening the port.
inline constexpr int ecBadId = -2001;
inline constexpr int ecBaudRate = -2002;
inline constexpr int ecByteSize = -2003;
inline constexpr int ecDefault = -2004;
inline constexpr int ecHardware = -2005;
inline constexpr int ecMemory = -2006;
inline constexpr int ecCommNotOpen = -2007;
inline constexpr int ecAlreadyOpen = -2008;
inline constexpr int ecNoHandles = -2009;
inline constexpr int ecNoTimers = -2010;
inline constexpr int ecNoPortSelected = -2011;
inline constexpr int ecNotOpenedByTapi = -2012;

// Serial input/output.
inline constexpr int ecNullApi = -3001;
inline constexpr int ecNotSupported = -3002;
inline constexpr int ecRegisterHandlerFailed = -3003;
inline constexpr int ecPutBlockFail = -3004;
inline constexpr int ecGetBlockFail = -3005;
inline constexpr int ecOutputBufferTooSmall = -3006;
inline constexpr int ecBufferIsEmpty = -3007;
inline constexpr int ecTracingNotEnabled = -3008;
inline constexpr int ecLoggingNotEnabled = -3009;
inline constexpr int ecBaseAddressNotSet = -3010;

// Modem and dialer.
inline constexpr int ecModemNotStarted = -4001;
inline constexpr int ecModemBusy = -4002;
inline constexpr int ecModemNotDialing = -4003;
inline constexpr int ecNotDialing = -4004;
inline constexpr int ecAlreadyDialing = -4005;
inline constexpr int ecModemNotResponding = -4006;
inline constexpr int ecModemRejectedCommand = -4007;
inline constexpr int ecModemStatusMismatch = -4008;

// Triggers.
inline constexpr int ecNoMoreTriggers = -5001;
inline constexpr int ecTriggerTooLong = -5002;
inline constexpr int ecBadTriggerHandle = -5003;

// Data packets.
inline constexpr int ecStartStringEmpty = -5501;
inline constexpr int ecPacketTooSmall = -5502;
inline constexpr int ecNoEndCharCount = -5503;
inline constexpr int ecEmptyEndString = -5504;
inline constexpr int ecZeroSizePacket = -5505;
inline constexpr int ecPacketTooLong = -5506;

// File-transfer protocols.
inline constexpr int ecBadFileList = -6001;
inline constexpr int ecNoSearchMask = -6002;
inline constexpr int ecNoMatchingFiles = -6003;
inline constexpr int ecDirNotFound = -6004;
inline constexpr int ecCancelRequested = -6005;
inline constexpr int ecTimeout = -6006;
inline constexpr int ecProtocolError = -6007;
inline constexpr int ecTooManyErrors = -6008;
inline constexpr int ecSequenceError = -6009;
inline constexpr int ecNoFilename = -6010;
inline constexpr int ecFileRejected = -6011;
inline constexpr int ecCantWriteFile = -6012;
inline constexpr int ecTableFull = -6013;
inline constexpr int ecAbortNoCarrier = -6014;
inline constexpr int ecBadProtocolFunction = -6015;

// INI-file database.
inline constexpr int ecKeyTooLong = -7001;
inline constexpr int ecDataTooLarge = -7002;
inline constexpr int ecIniFieldNotFound = -7003;
inline constexpr int ecIniWrite = -7004;
inline constexpr int ecIniRead = -7005;
inline constexpr int ecIniNoFields = -7006;
inline constexpr int ecRecordExists = -7007;
inline constexpr int ecRecordNotFound = -7008;
inline constexpr int ecDatabaseNotPrepared = -7009;
inline constexpr int ecDatabaseFull = -7010;
inline constexpr int ecDatabaseEmpty = -7011;
inline constexpr int ecIniNoIndexKey = -7012;
inline constexpr int ecBadFieldList = -7013;
inline constexpr int ecBadFieldForIndex = -7014;

// Fax file, converter and unpacker.
inline constexpr int ecFaxBadFormat = -8001;
inline constexpr int ecBadGraphicsFormat = -8002;
inline constexpr int ecConvertAbort = -8003;
inline constexpr int ecUnpackAbort = -8004;
inline constexpr int ecCantMakeBitmap = -8005;

// Viewer, fax font, page number, bitmap size.
inline constexpr int ecNoImageLoaded = -8050;
inline constexpr int ecNoImageBlockMarked = -8051;
inline constexpr int ecFontFileNotFound = -8052;
inline constexpr int ecInvalidPageNumber = -8053;
inline constexpr int ecBmpTooBig = -8054;
inline constexpr int ecEnhFontTooBig = -8055;

// Fax sessions.
inline constexpr int ecFaxBadMachine = -8060;
inline constexpr int ecFaxBadModemResult = -8061;
inline constexpr int ecFaxTrainError = -8062;
inline constexpr int ecFaxInitError = -8063;
inline constexpr int ecFaxBusy = -8064;
inline constexpr int ecFaxVoiceCall = -8065;
inline constexpr int ecFaxDataCall = -8066;
inline constexpr int ecFaxNoDialTone = -8067;
inline constexpr int ecFaxNoCarrier = -8068;
inline constexpr int ecFaxSessionError = -8069;
inline constexpr int ecFaxPageError = -8070;
inline constexpr int ecFaxGdiPrintError = -8071;
inline constexpr int ecFaxMixedResolution = -8072;
inline constexpr int ecFaxConverterInitFail = -8073;
inline constexpr int ecFaxNoAnswer = -8074;
inline constexpr int ecFaxPageRefused = -8075;

// Fax printer driver installation.
inline constexpr int ecPrnDrvAlreadyInstalled = -8080;
inline constexpr int ecPrnDrvCantCopyDriver = -8081;
inline constexpr int ecPrnDrvCantCopyMonitor = -8082;
inline constexpr int ecPrnDrvCantAddMonitor = -8083;
inline constexpr int ecPrnDrvCantAddPort = -8084;
inline constexpr int ecPrnDrvCantAddDriver = -8085;
inline constexpr int ecPrnDrvCantAddPrinter = -8086;
inline constexpr int ecPrnDrvNoPrinterName = -8087;
inline constexpr int ecPrnDrvNoDriverFile = -8088;
inline constexpr int ecPrnDrvNoMonitorFile = -8089;
inline constexpr int ecPrnDrvWrongPlatform = -8090;
inline constexpr int ecPrnDrvRebootNeeded = -8091;
inline constexpr int ecPrnDrvUnknownError = -8092;

// Sockets (the socket layer's own codes, then the system socket error numbers).
inline constexpr int ecWsNotInstalled = -9001;
inline constexpr int ecWsWrongVersion = -9002;
inline constexpr int ecWsNoNetwork = -9003;
inline constexpr int ecWsUnknownAddress = -9004;
inline constexpr int ecWsCantConnect = -9005;
inline constexpr int ecWsNotConnected = -9006;
inline constexpr int ecWsLoadFailed = -9007;
inline constexpr int ecWsaInterrupted = -10004;
inline constexpr int ecWsaBadFile = -10009;
inline constexpr int ecWsaAccess = -10013;
inline constexpr int ecWsaFault = -10014;
inline constexpr int ecWsaInvalid = -10022;
inline constexpr int ecWsaTooManyFiles = -10024;
inline constexpr int ecWsaWouldBlock = -10035;
inline constexpr int ecWsaInProgress = -10036;
inline constexpr int ecWsaAlready = -10037;
inline constexpr int ecWsaNotSocket = -10038;
inline constexpr int ecWsaDestAddrRequired = -10039;
inline constexpr int ecWsaMsgSize = -10040;
inline constexpr int ecWsaPrototype = -10041;
inline constexpr int ecWsaNoProtoOpt = -10042;
inline constexpr int ecWsaProtoNoSupport = -10043;
inline constexpr int ecWsaSocketNoSupport = -10044;
inline constexpr int ecWsaOpNotSupported = -10045;
inline constexpr int ecWsaPfNoSupport = -10046;
inline constexpr int ecWsaAfNoSupport = -10047;
inline constexpr int ecWsaAddrInUse = -10048;
inline constexpr int ecWsaAddrNotAvail = -10049;
inline constexpr int ecWsaNetDown = -10050;
inline constexpr int ecWsaNetUnreach = -10051;
inline constexpr int ecWsaNetReset = -10052;
inline constexpr int ecWsaConnAborted = -10053;
inline constexpr int ecWsaConnReset = -10054;
inline constexpr int ecWsaNoBufs = -10055;
inline constexpr int ecWsaIsConn = -10056;
inline constexpr int ecWsaNotConn = -10057;
inline constexpr int ecWsaShutdown = -10058;
inline constexpr int ecWsaTooManyRefs = -10059;
inline constexpr int ecWsaTimedOut = -10060;
inline constexpr int ecWsaConnRefused = -10061;
inline constexpr int ecWsaLoop = -10062;
inline constexpr int ecWsaNameTooLong = -10063;
inline constexpr int ecWsaHostDown = -10064;
inline constexpr int ecWsaHostUnreach = -10065;
inline constexpr int ecWsaNotEmpty = -10066;
inline constexpr int ecWsaProcLim = -10067;
inline constexpr int ecWsaUsers = -10068;
inline constexpr int ecWsaDQuot = -10069;
inline constexpr int ecWsaStale = -10070;
inline constexpr int ecWsaRemote = -10071;
inline constexpr int ecWsaSysNotReady = -10091;
inline constexpr int ecWsaVerNotSupported = -10092;
inline constexpr int ecWsaNotInitialised = -10093;
inline constexpr int ecWsaDisconnected = -10101;
inline constexpr int ecWsaHostNotFound = -11001;
inline constexpr int ecWsaTryAgain = -11002;
inline constexpr int ecWsaNoRecovery = -11003;
inline constexpr int ecWsaNoData = -11004;

// Telephony errors: the line-device error numbers 1 ... 86 placed at 13800 + n.
inline constexpr int ecTapiAllocated = -13801;
inline constexpr int ecTapiBadDeviceID = -13802;
inline constexpr int ecTapiBearerModeUnavail = -13803;
inline constexpr int ecTapiCallUnavail = -13805;
inline constexpr int ecTapiCompletionOverrun = -13806;
inline constexpr int ecTapiConferenceFull = -13807;
inline constexpr int ecTapiDialBilling = -13808;
inline constexpr int ecTapiDialDialtone = -13809;
inline constexpr int ecTapiDialPrompt = -13810;
inline constexpr int ecTapiDialQuiet = -13811;
inline constexpr int ecTapiIncompatibleApiVersion = -13812;
inline constexpr int ecTapiIncompatibleExtVersion = -13813;
inline constexpr int ecTapiIniFileCorrupt = -13814;
inline constexpr int ecTapiInUse = -13815;
inline constexpr int ecTapiInvalAddress = -13816;
inline constexpr int ecTapiInvalAddressID = -13817;
inline constexpr int ecTapiInvalAddressMode = -13818;
inline constexpr int ecTapiInvalAddressState = -13819;
inline constexpr int ecTapiInvalAppHandle = -13820;
inline constexpr int ecTapiInvalAppName = -13821;
inline constexpr int ecTapiInvalBearerMode = -13822;
inline constexpr int ecTapiInvalCallComplMode = -13823;
inline constexpr int ecTapiInvalCallHandle = -13824;
inline constexpr int ecTapiInvalCallParams = -13825;
inline constexpr int ecTapiInvalCallPrivilege = -13826;
inline constexpr int ecTapiInvalCallSelect = -13827;
inline constexpr int ecTapiInvalCallState = -13828;
inline constexpr int ecTapiInvalCallStateList = -13829;
inline constexpr int ecTapiInvalCard = -13830;
inline constexpr int ecTapiInvalCompletionID = -13831;
inline constexpr int ecTapiInvalConfCallHandle = -13832;
inline constexpr int ecTapiInvalConsultCallHandle = -13833;
inline constexpr int ecTapiInvalCountryCode = -13834;
inline constexpr int ecTapiInvalDeviceClass = -13835;
inline constexpr int ecTapiInvalDeviceHandle = -13836;
inline constexpr int ecTapiInvalDialParams = -13837;
inline constexpr int ecTapiInvalDigitList = -13838;
inline constexpr int ecTapiInvalDigitMode = -13839;
inline constexpr int ecTapiInvalDigits = -13840;
inline constexpr int ecTapiInvalExtVersion = -13841;
inline constexpr int ecTapiInvalGroupID = -13842;
inline constexpr int ecTapiInvalLineHandle = -13843;
inline constexpr int ecTapiInvalLineState = -13844;
inline constexpr int ecTapiInvalLocation = -13845;
inline constexpr int ecTapiInvalMediaList = -13846;
inline constexpr int ecTapiInvalMediaMode = -13847;
inline constexpr int ecTapiInvalMessageID = -13848;
inline constexpr int ecTapiInvalParam = -13850;
inline constexpr int ecTapiInvalParkID = -13851;
inline constexpr int ecTapiInvalParkMode = -13852;
inline constexpr int ecTapiInvalPointer = -13853;
inline constexpr int ecTapiInvalPrivSelect = -13854;
inline constexpr int ecTapiInvalRate = -13855;
inline constexpr int ecTapiInvalRequestMode = -13856;
inline constexpr int ecTapiInvalTerminalID = -13857;
inline constexpr int ecTapiInvalTerminalMode = -13858;
inline constexpr int ecTapiInvalTimeout = -13859;
inline constexpr int ecTapiInvalTone = -13860;
inline constexpr int ecTapiInvalToneList = -13861;
inline constexpr int ecTapiInvalToneMode = -13862;
inline constexpr int ecTapiInvalTransferMode = -13863;
inline constexpr int ecTapiLineMapperFailed = -13864;
inline constexpr int ecTapiNoConference = -13865;
inline constexpr int ecTapiNoDevice = -13866;
inline constexpr int ecTapiNoDriver = -13867;
inline constexpr int ecTapiNoMem = -13868;
inline constexpr int ecTapiNoRequest = -13869;
inline constexpr int ecTapiNotOwner = -13870;
inline constexpr int ecTapiNotRegistered = -13871;
inline constexpr int ecTapiOperationFailed = -13872;
inline constexpr int ecTapiOperationUnavail = -13873;
inline constexpr int ecTapiRateUnavail = -13874;
inline constexpr int ecTapiResourceUnavail = -13875;
inline constexpr int ecTapiRequestOverflow = -13876;
inline constexpr int ecTapiStructureTooSmall = -13877;
inline constexpr int ecTapiTargetNotFound = -13878;
inline constexpr int ecTapiTargetSelf = -13879;
inline constexpr int ecTapiUninitialized = -13880;
inline constexpr int ecTapiUserUserInfoTooBig = -13881;
inline constexpr int ecTapiReinit = -13882;
inline constexpr int ecTapiAddressBlocked = -13883;
inline constexpr int ecTapiBillingRejected = -13884;
inline constexpr int ecTapiInvalFeature = -13885;
inline constexpr int ecTapiNoMultipleInstance = -13886;
// Telephony errors of the program's own telephony layer.
inline constexpr int ecTapiBusy = -13928;
inline constexpr int ecTapiNotSet = -13929;
inline constexpr int ecTapiNoSelect = -13930;
inline constexpr int ecTapiPortNotOpen = -13931;
inline constexpr int ecTapiCallUnavailable = -13932;
inline constexpr int ecTapiUnexpected = -13933;
inline constexpr int ecTapiVoiceNotSupported = -13934;
inline constexpr int ecTapiCidBlocked = -13935;      // caller id withheld (a notice, no class)
inline constexpr int ecTapiCidOutOfArea = -13936;    // caller id unavailable (a notice, no class)
// 13937 ... 13940: sound-file notices of the telephony layer (no exception classes).
inline constexpr int ecTapiWaveFail = -13937;
inline constexpr int ecTapiWaveBadFormat = -13938;
inline constexpr int ecTapiWaveReadError = -13939;
inline constexpr int ecTapiWaveWriteError = -13940;
inline constexpr int ecTapiGetAddressIDFailed = -13941;
inline constexpr int ecTapiTranslateFail = -13942;
inline constexpr int ecTapiNoLines = -13943;
inline constexpr int ecTapiLineClosed = -13944;
inline constexpr int ecTapiDropped = -13945;

// What CodeOfException gives for an exception that carries no code.
inline constexpr int ecUnknownException = -9999;

}  // namespace quillon
