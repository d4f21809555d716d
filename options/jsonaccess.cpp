// Option objects: the typed accessor families and the recording of changes
// made during a callback; resetting and copying.
#include "options/jsonobj.h"

#include <string>

#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "options/jsonlist.h"
#include "options/jsonobj_impl.h"

namespace zq {

using namespace jsonobj_impl;

namespace {
// Whether a member of kind `actual` is of the accessor family `family` or
// derived from it (the member class tree of jsonmember.h).
bool FamilyAccepts(TZQJSonMemberType family, TZQJSonMemberType actual) {
  if (family == actual) return true;
  if (family == mtString) return actual == mtJSon || actual == mtColor;
  if (family == mtJSonObj) return actual >= mtJSonObjList && actual <= mtJSonFunc;
  return false;
}
}  // namespace

template <class M>
M* TIWZQJSon::MemberAs(int AIndex, TZQJSonMemberType AKind) {
  TZQJSonClassData* cd = FClassData;
  TZQJSonMember* m = cd && AIndex >= 0 && AIndex < static_cast<int>(cd->FMembers.size())
                         ? cd->FMembers[static_cast<std::size_t>(AIndex)]
                         : CheckJSonMember(AIndex);
  if (!FamilyAccepts(AKind, m->MType()))
    throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  return static_cast<M*>(m);
}

// ---------------------------------------------------------------------------
// Changes during a callback

TIWZQJSon* TIWZQJSon::GetMemberSetterHandler(TIWZQJSon* AObject, TZQJSonMember* AMember) {
  if (SupportsSetter(AObject, AMember)) return this;
  for (TPersistent* o = GetOwner(); o; o = o->GetOwner()) {
    if (auto* j = dynamic_cast<TIWZQJSon*>(o)) {
      if (j->SupportsSetter(AObject, AMember)) return j;
    } else if (dynamic_cast<IIWZQJSContainer*>(o)) {
      return nullptr;
    }
  }
  return nullptr;
}

bool TIWZQJSon::AddMemberToAjaxResponse(TZQJSonMember* AMember) {
  if (FDestroying) return false;
  TIWZQJSon* handler = GetMemberSetterHandler(this, AMember);
  if (!handler) return false;
  if (auto* c = GetZQJSContainer()) c->AddMemberToAjaxResponse(handler, AMember);
  return true;
}

void TIWZQJSon::AfterScalarSet(TZQJSonMember* M, bool AChanged) {
  IIWZQJSContainer* c = GetZQJSContainer();
  if (!c) return;
  if (AChanged) c->DesignTimeRefresh();
  if (M->GenerateJSon() && c->GetGenerateAjaxResponse(M)) AddMemberToAjaxResponse(M);
}

// ---------------------------------------------------------------------------
// Scalar accessors

namespace {
// Files a scalar member's new value: nothing when it did not change,
// removed when it equals the default, else the node `make` gives.
template <class MakeNode>
void FileScalar(TSuperTableString* tab, const TZQJSonMember* m, bool changed, bool isDefault,
                MakeNode&& make) {
  if (!changed) return;
  if (isDefault)
    tab->Delete(m->Name());
  else
    tab->PutO(m->Name(), m->NameHash(), make());
}
}  // namespace

ISuperObject TIWZQJSon::Node(const TZQJSonMember* M) const {
  return FSObj->AsObject()->GetO(M->Name(), M->NameHash());
}

std::string TIWZQJSon::GetStringValue(int AIndex) {
  auto* m = MemberAs<TZQJSonStringMember>(AIndex, mtString);
  if (m->MType() == mtJSon) return GetJSonValue(AIndex);
  ISuperObject n = Node(m);
  return n ? n->AsString() : m->FDefVal;
}

void TIWZQJSon::SetStringValue(int AIndex, const std::string& AValue) {
  auto* m = MemberAs<TZQJSonStringMember>(AIndex, mtString);
  if (m->MType() == mtJSon) return SetJSonValue(AIndex, AValue);
  bool changed = GetStringValue(AIndex) != AValue;
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal,
             [&] { return TSuperObject::Create(AValue); });
  AfterScalarSet(m, changed);
}

bool TIWZQJSon::IsStringStored(int AIndex) {
  auto* m = MemberAs<TZQJSonStringMember>(AIndex, mtString);
  if (m->MType() == mtJSon) return IsJSonStored(AIndex);
  return GetStringValue(AIndex) != m->FDefVal;
}

