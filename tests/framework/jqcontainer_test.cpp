// jQuery container: interaction blocks and their order, hidden inputs and
// the values they bring back, client-object hooks, reset and the sortable's
// setter script during callbacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/func.h"
#include "foundation/stringlist.h"
#include "framework/jqcontainer.h"
#include "framework/links.h"
#include "framework/style.h"
#include "host/application.h"
#include "host/context.h"
#include "host/testing.h"

namespace zq {

// A sortable container with resize hooks of its own.
class TTestJQBox : public TIWZQJQSortableContainer {
  ZQ_CLASS(TTestJQBox, TIWZQJQSortableContainer)
 public:
  using TIWZQJQSortableContainer::TIWZQJQSortableContainer;
  std::string Before, Resize, After;
  std::string GetBeforeResizeScript() override { return Before; }
  std::string GetResizeScript() override { return Resize; }
  std::string GetAfterResizeScript() override { return After; }
};
ZQ_IMPLEMENT_CLASS(TTestJQBox) {}

namespace {

using hosttest::THostFixture;

struct Fixture {
  TTestJQBox* box = nullptr;
  std::function<void(TTestJQBox*)> setup;
  THostFixture host;
  explicit Fixture(std::function<void(TTestJQBox*)> s = {})
      : setup(std::move(s)), host([this](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("MainForm");
          box = Create<TTestJQBox>(f);
          box->SetName("Box");
          box->SetParent(f);
          box->SetBounds(10, 20, 100, 80);
          if (setup) setup(box);
          return f;
        }) {}
  // Runs AFn inside a callback of the session (as an event handler would).
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn,
                                       const hosttest::TFields& AFields = {}) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", AFields);
  }
};

void EnableDrag(TTestJQBox* b) {
  b->GetJQDragOptions()->SetDisabled(false);
}
void EnableResize(TTestJQBox* b) {
  b->GetJQResizeOptions()->SetDisabled(false);
}

TEST(JQContainer, UntouchedOptionsRenderNothing) {
  Fixture fx;
  EXPECT_EQ(fx.box->GetRenderExtraScript(), "");
  EXPECT_TRUE(fx.box->GetHiddenInputNames().empty());
  // Reading creates the objects, but disabled ones still render nothing.
  fx.box->GetJQDragOptions();
  fx.box->GetJQResizeOptions();
  fx.box->GetJQSortableOptions();
  auto* e = fx.box->GetJQEffects();
  e->SetEnable(true);  // effect jqeNone: no block
  EXPECT_EQ(fx.box->GetRenderExtraScript(), "");
  EXPECT_TRUE(fx.box->GetHiddenInputNames().empty());
  EXPECT_EQ(fx.box->GetJQDragOptions()->GetJSonText(), "{}");
}

TEST(JQContainer, BlocksInOrderWithAndWithoutScriptDebugging) {
  Fixture fx;
  fx.box->GetJQPositionOptions()->SetOf_("#OTHER");
  EnableDrag(fx.box);
  const std::string drag =
      "{disabled:false,stop:function (event, ui){var myarr = []; "
      "myarr.push(ui.position.left,ui.position.top);"
      "ZQSetHiddenInputVal(\"BOX_POS\",myarr);}}";
  EXPECT_EQ(fx.box->GetRenderExtraScript(),
            "$(function(){$(\"#BOX\").draggable(" + drag +
                ");});$(function(){$(\"#BOX\").position({of:\"#OTHER\"});});");
  // Every kind of block, in the fixed order drag, drop, resize, effect,
  // position, events, then sortable.
  fx.box->GetJQDropOptions()->SetDisabled(false);
  EnableResize(fx.box);
  fx.box->GetJQEffects()->SetEnable(true);
  fx.box->GetJQEffects()->SetEffect(jqeHighlight);
  fx.box->GetJQEvents()->GetOnClick()->SetScript("function(e){ go(); }");
  fx.box->GetJQSortableOptions()->SetDisabled(false);
  const std::string all = fx.box->GetRenderExtraScript();
  std::vector<std::size_t> at;
  for (const char* call :
       {".draggable(", ".droppable(", ".resizable(", ".effect('highlight',{},500);", ".position(",
        ".on(\"click\",", ".sortable({})"})
    at.push_back(all.find(call));
  for (std::size_t i = 0; i < at.size(); ++i)
    ASSERT_NE(at[i], std::string::npos) << i << ": " << all;
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << all;

  // With script debugging: line breaks and one indentation unit.
  fx.host.Controller().JavaScriptDebug = true;
  Fixture fy;
  fy.box->GetJQPositionOptions()->SetOf_("#OTHER");
  EXPECT_EQ(fy.box->GetRenderExtraScript(),
            "$(function(){\r\n$(\"#BOX\").position({\r\n of: \"#OTHER\"\r\n});\r\n  });\r\n");
}

