#include <gtest/gtest.h>

#include "foundation/exception.h"
#include "options/jsonmember.h"

namespace zq {
namespace {

class MemberListTest : public ::testing::Test {
 protected:
  void SetUp() override { list.Initialize(); }
  TZQJSonMemberList list;
};

TEST_F(MemberListTest, DeclarationsSetNameFlagsAndKindFields) {
  auto* s = list.AddString(" delay ", "x", true, false);
  EXPECT_EQ(s->Name(), "delay");
  EXPECT_TRUE(s->Unchangeable());
  EXPECT_FALSE(s->GenerateJSon());
  EXPECT_EQ(s->FDefVal, "x");
  EXPECT_EQ(s->MType(), mtString);
  auto* o = list.AddJSonObj("animation", &TZQJSonMember::StaticClass(), false, true, true);
  EXPECT_TRUE(o->Dynamic());
  EXPECT_EQ(o->FObjClass, &TZQJSonMember::StaticClass());
  auto* f = list.AddJSonFunc("onShow", "event, ui", "show", true, nullptr, false, true);
  EXPECT_TRUE(f->HasFixedScript());
  EXPECT_EQ(f->FArgs, "event, ui");
  EXPECT_EQ(f->Flags(), (1u << kMFGenerateJSon) | (1u << kMFHasFixedScript));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetItem(1), o);
  EXPECT_EQ(o->GetIndex(), 1);
  EXPECT_STREQ(ZQJSonMemberTypeName(f->MType()), "mtJSonFunc");
  EXPECT_STREQ(ZQJSonMemberTypeName(mtNone), "mtNone");
}

TEST_F(MemberListTest, NamesAreCaseSensitiveAndUnique) {
  auto* show = list.AddString("show", "", false, true);
  auto* Show = list.AddString("Show", "", false, true);
  EXPECT_NE(show, Show);
  EXPECT_EQ(list.GetItemByName("Show"), Show);
  EXPECT_EQ(list.GetItemByName("SHOW"), nullptr);
  EXPECT_THROW(list.AddInteger("show", 1, false, true), EListError);
  EXPECT_EQ(list.Count(), 2);  // the refused declaration left nothing behind
  // Renaming onto a taken name is refused; the member keeps its name and key.
  EXPECT_THROW(Show->SetName("show"), EListError);
  EXPECT_EQ(Show->Name(), "Show");
  EXPECT_EQ(list.GetItemByName("Show"), Show);
  Show->SetName("hide");
  EXPECT_EQ(list.GetItemByName("hide"), Show);
  EXPECT_EQ(list.GetItemByName("Show"), nullptr);
  // The kept hash follows the name: values filed under it are found by name.
  EXPECT_EQ(Show->NameHash(), TSuperTableString::Hash("hide"));
  ISuperObject values = SO();
  values->AsObject()->PutO(Show->Name(), Show->NameHash(), TSuperObject::Create(7));
  EXPECT_EQ(values->AsObject()->GetO("hide")->AsInteger(), 7);
  EXPECT_TRUE(values->AsObject()->Exists(Show->Name(), Show->NameHash()));
}

TEST_F(MemberListTest, EnumerationTableIsBoundsChecked) {
  auto* e = list.AddEnum("trigger", {"right", "left", "hover", "none"}, 0, false, true);
  ASSERT_NE(e->TextOf(1), nullptr);
  EXPECT_EQ(*e->TextOf(1), "left");
  EXPECT_EQ(e->TextOf(4), nullptr);
  EXPECT_EQ(e->TextOf(-1), nullptr);
  EXPECT_EQ(e->IndexOf("LEFT"), -1);
  EXPECT_EQ(e->IndexOf("hover"), 2);
  TZQStringArray tooMany(256, "x");
  EXPECT_THROW(list.AddEnum("big", tooMany, 0, false, true), Exception);
}

TEST_F(MemberListTest, SetTextsSkipBitsBeyondTableAndSize) {
  std::uint8_t def[2] = {0xFF, 0xFF};  // bits beyond the 3 texts are dropped from the default
  auto* s = list.AddEnumSet("edges", {"n", "e", "s"}, def, 1, false, true);
  ASSERT_EQ(s->FDefBuf.size(), 1u);
  EXPECT_EQ(s->FDefBuf[0], 0x07);
  EXPECT_EQ(s->SetToJSon({0x05})->AsJSon(), "[\"n\",\"s\"]");
  // Bits past the table, and bytes past the set size, are ignored.
  EXPECT_EQ(s->SetToJSon({0xFA, 0xFF})->AsJSon(), "[\"e\"]");
  EXPECT_EQ(s->Normalize({0xFF, 0xFF}), TZQByteArray({0x07}));
  EXPECT_EQ(s->JSonToSet(SO("[\"s\",\"x\",\"n\",1]")), TZQByteArray({0x05}));
}

}  // namespace
}  // namespace zq
