#include "qtplatform/busy_guards.h"

#include <QApplication>

#include "platform/message_pump.h"

namespace quillon::qtplatform {

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

StatusText::StatusText(QLabel* label, const QString& text) : label_(label) { set(text); }

StatusText::~StatusText() {
  if (label_) label_->clear();
}

void StatusText::set(const QString& text) {
  if (!label_) return;
  label_->setText(text);
  platform::pumpMessages();  // let the label repaint before the long step goes on
}

}  // namespace quillon::qtplatform
