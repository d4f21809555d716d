#include "components/contextmenu/contextmenu.h"

#include <algorithm>

#include "events/browserparams.h"
#include "events/jscript.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/proppath.h"
#include "foundation/stringlist.h"
#include "framework/links.h"
#include "host/zqhelpers.h"

namespace zq {

// ---------------------------------------------------------------- registration

ZQ_IMPLEMENT_CLASS(TIWZQCustomFunc) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQContextMenuAnimation) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQContextMenuEvents) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQContextMenuOptions) {
  using O = TIWZQJQContextMenuOptions;
  c.Prop("Items", &O::GetItems, &O::SetItems).Stored(false);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuSelector) {
  using S = TIWZQJQContextMenuSelector;
  c.Prop("Control", &S::GetControl, &S::SetControl);
  c.Prop("ContextMenuDisabled", &S::GetContextMenuDisabled, &S::SetContextMenuDisabled);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuSelectorList) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeBase) {
  using T = TIWZQJQContextMenuItemTypeBase;
  c.Prop("Events", &T::GetEvents, &T::SetEvents);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeText) {
  using T = TIWZQJQContextMenuItemTypeText;
  c.Prop("Value", &T::GetValue, &T::SetValue);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeTextarea) {
  using T = TIWZQJQContextMenuItemTypeTextarea;
  c.Prop("Height", &T::GetHeight, &T::SetHeight);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeCheckbox) {
  using T = TIWZQJQContextMenuItemTypeCheckbox;
  c.Prop("Selected", &T::GetSelected, &T::SetSelected);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeRadio) {
  using T = TIWZQJQContextMenuItemTypeRadio;
  c.Prop("GroupName", &T::GetGroupName, &T::SetGroupName);
  c.Prop("Value", &T::GetValue, &T::SetValue);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuSelectItem) {
  using T = TIWZQJQContextMenuSelectItem;
  c.Prop("Text", &T::GetText, &T::SetText);
  c.Prop("Value", &T::GetValue, &T::SetValue);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuSelectItems) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeSelect) {
  using T = TIWZQJQContextMenuItemTypeSelect;
  c.Prop("Options", &T::GetOptions, &T::SetOptions);
  c.Prop("SelectedIndex", &T::GetSelectedIndex, &T::SetSelectedIndex);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeHTML) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemTypeZQCustom) {
  using T = TIWZQJQContextMenuItemTypeZQCustom;
  c.Prop("Control", &T::GetControl, &T::SetControl);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItemIcon) {
  using T = TIWZQJQContextMenuItemIcon;
  c.Prop("UIIcon", &T::GetUIIcon, &T::SetUIIcon);
  c.Prop("Picture", &T::GetPicture, &T::SetPicture).Stored(&T::HasPicture);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItem) {
  using T = TIWZQJQContextMenuItem;
  c.Prop("Caption", &T::GetCaption, &T::SetCaption);
  c.Prop("CaptionIsHTML", &T::GetCaptionIsHTML, &T::SetCaptionIsHTML);
  c.Prop("ClassName_", &T::GetClassName_, &T::SetClassName_);
  c.Prop("Icon", &T::GetIcon, &T::SetIcon);
  c.Prop("Disabled", &T::GetDisabled, &T::SetDisabled);
  c.Prop("Separator", &T::GetSeparator, &T::SetSeparator);
  c.Prop("Type_", &T::GetType_, &T::SetType_);
  c.Prop("TypeOptions", &T::GetTypeOptions, &T::SetTypeOptions);
  c.Prop("AccessKey", &T::GetAccessKey, &T::SetAccessKey);
  c.Prop("OnCallback", &T::GetOnCallback, &T::SetOnCallback);
  c.Prop("SubItems", &T::GetSubItems, &T::SetSubItems).Stored(&T::HasSubItems);
  c.Prop("CustomIcon", &T::GetCustomIcon, &T::SetCustomIcon);
  c.Prop("Visible", &T::GetVisible, &T::SetVisible);
  c.Prop("UniqueName", &T::GetUniqueName, nullptr).Stored(false);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenuItems) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQCustomContextMenu) {
  using T = TIWZQJQCustomContextMenu;
  c.Prop("JQContextMenuOptions", &T::GetJQContextMenuOptions, &T::SetJQContextMenuOptions);
  c.Prop("Images", &T::GetImages, &T::SetImages);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQContextMenu) {}

namespace {

// A script string literal of the text (JSON string: quotes, backslashes, "/"
// and control characters escaped, so no "</script>" can occur).
std::string Lit(std::string_view AText) {
  return ZQJsEscape(AText);
}

std::string Dbg() {
  return ZQIfDebug("\r\n");
}

}  // namespace

// ---------------------------------------------------------------- callbacks

TIWZQCustomFunc::TIWZQCustomFunc(TPersistent* AOwner, std::string APropName, std::string AArguments)
    : TIWZQFunc(AOwner, std::move(APropName)), FArguments(std::move(AArguments)) {
  SetAjax(true);
}

std::string TIWZQCustomFunc::GetScriptDeclaration(bool AForExecute) {
  return AForExecute ? Format("function(%s){", FArguments) : std::string("{");
}

std::string TIWZQCustomFunc::GetScript(bool AForExecute) {
  std::string base = GetBaseScript(AForExecute);
  if (base.empty()) return base;
  IIWZQJSContainer* c = FAdapter ? FAdapter->GetZQJSContainer() : nullptr;
  if (!c) return base;
  const std::string fixed = Format("AddChangedControl(%s);", Lit(c->GetJQHTMLName()));
  const std::size_t open = base.find('{');
  if (open == std::string::npos) return GetScriptDeclaration(AForExecute) + fixed + base + "}";
  return base.substr(0, open + 1) + fixed + base.substr(open + 1);
}

// ---------------------------------------------------------------- selectors

