// Interaction options: the options of the jQuery UI interactions a jQuery
// container (framework/jqcontainer.h) attaches to its element - draggable,
// droppable, resizable, sortable - and of the position utility that places
// the element relative to another one.
//
// Each class is an option object (options/jsonobj.h): its members become the
// options literal of the widget call, values equal to their defaults are left
// out, event members are raw script. What the classes add:
//   - drag "stop" and resize "stop" carry a fixed script that reports the new
//     position / size through the container's hidden inputs NAME_POS /
//     NAME_SIZE (when SavePosition / SaveSize);
//   - drag "helper" is written as the HelperFunc script when that has one;
//     drop "activeClass" / "hoverClass" default to "ui-state-hover";
//   - a sortable option changed during a callback becomes
//     ui.sortable("option", name, value) in the ajax response;
//   - every assignment of drag Disabled moves the container's z-index by one.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/properties.h"
#include "jqueryui/optionrows.h"

namespace zq {

// The control an interaction option object belongs to, as the options see
// it (the jQuery container implements it).
class IIWZQJQInteractionOwner {
 public:
  virtual ~IIWZQJQInteractionOwner() = default;
  // Adds ADelta to the control's z-index.
  virtual void ChangeZIndex(int ADelta) = 0;
};

// ---------------------------------------------------------------- enumerations

enum TIWZQJQCursorTypes {
  jqctAuto,
  jqctCrosshair,
  jqctDefault,
  jqctEResize,
  jqctHelp,
  jqctMove,
  jqctNResize,
  jqctNeResize,
  jqctNwResize,
  jqctPointer,
  jqctProgress,
  jqctSResize,
  jqctSeResize,
  jqctSwResize,
  jqctText,
  jqctWResize,
  jqctWait
};
ZQ_ENUM_NAMES(TIWZQJQCursorTypes, "jqctAuto", "jqctCrosshair", "jqctDefault", "jqctEResize",
              "jqctHelp", "jqctMove", "jqctNResize", "jqctNeResize", "jqctNwResize", "jqctPointer",
              "jqctProgress", "jqctSResize", "jqctSeResize", "jqctSwResize", "jqctText",
              "jqctWResize", "jqctWait")
ZQ_ENUM_TEXTS(TIWZQJQCursorTypes, "auto", "crosshair", "default", "e-resize", "help", "move",
              "n-resize", "ne-resize", "nw-resize", "pointer", "progress", "s-resize", "se-resize",
              "sw-resize", "text", "w-resize", "wait")

enum TIWZQJQPositionOptionsPos {
  jqpoLeftTop,
  jqpoLeftCenter,
  jqpoLeftBottom,
  jqpoCenterTop,
  jqpoCenterCenter,
  jqpoCenterBottom,
  jqpoRightTop,
  jqpoRightCenter,
  jqpRightBottom
};
ZQ_ENUM_NAMES(TIWZQJQPositionOptionsPos, "jqpoLeftTop", "jqpoLeftCenter", "jqpoLeftBottom",
              "jqpoCenterTop", "jqpoCenterCenter", "jqpoCenterBottom", "jqpoRightTop",
              "jqpoRightCenter", "jqpRightBottom")
// The same texts as the style helpers' ZQPositionArray (checked by the tests).
ZQ_ENUM_TEXTS(TIWZQJQPositionOptionsPos, "left top", "left center", "left bottom", "center top",
              "center center", "center bottom", "right top", "right center", "right bottom")

enum TIWZQJQSortableOptionsTolerance { jqsortTIntersect, jqsortTPointer };
ZQ_ENUM_NAMES(TIWZQJQSortableOptionsTolerance, "jqsortTIntersect", "jqsortTPointer")
ZQ_ENUM_TEXTS(TIWZQJQSortableOptionsTolerance, "intersect", "pointer")

// ---------------------------------------------------------------- cursor-at

#define ZQ_CURSORAT_ROWS(X)        \
  X(Integer, Top, "top", 0, 0)     \
  X(Integer, Left, "left", 0, 0)   \
  X(Integer, Right, "right", 0, 0) \
  X(Integer, Bottom, "bottom", 0, 0)

// The "cursorAt" sub-object of the drag and sortable options.
class TIWZQJQCursorAt : public TIWZQJQOptionSet {
  ZQ_CLASS(TIWZQJQCursorAt, TIWZQJQOptionSet)
  ZQ_OPTION_ROWS(ZQ_CURSORAT_ROWS)
  using TIWZQJQOptionSet::TIWZQJQOptionSet;

