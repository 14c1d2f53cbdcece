#pragma once
// Helpers shared by the fax image tests: pages decoded to lines, random images, peers.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "faximage/fax_unpacker.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage::test {

using Line = std::vector<uint8_t>;

// The lines of a page as the unpacker delivers them (no whitespace or scaling steps).
inline std::vector<Line> pageLines(const std::string& file, unsigned page, TAutoScaleMode mode = asNone) {
  TApdFaxUnpacker u;
  u.SetInFileName(file);
  u.AutoScaleMode = mode;
  std::vector<Line> lines;
  u.OnOutputLine = [&](TApdFaxUnpacker&, bool starting, bool ending, const uint8_t* d, int n, int) {
    if (!starting && !ending) lines.emplace_back(d, d + n);
  };
  u.UnpackPage(page);
  return lines;
}

// Rows with 1 = black of random runs.
inline std::vector<Line> randomRows(std::mt19937& rng, int width, int height, int maxRun = 60) {
  std::vector<Line> rows(size_t(height), Line(size_t(width + 7) / 8));
  for (auto& row : rows) {
    int x = 0;
    bool black = rng() % 2;
    while (x < width) {
      int run = int(rng() % unsigned(maxRun)) + 1;
      for (int i = x; i < std::min(width, x + run); ++i)
        if (black) row[size_t(i) / 8] |= uint8_t(0x80 >> (i % 8));
      x += run;
      black = !black;
    }
  }
  return rows;
}

// A bitmap with 1 = black from rows.
inline MonoBitmap blackRowsBitmap(const std::vector<Line>& rows, int width) {
  MonoBitmap b;
  b.width = width;
  b.height = int(rows.size());
  b.stride = size_t(width + 7) / 8;
  for (const Line& r : rows) b.bits.insert(b.bits.end(), r.begin(), r.end());
  return b;
}

// Runs a shell command; its standard output, or nothing when it failed.
inline bool runCommand(const std::string& command, std::string* output = nullptr) {
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return false;
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  int rc = ::pclose(p);
  if (output) *output = out;
  return rc == 0;
}

inline bool haveTool(const std::string& name) { return runCommand("command -v " + name + " >/dev/null 2>&1"); }

}  // namespace quillon::faximage::test
