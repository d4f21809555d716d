#include "foundation/collection.h"

#include <algorithm>

#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TCollectionItem) {}
ZQ_IMPLEMENT_CLASS(TCollection) {}

// ---------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* Collection) {
  if (Collection) Collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (!FTornDown) TCollectionItem::BeforeDestruction();
}

void TCollectionItem::BeforeDestruction() {
  if (FTornDown) return;
  FTornDown = true;
  // Leaves the collection while still whole, so that the collection's
  // notifications see the complete item.
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
  if (!FCollection) return -1;
  const auto& list = FCollection->FItems;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TCollectionItem::SetIndex(int Value) {
  int cur = GetIndex();
  if (cur < 0 || cur == Value) return;
  auto& list = FCollection->FItems;
  if (Value < 0 || Value >= static_cast<int>(list.size()))
    throw EListError(Format("List index out of bounds (%d)", Value));
  Owned<TCollectionItem> me = std::move(list[static_cast<std::size_t>(cur)]);
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, std::move(me));
  Changed(true);
}

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

std::string TCollectionItem::GetNamePath() const {
  if (!FCollection) return ClassName();
  return Format("%s[%d]", FCollection->GetNamePath(), GetIndex());
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

// ---------------------------------------------------------------------------
// TCollection

TCollection::TCollection(const ClassInfo& ItemClass, TPersistent* AOwner) : FItemClass(&ItemClass), FOwner(AOwner) {}

TCollection::~TCollection() {
  if (!FTornDown) TCollection::BeforeDestruction();
}

void TCollection::BeforeDestruction() {
  if (FTornDown) return;
  FTornDown = true;
  FUpdateCount = 1;
  TCollection::Clear();
}

void TCollection::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
}

TCollectionItem* TCollection::GetItem(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<std::size_t>(Index)].get();
}

void TCollection::SetItem(int Index, const TCollectionItem* Value) { GetItem(Index)->Assign(Value); }

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = FItemClass->CreateInstance<TCollectionItem, TCollection*>(this);
  if (item->FCollection != this) item->SetCollection(this);
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) {
  CheckIndex(Index);
  TCollectionItem* item = FItems[static_cast<std::size_t>(Index)].get();
  Notify(item, cnDeleting);
  Free(item);
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) Free(FItems.back().get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (const auto& i : FItems)
    if (i->FID == ID) return i.get();
  return nullptr;
}

Owned<TCollectionItem> TCollection::Extract(TCollectionItem* Item) {
  if (!Item || Item->FCollection != this) return nullptr;
  RemoveItem(Item);
  return Owned<TCollectionItem>(Item);
}

void TCollection::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
  Changed();
}

void TCollection::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (const auto& i : src->FItems) Add()->Assign(i.get());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.emplace_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  try {
    Notify(Item, cnAdded);
  } catch (...) {
    // Refused: the item is not kept (its construction fails with the error).
    (void)FItems.back().release();
    FItems.pop_back();
    Item->FCollection = nullptr;
    throw;
  }
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const auto& p) { return p.get() == Item; });
  if (it != FItems.end()) {
    (void)it->release();  // whoever removes the item owns it now
    FItems.erase(it);
  }
  Item->FCollection = nullptr;
  Changed();
}

}  // namespace zq
