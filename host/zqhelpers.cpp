#include "host/zqhelpers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "foundation/asciicase.h"
#include "foundation/format.h"
#include "foundation/mimetypes.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/context.h"
#include "host/controls.h"
#include "foundation/html.h"
#include "host/http.h"
#include "host/servercontroller.h"

namespace zq {

namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Every "//" replaced by "/" until none is left (runs of slashes become one).
std::string CollapseSlashes(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (!(c == '/' && !r.empty() && r.back() == '/')) r.push_back(c);
  return r;
}

}  // namespace

// ---------------------------------------------------------------- debug switch

bool ZQJavascriptDebug() { return gServerController && gServerController->JavaScriptDebug; }
bool JSonIdent() { return ZQJavascriptDebug(); }
std::string JQIdent(int level) {
  return ZQJavascriptDebug() && level > 0 ? std::string(static_cast<size_t>(2 * level), ' ') : std::string();
}
std::string ZQIfDebug(std::string_view text) { return ZQJavascriptDebug() ? std::string(text) : std::string(); }

// ---------------------------------------------------------------- colours, cursors

int ZQColorToColor(std::string_view text) {
  std::string t = ZQTrim(text);
  if (t.empty()) return clNone;
  if (t[0] == '#') {
    std::string_view digits = std::string_view(t).substr(1);
    unsigned rgb = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), rgb, 16);
    if (digits.size() != 6 || ec != std::errc() || end != digits.data() + digits.size() ||
        digits.find_first_of("+-") != std::string_view::npos)
      return clNone;
    unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return static_cast<int>(r | (g << 8) | (b << 16));
  }
  return StringToIWColor(t);
}

std::string ColorToZQColor(int color) {
  if (color == clNone) return {};
  std::string hex = LowerAscii(Format("%0.6x", static_cast<unsigned>(color) & 0xFFFFFFu));
  // 0x00BBGGRR is written bbggrr: swap the first and third pairs.
  std::string r = "#";
  r.append(hex, 4, 2).append(hex, 2, 2).append(hex, 0, 2);
  return r;
}

std::string ZQCursorToStringByOrdinal(int ordinal, bool autoAsText) {
  static const char* const kNames[] = {"",         "crosshair", "default",  "pointer",  "move",     "e-resize",
                                       "ne-resize", "nw-resize", "n-resize", "se-resize", "sw-resize", "s-resize",
                                       "w-resize", "text",      "wait",     "pointer",  "help"};
  if (ordinal == 0) return autoAsText ? "auto" : "";
  if (ordinal < 0 || ordinal > 16) return "auto";
  return kNames[ordinal];
}

std::string ZQCursorToString(TIWCursor cursor, bool autoAsText) {
  return ZQCursorToStringByOrdinal(static_cast<int>(cursor), autoAsText);
}

std::string ZQCursorToCss(TIWCursor cursor, bool autoAsText) {
  return Format("cursor: %s;", ZQCursorToString(cursor, autoAsText));
}

// ---------------------------------------------------------------- tags, names

std::string ZQTagToString(const TIWHTMLTag& tag) {
  TIWRenderStream stream;
  tag.Render(stream);
  return stream.Extract();
}

void ZQAddStyle(TIWCompContext& context, std::string_view style) {
  if (context.PageContext()) context.PageContext()->AddStyle(style);
}

