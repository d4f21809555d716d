// JSON document model: reference-counted nodes, a lenient parser and a writer
// with three switches (indentation, escaping, quoting of member names).
//
//   ISuperObject opts = SO("{}");
//   opts->PutS("show", "slideDown");
//   opts->PutI("duration", 500);
//   opts->AsJSon(false, true, false);   // {duration:500,show:"slideDown"}
//
// ISuperObject is an intrusive, atomically reference-counted pointer to a
// TSuperObject node; a null ISuperObject means "no node" (an absent value),
// which is not the same as a node of kind stNull. Nodes cannot be deleted
// explicitly: the last reference frees them (iteratively, so arbitrarily deep
// documents are freed without recursion).
//
// Object members are kept in a height-balanced tree ordered by a 32-bit hash
// of the member name (computed on its UTF-16 code units), largest hash first;
// that is the order in which members are written and visited.
//
// Limits: the parser accepts values at most 31 levels below the outermost
// one; the writer, Clone and Merge handle documents up to kSuperMaxDepth
// levels deep (deeper data writes as an empty text, is shared instead of
// copied by Clone, and is replaced instead of merged by Merge).
//
// Nodes are not synchronised: a document belongs to the thread using it;
// reference counts are atomic so nodes may be released from any thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/currency.h"
#include "foundation/datetime.h"

namespace zq {

class Variant;
class TSuperObject;
class TSuperTableString;
class TSuperArray;

// Node kinds; the ordinal values are fixed.
enum TSuperType : std::uint8_t {
  stNull = 0,
  stBoolean = 1,
  stDouble = 2,
  stCurrency = 3,
  stInt = 4,
  stObject = 5,
  stArray = 6,
  stString = 7,
  stFunction = 8,
  stMethod = 9,
};

inline constexpr int kSuperMaxDepth = 1000;
inline constexpr int kSuperParseMaxDepth = 31;

// Intrusive reference-counted pointer to a node.
class ISuperObject {
 public:
  constexpr ISuperObject() noexcept = default;
  constexpr ISuperObject(std::nullptr_t) noexcept {}
  ISuperObject(const ISuperObject& o) noexcept;
  ISuperObject(ISuperObject&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ~ISuperObject();
  ISuperObject& operator=(const ISuperObject& o) noexcept;
  ISuperObject& operator=(ISuperObject&& o) noexcept;
  ISuperObject& operator=(std::nullptr_t) noexcept;

  TSuperObject* operator->() const noexcept { return p_; }
  TSuperObject& operator*() const noexcept { return *p_; }
  TSuperObject* get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const ISuperObject& a, const ISuperObject& b) { return a.p_ == b.p_; }
  friend bool operator==(const ISuperObject& a, std::nullptr_t) { return a.p_ == nullptr; }

  // Takes over a reference the caller already owns (no increment).
  static ISuperObject Adopt(TSuperObject* p) noexcept {
    ISuperObject r;
    r.p_ = p;
    return r;
  }
  // Gives up the reference without releasing it.
  TSuperObject* Detach() noexcept {
    TSuperObject* p = p_;
    p_ = nullptr;
    return p;
  }
  // Makes a new reference to a node (increments).
  static ISuperObject Share(TSuperObject* p) noexcept;

 private:
  TSuperObject* p_ = nullptr;
};

// The members of an stObject node.
class TSuperTableString {
 public:
  struct Entry;

  TSuperTableString() = default;
  TSuperTableString(const TSuperTableString&) = delete;
  TSuperTableString& operator=(const TSuperTableString&) = delete;
  ~TSuperTableString();

  // Plain member names (no path interpretation).
  ISuperObject GetO(std::string_view name) const;
  // Creates or replaces the member; the member's position depends only on its name.
  void PutO(std::string_view name, ISuperObject value);
  // Removes the member and returns its value (no node when absent).
  ISuperObject Delete(std::string_view name);
  bool Exists(std::string_view name) const;
  // The same with the name's Hash() computed beforehand (callers that look
  // the same names up again and again keep it).
  ISuperObject GetO(std::string_view name, std::uint32_t hash) const;
  void PutO(std::string_view name, std::uint32_t hash, ISuperObject value);
  bool Exists(std::string_view name, std::uint32_t hash) const;
  std::size_t count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  void Clear();
  // An stArray of the names as strings, in member order.
  ISuperObject GetNames() const;
  // An stArray of the values, in member order.
  ISuperObject GetValues() const;

