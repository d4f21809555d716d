// Picture holders and the image cache: cache paths and names, writing into the
// shared and per-session caches, sources and styles, changes, the save entry
// and its confinement, the removal of a session's cache folder, the image
// preview options.
#include "components/picture/picture.h"

#include "actionmap/map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "components/picture/picturestate.h"
#include "error_message.h"
#include "events/func.h"
#include "foundation/collection.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/http.h"
#include "host/testing.h"
#include "host/zqhelpers.h"

namespace zq {
namespace {

namespace fs = std::filesystem;
using hosttest::THostFixture;

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

Owned<TPngImage> Png(int w, int h, TPixel fill, bool alpha = false) {
  auto png = CreateOwned<TPngImage>();
  png->SetSize(w, h);
  png->SetPixels(std::vector<TPixel>(static_cast<std::size_t>(w) * h, fill));
  png->SetHasAlpha(alpha);
  return png;
}

// A script container that records what a holder asks of it.
class TBox : public TComponent, public IIWZQJSContainer {
 public:
  using TComponent::TComponent;
  bool Generate = false;
  std::vector<std::string> Scripts;
  int PictureChanges = 0;
  TIWApplication* App = nullptr;
  TComponent* GetImplComponent() override { return this; }
  std::string GetHTMLName() override { return "BOX"; }
  std::string GetIWCLName() override { return "BOXIWCL"; }
  std::string GetIDJQuery() override { return "$(\"#BOX\")"; }
  TIWApplication* GetIWApplication() override { return App; }
  bool GetGenerateAjaxResponse(TZQJSonMember*) override { return Generate; }
  void AddJavaScriptToAjaxResponse(const std::string& s, bool, bool) override {
    Scripts.push_back(s);
  }
  void AddMemberToAjaxResponse(TIWZQJSon*, TZQJSonMember*) override {}
  int GetDisableAjaxResponseCount() override { return 0; }
  void DisableAjaxResponse() override {}
  void EnableAjaxResponse() override {}
  void AjaxPictureChanged(TObject*) override { ++PictureChanges; }
};

class TCached : public TComponent, public IIWZQCache {
 public:
  using TComponent::TComponent;
  std::string GetCacheID() const override { return "{CACHE-ID}"; }
};

// A host with a fresh cache folder, the picture unit started, and form
// "Main" holding Edit1 (with a collection of four items, IDs 0 to 3) and
// ImageList1.
class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZQRegisterEventFunctions();
    char tmpl[] = "/tmp/zqpicXXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir = tmpl;
    host = std::make_unique<THostFixture>(
        [this](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("Main");
          auto* e = Create<TBox>(f);
          e->SetName("Edit1");
          auto* list = Create<TImageList>(f);
          list->SetName("ImageList1");
          if (!edit) {  // the first session's; later sessions get their own
            edit = e;
            images = list;
          }
          return f;
        },
        [this](TIWServerController& c) { c.CacheDir = dir + "/cache"; });
    ZQActionMapStartup(&host->Controller());
    ZQPictureStartup(host->Controller());
    items = CreateOwned<TCollection>(TCollectionItem::StaticClass(), edit);
    for (int i = 0; i < 4; ++i) items->Add();
    sw = std::make_unique<TIWThreadSessionSwitch>(&host->Session());
  }
  void TearDown() override {
    sw.reset();
    items.reset();
    ZQPictureShutdown();
    ZQActionMapShutdown();
    host.reset();
    fs::remove_all(dir);
  }
  std::string Cache() const { return dir + "/cache/"; }

  std::string dir;
  std::unique_ptr<THostFixture> host;
  TBox* edit = nullptr;
  TImageList* images = nullptr;
  Owned<TCollection> items;
  std::unique_ptr<TIWThreadSessionSwitch> sw;
};

