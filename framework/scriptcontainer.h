// TIWZQJSContainer: the common base of the library's visual controls that
// render script (charts, uploads, signature pads and the jQuery container).
//
// On top of the region (framework/region.h) it gives a control:
//   - the script-container contract IIWZQJSContainer, so that its option
//     objects and event functions reach it (names, response routing);
//   - the render sequence: script links, stylesheets, the page script
//     (GetRenderScript then GetRenderExtraScript, added once), JSON / cookie
//     / resize-fix links, the region's tag with the scroll style, the
//     descendant's own tag (GetHtmlTag) and OnAfterRenderHTML;
//   - a style object (Style) and a scroll style (ZQScrollStyle);
//   - property changes during a callback as response script: visibility,
//     CSS class, focus, selection, ShowAndHide;
//   - the hidden inputs through which the browser sends values back
//     (GetInputControlNames / IsForThisControl, asked afresh on every use,
//     so inputs that appear later are routed too);
//   - the removal script when it is destroyed during a callback (once);
//   - free focus-navigation helpers (ZQSetNextFocus and the others).
//
// Data-aware descendants override the DataLink... hooks; the data link
// itself belongs to the data layer (GetHasDataLink is false until then).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// First: the bases' inline functions return tags by value.
#include "foundation/html.h"

#include "foundation/delegate.h"
#include "framework/region.h"
#include "framework/style.h"
#include "options/jsonobj.h"

namespace zq {

class TIWZQJSon;

// OnAfterRenderHTML(Sender, Result): Result is the rendered tag and may be
// replaced.
using TIWZQHTMLEvent = Delegate<void(TObject* Sender, std::unique_ptr<TIWHTMLTag>& Result)>;

// The container is also the event-function adapter of the functions it holds
// directly (no property name, no item index, no fixed script), as the component
// base is, so a container with event functions needs nothing more.
class TIWZQJSContainer : public TIWZQCustomRegion,
                         public IIWZQJSAjaxRender,
                         public IIWZQJSContainer,
                         public IIWZQFuncAdapter,
                         public IIWInputControl {
  ZQ_CLASS(TIWZQJSContainer, TIWZQCustomRegion)
 public:
  explicit TIWZQJSContainer(TComponent* AOwner);
  ~TIWZQJSContainer() override;
  void InitControl() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // ---- published
  TIWZQStyle* GetStyle();
  void SetStyle(TIWZQStyle* AValue);
  bool IsStyleStored() const { return FStyle != nullptr; }
  TIWZQScrollStyle GetZQScrollStyle() const { return FZQScrollStyle; }
  void SetZQScrollStyle(TIWZQScrollStyle AValue) { FZQScrollStyle = AValue; }
  const std::string& GetCss() const { return Css; }
  // The region's class; during a callback the new class goes to the browser.
  void SetCss(const std::string& AValue);
  bool IsCssStored() const { return !Css.empty(); }
  bool GetTabIndex() const { return FFlags & kTabIndex; }
  void SetTabIndex(bool AValue) { SetFlag(kTabIndex, AValue); }
  TIWZQHTMLEvent OnAfterRenderHTML;

  // ---- visibility, focus, selection
  void SetVisible(bool AValue) override;
  void set_Visible(bool AValue) { SetVisible(AValue); }
  // "$(\"#NAME\").css(\"visibility\",\"inherit\"|\"hidden\");"
  virtual std::string jsSetVisibility();
  // GetIDJQuery + ".focus();"
  virtual std::string jsSetFocus();
  void SetFocus();
  virtual void Select();
  void SetFocusAndSelect() {
    SetFocus();
    Select();
  }
  // "ZQShowAndHide(\"#NAME\",delay,show,hide)"; a missing object is "{}".
  std::string jsShowAndHide(int ADelay, TIWZQJSon* AShowOptions, TIWZQJSon* AHideOptions);
  void ShowAndHide(int ADelay, TIWZQJSon* AShowOptions, TIWZQJSon* AHideOptions);
  // ZQJQuery + "(document).ready(" or ZQJQuery + "(".
  std::string JQueryReady(bool AReady);

  // ---- JSON settings of the control's literals
  virtual bool JSonIdent();
  virtual bool JSonEscape() { return true; }
  virtual bool JSonNameQuote() { return false; }
  // The literal of an option object with the control's JSON settings ("{}"
  // for none).
  std::string OptionText(TIWZQJSon* AJSon);

  // ---- response events
  // "Css": "$(\"#NAME\").attr(\"class\",\"CSS\");"; anything else: "".
  virtual std::string ResponseEvent(TObject* Sender, const std::string& AName);

  // ---- hidden inputs (IIWInputControl)
  // The names, filled afresh by GetInputControlNames(list).
  std::vector<std::string> GetHiddenInputNames();
  virtual void GetInputControlNames(std::vector<std::string>& AList) { AList.clear(); }
  std::vector<std::string> GetInputControlNames() const override;
  bool IsForThisControl(std::string_view AName) const override;
  void SetValue(const std::string& AValue) override { (void)AValue; }
  void SetValueByName(const std::string& AName, const std::string& AValue) override {
    (void)AName, (void)AValue;
  }
  void SetFileValue(const THTTPFile& AFile) override { (void)AFile; }
  bool GetEditable() const override { return true; }
  virtual std::string GetHiddenInputsRemoveJs();

  // ---- rendering
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string RenderStyle(TIWCompContext& AContext) override;
  void RenderAsyncZQScrollbars(std::string& AStyle) override;
  virtual void GetScriptLinks(TStringList& AList);
  virtual void GetScriptLinksBeforeJQM(TStringList& AList) { (void)AList; }
  virtual void GetScriptLinksAfterJQM(TStringList& AList) { (void)AList; }
  virtual void RenderScriptLinks(TIWCompContext& AContext);
  virtual std::unique_ptr<TIWHTMLTag> DoRenderHTML(TIWCompContext& AContext);
  // The control's tab index on its tag (AIndex: the place in the form's real
  // tab order + 1). Base: nothing; controls with focusable elements write it.
  virtual void RenderRealTabIndex(TIWHTMLTag& ATag, int AIndex) { (void)ATag, (void)AIndex; }
  virtual std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext& AContext) {
    (void)AContext;
    return nullptr;
  }
  virtual std::string GetRenderExtraScript() { return {}; }

