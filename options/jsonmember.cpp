#include "options/jsonmember.h"

#include <algorithm>
#include <cstring>

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"

namespace zq {

const char* ZQJSonMemberTypeName(TZQJSonMemberType t) {
  static const char* const names[] = {"mtString", "mtJSon", "mtBoolean", "mtInteger", "mtColor", "mtEnum",
                                      "mtDouble", "mtCurrency", "mtVariant", "mtEnumSet", "mtJSonObj",
                                      "mtJSonObjList", "mtJSonSimpleArray", "mtJSonDynObjList", "mtJSonFunc",
                                      "mtNone"};
  return t <= mtNone ? names[t] : "mtNone";
}

ZQ_IMPLEMENT_CLASS(TZQJSonMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonStringMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonJSonMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonColorMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonBooleanMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonIntegerMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonDoubleMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonCurrencyMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonVariantMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonEnumMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonEnumSetMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonObjMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonSimpleArrayMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonObjListMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonDynObjListMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonFuncMember) {}
ZQ_IMPLEMENT_CLASS(TZQJSonMemberList) {}

namespace {
std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

void CheckTable(std::string_view name, const TZQStringArray& arr) {
  if (arr.size() > kZQMaxEnumTexts)
    throw EIWZQJQuery(Format("Too many texts (%d) for member \"%s\"!", static_cast<int>(arr.size()), name));
}
}  // namespace

void TZQJSonMember::SetName(std::string_view AName) {
  std::string name(TrimBlanks(AName));
  if (name == FName) return;
  if (auto* list = List()) {
    // File the new key first: a refusal leaves the member as it was.
    if (!name.empty()) list->SetKey(this, 0, Variant(name));
    else list->SetKey(this, 0, Variant());
  }
  FName = std::move(name);
  FNameHash = TSuperTableString::Hash(FName);
}

TZQJSonMemberList* TZQJSonMember::List() const { return dynamic_cast<TZQJSonMemberList*>(GetCollection()); }

const ClassInfo* TZQJSonMember::JSonClass() const {
  auto* l = List();
  return l ? l->FJSonClass : nullptr;
}

const std::string* TZQJSonEnumMember::TextOf(std::int64_t AOrdinal) const {
  if (AOrdinal < 0 || AOrdinal >= static_cast<std::int64_t>(FStrArr.size())) return nullptr;
  return &FStrArr[static_cast<std::size_t>(AOrdinal)];
}

int TZQJSonEnumMember::IndexOf(std::string_view AText) const {
  for (std::size_t i = 0; i < FStrArr.size(); ++i)
    if (FStrArr[i] == AText) return static_cast<int>(i);
  return -1;
}

TZQByteArray TZQJSonEnumSetMember::Normalize(const TZQByteArray& ASet) const {
  TZQByteArray r(FSize, 0);
  std::size_t n = std::min<std::size_t>(FSize, ASet.size());
  std::copy_n(ASet.begin(), n, r.begin());
  // Bits beyond the table are not elements.
  for (std::size_t bit = FStrArr.size(); bit < std::size_t(FSize) * 8; ++bit)
    r[bit / 8] &= static_cast<std::uint8_t>(~(1u << (bit % 8)));
  return r;
}

ISuperObject TZQJSonEnumSetMember::SetToJSon(const TZQByteArray& ASet) const {
  ISuperObject arr = TSuperObject::Create(stArray);
  TSuperArray* a = arr->AsArray();
  std::size_t bits = std::min<std::size_t>({std::size_t(FSize) * 8, ASet.size() * 8, FStrArr.size(), 256});
  for (std::size_t bit = 0; bit < bits; ++bit)
    if (ASet[bit / 8] & (1u << (bit % 8))) a->AddS(FStrArr[bit]);
  return arr;
}

TZQByteArray TZQJSonEnumSetMember::JSonToSet(const ISuperObject& AArray) const {
  TZQByteArray r(FSize, 0);
  const TSuperArray* a = AArray ? AArray->AsArray() : nullptr;
  if (!a) return r;
  for (std::size_t i = 0; i < a->Length(); ++i) {
    const ISuperObject& e = (*a)[i];
    if (!e) continue;
    std::string text = e->AsString();
    for (std::size_t bit = 0; bit < FStrArr.size() && bit < std::size_t(FSize) * 8; ++bit)
      if (FStrArr[bit] == text) {
        r[bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
        break;
      }
  }
  return r;
}

TZQJSonMemberList::TZQJSonMemberList(const ClassInfo* AJSonClass)
    : TZQIndexedCollection(TZQJSonMember::StaticClass(), 1), FJSonClass(AJSonClass) {}

Variant TZQJSonMemberList::KeyOfItem(int, const TCollectionItem* Item) const {
  auto* m = static_cast<const TZQJSonMember*>(Item);
  return m->Name().empty() ? Variant() : Variant(m->Name());
}

TZQJSonMember* TZQJSonMemberList::GetItemByName(std::string_view AName) const {
  return static_cast<TZQJSonMember*>(GetOrderedItem(0, Variant(AName)));
}

template <class M>
M* TZQJSonMemberList::Declare(std::string_view AName, bool AUnchangeable, bool AGenerateJSon) {
  std::string name(TrimBlanks(AName));
  // Refuse a duplicate before anything is created.
  if (!name.empty() && GetItemByName(name)) throw EListError("String list does not allow duplicates");
  auto* m = Create<M>(static_cast<TCollection*>(this));
  try {
    m->SetName(name);
  } catch (...) {
    Free(m);
    throw;
  }
  m->FPosition = m->GetIndex();
  m->SetFlag(kMFUnchangeable, AUnchangeable);
  m->SetFlag(kMFGenerateJSon, AGenerateJSon);
  return m;
}

TZQJSonStringMember* TZQJSonMemberList::AddString(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  auto* m = Declare<TZQJSonStringMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonBooleanMember* TZQJSonMemberList::AddBoolean(std::string_view AName, bool ADefVal, bool AUnchangeable,
                                                    bool AGenerateJSon) {
  auto* m = Declare<TZQJSonBooleanMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonIntegerMember* TZQJSonMemberList::AddInteger(std::string_view AName, std::int32_t ADefVal, bool AUnchangeable,
                                                    bool AGenerateJSon) {
  auto* m = Declare<TZQJSonIntegerMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonColorMember* TZQJSonMemberList::AddColor(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                                bool AGenerateJSon) {
  auto* m = Declare<TZQJSonColorMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonDoubleMember* TZQJSonMemberList::AddDouble(std::string_view AName, double ADefVal, bool AUnchangeable,
                                                  bool AGenerateJSon) {
  auto* m = Declare<TZQJSonDoubleMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonCurrencyMember* TZQJSonMemberList::AddCurrency(std::string_view AName, Currency ADefVal, bool AUnchangeable,
                                                      bool AGenerateJSon) {
  auto* m = Declare<TZQJSonCurrencyMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonVariantMember* TZQJSonMemberList::AddVariant(std::string_view AName, const Variant& ADefVal, bool AUnchangeable,
                                                    bool AGenerateJSon) {
  auto* m = Declare<TZQJSonVariantMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonJSonMember* TZQJSonMemberList::AddJSon(std::string_view AName, std::string_view ADefVal, bool AUnchangeable,
                                              bool AGenerateJSon) {
  auto* m = Declare<TZQJSonJSonMember>(AName, AUnchangeable, AGenerateJSon);
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonObjMember* TZQJSonMemberList::AddJSonObj(std::string_view AName, const ClassInfo* AClass, bool AUnchangeable,
                                                bool AGenerateJSon, bool ADynamic) {
  auto* m = Declare<TZQJSonObjMember>(AName, AUnchangeable, AGenerateJSon);
  m->FObjClass = AClass;
  m->SetFlag(kMFDynamic, ADynamic);
  return m;
}

TZQJSonObjListMember* TZQJSonMemberList::AddJSonObjList(std::string_view AName, const ClassInfo* AClass,
                                                        bool AUnchangeable, bool AGenerateJSon, bool ADynamic) {
  auto* m = Declare<TZQJSonObjListMember>(AName, AUnchangeable, AGenerateJSon);
  m->FObjClass = AClass;
  m->SetFlag(kMFDynamic, ADynamic);
  return m;
}

TZQJSonDynObjListMember* TZQJSonMemberList::AddDynJSonObjList(std::string_view AName, bool AUnchangeable,
                                                              bool AGenerateJSon) {
  return Declare<TZQJSonDynObjListMember>(AName, AUnchangeable, AGenerateJSon);
}

TZQJSonSimpleArrayMember* TZQJSonMemberList::AddJSonSimpleArray(std::string_view AName, bool AQuoted,
                                                                bool AUnchangeable, bool AGenerateJSon) {
  auto* m = Declare<TZQJSonSimpleArrayMember>(AName, AUnchangeable, AGenerateJSon);
  m->FQuoted = AQuoted;
  return m;
}

TZQJSonEnumMember* TZQJSonMemberList::AddEnum(std::string_view AName, const TZQStringArray& AStrArr,
                                              std::uint8_t ADefVal, bool AUnchangeable, bool AGenerateJSon) {
  CheckTable(AName, AStrArr);
  auto* m = Declare<TZQJSonEnumMember>(AName, AUnchangeable, AGenerateJSon);
  m->FStrArr = AStrArr;
  m->FDefVal = ADefVal;
  return m;
}

TZQJSonEnumSetMember* TZQJSonMemberList::AddEnumSet(std::string_view AName, const TZQStringArray& AStrArr,
                                                    const void* ADefBuf, std::uint16_t ASize, bool AUnchangeable,
                                                    bool AGenerateJSon) {
  CheckTable(AName, AStrArr);
  auto* m = Declare<TZQJSonEnumSetMember>(AName, AUnchangeable, AGenerateJSon);
  m->FStrArr = AStrArr;
  m->FSize = ASize;
  TZQByteArray def(ASize, 0);
  if (ADefBuf && ASize) std::memcpy(def.data(), ADefBuf, ASize);
  m->FDefBuf = m->Normalize(def);
  return m;
}

TZQJSonFuncMember* TZQJSonMemberList::AddJSonFunc(std::string_view AName, std::string_view AArgs,
                                                  std::string_view AFuncName, bool AHasFixedScript,
                                                  const ClassInfo* AFuncClass, bool AUnchangeable, bool AGenerateJSon) {
  auto* m = Declare<TZQJSonFuncMember>(AName, AUnchangeable, AGenerateJSon);
  m->FArgs = AArgs;
  m->FFuncName = AFuncName;
  m->FFuncClass = AFuncClass;
  m->SetFlag(kMFHasFixedScript, AHasFixedScript);
  return m;
}

}  // namespace zq
