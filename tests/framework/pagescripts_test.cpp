#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/jqcommon.h"
#include "framework/pagescripts.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/testing.h"
#include "host/zqhelpers.h"

namespace zq {
namespace {

TEST(PageScripts, NoIndicatorGivesNoBlock) {
  EXPECT_EQ(ZQPageIndicatorBlock({"function a() {}"}, {}, " "), "");
}

TEST(PageScripts, IndicatorBlockStepsInOrder) {
  TZQPageIndicatorScripts sc{"ZQCreateLock(\"a.gif\");", "SCAB", "SCAE", "SCSB", "SCSE"};
  TZQPageIndicatorScripts form{"", "FAB", "FAE", "FSB", "FSE"};
  const std::string r = ZQPageIndicatorBlock({"H1", "H2"}, {sc, form}, "|");
  EXPECT_EQ(
      r,
      "\r\n<script type=\"text/javascript\">|H1|H2|ZQCreateLock(\"a.gif\");|var "
      "PreAsyncScript=true;|"
      "var PostAsyncScript=true;|function PreAsyncProgressScript(params,handler) {|SCAB|FAB|}|"
      "function PostAsyncProgressScript(params,handler) {|SCAE|FAE|}|var PreScript=true;|var "
      "PostScript=true;|"
      "function PreProgressScript(params,handler) {|ReleaseLock();|SCSB|FSB|}|"
      "function PostProgressScript(params,handler) {|SCSE|FSE|}|</script>|");
}

TEST(PageScripts, DeferredInitMovesTheMarkedTextIntoAReadyHandler) {
  std::string body = "InitRects();\r\nInitIWCLObjects();\r\nInitialize();";
  std::string ready = "X();";
  ASSERT_TRUE(ZQDeferClientObjectInit(body, ready, "$", "\r\n"));
  EXPECT_EQ(body, "\r\nInitialize();");
  EXPECT_EQ(ready, "$(function(){\r\nInitRects();\r\nInitIWCLObjects();});\r\nX();");
  std::string noEnd = "InitRects(); Initialize();";
  std::string r2;
  EXPECT_FALSE(ZQDeferClientObjectInit(noEnd, r2, "$", ""));
  EXPECT_EQ(noEnd, "InitRects(); Initialize();");
  EXPECT_EQ(r2, "");
}

TEST(PageScripts, MaskedInputTagIsRemovedWholeAndOtherTextKept) {
  std::string s =
      "<script type=\"text/javascript\" src=\"/jq/jquery.js\"></script>\r\n"
      "<script type=\"text/javascript\" src=\"/js/jquerymaskedinput_1.js\"></script>\r\n<b>";
  ASSERT_TRUE(ZQRemoveScriptTag(s, "js/jquerymaskedinput_"));
  EXPECT_EQ(s, "<script type=\"text/javascript\" src=\"/jq/jquery.js\"></script>\r\n<b>");
  EXPECT_FALSE(ZQRemoveScriptTag(s, "js/jquerymaskedinput_"));
  EXPECT_EQ(s, "<script type=\"text/javascript\" src=\"/jq/jquery.js\"></script>\r\n<b>");
}

TEST(PageScripts, MobileJQueryTagTakesTheHostTagsPlace) {
  const std::string host =
      "<script type=\"text/javascript\" src=\"/js/jquery_1.4.js\"></script>\r\n";
  const std::string mid = "<script type=\"text/javascript\" src=\"/js/iw.js\"></script>\r\n";
  const std::string lib =
      "<script type=\"text/javascript\" src=\"/jq/jquery-1.10.2.min.js\"></script>\r\n";
  std::string s = "<head>" + host + mid + lib + "<b>";
  ASSERT_TRUE(ZQReplaceScriptTag(s, "js/jquery_", "jquery-1.10.2.min.js"));
  EXPECT_EQ(s, "<head>" + lib + mid + "<b>");
  // Either tag missing: nothing changes. A library tag before the host's is
  // not the one meant.
  for (std::string t : {"<head>" + host + mid, "<head>" + mid + lib, "<head>" + lib + host}) {
    const std::string before = t;
    EXPECT_FALSE(ZQReplaceScriptTag(t, "js/jquery_", "jquery-1.10.2.min.js"));
    EXPECT_EQ(t, before);
  }
}

TEST(PageScripts, EveryPageGetsTheDebugFlagWhileTheSettingIsOn) {
  using hosttest::THostFixture;
  ZQJSErrorHandler = true;
  THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    return f;
  });
  ZQJSErrorHandler = false;
  const std::string page = host.FirstPage().Body();
  const std::size_t flag = page.find(std::string(kZQDebugFlagScript));
  ASSERT_NE(flag, std::string::npos);
  // In front of the host's own script section.
  EXPECT_LT(flag, page.find("zq.runtime"));
  EXPECT_EQ(host.Get("/").Body().find("IWZQDEBUG"), std::string::npos);
}

TEST(PageScripts, DeferredInitOnEveryPageWhenTheThreadAsksForIt) {
  using hosttest::THostFixture;
  THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    return f;
  });
  const std::string plain = host.FirstPage().Body();
  EXPECT_NE(plain.find("InitRects();\r\nInitIWCLObjects();\r\nInitialize();"), std::string::npos);
  SetZQLoadIWCLProcOnReady(true);
  const std::string page = host.Form().RenderPage();
  SetZQLoadIWCLProcOnReady(false);
  EXPECT_NE(page.find("$(function(){InitRects();\r\nInitIWCLObjects();});"), std::string::npos);
  EXPECT_EQ(page.find("InitRects();\r\nInitIWCLObjects();\r\nInitialize();"), std::string::npos);
}

}  // namespace
}  // namespace zq
