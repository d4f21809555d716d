#include "framework/style.h"

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/html.h"
#include "host/zqhelpers.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWZQStyle) {}

ZQ_IMPLEMENT_CLASS(TIWZQFont) {
  c.Prop("Enabled", &TIWZQFont::Enabled).Stored(&TIWZQFont::IsEnabledStored);
  c.Prop("Color", &TIWZQFont::Color).Stored(&TIWZQFont::IsColorStored);
  c.Prop("Size", &TIWZQFont::Size).Stored(&TIWZQFont::IsSizeStored);
  c.Prop("Style", &TIWZQFont::Style).Stored(&TIWZQFont::IsStyleStored);
}

ZQ_IMPLEMENT_CLASS(TIWZQControlScrollBar) {
  c.Prop("Visible", &TIWZQControlScrollBar::Visible)
      .Stored(&TIWZQControlScrollBar::IsVisibleStored);
}

std::string IWZQJQControlCss = "ui-widget ui-widget-content ui-corner-all";
std::string IWZQJQNoBorderCss = "ui-widget";
std::string IWZQJQDisabledCss = "ui-state-disabled";
std::string IWZQJQDisabledEventsCss = "tavrin-disable-events";
std::string IWZQJQImageCenterCssClass = "zq-image-align-center";
std::string IWZQJQImageIEBorderFixCss = "zq-image-ie-borders-fix";
std::string IWZQJQElementSizeFixFormCss = "element-size-fix";
std::string TavrinInputCssClass = "tavrin-input";

