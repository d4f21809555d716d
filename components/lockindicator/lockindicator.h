// The lock indicator: blocks the page, or one control, with the blockUI
// plug-in while a callback or a submit is under way, showing a message and an
// animated image.
//
//   auto* lock = Create<TIWZQJQLockIndicator>(form);     // or the server controller
//   auto* item = lock->GetIndicators()->Add();           // a whole-page block
//   item->GetImageSetting()->SetImage(3);                 // Loading3.gif, 66 x 66
//   lock->SetAsyncIndicatorIndex(0);                      // for the matching ajax events
//   auto* panelItem = lock->GetIndicators()->Add();
//   panelItem->SetControl(panel);                         // blocks only the panel
//   button->GetOnClick()->SetIndicator(lock);             // this event uses item 1
//   button->GetOnClick()->SetIndicatorIndex(1);
//
// Which item blocks is decided in the browser (see lockscripts.h): an event
// function with an item of its own, else the active ajax item for the events
// that match AjaxEventsRegEx / AjaxEventsZQRegEx, else the active submit item.
// Lock / Unlock show and hide an item from server code.
//
// Message and title are written as text (HTML-escaped); an item whose
// MessageIsHTML is set writes both as HTML.
//
// An indicator owned by the server controller serves every form of every
// session: its parts are all created when it is built and when an item is
// added, and every script it produces is built under its own lock, so pages
// of many sessions can be rendered at once.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "components/lockindicator/lockscripts.h"
#include "components/picture/picture.h"
#include "events/func.h"
#include "foundation/stringlist.h"
#include "framework/component.h"
#include "framework/pagescripts.h"
#include "options/jsonlist.h"
#include "options/optionrows.h"

namespace zq {

class TIWFont;
class TIWZQJQCustomLockIndicator;
class TIWZQJQLockIndicators;

// The component's fixed name.
inline constexpr const char* kZQLockIndicatorName = "IWZQJQLockIndicator1";

// ---------------------------------------------------------------- message

#define ZQ_LOCK_MSG_ROWS(X)                       \
  X(String, Message, "message", "Please wait...") \
  X(Boolean, Visible, "visible", true)

class TIWZQJQLockIndicatorMsgSettings : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQLockIndicatorMsgSettings, TIWZQJSon, ZQ_LOCK_MSG_ROWS)
  explicit TIWZQJQLockIndicatorMsgSettings(TCollection* Collection = nullptr);
  ~TIWZQJQLockIndicatorMsgSettings() override;
  // Size 14, "Arial, Sans-Serif, Verdana" at construction.
  TIWFont* GetFont() const { return FFont.get(); }
  void SetFont(TIWFont* AValue);
  void Assign(const TPersistent* Source) override;

 private:
  Owned<TIWFont> FFont;
};

// ---------------------------------------------------------------- image

#define ZQ_LOCK_IMAGE_ROWS(X)                                                                     \
  X(Enum, Theme, "Theme", TIWZQJQLockIndicatorImgColor, TIWZQJQLockIndicatorImgColor::jqlisBlack, \
    kZQServerOnly)                                                                                \
  X(Custom, Image, "image", Integer, 0, kZQServerOnly)                                            \
  X(Enum, Alignment, "imageAlign", TIWZQJQLockIndicatorImgAlign,                                  \
    TIWZQJQLockIndicatorImgAlign::jqliiaLeft, kZQServerOnly)                                      \
  X(Integer, Width, "width", 0, kZQServerOnly)                                                    \
  X(Integer, Height, "height", 0, kZQServerOnly)

// Server-side values only: which built-in image (0 none, 1 .. 20), its colour
// and alignment, its size, or a custom picture.
class TIWZQJQLockIndicatorImageSettings : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQLockIndicatorImageSettings, TIWZQJSon, ZQ_LOCK_IMAGE_ROWS)
  explicit TIWZQJQLockIndicatorImageSettings(TCollection* Collection = nullptr);
  ~TIWZQJQLockIndicatorImageSettings() override;
  int GetImage() { return GetIntegerValue(kImage); }
  // Also sets Width and Height to the image's built-in size; values outside
  // 0 .. 20 are none.
  void SetImage(int AValue);
  // Named component HTML name + "_CUSTOMIMG", with the component's images.
  TIWZQPictureEx* GetCustomImage();
  void SetCustomImage(TIWZQPictureEx* AValue) { GetCustomImage()->Assign(AValue); }
  void Assign(const TPersistent* Source) override;

 private:
  Owned<TIWZQPictureEx> FCustomImage;
};

