#include "foundation/paramlist.h"

#include <cctype>
#include <charconv>
#include <ctime>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TZQParamList) {}

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes stand for the C1
// control characters of the same number, so every byte has a character.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Cp1252ToChar(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80];
  return b;
}

// The code-page byte of a character, or -1 when the code page lacks it.
int CharToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the valid UTF-8 sequence at s[i] (no overlongs, surrogates or
// values above U+10FFFF), 0 when there is none; c receives the character.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i, char32_t& c) {
  auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, c = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return len;
}

// Bytes to text: valid UTF-8 sequences as they are, every other byte as its
// code-page character.
std::string BytesToText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    std::size_t n = Utf8SequenceAt(bytes, i, c);
    if (n) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      AppendUtf8(out, Cp1252ToChar(static_cast<unsigned char>(bytes[i])));
      ++i;
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unreserved(unsigned char c) {
  return std::isalnum(c) || c == '*' || c == '@' || c == '.' || c == '_' || c == '-' || c == '$' || c == '!' ||
         c == '\'' || c == '(' || c == ')';
}

void AppendPercent(std::string& out, unsigned char b) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

bool IsUtf8Lead(int b) { return b >= 0xC2 && b <= 0xF4; }
bool IsContinuation(int b) { return b >= 0x80 && b <= 0xBF; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Reads 1..maxDigits decimal digits.
bool ReadNumber(std::string_view& s, int maxDigits, int& value, int* digits = nullptr) {
  int n = 0;
  value = 0;
  while (n < static_cast<int>(s.size()) && n < maxDigits && std::isdigit(static_cast<unsigned char>(s[n])))
    value = value * 10 + (s[n++] - '0');
  if (n == 0) return false;
  if (digits) *digits = n;
  s.remove_prefix(static_cast<std::size_t>(n));
  return true;
}

bool Expect(std::string_view& s, char c) {
  if (s.empty() || s.front() != c) return false;
  s.remove_prefix(1);
  return true;
}

int CurrentYear() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm.tm_year + 1900;
}

bool IsAssignedText(const std::string& s) { return !TrimBlanks(s).empty(); }

[[noreturn]] void NoTextForm(const Variant& v) {
  throw EConvertError(
      Format("Could not convert variant of type (%s) into type (UnicodeString)", VarTypeName(v.VarType())));
}

[[noreturn]] void UnknownType(const Variant& v) {
  if (v.IsNull() || v.IsObject()) NoTextForm(v);
  throw Exception("Tipo n\xC3\xA3o conhecido. " + v.ToString());
}

}  // namespace

// ---------------------------------------------------------------------------
// Form encoding

std::string ZQHTTPEncode(std::string_view Text) {
  std::string out;
  out.reserve(Text.size() * 3);
  std::size_t i = 0;
  auto next = [&](std::size_t at, char32_t& c) -> std::size_t {
    std::size_t n = Utf8SequenceAt(Text, at, c);
    if (n) return n;
    c = Cp1252ToChar(static_cast<unsigned char>(Text[at]));  // a stray byte: its code-page character
    return 1;
  };
  while (i < Text.size()) {
    char32_t c = 0;
    std::size_t n = next(i, c);
    if (c < 0x80) {
      if (c == ' ')
        out += '+';
      else if (Unreserved(static_cast<unsigned char>(c)))
        out += static_cast<char>(c);
      else
        AppendPercent(out, static_cast<unsigned char>(c));
    } else {
      int b = CharToCp1252(c);
      if (b >= 0 && IsUtf8Lead(b) && i + n < Text.size()) {
        // The byte could start a UTF-8 sequence with the next character's
        // byte: write this one as UTF-8 so that decoding reads it back.
        char32_t c2 = 0;
        next(i + n, c2);
        int b2 = c2 >= 0x80 ? CharToCp1252(c2) : -1;
        if (IsContinuation(b2)) b = -1;
      }
      if (b >= 0) {
        AppendPercent(out, static_cast<unsigned char>(b));
      } else {
        std::string u;
        AppendUtf8(u, c);
        for (char ch : u) AppendPercent(out, static_cast<unsigned char>(ch));
      }
    }
    i += n;
  }
  return out;
}

std::string ZQHTTPDecode(std::string_view Text) {
  std::string bytes;
  bytes.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    char c = Text[i];
    if (c == '+') {
      bytes += ' ';
    } else if (c == '%' && i + 2 < Text.size() + 0 && HexValue(Text[i + 1]) >= 0 && HexValue(Text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(Text[i + 1]) * 16 + HexValue(Text[i + 2]));
      i += 2;
    } else {
      bytes += c;  // a malformed "%" stays as it is
    }
  }
  return BytesToText(bytes);
}

// ---------------------------------------------------------------------------
// Fixed formats

std::string ZQFormatDate(TDateTime Value) {
  int y, m, d;
  DecodeDate(Value, y, m, d);
  return Format("%0.2d-%0.2d-%0.4d", d, m, y);
}

