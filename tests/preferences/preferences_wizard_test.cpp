#include "preferences/preferences_wizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/modal_answer.h"
#include "preferences/radio_group.h"
#include "preferences/wizard_driver.h"

using namespace quillon;
using namespace quillon::preferences;
using quillon::test::answerNextMessageBox;
using quillon::test::PreferencesFolder;
using quillon::test::whenWizardOpens;

namespace {
std::unique_ptr<TPreferences> wizardOn(const settings::Settings& s, bool firstRun, ModemProbes probes = {}) {
  return std::make_unique<TPreferences>(s, "/tmp/", std::vector<int>{1, 2, 3, 4, 5, 6}, firstRun, probes);
}
}  // namespace

TEST(PreferencesWizard, FirstRunFinishOnlyOnTheLastPageOtherwiseEverywhere) {
  auto first = wizardOn(settings::Settings{}, true);
  EXPECT_FALSE(first->FirstRunNotice->isHidden());
  for (int page = 0; page < TPreferences::PageCount; ++page) {
    EXPECT_EQ(first->pageIndex(), page);
    EXPECT_EQ(first->Finishbutton->isEnabled(), page == TPreferences::PageCount - 1) << page;
    EXPECT_EQ(first->BackButton->isEnabled(), page > 0);
    EXPECT_EQ(first->Nextbutton->isEnabled(), page < TPreferences::PageCount - 1);
    EXPECT_EQ(first->TitleLabel->text(), TPreferences::pageTitle(page));
    EXPECT_EQ(first->PageCombo->currentIndex(), page);
    first->NextbuttonClick();
  }
  emit first->PageCombo->activated(2);  // a jump from the list as the user makes it
  EXPECT_EQ(first->TitleLabel->text(), "Sending Faxes - Part 1");
  EXPECT_FALSE(first->Finishbutton->isEnabled());

  auto later = wizardOn(settings::Settings{}, false);
  EXPECT_TRUE(later->FirstRunNotice->isHidden());
  for (int page = 0; page < TPreferences::PageCount; ++page, later->NextbuttonClick()) {
    EXPECT_TRUE(later->Finishbutton->isEnabled()) << page;
  }
  EXPECT_EQ(TPreferences::helpContextOf(0), 1022);
  EXPECT_EQ(TPreferences::helpContextOf(1), 3501);
  EXPECT_EQ(TPreferences::helpContextOf(4), 3502);
  EXPECT_EQ(TPreferences::helpContextOf(7), 3503);
}

TEST(PreferencesWizard, InitStringsSameAsSendAndProbes) {
  int probedPort = 0;
  ModemProbes probes;
  probes.findModem = [](QWidget*) { return 3; };
  probes.checkFaxClass = [&probedPort](QWidget*, int com) {
    probedPort = com;
    return 2;  // class 2.0
  };
  auto w = wizardOn(settings::Settings{}, false, probes);

  auto no = answerNextMessageBox(QMessageBox::No);
  w->GenericInitClick(w->ModemInit, true);
  EXPECT_EQ(no->caption, "US Robotics init String");
  EXPECT_EQ(no->text, "We have found the init string\n   &H3&I2&R2S7=90\nto work well with many US Robotics modems.\n"
                      "Would you like to use it?");
  EXPECT_EQ(w->ModemInit->text(), "");
  auto yes = answerNextMessageBox(QMessageBox::Yes);
  w->GenericInitClick(w->ModemInitReceive, false);
  EXPECT_EQ(yes->caption, "Generic init String");
  EXPECT_EQ(w->ModemInitReceive->text(), "AT&F&C1&D2&K3S7=55");

  w->ModemInit->setText("AT&F1");
  w->FaxClass->setItemIndex(2);
  w->TransferRate->setCurrentIndex(5);
  w->RecInitSameAsSendButton->click();
  w->RecClassSameAsSendButton->click();
  w->RecBPSSameAsSendButton->click();
  EXPECT_EQ(w->ModemInitReceive->text(), "AT&F1");
  EXPECT_EQ(w->FaxClassReceive->itemIndex(), 2);
  EXPECT_EQ(w->TransferRateReceive->currentIndex(), 5);

  auto port = answerNextMessageBox(QMessageBox::Yes);
  w->FindModemButtonClick();
  EXPECT_EQ(port->text, "Set Com Port to Com 3");
  EXPECT_EQ(port->caption, "Com Port");
  EXPECT_EQ(w->ComPort->itemIndex(), 2);
  auto cls = answerNextMessageBox(QMessageBox::Yes);
  w->CheckFaxClassClick(w->FaxClassReceive);
  EXPECT_EQ(probedPort, 3);
  EXPECT_EQ(cls->text, "Set fax class as Class 2.0 ?");
  EXPECT_EQ(w->FaxClassReceive->itemIndex(), 3);
  EXPECT_EQ(w->FaxClass->itemIndex(), 2) << "only the page's own class changes";
  // The same proposal again is not offered (an unanswered box would fail the guard).
  test::StrayMessageBoxGuard guard;
  w->FindModemButtonClick();
  w->CheckFaxClassClick(w->FaxClassReceive);

  auto unset = wizardOn(settings::Settings{}, false);
  auto notice = answerNextMessageBox(QMessageBox::Ok);
  unset->FindModemButtonClick();
  EXPECT_TRUE(notice->text.contains("not available")) << notice->text.toStdString();
}

