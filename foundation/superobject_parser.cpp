// The lenient JSON parser behind SO(text).
//
// Accepted beyond plain JSON: comments (/* */ and //), single-quoted strings,
// "\x" escapes, unquoted member names, bare words as string values, numbers
// with a decimal point and up to four fraction digits as currency. Any error
// gives no node; nothing is raised. Nesting is limited to 31 levels below the
// outermost value, so recursion is bounded.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "foundation/superobject.h"
#include "foundation/superobject_utf.h"

namespace zq {

namespace {

bool IsWs(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\b';
}

int HexVal(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

bool IsWordFollow(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.';
}

bool BadNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u <= 32 || u == 127 || c == '"' || superobject_detail::IsNameDelimiter(c);
}

}  // namespace

struct SuperParser {
  SuperParser(const char* b, const char* e) : p(b), end(e) {}
  const char* p;
  const char* end;
  struct Member {
    std::string name;
    std::uint32_t hash;
    ISuperObject value;
  };
  std::vector<ISuperObject> stack;  // elements of the arrays being read
  std::vector<Member> members;      // members of the objects being read
  std::string name;                 // scratch for member names

  // Skips blanks and comments; false on an unterminated comment.
  bool SkipWs() {
    for (;;) {
      while (p < end && IsWs(*p)) ++p;
      if (p + 1 < end && p[0] == '/') {
        if (p[1] == '*') {
          const char* q = p + 2;
          for (;;) {
            if (q + 1 >= end) return false;
            if (q[0] == '*' && q[1] == '/') break;
            ++q;
          }
          p = q + 2;
          continue;
        }
        if (p[1] == '/') {
          p += 2;
          while (p < end && *p != '\n' && *p != '\r') ++p;
          continue;
        }
      }
      return true;
    }
  }

  // Reads an escape after a backslash (p at the character after it) into out.
  bool Escape(std::string& out) {
    if (p >= end) return false;
    char c = *p++;
    switch (c) {
      case 'b':
        out.push_back('\b');
        return true;
      case 'f':
        out.push_back('\f');
        return true;
      case 'n':
        out.push_back('\n');
        return true;
      case 'r':
        out.push_back('\r');
        return true;
      case 't':
        out.push_back('\t');
        return true;
      case 'x': {
        if (end - p < 2) return false;
        int h1 = HexVal(p[0]), h2 = HexVal(p[1]);
        if (h1 < 0 || h2 < 0) return false;
        p += 2;
        superobject_detail::AppendUtf8(out, static_cast<std::uint32_t>(h1 * 16 + h2));
        return true;
      }
      case 'u': {
        std::uint32_t u;
        if (!Hex4(u)) return false;
        if (u >= 0xD800 && u <= 0xDBFF && end - p >= 6 && p[0] == '\\' && p[1] == 'u') {
          const char* save = p;
          p += 2;
          std::uint32_t lo;
          if (!Hex4(lo)) return false;
          if (lo >= 0xDC00 && lo <= 0xDFFF) {
            superobject_detail::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
            return true;
          }
          p = save;  // not a pair: the next escape is read on its own
        }
        superobject_detail::AppendUtf8(out, u);  // lone surrogates kept as generalized UTF-8
        return true;
      }
      default:
        out.push_back(c);
        return true;
    }
  }

  bool Hex4(std::uint32_t& u) {
    if (end - p < 4) return false;
    u = 0;
    for (int k = 0; k < 4; ++k) {
      int h = HexVal(p[k]);
      if (h < 0) return false;
      u = u * 16 + static_cast<std::uint32_t>(h);
    }
    p += 4;
    return true;
  }

  // A quoted text; p at the opening quote.
  bool QuotedText(std::string& out) {
    char q = *p++;
    for (;;) {
      const char* s = p;
      while (p < end && *p != q && *p != '\\') ++p;
      out.append(s, static_cast<std::size_t>(p - s));
      if (p >= end) return false;
      if (*p == q) {
        ++p;
        return true;
      }
      ++p;  // backslash
      if (!Escape(out)) return false;
    }
  }

