// Option objects: writing the option literal, the values of recorded members
// for setter script, HTML5 "data-" attributes and the literal's text.
#include "options/jsonobj.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "foundation/asciicase.h"
#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "foundation/html.h"
#include "options/jsonlist.h"
#include "options/jsonobj_impl.h"

namespace zq {

using namespace jsonobj_impl;

// ---------------------------------------------------------------------------
// Writing the option literal

bool TIWZQJSon::IsEventFunctionProp(const PropInfo* P, const TZQJSonMember* M) const {
  if (M) return M->MType() == mtJSonFunc;
  const ClassInfo* base = ZQEventFunctionBaseClass();
  return base && P->Kind == PropKind::Object && P->ObjectClass() &&
         P->ObjectClass()->InheritsFrom(*base);
}

bool TIWZQJSon::ObjectPropMayHoldMembers(const PropInfo* P) const {
  if (P->Kind != PropKind::Object || !P->ObjectClass()) return false;
  const ClassInfo* c = P->ObjectClass();
  return c->InheritsFrom(TIWZQJSon::StaticClass()) || c->InheritsFrom(TIWZQJSonList::StaticClass());
}

namespace {
// The general stored test: the stored rule, and for "always" a value that is not empty.
bool StoredValue(TObject* obj, const PropInfo* P, int depth);

bool ObjectNotEmpty(TObject* o, int depth) {
  if (!o) return false;
  if (auto* c = dynamic_cast<TCollection*>(o)) return c->Count() > 0;
  if (auto* s = dynamic_cast<TStringList*>(o)) return s->Count() > 0;
  if (dynamic_cast<TPersistent*>(o)) {
    if (depth > 16) return true;
    for (const PropInfo* p : o->ClassType().Properties())
      if (StoredValue(o, p, depth + 1)) return true;
    return false;
  }
  return true;
}

bool StoredValue(TObject* obj, const PropInfo* P, int depth) {
  if (P->Stored == StoredRule::Never) return false;
  if (P->Stored == StoredRule::Predicate) return P->StoredFn(obj, P->Index);
  switch (P->Kind) {
    case PropKind::Integer:
    case PropKind::Int64:
    case PropKind::Boolean:
    case PropKind::Enumeration:
    case PropKind::Set:
      return GetOrdProp(obj, *P) != 0;
    case PropKind::Float:
      return GetFloatProp(obj, *P) != 0;
    case PropKind::Text:
      return !GetStrProp(obj, *P).empty();
    case PropKind::Object:
      return ObjectNotEmpty(GetObjectProp(obj, *P), depth);
    case PropKind::Variant:
      return !GetPropAs<Variant>(obj, *P).IsEmpty();
    default:
      return true;
  }
}
}  // namespace

bool TIWZQJSon::StoreProperty(const PropInfo* P) {
  return StoredValue(this, P, 0);
}

void TIWZQJSon::Bookkeep(TEachPropJsonRec& Rec, TZQJSonMember* M) {
  if (Rec.Members && M && Rec.Members->HasMember(M)) {
    ++Rec.Members->Processed;
    if (!Rec.OnlyCount) Rec.Members->RemoveMember(M);
  }
}

ISuperObject TIWZQJSon::PropValue(const PropInfo* P, TZQJSonMember* M, bool AForce,
                                  TEachPropJsonRec& Rec, bool& ANoObject) {
  ANoObject = false;
  if (!AForce && !StoreProperty(P)) return nullptr;
  TZQJSonMemberType mt = M ? M->MType() : mtNone;
  // Sub-objects: only those that exist are written.
  if (IsObjectKind(mt) || (!M && P->Kind == PropKind::Object)) {
    IIWZQJSon* j = nullptr;
    if (M) {
      auto* slot = FInstList[static_cast<std::size_t>(M->Position())].get();
      if (!slot || !slot->Obj()) {
        ANoObject = true;
        return nullptr;
      }
      j = slot->FJSon;
    } else {
      auto* o = dynamic_cast<TPersistent*>(GetObjectProp(this, *P));
      if (!o) {
        ANoObject = true;
        return nullptr;
      }
      j = dynamic_cast<IIWZQJSon*>(o);
    }
    if (!j) return nullptr;
    ISuperObject v = j->GetJSonEx(Rec.AllProps, AForce, Rec.Members, Rec.OnlyCount);
    if (!AForce && v && v->IsType(stObject) && v->AsObject()->IsEmpty()) return nullptr;
    return v;
  }
  if (Rec.OnlyCount) return nullptr;
  if (M && !AForce) {
    auto* tab = FSObj->AsObject();
    if (ISuperObject n = tab->GetO(M->Name(), M->NameHash())) return n;
    if (!tab->IsEmpty() && tab->Exists(M->Name(), M->NameHash()))
      return TSuperObject::Create(stNull);  // a name without node
  }
  const int idx = M ? M->Position() : 0;
  switch (mt) {
    case mtString:
    case mtColor:
      return TSuperObject::Create(GetStringValue(idx));
    case mtJSon:
      return TSuperObject::Create(GetJSonValue(idx));
    case mtBoolean:
      return TSuperObject::Create(GetBooleanValue(idx));
    case mtInteger:
      return TSuperObject::Create(static_cast<long>(GetIntegerValue(idx)));
    case mtDouble:
      return TSuperObject::Create(GetDoubleValue(idx));
    case mtCurrency:
      return TSuperObject::CreateCurrency(GetCurrencyValue(idx));
    case mtVariant: {
      Variant v = GetVariantValue(idx);
      return v.IsEmpty() ? TSuperObject::Create(stNull) : SO(v);
    }
    case mtEnum: {
      const std::string* t = static_cast<TZQJSonEnumMember*>(M)->TextOf(GetEnumerValue(idx));
      return t ? TSuperObject::Create(*t) : nullptr;
    }
    case mtEnumSet:
      return static_cast<TZQJSonEnumSetMember*>(M)->SetToJSon(GetEnumSetValue(idx));
    default:
      break;
  }
  // A property without member.
  switch (P->Kind) {
    case PropKind::Integer:
    case PropKind::Int64:
      return TSuperObject::Create(static_cast<long>(GetOrdProp(this, *P)));
    case PropKind::Boolean:
      return TSuperObject::Create(GetOrdProp(this, *P) != 0);
    case PropKind::Enumeration: {
      std::string text = ConvertEnumToString(P->Name);
      if (text.empty())
        throw EIWZQJQuery(
            Format("EnumConversion undefined in \"%s.ConvertEnumToString\" for property \"%s\"!",
                   ClassName(), P->Name));
      return TSuperObject::Create(text);
    }
    case PropKind::Float:
      return TSuperObject::Create(GetFloatProp(this, *P));
    case PropKind::Text:
      return TSuperObject::Create(GetStrProp(this, *P));
    case PropKind::Set: {
      std::vector<std::string> texts;
      if (!ConvertSetToString(P->Name, texts))
        throw EIWZQJQuery(
            Format("SetConversion undefined in \"%s.ConvertSetToString\" for property \"%s\"!",
                   ClassName(), P->Name));
      ISuperObject arr = TSuperObject::Create(stArray);
      for (const std::string& t : texts) arr->AsArray()->Add(SO(t));
      return arr;
    }
    case PropKind::Variant:
      return SO(GetPropAs<Variant>(this, *P));
    default:
      throw EIWZQJQuery(Format("PropKind \"%s\" not supported in \"%s.GetJq\" for property \"%s\"!",
                               PropKindName(P->Kind), ClassName(), P->Name));
  }
}

// The value of a property whose stored rule is its member's own, not forced:
// one document lookup decides whether the value differs from the default and
// is the value written. Sub-objects are written when they exist and store
// something.
ISuperObject TIWZQJSon::RowValue(const TZQJSonWriteStep& S, TEachPropJsonRec& Rec) {
  TZQJSonMember* M = S.Member;
  const TZQJSonMemberType mt = M->MType();
  if (IsObjectKind(mt)) {
    TIWZQJSonInstObjItem* slot = FInstList[static_cast<std::size_t>(M->Position())].get();
    if (!slot || !slot->Obj() || !slot->FJSon || !slot->FJSon->GetIsStored()) return nullptr;
    ISuperObject v = slot->FJSon->GetJSonEx(Rec.AllProps, false, Rec.Members, Rec.OnlyCount);
    if (v && v->IsType(stObject) && v->AsObject()->IsEmpty()) return nullptr;
    return v;
  }
  if (Rec.OnlyCount) return nullptr;
  if (mt == mtJSon || mt == mtVariant) {  // these read a name without node as a value of its own
    bool noObject = false;
    return PropValue(S.Prop, M, false, Rec, noObject);
  }
  return ISuperObject::Share(StoredNode(S));
}

namespace {
// Whether a scalar member's document node holds a value other than the
// member's default (the member's own stored rule).
bool NodeDiffers(TZQJSonMember* M, TSuperObject* n) {
  bool stored;
  switch (M->MType()) {
    case mtString:
    case mtColor:
      stored = n->AsString() != static_cast<TZQJSonStringMember*>(M)->FDefVal;
      break;
    case mtBoolean:
      stored = n->AsBoolean() != static_cast<TZQJSonBooleanMember*>(M)->FDefVal;
      break;
    case mtInteger:
      stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(n->AsInteger())) !=
               static_cast<TZQJSonIntegerMember*>(M)->FDefVal;
      break;
    case mtDouble:
      stored = !SameNumber(n->AsDouble(), static_cast<TZQJSonDoubleMember*>(M)->FDefVal);
      break;
    case mtCurrency:
      stored = !(n->AsCurrency() == static_cast<TZQJSonCurrencyMember*>(M)->FDefVal);
      break;
    case mtEnum: {
      auto* e = static_cast<TZQJSonEnumMember*>(M);
      const int i = e->IndexOf(n->AsString());
      stored = i >= 0 && i != e->FDefVal;
      break;
    }
    case mtEnumSet: {
      auto* e = static_cast<TZQJSonEnumSetMember*>(M);
      stored = e->JSonToSet(ISuperObject::Share(n)) != e->FDefBuf;
      break;
    }
    default:
      stored = false;
      break;
  }
  return stored;
}
}  // namespace

