#include "framework/region.h"

#include <algorithm>
#include <cctype>

#include "events/func.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/paramlist.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQCustomRegion) {
  c.Prop("LoadHidden", &TIWZQCustomRegion::GetLoadHidden, &TIWZQCustomRegion::SetLoadHidden);
  c.Prop("Version", &TIWZQCustomRegion::GetVersion, &TIWZQCustomRegion::SetVersion);
  c.Prop("ContextMenu", &TIWZQCustomRegion::GetContextMenu, &TIWZQCustomRegion::SetContextMenu);
  c.Prop("Intro", &TIWZQCustomRegion::GetIntro, &TIWZQCustomRegion::SetIntro);
}

ZQ_IMPLEMENT_CLASS(TIWZQCompRegion) {}

namespace {

TZQRegionAsyncRenderer& AsyncRenderer() {
  static TZQRegionAsyncRenderer renderer;
  return renderer;
}

std::string Upper(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return s;
}

}  // namespace

void ZQSetRegionAsyncRenderer(TZQRegionAsyncRenderer ARenderer) {
  AsyncRenderer() = std::move(ARenderer);
}
const TZQRegionAsyncRenderer& ZQGetRegionAsyncRenderer() {
  return AsyncRenderer();
}

TIWZQCustomRegion::TIWZQCustomRegion(TComponent* AOwner) : TIWCustomRegion(AOwner) {
  FDispatcherObj.reset(Create<TIWZQDispatcher>(static_cast<TObject*>(this)));
  FDispatcher = FDispatcherObj.get();
  FDispatcher->SetWwwRoot(ZQCheckWwwRoot());
  RenderInvisibleControls = false;
}

TIWZQCustomRegion::~TIWZQCustomRegion() = default;

void TIWZQCustomRegion::BeforeDestruction() {
  TIWCustomRegion::BeforeDestruction();
  FDispatcher = nullptr;
  FDispatcherObj.reset();
  FAjaxResponseScriptList.reset();
  FSubmitResponseScriptList.reset();
}

TIWFont* TIWZQCustomRegion::CreateFont() {
  return Create<TIWZQFont>();
}

void TIWZQCustomRegion::SetVersion(const std::string& AValue) {
  if (Designing()) return;
  FVersion = AValue;
}

// ---------------------------------------------------------------- names

std::string TIWZQCustomRegion::GetHTMLName() {
  if (Designing()) return Upper(GetName());
  if (Parent() || FHTMLName.empty()) {
    std::string name = HTMLName();
    if (Parent() && name != FHTMLName) FHTMLName = name;
    return name;
  }
  return FHTMLName;
}

void TIWZQCustomRegion::SetParent(TIWBaseControl* AParent) {
  // Remember the name under which the region was placed, so that it stays
  // known after the region is detached.
  if (Parent() && !Designing()) FHTMLName = HTMLName();
  TIWCustomRegion::SetParent(AParent);
  if (AParent && !Designing()) FHTMLName = HTMLName();
}

std::string TIWZQCustomRegion::GetCallbackName() {
  return (FHTMLName.empty() ? GetHTMLName() : FHTMLName) + ".DoAjaxRequest";
}

std::string TIWZQCustomRegion::ContainerPrefix() const {
  if (auto* frame = dynamic_cast<TIWFrame*>(Owner())) return Upper(frame->GetName());
  if (TIWBaseControl* p = Parent()) {
    if (auto* r = dynamic_cast<TIWZQCustomRegion*>(p)) return r->ContainerPrefix();
    if (dynamic_cast<IIWBaseContainer*>(p)) return Upper(p->GetName());
  }
  return Upper(GetName());
}

TIWAppForm* TIWZQCustomRegion::GetRootForm() const {
  for (const TIWBaseControl* c = this; c; c = c->Parent())
    if (auto* f = dynamic_cast<const TIWAppForm*>(c)) return const_cast<TIWAppForm*>(f);
  return nullptr;
}

TIWApplication* TIWZQCustomRegion::GetWebApplication() const {
  TIWAppForm* f = GetRootForm();
  return f ? f->Application() : nullptr;
}

// ---------------------------------------------------------------- render

void TIWZQCustomRegion::AddLinkFile(TIWCompContext& AContext, const std::string& ABase,
                                    const std::string& AFile) {
  ZQAddLinkFile(AContext, ABase, AFile, Designing());
}

std::unique_ptr<TIWHTMLTag> TIWZQCustomRegion::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWCustomRegion::RenderHTML(AContext);
  if (TIWPageContext40* page = AContext.PageContext()) {
    TStringList lines;
    for (const std::string& l : page->ExtraHeader()) lines.Add(l);
    FDispatcher->InitResponse(&lines);
    for (int i = static_cast<int>(page->ExtraHeader().size()); i < lines.Count(); ++i)
      page->AddToExtraHeader(lines[i]);
  }
  if (!Designing()) {
    if (TIWApplication* app =
            AContext.WebApplication() ? AContext.WebApplication() : gGetWebApplicationThreadVar())
      ZQRegisterCallBack(app, GetCallbackName(),
                         [this](TStringList& AParams) { DoAjaxRequest(&AParams); });
    if (tag && GetVisible() && GetLoadHidden())
      ZQAddJavaScriptToSubmit(
          AContext, ZQGetJQuery(GetHTMLName()) + Format(".removeClass(\"%s\");", "zqloading"),
          true);
  }
  return tag;
}

