#include "framework/scriptcontainer.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "events/func.h"
#include "foundation/asciicase.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/zqhelpers.h"
#include "options/jsonobj.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJSContainer) {
  c.Prop("Css", &TIWZQJSContainer::GetCss, &TIWZQJSContainer::SetCss)
      .Stored(&TIWZQJSContainer::IsCssStored);
  c.Prop("TabIndex", &TIWZQJSContainer::GetTabIndex, &TIWZQJSContainer::SetTabIndex);
  c.Prop("Style", &TIWZQJSContainer::GetStyle, &TIWZQJSContainer::SetStyle)
      .Stored(&TIWZQJSContainer::IsStyleStored);
}

namespace {
void RemoveFromTabOrder(const TIWZQJSContainer* AControl);
}  // namespace

TIWZQJSContainer::TIWZQJSContainer(TComponent* AOwner) : TIWZQCustomRegion(AOwner) {
  // FDisableAjaxResponseCount starts at 1: nothing set while the control is
  // built becomes response script (AfterConstruction drops it).
  HorzScrollBar = false;
  VertScrollBar = false;
  BorderOptions().BorderWidth = 0;
  BorderOptions().Style = TIWBorderStyle::bsNone;
  BorderOptions().Color = clNone;
  StyleRenderOptions.RenderSize = true;
  StyleRenderOptions.RenderPosition = true;
  StyleRenderOptions.RenderFont = true;
  StyleRenderOptions.RenderZIndex = true;
  StyleRenderOptions.RenderVisibility = false;
  StyleRenderOptions.RenderAbsolute = true;
  StyleRenderOptions.RenderBorder = true;
  ZIndex = 0;
}

TIWZQJSContainer::~TIWZQJSContainer() = default;

void TIWZQJSContainer::InitControl() {
  TIWZQCustomRegion::InitControl();
}

void TIWZQJSContainer::AfterConstruction() {
  TIWZQCustomRegion::AfterConstruction();
  EnableAjaxResponse();
}

void TIWZQJSContainer::BeforeDestruction() {
  DoAjaxBrowserDestroy();
  if (!Designing() && Dispatcher()) {
    if (TIWApplication* app = gGetWebApplicationThreadVar())
      ZQUnregisterCallBack(app, GetCallbackName());
  }
  FStyle.reset();
  RemoveFromTabOrder(this);
  TIWZQCustomRegion::BeforeDestruction();
}

// ---------------------------------------------------------------- style

TIWZQStyle* TIWZQJSContainer::GetStyle() {
  if (!FStyle) FStyle.reset(Create<TIWZQStyle>());
  return FStyle.get();
}

void TIWZQJSContainer::SetStyle(TIWZQStyle* AValue) {
  if (AValue)
    GetStyle()->Assign(AValue);
  else
    FStyle.reset();
}

std::string TIWZQJSContainer::RenderStyle(TIWCompContext& AContext) {
  std::string style = TIWZQCustomRegion::RenderStyle(AContext);
  if (FStyle && GetJQHTMLName() == GetHTMLName()) {
    if (!style.empty() && style.back() != ';') style += ';';
    style += FStyle->GetRawStyle();
  }
  ZQRenderScrollStyle(FZQScrollStyle, style);
  return style;
}

void TIWZQJSContainer::RenderAsyncZQScrollbars(std::string& AStyle) {
  TIWZQCustomRegion::RenderAsyncZQScrollbars(AStyle);
  if (FZQScrollStyle != zqsbsIWDefault) ZQRenderScrollStyle(FZQScrollStyle, AStyle);
}

// ---------------------------------------------------------------- class, visibility, focus

void TIWZQJSContainer::SetCss(const std::string& AValue) {
  Css = AValue;
  if (GetGenerateAjaxResponse(nullptr))
    AddJavaScriptToAjaxResponse(
        "Css", TIWZQAjaxReponseScriptEvent(this, &TIWZQJSContainer::ResponseEvent), false, false);
}

std::string TIWZQJSContainer::ResponseEvent(TObject*, const std::string& AName) {
  if (!SameTextAscii(AName, "Css")) return {};
  return Format("%s.attr(\"class\",\"%s\");", GetIDJQuery(), ZQJsEscapeUnquoted(Css));
}

void TIWZQJSContainer::SetVisible(bool AValue) {
  if (FFlags & kVisibilityChanging) return;
  const bool old = GetVisible();
  SetFlag(kVisibilityChanging, true);
  try {
    TIWZQCustomRegion::SetVisible(AValue);
  } catch (...) {
    SetFlag(kVisibilityChanging, false);
    throw;
  }
  SetFlag(kVisibilityChanging, false);
  if (GetIsLoading() || Designing() || old == GetVisible()) return;
  if (ZQIsCallBackProcessing()) AddJavaScriptToAjaxResponse(jsSetVisibility(), false, false);
}

