// The JSON writer: one pass appending to a single std::string.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "foundation/superobject.h"
#include "foundation/superobject_utf.h"

namespace zq {

namespace {

const char kHex[] = "0123456789abcdef";

// Per-byte action tables: 0 copy, 1 escape.
struct EscapeTables {
  unsigned char on[256];
  unsigned char off[256];
  EscapeTables() {
    for (int c = 0; c < 256; ++c) {
      on[c] = (c < 32 || c >= 128 || c == '"' || c == '/' || c == '\\') ? 1 : 0;
      off[c] = (c == 0 || c == '"' || c == '/' || c == '\\') ? 1 : 0;
    }
  }
};
const EscapeTables kEscape;

// Output buffer: a per-thread scratch area reused from call to call (so
// that small texts cost no allocation and large ones no repeated growth),
// doubled when full and copied into the caller's string once at the end.
struct Scratch {
  char* data = nullptr;
  std::size_t cap = 0;
  bool busy = false;
  ~Scratch() { std::free(data); }
};
thread_local Scratch tScratch;
constexpr std::size_t kScratchKeep = std::size_t{16} << 20;  // larger areas are released after use

class OutBuf {
 public:
  OutBuf() {
    Scratch& sc = tScratch;
    if (!sc.busy) {
      sc.busy = true;
      sc_ = &sc;
      b_ = sc.data;
      cap_ = sc.cap;
    }
  }
  OutBuf(const OutBuf&) = delete;
  OutBuf& operator=(const OutBuf&) = delete;
  ~OutBuf() {
    if (sc_) {
      if (cap_ > kScratchKeep) {
        std::free(b_);
        b_ = nullptr;
        cap_ = 0;
      }
      sc_->data = b_;
      sc_->cap = cap_;
      sc_->busy = false;
    } else {
      std::free(b_);
    }
  }

  void Need(std::size_t n) {
    if (cap_ - pos_ < n) Grow(n);
  }
  void Put(char c) {
    Need(1);
    b_[pos_++] = c;
  }
  void Put(const char* d, std::size_t n) {
    Need(n);
    std::memcpy(b_ + pos_, d, n);
    pos_ += n;
  }
  // Unchecked writes after Need().
  char* Cur() { return b_ + pos_; }
  void Advance(std::size_t n) { pos_ += n; }
  void AppendTo(std::string& out) const { out.append(b_, pos_); }

 private:
  void Grow(std::size_t n) {
    std::size_t cap = cap_ * 2;
    if (cap < pos_ + n + 256) cap = pos_ + n + 256;
    char* nb = static_cast<char*>(std::realloc(b_, cap));
    if (!nb) throw std::bad_alloc();
    b_ = nb;
    cap_ = cap;
  }
  Scratch* sc_ = nullptr;
  char* b_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t cap_ = 0;
};

inline char* PutUnit(char* o, std::uint32_t u) {
  o[0] = '\\';
  o[1] = 'u';
  o[2] = kHex[(u >> 12) & 0xF];
  o[3] = kHex[(u >> 8) & 0xF];
  o[4] = kHex[(u >> 4) & 0xF];
  o[5] = kHex[u & 0xF];
  return o + 6;
}

void PutNewline(OutBuf& out, int level) {
  out.Need(2 + static_cast<std::size_t>(level));
  char* o = out.Cur();
  o[0] = '\r';
  o[1] = '\n';
  std::memset(o + 2, ' ', static_cast<std::size_t>(level));
  out.Advance(2 + static_cast<std::size_t>(level));
}

void PutEscaped(OutBuf& out, std::string_view text, bool escape) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const unsigned char* table = escape ? kEscape.on : kEscape.off;
  std::size_t i = 0;
  while (i < n) {
    // Work in chunks so that the worst case (6 output bytes per input byte) is reserved once.
    std::size_t lim = n - i > 4096 ? i + 4096 : n;
    out.Need(6 * (lim - i) + 24);
    char* o = out.Cur();
    char* const o0 = o;
    while (i < lim) {
      std::size_t start = i;
      while (i < lim && !table[s[i]]) ++i;
      if (i > start) {
        std::memcpy(o, text.data() + start, i - start);
        o += i - start;
      }
      if (i >= lim) break;
      unsigned char c = s[i];
      if (c == '"' || c == '/' || c == '\\') {
        o[0] = '\\';
        o[1] = static_cast<char>(c);
        o += 2;
        ++i;
        continue;
      }
      if (!escape) {  // NUL
        o = PutUnit(o, 0);
        ++i;
        continue;
      }
      if (c < 0x80) {
        char e = 0;
        switch (c) {
          case '\b':
            e = 'b';
            break;
          case '\t':
            e = 't';
            break;
          case '\n':
            e = 'n';
            break;
          case '\f':
            e = 'f';
            break;
          case '\r':
            e = 'r';
            break;
          default:
            break;
        }
        if (e) {
          o[0] = '\\';
          o[1] = e;
          o += 2;
        } else {
          o = PutUnit(o, c);
        }
        ++i;
        continue;
      }
      std::uint32_t cp = superobject_detail::DecodeUtf8(s, n, i);
      if (cp >= 0x10000) {
        cp -= 0x10000;
        o = PutUnit(o, 0xD800 + (cp >> 10));
        o = PutUnit(o, 0xDC00 + (cp & 0x3FF));
      } else {
        o = PutUnit(o, cp);
      }
    }
    out.Advance(static_cast<std::size_t>(o - o0));
  }
}

void PutDouble(OutBuf& out, double d);

}  // namespace

