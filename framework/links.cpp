#include "framework/links.h"

#include <algorithm>
#include <cctype>

#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "host/context.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {

std::string ZQMinFile(std::string_view plain, std::string_view minified) {
  return std::string(ZQJavascriptDebug() ? plain : minified);
}

namespace {
std::string Pair(std::string_view stem, std::string_view ext) {
  return ZQMinFile(std::string(stem) + "." + std::string(ext),
                   std::string(stem) + ".min." + std::string(ext));
}
}  // namespace

std::string JqFileName() {
  return Pair("jquery_ui/jquery-1.8.2", "js");
}
std::string JQNewFileName() {
  return Pair("jquery-1.10.2", "js");
}
std::string JqUIFileName() {
  return Pair("jquery_ui/jquery-ui-1.8.23.custom", "js");
}
std::string JQMobileJSFile() {
  return Pair("mobile.core/jquery.mobile-1.3.2", "js");
}
std::string JqMCSSFileName() {
  return Pair("ui-themes/default/jquery.mobile.theme-1.3.2", "css");
}
std::string JqMStructureCSSFileName() {
  return Pair("jquery.mobile.structure-1.3.2", "css");
}
std::string JqMCSSHelperFileName() {
  return Pair("jquery.mobile.helper", "css");
}
std::string JQZQCssFile() {
  return Pair("zqcss", "css");
}
std::string JQZQDebugConsoleCssFile() {
  return Pair("jquery.tavrin.debugconsole", "css");
}
std::string JQZQDebugConsoleJSFile() {
  return Pair("jquery.tavrin.debugconsole", "js");
}
std::string JSonFileName() {
  return "json2.min.js";
}
std::string JqCookiesFileName() {
  return Pair("jquery.cookie", "js");
}
std::string JQAjaxFormJS() {
  return Pair("jquery.form", "js");
}
std::string JQTabbableJS() {
  return Pair("jquery.tabbable", "js");
}
std::string JQBrowserJS() {
  return Pair("jquery.browser", "js");
}
std::string IE8CanvasJS() {
  return "flashcanvas.js";
}
std::string IWZQJQHelper() {
  return Pair("zq.jquery.helper", "js");
}
std::string IWZQJQMobileHelper() {
  return Pair("zq.jquery.mobile.helper", "js");
}
std::string IWZQJQLazyLoader() {
  return Pair("lazyload", "js");
}
std::string IWZQJQLazyLoaderHelper() {
  return Pair("lazyload.helper", "js");
}
std::string IWZQJQTouchSupport() {
  return Pair("jquery.ui.touch-punch", "js");
}
std::string JQFastClickJS() {
  return Pair("jquery.event.special.fastclick", "js");
}
std::string ZQLoadFastClickJS() {
  return Pair("zqload.fastclick", "js");
}
std::string JQThrottleDebounceJS() {
  return Pair("jquery_ui/plugins/jquery.ba-throttle-debounce", "js");
}
std::string JQZQResizeFixJS() {
  return "jquery_ui/plugins/jquery.zqresizefix.js";
}
std::string IWZQJQJSFileValidate() {
  return Pair("jquery_ui/plugins/jquery.validate", "js");
}
std::string IWZQJQJSFileValidateEx() {
  return Pair("jquery_ui/plugins/additional-methods", "js");
}
std::string IWZQJQJSPopBox() {
  return Pair("jquery_ui/plugins/jquery.popupbox", "js");
}
std::string IWZQJQJSFileWaterMark() {
  return Pair("jquery_ui/plugins/jquery.watermarkinput", "js");
}
std::string IWZQJQJSFileMask() {
  return Pair("jquery_ui/plugins/jquery.maskedinput-1.3.1", "js");
}
std::string IWZQJQJSFileFormat() {
  return Pair("jquery_ui/plugins/jquery.format.1.05", "js");
}
std::string IWZQJQJSClearButton() {
  return Pair("jquery_ui/plugins/jquery.input.clearbutton", "js");
}
std::string IWZQJQBootstrapCSSIcons() {
  return Pair("bootstrap/bootstrap-icons", "css");
}

std::string ZQGetLink(std::string_view base, std::string_view file, bool design, bool addVersion,
                      bool addScriptName, bool useURLBase) {
  if (ZQIsHttpLink(file)) return std::string(file);
  while (!file.empty() && file.front() == '/') file.remove_prefix(1);
  if (ZQIsHttpLink(base) || design) return std::string(base) + std::string(file);
  std::string r;
  if (useURLBase && gServerController) {
    r = gServerController->URLBase;
    if (!r.empty() && r.back() == '/') r.pop_back();
  }
  if (addScriptName && ZQRunsAsLibraryModule) r += ZQGetScriptName();
  r += "/";
  r += base;
  r += file;
  if (addVersion) r += "?v=" + ZQGetLibraryVersion();
  return r;
}

void ZQAddLinkFile(TIWPageContext40& page, std::string_view base, std::string_view file,
                   bool design) {
  std::string url = ZQGetLink(base, file, design, true, false, false);
  if (!page.HasLinkFile(url)) page.AddLinkFile(url);
}

void ZQAddLinkFile(TIWCompContext& context, std::string_view base, std::string_view file,
                   bool design) {
  if (context.PageContext()) ZQAddLinkFile(*context.PageContext(), base, file, design);
}

void ZQAddJSLink(TIWPageContext40& page, std::string_view base, std::string_view file,
                 bool design) {
  std::string url = ZQGetLink(base, file, design, true, false, false);
  if (!page.HasScriptFile(url)) page.AddScriptFile(url);
}

void ZQAddJSLink(TIWCompContext& context, std::string_view base, std::string_view file,
                 bool design) {
  if (context.PageContext()) ZQAddJSLink(*context.PageContext(), base, file, design);
}

void ZQRenderScriptLinks(TIWCompContext& context, const std::vector<std::string>& files,
                         bool design) {
  for (const auto& f : files) ZQAddJSLink(context, ZQJsUrlBase, f, design);
}

void ZQRenderScriptLinks(TIWCompContext& context, const TStringList& files, bool design) {
  for (int i = 0; i < files.Count(); ++i) ZQAddJSLink(context, ZQJsUrlBase, files[i], design);
}

void ZQAddJS(TIWCompContext& context, std::string_view script) {
  if (context.PageContext()) context.AddToJavaScriptOnce(script);
}

void AddToExtraHeader(TIWPageContext40& page, std::string_view url) {
  std::string line =
      Format("<script type=\"text/javascript\" src=\"%s\"></script>", HTMLEscape(url));
  auto& lines = page.ExtraHeader();
  if (std::find(lines.begin(), lines.end(), line) == lines.end()) page.AddToExtraHeader(line);
}

void AddToExtraHeader(TIWCompContext& context, std::string_view url) {
  if (context.PageContext()) AddToExtraHeader(*context.PageContext(), url);
}

}  // namespace zq
