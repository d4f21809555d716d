// Images: picture holders and the image cache. A PNG made in code and an
// icon (converted to PNG, its mask becoming transparency) are written into
// the shared cache; a per-session picture is changed by an ajax click and
// shown under a new "?cacheid=" URL; a thumbnail row from an image list shows
// a larger preview on hover; "Save what the browser shows" has the browser
// draw an image on a canvas at its displayed size and post it back, and
// "Check saved file" reads what arrived.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/picture/picture.h"
#include "demoform.h"
#include "foundation/format.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zqdemo {

using namespace zq;

// The script-container side of the demo's picture controls: holders find
// their control through it, and script goes into the ajax response.
class TDemoPictureControl : public TIWBaseControl, public IIWZQJSContainer {
  ZQ_CLASS(TDemoPictureControl, TIWBaseControl)
 public:
  explicit TDemoPictureControl(TComponent* AOwner) : TIWBaseControl(AOwner) {}
  TComponent* GetImplComponent() override { return this; }
  std::string GetHTMLName() override { return HTMLName(); }
  std::string GetIWCLName() override { return HTMLName() + "IWCL"; }
  std::string GetIDJQuery() override { return ZQGetJQuery(HTMLName()); }
  TIWApplication* GetIWApplication() override { return gGetWebApplicationThreadVar(); }
  bool GetGenerateAjaxResponse(TZQJSonMember*) override { return ZQIsCallBackProcessing(); }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck, bool ARaise) override {
    ZQAddJavaScriptToAjaxResponse(AScript, ACheck, ARaise);
  }
  void AddMemberToAjaxResponse(TIWZQJSon*, TZQJSonMember*) override {}
  int GetDisableAjaxResponseCount() override { return 0; }
  void DisableAjaxResponse() override {}
  void EnableAjaxResponse() override {}
};

ZQ_IMPLEMENT_CLASS(TDemoPictureControl) {}

// An <img> showing a picture holder. A change of the picture during a
// callback sends the new source to the browser.
class TDemoImage : public TDemoPictureControl {
  ZQ_CLASS(TDemoImage, TDemoPictureControl)
 public:
  explicit TDemoImage(TComponent* AOwner) : TDemoPictureControl(AOwner) {}
  std::unique_ptr<TIWZQPicture> Picture;
  int DisplayWidth = 0, DisplayHeight = 0;

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext&) override {
    auto tag = std::make_unique<TIWHTMLTag>("img", TIWHTMLTag::TClosingTag::ctdNone);
    tag->AddStringParam("id", HTMLName());
    tag->AddStringParam("alt", GetName());
    tag->AddStringParam("src", Picture->GetSrc());
    if (DisplayWidth > 0) tag->AddIntegerParam("width", DisplayWidth);
    if (DisplayHeight > 0) tag->AddIntegerParam("height", DisplayHeight);
    return tag;
  }

  void AjaxPictureChanged(TObject*) override {
    ZQAddJavaScriptToAjaxResponse(
        Format("%s.attr(\"src\",%s);", GetIDJQuery(), ZQJsEscape(Picture->GetSrc())));
  }
};

ZQ_IMPLEMENT_CLASS(TDemoImage) {}

// A row of thumbnails, one per image-list entry, with the image preview.
class TDemoThumbs : public TDemoPictureControl {
  ZQ_CLASS(TDemoThumbs, TDemoPictureControl)
 public:
  explicit TDemoThumbs(TComponent* AOwner) : TDemoPictureControl(AOwner) {}
  std::vector<std::unique_ptr<TIWZQPictureEx>> Entries;
  Owned<TIWZQJQImagePreviewOptions> Preview;

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext&) override {
    auto tag = std::make_unique<TIWHTMLTag>("div");
    tag->AddStringParam("id", HTMLName());
    for (auto& e : Entries) {
      TIWHTMLTag* img = tag->AddTag("img", TIWHTMLTag::TClosingTag::ctdNone);
      img->AddClassParam("thumb");
      img->AddStringParam("alt", "");
      img->AddStringParam("style", "margin-right:8px");
      img->AddStringParam("src", e->GetSrc());
    }
    return tag;
  }
  void RenderScripts(TIWCompContext& AContext) override {
    TIWBaseControl::RenderScripts(AContext);
    ZQAddJSLink(AContext, ZQJsUrlBase, ImagePreviewJSFile(), false);
    AContext.AddToOnReady(Preview->InitPluginJS());
  }
};

