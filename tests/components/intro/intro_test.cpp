// Intro tour: render script, steps, client calls and option changes during a
// callback.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "components/intro/intro.h"
#include "events/browserparams.h"
#include "events/func.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

struct Fixture {
  TIWZQJQIntro* tour = nullptr;
  hosttest::THostFixture host;
  explicit Fixture(std::function<void(TIWZQJQIntro*)> setup = {})
      : host([this, setup](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("MainForm");
          tour = Create<TIWZQJQIntro>(f);
          tour->SetName("Intro1");
          if (setup) setup(tour);
          return f;
        }) {}
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", {});
  }
  std::string Joined(const hosttest::TCallbackResult& r) {
    std::string all;
    for (const auto& s : r.Scripts) all += s;
    return all;
  }
};

TEST(Intro, EmptyTourDefinesTheInitFunctionOnly) {
  Fixture fx;
  EXPECT_EQ(fx.tour->GetRenderScript(),
            "var INTRO1_IntroObj = null;function INTRO1_init(){INTRO1_IntroObj = introJs();"
            "INTRO1_IntroObj.setOptions({});}");
}

TEST(Intro, StepsWithElementsTextsAndPositions) {
  Fixture fx;
  auto* list = fx.tour->GetJQIntroControlList();
  list->Add("Foo", "first", TIWZQJQIntroPosition::jqipBottom);
  list->Add("FOO", "first <b>again</b>", TIWZQJQIntroPosition::jqipRight);
  list->Add();  // no element: intro only
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Items(1)->Step, 1);
  const std::string s = fx.tour->GetRenderScript();
  // One step for Foo / FOO (the first id kept), members in the writer's order.
  EXPECT_NE(s.find("steps:[{position:\"right\",element:\"#Foo\","
                   "intro:\"first <b>again<\\/b>\"},{intro:\"\"}]"),
            std::string::npos)
      << s;
  fx.tour->GetJQIntroOptions()->SetShowBullets(false);
  EXPECT_NE(fx.tour->GetRenderScript().find("showBullets:false"), std::string::npos);
}

TEST(Intro, SameControlTwiceKeepsOneStepAndDestroyedControlsLeaveTheirStep) {
  Fixture fx;
  auto* other = Create<TIWZQJQIntro>(&fx.host.Form());  // any component
  other->SetName("Other");
  auto* list = fx.tour->GetJQIntroControlList();
  list->Add(other, "a", TIWZQJQIntroPosition::jqipTop);
  list->Add(other, "b", TIWZQJQIntroPosition::jqipLeft);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Items(0)->IntroText, "b");
  EXPECT_EQ(list->Items(0)->Position, TIWZQJQIntroPosition::jqipLeft);
  Free(other);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Items(0)->Control, nullptr);
  EXPECT_EQ(fx.tour->GetRenderScript().find("element:"), std::string::npos);
}

TEST(Intro, ClientCallsBuildTheTourFirstAndConvertStepNumbers) {
  Fixture fx;
  EXPECT_EQ(fx.tour->jsStart(), "if (!INTRO1_IntroObj) { INTRO1_init(); }INTRO1_IntroObj.start();");
  // Step 0 of the list is the plug-in's step 1.
  EXPECT_EQ(fx.tour->jsGoToStep(2),
            "if (!INTRO1_IntroObj) { INTRO1_init(); }INTRO1_IntroObj.goToStep(3);");
  EXPECT_EQ(fx.tour->jsExit(), "if (INTRO1_IntroObj) { INTRO1_IntroObj.exit(); }");
  EXPECT_EQ(fx.tour->jsRefresh(), "if (INTRO1_IntroObj) { INTRO1_IntroObj.refresh(); }");
  auto r = fx.InCallback([&] { fx.tour->Exit(); });
  EXPECT_EQ(fx.Joined(r), "if (INTRO1_IntroObj) { INTRO1_IntroObj.exit(); };");
}

TEST(Intro, OptionChangeInACallbackInitialisesBeforeItSets) {
  Fixture fx;
  fx.tour->GetJQIntroOptions();
  auto r = fx.InCallback([&] { fx.tour->GetJQIntroOptions()->SetShowBullets(false); });
  EXPECT_EQ(fx.Joined(r),
            "if (!INTRO1_IntroObj) { INTRO1_init(); } "
            "INTRO1_IntroObj.setOption(\"showBullets\",false);");
  // A change and a start in one callback: the tour starts with the change.
  r = fx.InCallback([&] {
    fx.tour->GetJQIntroOptions()->SetShowStepNumbers(false);
    fx.tour->Start();
  });
  const std::string both = fx.Joined(r);
  EXPECT_LT(both.find("setOption(\"showStepNumbers\",false)"),
            both.find("INTRO1_IntroObj.start();"))
      << both;
  r = fx.InCallback([&] { fx.tour->GetJQIntroOptions()->SetNextLabel("Go \"on\""); });
  EXPECT_NE(fx.Joined(r).find("INTRO1_IntroObj.setOption(\"nextLabel\",\"Go \\\"on\\\"\");"),
            std::string::npos)
      << fx.Joined(r);
}

