// The server controller: the host's settings, its session list, its content
// handlers and MIME types, and HandleRequest, the one transport-neutral entry
// point that answers every request (pages, callbacks, submits, content
// handlers, static files). The embedded HTTP server only turns its wire
// requests into THTTPRequest objects and writes the THTTPReply back.
//
// HandleRequest may be called from several threads at once: the session list
// is guarded, and requests of one session are served one at a time under the
// session lock. See docs/protocol.md for the wire contract.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/component.h"

namespace zq {

class TIWAppForm;
class TIWApplication;
class THTTPReply;
class THTTPRequest;

// A handler for requests under a path prefix (out-of-band requests). Execute
// writes the reply and returns true when it handled the request; false lets
// the host go on (other handlers, static files, the page). It runs with the
// request's session (from the cookie, or none) as the thread's session but
// without the session lock: a handler that touches the session takes it.
class TContentBase {
 public:
  virtual ~TContentBase() = default;
  virtual bool Execute(THTTPRequest& ARequest, THTTPReply& AReply, const std::string& APathName,
                       TIWApplication* ASession) = 0;
  // Whether a file of the requested name must exist in the content folder.
  bool FileMustExist = false;
};

// Content handlers by path prefix.
class THandlers {
 public:
  // Registers a handler for the prefix (e.g. "/IWZQJQ/") and, optionally, a
  // file name under it. Returns the handler.
  TContentBase* Add(std::string_view APath, std::string_view AFileName,
                    std::unique_ptr<TContentBase> AHandler);
  // Removes (and frees) a handler; requests already running keep it alive.
  void Remove(TContentBase* AHandler);
  // The handlers whose prefix the path starts with, longest prefix first.
  std::vector<std::shared_ptr<TContentBase>> Match(std::string_view APath) const;
  size_t Count() const;

 private:
  struct Entry {
    std::string path, file;
    std::shared_ptr<TContentBase> handler;
  };
  mutable std::mutex lock_;
  std::vector<Entry> entries_;
};

// File extension (".css") to MIME type.
class TMimeTypes {
 public:
  TMimeTypes();
  void Register(std::string_view AExt, std::string_view AType);
  // The type of a file name by its extension; "application/octet-stream" when unknown.
  std::string TypeOf(std::string_view AFileName) const;

 private:
  mutable std::mutex lock_;
  std::map<std::string, std::string> types_;
};

// The per-request object of the stand-alone server: the controller makes one
// (with zq::Create) for every request it handles, before anything else of the
// request runs, and frees it when the request ends. Layers above the host reach
// the request through this class's class events (foundation/classevents.h).
class TIWHTTPRequestInfo : public TObject {
  ZQ_CLASS(TIWHTTPRequestInfo, TObject)
 public:
  explicit TIWHTTPRequestInfo(THTTPRequest* ARequest = nullptr) : FRequest(ARequest) {}
  THTTPRequest* GetRequest() const { return FRequest; }

 private:
  THTTPRequest* FRequest;
};

class TIWServerController : public TComponent {
  ZQ_CLASS(TIWServerController, TComponent)
 public:
  // The first controller made becomes gServerController.
  explicit TIWServerController(TComponent* AOwner = nullptr);
  ~TIWServerController() override;

  // Settings; set them before serving requests.
  std::string URLBase;           // path prefix of the application, "" or "/app"
  bool JavaScriptDebug = false;  // multi-line scripts, plain (not minified) files
  // The host framework's version text (GetVersion); library code reads its
  // feature level from it ("12." + level).
  std::string Version = "12.2.14";
  // The "?v=" of the files the host links (the runtime, jQuery); change it
  // with every release of the web root so that browsers fetch the new files.
  std::string FileVersion = "1.0.0";
  std::string ContentPath = "webroot";  // web root, static files
  std::string CacheDir = "cache";
  bool SessionInURL = false;  // never used by this host: sessions travel in a cookie
  std::string ScriptName;
  std::chrono::seconds SessionTimeout{20 * 60};
  std::chrono::milliseconds SessionLockTimeout{30000};
  size_t MaxRequestSize = 8 * 1024 * 1024;  // bodies of pages, callbacks and submits
  size_t MaxUploadSize = 64 * 1024 * 1024;  // bodies sent to content handlers
  size_t MaxURLLength = 8192;
  size_t MaxFields = 10000;
  size_t MaxSessions = 10000;
  // Sessions one client address may hold; 0: no quota.
  size_t MaxSessionsPerAddress = 0;
  // The server runs behind TLS (a proxy that terminates it): the session
  // cookie is marked Secure.
  bool BehindTLS = false;
  std::string GetVersion() const { return Version; }

