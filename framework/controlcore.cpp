#include "framework/controlcore.h"

#include <algorithm>

#include "events/func.h"
#include "foundation/jqcommon.h"
#include "foundation/paramlist.h"
#include "foundation/stringlist.h"
#include "host/context.h"
#include "host/zqhelpers.h"
#include "options/jsonmember.h"

namespace zq {

TZQControlCore::TZQControlCore(TComponent* AControl, IIWZQCoreControl* AOwner)
    : FControl(AControl), FOwner(AOwner) {
  FDispatcher.reset(Create<TIWZQDispatcher>(static_cast<TObject*>(this)));
  FDispatcher->SetWwwRoot(ZQCheckWwwRoot());
}

TZQControlCore::~TZQControlCore() {
  Release();
}

void TZQControlCore::Release() {
  UnregisterCallBacks();
  FDispatcher.reset();
  FAjaxResponseScriptList.reset();
  FSubmitResponseScriptList.reset();
}

void TZQControlCore::SetVersion(const std::string& AValue) {
  if (FControl->HasState(csDesigning)) return;
  FVersion = AValue;
}

// ---------------------------------------------------------------- event entries

void TZQControlCore::DoAjaxRequest(TStringList* AParams) {
  FOwner->CallEvent(ZQAjaxEventName(AParams), AParams, true);
}

void TZQControlCore::Submit(const std::string& AValue) {
  FSubmitParam = AValue;
  TZQParamList list;
  const std::string event = ZQSubmitEventName(AValue, list);
  if (!event.empty()) FOwner->CallEvent(event, &list, false);
}

// ---------------------------------------------------------------- response scripts

bool TZQControlCore::GetGenerateAjaxResponse(TZQJSonMember* AMember, bool ALoading) {
  if (FControl->HasState(csDestroying) || FDisableAjaxResponseCount != 0) return false;
  if (AMember && !AMember->GenerateJSon()) return false;
  if (ALoading || FControl->HasState(csDesigning)) return false;
  return ZQIsCallBackProcessing();
}

void TZQControlCore::AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck,
                                                 bool ARaise) {
  if (ZQTrim(AScript).empty()) return;
  ZQCheckAjaxResponse(ACheck, ARaise);
  FDispatcher->AddAjaxResponseScript(AScript);
}

void TZQControlCore::AddJavaScriptToAjaxResponse(const std::string& AScript,
                                                 const TIWZQAjaxReponseScriptEvent& AEvent,
                                                 bool ACheck, bool ARaise) {
  ZQCheckAjaxResponse(ACheck, ARaise);
  FDispatcher->AddAjaxResponseEvent(AScript, AEvent);
}

void TZQControlCore::AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) {
  FDispatcher->AddAjaxResponseMember(AHandler, AMember);
}

void TZQControlCore::AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck,
                                                   bool ARaise) {
  ZQCheckSubmitResponse(ACheck && ARaise, ARaise);
  FDispatcher->AddSubmitResponseScript(AScript);
}

void TZQControlCore::AddJavaScriptToSubmitResponse(const std::string& AScript,
                                                   const TIWZQAjaxReponseScriptEvent& AEvent,
                                                   bool ACheck, bool ARaise) {
  ZQCheckSubmitResponse(ACheck && ARaise, ARaise);
  FDispatcher->AddSubmitResponseEvent(AScript, AEvent);
}

void TZQControlCore::AddJavaScriptToResponse(const std::string& AScript, bool ACheck, bool ARaise) {
  if (ZQTrim(AScript).empty()) return;
  if (ZQIsCallBackProcessing())
    AddJavaScriptToAjaxResponse(AScript, false, ARaise);
  else
    AddJavaScriptToSubmitResponse(AScript, ACheck, ARaise);
}

