#include "foundation/superobject.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <type_traits>
#include <vector>

#include "foundation/exception.h"
#include "foundation/variant.h"

namespace zq {
namespace {

std::string Opt(const ISuperObject& o) {
  return o->AsJSon(false, true, false);
}
std::string Js(const ISuperObject& o) {
  return o->AsJSon(false, true, true);
}

TEST(SuperObject, MemberOrderFollowsTheNameHash) {
  EXPECT_EQ(TSuperTableString::Hash("duration"), 0x49EF7BEEu);
  EXPECT_EQ(TSuperTableString::Hash("show"), 0x2CCE90C5u);
  EXPECT_EQ(TSuperTableString::Hash("hide"), 0x2B667B9Eu);
  ISuperObject a = SO();
  a->PutS("show", "slideDown");
  a->PutS("hide", "slideUp");
  a->PutI("duration", 500);
  ISuperObject b = SO();
  b->PutI("duration", 500);
  b->PutS("hide", "slideUp");
  b->PutS("show", "slideDown");
  EXPECT_EQ(Opt(a), "{duration:500,show:\"slideDown\",hide:\"slideUp\"}");
  EXPECT_EQ(Opt(b), Opt(a));
  EXPECT_EQ(Js(SO("{a:1,b:2,c:3}")), "{\"c\":3,\"b\":2,\"a\":1}");
}

TEST(SuperObject, HashUsesUtf16CodeUnits) {
  // U+00E9 is one unit 0xE9; U+1F600 is the surrogate pair D83D DE00.
  std::uint32_t e = 0x9E370001u + 0xE9u;
  EXPECT_EQ(TSuperTableString::Hash("\xC3\xA9"), e);
  std::uint32_t h = 0;
  for (std::uint32_t u : {0xD83Du, 0xDE00u}) h = h * 129u + u + 0x9E370001u;
  EXPECT_EQ(TSuperTableString::Hash("\xF0\x9F\x98\x80"), h);
}

TEST(SuperObject, ManyMembersStayOrderedAndFindable) {
  ISuperObject o = SO();
  for (int i = 0; i < 500; ++i) o->PutI("k" + std::to_string(i * 7 % 500), i);
  for (int i = 0; i < 500; i += 3) o->Delete("k" + std::to_string(i));
  auto entries = o->AsObject()->Entries();
  ASSERT_EQ(entries.size(), o->AsObject()->count());
  EXPECT_EQ(entries.size(), 500u - 167u);
  for (std::size_t i = 1; i < entries.size(); ++i)
    EXPECT_LT(TSuperTableString::CompareNames(entries[i - 1]->Hash, entries[i - 1]->Name,
                                              entries[i]->Hash, entries[i]->Name),
              0);
  EXPECT_FALSE(o->GetO("k3"));
  EXPECT_TRUE(o->GetO("k4"));
}

TEST(SuperObject, PuttingANameTwiceKeepsTheLastValue) {
  ISuperObject o = SO();
  o->PutS("a", "x");
  o->PutI("a", 2);
  EXPECT_EQ(Js(o), "{\"a\":2}");
  EXPECT_EQ(Js(SO("{a:1,a:'z'}")), "{\"a\":\"z\"}");
}

TEST(SuperObject, EmptyContainersAndMissingValues) {
  EXPECT_EQ(Js(SO("{}")), "{}");
  EXPECT_EQ(Js(SO("[]")), "[]");
  ISuperObject o = SO();
  o->PutO("x", nullptr);
  EXPECT_EQ(Js(o), "{\"x\":null}");
  ISuperObject a = TSuperObject::Create(stArray);
  a->AsArray()->PutO(2, TSuperObject::Create(1));
  EXPECT_EQ(Js(a), "[null,null,1]");
  EXPECT_EQ(Js(TSuperObject::Create(stNull)), "null");
}

TEST(SuperObject, DoubleFormat) {
  auto d = [](double v) { return TSuperObject::Create(v)->AsJSon(); };
  EXPECT_EQ(d(0.5), "0.5");
  EXPECT_EQ(d(500), "500.");
  EXPECT_EQ(d(3), "3.");
  EXPECT_EQ(d(1.25), "1.25");
  EXPECT_EQ(d(0.05), "5.e-002");
  EXPECT_EQ(d(1e20), "1.e+020");
  EXPECT_EQ(d(-1.5e-7), "-1.5e-007");
  EXPECT_EQ(d(1e300), "1.e+300");
  EXPECT_EQ(d(1e15), "1.e+015");
  EXPECT_EQ(d(123456789012345.0), "123456789012345.");
  EXPECT_EQ(d(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(d(2.0 / 3 * 1e-5), "6.66666666666667e-006");
  EXPECT_EQ(d(0), "0.");
}

// The writer's layout of the correctly rounded 15-significant-digit value,
// built from the C library's exact "%.14e" conversion.
std::string Reference15(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  std::string s(buf);
  bool neg = s[0] == '-';
  if (neg) s.erase(0, 1);
  std::size_t epos = s.find('e');
  int exp = std::atoi(s.c_str() + epos + 1);
  std::string digits = s.substr(0, 1) + s.substr(2, epos - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = neg ? "-" : "";
  if (v == 0) return out + "0.";
  if (exp == -1) return out + "0." + digits;
  if (exp >= 0 && exp <= 14) {
    std::size_t intLen = static_cast<std::size_t>(exp) + 1;
    if (digits.size() <= intLen)
      return out + digits + std::string(intLen - digits.size(), '0') + ".";
    return out + digits.substr(0, intLen) + "." + digits.substr(intLen);
  }
  char e[16];
  std::snprintf(e, sizeof e, "e%c%03d", exp < 0 ? '-' : '+', exp < 0 ? -exp : exp);
  return out + digits.substr(0, 1) + "." + digits.substr(1) + e;
}

TEST(SuperObject, DoublesRoundToFifteenDigitsExactly) {
  auto w = [](double v) { return TSuperObject::Create(v)->AsJSon(); };
  std::mt19937_64 rng(1234);
  std::vector<double> values = {1e-8,
                                9.99999999999999e-9,
                                1e22,
                                1e23,
                                999999999999999.5,
                                9.999999999999995e14,
                                0.1,
                                0.3,
                                2.0 / 3,
                                5e-324,
                                1.7976931348623157e308,
                                123456789012345678.0,
                                0.000123456789012345,
                                4503599627370497.0};
  // Values near every power of ten, where the digit count changes.
  for (int p = -30; p <= 30; ++p) {
    double b = std::pow(10.0, p);
    values.push_back(b);
    values.push_back(std::nextafter(b, 0.0));
    values.push_back(std::nextafter(b, 1e308));
    values.push_back(b * 9.999999999999996);
    values.push_back(b * 9.9999999999999996);
  }
  // Random bit patterns (mostly 17-digit values), and values that went
  // through "%.15g" (the common case of data that came from text).
  for (int i = 0; i < 100000; ++i) {
    double r;
    std::uint64_t bits = rng();
    std::memcpy(&r, &bits, sizeof r);
    if (!std::isfinite(r)) continue;
    values.push_back(r);
    double scaled =
        std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 120) - 80);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", scaled);
    values.push_back(std::strtod(buf, nullptr));
    values.push_back(-scaled);
  }
  int failures = 0;
  for (double v : values) {
    if (w(v) != Reference15(v) && ++failures <= 5)
      ADD_FAILURE() << "value " << v << ": wrote " << w(v) << ", expected " << Reference15(v);
  }
  EXPECT_EQ(failures, 0);
}

TEST(SuperObject, DoublesReadExactly) {
  // Every spelling must read as the correctly rounded double, whichever way
  // the parser takes (short mantissas and small exponents, or the rest).
  std::mt19937_64 rng(99);
  std::vector<std::string> texts = {"0.000001",
                                    "-0.0000000",
                                    "1e22",
                                    "1e23",
                                    "123456789012345e-22",
                                    "1234567890123456e-5",
                                    "9007199254740993.0",
                                    "0.1e1",
                                    "5E-324",
                                    "1.7976931348623157e308",
                                    "-2.5e+10",
                                    "0.30000000000000004",
                                    "000123.456789",
                                    "1e-400",
                                    "4e-320",
                                    "123456789012345.67890"};
  for (int i = 0; i < 50000; ++i) {
    char buf[64];
    double v = std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 140) - 100);
    switch (i % 4) {
      case 0:
        std::snprintf(buf, sizeof buf, "%.15g", v);
        break;
      case 1:
        std::snprintf(buf, sizeof buf, "%.17g", v);
        break;
      case 2:
        std::snprintf(buf, sizeof buf, "%.*e", static_cast<int>(rng() % 16), -v);
        break;
      default:
        std::snprintf(buf, sizeof buf, "%.*f", 5 + static_cast<int>(rng() % 12), v);
        break;
    }
    texts.emplace_back(buf);
  }
  int failures = 0;
  for (const std::string& t : texts) {
    // Integers and short fractions read as integers and currency instead.
    std::size_t dot = t.find('.');
    bool exp = t.find_first_of("eE") != std::string::npos;
    if (!exp && (dot == std::string::npos || t.size() - dot - 1 <= 4)) continue;
    ISuperObject o = SO(t);
    double expected = std::strtod(t.c_str(), nullptr);
    double got = o ? o->AsDouble() : -1.0;
    bool ok = o && o->GetDataType() == stDouble && std::memcmp(&expected, &got, sizeof got) == 0;
    if (!ok && ++failures <= 5)
      ADD_FAILURE() << "text " << t << " read as " << (o ? o->AsJSon() : "no node");
  }
  EXPECT_EQ(failures, 0);
}

TEST(SuperObject, IntegersAndShortFractionsReadExactly) {
  std::mt19937_64 rng(5);
  int failures = 0;
  auto fail = [&](const std::string& t, const ISuperObject& o) {
    if (++failures <= 5) ADD_FAILURE() << "text " << t << " read as " << (o ? o->AsJSon() : "no node");
  };
  for (int i = 0; i < 20000; ++i) {
    // Integers of 1 to 19 digits, some with leading zeros.
    int len = 1 + static_cast<int>(rng() % 19);
    std::string t = (rng() & 1) ? "-" : "";
    if (rng() % 8 == 0) t += "00";
    for (int k = 0; k < len; ++k) t += static_cast<char>('0' + rng() % 10);
    errno = 0;
    long long v = std::strtoll(t.c_str(), nullptr, 10);
    ISuperObject o = SO(t);
    if (errno == ERANGE) {
      if (!o || o->GetDataType() != stDouble) fail(t, o);
    } else if (!o || o->GetDataType() != stInt || o->AsInteger() != v) {
      fail(t, o);
    }
    // Fractions of 1 to 4 digits: currency, exact to the last digit.
    std::string c = t.substr(0, t.size() > 16 ? 16 : t.size());
    if (c == "-" || c.empty()) c += "0";
    c += ".";
    int fd = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < fd; ++k) c += static_cast<char>('0' + rng() % 10);
    Currency expected;
    bool inRange = Currency::TryParse(c, expected);
    ISuperObject co = SO(c);
    if (inRange ? (!co || co->GetDataType() != stCurrency || co->AsCurrency().raw() != expected.raw())
                : (!co || co->GetDataType() != stDouble))
      fail(c, co);
  }
  EXPECT_EQ(failures, 0);
  // Spellings outside the plain shape keep their meaning.
  EXPECT_EQ(SO("1.")->GetDataType(), stCurrency);
  EXPECT_EQ(SO("-.5")->AsCurrency().raw(), -5000);
  EXPECT_FALSE(SO("1.2.3"));
  EXPECT_FALSE(SO("1-2"));
  EXPECT_FALSE(SO("-"));
  EXPECT_EQ(SO("[1e5,2E-2]")->AsArray()->GetD(1), 0.02);
}

