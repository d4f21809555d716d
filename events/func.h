// Event functions: the server-side description of one client event. An event
// function becomes the script the browser runs when the event fires; with a
// server handler assigned, that script calls back to the server by ajax
// (executeAjaxEvent) or by a full submit (SubmitClickConfirm), sending the
// browser parameters along, and the control's callback finds the function
// again by its event identifier (the property path from the control) and
// calls the handler.
//
//   TIWZQFunc              held by a control or an events object
//   TIWZQJSonFunc          a function member of an option object, written into
//                          the option literal as a function value
//
// Generated script for an ajax handler in the property OnClick of control
// BTN1 (script debugging off, each line followed by one space):
//   {   var url = "&ajaxevent=OnClick";   executeAjaxEvent(url,BTN1IWCL,"BTN1.DoAjaxRequest",true,null,true); }
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/delegate.h"
#include "foundation/object.h"
#include "foundation/variant.h"
#include "options/jsonobj.h"

namespace zq {

class TZQParamList;

class TComponent;
class TIWZQBrowserParams;
class TIWZQFunc;
class TIWZQJScript;
class TStringList;
class TZQJSonFuncMember;

// The server handler of an event function: (sender, request parameters).
using TIWZQEvent = Delegate<void(TObject* Sender, TStringList* AParams)>;

// A lock-indicator item (one blockUI configuration of a lock indicator). The
// item keeps the functions that use it and clears their link
// (TIWZQFunc::IndicatorItemFreed) when it is destroyed.
class IIWZQIndicatorItem {
 public:
  virtual ~IIWZQIndicatorItem() = default;
  // The lock-indicator component that owns the item.
  virtual TComponent* GetIndicatorComponent() = 0;
  // The item's index in the component's Indicators.
  virtual int GetIndicatorItemIndex() = 0;
  virtual void AddFunc(TIWZQFunc* AFunc) = 0;
  virtual void DelFunc(TIWZQFunc* AFunc) = 0;
};

// A lock-indicator component, as an event function sees it.
class IIWZQLockIndicator {
 public:
  virtual ~IIWZQLockIndicator() = default;
  virtual int GetIndicatorItemCount() = 0;
  virtual IIWZQIndicatorItem* GetIndicatorItem(int AIndex) = 0;
};

// Bits of TIWZQFunc::FFlags.
inline constexpr int kFuncAjax = 0;
inline constexpr int kFuncAjaxQueued = 1;
inline constexpr int kFuncAjaxAppend = 2;
inline constexpr int kFuncSendAllArguments = 3;

class TIWZQFunc : public TPersistent {
  ZQ_CLASS(TIWZQFunc, TPersistent)
  // AOwner must implement IIWZQFuncAdapter.
  TIWZQFunc(TPersistent* AOwner = nullptr, std::string APropName = {});
  ~TIWZQFunc() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // ---- published properties
  const std::string& GetScriptText() const { return FScript; }
  void SetScript(const std::string& AValue);
  const std::string& GetCondition() const { return FCondition; }
  void SetCondition(const std::string& AValue);
  TIWZQBrowserParams* GetBrowserParams();
  virtual void SetBrowserParams(TIWZQBrowserParams* AValue);
  bool IsBrowserParamsStored() const;
  bool GetAjax() const { return GetFlag(kFuncAjax); }
  void SetAjax(bool AValue) { SetFlagValue(kFuncAjax, AValue); }
  bool GetAjaxQueued() const { return GetFlag(kFuncAjaxQueued); }
  void SetAjaxQueued(bool AValue) { SetFlagValue(kFuncAjaxQueued, AValue); }
  bool GetAjaxAppend() const { return GetFlag(kFuncAjaxAppend); }
  void SetAjaxAppend(bool AValue) { SetFlagValue(kFuncAjaxAppend, AValue); }
  bool GetSendAllArguments() const { return GetFlag(kFuncSendAllArguments); }
  void SetSendAllArguments(bool AValue) { SetFlagValue(kFuncSendAllArguments, AValue); }
  std::string GetScriptToExecute() { return GetScript(true); }
  // Raises "Cannot change ScriptToExecute!".
  void SetScriptToExecute(const std::string& AValue);
  virtual TIWZQEvent GetOnEvent() const { return FOnEvent; }
  virtual void SetOnEvent(const TIWZQEvent& AValue);
  virtual TNotifyEvent GetOnSimpleEvent() const { return FOnSimpleEvent; }
  virtual void SetOnSimpleEvent(const TNotifyEvent& AValue) { FOnSimpleEvent = AValue; }
  // The lock indicator component of the current item (or none).
  TComponent* GetIndicator();
  void SetIndicator(TComponent* AValue);
  int GetIndicatorIndex();
  void SetIndicatorIndex(int AValue);

  // ---- the rest of the interface
  TPersistent* GetOwner() const override { return FOwner; }
  TPersistent* Owner() const { return FOwner; }
  const std::string& PropName() const { return FPropName; }
  IIWZQFuncAdapter* Adapter() const { return FAdapter; }
  // Created on first use; filled by the owning control, never stored.
  TIWZQBrowserParams* GetInternalBrowserParams();
  bool HasInternalBrowserParams() const;
  IIWZQIndicatorItem* GetIndicatorItem() const { return FIndicatorItem; }
  void SetIndicatorItem(IIWZQIndicatorItem* AItem);
  // Called by an item that is being destroyed.
  void IndicatorItemFreed(IIWZQIndicatorItem* AItem);
  TObject* FSimpleEventSender = nullptr;
  // The request parameters while the simple handler runs, else none.
  TStringList* GetParams() const { return FParams; }

