#pragma once
// Test helpers for the preferences wizard: a data folder with its QLN.INI, and acting on the
// wizard once it runs modally.
#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "preferences/preferences_wizard.h"
#include "settings/settings_store.h"
#include "support/temp_dir.h"

namespace quillon::test {

// Runs `act` on the modal wizard as soon as it shows.
inline std::shared_ptr<bool> whenWizardOpens(std::function<void(preferences::TPreferences&)> act) {
  auto seen = std::make_shared<bool>(false);
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, seen, act] {
    auto* wizard = qobject_cast<preferences::TPreferences*>(QApplication::activeModalWidget());
    if (!wizard || !wizard->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    *seen = true;
    act(*wizard);
  });
  timer->start();
  return seen;
}

// A data folder whose QLN.INI holds `ini`.
struct PreferencesFolder {
  explicit PreferencesFolder(const std::string& ini = {}) : store(dir.path()) {
    if (!ini.empty()) dir.write("QLN.INI", ini);
  }
  settings::Settings load() const { return store.load().values; }
  std::string file() const { return dir.read("QLN.INI"); }

  TempDir dir;
  settings::SettingsStore store;
};

}  // namespace quillon::test
