#include "host/controls.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/http.h"
#include "host/servercontroller.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWBaseHTML40Component) {
  c.Prop("Css", &TIWBaseHTML40Component::Css);
  c.Prop("Visible", &TIWBaseHTML40Component::GetVisible, &TIWBaseHTML40Component::SetVisible);
}
ZQ_IMPLEMENT_CLASS(TIWComponent) {}
ZQ_IMPLEMENT_CLASS(TIWFont) {
  c.Prop("Enabled", &TIWFont::Enabled);
  c.Prop("Color", &TIWFont::Color);
  c.Prop("Size", &TIWFont::Size);
  c.Prop("FontName", &TIWFont::FontName);
}
ZQ_IMPLEMENT_CLASS(TIWBaseControl) {
  c.Prop("Left", &TIWBaseControl::Left);
  c.Prop("Top", &TIWBaseControl::Top);
  c.Prop("Width", &TIWBaseControl::Width);
  c.Prop("Height", &TIWBaseControl::Height);
  c.Prop("ZIndex", &TIWBaseControl::ZIndex);
  c.Prop("TabOrder", &TIWBaseControl::TabOrder);
  c.Prop("Hint", &TIWBaseControl::Hint);
  c.Prop("Enabled", &TIWBaseControl::Enabled);
}
ZQ_IMPLEMENT_CLASS(TIWCustomRegion) { c.Prop("Color", &TIWCustomRegion::Color); }
ZQ_IMPLEMENT_CLASS(TIWRegion) {}
ZQ_IMPLEMENT_CLASS(TIWFrame) {}
ZQ_IMPLEMENT_CLASS(TIWAppForm) { c.Prop("Title", &TIWAppForm::Title); }
ZQ_IMPLEMENT_CLASS(TIWLabel) { c.Prop("Caption", &TIWLabel::GetCaption, &TIWLabel::SetCaption); }
ZQ_IMPLEMENT_CLASS(TIWButton) {
  c.Prop("Caption", &TIWButton::GetCaption, &TIWButton::SetCaption);
  c.Prop("OnClick", &TIWButton::OnClick);
  c.Prop("OnAsyncClick", &TIWButton::OnAsyncClick);
}
ZQ_IMPLEMENT_CLASS(TIWEdit) {
  c.Prop("Text", &TIWEdit::GetText, &TIWEdit::SetText);
  c.Prop("MaxLength", &TIWEdit::MaxLength);
  c.Prop("OnChange", &TIWEdit::OnChange);
}

namespace {

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

struct NamedColor {
  const char* name;
  int rgb;  // 0xRRGGBB
};
const NamedColor kColors[] = {
    {"black", 0x000000}, {"maroon", 0x800000}, {"green", 0x008000}, {"olive", 0x808000},
    {"navy", 0x000080},  {"purple", 0x800080}, {"teal", 0x008080},  {"gray", 0x808080},
    {"silver", 0xC0C0C0}, {"red", 0xFF0000},   {"lime", 0x00FF00},  {"yellow", 0xFFFF00},
    {"blue", 0x0000FF},  {"fuchsia", 0xFF00FF}, {"aqua", 0x00FFFF}, {"white", 0xFFFFFF},
    {"orange", 0xFFA500}, {"grey", 0x808080},
};

int RGBToColor(int rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

const char* const kCursorCSS[] = {"auto",      "crosshair", "default",   "pointer",  "move",      "e-resize",
                                  "ne-resize", "nw-resize", "n-resize",  "se-resize", "sw-resize", "s-resize",
                                  "w-resize",  "text",      "wait",      "pointer",  "help"};

}  // namespace

int StringToIWColor(std::string_view text) {
  std::string t = LowerAscii(text);
  while (!t.empty() && t.front() == ' ') t.erase(t.begin());
  while (!t.empty() && t.back() == ' ') t.pop_back();
  if (t.empty()) return clNone;
  if (t[0] == '#' && t.size() == 7) {
    int v = 0;
    for (size_t i = 1; i < 7; ++i) {
      char c = t[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) return clNone;
      v = v * 16 + d;
    }
    return RGBToColor(v);
  }
  if (t.rfind("cl", 0) == 0 && t != "clnone") t = t.substr(2);
  for (const auto& nc : kColors)
    if (t == nc.name) return RGBToColor(nc.rgb);
  return clNone;
}

std::string IWColorToCSS(int color) {
  if (color == clNone || color < 0) return {};
  int rgb = RGBToColor(color & 0xFFFFFF);
  return Format("#%0.6x", rgb);
}

// ---------------------------------------------------------------- interfaces

bool IIWInputControl::IsForThisControl(std::string_view AName) const {
  for (const auto& n : GetInputControlNames())
    if (n == AName) return true;
  return false;
}

void IIWInputControl::SetValueByName(const std::string&, const std::string& AValue) { SetValue(AValue); }
void IIWInputControl::SetFileValue(const THTTPFile&) {}

IIWBaseContainer::~IIWBaseContainer() = default;

void IIWBaseContainer::IWAddComponent(TComponent* AComponent) {
  if (AComponent && std::find(components_.begin(), components_.end(), AComponent) == components_.end())
    components_.push_back(AComponent);
}

void IIWBaseContainer::IWRemoveComponent(TComponent* AComponent) {
  components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
}

void IIWBaseContainer::AddControl(TIWBaseControl* c) {
  if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) controls_.push_back(c);
}

