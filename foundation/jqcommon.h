// Script text and value helpers that need no session: quoting and escaping of
// script literals, identifiers and GUIDs, CSS class lists, Base64 data, the
// library-wide settings and the event monitor.
//
// The helpers that need the current session, request, reply or server
// controller (script-debug switch, callback state, cookies, colours through
// the host's colour names ...) are in host/zqhelpers.h.
//
// Library settings are plain process-wide variables. The application writes
// them once at start-up, before the first request; afterwards they are only
// read, from any thread, without a lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/delegate.h"
#include "foundation/superobject.h"

namespace zq {

class TObject;
class TComponent;
class TStringList;
class Variant;

// ---------------------------------------------------------------- settings

enum TIWZQJQQuoteStyle { qsSingle, qsDouble };

// How JQQuotedStr quotes (default qsDouble).
extern TIWZQJQQuoteStyle IWZQJQQuoteStyle;
// With the host's script-debug switch also on, injected script is wrapped in
// a try/catch that alerts the error (default false).
extern bool ZQScriptDebugCatch;
// The jQuery alias written in front of every element lookup (default "$").
extern std::string ZQJQuery;
// Read by the region base: resize-fix scripts for non-mobile containers
// (default true).
extern bool ZQResizeFix;
// Debug console files and the page's debug flag (default false).
extern bool ZQJSErrorHandler;
// Folders of the script, stylesheet and theme files under the web root
// (defaults "jq/", "css/", "ui-themes/").
extern std::string ZQJsUrlBase;
extern std::string ZQCssUrlBase;
extern std::string ZQThemeUrlBase;

// The library's version text, "2.6.0.86": the "?v=" query of every link and
// the expected content of the web root's "ZQVersion.txt".
inline constexpr const char* ZQLibraryVersion = "2.6.0.86";
const std::string& ZQGetLibraryVersion();

// The library's exception class.
class EIWZQJQuery : public Exception {
  using Exception::Exception;
};

enum TZQLogMessageType { zqlmtLog, zqlmtWarning, zqlmtError, zqlmtInfo };

// ---------------------------------------------------------------- script literals

// CR LF pairs removed, then quoted: qsDouble wraps the text in double quotes
// as it is; qsSingle wraps it in single quotes with every "\" and "'" escaped
// by a backslash (a valid JavaScript string literal).
std::string JQQuotedStr(std::string_view text);
// "true" / "false".
std::string JQBoolStr(bool value);
// A JSON string literal of the text, quotes included (escaping on).
std::string ZQJsEscape(std::string_view text);
// ZQJsEscape without its quotes.
std::string ZQJsEscapeUnquoted(std::string_view text);
// Every CR LF pair replaced by one blank, or removed when removeAll is set.
std::string ZQJsNoLineBreaks(std::string_view text, bool removeAll = false);
// The text with ";" appended, unless it is empty or already ends with ";".
std::string ZQInsertSemiColon(std::string_view text);
// Trimmed; a pair of enclosing double quotes removed.
std::string ZQUnQuotedStr(std::string_view text);
std::string IfStr(bool flag, std::string_view a, std::string_view b = {});
std::string ZQIfStr(bool flag, std::string_view a, std::string_view b = {});
Variant ZQIfVar(bool flag, const Variant& a, const Variant& b);
// "$(\"#ID\")" with the ZQJQuery alias.
std::string ZQGetJQuery(std::string_view id);
// ZQGetJQuery + "[0]".
std::string ZQGetJQueryElem(std::string_view id);
// "debug.log(\"Tavrin: message\");" (level word by type; the message as given).
std::string ZQLogMessage(std::string_view message, TZQLogMessageType type = zqlmtLog);
// 1-based position of the last occurrence of sub that ends at or before
// start (0, negative or past the end: the end of the text); 0 when none.
// Positions count UTF-16 code units of the text.
int ZQInvPos(std::string_view sub, std::string_view text, int start = 0);
// The same on bytes (8-bit text).
int ZQInvPosA(std::string_view sub, std::string_view text, int start = 0);
// Trims blanks and control characters at both ends.
std::string ZQTrim(std::string_view text);

// ---------------------------------------------------------------- CSS classes

// Adds cls to the blank-separated list unless the text already occurs in it
// (plain substring test); in front with prepend, else at the end.
std::string ZQAddCssClass(std::string_view cls, std::string_view list, bool prepend = false);

// ---------------------------------------------------------------- identifiers

// "autoid" + whole seconds (rounded) from 1970-01-01 to the current local time.
std::string ZQGenAutoID();
// Random letters and digits; empty for a length below 1.
std::string ZQRandomString(int length);

struct TGUID {
  std::uint32_t D1 = 0;
  std::uint16_t D2 = 0, D3 = 0;
  std::uint8_t D4[8] = {};
  friend bool operator==(const TGUID&, const TGUID&) = default;
};
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (upper-case hexadecimal).
std::string GUIDToString(const TGUID& g);
TGUID ZQEmptyGUID();
std::string ZQEmptyGUIDString();
// A random (version 4) GUID from the system's secure random source.
TGUID ZQNewGUID();
std::string ZQNewGUIDString();
// 32 upper-case hexadecimal digits, no braces or dashes.
std::string ZQNewGUIDHTMLMapID();
int ZQGUIDHTMLMapIDLen();

// base name, or base name + 1, 2, ... : the first the owner has no component of.
std::string ZQFindUniqueComponentName(const TComponent* owner, std::string_view baseName);

// ---------------------------------------------------------------- data

// The MIME Base64 decoding of the text (blanks and line breaks skipped).
// Raises EIWZQJQuery "Invalid Base64 data!" on other characters.
std::string ZQBase64Decode(std::string_view text);
std::string ZQBase64Encode(std::string_view data);
// Creates (or truncates) the file and writes the decoded bytes.
void ZQSaveBase64Data(const std::string& fileName, std::string_view base64);
// The confined form for data that came from a browser: writes only the plain
// file name inside folder (which must exist) and returns the full path. A name
// that is empty, ".", "..", holds a path separator, a drive colon or a NUL is
// refused with EIWZQJQuery "Invalid file name: \"%s\"!".
std::string ZQSaveBase64DataIn(const std::string& folder, std::string_view fileName, std::string_view base64);

// An unassigned node is replaced by a new JSON null node.
void CheckNilSO(ISuperObject& node);
ISuperObject SONil2Null(const ISuperObject& node);

// ---------------------------------------------------------------- event monitor

// Called at the start of every server event dispatch, after "ComponentName="
// has been added to the parameters and before the handler runs.
using TIWZQEventMonitorEvent =
    Delegate<void(TObject* Sender, const std::string& EventName, TStringList* Params, bool IsAjax)>;
// Only the main thread (the one that loaded the library) may set it: others
// raise "You can only set ZQEventMonitor in the Main Thread!". Set it at
// start-up; it is read without a lock.
void SetZQEventMonitor(const TIWZQEventMonitorEvent& monitor);
const TIWZQEventMonitorEvent& GetZQEventMonitor();
// Calls the monitor when one is assigned.
void ZQCallEventMonitor(TObject* sender, const std::string& eventName, TStringList* params, bool isAjax);

}  // namespace zq
