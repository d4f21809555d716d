#include "options/jsonlist.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <vector>

#include "foundation/component.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJSonList) {}
ZQ_IMPLEMENT_CLASS(TIWZQJSonSimpleArray) {}
ZQ_IMPLEMENT_CLASS(TIWZQJSonDynObjItem) {
  c.Prop("Name", &TIWZQJSonDynObjItem::GetName, &TIWZQJSonDynObjItem::SetName);
  c.Prop("Value", &TIWZQJSonDynObjItem::GetValue, &TIWZQJSonDynObjItem::SetValue);
}
ZQ_IMPLEMENT_CLASS(TIWZQJSonDynObjList) {}

namespace {
struct PendingList {
  TPersistent* Owner = nullptr;
  std::string PropName;
  bool Set = false;
};
thread_local PendingList tPendingList;

TPersistent* PendingOwner() {
  return tPendingList.Set ? tPendingList.Owner : nullptr;
}

IIWZQJSContainer* FindContainer(TPersistent* from) {
  for (TPersistent* o = from; o; o = o->GetOwner())
    if (auto* c = dynamic_cast<IIWZQJSContainer*>(o)) return c;
  return nullptr;
}

// Reports a change of the member that holds a container: recorded for the
// ajax response when the container says so, then the designer refresh.
void ReportMemberChange(TPersistent* owner, TZQJSonMember* member) {
  IIWZQJSContainer* c = FindContainer(owner);
  auto* json = dynamic_cast<TIWZQJSon*>(owner);
  if (member && json && c && member->GenerateJSon() && c->GetGenerateAjaxResponse(member))
    json->AddMemberToAjaxResponse(member);
  if (c) c->DesignTimeRefresh();
}
}  // namespace

// ---------------------------------------------------------------------------
// TIWZQJSonList

TIWZQJSonList::TIWZQJSonList() : TIWZQJSonList(TIWZQJSon::StaticClass(), 0) {}

TIWZQJSonList::TIWZQJSonList(const ClassInfo& AItemClass, int AIdxNo)
    : TZQIndexedCollection(AItemClass, AIdxNo, PendingOwner()) {
  if (tPendingList.Set) {
    FOwner = tPendingList.Owner;
    FPropName = std::move(tPendingList.PropName);
  }
  tPendingList = PendingList{};
  if (auto* c = GetZQJSContainer()) {
    c->DisableAjaxResponse();
    FDisabledContainer = c;
  }
}

TIWZQJSonList::~TIWZQJSonList() {
  FDestroying = true;
}

void TIWZQJSonList::AfterConstruction() {
  TZQIndexedCollection::AfterConstruction();
  if (auto* c = FDisabledContainer) {
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
}

void TIWZQJSonList::BeforeDestruction() {
  FDestroying = true;
  ZQNotifyJSonFreed(this);
  if (auto* c = FDisabledContainer) {
    FDisabledContainer = nullptr;
    c->EnableAjaxResponse();
  }
  TZQIndexedCollection::BeforeDestruction();
}

TIWZQJSonList* TIWZQJSonList::CreateList(const ClassInfo& AClass, TPersistent* AOwner,
                                         std::string_view APropName) {
  tPendingList = PendingList{AOwner, std::string(APropName), true};
  try {
    TObject* obj = AClass.CreateInstance<TObject>();
    tPendingList = PendingList{};
    auto* list = dynamic_cast<TIWZQJSonList*>(obj);
    if (!list) {
      Free(obj);
      throw EIWZQJQuery(Format("Class \"%s\" is not an option list class!", AClass.Name()));
    }
    return list;
  } catch (...) {
    tPendingList = PendingList{};
    throw;
  }
}

IIWZQJSContainer* TIWZQJSonList::GetZQJSContainer() {
  return FindContainer(FOwner);
}

TComponent* TIWZQJSonList::GetImplComponent() {
  auto* c = GetZQJSContainer();
  return c ? c->GetImplComponent() : nullptr;
}

std::string TIWZQJSonList::GetHTMLName() {
  auto* c = GetZQJSContainer();
  return c ? c->GetHTMLName() : std::string();
}

std::string TIWZQJSonList::GetIWCLName() {
  auto* c = GetZQJSContainer();
  return c ? c->GetIWCLName() : std::string();
}

void TIWZQJSonList::ReportChange() {
  if (FDestroying) return;
  ReportMemberChange(FOwner, FMember);
}

void TIWZQJSonList::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TZQIndexedCollection::Notify(Item, Action);
  if (Action == cnAdded || Action == cnExtracting) ReportChange();
}

