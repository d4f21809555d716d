// TZQParamList: name=value lines with typed access in fixed formats, and the
// "&"-joined, form-encoded parameter text (ParamStr) used for submit and
// event parameters.
//
// Fixed formats, independent of the machine's locale: dates "DD-MM-YYYY",
// times "HH:MM:SS", date-times "DD-MM-YYYY HH:MM:SS" (the time left out at
// exactly midnight), numbers with "." as decimal separator and the general
// 15-significant-digit form, booleans written "1" / "0".
//
// Form encoding: ASCII letters, digits and * @ . _ - $ ! ' ( ) stay, a blank
// becomes "+", every other character becomes %XX of its Windows-1252 byte
// when that code page has it, else %XX of each of its UTF-8 bytes. Decoding
// reads %XX runs as UTF-8 where they form valid UTF-8 (what browsers send)
// and as Windows-1252 bytes otherwise; a "%" without two hex digits stays as
// it is. Decoding never fails and always yields valid UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/datetime.h"
#include "foundation/variant.h"
#include "foundation/zqclasses.h"

namespace zq {

class TZQParamList : public TIWZQStringList {
  ZQ_CLASS(TZQParamList, TIWZQStringList)

  TZQParamList();

  std::string GetParamStr() const;
  void SetParamStr(std::string_view Value);
  std::string ParamStr() const { return GetParamStr(); }

  bool GetValueAsBool(std::string_view Name) const { return GetValueAsBoolDef(Name, false); }
  bool GetValueAsBoolDef(std::string_view Name, bool Def) const;
  void SetValueAsBool(std::string_view Name, bool Value);

  std::int32_t GetValueAsInteger(std::string_view Name) const { return GetValueAsIntegerDef(Name, 0); }
  std::int32_t GetValueAsIntegerDef(std::string_view Name, std::int32_t Def) const;
  void SetValueAsInteger(std::string_view Name, std::int32_t Value);

  double GetValueAsFloat(std::string_view Name) const { return GetValueAsFloatDef(Name, 0); }
  double GetValueAsFloatDef(std::string_view Name, double Def) const;
  void SetValueAsFloat(std::string_view Name, double Value);

  // Raise EConvertError for a missing or invalid value.
  TDateTime GetValueAsDate(std::string_view Name) const;
  TDateTime GetValueAsTime(std::string_view Name) const;
  TDateTime GetValueAsDateTime(std::string_view Name) const;
  TDateTime GetValueAsDateDef(std::string_view Name, TDateTime Def) const;
  TDateTime GetValueAsTimeDef(std::string_view Name, TDateTime Def) const;
  TDateTime GetValueAsDateTimeDef(std::string_view Name, TDateTime Def) const;
  void SetValueAsDate(std::string_view Name, TDateTime Value);
  void SetValueAsTime(std::string_view Name, TDateTime Value);
  void SetValueAsDateTime(std::string_view Name, TDateTime Value);

  Variant GetValueAsVariant(std::string_view Name) const;
  // 8/16/32-bit signed integers, double, currency, date, boolean and text;
  // other kinds raise "Tipo não conhecido. " + the value.
  void SetValueAsVariant(std::string_view Name, const Variant& Value);
  std::string ValueAsVariantToStr(const Variant& AValue) const;
};

// The fixed-format conversions on their own.
std::string ZQFormatDate(TDateTime Value);      // DD-MM-YYYY
std::string ZQFormatTime(TDateTime Value);      // HH:MM:SS
std::string ZQFormatDateTime(TDateTime Value);  // date, blank, time unless midnight
bool ZQTryParseDate(std::string_view Text, TDateTime& Out);
bool ZQTryParseTime(std::string_view Text, TDateTime& Out);
bool ZQTryParseDateTime(std::string_view Text, TDateTime& Out);
std::string ZQFormatFloat(double Value);
bool ZQTryParseFloat(std::string_view Text, double& Out);

// The one reading of boolean and integer texts that arrive as parameters
// (event parameters, posted values, param-list lines), blanks around ignored:
// booleans "1" or "true" / "0" or "false" in any ASCII letter case; integers
// 32-bit, decimal, or hexadecimal after "$" or "0x", with an optional sign.
// The Try forms report whether the text is one; the others raise
// EConvertError "'<text>' is not a valid boolean value" (integer value).
bool ZQTryParamToBool(std::string_view Text, bool& Out);
bool ZQTryParamToInt(std::string_view Text, std::int32_t& Out);
bool ZQParamToBool(std::string_view Text);
std::int32_t ZQParamToInt(std::string_view Text);

// The form encoding of parameter texts.
std::string ZQHTTPEncode(std::string_view Text);
std::string ZQHTTPDecode(std::string_view Text);

}  // namespace zq
