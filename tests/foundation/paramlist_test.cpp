#include "foundation/paramlist.h"

#include <gtest/gtest.h>

#include "foundation/exception.h"

namespace zq {
namespace {

using V = std::vector<std::string>;

TEST(ParamList, ParamStrEncodesWithTheCodePage) {
  TZQParamList p;
  p.Add("a b=1/2");
  p.Add("c=\xC3\xA9");  // é
  EXPECT_EQ(p.ParamStr(), "a+b=1%2F2&c=%E9");
  TZQParamList q;
  q.SetParamStr("a+b=1%2F2&c=%E9");
  EXPECT_EQ(q.ToVector(), (V{"a b=1/2", "c=\xC3\xA9"}));
}

TEST(ParamList, ParamStrDecodesUtf8AndCodePageBytes) {
  TZQParamList p;
  p.SetParamStr("u=%C3%A9t%C3%A9&w=%E9t%E9&e=%80&mix=%E9%C3%A9");
  EXPECT_EQ(p.Values("u"), "\xC3\xA9t\xC3\xA9");                 // été sent as UTF-8
  EXPECT_EQ(p.Values("w"), "\xC3\xA9t\xC3\xA9");                 // été sent in the code page
  EXPECT_EQ(p.Values("e"), "\xE2\x82\xAC");                      // €
  EXPECT_EQ(p.Values("mix"), "\xC3\xA9\xC3\xA9");
  // Characters outside the code page go out as UTF-8 and come back.
  TZQParamList q;
  q.SetValue("k", "\xC5\x91\xE2\x82\xAC\xF0\x9F\x98\x80");  // ő € 😀
  EXPECT_EQ(q.ParamStr(), "k=%C5%91%80%F0%9F%98%80");
  TZQParamList r;
  r.SetParamStr(q.ParamStr());
  EXPECT_EQ(r.Values("k"), q.Values("k"));
}

TEST(ParamList, CodePageBytesThatLookLikeUtf8StayApart) {
  // "Ã©" in the code page is C3 A9, which would read back as "é".
  TZQParamList p;
  p.SetValue("x", "\xC3\x83\xC2\xA9");
  TZQParamList q;
  q.SetParamStr(p.ParamStr());
  EXPECT_EQ(q.Values("x"), "\xC3\x83\xC2\xA9");
}

TEST(ParamList, MalformedInputIsKeptNotRaised) {
  TZQParamList p;
  EXPECT_NO_THROW(p.SetParamStr("a=100%&b=%zz%4&c=%4G&d=%%41"));
  EXPECT_EQ(p.Values("a"), "100%");
  EXPECT_EQ(p.Values("b"), "%zz%4");
  EXPECT_EQ(p.Values("c"), "%4G");
  EXPECT_EQ(p.Values("d"), "%A");
  p.SetParamStr("raw=\xFF\xC3");  // stray bytes become code-page characters
  EXPECT_EQ(p.Values("raw"), "\xC3\xBF\xC3\x83");
}

TEST(ParamList, LaterPiecesReplaceAndEmptyValuesRemove) {
  TZQParamList p;
  p.SetParamStr("x=1&x=2");
  EXPECT_EQ(p.ToVector(), V{"x=2"});
  p.SetParamStr("x=&y=3");
  EXPECT_EQ(p.ToVector(), V{"y=3"});
  p.SetParamStr("");
  EXPECT_EQ(p.Count(), 0);
  p.SetParamStr("a=1&&b=2&noval");
  EXPECT_EQ(p.ToVector(), (V{"a=1", "b=2"}));
  // An encoded "=" in a name stays part of the line.
  p.SetParamStr("k%3Dv=w");
  EXPECT_EQ(p.ToVector(), V{"k=v=w"});
  EXPECT_EQ(p.ParamStr(), "k=v%3Dw");
}

TEST(ParamList, Booleans) {
  TZQParamList p;
  p.SetValue("a", "TRUE");
  p.SetValue("b", "yes");
  p.SetValue("c", "0");
  EXPECT_TRUE(p.GetValueAsBoolDef("a", false));
  EXPECT_TRUE(p.GetValueAsBoolDef("b", true));
  EXPECT_FALSE(p.GetValueAsBoolDef("b", false));
  EXPECT_FALSE(p.GetValueAsBoolDef("c", true));
  EXPECT_FALSE(p.GetValueAsBool("missing"));
  p.SetValueAsBool("d", true);
  EXPECT_EQ(p.Values("d"), "1");
}

TEST(ParamList, OneReaderForBooleanAndIntegerParameters) {
  bool b = false;
  EXPECT_TRUE(ZQTryParamToBool(" TRUE ", b) && b);
  EXPECT_TRUE(ZQTryParamToBool("0", b) && !b);
  EXPECT_FALSE(ZQTryParamToBool("2", b));
  EXPECT_FALSE(ZQTryParamToBool("yes", b));
  EXPECT_FALSE(ZQTryParamToBool("", b));
  EXPECT_TRUE(ZQParamToBool("False") == false);
  EXPECT_THROW(ZQParamToBool("2"), EConvertError);
  try {
    ZQParamToBool("maybe");
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'maybe' is not a valid boolean value");
  }
  std::int32_t i = 0;
  EXPECT_TRUE(ZQTryParamToInt(" -0x1f ", i) && i == -31);
  EXPECT_FALSE(ZQTryParamToInt("1.5", i));
  EXPECT_EQ(ZQParamToInt("$10"), 16);
  EXPECT_THROW(ZQParamToInt("2147483648"), EConvertError);
  // The param list reads its lines the same way.
  TZQParamList p;
  p.SetValue("flag", " true ");
  p.SetValue("n", " 12 ");
  EXPECT_TRUE(p.GetValueAsBoolDef("flag", false));
  EXPECT_EQ(p.GetValueAsIntegerDef("n", 0), 12);
}

TEST(ParamList, NumbersInFixedFormats) {
  TZQParamList p;
  p.SetValueAsInteger("i", -42);
  EXPECT_EQ(p.Values("i"), "-42");
  EXPECT_EQ(p.GetValueAsInteger("i"), -42);
  p.SetValue("h", "$1F");
  EXPECT_EQ(p.GetValueAsInteger("h"), 31);
  p.SetValue("big", "2147483648");
  EXPECT_EQ(p.GetValueAsIntegerDef("big", 7), 7);
  p.SetValue("bad", "12a");
  EXPECT_EQ(p.GetValueAsIntegerDef("bad", 5), 5);
  EXPECT_EQ(p.GetValueAsInteger("missing"), 0);
  p.SetValueAsFloat("f", 1.5);
  EXPECT_EQ(p.Values("f"), "1.5");
  p.SetValueAsFloat("g", 0.1 + 0.2);
  EXPECT_EQ(p.Values("g"), "0.3");
  p.SetValueAsFloat("e", 1e20);
  EXPECT_EQ(p.Values("e"), "1E20");
  EXPECT_DOUBLE_EQ(p.GetValueAsFloat("e"), 1e20);
  p.SetValue("comma", "1,5");
  EXPECT_EQ(p.GetValueAsFloatDef("comma", -1), -1);
  p.SetValue("inf", "inf");
  EXPECT_EQ(p.GetValueAsFloatDef("inf", -1), -1);
}

TEST(ParamList, DatesAndTimes) {
  TZQParamList p;
  p.SetValue("d", "31-12-2015");
  EXPECT_EQ(p.GetValueAsDateDef("d", TDateTime(0)), EncodeDate(2015, 12, 31));
  p.SetValue("us", "12/31/2015");
  EXPECT_EQ(p.GetValueAsDateDef("us", TDateTime(1)), TDateTime(1));
  try {
    p.GetValueAsDate("us");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12/31/2015' is not a valid date");
  }
  EXPECT_THROW(p.GetValueAsTime("missing"), EConvertError);
  EXPECT_EQ(p.GetValueAsTimeDef("missing", TDateTime(2)), TDateTime(2));
  TDateTime dt = EncodeDateTime(2024, 2, 29, 7, 5, 9, 0);
  p.SetValueAsDateTime("dt", dt);
  EXPECT_EQ(p.Values("dt"), "29-02-2024 07:05:09");
  EXPECT_EQ(p.GetValueAsDateTime("dt"), dt);
  p.SetValueAsDateTime("midnight", EncodeDate(2024, 1, 2));
  EXPECT_EQ(p.Values("midnight"), "02-01-2024");
  p.SetValueAsDate("date", dt);
  EXPECT_EQ(p.Values("date"), "29-02-2024");
  p.SetValueAsTime("time", dt);
  EXPECT_EQ(p.Values("time"), "07:05:09");
  EXPECT_DOUBLE_EQ(p.GetValueAsTime("time").Value, EncodeTime(7, 5, 9, 0).Value);
  p.SetValue("bad", "31-02-2015");
  EXPECT_THROW(p.GetValueAsDate("bad"), EConvertError);
}

TEST(ParamList, VariantsByType) {
  TZQParamList p;
  p.SetValueAsVariant("i", Variant(std::int32_t(7)));
  p.SetValueAsVariant("d", Variant(2.5));
  p.SetValueAsVariant("b", Variant(true));
  p.SetValueAsVariant("s", Variant("text"));
  p.SetValueAsVariant("c", Variant(Currency(1.25)));
  p.SetValueAsVariant("t", Variant(EncodeDate(2020, 5, 1)));
  EXPECT_EQ(p.ToVector(), (V{"i=7", "d=2.5", "b=1", "s=text", "c=1.25", "t=01-05-2020"}));
  EXPECT_EQ(p.GetValueAsVariant("s").ToString(), "text");
  EXPECT_TRUE(p.GetValueAsVariant("s").IsText());
  EXPECT_EQ(p.ValueAsVariantToStr(Variant(true)), "True");
  EXPECT_EQ(p.ValueAsVariantToStr(Variant(std::int16_t(-3))), "-3");
  try {
    p.SetValueAsVariant("x", Variant(std::int64_t(5)));
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Tipo n\xC3\xA3o conhecido. 5");
  }
  EXPECT_THROW(p.ValueAsVariantToStr(Variant(1.5f)), Exception);
  EXPECT_THROW(p.ValueAsVariantToStr(Variant(VarNull)), EConvertError);
  EXPECT_EQ(p.IndexOfName("x"), -1);
}

}  // namespace
}  // namespace zq
