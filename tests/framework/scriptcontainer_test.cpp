// Script container: response script for visibility, class, focus and
// selection, removal during a callback, hidden-input removal, helpers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/properties.h"
#include "framework/scriptcontainer.h"
#include "host/application.h"
#include "foundation/html.h"
#include "host/testing.h"

namespace zq {

class TTestScriptBox : public TIWZQJSContainer {
  ZQ_CLASS(TTestScriptBox, TIWZQJSContainer)
 public:
  using TIWZQJSContainer::TIWZQJSContainer;
  std::vector<std::string> Inputs;
  void RenderRealTabIndex(TIWHTMLTag& ATag, int AIndex) override {
    ATag.AddIntegerParam("tabindex", AIndex);
  }
  std::string Render = "init(1);", Extra = "extra(2);";
  void GetInputControlNames(std::vector<std::string>& AList) override { AList = Inputs; }
  using TIWZQJSContainer::GetInputControlNames;
  std::string GetRenderScript() override { return Render; }
  std::string GetRenderExtraScript() override { return Extra; }
};
ZQ_IMPLEMENT_CLASS(TTestScriptBox) {}

namespace {

using hosttest::THostFixture;

struct Fixture {
  TTestScriptBox* box = nullptr;
  std::function<void(TTestScriptBox*)> setup;
  THostFixture host;
  explicit Fixture(std::function<void(TTestScriptBox*)> s = {})
      : setup(std::move(s)), host([this](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("MainForm");
          box = Create<TTestScriptBox>(f);
          box->SetName("Panel");
          box->SetParent(f);
          if (setup) setup(box);
          return f;
        }) {}
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", {});
  }
};

TEST(ScriptContainer, VisibilityChangeSendsOneLine) {
  Fixture fx;
  auto r = fx.InCallback([&] { fx.box->SetVisible(true); });  // unchanged
  EXPECT_TRUE(r.Scripts.empty());
  r = fx.InCallback([&] {
    fx.box->SetVisible(false);
    fx.box->SetVisible(false);
  });
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"$(\"#PANEL\").css(\"visibility\",\"hidden\");"}));
  r = fx.InCallback([&] { fx.box->SetVisible(true); });
  EXPECT_EQ(r.Scripts,
            (std::vector<std::string>{"$(\"#PANEL\").css(\"visibility\",\"inherit\");"}));
  // Outside a callback nothing is recorded.
  TIWThreadSessionSwitch sw(&fx.host.Session());
  fx.box->SetVisible(false);
  EXPECT_FALSE(fx.box->GetVisible());
}

TEST(ScriptContainer, CssChangeDuringCallbackSendsTheLastClass) {
  Fixture fx;
  auto r = fx.InCallback([&] {
    fx.box->SetCss("one");
    fx.box->SetCss("two \"quoted\"");
  });
  EXPECT_EQ(r.Scripts,
            (std::vector<std::string>{"$(\"#PANEL\").attr(\"class\",\"two \\\"quoted\\\"\");"}));
  EXPECT_EQ(fx.box->ResponseEvent(nullptr, "css"),
            "$(\"#PANEL\").attr(\"class\",\"two \\\"quoted\\\"\");");
  EXPECT_EQ(fx.box->ResponseEvent(nullptr, "Other"), "");
}

TEST(ScriptContainer, FocusSelectAndShowAndHide) {
  Fixture fx;
  auto r = fx.InCallback([&] { fx.box->SetFocusAndSelect(); });
  EXPECT_EQ(r.Scripts,
            (std::vector<std::string>{"SetFocusOnElement($(\"#PANEL\"));$(\"#PANEL\").select();"}));
  EXPECT_EQ(fx.box->jsSetFocus(), "$(\"#PANEL\").focus();");
  EXPECT_EQ(fx.box->jsShowAndHide(250, nullptr, nullptr), "ZQShowAndHide(\"#PANEL\",250,{},{})");
  EXPECT_EQ(fx.box->JQueryReady(false), "$(");
  EXPECT_EQ(fx.box->JQueryReady(true), "$(document).ready(");
  // Without a root form, a focus outside a callback does nothing.
  Owned<TTestScriptBox> loose(Create<TTestScriptBox>(nullptr));
  EXPECT_NO_THROW(loose->SetFocus());
}

TEST(ScriptContainer, RemovalDuringCallbackIsSentOnce) {
  Fixture fx;
  fx.box->Inputs = {"PANEL_A"};
  auto r = fx.InCallback([&] {
    fx.box->DoAjaxBrowserDestroy();
    fx.box->DoAjaxBrowserDestroy();
    Free(fx.box);  // the destructor runs it again: nothing more
  });
  std::string all;
  for (const auto& s : r.Scripts) all += s;
  EXPECT_EQ(
      all,
      "$(getSubmitForm()).find(\"input[name='PANEL_A']\").remove();ZQRelease_IWCL(\"PANELIWCL\");"
      "$(\"#PANEL\").remove();");
}