TSuperObject* TIWZQJSon::StoredNode(const TZQJSonWriteStep& S) const {
  TZQJSonMember* M = S.Member;
  TSuperObject* n = FindNode(*FSObj->AsObject(), M->Name(), M->NameHash());
  return n && NodeDiffers(M, n) ? n : nullptr;  // absent, a name without node, or the default: null
}

ISuperObject TIWZQJSon::InternalGetJSon(TEachPropJsonRec& Rec) {
  TZQJSonClassData* cd = GetClassData();
  const bool isArray = IsArray();
  ISuperObject result = TSuperObject::Create(isArray ? stArray : stObject);
  Rec.Json = result;
  const bool force = Rec.ForceVal || isArray;
  for (const TZQJSonWriteStep& S : cd->WriteSteps()) {
    const PropInfo* P = S.Prop;
    TZQJSonMember* M = S.Member;
    if (IsEventFunctionProp(P, M) ? !Rec.Events : !Rec.Props) continue;
    if (Rec.Members && !Rec.AllProps && M && !Rec.Members->HasMember(M) && !S.MayHoldMembers)
      continue;
    if (GetCustomJq(P->Name, result)) {
      Bookkeep(Rec, M);
      continue;
    }
    if (M && !M->GenerateJSon()) {
      Bookkeep(Rec, M);
      continue;
    }
    bool noObject = false;
    ISuperObject v =
        force || !S.MemberRule ? PropValue(P, M, force, Rec, noObject) : RowValue(S, Rec);
    if (!noObject) Bookkeep(Rec, M);
    if (!v) continue;
    if (Rec.Proc) {
      Rec.Proc(isArray ? std::string() : (M ? M->Name() : LowerAscii(P->Name)), v, Rec.Data);
    } else if (isArray) {
      result->AsArray()->Add(v);
    } else {
      if (M)
        result->AsObject()->PutO(M->Name(), M->NameHash(), v);
      else
        result->AsObject()->PutO(LowerAscii(P->Name), v);
    }
  }
  return result;
}

