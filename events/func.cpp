#include "events/func.h"

#include "events/browserparams.h"
#include "events/jscript.h"
#include "events/response.h"
#include "foundation/asciicase.h"
#include "foundation/collection.h"
#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/paramlist.h"
#include "foundation/properties.h"
#include "foundation/proppath.h"
#include "foundation/stringlist.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"
#include "options/jsonmember.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQFunc) {
  c.Prop("Script", &TIWZQFunc::GetScriptText, &TIWZQFunc::SetScript);
  c.Prop("Condition", &TIWZQFunc::GetCondition, &TIWZQFunc::SetCondition);
  c.Prop("BrowserParams", &TIWZQFunc::GetBrowserParams, &TIWZQFunc::SetBrowserParams)
      .Stored(&TIWZQFunc::IsBrowserParamsStored);
  c.Prop("Ajax", &TIWZQFunc::GetAjax, &TIWZQFunc::SetAjax);
  c.Prop("AjaxQueued", &TIWZQFunc::GetAjaxQueued, &TIWZQFunc::SetAjaxQueued);
  c.Prop("AjaxAppend", &TIWZQFunc::GetAjaxAppend, &TIWZQFunc::SetAjaxAppend);
  c.Prop("ScriptToExecute", &TIWZQFunc::GetScriptToExecute, &TIWZQFunc::SetScriptToExecute).Stored(false);
  c.Prop("OnEvent", &TIWZQFunc::GetOnEvent, &TIWZQFunc::SetOnEvent);
  c.Prop("Indicator", &TIWZQFunc::GetIndicator, &TIWZQFunc::SetIndicator);
  c.Prop("IndicatorIndex", &TIWZQFunc::GetIndicatorIndex, &TIWZQFunc::SetIndicatorIndex);
}

ZQ_IMPLEMENT_CLASS(TIWZQJSonFunc) {
  c.Prop("Ajax", &TIWZQFunc::GetAjax, &TIWZQFunc::SetAjax).Stored(&TIWZQJSonFunc::IsAjaxStored);
  c.Prop("Arguments", &TIWZQJSonFunc::GetArguments, nullptr).Stored(false);
  c.Prop("SendAllArguments", &TIWZQFunc::GetSendAllArguments, &TIWZQFunc::SetSendAllArguments);
  c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>();
}

void ZQRegisterEventFunctions() {
  ZQRegisterEventFunctionClasses(&TIWZQFunc::StaticClass(), &TIWZQJSonFunc::StaticClass());
  // Setters recorded for an option object must not outlive it.
  ZQSetJSonFreedHook(&ZQResponseObjectFreed);
}

void ZQUnregisterEventFunctions() {
  ZQSetJSonFreedHook(nullptr);
  ZQRegisterEventFunctionClasses(nullptr, nullptr);
}

