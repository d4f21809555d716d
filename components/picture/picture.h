// Picture holders and the image cache.
//
// A control that shows an image (a clear button's icon, a menu item's icon, a
// lock indicator's image) holds it in a TIWZQPicture, or in a TIWZQPictureEx
// that can also take an entry of an image list. A holder either points at a
// URL (Url) or carries an image of its own (Picture); an image is written
// into the server controller's cache folder and the browser gets the URL of
// that file:
//
//   shared cache (UserCache false)  <cache>/imgcache/<name>             /imgcache/<name>
//   per-session cache               <cache>/userimgcache/<AppID>/<name>
//   /userimgcache/<AppID>/<name>
//
// The name is CacheName + "." + extension, or one generated from the owner
// chain: the outermost owner first, "_" between, then the render name and
// the collection IDs of the items the holder hangs under
// ("Main_Edit1_ClearBtn_3.png"). Shared-cache files are written once and
// rewritten when the image changed; per-session files are rewritten on every
// request after a change, and their URL then carries "?cacheid=" so that the
// browser fetches the new file. The per-session folder of a session is removed
// when the session ends.
//
// SaveImage(name) writes the holder's image into a server file; without an
// image it asks the browser to post back what it shows (drawn on a canvas,
// sent as Base64 to the holder's save entry). Only the name recorded by that
// SaveImage call is written, once.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/component.h"
#include "host/graphics.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {

class IIWZQJSContainer;
class THTTPRequest;
class THTTPReply;
class TStringList;
class TIWServerController;

// An image list that gives named images of any kind. The graphic stays owned
// by the list; the library passes the flags true, true, false.
class IZQImage {
 public:
  virtual ~IZQImage() = default;
  virtual std::string GetImageName(int AIndex) = 0;
  virtual TGraphic* GetImageGraphic(int AIndex, bool AFlag1, bool AFlag2, bool AFlag3) = 0;
};

// ---------------------------------------------------------------- free functions

// The cache file path and its URL for a file name (see the table in the file
// comment; the designer gets "userimgcache/" + name for the per-session cache).
void GetCacheVars(bool AUserCache, const std::string& AFileName, std::string& APath,
                  std::string& AURL, bool ADesign, bool AFullPath);

// The generated cache name of a component's image: the owner chain up to the
// session (cache IDs of IIWZQCache owners, else component names; an unnamed
// component gives "INSTANCE" + its address + "-" + a process-unique number),
// "_", the render name, "." and the extension.
std::string ZQGeneratedCacheName(const TComponent* AComponent, std::string_view ARenderName,
                                 std::string_view AExt);

// Writes the graphic into the cache when needed and returns its URL; empty for
// no graphic or an empty one. Icons are written as PNG.
std::string GraphicSaveAndGetURL(TComponent* AComponent, TGraphic* AGraphic,
                                 const std::string& ARenderName, bool AUserCache, bool AForce,
                                 const std::string& ADefaultExt, const std::string& ACacheName,
                                 bool AFullPath);
std::string PictureSaveAndGetURL(TComponent* AComponent, TPicture* APicture,
                                 const std::string& ARenderName, bool AUserCache, bool AForce,
                                 const std::string& ADefaultExt, const std::string& ACacheName,
                                 bool AFullPath);
// The URL of an image-list entry; empty without a list or for an index out of
// range. AColor (unless clDefault) becomes the list's background colour.
std::string ImageSaveAndGetURL(TImageList* AImages, int AIndex, bool AUserCache, TColor AColor,
                               bool AForce, const std::string& ADefaultExt,
                               const std::string& ACacheName, bool AFullPath);
// Writes the picture's graphic (an icon as PNG) under exactly that name,
// creating its folder; an existing file is left as it is; a graphic of unknown
// kind is not written.
void SaveImageToFile(const std::string& AFileName, TPicture* APicture);
// A CSS url() token of the URL: in double quotes, with quotes, backslashes
// and control characters written as CSS escapes.
std::string ZQCssUrlToken(std::string_view AUrl);
// ConvertGraphicToPng is declared with the image layer (host/graphics.h).

// A named raw-data resource of a module (the application registers the bytes
// of the images it carries; LoadFromResourceName reads them).
using TZQModuleInstance = std::uintptr_t;
inline constexpr TZQModuleInstance ZQMainInstance = 0;
void ZQRegisterRawResource(TZQModuleInstance AInstance, const std::string& AName,
                           std::string AData);
// The bytes, or false when the module has no resource of that name.
bool ZQFindRawResource(TZQModuleInstance AInstance, const std::string& AName, std::string& AData);