void IIWBaseContainer::RemoveControl(TIWBaseControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

TIWContainerContext* IIWBaseContainer::InitContainerContext(TIWPageContext40* page) {
  containerContext_ = std::make_unique<TIWContainerContext>(dynamic_cast<TIWBaseHTML40Component*>(this), page);
  return containerContext_.get();
}

void IIWBaseContainer::SetContainerContext(std::unique_ptr<TIWContainerContext> ctx) {
  containerContext_ = std::move(ctx);
}

void IIWBaseContainer::ResetContainerContext() { containerContext_.reset(); }

void IIWBaseContainer::RenderComponents(TIWContainerContext& AContext, TIWPageContext40& APage, TIWHTMLTag* ATag) {
  TIWAppForm* form = APage.Form();
  if (!form) return;
  for (TIWBaseControl* child : std::vector<TIWBaseControl*>(controls_)) {
    bool visible = child->GetVisible();
    if (!visible && !RenderInvisibleControls) continue;
    TIWHTMLTag* tag = form->RenderComponent(child, AContext);
    if (tag && !visible) tag->AddStringParam("style", "visibility: hidden; " + tag->GetParam("style"));
    if (ATag) {
      if (auto owned = AContext.TakeTag(child)) ATag->AddTag(std::move(owned));
    }
  }
  for (TComponent* comp : std::vector<TComponent*>(components_)) {
    auto* html = dynamic_cast<TIWBaseHTML40Component*>(comp);
    if (!html || dynamic_cast<TIWBaseControl*>(comp)) continue;
    form->RenderComponent(html, AContext);
    if (ATag) {
      if (auto owned = AContext.TakeTag(html)) ATag->AddTag(std::move(owned));
    }
  }
}

void IIWBaseContainer::DoPostRenderProcessing(TIWHTMLTag*, TIWCompContext&, TComponent*) {}

// ---------------------------------------------------------------- TIWBaseHTML40Component

TIWBaseHTML40Component::TIWBaseHTML40Component(TComponent* AOwner) : TComponent(AOwner) {}
TIWBaseHTML40Component::~TIWBaseHTML40Component() = default;

void TIWBaseHTML40Component::AfterConstruction() {
  TComponent::AfterConstruction();
  InitControl();
}

void TIWBaseHTML40Component::BeforeDestruction() {
  Dispose(true);
  TComponent::BeforeDestruction();
}

std::string TIWBaseHTML40Component::HTMLName() const { return Upper(GetName()); }

TIWAppForm* TIWBaseHTML40Component::OwnerForm() const {
  for (TComponent* o = const_cast<TIWBaseHTML40Component*>(this); o; o = o->Owner())
    if (auto* f = dynamic_cast<TIWAppForm*>(o)) return f;
  return nullptr;
}

TIWApplication* TIWBaseHTML40Component::WebApplication() const {
  if (TIWAppForm* f = OwnerForm())
    if (f->Application()) return f->Application();
  return gGetWebApplicationThreadVar();
}

void TIWBaseHTML40Component::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Invalidate();
}

