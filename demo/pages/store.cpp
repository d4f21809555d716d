// Client store: a key and a value typed in the page are saved in the
// browser's store (store.js) by an ajax click; "Read back" asks the browser
// to send the stored value to the server, which shows the JSON text it
// received.
#include <string>

#include "components/store/store.h"
#include "demoform.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;

class TStorePage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    auto* title = Create<TIWLabel>(&AForm);
    title->SetName("LblStoreTitle");
    title->SetParent(&AForm);
    title->SetCaption("Client store");
    title->SetBounds(16, ATop, 300, 24);

    store_ = Create<TIWZQJQStore>(&AForm);
    store_->SetName("DemoStore");
    store_->OnGetPropValue =
        TIWZQJQStoreOnGetPropValue(this, [this](TObject*, const std::string& v) { Received(v); });

    key_ = Create<TIWEdit>(&AForm);
    key_->SetName("EditStoreKey");
    key_->SetParent(&AForm);
    key_->Hint = "Key";
    key_->SetText("greeting");
    key_->SetBounds(16, ATop + 32, 120, 24);

    value_ = Create<TIWEdit>(&AForm);
    value_->SetName("EditStoreValue");
    value_->SetParent(&AForm);
    value_->Hint = "Value";
    value_->SetBounds(144, ATop + 32, 220, 24);

    auto* save = Create<TIWButton>(&AForm);
    save->SetName("BtnStoreSave");
    save->SetParent(&AForm);
    save->SetCaption("Save");
    save->SetBounds(372, ATop + 30, 80, 28);
    save->OnAsyncClick = TNotifyEvent(this, [this](TObject*) {
      store_->Store(key_->GetText(), value_->GetText());
      result_->SetCaption("Saved");
    });

    auto* read = Create<TIWButton>(&AForm);
    read->SetName("BtnStoreRead");
    read->SetParent(&AForm);
    read->SetCaption("Read back");
    read->SetBounds(460, ATop + 30, 100, 28);
    read->OnAsyncClick =
        TNotifyEvent(this, [this](TObject*) { store_->SendPropValue(key_->GetText()); });

    auto* remove = Create<TIWButton>(&AForm);
    remove->SetName("BtnStoreRemove");
    remove->SetParent(&AForm);
    remove->SetCaption("Remove");
    remove->SetBounds(568, ATop + 30, 80, 28);
    remove->OnAsyncClick = TNotifyEvent(this, [this](TObject*) {
      store_->RemoveProp(key_->GetText());
      result_->SetCaption("Removed");
    });

    result_ = Create<TIWLabel>(&AForm);
    result_->SetName("LblStoreResult");
    result_->SetParent(&AForm);
    result_->SetCaption("Nothing read yet");
    result_->SetBounds(16, ATop + 66, 600, 24);
    return 96;
  }

 private:
  void Received(const std::string& json) {
    result_->SetCaption(json.empty() ? "(no value)" : json);
  }

  TIWZQJQStore* store_ = nullptr;
  TIWEdit* key_ = nullptr;
  TIWEdit* value_ = nullptr;
  TIWLabel* result_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TStorePage, "store", 20);

}  // namespace zqdemo
