#include "compose/fax_viewer_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QCheckBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "app/window_placement_binding.h"
#include "compose/pre_print_form.h"
#include "compose/print_status_display.h"
#include "compose/viewer_icons.h"
#include "errors/error_text.h"
#include "errors/raise_on_error.h"
#include "faximage/pdf_fax/pdf_fax.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "faximage/viewer/fax_viewer_control.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::compose {
namespace {

constexpr int kZoomSteps[6] = {25, 50, 75, 100, 150, 200};
constexpr int kHelpViewer = 1021;
constexpr const char* kWindowClass = "TFaxViewer";

int zoomIndex(int z) {
  for (int i = 0; i < 6; ++i)
    if (kZoomSteps[i] == z) return i;
  return 3;
}

}  // namespace

int initialZoom(int controlWidth, int pageWidth) {
  int z = pageWidth > 0 && controlWidth < pageWidth ? int(double(controlWidth) / pageWidth * 150) : 100;
  if (z > 175) return 200;
  if (z > 125) return 150;
  if (z > 87) return 100;
  if (z > 62) return 75;
  if (z > 36) return 50;
  return 25;
}

TFaxViewer::TFaxViewer(const settings::SettingsStore& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setObjectName(QStringLiteral("FaxViewer"));
  setWindowTitle(QStringLiteral("Fax Viewer "));
  setSizeGripEnabled(true);
  resize(860, 700);

  FaxViewer = new faximage::TApdFaxViewer(this);
  FaxViewer->setObjectName(QStringLiteral("FaxViewerControl"));
  FaxViewer->SetScaling(false);
  FaxViewer->SetAutoScaleMode(faximage::asHalfWidth);
  FaxViewer->BusyCursor = Qt::WaitCursor;
  FaxViewer->SetDeskColor(QColor(0x8a, 0x90, 0x99));  // the desk around the page
  FaxViewer->OnPageChange = [this](faximage::TApdFaxViewer&) { pageStatus(); };
  FaxViewer->OnViewerError = [this](faximage::TApdFaxViewer&, int code) {
    pageStatus();
    app::InfoBox(QStringLiteral("Viewer error %1").arg(code));
  };
  FaxViewer->OnDropFile = [this](faximage::TApdFaxViewer&, const std::string& name) {
    FileName = name;
    rangeInitialised_ = false;
    pageStatus();
  };

  FaxPrinter.FaxHeader.Caption = "FILE: $F";
  FaxPrinter.FaxFooter.Caption = "Page: $P of $N";
  FaxPrinter.MultiPage = false;
  PrinterStatus = new TStandardFaxPrinterStatusDisplay(this);
  PrinterStatus->hide();
  FaxPrinter.StatusDisplay = PrinterStatus;

  ApdFaxUnpacker1.WhitespaceFrom = 50;
  ApdFaxUnpacker1.WhitespaceTo = 10;
  ApdFaxUnpacker1.AutoScaleMode = faximage::asNone;

  auto* bar = new QMenuBar(this);
  buildMenus(bar);
  StatusPanel = new QLabel(QStringLiteral("Loading..."), this);
  StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
  StatusPanel->setFrameShape(QFrame::StyledPanel);
  StatusPanel->setFrameShadow(QFrame::Sunken);
  StatusPanel->setContentsMargins(6, 2, 6, 2);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(bar);
  layout->addWidget(buildButtonBar());
  layout->addWidget(FaxViewer, 1);
  layout->addWidget(StatusPanel);

  app::restoreWindowPlacement(this, kWindowClass, settings_);
}

TFaxViewer::~TFaxViewer() = default;

void TFaxViewer::buildMenus(QMenuBar* bar) {
  ViewMenu = bar->addMenu(QStringLiteral("&View"));
  auto* zoomGroup = new QActionGroup(this);
  for (int i = 0; i < 6; ++i) {
    int z = kZoomSteps[i];
    zoomItems[i] = ViewMenu->addAction(QStringLiteral("%1%").arg(z), this, [this, z] { applyZoom(z); });
    zoomItems[i]->setCheckable(true);
    zoomGroup->addAction(zoomItems[i]);
  }
  zoomItems[3]->setChecked(true);
  RotationMenu = bar->addMenu(QStringLiteral("Rotation"));
  auto* rotationGroup = new QActionGroup(this);
  const char* rotations[4] = {"No rotation", "Rotate 90 degrees", "Rotate 180 degrees", "Rotate 270 degrees"};
  for (int r = 0; r < 4; ++r) {
    rotationItems[r] = RotationMenu->addAction(QString::fromLatin1(rotations[r]), this, [this, r] { setRotation(r); });
    rotationItems[r]->setCheckable(true);
    rotationGroup->addAction(rotationItems[r]);
  }
  rotationItems[0]->setChecked(true);
  ExportMenu = bar->addMenu(QStringLiteral("Export"));
  for (const char* caption : {"Export Page as BMP", "Export Page as PCX", "Export Page as DCX"}) {
    QString text = QString::fromLatin1(caption);
    ExportMenu->addAction(text, this, [this, text] { exportClick(text); });
  }
  ExportMenu->addSeparator();
  for (const char* caption : {"Export Fax as PDF", "Export Fax as TIFF"}) {
    QString text = QString::fromLatin1(caption);
    ExportMenu->addAction(text, this, [this, text] { exportClick(text); });
  }
}

