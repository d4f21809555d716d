#include "host/servercontroller.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/context.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/security.h"

namespace zq {

ZQ_IMPLEMENT_CLASS(TIWHTTPRequestInfo) {}
ZQ_IMPLEMENT_CLASS(TIWServerController) {}

TIWServerController* gServerController = nullptr;

namespace {

const char kSessionCookie[] = "ZQSESSION";
const char kTokenField[] = "ZQ_TOKEN";
const char kTokenHeader[] = "X-ZQ-Token";
const char kCallbackPath[] = "/$/callback";

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// A Range header of one byte range ("bytes=a-b", "bytes=a-", "bytes=-n") as
// first and last byte, clipped to the file; nullopt when it is anything else
// (several ranges, bad syntax), which is then ignored. A first byte past the
// end is returned as it is (not satisfiable).
std::optional<std::pair<uint64_t, uint64_t>> ParseByteRange(std::string_view h, uint64_t size) {
  if (!StartsWith(h, "bytes=") || h.size() > 64) return std::nullopt;
  h.remove_prefix(6);
  const size_t dash = h.find('-');
  if (dash == std::string_view::npos ||
      h.find_first_not_of("0123456789-") != std::string_view::npos ||
      h.find('-', dash + 1) != std::string_view::npos)
    return std::nullopt;
  auto number = [](std::string_view d, uint64_t& out) {
    if (d.empty() || d.size() > 18) return false;
    out = 0;
    for (char c : d) out = out * 10 + static_cast<uint64_t>(c - '0');
    return true;
  };
  uint64_t a = 0, b = 0;
  const bool hasA = number(h.substr(0, dash), a), hasB = number(h.substr(dash + 1), b);
  if (!hasA && !hasB) return std::nullopt;
  if (!hasA) {  // the last b bytes
    if (b == 0 || size == 0) return std::nullopt;
    return std::make_pair(size - std::min(b, size), size - 1);
  }
  if (hasB && b < a) return std::nullopt;
  if (a >= size) return std::make_pair(a, a);
  return std::make_pair(a, std::min(hasB ? b : size - 1, size - 1));
}

// Holds a session's lock for the rest of the scope.
class SessionLock {
 public:
  explicit SessionLock(TIWApplication& app) : app_(app) {}
  bool Acquire(std::chrono::milliseconds timeout) { return held_ = app_.TryLock(timeout); }
  ~SessionLock() {
    if (held_) app_.Unlock();
  }

