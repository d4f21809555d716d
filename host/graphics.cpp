#include "host/graphics.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TGraphic) {}
ZQ_IMPLEMENT_CLASS(TRasterGraphic) {}
ZQ_IMPLEMENT_CLASS(TPngImage) {}
ZQ_IMPLEMENT_CLASS(TBitmap) {}
ZQ_IMPLEMENT_CLASS(TIcon) {}
ZQ_IMPLEMENT_CLASS(TEncodedGraphic) {}
ZQ_IMPLEMENT_CLASS(TJPEGImage) {}
ZQ_IMPLEMENT_CLASS(TGIFImage) {}
ZQ_IMPLEMENT_CLASS(TPicture) {}
ZQ_IMPLEMENT_CLASS(TImageList) {}

namespace {

// Images larger than this are refused as broken data (a header can claim any
// size; the pixels would not fit in memory).
constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

void CheckSize(std::int64_t w, std::int64_t h, const char* what) {
  if (w <= 0 || h <= 0 || w * h > kMaxPixels)
    throw EInvalidGraphic(
        Format("Invalid %s size %dx%d", what, static_cast<int>(w), static_cast<int>(h)));
}

// Little-endian readers over a byte range; reading past the end raises.
class TReader {
 public:
  TReader(std::string_view data, const char* what) : d_(data), what_(what) {}
  void Need(std::size_t pos, std::size_t n) const {
    if (pos > d_.size() || n > d_.size() - pos)
      throw EInvalidGraphic(Format("Truncated %s data", what_));
  }
  std::uint8_t U8(std::size_t pos) const {
    Need(pos, 1);
    return static_cast<std::uint8_t>(d_[pos]);
  }
  std::uint16_t U16(std::size_t pos) const {
    return static_cast<std::uint16_t>(U8(pos) | (U8(pos + 1) << 8));
  }
  std::uint16_t U16BE(std::size_t pos) const {
    return static_cast<std::uint16_t>((U8(pos) << 8) | U8(pos + 1));
  }
  std::uint32_t U32(std::size_t pos) const {
    return U16(pos) | (static_cast<std::uint32_t>(U16(pos + 2)) << 16);
  }
  std::int32_t I32(std::size_t pos) const { return static_cast<std::int32_t>(U32(pos)); }
  std::string_view Data() const { return d_; }