TEST_F(PictureTest, CacheVarsTable) {
  std::string path, url, app = host->Session().AppID();
  GetCacheVars(false, "a.png", path, url, false, true);
  EXPECT_EQ(path, Cache() + "imgcache/a.png");
  EXPECT_EQ(url, "/imgcache/a.png");
  GetCacheVars(false, "a.png", path, url, true, true);  // designer: ZQGetLink gives base + file
  EXPECT_EQ(path, Cache() + "imgcache/a.png");
  EXPECT_EQ(url, "imgcache/a.png");
  GetCacheVars(false, "a.png", path, url, false, false);
  EXPECT_EQ(url, "imgcache/a.png");
  EXPECT_EQ(ZQUserCacheRoot(), "");
  GetCacheVars(true, "a.png", path, url, true, true);
  EXPECT_EQ(path, Cache() + "userimgcache/a.png");
  EXPECT_EQ(url, "userimgcache/a.png");
  GetCacheVars(true, "a.png", path, url, true, false);
  EXPECT_EQ(url, "userimgcache/a.png");
  EXPECT_EQ(ZQUserCacheRoot(), "");
  GetCacheVars(true, "a.png", path, url, false, true);
  EXPECT_EQ(path, Cache() + "userimgcache/" + app + "/a.png");
  EXPECT_EQ(url, "/userimgcache/" + app + "/a.png");
  EXPECT_EQ(ZQUserCacheRoot(), Cache() + "userimgcache/");
  GetCacheVars(true, "a.png", path, url, false, false);
  EXPECT_EQ(url, "userimgcache/" + app + "/a.png");

  host->Controller().URLBase = "/app/";  // one trailing "/" removed
  GetCacheVars(false, "a.png", path, url, false, true);
  EXPECT_EQ(url, "/app/imgcache/a.png");
  GetCacheVars(false, "a.png", path, url, false, false);
  EXPECT_EQ(url, "/appimgcache/a.png");
  GetCacheVars(true, "a.png", path, url, false, true);
  EXPECT_EQ(url, "/app/userimgcache/" + app + "/a.png");
}

TEST_F(PictureTest, GeneratedNamesThroughOwnersItemsAndCacheIDs) {
  TIWZQPicture pic(items->Items(3), "ClearBtn");
  pic.SetGraphic(Png(16, 16, {255, 0, 0, 255}).get());
  EXPECT_EQ(pic.SaveAndGetCacheURL(false, ""), "/imgcache/Main_Edit1_ClearBtn_3.png");
  EXPECT_TRUE(fs::is_regular_file(Cache() + "imgcache/Main_Edit1_ClearBtn_3.png"));

  // An item inside an item's collection adds both IDs, innermost first.
  auto inner = CreateOwned<TCollection>(TCollectionItem::StaticClass(), items->Items(2));
  inner->Add();
  TIWZQPicture nested(inner->Items(0), "Icon");
  nested.SetGraphic(Png(2, 2, {0, 0, 0, 255}).get());
  EXPECT_EQ(nested.SaveAndGetCacheURL(false, "png"), "/imgcache/Main_Edit1_Icon_0_2.png");

  auto* cached = Create<TCached>(edit);
  cached->SetName("Named");
  EXPECT_EQ(ZQGeneratedCacheName(cached, "R", "gif"), "Main_Edit1_{CACHE-ID}_R.gif");
  EXPECT_EQ(ZQGeneratedCacheName(nullptr, "R", "gif"), "R.gif");
  EXPECT_EQ(ZQGeneratedCacheName(&host->Session(), "R", "gif"), "R.gif");  // stops at the session

  TIWZQPicture cacheNamed(items->Items(3), "ClearBtn", false, "fixed");
  cacheNamed.SetGraphic(Png(2, 2, {0, 0, 0, 255}).get());
  EXPECT_EQ(cacheNamed.SaveAndGetCacheURL(false, ""), "/imgcache/fixed.png");
}

TEST_F(PictureTest, UnnamedComponentsNeverShareAName) {
  std::regex shape("INSTANCE[0-9]+-[0-9]+_R\\.png");
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    Owned<TComponent> c(Create<TComponent>(nullptr));  // freed at the end of each round
    std::string name = ZQGeneratedCacheName(c.get(), "R", "png");
    EXPECT_TRUE(std::regex_match(name, shape)) << name;
    EXPECT_EQ(ZQGeneratedCacheName(c.get(), "R", "png"), name);  // stable for one object
    EXPECT_TRUE(seen.insert(name).second) << "a new object got a freed object's name: " << name;
  }
}

