// Interactions: jQuery UI interactions and effects on jQuery containers.
// - a draggable panel whose position is saved back (the server shows its
//   Left/Top after each drop of the panel);
// - a resizable panel whose size is saved back (Width/Height);
// - a droppable target with a server handler, and a chip to drop on it;
// - a sortable list whose new order reaches the server, and a button that
//   changes a sortable option during a callback;
// - a badge placed relative to the drop target (position utility);
// - one button per effect, run on a panel during a callback.
#include <string>

#include "demoform.h"
#include "events/browserparams.h"
#include "events/func.h"
#include "foundation/format.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/jqcontainer.h"
#include "framework/links.h"
#include "host/application.h"

namespace zqdemo {

using namespace zq;

// A panel with a caption inside.
class TDemoPanel : public TIWZQJQContainer {
  ZQ_CLASS(TDemoPanel, TIWZQJQContainer)
 public:
  using TIWZQJQContainer::TIWZQJQContainer;
  std::string Text;
  // The bodies of the client object's OnZQBeforeResize, OnZQResize(ARect) and
  // OnZQAfterResize.
  std::string BeforeResizeScript, ResizeScript, AfterResizeScript;
  std::string GetBeforeResizeScript() override { return BeforeResizeScript; }
  std::string GetResizeScript() override { return ResizeScript; }
  std::string GetAfterResizeScript() override { return AfterResizeScript; }
  std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext& AContext) override {
    // The jQuery UI theme (resize handles, hover states), linked once.
    AddLinkFile(AContext, ZQThemeUrlBase,
                ZQMinFile("base/jquery-ui.css", "base/jquery-ui.min.css"));
    auto tag = std::make_unique<TIWHTMLTag>("span");
    tag->AddText(Text);
    return tag;
  }
};
ZQ_IMPLEMENT_CLASS(TDemoPanel) {}

// A sortable list of four items (li elements with ids ITEM1..ITEM4).
class TDemoSortList : public TIWZQJQSortableContainer {
  ZQ_CLASS(TDemoSortList, TIWZQJQSortableContainer)
 public:
  using TIWZQJQSortableContainer::TIWZQJQSortableContainer;
  std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext&) override {
    auto ul = std::make_unique<TIWHTMLTag>("ul");
    ul->AddStringParam("class", "zq-demo-sortlist");
    for (int i = 1; i <= 4; ++i) {
      TIWHTMLTag* li = ul->AddTag("li");
      li->AddStringParam("id", Format("ITEM%d", i));
      li->AddStringParam("class", "ui-state-default");
      li->AddText(Format("Item %d", i));
    }
    return ul;
  }
};
ZQ_IMPLEMENT_CLASS(TDemoSortList) {}