std::string GetUniqueCacheName(const TComponent* component, std::string_view suffix) {
  std::string result;
  for (const TComponent* c = component; c && !dynamic_cast<const TIWApplication*>(c); c = c->Owner()) {
    std::string part;
    if (auto* cache = dynamic_cast<const IIWZQCache*>(c)) {
      part = cache->GetCacheID();
      if (!part.empty() && part[0] == '{') part.erase(0, 1);
      size_t close = part.find('}');
      if (close != std::string::npos) part.erase(close, 1);
    } else {
      part = c->GetName();
    }
    if (part.empty()) part = "INSTANCE" + std::to_string(reinterpret_cast<std::uintptr_t>(c));
    result = result.empty() ? part : part + "_" + result;
  }
  if (!suffix.empty()) {
    result += '_';
    result += suffix;
  }
  for (char& ch : result) {
    bool ok = ch == '-' || ch == '_' || (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    if (!ok) ch = '_';
  }
  return result;
}

namespace {
std::mutex gResolverLock;
std::vector<std::pair<int, TZQHTMLNameResolver>>& Resolvers() {
  static std::vector<std::pair<int, TZQHTMLNameResolver>> r;
  return r;
}
int gNextResolver = 1;
}  // namespace

int ZQRegisterHTMLNameResolver(TZQHTMLNameResolver resolver) {
  std::lock_guard<std::mutex> g(gResolverLock);
  Resolvers().emplace_back(gNextResolver, std::move(resolver));
  return gNextResolver++;
}

void ZQUnregisterHTMLNameResolver(int id) {
  std::lock_guard<std::mutex> g(gResolverLock);
  auto& r = Resolvers();
  r.erase(std::remove_if(r.begin(), r.end(), [id](const auto& e) { return e.first == id; }), r.end());
}

std::string ZQGetCtrlHTMLName(const TObject* control) {
  if (!control) return {};
  std::vector<std::pair<int, TZQHTMLNameResolver>> copy;
  {
    std::lock_guard<std::mutex> g(gResolverLock);
    copy = Resolvers();
  }
  std::string name;
  for (const auto& [id, resolve] : copy)
    if (resolve(control, name)) return name;
  if (auto* html = dynamic_cast<const IIWBaseHTMLComponent*>(control)) return html->HTMLName();
  return {};
}

std::string ParseScript(const TComponent* owner, std::string_view script) {
  std::string s(script);
  size_t p = s.find("<#");
  while (p != std::string::npos) {
    size_t close = s.find("#>", p + 2);
    if (close == std::string::npos) {
      close = s.size();
      s += "#>";
    }
    std::string name = s.substr(p + 2, close - p - 2);
    if (owner) {
      TComponent* c = owner->FindComponent(name);
      if (c && dynamic_cast<IIWBaseHTMLComponent*>(c)) name = ZQGetCtrlHTMLName(c);
    }
    s.replace(p, close + 2 - p, "\"#" + name + "\"");
    p = s.find("<#", p + 1);
  }
  return s;
}

bool ZQGetParentNoFormTag(const TIWBaseControl* control) {
  for (const TIWBaseControl* c = control ? control->Parent() : nullptr; c; c = c->Parent()) {
    if (auto* form = dynamic_cast<const TIWAppForm*>(c)) {
      auto* tp = dynamic_cast<const TIWTemplateProcessorHTML*>(&const_cast<TIWAppForm*>(form)->LayoutMgr());
      if (tp && tp->GetFormTag()) return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- per-thread state

namespace {
thread_local THTTPRequest* tWebRequest = nullptr;
thread_local THTTPReply* tWebResponse = nullptr;
thread_local THTTPRequest* tRequestInfo = nullptr;
thread_local bool tLoadIWCLProcOnReady = false;
thread_local bool tIsMobile = false;

// Registered on first use (not during static initialisation), so every
// request scope clears these on entry and exit.
void EnsureThreadReset() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterThreadStateReset([] {
      tWebRequest = nullptr;
      tWebResponse = nullptr;
      tLoadIWCLProcOnReady = false;
      tIsMobile = false;
    });
  });
}
}  // namespace

void SetCurrentThreadWebRequest(THTTPRequest* request) {
  EnsureThreadReset();
  tWebRequest = request;
}
THTTPRequest* GetCurrentThreadWebRequest() { return tWebRequest; }
void SetCurrentThreadWebResponse(THTTPReply* reply) {
  EnsureThreadReset();
  tWebResponse = reply;
}
THTTPReply* GetCurrentThreadWebResponse() { return tWebResponse; }
void SetCurrentHTTPRequestInfo(THTTPRequest* request) {
  EnsureThreadReset();
  tRequestInfo = request;
}
THTTPRequest* CurrentHTTPRequestInfo() { return tRequestInfo; }
void SetZQLoadIWCLProcOnReady(bool flag) {
  EnsureThreadReset();
  tLoadIWCLProcOnReady = flag;
}
bool GetZQLoadIWCLProcOnReady() { return tLoadIWCLProcOnReady; }
void SetZQIsMobile(bool flag) {
  EnsureThreadReset();
  tIsMobile = flag;
}
bool GetZQIsMobile() { return tIsMobile; }

// ---------------------------------------------------------------- requests, URLs

bool ZQRunsAsLibraryModule = false;

namespace {
const THTTPFields& RequestFields(const THTTPRequest& r) { return r.Params(); }
}  // namespace

void ZQGetRequestList(const THTTPRequest& request, TStringList& into, bool caseSensitive) {
  into.Clear();
  into.SetCaseSensitive(caseSensitive);
  for (const auto& [name, value] : RequestFields(request).Items()) into.Add(name + "=" + value);
}

std::string ZQGetRequestField(const THTTPRequest& request, std::string_view name, bool caseSensitive) {
  for (const auto& [n, v] : RequestFields(request).Items())
    if (caseSensitive ? n == name : SameTextAscii(n, name)) return v;
  return {};
}

void ZQSetRequestField(THTTPRequest& request, std::string_view name, const std::string& value, bool caseSensitive) {
  // A non-POST request's fields are its query fields, which the request
  // exposes read-only; the request object itself is not const.
  THTTPFields& fields = request.Method == "POST" ? request.ContentFields()
                                                 : const_cast<THTTPFields&>(request.QueryFields());
  THTTPFields copy(fields.CaseSensitive());
  bool done = false;
  for (const auto& [n, v] : fields.Items()) {
    bool match = !done && (caseSensitive ? n == name : SameTextAscii(n, name));
    copy.Add(n, match ? value : v);
    done = done || match;
  }
  if (!done) copy.Add(std::string(name), value);
  fields = copy;
}

std::string ZQGetRequestFullUrl(std::string_view url, std::string_view host, std::string_view scriptName, int port,
                                int defaultPort, std::string_view path) {
  std::string prefix = "http://";
  size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) prefix = std::string(url.substr(0, scheme + 3));
  if (port == 0) port = defaultPort;
  std::string h(host);
  // The port's colon: after the closing bracket of an IPv6 literal.
  size_t from = 0;
  if (!h.empty() && h[0] == '[') {
    size_t close = h.find(']');
    from = close == std::string::npos ? h.size() : close + 1;
  }
  size_t colon = h.find(':', from);
  if (colon == std::string::npos) {
    h += ':';
    h += std::to_string(port);
  } else {
    size_t end = colon + 1;
    while (end < h.size() && std::isdigit(static_cast<unsigned char>(h[end]))) ++end;
    h.replace(colon + 1, end - colon - 1, std::to_string(port));
  }
  std::string result = prefix + h;
  if (ZQRunsAsLibraryModule) result += scriptName;
  result = IncludeURLPathDelimiter(result);
  if (!path.empty() && path[0] == '/') path.remove_prefix(1);  // no "//" after the delimiter
  return result + std::string(path);
}

