#include "events/htmltag.h"

namespace zq {

namespace {
bool SameTagName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}
}  // namespace

TIWHTMLTag* ZQGetItemByTag(const TIWHTMLTag& AParent, std::string_view ATag, bool ARecursive) {
  for (TIWHTMLTag* child : AParent.ChildTags()) {
    if (SameTagName(child->Name(), ATag)) return child;
    if (ARecursive && child->HasContents())
      if (TIWHTMLTag* found = ZQGetItemByTag(*child, ATag, true)) return found;
  }
  return nullptr;
}

}  // namespace zq
