// TIWZQJQComponent: the base of the library's non-visual components (context
// menu, lock indicator, intro tour, file download, client store, browser
// history ...).
//
// What a component gets from it:
//   - a client object in the page ("var NAMEIWCL = null;" and its NewIWCL
//     creation in the page's client-object code);
//   - the script and stylesheet links its plug-ins need (GetScriptLinks), each
//     linked once per page;
//   - one ajax callback, HTML name + ".DoAjaxRequest", through which all its
//     client events reach the server ("ajaxevent" names the event function as
//     a property path), and a submit entry ("submitevent");
//   - its own dispatcher: script queued while a callback is processed goes into
//     the ajax response when the host refreshes the component; script queued
//     outside a callback goes into the next page's initialisation code;
//   - the removal script (client object released, plug-in destroyed, element
//     removed) when it is destroyed during a callback;
//   - AjaxReRender: a re-render during a callback through a temporary region.
//
// Components are made with zq::Create<T>(owner): the constructor raises the
// response-disable counter and AfterConstruction drops it, so nothing set up
// while the component is built becomes response script.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "events/response.h"
#include "foundation/html.h"  // complete TIWHTMLTag for the unique_ptr render results
#include "framework/controlcore.h"
#include "host/controls.h"
#include "options/jsonobj.h"

namespace zq {

class TStringList;
class TIWZQResponseList;

// How a region is re-rendered during a callback: the process-wide default, the
// method that writes link and script tags with the content, or the client
// loader that fetches the files first.
enum TRenderRegionAsyncMethod { rramDefaultMethod, rramOldMethod, rramLazyLoadMethod };

// The scripts that take a control out of the page (used by async renders).
class IIWZQJSAjaxRender {
 public:
  virtual ~IIWZQJSAjaxRender() = default;
  virtual std::string GetPluginDestroyJs() = 0;
  virtual std::string GetHtmlRemoveJs() = 0;
  virtual std::string GetReleaseIWCLJs() = 0;
  virtual std::string GetHtmlReplaceWithTempIDJS() = 0;
};

// The component is also the event-function adapter of the functions it holds
// directly (no property name, no item index, no fixed script: override
// GetFixedScript for one), so a component with event functions needs nothing
// more than the functions.
class TIWZQJQComponent : public TIWBaseHTML40Component,
                         public IIWZQCoreControl,
                         public IIWZQJSAjaxRender,
                         public IIWZQJSContainer,
                         public IIWZQFuncAdapter,
                         public IIWSubmitControl {
  ZQ_CLASS(TIWZQJQComponent, TIWBaseHTML40Component)
 public:
  explicit TIWZQJQComponent(TComponent* AOwner);
  ~TIWZQJQComponent() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // ---- published
  const std::string& GetVersion() const { return FCore.GetVersion(); }
  // Ignored in design state.
  void SetVersion(const std::string& AValue) { FCore.SetVersion(AValue); }

  // ---- names
  // The host's HTML name (the Name in upper case, also in design state).
  std::string GetHTMLName() override { return HTMLName(); }
  // HTML name + "IWCL".
  std::string GetIWCLName() override { return GetHTMLName() + "IWCL"; }
  // HTML name + ".DoAjaxRequest".
  std::string GetCallbackName() { return GetHTMLName() + ".DoAjaxRequest"; }
  // HTML name + "." + event name: the name of an extra callback of the
  // component (the value callback of the client store uses an empty event).
  std::string GetRegisterCallbackName(std::string_view AEventName) { return GetHTMLName() + "." + std::string(AEventName); }

  // ---- virtual operations of the base
  virtual bool GetGenerateIWCLScript() { return true; }
  virtual std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext* AContext);
  virtual std::string GetRenderExtraScript() { return {}; }
  void Submit(const std::string& AValue) override { FCore.Submit(AValue); }
  std::string GetJQHTMLName() override { return GetHTMLName(); }
  std::string GetRenderScript() override { return {}; }
  bool GetIsLoading() override { return HasState(csLoading); }
  bool GetMobile() override { return false; }
  bool GetHTML5() override { return false; }
  std::string GetDocumentationLink() override { return {}; }
  void AjaxPictureChanged(TObject* Sender) override { (void)Sender; }
  std::string GetPluginDestroyJs() override { return {}; }
  // "$(\"#NAME\").remove();" with the jQuery alias.
  std::string GetHtmlRemoveJs() override;
  // "ZQRelease_IWCL(\"NAMEIWCL\");" (+ CR LF with script debugging).
  std::string GetReleaseIWCLJs() override;
  // Replaces the element by an empty "NAME_temp_id" placeholder.
  std::string GetHtmlReplaceWithTempIDJS() override;
  virtual std::string GetHiddenInputsRemoveJs() { return {}; }
  // During a callback: queues the removal script (hidden inputs, client
  // object, plug-in, element) in the ajax response. Nothing otherwise.
  virtual void DoAjaxBrowserDestroy();
  // The client files of the component, relative to ZQJsUrlBase.
  virtual void GetScriptLinks(TStringList& AList);
  virtual void RenderScriptLinks(TIWCompContext& AContext);
  virtual std::unique_ptr<TIWHTMLTag> GetDesignTag() { return GetHtmlTag(nullptr); }
  // The registered callback: "ajaxevent" names the event.
  void DoAjaxRequest(TStringList* AParams) override { FCore.DoAjaxRequest(AParams); }
  // Runs the event function the name resolves to (a property path).
  void CallEvent(const std::string& AEventName, TStringList* AParams, bool AIsAjax) override;
  // ResetProps of every published object property that writes option JSON.
  virtual void ResetJSonProps();