std::string ZQGetRequestFullUrl(const THTTPRequest* request, std::string_view path, int port) {
  if (!request) return {};
  return ZQGetRequestFullUrl(request->URL, request->Host, request->ScriptName, port, request->ServerPort, path);
}

bool ZQIsHttpLink(std::string_view text) {
  std::string l = LowerAscii(text.substr(0, 8));
  return StartsWith(l, "http://") || StartsWith(l, "https://");
}

std::string ZQCheckRelativePath(std::string_view path) {
  if (ZQIsHttpLink(path)) return std::string(path);
  std::string r(path);
  if (TIWApplication* app = gGetWebApplicationThreadVar()) r = app->URLBase() + "/" + r;
  return CollapseSlashes(r);
}

std::string ZQRemoveSlash(std::string_view path) {
  if (!path.empty() && path[0] == '/') path.remove_prefix(1);
  return std::string(path);
}

bool IsRelativePath(std::string_view path) { return path.size() >= 2 && path[0] != '\\' && path[1] != ':'; }

namespace {
std::mutex gScriptNameLock;
std::string gScriptName;
}  // namespace

std::string ZQGetScriptName() {
  try {
    TIWApplication* app = gGetWebApplicationThreadVar();
    if (app && app->Request()) {
      std::lock_guard<std::mutex> g(gScriptNameLock);
      gScriptName = app->Request()->ScriptName;
      return gScriptName;
    }
  } catch (...) {
    // a session being torn down: keep the last known name
  }
  std::lock_guard<std::mutex> g(gScriptNameLock);
  return gScriptName;
}