void SuperAppendEscaped(std::string& out, std::string_view text, bool escape) {
  OutBuf b;
  PutEscaped(b, text, escape);
  b.AppendTo(out);
}

void SuperAppendDouble(std::string& out, double d) {
  OutBuf b;
  PutDouble(b, d);
  b.AppendTo(out);
}

namespace {

// Exact powers of ten: every one up to 1e22 is a double without rounding.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The fast path for 15 significant digits. For a positive finite `a`, finds
// the 15-digit integer N and exponent E with N * 10^(E-14) the decimal that
// reads back as `a`. There is at most one such decimal (15-digit decimals are
// spaced wider than a double's rounding interval), so when it exists it is
// the correctly rounded 15-digit value. Works with exact powers of ten only,
// so the read-back check is a single correctly rounded operation; returns
// false when the scale is out of that range or no 15-digit decimal reads back
// as `a` (the value needs 16 or 17 digits), leaving the exact path to decide.
bool FifteenDigits(double a, std::uint64_t& n, int& e10) {
  int e2;
  std::frexp(a, &e2);                // a = f * 2^e2, 0.5 <= f < 1
  int e = ((e2 - 1) * 78913) >> 18;  // floor((e2 - 1) * log10(2)): floor(log10(a)) or one less
  if (e < -8 || e > 30) return false;
  int k = 14 - e;
  if (k > 22 || k < -22) return false;
  double v = k >= 0 ? a * kPow10[k] : a / kPow10[-k];
  if (v >= 999999999999999.5) {  // the estimate was one too low
    ++e;
    --k;
    if (k < -22) return false;
    v = k >= 0 ? a * kPow10[k] : a / kPow10[-k];
  }
  auto m = static_cast<std::uint64_t>(v + 0.5);
  if (m < 100000000000000ULL || m > 999999999999999ULL) return false;
  double back = k >= 0 ? static_cast<double>(m) / kPow10[k] : static_cast<double>(m) * kPow10[-k];
  if (back != a) return false;
  n = m;
  e10 = e;
  return true;
}

// The 15 digits of `n` (10^14 <= n < 10^15) into `out`.
void Put15(char* out, std::uint64_t n) {
  std::uint64_t hi = n / 100000000;                          // 7 digits
  auto lo = static_cast<std::uint32_t>(n - hi * 100000000);  // 8 digits
  auto h = static_cast<std::uint32_t>(hi);
  char* p = out + 15;
  for (int i = 0; i < 4; ++i) {
    std::uint32_t q = lo / 100;
    std::memcpy(p -= 2, kDigitPairs + 2 * (lo - q * 100), 2);
    lo = q;
  }
  for (int i = 0; i < 3; ++i) {
    std::uint32_t q = h / 100;
    std::memcpy(p -= 2, kDigitPairs + 2 * (h - q * 100), 2);
    h = q;
  }
  *--p = static_cast<char>('0' + h);
}

void PutDouble(OutBuf& out, double d) {
  if (!std::isfinite(d)) {
    out.Put("null", 4);
    return;
  }
  const bool neg = std::signbit(d);
  const double a = neg ? -d : d;
  char digits[20];
  int nd;
  int exp;
  std::uint64_t n15;
  if (a == 0) {
    digits[0] = '0';
    nd = 1;
    exp = 0;
  } else if (FifteenDigits(a, n15, exp)) {
    Put15(digits, n15);
    nd = 15;
  } else {
    // The exact path. For normal values the shortest round-trip digits equal
    // the 15-digit rounding whenever there are at most 15 of them; otherwise,
    // and always for subnormals (whose few bits make short digit strings read
    // back), round to 15 significant digits explicitly.
    char buf[48];
    char* const bend = buf + sizeof buf;
    auto r = std::to_chars(buf, bend, a, std::chars_format::scientific);
    const char* e = r.ptr - 1;
    while (*e != 'e') --e;
    nd = static_cast<int>(e - buf) - (buf[1] == '.' ? 1 : 0);
    if (nd > 15 || a < std::numeric_limits<double>::min()) {
      r = std::to_chars(buf, bend, a, std::chars_format::scientific, 14);
      e = r.ptr - 1;
      while (*e != 'e') --e;
      nd = 15;
    }
    digits[0] = buf[0];
    if (nd > 1) std::memcpy(digits + 1, buf + 2, static_cast<std::size_t>(nd - 1));
    exp = 0;
    for (const char* q = e + 2; q < r.ptr; ++q) exp = exp * 10 + (*q - '0');
    if (e[1] == '-') exp = -exp;
  }
  // Trailing zeros dropped.
  while (nd > 1 && digits[nd - 1] == '0') --nd;
  const bool negExp = exp < 0;

  out.Need(32);
  char* o0 = out.Cur();
  char* o = o0;
  if (neg) *o++ = '-';
  if (exp >= -1 && exp <= 14) {
    if (exp == -1) {
      *o++ = '0';
      *o++ = '.';
      std::memcpy(o, digits, static_cast<std::size_t>(nd));
      o += nd;
    } else {
      int intLen = exp + 1;
      if (nd <= intLen) {
        std::memcpy(o, digits, static_cast<std::size_t>(nd));
        std::memset(o + nd, '0', static_cast<std::size_t>(intLen - nd));
        o += intLen;
        *o++ = '.';
      } else {
        std::memcpy(o, digits, static_cast<std::size_t>(intLen));
        o += intLen;
        *o++ = '.';
        std::memcpy(o, digits + intLen, static_cast<std::size_t>(nd - intLen));
        o += nd - intLen;
      }
    }
  } else {
    *o++ = digits[0];
    *o++ = '.';
    std::memcpy(o, digits + 1, static_cast<std::size_t>(nd - 1));
    o += nd - 1;
    *o++ = 'e';
    *o++ = negExp ? '-' : '+';
    int ae = exp < 0 ? -exp : exp;
    *o++ = static_cast<char>('0' + ae / 100);
    *o++ = static_cast<char>('0' + ae / 10 % 10);
    *o++ = static_cast<char>('0' + ae % 10);
  }
  out.Advance(static_cast<std::size_t>(o - o0));
}

}  // namespace

