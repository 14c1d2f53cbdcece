#include "app/dialogs.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/about_box.h"
#include "app/app_identity.h"
#include "app/input_query_form.h"
#include "app/modal_answer.h"
#include "app/starting_fax_form.h"

using namespace quillon;
using quillon::test::answerNextMessageBox;

TEST(SharedDialogs, InfoBoxAndTheTwoQuestions) {
  auto info = answerNextMessageBox(QMessageBox::Ok);
  app::InfoBox("Fax file is missing");
  EXPECT_TRUE(info->seen);
  EXPECT_EQ(info->caption, "Information");
  EXPECT_EQ(info->text, "Fax file is missing");

  auto yes = answerNextMessageBox(QMessageBox::Yes);
  EXPECT_TRUE(app::AskYesNo("Save changes?", "Save Preferences"));
  EXPECT_EQ(yes->caption, "Save Preferences");
  EXPECT_EQ(yes->defaultButton, QMessageBox::Yes);

  auto no = answerNextMessageBox(QMessageBox::No);
  EXPECT_FALSE(app::AskYesNoDefaultNo("Add a page break here?", "Page Break"));
  EXPECT_EQ(no->defaultButton, QMessageBox::No);
}

TEST(SharedDialogs, DialogsAreCentredOverTheMainWindowOrTheScreen) {
  QMainWindow main;
  main.setGeometry(100, 100, 800, 600);
  main.show();
  app::setMainWindow(&main);
  QWidget dialog(&main, Qt::Dialog);
  dialog.resize(200, 100);
  app::centreWindow(&dialog);
  QRect frame = main.frameGeometry();
  EXPECT_EQ(dialog.pos(), QPoint(frame.left() + (frame.width() - 200) / 2, frame.top() + (frame.height() - 100) / 2));
  app::setMainWindow(nullptr);  // no main window: the screen's centre
  app::centreWindow(&dialog);
  QRect screen = dialog.screen()->geometry();
  EXPECT_EQ(dialog.pos(), QPoint(screen.left() + (screen.width() - 200) / 2, screen.top() + (screen.height() - 100) / 2));
}

TEST(SharedDialogs, InputQueryReturnsTheTextOnlyOnAccept) {
  app::TInputQueryForm form;
  QString value = "old";
  QTimer::singleShot(10, [&] {
    form.edit()->setText("a value longer than ten");
    form.accept();
  });
  EXPECT_TRUE(form.ask("Caption", "Prompt", value, 10));
  EXPECT_EQ(value, "a value lo");  // the limit holds
  QTimer::singleShot(10, [&] {
    form.edit()->setText("ignored");
    form.reject();
  });
  EXPECT_FALSE(form.ask("Caption", "Prompt", value));
  EXPECT_EQ(value, "a value lo");
}

TEST(SharedDialogs, ReceiveNoticeHasItsTwoStates) {
  app::TStartingFaxForm form;
  EXPECT_EQ(form.windowTitle(), "Starting Receive mode...");
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  form.showStarting();
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isReady());
  auto visibleTexts = [&] {
    QStringList texts;
    for (QLabel* l : form.findChildren<QLabel*>())
      if (l->isVisibleTo(&form)) texts << l->text();
    return texts;
  };
  EXPECT_EQ(visibleTexts(), QStringList{"Please wait while fax receive mode is started....."});
  form.showReady();
  EXPECT_TRUE(form.isReady());
  EXPECT_EQ(visibleTexts(), (QStringList{"Quillon is in receive mode now", "To end receive mode, press the STOP button",
                                         "While in receive mode, sending faxes is not possible"}));
  QPushButton* ok = form.findChild<QPushButton*>();
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "Ok");
  ok->click();
  EXPECT_FALSE(form.isVisible());
}

TEST(SharedDialogs, AboutShowsTheVersion) {
  app::TAboutBox about;
  QLabel* version = about.findChild<QLabel*>("version");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), "Version 2.8i");
}

// Any opaque pixel of the icon's blue handset.
bool showsTheHandset(const QIcon& icon, int size) {
  QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      QColor c = image.pixelColor(x, y);
      if (c.alpha() == 255 && c.blue() > 120 && c.red() < 80) return true;
    }
  return false;
}

TEST(ApplicationIdentity, CaptionsStandAsGivenAndEveryWindowHasTheIcon) {
  QString before = QApplication::applicationName();
  app::setApplicationIdentity();
  EXPECT_EQ(QApplication::applicationName(), "Quillon");
  EXPECT_EQ(QApplication::applicationVersion(), "2.8i");
  // No display name of its own, which the platform would append to every caption: the
  // display name follows the application name.
  QApplication::setApplicationName("renamed");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), "renamed");
  QApplication::setApplicationName(before);

  for (int size : {16, 32, 48, 256}) EXPECT_TRUE(showsTheHandset(QApplication::windowIcon(), size)) << size;
  app::TAboutBox about;
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_TRUE(showsTheHandset(about.windowIcon(), 32));
  QLabel* icon = about.findChild<QLabel*>("icon");
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(showsTheHandset(QIcon(icon->pixmap()), 64));
}