TEST(Intro, AfterChangeHasItsOwnHandler) {
  Fixture fx;
  auto* ev = fx.tour->GetJQIntroOptions()->GetEvents();
  ev->GetOnBeforeChange()->SetScript("before(targetElement);");
  ev->GetOnAfterChange()->SetScript("after(targetElement);");
  const std::string s = fx.tour->GetRenderScript();
  const auto before = s.find("INTRO1_IntroObj.onbeforechange(");
  const auto after = s.find("INTRO1_IntroObj.onafterchange(");
  ASSERT_NE(before, std::string::npos) << s;
  ASSERT_NE(after, std::string::npos) << s;
  EXPECT_NE(s.find("before(targetElement);", before), std::string::npos);
  EXPECT_NE(s.find("after(targetElement);", after), std::string::npos);
  EXPECT_EQ(s.find("after(targetElement);", before), s.find("after(targetElement);", after));
  EXPECT_EQ(ev->GetOnBeforeChange()->GetScriptText(), "before(targetElement);");
}

TEST(Intro, ClientEventsReachTheServerHandlers) {
  std::vector<std::string> got;
  Fixture fx([&](TIWZQJQIntro* t) {
    TIWZQJQIntroEvents* ev = t->GetJQIntroOptions()->GetEvents();
    // The step handlers get the step's element; the other two no argument.
    const std::tuple<TIWZQJSonFunc*, const char*, const char*> funcs[] = {
        {ev->GetOnComplete(), "complete", "'none'"},
        {ev->GetOnExit(), "exit", "'none'"},
        {ev->GetOnChange(), "change", "targetElement.id"},
        {ev->GetOnBeforeChange(), "before", "targetElement.id"},
        {ev->GetOnAfterChange(), "after", "targetElement.id"}};
    for (const auto& [func, name, id] : funcs) {
      func->GetBrowserParams()->AddParam("id", id);
      func->SetOnEvent(TIWZQEvent(t, [&got, name](TObject*, TStringList* AParams) {
        got.push_back(std::string(name) + ":" + AParams->Values("id"));
      }));
    }
  });
  const std::string s = fx.tour->GetRenderScript();
  // Each member registers a handler calling back under its own event id.
  for (const char* member :
       {"oncomplete(function ()", "onexit(function ()", "onchange(function (targetElement)",
        "onbeforechange(function (targetElement)", "onafterchange(function (targetElement)"}) {
    const auto at = s.find(std::string("INTRO1_IntroObj.") + member);
    ASSERT_NE(at, std::string::npos) << member << "\n" << s;
    EXPECT_NE(s.find("\"INTRO1.DoAjaxRequest\"", at), std::string::npos) << member;
  }
  EXPECT_NE(s.find("ajaxevent=JQIntroOptions.Events.OnAfterChange"), std::string::npos) << s;
  for (const char* event :
       {"OnChange", "OnBeforeChange", "OnAfterChange", "OnComplete", "OnExit"}) {
    auto r = fx.host.Callback(
        "INTRO1.DoAjaxRequest",
        {{"ajaxevent", std::string("JQIntroOptions.Events.") + event}, {"id", "EDIT1"}});
    ASSERT_EQ(r.Code, 200) << event << " " << r.Error;
  }
  EXPECT_EQ(got, (std::vector<std::string>{"change:EDIT1", "before:EDIT1", "after:EDIT1",
                                           "complete:EDIT1", "exit:EDIT1"}));
}

TEST(Intro, PluginVersionIsTheReleaseTheWebRootShips) {
  Fixture fx;
  std::ifstream in(std::string(ZQ_SOURCE_DIR) + "/webroot/package.json");
  const std::string pkg((std::istreambuf_iterator<char>(in)), {});
  ASSERT_FALSE(pkg.empty());
  EXPECT_NE(pkg.find("\"intro.js\": \"" + fx.tour->GetPluginVersion() + "\""), std::string::npos)
      << fx.tour->GetPluginVersion();
}

}  // namespace
}  // namespace zq
