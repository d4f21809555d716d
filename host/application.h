// The session: TIWApplication. One per browser session, created by the server
// controller on the first page request and found again through the
// "ZQSESSION" cookie. A session owns its forms, keeps the callback registry and
// the response of the callback being served, and is locked while a request of
// it is served, so that requests of one session run one at a time.
//
// The session serving the current thread is gGetWebApplicationThreadVar()
// (none outside a request).
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/component.h"
#include "host/callback.h"
#include "host/sessionlock.h"

namespace zq {

class TIWAppForm;
class TIWServerController;
class THTTPRequest;
class THTTPReply;
class TStringList;

enum class TBrowserKind { Unknown, InternetExplorer, Edge, Firefox, Chrome, Safari, Opera };

// The browser of a session, read from the User-Agent header.
struct TBrowser {
  TBrowserKind Kind = TBrowserKind::Unknown;
  int MajorVersion = 0;
  static TBrowser FromUserAgent(std::string_view userAgent);
  bool IsInternetExplorer() const { return Kind == TBrowserKind::InternetExplorer; }
  bool IsSafari() const { return Kind == TBrowserKind::Safari; }
  bool IsChrome() const { return Kind == TBrowserKind::Chrome; }
  bool IsFirefox() const { return Kind == TBrowserKind::Firefox; }
};

// A callback handler receives the request parameters as name=value lines.
using TIWCallbackHandler = std::function<void(TStringList& params)>;

class TIWApplication;

class TIWCallback {
 public:
  TIWCallback(TIWApplication* app, std::string name, TIWCallbackHandler handler)
      : app_(app), name_(std::move(name)), handler_(std::move(handler)) {}
  TIWApplication* Application() const { return app_; }
  const std::string& Name() const { return name_; }
  const TIWCallbackHandler& Handler() const { return handler_; }
  void SetHandler(TIWCallbackHandler h) { handler_ = std::move(h); }

 private:
  TIWApplication* app_;
  std::string name_;
  TIWCallbackHandler handler_;
};

// The callbacks of a session, by qualified name ("FORMNAME.NAME").
class TIWCallBacks {
 public:
  explicit TIWCallBacks(TIWApplication* app) : app_(app) {}
  // The name qualified by the session's active form: the form's name in upper
  // case, ".", the name. Without an active form the name stays.
  std::string QualifiedName(std::string_view name) const;
  // Registers under the qualified name; an existing entry gets the handler.
  TIWCallback* Register(std::string_view name, TIWCallbackHandler handler);
  // The entry keeps its name and gets a handler that does nothing.
  void Unregister(std::string_view name);
  // Finds by qualified name.
  TIWCallback* Find(std::string_view qualifiedName) const;
  size_t Count() const { return items_.size(); }

 private:
  TIWApplication* app_;
  std::vector<std::unique_ptr<TIWCallback>> items_;
};

enum class TIWShowMessageType { smAlert, smNewWindow, smSameWindow };

class TIWApplication : public TComponent {
  ZQ_CLASS(TIWApplication, TComponent)
 public:
  TIWApplication(TIWServerController* controller, std::string appID, std::string token);
  ~TIWApplication() override;
  void BeforeDestruction() override;

  TIWServerController* ServerController() const { return controller_; }
  const std::string& AppID() const { return appID_; }
  // The per-session token every callback and submit must carry.
  const std::string& Token() const { return token_; }
  std::string URLBase() const;

  // Callback state: IsCallBack while a callback request is served;
  // CallBackProcessing while its handler and the refresh cycle run.
  bool IsCallBack() const { return isCallBack_; }
  void SetIsCallBack(bool v) { isCallBack_ = v; }
  bool CallBackProcessing() const { return callBackProcessing_; }
  void SetCallBackProcessing(bool v) { callBackProcessing_ = v; }
  bool GetDesignMode() const { return designMode_; }
  void SetDesignMode(bool v) { designMode_ = v; }

  // Forms: owned by the session; the active one is rendered.
  TIWAppForm* GetActiveForm() const { return activeForm_; }
  void SetActiveForm(TIWAppForm* form) { activeForm_ = form; }
  std::vector<TIWAppForm*> Forms() const;