std::string ZQFormatTime(TDateTime Value) {
  int h, n, s, ms;
  DecodeTime(Value, h, n, s, ms);
  return Format("%0.2d:%0.2d:%0.2d", h, n, s);
}

std::string ZQFormatDateTime(TDateTime Value) {
  int h, n, s, ms;
  DecodeTime(Value, h, n, s, ms);
  std::string r = ZQFormatDate(Value);
  if (h || n || s || ms) {
    r += ' ';
    r += ZQFormatTime(Value);
  }
  return r;
}

bool ZQTryParseDate(std::string_view Text, TDateTime& Out) {
  std::string_view s = TrimBlanks(Text);
  int d, m, y, yd = 0;
  if (!ReadNumber(s, 2, d) || !Expect(s, '-') || !ReadNumber(s, 2, m) || !Expect(s, '-') || !ReadNumber(s, 4, y, &yd) ||
      !s.empty())
    return false;
  if (yd <= 2) {
    // Two-digit years fall in the 100 years around the current one.
    int cur = CurrentYear();
    y += cur / 100 * 100;
    if (y < cur - 50) y += 100;
  }
  return TryEncodeDate(y, m, d, Out);
}

bool ZQTryParseTime(std::string_view Text, TDateTime& Out) {
  std::string_view s = TrimBlanks(Text);
  int h, n, sec = 0, ms = 0;
  if (!ReadNumber(s, 2, h) || !Expect(s, ':') || !ReadNumber(s, 2, n)) return false;
  if (Expect(s, ':')) {
    if (!ReadNumber(s, 2, sec)) return false;
    if (Expect(s, '.')) {
      int digits = 0;
      if (!ReadNumber(s, 3, ms, &digits)) return false;
      for (; digits < 3; ++digits) ms *= 10;
    }
  }
  return s.empty() && TryEncodeTime(h, n, sec, ms, Out);
}

bool ZQTryParseDateTime(std::string_view Text, TDateTime& Out) {
  std::string_view s = TrimBlanks(Text);
  std::size_t blank = s.find(' ');
  if (blank == std::string_view::npos) {
    if (ZQTryParseDate(s, Out)) return true;
    return ZQTryParseTime(s, Out);
  }
  TDateTime d, t;
  if (!ZQTryParseDate(s.substr(0, blank), d) || !ZQTryParseTime(s.substr(blank + 1), t)) return false;
  Out = TDateTime(d.Value < 0 ? d.Value - t.Value : d.Value + t.Value);
  return true;
}

std::string ZQFormatFloat(double Value) { return Variant(Value).ToString(); }

bool ZQTryParseFloat(std::string_view Text, double& Out) {
  std::string_view s = TrimBlanks(Text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  for (char c : s)
    if (std::isalpha(static_cast<unsigned char>(c)) && c != 'e' && c != 'E') return false;
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  Out = v;
  return true;
}

// ---------------------------------------------------------------------------
// TZQParamList

TZQParamList::TZQParamList() {
  SetDelimiter('&');
  SetStrictDelimiter(true);
  SetQuoteChar('\0');
}

std::string TZQParamList::GetParamStr() const {
  std::string r;
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = Strings(i);
    std::size_t p = line.find(NameValueSeparator());
    std::string_view name = std::string_view(line).substr(0, p);
    std::string_view value = p == std::string::npos ? std::string_view() : std::string_view(line).substr(p + 1);
    if (i) r += '&';
    r += ZQHTTPEncode(name);
    r += '=';
    r += ZQHTTPEncode(value);
  }
  return r;
}

