// Helpers shared by the option object's implementation files (jsonobj.cpp:
// class cache, construction and slots; jsonaccess.cpp: accessors and change
// recording; jsonwrite.cpp: the literal writer). Not for use outside options/.
#pragma once

#include <cmath>
#include <string_view>

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/superobject.h"
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

// The node under a name (null when absent or a name without node), without
// taking a reference: the same search as TSuperTableString::GetO.
inline TSuperObject* FindNode(const TSuperTableString& t, std::string_view name,
                              std::uint32_t hash) {
  const TSuperTableString::Entry* e = t.root();
  while (e) {
    if (e->Hash != hash) {
      e = hash > e->Hash ? e->Left : e->Right;  // higher hashes come first
      continue;
    }
    if (e->Name == name) return e->Value.get();
    e = TSuperTableString::CompareNames(hash, name, e->Hash, e->Name) < 0 ? e->Left : e->Right;
  }
  return nullptr;
}

}  // namespace zq::jsonobj_impl
