#pragma once
// UUCP lock files, the convention Linux serial programs (efax, minicom, uucp, mgetty) honour:
// a file LCK..NAME in the lock folder holds the PID of the process using device NAME
// ("%10d\n"). A lock whose process is gone is stale and taken over. The lock folder is
// /var/lock, or the folder named by QUILLON_LOCK_DIR.
#include <memory>
#include <string>
#include <vector>

namespace quillon::platform {

// The lock folder in use: QUILLON_LOCK_DIR when set, else /var/lock.
std::string serialLockFolder();

// A lock file of another process that is still running.
struct SerialLockHolder {
  bool held = false;
  int pid = 0;           // 0 when the file names none readably
  std::string program;   // its name from /proc, empty when unknown
  std::string lockFile;  // the file that names it
};

struct SerialLockResult;

// The lock files this process holds for one device; removed when the object goes.
class SerialLockFile {
 public:
  ~SerialLockFile();
  SerialLockFile(const SerialLockFile&) = delete;
  SerialLockFile& operator=(const SerialLockFile&) = delete;

  const std::vector<std::string>& files() const { return files_; }

 private:
  friend SerialLockResult acquireSerialLock(const std::string& devicePath);
  SerialLockFile() = default;
  std::vector<std::string> files_;
};

struct SerialLockResult {
  std::unique_ptr<SerialLockFile> lock;  // empty when refused
  // 0, kSerialAccessDenied when another process (or another port of this one) holds the
  // device, or a system-range code when the lock file cannot be made.
  int error = 0;
  std::string reason;  // what is wrong, for the user
};

// The names `devicePath` is locked under: the device's own, and for a link in /dev (such as
// /dev/modem) the link's too.
std::vector<std::string> serialLockNames(const std::string& devicePath);

// Locks `devicePath` under its serialLockNames. Stale locks are removed. Without a lock folder
// (none configured and /var/lock missing) nothing is locked and the open goes on.
SerialLockResult acquireSerialLock(const std::string& devicePath);

// Who holds a lock on `devicePath`: another running process, or this one while one of its
// open ports holds it; `held` false when nobody does (stale locks count as nobody).
SerialLockHolder serialLockHolder(const std::string& devicePath);

// "/dev/ttyS0 is in use by process 1234 (efax), lock file /var/lock/LCK..ttyS0".
std::string lockHolderText(const std::string& devicePath, const SerialLockHolder& holder);

}  // namespace quillon::platform
