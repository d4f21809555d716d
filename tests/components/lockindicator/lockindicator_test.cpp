// Lock indicator: owners, items, options JSON, item scripts, the hook script
// and its dispatch, pages with indicators, Lock / Unlock in a callback, and
// the server controller's indicator rendered by many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "components/lockindicator/lockindicator.h"
#include "events/func.h"
#include "events/jqevents.h"
#include "foundation/exception.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/superobject.h"
#include "framework/jqcontainer.h"
#include "framework/region.h"
#include "host/application.h"
#include "host/testing.h"
#include "tests/error_message.h"

namespace zq {
namespace {

struct Fixture {
  TIWZQJQLockIndicator* lock = nullptr;
  TIWZQCompRegion* panel = nullptr;
  hosttest::THostFixture host;
  explicit Fixture(std::function<void(TIWZQJQLockIndicator*)> setup = {},
                   std::function<void(TIWServerController&)> configure = {})
      : host(
            [this, setup](TIWApplication& app) {
              auto* f = Create<TIWAppForm>(&app);
              f->SetName("MainForm");
              panel = Create<TIWZQCompRegion>(f);
              panel->SetName("Panel1");
              panel->SetParent(f);
              lock = Create<TIWZQJQLockIndicator>(f);
              if (setup) setup(lock);
              return f;
            },
            std::move(configure)) {}
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", {});
  }
};

std::string Json(TIWZQJQLockIndicatorItem* AItem) {
  return AItem->GetJSon()->AsJSon(false, true, false);
}

TEST(LockIndicator, OwnersAndTheFixedName) {
  Fixture fx;
  EXPECT_EQ(fx.lock->GetName(), "IWZQJQLockIndicator1");
  fx.lock->SetName("Other");
  EXPECT_EQ(fx.lock->GetName(), "IWZQJQLockIndicator1");
  EXPECT_EQ(ZQFindLockIndicator(&fx.host.Form()), fx.lock);
  EXPECT_EQ(test::Message([&] { Create<TIWZQJQLockIndicator>(&fx.host.Form()); }),
            "Only one LockIndicator it's Allowed per IWForm or IWServerController!");
  EXPECT_EQ(test::Message([&] { Create<TIWZQJQLockIndicator>(fx.panel); }),
            "LockIndicator it's Allowed only in IWServerController or IWForm!");
  // Defaults of the event expressions.
  EXPECT_EQ(fx.lock->GetAjaxEventsRegEx()->Count(), 2);
  EXPECT_EQ((*fx.lock->GetAjaxEventsRegEx())[1], ".OnAsyncClick$");
  EXPECT_EQ((*fx.lock->GetAjaxEventsZQRegEx())[0], ".OnClick$");
}

TEST(LockIndicator, ActiveIndexesOutsideTheListStoreMinusOne) {
  Fixture fx;
  fx.lock->GetIndicators()->Add();
  fx.lock->GetIndicators()->Add();
  fx.lock->SetAsyncIndicatorIndex(1);
  EXPECT_EQ(fx.lock->GetActiveAsyncIndicator(), fx.lock->GetIndicators()->Items(1));
  fx.lock->SetAsyncIndicatorIndex(5);
  EXPECT_EQ(fx.lock->GetAsyncIndicatorIndex(), -1);
  EXPECT_EQ(fx.lock->GetActiveAsyncIndicator(), nullptr);
  fx.lock->SetSubmitIndicatorIndex(-7);
  EXPECT_EQ(fx.lock->GetSubmitIndicatorIndex(), -1);
  fx.lock->SetSubmitIndicatorIndex(0);
  EXPECT_EQ(fx.lock->GetActiveSubmitIndicator(), fx.lock->GetIndicators()->Items(0));
}

TEST(LockIndicator, EarlierStoredNamesOfTheIndexesAreReadNotWritten) {
  Fixture fx;
  fx.lock->GetIndicators()->Add();
  fx.lock->GetIndicators()->Add();
  const ClassInfo& cls = fx.lock->ClassType();
  const PropInfo* async = cls.FindProperty("AsyncIndicator");
  const PropInfo* submit = cls.FindProperty("SubmitIndicator");
  ASSERT_NE(async, nullptr);
  ASSERT_NE(submit, nullptr);
  SetOrdProp(fx.lock, *async, 1);
  SetOrdProp(fx.lock, *submit, 0);
  EXPECT_EQ(fx.lock->GetAsyncIndicatorIndex(), 1);
  EXPECT_EQ(fx.lock->GetSubmitIndicatorIndex(), 0);
  SetOrdProp(fx.lock, *async, 9);  // still checked against the list
  EXPECT_EQ(fx.lock->GetAsyncIndicatorIndex(), -1);
  EXPECT_FALSE(IsStoredProp(fx.lock, "AsyncIndicator"));
  EXPECT_FALSE(IsStoredProp(fx.lock, "SubmitIndicator"));
  EXPECT_TRUE(IsStoredProp(fx.lock, "SubmitIndicatorIndex"));
}

TEST(LockIndicator, NewItemOptionsJson) {
  Fixture fx;
  auto* item = fx.lock->GetIndicators()->Add();
  // css and overlayCSS take their construction values; message and title
  // are always written.
  EXPECT_EQ(Json(item),
            "{message:\"<span ID=\\\"IWZQJQLOCKINDICATOR1_LOCKMSG\\\" "
            "class=\\\"zq-lock-indicator-msg\\\" style=\\\"display:block; text-align: center; "
            "vertical-align: middle;font-family:Arial, Sans-Serif, Verdana;font-size:14pt;\\\">"
            "Please wait...<\\/span>\",css:{},overlayCSS:{cursor:\"wait\"},title:null}");
  EXPECT_EQ(item->GetName(), "IWZQJQLOCKINDICATOR1_0");
  EXPECT_EQ(fx.lock->GetIndicators()->ItemByName("IWZQJQLOCKINDICATOR1_0"), item);
  item->SetName("Main");
  EXPECT_EQ(fx.lock->GetIndicators()->ItemByName("Main"), item);

  // Changed members are written; the image settings never are.
  item->SetBaseZ(2000);
  item->SetFadeIn(0);
  item->GetImageSetting()->SetImage(2);
  item->GetMessageSettings()->SetMessage("");
  const std::string j = Json(item);
  EXPECT_NE(j.find("baseZ:2000"), std::string::npos) << j;
  EXPECT_NE(j.find("fadeIn:0"), std::string::npos) << j;
  EXPECT_EQ(j.find("imageSettings"), std::string::npos) << j;
  EXPECT_EQ(j.find("messageSetting"), std::string::npos) << j;
  EXPECT_NE(j.find("message:null"), std::string::npos) << j;
}

TEST(LockIndicator, MessageAndTitleAreTextUnlessMessageIsHTML) {
  Fixture fx;
  auto* item = fx.lock->GetIndicators()->Add();
  item->GetMessageSettings()->SetMessage("Saving <b>\"a & b\"</b>");
  item->SetTitle("<i>Busy</i>");
  ISuperObject o = item->GetJSon();
  EXPECT_EQ(o->GetS("title"), "&lt;i&gt;Busy&lt;/i&gt;");
  EXPECT_NE(o->GetS("message").find(">Saving &lt;b&gt;&quot;a &amp; b&quot;&lt;/b&gt;</span>"),
            std::string::npos)
      << o->GetS("message");
  item->SetMessageIsHTML(true);
  o = item->GetJSon();
  EXPECT_EQ(o->GetS("title"), "<i>Busy</i>");
  EXPECT_NE(o->GetS("message").find(">Saving <b>\"a & b\"</b></span>"), std::string::npos);
}

TEST(LockIndicator, ImageSizesLinksAndMarkup) {
  Fixture fx;
  auto* item = fx.lock->GetIndicators()->Add();
  auto* img = item->GetImageSetting();
  img->SetImage(3);
  EXPECT_EQ(img->GetWidth(), 66);
  EXPECT_EQ(img->GetHeight(), 66);
  EXPECT_NE(item->GetImageSrc().find(ZQCssUrlBase + "loading-animation/black/Loading3.gif"),
            std::string::npos)
      << item->GetImageSrc();
  img->SetTheme(TIWZQJQLockIndicatorImgColor::jqlisGreen);
  img->SetImage(19);
  EXPECT_EQ(img->GetWidth(), 80);
  EXPECT_EQ(img->GetHeight(), 27);
  EXPECT_NE(item->GetImageSrc().find("loading-animation/green/Loading19.gif"), std::string::npos);
  img->SetAlignment(TIWZQJQLockIndicatorImgAlign::jqliiaRight);
  const std::string html = item->GetMsgContentHTML();
  // Right: the message first, the image after it.
  EXPECT_LT(html.find("_LOCKMSG"), html.find("<img ID=\"IWZQJQLOCKINDICATOR1_LOCKIMG\""));
  EXPECT_NE(html.find("width=\"80\" height=\"27\" class=\"zq-lock-image-align-horiz\""),
            std::string::npos)
      << html;
  EXPECT_NE(fx.lock->GetCreatePreImagesScript().find("ZQCreateLock(\""), std::string::npos);
  img->SetImage(99);
  EXPECT_EQ(img->GetImage(), jqlidiNone);
  EXPECT_EQ(img->GetWidth(), 0);
  EXPECT_EQ(item->GetImageSrc(), "");
  EXPECT_EQ(fx.lock->GetCreatePreImagesScript(), "");
}

TEST(LockIndicator, ItemScriptsForThePageAndForAControl) {
  Fixture fx;
  auto* page = fx.lock->GetIndicators()->Add();
  auto* inPanel = fx.lock->GetIndicators()->Add();
  inPanel->SetControl(fx.panel);
  EXPECT_TRUE(inPanel->GetPositionOptions()->InElement);
  EXPECT_EQ(page->GetJQueryScript(true), "$.unblockUI();");
  EXPECT_EQ(inPanel->GetJQueryScript(true), "$(\"#PANEL1\").unblock();");
  const std::string block = page->GetJQueryScript(false);
  EXPECT_EQ(block, "$.blockUI.defaults.css = {}; $.blockUI.defaults.overlayCSS = {};$.blockUI(" +
                       Json(page) +
                       ");$(\".blockUI.blockPage\").position({of:window,my:\"center center\","
                       "at:\"center center\"});");
  const std::string panelBlock = inPanel->GetJQueryScript(false);
  EXPECT_EQ(panelBlock.find("$(\"#PANEL1\").block({"), panelBlock.find("$(\"#PANEL1\")"));
  EXPECT_NE(panelBlock.find("$(\".blockUI.blockElement\").position({of:\"#PANEL1\","),
            std::string::npos)
      << panelBlock;
  // A changed css has no defaults reset; no position call without settings.
  page->SetCss("{\"border\":\"none\"}");
  page->GetPositionOptions()->UseSettings = false;
  EXPECT_EQ(page->GetJQueryScript(false), "$.blockUI(" + Json(page) + ");");
  // The control goes: the item blocks the page.
  Free(fx.panel);
  fx.panel = nullptr;
  EXPECT_EQ(inPanel->GetControl(), nullptr);
  EXPECT_EQ(inPanel->GetJQueryScript(true), "$.unblockUI();");
}

TEST(LockIndicator, HookScriptDispatchesThroughTheTableExactly) {
  Fixture fx;
  EXPECT_EQ(fx.lock->GetJQueryScript(true, false), "");  // no items, no hook
  auto* a = fx.lock->GetIndicators()->Add();
  a->GetPositionOptions()->UseSettings = false;
  a->SetCss("{\"border\":\"none\"}");
  auto* b = fx.lock->GetIndicators()->Add();
  b->SetControl(fx.panel);
  fx.lock->SetAsyncIndicatorIndex(0);
  fx.lock->GetAjaxEventsZQRegEx()->Add("\\.On\"Quoted\"$");
  const std::string ajaxEnd = fx.lock->GetJQueryScript(true, true);
  EXPECT_EQ(
      ajaxEnd,
      "function ZQGetNeedsIndicator(evt,handler) {  var pos = handler.indexOf(\".\");  if "
      "(pos > 0) handler = handler.slice(pos+1);  if (handler == \"DoAjaxRequest\") {    "
      "return ZQIsInStrArray(evt,[\".OnClick$\",\"\\\\.On\\\"Quoted\\\"$\"]);  }  else {    "
      "return ZQIsInStrArray(evt,[\".OnAsyncDoubleClick$\",\".OnAsyncClick$\"]);  } } var "
      "ZQLockFns = ZQLockFns || {}; function IndicatorAjaxEnd_0() { $.unblockUI(); } "
      "ZQLockFns[\"IndicatorAjaxEnd_0\"] = IndicatorAjaxEnd_0; function IndicatorAjaxEnd_1() "
      "{ $(\"#PANEL1\").unblock(); } ZQLockFns[\"IndicatorAjaxEnd_1\"] = IndicatorAjaxEnd_1; "
      "var evt = ZQGetEventName(params,handler); if (typeof(GEventIndicators)==\"undefined\") "
      "var fnc = \"\"; else var fnc = GEventIndicators[evt]; if (fnc && fnc.length > 0) fnc "
      "= \"IndicatorAjaxEnd_\" + fnc; else if (ZQGetNeedsIndicator(evt,handler))  fnc = "
      "\"IndicatorAjaxEnd_\" + \"0\"; if (fnc && fnc.length > 0 && typeof ZQLockFns[fnc] "
      "=== \"function\") ZQLockFns[fnc](); ");
  // Submits: no active item, no default line.
  const std::string submit = fx.lock->GetJQueryScript(false, false);
  EXPECT_NE(submit.find("function IndicatorSubmitBegin_1() { $.blockUI.defaults.css = {};"),
            std::string::npos)
      << submit;
  EXPECT_EQ(submit.find("else  fnc"), std::string::npos);
  fx.lock->SetSubmitIndicatorIndex(1);
  EXPECT_NE(
      fx.lock->GetJQueryScript(false, false).find("else  fnc = \"IndicatorSubmitBegin_\" + \"1\";"),
      std::string::npos);
}

TEST(LockIndicator, EventFunctionsPickTheirItemByIndex) {
  Fixture fx;
  fx.lock->GetIndicators()->Add();
  auto* second = fx.lock->GetIndicators()->Add();
  auto* box = Create<TIWZQJQSortableContainer>(&fx.host.Form());
  box->SetName("Box1");
  box->SetParent(&fx.host.Form());
  TIWZQFunc* click = box->GetJQEvents()->Event(TIWZQJQEvents::kOnClick);
  click->SetOnSimpleEvent(TNotifyEvent(box, [](TObject*) {}));
  click->SetIndicator(fx.lock);
  click->SetIndicatorIndex(1);
  EXPECT_EQ(click->GetIndicatorIndex(), 1);
  ASSERT_EQ(second->Funcs().size(), 1u);
  EXPECT_NE(
      click->GetScriptToExecute().find("GEventIndicators[\"BOX1.JQEvents.OnClick\"] = \"1\";"),
      std::string::npos)
      << click->GetScriptToExecute();
  // The item goes: the function forgets it.
  fx.lock->GetIndicators()->Delete(1);
  EXPECT_EQ(click->GetIndicator(), nullptr);
  EXPECT_EQ(click->GetScriptToExecute().find("GEventIndicators"), std::string::npos);
}

// Every layout kind gets the block: the form layout and a template processor.
class LockIndicatorPage : public ::testing::TestWithParam<bool> {};

TEST_P(LockIndicatorPage, CarriesTheHooksOfItsIndicators) {
  const bool templated = GetParam();
  Fixture fx([templated](TIWZQJQLockIndicator* l) {
    l->GetIndicators()->Add()->GetImageSetting()->SetImage(2);
    l->SetAsyncIndicatorIndex(0);
    if (templated)
      static_cast<TIWAppForm*>(l->Owner())
          ->SetLayoutMgr(std::make_unique<TIWTemplateProcessorHTML>());
  });
  const std::string page = fx.host.Get("/").Body();
  EXPECT_NE(page.find("jquery.blockUI"), std::string::npos);
  const std::size_t helpers = page.find("function ZQCreateLock(url)");
  const std::size_t pre = page.find("ZQCreateLock(\"", helpers + 1);
  const std::size_t hook = page.find("function PreAsyncProgressScript(params,handler) {");
  const std::size_t item = page.find("function IndicatorAjaxBegin_0()");
  const std::size_t submit =
      page.find("function PreProgressScript(params,handler) { ReleaseLock();");
  ASSERT_NE(helpers, std::string::npos);
  EXPECT_LT(helpers, pre);
  EXPECT_LT(pre, hook);
  EXPECT_LT(hook, item);
  EXPECT_LT(item, submit);
}
INSTANTIATE_TEST_SUITE_P(Layouts, LockIndicatorPage, ::testing::Values(false, true));

TEST(LockIndicator, PageWithoutIndicatorsHasNoBlock) {
  hosttest::THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    return f;
  });
  const std::string page = host.FirstPage().Body();
  EXPECT_EQ(page.find("PreAsyncProgressScript"), std::string::npos);
  EXPECT_EQ(page.find("blockUI"), std::string::npos);
}

