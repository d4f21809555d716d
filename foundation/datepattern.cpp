#include "foundation/datepattern.h"

#include <cctype>
#include <utility>

#include "foundation/asciicase.h"
#include "foundation/format.h"

namespace zq {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

using Table = std::initializer_list<std::pair<const char*, const char*>>;

const char* Lookup(const Table& table, const std::string& tok) {
  for (const auto& [from, to] : table)
    if (tok == from) return to;
  return nullptr;
}

const Table kNativeToJS = {{"d", "d"},  {"dd", "dd"},  {"ddd", "D"}, {"dddd", "DD"},
                           {"m", "m"},  {"mm", "mm"},  {"mmm", "M"}, {"mmmm", "MM"},
                           {"yy", "y"}, {"yyyy", "yy"}};
const Table kJSToNative = {{"d", "d"},  {"dd", "dd"},  {"D", "ddd"}, {"DD", "dddd"},
                           {"m", "m"},  {"mm", "mm"},  {"M", "mmm"}, {"MM", "mmmm"},
                           {"y", "yy"}, {"yy", "yyyy"}};
const Table kPHPDateToNative = {{"j", "d"},       {"d", "dd"},   {"dd", "dd"},  {"D", "ddd"},
                                {"l", "dddd"},    {"m", "mm"},   {"mm", "mm"},  {"n", "m"},
                                {"M", "mmm"},     {"F", "mmmm"}, {"o", "yyyy"}, {"Y", "yyyy"},
                                {"yyyy", "yyyy"}, {"y", "yy"},   {"YY", "yy"}};
const Table kPHPTimeToNative = {{"a", "am/pm"}, {"A", "AM/PM"}, {"g", "h"},  {"G", "h"},
                                {"h", "hh"},    {"hh", "hh"},   {"H", "hh"}, {"i", "nn"},
                                {"s", "ss"},    {"ss", "ss"}};
const Table kNativeDateToPHP = {{"d", "j"},  {"dd", "d"},  {"ddd", "D"}, {"dddd", "l"},
                                {"m", "n"},  {"mm", "m"},  {"mmm", "M"}, {"mmmm", "F"},
                                {"yy", "y"}, {"yyyy", "Y"}};
const Table kNativeTimeToPHP = {{"n", "i"}, {"nn", "i"}, {"s", "s"}, {"ss", "s"}};

constexpr const char* kNativeToJSMsg =
    "Invalid DateTime Format for converting to Javascript: \"%s\"!";
constexpr const char* kJSToNativeMsg = "Invalid Javascript Date Format: \"%s\"!";
constexpr const char* kPHPToNativeMsg = "Invalid PHP Date/Time Format: \"%s\"!";
constexpr const char* kNativeToPHPMsg = "Invalid DateTime Format for converting to PHP: \"%s\"!";

// A token nothing placed: a separator character (any one character but an
// ASCII letter), or an error.
bool IsSeparatorToken(const std::string& tok) {
  if (tok.size() == 1) return !IsAsciiLetter(tok[0]);
  return !tok.empty() && static_cast<unsigned char>(tok[0]) >= 0xC0;  // one multi-byte character
}

// The two datepicker directions.
template <class Raise>
std::string ConvertDatepicker(std::string_view APattern, bool lowerFirst, const Table& table,
                              std::string& sep, Raise raise) {
  if (APattern.empty()) raise();
  sep = "/";
  std::string rest = lowerFirst ? LowerAscii(APattern) : std::string(APattern);
  std::string out;
  for (std::string tok = NextDTTok(rest, true); !tok.empty(); tok = NextDTTok(rest, true)) {
    if (const char* to = Lookup(table, tok)) {
      out += to;
    } else if (IsSeparatorToken(tok)) {
      out += tok;
      sep = tok;
    } else {
      raise();
    }
  }
  return out;
}

enum class Form { Date, Time, DateTime };

std::string ConvertPHPToNative(std::string_view APattern, Form form, std::string& sep) {
  auto raise = [&] { throw EIWZQPHPToNativeFmt(Format(kPHPToNativeMsg, APattern)); };
  if (APattern.empty()) raise();
  sep.clear();
  bool sepSeen = false;
  std::string rest(APattern);
  std::string out;
  for (std::string tok = NextDTTok(rest, true); !tok.empty(); tok = NextDTTok(rest, true)) {
    if (tok == " ") {
      out += ' ';
      continue;
    }
    const char* to = nullptr;
    if (form != Form::Time) to = Lookup(kPHPDateToNative, tok);
    if (!to && form != Form::Date) to = Lookup(kPHPTimeToNative, tok);
    if (to) {
      out += to;
    } else if (IsSeparatorToken(tok)) {
      out += tok;
      if (form != Form::Time && !sepSeen) {
        sep = tok;
        sepSeen = true;
      }
    } else {
      raise();
    }
  }
  return out;
}

std::string ConvertNativeToPHP(std::string_view APattern, Form form, std::string& sep) {
  auto raise = [&] { throw EIWZQNativeToPHPFmt(Format(kNativeToPHPMsg, APattern)); };
  if (APattern.empty()) raise();
  sep.clear();
  bool sepSeen = false;
  bool twelveHour = false;
  std::size_t hourPos = std::string::npos;
  std::string rest = LowerAscii(APattern);
  std::string out;
  for (std::string tok = NextDTTok(rest, true); !tok.empty(); tok = NextDTTok(rest, true)) {
    if (tok == " ") {
      out += ' ';
      continue;
    }
    if (form != Form::Time) {
      if (const char* to = Lookup(kNativeDateToPHP, tok)) {
        out += to;
        continue;
      }
    }
    if (form != Form::Date) {
      if (tok == "am" && NextDTTok(rest, false) == "/") {
        std::string ahead = rest;
        NextDTTok(ahead, true);
        if (LowerAscii(NextDTTok(ahead, false)) == "pm") {
          NextDTTok(rest, true);  // "/"
          NextDTTok(rest, true);  // "pm"
          out += 'a';
          twelveHour = true;
          continue;
        }
      }
      if (tok == "h" || tok == "hh") {
        hourPos = out.size();
        out += tok == "h" ? 'G' : 'H';
        continue;
      }
      if (const char* to = Lookup(kNativeTimeToPHP, tok)) {
        out += to;
        continue;
      }
    }
    if (!IsSeparatorToken(tok)) raise();
    out += tok;
    if (form != Form::Time && !sepSeen) {
      sep = tok;
      sepSeen = true;
    }
  }
  if (twelveHour && hourPos != std::string::npos) out[hourPos] = out[hourPos] == 'G' ? 'g' : 'h';
  return out;
}

}  // namespace

