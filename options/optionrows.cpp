#include "options/optionrows.h"

#include <mutex>
#include <unordered_set>
#include <vector>

#include "foundation/format.h"
#include "foundation/jqcommon.h"

namespace zq {

namespace {
std::mutex& RegistryLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::vector<TZQOptionClassEntry>& Registry() {
  static auto* r = new std::vector<TZQOptionClassEntry>;
  return *r;
}
}  // namespace

bool ZQRegisterOptionClass(const ClassInfo& (*AClass)(), int ARowsEnd) {
  std::lock_guard<std::mutex> g(RegistryLock());
  Registry().push_back({AClass, ARowsEnd});
  return true;
}

std::vector<TZQOptionClassEntry> ZQRegisteredOptionClasses() {
  std::lock_guard<std::mutex> g(RegistryLock());
  return Registry();
}

int ZQCheckOptionClasses() {
  int n = 0;
  for (const TZQOptionClassEntry& e : ZQRegisteredOptionClasses()) {
    Owned<TIWZQJSon> obj(TIWZQJSon::CreateSingle(e.Class(), nullptr, ""));
    if (obj->GetClassData()->MemberCount() != e.RowsEnd)
      throw EIWZQJQuery(Format("Option class \"%s\" declares %d members but has %d rows!",
                               e.Class().Name(), obj->GetClassData()->MemberCount(), e.RowsEnd));
    ++n;
  }
  return n;
}

namespace detail {

namespace {
std::mutex& RowPropsLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::unordered_set<const PropInfo*>& RowProps() {
  static auto* s = new std::unordered_set<const PropInfo*>;
  return *s;
}
}  // namespace

void MarkRowProperties(const ClassInfo& AClass, std::size_t AFrom) {
  std::lock_guard<std::mutex> g(RowPropsLock());
  const auto& props = AClass.Properties();
  for (std::size_t i = AFrom; i < props.size(); ++i) RowProps().insert(props[i]);
}

bool IsRowProperty(const PropInfo* AProp) {
  std::lock_guard<std::mutex> g(RowPropsLock());
  return RowProps().count(AProp) > 0;
}

void CheckRowIndex(const TIWZQJSon* AObject, const TZQJSonMember* AMember, int AIndex,
                   const char* APropName) {
  if (AMember && AMember->Position() == AIndex) return;
  throw EIWZQJQuery(Format("Row \"%s\" of \"%s\" has index %d but its member is at %d!", APropName,
                           AObject->ClassName(), AIndex, AMember ? AMember->Position() : -1));
}

TZQByteArray SetBytes(std::uint64_t AMask, std::size_t ATextCount) {
  const std::size_t size = ATextCount == 0 ? 1 : (ATextCount + 7) / 8;
  TZQByteArray bytes(size, 0);
  for (std::size_t i = 0; i < size && i < 8; ++i)
    bytes[i] = static_cast<std::uint8_t>(AMask >> (8 * i));
  return bytes;
}

}  // namespace detail
}  // namespace zq
