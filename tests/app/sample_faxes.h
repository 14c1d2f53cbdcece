#pragma once
// Sample outgoing and incoming faxes for screenshots, smoke tests and benchmarks: believable
// names, subjects and results, spread over the last weeks.
#include <array>
#include <cstdio>
#include <string>

#include "store/fax_store.h"
#include "xbase/date.h"

namespace quillon::test {

inline bool addSampleFaxes(store::FaxStore& store, int sent, int received) {
  static const std::array<const char*, 8> names = {"Harbour Freight Ltd", "Dr. Amelie Laurent", "City Planning Office",
                                                   "Northwind Traders",   "M. Okafor",          "Baker & Sons Solicitors",
                                                   "Riverside Clinic",    "Kowalski Engineering"};
  static const std::array<const char*, 8> subjects = {"Quotation 2291",     "Signed contract",  "Building permit forms",
                                                      "Order confirmation", "Lab results",      "Meeting agenda",
                                                      "Invoice 1187",       "Revised drawings"};
  static const std::array<const char*, 4> results = {"Sent", "Busy", "No answer", "Sent"};
  xbase::Date base{2026, 11, 30};
  for (int i = 0; i < sent; ++i) {
    store::SentEntry entry;
    entry.recipient = names[i % names.size()];
    entry.subject = subjects[(i * 3) % subjects.size()];
    entry.phone = "+1 555 01" + std::to_string(10 + i % 90);
    if (!store.appendSent(entry)) return false;
    if (i % 5 != 4) {  // most have been tried; a few are still drafts
      std::string result = results[i % results.size()];
      xbase::Date day = xbase::Date::fromJulian(base.julian() - i % 40);
      std::string time = std::to_string(10 + i % 9) + ":" + std::to_string(10 + (i * 7) % 50);
      if (!store.writeSendOutcome(1 + i % 6, result, entry.phone, day, time)) return false;
    }
  }
  static const std::array<const char*, 5> senders = {"+44 20 7946 0018", "ACME SALES", "", "+1 555 0142",
                                                     "CLINIC FAX"};
  for (int i = 0; i < received; ++i) {
    store::ReceivedEntry entry;
    entry.date = xbase::Date::fromJulian(base.julian() - i % 30);
    entry.time = std::to_string(10 + i % 12) + ":" + std::to_string(10 + (i * 11) % 50);
    entry.from = senders[i % senders.size()];
    entry.pages = 1 + i % 4;
    char name[16];
    std::snprintf(name, sizeof name, "FAX%04d.APF", 1 + i % 9999);
    entry.faxFile = name;
    if (!store.appendReceived(entry)) return false;
  }
  return true;
}

}  // namespace quillon::test