  // Visits (name, value) in member order; stops when f returns false.
  template <class F>
  void ForEach(F&& f) const {
    VisitFn fn = [](void* ctx, const std::string& n, const ISuperObject& v) {
      return (*static_cast<F*>(ctx))(n, v);
    };
    Visit(fn, &f);
  }
  // Pointers to the entries in member order (name(), value()).
  std::vector<const Entry*> Entries() const;

  // The member-name hash over the UTF-16 code units of the UTF-8 name.
  static std::uint32_t Hash(std::string_view name);
  // Order of two names: negative when `a` comes first.
  static int CompareNames(std::uint32_t ha, std::string_view a, std::uint32_t hb, std::string_view b);

  Entry* root() const { return root_; }

 private:
  friend class TSuperObject;
  friend struct SuperAccess;
  friend struct SuperCloner;
  friend struct SuperWriter;
  friend struct SuperParser;
  using VisitFn = bool (*)(void*, const std::string&, const ISuperObject&);
  void Visit(VisitFn fn, void* ctx) const;

  Entry* root_ = nullptr;
  std::size_t count_ = 0;
};

struct TSuperTableString::Entry {
  std::string Name;
  std::uint32_t Hash = 0;
  std::int8_t Height = 1;
  ISuperObject Value;
  Entry* Left = nullptr;
  Entry* Right = nullptr;
  const std::string& name() const { return Name; }
  const ISuperObject& value() const { return Value; }
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;
};

// The elements of an stArray node.
class TSuperArray {
 public:
  TSuperArray() = default;
  TSuperArray(const TSuperArray&) = delete;
  TSuperArray& operator=(const TSuperArray&) = delete;
  ~TSuperArray();

  // Appends at the current length and returns that index (no node appends an empty element).
  std::size_t Add(ISuperObject node);
  // Writes at an index, extending the length (skipped elements are empty).
  void PutO(std::size_t index, ISuperObject node);
  // Inserts before an index below the length; at or beyond it, like PutO.
  void Insert(std::size_t index, ISuperObject node);
  // Removes an element and shifts the later ones down; no node when out of range.
  ISuperObject Delete(std::size_t index);
  ISuperObject GetO(std::size_t index) const;
  std::string GetS(std::size_t index) const;
  std::int64_t GetI(std::size_t index) const;
  double GetD(std::size_t index) const;
  bool GetB(std::size_t index) const;
  std::size_t Length() const { return length_; }
  std::size_t Capacity() const { return capacity_; }
  void Clear();
  const ISuperObject& operator[](std::size_t index) const { return items_[index]; }

  // Adds convenience builders.
  std::size_t AddS(std::string_view s);
  std::size_t AddI(std::int64_t v);
  std::size_t AddD(double v);
  std::size_t AddB(bool v);

 private:
  friend struct SuperAccess;
  friend struct SuperCloner;
  friend struct SuperWriter;
  friend struct SuperParser;
  void Grow(std::size_t index);
  ISuperObject* items_ = nullptr;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
};

// One node.
class TSuperObject {
 public:
  TSuperObject(const TSuperObject&) = delete;
  TSuperObject& operator=(const TSuperObject&) = delete;

  // Construction. Create(kind) gives an empty node of that kind.
  static ISuperObject Create(TSuperType kind = stObject);
  static ISuperObject Create(bool b);
  static ISuperObject Create(int i) { return Create(static_cast<std::int64_t>(i)); }
  static ISuperObject Create(long i);
  static ISuperObject Create(long long i) { return Create(static_cast<long>(i)); }
  static ISuperObject Create(double d);
  static ISuperObject CreateCurrency(Currency c);
  // stString, or stFunction when AIsFunc is true.
  static ISuperObject Create(std::string_view text, bool AIsFunc = false);
  static ISuperObject Create(const char* text, bool AIsFunc = false) {
    return Create(std::string_view(text ? text : ""), AIsFunc);
  }
  static ISuperObject Create(const std::string& text, bool AIsFunc = false) {
    return Create(std::string_view(text), AIsFunc);
  }

