#include "host/application.h"

#include <cctype>
#include <cstdlib>

#include "foundation/asciicase.h"
#include "foundation/properties.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/servercontroller.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWApplication) {}

namespace {

thread_local TIWApplication* tCurrentSession = nullptr;

std::mutex gResetLock;
std::vector<std::function<void()>>& Resets() {
  static std::vector<std::function<void()>> r;
  return r;
}

int VersionAfter(std::string_view ua, std::string_view marker) {
  size_t p = ua.find(marker);
  if (p == std::string_view::npos) return 0;
  return std::atoi(std::string(ua.substr(p + marker.size(), 6)).c_str());
}


}  // namespace

TIWApplication* gGetWebApplicationThreadVar() { return tCurrentSession; }
void gSetWebApplicationThreadVar(TIWApplication* app) { tCurrentSession = app; }

void RegisterThreadStateReset(std::function<void()> reset) {
  std::lock_guard<std::mutex> g(gResetLock);
  Resets().push_back(std::move(reset));
}

void ResetThreadState() {
  std::vector<std::function<void()>> copy;
  {
    std::lock_guard<std::mutex> g(gResetLock);
    copy = Resets();
  }
  for (auto& r : copy) r();
}

TIWRequestScope::TIWRequestScope(TIWApplication* app, THTTPRequest* request, THTTPReply* reply)
    : app_(app), saved_(gGetWebApplicationThreadVar()) {
  ResetThreadState();
  gSetWebApplicationThreadVar(app);
  if (app_) {
    app_->SetRequest(request);
    app_->SetResponse(reply);
  }
}

TIWRequestScope::~TIWRequestScope() {
  if (app_) {
    app_->SetRequest(nullptr);
    app_->SetResponse(nullptr);
    app_->SetIsCallBack(false);
    app_->SetCallBackProcessing(false);
    app_->CallBackResponse().Clear();
  }
  gSetWebApplicationThreadVar(saved_);
  try {
    ResetThreadState();
  } catch (...) {
    // A reset must not throw out of a destructor.
  }
}

TBrowser TBrowser::FromUserAgent(std::string_view ua) {
  TBrowser b;
  if (ua.find("Edg/") != std::string_view::npos) {
    b.Kind = TBrowserKind::Edge;
    b.MajorVersion = VersionAfter(ua, "Edg/");
  } else if (ua.find("OPR/") != std::string_view::npos) {
    b.Kind = TBrowserKind::Opera;
    b.MajorVersion = VersionAfter(ua, "OPR/");
  } else if (ua.find("MSIE ") != std::string_view::npos) {
    b.Kind = TBrowserKind::InternetExplorer;
    b.MajorVersion = VersionAfter(ua, "MSIE ");
  } else if (ua.find("Trident/") != std::string_view::npos) {
    b.Kind = TBrowserKind::InternetExplorer;
    b.MajorVersion = ua.find("rv:") != std::string_view::npos ? VersionAfter(ua, "rv:") : 11;
  } else if (ua.find("Firefox/") != std::string_view::npos) {
    b.Kind = TBrowserKind::Firefox;
    b.MajorVersion = VersionAfter(ua, "Firefox/");
  } else if (ua.find("Chrome/") != std::string_view::npos || ua.find("Chromium/") != std::string_view::npos) {
    b.Kind = TBrowserKind::Chrome;
    b.MajorVersion = ua.find("Chrome/") != std::string_view::npos ? VersionAfter(ua, "Chrome/") : VersionAfter(ua, "Chromium/");
  } else if (ua.find("Safari/") != std::string_view::npos) {
    b.Kind = TBrowserKind::Safari;
    b.MajorVersion = VersionAfter(ua, "Version/");
  }
  return b;
}

// ---------------------------------------------------------------- callbacks

std::string TIWCallBacks::QualifiedName(std::string_view name) const {
  TIWAppForm* f = app_ ? app_->GetActiveForm() : nullptr;
  if (!f) return std::string(name);
  return UpperAscii(f->GetName()) + "." + std::string(name);
}

TIWCallback* TIWCallBacks::Register(std::string_view name, TIWCallbackHandler handler) {
  std::string q = QualifiedName(name);
  if (TIWCallback* cb = Find(q)) {
    cb->SetHandler(std::move(handler));
    return cb;
  }
  items_.push_back(std::make_unique<TIWCallback>(app_, q, std::move(handler)));
  return items_.back().get();
}

void TIWCallBacks::Unregister(std::string_view name) {
  if (TIWCallback* cb = Find(QualifiedName(name))) cb->SetHandler([](TStringList&) {});
}

TIWCallback* TIWCallBacks::Find(std::string_view qualifiedName) const {
  for (const auto& cb : items_)
    if (cb->Name() == qualifiedName) return cb.get();
  return nullptr;
}

// ---------------------------------------------------------------- session

TIWApplication::TIWApplication(TIWServerController* controller, std::string appID, std::string token)
    : TComponent(nullptr), controller_(controller), appID_(std::move(appID)), token_(std::move(token)) {}

TIWApplication::~TIWApplication() = default;

namespace {
std::mutex gSessionEndHooksLock;
std::vector<std::pair<int, std::function<void(TIWApplication&)>>> gSessionEndHooks;
int gNextSessionEndHook = 0;
}  // namespace

int RegisterSessionEndHook(std::function<void(TIWApplication&)> hook) {
  std::lock_guard<std::mutex> g(gSessionEndHooksLock);
  gSessionEndHooks.emplace_back(++gNextSessionEndHook, std::move(hook));
  return gNextSessionEndHook;
}

void UnregisterSessionEndHook(int id) {
  std::lock_guard<std::mutex> g(gSessionEndHooksLock);
  std::erase_if(gSessionEndHooks, [id](const auto& h) { return h.first == id; });
}

void TIWApplication::BeforeDestruction() {
  // Hooks first, while the session and its forms are whole.
  std::vector<std::function<void(TIWApplication&)>> hooks;
  {
    std::lock_guard<std::mutex> g(gSessionEndHooksLock);
    for (auto& h : gSessionEndHooks) hooks.push_back(h.second);
  }
  for (auto& h : hooks) h(*this);
  // The forms go while this session is the thread's session, so that what
  // their components undo (callbacks, placed components) is undone here and
  // not in the session of whatever request happens to end this one.
  TIWThreadSessionSwitch sw(this);
  activeForm_ = nullptr;
  TComponent::BeforeDestruction();
}

std::string TIWApplication::URLBase() const { return controller_ ? controller_->URLBase : std::string(); }

std::vector<TIWAppForm*> TIWApplication::Forms() const {
  std::vector<TIWAppForm*> r;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TIWAppForm*>(Components(i))) r.push_back(f);
  return r;
}

void TIWApplication::ShowMessage(std::string_view text, TIWShowMessageType, std::string_view title) {
  std::string t = title.empty() ? std::string(text) : std::string(title) + "\n\n" + std::string(text);
  messages_.push_back(t);
}

std::string TIWApplication::TakeMessageScript() {
  std::string r;
  for (const auto& m : messages_) r += "alert(" + JSString(m) + ");\r\n";
  messages_.clear();
  return r;
}

}  // namespace zq
