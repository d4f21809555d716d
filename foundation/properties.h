// Registering published properties, and reading and writing them by name.
//
// In a class's .cpp:
//
//   ZQ_IMPLEMENT_CLASS(TShape) {
//     c.Prop("Width", &TShape::GetWidth, &TShape::SetWidth);              // accessors
//     c.Prop("Caption", &TShape::FCaption);                               // field
//     c.Prop("Duration", 3, &TShape::GetIntegerValue, &TShape::SetIntegerValue)
//         .Stored(&TShape::IsIntegerStored);                              // index + predicate
//     c.Prop("Align", &TShape::GetAlign, &TShape::SetAlign);              // enumeration
//     c.Prop("Owner", &TShape::GetOwnerShape, nullptr).Stored(false);     // read-only
//     c.Prop("OnClick", &TShape::GetOnClick, &TShape::SetOnClick);        // event (Delegate)
//   }
//
// The kind is deduced from the accessor's value type: bool, integers (32-bit
// -> Integer, 64-bit -> Int64), enumerations with ZQ_ENUM_NAMES, SetOf<E>,
// floating point, std::string, pointers to TObject classes, zq::Variant and
// Delegate<...> (events). An accessor taking an int first receives the index.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

#include "foundation/classinfo.h"
#include "foundation/delegate.h"
#include "foundation/exception.h"
#include "foundation/object.h"

namespace zq {

class Variant;
class TComponent;
class TCollection;
class TCollectionItem;

namespace detail {

template <class V>
concept HasEnumNames = std::is_enum_v<V> && requires(V v) {
  { ZqEnumNames(v) } -> std::convertible_to<const EnumNameList&>;
};

struct NoSetterGiven {};

template <class V>
struct IsSetOf : std::false_type {};
template <class E>
struct IsSetOf<SetOf<E>> : std::true_type {
  using Enum = E;
};

template <class V>
constexpr bool IsObjectPtr = std::is_pointer_v<V> && std::is_class_v<std::remove_pointer_t<V>> &&
                             std::is_convertible_v<V, const TObject*>;

template <class V>
constexpr PropKind KindOf() {
  if constexpr (std::is_same_v<V, bool>) return PropKind::Boolean;
  else if constexpr (std::is_enum_v<V>) return PropKind::Enumeration;
  else if constexpr (std::is_integral_v<V>) return sizeof(V) > 4 ? PropKind::Int64 : PropKind::Integer;
  else if constexpr (std::is_floating_point_v<V>) return PropKind::Float;
  else if constexpr (std::is_same_v<V, std::string>) return PropKind::Text;
  else if constexpr (IsSetOf<V>::value) return PropKind::Set;
  else if constexpr (IsObjectPtr<V>) return PropKind::Object;
  else if constexpr (std::is_same_v<V, Variant>) return PropKind::Variant;
  else if constexpr (IsDelegate<V>::value) return PropKind::Method;
  else return PropKind::Other;
}

// Canonical value type of a kind (see PropKind).
template <class V, PropKind K = KindOf<V>()>
struct Canonical {
  using Type = V;
};
template <class V>
struct Canonical<V, PropKind::Boolean> { using Type = std::int64_t; };
template <class V>
struct Canonical<V, PropKind::Integer> { using Type = std::int64_t; };
template <class V>
struct Canonical<V, PropKind::Int64> { using Type = std::int64_t; };
template <class V>
struct Canonical<V, PropKind::Enumeration> { using Type = std::int64_t; };
template <class V>
struct Canonical<V, PropKind::Set> { using Type = std::int64_t; };
template <class V>
struct Canonical<V, PropKind::Float> { using Type = double; };
template <class V>
struct Canonical<V, PropKind::Object> { using Type = TObject*; };

template <class V>
typename Canonical<V>::Type ToCanonical(const V& v) {
  constexpr PropKind k = KindOf<V>();
  if constexpr (k == PropKind::Set) return static_cast<std::int64_t>(v.Mask());
  else if constexpr (k == PropKind::Object) return const_cast<TObject*>(static_cast<const TObject*>(v));
  else return static_cast<typename Canonical<V>::Type>(v);
}

[[noreturn]] void RaiseInvalidClass(const TObject* value, const char* target);

template <class V>
V FromCanonical(const typename Canonical<V>::Type& c) {
  constexpr PropKind k = KindOf<V>();
  if constexpr (k == PropKind::Set) return V::FromMask(static_cast<std::uint64_t>(c));
  else if constexpr (k == PropKind::Object) {
    if (!c) return nullptr;
    V p = dynamic_cast<V>(c);
    if (!p) RaiseInvalidClass(c, std::remove_pointer_t<V>::kClassName);
    return p;
  } else return static_cast<V>(c);
}

template <class G, class T>
constexpr bool kIndexedGetter = std::is_invocable_v<G, const T*, int> || std::is_invocable_v<G, T*, int>;

template <class T, class G>
decltype(auto) CallGetter(G g, const TObject* obj, int index) {
  // Getters may be non-const (sub-objects created on first read).
  T* self = const_cast<T*>(static_cast<const T*>(obj));
  if constexpr (std::is_member_object_pointer_v<G>) return (self->*g);
  else if constexpr (kIndexedGetter<G, T>) return (self->*g)(index);
  else return (self->*g)();
}

template <class T, class G>
struct GetterValue {
  using Type = std::remove_cvref_t<decltype(CallGetter<T>(std::declval<G>(), nullptr, 0))>;
};

template <class T, class S, class V>
void CallSetter(S s, TObject* obj, int index, const V& v) {
  T* self = static_cast<T*>(obj);
  if constexpr (std::is_member_object_pointer_v<S>) self->*s = v;
  else if constexpr (std::is_invocable_v<S, T*, int, const V&>) (self->*s)(index, v);
  else (self->*s)(v);
}

template <class T, class P>
bool CallPredicate(P p, const TObject* obj, int index) {
  T* self = const_cast<T*>(static_cast<const T*>(obj));
  if constexpr (std::is_invocable_v<P, T*, int>) return (self->*p)(index);
  else return (self->*p)();
}

template <class T>
void CopyThrough(const PropInfo& p, const TObject* src, TObject* dst) {
  T value{};
  p.Read(src, p.Index, &value);
  p.Write(dst, p.Index, &value);
}

template <class T>
void RegisterStandardFactories(ClassInfo& info) {
  if constexpr (!std::is_abstract_v<T>) {
    if constexpr (std::is_default_constructible_v<T>) {
      TObject* (*f)() = []() -> TObject* { return Create<T>(); };
      info.AddFactory(typeid(TObject * (*)()), reinterpret_cast<void (*)()>(f));
    }
    if constexpr (std::is_constructible_v<T, TComponent*> && std::is_convertible_v<T*, TComponent*>) {
      TComponent* (*f)(TComponent*) = [](TComponent* owner) -> TComponent* { return Create<T>(owner); };
      info.AddFactory(typeid(TComponent * (*)(TComponent*)), reinterpret_cast<void (*)()>(f));
    }
    if constexpr (std::is_constructible_v<T, TCollection*> && std::is_convertible_v<T*, TCollectionItem*>) {
      TCollectionItem* (*f)(TCollection*) = [](TCollection* c) -> TCollectionItem* { return Create<T>(c); };
      info.AddFactory(typeid(TCollectionItem * (*)(TCollection*)), reinterpret_cast<void (*)()>(f));
    }
  }
}

}  // namespace detail

// Handle on a property being registered, for chained options.
template <class T>
class PropBuilder {
 public:
  explicit PropBuilder(PropInfo& p) : p_(p) {}
  // stored false / stored true
  PropBuilder& Stored(bool stored) {
    p_.Stored = stored ? StoredRule::Always : StoredRule::Never;
    p_.StoredFn = nullptr;
    return *this;
  }
  // stored by a predicate: bool (T::*)() const or bool (T::*)(int index) const
  template <class P>
    requires std::is_member_function_pointer_v<P>
  PropBuilder& Stored(P pred) {
    p_.Stored = StoredRule::Predicate;
    p_.StoredFn = [pred](const TObject* obj, int index) { return detail::CallPredicate<T>(pred, obj, index); };
    return *this;
  }

