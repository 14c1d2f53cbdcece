#pragma once
// TConfigurationInfo: the configuration report in a read-only box, with a button that copies
// it to the clipboard for a message to technical support.
#include <QDialog>
#include <QStringList>

#include <string>

#include "settings/settings.h"
#include "sysinfo/config_report.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillon::maint {

class TConfigurationInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TConfigurationInfo(const QStringList& lines, QWidget* parent = nullptr);

  QStringList lines() const { return lines_; }
  void CopyButtonClick();

  QLabel* Note = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPushButton *CopyButton = nullptr, *OkButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QStringList lines_;
};

// The report's inputs from this machine: the system facts below `root`, the primary screen,
// the user's and the system's locale, the [Ports] mapping of the settings file.
sysinfo::ReportInputs gatherReportInputs(const settings::Settings& values, const std::string& iniPath,
                                         const std::string& dataFolder, const std::string& root = "/");
QStringList reportLines(const sysinfo::ReportInputs& inputs);

// ConfigurationInformation1Click: builds the report and shows it modally.
void showConfigurationInformation(const settings::Settings& values, const std::string& iniPath,
                                  const std::string& dataFolder, QWidget* parent);

}  // namespace quillon::maint
