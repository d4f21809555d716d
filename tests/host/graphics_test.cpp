// The image layer: kinds, PNG through libpng, bitmaps, icons and their
// conversion to PNG, JPEG and GIF sizes, pictures and image lists. Every image
// is made here, byte by byte, and PNG output is read back with libpng
// directly (not through the layer under test).
#include "host/graphics.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "error_message.h"

namespace zq {
namespace {

using Bytes = std::string;

void P16(Bytes& b, unsigned v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void P32(Bytes& b, std::uint32_t v) {
  P16(b, v & 0xFFFF);
  P16(b, v >> 16);
}

struct Decoded {
  int W = 0, H = 0;
  bool Alpha = false;
  std::vector<std::uint8_t> Rgba;
  TPixel At(int x, int y) const {
    std::size_t i = (static_cast<std::size_t>(y) * W + x) * 4;
    return {Rgba[i], Rgba[i + 1], Rgba[i + 2], Rgba[i + 3]};
  }
};

Decoded DecodeWithLibpng(const Bytes& png) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&img, png.data(), png.size())) << img.message;
  Decoded d;
  d.W = static_cast<int>(img.width);
  d.H = static_cast<int>(img.height);
  d.Alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_RGBA;
  d.Rgba.resize(PNG_IMAGE_SIZE(img));
  EXPECT_TRUE(png_image_finish_read(&img, nullptr, d.Rgba.data(), 0, nullptr)) << img.message;
  return d;
}

Bytes EncodeWithLibpng(int w, int h, const std::vector<std::uint8_t>& rgba) {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  img.width = w;
  img.height = h;
  img.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, rgba.data(), 0, nullptr);
  Bytes out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, rgba.data(), 0, nullptr));
  out.resize(size);
  return out;
}

// An icon file with one DIB image. colour(x, y) gives B,G,R,A; masked(x, y)
// sets the AND bit. bpp 24 or 32. Rows are written bottom-up and padded.
template <class C, class M>
Bytes MakeIco(int w, int h, int bpp, C colour, M masked) {
  Bytes dib;
  std::size_t row = ((w * bpp + 31) / 32) * 4, mrow = ((w + 31) / 32) * 4;
  P32(dib, 40);
  P32(dib, w);
  P32(dib, h * 2);
  P16(dib, 1);
  P16(dib, bpp);
  P32(dib, 0);
  P32(dib, static_cast<std::uint32_t>((row + mrow) * h));
  P32(dib, 0), P32(dib, 0), P32(dib, 0), P32(dib, 0);
  for (int y = h - 1; y >= 0; --y) {
    Bytes r;
    for (int x = 0; x < w; ++x) {
      std::uint32_t c = colour(x, y);  // 0xAARRGGBB
      r.push_back(static_cast<char>(c & 0xFF));
      r.push_back(static_cast<char>((c >> 8) & 0xFF));
      r.push_back(static_cast<char>((c >> 16) & 0xFF));
      if (bpp == 32) r.push_back(static_cast<char>(c >> 24));
    }
    r.resize(row, '\0');
    dib += r;
  }
  for (int y = h - 1; y >= 0; --y) {
    Bytes r(mrow, '\0');
    for (int x = 0; x < w; ++x)
      if (masked(x, y)) r[x / 8] = static_cast<char>(r[x / 8] | (0x80 >> (x % 8)));
    dib += r;
  }
  Bytes ico;
  P16(ico, 0), P16(ico, 1), P16(ico, 1);
  ico.push_back(static_cast<char>(w)), ico.push_back(static_cast<char>(h)), ico.push_back(0),
      ico.push_back(0);
  P16(ico, 1), P16(ico, bpp), P32(ico, static_cast<std::uint32_t>(dib.size())), P32(ico, 22);
  return ico + dib;
}

Bytes Bmp24(int w, int h, const std::vector<std::uint32_t>& rgbTopDown) {
  std::size_t row = ((w * 24 + 31) / 32) * 4;
  Bytes b = "BM";
  P32(b, static_cast<std::uint32_t>(54 + row * h)), P32(b, 0), P32(b, 54);
  P32(b, 40), P32(b, w), P32(b, h), P16(b, 1), P16(b, 24), P32(b, 0),
      P32(b, static_cast<std::uint32_t>(row * h));
  P32(b, 0), P32(b, 0), P32(b, 0), P32(b, 0);
  for (int y = h - 1; y >= 0; --y) {
    Bytes r;
    for (int x = 0; x < w; ++x) {
      std::uint32_t c = rgbTopDown[static_cast<std::size_t>(y) * w + x];  // 0xRRGGBB
      r.push_back(static_cast<char>(c & 0xFF)), r.push_back(static_cast<char>((c >> 8) & 0xFF));
      r.push_back(static_cast<char>((c >> 16) & 0xFF));
    }
    r.resize(row, '\0');
    b += r;
  }
  return b;
}