  // A bare word ended by the end of the text or, inside a container, by ","
  // or the container's closing character; trailing blanks removed.
  bool BareWord(std::string& out, char close) {
    for (;;) {
      const char* s = p;
      if (close == 0) {
        while (p < end && *p != '\\') ++p;
      } else {
        while (p < end && *p != '\\' && *p != ',' && *p != close) ++p;
      }
      out.append(s, static_cast<std::size_t>(p - s));
      if (p < end && *p == '\\') {
        ++p;
        if (!Escape(out)) return false;
        continue;
      }
      break;
    }
    while (!out.empty() && IsWs(out.back())) out.pop_back();
    return true;
  }

  static ISuperObject MakeText(std::string&& s) {
    ISuperObject n = TSuperObject::Create(stString);
    n->u_.s = std::move(s);
    return n;
  }

  // Numbers in the plain shape: digits, an optional fraction with digits, an
  // optional exponent. Read in one pass; integers of up to 18 digits and
  // short fractions (currency) directly, doubles with at most 15 significant
  // digits scaled by at most 10^22 with one exact multiplication or division
  // (both operands are exact doubles, so the result is correctly rounded).
  // Every other spelling goes to NumberSlow.
  ISuperObject Number() {
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static constexpr std::int64_t kCurrencyScale[] = {10000, 1000, 100, 10, 1};
    const char* q = p;
    const bool neg = *q == '-';
    if (neg) ++q;
    std::uint64_t m = 0;
    const char* digits = q;
    while (q < end && static_cast<unsigned>(*q - '0') <= 9) {
      m = m * 10 + static_cast<unsigned>(*q - '0');
      ++q;
    }
    int nd = static_cast<int>(q - digits);  // digits taken into m
    if (nd == 0 || nd > 18) return NumberSlow();
    int frac = -1;  // fraction digits, -1 without a point
    if (q < end && *q == '.') {
      const char* f = ++q;
      while (q < end && static_cast<unsigned>(*q - '0') <= 9) {
        m = m * 10 + static_cast<unsigned>(*q - '0');
        ++q;
      }
      frac = static_cast<int>(q - f);
      nd += frac;
      if (frac == 0 || nd > 18) return NumberSlow();
    }
    int x = 0;
    bool hasExp = false;
    if (q < end && (*q == 'e' || *q == 'E')) {
      hasExp = true;
      ++q;
      bool xneg = false;
      if (q < end && (*q == '+' || *q == '-')) xneg = *q++ == '-';
      const char* xs = q;
      while (q < end && static_cast<unsigned>(*q - '0') <= 9 && q - xs < 4)
        x = x * 10 + (*q++ - '0');
      if (q == xs) return NumberSlow();
      if (xneg) x = -x;
    }
    if (q < end && IsNumberChar(*q)) return NumberSlow();
    if (!hasExp && frac < 0) {
      p = q;
      ISuperObject n = TSuperObject::Create(stInt);
      n->u_.i = neg ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
      return n;
    }
    if (!hasExp && frac <= 4) {
      if (nd > 14) return NumberSlow();  // leave the range check to the currency type
      p = q;
      ISuperObject n = TSuperObject::Create(stCurrency);
      std::int64_t raw = static_cast<std::int64_t>(m) * kCurrencyScale[frac];
      n->u_.i = neg ? -raw : raw;
      return n;
    }
    const int p10 = x - (frac < 0 ? 0 : frac);
    if (m > (std::uint64_t{1} << 53) || p10 < -22 || p10 > 22) return NumberSlow();
    double d = static_cast<double>(m);
    if (p10 < 0)
      d /= kPow10[-p10];
    else if (p10 > 0)
      d *= kPow10[p10];
    p = q;
    ISuperObject n = TSuperObject::Create(stDouble);
    n->u_.d = neg ? -d : d;
    return n;
  }

