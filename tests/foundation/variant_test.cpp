#include "foundation/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "foundation/exception.h"

namespace zq {
namespace {

TEST(Variant, KindAndTypeCodeFollowTheConstructorArgument) {
  EXPECT_EQ(Variant().VarType(), varEmpty);
  EXPECT_EQ(Variant(VarNull).VarType(), varNull);
  EXPECT_EQ(Variant(std::int16_t{1}).VarType(), varSmallint);
  EXPECT_EQ(Variant(1).VarType(), varInteger);
  EXPECT_EQ(Variant(std::int64_t{1}).VarType(), varInt64);
  EXPECT_EQ(Variant(1LL).VarType(), varInt64);
  EXPECT_EQ(Variant(std::int8_t{1}).VarType(), varShortInt);
  EXPECT_EQ(Variant(std::uint8_t{1}).VarType(), varByte);
  EXPECT_EQ(Variant(std::uint16_t{1}).VarType(), varWord);
  EXPECT_EQ(Variant(1u).VarType(), varLongWord);
  EXPECT_EQ(Variant(std::uint64_t{1}).VarType(), varUInt64);
  EXPECT_EQ(Variant(1.0f).VarType(), varSingle);
  EXPECT_EQ(Variant(1.0).VarType(), varDouble);
  EXPECT_EQ(Variant(Currency(1.0)).VarType(), varCurrency);
  EXPECT_EQ(Variant(TDateTime(1.0)).VarType(), varDate);
  EXPECT_EQ(Variant(true).VarType(), varBoolean);
  EXPECT_EQ(Variant("x").VarType(), varUString);
  EXPECT_EQ(Variant(std::string("x")).VarType(), varUString);
  EXPECT_EQ(Variant(static_cast<TObject*>(nullptr)).VarType(), varObject);
  EXPECT_STREQ(VarTypeName(varUString), "UnicodeString");
}

TEST(Variant, KindTests) {
  EXPECT_TRUE(Variant(true).IsOrdinal());
  EXPECT_FALSE(Variant(true).IsInteger());
  EXPECT_TRUE(Variant(std::uint64_t{3}).IsOrdinal());
  EXPECT_TRUE(Variant(Currency(1.0)).IsFloat());
  EXPECT_FALSE(Variant(TDateTime(1.0)).IsFloat());
  EXPECT_FALSE(Variant(TDateTime(1.0)).IsNumeric());
  EXPECT_TRUE(Variant(2.5f).IsNumeric());
  EXPECT_TRUE(Variant("1").IsText());
  EXPECT_FALSE(Variant("1").IsNumeric());
  EXPECT_TRUE(Variant(VarNull).IsEmptyOrNull());
}

TEST(Variant, ToStringOfEachKind) {
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(Variant(VarNull).ToString(), "");
  EXPECT_EQ(Variant(std::int8_t{-5}).ToString(), "-5");
  EXPECT_EQ(Variant(std::uint64_t{18446744073709551615ull}).ToString(), "18446744073709551615");
  EXPECT_EQ(Variant(0.1).ToString(), "0.1");
  EXPECT_EQ(Variant(0.1f).ToString(), "0.1");
  EXPECT_EQ(Variant(500.0).ToString(), "500");
  EXPECT_EQ(Variant(1e20).ToString(), "1E20");
  EXPECT_EQ(Variant(-1.5e-6).ToString(), "-1.5E-6");
  EXPECT_EQ(Variant(0.00001).ToString(), "0.00001");
  EXPECT_EQ(Variant(1.0 / 3).ToString(), "0.333333333333333");
  EXPECT_EQ(Variant(Currency(2.5)).ToString(), "2.5");
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(EncodeDate(2020, 5, 6)).ToString(), "2020-05-06");
}

TEST(Variant, NumericConversionsSaturate) {
  EXPECT_EQ(Variant(1e300).ToInt64(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Variant(-1e300).ToInt64(), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(Variant(std::nan("")).ToInt64(), 0);
  EXPECT_EQ(Variant(std::numeric_limits<double>::infinity()).ToInt64(),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Variant(std::numeric_limits<std::uint64_t>::max()).ToInt64(),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Variant(2.5).ToInt64(), 2);
  EXPECT_EQ(Variant(3.5).ToInt64(), 4);
  EXPECT_EQ(Variant(Currency(2.5)).ToInt64(), 2);
  EXPECT_EQ(Variant(Currency(-3.5)).ToInt64(), -4);
  EXPECT_EQ(Variant("99999999999999999999").ToInt64(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Variant("1.5e3").ToInt64(), 1500);
  EXPECT_EQ(Variant(" 42 ").ToInt64(), 42);
  EXPECT_DOUBLE_EQ(Variant(Currency(1.25)).ToDouble(), 1.25);
  EXPECT_DOUBLE_EQ(Variant("-2.5").ToDouble(), -2.5);
  EXPECT_EQ(Variant(1e300).ToCurrency().raw(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(Variant("0.5").ToCurrency().raw(), 5000);
  EXPECT_THROW(Variant("abc").ToInt64(), EConvertError);
  EXPECT_THROW(Variant("").ToDouble(), EConvertError);
  EXPECT_THROW(Variant(static_cast<TObject*>(nullptr)).ToInt64(), EInvalidCast);
}

TEST(Variant, ToBool) {
  EXPECT_TRUE(Variant("TRUE").ToBool());
  EXPECT_FALSE(Variant("false").ToBool());
  EXPECT_TRUE(Variant("2").ToBool());
  EXPECT_FALSE(Variant(0.0).ToBool());
  EXPECT_TRUE(Variant(Currency::FromRaw(1)).ToBool());
  EXPECT_FALSE(Variant().ToBool());
  EXPECT_THROW(Variant("yes").ToBool(), EConvertError);
}

TEST(Variant, EqualityNeedsSameKindAndValue) {
  EXPECT_EQ(Variant(1), Variant(1));
  EXPECT_NE(Variant(1), Variant(std::int64_t{1}));
  EXPECT_NE(Variant(1.0), Variant(TDateTime(1.0)));
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
  EXPECT_EQ(Variant(), Variant());
  EXPECT_NE(Variant(), Variant(VarNull));
  EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
}

TEST(Variant, CompareAcrossNumericKinds) {
  EXPECT_EQ(Variant::Compare(Variant(1), Variant(1.0)), 0);
  EXPECT_EQ(Variant::Compare(Variant(true), Variant(std::int16_t{1})), 0);
  EXPECT_EQ(Variant::Compare(Variant(Currency(1.5)), Variant(1.5)), 0);
  EXPECT_EQ(Variant::Compare(Variant(std::uint64_t{1} << 63), Variant(std::int64_t{-1})), 1);
  EXPECT_EQ(Variant::Compare(Variant(std::int64_t{-1}), Variant(std::uint64_t{1} << 63)), -1);
  // Large int64 values compare exactly, not through a rounding double.
  EXPECT_EQ(Variant::Compare(Variant(std::int64_t{9007199254740993}), Variant(std::int64_t{9007199254740992})), 1);
  EXPECT_EQ(Variant::Compare(Variant("b"), Variant("a")), 1);
  EXPECT_EQ(Variant::Compare(Variant(), Variant(VarNull)), -1);
  EXPECT_EQ(Variant::Compare(Variant(5), Variant("1")), -1);
  EXPECT_EQ(Variant::Compare(Variant(std::nan("")), Variant(-1e300)), -1);
}

}  // namespace
}  // namespace zq
