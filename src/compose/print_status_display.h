#pragma once
// TStandardFaxPrinterStatusDisplay: the window that shows a print job's progress ("Print
// Status"): the fax's facts, "Converting 2 of 5" and an Abort button.
#include <QDialog>

#include "compose/fax_printer.h"

class QLabel;
class QPushButton;

namespace quillon::compose {

class TStandardFaxPrinterStatusDisplay : public QDialog, public TApdAbstractFaxPrinterStatus {
  Q_OBJECT

 public:
  explicit TStandardFaxPrinterStatusDisplay(QWidget* parent = nullptr);
  void UpdateDisplay(TApdFaxPrinter& printer, bool first, bool last) override;

  QLabel *fileName = nullptr, *totalPages = nullptr, *resolution = nullptr, *width = nullptr,
         *firstPage = nullptr, *lastPage = nullptr, *statusLine = nullptr;
  QPushButton* abortButton = nullptr;

 private:
  TApdFaxPrinter* printer_ = nullptr;
};

}  // namespace quillon::compose
