#include "framework/jqcontainer.h"

#include <charconv>
#include <optional>

#include "events/func.h"
#include "events/jscript.h"
#include "foundation/asciicase.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQContainer) {
  c.Prop("JQDragOptions", &TIWZQJQContainer::GetJQDragOptions, &TIWZQJQContainer::SetJQDragOptions);
  c.Prop("JQDropOptions", &TIWZQJQContainer::GetJQDropOptions, &TIWZQJQContainer::SetJQDropOptions);
  c.Prop("JQResizeOptions", &TIWZQJQContainer::GetJQResizeOptions,
         &TIWZQJQContainer::SetJQResizeOptions);
  c.Prop("JQEffects", &TIWZQJQContainer::GetJQEffects, &TIWZQJQContainer::SetJQEffects);
  c.Prop("JQPositionOptions", &TIWZQJQContainer::GetJQPositionOptions,
         &TIWZQJQContainer::SetJQPositionOptions);
  c.Prop("JQEvents", &TIWZQJQContainer::GetJQEvents, &TIWZQJQContainer::SetJQEvents);
}

ZQ_IMPLEMENT_CLASS(TIWZQJQSortableContainer) {
  c.Prop("JQSortableOptions", &TIWZQJQSortableContainer::GetJQSortableOptions,
         &TIWZQJQSortableContainer::SetJQSortableOptions);
}

namespace {

// Two integers "a,b" (blanks also separate) within [AMin, kZQMaxCoordinate];
// anything else gives nothing.
std::optional<std::pair<int, int>> ParsePair(const std::string& AValue, int AMin) {
  std::vector<std::string_view> pieces;
  std::string_view v(AValue);
  std::size_t i = 0;
  while (i < v.size()) {
    while (i < v.size() && (v[i] == ',' || v[i] == ' ')) ++i;
    std::size_t j = i;
    while (j < v.size() && v[j] != ',' && v[j] != ' ') ++j;
    if (j > i) pieces.push_back(v.substr(i, j - i));
    i = j;
  }
  if (pieces.size() != 2) return std::nullopt;
  int out[2];
  for (int k = 0; k < 2; ++k) {
    const std::string_view p = pieces[static_cast<std::size_t>(k)];
    long long n = 0;
    auto [end, ec] = std::from_chars(p.data(), p.data() + p.size(), n);
    if (ec != std::errc() || end != p.data() + p.size() || n < AMin || n > kZQMaxCoordinate)
      return std::nullopt;
    out[k] = static_cast<int>(n);
  }
  return std::make_pair(out[0], out[1]);
}

template <class T>
bool NotDisabled(const Owned<TIWZQJSon>& AObj) {
  return AObj && !static_cast<T*>(AObj.get())->GetDisabled();
}

}  // namespace

TIWZQJQContainer::TIWZQJQContainer(TComponent* AOwner) : TIWZQJSContainer(AOwner) {}

TIWZQJQContainer::~TIWZQJQContainer() = default;

void TIWZQJQContainer::BeforeDestruction() {
  // The removal script still needs the events object (its unbinding).
  DoAjaxBrowserDestroy();
  FJQDragOptions.reset();
  FJQDropOptions.reset();
  FJQResizeOptions.reset();
  FJQEffects.reset();
  FJQPositionOptions.reset();
  TIWZQJSContainer::BeforeDestruction();
  FJQEvents.reset();
}

// ---------------------------------------------------------------- option objects

template <class T>
T* TIWZQJQContainer::Lazy(Owned<TIWZQJSon>& ASlot, const ClassInfo& AClass, const char* APropName) {
  if (!ASlot) ASlot.reset(TIWZQJSon::CreateSingle(AClass, this, APropName));
  return static_cast<T*>(ASlot.get());
}

TIWZQJQDragOptions* TIWZQJQContainer::GetJQDragOptions() {
  return Lazy<TIWZQJQDragOptions>(FJQDragOptions, GetJQDragOptionsClass(), "JQDragOptions");
}
void TIWZQJQContainer::SetJQDragOptions(TIWZQJQDragOptions* AValue) {
  GetJQDragOptions()->Assign(AValue);
}

TIWZQJQDropOptions* TIWZQJQContainer::GetJQDropOptions() {
  return Lazy<TIWZQJQDropOptions>(FJQDropOptions, GetJQDropOptionsClass(), "JQDropOptions");
}
void TIWZQJQContainer::SetJQDropOptions(TIWZQJQDropOptions* AValue) {
  GetJQDropOptions()->Assign(AValue);
}

TIWZQJQResizeOptions* TIWZQJQContainer::GetJQResizeOptions() {
  return Lazy<TIWZQJQResizeOptions>(FJQResizeOptions, GetJQResizeOptionsClass(), "JQResizeOptions");
}
void TIWZQJQContainer::SetJQResizeOptions(TIWZQJQResizeOptions* AValue) {
  GetJQResizeOptions()->Assign(AValue);
}

