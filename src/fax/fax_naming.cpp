#include "fax/fax_naming.h"

#include <cstdio>
#include <filesystem>

namespace quillon::fax {

std::string FolderWithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\' || folder.back() == ':') return folder;
  return folder + "/";
}

std::string DefaultFaxName(int namingMode, const std::string& folder, const std::string& extension, int month,
                           int day) {
  if (namingMode != 1 && namingMode != 2) return "noname.apf";
  std::string dir = FolderWithSeparator(folder);
  for (int n = 1; n <= 9999; ++n) {
    char name[32];
    if (namingMode == 1)
      std::snprintf(name, sizeof name, "FAX%04d.", n);
    else
      std::snprintf(name, sizeof name, "%02d%02d%04d.", month % 100, day % 100, n);
    std::string path = dir + name + extension;
    std::error_code ec;
    if (!std::filesystem::exists(path.empty() ? "." : path, ec)) return path;
  }
  return "NONAME.APF";
}

}  // namespace quillon::fax
