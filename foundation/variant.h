// Variant: a tagged value of one of the kinds the library exchanges with
// applications (option values, parameter lists, JSON conversions). Each kind
// reports a classic numeric type code (VarType) used in messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "foundation/currency.h"
#include "foundation/datetime.h"

namespace zq {

class TObject;

// Type codes of the variant kinds.
enum VarTypeCode : std::uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varBoolean = 0x000B,
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varUInt64 = 0x0015,
  varString = 0x0100,
  varUString = 0x0102,
  varObject = 0x4049,  // non-owning object reference (library's own code)
};

struct VarNullT {
  friend constexpr bool operator==(VarNullT, VarNullT) { return true; }
};
inline constexpr VarNullT VarNull{};

class Variant {
 public:
  enum class Kind : std::uint8_t {
    Empty, Null, Smallint, Integer, Int64, ShortInt, Byte, Word, LongWord, UInt64,
    Single, Double, Currency, Date, Boolean, String, Object
  };

  Variant() = default;
  Variant(VarNullT) : v_(VarNullT{}) {}
  Variant(std::int16_t v) : v_(v) {}
  Variant(std::int32_t v) : v_(v) {}
  Variant(long v) : v_(static_cast<std::int64_t>(v)) {}
  Variant(long long v) : v_(static_cast<std::int64_t>(v)) {}
  Variant(std::int8_t v) : v_(v) {}
  Variant(std::uint8_t v) : v_(v) {}
  Variant(std::uint16_t v) : v_(v) {}
  Variant(std::uint32_t v) : v_(v) {}
  Variant(unsigned long v) : v_(static_cast<std::uint64_t>(v)) {}
  Variant(unsigned long long v) : v_(static_cast<std::uint64_t>(v)) {}
  Variant(float v) : v_(v) {}
  Variant(double v) : v_(v) {}
  Variant(zq::Currency v) : v_(v) {}
  Variant(TDateTime v) : v_(v) {}
  Variant(bool v) : v_(v) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}
  Variant(const char* v) : v_(std::string(v ? v : "")) {}
  Variant(TObject* v) : v_(v) {}
  Variant(char) = delete;  // ambiguous: character or number

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  // The classic type code of the kind (varEmpty, varInteger, varUString ...).
  std::uint16_t VarType() const;

  bool IsEmpty() const { return kind() == Kind::Empty; }
  bool IsNull() const { return kind() == Kind::Null; }
  bool IsEmptyOrNull() const { return IsEmpty() || IsNull(); }
  // Signed and unsigned integers of every width and booleans.
  bool IsOrdinal() const;
  // Integers of every width (no booleans).
  bool IsInteger() const;
  // Single, double and currency.
  bool IsFloat() const;
  // Ordinal or float (dates excluded).
  bool IsNumeric() const;
  bool IsBool() const { return kind() == Kind::Boolean; }
  bool IsDate() const { return kind() == Kind::Date; }
  bool IsText() const { return kind() == Kind::String; }
  bool IsObject() const { return kind() == Kind::Object; }

  // Conversions. Empty and null give "", 0, 0.0 and false. Numbers convert
  // with saturation at the target's limits (NaN gives 0); doubles round to
  // the nearest integer, ties to even. Text is read as a number ("true" and
  // "false" too, for booleans); text that is not one raises EConvertError.
  // Object references raise EInvalidCast except in ToString ("").
  std::string ToString() const;
  std::int64_t ToInt64() const;
  double ToDouble() const;
  bool ToBool() const;
  zq::Currency ToCurrency() const;
  TDateTime ToDateTime() const;
  TObject* ToObject() const;

  // Direct access to the stored value; nullptr when the kind differs.
  template <typename T>
  const T* get_if() const { return std::get_if<T>(&v_); }

  // Same kind and same value (a double NaN is not equal to itself).
  friend bool operator==(const Variant& a, const Variant& b);
  // Three-way comparison: -1, 0, 1. Numbers (including booleans, currency
  // and dates) compare by value across kinds, texts compare bytewise;
  // otherwise empty < null < numbers < texts < objects. A NaN orders first.
  static int Compare(const Variant& a, const Variant& b);

 private:
  std::variant<std::monostate, VarNullT, std::int16_t, std::int32_t, std::int64_t, std::int8_t,
               std::uint8_t, std::uint16_t, std::uint32_t, std::uint64_t, float, double,
               zq::Currency, TDateTime, bool, std::string, TObject*>
      v_;
};

// Name of a type code for messages ("Integer", "UnicodeString", ...).
const char* VarTypeName(std::uint16_t code);

}  // namespace zq
