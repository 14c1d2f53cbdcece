#pragma once
// TSendFaxForm: the send dialog. It transmits one rendered fax file to one number with the
// settings its controls show, through its own port and fax components, and keeps the result
// text of the last transmission that finished ("Cancelled" when none did).
#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fax/send_fax.h"
#include "send/fax_status.h"
#include "serial/com_port.h"
#include "settings/settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon::send {

class TSendFaxForm : public QDialog {
  Q_OBJECT

 public:
  // `mappedPorts`: the port numbers the [Ports] mapping names (listed beside COM1 to COM6).
  explicit TSendFaxForm(const std::vector<int>& mappedPorts = {}, QWidget* parent = nullptr);
  ~TSendFaxForm() override;

  // ---- set by the caller before showing
  void setFaxFile(const std::string& path) { faxFileName_ = path; }
  const std::string& faxFile() const { return faxFileName_; }
  void setInitialFaxNumber(const QString& number) { initialFaxNumber_ = number; }
  // Every control of the settings (not the fax number), and the reset strings.
  void loadFromSettings(const settings::Settings& s);
  // The controls back into `s`; a numeric field that does not hold a usable number keeps
  // the old value, as does the port when none is chosen.
  void storeToSettings(settings::Settings& s) const;

  // ---- read after the modal loop
  const QString& resultText() const { return resultText_; }
  bool busy() const { return busy_; }
  const QString& headerLine() const { return headerLine_; }

  // The chosen port number (COMn), 0 when none is chosen; choosing selects its button.
  int selectedPort() const;
  void selectPort(int comNumber);
  // The port numbers listed, in order.
  const std::vector<int>& portNumbers() const { return ports_; }

  // ---- what other windows plug in (each may stay empty)
  // The preferences wizard: the new settings when it finished by saving, else nothing.
  std::function<std::optional<settings::Settings>()> preferencesWizard;
  // The modem probes; they may change the fax class or the port choice.
  std::function<void(TSendFaxForm&)> findModem, checkFaxClass;

  // ---- handlers
  void SendFaxButtonClick();
  void CloseButtonClick();
  void HelpbuttonClick();
  void ExplorerButton1Click();
  void BitBtn1Click();
  void FindModemButtonClick();
  void CheckFaxClassButtonClick();
  // The transmission finished with `code` (the fax component's OnFaxFinish).
  void ApdSendFax1FaxFinish(int code);
  // Sets up the fax component from the controls, as just before a transmission.
  void ConfigureSendFax();
  // What keeps the controls from being used for a send (an impossible number); empty when
  // nothing does.
  QString settingsProblem() const;

  // ---- controls (design names)
  QGroupBox* ComPortBox = nullptr;
  QButtonGroup* ComPort = nullptr;  // button id = port number
  QButtonGroup* sfFaxClass = nullptr;  // id = item index 0..3
  QComboBox* TransferRate = nullptr;
  QLineEdit *sfModemInit = nullptr, *sfStationID = nullptr, *sfusername = nullptr,
            *sfDialPrefix = nullptr, *sfDialsuffix = nullptr, *sfDialAttempts = nullptr,
            *sfRetryWait = nullptr, *sfTimeOut = nullptr, *sfPhoneNumber = nullptr;
  QCheckBox *DisablePrefix = nullptr, *DisableSuffix = nullptr, *CheckBlindDial = nullptr,
            *CheckIgnoreBusy = nullptr, *UseECM = nullptr;
  QButtonGroup* sfToneOrPulse = nullptr;  // 0 tone, 1 pulse
  QPushButton *SendFaxButton = nullptr, *CloseButton = nullptr, *Helpbutton = nullptr,
              *ExplorerButton1 = nullptr, *CheckFaxClassButton = nullptr,
              *FindModemButton = nullptr, *BitBtn1 = nullptr;
  QLabel* StatusLine = nullptr;

  // ---- components
  serial::TApdComPort ApdComPort1;
  TApdFaxStatus ApdFaxStatus1{this};
  fax::TApdSendFax ApdSendFax1;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Escape: as Close

 private:
  void buildControls();
  QGroupBox* buildPortBox();
  void setStatus(const QString& text);
  void closePort();
  void endSendAttempt();
  std::optional<int> numberIn(const QLineEdit* field) const;

  std::vector<int> mappedPorts_;
  std::vector<int> ports_;
  QGridLayout* portGrid_ = nullptr;
  std::string faxFileName_;
  std::string coverFileName_;  // always empty
  QString initialFaxNumber_;
  QString resultText_;
  QString headerLine_;
  QString resetString_, afterResetString_;
  bool busy_ = false;
  bool firstActivation_ = true;
  bool closing_ = false;
};

}  // namespace quillon::send
