// The context menu: a jQuery contextMenu plug-in menu attached to page
// elements, with items of every kind (commands, separators, text and text
// area inputs, check boxes, radio buttons, selects, raw HTML and a hosted
// control), icons, sub-menus and server callbacks.
//
//   auto* menu = Create<TIWZQJQContextMenu>(form);
//   auto* copy = menu->GetJQContextMenuOptions()->GetItems()->Add();
//   copy->SetCaption("Copy");
//   copy->GetOnCallback()->SetOnEvent(...);   // receives "key" and "values"
//   panel->SetContextMenu(menu);              // the panel opens it
//
// The menu opens on the elements of its selector text: free selector
// strings first, then "#" + HTML name of every control that chose the menu.
// Items are keyed by their unique name (MENU1_2_0: the first child of the
// third top-level item), and every script that changes one item while a
// callback runs addresses it by that key, at whatever depth it is.
//
// Item callbacks send the item's key ("key") and the values of every input
// item of the menu as a JSON object keyed by item key ("values"); read them
// with ZQContextMenuInputValues.
//
// Captions are written as text; an item whose CaptionIsHTML is set shows its
// caption as HTML.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "components/picture/picture.h"
#include "events/func.h"
#include "events/jqevents.h"
#include "foundation/collection.h"
#include "foundation/superobject.h"
#include "foundation/variant.h"
#include "framework/component.h"
#include "framework/region.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJQCustomContextMenu;
class TIWZQJQContextMenuItem;
class TIWZQJQContextMenuItems;
class TStringList;

// A control that gives a context menu the selectors of its own parts (a grid's
// rows or cells, for example), asked for before each render.
class IIWZQJQContextMenuGridIntf {
 public:
  virtual ~IIWZQJQContextMenuGridIntf() = default;
  virtual void GetContextMenuSelectors(std::vector<std::string>& ASelectors) = 0;
};

// ---------------------------------------------------------------- callbacks

// An event function with an argument list of its own, ajax on from the start.
// As an item's callback ("key,obj") its script is a function with those
// arguments that marks the menu as changed before it calls back.
class TIWZQCustomFunc : public TIWZQFunc {
  ZQ_CLASS(TIWZQCustomFunc, TIWZQFunc)
  TIWZQCustomFunc(TPersistent* AOwner = nullptr, std::string APropName = {},
                  std::string AArguments = {});

  std::string GetArguments() override { return FArguments; }
  // "function(ARGS){" for execution, else "{".
  std::string GetScriptDeclaration(bool AForExecute) override;
  // The base script with "AddChangedControl(\"MENU\");" right after the
  // declaration's "{"; empty without script or handler.
  std::string GetScript(bool AForExecute) override;

 private:
  std::string FArguments;
};

// ---------------------------------------------------------------- options

#define ZQ_CONTEXT_MENU_TRIGGER_VALUES(X) \
  X(jqcmtRight, "right") X(jqcmtLeft, "left") X(jqcmtHover, "hover") X(jqcmtNone, "none")
ZQ_OPTION_ENUM(TIWZQJQContextMenuTrigger, ZQ_CONTEXT_MENU_TRIGGER_VALUES)

#define ZQ_CONTEXT_MENU_ANIMATION_ROWS(X) \
  X(Integer, Duration, "duration", 500)   \
  X(String, Show, "show", "slideDown")    \
  X(String, Hide, "hide", "slideUp")

class TIWZQJQContextMenuAnimation : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQContextMenuAnimation, TIWZQJSon, ZQ_CONTEXT_MENU_ANIMATION_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_CONTEXT_MENU_EVENTS_ROWS(X) \
  X(Func, Show, "show", "opt")         \
  X(Func, Hide, "hide", "opt")

class TIWZQJQContextMenuEvents : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQContextMenuEvents, TIWZQJSon, ZQ_CONTEXT_MENU_EVENTS_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

// ---------------------------------------------------------------- selectors

