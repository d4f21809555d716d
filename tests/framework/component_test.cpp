#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/func.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/component.h"
#include "framework/region.h"
#include "host/application.h"
#include "host/context.h"
#include "host/testing.h"

namespace zq {

// A component with one event function, OnClick, whose handler the tests set.
// The component base is its event-function adapter.
class TTestJQComponent : public TIWZQJQComponent {
  ZQ_CLASS(TTestJQComponent, TIWZQJQComponent)
 public:
  using TIWZQJQComponent::TIWZQJQComponent;
  void BeforeDestruction() override {
    TIWZQJQComponent::BeforeDestruction();
    FOnClick.reset();
  }
  TIWZQFunc* GetOnClick() {
    if (!FOnClick)
      FOnClick.reset(Create<TIWZQFunc>(static_cast<TPersistent*>(this), std::string("OnClick")));
    return FOnClick.get();
  }
  void SetOnClick(TIWZQFunc* f) { GetOnClick()->Assign(f); }
  std::string GetPluginDestroyJs() override { return "destroyPlugin();"; }
  std::string GetRenderScript() override { return RenderScript; }
  std::string RenderScript;

 private:
  Owned<TIWZQFunc> FOnClick;
};
ZQ_IMPLEMENT_CLASS(TTestJQComponent) {
  c.Prop("OnClick", &TTestJQComponent::GetOnClick, &TTestJQComponent::SetOnClick);
}

namespace {

using hosttest::THostFixture;

struct Handles {
  TTestJQComponent* comp = nullptr;
  TTestJQComponent* other = nullptr;
};

THostFixture MakeHost(Handles& h, bool second = false) {
  return THostFixture([&h, second](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    h.comp = Create<TTestJQComponent>(f);
    h.comp->SetName("Test1");
    h.comp->RenderScript = "window.test1 = 1;";
    if (second) {
      h.other = Create<TTestJQComponent>(f);
      h.other->SetName("Test2");
    }
    return f;
  });
}

bool IsPlacedIn(IIWBaseContainer* c, TComponent* comp) {
  for (int i = 0; i < c->get_IWComponentsCount(); ++i)
    if (c->IWComponents(i) == comp) return true;
  return false;
}

TEST(JQComponent, NamesAtRunTimeAndInDesignState) {
  Owned<TTestJQComponent> c(Create<TTestJQComponent>(nullptr));
  c->SetName("Menu1");
  EXPECT_EQ(c->GetHTMLName(), "MENU1");
  EXPECT_EQ(c->GetIWCLName(), "MENU1IWCL");
  EXPECT_EQ(c->GetCallbackName(), "MENU1.DoAjaxRequest");
  EXPECT_EQ(c->GetIDJQuery(), "$(\"#MENU1\")");
  EXPECT_EQ(c->GetIDJQueryElem(), "$(\"#MENU1\")[0]");
  c->SetDesigning(true);
  EXPECT_EQ(c->GetHTMLName(), "MENU1");
  EXPECT_EQ(c->GetIWCLName(), "MENU1IWCL");
  // The version is kept while designing.
  c->SetVersion("2.0");
  EXPECT_EQ(c->GetVersion(), "1.0");
}

TEST(JQComponent, RemovalScripts) {
  Owned<TTestJQComponent> c(Create<TTestJQComponent>(nullptr));
  c->SetName("Menu1");
  EXPECT_EQ(c->GetHtmlRemoveJs(), "$(\"#MENU1\").remove();");
  EXPECT_EQ(c->GetReleaseIWCLJs(), "ZQRelease_IWCL(\"MENU1IWCL\");");
  EXPECT_EQ(
      c->GetHtmlReplaceWithTempIDJS(),
      "var htmlElem = $(\"#MENU1\");"
      "if (htmlElem.length > 0) { htmlElem.replaceWith($(\"<div id='MENU1_temp_id'></div>\")); }");
}

TEST(JQComponent, ConstructionDisablesResponseUntilDone) {
  Owned<TTestJQComponent> c(Create<TTestJQComponent>(nullptr));
  EXPECT_EQ(c->GetDisableAjaxResponseCount(), 0);
  c->DisableAjaxResponse();
  EXPECT_EQ(c->GetDisableAjaxResponseCount(), 1);
  c->EnableAjaxResponse();
  // Outside a callback no member change is recorded.
  EXPECT_FALSE(c->GetGenerateAjaxResponse(nullptr));
}

TEST(JQComponent, FreedOutsideARequestNoCallbackReachesIt) {
  Handles h;
  THostFixture host = MakeHost(h);
  int runs = 0;
  {
    TIWThreadSessionSwitch sw(&host.Session());
    h.comp->GetOnClick()->SetAjax(true);
    h.comp->GetOnClick()->SetOnEvent(TIWZQEvent(&runs, [&runs](TObject*, TStringList*) { ++runs; }));
    // A second callback of its own, as the store's value callback.
    h.comp->Core().RegisterCallBack(nullptr, h.comp->GetRegisterCallbackName("Extra"),
                                    [&runs](TStringList&) { runs += 100; });
  }
  auto r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
  ASSERT_EQ(r.Error, "");
  ASSERT_EQ(runs, 1);
  host.Callback("TEST1.Extra", {});
  ASSERT_EQ(runs, 101);

  ASSERT_EQ(gGetWebApplicationThreadVar(), nullptr);
  Free(h.comp);  // outside any request: no session on this thread
  r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
  EXPECT_EQ(r.Code, 200);
  EXPECT_EQ(r.Error, "");
  host.Callback("TEST1.Extra", {});
  EXPECT_EQ(runs, 101);
}

TEST(JQComponent, ASessionFreedFirstIsForgotten) {
  // A component that outlives the session it was rendered in.
  Owned<TTestJQComponent> loose(Create<TTestJQComponent>(nullptr));
  loose->SetName("Loose");
  {
    Handles h;
    THostFixture host = MakeHost(h);
    TIWThreadSessionSwitch sw(&host.Session());
    loose->Core().RegisterMainCallBack(nullptr, loose->GetCallbackName());
    EXPECT_EQ(loose->Core().CallBackCount(), 1);
  }
  EXPECT_EQ(loose->Core().CallBackCount(), 0);
  loose.reset();  // must not touch the freed session
}

TEST(JQComponent, PageRenderLinksClientObjectScriptAndCallback) {
  Handles h;
  THostFixture host = MakeHost(h);
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("src=\"/jq/jquery_ui/jquery-ui-1.8.23.custom.min.js?v=2.6.0.86\""),
            std::string::npos);
  EXPECT_NE(page.find("src=\"/jq/lazyload.min.js?v=2.6.0.86\""), std::string::npos);
  EXPECT_NE(page.find("href=\"/css/zqcss.min.css?v=2.6.0.86\""), std::string::npos);
  EXPECT_NE(page.find("var TEST1IWCL = null;"), std::string::npos);
  EXPECT_NE(page.find("TEST1IWCL = NewIWCL(IWCLForm,\"TEST1\",false);"), std::string::npos);
  EXPECT_NE(page.find("window.test1 = 1;"), std::string::npos);
  // Linked once even though two components list it.
  Handles h2;
  THostFixture host2 = MakeHost(h2, true);
  const std::string& page2 = host2.FirstPage().Body();
  size_t first = page2.find("jquery-ui-1.8.23.custom.min.js");
  EXPECT_EQ(page2.find("jquery-ui-1.8.23.custom.min.js", first + 1), std::string::npos);
  EXPECT_NE(host2.Session().CallBacks().Find("MAINFORM.TEST2.DoAjaxRequest"), nullptr);
}

TEST(JQComponent, AjaxEntryErrors) {
  Handles h;
  THostFixture host = MakeHost(h);
  auto r = host.Callback("TEST1.DoAjaxRequest", {{"x", "1"}});
  EXPECT_EQ(r.Code, 500);
  EXPECT_EQ(r.Error, "Ajax event not present in URL!");
  r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "   "}});
  EXPECT_EQ(r.Error, "Ajax event not specified in URL!");
  r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "OnMissing"}});
  EXPECT_EQ(r.Error, "Ajax event \"OnMissing\" not found!");
}

