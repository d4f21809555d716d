// Test doubles for the option model: a container standing in for the
// component base, an event function class, and option classes shaped like
// the library's (context menu options with their animation options).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "options/jsonlist.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq::test {

// A control: records what option objects report during a simulated callback.
class TTestContainer : public TComponent, public IIWZQJSContainer {
  ZQ_CLASS(TTestContainer, TComponent)
  explicit TTestContainer(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  bool InCallback = false;  // the simulated callback
  bool Loading = false;
  int DisableCount = 0;
  int MaxDisableCount = 0;
  int Refreshes = 0;
  std::string HTMLName = "MENU1";
  std::vector<std::pair<TIWZQJSon*, TZQJSonMember*>> Recorded;
  std::vector<std::string> Scripts;

  void SetDesigning(bool on) { SetComponentState(csDesigning, on); }
  TComponent* GetImplComponent() override { return this; }
  std::string GetHTMLName() override { return HTMLName; }
  std::string GetIWCLName() override { return HTMLName + "IWCL"; }
  std::string GetIDJQuery() override { return "$(\"#" + HTMLName + "\")"; }
  bool GetGenerateAjaxResponse(TZQJSonMember* AMember) override {
    return InCallback && !Loading && DisableCount == 0 && AMember && AMember->GenerateJSon();
  }
  bool GetIsLoading() override { return Loading; }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool, bool) override { Scripts.push_back(AScript); }
  void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) override {
    Recorded.emplace_back(AHandler, AMember);
  }
  void DesignTimeRefresh() override { ++Refreshes; }
  int GetDisableAjaxResponseCount() override { return DisableCount; }
  void DisableAjaxResponse() override {
    ++DisableCount;
    MaxDisableCount = std::max(MaxDisableCount, DisableCount);
  }
  void EnableAjaxResponse() override { --DisableCount; }

  // The end of the callback: the recorded members of each handler become
  // setter script (as the response list does).
  std::string FinishCallback() {
    std::string out;
    std::vector<TIWZQJSon*> handlers;
    for (auto& r : Recorded)
      if (std::find(handlers.begin(), handlers.end(), r.first) == handlers.end()) handlers.push_back(r.first);
    for (TIWZQJSon* h : handlers) {
      TIWZQResponseMemberList members(h);
      members.Initialize();
      for (auto& r : Recorded)
        if (r.first == h && !members.HasMember(r.second)) members.AddMember(r.second);
      TStringList lines;
      h->GetMemberSetterScriptParts(&members, &lines);
      for (int i = 0; i < lines.Count(); ++i) out += lines[i];
    }
    Recorded.clear();
    return out;
  }
};

// An event function: writes its script as raw text, nothing without one.
class TTestFunc : public TPersistent, public IIWZQJSon {
  ZQ_CLASS(TTestFunc, TPersistent)
  TTestFunc(TIWZQJSon* AOwner, std::string APropName, TZQJSonFuncMember* AMember)
      : FOwner(AOwner), FPropName(std::move(APropName)), FMember(AMember) {}
  TPersistent* GetOwner() const override { return FOwner; }
  void Assign(const TPersistent* Source) override {
    if (auto* f = dynamic_cast<const TTestFunc*>(Source)) Script = f->Script;
    else TPersistent::Assign(Source);
  }
  bool GetIsStored() override { return !Script.empty() || FMember->HasFixedScript(); }
  ISuperObject GetJSon() override {
    std::string body = FMember->HasFixedScript() ? "fixed();" + Script : Script;
    if (body.empty()) return nullptr;
    return TSuperObject::Create("function(" + FMember->FArgs + ") {" + body + "}", true);
  }
  ISuperObject GetJSonEx(bool, bool, TIWZQResponseMemberList*, bool) override { return GetJSon(); }
  void ResetProps() override { Script.clear(); }

  std::string Script;
  TIWZQJSon* FOwner;
  std::string FPropName;
  TZQJSonFuncMember* FMember;
};