ISuperObject TIWZQJSon::GetJSon() {
  return GetJSonEx(false, false, nullptr, false);
}

namespace {
// Whether event functions are written, decided once per literal by its
// outermost object (the container's design state) and kept for the nested ones.
thread_local int tWriteEvents = -1;
struct WriteEventsScope {
  bool outer;
  explicit WriteEventsScope(TIWZQJSon* self, bool (TIWZQJSon::*designMode)())
      : outer(tWriteEvents < 0) {
    if (outer) tWriteEvents = (self->*designMode)() ? 0 : 1;
  }
  ~WriteEventsScope() {
    if (outer) tWriteEvents = -1;
  }
  WriteEventsScope(const WriteEventsScope&) = delete;
  WriteEventsScope& operator=(const WriteEventsScope&) = delete;
};
}  // namespace

ISuperObject TIWZQJSon::GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                                  bool OnlyCount) {
  WriteEventsScope scope(this, &TIWZQJSon::DesignMode);
  TEachPropJsonRec rec;
  rec.Events = tWriteEvents == 1;
  rec.AllProps = AllProps;
  rec.ForceVal = ForceVal;
  rec.Members = Members;
  rec.OnlyCount = OnlyCount;
  return InternalGetJSon(rec);
}

ISuperObject TIWZQJSon::GetJSonByType(bool AProps, bool AEvents) {
  TEachPropJsonRec rec;
  rec.Props = AProps;
  rec.Events = AEvents;
  return InternalGetJSon(rec);
}

