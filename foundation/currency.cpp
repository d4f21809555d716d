#include "foundation/currency.h"

#include <cmath>
#include <limits>

#include "foundation/exception.h"

namespace zq {

namespace {

// 2^63 as a double: every double strictly below it (and >= -2^63) converts to int64.
constexpr double kTwo63 = 9223372036854775808.0;

bool ScaledFits(double scaled) { return scaled >= -kTwo63 && scaled < kTwo63; }

}  // namespace

bool Currency::TryFromDouble(double value, Currency& out) {
  if (!std::isfinite(value)) return false;
  double scaled = std::nearbyint(value * static_cast<double>(kScale));
  if (!ScaledFits(scaled)) return false;
  out.raw_ = static_cast<std::int64_t>(scaled);
  return true;
}

Currency::Currency(double value) {
  if (!TryFromDouble(value, *this))
    throw EConvertError("Floating point value out of currency range");
}

Currency Currency::FromInt(std::int64_t value) {
  constexpr std::int64_t lim = std::numeric_limits<std::int64_t>::max() / kScale;
  if (value > lim || value < -lim) throw EConvertError("Integer value out of currency range");
  return FromRaw(value * kScale);
}

Currency Currency::FromDoubleSaturated(double value) {
  Currency c;
  if (TryFromDouble(value, c)) return c;
  if (std::isnan(value)) return Currency();
  return FromRaw(value < 0 ? std::numeric_limits<std::int64_t>::min()
                           : std::numeric_limits<std::int64_t>::max());
}

double Currency::ToDouble() const {
  return static_cast<double>(raw_) / static_cast<double>(kScale);
}

void Currency::AppendTo(std::string& out) const {
  // Work on the magnitude as unsigned so that INT64_MIN is handled.
  bool neg = raw_ < 0;
  std::uint64_t mag = neg ? (~static_cast<std::uint64_t>(raw_) + 1) : static_cast<std::uint64_t>(raw_);
  std::uint64_t whole = mag / kScale;
  unsigned frac = static_cast<unsigned>(mag % kScale);
  char buf[32];
  char* p = buf + sizeof buf;
  char* end = p;
  if (frac != 0) {
    char f[4];
    for (int i = 3; i >= 0; --i) {
      f[i] = static_cast<char>('0' + frac % 10);
      frac /= 10;
    }
    int n = 4;
    while (n > 0 && f[n - 1] == '0') --n;
    for (int i = n - 1; i >= 0; --i) *--p = f[i];
    *--p = '.';
  }
  do {
    *--p = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  if (neg) *--p = '-';
  out.append(p, static_cast<std::size_t>(end - p));
}

std::string Currency::ToString() const {
  std::string s;
  AppendTo(s);
  return s;
}

bool Currency::TryParse(std::string_view text, Currency& out) {
  std::size_t i = 0, n = text.size();
  bool neg = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) neg = text[i++] == '-';
  std::uint64_t whole = 0;
  std::size_t digits = 0;
  constexpr std::uint64_t maxMag = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + static_cast<unsigned>(text[i] - '0');
    if (whole > maxMag / kScale) return false;
  }
  std::uint64_t frac = 0;
  int fracDigits = 0;
  bool roundUp = false, sticky = false;
  int roundDigit = -1;
  if (i < n && text[i] == '.') {
    ++i;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
      int d = text[i] - '0';
      if (fracDigits < 4) {
        frac = frac * 10 + static_cast<unsigned>(d);
        ++fracDigits;
      } else if (roundDigit < 0) {
        roundDigit = d;
      } else if (d != 0) {
        sticky = true;
      }
    }
  }
  if (i != n || digits == 0) return false;
  while (fracDigits < 4) {
    frac *= 10;
    ++fracDigits;
  }
  std::uint64_t mag = whole * kScale + frac;
  if (roundDigit > 5 || (roundDigit == 5 && (sticky || (mag & 1)))) roundUp = true;
  if (roundUp) ++mag;
  if (neg ? mag > maxMag : mag >= maxMag) return false;
  out.raw_ = neg ? static_cast<std::int64_t>(~mag + 1) : static_cast<std::int64_t>(mag);
  return true;
}

}  // namespace zq
