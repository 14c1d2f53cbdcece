#include "xbase/file_names.h"

#include <cctype>
#include <filesystem>

namespace quillon::xbase {

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string withExtension(const std::string& path, const char* ext) {
  fs::path p(path);
  std::string tableExt = p.extension().string();
  bool lower = !tableExt.empty() && std::islower(static_cast<unsigned char>(tableExt.back()));
  std::string e = ext;
  if (lower)
    for (auto& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return (p.parent_path() / (p.stem().string() + e)).string();
}

}  // namespace

std::string existingPathAnyCase(const std::string& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  fs::path p(path);
  std::string wanted = p.filename().string();
  fs::path folder = p.parent_path().empty() ? fs::path(".") : p.parent_path();
  std::string best;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (sameIgnoringCase(name, wanted) && (best.empty() || name < best)) best = name;
  }
  return best.empty() ? path : (p.parent_path() / best).string();
}

std::string companionPath(const std::string& tablePath, const char* extension) {
  std::string preferred = withExtension(tablePath, extension);
  return existingPathAnyCase(preferred);
}

}  // namespace quillon::xbase
