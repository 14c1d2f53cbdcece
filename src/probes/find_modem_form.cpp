#include "probes/find_modem_form.h"

#include <QLabel>
#include <QProgressBar>

#include "platform/data_folder.h"
#include "platform/message_pump.h"
#include "ports/port_mapping.h"
#include "probes/modem_queries.h"
#include "settings/settings_store.h"

namespace quillon::probes {

namespace {
constexpr int kStandardPorts = 6;

QString comText(int n) { return QStringLiteral("Com %1: ").arg(n); }

QStringList lineNames(const std::vector<int>& ports) {
  QStringList names;
  for (int n : ports)
    names << (n <= kStandardPorts ? QStringLiteral("Label%1").arg(n) : QStringLiteral("LabelCom%1").arg(n));
  return names;
}

QStringList lineTexts(const std::vector<int>& ports) {
  QStringList texts;
  for (int n : ports) texts << comText(n).trimmed();
  return texts;
}
}  // namespace

std::vector<int> PortsToProbe() {
  std::vector<int> ports;
  for (int n = 1; n <= kStandardPorts; ++n) ports.push_back(n);
  settings::IniDocument ini = settings::SettingsStore(platform::dataFolder()).read();
  for (int n : ports::mappedPorts(ini))
    if (n > kStandardPorts) ports.push_back(n);
  return ports;
}

TFindModemForm::TFindModemForm(serial::TApdCustomComPort& port, QWidget* parent)
    : TFindModemForm(port, PortsToProbe(), parent) {}

TFindModemForm::TFindModemForm(serial::TApdCustomComPort& port, std::vector<int> ports, QWidget* parent)
    : TProbeForm(parent, QStringLiteral("Finding Modem...Please wait"), QStringLiteral("Communications Ports:"),
                 lineNames(ports), lineTexts(ports), QStringLiteral("Label7"),
                 QStringLiteral("Testing Communications ports...please wait.")),
      port_(port),
      ports_(std::move(ports)) {}

void TFindModemForm::runProbe() {
  bool someInUse = false;
  progress()->setRange(0, lineCount());
  for (int i = 0; i < lineCount(); ++i) {
    const int n = ports_[static_cast<std::size_t>(i)];
    line(i)->setText(comText(n) + QStringLiteral("TESTING"));
    progress()->setValue(i);
    platform::pumpMessages();
    PortProbe probe = ProbePort(port_, n);
    if (probe.modem && result_ < 0) result_ = n;
    someInUse = someInUse || probe.inUse;
    line(i)->setText(comText(n) + probe.outcome);
  }
  progress()->setValue(lineCount());
  const QString hint = QStringLiteral("If you know which Com port your modem uses, you can also just set the Port to that setting");
  if (result_ > 0) {
    message()->setText(QStringLiteral("A modem was found on Com Port %1. We suggest setting the Port as Com %1.").arg(result_));
  } else if (someInUse) {
    message()->setText(QStringLiteral("No modem found. Please make sure that all communication programs (internet, "
                                      "AOL, etc) are closed, and then try again. ") + hint);
  } else {
    message()->setText(QStringLiteral("No modem found. ") + hint);
  }
}

}  // namespace quillon::probes
