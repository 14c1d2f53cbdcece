#include "preferences/preferences_wizard.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "platform/file_io.h"
#include "preferences/radio_group.h"
#include "preferences/wav_sound.h"
#include "settings/settings_store.h"

namespace quillon::preferences {

namespace {
constexpr int kHelpWizard = 1022;
constexpr int kHelpModem = 3501;
constexpr int kHelpSending = 3502;
constexpr int kHelpReceiving = 3503;
constexpr int kHelpInitTroubleshooting = 1032;

struct GenericInit {
  const char* caption;
  const char* string;
  const char* worksWith;
};
constexpr GenericInit kGenericInit{"Generic init String", "AT&F&C1&D2&K3S7=55", "many non-US Robotics modems"};
constexpr GenericInit kUsRoboticsInit{"US Robotics init String", "&H3&I2&R2S7=90", "many US Robotics modems"};

const char* const kClassNames[] = {"Class 1", "Class 2", "Class 2.0"};
}  // namespace

TPreferences::TPreferences(const settings::Settings& values, const std::string& dataFolder,
                           std::vector<int> offeredPorts, bool firstRun, ModemProbes probes, QWidget* parent)
    : QDialog(parent),
      opened_(values),
      result_(values),
      dataFolder_(dataFolder),
      offeredPorts_(std::move(offeredPorts)),
      firstRun_(firstRun),
      probes_(std::move(probes)) {
  if (offeredPorts_.empty()) offeredPorts_ = {1, 2, 3, 4, 5, 6};
  buildWindow();
  FirstRunNotice->setVisible(firstRun_);
  fillControls();
  resize(sizeHint().expandedTo(QSize(660, 500)));
  showPage(Information);
}

int TPreferences::helpContextOf(int page) {
  if (page <= Information) return kHelpWizard;
  if (page == ModemPort) return kHelpModem;
  if (page <= Sending3) return kHelpSending;
  return kHelpReceiving;
}

int TPreferences::pageIndex() const { return Notebook->currentIndex(); }

void TPreferences::showPage(int index) {
  if (index < 0 || index >= PageCount) return;
  Notebook->setCurrentIndex(index);
  updateNavigation();
}

void TPreferences::updateNavigation() {
  int page = pageIndex();
  BackButton->setEnabled(page > 0);
  Nextbutton->setEnabled(page < PageCount - 1);
  // In a first run the user sees every page before finishing.
  Finishbutton->setEnabled(page == PageCount - 1 || !firstRun_);
  (page < PageCount - 1 ? Nextbutton : Finishbutton)->setDefault(true);
  {
    QSignalBlocker quiet(PageCombo);
    PageCombo->setCurrentIndex(page);
  }
  TitleLabel->setText(pageTitle(page));
}

void TPreferences::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  app::centreWindow(this);
}

void TPreferences::connectButtons() {
  connect(BackButton, &QPushButton::clicked, this, &TPreferences::BackButtonClick);
  connect(Nextbutton, &QPushButton::clicked, this, &TPreferences::NextbuttonClick);
  connect(Finishbutton, &QPushButton::clicked, this, &TPreferences::FinishbuttonClick);
  connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, &TPreferences::HelpButtonClick);
  connect(PageCombo, &QComboBox::activated, this, &TPreferences::showPage);

  connect(FindModemButton, &QPushButton::clicked, this, &TPreferences::FindModemButtonClick);
  connect(CheckFaxClassButton, &QPushButton::clicked, this, [this] { CheckFaxClassClick(FaxClass); });
  connect(CheckRecFaxClassbutton, &QPushButton::clicked, this, [this] { CheckFaxClassClick(FaxClassReceive); });

  connect(GenericInitbutton, &QPushButton::clicked, this, [this] { GenericInitClick(ModemInit, false); });
  connect(GenericUSRInitButton, &QPushButton::clicked, this, [this] { GenericInitClick(ModemInit, true); });
  connect(GenericInitRecButton, &QPushButton::clicked, this, [this] { GenericInitClick(ModemInitReceive, false); });
  connect(GenericUSRInitRECbutton, &QPushButton::clicked, this, [this] { GenericInitClick(ModemInitReceive, true); });
  connect(HelpWithInitbutton, &QPushButton::clicked, this, [] { app::showHelp(kHelpInitTroubleshooting); });
  connect(HelpWithInitRECButton, &QPushButton::clicked, this, [] { app::showHelp(kHelpInitTroubleshooting); });

  connect(RecClassSameAsSendButton, &QPushButton::clicked, this,
          [this] { FaxClassReceive->setItemIndex(FaxClass->itemIndex()); });
  connect(RecBPSSameAsSendButton, &QPushButton::clicked, this,
          [this] { TransferRateReceive->setCurrentIndex(TransferRate->currentIndex()); });
  connect(RecInitSameAsSendButton, &QPushButton::clicked, this, [this] { ModemInitReceive->setText(ModemInit->text()); });

  connect(SelectWavButton, &QPushButton::clicked, this, &TPreferences::SelectWavButtonClick);
  connect(PlayWAVbutton, &QPushButton::clicked, this, &TPreferences::PlayWAVbuttonClick);
  connect(NoWAVButton, &QPushButton::clicked, this, &TPreferences::NoWAVButtonClick);
}

