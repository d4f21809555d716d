// Event functions: the generated script, the event identifier, JSON
// functions with fixed script, indicators, copy and reset.
#include <gtest/gtest.h>

#include "events/browserparams.h"
#include "events/func.h"
#include "events_support.h"
#include "foundation/jqcommon.h"
#include "host/application.h"
#include "host/servercontroller.h"
#include "error_message.h"

namespace zq {
namespace {

using test::THandlerLog;
using test::TTestControl;
using test::Message;

class FuncTest : public ::testing::Test {
 protected:
  Owned<TTestControl> ctl{Create<TTestControl>()};
  THandlerLog log;
  TIWZQFunc* click() { return ctl->GetOnClick(); }
};

TEST_F(FuncTest, AjaxHandlerGivesTheFourLines) {
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  EXPECT_EQ(click()->GetScriptToExecute(),
            "{   var url = \"&ajaxevent=OnClick\";   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } ");
  // Queued and not appended: the fourth argument is negated, the sixth as is.
  click()->SetAjaxQueued(true);
  click()->SetAjaxAppend(false);
  EXPECT_NE(click()->GetScriptToExecute().find("\"BTN1.DoAjaxRequest\",false,null,false);"), std::string::npos);
}

TEST_F(FuncTest, ScriptWithoutHandlerIsTheUserScriptAlone) {
  click()->SetScript("  alert(1)  ");
  EXPECT_EQ(click()->GetScriptText(), "alert(1)");
  EXPECT_EQ(click()->GetScriptToExecute(), "alert(1)");
  EXPECT_TRUE(click()->GetHasScript());
  click()->SetScript("");
  EXPECT_EQ(click()->GetScriptToExecute(), "");
  EXPECT_FALSE(click()->GetHasScript());
}

TEST_F(FuncTest, SubmitConditionAndEmptyIdentifier) {
  click()->SetOnEvent(log.Event());
  click()->SetCondition(" x > 1 ");
  EXPECT_EQ(click()->GetScriptToExecute(),
            "{  if (!(x > 1)) return true;   var url = \"&submitevent=OnClick\";   "
            "SubmitClickConfirm(\"BTN1\",url,true,\"\"); } ");
  // A function whose property name is empty: no identifier, still the call.
  Owned<TIWZQFunc> anon(Create<TIWZQFunc>(ctl.get(), std::string()));
  anon->SetOnSimpleEvent(TNotifyEvent(&log, &THandlerLog::OnSimple));
  anon->SetAjax(true);
  EXPECT_EQ(anon->GetScriptToExecute(),
            "{   var url = \"\";   executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } ");
}

TEST_F(FuncTest, BrowserParametersInOrderAndSkipped) {
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  click()->GetInternalBrowserParams()->AddParam("pos", "getPos()");
  auto* ps = click()->GetBrowserParams();
  ps->AddParam("empty", "   ");
  ps->AddParam("two", "a +\r\nb");
  ps->AddParam("obj", "{x:1}", true);
  EXPECT_FALSE(ctl->NeedsJSON);
  EXPECT_EQ(click()->GetScriptToExecute(),
            "{   var url = \"&ajaxevent=OnClick\"; "
            "url = url + \"&pos=\"+encodeURIComponent(getPos()); "
            "url = url + \"&two=\"+encodeURIComponent(a + b); "
            "url = url + \"&obj=\"+encodeURIComponent(JSON.stringify({x:1}));   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } ");
  EXPECT_TRUE(ctl->NeedsJSON);
}

TEST_F(FuncTest, DebugSwitchGivesLinesAndTheCatch) {
  auto sc = CreateOwned<TIWServerController>();
  sc->JavaScriptDebug = true;
  ZQScriptDebugCatch = true;
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  EXPECT_EQ(click()->GetScriptToExecute(),
            "{\r\ntry {\r\n  var url = \"&ajaxevent=OnClick\";\r\n"
            "  executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true);\r\n"
            "} catch(err) { alert(\"Script Error \" + err.message + \" in Event Handler Function BTN1.OnClick. "
            "Check BrowserParams\") }\r\n}\r\n");
  ZQScriptDebugCatch = false;
  EXPECT_EQ(click()->GetEmptyScript(), "{\r\n\r\n}");
}

TEST_F(FuncTest, GeneratedLinesAreSplicedIntoTheUserScript) {
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  click()->SetScript("function(e){\r\n  foo();\r\n}");
  EXPECT_EQ(click()->GetScriptToExecute(),
            "function(e){\r\n  foo();  var url = \"&ajaxevent=OnClick\";   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); \r\n}");
  // The last "}" counts, without a line break before it too.
  click()->SetScript("{ if (a) { b(); } }");
  EXPECT_EQ(click()->GetScriptToExecute(),
            "{ if (a) { b(); }   var url = \"&ajaxevent=OnClick\";   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); }");
  // No "}" at all: unchanged.
  click()->SetScript("foo()");
  EXPECT_EQ(click()->GetScriptToExecute(), "foo()");
}

TEST_F(FuncTest, HtmlAttributeForm) {
  click()->SetScript("$(\"#BTN1\").hide();\r\nfoo();");
  EXPECT_EQ(click()->GetScriptToHTML(), "$('#BTN1').hide(); foo();");
}

TEST_F(FuncTest, DesignStateGivesNoScript) {
  click()->SetScript("alert(1)");
  click()->SetOnEvent(log.Event());
  ctl->SetDesigning(true);
  EXPECT_EQ(click()->GetScriptToExecute(), "");
}

TEST_F(FuncTest, EventIdentifiersWalkThePropertyPath) {
  EXPECT_EQ(click()->GetEventID(), "OnClick");
  EXPECT_EQ(ctl->GetJQEvents()->GetOnClick()->GetEventID(), "JQEvents.OnClick");
  EXPECT_EQ(ctl->GetOptions()->GetOnClick()->GetEventID(), "Options.OnClick");
  auto* list = ctl->GetButtons();
  list->Add();
  list->Add();
  auto* third = list->Add();
  EXPECT_EQ(third->GetOnClick()->GetEventID(), "Buttons.Items[2].OnClick");
}

TEST_F(FuncTest, ConstructionNeedsTheAdapterAndDisablesTheResponse) {
  Owned<TPersistent> plain(Create<TPersistent>());
  EXPECT_EQ(Message([&] { Create<TIWZQFunc>(plain.get(), std::string("X")); }),
            "TIWZQFunc owner doesn''t interface IIWZQFuncAdapter!");
  EXPECT_EQ(ctl->DisableCount, 0);
  EXPECT_EQ(Message([&] { click()->SetScriptToExecute("x"); }), "Cannot change ScriptToExecute!");
}

TEST_F(FuncTest, AssignCopiesEverythingButScriptToExecute) {
  click()->SetScript("{ a(); }");
  click()->SetCondition("ok");
  click()->SetAjax(true);
  click()->SetAjaxQueued(true);
  click()->SetOnEvent(log.Event());
  click()->SetOnSimpleEvent(TNotifyEvent(&log, &THandlerLog::OnSimple));
  click()->GetBrowserParams()->AddParam("v", "val()");
  Owned<TIWZQFunc> copy(Create<TIWZQFunc>(ctl.get(), std::string("Copy")));
  copy->Assign(click());
  EXPECT_EQ(copy->GetScriptText(), "{ a(); }");
  EXPECT_EQ(copy->GetCondition(), "ok");
  EXPECT_TRUE(copy->GetAjax());
  EXPECT_TRUE(copy->GetAjaxQueued());
  EXPECT_TRUE(copy->GetOnEvent() == log.Event());
  EXPECT_TRUE(copy->GetOnSimpleEvent() == TNotifyEvent(&log, &THandlerLog::OnSimple));
  ASSERT_EQ(copy->GetBrowserParams()->Count(), 1);
  EXPECT_NE(copy->GetBrowserParams(), click()->GetBrowserParams());  // copied, not shared
  EXPECT_EQ(copy->GetBrowserParams()->Items(0)->GetBrowserScript(), "val()");

  copy->ResetProps();
  EXPECT_EQ(copy->GetScriptText(), "");
  EXPECT_EQ(copy->GetCondition(), "");
  EXPECT_FALSE(copy->GetAjax());
  EXPECT_FALSE(copy->GetAjaxQueued());
  EXPECT_TRUE(copy->GetAjaxAppend());
  EXPECT_FALSE(copy->GetOnEvent());
  EXPECT_FALSE(copy->GetOnSimpleEvent());
  EXPECT_EQ(copy->GetBrowserParams()->Count(), 0);
}

TEST_F(FuncTest, LegacyPropertiesFromAFormFile) {
  EXPECT_TRUE(click()->ReadLegacyProperty("AjaxAsync", Variant(true)));
  EXPECT_TRUE(click()->GetAjaxQueued());
  EXPECT_TRUE(click()->ReadLegacyProperty("Params", Variant(std::string("row=getRow()\r\nnoequals\r\nsel=a=b"))));
  auto* ps = click()->GetBrowserParams();
  ASSERT_EQ(ps->Count(), 2);
  EXPECT_EQ(ps->Items(0)->GetServerName(), "row");
  EXPECT_EQ(ps->Items(0)->GetBrowserScript(), "getRow()");
  EXPECT_TRUE(ps->Items(0)->GetSendJSon());
  EXPECT_EQ(ps->Items(1)->GetServerName(), "sel");
  EXPECT_EQ(ps->Items(1)->GetBrowserScript(), "a=b");
}

TEST_F(FuncTest, IndicatorItemRegistersTheEvent) {
  auto* ind = Create<test::TTestIndicator>(ctl.get(), 3);
  ind->SetName("Lock1");
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  click()->SetIndicator(ind);
  EXPECT_EQ(click()->GetIndicator(), ind);
  EXPECT_EQ(click()->GetIndicatorIndex(), 0);
  click()->SetIndicatorIndex(2);
  EXPECT_EQ(click()->GetIndicatorIndex(), 2);
  EXPECT_TRUE(ind->Items[0]->Funcs.empty());
  ASSERT_EQ(ind->Items[2]->Funcs.size(), 1u);
  EXPECT_EQ(click()->GetScriptToExecute().substr(0, 77),
            "{   GEventIndicators[\"BTN1.OnClick\"] = \"2\";   var url = \"&ajaxevent=OnClick\";");
  click()->SetIndicatorIndex(7);  // beyond the items: unchanged
  EXPECT_EQ(click()->GetIndicatorIndex(), 2);
  // A destroyed item clears the link.
  ind->SetCount(1);
  EXPECT_EQ(click()->GetIndicator(), nullptr);
  EXPECT_EQ(click()->GetIndicatorIndex(), -1);
  click()->SetIndicator(ind);
  click()->SetIndicatorIndex(-1);
  EXPECT_EQ(click()->GetIndicator(), nullptr);
}

TEST_F(FuncTest, IndicatorOnTheServerControllerIsPrefixed) {
  auto sc = CreateOwned<TIWServerController>();
  auto* ind = Create<test::TTestIndicator>(sc.get(), 2);
  click()->SetAjax(true);
  click()->SetOnEvent(log.Event());
  click()->SetIndicator(ind);
  click()->SetIndicatorIndex(1);
  EXPECT_NE(click()->GetScriptToExecute().find("GEventIndicators[\"BTN1.OnClick\"] = \"sc1\";"), std::string::npos);
  click()->SetIndicatorItem(nullptr);
}

TEST_F(FuncTest, IndicatorIndexIsParkedWhileLoading) {
  auto* ind = Create<test::TTestIndicator>(ctl.get(), 3);
  ctl->Loading = true;
  click()->SetIndicatorIndex(2);  // before Indicator
  click()->SetIndicator(ind);
  ctl->Loading = false;
  EXPECT_EQ(click()->GetIndicatorIndex(), 2);

  Owned<TIWZQFunc> other(Create<TIWZQFunc>(ctl.get(), std::string("Other")));
  ctl->Loading = true;
  other->SetIndicator(ind);  // Indicator first
  other->SetIndicatorIndex(1);
  ctl->Loading = false;
  EXPECT_EQ(other->GetIndicatorIndex(), 1);
  EXPECT_EQ(ind->Items[1]->Funcs.size(), 1u);
  other.reset();  // freeing unregisters from the item
  EXPECT_TRUE(ind->Items[1]->Funcs.empty());
}

// ---- TIWZQJSonFunc

TEST_F(FuncTest, JsonFunctionDeclarationArgumentsAndStored) {
  TIWZQJSonFunc* f = ctl->GetOptions()->GetOnClick();
  EXPECT_TRUE(f->GetAjax());  // the JSON function's default
  EXPECT_EQ(f->GetArguments(), "event, ui");
  EXPECT_FALSE(f->GetIsStored());
  EXPECT_EQ(f->GetJSon(), nullptr);
  f->SetOnEvent(log.Event());
  EXPECT_TRUE(f->GetIsStored());
  EXPECT_EQ(f->GetScriptToExecute(),
            "function (event, ui){   var url = \"&ajaxevent=Options.OnClick\";   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } ");
  EXPECT_EQ(f->GetScript(false).substr(0, 2), "{ ");
  ISuperObject json = ctl->GetOptions()->GetJSon();
  EXPECT_EQ(ZQOptionJSonText(json, false),
            "{click:function (event, ui){   var url = \"&ajaxevent=Options.OnClick\";   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } }");
}

TEST_F(FuncTest, SendAllArgumentsSkipsPublishedParameterNames) {
  TIWZQJSonFunc* f = ctl->GetOptions()->GetOnClick();
  f->SetOnEvent(log.Event());
  f->SetSendAllArguments(true);
  f->GetBrowserParams()->AddParam("ui", "ui.item");
  EXPECT_EQ(f->GetScriptToExecute(),
            "function (event, ui){   var url = \"&ajaxevent=Options.OnClick\"; "
            "url = url + \"&event=\"+encodeURIComponent(event); "
            "url = url + \"&ui=\"+encodeURIComponent(ui.item);   "
            "executeAjaxEvent(url,BTN1IWCL,\"BTN1.DoAjaxRequest\",true,null,true); } ");
}

TEST_F(FuncTest, ChangingAJsonFunctionDuringACallbackRecordsItsMember) {
  TIWZQJSonFunc* f = ctl->GetOptions()->GetOnClick();
  ctl->InCallback = true;
  f->SetScript("function(e){ go(); }");
  ASSERT_NE(ctl->AjaxList(), nullptr);
  EXPECT_EQ(ctl->AjaxList()->Count(), 1);
  ctl->Dispatcher().ClearAjax();
  f->SetScript("function(e){ go(); }");  // the same text: nothing
  EXPECT_EQ(ctl->AjaxList()->Count(), 0);
  f->SetAjaxQueued(true);
  EXPECT_EQ(ctl->AjaxList()->Count(), 1);
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "A.opt(\"click\",function(e){ go(); });");
}

}  // namespace
}  // namespace zq
