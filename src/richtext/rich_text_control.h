#pragma once
// TWPRichText: the rich-text editing control of covers, documents and cover templates.
//
// A QTextDocument laid out by Qt in pages (page_layout.h) and shown as white sheets on a grey
// desk, zoomed by painting only. Editing goes through one QTextCursor: keys, mouse, clipboard
// (RTF between our controls, plain text from others) and undo. Fields (field_object.h) are
// single object characters, so the caret never stands inside one. RTF in and out is our own
// reader and writer. The word scan serves the spelling dialog; the page painter the rendering
// of faxes.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QTextCursor>
#include <QTextDocument>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_reader.h"
#include "richtext/word_scan.h"

namespace quillon::richtext {

class TWPRichText : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TWPRichText(QWidget* parent = nullptr);
  ~TWPRichText() override;

  QTextDocument* document() { return &document_; }
  const QTextDocument* document() const { return &document_; }
  QTextCursor textCursor() const { return cursor_; }
  void setTextCursor(const QTextCursor& cursor);
  void moveCaretToStart();

  // ---- content
  RtfReadResult loadRtf(std::string_view bytes);  // replaces the text; page layout kept
  std::string saveRtf() const;
  RtfReadResult loadRtfFile(const std::string& path);  // a missing file leaves the control empty
  bool saveRtfFile(const std::string& path) const;
  void clear();
  QString plainText() const;  // fields as their shown text, paragraphs ended by '\n'
  // The emptiness test the fax rendering uses.
  bool isEmpty() const { return isDocumentEmpty(document_); }

  // ---- page layout, zoom, wrap
  PageLayout pageLayout() const { return layout_; }
  void setPageLayout(const PageLayout& layout);
  void setPageSize(int widthTwips, int heightTwips);
  void setMargins(int left, int right, int top, int bottom);
  int zoom() const { return zoom_; }
  void setZoom(int percent);  // 10 to 500
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool on);
  int pageCount() const;

  // ---- page painting (rendering): the page holding `position` into `target` of any painter,
  // scaled by zoom() / 100; returns where the next page starts, 0 after the last page.
  int paintPage(QPainter& painter, const QRectF& target, int position);

  // ---- formatting of the selection (or of what is typed next)
  void setFontFamily(const QString& family);
  void setFontPointSize(double points);
  void setBold(bool on);
  void setItalic(bool on);
  void setUnderline(bool on);
  void setNormal();  // bold, italic and underline off
  void setAlignment(Qt::Alignment alignment);
  QTextCharFormat currentCharFormat() const;
  // The default writing attributes of a new fax or template: the font typed text gets.
  void setWritingFont(const QFont& font);

  // ---- paragraphs
  // The new-page flag of the caret's paragraph: it starts a new page.
  bool newPageFlag() const;
  void setNewPageFlag(bool on);
  void insertPageBreak() { setNewPageFlag(true); }
  QTextBlockFormat currentParagraphFormat() const { return cursor_.blockFormat(); }
  void setCurrentParagraphFormat(const QTextBlockFormat& format);

  // ---- fields (insertion points)
  void insertField(int number, const QString& text);
  // GetTextToInsert: the text for a field's number, or nothing to keep the field.
  FieldTextSource OnGetTextToInsert;
  // Replaces every field through OnGetTextToInsert (or `source`); returns how many.
  int replaceFields(const FieldTextSource& source = {});

  // ---- word scan for the spelling dialog
  void StartWordScan();
  bool NextWord(QString& word);          // false when no word is left
  void HighlightWord();                  // shows the current word highlighted
  bool ReplaceHighlightedWord(const QString& replacement);
  void ClearHighlight();
  QString HighlightedWord() const;

  // ---- clipboard and undo
  void copy();
  void cut();
  void paste();
  void undo();
  void redo();
  void selectAll();

  // StartSpellCheck: raised by the tool bar's spelling button.
  std::function<void(TWPRichText&)> OnStartSpellCheck;
  virtual void StartSpellCheck();

  // Geometry of the view (for tests and the ruler of a caller): the view rectangle of page n.
  QRectF pageRectInView(int page) const;
  QPointF viewToDocument(const QPointF& point) const;
  QPointF documentToView(const QPointF& point) const;
  void ensureCaretVisible();

 signals:
  void formatChanged();     // the caret moved or the formatting under it changed
  void zoomChanged(int percent);
  void wordWrapChanged(bool on);
  void contentChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  bool focusNextPrevChild(bool next) override { return false; }  // Tab types a tab

 private:
  void relayout();
  void updateScrollBars();
  void cursorMoved();
  void restartCaretBlink();
  QSizeF sheetSize() const;  // a page in layout pixels (wider when wrap is off)
  double scale() const { return zoom_ / 100.0; }
  int hitPosition(const QPoint& viewPoint) const;
  bool handleMoveKey(QKeyEvent* event);
  QTextCharFormat typingFormat() const;
  void insertTypedText(const QString& text);
  void mergeFormat(const QTextCharFormat& format);

  QTextDocument document_;
  QTextCursor cursor_;
  PageLayout layout_;
  int zoom_ = 100;
  bool wordWrap_ = true;
  WordScan scan_;
  QTextCursor highlight_;
  QBasicTimer caretTimer_;
  bool caretShown_ = true;
};

}  // namespace quillon::richtext