std::unique_ptr<TIWHTMLTag> TIWBaseHTML40Component::RenderHTML(TIWCompContext&) { return nullptr; }
void TIWBaseHTML40Component::RenderScripts(TIWCompContext&) {}

std::unique_ptr<TIWHTMLTag> TIWBaseHTML40Component::RenderMarkupLanguageTag(TIWCompContext& AContext) {
  auto tag = RenderHTML(AContext);
  if (!tag) return nullptr;
  if (!tag->HasParam("id")) tag->AddStringParam("id", HTMLName());
  tag->AddClassParam(RenderCSSClass(AContext));
  std::string style = RenderStyle(AContext);
  if (!style.empty()) tag->AddStringParam("style", tag->GetParam("style") + style);
  return tag;
}

std::string TIWBaseHTML40Component::RenderCSSClass(TIWCompContext&) { return Css; }
std::string TIWBaseHTML40Component::RenderStyle(TIWCompContext&) { return {}; }
std::unique_ptr<TIWHTMLTag> TIWBaseHTML40Component::RenderAsync(TIWCompContext&) { return nullptr; }

std::unique_ptr<TIWHTMLTag> TIWBaseHTML40Component::RenderAsyncComponent(TIWCompContext& AContext) {
  return RenderAsync(AContext);
}

void TIWBaseHTML40Component::InitControl() {
  if (dynamic_cast<TIWBaseControl*>(this)) return;  // visual controls are placed by their Parent
  if (auto* c = dynamic_cast<IIWBaseContainer*>(Owner())) {
    c->IWAddComponent(this);
    placedIn_ = c;
  }
}

void TIWBaseHTML40Component::Dispose(bool) {
  if (placedIn_) {
    placedIn_->IWRemoveComponent(this);
    placedIn_ = nullptr;
  }
}

// ---------------------------------------------------------------- font, borders

std::string TIWFont::RenderCSS() const {
  if (!Enabled) return {};
  std::string r;
  if (!FontName.empty()) r += "font-family:" + FontName + ";";
  if (Size > 0) r += Format("font-size:%dpt;", Size);
  std::string color = IWColorToCSS(Color);
  if (!color.empty()) r += "color:" + color + ";";
  if (Style & fsBold) r += "font-weight:bold;";
  if (Style & fsItalic) r += "font-style:italic;";
  if (Style & (fsUnderline | fsStrikeOut))
    r += std::string("text-decoration:") + ((Style & fsUnderline) ? "underline" : "") +
         ((Style & fsUnderline) && (Style & fsStrikeOut) ? " " : "") + ((Style & fsStrikeOut) ? "line-through" : "") +
         ";";
  return r;
}

void TIWFont::Assign(const TPersistent* Source) {
  if (auto* f = dynamic_cast<const TIWFont*>(Source)) {
    Enabled = f->Enabled;
    Color = f->Color;
    Size = f->Size;
    Style = f->Style;
    FontName = f->FontName;
    return;
  }
  TPersistent::Assign(Source);
}

void TIWContainerBorderOptions::InitForRender(int backgroundColor, bool horzScrollBar, bool vertScrollBar) {
  background_ = backgroundColor;
  horz_ = horzScrollBar;
  vert_ = vertScrollBar;
}

std::unique_ptr<TIWHTMLTag> TIWContainerBorderOptions::CreateFrameTag(TIWPageContext40*) const {
  static const char* const kStyles[] = {"none", "solid", "dotted", "dashed", "double", "inset", "outset"};
  auto tag = std::make_unique<TIWHTMLTag>("div");
  std::string s;
  if (Style != TIWBorderStyle::bsNone && BorderWidth > 0) {
    s += Format("border-style:%s;border-width:%dpx;", kStyles[static_cast<int>(Style)], BorderWidth);
    std::string c = IWColorToCSS(Color);
    if (!c.empty()) s += "border-color:" + c + ";";
  } else {
    s += "border-style:none;";
  }
  std::string bg = IWColorToCSS(background_);
  if (!bg.empty()) s += "background-color:" + bg + ";";
  s += std::string("overflow-x:") + (horz_ ? "auto" : "hidden") + ";";
  s += std::string("overflow-y:") + (vert_ ? "auto" : "hidden") + ";";
  tag->AddStringParam("style", s);
  return tag;
}