TIWZQJQEffects* TIWZQJQContainer::GetJQEffects() {
  return Lazy<TIWZQJQEffects>(FJQEffects, TIWZQJQEffects::StaticClass(), "JQEffects");
}
void TIWZQJQContainer::SetJQEffects(TIWZQJQEffects* AValue) {
  GetJQEffects()->Assign(AValue);
}

TIWZQJQPositionOptions* TIWZQJQContainer::GetJQPositionOptions() {
  return Lazy<TIWZQJQPositionOptions>(FJQPositionOptions, TIWZQJQPositionOptions::StaticClass(),
                                      "JQPositionOptions");
}
void TIWZQJQContainer::SetJQPositionOptions(TIWZQJQPositionOptions* AValue) {
  GetJQPositionOptions()->Assign(AValue);
}

TIWZQJQEvents* TIWZQJQContainer::GetJQEvents() {
  return Lazy<TIWZQJQEvents>(FJQEvents, GetJQEventsClass(), "JQEvents");
}
void TIWZQJQContainer::SetJQEvents(TIWZQJQEvents* AValue) {
  GetJQEvents()->Assign(AValue);
}

bool TIWZQJQContainer::DragActive() const {
  return NotDisabled<TIWZQJQDragOptions>(FJQDragOptions);
}
bool TIWZQJQContainer::DropActive() const {
  return NotDisabled<TIWZQJQDropOptions>(FJQDropOptions);
}
bool TIWZQJQContainer::ResizeActive() const {
  return NotDisabled<TIWZQJQResizeOptions>(FJQResizeOptions);
}
bool TIWZQJQContainer::EffectActive() const {
  auto* e = static_cast<TIWZQJQEffects*>(FJQEffects.get());
  return e && e->GetEnable() && e->GetEffect() != jqeNone;
}
bool TIWZQJQContainer::PositionActive() const {
  return FJQPositionOptions &&
         !static_cast<TIWZQJQPositionOptions*>(FJQPositionOptions.get())->GetEnable();
}

// ---------------------------------------------------------------- script

std::string TIWZQJQContainer::GetDefaultCustomValueScript() {
  const std::string id = GetIDJQuery();
  TIWZQJScript lines;
  lines.Add("if (operation==\"get\") {");
  lines.Add(Format("  return %s.val();", id));
  lines.Add("}");
  lines.Add("else {");
  lines.Add(Format("  %s.val(value);", id));
  lines.Add("}");
  return lines.GetJoined();
}

void TIWZQJQContainer::GetScriptLinks(TStringList& AList) {
  TIWZQJSContainer::GetScriptLinks(AList);
  if (GetMobile()) {
    AList.Add(IWZQJQMobileHelper());
    AList.Add(JQFastClickJS());
    AList.Add(JQAjaxFormJS());
    return;
  }
  AList.Add(JqUIFileName());
  if (ZQJSErrorHandler) AList.Add(JQZQDebugConsoleJSFile());
  AList.Add(IWZQJQTouchSupport());
  if (!Designing()) {
    if (TIWApplication* app = GetIWApplication())
      if (BrowserIsLTEIE8(app->Browser())) AList.Add(IE8CanvasJS());
  }
  AList.Add(IWZQJQLazyLoaderHelper());
  AList.Add(IWZQJQLazyLoader());
  AList.Add(JQAjaxFormJS());
  AList.Add(IWZQJQHelper());
  AList.Add(JQTabbableJS());
  AList.Add(ZQLoadFastClickJS());
}

void TIWZQJQContainer::RenderScripts(TIWCompContext& AContext) {
  TIWZQJSContainer::RenderScripts(AContext);
  const std::string name = GetHTMLName();
  const std::string iwcl = GetIWCLName();
  AContext.AddToJavaScriptOnce("var " + name + "IWCL = null;");
  // The host creates no client object for a region; the hooks need one.
  AContext.AddToIWCLInitProc(iwcl + " = NewIWCL(IWCLForm,\"" + name + "\",false);");
  const std::string b = ZQJavascriptDebug() ? "\r\n" : "";
  struct Hook {
    std::string script;
    const char* prop;
    const char* head;
  };
  const Hook hooks[] = {{GetBeforeResizeScript(), ".OnZQBeforeResize = ", "function() {"},
                        {GetResizeScript(), ".OnZQResize = ", "function(ARect) {"},
                        {GetAfterResizeScript(), ".OnZQAfterResize = ", "function() {"}};
  for (const Hook& h : hooks) {
    if (h.script.empty()) continue;
    const std::string f = h.head + b + h.script + b + "}" + b;
    AContext.AddToIWCLInitProc("if (" + iwcl + ") {" + iwcl + h.prop + f + "}" + b);
  }
}

std::string TIWZQJQContainer::Block(const std::string& ACall) {
  return ScriptBlock(ACall + ");");
}

std::string TIWZQJQContainer::ScriptBlock(const std::string& AScript) {
  const bool debug = ZQJavascriptDebug();
  const std::string b = debug ? "\r\n" : "";
  const std::string d = debug ? "\r\n" + JQIdent(1) : "";
  return JQueryReady(false) + "function(){" + b + AScript + d + "});" + b;
}

