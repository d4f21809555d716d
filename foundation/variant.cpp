#include "foundation/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "foundation/exception.h"

namespace zq {

namespace {

using K = Variant::Kind;

constexpr double kTwo63 = 9223372036854775808.0;

std::int64_t SaturateToInt64(double d) {
  if (std::isnan(d)) return 0;
  d = std::nearbyint(d);
  if (d >= kTwo63) return std::numeric_limits<std::int64_t>::max();
  if (d < -kTwo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(d);
}

// Reads a whole text as a double (blanks around allowed); false when it is not a number.
bool TextToDouble(std::string_view s, double& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value unchanged on overflow; give the saturated result.
    out = (s.front() == '-') ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
    bool tiny = s.find_first_of("eE") != std::string_view::npos &&
                s.find('-', s.find_first_of("eE")) != std::string_view::npos;
    if (tiny) out = 0.0;
    return r.ptr == s.data() + s.size();
  }
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool TextToInt64(std::string_view s, std::int64_t& out) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  if (r.ptr != s.data() + s.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    out = s.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                           : std::numeric_limits<std::int64_t>::max();
    return true;
  }
  return r.ec == std::errc();
}

[[noreturn]] void NotANumber(const std::string& s) {
  throw EConvertError("\"" + s + "\" is not a valid number");
}

[[noreturn]] void BadCast() { throw EInvalidCast("Invalid variant type conversion"); }

// Floating text in the general format with 15 significant digits: fixed for
// decimal exponents -5..14, otherwise mantissa "E" exponent ("1E20", "1.5E-6").
std::string FloatText(double d) {
  if (std::isnan(d)) return "NAN";
  if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
  if (d == 0) return "0";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));
  std::size_t e = sci.find('e');
  int exp = 0;
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exp);
  bool neg = sci[0] == '-';
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c >= '0' && c <= '9') digits.push_back(c);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = neg ? "-" : "";
  if (exp >= -5 && exp < 15) {
    if (exp < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exp - 1), '0');
      out += digits;
    } else {
      std::size_t intLen = static_cast<std::size_t>(exp) + 1;
      if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
      } else {
        out += digits.substr(0, intLen);
        out += '.';
        out += digits.substr(intLen);
      }
    }
  } else {
    out += digits[0];
    if (digits.size() > 1) {
      out += '.';
      out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exp);
  }
  return out;
}

}  // namespace

std::uint16_t Variant::VarType() const {
  static const std::uint16_t kCodes[] = {
      varEmpty, varNull,     varSmallint, varInteger, varInt64,  varShortInt,
      varByte,  varWord,     varLongWord, varUInt64,  varSingle, varDouble,
      varCurrency, varDate, varBoolean,  varUString, varObject};
  return kCodes[v_.index()];
}

bool Variant::IsInteger() const {
  switch (kind()) {
    case K::Smallint: case K::Integer: case K::Int64: case K::ShortInt: case K::Byte:
    case K::Word: case K::LongWord: case K::UInt64:
      return true;
    default:
      return false;
  }
}

bool Variant::IsOrdinal() const { return IsInteger() || kind() == K::Boolean; }

bool Variant::IsFloat() const {
  return kind() == K::Single || kind() == K::Double || kind() == K::Currency;
}

bool Variant::IsNumeric() const { return IsOrdinal() || IsFloat(); }

std::string Variant::ToString() const {
  switch (kind()) {
    case K::Empty: case K::Null: case K::Object: return std::string();
    case K::Smallint: return std::to_string(std::get<std::int16_t>(v_));
    case K::Integer: return std::to_string(std::get<std::int32_t>(v_));
    case K::Int64: return std::to_string(std::get<std::int64_t>(v_));
    case K::ShortInt: return std::to_string(std::get<std::int8_t>(v_));
    case K::Byte: return std::to_string(std::get<std::uint8_t>(v_));
    case K::Word: return std::to_string(std::get<std::uint16_t>(v_));
    case K::LongWord: return std::to_string(std::get<std::uint32_t>(v_));
    case K::UInt64: return std::to_string(std::get<std::uint64_t>(v_));
    case K::Single: {
      // Shortest text that reads back as the same single.
      char buf[32];
      float f = std::get<float>(v_);
      if (!std::isfinite(f)) return FloatText(f);
      auto r = std::to_chars(buf, buf + sizeof buf, f);
      double d = 0;
      std::from_chars(buf, r.ptr, d);
      return FloatText(d);
    }
    case K::Double: return FloatText(std::get<double>(v_));
    case K::Currency: return std::get<zq::Currency>(v_).ToString();
    case K::Date: return DateTimeToString(std::get<TDateTime>(v_));
    case K::Boolean: return std::get<bool>(v_) ? "True" : "False";
    case K::String: return std::get<std::string>(v_);
  }
  return std::string();
}

