// The send dialog's rules without a window: header line, modem strings, rates, results, the
// status window's clocks.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "send/fax_status_clocks.h"
#include "send/send_rules.h"

using namespace quillon::send;

TEST(HeaderLine, TheThreeCasesOfNameAndStationId) {
  const QString tail = QString(11, ' ') + "1/2/26" + QString(4, ' ') + "9:05 AM" + QString(14, ' ') + "Page $P of $N";
  EXPECT_EQ(headerLine("", "", "1/2/26", "9:05 AM"), "Sent" + tail);
  EXPECT_EQ(headerLine("", "+1 555 0100", "1/2/26", "9:05 AM"), "Sent by" + QString(9, ' ') + "$I" + QString(10, ' ') + tail);
  EXPECT_EQ(headerLine("Ann Lee", "+1 555 0100", "1/2/26", "9:05 AM"),
            "Sent by: Ann Lee" + QString(4, ' ') + QString(9, ' ') + "$I" + QString(10, ' ') + tail);
  EXPECT_EQ(headerLine("Ann Lee", "", "1/2/26", "9:05 AM"), "Sent by: Ann Lee" + QString(4, ' ') + tail);
}

TEST(ModemCommandString, AtIsPutInFrontOnlyWhenMissingInAnyCase) {
  EXPECT_EQ(modemCommandString("&H3&I2&R2S7=90"), "AT&H3&I2&R2S7=90");
  EXPECT_EQ(modemCommandString("at&f"), "at&f");
  EXPECT_EQ(modemCommandString("X4 sat"), "X4 sat");  // "AT" anywhere in the upper-case form
  EXPECT_EQ(modemCommandString(""), "AT");
}

TEST(TransferRate, UnknownRatesAndIndexesFallBackTo9600) {
  EXPECT_EQ(rateToIndex(2400), 0);
  EXPECT_EQ(rateToIndex(14400), 5);
  EXPECT_EQ(rateToIndex(12345), 3);
  EXPECT_EQ(indexToRate(4), 12000);
  EXPECT_EQ(indexToRate(-1), 9600);
  EXPECT_EQ(indexToRate(6), 9600);
}

TEST(ResultText, SentForSuccessElseTheMessage) {
  EXPECT_EQ(resultTextFor(0), "Sent");
  QString busy = resultTextFor(quillon::ecFaxBusy);
  EXPECT_NE(busy, "Sent");
  EXPECT_FALSE(busy.isEmpty());
  EXPECT_EQ(notSentMessage("Busy"),
            "Fax was not sent.\nError message: Busy\n\n(Please click the Troubleshooting button for\ntips on solving faxing problems)");
}

TEST(PortChoices, SixPortsPlusMappedPlusAStoredOne) {
  EXPECT_EQ(portChoices({}, 2), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(portChoices({7, 3}, 1), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(portChoices({}, 100), (std::vector<int>{1, 2, 3, 4, 5, 6, 100}));
  EXPECT_EQ(portChoices({0, 300}, 0), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(StatusClocks, ElapsedRunsFromConnectionToFinishAndRedialCountsDown) {
  ElapsedClock clock;
  EXPECT_EQ(clock.text(5000), "00:00");
  clock.onProgress(2, 1000);
  EXPECT_EQ(clock.text(5000), "00:00");
  clock.onProgress(40, 10000);
  clock.onProgress(41, 12000);  // already running
  EXPECT_EQ(clock.text(75000), "  1:05");
  clock.onProgress(43, 80000);
  EXPECT_EQ(clock.text(999000), "  1:10");  // stopped
  RedialCountdown redial;
  redial.onProgress(3, 60, 0);
  EXPECT_EQ(redial.secondsLeft(0), 60);
  redial.onProgress(3, 60, 20000);  // the same wait
  EXPECT_EQ(redial.secondsLeft(20500), 40);
  EXPECT_EQ(redial.secondsLeft(90000), 0);
  redial.onProgress(2, 60, 61000);
  EXPECT_FALSE(redial.waiting());
  EXPECT_EQ(pagePercent(50, 0), 0);
  EXPECT_EQ(pagePercent(1, 3), 33);
  EXPECT_EQ(shortFileName("/tmp/a/abcdefghijklmnopqrstuvwxyz.APF"), "abcdefghijklmnopqrst...");
}
