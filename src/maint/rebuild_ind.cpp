#include "maint/rebuild_ind.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "qtplatform/busy_guards.h"

namespace quillon::maint {

TRebuildInd::TRebuildInd(store::FaxStore& store, QWidget* parent) : QDialog(parent), store_(store) {
  setObjectName(QStringLiteral("RebuildInd"));
  setWindowTitle(QStringLiteral("Rebuild Indexes"));
  Label1 = new QLabel(QStringLiteral("Please wait..."), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  QFont big = Label1->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.3);
  Label1->setFont(big);
  Label1->setAlignment(Qt::AlignCenter);
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignCenter);
  // Wide enough for the longest line, so the window does not jump while it works.
  Label2->setMinimumWidth(Label2->fontMetrics().horizontalAdvance(
                              QStringLiteral("Removing Received FAX records marked for deletion")) + 40);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 20, 24, 20);
  layout->addWidget(Label1);
  layout->addSpacing(10);
  layout->addWidget(Label2);
}

void TRebuildInd::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // After the window has painted itself.
  QTimer::singleShot(0, this, &TRebuildInd::run);
}

void TRebuildInd::run() {
  running_ = true;
  {
    qtplatform::BusyCursor busy;
    auto progress = [this](const std::string& line) {
      linesShown_.push_back(line);
      Label2->setText(QString::fromStdString(line));
      // Keep the window painted between the steps; the user cannot act on it meanwhile.
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    try {
      succeeded_ = store_.rebuildIndexes(progress, &problems_);
    } catch (const std::exception& e) {
      succeeded_ = false;
      problems_.push_back(e.what());
    }
  }
  running_ = false;
  finished_ = true;
  // The close request is posted, so it arrives after whatever the steps left queued.
  QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

void TRebuildInd::closeEvent(QCloseEvent* event) {
  if (running_) event->ignore();  // a half-packed table must not be left behind
  else QDialog::closeEvent(event);
}

void TRebuildInd::reject() {
  if (!running_) QDialog::reject();
}

bool runIndexRebuild(store::FaxStore& store, QWidget* parent) {
  std::vector<std::string> problems;
  bool ok = false;
  {
    TRebuildInd window(store, parent);
    window.adjustSize();
    app::centreWindow(&window);
    window.exec();
    ok = window.succeeded();
    problems = window.problems();
  }
  if (!problems.empty()) {
    QString text = QStringLiteral("Some tables could not be rebuilt:");
    for (const auto& p : problems) text += QLatin1Char('\n') + QString::fromStdString(p);
    app::InfoBox(text);
  }
  return ok;
}

}  // namespace quillon::maint