// ---------------------------------------------------------------- position

enum class TIWZQJQLockPositions {
  jqlpLeftTop,
  jqlpLeftCenter,
  jqlpLeftBottom,
  jqlpCenterTop,
  jqlpCenterCenter,
  jqlpCenterBottom,
  jqlpRightTop,
  jqlpRightCenter,
  jqlpRightBottom
};
// "left top" ... "right bottom".
const char* ZQLockPositionText(TIWZQJQLockPositions APosition);

class TIWZQJQLockPositionOptions : public TPersistent {
  ZQ_CLASS(TIWZQJQLockPositionOptions, TPersistent)
  TIWZQJQLockPositionOptions() = default;
  TIWZQJQLockPositions Position = TIWZQJQLockPositions::jqlpCenterCenter;
  bool InElement = false;  // follows whether the item has a control
  bool UseSettings = true;
  void Assign(const TPersistent* Source) override;
};

// ---------------------------------------------------------------- items

#define ZQ_LOCK_CSS_DEFAULT                                                         \
  "{\"padding\":0,\"margin\":0,\"width\":\"30%\",\"top\":\"40%\",\"left\":\"35%\"," \
  "\"textAlign\":\"center\",\"color\":\"#000\",\"border\":\"3px solid #aaa\","      \
  "\"backgroundColor\":\"#fff\",\"cursor\":\"wait\"}"
#define ZQ_LOCK_OVERLAY_DEFAULT "{\"backgroundColor\":\"#000\",\"opacity\":0.6,\"cursor\":\"wait\"}"

#define ZQ_LOCK_ITEM_ROWS(X)                                                                \
  X(Obj, MessageSettings, "messageSetting", TIWZQJQLockIndicatorMsgSettings, kZQServerOnly) \
  X(String, Title, "title", "")                                                             \
  X(Boolean, Draggable, "draggable", true)                                                  \
  X(Boolean, Theme, "theme", false)                                                         \
  X(JSon, Css, "css", ZQ_LOCK_CSS_DEFAULT)                                                  \
  X(JSon, ThemedCSS, "themedCSS", "{\"width\":\"30%\",\"top\":\"40%\",\"left\":\"35%\"}")   \
  X(JSon, OverlayCSS, "overlayCSS", ZQ_LOCK_OVERLAY_DEFAULT)                                \
  X(String, CursorReset, "cursorReset", "")                                                 \
  X(JSon, GrowlCSS, "growlCSS", kZQLockGrowlCSSDefault)                                     \
  X(String, IFrameSrc, "iframeSrc", "")                                                     \
  X(Boolean, ForceIframe, "forceIframe", false)                                             \
  X(Integer, BaseZ, "baseZ", 1000)                                                          \
  X(Boolean, CenterX, "centerX", true)                                                      \
  X(Boolean, CenterY, "centerY", true)                                                      \
  X(Boolean, AllowBodyStretch, "allowBodyStretch", true)                                    \
  X(Boolean, BindEvents, "bindEvents", true)                                                \
  X(Boolean, ConstrainTabKey, "constrainTabKey", true)                                      \
  X(Integer, FadeIn, "fadeIn", 200)                                                         \
  X(Integer, FadeOut, "fadeOut", 400)                                                       \
  X(Integer, Timeout, "timeout", 0)                                                         \
  X(Boolean, ShowOverlay, "showOverlay", true)                                              \
  X(Boolean, FocusInput, "focusInput", true)                                                \
  X(Func, OnBlock, "onBlock", "")                                                           \
  X(Func, OnUnblock, "onUnblock", "element, options")                                       \
  X(Integer, QuirksmodeOffsetHack, "quirksmodeOffsetHack", 4)                               \
  X(String, BlockMsgClass, "blockMsgClass", "blockMsg")                                     \
  X(Boolean, IgnoreIfBlocked, "ignoreIfBlocked", false)                                     \
  X(Func, OnOverlayClick, "onOverlayClick", "")                                             \
  X(Obj, ImageSetting, "imageSettings", TIWZQJQLockIndicatorImageSettings, kZQServerOnly)   \
  X(String, FocusableElements, "focusableElements", ":input:enabled:visible")

