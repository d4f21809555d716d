#include "components/picture/picture.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>

#include "components/picture/picturestate.h"
#include "events/jscript.h"
#include "foundation/asciicase.h"
#include "foundation/collection.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/proppath.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

namespace fs = std::filesystem;

namespace {

// Guards the shared cache folder: existence tests, comparisons and writes.
std::mutex gCacheLock;

std::mutex gRootLock;
std::string gUserCacheRoot;

std::string CacheFolder() {
  std::string dir = gServerController ? gServerController->CacheDir : std::string("cache");
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

std::string URLBase() {
  std::string base = gServerController ? gServerController->URLBase : std::string();
  if (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return true;
}

// Writes the bytes next to the target and renames them into place, so that a
// reader sees the old file or the new one, never a part.
void WriteFileAtomically(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> serial{0};
  std::string tmp =
      Format("%s.%d.%d.tmp", path, static_cast<int>(::getpid()), static_cast<int>(++serial));
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) throw EIWZQJQuery(Format("Cannot create file \"%s\"!", path));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f.flush()) {
      std::error_code ec;
      fs::remove(tmp, ec);
      throw EIWZQJQuery(Format("Cannot write file \"%s\"!", path));
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    fs::remove(tmp, ec);
    throw EIWZQJQuery(Format("Cannot write file \"%s\"!", path));
  }
}

// The bytes a graphic is cached as: icons as PNG, the rest in their own format.
std::string CacheBytes(const TGraphic& g) {
  if (g.GetKind() == TGraphicKind::gkIcon) return ConvertGraphicToPng(g)->SaveToData();
  return g.SaveToData();
}

// Step 5 and 6 of every cache write: the lock for the shared cache, the
// cache-buster for a forced per-session rewrite, the folder, the write.
// `bytes` makes the file's content (called only when it is needed).
template <class MakeBytes>
void WriteCacheFile(const std::string& path, std::string& url, bool userCache, bool force,
                    bool design, MakeBytes bytes) {
  std::unique_lock<std::mutex> lock(gCacheLock, std::defer_lock);
  if (!userCache) lock.lock();
  std::error_code ec;
  bool exists = fs::exists(path, ec);
  bool write = design || (force && userCache) || !exists;
  std::string content;
  if (!write && !userCache) {
    // A shared file made for another image under the same name is rewritten:
    // the browser must not be given someone else's pixels.
    std::string old;
    content = bytes();
    if (!ReadFile(path, old) || old != content) {
      write = true;
      url += "?cacheid=" + ZQNewGUIDHTMLMapID();
    }
  }
  if (!write) return;
  if (force && userCache && exists) url += "?cacheid=" + ZQNewGUIDHTMLMapID();
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (content.empty()) content = bytes();
  WriteFileAtomically(path, content);
}

// The serial number of an unnamed component, kept by a hidden child so that
// it lives and dies with the component: a new component at the address of a
// freed one gets a new number.
class TZQCacheSerial : public TComponent {
  ZQ_CLASS(TZQCacheSerial, TComponent)
  explicit TZQCacheSerial(TComponent* AOwner, unsigned long long ASerial)
      : TComponent(AOwner), Serial(ASerial) {}
  unsigned long long Serial;
};

std::atomic<unsigned long long> gNextSerial{0};

unsigned long long SerialOf(const TComponent* c) {
  for (int i = 0; i < c->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<TZQCacheSerial*>(c->Components(i))) return s->Serial;
  auto* s = Create<TZQCacheSerial>(const_cast<TComponent*>(c), ++gNextSerial);
  return s->Serial;
}

std::string Contribution(const TComponent* c) {
  std::string part;
  if (auto* cache = dynamic_cast<const IIWZQCache*>(c))
    part = cache->GetCacheID();
  else
    part = c->GetName();
  if (part.empty())
    part = Format("INSTANCE%s-%s", std::to_string(reinterpret_cast<std::uintptr_t>(c)),
                  std::to_string(SerialOf(c)));
  return part;
}

std::string KindExt(const TGraphic* g) {
  return g ? ZQGraphicKindExt(g->GetKind()) : std::string();
}

std::mutex gResourceLock;
std::map<std::pair<TZQModuleInstance, std::string>, std::string> gResources;

// A CSS url() token: the URL in double quotes, with quotes, backslashes and
// control characters escaped as CSS hexadecimal escapes.
std::string CssUrl(std::string_view url) {
  std::string out = "url(\"";
  for (unsigned char ch : url) {
    if (ch == '"' || ch == '\\' || ch < 0x20 || ch == 0x7F)
      out += Format("\\%x ", static_cast<int>(ch));
    else
      out += static_cast<char>(ch);
  }
  return out + "\")";
}

}  // namespace

