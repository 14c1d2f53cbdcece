#include "faximage/viewer/fax_viewer_control.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>

#include "errors/error_codes.h"
#include "errors/raise_on_error.h"
#include "faximage/viewer/page_render.h"

namespace quillon::faximage {

TApdFaxViewer::TApdFaxViewer(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);  // takes the focus by tab and keeps the arrow keys
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setFrameShape(QFrame::StyledPanel);
  resize(100, 50);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);  // the page and background paint it all
  autoScroll_.setInterval(50);
  connect(&autoScroll_, &QTimer::timeout, this, [this] { engine_.autoScrollStep(lastPointer_.x(), lastPointer_.y()); });
  engine_.onInvalidate = [this] {
    syncScrollBars();
    viewport()->update();
  };
  engine_.onPageChange = [this](unsigned) {
    rebuildDisplay();
    syncScrollBars();
    viewport()->update();
    PageChange();
  };
  engine_.onViewerError = [this](int code) {
    fileName_.clear();
    display_ = QImage();
    ViewerError(code);
  };
  engine_.onBusy = [this](bool on) {
    if (on && !busyShown_) QApplication::setOverrideCursor(BusyCursor);
    if (!on && busyShown_) QApplication::restoreOverrideCursor();
    busyShown_ = on;
  };
  engine_.setAutoScale(2);
  engine_.setClientSize(viewport()->width(), viewport()->height());
}

TApdFaxViewer::~TApdFaxViewer() {
  autoScroll_.stop();
  if (busyShown_) QApplication::restoreOverrideCursor();
  engine_.onInvalidate = nullptr;
  engine_.onPageChange = nullptr;
  engine_.onViewerError = nullptr;
  engine_.onBusy = nullptr;
}

void TApdFaxViewer::SetBorderStyle(bool single) { setFrameShape(single ? QFrame::StyledPanel : QFrame::NoFrame); }

void TApdFaxViewer::SetFGColor(const QColor& c) {
  if (c == fg_) return;
  fg_ = c;
  if (!display_.isNull()) setPageColours(display_, fg_.rgb(), bg_.rgb());
  viewport()->update();
}

void TApdFaxViewer::SetBGColor(const QColor& c) {
  if (c == bg_) return;
  bg_ = c;
  if (!display_.isNull()) setPageColours(display_, fg_.rgb(), bg_.rgb());
  viewport()->update();
}

void TApdFaxViewer::sendScale() {
  if (scaling_) engine_.setScale(hMult_, hDiv_, vMult_, vDiv_);
  else engine_.setScale(1, 1, 1, 1);
}

void TApdFaxViewer::SetScaling(bool on) {
  if (on == scaling_) return;
  scaling_ = on;
  sendScale();
}

// A factor setter ignores 0 and sends the four factors only while scaling is on.
void TApdFaxViewer::setFactor(unsigned& factor, unsigned v) {
  if (v == 0 || v == factor) return;
  factor = v;
  if (scaling_) sendScale();
}
void TApdFaxViewer::SetHorizMult(unsigned v) { setFactor(hMult_, v); }
void TApdFaxViewer::SetHorizDiv(unsigned v) { setFactor(hDiv_, v); }
void TApdFaxViewer::SetVertMult(unsigned v) { setFactor(vMult_, v); }
void TApdFaxViewer::SetVertDiv(unsigned v) { setFactor(vDiv_, v); }

void TApdFaxViewer::SetAutoScaleMode(TAutoScaleMode m) {
  if (m == autoScale_) return;
  autoScale_ = m;
  engine_.setAutoScale(m == asDoubleHeight ? 2 : m == asHalfWidth ? 4 : 0);
}

void TApdFaxViewer::sendWhitespace() {
  if (whitespace_) engine_.setWhitespace(wsFrom_, wsTo_);
  else engine_.setWhitespace(0, 0);
}

void TApdFaxViewer::SetWhitespaceCompression(bool on) {
  if (on == whitespace_) return;
  whitespace_ = on;
  sendWhitespace();
}
void TApdFaxViewer::SetWhitespaceFrom(unsigned v) {
  if (v == wsFrom_) return;
  wsFrom_ = v;
  if (whitespace_) sendWhitespace();
}
void TApdFaxViewer::SetWhitespaceTo(unsigned v) {
  if (v == wsTo_) return;
  wsTo_ = v;
  if (whitespace_) sendWhitespace();
}

void TApdFaxViewer::SetLoadWholeFax(bool on) {
  if (on == engine_.loadWholeFax()) return;
  int status = engine_.setLoadWholeFax(on);
  if (status < 0) {
    fileName_.clear();
    display_ = QImage();
    RaiseOnError(status);
  }
}

void TApdFaxViewer::resetProperties() {
  hMult_ = hDiv_ = vMult_ = vDiv_ = 1;
}

void TApdFaxViewer::SetFileName(const std::string& name) {
  if (name == fileName_) return;
  int status = engine_.setFile(name);
  if (status < 0) RaiseOnError(status);
  fileName_ = engine_.fileName();
  if (fileName_.empty()) display_ = QImage();
  // The engine has reset its scale and rotation with the new file.
  resetProperties();
  viewport()->update();
}

void TApdFaxViewer::SetCurrentPage(unsigned page) { RaiseOnError(engine_.goToPage(page)); }

