// The text steps of the page scripts the library puts into every page: the
// lock-indicator block (helpers and the host's before/after request hooks),
// the deferred client-object initialisation, the removal of the host's
// masked-input script tag, and the debug flag. Each step works on the text it
// is given only, so it is safe on every request thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zq {

// The hook texts of one lock indicator (already joined script).
struct TZQPageIndicatorScripts {
  std::string PreImages;  // ZQCreateLock calls
  std::string AjaxBegin, AjaxEnd, SubmitBegin, SubmitEnd;
};

// The lock-indicator block of a page: empty without indicators; else the
// helper lines, the pre-image scripts (server controller first), the ajax
// hooks and the submit hooks (the submit-begin hook releases the host's wait
// cursor first), wrapped in "\r\n<script type=\"text/javascript\">" ...
// "</script>". ASeparator joins the lines (CR LF with script debugging, a
// space otherwise; every line is followed by it).
std::string ZQPageIndicatorBlock(const std::vector<std::string>& AHelperLines,
                                 const std::vector<TZQPageIndicatorScripts>& AIndicators,
                                 std::string_view ASeparator);

// Moves the text from "InitRects(" up to and including the following
// "InitIWCLObjects();" out of the body script into a ready handler put in
// front of the ready script: AAlias + "(function(){" + break + the text +
// "});" + break. False (nothing changed) when a marker is missing.
bool ZQDeferClientObjectInit(std::string& ABodyScript, std::string& AOnReady,
                             std::string_view AAlias, std::string_view ABreak);

// Removes the script tag whose src holds AMarker ("js/jquerymaskedinput_"):
// from the last "<script " before the marker to the next "</script>" and a
// following CR LF. False when the marker or the tag ends are missing.
bool ZQRemoveScriptTag(std::string& AText, std::string_view AMarker);

// Puts the library's script tag (the first one after the host's tag whose src
// holds ALibraryMarker) where the host's tag (src holding AHostMarker) stands;
// the host's tag goes. Tags are bounded as for ZQRemoveScriptTag. False
// (nothing changed) when either tag is missing.
bool ZQReplaceScriptTag(std::string& AText, std::string_view AHostMarker,
                        std::string_view ALibraryMarker);

// "<script type=\"text/javascript\">var IWZQDEBUG=true;</script>" + CR LF.
inline constexpr std::string_view kZQDebugFlagScript =
    "<script type=\"text/javascript\">var IWZQDEBUG=true;</script>\r\n";

}  // namespace zq

namespace zq {

class TIWPageContext40;

// What the lock indicators of a page give its page scripts.
struct TZQPageIndicators {
  std::vector<std::string> HelperLines;          // ZQPageIndicatorBlock's helper lines
  std::vector<TZQPageIndicatorScripts> Scripts;  // server controller's first
};
// Fills AOut for the page being rendered (the lock indicator sets it when
// its first indicator is built; none is set before).
using TZQPageIndicatorSource = void (*)(TIWPageContext40& APage, TZQPageIndicators& AOut);
void ZQSetPageIndicatorSource(TZQPageIndicatorSource ASource);

// Installs (removes) the page-script filter on every page layout: the
// lock-indicator block in the body tag's contents (and the script links the
// source adds), deferred
// client-object set-up when the thread's flag asks for it, the host's
// masked-input tag removed, on a mobile page of the form layout the host's
// jQuery tag replaced by the library's, the debug flag when ZQJSErrorHandler
// is on.
// Called by the library start-up only.
void ZQInstallPageScripts();
void ZQRemovePageScripts();

}  // namespace zq
