// An image control as the components that fill one see it: the chart's copy
// to image and the signature pad's image export write a data URL into the
// element of a script container that implements this interface.
#pragma once

#include <string>

namespace zq {

class IIWZQJQCustomImageInterface {
 public:
  virtual ~IIWZQJQCustomImageInterface() = default;
  // The source the image shows when the page is next rendered (a URL or a
  // data URL); a callback that changes it sends the new source to the page.
  virtual std::string GetImageSource() const = 0;
  virtual void SetImageSource(const std::string& ASource) = 0;
};

}  // namespace zq
