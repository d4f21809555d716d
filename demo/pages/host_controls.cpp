// Host controls: a button whose ajax click changes a label through response
// script, and an edit whose value reaches the server on a full submit and is
// shown back on the page.
#include <string>

#include "demoform.h"
#include "foundation/format.h"
#include "host/application.h"
#include "host/callback.h"
#include "host/http.h"

namespace zqdemo {

namespace {

using namespace zq;

class THostControlsPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    auto* title = Create<TIWLabel>(&AForm);
    title->SetName("LblHostTitle");
    title->SetParent(&AForm);
    title->SetCaption("Host controls");
    title->SetBounds(16, ATop, 300, 24);

    clickButton_ = Create<TIWButton>(&AForm);
    clickButton_->SetName("BtnAjax");
    clickButton_->SetParent(&AForm);
    clickButton_->SetCaption("Click me (ajax)");
    clickButton_->SetBounds(16, ATop + 32, 160, 28);
    clickButton_->OnAsyncClick = TNotifyEvent(this, [this](TObject*) { AjaxClick(); });

    clickLabel_ = Create<TIWLabel>(&AForm);
    clickLabel_->SetName("LblClicks");
    clickLabel_->SetParent(&AForm);
    clickLabel_->SetCaption("Not clicked yet");
    clickLabel_->SetBounds(192, ATop + 36, 300, 24);

    edit_ = Create<TIWEdit>(&AForm);
    edit_->SetName("EditName");
    edit_->SetParent(&AForm);
    edit_->Hint = "Type something and submit";
    edit_->SetBounds(16, ATop + 72, 160, 24);

    auto* submit = Create<TIWButton>(&AForm);
    submit->SetName("BtnSubmit");
    submit->SetParent(&AForm);
    submit->SetCaption("Submit");
    submit->SetBounds(192, ATop + 70, 100, 28);
    submit->OnClick = TNotifyEvent(this, [this](TObject*) { Submitted(); });

    echoLabel_ = Create<TIWLabel>(&AForm);
    echoLabel_->SetName("LblEcho");
    echoLabel_->SetParent(&AForm);
    echoLabel_->SetCaption("Nothing submitted yet");
    echoLabel_->SetBounds(16, ATop + 108, 400, 24);
    return 140;
  }

 private:
  // In a callback: the label changes in the browser through response script;
  // its caption is kept for the next full render of the page.
  void AjaxClick() {
    ++clicks_;
    std::string text = Format("Clicked %d time%s", clicks_, clicks_ == 1 ? "" : "s");
    clickLabel_->SetCaption(text);
    clickLabel_->SetDoRefreshControl(false);  // sent as script below, not as new HTML
    if (TIWApplication* app = clickLabel_->WebApplication()) {
      app->CallBackResponse().AddJavaScriptToExecute(
          Format("document.getElementById(%s).textContent = %s;", JSString(clickLabel_->HTMLName()),
                 JSString(text)));
    }
  }

  // In a full submit: the edit's value has been handed to it already.
  void Submitted() { echoLabel_->SetCaption("You sent: " + edit_->GetText()); }

  int clicks_ = 0;
  TIWButton* clickButton_ = nullptr;
  TIWLabel* clickLabel_ = nullptr;
  TIWLabel* echoLabel_ = nullptr;
  TIWEdit* edit_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(THostControlsPage, "host_controls", 10);

}  // namespace zqdemo
