#include "app/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/dialogs.h"

namespace quillon::app {

QString helpTopicPath(int context) { return QStringLiteral(":/help/%1.html").arg(context); }

bool helpTopicExists(int context) { return QFile::exists(helpTopicPath(context)); }

HelpWindow* showHelp(int context) {
  static QPointer<HelpWindow> window;
  if (!window) {
    window = new HelpWindow(mainWindow());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(640, 520);
    centreWindow(window);
  }
  window->showTopic(context);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Quillon Help"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  browser_->setSearchPaths({QStringLiteral(":/help")});
  browser_->setOpenExternalLinks(true);
  auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
  auto* back = new QPushButton(QStringLiteral("&Back"), this);
  auto* close = new QPushButton(QStringLiteral("C&lose"), this);
  connect(contents, &QPushButton::clicked, this, [this] { showTopic(kHelpContents); });
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    context_ = url.fileName().section('.', 0, 0).toInt();
    setWindowTitle(QStringLiteral("Quillon Help - ") + currentTitle());
  });
  back->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_);
  layout->addLayout(buttons);
}

void HelpWindow::showTopic(int context) {
  if (!helpTopicExists(context)) context = kHelpContents;
  browser_->setSource(QUrl(QStringLiteral("qrc") + helpTopicPath(context)));
}

QString HelpWindow::currentTitle() const { return browser_->documentTitle(); }

}  // namespace quillon::app