// ---------------------------------------------------------------- TIWBaseControl

TIWBaseControl::TIWBaseControl(TComponent* AOwner) : TIWBaseHTML40Component(AOwner) {}

TIWBaseControl::~TIWBaseControl() {
  if (parent_) dynamic_cast<IIWBaseContainer*>(parent_)->RemoveControl(this);
}

void TIWBaseControl::Initialize() {
  TIWBaseHTML40Component::Initialize();
  font_.reset(CreateFont());
}

void TIWBaseControl::BeforeDestruction() {
  // Children placed in this container but owned elsewhere lose their parent.
  if (auto* self = dynamic_cast<IIWBaseContainer*>(this))
    for (TIWBaseControl* c : std::vector<TIWBaseControl*>(self->ControlList())) c->SetParent(nullptr);
  SetParent(nullptr);
  TIWBaseHTML40Component::BeforeDestruction();
}

TIWFont* TIWBaseControl::CreateFont() { return Create<TIWFont>(); }

void TIWBaseControl::SetParent(TIWBaseControl* AParent) {
  if (AParent == parent_) return;
  IIWBaseContainer* to = nullptr;
  if (AParent) {
    to = dynamic_cast<IIWBaseContainer*>(AParent);
    if (!to) throw EInvalidCast(Format("Control \"%s\" cannot be the parent of \"%s\"", AParent->GetName(), GetName()));
    for (TIWBaseControl* p = AParent; p; p = p->Parent())
      if (p == this) throw EInvalidCast(Format("Control \"%s\" cannot be its own parent", GetName()));
  }
  if (parent_) dynamic_cast<IIWBaseContainer*>(parent_)->RemoveControl(this);
  parent_ = AParent;
  if (to) to->AddControl(this);
}

TIWAppForm* TIWBaseControl::ParentForm() const {
  for (const TIWBaseControl* c = this; c; c = c->Parent())
    if (auto* f = dynamic_cast<const TIWAppForm*>(c)) return const_cast<TIWAppForm*>(f);
  return nullptr;
}

void TIWBaseControl::SetBounds(int l, int t, int w, int h) {
  Left = l;
  Top = t;
  Width = w;
  Height = h;
  Invalidate();
}

std::string TIWBaseControl::RenderCSSClass(TIWCompContext&) { return Css; }

std::string TIWBaseControl::RenderStyle(TIWCompContext&) {
  std::string s;
  const auto& o = StyleRenderOptions;
  if (o.RenderAbsolute && o.RenderPosition) s += Format("position:absolute;left:%dpx;top:%dpx;", Left, Top);
  if (o.RenderSize) {
    if (Width > 0) s += Format("width:%dpx;", Width);
    if (Height > 0) s += Format("height:%dpx;", Height);
  }
  if (o.RenderZIndex && ZIndex != 0) s += Format("z-index:%d;", ZIndex);
  if (o.RenderFont && font_) s += font_->RenderCSS();
  if (Cursor != TIWCursor::crAuto) s += std::string("cursor:") + kCursorCSS[static_cast<int>(Cursor)] + ";";
  return s;
}

void TIWBaseControl::RenderAsyncCommonProperties(TIWHTMLTag& ATag, unsigned removeMask) const {
  auto on = [&](TIWAsyncCommonProperty p) { return (removeMask & (1u << p)) == 0; };
  if (on(acpVisible)) ATag.AddStringParam("visible", GetVisible() ? "true" : "false");
  if (on(acpEnabled)) ATag.AddStringParam("enabled", Enabled ? "true" : "false");
  if (on(acpLeft)) ATag.AddAsyncStyle(Format("left:%dpx", Left));
  if (on(acpTop)) ATag.AddAsyncStyle(Format("top:%dpx", Top));
  if (on(acpWidth)) ATag.AddAsyncStyle(Format("width:%dpx", Width));
  if (on(acpHeight)) ATag.AddAsyncStyle(Format("height:%dpx", Height));
  if (on(acpZIndex)) ATag.AddAsyncStyle(Format("z-index:%d", ZIndex));
}