QWidget* TFaxViewer::buildButtonBar() {
  auto* barWidget = new QFrame(this);
  barWidget->setObjectName(QStringLiteral("ButtonBar"));
  barWidget->setFrameShape(QFrame::StyledPanel);
  auto* row = new QHBoxLayout(barWidget);
  row->setContentsMargins(6, 4, 6, 4);
  row->setSpacing(2);
  auto button = [&](const char* name, const char* hint, ViewerIcon icon, void (TFaxViewer::*handler)()) {
    auto* b = new QToolButton(barWidget);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromLatin1(hint));
    b->setIcon(viewerIcon(icon));
    b->setIconSize(QSize(22, 22));
    b->setAutoRaise(true);
    if (handler) connect(b, &QToolButton::clicked, this, handler);
    row->addWidget(b);
    return b;
  };
  auto separator = [&] {
    auto* line = new QFrame(barWidget);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    row->addSpacing(4);
    row->addWidget(line);
    row->addSpacing(4);
  };
  FirstButton = button("FirstButton", "First page", ViewerIcon::First, nullptr);
  PrevButton = button("PrevButton", "Previous page", ViewerIcon::Prev, nullptr);
  NextButton = button("NextButton", "Next page", ViewerIcon::Next, nullptr);
  LastButton = button("LastButton", "Last page", ViewerIcon::Last, nullptr);
  connect(FirstButton, &QToolButton::clicked, this, [this] { FaxViewer->FirstPage(); });
  connect(PrevButton, &QToolButton::clicked, this, [this] { FaxViewer->PrevPage(); });
  connect(NextButton, &QToolButton::clicked, this, [this] { FaxViewer->NextPage(); });
  connect(LastButton, &QToolButton::clicked, this, [this] { FaxViewer->LastPage(); });
  separator();
  ZoomInButton = button("ZoomInButton", "Zoom in", ViewerIcon::ZoomIn, &TFaxViewer::ZoomInButtonClick);
  ZoomOutButton = button("ZoomOutButton", "Zoom out", ViewerIcon::ZoomOut, &TFaxViewer::ZoomOutButtonClick);
  separator();
  PrinterSetupButton = button("PrinterSetupButton", "Printer setup", ViewerIcon::PrinterSetup, &TFaxViewer::PrinterSetupButtonClick);
  Printbutton = button("Printbutton", "Print", ViewerIcon::Print, &TFaxViewer::PrintbuttonClick);
  ExplorerButton1 = button("ExplorerButton1", "Print current page", ViewerIcon::PrintPage, &TFaxViewer::ExplorerButton1Click);
  row->addStretch();
  CloseButton = new QPushButton(QStringLiteral("C&lose"), barWidget);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setDefault(true);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);  // Esc closes too
  Helpbutton = new QPushButton(QStringLiteral("&Help"), barWidget);
  Helpbutton->setObjectName(QStringLiteral("Helpbutton"));
  connect(Helpbutton, &QPushButton::clicked, this, [] { app::showHelp(kHelpViewer); });
  row->addWidget(CloseButton);
  row->addWidget(Helpbutton);
  return barWidget;
}

void TFaxViewer::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (firstActivation_) {
    app::settleWindowFrame(this);
    FormActivate();
  }
}

void TFaxViewer::done(int result) {
  if (!placementSaved_) {
    placementSaved_ = true;
    try {
      app::saveWindowPlacement(this, kWindowClass, settings_);
    } catch (const std::exception&) {  // a settings file that cannot be written keeps the old placement
    }
  }
  QDialog::done(result);
}

bool TFaxViewer::fileLoaded() const { return !FaxViewer->FileName().empty(); }

