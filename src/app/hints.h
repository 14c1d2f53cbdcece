#pragma once
// Show Hints: tool tips for the whole program, switched on and off from the Help menu. They
// appear after 1200 ms and stay up to 30 s.
#include <QObject>
#include <QProxyStyle>

namespace quillon::app {

inline constexpr int kHintDelayMs = 1200;
inline constexpr int kHintDisplayMs = 30000;

class HintSwitch : public QObject {
  Q_OBJECT

 public:
  explicit HintSwitch(QObject* parent = nullptr);
  void setEnabled(bool on) { enabled_ = on; }
  bool enabled() const { return enabled_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool enabled_ = true;
};

// The application style with the hint delay; wraps the platform's own style.
class HintTimingStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override;
};

}  // namespace quillon::app
