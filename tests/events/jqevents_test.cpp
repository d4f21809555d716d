// Browser parameters, DOM event bindings, ajax cookies and the tag lookup.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "events/browserparams.h"
#include "events/htmltag.h"
#include "events/jqevents.h"
#include "events_support.h"
#include "host/application.h"
#include "host/servercontroller.h"
#include "error_message.h"

namespace zq {
namespace {

using test::THandlerLog;
using test::TTestControl;
using test::Message;

const std::string kCall = "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true);";

class JQEventsTest : public ::testing::Test {
 protected:
  Owned<TTestControl> ctl{Create<TTestControl>()};
  THandlerLog log;
  TIWZQJQEvents* ev() { return ctl->GetJQEvents(); }
};

TEST_F(JQEventsTest, BrowserParameterNames) {
  TIWZQBrowserParams* ps = ctl->GetOnClick()->GetBrowserParams();
  ps->Add();
  ps->Add();
  ps->Add();
  EXPECT_EQ(ps->Items(0)->GetServerName(), "ServerName0");
  EXPECT_EQ(ps->Items(1)->GetServerName(), "ServerName1");
  EXPECT_EQ(ps->Items(2)->GetServerName(), "ServerName2");
  EXPECT_EQ(ps->Items(2)->GetDisplayName(), "ServerName2");
  ps->Delete(1);
  EXPECT_EQ(ps->Add()->GetServerName(), "ServerName1");
  EXPECT_EQ(ps->GetItemByName("servername2"), ps->Items(1));

  TIWZQBrowserParam* p = ps->Items(0);
  EXPECT_EQ(Message([&] { p->SetServerName("a=b"); }), "ServerName cannot have the symbol \"=\"!");
  EXPECT_EQ(Message([&] { p->SetServerName("   "); }), "ServerName cannot be empty!");
  EXPECT_THROW(p->SetServerName("ServerName2"), Exception);
  EXPECT_EQ(p->GetServerName(), "ServerName0");
  p->SetServerName(" row ");
  EXPECT_EQ(p->GetServerName(), "row");
  EXPECT_EQ(ps->GetItemByName("row"), p);
  EXPECT_EQ(ps->GetItemByName("ServerName0"), nullptr);
  EXPECT_THROW(ps->AddParam("ROW", "x"), Exception);  // names are read case-insensitively
  EXPECT_EQ(ps->Count(), 3);

  TIWZQBrowserParam* q = ctl->GetOnClick()->GetInternalBrowserParams()->Add();
  p->SetBrowserScript("getRow()");
  p->SetSendJSon(true);
  q->Assign(p);
  EXPECT_EQ(q->GetServerName(), "row");
  EXPECT_EQ(q->GetBrowserScript(), "getRow()");
  EXPECT_TRUE(q->GetSendJSon());
}

TEST_F(JQEventsTest, ParameterChangesOfAJsonFunctionAreRecorded) {
  ctl->InCallback = true;
  ctl->GetOptions()->GetOnClick()->GetBrowserParams()->AddParam("v", "this.value");
  ASSERT_NE(ctl->AjaxList(), nullptr);
  EXPECT_EQ(ctl->AjaxList()->Count(), 1);
  // A DOM event changed in a callback is bound again.
  ctl->Dispatcher().ClearAjax();
  ev()->GetOnChange()->SetScript("function(e){ changed(); }");
  ev()->GetOnBlur()->SetScript("x");
  ev()->GetOnBlur()->SetScript("");
  EXPECT_EQ(ctl->AjaxList()->GetScript(),
            "$(\"#BTN1\").off(\"change\"); $(\"#BTN1\").on(\"change\",function(e){ changed(); }); "
            "$(\"#BTN1\").off(\"blur\");");
}

TEST_F(JQEventsTest, NothingToBind) {
  EXPECT_EQ(ev()->GetRenderJavascript(true), "");
  EXPECT_EQ(ev()->GetRenderJavascript(false), "");
}

TEST_F(JQEventsTest, BindAndUnbind) {
  ev()->GetOnClick()->SetOnEvent(log.Event());
  EXPECT_EQ(ev()->GetRenderJavascript(true),
            "$(\"#BTN1\").on(\"click\",function (e){   var url = \"&ajaxevent=JQEvents.OnClick\";   " + kCall +
                " } ); ");
  EXPECT_EQ(ev()->GetRenderJavascript(false), "$(\"#BTN1\").off(\"click\"); ");
}

TEST_F(JQEventsTest, KeyEventsMarkTheContentAndSendTheKey) {
  ev()->GetOnKeyUp()->SetOnEvent(log.Event());
  EXPECT_EQ(ev()->GetOnKeyUp()->GetScriptToExecute(),
            "function (e){OnControlContentChange(e);   var url = \"&ajaxevent=JQEvents.OnKeyUp\"; "
            "url = url + \"&key=\"+encodeURIComponent((e.keyCode || e.which));   " +
                kCall + " }");
  // A key event with only user script: the call comes first in the body.
  ev()->GetOnKeyDown()->SetScript("function(e){ check(e); }");
  EXPECT_EQ(ev()->GetOnKeyDown()->GetScriptToExecute(), "function(e){OnControlContentChange(e); check(e); }");
  // Other events get no fixed script; key events without script none either.
  ev()->GetOnClick()->SetScript("function(e){ a(); }");
  EXPECT_EQ(ev()->GetOnClick()->GetScriptToExecute(), "function(e){ a(); }");
  EXPECT_EQ(ev()->GetOnKeyPress()->GetScriptToExecute(), "");
  bool at = false;
  EXPECT_EQ(ev()->GetFixedScript(ev()->GetOnKeyPress(), at), "");
}

TEST_F(JQEventsTest, FixedScriptSplicing) {
  Owned<TIWZQJSon> o(TIWZQJSon::CreateSingle<test::TFixedOptions>(ctl.get(), "Fixed"));
  auto* f = static_cast<test::TFixedOptions*>(o.get())->GetGo();
  // Nothing but the fixed script: the declaration, the fixed script, "}".
  EXPECT_EQ(f->GetScriptToExecute(), "function go(a,b){fixed();}");
  EXPECT_EQ(f->GetScript(false), "{fixed();}");
  EXPECT_TRUE(f->GetHasScript());
  EXPECT_TRUE(f->GetIsStored());
  // At the end of the body, after the generated call.
  f->SetOnEvent(log.Event());
  EXPECT_EQ(f->GetScriptToExecute(), "function go(a,b){   var url = \"&ajaxevent=Fixed.Go\";   " + kCall + " fixed();}");
  // A user script without "{" stays as it is.
  f->SetOnEvent(nullptr);
  f->SetScript("noBraces()");
  EXPECT_EQ(f->GetScriptToExecute(), "noBraces()");
}

TEST_F(JQEventsTest, FixedScriptLinesUnderDebugging) {
  auto sc = CreateOwned<TIWServerController>();
  sc->JavaScriptDebug = true;
  ev()->GetOnKeyDown()->SetScript("function(e){ check(e); }");
  EXPECT_EQ(ev()->GetOnKeyDown()->GetScriptToExecute(), "function(e){\r\nOnControlContentChange(e);\r\n check(e); }");
}

// ---- cookies

TEST(AjaxCookie, Scripts) {
  EXPECT_EQ(TIWZQJQAjaxCookie::JsAddCookie("theme", "dark", false, 7), "$.cookie(\"theme\",\"dark\",{\"expires\":7})");
  EXPECT_EQ(TIWZQJQAjaxCookie::JsAddCookie("n", "getV()", true), "$.cookie(\"n\",getV())");
  EXPECT_EQ(TIWZQJQAjaxCookie::JsGetCookie("name"), "$.cookie(\"name\")");
  EXPECT_EQ(TIWZQJQAjaxCookie::JsDeleteCookie("n", "/"), "$.removeCookie(\"n\",{\"path\":\"\\/\"})");
  Owned<TIWZQJSon> c(TIWZQJSon::CreateSingle<TIWZQJQAjaxCookie>(nullptr, "Cookie"));
  auto* cookie = static_cast<TIWZQJQAjaxCookie*>(c.get());
  cookie->SetPath("/app");
  EXPECT_EQ(cookie->JsRemoveCookie("n"), "$.removeCookie(\"n\",{\"path\":\"\\/app\"})");
  EXPECT_EQ(cookie->JsReadCookieEx("n", "", "", false, false), "$.cookie(\"n\")");
  EXPECT_EQ(cookie->JsCreateCookieEx("n", "v", false, 0, "", "", false, true), "$.cookie(\"n\",\"v\",{\"raw\":true})");
  const std::string jq = ZQJQuery;
  ZQJQuery = "jQuery";
  EXPECT_EQ(TIWZQJQAjaxCookie::GetJsPrefix(), "jQuery.cookie");
  ZQJQuery = jq;
}

TEST(AjaxCookie, List) {
  Owned<TTestControl> ctl(Create<TTestControl>());
  Owned<TIWZQJSonList> list(TIWZQJQAjaxCookieList::Create(ctl.get(), "Cookies"));
  auto* l = static_cast<TIWZQJQAjaxCookieList*>(list.get());
  l->Add()->SetExpires(3);
  l->Insert(0)->SetDomain("x.org");
  EXPECT_EQ(l->Items(1)->GetExpires(), 3);
  EXPECT_EQ(l->Items(0)->GetDomain(), "x.org");
}

// ---- tags

TEST(HTMLTag, ItemByTag) {
  TIWZQHTMLTag div("div");
  div.AddText("text first");
  TIWHTMLTag* p = div.AddTag("p");
  TIWHTMLTag* inner = p->AddTag("SPAN");
  TIWHTMLTag* span = div.AddTag("span");
  EXPECT_EQ(div.GetItemByTag("span", false), span);
  EXPECT_EQ(div.GetItemByTag("span", true), inner);  // depth-first right after its parent is tested
  EXPECT_EQ(div.GetItemByTag("P", false), p);
  EXPECT_EQ(div.GetItemByTag("table", true), nullptr);
}

// ---- the client runtime declares what the generated script relies on

TEST(ClientRuntime, DeclaresTheIndicatorTable) {
  std::ifstream in(std::string(ZQ_SOURCE_DIR) + "/webroot/zq.runtime.js");
  ASSERT_TRUE(in) << "webroot/zq.runtime.js";
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string js = ss.str();
  EXPECT_NE(js.find("var GEventIndicators"), std::string::npos);
  for (const char* fn : {"executeAjaxEvent = function", "SubmitClickConfirm = function",
                         "OnControlContentChange = function"})
    EXPECT_NE(js.find(fn), std::string::npos) << fn;
}

}  // namespace
}  // namespace zq
