#include "app/fax_list_model.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include "app/fake_list_source.h"

using namespace quillon;
using quillon::test::FakeListSource;

namespace {
int columnOf(const app::FaxListModel& model, const char* label) {
  for (int c = 0; c < model.columnCount(); ++c)
    if (model.headerData(c, Qt::Horizontal).toString() == QLatin1String(label)) return c;
  return -1;
}
}  // namespace

TEST(FaxListModel, OutgoingColumnsAndCalculatedFields) {
  FakeListSource source;
  // SENT, DATESENT, TIMESENT, RECIPIENT, PHONE, PAGES, SUBJECT, LASTRESULT as stored
  source.rows.push_back({1, false, {"T", "20261208", "14:05", "Smith & Co\xE9    ", "555 1234   ", " 3", "Report  ", "Sent   "}});
  source.rows.push_back({2, true, {"F", "        ", "     ", "Jones", "555", " 0", "Draft \x80\x96 \x93q\x94\x81", "Busy"}});
  app::FaxListModel model(app::outgoingListLayout(), source);

  QStringList labels;
  for (int c = 0; c < model.columnCount(); ++c) labels << model.headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(labels, (QStringList{"Sent", "Date Sent", "Time Sent", "Recipient", "Phone", "Pages", "Subject",
                                 "Last Attempt", "ISDELETED"}));
  EXPECT_FALSE(app::outgoingListLayout().columns.back().visible);

  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.text(0, columnOf(model, "Sent")), "Yes");
  EXPECT_EQ(model.text(1, columnOf(model, "Sent")), "No ");  // three characters
  EXPECT_EQ(model.text(0, columnOf(model, "ISDELETED")), "No ");
  EXPECT_EQ(model.text(1, columnOf(model, "ISDELETED")), "Yes");
  EXPECT_EQ(model.text(0, columnOf(model, "Recipient")), QString::fromUtf8("Smith & Co\u00e9"));
  // Code page 1252: euro sign, en dash, curly quotes; an undefined position stays itself.
  EXPECT_EQ(model.text(1, columnOf(model, "Subject")), QString::fromUtf8("Draft \u20ac\u2013 \u201cq\u201d\u0081"));
  EXPECT_EQ(model.text(0, columnOf(model, "Pages")), "3");
  EXPECT_EQ(model.text(0, columnOf(model, "Date Sent")),
            QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat));
  EXPECT_EQ(model.text(1, columnOf(model, "Date Sent")), "");  // never sent: empty date
  EXPECT_EQ(model.data(model.index(0, columnOf(model, "Pages")), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
            Qt::AlignRight);
}

TEST(FaxListModel, IncomingColumns) {
  FakeListSource source;
  source.rows.push_back({5, false, {"20261201", "09:30", "+1 555 0100", " 2", "call back", "FAX0001.APF"}});
  app::FaxListModel model(app::incomingListLayout(), source);
  QStringList labels;
  for (int c = 0; c < model.columnCount(); ++c) labels << model.headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(labels, (QStringList{"Date Rec'd", "Time Rec'd", "From", "Pages", "Notes", "Fax File", "ISDELETED"}));
  EXPECT_EQ(model.text(0, columnOf(model, "From")), "+1 555 0100");
  EXPECT_EQ(model.text(0, columnOf(model, "Fax File")), "FAX0001.APF");
  EXPECT_EQ(model.text(0, columnOf(model, "ISDELETED")), "No ");
}

TEST(FaxListModel, RowsAreReadOnDemandAndTheCacheStaysBounded) {
  FakeListSource source;
  source.size = 100000;
  app::FaxListModel model(app::outgoingListLayout(), source);
  EXPECT_EQ(model.rowCount(), 100000);
  EXPECT_EQ(source.reads, 0);  // nothing read until a row is shown
  for (int c = 0; c < model.columnCount(); ++c) model.text(99999, c);
  EXPECT_EQ(source.reads, 1);  // one read serves every column of the row
  for (int r = 0; r < app::FaxListModel::kCachedRows * 2; ++r) model.text(r, 0);
  long before = source.reads;
  model.text(99999, 0);  // evicted by the long scroll, so read again
  EXPECT_EQ(source.reads, before + 1);
}

TEST(FaxListModel, RefreshFollowsTheSourceGeneration) {
  FakeListSource source;
  source.rows.push_back({1, false, {"F", "", "", "Old", "", "", "", ""}});
  app::FaxListModel model(app::outgoingListLayout(), source);
  int resets = 0;
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  EXPECT_EQ(model.text(0, 3), "Old");
  EXPECT_FALSE(model.refresh());  // unchanged: the view keeps its rows
  source.rows[0].values[3] = "New";
  source.rows.push_back({2, false, {"F", "", "", "Second", "", "", "", ""}});
  ++source.gen;
  EXPECT_TRUE(model.refresh());
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.text(0, 3), "New");  // the cached row was dropped
  EXPECT_EQ(model.text(5, 3), "");     // past the end: empty, no crash
}
