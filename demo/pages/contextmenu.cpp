// Context menu: a right-click menu on a panel with icons, a sub-menu, a
// separator, a check box, a radio group, a select whose option text holds
// quotes and a text input, whose values reach the server with the chosen
// item's key; items that hide and show another item during their callback;
// buttons that open the menu at a point and hide it from the server; and a
// second menu that two panels chose.
#include <string>

#include "components/contextmenu/contextmenu.h"
#include "demoform.h"
#include "events/func.h"
#include "foundation/stringlist.h"
#include "framework/scriptcontainer.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;

class TContextMenuPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    auto* title = Create<TIWLabel>(&AForm);
    title->SetName("LblContextMenuTitle");
    title->SetParent(&AForm);
    title->SetCaption("Context menu");
    title->SetBounds(16, ATop, 300, 24);

    panel_ = Panel(AForm, "PnlContextMenu", "Right-click here", 16, ATop + 30);
    menu_ = Create<TIWZQJQContextMenu>(&AForm);
    menu_->SetName("DemoContextMenu");
    TIWZQJQContextMenuItems* items = menu_->GetJQContextMenuOptions()->GetItems();

    TIWZQJQContextMenuItem* open = Item(items, "Open", "edit");  // 0, with a sub-menu
    Command(Item(open->GetSubItems(), "In a tab", ""));
    Command(Item(open->GetSubItems(), "In a window", ""));
    Command(Item(items, "Copy", "copy"));  // 1
    items->Add()->SetSeparator(true);      // 2
    TIWZQJQContextMenuItem* bold = Item(items, "Bold", "");
    bold->SetType_(jqcmitCheckbox);
    bold->TypeCheckboxOptions()->SetSelected(true);
    for (const char* size : {"Small", "Large"}) {
      TIWZQJQContextMenuItem* r = Item(items, size, "");
      r->SetType_(jqcmitRadio);
      r->TypeRadioOptions()->SetGroupName("size");
      r->TypeRadioOptions()->SetValue(Variant(std::string(size) == "Small" ? "small" : "large"));
      r->TypeRadioOptions()->SetSelected(std::string(size) == "Small");
    }
    TIWZQJQContextMenuItem* colour = Item(items, "Colour", "");
    colour->SetType_(jqcmitSelect);
    colour->TypeSelectOptions()->GetOptions()->Add("red", "Red");
    colour->TypeSelectOptions()->GetOptions()->Add("night blue", "Dark \"night\" blue");
    colour->TypeSelectOptions()->SetSelectedIndex(0);
    TIWZQJQContextMenuItem* name = Item(items, "Name", "");
    name->SetType_(jqcmitText);
    name->TypeTextOptions()->SetValue(Variant("Ann"));
    Command(Item(items, "Send values", "paste"));
    copy_ = items->Items(1);
    Item(items, "Hide Copy", "delete")
        ->GetOnCallback()
        ->SetOnEvent(TIWZQEvent(menu_, [this](TObject*, TStringList* p) {
          copy_->SetVisible(false);
          Report(p);
        }));
    Item(items, "Show Copy", "add")
        ->GetOnCallback()
        ->SetOnEvent(TIWZQEvent(menu_, [this](TObject*, TStringList* p) {
          copy_->SetVisible(true);
          Report(p);
        }));
    panel_->SetContextMenu(menu_);

    auto button = [&](const char* bname, const char* caption, int left,
                      std::function<void()> action) {
      auto* b = Create<TIWButton>(&AForm);
      b->SetName(bname);
      b->SetParent(&AForm);
      b->SetCaption(caption);
      b->SetBounds(left, ATop + 160, 150, 28);
      b->OnAsyncClick = TNotifyEvent(b, [action](TObject*) { action(); });
    };
    button("BtnCMShowAt", "Open at 400, 300", 16,
           [this] { menu_->ShowContextMenu(panel_, 400, 300); });
    button("BtnCMHide", "Hide the menu", 176, [this] { menu_->HideContextMenu(panel_); });

    result_ = Create<TIWLabel>(&AForm);
    result_->SetName("LblCMResult");
    result_->SetParent(&AForm);
    result_->SetCaption("No item chosen yet");
    result_->SetBounds(16, ATop + 196, 900, 24);

    // A second menu, opened on two panels that chose it.
    shared_ = Create<TIWZQJQContextMenu>(&AForm);
    shared_->SetName("SharedContextMenu");
    Command(Item(shared_->GetJQContextMenuOptions()->GetItems(), "Shared item", "cut"));
    Panel(AForm, "PnlShared1", "Shared menu A", 340, ATop + 30)->SetContextMenu(shared_);
    Panel(AForm, "PnlShared2", "Shared menu B", 500, ATop + 30)->SetContextMenu(shared_);
    return 230;
  }

 private:
  TIWZQJSContainer* Panel(TDemoForm& AForm, const char* AName, const char* AText, int ALeft,
                          int ATop) {
    auto* p = Create<TIWZQJSContainer>(&AForm);
    p->SetName(AName);
    p->SetParent(&AForm);
    p->SetBounds(ALeft, ATop, 150, 120);
    auto* l = Create<TIWLabel>(&AForm);
    l->SetName(std::string("Lbl") + AName);
    l->SetParent(p);
    l->SetCaption(AText);
    l->SetBounds(8, 8, 130, 24);
    return p;
  }
  static TIWZQJQContextMenuItem* Item(TIWZQJQContextMenuItems* AItems, const char* ACaption,
                                      const char* AIcon) {
    TIWZQJQContextMenuItem* item = AItems->Add();
    item->SetCaption(ACaption);
    item->SetIcon(AIcon);
    return item;
  }
  void Command(TIWZQJQContextMenuItem* AItem) {
    AItem->GetOnCallback()->SetOnEvent(
        TIWZQEvent(menu_, [this](TObject*, TStringList* p) { Report(p); }));
  }
  // "key=<key> values=<JSON>" of the callback.
  void Report(TStringList* AParams) {
    result_->SetCaption("key=" + AParams->Values("key") +
                        " values=" + ZQContextMenuInputValues(AParams)->AsJSon());
  }

  TIWZQJQContextMenu* menu_ = nullptr;
  TIWZQJQContextMenu* shared_ = nullptr;
  TIWZQJSContainer* panel_ = nullptr;
  TIWZQJQContextMenuItem* copy_ = nullptr;
  TIWLabel* result_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TContextMenuPage, "contextmenu", 70);

}  // namespace zqdemo