class TIWZQJQContextMenuSelector : public TCollectionItem {
  ZQ_CLASS(TIWZQJQContextMenuSelector, TCollectionItem)
  using TCollectionItem::TCollectionItem;

  TComponent* GetControl() const { return FControl; }
  void SetControl(TComponent* AValue) { FControl = AValue; }
  bool GetContextMenuDisabled() const { return FContextMenuDisabled; }
  // During a callback: "$(\"#NAME\").contextMenu(false|true);".
  void SetContextMenuDisabled(bool AValue);

 private:
  TComponent* FControl = nullptr;
  bool FContextMenuDisabled = false;
};

class TIWZQJQContextMenuSelectorList : public TCollection {
  ZQ_CLASS(TIWZQJQContextMenuSelectorList, TCollection)
  explicit TIWZQJQContextMenuSelectorList(TIWZQJQCustomContextMenu* AMenu = nullptr);

  TIWZQJQContextMenuSelector* Items(int AIndex) const {
    return ItemAs<TIWZQJQContextMenuSelector>(AIndex);
  }
  // Raises "Control is not assigned!" for no control.
  TIWZQJQContextMenuSelector* Add(TComponent* AControl, bool ADisabled);
  // Deletes the first item for the control.
  void Remove(TComponent* AControl);
  // Deletes every item for the control.
  void RemoveAll(TComponent* AControl);
  int IndexOf(const TComponent* AControl) const;
  TIWZQJQCustomContextMenu* Menu() const { return FMenu; }

 private:
  TIWZQJQCustomContextMenu* FMenu;
};

// Selector texts: Add(name) keeps "#" + name, AddSelector keeps the text as it
// is; each text is kept once.
class TZQSelectorStringList {
 public:
  void Add(const std::string& AHTMLName) { AddSelector("#" + AHTMLName); }
  void AddSelector(const std::string& ASelector);
  void Remove(const std::string& AText);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const std::string& operator[](int AIndex) const {
    return FItems.at(static_cast<std::size_t>(AIndex));
  }
  const std::vector<std::string>& Items() const { return FItems; }

 private:
  std::vector<std::string> FItems;
};

// ---------------------------------------------------------------- items

enum TIWZQJQContextMenuItemType {
  jqcmitDefault,
  jqcmitText,
  jqcmitTextarea,
  jqcmitCheckbox,
  jqcmitRadio,
  jqcmitSelect,
  jqcmitHTML,
  jqcmitZQCustom
};
ZQ_ENUM_NAMES(TIWZQJQContextMenuItemType, "jqcmitDefault", "jqcmitText", "jqcmitTextarea",
              "jqcmitCheckbox", "jqcmitRadio", "jqcmitSelect", "jqcmitHTML", "jqcmitZQCustom")
// The plug-in's type text of a kind (empty for the default kind).
std::string ZQContextMenuTypeText(TIWZQJQContextMenuItemType AType);

// The options of an item's kind; the base serves the default kind.
class TIWZQJQContextMenuItemTypeBase : public TPersistent {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeBase, TPersistent)
  explicit TIWZQJQContextMenuItemTypeBase(TIWZQJQContextMenuItem* AItem = nullptr);
  ~TIWZQJQContextMenuItemTypeBase() override;

  TPersistent* GetOwner() const override;
  TIWZQJQContextMenuItem* Item() const { return FItem; }
  // DOM events of the item's input, created on first access.
  TIWZQJQEvents* GetEvents();
  void SetEvents(TIWZQJQEvents* AValue);
  // Puts the kind's members into the item's JSON object ("events" when the
  // events write a non-empty object).
  virtual void WriteJSon(const ISuperObject& AItemJSon);
  void Assign(const TPersistent* Source) override;

 protected:
  TIWZQJQContextMenuItem* FItem;
  Owned<TIWZQJQEvents> FEvents;
};

// Writes a value by the value rule: null and empty not at all, booleans,
// integers and doubles as such, anything else as its text when not empty.
void ZQContextMenuPutValue(const ISuperObject& AJSon, std::string_view AName,
                           const Variant& AValue);