// ---------------------------------------------------------------- regions, frames

TIWCustomRegion::TIWCustomRegion(TComponent* AOwner) : TIWBaseControl(AOwner) {}
TIWCustomRegion::~TIWCustomRegion() = default;

std::unique_ptr<TIWHTMLTag> TIWCustomRegion::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("div");
  tag->AddStringParam("id", HTMLName());
  if (!Hint.empty()) tag->AddStringParam("title", Hint);
  return tag;
}

std::string TIWCustomRegion::RenderCSSClass(TIWCompContext&) {
  if (!Css.empty()) return Css;
  return ClipRegion ? " IWCLIPCONTROL" : "";
}

std::string TIWCustomRegion::RenderStyle(TIWCompContext& AContext) {
  std::string s = TIWBaseControl::RenderStyle(AContext);
  border_.InitForRender(Color, HorzScrollBar, VertScrollBar);
  if (StyleRenderOptions.RenderBorder) s += border_.CreateFrameTag(AContext.PageContext())->GetParam("style");
  return s;
}

std::unique_ptr<TIWHTMLTag> TIWCustomRegion::RenderAsync(TIWCompContext& AContext) {
  border_.InitForRender(Color, HorzScrollBar, VertScrollBar);
  auto tag = std::make_unique<TIWXMLTag>("control");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("type", "IWREGION");
  if (StyleRenderOptions.RenderBorder) {
    std::string style = border_.CreateFrameTag(AContext.PageContext())->GetParam("style");
    while (!style.empty() && style.back() == ';') style.pop_back();
    tag->AddAsyncStyle(style);
  }
  RenderAsyncCommonProperties(*tag, 0);
  return tag;
}

std::unique_ptr<TIWHTMLTag> TIWFrame::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("div");
  tag->AddStringParam("id", HTMLName());
  return tag;
}

// ---------------------------------------------------------------- layout

namespace {
struct FilterEntry {
  int id;
  TIWLayoutMgr::TScriptSectionFilter filter;
};
std::mutex gFilterLock;
std::vector<FilterEntry>& Filters() {
  static std::vector<FilterEntry> f;
  return f;
}
int gNextFilterId = 1;
}  // namespace

int TIWLayoutMgr::AddScriptSectionFilter(TScriptSectionFilter filter) {
  std::lock_guard<std::mutex> g(gFilterLock);
  int id = gNextFilterId++;
  Filters().push_back({id, std::move(filter)});
  return id;
}

void TIWLayoutMgr::RemoveScriptSectionFilter(int id) {
  std::lock_guard<std::mutex> g(gFilterLock);
  auto& f = Filters();
  f.erase(std::remove_if(f.begin(), f.end(), [&](const FilterEntry& e) { return e.id == id; }), f.end());
}

std::string TIWLayoutMgr::RenderScriptSection(TIWPageContext40& APage) {
  std::vector<TScriptSectionFilter> chain;
  {
    std::lock_guard<std::mutex> g(gFilterLock);
    for (const auto& e : Filters()) chain.push_back(e.filter);
  }
  // The first registered filter is the outermost.
  std::function<std::string(size_t)> run = [&](size_t i) -> std::string {
    if (i == chain.size()) return ScriptSection(APage);
    return chain[i](*this, APage, [&run, i]() { return run(i + 1); });
  };
  return run(0);
}

std::string TIWLayoutMgr::ScriptSection(TIWPageContext40& APage) {
  TIWServerController* sc = gServerController;
  bool debug = sc && sc->JavaScriptDebug;
  auto script = [&](const std::string& file) {
    return "<script type=\"text/javascript\" src=\"" + HTMLEscape(sc ? sc->FileURL(file) : "/" + file) +
           "\"></script>\r\n";
  };
  std::string r;
  r += script(debug ? "jq/jquery.js" : "jq/jquery.min.js");
  r += script(debug ? "zq.runtime.js" : "zq.runtime.min.js");
  r += APage.RenderPreScriptFiles();
  r += APage.RenderScriptFiles();
  std::string js = APage.GetJavaScript();
  if (!js.empty()) r += "<script type=\"text/javascript\">\r\n" + js + "\r\n</script>\r\n";
  return r;
}

