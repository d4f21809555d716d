// Test doubles for the event layer: a control standing in for the component
// base (script container, function adapter, dispatch component with its own
// dispatcher and response lists), an option class that writes setter script,
// and a lock indicator with items.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "events/func.h"
#include "events/jqevents.h"
#include "events/response.h"
#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/zqhelpers.h"
#include "options/jsonlist.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq::test {

// An option class with a title, a width and a click function; it writes one
// setter statement per recorded member, reading the current value.
#define ZQ_TEST_OPTIONS_ROWS(X)      \
  X(String, Title, "title", "")     \
  X(Integer, Width, "width", 0)     \
  X(Func, OnClick, "click", "event, ui")

class TTestOptions : public TIWZQJSon {
  ZQ_OPTIONS(TTestOptions, TIWZQJSon, ZQ_TEST_OPTIONS_ROWS)
  using TIWZQJSon::TIWZQJSon;

  bool SupportsSetter(TIWZQJSon*, TZQJSonMember*) override { return true; }
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override {
    for (auto& rec : GetMembersJSon(AMembers, true, true))
      AScript->Add(Format("%s.opt(\"%s\",%s);", Name, rec.Name, rec.JSon->AsJSon()));
  }
  std::string Name = "A";
};

// A list of option objects of that class.
class TTestButtonList : public TIWZQJSonList {
  ZQ_CLASS(TTestButtonList, TIWZQJSonList)
  TTestButtonList() : TIWZQJSonList(TTestOptions::StaticClass(), 0) {}
  TTestOptions* Items(int i) const { return static_cast<TTestOptions*>(TIWZQJSonList::Items(i)); }
  TTestOptions* Add() { return static_cast<TTestOptions*>(TIWZQJSonList::Add()); }
};

// An option class with a function member that has a fixed script.
#define ZQ_FIXED_OPTIONS_ROWS(X) X(FuncNamed, Go, "go", "a,b", "go", kZQFixedScript)

class TFixedOptions : public TIWZQJSon {
  ZQ_OPTIONS(TFixedOptions, TIWZQJSon, ZQ_FIXED_OPTIONS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  std::string GetFixedScript(TObject*, bool& AtStart) override {
    AtStart = false;
    return "fixed();";
  }
};

class TTestControl;

// A lock indicator item and component.
class TTestIndicator;
class TTestIndicatorItem : public IIWZQIndicatorItem {
 public:
  TTestIndicatorItem(TTestIndicator* AOwner, int AIndex) : FOwner(AOwner), FIndex(AIndex) {}
  ~TTestIndicatorItem() override {
    for (TIWZQFunc* f : Funcs) f->IndicatorItemFreed(this);
  }
  TComponent* GetIndicatorComponent() override;
  int GetIndicatorItemIndex() override { return FIndex; }
  void AddFunc(TIWZQFunc* f) override { Funcs.push_back(f); }
  void DelFunc(TIWZQFunc* f) override { std::erase(Funcs, f); }
  std::vector<TIWZQFunc*> Funcs;