 protected:
  void AddMembers() override;
};

// The base of the interaction option classes: its element is the
// container's jQuery element.
class TIWZQJQInteractionOptions : public TIWZQJQOptionSet {
  ZQ_CLASS(TIWZQJQInteractionOptions, TIWZQJQOptionSet)
  using TIWZQJQOptionSet::TIWZQJQOptionSet;
  // The container's GetJQHTMLName (empty without a container).
  std::string GetHTMLName() override;
};

// ---------------------------------------------------------------- draggable

#define ZQ_DRAG_ROWS(X)                                        \
  X(BooleanOwn, Disabled, "disabled", true, 0)                 \
  X(Boolean, AddClasses, "addClasses", true, 0)                \
  X(String, AppendTo, "appendTo", "parent", 0)                 \
  X(Variant, Axis, "axis", false, 0)                           \
  X(String, Cancel, "cancel", ":input,option", 0)              \
  X(Variant, ConnectToSortable, "connectToSortable", false, 0) \
  X(Variant, Containment, "containment", false, 0)             \
  X(Enumer, Cursor, "cursor", jqctPointer, TIWZQJQCursorTypes) \
  X(Obj, CursorAt, "cursorAt", false, TIWZQJQCursorAt)         \
  X(Integer, Delay, "delay", 0, 0)                             \
  X(DynObjList, Grid, "grid", 0, 0)                            \
  X(Variant, Handle, "handle", false, 0)                       \
  X(Variant, Helper, "helper", "original", 0)                  \
  X(Boolean, IFrameFix, "iframeFix", false, 0)                 \
  X(Variant, Opacity, "opacity", false, 0)                     \
  X(Boolean, RefreshPositions, "refreshPositions", false, 0)   \
  X(Variant, Revert, "revert", false, 0)                       \
  X(Integer, RevertDuration, "revertDuration", 500, 0)         \
  X(String, Scope, "scope", "default", 0)                      \
  X(Boolean, Scroll, "scroll", true, 0)                        \
  X(Integer, ScrollSensitivity, "scrollSensitivity", 20, 0)    \
  X(Integer, ScrollSpeed, "scrollSpeed", 20, 0)                \
  X(Variant, Snap, "snap", false, 0)                           \
  X(String, SnapMode, "snapMode", "both", 0)                   \
  X(Integer, SnapTolerance, "snapTolerance", 20, 0)            \
  X(Variant, Stack, "stack", false, 0)                         \
  X(Integer, zIndex, "zIndex", 0, 0)                           \
  X(Func, OnCreate, "create", "event, ui", 0)                  \
  X(Func, OnStart, "start", "event, ui", kRowFixed)            \
  X(Func, OnDrag, "drag", "event, ui", kRowFixed)              \
  X(Func, OnStop, "stop", "event, ui", kRowFixed)              \
  X(Integer, Distance, "distance", 1, 0)                       \
  X(Func, HelperFunc, "helperFunc", "", kRowFixed | kRowNoJSon)

class TIWZQJQDragOptions : public TIWZQJQInteractionOptions {
  ZQ_CLASS(TIWZQJQDragOptions, TIWZQJQInteractionOptions)
  ZQ_OPTION_ROWS(ZQ_DRAG_ROWS)
  using TIWZQJQInteractionOptions::TIWZQJQInteractionOptions;
  // Whether the stop event reports the position (NAME_POS). Base: true.
  virtual bool SavePosition() { return true; }
  // "stop" with SavePosition: the position into the NAME_POS input.
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
  // "Helper": the HelperFunc script, unquoted, when HelperFunc has one.
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;

 protected:
  void AddMembers() override;
};
using TIWZQJQDragOptionsClass = const ClassInfo*;

// ---------------------------------------------------------------- droppable

#define ZQ_DROP_ROWS(X)                               \
  X(Boolean, Disabled, "disabled", true, 0)           \
  X(Func, OnAccept, "accept", "", 0)                  \
  X(String, ActiveClass, "activeClass", "", 0)        \
  X(Boolean, AddClasses, "addClasses", true, 0)       \
  X(Boolean, Greedy, "greedy", false, 0)              \
  X(String, HoverClass, "hoverClass", "", 0)          \
  X(String, Scope, "scope", "default", 0)             \
  X(String, Tolerance, "tolerance", "intersect", 0)   \
  X(Func, OnCreate, "create", "event, ui", 0)         \
  X(Func, OnActivate, "activate", "event, ui", 0)     \
  X(Func, OnDeactivate, "deactivate", "event, ui", 0) \
  X(Func, OnOver, "over", "event, ui", 0)             \
  X(Func, OnOut, "out", "event, ui", 0)               \
  X(Func, OnDrop, "drop", "event, ui", kRowFixed)

class TIWZQJQDropOptions : public TIWZQJQInteractionOptions {
  ZQ_CLASS(TIWZQJQDropOptions, TIWZQJQInteractionOptions)
  ZQ_OPTION_ROWS(ZQ_DROP_ROWS)
  using TIWZQJQInteractionOptions::TIWZQJQInteractionOptions;
  // "ActiveClass" / "HoverClass" when not stored: "ui-state-hover".
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;

