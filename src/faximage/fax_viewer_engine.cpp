#include "faximage/fax_viewer_engine.h"

#include <algorithm>

#include "errors/error_codes.h"
#include "faximage/bitmap_rotate.h"
#include "faximage/fax_page_reader.h"

namespace quillon::faximage {
namespace {

// While one page is being initialised, page moves and nested initialisations are ignored
// (messages processed during a decode may ask for them).
bool initialisingPage = false;

struct InitGuard {
  InitGuard() { initialisingPage = true; }
  ~InitGuard() { initialisingPage = false; }
};

int scaled(int size, unsigned mult, unsigned div) { return int(int64_t(size) * mult / div); }

// Pixels of `src` in the rectangle into a new bitmap (1 = white).
MonoBitmap cut(const MonoBitmap& src, int left, int top, int width, int height) {
  MonoBitmap out;
  out.width = width;
  out.height = height;
  out.stride = size_t(width + 7) / 8;
  out.bits.assign(out.stride * size_t(height), 0xFF);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src.row(top + y);
    uint8_t* row = out.row(y);
    for (int x = 0; x < width; ++x) {
      int sx = left + x;
      if (!(in[sx >> 3] & (0x80 >> (sx & 7)))) row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
    }
  }
  return out;
}

}  // namespace

TViewer::TViewer() {
  unpacker_.Loading = true;  // statuses come back as numbers; the control raises where needed
  unpacker_.SetOptions(0);   // pages decode in milliseconds; no messages run meanwhile
}

int TViewer::setFile(const std::string& name) {
  if (name.empty()) {
    freeFax();
    invalidate();
    return ecOK;
  }
  FaxPageReader reader;
  if (int status = reader.open(name); status != ecOK) return status;
  unsigned count = reader.header().pageCount;
  freeFax();
  fileName_ = name;
  unpacker_.SetInFileName(name);
  pages_.assign(count, Page{});
  current_ = 1;
  rotation_ = 0;
  hMult_ = hDiv_ = vMult_ = vDiv_ = 1;
  invalidate();
  if (count > 0) {
    busy(true);
    for (unsigned p = 1; p <= (loadWhole_ ? count : 1u); ++p) {
      int status = decode(p, pages_[p - 1].bitmap);
      if (status != ecOK) {
        busy(false);
        freeFax();
        invalidate();
        return status;
      }
      pages_[p - 1].decoded = true;
    }
    busy(false);
  }
  initPage();
  return ecOK;
}

int TViewer::decode(unsigned page, MonoBitmap& out) {
  int status = unpacker_.DecodePageToBitmap(page, out);
  return status < 0 ? status : ecOK;
}

void TViewer::freeFax() {
  pages_.clear();
  fileName_.clear();
  current_ = 0;
  marked_ = captured_ = false;
  displayW_ = displayH_ = 0;
  hPos_ = vPos_ = hMax_ = vMax_ = 0;
}

void TViewer::freeBitmapsBut(unsigned keep) {
  for (unsigned p = 1; p <= pages_.size(); ++p)
    if (p != keep) pages_[p - 1] = Page{};
}

const MonoBitmap* TViewer::currentBitmap() const {
  if (fileName_.empty() || current_ == 0 || current_ > pages_.size() || !pages_[current_ - 1].decoded) return nullptr;
  return &pages_[current_ - 1].bitmap;
}

void TViewer::initPage() {
  if (initialisingPage || fileName_.empty() || pages_.empty()) return;
  InitGuard guard;
  Page& page = pages_[current_ - 1];
  if (!loadWhole_ && !page.decoded) {
    freeBitmapsBut(0);
    busy(true);
    int status = decode(current_, page.bitmap);
    if (status == ecOK && rotation_ != 0) status = rotateBitmap(page.bitmap, rotation_, page.bitmap) == ecOK ? ecOK : ecOutOfMemory;
    busy(false);
    if (status != ecOK) {
      freeFax();
      invalidate();
      if (onViewerError) onViewerError(status);
      return;
    }
    page.decoded = true;
  }
  hPos_ = vPos_ = 0;
  displayW_ = scaled(page.bitmap.width, hMult_, hDiv_);
  displayH_ = scaled(page.bitmap.height, vMult_, vDiv_);
  marked_ = captured_ = false;
  setUpScrollRanges();
  invalidate();
  if (onPageChange) onPageChange(current_);
}

