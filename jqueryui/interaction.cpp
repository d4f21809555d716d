#include "jqueryui/interaction.h"

#include "events/response.h"
#include "foundation/format.h"
#include "foundation/stringlist.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQCursorAt) {
  ZQ_ROWS_PROPS(TIWZQJQCursorAt, ZQ_CURSORAT_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQInteractionOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQDragOptions) {
  ZQ_ROWS_PROPS(TIWZQJQDragOptions, ZQ_DRAG_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQDropOptions) {
  ZQ_ROWS_PROPS(TIWZQJQDropOptions, ZQ_DROP_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQResizeOptions) {
  ZQ_ROWS_PROPS(TIWZQJQResizeOptions, ZQ_RESIZE_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQPositionOptions) {
  ZQ_ROWS_PROPS(TIWZQJQPositionOptions, ZQ_POSITION_ROWS);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQValidateErrorPosOptions) {
  c.Prop("My", kMy, &TIWZQJSon::GetEnumerAs<TIWZQJQPositionOptionsPos>,
         &TIWZQJSon::SetEnumerAs<TIWZQJQPositionOptionsPos>)
      .Stored(&TIWZQJQValidateErrorPosOptions::IsMyStored);
  c.Prop("At", kAt, &TIWZQJSon::GetEnumerAs<TIWZQJQPositionOptionsPos>,
         &TIWZQJSon::SetEnumerAs<TIWZQJQPositionOptionsPos>)
      .Stored(&TIWZQJQValidateErrorPosOptions::IsAtStored);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQSortableOptions) {
  ZQ_ROWS_PROPS(TIWZQJQSortableOptions, ZQ_SORTABLE_ROWS);
}

namespace {

// The fixed script of a "stop" event: the two values into the hidden input.
std::string SaveValuesScript(const char* AValues, const std::string& AHTMLName,
                             const char* ASuffix) {
  if (AHTMLName.empty()) return {};  // no container: no input to fill
  std::string s = Format("var myarr = []; myarr.push(%s);", AValues);
  if (ZQJavascriptDebug()) s += "\r\n";
  return s + Format("ZQSetHiddenInputVal(\"%s\",myarr);", AHTMLName + ASuffix);
}

// Whether AFunc is the event function of the member named AName of AOwner.
bool IsMemberFunc(TIWZQJSon* AOwner, TObject* AFunc, const char* AName) {
  auto* f = dynamic_cast<TIWZQJSonFunc*>(AFunc);
  return f && f->Member() && f->GetOwner() == AOwner && f->Member()->Name() == AName;
}

}  // namespace

// ---------------------------------------------------------------- cursor-at

void TIWZQJQCursorAt::AddMembers() {
  TIWZQJQOptionSet::AddMembers();
  ZQ_ROWS_ADD(ZQ_CURSORAT_ROWS)
}

// ---------------------------------------------------------------- base

std::string TIWZQJQInteractionOptions::GetHTMLName() {
  IIWZQJSContainer* c = GetZQJSContainer();
  return c ? c->GetJQHTMLName() : std::string();
}

// ---------------------------------------------------------------- draggable

void TIWZQJQDragOptions::AddMembers() {
  TIWZQJQInteractionOptions::AddMembers();
  ZQ_ROWS_ADD(ZQ_DRAG_ROWS)
}

void TIWZQJQDragOptions::SetDisabled(bool AValue) {
  if (auto* owner = dynamic_cast<IIWZQJQInteractionOwner*>(GetOwner()))
    owner->ChangeZIndex(AValue ? -1 : 1);
  SetBooleanValue(kDisabled, AValue);
}

std::string TIWZQJQDragOptions::GetFixedScript(TObject* AFunc, bool& AFlag) {
  AFlag = true;  // first: the input holds the value before any callback of the handler
  // Only while the interaction is on, so that a disabled object writes "{}".
  if (GetDisabled() || !SavePosition() || !IsMemberFunc(this, AFunc, "stop")) return {};
  return SaveValuesScript("ui.position.left,ui.position.top", GetHTMLName(), "_POS");
}

bool TIWZQJQDragOptions::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (TIWZQJQInteractionOptions::GetCustomJq(APropName, AJSon)) return true;
  if (APropName != "Helper" || !IsFuncStored(kHelperFunc)) return false;
  const std::string script = GetHelperFunc()->GetScriptToExecute();
  if (script.empty()) return false;
  AJSon->AsObject()->PutO("helper", TSuperObject::Create(script, true));
  return true;
}

// ---------------------------------------------------------------- droppable

void TIWZQJQDropOptions::AddMembers() {
  TIWZQJQInteractionOptions::AddMembers();
  ZQ_ROWS_ADD(ZQ_DROP_ROWS)
}

bool TIWZQJQDropOptions::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (TIWZQJQInteractionOptions::GetCustomJq(APropName, AJSon)) return true;
  const char* name = nullptr;
  if (APropName == "ActiveClass" && !IsStringStored(kActiveClass))
    name = "activeClass";
  else if (APropName == "HoverClass" && !IsStringStored(kHoverClass))
    name = "hoverClass";
  if (!name) return false;
  AJSon->AsObject()->PutO(name, TSuperObject::Create("ui-state-hover"));
  return true;
}

// ---------------------------------------------------------------- resizable

void TIWZQJQResizeOptions::AddMembers() {
  TIWZQJQInteractionOptions::AddMembers();
  ZQ_ROWS_ADD(ZQ_RESIZE_ROWS)
}

void TIWZQJQResizeOptions::SetDisabled(bool AValue) {
  SetBooleanValue(kDisabled, AValue);
}

std::string TIWZQJQResizeOptions::GetFixedScript(TObject* AFunc, bool& AFlag) {
  AFlag = true;
  if (GetDisabled() || !SaveSize() || !IsMemberFunc(this, AFunc, "stop")) return {};
  return SaveValuesScript("ui.size.width,ui.size.height", GetHTMLName(), "_SIZE");
}

// ---------------------------------------------------------------- position

void TIWZQJQPositionOptions::AddMembers() {
  TIWZQJQInteractionOptions::AddMembers();
  ZQ_ROWS_ADD(ZQ_POSITION_ROWS)
}

void TIWZQJQPositionOptions::SetEnable(bool AValue) {
  SetEnableValue(AValue);
}

void TIWZQJQValidateErrorPosOptions::Initialize() {
  TIWZQJQPositionOptions::Initialize();
  SetAt(jqpoRightTop);
  SetMy(jqpoLeftTop);
}

ISuperObject TIWZQJQValidateErrorPosOptions::GetJSon() {
  if (!GetEnable()) return SO();
  return GetJSonEx(true, true, nullptr, false);
}

// ---------------------------------------------------------------- sortable

void TIWZQJQSortableOptions::AddMembers() {
  TIWZQJQInteractionOptions::AddMembers();
  ZQ_ROWS_ADD(ZQ_SORTABLE_ROWS)
}

void TIWZQJQSortableOptions::Initialize() {
  TIWZQJQInteractionOptions::Initialize();
}

std::string TIWZQJQSortableOptions::Command(const char* AName) {
  IIWZQJSContainer* c = GetZQJSContainer();
  return (c ? c->GetIDJQuery() : std::string()) + GetJsPrefix() + Format("(\"%s\")", AName);
}

void TIWZQJQSortableOptions::Send(const std::string& AScript) {
  if (IIWZQJSContainer* c = GetZQJSContainer()) c->AddJavaScriptToResponse(AScript, true, true);
}

bool TIWZQJQSortableOptions::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (TIWZQJQInteractionOptions::GetCustomJq(APropName, AJSon)) return true;
  if (APropName != "Disabled") return false;
  if (GetDisabled()) AJSon->AsObject()->PutO("disabled", TSuperObject::Create(true));
  return true;
}