class TIWZQJQContextMenuItemTypeText : public TIWZQJQContextMenuItemTypeBase {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeText, TIWZQJQContextMenuItemTypeBase)
  using TIWZQJQContextMenuItemTypeBase::TIWZQJQContextMenuItemTypeBase;
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& AValue) { FValue = AValue; }
  void WriteJSon(const ISuperObject& AItemJSon) override;

 protected:
  Variant FValue;
};

class TIWZQJQContextMenuItemTypeTextarea : public TIWZQJQContextMenuItemTypeText {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeTextarea, TIWZQJQContextMenuItemTypeText)
  using TIWZQJQContextMenuItemTypeText::TIWZQJQContextMenuItemTypeText;
  int GetHeight() const { return FHeight; }
  void SetHeight(int AValue) { FHeight = AValue; }
  void WriteJSon(const ISuperObject& AItemJSon) override;

 private:
  int FHeight = -1;
};

class TIWZQJQContextMenuItemTypeCheckbox : public TIWZQJQContextMenuItemTypeBase {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeCheckbox, TIWZQJQContextMenuItemTypeBase)
  using TIWZQJQContextMenuItemTypeBase::TIWZQJQContextMenuItemTypeBase;
  bool GetSelected() const { return FSelected; }
  void SetSelected(bool AValue) { FSelected = AValue; }
  void WriteJSon(const ISuperObject& AItemJSon) override;

 protected:
  bool FSelected = false;
};

class TIWZQJQContextMenuItemTypeRadio : public TIWZQJQContextMenuItemTypeCheckbox {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeRadio, TIWZQJQContextMenuItemTypeCheckbox)
  explicit TIWZQJQContextMenuItemTypeRadio(TIWZQJQContextMenuItem* AItem = nullptr);
  const std::string& GetGroupName() const { return FGroupName; }
  void SetGroupName(const std::string& AValue) { FGroupName = AValue; }
  const Variant& GetValue() const { return FValue; }
  void SetValue(const Variant& AValue) { FValue = AValue; }
  void WriteJSon(const ISuperObject& AItemJSon) override;

 private:
  std::string FGroupName;
  Variant FValue;
};

class TIWZQJQContextMenuSelectItem : public TCollectionItem {
  ZQ_CLASS(TIWZQJQContextMenuSelectItem, TCollectionItem)
  explicit TIWZQJQContextMenuSelectItem(TCollection* Collection = nullptr);
  const std::string& GetText() const { return FText; }
  void SetText(const std::string& AValue) { FText = AValue; }
  const std::string& GetValue() const { return FValue; }
  void SetValue(const std::string& AValue) { FValue = AValue; }

 private:
  std::string FText;
  std::string FValue;
};

class TIWZQJQContextMenuSelectItems : public TCollection {
  ZQ_CLASS(TIWZQJQContextMenuSelectItems, TCollection)
  explicit TIWZQJQContextMenuSelectItems(TPersistent* AOwner = nullptr);
  TIWZQJQContextMenuSelectItem* Add() {
    return static_cast<TIWZQJQContextMenuSelectItem*>(TCollection::Add());
  }
  TIWZQJQContextMenuSelectItem* Add(const std::string& AValue, const std::string& AText);
  TIWZQJQContextMenuSelectItem* Items(int AIndex) const {
    return ItemAs<TIWZQJQContextMenuSelectItem>(AIndex);
  }
  // {"value":"text",...} through the JSON writer: values and texts are JSON
  // strings, in option order.
  std::string GetJSonText();
};

class TIWZQJQContextMenuItemTypeSelect : public TIWZQJQContextMenuItemTypeBase {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeSelect, TIWZQJQContextMenuItemTypeBase)
  explicit TIWZQJQContextMenuItemTypeSelect(TIWZQJQContextMenuItem* AItem = nullptr);
  TIWZQJQContextMenuSelectItems* GetOptions() const { return FOptions.get(); }
  void SetOptions(TIWZQJQContextMenuSelectItems* AValue) { FOptions->Assign(AValue); }
  int GetSelectedIndex() const { return FSelectedIndex; }
  // An index past the last option is ignored.
  void SetSelectedIndex(int AValue);
  void WriteJSon(const ISuperObject& AItemJSon) override;
  void Assign(const TPersistent* Source) override;

 private:
  Owned<TIWZQJQContextMenuSelectItems> FOptions;
  int FSelectedIndex = -1;
};