  // The application's main form, made for every new session.
  using TMainFormFactory = std::function<TIWAppForm*(TIWApplication&)>;
  void SetMainFormFactory(TMainFormFactory f) { mainFormFactory_ = std::move(f); }

  // Hook for request bodies the host does not parse itself (e.g. uploads):
  // called before the built-in parsing; returning true skips it.
  using TContentParser = std::function<bool(THTTPRequest&)>;
  void SetContentParser(TContentParser p) { contentParser_ = std::move(p); }

  THandlers& Handlers() { return handlers_; }
  TMimeTypes& MimeTypes() { return mimeTypes_; }

  // Sessions.
  std::shared_ptr<TIWApplication> NewSession(const THTTPRequest* ARequest = nullptr);
  // The live session of that ID (its idle time not over), or none.
  std::shared_ptr<TIWApplication> FindSession(std::string_view AppID);
  size_t SessionCount() const;
  // Ends sessions idle longer than SessionTimeout; returns how many ended.
  size_t ExpireSessions();
  void EndSession(std::string_view AppID);
  void EndAllSessions();

  // The clock used for idle times (replaceable for tests).
  using TClock = std::function<std::chrono::steady_clock::time_point()>;
  void SetClock(TClock c) { clock_ = std::move(c); }
  std::chrono::steady_clock::time_point Now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
  }

  // URLs: URLBase + "/" + file + "?v=" + FileVersion; the callback endpoint.
  std::string FileURL(std::string_view AFile) const;
  std::string CallbackURL() const;

  // Answers a request (see the file comment).
  void HandleRequest(THTTPRequest& ARequest, THTTPReply& AReply);

 private:
  void ServePage(THTTPRequest& req, THTTPReply& reply, std::shared_ptr<TIWApplication> app,
                 bool submit);
  void ServeCallback(THTTPRequest& req, THTTPReply& reply);
  bool ServeContentHandler(THTTPRequest& req, THTTPReply& reply, const std::string& path);
  bool ServeStaticFile(THTTPRequest& req, THTTPReply& reply, const std::string& path);
  bool CheckToken(const THTTPRequest& req, THTTPReply& reply, TIWApplication& app);
  std::shared_ptr<TIWApplication> SessionOf(const THTTPRequest& req, bool* expired);
  bool IsPagePath(const std::string& path) const;
  void HandleRequestInner(THTTPRequest& req, THTTPReply& reply);
  using TSessionMap = std::map<std::string, std::shared_ptr<TIWApplication>, std::less<>>;
  // Takes a session out of the table (sessionsLock_ held); returns it so that
  // it is freed after the lock is released.
  std::shared_ptr<TIWApplication> Unlist(TSessionMap::iterator it);
  // Makes room for one session when the table is full (sessionsLock_ held):
  // the oldest session that never made a callback goes. False when none can.
  bool EvictAnonymous(std::vector<std::shared_ptr<TIWApplication>>& gone);
  void SetSessionCookie(THTTPReply& reply, const TIWApplication& app) const;

  TMainFormFactory mainFormFactory_;
  TContentParser contentParser_;
  THandlers handlers_;
  TMimeTypes mimeTypes_;
  TClock clock_;
  mutable std::mutex sessionsLock_;
  TSessionMap sessions_;
  std::deque<std::weak_ptr<TIWApplication>> newSessions_;  // in order of creation
  std::map<std::string, size_t, std::less<>> perAddress_;
  std::atomic<std::chrono::steady_clock::time_point> lastSweep_{};
};

// The process's server controller (none before one is made).
extern TIWServerController* gServerController;

// The reply to a failed request: status, text/plain body with the message.
void SetErrorReply(THTTPReply& AReply, int ACode, std::string_view AMessage);

}  // namespace zq