void TIWZQJQContextMenuSelector::SetContextMenuDisabled(bool AValue) {
  FContextMenuDisabled = AValue;
  auto* list = dynamic_cast<TIWZQJQContextMenuSelectorList*>(GetCollection());
  TIWZQJQCustomContextMenu* menu = list ? list->Menu() : nullptr;
  if (!menu || !FControl || !menu->GetGenerateAjaxResponse(nullptr)) return;
  const std::string name = ZQGetCtrlHTMLName(FControl);
  if (name.empty()) return;
  menu->AddJavaScriptToAjaxResponse(
      Format("%s(%s).contextMenu(%s);", ZQJQuery, Lit("#" + name), AValue ? "false" : "true"),
      false, true);
}

TIWZQJQContextMenuSelectorList::TIWZQJQContextMenuSelectorList(TIWZQJQCustomContextMenu* AMenu)
    : TCollection(TIWZQJQContextMenuSelector::StaticClass(), AMenu), FMenu(AMenu) {}

TIWZQJQContextMenuSelector* TIWZQJQContextMenuSelectorList::Add(TComponent* AControl,
                                                                bool ADisabled) {
  if (!AControl) throw EIWZQJQuery("Control is not assigned!");
  auto* item = static_cast<TIWZQJQContextMenuSelector*>(TCollection::Add());
  item->SetControl(AControl);
  item->SetContextMenuDisabled(ADisabled);
  return item;
}

int TIWZQJQContextMenuSelectorList::IndexOf(const TComponent* AControl) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetControl() == AControl) return i;
  return -1;
}

void TIWZQJQContextMenuSelectorList::Remove(TComponent* AControl) {
  const int i = IndexOf(AControl);
  if (i >= 0) Delete(i);
}

void TIWZQJQContextMenuSelectorList::RemoveAll(TComponent* AControl) {
  for (int i = IndexOf(AControl); i >= 0; i = IndexOf(AControl)) Delete(i);
}

void TZQSelectorStringList::AddSelector(const std::string& ASelector) {
  if (ASelector.empty() || std::find(FItems.begin(), FItems.end(), ASelector) != FItems.end())
    return;
  FItems.push_back(ASelector);
}

void TZQSelectorStringList::Remove(const std::string& AText) {
  auto it = std::find(FItems.begin(), FItems.end(), AText);
  if (it != FItems.end()) FItems.erase(it);
}

// ---------------------------------------------------------------- type options

std::string ZQContextMenuTypeText(TIWZQJQContextMenuItemType AType) {
  static const char* const kTexts[] = {"",      "text",   "textarea", "checkbox",
                                       "radio", "select", "html",     "zqcustom"};
  const int i = static_cast<int>(AType);
  return i >= 0 && i < 8 ? kTexts[i] : "";
}

void ZQContextMenuPutValue(const ISuperObject& AJSon, std::string_view AName,
                           const Variant& AValue) {
  if (AValue.IsEmptyOrNull()) return;
  if (AValue.IsBool()) {
    AJSon->AsObject()->PutO(AName, TSuperObject::Create(AValue.ToBool()));
  } else if (AValue.IsInteger()) {
    AJSon->AsObject()->PutO(AName, TSuperObject::Create(static_cast<long>(AValue.ToInt64())));
  } else if (AValue.IsFloat()) {
    AJSon->AsObject()->PutO(AName, TSuperObject::Create(AValue.ToDouble()));
  } else {
    const std::string text = AValue.ToString();
    if (!text.empty()) AJSon->AsObject()->PutO(AName, TSuperObject::Create(std::string_view(text)));
  }
}

TIWZQJQContextMenuItemTypeBase::TIWZQJQContextMenuItemTypeBase(TIWZQJQContextMenuItem* AItem)
    : FItem(AItem) {}
TIWZQJQContextMenuItemTypeBase::~TIWZQJQContextMenuItemTypeBase() = default;

TPersistent* TIWZQJQContextMenuItemTypeBase::GetOwner() const {
  return FItem;
}

TIWZQJQEvents* TIWZQJQContextMenuItemTypeBase::GetEvents() {
  if (!FEvents) {
    TIWZQJQCustomContextMenu* menu = FItem ? FItem->Menu() : nullptr;
    const bool design = menu && menu->HasState(csDesigning);
    FEvents.reset(
        TIWZQJSon::CreateSingle<TIWZQJQEvents>(this, design ? "Events" : "TypeOptions.Events"));
  }
  return FEvents.get();
}

void TIWZQJQContextMenuItemTypeBase::SetEvents(TIWZQJQEvents* AValue) {
  GetEvents()->Assign(AValue);
}

void TIWZQJQContextMenuItemTypeBase::WriteJSon(const ISuperObject& AItemJSon) {
  if (!FEvents) return;
  ISuperObject ev = FEvents->GetJSon();
  if (ev && !SOIsEmptyObject(ev)) AItemJSon->AsObject()->PutO("events", ev);
}

void TIWZQJQContextMenuItemTypeBase::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TIWZQJQContextMenuItemTypeBase*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  ZQCopyPublishedProps(src, this, {"Events", "Options"});
  if (src->FEvents) GetEvents()->Assign(src->FEvents.get());
}

void TIWZQJQContextMenuItemTypeText::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeBase::WriteJSon(AItemJSon);
  ZQContextMenuPutValue(AItemJSon, "value", FValue);
}

void TIWZQJQContextMenuItemTypeTextarea::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeText::WriteJSon(AItemJSon);
  if (FHeight > 0) AItemJSon->AsObject()->PutO("height", TSuperObject::Create(FHeight));
}

void TIWZQJQContextMenuItemTypeCheckbox::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeBase::WriteJSon(AItemJSon);
  if (FSelected) AItemJSon->AsObject()->PutO("selected", TSuperObject::Create(true));
}

