#include "actionmap/responder.h"

#include <map>
#include <memory>
#include <mutex>

#include "actionmap/map.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/stringlist.h"
#include "foundation/superobject.h"
#include "host/application.h"
#include "host/http.h"
#include "host/zqhelpers.h"

namespace zq {

std::size_t ZQMapMaxStatusText = 200;

namespace {

constexpr std::string_view kPrefix = "/IWZQJQ/";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// ---------------------------------------------------------------- waiters

// The requests waiting for the lock of each session.
std::mutex gWaitersLock;
std::map<const TIWApplication*, int> gWaiters;

class WaiterTicket {
 public:
  // False when the session already has ZQMapMaxSessionWaiters waiters.
  explicit WaiterTicket(const TIWApplication* app) : app_(app) {
    std::lock_guard<std::mutex> g(gWaitersLock);
    int& n = gWaiters[app_];
    if (n >= ZQMapMaxSessionWaiters) {
      if (n == 0) gWaiters.erase(app_);
      app_ = nullptr;
      return;
    }
    ++n;
  }
  ~WaiterTicket() {
    if (!app_) return;
    std::lock_guard<std::mutex> g(gWaitersLock);
    auto it = gWaiters.find(app_);
    if (it != gWaiters.end() && --it->second <= 0) gWaiters.erase(it);
  }
  WaiterTicket(const WaiterTicket&) = delete;
  WaiterTicket& operator=(const WaiterTicket&) = delete;
  explicit operator bool() const { return app_ != nullptr; }

 private:
  const TIWApplication* app_;
};

[[noreturn]] void ServerBusy() {
  throw EIWZQJQuery("Server Busy!");
}

// The session lock taken for the handler, released on every exit.
class HeldLock {
 public:
  ~HeldLock() {
    if (app_) app_->Unlock();
  }
  // Blocking, but never more than ZQMapMaxSessionWaiters requests at once.
  void Lock(TIWApplication* app) {
    if (!app->TryLock()) {
      WaiterTicket ticket(app);
      if (!ticket) ServerBusy();
      app->Lock();
    }
    app_ = app;
  }
  // At most ZQMapSessionLockTimeout, retrying every ZQMapSessionLockRetry.
  void LockTimeout(TIWApplication* app) {
    if (!app->TryLock()) {
      WaiterTicket ticket(app);
      if (!ticket) ServerBusy();
      if (!ZQLockAppTimeout(app, static_cast<int>(ZQMapSessionLockTimeout.count()),
                            static_cast<int>(ZQMapSessionLockRetry.count())))
        ServerBusy();
    }
    app_ = app;
  }

