#include "foundation/zqclasses.h"

#include <algorithm>
#include <cctype>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

namespace {
[[noreturn]] void DuplicateError() { throw EListError("String list does not allow duplicates"); }
[[noreturn]] void IndexError(int Index) { throw EListError(Format("List index out of bounds (%d)", Index)); }

// Clears a flag on every exit.
struct FlagScope {
  bool& flag;
  explicit FlagScope(bool& f) : flag(f) { flag = true; }
  ~FlagScope() { flag = false; }
};
}  // namespace

// ---------------------------------------------------------------------------
// TZQKeyIndex

int TZQKeyIndex::Compare(std::string_view A, std::string_view B) const {
  if (FCaseSensitive) {
    int c = A.compare(B);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return CompareTextAscii(A, B);
}

const std::string& TZQKeyIndex::Key(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FList[static_cast<std::size_t>(Index)].Key;
}

TObject* TZQKeyIndex::Object(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FList[static_cast<std::size_t>(Index)].Object;
}

bool TZQKeyIndex::Find(std::string_view Key, int& Index) const {
  auto it = std::lower_bound(FList.begin(), FList.end(), Key,
                             [this](const Entry& e, std::string_view k) { return Compare(e.Key, k) < 0; });
  Index = static_cast<int>(it - FList.begin());
  return it != FList.end() && Compare(it->Key, Key) == 0;
}

int TZQKeyIndex::IndexOf(std::string_view Key) const {
  int i = 0;
  return Find(Key, i) ? i : -1;
}

const std::string* TZQKeyIndex::KeyOfObject(const TObject* AObject) const {
  auto it = FKeyOf.find(AObject);
  return it == FKeyOf.end() ? nullptr : &it->second;
}

int TZQKeyIndex::IndexOfObject(const TObject* AObject) const {
  const std::string* key = KeyOfObject(AObject);
  if (!key) return -1;
  int i = 0;
  Find(*key, i);
  for (; i < Count() && Compare(FList[static_cast<std::size_t>(i)].Key, *key) == 0; ++i)
    if (FList[static_cast<std::size_t>(i)].Object == AObject) return i;
  return -1;  // not reached while the two structures agree
}

bool TZQKeyIndex::CanFile(std::string_view Key, const TObject* AObject) const {
  if (!IsUnique()) return true;
  int i = 0;
  if (!Find(Key, i)) return true;
  for (; i < Count() && Compare(FList[static_cast<std::size_t>(i)].Key, Key) == 0; ++i) {
    if (FList[static_cast<std::size_t>(i)].Object == AObject) continue;
    if (FDuplicates == zdError) DuplicateError();
    return false;
  }
  return true;
}

bool TZQKeyIndex::File(const std::string& Key, TObject* AObject) {
  if (!CanFile(Key, AObject)) return false;
  Remove(AObject);
  // After the entries with an equal key, so duplicates keep filing order.
  auto it = std::upper_bound(FList.begin(), FList.end(), Key,
                             [this](std::string_view k, const Entry& e) { return Compare(k, e.Key) < 0; });
  auto& slot = FKeyOf[AObject];
  try {
    FList.insert(it, Entry{Key, AObject});
  } catch (...) {
    FKeyOf.erase(AObject);
    throw;
  }
  slot = Key;
  return true;
}

bool TZQKeyIndex::Remove(const TObject* AObject) {
  int i = IndexOfObject(AObject);
  if (i < 0) return false;
  FList.erase(FList.begin() + i);
  FKeyOf.erase(AObject);
  return true;
}

void TZQKeyIndex::Clear() {
  FList.clear();
  FKeyOf.clear();
}

// ---------------------------------------------------------------------------
// TZQCollection

ZQ_IMPLEMENT_CLASS(TZQCollectionItem) { c.Prop("UserData", &TZQCollectionItem::GetUserData, &TZQCollectionItem::SetUserData); }
ZQ_IMPLEMENT_CLASS(TZQCollection) {}

void TZQCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  if (Action == cnAdded && OnAdded) OnAdded(this);
  if (Action == cnExtracting && OnExtract) OnExtract(this);
}

