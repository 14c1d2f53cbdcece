#pragma once
// TFaxViewer ("Fax Viewer "): one fax file page by page, zoomed and rotated; prints it through
// TApdFaxPrinter and exports the current page (BMP, PCX, DCX) or the whole fax (PDF, TIFF).
#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "compose/fax_printer.h"
#include "faximage/fax_unpacker.h"
#include "settings/settings_store.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QToolButton;

namespace quillon::faximage {
class TApdFaxViewer;
}

namespace quillon::compose {

class TPrePrintForm;
class TStandardFaxPrinterStatusDisplay;

class TFaxViewer : public QDialog {
  Q_OBJECT

 public:
  explicit TFaxViewer(const settings::SettingsStore& settings, QWidget* parent = nullptr);
  ~TFaxViewer() override;

  // Set by the opener before the window is shown.
  std::string FileName;
  std::string HeaderText;

  // Tests and other callers answer the modal steps through these; by default the file dialog
  // and the dialog's own run are used.
  std::function<QString(const QString& suggestedName, const QString& filter)> chooseSaveFile;
  std::function<bool(TPrePrintForm& form)> runPrePrint;
  std::function<bool()> printersInstalled;

  // The first activation: opens the file, picks the zoom, sets the status line and buttons.
  void FormActivate();
  int zoom() const { return zoom_; }
  void applyZoom(int z);
  void ZoomInButtonClick();
  void ZoomOutButtonClick();
  void setRotation(int r);  // 0..3, as the menu items do
  void PrintbuttonClick();
  void ExplorerButton1Click();  // print the current page
  void PrinterSetupButtonClick();
  // Export menu: a caption naming BMP, PCX or DCX exports the current page; "PDF" or "TIFF"
  // the whole fax.
  void exportClick(const QString& caption);

  faximage::TApdFaxViewer* FaxViewer = nullptr;
  TApdFaxPrinter FaxPrinter;
  TStandardFaxPrinterStatusDisplay* PrinterStatus = nullptr;
  faximage::TApdFaxUnpacker ApdFaxUnpacker1;
  QLabel* StatusPanel = nullptr;
  QToolButton *FirstButton = nullptr, *PrevButton = nullptr, *NextButton = nullptr, *LastButton = nullptr,
              *ZoomInButton = nullptr, *ZoomOutButton = nullptr, *PrinterSetupButton = nullptr,
              *Printbutton = nullptr, *ExplorerButton1 = nullptr;
  QPushButton *CloseButton = nullptr, *Helpbutton = nullptr;
  QMenu *ViewMenu = nullptr, *RotationMenu = nullptr, *ExportMenu = nullptr;
  QAction* zoomItems[6] = {};
  QAction* rotationItems[4] = {};

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  void buildMenus(QMenuBar* bar);
  QWidget* buildButtonBar();
  void pageStatus();
  void initialiseRange();
  bool fileLoaded() const;
  void print(bool currentPageOnly);

  const settings::SettingsStore& settings_;
  settings::PrintOptions options_;
  int zoom_ = 100;
  bool firstActivation_ = true;
  bool rangeInitialised_ = false;
  bool placementSaved_ = false;
};

// The zoom a page opens at: its width unscaled against the control's, snapped to the steps.
int initialZoom(int controlWidth, int pageWidth);

}  // namespace quillon::compose
