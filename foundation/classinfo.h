// Class references and published-property tables.
//
// Every class of the object runtime has one ClassInfo, built once on first use
// (see ZQ_CLASS in object.h and ZQ_IMPLEMENT_CLASS in properties.h): its name
// as messages print it, its parent, its factories and its published
// properties. The property table lists the ancestors' properties first, then
// the class's own in declaration order; event (method) properties are kept in
// a separate list. Accessors are type-erased: they read into and write from a
// value of the kind's canonical C++ type (see PropInfo::ValueType).
#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zq {

class TObject;
class ClassInfo;

// Value kinds of published properties. Canonical C++ value types:
// Integer, Int64, Boolean, Enumeration, Set -> std::int64_t (ordinal; a set is
// its bit mask); Float -> double; Text -> std::string; Object -> TObject*;
// Variant -> zq::Variant; Method -> the property's Delegate type; Other -> the
// property's own type.
enum class PropKind { Integer, Int64, Boolean, Enumeration, Float, Text, Set, Object, Variant, Method, Other };

const char* PropKindName(PropKind kind);

// Names of an enumeration's values, in ordinal order.
using EnumNameList = std::vector<std::string>;

enum class StoredRule { Always, Never, Predicate };

// Index number of a property declared without an index.
inline constexpr int kNoIndex = INT_MIN;

struct PropInfo {
  std::string Name;
  PropKind Kind = PropKind::Other;
  int Index = kNoIndex;
  const std::type_info* ValueType = nullptr;  // canonical value type (see PropKind)
  const ClassInfo* Declarer = nullptr;        // the class that declared the property
  // Declared class of an object property (resolved on use, so that a class
  // may publish properties of its own class).
  const ClassInfo& (*ObjectClassFn)() = nullptr;
  const EnumNameList* EnumNames = nullptr;    // enumeration and set properties
  StoredRule Stored = StoredRule::Always;

  // Reads the value into *out (of the canonical type); the index is passed to
  // indexed accessors.
  std::function<void(const TObject* obj, int index, void* out)> Read;
  // Writes *value (of the canonical type); empty for a read-only property.
  std::function<void(TObject* obj, int index, const void* value)> Write;
  std::function<bool(const TObject* obj, int index)> StoredFn;

  const ClassInfo* ObjectClass() const { return ObjectClassFn ? &ObjectClassFn() : nullptr; }
  bool HasIndex() const { return Index != kNoIndex; }
  bool IsWritable() const { return static_cast<bool>(Write); }
  bool IsStored(const TObject* obj) const {
    switch (Stored) {
      case StoredRule::Always: return true;
      case StoredRule::Never: return false;
      case StoredRule::Predicate: return StoredFn(obj, Index);
    }
    return true;
  }
  // Copies this property's value from src to dst (same class) without
  // converting: object properties copy the reference.
  void CopyValue(const TObject* src, TObject* dst) const { Copy(*this, src, dst); }
  void (*Copy)(const PropInfo& p, const TObject* src, TObject* dst) = nullptr;
};

template <class T>
class ClassBuilder;

class ClassInfo {
 public:
  ClassInfo(std::string name, const ClassInfo* parent);
  ClassInfo(const ClassInfo&) = delete;
  ClassInfo& operator=(const ClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const ClassInfo* Parent() const { return parent_; }
  // True when this class is c or derives from it.
  bool InheritsFrom(const ClassInfo& c) const;

  // Published properties except events: ancestors first, then own.
  const std::vector<const PropInfo*>& Properties() const { return props_; }
  // Event (method) properties, in the same order rules.
  const std::vector<const PropInfo*>& Events() const { return events_; }
  // Case-insensitive lookups; null when the class publishes no such name.
  const PropInfo* FindProperty(std::string_view name) const;
  const PropInfo* FindEvent(std::string_view name) const;

  // Factories, keyed by their signature Base*(Args...). The standard ones are
  // registered automatically: TObject*() for default-constructible classes,
  // TComponent*(TComponent* owner), TCollectionItem*(TCollection*). A factory
  // runs the whole two-phase creation.
  template <class Base, class... Args>
  bool CanCreate() const {
    return FindFactory(typeid(Base * (*)(Args...))) != nullptr;
  }
  template <class Base, class... Args>
  Base* CreateInstance(Args... args) const {
    auto f = reinterpret_cast<Base* (*)(Args...)>(FindFactory(typeid(Base * (*)(Args...))));
    if (!f) NoFactory();
    return f(args...);
  }

  // Used by ClassBuilder while the class is being registered.
  PropInfo& AddProperty(PropInfo info);
  void AddFactory(const std::type_info& sig, void (*fn)());

 private:
  using ErasedFn = void (*)();
  ErasedFn FindFactory(const std::type_info& sig) const;
  [[noreturn]] void NoFactory() const;

  std::string name_;
  const ClassInfo* parent_;
  std::vector<std::unique_ptr<PropInfo>> own_;
  std::vector<const PropInfo*> props_;
  std::vector<const PropInfo*> events_;
  std::unordered_map<std::string, const PropInfo*> byName_;  // lower-case name
  std::vector<std::pair<const std::type_info*, void (*)()>> factories_;
};

// A set of enumeration values as a bit mask (ordinal n is bit n), the value
// type of set properties. E must have names registered with ZQ_ENUM_NAMES.
template <class E>
class SetOf {
 public:
  constexpr SetOf() = default;
  constexpr SetOf(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  static constexpr SetOf FromMask(std::uint64_t m) {
    SetOf s;
    s.mask_ = m;
    return s;
  }
  constexpr std::uint64_t Mask() const { return mask_; }
  constexpr bool Contains(E e) const { return (mask_ >> static_cast<unsigned>(e)) & 1u; }
  constexpr void Include(E e) { mask_ |= std::uint64_t(1) << static_cast<unsigned>(e); }
  constexpr void Exclude(E e) { mask_ &= ~(std::uint64_t(1) << static_cast<unsigned>(e)); }
  constexpr bool Empty() const { return mask_ == 0; }
  friend constexpr bool operator==(SetOf a, SetOf b) { return a.mask_ == b.mask_; }

 private:
  std::uint64_t mask_ = 0;
};

}  // namespace zq

// Registers the value names of an enumeration (in ordinal order) for
// enumeration and set properties. Use at namespace scope, in the namespace of
// the enumeration:  ZQ_ENUM_NAMES(TAlign, "alNone", "alTop", "alBottom")
#define ZQ_ENUM_NAMES(E, ...)                                          \
  [[maybe_unused]] inline const ::zq::EnumNameList& ZqEnumNames(E) {   \
    static const ::zq::EnumNameList names{__VA_ARGS__};                \
    return names;                                                      \
  }
