#include "qtplatform/busy_guards.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace quillon::qtplatform;

namespace {
bool busy() { return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor; }

void failingStep(QLabel* label) {
  BusyCursor cursor;
  StatusText status(label, "Preparing files for viewing...");
  EXPECT_TRUE(busy());
  EXPECT_EQ(label->text(), "Preparing files for viewing...");
  status.set("Loading viewer...");
  EXPECT_EQ(label->text(), "Loading viewer...");
  throw std::runtime_error("step failed");
}
}  // namespace

TEST(BusyGuards, CursorAndStatusComeBackOnNormalAndExceptionalExit) {
  QLabel label;
  {
    BusyCursor outer;
    {
      BusyCursor inner;  // nested operations
    }
    EXPECT_TRUE(busy());
  }
  EXPECT_FALSE(busy());
  EXPECT_THROW(failingStep(&label), std::runtime_error);
  EXPECT_FALSE(busy());
  EXPECT_TRUE(label.text().isEmpty());
}

TEST(BusyGuards, StatusSurvivesTheLabelGoingAway) {
  auto* label = new QLabel;
  {
    StatusText status(label, "Starting receive mode...");
    delete label;
    status.set("still fine");
  }
  SUCCEED();
}