int TApdFaxViewer::PageWidth() const {
  ViewRect r = engine_.pageRect();
  return engine_.hasPage() ? r.right + 1 : 0;
}

int TApdFaxViewer::PageHeight() const {
  ViewRect r = engine_.pageRect();
  return engine_.hasPage() ? r.bottom + 1 : 0;
}

void TApdFaxViewer::SetRotation(int r) { RaiseOnError(engine_.setRotation(r)); }

void TApdFaxViewer::FirstPage() {
  if (PageCount()) engine_.goToPage(1);
}
void TApdFaxViewer::LastPage() {
  if (PageCount()) engine_.goToPage(PageCount());
}
void TApdFaxViewer::NextPage() {
  if (PageCount() && CurrentPage() < PageCount()) engine_.goToPage(CurrentPage() + 1);
}
void TApdFaxViewer::PrevPage() {
  if (PageCount() && CurrentPage() > 1) engine_.goToPage(CurrentPage() - 1);
}

int TApdFaxViewer::CopyToClipboard() {
  MonoBitmap part;
  int status = engine_.copyMark(part);
  if (status != ecOK) return status;
  QApplication::clipboard()->setImage(monoImage(part));
  return ecOK;
}

void TApdFaxViewer::PageChange() {
  if (OnPageChange) OnPageChange(*this);
}
void TApdFaxViewer::ViewerError(int code) {
  if (OnViewerError) OnViewerError(*this, code);
}
void TApdFaxViewer::DropFile(const std::string& name) {
  if (OnDropFile) OnDropFile(*this, name);
}

void TApdFaxViewer::rebuildDisplay() {
  const MonoBitmap* page = engine_.currentBitmap();
  display_ = page ? renderPage(*page, engine_.displayWidth(), engine_.displayHeight(), fg_.rgb(), bg_.rgb()) : QImage();
}

void TApdFaxViewer::syncScrollBars() {
  if (syncing_) return;
  syncing_ = true;
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, engine_.hMax());
  h->setSingleStep(engine_.hStep());
  h->setPageStep(std::max(1, engine_.hStep() * 10));
  h->setValue(engine_.hPos());
  v->setRange(0, engine_.vMax());
  v->setSingleStep(engine_.vStep());
  v->setPageStep(std::max(1, engine_.vStep() * 10));
  v->setValue(engine_.vPos());
  syncing_ = false;
}

void TApdFaxViewer::scrollContentsBy(int, int) {
  if (syncing_) return;
  engine_.scrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value());
  viewport()->update();
}

void TApdFaxViewer::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  engine_.setClientSize(viewport()->width(), viewport()->height());
  syncScrollBars();
}

void TApdFaxViewer::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  if (display_.isNull()) {
    p.fillRect(viewport()->rect(), DeskColor());
    return;
  }
  QPoint origin(-engine_.hPos(), -engine_.vPos());
  QRect page(origin, display_.size());
  QRegion beyond = QRegion(viewport()->rect()).subtracted(page);
  for (const QRect& r : beyond) p.fillRect(r, DeskColor());
  p.drawImage(origin, display_);
  if (engine_.marked()) {
    ViewRect m = engine_.mark();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(QRect(QPoint(m.left, m.top) + origin, QPoint(m.right, m.bottom) + origin), Qt::white);
  }
}

void TApdFaxViewer::keyPressEvent(QKeyEvent* event) {
  bool ctrl = event->modifiers() & Qt::ControlModifier;
  ViewerKey key;
  switch (event->key()) {
    case Qt::Key_PageUp: key = ViewerKey::PageUp; break;
    case Qt::Key_PageDown: key = ViewerKey::PageDown; break;
    case Qt::Key_Home: key = ViewerKey::Home; break;
    case Qt::Key_End: key = ViewerKey::End; break;
    case Qt::Key_Left: key = ViewerKey::Left; break;
    case Qt::Key_Right: key = ViewerKey::Right; break;
    case Qt::Key_Up: key = ViewerKey::Up; break;
    case Qt::Key_Down: key = ViewerKey::Down; break;
    default:
      if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
      }
      if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
      }
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  engine_.keyDown(key, ctrl);
}

void TApdFaxViewer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  QPoint pos = event->position().toPoint();
  engine_.mouseDown(pos.x(), pos.y());
}

void TApdFaxViewer::mouseMoveEvent(QMouseEvent* event) {
  if (!engine_.marking()) return;
  lastPointer_ = event->position().toPoint();
  bool outside = engine_.mouseMove(lastPointer_.x(), lastPointer_.y());
  if (outside && !autoScroll_.isActive()) autoScroll_.start();
  if (!outside) autoScroll_.stop();
}

void TApdFaxViewer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  autoScroll_.stop();
  engine_.mouseUp();
}

void TApdFaxViewer::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TApdFaxViewer::dropEvent(QDropEvent* event) {
  if (DropFiles(event->mimeData()->urls())) event->acceptProposedAction();
}

bool TApdFaxViewer::DropFiles(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) continue;
    // The first file of several is loaded.
    int status = engine_.setFile(url.toLocalFile().toStdString());
    fileName_ = engine_.fileName();
    if (fileName_.empty()) display_ = QImage();
    resetProperties();
    if (status < 0) ViewerError(status);
    else DropFile(fileName_);
    return true;
  }
  return false;
}

}  // namespace quillon::faximage
