// Every status code that has an exception class, checked against the class it must raise,
// its group, its text and its way back through CodeOfException; and the message tables
// checked against the numbers and texts other components rely on.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <typeindex>
#include <vector>

#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "errors/message_resources.h"
#include "errors/raise_on_error.h"
#include "errors/string_resource.h"

namespace quillon {
namespace {

struct Expected {
  int code;
  std::type_index leaf;
  bool (*inGroup)(const EAPDException&);
};

template <class G>
bool isA(const EAPDException& e) {
  return dynamic_cast<const G*>(&e) != nullptr;
}

template <class Leaf, class Group>
Expected row(int code) {
  return {code, std::type_index(typeid(Leaf)), &isA<Group>};
}

const std::vector<Expected>& classTable() {
  static const std::vector<Expected> rows = {
      row<EBadArgument, EGeneral>(-1002),          row<EGotQuitMsg, EGeneral>(-1003),
      row<EBufferTooBig, EGeneral>(-1004),         row<EPortNotAssigned, EGeneral>(-1005),
      row<EInternal, EGeneral>(-1006),             row<EInternal, EGeneral>(-7003),
      row<EInternal, EGeneral>(-7006),             row<EInternal, EGeneral>(-7012),
      row<EModemNotAssigned, EGeneral>(-1007),     row<EPhonebookNotAssigned, EGeneral>(-1008),
      row<ECannotUseWithWinSock, EGeneral>(-1009), row<EBadId, EOpenComm>(-2001),
      row<EBaudRate, EOpenComm>(-2002),            row<EByteSize, EOpenComm>(-2003),
      row<EDefault, EOpenComm>(-2004),             row<EHardware, EOpenComm>(-2005),
      row<EMemory, EOpenComm>(-2006),              row<ECommNotOpen, EOpenComm>(-2007),
      row<EAlreadyOpen, EOpenComm>(-2008),         row<ENoHandles, EOpenComm>(-2009),
      row<ENoTimers, EOpenComm>(-2010),            row<ENoPortSelected, EOpenComm>(-2011),
      row<ENotOpenedByTapi, EOpenComm>(-2012),     row<ENullApi, ESerialIO>(-3001),
      row<ERegisterHandlerFailed, ESerialIO>(-3003), row<EPutBlockFail, ESerialIO>(-3004),
      row<EGetBlockFail, ESerialIO>(-3005),        row<EOutputBufferTooSmall, ESerialIO>(-3006),
      row<EBufferIsEmpty, ESerialIO>(-3007),       row<ETracingNotEnabled, ESerialIO>(-3008),
      row<ELoggingNotEnabled, ESerialIO>(-3009),   row<EBaseAddressNotSet, ESerialIO>(-3010),
      row<EModemNotStarted, EModem>(-4001),        row<EModemBusy, EModem>(-4002),
      row<EModemNotDialing, EModem>(-4003),        row<ENotDialing, EModem>(-4004),
      row<EAlreadyDialing, EModem>(-4005),         row<EModemNotResponding, EModem>(-4006),
      row<EModemRejectedCommand, EModem>(-4007),   row<EModemStatusMismatch, EModem>(-4008),
      row<ETriggerTooLong, ETrigger>(-5002),       row<EBadTriggerHandle, ETrigger>(-5003),
      row<EProtocol, EProtocol>(-6006),            row<EProtocol, EProtocol>(-6008),
      row<EProtocol, EProtocol>(-6009),            row<EKeyTooLong, EINI>(-7001),
      row<EDataTooLarge, EINI>(-7002),             row<EIniWrite, EINI>(-7004),
      row<EIniRead, EINI>(-7005),                  row<ERecordExists, EINI>(-7007),
      row<ERecordNotFound, EINI>(-7008),           row<EDatabaseFull, EINI>(-7010),
      row<EDatabaseEmpty, EINI>(-7011),            row<EBadFieldList, EINI>(-7013),
      row<EBadFieldForIndex, EINI>(-7014),         row<EFaxBadFormat, EFax>(-8001),
      row<EBadGraphicsFormat, EFax>(-8002),        row<EConvertAbort, EFax>(-8003),
      row<EUnpackAbort, EFax>(-8004),              row<ECantMakeBitmap, EFax>(-8005),
      row<EFaxBadMachine, EFax>(-8060),            row<EFaxBadModemResult, EFax>(-8061),
      row<EFaxTrainError, EFax>(-8062),            row<EFaxInitError, EFax>(-8063),
      row<EFaxBusy, EFax>(-8064),                  row<EFaxVoiceCall, EFax>(-8065),
      row<EFaxDataCall, EFax>(-8066),              row<EFaxNoDialTone, EFax>(-8067),
      row<EFaxNoCarrier, EFax>(-8068),             row<EFaxSessionError, EFax>(-8069),
      row<EFaxPageError, EFax>(-8070),
  };
  return rows;
}

// Raises `code` and returns what came out (nullptr type when nothing or something else did).
struct Raised {
  bool apd = false;
  std::type_index type = std::type_index(typeid(void));
  std::string message;
  int code = 0;
  int codeBack = 0;
  bool (*check)(const EAPDException&) = nullptr;
  bool groupOk = false;
};

Raised raise(int code, bool (*group)(const EAPDException&) = nullptr) {
  Raised r;
  try {
    RaiseOnError(code);
  } catch (const EAPDException& e) {
    r.apd = true;
    r.type = std::type_index(typeid(e));
    r.message = e.what();
    r.code = e.code();
    r.codeBack = CodeOfException(e);
    r.groupOk = group && group(e);
  } catch (const std::exception& e) {
    r.type = std::type_index(typeid(e));
    r.message = e.what();
    r.codeBack = CodeOfException(e);
  }
  return r;
}

TEST(CodeMapping, EveryClassedCodeRaisesItsClassInItsGroupWithTextAndCode) {
  for (const Expected& e : classTable()) {
    SCOPED_TRACE(e.code);
    Raised r = raise(e.code, e.inGroup);
    ASSERT_TRUE(r.apd);
    EXPECT_TRUE(r.type == e.leaf) << r.type.name();
    EXPECT_TRUE(r.groupOk);
    EXPECT_EQ(r.code, e.code);
    EXPECT_EQ(r.codeBack, e.code);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.message, ErrorText(e.code));
    EXPECT_NE(r.message, "Veld exception");
  }
}

TEST(CodeMapping, TelephonyErrorsHaveOneClassEachAndStatusNumbersNone) {
  std::set<std::type_index> classes;
  int classed = 0;
  for (int code = -13801; code >= -13942; --code) {
    SCOPED_TRACE(code);
    Raised r = raise(code, &isA<ETapi>);
    ASSERT_TRUE(r.apd);
    if (r.code == 0) {
      EXPECT_EQ(r.message, "Veld exception");
      EXPECT_TRUE(r.type == std::type_index(typeid(EAPDException)));
      continue;
    }
    ++classed;
    EXPECT_EQ(r.code, code);
    EXPECT_EQ(r.codeBack, code);
    EXPECT_TRUE(r.groupOk);
    EXPECT_FALSE(r.type == std::type_index(typeid(ETapi)));
    EXPECT_TRUE(classes.insert(r.type).second) << "class shared by two codes";
    EXPECT_FALSE(r.message.empty());
  }
  EXPECT_EQ(classed, 93);
  EXPECT_EQ(classes.size(), 93u);
  // Both ends of the range and a few in between have theirs.
  EXPECT_TRUE(raise(-13801).type == std::type_index(typeid(ETapiAllocated)));
  EXPECT_TRUE(raise(-13802).type == std::type_index(typeid(ETapiBadDeviceID)));
  EXPECT_TRUE(raise(-13886).type == std::type_index(typeid(ETapiNoMultipleInstance)));
  EXPECT_TRUE(raise(-13928).type == std::type_index(typeid(ETapiBusy)));
  EXPECT_TRUE(raise(-13942).type == std::type_index(typeid(ETapiTranslateFail)));
}

TEST(CodeMapping, CodesWithoutAClassFallThrough) {
  // Codes with texts but no class of their own, and codes nobody knows.
  for (int code : {-1, -1001, -1010, -2013, -3002, -5001, -5501, -6001, -6007, -7009, -8052, -8053,
                   -8071, -9001, -13501, -13943, -15001, -163, -999, -100000, INT_MIN}) {
    SCOPED_TRACE(code);
    Raised r = raise(code);
    ASSERT_TRUE(r.apd);
    EXPECT_TRUE(r.type == std::type_index(typeid(EAPDException)));
    EXPECT_EQ(r.message, "Veld exception");
    EXPECT_EQ(r.code, 0);
  }
  // The input/output range: every number from 2 to 162, with -8 as out of memory.
  for (int n = 2; n <= 162; ++n) {
    SCOPED_TRACE(n);
    try {
      RaiseOnError(-n);
      ADD_FAILURE() << "nothing raised";
    } catch (const EOutOfMemory& e) {
      EXPECT_EQ(n, 8);
      EXPECT_EQ(CodeOfException(e), -8);
    } catch (const EInOutError& e) {
      EXPECT_NE(n, 8);
      EXPECT_EQ(e.errorNumber(), n);
      EXPECT_EQ(CodeOfException(e), -n);
      EXPECT_EQ(e.what(), ErrorText(-n));
    }
  }
  for (int ok : {0, 1, 255, INT_MAX}) EXPECT_EQ(RaiseOnError(ok), ok);
  EXPECT_EQ(RaiseOnError(true, INT_MIN), INT_MIN);
}

// The numbers the error-strings table must hold, as inclusive ranges.
constexpr std::pair<int, int> kTableNumbers[] = {
    {0, 0},         {2, 6},         {8, 8},         {15, 15},       {18, 18},       {100, 105},
    {150, 162},     {1001, 1009},   {2001, 2012},   {3001, 3010},   {4001, 4008},   {4101, 4101},
    {4201, 4213},   {4301, 4312},   {4401, 4403},   {5001, 5003},   {5501, 5506},   {6001, 6015},
    {7001, 7014},   {8001, 8005},   {8050, 8055},   {8060, 8075},   {8080, 8092},   {9001, 9007},
    {10004, 10004}, {10009, 10009}, {10013, 10014}, {10022, 10022}, {10024, 10024}, {10035, 10071},
    {10091, 10093}, {10101, 10101}, {11001, 11004}, {13501, 13516}, {13533, 13557}, {13565, 13565},
    {13597, 13601}, {13650, 13670}, {13801, 13803}, {13805, 13848}, {13850, 13886}, {13928, 13945},
    {15001, 15020}, {15101, 15351}, {15501, 15502}, {15601, 15608}, {15700, 15742},
};

TEST(MessageTable, HoldsExactlyTheNumbersOthersLookUp) {
  TAdStringResource table(kErrorStringsResource);
  std::set<uint32_t> wanted;
  for (auto [from, to] : kTableNumbers)
    for (int n = from; n <= to; ++n) wanted.insert(uint32_t(n));
  EXPECT_EQ(wanted.size(), 726u);
  for (uint32_t n : wanted) {
    EXPECT_TRUE(table.Has(n)) << n;
    if (n != 0) {
      EXPECT_FALSE(table.GetString(n).empty()) << n;
    }
  }
  // Nothing outside the list: probe the gaps next to every range.
  for (auto [from, to] : kTableNumbers) {
    for (int n : {from - 1, to + 1}) {
      if (n >= 0 && !wanted.count(uint32_t(n))) {
        EXPECT_FALSE(table.Has(uint32_t(n))) << n;
      }
    }
  }
}

TEST(MessageTable, TextsTheProgramShowsAreWordForWord) {
  const std::pair<int, const char*> texts[] = {
      {0, "OK"},
      {2, "File not found"},
      {3, "Path not found"},
      {5, "File access denied"},
      {8, "Insufficient memory"},
      {1001, "Bad handle passed to com function"},
      {1002, "Bad argument passed to function"},
      {1003, "Got quit message"},
      {1005, "ComPort component not assigned"},
      {2001, "ie_BadId - Specified comport doesn't exist"},
      {2002, "ie_Baudrate - unsupported baud rate"},
      {2005, "ie_Hardware - Specified comport in use"},
      {2007, "ie_NOpen - device not open"},
      {2008, "ie_Open - device already open"},
      {2011, "The ComNumber property of the TApdComPort has not been set"},
      {2012, "Comport was not opened by Tapi"},
      {3001, "No device layer specified"},
      {3004, "Failed to put entire block"},
      {3006, "Output buffer too small for block"},
      {3007, "Buffer is empty"},
      {3010, "Base address not set"},
      {5001, "No more trigger slots"},
      {5003, "Bad trigger handle"},
      {8001, "File is not an APF file"},
      {8002, "Unsupported graphics file format"},
      {8003, "User aborted fax conversion"},
      {8004, "User aborted fax unpack"},
      {8005, "CreateBitmapIndirect API failure"},
      {8050, "No image loaded into viewer"},
      {8051, "No block of image marked"},
      {8052, "APFAX.FNT not found, or resource bad"},
      {8053, "Invalid page number specified for fax"},
      {8054, "BMP size exceeds Windows' maxheight of 32767"},
      {8055, "Font selected for enhanced text converter too large"},
      {8060, "Fax incompatible with remote fax"},
      {8061, "Bad response from modem"},
      {8062, "Modems failed to train"},
      {8063, "Error while initializing modem"},
      {8064, "Called fax number was busy"},
      {8065, "Called fax number answered with voice"},
      {8066, "Incoming data call"},
      {8067, "No dial tone"},
      {8068, "Failed to connect to remote fax"},
      {8069, "Fax failed in mid-session"},
      {8070, "Fax failed at page end"},
      {8073, "Initialization of fax converter failed"},
      {8074, "Remote fax did not answer"},
  };
  for (auto [n, text] : texts) {
    EXPECT_EQ(ErrorText(n), text) << n;
    EXPECT_EQ(ErrorText(-n), text) << -n;
  }
  const std::pair<int, const char*> status[] = {
      {1, "Initializing modem for fax processing"}, {2, "Dialing"},
      {3, "Busy, waiting until redial..."},         {4, "Sending page data"},
      {5, "Sending EOP"},                           {6, "Error sending page"},
      {7, "Page accepted by remote"},               {8, "Connecting..."},
      {20, "Waiting for incoming call"},            {21, "No connect on this call"},
      {22, "Answering incoming call"},              {23, "Incoming call validated as fax"},
      {24, "Getting page data"},                    {25, "Getting end-of-page signal"},
      {26, "Getting end-of-document status"},       {27, "Getting hangup command"},
      {28, "Got Class 2 FHNG code"},                {40, "Getting connection params"},
      {41, "Got called-station ID"},                {42, "User abort"},
      {43, "Finished"},
  };
  for (auto [n, text] : status) EXPECT_EQ(FaxStatusText(n), text) << n;
  for (int n : {0, 9, 19, 29, 39, 44, -1}) EXPECT_EQ(FaxStatusText(n), "") << n;
}

TEST(MessageTable, ReaderTextsNameTheFailure) {
  TAdStringResource reader(kTableReaderStringsResource);
  EXPECT_EQ(reader.GetString(1), "String not found: %d");
  EXPECT_EQ(reader.GetString(2), "Cannot lock resource");
  EXPECT_EQ(reader.GetString(3), "String resource not found: %s");
  EXPECT_EQ(reader.GetString(4), "Unable to open string resource: %s");
  EXPECT_FALSE(reader.GetString(5).empty());
  try {
    TAdStringResource missing("NOT_A_TABLE");
    FAIL();
  } catch (const EQvsStringResourceError& e) {
    EXPECT_STREQ(e.what(), "String resource not found: NOT_A_TABLE");
  }
}

// A table laid out like the ones in the program, built in the test.
std::vector<unsigned char> tableOf(const std::vector<std::pair<uint32_t, std::u16string>>& texts) {
  std::vector<unsigned char> b(8 + 12 * texts.size());
  auto put = [&b](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
  };
  b[0] = 'S', b[1] = 'T', b[2] = 'R', b[3] = '0';
  put(4, uint32_t(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i) {
    put(8 + 12 * i, texts[i].first);
    put(12 + 12 * i, uint32_t(b.size()));
    put(16 + 12 * i, uint32_t(texts[i].second.size()));
    for (char16_t u : texts[i].second) {
      b.push_back(u & 0xFF);
      b.push_back(u >> 8);
    }
  }
  return b;
}

TEST(MessageLookup, ConvertsAccentsToLatin1AndUnknownCharactersToQuestionMarks) {
  std::u16string latin;
  for (char16_t u = 0xA0; u <= 0xFF; ++u) latin += u;
  auto bytes = tableOf({{10, u"Num\u00E9ro d\u00E9j\u00E0 utilis\u00E9"},
                        {11, u"Gr\u00FC\u00DFe \u00C5se \u00F1 \u00BF"},
                        {12, latin},
                        {13, u"\u201CQuoted\u201D \u2013 \u2122 \u0152uvre \u017D"},
                        {14, u"\u0100\u03A9\u0416 \U0001F600"},
                        {15, u""}});
  TAdStringResource table(bytes.data(), bytes.size(), "TEST");
  EXPECT_EQ(table.GetString(10), "Num\xE9ro d\xE9j\xE0 utilis\xE9");
  EXPECT_EQ(table.GetString(11), "Gr\xFC\xDF" "e \xC5se \xF1 \xBF");
  std::string expected;
  for (int c = 0xA0; c <= 0xFF; ++c) expected += char(c);
  EXPECT_EQ(table.GetString(12), expected);
  EXPECT_EQ(table.GetString(13), "\x93Quoted\x94 \x96 \x99 \x8Cuvre \x8E");
  // Characters outside the code page, and each half of a surrogate pair, become '?'.
  EXPECT_EQ(table.GetString(14), "??? ??");
  EXPECT_EQ(table.GetString(15), "");
  EXPECT_TRUE(table.Has(15));
}

TEST(MessageLookup, BinarySearchFindsEveryEntryOfALargeTable) {
  std::vector<std::pair<uint32_t, std::u16string>> texts;
  for (uint32_t id = 3; id < 3000; id += 7) {
    std::string s = "text " + std::to_string(id);
    texts.push_back({id, std::u16string(s.begin(), s.end())});
  }
  auto bytes = tableOf(texts);
  TAdStringResource table(bytes.data(), bytes.size(), "TEST");
  EXPECT_EQ(table.Count(), texts.size());
  for (uint32_t id = 0; id < 3010; ++id) {
    bool present = id >= 3 && id < 3000 && (id - 3) % 7 == 0;
    EXPECT_EQ(table.Has(id), present) << id;
    EXPECT_EQ(table.GetString(id), present ? "text " + std::to_string(id) : "") << id;
  }
  EXPECT_FALSE(table.Has(0xFFFFFFFFu));
}

TEST(MessageLookup, BoundedCopyAlwaysTerminatesAndCutsUnitByUnit) {
  auto bytes = tableOf({{1, u"caf\u00E9 cr\u00E8me"}, {2, u""}});
  TAdStringResource table(bytes.data(), bytes.size(), "TEST");
  char buffer[32];
  for (size_t size = 1; size <= 14; ++size) {
    std::memset(buffer, 'Z', sizeof buffer);
    size_t n = table.GetAsPChar(1, buffer, size);
    EXPECT_EQ(n, std::min<size_t>(size - 1, 10)) << size;
    EXPECT_EQ(buffer[n], '\0');
    EXPECT_EQ(std::string(buffer, n), std::string("caf\xE9 cr\xE8me").substr(0, n));
    EXPECT_EQ(buffer[size], 'Z') << "wrote past the buffer";
  }
  buffer[0] = 'Z';
  EXPECT_EQ(table.GetAsPChar(2, buffer, 8), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(table.GetAsPChar(99, buffer, 8), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(table.GetAsPChar(1, buffer, 0), 0u);
}

TEST(ErrorTextRules, FallBackTidyAndCut) {
  // Both signs give the same text.
  EXPECT_EQ(ErrorText(8002), ErrorText(-8002));
  // Numbers absent from the table take the system's description (7 = argument list too long)
  // or nothing when the system has none either.
  EXPECT_EQ(ErrorText(-7), ErrorText(7));
  EXPECT_FALSE(ErrorText(-7).empty());
  for (int unknown : {-7777, -16000, -99999, INT_MIN, INT_MAX}) EXPECT_EQ(ErrorText(unknown), "") << unknown;
  // Over any table: an entry wins over the system text; 255 characters at most; the
  // system text is tidied.
  auto bytes = tableOf({{9, u"own text"}, {20, std::u16string(256, u'y')}, {21, std::u16string(255, u'z')}});
  TAdStringResource table(bytes.data(), bytes.size(), "TEST");
  EXPECT_EQ(ErrorTextFrom(table, -9), "own text");
  EXPECT_EQ(ErrorTextFrom(table, 20), std::string(255, 'y'));
  EXPECT_EQ(ErrorTextFrom(table, 21), std::string(255, 'z'));
  EXPECT_EQ(ErrorTextFrom(table, -2), TidyText(ErrorTextFrom(table, -2)));
  EXPECT_FALSE(ErrorTextFrom(table, -2).empty());
  EXPECT_EQ(TidyText("\x01\x02lead\x7F\x7Ftrail\n"), " lead trail ");
  EXPECT_EQ(TidyText("caf\xE9  \xA0ok"), "caf\xE9 \xA0ok");  // Latin-1 letters are no control characters
  EXPECT_EQ(TidyText(""), "");
}

}  // namespace
}  // namespace quillon