std::string TIWZQJSon::GetColorValue(int AIndex) {
  MemberAs<TZQJSonColorMember>(AIndex, mtColor);
  return GetStringValue(AIndex);
}
void TIWZQJSon::SetColorValue(int AIndex, const std::string& AValue) {
  MemberAs<TZQJSonColorMember>(AIndex, mtColor);
  SetStringValue(AIndex, AValue);
}
bool TIWZQJSon::IsColorStored(int AIndex) {
  MemberAs<TZQJSonColorMember>(AIndex, mtColor);
  return IsStringStored(AIndex);
}

std::string TIWZQJSon::GetJSonValue(int AIndex) {
  auto* m = MemberAs<TZQJSonJSonMember>(AIndex, mtJSon);
  auto* tab = FSObj->AsObject();
  if (!tab->Exists(m->Name(), m->NameHash())) return m->FDefVal;
  ISuperObject n = tab->GetO(m->Name(), m->NameHash());
  return n ? n->AsJSon(JSonIdent(), JSonEscape(), JSonNameQuote()) : std::string("null");
}

void TIWZQJSon::SetJSonValue(int AIndex, const std::string& AValue) {
  auto* m = MemberAs<TZQJSonJSonMember>(AIndex, mtJSon);
  bool changed = GetJSonValue(AIndex) != AValue;
  // Text that does not parse files no node (null).
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal, [&] { return SO(AValue); });
  AfterScalarSet(m, changed);
}

bool TIWZQJSon::IsJSonStored(int AIndex) {
  auto* m = MemberAs<TZQJSonJSonMember>(AIndex, mtJSon);
  auto* tab = FSObj->AsObject();
  if (!tab->Exists(m->Name(), m->NameHash())) return false;
  ISuperObject n = tab->GetO(m->Name(), m->NameHash());
  return (n ? n->AsString() : std::string("null")) != m->FDefVal;
}

