#include "foundation/datepattern.h"

#include <gtest/gtest.h>

namespace zq {
namespace {

TEST(DatePattern, Tokenizer) {
  std::string p = "dd/mm/yyyy";
  EXPECT_EQ(NextDTTok(p, false), "dd");
  EXPECT_EQ(p, "dd/mm/yyyy");
  std::vector<std::string> toks;
  for (std::string t = NextDTTok(p, true); !t.empty(); t = NextDTTok(p, true)) toks.push_back(t);
  EXPECT_EQ(toks, (std::vector<std::string>{"dd", "/", "mm", "/", "yyyy"}));
  std::string one = "ddmmyyyy";
  EXPECT_EQ(NextDTTok(one, true), "ddmmyyyy");
  std::string mixed = "h1..";
  EXPECT_EQ(NextDTTok(mixed, true), "h");
  EXPECT_EQ(NextDTTok(mixed, true), "1");
  std::string empty;
  EXPECT_EQ(NextDTTok(empty, true), "");
}

TEST(DatePattern, ServerToDatepicker) {
  std::string sep = "x";
  EXPECT_EQ(NativeToJSDate("dd.mm.yyyy", sep), "dd.mm.yy");
  EXPECT_EQ(sep, ".");
  EXPECT_EQ(NativeToJSDate("DD/MMM/YYYY", sep), "dd/M/yy");
  EXPECT_EQ(sep, "/");
  EXPECT_EQ(NativeToJSDate("dddd d mmmm yy", sep), "DD d MM y");
  EXPECT_EQ(sep, " ");
  EXPECT_EQ(NativeToJSDate("yyyy", sep), "yy");
  EXPECT_EQ(sep, "/");  // none met: the default
  try {
    NativeToJSDate("ddmmyyyy");
    FAIL();
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "Invalid DateTime Format for converting to Javascript: \"ddmmyyyy\"!");
  }
  EXPECT_THROW(NativeToJSDate("hh:nn"), EIWZQJQuery);
  EXPECT_THROW(NativeToJSDate(""), EIWZQJQuery);
}

TEST(DatePattern, DatepickerToServer) {
  std::string sep = "x";
  EXPECT_EQ(JSToNativeDate("dd.mm.yy", sep), "dd.mm.yyyy");
  EXPECT_EQ(sep, ".");
  EXPECT_EQ(JSToNativeDate("DD, d MM yy", sep), "dddd, d mmmm yyyy");
  EXPECT_EQ(sep, " ");
  try {
    JSToNativeDate("dd-mm-YY");  // case is kept: "YY" is unknown
    FAIL();
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "Invalid Javascript Date Format: \"dd-mm-YY\"!");
  }
}

TEST(DatePattern, PHPToServer) {
  std::string sep = "x";
  EXPECT_EQ(PHPToNativeDateFmt("d-m-Y", sep), "dd-mm-yyyy");
  EXPECT_EQ(sep, "-");
  EXPECT_EQ(PHPToNativeDateFmt("l, j F Y", sep), "dddd, d mmmm yyyy");
  EXPECT_EQ(sep, ",");  // the first separator; spaces are not separators
  EXPECT_EQ(PHPToNativeDateFmt("Y", sep), "yyyy");
  EXPECT_EQ(sep, "");
  EXPECT_EQ(PHPToNativeTimeFmt("H:i:s"), "hh:nn:ss");
  EXPECT_EQ(PHPToNativeTimeFmt("g:i a"), "h:nn am/pm");
  EXPECT_EQ(PHPToNativeDateTimeFmt("d/m/Y H:i", sep), "dd/mm/yyyy hh:nn");
  EXPECT_EQ(sep, "/");
  try {
    PHPToNativeTimeFmt("His");
    FAIL();
  } catch (const EIWZQPHPToNativeFmt& e) {
    EXPECT_STREQ(e.what(), "Invalid PHP Date/Time Format: \"His\"!");
  }
  EXPECT_THROW(PHPToNativeDateFmt("H:i"), EIWZQPHPToNativeFmt);  // time letters in a date form
  EXPECT_THROW(PHPToNativeTimeFmt("d"), EIWZQJQuery);
}

TEST(DatePattern, ServerToPHP) {
  std::string sep = "x";
  EXPECT_EQ(NativeToPHPDateTimeFmt("dd/mm/yyyy hh:nn:ss", sep), "d/m/Y H:i:s");
  EXPECT_EQ(sep, "/");
  EXPECT_EQ(NativeToPHPDateTimeFmt("h:nn am/pm"), "g:i a");
  EXPECT_EQ(NativeToPHPTimeFmt("hh:nn AM/PM"), "h:i a");
  EXPECT_EQ(NativeToPHPTimeFmt("hh:nn:ss"), "H:i:s");
  EXPECT_EQ(NativeToPHPDateFmt("DDDD, D MMMM YY", sep), "l, j F y");
  EXPECT_EQ(sep, ",");
  // In the date-time form "mm" is always the month.
  EXPECT_EQ(NativeToPHPDateTimeFmt("hh:mm"), "H:m");
  try {
    NativeToPHPTimeFmt("hh am");
    FAIL();
  } catch (const EIWZQNativeToPHPFmt& e) {
    EXPECT_STREQ(e.what(), "Invalid DateTime Format for converting to PHP: \"hh am\"!");
  }
  EXPECT_THROW(NativeToPHPTimeFmt("hh am/xx"), EIWZQNativeToPHPFmt);
  EXPECT_THROW(NativeToPHPDateFmt("hh"), EIWZQNativeToPHPFmt);
  EXPECT_THROW(NativeToPHPTimeFmt(""), EIWZQNativeToPHPFmt);
}


// A separator outside ASCII is one character of text in every direction,
// never a byte of it.
TEST(DatePattern, NonAsciiSeparatorsStayWholeCharacters) {
  std::string p = "dd\xC2\xB7mm";  // U+00B7 middle dot
  EXPECT_EQ(NextDTTok(p, true), "dd");
  EXPECT_EQ(NextDTTok(p, true), "\xC2\xB7");
  EXPECT_EQ(p, "mm");

  std::string sep;
  EXPECT_EQ(NativeToJSDate("yyyy\xE5\xB9\xB4mm\xE6\x9C\x88"
                           "dd",
                           sep),
            "yy\xE5\xB9\xB4mm\xE6\x9C\x88"
            "dd");
  EXPECT_EQ(sep, "\xE6\x9C\x88");  // the last one: U+6708
  EXPECT_EQ(JSToNativeDate("dd\xE2\x80\xA2mm\xE2\x80\xA2yy", sep),
            "dd\xE2\x80\xA2mm\xE2\x80\xA2yyyy");
  EXPECT_EQ(sep, "\xE2\x80\xA2");
  EXPECT_EQ(PHPToNativeDateFmt("Y\xE5\xB9\xB4m\xE6\x9C\x88"
                               "d",
                               sep),
            "yyyy\xE5\xB9\xB4mm\xE6\x9C\x88"
            "dd");
  EXPECT_EQ(sep, "\xE5\xB9\xB4");  // the first one: U+5E74
  EXPECT_EQ(NativeToPHPDateFmt("dd\xC2\xB7mm\xC2\xB7yyyy", sep), "d\xC2\xB7m\xC2\xB7Y");
  EXPECT_EQ(sep, "\xC2\xB7");
}

}  // namespace
}  // namespace zq
