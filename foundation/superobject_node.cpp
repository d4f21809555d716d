// Nodes: their life cycle, construction and conversions.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/superobject.h"

namespace zq {

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

}  // namespace zq