  ISuperObject NumberSlow() {
    const char* s = p;
    bool dot = false, exp = false;
    const char* dotAt = nullptr;
    while (p < end && IsNumberChar(*p)) {
      if (*p == '.' && !dot) {
        dot = true;
        dotAt = p;
      }
      if (*p == 'e' || *p == 'E') exp = true;
      ++p;
    }
    const char* e = p;
    if (!dot && !exp) {
      std::int64_t v = 0;
      auto r = std::from_chars(s, e, v);
      if (r.ptr == e && r.ec == std::errc()) {
        ISuperObject n = TSuperObject::Create(stInt);
        n->u_.i = v;
        return n;
      }
      if (r.ptr != e || r.ec != std::errc::result_out_of_range) return nullptr;
      // Too large for 64 bits: read as a double below.
    } else if (dot && !exp && (e - dotAt - 1) <= 4) {
      Currency c;
      if (Currency::TryParse(std::string_view(s, static_cast<std::size_t>(e - s)), c)) {
        ISuperObject n = TSuperObject::Create(stCurrency);
        n->u_.i = c.raw();
        return n;
      }
      // Well-formed but outside the currency range: read as a double below.
    }
    double d = 0;
    auto r = std::from_chars(s, e, d, std::chars_format::general);
    if (r.ptr != e) return nullptr;
    if (r.ec == std::errc::result_out_of_range) {
      bool tiny = false;
      for (const char* q = s; q < e; ++q)
        if ((*q == 'e' || *q == 'E') && q + 1 < e && q[1] == '-') tiny = true;
      d = tiny ? 0.0 : (*s == '-' ? -HUGE_VAL : HUGE_VAL);
    } else if (r.ec != std::errc()) {
      return nullptr;
    }
    ISuperObject n = TSuperObject::Create(stDouble);
    n->u_.d = d;
    return n;
  }

  ISuperObject Value(int depth, char close) {
    if (depth > kSuperParseMaxDepth) return nullptr;
    if (!SkipWs() || p >= end) return nullptr;
    char c = *p;
    switch (c) {
      case '{':
        return Object(depth);
      case '[':
        return Array(depth);
      case '"':
      case '\'': {
        ISuperObject n = TSuperObject::Create(stString);
        if (!QuotedText(n->u_.s)) return nullptr;
        return n;
      }
      case ',':
      case ']':
      case '}':
      case ':':
        return nullptr;
      default:
        break;
    }
    if ((c >= '0' && c <= '9') || c == '-') return Number();
    if (c == 't' || c == 'f' || c == 'n') {
      std::size_t len = c == 'f' ? 5 : 4;
      const char* word = c == 't' ? "true" : (c == 'f' ? "false" : "null");
      if (static_cast<std::size_t>(end - p) >= len && std::memcmp(p, word, len) == 0 &&
          (p + len == end || !IsWordFollow(p[len]))) {
        p += len;
        if (c == 'n') return TSuperObject::Create(stNull);
        return TSuperObject::Create(c == 't');
      }
    }
    std::string text;
    if (!BareWord(text, close)) return nullptr;
    return MakeText(std::move(text));
  }

  ISuperObject Array(int depth) {
    ++p;  // [
    if (!SkipWs()) return nullptr;
    ISuperObject arr = TSuperObject::Create(stArray);
    if (p < end && *p == ']') {
      ++p;
      return arr;
    }
    std::size_t base = stack.size();
    for (;;) {
      ISuperObject v = Value(depth + 1, ']');
      if (!v) return nullptr;
      stack.push_back(std::move(v));
      if (!SkipWs() || p >= end) return nullptr;
      if (*p == ',') {
        ++p;
        continue;
      }
      if (*p == ']') {
        ++p;
        break;
      }
      return nullptr;
    }
    std::size_t n = stack.size() - base;
    TSuperArray& a = arr->u_.a;
    a.Grow(n - 1);
    for (std::size_t i = 0; i < n; ++i) new (&a.items_[i]) ISuperObject(std::move(stack[base + i]));
    a.length_ = n;
    stack.resize(base);
    return arr;
  }

