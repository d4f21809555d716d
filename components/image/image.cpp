#include "components/image/image.h"

#include "foundation/asciicase.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"

namespace zq {

namespace {
constexpr const char* kSourceResponse = "ImageSource";
}

ZQ_IMPLEMENT_CLASS(TIWZQJQCustomImage) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQImage) {
  c.Prop("ImageSource", &TIWZQJQImage::GetImageSource, &TIWZQJQImage::SetImageSource);
  c.Prop("AltText", &TIWZQJQImage::GetAltText, &TIWZQJQImage::SetAltText);
}

TIWZQJQCustomImage::TIWZQJQCustomImage(TComponent* AOwner) : TIWZQJSContainer(AOwner) {
  SetBounds(Left, Top, 200, 150);
}

void TIWZQJQCustomImage::SetImageSource(const std::string& ASource) {
  if (FImageSource == ASource) return;
  FImageSource = ASource;
  // Named, so that several changes in one callback send only the last one.
  if (GetGenerateAjaxResponse(nullptr))
    AddJavaScriptToAjaxResponse(
        kSourceResponse, TIWZQAjaxReponseScriptEvent(this, &TIWZQJQCustomImage::ResponseEvent),
        false, false);
}

std::string TIWZQJQCustomImage::GetIDJQuery() {
  return ZQGetJQuery(GetImageElementID());
}

std::string TIWZQJQCustomImage::jsSetImageSource() {
  return Format("%s.attr(\"src\",%s);", GetIDJQuery(), ZQJsEscape(FImageSource));
}

std::string TIWZQJQCustomImage::ResponseEvent(TObject* Sender, const std::string& AName) {
  if (SameTextAscii(AName, kSourceResponse)) return jsSetImageSource();
  // The class belongs to the region, not to the img the lookup names.
  if (SameTextAscii(AName, "Css"))
    return Format("%s.attr(\"class\",%s);", ZQGetJQuery(GetHTMLName()), ZQJsEscape(GetCss()));
  return TIWZQJSContainer::ResponseEvent(Sender, AName);
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomImage::GetHtmlTag(TIWCompContext&) {
  auto img = std::make_unique<TIWHTMLTag>("img", TIWHTMLTag::TClosingTag::ctdNone);
  img->AddStringParam("id", GetImageElementID());
  if (!FImageSource.empty()) img->AddStringParam("src", FImageSource);
  img->AddStringParam("alt", FAltText);
  img->AddStringParam("style", "width:100%;height:100%;display:block;border:0");
  return img;
}

}  // namespace zq