TIWZQJQContextMenuItemTypeRadio::TIWZQJQContextMenuItemTypeRadio(TIWZQJQContextMenuItem* AItem)
    : TIWZQJQContextMenuItemTypeCheckbox(AItem), FValue(ZQGenAutoID()) {}

void TIWZQJQContextMenuItemTypeRadio::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeCheckbox::WriteJSon(AItemJSon);
  if (!FGroupName.empty())
    AItemJSon->AsObject()->PutO("radio", TSuperObject::Create(std::string_view(FGroupName)));
  ZQContextMenuPutValue(AItemJSon, "value", FValue);
}

TIWZQJQContextMenuSelectItem::TIWZQJQContextMenuSelectItem(TCollection* Collection)
    : TCollectionItem(Collection), FValue(ZQGenAutoID()) {}

TIWZQJQContextMenuSelectItems::TIWZQJQContextMenuSelectItems(TPersistent* AOwner)
    : TCollection(TIWZQJQContextMenuSelectItem::StaticClass(), AOwner) {}

TIWZQJQContextMenuSelectItem* TIWZQJQContextMenuSelectItems::Add(const std::string& AValue,
                                                                 const std::string& AText) {
  TIWZQJQContextMenuSelectItem* item = Add();
  item->SetValue(AValue);
  item->SetText(AText);
  return item;
}

std::string TIWZQJQContextMenuSelectItems::GetJSonText() {
  std::string out = "{";
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) out += ',';
    out += Lit(Items(i)->GetValue());
    out += ':';
    out += Lit(Items(i)->GetText());
  }
  out += '}';
  return out;
}

TIWZQJQContextMenuItemTypeSelect::TIWZQJQContextMenuItemTypeSelect(TIWZQJQContextMenuItem* AItem)
    : TIWZQJQContextMenuItemTypeBase(AItem),
      FOptions(CreateOwned<TIWZQJQContextMenuSelectItems>(this)) {}

void TIWZQJQContextMenuItemTypeSelect::SetSelectedIndex(int AValue) {
  if (AValue > FOptions->Count() - 1) return;
  FSelectedIndex = AValue < 0 ? -1 : AValue;
}

void TIWZQJQContextMenuItemTypeSelect::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeBase::WriteJSon(AItemJSon);
  AItemJSon->AsObject()->PutO("options", TSuperObject::Create(FOptions->GetJSonText(), true));
  if (FSelectedIndex >= 0 && FSelectedIndex < FOptions->Count())
    AItemJSon->AsObject()->PutO(
        "selected",
        TSuperObject::Create(std::string_view(FOptions->Items(FSelectedIndex)->GetValue())));
}

void TIWZQJQContextMenuItemTypeSelect::Assign(const TPersistent* Source) {
  TIWZQJQContextMenuItemTypeBase::Assign(Source);
  if (auto* src = dynamic_cast<const TIWZQJQContextMenuItemTypeSelect*>(Source)) {
    if (src == this) return;
    FOptions->Assign(src->FOptions.get());
    FSelectedIndex = src->FSelectedIndex;
  }
}

TIWZQJQContextMenuItemTypeZQCustom::~TIWZQJQContextMenuItemTypeZQCustom() = default;

void TIWZQJQContextMenuItemTypeZQCustom::SetControl(TComponent* AValue) {
  FControl = AValue;
  if (AValue && FItem)
    if (TIWZQJQCustomContextMenu* menu = FItem->Menu()) menu->WatchControl(AValue);
}

void TIWZQJQContextMenuItemTypeZQCustom::WriteJSon(const ISuperObject& AItemJSon) {
  TIWZQJQContextMenuItemTypeBase::WriteJSon(AItemJSon);
  if (!FControl) return;
  const std::string name = ZQGetCtrlHTMLName(FControl);
  if (!name.empty())
    AItemJSon->AsObject()->PutO("zqcustomId", TSuperObject::Create(std::string_view("#" + name)));
}

void TIWZQJQContextMenuItemTypeZQCustom::Assign(const TPersistent* Source) {
  TIWZQJQContextMenuItemTypeBase::Assign(Source);
}

// ---------------------------------------------------------------- icon

TIWZQJQContextMenuItemIcon::TIWZQJQContextMenuItemIcon(TIWZQJQContextMenuItem* AItem)
    : FItem(AItem) {}
TIWZQJQContextMenuItemIcon::~TIWZQJQContextMenuItemIcon() = default;

TPersistent* TIWZQJQContextMenuItemIcon::GetOwner() const {
  return FItem;
}

TIWZQPictureEx* TIWZQJQContextMenuItemIcon::GetPicture() {
  if (!FPicture) {
    FPicture.reset(
        Create<TIWZQPictureEx>(this, (FItem ? FItem->GetUniqueName() : std::string()) + "_IMG"));
    if (FItem)
      if (TIWZQJQCustomContextMenu* menu = FItem->Menu()) FPicture->SetImages(menu->GetImages());
    FPicture->OnChange = [this](TObject*) {
      if (FItem)
        if (TIWZQJQCustomContextMenu* menu = FItem->Menu())
          menu->AjaxPictureChanged(FPicture.get());
    };
  }
  return FPicture.get();
}

void TIWZQJQContextMenuItemIcon::SetUIIcon(const std::string& AValue) {
  FUIIcon = AValue;
  TIWZQJQCustomContextMenu* menu = FItem ? FItem->Menu() : nullptr;
  if (menu && menu->GetGenerateAjaxResponse(nullptr)) {
    const std::string script = GetIconScript();
    if (!script.empty()) menu->AddJavaScriptToAjaxResponse(script, false, true);
  }
}

int TIWZQJQContextMenuItemIcon::GetPictureWidth() {
  if (!FPicture || FPicture->IsNull()) return 16;
  if (FPicture->GetImages() && FPicture->GetImageIndex() >= 0)
    return FPicture->GetImages()->GetWidth();
  return FPicture->Width();
}

