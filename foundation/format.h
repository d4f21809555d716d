// printf-like formatting for the script templates the library writes.
// Supported specifiers: %s (any argument as text), %d (integer), %u, %x / %X
// (hexadecimal, with optional zero-padded width and precision such as %0.6x or
// %.8x), %p (pointer as 16 upper-case hex digits), %f / %g with precision,
// and %%. Arguments are type-erased FormatArg values; a missing argument for a
// specifier raises zq::EConvertError.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zq {

class FormatArg {
 public:
  enum class Kind { Text, Signed, Unsigned, Double, Pointer, Bool };

  FormatArg(std::string_view s) : kind_(Kind::Text), text_(s) {}
  FormatArg(const std::string& s) : kind_(Kind::Text), text_(s) {}
  FormatArg(const char* s) : kind_(Kind::Text), text_(s ? s : "") {}
  FormatArg(char c) : kind_(Kind::Text), text_(&chr_, 1), chr_(c) {}
  FormatArg(bool b) : kind_(Kind::Bool), i_(b ? 1 : 0) {}
  FormatArg(int v) : kind_(Kind::Signed), i_(v) {}
  FormatArg(long v) : kind_(Kind::Signed), i_(v) {}
  FormatArg(long long v) : kind_(Kind::Signed), i_(v) {}
  FormatArg(unsigned v) : kind_(Kind::Unsigned), u_(v) {}
  FormatArg(unsigned long v) : kind_(Kind::Unsigned), u_(v) {}
  FormatArg(unsigned long long v) : kind_(Kind::Unsigned), u_(v) {}
  FormatArg(double v) : kind_(Kind::Double), d_(v) {}
  FormatArg(const void* p) : kind_(Kind::Pointer), u_(reinterpret_cast<std::uintptr_t>(p)) {}

  FormatArg(const FormatArg& o) : kind_(o.kind_), text_(o.text_), chr_(o.chr_) {
    u_ = o.u_;  // copies the bits of whichever member is active
    if (o.kind_ == Kind::Text && o.text_.data() == &o.chr_) text_ = std::string_view(&chr_, 1);
  }
  FormatArg& operator=(const FormatArg&) = delete;

  Kind kind() const { return kind_; }
  std::string_view text() const { return text_; }
  long long asSigned() const { return kind_ == Kind::Unsigned ? static_cast<long long>(u_) : i_; }
  unsigned long long asUnsigned() const { return static_cast<unsigned long long>(i_); }
  double asDouble() const { return d_; }

 private:
  Kind kind_;
  std::string_view text_;
  char chr_ = 0;
  union {
    long long i_;
    unsigned long long u_ = 0;
    double d_;
  };
};

std::string FormatV(std::string_view fmt, std::initializer_list<FormatArg> args);

template <typename... Args>
std::string Format(std::string_view fmt, const Args&... args) {
  return FormatV(fmt, {FormatArg(args)...});
}

}  // namespace zq
