#pragma once
// A list source over rows held in memory, counting how often rows are read.
#include <vector>

#include "app/list_source.h"

namespace quillon::test {

class FakeListSource final : public app::ListSource {
 public:
  std::vector<app::ListRow> rows;
  long size = -1;  // when >= 0, a list of this length whose rows are made on demand
  std::uint64_t gen = 1;
  long current = 0;
  mutable long reads = 0;

  long count() override { return size >= 0 ? size : static_cast<long>(rows.size()); }
  std::uint64_t generation() override { return gen; }
  std::optional<app::ListRow> row(long position) override {
    ++reads;
    if (position < 0 || position >= count()) return std::nullopt;
    if (size >= 0) return app::ListRow{position + 1, false, {"F", "", "", "", "", "", "", ""}};
    return rows[position];
  }
  long positionOf(long recNo) override {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].recNo == recNo) return static_cast<long>(i);
    return -1;
  }
  long currentRecNo() override { return current; }
  void makeCurrent(long position) override { current = rows.at(position).recNo; }
};

}  // namespace quillon::test
