#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "errors/message_resources.h"
#include "errors/string_resource.h"

namespace quillon {
namespace {

// A table in the "STR0" layout built in the test.
std::vector<unsigned char> makeTable(const std::vector<std::pair<uint32_t, std::u16string>>& texts) {
  std::vector<unsigned char> b(8 + 12 * texts.size());
  auto put = [&b](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
  };
  std::memcpy(b.data(), "STR0", 4);
  put(4, static_cast<uint32_t>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i) {
    put(8 + 12 * i, texts[i].first);
    put(12 + 12 * i, static_cast<uint32_t>(b.size()));
    put(16 + 12 * i, static_cast<uint32_t>(texts[i].second.size()));
    for (char16_t u : texts[i].second) {
      b.push_back(u & 0xFF);
      b.push_back(u >> 8);
    }
  }
  return b;
}

TEST(MessageTables, CarryTheirEntryCounts) {
  EXPECT_EQ(TAdStringResource(kErrorStringsResource).Count(), 726u);
  EXPECT_EQ(TAdStringResource(kTableReaderStringsResource).Count(), 5u);
  EXPECT_EQ(TAdStringResource(kFaxStringsResource).Count(), 21u);
}

TEST(MessageTables, EveryNamedCodeWithAnExceptionHasItsText) {
  for (int code : {ecOK, ecFileNotFound, ecBadArgument, ecAlreadyOpen, ecNoPortSelected,
                   ecBufferIsEmpty, ecNoMoreTriggers, ecFaxBadFormat, ecEnhFontTooBig,
                   ecFaxNoAnswer, ecWsaNoData, ecTapiNoMultipleInstance, ecTapiDropped})
    EXPECT_FALSE(ErrorText(code).empty()) << code;
  EXPECT_EQ(ErrorText(ecFaxBadFormat), "File is not an APF file");
  EXPECT_EQ(ErrorText(-2011), "The ComNumber property of the TApdComPort has not been set");
  EXPECT_EQ(ErrorText(8054), "BMP size exceeds Windows' maxheight of 32767");
  EXPECT_EQ(FaxStatusText(3), "Busy, waiting until redial...");
  EXPECT_EQ(FaxStatusText(9), "");
  EXPECT_EQ(ErrorText(15001 + 9), "TrDatChg");
  EXPECT_EQ(ErrorText(15501), "Time      Type      SubType       Data      OtherData");
}

TEST(ErrorText, FallsBackToTheSystemTextTidied) {
  // 7 (E2BIG) and 9 (EBADF) are not in the table.
  EXPECT_EQ(ErrorText(-9), "Bad file descriptor");
  EXPECT_FALSE(ErrorText(-7).empty());
  EXPECT_EQ(ErrorText(-424242), "");
  EXPECT_EQ(TidyText("a\t\tb\r\n  c"), "a b c");
}

TEST(StringResource, LooksUpConvertsAndBounds) {
  std::u16string euro = u"\u20ACuro \u00E9t\u00E9 \u4E2D";
  std::u16string long300(300, u'x');
  auto bytes = makeTable({{1, u"one"}, {5, euro}, {9, long300}});
  TAdStringResource table(bytes.data(), bytes.size(), "TEST");
  EXPECT_EQ(table.GetString(1), "one");
  EXPECT_EQ(table.GetString(5), "\x80uro \xE9t\xE9 ?");
  EXPECT_EQ(table.GetString(4), "");
  EXPECT_EQ(ErrorTextFrom(table, -9).size(), 255u);

  char buffer[4];
  EXPECT_EQ(table.GetAsPChar(1, buffer, sizeof buffer), 3u);
  EXPECT_STREQ(buffer, "one");
  EXPECT_EQ(table.GetAsPChar(5, buffer, sizeof buffer), 3u);
  EXPECT_STREQ(buffer, "\x80ur");
}

TEST(StringResource, MissingIdRaisesOnlyWhenAsked) {
  auto bytes = makeTable({{1, u"one"}});
  TAdStringResource raising(bytes.data(), bytes.size(), "TEST", true);
  try {
    raising.GetString(77);
    FAIL();
  } catch (const EQvsStringResourceError& e) {
    EXPECT_STREQ(e.what(), "String not found: 77");
  }
}

TEST(StringResource, RefusesMissingAndDamagedTables) {
  EXPECT_THROW(TAdStringResource("NO_SUCH_TABLE"), EQvsStringResourceError);
  auto bytes = makeTable({{1, u"one"}});
  bytes[3] = 'X';
  EXPECT_THROW(TAdStringResource(bytes.data(), bytes.size(), "TEST"), EQvsStringResourceError);
  // Offsets and counts that point past the end are read as absent, never out of bounds.
  auto bad = makeTable({{1, u"one"}, {2, u"two"}});
  bad[12] = 0xFF;  // offset of entry 1
  bad[4] = 200;    // count larger than the entries present
  TAdStringResource table(bad.data(), bad.size(), "TEST");
  EXPECT_EQ(table.GetString(1), "");
  EXPECT_EQ(table.GetString(2), "two");
}

}  // namespace
}  // namespace quillon