 private:
  std::string_view d_;
  const char* what_;
};

void Put16(std::string& out, unsigned v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

std::size_t RowBytes(int w, int bpp) {
  return ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
}

// The pixels of a device-independent bitmap (after its info header).
struct TDib {
  int Width = 0, Height = 0, Bpp = 0;
  bool TopDown = false;
  std::vector<TPixel> Pixels;  // alpha = the fourth byte of 32-bit pixels, else 0
};

// Reads a BITMAPINFOHEADER at pos, its palette and the pixels at bitsPos (or
// right after the palette when bitsPos is 0). heightDiv 2 for icon images.
TDib ReadDib(const TReader& r, std::size_t pos, std::size_t bitsPos, int heightDiv,
             std::size_t* end) {
  std::uint32_t hsize = r.U32(pos);
  if (hsize < 40) throw EInvalidGraphic("Unsupported bitmap header");
  TDib dib;
  std::int64_t w = r.I32(pos + 4), h = r.I32(pos + 8);
  dib.Bpp = r.U16(pos + 14);
  std::uint32_t compression = r.U32(pos + 16);
  std::uint32_t clrUsed = r.U32(pos + 32);
  if (compression != 0) throw EInvalidGraphic("Unsupported bitmap compression");
  if (h < 0) {
    dib.TopDown = true;
    h = -h;
  }
  h /= heightDiv;
  CheckSize(w, h, "bitmap");
  dib.Width = static_cast<int>(w);
  dib.Height = static_cast<int>(h);
  std::vector<TPixel> palette;
  std::size_t p = pos + hsize;
  if (dib.Bpp <= 8) {
    if (dib.Bpp != 1 && dib.Bpp != 4 && dib.Bpp != 8)
      throw EInvalidGraphic("Unsupported bitmap depth");
    std::uint32_t n = clrUsed ? clrUsed : (1u << dib.Bpp);
    if (n > 256) throw EInvalidGraphic("Unsupported bitmap palette");
    for (std::uint32_t i = 0; i < n; ++i, p += 4)
      palette.push_back({r.U8(p + 2), r.U8(p + 1), r.U8(p), 0});
  } else if (dib.Bpp != 24 && dib.Bpp != 32) {
    throw EInvalidGraphic("Unsupported bitmap depth");
  }
  if (bitsPos) p = bitsPos;
  std::size_t row = RowBytes(dib.Width, dib.Bpp);
  r.Need(p, row * static_cast<std::size_t>(dib.Height));
  dib.Pixels.resize(static_cast<std::size_t>(dib.Width) * dib.Height);
  for (int y = 0; y < dib.Height; ++y) {
    std::size_t rp = p + row * static_cast<std::size_t>(y);
    int ty = dib.TopDown ? y : dib.Height - 1 - y;
    for (int x = 0; x < dib.Width; ++x) {
      TPixel px;
      if (dib.Bpp == 32) {
        std::size_t q = rp + static_cast<std::size_t>(x) * 4;
        px = {r.U8(q + 2), r.U8(q + 1), r.U8(q), r.U8(q + 3)};
      } else if (dib.Bpp == 24) {
        std::size_t q = rp + static_cast<std::size_t>(x) * 3;
        px = {r.U8(q + 2), r.U8(q + 1), r.U8(q), 0};
      } else {
        int bit = x * dib.Bpp;
        unsigned byte = r.U8(rp + bit / 8);
        unsigned idx = (byte >> (8 - dib.Bpp - bit % 8)) & ((1u << dib.Bpp) - 1);
        if (idx >= palette.size()) throw EInvalidGraphic("Invalid bitmap palette index");
        px = palette[idx];
      }
      dib.Pixels[static_cast<std::size_t>(ty) * dib.Width + x] = px;
    }
  }
  if (end) *end = p + row * static_cast<std::size_t>(dib.Height);
  return dib;
}

// BITMAPINFOHEADER + bottom-up rows of 24 or 32 bits; heightMul 2 for icons.
void WriteDib(std::string& out, int w, int h, int bpp, int heightMul, const std::vector<TPixel>& px,
              std::uint32_t extraImageBytes) {
  std::size_t row = RowBytes(w, bpp);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h * heightMul));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bpp));
  Put32(out, 0);
  Put32(out, static_cast<std::uint32_t>(row * h) + extraImageBytes);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = h - 1; y >= 0; --y) {
    std::size_t start = out.size();
    for (int x = 0; x < w; ++x) {
      const TPixel& p = px[static_cast<std::size_t>(y) * w + x];
      out.push_back(static_cast<char>(p.B));
      out.push_back(static_cast<char>(p.G));
      out.push_back(static_cast<char>(p.R));
      if (bpp == 32) out.push_back(static_cast<char>(p.A));
    }
    out.resize(start + row, '\0');
  }
}

struct TPngPixels {
  int Width = 0, Height = 0;
  bool Alpha = false;
  std::vector<TPixel> Pixels;
};

TPngPixels DecodePng(std::string_view data) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&img, data.data(), data.size()))
    throw EInvalidGraphic(Format("Invalid PNG data: %s", img.message));
  TPngPixels out;
  try {
    CheckSize(img.width, img.height, "PNG");
  } catch (...) {
    png_image_free(&img);
    throw;
  }
  out.Width = static_cast<int>(img.width);
  out.Height = static_cast<int>(img.height);
  out.Alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_RGBA;
  out.Pixels.resize(static_cast<std::size_t>(out.Width) * out.Height);
  if (!png_image_finish_read(&img, nullptr, out.Pixels.data(), 0, nullptr))
    throw EInvalidGraphic(Format("Invalid PNG data: %s", img.message));
  return out;
}

