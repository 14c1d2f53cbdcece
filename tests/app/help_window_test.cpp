#include "app/help_window.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace quillon::app;

TEST(Help, EveryContextTheWindowsUseHasATopic) {
  // Main menu, log cleanup, phone book, cover templates, fax editor, send dialog, viewer,
  // preferences wizard pages and its troubleshooting buttons.
  for (int context : {1009, 911, 1025, 411, 21071, 1019, 1020, 1017, 1018, 1015, 1016, 1026, 1021, 1022, 3501,
                      3502, 3503, 1032})
    EXPECT_TRUE(helpTopicExists(context)) << context;
  EXPECT_FALSE(helpTopicExists(4711));
}

TEST(Help, TopicsHaveTitlesAndTheirLinksLeadToTopics) {
  QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")});
  int topics = 0;
  QRegularExpression link(QStringLiteral("href=\"([^\"#]+)\""));
  while (it.hasNext()) {
    QString path = it.next();
    ++topics;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString html = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(html.contains(QRegularExpression("<title>[^<]+</title>"))) << path.toStdString();
    auto matches = link.globalMatch(html);
    while (matches.hasNext()) {
      QString target = matches.next().captured(1);
      EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + target)) << path.toStdString() << " -> " << target.toStdString();
    }
  }
  EXPECT_GE(topics, 18);
}

TEST(Help, WindowOpensByContextAndFallsBackToTheContents) {
  HelpWindow* window = showHelp(411);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->currentContext(), 411);
  EXPECT_EQ(window->currentTitle(), "Troubleshooting Tips");
  EXPECT_EQ(showHelp(911), window);  // one help window, brought forward
  EXPECT_EQ(window->currentContext(), 911);
  showHelp(4711);
  EXPECT_EQ(window->currentContext(), 1009);
  window->close();
}
