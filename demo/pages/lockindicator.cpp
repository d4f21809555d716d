// Lock indicator: the page is blocked with a message and an animated image
// while a slow callback runs; a second item blocks only one panel, an event
// function picks a third item by its indicator index, and two buttons lock
// and unlock the panel from server code.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "components/lockindicator/lockindicator.h"
#include "demoform.h"
#include "events/func.h"
#include "events/jqevents.h"
#include "foundation/html.h"
#include "framework/jqcontainer.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;

// A box with a line of text; clicking it runs its click event function.
class TLockDemoBox : public TIWZQJQContainer {
  ZQ_CLASS(TLockDemoBox, TIWZQJQContainer)
 public:
  using TIWZQJQContainer::TIWZQJQContainer;
  std::string Text;
  std::unique_ptr<TIWHTMLTag> GetHtmlTag(TIWCompContext&) override {
    auto tag = std::make_unique<TIWHTMLTag>("span");
    tag->AddText(Text);
    return tag;
  }
};

ZQ_IMPLEMENT_CLASS(TLockDemoBox) {}

void Slow() {
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

class TLockIndicatorPage : public TDemoPage {
 public:
  std::string NavLabel() const override { return "Lock indicator"; }
  int Build(TDemoForm& AForm, int ATop) override {
    form_ = &AForm;
    DemoLabel(AForm, "LblLockTitle", "Lock indicator", 16, ATop, 300);
    const int top = ATop + 32;

    lock_ = Create<TIWZQJQLockIndicator>(&AForm);
    // Item 0: the whole page, message and image, for the host's ajax clicks.
    TIWZQJQLockIndicatorItem* page = lock_->GetIndicators()->Add();
    page->GetImageSetting()->SetTheme(TIWZQJQLockIndicatorImgColor::jqlisBlue);
    page->GetImageSetting()->SetImage(3);
    page->SetCss("{\"padding\":\"12px\",\"border\":\"1px solid #8a8a8a\",\"width\":\"260px\"}");
    page->SetOverlayCSS("{\"backgroundColor\":\"#000\",\"opacity\":0.3,\"cursor\":\"wait\"}");
    lock_->SetAsyncIndicatorIndex(0);

    DemoButton(AForm, "BtnLockSlow", "Slow callback (1 s)", 16, top, 170, [this] {
      Slow();
      result_->SetCaption("Slow callback done");
    });

    // Item 1: only the panel, picked by the panel's click event.
    panel_ = Box("LockPanel", "Click this panel: only the panel is blocked", 16, top + 40, 360, 70);
    TIWZQJQLockIndicatorItem* inPanel = lock_->GetIndicators()->Add();
    inPanel->SetControl(panel_);
    inPanel->GetMessageSettings()->SetMessage("Panel busy...");
    inPanel->GetImageSetting()->SetTheme(TIWZQJQLockIndicatorImgColor::jqlisGreen);
    inPanel->GetImageSetting()->SetImage(10);
    inPanel->SetCss("{\"border\":\"none\",\"backgroundColor\":\"transparent\"}");
    Pick(panel_, 1, "Panel callback done");

    // Item 2: a whole-page block of its own, picked by index 2.
    TIWZQJQLockIndicatorItem* saving = lock_->GetIndicators()->Add();
    saving->GetMessageSettings()->SetMessage("Saving <item 2>...");
    saving->GetImageSetting()->SetTheme(TIWZQJQLockIndicatorImgColor::jqlisRed);
    saving->GetImageSetting()->SetImage(1);
    saving->GetImageSetting()->SetAlignment(TIWZQJQLockIndicatorImgAlign::jqliiaTop);
    auto* save = Box("LockSaveBox", "Click to save (indicator index 2)", 392, top + 40, 260, 70);
    Pick(save, 2, "Saved");

    // Lock / Unlock from the server: the panel item's scripts in the response.
    DemoButton(AForm, "BtnLockPanel", "Lock the panel", 16, top + 124, 140,
               [inPanel] { inPanel->Lock(); });
    DemoButton(AForm, "BtnUnlockPanel", "Unlock the panel", 164, top + 124, 140,
               [inPanel] { inPanel->Unlock(); });

    result_ = DemoLabel(AForm, "LblLockResult", "Nothing run yet", 16, top + 164, 400);
    return top + 196 - ATop;
  }

 private:
  TLockDemoBox* Box(const char* AName, const char* AText, int ALeft, int ATop, int AWidth,
                    int AHeight) {
    auto* p = Create<TLockDemoBox>(form_);
    p->SetName(AName);
    p->SetParent(form_);
    p->Text = AText;
    p->GetStyle()->SetDeclaration("border", "1px solid #8a8a8a");
    p->GetStyle()->SetDeclaration("background-color", "#eef3f8");
    p->GetStyle()->SetDeclaration("padding", "6px");
    p->GetStyle()->SetDeclaration("cursor", "pointer");
    p->SetBounds(ALeft, ATop, AWidth, AHeight);
    return p;
  }
  // The box's click event runs a slow callback under item AIndex.
  void Pick(TLockDemoBox* ABox, int AIndex, const char* ADone) {
    TIWZQFunc* click = ABox->GetJQEvents()->Event(TIWZQJQEvents::kOnClick);
    click->SetOnEvent(TIWZQEvent(ABox, [this, ADone](TObject*, TStringList*) {
      Slow();
      result_->SetCaption(ADone);
    }));
    click->SetIndicator(lock_);
    click->SetIndicatorIndex(AIndex);
  }

  TDemoForm* form_ = nullptr;
  TIWZQJQLockIndicator* lock_ = nullptr;
  TLockDemoBox* panel_ = nullptr;
  TIWLabel* result_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TLockIndicatorPage, "lockindicator", 80);

}  // namespace zqdemo
