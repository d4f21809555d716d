#include "events/jscript.h"

#include "foundation/properties.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJScript) {}

void TIWZQJScript::ConcatLine(std::string_view AText, int AIndex) {
  if (Count() == 0) return;
  if (AIndex < 0) AIndex = Count() - 1;
  Put(AIndex, Strings(AIndex) + std::string(AText));
}

std::string TIWZQJScript::GetJoined(bool ADebug) const {
  const std::string_view sep = ADebug ? std::string_view("\r\n") : std::string_view(" ");
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    out += Strings(i);
    out += sep;
  }
  return out;
}

std::string TIWZQJScript::GetJoined() const { return GetJoined(ZQJavascriptDebug()); }

}  // namespace zq