// The context menu's animation options.
#define ZQ_CONTEXT_MENU_ANIMATION_ROWS(X)     \
  X(Integer, Duration, "duration", 500)       \
  X(String, Show, "show", "slideDown")        \
  X(String, Hide, "hide", "slideUp")

class TIWZQJQContextMenuAnimation : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQContextMenuAnimation, TIWZQJSon, ZQ_CONTEXT_MENU_ANIMATION_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_MENU_POSITION_VALUES(X) X(mpRight, "right") X(mpLeft, "left") X(mpHover, "hover") X(mpNone, "none")
ZQ_OPTION_ENUM(TMenuPosition, ZQ_MENU_POSITION_VALUES)
#define ZQ_MENU_EDGE_VALUES(X) X(meN, "n") X(meE, "e") X(meS, "s")
ZQ_OPTION_ENUM(TMenuEdge, ZQ_MENU_EDGE_VALUES)
using TMenuEdges = SetOf<TMenuEdge>;

// Context menu options: a member of every kind, Animation at index 7.
#define ZQ_TEST_MENU_OPTIONS_ROWS(X)                                         \
  X(String, Selector, "selector", "")                                        \
  X(Enum, Trigger, "trigger", TMenuPosition, TMenuPosition::mpRight)         \
  X(Integer, Delay, "delay", 200)                                            \
  X(Boolean, AutoHide, "autoHide", false)                                    \
  X(Double, ZIndex, "zIndex", 1)                                             \
  X(Color, BackgroundColor, "background-color", "#ffffff")                   \
  X(JSon, Items, "items", "[]")                                              \
  X(Obj, Animation, "animation", TIWZQJQContextMenuAnimation)                \
  X(Boolean, BuildOnDemand, "BuildOnDemand", false, kZQServerOnly)           \
  X(EnumSet, Edges, "edges", TMenuEdge, TMenuEdges{})                        \
  X(Currency, Price, "price", Currency::FromRaw(0))                          \
  X(Variant, Data, "data", Variant())                                        \
  X(SimpleArray, Points, "points", false)                                    \
  X(Func, OnShow, "show", "opt")                                             \
  X(DynObjList, Headers, "headers")                                          \
  X(ObjList, Steps, "steps", TIWZQJSonList)

class TTestMenuOptions : public TIWZQJSon {
  ZQ_OPTIONS(TTestMenuOptions, TIWZQJSon, ZQ_TEST_MENU_OPTIONS_ROWS)
  using TIWZQJSon::TIWZQJSon;

  int ActiveThemeIndex = 0;  // published without index
  bool UseSetter = true;
  bool SupportsSetter(TIWZQJSon*, TZQJSonMember*) override { return UseSetter; }
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override {
    for (auto& r : GetMembersJSon(AMembers, true, true))
      AScript->Add(Format("%s.setOption(\"%s\",%s);", GetIWCLName(), r.Name, ZQOptionJSonText(r.JSon, false)));
  }
};

static_assert(TTestMenuOptions::kAnimation == 7, "the worked example publishes Animation with index 7");

// Option classes built on the fly by the tests.
#define ZQ_NUMBERS_OPTIONS_ROWS(X) \
  X(Integer, Min, "min", 0)        \
  X(Integer, Max, "max", 0)        \
  X(Obj, Inner, "inner", TIWZQJQContextMenuAnimation, kZQDynamic)

class TNumbersOptions : public TIWZQJSon {
  ZQ_OPTIONS(TNumbersOptions, TIWZQJSon, ZQ_NUMBERS_OPTIONS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  bool Array = false;
  bool IsArray() override { return Array; }
};

void RegisterTestFunctions();

// A container holding one menu-options object, "Options", made fresh for each test.
class TMenuOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestFunctions();
    ctl = Owned<TTestContainer>(Create<TTestContainer>());
    opts = Owned<TTestMenuOptions>(TIWZQJSon::CreateSingle<TTestMenuOptions>(ctl.get(), "Options"));
  }
  Owned<TTestContainer> ctl;
  Owned<TTestMenuOptions> opts;
};

}  // namespace zq::test