std::string ZQCssUrlToken(std::string_view url) {
  return CssUrl(url);
}

ZQ_IMPLEMENT_CLASS(TZQCacheSerial) {}

// ---------------------------------------------------------------- cache paths

void GetCacheVars(bool AUserCache, const std::string& AFileName, std::string& APath,
                  std::string& AURL, bool ADesign, bool AFullPath) {
  std::string folder = CacheFolder();
  if (!AUserCache) {
    APath = folder + "imgcache/" + AFileName;
    AURL = AFullPath ? ZQGetLink("", "imgcache", ADesign, false, true, true) + "/" + AFileName
                     : URLBase() + "imgcache/" + AFileName;
  } else if (ADesign) {
    APath = folder + "userimgcache/" + AFileName;
    AURL = "userimgcache/" + AFileName;
  } else {
    TIWApplication* app = gGetWebApplicationThreadVar();
    std::string appID = app ? app->AppID() : std::string();
    APath = folder + "userimgcache/" + appID + "/" + AFileName;
    AURL = AFullPath
               ? ZQGetLink("", "userimgcache/" + appID, false, false, true, true) + "/" + AFileName
               : URLBase() + "userimgcache/" + appID + "/" + AFileName;
    std::lock_guard<std::mutex> g(gRootLock);
    gUserCacheRoot = folder + "userimgcache/";
  }
}

std::string ZQUserCacheRoot() {
  std::lock_guard<std::mutex> g(gRootLock);
  return gUserCacheRoot;
}

std::string ZQGeneratedCacheName(const TComponent* AComponent, std::string_view ARenderName,
                                 std::string_view AExt) {
  std::string text;
  for (const TComponent* c = AComponent; c && !dynamic_cast<const TIWApplication*>(c);
       c = c->Owner()) {
    std::string part = Contribution(c);
    text = text.empty() ? part : part + "_" + text;
  }
  if (!text.empty()) text += "_";
  return text + std::string(ARenderName) + "." + std::string(AExt);
}

// ---------------------------------------------------------------- writing

std::string GraphicSaveAndGetURL(TComponent* AComponent, TGraphic* AGraphic,
                                 const std::string& ARenderName, bool AUserCache, bool AForce,
                                 const std::string& ADefaultExt, const std::string& ACacheName,
                                 bool AFullPath) {
  if (!AGraphic || AGraphic->GetEmpty()) return {};
  std::string ext = KindExt(AGraphic);
  if (ext.empty()) ext = ADefaultExt;
  if (AGraphic->GetKind() == TGraphicKind::gkIcon) ext = "png";
  std::string name = !ACacheName.empty() ? ACacheName + "." + ext
                                         : ZQGeneratedCacheName(AComponent, ARenderName, ext);
  bool design = AComponent && AComponent->HasState(csDesigning);
  std::string path, url;
  GetCacheVars(AUserCache, name, path, url, design, AFullPath);
  WriteCacheFile(path, url, AUserCache, AForce, design, [&] { return CacheBytes(*AGraphic); });
  return url;
}

