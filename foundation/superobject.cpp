// Nodes, member tables, arrays, conversions, path access, Clone and Merge.
#include "foundation/superobject.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/superobject_utf.h"
#include "foundation/variant.h"

namespace zq {

using superobject_detail::ForEachUnit;

namespace {

constexpr double kTwo63 = 9223372036854775808.0;

std::int64_t SaturatedRound(double d) {
  if (std::isnan(d)) return 0;
  d = std::nearbyint(d);  // ties to even in the default rounding mode
  if (d >= kTwo63) return std::numeric_limits<std::int64_t>::max();
  if (d < -kTwo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(d);
}

// Rounds currency (value x 10000) to whole units, ties to even.
std::int64_t CurrencyToInt(std::int64_t raw) {
  std::int64_t q = raw / 10000, r = raw % 10000;
  if (r > 5000 || (r == 5000 && (q & 1))) ++q;
  if (r < -5000 || (r == -5000 && (q & 1))) --q;
  return q;
}

std::int64_t IntToCurrencyRaw(std::int64_t v) {
  constexpr std::int64_t lim = std::numeric_limits<std::int64_t>::max() / 10000;
  if (v > lim) return std::numeric_limits<std::int64_t>::max();
  if (v < -lim) return std::numeric_limits<std::int64_t>::min();
  return v * 10000;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\b';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool TextToDouble(std::string_view s, double& out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out, std::chars_format::general);
  if (r.ptr != s.data() + s.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Overflow gives an infinity, underflow zero.
    std::size_t e = s.find_first_of("eE");
    bool tiny = e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-';
    out = tiny ? 0.0 : (s.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    return true;
  }
  return r.ec == std::errc();
}

// A decimal 64-bit integer (saturated when the digits overflow); false when not an integer text.
bool TextToInt64(std::string_view s, std::int64_t& out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  if (r.ptr != s.data() + s.size()) return false;
  if (r.ec == std::errc::result_out_of_range) {
    out = s.front() == '-' ? std::numeric_limits<std::int64_t>::min()
                           : std::numeric_limits<std::int64_t>::max();
    return true;
  }
  return r.ec == std::errc();
}

using Entry = TSuperTableString::Entry;

int H(const Entry* e) {
  return e ? e->Height : 0;
}
void Fix(Entry* e) {
  int l = H(e->Left), r = H(e->Right);
  e->Height = static_cast<std::int8_t>((l > r ? l : r) + 1);
}
Entry* RotateRight(Entry* e) {
  Entry* l = e->Left;
  e->Left = l->Right;
  l->Right = e;
  Fix(e);
  Fix(l);
  return l;
}
Entry* RotateLeft(Entry* e) {
  Entry* r = e->Right;
  e->Right = r->Left;
  r->Left = e;
  Fix(e);
  Fix(r);
  return r;
}
Entry* Balance(Entry* e) {
  Fix(e);
  int bf = H(e->Left) - H(e->Right);
  if (bf > 1) {
    if (H(e->Left->Left) < H(e->Left->Right)) e->Left = RotateLeft(e->Left);
    return RotateRight(e);
  }
  if (bf < -1) {
    if (H(e->Right->Right) < H(e->Right->Left)) e->Right = RotateRight(e->Right);
    return RotateLeft(e);
  }
  return e;
}

// Inserts or replaces; `added` tells whether a new entry was made.
Entry* Insert(Entry* e, std::uint32_t hash, std::string_view name, ISuperObject& value,
              bool& added) {
  if (!e) {
    Entry* n = new Entry;
    n->Name.assign(name.data(), name.size());
    n->Hash = hash;
    n->Value = std::move(value);
    added = true;
    return n;
  }
  int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
  if (c == 0) {
    ISuperObject old = std::move(e->Value);
    e->Value = std::move(value);
    added = false;
    return e;  // old released here, after the tree is consistent
  }
  if (c < 0)
    e->Left = Insert(e->Left, hash, name, value, added);
  else
    e->Right = Insert(e->Right, hash, name, value, added);
  return added ? Balance(e) : e;
}

Entry* RemoveMin(Entry* e, Entry*& min) {
  if (!e->Left) {
    min = e;
    return e->Right;
  }
  e->Left = RemoveMin(e->Left, min);
  return Balance(e);
}

Entry* Remove(Entry* e, std::uint32_t hash, std::string_view name, Entry*& removed) {
  if (!e) return nullptr;
  int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
  if (c < 0) {
    e->Left = Remove(e->Left, hash, name, removed);
  } else if (c > 0) {
    e->Right = Remove(e->Right, hash, name, removed);
  } else {
    removed = e;
    Entry* l = e->Left;
    Entry* r = e->Right;
    if (!r) return l;
    Entry* min = nullptr;
    r = RemoveMin(r, min);
    min->Left = l;
    min->Right = r;
    return Balance(min);
  }
  return removed ? Balance(e) : e;
}

const Entry* Find(const Entry* e, std::uint32_t hash, std::string_view name) {
  while (e) {
    int c = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name);
    if (c == 0) return e;
    e = c < 0 ? e->Left : e->Right;
  }
  return nullptr;
}

// Frees a whole tree of entries (values released by the entries' destructors).
void FreeTree(Entry* e) {
  while (e) {
    if (e->Left) {
      // Rotate the left child up so that the loop needs no stack.
      Entry* l = e->Left;
      e->Left = l->Right;
      l->Right = e;
      e = l;
    } else {
      Entry* r = e->Right;
      delete e;
      e = r;
    }
  }
}

template <class F>
bool InOrder(const Entry* e, F& f) {
  while (e) {
    if (e->Left && !InOrder(e->Left, f)) return false;
    if (!f(e)) return false;
    e = e->Right;
  }
  return true;
}

// Nodes and member entries come from per-thread pools of 64-byte blocks
// carved from 64 KB slabs. Documents allocate and free millions of them; the
// general-purpose allocator spends its time consolidating, and a plain free
// list scatters later documents over memory. A pool therefore counts its
// live blocks and, whenever the count drops to zero (every document built on
// the thread has been released), starts again at the beginning of its first
// slab, so that a document's nodes lie side by side in the order they were
// made. A block released on another thread goes to its pool's "remote" list
// under that pool's lock. A pool outlives its thread and is handed to the next
// thread that starts. Slabs are kept for reuse. Sanitizer builds use plain
// new/delete so that use-after-free stays detectable.
#if defined(__SANITIZE_ADDRESS__)
#define ZQ_SUPER_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZQ_SUPER_POOL 0
#endif
#endif
#ifndef ZQ_SUPER_POOL
#define ZQ_SUPER_POOL 1
#endif

constexpr std::size_t kBlockSize = 64;
constexpr std::size_t kSlabSize = 64 * 1024;

struct FreeBlock {
  FreeBlock* next;
};

struct Pool;

// The first block of every slab.
struct SlabHeader {
  Pool* owner;
};

struct Pool {
  // Owner thread only.
  FreeBlock* free = nullptr;
  std::vector<char*> slabs;
  std::size_t slabIdx = 0;
  char* bump = nullptr;
  char* bumpEnd = nullptr;
  std::int64_t live = 0;  // blocks handed out minus blocks returned locally or drained
  // Shared.
  std::mutex remoteLock;
  FreeBlock* remote = nullptr;
  std::atomic<std::int64_t> remoteCount{0};

  void UseSlab(std::size_t i) {
    slabIdx = i;
    bump = slabs[i] + kBlockSize;  // after the header
    bumpEnd = slabs[i] + kSlabSize;
  }

  void* Alloc() {
    ++live;
    if (free) {
      FreeBlock* b = free;
      free = b->next;
      return b;
    }
    if (bump < bumpEnd) {
      void* p = bump;
      bump += kBlockSize;
      return p;
    }
    if (remoteCount.load(std::memory_order_relaxed) > 0) {
      std::lock_guard<std::mutex> g(remoteLock);
      if (remote) {
        free = remote;
        live -= remoteCount.exchange(0);
        remote = nullptr;
        FreeBlock* b = free;
        free = b->next;
        return b;
      }
    }
    if (slabIdx + 1 < slabs.size() && !slabs.empty()) {
      UseSlab(slabIdx + 1);
    } else {
      char* slab = static_cast<char*>(std::aligned_alloc(kSlabSize, kSlabSize));
      if (!slab) {
        --live;
        throw std::bad_alloc();
      }
      reinterpret_cast<SlabHeader*>(slab)->owner = this;
      slabs.push_back(slab);
      UseSlab(slabs.size() - 1);
    }
    void* p = bump;
    bump += kBlockSize;
    return p;
  }

  void FreeLocal(void* p) {
    FreeBlock* b = static_cast<FreeBlock*>(p);
    b->next = free;
    free = b;
    --live;
    if (live <= remoteCount.load(std::memory_order_relaxed)) MaybeReset();
  }

  // Everything handed out has come back: allocate from the first slab again.
  void MaybeReset() {
    std::lock_guard<std::mutex> g(remoteLock);
    if (live != remoteCount.load(std::memory_order_relaxed) || slabs.empty()) return;
    remote = nullptr;
    remoteCount.store(0, std::memory_order_relaxed);
    live = 0;
    free = nullptr;
    UseSlab(0);
  }

  void FreeRemote(void* p) {
    FreeBlock* b = static_cast<FreeBlock*>(p);
    std::lock_guard<std::mutex> g(remoteLock);
    b->next = remote;
    remote = b;
    remoteCount.fetch_add(1, std::memory_order_relaxed);
  }
};

struct PoolRegistry {
  std::mutex lock;
  std::vector<Pool*> idle;  // pools of finished threads
  std::vector<Pool*> all;   // kept reachable; never destroyed
};
PoolRegistry& Registry() {
  static PoolRegistry* r = new PoolRegistry;  // threads may end after static destruction
  return *r;
}

struct PoolHolder {
  Pool* pool = nullptr;
  Pool* Get() {
    if (!pool) {
      PoolRegistry& r = Registry();
      std::lock_guard<std::mutex> g(r.lock);
      if (!r.idle.empty()) {
        pool = r.idle.back();
        r.idle.pop_back();
      } else {
        pool = new Pool;
        r.all.push_back(pool);
      }
    }
    return pool;
  }
  ~PoolHolder() {
    if (!pool) return;
    PoolRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.idle.push_back(pool);
    pool = nullptr;
  }
};
thread_local PoolHolder tPool;

inline void* PoolAlloc(std::size_t size) {
#if ZQ_SUPER_POOL
  if (size <= kBlockSize) return tPool.Get()->Alloc();
#endif
  return ::operator new(size);
}

inline void PoolFree(void* p) noexcept {
#if ZQ_SUPER_POOL
  Pool* owner =
      reinterpret_cast<SlabHeader*>(reinterpret_cast<std::uintptr_t>(p) & ~(kSlabSize - 1))->owner;
  if (owner == tPool.pool)
    owner->FreeLocal(p);
  else
    owner->FreeRemote(p);
#else
  ::operator delete(p);
#endif
}

// Per-thread list of nodes waiting to be freed: releasing a node's children
// while freeing it appends to the list instead of recursing.
struct DestroyQueue {
  std::vector<TSuperObject*> pending;
  bool active = false;
};
thread_local DestroyQueue tDestroy;

}  // namespace

// Gives the internals access to the node payload (used by the parser and writer).
struct SuperAccess {
  static TSuperObject* New(TSuperType k) { return new TSuperObject(k); }
  static TSuperObject::Payload& U(TSuperObject* p) { return p->u_; }
  static const TSuperObject::Payload& U(const TSuperObject* p) { return p->u_; }
  static void Free(TSuperObject* p) { delete p; }
  static void DetachChildren(TSuperObject* p, std::vector<TSuperObject*>& out);
};

// ---------------------------------------------------------------------------
// Node lifecycle

static_assert(sizeof(TSuperObject) <= kBlockSize, "a node fits one pool block");
static_assert(sizeof(TSuperTableString::Entry) <= kBlockSize, "an entry fits one pool block");

void* TSuperObject::operator new(std::size_t size) {
  return PoolAlloc(size);
}
void TSuperObject::operator delete(void* p) noexcept {
  PoolFree(p);
}
void* TSuperTableString::Entry::operator new(std::size_t size) {
  return PoolAlloc(size);
}
void TSuperTableString::Entry::operator delete(void* p) noexcept {
  PoolFree(p);
}

TSuperObject::TSuperObject(TSuperType kind) : kind_(kind) {
  switch (kind) {
    case stString:
    case stFunction:
      new (&u_.s) std::string();
      break;
    case stObject:
      new (&u_.o) TSuperTableString();
      break;
    case stArray:
      new (&u_.a) TSuperArray();
      break;
    default:
      u_.i = 0;
      break;
  }
}

TSuperObject::~TSuperObject() {
  switch (kind_) {
    case stString:
    case stFunction:
      u_.s.~basic_string();
      break;
    case stObject:
      u_.o.~TSuperTableString();
      break;
    case stArray:
      u_.a.~TSuperArray();
      break;
    default:
      break;
  }
}

// Releases the node's children (those whose count drops to zero are queued
// in `out` instead of being freed recursively) and frees the member entries.
void SuperAccess::DetachChildren(TSuperObject* p, std::vector<TSuperObject*>& out) {
  auto take = [&out](ISuperObject& ref) {
    TSuperObject* c = ref.Detach();
    if (!c) return;
    // The sole owner needs no atomic read-modify-write.
    if (c->refs_.load(std::memory_order_acquire) == 1 ||
        c->refs_.fetch_sub(1, std::memory_order_acq_rel) == 1)
      out.push_back(c);
  };
  if (p->kind_ == stArray) {
    TSuperArray& a = p->u_.a;
    for (std::size_t i = 0; i < a.length_; ++i) {
      if (i + 8 < a.length_) __builtin_prefetch(a.items_[i + 8].get(), 1);
      take(a.items_[i]);
    }
  } else if (p->kind_ == stObject) {
    // The tree is height-balanced, so its depth is far below the stack size.
    TSuperTableString& t = p->u_.o;
    // Entries are collected first (starting the loads of their values), then released.
    Entry* stack[96];
    Entry* batch[64];
    int top = 0, nb = 0;
    if (t.root_) stack[top++] = t.root_;
    while (top > 0 || nb > 0) {
      while (top > 0 && nb < 64) {
        Entry* e = stack[--top];
        __builtin_prefetch(e->Value.get(), 1);
        if (e->Left) {
          __builtin_prefetch(e->Left);
          stack[top++] = e->Left;
        }
        if (e->Right) {
          __builtin_prefetch(e->Right);
          stack[top++] = e->Right;
        }
        batch[nb++] = e;
      }
      for (int i = 0; i < nb; ++i) {
        take(batch[i]->Value);
        delete batch[i];
      }
      nb = 0;
    }
    t.root_ = nullptr;
    t.count_ = 0;
  }
}

void TSuperObject::Destroy(TSuperObject* p) noexcept {
  DestroyQueue& q = tDestroy;
  if (q.active) {
    q.pending.push_back(p);
    return;
  }
  q.active = true;
  q.pending.push_back(p);
  while (!q.pending.empty()) {
    TSuperObject* n = q.pending.back();
    q.pending.pop_back();
    if (n->kind_ == stArray || n->kind_ == stObject) SuperAccess::DetachChildren(n, q.pending);
    delete n;
  }
  q.active = false;
}

// ---------------------------------------------------------------------------
// Member table

TSuperTableString::~TSuperTableString() {
  FreeTree(root_);
}

void TSuperTableString::Clear() {
  Entry* r = root_;
  root_ = nullptr;
  count_ = 0;
  FreeTree(r);
}

std::uint32_t TSuperTableString::Hash(std::string_view name) {
  std::uint32_t h = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(name.data());
  std::size_t n = name.size(), i = 0;
  // ASCII fast path; the rest through the decoder.
  for (; i < n && s[i] < 0x80; ++i) h = h * 129u + s[i] + 0x9E370001u;
  if (i < n)
    ForEachUnit(name.data() + i, n - i, [&h](std::uint32_t c) { h = h * 129u + c + 0x9E370001u; });
  return h;
}

int TSuperTableString::CompareNames(std::uint32_t ha, std::string_view a, std::uint32_t hb,
                                    std::string_view b) {
  if (ha != hb) return ha > hb ? -1 : 1;
  if (a == b) return 0;
  // Ordinal comparison of the UTF-16 code units.
  std::vector<std::uint16_t> ua, ub;
  ForEachUnit(a.data(), a.size(),
              [&ua](std::uint32_t c) { ua.push_back(static_cast<std::uint16_t>(c)); });
  ForEachUnit(b.data(), b.size(),
              [&ub](std::uint32_t c) { ub.push_back(static_cast<std::uint16_t>(c)); });
  if (ua < ub) return -1;
  if (ub < ua) return 1;
  // Different bytes, same units (a malformed byte and the character it stands for): order by bytes.
  return a < b ? -1 : 1;
}

ISuperObject TSuperTableString::GetO(std::string_view name) const { return GetO(name, Hash(name)); }

bool TSuperTableString::Exists(std::string_view name) const { return Exists(name, Hash(name)); }

void TSuperTableString::PutO(std::string_view name, ISuperObject value) { PutO(name, Hash(name), std::move(value)); }

ISuperObject TSuperTableString::GetO(std::string_view name, std::uint32_t hash) const {
  const Entry* e = Find(root_, hash, name);
  return e ? e->Value : ISuperObject();
}

bool TSuperTableString::Exists(std::string_view name, std::uint32_t hash) const {
  return Find(root_, hash, name) != nullptr;
}

void TSuperTableString::PutO(std::string_view name, std::uint32_t hash, ISuperObject value) {
  bool added = false;
  root_ = Insert(root_, hash, name, value, added);
  if (added) ++count_;
}

ISuperObject TSuperTableString::Delete(std::string_view name) {
  Entry* removed = nullptr;
  root_ = Remove(root_, Hash(name), name, removed);
  if (!removed) return ISuperObject();
  --count_;
  ISuperObject v = std::move(removed->Value);
  delete removed;
  return v;
}

void TSuperTableString::Visit(VisitFn fn, void* ctx) const {
  auto f = [fn, ctx](const Entry* e) { return fn(ctx, e->Name, e->Value); };
  InOrder(root_, f);
}

std::vector<const Entry*> TSuperTableString::Entries() const {
  std::vector<const Entry*> out;
  out.reserve(count_);
  auto f = [&out](const Entry* e) {
    out.push_back(e);
    return true;
  };
  InOrder(root_, f);
  return out;
}

ISuperObject TSuperTableString::GetNames() const {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  auto f = [a](const Entry* e) {
    a->Add(TSuperObject::Create(std::string_view(e->Name)));
    return true;
  };
  InOrder(root_, f);
  return r;
}

ISuperObject TSuperTableString::GetValues() const {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  auto f = [a](const Entry* e) {
    a->Add(e->Value);
    return true;
  };
  InOrder(root_, f);
  return r;
}

// ---------------------------------------------------------------------------
// Arrays

// Item buffers of up to eight items (most arrays in option and chart data:
// pairs, short lists) take a pool block like the nodes; larger ones use the
// heap. The capacity tells which.
constexpr std::size_t kPooledItems = kBlockSize / sizeof(ISuperObject);

namespace {
void FreeItems(ISuperObject* items, std::size_t capacity) noexcept {
  if (!items) return;
  if (capacity <= kPooledItems)
    PoolFree(items);
  else
    std::free(items);
}
}  // namespace

TSuperArray::~TSuperArray() {
  for (std::size_t i = 0; i < length_; ++i) items_[i].~ISuperObject();
  FreeItems(items_, capacity_);
}

void TSuperArray::Clear() {
  std::size_t n = length_;
  length_ = 0;
  for (std::size_t i = 0; i < n; ++i) items_[i].~ISuperObject();
}

void TSuperArray::Grow(std::size_t index) {
  if (index < capacity_) return;
  if (index >= (std::size_t{1} << 40)) throw std::bad_alloc();
  std::size_t cap = capacity_ * 2;
  if (cap < index + 1) cap = index + 1;
  // ISuperObject is a single pointer with no self-references: moving the bytes is a valid move.
  void* p;
  if (cap <= kPooledItems) {
    // A pool block always holds kPooledItems items.
    p = items_ ? static_cast<void*>(items_) : PoolAlloc(kBlockSize);
  } else if (capacity_ <= kPooledItems) {
    p = std::malloc(cap * sizeof(ISuperObject));
    if (!p) throw std::bad_alloc();
    if (length_) std::memcpy(p, static_cast<void*>(items_), length_ * sizeof(ISuperObject));
    FreeItems(items_, capacity_);
  } else {
    p = std::realloc(static_cast<void*>(items_), cap * sizeof(ISuperObject));
    if (!p) throw std::bad_alloc();
  }
  items_ = static_cast<ISuperObject*>(p);
  capacity_ = cap;
}

std::size_t TSuperArray::Add(ISuperObject node) {
  std::size_t i = length_;
  Grow(i);
  new (&items_[i]) ISuperObject(std::move(node));
  length_ = i + 1;
  return i;
}

void TSuperArray::PutO(std::size_t index, ISuperObject node) {
  if (index < length_) {
    items_[index] = std::move(node);
    return;
  }
  Grow(index);
  for (std::size_t i = length_; i < index; ++i) new (&items_[i]) ISuperObject();
  new (&items_[index]) ISuperObject(std::move(node));
  length_ = index + 1;
}

void TSuperArray::Insert(std::size_t index, ISuperObject node) {
  if (index >= length_) {
    PutO(index, std::move(node));
    return;
  }
  Grow(length_);
  std::memmove(static_cast<void*>(items_ + index + 1), static_cast<void*>(items_ + index),
               (length_ - index) * sizeof(ISuperObject));
  new (&items_[index]) ISuperObject(std::move(node));
  ++length_;
}

ISuperObject TSuperArray::Delete(std::size_t index) {
  if (index >= length_) return ISuperObject();
  ISuperObject r = std::move(items_[index]);
  items_[index].~ISuperObject();
  std::memmove(static_cast<void*>(items_ + index), static_cast<void*>(items_ + index + 1),
               (length_ - index - 1) * sizeof(ISuperObject));
  --length_;
  return r;
}

ISuperObject TSuperArray::GetO(std::size_t index) const {
  return index < length_ ? items_[index] : ISuperObject();
}

std::string TSuperArray::GetS(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsString() : std::string();
}
std::int64_t TSuperArray::GetI(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsInteger() : 0;
}
double TSuperArray::GetD(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsDouble() : 0.0;
}
bool TSuperArray::GetB(std::size_t index) const {
  return index < length_ && items_[index] ? items_[index]->AsBoolean() : false;
}
std::size_t TSuperArray::AddS(std::string_view s) {
  return Add(TSuperObject::Create(s));
}
std::size_t TSuperArray::AddI(std::int64_t v) {
  return Add(TSuperObject::Create(static_cast<long>(v)));
}
std::size_t TSuperArray::AddD(double v) {
  return Add(TSuperObject::Create(v));
}
std::size_t TSuperArray::AddB(bool v) {
  return Add(TSuperObject::Create(v));
}

// ---------------------------------------------------------------------------
// Construction

ISuperObject TSuperObject::Create(TSuperType kind) {
  return ISuperObject::Adopt(new TSuperObject(kind));
}

ISuperObject TSuperObject::Create(bool b) {
  TSuperObject* p = new TSuperObject(stBoolean);
  p->u_.b = b;
  return ISuperObject::Adopt(p);
}

ISuperObject TSuperObject::Create(long i) {
  TSuperObject* p = new TSuperObject(stInt);
  p->u_.i = i;
  return ISuperObject::Adopt(p);
}

ISuperObject TSuperObject::Create(double d) {
  TSuperObject* p = new TSuperObject(stDouble);
  p->u_.d = d;
  return ISuperObject::Adopt(p);
}

ISuperObject TSuperObject::CreateCurrency(Currency c) {
  TSuperObject* p = new TSuperObject(stCurrency);
  p->u_.i = c.raw();
  return ISuperObject::Adopt(p);
}

ISuperObject TSuperObject::Create(std::string_view text, bool AIsFunc) {
  TSuperObject* p = new TSuperObject(AIsFunc ? stFunction : stString);
  p->u_.s.assign(text.data(), text.size());
  return ISuperObject::Adopt(p);
}

// ---------------------------------------------------------------------------
// Conversions

bool TSuperObject::AsBoolean() const {
  switch (kind_) {
    case stNull:
      return false;
    case stBoolean:
      return u_.b;
    case stDouble:
      return u_.d != 0.0;
    case stCurrency:
    case stInt:
      return u_.i != 0;
    case stString:
      return !u_.s.empty();
    default:
      return true;  // object, array, function, method
  }
}

std::int64_t TSuperObject::AsInteger() const {
  switch (kind_) {
    case stBoolean:
      return u_.b ? 1 : 0;
    case stDouble:
      return SaturatedRound(u_.d);
    case stCurrency:
      return CurrencyToInt(u_.i);
    case stInt:
      return u_.i;
    case stString: {
      std::int64_t v = 0;
      return TextToInt64(u_.s, v) ? v : 0;
    }
    default:
      return 0;
  }
}

double TSuperObject::AsDouble() const {
  switch (kind_) {
    case stBoolean:
      return u_.b ? 1.0 : 0.0;
    case stDouble:
      return u_.d;
    case stCurrency:
      return static_cast<double>(u_.i) / 10000.0;
    case stInt:
      return static_cast<double>(u_.i);
    case stString: {
      double d = 0;
      return TextToDouble(u_.s, d) ? d : 0.0;
    }
    default:
      return 0.0;
  }
}

Currency TSuperObject::AsCurrency() const {
  switch (kind_) {
    case stBoolean:
      return Currency::FromRaw(u_.b ? 10000 : 0);
    case stDouble:
      return Currency::FromDoubleSaturated(u_.d);
    case stCurrency:
      return Currency::FromRaw(u_.i);
    case stInt:
      return Currency::FromRaw(IntToCurrencyRaw(u_.i));
    case stString: {
      Currency c;
      if (Currency::TryParse(Trim(u_.s), c)) return c;
      double d = 0;
      return TextToDouble(u_.s, d) ? Currency::FromDoubleSaturated(d) : Currency();
    }
    default:
      return Currency();
  }
}

std::string TSuperObject::AsString() const {
  if (kind_ == stString) return u_.s;
  return AsJSon(false, false, true);
}

const std::string& TSuperObject::TextRef() const {
  static const std::string kEmpty;
  return kind_ == stString || kind_ == stFunction ? u_.s : kEmpty;
}

std::string TSuperObject::AsJSon(bool indent, bool escape, bool namequote) const {
  std::string out;
  WriteJSon(out, indent, escape, namequote);
  return out;
}

// ---------------------------------------------------------------------------
// Path access

namespace {

struct PathStep {
  std::string_view name;  // member name, or empty with isIndex
  std::size_t index = 0;
  bool isIndex = false;
};

bool IsPathNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u > 32 && c != '"' && !superobject_detail::IsNameDelimiter(c);
}

// Splits "a.b[2].c" into steps. A name without "." and "[" is one plain
// member name whatever it holds; a name that is not a well-formed path is
// also taken as one plain member name.
std::vector<PathStep> SplitPath(std::string_view path) {
  std::vector<PathStep> steps;
  if (path.find_first_of(".[") == std::string_view::npos) {
    steps.push_back({path, 0, false});
    return steps;
  }
  std::size_t i = 0, n = path.size();
  bool ok = true;
  while (ok && i < n) {
    if (path[i] == '[') {
      std::size_t j = i + 1;
      std::size_t v = 0;
      bool digits = false;
      while (j < n && path[j] >= '0' && path[j] <= '9') {
        if (v > (std::size_t{1} << 32)) {
          ok = false;
          break;
        }
        v = v * 10 + static_cast<std::size_t>(path[j] - '0');
        digits = true;
        ++j;
      }
      if (!ok || !digits || j >= n || path[j] != ']') {
        ok = false;
        break;
      }
      steps.push_back({{}, v, true});
      i = j + 1;
    } else {
      if (!steps.empty()) {
        if (path[i] != '.') {
          ok = false;
          break;
        }
        ++i;
      }
      std::size_t j = i;
      while (j < n && IsPathNameChar(path[j])) ++j;
      if (j == i) {
        ok = false;
        break;
      }
      steps.push_back({path.substr(i, j - i), 0, false});
      i = j;
    }
  }
  if (!ok || steps.empty()) {
    steps.clear();
    steps.push_back({path, 0, false});
  }
  return steps;
}

ISuperObject Step(const TSuperObject* cur, const PathStep& s) {
  if (s.isIndex) {
    const TSuperArray* a = cur->AsArray();
    return a ? a->GetO(s.index) : ISuperObject();
  }
  const TSuperTableString* o = cur->AsObject();
  return o ? o->GetO(s.name) : ISuperObject();
}

}  // namespace

ISuperObject TSuperObject::GetO(std::string_view path) const {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos)
    return u_.o.GetO(path);
  std::vector<PathStep> steps = SplitPath(path);
  ISuperObject cur;
  const TSuperObject* p = this;
  for (const PathStep& s : steps) {
    cur = Step(p, s);
    if (!cur) return ISuperObject();
    p = cur.get();
  }
  return cur;
}