// One blockUI configuration: what to block (Control, or the page), the
// message, the image and where the message sits.
class TIWZQJQLockIndicatorItem : public TIWZQJSon, public IIWZQIndicatorItem {
  ZQ_OPTIONS(TIWZQJQLockIndicatorItem, TIWZQJSon, ZQ_LOCK_ITEM_ROWS)
  explicit TIWZQJQLockIndicatorItem(TCollection* Collection = nullptr);
  ~TIWZQJQLockIndicatorItem() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // ---- published beside the rows
  TComponent* GetControl() const { return FControl; }
  // Also sets PositionOptions.InElement to whether there is a control.
  void SetControl(TComponent* AValue);
  // Empty: the component's HTML name + "_" + index.
  std::string GetName();
  void SetName(const std::string& AValue) { FName = AValue; }
  TIWZQJQLockPositionOptions* GetPositionOptions() const { return FPositionOptions.get(); }
  void SetPositionOptions(TIWZQJQLockPositionOptions* AValue) { FPositionOptions->Assign(AValue); }
  // Off (default): message and title are text; on: they are written as HTML.
  bool GetMessageIsHTML() const { return FMessageIsHTML; }
  void SetMessageIsHTML(bool AValue) { FMessageIsHTML = AValue; }

  // ---- scripts
  // The custom picture's source, else the built-in image's link, else empty.
  std::string GetImageSrc();
  std::string GetMsgContentHTML();
  // The option JSON with "title" (null when empty) and "message" (the
  // message markup, null without message text).
  ISuperObject GetJSon() override;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  // The block script (AUnload false) or the unblock script.
  std::string GetJQueryScript(bool AUnload);
  // The item's block (unblock) script into the response: the ajax response
  // during a callback, the page otherwise.
  void Lock();
  void Unlock();

  TIWZQJQLockIndicators* Indicators() const;
  TIWZQJQCustomLockIndicator* LockIndicator() const;
  // The control's HTML name, or empty without a control.
  std::string ControlHTMLName() const;

  // ---- IIWZQIndicatorItem
  TComponent* GetIndicatorComponent() override;
  int GetIndicatorItemIndex() override { return GetIndex(); }
  void AddFunc(TIWZQFunc* AFunc) override;
  void DelFunc(TIWZQFunc* AFunc) override;
  const std::vector<TIWZQFunc*>& Funcs() const { return FFuncs; }

  void Assign(const TPersistent* Source) override;

 private:
  TComponent* FControl = nullptr;
  std::string FName;
  bool FMessageIsHTML = false;
  Owned<TIWZQJQLockPositionOptions> FPositionOptions;
  std::vector<TIWZQFunc*> FFuncs;
};

class TIWZQJQLockIndicators : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQLockIndicators, TIWZQJSonList)
  TIWZQJQLockIndicators();
  TIWZQJQLockIndicatorItem* Add() {
    return static_cast<TIWZQJQLockIndicatorItem*>(TIWZQJSonList::Add());
  }
  TIWZQJQLockIndicatorItem* Insert(int AIndex) {
    return static_cast<TIWZQJQLockIndicatorItem*>(TIWZQJSonList::Insert(AIndex));
  }
  TIWZQJQLockIndicatorItem* Items(int AIndex) const {
    return static_cast<TIWZQJQLockIndicatorItem*>(GetItem(AIndex));
  }
  // The item of that name (see TIWZQJQLockIndicatorItem::GetName), or none.
  TIWZQJQLockIndicatorItem* ItemByName(const std::string& AName) const;
  TIWZQJQCustomLockIndicator* GetLockIndicator() const;
  // Every item blocking that control blocks the page instead.
  void ControlDestroyed(TComponent* AControl);
};

