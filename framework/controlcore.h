// TZQControlCore: what every control and component of the library keeps for
// its part in requests, held once as a member by the component base
// (framework/component.h) and the region base (framework/region.h):
//   - its dispatcher and its two response lists (ajax, submit; created on
//     first use), and the host hooks that drive them;
//   - a byte of flags (the bases name the bits), the Version text, the last
//     submit parameter and the response-disable counter;
//   - its callbacks: the main one (HTML name + ".DoAjaxRequest") and any
//     extra one the control registers (a store's value callback, a chart's
//     data callback ...). Each is recorded with the session it was
//     registered in and unregistered there when the control goes, whatever
//     session the thread has then (or none); a session freed first is
//     forgotten (free notification), so nothing points at it.
//   - the response-script operations of the script-container contract.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/response.h"
#include "foundation/component.h"
#include "host/application.h"

namespace zq {

class TIWCompContext;
class TIWZQJSon;
class TStringList;
class TZQJSonMember;

// What the core asks of its control.
class IIWZQCoreControl {
 public:
  virtual ~IIWZQCoreControl() = default;
  virtual bool GetMobile() = 0;
  // The handler of the main callback.
  virtual void DoAjaxRequest(TStringList* AParams) = 0;
  virtual void CallEvent(const std::string& AEventName, TStringList* AParams, bool AIsAjax) = 0;
};

class TZQControlCore : public TObject, public IIWZQDispatchComponent {
 public:
  // AControl is the control's component and AOwner its core contract (the
  // same object). The dispatcher is made here and told the web-root state.
  TZQControlCore(TComponent* AControl, IIWZQCoreControl* AOwner);
  ~TZQControlCore() override;

  IIWZQDispatcher* Dispatcher() const { return FDispatcher.get(); }

  // ---- flags, version, submit parameter, response-disable counter
  bool GetFlag(std::uint8_t ABit) const { return (FFlags & ABit) != 0; }
  void SetFlag(std::uint8_t ABits, bool AValue) {
    FFlags = AValue ? (FFlags | ABits) : (FFlags & ~ABits);
  }
  const std::string& GetVersion() const { return FVersion; }
  // Ignored in design state.
  void SetVersion(const std::string& AValue);
  const std::string& GetSubmitParam() const { return FSubmitParam; }
  int GetDisableAjaxResponseCount() const { return FDisableAjaxResponseCount; }
  void DisableAjaxResponse() { ++FDisableAjaxResponseCount; }
  void EnableAjaxResponse() { --FDisableAjaxResponseCount; }

  // ---- the event entries
  // "ajaxevent" names the event ("Ajax event not present in URL!" / "Ajax
  // event not specified in URL!").
  void DoAjaxRequest(TStringList* AParams);
  // Keeps the value; a "submitevent" in it names the event.
  void Submit(const std::string& AValue);

  // ---- response scripts (the script-container contract)
  // True outside destruction, loading and design state, with no response
  // disabled, during a callback, for no member or a member written as JSON.
  bool GetGenerateAjaxResponse(TZQJSonMember* AMember, bool ALoading);
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck, bool ARaise);
  void AddJavaScriptToAjaxResponse(const std::string& AScript,
                                   const TIWZQAjaxReponseScriptEvent& AEvent, bool ACheck,
                                   bool ARaise);
  void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember);
  void AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck, bool ARaise);
  void AddJavaScriptToSubmitResponse(const std::string& AScript,
                                     const TIWZQAjaxReponseScriptEvent& AEvent, bool ACheck,
                                     bool ARaise);
  void AddJavaScriptToResponse(const std::string& AScript, bool ACheck, bool ARaise);
  void AddJavaScriptEventToResponse(const std::string& AScript,
                                    const TIWZQAjaxReponseScriptEvent& AEvent, bool ACheck,
                                    bool ARaise);

  // ---- host hooks
  void ProcessSubmit(TIWCompContext* AContext);
  void ProcessAjax();
  bool AjaxPending();
  void ClearAjax();

  // ---- callbacks
  // Registers in the session (the thread's when none is given; nothing
  // without one) and records it. Re-registering replaces the handler.
  void RegisterCallBack(TIWApplication* ASession, const std::string& AName,
                        TIWCallbackHandler AHandler);
  // The main callback, handled by the control's DoAjaxRequest.
  void RegisterMainCallBack(TIWApplication* ASession, const std::string& AName);
  // Every recorded callback gets a do-nothing handler in its own session.
  void UnregisterCallBacks();
  // The control's Notification: a freed session is forgotten.
  void Notification(TComponent* AComponent, TOperation AOperation);
  int CallBackCount() const { return static_cast<int>(FCallBacks.size()); }

  // Unregisters the callbacks and frees the dispatcher and the lists.
  void Release();

  // ---- IIWZQDispatchComponent
  bool GetMobile() override { return FOwner->GetMobile(); }
  IIWZQDispatchList* GetAjaxResponseScriptListIntf(bool ACreate) override;
  IIWZQDispatchList* GetSubmitResponseScriptListIntf(bool ACreate) override;
  void DispatchAjaxJavaScript(const std::string& AScript) override;
  void DispatchSubmitJavaScript(TIWCompContext* AContext, const std::string& AScript) override;

 private:
  struct TRegistered {
    TIWApplication* Session;
    std::string QualifiedName;
  };
  TComponent* FControl;
  IIWZQCoreControl* FOwner;
  Owned<TIWZQDispatcher> FDispatcher;
  Owned<TIWZQResponseList> FAjaxResponseScriptList;
  Owned<TIWZQResponseList> FSubmitResponseScriptList;
  std::uint8_t FFlags = 0;
  std::string FVersion = "1.0";
  std::string FSubmitParam;
  int FDisableAjaxResponseCount = 0;
  std::vector<TRegistered> FCallBacks;
};

}  // namespace zq
