#pragma once
// Receive mode of the main window: the fax modem's port stays open and the receive component
// waits for calls; each fax that comes in is stored in the receive folder and as a record of
// the received table, and can be announced by a sound and printed. The port, the receive
// component and the fax printer belong to the main window; nothing blocks it while the
// component waits.
#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "fax/receive_fax.h"
#include "serial/com_port.h"

class QPrinter;

namespace quillon::compose {
class TApdFaxPrinter;
class TStandardFaxPrinterStatusDisplay;
}  // namespace quillon::compose

namespace quillon::app {

class TMainScreen;

class ReceiveMode : public QObject {
  Q_OBJECT

 public:
  // Sets the main window's receive-mode hook to Toggle.
  explicit ReceiveMode(TMainScreen& screen);
  ~ReceiveMode() override;  // stops receive mode when it is still on

  // Starts receive mode when it is off, stops it when it is on (ReceiveButtonClick).
  void Toggle();
  void StartReceiveMode();
  void StopReceiveMode();

  // The components, set up once for the window's lifetime.
  serial::TApdComPort ApdComPort1;
  fax::TApdReceiveFax ApdReceiveFax1;
  compose::TApdFaxPrinter& apdFaxPrinter1();

  // Called with the fax printer's printer just before a fax is printed on receipt (after
  // the printer of the settings is chosen); tests send the print to a file here.
  std::function<void(QPrinter&)> beforePrint;
  int soundsStarted() const { return soundsStarted_; }
  int faxesPrinted() const { return printed_; }

  // The event handlers of ApdReceiveFax1.
  void ApdReceiveFax1FaxAccept(bool& accept);
  void ApdReceiveFax1FaxStatus(bool starting, bool ending);
  void ApdReceiveFax1FaxError(int errorCode);
  void ApdReceiveFax1FaxLog(fax::TFaxLogCode logCode);
  void ApdReceiveFax1FaxFinish(int errorCode);
  // Writes the status line from the component's progress.
  void UpdateValues();

 private:
  void configure();
  void probeModem();
  // Sends `command` ("AT" put in front as needed) with CR and waits up to `ticks` for OK.
  void sendModemString(const std::string& command, int ticks);
  void setButtonToStart();
  void closePort();
  void storeReceivedFax();
  void failedFax();
  void playSound();
  void printOnReceipt(const std::string& file);

  TMainScreen& screen_;
  std::unique_ptr<compose::TApdFaxPrinter> printer_;
  std::unique_ptr<compose::TStandardFaxPrinterStatusDisplay> printStatus_;
  int soundsStarted_ = 0;
  bool busy_ = false;     // a start or stop is under way (its waits let clicks through)
  bool stopping_ = false; // the run ends because receive mode stops
  int printed_ = 0;
};

}  // namespace quillon::app