TEST(SuperObject, ParsedObjectsMatchObjectsBuiltMemberByMember) {
  // Parsing sorts an object's members in one go; the result must be the
  // object that putting the members one by one gives: the same order, and a
  // repeated name keeping the value read last. Small and large objects.
  std::mt19937_64 rng(17);
  for (int round = 0; round < 300; ++round) {
    int members = 1 + static_cast<int>(rng() % (round % 2 ? 80 : 20));
    int distinct = 1 + static_cast<int>(rng() % static_cast<unsigned>(members));
    std::string text = "{";
    ISuperObject built = SO();
    for (int i = 0; i < members; ++i) {
      std::string name = "n" + std::to_string(rng() % static_cast<unsigned>(distinct));
      if (i) text += ',';
      text += "\"" + name + "\":" + std::to_string(i);
      built->AsObject()->PutO(name, TSuperObject::Create(i));
    }
    text += "}";
    ISuperObject parsed = SO(text);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(Js(parsed), Js(built)) << text;
    EXPECT_EQ(parsed->AsObject()->count(), built->AsObject()->count());
  }
}

TEST(SuperObject, NonFiniteDoublesWriteNull) {
  ISuperObject a = SA({std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()});
  EXPECT_EQ(Js(a), "[null,null,null]");
}

TEST(SuperObject, CurrencyFormat) {
  auto c = [](double v) { return TSuperObject::CreateCurrency(Currency(v))->AsJSon(); };
  EXPECT_EQ(c(1.5), "1.5");
  EXPECT_EQ(c(0.25), "0.25");
  EXPECT_EQ(c(1.2345), "1.2345");
  EXPECT_EQ(c(2), "2.");
  EXPECT_EQ(c(10), "10.");
  EXPECT_EQ(c(0), "0");
  EXPECT_EQ(c(-0.5), "-0.5");
}

