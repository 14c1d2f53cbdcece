#pragma once
// Loads and saves the settings file. The file is read and written whole for each call; there
// is no cache, so changes another program made in between are kept.
#include <string>

#include "settings/ini_document.h"
#include "settings/settings.h"
#include "settings/window_placement.h"

namespace quillon::settings {

inline constexpr const char* kSettingsFileName = "QLN.INI";

struct LoadedSettings {
  Settings values;
  bool firstRun = false;  // ComPort was -1 (or missing); it now reads 0 (COM1)
};

// Options of the fax viewer's printing, kept in [Printing].
struct PrintOptions {
  bool multiPage = false;
  bool header = true;
  bool footer = true;
  bool operator==(const PrintOptions&) const = default;
};

// Applies the key table to a document (pure; no file access).
LoadedSettings readSettings(const IniDocument& doc);
void writeSettings(IniDocument& doc, const Settings& values);  // also [Version] Version
PrintOptions readPrintOptions(const IniDocument& doc);
void writePrintOptions(IniDocument& doc, const PrintOptions& options);

class SettingsStore {
 public:
  // `folder` is the DataFolder; the file is folder + "QLN.INI".
  explicit SettingsStore(const std::string& folder);

  const std::string& path() const { return path_; }

  LoadedSettings load() const;
  // Throws platform::FileWriteError naming the settings file when it cannot be written.
  void save(const Settings& values) const;

  PrintOptions loadPrintOptions() const;
  void savePrintOptions(const PrintOptions& options) const;

  StoredPlacement loadPlacement(const std::string& section, bool currentlyMaximized) const;
  void savePlacement(const std::string& section, const Rect& normal, bool maximized) const;

  // The file as it is now (empty document when missing or unreadable).
  IniDocument read() const;

 private:
  template <typename Change>
  void modify(Change change) const;

  std::string path_;
};

}  // namespace quillon::settings