void TSuperObject::PutO(std::string_view path, ISuperObject value) {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos) {
    u_.o.PutO(path, std::move(value));
    return;
  }
  std::vector<PathStep> steps = SplitPath(path);
  TSuperObject* p = this;
  ISuperObject hold;
  for (std::size_t k = 0; k + 1 < steps.size(); ++k) {
    const PathStep& s = steps[k];
    ISuperObject next = Step(p, s);
    if (!next) {
      // Missing intermediate: make an object (or an array when an index follows).
      next = Create(steps[k + 1].isIndex ? stArray : stObject);
      if (s.isIndex) {
        if (!p->AsArray()) return;
        p->AsArray()->PutO(s.index, next);
      } else {
        if (!p->AsObject()) return;
        p->AsObject()->PutO(s.name, next);
      }
    }
    hold = std::move(next);
    p = hold.get();
  }
  const PathStep& last = steps.back();
  if (last.isIndex) {
    if (TSuperArray* a = p->AsArray()) a->PutO(last.index, std::move(value));
  } else if (TSuperTableString* o = p->AsObject()) {
    o->PutO(last.name, std::move(value));
  }
}

void TSuperObject::PutS(std::string_view path, std::string_view value) {
  PutO(path, Create(value));
}
void TSuperObject::PutB(std::string_view path, bool value) {
  PutO(path, Create(value));
}
void TSuperObject::PutI(std::string_view path, std::int64_t value) {
  PutO(path, Create(static_cast<long>(value)));
}
void TSuperObject::PutD(std::string_view path, double value) {
  PutO(path, Create(value));
}
void TSuperObject::PutC(std::string_view path, Currency value) {
  PutO(path, CreateCurrency(value));
}