// Every block's exact text, with script debugging off and on.
TEST(JQContainer, EachBlockExactText) {
  auto build = [](TTestJQBox* b) {
    b->GetJQDropOptions()->SetDisabled(false);
    b->GetJQDropOptions()->SetActiveClass("on");
    b->GetJQDropOptions()->SetHoverClass("over");
    b->GetJQEvents()->GetOnClick()->SetScript("function(e){ go(); }");
    b->GetJQSortableOptions()->SetDisabled(false);
    b->GetJQSortableOptions()->SetAxis("y");
  };
  {
    Fixture fx(build);
    EXPECT_EQ(fx.box->GetRenderExtraScript(),
              "$(function(){$(\"#BOX\").droppable({activeClass:\"on\",disabled:false,hoverClass:"
              "\"over\"});});"
              "$(function(){$(\"#BOX\").on(\"click\",function(e){ go(); }); });"
              "$(function(){$(\"#BOX\").sortable({axis:\"y\"});});");
  }
  {
    Fixture fx(build);
    fx.host.Controller().JavaScriptDebug = true;
    EXPECT_EQ(
        fx.box->GetRenderExtraScript(),
        "$(function(){\r\n$(\"#BOX\").droppable({\r\n activeClass: \"on\",\r\n disabled: false,\r\n"
        " hoverClass: \"over\"\r\n});\r\n  });\r\n"
        "$(function(){\r\n$(\"#BOX\").on(\"click\",function(e){ go(); });\r\n\r\n  });\r\n"
        "$(function(){\r\n$(\"#BOX\").sortable({\r\n axis: \"y\"\r\n});\r\n  });\r\n");
  }
}

TEST(JQContainer, EffectBlockCarriesOptionsSpeedAndCallback) {
  Fixture fx;
  TIWZQJQEffects* e = fx.box->GetJQEffects();
  e->SetEnable(true);
  e->SetEffect(jqeBounce);
  e->GetEffectOptionsBounce()->SetTimes(2);
  e->SetSpeed(300);
  e->GetOnCallback()->SetScript("function(){ done(); }");
  EXPECT_EQ(fx.box->GetRenderExtraScript(),
            "$(function(){$(\"#BOX\").effect('bounce',{times:2},300,function(){ done(); });});");
  e->SetEnable(false);
  EXPECT_EQ(fx.box->GetRenderExtraScript(), "");
}

TEST(JQContainer, PositionBlockOnlyWhileEnableIsFalse) {
  Fixture fx;
  fx.box->GetJQPositionOptions()->SetMy(jqpoCenterCenter);
  EXPECT_EQ(fx.box->GetRenderExtraScript(),
            "$(function(){$(\"#BOX\").position({my:\"center center\"});});");
  fx.box->GetJQPositionOptions()->SetEnable(true);
  EXPECT_EQ(fx.box->GetRenderExtraScript(), "");
}

TEST(JQContainer, HiddenInputsFollowTheActiveOptions) {
  Fixture fx;
  EXPECT_FALSE(fx.box->IsForThisControl("BOX_POS"));
  // Drag switched on after the first question: the position input is routed
  // from then on (the list is not kept from the first use).
  EnableDrag(fx.box);
  EXPECT_TRUE(fx.box->IsForThisControl("BOX_POS"));
  EXPECT_FALSE(fx.box->IsForThisControl("BOX_SIZE"));
  EnableResize(fx.box);
  EXPECT_EQ(fx.box->GetHiddenInputNames(), (std::vector<std::string>{"BOX_POS", "BOX_SIZE"}));
  EXPECT_EQ(fx.box->GetHiddenInputsRemoveJs(),
            "var frm = $(getSubmitForm());frm.find(\"input[name='BOX_POS']\").remove();"
            "frm.find(\"input[name='BOX_SIZE']\").remove();");
  fx.box->GetJQDragOptions()->SetDisabled(true);
  EXPECT_EQ(fx.box->GetHiddenInputsRemoveJs(),
            "$(getSubmitForm()).find(\"input[name='BOX_SIZE']\").remove();");
}