TEST(SuperObject, ParsedNumbersKeepTheirKind) {
  ISuperObject o = SO("[2.50, 2.00000, 2.0, 7, -3, 1e2, 0.12345, 5.e-002]");
  ASSERT_TRUE(o);
  TSuperArray* a = o->AsArray();
  EXPECT_EQ(a->GetO(0)->GetDataType(), stCurrency);
  EXPECT_EQ(a->GetO(1)->GetDataType(), stDouble);
  EXPECT_EQ(a->GetO(2)->GetDataType(), stCurrency);
  EXPECT_EQ(a->GetO(3)->GetDataType(), stInt);
  EXPECT_EQ(a->GetO(5)->GetDataType(), stDouble);
  EXPECT_EQ(a->GetO(6)->GetDataType(), stDouble);
  EXPECT_EQ(a->GetO(7)->GetDataType(), stDouble);
  EXPECT_EQ(a->GetO(7)->AsDouble(), 0.05);
  EXPECT_EQ(Js(o), "[2.5,2.,2.,7,-3,100.,0.12345,5.e-002]");
}

TEST(SuperObject, OversizedNumbersBecomeDoubles) {
  ISuperObject big = SO("123456789012345678901234");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->GetDataType(), stDouble);
  EXPECT_EQ(big->AsJSon(), "1.23456789012346e+023");
  ISuperObject cur = SO("-99999999999999999.5");
  ASSERT_TRUE(cur);
  EXPECT_EQ(cur->GetDataType(), stDouble);
  EXPECT_EQ(cur->AsDouble(), -99999999999999999.5);
  EXPECT_EQ(SO("9223372036854775807")->AsInteger(), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(SO("9223372036854775808")->GetDataType(), stDouble);
  EXPECT_EQ(SO("1e999")->AsJSon(), "null");
}

