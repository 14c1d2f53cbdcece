#pragma once
// The frame both probe windows share: a heading over one line per thing probed, a message,
// a progress bar while the probe runs and an "Ok" button shown once it is over. The probe
// runs once, when the window is first shown; until it ends the window cannot be closed.
#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon::probes {

class TProbeForm : public QDialog {
  Q_OBJECT

 public:
  bool probing() const { return probing_; }
  bool probed() const { return probed_; }

 protected:
  // `lineNames` are the object names of the lines (`Label1`, ...), `messageName` the
  // message label's.
  TProbeForm(QWidget* parent, const QString& caption, const QString& heading, const QStringList& lineNames,
             const QStringList& lineTexts, const QString& messageName, const QString& message);

  // The probe itself; `doneCaption` is the window's caption once it is over.
  virtual void runProbe() = 0;
  virtual QString doneCaption() const = 0;

  QLabel* line(int i) const { return lines_[i]; }
  int lineCount() const { return static_cast<int>(lines_.size()); }
  QLabel* message() const { return message_; }
  QProgressBar* progress() const { return progress_; }

  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void run();

  QList<QLabel*> lines_;
  QLabel* message_;
  QProgressBar* progress_;
  QPushButton* okButton_;
  bool started_ = false;
  bool probing_ = false;
  bool probed_ = false;
};

}  // namespace quillon::probes