std::int64_t Variant::ToInt64() const {
  switch (kind()) {
    case K::Empty: case K::Null: return 0;
    case K::Smallint: return std::get<std::int16_t>(v_);
    case K::Integer: return std::get<std::int32_t>(v_);
    case K::Int64: return std::get<std::int64_t>(v_);
    case K::ShortInt: return std::get<std::int8_t>(v_);
    case K::Byte: return std::get<std::uint8_t>(v_);
    case K::Word: return std::get<std::uint16_t>(v_);
    case K::LongWord: return std::get<std::uint32_t>(v_);
    case K::UInt64: {
      std::uint64_t u = std::get<std::uint64_t>(v_);
      return u > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                 ? std::numeric_limits<std::int64_t>::max()
                 : static_cast<std::int64_t>(u);
    }
    case K::Single: return SaturateToInt64(std::get<float>(v_));
    case K::Double: return SaturateToInt64(std::get<double>(v_));
    case K::Currency: {
      // Round to nearest, ties to even, on the exact integer value.
      std::int64_t raw = std::get<zq::Currency>(v_).raw();
      std::int64_t q = raw / zq::Currency::kScale, r = raw % zq::Currency::kScale;
      std::int64_t half = zq::Currency::kScale / 2;
      if (r > half || (r == half && (q & 1))) ++q;
      if (r < -half || (r == -half && (q & 1))) --q;
      return q;
    }
    case K::Date: return SaturateToInt64(std::get<TDateTime>(v_).Value);
    case K::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case K::String: {
      const std::string& s = std::get<std::string>(v_);
      std::int64_t i;
      if (TextToInt64(s, i)) return i;
      double d;
      if (TextToDouble(s, d)) return SaturateToInt64(d);
      NotANumber(s);
    }
    case K::Object: BadCast();
  }
  return 0;
}

double Variant::ToDouble() const {
  switch (kind()) {
    case K::Empty: case K::Null: return 0.0;
    case K::Single: return std::get<float>(v_);
    case K::Double: return std::get<double>(v_);
    case K::Currency: return std::get<zq::Currency>(v_).ToDouble();
    case K::Date: return std::get<TDateTime>(v_).Value;
    case K::Boolean: return std::get<bool>(v_) ? 1.0 : 0.0;
    case K::UInt64: return static_cast<double>(std::get<std::uint64_t>(v_));
    case K::String: {
      const std::string& s = std::get<std::string>(v_);
      double d;
      if (TextToDouble(s, d)) return d;
      NotANumber(s);
    }
    case K::Object: BadCast();
    default: return static_cast<double>(ToInt64());
  }
}

bool Variant::ToBool() const {
  switch (kind()) {
    case K::Empty: case K::Null: return false;
    case K::Boolean: return std::get<bool>(v_);
    case K::Single: return std::get<float>(v_) != 0.0f;
    case K::Double: return std::get<double>(v_) != 0.0;
    case K::Date: return std::get<TDateTime>(v_).Value != 0.0;
    case K::Currency: return std::get<zq::Currency>(v_).raw() != 0;
    case K::UInt64: return std::get<std::uint64_t>(v_) != 0;
    case K::String: {
      const std::string& s = std::get<std::string>(v_);
      std::string low;
      for (char c : s) low.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
      if (low == "true") return true;
      if (low == "false") return false;
      double d;
      if (TextToDouble(s, d)) return d != 0.0;
      throw EConvertError("\"" + s + "\" is not a valid boolean value");
    }
    case K::Object: BadCast();
    default: return ToInt64() != 0;
  }
}