void TViewer::setScale(unsigned hMult, unsigned hDiv, unsigned vMult, unsigned vDiv) {
  auto normal = [](unsigned& m, unsigned& d) {
    if (m == 0) m = 1;
    if (d == 0) d = 1;
    if (m == d) m = d = 1;
  };
  normal(hMult, hDiv);
  normal(vMult, vDiv);
  bool changed = hMult != hMult_ || hDiv != hDiv_ || vMult != vMult_ || vDiv != vDiv_;
  hMult_ = hMult, hDiv_ = hDiv, vMult_ = vMult, vDiv_ = vDiv;
  if (changed && hasPage() && !inUpdate_) initPage();
}

void TViewer::setScrollSteps(int horizontal, int vertical) {
  if (horizontal > 0) hStep_ = horizontal;
  if (vertical > 0) vStep_ = vertical;
}

void TViewer::setWhitespace(unsigned from, unsigned to) {
  unpacker_.WhitespaceCompression = from != 0 || to != 0;
  unpacker_.WhitespaceFrom = from;
  unpacker_.WhitespaceTo = to;
}

void TViewer::setAutoScale(int mode) {
  unpacker_.AutoScaleMode = mode == 2 ? asDoubleHeight : mode == 4 ? asHalfWidth : asNone;
}

int TViewer::setLoadWholeFax(bool on) {
  loadWhole_ = on;
  if (fileName_.empty()) return ecOK;
  if (!on) {
    freeBitmapsBut(current_);
    return ecOK;
  }
  busy(true);
  for (unsigned p = 1; p <= pages_.size(); ++p) {
    Page& page = pages_[p - 1];
    if (page.decoded) continue;
    int status = decode(p, page.bitmap);
    if (status == ecOK && rotation_ != 0 && rotateBitmap(page.bitmap, rotation_, page.bitmap) != ecOK) status = ecOutOfMemory;
    if (status != ecOK) {
      busy(false);
      freeFax();
      invalidate();
      return status;
    }
    page.decoded = true;
  }
  busy(false);
  return ecOK;
}

void TViewer::endUpdate() {
  inUpdate_ = false;
  if (hasPage()) initPage();
}

int TViewer::goToPage(unsigned page) {
  if (fileName_.empty()) return ecOK;
  if (page == 0 || page > pages_.size()) return ecBadArgument;
  if (page == current_ || initialisingPage) return ecOK;
  current_ = page;
  initPage();
  return ecOK;
}

int TViewer::setRotation(int r) {
  if (r < 0 || r > 3) return ecBadArgument;
  if (!hasPage() || r == rotation_) return ecOK;
  int quarters = (r - rotation_ + 4) % 4;
  for (unsigned p = 1; p <= pages_.size(); ++p) {
    Page& page = pages_[p - 1];
    if (!page.decoded || (!loadWhole_ && p != current_)) continue;
    if (rotateBitmap(page.bitmap, quarters, page.bitmap) != ecOK) return ecOutOfMemory;
  }
  rotation_ = r;
  initPage();
  return ecOK;
}

ViewRect TViewer::pageRect() const {
  const MonoBitmap* b = currentBitmap();
  if (!b) return {};
  return {0, 0, b->width - 1, b->height - 1};
}

uint16_t TViewer::pageFlags() {
  if (fileName_.empty()) return 0;
  FaxPageReader reader;
  if (reader.open(fileName_) != ecOK || reader.findPage(current_) != ecOK) return 0;
  return reader.page().flags;
}

