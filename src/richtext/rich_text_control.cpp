#include "richtext/rich_text_control.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "richtext/rtf_writer.h"

namespace quillon::richtext {

TWPRichText::TWPRichText(QWidget* parent) : QAbstractScrollArea(parent), cursor_(&document_), scan_(&document_) {
  installFieldHandler(document_);
  document_.setUseDesignMetrics(true);  // the same line breaks at every zoom and on every device
  setAttribute(Qt::WA_InputMethodEnabled);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(false);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  relayout();
  connect(document_.documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
          [this] { updateScrollBars(); });
  connect(document_.documentLayout(), &QAbstractTextDocumentLayout::update, viewport(), [this] { viewport()->update(); });
  connect(&document_, &QTextDocument::contentsChanged, this, [this] {
    viewport()->update();
    emit contentChanged();
  });
}

TWPRichText::~TWPRichText() = default;

void TWPRichText::setTextCursor(const QTextCursor& cursor) {
  if (cursor.document() != &document_) return;
  cursor_ = cursor;
  cursorMoved();
}

void TWPRichText::moveCaretToStart() {
  cursor_.movePosition(QTextCursor::Start);
  cursorMoved();
}

// ---- content

RtfReadResult TWPRichText::loadRtf(std::string_view bytes) {
  ClearHighlight();
  RtfReadResult result = readRtf(bytes, document_);
  relayout();
  cursor_ = QTextCursor(&document_);
  scan_.start();
  document_.clearUndoRedoStacks();
  document_.setModified(false);
  cursorMoved();
  return result;
}

std::string TWPRichText::saveRtf() const { return writeRtf(document_, layout_); }

RtfReadResult TWPRichText::loadRtfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    clear();
    RtfReadResult result;
    result.message = QStringLiteral("The file %1 cannot be read.").arg(QString::fromStdString(path));
    result.complete = false;
    return result;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return loadRtf(bytes);
}

bool TWPRichText::saveRtfFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const std::string bytes = saveRtf();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

void TWPRichText::clear() {
  ClearHighlight();
  document_.clear();
  installFieldHandler(document_);
  relayout();
  cursor_ = QTextCursor(&document_);
  scan_.start();
  document_.clearUndoRedoStacks();
  cursorMoved();
}

QString TWPRichText::plainText() const {
  QString text;
  for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (isField(fragment.charFormat())) {
        for (int i = 0; i < fragment.length(); ++i) text += fieldText(fragment.charFormat());
      } else {
        text += fragment.text();
      }
    }
    text += u'\n';
  }
  text.replace(QChar::LineSeparator, u'\n');
  return text;
}

// ---- page layout, zoom, wrap

void TWPRichText::relayout() {
  applyPageLayout(document_, layout_, wordWrap_);
  updateScrollBars();
  viewport()->update();
}

void TWPRichText::setPageLayout(const PageLayout& layout) {
  layout_ = layout.sane();
  relayout();
}

void TWPRichText::setPageSize(int widthTwips, int heightTwips) {
  PageLayout l = layout_;
  l.pageWidth = widthTwips;
  l.pageHeight = heightTwips;
  setPageLayout(l);
}

void TWPRichText::setMargins(int left, int right, int top, int bottom) {
  PageLayout l = layout_;
  l.marginLeft = left;
  l.marginRight = right;
  l.marginTop = top;
  l.marginBottom = bottom;
  setPageLayout(l);
}

void TWPRichText::setZoom(int percent) {
  percent = std::clamp(percent, 10, 500);
  if (percent == zoom_) return;
  zoom_ = percent;
  updateScrollBars();
  viewport()->update();
  emit zoomChanged(zoom_);
}

void TWPRichText::setWordWrap(bool on) {
  if (on == wordWrap_) return;
  wordWrap_ = on;
  relayout();
  emit wordWrapChanged(on);
}

int TWPRichText::pageCount() const { return richtext::pageCount(document_); }

int TWPRichText::paintPage(QPainter& painter, const QRectF& target, int position) {
  PagePaintOptions options;
  options.scale = scale();
  return richtext::paintPage(document_, painter, target, position, options);
}

// ---- formatting

QTextCharFormat TWPRichText::typingFormat() const {
  QTextCharFormat format = cursor_.charFormat();
  if (isField(format)) {
    format.setObjectType(QTextFormat::NoObject);
    format.clearProperty(kFieldNumberProperty);
    format.clearProperty(kFieldTextProperty);
  }
  return format;
}

QTextCharFormat TWPRichText::currentCharFormat() const { return typingFormat(); }

