// With QUILLON_SCREENSHOTS set to a folder, saves PNG images of the cleanup window on both
// pages, its dialogs, the rebuild window and the configuration report (run under Xvfb with
// QT_QPA_PLATFORM=xcb to see them as the desktop draws them). Skipped otherwise.
#include <QApplication>
#include <QPixmap>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "maint/config_info.h"
#include "maint/date_selector.h"
#include "maint/delete_conditions.h"
#include "maint/dm_form.h"
#include "maint/rebuild_ind.h"
#include "support/temp_dir.h"

namespace quillon::maint {
namespace {

void save(QWidget& w, const std::string& folder, const char* name) {
  w.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  EXPECT_TRUE(w.grab().save(QString::fromStdString(folder + "/" + name + ".png")));
}

TEST(Screenshots, CleanupAndReportWindows) {
  const char* folder = std::getenv("QUILLON_SCREENSHOTS");
  if (!folder) GTEST_SKIP() << "QUILLON_SCREENSHOTS not set";
  test::TempDir dir;
  xbase::Environment env;
  store::FaxStore store(dir.path(), env);
  ASSERT_TRUE(store.openFaxDBF());
  ASSERT_TRUE(store.openRecFaxDBF());
  const char* names[] = {"Smith & Partners", "John Smithers", "Acme Industries", "Globex Corporation"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(store.appendSent({names[i], "Quarterly figures", "555-010" + std::to_string(i), "", ""}));
    if (i < 3) store.writeSendOutcome(2, "Sent", "555-010" + std::to_string(i), {2026, 11, 3 + i}, "10:1" + std::to_string(i));
  }
  store.appendReceived({{2026, 12, 1}, "09:30", "ACME SALES", 3, "FAX0001.APF"});
  {
    TDMForm form(store);
    save(form, folder, "cleanup-outgoing");
    TDeleteForConditions c(&form);
    c.presetOutgoing(QStringLiteral("Smith & Partners"), QStringLiteral("555-0100"));
    save(c, folder, "cleanup-conditions");
    TDateSelector d(&form);
    d.setWindowTitle(QStringLiteral("Delete all before..."));
    d.setDate(QDate(2026, 12, 9));
    save(d, folder, "cleanup-date");
    form.PageControl1->setCurrentIndex(1);
    save(form, folder, "cleanup-incoming");
    TDeleteForConditions ci(&form);
    ci.presetIncoming(QStringLiteral("ACME SALES"));
    save(ci, folder, "cleanup-conditions-incoming");
    form.done(QDialog::Accepted);
  }
  {
    store.recTable().go(1);
    store.deleteCurrent(store::TableKind::Received);
    TDMForm form(store);
    form.show();
    QApplication::processEvents();
    form.PageControl1->setCurrentIndex(1);
    save(form, folder, "cleanup-incoming-none");
    form.done(QDialog::Accepted);
  }
  settings::Settings values;
  values.comPort = 0;
  TConfigurationInfo info(reportLines(gatherReportInputs(values, dir.file("QLN.INI"), dir.path())));
  info.resize(820, 640);
  save(info, folder, "config-report");
}

}  // namespace
}  // namespace quillon::maint
