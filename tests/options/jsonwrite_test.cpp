// The literal's text written straight from the rows against the text of the
// node GetJSon builds.
#include <gtest/gtest.h>

#include "options/optionrows.h"
#include "options/options_support.h"

namespace zq::test {
namespace {

std::string NodeText(TIWZQJSon* o) {
  return ZQOptionJSonText(o->GetJSon(), false, o->JSonEscape(), o->JSonNameQuote());
}

using DirectTextTest = TMenuOptionsTest;

TEST_F(DirectTextTest, EqualsTheNodesTextForEveryKind) {
  ASSERT_TRUE(opts->CanWriteDirect());
  EXPECT_EQ(opts->GetJSonText(), "{}");
  opts->SetSelector("#menu \"a\"/b");
  opts->SetTrigger(TMenuPosition::mpHover);
  opts->SetDelay(-7);
  opts->SetAutoHide(true);
  opts->SetZIndex(2.5);
  opts->SetBackgroundColor("#000000");
  opts->SetItems("[{\"a\":1}, 2, \"x\"]");
  opts->GetAnimation()->SetShow("fadeIn");
  opts->SetBuildOnDemand(true);  // server-side only
  opts->SetEdges(TMenuEdges{TMenuEdge::meN, TMenuEdge::meS});
  opts->SetPrice(Currency::FromRaw(12345));
  opts->SetData(Variant("text\u00e9"));
  opts->GetPoints()->Add("3");
  opts->GetPoints()->Add("x");
  opts->GetOnShow<TTestFunc>()->Script = "go();";
  opts->GetHeaders()->Add("a.b", Variant(1));
  opts->GetHeaders()->Add("plain", Variant(false));
  opts->GetSteps()->Add();
  opts->GetSteps()->Add();
  opts->ActiveThemeIndex = 3;  // a property without member
  const std::string text = opts->GetJSonText();
  EXPECT_EQ(text, NodeText(opts.get()));
  EXPECT_NE(text.find("\"background-color\":\"#000000\""), std::string::npos);
  EXPECT_NE(text.find("activethemeindex:3"), std::string::npos);
  EXPECT_EQ(text.find("BuildOnDemand"), std::string::npos);
}

TEST_F(DirectTextTest, EmptySubObjectsAndListsAreLeftOut) {
  opts->GetAnimation()->SetDuration(300);
  opts->GetAnimation()->SetDuration(500);  // back to the default: the sub-object writes {}
  opts->GetSteps();                        // a list without items
  opts->GetPoints();
  EXPECT_EQ(opts->GetJSonText(), "{}");
  opts->GetSteps()->Add();
  EXPECT_EQ(opts->GetJSonText(), "{steps:[{}]}");
  EXPECT_EQ(opts->GetJSonText(), NodeText(opts.get()));
}

// Quoting every name and writing without escapes, as a class may choose.
class TQuotedMenuOptions : public TTestMenuOptions {
  ZQ_CLASS(TQuotedMenuOptions, TTestMenuOptions)
  using TTestMenuOptions::TTestMenuOptions;
  bool JSonNameQuote() override { return true; }
  bool JSonEscape() override { return false; }
};
ZQ_IMPLEMENT_CLASS(TQuotedMenuOptions) {}

TEST(DirectText, NameQuotingAndEscapingFollowTheOutermostObject) {
  RegisterTestFunctions();
  Owned<TQuotedMenuOptions> o(TIWZQJSon::CreateSingle<TQuotedMenuOptions>(nullptr, ""));
  o->SetSelector("caf\u00e9/\"x\"");
  o->GetAnimation()->SetHide("a/b");
  o->SetBackgroundColor("#111111");
  ASSERT_TRUE(o->CanWriteDirect());
  EXPECT_EQ(o->GetJSonText(), NodeText(o.get()));
  EXPECT_NE(o->GetJSonText().find("\"selector\":"), std::string::npos);
}

// A class that changes the literal in its GetJSon, and one that claims a
// property in GetCustomJq: their text still comes from their hooks.
class TAddingOptions : public TNumbersOptions {
  ZQ_CLASS(TAddingOptions, TNumbersOptions)
  using TNumbersOptions::TNumbersOptions;
  ISuperObject GetJSon() override {
    ISuperObject j = TNumbersOptions::GetJSon();
    j->PutI("extra", 1);
    return j;
  }
};
ZQ_IMPLEMENT_CLASS(TAddingOptions) {}

class TClaimingOptions : public TNumbersOptions {
  ZQ_CLASS(TClaimingOptions, TNumbersOptions)
  using TNumbersOptions::TNumbersOptions;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override {
    if (APropName != "Min") return false;
    AJSon->PutS("range", std::to_string(GetMin()) + ".." + std::to_string(GetMax()));
    return true;
  }
};
ZQ_IMPLEMENT_CLASS(TClaimingOptions) {}

// A sub-object whose class claims a property, inside one written directly.
#define ZQ_HOLDER_ROWS(X)                      \
  X(Obj, Claimed, "claimed", TClaimingOptions) \
  X(Obj, Plain, "plain", TNumbersOptions)      \
  X(Integer, Level, "level", 0)

class THolderOptions : public TIWZQJSon {
  ZQ_OPTIONS(THolderOptions, TIWZQJSon, ZQ_HOLDER_ROWS)
  using TIWZQJSon::TIWZQJSon;
};
ZQ_IMPLEMENT_OPTIONS(THolderOptions) {}

TEST(DirectText, ClassesWithTheirOwnHooksKeepTheirText) {
  RegisterTestFunctions();
  Owned<TAddingOptions> adding(TIWZQJSon::CreateSingle<TAddingOptions>(nullptr, ""));
  EXPECT_FALSE(adding->CanWriteDirect());
  adding->SetMin(2);
  EXPECT_EQ(adding->GetJSonText(), "{min:2,extra:1}");

  Owned<THolderOptions> holder(TIWZQJSon::CreateSingle<THolderOptions>(nullptr, ""));
  ASSERT_TRUE(holder->CanWriteDirect());
  EXPECT_FALSE(holder->GetClaimed()->CanWriteDirect());
  holder->GetClaimed()->SetMax(9);
  holder->GetPlain()->SetMax(4);
  holder->GetPlain()->GetInner()->SetDuration(1);
  holder->SetLevel(3);
  EXPECT_EQ(holder->GetJSonText(), NodeText(holder.get()));
  const std::string text = holder->GetJSonText();
  EXPECT_NE(text.find("range:\"0..9\""), std::string::npos) << text;
  EXPECT_NE(text.find("max:9"), std::string::npos) << text;
}

TEST(DirectText, AnArrayObjectAndIndentedTextComeFromTheNode) {
  RegisterTestFunctions();
  Owned<TNumbersOptions> o(TIWZQJSon::CreateSingle<TNumbersOptions>(nullptr, ""));
  o->Array = true;
  o->SetMax(2);
  EXPECT_FALSE(o->CanWriteDirect());  // IsArray is the class's own
  EXPECT_EQ(o->GetJSonText(), "[0,2]");
}

}  // namespace
}  // namespace zq::test