 private:
  TTestIndicator* FOwner;
  int FIndex;
};

class TTestIndicator : public TComponent, public IIWZQLockIndicator {
  ZQ_CLASS(TTestIndicator, TComponent)
  explicit TTestIndicator(TComponent* AOwner = nullptr, int ACount = 0) : TComponent(AOwner) { SetCount(ACount); }
  void SetCount(int n) {
    Items.clear();
    for (int i = 0; i < n; ++i) Items.push_back(std::make_unique<TTestIndicatorItem>(this, i));
  }
  int GetIndicatorItemCount() override { return static_cast<int>(Items.size()); }
  IIWZQIndicatorItem* GetIndicatorItem(int i) override { return Items[static_cast<std::size_t>(i)].get(); }
  std::vector<std::unique_ptr<TTestIndicatorItem>> Items;
};

inline TComponent* TTestIndicatorItem::GetIndicatorComponent() { return FOwner; }

// The component base stand-in.
class TTestControl : public TComponent,
                     public IIWZQJSContainer,
                     public IIWZQFuncAdapter,
                     public IIWZQDispatchComponent {
  ZQ_CLASS(TTestControl, TComponent)
  explicit TTestControl(TComponent* AOwner = nullptr);
  void BeforeDestruction() override;

  // Published: OnClick (a plain function), Options, JQEvents, Buttons (a list
  // of option objects), Other (a reference to another component).
  TIWZQFunc* GetOnClick() { return FOnClick.get(); }
  TTestOptions* GetOptions();
  TIWZQJQEvents* GetJQEvents();
  TTestButtonList* GetButtons();
  TComponent* GetOther() { return FOther; }
  void SetOther(TComponent* v) { FOther = v; }
  TIWZQDispatcher& Dispatcher() { return *FDispatcher; }
  TIWZQResponseList* AjaxList() { return FAjaxList.get(); }
  TIWZQResponseList* SubmitList() { return FSubmitList.get(); }

  bool InCallback = false;
  bool Loading = false;
  std::string HTMLName = "BTN1";
  std::vector<std::string> Dispatched;       // DispatchAjaxJavaScript
  std::vector<std::string> SubmitDispatched;  // DispatchSubmitJavaScript
  bool NeedsJSON = false;
  int DisableCount = 0;

  // IIWZQJSContainer
  TComponent* GetImplComponent() override { return this; }
  std::string GetHTMLName() override { return HTMLName; }
  std::string GetIWCLName() override { return HTMLName + "IWCL"; }
  std::string GetIDJQuery() override { return ZQGetJQuery(HTMLName); }
  bool GetGenerateAjaxResponse(TZQJSonMember* AMember) override {
    return InCallback && !Loading && DisableCount == 0 && (!AMember || AMember->GenerateJSon());
  }
  bool GetIsLoading() override { return Loading; }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool, bool) override {
    FDispatcher->AddAjaxResponseScript(AScript);
  }
  void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) override {
    FDispatcher->AddAjaxResponseMember(AHandler, AMember);
  }
  void AddJavaScriptToSubmitResponse(const std::string& AScript, bool, bool) override {
    FDispatcher->AddSubmitResponseScript(AScript);
  }
  bool GetNeedsJSONJs() override { return NeedsJSON; }
  void SetNeedsJSONJs(bool v) override { NeedsJSON = v; }
  int GetDisableAjaxResponseCount() override { return DisableCount; }
  void DisableAjaxResponse() override { ++DisableCount; }
  void EnableAjaxResponse() override { --DisableCount; }

  // IIWZQFuncAdapter (a control answers no property name and no index)
  IIWZQJSContainer* GetZQJSContainer() override { return this; }
  std::string GetPropName() override { return {}; }
  int GetItemIndex() override { return -1; }
  std::string GetFixedScript(TObject*, bool&) override { return {}; }

  // IIWZQDispatchComponent
  bool GetMobile() override { return false; }
  IIWZQDispatchList* GetAjaxResponseScriptListIntf(bool ACreate) override {
    if (!FAjaxList && ACreate) FAjaxList.reset(Create<TIWZQResponseList>(this));
    return FAjaxList.get();
  }
  IIWZQDispatchList* GetSubmitResponseScriptListIntf(bool ACreate) override {
    if (!FSubmitList && ACreate) FSubmitList.reset(Create<TIWZQResponseList>(this));
    return FSubmitList.get();
  }
  void DispatchAjaxJavaScript(const std::string& AScript) override { Dispatched.push_back(AScript); }
  void DispatchSubmitJavaScript(TIWCompContext*, const std::string& AScript) override {
    SubmitDispatched.push_back(AScript);
  }

 private:
  Owned<TIWZQFunc> FOnClick;
  Owned<TIWZQJSon> FOptions;
  Owned<TIWZQJSon> FJQEvents;
  Owned<TIWZQJSonList> FButtons;
  Owned<TIWZQDispatcher> FDispatcher;
  Owned<TIWZQResponseList> FAjaxList;
  Owned<TIWZQResponseList> FSubmitList;
  TComponent* FOther = nullptr;
};

// A handler that records its calls.
struct THandlerLog {
  std::vector<std::string> Calls;
  TObject* LastSender = nullptr;
  std::string LastParams;
  void OnEvent(TObject* Sender, TStringList* Params) {
    LastSender = Sender;
    LastParams = Params ? Params->Text() : std::string();
    Calls.push_back("event");
  }
  void OnSimple(TObject* Sender) {
    LastSender = Sender;
    Calls.push_back("simple");
  }
  TIWZQEvent Event() { return TIWZQEvent(this, &THandlerLog::OnEvent); }
};

}  // namespace zq::test
