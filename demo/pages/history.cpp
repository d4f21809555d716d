// Browser history: buttons set the URL fragment from the server; every
// fragment change (the buttons, back, forward, a typed fragment) reaches the
// server's OnHashChange handler, which shows the fragment and the list of
// fragments it has received.
#include <string>

#include "components/history/history.h"
#include "demoform.h"
#include "foundation/stringlist.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;

class THistoryPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    auto* title = Create<TIWLabel>(&AForm);
    title->SetName("LblHistoryTitle");
    title->SetParent(&AForm);
    title->SetCaption("Browser history");
    title->SetBounds(16, ATop, 300, 24);

    history_ = Create<TIWZQJQAjaxBrowserHistory>(&AForm);
    history_->SetName("DemoHistory");
    history_->GetOnHashChange()->SetOnEvent(TIWZQEvent(
        this, [this](TObject*, TStringList* params) { HashChanged(params->Values("Hash")); }));

    int left = 16;
    for (const char* page : {"page1", "page2", "page3"}) {
      auto* b = Create<TIWButton>(&AForm);
      b->SetName(std::string("BtnHistory_") + page);
      b->SetParent(&AForm);
      b->SetCaption(std::string("Go to ") + page);
      b->SetBounds(left, ATop + 30, 110, 28);
      std::string hash = page;
      b->OnAsyncClick = TNotifyEvent(b, [this, hash](TObject*) { history_->AddHash(hash); });
      left += 118;
    }

    current_ = Create<TIWLabel>(&AForm);
    current_->SetName("LblHistoryHash");
    current_->SetParent(&AForm);
    current_->SetCaption("No hash change yet");
    current_->SetBounds(16, ATop + 66, 400, 24);

    log_ = Create<TIWLabel>(&AForm);
    log_->SetName("LblHistoryLog");
    log_->SetParent(&AForm);
    log_->SetBounds(16, ATop + 94, 600, 24);
    return 124;
  }

 private:
  void HashChanged(const std::string& hash) {
    current_->SetCaption("Hash: " + hash);
    received_ += (received_.empty() ? "" : " ") + (hash.empty() ? std::string("(empty)") : hash);
    log_->SetCaption(received_);
  }

  TIWZQJQAjaxBrowserHistory* history_ = nullptr;
  TIWLabel* current_ = nullptr;
  TIWLabel* log_ = nullptr;
  std::string received_;
};

}  // namespace

ZQDEMO_PAGE(THistoryPage, "history", 30);

}  // namespace zqdemo