ISuperObject TIWZQJSon::GetJSonEvents(const std::string&) {
  return GetJSonByType(false, true);
}

std::string TIWZQJSon::GetJSonText() {
  if (!JSonIdent() && CanWriteDirect()) {
    std::string text;
    WriteDirect(text, JSonEscape(), JSonNameQuote());
    return text;
  }
  return ZQOptionJSonText(GetJSon(), JSonIdent(), JSonEscape(), JSonNameQuote());
}

// ---------------------------------------------------------------------------
// The literal's text straight from the rows
//
// The same values as InternalGetJSon produces (one write step per property,
// the document's nodes shared), written in member order (the order of an
// stObject's names) without building the object that would hold them.

namespace {
// Whether AObject's class keeps ABase's implementation of a virtual function.
// g++ resolves a virtual function bound to an object to its final overrider;
// with other compilers every class counts as overriding it, and the text comes
// from the node.
template <class T, class Pmf>
bool KeepsHook(T* AObject, T* ABase, Pmf APmf) {
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpmf-conversions"
  using Fn = void (*)();
  return (Fn)(AObject->*APmf) == (Fn)(ABase->*APmf);
#pragma GCC diagnostic pop
#else
  (void)AObject, (void)ABase, (void)APmf;
  return false;
#endif
}

// Objects of the base classes themselves, to compare the hooks with (built
// once, never freed).
TIWZQJSon* BaseOptions() {
  static TIWZQJSon* base = Create<TIWZQJSon>(static_cast<TCollection*>(nullptr));
  return base;
}
TIWZQJSonList* BaseList() {
  static TIWZQJSonList* base = Create<TIWZQJSonList>();
  return base;
}

void PutName(std::string& out, const TZQJSonWriteStep& s, bool escape, bool namequote) {
  if (!namequote && s.AsciiBare) {
    out += s.Name;
  } else if (namequote || !ZQIsBareJSonName(s.Name)) {
    out += '"';
    SuperAppendEscaped(out, s.Name, escape || !namequote);
    out += '"';
  } else {
    SuperAppendEscaped(out, s.Name, escape);
  }
  out += ':';
}

// Writes a node as the JSON writer does (no indentation); false for a node
// the writer leaves out of an object (a method).
bool PutNode(std::string& out, const TSuperObject* n, bool escape, bool namequote) {
  if (!n) {
    out += "null";
    return true;
  }
  switch (n->GetDataType()) {
    case stMethod:
      return false;
    case stBoolean:
      out += n->AsBoolean() ? "true" : "false";
      return true;
    case stInt: {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, n->AsInteger());
      out.append(buf, static_cast<std::size_t>(r.ptr - buf));
      return true;
    }
    default:
      n->WriteJSon(out, false, escape, namequote);
      return true;
  }
}
}  // namespace