class TIWZQJQContextMenuItemTypeHTML : public TIWZQJQContextMenuItemTypeBase {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeHTML, TIWZQJQContextMenuItemTypeBase)
  using TIWZQJQContextMenuItemTypeBase::TIWZQJQContextMenuItemTypeBase;
};

// Hosts a control of the page inside the item ("zqcustomId": "#" + its HTML
// name). The menu is told when the control goes away.
class TIWZQJQContextMenuItemTypeZQCustom : public TIWZQJQContextMenuItemTypeBase {
  ZQ_CLASS(TIWZQJQContextMenuItemTypeZQCustom, TIWZQJQContextMenuItemTypeBase)
  using TIWZQJQContextMenuItemTypeBase::TIWZQJQContextMenuItemTypeBase;
  ~TIWZQJQContextMenuItemTypeZQCustom() override;
  TComponent* GetControl() const { return FControl; }
  void SetControl(TComponent* AValue);
  void WriteJSon(const ISuperObject& AItemJSon) override;
  void Assign(const TPersistent* Source) override;

 private:
  TComponent* FControl = nullptr;
};

// An item's icon: a jQuery UI icon name or a picture.
class TIWZQJQContextMenuItemIcon : public TPersistent {
  ZQ_CLASS(TIWZQJQContextMenuItemIcon, TPersistent)
  explicit TIWZQJQContextMenuItemIcon(TIWZQJQContextMenuItem* AItem = nullptr);
  ~TIWZQJQContextMenuItemIcon() override;
  TPersistent* GetOwner() const override;

  const std::string& GetUIIcon() const { return FUIIcon; }
  // During a callback: the icon script, also for an unchanged name.
  void SetUIIcon(const std::string& AValue);
  // Created on first access, named after the item's unique name + "_IMG".
  TIWZQPictureEx* GetPicture();
  void SetPicture(TIWZQPictureEx* AValue) { GetPicture()->Assign(AValue); }
  bool HasPicture() const { return static_cast<bool>(FPicture); }
  int GetPictureWidth();
  int GetPictureHeight();
  // The icon script for the item's position (an index at the top level, its
  // key below): the picture's when it has a source, else the UI icon's, else
  // empty.
  std::string GetIconScript();
  void Assign(const TPersistent* Source) override;

 private:
  TIWZQJQContextMenuItem* FItem;
  std::string FUIIcon;
  Owned<TIWZQPictureEx> FPicture;
};

class TIWZQJQContextMenuItem : public TCollectionItem, public IIWZQFuncAdapter {
  ZQ_CLASS(TIWZQJQContextMenuItem, TCollectionItem)
  explicit TIWZQJQContextMenuItem(TCollection* Collection = nullptr);
  ~TIWZQJQContextMenuItem() override;
  void BeforeDestruction() override;