void TZQCollection::SortItems(const TZQItemCompare& Compare, void* Data) {
  auto& list = ItemList();
  std::stable_sort(list.begin(), list.end(),
                   [&](const auto& a, const auto& b) { return Compare(a.get(), b.get(), Data) < 0; });
  Changed();
}

// ---------------------------------------------------------------------------
// TZQIndexedCollectionItem

ZQ_IMPLEMENT_CLASS(TZQIndexedCollectionItem) {}

TZQIndexedCollection* TZQIndexedCollectionItem::IndexedCollection() const {
  return dynamic_cast<TZQIndexedCollection*>(GetCollection());
}

void TZQIndexedCollectionItem::SetCollection(TCollection* Value) {
  TCollection* old = GetCollection();
  if (Value == old) return;
  TZQCollectionItem::SetCollection(Value);
  if (auto* c = IndexedCollection()) {
    try {
      c->FileCurrentKeys(this);
    } catch (...) {
      // Refused by a unique index there: back where it came from.
      SetCollection(old);
      throw;
    }
  }
}

Variant TZQIndexedCollectionItem::GetKey(int IdxNo) const {
  auto* c = IndexedCollection();
  if (!c) return Variant(VarNull);
  const std::string* key = c->Index(IdxNo).KeyOfObject(this);
  return key ? Variant(*key) : Variant(VarNull);
}

bool TZQIndexedCollectionItem::SetKey(int IdxNo, const Variant& AKey) {
  auto* c = IndexedCollection();
  return c ? c->SetKey(this, IdxNo, AKey) : true;
}

bool TZQIndexedCollectionItem::SetKey(int IdxNo, const Variant& AKey, const Variant& OldKey) {
  auto* c = IndexedCollection();
  return c ? c->SetKey(this, IdxNo, AKey, OldKey) : true;
}

// ---------------------------------------------------------------------------
// TZQIndexedCollection

ZQ_IMPLEMENT_CLASS(TZQIndexedCollection) {}

TZQIndexedCollection::TZQIndexedCollection(const ClassInfo& ItemClass, int IdxNo, TPersistent* AOwner)
    : TZQCollection(ItemClass, AOwner), FIdxNo(IdxNo < 0 ? 0 : IdxNo) {}

TZQIndexedCollection::~TZQIndexedCollection() {
  if (!FIsClearing) TZQIndexedCollection::BeforeDestruction();
}

void TZQIndexedCollection::BeforeDestruction() {
  // The indexes go before the items.
  FIsClearing = true;
  for (auto& i : FIndexs) i->Clear();
  TZQCollection::BeforeDestruction();
}

void TZQIndexedCollection::Initialize() {
  TZQCollection::Initialize();
  EnsureIndexes();
}

void TZQIndexedCollection::EnsureIndexes() const {
  // Made on first use rather than in the constructor, so that the rules come
  // from the derived class's overrides.
  if (FIndexesMade) return;
  FIndexesMade = true;
  FIndexs.clear();
  for (int n = 0; n < FIdxNo; ++n) FIndexs.push_back(std::make_unique<TZQKeyIndex>(KeyDuplicates(n), KeyCaseSensitive(n)));
}

bool TZQIndexedCollection::KeyCaseSensitive(int) const { return false; }
TZQDuplicates TZQIndexedCollection::KeyDuplicates(int) const { return zdAccept; }
Variant TZQIndexedCollection::KeyOfItem(int, const TCollectionItem*) const { return Variant(); }
std::string TZQIndexedCollection::KeyToStr(int, const Variant& AKey) const { return AKey.ToString(); }

void TZQIndexedCollection::CheckIdxNo(int IdxNo) const {
  if (IdxNo < 0 || IdxNo >= GetIndexCount()) IndexError(IdxNo);
}

TZQKeyIndex& TZQIndexedCollection::Index(int IdxNo) const {
  EnsureIndexes();
  CheckIdxNo(IdxNo);
  return *FIndexs[static_cast<std::size_t>(IdxNo)];
}

const TZQKeyIndex& TZQIndexedCollection::GetIndexList(int IdxNo) const { return Index(IdxNo); }

int TZQIndexedCollection::GetIndexCount() const {
  EnsureIndexes();
  return static_cast<int>(FIndexs.size());
}

