#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "foundation/exception.h"
#include "foundation/jqcommon.h"
#include "foundation/html.h"
#include "options/options_support.h"

namespace zq::test {
namespace {

std::string Text(const ISuperObject& n) { return ZQOptionJSonText(n, false); }

using OptionsTest = TMenuOptionsTest;

// The worked example: animation options inside the menu options.
TEST_F(OptionsTest, WorkedExampleAnimationInsideMenuOptions) {
  TIWZQJQContextMenuAnimation* a = opts->GetAnimation();
  EXPECT_EQ(a->PropName(), "Animation");
  EXPECT_EQ(a->Owner(), opts.get());
  EXPECT_EQ(Text(a->GetJSon()), "{}");
  EXPECT_EQ(Text(opts->GetJSon()), "{}");

  a->SetDuration(300);
  EXPECT_EQ(Text(a->GetJSon()), "{duration:300}");
  EXPECT_EQ(Text(opts->GetJSon()), "{animation:{duration:300}}");

  a->SetShow("fadeIn");
  EXPECT_EQ(Text(a->GetJSon()), "{duration:300,show:\"fadeIn\"}");
  a->SetHide("fadeOut");
  EXPECT_EQ(Text(a->GetJSon()), "{duration:300,show:\"fadeIn\",hide:\"fadeOut\"}");
  a->SetHide("slideUp");

  a->SetDuration(500);
  EXPECT_EQ(Text(a->GetJSon()), "{show:\"fadeIn\"}");
  EXPECT_EQ(Text(a->Document()), "{show:\"fadeIn\"}");  // the default was removed from the document
  EXPECT_EQ(opts->GetJSonText(), "{animation:{show:\"fadeIn\"}}");
}

TEST_F(OptionsTest, WorkedExampleOrderDoesNotDependOnAssignments) {
  TIWZQJQContextMenuAnimation* a = opts->GetAnimation();
  a->SetShow("fadeIn");
  a->SetDuration(300);
  EXPECT_EQ(Text(a->GetJSon()), "{duration:300,show:\"fadeIn\"}");
}

TEST_F(OptionsTest, AssignmentsDuringCallbackReachTheContainer) {
  TIWZQJQContextMenuAnimation* a = opts->GetAnimation();
  a->SetDuration(300);
  EXPECT_TRUE(ctl->Recorded.empty());  // not in a callback

  ctl->InCallback = true;
  a->SetDuration(400);
  a->SetDuration(400);  // the same value again: stored once, recorded twice
  EXPECT_EQ(Text(a->GetJSon()), "{duration:400}");
  ASSERT_EQ(ctl->Recorded.size(), 2u);
  EXPECT_EQ(ctl->Recorded[0].first, opts.get());  // the menu options handle the setter
  EXPECT_EQ(ctl->Recorded[0].second->Name(), "duration");

  opts->SetIntegerValue(2, 50);
  opts->SetStringValue(0, "#nav li");
  std::string script = ctl->FinishCallback();
  EXPECT_EQ(script,
            "MENU1IWCL.setOption(\"selector\",\"#nav li\");"
            "MENU1IWCL.setOption(\"delay\",50);"
            "MENU1IWCL.setOption(\"animation\",{duration:400});");
}

TEST_F(OptionsTest, NothingIsRecordedWithoutHandlerOrWhileDisabled) {
  ctl->InCallback = true;
  opts->UseSetter = false;
  opts->GetAnimation()->SetDuration(1);
  EXPECT_TRUE(ctl->Recorded.empty());
  opts->UseSetter = true;
  ctl->DisableAjaxResponse();
  opts->GetAnimation()->SetDuration(2);
  EXPECT_TRUE(ctl->Recorded.empty());
  ctl->EnableAjaxResponse();
  // A server-side-only member is never recorded nor written.
  opts->SetBooleanValue(8, true);
  EXPECT_TRUE(ctl->Recorded.empty());
  EXPECT_TRUE(opts->GetBooleanValue(8));
  EXPECT_EQ(Text(opts->GetJSon()), "{animation:{duration:2}}");
}

TEST_F(OptionsTest, ConstructionDisablesResponsesOfTheContainer) {
  EXPECT_GE(ctl->MaxDisableCount, 1);
  EXPECT_EQ(ctl->DisableCount, 0);
  ctl->InCallback = true;
  ctl->MaxDisableCount = 0;
  opts->GetAnimation();  // created during the callback: construction records nothing
  EXPECT_EQ(ctl->MaxDisableCount, 1);
  EXPECT_TRUE(ctl->Recorded.empty());
  EXPECT_EQ(ctl->DisableCount, 0);
}

TEST_F(OptionsTest, ScalarKindsStoreOnlyNonDefaults) {
  int refreshes = ctl->Refreshes;
  opts->SetEnumerAs(1, TMenuPosition::mpLeft);
  opts->SetBooleanValue(3, true);
  opts->SetDoubleValue(4, 2.5);
  opts->SetColorValue(5, "#000000");
  opts->SetCurrencyValue(10, Currency::FromRaw(12345));
  opts->SetEnumSetAs(9, TMenuEdges{TMenuEdge::meN, TMenuEdge::meS});
  EXPECT_EQ(ctl->Refreshes, refreshes + 6);
  EXPECT_EQ(opts->GetEnumerAs<TMenuPosition>(1), TMenuPosition::mpLeft);
  EXPECT_TRUE(opts->IsEnumSetStored(9));
  ISuperObject j = opts->GetJSon();
  EXPECT_EQ(j->GetS("trigger"), "left");
  EXPECT_EQ(j->GetS("background-color"), "#000000");
  EXPECT_EQ(j->GetO("edges")->AsJSon(), "[\"n\",\"s\"]");
  EXPECT_EQ(j->GetO("price")->AsJSon(), "1.2345");
  EXPECT_EQ(j->GetO("zIndex")->AsJSon(), "2.5");
  EXPECT_TRUE(j->GetB("autoHide"));
  // Forced values (setter scripts) take the set's texts from its member too.
  EXPECT_EQ(opts->GetJSonEx(false, true, nullptr, false)->GetO("edges")->AsJSon(), "[\"n\",\"s\"]");
  EXPECT_EQ(opts->GetJSonEx(false, true, nullptr, false)->GetS("trigger"), "left");
  // Back to the defaults: the document is empty again.
  opts->SetEnumerValue(1, 0);
  opts->SetBooleanValue(3, false);
  opts->SetDoubleValue(4, 1);
  opts->SetColorValue(5, "#ffffff");
  opts->SetCurrencyValue(10, Currency::FromRaw(0));
  opts->SetEnumSetValue(9, {0});
  EXPECT_EQ(Text(opts->Document()), "{}");
  // A NaN never counts as a change.
  opts->SetDoubleValue(4, std::nan(""));
  EXPECT_EQ(Text(opts->Document()), "{}");
}

TEST_F(OptionsTest, EnumerationOrdinalOutsideTableWritesNothing) {
  opts->SetEnumerValue(1, 2);
  opts->SetEnumerValue(1, 9);
  EXPECT_EQ(opts->GetEnumerValue(1), 2);
  EXPECT_EQ(Text(opts->GetJSon()), "{trigger:\"hover\"}");
  // A stored text not in the table reads as the default.
  opts->Document()->PutS("trigger", "LEFT");
  EXPECT_EQ(opts->GetEnumerValue(1), 0);
  // Set bits beyond the table are ignored.
  opts->SetEnumSetValue(9, {0xF8, 0xFF});
  EXPECT_FALSE(opts->IsEnumSetStored(9));
  EXPECT_FALSE(opts->Document()->AsObject()->Exists("edges"));
}

TEST_F(OptionsTest, JSonMemberKeepsDefaultTextAndWritesValueUnquoted) {
  EXPECT_EQ(opts->GetJSonValue(6), "[]");
  EXPECT_FALSE(opts->IsJSonStored(6));
  opts->SetJSonValue(6, "[1, 2]");
  EXPECT_EQ(opts->GetJSonValue(6), "[1,2]");
  EXPECT_TRUE(opts->IsJSonStored(6));
  EXPECT_EQ(Text(opts->GetJSon()), "{items:[1,2]}");
  opts->SetJSonValue(6, "{not json");  // stores a null value, not an error
  EXPECT_EQ(Text(opts->GetJSon()), "{items:null}");
  opts->SetJSonValue(6, "[]");
  EXPECT_EQ(Text(opts->GetJSon()), "{}");
}

TEST_F(OptionsTest, VariantMemberStoresByKind) {
  opts->SetVariantValue(11, Variant(true));
  EXPECT_EQ(Text(opts->GetJSon()), "{data:true}");
  opts->SetVariantValue(11, Variant(7));
  EXPECT_EQ(opts->GetVariantValue(11).ToInt64(), 7);
  opts->SetVariantValue(11, Variant("x"));
  EXPECT_EQ(Text(opts->GetJSon()), "{data:\"x\"}");
  EXPECT_TRUE(opts->IsVariantStored(11));
  opts->SetVariantValue(11, Variant());
  EXPECT_FALSE(opts->IsVariantStored(11));
  EXPECT_EQ(Text(opts->GetJSon()), "{}");
}

TEST_F(OptionsTest, PropertyWithoutIndexWrittenLowerCased) {
  opts->ActiveThemeIndex = 2;
  EXPECT_EQ(Text(opts->GetJSon()), "{activethemeindex:2}");
  opts->ActiveThemeIndex = 0;
  EXPECT_EQ(Text(opts->GetJSon()), "{}");
}

TEST_F(OptionsTest, EventFunctionsFollowTheEventsSwitch) {
  opts->GetOnShow<TTestFunc>()->Script = "go();";
  opts->SetIntegerValue(2, 5);
  EXPECT_EQ(Text(opts->GetJSonEvents()), "{show:function(opt) {go();}}");
  EXPECT_EQ(Text(opts->GetJSonByType(true, false)), "{delay:5}");
  EXPECT_EQ(Text(opts->GetJSon()), "{delay:5,show:function(opt) {go();}}");
  // In design mode functions are not written.
  ctl->SetDesigning(true);
  EXPECT_EQ(Text(opts->GetJSon()), "{delay:5}");
}

TEST_F(OptionsTest, IsArrayWritesPropertyValuesInOrder) {
  auto n = Owned<TNumbersOptions>(TIWZQJSon::CreateSingle<TNumbersOptions>(ctl.get(), "Range"));
  n->Array = true;
  n->SetIntegerValue(1, 5);
  EXPECT_EQ(Text(n->GetJSon()), "[0,5]");  // every scalar, sub-objects never created left out
  n->GetObjValue(2);
  EXPECT_EQ(Text(n->GetJSon()), "[0,5,{duration:500,show:\"slideDown\",hide:\"slideUp\"}]");  // forced: every value
}

TEST_F(OptionsTest, DynamicSlotReplacesTheSubObjectClass) {
  auto n = Owned<TNumbersOptions>(TIWZQJSon::CreateSingle<TNumbersOptions>(ctl.get(), "Range"));
  TIWZQJSon* first = n->GetObjValue(2);
  EXPECT_EQ(&first->ClassType(), &TIWZQJQContextMenuAnimation::StaticClass());
  EXPECT_TRUE(n->IsJSonObjStored("inner"));
  TIWZQJSonInstObjItem* slot = n->GetInstSlot(2);
  slot->FreeObj();
  slot->SetObjClass(&TNumbersOptions::StaticClass());
  EXPECT_FALSE(n->IsJSonObjStored("inner"));
  EXPECT_EQ(&n->GetObjValue(2)->ClassType(), &TNumbersOptions::StaticClass());
  // A plain slot ignores the class.
  TIWZQJSonInstObjItem* plain = opts->GetInstSlot(7);
  plain->SetObjClass(&TNumbersOptions::StaticClass());
  opts->FreeJSonObj("animation");
  EXPECT_EQ(&opts->GetObjValue(7)->ClassType(), &TIWZQJQContextMenuAnimation::StaticClass());
}

TEST_F(OptionsTest, ErrorsCarryTheirMessages) {
  auto msg = [](auto&& f) {
    try {
      f();
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(msg([&] { opts->GetIntegerValue(99); }), "Internal error: json member index \"99\" not defined!");
  EXPECT_EQ(msg([&] { opts->GetIntegerValue(0); }), "Invalid member in class TTestMenuOptions.selector");
  EXPECT_EQ(msg([&] { opts->FreeJSonObj("nothing"); }), "Member \"nothing\" does not exists!");
  EXPECT_EQ(msg([&] { opts->IsJSonObjStored("nothing"); }), "Member \"nothing\" does not exists!");
  // A colour accessor accepts a colour member only; the string family takes both.
  EXPECT_EQ(msg([&] { opts->GetColorValue(0); }), "Invalid member in class TTestMenuOptions.selector");
  EXPECT_EQ(opts->GetStringValue(5), "#ffffff");
}

TEST_F(OptionsTest, NamesAndLookups) {
  EXPECT_EQ(opts->GetHTMLName(), "MENU1");
  EXPECT_EQ(opts->GetIWCLName(), "MENU1IWCL");
  EXPECT_EQ(opts->GetImplComponent(), ctl.get());
  EXPECT_EQ(opts->GetItemIndex(), -1);
  EXPECT_EQ(opts->GetList(), nullptr);
  EXPECT_EQ(opts->GetPropIndexByName("Animation"), 7);
  EXPECT_EQ(opts->GetPropIndexByName("animation"), -1);
  EXPECT_EQ(opts->GetPropNameByIndex(12), "Points");
  EXPECT_EQ(opts->GetPropNameByIndex(40), "");
  EXPECT_EQ(opts->GetAnimation()->GetHTMLName(), "MENU1");
}

TEST_F(OptionsTest, WithoutContainerEverythingWorksAndNothingIsRecorded) {
  auto lone = Owned<TTestMenuOptions>(TIWZQJSon::CreateSingle<TTestMenuOptions>(nullptr, ""));
  lone->GetAnimation()->SetDuration(1);
  EXPECT_EQ(Text(lone->GetJSon()), "{animation:{duration:1}}");
  EXPECT_EQ(lone->GetHTMLName(), "");
  EXPECT_EQ(lone->GetIWCLName(), "");
  EXPECT_EQ(lone->GetZQJSContainer(), nullptr);
}

TEST_F(OptionsTest, ResetAndAssign) {
  opts->SetIntegerValue(2, 9);
  opts->GetAnimation()->SetShow("fadeIn");
  opts->GetSimpleArrayValue(12)->Add("4");
  opts->GetOnShow<TTestFunc>()->Script = "x();";
  auto copy = Owned<TTestMenuOptions>(TIWZQJSon::CreateSingle<TTestMenuOptions>(ctl.get(), "Copy"));
  copy->Assign(opts.get());
  EXPECT_EQ(Text(copy->GetJSon()), Text(opts->GetJSon()));
  EXPECT_NE(copy->GetAnimation(), opts->GetAnimation());  // sub-objects are copied, not shared

  opts->ResetProps();
  EXPECT_EQ(Text(opts->GetJSon()), "{}");
  EXPECT_TRUE(opts->IsJSonObjStored("animation"));  // reset keeps the sub-objects
  EXPECT_NE(Text(copy->GetJSon()), "{}");
  EXPECT_THROW(opts->Assign(ctl.get()), Exception);
}

TEST_F(OptionsTest, HTML5DataAttributes) {
  opts->SetStringValue(0, "a/b");
  opts->SetIntegerValue(2, 3);
  opts->SetBooleanValue(3, true);
  opts->SetJSonValue(6, "[1]");
  opts->GetAnimation()->SetDuration(1);
  TIWHTMLTag tag("div");
  tag.AddStringParam("data-delay", "old");
  opts->AddHTML5(&tag);
  EXPECT_EQ(tag.GetParam("data-selector"), "a\\/b");
  EXPECT_EQ(tag.GetParam("data-delay"), "3");  // replaced
  EXPECT_EQ(tag.GetParam("data-auto-hide"), "true");
  EXPECT_EQ(tag.GetParam("data-animation"), "{\"duration\":1}");
  EXPECT_FALSE(tag.HasParam("data-items"));  // arrays give no attribute
}

// A class whose AddMembers fails once.
class TFlakyOptions : public TIWZQJSon {
  ZQ_CLASS(TFlakyOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
  static inline int Failures = 1;

 protected:
  void AddMembers() override {
    AddIntegerMember("a", 1, false, true);
    if (Failures > 0) {
      --Failures;
      throw EIWZQJQuery("declaration failed");
    }
    AddIntegerMember("b", 2, false, true);
  }
};
ZQ_IMPLEMENT_CLASS(TFlakyOptions) {
  ZQ_JSON_PROP(c, "A", 0, Integer);
  ZQ_JSON_PROP(c, "B", 1, Integer);
}

TEST(OptionClassCache, FailedAddMembersLeavesNoEntry) {
  auto ctl = Owned<TTestContainer>(Create<TTestContainer>());
  EXPECT_THROW(TIWZQJSon::CreateSingle<TFlakyOptions>(ctl.get(), "X"), EIWZQJQuery);
  EXPECT_EQ(ZQFindJSonClassData(&TFlakyOptions::StaticClass()), nullptr);
  EXPECT_EQ(ctl->DisableCount, 0);  // the failed construction re-enabled responses
  auto ok = Owned<TFlakyOptions>(TIWZQJSon::CreateSingle<TFlakyOptions>(ctl.get(), "X"));
  const TZQJSonClassData* cd = ZQFindJSonClassData(&TFlakyOptions::StaticClass());
  ASSERT_NE(cd, nullptr);
  EXPECT_EQ(cd->MemberCount(), 2);
  ok->SetIntegerValue(1, 5);
  EXPECT_EQ(Text(ok->GetJSon()), "{b:5}");
}

TEST(OptionClassCache, BuiltOnceAndSharedAcrossThreads) {
  std::vector<std::thread> threads;
  std::vector<TZQJSonClassData*> seen(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &seen] {
      auto o = Owned<TNumbersOptions>(TIWZQJSon::CreateSingle<TNumbersOptions>(nullptr, ""));
      seen[static_cast<std::size_t>(t)] = o->GetClassData();
    });
  for (auto& th : threads) th.join();
  for (auto* s : seen) EXPECT_EQ(s, seen[0]);
  EXPECT_EQ(seen[0]->MemberCount(), 3);
  EXPECT_GE(seen[0]->UsedCount(), 4);
}


// Properties the writer cannot convert by itself, and a member of no kind.
class TOddOptions : public TIWZQJSon {
  ZQ_CLASS(TOddOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
  TMenuPosition Position = TMenuPosition::mpLeft;
  TMenuEdges Edges{TMenuEdge::meE};
  bool Convert = false;
  static inline bool AddOdd = false;
  std::string ConvertEnumToString(const std::string& APropName) override {
    return Convert && APropName == "Position" ? "left" : "";
  }
  bool ConvertSetToString(const std::string&, std::vector<std::string>& ATexts) override {
    ATexts = {"\"e\"", "1"};
    return Convert;
  }

 protected:
  void AddMembers() override {
    if (AddOdd) static_cast<TZQJSonMember*>(GetClassData()->Members().Add())->SetName("odd");
  }
};
ZQ_IMPLEMENT_CLASS(TOddOptions) {
  c.Prop("Position", &TOddOptions::Position);
  c.Prop("Edges", &TOddOptions::Edges);
}

class TOddOptions2 : public TOddOptions {
  ZQ_CLASS(TOddOptions2, TOddOptions)
  using TOddOptions::TOddOptions;
};
ZQ_IMPLEMENT_CLASS(TOddOptions2) {}

TEST(OptionWriterErrors, ConversionsWithoutMemberAndUnknownKinds) {
  auto o = Owned<TOddOptions>(TIWZQJSon::CreateSingle<TOddOptions>(nullptr, ""));
  try {
    o->GetJSon();
    FAIL() << "no error";
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "EnumConversion undefined in \"TOddOptions.ConvertEnumToString\" for property \"Position\"!");
  }
  o->Position = TMenuPosition::mpRight;  // ordinal 0: not stored, nothing to convert
  try {
    o->GetJSon();
    FAIL() << "no error";
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "SetConversion undefined in \"TOddOptions.ConvertSetToString\" for property \"Edges\"!");
  }
  o->Convert = true;
  o->Position = TMenuPosition::mpLeft;
  EXPECT_EQ(Text(o->GetJSon()), "{position:\"left\",edges:[\"e\",1]}");

  TOddOptions::AddOdd = true;
  try {
    TIWZQJSon::CreateSingle<TOddOptions2>(nullptr, "");
    FAIL() << "no error";
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "Unknown Member Type \"mtNone\" in TIWZQJSon.CreateInstance!");
  }
  TOddOptions::AddOdd = false;
}

TEST_F(OptionsTest, MemberValuesForSetters) {
  TIWZQJQContextMenuAnimation* a = opts->GetAnimation();
  a->SetShow("fadeIn");
  opts->SetIntegerValue(2, 7);
  std::string name;
  // A member of this class, with its current value.
  TZQJSonMember* delay = opts->GetClassData()->MembersByName("delay");
  EXPECT_EQ(Text(opts->GetMemberJSon(delay, nullptr, name)), "7");
  EXPECT_EQ(name, "delay");
  // A member of a nested object: found through the sub-object, holding only that member.
  TZQJSonMember* show = a->GetClassData()->MembersByName("show");
  EXPECT_EQ(Text(opts->GetMemberJSon(show, nullptr, name)), "{show:\"fadeIn\"}");
  EXPECT_EQ(name, "animation");
  // The writer counts the listed members it handles and removes them.
  TIWZQResponseMemberList members;
  members.Initialize();
  members.AddMember(delay);
  members.AddMember(show);
  EXPECT_THROW(members.AddMember(show), EListError);
  opts->GetJSonEx(false, false, &members, true);
  EXPECT_EQ(members.Processed, 2);
  EXPECT_EQ(members.Count(), 2);
  members.Processed = 0;
  EXPECT_EQ(Text(opts->GetJSonEx(false, false, &members, false)), "{animation:{show:\"fadeIn\"},delay:7}");
  EXPECT_EQ(members.Processed, 2);
  EXPECT_EQ(members.Count(), 0);
}

}  // namespace
}  // namespace zq::test
