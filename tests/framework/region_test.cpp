#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "events/func.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "framework/region.h"
#include "host/application.h"
#include "host/context.h"
#include "foundation/html.h"
#include "host/testing.h"

namespace zq {

class TTestZQRegion : public TIWZQCustomRegion {
  ZQ_CLASS(TTestZQRegion, TIWZQCustomRegion)
 public:
  using TIWZQCustomRegion::TIWZQCustomRegion;
};
ZQ_IMPLEMENT_CLASS(TTestZQRegion) {}

// A context menu and an intro tour that record what regions ask of them.
class TTestMenu : public TComponent, public IIWZQRegionContextMenu, public IIWZQRegionIntro {
  ZQ_CLASS(TTestMenu, TComponent)
 public:
  using TComponent::TComponent;
  std::vector<std::string> Log;
  void AddSelectorControl(TComponent* c) override { Log.push_back("add " + c->GetName()); }
  void RemoveSelectorControl(TComponent* c) override { Log.push_back("remove " + c->GetName()); }
  void ShowOn(TComponent* c, int x, int y) override {
    Log.push_back("show " + c->GetName() + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void ShowOnCenter(TComponent* c, int l, int t) override {
    Log.push_back("center " + c->GetName() + " " + std::to_string(l) + "," + std::to_string(t));
  }
  void HideMenu() override { Log.push_back("hide"); }
  void AddIntroControl(TComponent* c, const std::string& text) override {
    Log.push_back("intro " + c->GetName() + " " + text);
  }
  void RemoveIntroControl(TComponent* c) override { Log.push_back("unintro " + c->GetName()); }
};
ZQ_IMPLEMENT_CLASS(TTestMenu) {}

namespace {

using hosttest::THostFixture;

struct Handles {
  TTestZQRegion* visible = nullptr;
  TTestZQRegion* hidden = nullptr;
};

THostFixture MakeHost(Handles& h) {
  return THostFixture([&h](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    h.visible = Create<TTestZQRegion>(f);
    h.visible->SetName("Region1");
    h.visible->SetParent(f);
    h.visible->SetBounds(5, 6, 30, 40);
    h.visible->Css = "panel wide";
    h.visible->SetLoadHidden(true);
    h.hidden = Create<TTestZQRegion>(f);
    h.hidden->SetName("Region2");
    h.hidden->SetParent(f);
    h.hidden->SetLoadHidden(true);
    h.hidden->SetVisible(false);
    return f;
  });
}

TEST(ZQRegion, LoadHiddenClassAndRemovalScript) {
  Handles h;
  THostFixture host = MakeHost(h);
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("id=\"REGION1\" class=\"panel wide zqloading\""), std::string::npos) << page;
  size_t last = page.find("function Initialize() {");
  ASSERT_NE(last, std::string::npos);
  EXPECT_NE(page.find("$(\"#REGION1\").removeClass(\"zqloading\");", last), std::string::npos);
  // The hidden one: no class, no removal script.
  size_t r2 = page.find("id=\"REGION2\"");
  ASSERT_NE(r2, std::string::npos);
  EXPECT_EQ(page.substr(r2, page.find('>', r2) - r2).find("zqloading"), std::string::npos);
  EXPECT_EQ(page.find("$(\"#REGION2\").removeClass"), std::string::npos);
  EXPECT_NE(host.Session().CallBacks().Find("MAINFORM.REGION1.DoAjaxRequest"), nullptr);
}

TEST(ZQRegion, ClassAttributeWithoutCssAndDuringCallback) {
  Handles h;
  THostFixture host = MakeHost(h);
  TIWThreadSessionSwitch sw(&host.Session());
  TIWPageContext40 page(&host.Session(), &host.Form());
  TIWCompContext ctx(h.visible, nullptr, &page);
  h.visible->Css.clear();
  EXPECT_EQ(h.visible->RenderCSSClass(ctx), "zqloading");
  h.visible->SetLoadHidden(false);
  EXPECT_EQ(h.visible->RenderCSSClass(ctx), "");
  h.visible->ClipRegion = true;
  EXPECT_EQ(h.visible->RenderCSSClass(ctx), " IWCLIPCONTROL");
  h.visible->ClipRegion = false;
  h.visible->Css = "a";
  h.visible->SetLoadHidden(true);
  host.Session().SetIsCallBack(true);
  EXPECT_EQ(h.visible->RenderCSSClass(ctx), "");
  host.Session().SetIsCallBack(false);
  EXPECT_EQ(h.visible->RenderCSSClass(ctx), "a zqloading");
}

TEST(ZQRegion, NamesPlacedDetachedAndDesign) {
  Handles h;
  THostFixture host = MakeHost(h);
  TIWThreadSessionSwitch sw(&host.Session());
  EXPECT_EQ(h.visible->GetHTMLName(), "REGION1");
  EXPECT_EQ(h.visible->GetCallbackName(), "REGION1.DoAjaxRequest");
  EXPECT_EQ(h.visible->ContainerPrefix(), "MAINFORM");
  EXPECT_EQ(h.visible->GetRootForm(), &host.Form());
  EXPECT_EQ(h.visible->GetWebApplication(), &host.Session());
  h.visible->SetParent(nullptr);
  h.visible->SetName("Moved");
  EXPECT_EQ(h.visible->GetHTMLName(), "REGION1");
  EXPECT_EQ(h.visible->GetRootForm(), nullptr);
  EXPECT_EQ(h.visible->GetWebApplication(), nullptr);
  h.visible->SetDesigning(true);
  EXPECT_EQ(h.visible->GetHTMLName(), "MOVED");
}

TEST(ZQRegion, FontDefaultsAndVersion) {
  Owned<TTestZQRegion> r(Create<TTestZQRegion>(nullptr));
  ASSERT_NE(dynamic_cast<TIWZQFont*>(r->Font()), nullptr);
  EXPECT_FALSE(r->Font()->Enabled);
  EXPECT_EQ(r->Font()->Color, 0x1FFFFFFF);
  EXPECT_EQ(r->Font()->Size, 10);
  EXPECT_EQ(r->Font()->Style, 0);
  EXPECT_FALSE(r->RenderInvisibleControls);
  EXPECT_EQ(r->GetVersion(), "1.0");
  EXPECT_EQ(r->GetEvents(), nullptr);
  EXPECT_EQ(r->GetAsyncCommonPropertiesToRemove(), 124u);
}

TEST(ZQRegion, AsyncTagCarriesSizeNotPosition) {
  Handles h;
  THostFixture host = MakeHost(h);
  TIWThreadSessionSwitch sw(&host.Session());
  TIWPageContext40 page(&host.Session(), &host.Form());
  TIWCompContext ctx(h.visible, nullptr, &page);
  auto tag = h.visible->RenderAsync(ctx);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->Name(), "control");
  EXPECT_EQ(tag->GetParam("id"), "REGION1");
  EXPECT_EQ(tag->GetParam("type"), "IWREGION");
  EXPECT_EQ(tag->GetParam("visible"), "true");
  const auto& st = tag->AsyncStyles();
  EXPECT_NE(std::find(st.begin(), st.end(), "height:40px"), st.end());
  EXPECT_NE(std::find(st.begin(), st.end(), "width:30px"), st.end());
  for (const std::string& s : st) {
    EXPECT_NE(s.rfind("left:", 0), 0u) << s;
    EXPECT_NE(s.rfind("top:", 0), 0u) << s;
  }
}

TEST(ZQRegion, CallbackAndSubmitEntries) {
  Handles h;
  THostFixture host = MakeHost(h);
  auto r = host.Callback("REGION1.DoAjaxRequest", {});
  EXPECT_EQ(r.Error, "Ajax event not present in URL!");
  r = host.Callback("REGION1.DoAjaxRequest", {{"ajaxevent", " "}});
  EXPECT_EQ(r.Error, "Ajax event not specified in URL!");
  r = host.Callback("REGION1.DoAjaxRequest", {{"ajaxevent", "Font"}});
  EXPECT_EQ(r.Error, "Ajax event \"Font\" not found!");
  TIWThreadSessionSwitch sw(&host.Session());
  try {
    h.visible->Submit("submitevent=OnX");
    ADD_FAILURE() << "no exception";
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "Submit event \"OnX\" not found!");
  }
  EXPECT_EQ(h.visible->GetSubmitParam(), "submitevent=OnX");
}

TEST(ZQRegion, FreedOutsideARequestItsCallbackReachesNothing) {
  Handles h;
  THostFixture host = MakeHost(h);
  ASSERT_EQ(gGetWebApplicationThreadVar(), nullptr);
  Free(h.visible);  // no session on this thread: the core unregisters in the region's own
  auto r = host.Callback("REGION1.DoAjaxRequest", {{"ajaxevent", "Font"}});
  EXPECT_EQ(r.Code, 200);
  EXPECT_EQ(r.Error, "");  // a freed region would have answered "Ajax event \"Font\" not found!"
}

TEST(ZQRegion, QueuedScriptReachesAjaxResponse) {
  Handles h;
  THostFixture host = MakeHost(h);
  host.Session().CallBacks().Register("Probe", [&](TStringList&) {
    EXPECT_FALSE(h.visible->GetDoRefreshControl());
    h.visible->Dispatcher()->AddAjaxResponseScript("fromRegion()");
    EXPECT_TRUE(h.visible->GetDoRefreshControl());
  });
  auto r = host.Callback("Probe", {});
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"fromRegion();"}));
  // The refresh cycle took the region's part and reset it.
  EXPECT_FALSE(h.visible->GetDoRefreshControl());
  r = host.Callback("Probe", {});
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"fromRegion();"}));
}