  // ---- re-render during a callback
  void AjaxReRender() { AjaxReRender(false, false, "", rramDefaultMethod); }
  void AjaxReRender(const std::string& AAfterLazyLoadJS) { AjaxReRender(true, false, AAfterLazyLoadJS, rramLazyLoadMethod); }
  void AjaxReRender(bool ABrowserResize, bool AKeepPosition) { AjaxReRender(ABrowserResize, AKeepPosition, "", rramDefaultMethod); }
  void AjaxReRender(bool ABrowserResize, bool AKeepPosition, const std::string& AAfterLazyLoadJS,
                    TRenderRegionAsyncMethod AZQRenderAsyncMethod);

  // ---- host hooks
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  void RenderScripts(TIWCompContext& AContext) override;
  std::unique_ptr<TIWHTMLTag> RenderMarkupLanguageTag(TIWCompContext& AContext) override;
  std::unique_ptr<TIWHTMLTag> RenderAsyncComponent(TIWCompContext& AContext) override;
  bool GetDoRefreshControl() const override;
  void SetDoRefreshControl(bool AValue) override;
  void InitControl() override;
  void Dispose(bool ADispose) override;
  // The container the component is placed in: the owner, or the
  // "IWFrameRegion" of a frame owner; none when it is not a host container.
  IIWBaseContainer* GetPlacementContainer() const;

  // ---- IIWSubmitControl
  std::string GetSubmitParam() const override { return FCore.GetSubmitParam(); }

  // ---- IIWZQJSContainer
  TComponent* GetImplComponent() override { return this; }
  TIWApplication* GetIWApplication() override;
  std::string GetIDJQuery() override;
  bool GetGenerateAjaxResponse(TZQJSonMember* AMember) override {
    return FCore.GetGenerateAjaxResponse(AMember, GetIsLoading());
  }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, bool ACheck, bool ARaise) override {
    FCore.AddJavaScriptToAjaxResponse(AScript, ACheck, ARaise);
  }
  void AddJavaScriptToAjaxResponse(const std::string& AScript, const TIWZQAjaxReponseScriptEvent& AEvent,
                                   bool ACheck, bool ARaise) {
    FCore.AddJavaScriptToAjaxResponse(AScript, AEvent, ACheck, ARaise);
  }
  void AddMemberToAjaxResponse(TIWZQJSon* AHandler, TZQJSonMember* AMember) override {
    FCore.AddMemberToAjaxResponse(AHandler, AMember);
  }
  void AddJavaScriptToSubmitResponse(const std::string& AScript, bool ACheck, bool ARaise) override {
    FCore.AddJavaScriptToSubmitResponse(AScript, ACheck, ARaise);
  }
  void AddJavaScriptToSubmitResponse(const std::string& AScript, const TIWZQAjaxReponseScriptEvent& AEvent,
                                     bool ACheck, bool ARaise) {
    FCore.AddJavaScriptToSubmitResponse(AScript, AEvent, ACheck, ARaise);
  }
  void AddJavaScriptToResponse(const std::string& AScript, bool ACheck, bool ARaise) override {
    FCore.AddJavaScriptToResponse(AScript, ACheck, ARaise);
  }
  void AddJavaScriptEventToResponse(const std::string& AScript, const TIWZQAjaxReponseScriptEvent& AEvent,
                                    bool ACheck, bool ARaise) {
    FCore.AddJavaScriptEventToResponse(AScript, AEvent, ACheck, ARaise);
  }
  bool GetNeedsJSONJs() override { return FCore.GetFlag(kNeedsJSONJs); }
  void SetNeedsJSONJs(bool AValue) override { FCore.SetFlag(kNeedsJSONJs, AValue); }
  bool GetNeedsCookieJs() override { return FCore.GetFlag(kNeedsCookieJs); }
  void SetNeedsCookieJs(bool AValue) override { FCore.SetFlag(kNeedsCookieJs, AValue); }
  int GetDisableAjaxResponseCount() override { return FCore.GetDisableAjaxResponseCount(); }
  void DisableAjaxResponse() override { FCore.DisableAjaxResponse(); }
  void EnableAjaxResponse() override { FCore.EnableAjaxResponse(); }

  // ---- IIWZQFuncAdapter (defaults: the component holds the function itself)
  IIWZQJSContainer* GetZQJSContainer() override { return this; }
  std::string GetPropName() override { return {}; }
  int GetItemIndex() override { return -1; }
  std::string GetFixedScript(TObject* AFunc, bool& AAtStart) override;

  IIWZQDispatcher* Dispatcher() const { return FCore.Dispatcher(); }
  // The dispatcher, lists, flags and callbacks of the component.
  TZQControlCore& Core() { return FCore; }

 protected:
  static constexpr std::uint8_t kNeedsJSONJs = 1u << 0;
  static constexpr std::uint8_t kNeedsCookieJs = 1u << 1;
  bool Designing() const { return HasState(csDesigning); }
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TZQControlCore FCore;
  TComponent* FAuxOwner;
  IIWBaseContainer* FPlacedIn = nullptr;
};

}  // namespace zq