const MonoBitmap* TViewer::pageBitmap(unsigned page, MonoBitmap& scratch) {
  if (page == 0 || page > pages_.size()) return nullptr;
  if (pages_[page - 1].decoded) return &pages_[page - 1].bitmap;
  if (loadWhole_) return nullptr;
  int status = decode(page, scratch);
  if (status != ecOK) {
    if (onViewerError) onViewerError(status);
    return nullptr;
  }
  return &scratch;
}

void TViewer::setClientSize(int width, int height) {
  clientW_ = std::max(0, width);
  clientH_ = std::max(0, height);
  setUpScrollRanges();
}

void TViewer::setUpScrollRanges() {
  vMax_ = displayH_ > clientH_ ? displayH_ - clientH_ : vPos_;
  hMax_ = displayW_ > clientW_ ? displayW_ - clientW_ : hPos_;
  vPos_ = std::min(vPos_, vMax_);
  hPos_ = std::min(hPos_, hMax_);
}

void TViewer::scrollTo(int x, int y) { scrollBy(x - hPos_, y - vPos_); }

void TViewer::scrollBy(int dx, int dy) {
  int x = std::clamp(hPos_ + dx, 0, std::max(0, hMax_));
  int y = std::clamp(vPos_ + dy, 0, std::max(0, vMax_));
  if (x == hPos_ && y == vPos_) return;
  hPos_ = x;
  vPos_ = y;
  // Back at the start, a range kept for a page smaller than the window can shrink.
  if (x == 0 || y == 0) setUpScrollRanges();
  invalidate();
}

void TViewer::keyDown(ViewerKey key, bool ctrl) {
  if (captured_ || !hasPage()) return;
  int last = int(pages_.size());
  auto toTopLeft = [this] { scrollTo(0, 0); };
  int bottom = displayH_ > clientH_ ? vMax_ : 0;
  int rightEnd = displayW_ > clientW_ ? hMax_ : 0;
  switch (key) {
    case ViewerKey::PageUp:
      if (ctrl) scrollTo(hPos_, 0);
      else if (current_ > 1) goToPage(current_ - 1);
      break;
    case ViewerKey::PageDown:
      if (ctrl) scrollTo(hPos_, bottom);
      else if (int(current_) < last) goToPage(current_ + 1);
      break;
    case ViewerKey::Home:
      if (!ctrl) scrollTo(0, vPos_);
      else if (current_ == 1) toTopLeft();
      else goToPage(1);
      break;
    case ViewerKey::End:
      if (!ctrl) scrollTo(rightEnd, vPos_);
      else if (int(current_) == last) toTopLeft();
      else goToPage(unsigned(last));
      break;
    case ViewerKey::Left: scrollBy(-hStep_ * (ctrl ? 10 : 1), 0); break;
    case ViewerKey::Right: scrollBy(hStep_ * (ctrl ? 10 : 1), 0); break;
    case ViewerKey::Up: scrollBy(0, -vStep_ * (ctrl ? 10 : 1)); break;
    case ViewerKey::Down: scrollBy(0, vStep_ * (ctrl ? 10 : 1)); break;
  }
}

void TViewer::clearMark() {
  if (!marked_) return;
  marked_ = false;
  invalidate();
}

// A page that decoded to no lines has nothing to mark.
bool TViewer::showsPixels() const { return hasPage() && displayW_ > 0 && displayH_ > 0; }

void TViewer::mouseDown(int x, int y) {
  if (!showsPixels() || captured_) return;
  clearMark();
  int px = std::clamp(x + hPos_, 0, std::max(0, displayW_ - 1));
  int py = std::clamp(y + vPos_, 0, std::max(0, displayH_ - 1));
  mark_ = {px, py, px, py};
  corner_ = 1;
  marked_ = captured_ = true;
  invalidate();
}

