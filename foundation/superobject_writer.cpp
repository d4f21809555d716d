// The JSON writer: one pass appending to a single std::string.
#include <charconv>
#include <cmath>
#include <cstring>

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

void AppendUnit(std::string& out, std::uint32_t u) {
  char b[6] = {'\\', 'u', kHex[(u >> 12) & 0xF], kHex[(u >> 8) & 0xF], kHex[(u >> 4) & 0xF], kHex[u & 0xF]};
  out.append(b, 6);
}

void AppendNewline(std::string& out, int level) {
  out.append("\r\n", 2);
  out.append(static_cast<std::size_t>(level), ' ');
}

}  // namespace

void SuperAppendEscaped(std::string& out, std::string_view text, bool escape) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const unsigned char* table = escape ? kEscape.on : kEscape.off;
  std::size_t i = 0;
  while (i < n) {
    std::size_t start = i;
    while (i < n && !table[s[i]]) ++i;
    if (i > start) out.append(text.data() + start, i - start);
    if (i >= n) break;
    unsigned char c = s[i];
    switch (c) {
      case '"': out.append("\\\"", 2); ++i; continue;
      case '/': out.append("\\/", 2); ++i; continue;
      case '\\': out.append("\\\\", 2); ++i; continue;
      default: break;
    }
    if (!escape) {  // NUL
      out.append("\\u0000", 6);
      ++i;
      continue;
    }
    if (c < 0x80) {
      switch (c) {
        case '\b': out.append("\\b", 2); break;
        case '\t': out.append("\\t", 2); break;
        case '\n': out.append("\\n", 2); break;
        case '\f': out.append("\\f", 2); break;
        case '\r': out.append("\\r", 2); break;
        default: AppendUnit(out, c); break;
      }
      ++i;
      continue;
    }
    std::uint32_t cp = superobject_detail::DecodeUtf8(s, n, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendUnit(out, 0xD800 + (cp >> 10));
      AppendUnit(out, 0xDC00 + (cp & 0x3FF));
    } else {
      AppendUnit(out, cp);
    }
  }
}

void SuperAppendDouble(std::string& out, double d) {
  if (!std::isfinite(d)) {
    out.append("null", 4);
    return;
  }
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, 14);
  // buf: [-]D.DDDDDDDDDDDDDDe(+|-)XX[X]
  const char* p = buf;
  char res[48];
  char* o = res;
  if (*p == '-') *o++ = *p++;
  char digits[15];
  int nd = 0;
  digits[nd++] = *p++;
  if (*p == '.') ++p;
  while (*p != 'e') digits[nd++] = *p++;
  ++p;
  bool negExp = *p == '-';
  ++p;
  int exp = 0;
  while (p < r.ptr) exp = exp * 10 + (*p++ - '0');
  if (negExp) exp = -exp;
  while (nd > 1 && digits[nd - 1] == '0') --nd;
  if (exp >= -1 && exp <= 14) {
    if (exp == -1) {
      *o++ = '0';
      *o++ = '.';
      std::memcpy(o, digits, static_cast<std::size_t>(nd));
      o += nd;
    } else {
      int intLen = exp + 1;
      for (int k = 0; k < intLen; ++k) *o++ = k < nd ? digits[k] : '0';
      *o++ = '.';
      for (int k = intLen; k < nd; ++k) *o++ = digits[k];
    }
  } else {
    *o++ = digits[0];
    *o++ = '.';
    for (int k = 1; k < nd; ++k) *o++ = digits[k];
    *o++ = 'e';
    *o++ = negExp ? '-' : '+';
    int ae = exp < 0 ? -exp : exp;
    *o++ = static_cast<char>('0' + ae / 100);
    *o++ = static_cast<char>('0' + ae / 10 % 10);
    *o++ = static_cast<char>('0' + ae % 10);
  }
  out.append(res, static_cast<std::size_t>(o - res));
}

struct SuperWriter {
  std::string& out;
  bool indent, escape, namequote;

  struct Flag {
    bool& f;
    explicit Flag(bool& b) : f(b) { f = true; }
    ~Flag() { f = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;
  };

  static bool Skipped(const TSuperObject* v) { return v && (v->kind_ == stMethod || v->processing_); }

  bool Members(const TSuperTableString::Entry* e, int level, bool& first) {
    while (e) {
      if (e->Left && !Members(e->Left, level, first)) return false;
      const TSuperObject* v = e->Value.get();
      if (!Skipped(v)) {
        if (!first) out.push_back(',');
        first = false;
        if (indent) AppendNewline(out, level + 1);
        if (namequote) out.push_back('"');
        SuperAppendEscaped(out, e->Name, escape);
        if (namequote) out.push_back('"');
        if (indent) out.append(": ", 2);
        else out.push_back(':');
        if (!v) out.append("null", 4);
        else if (!Write(v, level + 1)) return false;
      }
      e = e->Right;
    }
    return true;
  }

  bool Write(const TSuperObject* n, int level) {
    if (n->processing_) {
      out.append("null", 4);
      return true;
    }
    switch (n->kind_) {
      case stNull:
      case stMethod:
        out.append("null", 4);
        return true;
      case stBoolean:
        if (n->u_.b) out.append("true", 4);
        else out.append("false", 5);
        return true;
      case stInt: {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, n->u_.i);
        out.append(buf, static_cast<std::size_t>(r.ptr - buf));
        return true;
      }
      case stDouble:
        SuperAppendDouble(out, n->u_.d);
        return true;
      case stCurrency: {
        if (n->u_.i == 0) {
          out.push_back('0');
          return true;
        }
        std::size_t at = out.size();
        Currency::FromRaw(n->u_.i).AppendTo(out);
        if (out.find('.', at) == std::string::npos) out.push_back('.');
        return true;
      }
      case stString:
        out.push_back('"');
        SuperAppendEscaped(out, n->u_.s, escape);
        out.push_back('"');
        return true;
      case stFunction:
        out.append(n->u_.s);
        return true;
      case stObject: {
        if (n->u_.o.count_ == 0) {
          out.append("{}", 2);
          return true;
        }
        if (level >= kSuperMaxDepth) return false;
        Flag g(n->processing_);
        out.push_back('{');
        bool first = true;
        if (!Members(n->u_.o.root_, level, first)) return false;
        if (indent) AppendNewline(out, level);
        out.push_back('}');
        return true;
      }
      case stArray: {
        const TSuperArray& a = n->u_.a;
        if (a.length_ == 0) {
          out.append("[]", 2);
          return true;
        }
        if (level >= kSuperMaxDepth) return false;
        Flag g(n->processing_);
        out.push_back('[');
        if (indent) AppendNewline(out, level + 1);
        bool first = true;
        for (std::size_t i = 0; i < a.length_; ++i) {
          const TSuperObject* v = a.items_[i].get();
          if (Skipped(v)) continue;
          if (!first) out.push_back(',');
          first = false;
          if (!v) out.append("null", 4);
          else if (!Write(v, level + 1)) return false;
        }
        out.push_back(']');
        return true;
      }
    }
    return true;
  }
};

bool TSuperObject::WriteJSon(std::string& out, bool indent, bool escape, bool namequote) const {
  std::size_t start = out.size();
  SuperWriter w{out, indent, escape, namequote};
  if (w.Write(this, 0)) return true;
  out.resize(start);
  return false;
}

}  // namespace zq
