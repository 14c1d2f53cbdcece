#include "settings/settings_store.h"

#include "platform/data_folder.h"
#include "platform/file_io.h"
#include "platform/version.h"
#include "settings/ini_values.h"

namespace quillon::settings {

namespace {

void readKey(const IniDocument& doc, const SettingKey& k, Settings& out, const Settings& defaults) {
  auto text = doc.value(k.section, k.key);
  std::visit(
      [&](auto member) {
        using T = std::remove_reference_t<decltype(out.*member)>;
        // A key whose default is another key's value takes that key's value as just loaded.
        // A key whose default is another key's value takes that key's value as just loaded.
        const T& fallback =
            k.defaultFrom ? out.*std::get<T Settings::*>(*k.defaultFrom) : defaults.*member;
        if constexpr (std::is_same_v<T, int>)
          out.*member = readInteger(text, fallback);
        else if constexpr (std::is_same_v<T, bool>)
          out.*member = readBoolean(text, fallback);
        else
          out.*member = readString(text, fallback);
      },
      k.member);
}

}  // namespace

LoadedSettings readSettings(const IniDocument& doc) {
  LoadedSettings loaded;
  const Settings defaults;
  // Keys whose default is another key's value come after that key.
  for (const SettingKey& k : settingKeys())
    if (!k.defaultFrom) readKey(doc, k, loaded.values, defaults);
  for (const SettingKey& k : settingKeys())
    if (k.defaultFrom) readKey(doc, k, loaded.values, defaults);
  if (loaded.values.comPort == -1) {
    loaded.values.comPort = 0;
    loaded.firstRun = true;
  }
  return loaded;
}

void writeSettings(IniDocument& doc, const Settings& values) {
  for (const SettingKey& k : settingKeys()) {
    std::visit(
        [&](auto member) {
          using T = std::decay_t<decltype(values.*member)>;
          if constexpr (std::is_same_v<T, int>)
            doc.setValue(k.section, k.key, writeInteger(values.*member));
          else if constexpr (std::is_same_v<T, bool>)
            doc.setValue(k.section, k.key, writeBoolean(values.*member));
          else
            doc.setValue(k.section, k.key, values.*member);
        },
        k.member);
  }
  doc.setValue("Version", "Version", kVersion);
}

PrintOptions readPrintOptions(const IniDocument& doc) {
  PrintOptions defaults, o;
  o.multiPage = readBoolean(doc.value("Printing", "MultiPage"), defaults.multiPage);
  o.header = readBoolean(doc.value("Printing", "Header"), defaults.header);
  o.footer = readBoolean(doc.value("Printing", "Footer"), defaults.footer);
  return o;
}

void writePrintOptions(IniDocument& doc, const PrintOptions& options) {
  doc.setValue("Printing", "MultiPage", writeBoolean(options.multiPage));
  doc.setValue("Printing", "Header", writeBoolean(options.header));
  doc.setValue("Printing", "Footer", writeBoolean(options.footer));
}

SettingsStore::SettingsStore(const std::string& folder)
    : path_(platform::withTrailingSlash(folder) + kSettingsFileName) {}

IniDocument SettingsStore::read() const {
  auto bytes = platform::readWholeFile(path_);
  return bytes ? IniDocument::parse(*bytes) : IniDocument{};
}

template <typename Change>
void SettingsStore::modify(Change change) const {
  std::string error;
  auto bytes = platform::readWholeFile(path_, &error);
  // A file that exists but cannot be read must not be replaced by one holding only our keys.
  if (!bytes && !error.empty())
    throw platform::FileWriteError("Cannot write the settings file " + path_ + ": " + error);
  IniDocument doc = bytes ? IniDocument::parse(*bytes) : IniDocument{};
  change(doc);
  std::string out = doc.serialize();
  if (bytes && out == *bytes) return;
  try {
    platform::writeFileAtomically(path_, out);
  } catch (const platform::FileWriteError& e) {
    std::string reason = e.what();
    auto colon = reason.rfind(": ");
    throw platform::FileWriteError("Cannot write the settings file " + path_ +
                                   (colon == std::string::npos ? "" : reason.substr(colon)));
  }
}

LoadedSettings SettingsStore::load() const { return readSettings(read()); }

void SettingsStore::save(const Settings& values) const {
  modify([&](IniDocument& doc) { writeSettings(doc, values); });
}

PrintOptions SettingsStore::loadPrintOptions() const { return readPrintOptions(read()); }

void SettingsStore::savePrintOptions(const PrintOptions& options) const {
  modify([&](IniDocument& doc) { writePrintOptions(doc, options); });
}

StoredPlacement SettingsStore::loadPlacement(const std::string& section, bool currentlyMaximized) const {
  return readPlacement(read(), section, currentlyMaximized);
}

void SettingsStore::savePlacement(const std::string& section, const Rect& normal, bool maximized) const {
  modify([&](IniDocument& doc) { writePlacement(doc, section, normal, maximized); });
}

}  // namespace quillon::settings
