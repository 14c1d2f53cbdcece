#pragma once
// What the composing windows need from the main window: the fax store (tables, data folder,
// rich text through the scratch file) and the settings with their file.
#include <string>

#include "settings/settings.h"
#include "settings/settings_store.h"
#include "store/fax_store.h"

namespace quillon::compose {

struct ComposeContext {
  store::FaxStore& store;
  const settings::SettingsStore& settingsStore;
  settings::Settings& settings;

  const std::string& dataFolder() const { return store.dataFolder(); }
};

}  // namespace quillon::compose