TEST_F(PictureTest, RootOwnerMustBeAComponent) {
  auto loose = CreateOwned<TCollection>(TCollectionItem::StaticClass(), nullptr);
  loose->Add();
  TIWZQPicture pic(loose->Items(0), "X");
  EXPECT_EQ(pic.SaveAndGetCacheURL(false, ""), "");  // empty: no error
  pic.SetGraphic(Png(1, 1, {}).get());
  EXPECT_EQ(test::Message([&] { pic.SaveAndGetCacheURL(false, ""); }),
            "Root Owner is not TComponent in TIWZQPicture.SaveAndGetCacheURL!");
  EXPECT_EQ(test::Message([&] { pic.GetSrc(); }),
            "Root Owner is not TComponent in TIWZQPicture.SaveAndGetCacheURL!");
}

TEST_F(PictureTest, SharedCacheWritesOnceAndRewritesChangedContent) {
  TIWZQPicture a(edit, "Logo", false, "same");
  TIWZQPicture b(edit, "Logo", false, "same");
  a.SetGraphic(Png(2, 2, {255, 0, 0, 255}).get());
  b.SetGraphic(Png(2, 2, {0, 0, 255, 255}).get());
  std::string file = Cache() + "imgcache/same.png";
  EXPECT_EQ(a.GetSrc(), "/imgcache/same.png");
  auto first = fs::last_write_time(file);
  std::string bytesA = ReadAll(file);
  fs::last_write_time(file, first - std::chrono::hours(1));
  EXPECT_EQ(a.GetSrc(), "/imgcache/same.png");  // same content: left alone
  EXPECT_EQ(fs::last_write_time(file), first - std::chrono::hours(1));

  // Another image under the same name: rewritten, and the URL changes.
  std::string urlB = b.GetSrc();
  EXPECT_TRUE(std::regex_match(urlB, std::regex("/imgcache/same\\.png\\?cacheid=[0-9A-F]{32}")))
      << urlB;
  auto png = CreateOwned<TPngImage>();
  png->LoadFromData(ReadAll(file));
  EXPECT_EQ(png->Pixel(0, 0), (TPixel{0, 0, 255, 255}));
  EXPECT_NE(a.GetSrc(), "/imgcache/same.png");  // and back again for a
  EXPECT_EQ(ReadAll(file), bytesA);
  // No temporary files stay behind.
  int files = 0;
  for (auto& e : fs::directory_iterator(Cache() + "imgcache")) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST_F(PictureTest, UserCacheRewritesWithACacheBusterOnceTheFileExists) {
  TIWZQPicture pic(edit, "Photo", true);
  EXPECT_TRUE(pic.GetForceUserCache());
  pic.SetGraphic(Png(3, 3, {1, 2, 3, 255}).get());
  std::string app = host->Session().AppID();
  EXPECT_EQ(pic.GetSrc(), "/userimgcache/" + app + "/Main_Edit1_Photo.png");
  for (int i = 0; i < 2; ++i) {
    std::string url = pic.GetSrc();
    EXPECT_TRUE(std::regex_match(
        url, std::regex("/userimgcache/[0-9a-f]+/Main_Edit1_Photo\\.png\\?cacheid=[0-9A-F]{32}")))
        << url;
  }
  pic.SetForceUserCache(false);
  EXPECT_EQ(pic.GetSrc(), "/userimgcache/" + app + "/Main_Edit1_Photo.png");
}

TEST_F(PictureTest, IconIsCachedAsPngWithItsMaskAsAlpha) {
  auto icon = CreateOwned<TIcon>();
  icon->SetSize(4, 4);
  icon->SetBitsPerPixel(24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      icon->SetPixel(x, y,
                     {static_cast<std::uint8_t>(x * 60), static_cast<std::uint8_t>(y * 60), 9, 0});
      icon->SetMasked(x, y, x == y);
    }
  TIWZQPicture pic(edit, "Ico");
  pic.GetPicture()->LoadFromData(icon->SaveToData());
  EXPECT_EQ(pic.GetGraphic()->GetKind(), TGraphicKind::gkIcon);
  EXPECT_EQ(pic.GetSrc(), "/imgcache/Main_Edit1_Ico.png");
  auto png = CreateOwned<TPngImage>();
  png->LoadFromData(ReadAll(Cache() + "imgcache/Main_Edit1_Ico.png"));
  EXPECT_TRUE(png->HasAlpha());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(png->Pixel(x, y).A, x == y ? 0 : 255) << x << "," << y;
      EXPECT_EQ(png->Pixel(x, y).R, x * 60);
    }
}