// The process-wide state of the unit: the cache lock, the ".bmp" MIME type,
// the handler that serves the cache folders, the removal of a session's cache
// folder when it ends. ZQPictureShutdown clears the per-session cache root
// (every file and folder below it; the root stays).
void ZQPictureStartup(TIWServerController& AController);
void ZQPictureShutdown();
// The per-session cache root once a per-session path was computed, else empty.
std::string ZQUserCacheRoot();
// Removes the per-session cache folder of a session (nothing when none).
void ZQRemoveSessionImageCache(const std::string& AppID);

// ---------------------------------------------------------------- holders

class TIWZQPicture : public TPersistent {
  ZQ_CLASS(TIWZQPicture, TPersistent)
  TIWZQPicture(TPersistent* AOwner, std::string ARenderName, bool AUserCache = false,
               std::string ACacheName = {});
  ~TIWZQPicture() override;

  TPersistent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }
  const std::string& RenderName() const { return FRenderName; }

  // ---- published
  const std::string& GetUrl() const { return FUrl; }
  void SetUrl(const std::string& AValue);
  TPicture* GetPicture() const { return FPicture.get(); }
  // Assigns the picture's graphic; an error while assigning is swallowed.
  void SetPicture(TPicture* AValue);
  bool GetUserCache() const { return FFlags & kUserCache; }
  void SetUserCache(bool AValue) { SetFlag(kUserCache, AValue); }
  const std::string& GetCacheName() const { return FCacheName; }
  void SetCacheName(const std::string& AValue) { FCacheName = AValue; }
  std::function<void(TObject* Sender)> OnChange;

  // ---- public
  bool GetForceUserCache() const { return FFlags & kForceUserCache; }
  void SetForceUserCache(bool AValue) { SetFlag(kForceUserCache, AValue); }
  bool GetFullPath() const { return FFlags & kFullPath; }
  void SetFullPath(bool AValue) { SetFlag(kFullPath, AValue); }
  // The first owner, walking upwards, that is a script container.
  IIWZQJSContainer* ZQJSContainer() const;
  bool Empty() const;
  TGraphic* GetGraphic() const { return FPicture->GetGraphic(); }
  void SetGraphic(const TGraphic* AGraphic) { FPicture->SetGraphic(AGraphic); }
  int Width() const { return FPicture->GetWidth(); }
  int Height() const { return FPicture->GetHeight(); }
  std::string Src() { return GetSrc(); }
  std::string CssStyle() { return GetCssStyle(); }
  bool IsNull() { return GetIsNull(); }

  // ---- virtual operations
  void Assign(const TPersistent* Source) override;
  virtual std::string GetSrc();
  virtual void DoChange();
  virtual bool GetIsNull();
  virtual bool IsPictureStored();
  // "background: url(\"...\") 0 0 no-repeat;" (the URL quoted and escaped for
  // CSS) and "width:%dpx;height:%dpx;" of the graphic.
  virtual std::string GetCssStyle();

  // ---- operations
  std::string SaveAndGetCacheURL(bool AForceUserCache, const std::string& AExtension);
  void LoadFromResourceName(TZQModuleInstance AInstance, const std::string& ResName);
  void ResetProps();
  void SaveImage(const std::string& AFileName);
  // The kind by the first four bytes (PNG, bitmap, JPEG, GIF), else the
  // picture's own loader (icons too).
  void LoadFromStream(std::istream& AStream);
  void LoadFromData(std::string_view AData);

  // The save entry's URL, registered on first use.
  std::string GetSaveImageUrl();
  // The save entry: reads "imageData" (Base64) and "filename" and writes the
  // data into the file recorded by SaveImage for that name, once. Raises
  // EIWZQJQuery and writes nothing for any other name, oversized or malformed
  // data, or a target outside the recorded folder. Replies "{success:true}".
  void DoSaveImageData(const std::string& AAction, TStringList* AParams, THTTPRequest* ARequest,
                       THTTPReply* AResponse);
  // The name a save entry may write next (empty when none is pending).
  const std::string& PendingSaveName() const { return FPendingSaveName; }

 protected:
  // The first component walking owners upwards, and the render name with the
  // collection IDs of the items passed ("_" + ID each).
  TComponent* RootComponent(std::string* AWorkName) const;
  bool Designing() const;
  static constexpr std::uint8_t kUserCache = 1u << 0;
  static constexpr std::uint8_t kForceUserCache = 1u << 1;
  static constexpr std::uint8_t kFullPath = 1u << 2;
  void SetFlag(std::uint8_t ABit, bool AValue) {
    FFlags = AValue ? (FFlags | ABit) : (FFlags & ~ABit);
  }

 private:
  TPersistent* FOwner;
  std::string FUrl;
  std::string FRenderName;
  Owned<TPicture> FPicture;
  std::uint8_t FFlags = kForceUserCache | kFullPath;
  std::string FCacheName;
  std::string FMapID;
  std::string FSaveImageUrl;
  std::string FPendingSaveName;
};