 private:
  TIWApplication* app_ = nullptr;
};

[[noreturn]] void NoLongerExistant(const std::string& action) {
  throw EIWZQJQueryMap(
      Format("Browser is requesting the action \"%s\" for a control no longer existant!", action));
}

[[noreturn]] void SessionNotFound(const std::string& appID) {
  throw EIWZQJQuery(Format("Session \"%s\" not found - Timeout!", ZQSessionLabel(appID)));
}

// "<", ">" and "&" of JSON text as \u escapes: the text stays the same JSON
// and cannot open markup when a browser reads it as HTML. (Outside strings
// JSON text holds none of these characters.)
std::string JSONForHTML(std::string_view json) {
  std::string out;
  out.reserve(json.size());
  for (char c : json) {
    if (c == '<')
      out += "\\u003c";
    else if (c == '>')
      out += "\\u003e";
    else if (c == '&')
      out += "\\u0026";
    else
      out.push_back(c);
  }
  return out;
}

void WriteFailureBody(THTTPReply& reply, std::string body, bool isIE, bool isJSON) {
  if (isIE) body = isJSON ? JSONForHTML(body) : HTMLEscape(body);
  reply.SetContentType(isIE ? "text/html" : "application/json");
  reply.SetBody(std::move(body));
}

void ReportFailure(const Exception& e, const TIWZQJQMapEventItem* item, bool isIE,
                   THTTPReply& reply) {
  TIWZQJQMapResponseType type = item ? item->GetResType() : mrtError;
  switch (type) {
    case mrtError:
      reply.ResetReplyType();
      if (dynamic_cast<const EAbort*>(&e)) {
        ISuperObject o = SO();
        o->PutB("success", true);
        WriteFailureBody(reply, o->AsJSon(false, true, true), isIE, true);
      } else {
        reply.SetCode(500, ZQMapStatusText(500, e.what()));
      }
      break;
    case mrtJSon: {
      ISuperObject o = SO();
      o->PutB("success", false);
      o->PutS("error", e.what());
      WriteFailureBody(reply, o->AsJSon(JSonIdent(), true, false), isIE, true);
      break;
    }
    case mrtText:
      WriteFailureBody(reply, e.what(), isIE, false);
      break;
    case mrtCustom:
      break;
  }
}

}  // namespace

TZQMapRequestPath ZQSplitMapRequestPath(std::string_view APath, std::string_view AURLBase,
                                        bool ASessionInURL, std::string_view AAppID) {
  TZQMapRequestPath r;
  std::string_view path = APath;
  std::string_view base = AURLBase;
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  if (!base.empty() && StartsWith(path, base)) path.remove_prefix(base.size());
  if (ASessionInURL) {
    if (!AAppID.empty() && path.size() > AAppID.size() && path[0] == '/' &&
        path.compare(1, AAppID.size(), AAppID) == 0) {
      path.remove_prefix(AAppID.size() + 1);
      r.CarriesSession = true;
    }
  } else {
    r.CarriesSession = true;
  }
  const std::size_t idLen = static_cast<std::size_t>(ZQGUIDHTMLMapIDLen());
  if (!StartsWith(path, kPrefix)) return r;
  path.remove_prefix(kPrefix.size());
  if (!StartsWith(path, "ID") || path.size() < 2 + idLen) return r;
  std::string_view id = path.substr(2, idLen);
  path.remove_prefix(2 + idLen);
  if (!StartsWith(path, "Action")) return r;
  path.remove_prefix(6);
  if (!path.empty() && path.back() == '/') path.remove_suffix(1);
  r.Matches = true;
  r.ID = std::string(id);
  r.Action = std::string(path);
  return r;
}

std::string ZQMapStatusText(int ACode, std::string_view AMessage) {
  std::string text = std::to_string(ACode) + ": ";
  std::size_t limit = text.size() + ZQMapMaxStatusText;
  for (unsigned char c : AMessage) {
    if (c < 0x20 || c == 0x7F) continue;
    text.push_back(static_cast<char>(c));
  }
  if (text.size() > limit) {
    std::size_t cut = limit;
    // Back to the start of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  return text;
}

bool TIWZQJQResponder::Execute(THTTPRequest& ARequest, THTTPReply& AReply,
                               const std::string& APathName, TIWApplication* ASession) {
  (void)APathName;  // the request's own path is read (below)
  TIWServerController* controller = ASession ? ASession->ServerController() : gServerController;
  std::string urlBase = controller ? controller->URLBase : std::string();
  while (!urlBase.empty() && urlBase.back() == '/') urlBase.pop_back();
  urlBase += ARequest.ScriptName;
  bool sessionInURL = controller && controller->SessionInURL;
  TZQMapRequestPath path = ZQSplitMapRequestPath(ARequest.PathInfo(), urlBase, sessionInURL,
                                                 ASession ? ASession->AppID() : "");
  if (!path.Matches) return false;

  std::shared_ptr<const TIWZQJQMapEventItem> item;
  bool isIE = true;
  try {
    item = ZQFindMapEvent(path.ID, path.Action);
    if (!item) NoLongerExistant(path.Action);
    if (!item->GetEvent()) {
      AReply.SetHeader("X-Content-Type-Options", "nosniff");
      return true;
    }
    HeldLock held;
    std::shared_ptr<TIWApplication> found;  // keeps a session found by ID alive
    TIWApplication* session = ASession;
    if (path.CarriesSession) {
      std::string requestAppID = ASession ? ASession->AppID() : std::string();
      if (item->GetAppID() != requestAppID)
        throw EIWZQJQuery(
            Format("Mapping Session different from Item Event Session for the action \"%s\"!",
                   path.Action));
      if (ASession) held.Lock(ASession);
    } else if (!item->GetAppID().empty()) {
      if (controller) found = controller->FindSession(item->GetAppID());
      if (!found) SessionNotFound(item->GetAppID());
      held.LockTimeout(found.get());
      session = found.get();
    }
    // Checked again under the lock: the session may have ended and the
    // entry's control may have been freed while this request waited.
    if (session && controller && !item->GetAppID().empty() &&
        controller->FindSession(item->GetAppID()).get() != session)
      SessionNotFound(item->GetAppID());
    if (ZQFindMapEvent(path.ID, path.Action) != item) NoLongerExistant(path.Action);

    TIWThreadSessionSwitch sessionSwitch(session);
    if (session) isIE = BrowserIsIE(session->Browser());
    TStringList params;
    ZQGetRequestList(ARequest, params, true);
    item->GetEvent()(path.Action, &params, ARequest, AReply);
  } catch (const Exception& e) {
    ReportFailure(e, item.get(), isIE, AReply);
  }
  AReply.SetHeader("X-Content-Type-Options", "nosniff");
  return true;
}

}  // namespace zq
