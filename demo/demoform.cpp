#include "demoform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

#include "components/lockindicator/lockindicator.h"
#include "foundation/object.h"
#include "foundation/properties.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "showcase.h"

namespace zqdemo {

namespace {

constexpr std::string_view kPagePrefix = "/demo/";
constexpr std::string_view kPagesJSONPath = "/demo/pages.json";

std::map<std::string, TDemoPageInfo, std::less<>>& Registry() {
  static std::map<std::string, TDemoPageInfo, std::less<>> pages;
  return pages;
}

bool IsPageName(std::string_view name) {
  if (name.empty()) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

void PlainReply(zq::THTTPReply& AReply, int ACode, std::string_view AText) {
  AReply.SetCode(ACode);
  AReply.SetContentType("text/plain; charset=utf-8");
  AReply.SetHeader("Cache-Control", "no-store");
  AReply.SetBody(std::string(AText));
}

// The content handler on "/" and "/demo/": shows the requested page's form,
// answers 404 for an unknown page. The host lets bodies sent to content
// handlers grow to the upload limit; pages keep the request limit.
class TDemoPageRouter : public zq::TContentBase {
 public:
  explicit TDemoPageRouter(const zq::TIWServerController& AController) : controller_(AController) {}

  bool Execute(zq::THTTPRequest& ARequest, zq::THTTPReply& AReply, const std::string& APathName,
               zq::TIWApplication* ASession) override {
    if (ARequest.Content.size() > controller_.MaxRequestSize) {
      PlainReply(AReply, 413, "Request body too large");
      return true;
    }
    if (APathName == kPagesJSONPath) {
      AReply.SetCode(200);
      AReply.SetContentType("application/json; charset=utf-8");
      AReply.SetHeader("Cache-Control", "no-store");
      AReply.SetBody(DemoPagesJSON());
      return true;
    }
    std::string page;
    if (!DemoPageOfPath(APathName, page)) {
      PlainReply(AReply, 404, "No such demo page");
      return true;
    }
    // Without a session the host makes one; its first form builds the page
    // of this path when it renders.
    if (ASession) ShowDemoPage(*ASession, page);
    return false;
  }

 private:
  const zq::TIWServerController& controller_;
};

}  // namespace

// ---------------------------------------------------------------- registry

TDemoPageRegistrar::TDemoPageRegistrar(std::string AName, int AOrder,
                                       std::function<std::unique_ptr<TDemoPage>()> AMake,
                                       std::string_view ASourceFile) {
  if (!IsPageName(AName) || Registry().count(AName)) {
    std::fprintf(stderr, "zq_demo: demo page name \"%s\" is malformed or taken\n", AName.c_str());
    std::abort();
  }
  std::string key = AName;
  size_t slash = ASourceFile.find_last_of("/\\");
  std::string file(slash == std::string_view::npos ? ASourceFile : ASourceFile.substr(slash + 1));
  Registry().emplace(std::move(key),
                     TDemoPageInfo{std::move(AName), AOrder, std::move(AMake), std::move(file)});
}

std::vector<const TDemoPageInfo*> DemoPages() {
  std::vector<const TDemoPageInfo*> r;
  for (const auto& [name, info] : Registry()) r.push_back(&info);
  std::stable_sort(r.begin(), r.end(), [](const TDemoPageInfo* a, const TDemoPageInfo* b) {
    return a->order < b->order;
  });
  return r;
}

const TDemoPageInfo* FindDemoPage(std::string_view AName) {
  auto it = Registry().find(AName);
  return it == Registry().end() ? nullptr : &it->second;
}

bool DemoPageOfPath(std::string_view APath, std::string& APage) {
  if (APath == "/") {
    APage.clear();
    return true;
  }
  if (APath.substr(0, kPagePrefix.size()) != kPagePrefix) return false;
  std::string_view name = APath.substr(kPagePrefix.size());
  if (!FindDemoPage(name)) return false;
  APage = std::string(name);
  return true;
}

// ---------------------------------------------------------------- forms

ZQ_IMPLEMENT_CLASS(TDemoForm) {}

TDemoForm::TDemoForm(zq::TIWApplication* AApplication) : zq::TIWAppForm(AApplication) {}

TDemoForm::~TDemoForm() = default;

void TDemoForm::AfterConstruction() {
  zq::TIWAppForm::AfterConstruction();
  Title = "zqjq demo";
}

void TDemoForm::DoRender() {
  if (!built_) {
    std::string page;
    zq::THTTPRequest* req = Application() ? Application()->Request() : nullptr;
    if (!req || !DemoPageOfPath(req->PathInfo(), page)) page.clear();
    BuildPage(page);
  }
  zq::TIWAppForm::DoRender();
}

void TDemoForm::BuildPage(const std::string& APage) {
  if (built_) return;
  built_ = true;
  page_ = APage;
  SetName(APage.empty() ? std::string("DemoForm") : "DemoForm_" + APage);
  SetLayoutMgr(MakeShowcaseLayout(APage));
  BuildSlowBar();
  std::vector<const TDemoPageInfo*> shown;
  if (APage.empty()) {
    shown = DemoPages();
  } else if (const TDemoPageInfo* info = FindDemoPage(APage)) {
    shown.push_back(info);
  }
  // Per page: its heading, the box its controls move into, on a page of its
  // own the source. The frame's control names end in the page name ("-" as "_").
  for (const TDemoPageInfo* info : shown) {
    std::string suffix = info->name;
    std::replace(suffix.begin(), suffix.end(), '-', '_');
    auto* intro = zq::Create<TDemoHtml>(this);
    intro->SetName("DemoIntro_" + suffix);
    intro->SetParent(this);
    intro->Css = "zqd-intro";
    intro->Html = DemoIntroHtml(*info, APage.empty());
    auto* example = zq::Create<TDemoExample>(this);
    example->SetName("DemoExample_" + suffix);
    example->SetParent(this);

    pages_.push_back(info->make());
    const size_t before = ControlList().size();
    const int height = pages_.back()->Build(*this, 12);
    const std::vector<zq::TIWBaseControl*> placed(ControlList().begin() + before,
                                                  ControlList().end());
    for (zq::TIWBaseControl* c : placed) c->SetParent(example);
    example->Height = height + 24;
    example->Flows = !pages_.back()->KeepsPositions();

    if (!APage.empty()) {
      auto* code = zq::Create<TDemoHtml>(this);
      code->SetName("DemoSource_" + suffix);
      code->SetParent(this);
      code->Html = DemoSourceHtml(*info);
    }
  }
}

void TDemoForm::BuildSlowBar() {
  auto* bar = zq::Create<TDemoBar>(this);
  bar->SetName("DemoBusy");
  bar->SetParent(this);
  zq::TIWLabel* done =
      DemoLabel(*this, "DemoSlowResult",
                "On every page the lock indicator shows while a slow callback runs", 0, 0, 460);
  zq::TIWButton* slow = DemoButton(*this, "DemoSlow", "Slow callback (1 s)", 0, 0, 170, [done] {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    done->SetCaption("Done: the page was locked for the whole callback");
  });
  slow->SetParent(bar);
  done->SetParent(bar);
}

void ShowDemoPage(zq::TIWApplication& AApplication, const std::string& APage) {
  if (!AApplication.TryLock(std::chrono::seconds(30)))
    return;  // the page request will wait and report
  struct Unlock {
    zq::TIWApplication& app;
    ~Unlock() { app.Unlock(); }
  } unlock{AApplication};
  // A first form that has not rendered yet builds the page of its first request.
  if (auto* active = dynamic_cast<TDemoForm*>(AApplication.GetActiveForm());
      active && !active->IsBuilt())
    return;
  for (zq::TIWAppForm* f : AApplication.Forms())
    if (auto* form = dynamic_cast<TDemoForm*>(f);
        form && form->IsBuilt() && form->Page() == APage) {
      form->Show();
      return;
    }
  auto* form = zq::Create<TDemoForm>(&AApplication);
  form->BuildPage(APage);
  form->Show();
}

void InstallDemoPages(zq::TIWServerController& AController) {
  // The indicator of every page: blocks the page while the frame's slow
  // button runs its callback. The pages' own clicks stay unblocked (each page
  // shows its own behaviour); the lock indicator page adds one of its own.
  auto* lock = zq::Create<zq::TIWZQJQLockIndicator>(&AController);
  zq::TIWZQJQLockIndicatorItem* item = lock->GetIndicators()->Add();
  item->GetImageSetting()->SetTheme(zq::TIWZQJQLockIndicatorImgColor::jqlisBlack);
  item->GetImageSetting()->SetImage(8);
  item->SetCss("{\"padding\":\"12px\",\"border\":\"1px solid #8a8a8a\",\"width\":\"260px\"}");
  item->SetOverlayCSS("{\"backgroundColor\":\"#000\",\"opacity\":0.25,\"cursor\":\"wait\"}");
  lock->SetAsyncIndicatorIndex(0);
  lock->GetAjaxEventsRegEx()->Clear();
  lock->GetAjaxEventsRegEx()->Add("^DEMOSLOW\\.OnAsyncClick$");
  lock->GetAjaxEventsZQRegEx()->Clear();
  AController.SetMainFormFactory(
      [](zq::TIWApplication& app) -> zq::TIWAppForm* { return zq::Create<TDemoForm>(&app); });
  AController.Handlers().Add("", "/", std::make_unique<TDemoPageRouter>(AController));
  AController.Handlers().Add(kPagePrefix, "", std::make_unique<TDemoPageRouter>(AController));
}

zq::TIWLabel* DemoLabel(TDemoForm& AForm, const char* AName, const std::string& ACaption, int ALeft,
                        int ATop, int AWidth) {
  auto* l = zq::Create<zq::TIWLabel>(&AForm);
  l->SetName(AName);
  l->SetParent(&AForm);
  l->SetCaption(ACaption);
  l->SetBounds(ALeft, ATop, AWidth, 24);
  return l;
}

zq::TIWButton* DemoButton(TDemoForm& AForm, const char* AName, const char* ACaption, int ALeft,
                          int ATop, int AWidth, std::function<void()> AOnClick) {
  auto* b = zq::Create<zq::TIWButton>(&AForm);
  b->SetName(AName);
  b->SetParent(&AForm);
  b->SetCaption(ACaption);
  b->SetBounds(ALeft, ATop, AWidth, 28);
  b->OnAsyncClick = zq::TNotifyEvent(b, [AOnClick](zq::TObject*) { AOnClick(); });
  return b;
}

}  // namespace zqdemo