class TNamedImages : public TImageList, public IZQImage {
 public:
  using TImageList::TImageList;
  Owned<TGraphic> Graphic;
  std::string GetImageName(int i) override { return i == 0 ? "star" : ""; }
  TGraphic* GetImageGraphic(int, bool, bool, bool) override { return Graphic.get(); }
};

TEST_F(PictureTest, ImageListEntries) {
  images->SetSize(2, 2);
  images->Add(*Png(2, 2, {10, 20, 30, 255}));
  TIWZQPictureEx pic(edit, "Entry");
  pic.SetImages(images);
  pic.SetImageIndex(0);
  EXPECT_FALSE(pic.IsDrawEmpty());
  EXPECT_FALSE(pic.GetIsNull());
  EXPECT_EQ(pic.GetSrc(), "/imgcache/Main_ImageList1_Img0.tmp");
  std::string bytes = ReadAll(Cache() + "imgcache/Main_ImageList1_Img0.tmp");
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(pic.GetCssStyle(),
            "background: url(\"/imgcache/Main_ImageList1_Img0.tmp\") 0 0 "
            "no-repeat;width:2px;height:2px;");
  // The file is served with the type of its content.
  THTTPReply r = host->Get("/imgcache/Main_ImageList1_Img0.tmp");
  EXPECT_EQ(r.Code(), 200);
  EXPECT_EQ(r.ContentType(), "image/bmp");

  pic.SetImageIndex(5);
  EXPECT_EQ(pic.GetSrc(), "");
  TGraphic* g = pic.GetDrawGraphic(clDefault);
  EXPECT_EQ(g, nullptr);
  pic.SetImageIndex(0);
  g = pic.GetDrawGraphic(0x00FF00);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(static_cast<TBitmap*>(g)->Pixel(0, 0), (TPixel{10, 20, 30, 255}));
  pic.FreeDrawGraphic(g);
  EXPECT_EQ(g, nullptr);

  auto* named = Create<TNamedImages>(edit);
  named->SetSize(2, 2);
  named->Add(*Png(2, 2, {}));
  auto icon = CreateOwned<TIcon>();
  icon->SetSize(2, 2);
  named->Graphic = Owned<TGraphic>(icon.release());
  EXPECT_EQ(ImageSaveAndGetURL(named, 0, false, clDefault, false, "tmp", "", true),
            "/imgcache/star.ico");
  EXPECT_EQ(ZQGraphicKindOfData(ReadAll(Cache() + "imgcache/star.ico")), TGraphicKind::gkIcon);
  EXPECT_EQ(ImageSaveAndGetURL(named, 1, false, clDefault, false, "tmp", "", true),
            "");  // out of range
  EXPECT_EQ(ImageSaveAndGetURL(nullptr, 0, false, clDefault, false, "tmp", "", true), "");

  // A freed list is let go of.
  Free(images);
  images = nullptr;
  EXPECT_EQ(pic.GetImages(), nullptr);
  EXPECT_EQ(pic.GetSrc(), "");
}

TEST_F(PictureTest, SourcesAndStyles) {
  TIWZQPicture pic(edit, "P");
  EXPECT_EQ(pic.GetSrc(), "");
  EXPECT_EQ(pic.GetCssStyle(), "");
  EXPECT_TRUE(pic.GetIsNull());
  pic.SetUrl("DATA:IMAGE/png;base64,AAAA");
  EXPECT_EQ(pic.GetSrc(), "DATA:IMAGE/png;base64,AAAA");
  pic.SetUrl("img/a.png");
  EXPECT_EQ(pic.GetSrc(), "/img/a.png");
  EXPECT_FALSE(pic.IsPictureStored());
  // The URL cannot leave its url() token.
  pic.SetUrl("x\");background:red;/*\n");
  EXPECT_EQ(pic.GetCssStyle(),
            "background: url(\"/x\\22 );background:red;/*\\a \") 0 0 no-repeat;");
  EXPECT_EQ(ZQCssUrlToken("a\\b"), "url(\"a\\5c b\")");

  pic.SetUrl("");
  pic.SetGraphic(Png(16, 16, {}).get());
  EXPECT_EQ(
      pic.GetCssStyle(),
      "background: url(\"/imgcache/Main_Edit1_P.png\") 0 0 no-repeat;width:16px;height:16px;");
  pic.ResetProps();
  EXPECT_TRUE(pic.GetIsNull());
}

