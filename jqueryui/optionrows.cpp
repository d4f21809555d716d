#include "jqueryui/optionrows.h"

#include "events/response.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQJQOptionSet) {}

TIWZQJQOptionSet::TIWZQJQOptionSet(TCollection* Collection) : TIWZQJSon(Collection) {}

void TIWZQJQOptionSet::BeforeDestruction() {
  ZQResponseObjectFreed(this);
  TIWZQJSon::BeforeDestruction();
}

TZQJSonEnumMember* ZQAddEnumRow(TIWZQJSon* AJSon, std::string_view AName,
                                const TZQStringArray& ATexts, std::uint8_t ADefVal,
                                bool AGenerateJSon) {
  return AJSon->GetClassData()->Members().AddEnum(AName, ATexts, ADefVal, false, AGenerateJSon);
}

}  // namespace zq