  TSuperType GetDataType() const { return kind_; }
  bool IsType(TSuperType k) const { return kind_ == k; }
  bool Processing() const { return processing_; }
  void* DataPtr() const { return dataPtr_; }
  void SetDataPtr(void* p) { dataPtr_ = p; }
  std::uint32_t RefCount() const { return refs_.load(std::memory_order_relaxed); }

  // Conversions.
  bool AsBoolean() const;
  std::int64_t AsInteger() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  // A string node's text; any other node's JSON (no indent, no escape, quoted names).
  std::string AsString() const;
  // The text of a string or function node without copying (empty for other kinds).
  const std::string& TextRef() const;
  TSuperArray* AsArray() { return kind_ == stArray ? &u_.a : nullptr; }
  const TSuperArray* AsArray() const { return kind_ == stArray ? &u_.a : nullptr; }
  TSuperTableString* AsObject() { return kind_ == stObject ? &u_.o : nullptr; }
  const TSuperTableString* AsObject() const { return kind_ == stObject ? &u_.o : nullptr; }
  // The JSON text; empty when writing fails (nesting beyond kSuperMaxDepth).
  // With `namequote` off, names that are script identifiers or canonical
  // non-negative integers are written bare; any other name is still quoted and
  // escaped, so the text is valid script ("background-color":1).
  std::string AsJSon(bool indent = false, bool escape = true, bool namequote = true) const;
  // Appends the JSON text to `out`; false (and `out` unchanged) when writing fails.
  bool WriteJSon(std::string& out, bool indent = false, bool escape = true, bool namequote = true) const;

  // Member access by name or path ("a.b", "list[2].x"); see the header notes.
  ISuperObject GetO(std::string_view path) const;
  void PutO(std::string_view path, ISuperObject value);
  void PutS(std::string_view path, std::string_view value);
  void PutB(std::string_view path, bool value);
  void PutI(std::string_view path, std::int64_t value);
  void PutD(std::string_view path, double value);
  void PutC(std::string_view path, Currency value);
  ISuperObject Delete(std::string_view path);
  std::string GetS(std::string_view path) const;
  std::int64_t GetI(std::string_view path) const;
  double GetD(std::string_view path) const;
  bool GetB(std::string_view path) const;
  Currency GetC(std::string_view path) const;
  ISuperObject GetA(std::string_view path) const;  // the member when it is an array

  // Deep copy.
  ISuperObject Clone() const;
  // Folds `source` into this node (see the rules in superobject.cpp).
  void Merge(const ISuperObject& source, bool reference = false);

 private:
  friend class ISuperObject;
  friend struct SuperAccess;
  friend struct SuperCloner;
  friend struct SuperWriter;
  friend struct SuperParser;
  explicit TSuperObject(TSuperType kind);
  ~TSuperObject();
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;
  void AddRef() noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void Release() noexcept;
  static void Destroy(TSuperObject* p) noexcept;