ISuperObject TSuperObject::Delete(std::string_view path) {
  if (kind_ == stObject && path.find_first_of(".[") == std::string_view::npos)
    return u_.o.Delete(path);
  std::vector<PathStep> steps = SplitPath(path);
  ISuperObject hold;
  TSuperObject* p = this;
  for (std::size_t k = 0; k + 1 < steps.size(); ++k) {
    hold = Step(p, steps[k]);
    if (!hold) return ISuperObject();
    p = hold.get();
  }
  const PathStep& last = steps.back();
  if (last.isIndex) {
    if (TSuperArray* a = p->AsArray()) return a->Delete(last.index);
    return ISuperObject();
  }
  if (TSuperTableString* o = p->AsObject()) return o->Delete(last.name);
  return ISuperObject();
}

std::string TSuperObject::GetS(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsString() : std::string();
}
std::int64_t TSuperObject::GetI(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsInteger() : 0;
}
double TSuperObject::GetD(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsDouble() : 0.0;
}
bool TSuperObject::GetB(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsBoolean() : false;
}
Currency TSuperObject::GetC(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n ? n->AsCurrency() : Currency();
}
ISuperObject TSuperObject::GetA(std::string_view path) const {
  ISuperObject n = GetO(path);
  return n && n->IsType(stArray) ? n : ISuperObject();
}