int TIWZQJQContextMenuItemIcon::GetPictureHeight() {
  if (!FPicture || FPicture->IsNull()) return 16;
  if (FPicture->GetImages() && FPicture->GetImageIndex() >= 0)
    return FPicture->GetImages()->GetHeight();
  return FPicture->Height();
}

std::string TIWZQJQContextMenuItemIcon::GetIconScript() {
  TIWZQJQCustomContextMenu* menu = FItem ? FItem->Menu() : nullptr;
  if (!menu) return {};
  // A top-level item by its index; a sub-item by its key (an index of a
  // sub-level would name an item of the top level).
  const std::string where =
      FItem->ParentItem() ? Lit(FItem->GetUniqueName()) : std::to_string(FItem->GetIndex());
  const std::string list = Lit(menu->GetInternalClassName() + ".context-menu-list");
  if (FPicture && !FPicture->IsNull()) {
    const std::string src = FPicture->Src();
    if (!src.empty())
      return Format("ZQAddCMCustomIcon(%s,%s,%s,true,%d,%d);", list, where, Lit(src),
                    GetPictureWidth(), GetPictureHeight());
  }
  if (!FUIIcon.empty()) return Format("ZQAddCMCustomIcon(%s,%s,%s);", list, where, Lit(FUIIcon));
  return {};
}

void TIWZQJQContextMenuItemIcon::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TIWZQJQContextMenuItemIcon*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  FUIIcon = src->FUIIcon;
  if (src->FPicture) GetPicture()->Assign(src->FPicture.get());
}

// ---------------------------------------------------------------- item

TIWZQJQContextMenuItem::TIWZQJQContextMenuItem(TCollection* Collection)
    : TCollectionItem(Collection),
      FTypeOptions(CreateOwned<TIWZQJQContextMenuItemTypeBase>(this)) {}

TIWZQJQContextMenuItem::~TIWZQJQContextMenuItem() = default;

void TIWZQJQContextMenuItem::BeforeDestruction() {
  FCustomIcon.reset();
  FSubItems.reset();
  FOnCallback.reset();
  FTypeOptions.reset();
  TCollectionItem::BeforeDestruction();
}

TIWZQJQContextMenuItems* TIWZQJQContextMenuItem::Items() const {
  return dynamic_cast<TIWZQJQContextMenuItems*>(GetCollection());
}

TIWZQJQContextMenuItem* TIWZQJQContextMenuItem::ParentItem() const {
  TIWZQJQContextMenuItems* items = Items();
  return items ? items->OwnerItem() : nullptr;
}

TIWZQJQCustomContextMenu* TIWZQJQContextMenuItem::Menu() const {
  TIWZQJQContextMenuItems* items = Items();
  return items ? items->Menu() : nullptr;
}

std::string TIWZQJQContextMenuItem::GetUniqueName() const {
  TIWZQJQContextMenuItems* items = Items();
  return (items ? items->GetUniqueName() : std::string()) + "_" + std::to_string(GetIndex());
}

void TIWZQJQContextMenuItem::SetType_(TIWZQJQContextMenuItemType AValue) {
  if (AValue == FType && FTypeOptions) return;
  FType = AValue;
  switch (AValue) {
    case jqcmitText:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeText>(this);
      break;
    case jqcmitTextarea:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeTextarea>(this);
      break;
    case jqcmitCheckbox:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeCheckbox>(this);
      break;
    case jqcmitRadio:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeRadio>(this);
      break;
    case jqcmitSelect:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeSelect>(this);
      break;
    case jqcmitHTML:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeHTML>(this);
      break;
    case jqcmitZQCustom:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeZQCustom>(this);
      break;
    default:
      FTypeOptions = CreateOwned<TIWZQJQContextMenuItemTypeBase>(this);
      break;
  }
}

namespace {
template <class T>
T* TypedView(TIWZQJQContextMenuItemTypeBase* AOptions) {
  auto* t = dynamic_cast<T*>(AOptions);
  if (!t) throw EInvalidCast("Invalid class typecast");
  return t;
}
}  // namespace

TIWZQJQContextMenuItemTypeText* TIWZQJQContextMenuItem::TypeTextOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeText>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeRadio* TIWZQJQContextMenuItem::TypeRadioOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeRadio>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeCheckbox* TIWZQJQContextMenuItem::TypeCheckboxOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeCheckbox>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeSelect* TIWZQJQContextMenuItem::TypeSelectOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeSelect>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeTextarea* TIWZQJQContextMenuItem::TypeTextareaOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeTextarea>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeHTML* TIWZQJQContextMenuItem::TypeHTMLOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeHTML>(FTypeOptions.get());
}
TIWZQJQContextMenuItemTypeZQCustom* TIWZQJQContextMenuItem::TypeZQCustomOptions() const {
  return TypedView<TIWZQJQContextMenuItemTypeZQCustom>(FTypeOptions.get());
}

TIWZQCustomFunc* TIWZQJQContextMenuItem::GetOnCallback() {
  if (!FOnCallback) {
    FOnCallback.reset(Create<TIWZQCustomFunc>(this, "OnCallback", "key,obj"));
    // The item's key and the values of the menu's inputs go with the callback.
    FOnCallback->GetInternalBrowserParams()->AddParam("key", "key");
    FOnCallback->GetInternalBrowserParams()->AddParam("values", "ZQCMInputValues(obj)");
  }
  return FOnCallback.get();
}

TIWZQJQContextMenuItems* TIWZQJQContextMenuItem::GetSubItems() {
  if (!FSubItems) FSubItems = CreateOwned<TIWZQJQContextMenuItems>(this, "SubItems");
  return FSubItems.get();
}

void TIWZQJQContextMenuItem::SetSubItems(TIWZQJQContextMenuItems* AValue) {
  GetSubItems()->Assign(AValue);
}