std::string PictureSaveAndGetURL(TComponent* AComponent, TPicture* APicture,
                                 const std::string& ARenderName, bool AUserCache, bool AForce,
                                 const std::string& ADefaultExt, const std::string& ACacheName,
                                 bool AFullPath) {
  return GraphicSaveAndGetURL(AComponent, APicture ? APicture->GetGraphic() : nullptr, ARenderName,
                              AUserCache, AForce, ADefaultExt, ACacheName, AFullPath);
}

std::string ImageSaveAndGetURL(TImageList* AImages, int AIndex, bool AUserCache, TColor AColor,
                               bool AForce, const std::string& ADefaultExt,
                               const std::string& ACacheName, bool AFullPath) {
  if (!AImages || AIndex < 0 || AIndex >= AImages->Count()) return {};
  std::string name;
  TGraphic* graphic = nullptr;
  if (auto* named = dynamic_cast<IZQImage*>(AImages)) {
    name = named->GetImageName(AIndex);
    if (name.empty()) return {};
    graphic = named->GetImageGraphic(AIndex, true, true, false);
    if (!graphic) return {};
    std::string ext = KindExt(graphic);
    if (ext.empty()) ext = ADefaultExt;
    name += "." + ext;
  } else {
    name = !ACacheName.empty()
               ? ACacheName + "." + ADefaultExt
               : ZQGeneratedCacheName(AImages, "Img" + std::to_string(AIndex), ADefaultExt);
  }
  bool design = AImages->HasState(csDesigning);
  std::string path, url;
  GetCacheVars(AUserCache, name, path, url, design, AFullPath);
  WriteCacheFile(path, url, AUserCache, AForce, design, [&] {
    if (graphic) return graphic->SaveToData();
    if (AColor != clDefault) AImages->BkColor = AColor;
    auto bmp = CreateOwned<TBitmap>();
    AImages->Draw(AIndex, *bmp);
    return bmp->SaveToData();
  });
  return url;
}

void SaveImageToFile(const std::string& AFileName, TPicture* APicture) {
  TGraphic* g = APicture ? APicture->GetGraphic() : nullptr;
  if (!g || g->GetEmpty() || KindExt(g).empty()) return;
  std::lock_guard<std::mutex> lock(gCacheLock);
  std::error_code ec;
  if (fs::exists(AFileName, ec)) return;
  fs::path parent = fs::path(AFileName).parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  WriteFileAtomically(AFileName, CacheBytes(*g));
}

// ---------------------------------------------------------------- resources

void ZQRegisterRawResource(TZQModuleInstance AInstance, const std::string& AName,
                           std::string AData) {
  std::lock_guard<std::mutex> g(gResourceLock);
  gResources[{AInstance, AName}] = std::move(AData);
}

bool ZQFindRawResource(TZQModuleInstance AInstance, const std::string& AName, std::string& AData) {
  std::lock_guard<std::mutex> g(gResourceLock);
  auto it = gResources.find({AInstance, AName});
  if (it == gResources.end()) return false;
  AData = it->second;
  return true;
}

// ---------------------------------------------------------------- TIWZQPicture

ZQ_IMPLEMENT_CLASS(TIWZQPicture) {
  c.Prop("Url", &TIWZQPicture::GetUrl, &TIWZQPicture::SetUrl);
  c.Prop("Picture", &TIWZQPicture::GetPicture, &TIWZQPicture::SetPicture)
      .Stored(&TIWZQPicture::IsPictureStored);
  c.Prop("UserCache", &TIWZQPicture::GetUserCache, &TIWZQPicture::SetUserCache);
  c.Prop("CacheName", &TIWZQPicture::GetCacheName, &TIWZQPicture::SetCacheName);
}

