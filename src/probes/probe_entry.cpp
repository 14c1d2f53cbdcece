#include "probes/probe_entry.h"

#include "app/dialogs.h"
#include "probes/check_fax_class_form.h"
#include "probes/find_modem_form.h"
#include "serial/com_port.h"

namespace quillon::probes {

int FindModem(QWidget* parent, serial::TApdCustomComPort& port, int selectedPort) {
  int found = -1;
  {
    TFindModemForm form(port, parent);
    form.exec();
    found = form.result();
  }
  port.SetComNumber(selectedPort);
  if (found > 0 && found != selectedPort &&
      app::AskYesNo(QStringLiteral("Set Com Port to Com %1").arg(found), QStringLiteral("Com Port")))
    return found;
  return selectedPort;
}

int CheckFaxClass(QWidget* parent, serial::TApdCustomComPort& port, int portNumber, int classIndex) {
  TCheckFaxClassForm form(port, portNumber, parent);
  form.exec();
  const int proposed = form.result() + 1;
  if (form.result() >= 0 && proposed != classIndex &&
      app::AskYesNo(QStringLiteral("Set fax class as ") + form.resultName() + QStringLiteral(" ?"),
                    QStringLiteral("Fax Class")))
    return proposed;
  return classIndex;
}

}  // namespace quillon::probes
