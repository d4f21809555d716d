#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "components/lockindicator/lockscripts.h"
#include "foundation/superobject.h"

namespace zq {
namespace {

TEST(LockScripts, ImageTableAndPaths) {
  EXPECT_EQ(ZQLockImageSize(3).Width, 66);
  EXPECT_EQ(ZQLockImageSize(3).Height, 66);
  EXPECT_EQ(ZQLockImageSize(1).Width, 220);
  EXPECT_EQ(ZQLockImageSize(1).Height, 19);
  EXPECT_EQ(ZQLockImageSize(19).Width, 80);
  EXPECT_EQ(ZQLockImageSize(19).Height, 27);
  EXPECT_EQ(ZQLockImageSize(jqlidiNone).Width, 0);
  EXPECT_EQ(ZQLockImageSize(21).Height, 0);
  EXPECT_EQ(ZQLockImagePath("css/", TIWZQJQLockIndicatorImgColor::jqlisBlack, 3),
            "css/loading-animation/black/Loading3.gif");
  EXPECT_EQ(ZQLockImagePath("css/", TIWZQJQLockIndicatorImgColor::jqlisRed, 20),
            "css/loading-animation/red/Loading20.gif");
  EXPECT_EQ(ZQLockImagePath("css/", TIWZQJQLockIndicatorImgColor::jqlisBlue, jqlidiNone), "");
  EXPECT_EQ(ZQLockImageFileName(jqlidiNone), "No Image");
}

TEST(LockScripts, GrowlCssDefaultIsWellFormedJson) {
  ISuperObject o = SO(kZQLockGrowlCSSDefault);
  ASSERT_TRUE(o);
  ASSERT_TRUE(o->IsType(stObject));
  EXPECT_EQ(o->GetS("color"), "#fff");
  EXPECT_EQ(o->GetS("border-radius"), "10px");
}

TEST(LockScripts, PreScriptsDeclareTheThreeHelpersInOrder) {
  auto lines = ZQLockIndicatorPreScriptLines();
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0], "function ZQCreateLock(url) {");
  EXPECT_EQ(lines[6], "function ZQGetEventName(params,handler) {");
  EXPECT_EQ(lines[25], "function ZQIsInStrArray(str,arr) {");
  EXPECT_EQ(lines.back(), "}");
}

TEST(LockScripts, RegExArraysAreEscapedStringLiterals) {
  EXPECT_EQ(ZQLockRegExArray({".OnClick$"}), "[\".OnClick$\"]");
  EXPECT_EQ(ZQLockRegExArray({}), "[]");
  // A backslash and a quote reach the RegExp constructor unchanged.
  EXPECT_EQ(ZQLockRegExArray({"a\\.b", "x\"y"}), "[\"a\\\\.b\",\"x\\\"y\"]");
}

TEST(LockScripts, NoItemsGiveNoHookScript) {
  TZQLockHookSource s;
  s.ActiveIndex = 0;
  EXPECT_TRUE(ZQLockIndicatorHookLines(true, false, s).empty());
  EXPECT_TRUE(ZQLockIndicatorHookLines(false, true, s).empty());
}

