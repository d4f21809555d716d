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
    : TIWBaseHTML40Component(AOwner), FCore(this, this), FAuxOwner(AOwner) {
  // Nothing done while the component is being built becomes response script
  // (AfterConstruction enables it again).
  FCore.DisableAjaxResponse();
}

TIWZQJQComponent::~TIWZQJQComponent() = default;

void TIWZQJQComponent::AfterConstruction() {
  TIWBaseHTML40Component::AfterConstruction();
  EnableAjaxResponse();
}

void TIWZQJQComponent::BeforeDestruction() {
  if (FCore.Dispatcher()) {
    DoAjaxBrowserDestroy();
    // Every callback of the component, in the session it was registered in.
    FCore.UnregisterCallBacks();
  }
  // The host's part takes the component out of its container (Dispose).
  try {
    TIWBaseHTML40Component::BeforeDestruction();
  } catch (const Exception&) {
  }
  FCore.Release();
}

void TIWZQJQComponent::Notification(TComponent* AComponent, TOperation Operation) {
  TIWBaseHTML40Component::Notification(AComponent, Operation);
  FCore.Notification(AComponent, Operation);
}

std::string TIWZQJQComponent::GetFixedScript(TObject*, bool& AAtStart) {
  AAtStart = false;
  return {};
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::GetHtmlTag(TIWCompContext*) { return nullptr; }

// ---------------------------------------------------------------- removal scripts

std::string TIWZQJQComponent::GetHtmlRemoveJs() { return Format("%s(\"#%s\").remove();", ZQJQuery, GetHTMLName()); }

std::string TIWZQJQComponent::GetReleaseIWCLJs() {
  return Format("ZQRelease_IWCL(\"%s\");", GetIWCLName()) + (ZQJavascriptDebug() ? "\r\n" : "");
}

std::string TIWZQJQComponent::GetHtmlReplaceWithTempIDJS() {
  std::string tempId = "'";
  tempId += GetHTMLName();
  tempId += "_temp_id'";
  return Format("var htmlElem = %s(\"#%s\");", ZQJQuery, GetHTMLName()) +
         Format("if (htmlElem.length > 0) { htmlElem.replaceWith($(\"<div id=%s></div>\")); }", tempId);
}

void TIWZQJQComponent::DoAjaxBrowserDestroy() {
  TIWApplication* app = gGetWebApplicationThreadVar();
  if (!app || !app->IsCallBack() || !app->CallBackProcessing()) return;
  ZQAddJavaScriptToAjaxResponse(GetHiddenInputsRemoveJs() + GetReleaseIWCLJs() + GetPluginDestroyJs() + GetHtmlRemoveJs(),
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
  FCore.SetFlag(kNeedsJSONJs | kNeedsCookieJs, false);
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
    if (result) result->AddTag(std::move(own));
    else result = std::move(own);
  }
  if (!design) FCore.RegisterMainCallBack(AContext.WebApplication(), GetCallbackName());
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
  AContext.AddToIWCLInitProc(name + "IWCL = NewIWCL(" + parent + "," + "\"" + name + "\"" + ",false);");
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::RenderMarkupLanguageTag(TIWCompContext& AContext) {
  auto tag = TIWBaseHTML40Component::RenderMarkupLanguageTag(AContext);
  FCore.ProcessSubmit(&AContext);
  return tag;
}

std::unique_ptr<TIWHTMLTag> TIWZQJQComponent::RenderAsyncComponent(TIWCompContext& AContext) {
  auto tag = TIWBaseHTML40Component::RenderAsyncComponent(AContext);
  FCore.ProcessAjax();
  return tag;
}

bool TIWZQJQComponent::GetDoRefreshControl() const {
  return TIWBaseHTML40Component::GetDoRefreshControl() || const_cast<TZQControlCore&>(FCore).AjaxPending();
}

void TIWZQJQComponent::SetDoRefreshControl(bool AValue) {
  TIWBaseHTML40Component::SetDoRefreshControl(AValue);
  if (!AValue) FCore.ClearAjax();
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

void TIWZQJQComponent::CallEvent(const std::string& AEventName, TStringList* AParams, bool AIsAjax) {
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

TIWApplication* TIWZQJQComponent::GetIWApplication() { return gGetWebApplicationThreadVar(); }

std::string TIWZQJQComponent::GetIDJQuery() { return ZQGetJQuery(GetJQHTMLName()); }

}  // namespace zq