void TZQControlCore::AddJavaScriptEventToResponse(const std::string& AScript,
                                                  const TIWZQAjaxReponseScriptEvent& AEvent,
                                                  bool ACheck, bool ARaise) {
  if (ZQIsCallBackProcessing())
    AddJavaScriptToAjaxResponse(AScript, AEvent, false, ARaise);
  else
    AddJavaScriptToSubmitResponse(AScript, AEvent, ACheck, ARaise);
}

// ---------------------------------------------------------------- host hooks

void TZQControlCore::ProcessSubmit(TIWCompContext* AContext) {
  if (FDispatcher) FDispatcher->ProcessSubmit(AContext);
}

void TZQControlCore::ProcessAjax() {
  if (FDispatcher) FDispatcher->ProcessAjax();
}

bool TZQControlCore::AjaxPending() {
  return FDispatcher && FDispatcher->GetAjaxProcessed();
}

void TZQControlCore::ClearAjax() {
  if (FDispatcher) FDispatcher->ClearAjax();
}

// ---------------------------------------------------------------- callbacks

void TZQControlCore::RegisterCallBack(TIWApplication* ASession, const std::string& AName,
                                      TIWCallbackHandler AHandler) {
  if (!ASession) ASession = gGetWebApplicationThreadVar();
  if (!ASession) return;
  TIWCallback* entry = ASession->CallBacks().Register(AName, std::move(AHandler));
  const std::string& qualified = entry->Name();
  bool known = false;
  bool sessionKnown = false;
  for (const TRegistered& r : FCallBacks) {
    if (r.Session != ASession) continue;
    sessionKnown = true;
    if (r.QualifiedName == qualified) known = true;
  }
  if (!sessionKnown) ASession->FreeNotification(FControl);
  if (!known) FCallBacks.push_back({ASession, qualified});
}

void TZQControlCore::RegisterMainCallBack(TIWApplication* ASession, const std::string& AName) {
  IIWZQCoreControl* owner = FOwner;
  RegisterCallBack(ASession, AName,
                   [owner](TStringList& AParams) { owner->DoAjaxRequest(&AParams); });
}

void TZQControlCore::UnregisterCallBacks() {
  std::vector<TRegistered> callbacks = std::move(FCallBacks);
  FCallBacks.clear();
  for (const TRegistered& r : callbacks)
    if (TIWCallback* entry = r.Session->CallBacks().Find(r.QualifiedName))
      entry->SetHandler([](TStringList&) {});
  for (const TRegistered& r : callbacks) r.Session->RemoveFreeNotification(FControl);
}

void TZQControlCore::Notification(TComponent* AComponent, TOperation AOperation) {
  if (AOperation != opRemove || !AComponent) return;
  FCallBacks.erase(
      std::remove_if(FCallBacks.begin(), FCallBacks.end(),
                     [AComponent](const TRegistered& r) { return r.Session == AComponent; }),
      FCallBacks.end());
}

// ---------------------------------------------------------------- dispatch component

IIWZQDispatchList* TZQControlCore::GetAjaxResponseScriptListIntf(bool ACreate) {
  if (!FAjaxResponseScriptList && ACreate)
    FAjaxResponseScriptList.reset(Create<TIWZQResponseList>(FControl));
  return FAjaxResponseScriptList.get();
}

IIWZQDispatchList* TZQControlCore::GetSubmitResponseScriptListIntf(bool ACreate) {
  if (!FSubmitResponseScriptList && ACreate)
    FSubmitResponseScriptList.reset(Create<TIWZQResponseList>(FControl));
  return FSubmitResponseScriptList.get();
}

void TZQControlCore::DispatchAjaxJavaScript(const std::string& AScript) {
  ZQAddJavaScriptToAjaxResponse(AScript, false, true);
}

void TZQControlCore::DispatchSubmitJavaScript(TIWCompContext* AContext,
                                              const std::string& AScript) {
  if (AContext) ZQAddJavaScriptToSubmit(*AContext, AScript);
}

}  // namespace zq
