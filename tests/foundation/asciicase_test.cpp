#include "foundation/asciicase.h"

#include <gtest/gtest.h>

namespace zq {
namespace {

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(LowerAscii("Content-Type: TEXT/Html; É"), "content-type: text/html; É");
  EXPECT_TRUE(SameTextAscii("Items", "iTEMS"));
  EXPECT_FALSE(SameTextAscii("Items", "Item"));
  EXPECT_FALSE(SameTextAscii("É", "é"));  // bytes beyond ASCII compare as themselves
  EXPECT_FALSE(SameTextAscii("[", "{"));  // '[' is not 'Z' + 1 folded
  EXPECT_TRUE(StartsWithTextAscii("Multipart/Form-Data; boundary=x", "multipart/form-data"));
  EXPECT_FALSE(StartsWithTextAscii("multi", "multipart"));
}

TEST(AsciiCase, UpperCasesOnlyAsciiLetters) {
  EXPECT_EQ(UpperAscii("menu1_é{z}"), "MENU1_é{Z}");
  EXPECT_EQ(UpperAscii("\xE4\xFF"), "\xE4\xFF");  // single bytes above ASCII stay as they are
}

TEST(AsciiCase, ComparesFoldedBytesWithPrefixesFirst) {
  EXPECT_EQ(CompareTextAscii("abc", "ABC"), 0);
  EXPECT_EQ(CompareTextAscii("ab", "ABC"), -1);
  EXPECT_EQ(CompareTextAscii("b", "Abc"), 1);
  EXPECT_EQ(CompareTextAscii("_", "a"), -1);  // '_' (0x5F) sorts before folded 'a' (0x61)
  EXPECT_EQ(CompareTextAscii("\xC3\xA9", "z"), 1);  // bytes compare unsigned
}

}  // namespace
}  // namespace zq