TEST_F(PictureTest, ChangesNotifyTheContainerOnlyWhenItRecords) {
  TIWZQPicture pic(edit, "P");
  int changes = 0;
  pic.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &pic);
    ++changes;
  };
  pic.SetForceUserCache(false);
  pic.SetUrl("a.png");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(pic.GetForceUserCache());
  EXPECT_EQ(edit->PictureChanges, 0);
  edit->Generate = true;
  pic.SetGraphic(Png(1, 1, {}).get());
  EXPECT_EQ(edit->PictureChanges, 1);
  pic.SetUrl("a.png");  // same value: nothing
  EXPECT_EQ(changes, 2);
  edit->SetDesigning(true);
  pic.SetUrl("b.png");
  EXPECT_EQ(edit->PictureChanges, 1);

  // Assign copies the published values and the picture.
  TIWZQPicture copy(edit, "Q");
  copy.Assign(&pic);
  EXPECT_EQ(copy.GetUrl(), "b.png");
  EXPECT_EQ(copy.Width(), 1);
}

TEST_F(PictureTest, LoadingFromStreamsAndResources) {
  TIWZQPicture pic(edit, "P");
  std::istringstream gif(std::string("GIF89a\x05\x00\x07\x00\x00\x00\x00;", 14));
  pic.LoadFromStream(gif);
  EXPECT_EQ(pic.GetGraphic()->GetKind(), TGraphicKind::gkGif);
  EXPECT_EQ(pic.Width(), 5);
  EXPECT_EQ(pic.Height(), 7);
  pic.LoadFromResourceName(ZQMainInstance, "missing");
  EXPECT_EQ(pic.Width(), 5);
  ZQRegisterRawResource(ZQMainInstance, "DOT", Png(3, 1, {}).get()->SaveToData());
  pic.LoadFromResourceName(ZQMainInstance, "DOT");
  EXPECT_EQ(pic.GetGraphic()->GetKind(), TGraphicKind::gkPng);
  EXPECT_EQ(pic.Width(), 3);
  std::istringstream junk("junk");
  EXPECT_THROW(pic.LoadFromStream(junk), EInvalidGraphic);
}

TEST_F(PictureTest, SaveImageWritesTheGraphicUnderExactlyThatName) {
  TIWZQPicture pic(edit, "P");
  pic.SaveImage(dir + "/none.png");  // no image, no recording container
  EXPECT_FALSE(fs::exists(dir + "/none.png"));
  pic.SetGraphic(Png(2, 2, {7, 7, 7, 255}).get());
  pic.SaveImage(dir + "/out/deep/pic.png");
  EXPECT_EQ(ZQGraphicKindOfData(ReadAll(dir + "/out/deep/pic.png")), TGraphicKind::gkPng);
  std::ofstream(dir + "/keep.png") << "old";
  pic.SaveImage(dir + "/keep.png");
  EXPECT_EQ(ReadAll(dir + "/keep.png"), "old");
}

class SaveEntryTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    edit->Generate = true;
    edit->App = &host->Session();
    pic = std::make_unique<TIWZQPicture>(edit, "Shown");
    target = dir + "/saved.png";
    pic->SaveImage(target);
  }
  void TearDown() override {
    pic.reset();
    PictureTest::TearDown();
  }
  void Post(const std::string& name, const std::string& data) {
    TStringList p;
    p.Add("imageData=" + data);
    p.Add("filename=" + name);
    pic->DoSaveImageData(ZQSaveImageAction, &p, nullptr, nullptr);
  }
  std::string PngBase64() { return ZQBase64Encode(Png(5, 4, {9, 8, 7, 255})->SaveToData()); }
  std::unique_ptr<TIWZQPicture> pic;
  std::string target;
};

