// Internal helpers of the JSON model: UTF-8 <-> UTF-16 code units.
//
// Text is held as "generalized" UTF-8: lone surrogates (from "\ud800"-style
// escapes) are kept as their 3-byte encodings so that they write back
// unchanged. When decoding, a byte that does not start a well-formed sequence
// stands for the code unit of the same value (so every byte string has a
// defined sequence of code units).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zq::superobject_detail {

// The characters that end or separate names in texts and paths:
// ( ) , . : [ ] { }
inline bool IsNameDelimiter(char c) {
  switch (c) {
    case '(':
    case ')':
    case ',':
    case '.':
    case ':':
    case '[':
    case ']':
    case '{':
    case '}':
      return true;
    default:
      return false;
  }
}

// Decodes one code point at s[i] (i < n), advancing i. Returns the code point
// (0..0x10FFFF, surrogates included).
inline std::uint32_t DecodeUtf8(const unsigned char* s, std::size_t n, std::size_t& i) {
  unsigned char b = s[i];
  if (b < 0x80) {
    ++i;
    return b;
  }
  auto cont = [&](std::size_t k) { return i + k < n && (s[i + k] & 0xC0) == 0x80; };
  if (b >= 0xC2 && b <= 0xDF && cont(1)) {
    std::uint32_t cp = (static_cast<std::uint32_t>(b & 0x1F) << 6) | (s[i + 1] & 0x3F);
    i += 2;
    return cp;
  }
  if (b >= 0xE0 && b <= 0xEF && cont(1) && cont(2)) {
    std::uint32_t cp = (static_cast<std::uint32_t>(b & 0x0F) << 12) |
                       (static_cast<std::uint32_t>(s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
    if (cp >= 0x800) {
      i += 3;
      return cp;
    }
  }
  if (b >= 0xF0 && b <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    std::uint32_t cp = (static_cast<std::uint32_t>(b & 0x07) << 18) |
                       (static_cast<std::uint32_t>(s[i + 1] & 0x3F) << 12) |
                       (static_cast<std::uint32_t>(s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      i += 4;
      return cp;
    }
  }
  ++i;
  return b;  // not well formed: the byte stands for itself
}

// Calls f(unit) for each UTF-16 code unit of the UTF-8 text.
template <class F>
inline void ForEachUnit(const char* p, std::size_t n, F&& f) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(p);
  std::size_t i = 0;
  while (i < n) {
    if (s[i] < 0x80) {
      f(static_cast<std::uint32_t>(s[i++]));
      continue;
    }
    std::uint32_t cp = DecodeUtf8(s, n, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      f(0xD800 + (cp >> 10));
      f(0xDC00 + (cp & 0x3FF));
    } else {
      f(cp);
    }
  }
}

// Appends the (generalized) UTF-8 encoding of a code point.
inline void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    char b[2] = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
    out.append(b, 2);
  } else if (cp < 0x10000) {
    char b[3] = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (cp & 0x3F))};
    out.append(b, 3);
  } else {
    char b[4] = {static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                 static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
    out.append(b, 4);
  }
}

}  // namespace zq::superobject_detail