TEST(PreferencesWizard, SaveWritesEveryPageAndCancelWritesNothing) {
  PreferencesFolder folder("[Modem]\nComPort=0\n[Ports]\nCOM7=emulator\n");
  settings::Settings values = folder.load();
  std::string before = folder.file();

  whenWizardOpens([](TPreferences& w) { w.Cancelbutton->click(); });
  EXPECT_FALSE(RunPreferences(nullptr, values, folder.store, false));
  EXPECT_EQ(folder.file(), before);

  whenWizardOpens([](TPreferences& w) {
    EXPECT_EQ(w.ComPort->count(), 7) << "COM7 is mapped, so it is offered";
    w.ComPort->setItemIndex(6);
    w.ToneOrPulse->setItemIndex(1);
    w.ResetString->setText("ATZ");
    w.ResetAfterString->setText("ATH0");
    w.FaxClass->setItemIndex(3);
    w.TransferRate->setCurrentIndex(1);
    w.ModemInit->setText("AT&F");
    w.FaxNumber->setText("+44 20 7946 0000");
    w.Name->setText("Ada Lovelace");
    w.UseECM->setChecked(true);
    w.DialPrefix->setText("9,");
    w.DialSuffix->setText("#");
    w.TimeOut->setText("90");
    w.DialAttempts->setText("5");
    w.RetryWait->setText("120");
    w.CheckBlindDial->setChecked(true);
    w.CheckIgnoreBusy->setChecked(true);
    w.FaxClassReceive->setItemIndex(2);
    w.TransferRateReceive->setCurrentIndex(5);
    w.ModemInitReceive->setText("ATS0=0");
    w.AnswerOnRing->setItemIndex(3);
    w.ReceiveAtStartup->setChecked(true);
    w.UseECMReceive->setChecked(true);
    w.WaveFileEdit->setText("/tmp/ring.wav");
    w.PrintFaxOnReceipt->setChecked(true);
    auto no = answerNextMessageBox(QMessageBox::No);
    w.Finishbutton->click();  // "No" stays in the wizard
    EXPECT_EQ(no->caption, "Save Preferences");
    EXPECT_EQ(no->text, "Save changes?");
    EXPECT_TRUE(w.isVisible());
    answerNextMessageBox(QMessageBox::Yes);
    w.Finishbutton->click();
  });
  ASSERT_TRUE(RunPreferences(nullptr, values, folder.store, false));
  settings::Settings saved = folder.load();
  EXPECT_EQ(saved, values);
  EXPECT_EQ(saved.comPort, 6);
  EXPECT_EQ(saved.toneOrPulse, 1);
  EXPECT_EQ(saved.resetString, "ATZ");
  EXPECT_EQ(saved.resetAfterString, "ATH0");
  EXPECT_EQ(saved.faxClass, 3);
  EXPECT_EQ(saved.maximumBps, 4800);
  EXPECT_EQ(saved.initString, "AT&F");
  EXPECT_EQ(saved.userFax, "+44 20 7946 0000");
  EXPECT_EQ(saved.userName, "Ada Lovelace");
  EXPECT_TRUE(saved.ecm);
  EXPECT_EQ(saved.dialPrefix, "9,");
  EXPECT_EQ(saved.dialSuffix, "#");
  EXPECT_EQ(saved.timeout, 90);
  EXPECT_EQ(saved.dialAttempts, 5);
  EXPECT_EQ(saved.retryWait, 120);
  EXPECT_TRUE(saved.blindDial && saved.ignoreBusy);
  EXPECT_EQ(saved.faxClassReceive, 2);
  EXPECT_EQ(saved.maximumBpsReceive, 14400);
  EXPECT_EQ(saved.initStringReceive, "ATS0=0");
  EXPECT_EQ(saved.answerOnRing, 4);
  EXPECT_TRUE(saved.atStartup && saved.ecmReceive && saved.printOnReceipt);
  EXPECT_EQ(saved.wav, "/tmp/ring.wav");
  EXPECT_EQ(saved.printOnReceiptPrinter, "Default Windows Printer");
  EXPECT_NE(folder.file().find("COM7=emulator"), std::string::npos) << "other sections are kept";
}