void TZQParamList::SetParamStr(std::string_view Value) {
  BeginUpdate();
  try {
    Clear();
    std::size_t pos = 0;
    while (true) {
      std::size_t amp = Value.find('&', pos);
      std::string_view piece = Value.substr(pos, amp == std::string_view::npos ? std::string_view::npos : amp - pos);
      std::size_t eq = piece.find('=');
      std::string name = ZQHTTPDecode(piece.substr(0, eq));
      std::string value = eq == std::string_view::npos ? std::string() : ZQHTTPDecode(piece.substr(eq + 1));
      // A separator inside an encoded name belongs to the line's value part:
      // the line reads back the same way it was written.
      std::size_t sep = name.find(NameValueSeparator());
      if (sep != std::string::npos) {
        value = name.substr(sep + 1) + NameValueSeparator() + value;
        name.resize(sep);
      }
      SetValue(name, value);
      if (amp == std::string_view::npos) break;
      pos = amp + 1;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool ZQTryParamToBool(std::string_view Text, bool& Out) {
  std::string_view v = TrimBlanks(Text);
  if (v == "1" || SameTextAscii(v, "true")) {
    Out = true;
    return true;
  }
  if (v == "0" || SameTextAscii(v, "false")) {
    Out = false;
    return true;
  }
  return false;
}

bool ZQTryParamToInt(std::string_view Text, std::int32_t& Out) {
  std::string_view s = TrimBlanks(Text);
  bool neg = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    neg = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s.front() == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  std::int64_t value = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  if (neg) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  Out = static_cast<std::int32_t>(value);
  return true;
}

bool ZQParamToBool(std::string_view Text) {
  bool v = false;
  if (!ZQTryParamToBool(Text, v)) throw EConvertError(Format("'%s' is not a valid boolean value", Text));
  return v;
}

std::int32_t ZQParamToInt(std::string_view Text) {
  std::int32_t v = 0;
  if (!ZQTryParamToInt(Text, v)) throw EConvertError(Format("'%s' is not a valid integer value", Text));
  return v;
}

bool TZQParamList::GetValueAsBoolDef(std::string_view Name, bool Def) const {
  bool v = Def;
  return ZQTryParamToBool(Values(Name), v) ? v : Def;
}

void TZQParamList::SetValueAsBool(std::string_view Name, bool Value) { SetValue(Name, Value ? "1" : "0"); }

std::int32_t TZQParamList::GetValueAsIntegerDef(std::string_view Name, std::int32_t Def) const {
  std::int32_t v = Def;
  return ZQTryParamToInt(Values(Name), v) ? v : Def;
}

void TZQParamList::SetValueAsInteger(std::string_view Name, std::int32_t Value) { SetValue(Name, std::to_string(Value)); }

double TZQParamList::GetValueAsFloatDef(std::string_view Name, double Def) const {
  double v = 0;
  return ZQTryParseFloat(Values(Name), v) ? v : Def;
}

void TZQParamList::SetValueAsFloat(std::string_view Name, double Value) { SetValue(Name, ZQFormatFloat(Value)); }

TDateTime TZQParamList::GetValueAsDate(std::string_view Name) const {
  std::string v = Values(Name);
  TDateTime d;
  if (!ZQTryParseDate(v, d)) throw EConvertError(Format("'%s' is not a valid date", v));
  return d;
}

TDateTime TZQParamList::GetValueAsTime(std::string_view Name) const {
  std::string v = Values(Name);
  TDateTime d;
  if (!ZQTryParseTime(v, d)) throw EConvertError(Format("'%s' is not a valid time", v));
  return d;
}

TDateTime TZQParamList::GetValueAsDateTime(std::string_view Name) const {
  std::string v = Values(Name);
  TDateTime d;
  if (!ZQTryParseDateTime(v, d)) throw EConvertError(Format("'%s' is not a valid date and time", v));
  return d;
}

TDateTime TZQParamList::GetValueAsDateDef(std::string_view Name, TDateTime Def) const {
  TDateTime d;
  std::string v = Values(Name);
  return IsAssignedText(v) && ZQTryParseDate(v, d) ? d : Def;
}

TDateTime TZQParamList::GetValueAsTimeDef(std::string_view Name, TDateTime Def) const {
  TDateTime d;
  std::string v = Values(Name);
  return IsAssignedText(v) && ZQTryParseTime(v, d) ? d : Def;
}

TDateTime TZQParamList::GetValueAsDateTimeDef(std::string_view Name, TDateTime Def) const {
  TDateTime d;
  std::string v = Values(Name);
  return IsAssignedText(v) && ZQTryParseDateTime(v, d) ? d : Def;
}

void TZQParamList::SetValueAsDate(std::string_view Name, TDateTime Value) { SetValue(Name, ZQFormatDate(Value)); }
void TZQParamList::SetValueAsTime(std::string_view Name, TDateTime Value) { SetValue(Name, ZQFormatTime(Value)); }
void TZQParamList::SetValueAsDateTime(std::string_view Name, TDateTime Value) {
  SetValue(Name, ZQFormatDateTime(Value));
}

Variant TZQParamList::GetValueAsVariant(std::string_view Name) const { return Variant(Values(Name)); }

void TZQParamList::SetValueAsVariant(std::string_view Name, const Variant& Value) {
  using K = Variant::Kind;
  switch (Value.kind()) {
    case K::Smallint: case K::Integer: case K::ShortInt:
      SetValueAsInteger(Name, static_cast<std::int32_t>(Value.ToInt64()));
      return;
    case K::Double: case K::Currency:
      SetValueAsFloat(Name, Value.ToDouble());
      return;
    case K::Date:
      SetValueAsDateTime(Name, Value.ToDateTime());
      return;
    case K::Boolean:
      SetValueAsBool(Name, Value.ToBool());
      return;
    case K::String:
      SetValue(Name, *Value.get_if<std::string>());
      return;
    default:
      UnknownType(Value);
  }
}

std::string TZQParamList::ValueAsVariantToStr(const Variant& AValue) const {
  using K = Variant::Kind;
  switch (AValue.kind()) {
    case K::Smallint: case K::Integer: case K::ShortInt:
      return std::to_string(AValue.ToInt64());
    case K::Double: case K::Currency:
      return ZQFormatFloat(AValue.ToDouble());
    case K::Date:
      return ZQFormatDateTime(AValue.ToDateTime());
    case K::Boolean:
      return AValue.ToBool() ? "True" : "False";
    case K::String:
      return *AValue.get_if<std::string>();
    default:
      UnknownType(AValue);
  }
}

}  // namespace zq