TEST(SuperObject, Escaping) {
  ISuperObject s = TSuperObject::Create("\xC3\xA9\xE2\x82\xAC a/b \"q\" \\ \n\t\x01\x7F");
  EXPECT_EQ(s->AsJSon(false, true), "\"\\u00e9\\u20ac a\\/b \\\"q\\\" \\\\ \\n\\t\\u0001\x7F\"");
  EXPECT_EQ(s->AsJSon(false, false), "\"\xC3\xA9\xE2\x82\xAC a\\/b \\\"q\\\" \\\\ \n\t\x01\x7F\"");
  ISuperObject nul = TSuperObject::Create(std::string_view("a\0b", 3));
  EXPECT_EQ(nul->AsJSon(false, false), "\"a\\u0000b\"");
  // Characters above U+FFFF escape as two surrogate units.
  EXPECT_EQ(TSuperObject::Create("\xF0\x9F\x98\x80")->AsJSon(), "\"\\ud83d\\ude00\"");
  // Member names are escaped too; with quoting off, a name that is not a
  // script identifier is still quoted so the literal stays valid script.
  ISuperObject o = SO();
  o->PutI("a/\xC3\xA9", 1);
  EXPECT_EQ(Opt(o), "{\"a\\/\\u00e9\":1}");
  ISuperObject names = SO();
  names->PutI("background-color", 1);
  names->PutI("x\"});alert(1);//", 2);
  names->PutI("_ok$1", 3);
  names->PutI("\xC3\xA9t\xC3\xA9", 4);
  names->PutI("10", 5);
  names->PutI("010", 6);
  ISuperObject back = SO(names->AsJSon(false, true, false));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->AsJSon(), names->AsJSon());
  std::string text = names->AsJSon(false, false, false);
  EXPECT_NE(text.find("\"background-color\":1"), std::string::npos) << text;
  EXPECT_NE(text.find("\"x\\\"});alert(1);\\/\\/\":2"), std::string::npos) << text;
  EXPECT_NE(text.find("_ok$1:3"), std::string::npos) << text;
  EXPECT_NE(text.find("\xC3\xA9t\xC3\xA9:4"), std::string::npos) << text;
  EXPECT_NE(text.find("10:5"), std::string::npos) << text;
  EXPECT_NE(text.find("\"010\":6"), std::string::npos) << text;
}

TEST(SuperObject, ParserAcceptsTheLenientDialect) {
  ISuperObject o = SO("{a:1, 'b':'x', c:abc}");
  ASSERT_TRUE(o);
  EXPECT_EQ(o->GetI("a"), 1);
  EXPECT_EQ(o->GetS("b"), "x");
  EXPECT_EQ(o->GetS("c"), "abc");
  EXPECT_EQ(o->GetO("c")->GetDataType(), stString);

  ISuperObject t = SO("True");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->GetDataType(), stString);
  EXPECT_EQ(t->AsString(), "True");
  EXPECT_FALSE(SO(""));
  EXPECT_FALSE(SO("   "));
  EXPECT_FALSE(SO("{a:"));
  EXPECT_EQ(Js(SO("[1, 2] and more words")), "[1,2]");
  EXPECT_EQ(Js(SO("/* c */ [1, // one\n 2 /* two */]")), "[1,2]");
  EXPECT_EQ(Js(SO("[true, false, null, trueish, nulls, null.x, tru]")),
            "[true,false,null,\"trueish\",\"nulls\",\"null.x\",\"tru\"]");
  EXPECT_EQ(Js(SO("{name : hello world  , x:[a b,c]}")),
            "{\"x\":[\"a b\",\"c\"],\"name\":\"hello world\"}");
  EXPECT_EQ(SO("\"tab\\there\\x41\\u00E9\\/\\q\"")->AsString(),
            "tab\there"
            "A\xC3\xA9/q");
  EXPECT_EQ(SO("'it''s'")->AsString(), "it");
  EXPECT_FALSE(SO("\"\\u12G4\""));
  EXPECT_FALSE(SO("\"unterminated"));
  EXPECT_FALSE(SO("'mixed\""));
  EXPECT_FALSE(SO("[1 2]"));
  EXPECT_FALSE(SO("{a 1}"));
  EXPECT_FALSE(SO("{.a:1}"));
  EXPECT_FALSE(SO("[1,]"));
  EXPECT_FALSE(SO("[1-2]"));
  EXPECT_FALSE(SO("/* open"));
}