TEST(ZQRegion, ContextMenuAndIntroLinks) {
  Owned<TTestMenu> menu(Create<TTestMenu>(nullptr));
  menu->SetName("Menu");
  Owned<TTestMenu> menu2(Create<TTestMenu>(nullptr));
  Owned<TTestZQRegion> r(Create<TTestZQRegion>(nullptr));
  r->SetName("Reg");
  r->ShowContextMenu(1, 2);  // no menu: nothing
  r->SetContextMenu(menu.get());
  r->ShowContextMenu(3, 4);
  r->ShowContextMenuOnCenter();
  r->HideContextMenu();
  r->SetContextMenu(menu2.get());
  EXPECT_EQ(menu->Log, (std::vector<std::string>{"add Reg", "show Reg 3,4", "center Reg 0,0",
                                                 "hide", "remove Reg"}));
  EXPECT_EQ(menu2->Log, (std::vector<std::string>{"add Reg"}));
  r->SetIntro(menu.get());
  EXPECT_EQ(menu->Log.back(), "intro Reg Default Intro Text");
  // A freed menu or tour is forgotten.
  menu2.reset();
  EXPECT_EQ(r->GetContextMenu(), nullptr);
  menu.reset();
  EXPECT_EQ(r->GetIntro(), nullptr);
}

}  // namespace
}  // namespace zq