bool TIWZQJSon::CanWriteDirect() {
  TIWZQJSon* base = BaseOptions();
  return KeepsHook(this, base, &TIWZQJSon::GetJSon) &&
         KeepsHook(this, base, &TIWZQJSon::GetJSonEx) &&
         KeepsHook(this, base, &TIWZQJSon::GetCustomJq) &&
         KeepsHook(this, base, &TIWZQJSon::IsArray) && !GetClassData()->SharedNames();
}

int TIWZQJSon::WriteDirect(std::string& AOut, bool AEscape, bool ANameQuote) {
  WriteEventsScope scope(this, &TIWZQJSon::DesignMode);
  TZQJSonClassData* cd = GetClassData();
  TEachPropJsonRec rec;
  rec.Events = tWriteEvents == 1;
  const std::vector<TZQJSonWriteStep>& steps = cd->WriteSteps();
  // The document's entries in member order, the same order as the steps: one
  // pass over both finds each value (a usual document is small; a large one
  // is searched instead).
  const TSuperTableString& doc = *FSObj->AsObject();
  constexpr std::size_t kGather = 64;
  const TSuperTableString::Entry* entries[kGather];
  std::size_t entryCount = 0, next = 0;
  const bool merge = doc.count() <= kGather;
  if (merge) {
    const TSuperTableString::Entry* path[kGather];
    std::size_t top = 0;
    const TSuperTableString::Entry* e = doc.root();
    while (e || top) {
      while (e) {
        path[top++] = e;
        e = e->Left;
      }
      e = path[--top];
      __builtin_prefetch(e->Value.get());
      entries[entryCount++] = e;
      e = e->Right;
    }
  }
  AOut += '{';
  int written = 0;
  // Member order; GetCustomJq is the base's and claims nothing.
  for (std::size_t pos : cd->WriteOrder()) {
    const TZQJSonWriteStep& S = steps[pos];
    TZQJSonMember* M = S.Member;
    if (IsEventFunctionProp(S.Prop, M) ? !rec.Events : !rec.Props) continue;
    if (M && !M->GenerateJSon()) continue;
    const std::size_t mark = AOut.size();
    bool kept;
    if (S.MemberRule && IsObjectKind(M->MType())) {
      TIWZQJSonInstObjItem* slot = FInstList[static_cast<std::size_t>(M->Position())].get();
      if (!slot || !slot->Obj() || !slot->FJSon || !slot->FJSon->GetIsStored()) continue;
      if (written) AOut += ',';
      PutName(AOut, S, AEscape, ANameQuote);
      TIWZQJSon* o = M->MType() == mtJSonObj ? static_cast<TIWZQJSon*>(slot->Obj()) : nullptr;
      TIWZQJSonList* l =
          M->MType() == mtJSonObjList ? static_cast<TIWZQJSonList*>(slot->Obj()) : nullptr;
      if (o && o->CanWriteDirect()) {
        kept = o->WriteDirect(AOut, AEscape, ANameQuote) > 0;  // an empty object is left out
      } else if (l && l->CanWriteDirect()) {
        kept = l->WriteDirect(AOut, AEscape, ANameQuote);
      } else {
        ISuperObject v = slot->FJSon->GetJSonEx(false, false, nullptr, false);
        kept = v && !(v->IsType(stObject) && v->AsObject()->IsEmpty()) &&
               PutNode(AOut, v.get(), AEscape, ANameQuote);
      }
    } else if (S.MemberRule && M->MType() != mtJSon && M->MType() != mtVariant) {
      TSuperObject* n = nullptr;
      if (merge) {
        auto before = [&S](const TSuperTableString::Entry* e) {  // e comes before the step's name
          if (e->Hash != S.Hash) return e->Hash > S.Hash;
          return e->Name != S.Name &&
                 TSuperTableString::CompareNames(e->Hash, e->Name, S.Hash, S.Name) < 0;
        };
        while (next < entryCount && before(entries[next])) ++next;
        if (next < entryCount && entries[next]->Hash == S.Hash && entries[next]->Name == S.Name) {
          n = entries[next]->Value.get();
          if (n && !NodeDiffers(M, n)) n = nullptr;
        }
      } else {
        n = StoredNode(S);
      }
      if (!n || n->GetDataType() == stMethod) continue;
      if (written) AOut += ',';
      PutName(AOut, S, AEscape, ANameQuote);
      kept = PutNode(AOut, n, AEscape, ANameQuote);
    } else {
      bool noObject = false;
      ISuperObject v = S.MemberRule ? RowValue(S, rec) : PropValue(S.Prop, M, false, rec, noObject);
      if (!v || v->GetDataType() == stMethod) continue;
      if (written) AOut += ',';
      PutName(AOut, S, AEscape, ANameQuote);
      kept = PutNode(AOut, v.get(), AEscape, ANameQuote);
    }
    if (!kept) {
      AOut.resize(mark);
      continue;
    }
    ++written;
  }
  AOut += '}';
  return written;
}