TEST_F(SaveEntryTest, QueuesTheCanvasScriptWithTheEntryUrl) {
  ASSERT_EQ(edit->Scripts.size(), 1u);
  std::string url = pic->GetSaveImageUrl();
  EXPECT_TRUE(std::regex_match(url, std::regex("/IWZQJQ/ID[0-9A-F]{32}ActionGetImageDataUrl")))
      << url;
  EXPECT_EQ(
      edit->Scripts[0],
      "var img = new Image(); var $zqimg = $(\"#BOX\"); var src = $zqimg.attr(\"src\"); "
      "var canvas = document.createElement(\"canvas\"); var context = canvas.getContext(\"2d\"); "
      "img.width = $zqimg.width(); img.height = $zqimg.height(); img.crossOrigin = \"anonymous\"; "
      "img.onload = function() {   canvas.width = img.width;   canvas.height = img.height;   "
      "context.drawImage(img, 0, 0, img.width, img.height);   "
      "var imgDataUrl = canvas.toDataURL(\"image/png\");   "
      "imgDataUrl = imgDataUrl.replace(/^data:image\\/(png|jpg);base64,/, \"\"); "
      "ZQSendLargeDataToUrl([{\"value\":imgDataUrl,\"name\":\"imageData\"},{\"value\":" +
          ZQJsEscape(target) + ",\"name\":\"filename\"}]," + ZQJsEscape(url) +
          "); }; img.src = src; ");
  EXPECT_EQ(pic->PendingSaveName(), target);
}

TEST_F(SaveEntryTest, ForgedNamesMalformedAndOversizedDataWriteNothing) {
  std::string forged = dir + "/evil.png";
  EXPECT_EQ(test::Message([&] { Post(forged, PngBase64()); }),
            "Invalid file name: \"" + forged + "\"!");
  EXPECT_EQ(test::Message([&] { Post("../../etc/x", PngBase64()); }),
            "Invalid file name: \"../../etc/x\"!");
  EXPECT_EQ(test::Message([&] { Post(target, "not*base64"); }), "Invalid Base64 data!");
  host->Controller().MaxRequestSize = 16;
  EXPECT_EQ(test::Message([&] { Post(target, PngBase64()); }), "Image data too large!");
  EXPECT_FALSE(fs::exists(forged));
  EXPECT_FALSE(fs::exists(target));
  int entries = 0;
  for (auto& e : fs::directory_iterator(dir)) entries += e.path().filename() != "cache";
  EXPECT_EQ(entries, 0);
}

TEST_F(SaveEntryTest, TheRecordedNameIsWrittenOnceAndNotThroughALink) {
  std::ofstream(dir + "/outside.txt") << "untouched";
  fs::create_symlink(dir + "/outside.txt", target);
  Post(target, PngBase64());
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(target)));  // the link was replaced, not followed
  EXPECT_EQ(ReadAll(dir + "/outside.txt"), "untouched");
  auto png = CreateOwned<TPngImage>();
  png->LoadFromData(ReadAll(target));
  EXPECT_EQ(png->GetWidth(), 5);
  EXPECT_EQ(pic->PendingSaveName(), "");
  EXPECT_EQ(test::Message([&] { Post(target, PngBase64()); }),
            "Invalid file name: \"" + target + "\"!");

  // A recorded name in a folder that does not exist creates no folder.
  pic->SaveImage(dir + "/nofolder/x.png");
  EXPECT_EQ(test::Message([&] { Post(dir + "/nofolder/x.png", PngBase64()); }),
            "Folder not found: \"" + dir + "/nofolder\"!");
  EXPECT_FALSE(fs::exists(dir + "/nofolder"));
}

TEST_F(SaveEntryTest, OverHttpOnlyTheEntrysSessionMayPost) {
  std::string url = pic->GetSaveImageUrl();
  std::string body = hosttest::EncodeFields({{"imageData", PngBase64()}, {"filename", target}});
  // A request without the entry's session is refused by the action map.
  THTTPRequest foreign;
  foreign.Method = "POST";
  foreign.URL = url;
  foreign.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  foreign.Content = body;
  THTTPReply r1 = host->Send(foreign);
  EXPECT_EQ(r1.Code(), 500);
  EXPECT_FALSE(fs::exists(target));

  THTTPRequest own = host->MakeRequest("POST", url);
  own.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  own.Content = body;
  THTTPReply r2 = host->Send(own);
  EXPECT_EQ(r2.Code(), 200) << r2.Body();
  EXPECT_EQ(r2.Body(), "{success:true}");
  EXPECT_TRUE(fs::exists(target));

  // The holder gone, its entry is gone.
  std::string id = url.substr(std::string("/IWZQJQ/ID").size(), 32);
  EXPECT_TRUE(ZQPictureHasSaveEntry(id));
  pic.reset();
  EXPECT_FALSE(ZQPictureHasSaveEntry(id));
}

