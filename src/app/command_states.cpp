#include "app/command_states.h"

namespace quillon::app {

CommandStates commandStates(ListPage page, bool receiving, bool sentEmpty, bool receivedEmpty) {
  CommandStates s;
  bool outgoing = page == ListPage::Outgoing;
  s.sentGrid = !sentEmpty;
  s.receivedGrid = !receivedEmpty;
  s.newFax = outgoing;
  s.cloneFax = outgoing && !sentEmpty;
  s.sendFax = outgoing && !receiving && !sentEmpty;
  s.rebuildIndexes = !receiving;
  s.preferences = !receiving;
  if (outgoing) {
    // Sent faxes stay editable while receiving; only sending needs the modem.
    s.editFax = s.deleteFax = s.viewFax = !sentEmpty;
  } else {
    s.editFax = s.deleteFax = !receiving && !receivedEmpty;
    s.viewFax = !receivedEmpty;
  }
  s.receive = true;
  return s;
}

}  // namespace quillon::app