class TIWZQPictureEx : public TIWZQPicture {
  ZQ_CLASS(TIWZQPictureEx, TIWZQPicture)
  TIWZQPictureEx(TPersistent* AOwner, std::string ARenderName, bool AUserCache = false,
                 std::string ACacheName = {});
  ~TIWZQPictureEx() override;

  TImageList* GetImages() const { return FImages; }
  void SetImages(TImageList* AValue);
  int GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(int AValue);

  std::string GetSrc() override;
  bool GetIsNull() override;
  bool IsPictureStored() override;
  std::string GetCssStyle() override;
  std::string SaveAndGetCacheURL(bool AForceUserCache, const std::string& AExtension);
  bool IsDrawEmpty();
  // The graphic to draw: the picture's, the IZQImage list's, or a new
  // transparent bitmap of the entry (free it with FreeDrawGraphic).
  TGraphic* GetDrawGraphic(TColor AIconBkColor);
  void FreeDrawGraphic(TGraphic*& AGraphic);

 private:
  bool HasEntry() const { return FImages && FImageIndex >= 0; }
  class TListWatch;
  TImageList* FImages = nullptr;
  int FImageIndex = -1;
  std::unique_ptr<TListWatch> FWatch;
};

// ---------------------------------------------------------------- image preview

#define ZQ_IMAGE_PREVIEW_DISTANCE_ROWS(X) \
  X(Integer, Top, "top", 10)              \
  X(Integer, Left, "left", 10)

// The offset of the preview from the mouse.
class TIWZQJQImagePreviewOptionsDistanceFromCursor : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQImagePreviewOptionsDistanceFromCursor, TIWZQJSon,
             ZQ_IMAGE_PREVIEW_DISTANCE_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_IMAGE_PREVIEW_ROWS(X)                                                                 \
  X(Boolean, Enable, "enable", false, kZQServerOnly)                                             \
  X(Obj, DistanceFromCursor, "distanceFromCursor", TIWZQJQImagePreviewOptionsDistanceFromCursor) \
  X(Boolean, PreloadImages, "preloadImages", true)                                               \
  X(Func, OnShow, "onShow", "container,link")                                                    \
  X(Func, OnHide, "onHide", "container")                                                         \
  X(Func, OnLoad, "onLoad", "img,link")                                                          \
  X(String, ContainerCss, "containerCss", "imgPreviewContainer")                                 \
  X(String, ContainerLoadingClass, "containerLoadingClass", "loading")                           \
  X(String, ThumbPrefix, "thumbPrefix", "")                                                      \
  X(String, SrcAttr, "srcAttr", "src")                                                           \
  X(Integer, ContainerWidth, "containerWidth", 0)                                                \
  X(Integer, ContainerHeight, "containerHeight", 0)                                              \
  X(JSon, ImgCSS, "imgCSS", "{}")                                                                \
  X(Boolean, ShowOnCenter, "showOnCenter", false)                                                \
  X(Boolean, HideBodyScrollOnHover, "hideBodyScrollOnHover", false)                              \
  X(Boolean, TrackMouse, "trackMouse", true)

// Options of the image-preview plug-in ("imgPreview"): a larger view of a
// thumbnail's image next to the mouse while it hovers the thumbnail.
class TIWZQJQImagePreviewOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQImagePreviewOptions, TIWZQJSon, ZQ_IMAGE_PREVIEW_ROWS)
  using TIWZQJSon::TIWZQJSon;
  static TIWZQJQImagePreviewOptions* Create(TPersistent* AOwner, const std::string& AJqSelector,
                                            std::string_view APropName);
  // "%s.imgPreview(%s);" with the selector (or the container's element) and
  // the options' JSON; CR LF after it with script debugging.
  std::string InitPluginJS();
  const std::string& JqSelector() const { return FJqSelector; }
  void SetJqSelector(const std::string& AValue) { FJqSelector = AValue; }

 private:
  std::string FJqSelector;
};

// The plug-in's file under ZQJsUrlBase (plain or ".min").
std::string ImagePreviewJSFile();

}  // namespace zq
