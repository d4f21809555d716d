#include "framework/component.h"

#include "events/func.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/paramlist.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "framework/region.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/zqhelpers.h"
#include "options/jsonmember.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQComponent) {
  c.Prop("Version", &TIWZQJQComponent::GetVersion, &TIWZQJQComponent::SetVersion);
}

TIWZQJQComponent::TIWZQJQComponent(TComponent* AOwner)
    : TIWBaseHTML40Component(AOwner), FAuxOwner(AOwner) {
  // FDisableAjaxResponseCount starts at 1: nothing done while the component
  // is being built becomes response script (AfterConstruction drops it).
  FDispatcherObj.reset(Create<TIWZQDispatcher>(static_cast<TObject*>(this)));
  FDispatcher = FDispatcherObj.get();
  FDispatcher->SetWwwRoot(ZQCheckWwwRoot());
}

TIWZQJQComponent::~TIWZQJQComponent() = default;

void TIWZQJQComponent::AfterConstruction() {
  TIWBaseHTML40Component::AfterConstruction();
  EnableAjaxResponse();
}

void TIWZQJQComponent::BeforeDestruction() {
  if (FDispatcher) {
    DoAjaxBrowserDestroy();
    if (!Designing()) {
      if (TIWApplication* app = gGetWebApplicationThreadVar())
        ZQUnregisterCallBack(app, GetCallbackName());
    }
  }
  // The host's part takes the component out of its container (Dispose).
  try {
    TIWBaseHTML40Component::BeforeDestruction();
  } catch (const Exception&) {
  }
  FDispatcher = nullptr;
  FDispatcherObj.reset();
  FAjaxResponseScriptList.reset();
  FSubmitResponseScriptList.reset();
}

