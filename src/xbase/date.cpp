#include "xbase/date.h"

#include <cstdio>
#include <ctime>

namespace quillon::xbase {

namespace {
bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysIn(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(y) ? 29 : days[m - 1];
}
}  // namespace

bool Date::valid() const {
  return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysIn(year, month);
}

std::string Date::dtos() const {
  if (!valid()) return std::string(8, ' ');
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
  return buf;
}

Date Date::fromDtos(std::string_view text) {
  if (text.size() < 8) return {};
  int v[8];
  for (int i = 0; i < 8; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return {};
    v[i] = c - '0';
  }
  Date d{v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3], v[4] * 10 + v[5], v[6] * 10 + v[7]};
  return d.valid() ? d : Date{};
}

// Gregorian calendar to Julian day number (Fliegel and Van Flandern).
long Date::julian() const {
  if (!valid()) return 0;
  long y = year, m = month, d = day;
  long a = (14 - m) / 12;
  long yy = y + 4800 - a;
  long mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

Date Date::fromJulian(long jd) {
  if (jd < 1721426 || jd > 5373484) return {};  // before 0001-01-01 or after 9999-12-31
  long a = jd + 32044;
  long b = (4 * a + 3) / 146097;
  long c = a - 146097 * b / 4;
  long d = (4 * c + 3) / 1461;
  long e = c - 1461 * d / 4;
  long m = (5 * e + 2) / 153;
  Date r;
  r.day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
  r.month = static_cast<int>(m + 3 - 12 * (m / 10));
  r.year = static_cast<int>(100 * b + d - 4800 + m / 10);
  return r.valid() ? r : Date{};
}

Date todayLocal() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

}  // namespace quillon::xbase
