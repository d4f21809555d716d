// Image: an image control showing a PNG made on the server; buttons change
// its source during a callback, and the page's img follows.
#include <cstdint>
#include <string>
#include <vector>

#include "components/image/image.h"
#include "demoform.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "host/application.h"
#include "host/graphics.h"

namespace zqdemo {

namespace {

using namespace zq;

// A data URL of a PNG of one colour.
std::string SolidPng(int AWidth, int AHeight, TPixel APixel) {
  auto png = CreateOwned<TPngImage>();
  png->SetSize(AWidth, AHeight);
  png->SetPixels(std::vector<TPixel>(static_cast<std::size_t>(AWidth) * AHeight, APixel));
  return "data:image/png;base64," + ZQBase64Encode(png->SaveToData());
}

class TImagePage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    DemoLabel(AForm, "LblImageTitle", "Image", 16, ATop, 300);

    image_ = Create<TIWZQJQImage>(&AForm);
    image_->SetName("DemoImage");
    image_->SetParent(&AForm);
    image_->SetAltText("a \"coloured\" square");
    image_->SetBounds(16, ATop + 30, 120, 60);
    image_->SetImageSource(SolidPng(40, 20, {200, 30, 30, 255}));

    status_ = DemoLabel(AForm, "LblImageStatus", "red", 16, ATop + 136, 300);
    DemoButton(AForm, "BtnImageBlue", "Blue", 16, ATop + 100, 100, [this] {
      image_->SetImageSource(SolidPng(60, 30, {30, 30, 200, 255}));
      status_->SetCaption("blue");
    });
    DemoButton(AForm, "BtnImageRed", "Red", 124, ATop + 100, 100, [this] {
      image_->SetImageSource(SolidPng(40, 20, {200, 30, 30, 255}));
      status_->SetCaption("red");
    });
    // A source with quotes and a closing script tag in its fragment: it
    // reaches the img unchanged (an escaped script string literal).
    DemoButton(AForm, "BtnImageQuoted", "Quoted", 232, ATop + 100, 100, [this] {
      image_->SetImageSource(SolidPng(50, 25, {30, 160, 30, 255}) + "#a\"b</script>'c");
      status_->SetCaption("quoted");
    });
    return 170;
  }

 private:
  TIWZQJQImage* image_ = nullptr;
  TIWLabel* status_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TImagePage, "image", 72);

}  // namespace zqdemo
