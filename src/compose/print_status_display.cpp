#include "compose/print_status_display.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <filesystem>

#include "qtplatform/cp1252_text.h"

namespace quillon::compose {

TStandardFaxPrinterStatusDisplay::TStandardFaxPrinterStatusDisplay(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PrinterStatus"));
  setWindowTitle(QStringLiteral("Print Status"));
  auto* info = new QGroupBox(QStringLiteral("Fax Information"), this);
  auto* form = new QFormLayout(info);
  auto value = [&](const char* label) {
    auto* l = new QLabel(info);
    l->setMinimumWidth(160);
    form->addRow(QString::fromLatin1(label), l);
    return l;
  };
  fileName = value("Filename");
  totalPages = value("Total Pages");
  resolution = value("Resolution");
  width = value("Width");
  firstPage = value("First Page to Print");
  lastPage = value("Last Page to Print");
  auto* statusBox = new QGroupBox(QStringLiteral("Status"), this);
  auto* statusLayout = new QVBoxLayout(statusBox);
  statusLine = new QLabel(statusBox);
  statusLayout->addWidget(statusLine);
  abortButton = new QPushButton(QStringLiteral("Abort"), this);
  connect(abortButton, &QPushButton::clicked, this, [this] {
    if (printer_) printer_->PrintAbort();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(abortButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(info);
  layout->addWidget(statusBox);
  layout->addLayout(buttons);
}

void TStandardFaxPrinterStatusDisplay::UpdateDisplay(TApdFaxPrinter& printer, bool first, bool last) {
  printer_ = &printer;
  if (last) {
    hide();
    return;
  }
  QString name = qtplatform::fromCp1252(std::filesystem::path(printer.FileName()).filename().string()).toUpper();
  fileName->setText(name);
  totalPages->setText(QString::number(printer.TotalPages()));
  resolution->setText(printer.HighRes() ? QStringLiteral("high") : QStringLiteral("standard"));
  width->setText(printer.Wide() ? QStringLiteral("2048") : QStringLiteral("1728"));
  firstPage->setText(QString::number(printer.FirstPageToPrint));
  lastPage->setText(QString::number(printer.LastPageToPrint));
  statusLine->setText(QString::asprintf("%s %d of %d", FaxPrintStatusText(printer.LastStatus()), int(printer.CurrentPage()),
                                        int(printer.LastPageToPrint)));
  if (first) {
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
      move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
  }
}

}  // namespace quillon::compose