TEST(GraphicKinds, MagicBytesExtensionsAndFactories) {
  EXPECT_EQ(ZQGraphicKindOfData("\x89PNG\r\n"), TGraphicKind::gkPng);
  EXPECT_EQ(ZQGraphicKindOfData("BM...."), TGraphicKind::gkBitmap);
  EXPECT_EQ(ZQGraphicKindOfData("\xFF\xD8\xFF\xE0"), TGraphicKind::gkJpeg);
  EXPECT_EQ(ZQGraphicKindOfData("GIF89a"), TGraphicKind::gkGif);
  EXPECT_EQ(ZQGraphicKindOfData(std::string("\0\0\1\0\1\0", 6)), TGraphicKind::gkIcon);
  EXPECT_EQ(ZQGraphicKindOfData(std::string("\0\0\2\0", 4)),
            TGraphicKind::gkUnknown);  // a cursor file
  EXPECT_EQ(ZQGraphicKindOfData("\xFF\xD8"), TGraphicKind::gkUnknown);
  EXPECT_EQ(ZQGraphicKindOfData(""), TGraphicKind::gkUnknown);
  const std::pair<TGraphicKind, const char*> exts[] = {
      {TGraphicKind::gkPng, "png"}, {TGraphicKind::gkIcon, "ico"},   {TGraphicKind::gkJpeg, "jpg"},
      {TGraphicKind::gkGif, "gif"}, {TGraphicKind::gkBitmap, "bmp"}, {TGraphicKind::gkUnknown, ""}};
  for (auto [kind, ext] : exts) {
    EXPECT_EQ(ZQGraphicKindExt(kind), ext);
    auto g = ZQCreateGraphic(kind);
    if (kind == TGraphicKind::gkUnknown) {
      EXPECT_EQ(g, nullptr);
    } else {
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(g->GetKind(), kind);
      EXPECT_TRUE(g->GetEmpty());
    }
  }
}

TEST(PngImage, WritesThePixelsLibpngReadsBackAndLoadsThemAgain) {
  auto png = CreateOwned<TPngImage>();
  png->SetSize(3, 2);
  png->SetHasAlpha(true);
  png->SetPixel(0, 0, {255, 0, 0, 255});
  png->SetPixel(1, 0, {0, 255, 0, 128});
  png->SetPixel(2, 1, {1, 2, 3, 4});
  Bytes data = png->SaveToData();
  Decoded d = DecodeWithLibpng(data);
  EXPECT_EQ(d.W, 3);
  EXPECT_EQ(d.H, 2);
  EXPECT_TRUE(d.Alpha);
  EXPECT_EQ(d.At(0, 0), (TPixel{255, 0, 0, 255}));
  EXPECT_EQ(d.At(1, 0), (TPixel{0, 255, 0, 128}));
  EXPECT_EQ(d.At(2, 1), (TPixel{1, 2, 3, 4}));
  EXPECT_EQ(d.At(0, 1), (TPixel{0, 0, 0, 0}));

  auto back = CreateOwned<TPngImage>();
  back->LoadFromData(data);
  EXPECT_EQ(back->Pixels(), png->Pixels());
  EXPECT_TRUE(back->HasAlpha());

  png->SetHasAlpha(false);
  Decoded opaque = DecodeWithLibpng(png->SaveToData());
  EXPECT_FALSE(opaque.Alpha);
  EXPECT_EQ(opaque.At(1, 0), (TPixel{0, 255, 0, 255}));
}

TEST(PngImage, RefusesBrokenDataAndEmptySaves) {
  auto png = CreateOwned<TPngImage>();
  Bytes good = EncodeWithLibpng(2, 2, std::vector<std::uint8_t>(16, 9));
  EXPECT_THROW(png->LoadFromData(good.substr(0, good.size() / 2)), EInvalidGraphic);
  EXPECT_THROW(png->LoadFromData("GIF89a"), EInvalidGraphic);
  EXPECT_TRUE(png->GetEmpty());
  EXPECT_THROW(png->SaveToData(), EInvalidGraphic);
}