// ---------------------------------------------------------------------------
// Clone and Merge

namespace {

// Scoped Processing flag (cycle guard).
struct ProcessingGuard {
  bool* flag;
  explicit ProcessingGuard(bool* f) : flag(f) { *flag = true; }
  ~ProcessingGuard() { *flag = false; }
  ProcessingGuard(const ProcessingGuard&) = delete;
  ProcessingGuard& operator=(const ProcessingGuard&) = delete;
};

}  // namespace

struct SuperCloner {
  // A node being cloned further up (a cycle) gives no node; beyond the depth
  // limit the node is shared instead of copied.
  static ISuperObject Clone(const TSuperObject* src, int depth) {
    if (src->processing_) return ISuperObject();
    switch (src->kind_) {
      case stObject: {
        if (depth >= kSuperMaxDepth) return ISuperObject::Share(const_cast<TSuperObject*>(src));
        ProcessingGuard g(&src->processing_);
        ISuperObject r = TSuperObject::Create(stObject);
        TSuperTableString* t = &r->u_.o;
        auto f = [t, depth](const Entry* e) {
          t->PutO(e->Name, e->Value ? Clone(e->Value.get(), depth + 1) : ISuperObject());
          return true;
        };
        InOrder(src->u_.o.root_, f);
        return r;
      }
      case stArray: {
        if (depth >= kSuperMaxDepth) return ISuperObject::Share(const_cast<TSuperObject*>(src));
        ProcessingGuard g(&src->processing_);
        ISuperObject r = TSuperObject::Create(stArray);
        const TSuperArray& sa = src->u_.a;
        TSuperArray& da = r->u_.a;
        if (sa.length_ > 0) da.Grow(sa.length_ - 1);
        for (std::size_t i = 0; i < sa.length_; ++i)
          da.Add(sa.items_[i] ? Clone(sa.items_[i].get(), depth + 1) : ISuperObject());
        return r;
      }
      case stString:
      case stFunction:
        return TSuperObject::Create(std::string_view(src->u_.s), src->kind_ == stFunction);
      default: {
        TSuperObject* p = new TSuperObject(src->kind_);
        if (src->kind_ == stBoolean)
          p->u_.b = src->u_.b;
        else if (src->kind_ == stDouble)
          p->u_.d = src->u_.d;
        else
          p->u_.i = src->u_.i;
        p->dataPtr_ = src->kind_ == stMethod ? src->dataPtr_ : nullptr;
        return ISuperObject::Adopt(p);
      }
    }
  }

