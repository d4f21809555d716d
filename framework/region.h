// TIWZQCustomRegion: the base of the library's visual controls. A host region
// (a positioned container with child controls) that gets what the component
// base (framework/component.h) gives non-visual components: its own
// dispatcher, one ajax callback named HTML name + ".DoAjaxRequest", a submit
// entry, event dispatch to event functions, and a re-render during a
// callback. It also carries the control's context-menu and intro-tour links,
// the load-hidden mode (the element is hidden by the "zqloading" class until
// the page's initialisation has run) and the "control" tag through which its
// state travels in an ajax response.
//
// TIWZQCompRegion is the temporary region through which a non-visual
// component is re-rendered during a callback (TIWZQJQComponent::AjaxReRender).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "events/response.h"
#include "framework/component.h"
#include "framework/controlcore.h"
#include "framework/style.h"
#include "host/controls.h"

namespace zq {

class TIWZQCustomRegion;
class TStringList;

// A context menu as a region sees it (the context-menu component implements
// it): the regions it opens on, and showing it on one of them.
class IIWZQRegionContextMenu {
 public:
  virtual ~IIWZQRegionContextMenu() = default;
  virtual void AddSelectorControl(TComponent* AControl) = 0;
  virtual void RemoveSelectorControl(TComponent* AControl) = 0;
  virtual void ShowOn(TComponent* AControl, int X, int Y) = 0;
  virtual void ShowOnCenter(TComponent* AControl, int AdjustLeft, int AdjustTop) = 0;
  virtual void HideMenu() = 0;
};

// An intro tour as a region sees it (the tour component implements it): a
// region is added as a step with a text, positioned below it.
class IIWZQRegionIntro {
 public:
  virtual ~IIWZQRegionIntro() = default;
  virtual void AddIntroControl(TComponent* AControl, const std::string& AText) = 0;
  virtual void RemoveIntroControl(TComponent* AControl) = 0;
};

// The text a region added to a tour starts with.
inline constexpr const char* kZQDefaultIntroText = "Default Intro Text";

// Re-renders a region during a callback and sends it to the browser
// (region, browser resize, keep position, method, after-load script, ID of
// the element to append to). Installed by the async render layer; without
// one, AjaxReRender raises "Async region rendering is not available!".
using TZQRegionAsyncRenderer = std::function<void(TIWCustomRegion* ARegion, bool ABrowserResize, bool AKeepPosition,
                                                  TRenderRegionAsyncMethod AMethod, const std::string& AAfterLazyLoadJS,
                                                  const std::string& AAppendToHTMLID)>;
void ZQSetRegionAsyncRenderer(TZQRegionAsyncRenderer ARenderer);
const TZQRegionAsyncRenderer& ZQGetRegionAsyncRenderer();

class TIWZQCustomRegion : public TIWCustomRegion, public IIWZQCoreControl, public IIWSubmitControl {
  ZQ_CLASS(TIWZQCustomRegion, TIWCustomRegion)
 public:
  explicit TIWZQCustomRegion(TComponent* AOwner);
  ~TIWZQCustomRegion() override;
  void BeforeDestruction() override;

  // ---- published
  bool GetLoadHidden() const { return FCore.GetFlag(kLoadHidden); }
  void SetLoadHidden(bool AValue) { FCore.SetFlag(kLoadHidden, AValue); }
  const std::string& GetVersion() const { return FCore.GetVersion(); }
  void SetVersion(const std::string& AValue) { FCore.SetVersion(AValue); }
  TComponent* GetContextMenu() const { return FContextMenu; }
  void SetContextMenu(TComponent* AMenu);
  TComponent* GetIntro() const { return FIntro; }
  void SetIntro(TComponent* AValue);
  // The event placeholder: reads as none, ignores writes.
  TObject* GetEvents() const { return nullptr; }
  void SetEvents(TObject*) {}

  // ---- names
  // Design state: the Name in upper case; placed: the host HTML name (also
  // remembered); detached: the name remembered while it was placed.
  virtual std::string GetHTMLName();
  std::string GetCallbackName();
  std::string ContainerPrefix() const;
  TIWAppForm* GetRootForm() const;
  TIWApplication* GetWebApplication() const;

  // ---- virtual operations
  virtual unsigned GetAsyncCommonPropertiesToRemove() { return 124; }
  virtual void SetInternalContextMenu(TComponent* AMenu) { FContextMenu = AMenu; }
  virtual bool RenderAsyncSize() { return true; }
  virtual bool RenderAsyncBorders() { return true; }
  virtual void RenderAsyncZQScrollbars(std::string& AStyle) { (void)AStyle; }
  void CallEvent(const std::string& AEventName, TStringList* AParams, bool AIsAjax) override;
  virtual bool GetIsLoading() { return HasState(csLoading); }
  bool GetMobile() override { return false; }
  virtual bool GetHTML5() { return false; }
  void Submit(const std::string& AValue) override { FCore.Submit(AValue); }
  void DoAjaxRequest(TStringList* AParams) override { FCore.DoAjaxRequest(AParams); }
  std::string GetSubmitParam() const override { return FCore.GetSubmitParam(); }

  // ---- re-render during a callback
  void AjaxReRender() { AjaxReRender(false, false); }
  void AjaxReRender(bool ABrowserResize, bool AKeepPosition);
  void AjaxReRender(bool ABrowserResize, TRenderRegionAsyncMethod AZQRenderAsyncMethod,
                    const std::string& AAfterLazyLoadJS, const std::string& AAppendToHTMLID);

  // ---- context menu
  void ShowContextMenu(int X, int Y);
  void ShowContextMenuOnCenter() { ShowContextMenuOnCenter(0, 0); }
  void ShowContextMenuOnCenter(int AdjustLeft, int AdjustTop);
  void HideContextMenu();

  void AddLinkFile(TIWCompContext& AContext, const std::string& ABase, const std::string& AFile);

  // ---- host hooks
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string RenderCSSClass(TIWCompContext& AContext) override;
  std::unique_ptr<TIWHTMLTag> RenderAsync(TIWCompContext& AContext) override;
  std::unique_ptr<TIWHTMLTag> RenderMarkupLanguageTag(TIWCompContext& AContext) override;
  std::unique_ptr<TIWHTMLTag> RenderAsyncComponent(TIWCompContext& AContext) override;
  bool GetDoRefreshControl() const override;
  void SetDoRefreshControl(bool AValue) override;
  void DoPostRenderProcessing(TIWHTMLTag* ATag, TIWCompContext& AContext, TComponent* AChild) override;
  void IWRemoveComponent(TComponent* AComponent) override;
  void Dispose(bool ADispose) override;
  void SetParent(TIWBaseControl* AParent) override;

  IIWZQDispatcher* Dispatcher() const { return FCore.Dispatcher(); }
  // The dispatcher, lists, flags and callbacks of the region.
  TZQControlCore& Core() { return FCore; }

 protected:
  TIWFont* CreateFont() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool Designing() const { return HasState(csDesigning); }

 private:
  static constexpr std::uint8_t kLoadHidden = 1u << 0;
  TZQControlCore FCore;
  std::string FHTMLName;
  TComponent* FContextMenu = nullptr;
  TComponent* FIntro = nullptr;
};

// The temporary region that wraps a non-visual component while it is
// re-rendered during a callback.
class TIWZQCompRegion : public TIWZQCustomRegion {
  ZQ_CLASS(TIWZQCompRegion, TIWZQCustomRegion)
 public:
  using TIWZQCustomRegion::TIWZQCustomRegion;
  TIWZQJQComponent* FComponent = nullptr;
};

}  // namespace zq