  // ---- removal
  std::string GetPluginDestroyJs() override { return {}; }
  std::string GetHtmlRemoveJs() override;
  std::string GetReleaseIWCLJs() override;
  std::string GetHtmlReplaceWithTempIDJS() override;
  // During a callback, once per control: hidden inputs, client object,
  // plug-in and element leave the page.
  virtual void DoAjaxBrowserDestroy();
  // ResetProps of every published object property that writes option JSON.
  virtual void ResetJSonProps();

  // ---- tab order (kept per owner frame, else owner form)
  // The control's place in its owner's tab-order list; without an owner the
  // stored value.
  int GetTabOrder() const;
  // Moves the control in the owner's list: appended when loading, for -1 or
  // for a value beyond the list, else inserted at the value; the stored value
  // becomes the value (or the new place for -1).
  void SetTabOrder(int AValue);

  // ---- bounds
  virtual void BeforeSetBounds(int& ALeft, int& ATop, int& AWidth, int& AHeight) {
    (void)ALeft, (void)ATop, (void)AWidth, (void)AHeight;
  }
  virtual void AfterSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    (void)ALeft, (void)ATop, (void)AWidth, (void)AHeight;
  }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  // ---- data-aware hooks (the data layer calls them)
  virtual bool GetHasDataLink() { return false; }
  virtual void DataLinkActiveChange() {}
  virtual void DataLinkEditingChange() {}
  virtual void DataLinkDataChange() {}
  virtual void DataLinkUpdateData() {}
  // "EXPR.addClass(\"CLASS\");" / removeClass, with check, without raise.
  void CheckDataLinkStateEditCss(const std::string& AElement, bool AAdd, const std::string& AClass);

  // ---- IIWZQJSContainer
  TComponent* GetImplComponent() override { return this; }
  std::string GetHTMLName() override { return TIWZQCustomRegion::GetHTMLName(); }
  std::string GetIWCLName() override { return GetHTMLName() + "IWCL"; }
  std::string GetJQHTMLName() override { return GetHTMLName(); }
  std::string GetRenderScript() override { return {}; }

  // ---- IIWZQFuncAdapter (defaults: the container holds the function itself)
  IIWZQJSContainer* GetZQJSContainer() override { return this; }
  std::string GetPropName() override { return {}; }
  int GetItemIndex() override { return -1; }
  std::string GetFixedScript(TObject*, bool& AAtStart) override {
    AAtStart = false;
    return {};
  }

  TIWApplication* GetIWApplication() override;
  std::string GetIDJQuery() override;
  bool GetGenerateAjaxResponse(TZQJSonMember* AMember) override;
  bool GetIsLoading() override { return TIWZQCustomRegion::GetIsLoading(); }
  bool GetMobile() override { return false; }
  bool GetHTML5() override { return false; }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck, bool ARaise) override;
  void AddJavaScriptToAjaxResponse(const std::string& APropName,
                                   const TIWZQAjaxReponseScriptEvent& AEvent, bool ACheck,
                                   bool ARaise);
  void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) override;
  void AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck, bool ARaise) override;
  void AddJavaScriptToResponse(const std::string& AScript, bool ACheck, bool ARaise) override;
  bool GetNeedsJSONJs() override { return FFlags & kNeedsJSONJs; }
  void SetNeedsJSONJs(bool AValue) override { SetFlag(kNeedsJSONJs, AValue); }
  bool GetNeedsCookieJs() override { return FFlags & kNeedsCookieJs; }
  void SetNeedsCookieJs(bool AValue) override { SetFlag(kNeedsCookieJs, AValue); }
  int GetDisableAjaxResponseCount() override { return FDisableAjaxResponseCount; }
  void DisableAjaxResponse() override { ++FDisableAjaxResponseCount; }
  void EnableAjaxResponse() override { --FDisableAjaxResponseCount; }

 protected:
  static constexpr std::uint8_t kNeedsJSONJs = 1u << 1;
  static constexpr std::uint8_t kNeedsCookieJs = 1u << 2;
  static constexpr std::uint8_t kVisibilityChanging = 1u << 3;
  static constexpr std::uint8_t kRemovalSent = 1u << 4;
  static constexpr std::uint8_t kTabIndex = 1u << 5;
  void SetFlag(std::uint8_t ABit, bool AValue) {
    FFlags = AValue ? (FFlags | ABit) : (FFlags & ~ABit);
  }

 private:
  Owned<TIWZQStyle> FStyle;
  int FDisableAjaxResponseCount = 1;
  TIWZQScrollStyle FZQScrollStyle = zqsbsIWDefault;
  std::uint8_t FFlags = 0;
};

// Focus navigation for the whole page (the tabbable plug-in), each added to
// the ajax response: "$.focusPrev();", "$.focusNext();", "$.tabPrev();",
// "$.tabNext();" with the jQuery alias.
void ZQSetPrevFocus();
void ZQSetNextFocus();
void ZQSetPrevTab();
void ZQSetNextTab();

}  // namespace zq
