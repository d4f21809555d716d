// TIWZQJQImage: a plain image control. It renders an `img` element (ID: the
// control's HTML name + "_IMG") that fills the control's region and shows
// ImageSource, a URL or a data URL.
//
//   auto* img = Create<TIWZQJQImage>(form);
//   img->SetImageSource("/files/logo.png");
//   ...
//   img->SetImageSource(dataUrl);  // in a callback: the page's img gets it
//
// The control's element lookup (GetIDJQuery) is the img itself, so script of
// other controls that fills an image (a chart's copy to image, a signature
// pad's export) sets "src" on it directly. A source changed during a callback
// is sent as one statement with the last source, as an escaped string
// literal; outside a callback it is rendered with the next page.
#pragma once

#include <memory>
#include <string>

#include "framework/imageinterface.h"
#include "framework/scriptcontainer.h"

namespace zq {

class TIWZQJQCustomImage : public TIWZQJSContainer, public IIWZQJQCustomImageInterface {
  ZQ_CLASS(TIWZQJQCustomImage, TIWZQJSContainer)
 public:
  explicit TIWZQJQCustomImage(TComponent* AOwner);

  // ---- IIWZQJQCustomImageInterface
  std::string GetImageSource() const override { return FImageSource; }
  void SetImageSource(const std::string& ASource) override;

  // The img's "alt" text (default empty); rendered with the page.
  const std::string& GetAltText() const { return FAltText; }
  void SetAltText(const std::string& AValue) { FAltText = AValue; }

  // The ID of the img element.
  std::string GetImageElementID() { return GetHTMLName() + "_IMG"; }
  // "$(\"#NAME_IMG\")": the img element.
  std::string GetIDJQuery() override;
  // GetIDJQuery + ".attr(\"src\",\"SOURCE\");" with the source escaped.
  std::string jsSetImageSource();

  std::string ResponseEvent(TObject* Sender, const std::string& AName) override;
  std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext& AContext) override;

 private:
  std::string FImageSource;
  std::string FAltText;
};

class TIWZQJQImage : public TIWZQJQCustomImage {
  ZQ_CLASS(TIWZQJQImage, TIWZQJQCustomImage)
 public:
  using TIWZQJQCustomImage::TIWZQJQCustomImage;
};

}  // namespace zq
