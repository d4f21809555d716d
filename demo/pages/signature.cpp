// Signature: a pad with clear, undo, disable, "save on server" (the saved PNG
// is shown back in an image control, from the file the server wrote) and
// "copy to image" (what the pad shows, copied into a second image).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "components/image/image.h"
#include "components/signature/signature.h"
#include "demoform.h"
#include "events/browserparams.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;
namespace fs = std::filesystem;

fs::path SignatureFolder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("zq_demo_signatures_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

class TSignaturePage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    DemoLabel(AForm, "LblSignatureTitle", "Signature", 16, ATop, 300);

    pad_ = Create<TIWZQJQSignature>(&AForm);
    pad_->SetName("SignPad");
    pad_->SetParent(&AForm);
    pad_->SetBounds(16, ATop + 30, 400, 150);
    pad_->GetJQSignatureOptions()->SetUseNativeUndoButton(true);
    // The save post is no callback: OnFileSaved only notes the file, and the
    // success handler, run by the browser once the reply is in, calls back to
    // the server, which shows the file it wrote.
    TIWZQSignatureFunc* success = pad_->GetOnSaveSuccess();
    success->SetScript("function(data,textStatus,jqXHR){}");
    success->GetBrowserParams()->AddParam("replied", "data && data.success === true");
    success->SetOnEvent(TIWZQEvent(pad_, [this](TObject*, TStringList* AParams) {
      if (savedFile_.empty() || !AParams || AParams->Values("replied") != "true") {
        status_->SetCaption("save failed");
        return;
      }
      std::ifstream in(savedFile_, std::ios::binary);
      std::string bytes((std::istreambuf_iterator<char>(in)), {});
      savedFile_.clear();
      saved_->SetImageSource("data:image/png;base64," + ZQBase64Encode(bytes));
      status_->SetCaption("saved");
    }));
    pad_->GetOnSaveError()->SetScript(
        "document.getElementById(\"LBLSIGNSTATUS\").textContent = \"save error \" + textStatus + "
        "\" \" + jqXHR.status;");
    pad_->OnFileSaved = TIWZQSignatureFileSavedEvent(
        this, [this](TObject*, const std::string& AFile) { savedFile_ = AFile; });

    status_ = DemoLabel(AForm, "LblSignStatus", "ready", 16, ATop + 230, 400);

    int left = 16;
    auto button = [&](const char* name, const char* caption, std::function<void()> action) {
      DemoButton(AForm, name, caption, left, ATop + 192, 110, std::move(action));
      left += 118;
    };
    button("BtnSignClear", "Clear", [this] {
      pad_->GetJQSignatureOptions()->Clear();
      status_->SetCaption("cleared");
    });
    button("BtnSignDisable", "Disable", [this] {
      enabled_ = !enabled_;
      pad_->GetJQSignatureOptions()->SetEnable(enabled_);
      status_->SetCaption(enabled_ ? "enabled" : "disabled");
    });
    button("BtnSignSave", "Save on server", [this] {
      pad_->SaveAsImage((SignatureFolder() / "signature.png").string());
      status_->SetCaption("saving");
    });
    button("BtnSignCopy", "Copy to image", [this] {
      pad_->GetJQSignatureOptions()->ExportToImage(copy_);
      status_->SetCaption("copied");
    });

    saved_ = Create<TIWZQJQImage>(&AForm);
    saved_->SetName("ImgSignSaved");
    saved_->SetParent(&AForm);
    saved_->SetAltText("saved signature");
    saved_->SetBounds(440, ATop + 30, 200, 75);
    copy_ = Create<TIWZQJQImage>(&AForm);
    copy_->SetName("ImgSignCopy");
    copy_->SetParent(&AForm);
    copy_->SetAltText("copied signature");
    copy_->SetBounds(440, ATop + 110, 200, 75);
    return 270;
  }

 private:
  TIWZQJQSignature* pad_ = nullptr;
  TIWZQJQImage* saved_ = nullptr;
  TIWZQJQImage* copy_ = nullptr;
  TIWLabel* status_ = nullptr;
  std::string savedFile_;  // written by the last save post, not shown yet
  bool enabled_ = true;
};

}  // namespace

ZQDEMO_PAGE(TSignaturePage, "signature", 70);

}  // namespace zqdemo