// ---------------------------------------------------------------- cookies

std::string ZQGetCookieBasePath(const THTTPReply*) { return "/"; }

std::string ZQGetCookieValue(std::string_view name, const THTTPRequest* request) {
  if (!request) return {};
  return HTTPDecode(request->GetCookie(HTTPEncode(name)));
}

std::string ZQGetCookieValue(std::string_view name, TIWApplication* session) {
  if (!session) session = gGetWebApplicationThreadVar();
  const THTTPRequest* request = session ? session->Request() : nullptr;
  if (!request) request = GetCurrentThreadWebRequest();
  return ZQGetCookieValue(name, request);
}

void ZQSetCookieValues(const TStringList& values, THTTPReply* reply, TDateTime expiry, std::string_view path) {
  if (!reply) return;
  std::optional<std::chrono::system_clock::time_point> expires;
  if (expiry.Value != 0)
    expires = std::chrono::system_clock::time_point(std::chrono::milliseconds(DateTimeToUnixMs(LocalToUTC(expiry))));
  std::string p = path.empty() ? std::string("/") : std::string(path);
  for (int i = 0; i < values.Count(); ++i) {
    // Names and values travel URL-encoded, the form ZQGetCookieValue reads.
    reply->Cookies().emplace_back(HTTPEncode(values.Names(i)), HTTPEncode(values.ValueFromIndex(i)), p, expires);
  }
}

void ZQSetCookieValues(const TStringList& values, TIWApplication* session, TDateTime expiry, std::string_view path) {
  if (!session) session = gGetWebApplicationThreadVar();
  THTTPReply* reply = session ? session->Response() : nullptr;
  if (!reply) reply = GetCurrentThreadWebResponse();
  ZQSetCookieValues(values, reply, expiry, path);
}

void ZQSetCookieValue(std::string_view name, std::string_view value, THTTPReply* reply, TDateTime expiry,
                      std::string_view path) {
  TStringList l;
  l.AddPair(std::string(name), std::string(value));
  ZQSetCookieValues(l, reply, expiry, path);
}

void ZQSetCookieValue(std::string_view name, std::string_view value, TIWApplication* session, TDateTime expiry,
                      std::string_view path) {
  TStringList l;
  l.AddPair(std::string(name), std::string(value));
  ZQSetCookieValues(l, session, expiry, path);
}

// ---------------------------------------------------------------- callbacks

void ZQRegisterCallBack(TIWApplication* session, std::string_view name, TZQCallbackHandler handler) {
  if (!session) session = gGetWebApplicationThreadVar();
  if (!session) throw EIWZQJQuery(Format("Session not assigned for callback \"%s\"!", name));
  session->CallBacks().Register(name, std::move(handler));
}

void ZQUnregisterCallBack(TIWApplication* session, std::string_view name) {
  if (!session) session = gGetWebApplicationThreadVar();
  if (!session) return;
  session->CallBacks().Unregister(name);
}

