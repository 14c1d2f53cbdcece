#include "app/window_placement_binding.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>

#include "app/dialogs.h"
#include "settings/settings_store.h"
#include "settings/window_placement.h"

namespace quillon::app {

namespace {
constexpr char kPlacedFrame[] = "quillonPlacedFrame";

QScreen* screenOf(const QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

double pixelRatio(const QWidget* window) {
  QScreen* screen = screenOf(window);
  return screen ? screen->devicePixelRatio() : 1.0;
}

// The frame around the client area, as far as the window system has told us (nothing before
// a window is first shown).
QMargins frameMargins(const QWidget* window) {
  QRect frame = window->frameGeometry(), client = window->geometry();
  return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
          frame.bottom() - client.bottom()};
}

int toScreen(int logical, double ratio) { return int(std::lround(logical * ratio)); }
int toLogical(int pixels, double ratio) { return int(std::lround(pixels / ratio)); }

// The normal (not maximised) window with its frame, in screen pixels.
settings::Rect normalFrame(const QWidget* window) {
  QRect r = window->isMaximized() ? window->normalGeometry() : window->geometry();
  if (!r.isValid()) r = window->geometry();
  r = r.marginsAdded(frameMargins(window));
  double ratio = pixelRatio(window);
  return {toScreen(r.left(), ratio), toScreen(r.top(), ratio), toScreen(r.left() + r.width(), ratio),
          toScreen(r.top() + r.height(), ratio)};
}

// Gives the window's frame the logical rectangle `frame`.
void placeFrame(QWidget* window, const QRect& frame) { window->setGeometry(frame.marginsRemoved(frameMargins(window))); }
}  // namespace

int screenPixelsPerInch(double logicalDotsPerInch, double devicePixelRatio) {
  return int(std::lround(logicalDotsPerInch * devicePixelRatio));
}

std::string placementSectionFor(const QWidget* window, const std::string& windowClass) {
  QScreen* screen = screenOf(window);
  int ppi = screen ? screenPixelsPerInch(screen->logicalDotsPerInch(), screen->devicePixelRatio()) : 96;
  return settings::placementSection(windowClass, ppi);
}

void restoreWindowPlacement(QWidget* window, const std::string& windowClass,
                            const settings::SettingsStore& store) {
  std::string section = placementSectionFor(window, windowClass);
  settings::StoredPlacement stored = store.loadPlacement(section, window->isMaximized());
  QScreen* screen = screenOf(window);
  double ratio = pixelRatio(window);
  QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
  if (auto rect = settings::restoredRect(stored.rect, toScreen(screenSize.width(), ratio),
                                         toScreen(screenSize.height(), ratio))) {
    QRect frame(QPoint(toLogical(rect->left, ratio), toLogical(rect->top, ratio)),
                QPoint(toLogical(rect->right, ratio) - 1, toLogical(rect->bottom, ratio) - 1));
    placeFrame(window, frame);
    // Before the window is first shown its frame is not known yet; settleWindowFrame places
    // it again once it is.
    if (!window->isVisible()) window->setProperty(kPlacedFrame, frame);
  } else {
    centreWindow(window);
  }
  if (stored.maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
  saveWindowPlacement(window, windowClass, store);
}

void settleWindowFrame(QWidget* window) {
  QVariant placed = window->property(kPlacedFrame);
  if (!placed.isValid()) return;
  window->setProperty(kPlacedFrame, QVariant());
  if (!window->isMaximized() && window->frameGeometry() != placed.toRect()) placeFrame(window, placed.toRect());
}

void saveWindowPlacement(const QWidget* window, const std::string& windowClass,
                         const settings::SettingsStore& store) {
  store.savePlacement(placementSectionFor(window, windowClass), normalFrame(window),
                      window->isMaximized() || (window->windowState() & Qt::WindowMaximized));
}

}  // namespace quillon::app