std::string TIWZQCustomRegion::RenderCSSClass(TIWCompContext& AContext) {
  if (ZQIsCallBack()) return {};
  // The host's class: Css, or " IWCLIPCONTROL" for a clipped region without one.
  std::string cls = TIWCustomRegion::RenderCSSClass(AContext);
  if (GetVisible() && GetLoadHidden()) cls += cls.empty() ? "zqloading" : " zqloading";
  return cls;
}

std::unique_ptr<TIWHTMLTag> TIWZQCustomRegion::RenderAsync(TIWCompContext& AContext) {
  BorderOptions().InitForRender(Color, HorzScrollBar, VertScrollBar);
  auto tag = std::make_unique<TIWXMLTag>("control");
  tag->AddStringParam("id", GetHTMLName());
  tag->AddStringParam("type", "IWREGION");
  if (RenderAsyncBorders()) {
    std::string style = BorderOptions().CreateFrameTag(AContext.PageContext())->GetParam("style");
    RenderAsyncZQScrollbars(style);
    while (!style.empty() && style.back() == ';') style.pop_back();
    if (!style.empty()) tag->AddAsyncStyle(style);
  }
  RenderAsyncCommonProperties(*tag, GetAsyncCommonPropertiesToRemove());
  if (RenderAsyncSize() && StyleRenderOptions.RenderSize) {
    tag->AddAsyncStyle(Format("height:%dpx", Height));
    tag->AddAsyncStyle(Format("width:%dpx", Width));
  }
  return tag;
}

std::unique_ptr<TIWHTMLTag> TIWZQCustomRegion::RenderMarkupLanguageTag(TIWCompContext& AContext) {
  auto tag = TIWCustomRegion::RenderMarkupLanguageTag(AContext);
  if (FDispatcher) FDispatcher->ProcessSubmit(&AContext);
  return tag;
}

std::unique_ptr<TIWHTMLTag> TIWZQCustomRegion::RenderAsyncComponent(TIWCompContext& AContext) {
  auto tag = TIWCustomRegion::RenderAsyncComponent(AContext);
  if (FDispatcher) FDispatcher->ProcessAjax();
  return tag;
}

bool TIWZQCustomRegion::GetDoRefreshControl() const {
  return TIWCustomRegion::GetDoRefreshControl() || (FDispatcher && FDispatcher->GetAjaxProcessed());
}

void TIWZQCustomRegion::SetDoRefreshControl(bool AValue) {
  TIWCustomRegion::SetDoRefreshControl(AValue);
  if (!AValue && FDispatcher) FDispatcher->ClearAjax();
}

void TIWZQCustomRegion::DoPostRenderProcessing(TIWHTMLTag* ATag, TIWCompContext& AContext,
                                               TComponent* AChild) {
  // The host renders the scripts of every child, visual or not, before it
  // calls this hook, so a non-visual child needs nothing more here.
  TIWCustomRegion::DoPostRenderProcessing(ATag, AContext, AChild);
}

void TIWZQCustomRegion::IWRemoveComponent(TComponent* AComponent) {
  TIWCustomRegion::IWRemoveComponent(AComponent);
  if (!AComponent || !dynamic_cast<IIWBaseContainer*>(AComponent) ||
      !dynamic_cast<IIWBaseHTMLComponent*>(AComponent))
    return;
  TIWFrame* frame = nullptr;
  TIWAppForm* form = nullptr;
  for (TComponent* o = AComponent->Owner(); o; o = o->Owner()) {
    if (!frame) frame = dynamic_cast<TIWFrame*>(o);
    if (!form) form = dynamic_cast<TIWAppForm*>(o);
  }
  if (frame) frame->IWRemoveComponent(AComponent);
  if (form) form->IWRemoveComponent(AComponent);
}

void TIWZQCustomRegion::Dispose(bool ADispose) {
  if (!Designing()) {
    if (TIWApplication* app = gGetWebApplicationThreadVar())
      ZQUnregisterCallBack(app, GetCallbackName());
  }
  TIWCustomRegion::Dispose(ADispose);
}

// ---------------------------------------------------------------- events

void TIWZQCustomRegion::DoAjaxRequest(TStringList* AParams) {
  CallEvent(ZQAjaxEventName(AParams), AParams, true);
}

void TIWZQCustomRegion::Submit(const std::string& AValue) {
  FSubmitParam = AValue;
  TZQParamList list;
  const std::string event = ZQSubmitEventName(AValue, list);
  if (!event.empty()) CallEvent(event, &list, false);
}