TEST(SuperObject, SurrogateEscapes) {
  EXPECT_EQ(SO("\"\\ud83d\\ude00\"")->AsString(), "\xF0\x9F\x98\x80");
  // A lone surrogate is kept and written back unchanged.
  ISuperObject lone = SO("\"a\\ud800b\"");
  ASSERT_TRUE(lone);
  EXPECT_EQ(lone->AsString(),
            "a\xED\xA0\x80"
            "b");
  EXPECT_EQ(lone->AsJSon(), "\"a\\ud800b\"");
  EXPECT_EQ(SO("\"\\udc00\\ud800\"")->AsJSon(), "\"\\udc00\\ud800\"");
}

TEST(SuperObject, NestingLimit) {
  auto nested = [](int n) { return std::string(n, '[') + std::string(n, ']'); };
  EXPECT_TRUE(SO(nested(32)));  // the innermost array is 31 levels below the outermost
  EXPECT_FALSE(SO(nested(33)));
  EXPECT_TRUE(SO(std::string(31, '[') + "1" + std::string(31, ']')));
  EXPECT_FALSE(SO(std::string(32, '[') + "1" + std::string(32, ']')));
  // Deep malformed input is rejected without recursing further.
  EXPECT_FALSE(SO(std::string(200000, '[')));
  EXPECT_FALSE(SO(std::string(200000, '{')));
}

TEST(SuperObject, FunctionsAreWrittenVerbatim) {
  ISuperObject o = SO();
  o->PutO("click", TSuperObject::Create("function(e){alert(1);}", true));
  EXPECT_EQ(Opt(o), "{click:function(e){alert(1);}}");
  EXPECT_EQ(o->GetO("click")->GetDataType(), stFunction);
  EXPECT_EQ(o->GetO("click")->Clone()->GetDataType(), stFunction);
}

TEST(SuperObject, Indentation) {
  ISuperObject o = SO("{a:1,b:[1,2],c:{}}");
  EXPECT_EQ(o->AsJSon(true, true, false), "{\r\n c: {},\r\n b: [\r\n  1,2],\r\n a: 1\r\n}");
  EXPECT_EQ(SO("{x:{y:1}}")->AsJSon(true, true, true), "{\r\n \"x\": {\r\n  \"y\": 1\r\n }\r\n}");
}

TEST(SuperObject, Conversions) {
  EXPECT_FALSE(TSuperObject::Create(stNull)->AsBoolean());
  EXPECT_TRUE(TSuperObject::Create("false")->AsBoolean());
  EXPECT_FALSE(TSuperObject::Create("")->AsBoolean());
  EXPECT_TRUE(SO("{}")->AsBoolean());
  EXPECT_EQ(TSuperObject::Create(2.5)->AsInteger(), 2);
  EXPECT_EQ(TSuperObject::Create(3.5)->AsInteger(), 4);
  EXPECT_EQ(TSuperObject::CreateCurrency(Currency(2.5))->AsInteger(), 2);
  EXPECT_EQ(TSuperObject::Create("42")->AsInteger(), 42);
  EXPECT_EQ(TSuperObject::Create("4x")->AsInteger(), 0);
  EXPECT_EQ(TSuperObject::Create(true)->AsInteger(), 1);
  EXPECT_EQ(SO("[1]")->AsInteger(), 0);
  EXPECT_EQ(TSuperObject::CreateCurrency(Currency(1.5))->AsDouble(), 1.5);
  EXPECT_EQ(TSuperObject::Create("2.25")->AsDouble(), 2.25);
  EXPECT_EQ(TSuperObject::Create("x")->AsDouble(), 0.0);
  EXPECT_EQ(TSuperObject::Create(7)->AsCurrency().raw(), 70000);
  EXPECT_EQ(TSuperObject::Create("1.5")->AsCurrency().raw(), 15000);
  EXPECT_EQ(TSuperObject::Create(0.25)->AsCurrency().raw(), 2500);
  EXPECT_EQ(SO("{a:[1,'x']}")->AsString(), "{\"a\":[1,\"x\"]}");
  EXPECT_EQ(TSuperObject::Create("a\"b")->AsString(), "a\"b");
  EXPECT_TRUE(SO("[]")->AsArray());
  EXPECT_FALSE(SO("[]")->AsObject());
  EXPECT_TRUE(SO("[]")->IsType(stArray));
}

