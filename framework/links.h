// Script and stylesheet links: where the client files live under the web
// root, their plain and ".min" names, how a file becomes a URL (with the
// "?v=" version query) and how each URL reaches the page exactly once.
//
// Plain or minified: a file with two forms is linked in its plain form when
// the server controller's script-debug switch is on, in its ".min" form
// otherwise (also without a server controller).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zq {

class TIWCompContext;
class TIWPageContext40;
class TStringList;

// The plain name with the script-debug switch on, else the minified name.
std::string ZQMinFile(std::string_view plain, std::string_view minified);

// Files relative to ZQJsUrlBase unless said otherwise.
std::string JqFileName();               // jQuery, design state only
std::string JQNewFileName();            // jQuery for mobile controls
std::string JqUIFileName();             // jQuery UI
std::string JQMobileJSFile();           // jQuery Mobile
std::string JqMCSSFileName();           // mobile theme (ZQCssUrlBase)
std::string JqMStructureCSSFileName();  // mobile structure (ZQCssUrlBase)
std::string JqMCSSHelperFileName();     // mobile helper styles (ZQCssUrlBase)
std::string JQZQCssFile();              // library stylesheet (ZQCssUrlBase)
std::string JQZQDebugConsoleCssFile();  // debug console (ZQCssUrlBase)
std::string JQZQDebugConsoleJSFile();   // debug console
std::string JSonFileName();             // JSON support (one form)
std::string JqCookiesFileName();
std::string JQAjaxFormJS();
std::string JQTabbableJS();
std::string JQBrowserJS();
std::string IE8CanvasJS();              // one form
std::string IWZQJQHelper();             // the library's client helper
std::string IWZQJQMobileHelper();       // mobile client helper
std::string IWZQJQLazyLoader();
std::string IWZQJQLazyLoaderHelper();
std::string IWZQJQTouchSupport();
std::string JQFastClickJS();            // mobile fast click
std::string ZQLoadFastClickJS();        // fast click loader
std::string JQThrottleDebounceJS();     // resize fix
std::string JQZQResizeFixJS();          // resize fix (one form)
std::string IWZQJQJSFileValidate();
std::string IWZQJQJSFileValidateEx();
std::string IWZQJQJSPopBox();
std::string IWZQJQJSFileWaterMark();
std::string IWZQJQJSFileMask();
std::string IWZQJQJSFileFormat();
std::string IWZQJQJSClearButton();
std::string IWZQJQBootstrapCSSIcons();

// The URL of a file:
// - a file that is itself an http(s) address is returned as it is;
// - leading "/" of the file are dropped;
// - an http(s) base, or design state: base + file;
// - otherwise [URL base without its trailing "/"] [script name, when running
//   as a library module and addScriptName] "/" base file ["?v=" version].
std::string ZQGetLink(std::string_view base, std::string_view file, bool design, bool addVersion = true,
                      bool addScriptName = false, bool useURLBase = false);

// A stylesheet link for the page, once per URL.
void ZQAddLinkFile(TIWCompContext& context, std::string_view base, std::string_view file, bool design);
void ZQAddLinkFile(TIWPageContext40& page, std::string_view base, std::string_view file, bool design);
// A script file for the page, once per URL.
void ZQAddJSLink(TIWCompContext& context, std::string_view base, std::string_view file, bool design);
void ZQAddJSLink(TIWPageContext40& page, std::string_view base, std::string_view file, bool design);
// ZQAddJSLink(ZQJsUrlBase, file) for each file, in order.
void ZQRenderScriptLinks(TIWCompContext& context, const std::vector<std::string>& files, bool design);
void ZQRenderScriptLinks(TIWCompContext& context, const TStringList& files, bool design);
// Page-global script, once per text.
void ZQAddJS(TIWCompContext& context, std::string_view script);
// "<script type=\"text/javascript\" src=\"URL\"></script>" into the page's
// extra header, once per text. The URL is HTML-escaped.
void AddToExtraHeader(TIWCompContext& context, std::string_view url);
void AddToExtraHeader(TIWPageContext40& page, std::string_view url);

}  // namespace zq
