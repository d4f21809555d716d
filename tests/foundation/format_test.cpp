#include "foundation/format.h"

#include <gtest/gtest.h>

#include "foundation/exception.h"

namespace zq {
namespace {

TEST(Format, ScriptTemplates) {
  EXPECT_EQ(Format("%s(\"#%s\")", "$", "BTN1"), "$(\"#BTN1\")");
  EXPECT_EQ(Format("%d items, %d%%", 3, -12), "3 items, -12%");
  EXPECT_EQ(Format("#%0.6x", 0xff00), "#00ff00");
  EXPECT_EQ(Format("%x/%X", 255u, 255u), "ff/FF");
  EXPECT_EQ(Format("%s=%s", std::string("a"), true), "a=true");
  EXPECT_EQ(Format("[%5s][%-3d]", "ab", 7), "[   ab][7  ]");
}

TEST(Format, PointerIsSixteenHexDigits) {
  EXPECT_EQ(Format("%p", reinterpret_cast<const void*>(0xabcULL)), "0000000000000ABC");
}

TEST(Format, MissingArgumentRaises) {
  EXPECT_THROW(Format("%s and %s", "one"), EConvertError);
  EXPECT_EQ(Format("100%"), "100%");
}

}  // namespace
}  // namespace zq