  static ISuperObject Copy(const ISuperObject& v, bool reference) {
    if (!v || reference) return v;
    return Clone(v.get(), 0);
  }

  static void Merge(TSuperObject* dst, const TSuperObject* src, bool reference, int depth) {
    if (!src || src->kind_ != dst->kind_ || src == dst) return;
    switch (dst->kind_) {
      case stObject: {
        if (src->processing_ || dst->processing_) return;
        ProcessingGuard g1(&src->processing_);
        ProcessingGuard g2(&dst->processing_);
        // Snapshot the source entries so that changes to the target cannot disturb the walk.
        std::vector<const Entry*> entries = src->u_.o.Entries();
        for (const Entry* e : entries) {
          ISuperObject cur = dst->u_.o.GetO(e->Name);
          if (cur && e->Value && cur->kind_ == e->Value->kind_ && depth + 1 < kSuperMaxDepth &&
              cur.get() != e->Value.get()) {
            Merge(cur.get(), e->Value.get(), reference, depth + 1);
          } else if (!(cur && cur.get() == e->Value.get())) {
            dst->u_.o.PutO(e->Name, Copy(e->Value, reference));
          }
        }
        break;
      }
      case stArray: {
        if (src->processing_ || dst->processing_) return;
        ProcessingGuard g1(&src->processing_);
        ProcessingGuard g2(&dst->processing_);
        std::size_t n = src->u_.a.length_;
        for (std::size_t i = 0; i < n && i < src->u_.a.length_; ++i) {
          ISuperObject s = src->u_.a.items_[i];
          ISuperObject cur = dst->u_.a.GetO(i);
          if (cur && s && cur->kind_ == s->kind_ && depth + 1 < kSuperMaxDepth &&
              cur.get() != s.get())
            Merge(cur.get(), s.get(), reference, depth + 1);
          else if (!(cur && cur.get() == s.get()))
            dst->u_.a.PutO(i, Copy(s, reference));
        }
        break;
      }
      case stString:
      case stFunction:
        dst->u_.s = src->u_.s;
        break;
      case stBoolean:
        dst->u_.b = src->u_.b;
        break;
      case stDouble:
        dst->u_.d = src->u_.d;
        break;
      default:
        dst->u_.i = src->u_.i;
        break;
    }
  }
};

