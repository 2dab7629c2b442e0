#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace {
// Days from 0001-01-01 (day 1) to 1899-12-30, as the proleptic Gregorian count.
constexpr long kDateDelta = 693594;

long DaysBefore(int y, int m, int d) {
  static const int cum[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                 {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
  long yy = y - 1;
  return yy * 365 + yy / 4 - yy / 100 + yy / 400 + cum[IsLeapYear(y) ? 1 : 0][m - 1] + d;
}
}  // namespace

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInAMonth(int y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInAMonth(y, m)) return false;
  out = static_cast<double>(DaysBefore(y, m, d) - kDateDelta);
  return true;
}

TDateTime EncodeDate(int y, int m, int d) {
  TDateTime r;
  if (!TryEncodeDate(y, m, d, r)) throw std::invalid_argument("invalid date");
  return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  long n = static_cast<long>(std::trunc(dt)) + kDateDelta;  // days since 0001-01-01, day 1
  if (n <= 0) {
    year = month = day = 0;
    return;
  }
  // Civil-from-days over the 400-year cycle.
  long z = n - 1;  // 0 = 0001-01-01
  long y400 = z / 146097, r = z % 146097;
  long y100 = r / 36524;
  if (y100 == 4) y100 = 3;
  r -= y100 * 36524;
  long y4 = r / 1461;
  r %= 1461;
  long y1 = r / 365;
  if (y1 == 4) y1 = 3;
  r -= y1 * 365;
  int y = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
  int m = 1;
  while (r >= DaysInAMonth(y, m)) r -= DaysInAMonth(y, m++);
  year = y;
  month = m;
  day = static_cast<int>(r) + 1;
}

TDateTime EncodeTime(int h, int n, int s, int ms) {
  return (((h * 60.0 + n) * 60.0 + s) * 1000.0 + ms) / 86400000.0;
}

void DecodeTime(TDateTime dt, int& h, int& n, int& s, int& ms) {
  double f = std::fabs(dt - std::trunc(dt));
  long total = std::lround(f * 86400000.0);
  if (total >= 86400000) total = 86399999;
  ms = static_cast<int>(total % 1000);
  total /= 1000;
  s = static_cast<int>(total % 60);
  total /= 60;
  n = static_cast<int>(total % 60);
  h = static_cast<int>(total / 60);
}

TDateTime DateOf(TDateTime dt) { return std::trunc(dt); }

int DayOfWeek(TDateTime dt) {
  long n = static_cast<long>(std::trunc(dt)) + kDateDelta;
  return static_cast<int>(n % 7) + 1;
}

TDateTime IncMonth(TDateTime dt, int months) {
  int y, m, d;
  DecodeDate(dt, y, m, d);
  long total = y * 12L + (m - 1) + months;
  y = static_cast<int>(total / 12);
  m = static_cast<int>(total % 12) + 1;
  if (d > DaysInAMonth(y, m)) d = DaysInAMonth(y, m);
  TDateTime r;
  if (!TryEncodeDate(y, m, d, r)) return dt;
  double frac = dt - std::trunc(dt);
  return r + (r >= 0 ? std::fabs(frac) : -std::fabs(frac));
}

TDateTime Now() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) + EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
}

TDateTime Today() { return std::trunc(Now()); }

std::string FormatDateTime(std::string_view p, TDateTime dt) {
  int y, mo, d, h, n, s, ms;
  DecodeDate(dt, y, mo, d);
  DecodeTime(dt, h, n, s, ms);
  std::string out;
  char buf[16];
  auto num = [&](int v, int width) {
    std::snprintf(buf, sizeof buf, "%0*d", width, v);
    out += buf;
  };
  auto run = [&](size_t i, char c) {
    size_t j = i;
    while (j < p.size() && (p[j] | 0x20) == c) ++j;
    return j - i;
  };
  bool lastWasHour = false;
  for (size_t i = 0; i < p.size();) {
    char c = p[i];
    char lc = static_cast<char>(c | 0x20);
    if (c == '"' || c == '\'') {
      size_t j = p.find(c, i + 1);
      if (j == std::string_view::npos) j = p.size();
      out.append(p.substr(i + 1, j - i - 1));
      i = j + 1;
      continue;
    }
    size_t k;
    switch (lc) {
      case 'y':
        k = run(i, 'y');
        if (k <= 2) num(y % 100, 2); else num(y, 4);
        i += k;
        lastWasHour = false;
        continue;
      case 'm':
        k = run(i, 'm');
        if (lastWasHour) num(n, k >= 2 ? 2 : 1); else num(mo, k >= 2 ? 2 : 1);
        i += k;
        lastWasHour = false;
        continue;
      case 'd':
        k = run(i, 'd');
        num(d, k >= 2 ? 2 : 1);
        i += k;
        lastWasHour = false;
        continue;
      case 'h':
        k = run(i, 'h');
        num(h, k >= 2 ? 2 : 1);
        i += k;
        lastWasHour = true;
        continue;
      case 'n':
        k = run(i, 'n');
        num(n, k >= 2 ? 2 : 1);
        i += k;
        lastWasHour = false;
        continue;
      case 's':
        k = run(i, 's');
        num(s, k >= 2 ? 2 : 1);
        i += k;
        lastWasHour = false;
        continue;
      case 'z':
        k = run(i, 'z');
        num(ms, k >= 3 ? 3 : 1);
        i += k;
        lastWasHour = false;
        continue;
      default:
        out += c;
        ++i;
        if (c != ':' && c != ' ') lastWasHour = false;
    }
  }
  return out;
}

bool TryStrToDate(std::string_view t, TDateTime& out) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
  std::string str(t);
  int consumed = 0;
  if (std::sscanf(str.c_str(), " %d/%d/%d%n", &y, &m, &d, &consumed) != 3) return false;
  std::string rest = str.substr(static_cast<size_t>(consumed));
  if (!rest.empty() && rest.find_first_not_of(' ') != std::string::npos) {
    int c2 = 0;
    int got = std::sscanf(rest.c_str(), " %d:%d%n:%d%n", &h, &n, &c2, &s, &c2);
    if (got < 2 || rest.substr(static_cast<size_t>(c2)).find_first_not_of(' ') != std::string::npos) return false;
    if (h > 23 || n > 59 || s > 59 || h < 0 || n < 0 || s < 0) return false;
  }
  TDateTime date;
  if (!TryEncodeDate(y, m, d, date)) return false;
  out = date + EncodeTime(h, n, s, 0);
  return true;
}
