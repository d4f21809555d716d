// Style text helpers: the CSS declaration list TIWZQStyle, merging, removing
// and setting declarations inside a tag's "style" attribute, scroll styles,
// size and background rules, fonts as CSS text or JSON, the shared CSS class
// names, and the classes that only give host objects the library's defaults.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/stringlist.h"
#include "foundation/superobject.h"
#include "host/controls.h"

namespace zq {

class TIWHTMLTag;

// CSS declarations, one "name:value" entry each; ";" is the only delimiter.
class TIWZQStyle : public TStringList {
  ZQ_CLASS(TIWZQStyle, TStringList)

  TIWZQStyle();

  // Replaces the declarations by those of the text: each non-empty piece
  // between ";" is trimmed and split at its first ":"; the value is kept as
  // written; an empty value removes the name.
  void SetIWStyle(std::string_view text);
  // "name:value;name:value;" (empty when there is none).
  std::string GetIWStyle() const;
  // The text read as the list's delimited text, quoted at the ends first.
  void SetRawStyle(std::string_view text);
  std::string GetRawStyle() const;
  // {"name":"value",...} or "" when empty.
  std::string GetJSonStyle() const;
  // The own declarations merged with those of the text (new names always,
  // existing ones with override), joined by ";" without a final ";". The
  // style itself is not changed.
  std::string Merge(std::string_view cssStyle, bool override) const;
  // Sets each entry of style into this one when new, or with override.
  void Merge(const TIWZQStyle& style, bool override);
  // From another style: its declarations; from another string list: its lines.
  void Assign(const TPersistent* Source) override;

  // Sets (or, with an empty value, removes) one declaration.
  void SetDeclaration(std::string_view name, std::string_view value);
};

enum TIWZQScrollStyle {
  zqsbsIWDefault, zqsbsNoRender, zqsbsNone, zqsbsAuto, zqsbsBoth, zqsbsVertical, zqsbsHorizontal,
  zqsbsBothVisible, zqsbsVerticalVisible, zqsbsHorizontalVisible, zqsbsInherited, zqsbsVerticalAuto,
  zqsbsHorizontalAuto
};

enum TIWZQBackgroundType { btStretch, btRepeat, btNoRepeat };

// Alignment of a control inside its parent, for ZQRenderSize.
enum TZQAlign { zqalNone, zqalTop, zqalBottom, zqalLeft, zqalRight, zqalClient, zqalCustom };

// b's declarations set into a (b wins); a's GetIWStyle.
std::string ZQMergeStyle(std::string_view a, std::string_view b);
void ZQMergeStyle(TIWHTMLTag& tag, std::string_view text);
void RemoveIWCssAttr(std::string& style, std::string_view name);
void RemoveIWCssAttr(TIWHTMLTag& tag, std::string_view name);
// Removes "width" and "height" from a non-empty style.
void RemoveIWSize(std::string& style);
void SetIWCssAttr(std::string& style, std::string_view name, std::string_view value);
void SetIWCssAttr(TIWHTMLTag& tag, std::string_view name, std::string_view value);
// The overflow text of a scroll style ("" for the first two).
std::string ZQScrollStyleText(TIWZQScrollStyle scroll);
// Replaces the overflow declarations by the scroll style's (zqsbsIWDefault
// leaves the style alone).
void ZQRenderScrollStyle(TIWZQScrollStyle scroll, std::string& style);
void ZQRenderScrollStyle(TIWZQScrollStyle scroll, TIWHTMLTag& tag);
// Width and height by alignment: top/bottom 100% wide, left/right 100% high,
// client both 100%, otherwise both in pixels. align is the control's own, or
// its frame's for a client-aligned control whose parent is a frame.
void ZQRenderSize(TIWHTMLTag& tag, TZQAlign align, int width, int height);
// Font (when renderFont and the font is enabled), background colour and
// picture into the tag's style.
void RenderStyleToTag(TIWHTMLTag& tag, const TIWFont* font, bool renderFont, int color,
                      std::string_view pictureSource, TIWZQBackgroundType backgroundType);
// The font's CSS text; "" without a font or when it is disabled.
std::string ZQFontToString(const TIWFont* font);
// The font's declarations as a JSON object of strings.
ISuperObject ZQFontToSO(const TIWFont* font);
// "left top" ... "right bottom", in the order of the position enumerations.
const std::vector<std::string>& ZQPositionArray();

// Shared CSS class names (start-up settings; read everywhere).
extern std::string IWZQJQControlCss;             // "ui-widget ui-widget-content ui-corner-all"
extern std::string IWZQJQNoBorderCss;            // "ui-widget"
extern std::string IWZQJQDisabledCss;            // "ui-state-disabled"
extern std::string IWZQJQDisabledEventsCss;      // "tavrin-disable-events"
extern std::string IWZQJQImageCenterCssClass;    // "zq-image-align-center"
extern std::string IWZQJQImageIEBorderFixCss;    // "zq-image-ie-borders-fix"
extern std::string IWZQJQElementSizeFixFormCss;  // "element-size-fix"
extern std::string TavrinInputCssClass;          // "tavrin-input"

// ---------------------------------------------------------------- defaults
//
// The host cannot change the class of a live object; the library's controls
// create these instead through the host's factory hooks (a control overrides
// TIWBaseControl::CreateFont to return a TIWZQFont), so that only values that
// differ from the library's defaults are stored.

// Host font with Enabled false, Color clNone, Size 10, Style empty.
class TIWZQFont : public TIWFont {
  ZQ_CLASS(TIWZQFont, TIWFont)
  TIWZQFont();
  bool IsEnabledStored() const { return Enabled; }
  bool IsColorStored() const { return Color != clNone; }
  bool IsSizeStored() const { return Size != 10; }
  bool IsStyleStored() const { return Style != 0; }
};

// Scroll bar settings with Visible false.
class TIWZQControlScrollBar : public TPersistent {
  ZQ_CLASS(TIWZQControlScrollBar, TPersistent)
  bool Visible = false;
  bool IsVisibleStored() const { return Visible; }
  void Assign(const TPersistent* Source) override;
};

// Border options with BorderWidth 3, Color clNone, NumericWidth 0, Style 0.
class TIWZQContainerBorderOptions : public TIWContainerBorderOptions {
 public:
  TIWZQContainerBorderOptions() {
    BorderWidth = 3;
    Color = clNone;
    Style = TIWBorderStyle::bsNone;
  }
  int NumericWidth = 0;
  bool IsDefault() const {
    return BorderWidth == 3 && Color == clNone && NumericWidth == 0 && Style == TIWBorderStyle::bsNone;
  }
};

// Style render options with RenderVisibility false and RenderStatus.
struct TIWZQStyleRenderOptions : TIWStyleRenderOptions {
  TIWZQStyleRenderOptions() { RenderVisibility = false; }
  bool RenderStatus = true;
};

}  // namespace zq
