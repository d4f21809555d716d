#include "framework/pagescripts.h"

#include <atomic>
#include <functional>
#include <mutex>

#include "foundation/jqcommon.h"
#include "framework/links.h"
#include "host/context.h"
#include "host/controls.h"
#include "host/zqhelpers.h"

namespace zq {

std::string ZQPageIndicatorBlock(const std::vector<std::string>& AHelperLines,
                                 const std::vector<TZQPageIndicatorScripts>& AIndicators,
                                 std::string_view ASeparator) {
  if (AIndicators.empty()) return {};
  std::vector<std::string> lines{"\r\n<script type=\"text/javascript\">"};
  lines.insert(lines.end(), AHelperLines.begin(), AHelperLines.end());
  // Every indicator's non-empty script of one kind, in indicator order.
  auto each = [&](std::string TZQPageIndicatorScripts::*APart) {
    for (const auto& i : AIndicators)
      if (!(i.*APart).empty()) lines.push_back(i.*APart);
  };
  // A hook function whose body is every indicator's script of one kind.
  auto hook = [&](const char* AName, std::string TZQPageIndicatorScripts::*APart,
                  const char* AFirst = nullptr) {
    lines.push_back(std::string("function ") + AName + "(params,handler) {");
    if (AFirst) lines.push_back(AFirst);
    each(APart);
    lines.push_back("}");
  };
  each(&TZQPageIndicatorScripts::PreImages);
  lines.push_back("var PreAsyncScript=true;");
  lines.push_back("var PostAsyncScript=true;");
  hook("PreAsyncProgressScript", &TZQPageIndicatorScripts::AjaxBegin);
  hook("PostAsyncProgressScript", &TZQPageIndicatorScripts::AjaxEnd);
  lines.push_back("var PreScript=true;");
  lines.push_back("var PostScript=true;");
  hook("PreProgressScript", &TZQPageIndicatorScripts::SubmitBegin, "ReleaseLock();");
  hook("PostProgressScript", &TZQPageIndicatorScripts::SubmitEnd);
  lines.push_back("</script>");
  std::string r;
  for (const auto& l : lines) {
    r += l;
    r += ASeparator;
  }
  return r;
}

bool ZQDeferClientObjectInit(std::string& ABodyScript, std::string& AOnReady,
                             std::string_view AAlias, std::string_view ABreak) {
  const std::string_view endMarker = "InitIWCLObjects();";
  const std::size_t start = ABodyScript.find("InitRects(");
  if (start == std::string::npos) return false;
  const std::size_t end = ABodyScript.find(endMarker, start);
  if (end == std::string::npos) return false;
  const std::size_t stop = end + endMarker.size();
  const std::string cut = ABodyScript.substr(start, stop - start);
  ABodyScript.erase(start, stop - start);
  AOnReady = std::string(AAlias) + "(function(){" + std::string(ABreak) + cut + "});" +
             std::string(ABreak) + AOnReady;
  return true;
}

namespace {

// The script tag around the marker at AMarker: from the last "<script "
// before it to the next "</script>" and a following CR LF. False when an end
// is missing.
bool ScriptTagAround(const std::string& AText, std::size_t AMarker, std::size_t& AStart,
                     std::size_t& AEnd) {
  const std::string_view close = "</script>";
  AStart = AText.rfind("<script ", AMarker);
  AEnd = AText.find(close, AMarker);
  if (AStart == std::string::npos || AEnd == std::string::npos) return false;
  AEnd += close.size();
  if (AText.compare(AEnd, 2, "\r\n") == 0) AEnd += 2;
  return true;
}

}  // namespace

bool ZQRemoveScriptTag(std::string& AText, std::string_view AMarker) {
  const std::size_t marker = AText.find(AMarker);
  if (marker == std::string::npos) return false;
  std::size_t start = 0, end = 0;
  if (!ScriptTagAround(AText, marker, start, end)) return false;
  AText.erase(start, end - start);
  return true;
}

bool ZQReplaceScriptTag(std::string& AText, std::string_view AHostMarker,
                        std::string_view ALibraryMarker) {
  const std::size_t host = AText.find(AHostMarker);
  if (host == std::string::npos) return false;
  std::size_t hostStart = 0, hostEnd = 0;
  if (!ScriptTagAround(AText, host, hostStart, hostEnd)) return false;
  const std::size_t lib = AText.find(ALibraryMarker, hostEnd);
  if (lib == std::string::npos) return false;
  std::size_t libStart = 0, libEnd = 0;
  if (!ScriptTagAround(AText, lib, libStart, libEnd) || libStart < hostEnd) return false;
  const std::string tag = AText.substr(libStart, libEnd - libStart);
  AText.erase(libStart, libEnd - libStart);
  AText.replace(hostStart, hostEnd - hostStart, tag);
  return true;
}

namespace {

std::mutex gFilterLock;
int gFilterId = 0;
std::atomic<TZQPageIndicatorSource> gIndicatorSource{nullptr};

std::string PageScriptFilter(TIWLayoutMgr& ALayout, TIWPageContext40& APage,
                             const std::function<std::string()>& ANext) {
  if (TZQPageIndicatorSource source = gIndicatorSource.load()) {
    TZQPageIndicators indicators;
    source(APage, indicators);
    const std::string block = ZQPageIndicatorBlock(indicators.HelperLines, indicators.Scripts,
                                                   ZQJavascriptDebug() ? "\r\n" : " ");
    if (!block.empty()) APage.BodyTag().AddRawText(block);
  }
  if (GetZQLoadIWCLProcOnReady()) {
    std::string ready = APage.GetOnReadyProc();
    if (ZQDeferClientObjectInit(APage.BodyScript(), ready, ZQJQuery,
                                ZQJavascriptDebug() ? "\r\n" : ""))
      APage.SetOnReadyProc(std::move(ready));
  }
  std::string text = ANext();
  ZQRemoveScriptTag(text, "js/jquerymaskedinput_");
  // A mobile page of the form layout loads the library's newer jQuery in the
  // host's jQuery's place.
  if (GetZQIsMobile() && dynamic_cast<TIWLayoutMgrForm*>(&ALayout))
    ZQReplaceScriptTag(text, "js/jquery_", JQNewFileName());
  if (ZQJSErrorHandler) text.insert(0, kZQDebugFlagScript);
  return text;
}

}  // namespace

void ZQSetPageIndicatorSource(TZQPageIndicatorSource ASource) {
  gIndicatorSource.store(ASource);
}

void ZQInstallPageScripts() {
  std::lock_guard<std::mutex> g(gFilterLock);
  if (gFilterId == 0) gFilterId = TIWLayoutMgr::AddScriptSectionFilter(&PageScriptFilter);
}

void ZQRemovePageScripts() {
  std::lock_guard<std::mutex> g(gFilterLock);
  if (gFilterId != 0) TIWLayoutMgr::RemoveScriptSectionFilter(gFilterId);
  gFilterId = 0;
}

}  // namespace zq
