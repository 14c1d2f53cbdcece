#pragma once
// Answers the next modal message box the code under test opens, recording its text, so
// tests can walk through questions and notices as a user would.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace quillon::test {

struct ModalAnswer {
  QString text;
  QString caption;
  QRect frame;   // where the box stands
  QRect screen;  // on which screen
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  bool seen = false;
};

// Presses `button` on the next message box; the returned record is filled when it appears.
inline std::shared_ptr<ModalAnswer> answerNextMessageBox(QMessageBox::StandardButton button) {
  auto answer = std::make_shared<ModalAnswer>();
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    answer->seen = true;
    answer->text = box->text();
    answer->caption = box->windowTitle();
    answer->frame = box->frameGeometry();
    answer->screen = box->screen()->geometry();
    if (box->defaultButton()) answer->defaultButton = box->standardButton(box->defaultButton());
    timer->stop();
    timer->deleteLater();
    box->done(button);
  });
  timer->start();
  return answer;
}

}  // namespace quillon::test

namespace quillon::test {

// Fails the running test instead of hanging when a message box nobody answers stays open
// for two seconds; the box is then closed.
class StrayMessageBoxGuard {
 public:
  StrayMessageBoxGuard() {
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != box_) {
        box_ = box;
        ticks_ = 0;
        return;
      }
      if (box && ++ticks_ >= 20) {
        ADD_FAILURE() << "unanswered message box: " << box->text().toStdString();
        box->done(QMessageBox::Cancel);
        box_ = nullptr;
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
  QMessageBox* box_ = nullptr;
  int ticks_ = 0;
};

}  // namespace quillon::test
