// One row per option member.
//
// An option class of this folder lists its members once, as rows of an
// X-macro, in the order of their index numbers:
//
//   #define ZQ_CURSORAT_ROWS(X) X(Integer, Top, "top", 0, 0) X(Integer, Left, "left", 0, 0)
//
// and everything else is derived from the list: the member positions
// (kTop, kLeft, ...: ZQ_ROWS_POSITIONS), the member declarations of
// AddMembers (ZQ_ROWS_ADD), the published properties (ZQ_ROWS_PROPS, inside
// ZQ_IMPLEMENT_CLASS) and the typed accessors (ZQ_ROWS_ACCESSORS). A row is
// X(Kind, Property, JSON name, Default, Extra):
//
//   Boolean, Integer, String   default value; Extra unused
//   Variant                    default as a Variant; Extra unused
//   Enumer                     default enumerator; Extra: the enumeration
//                              (its JSON texts come from ZQ_ENUM_TEXTS)
//   Obj                        Default: dynamic class; Extra: the class
//   DynObjList                 no default
//   SimpleArray                Default: elements quoted
//   Func                       Default: the client arguments; Extra: flags
//                              (kRowFixed, kRowNoJSon)
//   BooleanNoJSon              a Boolean declared with AGenerateJSon false
//
// A kind with the suffix "Own" (BooleanOwn, BooleanNoJSonOwn, EnumerOwn)
// declares its setter (and stored rule) in the class instead of the plain
// accessors, so that the class can act on every assignment; the property
// table then goes through the class's own accessors.
#pragma once

#include <cstdint>
#include <string_view>

#include "events/func.h"
#include "options/jsonlist.h"
#include "options/jsonobj.h"

namespace zq {

inline constexpr int kRowFixed = 1;   // the function member has a fixed script
inline constexpr int kRowNoJSon = 2;  // the member is not written into JSON

// The base of the option classes of this folder: freeing one drops the
// setters recorded for it during a callback. (The freed-object hook that does
// the same for every option object is installed by the library start-up.)
class TIWZQJQOptionSet : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQOptionSet, TIWZQJSon)
  explicit TIWZQJQOptionSet(TCollection* Collection = nullptr);
  void BeforeDestruction() override;
};

// Declares an enumeration member of AJSon with the JSON texts of E.
TZQJSonEnumMember* ZQAddEnumRow(TIWZQJSon* AJSon, std::string_view AName,
                                const TZQStringArray& ATexts, std::uint8_t ADefVal,
                                bool AGenerateJSon = true);

}  // namespace zq

// The JSON texts of an enumeration, in ordinal order: ZqJsonTexts(E{}).
#define ZQ_ENUM_TEXTS(E, ...)                             \
  inline const ::zq::TZQStringArray& ZqJsonTexts(E) {     \
    static const ::zq::TZQStringArray texts{__VA_ARGS__}; \
    return texts;                                         \
  }

// ---- positions
#define ZQ_ROW_POS(Kind, Name, Json, Def, Arg) k##Name,
#define ZQ_ROWS_POSITIONS(ROWS) enum : int { ROWS(ZQ_ROW_POS) kRowCount };

// ---- AddMembers
#define ZQ_ROW_ADD(Kind, Name, Json, Def, Arg) ZQ_ROW_ADD_##Kind(Json, Def, Arg);
#define ZQ_ROWS_ADD(ROWS) ROWS(ZQ_ROW_ADD)
#define ZQ_ROW_ADD_Boolean(J, D, A) AddBooleanMember(J, D, false, true)
#define ZQ_ROW_ADD_BooleanOwn(J, D, A) AddBooleanMember(J, D, false, true)
#define ZQ_ROW_ADD_BooleanNoJSon(J, D, A) AddBooleanMember(J, D, false, false)
#define ZQ_ROW_ADD_BooleanNoJSonOwn(J, D, A) AddBooleanMember(J, D, false, false)
#define ZQ_ROW_ADD_Integer(J, D, A) AddIntegerMember(J, D, false, true)
#define ZQ_ROW_ADD_String(J, D, A) AddStringMember(J, D, false, true)
#define ZQ_ROW_ADD_Variant(J, D, A) AddVariantMember(J, ::zq::Variant(D), false, true)
#define ZQ_ROW_ADD_Enumer(J, D, A) \
  ::zq::ZQAddEnumRow(this, J, ZqJsonTexts(A{}), static_cast<std::uint8_t>(D))
