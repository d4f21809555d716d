// One row per option.
//
// An option class states each of its options once, as a row of an X-macro
// list that reads like the class's member table: the kind, the property name,
// the JSON name, the default, and flags only where they differ from
// (changeable, written). ZQ_OPTIONS derives everything else from the rows:
//
//   #define ZQ_ANIMATION_ROWS(X)                   (each line but the last
//     X(Integer, Duration, "duration", 500)        ends with a backslash)
//     X(String,  Show,     "show",     "slideDown")
//     X(String,  Hide,     "hide",     "slideUp")
//
//   class TAnimation : public TIWZQJSon {
//     ZQ_OPTIONS(TAnimation, TIWZQJSon, ZQ_ANIMATION_ROWS)
//     using TIWZQJSon::TIWZQJSon;
//   };
//   ZQ_IMPLEMENT_OPTIONS(TAnimation) {}   // in the .cpp; the body may publish more
//
// gives the index numbers kDuration, kShow, kHide (a derived class continues
// its parent's numbering), GetDuration()/SetDuration() and the others, the
// AddMembers override (the inherited members first) and the published
// properties "Duration", "Show", "Hide" with their stored rules.
//
// Row forms (the flags argument is optional everywhere; join flags with |):
//   X(String,  Name, "json", "default")       also Color and JSon (JSON text)
//   X(Boolean, Name, "json", false)           also Integer, Double
//   X(Currency, Name, "json", Currency::FromRaw(0))
//   X(Variant, Name, "json", Variant())
//   X(Enum,    Name, "json", TEnumType, TEnumType::value)
//   X(EnumSet, Name, "json", TEnumType, TSetType{...})   a default with more
//              than one element is a constant named beside the enumeration
//   X(Obj,     Name, "json", TOptionClass)    sub-object; kZQDynamic allowed
//   X(ObjList, Name, "json", TOptionListClass)
//   X(SimpleArray, Name, "json", quoted)      quoted: elements are strings
//   X(DynObjList,  Name, "json")
//   X(Func,    Name, "json", "event, ui")     the default event function class;
//              GetName<F>() gives the function as F (TIWZQJSonFunc by default)
//   X(FuncNamed, Name, "json", "event, ui", "funcName")  with a function name
//   X(FuncOf,  Name, "json", "event, ui", TFunctionClass)
//   X(Custom,  Name, "json", KIND, <the KIND row's remaining arguments>)
//              the member of a KIND row whose property the class publishes
//              through its own GetName()/SetName() (the KIND's stored rule)
// Flags: kZQUnchangeable, kZQServerOnly (kept and readable, never written nor
// recorded for ajax responses), kZQDynamic (Obj, ObjList), kZQFixedScript
// (the function rows).
//
// Enumerations keep their JSON texts beside the C++ enum:
//
//   #define ZQ_MENU_POSITION_VALUES(X) X(mpRight, "right") X(mpLeft, "left")
//   ZQ_OPTION_ENUM(TMenuPosition, ZQ_MENU_POSITION_VALUES)
//
// declares `enum class TMenuPosition { mpRight, mpLeft }`, its value names
// for the property table ("mpRight", ...) and its texts for the member
// ("right", ...). A set of such an enumeration is SetOf<TMenuPosition> (at most
// 64 elements).
//
// When the class data is built, each row's member is checked to sit at the
// row's index and, for every published property with an index, that the
// property's kind accepts the member's kind; a mismatch raises at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/classinfo.h"
#include "foundation/properties.h"
#include "options/jsonobj.h"

namespace zq {

class TIWZQJSonFunc;
class TIWZQJSonSimpleArray;
class TIWZQJSonDynObjList;

// Row flags: only where a member differs from (changeable, written).
inline constexpr unsigned kZQUnchangeable = 1u << 0;
inline constexpr unsigned kZQServerOnly = 1u << 1;
inline constexpr unsigned kZQDynamic = 1u << 2;
inline constexpr unsigned kZQFixedScript = 1u << 3;

namespace detail {

// Raises when a row's member is not at the row's index (a parent class that
// declares members without rows, or rows out of step with AddMembers).
void CheckRowIndex(const TIWZQJSon* AObject, const TZQJSonMember* AMember, int AIndex,
                   const char* APropName);

// Records the properties a class's rows published (positions AFrom.. of its
// property table): their stored rule is their member's own.
void MarkRowProperties(const ClassInfo& AClass, std::size_t AFrom);
bool IsRowProperty(const PropInfo* AProp);

// The bytes of a set value for a member of ATextCount elements.
TZQByteArray SetBytes(std::uint64_t AMask, std::size_t ATextCount);

template <class T>
const ClassInfo* BuildOptionClassInfo() {
  auto* info = new ClassInfo(T::kClassName, &T::inherited::StaticClass());
  RegisterStandardFactories<T>(*info);
  ClassBuilder<T> builder(*info);
  const std::size_t from = info->Properties().size();
  T::ZQPublishRows(builder);
  MarkRowProperties(*info, from);
  T::PublishProperties(builder);
  return info;
}

}  // namespace detail
}  // namespace zq

