// Image files reach the image layer from applications that accept them from
// users: any bytes must either load or raise EInvalidGraphic, and whatever
// loads with pixels must convert to a PNG that reads back at the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zq::TPicture picture;
  try {
    picture.LoadFromData(bytes);
  } catch (const zq::EInvalidGraphic&) {
    return 0;
  }
  zq::TGraphic* g = picture.GetGraphic();
  if (!g || g->GetEmpty()) std::abort();
  if (g->GetKind() == zq::TGraphicKind::gkJpeg || g->GetKind() == zq::TGraphicKind::gkGif) return 0;
  if (static_cast<std::int64_t>(g->GetWidth()) * g->GetHeight() > 1 << 20)
    return 0;  // keep runs fast
  auto png = zq::ConvertGraphicToPng(*g);
  auto back = zq::CreateOwned<zq::TPngImage>();
  back->LoadFromData(png->SaveToData());
  if (back->GetWidth() != g->GetWidth() || back->GetHeight() != g->GetHeight()) std::abort();
  if (back->Pixels() != png->Pixels()) std::abort();
  return 0;
}