std::string TIWZQJQContainer::GetRenderExtraScript() {
  std::string result = TIWZQJSContainer::GetRenderExtraScript();
  const std::string element = ZQGetJQuery(GetJQHTMLName());
  if (DragActive()) result += Block(element + ".draggable(" + OptionText(GetJQDragOptions()));
  if (DropActive()) result += Block(element + ".droppable(" + OptionText(GetJQDropOptions()));
  if (ResizeActive()) result += Block(element + ".resizable(" + OptionText(GetJQResizeOptions()));
  if (EffectActive()) result += Block(EffectCall());
  if (PositionActive())
    result += Block(GetIDJQuery() + ".position(" + OptionText(GetJQPositionOptions()));
  if (FJQEvents) {
    const std::string bind = GetJQEvents()->GetRenderJavascript(true);
    if (!bind.empty()) result += ScriptBlock(bind);
  }
  return result;
}

std::string TIWZQJQContainer::EffectCall() {
  TIWZQJQEffects* e = GetJQEffects();
  std::string call = GetIDJQuery() + ".effect('" +
                     IWZQJQEffects()[static_cast<std::size_t>(e->GetEffect())] + "'," +
                     OptionText(e->GetEffectOptions()) + "," + std::to_string(e->GetSpeed());
  if (TIWZQJSonFunc* cb = e->GetOnCallback(); cb && cb->GetHasScript())
    if (ISuperObject fn = cb->GetJSon()) call += "," + fn->AsString();
  return call;
}

std::string TIWZQJQContainer::jsEffect() {
  return EffectCall() + ")";
}

std::string TIWZQJQContainer::GetPluginDestroyJs() {
  std::string result = TIWZQJSContainer::GetPluginDestroyJs();
  if (FJQEvents) result += GetJQEvents()->GetRenderJavascript(false);
  return result;
}

// ---------------------------------------------------------------- values sent back

void TIWZQJQContainer::GetInputControlNames(std::vector<std::string>& AList) {
  TIWZQJSContainer::GetInputControlNames(AList);
  if (ResizeActive() && GetJQResizeOptions()->SaveSize()) AList.push_back(SizeInputName());
  if (DragActive() && GetJQDragOptions()->SavePosition()) AList.push_back(PosInputName());
}

void TIWZQJQContainer::SetValueByName(const std::string& AName, const std::string& AValue) {
  TIWZQJSContainer::SetValueByName(AName, AValue);
  if (SameTextAscii(AName, SizeInputName())) {
    if (!ResizeActive() || !GetJQResizeOptions()->SaveSize()) return;
    if (auto v = ParsePair(AValue, 0)) {
      Width = v->first;
      Height = v->second;
    }
  } else if (SameTextAscii(AName, PosInputName())) {
    if (!DragActive() || !GetJQDragOptions()->SavePosition()) return;
    if (auto v = ParsePair(AValue, -kZQMaxCoordinate)) {
      Left = v->first;
      Top = v->second;
    }
  }
}

void TIWZQJQContainer::ResetJSonProps() {
  TIWZQJSContainer::ResetJSonProps();
  FJQDragOptions.reset();
  FJQDropOptions.reset();
  FJQResizeOptions.reset();
  FJQEffects.reset();
  FJQPositionOptions.reset();
  FJQEvents.reset();
}

// ---------------------------------------------------------------- sortable

void TIWZQJQSortableContainer::BeforeDestruction() {
  DoAjaxBrowserDestroy();
  FJQSortableOptions.reset();
  TIWZQJQContainer::BeforeDestruction();
}

TIWZQJQSortableOptions* TIWZQJQSortableContainer::GetJQSortableOptions() {
  if (!FJQSortableOptions)
    FJQSortableOptions.reset(
        TIWZQJSon::CreateSingle(TIWZQJQSortableOptions::StaticClass(), this, "JQSortableOptions"));
  return static_cast<TIWZQJQSortableOptions*>(FJQSortableOptions.get());
}

void TIWZQJQSortableContainer::SetJQSortableOptions(TIWZQJQSortableOptions* AValue) {
  GetJQSortableOptions()->Assign(AValue);
}

bool TIWZQJQSortableContainer::SortableActive() const {
  return FJQSortableOptions &&
         !static_cast<TIWZQJQSortableOptions*>(FJQSortableOptions.get())->GetDisabled();
}

std::string TIWZQJQSortableContainer::GetRenderExtraScript() {
  std::string result = TIWZQJQContainer::GetRenderExtraScript();
  if (SortableActive())
    result += Block(GetIDJQuery() + ".sortable(" + OptionText(GetJQSortableOptions()));
  return result;
}

void TIWZQJQSortableContainer::ResetJSonProps() {
  TIWZQJQContainer::ResetJSonProps();
  FJQSortableOptions.reset();
}

}  // namespace zq