  ISuperObject Object(int depth) {
    ++p;  // {
    if (!SkipWs()) return nullptr;
    ISuperObject obj = TSuperObject::Create(stObject);
    if (p < end && *p == '}') {
      ++p;
      return obj;
    }
    std::size_t base = members.size();
    for (;;) {
      if (!SkipWs() || p >= end) return nullptr;
      name.clear();
      if (*p == '"' || *p == '\'') {
        if (!QuotedText(name)) return nullptr;
        if (!SkipWs() || p >= end || *p != ':') return nullptr;
      } else {
        if (BadNameStart(*p)) return nullptr;
        for (;;) {
          const char* s = p;
          while (p < end && *p != ':' && *p != '\\') ++p;
          name.append(s, static_cast<std::size_t>(p - s));
          if (p >= end) return nullptr;
          if (*p == ':') break;
          ++p;
          if (!Escape(name)) return nullptr;
        }
        while (!name.empty() && IsWs(name.back())) name.pop_back();
      }
      ++p;  // :
      std::uint32_t h = TSuperTableString::Hash(name);
      members.push_back(Member{std::move(name), h, nullptr});
      name = std::string();
      ISuperObject v = Value(depth + 1, '}');
      if (!v) return nullptr;
      members.back().value = std::move(v);
      if (!SkipWs() || p >= end) return nullptr;
      if (*p == ',') {
        ++p;
        continue;
      }
      if (*p == '}') {
        ++p;
        Build(obj->u_.o, base);
        return obj;
      }
      return nullptr;
    }
  }

  // Makes the member tree of the members read since `base`: sorted into
  // member order (a repeated name keeps its last value), the entries are
  // allocated in that order and linked into a perfectly balanced tree, so
  // that writing the object walks memory forwards.
  void Build(TSuperTableString& t, std::size_t base) {
    const std::size_t n = members.size() - base;
    Member* m = members.data() + base;
    // Sort positions, not the members (moving names is what costs): by
    // member order, equal names by position so the last one read ends a run.
    order.resize(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
    auto before = [m](std::uint32_t x, std::uint32_t y) {
      int c = TSuperTableString::CompareNames(m[x].hash, m[x].name, m[y].hash, m[y].name);
      return c != 0 ? c < 0 : x < y;
    };
    if (n <= 24) {
      for (std::size_t i = 1; i < n; ++i) {
        std::uint32_t v = order[i];
        std::size_t j = i;
        for (; j > 0 && before(v, order[j - 1]); --j) order[j] = order[j - 1];
        order[j] = v;
      }
    } else {
      std::sort(order.begin(), order.end(), before);
    }
    entries.clear();
    for (std::size_t k = 0; k < n; ++k) {
      Member& x = m[order[k]];
      if (k + 1 < n) {
        const Member& next = m[order[k + 1]];
        if (x.hash == next.hash && x.name == next.name)
          continue;  // a repeated name keeps its last value
      }
      auto* e = new TSuperTableString::Entry;
      e->Name = std::move(x.name);
      e->Hash = x.hash;
      e->Value = std::move(x.value);
      entries.push_back(e);
    }
    members.resize(base);
    t.root_ = Link(0, entries.size());
    t.count_ = entries.size();
  }

  TSuperTableString::Entry* Link(std::size_t lo, std::size_t hi) {
    if (lo >= hi) return nullptr;
    std::size_t mid = lo + (hi - lo) / 2;
    TSuperTableString::Entry* e = entries[mid];
    e->Left = Link(lo, mid);
    e->Right = Link(mid + 1, hi);
    int hl = e->Left ? e->Left->Height : 0, hr = e->Right ? e->Right->Height : 0;
    e->Height = static_cast<std::int8_t>((hl > hr ? hl : hr) + 1);
    return e;
  }

  std::vector<TSuperTableString::Entry*> entries;  // scratch for Build
  std::vector<std::uint32_t> order;                // scratch for Build
};

ISuperObject SO(std::string_view text) {
  try {
    SuperParser ps{text.data(), text.data() + text.size()};
    ISuperObject r = ps.Value(0, 0);
    return r;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace zq
