#include "foundation/format.h"

#include <charconv>
#include <cstdio>

#include "foundation/asciicase.h"
#include "foundation/exception.h"

namespace zq {

namespace {

void AppendPadded(std::string& out, std::string_view digits, bool negative, int width, bool zero,
                  bool left) {
  std::string body;
  if (negative) body.push_back('-');
  int len = static_cast<int>(digits.size() + body.size());
  if (zero && !left && width > len) body.append(static_cast<size_t>(width - len), '0');
  body.append(digits);
  if (!left && width > static_cast<int>(body.size()))
    out.append(static_cast<size_t>(width) - body.size(), ' ');
  out += body;
  if (left && width > static_cast<int>(body.size()))
    out.append(static_cast<size_t>(width) - body.size(), ' ');
}

std::string ToBase(unsigned long long v, int base, bool upper, int minDigits) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, base);
  std::string s(buf, r.ptr);
  if (upper)
    s = UpperAscii(s);
  if (static_cast<int>(s.size()) < minDigits) s.insert(0, static_cast<size_t>(minDigits) - s.size(), '0');
  return s;
}

std::string ArgAsText(const FormatArg& a) {
  switch (a.kind()) {
    case FormatArg::Kind::Text:
      return std::string(a.text());
    case FormatArg::Kind::Bool:
      return a.asSigned() ? "true" : "false";
    case FormatArg::Kind::Signed:
      return std::to_string(a.asSigned());
    case FormatArg::Kind::Unsigned:
      return std::to_string(a.asUnsigned());
    case FormatArg::Kind::Double: {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, a.asDouble());
      return std::string(buf, r.ptr);
    }
    case FormatArg::Kind::Pointer:
      return ToBase(a.asUnsigned(), 16, true, 16);
  }
  return {};
}

}  // namespace

std::string FormatV(std::string_view fmt, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(fmt.size() + 16 * args.size());
  auto next = args.begin();
  auto take = [&]() -> const FormatArg& {
    if (next == args.end())
      throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
    return *next++;
  };
  for (size_t i = 0; i < fmt.size(); ++i) {
    char c = fmt[i];
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    if (i + 1 >= fmt.size()) {
      out.push_back('%');
      break;
    }
    if (fmt[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool left = false, zero = false;
    while (j < fmt.size() && (fmt[j] == '-' || fmt[j] == '0')) {
      if (fmt[j] == '-') left = true; else zero = true;
      ++j;
    }
    int width = 0, prec = -1;
    while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') width = width * 10 + (fmt[j++] - '0');
    if (j < fmt.size() && fmt[j] == '.') {
      prec = 0;
      ++j;
      while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9') prec = prec * 10 + (fmt[j++] - '0');
    }
    while (j < fmt.size() && (fmt[j] == 'l' || fmt[j] == 'h' || fmt[j] == 'z')) ++j;
    if (j >= fmt.size()) {
      out.append(fmt.substr(i));
      break;
    }
    char conv = fmt[j];
    switch (conv) {
      case 's': {
        std::string t = ArgAsText(take());
        if (prec >= 0 && static_cast<size_t>(prec) < t.size()) t.resize(static_cast<size_t>(prec));
        AppendPadded(out, t, false, width, false, left);
        break;
      }
      case 'd':
      case 'i': {
        const FormatArg& a = take();
        long long v = a.asSigned();
        unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v;
        AppendPadded(out, ToBase(mag, 10, false, prec), v < 0, width, zero, left);
        break;
      }
      case 'u': {
        AppendPadded(out, ToBase(take().asUnsigned(), 10, false, prec), false, width, zero, left);
        break;
      }
      case 'x':
      case 'X': {
        AppendPadded(out, ToBase(take().asUnsigned(), 16, conv == 'X', prec), false, width, zero,
                     left);
        break;
      }
      case 'p': {
        AppendPadded(out, ToBase(take().asUnsigned(), 16, true, 16), false, width, false, left);
        break;
      }
      case 'f':
      case 'g':
      case 'e': {
        const FormatArg& a = take();
        double d = a.kind() == FormatArg::Kind::Double ? a.asDouble() : static_cast<double>(a.asSigned());
        char buf[512];
        char f[16];
        std::snprintf(f, sizeof f, "%%.%d%c", prec < 0 ? 6 : prec, conv);
        std::snprintf(buf, sizeof buf, f, d);
        AppendPadded(out, buf, false, width, false, left);
        break;
      }
      default:
        out.append(fmt.substr(i, j - i + 1));
        break;
    }
    i = j;
  }
  return out;
}

}  // namespace zq