std::string EncodePng(int w, int h, bool alpha, const std::vector<TPixel>& px) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(w);
  img.height = static_cast<png_uint_32>(h);
  std::vector<std::uint8_t> rows;
  const void* buffer = px.data();
  if (alpha) {
    img.format = PNG_FORMAT_RGBA;
  } else {
    img.format = PNG_FORMAT_RGB;
    rows.reserve(px.size() * 3);
    for (const TPixel& p : px) rows.insert(rows.end(), {p.R, p.G, p.B});
    buffer = rows.data();
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, buffer, 0, nullptr))
    throw EInvalidGraphic(Format("Cannot write PNG: %s", img.message));
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&img, out.data(), &size, 0, buffer, 0, nullptr))
    throw EInvalidGraphic(Format("Cannot write PNG: %s", img.message));
  out.resize(size);
  return out;
}

// A new graphic of the class of g with its image (Assign of that class).
template <class T>
Owned<TGraphic> CloneOf(const T* g) {
  auto copy = CreateOwned<T>();
  copy->Assign(g);
  return copy;
}

bool StartsWith(std::string_view d, std::string_view prefix) {
  return d.substr(0, prefix.size()) == prefix;
}

}  // namespace

// ---------------------------------------------------------------- kinds

TGraphicKind ZQGraphicKindOfData(std::string_view d) {
  if (StartsWith(d, "\x89PNG")) return TGraphicKind::gkPng;
  if (StartsWith(d, "BM")) return TGraphicKind::gkBitmap;
  if (StartsWith(d, "\xFF\xD8\xFF")) return TGraphicKind::gkJpeg;
  if (StartsWith(d, "GIF8")) return TGraphicKind::gkGif;
  if (StartsWith(d, std::string_view("\0\0\1\0", 4))) return TGraphicKind::gkIcon;
  return TGraphicKind::gkUnknown;
}

std::string ZQGraphicKindExt(TGraphicKind kind) {
  switch (kind) {
    case TGraphicKind::gkPng:
      return "png";
    case TGraphicKind::gkIcon:
      return "ico";
    case TGraphicKind::gkJpeg:
      return "jpg";
    case TGraphicKind::gkGif:
      return "gif";
    case TGraphicKind::gkBitmap:
      return "bmp";
    default:
      return {};
  }
}

TPixel ZQColorPixel(TColor c) {
  return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
          static_cast<std::uint8_t>((c >> 16) & 0xFF), 255};
}

Owned<TGraphic> ZQCreateGraphic(TGraphicKind kind) {
  switch (kind) {
    case TGraphicKind::gkPng:
      return CreateOwned<TPngImage>();
    case TGraphicKind::gkIcon:
      return CreateOwned<TIcon>();
    case TGraphicKind::gkJpeg:
      return CreateOwned<TJPEGImage>();
    case TGraphicKind::gkGif:
      return CreateOwned<TGIFImage>();
    case TGraphicKind::gkBitmap:
      return CreateOwned<TBitmap>();
    default:
      return nullptr;
  }
}

// ---------------------------------------------------------------- TGraphic

