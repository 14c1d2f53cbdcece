// The send dialog on its own: closing without sending, settings in and out, the fax
// component's set-up from the controls, and impossible settings.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/modal_answer.h"
#include "send/send_fax_form.h"

using namespace quillon;
using quillon::test::answerNextMessageBox;

namespace {

settings::Settings sample() {
  settings::Settings s;
  s.comPort = 2;
  s.faxClass = 3;
  s.maximumBps = 14400;
  s.initString = "&H3&I2&R2S7=90";
  s.userFax = "+1 555 0100";
  s.userName = "Ann Lee";
  s.dialPrefix = "9,";
  s.dialSuffix = "#12";
  s.dialAttempts = 4;
  s.retryWait = 30;
  s.timeout = 45;
  s.toneOrPulse = 1;
  s.ecm = true;
  return s;
}

TEST(SendFaxForm, ClosingWithoutSendingIsCancelledAndSettingsRoundTrip) {
  quillon::test::StrayMessageBoxGuard guard;
  send::TSendFaxForm form({7});
  form.loadFromSettings(sample());
  EXPECT_EQ(form.portNumbers(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(form.selectedPort(), 3);
  EXPECT_EQ(form.TransferRate->currentText(), "14400");
  form.CloseButtonClick();
  EXPECT_EQ(form.resultText(), "Cancelled");
  settings::Settings back;
  form.storeToSettings(back);
  EXPECT_EQ(back, sample());
}

TEST(SendFaxForm, TheComponentIsSetUpFromTheControls) {
  send::TSendFaxForm form;
  form.loadFromSettings(sample());
  form.sfPhoneNumber->setText("555 0199");
  form.ConfigureSendFax();
  const fax::TApdSendFax& f = form.ApdSendFax1;
  EXPECT_EQ(f.PhoneNumber(), "555 0199#12");  // suffix without a separator
  EXPECT_EQ(f.DialPrefix(), "9,");
  EXPECT_EQ(f.ModemInit(), "AT&H3&I2&R2S7=90");
  EXPECT_EQ(f.FaxClass(), fax::fcClass2_0);
  EXPECT_EQ(f.DesiredBPS(), 14400u);
  EXPECT_TRUE(f.DesiredECM());
  EXPECT_FALSE(f.ToneDial());
  EXPECT_EQ(f.DialAttempts(), 4u);
  EXPECT_EQ(f.DialRetryWait(), 30u);
  EXPECT_EQ(f.DialWait(), 45u);
  EXPECT_TRUE(form.headerLine().startsWith("Sent by: Ann Lee    "));
  // Disabled prefix and suffix; a non-numeric retry wait keeps it and the dial wait.
  form.DisablePrefix->setChecked(true);
  form.DisableSuffix->setChecked(true);
  form.sfDialAttempts->setText("2");
  form.sfRetryWait->setText("soon");
  form.sfTimeOut->setText("99");
  form.ConfigureSendFax();
  EXPECT_EQ(f.PhoneNumber(), "555 0199");
  EXPECT_EQ(f.DialPrefix(), "");
  EXPECT_EQ(f.DialAttempts(), 2u);
  EXPECT_EQ(f.DialRetryWait(), 30u);
  EXPECT_EQ(f.DialWait(), 45u);
  settings::Settings back = sample();
  form.storeToSettings(back);
  EXPECT_EQ(back.retryWait, 30);  // not a number: the old value stays
  EXPECT_EQ(back.timeout, 99);
}

TEST(SendFaxForm, ImpossibleSettingsGiveClearMessagesAndNoSend) {
  quillon::test::StrayMessageBoxGuard guard;
  settings::Settings s = sample();
  s.comPort = 98;          // COM99: listed, so the user sees what the settings name
  s.maximumBps = 12345;    // shown as 9600
  s.dialAttempts = -3;
  send::TSendFaxForm form;
  form.loadFromSettings(s);
  EXPECT_EQ(form.selectedPort(), 99);
  EXPECT_EQ(form.TransferRate->currentText(), "9600");
  auto box = answerNextMessageBox(QMessageBox::Ok);
  form.SendFaxButtonClick();
  EXPECT_TRUE(box->seen);
  EXPECT_EQ(box->text, "\"Dial Attempts\" must be a whole number from 0 to 65535 (it reads -3).");
  EXPECT_FALSE(form.busy());
  EXPECT_FALSE(form.ApdComPort1.Open());
  settings::Settings back = s;
  form.storeToSettings(back);
  EXPECT_EQ(back.dialAttempts, -3);  // kept as it was, never cut to 65533

  s.comPort = -2;  // no port at all
  s.dialAttempts = 3;
  send::TSendFaxForm none;
  none.loadFromSettings(s);
  EXPECT_EQ(none.selectedPort(), 0);
  box = answerNextMessageBox(QMessageBox::Ok);
  none.SendFaxButtonClick();
  EXPECT_EQ(box->text, "Please choose the communications port of your fax modem (Com1 to Com255).");
  EXPECT_EQ(none.resultText(), "Cancelled");
}

TEST(SendFaxForm, PreferencesRefillTheControlsButNotTheNumber) {
  quillon::test::StrayMessageBoxGuard guard;
  send::TSendFaxForm form;
  form.loadFromSettings(sample());
  form.sfPhoneNumber->setText("555 0199");
  // Unset hook: a notice, nothing changes.
  auto box = answerNextMessageBox(QMessageBox::Ok);
  form.BitBtn1Click();
  EXPECT_TRUE(box->seen);
  settings::Settings changed = sample();
  changed.comPort = 0;
  changed.userName = "Bo";
  form.preferencesWizard = [&] { return std::optional<settings::Settings>(changed); };
  form.BitBtn1Click();
  EXPECT_EQ(form.sfusername->text(), "Bo");
  EXPECT_EQ(form.selectedPort(), 1);
  EXPECT_EQ(form.sfPhoneNumber->text(), "555 0199");
}

}  // namespace