std::string TIWLayoutMgr::RenderPage(TIWAppForm& AForm, TIWPageContext40& APage, const std::string& ABody) {
  std::string head = "<!DOCTYPE html>\r\n<html><head>\r\n<meta charset=\"utf-8\">\r\n";
  head += "<title>" + HTMLEscape(AForm.Title) + "</title>\r\n";
  for (const auto& line : APage.ExtraHeader()) head += line + "\r\n";
  head += APage.RenderLinkFiles();
  head += RenderScriptSection(APage);
  std::string style = APage.RenderStyleTag();
  if (!style.empty()) head += style + "\r\n";
  head += "</head>\r\n";
  // The body tag carries its attributes; its contents go in front of the form.
  TIWHTMLTag& body = APage.BodyTag();
  std::string bodyHtml = body.RenderToString();
  std::string close = "</body>";
  std::string opening = bodyHtml.substr(0, bodyHtml.size() - close.size());
  return head + opening + ABody + AForm.RenderPageScript(APage) + close + "</html>\r\n";
}

// ---------------------------------------------------------------- forms

TIWAppForm::TIWAppForm(TIWApplication* AApplication)
    : TIWBaseControl(AApplication), app_(AApplication), layout_(std::make_unique<TIWLayoutMgrForm>()) {
  StyleRenderOptions.RenderPosition = false;
  StyleRenderOptions.RenderSize = false;
  StyleRenderOptions.RenderFont = false;
  StyleRenderOptions.RenderZIndex = false;
}

TIWAppForm::~TIWAppForm() {
  if (app_ && app_->GetActiveForm() == this) app_->SetActiveForm(nullptr);
}

void TIWAppForm::Show() {
  if (app_) app_->SetActiveForm(this);
}

void TIWAppForm::Hide() {
  if (app_ && app_->GetActiveForm() == this) app_->SetActiveForm(nullptr);
}

void TIWAppForm::SetLayoutMgr(std::unique_ptr<TIWLayoutMgr> layout) {
  if (layout) layout_ = std::move(layout);
}

void TIWAppForm::DoRender() { FillRealTabOrders(); }

void TIWAppForm::FillRealTabOrders() {
  tabOrders_.clear();
  for (TIWBaseHTML40Component* c : AllComponents())
    if (auto* ctl = dynamic_cast<TIWBaseControl*>(c); ctl && ctl->TabOrder >= 0) tabOrders_.push_back(ctl);
  std::stable_sort(tabOrders_.begin(), tabOrders_.end(),
                   [](TIWBaseControl* a, TIWBaseControl* b) { return a->TabOrder < b->TabOrder; });
}

namespace {
void Collect(const IIWBaseContainer& cont, std::vector<TIWBaseHTML40Component*>& out) {
  for (TIWBaseControl* c : cont.ControlList()) {
    out.push_back(c);
    if (auto* sub = dynamic_cast<const IIWBaseContainer*>(c)) Collect(*sub, out);
  }
  for (int i = 0; i < cont.get_IWComponentsCount(); ++i)
    if (auto* h = dynamic_cast<TIWBaseHTML40Component*>(cont.IWComponents(i)))
      if (std::find(out.begin(), out.end(), h) == out.end()) out.push_back(h);
}
}  // namespace

std::vector<TIWBaseHTML40Component*> TIWAppForm::AllComponents() const {
  std::vector<TIWBaseHTML40Component*> out;
  Collect(*this, out);
  return out;
}

TIWBaseHTML40Component* TIWAppForm::FindByHTMLName(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TIWBaseHTML40Component* c : AllComponents())
    if (c->HTMLName() == name) return c;
  return nullptr;
}

void TIWAppForm::ProcessContentFile(const std::string& AFile) {
  if (!page_ || AFile.empty()) return;
  bool absolute = AFile[0] == '/' || AFile.find("://") != std::string::npos;
  std::string url = absolute || !gServerController ? AFile : gServerController->FileURL(AFile);
  std::string path = AFile.substr(0, AFile.find('?'));
  bool css = path.size() >= 4 && path.compare(path.size() - 4, 4, ".css") == 0;
  if (css) page_->AddLinkFile(url);
  else page_->AddScriptFile(url);
}