void TIWZQJSonList::Assign(const TPersistent* Source) {
  TZQIndexedCollection::Assign(Source);
  auto* src = dynamic_cast<const TIWZQJSonList*>(Source);
  if (!src || &src->ClassType() != &ClassType()) return;
  for (const PropInfo* p : ClassType().Properties())
    if (p->IsWritable() && p->Copy) p->CopyValue(src, this);
  FFlags = src->FFlags;
}

namespace {
void CollectColumn(const std::string& AName, const ISuperObject& AJSon, void* AData) {
  auto* c = static_cast<TSuperTableString*>(AData);
  ISuperObject arr = c->GetO(AName);
  if (!arr || !arr->IsType(stArray)) {
    arr = TSuperObject::Create(stArray);
    c->PutO(AName, arr);
  }
  arr->AsArray()->Add(AJSon);
}
}  // namespace

ISuperObject TIWZQJSonList::GetJSonEx(bool AllProps, bool ForceVal,
                                      TIWZQResponseMemberList* Members, bool OnlyCount) {
  if (Count() == 0) return nullptr;
  if (GetFlag(kListColumnLayout)) {
    ISuperObject result = TSuperObject::Create(stArray);
    ISuperObject columns = SO();
    TComponent* comp = GetImplComponent();
    for (int i = 0; i < Count(); ++i) {
      TEachPropJsonRec rec;
      rec.Proc = &CollectColumn;
      rec.Data = columns->AsObject();
      rec.Events = !(comp && comp->HasState(csDesigning));
      rec.AllProps = AllProps;
      rec.ForceVal = ForceVal;
      rec.Members = Members;
      rec.OnlyCount = OnlyCount;
      GetItem(i)->InternalGetJSon(rec);
    }
    if (GetFlag(kListObjectLayout))
      result->Merge(columns, false);
    else
      result->AsArray()->Add(columns);
    return result;
  }
  const bool objectLayout = GetFlag(kListObjectLayout);
  ISuperObject result = TSuperObject::Create(objectLayout ? stObject : stArray);
  for (int i = 0; i < Count(); ++i) {
    ISuperObject v = GetItem(i)->GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
    if (!v) continue;
    if (objectLayout)
      result->Merge(v, false);
    else
      result->AsArray()->Add(v);
  }
  return result;
}

// ---------------------------------------------------------------------------
// TIWZQJSonSimpleArray

void TIWZQJSonSimpleArray::BeforeDestruction() {
  FDestroying = true;
  ZQNotifyJSonFreed(this);
  TZQStringList::BeforeDestruction();
}

void TIWZQJSonSimpleArray::Changed() {
  TZQStringList::Changed();
  if (!FDestroying && UpdateCount() == 0) ReportMemberChange(FOwner, FMember);
}

namespace {
// A line of an unquoted simple array: a decimal 32-bit integer, 0 when the
// line is not one.
std::int64_t SimpleArrayInteger(const std::string& line) {
  std::int64_t v = 0;
  std::size_t p = 0;
  bool neg = false, ok = true;
  if (line[0] == '-' || line[0] == '+') {
    neg = line[0] == '-';
    p = 1;
  }
  if (p == line.size()) ok = false;
  for (; ok && p < line.size(); ++p) {
    if (line[p] < '0' || line[p] > '9')
      ok = false;
    else {
      v = v * 10 + (line[p] - '0');
      if (v > 2147483648LL) ok = false;
    }
  }
  if (neg) v = -v;
  if (!ok || v > 2147483647LL) v = 0;
  return v;
}
}  // namespace