bool ZQLockAppTimeout(TIWApplication* session, int timeoutMs, int sleepMs) {
  if (!session) return false;
  if (session->TryLock()) return true;
  if (timeoutMs == 0) return false;
  auto start = std::chrono::steady_clock::now();
  auto limit = std::chrono::milliseconds(std::max(timeoutMs, 0));
  auto pause = std::chrono::milliseconds(std::max(sleepMs, 1));
  while (std::chrono::steady_clock::now() - start < limit) {
    std::this_thread::sleep_for(pause);
    if (session->TryLock()) return true;
  }
  return false;
}

// ---------------------------------------------------------------- callback state

bool ZQIsCallBack() {
  TIWApplication* app = gGetWebApplicationThreadVar();
  return app && app->IsCallBack();
}

void ZQCheckIsCallBack(std::string_view methodName) {
  if (!ZQIsCallBack()) throw EIWZQJQuery(Format("Method \"%s\" it's only allowed in Ajax Processing!", methodName));
}

bool ZQIsCallBackProcessing() {
  TIWApplication* app = gGetWebApplicationThreadVar();
  return app && app->IsCallBack() && app->CallBackProcessing();
}

void ZQCheckIsCallBackProcessing(std::string_view methodName) {
  if (!ZQIsCallBackProcessing())
    throw EIWZQJQuery(Format("Method \"%s\" it's only allowed in Ajax Requests Processing!", methodName));
}

void ZQCallBackDisableAjaxResponse() {
  if (TIWApplication* app = gGetWebApplicationThreadVar()) app->SetIsCallBack(false);
}

void ZQCallBackEnableAjaxResponse() {
  if (TIWApplication* app = gGetWebApplicationThreadVar()) app->SetIsCallBack(true);
}

namespace {
TIWApplication* SessionOrRaise(TIWApplication* session) {
  if (!session) session = gGetWebApplicationThreadVar();
  if (!session) throw EIWZQJQuery("Session not assigned for AddJavaScriptToExecute!");
  return session;
}
}  // namespace

bool ZQCheckAjaxResponse(bool check, bool raise, TIWApplication* session) {
  if (!check) return true;
  session = SessionOrRaise(session);
  if (!session->GetDesignMode() && session->IsCallBack() && session->CallBackProcessing()) return true;
  if (raise) throw EIWZQJQuery("The IW Session is not processing ajax!");
  return false;
}

bool ZQCheckSubmitResponse(bool check, bool raise, TIWApplication* session) {
  if (!check) return true;
  session = SessionOrRaise(session);
  if (!session->GetDesignMode() && !session->IsCallBack()) return true;
  if (raise) throw EIWZQJQuery("The IW Session is not processing submit!");
  return false;
}

std::string ZQWrapDebugCatch(std::string_view script, std::string_view) {
  if (!(ZQJavascriptDebug() && ZQScriptDebugCatch)) return std::string(script);
  return "try { " + std::string(script) +
         "} catch(err) { alert(\"Script Error \" + err.message + \" in IW Ajax Response!\") }";
}

void ZQAddJavaScriptToAjaxResponse(std::string_view script, bool check, bool raise) {
  if (script.empty()) return;
  TIWApplication* session = SessionOrRaise(nullptr);
  if (!ZQCheckAjaxResponse(check, raise, session)) return;
  // Plain script: the response writer puts it into its one CDATA section.
  session->CallBackResponse().AddJavaScriptToExecute(ZQWrapDebugCatch(script, "ajax"));
}

void ZQAddJavaScriptToSubmit(TIWPageContext40& page, std::string_view script, bool doLast) {
  if (script.empty()) return;
  std::string s = ZQWrapDebugCatch(script, "submit");
  if (doLast) page.AddToInitProcDoLastCode(s);
  else page.AddToInitProc(s);
}

