#pragma once
// TPreferences, the preferences wizard: eight pages that edit the modem, dialling, sending
// and receiving settings. It works on a copy of the settings; only Finish with "Yes" takes
// the copy over, after it has been saved.
#include <QDialog>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace quillon::settings {
class SettingsStore;
}

namespace quillon::preferences {

class TRadioGroup;

// The modem probes the wizard's buttons start. Either may be unset; its button then says
// that the probe is not available.
struct ModemProbes {
  // Find Modem Port: probes the ports in its own window; the number n of the first COMn with
  // a modem, or -1.
  std::function<int(QWidget* parent)> findModem;
  // Check Fax Class on COMn: the recommended class, 0 class 1, 1 class 2, 2 class 2.0, or -1.
  std::function<int(QWidget* parent, int comNumber)> checkFaxClass;
};

inline constexpr const char* kDefaultPrinter = "Default Windows Printer";

// The printer list: "Default Windows Printer", then the installed printers.
QStringList printerChoices();

class TPreferences : public QDialog {
  Q_OBJECT

 public:
  enum Page { Information, ModemPort, Sending1, Sending2, Sending3, Receiving1, Receiving2, Receiving3, PageCount };

  // `offeredPorts`: the port numbers of the port question (COM1 to COM6 and any mapped
  // above them). `dataFolder` (with its trailing separator) is where the WAV choice starts.
  TPreferences(const settings::Settings& values, const std::string& dataFolder, std::vector<int> offeredPorts,
               bool firstRun, ModemProbes probes = {}, QWidget* parent = nullptr);

  // Called by Finish after "Save changes?" with the settings taken over; false (the user was
  // told why) keeps the wizard open. Without it Finish just accepts.
  std::function<bool(const settings::Settings&)> saveSettings;
  // The settings taken over by the last successful Finish.
  const settings::Settings& result() const { return result_; }

  // The settings the controls hold, on top of the ones the wizard opened with. False when a
  // field cannot be taken over: `message` says why, `page` and `field` show where.
  bool takeOver(settings::Settings& out, QString& message, int& page, QWidget*& field) const;

  bool firstRun() const { return firstRun_; }
  int pageIndex() const;
  void showPage(int index);
  static QString pageTitle(int index);
  static int helpContextOf(int page);
  // The sentences about stored settings the wizard could not show as they were.
  const QStringList& storedValueNotes() const { return notes_; }
  const std::vector<int>& offeredPorts() const { return offeredPorts_; }

  // ---- buttons
  void BackButtonClick();
  void NextbuttonClick();
  void FinishbuttonClick();
  void HelpButtonClick();
  void FindModemButtonClick();
  void CheckFaxClassClick(TRadioGroup* classChoice);
  void GenericInitClick(QLineEdit* edit, bool usRobotics);
  void SelectWavButtonClick();
  bool PlayWAVbuttonClick();  // true when the sound was started
  void NoWAVButtonClick();

  // ---- controls (named as the wizard's parts are everywhere)
  QComboBox* PageCombo = nullptr;
  QLabel* TitleLabel = nullptr;
  QStackedWidget* Notebook = nullptr;
  QPushButton *HelpButton = nullptr, *Cancelbutton = nullptr, *BackButton = nullptr, *Nextbutton = nullptr,
              *Finishbutton = nullptr;
  QLabel* FirstRunNotice = nullptr;
  QLabel* StoredValuesNotice = nullptr;
  // page 1
  TRadioGroup* ComPort = nullptr;
  QPushButton* FindModemButton = nullptr;
  TRadioGroup* ToneOrPulse = nullptr;
  QLineEdit *ResetString = nullptr, *ResetAfterString = nullptr;
  // page 2
  TRadioGroup* FaxClass = nullptr;
  QPushButton* CheckFaxClassButton = nullptr;
  QComboBox* TransferRate = nullptr;
  QLineEdit* ModemInit = nullptr;
  QPushButton *GenericInitbutton = nullptr, *GenericUSRInitButton = nullptr, *HelpWithInitbutton = nullptr;
  // page 3
  QLineEdit *FaxNumber = nullptr, *Name = nullptr;
  QCheckBox* UseECM = nullptr;
  QLineEdit *DialPrefix = nullptr, *DialSuffix = nullptr;
  // page 4
  QLineEdit *TimeOut = nullptr, *DialAttempts = nullptr, *RetryWait = nullptr;
  QCheckBox *CheckBlindDial = nullptr, *CheckIgnoreBusy = nullptr;
  // page 5
  TRadioGroup* FaxClassReceive = nullptr;
  QPushButton *CheckRecFaxClassbutton = nullptr, *RecClassSameAsSendButton = nullptr;
  QComboBox* TransferRateReceive = nullptr;
  QPushButton* RecBPSSameAsSendButton = nullptr;
  QLineEdit* ModemInitReceive = nullptr;
  QPushButton *GenericInitRecButton = nullptr, *GenericUSRInitRECbutton = nullptr,
              *HelpWithInitRECButton = nullptr, *RecInitSameAsSendButton = nullptr;
  // page 6
  TRadioGroup* AnswerOnRing = nullptr;
  QCheckBox *ReceiveAtStartup = nullptr, *UseECMReceive = nullptr;
  // page 7
  QLineEdit* WaveFileEdit = nullptr;
  QPushButton *SelectWavButton = nullptr, *PlayWAVbutton = nullptr, *NoWAVButton = nullptr;
  QCheckBox* PrintFaxOnReceipt = nullptr;
  QComboBox* PrintFaxOnReceiptPrinter = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // preferences_pages.cpp
  void buildWindow();
  QWidget* buildInformationPage();
  QWidget* buildModemPage();
  QWidget* buildSendingPage1();
  QWidget* buildSendingPage2();
  QWidget* buildSendingPage3();
  QWidget* buildReceivingPage1();
  QWidget* buildReceivingPage2();
  QWidget* buildReceivingPage3();
  void connectButtons();
  // preferences_binding.cpp
  void fillControls();
  int portPosition(int comPort) const;  // -1 when not offered

  void updateNavigation();

  settings::Settings opened_;
  settings::Settings result_;
  std::string dataFolder_;
  std::vector<int> offeredPorts_;
  bool firstRun_;
  ModemProbes probes_;
  QStringList notes_;
};

// The port numbers the port question offers: COM1 to COM6 and every port above them that
// the [Ports] section of the settings file maps.
std::vector<int> offeredPortsOf(const settings::SettingsStore& store);

// Runs the wizard modally over `parent`. On Finish with "Yes" the settings are taken over
// into `values` and saved to the store's file; returns true then, false otherwise (nothing
// changed, nothing written).
bool RunPreferences(QWidget* parent, settings::Settings& values, const settings::SettingsStore& store,
                    bool firstRun, const ModemProbes& probes = {});

}  // namespace quillon::preferences
