// Option objects: settings, the class cache, construction, declarations,
// lookups and the instance slots of sub-objects.
#include "options/jsonobj.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "foundation/asciicase.h"
#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "options/jsonlist.h"
#include "options/jsonobj_impl.h"
#include "options/optionrows.h"

namespace zq {

using namespace jsonobj_impl;

ZQ_IMPLEMENT_CLASS(TIWZQResponseMember) {}
ZQ_IMPLEMENT_CLASS(TIWZQResponseMemberList) {}
ZQ_IMPLEMENT_CLASS(TZQJSonClassData) {}
ZQ_IMPLEMENT_CLASS(TIWZQJSon) {}

// ---------------------------------------------------------------------------
// Settings and registrations

namespace {
bool NeverIndent() {
  return false;
}
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
}  // namespace

void ZQSetJSonIdentFn(TZQJSonIdentFn AFn) {
  gIdentFn = AFn ? AFn : &NeverIndent;
}
bool ZQJSonIdent() {
  return gIdentFn.load()();
}

void ZQRegisterEventFunctionClasses(const ClassInfo* AFuncBase, const ClassInfo* ADefault) {
  gFuncBase = AFuncBase;
  gFuncDefault = ADefault;
}
const ClassInfo* ZQEventFunctionBaseClass() {
  return gFuncBase;
}
const ClassInfo* ZQDefaultEventFunctionClass() {
  return gFuncDefault;
}

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
  return AMember &&
         GetOrderedIndex(0, Variant(Format("%p", static_cast<const void*>(AMember)))) >= 0;
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
      if (p->Declarer && p->Declarer->InheritsFrom(TIWZQJSon::StaticClass()))
        FPropList.push_back(p);
}

TZQJSonClassData::~TZQJSonClassData() = default;

namespace {
// Whether a property of kind P can be bound to a member of kind M (the
// accessor family of the member's kind gives a value of that property kind).
bool PropKindAccepts(const PropInfo& P, TZQJSonMemberType M) {
  switch (M) {
    case mtString:
    case mtColor:
    case mtJSon:
      return P.Kind == PropKind::Text;
    case mtBoolean:
      return P.Kind == PropKind::Boolean;
    case mtInteger:
      return P.Kind == PropKind::Integer || P.Kind == PropKind::Int64;
    case mtEnum:
      return P.Kind == PropKind::Enumeration;
    case mtDouble:
      return P.Kind == PropKind::Float;
    case mtCurrency:
      return P.Kind == PropKind::Other && P.ValueType && *P.ValueType == typeid(Currency);
    case mtVariant:
      return P.Kind == PropKind::Variant;
    case mtEnumSet:
      return P.Kind == PropKind::Set;
    case mtJSonObj:
    case mtJSonObjList:
    case mtJSonSimpleArray:
    case mtJSonDynObjList:
    case mtJSonFunc:
      return P.Kind == PropKind::Object;
    case mtNone:
      break;
  }
  return false;
}
}  // namespace

void TZQJSonClassData::IndexProps() {
  const char* cls = FJSonClass ? FJSonClass->Name().c_str() : "";
  for (const PropInfo* p : FPropList) {
    if (!p->HasIndex()) continue;
    if (p->Index < 0 || p->Index >= MemberCount())
      throw EIWZQJQuery(Format("Property \"%s.%s\" has index %d but the class declares %d members!",
                               cls, p->Name, p->Index, MemberCount()));
    TZQJSonMember* m = FMemberList->GetItem(p->Index);
    if (!PropKindAccepts(*p, m->MType()))
      throw EIWZQJQuery(
          Format("Property \"%s.%s\" of kind \"%s\" does not accept member \"%s\" of kind \"%s\"!",
                 cls, p->Name, PropKindName(p->Kind), m->Name(), ZQJSonMemberTypeName(m->MType())));
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
    step.MayHoldMembers = oc && (oc->InheritsFrom(TIWZQJSon::StaticClass()) ||
                                 oc->InheritsFrom(TIWZQJSonList::StaticClass()));
    step.Name = m ? m->Name() : LowerAscii(p->Name);
    step.Hash = m ? m->NameHash() : TSuperTableString::Hash(step.Name);
    step.AsciiBare =
        ZQIsBareJSonName(step.Name) &&
        std::all_of(step.Name.begin(), step.Name.end(), [](char c) { return (c & 0x80) == 0; });
    FSteps.push_back(step);
  }
  FWriteOrder.resize(FSteps.size());
  for (std::size_t i = 0; i < FSteps.size(); ++i) FWriteOrder[i] = i;
  std::stable_sort(FWriteOrder.begin(), FWriteOrder.end(), [this](std::size_t a, std::size_t b) {
    return TSuperTableString::CompareNames(FSteps[a].Hash, FSteps[a].Name, FSteps[b].Hash,
                                           FSteps[b].Name) < 0;
  });
  FSharedNames = false;
  for (std::size_t i = 1; i < FWriteOrder.size(); ++i)
    if (FSteps[FWriteOrder[i]].Name == FSteps[FWriteOrder[i - 1]].Name) FSharedNames = true;
  FPropOfMember.assign(static_cast<std::size_t>(MemberCount()), nullptr);
  for (const PropInfo* p : FPropList)
    if (p->HasIndex() && p->Index >= 0 && p->Index < MemberCount() &&
        !FPropOfMember[static_cast<std::size_t>(p->Index)])
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

TIWZQJSonInstObjItem::~TIWZQJSonInstObjItem() {
  FreeObj();
}

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

void ZQSetJSonFreedHook(TZQJSonFreedHook AHook) {
  gJSonFreedHook.store(AHook);
}

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

TIWZQJSon* TIWZQJSon::CreateSingle(const ClassInfo& AClass, TPersistent* AOwner,
                                   std::string_view APropName) {
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
      throw EIWZQJQuery(Format("Unknown Member Type \"%s\" in TIWZQJSon.CreateInstance!",
                               ZQJSonMemberTypeName(t)));
    if (m->Dynamic())
      FInstList[static_cast<std::size_t>(i)] = std::make_unique<TIWZQJSonInstObjDynItem>(m);
    else
      FInstList[static_cast<std::size_t>(i)] = std::make_unique<TIWZQJSonInstObjItem>(m);
    if (t == mtJSonFunc && m->HasFixedScript()) SubObject(i, mtJSonFunc);
  }
}