 private:
  PropInfo& p_;
};

// Collects the published properties and factories of T while its ClassInfo
// is built (once, on first use of T::StaticClass()).
template <class T>
class ClassBuilder {
 public:
  explicit ClassBuilder(ClassInfo& info) : info_(info) {}

  // A field pointer alone reads and writes the field itself; a getter alone,
  // or nullptr as the setter, makes the property read-only.
  template <class G, class S = detail::NoSetterGiven>
  PropBuilder<T> Prop(std::string name, G getter, S setter = {}) {
    if constexpr (std::is_same_v<S, detail::NoSetterGiven>) {
      if constexpr (std::is_member_object_pointer_v<G>)
        return Prop(std::move(name), kNoIndex, getter, getter);
      else
        return Prop(std::move(name), kNoIndex, getter, nullptr);
    } else {
      return Prop(std::move(name), kNoIndex, getter, setter);
    }
  }

  template <class G, class S = std::nullptr_t>
  PropBuilder<T> Prop(std::string name, int index, G getter, S setter = nullptr) {
    using V = typename detail::GetterValue<T, G>::Type;
    using C = typename detail::Canonical<V>::Type;
    constexpr PropKind kind = detail::KindOf<V>();
    PropInfo p;
    p.Name = std::move(name);
    p.Kind = kind;
    p.Index = index;
    p.ValueType = &typeid(C);
    p.Declarer = &info_;
    if constexpr (kind == PropKind::Enumeration) {
      static_assert(detail::HasEnumNames<V>, "register the enumeration's names with ZQ_ENUM_NAMES");
      p.EnumNames = &ZqEnumNames(V{});
    } else if constexpr (kind == PropKind::Set) {
      p.EnumNames = &ZqEnumNames(typename detail::IsSetOf<V>::Enum{});
    } else if constexpr (kind == PropKind::Object) {
      using O = std::remove_cv_t<std::remove_pointer_t<V>>;
      if constexpr (requires { O::StaticClass(); }) p.ObjectClassFn = &O::StaticClass;
    }
    p.Read = [getter](const TObject* obj, int idx, void* out) {
      *static_cast<C*>(out) = detail::ToCanonical<V>(detail::CallGetter<T>(getter, obj, idx));
    };
    if constexpr (!std::is_null_pointer_v<S>) {
      p.Write = [setter](TObject* obj, int idx, const void* value) {
        detail::CallSetter<T>(setter, obj, idx, detail::FromCanonical<V>(*static_cast<const C*>(value)));
      };
      p.Copy = &detail::CopyThrough<C>;
    }
    return PropBuilder<T>(info_.AddProperty(std::move(p)));
  }