TEST(JQComponent, AjaxEventReachesHandlerAndQueuedScriptReachesResponse) {
  Handles h;
  THostFixture host = MakeHost(h);
  std::vector<std::string> got;
  h.comp->GetOnClick()->SetOnEvent(TIWZQEvent(h.comp, [&](TObject* sender, TStringList* params) {
    EXPECT_EQ(sender, h.comp);
    got.push_back(params->Values("x"));
    got.push_back(params->Values("ComponentName"));
    h.comp->AddJavaScriptToResponse("first();", true, true);
    h.comp->AddJavaScriptToAjaxResponse("second();", true, true);
    h.comp->AddJavaScriptToAjaxResponse("  ", true, true);
  }));
  auto r = host.Callback("TEST1.DoAjaxRequest",
                         {{"ajaxevent", "OnClick"}, {"x", "7"}, {"ComponentName", "Evil"}});
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(got, (std::vector<std::string>{"7", "Test1"}));
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0], "first();second();");
  // The list is cleared once the refresh cycle has reset the component.
  EXPECT_FALSE(h.comp->GetDoRefreshControl());
}

TEST(JQComponent, SubmitEntry) {
  Handles h;
  THostFixture host = MakeHost(h);
  TIWThreadSessionSwitch sw(&host.Session());
  EXPECT_THROW(
      {
        try {
          h.comp->Submit("submitevent=OnNope&a=1");
        } catch (const EIWZQJQuery& e) {
          EXPECT_STREQ(e.what(), "Submit event \"OnNope\" not found!");
          throw;
        }
      },
      EIWZQJQuery);
  EXPECT_EQ(h.comp->GetSubmitParam(), "submitevent=OnNope&a=1");
  // Without a (non-empty) submitevent nothing runs.
  h.comp->Submit("a=1");
  h.comp->Submit("submitevent=%20&a=1");
  h.comp->Submit("");
  EXPECT_EQ(h.comp->GetSubmitParam(), "");
  std::string a;
  h.comp->GetOnClick()->SetOnEvent(
      TIWZQEvent(h.comp, [&](TObject*, TStringList* p) { a = p->Values("a"); }));
  h.comp->Submit("submitevent=OnClick&a=x%20y");
  EXPECT_EQ(a, "x y");
}