void TFaxViewer::FormActivate() {
  if (!firstActivation_) return;
  firstActivation_ = false;
  try {
    FaxViewer->BeginUpdate();
    FaxViewer->SetScaling(false);
    FaxViewer->SetHorizMult(1);
    FaxViewer->SetHorizDiv(1);
    FaxViewer->SetVertMult(1);
    FaxViewer->SetVertDiv(1);
    FaxViewer->EndUpdate();
    FaxViewer->SetFileName(FileName);
    applyZoom(initialZoom(FaxViewer->width(), FaxViewer->PageWidth()));
    pageStatus();
  } catch (const std::exception&) {
    try {
      FaxViewer->SetFileName("");
    } catch (const std::exception&) {
    }
    app::InfoBox(QStringLiteral("Error opening fax file"));
    StatusPanel->setText(QStringLiteral("No file loaded"));
  }
  bool several = FaxViewer->PageCount() > 1;
  for (QToolButton* b : {FirstButton, PrevButton, NextButton, LastButton}) b->setVisible(several);
  bool printers = printersInstalled ? printersInstalled() : !QPrinterInfo::availablePrinterNames().isEmpty();
  Printbutton->setEnabled(printers);
  PrinterSetupButton->setEnabled(printers);
  FaxViewer->setFocus();
}

void TFaxViewer::pageStatus() {
  if (!fileLoaded()) StatusPanel->setText(QStringLiteral("No file loaded"));
  else StatusPanel->setText(QString::asprintf("Page %d of %d", int(FaxViewer->CurrentPage()), int(FaxViewer->PageCount())));
}

void TFaxViewer::applyZoom(int z) {
  if (z == zoom_) return;
  zoom_ = z;
  if (z == 100) {
    FaxViewer->SetScaling(false);
  } else {
    FaxViewer->BeginUpdate();
    FaxViewer->SetScaling(true);
    FaxViewer->SetHorizMult(unsigned(z));
    FaxViewer->SetVertMult(unsigned(z));
    FaxViewer->SetHorizDiv(100);
    FaxViewer->SetVertDiv(100);
    FaxViewer->EndUpdate();
  }
  zoomItems[zoomIndex(z)]->setChecked(true);
}

void TFaxViewer::ZoomInButtonClick() {
  int i = zoomIndex(zoom_);
  if (i == 5) QApplication::beep();
  else applyZoom(kZoomSteps[i + 1]);
}

void TFaxViewer::ZoomOutButtonClick() {
  int i = zoomIndex(zoom_);
  if (i == 0) QApplication::beep();
  else applyZoom(kZoomSteps[i - 1]);
}

void TFaxViewer::setRotation(int r) {
  try {
    FaxViewer->SetRotation(r);
  } catch (const std::exception& e) {
    app::InfoBox(QStringLiteral("Viewer error %1").arg(CodeOfException(e)));
  }
  rotationItems[r]->setChecked(true);
}

void TFaxViewer::initialiseRange() {
  FaxPrinter.SetFileName(FaxViewer->FileName());
  if (!rangeInitialised_) {
    FaxPrinter.FirstPageToPrint = FaxPrinter.TotalPages() ? 1 : 0;
    FaxPrinter.LastPageToPrint = uint16_t(FaxPrinter.TotalPages());
    rangeInitialised_ = true;
  }
}