 private:
  TIWApplication& app_;
  bool held_ = false;
};

std::shared_ptr<TIWApplication> MakeSession(TIWServerController* sc, std::string id,
                                            std::string token) {
  return std::shared_ptr<TIWApplication>(
      Create<TIWApplication>(sc, std::move(id), std::move(token)),
      [](TIWApplication* a) { Free(a); });
}

}  // namespace

void SetErrorReply(THTTPReply& AReply, int ACode, std::string_view AMessage) {
  AReply.ResetReplyType();
  AReply.SetCode(ACode);
  AReply.SetContentType("text/plain; charset=utf-8");
  AReply.SetHeader("Cache-Control", "no-store");
  AReply.WriteString(AMessage);
}

// ---------------------------------------------------------------- THandlers

TContentBase* THandlers::Add(std::string_view APath, std::string_view AFileName,
                             std::unique_ptr<TContentBase> AHandler) {
  std::lock_guard<std::mutex> g(lock_);
  std::shared_ptr<TContentBase> h(std::move(AHandler));
  entries_.push_back({std::string(APath), std::string(AFileName), h});
  return h.get();
}

void THandlers::Remove(TContentBase* AHandler) {
  std::shared_ptr<TContentBase> keep;  // freed after the lock is released
  std::lock_guard<std::mutex> g(lock_);
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if (it->handler.get() == AHandler) {
      keep = it->handler;
      entries_.erase(it);
      break;
    }
}

std::vector<std::shared_ptr<TContentBase>> THandlers::Match(std::string_view APath) const {
  std::vector<std::pair<size_t, std::shared_ptr<TContentBase>>> found;
  {
    std::lock_guard<std::mutex> g(lock_);
    for (const auto& e : entries_) {
      std::string full = e.path + e.file;
      bool hit = e.file.empty() ? StartsWith(APath, e.path) : APath == full;
      if (hit) found.emplace_back(full.size(), e.handler);
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::shared_ptr<TContentBase>> r;
  for (auto& f : found) r.push_back(std::move(f.second));
  return r;
}

size_t THandlers::Count() const {
  std::lock_guard<std::mutex> g(lock_);
  return entries_.size();
}

// ---------------------------------------------------------------- TMimeTypes

TMimeTypes::TMimeTypes() {
  const std::pair<const char*, const char*> defaults[] = {
      {".html", "text/html; charset=utf-8"},
      {".htm", "text/html; charset=utf-8"},
      {".css", "text/css; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".json", "application/json"},
      {".map", "application/json"},
      {".txt", "text/plain; charset=utf-8"},
      {".xml", "text/xml; charset=utf-8"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".jpeg", "image/jpeg"},
      {".gif", "image/gif"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".webp", "image/webp"},
      {".woff", "font/woff"},
      {".woff2", "font/woff2"},
      {".ttf", "font/ttf"},
      {".eot", "application/vnd.ms-fontobject"},
      {".swf", "application/x-shockwave-flash"},
      {".pdf", "application/pdf"},
  };
  for (const auto& d : defaults) types_[d.first] = d.second;
}

void TMimeTypes::Register(std::string_view AExt, std::string_view AType) {
  std::string ext = LowerAscii(AExt);
  if (!ext.empty() && ext[0] != '.') ext.insert(ext.begin(), '.');
  std::lock_guard<std::mutex> g(lock_);
  types_[ext] = StripCRLF(AType);
}

std::string TMimeTypes::TypeOf(std::string_view AFileName) const {
  size_t dot = AFileName.rfind('.');
  size_t slash = AFileName.find_last_of("/\\");
  if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) {
    std::lock_guard<std::mutex> g(lock_);
    auto it = types_.find(LowerAscii(AFileName.substr(dot)));
    if (it != types_.end()) return it->second;
  }
  return "application/octet-stream";
}

// ---------------------------------------------------------------- controller

TIWServerController::TIWServerController(TComponent* AOwner) : TComponent(AOwner) {
  if (!gServerController) gServerController = this;
}

TIWServerController::~TIWServerController() {
  EndAllSessions();
  if (gServerController == this) gServerController = nullptr;
}

std::string TIWServerController::FileURL(std::string_view AFile) const {
  std::string base = URLBase;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + ScriptName + "/" + std::string(AFile) + "?v=" + FileVersion;
}

std::string TIWServerController::CallbackURL() const {
  std::string base = URLBase;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + ScriptName + kCallbackPath;
}

std::shared_ptr<TIWApplication> TIWServerController::Unlist(TSessionMap::iterator it) {
  std::shared_ptr<TIWApplication> app = std::move(it->second);
  sessions_.erase(it);
  auto a = perAddress_.find(app->RemoteAddress());
  if (a != perAddress_.end() && --a->second == 0) perAddress_.erase(a);
  return app;
}

bool TIWServerController::EvictAnonymous(std::vector<std::shared_ptr<TIWApplication>>& gone) {
  while (!newSessions_.empty()) {
    std::shared_ptr<TIWApplication> app = newSessions_.front().lock();
    newSessions_.pop_front();
    if (!app || app->Engaged()) continue;
    auto it = sessions_.find(app->AppID());
    if (it == sessions_.end() || it->second != app) continue;
    gone.push_back(Unlist(it));
    return true;
  }
  return false;
}

std::shared_ptr<TIWApplication> TIWServerController::NewSession(const THTTPRequest* ARequest) {
  const std::string address = ARequest ? ARequest->RemoteAddr : std::string();
  std::vector<std::shared_ptr<TIWApplication>> gone;  // freed after the lock is released
  {
    std::lock_guard<std::mutex> g(sessionsLock_);
    if (MaxSessionsPerAddress && !address.empty()) {
      auto a = perAddress_.find(address);
      if (a != perAddress_.end() && a->second >= MaxSessionsPerAddress) return nullptr;
    }
    if (sessions_.size() >= MaxSessions && !EvictAnonymous(gone)) return nullptr;
  }
  gone.clear();
  auto app = MakeSession(this, SecureRandomHex(16), SecureRandomHex(16));
  app->Touch(Now());
  app->SetRemoteAddress(address);
  if (ARequest) app->SetBrowser(TBrowser::FromUserAgent(ARequest->UserAgent()));
  if (mainFormFactory_) {
    TIWThreadSessionSwitch sw(app.get());
    TIWAppForm* form = mainFormFactory_(*app);
    if (form && !app->GetActiveForm()) app->SetActiveForm(form);
  }
  std::lock_guard<std::mutex> g(sessionsLock_);
  // The table may have filled while the form was made.
  while (sessions_.size() >= MaxSessions && EvictAnonymous(gone)) {
  }
  if (sessions_.size() >= MaxSessions) return nullptr;
  sessions_[app->AppID()] = app;
  ++perAddress_[address];
  newSessions_.push_back(app);
  // Entries of sessions that ended or made a callback are dropped now and
  // then, so that the queue stays as long as the table at most.
  if (newSessions_.size() > 2 * sessions_.size() + 16) {
    std::deque<std::weak_ptr<TIWApplication>> keep;
    for (auto& w : newSessions_)
      if (auto a = w.lock(); a && !a->Engaged()) keep.push_back(w);
    newSessions_.swap(keep);
  }
  return app;
}

std::shared_ptr<TIWApplication> TIWServerController::FindSession(std::string_view AppID) {
  std::shared_ptr<TIWApplication> gone;  // freed after the list lock is released
  std::lock_guard<std::mutex> g(sessionsLock_);
  auto it = sessions_.find(AppID);
  if (it == sessions_.end()) return nullptr;
  if (Now() - it->second->LastAccess() > SessionTimeout) {
    gone = Unlist(it);
    return nullptr;
  }
  return it->second;
}

size_t TIWServerController::SessionCount() const {
  std::lock_guard<std::mutex> g(sessionsLock_);
  return sessions_.size();
}

size_t TIWServerController::ExpireSessions() {
  std::vector<std::shared_ptr<TIWApplication>> gone;
  {
    std::lock_guard<std::mutex> g(sessionsLock_);
    auto now = Now();
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      if (now - it->second->LastAccess() > SessionTimeout) {
        gone.push_back(Unlist(it++));
      } else {
        ++it;
      }
    }
  }
  return gone.size();  // the sessions end here, outside the lock (or with their last request)
}

void TIWServerController::EndSession(std::string_view AppID) {
  std::shared_ptr<TIWApplication> gone;
  std::lock_guard<std::mutex> g(sessionsLock_);
  auto it = sessions_.find(AppID);
  if (it != sessions_.end()) gone = Unlist(it);
}

void TIWServerController::EndAllSessions() {
  TSessionMap gone;
  std::lock_guard<std::mutex> g(sessionsLock_);
  gone.swap(sessions_);
  perAddress_.clear();
  newSessions_.clear();
}

std::shared_ptr<TIWApplication> TIWServerController::SessionOf(const THTTPRequest& req,
                                                               bool* expired) {
  std::string id = req.GetCookie(kSessionCookie);
  *expired = false;
  if (id.empty()) return nullptr;
  auto app = FindSession(id);
  if (!app) *expired = true;
  return app;
}

void TIWServerController::SetSessionCookie(THTTPReply& reply, const TIWApplication& app) const {
  THTTPCookie c(kSessionCookie, app.AppID(), "/");
  c.HttpOnly = true;
  c.SameSite = "Lax";
  c.Secure = BehindTLS;
  for (auto& existing : reply.Cookies())
    if (existing.Name == kSessionCookie) {
      existing = c;
      return;
    }
  reply.Cookies().push_back(c);
}

bool TIWServerController::CheckToken(const THTTPRequest& req, THTTPReply& reply,
                                     TIWApplication& app) {
  std::string sent = req.ContentFields().Get(kTokenField);
  if (sent.empty()) sent = req.GetHeader(kTokenHeader);
  if (!sent.empty() && ConstantTimeEquals(sent, app.Token())) {
    app.SetEngaged();
    return true;
  }
  SetErrorReply(reply, 403, "Invalid or missing session token");
  return false;
}

namespace {

// Hands every posted value to the input control it belongs to.
void DeliverInputs(TIWAppForm& form, const THTTPRequest& req) {
  std::vector<IIWInputControl*> inputs;
  for (TIWBaseHTML40Component* c : form.AllComponents())
    if (auto* in = dynamic_cast<IIWInputControl*>(c)) inputs.push_back(in);
  if (inputs.empty()) return;
  for (const auto& [name, value] : req.ContentFields().Items())
    for (IIWInputControl* in : inputs)
      if (in->IsForThisControl(name)) in->SetValueByName(name, value);
  for (const auto& file : req.Files())
    for (IIWInputControl* in : inputs)
      if (in->IsForThisControl(file.FieldName)) in->SetFileValue(file);
}

// Asks every component of the form whether it takes part in the callback
// response, takes its part and resets it.
void RefreshCycle(TIWAppForm& form, TIWApplication& app) {
  TIWPageContext40 page(&app, &form);
  TIWContainerContext cc(&form, &page);
  form.SetPageContext(&page);
  struct Reset {
    TIWAppForm& f;
    ~Reset() { f.SetPageContext(nullptr); }
  } reset{form};
  for (TIWBaseHTML40Component* c : form.AllComponents()) {
    if (!c->GetDoRefreshControl()) continue;
    TIWCompContext* ctx = cc.AddComponent(c);
    if (auto tag = c->RenderAsyncComponent(*ctx)) {
      app.CallBackResponse().AddControlTag(std::move(tag));
    } else if (dynamic_cast<TIWBaseControl*>(c) && !dynamic_cast<IIWBaseContainer*>(c)) {
      // A plain control sends its new outer HTML.
      if (auto html = c->RenderMarkupLanguageTag(*ctx)) {
        if (!c->GetVisible())
          html->AddStringParam("style", "visibility: hidden; " + html->GetParam("style"));
        app.CallBackResponse().AddUpdate(c->HTMLName(), html->RenderToString());
      }
      c->RenderScripts(*ctx);
    }
    c->SetDoRefreshControl(false);
  }
  // Script the refreshed controls gave their contexts.
  std::string js = page.GetJavaScript();
  for (const std::string* part : std::initializer_list<const std::string*>{
           &js, &page.GetIWCLInitProc(), &page.GetInitProc(), &page.GetInitProcDoLastCode(),
           &page.GetOnReadyProc()})
    app.CallBackResponse().AddJavaScriptToExecute(*part);
}

}  // namespace

bool TIWServerController::IsPagePath(const std::string& path) const {
  return path == "/";
}

void TIWServerController::HandleRequest(THTTPRequest& req, THTTPReply& reply) {
  HandleRequestInner(req, reply);
  // Every reply: browsers take the content type as given, never guess.
  reply.SetHeader("X-Content-Type-Options", "nosniff");
}

void TIWServerController::HandleRequestInner(THTTPRequest& req, THTTPReply& reply) {
  TIWRequestScope outer(nullptr, &req, &reply);
  Owned<TIWHTTPRequestInfo> info(Create<TIWHTTPRequestInfo>(&req));
  try {
    if (req.URL.size() > MaxURLLength) return SetErrorReply(reply, 414, "Request URL too long");
    // The path, without the URL base.
    std::string rawPath = req.URL.substr(0, req.URL.find('?'));
    std::string base = URLBase;
    while (!base.empty() && base.back() == '/') base.pop_back();
    base += ScriptName;
    bool handlerPath = false;
    {
      std::string p = HTTPDecode(rawPath);
      if (!base.empty() && StartsWith(p, base)) p = p.substr(base.size());
      handlerPath = !handlers_.Match(p).empty();
    }
    size_t limit = handlerPath ? MaxUploadSize : MaxRequestSize;
    if (req.Content.size() > limit) return SetErrorReply(reply, 413, "Request body too large");
    // A body the server has not read yet: content handlers read it as it
    // streams; pages and callbacks take it whole (within their limit).
    if (!handlerPath && req.BodyPending()) {
      try {
        req.ReadContent(limit);
      } catch (const EHTTPBodyError& e) {
        return SetErrorReply(reply, e.Code(),
                             e.Code() == 413 ? "Request body too large" : e.what());
      }
    }
    // A content parser may take the body (an upload): the controller's own,
    // or one registered with the host (host/http.h), whose bodies yield no
    // form fields and no files. The URL and cookies are read in any case.
    bool bodyTaken = (contentParser_ && contentParser_(req)) || ContentParserClaims(req);
    {
      std::string err;
      if (!req.Parse(MaxFields, &err, !bodyTaken)) return SetErrorReply(reply, 400, err);
    }
    std::string path = req.PathInfo();
    if (!base.empty()) {
      if (path == base)
        path = "/";
      else if (StartsWith(path, base + "/"))
        path = path.substr(base.size());
    }
    {
      auto now = Now();
      auto last = lastSweep_.load();
      if (now - last > std::chrono::seconds(30) && lastSweep_.compare_exchange_strong(last, now))
        ExpireSessions();
    }
    if (path == kCallbackPath) return ServeCallback(req, reply);
    const bool handlerPassed = handlerPath;  // a handler saw the path and passed it on
    if (ServeContentHandler(req, reply, path)) return;
    if ((req.Method == "GET" || req.Method == "HEAD") && ServeStaticFile(req, reply, path)) return;
    // Only the application's pages make or find a session: other paths are
    // not found, and cost nothing.
    // A path a content handler passed on is a page the application vouches
    // for (e.g. one of several page URLs).
    if (!IsPagePath(path) && !handlerPassed) return SetErrorReply(reply, 404, "Not found");
    if (req.Method != "GET" && req.Method != "POST" && req.Method != "HEAD")
      return SetErrorReply(reply, 405, "Method not allowed");
    if (req.BodyPending()) {
      // A page under a handler prefix: the handlers passed, the page takes
      // the body whole, within the page limit.
      try {
        req.ReadContent(MaxRequestSize);
      } catch (const EHTTPBodyError& e) {
        return SetErrorReply(reply, e.Code(),
                             e.Code() == 413 ? "Request body too large" : e.what());
      }
      std::string err;
      if (!req.Parse(MaxFields, &err)) return SetErrorReply(reply, 400, err);
    }
    bool expired = false;
    auto app = SessionOf(req, &expired);
    bool submit = req.Method == "POST";
    if (!app) {
      // A page request without a live session starts a new one; a submit on
      // an expired session gets a fresh page and changes nothing.
      app = NewSession(&req);
      if (!app) return SetErrorReply(reply, 503, "Too many sessions");
      submit = false;
    }
    ServePage(req, reply, app, submit);
  } catch (const std::exception& e) {
    SetErrorReply(reply, 500, e.what());
  }
}

void TIWServerController::ServePage(THTTPRequest& req, THTTPReply& reply,
                                    std::shared_ptr<TIWApplication> app, bool submit) {
  SessionLock lock(*app);
  if (!lock.Acquire(SessionLockTimeout))
    return SetErrorReply(reply, 503, "Server busy, please retry");
  TIWRequestScope scope(app.get(), &req, &reply);
  app->SetIsCallBack(false);
  TIWAppForm* form = app->GetActiveForm();
  if (submit) {
    // A wrong token changes nothing, not even the idle time.
    if (!CheckToken(req, reply, *app)) return;
    if (form) {
      DeliverInputs(*form, req);
      std::string submitter = req.ContentFields().Get("ZQ_SUBMITTER");
      if (auto* c = form->FindByHTMLName(submitter))
        if (auto* s = dynamic_cast<IIWSubmitControl*>(c))
          s->Submit(req.ContentFields().Get("ZQ_SUBMITPARAM"));
    }
    form = app->GetActiveForm();
  }
  app->Touch(Now());
  SetSessionCookie(reply, *app);
  reply.SetHeader("Cache-Control", "no-store");
  if (!form) return SetErrorReply(reply, 500, "The application has no form to show");
  std::string html = form->RenderPage();
  reply.SetCode(200);
  reply.SetContentType("text/html; charset=utf-8");
  if (req.Method != "HEAD") reply.SetBody(std::move(html));
}

void TIWServerController::ServeCallback(THTTPRequest& req, THTTPReply& reply) {
  auto xmlError = [&](int code, const std::string& message) {
    reply.ResetReplyType();
    reply.SetCode(code);
    reply.SetContentType("text/xml; charset=utf-8");
    reply.SetHeader("Cache-Control", "no-store");
    reply.SetBody(TIWCallBackResponse::RenderError(message));
  };
  if (req.Method != "POST") return SetErrorReply(reply, 405, "Callbacks are posted");
  bool expired = false;
  auto app = SessionOf(req, &expired);
  if (!app) {
    reply.SetCode(410);
    reply.SetContentType("text/xml; charset=utf-8");
    reply.SetHeader("Cache-Control", "no-store");
    reply.SetBody(TIWCallBackResponse::RenderExpired());
    return;
  }
  SessionLock lock(*app);
  if (!lock.Acquire(SessionLockTimeout)) return xmlError(503, "Server busy, please retry");
  TIWRequestScope scope(app.get(), &req, &reply);
  if (!CheckToken(req, reply, *app)) return;  // changes nothing, not even the idle time
  app->Touch(Now());
  TIWAppForm* form = app->GetActiveForm();
  if (!form) return xmlError(500, "The application has no active form");
  std::string name = req.QueryFields().Get("callback");
  TIWCallback* cb = app->CallBacks().Find(app->CallBacks().QualifiedName(name));
  if (!cb) return xmlError(404, "Unknown callback \"" + name + "\"");
  app->SetIsCallBack(true);
  app->SetCallBackProcessing(true);
  app->CallBackResponse().Clear();
  try {
    DeliverInputs(*form, req);
    TStringList params;
    for (const auto& [n, v] : req.QueryFields().Items())
      if (n != "callback") params.Add(n + "=" + v);
    for (const auto& [n, v] : req.ContentFields().Items())
      if (n != kTokenField) params.Add(n + "=" + v);
    TIWCallbackHandler handler = cb->Handler();  // a handler may re-register itself
    if (handler) handler(params);
    TIWAppForm* now = app->GetActiveForm();
    if (now == form) {
      RefreshCycle(*form, *app);
    } else {
      // Another form is shown: the page is loaded again.
      app->CallBackResponse().AddJavaScriptToExecute("window.location.reload();");
    }
    app->CallBackResponse().AddJavaScriptToExecute(app->TakeMessageScript());
  } catch (const std::exception& e) {
    return xmlError(500, e.what());
  }
  reply.SetCode(200);
  reply.SetContentType("text/xml; charset=utf-8");
  reply.SetHeader("Cache-Control", "no-store");
  reply.SetBody(app->CallBackResponse().Render());
}

bool TIWServerController::ServeContentHandler(THTTPRequest& req, THTTPReply& reply,
                                              const std::string& path) {
  auto handlers = handlers_.Match(path);
  if (handlers.empty()) return false;
  bool expired = false;
  auto app = SessionOf(req, &expired);
  TIWRequestScope scope(app.get(), &req, &reply);
  if (app) app->Touch(Now());
  for (auto& h : handlers) {
    if (h->FileMustExist) {
      std::filesystem::path f = std::filesystem::path(ContentPath) / path.substr(1);
      std::error_code ec;
      if (path.find("..") != std::string::npos || !std::filesystem::is_regular_file(f, ec))
        continue;
    }
    if (h->Execute(req, reply, path, app.get())) return true;
  }
  return false;
}

bool TIWServerController::ServeStaticFile(THTTPRequest& req, THTTPReply& reply,
                                          const std::string& path) {
  if (path.empty() || path == "/" || path[0] != '/') return false;
  // No parent references, no hidden files, no backslashes or NULs.
  std::string rel = path.substr(1);
  if (rel.find('\\') != std::string::npos || rel.find('\0') != std::string::npos) return false;
  std::stringstream parts(rel);
  std::string part;
  bool first = true;
  while (std::getline(parts, part, '/')) {
    if (part.empty() || part[0] == '.') return false;
    // The web root also holds its package manifest, the installed packages and
    // its set-up script: those are build inputs, not client files.
    if (first && part == "node_modules") return false;
    first = false;
  }
  if (part == "package.json" || part == "package-lock.json" ||
      (part.size() > 3 && part.compare(part.size() - 3, 3, ".sh") == 0))
    return false;
  // The file as it really is, links resolved: it must lie inside the web
  // root (itself resolved), so that no link leads out of it.
  std::error_code ec;
  const std::filesystem::path root = std::filesystem::canonical(ContentPath, ec);
  if (ec) return false;
  const std::filesystem::path file = std::filesystem::canonical(root / rel, ec);
  if (ec) return false;
  {
    const std::string r = root.string(), f = file.string();
    if (f.size() <= r.size() || f.compare(0, r.size(), r) != 0 ||
        (r.back() != '/' && f[r.size()] != '/'))
      return false;
  }
  if (!std::filesystem::is_regular_file(file, ec)) return false;
  const uint64_t size = std::filesystem::file_size(file, ec);
  if (ec) return false;
  auto mtime = std::filesystem::last_write_time(file, ec);
  if (ec) return false;
  auto sysTime =
      std::chrono::time_point_cast<std::chrono::seconds>(std::chrono::file_clock::to_sys(mtime));
  reply.SetContentType(mimeTypes_.TypeOf(rel));
  reply.SetHeader("Accept-Ranges", "bytes");
  if (req.QueryFields().Has("v")) {
    // A versioned URL names one content for good.
    reply.SetHeader("Cache-Control", "public, max-age=31536000, immutable");
  } else {
    // Others are checked on every use: Last-Modified and ETag, 304 when unchanged.
    const std::string etag =
        Format("\"%llx-%llx\"", static_cast<unsigned long long>(size),
               static_cast<unsigned long long>(sysTime.time_since_epoch().count()));
    reply.SetHeader("Cache-Control", "no-cache");
    reply.SetHeader("Last-Modified", HTTPDate(sysTime));
    reply.SetHeader("ETag", etag);
    const std::string match = req.GetHeader("If-None-Match");
    bool fresh = false;
    if (!match.empty()) {
      fresh = match == "*" || match.find(etag) != std::string::npos;
    } else if (auto since = ParseHTTPDate(req.GetHeader("If-Modified-Since"))) {
      fresh = sysTime <= *since;
    }
    if (fresh) {
      reply.SetCode(304);
      return true;
    }
  }
  // One byte range is answered with 206; anything else (several ranges, an
  // If-Range, a syntax this does not know) is ignored and the whole file sent.
  uint64_t offset = 0, length = size;
  const std::string range = req.GetHeader("Range");
  if (!range.empty() && req.GetHeader("If-Range").empty()) {
    if (auto r = ParseByteRange(range, size)) {
      if (r->first >= size) {
        SetErrorReply(reply, 416, "Range not satisfiable");
        reply.SetHeader("Content-Range", "bytes */" + std::to_string(size));
        return true;
      }
      offset = r->first;
      length = r->second - r->first + 1;
      reply.SetCode(206);
      reply.SetHeader("Content-Range", "bytes " + std::to_string(offset) + "-" +
                                           std::to_string(r->second) + "/" + std::to_string(size));
      // A part is never cached as if it were the file.
      reply.SetHeader("Cache-Control", "no-store");
    }
  }
  try {
    reply.SendFile(file.string(), offset, length);
  } catch (const Exception&) {
    reply.ResetReplyType();
    return false;
  }
  if (reply.Code() != 206) reply.SetCode(200);
  return true;
}

}  // namespace zq