TEST(LockIndicator, LockAndUnlockDuringACallback) {
  Fixture fx([](TIWZQJQLockIndicator* l) { l->GetIndicators()->Add(); });
  auto* item = fx.lock->GetIndicators()->Items(0);
  auto r = fx.InCallback([&] { item->Lock(); });
  std::string all;
  for (const auto& s : r.Scripts) all += s;
  EXPECT_NE(all.find("$.blockUI({"), std::string::npos) << r.Body;
  r = fx.InCallback([&] { item->Unlock(); });
  all.clear();
  for (const auto& s : r.Scripts) all += s;
  EXPECT_NE(all.find("$.unblockUI();"), std::string::npos) << r.Body;
}

TEST(LockIndicator, ServerControllerIndicatorServesPagesOfManyThreads) {
  TIWZQJQLockIndicator* shared = nullptr;
  // Each session's form has an indicator of its own; the factory runs on
  // every request thread and keeps nothing.
  hosttest::THostFixture host(
      [](TIWApplication& app) {
        auto* f = Create<TIWAppForm>(&app);
        f->SetName("MainForm");
        Create<TIWZQJQLockIndicator>(f)->GetIndicators()->Add();
        return f;
      },
      [&shared](TIWServerController& sc) {
        shared = Create<TIWZQJQLockIndicator>(&sc);
        shared->GetIndicators()->Add()->GetImageSetting()->SetImage(5);
        shared->GetIndicators()->Add();
        shared->SetAsyncIndicatorIndex(0);
        shared->SetSubmitIndicatorIndex(1);
      });
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->GetJQueryScript(true, false).find("function scZQGetNeedsIndicator"), 0u);
  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 3; ++i) {
        THTTPRequest req;  // no cookie: a new session each time
        req.Method = "GET";
        req.URL = "/";
        THTTPReply reply;
        host.Controller().HandleRequest(req, reply);
        reply.DrainStream();
        const std::string& body = reply.Body();
        // Server controller first, then the form's own indicator.
        const std::size_t sc = body.find("function IndicatorAjaxBegin_sc0()");
        const std::size_t form = body.find("function IndicatorAjaxBegin_0()");
        if (sc != std::string::npos && form != std::string::npos && sc < form &&
            body.find("IndicatorSubmitBegin_\" + \"sc1\"") != std::string::npos)
          ++good;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(good.load(), 12);
}

}  // namespace
}  // namespace zq