bool TIWZQJQContextMenuItem::HasSubItems() const {
  return FSubItems && FSubItems->Count() > 0;
}

TIWZQJQContextMenuItemIcon* TIWZQJQContextMenuItem::GetCustomIcon() {
  if (!FCustomIcon) FCustomIcon = CreateOwned<TIWZQJQContextMenuItemIcon>(this);
  return FCustomIcon.get();
}

void TIWZQJQContextMenuItem::AddItemScript(const std::string& AScript) {
  TIWZQJQCustomContextMenu* menu = Menu();
  if (menu && menu->GetGenerateAjaxResponse(nullptr))
    menu->AddJavaScriptToAjaxResponse(AScript, false, true);
}

void TIWZQJQContextMenuItem::SetVisible(bool AValue) {
  FVisible = AValue;
  if (TIWZQJQCustomContextMenu* menu = Menu())
    AddItemScript(Format("ZQCMSetItem(%s,%s,\"visible\",%s);", Lit(menu->GetListSelector()),
                         Lit(GetUniqueName()), JQBoolStr(AValue)));
}

void TIWZQJQContextMenuItem::SetDisabled(bool AValue) {
  FDisabled = AValue;
  if (TIWZQJQCustomContextMenu* menu = Menu())
    AddItemScript(Format("ZQCMSetItem(%s,%s,\"disabled\",%s);", Lit(menu->GetListSelector()),
                         Lit(GetUniqueName()), JQBoolStr(AValue)));
}

ISuperObject TIWZQJQContextMenuItem::GetJSon() {
  ISuperObject o = SO();
  TSuperTableString* t = o->AsObject();
  t->PutO("disabled", TSuperObject::Create(FDisabled));
  if (FType == jqcmitHTML) {
    if (!FCaption.empty()) t->PutO("html", TSuperObject::Create(std::string_view(FCaption)));
  } else if (!FCaption.empty()) {
    t->PutO("name", TSuperObject::Create(std::string_view(FCaption)));
    if (FCaptionIsHTML) t->PutO("isHtmlName", TSuperObject::Create(true));
  }
  std::string cls = FClassName;
  if (!FVisible) cls += " ui-helper-hidden";
  if (!cls.empty()) t->PutO("className", TSuperObject::Create(std::string_view(cls)));
  if (!FVisible) t->PutO("visible", TSuperObject::Create(false));
  if (!FIcon.empty()) t->PutO("icon", TSuperObject::Create(std::string_view(FIcon)));
  if (FType != jqcmitDefault)
    t->PutO("type", TSuperObject::Create(std::string_view(ZQContextMenuTypeText(FType))));
  if (!FAccessKey.empty()) t->PutO("accesskey", TSuperObject::Create(std::string_view(FAccessKey)));
  if (FOnCallback && FOnCallback->GetHasScript()) {
    const std::string script = FOnCallback->GetScript(true);
    if (!script.empty()) t->PutO("callback", TSuperObject::Create(script, true));
  }
  if (HasSubItems()) t->PutO("items", TSuperObject::Create(FSubItems->GetJSonText(), true));
  if (FType != jqcmitDefault && FTypeOptions) FTypeOptions->WriteJSon(o);
  return o;
}

void TIWZQJQContextMenuItem::ControlRemoved(TComponent* AControl) {
  if (auto* custom = dynamic_cast<TIWZQJQContextMenuItemTypeZQCustom*>(FTypeOptions.get()))
    if (custom->GetControl() == AControl) custom->SetControl(nullptr);
  if (FSubItems)
    for (int i = 0; i < FSubItems->Count(); ++i) FSubItems->Items(i)->ControlRemoved(AControl);
}

bool TIWZQJQContextMenuItem::ClaimPicture(TObject* APicture) {
  if (FCustomIcon && FCustomIcon->HasPicture() && FCustomIcon->GetPicture() == APicture) {
    AddItemScript(FCustomIcon->GetIconScript());
    return true;
  }
  if (FSubItems)
    for (int i = 0; i < FSubItems->Count(); ++i)
      if (FSubItems->Items(i)->ClaimPicture(APicture)) return true;
  return false;
}

IIWZQJSContainer* TIWZQJQContextMenuItem::GetZQJSContainer() {
  return Menu();
}
TComponent* TIWZQJQContextMenuItem::GetImplComponent() {
  return Menu();
}
std::string TIWZQJQContextMenuItem::GetHTMLName() {
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? m->GetHTMLName() : std::string();
}
std::string TIWZQJQContextMenuItem::GetIWCLName() {
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? m->GetIWCLName() : std::string();
}

// ---------------------------------------------------------------- items

TIWZQJQContextMenuItems::TIWZQJQContextMenuItems(TPersistent* AOwner, std::string APropName)
    : TCollection(TIWZQJQContextMenuItem::StaticClass(), AOwner), FPropName(std::move(APropName)) {}

TIWZQJQContextMenuItem* TIWZQJQContextMenuItems::OwnerItem() const {
  return dynamic_cast<TIWZQJQContextMenuItem*>(Owner());
}

TIWZQJQCustomContextMenu* TIWZQJQContextMenuItems::Menu() const {
  if (TIWZQJQContextMenuItem* item = OwnerItem()) return item->Menu();
  if (auto* o = dynamic_cast<TIWZQJQContextMenuOptions*>(Owner())) return o->Menu();
  return nullptr;
}

std::string TIWZQJQContextMenuItems::GetUniqueName() const {
  if (TIWZQJQContextMenuItem* item = OwnerItem()) return item->GetUniqueName();
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? m->GetHTMLName() : std::string();
}