TEST(PreferencesWizard, ImpossibleStoredValuesAreNamedAndRefusedUntilMended) {
  PreferencesFolder folder("[Modem]\nComPort=99\nMaximumBPS=12345\nInitString=" + std::string(200, 'X') +
                           "\n[Dialing]\nDialAttempts=-3\nRetryWait=abc\n[Receive]\nAnswerOnRing=12\n"
                           "PrintOnReceiptPrinter=Gone LaserJet\n");
  settings::Settings values = folder.load();
  std::string before = folder.file();
  std::vector<QString> messages;
  test::StrayMessageBoxGuard guard;

  whenWizardOpens([&messages](TPreferences& w) {
    QString notes = w.storedValueNotes().join("\n");
    EXPECT_TRUE(notes.contains("COM100")) << notes.toStdString();
    EXPECT_TRUE(notes.contains("12345"));
    EXPECT_TRUE(notes.contains("ring 12"));
    EXPECT_FALSE(w.StoredValuesNotice->isHidden());
    EXPECT_EQ(w.ComPort->itemIndex(), 0);
    EXPECT_EQ(w.TransferRate->currentText(), "9600");
    EXPECT_EQ(w.PrintFaxOnReceiptPrinter->currentText(), "Default Windows Printer") << "the printer is gone";
    EXPECT_EQ(w.PrintFaxOnReceiptPrinter->itemText(0), "Default Windows Printer");

    auto tooLong = answerNextMessageBox(QMessageBox::Ok);
    w.Finishbutton->click();
    messages.push_back(tooLong->text);
    EXPECT_EQ(w.pageIndex(), TPreferences::Sending1);
    w.ModemInit->setText("AT&F");
    w.ModemInitReceive->setText("AT&F");  // it took the long string over as its default
    w.DialAttempts->setText("-3");
    auto negative = answerNextMessageBox(QMessageBox::Ok);
    w.Finishbutton->click();
    messages.push_back(negative->text);
    EXPECT_EQ(w.pageIndex(), TPreferences::Sending3);
    w.DialAttempts->setText("4");
    w.RetryWait->setText("abc");
    auto notInteger = answerNextMessageBox(QMessageBox::Ok);
    w.Finishbutton->click();
    messages.push_back(notInteger->text);
    w.RetryWait->setText("30");
    w.TimeOut->setText("soon");  // not an integer: the old timeout stays
    answerNextMessageBox(QMessageBox::Yes);
    w.Finishbutton->click();
  });
  ASSERT_TRUE(RunPreferences(nullptr, values, folder.store, false));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_TRUE(messages[0].contains("202 characters")) << messages[0].toStdString();
  EXPECT_EQ(messages[1], "Dial attempts must be between 1 and 99; -3 cannot be used.");
  EXPECT_EQ(messages[2], "'abc' is not a valid integer value");
  settings::LoadedSettings saved = folder.store.load();
  EXPECT_FALSE(saved.firstRun);
  EXPECT_EQ(saved.values.comPort, 0);
  EXPECT_EQ(saved.values.maximumBps, 9600);
  EXPECT_EQ(saved.values.dialAttempts, 4);
  EXPECT_EQ(saved.values.retryWait, 30);
  EXPECT_EQ(saved.values.timeout, 60);
  EXPECT_EQ(saved.values.answerOnRing, 1);
  EXPECT_EQ(saved.values.printOnReceiptPrinter, "Default Windows Printer");
}

TEST(PreferencesWizard, WavNoneAndPlayingAMissingOrSilentFile) {
  test::TempDir dir;
  auto w = wizardOn(settings::Settings{}, false);
  w->WaveFileEdit->setText(QString::fromStdString(dir.file("missing.wav")));
  EXPECT_FALSE(w->PlayWAVbuttonClick());
  // A short, valid WAV: it plays (or stays silent without a sound device), never an error.
  std::string wav = "RIFF";
  auto le32 = [&wav](uint32_t v) { for (int i = 0; i < 4; ++i) wav += char(v >> (8 * i)); };
  auto le16 = [&wav](uint16_t v) { wav += char(v); wav += char(v >> 8); };
  le32(36 + 800); wav += "WAVEfmt "; le32(16); le16(1); le16(1); le32(8000); le32(8000); le16(1); le16(8);
  wav += "data"; le32(800); wav += std::string(800, char(128));
  dir.write("ring.wav", wav);
  w->WaveFileEdit->setText(QString::fromStdString(dir.file("ring.wav")));
  test::StrayMessageBoxGuard guard;
  EXPECT_TRUE(w->PlayWAVbuttonClick());
  w->NoWAVButtonClick();
  EXPECT_EQ(w->WaveFileEdit->text(), "");
}

// With QUILLON_SHOT_DIR set (run under Xvfb), saves each page as wizard-page-N.png.
TEST(PreferencesWizard, Screenshots) {
  const char* out = std::getenv("QUILLON_SHOT_DIR");
  if (!out) GTEST_SKIP() << "QUILLON_SHOT_DIR not set";
  settings::Settings s;
  s.comPort = 1;
  s.userName = "Ada Lovelace";
  s.userFax = "+44 20 7946 0000";
  auto w = wizardOn(s, true);
  w->show();
  for (int page = 0; page < TPreferences::PageCount; ++page) {
    w->showPage(page);
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    w->grab().save(QDir(out).filePath(QStringLiteral("wizard-page-%1.png").arg(page)));
  }
}
