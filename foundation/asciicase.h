// ASCII case folding for names, keys, extensions and header fields. Only A-Z
// and a-z are folded (independent of the process locale); every other byte,
// UTF-8 included, compares as itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zq {

constexpr char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperAsciiChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string LowerAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = LowerAsciiChar(c);
  return r;
}

inline std::string UpperAscii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = UpperAsciiChar(c);
  return r;
}

inline bool StartsWithTextAscii(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (LowerAsciiChar(text[i]) != LowerAsciiChar(prefix[i])) return false;
  return true;
}

inline bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithTextAscii(a, b);
}

// -1, 0 or 1, comparing the folded bytes as unsigned; a prefix comes first.
inline int CompareTextAscii(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(LowerAsciiChar(a[i]));
    auto y = static_cast<unsigned char>(LowerAsciiChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace zq
