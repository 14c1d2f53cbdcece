#pragma once
// What the send dialog and the preferences wizard call behind their "Find Modem" and
// "Check Fax Class" buttons: the probe window, then the question whether to take its
// proposal. Port numbers are COM numbers (1 = COM1), since a caller's port list may hold
// mapped ports above COM6.
class QWidget;

namespace quillon::serial {
class TApdCustomComPort;
}

namespace quillon::probes {

// Probes the ports with the caller's `port` (its port number is put back to
// `selectedPort` afterwards). When a modem answered on another port, asks "Set Com Port to
// Com n" and returns n on Yes; otherwise returns `selectedPort`.
int FindModem(QWidget* parent, serial::TApdCustomComPort& port, int selectedPort);

// Tests the modem on COM`portNumber` with the caller's `port` (closed again afterwards).
// `classIndex` is the item index of the class choice being set ("auto detect", "class 1",
// "class 2", "class 2.0"); when the recommended class differs from it, asks "Set fax class
// as <name> ?" and returns the recommended item index on Yes; otherwise `classIndex`.
int CheckFaxClass(QWidget* parent, serial::TApdCustomComPort& port, int portNumber, int classIndex);

}  // namespace quillon::probes