void TFaxViewer::print(bool currentPageOnly) {
  uint16_t first = FaxPrinter.FirstPageToPrint, last = FaxPrinter.LastPageToPrint;
  bool hadRange = rangeInitialised_;
  initialiseRange();
  // SetFileName resets the range; a range chosen before in this window stays.
  if (hadRange) FaxPrinter.FirstPageToPrint = first, FaxPrinter.LastPageToPrint = last;
  options_ = settings_.loadPrintOptions();
  if (!fileLoaded()) return;
  TPrePrintForm form(this);
  int total = int(FaxPrinter.TotalPages());
  form.FromPage->setRange(1, std::max(1, total));
  form.ToPage->setRange(1, std::max(1, total));
  form.PrintMultiPage->setChecked(options_.multiPage);
  form.PrintHeader->setChecked(options_.header);
  form.PrintFooter->setChecked(options_.footer);
  unsigned current = FaxViewer->CurrentPage();
  if (currentPageOnly) {
    form.FromPage->setValue(int(current));
    form.ToPage->setValue(int(current));
    form.FromPage->setEnabled(false);
    form.ToPage->setEnabled(false);
    form.PrintMultiPage->setEnabled(false);
  } else {
    form.FromPage->setValue(FaxPrinter.FirstPageToPrint);
    form.ToPage->setValue(FaxPrinter.LastPageToPrint);
  }
  form.adjustSize();
  app::centreWindow(&form);
  bool ok = runPrePrint ? runPrePrint(form) : form.exec() == QDialog::Accepted;
  options_.multiPage = form.PrintMultiPage->isChecked();
  options_.header = form.PrintHeader->isChecked();
  options_.footer = form.PrintFooter->isChecked();
  try {
    settings_.savePrintOptions(options_);  // kept also when the print is cancelled
  } catch (const std::exception& e) {
    app::InfoBox(QString::fromStdString(e.what()));
  }
  if (!ok) return;
  if (currentPageOnly) {
    FaxPrinter.FirstPageToPrint = FaxPrinter.LastPageToPrint = uint16_t(current);
  } else {
    FaxPrinter.FirstPageToPrint = uint16_t(form.FromPage->value());
    FaxPrinter.LastPageToPrint = uint16_t(form.ToPage->value());
  }
  FaxPrinter.PrintScale = psFitToPage;
  FaxPrinter.MultiPage = !currentPageOnly && options_.multiPage;
  FaxPrinter.FaxHeader.Enabled = options_.header;
  FaxPrinter.FaxFooter.Enabled = options_.footer;
  FaxPrinter.FaxFooter.Caption = options_.footer ? "Page: $P of $N" : "";
  FaxPrinter.FaxHeader.Caption = options_.header ? HeaderText : "";
  FaxPrinter.PrintFax();
  if (currentPageOnly) {
    FaxPrinter.FirstPageToPrint = FaxPrinter.TotalPages() ? 1 : 0;
    FaxPrinter.LastPageToPrint = uint16_t(FaxPrinter.TotalPages());
  }
}

void TFaxViewer::PrintbuttonClick() { print(false); }

void TFaxViewer::ExplorerButton1Click() { print(true); }

void TFaxViewer::PrinterSetupButtonClick() {
  if (!fileLoaded()) return;
  uint16_t first = FaxPrinter.FirstPageToPrint, last = FaxPrinter.LastPageToPrint;
  bool hadRange = rangeInitialised_;
  initialiseRange();
  if (hadRange) FaxPrinter.FirstPageToPrint = first, FaxPrinter.LastPageToPrint = last;
  FaxPrinter.PrintSetup(this);
}

void TFaxViewer::exportClick(const QString& caption) {
  if (!fileLoaded()) return;
  QString format;
  for (const char* f : {"BMP", "PCX", "DCX", "PDF", "TIFF"})
    if (caption.contains(QString::fromLatin1(f))) {
      format = QString::fromLatin1(f);
      break;
    }
  QString ext = format == QStringLiteral("TIFF") ? QStringLiteral("TIF") : format;
  QString suggested = QStringLiteral("*.") + ext;
  QString filter = format + QStringLiteral(" File (*.") + ext + QStringLiteral(")");
  QString chosen = chooseSaveFile ? chooseSaveFile(suggested, filter)
                                  : QFileDialog::getSaveFileName(this, caption, QString(), filter);
  if (chosen.isEmpty()) return;
  std::string out = qtplatform::toCp1252(chosen);
  int status = 0;
  if (format == QStringLiteral("PDF")) {
    status = faximage::ExportFaxToPdf(FaxViewer->FileName(), out);
  } else if (format == QStringLiteral("TIFF")) {
    status = faximage::ExportFaxToTiff(FaxViewer->FileName(), out);
  } else {
    ApdFaxUnpacker1.WhitespaceCompression = FaxViewer->WhitespaceCompression();
    ApdFaxUnpacker1.WhitespaceFrom = FaxViewer->WhitespaceFrom();
    ApdFaxUnpacker1.WhitespaceTo = FaxViewer->WhitespaceTo();
    ApdFaxUnpacker1.SetInFileName(FaxViewer->FileName());
    ApdFaxUnpacker1.SetOutFileName(out);
    try {
      unsigned page = FaxViewer->CurrentPage();
      if (format == QStringLiteral("BMP")) ApdFaxUnpacker1.DecodePageToBmp(page);
      else if (format == QStringLiteral("PCX")) ApdFaxUnpacker1.DecodePageToPcx(page);
      else ApdFaxUnpacker1.DecodePageToDcx(page);
    } catch (const std::exception& e) {
      status = CodeOfException(e);
    }
  }
  if (status < 0) app::InfoBox(qtplatform::fromCp1252(ErrorText(status)));
}

}  // namespace quillon::compose
