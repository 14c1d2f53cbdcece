#pragma once
// DataFolder: where every file of the program lives (tables, QLN.INI, received faxes).
// It is the executable's folder, so a copied folder is a portable installation.
#include <optional>
#include <string>

namespace quillon::platform {

struct DataFolderChoice {
  std::string path;    // always ends with '/'
  std::string notice;  // one line for the user when a fallback was taken, else empty
};

// Picks the folder: `override` (from --data-dir) first, then $QUILLON_DATA, then the folder
// of the executable. A chosen folder that is missing is created; when the folder cannot be
// written, $XDG_DATA_HOME/quillon/ (or ~/.local/share/quillon/) is used with a notice.
DataFolderChoice chooseDataFolder(const std::optional<std::string>& override);

// The folder of the running executable, with a trailing '/'.
std::string executableFolder();

// Sets and reads the process-wide DataFolder (chosen once at start-up).
void setDataFolder(const std::string& path);
const std::string& dataFolder();

// Appends '/' when missing.
std::string withTrailingSlash(std::string path);

}  // namespace quillon::platform
