// Parameter texts come straight from browsers: decoding must never fail, and
// what it decodes must survive an encode/decode round trip unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/paramlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zq::TZQParamList first;
  first.SetParamStr(text);
  zq::TZQParamList second;
  second.SetParamStr(first.GetParamStr());
  if (!first.Equals(second)) std::abort();
  // Single values: decode(encode(decode(x))) == decode(x).
  std::string once = zq::ZQHTTPDecode(text);
  if (zq::ZQHTTPDecode(zq::ZQHTTPEncode(once)) != once) std::abort();
  // Typed readers never raise on browser text.
  for (int i = 0; i < first.Count() && i < 8; ++i) {
    std::string name = first.Names(i);
    (void)first.GetValueAsIntegerDef(name, 0);
    (void)first.GetValueAsFloatDef(name, 0);
    (void)first.GetValueAsDateTimeDef(name, zq::TDateTime(0));
    (void)first.GetValueAsBoolDef(name, false);
  }
  return 0;
}
