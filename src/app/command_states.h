#pragma once
// Which commands of the main window are available, from the page shown, receive mode and
// whether each list has a current record.
namespace quillon::app {

enum class ListPage { Outgoing = 0, Incoming = 1 };

struct CommandStates {
  bool sentGrid = false, receivedGrid = false;
  bool newFax = false, cloneFax = false, sendFax = false;
  bool editFax = false, deleteFax = false, viewFax = false;
  bool rebuildIndexes = false, preferences = false;
  bool receive = true;  // always: it toggles receive mode
  bool operator==(const CommandStates&) const = default;
};

CommandStates commandStates(ListPage page, bool receiving, bool sentEmpty, bool receivedEmpty);

}  // namespace quillon::app
