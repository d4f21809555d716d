// The library's container types: owned collections with add/extract
// notifications and sorting (TZQCollection), collections with sorted key
// indexes (TZQIndexedCollection), an object list with one sorted key index
// (TZQSortedObjectList), string lists, flag-word bits and simple arrays.
//
// Key indexes hold (key text, item) pairs in key order, one entry per item
// at most. Each index has a duplicate rule (ignore, accept, error) and a case
// mode; an index whose rule is not "accept" is unique. An index remembers the
// key it filed each item under, so an item is always found by identity and
// never confused with another item that has an equal key.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/collection.h"
#include "foundation/delegate.h"
#include "foundation/stringlist.h"
#include "foundation/variant.h"

namespace zq {

using TZQStringArray = std::vector<std::string>;
using TZQByteArray = std::vector<std::uint8_t>;
using TZQVarArray = std::vector<Variant>;

// Duplicate rules of key indexes; the ordinal values are fixed.
enum TZQDuplicates { zdIgnore = 0, zdAccept = 1, zdError = 2 };

// A sorted list of (key text, object) pairs.
class TZQKeyIndex {
 public:
  TZQKeyIndex(TZQDuplicates Duplicates, bool CaseSensitive) : FDuplicates(Duplicates), FCaseSensitive(CaseSensitive) {}

  int Count() const { return static_cast<int>(FList.size()); }
  const std::string& Key(int Index) const;
  TObject* Object(int Index) const;
  TZQDuplicates Duplicates() const { return FDuplicates; }
  bool CaseSensitive() const { return FCaseSensitive; }
  bool IsUnique() const { return FDuplicates != zdAccept; }

  // Whether Key is present; Index receives the position of the first entry
  // with that key, or where it would be inserted.
  bool Find(std::string_view Key, int& Index) const;
  int IndexOf(std::string_view Key) const;
  // The key the object is filed under, or null when it is not in the index.
  const std::string* KeyOfObject(const TObject* AObject) const;
  int IndexOfObject(const TObject* AObject) const;
  // Whether Key may be filed for AObject: false for a duplicate under
  // "ignore"; raises the duplicate error under "error". Entries of AObject
  // itself never count as duplicates.
  bool CanFile(std::string_view Key, const TObject* AObject) const;
  // Files AObject under Key (moving it when already filed); returns false
  // when the duplicate rule ignores it (nothing changes then).
  bool File(const std::string& Key, TObject* AObject);
  // Removes the object's entry, if any.
  bool Remove(const TObject* AObject);
  void Clear();
  void Reserve(int n) { FList.reserve(static_cast<std::size_t>(n)); }
  int Compare(std::string_view A, std::string_view B) const;
  bool SameKey(std::string_view A, std::string_view B) const { return Compare(A, B) == 0; }

 private:
  struct Entry {
    std::string Key;
    TObject* Object;
  };
  std::vector<Entry> FList;
  std::unordered_map<const TObject*, std::string> FKeyOf;
  TZQDuplicates FDuplicates;
  bool FCaseSensitive;
};

class TZQCollectionItem : public TCollectionItem {
  ZQ_CLASS(TZQCollectionItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;

  std::int32_t GetUserData() const { return FUserData; }
  void SetUserData(std::int32_t v) { FUserData = v; }

 private:
  std::int32_t FUserData = 0;
};

// Compare(Item1, Item2, Data) -> negative, zero or positive.
using TZQItemCompare = std::function<int(TCollectionItem* Item1, TCollectionItem* Item2, void* Data)>;

class TZQCollection : public TCollection {
  ZQ_CLASS(TZQCollection, TCollection)
  using TCollection::TCollection;

  // Called with the collection as sender: OnAdded after an item was added,
  // OnExtract before an item leaves (removal or extraction).
  TNotifyEvent OnAdded;
  TNotifyEvent OnExtract;

  void SortItems(const TZQItemCompare& Compare, void* Data);
  void SortItems(const TZQItemCompare& Compare) { SortItems(Compare, nullptr); }
  void ExchangeItems(int Index1, int Index2) { Exchange(Index1, Index2); }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
};

class TZQIndexedCollection;

class TZQIndexedCollectionItem : public TZQCollectionItem {
  ZQ_CLASS(TZQIndexedCollectionItem, TZQCollectionItem)
  using TZQCollectionItem::TZQCollectionItem;

  TZQIndexedCollection* IndexedCollection() const;
  // Moving to another indexed collection files the item there under its
  // current keys (KeyOfItem of the new collection).
  void SetCollection(TCollection* Value) override;
  // The key text the item is filed under in index IdxNo, as a string
  // variant; null when it is not in that index.
  virtual Variant GetKey(int IdxNo) const;
  // Files the item under a new key (see TZQIndexedCollection::SetKey).
  // Returns false when a unique "ignore" index refuses the key; raises when an
  // "error" index does. In both cases nothing has changed, so call it before
  // storing the new value:  if (SetKey(0, v)) FName = v;
  virtual bool SetKey(int IdxNo, const Variant& AKey);
  virtual bool SetKey(int IdxNo, const Variant& AKey, const Variant& OldKey);
};

class TZQIndexedCollection : public TZQCollection {
  ZQ_CLASS(TZQIndexedCollection, TZQCollection)

  TZQIndexedCollection(const ClassInfo& ItemClass, int IdxNo, TPersistent* AOwner = nullptr);
  ~TZQIndexedCollection() override;
  void BeforeDestruction() override;
  void Initialize() override;