void TZQIndexedCollection::SetIndexCount(int Value) {
  if (Value < 0) Value = 0;
  if (Value == GetIndexCount()) return;
  FIdxNo = Value;
  FIndexesMade = false;
  if (FCurrentKey >= Value) FCurrentKey = -1;
  EnsureIndexes();
}

void TZQIndexedCollection::SetCapacity(int Value) {
  ItemList().reserve(static_cast<std::size_t>(std::max(Value, 0)));
  EnsureIndexes();
  for (auto& i : FIndexs) i->Reserve(Value);
}

int TZQIndexedCollection::GetOrderedIndex(int IdxNo, const Variant& AKey) const {
  return Index(IdxNo).IndexOf(KeyToStr(IdxNo, AKey));
}

TCollectionItem* TZQIndexedCollection::GetOrderedItem(int IdxNo, const Variant& AKey) const {
  const TZQKeyIndex& idx = Index(IdxNo);
  int i = idx.IndexOf(KeyToStr(IdxNo, AKey));
  return i < 0 ? nullptr : static_cast<TCollectionItem*>(idx.Object(i));
}

bool TZQIndexedCollection::GetClosestOrderedIndex(int IdxNo, const Variant& AKey, int& AIndex) const {
  return Index(IdxNo).Find(KeyToStr(IdxNo, AKey), AIndex);
}

TCollectionItem* TZQIndexedCollection::GetSortedItem(int IdxNo, int Idx) const {
  return static_cast<TCollectionItem*>(Index(IdxNo).Object(Idx));
}

TCollectionItem* TZQIndexedCollection::GetItem(int AIndex) const {
  if (FCurrentKey >= 0) return GetSortedItem(FCurrentKey, AIndex);
  return TZQCollection::GetItem(AIndex);
}

void TZQIndexedCollection::OrderBy(int Indx) {
  CheckIdxNo(Indx);
  FCurrentKey = Indx;
}

void TZQIndexedCollection::OrderByCancel(int Indx) {
  if (FCurrentKey == Indx) FCurrentKey = -1;
}

bool TZQIndexedCollection::SetKey(TCollectionItem* Item, int IdxNo, const Variant& AKey) {
  TZQKeyIndex& idx = Index(IdxNo);
  if (!Item || Item->GetCollection() != this) return false;
  if (AKey.IsEmpty()) {
    idx.Remove(Item);
    return true;
  }
  std::string text = KeyToStr(IdxNo, AKey);
  const std::string* current = idx.KeyOfObject(Item);
  if (current && idx.SameKey(*current, text)) return true;
  return idx.File(text, Item);
}

bool TZQIndexedCollection::SetKey(TCollectionItem* Item, int IdxNo, const Variant& AKey, const Variant&) {
  return SetKey(Item, IdxNo, AKey);
}

void TZQIndexedCollection::FileCurrentKeys(TCollectionItem* Item) {
  EnsureIndexes();
  // Check every index first so that a refusal changes nothing.
  std::vector<std::string> keys(FIndexs.size());
  std::vector<bool> has(FIndexs.size());
  for (std::size_t n = 0; n < FIndexs.size(); ++n) {
    Variant key = KeyOfItem(static_cast<int>(n), Item);
    if (key.IsEmpty()) continue;
    keys[n] = KeyToStr(static_cast<int>(n), key);
    has[n] = FIndexs[n]->CanFile(keys[n], Item);
  }
  for (std::size_t n = 0; n < FIndexs.size(); ++n)
    if (has[n]) FIndexs[n]->File(keys[n], Item);
}

void TZQIndexedCollection::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  // Unfiled from every index before it leaves, by identity: no call on an
  // item that may be half destroyed.
  if (Action == cnExtracting && !FIsClearing)
    for (auto& i : FIndexs) i->Remove(Item);
  TZQCollection::Notify(Item, Action);
}

void TZQIndexedCollection::Clear() {
  FlagScope clearing(FIsClearing);
  for (auto& i : FIndexs) i->Clear();
  TZQCollection::Clear();
}

void TZQIndexedCollection::Assign(const TPersistent* Source) {
  {
    FlagScope clearing(FIsClearing);
    for (auto& i : FIndexs) i->Clear();
  }
  TZQCollection::Assign(Source);
}