TEST(EncodedGraphics, JpegAndGifSizesFromTheirHeaders) {
  // SOI, APP0 (16 bytes), SOF0: precision 8, height 48, width 64.
  Bytes jpeg = "\xFF\xD8\xFF\xE0";
  P16(jpeg, 0x1000);  // big-endian 16
  jpeg += Bytes("JFIF\0\1\1\0\0\1\0\1\0\0", 14);
  jpeg += Bytes("\xFF\xC0\x00\x11\x08\x00\x30\x00\x40\x03", 10) + Bytes(9, '\1') + "\xFF\xD9";
  auto j = CreateOwned<TJPEGImage>();
  j->LoadFromData(jpeg);
  EXPECT_EQ(j->GetWidth(), 64);
  EXPECT_EQ(j->GetHeight(), 48);
  EXPECT_EQ(j->SaveToData(), jpeg);
  EXPECT_EQ(j->Clone()->GetWidth(), 64);
  EXPECT_THROW(CreateOwned<TJPEGImage>()->LoadFromData(jpeg.substr(0, 24)), EInvalidGraphic);
  EXPECT_THROW(CreateOwned<TJPEGImage>()->LoadFromData("\xFF\xD8\xFF\xDA\x00\x02"),
               EInvalidGraphic);

  Bytes gif = Bytes("GIF89a\x20\x00\x10\x00\xF0\x00\x00", 13) + "\x3B";
  auto g = CreateOwned<TGIFImage>();
  g->LoadFromData(gif);
  EXPECT_EQ(g->GetWidth(), 32);
  EXPECT_EQ(g->GetHeight(), 16);
  EXPECT_EQ(g->SaveToData(), gif);
  EXPECT_THROW(CreateOwned<TGIFImage>()->LoadFromData("GIF89a\x20"), EInvalidGraphic);
  EXPECT_EQ(test::Message([&] { ConvertGraphicToPng(*g); }), "Cannot convert a gif image to PNG");
}

TEST(Bitmap, ReadsPaddedBottomUpRowsAndWritesThemBack) {
  Bytes bmp = Bmp24(3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x010203, 0x040506, 0x070809});
  auto b = CreateOwned<TBitmap>();
  b->LoadFromData(bmp);
  EXPECT_EQ(b->GetWidth(), 3);
  EXPECT_EQ(b->GetHeight(), 2);
  EXPECT_EQ(b->Pixel(0, 0), (TPixel{255, 0, 0, 255}));
  EXPECT_EQ(b->Pixel(2, 0), (TPixel{0, 0, 255, 255}));
  EXPECT_EQ(b->Pixel(1, 1), (TPixel{4, 5, 6, 255}));
  Bytes saved = b->SaveToData();
  EXPECT_EQ(saved.substr(0, 38), bmp.substr(0, 38));  // headers up to the resolution
  EXPECT_EQ(saved.substr(54), bmp.substr(54));        // the padded rows

  b->PixelFormat = TPixelFormat::pf32bit;
  b->SetPixel(0, 1, {9, 8, 7, 100});
  auto c = CreateOwned<TBitmap>();
  c->LoadFromData(b->SaveToData());
  EXPECT_EQ(c->PixelFormat, TPixelFormat::pf32bit);
  EXPECT_EQ(c->Pixel(0, 1), (TPixel{9, 8, 7, 100}));

  Bytes huge = bmp;
  huge[18] = '\xFF', huge[19] = '\xFF', huge[20] = '\xFF', huge[21] = '\x0F';  // width 268 million
  EXPECT_THROW(CreateOwned<TBitmap>()->LoadFromData(huge), EInvalidGraphic);
  EXPECT_THROW(CreateOwned<TBitmap>()->LoadFromData(bmp.substr(0, 60)), EInvalidGraphic);
}

TEST(ConvertToPng, BitmapTransparencyByFixedOrBottomLeftColour) {
  auto b = CreateOwned<TBitmap>();
  b->LoadFromData(Bmp24(2, 2, {0x112233, 0xFF00FF, 0xFF00FF, 0x445566}));
  Decoded plain = DecodeWithLibpng(ConvertGraphicToPng(*b)->SaveToData());
  EXPECT_FALSE(plain.Alpha);
  EXPECT_EQ(plain.At(1, 0), (TPixel{255, 0, 255, 255}));

  b->Transparent = true;  // automatic: the bottom-left pixel is FF00FF
  auto png = ConvertGraphicToPng(*b);
  EXPECT_TRUE(png->HasAlpha());
  EXPECT_EQ(png->Pixel(0, 0), (TPixel{0x11, 0x22, 0x33, 255}));
  EXPECT_EQ(png->Pixel(1, 0).A, 0);
  EXPECT_EQ(png->Pixel(0, 1).A, 0);
  EXPECT_EQ(png->Pixel(1, 1), (TPixel{0x44, 0x55, 0x66, 255}));

  b->TransparentMode = TTransparentMode::tmFixed;
  b->TransparentColor = 0x665544;  // 0x00BBGGRR of 44 55 66
  png = ConvertGraphicToPng(*b);
  EXPECT_EQ(png->Pixel(1, 1).A, 0);
  EXPECT_EQ(png->Pixel(1, 0).A, 255);
}