TIWZQPicture::TIWZQPicture(TPersistent* AOwner, std::string ARenderName, bool AUserCache,
                           std::string ACacheName)
    : FOwner(AOwner),
      FRenderName(std::move(ARenderName)),
      FPicture(CreateOwned<TPicture>()),
      FCacheName(std::move(ACacheName)) {
  SetUserCache(AUserCache);
  FPicture->OnChange = [this](TPicture*) { DoChange(); };
}

TIWZQPicture::~TIWZQPicture() {
  FPicture->OnChange = nullptr;
  if (!FSaveImageUrl.empty()) ZQPictureRemoveSaveEntry(FMapID);
}

void TIWZQPicture::SetUrl(const std::string& AValue) {
  if (AValue == FUrl) return;
  FUrl = AValue;
  DoChange();
}

void TIWZQPicture::SetPicture(TPicture* AValue) {
  try {
    FPicture->Assign(AValue);
  } catch (const Exception&) {
    // An unassignable picture leaves the holder as it was.
  }
}

IIWZQJSContainer* TIWZQPicture::ZQJSContainer() const {
  for (TPersistent* o = FOwner; o; o = o->GetOwner())
    if (auto* c = dynamic_cast<IIWZQJSContainer*>(o)) return c;
  return nullptr;
}

bool TIWZQPicture::Empty() const {
  return !GetGraphic() || GetGraphic()->GetEmpty();
}

void TIWZQPicture::Assign(const TPersistent* Source) {
  if (dynamic_cast<const TIWZQPicture*>(Source)) {
    ZQCopyPublishedProps(Source, this, {}, true);
    if (auto* s = dynamic_cast<const TIWZQPicture*>(Source)) OnChange = s->OnChange;
    return;
  }
  inherited::Assign(Source);
}

TComponent* TIWZQPicture::RootComponent(std::string* AWorkName) const {
  for (TPersistent* o = FOwner; o;) {
    if (auto* comp = dynamic_cast<TComponent*>(o)) return comp;
    if (auto* item = dynamic_cast<TCollectionItem*>(o)) {
      if (AWorkName) *AWorkName += "_" + std::to_string(item->ID());
      o = item->GetCollection();
    } else {
      o = o->GetOwner();
    }
  }
  return nullptr;
}

bool TIWZQPicture::Designing() const {
  TComponent* c = RootComponent(nullptr);
  return c && c->HasState(csDesigning);
}

std::string TIWZQPicture::SaveAndGetCacheURL(bool AForceUserCache, const std::string& AExtension) {
  if (Empty()) return {};
  std::string work = FRenderName;
  TComponent* root = RootComponent(&work);
  std::string ext = AExtension;
  if (ext.empty()) {
    ext = KindExt(GetGraphic());
    if (ext.empty()) ext = "tmp";
  }
  if (!root) throw EIWZQJQuery("Root Owner is not TComponent in TIWZQPicture.SaveAndGetCacheURL!");
  return PictureSaveAndGetURL(root, FPicture.get(), work, GetUserCache(),
                              GetForceUserCache() || AForceUserCache, ext, FCacheName,
                              GetFullPath());
}

std::string TIWZQPicture::GetSrc() {
  if (!Empty()) return SaveAndGetCacheURL(false, "");
  if (FUrl.empty()) return {};
  if (LowerAscii(std::string_view(FUrl).substr(0, 10)) == "data:image") return FUrl;
  bool design = Designing();
  bool addScriptName = false;
  if (GetFullPath() && !design) {
    addScriptName = true;
    TIWApplication* app = gGetWebApplicationThreadVar();
    THTTPRequest* req = app ? app->Request() : nullptr;
    if (req && !req->ScriptName.empty() &&
        LowerAscii(std::string_view(FUrl).substr(0, req->ScriptName.size())) ==
            LowerAscii(req->ScriptName))
      addScriptName = false;
  }
  return ZQGetLink("", FUrl, design, false, addScriptName, true);
}