// ---------------------------------------------------------------------------
// TZQCustomObjectList / TZQSortedObjectList

ZQ_IMPLEMENT_CLASS(TZQCustomObjectList) {}
ZQ_IMPLEMENT_CLASS(TZQSortedObjectList) {}

TZQCustomObjectList::~TZQCustomObjectList() { ListClear(); }

void TZQCustomObjectList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

TObject* TZQCustomObjectList::Items(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<std::size_t>(Index)];
}

int TZQCustomObjectList::IndexOf(const TObject* AObject) const {
  auto it = std::find(FList.begin(), FList.end(), AObject);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

int TZQCustomObjectList::ListAdd(TObject* AObject) {
  FList.push_back(AObject);
  return Count() - 1;
}

void TZQCustomObjectList::ListInsert(int Index, TObject* AObject) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  FList.insert(FList.begin() + Index, AObject);
}

TObject* TZQCustomObjectList::ListExtract(int Index) {
  CheckIndex(Index);
  TObject* o = FList[static_cast<std::size_t>(Index)];
  FList.erase(FList.begin() + Index);
  return o;
}

void TZQCustomObjectList::ListClear() {
  std::vector<TObject*> old;
  old.swap(FList);
  if (FOwnsObjects)
    for (TObject* o : old) Free(o);
}

TZQSortedObjectList::~TZQSortedObjectList() {
  FIndex.Clear();
  ListClear();
}

Variant TZQSortedObjectList::KeyOf(const TObject*) const { return Variant(); }

std::string TZQSortedObjectList::KeyToStr(const Variant& AKey) const { return AKey.ToString(); }

int TZQSortedObjectList::Add(TObject* AObject) {
  Insert(Count(), AObject);
  return Count() - 1;
}

void TZQSortedObjectList::Insert(int Index, TObject* AObject) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  if (IndexOf(AObject) >= 0) DuplicateError();
  FIndex.File(KeyToStr(KeyOf(AObject)), AObject);  // raises for a duplicate key
  try {
    ListInsert(Index, AObject);
  } catch (...) {
    FIndex.Remove(AObject);
    throw;
  }
}

TObject* TZQSortedObjectList::Extract(TObject* Item) {
  int i = IndexOf(Item);
  if (i < 0) return nullptr;
  FIndex.Remove(Item);
  return ListExtract(i);
}

int TZQSortedObjectList::Remove(TObject* AObject) {
  int i = IndexOf(AObject);
  if (i < 0) return -1;
  FIndex.Remove(AObject);
  ListExtract(i);
  if (OwnsObjects()) Free(AObject);
  return i;
}

void TZQSortedObjectList::Clear() {
  FIndex.Clear();
  ListClear();
}

TObject* TZQSortedObjectList::GetOrderedItem(const Variant& AKey) const {
  int i = FIndex.IndexOf(KeyToStr(AKey));
  return i < 0 ? nullptr : FIndex.Object(i);
}

// ---------------------------------------------------------------------------
// String lists, bits

ZQ_IMPLEMENT_CLASS(TZQStringList) {}
ZQ_IMPLEMENT_CLASS(TIWZQStringList) {}

namespace {
void CheckBit(int ABit) {
  if (ABit < 0 || ABit > 31) throw ERangeError(Format("Bit number %d is out of range (0..31)", ABit));
}
}  // namespace

bool IsBitSet(std::uint32_t AFlags, int ABit) {
  CheckBit(ABit);
  return (AFlags >> ABit) & 1u;
}

void BitSet(std::uint32_t& AFlags, int ABit, bool AValue) {
  CheckBit(ABit);
  if (AValue)
    AFlags |= (1u << ABit);
  else
    AFlags &= ~(1u << ABit);
}

bool IsBitSet(std::int32_t AFlags, int ABit) { return IsBitSet(static_cast<std::uint32_t>(AFlags), ABit); }

void BitSet(std::int32_t& AFlags, int ABit, bool AValue) {
  auto u = static_cast<std::uint32_t>(AFlags);
  BitSet(u, ABit, AValue);
  AFlags = static_cast<std::int32_t>(u);
}

}  // namespace zq