void TGraphic::LoadFromStream(std::istream& stream) {
  std::string data((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  LoadFromData(data);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  std::ifstream f(fileName, std::ios::binary);
  if (!f) throw EInvalidGraphic(Format("Cannot open file \"%s\"", fileName));
  LoadFromStream(f);
}

void TGraphic::SaveToStream(std::ostream& stream) const {
  std::string data = SaveToData();
  stream.write(data.data(), static_cast<std::streamsize>(data.size()));
}

void TGraphic::SaveToFile(const std::string& fileName) const {
  std::string data = SaveToData();
  std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
  if (!f) throw EInvalidGraphic(Format("Cannot create file \"%s\"", fileName));
  f.write(data.data(), static_cast<std::streamsize>(data.size()));
  if (!f.flush()) throw EInvalidGraphic(Format("Cannot write file \"%s\"", fileName));
}

// ---------------------------------------------------------------- raster

void TRasterGraphic::SetSize(int w, int h) {
  if (w < 0 || h < 0) w = h = 0;
  if (w > 0 && h > 0) CheckSize(w, h, "image");
  FPixels.assign(static_cast<std::size_t>(w) * h, TPixel{});
  SetDimensions(w, h);
  Changed();
}

std::size_t TRasterGraphic::Index(int x, int y) const {
  if (x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight())
    throw ERangeError(Format("Pixel (%d, %d) outside the image", x, y));
  return static_cast<std::size_t>(y) * GetWidth() + x;
}

void TRasterGraphic::SetPixel(int x, int y, TPixel p) {
  FPixels[Index(x, y)] = p;
  Changed();
}

void TRasterGraphic::SetPixels(std::vector<TPixel> pixels) {
  if (pixels.size() != FPixels.size())
    throw ERangeError("Pixel count does not match the image size");
  FPixels = std::move(pixels);
  Changed();
}

// ---------------------------------------------------------------- PNG

void TPngImage::LoadFromData(std::string_view data) {
  TPngPixels png = DecodePng(data);
  FPixels = std::move(png.Pixels);
  FHasAlpha = png.Alpha;
  SetDimensions(png.Width, png.Height);
  Changed();
}

std::string TPngImage::SaveToData() const {
  if (GetEmpty()) throw EInvalidGraphic("Cannot save an empty PNG image");
  return EncodePng(GetWidth(), GetHeight(), FHasAlpha, FPixels);
}

Owned<TGraphic> TPngImage::Clone() const {
  return CloneOf(this);
}

void TPngImage::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TPngImage*>(Source)) {
    CopyRaster(*s);
    FHasAlpha = s->FHasAlpha;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------- bitmap

TColor TBitmap::EffectiveTransparentColor() const {
  if (TransparentMode == TTransparentMode::tmFixed || GetEmpty()) return TransparentColor;
  TPixel p = Pixel(0, GetHeight() - 1);
  return p.R | (p.G << 8) | (p.B << 16);
}

void TBitmap::LoadFromData(std::string_view data) {
  TReader r(data, "bitmap");
  if (!StartsWith(data, "BM")) throw EInvalidGraphic("Invalid bitmap data");
  TDib dib = ReadDib(r, 14, r.U32(10), 1, nullptr);
  PixelFormat = dib.Bpp == 32 ? TPixelFormat::pf32bit : TPixelFormat::pf24bit;
  if (dib.Bpp != 32)
    for (TPixel& p : dib.Pixels) p.A = 255;
  FPixels = std::move(dib.Pixels);
  SetDimensions(dib.Width, dib.Height);
  Changed();
}

std::string TBitmap::SaveToData() const {
  if (GetEmpty()) throw EInvalidGraphic("Cannot save an empty bitmap");
  int bpp = PixelFormat == TPixelFormat::pf32bit ? 32 : 24;
  std::string dib;
  WriteDib(dib, GetWidth(), GetHeight(), bpp, 1, FPixels, 0);
  std::string out = "BM";
  Put32(out, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 14 + 40);
  return out + dib;
}

Owned<TGraphic> TBitmap::Clone() const {
  return CloneOf(this);
}

void TBitmap::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TBitmap*>(Source)) {
    CopyRaster(*s);
    PixelFormat = s->PixelFormat;
    Transparent = s->Transparent;
    TransparentMode = s->TransparentMode;
    TransparentColor = s->TransparentColor;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------- icon

void TIcon::SetSize(int w, int h) {
  FData.clear();
  FMask.assign(static_cast<std::size_t>(std::max(w, 0)) * std::max(h, 0), false);
  TRasterGraphic::SetSize(w, h);
}

void TIcon::SetBitsPerPixel(int bpp) {
  if (bpp != 24 && bpp != 32) throw EInvalidGraphic(Format("Unsupported icon depth %d", bpp));
  FBitsPerPixel = bpp;
  FData.clear();
  Changed();
}

void TIcon::SetMasked(int x, int y, bool masked) {
  FMask[Index(x, y)] = masked;
  FData.clear();
  Changed();
}

void TIcon::LoadFromData(std::string_view data) {
  TReader r(data, "icon");
  if (r.U16(0) != 0 || r.U16(2) != 1) throw EInvalidGraphic("Invalid icon data");
  int count = r.U16(4);
  if (count == 0) throw EInvalidGraphic("Icon without images");
  // The largest image, the first of equal ones.
  int best = -1, bestArea = -1;
  for (int i = 0; i < count; ++i) {
    std::size_t e = 6 + static_cast<std::size_t>(i) * 16;
    int w = r.U8(e) ? r.U8(e) : 256, h = r.U8(e + 1) ? r.U8(e + 1) : 256;
    if (w * h > bestArea) {
      best = i;
      bestArea = w * h;
    }
  }
  std::size_t e = 6 + static_cast<std::size_t>(best) * 16;
  std::uint32_t size = r.U32(e + 8), offset = r.U32(e + 12);
  r.Need(offset, size);
  std::string_view image = data.substr(offset, size);
  std::vector<TPixel> pixels;
  std::vector<bool> mask;
  int w = 0, h = 0, bpp = 0;
  if (StartsWith(image, "\x89PNG")) {
    TPngPixels png = DecodePng(image);
    w = png.Width;
    h = png.Height;
    bpp = 32;
    pixels = std::move(png.Pixels);
    for (const TPixel& p : pixels) mask.push_back(p.A == 0);
  } else {
    TReader ir(image, "icon");
    std::size_t end = 0;
    TDib dib = ReadDib(ir, 0, 0, 2, &end);
    w = dib.Width;
    h = dib.Height;
    bpp = dib.Bpp;
    pixels = std::move(dib.Pixels);
    std::size_t row = RowBytes(w, 1);
    ir.Need(end, row * static_cast<std::size_t>(h));
    mask.resize(pixels.size());
    for (int y = 0; y < h; ++y) {
      std::size_t rp = end + row * static_cast<std::size_t>(y);
      int ty = dib.TopDown ? y : h - 1 - y;
      for (int x = 0; x < w; ++x)
        mask[static_cast<std::size_t>(ty) * w + x] = (ir.U8(rp + x / 8) >> (7 - x % 8)) & 1;
    }
  }
  FPixels = std::move(pixels);
  FMask = std::move(mask);
  FBitsPerPixel = bpp;
  SetDimensions(w, h);
  FData.assign(data);
  Changed();
}

std::string TIcon::SaveToData() const {
  if (!FData.empty()) return FData;
  if (GetEmpty()) throw EInvalidGraphic("Cannot save an empty icon");
  int w = GetWidth(), h = GetHeight();
  if (w > 256 || h > 256) throw EInvalidGraphic("Icons are at most 256 pixels wide and high");
  std::size_t maskRow = RowBytes(w, 1);
  std::string dib;
  WriteDib(dib, w, h, FBitsPerPixel, 2, FPixels, static_cast<std::uint32_t>(maskRow * h));
  for (int y = h - 1; y >= 0; --y) {
    std::string row(maskRow, '\0');
    for (int x = 0; x < w; ++x)
      if (FMask[static_cast<std::size_t>(y) * w + x])
        row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    dib += row;
  }
  std::string out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<char>(w == 256 ? 0 : w));
  out.push_back(static_cast<char>(h == 256 ? 0 : h));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(FBitsPerPixel));
  Put32(out, static_cast<std::uint32_t>(dib.size()));
  Put32(out, 6 + 16);
  return out + dib;
}

