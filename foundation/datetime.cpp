#include "foundation/datetime.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "foundation/exception.h"

namespace zq {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(y + (m <= 2));
  month = static_cast<int>(m);
  day = static_cast<int>(d);
}

constexpr double kMinDateTime = -693593.0;  // 0001-01-01
constexpr double kMaxDateTime = 2958466.0;  // 10000-01-01 (exclusive)

// Splits a date/time into whole days (signed) and milliseconds of the day.
void Split(TDateTime dt, std::int64_t& days, std::int64_t& ms) {
  double v = dt.Value;
  if (!std::isfinite(v) || v <= kMinDateTime - 1 || v >= kMaxDateTime)
    throw EConvertError("Invalid argument to date encode");
  double whole = std::trunc(v);
  days = static_cast<std::int64_t>(whole);
  ms = std::llround(std::fabs(v - whole) * static_cast<double>(kMSecsPerDay));
  if (ms >= kMSecsPerDay) {
    ms -= kMSecsPerDay;
    days += v < 0 ? -1 : 1;
  }
}

// Days (1899-12-30 based) and ms of day -> TDateTime with the classic sign rule.
TDateTime Combine(std::int64_t days, std::int64_t ms) {
  double t = static_cast<double>(ms) / static_cast<double>(kMSecsPerDay);
  double d = static_cast<double>(days);
  return TDateTime(days < 0 ? d - t : d + t);
}

// A struct tm of a TDateTime's fields; `ms` receives the milliseconds.
std::tm ToTm(TDateTime dt, int& ms) {
  int y, mo, d, h, mi, s;
  DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return tm;
}

TDateTime FromUnixSeconds(std::int64_t secs, int ms) {
  std::int64_t days = secs >= 0 ? secs / 86400 : -((-secs + 86399) / 86400);
  std::int64_t rem = secs - days * 86400;
  return Combine(days + static_cast<std::int64_t>(kUnixDateDelta), rem * 1000 + ms);
}

TDateTime FromTm(const std::tm& tm, int ms) {
  return EncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec > 59 ? 59 : tm.tm_sec, ms);
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  out = TDateTime(static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                    static_cast<unsigned>(day)) +
                                      static_cast<std::int64_t>(kUnixDateDelta)));
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
    return false;
  std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + min) * 60 + sec) * 1000 + msec;
  out = TDateTime(static_cast<double>(ms) / static_cast<double>(kMSecsPerDay));
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
  TDateTime d = EncodeDate(year, month, day);
  TDateTime t = EncodeTime(hour, min, sec, msec);
  std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + min) * 60 + sec) * 1000 + msec;
  (void)t;
  return Combine(static_cast<std::int64_t>(d.Value), ms);
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  std::int64_t days, ms;
  Split(dt, days, ms);
  CivilFromDays(days - static_cast<std::int64_t>(kUnixDateDelta), year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  std::int64_t days, ms;
  Split(dt, days, ms);
  msec = static_cast<int>(ms % 1000);
  ms /= 1000;
  sec = static_cast<int>(ms % 60);
  ms /= 60;
  min = static_cast<int>(ms % 60);
  hour = static_cast<int>(ms / 60);
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec) {
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, min, sec, msec);
}

TDateTime Now() {
  std::timespec ts{};
  std::timespec_get(&ts, TIME_UTC);
  std::time_t t = ts.tv_sec;
  std::tm tm{};
  localtime_r(&t, &tm);
  return FromTm(tm, static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime LocalToUTC(TDateTime local) {
  int ms = 0;
  std::tm tm = ToTm(local, ms);
  std::time_t t = mktime(&tm);
  return FromUnixSeconds(static_cast<std::int64_t>(t), ms);
}

TDateTime UTCToLocal(TDateTime utc) {
  int ms = 0;
  std::tm tm = ToTm(utc, ms);
  tm.tm_isdst = 0;
  std::time_t t = timegm(&tm);
  std::tm loc{};
  if (!localtime_r(&t, &loc)) throw EConvertError("Invalid argument to date encode");
  return FromTm(loc, ms);
}

std::int64_t DateTimeToUnixMs(TDateTime utc) {
  double ms = std::round((utc.Value - kUnixDateDelta) * static_cast<double>(kMSecsPerDay));
  if (std::isnan(ms)) return 0;
  if (ms >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
  if (ms < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(ms);
}

TDateTime UnixMsToDateTime(std::int64_t ms) {
  return TDateTime(static_cast<double>(ms) / static_cast<double>(kMSecsPerDay) + kUnixDateDelta);
}

std::string DateTimeToString(TDateTime dt) {
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
  char buf[40];
  int n;
  if (ms != 0)
    n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, mo, d, h, mi, s, ms);
  else if (h != 0 || mi != 0 || s != 0)
    n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
  else
    n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d);
  return std::string(buf, static_cast<std::size_t>(n));
}

}  // namespace zq