void TIWZQCustomRegion::CallEvent(const std::string& AEventName, TStringList* AParams,
                                  bool AIsAjax) {
  ZQCallEvent(this, AEventName, AParams, AIsAjax);
}

// ---------------------------------------------------------------- re-render

void TIWZQCustomRegion::AjaxReRender(bool ABrowserResize, bool AKeepPosition) {
  const TZQRegionAsyncRenderer& r = ZQGetRegionAsyncRenderer();
  if (!r) throw EIWZQJQuery("Async region rendering is not available!");
  r(this, ABrowserResize, AKeepPosition, GetMobile() ? rramOldMethod : rramDefaultMethod, "", "");
}

void TIWZQCustomRegion::AjaxReRender(bool ABrowserResize,
                                     TRenderRegionAsyncMethod AZQRenderAsyncMethod,
                                     const std::string& AAfterLazyLoadJS,
                                     const std::string& AAppendToHTMLID) {
  const TZQRegionAsyncRenderer& r = ZQGetRegionAsyncRenderer();
  if (!r) throw EIWZQJQuery("Async region rendering is not available!");
  r(this, ABrowserResize, false, AZQRenderAsyncMethod, AAfterLazyLoadJS, AAppendToHTMLID);
}

// ---------------------------------------------------------------- context menu, intro

void TIWZQCustomRegion::SetContextMenu(TComponent* AMenu) {
  if (AMenu == FContextMenu) return;
  if (FContextMenu) {
    if (auto* m = dynamic_cast<IIWZQRegionContextMenu*>(FContextMenu))
      m->RemoveSelectorControl(this);
    FContextMenu->RemoveFreeNotification(this);
  }
  SetInternalContextMenu(AMenu);
  if (FContextMenu) {
    FContextMenu->FreeNotification(this);
    if (auto* m = dynamic_cast<IIWZQRegionContextMenu*>(FContextMenu)) m->AddSelectorControl(this);
  }
}

void TIWZQCustomRegion::ShowContextMenu(int X, int Y) {
  if (auto* m = dynamic_cast<IIWZQRegionContextMenu*>(FContextMenu)) m->ShowOn(this, X, Y);
}

void TIWZQCustomRegion::ShowContextMenuOnCenter(int AdjustLeft, int AdjustTop) {
  if (auto* m = dynamic_cast<IIWZQRegionContextMenu*>(FContextMenu))
    m->ShowOnCenter(this, AdjustLeft, AdjustTop);
}

void TIWZQCustomRegion::HideContextMenu() {
  if (auto* m = dynamic_cast<IIWZQRegionContextMenu*>(FContextMenu)) m->HideMenu();
}

void TIWZQCustomRegion::SetIntro(TComponent* AValue) {
  if (AValue == FIntro) return;
  const bool loading = HasState(csLoading);
  if (FIntro) {
    if (!loading)
      if (auto* i = dynamic_cast<IIWZQRegionIntro*>(FIntro)) i->RemoveIntroControl(this);
    FIntro->RemoveFreeNotification(this);
  }
  FIntro = AValue;
  if (FIntro) {
    FIntro->FreeNotification(this);
    if (!loading)
      if (auto* i = dynamic_cast<IIWZQRegionIntro*>(FIntro))
        i->AddIntroControl(this, kZQDefaultIntroText);
  }
}

void TIWZQCustomRegion::Loaded() {
  TIWCustomRegion::Loaded();
  if (auto* i = dynamic_cast<IIWZQRegionIntro*>(FIntro))
    i->AddIntroControl(this, kZQDefaultIntroText);
}

void TIWZQCustomRegion::Notification(TComponent* AComponent, TOperation Operation) {
  TIWCustomRegion::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FContextMenu) FContextMenu = nullptr;
  if (AComponent == FIntro) FIntro = nullptr;
}

// ---------------------------------------------------------------- dispatch component

IIWZQDispatchList* TIWZQCustomRegion::GetAjaxResponseScriptListIntf(bool ACreate) {
  if (!FAjaxResponseScriptList && ACreate)
    FAjaxResponseScriptList.reset(Create<TIWZQResponseList>(this));
  return FAjaxResponseScriptList.get();
}

IIWZQDispatchList* TIWZQCustomRegion::GetSubmitResponseScriptListIntf(bool ACreate) {
  if (!FSubmitResponseScriptList && ACreate)
    FSubmitResponseScriptList.reset(Create<TIWZQResponseList>(this));
  return FSubmitResponseScriptList.get();
}

void TIWZQCustomRegion::DispatchAjaxJavaScript(const std::string& AScript) {
  ZQAddJavaScriptToAjaxResponse(AScript, false, true);
}

void TIWZQCustomRegion::DispatchSubmitJavaScript(TIWCompContext* AContext,
                                                 const std::string& AScript) {
  if (AContext) ZQAddJavaScriptToSubmit(*AContext, AScript);
}

}  // namespace zq
