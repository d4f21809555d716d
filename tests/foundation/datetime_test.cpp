#include "foundation/datetime.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <cstdlib>
#include <ctime>

#include "foundation/exception.h"

namespace zq {
namespace {

// Runs a test body under a fixed time zone and restores the previous one.
class TzScope {
 public:
  explicit TzScope(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~TzScope() {
    if (had_) setenv("TZ", old_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(DateTime, EncodeKnownDays) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).Value, 0.0);
  EXPECT_EQ(EncodeDate(1970, 1, 1).Value, 25569.0);
  EXPECT_EQ(EncodeDate(2000, 2, 29).Value, 36585.0);
  EXPECT_EQ(EncodeDate(1, 1, 1).Value, -693593.0);
  EXPECT_DOUBLE_EQ(EncodeDateTime(1970, 1, 1, 12, 0, 0, 0).Value, 25569.5);
  // Before the base day the time still counts away from zero.
  EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0).Value, -1.25);
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  TDateTime t;
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, t));
}

TEST(DateTime, DecodeRoundTripsToTheMillisecond) {
  TDateTime dt = EncodeDateTime(2024, 2, 29, 23, 59, 59, 999);
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::array<int, 7>{y, mo, d, h, mi, s, ms}), (std::array<int, 7>{2024, 2, 29, 23, 59, 59, 999}));
  DecodeDateTime(TDateTime(-1.25), y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::array<int, 5>{y, mo, d, h, mi}), (std::array<int, 5>{1899, 12, 29, 6, 0}));
  // A value a hair below midnight rounds up to the next day, not to 24:00.
  DecodeDateTime(TDateTime(25569.9999999999), y, mo, d, h, mi, s, ms);
  EXPECT_EQ((std::array<int, 4>{y, mo, d, h}), (std::array<int, 4>{1970, 1, 2, 0}));
  EXPECT_THROW(DecodeDate(TDateTime(std::nan("")), y, mo, d), EConvertError);
  EXPECT_THROW(DecodeDate(TDateTime(1e300), y, mo, d), EConvertError);
}

TEST(DateTime, UnixMilliseconds) {
  EXPECT_EQ(DateTimeToUnixMs(EncodeDate(1970, 1, 1)), 0);
  EXPECT_EQ(DateTimeToUnixMs(EncodeDateTime(2020, 1, 1, 0, 0, 1, 500)), 1577836801500);
  EXPECT_EQ(UnixMsToDateTime(1577836801500).Value, EncodeDateTime(2020, 1, 1, 0, 0, 1, 500).Value);
  EXPECT_EQ(DateTimeToUnixMs(TDateTime(std::nan(""))), 0);
  EXPECT_EQ(DateTimeToUnixMs(TDateTime(1e300)), std::numeric_limits<std::int64_t>::max());
}

TEST(DateTime, LocalAndUtcFollowTheTimeZone) {
  TzScope tz("CET-1CEST,M3.5.0,M10.5.0/3");
  // Winter: UTC+1; summer: UTC+2.
  EXPECT_EQ(DateTimeToString(LocalToUTC(EncodeDateTime(2021, 1, 15, 12, 0, 0, 250))),
            "2021-01-15 11:00:00.250");
  EXPECT_EQ(DateTimeToString(LocalToUTC(EncodeDateTime(2021, 7, 15, 1, 30, 0, 0))),
            "2021-07-14 23:30:00");
  EXPECT_EQ(DateTimeToString(UTCToLocal(EncodeDateTime(2021, 7, 14, 23, 30, 0, 0))),
            "2021-07-15 01:30:00");
}

TEST(DateTime, NowIsCloseToTheSystemClock) {
  TzScope tz("UTC0");
  std::int64_t sys = static_cast<std::int64_t>(std::time(nullptr)) * 1000;
  std::int64_t now = DateTimeToUnixMs(Now());
  EXPECT_LT(std::llabs(now - sys), 2000);
}

TEST(DateTime, Text) {
  EXPECT_EQ(DateTimeToString(EncodeDate(2001, 9, 3)), "2001-09-03");
  EXPECT_EQ(DateTimeToString(EncodeDateTime(2001, 9, 3, 4, 5, 6, 0)), "2001-09-03 04:05:06");
}

}  // namespace
}  // namespace zq
