// The intro tour: a guided walk over the controls of a page (intro.js).
//
//   auto* tour = Create<TIWZQJQIntro>(form);
//   tour->GetJQIntroControlList()->Add(edit, "Type your name here", jqipRight);
//   tour->GetJQIntroControlList()->Add("HELPLINK", "Help is here", jqipBottom);
//   tour->Start();           // in a callback
//   tour->GoToStep(1);       // the list's 0-based Step: the second step
//
// The page gets a tour variable NAME_IntroObj (null) and a function NAME_init
// that builds it; every client call first builds the tour when needed, so an
// option changed during a callback before the tour ever started is applied
// to the tour that is then built (never a call on null).
//
// Steps point at their element by the selector "#ID", looked up by the
// plug-in on each start (a control the host re-rendered since is found again).
//
// Step numbers: GoToStep takes the 0-based Step of the step list and sends
// the plug-in's 1-based number (Step + 1), so the step given is the one shown.
#pragma once

#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/region.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJQCustomIntro;

#define ZQ_INTRO_POSITION_VALUES(X) \
  X(jqipBottom, "bottom") X(jqipTop, "top") X(jqipLeft, "left") X(jqipRight, "right")
ZQ_OPTION_ENUM(TIWZQJQIntroPosition, ZQ_INTRO_POSITION_VALUES)
const std::string& IWZQJQIntroPositionStr(TIWZQJQIntroPosition APos);

#define ZQ_INTRO_EVENT_ROWS(X)                               \
  X(Func, OnComplete, "oncomplete", "")                      \
  X(Func, OnExit, "onexit", "")                              \
  X(Func, OnChange, "onchange", "targetElement")             \
  X(Func, OnBeforeChange, "onbeforechange", "targetElement") \
  X(Func, OnAfterChange, "onafterchange", "targetElement")

// The tour's client events; registered by statements of their own.
class TIWZQJQIntroEvents : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQIntroEvents, TIWZQJSon, ZQ_INTRO_EVENT_ROWS)
  using TIWZQJSon::TIWZQJSon;
  // "OBJ.oncomplete(f);" ... one per handler that has a script.
  std::string GetRenderJavascript(const std::string& AIntroObj);
};

#define ZQ_INTRO_OPTION_ROWS(X)                                     \
  X(String, NextLabel, "nextLabel", "Next &rarr;")                  \
  X(String, PrevLabel, "prevLabel", "&larr; Back")                  \
  X(String, SkipLabel, "skipLabel", "Skip")                         \
  X(String, DoneLabel, "doneLabel", "Done")                         \
  X(Enum, TooltipPosition, "tooltipPosition", TIWZQJQIntroPosition, \
    TIWZQJQIntroPosition::jqipBottom)                               \
  X(String, TooltipClass, "tooltipClass", "")                       \
  X(Boolean, ExitOnEsc, "exitOnEsc", true)                          \
  X(Boolean, ExitOnOverlayClick, "exitOnOverlayClick", true)        \
  X(Boolean, ShowStepNumbers, "showStepNumbers", true)              \
  X(Obj, Events, "events", TIWZQJQIntroEvents, kZQServerOnly)       \
  X(Boolean, KeyboardNavigation, "keyboardNavigation", true)        \
  X(Boolean, ShowButtons, "showButtons", true)                      \
  X(Boolean, ShowBullets, "showBullets", true)                      \
  X(Boolean, ScrollToElement, "scrollToElement", true)

class TIWZQJQIntroOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQIntroOptions, TIWZQJSon, ZQ_INTRO_OPTION_ROWS)
  using TIWZQJSon::TIWZQJSon;
  // The tour (raises an invalid cast when the owner is not one).
  TIWZQJQCustomIntro* GetZQIntro();
  bool SupportsSetter(TIWZQJSon*, TZQJSonMember*) override { return true; }
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override;
};

// One step: a control or an element id, its text and tooltip position.
struct TIWZQJQIntroControl {
  int Step = 0;  // 0-based place in the list
  TComponent* Control = nullptr;
  std::string IntroText;
  TIWZQJQIntroPosition Position = TIWZQJQIntroPosition::jqipBottom;
  std::string JQuerySelector;  // the element id when no control is set
};

// The steps in tour order.
class TIWZQJQIntroControlList {
 public:
  TIWZQJQIntroControl* Add();
  // Reuses the last step of that control (or element id, compared without
  // regard to case), else appends one; then sets text and position.
  TIWZQJQIntroControl* Add(TComponent* AControl, const std::string& AIntroText,
                           TIWZQJQIntroPosition APosition);
  TIWZQJQIntroControl* Add(const std::string& AElementID, const std::string& AIntroText,
                           TIWZQJQIntroPosition APosition);
  TIWZQJQIntroControl* ExistsByControl(TComponent* AControl);
  TIWZQJQIntroControl* ExistsByJQuerySelector(const std::string& AText);
  void Remove(TComponent* AControl);
  void ControlDestroyed(TComponent* AComponent);
  int Count() const { return static_cast<int>(FItems.size()); }
  TIWZQJQIntroControl* Items(int AIndex) { return &FItems.at(static_cast<std::size_t>(AIndex)); }

 private:
  void Renumber();
  std::vector<TIWZQJQIntroControl> FItems;
};

class TIWZQJQCustomIntro : public TIWZQJQComponent, public IIWZQRegionIntro {
  ZQ_CLASS(TIWZQJQCustomIntro, TIWZQJQComponent)
 public:
  explicit TIWZQJQCustomIntro(TComponent* AOwner);
  ~TIWZQJQCustomIntro() override;

  TIWZQJQIntroOptions* GetJQIntroOptions();
  void SetJQIntroOptions(TIWZQJQIntroOptions* AValue);
  TIWZQJQIntroControlList* GetJQIntroControlList() { return &FSteps; }
  // The intro.js release the web root ships (webroot/package.json).
  std::string GetPluginVersion() { return "2.0.0"; }
  std::string GetDocumentationLink() { return "https://introjs.com/docs/"; }

  // "NAME_IntroObj".
  std::string GetIntroObj();
  // "if (!OBJ) { NAME_init(); }"
  std::string CheckInitJS();
  std::string jsStart();
  void Start();
  // AStep: the 0-based Step of the list; the plug-in gets AStep + 1.
  std::string jsGoToStep(int AStep);
  void GoToStep(int AStep);
  std::string jsExit();
  void Exit();
  std::string jsRefresh();
  void Refresh();

  // ---- IIWZQRegionIntro
  void AddIntroControl(TComponent* AControl, const std::string& AText) override;
  void RemoveIntroControl(TComponent* AControl) override;

  std::string GetRenderScript() override;
  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  bool GetGenerateIWCLScript() override { return true; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  Owned<TIWZQJSon> FOptions;
  TIWZQJQIntroControlList FSteps;
};

class TIWZQJQIntro : public TIWZQJQCustomIntro {
  ZQ_CLASS(TIWZQJQIntro, TIWZQJQCustomIntro)
 public:
  using TIWZQJQCustomIntro::TIWZQJQCustomIntro;
};

}  // namespace zq
