#pragma once
// TApdFaxViewer: the fax viewer control. A scrollable Qt widget over the viewer engine
// (TViewer), which decodes the pages and keeps scale, rotation, scroll positions and the
// mark; the control keeps the properties, forwards keys, mouse, size and dropped files, and
// paints the page it is given scaled with filtering for 1-bit images.
#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <string>

#include "faximage/fax_unpacker.h"
#include "faximage/fax_viewer_engine.h"

namespace quillon::faximage {

class TApdFaxViewer : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TApdFaxViewer(QWidget* parent = nullptr);
  ~TApdFaxViewer() override;

  // Properties (defaults as constructed).
  bool BorderStyle() const { return frameShape() != QFrame::NoFrame; }
  void SetBorderStyle(bool single);
  QColor FGColor() const { return fg_; }
  void SetFGColor(const QColor& c);
  QColor BGColor() const { return bg_; }
  void SetBGColor(const QColor& c);
  // Beyond the page: the background colour unless a desk colour is set (the viewer window
  // sets one so the page's edges show).
  QColor DeskColor() const { return desk_.isValid() ? desk_ : bg_; }
  void SetDeskColor(const QColor& c) { desk_ = c; viewport()->update(); }
  bool Scaling() const { return scaling_; }
  void SetScaling(bool on);
  unsigned HorizMult() const { return hMult_; }
  void SetHorizMult(unsigned v);
  unsigned HorizDiv() const { return hDiv_; }
  void SetHorizDiv(unsigned v);
  unsigned VertMult() const { return vMult_; }
  void SetVertMult(unsigned v);
  unsigned VertDiv() const { return vDiv_; }
  void SetVertDiv(unsigned v);
  TAutoScaleMode AutoScaleMode() const { return autoScale_; }
  void SetAutoScaleMode(TAutoScaleMode m);
  bool WhitespaceCompression() const { return whitespace_; }
  void SetWhitespaceCompression(bool on);
  unsigned WhitespaceFrom() const { return wsFrom_; }
  void SetWhitespaceFrom(unsigned v);
  unsigned WhitespaceTo() const { return wsTo_; }
  void SetWhitespaceTo(unsigned v);
  int HorizScroll() const { return engine_.hStep(); }
  void SetHorizScroll(int step) { engine_.setScrollSteps(step, 0); syncScrollBars(); }
  int VertScroll() const { return engine_.vStep(); }
  void SetVertScroll(int step) { engine_.setScrollSteps(0, step); syncScrollBars(); }
  bool AcceptDragged = true;  // kept for the form; dropped files are always accepted
  bool LoadWholeFax() const { return engine_.loadWholeFax(); }
  void SetLoadWholeFax(bool on);  // raises the mapped exception on a decode error
  Qt::CursorShape BusyCursor = Qt::ArrowCursor;
  const std::string& FileName() const { return fileName_; }
  // Opens the fax (empty closes it); raises the mapped exception when it cannot, and resets
  // the rotation and the four factors to 1.
  void SetFileName(const std::string& name);

  // Events.
  std::function<void(TApdFaxViewer& sender, const std::string& fileName)> OnDropFile;
  std::function<void(TApdFaxViewer& sender)> OnPageChange;
  std::function<void(TApdFaxViewer& sender, int code)> OnViewerError;

  // Run-time operations.
  unsigned CurrentPage() const { return engine_.currentPage(); }
  void SetCurrentPage(unsigned page);  // raises -1002 for 0 or a page beyond the count
  unsigned PageCount() const { return fileName_.empty() ? 0 : engine_.pageCount(); }
  int PageWidth() const;   // of the current page as decoded (rotated), 0 without one
  int PageHeight() const;
  ViewRect PageRect() const { return engine_.pageRect(); }
  int Rotation() const { return engine_.rotation(); }
  void SetRotation(int r);  // 0..3
  void FirstPage();
  void LastPage();
  void NextPage();
  void PrevPage();
  void BeginUpdate() { engine_.beginUpdate(); }
  void EndUpdate() { engine_.endUpdate(); }
  int SelectAll() { return engine_.selectAll(); }
  int SelectRect(const ViewRect& r) { return engine_.selectRect(r); }
  int CopyToClipboard();  // 0, -8050, -8051
  uint16_t PageFlags() { return engine_.pageFlags(); }
  // Files dropped from the desktop: the first local file is opened (OnDropFile, or
  // OnViewerError when it cannot be). False when none was a local file.
  bool DropFiles(const QList<QUrl>& urls);

  TViewer& engine() { return engine_; }
  const QImage& displayImage() const { return display_; }
  QSize sizeHint() const override { return {100, 50}; }

 protected:
  virtual void PageChange();
  virtual void ViewerError(int code);
  virtual void DropFile(const std::string& name);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void sendScale();
  void setFactor(unsigned& factor, unsigned v);
  void sendWhitespace();
  void rebuildDisplay();
  void syncScrollBars();
  void resetProperties();

  TViewer engine_;
  std::string fileName_;
  QColor fg_ = Qt::black, bg_ = Qt::white, desk_;
  bool scaling_ = false;
  unsigned hMult_ = 1, hDiv_ = 1, vMult_ = 1, vDiv_ = 1;
  TAutoScaleMode autoScale_ = asDoubleHeight;
  bool whitespace_ = false;
  unsigned wsFrom_ = 0, wsTo_ = 0;
  QImage display_;  // the displayed page, scaled
  QTimer autoScroll_;
  QPoint lastPointer_;
  bool syncing_ = false;
  bool busyShown_ = false;
};

}  // namespace quillon::faximage