  // Index rules of each index number (asked when the indexes are created).
  virtual bool KeyCaseSensitive(int IdxNo) const;
  virtual TZQDuplicates KeyDuplicates(int IdxNo) const;
  // The item's key in index IdxNo as held by the item, or unassigned. Used to
  // file an item that moves in from another collection.
  virtual Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const;
  virtual std::string KeyToStr(int IdxNo, const Variant& AKey) const;

  const TZQKeyIndex& GetIndexList(int IdxNo) const;
  const TZQKeyIndex& IndexList(int IdxNo) const { return GetIndexList(IdxNo); }
  int GetIndexCount() const;
  // A different count discards all indexes and creates that many empty ones.
  void SetIndexCount(int Value);
  void SetCapacity(int Value);

  int GetOrderedIndex(int IdxNo, const Variant& AKey) const;
  TCollectionItem* GetOrderedItem(int IdxNo, const Variant& AKey) const;
  bool GetClosestOrderedIndex(int IdxNo, const Variant& AKey, int& AIndex) const;
  TCollectionItem* GetSortedItem(int IdxNo, int Index) const;

  // Natural order, or key order of the index chosen with OrderBy.
  TCollectionItem* GetItem(int AIndex) const override;
  void OrderBy(int Indx);
  void OrderByCancel(int Indx);
  int CurrentKey() const { return FCurrentKey; }

  // Files Item under AKey in index IdxNo. The new key is checked against the
  // index's duplicate rule before anything changes: a refused key leaves the
  // old entry in place (false for "ignore", the duplicate error for "error").
  // An unassigned key removes the item from the index. The old key is
  // accepted for compatibility; the index knows the item's entry itself.
  bool SetKey(TCollectionItem* Item, int IdxNo, const Variant& AKey);
  bool SetKey(TCollectionItem* Item, int IdxNo, const Variant& AKey, const Variant& OldKey);

  void Clear() override;
  void Assign(const TPersistent* Source) override;
  bool IsClearing() const { return FIsClearing; }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  TZQKeyIndex& Index(int IdxNo) const;

 private:
  friend class TZQIndexedCollectionItem;
  void EnsureIndexes() const;
  void CheckIdxNo(int IdxNo) const;
  void FileCurrentKeys(TCollectionItem* Item);

  mutable std::vector<std::unique_ptr<TZQKeyIndex>> FIndexs;
  mutable bool FIndexesMade = false;
  int FIdxNo;
  int FCurrentKey = -1;
  bool FIsClearing = false;
};

// An object list that optionally owns its objects.
class TZQCustomObjectList : public TObject {
  ZQ_CLASS(TZQCustomObjectList, TObject)

  explicit TZQCustomObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TZQCustomObjectList() override;

  int Count() const { return static_cast<int>(FList.size()); }
  TObject* Items(int Index) const;
  int IndexOf(const TObject* AObject) const;
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool v) { FOwnsObjects = v; }

 protected:
  int ListAdd(TObject* AObject);
  void ListInsert(int Index, TObject* AObject);
  TObject* ListExtract(int Index);
  void ListClear();
  void CheckIndex(int Index) const;

 private:
  std::vector<TObject*> FList;
  bool FOwnsObjects;
};

// An object list with one sorted, case-insensitive, duplicate-refusing key
// index; each derived list defines the key of its objects (KeyOf).
class TZQSortedObjectList : public TZQCustomObjectList {
  ZQ_CLASS(TZQSortedObjectList, TZQCustomObjectList)

  explicit TZQSortedObjectList(bool AOwnsObjects = true)
      : TZQCustomObjectList(AOwnsObjects), FIndex(zdError, false) {}
  ~TZQSortedObjectList() override;

  virtual Variant KeyOf(const TObject* AObject) const;
  virtual std::string KeyToStr(const Variant& AKey) const;

  // Raise the duplicate error for a key already present; nothing is added then.
  int Add(TObject* AObject);
  void Insert(int Index, TObject* AObject);
  // Takes the object out; the caller owns it.
  TObject* Extract(TObject* Item);
  // Takes the object out and frees it when the list owns its objects;
  // returns its former position or -1.
  int Remove(TObject* AObject);
  void Clear();

  TObject* GetSortedItem(int Index) const { return FIndex.Object(Index); }
  int GetOrderedIndex(const Variant& AKey) const { return FIndex.IndexOf(KeyToStr(AKey)); }
  TObject* GetOrderedItem(const Variant& AKey) const;
  bool GetClosestOrderedIndex(const Variant& AKey, int& AIndex) const { return FIndex.Find(KeyToStr(AKey), AIndex); }
  const TZQKeyIndex& IndexList() const { return FIndex; }

 private:
  TZQKeyIndex FIndex;
};

// String list with interface query and no reference counting.
class TZQStringList : public TStringList {
  ZQ_CLASS(TZQStringList, TStringList)
  using TStringList::TStringList;
};

// Plain string list, base of the parameter lists.
class TIWZQStringList : public TStringList {
  ZQ_CLASS(TIWZQStringList, TStringList)
  using TStringList::TStringList;
};

// One bit (0..31) of a 32-bit flag word; other bit numbers raise ERangeError.
bool IsBitSet(std::uint32_t AFlags, int ABit);
void BitSet(std::uint32_t& AFlags, int ABit, bool AValue);
bool IsBitSet(std::int32_t AFlags, int ABit);
void BitSet(std::int32_t& AFlags, int ABit, bool AValue);

}  // namespace zq