void TWPRichText::mergeFormat(const QTextCharFormat& format) {
  if (cursor_.hasSelection()) {
    cursor_.mergeCharFormat(format);
  } else {
    QTextCharFormat typing = typingFormat();
    typing.merge(format);
    cursor_.setCharFormat(typing);
    if (cursor_.block().length() == 1) cursor_.mergeBlockCharFormat(format);  // an empty paragraph takes it too
  }
  emit formatChanged();
}

void TWPRichText::setFontFamily(const QString& family) {
  QTextCharFormat f;
  f.setFontFamilies(QStringList{family});
  mergeFormat(f);
}

void TWPRichText::setFontPointSize(double points) {
  if (points <= 0) return;
  QTextCharFormat f;
  f.setFontPointSize(points);
  mergeFormat(f);
}

void TWPRichText::setBold(bool on) {
  QTextCharFormat f;
  f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  mergeFormat(f);
}

void TWPRichText::setItalic(bool on) {
  QTextCharFormat f;
  f.setFontItalic(on);
  mergeFormat(f);
}

void TWPRichText::setUnderline(bool on) {
  QTextCharFormat f;
  f.setFontUnderline(on);
  mergeFormat(f);
}

void TWPRichText::setNormal() {
  QTextCharFormat f;
  f.setFontWeight(QFont::Normal);
  f.setFontItalic(false);
  f.setFontUnderline(false);
  mergeFormat(f);
}

void TWPRichText::setAlignment(Qt::Alignment alignment) {
  QTextBlockFormat f;
  f.setAlignment(alignment);
  cursor_.mergeBlockFormat(f);
  emit formatChanged();
}

void TWPRichText::setWritingFont(const QFont& font) {
  document_.setDefaultFont(font);
  QTextCharFormat f;
  f.setFontFamilies(QStringList{font.family()});
  if (font.pointSizeF() > 0) f.setFontPointSize(font.pointSizeF());
  f.setFontWeight(font.bold() ? QFont::Bold : QFont::Normal);
  f.setFontItalic(font.italic());
  f.setFontUnderline(font.underline());
  if (document_.isEmpty()) {
    QTextCursor all(&document_);
    all.mergeBlockCharFormat(f);
  }
  mergeFormat(f);
}

// ---- paragraphs

bool TWPRichText::newPageFlag() const {
  return cursor_.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
}

void TWPRichText::setNewPageFlag(bool on) {
  QTextBlockFormat f = cursor_.blockFormat();
  if (on) f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
  else f.clearProperty(QTextFormat::PageBreakPolicy);
  cursor_.setBlockFormat(f);
  ensureCaretVisible();
  emit formatChanged();
}

void TWPRichText::setCurrentParagraphFormat(const QTextBlockFormat& format) {
  cursor_.setBlockFormat(format);
  emit formatChanged();
}

// ---- fields

void TWPRichText::insertField(int number, const QString& text) {
  richtext::insertField(cursor_, number, text);
  cursorMoved();
}

int TWPRichText::replaceFields(const FieldTextSource& source) {
  const FieldTextSource& use = source ? source : OnGetTextToInsert;
  if (!use) return 0;
  const int count = richtext::replaceFields(document_, use);
  cursorMoved();
  return count;
}

// ---- word scan

void TWPRichText::StartWordScan() {
  ClearHighlight();
  scan_.start();
}

bool TWPRichText::NextWord(QString& word) {
  std::optional<QString> next = scan_.nextWord();
  if (!next) return false;
  word = *next;
  return true;
}

void TWPRichText::HighlightWord() {
  if (!scan_.hasWord()) return;
  highlight_ = scan_.current();
  cursor_.setPosition(highlight_.selectionEnd());
  cursorMoved();  // the tool bar shows the word's format
}

bool TWPRichText::ReplaceHighlightedWord(const QString& replacement) {
  if (!highlight_.hasSelection()) return false;
  if (scan_.hasWord() && scan_.current().selectionStart() == highlight_.selectionStart() &&
      scan_.current().selectionEnd() == highlight_.selectionEnd()) {
    scan_.replaceCurrent(replacement);
    highlight_ = scan_.current();
  } else {
    highlight_.insertText(replacement);
  }
  viewport()->update();
  return true;
}

void TWPRichText::ClearHighlight() {
  highlight_ = QTextCursor();
  viewport()->update();
}

QString TWPRichText::HighlightedWord() const { return highlight_.selectedText(); }

void TWPRichText::StartSpellCheck() {
  if (OnStartSpellCheck) OnStartSpellCheck(*this);
}

}  // namespace quillon::richtext
