// Currency: a fixed-point amount with four fraction digits, stored as a signed
// 64-bit integer holding the value times 10000 (so 1.5 is held as 15000).
// Construction from a double rounds to the nearest ten-thousandth (ties to
// even) and raises EConvertError when the value is not finite or outside
// the representable range (about +-922337203685477.5807).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zq {

class Currency {
 public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Currency() = default;
  // Range-checked; raises EConvertError for NaN, infinities and out-of-range values.
  explicit Currency(double value);
  static constexpr Currency FromRaw(std::int64_t raw) {
    Currency c;
    c.raw_ = raw;
    return c;
  }
  // Whole units; raises EConvertError when value * 10000 does not fit.
  static Currency FromInt(std::int64_t value);
  // Like the double constructor but saturates instead of raising (NaN gives 0).
  static Currency FromDoubleSaturated(double value);
  // True and the value when `value` fits; false otherwise.
  static bool TryFromDouble(double value, Currency& out);

  constexpr std::int64_t raw() const { return raw_; }
  double ToDouble() const;

  // Decimal text with at most four fraction digits, trailing fraction zeros
  // removed and no decimal point for whole values: "1.5", "-0.25", "2", "0".
  std::string ToString() const;
  // Appends the same text as ToString to `out`.
  void AppendTo(std::string& out) const;
  // Reads an optional sign, digits, and optionally "." followed by digits
  // (more than four fraction digits are rounded half to even). No blanks,
  // no exponent. False when the text is not such a number or out of range.
  static bool TryParse(std::string_view text, Currency& out);

  friend constexpr bool operator==(Currency a, Currency b) { return a.raw_ == b.raw_; }
  friend constexpr auto operator<=>(Currency a, Currency b) { return a.raw_ <=> b.raw_; }

 private:
  std::int64_t raw_ = 0;
};

}  // namespace zq