 protected:
  void AddMembers() override;
};
using TIWZQJQDropOptionsClass = const ClassInfo*;

// ---------------------------------------------------------------- resizable

#define ZQ_RESIZE_ROWS(X)                                   \
  X(BooleanOwn, Disabled, "disabled", true, 0)              \
  X(String, AlsoResize, "alsoResize", "", 0)                \
  X(Boolean, Animate, "animate", false, 0)                  \
  X(Variant, AnimateDuration, "animateDuration", "slow", 0) \
  X(String, AnimateEasing, "animateEasing", "swing", 0)     \
  X(Variant, AspectRatio, "aspectRatio", false, 0)          \
  X(Boolean, AutoHide, "autoHide", false, 0)                \
  X(String, Cancel, "cancel", ":input,option", 0)           \
  X(String, Containment, "containment", "", 0)              \
  X(Integer, Delay, "delay", 0, 0)                          \
  X(Integer, Distance, "distance", 1, 0)                    \
  X(Boolean, Ghost, "ghost", false, 0)                      \
  X(SimpleArray, Grid, "grid", false, 0)                    \
  X(String, Handles, "handles", "e, s, se", 0)              \
  X(String, Helper, "helper", "", 0)                        \
  X(Integer, MaxHeight, "maxHeight", 0, 0)                  \
  X(Integer, MaxWidth, "maxWidth", 0, 0)                    \
  X(Integer, MinHeight, "minHeight", 10, 0)                 \
  X(Integer, MinWidth, "minWidth", 10, 0)                   \
  X(Func, OnCreate, "create", "event,ui", 0)                \
  X(Func, OnResize, "resize", "event,ui", 0)                \
  X(Func, OnStart, "start", "event,ui", 0)                  \
  X(Func, OnStop, "stop", "event,ui", kRowFixed)

class TIWZQJQResizeOptions : public TIWZQJQInteractionOptions {
  ZQ_CLASS(TIWZQJQResizeOptions, TIWZQJQInteractionOptions)
  ZQ_OPTION_ROWS(ZQ_RESIZE_ROWS)
  using TIWZQJQInteractionOptions::TIWZQJQInteractionOptions;
  // Whether the stop event reports the size (NAME_SIZE). Base: true.
  virtual bool SaveSize() { return true; }
  // "stop" with SaveSize: the size into the NAME_SIZE input.
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;

 protected:
  void AddMembers() override;
};
using TIWZQJQResizeOptionsClass = const ClassInfo*;

// ---------------------------------------------------------------- position

#define ZQ_POSITION_ROWS(X)                                      \
  X(BooleanNoJSonOwn, Enable, "enable", false, 0)                \
  X(Enumer, My, "my", jqpoLeftTop, TIWZQJQPositionOptionsPos)    \
  X(Enumer, At, "at", jqpoLeftBottom, TIWZQJQPositionOptionsPos) \
  X(String, Of_, "of", "", 0)                                    \
  X(String, OffSet, "offset", "0", 0)                            \
  X(String, Collision, "collision", "flip", 0)                   \
  X(Func, OnUsing, "using", "hash", 0)

// Placement of the container's element relative to another element. The
// container renders the placement while Enable is false (the default).
class TIWZQJQPositionOptions : public TIWZQJQInteractionOptions {
  ZQ_CLASS(TIWZQJQPositionOptions, TIWZQJQInteractionOptions)
  ZQ_OPTION_ROWS(ZQ_POSITION_ROWS)
  using TIWZQJQInteractionOptions::TIWZQJQInteractionOptions;
  virtual void SetEnableValue(bool AValue) { SetBooleanValue(kEnable, AValue); }