TIWHTMLTag* TIWAppForm::RenderComponent(TIWBaseHTML40Component* AComponent, TIWContainerContext& AContext) {
  TIWCompContext* ctx = AContext.AddComponent(AComponent);
  auto tag = AComponent->RenderMarkupLanguageTag(*ctx);
  if (auto* cont = dynamic_cast<IIWBaseContainer*>(AComponent)) {
    TIWContainerContext* inner = cont->InitContainerContext(AContext.PageContext());
    cont->RenderComponents(*inner, *AContext.PageContext(), tag.get());
  }
  AComponent->RenderScripts(*ctx);
  if (auto* files = dynamic_cast<IIWContentFiles*>(AComponent)) {
    for (const auto& f : files->GetContentFiles()) ProcessContentFile(f);
    AContext.PageContext()->AddToOnReady(files->GetOnReadyScript());
  }
  if (auto* parent = dynamic_cast<IIWBaseContainer*>(AContext.Container()))
    parent->DoPostRenderProcessing(tag.get(), *ctx, AComponent);
  TIWHTMLTag* raw = tag.get();
  AContext.SetTag(AComponent, std::move(tag));
  return raw;
}

std::unique_ptr<TIWHTMLTag> TIWAppForm::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("form");
  tag->AddStringParam("id", "SubmitForm");
  tag->AddStringParam("name", "SubmitForm");
  tag->AddStringParam("method", "POST");
  tag->AddStringParam("action", formAction_);
  tag->AddStringParam("onsubmit", "return FormDefaultSubmit();");
  return tag;
}

std::string TIWAppForm::RenderBody(TIWPageContext40& APage) {
  TIWCompContext formCtx(this, nullptr, &APage);
  auto formTag = RenderMarkupLanguageTag(formCtx);
  APage.SetFormContainerContext(std::make_unique<TIWContainerContext>(this, &APage));
  RenderComponents(*APage.FormContainerContext(), APage, formTag.get());
  RenderScripts(formCtx);
  std::string token = app_ ? app_->Token() : std::string();
  auto hidden = [&](const char* name, const std::string& value) {
    TIWHTMLTag* t = formTag->AddTag("input", TIWHTMLTag::TClosingTag::ctdNone);
    t->AddStringParam("type", "hidden");
    t->AddStringParam("name", name);
    t->AddStringParam("value", value);
  };
  hidden("ZQ_TOKEN", token);
  hidden("ZQ_SUBMITTER", "");
  hidden("ZQ_SUBMITPARAM", "");
  TIWHTMLTag& fields = APage.HiddenFieldTag();
  if (fields.HasContents()) {
    // The hidden fields are written without their wrapper.
    std::string html = fields.RenderToString();
    html = html.substr(5, html.size() - 11);  // "<div>" ... "</div>"
    formTag->AddRawText(html);
  }
  std::string r = formTag->RenderToString();
  if (!layout_->GetFormTag()) {
    // A template supplies the form tag: only the contents are written.
    size_t open = r.find('>');
    r = r.substr(open + 1, r.size() - open - 1 - std::string("</form>").size());
  }
  return r;
}

std::string TIWAppForm::RenderPageScript(TIWPageContext40& APage) {
  std::string token = app_ ? app_->Token() : std::string();
  // The page script: client objects, init code, body script, ready code, focus.
  std::string url = gServerController ? gServerController->CallbackURL() : std::string("/$/callback");
  std::string s = "\r\n<script type=\"text/javascript\">\r\n";
  s += "var GZQToken=" + JSString(token) + ", GZQCallbackUrl=" + JSString(url) + ";\r\n";
  s += "function InitIWCLObjects() {\r\n" + APage.GetIWCLInitProc() + "\r\n}\r\n";
  s += "function Initialize() {\r\n" + APage.GetInitProc() + "\r\n" + APage.GetInitProcDoLastCode() + "\r\n}\r\n";
  s += "if (typeof InitRects != \"function\") window.InitRects = function () {};\r\n";
  s += APage.BodyScript() + "\r\n";
  if (!APage.GetOnReadyProc().empty()) s += "jQuery(function(){\r\n" + APage.GetOnReadyProc() + "\r\n});\r\n";
  if (!APage.GetFocusInitCode().empty()) s += APage.GetFocusInitCode() + "\r\n";
  if (app_) s += app_->TakeMessageScript();
  s += "</script>\r\n";
  return s;
}