TEST(LockScripts, AjaxBeginHookOfAFormIndicator) {
  TZQLockHookSource s;
  s.ItemScripts = {"$.blockUI({});", "$(\"#P1\").block({});"};
  s.ActiveIndex = 1;
  s.AjaxEventsRegEx = {".OnAsyncDoubleClick$", ".OnAsyncClick$"};
  s.AjaxEventsZQRegEx = {".OnClick$"};
  std::vector<std::string> expected = {
      "function ZQGetNeedsIndicator(evt,handler) {",
      " var pos = handler.indexOf(\".\");",
      " if (pos > 0) handler = handler.slice(pos+1);",
      " if (handler == \"DoAjaxRequest\") {",
      "   return ZQIsInStrArray(evt,[\".OnClick$\"]);",
      " }",
      " else {",
      "   return ZQIsInStrArray(evt,[\".OnAsyncDoubleClick$\",\".OnAsyncClick$\"]);",
      " }",
      "}",
      "var ZQLockFns = ZQLockFns || {};",
      "function IndicatorAjaxBegin_0() {",
      "$.blockUI({});",
      "}",
      "ZQLockFns[\"IndicatorAjaxBegin_0\"] = IndicatorAjaxBegin_0;",
      "function IndicatorAjaxBegin_1() {",
      "$(\"#P1\").block({});",
      "}",
      "ZQLockFns[\"IndicatorAjaxBegin_1\"] = IndicatorAjaxBegin_1;",
      "var evt = ZQGetEventName(params,handler);",
      "if (typeof(GEventIndicators)==\"undefined\") var fnc = \"\";",
      "else var fnc = GEventIndicators[evt];",
      "if (fnc && fnc.length > 0) fnc = \"IndicatorAjaxBegin_\" + fnc;",
      "else if (ZQGetNeedsIndicator(evt,handler))  fnc = \"IndicatorAjaxBegin_\" + \"1\";",
      "if (fnc && fnc.length > 0 && typeof ZQLockFns[fnc] === \"function\") ZQLockFns[fnc]();"};
  EXPECT_EQ(ZQLockIndicatorHookLines(true, false, s), expected);
}

TEST(LockScripts, SubmitEndHookOfTheServerControllerIndicator) {
  TZQLockHookSource s;
  s.OnServerController = true;
  s.ItemScripts = {"$.unblockUI();"};
  s.ActiveIndex = 0;
  auto lines = ZQLockIndicatorHookLines(false, true, s);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "function scZQGetNeedsIndicator(evt,handler) {");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "function IndicatorSubmitEnd_sc0() {"),
            lines.end());
  // Submits use the active item without a condition.
  EXPECT_EQ(lines[lines.size() - 2], "else  fnc = \"IndicatorSubmitEnd_\" + \"sc0\";");
}

TEST(LockScripts, AnActiveIndexOutsideTheItemsAddsNoDefault) {
  TZQLockHookSource s;
  s.ItemScripts = {"$.blockUI({});"};
  s.ActiveIndex = 5;
  auto lines = ZQLockIndicatorHookLines(true, false, s);
  for (const auto& l : lines) EXPECT_EQ(l.rfind("else if", 0), std::string::npos) << l;
}

TEST(LockScripts, MessageIsEscapedUnlessDeclaredHtml) {
  TZQLockMessage m;
  m.Name = "IWZQJQLOCKINDICATOR1";
  m.Text = "<b>Wait</b> & see";
  EXPECT_EQ(
      ZQLockMessageHTML(m),
      "<span ID=\"IWZQJQLOCKINDICATOR1_LOCKMSG\" class=\"zq-lock-indicator-msg\" "
      "style=\"display:block; "
      "text-align: center; vertical-align: middle;\">&lt;b&gt;Wait&lt;/b&gt; &amp; see</span>");
  m.MessageIsHTML = true;
  EXPECT_NE(ZQLockMessageHTML(m).find(">" + m.Text + "</span>"), std::string::npos);
}

TEST(LockScripts, MessageAndImageOrderFollowTheAlignment) {
  TZQLockMessage m;
  m.Name = "P1";
  m.ImageSrc = "css/loading-animation/black/Loading3.gif";
  m.Width = 66;
  m.Height = 66;
  std::string left = ZQLockMessageHTML(m);
  EXPECT_EQ(
      left.rfind(
          "<img ID=\"P1_LOCKIMG\" src=\"css/loading-animation/black/Loading3.gif\" width=\"66\" "
          "height=\"66\" class=\"zq-lock-image-align-horiz\">",
          0),
      0u);
  EXPECT_NE(left.find("display:table-cell;"), std::string::npos);
  m.Align = TIWZQJQLockIndicatorImgAlign::jqliiaBottom;
  std::string bottom = ZQLockMessageHTML(m);
  EXPECT_EQ(bottom.rfind("<span", 0), 0u);
  EXPECT_NE(bottom.find("zq-lock-image-align-vert"), std::string::npos);
  m.Text.clear();
  EXPECT_EQ(ZQLockMessageHTML(m).find("<span"), std::string::npos);
}

}  // namespace
}  // namespace zq
