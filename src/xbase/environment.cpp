#include "xbase/environment.h"

#include <cctype>
#include <filesystem>

namespace quillon::xbase {

Environment& Environment::global() {
  static Environment env;
  return env;
}

void Environment::setDeleted(bool on) {
  if (deleted_ != on) ++generation_;
  deleted_ = on;
}

Date Environment::today() const { return today_ ? *today_ : todayLocal(); }

void Environment::setToday(std::optional<Date> fixed) { today_ = fixed; }

int Environment::expandTwoDigitYear(int yy) const {
  yy = ((yy % 100) + 100) % 100;
  int first = today().year - 80;  // window [first, first + 99]
  int year = first - ((first % 100) + 100) % 100 + yy;
  if (year < first) year += 100;
  return year;
}

std::string Environment::claimAlias(const std::string& path, Table* table) {
  std::string base = std::filesystem::path(path).stem().string();
  if (base.size() > 8) base.resize(8);
  for (auto& c : base) {
    if (c == '~' || c == '-' || c == ' ') c = '_';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  std::string alias = base;
  for (int n = 1; areas_.count(alias); ++n) alias = base + "_" + std::to_string(n);
  areas_[alias] = table;
  return alias;
}

void Environment::releaseAlias(const std::string& alias) { areas_.erase(alias); }

Table* Environment::select(const std::string& alias) const {
  auto it = areas_.find(alias);
  return it == areas_.end() ? nullptr : it->second;
}

}  // namespace quillon::xbase