TEST(JQComponent, ResponseOutsideCallbackGoesToNextPage) {
  Handles h;
  THostFixture host = MakeHost(h);
  {
    TIWThreadSessionSwitch sw(&host.Session());
    // Blank script: nothing, no error, even with check and raise.
    h.comp->AddJavaScriptToAjaxResponse("   ", true, true);
    EXPECT_THROW(h.comp->AddJavaScriptToAjaxResponse("x();", true, true), EIWZQJQuery);
    h.comp->AddJavaScriptToResponse("nextPage();", true, true);
  }
  auto reply = host.Get("/");
  size_t init = reply.Body().find("function Initialize() {");
  ASSERT_NE(init, std::string::npos);
  EXPECT_NE(reply.Body().find("nextPage();", init), std::string::npos);
  EXPECT_EQ(reply.Body().find("x();"), std::string::npos);
  // Sent once.
  reply = host.Get("/");
  EXPECT_EQ(reply.Body().find("nextPage();"), std::string::npos);
}

TEST(JQComponent, DestroyedDuringCallbackSendsRemovalScriptOutsideNothing) {
  Handles h;
  THostFixture host = MakeHost(h, true);
  TTestJQComponent* other = h.other;
  h.comp->GetOnClick()->SetOnEvent(
      TIWZQEvent(h.comp, [&](TObject*, TStringList*) { Free(other); }));
  auto r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
  ASSERT_EQ(r.Code, 200) << r.Error;
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0], "ZQRelease_IWCL(\"TEST2IWCL\");destroyPlugin();$(\"#TEST2\").remove();");
  EXPECT_FALSE(IsPlacedIn(&host.Form(), other));
  // Its callback stays registered but does nothing.
  r = host.Callback("TEST2.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
  EXPECT_EQ(r.Code, 200);
  EXPECT_TRUE(r.Scripts.empty());

  // Outside a callback: nothing is sent.
  size_t before = host.Session().CallBackResponse().Scripts().size();
  {
    TIWThreadSessionSwitch sw(&host.Session());
    Free(h.comp);
  }
  EXPECT_EQ(host.Session().CallBackResponse().Scripts().size(), before);
}