  // ---- published
  const std::string& GetCaption() const { return FCaption; }
  void SetCaption(const std::string& AValue) { FCaption = AValue; }
  // Off: the caption is shown as text; on: as HTML.
  bool GetCaptionIsHTML() const { return FCaptionIsHTML; }
  void SetCaptionIsHTML(bool AValue) { FCaptionIsHTML = AValue; }
  const std::string& GetClassName_() const { return FClassName; }
  void SetClassName_(const std::string& AValue) { FClassName = AValue; }
  const std::string& GetIcon() const { return FIcon; }
  void SetIcon(const std::string& AValue) { FIcon = AValue; }
  bool GetDisabled() const { return FDisabled; }
  // During a callback: the script that enables or disables this item.
  void SetDisabled(bool AValue);
  bool GetSeparator() const { return FSeparator; }
  void SetSeparator(bool AValue) { FSeparator = AValue; }
  TIWZQJQContextMenuItemType GetType_() const { return FType; }
  // A different kind replaces the type options by new ones of that kind.
  void SetType_(TIWZQJQContextMenuItemType AValue);
  TIWZQJQContextMenuItemTypeBase* GetTypeOptions() const { return FTypeOptions.get(); }
  void SetTypeOptions(TIWZQJQContextMenuItemTypeBase* AValue) { FTypeOptions->Assign(AValue); }
  const std::string& GetAccessKey() const { return FAccessKey; }
  void SetAccessKey(const std::string& AValue) { FAccessKey = AValue; }
  TIWZQCustomFunc* GetOnCallback();
  void SetOnCallback(TIWZQCustomFunc* AValue) { GetOnCallback()->Assign(AValue); }
  TIWZQJQContextMenuItems* GetSubItems();
  void SetSubItems(TIWZQJQContextMenuItems* AValue);
  bool HasSubItems() const;
  TIWZQJQContextMenuItemIcon* GetCustomIcon();
  void SetCustomIcon(TIWZQJQContextMenuItemIcon* AValue) { GetCustomIcon()->Assign(AValue); }
  bool GetVisible() const { return FVisible; }
  // During a callback: the script that shows or hides this item.
  void SetVisible(bool AValue);
  // The owner's unique name (the menu's HTML name at the top level), "_", index.
  std::string GetUniqueName() const;

  // Typed views of the type options; another kind raises EInvalidCast.
  TIWZQJQContextMenuItemTypeText* TypeTextOptions() const;
  TIWZQJQContextMenuItemTypeRadio* TypeRadioOptions() const;
  TIWZQJQContextMenuItemTypeCheckbox* TypeCheckboxOptions() const;
  TIWZQJQContextMenuItemTypeSelect* TypeSelectOptions() const;
  TIWZQJQContextMenuItemTypeTextarea* TypeTextareaOptions() const;
  TIWZQJQContextMenuItemTypeHTML* TypeHTMLOptions() const;
  TIWZQJQContextMenuItemTypeZQCustom* TypeZQCustomOptions() const;

  // ---- structure
  TIWZQJQContextMenuItems* Items() const;
  // The item this one is a sub-item of, or none at the top level.
  TIWZQJQContextMenuItem* ParentItem() const;
  TIWZQJQCustomContextMenu* Menu() const;
  // The item's JSON object (compact, names quoted when written).
  ISuperObject GetJSon();
  // The removed control leaves this item and its sub-items.
  void ControlRemoved(TComponent* AControl);
  bool ClaimPicture(TObject* APicture);

  // ---- IIWZQFuncAdapter
  IIWZQJSContainer* GetZQJSContainer() override;
  TComponent* GetImplComponent() override;
  std::string GetPropName() override { return {}; }
  std::string GetHTMLName() override;
  std::string GetIWCLName() override;
  int GetItemIndex() override { return GetIndex(); }
  std::string GetFixedScript(TObject*, bool&) override { return {}; }

 private:
  // Script that changes this item on the client (only while a callback runs).
  void AddItemScript(const std::string& AScript);
  std::string FCaption;
  std::string FClassName;
  std::string FIcon;
  std::string FAccessKey;
  bool FCaptionIsHTML = false;
  bool FDisabled = false;
  bool FSeparator = false;
  bool FVisible = true;
  TIWZQJQContextMenuItemType FType = jqcmitDefault;
  Owned<TIWZQJQContextMenuItemTypeBase> FTypeOptions;
  Owned<TIWZQCustomFunc> FOnCallback;
  Owned<TIWZQJQContextMenuItems> FSubItems;
  Owned<TIWZQJQContextMenuItemIcon> FCustomIcon;
};

class TIWZQJQContextMenuItems : public TCollection, public IIWZQFuncAdapter {
  ZQ_CLASS(TIWZQJQContextMenuItems, TCollection)
  // AOwner: the options or the item the collection belongs to.
  explicit TIWZQJQContextMenuItems(TPersistent* AOwner = nullptr, std::string APropName = "Items");