bool TViewer::mouseMove(int x, int y) {
  if (!captured_) return false;
  if (x < 0 || y < 0 || x >= clientW_ || y >= clientH_) {
    autoScrollStep(x, y);
    return true;
  }
  moveCorner(x + hPos_, y + vPos_);
  return false;
}

void TViewer::autoScrollStep(int x, int y) {
  if (!captured_) return;
  int dx = 0, dy = 0;
  if (x < 0) dx = -hStep_ * (x < -20 ? 2 : 1), x = 0;
  else if (x >= clientW_) dx = hStep_ * (x >= clientW_ + 20 ? 2 : 1), x = clientW_ - 1;
  if (y < 0) dy = -vStep_ * (y < -20 ? 2 : 1), y = 0;
  else if (y >= clientH_) dy = vStep_ * (y >= clientH_ + 20 ? 2 : 1), y = clientH_ - 1;
  scrollBy(dx, dy);
  moveCorner(x + hPos_, y + vPos_);
}

void TViewer::moveCorner(int x, int y) {
  ViewRect& m = mark_;
  switch (corner_) {
    case 1: m.right = x, m.bottom = y; break;
    case 2: m.left = x, m.bottom = y; break;
    case 3: m.left = x, m.top = y; break;
    default: m.right = x, m.top = y; break;
  }
  if (m.left > m.right) std::swap(m.left, m.right);
  if (m.top > m.bottom) std::swap(m.top, m.bottom);
  bool atRight = m.right == x, atBottom = m.bottom == y;
  corner_ = atBottom ? (atRight ? 1 : 2) : (atRight ? 4 : 3);
  m.left = std::clamp(m.left, 0, displayW_ - 1);
  m.right = std::clamp(m.right, 0, displayW_ - 1);
  m.top = std::clamp(m.top, 0, displayH_ - 1);
  m.bottom = std::clamp(m.bottom, 0, displayH_ - 1);
  invalidate();
}

void TViewer::mouseUp() {
  if (!captured_) return;
  captured_ = false;
  if (mark_.left == mark_.right && mark_.top == mark_.bottom) clearMark();
}

int TViewer::selectAll() {
  if (!showsPixels()) return ecNoImageLoaded;
  captured_ = false;
  return selectRect({0, 0, displayW_ - 1, displayH_ - 1});
}

int TViewer::selectRect(const ViewRect& rect) {
  if (!showsPixels()) return ecNoImageLoaded;
  ViewRect r = rect;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  r.left = std::clamp(r.left, 0, displayW_ - 1);
  r.right = std::clamp(r.right, 0, displayW_ - 1);
  r.top = std::clamp(r.top, 0, displayH_ - 1);
  r.bottom = std::clamp(r.bottom, 0, displayH_ - 1);
  mark_ = r;
  marked_ = true;
  invalidate();
  return ecOK;
}

int TViewer::copyMark(MonoBitmap& out) const {
  const MonoBitmap* page = currentBitmap();
  if (!page || page->empty()) return ecNoImageLoaded;
  if (!marked_) return ecNoImageBlockMarked;
  int w = mark_.right - mark_.left + 1, h = mark_.bottom - mark_.top + 1;
  if (hMult_ == 1 && hDiv_ == 1 && vMult_ == 1 && vDiv_ == 1) {
    out = cut(*page, mark_.left, mark_.top, w, h);
    return ecOK;
  }
  auto back = [](int v, unsigned mult, unsigned div) { return int(int64_t(v) * div / mult); };
  int sx = std::min(back(mark_.left, hMult_, hDiv_), page->width - 1);
  int sy = std::min(back(mark_.top, vMult_, vDiv_), page->height - 1);
  int sw = std::clamp(back(w, hMult_, hDiv_), 1, page->width - sx);
  int sh = std::clamp(back(h, vMult_, vDiv_), 1, page->height - sy);
  return stretchBitmap(cut(*page, sx, sy, sw, sh), w, h, true, out) < 0 ? ecOutOfMemory : ecOK;
}

}  // namespace quillon::faximage
