#include "foundation/object.h"

#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

const ClassInfo& TObject::StaticClass() {
  static const ClassInfo* info = new ClassInfo("TObject", nullptr);
  return *info;
}

const std::string& TObject::ClassName() const { return ClassType().Name(); }

bool TObject::InheritsFrom(const ClassInfo& c) const { return ClassType().InheritsFrom(c); }

ZQ_IMPLEMENT_CLASS(TPersistent) {}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
  std::string source = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError(Format("Cannot assign a %s to a %s.", source, ClassName()));
}

std::string TPersistent::GetNamePath() const { return ClassName(); }

}  // namespace zq