bool TIWZQJSonList::CanWriteDirect() {
  return !GetFlag(kListColumnLayout) && !GetFlag(kListObjectLayout) &&
         KeepsHook(this, BaseList(), &TIWZQJSonList::GetJSonEx);
}

bool TIWZQJSonList::WriteDirect(std::string& AOut, bool AEscape, bool ANameQuote) {
  if (Count() == 0) return false;
  AOut += '[';
  bool first = true;
  for (int i = 0; i < Count(); ++i) {
    TIWZQJSon* item = GetItem(i);
    const std::size_t mark = AOut.size();
    if (!first) AOut += ',';
    if (item->CanWriteDirect()) {
      item->WriteDirect(AOut, AEscape, ANameQuote);
    } else {
      ISuperObject v = item->GetJSonEx(false, false, nullptr, false);
      if (!v || !PutNode(AOut, v.get(), AEscape, ANameQuote)) {
        AOut.resize(mark);
        continue;
      }
    }
    first = false;
  }
  AOut += ']';
  return true;
}

// ---------------------------------------------------------------------------
// Values of recorded members

ISuperObject TIWZQJSon::GetMemberPropJSon(TZQJSonMember* M, const ISuperObject& AValue,
                                          std::string& AName, bool AllProps, bool ForceVal,
                                          TIWZQResponseMemberList* Members, bool OnlyCount) {
  TZQJSonClassData* cd = GetClassData();
  if (!M || M->List() != &cd->Members()) return nullptr;
  const PropInfo* P = cd->PropOfMember(M->Position());
  if (!P) return nullptr;
  TEachPropJsonRec rec;
  rec.AllProps = AllProps;
  rec.ForceVal = ForceVal;
  rec.Members = Members;
  rec.OnlyCount = OnlyCount;
  ISuperObject t = SO();
  if (GetCustomJq(P->Name, t)) {
    Bookkeep(rec, M);
    if (OnlyCount || t->AsObject()->IsEmpty()) return nullptr;
    auto entries = t->AsObject()->Entries();
    AName = entries.front()->name();
    return entries.front()->value();
  }
  if (AValue) {
    Bookkeep(rec, M);
    AName = M->Name();
    return AValue;
  }
  if (!M->GenerateJSon()) return nullptr;
  bool noObject = false;
  ISuperObject v = PropValue(P, M, ForceVal, rec, noObject);
  if (!noObject) Bookkeep(rec, M);
  AName = IsArray() ? std::string() : M->Name();
  return v;
}

