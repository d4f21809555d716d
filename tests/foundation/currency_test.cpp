#include "foundation/currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/exception.h"

namespace zq {
namespace {

TEST(Currency, HoldsValueTimesTenThousand) {
  EXPECT_EQ(Currency(1.5).raw(), 15000);
  EXPECT_EQ(Currency(-0.25).raw(), -2500);
  EXPECT_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(Currency::FromInt(7).raw(), 70000);
  EXPECT_EQ(Currency(1.23456).raw(), 12346);
  EXPECT_EQ(Currency(-1.23454).raw(), -12345);
}

TEST(Currency, OutOfRangeRaises) {
  EXPECT_THROW(Currency(1e15), EConvertError);
  EXPECT_THROW(Currency(-1e15), EConvertError);
  EXPECT_THROW(Currency(std::nan("")), EConvertError);
  EXPECT_THROW(Currency(std::numeric_limits<double>::infinity()), EConvertError);
  EXPECT_THROW(Currency::FromInt(std::numeric_limits<std::int64_t>::max()), EConvertError);
  EXPECT_NO_THROW(Currency(9e14));
  EXPECT_EQ(Currency::FromDoubleSaturated(1e300).raw(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Currency::FromDoubleSaturated(-1e300).raw(), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(Currency::FromDoubleSaturated(std::nan("")).raw(), 0);
}

TEST(Currency, TextHasAtMostFourFractionDigits) {
  EXPECT_EQ(Currency(1.5).ToString(), "1.5");
  EXPECT_EQ(Currency(0.25).ToString(), "0.25");
  EXPECT_EQ(Currency(1.2345).ToString(), "1.2345");
  EXPECT_EQ(Currency(2.0).ToString(), "2");
  EXPECT_EQ(Currency(-0.0001).ToString(), "-0.0001");
  EXPECT_EQ(Currency().ToString(), "0");
  EXPECT_EQ(Currency::FromRaw(std::numeric_limits<std::int64_t>::min()).ToString(),
            "-922337203685477.5808");
  EXPECT_EQ(Currency::FromRaw(std::numeric_limits<std::int64_t>::max()).ToString(),
            "922337203685477.5807");
}

TEST(Currency, Parse) {
  Currency c;
  ASSERT_TRUE(Currency::TryParse("2.50", c));
  EXPECT_EQ(c.raw(), 25000);
  ASSERT_TRUE(Currency::TryParse("-3.", c));
  EXPECT_EQ(c.raw(), -30000);
  ASSERT_TRUE(Currency::TryParse(".5", c));
  EXPECT_EQ(c.raw(), 5000);
  ASSERT_TRUE(Currency::TryParse("0.123456", c));
  EXPECT_EQ(c.raw(), 1235);
  ASSERT_TRUE(Currency::TryParse("-922337203685477.5808", c));
  EXPECT_EQ(c.raw(), std::numeric_limits<std::int64_t>::min());
  EXPECT_FALSE(Currency::TryParse("922337203685477.5808", c));
  EXPECT_FALSE(Currency::TryParse("99999999999999999999", c));
  EXPECT_FALSE(Currency::TryParse("", c));
  EXPECT_FALSE(Currency::TryParse(".", c));
  EXPECT_FALSE(Currency::TryParse("1e3", c));
  EXPECT_FALSE(Currency::TryParse(" 1", c));
}

}  // namespace
}  // namespace zq
