// The configuration window on this machine: the report's sections, the settings file's
// heading, copying to the clipboard with its notice.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "app/modal_answer.h"
#include "maint/config_info.h"
#include "support/temp_dir.h"

namespace quillon::maint {
namespace {

TEST(ConfigurationWindow, ShowsTheReportAndCopiesIt) {
  test::TempDir dir;
  dir.write("QLN.INI", "[Ports]\r\nCOM2=emulator\r\n");
  settings::Settings values;
  values.comPort = 1;
  QStringList lines = reportLines(gatherReportInputs(values, dir.file("QLN.INI"), dir.path()));
  for (const QString& heading : {QStringLiteral("[Product]"), QStringLiteral("[Environment]"),
                                 QStringLiteral("[Modem Settings in Registry]"), QStringLiteral("[Ports]"),
                                 QStringLiteral("COM2=emulator"), QStringLiteral("[") + QString::fromStdString(dir.file("QLN.INI")) + "]",
                                 QStringLiteral("{general}"), QStringLiteral("{sending}"),
                                 QStringLiteral("{receiving}"), QStringLiteral("{misc}"),
                                 QStringLiteral("COM Port:             \t2")})
    EXPECT_TRUE(lines.contains(heading)) << heading.toStdString();
  bool video = false;
  for (const QString& l : lines) video |= l.startsWith(QStringLiteral("Video:       \t")) && l.endsWith(" colors");
  EXPECT_TRUE(video);

  TConfigurationInfo window(lines);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Configuration Information"));
  EXPECT_TRUE(window.Note->text().startsWith(QStringLiteral("If you are sending a message to VNT Technical Support")));
  EXPECT_TRUE(window.Memo1->isReadOnly());
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.Memo1->textCursor().position(), 0);
  auto notice = test::answerNextMessageBox(QMessageBox::Ok);
  window.CopyButtonClick();
  EXPECT_EQ(notice->text, QStringLiteral("Information copied to Windows clipboard"));
  EXPECT_EQ(notice->caption, QStringLiteral("Configuration Information"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), lines.join('\n') + '\n');
}

}  // namespace
}  // namespace quillon::maint
