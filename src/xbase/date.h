#pragma once
// Calendar dates as xBase keeps them: a D field holds "YYYYMMDD" or eight blanks (empty).
#include <string>
#include <string_view>

namespace quillon::xbase {

struct Date {
  int year = 0;  // 0 = empty date
  int month = 0;
  int day = 0;

  bool empty() const { return year == 0; }
  // "YYYYMMDD", or eight blanks for the empty date (DTOS and the D field's bytes).
  std::string dtos() const;
  // Reads eight bytes "YYYYMMDD"; blanks (or anything that is not a valid date) give empty.
  static Date fromDtos(std::string_view text);
  // Julian day number (FoxPro's numeric date value); 0 for the empty date.
  long julian() const;
  static Date fromJulian(long julian);
  bool valid() const;

  friend bool operator==(const Date&, const Date&) = default;
  friend auto operator<=>(const Date& a, const Date& b) { return a.julian() <=> b.julian(); }
};

// Today's date from the system clock (local time).
Date todayLocal();

}  // namespace quillon::xbase
