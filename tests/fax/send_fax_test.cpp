// Sending over the emulated modem: whole faxes in Class 2 and Class 2.0.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "fax_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class SendFaxTest : public FaxLineTest, public ::testing::WithParamInterface<fax::TFaxClass> {};

TEST_P(SendFaxTest, SendsEveryPageToTheRemote) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{40, false}, {30, false}});
  fax.SetFaxClass(GetParam());
  fax.SetPhoneNumber("555");
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(errors, std::vector<int>{});
  EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitOk}));
  EXPECT_EQ(fax.RemoteStation(), "REMOTE FAX");
  const auto& got = remote.lastFax();
  ASSERT_EQ(got.pages.size(), 2u);
  EXPECT_TRUE(got.complete);
  for (int p = 0; p < 2; ++p) EXPECT_TRUE(endsWith(got.pages[p].data, pages[p])) << "page " << p + 1;
  EXPECT_EQ(got.remoteId, "QUILLON TEST");
  expectPortClosed();
}

INSTANTIATE_TEST_SUITE_P(Classes, SendFaxTest, ::testing::Values(fax::fcClass2, fax::fcClass2_0),
                         [](const auto& info) { return info.param == fax::fcClass2 ? "Class2" : "Class20"; });

}  // namespace
