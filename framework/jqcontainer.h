// TIWZQJQContainer: the base of the library's jQuery widgets (charts, file
// upload, signature pad). On top of the script container it gives a control
//   - the jQuery UI interactions draggable, droppable and resizable, a
//     one-shot effect, a placement relative to another element and DOM event
//     bindings, each configured by an option object created on first read of
//     its property (JQDragOptions, JQDropOptions, JQResizeOptions, JQEffects,
//     JQPositionOptions, JQEvents). Only an active object renders script:
//     drag / drop / resize when not Disabled, the placement while its Enable
//     is false, the effect when Enable and an effect is chosen;
//   - client-side resize hooks: the client object's OnZQBeforeResize,
//     OnZQResize(ARect) and OnZQAfterResize, called by zq.jquery.helper.js;
//   - the position and size the user gave the element: the drag and resize
//     "stop" events write them into the hidden inputs NAME_POS and NAME_SIZE,
//     and the next request applies them to Left / Top and Width / Height.
//     Values from the browser that are not two integers within the host's
//     coordinate range (sizes not negative) change nothing.
//
// TIWZQJQSortableContainer adds the sortable interaction (JQSortableOptions).
#pragma once

#include <string>

#include "events/jqevents.h"
#include "framework/scriptcontainer.h"
#include "jqueryui/effect.h"
#include "jqueryui/interaction.h"

namespace zq {

// The largest coordinate or size the host takes from the browser.
inline constexpr int kZQMaxCoordinate = 1000000;

class TIWZQJQContainer : public TIWZQJSContainer, public IIWZQJQInteractionOwner {
  ZQ_CLASS(TIWZQJQContainer, TIWZQJSContainer)
 public:
  explicit TIWZQJQContainer(TComponent* AOwner);
  ~TIWZQJQContainer() override;
  void BeforeDestruction() override;

  // ---- option objects (created on first read; a write assigns into them)
  TIWZQJQDragOptions* GetJQDragOptions();
  void SetJQDragOptions(TIWZQJQDragOptions* AValue);
  TIWZQJQDropOptions* GetJQDropOptions();
  void SetJQDropOptions(TIWZQJQDropOptions* AValue);
  TIWZQJQResizeOptions* GetJQResizeOptions();
  void SetJQResizeOptions(TIWZQJQResizeOptions* AValue);
  TIWZQJQEffects* GetJQEffects();
  void SetJQEffects(TIWZQJQEffects* AValue);
  TIWZQJQPositionOptions* GetJQPositionOptions();
  void SetJQPositionOptions(TIWZQJQPositionOptions* AValue);
  TIWZQJQEvents* GetJQEvents();
  void SetJQEvents(TIWZQJQEvents* AValue);

  // Whether each object exists and takes part (see the file comment).
  bool DragActive() const;
  bool DropActive() const;
  bool ResizeActive() const;
  bool EffectActive() const;
  bool PositionActive() const;

  // The hidden inputs: GetJQHTMLName + "_SIZE" / "_POS".
  std::string SizeInputName() { return GetJQHTMLName() + "_SIZE"; }
  std::string PosInputName() { return GetJQHTMLName() + "_POS"; }

  // ---- virtual operations
  virtual std::string GetBeforeResizeScript() { return {}; }
  virtual std::string GetResizeScript() { return {}; }
  virtual std::string GetAfterResizeScript() { return {}; }
  virtual const ClassInfo& GetJQDragOptionsClass() { return TIWZQJQDragOptions::StaticClass(); }
  virtual const ClassInfo& GetJQDropOptionsClass() { return TIWZQJQDropOptions::StaticClass(); }
  virtual const ClassInfo& GetJQEventsClass() { return TIWZQJQEvents::StaticClass(); }
  virtual const ClassInfo& GetJQResizeOptionsClass() { return TIWZQJQResizeOptions::StaticClass(); }

  // The effect call of JQEffects (without ";"), and running it now: into the
  // ajax response during a callback, else into the page's initialisation.
  std::string jsEffect();
  void RunEffect() { AddJavaScriptToResponse(jsEffect() + ";", true, true); }

  // The body of a get/set value function: six lines on GetIDJQuery's val().
  std::string GetDefaultCustomValueScript();

  // ---- overrides
  void RenderScripts(TIWCompContext& AContext) override;
  void GetInputControlNames(std::vector<std::string>& AList) override;
  using TIWZQJSContainer::GetInputControlNames;
  void SetValueByName(const std::string& AName, const std::string& AValue) override;
  void GetScriptLinks(TStringList& AList) override;
  std::string GetRenderExtraScript() override;
  std::string GetPluginDestroyJs() override;
  // The inherited reset, then the six option objects are freed.
  void ResetJSonProps() override;
  void ChangeZIndex(int ADelta) override { ZIndex += ADelta; }

 protected:
  // JQueryReady(false) + "function(){" B call ");" D "});" B.
  std::string Block(const std::string& ACall);
  // GetIDJQuery + ".effect('name',options,speed[,callback]" (open).
  std::string EffectCall();
  // The block with a script that is not a call (no ");").
  std::string ScriptBlock(const std::string& AScript);

 private:
  template <class T>
  T* Lazy(Owned<TIWZQJSon>& ASlot, const ClassInfo& AClass, const char* APropName);
  Owned<TIWZQJSon> FJQDragOptions;
  Owned<TIWZQJSon> FJQDropOptions;
  Owned<TIWZQJSon> FJQResizeOptions;
  Owned<TIWZQJSon> FJQEffects;
  Owned<TIWZQJSon> FJQPositionOptions;
  Owned<TIWZQJSon> FJQEvents;
};

class TIWZQJQSortableContainer : public TIWZQJQContainer {
  ZQ_CLASS(TIWZQJQSortableContainer, TIWZQJQContainer)
 public:
  using TIWZQJQContainer::TIWZQJQContainer;
  void BeforeDestruction() override;

  TIWZQJQSortableOptions* GetJQSortableOptions();
  void SetJQSortableOptions(TIWZQJQSortableOptions* AValue);
  bool SortableActive() const;

  std::string GetRenderExtraScript() override;
  void ResetJSonProps() override;

 private:
  Owned<TIWZQJSon> FJQSortableOptions;
};

}  // namespace zq