  virtual bool GetIsLoading();
  virtual std::string GetArguments() { return {}; }
  virtual bool GetHasScript();
  virtual std::string GetScript(bool AForExecute);
  virtual std::string GetScriptDeclaration(bool AForExecute);
  virtual std::string GetBaseScript(bool AForExecute);
  virtual std::string GetEventID();
  virtual void CheckGenerateAjaxResponse() {}
  virtual void ResetProps();

  std::string GetScriptToHTML();
  std::string GetEmptyScript();
  static std::string IWEventName() { return "DoAjaxRequest"; }

  void CallEventOnServer(TObject* ASender, TStringList* AParams);
  // Runs the handler as the server side of an event (OnEvent with the owner
  // as sender, else OnSimpleEvent with FSimpleEventSender or the owner).
  void DoEvent(TStringList* AParams);
  // During a callback: turns the event into a full submit of the page.
  void FullSubmit(TStringList* AParams);
  void Assign(const TPersistent* Source) override;

  // A property the form file holds for a function that no longer has it:
  // "AjaxAsync" (a boolean) becomes AjaxQueued; any other is a list of
  // "name=script" lines (CR LF separated), each becoming a browser parameter
  // sent as JSON. Returns false when the value cannot be read.
  bool ReadLegacyProperty(std::string_view AName, const Variant& AValue);

  bool GetFlag(int ABit) const { return (FFlags >> ABit) & 1u; }

 protected:
  void SetFlagValue(int ABit, bool AValue);
  TComponent* ImplComponent();
  // The form or frame that owns the host component (for ParseScript).
  TComponent* ScriptOwner();
  void AddParamLines(TIWZQJScript& ALines, TIWZQBrowserParams* AParams, TComponent* AScriptOwner);

  TPersistent* FOwner;
  IIWZQFuncAdapter* FAdapter;
  std::string FPropName;
  std::string FScript;
  std::string FCondition;
  std::uint8_t FFlags = 1u << kFuncAjaxAppend;
  Owned<TIWZQBrowserParams> FBrowserParams;
  Owned<TIWZQBrowserParams> FInternalBrowserParams;
  IIWZQIndicatorItem* FIndicatorItem = nullptr;
  TIWZQEvent FOnEvent;
  TNotifyEvent FOnSimpleEvent;
  TStringList* FParams = nullptr;

 private:
  void DeselectIndicator();
  void SelectIndicator(TComponent* AComp, int AIndex);
  IIWZQJSContainer* FDisabledContainer = nullptr;
  int FParkedIndicatorIndex = -2;          // -2: nothing parked
  TComponent* FLoadingIndicator = nullptr;  // only read while loading
};

class TIWZQJSonFunc : public TIWZQFunc, public IIWZQJSon {
  ZQ_CLASS(TIWZQJSonFunc, TIWZQFunc)
  TIWZQJSonFunc(TIWZQJSon* AOwner = nullptr, std::string APropName = {}, TZQJSonFuncMember* AMember = nullptr);

  TZQJSonFuncMember* Member() const { return FMember; }
  std::string GetArguments() override;
  bool GetHasScript() override;
  std::string GetScript(bool AForExecute) override;
  std::string GetScriptDeclaration(bool AForExecute) override;
  void CheckGenerateAjaxResponse() override;
  void ResetProps() override;

  bool IsAjaxStored() const;
  virtual bool GetHasUserScript() { return !FScript.empty(); }
  virtual bool JSonIdent();
  virtual bool JSonEscape() { return true; }
  virtual bool JSonNameQuote() { return false; }

  // ---- IIWZQJSon
  bool GetIsStored() override;
  ISuperObject GetJSon() override;
  ISuperObject GetJSonEx(bool, bool, TIWZQResponseMemberList*, bool) override { return GetJSon(); }

 private:
  TZQJSonFuncMember* FMember;
};

// Registers the event function classes with the option model (idempotent);
// every function created for a function member without a class of its own
// is then a TIWZQJSonFunc. Also points the option model's freed-object hook
// at ZQResponseObjectFreed. Part of the library start-up
// (framework/startup.h); ZQUnregisterEventFunctions undoes both.
void ZQRegisterEventFunctions();
void ZQUnregisterEventFunctions();

// ---- the server side of events (the control's DoAjaxRequest, Submit and
// CallEvent entries)

// The event function an identifier from the browser names, reached only
// through objects AControl owns (option objects, lists, items, functions).
// Anything else - an unknown name, an index outside a list, a reference to
// another component, an object that is not an event function - raises
// "%s event \"%s\" not found!" with "Ajax" or "Submit".
TIWZQFunc* ZQResolveEventFunc(TComponent* AControl, std::string_view AEventID, bool AIsAjax);
// Sets "ComponentName" to the control's name (replacing any value the browser
// sent), calls the event monitor, resolves the function and runs its handler.
void ZQCallEvent(TComponent* AControl, const std::string& AEventID, TStringList* AParams, bool AIsAjax);
// The event a callback names ("ajaxevent"); raises when it is missing or empty.
std::string ZQAjaxEventName(TStringList* AParams);
// Parses a submit's parameter text into AList and gives its "submitevent"
// (empty when the text names none).
std::string ZQSubmitEventName(const std::string& AValue, TZQParamList& AList);
// The ajax callback: "ajaxevent" must be present and not empty.
void ZQDoAjaxRequest(TComponent* AControl, TStringList* AParams);
// A submit's parameter text ("&"-joined): runs "submitevent" when it is given.
void ZQSubmitEvent(TComponent* AControl, const std::string& AValue);

}  // namespace zq
