// The host's component model: renderable components, visual controls,
// containers (forms, frames, regions), the submit and input control
// interfaces, and the plain controls an application needs on a page (label,
// button, edit, region).
//
// Ownership follows TComponent: a form owns the controls placed on it (also
// those inside its regions); Parent is a non-owning link that says where a
// control is rendered.
//
// Rendering: the host asks each component for its tag
// (RenderMarkupLanguageTag, built on RenderHTML plus the class and style
// attributes), then for its scripts (RenderScripts); a container's children are
// rendered into its tag. During a callback the refresh cycle asks every
// component whether it takes part (GetDoRefreshControl), takes its part
// (RenderAsyncComponent: an XML tag such as a region's "control" tag, or no
// tag, in which case the host sends the component's new outer HTML), then
// resets it (SetDoRefreshControl(false)).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/component.h"
#include "foundation/delegate.h"

namespace zq {

class TIWApplication;
class TIWAppForm;
class TIWBaseControl;
class TIWCompContext;
class TIWContainerContext;
class TIWHTMLTag;
class TIWPageContext40;
class TIWLayoutMgr;
struct THTTPFile;

// The no-colour value.
inline constexpr int clNone = 0x1FFFFFFF;
// Colour from text: "#RRGGBB", a CSS/VCL colour name ("red", "clRed"), or
// clNone for empty or unknown text. Colours are 0x00BBGGRR.
int StringToIWColor(std::string_view text);
// "#rrggbb" for a colour, empty for clNone.
std::string IWColorToCSS(int color);

// Mouse cursors, in the order the script helpers map them to CSS.
enum class TIWCursor {
  crAuto, crCrossHair, crDefault, crHandPoint, crMove, crEResize, crNEResize, crNWResize, crNResize,
  crSEResize, crSWResize, crSResize, crWResize, crText, crWait, crPointer, crHelp
};

// ------------------------------------------------------------- interfaces

// A control that a full submit can end in: Submit receives the "&"-joined
// parameter text the browser sent for it.
class IIWSubmitControl {
 public:
  virtual ~IIWSubmitControl() = default;
  virtual void Submit(const std::string& AValue) = 0;
  virtual std::string GetSubmitParam() const = 0;
  std::function<void(const std::string&)> getSubmitProc() {
    return [this](const std::string& v) { Submit(v); };
  }
};

// A control whose posted values come back to it on every submit and callback.
class IIWInputControl {
 public:
  virtual ~IIWInputControl() = default;
  // The names of the posted fields of the control.
  virtual std::vector<std::string> GetInputControlNames() const = 0;
  virtual bool IsForThisControl(std::string_view AName) const;
  virtual void SetValue(const std::string& AValue) = 0;
  virtual void SetValueByName(const std::string& AName, const std::string& AValue);
  virtual void SetFileValue(const THTTPFile& AFile);
  virtual bool GetEditable() const { return true; }
};

// An input control with several posted fields (one per name).
class IIWMultiInputControl : public IIWInputControl {};

// A control that needs content files (stylesheets, scripts) in the page and
// a script run when the page is ready.
class IIWContentFiles {
 public:
  virtual ~IIWContentFiles() = default;
  virtual std::vector<std::string> GetContentFiles() const = 0;
  virtual std::string GetOnReadyScript() const { return {}; }
};

// A component with an HTML element.
class IIWBaseHTMLComponent {
 public:
  virtual ~IIWBaseHTMLComponent() = default;
  virtual std::string HTMLName() const = 0;
};

// A container of controls: visual children (Controls) and non-visual
// components placed in it (IWComponents).
class IIWBaseContainer {
 public:
  virtual ~IIWBaseContainer();
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TIWBaseControl* Controls(int i) const { return controls_.at(static_cast<size_t>(i)); }
  const std::vector<TIWBaseControl*>& ControlList() const { return controls_; }

  virtual void IWAddComponent(TComponent* AComponent);
  virtual void IWRemoveComponent(TComponent* AComponent);
  virtual int get_IWComponentsCount() const { return static_cast<int>(components_.size()); }
  TComponent* IWComponents(int i) const { return components_.at(static_cast<size_t>(i)); }

  // The container context of the render in progress (none outside a render).
  TIWContainerContext* ContainerContext() const { return containerContext_.get(); }
  TIWContainerContext* InitContainerContext(TIWPageContext40* page);
  void SetContainerContext(std::unique_ptr<TIWContainerContext> ctx);
  void ResetContainerContext();