namespace {

class TInteractionsPage : public TDemoPage {
 public:
  // Dragging, dropping and placement work on the pixel layout.
  bool KeepsPositions() const override { return true; }
  int Build(TDemoForm& AForm, int ATop) override {
    form_ = &AForm;
    Label("LblInteractionsTitle", "Interactions", 16, ATop, 300);
    const int top = ATop + 32;

    // Draggable: the position comes back through DRAGPANEL_POS on the stop
    // event's callback.
    drag_ = Panel("DragPanel", "Drag me", 16, top, 140, 60);
    drag_->GetJQDragOptions()->SetDisabled(false);
    drag_->GetJQDragOptions()->GetOnStop()->SetOnEvent(
        TIWZQEvent(this, [this](TObject*, TStringList*) {
          dragPos_->SetCaption(Format("%d,%d", drag_->Left, drag_->Top));
        }));
    dragPos_ = Label("LblDragPos", "not moved", 16, top + 190, 200);

    // Resizable from its handles; the size comes back through RESIZEPANEL_SIZE.
    resize_ = Panel("ResizePanel", "Resize me", 200, top, 140, 80);
    resize_->GetJQResizeOptions()->SetDisabled(false);
    // The client helper calls the three hooks in turn, handing the middle one
    // the element's rectangle; the page keeps their order in ZQDemoHooks.
    resize_->BeforeResizeScript = "(window.ZQDemoHooks = window.ZQDemoHooks || []).push('before');";
    resize_->ResizeScript =
        "window.ZQDemoRect = ARect; (window.ZQDemoHooks = window.ZQDemoHooks || "
        "[]).push('resize');";
    resize_->AfterResizeScript = "(window.ZQDemoHooks = window.ZQDemoHooks || []).push('after');";
    resize_->GetJQResizeOptions()->GetOnStop()->SetOnEvent(
        TIWZQEvent(this, [this](TObject*, TStringList*) {
          resizeSize_->SetCaption(Format("%d,%d", resize_->Width, resize_->Height));
        }));
    resizeSize_ = Label("LblResizeSize", "not resized", 200, top + 190, 200);

    // Droppable target with a server handler, and a chip to drop on it.
    drop_ = Panel("DropTarget", "Drop here", 400, top, 160, 100);
    drop_->GetJQDropOptions()->SetDisabled(false);
    drop_->GetJQDropOptions()->GetOnDrop()->SetOnEvent(
        TIWZQEvent(this, [this](TObject*, TStringList*) {
          ++drops_;
          dropLabel_->SetCaption(Format("dropped %d", drops_));
        }));
    dropLabel_ = Label("LblDrop", "nothing dropped", 400, top + 190, 200);
    auto* chip = Panel("DropChip", "Chip", 400, top + 140, 70, 30);
    chip->GetJQDragOptions()->SetDisabled(false);

    // Placement relative to the drop target: the badge's left centre at the
    // target's right centre.
    auto* badge = Panel("PosBadge", "Placed", 0, 0, 70, 24);
    badge->GetJQPositionOptions()->SetOf_("#DROPTARGET");
    badge->GetJQPositionOptions()->SetMy(jqpoLeftCenter);
    badge->GetJQPositionOptions()->SetAt(jqpoRightCenter);

    // Sortable list; the order is sent with the update event.
    sort_ = Create<TDemoSortList>(form_);
    sort_->SetName("SortList");
    sort_->SetParent(form_);
    sort_->SetBounds(620, top, 140, 160);
    TIWZQJQSortableOptions* so = sort_->GetJQSortableOptions();
    so->SetDisabled(false);
    so->SetItems("li");
    TIWZQJSonFunc* update = so->GetOnUpdate();
    update->GetBrowserParams()->AddParam(
        "order", "$('#SORTLIST li').map(function(){return this.id;}).get().join(',')");
    update->SetOnEvent(TIWZQEvent(this, [this](TObject*, TStringList* AParams) {
      sortOrder_->SetCaption(AParams ? AParams->Values("order") : std::string());
    }));
    sortOrder_ = Label("LblSortOrder", "ITEM1,ITEM2,ITEM3,ITEM4", 620, top + 190, 260);
    Button("BtnSortDelay", "Sort delay 150", 780, top, 130,
           [this] { sort_->GetJQSortableOptions()->SetDelay(150); });

    // Effects on a panel, one button each.
    const int fxTop = top + 226;
    fx_ = Panel("FxPanel", "Effects", 16, fxTop, 160, 60);
    struct Fx {
      const char* name;
      const char* caption;
      TIWZQJQEffect effect;
    };
    const Fx effects[] = {{"BtnFxHighlight", "Highlight", jqeHighlight},
                          {"BtnFxBounce", "Bounce", jqeBounce},
                          {"BtnFxShake", "Shake", jqeShake},
                          {"BtnFxBlind", "Blind", jqeBlind},
                          {"BtnFxFade", "Fade", jqeFade},
                          {"BtnFxExplode", "Explode", jqeExplode}};
    int left = 200;
    for (const Fx& f : effects) {
      const TIWZQJQEffect effect = f.effect;
      Button(f.name, f.caption, left, fxTop, 90, [this, effect] {
        TIWZQJQEffects* e = fx_->GetJQEffects();
        e->SetEffect(effect);
        e->SetSpeed(effect == jqeHighlight ? 1500 : 400);
        fx_->RunEffect();
      });
      left += 98;
    }
    Button("BtnFxShow", "Show again", 200, fxTop + 36, 110, [this] {
      fx_->AddJavaScriptToResponse(
          fx_->GetIDJQuery() + ".stop(true,true).removeAttr(\"style\").show();", true, true);
      fx_->Invalidate();  // the host's style back with the next refresh
    });
    return fxTop + 80 - ATop;
  }

 private:
  TIWLabel* Label(const char* AName, const std::string& ACaption, int ALeft, int ATop, int AWidth) {
    auto* l = Create<TIWLabel>(form_);
    l->SetName(AName);
    l->SetParent(form_);
    l->SetCaption(ACaption);
    l->SetBounds(ALeft, ATop, AWidth, 24);
    return l;
  }
  TDemoPanel* Panel(const char* AName, const char* AText, int ALeft, int ATop, int AWidth,
                    int AHeight) {
    auto* p = Create<TDemoPanel>(form_);
    p->SetName(AName);
    p->SetParent(form_);
    p->Text = AText;
    p->SetCss("ui-widget-content zq-demo-panel");
    p->GetStyle()->SetDeclaration("border", "1px solid #8a8a8a");
    p->GetStyle()->SetDeclaration("background-color", "#eef3f8");
    p->GetStyle()->SetDeclaration("padding", "4px");
    p->SetBounds(ALeft, ATop, AWidth, AHeight);
    return p;
  }
  template <class F>
  void Button(const char* AName, const char* ACaption, int ALeft, int ATop, int AWidth,
              F AOnClick) {
    auto* b = Create<TIWButton>(form_);
    b->SetName(AName);
    b->SetParent(form_);
    b->SetCaption(ACaption);
    b->SetBounds(ALeft, ATop, AWidth, 28);
    b->OnAsyncClick = TNotifyEvent(b, [AOnClick](TObject*) { AOnClick(); });
  }

  TDemoForm* form_ = nullptr;
  TDemoPanel* drag_ = nullptr;
  TDemoPanel* resize_ = nullptr;
  TDemoPanel* drop_ = nullptr;
  TDemoPanel* fx_ = nullptr;
  TDemoSortList* sort_ = nullptr;
  TIWLabel* dragPos_ = nullptr;
  TIWLabel* resizeSize_ = nullptr;
  TIWLabel* dropLabel_ = nullptr;
  TIWLabel* sortOrder_ = nullptr;
  int drops_ = 0;
};

}  // namespace

ZQDEMO_PAGE(TInteractionsPage, "interactions", 40);

}  // namespace zqdemo
