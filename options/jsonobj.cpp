#include "options/jsonobj.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "foundation/asciicase.h"
#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/html.h"
#include "options/jsonlist.h"
#include "options/optionrows.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQResponseMember) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseMemberList) {}
ZQ_IMPLEMENT_CLASS(TZQJSonClassData) {}
ZQ_IMPLEMENT_CLASS(TIWZQJSon) {}

// ---------------------------------------------------------------------------
// Settings and registrations

namespace {
bool NeverIndent() { return false; }
std::atomic<TZQJSonIdentFn> gIdentFn{&NeverIndent};
std::atomic<const ClassInfo*> gFuncBase{nullptr};
std::atomic<const ClassInfo*> gFuncDefault{nullptr};

// Pending owner and property name of an object being created by CreateSingle.
struct PendingSingle {
  TPersistent* Owner = nullptr;
  std::string PropName;
  bool Set = false;
};
thread_local PendingSingle tPending;

// The process-wide class cache. Entries live until the process ends.
std::recursive_mutex& CacheLock() {
  static auto* m = new std::recursive_mutex;
  return *m;
}
std::unordered_map<const ClassInfo*, TZQJSonClassData*>& Cache() {
  static auto* c = new std::unordered_map<const ClassInfo*, TZQJSonClassData*>;
  return *c;
}

bool IsObjectKind(TZQJSonMemberType t) { return t >= mtJSonObj && t <= mtJSonFunc; }

[[noreturn]] void RaiseNoMember(std::string_view name) {
  throw EIWZQJQuery(Format("Member \"%s\" does not exists!", name));
}

bool SameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return true;  // a NaN never counts as different
  return a == b;
}

bool SameVariant(const Variant& a, const Variant& b) {
  try {
    return a.VarType() == b.VarType() && a == b;
  } catch (...) {
    return false;
  }
}
}  // namespace

void ZQSetJSonIdentFn(TZQJSonIdentFn AFn) { gIdentFn = AFn ? AFn : &NeverIndent; }
bool ZQJSonIdent() { return gIdentFn.load()(); }

void ZQRegisterEventFunctionClasses(const ClassInfo* AFuncBase, const ClassInfo* ADefault) {
  gFuncBase = AFuncBase;
  gFuncDefault = ADefault;
}
const ClassInfo* ZQEventFunctionBaseClass() { return gFuncBase; }
const ClassInfo* ZQDefaultEventFunctionClass() { return gFuncDefault; }

int ZQJSonClassCacheCount() {
  std::lock_guard<std::recursive_mutex> g(CacheLock());
  return static_cast<int>(Cache().size());
}

