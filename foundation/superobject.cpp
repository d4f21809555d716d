// Free functions of the JSON model: nodes from variants, array literals,
// object tests and the date conversions.
#include "foundation/superobject.h"

#include <cstdint>
#include <limits>

#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/variant.h"

namespace zq {

// ---------------------------------------------------------------------------
// Free functions

ISuperObject SO(const Variant& value) {
  using K = Variant::Kind;
  switch (value.kind()) {
    case K::Empty:
    case K::Null:
      return ISuperObject();
    case K::Smallint:
    case K::Integer:
    case K::Int64:
    case K::ShortInt:
    case K::Byte:
    case K::Word:
    case K::LongWord:
      return TSuperObject::Create(static_cast<long>(value.ToInt64()));
    case K::UInt64:
      // Values above the signed range keep their magnitude as a double.
      if (*value.get_if<std::uint64_t>() >
          static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return TSuperObject::Create(static_cast<double>(*value.get_if<std::uint64_t>()));
      return TSuperObject::Create(static_cast<long>(value.ToInt64()));
    case K::Single:
    case K::Double:
      return TSuperObject::Create(value.ToDouble());
    case K::Currency:
      return TSuperObject::CreateCurrency(value.ToCurrency());
    case K::Date:
      return TSuperObject::Create(static_cast<long>(NativeToJavaDateTime(value.ToDateTime())));
    case K::Boolean:
      return TSuperObject::Create(value.ToBool());
    case K::String:
      return TSuperObject::Create(std::string_view(*value.get_if<std::string>()));
    default:
      break;
  }
  throw Exception(Format("Unsuported variant data type: %d", static_cast<int>(value.VarType())));
}

SAValue::SAValue(const Variant& v) : node_(SO(v)) {}

ISuperObject SA(std::initializer_list<SAValue> values) {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  for (const SAValue& v : values) a->Add(v.node());
  return r;
}

ISuperObject SAV(const std::vector<Variant>& values) {
  ISuperObject r = TSuperObject::Create(stArray);
  TSuperArray* a = r->AsArray();
  for (const Variant& v : values) a->Add(SO(v));
  return r;
}

bool SOIsObject(const ISuperObject& node) {
  return node && node->IsType(stObject);
}

bool SOIsEmptyObject(const ISuperObject& node) {
  return node && node->IsType(stObject) && node->AsObject()->IsEmpty();
}

std::int64_t NativeToJavaDateTime(TDateTime local) {
  return DateTimeToUnixMs(LocalToUTC(local));
}

TDateTime JavaToNativeDateTime(std::int64_t ms) {
  return UTCToLocal(UnixMsToDateTime(ms));
}

}  // namespace zq