zq::Currency Variant::ToCurrency() const {
  switch (kind()) {
    case K::Currency: return std::get<zq::Currency>(v_);
    case K::String: {
      const std::string& s = std::get<std::string>(v_);
      zq::Currency c;
      if (zq::Currency::TryParse(s, c)) return c;
      return zq::Currency::FromDoubleSaturated(ToDouble());
    }
    case K::Int64: case K::UInt64: {
      // Whole units, saturated.
      std::int64_t i = ToInt64();
      constexpr std::int64_t lim = std::numeric_limits<std::int64_t>::max() / zq::Currency::kScale;
      if (i > lim) return zq::Currency::FromRaw(std::numeric_limits<std::int64_t>::max());
      if (i < -lim) return zq::Currency::FromRaw(std::numeric_limits<std::int64_t>::min());
      return zq::Currency::FromRaw(i * zq::Currency::kScale);
    }
    default: return zq::Currency::FromDoubleSaturated(ToDouble());
  }
}

TDateTime Variant::ToDateTime() const {
  if (kind() == K::Date) return std::get<TDateTime>(v_);
  return TDateTime(ToDouble());
}

TObject* Variant::ToObject() const {
  if (kind() == K::Object) return std::get<TObject*>(v_);
  if (IsEmptyOrNull()) return nullptr;
  BadCast();
}

bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

int Variant::Compare(const Variant& a, const Variant& b) {
  auto rank = [](const Variant& v) {
    if (v.IsEmpty()) return 0;
    if (v.IsNull()) return 1;
    if (v.IsNumeric() || v.IsDate()) return 2;
    if (v.IsText()) return 3;
    return 4;
  };
  auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra < rb ? -1 : 1;
  switch (ra) {
    case 2: {
      // Exact for integers; by value (NaN first) otherwise.
      bool ai = a.IsOrdinal(), bi = b.IsOrdinal();
      if (ai && bi) {
        bool au = a.kind() == K::UInt64, bu = b.kind() == K::UInt64;
        if (au || bu) {
          std::uint64_t ua = au ? std::get<std::uint64_t>(a.v_) : 0;
          std::uint64_t ub = bu ? std::get<std::uint64_t>(b.v_) : 0;
          if (au && bu) return sign(ua, ub);
          std::int64_t other = au ? b.ToInt64() : a.ToInt64();
          if (other < 0) return au ? 1 : -1;
          return au ? sign(ua, static_cast<std::uint64_t>(other))
                    : sign(static_cast<std::uint64_t>(other), ub);
        }
        return sign(a.ToInt64(), b.ToInt64());
      }
      if (a.kind() == K::Currency && b.kind() == K::Currency)
        return sign(std::get<zq::Currency>(a.v_).raw(), std::get<zq::Currency>(b.v_).raw());
      long double da = a.kind() == K::UInt64 ? static_cast<long double>(std::get<std::uint64_t>(a.v_))
                       : a.IsOrdinal()       ? static_cast<long double>(a.ToInt64())
                                             : static_cast<long double>(a.ToDouble());
      long double db = b.kind() == K::UInt64 ? static_cast<long double>(std::get<std::uint64_t>(b.v_))
                       : b.IsOrdinal()       ? static_cast<long double>(b.ToInt64())
                                             : static_cast<long double>(b.ToDouble());
      bool na = std::isnan(da), nb = std::isnan(db);
      if (na || nb) return na && nb ? 0 : (na ? -1 : 1);
      return sign(da, db);
    }
    case 3: {
      int c = std::get<std::string>(a.v_).compare(std::get<std::string>(b.v_));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case 4: {
      auto pa = reinterpret_cast<std::uintptr_t>(std::get<TObject*>(a.v_));
      auto pb = reinterpret_cast<std::uintptr_t>(std::get<TObject*>(b.v_));
      return sign(pa, pb);
    }
    default:
      return 0;
  }
}

const char* VarTypeName(std::uint16_t code) {
  switch (code) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varUInt64: return "UInt64";
    case varString: return "String";
    case varUString: return "UnicodeString";
    case varObject: return "Object";
    default: return "Unknown";
  }
}

}  // namespace zq