void ZQAddJavaScriptToSubmit(TIWCompContext& context, std::string_view script, bool doLast) {
  if (script.empty()) return;
  std::string s = ZQWrapDebugCatch(script, "submit");
  if (doLast) context.AddToInitProcDoLastCode(s);
  else context.AddToInitProc(s);
}

void ZQAjaxExecuteSubmit(std::string_view htmlName, bool check, bool raise) {
  ZQAddJavaScriptToAjaxResponse(Format("SubmitClickConfirm(\"%s\",false,true,\"\");", htmlName), check, raise);
}

// ---------------------------------------------------------------- browsers

bool BrowserIsIE(const TBrowser& b) { return b.IsInternetExplorer(); }
bool BrowserIsSafari(const TBrowser& b) { return b.IsSafari(); }
bool BrowserIsChrome(const TBrowser& b) { return b.IsChrome(); }
bool BrowserIsFirefox(const TBrowser& b) { return b.IsFirefox(); }
bool BrowserIsIE10(const TBrowser& b) { return b.IsInternetExplorer() && b.MajorVersion >= 10; }
bool BrowserIsLTEIE8(const TBrowser& b) { return b.IsInternetExplorer() && b.MajorVersion <= 8; }

// ---------------------------------------------------------------- web root

std::chrono::milliseconds ZQWwwRootFetchTimeout{3000};
std::chrono::seconds ZQWwwRootRetryDelay{60};

namespace {

// GET of an http:// URL with a deadline for the whole exchange. Returns the
// body of a 200 answer; nullopt on any failure. AStatus gets the answer's
// status, 0 when no answer came.
std::optional<std::string> HttpGet(const std::string& url, std::chrono::milliseconds timeout, int& AStatus) {
  AStatus = 0;
  if (!StartsWith(LowerAscii(url), "http://")) return std::nullopt;
  std::string rest = url.substr(7);
  size_t slash = rest.find('/');
  std::string hostPort = rest.substr(0, slash);
  std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  std::string host = hostPort, port = "80";
  if (!hostPort.empty() && hostPort[0] == '[') {
    size_t close = hostPort.find(']');
    if (close == std::string::npos) return std::nullopt;
    host = hostPort.substr(1, close - 1);
    if (close + 1 < hostPort.size() && hostPort[close + 1] == ':') port = hostPort.substr(close + 2);
  } else if (size_t colon = hostPort.rfind(':'); colon != std::string::npos) {
    host = hostPort.substr(0, colon);
    port = hostPort.substr(colon + 1);
  }
  auto deadline = std::chrono::steady_clock::now() + timeout;
  auto remaining = [&]() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::max<long long>(ms, 0));
  };
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* res = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &res) != 0 || !res) return std::nullopt;
  int fd = -1;
  for (addrinfo* ai = res; ai && fd < 0; ai = ai->ai_next) {
    fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) continue;
    if (connect(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
      bool ok = false;
      if (errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, remaining()) == 1) {
          int err = 0;
          socklen_t len = sizeof err;
          ok = getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
        }
      }
      if (!ok) {
        close(fd);
        fd = -1;
      }
    }
  }
  freeaddrinfo(res);
  if (fd < 0) return std::nullopt;
  std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + hostPort + "\r\nConnection: close\r\n\r\n";
  size_t sent = 0;
  std::string answer;
  bool failed = false;
  while (sent < request.size() && !failed) {
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, remaining()) != 1) {
      failed = true;
      break;
    }
    ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) failed = true;
    else sent += static_cast<size_t>(n);
  }
  constexpr size_t kMaxAnswer = 64 * 1024;  // a version file is a few bytes
  while (!failed) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, remaining()) != 1) {
      failed = true;
      break;
    }
    char buf[4096];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n < 0) failed = true;
    if (n <= 0) break;
    answer.append(buf, static_cast<size_t>(n));
    if (answer.size() > kMaxAnswer) failed = true;
  }
  close(fd);
  if (failed) return std::nullopt;
  size_t headerEnd = answer.find("\r\n\r\n");
  if (headerEnd == std::string::npos) return std::nullopt;
  std::string status = answer.substr(0, answer.find("\r\n"));
  size_t sp = status.find(' ');
  if (sp == std::string::npos || !StartsWith(status, "HTTP/")) return std::nullopt;
  int code = 0;
  auto [end, ec] = std::from_chars(status.data() + sp + 1, status.data() + status.size(), code);
  if (ec != std::errc() || end != status.data() + sp + 4) return std::nullopt;
  AStatus = code;
  if (code != 200) return std::nullopt;
  return answer.substr(headerEnd + 4);
}

