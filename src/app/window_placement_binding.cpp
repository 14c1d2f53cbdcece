#include "app/window_placement_binding.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

#include "app/dialogs.h"
#include "settings/settings_store.h"
#include "settings/window_placement.h"

namespace quillon::app {

namespace {
QScreen* screenOf(const QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

settings::Rect normalRect(const QWidget* window) {
  QRect r = window->isMaximized() ? window->normalGeometry() : window->geometry();
  if (!r.isValid()) r = window->geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
}  // namespace

std::string placementSectionFor(const QWidget* window, const std::string& windowClass) {
  QScreen* screen = screenOf(window);
  int ppi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
  return settings::placementSection(windowClass, ppi);
}

void restoreWindowPlacement(QWidget* window, const std::string& windowClass,
                            const settings::SettingsStore& store) {
  std::string section = placementSectionFor(window, windowClass);
  settings::StoredPlacement stored = store.loadPlacement(section, window->isMaximized());
  QScreen* screen = screenOf(window);
  QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
  if (auto rect = settings::restoredRect(stored.rect, screenSize.width(), screenSize.height())) {
    window->setGeometry(rect->left, rect->top, rect->width(), rect->height());
  } else {
    centreWindow(window);
  }
  if (stored.maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
  saveWindowPlacement(window, windowClass, store);
}

void saveWindowPlacement(const QWidget* window, const std::string& windowClass,
                         const settings::SettingsStore& store) {
  store.savePlacement(placementSectionFor(window, windowClass), normalRect(window),
                      window->isMaximized() || (window->windowState() & Qt::WindowMaximized));
}

}  // namespace quillon::app