bool TIWZQJSon::GetBooleanValue(int AIndex) {
  auto* m = MemberAs<TZQJSonBooleanMember>(AIndex, mtBoolean);
  ISuperObject n = Node(m);
  return n ? n->AsBoolean() : m->FDefVal;
}
void TIWZQJSon::SetBooleanValue(int AIndex, bool AValue) {
  auto* m = MemberAs<TZQJSonBooleanMember>(AIndex, mtBoolean);
  bool changed = GetBooleanValue(AIndex) != AValue;
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal,
             [&] { return TSuperObject::Create(AValue); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsBooleanStored(int AIndex) {
  return GetBooleanValue(AIndex) != MemberAs<TZQJSonBooleanMember>(AIndex, mtBoolean)->FDefVal;
}

std::int32_t TIWZQJSon::GetIntegerValue(int AIndex) {
  auto* m = MemberAs<TZQJSonIntegerMember>(AIndex, mtInteger);
  ISuperObject n = Node(m);
  return n ? static_cast<std::int32_t>(static_cast<std::uint32_t>(n->AsInteger())) : m->FDefVal;
}
void TIWZQJSon::SetIntegerValue(int AIndex, std::int32_t AValue) {
  auto* m = MemberAs<TZQJSonIntegerMember>(AIndex, mtInteger);
  bool changed = GetIntegerValue(AIndex) != AValue;
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal,
             [&] { return TSuperObject::Create(static_cast<long>(AValue)); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsIntegerStored(int AIndex) {
  return GetIntegerValue(AIndex) != MemberAs<TZQJSonIntegerMember>(AIndex, mtInteger)->FDefVal;
}

int TIWZQJSon::GetEnumerValue(int AIndex) {
  auto* m = MemberAs<TZQJSonEnumMember>(AIndex, mtEnum);
  ISuperObject n = Node(m);
  if (!n) return m->FDefVal;
  int i = m->IndexOf(n->AsString());
  return i < 0 ? m->FDefVal : i;
}
void TIWZQJSon::SetEnumerValue(int AIndex, int AValue) {
  auto* m = MemberAs<TZQJSonEnumMember>(AIndex, mtEnum);
  const std::string* text = m->TextOf(AValue);
  if (!text) return;  // outside the table: nothing to write
  bool changed = GetEnumerValue(AIndex) != AValue;
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal,
             [&] { return TSuperObject::Create(*text); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsEnumerStored(int AIndex) {
  return GetEnumerValue(AIndex) != MemberAs<TZQJSonEnumMember>(AIndex, mtEnum)->FDefVal;
}

double TIWZQJSon::GetDoubleValue(int AIndex) {
  auto* m = MemberAs<TZQJSonDoubleMember>(AIndex, mtDouble);
  ISuperObject n = Node(m);
  return n ? n->AsDouble() : m->FDefVal;
}
void TIWZQJSon::SetDoubleValue(int AIndex, double AValue) {
  auto* m = MemberAs<TZQJSonDoubleMember>(AIndex, mtDouble);
  bool changed = !SameNumber(GetDoubleValue(AIndex), AValue);
  FileScalar(FSObj->AsObject(), m, changed, SameNumber(AValue, m->FDefVal),
             [&] { return TSuperObject::Create(AValue); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsDoubleStored(int AIndex) {
  return !SameNumber(GetDoubleValue(AIndex),
                     MemberAs<TZQJSonDoubleMember>(AIndex, mtDouble)->FDefVal);
}

Currency TIWZQJSon::GetCurrencyValue(int AIndex) {
  auto* m = MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency);
  ISuperObject n = Node(m);
  return n ? n->AsCurrency() : m->FDefVal;
}
void TIWZQJSon::SetCurrencyValue(int AIndex, Currency AValue) {
  auto* m = MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency);
  bool changed = !(GetCurrencyValue(AIndex) == AValue);
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal,
             [&] { return TSuperObject::CreateCurrency(AValue); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsCurrencyStored(int AIndex) {
  return !(GetCurrencyValue(AIndex) ==
           MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency)->FDefVal);
}

Variant TIWZQJSon::GetVariantValue(int AIndex) {
  auto* m = MemberAs<TZQJSonVariantMember>(AIndex, mtVariant);
  auto* tab = FSObj->AsObject();
  if (!tab->Exists(m->Name(), m->NameHash())) return m->FDefVal;
  ISuperObject n = tab->GetO(m->Name(), m->NameHash());
  if (!n) return Variant(VarNull);
  switch (n->GetDataType()) {
    case stNull:
      return Variant(VarNull);
    case stBoolean:
      return Variant(n->AsBoolean());
    case stDouble:
      return Variant(n->AsDouble());
    case stCurrency:
      return Variant(n->AsCurrency());
    case stInt:
      return Variant(static_cast<long long>(n->AsInteger()));
    default:
      return Variant(n->AsString());
  }
}
void TIWZQJSon::SetVariantValue(int AIndex, const Variant& AValue) {
  auto* m = MemberAs<TZQJSonVariantMember>(AIndex, mtVariant);
  bool changed = !SameVariant(GetVariantValue(AIndex), AValue);
  if (changed) {
    auto* tab = FSObj->AsObject();
    if (SameVariant(AValue, m->FDefVal))
      tab->Delete(m->Name());
    else if (AValue.IsBool())
      tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToBool()));
    else if (AValue.IsOrdinal())
      tab->PutO(m->Name(), m->NameHash(),
                TSuperObject::Create(static_cast<long>(AValue.ToInt64())));
    else if (AValue.IsFloat())
      tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToDouble()));
    else
      tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToString()));
  }
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsVariantStored(int AIndex) {
  return !SameVariant(GetVariantValue(AIndex),
                      MemberAs<TZQJSonVariantMember>(AIndex, mtVariant)->FDefVal);
}

TZQByteArray TIWZQJSon::GetEnumSetValue(int AIndex) {
  auto* m = MemberAs<TZQJSonEnumSetMember>(AIndex, mtEnumSet);
  ISuperObject n = Node(m);
  return n ? m->JSonToSet(n) : m->FDefBuf;
}
void TIWZQJSon::SetEnumSetValue(int AIndex, const TZQByteArray& AValue) {
  auto* m = MemberAs<TZQJSonEnumSetMember>(AIndex, mtEnumSet);
  TZQByteArray v = m->Normalize(AValue);
  bool changed = GetEnumSetValue(AIndex) != v;
  FileScalar(FSObj->AsObject(), m, changed, v == m->FDefBuf, [&] { return m->SetToJSon(v); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsEnumSetStored(int AIndex) {
  return GetEnumSetValue(AIndex) != MemberAs<TZQJSonEnumSetMember>(AIndex, mtEnumSet)->FDefBuf;
}

bool TIWZQJSon::IsObjStored(int AIndex) {
  TZQJSonMember* m = CheckJSonMember(AIndex);
  if (!IsObjectKind(m->MType()))
    throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  auto* slot = FInstList[static_cast<std::size_t>(AIndex)].get();
  if (!slot || !slot->Obj()) return false;
  return !slot->FJSon || slot->FJSon->GetIsStored();
}

bool TIWZQJSon::IsFuncStored(int AIndex) {
  MemberAs<TZQJSonFuncMember>(AIndex, mtJSonFunc);
  return IsObjStored(AIndex);
}

// ---------------------------------------------------------------------------
// Reset and copy

void TIWZQJSon::ResetProps() {
  TZQJSonClassData* cd = GetClassData();
  for (const PropInfo* P : cd->PropList()) {
    TZQJSonMember* M = cd->MemberOfProp(P);
    if (!M || !StoreProperty(P)) continue;
    const int i = M->Position();
    switch (M->MType()) {
      case mtString:
      case mtColor:
        SetStringValue(i, static_cast<TZQJSonStringMember*>(M)->FDefVal);
        break;
      case mtJSon:
        SetJSonValue(i, static_cast<TZQJSonJSonMember*>(M)->FDefVal);
        break;
      case mtBoolean:
        SetBooleanValue(i, static_cast<TZQJSonBooleanMember*>(M)->FDefVal);
        break;
      case mtInteger:
        SetIntegerValue(i, static_cast<TZQJSonIntegerMember*>(M)->FDefVal);
        break;
      case mtEnum:
        SetEnumerValue(i, static_cast<TZQJSonEnumMember*>(M)->FDefVal);
        break;
      case mtDouble:
        SetDoubleValue(i, static_cast<TZQJSonDoubleMember*>(M)->FDefVal);
        break;
      case mtCurrency:
        SetCurrencyValue(i, static_cast<TZQJSonCurrencyMember*>(M)->FDefVal);
        break;
      case mtVariant:
        SetVariantValue(i, static_cast<TZQJSonVariantMember*>(M)->FDefVal);
        break;
      case mtEnumSet:
        SetEnumSetValue(i, static_cast<TZQJSonEnumSetMember*>(M)->FDefBuf);
        break;
      case mtJSonObj:
      case mtJSonObjList:
      case mtJSonSimpleArray:
      case mtJSonDynObjList:
      case mtJSonFunc: {
        auto* slot = FInstList[static_cast<std::size_t>(i)].get();
        if (slot && slot->Obj())
          if (auto* j = dynamic_cast<IIWZQJSon*>(slot->Obj())) j->ResetProps();
        break;
      }
      default:
        throw EIWZQJQuery(Format(
            "PropKind \"%s\" not supported in \"%s.SetDefaultPropJSonObj\" for property \"%s\"!",
            PropKindName(P->Kind), ClassName(), P->Name));
    }
  }
}

void TIWZQJSon::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TIWZQJSon*>(Source);
  if (!src) return TZQIndexedCollectionItem::Assign(Source);
  if (src == this) return;
  auto* s = const_cast<TIWZQJSon*>(src);
  TZQJSonClassData* cd = GetClassData();
  TZQJSonClassData* scd = s->GetClassData();
  for (const PropInfo* P : cd->PropList()) {
    if (!P->IsWritable()) continue;
    const PropInfo* SP = &s->ClassType() == &ClassType() ? P : s->ClassType().FindProperty(P->Name);
    if (!SP || SP->Kind != P->Kind || *SP->ValueType != *P->ValueType) continue;
    TZQJSonMember* M = cd->MemberOfProp(P);
    TZQJSonMember* SM = scd->MemberOfProp(SP);
    if (M && SM && IsObjectKind(M->MType()) && M->MType() == SM->MType()) {
      // Sub-objects: copy into our own; an absent source object is at its defaults.
      auto* sslot = s->FInstList[static_cast<std::size_t>(SM->Position())].get();
      if (sslot && sslot->Obj()) {
        SubObject(M->Position(), M->MType() == mtJSonObj ? mtJSonObj : M->MType())
            ->Assign(sslot->Obj());
      } else {
        auto* slot = FInstList[static_cast<std::size_t>(M->Position())].get();
        if (slot && slot->Obj())
          if (auto* j = dynamic_cast<IIWZQJSon*>(slot->Obj())) j->ResetProps();
      }
      continue;
    }
    if (!P->Copy) continue;
    if (SP == P) {
      P->CopyValue(s, this);
      continue;
    }
    // A property of the same name and kind in another option class.
    switch (P->Kind) {
      case PropKind::Float:
        SetFloatProp(this, *P, GetFloatProp(s, *SP));
        break;
      case PropKind::Text:
        SetStrProp(this, *P, GetStrProp(s, *SP));
        break;
      case PropKind::Integer:
      case PropKind::Int64:
      case PropKind::Boolean:
      case PropKind::Enumeration:
      case PropKind::Set:
        SetOrdProp(this, *P, GetOrdProp(s, *SP));
        break;
      case PropKind::Variant:
        SetPropAs<Variant>(this, *P, GetPropAs<Variant>(s, *SP));
        break;
      default:
        break;
    }
  }
  for (const PropInfo* E : ClassType().Events())
    if (E->IsWritable() && &s->ClassType() == &ClassType()) E->CopyValue(s, this);
}

}  // namespace zq
