#pragma once
// TPrePrintForm ("Print"): the page range and the three print options asked before printing.
#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace quillon::compose {

class TPrePrintForm : public QDialog {
  Q_OBJECT

 public:
  explicit TPrePrintForm(QWidget* parent = nullptr);
  QSpinBox *FromPage = nullptr, *ToPage = nullptr;
  QCheckBox *PrintMultiPage = nullptr, *PrintHeader = nullptr, *PrintFooter = nullptr;
  // "Ok": beeps and stays when the to-page is enabled and before the from-page.
  void OkClick();
};

}  // namespace quillon::compose
