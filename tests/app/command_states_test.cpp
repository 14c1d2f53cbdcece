#include "app/command_states.h"

#include <gtest/gtest.h>

using namespace quillon::app;

TEST(CommandStates, EmptyListsAllowOnlyNewReceiveAndMaintenance) {
  CommandStates s = commandStates(ListPage::Outgoing, false, true, true);
  EXPECT_TRUE(s.newFax);
  EXPECT_TRUE(s.receive);
  EXPECT_TRUE(s.rebuildIndexes);
  EXPECT_TRUE(s.preferences);
  EXPECT_FALSE(s.sendFax || s.cloneFax || s.editFax || s.deleteFax || s.viewFax);
  EXPECT_FALSE(s.sentGrid || s.receivedGrid);
}

TEST(CommandStates, ReceiveModeKeepsSentFaxesEditableButNotSendable) {
  CommandStates s = commandStates(ListPage::Outgoing, true, false, false);
  EXPECT_TRUE(s.editFax && s.deleteFax && s.viewFax && s.newFax && s.cloneFax);
  EXPECT_FALSE(s.sendFax);
  EXPECT_FALSE(s.rebuildIndexes);
  EXPECT_FALSE(s.preferences);
  EXPECT_TRUE(s.receive);  // it is the way out of receive mode
}

TEST(CommandStates, ReceiveModeLeavesOnlyViewOnTheIncomingPage) {
  CommandStates s = commandStates(ListPage::Incoming, true, false, false);
  EXPECT_TRUE(s.viewFax);
  EXPECT_FALSE(s.editFax || s.deleteFax || s.sendFax || s.newFax || s.cloneFax);
  CommandStates idle = commandStates(ListPage::Incoming, false, false, false);
  EXPECT_TRUE(idle.editFax && idle.deleteFax && idle.viewFax);
  EXPECT_FALSE(idle.newFax || idle.cloneFax || idle.sendFax);
}

TEST(CommandStates, EachPageLooksAtItsOwnList) {
  // Outgoing page with an empty sent list but received faxes: nothing to act on.
  CommandStates out = commandStates(ListPage::Outgoing, false, true, false);
  EXPECT_FALSE(out.editFax || out.deleteFax || out.viewFax || out.sendFax);
  EXPECT_TRUE(out.receivedGrid);
  EXPECT_FALSE(out.sentGrid);
  // Incoming page with an empty received list but sent faxes.
  CommandStates in = commandStates(ListPage::Incoming, false, false, true);
  EXPECT_FALSE(in.editFax || in.deleteFax || in.viewFax);
  EXPECT_TRUE(in.sentGrid);
}

TEST(CommandStates, EveryCombinationKeepsReceiveAndTiesSendToTheOutgoingPage) {
  for (ListPage page : {ListPage::Outgoing, ListPage::Incoming})
    for (bool receiving : {false, true})
      for (bool sentEmpty : {false, true})
        for (bool receivedEmpty : {false, true}) {
          CommandStates s = commandStates(page, receiving, sentEmpty, receivedEmpty);
          EXPECT_TRUE(s.receive);
          EXPECT_EQ(s.sendFax, page == ListPage::Outgoing && !receiving && !sentEmpty);
          EXPECT_EQ(s.newFax, page == ListPage::Outgoing);
          EXPECT_EQ(s.rebuildIndexes, !receiving);
        }
}