TEST(SuperObject, OutOfRangeConversionsSaturate) {
  const auto maxI = std::numeric_limits<std::int64_t>::max();
  const auto minI = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(TSuperObject::Create(1e300)->AsInteger(), maxI);
  EXPECT_EQ(TSuperObject::Create(-1e300)->AsInteger(), minI);
  EXPECT_EQ(TSuperObject::Create(std::nan(""))->AsInteger(), 0);
  EXPECT_EQ(TSuperObject::Create(1e300)->AsCurrency().raw(), maxI);
  EXPECT_EQ(TSuperObject::Create(std::nan(""))->AsCurrency().raw(), 0);
  EXPECT_EQ(TSuperObject::Create(maxI)->AsCurrency().raw(), maxI);
  EXPECT_EQ(TSuperObject::Create(minI)->AsCurrency().raw(), minI);
  EXPECT_EQ(TSuperObject::Create("99999999999999999999")->AsInteger(), maxI);
  EXPECT_EQ(TSuperObject::CreateCurrency(Currency::FromRaw(minI))->AsInteger(), -922337203685478);
}

TEST(SuperObject, ArrayGrowthAndEditing) {
  ISuperObject n = TSuperObject::Create(stArray);
  TSuperArray* a = n->AsArray();
  EXPECT_EQ(a->Capacity(), 0u);
  a->Add(TSuperObject::Create(0));
  EXPECT_EQ(a->Capacity(), 1u);
  a->Add(TSuperObject::Create(1));
  EXPECT_EQ(a->Capacity(), 2u);
  a->Add(TSuperObject::Create(2));
  EXPECT_EQ(a->Capacity(), 4u);
  a->PutO(20, TSuperObject::Create(20));
  EXPECT_EQ(a->Capacity(), 21u);
  EXPECT_EQ(a->Length(), 21u);
  EXPECT_FALSE(a->GetO(10));
  EXPECT_FALSE(a->GetO(99));
  EXPECT_EQ(a->GetS(99), "");
  EXPECT_EQ(a->Add(nullptr), 21u);
  EXPECT_EQ(a->Delete(20)->AsInteger(), 20);
  EXPECT_FALSE(a->Delete(100));
  a->Insert(0, TSuperObject::Create("first"));
  a->Insert(50, TSuperObject::Create("far"));
  EXPECT_EQ(a->Length(), 51u);
  EXPECT_EQ(a->GetS(0), "first");
  EXPECT_EQ(a->GetI(1), 0);
  EXPECT_EQ(a->GetS(50), "far");
  ISuperObject small = SA({1, 2});
  small->AsArray()->Delete(0);
  EXPECT_EQ(Js(small), "[2]");
}

TEST(SuperObject, ArrayKeepsItemsAcrossBufferChanges) {
  // Short arrays and long ones keep their items in different kinds of
  // storage; growing from one to the other must carry every item along.
  ISuperObject n = TSuperObject::Create(stArray);
  TSuperArray* a = n->AsArray();
  std::string expected = "[";
  for (int i = 0; i < 40; ++i) {
    a->Add(TSuperObject::Create(i));
    expected += (i ? "," : "") + std::to_string(i);
    ASSERT_EQ(Js(n), expected + "]");
  }
  ISuperObject copy = n->Clone();
  for (int i = 0; i < 35; ++i) a->Delete(0);
  EXPECT_EQ(Js(n), "[35,36,37,38,39]");
  EXPECT_EQ(copy->AsArray()->Length(), 40u);
  EXPECT_EQ(copy->AsArray()->GetI(39), 39);
}

TEST(SuperObject, PathAccess) {
  ISuperObject o = SO();
  o->PutI("a.b.c", 5);
  EXPECT_EQ(Js(o), "{\"a\":{\"b\":{\"c\":5}}}");
  EXPECT_EQ(o->GetI("a.b.c"), 5);
  EXPECT_FALSE(o->GetO("a.x.c"));
  o->PutO("list", SA({10, 20}));
  EXPECT_EQ(o->GetI("list[1]"), 20);
  o->PutS("list[3]", "x");
  EXPECT_EQ(Js(o->GetO("list")), "[10,20,null,\"x\"]");
  o->PutS("background-color", "red");
  EXPECT_EQ(o->GetS("background-color"), "red");
  EXPECT_EQ(o->Delete("a.b")->AsJSon(), "{\"c\":5}");
  EXPECT_EQ(Js(o->GetO("a")), "{}");
  EXPECT_FALSE(o->Delete("nope.x"));
  // Names that are not paths are plain member names.
  o->PutS("some key", "v");
  EXPECT_EQ(o->GetS("some key"), "v");
  o->PutS("a..b", "w");
  EXPECT_EQ(o->AsObject()->GetO("a..b")->AsString(), "w");
}

