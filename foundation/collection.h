// TCollection / TCollectionItem: a collection owns its items, which know
// their collection. Items are created by the collection's item class
// (Add, Insert) or by constructing an item with the collection; freeing an
// item (zq::Free or delete) takes it out of its collection, and setting an
// item's Collection moves it to another one.
#pragma once

#include <string>
#include <vector>

#include "foundation/object.h"

namespace zq {

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  ZQ_CLASS(TCollectionItem, TPersistent)

  explicit TCollectionItem(TCollection* Collection = nullptr);
  ~TCollectionItem() override;
  void BeforeDestruction() override;

  TCollection* GetCollection() const { return FCollection; }
  // Moves the item to another collection (null: out of any; the caller then
  // owns it).
  virtual void SetCollection(TCollection* Value);
  int GetIndex() const;
  virtual void SetIndex(int Value);
  int ID() const { return FID; }
  virtual std::string GetDisplayName() const;
  TPersistent* GetOwner() const override;
  std::string GetNamePath() const override;

 protected:
  // Tells the collection that this item (or, with AllItems, every item)
  // changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
  bool FTornDown = false;
};

class TCollection : public TPersistent {
  ZQ_CLASS(TCollection, TPersistent)

  explicit TCollection(const ClassInfo& ItemClass, TPersistent* AOwner = nullptr);
  ~TCollection() override;
  void BeforeDestruction() override;

  const ClassInfo& ItemClass() const { return *FItemClass; }
  TPersistent* GetOwner() const override { return FOwner; }
  TPersistent* Owner() const { return FOwner; }

  int Count() const { return static_cast<int>(FItems.size()); }
  virtual TCollectionItem* GetItem(int Index) const;
  TCollectionItem* Items(int Index) const { return GetItem(Index); }
  // Assigns Value into the item at Index.
  void SetItem(int Index, const TCollectionItem* Value);

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  virtual void Clear();
  TCollectionItem* FindItemID(int ID) const;
  // Moves an item out of the collection without freeing it; the caller owns it.
  Owned<TCollectionItem> Extract(TCollectionItem* Item);
  void Exchange(int Index1, int Index2);

  // Replaces the items by copies of Source's items.
  void Assign(const TPersistent* Source) override;

  virtual void BeginUpdate() { ++FUpdateCount; }
  virtual void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  template <class T = TCollectionItem>
  T* ItemAs(int Index) const {
    return static_cast<T*>(GetItem(Index));
  }

 protected:
  // Notifications around every item entering and leaving.
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  // Called (outside BeginUpdate/EndUpdate) after a change; Item is null when
  // the whole collection changed.
  virtual void Update(TCollectionItem* Item) { (void)Item; }
  void Changed();
  // Raw access for subclasses that reorder items.
  std::vector<Owned<TCollectionItem>>& ItemList() { return FItems; }
  void CheckIndex(int Index) const;

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  const ClassInfo* FItemClass;
  TPersistent* FOwner;
  std::vector<Owned<TCollectionItem>> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
  bool FTornDown = false;
};

}  // namespace zq
