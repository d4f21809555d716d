#include "events/jqevents.h"

#include "events/browserparams.h"
#include "events/func.h"
#include "events/jscript.h"
#include "events/response.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_OPTIONS(TIWZQJQEvents) {}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQAjaxCookie) {}

ZQ_IMPLEMENT_CLASS(TIWZQJQAjaxCookieList) {}

// ---------------------------------------------------------------------------
// TIWZQJQEvents

TIWZQJQEvents::TIWZQJQEvents(TCollection* Collection) : TIWZQJSon(Collection) { ZQRegisterEventFunctions(); }

void TIWZQJQEvents::Initialize() {
  TIWZQJSon::Initialize();
  for (int i : {kOnKeyDown, kOnKeyPress, kOnKeyUp}) Event(i)->GetInternalBrowserParams()->AddParam("key", "(e.keyCode || e.which)");
}

void TIWZQJQEvents::BeforeDestruction() {
  ZQResponseObjectFreed(this);
  TIWZQJSon::BeforeDestruction();
}

TIWZQJSonFunc* TIWZQJQEvents::Event(int AIndex) {
  auto* f = dynamic_cast<TIWZQJSonFunc*>(GetFuncValue(AIndex));
  if (!f) throw EIWZQJQuery(Format("Internal error: json member index \"%d\" not defined!", AIndex));
  return f;
}

std::string TIWZQJQEvents::GetJQElementID() {
  IIWZQJSContainer* c = GetZQJSContainer();
  return c ? c->GetIDJQuery() : std::string();
}

std::string TIWZQJQEvents::GetFixedScript(TObject* AFunc, bool& AFlag) {
  auto* f = dynamic_cast<TIWZQJSonFunc*>(AFunc);
  if (!f || !f->Member() || f->GetOwner() != this) return {};
  const std::string& name = f->Member()->Name();
  if (name != "keydown" && name != "keypress" && name != "keyup") return {};
  if (!f->TIWZQFunc::GetHasScript()) return {};
  AFlag = true;
  const std::string br = ZQJavascriptDebug() ? "\r\n" : "";
  return br + "OnControlContentChange(e);" + br;
}

std::string TIWZQJQEvents::GetRenderJavascript(bool ABind) {
  ISuperObject json = GetJSon();
  if (!json || !json->IsType(stObject) || json->AsObject()->IsEmpty()) return {};
  const std::string element = GetJQElementID();
  TIWZQJScript lines;
  for (const auto* e : json->AsObject()->Entries()) {
    const ISuperObject& v = e->value();
    if (!v || !v->IsType(stFunction)) continue;
    if (ABind) lines.AddF("%s.on(\"%s\",%s);", element, e->name(), v->AsString());
    else lines.AddF("%s.off(\"%s\");", element, e->name());
  }
  return lines.GetJoined();
}

bool TIWZQJQEvents::SupportsSetter(TIWZQJSon* AObject, TZQJSonMember* AMember) {
  return AObject == this && AMember && AMember->MType() == mtJSonFunc;
}

void TIWZQJQEvents::GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) {
  if (!AMembers || !AScript) return;
  const std::string element = GetJQElementID();
  for (int i = 0; i < AMembers->Count(); ++i) {
    TZQJSonMember* m = AMembers->Member(i);
    if (!m || m->MType() != mtJSonFunc || m->List() != &GetClassData()->Members()) continue;
    AScript->Add(Format("%s.off(\"%s\");", element, m->Name()));
    if (ISuperObject fn = Event(m->GetIndex())->GetJSon())
      AScript->Add(Format("%s.on(\"%s\",%s);", element, m->Name(), fn->AsString()));
  }
}

// ---------------------------------------------------------------------------
// TIWZQJQAjaxCookie

void TIWZQJQAjaxCookie::BeforeDestruction() {
  ZQResponseObjectFreed(this);
  TIWZQJSon::BeforeDestruction();
}

std::string TIWZQJQAjaxCookie::GetJsPrefix() { return ZQJQuery + ".cookie"; }