TEST(SuperObject, CloneIsDeep) {
  ISuperObject o = SO("{a:[1,{b:2}],s:'x',c:1.5,d:0.125678}");
  ISuperObject c = o->Clone();
  EXPECT_EQ(Js(c), Js(o));
  c->GetO("a")->AsArray()->GetO(1)->PutI("b", 3);
  EXPECT_EQ(o->GetI("a[1].b"), 2);
  EXPECT_EQ(c->GetO("c")->GetDataType(), stCurrency);
}

TEST(SuperObject, Merge) {
  ISuperObject t = SO("{a:1,o:{x:1,y:2},arr:[1,{p:1}],s:'old'}");
  ISuperObject s = SO("{a:'text',o:{y:3,z:4},arr:[5,{q:2},7],s:'new',n:{k:1}}");
  t->Merge(s, false);
  EXPECT_EQ(Js(t),
            "{\"arr\":[5,{\"q\":2,\"p\":1},7],\"s\":\"new\",\"o\":{\"z\":4,\"y\":3,\"x\":1},"
            "\"n\":{\"k\":1},\"a\":\"text\"}");
  // Without `reference` the merged-in nodes are copies.
  EXPECT_NE(t->GetO("n").get(), s->GetO("n").get());
  ISuperObject t2 = SO("{}");
  t2->Merge(s, true);
  EXPECT_EQ(t2->GetO("n").get(), s->GetO("n").get());
  // Different kinds: nothing happens.
  ISuperObject arr = SO("[1]");
  arr->Merge(SO("{a:1}"));
  EXPECT_EQ(Js(arr), "[1]");
  ISuperObject f = TSuperObject::Create("f()", true);
  f->Merge(TSuperObject::Create("g()", true));
  EXPECT_EQ(f->AsJSon(), "g()");
}

TEST(SuperObject, CyclesAreCut) {
  ISuperObject o = SO("{a:1}");
  o->PutO("self", o);
  EXPECT_EQ(Js(o), "{\"a\":1}");
  ISuperObject arr = SA({1});
  arr->AsArray()->Add(arr);
  EXPECT_EQ(Js(arr), "[1]");
  ISuperObject c = o->Clone();
  EXPECT_EQ(Js(c), "{\"a\":1,\"self\":null}");
  o->Merge(o);
  o->Merge(c);
  EXPECT_EQ(o->GetI("a"), 1);
  // Break the cycles so the nodes are freed.
  o->Delete("self");
  arr->AsArray()->Delete(1);
}

TEST(SuperObject, DeepDocumentsBuiltInCode) {
  // Freed without recursion, at any depth.
  {
    ISuperObject root = SO();
    TSuperObject* cur = root.get();
    for (int i = 0; i < 200000; ++i) {
      ISuperObject next = SO();
      cur->PutO("n", next);
      cur = next.get();
    }
  }
  {
    ISuperObject root = TSuperObject::Create(stArray);
    TSuperObject* cur = root.get();
    for (int i = 0; i < 200000; ++i) {
      ISuperObject next = TSuperObject::Create(stArray);
      cur->AsArray()->Add(next);
      cur = next.get();
    }
    // Beyond the writer's depth limit writing fails with an empty text.
    EXPECT_EQ(root->AsJSon(), "");
    std::string out = "keep";
    EXPECT_FALSE(root->WriteJSon(out));
    EXPECT_EQ(out, "keep");
  }
  ISuperObject root = TSuperObject::Create(stArray);
  TSuperObject* cur = root.get();
  for (int i = 1; i < kSuperMaxDepth; ++i) {
    ISuperObject next = TSuperObject::Create(stArray);
    cur->AsArray()->Add(next);
    cur = next.get();
  }
  cur->AsArray()->Add(TSuperObject::Create(1));
  std::string expect = std::string(kSuperMaxDepth, '[') + "1" + std::string(kSuperMaxDepth, ']');
  EXPECT_EQ(root->AsJSon(), expect);
  EXPECT_EQ(root->Clone()->AsJSon(), expect);
}

TEST(SuperObject, SOOfVariant) {
  EXPECT_FALSE(SO(Variant()));
  EXPECT_FALSE(SO(Variant(VarNull)));
  EXPECT_EQ(SO(Variant(std::int16_t{-3}))->GetDataType(), stInt);
  EXPECT_EQ(SO(Variant(std::uint32_t{4000000000u}))->AsInteger(), 4000000000);
  EXPECT_EQ(SO(Variant(1.5f))->GetDataType(), stDouble);
  EXPECT_EQ(SO(Variant(Currency(2.5)))->AsJSon(), "2.5");
  EXPECT_EQ(SO(Variant("t"))->AsJSon(), "\"t\"");
  EXPECT_EQ(SO(Variant(true))->AsJSon(), "true");
  try {
    SO(Variant(static_cast<TObject*>(nullptr)));
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unsuported variant data type: " + std::to_string(varObject));
  }
}