  std::atomic<std::uint32_t> refs_{1};
  TSuperType kind_;
  mutable bool processing_ = false;
  void* dataPtr_ = nullptr;
  union Payload {
    Payload() : i(0) {}
    ~Payload() {}
    bool b;
    double d;
    std::int64_t i;  // stInt and stCurrency (value x 10000)
    std::string s;   // stString and stFunction
    TSuperTableString o;
    TSuperArray a;
  } u_;
};

inline ISuperObject::ISuperObject(const ISuperObject& o) noexcept : p_(o.p_) {
  if (p_) p_->AddRef();
}
inline ISuperObject::~ISuperObject() {
  if (p_) p_->Release();
}
inline ISuperObject ISuperObject::Share(TSuperObject* p) noexcept {
  if (p) p->AddRef();
  return Adopt(p);
}
inline ISuperObject& ISuperObject::operator=(const ISuperObject& o) noexcept {
  if (o.p_) o.p_->AddRef();
  TSuperObject* old = p_;
  p_ = o.p_;
  if (old) old->Release();
  return *this;
}
inline ISuperObject& ISuperObject::operator=(ISuperObject&& o) noexcept {
  if (this != &o) {
    TSuperObject* old = p_;
    p_ = o.p_;
    o.p_ = nullptr;
    if (old) old->Release();
  }
  return *this;
}
inline ISuperObject& ISuperObject::operator=(std::nullptr_t) noexcept {
  TSuperObject* old = p_;
  p_ = nullptr;
  if (old) old->Release();
  return *this;
}
inline void TSuperObject::Release() noexcept {
  // The sole owner needs no atomic read-modify-write: nobody else can add a reference.
  if (refs_.load(std::memory_order_acquire) == 1 || refs_.fetch_sub(1, std::memory_order_acq_rel) == 1)
    Destroy(this);
}

// One value of an SA(...) list.
class SAValue {
 public:
  SAValue(std::nullptr_t) {}
  SAValue(int v) : node_(TSuperObject::Create(v)) {}
  SAValue(long v) : node_(TSuperObject::Create(v)) {}
  SAValue(long long v) : node_(TSuperObject::Create(v)) {}
  SAValue(unsigned v) : node_(TSuperObject::Create(static_cast<long>(v))) {}
  SAValue(bool v) : node_(TSuperObject::Create(v)) {}
  SAValue(char c) : node_(TSuperObject::Create(std::string_view(&c, 1))) {}
  SAValue(const char* s) : node_(TSuperObject::Create(s)) {}
  SAValue(std::string_view s) : node_(TSuperObject::Create(s)) {}
  SAValue(const std::string& s) : node_(TSuperObject::Create(s)) {}
  SAValue(double v) : node_(TSuperObject::Create(v)) {}
  SAValue(float v) : node_(TSuperObject::Create(static_cast<double>(v))) {}
  SAValue(Currency c) : node_(TSuperObject::CreateCurrency(c)) {}
  SAValue(const Variant& v);
  SAValue(ISuperObject node) : node_(std::move(node)) {}
  const ISuperObject& node() const { return node_; }

 private:
  ISuperObject node_;
};

// Parses a text in lenient mode; no node when it does not parse.
ISuperObject SO(std::string_view text);
inline ISuperObject SO(const char* text) { return SO(std::string_view(text ? text : "")); }
inline ISuperObject SO(const std::string& text) { return SO(std::string_view(text)); }
// A new empty object.
inline ISuperObject SO() { return TSuperObject::Create(stObject); }
// Converts one variant value; raises zq::Exception "Unsuported variant data type: %d"
// for kinds without a JSON form.
ISuperObject SO(const Variant& value);
// A new array of the given values.
ISuperObject SA(std::initializer_list<SAValue> values);
// A new array, each element SO of the variant.
ISuperObject SAV(const std::vector<Variant>& values);

bool SOIsObject(const ISuperObject& node);
bool SOIsEmptyObject(const ISuperObject& node);

// Iteration over an object's members in member order.
struct TSuperObjectIter {
  std::string key;
  ISuperObject val;
  std::vector<const TSuperTableString::Entry*> stack;  // internal
  ISuperObject owner;                                   // keeps the object alive
};
bool ObjectFindFirst(const ISuperObject& obj, TSuperObjectIter& iter);
bool ObjectFindNext(TSuperObjectIter& iter);
void ObjectFindClose(TSuperObjectIter& iter);

// Local date/time -> milliseconds since 1970-01-01 UTC, and back.
std::int64_t NativeToJavaDateTime(TDateTime local);
TDateTime JavaToNativeDateTime(std::int64_t ms);

// Writes a double the way the writer does ("500.", "5.e-002"; non-finite values as "null").
void SuperAppendDouble(std::string& out, double d);
// Writes a string body escaped the way the writer does (no quotes added).
void SuperAppendEscaped(std::string& out, std::string_view text, bool escape);

// Whether a member name can be written without quotes: a script identifier
// (letters beyond ASCII included, the line and paragraph separators not) or a
// canonical non-negative integer.
bool ZQIsBareJSonName(std::string_view AName);

}  // namespace zq