  const TBrowser& Browser() const { return browser_; }
  void SetBrowser(const TBrowser& b) { browser_ = b; }

  // Shows a message to the user: an alert on the next page or in the callback
  // response. The text is plain text; it is written as a script string.
  void ShowMessage(std::string_view text, TIWShowMessageType kind = TIWShowMessageType::smAlert,
                   std::string_view title = {});
  // Takes the pending messages as script (alerts in order), emptying the list.
  std::string TakeMessageScript();

  // The session lock: re-entrant for the thread that holds it.
  void Lock() { lock_.lock(); }
  bool TryLock() { return lock_.try_lock(); }
  bool TryLock(std::chrono::milliseconds timeout) { return lock_.try_lock_for(timeout); }
  void Unlock() { lock_.unlock(); }

  TIWCallBacks& CallBacks() { return callbacks_; }
  TIWCallBackResponse& CallBackResponse() { return response_; }

  THTTPRequest* Request() const { return request_; }
  THTTPReply* Response() const { return reply_; }
  void SetRequest(THTTPRequest* r) { request_ = r; }
  void SetResponse(THTTPReply* r) { reply_ = r; }

  // Idle time-out bookkeeping (the server controller's clock).
  std::chrono::steady_clock::time_point LastAccess() const { return lastAccess_.load(); }
  void Touch(std::chrono::steady_clock::time_point now) { lastAccess_.store(now); }
  // Whether the session has made a callback or submit with its token: a
  // session that never did is the first to go when the session table is full.
  bool Engaged() const { return engaged_.load(); }
  void SetEngaged() { engaged_.store(true); }
  // The client address that started the session (for the per-address quota).
  const std::string& RemoteAddress() const { return remoteAddress_; }
  void SetRemoteAddress(std::string a) { remoteAddress_ = std::move(a); }

 private:
  TIWServerController* controller_;
  std::string appID_, token_;
  bool isCallBack_ = false;
  bool callBackProcessing_ = false;
  bool designMode_ = false;
  TIWAppForm* activeForm_ = nullptr;
  TBrowser browser_;
  std::vector<std::string> messages_;
  TSessionLock lock_;
  TIWCallBacks callbacks_{this};
  TIWCallBackResponse response_;
  THTTPRequest* request_ = nullptr;
  THTTPReply* reply_ = nullptr;
  std::atomic<std::chrono::steady_clock::time_point> lastAccess_{};
  std::atomic<bool> engaged_{false};
  std::string remoteAddress_;
};

// The session serving the current thread, or none.
TIWApplication* gGetWebApplicationThreadVar();
void gSetWebApplicationThreadVar(TIWApplication* app);

// Switches the thread's current session for the lifetime of the object and
// puts the previous one back on every exit.
class TIWThreadSessionSwitch {
 public:
  explicit TIWThreadSessionSwitch(TIWApplication* app) : saved_(gGetWebApplicationThreadVar()) {
    gSetWebApplicationThreadVar(app);
  }
  ~TIWThreadSessionSwitch() { gSetWebApplicationThreadVar(saved_); }
  TIWThreadSessionSwitch(const TIWThreadSessionSwitch&) = delete;
  TIWThreadSessionSwitch& operator=(const TIWThreadSessionSwitch&) = delete;

 private:
  TIWApplication* saved_;
};

// The state of one request on the serving thread: sets the thread's session
// and the session's current request and reply, and on every exit (normal or
// by exception) resets them, the session's callback flags and response, and
// all registered per-thread state.
class TIWRequestScope {
 public:
  TIWRequestScope(TIWApplication* app, THTTPRequest* request, THTTPReply* reply);
  ~TIWRequestScope();
  TIWRequestScope(const TIWRequestScope&) = delete;
  TIWRequestScope& operator=(const TIWRequestScope&) = delete;

 private:
  TIWApplication* app_;
  TIWApplication* saved_;
};

// Per-thread state kept by layers above the host (mobile flag, deferred-init
// flag, current request info ...) registers a reset here; every request scope
// runs all resets when it starts and when it ends.
void RegisterThreadStateReset(std::function<void()> reset);
void ResetThreadState();

}  // namespace zq
