#include "framework/style.h"

#include <gtest/gtest.h>

#include "foundation/properties.h"
#include "foundation/html.h"

namespace zq {
namespace {

TEST(Style, ReadingKeepsValuesAsWritten) {
  TIWZQStyle s;
  s.SetIWStyle("color: red; ;width:10px");
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s.Values("color"), " red");
  EXPECT_EQ(s.Values("width"), "10px");
  EXPECT_EQ(s.GetIWStyle(), "color: red;width:10px;");
  s.SetIWStyle("a:1;a:2;b:;c");  // later wins, empty value removes
  EXPECT_EQ(s.GetIWStyle(), "a:2;");
  s.SetIWStyle("");
  EXPECT_EQ(s.GetIWStyle(), "");
  EXPECT_EQ(s.GetJSonStyle(), "");
  s.SetIWStyle("background:url(a.png);color:red");
  EXPECT_EQ(s.Values("background"), "url(a.png)");
}

TEST(Style, JsonStyleHasOneStringMemberPerEntry) {
  TIWZQStyle s;
  s.SetIWStyle("color:red");
  EXPECT_EQ(s.GetJSonStyle(), "{\"color\":\"red\"}");
}

TEST(Style, MergeTextAndObject) {
  TIWZQStyle s;
  s.SetIWStyle("color:red;width:1px");
  EXPECT_EQ(s.Merge("color:blue;height:2px", false), "color:red;width:1px;height:2px");
  EXPECT_EQ(s.Merge("color:blue;height:2px", true), "color:blue;width:1px;height:2px");
  EXPECT_EQ(s.GetIWStyle(), "color:red;width:1px;");  // unchanged
  TIWZQStyle other;
  other.SetIWStyle("color:blue;top:0");
  TIWZQStyle keep;
  keep.Assign(&s);
  keep.Merge(other, false);
  EXPECT_EQ(keep.GetIWStyle(), "color:red;width:1px;top:0;");
  s.Merge(other, true);
  EXPECT_EQ(s.GetIWStyle(), "color:blue;width:1px;top:0;");
}

TEST(Style, RawStyleRoundTrips) {
  TIWZQStyle s;
  s.SetRawStyle("color:red;width:5px");
  EXPECT_EQ(s.GetRawStyle(), "color:red;width:5px;");
  s.SetRawStyle("");
  EXPECT_EQ(s.GetRawStyle(), "");
}

TEST(Style, FreeFunctionsOnTextAndTags) {
  EXPECT_EQ(ZQMergeStyle("color:red;top:1px", "color:blue;left:2px"),
            "color:blue;top:1px;left:2px;");
  std::string st = "width:10px;height:5px;color:red;";
  RemoveIWSize(st);
  EXPECT_EQ(st, "color:red;");
  std::string empty;
  RemoveIWSize(empty);
  EXPECT_EQ(empty, "");
  RemoveIWCssAttr(st, "nothing");
  EXPECT_EQ(st, "color:red;");
  SetIWCssAttr(st, "top", "0");
  EXPECT_EQ(st, "color:red;top:0;");
  TIWHTMLTag tag("div");
  tag.AddStringParam("style", "color:red");
  ZQMergeStyle(tag, "left:1px");
  SetIWCssAttr(tag, "color", "green");
  RemoveIWCssAttr(tag, "left");
  EXPECT_EQ(tag.GetParam("style"), "color:green;");
}

TEST(Style, ScrollStyles) {
  std::string st = "overflow:hidden;width:5px";
  ZQRenderScrollStyle(zqsbsAuto, st);
  EXPECT_EQ(st, "width:5px;overflow:auto;");
  st = "overflow-x:auto;overflow-y:auto";
  ZQRenderScrollStyle(zqsbsNoRender, st);
  EXPECT_EQ(st, "");
  st = "overflow:hidden";
  ZQRenderScrollStyle(zqsbsIWDefault, st);
  EXPECT_EQ(st, "overflow:hidden");
  st = "";
  ZQRenderScrollStyle(zqsbsInherited, st);
  EXPECT_EQ(st, "overflow: inherit;");
  TIWHTMLTag tag("div");
  tag.AddStringParam("style", "top:0");
  ZQRenderScrollStyle(zqsbsVertical, tag);
  EXPECT_EQ(tag.GetParam("style"), "top:0;overflow-x:hidden;overflow-y:scroll;");
  EXPECT_EQ(ZQScrollStyleText(zqsbsHorizontalAuto), "overflow-x:auto;overflow-y:hidden;");
}

TEST(Style, SizeByAlignment) {
  auto size = [](TZQAlign a) {
    TIWHTMLTag tag("div");
    tag.AddStringParam("style", "color:red;width:1px");
    ZQRenderSize(tag, a, 30, 20);
    return tag.GetParam("style");
  };
  EXPECT_EQ(size(zqalTop), "color:red;width:100%;height:20px;");
  EXPECT_EQ(size(zqalBottom), "color:red;width:100%;height:20px;");
  EXPECT_EQ(size(zqalLeft), "color:red;width:30px;height:100%;");
  EXPECT_EQ(size(zqalClient), "color:red;width:100%;height:100%;");
  EXPECT_EQ(size(zqalNone), "color:red;width:30px;height:20px;");
}

TEST(Style, BackgroundAndFont) {
  TIWFont font;
  font.Color = 0x0000FF;
  font.Size = 12;
  TIWHTMLTag tag("div");
  RenderStyleToTag(tag, &font, true, 0x00332211, "", btStretch);
  std::string expected =
      ZQMergeStyle(font.RenderCSS(), "background-color:#112233;background:#112233");
  EXPECT_EQ(tag.GetParam("style"), expected);
  TIWHTMLTag pic("div");
  RenderStyleToTag(pic, &font, false, 0x00332211, "img/a.png", btNoRepeat);
  EXPECT_EQ(pic.GetParam("style"),
            "background-color:#112233;background:url(img/a.png);background-repeat:no-repeat;");
  TIWHTMLTag stretch("div");
  RenderStyleToTag(stretch, nullptr, true, clNone, "b.png", btStretch);
  EXPECT_EQ(stretch.GetParam("style"), "background:url(b.png);background-size:100% 100%;");
  TIWHTMLTag repeat("div");
  RenderStyleToTag(repeat, nullptr, true, clNone, "b.png", btRepeat);
  EXPECT_EQ(repeat.GetParam("style"), "background:url(b.png);background-repeat:repeat-x repeat-y;");
}

TEST(Style, FontToStringAndJson) {
  TIWZQFont off;
  EXPECT_EQ(ZQFontToString(&off), "");
  EXPECT_EQ(ZQFontToSO(&off)->AsJSon(), "{}");
  EXPECT_EQ(ZQFontToString(nullptr), "");
  TIWFont on;
  on.FontName = "Arial";
  on.Size = 12;
  on.Style = TIWFont::fsBold;
  EXPECT_EQ(ZQFontToString(&on), "font-family:Arial;font-size:12pt;font-weight:bold;");
  ISuperObject o = ZQFontToSO(&on);
  EXPECT_EQ(o->AsObject()->count(), 3u);
  EXPECT_EQ(o->GetS("font-family"), "Arial");
  EXPECT_EQ(o->GetS("font-size"), "12pt");
  EXPECT_EQ(o->GetS("font-weight"), "bold");
}

TEST(Style, DefaultChangingClassesStoreOnlyDifferences) {
  TIWZQFont f;
  EXPECT_FALSE(f.Enabled);
  EXPECT_EQ(f.Color, clNone);
  EXPECT_EQ(f.Size, 10);
  EXPECT_EQ(f.Style, 0);
  for (const char* p : {"Enabled", "Color", "Size", "Style"})
    EXPECT_FALSE(IsStoredProp(&f, p)) << p;
  f.Size = 11;
  f.Enabled = true;
  EXPECT_TRUE(IsStoredProp(&f, "Size"));
  EXPECT_TRUE(IsStoredProp(&f, "Enabled"));
  EXPECT_TRUE(f.InheritsFrom(TIWFont::StaticClass()));
  TIWZQControlScrollBar sb;
  EXPECT_FALSE(sb.Visible);
  EXPECT_FALSE(IsStoredProp(&sb, "Visible"));
  TIWZQContainerBorderOptions b;
  EXPECT_TRUE(b.IsDefault());
  EXPECT_EQ(b.BorderWidth, 3);
  TIWZQStyleRenderOptions r;
  EXPECT_FALSE(r.RenderVisibility);
  EXPECT_TRUE(r.RenderSize && r.RenderPosition && r.RenderFont && r.RenderZIndex &&
              r.RenderStatus && r.RenderAbsolute);
}

TEST(Style, SharedNames) {
  EXPECT_EQ(IWZQJQControlCss, "ui-widget ui-widget-content ui-corner-all");
  EXPECT_EQ(IWZQJQNoBorderCss, "ui-widget");
  EXPECT_EQ(IWZQJQDisabledCss, "ui-state-disabled");
  EXPECT_EQ(IWZQJQDisabledEventsCss, "tavrin-disable-events");
  EXPECT_EQ(IWZQJQImageCenterCssClass, "zq-image-align-center");
  EXPECT_EQ(IWZQJQImageIEBorderFixCss, "zq-image-ie-borders-fix");
  EXPECT_EQ(IWZQJQElementSizeFixFormCss, "element-size-fix");
  EXPECT_EQ(TavrinInputCssClass, "tavrin-input");
  const auto& pos = ZQPositionArray();
  ASSERT_EQ(pos.size(), 9u);
  EXPECT_EQ(pos[0], "left top");
  EXPECT_EQ(pos[4], "center center");
  EXPECT_EQ(pos[8], "right bottom");
}

}  // namespace
}  // namespace zq