 protected:
  void AddMembers() override;
};

// The placement of a validation error box: at "right top", my "left top";
// its literal is "{}" unless Enable is true, then every member is written.
class TIWZQJQValidateErrorPosOptions : public TIWZQJQPositionOptions {
  ZQ_CLASS(TIWZQJQValidateErrorPosOptions, TIWZQJQPositionOptions)
  using TIWZQJQPositionOptions::TIWZQJQPositionOptions;
  void Initialize() override;
  bool IsAtStored() { return GetAt() != jqpoRightTop; }
  bool IsMyStored() { return GetMy() != jqpoLeftTop; }
  ISuperObject GetJSon() override;
};

// ---------------------------------------------------------------- sortable

#define ZQ_SORTABLE_ROWS(X)                                                            \
  X(Boolean, Disabled, "disabled", DefaultDisabledValue(), 0)                          \
  X(String, AppendTo, "appendTo", "parent", 0)                                         \
  X(String, Axis, "axis", "", 0)                                                       \
  X(String, Cancel, "cancel", ":input,option", 0)                                      \
  X(String, ConnectWith, "connectWith", "", 0)                                         \
  X(String, Containment, "containment", "", 0)                                         \
  X(Enumer, Cursor, "cursor", jqctAuto, TIWZQJQCursorTypes)                            \
  X(Obj, CursorAt, "cursorAt", false, TIWZQJQCursorAt)                                 \
  X(Integer, Delay, "delay", 0, 0)                                                     \
  X(Integer, Distance, "distance", 1, 0)                                               \
  X(Boolean, DropOnEmpty, "dropOnEmpty", true, 0)                                      \
  X(Boolean, ForceHelperSize, "forceHelperSize", false, 0)                             \
  X(Boolean, ForcePlaceholderSize, "forcePlaceholderSize", false, 0)                   \
  X(DynObjList, Grid, "grid", 0, 0)                                                    \
  X(Variant, Handle, "handle", false, 0)                                               \
  X(Variant, Helper, "helper", "original", 0)                                          \
  X(String, Items, "items", "> *", 0)                                                  \
  X(Variant, Opacity, "opacity", false, 0)                                             \
  X(String, Placeholder, "placeholder", "", 0)                                         \
  X(Variant, Revert, "revert", false, 0)                                               \
  X(Boolean, Scroll, "scroll", true, 0)                                                \
  X(Integer, ScrollSensitivity, "scrollSensitivity", 20, 0)                            \
  X(Integer, ScrollSpeed, "scrollSpeed", 20, 0)                                        \
  X(Enumer, Tolerance, "tolerance", jqsortTIntersect, TIWZQJQSortableOptionsTolerance) \
  X(Integer, zIndex, "zIndex", 1000, 0)                                                \
  X(Func, OnCreate, "create", "event, ui", 0)                                          \
  X(Func, OnStart, "start", "event, ui", 0)                                            \
  X(Func, OnChange, "change", "event, ui", 0)                                          \
  X(Func, OnBeforeStop, "beforeStop", "event, ui", 0)                                  \
  X(Func, OnStop, "stop", "event, ui", kRowFixed)                                      \
  X(Func, OnUpdate, "update", "event, ui", 0)                                          \
  X(Func, OnReceive, "receive", "event, ui", 0)                                        \
  X(Func, OnRemove, "remove", "event, ui", 0)                                          \
  X(Func, OnOver, "over", "event, ui", 0)                                              \
  X(Func, OnOut, "out", "event, ui", 0)                                                \
  X(Func, OnActivate, "activate", "event, ui", 0)                                      \
  X(Func, OnDeactivate, "deactivate", "event, ui", 0)                                  \
  X(Func, OnSort, "sort", "event, ui", 0)

class TIWZQJQSortableOptions : public TIWZQJQInteractionOptions {
  ZQ_CLASS(TIWZQJQSortableOptions, TIWZQJQInteractionOptions)
  ZQ_OPTION_ROWS(ZQ_SORTABLE_ROWS)
  using TIWZQJQInteractionOptions::TIWZQJQInteractionOptions;
  void Initialize() override;
  // The default of Disabled. Base: true.
  virtual bool DefaultDisabledValue() { return true; }

  // The widget commands: sent through the container (check and raise) ...
  void Enable() { Send(jsEnable()); }
  void Disable() { Send(jsDisable()); }
  void Refresh() { Send(JsRefresh()); }
  void RefreshPositions() { Send(JsRefreshPositions()); }
  void Cancel_() { Send(JsCancel_()); }
  // ... or returned as text: GetIDJQuery + ".sortable(\"enable\")" and so on.
  std::string jsEnable() { return Command("enable"); }
  std::string jsDisable() { return Command("disable"); }
  std::string JsRefresh() { return Command("refresh"); }
  std::string JsRefreshPositions() { return Command("refreshPositions"); }
  std::string JsCancel_() { return Command("cancel"); }

  // ".sortable".
  static std::string GetJsPrefix() { return ".sortable"; }
  // "Disabled": "disabled":true only when Disabled is true.
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  // Every change during a callback becomes ui.sortable("option",...).
  bool SupportsSetter(TIWZQJSon* AObject, TZQJSonMember* AMember) override;
  void GetMemberSetterScriptParts(TIWZQResponseMemberList* AMembers, TStringList* AScript) override;

 protected:
  void AddMembers() override;

 private:
  std::string Command(const char* AName);
  void Send(const std::string& AScript);
};

}  // namespace zq