void TIWZQJQComponent::SetVersion(const std::string& AValue) {
  if (Designing()) return;
  FVersion = AValue;
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::GetHtmlTag(TIWCompContext*) {
  return nullptr;
}

// ---------------------------------------------------------------- removal scripts

std::string TIWZQJQComponent::GetHtmlRemoveJs() {
  return Format("%s(\"#%s\").remove();", ZQJQuery, GetHTMLName());
}

std::string TIWZQJQComponent::GetReleaseIWCLJs() {
  return Format("ZQRelease_IWCL(\"%s\");", GetIWCLName()) + (ZQJavascriptDebug() ? "\r\n" : "");
}

std::string TIWZQJQComponent::GetHtmlReplaceWithTempIDJS() {
  std::string tempId = "'";
  tempId += GetHTMLName();
  tempId += "_temp_id'";
  return Format("var htmlElem = %s(\"#%s\");", ZQJQuery, GetHTMLName()) +
         Format("if (htmlElem.length > 0) { htmlElem.replaceWith($(\"<div id=%s></div>\")); }",
                tempId);
}

void TIWZQJQComponent::DoAjaxBrowserDestroy() {
  TIWApplication* app = gGetWebApplicationThreadVar();
  if (!app || !app->IsCallBack() || !app->CallBackProcessing()) return;
  ZQAddJavaScriptToAjaxResponse(
      GetHiddenInputsRemoveJs() + GetReleaseIWCLJs() + GetPluginDestroyJs() + GetHtmlRemoveJs(),
      false);
}

// ---------------------------------------------------------------- links and render

void TIWZQJQComponent::GetScriptLinks(TStringList& AList) {
  if (GetMobile()) {
    SetZQIsMobile(true);
    AList.Add(JQNewFileName());
    AList.Add(JQBrowserJS());
    if (Designing()) AList.Add(JQMobileJSFile());
    return;
  }
  if (Designing()) AList.Add(JqFileName());
  AList.Add(JqUIFileName());
  AList.Add(IWZQJQTouchSupport());
  AList.Add(IWZQJQLazyLoaderHelper());
  AList.Add(IWZQJQLazyLoader());
  if (!Designing()) {
    if (TIWApplication* app = GetIWApplication())
      if (BrowserIsLTEIE8(app->Browser())) AList.Add(IE8CanvasJS());
  }
}

void TIWZQJQComponent::RenderScriptLinks(TIWCompContext& AContext) {
  TStringList list;
  GetScriptLinks(list);
  ZQRenderScriptLinks(AContext, list, Designing());
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::RenderHTML(TIWCompContext& AContext) {
  SetFlag(kNeedsJSONJs | kNeedsCookieJs, false);
  RenderScriptLinks(AContext);
  const bool design = Designing();
  if (!GetMobile()) {
    ZQAddLinkFile(AContext, ZQCssUrlBase, JQZQCssFile(), design);
    if (ZQJSErrorHandler) ZQAddLinkFile(AContext, ZQCssUrlBase, JQZQDebugConsoleCssFile(), design);
  }
  const std::string extra = GetRenderExtraScript();
  const std::string script = GetRenderScript() + extra;
  if (!script.empty()) ZQAddJS(AContext, script);
  if (GetNeedsJSONJs()) ZQAddJSLink(AContext, ZQJsUrlBase, JSonFileName(), design);
  if (GetNeedsCookieJs()) ZQAddJSLink(AContext, ZQJsUrlBase, JqCookiesFileName(), design);

  std::unique_ptr<TIWHTMLTag> result = TIWBaseHTML40Component::RenderHTML(AContext);
  if (auto own = GetHtmlTag(&AContext)) {
    if (result)
      result->AddTag(std::move(own));
    else
      result = std::move(own);
  }
  if (!design) {
    if (TIWApplication* app =
            AContext.WebApplication() ? AContext.WebApplication() : GetIWApplication())
      ZQRegisterCallBack(app, GetCallbackName(),
                         [this](TStringList& AParams) { DoAjaxRequest(&AParams); });
  }
  return result;
}

void TIWZQJQComponent::RenderScripts(TIWCompContext& AContext) {
  TIWBaseHTML40Component::RenderScripts(AContext);
  if (!GetGenerateIWCLScript()) return;
  const std::string name = GetHTMLName();
  AContext.AddToJavaScriptOnce("var " + name + "IWCL = null;");
  std::string parent = "IWCLForm";
  if (auto* frame = dynamic_cast<TIWFrame*>(Owner())) {
    TIWBaseControl* p = frame->Parent();
    if (p && dynamic_cast<IIWBaseContainer*>(p) && dynamic_cast<IIWBaseHTMLComponent*>(p))
      parent = p->HTMLName() + "IWCL";
  }
  AContext.AddToIWCLInitProc(name + "IWCL = NewIWCL(" + parent + "," + "\"" + name + "\"" +
                             ",false);");
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::RenderMarkupLanguageTag(TIWCompContext& AContext) {
  auto tag = TIWBaseHTML40Component::RenderMarkupLanguageTag(AContext);
  if (FDispatcher) FDispatcher->ProcessSubmit(&AContext);
  return tag;
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::RenderAsyncComponent(TIWCompContext& AContext) {
  auto tag = TIWBaseHTML40Component::RenderAsyncComponent(AContext);
  if (FDispatcher) FDispatcher->ProcessAjax();
  return tag;
}

bool TIWZQJQComponent::GetDoRefreshControl() const {
  return TIWBaseHTML40Component::GetDoRefreshControl() ||
         (FDispatcher && FDispatcher->GetAjaxProcessed());
}

void TIWZQJQComponent::SetDoRefreshControl(bool AValue) {
  TIWBaseHTML40Component::SetDoRefreshControl(AValue);
  if (!AValue && FDispatcher) FDispatcher->ClearAjax();
}

// ---------------------------------------------------------------- placement

IIWBaseContainer* TIWZQJQComponent::GetPlacementContainer() const {
  TComponent* owner = Owner();
  if (auto* frame = dynamic_cast<TIWFrame*>(owner)) owner = frame->FindComponent("IWFrameRegion");
  return dynamic_cast<IIWBaseContainer*>(owner);
}

void TIWZQJQComponent::InitControl() {
  // The host would place the component in its owner; a frame owner places it
  // in the frame's region instead, so the placement is done here.
  if (IIWBaseContainer* c = GetPlacementContainer()) {
    c->IWAddComponent(this);
    FPlacedIn = c;
  }
}

void TIWZQJQComponent::Dispose(bool ADispose) {
  TIWBaseHTML40Component::Dispose(ADispose);
  if (IIWBaseContainer* c = FPlacedIn) {
    FPlacedIn = nullptr;
    try {
      c->IWRemoveComponent(this);
    } catch (const Exception&) {
    }
  }
}

// ---------------------------------------------------------------- events

void TIWZQJQComponent::DoAjaxRequest(TStringList* AParams) {
  CallEvent(ZQAjaxEventName(AParams), AParams, true);
}

void TIWZQJQComponent::Submit(const std::string& AValue) {
  FSubmitParam = AValue;
  TZQParamList list;
  const std::string event = ZQSubmitEventName(AValue, list);
  if (!event.empty()) CallEvent(event, &list, false);
}

void TIWZQJQComponent::CallEvent(const std::string& AEventName, TStringList* AParams,
                                 bool AIsAjax) {
  ZQCallEvent(this, AEventName, AParams, AIsAjax);
}

void TIWZQJQComponent::ResetJSonProps() {
  for (const PropInfo* p : ClassType().Properties()) {
    if (p->Kind != PropKind::Object) continue;
    if (auto* json = dynamic_cast<IIWZQJSon*>(GetObjectProp(this, *p))) json->ResetProps();
  }
}

// ---------------------------------------------------------------- re-render

void TIWZQJQComponent::AjaxReRender(bool, bool, const std::string& AAfterLazyLoadJS,
                                    TRenderRegionAsyncMethod AZQRenderAsyncMethod) {
  TComponent* owner = Owner();
  IIWBaseContainer* container = nullptr;
  TIWBaseControl* parentControl = nullptr;
  if (auto* c = dynamic_cast<IIWBaseContainer*>(owner); c && !dynamic_cast<TIWFrame*>(owner)) {
    container = c;
    parentControl = dynamic_cast<TIWBaseControl*>(owner);
  } else if (auto* frame = dynamic_cast<TIWFrame*>(owner)) {
    if (frame->ControlCount() > 0)
      if (auto* first = dynamic_cast<IIWBaseContainer*>(frame->Controls(0))) {
        container = first;
        parentControl = frame->Controls(0);
      }
  }
  if (!container || !parentControl) return;

  container->IWRemoveComponent(this);
  // The region is owned by the owner, placed in it, borderless and empty.
  TIWZQCompRegion* region = nullptr;
  try {
    region = Create<TIWZQCompRegion>(owner);
    region->SetName(ZQFindUniqueComponentName(owner, "TempRegion"));
    region->FComponent = this;
    region->SetParent(parentControl);
    region->BorderOptions().Style = TIWBorderStyle::bsNone;
    region->BorderOptions().BorderWidth = 0;
    region->Width = 0;
    region->Height = 0;
    region->IWAddComponent(this);
    try {
      region->AjaxReRender(true, AZQRenderAsyncMethod, AAfterLazyLoadJS, "");
    } catch (...) {
      region->IWRemoveComponent(this);
      throw;
    }
    region->IWRemoveComponent(this);
  } catch (...) {
    if (region) Free(region);
    container->IWAddComponent(this);
    throw;
  }
  Free(region);
  container->IWAddComponent(this);
}

// ---------------------------------------------------------------- script container

TIWApplication* TIWZQJQComponent::GetIWApplication() {
  return gGetWebApplicationThreadVar();
}

std::string TIWZQJQComponent::GetIDJQuery() {
  return ZQGetJQuery(GetJQHTMLName());
}

bool TIWZQJQComponent::GetGenerateAjaxResponse(TZQJSonMember* AMember) {
  if (HasState(csDestroying) || FDisableAjaxResponseCount != 0) return false;
  if (AMember && !AMember->GenerateJSon()) return false;
  if (GetIsLoading() || Designing()) return false;
  return ZQIsCallBackProcessing();
}

void TIWZQJQComponent::AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck,
                                                   bool ARaise) {
  if (ZQTrim(AScript).empty()) return;
  ZQCheckAjaxResponse(ACheck, ARaise);
  FDispatcher->AddAjaxResponseScript(AScript);
}

void TIWZQJQComponent::AddJavaScriptToAjaxResponse(const std::string& AScript,
                                                   const TIWZQAjaxReponseScriptEvent& AEvent,
                                                   bool ACheck, bool ARaise) {
  ZQCheckAjaxResponse(ACheck, ARaise);
  FDispatcher->AddAjaxResponseEvent(AScript, AEvent);
}

void TIWZQJQComponent::AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) {
  FDispatcher->AddAjaxResponseMember(AHandler, AMember);
}

void TIWZQJQComponent::AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck,
                                                     bool ARaise) {
  ZQCheckSubmitResponse(ACheck && ARaise, ARaise);
  FDispatcher->AddSubmitResponseScript(AScript);
}

void TIWZQJQComponent::AddJavaScriptToSubmitResponse(const std::string& AScript,
                                                     const TIWZQAjaxReponseScriptEvent& AEvent,
                                                     bool ACheck, bool ARaise) {
  ZQCheckSubmitResponse(ACheck && ARaise, ARaise);
  FDispatcher->AddSubmitResponseEvent(AScript, AEvent);
}

void TIWZQJQComponent::AddJavaScriptToResponse(const std::string& AScript, bool ACheck,
                                               bool ARaise) {
  if (ZQTrim(AScript).empty()) return;
  if (ZQIsCallBackProcessing())
    AddJavaScriptToAjaxResponse(AScript, false, ARaise);
  else
    AddJavaScriptToSubmitResponse(AScript, ACheck, ARaise);
}

void TIWZQJQComponent::AddJavaScriptEventToResponse(const std::string& AScript,
                                                    const TIWZQAjaxReponseScriptEvent& AEvent,
                                                    bool ACheck, bool ARaise) {
  if (ZQIsCallBackProcessing())
    AddJavaScriptToAjaxResponse(AScript, AEvent, false, ARaise);
  else
    AddJavaScriptToSubmitResponse(AScript, AEvent, ACheck, ARaise);
}

// ---------------------------------------------------------------- dispatch component

IIWZQDispatchList* TIWZQJQComponent::GetAjaxResponseScriptListIntf(bool ACreate) {
  if (!FAjaxResponseScriptList && ACreate)
    FAjaxResponseScriptList.reset(Create<TIWZQResponseList>(this));
  return FAjaxResponseScriptList.get();
}

IIWZQDispatchList* TIWZQJQComponent::GetSubmitResponseScriptListIntf(bool ACreate) {
  if (!FSubmitResponseScriptList && ACreate)
    FSubmitResponseScriptList.reset(Create<TIWZQResponseList>(this));
  return FSubmitResponseScriptList.get();
}

void TIWZQJQComponent::DispatchAjaxJavaScript(const std::string& AScript) {
  ZQAddJavaScriptToAjaxResponse(AScript, false, true);
}

void TIWZQJQComponent::DispatchSubmitJavaScript(TIWCompContext* AContext,
                                                const std::string& AScript) {
  if (AContext) ZQAddJavaScriptToSubmit(*AContext, AScript);
}

}  // namespace zq
