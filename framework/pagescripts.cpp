#include "framework/pagescripts.h"

#include <atomic>
#include <functional>
#include <mutex>

#include "foundation/jqcommon.h"
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

bool ZQRemoveScriptTag(std::string& AText, std::string_view AMarker) {
  const std::size_t marker = AText.find(AMarker);
  if (marker == std::string::npos) return false;
  const std::size_t start = AText.rfind("<script ", marker);
  const std::string_view close = "</script>";
  std::size_t end = AText.find(close, marker);
  if (start == std::string::npos || end == std::string::npos) return false;
  end += close.size();
  if (AText.compare(end, 2, "\r\n") == 0) end += 2;
  AText.erase(start, end - start);
  return true;
}

namespace {

std::mutex gFilterLock;
int gFilterId = 0;
std::atomic<TZQPageIndicatorSource> gIndicatorSource{nullptr};

std::string PageScriptFilter(TIWLayoutMgr&, TIWPageContext40& APage,
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