std::string TIWZQJQContextMenuItems::GetJSonText() {
  const std::string dbg = Dbg();
  std::string out = "{" + dbg;
  for (int i = 0; i < Count(); ++i) {
    TIWZQJQContextMenuItem* item = Items(i);
    if (i > 0) out += "," + dbg;
    out += Lit(item->GetUniqueName());
    out += ':';
    out += item->GetSeparator() ? std::string("\"------\"")
                                : item->GetJSon()->AsJSon(false, true, true);
    out += dbg;
  }
  out += "}";
  return out;
}

IIWZQJSContainer* TIWZQJQContextMenuItems::GetZQJSContainer() {
  return Menu();
}
TComponent* TIWZQJQContextMenuItems::GetImplComponent() {
  return Menu();
}
std::string TIWZQJQContextMenuItems::GetHTMLName() {
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? m->GetHTMLName() : std::string();
}
std::string TIWZQJQContextMenuItems::GetIWCLName() {
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? m->GetIWCLName() : std::string();
}

// ---------------------------------------------------------------- options

TIWZQJQContextMenuOptions::TIWZQJQContextMenuOptions(TCollection* Collection)
    : TIWZQJSon(Collection) {}

TIWZQJQContextMenuOptions::~TIWZQJQContextMenuOptions() = default;

TIWZQJQContextMenuItems* TIWZQJQContextMenuOptions::GetItems() {
  if (!FItems) FItems = CreateOwned<TIWZQJQContextMenuItems>(this, "Items");
  return FItems.get();
}

bool TIWZQJQContextMenuOptions::HasItems() const {
  return FItems && FItems->Count() > 0;
}

TIWZQJQContextMenuSelectorList* TIWZQJQContextMenuOptions::GetSelectorList() {
  if (!FSelectorList) FSelectorList = CreateOwned<TIWZQJQContextMenuSelectorList>(Menu());
  return FSelectorList.get();
}

TZQSelectorStringList* TIWZQJQContextMenuOptions::GetSelectorStringList() {
  if (!FSelectorStringList) FSelectorStringList = std::make_unique<TZQSelectorStringList>();
  return FSelectorStringList.get();
}

TIWZQJQCustomContextMenu* TIWZQJQContextMenuOptions::Menu() {
  return dynamic_cast<TIWZQJQCustomContextMenu*>(GetImplComponent());
}

ISuperObject TIWZQJQContextMenuOptions::GetJSon() {
  ISuperObject o = TIWZQJSon::GetJSon();
  if (!o) o = SO();
  if (HasItems()) o->AsObject()->PutO("items", TSuperObject::Create(FItems->GetJSonText(), true));
  return o;
}

std::string TIWZQJQContextMenuOptions::GetFixedScript(TObject* AFunc, bool& AFlag) {
  AFlag = true;
  if (AFunc != GetOnCallback()) return {};
  TIWZQJQCustomContextMenu* m = Menu();
  return m ? Format("AddChangedControl(%s);", Lit(m->GetJQHTMLName())) : std::string();
}

// ---------------------------------------------------------------- files, values

std::string JQContextMenuJS() {
  return ZQMinFile("contextMenu/jquery.contextMenu.js", "contextMenu/jquery.contextMenu.min.js");
}
std::string ZQContextMenuUtilitiesJS() {
  return ZQMinFile("contextMenu/tavrin.contextMenu.utilities.js",
                   "contextMenu/tavrin.contextMenu.utilities.min.js");
}
std::string ZQContextMenuJS() {
  return ZQMinFile("contextMenu/tavrin.jquery.contextMenu.js",
                   "contextMenu/tavrin.jquery.contextMenu.min.js");
}

ISuperObject ZQContextMenuInputValues(TStringList* AParams) {
  ISuperObject o = AParams ? SO(AParams->Values("values")) : nullptr;
  return o && SOIsObject(o) ? o : SO();
}

// ---------------------------------------------------------------- component

TIWZQJQCustomContextMenu::TIWZQJQCustomContextMenu(TComponent* AOwner) : TIWZQJQComponent(AOwner) {}

TIWZQJQCustomContextMenu::~TIWZQJQCustomContextMenu() = default;

void TIWZQJQCustomContextMenu::BeforeDestruction() {
  // The free notifications are released by the component base; the
  // controls may already be gone (freed first by the same owner).
  FOptions.reset();
  FInternalControls.clear();
  FImages = nullptr;
  TIWZQJQComponent::BeforeDestruction();
}

TIWZQJQContextMenuOptions* TIWZQJQCustomContextMenu::GetJQContextMenuOptions() {
  if (!FOptions)
    FOptions.reset(
        TIWZQJSon::CreateSingle<TIWZQJQContextMenuOptions>(this, "JQContextMenuOptions"));
  return FOptions.get();
}

void TIWZQJQCustomContextMenu::SetJQContextMenuOptions(TIWZQJQContextMenuOptions* AValue) {
  GetJQContextMenuOptions()->Assign(AValue);
}