  // Renders the visible children and the placed components into the container
  // context, then puts the child tags into the container's tag.
  virtual void RenderComponents(TIWContainerContext& AContext, TIWPageContext40& APage, TIWHTMLTag* ATag);
  // Called after each child is rendered (its tag may still be changed).
  virtual void DoPostRenderProcessing(TIWHTMLTag* ATag, TIWCompContext& AContext, TComponent* AChild);
  // Renders the children whose parent's RenderInvisibleControls is set, hidden.
  bool RenderInvisibleControls = true;

 protected:
  friend class TIWBaseControl;
  void AddControl(TIWBaseControl* c);
  void RemoveControl(TIWBaseControl* c);

 private:
  std::vector<TIWBaseControl*> controls_;
  std::vector<TComponent*> components_;
  std::unique_ptr<TIWContainerContext> containerContext_;
};

// ------------------------------------------------------------- components

// Base of everything that renders into a page.
class TIWBaseHTML40Component : public TComponent, public IIWBaseHTMLComponent {
  ZQ_CLASS(TIWBaseHTML40Component, TComponent)
 public:
  explicit TIWBaseHTML40Component(TComponent* AOwner);
  ~TIWBaseHTML40Component() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // The element ID: the Name in upper case.
  std::string HTMLName() const override;
  // The form that owns the component (walking the owner chain), or none.
  TIWAppForm* OwnerForm() const;
  // The session of the owner form, or the thread's session.
  TIWApplication* WebApplication() const;

  virtual bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool v);

  // Rendering (see the file comment). RenderHTML gives the element's tag, or
  // none for a component without an element.
  virtual std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext);
  virtual void RenderScripts(TIWCompContext& AContext);
  virtual std::unique_ptr<TIWHTMLTag> RenderMarkupLanguageTag(TIWCompContext& AContext);
  virtual std::string RenderCSSClass(TIWCompContext& AContext);
  virtual std::string RenderStyle(TIWCompContext& AContext);
  // The component's part of a callback response, or none for "send my new
  // outer HTML".
  virtual std::unique_ptr<TIWHTMLTag> RenderAsync(TIWCompContext& AContext);
  virtual std::unique_ptr<TIWHTMLTag> RenderAsyncComponent(TIWCompContext& AContext);

  virtual bool GetDoRefreshControl() const { return refresh_; }
  virtual void SetDoRefreshControl(bool v) { refresh_ = v; }
  // Marks the component for the refresh cycle of the current callback.
  void Invalidate() { SetDoRefreshControl(true); }

  // Called once creation is complete: places a non-visual component in its
  // owner container. Dispose(flag) is called before destruction and takes it
  // out again.
  virtual void InitControl();
  virtual void Dispose(bool ADispose);

  std::string Css;  // class attribute text

 private:
  bool visible_ = true;
  bool refresh_ = false;
  IIWBaseContainer* placedIn_ = nullptr;
};

// A non-visual component: no element of its own, scripts only.
class TIWComponent : public TIWBaseHTML40Component {
  ZQ_CLASS(TIWComponent, TIWBaseHTML40Component)
 public:
  using TIWBaseHTML40Component::TIWBaseHTML40Component;
};

class TIWFont : public TPersistent {
  ZQ_CLASS(TIWFont, TPersistent)
 public:
  enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
  TIWFont() = default;
  bool Enabled = true;
  int Color = clNone;
  int Size = 10;
  int Style = 0;  // TFontStyle bits
  std::string FontName;
  // The CSS declarations of the font ("" when disabled).
  virtual std::string RenderCSS() const;
  void Assign(const TPersistent* Source) override;
};

enum class TIWBorderStyle { bsNone, bsSolid, bsDotted, bsDashed, bsDouble, bsInset, bsOutset };

// Border of a container and the scroll-bar settings it renders with.
class TIWContainerBorderOptions {
 public:
  int Color = clNone;
  int BorderWidth = 0;
  TIWBorderStyle Style = TIWBorderStyle::bsNone;
  // Prepares for rendering with the container's colour and scroll bars.
  void InitForRender(int backgroundColor, bool horzScrollBar, bool vertScrollBar);
  // A "div" whose "style" parameter holds the border, background and overflow.
  std::unique_ptr<TIWHTMLTag> CreateFrameTag(TIWPageContext40* APage) const;

 private:
  int background_ = clNone;
  bool horz_ = false, vert_ = false;
};

// What RenderStyle writes.
struct TIWStyleRenderOptions {
  bool RenderSize = true;
  bool RenderPosition = true;
  bool RenderFont = true;
  bool RenderZIndex = true;
  bool RenderVisibility = true;
  bool RenderAbsolute = true;
  bool RenderBorder = true;
};

