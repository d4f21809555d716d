// TDateTime: a point in time as days since 1899-12-30 00:00 (a double); the
// fraction is the time of day. 25569.0 is 1970-01-01. For dates before
// 1899-12-30 the fraction still counts forward from midnight in magnitude
// (-1.25 is 1899-12-29 06:00), as in the classic encoding.
#pragma once

#include <cstdint>
#include <string>

namespace zq {

struct TDateTime {
  double Value = 0.0;

  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double v) : Value(v) {}
  constexpr operator double() const { return Value; }
  friend constexpr bool operator==(TDateTime a, TDateTime b) { return a.Value == b.Value; }
  friend constexpr auto operator<=>(TDateTime a, TDateTime b) { return a.Value <=> b.Value; }
};

inline constexpr double kUnixDateDelta = 25569.0;  // days from 1899-12-30 to 1970-01-01
inline constexpr std::int64_t kMSecsPerDay = 86400000;

// Encoding; Try... return false for an invalid date or time, the others raise
// EConvertError. Years 1..9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& out);
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

// Decoding, rounded to the millisecond. Raises EConvertError for values that
// are not finite or outside years 1..9999.
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The current local date and time, with milliseconds.
TDateTime Now();

// Local time <-> UTC with the platform's time-zone rules (TZ, daylight saving).
TDateTime LocalToUTC(TDateTime local);
TDateTime UTCToLocal(TDateTime utc);

// UTC date/time <-> milliseconds since 1970-01-01 00:00 UTC:
// (days - 25569) * 86400000, rounded; saturates at the int64 limits, NaN gives 0.
std::int64_t DateTimeToUnixMs(TDateTime utc);
TDateTime UnixMsToDateTime(std::int64_t ms);

// "yyyy-mm-dd", "yyyy-mm-dd hh:nn:ss" or "yyyy-mm-dd hh:nn:ss.zzz" (time parts only when set).
std::string DateTimeToString(TDateTime dt);

}  // namespace zq
