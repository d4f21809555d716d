#include "components/intro/intro.h"

#include "events/func.h"
#include "events/jscript.h"
#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "foundation/superobject.h"
#include "framework/links.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_OPTIONS(TIWZQJQIntroEvents) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQIntroOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomIntro) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQIntro) {
  c.Prop("JQIntroOptions", &TIWZQJQIntro::GetJQIntroOptions, &TIWZQJQIntro::SetJQIntroOptions);
}

const std::string& IWZQJQIntroPositionStr(TIWZQJQIntroPosition APos) {
  return ZqEnumJSonTexts(APos)[static_cast<std::size_t>(APos)];
}

namespace {
const char* Br() {
  return ZQJavascriptDebug() ? "\r\n" : "";
}
}  // namespace

// ---------------------------------------------------------------- events and options

std::string TIWZQJQIntroEvents::GetRenderJavascript(const std::string& AIntroObj) {
  std::string r;
  const std::pair<TIWZQJSonFunc*, const char*> handlers[] = {
      {GetOnComplete(), "oncomplete"},
      {GetOnExit(), "onexit"},
      {GetOnChange(), "onchange"},
      {GetOnBeforeChange(), "onbeforechange"},
      {GetOnAfterChange(), "onafterchange"}};
  for (const auto& [func, name] : handlers) {
    const std::string s = func->GetScriptToExecute();
    if (!s.empty()) r += Format("%s.%s(%s);", AIntroObj, name, s) + Br();
  }
  return r;
}

TIWZQJQCustomIntro* TIWZQJQIntroOptions::GetZQIntro() {
  auto* intro = dynamic_cast<TIWZQJQCustomIntro*>(GetOwner());
  if (!intro) throw EInvalidCast("Invalid class typecast");
  return intro;
}

void TIWZQJQIntroOptions::GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers,
                                                     TStringList* AScript) {
  if (!AMembers || !AScript) return;
  TIWZQJQCustomIntro* intro = GetZQIntro();
  bool first = true;
  for (const auto& rec : GetMembersJSon(AMembers, true, true)) {
    if (!rec.JSon) continue;
    // The tour is built first, so the change is never a call on null and is
    // kept by the tour that the next Start shows.
    if (first) AScript->Add(intro->CheckInitJS());
    first = false;
    AScript->Add(Format("%s.setOption(\"%s\",%s);", intro->GetIntroObj(), rec.Name,
                        rec.JSon->AsJSon(false, true, true)));
  }
}

// ---------------------------------------------------------------- steps

void TIWZQJQIntroControlList::Renumber() {
  for (std::size_t i = 0; i < FItems.size(); ++i) FItems[i].Step = static_cast<int>(i);
}

TIWZQJQIntroControl* TIWZQJQIntroControlList::Add() {
  FItems.emplace_back();
  Renumber();
  return &FItems.back();
}

TIWZQJQIntroControl* TIWZQJQIntroControlList::Add(TComponent* AControl,
                                                  const std::string& AIntroText,
                                                  TIWZQJQIntroPosition APosition) {
  TIWZQJQIntroControl* step = ExistsByControl(AControl);
  if (!step) {
    step = Add();
    step->Control = AControl;
  }
  step->IntroText = AIntroText;
  step->Position = APosition;
  return step;
}

TIWZQJQIntroControl* TIWZQJQIntroControlList::Add(const std::string& AElementID,
                                                  const std::string& AIntroText,
                                                  TIWZQJQIntroPosition APosition) {
  TIWZQJQIntroControl* step = ExistsByJQuerySelector(AElementID);
  if (!step) {
    step = Add();
    step->JQuerySelector = AElementID;
  }
  step->IntroText = AIntroText;
  step->Position = APosition;
  return step;
}

TIWZQJQIntroControl* TIWZQJQIntroControlList::ExistsByControl(TComponent* AControl) {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if (it->Control == AControl) return &*it;
  return nullptr;
}

TIWZQJQIntroControl* TIWZQJQIntroControlList::ExistsByJQuerySelector(const std::string& AText) {
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
    if (SameTextAscii(it->JQuerySelector, AText)) return &*it;
  return nullptr;
}

void TIWZQJQIntroControlList::Remove(TComponent* AControl) {
  if (!AControl) return;
  if (TIWZQJQIntroControl* step = ExistsByControl(AControl)) {
    FItems.erase(FItems.begin() + step->Step);
    Renumber();
  }
}

void TIWZQJQIntroControlList::ControlDestroyed(TComponent* AComponent) {
  for (auto& s : FItems)
    if (s.Control == AComponent) s.Control = nullptr;
}

// ---------------------------------------------------------------- tour

