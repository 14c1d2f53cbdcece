#include "app/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "settings/window_placement.h"

namespace quillon::app {

namespace {
QPointer<QWidget> theMainWindow;

settings::Rect rectOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A message box lays itself out again as it is shown, so it is centred once more with its
// final size as soon as it runs.
int execCentred(QMessageBox& box) {
  box.adjustSize();
  centreWindow(&box);
  QTimer::singleShot(0, &box, [&box] { centreWindow(&box); });
  return box.exec();
}

bool ask(const QString& text, const QString& caption, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, mainWindow());
  box.setDefaultButton(defaultButton);
  box.setEscapeButton(QMessageBox::No);
  return execCentred(box) == QMessageBox::Yes;
}
}  // namespace

void setMainWindow(QWidget* window) { theMainWindow = window; }
QWidget* mainWindow() { return theMainWindow.data(); }

void centreWindow(QWidget* window) {
  QWidget* main = mainWindow();
  QScreen* screen = (main ? main->screen() : nullptr);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->geometry();
  QSize size = window->frameGeometry().size();
  // A main window not shown yet (a start-up failure) has no place to centre over.
  bool isMain = window == main || !main || !main->isVisible();
  settings::Point p = settings::centreWindow(isMain, !isMain && main->isMaximized(),
                                             main ? rectOf(main->frameGeometry()) : settings::Rect{},
                                             area.width(), area.height(), size.width(), size.height());
  // Screen-centred positions are relative to the screen the main window is on.
  if (isMain || main->isMaximized()) p = {p.x + area.left(), p.y + area.top()};
  window->move(p.x, p.y);
}

void InfoBox(const QString& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, mainWindow());
  execCentred(box);
}

bool AskYesNo(const QString& text, const QString& caption) { return ask(text, caption, QMessageBox::Yes); }

bool AskYesNoDefaultNo(const QString& text, const QString& caption) {
  return ask(text, caption, QMessageBox::No);
}

void notAvailableYet(const QString& command) {
  InfoBox(QStringLiteral("%1 is not available in this version yet.").arg(command));
}

}  // namespace quillon::app