Owned<TGraphic> TIcon::Clone() const {
  return CloneOf(this);
}

void TIcon::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TIcon*>(Source)) {
    CopyRaster(*s);
    FMask = s->FMask;
    FBitsPerPixel = s->FBitsPerPixel;
    FData = s->FData;
    Changed();
    return;
  }
  inherited::Assign(Source);
}

// ---------------------------------------------------------------- JPEG, GIF

void TEncodedGraphic::Assign(const TPersistent* Source) {
  auto* s = dynamic_cast<const TEncodedGraphic*>(Source);
  if (s && s->GetKind() == GetKind()) {
    Keep(s->FData, s->GetWidth(), s->GetHeight());
    return;
  }
  inherited::Assign(Source);
}

void TEncodedGraphic::Keep(std::string_view data, int w, int h) {
  CheckSize(w, h, "image");
  FData.assign(data);
  SetDimensions(w, h);
  Changed();
}

void TJPEGImage::LoadFromData(std::string_view data) {
  TReader r(data, "JPEG");
  if (!StartsWith(data, "\xFF\xD8")) throw EInvalidGraphic("Invalid JPEG data");
  std::size_t p = 2;
  for (;;) {
    if (r.U8(p) != 0xFF) throw EInvalidGraphic("Invalid JPEG data");
    while (r.U8(p) == 0xFF) ++p;  // fill bytes
    std::uint8_t m = r.U8(p++);
    if (m == 0x01 || (m >= 0xD0 && m <= 0xD8)) continue;  // markers without a length
    if (m == 0xD9 || m == 0xDA) throw EInvalidGraphic("JPEG data without a frame header");
    std::uint16_t len = r.U16BE(p);
    if (len < 2) throw EInvalidGraphic("Invalid JPEG data");
    bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (sof) {
      Keep(data, r.U16BE(p + 5), r.U16BE(p + 3));
      return;
    }
    p += len;
  }
}

