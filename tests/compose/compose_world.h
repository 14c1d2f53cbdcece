#pragma once
// A data folder with the fax store and the settings, as the composing windows get them from
// the main window, and helpers that work modal windows the way a user does.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "compose/compose_context.h"
#include "faximage/fax_unpacker.h"
#include "settings/settings_store.h"
#include "store/fax_store.h"
#include "support/temp_dir.h"

namespace quillon::test {

struct ComposeWorld {
  TempDir dir;
  store::FaxStore store{dir.path()};
  settings::SettingsStore settingsStore{dir.path()};
  settings::Settings settings = settingsStore.load().values;
  compose::ComposeContext context{store, settingsStore, settings};
};

// Runs `act` on the next modal window of type T once it is up (and working its own event
// loop); `seen` turns true then.
template <class T>
std::shared_ptr<bool> whenModal(std::function<void(T&)> act) {
  auto seen = std::make_shared<bool>(false);
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, act] {
    T* window = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    *seen = true;
    act(*window);
  });
  timer->start();
  return seen;
}

// Chooses `text` in the next pop-up menu.
inline std::shared_ptr<bool> chooseInNextMenu(const QString& text);

// The pages of a fax file decoded (1 = white, as the unpacker gives them).
inline int faxPageCount(const std::string& path) {
  faximage::TApdFaxUnpacker unpacker;
  unpacker.SetInFileName(path);
  return unpacker.FilePageCount();
}

inline faximage::MonoBitmap decodePage(const std::string& path, unsigned page) {
  faximage::TApdFaxUnpacker unpacker;
  unpacker.SetInFileName(path);
  faximage::MonoBitmap bitmap;
  unpacker.DecodePageToBitmap(page, bitmap);
  return bitmap;
}

inline bool isBlack(const faximage::MonoBitmap& b, int x, int y) {
  return (b.row(y)[x / 8] & (0x80 >> (x % 8))) == 0;
}

}  // namespace quillon::test

#include <QMenu>
#include <QTest>

namespace quillon::test {
inline std::shared_ptr<bool> chooseInNextMenu(const QString& text) {
  auto seen = std::make_shared<bool>(false);
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, text] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* item : menu->actions()) {
      if (item->text() != text) continue;
      timer->stop();
      timer->deleteLater();
      *seen = true;
      menu->setActiveAction(item);
      QTest::keyClick(menu, Qt::Key_Return);
      return;
    }
  });
  timer->start();
  return seen;
}
}  // namespace quillon::test