std::string TIWZQJSContainer::jsSetVisibility() {
  return Format("%s.css(\"visibility\",\"%s\");", ZQGetJQuery(GetHTMLName()),
                GetVisible() ? "inherit" : "hidden");
}

std::string TIWZQJSContainer::jsSetFocus() {
  return GetIDJQuery() + ".focus();";
}

void TIWZQJSContainer::SetFocus() {
  const std::string script = Format("SetFocusOnElement(%s);", GetIDJQuery());
  if (ZQIsCallBackProcessing()) {
    AddJavaScriptToAjaxResponse(script, false, false);
    return;
  }
  TIWAppForm* form = GetRootForm();
  if (!form) return;
  if (TIWPageContext40* page = form->PageContext())
    page->SetFocusInitCode(page->GetFocusInitCode() + script);
}

void TIWZQJSContainer::Select() {
  AddJavaScriptToResponse(Format("%s(\"#%s\").select();", ZQJQuery, GetJQHTMLName()), true, true);
}

bool TIWZQJSContainer::JSonIdent() {
  return ::zq::JSonIdent();
}

std::string TIWZQJSContainer::OptionText(TIWZQJSon* AJSon) {
  ISuperObject json = AJSon ? AJSon->GetJSon() : nullptr;
  if (!json) return "{}";
  return ZQOptionJSonText(json, JSonIdent(), JSonEscape(), JSonNameQuote());
}

std::string TIWZQJSContainer::jsShowAndHide(int ADelay, TIWZQJSon* AShowOptions,
                                            TIWZQJSon* AHideOptions) {
  return Format("ZQShowAndHide(\"#%s\",%d,%s,%s)", GetHTMLName(), ADelay, OptionText(AShowOptions),
                OptionText(AHideOptions));
}

void TIWZQJSContainer::ShowAndHide(int ADelay, TIWZQJSon* AShowOptions, TIWZQJSon* AHideOptions) {
  AddJavaScriptToResponse(jsShowAndHide(ADelay, AShowOptions, AHideOptions), true, true);
}

std::string TIWZQJSContainer::JQueryReady(bool AReady) {
  return ZQJQuery + (AReady ? "(document).ready(" : "(");
}

// ---------------------------------------------------------------- hidden inputs

std::vector<std::string> TIWZQJSContainer::GetHiddenInputNames() {
  // Asked afresh on every use: the inputs follow the control's current
  // options (an interaction enabled after the first request adds its input).
  std::vector<std::string> names;
  GetInputControlNames(names);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

std::vector<std::string> TIWZQJSContainer::GetInputControlNames() const {
  return const_cast<TIWZQJSContainer*>(this)->GetHiddenInputNames();
}

bool TIWZQJSContainer::IsForThisControl(std::string_view AName) const {
  const std::vector<std::string> names = GetInputControlNames();
  return std::binary_search(names.begin(), names.end(), std::string(AName));
}

std::string TIWZQJSContainer::GetHiddenInputsRemoveJs() {
  const std::vector<std::string> names = GetHiddenInputNames();
  if (names.empty()) return {};
  std::string form = Format("%s(getSubmitForm())", ZQJQuery);
  std::string result;
  if (names.size() > 1) {
    result = "var frm = " + form + ";";
    form = "frm";
  }
  const char* sep = ZQJavascriptDebug() ? "\r\n" : "";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) result += sep;
    result += Format("%s.find(\"input[name=%s]\").remove();", form, "'" + names[i] + "'");
  }
  return result;
}

// ---------------------------------------------------------------- render

void TIWZQJSContainer::GetScriptLinks(TStringList& AList) {
  if (GetMobile()) {
    SetZQIsMobile(true);
    AList.Add(JQNewFileName());
    AList.Add(JQBrowserJS());
    if (Designing()) AList.Add(JQMobileJSFile());
    return;
  }
  if (Designing()) AList.Add(JqFileName());
}

void TIWZQJSContainer::RenderScriptLinks(TIWCompContext& AContext) {
  TStringList list;
  GetScriptLinks(list);
  ZQRenderScriptLinks(AContext, list, Designing());
}

std::unique_ptr<TIWHTMLTag> TIWZQJSContainer::DoRenderHTML(TIWCompContext& AContext) {
  return TIWZQCustomRegion::RenderHTML(AContext);
}

