#pragma once
// TViewer: the engine behind the fax viewer control. It owns the unpacker and the page
// bitmaps, the scale, rotation, scroll positions and the mark; the control (a window of any
// toolkit) forwards its properties, keys, mouse and size to it and paints what it holds.
// Only the current page is decoded unless the whole fax is loaded.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "faximage/fax_unpacker.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

struct ViewRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // inclusive corners
  bool operator==(const ViewRect&) const = default;
};

enum class ViewerKey { PageUp, PageDown, Home, End, Left, Right, Up, Down };

class TViewer {
 public:
  TViewer();

  // Notifications: the page changed (after every initialisation), a decode failed (the fax
  // is then closed), the whole window must be painted again, decoding starts or ends.
  std::function<void(unsigned page)> onPageChange;
  std::function<void(int code)> onViewerError;
  std::function<void()> onInvalidate;
  std::function<void(bool busy)> onBusy;

  // Empty name closes the fax. 0, -2 (no such file), -8001 (not a fax file) or the decode
  // error of the first page.
  int setFile(const std::string& name);
  const std::string& fileName() const { return fileName_; }

  // Equal multiplier and divisor of a direction are kept as 1 and 1; 0 is taken as 1.
  void setScale(unsigned hMult, unsigned hDiv, unsigned vMult, unsigned vDiv);
  unsigned hMult() const { return hMult_; }
  unsigned hDiv() const { return hDiv_; }
  unsigned vMult() const { return vMult_; }
  unsigned vDiv() const { return vDiv_; }
  void setScrollSteps(int horizontal, int vertical);  // 0 keeps a step
  int hStep() const { return hStep_; }
  int vStep() const { return vStep_; }
  void setWhitespace(unsigned from, unsigned to);  // 0, 0 = no compression
  void setAutoScale(int mode);                      // 0 none, 2 double height, 4 half width
  int setLoadWholeFax(bool on);
  bool loadWholeFax() const { return loadWhole_; }
  void beginUpdate() { inUpdate_ = true; }
  void endUpdate();

  unsigned pageCount() const { return unsigned(pages_.size()); }
  unsigned currentPage() const { return fileName_.empty() ? 0 : current_; }
  int goToPage(unsigned page);  // 0 or -1002
  int rotation() const { return rotation_; }
  int setRotation(int r);  // 0 or -8
  ViewRect pageRect() const;  // of the current bitmap (0, 0, width - 1, height - 1)
  uint16_t pageFlags();
  // The page's bitmap: the one held, or (whole fax not loaded) one decoded into `scratch`.
  // nullptr for a page beyond the count or a decode error (notified).
  const MonoBitmap* pageBitmap(unsigned page, MonoBitmap& scratch);
  const MonoBitmap* currentBitmap() const;
  bool hasPage() const { return currentBitmap() != nullptr; }

  // Displayed page size: bitmap size times the scale factors.
  int displayWidth() const { return displayW_; }
  int displayHeight() const { return displayH_; }

  // The window.
  void setClientSize(int width, int height);
  int clientWidth() const { return clientW_; }
  int clientHeight() const { return clientH_; }
  int hPos() const { return hPos_; }
  int vPos() const { return vPos_; }
  int hMax() const { return hMax_; }
  int vMax() const { return vMax_; }
  void scrollBy(int dx, int dy);
  void scrollTo(int x, int y);
  void keyDown(ViewerKey key, bool ctrl);

  // Marking, in client coordinates.
  bool marked() const { return marked_; }
  bool marking() const { return captured_; }
  ViewRect mark() const { return mark_; }
  void mouseDown(int x, int y);
  bool mouseMove(int x, int y);  // true while the pointer is outside: auto-scroll wanted
  void autoScrollStep(int x, int y);
  void mouseUp();
  int selectAll();                      // 0 or -8050
  int selectRect(const ViewRect& rect);  // 0 or -8050
  void clearMark();
  // The marked part of the displayed page as a bitmap (1 = white): 0, -8050 or -8051.
  int copyMark(MonoBitmap& out) const;

 private:
  struct Page {
    MonoBitmap bitmap;
    bool decoded = false;
  };
  void initPage();
  int decode(unsigned page, MonoBitmap& out);
  void freeFax();
  void freeBitmapsBut(unsigned keep);
  void setUpScrollRanges();
  void moveCorner(int x, int y);
  bool showsPixels() const;
  void invalidate() { if (onInvalidate) onInvalidate(); }
  void busy(bool on) { if (onBusy) onBusy(on); }

  TApdFaxUnpacker unpacker_;
  std::string fileName_;
  std::vector<Page> pages_;
  unsigned current_ = 0;
  bool loadWhole_ = false;
  unsigned hMult_ = 1, hDiv_ = 1, vMult_ = 1, vDiv_ = 1;
  int rotation_ = 0;
  int displayW_ = 0, displayH_ = 0;
  int clientW_ = 100, clientH_ = 50;
  int hPos_ = 0, vPos_ = 0, hMax_ = 0, vMax_ = 0;
  int hStep_ = 8, vStep_ = 8;
  bool marked_ = false, captured_ = false;
  ViewRect mark_;
  int corner_ = 1;  // 1 bottom right, 2 bottom left, 3 top left, 4 top right follows the pointer
  bool inUpdate_ = false;
};

}  // namespace quillon::faximage
