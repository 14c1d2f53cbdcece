#pragma once
// TRebuildInd: packs the four tables and rebuilds their index tags while it shows what it
// is doing. The work starts when the window is first shown; when it is done the window
// closes itself.
#include <QDialog>

#include <string>
#include <vector>

#include "store/fax_store.h"

class QLabel;

namespace quillon::maint {

class TRebuildInd : public QDialog {
  Q_OBJECT

 public:
  explicit TRebuildInd(store::FaxStore& store, QWidget* parent = nullptr);

  bool finished() const { return finished_; }
  bool succeeded() const { return succeeded_; }
  // One line per table that could not be opened, packed or indexed.
  const std::vector<std::string>& problems() const { return problems_; }
  // Every progress line shown, in order.
  const std::vector<std::string>& linesShown() const { return linesShown_; }

  QLabel* Label1 = nullptr;  // "Please wait..."
  QLabel* Label2 = nullptr;  // the changing line

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void run();

  store::FaxStore& store_;
  bool started_ = false, running_ = false, finished_ = false, succeeded_ = false;
  std::vector<std::string> problems_, linesShown_;
};

// Shows the rebuild modally over `parent` and tells the user about tables it could not
// handle. Returns true when every table was packed and indexed.
bool runIndexRebuild(store::FaxStore& store, QWidget* parent);

}  // namespace quillon::maint