// Ordinals of the common properties of an async control tag. A component may
// leave some out with a bit mask (bit n = ordinal n).
// The class attribute is not among them: the browser side adds classes of its
// own (widgets, "zqloading") that a refresh must not wipe.
enum TIWAsyncCommonProperty {
  acpVisible = 0, acpEnabled = 1, acpLeft = 2, acpTop = 3, acpWidth = 4, acpHeight = 5, acpZIndex = 6
};

// A visual control, placed in a container through its Parent.
class TIWBaseControl : public TIWBaseHTML40Component {
  ZQ_CLASS(TIWBaseControl, TIWBaseHTML40Component)
 public:
  explicit TIWBaseControl(TComponent* AOwner);
  ~TIWBaseControl() override;
  void Initialize() override;
  void BeforeDestruction() override;

  TIWBaseControl* Parent() const { return parent_; }
  // The new parent must be a container (raises EInvalidCast otherwise).
  virtual void SetParent(TIWBaseControl* AParent);
  // The first form up the parent chain (the control itself included).
  TIWAppForm* ParentForm() const;

  int Left = 0, Top = 0, Width = 0, Height = 0;
  int ZIndex = 0;
  int TabOrder = -1;
  std::string Hint;
  bool Enabled = true;
  TIWCursor Cursor = TIWCursor::crAuto;
  TIWStyleRenderOptions StyleRenderOptions;
  void SetBounds(int l, int t, int w, int h);

  TIWFont* Font() const { return font_.get(); }

  std::string RenderCSSClass(TIWCompContext& AContext) override;
  std::string RenderStyle(TIWCompContext& AContext) override;
  // Adds the common async properties, leaving out the ordinals in removeMask.
  void RenderAsyncCommonProperties(TIWHTMLTag& ATag, unsigned removeMask) const;

 protected:
  // Creates the font object; subclasses may give one with other defaults.
  virtual TIWFont* CreateFont();

 private:
  TIWBaseControl* parent_ = nullptr;
  Owned<TIWFont> font_;
};

// A container control that renders as a positioned element with children.
class TIWCustomRegion : public TIWBaseControl, public IIWBaseContainer {
  ZQ_CLASS(TIWCustomRegion, TIWBaseControl)
 public:
  explicit TIWCustomRegion(TComponent* AOwner);
  ~TIWCustomRegion() override;

  int Color = clNone;
  // With an empty Css, the class is " IWCLIPCONTROL" (the contents are clipped).
  bool ClipRegion = false;
  bool HorzScrollBar = false;
  bool VertScrollBar = false;
  TIWContainerBorderOptions& BorderOptions() { return border_; }

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string RenderCSSClass(TIWCompContext& AContext) override;
  std::string RenderStyle(TIWCompContext& AContext) override;
  // The region's "control" XML tag with its common async properties.
  std::unique_ptr<TIWHTMLTag> RenderAsync(TIWCompContext& AContext) override;
  // Client-object name of the region.
  std::string GetIWCLName() const { return HTMLName() + "IWCL"; }
  void ForceAlign() {}

 private:
  TIWContainerBorderOptions border_;
};

class TIWRegion : public TIWCustomRegion {
  ZQ_CLASS(TIWRegion, TIWCustomRegion)
 public:
  using TIWCustomRegion::TIWCustomRegion;
};

// A frame: a reusable group of controls placed in a form; its first child is
// usually a region that holds the rest.
class TIWFrame : public TIWBaseControl, public IIWBaseContainer {
  ZQ_CLASS(TIWFrame, TIWBaseControl)
 public:
  using TIWBaseControl::TIWBaseControl;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
};

// ------------------------------------------------------------- page layout

// Builds the page around the rendered body. The script section (head scripts
// and the page's global script) goes through the process-wide script-section
// filters, so that libraries can add page scripts to every page.
class TIWLayoutMgr {
 public:
  virtual ~TIWLayoutMgr() = default;
  // Whether the layout writes the submit form tag itself.
  virtual bool GetFormTag() const { return true; }
  // The head scripts: runtime and jQuery, script files, the page script.
  virtual std::string ScriptSection(TIWPageContext40& APage);
  // The whole document.
  virtual std::string RenderPage(TIWAppForm& AForm, TIWPageContext40& APage, const std::string& ABody);
  virtual void ProcessControls(TIWPageContext40&) {}
  virtual void InsertClassID(TIWHTMLTag&) {}

  // A filter gets the layout, the page and the rest of the chain (ending in the
  // host's own ScriptSection) and returns the section text.
  using TScriptSectionFilter =
      std::function<std::string(TIWLayoutMgr& ALayout, TIWPageContext40& APage, const std::function<std::string()>& ANext)>;
  static int AddScriptSectionFilter(TScriptSectionFilter filter);
  static void RemoveScriptSectionFilter(int id);
  std::string RenderScriptSection(TIWPageContext40& APage);
};

