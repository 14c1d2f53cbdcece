#pragma once
// A fax store in a scratch folder with the sent and received tables open; "today" is fixed at
// 15 June 2024 so date conditions are repeatable.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "store/fax_store.h"
#include "support/temp_dir.h"

namespace quillon::test {

class OpenStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.setToday(store::Date{2024, 6, 15});
    store = std::make_unique<store::FaxStore>(dir.path(), env);
    ASSERT_TRUE(store->openFaxDBF());
    ASSERT_TRUE(store->openRecFaxDBF());
  }
  // Appends a sent-table entry; with a date it is marked sent on that day.
  void addSent(const std::string& recipient, store::Date date = {}, const std::string& phone = "555") {
    ASSERT_TRUE(store->appendSent(store::SentEntry{recipient, "s", phone, "", ""}));
    if (!date.empty()) {
      ASSERT_TRUE(store->writeSendOutcome(1, "Sent", phone, date, "12:00"));
    }
  }

  TempDir dir;
  xbase::Environment env;
  std::unique_ptr<store::FaxStore> store;
};

}  // namespace quillon::test