ZQ_IMPLEMENT_CLASS(TDemoThumbs) {}

namespace {

Owned<TPngImage> Gradient(int w, int h) {
  auto png = CreateOwned<TPngImage>();
  png->SetSize(w, h);
  std::vector<TPixel> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px.push_back({static_cast<std::uint8_t>(x * 255 / (w - 1)),
                    static_cast<std::uint8_t>(y * 255 / (h - 1)), 160, 255});
  png->SetPixels(std::move(px));
  return png;
}

Owned<TPngImage> Solid(int w, int h, TPixel p) {
  auto png = CreateOwned<TPngImage>();
  png->SetSize(w, h);
  png->SetPixels(std::vector<TPixel>(static_cast<std::size_t>(w) * h, p));
  return png;
}

// A 32 x 32 icon: an orange disc; the AND mask is set outside it.
std::string DiscIcon() {
  auto icon = CreateOwned<TIcon>();
  icon->SetSize(32, 32);
  icon->SetBitsPerPixel(24);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int dx = x - 16, dy = y - 16;
      bool inside = dx * dx + dy * dy < 14 * 14;
      icon->SetPixel(x, y, inside ? TPixel{255, 140, 0, 0} : TPixel{0, 0, 0, 0});
      icon->SetMasked(x, y, !inside);
    }
  return icon->SaveToData();
}

