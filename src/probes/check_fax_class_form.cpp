#include "probes/check_fax_class_form.h"

#include <QLabel>

#include <exception>

#include "app/port_opening.h"
#include "fax/send_fax.h"
#include "platform/message_pump.h"
#include "probes/modem_queries.h"
#include "serial/com_port.h"

namespace quillon::probes {

namespace {
QStringList classLineNames() { return {QStringLiteral("Label1"), QStringLiteral("Label2"), QStringLiteral("Label3")}; }

QStringList initialClassLines() {
  QStringList lines;
  for (int i = 0; i < kClassLines; ++i) lines << InitialClassLine(i);
  return lines;
}
}  // namespace

TCheckFaxClassForm::TCheckFaxClassForm(serial::TApdCustomComPort& port, int portNumber, QWidget* parent)
    : TProbeForm(parent, QStringLiteral("Finding Fax Class...Please wait"), QStringLiteral("Fax Classes:"),
                 classLineNames(), initialClassLines(), QStringLiteral("Status"),
                 QStringLiteral("Testing Fax Classes...please wait.")),
      port_(port),
      portNumber_(portNumber) {}

void TCheckFaxClassForm::runProbe() {
  recommended_ = {};
  support_ = {};
  message()->setText(QStringLiteral("Opening Com Port...please wait"));
  platform::pumpMessages();
  const QString opening = app::OpenCommPort(port_, portNumber_);
  if (!opening.isEmpty()) {
    showUnknown(opening);
  } else {
    waitTicks(12);
    ResetModem(port_);
    const QString outcome = queryClasses();
    if (outcome != QLatin1String("OK")) {
      showUnknown(outcome);
    } else {
      recommended_ = Recommend(support_);
      for (int i = 0; i < kClassLines; ++i) line(i)->setText(ClassLine(i, support_, recommended_));
      if (recommended_.result == 2) {
        QFont bold = line(2)->font();
        bold.setBold(true);
        line(2)->setFont(bold);
      }
      message()->setText(RecommendationText(recommended_));
    }
  }
  ClosePort(port_);
  platform::pumpMessages();
}

QString TCheckFaxClassForm::queryClasses() {
  message()->setText(QStringLiteral("Querying modem Fax Class support..."));
  platform::pumpMessages();
  // A component of its own: one that has asked before keeps the first modem's answer, and
  // the port may lead to another modem now.
  fax::TApdSendFax fax;
  fax.SetComPort(&port_);
  try {
    // A modem that stays silent or talks nonsense costs up to two answer time-outs: the
    // window keeps painting meanwhile.
    fax::TFaxClassSet classes = RunWhileEventsRun([&fax] { return fax.ModemClasses(); });
    support_.class1 = classes.has(fax::fcClass1);
    support_.class2 = classes.has(fax::fcClass2);
    support_.class2_0 = classes.has(fax::fcClass2_0);
  } catch (const std::exception&) {
    support_ = {};
  }
  fax.SetComPort(nullptr);
  message()->clear();
  if (!support_.any())
    return QStringLiteral("Unable to determine Fax Class support from modem on Com %1").arg(portNumber_);
  return QStringLiteral("OK");
}

void TCheckFaxClassForm::showUnknown(const QString& why) {
  message()->setText(why);
  for (int i = 0; i < kClassLines; ++i) line(i)->setText(UnknownClassLine(i));
}

}  // namespace quillon::probes
