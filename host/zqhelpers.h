// Script helpers that need the host: the current session (callback state,
// script injection, callback registration, cookies), the current request and
// reply, and the server controller (script-debug switch, URL base, content
// folder, version text). The session is the one serving the current thread
// (gGetWebApplicationThreadVar); none outside a request.
//
// The session-free text helpers are in foundation/jqcommon.h: the foundation
// cannot see the host, so everything that asks the host lives here.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/datetime.h"
#include "foundation/jqcommon.h"

namespace zq {

class TComponent;
class TObject;
class TStringList;
class TIWApplication;
class TIWBaseControl;
class TIWCompContext;
class TIWPageContext40;
class TIWHTMLTag;
class TIWServerController;
class THTTPRequest;
class THTTPReply;
class TMimeTypes;
struct TBrowser;
enum class TIWCursor;

// ---------------------------------------------------------------- debug switch

// The server controller's script-debug switch; false without a controller.
bool ZQJavascriptDebug();
// Whether JSON text is written indented (the script-debug switch).
bool JSonIdent();
// 2 * level blanks with the script-debug switch on, else empty.
std::string JQIdent(int level);
// The text with the script-debug switch on, else empty.
std::string ZQIfDebug(std::string_view text);

// ---------------------------------------------------------------- colours, cursors

// Trimmed text: "" gives clNone; "#RRGGBB" gives 0x00BBGGRR (clNone when the
// digits do not parse); anything else goes to the host's colour names.
int ZQColorToColor(std::string_view text);
// clNone gives ""; otherwise "#rrggbb".
std::string ColorToZQColor(int color);
// CSS cursor name; crAuto gives "" (or "auto" with autoAsText).
std::string ZQCursorToString(TIWCursor cursor, bool autoAsText = false);
std::string ZQCursorToStringByOrdinal(int ordinal, bool autoAsText = false);
// "cursor: %s;".
std::string ZQCursorToCss(TIWCursor cursor, bool autoAsText = false);

// ---------------------------------------------------------------- tags, names

std::string ZQTagToString(const TIWHTMLTag& tag);
// Adds style text to the page of the render.
void ZQAddStyle(TIWCompContext& context, std::string_view style);

// A component with a cache ID (e.g. "{GUID}") used for its cache names.
class IIWZQCache {
 public:
  virtual ~IIWZQCache() = default;
  virtual std::string GetCacheID() const = 0;
};

// Owner chain names (outermost first, up to the session) joined by "_", then
// "_" + suffix; every character outside - 0-9 A-Z _ a-z becomes "_".
std::string GetUniqueCacheName(const TComponent* component, std::string_view suffix);

// The element ID of a control. Layers above the host register how their
// containers answer (inner containers first, then script containers); a
// resolver returns false when it does not know the component. Without an
// answer the host component's HTML name is used, else "".
using TZQHTMLNameResolver = std::function<bool(const TObject* component, std::string& name)>;
int ZQRegisterHTMLNameResolver(TZQHTMLNameResolver resolver);
void ZQUnregisterHTMLNameResolver(int id);
std::string ZQGetCtrlHTMLName(const TObject* control);

// Replaces every "<#Name#>" by "\"#HTMLNAME\"" (a quoted ID selector) for the
// components of owner; unknown names stay as written. An unclosed "<#" is
// closed at the end of the script.
std::string ParseScript(const TComponent* owner, std::string_view script);

// Whether a parent's page layout is a template processor that writes the form
// tag itself.
bool ZQGetParentNoFormTag(const TIWBaseControl* control);

// ---------------------------------------------------------------- per-thread state

// Reset by every request scope of the host.
void SetCurrentThreadWebRequest(THTTPRequest* request);
THTTPRequest* GetCurrentThreadWebRequest();
void SetCurrentThreadWebResponse(THTTPReply* reply);
THTTPReply* GetCurrentThreadWebResponse();
// The request of the stand-alone server's per-request object built last on
// this thread (the library's request capture sets it when the object is made
// and clears it when that object is freed; no request scope resets it).
void SetCurrentHTTPRequestInfo(THTTPRequest* request);
THTTPRequest* CurrentHTTPRequestInfo();
void SetZQLoadIWCLProcOnReady(bool flag);
bool GetZQLoadIWCLProcOnReady();
void SetZQIsMobile(bool flag);
bool GetZQIsMobile();

// ---------------------------------------------------------------- requests, URLs

// Whether the library runs inside a host that is itself a loaded library
// module (its script name is then part of every URL). Start-up setting.
extern bool ZQRunsAsLibraryModule;

// The form fields of a POST, the query fields otherwise, as name=value lines.
void ZQGetRequestList(const THTTPRequest& request, TStringList& into, bool caseSensitive = false);
std::string ZQGetRequestField(const THTTPRequest& request, std::string_view name,
                              bool caseSensitive = false);
// Sets the field in the POST form fields (the query fields for other methods).
void ZQSetRequestField(THTTPRequest& request, std::string_view name, const std::string& value,
                       bool caseSensitive = false);
// An absolute URL back to the server: scheme of url ("http://" when it has
// none) + host with the port (replacing the host's own, IPv6 literals kept in
// brackets) + the script name when running as a library module + "/" + path.
std::string ZQGetRequestFullUrl(std::string_view url, std::string_view host,
                                std::string_view scriptName, int port, int defaultPort,
                                std::string_view path);
// The same from a request (empty without one); port 0 means the request's.
std::string ZQGetRequestFullUrl(const THTTPRequest* request, std::string_view path, int port = 0);
bool ZQIsHttpLink(std::string_view text);
std::string ZQCheckRelativePath(std::string_view path);
std::string ZQRemoveSlash(std::string_view path);
bool IsRelativePath(std::string_view path);
// The script name the application is served under, from the current
// session's request; kept process-wide (under a lock) once a request set it.
std::string ZQGetScriptName();

// ---------------------------------------------------------------- cookies

std::string ZQGetCookieBasePath(const THTTPReply* reply = nullptr);
std::string ZQGetCookieValue(std::string_view name, const THTTPRequest* request);
std::string ZQGetCookieValue(std::string_view name, TIWApplication* session = nullptr);
// One cookie per name=value line; path "/" when empty; expiry 0 = end of
// the browser session. Nothing without a reply.
void ZQSetCookieValues(const TStringList& values, THTTPReply* reply, TDateTime expiry = TDateTime(),
                       std::string_view path = {});
void ZQSetCookieValues(const TStringList& values, TIWApplication* session,
                       TDateTime expiry = TDateTime(), std::string_view path = {});
void ZQSetCookieValue(std::string_view name, std::string_view value, THTTPReply* reply,
                      TDateTime expiry = TDateTime(), std::string_view path = {});
void ZQSetCookieValue(std::string_view name, std::string_view value,
                      TIWApplication* session = nullptr, TDateTime expiry = TDateTime(),
                      std::string_view path = {});

// ---------------------------------------------------------------- callbacks

using TZQCallbackHandler = std::function<void(TStringList& params)>;
// Registers under the name qualified by the session's active form; an
// existing entry gets the new handler.
void ZQRegisterCallBack(TIWApplication* session, std::string_view name, TZQCallbackHandler handler);
// The entry stays with a handler that does nothing.
void ZQUnregisterCallBack(TIWApplication* session, std::string_view name);
// Tries the session lock, retrying every sleepMs until timeoutMs have passed.
bool ZQLockAppTimeout(TIWApplication* session, int timeoutMs, int sleepMs = 10);

// ---------------------------------------------------------------- callback state

bool ZQIsCallBack();
void ZQCheckIsCallBack(std::string_view methodName);
bool ZQIsCallBackProcessing();
void ZQCheckIsCallBackProcessing(std::string_view methodName);
void ZQCallBackDisableAjaxResponse();
void ZQCallBackEnableAjaxResponse();
bool ZQCheckAjaxResponse(bool check, bool raise, TIWApplication* session = nullptr);
bool ZQCheckSubmitResponse(bool check, bool raise, TIWApplication* session = nullptr);
// The script as it is injected: wrapped in a try/catch that alerts the error
// when both the script-debug switch and ZQScriptDebugCatch are on.
std::string ZQWrapDebugCatch(std::string_view script, std::string_view where);
void ZQAddJavaScriptToAjaxResponse(std::string_view script, bool check = true, bool raise = false);
void ZQAddJavaScriptToSubmit(TIWCompContext& context, std::string_view script, bool doLast = false);
void ZQAddJavaScriptToSubmit(TIWPageContext40& page, std::string_view script, bool doLast = false);
void ZQAjaxExecuteSubmit(std::string_view htmlName, bool check = true, bool raise = false);

// ---------------------------------------------------------------- browsers

bool BrowserIsIE(const TBrowser& browser);
bool BrowserIsSafari(const TBrowser& browser);
bool BrowserIsChrome(const TBrowser& browser);
bool BrowserIsFirefox(const TBrowser& browser);
// Internet Explorer 10 or later / 8 or older (the current session's browser).
bool BrowserIsIE10(const TBrowser& browser);
bool BrowserIsLTEIE8(const TBrowser& browser);

// ---------------------------------------------------------------- web root, versions

// Whether the files under the web root belong to this library version: the
// first line of ContentPath + ZQJsUrlBase + "ZQVersion.txt", or the whole
// body of that file fetched over http when ZQJsUrlBase is an http link.
// False only when the files are known to be of another version (or the
// version file is missing); true while that is not known: without a server
// controller, before a remote check has answered, when the remote server
// cannot be reached, and for an https link (this build has no TLS client).
//
// Never waits: the answer is cached. A local file is read on the first call;
// a remote file is fetched once in the background (giving up after
// ZQWwwRootFetchTimeout), and callers meanwhile get the previous answer. An
// answer other than "current" is checked again after ZQWwwRootRetryDelay.
bool ZQCheckWwwRoot();
// Runs the check on the calling thread (at start-up, or in tests), caches and
// returns its answer as above.
bool ZQCheckWwwRootNow();
// Waits until no background check is running; false when timeout passed first.
bool ZQWaitWwwRootCheck(std::chrono::milliseconds timeout);
extern std::chrono::milliseconds ZQWwwRootFetchTimeout;
extern std::chrono::seconds ZQWwwRootRetryDelay;
// Forgets the cached answer (tests, or after the web root was updated); a
// background check still running stores nothing.
void ZQResetWwwRootCheck();

// The host's version as a number: "12.2.14" gives 2.14 (see ZQParseIW12Version).
// Computed once. Raises "GServerController not Assigned in IW12_Version!".
double IW12_Version();
// "12." removed and the rest read with "." as decimal separator, cut before
// its last "." on failure; exactly 2.0 becomes 2.14. Raises
// "Invalid IW12 version: \"%s\"!".
double ZQParseIW12Version(std::string_view version);

// Registers the content-type table with the host's MIME types (extensions the
// host already knows keep their type).
void ZQRegisterContentTypes(TMimeTypes& types);

}  // namespace zq
