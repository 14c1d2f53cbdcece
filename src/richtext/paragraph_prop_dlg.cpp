#include "richtext/paragraph_prop_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QTextBlock>
#include <QVBoxLayout>

#include "richtext/page_layout.h"
#include "richtext/rich_text_control.h"

namespace quillon::richtext {
namespace {

double pixelsToInches(double px) { return px / layoutDpi(); }
double inchesToPixels(double in) { return in * layoutDpi(); }
double pixelsToPoints(double px) { return px * 72.0 / layoutDpi(); }
double pointsToPixels(double pt) { return pt * layoutDpi() / 72.0; }

QDoubleSpinBox* spin(const char* name, double low, double high, double step, int decimals, const QString& suffix) {
  auto* box = new QDoubleSpinBox;
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(low, high);
  box->setSingleStep(step);
  box->setDecimals(decimals);
  box->setSuffix(suffix);
  return box;
}

const Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};

// The place of a paragraph's alignment in kAlignments (and in the alignment list).
int alignmentIndex(const QTextBlockFormat& f) {
  const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
  return align & Qt::AlignHCenter ? 1 : align & Qt::AlignRight ? 2 : align & Qt::AlignJustify ? 3 : 0;
}

}  // namespace

TParagraphPropDlg::TParagraphPropDlg(TWPRichText& editor, QWidget* parent) : QDialog(parent), editor_(editor) {
  setObjectName(QStringLiteral("ParagraphPropDlg"));
  setWindowTitle(QStringLiteral("Paragraph Properties"));
  left_ = spin("LeftIndent", -5, 20, 0.1, 2, tr(" in"));
  right_ = spin("RightIndent", -5, 20, 0.1, 2, tr(" in"));
  first_ = spin("FirstLineIndent", -5, 20, 0.1, 2, tr(" in"));
  before_ = spin("SpaceBefore", 0, 720, 1, 1, tr(" pt"));
  after_ = spin("SpaceAfter", 0, 720, 1, 1, tr(" pt"));
  lineSpacing_ = spin("LineSpacing", 0.5, 10, 0.25, 2, tr(" lines"));
  alignment_ = new QComboBox;
  alignment_->setObjectName(QStringLiteral("Alignment"));
  alignment_->addItems({tr("Left"), tr("Centred"), tr("Right"), tr("Justified")});

  auto* indents = new QGroupBox(tr("Indents"));
  auto* indentForm = new QFormLayout(indents);
  indentForm->addRow(tr("&Left:"), left_);
  indentForm->addRow(tr("&Right:"), right_);
  indentForm->addRow(tr("&First line:"), first_);
  auto* spacing = new QGroupBox(tr("Spacing"));
  auto* spacingForm = new QFormLayout(spacing);
  spacingForm->addRow(tr("&Before:"), before_);
  spacingForm->addRow(tr("&After:"), after_);
  spacingForm->addRow(tr("Li&ne spacing:"), lineSpacing_);
  auto* alignForm = new QFormLayout;
  alignForm->addRow(tr("Ali&gnment:"), alignment_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(indents);
  layout->addWidget(spacing);
  layout->addLayout(alignForm);
  layout->addWidget(buttons);
  showValues(editor_.currentParagraphFormat());
}

void TParagraphPropDlg::showValues(const QTextBlockFormat& f) {
  left_->setValue(pixelsToInches(f.leftMargin()));
  right_->setValue(pixelsToInches(f.rightMargin()));
  first_->setValue(pixelsToInches(f.textIndent()));
  before_->setValue(pixelsToPoints(f.topMargin()));
  after_->setValue(pixelsToPoints(f.bottomMargin()));
  lineSpacing_->setValue(f.lineHeightType() == QTextBlockFormat::ProportionalHeight ? f.lineHeight() / 100.0 : 1.0);
  alignment_->setCurrentIndex(alignmentIndex(f));
}

QTextBlockFormat TParagraphPropDlg::applied(QTextBlockFormat f) const {
  // Only what the user changed from what was shown, so untouched values keep their exact size.
  const QTextBlockFormat was = editor_.currentParagraphFormat();
  auto changed = [](QDoubleSpinBox* box, double shown) { return std::abs(box->value() - shown) > 0.004; };
  if (changed(left_, pixelsToInches(was.leftMargin()))) f.setLeftMargin(inchesToPixels(left_->value()));
  if (changed(right_, pixelsToInches(was.rightMargin()))) f.setRightMargin(inchesToPixels(right_->value()));
  if (changed(first_, pixelsToInches(was.textIndent()))) f.setTextIndent(inchesToPixels(first_->value()));
  if (changed(before_, pixelsToPoints(was.topMargin()))) f.setTopMargin(pointsToPixels(before_->value()));
  if (changed(after_, pixelsToPoints(was.bottomMargin()))) f.setBottomMargin(pointsToPixels(after_->value()));
  const double shownSpacing = was.lineHeightType() == QTextBlockFormat::ProportionalHeight ? was.lineHeight() / 100.0 : 1.0;
  if (changed(lineSpacing_, shownSpacing)) {
    if (std::abs(lineSpacing_->value() - 1.0) < 0.004) {
      f.clearProperty(QTextFormat::LineHeight);
      f.clearProperty(QTextFormat::LineHeightType);
    } else {
      f.setLineHeight(lineSpacing_->value() * 100.0, QTextBlockFormat::ProportionalHeight);
    }
  }
  const Qt::Alignment align = kAlignments[std::clamp(alignment_->currentIndex(), 0, 3)];
  if (align != kAlignments[alignmentIndex(was)]) {
    if (align == Qt::AlignLeft) f.clearProperty(QTextFormat::BlockAlignment);
    else f.setAlignment(align);
  }
  return f;
}

void TParagraphPropDlg::accept() {
  QTextCursor cursor = editor_.textCursor();
  // Every paragraph of the selection, each keeping what the dialog does not set.
  const int start = cursor.selectionStart(), end = cursor.selectionEnd();
  QTextCursor walk(editor_.document());
  walk.setPosition(start);
  walk.beginEditBlock();
  while (true) {
    walk.setBlockFormat(applied(walk.blockFormat()));
    if (walk.block().position() + walk.block().length() > end || !walk.movePosition(QTextCursor::NextBlock)) break;
  }
  walk.endEditBlock();
  editor_.setTextCursor(cursor);
  QDialog::accept();
}

}  // namespace quillon::richtext