void TPreferences::BackButtonClick() { showPage(pageIndex() - 1); }
void TPreferences::NextbuttonClick() { showPage(pageIndex() + 1); }
void TPreferences::HelpButtonClick() { app::showHelp(helpContextOf(pageIndex())); }

void TPreferences::FinishbuttonClick() {
  // A field that cannot be taken over is shown to the user before anything is asked or saved.
  settings::Settings values;
  QString message;
  int page = pageIndex();
  QWidget* field = nullptr;
  if (!takeOver(values, message, page, field)) {
    app::InfoBox(message);
    showPage(page);
    if (field) {
      field->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return;
  }
  if (!app::AskYesNo(QStringLiteral("Save changes?"), QStringLiteral("Save Preferences"))) return;
  if (saveSettings && !saveSettings(values)) return;
  result_ = values;
  accept();
}

void TPreferences::FindModemButtonClick() {
  if (!probes_.findModem) {
    app::notAvailableYet(QStringLiteral("Find Modem Port"));
    return;
  }
  int selected = offeredPorts_[std::max(0, ComPort->itemIndex())];
  int found = probes_.findModem(this);
  if (found <= 0 || found == selected) return;
  int position = portPosition(found - 1);
  if (position < 0) return;  // a port the question does not offer
  if (app::AskYesNo(QStringLiteral("Set Com Port to Com %1").arg(found), QStringLiteral("Com Port"))) {
    ComPort->setItemIndex(position);
  }
}

void TPreferences::CheckFaxClassClick(TRadioGroup* classChoice) {
  if (!probes_.checkFaxClass) {
    app::notAvailableYet(QStringLiteral("Check Fax Class"));
    return;
  }
  int comNumber = offeredPorts_[std::max(0, ComPort->itemIndex())];
  int recommended = probes_.checkFaxClass(this, comNumber);
  if (recommended < 0 || recommended > 2 || recommended + 1 == classChoice->itemIndex()) return;
  QString name = QString::fromLatin1(kClassNames[recommended]);
  if (app::AskYesNo(QStringLiteral("Set fax class as %1 ?").arg(name), QStringLiteral("Fax Class"))) {
    classChoice->setItemIndex(recommended + 1);
  }
}

void TPreferences::GenericInitClick(QLineEdit* edit, bool usRobotics) {
  const GenericInit& init = usRobotics ? kUsRoboticsInit : kGenericInit;
  QString question = QStringLiteral("We have found the init string\n   %1\nto work well with %2.\nWould you like to use it?")
                         .arg(QString::fromLatin1(init.string), QString::fromLatin1(init.worksWith));
  if (app::AskYesNo(question, QString::fromLatin1(init.caption))) edit->setText(QString::fromLatin1(init.string));
}

void TPreferences::SelectWavButtonClick() {
  QFileDialog dialog(this, QStringLiteral("Choose a Sound"), QString::fromStdString(dataFolder_),
                     QStringLiteral("WAVE files (*.wav *.WAV)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QString current = WaveFileEdit->text();
  if (!current.isEmpty() && QFileInfo(current).isFile()) {
    dialog.setDirectory(QFileInfo(current).absolutePath());
    dialog.selectFile(current);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  QString chosen = dialog.selectedFiles().first();
  if (looksLikeWavName(chosen)) WaveFileEdit->setText(chosen);
}

bool TPreferences::PlayWAVbuttonClick() { return playWavAsync(WaveFileEdit->text()); }

void TPreferences::NoWAVButtonClick() { WaveFileEdit->clear(); }

bool RunPreferences(QWidget* parent, settings::Settings& values, const settings::SettingsStore& store,
                    bool firstRun, const ModemProbes& probes) {
  std::string folder = QFileInfo(QString::fromStdString(store.path())).absolutePath().toStdString() + "/";
  TPreferences wizard(values, folder, offeredPortsOf(store), firstRun, probes, parent);
  wizard.saveSettings = [&store](const settings::Settings& chosen) {
    try {
      store.save(chosen);
      return true;
    } catch (const platform::FileWriteError& e) {
      app::InfoBox(QString::fromLocal8Bit(e.what()));
      return false;
    }
  };
  if (wizard.exec() != QDialog::Accepted) return false;
  values = wizard.result();
  return true;
}

}  // namespace quillon::preferences