TEST(ConvertToPng, IconAlphaIsZeroExactlyWhereTheMaskIsSet) {
  // 3 x 2 (rows padded), 24 bits: the mask is set on the diagonal-ish cells.
  auto colour = [](int x, int y) { return 0x00102030u + static_cast<std::uint32_t>(x * 16 + y); };
  auto masked = [](int x, int y) { return (x + y) % 2 == 0; };
  auto icon = CreateOwned<TIcon>();
  icon->LoadFromData(MakeIco(3, 2, 24, colour, masked));
  EXPECT_EQ(icon->GetWidth(), 3);
  EXPECT_EQ(icon->GetHeight(), 2);
  EXPECT_EQ(icon->BitsPerPixel(), 24);
  Decoded d = DecodeWithLibpng(ConvertGraphicToPng(*icon)->SaveToData());
  ASSERT_EQ(d.W, 3);
  EXPECT_TRUE(d.Alpha);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      std::uint32_t c = colour(x, y);
      TPixel p = d.At(x, y);
      EXPECT_EQ(p.R, (c >> 16) & 0xFF) << x << "," << y;
      EXPECT_EQ(p.G, (c >> 8) & 0xFF);
      EXPECT_EQ(p.B, c & 0xFF);
      EXPECT_EQ(p.A, masked(x, y) ? 0 : 255) << x << "," << y;
    }

  auto solid = CreateOwned<TIcon>();
  solid->LoadFromData(MakeIco(2, 2, 24, colour, [](int, int) { return false; }));
  EXPECT_FALSE(ConvertGraphicToPng(*solid)->HasAlpha());
}

TEST(ConvertToPng, ThirtyTwoBitIconGivesItsAlphaBytes) {
  // Alpha bytes 0, 85, 170, 255; the mask (set on x == 1) is overridden.
  auto colour = [](int x, int y) {
    return (static_cast<std::uint32_t>((y * 2 + x) * 85) << 24) | 0x00A0B0C0u;
  };
  auto icon = CreateOwned<TIcon>();
  icon->LoadFromData(MakeIco(2, 2, 32, colour, [](int x, int) { return x == 1; }));
  auto png = ConvertGraphicToPng(*icon);
  EXPECT_EQ(png->Pixel(0, 0), (TPixel{0xA0, 0xB0, 0xC0, 0}));
  EXPECT_EQ(png->Pixel(1, 0).A, 85);
  EXPECT_EQ(png->Pixel(0, 1).A, 170);
  EXPECT_EQ(png->Pixel(1, 1).A, 255);

  // All alpha bytes zero: the mask decides.
  auto flat = CreateOwned<TIcon>();
  flat->LoadFromData(MakeIco(
      2, 2, 32, [](int, int) { return 0x00FFFFFFu; }, [](int x, int) { return x == 1; }));
  auto png2 = ConvertGraphicToPng(*flat);
  EXPECT_EQ(png2->Pixel(0, 0).A, 255);
  EXPECT_EQ(png2->Pixel(1, 0).A, 0);
  EXPECT_EQ(png2->Pixel(1, 1).A, 0);
}

TEST(Icon, LargestImageOfTheFileAndEmbeddedPng) {
  Bytes pngBytes = EncodeWithLibpng(4, 4, [] {
    std::vector<std::uint8_t> v(64);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::uint8_t>(i * 3);
    return v;
  }());
  Bytes small = MakeIco(
      2, 2, 24, [](int, int) { return 0u; }, [](int, int) { return false; });
  std::string_view smallImage = std::string_view(small).substr(22);
  // Two entries: the 2 x 2 DIB first, the 4 x 4 PNG second.
  Bytes ico;
  P16(ico, 0), P16(ico, 1), P16(ico, 2);
  ico += Bytes("\x02\x02\0\0", 4), P16(ico, 1), P16(ico, 24),
      P32(ico, static_cast<std::uint32_t>(smallImage.size())), P32(ico, 38);
  ico += Bytes("\x04\x04\0\0", 4), P16(ico, 1), P16(ico, 32),
      P32(ico, static_cast<std::uint32_t>(pngBytes.size())),
      P32(ico, static_cast<std::uint32_t>(38 + smallImage.size()));
  ico += std::string(smallImage) + pngBytes;
  auto icon = CreateOwned<TIcon>();
  icon->LoadFromData(ico);
  EXPECT_EQ(icon->GetWidth(), 4);
  auto png = ConvertGraphicToPng(*icon);
  EXPECT_EQ(png->Pixel(1, 0), (TPixel{12, 15, 18, 21}));
  EXPECT_EQ(png->Pixel(0, 0).A, 9);
  EXPECT_EQ(icon->SaveToData(), ico);  // its own format: the file as loaded

  Bytes cut = ico;
  cut[6 + 16 + 12] = '\xF0';  // second entry points past the end
  EXPECT_THROW(CreateOwned<TIcon>()->LoadFromData(cut), EInvalidGraphic);
}

