// Conversion of date-time format patterns between the server's syntax
// (d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, am/pm) and two
// client syntaxes: the jQuery UI datepicker's and PHP's date letters. Each
// conversion can also report the date separator it met, as text (one
// character, UTF-8; empty for none).
// Conversions raise on the first token they cannot place, with a message
// that quotes the whole input pattern; no partial result is returned.
#pragma once

#include <string>
#include <string_view>

#include "foundation/jqcommon.h"

namespace zq {

class EIWZQPHPToNativeFmt : public EIWZQJQuery {
  using EIWZQJQuery::EIWZQJQuery;
};

class EIWZQNativeToPHPFmt : public EIWZQJQuery {
  using EIWZQJQuery::EIWZQJQuery;
};

// The next token of a pattern: its first character (a whole UTF-8 sequence),
// extended over every following ASCII letter when that character is an ASCII
// letter. With
// AConsume the token is removed from the front of APattern. An empty
// pattern gives an empty token.
std::string NextDTTok(std::string& APattern, bool AConsume);

// server -> datepicker; the separator starts as "/" and the last one wins.
std::string NativeToJSDate(std::string_view APattern);
std::string NativeToJSDate(std::string_view APattern, std::string& ADateSeparator);
// datepicker -> server
std::string JSToNativeDate(std::string_view APattern);
std::string JSToNativeDate(std::string_view APattern, std::string& ADateSeparator);

// PHP -> server; the separator starts empty and the first one wins.
std::string PHPToNativeDateFmt(std::string_view APattern);
std::string PHPToNativeDateFmt(std::string_view APattern, std::string& ADateSeparator);
std::string PHPToNativeTimeFmt(std::string_view APattern);
std::string PHPToNativeDateTimeFmt(std::string_view APattern);
std::string PHPToNativeDateTimeFmt(std::string_view APattern, std::string& ADateSeparator);

// server -> PHP
std::string NativeToPHPDateFmt(std::string_view APattern);
std::string NativeToPHPDateFmt(std::string_view APattern, std::string& ADateSeparator);
std::string NativeToPHPTimeFmt(std::string_view APattern);
std::string NativeToPHPDateTimeFmt(std::string_view APattern);
std::string NativeToPHPDateTimeFmt(std::string_view APattern, std::string& ADateSeparator);

}  // namespace zq