enum class TWwwRootState { Unknown, Current, Outdated };

// What one check looks at, taken from the settings on the calling thread.
struct TWwwRootTarget {
  bool remote = false;
  std::string location;  // the version file's URL or path
  std::string version;
  std::chrono::milliseconds timeout{};
};

TWwwRootTarget CurrentTarget() {
  TWwwRootTarget t;
  t.version = ZQGetLibraryVersion();
  t.timeout = ZQWwwRootFetchTimeout;
  if (ZQIsHttpLink(ZQJsUrlBase)) {
    std::string base = ZQJsUrlBase;
    if (base.back() != '/') base += '/';
    t.remote = true;
    t.location = base + "ZQVersion.txt";
    return t;
  }
  std::string folder = gServerController->ContentPath;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::string base = ZQJsUrlBase;
  std::replace(base.begin(), base.end(), '\\', '/');
  if (!base.empty() && base.back() != '/') base += '/';
  t.location = folder + base + "ZQVersion.txt";
  return t;
}

// Runs one check; holds no lock. A remote file that cannot be fetched (no
// answer, or an https link: this build has no TLS client) gives Unknown;
// a missing file or another version gives Outdated.
TWwwRootState Evaluate(const TWwwRootTarget& t) {
  if (t.remote) {
    if (!StartsWith(LowerAscii(t.location), "http://")) return TWwwRootState::Unknown;
    int status = 0;
    auto body = HttpGet(t.location, t.timeout, status);
    if (status == 0) return TWwwRootState::Unknown;
    return body && *body == t.version ? TWwwRootState::Current : TWwwRootState::Outdated;
  }
  std::ifstream f(t.location, std::ios::binary);
  if (!f) return TWwwRootState::Outdated;
  std::string line;
  std::getline(f, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (StartsWith(line, "\xEF\xBB\xBF")) line.erase(0, 3);
  return line == t.version ? TWwwRootState::Current : TWwwRootState::Outdated;
}

// The cached answer. The lock guards these fields only and is never held
// during a check. Never freed: a background check may still run at exit.
struct TWwwRootCache {
  std::mutex lock;
  std::condition_variable done;
  bool checked = false;  // a result is stored
  TWwwRootState state = TWwwRootState::Unknown;
  std::chrono::steady_clock::time_point retryAt{};
  bool running = false;       // a background check is on its way
  std::uint64_t generation = 0;  // bumped by a reset: older checks store nothing
};
TWwwRootCache& Cache() {
  static TWwwRootCache* c = new TWwwRootCache;
  return *c;
}

void Store(TWwwRootCache& c, std::uint64_t generation, TWwwRootState state) {
  if (generation != c.generation) return;
  c.checked = true;
  c.state = state;
  c.retryAt = std::chrono::steady_clock::now() + ZQWwwRootRetryDelay;
}

bool Answer(TWwwRootState state) { return state != TWwwRootState::Outdated; }

TWwwRootState Run(const TWwwRootTarget& t) {
  try {
    return Evaluate(t);
  } catch (...) {
    return TWwwRootState::Unknown;  // never passed to the caller
  }
}

}  // namespace

