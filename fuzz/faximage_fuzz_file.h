#pragma once
// The fuzz input as a file, for readers that take a path; one file per process, rewritten for
// every input, and an output path beside it. The folder goes when the process ends.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace quillon::fuzz {

class FuzzFile {
 public:
  explicit FuzzFile(const char* extension) {
    char pattern[] = "/tmp/quillon-fuzz-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    folder_ = dir ? dir : "/tmp";
    input_ = folder_ + "/input." + extension;
    output_ = folder_ + "/output.APF";
  }
  ~FuzzFile() {
    std::error_code ignored;
    if (folder_ != "/tmp") std::filesystem::remove_all(folder_, ignored);
  }
  FuzzFile(const FuzzFile&) = delete;
  FuzzFile& operator=(const FuzzFile&) = delete;

  const std::string& write(const std::uint8_t* data, std::size_t size) const {
    FILE* f = std::fopen(input_.c_str(), "wb");
    if (f) {
      std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
    return input_;
  }
  const std::string& output() const { return output_; }

 private:
  std::string folder_, input_, output_;
};

}  // namespace quillon::fuzz
