#include "events/htmltag.h"
#include "foundation/asciicase.h"

namespace zq {

TIWHTMLTag* ZQGetItemByTag(const TIWHTMLTag& AParent, std::string_view ATag, bool ARecursive) {
  for (TIWHTMLTag* child : AParent.ChildTags()) {
    if (SameTextAscii(child->Name(), ATag)) return child;
    if (ARecursive && child->HasContents())
      if (TIWHTMLTag* found = ZQGetItemByTag(*child, ATag, true)) return found;
  }
  return nullptr;
}

}  // namespace zq
