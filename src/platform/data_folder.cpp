#include "platform/data_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quillon::platform {

namespace fs = std::filesystem;

namespace {
std::string& currentFolder() {
  static std::string folder;
  return folder;
}

bool usableFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return fs::is_directory(path, ec) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string fallbackFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return withTrailingSlash(xdg) + "quillon/";
  const char* home = std::getenv("HOME");
  return withTrailingSlash(home && *home ? home : "/tmp") + ".local/share/quillon/";
}
}  // namespace

std::string withTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string executableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return withTrailingSlash(fs::current_path(ec).string());
  return withTrailingSlash(exe.parent_path().string());
}

DataFolderChoice chooseDataFolder(const std::optional<std::string>& override) {
  std::string wanted;
  if (override && !override->empty()) {
    wanted = *override;
  } else if (const char* env = std::getenv("QUILLON_DATA"); env && *env) {
    wanted = env;
  } else {
    wanted = executableFolder();
  }
  std::error_code ec;
  fs::path absolute = fs::absolute(wanted, ec);
  wanted = withTrailingSlash(ec ? wanted : absolute.lexically_normal().string());
  if (usableFolder(wanted)) return {wanted, ""};

  std::string fallback = fallbackFolder();
  usableFolder(fallback);
  return {fallback, "Quillon cannot write to " + wanted + "; using " + fallback + " for its data."};
}

void setDataFolder(const std::string& path) { currentFolder() = withTrailingSlash(path); }

const std::string& dataFolder() {
  if (currentFolder().empty()) currentFolder() = executableFolder();
  return currentFolder();
}

}  // namespace quillon::platform