// ---------------------------------------------------------------------------
// Enumerations with their texts

#define ZQ_ENUM_ID_(ID, TEXT) ID,
#define ZQ_ENUM_NAME_(ID, TEXT) #ID,
#define ZQ_ENUM_TEXT_(ID, TEXT) TEXT,
#define ZQ_OPTION_ENUM(E, VALUES)                                          \
  enum class E { VALUES(ZQ_ENUM_ID_) };                                    \
  ZQ_ENUM_NAMES(E, VALUES(ZQ_ENUM_NAME_))                                  \
  [[maybe_unused]] inline const ::zq::TZQStringArray& ZqEnumJSonTexts(E) { \
    static const ::zq::TZQStringArray texts{VALUES(ZQ_ENUM_TEXT_)};        \
    return texts;                                                          \
  }

// ---------------------------------------------------------------------------
// The class body and the property registration

#define ZQ_OPTIONS(T, Parent, ROWS)                                                          \
  ZQ_CLASS(T, Parent)                                                                        \
  using ZQSelf = T;                                                                          \
  enum : int { kZQRowsBefore_ = Parent::kZQRowsEnd - 1, ROWS(ZQ_ROW_INDEX_) kZQRowsAfter_ }; \
  static constexpr int kZQRowsEnd = kZQRowsAfter_;                                           \
  ROWS(ZQ_ROW_ACCESS_)                                                                       \
  template <class B>                                                                         \
  static void ZQPublishRows([[maybe_unused]] B& c) {                                         \
    ROWS(ZQ_ROW_PUBLISH_)                                                                    \
  }                                                                                          \
                                                                                             \
 protected:                                                                                  \
  void AddMembers() override {                                                               \
    inherited::AddMembers();                                                                 \
    ROWS(ZQ_ROW_DECLARE_)                                                                    \
  }                                                                                          \
                                                                                             \
 public:

// Registers T for ZQCheckOptionClasses, defines T::StaticClass() (the rows'
// properties first) and opens the body of T's further property registration,
// which receives `c`. T is the unqualified class name.
#define ZQ_IMPLEMENT_OPTIONS(T)                                                   \
  [[maybe_unused]] static const bool zqOptionClassRegistered_##T =                \
      ::zq::ZQRegisterOptionClass(&T::StaticClass, T::kZQRowsEnd);                \
  const ::zq::ClassInfo& T::StaticClass() {                                       \
    static const ::zq::ClassInfo* info = ::zq::detail::BuildOptionClassInfo<T>(); \
    return *info;                                                                 \
  }                                                                               \
  void T::PublishProperties([[maybe_unused]] ::zq::ClassBuilder<T>& c)

// ---------------------------------------------------------------------------
// Row expansion (one macro per purpose, dispatched by kind)

#define ZQ_ROW_INDEX_(KIND, Name, ...) k##Name,
#define ZQ_ROW_ACCESS_(KIND, ...) ZQ_ROWA_##KIND(__VA_ARGS__)
#define ZQ_ROW_DECLARE_(KIND, ...) ZQ_ROWD_##KIND(__VA_ARGS__)
#define ZQ_ROW_PUBLISH_(KIND, ...) ZQ_ROWP_##KIND(__VA_ARGS__)

#define ZQ_ROW_FLAGS_(...) (0u __VA_OPT__(| __VA_ARGS__))
#define ZQ_ROW_UNCH_(...) ((ZQ_ROW_FLAGS_(__VA_ARGS__) & ::zq::kZQUnchangeable) != 0)
#define ZQ_ROW_GEN_(...) ((ZQ_ROW_FLAGS_(__VA_ARGS__) & ::zq::kZQServerOnly) == 0)
#define ZQ_ROW_DYN_(...) ((ZQ_ROW_FLAGS_(__VA_ARGS__) & ::zq::kZQDynamic) != 0)
#define ZQ_ROW_FIXED_(...) ((ZQ_ROW_FLAGS_(__VA_ARGS__) & ::zq::kZQFixedScript) != 0)
#define ZQ_ROW_AT_(Name, EXPR) ::zq::detail::CheckRowIndex(this, EXPR, k##Name, #Name);

