#pragma once
// The receive-mode notice: a small window on top while receive mode starts ("Please wait
// ...") and once it is ready (what receive mode means and how to end it).
#include <QDialog>

class QWidget;

namespace quillon::app {

class TStartingFaxForm : public QDialog {
  Q_OBJECT

 public:
  explicit TStartingFaxForm(QWidget* parent = nullptr);

  void showStarting();  // centred over the main window, shown at once
  void showReady();
  bool isReady() const;

 private:
  QWidget* startingPanel_;
  QWidget* readyPanel_;
};

}  // namespace quillon::app