  // Registers a factory with another signature: Base*(Args...).
  template <class Base, class... Args>
  void Factory() {
    Base* (*f)(Args...) = [](Args... args) -> Base* { return Create<T>(args...); };
    info_.AddFactory(typeid(Base * (*)(Args...)), reinterpret_cast<void (*)()>(f));
  }

 private:
  ClassInfo& info_;
};

namespace detail {
template <class T>
const ClassInfo* BuildClassInfo() {
  // Built once; lives for the whole process, so references stay valid
  // during static destruction too.
  auto* info = new ClassInfo(T::kClassName, &T::inherited::StaticClass());
  RegisterStandardFactories<T>(*info);
  ClassBuilder<T> builder(*info);
  T::PublishProperties(builder);
  return info;
}
}  // namespace detail

// ---------------------------------------------------------------------------
// Reading and writing published properties (names are case-insensitive).

const PropInfo* GetPropInfo(const TObject* obj, std::string_view name);
const PropInfo* GetEventInfo(const TObject* obj, std::string_view name);
// Like GetPropInfo but raises EPropertyError "Property %s does not exist".
const PropInfo& PropByName(const TObject* obj, std::string_view name);

// Ordinal kinds: Integer, Int64, Boolean, Enumeration, Set.
std::int64_t GetOrdProp(const TObject* obj, const PropInfo& p);
void SetOrdProp(TObject* obj, const PropInfo& p, std::int64_t value);
double GetFloatProp(const TObject* obj, const PropInfo& p);
void SetFloatProp(TObject* obj, const PropInfo& p, double value);
std::string GetStrProp(const TObject* obj, const PropInfo& p);
void SetStrProp(TObject* obj, const PropInfo& p, const std::string& value);
TObject* GetObjectProp(const TObject* obj, const PropInfo& p);
void SetObjectProp(TObject* obj, const PropInfo& p, TObject* value);
// Enumerations by value name; sets as "a,b" (names in ordinal order).
std::string GetEnumProp(const TObject* obj, const PropInfo& p);
void SetEnumProp(TObject* obj, const PropInfo& p, std::string_view name);
std::string GetSetProp(const TObject* obj, const PropInfo& p, bool brackets = false);
void SetSetProp(TObject* obj, const PropInfo& p, std::string_view names);

std::string GetEnumName(const PropInfo& p, std::int64_t ordinal);
// -1 when the name is not one of the enumeration's (case-insensitive).
int GetEnumValue(const PropInfo& p, std::string_view name);
std::string SetToString(const PropInfo& p, std::int64_t mask, bool brackets = false);
std::int64_t StringToSet(const PropInfo& p, std::string_view names);

// Typed access in the property's canonical type (Variant, Delegate, Other).
[[noreturn]] void RaisePropType(const PropInfo& p, const char* wanted);
template <class V>
V GetPropAs(const TObject* obj, const PropInfo& p) {
  if (*p.ValueType != typeid(V)) RaisePropType(p, typeid(V).name());
  V v{};
  p.Read(obj, p.Index, &v);
  return v;
}
void RaiseReadOnly(const PropInfo& p);
template <class V>
void SetPropAs(TObject* obj, const PropInfo& p, const V& v) {
  if (*p.ValueType != typeid(V)) RaisePropType(p, typeid(V).name());
  if (!p.Write) RaiseReadOnly(p);
  p.Write(obj, p.Index, &v);
}

// Whether obj has a published property of that name that is stored.
bool IsStoredProp(const TObject* obj, std::string_view name);

}  // namespace zq

// Defines T::StaticClass() and opens the body of T's property registration;
// the body receives `c`, a ClassBuilder<T>.
#define ZQ_IMPLEMENT_CLASS(T)                                    \
  const ::zq::ClassInfo& T::StaticClass() {                      \
    static const ::zq::ClassInfo* info = ::zq::detail::BuildClassInfo<T>(); \
    return *info;                                                \
  }                                                              \
  void T::PublishProperties([[maybe_unused]] ::zq::ClassBuilder<T>& c)