  TIWZQJQContextMenuItem* Add() { return static_cast<TIWZQJQContextMenuItem*>(TCollection::Add()); }
  TIWZQJQContextMenuItem* Items(int AIndex) const { return ItemAs<TIWZQJQContextMenuItem>(AIndex); }
  TIWZQJQCustomContextMenu* Menu() const;
  // The item this collection belongs to, or none at the top level.
  TIWZQJQContextMenuItem* OwnerItem() const;
  // The unique name the items' names start with.
  std::string GetUniqueName() const;
  // "{" + one "key":value entry per item, in item order + "}"; keys and
  // values through the JSON writer.
  std::string GetJSonText();

  // ---- IIWZQFuncAdapter
  IIWZQJSContainer* GetZQJSContainer() override;
  TComponent* GetImplComponent() override;
  std::string GetPropName() override { return FPropName; }
  std::string GetHTMLName() override;
  std::string GetIWCLName() override;
  int GetItemIndex() override { return -1; }
  std::string GetFixedScript(TObject*, bool&) override { return {}; }

 private:
  std::string FPropName;
};

// ---------------------------------------------------------------- options

#define ZQ_CONTEXT_MENU_OPTIONS_ROWS(X)                                                         \
  X(String, AppendTo, "appendTo", "document.body")                                              \
  X(Enum, Trigger, "trigger", TIWZQJQContextMenuTrigger, TIWZQJQContextMenuTrigger::jqcmtRight) \
  X(Boolean, Reposition, "reposition", false)                                                   \
  X(Integer, Delay, "delay", 200)                                                               \
  X(Boolean, AutoHide, "autoHide", false)                                                       \
  X(Integer, zIndex, "zIndex", 1)                                                               \
  X(String, ClassName_, "className", "")                                                        \
  X(Obj, Animation, "animation", TIWZQJQContextMenuAnimation)                                   \
  X(Obj, Events, "events", TIWZQJQContextMenuEvents)                                            \
  X(Func, OnPosition, "position", "$menu,x,y")                                                  \
  X(Func, OnCallback, "callback", "key, opt", kZQFixedScript)                                   \
  X(Boolean, BuildOnDemand, "BuildOnDemand", false, kZQServerOnly)                              \
  X(Boolean, UITheme, "uiTheme", false)

class TIWZQJQContextMenuOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQContextMenuOptions, TIWZQJSon, ZQ_CONTEXT_MENU_OPTIONS_ROWS)
  explicit TIWZQJQContextMenuOptions(TCollection* Collection = nullptr);
  ~TIWZQJQContextMenuOptions() override;

  TIWZQJQContextMenuItems* GetItems();
  void SetItems(TIWZQJQContextMenuItems* AValue) { GetItems()->Assign(AValue); }
  bool HasItems() const;
  TIWZQJQContextMenuSelectorList* GetSelectorList();
  TZQSelectorStringList* GetSelectorStringList();
  TIWZQJQCustomContextMenu* Menu();

  // The generic members, then "items" when there are items.
  ISuperObject GetJSon() override;
  // "AddChangedControl(\"MENU\");" at the start of the callback member.
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;

 private:
  Owned<TIWZQJQContextMenuItems> FItems;
  Owned<TIWZQJQContextMenuSelectorList> FSelectorList;
  std::unique_ptr<TZQSelectorStringList> FSelectorStringList;
};

// ---------------------------------------------------------------- component

// The plug-in's file ("contextMenu/jquery.contextMenu.js", ".min" without
// script debugging) and the library's two menu scripts.
std::string JQContextMenuJS();
std::string ZQContextMenuUtilitiesJS();
std::string ZQContextMenuJS();

// The values of the input items a callback sent ("values"), by item key; an
// absent or malformed parameter gives an empty object.
ISuperObject ZQContextMenuInputValues(TStringList* AParams);

