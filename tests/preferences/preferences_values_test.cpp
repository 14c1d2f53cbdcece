#include "preferences/preferences_values.h"

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::preferences;

TEST(PreferencesValues, RatesOutsideTheListAre9600BothWays) {
  EXPECT_EQ(rateIndex(2400), 0);
  EXPECT_EQ(rateIndex(14400), 5);
  EXPECT_EQ(rateIndex(12345), 3);
  EXPECT_EQ(rateIndex(0), 3);
  EXPECT_EQ(rateOfIndex(4), 12000);
  EXPECT_EQ(rateOfIndex(-1), 9600);
  EXPECT_EQ(rateOfIndex(6), 9600);
}

TEST(PreferencesValues, InitStringLengthCountsTheAtTheModemGets) {
  EXPECT_EQ(modemInitLength(""), 0u);
  EXPECT_EQ(modemInitLength("&H3&I2&R2S7=90"), 16u);  // "AT" goes in front
  EXPECT_EQ(modemInitLength("at&f"), 4u);             // already starts with it, in any case
  EXPECT_TRUE(initStringFits(std::string(40, 'A').replace(0, 2, "AT")));
  EXPECT_FALSE(initStringFits(std::string(39, 'X')));  // 41 with the AT
  EXPECT_FALSE(initStringFits(std::string(200, 'X')));
}

TEST(PreferencesValues, StoredValuesTheWizardCannotShowAreEachNamed) {
  settings::Settings s;
  s.comPort = 0;
  EXPECT_TRUE(unusableStoredValues(s, {1, 2, 3, 4, 5, 6}).isEmpty()) << "the defaults are all usable";

  s.comPort = 98;  // COM99, not offered
  s.maximumBps = 12345;
  s.dialAttempts = -3;
  s.faxClassReceive = 7;
  s.answerOnRing = 0;
  s.initString = std::string(200, 'X');
  QStringList notes = unusableStoredValues(s, {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(notes.size(), 6) << notes.join("\n").toStdString();
  EXPECT_TRUE(notes.join("\n").contains("COM99")) << notes.join("\n").toStdString();
  EXPECT_TRUE(notes.join("\n").contains("12345"));
  EXPECT_TRUE(notes.join("\n").contains("Dial attempts must be between 1 and 99; -3 cannot be used."));
  EXPECT_TRUE(notes.join("\n").contains("202 characters"));
  // A port the [Ports] section maps is offered, so it is fine.
  s = settings::Settings{};
  s.comPort = 98;
  EXPECT_TRUE(unusableStoredValues(s, {1, 2, 3, 4, 5, 6, 99}).isEmpty());
}