void TIWZQJQCustomContextMenu::SetImages(TImageList* AValue) {
  if (AValue == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = AValue;
  if (FImages) FImages->FreeNotification(this);
  if (FOptions && FOptions->HasItems()) {
    TIWZQJQContextMenuItems* items = FOptions->GetItems();
    for (int i = 0; i < items->Count(); ++i)
      if (AValue || items->Items(i)->GetCustomIcon()->HasPicture())
        items->Items(i)->GetCustomIcon()->GetPicture()->SetImages(AValue);
  }
}

std::string TIWZQJQCustomContextMenu::GetInternalClassName() {
  const std::string cls = GetJQContextMenuOptions()->GetClassName_();
  return cls.empty() ? GetJQHTMLName() : cls;
}

std::string TIWZQJQCustomContextMenu::GetListSelector() {
  return "." + GetInternalClassName() + ".context-menu-list";
}

std::string TIWZQJQCustomContextMenu::GetSelectors() {
  std::string out;
  auto add = [&](const std::string& s) {
    if (!out.empty()) out += ',';
    out += s;
  };
  TIWZQJQContextMenuOptions* o = GetJQContextMenuOptions();
  for (const std::string& s : o->GetSelectorStringList()->Items()) add(s);
  TIWZQJQContextMenuSelectorList* list = o->GetSelectorList();
  for (int i = 0; i < list->Count(); ++i) {
    TComponent* c = list->Items(i)->GetControl();
    if (!c) continue;
    const std::string name = ZQGetCtrlHTMLName(c);
    if (!name.empty()) add("#" + name);
  }
  return out;
}

int TIWZQJQCustomContextMenu::AddInternalControl(TComponent* AControl) {
  auto it = std::find(FInternalControls.begin(), FInternalControls.end(), AControl);
  if (it != FInternalControls.end()) return static_cast<int>(it - FInternalControls.begin()) + 1;
  FInternalControls.push_back(AControl);
  AControl->FreeNotification(this);
  return static_cast<int>(FInternalControls.size()) - 1;
}

void TIWZQJQCustomContextMenu::RemoveInternalControl(TComponent* AControl) {
  auto it = std::find(FInternalControls.begin(), FInternalControls.end(), AControl);
  if (it == FInternalControls.end()) return;
  FInternalControls.erase(it);
}

void TIWZQJQCustomContextMenu::WatchControl(TComponent* AControl) {
  if (AControl && AControl != this) AControl->FreeNotification(this);
}

void TIWZQJQCustomContextMenu::AddSelectorControl(TComponent* AControl) {
  GetJQContextMenuOptions()->GetSelectorList()->Add(AControl, false);
  if (AControl) AControl->FreeNotification(this);
}

void TIWZQJQCustomContextMenu::RemoveSelectorControl(TComponent* AControl) {
  GetJQContextMenuOptions()->GetSelectorList()->Remove(AControl);
}

void TIWZQJQCustomContextMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TIWZQJQComponent::Notification(AComponent, Operation);
  // Pointers are dropped also while the menu itself is being destroyed: its
  // owner may free the controls before it.
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    return;
  }
  if (!FOptions) {
    RemoveInternalControl(AComponent);
    return;
  }
  if (FOptions->HasItems()) {
    TIWZQJQContextMenuItems* items = FOptions->GetItems();
    for (int i = 0; i < items->Count(); ++i) items->Items(i)->ControlRemoved(AComponent);
  }
  FOptions->GetSelectorList()->RemoveAll(AComponent);
  RemoveInternalControl(AComponent);
}

void TIWZQJQCustomContextMenu::Loaded() {
  TIWZQJQComponent::Loaded();
}

// ---- scripts

std::string TIWZQJQCustomContextMenu::jsShowContextMenu(const std::string& ASelector, int X,
                                                        int Y) {
  if (ASelector.empty()) return {};
  ISuperObject pos = SO();
  pos->AsObject()->PutO("x", TSuperObject::Create(X));
  pos->AsObject()->PutO("y", TSuperObject::Create(Y));
  return Format("%s(%s).contextMenu(%s);", ZQJQuery, Lit(ASelector),
                pos->AsJSon(false, true, true));
}

std::string TIWZQJQCustomContextMenu::jsShowContextMenuOnCenter(const std::string& ASelector,
                                                                int AdjustLeft, int AdjustTop) {
  if (ASelector.empty()) return {};
  TIWZQJScript s;
  s.AddF("var $el = %s(%s),", ZQJQuery, Lit(ASelector));
  s.AddF("  $cmpopup = %s(%s);", ZQJQuery, Lit(GetListSelector()));
  // A menu that is not built yet measures 0: the point is the element's centre.
  s.Add("if ($el.length) {");
  s.Add("  var offset = $el.offset(),");
  s.Add("    mw = $cmpopup.length ? $cmpopup.outerWidth() : 0,");
  s.Add("    mh = $cmpopup.length ? $cmpopup.outerHeight() : 0,");
  s.Add("    json = {};");
  s.AddF("  json[\"x\"] = offset.left + ($el.outerWidth() / 2) - (mw / 2) + %d;", AdjustLeft);
  s.AddF("  json[\"y\"] = offset.top + ($el.outerHeight() / 2) - (mh / 2) + %d;", AdjustTop);
  s.Add("  $el.contextMenu(json);");
  s.Add("}");
  return s.GetJoined();
}

std::string TIWZQJQCustomContextMenu::jsHideContextMenu(const std::string& ASelector) {
  if (ASelector.empty()) return {};
  return Format("%s(%s).contextMenu(\"hide\");", ZQJQuery, Lit(ASelector));
}

std::string TIWZQJQCustomContextMenu::OptionsText(const ISuperObject& AJSon) {
  return AJSon->AsJSon(JSonIdent(), true, false);
}

std::string TIWZQJQCustomContextMenu::jsRebuildContextMenu() {
  if (GetJQContextMenuOptions()->GetBuildOnDemand())
    return Format("%s = ", OptsVar()) + Dbg() + OptionsText(GetJQContextMenuOptions()->GetJSon()) +
           ";" + Dbg();
  // Without build-on-demand the menu is made anew from the current options.
  std::string message;
  return GetPluginDestroyJs() + CreateScript(message);
}

void TIWZQJQCustomContextMenu::ShowContextMenu(const std::string& ASelector, int X, int Y) {
  const std::string js = jsShowContextMenu(ASelector, X, Y);
  if (!js.empty()) AddJavaScriptToResponse(js, true, true);
}

void TIWZQJQCustomContextMenu::ShowContextMenu(TComponent* AControl, int X, int Y) {
  if (!AControl) return;
  ShowContextMenu("#" + ZQGetCtrlHTMLName(AControl), X, Y);
}

void TIWZQJQCustomContextMenu::ShowContextMenuOnCenter(const std::string& ASelector, int AdjustLeft,
                                                       int AdjustTop) {
  const std::string js = jsShowContextMenuOnCenter(ASelector, AdjustLeft, AdjustTop);
  if (!js.empty()) AddJavaScriptToResponse(js, true, true);
}

