#pragma once
// "Finding Modem...Please wait": tries COM1 to COM6, and every higher port the [Ports] mapping
// names, for a modem that answers "AT", with one line per port, and proposes the first one.
#include <vector>

#include "probes/probe_form.h"

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::probes {

class TFindModemForm : public TProbeForm {
  Q_OBJECT

 public:
  // `port` is the caller's port component; the probe changes its port number.
  explicit TFindModemForm(serial::TApdCustomComPort& port, QWidget* parent = nullptr);
  // Probes `ports` instead (one line each).
  TFindModemForm(serial::TApdCustomComPort& port, std::vector<int> ports, QWidget* parent = nullptr);

  // The first port on which a modem answered, or -1.
  int result() const { return result_; }
  // The port numbers probed, in the order of the lines.
  const std::vector<int>& portNumbers() const { return ports_; }

 protected:
  void runProbe() override;
  QString doneCaption() const override { return QStringLiteral("Find Modem"); }

 private:
  serial::TApdCustomComPort& port_;
  std::vector<int> ports_;
  int result_ = -1;
};

// COM1 to COM6 and every higher port number [Ports] in the data folder's QLN.INI names.
std::vector<int> PortsToProbe();

}  // namespace quillon::probes