TEST(JQComponent, AjaxReRenderThroughTemporaryRegion) {
  Handles h;
  THostFixture host = MakeHost(h, true);
  struct Seen {
    std::string name;
    TIWZQJQComponent* comp;
    bool placed;
    bool resize;
    TRenderRegionAsyncMethod method;
    std::string after;
  };
  std::vector<Seen> seen;
  ZQSetRegionAsyncRenderer([&](TIWCustomRegion* region, bool resize, bool,
                               TRenderRegionAsyncMethod method, const std::string& after,
                               const std::string&) {
    auto* temp = dynamic_cast<TIWZQCompRegion*>(region);
    ASSERT_NE(temp, nullptr);
    seen.push_back({region->GetName(), temp->FComponent, IsPlacedIn(temp, temp->FComponent), resize,
                    method, after});
    EXPECT_EQ(region->Parent(), &host.Form());
    EXPECT_EQ(region->Width, 0);
  });
  h.comp->GetOnClick()->SetOnEvent(TIWZQEvent(h.comp, [&](TObject*, TStringList*) {
    EXPECT_FALSE(IsPlacedIn(&host.Form(), h.comp) && false);
    h.comp->AjaxReRender();
    h.other->AjaxReRender("after();");
  }));
  auto r = host.Callback("TEST1.DoAjaxRequest", {{"ajaxevent", "OnClick"}});
  ZQSetRegionAsyncRenderer(nullptr);
  ASSERT_EQ(r.Code, 200) << r.Error;
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].name, "TempRegion");
  EXPECT_EQ(seen[0].comp, h.comp);
  EXPECT_TRUE(seen[0].placed);
  EXPECT_TRUE(seen[0].resize);
  EXPECT_EQ(seen[0].method, rramDefaultMethod);
  EXPECT_EQ(seen[1].name, "TempRegion");
  EXPECT_EQ(seen[1].comp, h.other);
  EXPECT_EQ(seen[1].method, rramLazyLoadMethod);
  EXPECT_EQ(seen[1].after, "after();");
  // Both are back in the form, and the temporary regions are gone.
  EXPECT_TRUE(IsPlacedIn(&host.Form(), h.comp));
  EXPECT_TRUE(IsPlacedIn(&host.Form(), h.other));
  EXPECT_EQ(host.Form().FindComponent("TempRegion"), nullptr);
}

TEST(JQComponent, AjaxReRenderTakesFreeNameAndRestoresOnError) {
  Handles h;
  THostFixture host = MakeHost(h);
  TIWThreadSessionSwitch sw(&host.Session());
  auto* taken = Create<TIWRegion>(&host.Form());
  taken->SetName("TempRegion");
  std::string name;
  ZQSetRegionAsyncRenderer([&](TIWCustomRegion* region, bool, bool, TRenderRegionAsyncMethod,
                               const std::string&, const std::string&) {
    name = region->GetName();
    throw EIWZQJQuery("render failed");
  });
  EXPECT_THROW(h.comp->AjaxReRender(), EIWZQJQuery);
  ZQSetRegionAsyncRenderer(nullptr);
  EXPECT_EQ(name, "TempRegion1");
  EXPECT_TRUE(IsPlacedIn(&host.Form(), h.comp));
  EXPECT_EQ(host.Form().FindComponent("TempRegion1"), nullptr);
  // Without an async renderer the region says so.
  EXPECT_THROW(h.comp->AjaxReRender(), EIWZQJQuery);
  EXPECT_TRUE(IsPlacedIn(&host.Form(), h.comp));
}

}  // namespace
}  // namespace zq