std::unique_ptr<TIWHTMLTag> TIWZQJSContainer::RenderHTML(TIWCompContext& AContext) {
  SetFlag(kNeedsJSONJs | kNeedsCookieJs, false);
  RenderScriptLinks(AContext);
  const bool design = Designing();
  if (GetMobile()) {
    AddLinkFile(AContext, ZQCssUrlBase, JqMCSSFileName());
    AddLinkFile(AContext, ZQCssUrlBase, JqMStructureCSSFileName());
    AddLinkFile(AContext, ZQCssUrlBase, JqMCSSHelperFileName());
  } else {
    AddLinkFile(AContext, ZQCssUrlBase, JQZQCssFile());
    if (ZQJSErrorHandler) AddLinkFile(AContext, ZQCssUrlBase, JQZQDebugConsoleCssFile());
  }
  const std::string extra = GetRenderExtraScript();
  const std::string script = GetRenderScript() + extra;
  if (!script.empty()) ZQAddJS(AContext, script);
  if (GetNeedsJSONJs()) ZQAddJSLink(AContext, ZQJsUrlBase, JSonFileName(), design);
  if (GetNeedsCookieJs()) ZQAddJSLink(AContext, ZQJsUrlBase, JqCookiesFileName(), design);
  if (!GetMobile() && ZQResizeFix) {
    ZQAddJSLink(AContext, ZQJsUrlBase, JQThrottleDebounceJS(), design);
    ZQAddJSLink(AContext, ZQJsUrlBase, JQZQResizeFixJS(), design);
  }

  std::unique_ptr<TIWHTMLTag> result = DoRenderHTML(AContext);
  if (result) {
    if (TIWAppForm* form = GetRootForm()) {
      const auto& order = form->RealTabOrders();
      auto it = std::find(order.begin(), order.end(), static_cast<const TIWBaseControl*>(this));
      if (it != order.end()) RenderRealTabIndex(*result, static_cast<int>(it - order.begin()) + 1);
    }
  }
  if (auto own = GetHtmlTag(AContext)) {
    if (result)
      result->AddTag(std::move(own));
    else
      result = std::move(own);
  }
  if (OnAfterRenderHTML) OnAfterRenderHTML(this, result);
  return result;
}

// ---------------------------------------------------------------- removal

std::string TIWZQJSContainer::GetHtmlRemoveJs() {
  return Format("%s(\"#%s\").remove();", ZQJQuery, GetHTMLName());
}

std::string TIWZQJSContainer::GetReleaseIWCLJs() {
  return Format("ZQRelease_IWCL(\"%s\");", GetIWCLName()) + (ZQJavascriptDebug() ? "\r\n" : "");
}

std::string TIWZQJSContainer::GetHtmlReplaceWithTempIDJS() {
  const std::string tempId = "'" + GetHTMLName() + "_temp_id'";
  return Format("var htmlElem = %s(\"#%s\");", ZQJQuery, GetHTMLName()) +
         Format("if (htmlElem.length > 0) { htmlElem.replaceWith($(\"<div id=%s></div>\")); }",
                tempId);
}

void TIWZQJSContainer::DoAjaxBrowserDestroy() {
  if (FFlags & kRemovalSent) return;
  if (!ZQIsCallBackProcessing()) return;
  const std::string script =
      GetHiddenInputsRemoveJs() + GetReleaseIWCLJs() + GetPluginDestroyJs() + GetHtmlRemoveJs();
  // Into the session's response: the control's own list goes with it.
  ZQAddJavaScriptToAjaxResponse(script, false);
  SetFlag(kRemovalSent, true);
}

void TIWZQJSContainer::ResetJSonProps() {
  for (const PropInfo* p : ClassType().Properties()) {
    if (p->Kind != PropKind::Object) continue;
    if (auto* json = dynamic_cast<IIWZQJSon*>(GetObjectProp(this, *p))) json->ResetProps();
  }
}

void TIWZQJSContainer::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  BeforeSetBounds(ALeft, ATop, AWidth, AHeight);
  TIWZQCustomRegion::SetBounds(ALeft, ATop, AWidth, AHeight);
  AfterSetBounds(ALeft, ATop, AWidth, AHeight);
}

void TIWZQJSContainer::CheckDataLinkStateEditCss(const std::string& AElement, bool AAdd,
                                                 const std::string& AClass) {
  AddJavaScriptToAjaxResponse(
      Format("%s.%s(\"%s\");", AElement, AAdd ? "addClass" : "removeClass", AClass), true, false);
}

// ---------------------------------------------------------------- script container

TIWApplication* TIWZQJSContainer::GetIWApplication() {
  if (TIWApplication* app = GetWebApplication()) return app;
  return gGetWebApplicationThreadVar();
}

std::string TIWZQJSContainer::GetIDJQuery() {
  return ZQGetJQuery(GetJQHTMLName());
}