TEST_F(PictureTest, SessionCacheFolderGoesWithTheSessionAndShutdownSweepsTheRest) {
  std::shared_ptr<TIWApplication> other = host->Controller().NewSession();
  std::string otherID = other->AppID();
  TIWZQPicture pic(edit, "Mine", true);
  pic.SetGraphic(Png(2, 2, {}).get());
  {
    TIWThreadSessionSwitch s(other.get());
    EXPECT_EQ(pic.GetSrc(), "/userimgcache/" + otherID + "/Main_Edit1_Mine.png");
  }
  pic.GetSrc();  // and one for the fixture's session
  std::string ownFolder = Cache() + "userimgcache/" + host->Session().AppID();
  ASSERT_TRUE(fs::is_directory(Cache() + "userimgcache/" + otherID));
  // Another session's images are not served.
  EXPECT_NE(host->Get("/userimgcache/" + otherID + "/Main_Edit1_Mine.png").ContentType(),
            "image/png");
  EXPECT_EQ(
      host->Get("/userimgcache/" + host->Session().AppID() + "/Main_Edit1_Mine.png").ContentType(),
      "image/png");
  EXPECT_NE(
      host->Get("/imgcache/../userimgcache/" + otherID + "/Main_Edit1_Mine.png").ContentType(),
      "image/png");

  host->Controller().EndSession(otherID);
  other.reset();
  EXPECT_FALSE(fs::exists(Cache() + "userimgcache/" + otherID));
  EXPECT_TRUE(fs::is_directory(ownFolder));

  // A session that expires takes its folder along too.
  std::shared_ptr<TIWApplication> idle = host->Controller().NewSession();
  std::string idleID = idle->AppID();
  {
    TIWThreadSessionSwitch s(idle.get());
    pic.GetSrc();
  }
  ASSERT_TRUE(fs::is_directory(Cache() + "userimgcache/" + idleID));
  auto later = std::chrono::steady_clock::now() + host->Controller().SessionTimeout +
               std::chrono::minutes(1);
  host->Session().Touch(later);
  host->Controller().SetClock([later] { return later; });
  idle.reset();
  EXPECT_GE(host->Controller().ExpireSessions(), 1u);
  EXPECT_FALSE(fs::exists(Cache() + "userimgcache/" + idleID));
  EXPECT_TRUE(fs::is_directory(ownFolder));

  ZQPictureShutdown();
  EXPECT_FALSE(fs::exists(ownFolder));
  EXPECT_TRUE(fs::is_directory(Cache() + "userimgcache"));  // the root stays
  ZQPictureStartup(host->Controller());
}

TEST_F(PictureTest, BmpMimeTypeIsRegistered) {
  EXPECT_EQ(host->Controller().MimeTypes().TypeOf("x.bmp"), "image/bmp");
}

TEST_F(PictureTest, ImagePreviewOptions) {
  Owned<TIWZQJQImagePreviewOptions> o(TIWZQJQImagePreviewOptions::Create(edit, "", "Preview"));
  EXPECT_EQ(o->InitPluginJS(), "$(\"#BOX\").imgPreview({});");
  o->SetEnable(true);  // server side only
  o->SetContainerWidth(200);
  o->GetDistanceFromCursor()->SetTop(20);
  o->SetTrackMouse(false);
  o->SetJqSelector("$(\".thumbs a\")");
  EXPECT_TRUE(o->GetEnable());
  EXPECT_EQ(o->InitPluginJS(),
            "$(\".thumbs "
            "a\").imgPreview({trackMouse:false,distanceFromCursor:{top:20},containerWidth:200});");
  host->Controller().JavaScriptDebug = true;
  EXPECT_EQ(ImagePreviewJSFile(), "jquery_ui/plugins/jquery.image.preview.js");
  host->Controller().JavaScriptDebug = false;
  EXPECT_EQ(ImagePreviewJSFile(), "jquery_ui/plugins/jquery.image.preview.min.js");
}

}  // namespace
}  // namespace zq