TEST(JQContainer, PositionAndSizeReadBack) {
  Fixture fx(EnableDrag);
  EnableResize(fx.box);
  fx.box->SetValueByName("BOX_POS", "120,45");
  EXPECT_EQ(fx.box->Left, 120);
  EXPECT_EQ(fx.box->Top, 45);
  fx.box->SetValueByName("box_size", "300, 200");  // case of the name ignored, blanks separate
  EXPECT_EQ(fx.box->Width, 300);
  EXPECT_EQ(fx.box->Height, 200);
  // Values that are not two integers in range change nothing, raise nothing.
  for (const char* bad : {"120", "1,2,3", "", "a,5", "5,b", "-1,40", "40,-1", "2000000,5",
                          "5,99999999999999999999", "1e3,4"})
    EXPECT_NO_THROW(fx.box->SetValueByName("BOX_SIZE", bad)) << bad;
  EXPECT_EQ(fx.box->Width, 300);
  EXPECT_EQ(fx.box->Height, 200);
  fx.box->SetValueByName("BOX_POS", "-30,-5");  // positions may be negative
  EXPECT_EQ(fx.box->Left, -30);
  fx.box->SetValueByName("BOX_POS", "-2000000,5");
  EXPECT_EQ(fx.box->Left, -30);
  // Not active: ignored.
  fx.box->GetJQDragOptions()->SetDisabled(true);
  fx.box->SetValueByName("BOX_POS", "1,1");
  EXPECT_EQ(fx.box->Left, -30);
}

TEST(JQContainer, PositionInputPostedWithACallbackMovesTheControl) {
  Fixture fx(EnableDrag);
  auto r = fx.InCallback([] {}, {{"BOX_POS", "120,45"}});
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(fx.box->Left, 120);
  EXPECT_EQ(fx.box->Top, 45);
}

TEST(JQContainer, DragDisabledMovesZIndex) {
  Fixture fx;
  const int z = fx.box->ZIndex;
  fx.box->GetJQDragOptions()->SetDisabled(false);
  EXPECT_EQ(fx.box->ZIndex, z + 1);
  fx.box->GetJQDragOptions()->SetDisabled(true);
  EXPECT_EQ(fx.box->ZIndex, z);
  fx.box->GetJQDragOptions()->SetDisabled(true);
  EXPECT_EQ(fx.box->ZIndex, z - 1);
}

TEST(JQContainer, FixedScriptsUnderScriptDebugging) {
  Fixture fx(EnableResize);
  fx.host.Controller().JavaScriptDebug = true;
  EXPECT_EQ(fx.box->GetJQResizeOptions()->GetOnStop()->GetScriptToExecute(),
            "function (event,ui){var myarr = []; myarr.push(ui.size.width,ui.size.height);\r\n"
            "ZQSetHiddenInputVal(\"BOX_SIZE\",myarr);}");
}

TEST(JQContainer, ClientObjectAndResizeHooks) {
  Fixture fx([](TTestJQBox* b) {
    b->Resize = "fit(ARect);";
    b->After = "done();";
  });
  const std::string& page = fx.host.FirstPage().Body();
  EXPECT_NE(page.find("var BOXIWCL = null;"), std::string::npos) << page;
  const std::size_t made = page.find("BOXIWCL = NewIWCL(IWCLForm,\"BOX\",false);");
  const std::size_t resize =
      page.find("if (BOXIWCL) {BOXIWCL.OnZQResize = function(ARect) {fit(ARect);}}");
  const std::size_t after =
      page.find("if (BOXIWCL) {BOXIWCL.OnZQAfterResize = function() {done();}}");
  ASSERT_NE(made, std::string::npos) << page;
  ASSERT_NE(resize, std::string::npos) << page;
  ASSERT_NE(after, std::string::npos) << page;
  EXPECT_LT(made, resize);
  EXPECT_LT(resize, after);
  EXPECT_EQ(page.find("OnZQBeforeResize"), std::string::npos);
}

TEST(JQContainer, ScriptLinksInOrder) {
  Fixture fx;
  TStringList list;
  fx.box->GetScriptLinks(list);
  std::vector<std::string> names;
  for (int i = 0; i < list.Count(); ++i) names.push_back(list[i]);
  EXPECT_EQ(names,
            (std::vector<std::string>{JqUIFileName(), IWZQJQTouchSupport(),
                                      IWZQJQLazyLoaderHelper(), IWZQJQLazyLoader(), JQAjaxFormJS(),
                                      IWZQJQHelper(), JQTabbableJS(), ZQLoadFastClickJS()}));
}

TEST(JQContainer, DefaultCustomValueScript) {
  Fixture fx;
  EXPECT_EQ(fx.box->GetDefaultCustomValueScript(),
            "if (operation==\"get\") {   return $(\"#BOX\").val(); } else {   "
            "$(\"#BOX\").val(value); } ");
}

