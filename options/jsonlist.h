// Option lists (keyed lists of option objects, written as an array, a merged
// object or columns), simple arrays (texts written as a JSON array of strings
// or integers) and dynamic object lists (application-chosen name/value pairs
// written as a JSON object). Each is the value of one member of its owning
// option object and reports every change of its content as a change of that
// member.
#pragma once

#include <string>
#include <string_view>

#include "options/jsonobj.h"

namespace zq {

// Flag bits of TIWZQJSonList.
inline constexpr int kListColumnLayout = 0;
inline constexpr int kListObjectLayout = 1;

class TIWZQJSonList : public TZQIndexedCollection, public IIWZQJSon, public IIWZQFuncAdapter {
  ZQ_CLASS(TIWZQJSonList, TZQIndexedCollection)
  // The owner and property name come from CreateList.
  TIWZQJSonList();
  ~TIWZQJSonList() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Creates a list of class AClass held by AOwner's property APropName.
  static TIWZQJSonList* CreateList(const ClassInfo& AClass, TPersistent* AOwner, std::string_view APropName);
  template <class T>
  static T* CreateList(TPersistent* AOwner, std::string_view APropName) {
    return static_cast<T*>(CreateList(T::StaticClass(), AOwner, APropName));
  }

  TIWZQJSon* Add() { return static_cast<TIWZQJSon*>(TCollection::Add()); }
  TIWZQJSon* Insert(int Index) { return static_cast<TIWZQJSon*>(TCollection::Insert(Index)); }
  TIWZQJSon* GetItem(int Index) const override { return static_cast<TIWZQJSon*>(TZQIndexedCollection::GetItem(Index)); }
  TIWZQJSon* Items(int Index) const { return GetItem(Index); }

  bool GetFlag(int ABit) const { return IsBitSet(FFlags, ABit); }
  void SetFlag(int ABit, bool AValue) { BitSet(FFlags, ABit, AValue); }

  // IIWZQJSon
  bool GetIsStored() override { return Count() > 0; }
  ISuperObject GetJSon() override { return GetJSonEx(false, false, nullptr, false); }
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members, bool OnlyCount) override;
  // An array-layout list whose class keeps GetJSonEx: its text can be
  // written straight from its items (see TIWZQJSon::WriteDirect).
  bool CanWriteDirect();
  // Appends the text of GetJSon() without indentation; false when the list
  // writes no value (no items).
  bool WriteDirect(std::string& AOut, bool AEscape, bool ANameQuote);
  void ResetProps() override { Clear(); }

  // IIWZQFuncAdapter
  IIWZQJSContainer* GetZQJSContainer() override;
  TComponent* GetImplComponent() override;
  std::string GetPropName() override { return FPropName; }
  std::string GetHTMLName() override;
  std::string GetIWCLName() override;
  int GetItemIndex() override { return -1; }
  std::string GetFixedScript(TObject*, bool&) override { return {}; }

  void Assign(const TPersistent* Source) override;

  TPersistent* FOwner = nullptr;
  TZQJSonMember* FMember = nullptr;
  std::string FPropName;

 protected:
  // For derived lists: their own item class (an option class) and key indexes.
  TIWZQJSonList(const ClassInfo& AItemClass, int AIdxNo);
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  void ReportChange();
  std::uint32_t FFlags = 0;
  IIWZQJSContainer* FDisabledContainer = nullptr;
  bool FDestroying = false;
};

class TIWZQJSonSimpleArray : public TZQStringList, public IIWZQJSon {
  ZQ_CLASS(TIWZQJSonSimpleArray, TZQStringList)
  TIWZQJSonSimpleArray(TIWZQJSon* AOwner = nullptr, TZQJSonSimpleArrayMember* AMember = nullptr)
      : FOwner(AOwner), FMember(AMember) {}
  void BeforeDestruction() override;

  bool GetQuoted() const { return FMember && FMember->FQuoted; }
  TPersistent* GetOwner() const override { return FOwner; }

  bool GetIsStored() override { return Count() > 0; }
  ISuperObject GetJSon() override;
  ISuperObject GetJSonEx(bool, bool, TIWZQResponseMemberList*, bool) override { return GetJSon(); }
  void ResetProps() override { Clear(); }

  TIWZQJSon* FOwner;
  TZQJSonSimpleArrayMember* FMember;

 protected:
  void Changed() override;

 private:
  bool FDestroying = false;
};

class TIWZQJSonDynObjList;

class TIWZQJSonDynObjItem : public TZQIndexedCollectionItem {
  ZQ_CLASS(TIWZQJSonDynObjItem, TZQIndexedCollectionItem)
  using TZQIndexedCollectionItem::TZQIndexedCollectionItem;

  const std::string& GetName() const { return FName; }
  // Re-keys the item; a name another item has raises the duplicate-key error
  // and leaves the item as it was.
  void SetName(const std::string& AValue);
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& AValue);
  TIWZQJSonDynObjList* List() const;
  void Assign(const TPersistent* Source) override;
  // The value's JSON node: none for null, unassigned and kinds without one.
  ISuperObject ValueNode() const;

 private:
  std::string FName;
  Variant FValue;
};

class TIWZQJSonDynObjList : public TZQIndexedCollection, public IIWZQJSon {
  ZQ_CLASS(TIWZQJSonDynObjList, TZQIndexedCollection)
  TIWZQJSonDynObjList(TIWZQJSon* AOwner = nullptr, TZQJSonDynObjListMember* AMember = nullptr);
  void BeforeDestruction() override;

  TIWZQJSonDynObjItem* Add() { return static_cast<TIWZQJSonDynObjItem*>(TCollection::Add()); }
  // Adds an item with that name and value.
  TIWZQJSonDynObjItem* Add(const std::string& AName, const Variant& AValue);
  TIWZQJSonDynObjItem* Insert(int Index) { return static_cast<TIWZQJSonDynObjItem*>(TCollection::Insert(Index)); }
  TIWZQJSonDynObjItem* GetItem(int Index) const override {
    return static_cast<TIWZQJSonDynObjItem*>(TZQIndexedCollection::GetItem(Index));
  }
  TIWZQJSonDynObjItem* Items(int Index) const { return GetItem(Index); }
  TIWZQJSonDynObjItem* GetItemByName(std::string_view AName) const;
  TIWZQJSonDynObjItem* ItemsByName(std::string_view AName) const { return GetItemByName(AName); }

  bool GetIsStored() override { return Count() > 0; }
  ISuperObject GetJSon() override;
  ISuperObject GetJSonEx(bool, bool, TIWZQResponseMemberList*, bool) override { return GetJSon(); }
  void ResetProps() override { Clear(); }

  bool KeyCaseSensitive(int) const override { return true; }
  TZQDuplicates KeyDuplicates(int) const override { return zdError; }
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override;

  TIWZQJSon* FOwner;
  TZQJSonDynObjListMember* FMember;

 protected:
  friend class TIWZQJSonDynObjItem;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void ReportChange();

 private:
  bool FDestroying = false;
};

}  // namespace zq