std::string TIWZQJQAjaxCookie::OptionsArg() {
  ISuperObject json = GetJSon();
  if (!json || !json->IsType(stObject) || json->AsObject()->IsEmpty()) return {};
  std::string r = ",";
  r += ZQOptionJSonText(json, false, true, true);
  return r;
}

void TIWZQJQAjaxCookie::SetOptions(int AExpires, const std::string& APath, const std::string& ADomain, bool ASecure,
                                   bool ARaw) {
  SetExpires(AExpires);
  SetPath(APath);
  SetDomain(ADomain);
  SetSecure(ASecure);
  SetRaw(ARaw);
}

std::string TIWZQJQAjaxCookie::JsCreateCookie(const std::string& AName, const std::string& AValue,
                                              bool AValueIsScript) {
  return GetJsPrefix() + Format("(\"%s\",%s", AName, AValueIsScript ? AValue : "\"" + AValue + "\"") + OptionsArg() +
         ")";
}

std::string TIWZQJQAjaxCookie::JsCreateCookieEx(const std::string& AName, const std::string& AValue,
                                                bool AValueIsScript, int AExpires, const std::string& APath,
                                                const std::string& ADomain, bool ASecure, bool ARaw) {
  SetOptions(AExpires, APath, ADomain, ASecure, ARaw);
  return JsCreateCookie(AName, AValue, AValueIsScript);
}

std::string TIWZQJQAjaxCookie::JsReadCookie(const std::string& AName) {
  return GetJsPrefix() + Format("(\"%s\"", AName) + OptionsArg() + ")";
}

std::string TIWZQJQAjaxCookie::JsReadCookieEx(const std::string& AName, const std::string& APath,
                                              const std::string& ADomain, bool ASecure, bool ARaw) {
  SetOptions(0, APath, ADomain, ASecure, ARaw);
  return JsReadCookie(AName);
}

std::string TIWZQJQAjaxCookie::JsRemoveCookie(const std::string& AName) {
  return ZQJQuery + ".removeCookie" + Format("(\"%s\"", AName) + OptionsArg() + ")";
}

std::string TIWZQJQAjaxCookie::JsRemoveCookieEx(const std::string& AName, const std::string& APath,
                                                const std::string& ADomain, bool ASecure, bool ARaw) {
  SetOptions(0, APath, ADomain, ASecure, ARaw);
  return JsRemoveCookie(AName);
}

std::string TIWZQJQAjaxCookie::JsAddCookie(const std::string& AName, const std::string& AValue, bool AValueIsScript,
                                           int AExpires, const std::string& APath, const std::string& ADomain,
                                           bool ASecure, bool ARaw) {
  Owned<TIWZQJSon> tmp(CreateSingle<TIWZQJQAjaxCookie>(nullptr, ""));
  return static_cast<TIWZQJQAjaxCookie*>(tmp.get())
      ->JsCreateCookieEx(AName, AValue, AValueIsScript, AExpires, APath, ADomain, ASecure, ARaw);
}

std::string TIWZQJQAjaxCookie::JsGetCookie(const std::string& AName, const std::string& APath,
                                           const std::string& ADomain, bool ASecure, bool ARaw) {
  Owned<TIWZQJSon> tmp(CreateSingle<TIWZQJQAjaxCookie>(nullptr, ""));
  return static_cast<TIWZQJQAjaxCookie*>(tmp.get())->JsReadCookieEx(AName, APath, ADomain, ASecure, ARaw);
}

std::string TIWZQJQAjaxCookie::JsDeleteCookie(const std::string& AName, const std::string& APath,
                                              const std::string& ADomain, bool ASecure, bool ARaw) {
  Owned<TIWZQJSon> tmp(CreateSingle<TIWZQJQAjaxCookie>(nullptr, ""));
  return static_cast<TIWZQJQAjaxCookie*>(tmp.get())->JsRemoveCookieEx(AName, APath, ADomain, ASecure, ARaw);
}

}  // namespace zq
