#include "app/hints.h"

#include <QCoreApplication>
#include <QEvent>

namespace quillon::app {

HintSwitch::HintSwitch(QObject* parent) : QObject(parent) {
  if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

bool HintSwitch::eventFilter(QObject* watched, QEvent* event) {
  if (!enabled_ && event->type() == QEvent::ToolTip) return true;  // hints off: swallow
  return QObject::eventFilter(watched, event);
}

int HintTimingStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                               QStyleHintReturn* returnData) const {
  if (hint == SH_ToolTip_WakeUpDelay) return kHintDelayMs;
  return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace quillon::app