bool TIWZQJQSortableOptions::SupportsSetter(TIWZQJSon*, TZQJSonMember*) {
  return true;
}

void TIWZQJQSortableOptions::GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers,
                                                        TStringList* AScript) {
  if (!AMembers || !AScript) return;
  IIWZQJSContainer* c = GetZQJSContainer();
  const int first = AScript->Count();
  // The literal leaves "disabled" out when it is false; a change back to
  // enabled must still reach the widget. (Asked first: the writer below
  // takes the members it handles off the list.)
  TZQJSonMember* disabled = GetClassData()->Members().Items(kDisabled);
  const bool enabledAgain = AMembers->HasMember(disabled) && !GetDisabled();
  for (const TIWZQMemberResponseRec& r : GetMembersJSon(AMembers, true, true)) {
    AScript->Add(Format("ui%s(\"option\",\"%s\",%s);", GetJsPrefix(), r.Name,
                        ZQOptionJSonText(r.JSon, false, JSonEscape(), JSonNameQuote())));
  }
  if (enabledAgain)
    AScript->Add(Format("ui%s(\"option\",\"%s\",false);", GetJsPrefix(), disabled->Name()));
  if (AScript->Count() > first)
    AScript->Insert(first, Format("var ui=%s;", c ? c->GetIDJQuery() : std::string()));
}

}  // namespace zq
