#include "platform/serial_lock_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>

#include "errors/error_codes.h"
#include "platform/serial_device.h"

namespace quillon::platform {

namespace {

// A lock file without a readable PID may be one another program is still writing; after
// this many seconds it is taken for a leftover.
constexpr std::time_t kUnreadableLockGraceSeconds = 10;

// The lock files this process holds. One mutex over all of them also makes a lock file of
// ours read by another thread of this process never look stale while it is being made.
std::mutex registryMutex;
std::set<std::string>& heldFiles() {
  static std::set<std::string> files;
  return files;
}

struct LockFolder {
  std::string path;       // empty: nothing is locked
  bool explicitlySet = false;
};

LockFolder lockFolder() {
  const char* env = std::getenv("QUILLON_LOCK_DIR");
  if (env && *env) return {env, true};
  return {"/var/lock", false};
}

std::string baseName(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The device's own name first, then the name of a link in /dev that leads to it (/dev/modem:
// other programs lock the name they were given). A link elsewhere is a name of no other
// program's: two folders' "ttyFAX" links to different devices must not share a lock.
std::vector<std::string> serialLockNames(const std::string& devicePath) {
  std::vector<std::string> names;
  if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
    names.push_back(baseName(real));
    std::free(real);
  }
  std::string given = baseName(devicePath);
  bool inDev = devicePath.rfind("/dev/", 0) == 0;
  if (names.empty() || (inDev && names.front() != given)) names.push_back(given);
  std::erase_if(names, [](const std::string& n) { return n.empty() || n == "." || n == ".."; });
  return names;
}

namespace {

std::string lockFileFor(const std::string& folder, const std::string& name) {
  std::string f = folder;
  if (!f.empty() && f.back() != '/') f += '/';
  return f + "LCK.." + name;
}

enum class LockState { absent, stale, held };

struct LockRead {
  LockState state = LockState::absent;
  int pid = 0;
};

// The PID in a lock file: ten-column text (HDB UUCP, what everyone writes now) or the old
// four-byte binary form.
int parsePid(const char* bytes, std::size_t n) {
  std::size_t i = 0;
  while (i < n && bytes[i] == ' ') ++i;
  long pid = 0;
  std::size_t digits = 0;
  while (i < n && bytes[i] >= '0' && bytes[i] <= '9' && digits < 10) pid = pid * 10 + (bytes[i++] - '0'), ++digits;
  while (i < n && (bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == ' ')) ++i;
  if (digits > 0 && i == n) return static_cast<int>(pid);
  if (n == sizeof(int)) {
    int binary = 0;
    std::memcpy(&binary, bytes, sizeof binary);
    return binary;
  }
  return 0;
}

bool processRuns(int pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// Call with registryMutex held.
LockRead readLock(const std::string& file) {
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) {
    if (errno == ENOENT) return {LockState::absent, 0};
    return {LockState::held, 0};  // there, but not ours to judge
  }
  char bytes[64];
  ssize_t n = ::read(fd, bytes, sizeof bytes);
  struct stat st{};
  bool haveTime = ::fstat(fd, &st) == 0;
  ::close(fd);
  int pid = n > 0 ? parsePid(bytes, static_cast<std::size_t>(n)) : 0;
  if (pid > 0) {
    if (pid == ::getpid()) return {heldFiles().count(file) ? LockState::held : LockState::stale, pid};
    return {processRuns(pid) ? LockState::held : LockState::stale, pid};
  }
  bool young = haveTime && std::time(nullptr) - st.st_mtime < kUnreadableLockGraceSeconds;
  return {young ? LockState::held : LockState::stale, 0};
}

std::string programOf(int pid) {
  std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/comm").c_str(), "re");
  if (!f) return {};
  char name[64] = {};
  std::string program = std::fgets(name, sizeof name, f) ? name : "";
  std::fclose(f);
  while (!program.empty() && (program.back() == '\n' || program.back() == ' ')) program.pop_back();
  return program;
}

int systemError(int err) { return err > 0 && err <= 4095 ? ecSystemErrorBase - err : ecSystemErrorBase - EIO; }

std::string cannotLockText(const std::string& what, const std::string& path, int err) {
  return "cannot " + what + " " + path + ": " + std::strerror(err) +
         "; set QUILLON_LOCK_DIR to a lock folder this user can write";
}

// Call with registryMutex held.
void removeOurs(const std::vector<std::string>& files) {
  for (const auto& f : files) {
    LockRead r = readLock(f);
    if (r.pid == ::getpid()) ::unlink(f.c_str());
    heldFiles().erase(f);
  }
}

}  // namespace

std::string serialLockFolder() { return lockFolder().path; }

SerialLockFile::~SerialLockFile() {
  std::lock_guard guard(registryMutex);
  removeOurs(files_);
}

SerialLockResult acquireSerialLock(const std::string& devicePath) {
  LockFolder folder = lockFolder();
  struct stat st{};
  bool found = ::stat(folder.path.c_str(), &st) == 0;
  if (!found || !S_ISDIR(st.st_mode)) {
    int err = found ? ENOTDIR : errno;
    if (!folder.explicitlySet) return {std::unique_ptr<SerialLockFile>(new SerialLockFile), 0, {}};
    return {nullptr, systemError(err),
            "the lock folder " + folder.path + " (QUILLON_LOCK_DIR) cannot be used: " + std::strerror(err)};
  }
  std::unique_ptr<SerialLockFile> lock(new SerialLockFile);
  std::lock_guard guard(registryMutex);
  auto refuse = [&](int code, std::string reason) {
    removeOurs(lock->files_);
    lock->files_.clear();
    return SerialLockResult{nullptr, code, std::move(reason)};
  };
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  for (const auto& name : serialLockNames(devicePath)) {
    std::string file = lockFileFor(folder.path, name);
    bool taken = false;
    for (int attempt = 0; attempt < 4 && !taken; ++attempt) {
      int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
      if (fd >= 0) {
        bool written = ::write(fd, text, 11) == 11;
        int err = errno;
        written = ::close(fd) == 0 && written;
        if (!written) {
          ::unlink(file.c_str());
          return refuse(systemError(err ? err : EIO), cannotLockText("write the lock file", file, err ? err : EIO));
        }
        heldFiles().insert(file);
        lock->files_.push_back(file);
        taken = true;
        break;
      }
      int err = errno;
      if (err != EEXIST) return refuse(systemError(err), cannotLockText("create the lock file", file, err));
      LockRead r = readLock(file);
      if (r.state == LockState::held) {
        SerialLockHolder holder{true, r.pid, r.pid > 0 ? programOf(r.pid) : std::string(), file};
        return refuse(kSerialAccessDenied, lockHolderText(devicePath, holder));
      }
      if (r.state == LockState::stale && ::unlink(file.c_str()) != 0 && errno != ENOENT)
        return refuse(systemError(errno), cannotLockText("remove the stale lock file", file, errno));
    }
    if (!taken) return refuse(kSerialAccessDenied, devicePath + " is being locked by another program");
  }
  return {std::move(lock), 0, {}};
}

SerialLockHolder serialLockHolder(const std::string& devicePath) {
  std::string folder = lockFolder().path;
  std::lock_guard guard(registryMutex);
  for (const auto& name : serialLockNames(devicePath)) {
    std::string file = lockFileFor(folder, name);
    LockRead r = readLock(file);
    if (r.state == LockState::held) return {true, r.pid, r.pid > 0 ? programOf(r.pid) : std::string(), file};
  }
  return {};
}

std::string lockHolderText(const std::string& devicePath, const SerialLockHolder& holder) {
  std::string text = devicePath;
  if (holder.pid == static_cast<int>(::getpid()))
    text += " is already open in this program";
  else if (holder.pid > 0)
    text += " is in use by process " + std::to_string(holder.pid) +
            (holder.program.empty() ? std::string() : " (" + holder.program + ")");
  else
    text += " is in use by another program";
  if (!holder.lockFile.empty()) text += ", lock file " + holder.lockFile;
  return text;
}

}  // namespace quillon::platform