ISuperObject TIWZQJSonSimpleArray::GetJSon() {
  if (Count() == 0) return nullptr;
  ISuperObject result = TSuperObject::Create(stArray);
  TSuperArray* a = result->AsArray();
  const bool quoted = GetQuoted();
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = Strings(i);
    if (line.empty())
      a->Add(nullptr);
    else if (quoted)
      a->AddS(line);
    else
      a->AddI(SimpleArrayInteger(line));
  }
  return result;
}

bool TIWZQJSonSimpleArray::WriteDirect(std::string& AOut, bool AEscape) {
  if (Count() == 0) return false;
  const bool quoted = GetQuoted();
  AOut += '[';
  for (int i = 0; i < Count(); ++i) {
    if (i) AOut += ',';
    const std::string& line = Strings(i);
    if (line.empty()) {
      AOut += "null";
    } else if (quoted) {
      AOut += '"';
      SuperAppendEscaped(AOut, line, AEscape);
      AOut += '"';
    } else {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, SimpleArrayInteger(line));
      AOut.append(buf, static_cast<std::size_t>(r.ptr - buf));
    }
  }
  AOut += ']';
  return true;
}

// ---------------------------------------------------------------------------
// TIWZQJSonDynObjItem / TIWZQJSonDynObjList

TIWZQJSonDynObjList* TIWZQJSonDynObjItem::List() const {
  return dynamic_cast<TIWZQJSonDynObjList*>(GetCollection());
}

void TIWZQJSonDynObjItem::SetName(const std::string& AValue) {
  if (AValue == FName) return;
  if (auto* l = List()) l->SetKey(this, 0, AValue.empty() ? Variant() : Variant(AValue));
  FName = AValue;
  if (auto* l = List()) l->ReportChange();
}

void TIWZQJSonDynObjItem::SetValue(const Variant& AValue) {
  FValue = AValue;
  if (auto* l = List()) l->ReportChange();
}

void TIWZQJSonDynObjItem::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TIWZQJSonDynObjItem*>(Source)) {
    SetName(src->FName);
    SetValue(src->FValue);
    return;
  }
  TZQIndexedCollectionItem::Assign(Source);
}

ISuperObject TIWZQJSonDynObjItem::ValueNode() const {
  const Variant& v = FValue;
  if (v.IsEmptyOrNull()) return nullptr;
  if (v.IsText()) return TSuperObject::Create(v.ToString());
  if (v.IsBool()) return TSuperObject::Create(v.ToBool());
  if (v.IsInteger()) {
    if (auto* u = v.get_if<std::uint64_t>()) {
      // Above the signed range there is no integer node: keep the value as a number.
      if (*u > static_cast<std::uint64_t>(INT64_MAX))
        return TSuperObject::Create(static_cast<double>(*u));
    }
    return TSuperObject::Create(static_cast<long>(v.ToInt64()));
  }
  if (v.IsFloat()) return TSuperObject::Create(v.ToDouble());
  return nullptr;
}

TIWZQJSonDynObjList::TIWZQJSonDynObjList(TIWZQJSon* AOwner, TZQJSonDynObjListMember* AMember)
    : TZQIndexedCollection(TIWZQJSonDynObjItem::StaticClass(), 1, AOwner),
      FOwner(AOwner),
      FMember(AMember) {}

void TIWZQJSonDynObjList::BeforeDestruction() {
  FDestroying = true;
  ZQNotifyJSonFreed(this);
  TZQIndexedCollection::BeforeDestruction();
}

Variant TIWZQJSonDynObjList::KeyOfItem(int, const TCollectionItem* Item) const {
  const std::string& n = static_cast<const TIWZQJSonDynObjItem*>(Item)->GetName();
  return n.empty() ? Variant() : Variant(n);
}

TIWZQJSonDynObjItem* TIWZQJSonDynObjList::Add(const std::string& AName, const Variant& AValue) {
  if (!AName.empty() && GetItemByName(AName))
    throw EListError("String list does not allow duplicates");
  auto* item = Add();
  item->SetName(AName);
  item->SetValue(AValue);
  return item;
}

TIWZQJSonDynObjItem* TIWZQJSonDynObjList::GetItemByName(std::string_view AName) const {
  return static_cast<TIWZQJSonDynObjItem*>(GetOrderedItem(0, Variant(AName)));
}

