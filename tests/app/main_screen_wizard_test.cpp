// The main window's own preferences hook: the real wizard opens on the first start (Finish
// held back until the last page) and from the Preferences command (Finish at once); Cancel
// leaves the settings file as it was.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "preferences/preferences_wizard.h"
#include "support/temp_dir.h"

using namespace quillon;
using quillon::test::TempDir;

namespace {

struct WizardSeen {
  bool shown = false, finishEnabled = false;
};

// Looks at the wizard once it is the modal window, then cancels it.
std::shared_ptr<WizardSeen> cancelNextWizard() {
  auto seen = std::make_shared<WizardSeen>();
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [seen, timer] {
    auto* wizard = qobject_cast<preferences::TPreferences*>(QApplication::activeModalWidget());
    if (!wizard) return;
    seen->shown = true;
    seen->finishEnabled = wizard->Finishbutton->isEnabled();
    timer->stop();
    timer->deleteLater();
    wizard->Cancelbutton->click();
  });
  timer->start();
  return seen;
}

TEST(MainScreenWizard, FirstStartAndThePreferencesCommandOpenTheWizard) {
  quillon::test::StrayMessageBoxGuard guard;
  TempDir dir;
  app::TMainScreen w(dir.path());
  ASSERT_FALSE(w.creationFailed());
  ASSERT_TRUE(w.isFirstRun());
  auto first = cancelNextWizard();
  w.FormActivate();
  EXPECT_TRUE(first->shown);
  EXPECT_FALSE(first->finishEnabled);  // a first run finishes on the last page only

  const std::string before = dir.read("QLN.INI");
  auto later = cancelNextWizard();
  w.mnuPreferences->trigger();
  EXPECT_TRUE(later->shown);
  EXPECT_TRUE(later->finishEnabled);
  EXPECT_EQ(dir.read("QLN.INI"), before);  // Cancel writes nothing
}

}  // namespace