Owned<TGraphic> TJPEGImage::Clone() const {
  return CloneOf(this);
}

void TGIFImage::LoadFromData(std::string_view data) {
  TReader r(data, "GIF");
  if (!StartsWith(data, "GIF87a") && !StartsWith(data, "GIF89a"))
    throw EInvalidGraphic("Invalid GIF data");
  Keep(data, r.U16(6), r.U16(8));
}

Owned<TGraphic> TGIFImage::Clone() const {
  return CloneOf(this);
}

// ---------------------------------------------------------------- to PNG

Owned<TPngImage> ConvertGraphicToPng(const TGraphic& graphic) {
  if (auto* png = dynamic_cast<const TPngImage*>(&graphic)) {
    auto copy = CreateOwned<TPngImage>();
    copy->Assign(png);
    return copy;
  }
  auto* raster = dynamic_cast<const TRasterGraphic*>(&graphic);
  if (!raster)
    throw EInvalidGraphic(
        Format("Cannot convert a %s image to PNG", ZQGraphicKindExt(graphic.GetKind())));
  int w = graphic.GetWidth(), h = graphic.GetHeight();
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(w) * h, 255);
  bool useAlpha = false;
  const std::vector<TPixel>& px = raster->Pixels();
  if (auto* bmp = dynamic_cast<const TBitmap*>(&graphic)) {
    if (bmp->Transparent && !bmp->GetEmpty()) {
      TPixel t = ZQColorPixel(bmp->EffectiveTransparentColor());
      for (std::size_t i = 0; i < px.size(); ++i)
        if (px[i].R == t.R && px[i].G == t.G && px[i].B == t.B) {
          alpha[i] = 0;
          useAlpha = true;
        }
    }
  } else if (auto* icon = dynamic_cast<const TIcon*>(&graphic)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (icon->Masked(x, y)) {
          alpha[static_cast<std::size_t>(y) * w + x] = 0;
          useAlpha = true;
        }
    bool anyAlpha = icon->BitsPerPixel() == 32 &&
                    std::any_of(px.begin(), px.end(), [](const TPixel& p) { return p.A != 0; });
    if (anyAlpha) {
      for (std::size_t i = 0; i < px.size(); ++i) alpha[i] = px[i].A;
      useAlpha = true;
    }
  }
  std::vector<TPixel> rgba(px.size());
  for (std::size_t i = 0; i < px.size(); ++i)
    rgba[i] = {px[i].R, px[i].G, px[i].B, useAlpha ? alpha[i] : std::uint8_t{255}};
  auto out = CreateOwned<TPngImage>();
  out->SetSize(w, h);
  out->SetPixels(std::move(rgba));
  out->SetHasAlpha(useAlpha);
  return out;
}