TEST(ScriptContainer, HiddenInputsAskedOnEveryUse) {
  Fixture fx;
  EXPECT_EQ(fx.box->GetHiddenInputsRemoveJs(), "");
  EXPECT_FALSE(fx.box->IsForThisControl("PANEL_B"));
  fx.box->Inputs = {"PANEL_C", "PANEL_A", "PANEL_B"};
  EXPECT_TRUE(fx.box->IsForThisControl("PANEL_B"));
  EXPECT_EQ(
      fx.box->GetHiddenInputsRemoveJs(),
      "var frm = $(getSubmitForm());frm.find(\"input[name='PANEL_A']\").remove();"
      "frm.find(\"input[name='PANEL_B']\").remove();frm.find(\"input[name='PANEL_C']\").remove();");
  fx.host.Controller().JavaScriptDebug = true;
  EXPECT_NE(fx.box->GetHiddenInputsRemoveJs().find("remove();\r\nfrm.find"), std::string::npos);
}

TEST(ScriptContainer, RenderScriptThenExtraOnceInThePage) {
  Fixture fx;
  const std::string& page = fx.host.FirstPage().Body();
  const std::size_t at = page.find("init(1);extra(2);");
  ASSERT_NE(at, std::string::npos) << page;
  EXPECT_EQ(page.find("init(1);extra(2);", at + 1), std::string::npos);
}

TEST(ScriptContainer, TabOrderKeptPerOwner) {
  Fixture fx;
  TIWAppForm& form = fx.host.Form();
  std::vector<TTestScriptBox*> boxes{fx.box};
  for (const char* n : {"Second", "Third"}) {
    auto* b = Create<TTestScriptBox>(&form);
    b->SetName(n);
    b->SetParent(&form);
    boxes.push_back(b);
  }
  for (TTestScriptBox* b : boxes) b->SetTabOrder(-1);
  EXPECT_EQ(boxes[0]->GetTabOrder(), 0);
  EXPECT_EQ(boxes[2]->GetTabOrder(), 2);
  // Inserted at 0: the others move up.
  boxes[2]->SetTabOrder(0);
  EXPECT_EQ(boxes[2]->GetTabOrder(), 0);
  EXPECT_EQ(boxes[0]->GetTabOrder(), 1);
  // Beyond the list: appended, and the stored value is the one written.
  auto* fourth = Create<TTestScriptBox>(&form);
  fourth->SetName("Fourth");
  fourth->SetParent(&form);
  fourth->SetTabOrder(99);
  EXPECT_EQ(fourth->GetTabOrder(), 3);
  EXPECT_EQ(fourth->TabOrder, 99);
  Free(boxes[2]);  // leaves the list
  EXPECT_EQ(boxes[0]->GetTabOrder(), 0);
  EXPECT_EQ(fourth->GetTabOrder(), 2);
  // Without an owner: the stored value.
  Owned<TTestScriptBox> loose(Create<TTestScriptBox>(nullptr));
  loose->SetTabOrder(7);
  EXPECT_EQ(loose->GetTabOrder(), 7);
}

TEST(ScriptContainer, StyleScrollStyleAndAfterRender) {
  Fixture fx([](TTestScriptBox* b) {
    b->GetStyle()->SetDeclaration("border", "1px solid red");
    b->SetZQScrollStyle(zqsbsVerticalAuto);
    b->OnAfterRenderHTML = TIWZQHTMLEvent(b, [](TObject*, std::unique_ptr<TIWHTMLTag>& ATag) {
      if (ATag) ATag->AddStringParam("data-after", "yes");
    });
  });
  const std::string& page = fx.host.FirstPage().Body();
  const std::size_t at = page.find("id=\"PANEL\"");
  ASSERT_NE(at, std::string::npos) << page;
  const std::string tag =
      page.substr(page.rfind('<', at), page.find('>', at) - page.rfind('<', at));
  EXPECT_NE(tag.find("border:1px solid red;"), std::string::npos) << tag;
  EXPECT_NE(tag.find("overflow-x:hidden;overflow-y:auto;"), std::string::npos) << tag;
  EXPECT_NE(tag.find("data-after=\"yes\""), std::string::npos) << tag;
  EXPECT_TRUE(fx.box->IsStyleStored());
  EXPECT_EQ(tag.find("tabindex"), std::string::npos) << tag;  // no tab order
}

TEST(ScriptContainer, RealTabIndexFromTheFormsOrder) {
  Fixture fx([](TTestScriptBox* b) { b->TabOrder = 4; });
  const std::string& page = fx.host.FirstPage().Body();
  const std::size_t at = page.find("id=\"PANEL\"");
  ASSERT_NE(at, std::string::npos) << page;
  const std::string tag =
      page.substr(page.rfind('<', at), page.find('>', at) - page.rfind('<', at));
  EXPECT_NE(tag.find("tabindex=\"1\""), std::string::npos) << tag;
}

TEST(ScriptContainer, FocusNavigationHelpers) {
  Fixture fx;
  auto r = fx.InCallback([] {
    ZQSetPrevFocus();
    ZQSetNextFocus();
    ZQSetPrevTab();
    ZQSetNextTab();
  });
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"$.focusPrev();", "$.focusNext();", "$.tabPrev();",
                                                 "$.tabNext();"}));
}

}  // namespace
}  // namespace zq
