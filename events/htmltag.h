// TIWZQHTMLTag: the host's HTML tag with a lookup of child tags by name.
#pragma once

#include <string_view>

#include "foundation/html.h"

namespace zq {

// The first child tag named ATag (case-insensitive) in content order; with
// ARecursive, each child is searched depth-first right after it is tested.
// Contents that are not tags are skipped. Null when there is none.
TIWHTMLTag* ZQGetItemByTag(const TIWHTMLTag& AParent, std::string_view ATag, bool ARecursive);

class TIWZQHTMLTag : public TIWHTMLTag {
 public:
  using TIWHTMLTag::TIWHTMLTag;
  TIWHTMLTag* GetItemByTag(std::string_view ATag, bool ARecursive) const {
    return ZQGetItemByTag(*this, ATag, ARecursive);
  }
};

}  // namespace zq