#define ZQ_ROW_ADD_EnumerOwn(J, D, A) ZQ_ROW_ADD_Enumer(J, D, A)
#define ZQ_ROW_ADD_Obj(J, D, A) AddObjMember(J, A::StaticClass(), false, true, D)
#define ZQ_ROW_ADD_DynObjList(J, D, A) AddDynObjListMember(J, false, true)
#define ZQ_ROW_ADD_SimpleArray(J, D, A) AddSimpleArrayMember(J, D, false, true)
#define ZQ_ROW_ADD_Func(J, D, A)                                        \
  AddFuncMember(J, D, "", ((A) & ::zq::kRowFixed) != 0, nullptr, false, \
                ((A) & ::zq::kRowNoJSon) == 0)

// ---- published properties (inside ZQ_IMPLEMENT_CLASS(T), with `c`)
#define ZQ_ROWS_PROPS(T, ROWS)             \
  {                                        \
    using ZqRowClass [[maybe_unused]] = T; \
    ROWS(ZQ_ROW_PROP_OF)                   \
  }
#define ZQ_ROW_PROP_OF(Kind, Name, Json, Def, Arg) \
  ZQ_ROW_PROP_##Kind(#Name, ZqRowClass::k##Name, Name, Arg);
#define ZQ_ROW_PROP_Boolean(N, I, P, A) ZQ_JSON_PROP(c, N, I, Boolean)
#define ZQ_ROW_PROP_BooleanNoJSon(N, I, P, A) ZQ_JSON_PROP(c, N, I, Boolean)
#define ZQ_ROW_PROP_Integer(N, I, P, A) ZQ_JSON_PROP(c, N, I, Integer)
#define ZQ_ROW_PROP_String(N, I, P, A) ZQ_JSON_PROP(c, N, I, String)
#define ZQ_ROW_PROP_Variant(N, I, P, A) ZQ_JSON_PROP(c, N, I, Variant)
#define ZQ_ROW_PROP_Enumer(N, I, P, A)                                             \
  c.Prop(N, I, &::zq::TIWZQJSon::GetEnumerAs<A>, &::zq::TIWZQJSon::SetEnumerAs<A>) \
      .Stored(&::zq::TIWZQJSon::IsEnumerStored)