// ---------------------------------------------------------------- component

// "jquery.blockUI.js" ("jquery.blockUI.min.js" without script debugging).
std::string JQBlockUIJS();

class TIWZQJQCustomLockIndicator : public TIWZQJQComponent, public IIWZQLockIndicator {
  ZQ_CLASS(TIWZQJQCustomLockIndicator, TIWZQJQComponent)
 public:
  // AOwner: the server controller or a form, with no other lock indicator;
  // else raises.
  explicit TIWZQJQCustomLockIndicator(TComponent* AOwner);
  ~TIWZQJQCustomLockIndicator() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Any name given becomes the fixed name.
  void SetName(const std::string& NewName) override;
  std::string GetPluginVersion() { return "2.65.0-2013.09.02"; }

  // ---- published
  TIWZQJQLockIndicators* GetIndicators();
  void SetIndicators(TIWZQJQLockIndicators* AValue) { GetIndicators()->Assign(AValue); }
  int GetAsyncIndicatorIndex() const { return FAsyncIndicatorIndex; }
  // An index outside the list stores -1.
  void SetAsyncIndicatorIndex(int AValue);
  int GetSubmitIndicatorIndex() const { return FSubmitIndicatorIndex; }
  void SetSubmitIndicatorIndex(int AValue);
  TStringList* GetAjaxEventsRegEx() { return &FAjaxEventsRegEx; }
  void SetAjaxEventsRegEx(TStringList* AValue) { FAjaxEventsRegEx.Assign(AValue); }
  TStringList* GetAjaxEventsZQRegEx() { return &FAjaxEventsZQRegEx; }
  void SetAjaxEventsZQRegEx(TStringList* AValue) { FAjaxEventsZQRegEx.Assign(AValue); }
  TImageList* GetImages() const { return FImages; }
  void SetImages(TImageList* AValue);

  TIWZQJQLockIndicatorItem* GetActiveAsyncIndicator();
  TIWZQJQLockIndicatorItem* GetActiveSubmitIndicator();
  bool OnServerController() const;

  // ---- page scripts (each built under the component's lock)
  std::vector<std::string> GetIndicatorPreScripts() { return ZQLockIndicatorPreScriptLines(); }
  std::string GetCreatePreImagesScript();
  // The hook script for (ajax, unload), see ZQLockIndicatorHookLines.
  std::string GetJQueryScript(bool AAjax, bool AUnload);
  // All four hooks and the pre-image script at once.
  TZQPageIndicatorScripts GetPageScripts();

  // Puts an item's script into the response (see TIWZQJQLockIndicatorItem::Lock).
  void AddItemScript(const std::string& AScript);
  // The lock every script of the indicator is built under.
  std::recursive_mutex& ScriptLock() { return FScriptLock; }

  // ---- IIWZQLockIndicator
  int GetIndicatorItemCount() override { return GetIndicators()->Count(); }
  IIWZQIndicatorItem* GetIndicatorItem(int AIndex) override {
    return GetIndicators()->Items(AIndex);
  }

  // ---- the component base
  bool GetGenerateIWCLScript() override { return false; }
  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string GetDocumentationLink() override { return "docs/components/lockindicator.md"; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::string JoinLines(const std::vector<std::string>& ALines);
  Owned<TIWZQJQLockIndicators> FIndicators;
  int FAsyncIndicatorIndex = -1;
  int FSubmitIndicatorIndex = -1;
  TStringList FAjaxEventsRegEx;
  TStringList FAjaxEventsZQRegEx;
  TImageList* FImages = nullptr;
  std::recursive_mutex FScriptLock;
};

class TIWZQJQLockIndicator : public TIWZQJQCustomLockIndicator {
  ZQ_CLASS(TIWZQJQLockIndicator, TIWZQJQCustomLockIndicator)
 public:
  using TIWZQJQCustomLockIndicator::TIWZQJQCustomLockIndicator;
};

// The lock indicator owned by that component (a form or the server
// controller) under the fixed name, or none.
TIWZQJQCustomLockIndicator* ZQFindLockIndicator(TComponent* AOwner);

}  // namespace zq