// ---------------------------------------------------------------- picture

TPicture::~TPicture() {
  if (FGraphic) FGraphic->OnChange = nullptr;
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  SetGraphic(graphic ? graphic->Clone() : Owned<TGraphic>());
}

void TPicture::SetGraphic(Owned<TGraphic> graphic) {
  if (FGraphic) FGraphic->OnChange = nullptr;
  FGraphic = std::move(graphic);
  if (FGraphic) FGraphic->OnChange = [this] { Changed(); };
  Changed();
}

void TPicture::Assign(const TPersistent* Source) {
  if (!Source) {
    SetGraphic(Owned<TGraphic>());
  } else if (auto* p = dynamic_cast<const TPicture*>(Source)) {
    SetGraphic(p->GetGraphic());
  } else if (auto* g = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    inherited::Assign(Source);
  }
}

void TPicture::LoadFromData(std::string_view data) {
  Owned<TGraphic> g = ZQCreateGraphic(ZQGraphicKindOfData(data));
  if (!g) throw EInvalidGraphic("Unknown picture format");
  g->LoadFromData(data);
  SetGraphic(std::move(g));
}

void TPicture::LoadFromFile(const std::string& fileName) {
  std::ifstream f(fileName, std::ios::binary);
  if (!f) throw EInvalidGraphic(Format("Cannot open file \"%s\"", fileName));
  std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  LoadFromData(data);
}

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- image list

void TImageList::SetSize(int w, int h) {
  CheckSize(w, h, "image list");
  FWidth = w;
  FHeight = h;
  FImages.clear();
}

int TImageList::Add(const TGraphic& graphic) {
  if (graphic.GetWidth() != FWidth || graphic.GetHeight() != FHeight)
    throw EInvalidGraphic("Invalid image size");
  Owned<TPngImage> png = ConvertGraphicToPng(graphic);
  std::vector<TPixel> px = png->Pixels();
  FImages.push_back(std::move(px));
  return Count() - 1;
}

TPixel TImageList::Pixel(int index, int x, int y) const {
  if (index < 0 || index >= Count() || x < 0 || y < 0 || x >= FWidth || y >= FHeight)
    throw ERangeError(Format("Image list index out of bounds (%d)", index));
  return FImages[static_cast<std::size_t>(index)][static_cast<std::size_t>(y) * FWidth + x];
}

void TImageList::Draw(int index, TBitmap& into) const {
  if (index < 0 || index >= Count())
    throw ERangeError(Format("Image list index out of bounds (%d)", index));
  bool onColor = BkColor != clNone && BkColor != clDefault;
  into.PixelFormat = onColor ? TPixelFormat::pf24bit : TPixelFormat::pf32bit;
  into.SetSize(FWidth, FHeight);
  TPixel bk = ZQColorPixel(BkColor);
  std::vector<TPixel> px = FImages[static_cast<std::size_t>(index)];
  if (onColor)
    for (TPixel& p : px) {
      auto mix = [&](std::uint8_t c, std::uint8_t b) {
        return static_cast<std::uint8_t>((c * p.A + b * (255 - p.A) + 127) / 255);
      };
      p = {mix(p.R, bk.R), mix(p.G, bk.G), mix(p.B, bk.B), 255};
    }
  into.SetPixels(std::move(px));
}

}  // namespace zq
