#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/history/history.h"
#include "events/browserparams.h"
#include "events/func.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

using hosttest::THostFixture;

THostFixture MakeHost(TIWZQJQAjaxBrowserHistory*& h, std::string hash = {}) {
  return THostFixture([&h, hash](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    h = Create<TIWZQJQAjaxBrowserHistory>(f);
    h->SetName("History1");
    h->Hash = hash;
    return f;
  });
}

TEST(BrowserHistory, AddHashScripts) {
  Owned<TIWZQJQAjaxBrowserHistory> h(Create<TIWZQJQAjaxBrowserHistory>(nullptr));
  EXPECT_EQ(h->jsAddHash("page2"),
            "if (window.location.hash != \"#page2\") {window.location.hash = \"#page2\";} else "
            "{$(window).trigger(\"hashchange\");}");
  EXPECT_EQ(h->jsAddHash("#page2"),
            "if (window.location.hash != \"#page2\") {window.location.hash = \"#page2\";} else "
            "{$(window).trigger(\"hashchange\");}");
  EXPECT_EQ(h->jsAddHash(""),
            "if (window.location.hash != \"\") {window.location.hash = \"\";} else "
            "{$(window).trigger(\"hashchange\");}");
  // A fragment from the browser cannot break out of the string.
  EXPECT_EQ(h->jsAddHash("#\"+alert(1)+\"</script>"),
            "if (window.location.hash != \"#\\\"+alert(1)+\\\"<\\/script>\") {window.location.hash "
            "= \"#\\\"+alert(1)+\\\"<\\/script>\";} else {$(window).trigger(\"hashchange\");}");
}

TEST(BrowserHistory, ConstructionSetsUpTheAjaxFunction) {
  Owned<TIWZQJQAjaxBrowserHistory> h(Create<TIWZQJQAjaxBrowserHistory>(nullptr));
  TIWZQFunc* f = h->GetOnHashChange();
  EXPECT_TRUE(f->GetAjax());
  ASSERT_EQ(f->GetBrowserParams()->Count(), 1);
  EXPECT_EQ(f->GetBrowserParams()->Items(0)->GetServerName(), "Hash");
  EXPECT_EQ(f->GetBrowserParams()->Items(0)->GetBrowserScript(), "hash");
  EXPECT_EQ(h->GetPropName(), "");
  EXPECT_EQ(h->GetItemIndex(), -1);
}

TEST(BrowserHistory, RenderScriptOnlyWithHandler) {
  TIWZQJQAjaxBrowserHistory* h = nullptr;
  THostFixture host = MakeHost(h);
  EXPECT_EQ(h->GetRenderScript(), "");
  EXPECT_EQ(host.FirstPage().Body().find("hashchange\",function"), std::string::npos);
  EXPECT_NE(host.FirstPage().Body().find("src=\"/jq/bbq/jquery.ba-hashchange.min.js?v=2.6.0.86\""),
            std::string::npos);

  h->GetOnHashChange()->SetOnEvent(TIWZQEvent(h, [](TObject*, TStringList*) {}));
  TIWThreadSessionSwitch sw(&host.Session());
  const std::string exec = h->GetOnHashChange()->GetScriptToExecute();
  ASSERT_FALSE(exec.empty());
  EXPECT_NE(exec.find("executeAjaxEvent("), std::string::npos);
  EXPECT_NE(exec.find("HISTORY1.DoAjaxRequest"), std::string::npos);
  EXPECT_EQ(h->GetRenderScript(),
            "$(function(){ "
            "  $(window).bind(\"hashchange\",function() { "
            "    var hash = location.hash; "
            "    AddChangedControl(\"HISTORY1\"); "
            "    " +
                exec +
                "; "
                "  }); "
                "}); ");
}

TEST(BrowserHistory, HashQueuedAtEveryRender) {
  TIWZQJQAjaxBrowserHistory* h = nullptr;
  THostFixture host = MakeHost(h, "start");
  const std::string set =
      "if (window.location.hash != \"#start\") {window.location.hash = \"#start\";} else "
      "{$(window).trigger(\"hashchange\");}";
  EXPECT_NE(host.FirstPage().Body().find(set), std::string::npos);
  auto again = host.Get("/");
  EXPECT_NE(again.Body().find(set), std::string::npos);
}

TEST(BrowserHistory, HashChangeReachesHandlerAndEchoIsSafe) {
  TIWZQJQAjaxBrowserHistory* h = nullptr;
  THostFixture host = MakeHost(h);
  std::vector<std::string> got;
  h->GetOnHashChange()->SetOnEvent(TIWZQEvent(h, [&](TObject* sender, TStringList* p) {
    EXPECT_EQ(sender, h);
    got.push_back(p->Values("Hash"));
    got.push_back(p->Values("ComponentName"));
    h->AddHash(p->Values("Hash"));  // echo what came from the browser
  }));
  auto r = host.Callback("HISTORY1.DoAjaxRequest",
                         {{"ajaxevent", "OnHashChange"}, {"Hash", "#p\"</script>"}});
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(got, (std::vector<std::string>{"#p\"</script>", "History1"}));
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0],
            "if (window.location.hash != \"#p\\\"<\\/script>\") {window.location.hash = "
            "\"#p\\\"<\\/script>\";} else {$(window).trigger(\"hashchange\");};");
  // DeleteHash during a callback.
  h->GetOnHashChange()->SetOnEvent(TIWZQEvent(h, [&](TObject*, TStringList*) { h->DeleteHash(); }));
  r = host.Callback("HISTORY1.DoAjaxRequest", {{"ajaxevent", "OnHashChange"}, {"Hash", ""}});
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0],
            "if (window.location.hash != \"\") {window.location.hash = \"\";} else "
            "{$(window).trigger(\"hashchange\");};");
}

}  // namespace
}  // namespace zq
