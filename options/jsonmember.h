// Option members: the declaration of one JSON option of an option class (its
// JSON name, value kind, default and flags). An option class declares its
// members once, in AddMembers; the list is shared by every instance, and a
// published property is bound to a member by its index number (the member's
// position in the list).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/currency.h"
#include "foundation/superobject.h"
#include "foundation/variant.h"
#include "foundation/zqclasses.h"

namespace zq {

class ClassInfo;
class TZQJSonMemberList;

// Member kinds; the ordinal values are fixed.
enum TZQJSonMemberType : std::uint8_t {
  mtString = 0,
  mtJSon = 1,
  mtBoolean = 2,
  mtInteger = 3,
  mtColor = 4,
  mtEnum = 5,
  mtDouble = 6,
  mtCurrency = 7,
  mtVariant = 8,
  mtEnumSet = 9,
  mtJSonObj = 10,
  mtJSonObjList = 11,
  mtJSonSimpleArray = 12,
  mtJSonDynObjList = 13,
  mtJSonFunc = 14,
  mtNone = 15,
};
// "mtString" ... "mtNone".
const char* ZQJSonMemberTypeName(TZQJSonMemberType t);

// Flag bits of TZQJSonMember.
inline constexpr int kMFUnchangeable = 0;
inline constexpr int kMFGenerateJSon = 1;
inline constexpr int kMFDynamic = 3;
inline constexpr int kMFHasFixedScript = 4;

// Enumeration and set tables hold at most this many texts.
inline constexpr std::size_t kZQMaxEnumTexts = 255;

class TZQJSonMember : public TZQIndexedCollectionItem {
  ZQ_CLASS(TZQJSonMember, TZQIndexedCollectionItem)
  explicit TZQJSonMember(TCollection* Collection = nullptr) : TZQIndexedCollectionItem(Collection) {}

  virtual TZQJSonMemberType MType() const { return mtNone; }

  const std::string& Name() const { return FName; }
  // TSuperTableString::Hash(Name()), kept with the name for the lookups of
  // the member's value.
  std::uint32_t NameHash() const { return FNameHash; }
  // Trimmed; re-keys the member in its list (a name already present raises
  // the list's duplicate-key error and leaves the member as it was).
  void SetName(std::string_view AName);

  bool GetFlag(int ABit) const { return IsBitSet(FFlags, ABit); }
  void SetFlag(int ABit, bool AValue) { BitSet(FFlags, ABit, AValue); }
  std::uint32_t Flags() const { return FFlags; }
  bool Unchangeable() const { return GetFlag(kMFUnchangeable); }
  bool GenerateJSon() const { return GetFlag(kMFGenerateJSon); }
  bool Dynamic() const { return GetFlag(kMFDynamic); }
  bool HasFixedScript() const { return GetFlag(kMFHasFixedScript); }

  TZQJSonMemberList* List() const;
  // Position in the list (members are never moved nor removed).
  int Position() const { return FPosition; }
  // The option class that owns the list.
  const ClassInfo* JSonClass() const;

 private:
  friend class TZQJSonMemberList;
  std::string FName;
  std::uint32_t FNameHash = 0;  // the hash of the empty name
  std::uint32_t FFlags = 0;
  int FPosition = -1;
};

class TZQJSonStringMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonStringMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtString; }
  std::string FDefVal;
};

class TZQJSonJSonMember : public TZQJSonStringMember {
  ZQ_CLASS(TZQJSonJSonMember, TZQJSonStringMember)
  using TZQJSonStringMember::TZQJSonStringMember;
  TZQJSonMemberType MType() const override { return mtJSon; }
};

class TZQJSonColorMember : public TZQJSonStringMember {
  ZQ_CLASS(TZQJSonColorMember, TZQJSonStringMember)
  using TZQJSonStringMember::TZQJSonStringMember;
  TZQJSonMemberType MType() const override { return mtColor; }
};

class TZQJSonBooleanMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonBooleanMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtBoolean; }
  bool FDefVal = false;
};

class TZQJSonIntegerMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonIntegerMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtInteger; }
  std::int32_t FDefVal = 0;
};

class TZQJSonDoubleMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonDoubleMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtDouble; }
  double FDefVal = 0;
};

class TZQJSonCurrencyMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonCurrencyMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtCurrency; }
  Currency FDefVal;
};

class TZQJSonVariantMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonVariantMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtVariant; }
  Variant FDefVal;
};

class TZQJSonEnumMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonEnumMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtEnum; }
  // The text of an ordinal; null when the ordinal is outside the table.
  const std::string* TextOf(std::int64_t AOrdinal) const;
  // Position of the first entry equal to the text (case-sensitive), else -1.
  int IndexOf(std::string_view AText) const;
  TZQStringArray FStrArr;
  std::uint8_t FDefVal = 0;
};

class TZQJSonEnumSetMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonEnumSetMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtEnumSet; }
  // Bytes of a set value normalised to FSize bytes with no bit beyond the table.
  TZQByteArray Normalize(const TZQByteArray& ASet) const;
  // A new array of the texts of the set bits, ascending.
  ISuperObject SetToJSon(const TZQByteArray& ASet) const;
  // The bits of the texts of an array (unknown texts ignored).
  TZQByteArray JSonToSet(const ISuperObject& AArray) const;
  TZQStringArray FStrArr;
  TZQByteArray FDefBuf;
  std::uint16_t FSize = 0;
};