TEST(JQContainer, SortableOptionChangeDuringCallback) {
  Fixture fx([](TTestJQBox* b) { b->GetJQSortableOptions()->SetDisabled(false); });
  auto r = fx.InCallback([&] { fx.box->GetJQSortableOptions()->SetDelay(150); });
  ASSERT_EQ(r.Code, 200) << r.Error;
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0], "var ui=$(\"#BOX\"); ui.sortable(\"option\",\"delay\",150);");
  // Enabling again reaches the widget although the literal leaves it out.
  r = fx.InCallback([&] {
    fx.box->GetJQSortableOptions()->SetDisabled(true);
    fx.box->GetJQSortableOptions()->SetDisabled(false);
  });
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0], "var ui=$(\"#BOX\"); ui.sortable(\"option\",\"disabled\",false);");
  // The commands.
  EXPECT_EQ(fx.box->GetJQSortableOptions()->JsRefresh(), "$(\"#BOX\").sortable(\"refresh\")");
  EXPECT_EQ(fx.box->GetJQSortableOptions()->JsCancel_(), "$(\"#BOX\").sortable(\"cancel\")");
}

TEST(JQContainer, SetterRecordedBeforeResetNeverOutlivesItsObject) {
  Fixture fx([](TTestJQBox* b) { b->GetJQSortableOptions()->SetDisabled(false); });
  auto r = fx.InCallback([&] {
    fx.box->GetJQSortableOptions()->SetDelay(150);
    fx.box->ResetJSonProps();  // frees the sortable options with its recorded setter
  });
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_TRUE(r.Scripts.empty());
  // The objects come back with their defaults.
  EXPECT_TRUE(fx.box->GetJQSortableOptions()->GetDisabled());
  EXPECT_EQ(fx.box->GetJQSortableOptions()->GetDelay(), 0);
}

TEST(JQContainer, EffectSwitchDuringCallbackDropsTheOldOptions) {
  Fixture fx([](TTestJQBox* b) {
    b->GetJQEffects()->SetEffect(jqeBounce);
    b->GetJQSortableOptions()->SetDisabled(false);
  });
  auto r = fx.InCallback([&] {
    TIWZQJQEffectOptionsBounce* old = fx.box->GetJQEffects()->GetEffectOptionsBounce();
    old->SetTimes(2);
    fx.box->GetJQEffects()->SetEffect(jqeShake);
    fx.box->GetJQSortableOptions()->SetDelay(5);
  });
  ASSERT_EQ(r.Code, 200) << r.Error;
  EXPECT_EQ(r.Scripts,
            (std::vector<std::string>{"var ui=$(\"#BOX\"); ui.sortable(\"option\",\"delay\",5);"}));
}

TEST(JQContainer, RemovalDuringCallbackUnbindsEventsOnce) {
  Fixture fx([](TTestJQBox* b) {
    EnableDrag(b);
    b->GetJQEvents()->GetOnClick()->SetScript("function(e){ go(); }");
  });
  auto r = fx.InCallback([&] {
    fx.box->DoAjaxBrowserDestroy();
    Free(fx.box);
  });
  ASSERT_EQ(r.Code, 200) << r.Error;
  std::string all;
  for (const auto& s : r.Scripts) all += s;
  EXPECT_EQ(
      all,
      "$(getSubmitForm()).find(\"input[name='BOX_POS']\").remove();ZQRelease_IWCL(\"BOXIWCL\");"
      "$(\"#BOX\").off(\"click\"); $(\"#BOX\").remove();")
      << all;
}

TEST(JQContainer, PositionTextsMatchTheStyleHelpers) {
  EXPECT_EQ(ZqJsonTexts(TIWZQJQPositionOptionsPos{}), ZQPositionArray());
}

// A container holds event functions of its own with no adapter code: the
// function finds the container through it and is named by its own property.
TEST(JQContainer, HoldsItsOwnEventFunctions) {
  Fixture fx;
  Owned<TIWZQFunc> fn(Create<TIWZQFunc>(fx.box, std::string("onPick")));
  EXPECT_EQ(fn->GetEventID(), "onPick");
  auto* adapter = dynamic_cast<IIWZQFuncAdapter*>(fx.box);
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->GetZQJSContainer(), static_cast<IIWZQJSContainer*>(fx.box));
  bool atStart = true;
  EXPECT_EQ(adapter->GetFixedScript(fn.get(), atStart), "");
  EXPECT_FALSE(atStart);
}

}  // namespace
}  // namespace zq