void TIWZQPicture::DoChange() {
  if (IIWZQJSContainer* c = ZQJSContainer()) {
    TComponent* comp = c->GetImplComponent();
    bool quiet = comp && comp->HasState(csLoading | csDesigning);
    if (!quiet && c->GetGenerateAjaxResponse(nullptr)) c->AjaxPictureChanged(this);
  }
  SetForceUserCache(true);
  if (OnChange) OnChange(this);
}

bool TIWZQPicture::GetIsNull() {
  return FUrl.empty() && Empty();
}

bool TIWZQPicture::IsPictureStored() {
  return FUrl.empty();
}

std::string TIWZQPicture::GetCssStyle() {
  std::string src = GetSrc();
  std::string r;
  if (!src.empty()) r = "background: " + CssUrl(src) + " 0 0 no-repeat;";
  if (Width() > 0 && Height() > 0) r += Format("width:%dpx;height:%dpx;", Width(), Height());
  return r;
}

void TIWZQPicture::LoadFromResourceName(TZQModuleInstance AInstance, const std::string& ResName) {
  std::string data;
  if (!ZQFindRawResource(AInstance, ResName, data)) return;
  LoadFromData(data);
}

void TIWZQPicture::ResetProps() {
  SetUrl("");
  FCacheName.clear();
  FPicture->SetGraphic(static_cast<const TGraphic*>(nullptr));
}

void TIWZQPicture::LoadFromStream(std::istream& AStream) {
  std::string data((std::istreambuf_iterator<char>(AStream)), std::istreambuf_iterator<char>());
  LoadFromData(data);
}

void TIWZQPicture::LoadFromData(std::string_view AData) {
  std::string_view head = AData.substr(0, 4);
  TGraphicKind kind = TGraphicKind::gkUnknown;
  if (head == "\x89PNG")
    kind = TGraphicKind::gkPng;
  else if (head.substr(0, 2) == "BM")
    kind = TGraphicKind::gkBitmap;
  else if (head.substr(0, 3) == "\xFF\xD8\xFF")
    kind = TGraphicKind::gkJpeg;
  else if (head == "GIF8")
    kind = TGraphicKind::gkGif;
  if (kind == TGraphicKind::gkUnknown) {
    FPicture->LoadFromData(AData);
    return;
  }
  Owned<TGraphic> g = ZQCreateGraphic(kind);
  g->LoadFromData(AData);
  FPicture->SetGraphic(std::move(g));
}

// ---------------------------------------------------------------- saving what the browser shows

void TIWZQPicture::SaveImage(const std::string& AFileName) {
  if (AFileName.empty() || !FPicture) return;
  if (!Empty()) {
    SaveImageToFile(AFileName, FPicture.get());
    return;
  }
  IIWZQJSContainer* c = ZQJSContainer();
  if (!c || !c->GetGenerateAjaxResponse(nullptr)) return;
  ISuperObject data = TSuperObject::Create(stArray);
  ISuperObject image = SO();
  image->PutS("name", "imageData");
  image->PutO("value", TSuperObject::Create("imgDataUrl", true));
  ISuperObject file = SO();
  file->PutS("name", "filename");
  file->PutS("value", AFileName);
  data->AsArray()->Add(image);
  data->AsArray()->Add(file);
  std::string url = GetSaveImageUrl();
  TIWZQJScript js;
  js.Add("var img = new Image();");
  js.AddF("var $zqimg = %s;", c->GetIDJQuery());
  js.Add("var src = $zqimg.attr(\"src\");");
  js.Add("var canvas = document.createElement(\"canvas\");");
  js.Add("var context = canvas.getContext(\"2d\");");
  js.Add("img.width = $zqimg.width();");
  js.Add("img.height = $zqimg.height();");
  js.Add("img.crossOrigin = \"anonymous\";");
  js.Add("img.onload = function() {");
  js.Add("  canvas.width = img.width;");
  js.Add("  canvas.height = img.height;");
  js.Add("  context.drawImage(img, 0, 0, img.width, img.height);");
  js.Add("  var imgDataUrl = canvas.toDataURL(\"image/png\");");
  js.Add("  imgDataUrl = imgDataUrl.replace(/^data:image\\/(png|jpg);base64,/, \"\");");
  js.AddF("ZQSendLargeDataToUrl(%s,%s);", data->AsJSon(false, true, true), ZQJsEscape(url));
  // "};": with the lines joined by blanks a bare "}" would run into the next
  // statement and the whole script would fail to parse.
  js.Add("};");
  js.Add("img.src = src;");
  FPendingSaveName = AFileName;
  c->AddJavaScriptToAjaxResponse(js.GetJoined(), false, true);
}