bool ZQIsBareJSonName(std::string_view n) {
  if (n.empty()) return false;
  // A canonical non-negative integer.
  if (n[0] >= '0' && n[0] <= '9') {
    if (n.size() > 1 && n[0] == '0') return false;
    return std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
  }
  for (std::size_t i = 0; i < n.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(n[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$') continue;
    if (i > 0 && c >= '0' && c <= '9') continue;
    if (c >= 0x80) {
      // Letters beyond ASCII are identifier characters; the line and
      // paragraph separators (U+2028, U+2029) are not.
      if (c == 0xE2 && i + 2 < n.size() && static_cast<unsigned char>(n[i + 1]) == 0x80 &&
          (static_cast<unsigned char>(n[i + 2]) == 0xA8 ||
           static_cast<unsigned char>(n[i + 2]) == 0xA9))
        return false;
      continue;
    }
    return false;
  }
  return true;
}

struct SuperWriter {
  OutBuf& out;
  bool indent, escape, namequote;

  struct Flag {
    bool& f;
    explicit Flag(bool& b) : f(b) { f = true; }
    ~Flag() { f = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;
  };

  static bool Skipped(const TSuperObject* v) {
    return v && (v->kind_ == stMethod || v->processing_);
  }

  bool Member(const TSuperTableString::Entry* e, int level, bool& first) {
    const TSuperObject* v = e->Value.get();
    if (Skipped(v)) return true;
    if (!first) out.Put(',');
    first = false;
    if (indent) PutNewline(out, level + 1);
    if (namequote || !ZQIsBareJSonName(e->Name)) {
      out.Put('"');
      PutEscaped(out, e->Name, escape || !namequote);
      out.Put('"');
    } else {
      PutEscaped(out, e->Name, escape);
    }
    if (indent)
      out.Put(": ", 2);
    else
      out.Put(':');
    if (!v) {
      out.Put("null", 4);
      return true;
    }
    return Write(v, level + 1);
  }

  bool Members(const TSuperTableString::Entry* e, int level, bool& first) {
    while (e) {
      // Start loading this entry's value and right subtree while the left one is written.
      __builtin_prefetch(e->Value.get());
      __builtin_prefetch(e->Right);
      if (e->Left && !Members(e->Left, level, first)) return false;
      if (!Member(e, level, first)) return false;
      e = e->Right;
    }
    return true;
  }

  // Objects of usual size: the entries are gathered in member order first,
  // starting the loads of all their values at once, and then written.
  static constexpr std::size_t kGather = 64;
  bool SmallObject(const TSuperTableString& t, int level, bool& first) {
    const TSuperTableString::Entry* order[kGather];
    const TSuperTableString::Entry* path[kGather];  // a height-balanced tree of 64 is far shallower
    std::size_t n = 0, top = 0;
    const TSuperTableString::Entry* e = t.root_;
    while (e || top) {
      while (e) {
        path[top++] = e;
        e = e->Left;
      }
      e = path[--top];
      __builtin_prefetch(e->Value.get());
      order[n++] = e;
      e = e->Right;
    }
    for (std::size_t i = 0; i < n; ++i)
      if (!Member(order[i], level, first)) return false;
    return true;
  }

  bool Write(const TSuperObject* n, int level) {
    if (n->processing_) {
      out.Put("null", 4);
      return true;
    }
    switch (n->kind_) {
      case stNull:
      case stMethod:
        out.Put("null", 4);
        return true;
      case stBoolean:
        if (n->u_.b)
          out.Put("true", 4);
        else
          out.Put("false", 5);
        return true;
      case stInt: {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, n->u_.i);
        out.Put(buf, static_cast<std::size_t>(r.ptr - buf));
        return true;
      }
      case stDouble:
        PutDouble(out, n->u_.d);
        return true;
      case stCurrency: {
        if (n->u_.i == 0) {
          out.Put('0');
          return true;
        }
        std::string text;
        Currency::FromRaw(n->u_.i).AppendTo(text);
        if (text.find('.') == std::string::npos) text.push_back('.');
        out.Put(text.data(), text.size());
        return true;
      }
      case stString:
        out.Put('"');
        PutEscaped(out, n->u_.s, escape);
        out.Put('"');
        return true;
      case stFunction:
        out.Put(n->u_.s.data(), n->u_.s.size());
        return true;
      case stObject: {
        if (n->u_.o.count_ == 0) {
          out.Put("{}", 2);
          return true;
        }
        if (level >= kSuperMaxDepth) return false;
        Flag g(n->processing_);
        out.Put('{');
        bool first = true;
        const TSuperTableString& t = n->u_.o;
        if (t.count_ <= kGather ? !SmallObject(t, level, first) : !Members(t.root_, level, first))
          return false;
        if (indent) PutNewline(out, level);
        out.Put('}');
        return true;
      }
      case stArray: {
        const TSuperArray& a = n->u_.a;
        if (a.length_ == 0) {
          out.Put("[]", 2);
          return true;
        }
        if (level >= kSuperMaxDepth) return false;
        Flag g(n->processing_);
        out.Put('[');
        if (indent) PutNewline(out, level + 1);
        bool first = true;
        for (std::size_t i = 0; i < a.length_; ++i) {
          if (i + 4 < a.length_) __builtin_prefetch(a.items_[i + 4].get());
          const TSuperObject* v = a.items_[i].get();
          if (Skipped(v)) continue;
          if (!first) out.Put(',');
          first = false;
          if (!v)
            out.Put("null", 4);
          else if (!Write(v, level + 1))
            return false;
        }
        out.Put(']');
        return true;
      }
    }
    return true;
  }
};

bool TSuperObject::WriteJSon(std::string& out, bool indent, bool escape, bool namequote) const {
  OutBuf buf;
  SuperWriter w{buf, indent, escape, namequote};
  if (!w.Write(this, 0)) return false;
  buf.AppendTo(out);
  return true;
}

}  // namespace zq