class TPicturePage : public TDemoPage {
 public:
  std::string NavLabel() const override { return "Images"; }
  int Build(TDemoForm& AForm, int ATop) override {
    auto label = [&](const char* name, const std::string& text, int left, int top, int w) {
      auto* l = Create<TIWLabel>(&AForm);
      l->SetName(name);
      l->SetParent(&AForm);
      l->SetCaption(text);
      l->SetBounds(left, top, w, 20);
      return l;
    };
    // An ajax button running the action.
    auto button = [&](const char* name, const char* caption, int left, int top, int w, int h,
                      std::function<void()> action) {
      auto* b = Create<TIWButton>(&AForm);
      b->SetName(name);
      b->SetParent(&AForm);
      b->SetCaption(caption);
      b->SetBounds(left, top, w, h);
      b->OnAsyncClick = TNotifyEvent(this, [action](TObject*) { action(); });
    };
    label("LblImagesTitle", "Images", 16, ATop, 300);

    png_ = Image(AForm, "ImgPng", 16, ATop + 28, 48, 32);
    png_->Picture = std::make_unique<TIWZQPicture>(png_, "Picture", false, "demo_gradient");
    png_->Picture->SetGraphic(Gradient(48, 32).get());
    label("LblImgPng", "PNG", 16, ATop + 64, 60);

    icon_ = Image(AForm, "ImgIcon", 96, ATop + 28, 32, 32);
    icon_->Picture = std::make_unique<TIWZQPicture>(icon_, "Picture", false, "demo_disc");
    icon_->Picture->GetPicture()->LoadFromData(DiscIcon());
    label("LblImgIcon", "Icon", 96, ATop + 64, 60);

    changed_ = Image(AForm, "ImgChanged", 176, ATop + 28, 40, 40);
    changed_->Picture = std::make_unique<TIWZQPicture>(changed_, "Picture", true);
    changed_->Picture->SetGraphic(Solid(40, 40, {220, 30, 30, 255}).get());
    button("BtnImageChange", "Change", 224, ATop + 34, 80, 28, [this] {
      green_ = !green_;
      TPixel p = green_ ? TPixel{30, 180, 60, 255} : TPixel{220, 30, 30, 255};
      changed_->Picture->SetGraphic(Solid(40, 40, p).get());
    });

    images_ = Create<TImageList>(&AForm);
    images_->SetName("ThumbImages");
    images_->SetSize(16, 16);
    for (TPixel p : {TPixel{200, 40, 40, 255}, TPixel{40, 160, 40, 255}, TPixel{40, 80, 200, 255}})
      images_->Add(*Solid(16, 16, p));
    thumbs_ = Create<TDemoThumbs>(&AForm);
    thumbs_->SetName("ImgThumbs");
    thumbs_->SetParent(&AForm);
    thumbs_->SetBounds(336, ATop + 28, 120, 24);
    for (int i = 0; i < images_->Count(); ++i) {
      auto e = std::make_unique<TIWZQPictureEx>(thumbs_, "Thumb" + std::to_string(i));
      e->SetImages(images_);
      e->SetImageIndex(i);
      thumbs_->Entries.push_back(std::move(e));
    }
    thumbs_->Preview = Owned<TIWZQJQImagePreviewOptions>(TIWZQJQImagePreviewOptions::Create(
        thumbs_, ZQGetJQuery(thumbs_->HTMLName()) + ".find(\"img\")", "Preview"));
    thumbs_->Preview->SetImgCSS("{\"width\":\"96px\",\"height\":\"96px\"}");
    label("LblImgThumbs", "Thumbnails (hover)", 336, ATop + 64, 160);

    shown_ = Image(AForm, "ImgShown", 520, ATop + 28, 96, 64);
    shown_->Picture = std::make_unique<TIWZQPicture>(shown_, "Shown");
    shown_->Picture->SetUrl("imgcache/demo_gradient.png");
    shown_->DisplayWidth = 96;
    shown_->DisplayHeight = 64;

    button("BtnImageSave", "Save what the browser shows", 16, ATop + 100, 220, 28, [this] {
      shown_->Picture->SaveImage(SavedFile());
      saved_->SetCaption("Saving...");
    });
    button("BtnImageCheck", "Check saved file", 244, ATop + 100, 140, 28, [this] {
      auto png = CreateOwned<TPngImage>();
      try {
        png->LoadFromFile(SavedFile());
        saved_->SetCaption(Format("Saved PNG %dx%d", png->GetWidth(), png->GetHeight()));
      } catch (const Exception&) {
        saved_->SetCaption("Not saved yet");
      }
    });
    saved_ = label("LblImageSaved", "Nothing saved yet", 392, ATop + 104, 240);
    return 136;
  }

 private:
  TDemoImage* Image(TDemoForm& AForm, const char* name, int left, int top, int w, int h) {
    auto* img = Create<TDemoImage>(&AForm);
    img->SetName(name);
    img->SetParent(&AForm);
    img->SetBounds(left, top, w, h);
    return img;
  }
  // One file per session, in a folder of the cache that SaveImage may write into.
  static std::string SavedFile() {
    std::string folder =
        (gServerController ? gServerController->CacheDir : std::string("cache")) + "/saved";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    TIWApplication* app = gGetWebApplicationThreadVar();
    return folder + "/" + (app ? app->AppID() : std::string("none")) + ".png";
  }

  TDemoImage* png_ = nullptr;
  TDemoImage* icon_ = nullptr;
  TDemoImage* changed_ = nullptr;
  TDemoImage* shown_ = nullptr;
  TDemoThumbs* thumbs_ = nullptr;
  TImageList* images_ = nullptr;
  TIWLabel* saved_ = nullptr;
  bool green_ = false;
};

}  // namespace

ZQDEMO_PAGE(TPicturePage, "picture", 40);

}  // namespace zqdemo