TEST(Icon, MadeInCodeSavesAnIconFileThatLoadsBack) {
  auto icon = CreateOwned<TIcon>();
  icon->SetSize(5, 3);
  icon->SetBitsPerPixel(24);
  icon->SetPixel(4, 2, {10, 20, 30, 0});
  icon->SetMasked(0, 0, true);
  Bytes data = icon->SaveToData();
  EXPECT_EQ(ZQGraphicKindOfData(data), TGraphicKind::gkIcon);
  auto back = CreateOwned<TIcon>();
  back->LoadFromData(data);
  EXPECT_EQ(back->GetWidth(), 5);
  EXPECT_EQ(back->GetHeight(), 3);
  EXPECT_EQ(back->Pixel(4, 2), (TPixel{10, 20, 30, 0}));
  EXPECT_TRUE(back->Masked(0, 0));
  EXPECT_FALSE(back->Masked(1, 0));
}

TEST(Picture, SignalsEveryChangeAndLoadsByTheFirstBytes) {
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TPicture* p) {
    EXPECT_EQ(p, &pic);
    ++changes;
  };
  auto png = CreateOwned<TPngImage>();
  png->SetSize(2, 2);
  pic.SetGraphic(png.get());
  EXPECT_EQ(changes, 1);
  EXPECT_NE(pic.GetGraphic(), png.get());  // a copy
  png->SetPixel(0, 0, {1, 1, 1, 1});
  EXPECT_EQ(changes, 1);
  static_cast<TPngImage*>(pic.GetGraphic())->SetPixel(0, 0, {1, 1, 1, 1});
  EXPECT_EQ(changes, 2);

  pic.LoadFromData(Bmp24(3, 1, {0, 0, 0}));
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(pic.GetGraphic()->GetKind(), TGraphicKind::gkBitmap);
  EXPECT_EQ(pic.GetWidth(), 3);
  EXPECT_THROW(pic.LoadFromData("not an image"), EInvalidGraphic);
  EXPECT_EQ(pic.GetWidth(), 3);  // unchanged

  TPicture other;
  other.Assign(&pic);
  EXPECT_EQ(other.GetGraphic()->GetKind(), TGraphicKind::gkBitmap);
  pic.Assign(nullptr);
  EXPECT_EQ(pic.GetGraphic(), nullptr);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(other.GetHeight(), 1);
}

TEST(ImageList, DrawsOnTheBackgroundColourOrWithAlpha) {
  auto list = CreateOwned<TImageList>();
  list->SetSize(2, 1);
  auto png = CreateOwned<TPngImage>();
  png->SetSize(2, 1);
  png->SetHasAlpha(true);
  png->SetPixel(0, 0, {200, 100, 0, 255});
  png->SetPixel(1, 0, {255, 255, 255, 0});
  EXPECT_EQ(list->Add(*png), 0);
  auto wrong = CreateOwned<TPngImage>();
  wrong->SetSize(3, 3);
  EXPECT_EQ(test::Message([&] { list->Add(*wrong); }), "Invalid image size");
  EXPECT_EQ(list->Count(), 1);

  auto bmp = CreateOwned<TBitmap>();
  list->Draw(0, *bmp);
  EXPECT_EQ(bmp->PixelFormat, TPixelFormat::pf32bit);
  EXPECT_EQ(bmp->Pixel(1, 0).A, 0);
  list->BkColor = 0x0000FF;  // red
  list->Draw(0, *bmp);
  EXPECT_EQ(bmp->PixelFormat, TPixelFormat::pf24bit);
  EXPECT_EQ(bmp->Pixel(0, 0), (TPixel{200, 100, 0, 255}));
  EXPECT_EQ(bmp->Pixel(1, 0), (TPixel{255, 0, 0, 255}));
  EXPECT_THROW(list->Draw(1, *bmp), ERangeError);
}

}  // namespace
}  // namespace zq