std::string TIWZQPicture::GetSaveImageUrl() {
  if (FSaveImageUrl.empty()) {
    if (FMapID.empty()) FMapID = ZQNewGUIDHTMLMapID();
    TIWApplication* app = nullptr;
    if (IIWZQJSContainer* c = ZQJSContainer()) app = c->GetIWApplication();
    if (!app) app = gGetWebApplicationThreadVar();
    FSaveImageUrl =
        ZQPictureAddSaveEntry(FMapID, app ? app->AppID() : std::string(),
                              [this](const std::string& a, TStringList* p, THTTPRequest* rq,
                                     THTTPReply* rp) { DoSaveImageData(a, p, rq, rp); });
  }
  return FSaveImageUrl;
}

void TIWZQPicture::DoSaveImageData(const std::string& AAction, TStringList* AParams,
                                   THTTPRequest* ARequest, THTTPReply* AResponse) {
  (void)AAction, (void)ARequest;
  std::string name = AParams ? AParams->Values("filename") : std::string();
  std::string data = AParams ? AParams->Values("imageData") : std::string();
  // Only the one name SaveImage asked for, and only once.
  if (name.empty() || FPendingSaveName.empty() || name != FPendingSaveName)
    throw EIWZQJQuery(Format("Invalid file name: \"%s\"!", name));
  std::size_t cap = gServerController ? gServerController->MaxRequestSize : 8u * 1024 * 1024;
  if (data.size() > cap) throw EIWZQJQuery("Image data too large!");
  std::string bytes = ZQBase64Decode(data);  // malformed data raises before anything is written
  if (bytes.empty()) throw EIWZQJQuery("Invalid Base64 data!");
  ZQWriteConfined(fs::path(FPendingSaveName).parent_path().string(),
                  fs::path(FPendingSaveName).filename().string(), bytes);
  FPendingSaveName.clear();
  if (AResponse) {
    AResponse->SetCode(200);
    AResponse->SetContentType("application/json");
    AResponse->SetBody("{success:true}");
  }
}

// ---------------------------------------------------------------- TIWZQPictureEx

class TIWZQPictureEx::TListWatch : public TComponent {
 public:
  explicit TListWatch(TIWZQPictureEx* AOwner) : FHolder(AOwner) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    if (Operation == opRemove && AComponent == FHolder->FImages) FHolder->FImages = nullptr;
  }

 private:
  TIWZQPictureEx* FHolder;
};

ZQ_IMPLEMENT_CLASS(TIWZQPictureEx) {
  c.Prop("ImageIndex", &TIWZQPictureEx::GetImageIndex, &TIWZQPictureEx::SetImageIndex);
}

TIWZQPictureEx::TIWZQPictureEx(TPersistent* AOwner, std::string ARenderName, bool AUserCache,
                               std::string ACacheName)
    : TIWZQPicture(AOwner, std::move(ARenderName), AUserCache, std::move(ACacheName)),
      FWatch(std::make_unique<TListWatch>(this)) {}

TIWZQPictureEx::~TIWZQPictureEx() {
  if (FImages) FWatch->RemoveFreeNotification(FImages);
}

void TIWZQPictureEx::SetImages(TImageList* AValue) {
  if (AValue == FImages) return;
  if (FImages) FWatch->RemoveFreeNotification(FImages);
  FImages = AValue;
  if (FImages) FWatch->FreeNotification(FImages);
  DoChange();
}