ISuperObject TSuperObject::Clone() const {
  return SuperCloner::Clone(this, 0);
}

void TSuperObject::Merge(const ISuperObject& source, bool reference) {
  SuperCloner::Merge(this, source.get(), reference, 0);
}

// ---------------------------------------------------------------------------
// Free functions

ISuperObject SO(const Variant& value) {
  using K = Variant::Kind;
  switch (value.kind()) {
    case K::Empty:
    case K::Null:
      return ISuperObject();
    case K::Smallint:
    case K::Integer:
    case K::Int64:
    case K::ShortInt:
    case K::Byte:
    case K::Word:
    case K::LongWord:
      return TSuperObject::Create(static_cast<long>(value.ToInt64()));
    case K::UInt64:
      // Values above the signed range keep their magnitude as a double.
      if (*value.get_if<std::uint64_t>() >
          static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return TSuperObject::Create(static_cast<double>(*value.get_if<std::uint64_t>()));
      return TSuperObject::Create(static_cast<long>(value.ToInt64()));
    case K::Single:
    case K::Double:
      return TSuperObject::Create(value.ToDouble());
    case K::Currency:
      return TSuperObject::CreateCurrency(value.ToCurrency());
    case K::Date:
      return TSuperObject::Create(static_cast<long>(NativeToJavaDateTime(value.ToDateTime())));
    case K::Boolean:
      return TSuperObject::Create(value.ToBool());
    case K::String:
      return TSuperObject::Create(std::string_view(*value.get_if<std::string>()));
    default:
      break;
  }
  throw Exception(Format("Unsuported variant data type: %d", static_cast<int>(value.VarType())));
}

SAValue::SAValue(const Variant& v) : node_(SO(v)) {}

ISuperObject SA(std::initializer_list<SAValue> values) {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  for (const SAValue& v : values) a->Add(v.node());
  return r;
}

ISuperObject SAV(const std::vector<Variant>& values) {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  for (const Variant& v : values) a->Add(SO(v));
  return r;
}

bool SOIsObject(const ISuperObject& node) {
  return node && node->IsType(stObject);
}

bool SOIsEmptyObject(const ISuperObject& node) {
  return node && node->IsType(stObject) && node->AsObject()->IsEmpty();
}

namespace {

void PushLeft(std::vector<const Entry*>& st, const Entry* e) {
  for (; e; e = e->Left) st.push_back(e);
}

bool IterTake(TSuperObjectIter& it) {
  if (it.stack.empty()) {
    it.key.clear();
    it.val = nullptr;
    return false;
  }
  const Entry* e = it.stack.back();
  it.stack.pop_back();
  PushLeft(it.stack, e->Right);
  it.key = e->Name;
  it.val = e->Value;
  return true;
}

}  // namespace

bool ObjectFindFirst(const ISuperObject& obj, TSuperObjectIter& iter) {
  iter.stack.clear();
  iter.owner = nullptr;
  if (!SOIsObject(obj)) return false;
  iter.owner = obj;
  PushLeft(iter.stack, obj->AsObject()->root());
  return IterTake(iter);
}

bool ObjectFindNext(TSuperObjectIter& iter) {
  return IterTake(iter);
}

void ObjectFindClose(TSuperObjectIter& iter) {
  iter.stack.clear();
  iter.owner = nullptr;
  iter.val = nullptr;
  iter.key.clear();
}

std::int64_t NativeToJavaDateTime(TDateTime local) {
  return DateTimeToUnixMs(LocalToUTC(local));
}

TDateTime JavaToNativeDateTime(std::int64_t ms) {
  return UTCToLocal(UnixMsToDateTime(ms));
}

}  // namespace zq
