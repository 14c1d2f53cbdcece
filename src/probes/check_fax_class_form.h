#pragma once
// "Finding Fax Class...Please wait": asks the modem on one port which fax classes it
// supports (AT+FCLASS=?) and recommends one.
#include "probes/class_support.h"
#include "probes/probe_form.h"

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::probes {

class TCheckFaxClassForm : public TProbeForm {
  Q_OBJECT

 public:
  // Tests the modem on COM`portNumber` through the caller's `port` component.
  TCheckFaxClassForm(serial::TApdCustomComPort& port, int portNumber, QWidget* parent = nullptr);

  // 0 (class 1), 1 (class 2), 2 (class 2.0) or -1, and the class's name ("" for none).
  int result() const { return recommended_.result; }
  const QString& resultName() const { return recommended_.name; }
  const ClassSupport& support() const { return support_; }

 protected:
  void runProbe() override;
  QString doneCaption() const override { return QStringLiteral("Check Fax Class"); }

 private:
  // The query's outcome: "OK" or the text that says why the classes are not known.
  QString queryClasses();
  void showUnknown(const QString& why);

  serial::TApdCustomComPort& port_;
  int portNumber_;
  ClassSupport support_;
  ClassRecommendation recommended_;
};

}  // namespace quillon::probes