namespace {

IIWZQFuncAdapter* CheckAdapter(TPersistent* AOwner) {
  auto* a = dynamic_cast<IIWZQFuncAdapter*>(AOwner);
  if (!a) throw EIWZQJQuery("TIWZQFunc owner doesn''t interface IIWZQFuncAdapter!");
  return a;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string r;
  r.reserve(s.size());
  std::size_t pos = 0;
  for (std::size_t p = s.find(from); p != std::string_view::npos; p = s.find(from, pos)) {
    r.append(s.substr(pos, p - pos));
    r.append(to);
    pos = p + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TIWZQFunc::TIWZQFunc(TPersistent* AOwner, std::string APropName)
    : FOwner(AOwner), FAdapter(CheckAdapter(AOwner)), FPropName(std::move(APropName)) {
  // Defaults set while the function is built produce no response script.
  if (auto* c = FAdapter->GetZQJSContainer()) {
    c->DisableAjaxResponse();
    FDisabledContainer = c;
  }
}

TIWZQFunc::~TIWZQFunc() = default;

void TIWZQFunc::AfterConstruction() {
  TPersistent::AfterConstruction();
  if (auto* c = FDisabledContainer) {
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
}

void TIWZQFunc::BeforeDestruction() {
  if (auto* c = FDisabledContainer) {  // construction failed half-way
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
  DeselectIndicator();
  // Nothing may reach a response list through this function any more.
  ZQResponseObjectFreed(this);
  FAdapter = nullptr;  // no response recording while the collections go
  FBrowserParams.reset();
  FInternalBrowserParams.reset();
  TPersistent::BeforeDestruction();
}

// ---------------------------------------------------------------------------
// Properties

void TIWZQFunc::SetScript(const std::string& AValue) {
  std::string v = ZQTrim(AValue);
  if (v == FScript) return;
  FScript = std::move(v);
  CheckGenerateAjaxResponse();
}

void TIWZQFunc::SetCondition(const std::string& AValue) {
  std::string v = ZQTrim(AValue);
  if (v == FCondition) return;
  FCondition = std::move(v);
  CheckGenerateAjaxResponse();
}

void TIWZQFunc::SetFlagValue(int ABit, bool AValue) {
  if (GetFlag(ABit) == AValue) return;
  FFlags = static_cast<std::uint8_t>(AValue ? (FFlags | (1u << ABit)) : (FFlags & ~(1u << ABit)));
  CheckGenerateAjaxResponse();
}

void TIWZQFunc::SetOnEvent(const TIWZQEvent& AValue) {
  if (AValue == FOnEvent) return;
  FOnEvent = AValue;
  CheckGenerateAjaxResponse();
}

void TIWZQFunc::SetScriptToExecute(const std::string&) { throw EIWZQJQuery("Cannot change ScriptToExecute!"); }

TIWZQBrowserParams* TIWZQFunc::GetBrowserParams() {
  if (!FBrowserParams) FBrowserParams.reset(Create<TIWZQBrowserParams>(this));
  return FBrowserParams.get();
}

void TIWZQFunc::SetBrowserParams(TIWZQBrowserParams* AValue) {
  if (AValue == FBrowserParams.get()) return;
  GetBrowserParams()->Assign(AValue);
}

bool TIWZQFunc::IsBrowserParamsStored() const { return FBrowserParams && FBrowserParams->Count() > 0; }

TIWZQBrowserParams* TIWZQFunc::GetInternalBrowserParams() {
  if (!FInternalBrowserParams) FInternalBrowserParams.reset(Create<TIWZQBrowserParams>(this));
  return FInternalBrowserParams.get();
}

bool TIWZQFunc::HasInternalBrowserParams() const { return FInternalBrowserParams && FInternalBrowserParams->Count() > 0; }

// ---------------------------------------------------------------------------
// Lock indicator

void TIWZQFunc::SetIndicatorItem(IIWZQIndicatorItem* AItem) {
  if (AItem == FIndicatorItem) return;
  if (FIndicatorItem) FIndicatorItem->DelFunc(this);
  FIndicatorItem = AItem;
  if (FIndicatorItem) FIndicatorItem->AddFunc(this);
}

void TIWZQFunc::IndicatorItemFreed(IIWZQIndicatorItem* AItem) {
  if (AItem && AItem == FIndicatorItem) FIndicatorItem = nullptr;
}

void TIWZQFunc::DeselectIndicator() { SetIndicatorItem(nullptr); }

void TIWZQFunc::SelectIndicator(TComponent* AComp, int AIndex) {
  auto* li = dynamic_cast<IIWZQLockIndicator*>(AComp);
  if (!li || AIndex < 0 || AIndex >= li->GetIndicatorItemCount()) {
    DeselectIndicator();
    return;
  }
  SetIndicatorItem(li->GetIndicatorItem(AIndex));
}

TComponent* TIWZQFunc::GetIndicator() { return FIndicatorItem ? FIndicatorItem->GetIndicatorComponent() : nullptr; }

void TIWZQFunc::SetIndicator(TComponent* AValue) {
  int index = FParkedIndicatorIndex >= -1 ? FParkedIndicatorIndex : 0;
  if (GetIsLoading()) FLoadingIndicator = AValue;
  else FParkedIndicatorIndex = -2;
  SelectIndicator(AValue, index);
}

int TIWZQFunc::GetIndicatorIndex() { return FIndicatorItem ? FIndicatorItem->GetIndicatorItemIndex() : -1; }

void TIWZQFunc::SetIndicatorIndex(int AValue) {
  if (GetIsLoading()) {
    // Applied when Indicator is (or was already) given, whatever the order.
    FParkedIndicatorIndex = AValue < -1 ? -1 : AValue;
    if (FLoadingIndicator) SelectIndicator(FLoadingIndicator, FParkedIndicatorIndex);
    return;
  }
  if (!FIndicatorItem) return;
  if (AValue < 0) {
    DeselectIndicator();
    return;
  }
  auto* li = dynamic_cast<IIWZQLockIndicator*>(FIndicatorItem->GetIndicatorComponent());
  if (li && AValue < li->GetIndicatorItemCount()) SetIndicatorItem(li->GetIndicatorItem(AValue));
}

// ---------------------------------------------------------------------------
// Script

bool TIWZQFunc::GetIsLoading() {
  if (!FAdapter) return false;
  if (auto* c = FAdapter->GetZQJSContainer(); c && c->GetIsLoading()) return true;
  TComponent* comp = FAdapter->GetImplComponent();
  return comp && comp->HasState(csLoading);
}

TComponent* TIWZQFunc::ImplComponent() { return FAdapter ? FAdapter->GetImplComponent() : nullptr; }

TComponent* TIWZQFunc::ScriptOwner() {
  TComponent* comp = ImplComponent();
  return comp ? comp->Owner() : nullptr;
}

bool TIWZQFunc::GetHasScript() { return FOnSimpleEvent || FOnEvent || !FScript.empty(); }

std::string TIWZQFunc::GetScript(bool AForExecute) { return GetBaseScript(AForExecute); }

std::string TIWZQFunc::GetScriptDeclaration(bool) { return "{"; }

std::string TIWZQFunc::GetEmptyScript() { return GetScriptDeclaration(true) + "\r\n\r\n}"; }

std::string TIWZQFunc::GetEventID() {
  std::string id = FPropName;
  for (TPersistent* o = FOwner; o; o = o->GetOwner()) {
    auto* a = dynamic_cast<IIWZQFuncAdapter*>(o);
    if (!a) break;
    const int index = a->GetItemIndex();
    if (index >= 0) {
      id = Format("Items[%d].", index) + id;
    } else {
      std::string name = a->GetPropName();
      if (!name.empty()) id = name + "." + id;
    }
  }
  return id;
}

void TIWZQFunc::AddParamLines(TIWZQJScript& ALines, TIWZQBrowserParams* AParams, TComponent* AScriptOwner) {
  if (!AParams) return;
  for (int i = 0; i < AParams->Count(); ++i) {
    TIWZQBrowserParam* p = AParams->Items(i);
    if (p->GetServerName().empty()) continue;
    std::string script = ZQJsNoLineBreaks(ParseScript(AScriptOwner, p->GetBrowserScript()));
    if (ZQTrim(script).empty()) continue;  // a blank expression would send "undefined"
    if (p->GetSendJSon()) {
      if (FAdapter)
        if (auto* c = FAdapter->GetZQJSContainer()) c->SetNeedsJSONJs(true);
      ALines.AddF("url = url + \"&%s=\"+encodeURIComponent(JSON.stringify(%s));", p->GetServerName(), script);
    } else {
      ALines.AddF("url = url + \"&%s=\"+encodeURIComponent(%s);", p->GetServerName(), script);
    }
  }
}

std::string TIWZQFunc::GetBaseScript(bool AForExecute) {
  if (!FAdapter) return {};
  TComponent* comp = ImplComponent();
  if (comp && comp->HasState(csDesigning)) return {};
  TComponent* owner = comp ? comp->Owner() : nullptr;
  const std::string user = FScript.empty() ? std::string() : ParseScript(owner, FScript);
  if (!FOnSimpleEvent && !FOnEvent) return user;

  const std::string htmlName = FAdapter->GetHTMLName();
  TIWZQJScript lines;
  if (!FCondition.empty()) lines.Add(" if (!(" + ParseScript(owner, FCondition) + ")) return true;");
  const std::string id = GetEventID();
  if (id.empty()) {
    lines.Add("  var url = \"\";");
  } else {
    if (FIndicatorItem) {
      TComponent* ind = FIndicatorItem->GetIndicatorComponent();
      const bool onController = ind && dynamic_cast<TIWServerController*>(ind->Owner()) != nullptr;
      lines.AddF("  GEventIndicators[\"%s\"] = \"%s\";", htmlName + "." + id,
                 Format(onController ? "sc%d" : "%d", FIndicatorItem->GetIndicatorItemIndex()));
    }
    lines.AddF("  var url = \"&%s=%s\";", GetAjax() ? "ajaxevent" : "submitevent", id);
  }
  AddParamLines(lines, FInternalBrowserParams.get(), owner);
  if (GetSendAllArguments()) {
    std::string args = GetArguments();
    std::size_t start = 0;
    while (start <= args.size()) {
      std::size_t comma = args.find(',', start);
      if (comma == std::string::npos) comma = args.size();
      std::string name = ZQTrim(std::string_view(args).substr(start, comma - start));
      start = comma + 1;
      if (name.empty()) continue;
      if (FBrowserParams && FBrowserParams->GetItemByName(name)) continue;
      lines.AddF("url = url + \"&%s=\"+encodeURIComponent(%s);", name, name);
    }
  }
  AddParamLines(lines, FBrowserParams.get(), owner);
  if (GetAjax())
    lines.AddF("  executeAjaxEvent(url,%s,\"%s.%s\",%s,null,%s);", FAdapter->GetIWCLName(), htmlName, IWEventName(),
               JQBoolStr(!GetAjaxQueued()), JQBoolStr(GetAjaxAppend()));
  else
    lines.AddF("  SubmitClickConfirm(\"%s\",url,true,\"\");", htmlName);

  if (user.empty()) {
    const bool debugCatch = ZQJavascriptDebug() && ZQScriptDebugCatch;
    if (debugCatch) lines.Insert(0, "try {");
    lines.Insert(0, GetScriptDeclaration(AForExecute));
    if (debugCatch)
      lines.AddF(
          "} catch(err) { alert(\"Script Error \" + err.message + \" in Event Handler Function %s.%s. Check "
          "BrowserParams\") }",
          htmlName, id);
    lines.Add("}");
    return lines.GetJoined();
  }
  // The user script is a block or function whose body ends with the call.
  const int pos = ZQInvPos("}", user);
  if (pos <= 0) return user;
  std::size_t at = static_cast<std::size_t>(pos - 1);
  if (at >= 2 && user.compare(at - 2, 2, "\r\n") == 0) at -= 2;
  return user.substr(0, at) + lines.GetJoined() + user.substr(at);
}

std::string TIWZQFunc::GetScriptToHTML() {
  std::string s = ZQTrim(GetScript(false));
  return ReplaceAll(ReplaceAll(s, "\r\n", " "), "\"", "'");
}

// ---------------------------------------------------------------------------
// Server side

void TIWZQFunc::CallEventOnServer(TObject* ASender, TStringList* AParams) {
  if (FOnEvent) FOnEvent(ASender, AParams);
}

void TIWZQFunc::DoEvent(TStringList* AParams) {
  if (FOnEvent) {
    FOnEvent(FOwner, AParams);
    return;
  }
  if (!FOnSimpleEvent) return;
  TStringList* saved = FParams;
  FParams = AParams;
  try {
    FOnSimpleEvent(FSimpleEventSender ? FSimpleEventSender : FOwner);
  } catch (...) {
    FParams = saved;
    throw;
  }
  FParams = saved;
}

void TIWZQFunc::FullSubmit(TStringList* AParams) {
  ZQCheckIsCallBack("FullSubmit");
  const std::string event = AParams ? AParams->Values("ajaxevent") : std::string();
  if (event.empty()) throw EIWZQJQuery(Format("\"%s\" param does not exist for FullSubmit!", "ajaxevent"));
  TZQParamList list;
  list.Add("submitevent=" + event);
  if (FBrowserParams)
    for (int i = 0; i < FBrowserParams->Count(); ++i) {
      const std::string& name = FBrowserParams->Items(i)->GetServerName();
      std::string item = name;
      item += '=';
      item += AParams->Values(name);
      list.Add(item);
    }
  std::string params = "&";
  params += list.GetParamStr();
  ZQAddJavaScriptToAjaxResponse(
      Format("SubmitClickConfirm(\"%s\",\"%s\",true,\"\");", FAdapter ? FAdapter->GetHTMLName() : std::string(),
             params),
      false, true);
}

void TIWZQFunc::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TIWZQFunc*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  ZQCopyPublishedProps(src, this, {"ScriptToExecute", "Arguments"}, true);
  SetOnSimpleEvent(src->GetOnSimpleEvent());
}

void TIWZQFunc::ResetProps() {
  SetScript({});
  SetCondition({});
  if (FBrowserParams && FBrowserParams->Count() > 0) FBrowserParams->Clear();
  SetAjax(false);
  SetAjaxQueued(false);
  SetAjaxAppend(true);
  SetOnEvent(nullptr);
  SetOnSimpleEvent(nullptr);
}

bool TIWZQFunc::ReadLegacyProperty(std::string_view AName, const Variant& AValue) {
  try {
    if (AName == "AjaxAsync") {
      SetAjaxQueued(AValue.ToBool());
      return true;
    }
    TStringList lines;
    lines.SetText(AValue.ToString());
    for (int i = 0; i < lines.Count(); ++i) {
      const std::string& line = lines[i];
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      GetBrowserParams()->AddParam(line.substr(0, eq), line.substr(eq + 1), true);
    }
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// TIWZQJSonFunc

TIWZQJSonFunc::TIWZQJSonFunc(TIWZQJSon* AOwner, std::string APropName, TZQJSonFuncMember* AMember)
    : TIWZQFunc(AOwner, std::move(APropName)), FMember(AMember) {
  FFlags |= 1u << kFuncAjax;
}

bool TIWZQJSonFunc::IsAjaxStored() const { return !GetAjax(); }

std::string TIWZQJSonFunc::GetArguments() { return FMember ? FMember->FArgs : std::string(); }

bool TIWZQJSonFunc::GetHasScript() { return TIWZQFunc::GetHasScript() || (FMember && FMember->HasFixedScript()); }

bool TIWZQJSonFunc::JSonIdent() { return ::zq::JSonIdent(); }

std::string TIWZQJSonFunc::GetScriptDeclaration(bool AForExecute) {
  if (AForExecute && FMember) return Format("function %s(%s){", FMember->FFuncName, FMember->FArgs);
  return "{";
}

std::string TIWZQJSonFunc::GetScript(bool AForExecute) {
  std::string base = GetBaseScript(AForExecute);
  if (!FMember || !FMember->HasFixedScript() || !FAdapter) return base;
  bool atStart = false;
  const std::string fixed = FAdapter->GetFixedScript(this, atStart);
  if (fixed.empty()) return base;
  std::string head, body;
  if (base.empty()) {
    head = GetScriptDeclaration(AForExecute);
  } else {
    const std::size_t open = base.find('{');
    if (open == std::string::npos) return base;
    head = base.substr(0, open + 1);
    body = base.substr(open + 1);
    const std::size_t close = body.rfind('}');
    if (close != std::string::npos) body.erase(close);
  }
  return head + (atStart ? fixed + body : body + fixed) + "}";
}

void TIWZQJSonFunc::CheckGenerateAjaxResponse() {
  if (!FAdapter || !FMember) return;
  auto* obj = dynamic_cast<TIWZQJSon*>(FOwner);
  IIWZQJSContainer* c = FAdapter->GetZQJSContainer();
  if (obj && c && c->GetGenerateAjaxResponse(FMember)) obj->AddMemberToAjaxResponse(FMember);
}

void TIWZQJSonFunc::ResetProps() {
  TIWZQFunc::ResetProps();
  SetAjax(true);
}

bool TIWZQJSonFunc::GetIsStored() {
  return !FScript.empty() || FOnSimpleEvent || FOnEvent || (FMember && FMember->HasFixedScript()) ||
         IsBrowserParamsStored() || HasInternalBrowserParams() || FIndicatorItem;
}

ISuperObject TIWZQJSonFunc::GetJSon() {
  std::string script = GetScript(true);
  if (script.empty()) return nullptr;
  return TSuperObject::Create(script, true);
}

// ---------------------------------------------------------------------------
// Server side of events

namespace {

// Whether o belongs to the control: not a component itself, and its owner
// chain reaches the control before any other component.
bool OwnedByControl(TObject* o, TComponent* AControl) {
  if (!o || dynamic_cast<TComponent*>(o)) return false;
  auto* p = dynamic_cast<TPersistent*>(o);
  for (int depth = 0; p && depth < 64; ++depth) {
    TPersistent* up = p->GetOwner();
    if (up == AControl) return true;
    if (!up || dynamic_cast<TComponent*>(up)) return false;
    p = up;
  }
  return false;
}

// One step of an event path: a published object property, optionally
// followed by "[index]" (an item of the collection it names; "Items[i]"
// indexes the current object itself). Null when the step leaves the control.
TObject* Step(TObject* current, const std::string& seg, TComponent* AControl) {
  std::string name = seg;
  int index = -1;
  const std::size_t open = seg.find('[');
  if (open != std::string::npos) {
    if (seg.back() != ']') return nullptr;
    const std::string digits = ZQTrim(std::string_view(seg).substr(open + 1, seg.size() - open - 2));
    if (digits.empty() || digits.size() > 9) return nullptr;
    index = 0;
    for (char ch : digits) {
      if (ch < '0' || ch > '9') return nullptr;
      index = index * 10 + (ch - '0');
    }
    name = ZQTrim(std::string_view(seg).substr(0, open));
  }
  TObject* next = current;
  if (open == std::string::npos || !SameTextAscii(name, "Items")) {
    const PropInfo* p = current->ClassType().FindProperty(name);
    if (!p || p->Kind != PropKind::Object) return nullptr;
    next = GetObjectProp(current, *p);
    if (!OwnedByControl(next, AControl)) return nullptr;
  }
  if (index >= 0) {
    auto* coll = dynamic_cast<TCollection*>(next);
    if (!coll || index >= coll->Count()) return nullptr;
    next = coll->Items(index);
    if (!OwnedByControl(next, AControl)) return nullptr;
  }
  return next;
}

}  // namespace

TIWZQFunc* ZQResolveEventFunc(TComponent* AControl, std::string_view AEventID, bool AIsAjax) {
  const std::string id(AEventID);
  auto notFound = [&]() { return EIWZQJQuery(Format("%s event \"%s\" not found!", AIsAjax ? "Ajax" : "Submit", id)); };
  std::string path = ZQTrim(AEventID);
  if (!AControl || path.empty()) throw notFound();
  TObject* current = AControl;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = path.find('.', start);
    const std::string seg = ZQTrim(std::string_view(path).substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (seg.empty()) throw notFound();
    current = Step(current, seg, AControl);
    if (!current) throw notFound();
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  auto* func = dynamic_cast<TIWZQFunc*>(current);
  if (!func) throw notFound();
  return func;
}

void ZQCallEvent(TComponent* AControl, const std::string& AEventID, TStringList* AParams, bool AIsAjax) {
  if (AParams) {
    // The control names itself; a "ComponentName" from the browser is dropped.
    for (int i = AParams->IndexOfName("ComponentName"); i >= 0; i = AParams->IndexOfName("ComponentName"))
      AParams->Delete(i);
    AParams->Add("ComponentName=" + (AControl ? AControl->GetName() : std::string()));
  }
  ZQCallEventMonitor(AControl, AEventID, AParams, AIsAjax);
  TIWZQFunc* func = ZQResolveEventFunc(AControl, AEventID, AIsAjax);
  func->DoEvent(AParams);
}

std::string ZQAjaxEventName(TStringList* AParams) {
  const int i = AParams ? AParams->IndexOfName("ajaxevent") : -1;
  if (i < 0) throw EIWZQJQuery("Ajax event not present in URL!");
  std::string event = ZQTrim(AParams->ValueFromIndex(i));
  if (event.empty()) throw EIWZQJQuery("Ajax event not specified in URL!");
  return event;
}

std::string ZQSubmitEventName(const std::string& AValue, TZQParamList& AList) {
  if (AValue.empty()) return {};
  AList.SetParamStr(AValue);
  const int i = AList.IndexOfName("submitevent");
  return i < 0 ? std::string() : ZQTrim(AList.ValueFromIndex(i));
}

void ZQDoAjaxRequest(TComponent* AControl, TStringList* AParams) {
  ZQCallEvent(AControl, ZQAjaxEventName(AParams), AParams, true);
}

void ZQSubmitEvent(TComponent* AControl, const std::string& AValue) {
  TZQParamList list;
  const std::string event = ZQSubmitEventName(AValue, list);
  if (!event.empty()) ZQCallEvent(AControl, event, &list, false);
}

}  // namespace zq