class TIWZQJQCustomContextMenu : public TIWZQJQComponent, public IIWZQRegionContextMenu {
  ZQ_CLASS(TIWZQJQCustomContextMenu, TIWZQJQComponent)
 public:
  explicit TIWZQJQCustomContextMenu(TComponent* AOwner);
  ~TIWZQJQCustomContextMenu() override;
  void BeforeDestruction() override;

  TIWZQJQContextMenuOptions* GetJQContextMenuOptions();
  void SetJQContextMenuOptions(TIWZQJQContextMenuOptions* AValue);
  TImageList* GetImages() const { return FImages; }
  void SetImages(TImageList* AValue);

  // The class the plug-in puts on the menu list: ClassName_, or the jQuery name.
  std::string GetInternalClassName();
  // ".CLASS.context-menu-list".
  std::string GetListSelector();
  // The comma-joined selector text.
  std::string GetSelectors();

  // ---- internal controls (controls that supply selectors of their own)
  int AddInternalControl(TComponent* AControl);
  void RemoveInternalControl(TComponent* AControl);
  const std::vector<TComponent*>& InternalControls() const { return FInternalControls; }

  // ---- scripts and operations
  std::string jsShowContextMenu(const std::string& ASelector, int X, int Y);
  std::string jsShowContextMenuOnCenter(const std::string& ASelector, int AdjustLeft = 0,
                                        int AdjustTop = 0);
  std::string jsHideContextMenu(const std::string& ASelector);
  // The options assignment (the "_OPTS" variable with build-on-demand), or
  // the plug-in's destroy and create calls without it.
  std::string jsRebuildContextMenu();
  void ShowContextMenu(const std::string& ASelector, int X, int Y);
  void ShowContextMenu(TComponent* AControl, int X, int Y);
  void ShowContextMenuOnCenter(const std::string& ASelector, int AdjustLeft = 0, int AdjustTop = 0);
  void ShowContextMenuOnCenter(TComponent* AControl) { ShowContextMenuOnCenter(AControl, 0, 0); }
  void ShowContextMenuOnCenter(TComponent* AControl, int AdjustLeft, int AdjustTop);
  void HideContextMenu(const std::string& ASelector);
  void HideContextMenu(TComponent* AControl);
  void RebuildContextMenu();

  // ---- IIWZQRegionContextMenu
  void AddSelectorControl(TComponent* AControl) override;
  void RemoveSelectorControl(TComponent* AControl) override;
  void ShowOn(TComponent* AControl, int X, int Y) override { ShowContextMenu(AControl, X, Y); }
  void ShowOnCenter(TComponent* AControl, int AdjustLeft, int AdjustTop) override {
    ShowContextMenuOnCenter(AControl, AdjustLeft, AdjustTop);
  }
  // Hides the menu wherever it is open.
  void HideMenu() override;

  // ---- the component base
  bool GetGenerateIWCLScript() override { return true; }
  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string GetRenderScript() override;
  std::string GetPluginDestroyJs() override;
  std::string GetDocumentationLink() override { return "docs/components/contextmenu.md"; }
  void AjaxPictureChanged(TObject* Sender) override;
  // A hosted control of a zqcustom item asks to be told when it goes away.
  void WatchControl(TComponent* AControl);

  // The plug-in argument ("build" with build-on-demand, else the options),
  // with "className" and "selector".
  ISuperObject GetCustomJSon();

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::string OptsVar() { return GetJQHTMLName() + "_OPTS"; }
  std::string OptionsText(const ISuperObject& AJSon);
  std::string CreateScript(std::string& AMessage);
  Owned<TIWZQJQContextMenuOptions> FOptions;
  TImageList* FImages = nullptr;
  std::vector<TComponent*> FInternalControls;
};

class TIWZQJQContextMenu : public TIWZQJQCustomContextMenu {
  ZQ_CLASS(TIWZQJQContextMenu, TIWZQJQCustomContextMenu)
 public:
  using TIWZQJQCustomContextMenu::TIWZQJQCustomContextMenu;
};

}  // namespace zq