bool ZQCheckWwwRoot() {
  if (!gServerController) return true;
  TWwwRootCache& c = Cache();
  std::uint64_t generation;
  {
    std::lock_guard<std::mutex> g(c.lock);
    bool fresh = c.checked && (c.state == TWwwRootState::Current || std::chrono::steady_clock::now() < c.retryAt);
    if (fresh || c.running) return c.checked ? Answer(c.state) : true;
    generation = c.generation;
  }
  TWwwRootTarget t = CurrentTarget();
  if (!t.remote) {
    // A local file is read at once: no network, no lock held meanwhile.
    TWwwRootState state = Run(t);
    std::lock_guard<std::mutex> g(c.lock);
    Store(c, generation, state);
    return Answer(state);
  }
  // A remote file is fetched in the background; until it is known the
  // previous answer stands (none yet: not reported as outdated).
  bool answer;
  {
    std::lock_guard<std::mutex> g(c.lock);
    if (c.running) return c.checked ? Answer(c.state) : true;
    c.running = true;
    answer = c.checked ? Answer(c.state) : true;
  }
  try {
    std::thread([t, generation] {
      TWwwRootState state = Run(t);
      TWwwRootCache& cache = Cache();
      std::lock_guard<std::mutex> g(cache.lock);
      if (generation == cache.generation) cache.running = false;
      Store(cache, generation, state);
      cache.done.notify_all();
    }).detach();
  } catch (...) {
    std::lock_guard<std::mutex> g(c.lock);
    c.running = false;
  }
  return answer;
}

bool ZQCheckWwwRootNow() {
  if (!gServerController) return true;
  TWwwRootCache& c = Cache();
  std::uint64_t generation;
  {
    std::lock_guard<std::mutex> g(c.lock);
    generation = c.generation;
  }
  TWwwRootState state = Run(CurrentTarget());
  std::lock_guard<std::mutex> g(c.lock);
  Store(c, generation, state);
  return Answer(state);
}

bool ZQWaitWwwRootCheck(std::chrono::milliseconds timeout) {
  TWwwRootCache& c = Cache();
  std::unique_lock<std::mutex> g(c.lock);
  return c.done.wait_for(g, timeout, [&] { return !c.running; });
}

void ZQResetWwwRootCheck() {
  TWwwRootCache& c = Cache();
  std::lock_guard<std::mutex> g(c.lock);
  ++c.generation;
  c.checked = false;
  c.state = TWwwRootState::Unknown;
  c.retryAt = {};
  c.running = false;
  c.done.notify_all();
}

// ---------------------------------------------------------------- versions

namespace {
bool ParseDot(std::string_view text, double& out) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, std::chars_format::fixed);
  return ec == std::errc() && end == text.data() + text.size();
}
}  // namespace

double ZQParseIW12Version(std::string_view version) {
  auto invalid = [&] { return EIWZQJQuery(Format("Invalid IW12 version: \"%s\"!", version)); };
  size_t dot = version.find('.');
  if (dot == std::string_view::npos || version.substr(0, dot) != "12") throw invalid();
  std::string_view rest = version.substr(dot + 1);
  double v = 0;
  if (!ParseDot(rest, v)) {
    size_t last = rest.rfind('.');
    if (last == std::string_view::npos || !ParseDot(rest.substr(0, last), v)) throw invalid();
  }
  if (v == 2.0) v = 2.14;
  return v;
}

double IW12_Version() {
  static std::mutex lock;
  static std::optional<double> cached;
  std::lock_guard<std::mutex> g(lock);
  if (cached) return *cached;
  if (!gServerController) throw EIWZQJQuery("GServerController not Assigned in IW12_Version!");
  cached = ZQParseIW12Version(gServerController->GetVersion());
  return *cached;
}

void ZQRegisterContentTypes(TMimeTypes& types) {
  for (const auto& [ext, type] : ZQContentTypeTable()) {
    std::string dotted = ".";
    dotted += ext;
    if (types.TypeOf("x" + dotted) == "application/octet-stream") types.Register(dotted, type);
  }
}

}  // namespace zq