class TZQJSonObjMember : public TZQJSonMember {
  ZQ_CLASS(TZQJSonObjMember, TZQJSonMember)
  using TZQJSonMember::TZQJSonMember;
  TZQJSonMemberType MType() const override { return mtJSonObj; }
  const ClassInfo* FObjClass = nullptr;
};

class TZQJSonSimpleArrayMember : public TZQJSonObjMember {
  ZQ_CLASS(TZQJSonSimpleArrayMember, TZQJSonObjMember)
  using TZQJSonObjMember::TZQJSonObjMember;
  TZQJSonMemberType MType() const override { return mtJSonSimpleArray; }
  bool FQuoted = false;
};

class TZQJSonObjListMember : public TZQJSonObjMember {
  ZQ_CLASS(TZQJSonObjListMember, TZQJSonObjMember)
  using TZQJSonObjMember::TZQJSonObjMember;
  TZQJSonMemberType MType() const override { return mtJSonObjList; }
};

class TZQJSonDynObjListMember : public TZQJSonObjMember {
  ZQ_CLASS(TZQJSonDynObjListMember, TZQJSonObjMember)
  using TZQJSonObjMember::TZQJSonObjMember;
  TZQJSonMemberType MType() const override { return mtJSonDynObjList; }
};

class TZQJSonFuncMember : public TZQJSonObjMember {
  ZQ_CLASS(TZQJSonFuncMember, TZQJSonObjMember)
  using TZQJSonObjMember::TZQJSonObjMember;
  TZQJSonMemberType MType() const override { return mtJSonFunc; }
  std::string FFuncName;
  std::string FArgs;
  // The event function class; null means the default one (see
  // ZQRegisterEventFunctionClasses in jsonobj.h).
  const ClassInfo* FFuncClass = nullptr;
};

// The members of one option class, in declaration order. Key index 0 is the
// member name: case-sensitive, duplicates rejected.
class TZQJSonMemberList : public TZQIndexedCollection {
  ZQ_CLASS(TZQJSonMemberList, TZQIndexedCollection)
  explicit TZQJSonMemberList(const ClassInfo* AJSonClass = nullptr);

  const ClassInfo* FJSonClass = nullptr;

  TZQJSonMember* GetItem(int AIndex) const override { return static_cast<TZQJSonMember*>(TZQIndexedCollection::GetItem(AIndex)); }
  TZQJSonMember* Items(int AIndex) const { return GetItem(AIndex); }
  TZQJSonMember* GetItemByName(std::string_view AName) const;
  TZQJSonMember* ItemsByName(std::string_view AName) const { return GetItemByName(AName); }

  TZQJSonStringMember* AddString(std::string_view AName, std::string_view ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonBooleanMember* AddBoolean(std::string_view AName, bool ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonIntegerMember* AddInteger(std::string_view AName, std::int32_t ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonColorMember* AddColor(std::string_view AName, std::string_view ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonDoubleMember* AddDouble(std::string_view AName, double ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonCurrencyMember* AddCurrency(std::string_view AName, Currency ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonVariantMember* AddVariant(std::string_view AName, const Variant& ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonJSonMember* AddJSon(std::string_view AName, std::string_view ADefVal, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonObjMember* AddJSonObj(std::string_view AName, const ClassInfo* AClass, bool AUnchangeable, bool AGenerateJSon,
                               bool ADynamic);
  TZQJSonObjListMember* AddJSonObjList(std::string_view AName, const ClassInfo* AClass, bool AUnchangeable,
                                       bool AGenerateJSon, bool ADynamic);
  TZQJSonDynObjListMember* AddDynJSonObjList(std::string_view AName, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonSimpleArrayMember* AddJSonSimpleArray(std::string_view AName, bool AQuoted, bool AUnchangeable,
                                               bool AGenerateJSon);
  // Raises EIWZQJQuery when the table has more than 255 texts.
  TZQJSonEnumMember* AddEnum(std::string_view AName, const TZQStringArray& AStrArr, std::uint8_t ADefVal,
                             bool AUnchangeable, bool AGenerateJSon);
  // ADefBuf: the default set, ASize bytes (bit n = element n).
  TZQJSonEnumSetMember* AddEnumSet(std::string_view AName, const TZQStringArray& AStrArr, const void* ADefBuf,
                                   std::uint16_t ASize, bool AUnchangeable, bool AGenerateJSon);
  TZQJSonFuncMember* AddJSonFunc(std::string_view AName, std::string_view AArgs, std::string_view AFuncName,
                                 bool AHasFixedScript, const ClassInfo* AFuncClass, bool AUnchangeable,
                                 bool AGenerateJSon);

  bool KeyCaseSensitive(int) const override { return true; }
  TZQDuplicates KeyDuplicates(int) const override { return zdError; }
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override;

 private:
  template <class M>
  M* Declare(std::string_view AName, bool AUnchangeable, bool AGenerateJSon);
};

}  // namespace zq