std::string TIWAppForm::RenderPage() {
  TIWPageContext40 page(app_, this);
  page.BodyScript() = "InitRects();\r\nInitIWCLObjects();\r\nInitialize();\r\nBody_OnResize();";
  struct Reset {
    TIWAppForm* f;
    ~Reset() {
      f->page_ = nullptr;
      for (TIWBaseHTML40Component* c : f->AllComponents()) {
        if (auto* cont = dynamic_cast<IIWBaseContainer*>(c)) cont->ResetContainerContext();
        c->SetDoRefreshControl(false);
      }
      f->ResetContainerContext();
      f->ClearRealTabOrders();
    }
  } reset{this};
  page_ = &page;
  DoRender();
  std::string body = RenderBody(page);
  layout_->ProcessControls(page);
  return layout_->RenderPage(*this, page, body);
}

// ---------------------------------------------------------------- plain controls

void TIWLabel::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  Invalidate();
}

std::unique_ptr<TIWHTMLTag> TIWLabel::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("span");
  tag->AddStringParam("id", HTMLName());
  if (!Hint.empty()) tag->AddStringParam("title", Hint);
  tag->AddText(caption_);
  return tag;
}

void TIWButton::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  Invalidate();
}

std::unique_ptr<TIWHTMLTag> TIWButton::RenderHTML(TIWCompContext& AContext) {
  auto tag = std::make_unique<TIWHTMLTag>("input", TIWHTMLTag::TClosingTag::ctdNone);
  tag->AddStringParam("type", "button");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("name", HTMLName());
  tag->AddStringParam("value", caption_);
  if (!Hint.empty()) tag->AddStringParam("title", Hint);
  if (!Enabled) tag->AddBoolParam("disabled");
  std::string name = HTMLName();
  if (OnAsyncClick) {
    std::string cb = name + ".DoOnAsyncClick";
    tag->AddStringParam("onclick", "executeAjaxEvent(\"\", null, " + JSString(cb) + ", true, null, true); return false;");
    if (TIWApplication* app = AContext.WebApplication()) {
      TIWCallback* entry = app->CallBacks().Register(cb, [this](TStringList&) {
        if (OnAsyncClick) OnAsyncClick(this);
      });
      callbackApp_ = app;
      callbackName_ = entry->Name();
    }
  } else {
    tag->AddStringParam("onclick", "SubmitClickConfirm(" + JSString(name) + ", false, true, \"\"); return false;");
  }
  return tag;
}

void TIWButton::BeforeDestruction() {
  if (callbackApp_)
    if (TIWCallback* cb = callbackApp_->CallBacks().Find(callbackName_)) cb->SetHandler([](TStringList&) {});
  callbackApp_ = nullptr;
  TIWBaseControl::BeforeDestruction();
}

void TIWButton::Submit(const std::string& AValue) {
  submitParam_ = AValue;
  if (OnClick) OnClick(this);
}

void TIWEdit::SetText(const std::string& v) {
  if (v == text_) return;
  text_ = v;
  Invalidate();
}

std::unique_ptr<TIWHTMLTag> TIWEdit::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("input", TIWHTMLTag::TClosingTag::ctdNone);
  tag->AddStringParam("type", PasswordPrompt ? "password" : "text");
  tag->AddStringParam("id", HTMLName());
  tag->AddStringParam("name", HTMLName());
  tag->AddStringParam("value", text_);
  if (MaxLength > 0) tag->AddIntegerParam("maxlength", MaxLength);
  if (!Hint.empty()) tag->AddStringParam("title", Hint);
  if (!Enabled) tag->AddBoolParam("disabled");
  tag->AddStringParam("oninput", "AddChangedControl(" + JSString(HTMLName()) + ");");
  return tag;
}

void TIWEdit::SetValue(const std::string& AValue) {
  if (AValue == text_) return;
  text_ = AValue;  // the browser already shows it: no refresh
  if (OnChange) OnChange(this);
}

}  // namespace zq
