// Helpers shared by the option object's implementation files (jsonobj.cpp:
// class cache, construction and slots; jsonaccess.cpp: accessors and change
// recording; jsonwrite.cpp: the literal writer). Not for use outside options/.
#pragma once

#include <cmath>
#include <string_view>

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/variant.h"
#include "options/jsonmember.h"

namespace zq::jsonobj_impl {

// The kinds held in instance slots rather than in the document.
inline bool IsObjectKind(TZQJSonMemberType t) {
  return t >= mtJSonObj && t <= mtJSonFunc;
}

[[noreturn]] inline void RaiseNoMember(std::string_view name) {
  throw EIWZQJQuery(Format("Member \"%s\" does not exists!", name));
}

// Two doubles are the same value; a NaN never counts as different.
inline bool SameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return true;
  return a == b;
}

inline bool SameVariant(const Variant& a, const Variant& b) {
  try {
    return a.VarType() == b.VarType() && a == b;
  } catch (...) {
    return false;
  }
}

}  // namespace zq::jsonobj_impl