const TZQJSonClassData* ZQFindJSonClassData(const ClassInfo* AClass) {
  std::lock_guard<std::recursive_mutex> g(CacheLock());
  auto it = Cache().find(AClass);
  return it == Cache().end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------
// TIWZQResponseMemberList

TIWZQResponseMemberList::TIWZQResponseMemberList(TObject* ASetter)
    : TZQIndexedCollection(TIWZQResponseMember::StaticClass(), 1), FSetter(ASetter) {}

Variant TIWZQResponseMemberList::KeyOfItem(int, const TCollectionItem* Item) const {
  auto* m = static_cast<const TIWZQResponseMember*>(Item)->FMember;
  return m ? Variant(Format("%p", static_cast<const void*>(m))) : Variant();
}

TIWZQResponseMember* TIWZQResponseMemberList::AddMember(TZQJSonMember* AMember) {
  if (HasMember(AMember)) throw EListError("String list does not allow duplicates");
  auto* item = static_cast<TIWZQResponseMember*>(Add());
  item->FMember = AMember;
  SetKey(item, 0, KeyOfItem(0, item));
  return item;
}

bool TIWZQResponseMemberList::HasMember(const TZQJSonMember* AMember) const {
  return AMember && GetOrderedIndex(0, Variant(Format("%p", static_cast<const void*>(AMember)))) >= 0;
}

void TIWZQResponseMemberList::RemoveMember(const TZQJSonMember* AMember) {
  auto* item = static_cast<TIWZQResponseMember*>(
      GetOrderedItem(0, Variant(Format("%p", static_cast<const void*>(AMember)))));
  if (item) Free(item);
}

// ---------------------------------------------------------------------------
// TZQJSonClassData

TZQJSonClassData::TZQJSonClassData(const ClassInfo* AJSonClass)
    : FJSonClass(AJSonClass), FMemberList(new TZQJSonMemberList(AJSonClass)) {
  FMemberList->Initialize();
  // The options are the properties published by option classes; those of the
  // collection-item ancestors (UserData ...) are not options.
  if (AJSonClass)
    for (const PropInfo* p : AJSonClass->Properties())
      if (p->Declarer && p->Declarer->InheritsFrom(TIWZQJSon::StaticClass())) FPropList.push_back(p);
}

TZQJSonClassData::~TZQJSonClassData() = default;

namespace {
// Whether a property of kind P can be bound to a member of kind M (the
// accessor family of the member's kind gives a value of that property kind).
bool PropKindAccepts(const PropInfo& P, TZQJSonMemberType M) {
  switch (M) {
    case mtString:
    case mtColor:
    case mtJSon: return P.Kind == PropKind::Text;
    case mtBoolean: return P.Kind == PropKind::Boolean;
    case mtInteger: return P.Kind == PropKind::Integer || P.Kind == PropKind::Int64;
    case mtEnum: return P.Kind == PropKind::Enumeration;
    case mtDouble: return P.Kind == PropKind::Float;
    case mtCurrency: return P.Kind == PropKind::Other && P.ValueType && *P.ValueType == typeid(Currency);
    case mtVariant: return P.Kind == PropKind::Variant;
    case mtEnumSet: return P.Kind == PropKind::Set;
    case mtJSonObj:
    case mtJSonObjList:
    case mtJSonSimpleArray:
    case mtJSonDynObjList:
    case mtJSonFunc: return P.Kind == PropKind::Object;
    case mtNone: break;
  }
  return false;
}
}  // namespace

void TZQJSonClassData::IndexProps() {
  const char* cls = FJSonClass ? FJSonClass->Name().c_str() : "";
  for (const PropInfo* p : FPropList) {
    if (!p->HasIndex()) continue;
    if (p->Index < 0 || p->Index >= MemberCount())
      throw EIWZQJQuery(Format("Property \"%s.%s\" has index %d but the class declares %d members!", cls, p->Name,
                               p->Index, MemberCount()));
    TZQJSonMember* m = FMemberList->GetItem(p->Index);
    if (!PropKindAccepts(*p, m->MType()))
      throw EIWZQJQuery(Format("Property \"%s.%s\" of kind \"%s\" does not accept member \"%s\" of kind \"%s\"!", cls,
                               p->Name, PropKindName(p->Kind), m->Name(), ZQJSonMemberTypeName(m->MType())));
  }
  FMembers.clear();
  for (int i = 0; i < MemberCount(); ++i) FMembers.push_back(FMemberList->GetItem(i));
  FMemberOfProp.clear();
  FSteps.clear();
  for (const PropInfo* p : FPropList) {
    TZQJSonMember* m = MemberOfProp(p);
    FMemberOfProp.push_back(m);
    TZQJSonWriteStep step;
    step.Prop = p;
    step.Member = m;
    step.MemberRule = m && detail::IsRowProperty(p);
    const ClassInfo* oc = p->Kind == PropKind::Object ? p->ObjectClass() : nullptr;
    step.MayHoldMembers =
        oc && (oc->InheritsFrom(TIWZQJSon::StaticClass()) || oc->InheritsFrom(TIWZQJSonList::StaticClass()));
    FSteps.push_back(step);
  }
  FPropOfMember.assign(static_cast<std::size_t>(MemberCount()), nullptr);
  for (const PropInfo* p : FPropList)
    if (p->HasIndex() && p->Index >= 0 && p->Index < MemberCount() && !FPropOfMember[static_cast<std::size_t>(p->Index)])
      FPropOfMember[static_cast<std::size_t>(p->Index)] = p;
}

const PropInfo* TZQJSonClassData::PropOfMember(int AIndex) const {
  if (AIndex < 0 || AIndex >= static_cast<int>(FPropOfMember.size())) return nullptr;
  return FPropOfMember[static_cast<std::size_t>(AIndex)];
}

TZQJSonMember* TZQJSonClassData::MemberOfProp(const PropInfo* P) const {
  if (!P->HasIndex() || P->Index < 0 || P->Index >= MemberCount()) return nullptr;
  return FMemberList->GetItem(P->Index);
}

// ---------------------------------------------------------------------------
// Instance slots

TIWZQJSonInstObjItem::~TIWZQJSonInstObjItem() { FreeObj(); }

void TIWZQJSonInstObjItem::FreeObj() {
  TPersistent* o = FObj;
  FObj = nullptr;
  FJSon = nullptr;
  Free(o);
}

// ---------------------------------------------------------------------------
// TIWZQJSon: construction

TIWZQJSon::TIWZQJSon(TCollection* Collection) : TZQIndexedCollectionItem(Collection), FSObj(SO()) {
  if (tPending.Set && !Collection) {
    FOwner = tPending.Owner;
    FPropName = std::move(tPending.PropName);
  }
  tPending = PendingSingle{};
  if (auto* c = GetZQJSContainer()) {
    c->DisableAjaxResponse();
    FDisabledContainer = c;
  }
}

TIWZQJSon::~TIWZQJSon() {
  FDestroying = true;
  FInstList.clear();
}

void TIWZQJSon::Initialize() {
  TZQIndexedCollectionItem::Initialize();
  CreateInstance();
}

void TIWZQJSon::AfterConstruction() {
  TZQIndexedCollectionItem::AfterConstruction();
  if (auto* c = FDisabledContainer) {
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
}

namespace {
std::atomic<TZQJSonFreedHook> gJSonFreedHook{nullptr};
}  // namespace

void ZQSetJSonFreedHook(TZQJSonFreedHook AHook) { gJSonFreedHook.store(AHook); }

void ZQNotifyJSonFreed(const TObject* AObject) {
  if (auto hook = gJSonFreedHook.load()) hook(AObject);
}

void TIWZQJSon::BeforeDestruction() {
  FDestroying = true;
  ZQNotifyJSonFreed(this);
  if (auto* c = FDisabledContainer) {  // construction failed half-way
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
  // Sub-objects go first, while this object is whole.
  for (auto& s : FInstList)
    if (s) s->FreeObj();
  TZQIndexedCollectionItem::BeforeDestruction();
}

TIWZQJSon* TIWZQJSon::CreateSingle(const ClassInfo& AClass, TPersistent* AOwner, std::string_view APropName) {
  tPending = PendingSingle{AOwner, std::string(APropName), true};
  try {
    TCollectionItem* item = AClass.CreateInstance<TCollectionItem, TCollection*>(nullptr);
    tPending = PendingSingle{};
    auto* obj = dynamic_cast<TIWZQJSon*>(item);
    if (!obj) {
      Free(item);
      throw EIWZQJQuery(Format("Class \"%s\" is not an option class!", AClass.Name()));
    }
    return obj;
  } catch (...) {
    tPending = PendingSingle{};
    throw;
  }
}

TZQJSonClassData* TIWZQJSon::GetClassData() {
  if (FClassData) return FClassData;
  std::lock_guard<std::recursive_mutex> g(CacheLock());
  auto& cache = Cache();
  const ClassInfo* cls = &ClassType();
  auto it = cache.find(cls);
  if (it != cache.end()) {
    FClassData = it->second;
  } else {
    // Filled by AddMembers before it is published: a class whose AddMembers
    // raises leaves nothing behind, and the next instance tries again.
    auto data = std::make_unique<TZQJSonClassData>(cls);
    FClassData = data.get();
    try {
      AddMembers();
      data->IndexProps();
    } catch (...) {
      FClassData = nullptr;
      throw;
    }
    cache.emplace(cls, data.get());
    FClassData = data.release();
  }
  ++FClassData->FUsedCount;
  return FClassData;
}

void TIWZQJSon::CreateInstance() {
  TZQJSonClassData* cd = GetClassData();
  TZQJSonMemberList& ml = cd->Members();
  FInstList.clear();
  FInstList.resize(static_cast<std::size_t>(ml.Count()));
  for (int i = 0; i < ml.Count(); ++i) {
    TZQJSonMember* m = ml.GetItem(i);
    TZQJSonMemberType t = m->MType();
    if (t < mtJSonObj) continue;  // scalars: the empty document already holds the defaults
    if (!IsObjectKind(t))
      throw EIWZQJQuery(Format("Unknown Member Type \"%s\" in TIWZQJSon.CreateInstance!", ZQJSonMemberTypeName(t)));
    if (m->Dynamic()) FInstList[static_cast<std::size_t>(i)] = std::make_unique<TIWZQJSonInstObjDynItem>(m);
    else FInstList[static_cast<std::size_t>(i)] = std::make_unique<TIWZQJSonInstObjItem>(m);
    if (t == mtJSonFunc && m->HasFixedScript()) SubObject(i, mtJSonFunc);
  }
}

// ---------------------------------------------------------------------------
// Declarations

#define ZQ_ML GetClassData()->Members()
TZQJSonStringMember* TIWZQJSon::AddStringMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                                bool AGenerateJSon) {
  return ZQ_ML.AddString(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonBooleanMember* TIWZQJSon::AddBooleanMember(std::string_view AName, bool ADefVal, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  return ZQ_ML.AddBoolean(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonIntegerMember* TIWZQJSon::AddIntegerMember(std::string_view AName, std::int32_t ADefVal, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  return ZQ_ML.AddInteger(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonColorMember* TIWZQJSon::AddColorMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                              bool AGenerateJSon) {
  return ZQ_ML.AddColor(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonDoubleMember* TIWZQJSon::AddDoubleMember(std::string_view AName, double ADefVal, bool AUnchangeable,
                                                bool AGenerateJSon) {
  return ZQ_ML.AddDouble(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonCurrencyMember* TIWZQJSon::AddCurrencyMember(std::string_view AName, Currency ADefVal, bool AUnchangeable,
                                                    bool AGenerateJSon) {
  return ZQ_ML.AddCurrency(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonVariantMember* TIWZQJSon::AddVariantMember(std::string_view AName, const Variant& ADefVal, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  return ZQ_ML.AddVariant(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonJSonMember* TIWZQJSon::AddJSonMember(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                            bool AGenerateJSon) {
  return ZQ_ML.AddJSon(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonObjMember* TIWZQJSon::AddObjMember(std::string_view AName, const ClassInfo& AClass, bool AUnchangeable,
                                          bool AGenerateJSon, bool ADynamic) {
  return ZQ_ML.AddJSonObj(AName, &AClass, AUnchangeable, AGenerateJSon, ADynamic);
}
TZQJSonObjListMember* TIWZQJSon::AddObjListMember(std::string_view AName, const ClassInfo& AClass, bool AUnchangeable,
                                                  bool AGenerateJSon, bool ADynamic) {
  return ZQ_ML.AddJSonObjList(AName, &AClass, AUnchangeable, AGenerateJSon, ADynamic);
}
TZQJSonDynObjListMember* TIWZQJSon::AddDynObjListMember(std::string_view AName, bool AUnchangeable,
                                                        bool AGenerateJSon) {
  return ZQ_ML.AddDynJSonObjList(AName, AUnchangeable, AGenerateJSon);
}
TZQJSonSimpleArrayMember* TIWZQJSon::AddSimpleArrayMember(std::string_view AName, bool AQuoted, bool AUnchangeable,
                                                          bool AGenerateJSon) {
  return ZQ_ML.AddJSonSimpleArray(AName, AQuoted, AUnchangeable, AGenerateJSon);
}
TZQJSonEnumMember* TIWZQJSon::AddEnumMember(std::string_view AName, std::initializer_list<std::string_view> ATexts,
                                            std::uint8_t ADefVal, bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddEnum(AName, TZQStringArray(ATexts.begin(), ATexts.end()), ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonEnumSetMember* TIWZQJSon::AddEnumSetMember(std::string_view AName,
                                                  std::initializer_list<std::string_view> ATexts, const void* ADefBuf,
                                                  std::uint16_t ASize, bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddEnumSet(AName, TZQStringArray(ATexts.begin(), ATexts.end()), ADefBuf, ASize, AUnchangeable,
                          AGenerateJSon);
}
TZQJSonEnumMember* TIWZQJSon::AddEnumMember(std::string_view AName, const TZQStringArray& ATexts, std::uint8_t ADefVal,
                                            bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddEnum(AName, ATexts, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonEnumSetMember* TIWZQJSon::AddEnumSetMember(std::string_view AName, const TZQStringArray& ATexts,
                                                  const void* ADefBuf, std::uint16_t ASize, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  return ZQ_ML.AddEnumSet(AName, ATexts, ADefBuf, ASize, AUnchangeable, AGenerateJSon);
}
TZQJSonFuncMember* TIWZQJSon::AddFuncMember(std::string_view AName, std::string_view AArgs, std::string_view AFuncName,
                                            bool AHasFixedScript, const ClassInfo* AFuncClass, bool AUnchangeable,
                                            bool AGenerateJSon) {
  return ZQ_ML.AddJSonFunc(AName, AArgs, AFuncName, AHasFixedScript, AFuncClass, AUnchangeable, AGenerateJSon);
}
#undef ZQ_ML

// ---------------------------------------------------------------------------
// Owners, names, lookups

TIWZQJSonList* TIWZQJSon::GetList() const { return dynamic_cast<TIWZQJSonList*>(GetCollection()); }

TPersistent* TIWZQJSon::GetOwner() const {
  if (GetCollection()) return GetCollection();
  return FOwner;
}

IIWZQJSContainer* TIWZQJSon::GetZQJSContainer() {
  for (TPersistent* o = GetOwner(); o; o = o->GetOwner())
    if (auto* c = dynamic_cast<IIWZQJSContainer*>(o)) return c;
  return nullptr;
}

TComponent* TIWZQJSon::GetImplComponent() {
  auto* c = GetZQJSContainer();
  return c ? c->GetImplComponent() : nullptr;
}

std::string TIWZQJSon::GetHTMLName() {
  if (auto* l = GetList()) return l->GetHTMLName();
  auto* c = GetZQJSContainer();
  return c ? c->GetHTMLName() : std::string();
}

std::string TIWZQJSon::GetIWCLName() {
  if (auto* l = GetList()) return l->GetIWCLName();
  auto* c = GetZQJSContainer();
  return c ? c->GetIWCLName() : std::string();
}

int TIWZQJSon::GetItemIndex() { return GetCollection() ? GetIndex() : -1; }

bool TIWZQJSon::DesignMode() {
  TComponent* comp = GetImplComponent();
  return comp && comp->HasState(csDesigning);
}

TZQJSonMember* TIWZQJSon::CheckJSonMember(int AIndex) {
  TZQJSonClassData* cd = GetClassData();
  if (AIndex < 0 || AIndex >= cd->MemberCount())
    throw EIWZQJQuery(Format("Internal error: json member index \"%d\" not defined!", AIndex));
  return cd->Members().GetItem(AIndex);
}

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

int TIWZQJSon::GetPropIndexByName(std::string_view AName) {
  for (const PropInfo* p : GetClassData()->PropList())
    if (p->Name == AName) return p->HasIndex() ? p->Index : -1;
  return -1;
}

std::string TIWZQJSon::GetPropNameByIndex(int AIndex) {
  const PropInfo* p = GetClassData()->PropOfMember(AIndex);
  return p ? p->Name : std::string();
}

TIWZQJSonInstObjItem* TIWZQJSon::GetInstSlot(int AIndex) {
  CheckJSonMember(AIndex);
  if (AIndex >= static_cast<int>(FInstList.size())) return nullptr;
  return FInstList[static_cast<std::size_t>(AIndex)].get();
}

void TIWZQJSon::FreeJSonObj(int AIndex) {
  if (auto* s = GetInstSlot(AIndex)) s->FreeObj();
}

void TIWZQJSon::FreeJSonObj(std::string_view AName) {
  TZQJSonMember* m = GetClassData()->MembersByName(AName);
  if (!m) RaiseNoMember(AName);
  FreeJSonObj(m->Position());
}

bool TIWZQJSon::IsJSonObjStored(std::string_view AName) {
  TZQJSonMember* m = GetClassData()->MembersByName(AName);
  if (!m) RaiseNoMember(AName);
  auto* s = GetInstSlot(m->Position());
  return s && s->Obj();
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
void FileScalar(TSuperTableString* tab, const TZQJSonMember* m, bool changed, bool isDefault, MakeNode&& make) {
  if (!changed) return;
  if (isDefault) tab->Delete(m->Name());
  else tab->PutO(m->Name(), m->NameHash(), make());
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
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal, [&] { return TSuperObject::Create(AValue); });
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
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal, [&] { return TSuperObject::Create(AValue); });
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
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal, [&] { return TSuperObject::Create(*text); });
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
  return !SameNumber(GetDoubleValue(AIndex), MemberAs<TZQJSonDoubleMember>(AIndex, mtDouble)->FDefVal);
}

Currency TIWZQJSon::GetCurrencyValue(int AIndex) {
  auto* m = MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency);
  ISuperObject n = Node(m);
  return n ? n->AsCurrency() : m->FDefVal;
}
void TIWZQJSon::SetCurrencyValue(int AIndex, Currency AValue) {
  auto* m = MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency);
  bool changed = !(GetCurrencyValue(AIndex) == AValue);
  FileScalar(FSObj->AsObject(), m, changed, AValue == m->FDefVal, [&] { return TSuperObject::CreateCurrency(AValue); });
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsCurrencyStored(int AIndex) {
  return !(GetCurrencyValue(AIndex) == MemberAs<TZQJSonCurrencyMember>(AIndex, mtCurrency)->FDefVal);
}

Variant TIWZQJSon::GetVariantValue(int AIndex) {
  auto* m = MemberAs<TZQJSonVariantMember>(AIndex, mtVariant);
  auto* tab = FSObj->AsObject();
  if (!tab->Exists(m->Name(), m->NameHash())) return m->FDefVal;
  ISuperObject n = tab->GetO(m->Name(), m->NameHash());
  if (!n) return Variant(VarNull);
  switch (n->GetDataType()) {
    case stNull: return Variant(VarNull);
    case stBoolean: return Variant(n->AsBoolean());
    case stDouble: return Variant(n->AsDouble());
    case stCurrency: return Variant(n->AsCurrency());
    case stInt: return Variant(static_cast<long long>(n->AsInteger()));
    default: return Variant(n->AsString());
  }
}
void TIWZQJSon::SetVariantValue(int AIndex, const Variant& AValue) {
  auto* m = MemberAs<TZQJSonVariantMember>(AIndex, mtVariant);
  bool changed = !SameVariant(GetVariantValue(AIndex), AValue);
  if (changed) {
    auto* tab = FSObj->AsObject();
    if (SameVariant(AValue, m->FDefVal)) tab->Delete(m->Name());
    else if (AValue.IsBool()) tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToBool()));
    else if (AValue.IsOrdinal()) tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(static_cast<long>(AValue.ToInt64())));
    else if (AValue.IsFloat()) tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToDouble()));
    else tab->PutO(m->Name(), m->NameHash(), TSuperObject::Create(AValue.ToString()));
  }
  AfterScalarSet(m, changed);
}
bool TIWZQJSon::IsVariantStored(int AIndex) {
  return !SameVariant(GetVariantValue(AIndex), MemberAs<TZQJSonVariantMember>(AIndex, mtVariant)->FDefVal);
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

// ---------------------------------------------------------------------------
// Sub-objects

TPersistent* TIWZQJSon::CreateSubObject(TIWZQJSonInstObjItem& ASlot, int AIndex) {
  TZQJSonMember* m = ASlot.Member();
  std::string prop = GetPropNameByIndex(AIndex);
  switch (m->MType()) {
    case mtJSonObj: {
      const ClassInfo* cls = ASlot.ObjClass() ? ASlot.ObjClass() : static_cast<TZQJSonObjMember*>(m)->FObjClass;
      if (!cls) throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
      return CreateSingle(*cls, this, prop);
    }
    case mtJSonObjList: {
      const ClassInfo* cls = static_cast<TZQJSonObjMember*>(m)->FObjClass;
      if (!cls) cls = &TIWZQJSonList::StaticClass();
      TIWZQJSonList* l = TIWZQJSonList::CreateList(*cls, this, prop);
      l->FMember = m;
      return l;
    }
    case mtJSonSimpleArray:
      return Create<TIWZQJSonSimpleArray>(this, static_cast<TZQJSonSimpleArrayMember*>(m));
    case mtJSonDynObjList:
      return Create<TIWZQJSonDynObjList>(this, static_cast<TZQJSonDynObjListMember*>(m));
    case mtJSonFunc: {
      auto* fm = static_cast<TZQJSonFuncMember*>(m);
      const ClassInfo* cls = fm->FFuncClass ? fm->FFuncClass : ZQDefaultEventFunctionClass();
      if (!cls) throw EIWZQJQuery("No event function class registered for member " + ClassName() + "." + m->Name());
      return cls->CreateInstance<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>(this, prop, fm);
    }
    default:
      throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  }
}

TPersistent* TIWZQJSon::SubObject(int AIndex, TZQJSonMemberType AKind) {
  TZQJSonMember* m = CheckJSonMember(AIndex);
  bool ok = AKind == mtJSonObj ? IsObjectKind(m->MType()) && m->MType() != mtJSonFunc &&
                                     (m->MType() == mtJSonObj)
                               : m->MType() == AKind;
  TIWZQJSonInstObjItem* slot = AIndex < static_cast<int>(FInstList.size()) ? FInstList[std::size_t(AIndex)].get() : nullptr;
  if (!ok || !slot) throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  if (!slot->FObj) {
    slot->FObj = CreateSubObject(*slot, AIndex);
    slot->FJSon = dynamic_cast<IIWZQJSon*>(slot->FObj);
  }
  return slot->FObj;
}

TIWZQJSon* TIWZQJSon::GetObjValue(int AIndex) { return static_cast<TIWZQJSon*>(SubObject(AIndex, mtJSonObj)); }
void TIWZQJSon::SetObjValue(int AIndex, TIWZQJSon* AValue) { SubObject(AIndex, mtJSonObj)->Assign(AValue); }
TIWZQJSonList* TIWZQJSon::GetObjListValue(int AIndex) {
  return static_cast<TIWZQJSonList*>(SubObject(AIndex, mtJSonObjList));
}
void TIWZQJSon::SetObjListValue(int AIndex, TIWZQJSonList* AValue) { SubObject(AIndex, mtJSonObjList)->Assign(AValue); }
TIWZQJSonSimpleArray* TIWZQJSon::GetSimpleArrayValue(int AIndex) {
  return static_cast<TIWZQJSonSimpleArray*>(SubObject(AIndex, mtJSonSimpleArray));
}
void TIWZQJSon::SetSimpleArrayValue(int AIndex, TIWZQJSonSimpleArray* AValue) {
  SubObject(AIndex, mtJSonSimpleArray)->Assign(AValue);
}
TIWZQJSonDynObjList* TIWZQJSon::GetDynObjListValue(int AIndex) {
  return static_cast<TIWZQJSonDynObjList*>(SubObject(AIndex, mtJSonDynObjList));
}
void TIWZQJSon::SetDynObjListValue(int AIndex, TIWZQJSonDynObjList* AValue) {
  SubObject(AIndex, mtJSonDynObjList)->Assign(AValue);
}
TPersistent* TIWZQJSon::GetFuncValue(int AIndex) { return SubObject(AIndex, mtJSonFunc); }
void TIWZQJSon::SetFuncValue(int AIndex, TPersistent* AValue) { SubObject(AIndex, mtJSonFunc)->Assign(AValue); }

bool TIWZQJSon::IsObjStored(int AIndex) {
  TZQJSonMember* m = CheckJSonMember(AIndex);
  if (!IsObjectKind(m->MType())) throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  auto* slot = FInstList[static_cast<std::size_t>(AIndex)].get();
  if (!slot || !slot->Obj()) return false;
  return !slot->FJSon || slot->FJSon->GetIsStored();
}

bool TIWZQJSon::IsFuncStored(int AIndex) {
  MemberAs<TZQJSonFuncMember>(AIndex, mtJSonFunc);
  return IsObjStored(AIndex);
}

// ---------------------------------------------------------------------------
// Writing the option literal

bool TIWZQJSon::IsEventFunctionProp(const PropInfo* P, const TZQJSonMember* M) const {
  if (M) return M->MType() == mtJSonFunc;
  const ClassInfo* base = gFuncBase.load();
  return base && P->Kind == PropKind::Object && P->ObjectClass() && P->ObjectClass()->InheritsFrom(*base);
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
    case PropKind::Set: return GetOrdProp(obj, *P) != 0;
    case PropKind::Float: return GetFloatProp(obj, *P) != 0;
    case PropKind::Text: return !GetStrProp(obj, *P).empty();
    case PropKind::Object: return ObjectNotEmpty(GetObjectProp(obj, *P), depth);
    case PropKind::Variant: return !GetPropAs<Variant>(obj, *P).IsEmpty();
    default: return true;
  }
}
}  // namespace

bool TIWZQJSon::StoreProperty(const PropInfo* P) { return StoredValue(this, P, 0); }

void TIWZQJSon::Bookkeep(TEachPropJsonRec& Rec, TZQJSonMember* M) {
  if (Rec.Members && M && Rec.Members->HasMember(M)) {
    ++Rec.Members->Processed;
    if (!Rec.OnlyCount) Rec.Members->RemoveMember(M);
  }
}

ISuperObject TIWZQJSon::PropValue(const PropInfo* P, TZQJSonMember* M, bool AForce, TEachPropJsonRec& Rec,
                                  bool& ANoObject) {
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
    if (!tab->IsEmpty() && tab->Exists(M->Name(), M->NameHash())) return TSuperObject::Create(stNull);  // a name without node
  }
  const int idx = M ? M->Position() : 0;
  switch (mt) {
    case mtString:
    case mtColor: return TSuperObject::Create(GetStringValue(idx));
    case mtJSon: return TSuperObject::Create(GetJSonValue(idx));
    case mtBoolean: return TSuperObject::Create(GetBooleanValue(idx));
    case mtInteger: return TSuperObject::Create(static_cast<long>(GetIntegerValue(idx)));
    case mtDouble: return TSuperObject::Create(GetDoubleValue(idx));
    case mtCurrency: return TSuperObject::CreateCurrency(GetCurrencyValue(idx));
    case mtVariant: {
      Variant v = GetVariantValue(idx);
      return v.IsEmpty() ? TSuperObject::Create(stNull) : SO(v);
    }
    case mtEnum: {
      const std::string* t = static_cast<TZQJSonEnumMember*>(M)->TextOf(GetEnumerValue(idx));
      return t ? TSuperObject::Create(*t) : nullptr;
    }
    case mtEnumSet: return static_cast<TZQJSonEnumSetMember*>(M)->SetToJSon(GetEnumSetValue(idx));
    default: break;
  }
  // A property without member.
  switch (P->Kind) {
    case PropKind::Integer:
    case PropKind::Int64: return TSuperObject::Create(static_cast<long>(GetOrdProp(this, *P)));
    case PropKind::Boolean: return TSuperObject::Create(GetOrdProp(this, *P) != 0);
    case PropKind::Enumeration: {
      std::string text = ConvertEnumToString(P->Name);
      if (text.empty())
        throw EIWZQJQuery(Format("EnumConversion undefined in \"%s.ConvertEnumToString\" for property \"%s\"!",
                                 ClassName(), P->Name));
      return TSuperObject::Create(text);
    }
    case PropKind::Float: return TSuperObject::Create(GetFloatProp(this, *P));
    case PropKind::Text: return TSuperObject::Create(GetStrProp(this, *P));
    case PropKind::Set: {
      std::vector<std::string> texts;
      if (!ConvertSetToString(P->Name, texts))
        throw EIWZQJQuery(Format("SetConversion undefined in \"%s.ConvertSetToString\" for property \"%s\"!",
                                 ClassName(), P->Name));
      ISuperObject arr = TSuperObject::Create(stArray);
      for (const std::string& t : texts) arr->AsArray()->Add(SO(t));
      return arr;
    }
    case PropKind::Variant: return SO(GetPropAs<Variant>(this, *P));
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
  ISuperObject n = FSObj->AsObject()->GetO(M->Name(), M->NameHash());
  if (!n) return nullptr;  // absent (or a name without node): the default
  bool stored;
  switch (mt) {
    case mtString:
    case mtColor: stored = n->AsString() != static_cast<TZQJSonStringMember*>(M)->FDefVal; break;
    case mtBoolean: stored = n->AsBoolean() != static_cast<TZQJSonBooleanMember*>(M)->FDefVal; break;
    case mtInteger:
      stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(n->AsInteger())) !=
               static_cast<TZQJSonIntegerMember*>(M)->FDefVal;
      break;
    case mtDouble: stored = !SameNumber(n->AsDouble(), static_cast<TZQJSonDoubleMember*>(M)->FDefVal); break;
    case mtCurrency: stored = !(n->AsCurrency() == static_cast<TZQJSonCurrencyMember*>(M)->FDefVal); break;
    case mtEnum: {
      auto* e = static_cast<TZQJSonEnumMember*>(M);
      const int i = e->IndexOf(n->AsString());
      stored = i >= 0 && i != e->FDefVal;
      break;
    }
    case mtEnumSet: {
      auto* e = static_cast<TZQJSonEnumSetMember*>(M);
      stored = e->JSonToSet(n) != e->FDefBuf;
      break;
    }
    default: stored = false; break;
  }
  return stored ? n : nullptr;
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
    if (Rec.Members && !Rec.AllProps && M && !Rec.Members->HasMember(M) && !S.MayHoldMembers) continue;
    if (GetCustomJq(P->Name, result)) {
      Bookkeep(Rec, M);
      continue;
    }
    if (M && !M->GenerateJSon()) {
      Bookkeep(Rec, M);
      continue;
    }
    bool noObject = false;
    ISuperObject v = force || !S.MemberRule ? PropValue(P, M, force, Rec, noObject) : RowValue(S, Rec);
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

ISuperObject TIWZQJSon::GetJSon() { return GetJSonEx(false, false, nullptr, false); }

namespace {
// Whether event functions are written, decided once per literal by its
// outermost object (the container's design state) and kept for the nested ones.
thread_local int tWriteEvents = -1;
struct WriteEventsScope {
  bool outer;
  explicit WriteEventsScope(TIWZQJSon* self, bool (TIWZQJSon::*designMode)()) : outer(tWriteEvents < 0) {
    if (outer) tWriteEvents = (self->*designMode)() ? 0 : 1;
  }
  ~WriteEventsScope() {
    if (outer) tWriteEvents = -1;
  }
  WriteEventsScope(const WriteEventsScope&) = delete;
  WriteEventsScope& operator=(const WriteEventsScope&) = delete;
};
}  // namespace

ISuperObject TIWZQJSon::GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members, bool OnlyCount) {
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

ISuperObject TIWZQJSon::GetJSonEvents(const std::string&) { return GetJSonByType(false, true); }

std::string TIWZQJSon::GetJSonText() {
  return ZQOptionJSonText(GetJSon(), JSonIdent(), JSonEscape(), JSonNameQuote());
}

// ---------------------------------------------------------------------------
// Values of recorded members

ISuperObject TIWZQJSon::GetMemberPropJSon(TZQJSonMember* M, const ISuperObject& AValue, std::string& AName,
                                          bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                                          bool OnlyCount) {
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

TIWZQMemberResponseTab TIWZQJSon::GetMembersJSon(TIWZQResponseMemberList* Members, bool AllProps, bool ForceVal) {
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

ISuperObject TIWZQJSon::GetMemberJSon(TZQJSonMember* AMember, const ISuperObject& AValue, std::string& AName) {
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
// Reset and copy

void TIWZQJSon::ResetProps() {
  TZQJSonClassData* cd = GetClassData();
  for (const PropInfo* P : cd->PropList()) {
    TZQJSonMember* M = cd->MemberOfProp(P);
    if (!M || !StoreProperty(P)) continue;
    const int i = M->Position();
    switch (M->MType()) {
      case mtString:
      case mtColor: SetStringValue(i, static_cast<TZQJSonStringMember*>(M)->FDefVal); break;
      case mtJSon: SetJSonValue(i, static_cast<TZQJSonJSonMember*>(M)->FDefVal); break;
      case mtBoolean: SetBooleanValue(i, static_cast<TZQJSonBooleanMember*>(M)->FDefVal); break;
      case mtInteger: SetIntegerValue(i, static_cast<TZQJSonIntegerMember*>(M)->FDefVal); break;
      case mtEnum: SetEnumerValue(i, static_cast<TZQJSonEnumMember*>(M)->FDefVal); break;
      case mtDouble: SetDoubleValue(i, static_cast<TZQJSonDoubleMember*>(M)->FDefVal); break;
      case mtCurrency: SetCurrencyValue(i, static_cast<TZQJSonCurrencyMember*>(M)->FDefVal); break;
      case mtVariant: SetVariantValue(i, static_cast<TZQJSonVariantMember*>(M)->FDefVal); break;
      case mtEnumSet: SetEnumSetValue(i, static_cast<TZQJSonEnumSetMember*>(M)->FDefBuf); break;
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
        throw EIWZQJQuery(Format("PropKind \"%s\" not supported in \"%s.SetDefaultPropJSonObj\" for property \"%s\"!",
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
        SubObject(M->Position(), M->MType() == mtJSonObj ? mtJSonObj : M->MType())->Assign(sslot->Obj());
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
      case PropKind::Float: SetFloatProp(this, *P, GetFloatProp(s, *SP)); break;
      case PropKind::Text: SetStrProp(this, *P, GetStrProp(s, *SP)); break;
      case PropKind::Integer:
      case PropKind::Int64:
      case PropKind::Boolean:
      case PropKind::Enumeration:
      case PropKind::Set: SetOrdProp(this, *P, GetOrdProp(s, *SP)); break;
      case PropKind::Variant: SetPropAs<Variant>(this, *P, GetPropAs<Variant>(s, *SP)); break;
      default: break;
    }
  }
  for (const PropInfo* E : ClassType().Events())
    if (E->IsWritable() && &s->ClassType() == &ClassType()) E->CopyValue(s, this);
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
      case stObject: text = val->AsJSon(false, true, true); break;
      case stString:
        text = val->AsJSon(false, false, true);
        if (!text.empty() && (text.front() == '"' || text.front() == '\'')) text.erase(0, 1);
        if (!text.empty() && (text.back() == '"' || text.back() == '\'')) text.pop_back();
        break;
      default: continue;
    }
    ATag->AddStringParam(attr, text);
  }
}

// ---------------------------------------------------------------------------
// Option literal text

std::string ZQOptionJSonText(const ISuperObject& ANode, bool AIndent, bool AEscape, bool ANameQuote) {
  if (!ANode) return {};
  return ANode->AsJSon(AIndent, AEscape, ANameQuote);
}

}  // namespace zq
