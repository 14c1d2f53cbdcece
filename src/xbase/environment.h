#pragma once
// The engine environment: the `Deleted` setting, the date
// settings used by CTOD, and the work areas with their aliases.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "xbase/date.h"

namespace quillon::xbase {

class Table;

class Environment {
 public:
  Environment() = default;
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  // The process-wide environment that tables use unless given another one.
  static Environment& global();

  // `Deleted` on: records flagged deleted are hidden from positioning, views and query counts.
  // Default on. Changing it refreshes every
  // table's view on its next use.
  bool deleted() const { return deleted_; }
  void setDeleted(bool on);

  // CTOD("mm/dd/yy") with century off (American order). A two-digit year yy is read as the
  // year in the rolling window [reference year - 80, reference year + 19] that ends in yy,
  // so every date from 80 years back to 19 years ahead reads back as the date that was
  // written. The reference year is the year of today() (settable for tests). Four-digit
  // years ("mm/dd/yyyy") are taken as written.
  int expandTwoDigitYear(int yy) const;
  Date today() const;
  void setToday(std::optional<Date> fixed);  // nullopt = the system clock

  // Bumped whenever a setting that changes what tables show changes.
  std::uint64_t generation() const { return generation_; }

  // Work areas: the alias is the table's base name, its first eight
  // characters upper-cased with "~", "-" and blank turned into "_"; if taken, those eight
  // characters + "_" + 1, 2, ... Returns the alias given to `table`.
  std::string claimAlias(const std::string& path, Table* table);
  void releaseAlias(const std::string& alias);
  Table* select(const std::string& alias) const;  // nullptr when no table has that alias

 private:
  bool deleted_ = true;
  std::optional<Date> today_;
  std::uint64_t generation_ = 1;
  std::map<std::string, Table*> areas_;
};

}  // namespace quillon::xbase