void TIWZQJQCustomContextMenu::ShowContextMenuOnCenter(TComponent* AControl, int AdjustLeft,
                                                       int AdjustTop) {
  if (!AControl) return;
  ShowContextMenuOnCenter("#" + ZQGetCtrlHTMLName(AControl), AdjustLeft, AdjustTop);
}

void TIWZQJQCustomContextMenu::HideContextMenu(const std::string& ASelector) {
  const std::string js = jsHideContextMenu(ASelector);
  if (!js.empty()) AddJavaScriptToResponse(js, true, true);
}

void TIWZQJQCustomContextMenu::HideContextMenu(TComponent* AControl) {
  if (!AControl) return;
  HideContextMenu("#" + ZQGetCtrlHTMLName(AControl));
}

void TIWZQJQCustomContextMenu::HideMenu() {
  AddJavaScriptToResponse(
      Format("%s(%s).trigger(\"contextmenu:hide\");", ZQJQuery, Lit(GetListSelector())), true,
      true);
}

void TIWZQJQCustomContextMenu::RebuildContextMenu() {
  AddJavaScriptToResponse(jsRebuildContextMenu(), true, true);
}

void TIWZQJQCustomContextMenu::AjaxPictureChanged(TObject* Sender) {
  if (!FOptions || !FOptions->HasItems()) return;
  TIWZQJQContextMenuItems* items = FOptions->GetItems();
  for (int i = 0; i < items->Count(); ++i)
    if (items->Items(i)->ClaimPicture(Sender)) return;
}

// ---- render

void TIWZQJQCustomContextMenu::GetScriptLinks(TStringList& AList) {
  TIWZQJQComponent::GetScriptLinks(AList);
  AList.Add(JQContextMenuJS());
  AList.Add(ZQContextMenuUtilitiesJS());
  AList.Add(ZQContextMenuJS());
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomContextMenu::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWZQJQComponent::RenderHTML(AContext);
  ZQAddLinkFile(AContext, ZQJsUrlBase, "contextMenu/jquery.contextMenu.css", Designing());
  return tag;
}

std::string TIWZQJQCustomContextMenu::GetPluginDestroyJs() {
  std::string js = TIWZQJQComponent::GetPluginDestroyJs();
  const std::string selectors = GetSelectors();
  if (!selectors.empty())
    js += Format("if (%s.contextMenu) { %s.contextMenu(\"destroy\",%s); }", ZQJQuery, ZQJQuery,
                 Lit(selectors));
  return js;
}

ISuperObject TIWZQJQCustomContextMenu::GetCustomJSon() {
  TIWZQJQContextMenuOptions* o = GetJQContextMenuOptions();
  ISuperObject json;
  if (o->GetBuildOnDemand()) {
    json = SO();
    const std::string dbg = Dbg();
    json->AsObject()->PutO(
        "build", TSuperObject::Create("function($trigger, e) {" + dbg + "  return " + OptsVar() +
                                          ";" + dbg + "}" + dbg,
                                      true));
  } else {
    json = o->GetJSon();
  }
  json->AsObject()->PutO("className",
                         TSuperObject::Create(std::string_view(GetInternalClassName())));
  json->AsObject()->PutO("selector", TSuperObject::Create(std::string_view(GetSelectors())));
  return json;
}

std::string TIWZQJQCustomContextMenu::CreateScript(std::string& AMessage) {
  TIWZQJQContextMenuOptions* o = GetJQContextMenuOptions();
  if (!o->HasItems()) {
    AMessage = "The ContextMenu doesn't have items!";
    return {};
  }
  if (GetSelectors().empty()) {
    AMessage = "The ContextMenu doesn't have selectors!";
    return {};
  }
  return Format("%s.contextMenu(", ZQJQuery) + Dbg() + OptionsText(GetCustomJSon()) + ");" + Dbg() +
         (ZQJavascriptDebug() ? JQIdent(1) : std::string());
}

std::string TIWZQJQCustomContextMenu::GetRenderScript() {
  std::string js = TIWZQJQComponent::GetRenderScript();
  if (Designing()) return js;
  TIWZQJQContextMenuOptions* o = GetJQContextMenuOptions();
  // 1. selectors of the parts of internal controls (each kept once)
  for (TComponent* c : FInternalControls)
    if (auto* grid = dynamic_cast<IIWZQJQContextMenuGridIntf*>(c)) {
      std::vector<std::string> selectors;
      grid->GetContextMenuSelectors(selectors);
      for (const std::string& s : selectors) o->GetSelectorStringList()->AddSelector(s);
    }
  const std::string dbg = Dbg();
  const bool onDemand = o->GetBuildOnDemand();
  // 2.
  if (onDemand) js += Format("var %s = {};", OptsVar()) + dbg;
  // 3.
  js += ZQJQuery + "(function(){" + dbg + GetPluginDestroyJs();
  // 4.
  if (onDemand) js += jsRebuildContextMenu();
  // 5.
  std::string message;
  js += CreateScript(message);
  // 6.
  if (ZQJavascriptDebug() && !message.empty()) js += ZQLogMessage(message, zqlmtWarning);
  // 7.
  js += Format("%s(%s).addClass(\"ui-widget\");", ZQJQuery, Lit(GetListSelector())) + dbg;
  // 8.
  if (o->HasItems()) {
    TIWZQJQContextMenuItems* items = o->GetItems();
    for (int i = 0; i < items->Count(); ++i) {
      TIWZQJQContextMenuItem* item = items->Items(i);
      if (!item->GetIcon().empty()) continue;
      const std::string icon = item->GetCustomIcon()->GetIconScript();
      if (!icon.empty()) js += icon + dbg;
    }
  }
  // 9.
  js += "});" + dbg;
  return js;
}

}  // namespace zq