// Scalars: accessors of the kind's family, the family's stored rule.
#define ZQ_ROW_SCALAR_ACCESS_(FAM, TYPE, ARG, Name) \
  TYPE Get##Name() {                                \
    return Get##FAM##Value(k##Name);                \
  }                                                 \
  void Set##Name(ARG v) {                           \
    Set##FAM##Value(k##Name, v);                    \
  }
#define ZQ_ROW_SCALAR_DECLARE_(FAM, Name, Json, Def, ...) \
  ZQ_ROW_AT_(Name, Add##FAM##Member(Json, Def, ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROW_SCALAR_PUBLISH_(FAM, Name) ZQ_JSON_PROP(c, #Name, k##Name, FAM);

#define ZQ_ROWA_String(Name, ...) \
  ZQ_ROW_SCALAR_ACCESS_(String, std::string, const std::string&, Name)
#define ZQ_ROWD_String(Name, ...) ZQ_ROW_SCALAR_DECLARE_(String, Name, __VA_ARGS__)
#define ZQ_ROWP_String(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(String, Name)
#define ZQ_ROWA_Color(Name, ...) ZQ_ROW_SCALAR_ACCESS_(Color, std::string, const std::string&, Name)
#define ZQ_ROWD_Color(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Color, Name, __VA_ARGS__)
#define ZQ_ROWP_Color(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Color, Name)
#define ZQ_ROWA_JSon(Name, ...) ZQ_ROW_SCALAR_ACCESS_(JSon, std::string, const std::string&, Name)
#define ZQ_ROWD_JSon(Name, ...) ZQ_ROW_SCALAR_DECLARE_(JSon, Name, __VA_ARGS__)
#define ZQ_ROWP_JSon(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(JSon, Name)
#define ZQ_ROWA_Boolean(Name, ...) ZQ_ROW_SCALAR_ACCESS_(Boolean, bool, bool, Name)
#define ZQ_ROWD_Boolean(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Boolean, Name, __VA_ARGS__)
#define ZQ_ROWP_Boolean(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Boolean, Name)
#define ZQ_ROWA_Integer(Name, ...) ZQ_ROW_SCALAR_ACCESS_(Integer, std::int32_t, std::int32_t, Name)
#define ZQ_ROWD_Integer(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Integer, Name, __VA_ARGS__)
#define ZQ_ROWP_Integer(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Integer, Name)
#define ZQ_ROWA_Double(Name, ...) ZQ_ROW_SCALAR_ACCESS_(Double, double, double, Name)
#define ZQ_ROWD_Double(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Double, Name, __VA_ARGS__)
#define ZQ_ROWP_Double(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Double, Name)
#define ZQ_ROWA_Currency(Name, ...) \
  ZQ_ROW_SCALAR_ACCESS_(Currency, ::zq::Currency, ::zq::Currency, Name)
#define ZQ_ROWD_Currency(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Currency, Name, __VA_ARGS__)
#define ZQ_ROWP_Currency(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Currency, Name)
#define ZQ_ROWA_Variant(Name, ...) \
  ZQ_ROW_SCALAR_ACCESS_(Variant, ::zq::Variant, const ::zq::Variant&, Name)
#define ZQ_ROWD_Variant(Name, ...) ZQ_ROW_SCALAR_DECLARE_(Variant, Name, __VA_ARGS__)
#define ZQ_ROWP_Variant(Name, ...) ZQ_ROW_SCALAR_PUBLISH_(Variant, Name)

// Enumerations and sets of a ZQ_OPTION_ENUM type.
#define ZQ_ROWA_Enum(Name, Json, E, ...) \
  E Get##Name() {                        \
    return GetEnumerAs<E>(k##Name);      \
  }                                      \
  void Set##Name(E v) {                  \
    SetEnumerAs<E>(k##Name, v);          \
  }
#define ZQ_ROWD_Enum(Name, Json, E, Def, ...)                                                \
  ZQ_ROW_AT_(Name, AddEnumMember(Json, ZqEnumJSonTexts(E{}), static_cast<std::uint8_t>(Def), \
                                 ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_Enum(Name, Json, E, ...)                                                     \
  c.Prop(#Name, k##Name, &::zq::TIWZQJSon::GetEnumerAs<E>, &::zq::TIWZQJSon::SetEnumerAs<E>) \
      .Stored(&::zq::TIWZQJSon::IsEnumerStored);
#define ZQ_ROWA_EnumSet(Name, Json, E, ...)       \
  ::zq::SetOf<E> Get##Name() {                    \
    return GetEnumSetAs<::zq::SetOf<E>>(k##Name); \
  }                                               \
  void Set##Name(::zq::SetOf<E> v) {              \
    SetEnumSetAs<::zq::SetOf<E>>(k##Name, v);     \
  }
#define ZQ_ROWD_EnumSet(Name, Json, E, Def, ...)                                            \
  {                                                                                         \
    const ::zq::SetOf<E> zqDef = Def;                                                       \
    const ::zq::TZQByteArray zqBytes =                                                      \
        ::zq::detail::SetBytes(zqDef.Mask(), ZqEnumJSonTexts(E{}).size());                  \
    ZQ_ROW_AT_(Name, AddEnumSetMember(Json, ZqEnumJSonTexts(E{}), zqBytes.data(),           \
                                      static_cast<std::uint16_t>(zqBytes.size()),           \
                                      ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__))) \
  }
#define ZQ_ROWP_EnumSet(Name, Json, E, ...)                              \
  c.Prop(#Name, k##Name, &::zq::TIWZQJSon::GetEnumSetAs<::zq::SetOf<E>>, \
         &::zq::TIWZQJSon::SetEnumSetAs<::zq::SetOf<E>>)                 \
      .Stored(&::zq::TIWZQJSon::IsEnumSetStored);

// Sub-objects, lists and arrays: created on first read, owned by the object.
#define ZQ_ROWA_Obj(Name, Json, C, ...)           \
  C* Get##Name() {                                \
    return static_cast<C*>(GetObjValue(k##Name)); \
  }                                               \
  void Set##Name(C* v) {                          \
    SetObjValue(k##Name, v);                      \
  }
#define ZQ_ROWD_Obj(Name, Json, C, ...)                                            \
  ZQ_ROW_AT_(Name, AddObjMember(Json, C::StaticClass(), ZQ_ROW_UNCH_(__VA_ARGS__), \
                                ZQ_ROW_GEN_(__VA_ARGS__), ZQ_ROW_DYN_(__VA_ARGS__)))
#define ZQ_ROWP_Obj(Name, ...) ZQ_JSON_OBJPROP(c, #Name, k##Name, Obj);
#define ZQ_ROWA_ObjList(Name, Json, C, ...)           \
  C* Get##Name() {                                    \
    return static_cast<C*>(GetObjListValue(k##Name)); \
  }                                                   \
  void Set##Name(C* v) {                              \
    SetObjListValue(k##Name, v);                      \
  }
#define ZQ_ROWD_ObjList(Name, Json, C, ...)                                            \
  ZQ_ROW_AT_(Name, AddObjListMember(Json, C::StaticClass(), ZQ_ROW_UNCH_(__VA_ARGS__), \
                                    ZQ_ROW_GEN_(__VA_ARGS__), ZQ_ROW_DYN_(__VA_ARGS__)))
#define ZQ_ROWP_ObjList(Name, ...) ZQ_JSON_OBJPROP(c, #Name, k##Name, ObjList);
#define ZQ_ROWA_SimpleArray(Name, ...)            \
  ::zq::TIWZQJSonSimpleArray* Get##Name() {       \
    return GetSimpleArrayValue(k##Name);          \
  }                                               \
  void Set##Name(::zq::TIWZQJSonSimpleArray* v) { \
    SetSimpleArrayValue(k##Name, v);              \
  }
#define ZQ_ROWD_SimpleArray(Name, Json, Quoted, ...)                             \
  ZQ_ROW_AT_(Name, AddSimpleArrayMember(Json, Quoted, ZQ_ROW_UNCH_(__VA_ARGS__), \
                                        ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_SimpleArray(Name, ...) ZQ_JSON_OBJPROP(c, #Name, k##Name, SimpleArray);
#define ZQ_ROWA_DynObjList(Name, ...)            \
  ::zq::TIWZQJSonDynObjList* Get##Name() {       \
    return GetDynObjListValue(k##Name);          \
  }                                              \
  void Set##Name(::zq::TIWZQJSonDynObjList* v) { \
    SetDynObjListValue(k##Name, v);              \
  }
#define ZQ_ROWD_DynObjList(Name, Json, ...) \
  ZQ_ROW_AT_(Name, AddDynObjListMember(Json, ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_DynObjList(Name, ...) ZQ_JSON_OBJPROP(c, #Name, k##Name, DynObjList);

// Event functions.
#define ZQ_ROWA_Func(Name, ...)                     \
  template <class F = ::zq::TIWZQJSonFunc>          \
  F* Get##Name() {                                  \
    return dynamic_cast<F*>(GetFuncValue(k##Name)); \
  }                                                 \
  void Set##Name(::zq::TPersistent* v) {            \
    SetFuncValue(k##Name, v);                       \
  }
#define ZQ_ROWD_Func(Name, Json, Args, ...)                                           \
  ZQ_ROW_AT_(Name, AddFuncMember(Json, Args, "", ZQ_ROW_FIXED_(__VA_ARGS__), nullptr, \
                                 ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_Func(Name, ...) ZQ_JSON_FUNCPROP(c, #Name, k##Name);
#define ZQ_ROWA_FuncNamed(Name, ...) ZQ_ROWA_Func(Name, __VA_ARGS__)
#define ZQ_ROWD_FuncNamed(Name, Json, Args, FuncName, ...)                                              \
  ZQ_ROW_AT_(Name, AddFuncMember(Json, Args, FuncName, ZQ_ROW_FIXED_(__VA_ARGS__), nullptr, ZQ_ROW_UNCH_(__VA_ARGS__), \
                                 ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_FuncNamed(Name, ...) ZQ_JSON_FUNCPROP(c, #Name, k##Name);
#define ZQ_ROWA_FuncOf(Name, Json, Args, C, ...)   \
  C* Get##Name() {                                 \
    return static_cast<C*>(GetFuncValue(k##Name)); \
  }                                                \
  void Set##Name(C* v) {                           \
    SetFuncValue(k##Name, v);                      \
  }
#define ZQ_ROWD_FuncOf(Name, Json, Args, C, ...)                                                \
  ZQ_ROW_AT_(Name, AddFuncMember(Json, Args, "", ZQ_ROW_FIXED_(__VA_ARGS__), &C::StaticClass(), \
                                 ZQ_ROW_UNCH_(__VA_ARGS__), ZQ_ROW_GEN_(__VA_ARGS__)))
#define ZQ_ROWP_FuncOf(Name, ...) ZQ_JSON_FUNCPROP(c, #Name, k##Name);

// A member whose property the class publishes through its own accessors.
#define ZQ_ROWA_Custom(Name, ...)
#define ZQ_ROWD_Custom(Name, Json, KIND, ...) ZQ_ROWD_##KIND(Name, Json, __VA_ARGS__)
#define ZQ_ROWP_Custom(Name, Json, KIND, ...) \
  c.Prop(#Name, k##Name, &ZQSelf::Get##Name, &ZQSelf::Set##Name).Stored(ZQ_ROW_STORED_##KIND);
#define ZQ_ROW_STORED_String &::zq::TIWZQJSon::IsStringStored
#define ZQ_ROW_STORED_Color &::zq::TIWZQJSon::IsColorStored
#define ZQ_ROW_STORED_JSon &::zq::TIWZQJSon::IsJSonStored
#define ZQ_ROW_STORED_Boolean &::zq::TIWZQJSon::IsBooleanStored
#define ZQ_ROW_STORED_Integer &::zq::TIWZQJSon::IsIntegerStored
#define ZQ_ROW_STORED_Double &::zq::TIWZQJSon::IsDoubleStored
#define ZQ_ROW_STORED_Currency &::zq::TIWZQJSon::IsCurrencyStored
#define ZQ_ROW_STORED_Variant &::zq::TIWZQJSon::IsVariantStored
#define ZQ_ROW_STORED_Enum &::zq::TIWZQJSon::IsEnumerStored
#define ZQ_ROW_STORED_EnumSet &::zq::TIWZQJSon::IsEnumSetStored
#define ZQ_ROW_STORED_Obj &::zq::TIWZQJSon::IsObjStored
#define ZQ_ROW_STORED_ObjList &::zq::TIWZQJSon::IsObjStored
#define ZQ_ROW_STORED_SimpleArray &::zq::TIWZQJSon::IsObjStored
#define ZQ_ROW_STORED_DynObjList &::zq::TIWZQJSon::IsObjStored
#define ZQ_ROW_STORED_Func &::zq::TIWZQJSon::IsFuncStored
#define ZQ_ROW_STORED_FuncOf &::zq::TIWZQJSon::IsFuncStored
#define ZQ_ROW_STORED_FuncNamed &::zq::TIWZQJSon::IsFuncStored