bool TIWZQJSContainer::GetGenerateAjaxResponse(TZQJSonMember* AMember) {
  if (HasState(csDestroying) || FDisableAjaxResponseCount != 0) return false;
  if (AMember && !AMember->GenerateJSon()) return false;
  if (GetIsLoading() || Designing()) return false;
  return ZQIsCallBackProcessing();
}

void TIWZQJSContainer::AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck,
                                                   bool ARaise) {
  if (ZQTrim(AScript).empty() || !Dispatcher()) return;
  ZQCheckAjaxResponse(ACheck, ARaise);
  Dispatcher()->AddAjaxResponseScript(AScript);
}

void TIWZQJSContainer::AddJavaScriptToAjaxResponse(const std::string& APropName,
                                                   const TIWZQAjaxReponseScriptEvent& AEvent,
                                                   bool ACheck, bool ARaise) {
  if (!Dispatcher()) return;
  ZQCheckAjaxResponse(ACheck, ARaise);
  Dispatcher()->AddAjaxResponseEvent(APropName, AEvent);
}

void TIWZQJSContainer::AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) {
  if (Dispatcher()) Dispatcher()->AddAjaxResponseMember(AHandler, AMember);
}

void TIWZQJSContainer::AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck,
                                                     bool ARaise) {
  if (!Dispatcher()) return;
  ZQCheckSubmitResponse(ACheck && ARaise, ARaise);
  Dispatcher()->AddSubmitResponseScript(AScript);
}

void TIWZQJSContainer::AddJavaScriptToResponse(const std::string& AScript, bool ACheck,
                                               bool ARaise) {
  if (ZQTrim(AScript).empty()) return;
  if (ZQIsCallBackProcessing())
    AddJavaScriptToAjaxResponse(AScript, false, ARaise);
  else
    AddJavaScriptToSubmitResponse(AScript, ACheck, ARaise);
}

// ---------------------------------------------------------------- tab order

namespace {

// The tab-order lists of the owners (frames and forms), by owner.
struct TTabOrders {
  std::mutex lock;
  std::map<const TComponent*, std::vector<const TIWZQJSContainer*>> lists;
};
TTabOrders& TabOrders() {
  static TTabOrders t;
  return t;
}

const TComponent* TabOwner(const TIWZQJSContainer* AControl) {
  for (TComponent* o = AControl->Owner(); o; o = o->Owner())
    if (dynamic_cast<TIWFrame*>(o)) return o;
  for (TComponent* o = AControl->Owner(); o; o = o->Owner())
    if (dynamic_cast<TIWAppForm*>(o)) return o;
  return nullptr;
}

void RemoveFromTabOrder(const TIWZQJSContainer* AControl) {
  TTabOrders& t = TabOrders();
  std::lock_guard<std::mutex> g(t.lock);
  for (auto it = t.lists.begin(); it != t.lists.end();) {
    auto& v = it->second;
    v.erase(std::remove(v.begin(), v.end(), AControl), v.end());
    it = v.empty() ? t.lists.erase(it) : std::next(it);
  }
}

}  // namespace

int TIWZQJSContainer::GetTabOrder() const {
  const TComponent* owner = TabOwner(this);
  if (!owner) return TabOrder;
  TTabOrders& t = TabOrders();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.lists.find(owner);
  if (it == t.lists.end()) return TabOrder;
  auto pos = std::find(it->second.begin(), it->second.end(), this);
  return pos == it->second.end() ? TabOrder : static_cast<int>(pos - it->second.begin());
}

void TIWZQJSContainer::SetTabOrder(int AValue) {
  const TComponent* owner = TabOwner(this);
  if (owner == this) return;
  if (!owner) {
    TabOrder = AValue;
    return;
  }
  RemoveFromTabOrder(this);
  TTabOrders& t = TabOrders();
  std::lock_guard<std::mutex> g(t.lock);
  auto& list = t.lists[owner];
  if (GetIsLoading() || AValue == -1 || AValue >= static_cast<int>(list.size())) {
    list.push_back(this);
    TabOrder = static_cast<int>(list.size()) - 1;
  } else {
    list.insert(list.begin() + std::max(0, AValue), this);
  }
  if (AValue != -1) TabOrder = AValue;
}

// ---------------------------------------------------------------- focus navigation

void ZQSetPrevFocus() {
  ZQAddJavaScriptToAjaxResponse(Format("%s.focusPrev();", ZQJQuery), false);
}
void ZQSetNextFocus() {
  ZQAddJavaScriptToAjaxResponse(Format("%s.focusNext();", ZQJQuery), false);
}
void ZQSetPrevTab() {
  ZQAddJavaScriptToAjaxResponse(Format("%s.tabPrev();", ZQJQuery), false);
}
void ZQSetNextTab() {
  ZQAddJavaScriptToAjaxResponse(Format("%s.tabNext();", ZQJQuery), false);
}

}  // namespace zq
