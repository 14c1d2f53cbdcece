#pragma once
// TParagraphPropDlg ("Paragraph Properties"): indents, spacing and alignment of the current
// paragraph of a TWPRichText (of every paragraph in the selection). Accept applies them.
#include <QDialog>
#include <QTextBlockFormat>

class QComboBox;
class QDoubleSpinBox;

namespace quillon::richtext {

class TWPRichText;

class TParagraphPropDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TParagraphPropDlg(TWPRichText& editor, QWidget* parent = nullptr);

  // Indents in inches, spacing in points, line spacing as a multiple (1 = single).
  QDoubleSpinBox* leftIndent() const { return left_; }
  QDoubleSpinBox* rightIndent() const { return right_; }
  QDoubleSpinBox* firstLineIndent() const { return first_; }
  QDoubleSpinBox* spaceBefore() const { return before_; }
  QDoubleSpinBox* spaceAfter() const { return after_; }
  QDoubleSpinBox* lineSpacing() const { return lineSpacing_; }
  QComboBox* alignment() const { return alignment_; }

  // The dialog's values applied to `format`.
  QTextBlockFormat applied(QTextBlockFormat format) const;

  void accept() override;

 private:
  void showValues(const QTextBlockFormat& format);

  TWPRichText& editor_;
  QDoubleSpinBox *left_, *right_, *first_, *before_, *after_, *lineSpacing_;
  QComboBox* alignment_;
};

}  // namespace quillon::richtext
