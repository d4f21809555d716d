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
class TIWZQJQContextMenuAnimation : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQContextMenuAnimation, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
  int GetDuration() { return GetIntegerValue(0); }
  void SetDuration(int v) { SetIntegerValue(0, v); }
  std::string GetShow() { return GetStringValue(1); }
  void SetShow(const std::string& v) { SetStringValue(1, v); }
  std::string GetHide() { return GetStringValue(2); }
  void SetHide(const std::string& v) { SetStringValue(2, v); }

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddIntegerMember("duration", 500, false, true);
    AddStringMember("show", "slideDown", false, true);
    AddStringMember("hide", "slideUp", false, true);
  }
};

enum class TMenuPosition { mpRight, mpLeft, mpHover, mpNone };
ZQ_ENUM_NAMES(TMenuPosition, "mpRight", "mpLeft", "mpHover", "mpNone")
enum class TMenuEdge { meN, meE, meS };
ZQ_ENUM_NAMES(TMenuEdge, "meN", "meE", "meS")
using TMenuEdges = SetOf<TMenuEdge>;

// Context menu options: a member of every kind, Animation at index 7.
class TTestMenuOptions : public TIWZQJSon {
  ZQ_CLASS(TTestMenuOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

  TIWZQJQContextMenuAnimation* Animation() { return static_cast<TIWZQJQContextMenuAnimation*>(GetObjValue(7)); }
  TTestFunc* OnShow() { return static_cast<TTestFunc*>(GetFuncValue(13)); }
  int ActiveThemeIndex = 0;  // published without index
  bool UseSetter = true;
  bool SupportsSetter(TIWZQJSon*, TZQJSonMember*) override { return UseSetter; }
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override {
    for (auto& r : GetMembersJSon(AMembers, true, true))
      AScript->Add(Format("%s.setOption(\"%s\",%s);", GetIWCLName(), r.Name, ZQOptionJSonText(r.JSon, false)));
  }

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddStringMember("selector", "", false, true);                                  // 0
    AddEnumMember("trigger", {"right", "left", "hover", "none"}, 0, false, true);  // 1
    AddIntegerMember("delay", 200, false, true);                                   // 2
    AddBooleanMember("autoHide", false, false, true);                              // 3
    AddDoubleMember("zIndex", 1, false, true);                                     // 4
    AddColorMember("background-color", "#ffffff", false, true);                    // 5
    AddJSonMember("items", "[]", false, true);                                     // 6
    AddObjMember("animation", TIWZQJQContextMenuAnimation::StaticClass(), false, true, false);  // 7
    AddBooleanMember("BuildOnDemand", false, false, false);                        // 8
    std::uint8_t noEdges = 0;
    AddEnumSetMember("edges", {"n", "e", "s"}, &noEdges, 1, false, true);  // 9
    AddCurrencyMember("price", Currency::FromRaw(0), false, true);         // 10
    AddVariantMember("data", Variant(), false, true);                      // 11
    AddSimpleArrayMember("points", false, false, true);                    // 12
    AddFuncMember("show", "opt", "", false, nullptr, false, true);         // 13
    AddDynObjListMember("headers", false, true);                           // 14
    AddObjListMember("steps", TIWZQJSonList::StaticClass(), false, true, false);  // 15
  }
};

// Option classes built on the fly by the tests.
class TNumbersOptions : public TIWZQJSon {
  ZQ_CLASS(TNumbersOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
  bool Array = false;
  bool IsArray() override { return Array; }

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddIntegerMember("min", 0, false, true);
    AddIntegerMember("max", 0, false, true);
    AddObjMember("inner", TIWZQJQContextMenuAnimation::StaticClass(), false, true, true);
  }
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
