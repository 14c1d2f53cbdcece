#pragma once
// The about window: program name and version.
#include <QDialog>

namespace quillon::app {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace quillon::app