#define ZQ_ROW_PROP_Obj(N, I, P, A) ZQ_JSON_OBJPROP(c, N, I, Obj)
#define ZQ_ROW_PROP_DynObjList(N, I, P, A) ZQ_JSON_OBJPROP(c, N, I, DynObjList)
#define ZQ_ROW_PROP_SimpleArray(N, I, P, A) ZQ_JSON_OBJPROP(c, N, I, SimpleArray)
#define ZQ_ROW_PROP_Func(N, I, P, A) ZQ_JSON_FUNCPROP(c, N, I)
#define ZQ_ROW_PROP_BooleanOwn(N, I, P, A)                       \
  c.Prop(N, I, &ZqRowClass::Get##P##At, &ZqRowClass::Set##P##At) \
      .Stored(&ZqRowClass::Is##P##StoredAt)
#define ZQ_ROW_PROP_BooleanNoJSonOwn(N, I, P, A) ZQ_ROW_PROP_BooleanOwn(N, I, P, A)
#define ZQ_ROW_PROP_EnumerOwn(N, I, P, A)                        \
  c.Prop(N, I, &ZqRowClass::Get##P##At, &ZqRowClass::Set##P##At) \
      .Stored(&ZqRowClass::Is##P##StoredAt)

// ---- typed accessors (inside the class body)
// clang-format off
#define ZQ_ROW_ACC(Kind, Name, Json, Def, Arg) ZQ_ROW_ACC_##Kind(Name, Def, Arg)
#define ZQ_ROWS_ACCESSORS(ROWS) ROWS(ZQ_ROW_ACC)
#define ZQ_ROW_ACC_Boolean(N, D, A)                                                              \
  bool Get##N() { return GetBooleanValue(k##N); }                                                \
  void Set##N(bool AValue) { SetBooleanValue(k##N, AValue); }
#define ZQ_ROW_ACC_BooleanNoJSon(N, D, A) ZQ_ROW_ACC_Boolean(N, D, A)
#define ZQ_ROW_ACC_BooleanOwn(N, D, A)                                                           \
  bool Get##N() { return GetBooleanValue(k##N); }                                                \
  virtual void Set##N(bool AValue);                                                              \
  virtual bool Is##N##Stored() { return IsBooleanStored(k##N); }                                 \
  bool Get##N##At(int) { return Get##N(); }                                                      \
  void Set##N##At(int, bool AValue) { Set##N(AValue); }                                          \
  bool Is##N##StoredAt(int) { return Is##N##Stored(); }
#define ZQ_ROW_ACC_BooleanNoJSonOwn(N, D, A) ZQ_ROW_ACC_BooleanOwn(N, D, A)
#define ZQ_ROW_ACC_Integer(N, D, A)                                                              \
  std::int32_t Get##N() { return GetIntegerValue(k##N); }                                        \
  void Set##N(std::int32_t AValue) { SetIntegerValue(k##N, AValue); }
#define ZQ_ROW_ACC_String(N, D, A)                                                               \
  std::string Get##N() { return GetStringValue(k##N); }                                          \
  void Set##N(const std::string& AValue) { SetStringValue(k##N, AValue); }
#define ZQ_ROW_ACC_Variant(N, D, A)                                                              \
  ::zq::Variant Get##N() { return GetVariantValue(k##N); }                                       \
  void Set##N(const ::zq::Variant& AValue) { SetVariantValue(k##N, AValue); }
#define ZQ_ROW_ACC_Enumer(N, D, A)                                                               \
  A Get##N() { return GetEnumerAs<A>(k##N); }                                                    \
  void Set##N(A AValue) { SetEnumerAs(k##N, AValue); }
#define ZQ_ROW_ACC_EnumerOwn(N, D, A)                                                            \
  A Get##N() { return GetEnumerAs<A>(k##N); }                                                    \
  virtual void Set##N(A AValue);                                                                 \
  virtual bool Is##N##Stored();                                                                  \
  A Get##N##At(int) { return Get##N(); }                                                         \
  void Set##N##At(int, A AValue) { Set##N(AValue); }                                             \
  bool Is##N##StoredAt(int) { return Is##N##Stored(); }
#define ZQ_ROW_ACC_Obj(N, D, A)                                                                  \
  A* Get##N() { return static_cast<A*>(GetObjValue(k##N)); }                                     \
  void Set##N(A* AValue) { SetObjValue(k##N, AValue); }
#define ZQ_ROW_ACC_DynObjList(N, D, A)                                                           \
  ::zq::TIWZQJSonDynObjList* Get##N() { return GetDynObjListValue(k##N); }                       \
  void Set##N(::zq::TIWZQJSonDynObjList* AValue) { SetDynObjListValue(k##N, AValue); }
#define ZQ_ROW_ACC_SimpleArray(N, D, A)                                                          \
  ::zq::TIWZQJSonSimpleArray* Get##N() { return GetSimpleArrayValue(k##N); }                     \
  void Set##N(::zq::TIWZQJSonSimpleArray* AValue) { SetSimpleArrayValue(k##N, AValue); }
#define ZQ_ROW_ACC_Func(N, D, A)                                                                 \
  ::zq::TIWZQJSonFunc* Get##N() { return static_cast<::zq::TIWZQJSonFunc*>(GetFuncValue(k##N)); }
// clang-format on

// Everything a class body needs: positions and accessors.
#define ZQ_OPTION_ROWS(ROWS) \
 public:                     \
  ZQ_ROWS_POSITIONS(ROWS)    \
  ZQ_ROWS_ACCESSORS(ROWS)
