#pragma once
// Whole-file reads and crash-safe whole-file writes.
#include <optional>
#include <stdexcept>
#include <string>

namespace quillon::platform {

// A write that failed; what() names the file and the reason.
class FileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's bytes, or nothing when it does not exist or cannot be read
// (`error` then holds the operating system's reason, empty for a missing file).
std::optional<std::string> readWholeFile(const std::string& path, std::string* error = nullptr);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so a failure
// never leaves a half-written file. Keeps the mode bits of an existing file and writes
// through a symbolic link to its target. Throws FileWriteError naming `path`.
void writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace quillon::platform