TIWZQJQCustomIntro::TIWZQJQCustomIntro(TComponent* AOwner) : TIWZQJQComponent(AOwner) {}
TIWZQJQCustomIntro::~TIWZQJQCustomIntro() = default;

TIWZQJQIntroOptions* TIWZQJQCustomIntro::GetJQIntroOptions() {
  if (!FOptions)
    FOptions.reset(
        TIWZQJSon::CreateSingle(TIWZQJQIntroOptions::StaticClass(), this, "JQIntroOptions"));
  return static_cast<TIWZQJQIntroOptions*>(FOptions.get());
}
void TIWZQJQCustomIntro::SetJQIntroOptions(TIWZQJQIntroOptions* AValue) {
  GetJQIntroOptions()->Assign(AValue);
}

std::string TIWZQJQCustomIntro::GetIntroObj() {
  return Format("%s_IntroObj", GetJQHTMLName());
}

std::string TIWZQJQCustomIntro::CheckInitJS() {
  return Format("if (!%s) { %s_init(); }", GetIntroObj(), GetJQHTMLName());
}

std::string TIWZQJQCustomIntro::jsStart() {
  return CheckInitJS() + Format("%s.start();", GetIntroObj());
}
void TIWZQJQCustomIntro::Start() {
  AddJavaScriptToResponse(jsStart(), true, true);
}

std::string TIWZQJQCustomIntro::jsGoToStep(int AStep) {
  return CheckInitJS() + Format("%s.goToStep(%d);", GetIntroObj(), AStep + 1);
}
void TIWZQJQCustomIntro::GoToStep(int AStep) {
  AddJavaScriptToResponse(jsGoToStep(AStep), true, true);
}

std::string TIWZQJQCustomIntro::jsExit() {
  return Format("if (%s) { %s.exit(); }", GetIntroObj(), GetIntroObj());
}
void TIWZQJQCustomIntro::Exit() {
  AddJavaScriptToResponse(jsExit(), true, true);
}

std::string TIWZQJQCustomIntro::jsRefresh() {
  return Format("if (%s) { %s.refresh(); }", GetIntroObj(), GetIntroObj());
}
void TIWZQJQCustomIntro::Refresh() {
  AddJavaScriptToResponse(jsRefresh(), true, true);
}

void TIWZQJQCustomIntro::AddIntroControl(TComponent* AControl, const std::string& AText) {
  FSteps.Add(AControl, AText, TIWZQJQIntroPosition::jqipBottom);
}
void TIWZQJQCustomIntro::RemoveIntroControl(TComponent* AControl) {
  FSteps.Remove(AControl);
}

void TIWZQJQCustomIntro::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(ZQMinFile("intro/intro.js", "intro/intro.min.js"));
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomIntro::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWZQJQComponent::RenderHTML(AContext);
  ZQAddLinkFile(AContext, ZQJsUrlBase, ZQMinFile("intro/introjs.css", "intro/introjs.min.css"),
                HasState(csDesigning));
  return tag;
}

std::string TIWZQJQCustomIntro::GetRenderScript() {
  const std::string obj = GetIntroObj();
  std::string r = TIWZQJQComponent::GetRenderScript();
  r += Format("var %s = null;", obj) + Br();
  r += Format("function %s_init(){", GetJQHTMLName()) + Br();
  r += Format("%s = introJs();", obj) + Br();
  ISuperObject options = GetJQIntroOptions()->GetJSon();
  if (!options) options = SO();
  if (FSteps.Count() > 0) {
    ISuperObject steps = TSuperObject::Create(stArray);
    for (int i = 0; i < FSteps.Count(); ++i) {
      TIWZQJQIntroControl* s = FSteps.Items(i);
      const std::string id = s->Control ? ZQGetCtrlHTMLName(s->Control) : s->JQuerySelector;
      ISuperObject o = SO();
      // A selector, which the plug-in looks up on every start: the host
      // replaces a control's element when it re-renders it, so an element
      // found once, when the tour was built, would be a stale one later.
      if (!id.empty()) o->PutS("element", "#" + id);
      o->PutS("intro", s->IntroText);
      if (s->Position != TIWZQJQIntroPosition::jqipBottom)
        o->PutS("position", IWZQJQIntroPositionStr(s->Position));
      steps->AsArray()->Add(o);
    }
    options->PutO("steps", steps);
  }
  r += Format("%s.setOptions(%s);", obj, options->AsJSon(ZQJSonIdent(), true, false)) + Br();
  r += GetJQIntroOptions()->GetEvents()->GetRenderJavascript(obj);
  r += "}";
  return r;
}

void TIWZQJQCustomIntro::Notification(TComponent* AComponent, TOperation Operation) {
  TIWZQJQComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && !HasState(csDestroying) && FSteps.Count() > 0)
    FSteps.ControlDestroyed(AComponent);
}

}  // namespace zq