TEST(SuperObject, DatesBecomeUnixMilliseconds) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
  TDateTime local = EncodeDateTime(2021, 7, 15, 2, 0, 0, 5);
  EXPECT_EQ(NativeToJavaDateTime(local), 1626307200005);
  EXPECT_EQ(SO(Variant(local))->AsInteger(), 1626307200005);
  EXPECT_EQ(DateTimeToString(JavaToNativeDateTime(1626307200005)), "2021-07-15 02:00:00.005");
  if (old)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(SuperObject, SAAndSAV) {
  ISuperObject inner = SO("{x:1}");
  ISuperObject a = SA({1, true, 'c', "text", 2.5, Currency(1.5), std::int64_t{1} << 40, Variant(3),
                       inner, nullptr});
  EXPECT_EQ(Js(a), "[1,true,\"c\",\"text\",2.5,1.5,1099511627776,3,{\"x\":1},null]");
  EXPECT_EQ(a->AsArray()->GetO(8).get(), inner.get());
  EXPECT_EQ(Js(SA({})), "[]");
  EXPECT_EQ(Js(SAV({Variant(1), Variant("a"), Variant()})), "[1,\"a\",null]");
}

TEST(SuperObject, IterationNamesAndObjectTests) {
  ISuperObject o = SO("{a:1,b:2,c:3}");
  TSuperObjectIter it;
  std::string seen;
  if (ObjectFindFirst(o, it)) {
    do {
      seen += it.key + "=" + it.val->AsString() + ";";
    } while (ObjectFindNext(it));
  }
  ObjectFindClose(it);
  EXPECT_EQ(seen, "c=3;b=2;a=1;");
  EXPECT_FALSE(ObjectFindFirst(SO("{}"), it));
  EXPECT_FALSE(ObjectFindFirst(SO("[1]"), it));
  EXPECT_EQ(Js(o->AsObject()->GetNames()), "[\"c\",\"b\",\"a\"]");
  EXPECT_TRUE(SOIsObject(o));
  EXPECT_FALSE(SOIsObject(SO("[]")));
  EXPECT_FALSE(SOIsObject(nullptr));
  EXPECT_TRUE(SOIsEmptyObject(SO("{}")));
  EXPECT_FALSE(SOIsEmptyObject(o));
  EXPECT_FALSE(SOIsEmptyObject(nullptr));
  EXPECT_TRUE(SO("{}")->AsObject()->IsEmpty());
}

TEST(SuperObject, NodesAreSharedByCounting) {
  static_assert(!std::is_destructible_v<TSuperObject>,
                "nodes are freed by their last reference only");
  ISuperObject n = TSuperObject::Create(1);
  EXPECT_EQ(n->RefCount(), 1u);
  {
    ISuperObject a = SO(), b = SA({n});
    a->PutO("x", n);
    EXPECT_EQ(n->RefCount(), 3u);
  }
  EXPECT_EQ(n->RefCount(), 1u);
}

TEST(SuperObject, WriteParseRoundTrip) {
  const char* text =
      "{\"s\":\"\\u00e9\\ud83d\\ude00\\n\\\"\",\"d\":[5.e-002,1.e+020,123.456789],\"c\":2.5,\"i\":-"
      "7,"
      "\"b\":true,\"n\":null,\"o\":{\"x\":[]}}";
  ISuperObject a = SO(text);
  ASSERT_TRUE(a);
  std::string once = Js(a);
  ISuperObject b = SO(once);
  ASSERT_TRUE(b);
  EXPECT_EQ(Js(b), once);
  EXPECT_EQ(b->GetO("d[0]")->GetDataType(), stDouble);
  EXPECT_EQ(b->GetD("d[0]"), 0.05);
}

}  // namespace
}  // namespace zq

namespace zq {
namespace {

TEST(SuperObjectThreads, NodesMayBeReleasedOnAnotherThread) {
  // Documents built on worker threads and released elsewhere (and the other
  // way round); the pools of finished threads are reused by new ones.
  for (int round = 0; round < 3; ++round) {
    std::vector<ISuperObject> made(4);
    std::vector<std::thread> ts;
    for (int t = 0; t < 4; ++t)
      ts.emplace_back([&made, t] {
        ISuperObject d = SO("{a:[1,2,{b:'x'}],c:'long enough text to leave the small buffer'}");
        for (int i = 0; i < 2000; ++i) d->PutI("k" + std::to_string(i), i);
        made[t] = d;
      });
    for (auto& th : ts) th.join();
    ISuperObject local = SO("[1,2,3]");
    std::thread releaser([&made, &local] {
      for (auto& d : made) {
        EXPECT_EQ(d->GetI("k1999"), 1999);
        d = nullptr;
      }
      local = nullptr;
    });
    releaser.join();
    ISuperObject again = SO("{z:1}");
    EXPECT_EQ(again->AsJSon(), "{\"z\":1}");
  }
}

}  // namespace
}  // namespace zq