void TIWZQJSonDynObjList::ReportChange() {
  if (FDestroying || IsClearing()) return;
  ReportMemberChange(FOwner, FMember);
}

void TIWZQJSonDynObjList::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TZQIndexedCollection::Notify(Item, Action);
  if (Action == cnAdded || Action == cnExtracting) {
    if (FDestroying) return;
    ReportMemberChange(FOwner, FMember);
  }
}

ISuperObject TIWZQJSonDynObjList::GetJSon() {
  if (Count() == 0) return nullptr;
  ISuperObject result = SO();
  for (int i = 0; i < Count(); ++i) {
    TIWZQJSonDynObjItem* item = GetItem(i);
    ISuperObject v = item->ValueNode();
    if (!v) continue;
    const std::string& name = item->GetName();
    // A name holding "." or "[" is a path into nested members; any other
    // name is one member, whatever its characters (the option writer quotes
    // names that are not identifiers).
    if (name.find_first_of(".[") != std::string::npos)
      result->PutO(name, v);
    else
      result->AsObject()->PutO(name, v);
  }
  return result;
}

namespace {
// A dynamic item's value as the writer writes its node (ValueNode); false
// when it has none.
bool PutDynValue(std::string& out, const Variant& v, bool escape) {
  if (v.IsEmptyOrNull()) return false;
  char buf[24];
  if (v.IsText()) {
    out += '"';
    SuperAppendEscaped(out, v.ToString(), escape);
    out += '"';
  } else if (v.IsBool()) {
    out += v.ToBool() ? "true" : "false";
  } else if (v.IsInteger()) {
    auto* u = v.get_if<std::uint64_t>();
    if (u && *u > static_cast<std::uint64_t>(INT64_MAX)) {
      SuperAppendDouble(out, static_cast<double>(*u));
    } else {
      auto r = std::to_chars(buf, buf + sizeof buf, v.ToInt64());
      out.append(buf, static_cast<std::size_t>(r.ptr - buf));
    }
  } else if (v.IsFloat()) {
    SuperAppendDouble(out, v.ToDouble());
  } else {
    return false;
  }
  return true;
}
}  // namespace

int TIWZQJSonDynObjList::WriteDirect(std::string& AOut, bool AEscape, bool ANameQuote) {
  struct Named {
    TIWZQJSonDynObjItem* Item;
    std::uint32_t Hash;
    int Index;
  };
  std::vector<Named> items;
  items.reserve(static_cast<std::size_t>(Count()));
  for (int i = 0; i < Count(); ++i) {
    TIWZQJSonDynObjItem* item = GetItem(i);
    const std::string& name = item->GetName();
    if (name.find_first_of(".[") != std::string::npos) return -1;
    const Variant& v = item->GetValue();
    if (v.IsEmptyOrNull() || !(v.IsText() || v.IsBool() || v.IsInteger() || v.IsFloat()))
      continue;  // no node
    items.push_back({item, TSuperTableString::Hash(name), i});
  }
  // Member order; of two values under one name the later one stays.
  std::sort(items.begin(), items.end(), [](const Named& a, const Named& b) {
    int c = TSuperTableString::CompareNames(a.Hash, a.Item->GetName(), b.Hash, b.Item->GetName());
    return c != 0 ? c < 0 : a.Index < b.Index;
  });
  AOut += '{';
  int written = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string& name = items[i].Item->GetName();
    if (i + 1 < items.size() && items[i + 1].Item->GetName() == name) continue;
    const std::size_t mark = AOut.size();
    if (written) AOut += ',';
    if (ANameQuote || !ZQIsBareJSonName(name)) {
      AOut += '"';
      SuperAppendEscaped(AOut, name, AEscape || !ANameQuote);
      AOut += '"';
    } else {
      SuperAppendEscaped(AOut, name, AEscape);
    }
    AOut += ':';
    if (!PutDynValue(AOut, items[i].Item->GetValue(), AEscape)) {
      AOut.resize(mark);
      continue;
    }
    ++written;
  }
  AOut += '}';
  return written;
}

}  // namespace zq