void TIWZQPictureEx::SetImageIndex(int AValue) {
  if (AValue == FImageIndex) return;
  FImageIndex = AValue;
  DoChange();
}

std::string TIWZQPictureEx::GetSrc() {
  if (!GetUrl().empty()) return TIWZQPicture::GetSrc();
  return SaveAndGetCacheURL(false, "tmp");
}

bool TIWZQPictureEx::GetIsNull() {
  return FImageIndex < 0 && TIWZQPicture::GetIsNull();
}

bool TIWZQPictureEx::IsPictureStored() {
  return FImageIndex < 0 && TIWZQPicture::IsPictureStored();
}

std::string TIWZQPictureEx::GetCssStyle() {
  std::string r = TIWZQPicture::GetCssStyle();
  if (HasEntry()) r += Format("width:%dpx;height:%dpx;", FImages->GetWidth(), FImages->GetHeight());
  return r;
}

std::string TIWZQPictureEx::SaveAndGetCacheURL(bool AForceUserCache,
                                               const std::string& AExtension) {
  if (!HasEntry()) return TIWZQPicture::SaveAndGetCacheURL(AForceUserCache, AExtension);
  return ImageSaveAndGetURL(FImages, FImageIndex, GetUserCache(), clDefault,
                            GetForceUserCache() || AForceUserCache, AExtension, GetCacheName(),
                            GetFullPath());
}

bool TIWZQPictureEx::IsDrawEmpty() {
  return HasEntry() ? false : Empty();
}

TGraphic* TIWZQPictureEx::GetDrawGraphic(TColor AIconBkColor) {
  if (!HasEntry()) return GetGraphic();
  if (auto* named = dynamic_cast<IZQImage*>(FImages))
    return named->GetImageGraphic(FImageIndex, true, true, false);
  if (FImageIndex >= FImages->Count()) return nullptr;
  if (AIconBkColor != clDefault) FImages->BkColor = AIconBkColor;
  auto* bmp = Create<TBitmap>();
  bmp->Transparent = true;
  FImages->Draw(FImageIndex, *bmp);
  return bmp;
}

void TIWZQPictureEx::FreeDrawGraphic(TGraphic*& AGraphic) {
  if (AGraphic && AGraphic != GetGraphic() && HasEntry() && !dynamic_cast<IZQImage*>(FImages)) {
    Free(AGraphic);
    AGraphic = nullptr;
  }
}

// ---------------------------------------------------------------- image preview

ZQ_IMPLEMENT_OPTIONS(TIWZQJQImagePreviewOptionsDistanceFromCursor) {}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQImagePreviewOptions) {}

TIWZQJQImagePreviewOptions* TIWZQJQImagePreviewOptions::Create(TPersistent* AOwner,
                                                               const std::string& AJqSelector,
                                                               std::string_view APropName) {
  auto* o = CreateSingle<TIWZQJQImagePreviewOptions>(AOwner, APropName);
  o->FJqSelector = AJqSelector;
  return o;
}

std::string TIWZQJQImagePreviewOptions::InitPluginJS() {
  std::string selector = FJqSelector;
  if (selector.empty())
    if (IIWZQJSContainer* c = GetZQJSContainer()) selector = c->GetIDJQuery();
  ISuperObject json = GetJSon();
  std::string text =
      json ? ZQOptionJSonText(json, JSonIdent(), JSonEscape(), JSonNameQuote()) : "{}";
  return Format("%s.imgPreview(%s);", selector, text) + (ZQJavascriptDebug() ? "\r\n" : "");
}

std::string ImagePreviewJSFile() {
  return ZQMinFile("jquery_ui/plugins/jquery.image.preview.js",
                   "jquery_ui/plugins/jquery.image.preview.min.js");
}

}  // namespace zq