// ---------------------------------------------------------------------------
// Declarations

#define ZQ_ML GetClassData()->Members()
TZQJSonStringMember* TIWZQJSon::AddStringMember(std::string_view AName, std::string_view ADefVal,
                                                bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddString(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonBooleanMember* TIWZQJSon::AddBooleanMember(std::string_view AName, bool ADefVal,
                                                  bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddBoolean(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonIntegerMember* TIWZQJSon::AddIntegerMember(std::string_view AName, std::int32_t ADefVal,
                                                  bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddInteger(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonColorMember* TIWZQJSon::AddColorMember(std::string_view AName, std::string_view ADefVal,
                                              bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddColor(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonDoubleMember* TIWZQJSon::AddDoubleMember(std::string_view AName, double ADefVal,
                                                bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddDouble(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonCurrencyMember* TIWZQJSon::AddCurrencyMember(std::string_view AName, Currency ADefVal,
                                                    bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddCurrency(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonVariantMember* TIWZQJSon::AddVariantMember(std::string_view AName, const Variant& ADefVal,
                                                  bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddVariant(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonJSonMember* TIWZQJSon::AddJSonMember(std::string_view AName, std::string_view ADefVal,
                                            bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddJSon(AName, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonObjMember* TIWZQJSon::AddObjMember(std::string_view AName, const ClassInfo& AClass,
                                          bool AUnchangeable, bool AGenerateJSon, bool ADynamic) {
  return ZQ_ML.AddJSonObj(AName, &AClass, AUnchangeable, AGenerateJSon, ADynamic);
}
TZQJSonObjListMember* TIWZQJSon::AddObjListMember(std::string_view AName, const ClassInfo& AClass,
                                                  bool AUnchangeable, bool AGenerateJSon,
                                                  bool ADynamic) {
  return ZQ_ML.AddJSonObjList(AName, &AClass, AUnchangeable, AGenerateJSon, ADynamic);
}
TZQJSonDynObjListMember* TIWZQJSon::AddDynObjListMember(std::string_view AName, bool AUnchangeable,
                                                        bool AGenerateJSon) {
  return ZQ_ML.AddDynJSonObjList(AName, AUnchangeable, AGenerateJSon);
}
TZQJSonSimpleArrayMember* TIWZQJSon::AddSimpleArrayMember(std::string_view AName, bool AQuoted,
                                                          bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddJSonSimpleArray(AName, AQuoted, AUnchangeable, AGenerateJSon);
}
TZQJSonEnumMember* TIWZQJSon::AddEnumMember(std::string_view AName,
                                            std::initializer_list<std::string_view> ATexts,
                                            std::uint8_t ADefVal, bool AUnchangeable,
                                            bool AGenerateJSon) {
  return ZQ_ML.AddEnum(AName, TZQStringArray(ATexts.begin(), ATexts.end()), ADefVal, AUnchangeable,
                       AGenerateJSon);
}
TZQJSonEnumSetMember* TIWZQJSon::AddEnumSetMember(std::string_view AName,
                                                  std::initializer_list<std::string_view> ATexts,
                                                  const void* ADefBuf, std::uint16_t ASize,
                                                  bool AUnchangeable, bool AGenerateJSon) {
  return ZQ_ML.AddEnumSet(AName, TZQStringArray(ATexts.begin(), ATexts.end()), ADefBuf, ASize,
                          AUnchangeable, AGenerateJSon);
}
TZQJSonEnumMember* TIWZQJSon::AddEnumMember(std::string_view AName, const TZQStringArray& ATexts,
                                            std::uint8_t ADefVal, bool AUnchangeable,
                                            bool AGenerateJSon) {
  return ZQ_ML.AddEnum(AName, ATexts, ADefVal, AUnchangeable, AGenerateJSon);
}
TZQJSonEnumSetMember* TIWZQJSon::AddEnumSetMember(std::string_view AName,
                                                  const TZQStringArray& ATexts, const void* ADefBuf,
                                                  std::uint16_t ASize, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  return ZQ_ML.AddEnumSet(AName, ATexts, ADefBuf, ASize, AUnchangeable, AGenerateJSon);
}
TZQJSonFuncMember* TIWZQJSon::AddFuncMember(std::string_view AName, std::string_view AArgs,
                                            std::string_view AFuncName, bool AHasFixedScript,
                                            const ClassInfo* AFuncClass, bool AUnchangeable,
                                            bool AGenerateJSon) {
  return ZQ_ML.AddJSonFunc(AName, AArgs, AFuncName, AHasFixedScript, AFuncClass, AUnchangeable,
                           AGenerateJSon);
}
#undef ZQ_ML

// ---------------------------------------------------------------------------
// Owners, names, lookups

TIWZQJSonList* TIWZQJSon::GetList() const {
  return dynamic_cast<TIWZQJSonList*>(GetCollection());
}

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

int TIWZQJSon::GetItemIndex() {
  return GetCollection() ? GetIndex() : -1;
}

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
// Sub-objects

TPersistent* TIWZQJSon::CreateSubObject(TIWZQJSonInstObjItem& ASlot, int AIndex) {
  TZQJSonMember* m = ASlot.Member();
  std::string prop = GetPropNameByIndex(AIndex);
  switch (m->MType()) {
    case mtJSonObj: {
      const ClassInfo* cls =
          ASlot.ObjClass() ? ASlot.ObjClass() : static_cast<TZQJSonObjMember*>(m)->FObjClass;
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
      if (!cls)
        throw EIWZQJQuery("No event function class registered for member " + ClassName() + "." +
                          m->Name());
      return cls->CreateInstance<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>(
          this, prop, fm);
    }
    default:
      throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  }
}

TPersistent* TIWZQJSon::SubObject(int AIndex, TZQJSonMemberType AKind) {
  TZQJSonMember* m = CheckJSonMember(AIndex);
  bool ok = AKind == mtJSonObj
                ? IsObjectKind(m->MType()) && m->MType() != mtJSonFunc && (m->MType() == mtJSonObj)
                : m->MType() == AKind;
  TIWZQJSonInstObjItem* slot =
      AIndex < static_cast<int>(FInstList.size()) ? FInstList[std::size_t(AIndex)].get() : nullptr;
  if (!ok || !slot) throw EIWZQJQuery("Invalid member in class " + ClassName() + "." + m->Name());
  if (!slot->FObj) {
    slot->FObj = CreateSubObject(*slot, AIndex);
    slot->FJSon = dynamic_cast<IIWZQJSon*>(slot->FObj);
  }
  return slot->FObj;
}

TIWZQJSon* TIWZQJSon::GetObjValue(int AIndex) {
  return static_cast<TIWZQJSon*>(SubObject(AIndex, mtJSonObj));
}
void TIWZQJSon::SetObjValue(int AIndex, TIWZQJSon* AValue) {
  SubObject(AIndex, mtJSonObj)->Assign(AValue);
}
TIWZQJSonList* TIWZQJSon::GetObjListValue(int AIndex) {
  return static_cast<TIWZQJSonList*>(SubObject(AIndex, mtJSonObjList));
}
void TIWZQJSon::SetObjListValue(int AIndex, TIWZQJSonList* AValue) {
  SubObject(AIndex, mtJSonObjList)->Assign(AValue);
}
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
TPersistent* TIWZQJSon::GetFuncValue(int AIndex) {
  return SubObject(AIndex, mtJSonFunc);
}
void TIWZQJSon::SetFuncValue(int AIndex, TPersistent* AValue) {
  SubObject(AIndex, mtJSonFunc)->Assign(AValue);
}

}  // namespace zq
