// The host's image objects: graphics of a known kind (PNG, icon, JPEG, GIF,
// bitmap), a picture that holds one graphic and signals every change, and an
// image list of same-sized images.
//
// PNG images are read and written with libpng. Bitmaps (uncompressed 24 and
// 32 bits per pixel) and icons (colour image with AND mask, 1 to 32 bits per
// pixel, or an embedded PNG) are read and written here. JPEG and GIF images
// keep their bytes as they were loaded; only their dimensions are read, from
// their headers. Pixels are 8-bit RGBA, rows from the top.
//
//   auto png = zq::CreateOwned<zq::TPngImage>();
//   png->SetSize(16, 16);
//   png->SetPixel(0, 0, {255, 0, 0, 255});
//   png->SaveToFile("red.png");
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/component.h"
#include "foundation/exception.h"
#include "foundation/object.h"
#include "host/controls.h"

namespace zq {

// Colours are 0x00BBGGRR; clNone (host/controls.h) is "no colour".
using TColor = int;
// The "default colour" value of colour parameters.
inline constexpr TColor clDefault = 0x20000000;

// Data that is not an image of the expected kind, or an operation the kind
// cannot do.
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};

enum class TGraphicKind { gkUnknown, gkPng, gkIcon, gkJpeg, gkGif, gkBitmap };

// The kind by the first bytes: 89 50 4E 47 PNG, "BM" bitmap, FF D8 FF JPEG,
// "GIF8" GIF, 00 00 01 00 icon.
TGraphicKind ZQGraphicKindOfData(std::string_view data);
// "png", "ico", "jpg", "gif", "bmp"; empty for an unknown kind.
std::string ZQGraphicKindExt(TGraphicKind kind);

struct TPixel {
  std::uint8_t R = 0, G = 0, B = 0, A = 0;
  friend bool operator==(const TPixel&, const TPixel&) = default;
};
// The opaque pixel of a colour (0x00BBGGRR).
TPixel ZQColorPixel(TColor color);

// One image of a known kind. Loading replaces the image; every change calls
// OnChange.
class TGraphic : public TPersistent {
  ZQ_CLASS(TGraphic, TPersistent)
  virtual TGraphicKind GetKind() const { return TGraphicKind::gkUnknown; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  bool GetEmpty() const { return FWidth <= 0 || FHeight <= 0; }

  // Loads the bytes of a file of the graphic's own format. Raises
  // EInvalidGraphic for data of another format or broken data.
  virtual void LoadFromData(std::string_view data) = 0;
  void LoadFromStream(std::istream& stream);
  void LoadFromFile(const std::string& fileName);
  // The bytes of a file of the graphic's own format.
  virtual std::string SaveToData() const = 0;
  void SaveToStream(std::ostream& stream) const;
  // Writes the file (created or truncated).
  void SaveToFile(const std::string& fileName) const;

  // A new graphic of the same class with the same image.
  virtual Owned<TGraphic> Clone() const = 0;

  std::function<void()> OnChange;

 protected:
  void SetDimensions(int w, int h) {
    FWidth = w;
    FHeight = h;
  }
  void Changed() {
    if (OnChange) OnChange();
  }

 private:
  int FWidth = 0, FHeight = 0;
};

// A graphic whose pixels are held (PNG, bitmap, icon colour image).
class TRasterGraphic : public TGraphic {
  ZQ_CLASS(TRasterGraphic, TGraphic)
  // Resizes to w x h, every pixel transparent black.
  virtual void SetSize(int w, int h);
  TPixel Pixel(int x, int y) const { return FPixels[Index(x, y)]; }
  void SetPixel(int x, int y, TPixel p);
  // Replaces every pixel at once (one change); the count must be width x height.
  void SetPixels(std::vector<TPixel> pixels);
  const std::vector<TPixel>& Pixels() const { return FPixels; }

 protected:
  std::size_t Index(int x, int y) const;
  void CopyRaster(const TRasterGraphic& from) {
    FPixels = from.FPixels;
    SetDimensions(from.GetWidth(), from.GetHeight());
  }
  std::vector<TPixel> FPixels;
};

class TPngImage : public TRasterGraphic {
  ZQ_CLASS(TPngImage, TRasterGraphic)
  TGraphicKind GetKind() const override { return TGraphicKind::gkPng; }
  // Whether the file carries an alpha channel (read from a loaded file; set
  // it before saving to write one).
  bool HasAlpha() const { return FHasAlpha; }
  void SetHasAlpha(bool v) { FHasAlpha = v; }
  void LoadFromData(std::string_view data) override;
  std::string SaveToData() const override;
  Owned<TGraphic> Clone() const override;
  void Assign(const TPersistent* Source) override;