class TIWLayoutMgrForm : public TIWLayoutMgr {};
// A template processor; a template may supply its own form tag.
class TIWTemplateProcessorHTML : public TIWLayoutMgr {
 public:
  bool RenderFormTag = true;
  bool GetFormTag() const override { return RenderFormTag; }
};

// ------------------------------------------------------------- forms

class TIWAppForm : public TIWBaseControl, public IIWBaseContainer {
  ZQ_CLASS(TIWAppForm, TIWBaseControl)
 public:
  // A form is owned by its session.
  explicit TIWAppForm(TIWApplication* AApplication);
  ~TIWAppForm() override;

  TIWApplication* Application() const { return app_; }
  std::string Title;
  int BackgroundColor = clNone;

  // Makes the form the session's active form / hides it.
  virtual void Show();
  virtual void Hide();

  TIWLayoutMgr& LayoutMgr() { return *layout_; }
  void SetLayoutMgr(std::unique_ptr<TIWLayoutMgr> layout);

  // Renders the whole page.
  std::string RenderPage();
  // The page context of the render in progress (none outside a render).
  TIWPageContext40* PageContext() const { return page_; }
  void SetPageContext(TIWPageContext40* p) { page_ = p; }
  // The render steps a page render runs (also used by async region renders).
  virtual void DoRender();
  // The form tag with the controls and hidden fields.
  std::string RenderBody(TIWPageContext40& APage);
  // The script at the end of the page: token, client objects, init code, body
  // script, ready code, focus code, messages.
  std::string RenderPageScript(TIWPageContext40& APage);
  void FillRealTabOrders();
  void ClearRealTabOrders() { tabOrders_.clear(); }
  const std::vector<TIWBaseControl*>& RealTabOrders() const { return tabOrders_; }
  void SetFormAction(std::string action) { formAction_ = std::move(action); }
  const std::string& FormAction() const { return formAction_; }
  bool CheckUpdateTree(TComponent*) const { return false; }
  // Adds a content file to the page being rendered: ".css" as a link file,
  // anything else as a script file (URLs relative to the web root get the URL
  // base and the file version).
  void ProcessContentFile(const std::string& AFile);

  // Every renderable component of the form, depth first in render order:
  // visible or not, controls inside containers and placed components.
  std::vector<TIWBaseHTML40Component*> AllComponents() const;
  // The component of that HTML name, or none.
  TIWBaseHTML40Component* FindByHTMLName(std::string_view name) const;

  // Renders one component (and, for a container, its children) into the
  // container context; returns its tag (also kept in the context).
  TIWHTMLTag* RenderComponent(TIWBaseHTML40Component* AComponent, TIWContainerContext& AContext);

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;

 private:
  TIWApplication* app_;
  std::unique_ptr<TIWLayoutMgr> layout_;
  TIWPageContext40* page_ = nullptr;
  std::vector<TIWBaseControl*> tabOrders_;
  std::string formAction_ = "/";
};

// ------------------------------------------------------------- plain controls

class TIWLabel : public TIWBaseControl {
  ZQ_CLASS(TIWLabel, TIWBaseControl)
 public:
  using TIWBaseControl::TIWBaseControl;
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v);
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;

 private:
  std::string caption_;
};

// A button. OnClick runs in a full submit; OnAsyncClick, when assigned, runs in
// a callback instead.
class TIWButton : public TIWBaseControl, public IIWSubmitControl {
  ZQ_CLASS(TIWButton, TIWBaseControl)
 public:
  using TIWBaseControl::TIWBaseControl;
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v);
  TNotifyEvent OnClick;
  TNotifyEvent OnAsyncClick;

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  void Submit(const std::string& AValue) override;
  std::string GetSubmitParam() const override { return submitParam_; }
  // Leaves a do-nothing handler under the callback name it registered.
  void BeforeDestruction() override;

 private:
  std::string caption_;
  std::string submitParam_;
  TIWApplication* callbackApp_ = nullptr;
  std::string callbackName_;
};

// A one-line text input; its value comes back on every submit and callback.
class TIWEdit : public TIWBaseControl, public IIWInputControl {
  ZQ_CLASS(TIWEdit, TIWBaseControl)
 public:
  using TIWBaseControl::TIWBaseControl;
  const std::string& GetText() const { return text_; }
  void SetText(const std::string& v);
  int MaxLength = 0;
  bool PasswordPrompt = false;
  TNotifyEvent OnChange;  // the posted value differs from the text

  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::vector<std::string> GetInputControlNames() const override { return {HTMLName()}; }
  void SetValue(const std::string& AValue) override;

 private:
  std::string text_;
};

}  // namespace zq