std::string NextDTTok(std::string& APattern, bool AConsume) {
  if (APattern.empty()) return std::string();
  std::size_t n = 1;
  if (IsAsciiLetter(APattern[0])) {
    while (n < APattern.size() && IsAsciiLetter(APattern[n])) ++n;
  } else if (static_cast<unsigned char>(APattern[0]) >= 0xC0) {
    // the continuation bytes of a UTF-8 character
    while (n < APattern.size() && (static_cast<unsigned char>(APattern[n]) & 0xC0) == 0x80) ++n;
  }
  std::string tok = APattern.substr(0, n);
  if (AConsume) APattern.erase(0, n);
  return tok;
}

std::string NativeToJSDate(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertDatepicker(APattern, true, kNativeToJS, ADateSeparator,
                           [&] { throw EIWZQJQuery(Format(kNativeToJSMsg, APattern)); });
}

std::string NativeToJSDate(std::string_view APattern) {
  std::string sep;
  return NativeToJSDate(APattern, sep);
}

std::string JSToNativeDate(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertDatepicker(APattern, false, kJSToNative, ADateSeparator,
                           [&] { throw EIWZQJQuery(Format(kJSToNativeMsg, APattern)); });
}

std::string JSToNativeDate(std::string_view APattern) {
  std::string sep;
  return JSToNativeDate(APattern, sep);
}

std::string PHPToNativeDateFmt(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertPHPToNative(APattern, Form::Date, ADateSeparator);
}
std::string PHPToNativeDateFmt(std::string_view APattern) {
  std::string sep;
  return ConvertPHPToNative(APattern, Form::Date, sep);
}
std::string PHPToNativeTimeFmt(std::string_view APattern) {
  std::string sep;
  return ConvertPHPToNative(APattern, Form::Time, sep);
}
std::string PHPToNativeDateTimeFmt(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertPHPToNative(APattern, Form::DateTime, ADateSeparator);
}
std::string PHPToNativeDateTimeFmt(std::string_view APattern) {
  std::string sep;
  return ConvertPHPToNative(APattern, Form::DateTime, sep);
}

std::string NativeToPHPDateFmt(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertNativeToPHP(APattern, Form::Date, ADateSeparator);
}
std::string NativeToPHPDateFmt(std::string_view APattern) {
  std::string sep;
  return ConvertNativeToPHP(APattern, Form::Date, sep);
}
std::string NativeToPHPTimeFmt(std::string_view APattern) {
  std::string sep;
  return ConvertNativeToPHP(APattern, Form::Time, sep);
}
std::string NativeToPHPDateTimeFmt(std::string_view APattern, std::string& ADateSeparator) {
  return ConvertNativeToPHP(APattern, Form::DateTime, ADateSeparator);
}
std::string NativeToPHPDateTimeFmt(std::string_view APattern) {
  std::string sep;
  return ConvertNativeToPHP(APattern, Form::DateTime, sep);
}

}  // namespace zq