TIWZQMemberResponseTab TIWZQJSon::GetMembersJSon(TIWZQResponseMemberList* Members, bool AllProps,
                                                 bool ForceVal) {
  TIWZQMemberResponseTab result;
  if (!Members || Members->Count() == 0) return result;
  TZQJSonClassData* cd = GetClassData();
  for (const PropInfo* P : cd->PropList()) {
    TZQJSonMember* M = cd->MemberOfProp(P);
    if (!M) continue;
    std::string name;
    if (Members->HasMember(M)) {
      ISuperObject v = GetMemberPropJSon(M, nullptr, name, AllProps, ForceVal, Members, false);
      if (v) result.push_back({name, v});
    } else if (IsObjectKind(M->MType()) && M->MType() != mtJSonFunc) {
      Members->Processed = 0;
      GetMemberPropJSon(M, nullptr, name, false, ForceVal, Members, true);
      if (Members->Processed == 0) continue;
      Members->Processed = 0;
      ISuperObject v = GetMemberPropJSon(M, nullptr, name, false, ForceVal, Members, false);
      if (v && Members->Processed > 0) result.push_back({name, v});
    }
  }
  return result;
}

ISuperObject TIWZQJSon::GetMemberJSon(TZQJSonMember* AMember, const ISuperObject& AValue,
                                      std::string& AName) {
  AName.clear();
  if (!AMember) return nullptr;
  if (AMember->List() == &GetClassData()->Members())
    return GetMemberPropJSon(AMember, AValue, AName, true, true, nullptr, false);
  TIWZQResponseMemberList one;
  one.Initialize();
  one.AddMember(AMember);
  TIWZQMemberResponseTab tab = GetMembersJSon(&one, false, true);
  if (tab.empty()) return nullptr;
  AName = tab.front().Name;
  return tab.front().JSon;
}

// ---------------------------------------------------------------------------
// HTML5 "data-" attributes

void TIWZQJSon::AddHTML5(TIWHTMLTag* ATag) {
  if (!ATag) return;
  ISuperObject v = GetJSon();
  for (const auto* e : v->AsObject()->Entries()) {
    const std::string& name = e->name();
    std::string attr = "data-";
    for (std::size_t i = 0; i < name.size(); ++i) {
      char ch = name[i];
      if (ch >= 'A' && ch <= 'Z' && i + 1 < name.size()) {
        attr.push_back('-');
        attr.push_back(static_cast<char>(ch - 'A' + 'a'));
      } else {
        attr.push_back(ch);
      }
    }
    const ISuperObject& val = e->value();
    if (!val) continue;
    std::string text;
    switch (val->GetDataType()) {
      case stBoolean:
      case stDouble:
      case stCurrency:
      case stInt:
      case stObject:
        text = val->AsJSon(false, true, true);
        break;
      case stString:
        text = val->AsJSon(false, false, true);
        if (!text.empty() && (text.front() == '"' || text.front() == '\'')) text.erase(0, 1);
        if (!text.empty() && (text.back() == '"' || text.back() == '\'')) text.pop_back();
        break;
      default:
        continue;
    }
    ATag->AddStringParam(attr, text);
  }
}

// ---------------------------------------------------------------------------
// Option literal text

std::string ZQOptionJSonText(const ISuperObject& ANode, bool AIndent, bool AEscape,
                             bool ANameQuote) {
  if (!ANode) return {};
  return ANode->AsJSon(AIndent, AEscape, ANameQuote);
}

}  // namespace zq