 private:
  bool FHasAlpha = false;
};

enum class TPixelFormat { pf24bit, pf32bit };
enum class TTransparentMode { tmAuto, tmFixed };

// A device-independent bitmap. Transparency is by colour: with Transparent
// set, pixels of the transparent colour (TransparentColor in tmFixed mode,
// the bottom-left pixel's colour in tmAuto mode) count as transparent.
class TBitmap : public TRasterGraphic {
  ZQ_CLASS(TBitmap, TRasterGraphic)
  TGraphicKind GetKind() const override { return TGraphicKind::gkBitmap; }
  TPixelFormat PixelFormat = TPixelFormat::pf24bit;
  bool Transparent = false;
  TTransparentMode TransparentMode = TTransparentMode::tmAuto;
  TColor TransparentColor = 0;
  // The colour that counts as transparent now.
  TColor EffectiveTransparentColor() const;
  // Reads BI_RGB bitmaps of 24 and 32 bits per pixel (bottom-up or top-down).
  void LoadFromData(std::string_view data) override;
  // 24 bits per pixel, or 32 (alpha in the fourth byte) for pf32bit.
  std::string SaveToData() const override;
  Owned<TGraphic> Clone() const override;
  void Assign(const TPersistent* Source) override;
};

// An icon: the largest image of an icon file. Its colour image keeps the
// alpha bytes of a 32-bit image (0 for fewer bits); the AND mask is true
// where the icon is transparent.
class TIcon : public TRasterGraphic {
  ZQ_CLASS(TIcon, TRasterGraphic)
  TGraphicKind GetKind() const override { return TGraphicKind::gkIcon; }
  void SetSize(int w, int h) override;
  int BitsPerPixel() const { return FBitsPerPixel; }
  // 24 or 32 (the format SaveToData writes for an icon made in code).
  void SetBitsPerPixel(int bpp);
  bool Masked(int x, int y) const { return FMask[Index(x, y)]; }
  void SetMasked(int x, int y, bool masked);
  void LoadFromData(std::string_view data) override;
  // The file as loaded; an icon made in code is written as one image of
  // BitsPerPixel bits with its AND mask.
  std::string SaveToData() const override;
  Owned<TGraphic> Clone() const override;
  void Assign(const TPersistent* Source) override;

 private:
  int FBitsPerPixel = 32;
  std::vector<bool> FMask;
  std::string FData;  // the loaded file, until the image is changed
};

// A graphic whose bytes are kept as loaded; only the size is read.
class TEncodedGraphic : public TGraphic {
  ZQ_CLASS(TEncodedGraphic, TGraphic)
  std::string SaveToData() const override { return FData; }
  // From a graphic of the same kind.
  void Assign(const TPersistent* Source) override;

 protected:
  void Keep(std::string_view data, int w, int h);
  std::string FData;
};

class TJPEGImage : public TEncodedGraphic {
  ZQ_CLASS(TJPEGImage, TEncodedGraphic)
  TGraphicKind GetKind() const override { return TGraphicKind::gkJpeg; }
  // The size comes from the first start-of-frame segment.
  void LoadFromData(std::string_view data) override;
  Owned<TGraphic> Clone() const override;
};

class TGIFImage : public TEncodedGraphic {
  ZQ_CLASS(TGIFImage, TEncodedGraphic)
  TGraphicKind GetKind() const override { return TGraphicKind::gkGif; }
  // The size comes from the logical screen descriptor.
  void LoadFromData(std::string_view data) override;
  Owned<TGraphic> Clone() const override;
};

// A new empty graphic of the kind; none for an unknown kind.
Owned<TGraphic> ZQCreateGraphic(TGraphicKind kind);

// A new PNG image of the graphic, owned by the caller. A PNG is copied. A
// bitmap's colour is taken as it is; with Transparent set, its transparent
// colour gets alpha 0. An icon's pixels whose AND mask is set get alpha 0;
// a 32-bit icon with any non-zero alpha byte gives its alpha bytes instead.
// The PNG has an alpha channel only when a pixel was made transparent or the
// alpha was taken over. Raises EInvalidGraphic for graphics without pixels.
Owned<TPngImage> ConvertGraphicToPng(const TGraphic& graphic);

// Holds at most one graphic (a copy of what is assigned) and calls OnChange
// after every change, including changes of the graphic itself.
class TPicture : public TPersistent {
  ZQ_CLASS(TPicture, TPersistent)
  TPicture() = default;
  ~TPicture() override;
  TGraphic* GetGraphic() const { return FGraphic.get(); }
  // Takes a copy of the graphic; none clears the picture.
  void SetGraphic(const TGraphic* graphic);
  // Takes the graphic over.
  void SetGraphic(Owned<TGraphic> graphic);
  int GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  int GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }
  // From another picture, a graphic, or none (clears).
  void Assign(const TPersistent* Source) override;
  // The kind by the first bytes (ZQGraphicKindOfData); raises EInvalidGraphic
  // for an unknown format.
  void LoadFromData(std::string_view data);
  void LoadFromFile(const std::string& fileName);
  std::function<void(TPicture*)> OnChange;

 private:
  void Changed();
  Owned<TGraphic> FGraphic;
};

// Images of one size by index, with a background colour used when an entry
// is drawn.
class TImageList : public TComponent {
  ZQ_CLASS(TImageList, TComponent)
  explicit TImageList(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  // Clears the list.
  void SetSize(int w, int h);
  int Count() const { return static_cast<int>(FImages.size()); }
  TColor BkColor = clNone;
  // Adds the graphic's pixels (an icon through ConvertGraphicToPng); the size
  // must be the list's, else EInvalidGraphic "Invalid image size". Returns the
  // index.
  int Add(const TGraphic& graphic);
  TPixel Pixel(int index, int x, int y) const;
  // Renders the entry into the bitmap (resized to the list's size): on
  // BkColor when it is a colour (24 bits), else with its alpha (32 bits).
  void Draw(int index, TBitmap& into) const;

 private:
  int FWidth = 16, FHeight = 16;
  std::vector<std::vector<TPixel>> FImages;
};

}  // namespace zq
