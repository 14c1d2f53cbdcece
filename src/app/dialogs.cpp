#include "app/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "settings/window_placement.h"

namespace quillon::app {

namespace {
QPointer<QWidget> theMainWindow;

settings::Rect rectOf(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

bool ask(const QString& text, const QString& caption, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, mainWindow());
  box.setDefaultButton(defaultButton);
  box.setEscapeButton(QMessageBox::No);
  box.adjustSize();
  centreWindow(&box);
  return box.exec() == QMessageBox::Yes;
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
  bool isMain = window == main || !main;
  settings::Point p = settings::centreWindow(isMain, main && main->isMaximized(),
                                             main ? rectOf(main->frameGeometry()) : settings::Rect{},
                                             area.width(), area.height(), size.width(), size.height());
  // Screen-centred positions are relative to the screen the main window is on.
  if (isMain || (main && main->isMaximized())) p = {p.x + area.left(), p.y + area.top()};
  window->move(p.x, p.y);
}

void InfoBox(const QString& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, mainWindow());
  box.adjustSize();
  centreWindow(&box);
  box.exec();
}

bool AskYesNo(const QString& text, const QString& caption) { return ask(text, caption, QMessageBox::Yes); }

bool AskYesNoDefaultNo(const QString& text, const QString& caption) {
  return ask(text, caption, QMessageBox::No);
}

void notAvailableYet(const QString& command) {
  InfoBox(QStringLiteral("%1 is not available in this version yet.").arg(command));
}

}  // namespace quillon::app