namespace {

struct Declaration {
  std::string name, value;
};

// The pieces of a style text, in order: strictly split at ";", blank pieces
// skipped, each trimmed and split at its first ":".
std::vector<Declaration> ParseDeclarations(std::string_view text) {
  std::vector<Declaration> r;
  size_t start = 0;
  while (start <= text.size()) {
    size_t semi = text.find(';', start);
    std::string_view piece =
        text.substr(start, semi == std::string_view::npos ? std::string_view::npos : semi - start);
    std::string t = ZQTrim(piece);
    if (!t.empty()) {
      size_t colon = t.find(':');
      if (colon == std::string::npos)
        r.push_back({t, ""});
      else
        r.push_back({ZQTrim(std::string_view(t).substr(0, colon)), t.substr(colon + 1)});
    }
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  return r;
}

std::string JoinDeclarations(const TStringList& list) {
  std::string r;
  for (int i = 0; i < list.Count(); ++i) {
    if (i) r += ";";
    r += list[i];
  }
  return r;
}

}  // namespace

TIWZQStyle::TIWZQStyle() {
  SetNameValueSeparator(':');
  SetDelimiter(';');
  SetStrictDelimiter(true);
}

void TIWZQStyle::SetDeclaration(std::string_view name, std::string_view value) {
  SetValue(name, std::string(value));
}

void TIWZQStyle::SetIWStyle(std::string_view text) {
  BeginUpdate();
  Clear();
  for (const auto& d : ParseDeclarations(text)) SetDeclaration(d.name, d.value);
  EndUpdate();
}

std::string TIWZQStyle::GetIWStyle() const {
  std::string r = JoinDeclarations(*this);
  if (!r.empty()) r += ";";
  return r;
}

void TIWZQStyle::SetRawStyle(std::string_view text) {
  std::string t(text);
  char q = QuoteChar();
  if (q) {
    if (t.empty() || t.front() != q) t.insert(t.begin(), q);
    if (t.size() < 2 || t.back() != q) t.push_back(q);
  }
  SetDelimitedText(t);
}

std::string TIWZQStyle::GetRawStyle() const {
  std::string t = DelimitedText();
  char q = QuoteChar();
  if (q && !t.empty() && t.front() == q) t.erase(0, 1);
  if (q && !t.empty() && t.back() == q) t.pop_back();
  return ZQInsertSemiColon(t);
}

std::string TIWZQStyle::GetJSonStyle() const {
  if (Count() == 0) return {};
  ISuperObject o = TSuperObject::Create(stObject);
  for (int i = 0; i < Count(); ++i) o->PutS(Names(i), ValueFromIndex(i));
  return o->AsJSon();
}

std::string TIWZQStyle::Merge(std::string_view cssStyle, bool override) const {
  TIWZQStyle merged;
  merged.Assign(this);
  for (const auto& d : ParseDeclarations(cssStyle))
    if (override || merged.IndexOfName(d.name) < 0) merged.SetDeclaration(d.name, d.value);
  return JoinDeclarations(merged);
}

void TIWZQStyle::Merge(const TIWZQStyle& style, bool override) {
  for (int i = 0; i < style.Count(); ++i) {
    std::string name = style.Names(i);
    if (override || IndexOfName(name) < 0) SetDeclaration(name, style.ValueFromIndex(i));
  }
}

void TIWZQStyle::Assign(const TPersistent* Source) {
  // A style copies the declarations; TStringList::Assign also brings the
  // source's separators, which are the same for two styles.
  TStringList::Assign(Source);
  if (!dynamic_cast<const TIWZQStyle*>(Source)) {
    SetNameValueSeparator(':');
    SetDelimiter(';');
    SetStrictDelimiter(true);
  }
}

std::string ZQMergeStyle(std::string_view a, std::string_view b) {
  TIWZQStyle sa;
  sa.SetIWStyle(a);
  for (const auto& d : ParseDeclarations(b)) sa.SetDeclaration(d.name, d.value);
  return sa.GetIWStyle();
}

void ZQMergeStyle(TIWHTMLTag& tag, std::string_view text) {
  tag.AddStringParam("style", ZQMergeStyle(tag.GetParam("style"), text));
}

void RemoveIWCssAttr(std::string& style, std::string_view name) {
  TIWZQStyle s;
  s.SetIWStyle(style);
  int i = s.IndexOfName(name);
  if (i >= 0) s.Delete(i);
  style = s.GetIWStyle();
}

void RemoveIWCssAttr(TIWHTMLTag& tag, std::string_view name) {
  std::string style = tag.GetParam("style");
  RemoveIWCssAttr(style, name);
  tag.AddStringParam("style", style);
}

void RemoveIWSize(std::string& style) {
  if (style.empty()) return;
  RemoveIWCssAttr(style, "width");
  RemoveIWCssAttr(style, "height");
}

void SetIWCssAttr(std::string& style, std::string_view name, std::string_view value) {
  TIWZQStyle s;
  s.SetIWStyle(style);
  s.SetDeclaration(name, value);
  style = s.GetIWStyle();
}

void SetIWCssAttr(TIWHTMLTag& tag, std::string_view name, std::string_view value) {
  std::string style = tag.GetParam("style");
  SetIWCssAttr(style, name, value);
  tag.AddStringParam("style", style);
}

std::string ZQScrollStyleText(TIWZQScrollStyle scroll) {
  static const char* const kTexts[] = {"",
                                       "",
                                       "overflow:hidden;",
                                       "overflow:auto;",
                                       "overflow:scroll;",
                                       "overflow-x:hidden;overflow-y:scroll;",
                                       "overflow-x:scroll;overflow-y:hidden;",
                                       "overflow:visible;",
                                       "overflow-x:hidden;overflow-y:visible;",
                                       "overflow-x:visible;overflow-y:hidden;",
                                       "overflow: inherit;",
                                       "overflow-x:hidden;overflow-y:auto;",
                                       "overflow-x:auto;overflow-y:hidden;"};
  int i = static_cast<int>(scroll);
  return i >= 0 && i <= zqsbsHorizontalAuto ? kTexts[i] : "";
}

void ZQRenderScrollStyle(TIWZQScrollStyle scroll, std::string& style) {
  if (scroll == zqsbsIWDefault) return;
  for (const char* n : {"overflow", "overflow-x", "overflow-y"}) RemoveIWCssAttr(style, n);
  style = ZQInsertSemiColon(ZQTrim(style)) + ZQScrollStyleText(scroll);
}

void ZQRenderScrollStyle(TIWZQScrollStyle scroll, TIWHTMLTag& tag) {
  if (scroll == zqsbsIWDefault) return;
  std::string style = tag.GetParam("style");
  ZQRenderScrollStyle(scroll, style);
  tag.AddStringParam("style", style);
}

void ZQRenderSize(TIWHTMLTag& tag, TZQAlign align, int width, int height) {
  TIWZQStyle s;
  s.SetIWStyle(tag.GetParam("style"));
  std::string w = std::to_string(width) + "px", h = std::to_string(height) + "px";
  switch (align) {
    case zqalTop:
    case zqalBottom:
      w = "100%";
      break;
    case zqalLeft:
    case zqalRight:
      h = "100%";
      break;
    case zqalClient:
      w = h = "100%";
      break;
    default:
      break;
  }
  s.SetDeclaration("width", w);
  s.SetDeclaration("height", h);
  tag.AddStringParam("style", s.GetIWStyle());
}

std::string ZQFontToString(const TIWFont* font) {
  if (!font || !font->Enabled) return {};
  return font->RenderCSS();
}

ISuperObject ZQFontToSO(const TIWFont* font) {
  ISuperObject o = TSuperObject::Create(stObject);
  std::string text = ZQFontToString(font);
  size_t start = 0;
  while (start <= text.size()) {
    size_t semi = text.find(';', start);
    std::string piece =
        text.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    if (!piece.empty() && piece != " ") {
      size_t colon = piece.find(':');
      std::string name = ZQTrim(piece.substr(0, colon));
      std::string value =
          colon == std::string::npos ? std::string() : ZQTrim(piece.substr(colon + 1));
      if (!name.empty()) o->PutS(name, value);
    }
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return o;
}

void RenderStyleToTag(TIWHTMLTag& tag, const TIWFont* font, bool renderFont, int color,
                      std::string_view pictureSource, TIWZQBackgroundType backgroundType) {
  if (renderFont && font && font->Enabled) ZQMergeStyle(tag, ZQFontToString(font));
  if (color != clNone) {
    std::string rgb = ColorToZQColor(color);
    ZQMergeStyle(tag, "background-color:" + rgb);
    if (pictureSource.empty()) ZQMergeStyle(tag, "background:" + rgb);
  }
  if (!pictureSource.empty()) {
    ZQMergeStyle(tag, Format("background:url(%s);", pictureSource));
    switch (backgroundType) {
      case btStretch:
        ZQMergeStyle(tag, "background-size:100% 100%");
        break;
      case btRepeat:
        ZQMergeStyle(tag, "background-repeat:repeat-x repeat-y");
        break;
      case btNoRepeat:
        ZQMergeStyle(tag, "background-repeat:no-repeat");
        break;
    }
  }
}

const std::vector<std::string>& ZQPositionArray() {
  static const std::vector<std::string> kPositions = {
      "left top",      "left center", "left bottom",  "center top",  "center center",
      "center bottom", "right top",   "right center", "right bottom"};
  return kPositions;
}

TIWZQFont::TIWZQFont() {
  Enabled = false;
  Color = clNone;
  Size = 10;
  Style = 0;
}

void TIWZQControlScrollBar::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TIWZQControlScrollBar*>(Source)) {
    Visible = s->Visible;
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace zq
