#include <gtest/gtest.h>

#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/context.h"
#include "host/testing.h"

namespace zq {

// A component that registers a DoAjaxRequest callback and, when asked,
// takes part in the refresh cycle with scripts of its own.
class TEchoComponent : public TIWComponent {
  ZQ_CLASS(TEchoComponent, TIWComponent)
 public:
  using TIWComponent::TIWComponent;
  std::vector<std::string> Received;
  int Refreshes = 0;
  void RenderScripts(TIWCompContext& ctx) override {
    ctx.WebApplication()->CallBacks().Register(HTMLName() + ".DoAjaxRequest", [this](TStringList& params) {
      for (int i = 0; i < params.Count(); ++i) Received.push_back(params[i]);
      TIWApplication* app = gGetWebApplicationThreadVar();
      app->CallBackResponse().AddJavaScriptToExecute("step(1);");
      app->CallBackResponse().AddJavaScriptToExecute("step(\"<![CDATA[2]]>\");");
      app->CallBackResponse().AddJavaScriptToExecute("var s=\"]]>\";");
      if (params.Values("fail") == "1") throw Exception("Handler failed <here>");
      Invalidate();
    });
  }
  std::unique_ptr<TIWHTMLTag> RenderAsyncComponent(TIWCompContext& ctx) override {
    ++Refreshes;
    ctx.WebApplication()->CallBackResponse().AddJavaScriptToExecute("refreshed(\"" + HTMLName() + "\");");
    return nullptr;
  }
  void SetDoRefreshControl(bool v) override {
    if (!v) ++Resets;
    TIWComponent::SetDoRefreshControl(v);
  }
  int Resets = 0;
};
ZQ_IMPLEMENT_CLASS(TEchoComponent) {}

namespace {

using hosttest::TCallbackResult;
using hosttest::THostFixture;

struct Handles {
  TIWLabel* label;
  TIWEdit* edit;
  TIWButton* button;
  TIWRegion* region;
  TEchoComponent* echo;
};

THostFixture MakeHost(Handles& h) {
  return THostFixture([&h](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    h.region = Create<TIWRegion>(f);
    h.region->SetName("Region1");
    h.region->SetParent(f);
    h.region->SetBounds(1, 2, 30, 40);
    h.label = Create<TIWLabel>(f);
    h.label->SetName("Label1");
    h.label->SetParent(h.region);
    h.edit = Create<TIWEdit>(f);
    h.edit->SetName("Edit1");
    h.edit->SetParent(f);
    h.button = Create<TIWButton>(f);
    h.button->SetName("Button1");
    h.button->SetParent(f);
    h.echo = Create<TEchoComponent>(f);
    h.echo->SetName("Echo1");
    return f;
  });
}

TEST(HostCallback, EndToEndParametersHandlerScriptsAndRefresh) {
  Handles h{};
  THostFixture host = MakeHost(h);
  h.label->SetCaption("changed <now>");  // takes part in the next refresh cycle
  TCallbackResult r = host.Callback("ECHO1.DoAjaxRequest",
                                    {{"ajaxevent", "Events.OnClick"}, {"x", "1 & 2"}, {"EDIT1", "typed é"}});
  ASSERT_EQ(r.Code, 200) << r.Body;
  EXPECT_EQ(h.echo->Received, (std::vector<std::string>{"ajaxevent=Events.OnClick", "x=1 & 2", "EDIT1=typed é"}));
  // The posted value reached the input control before the handler ran.
  EXPECT_EQ(h.edit->GetText(), "typed é");
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"step(1);", "step(\"<![CDATA[2]]>\");", "var s=\"]]>\";", "refreshed(\"ECHO1\");"}));
  ASSERT_EQ(r.Updates.size(), 1u);
  EXPECT_EQ(r.Updates[0].first, "LABEL1");
  EXPECT_EQ(r.Updates[0].second,
            "<span id=\"LABEL1\" style=\"position:absolute;left:0px;top:0px;font-size:10pt;\">changed &lt;now&gt;</span>");
  EXPECT_EQ(h.echo->Refreshes, 1);
  EXPECT_FALSE(h.echo->GetDoRefreshControl());
  EXPECT_FALSE(h.label->GetDoRefreshControl());
  // The exact document: updates first, each script in its own CDATA section.
  EXPECT_NE(r.Body.find("<execute><![CDATA[var s=\"]]]]><![CDATA[>\";]]></execute>"), std::string::npos);
  EXPECT_LT(r.Body.find("<update id=\"LABEL1\">"), r.Body.find("<execute>"));
  // Flags and the response are reset once the request is over.
  EXPECT_FALSE(host.Session().IsCallBack());
  EXPECT_FALSE(host.Session().CallBackProcessing());
  EXPECT_TRUE(host.Session().CallBackResponse().IsEmpty());
  EXPECT_EQ(gGetWebApplicationThreadVar(), nullptr);
  // A second callback starts from an empty response.
  TCallbackResult again = host.Callback("ECHO1.DoAjaxRequest", {{"ajaxevent", "E"}});
  EXPECT_EQ(again.Scripts.size(), 4u);
  EXPECT_TRUE(again.Updates.empty());
}

TEST(HostCallback, RegionRefreshSendsItsControlTag) {
  Handles h{};
  THostFixture host = MakeHost(h);
  h.region->SetBounds(5, 6, 70, 80);
  TCallbackResult r = host.Callback("ECHO1.DoAjaxRequest", {{"ajaxevent", "E"}});
  ASSERT_EQ(r.ControlTags.size(), 1u);
  EXPECT_EQ(r.ControlTags[0],
            "<control id=\"REGION1\" type=\"IWREGION\" visible=\"true\" enabled=\"true\" "
            "style=\"border-style:none;overflow-x:hidden;overflow-y:hidden;left:5px;top:6px;width:70px;height:80px;"
            "z-index:0\"/>");
}

TEST(HostCallback, ErrorsAndUnknownNames) {
  Handles h{};
  THostFixture host = MakeHost(h);
  TCallbackResult fail = host.Callback("ECHO1.DoAjaxRequest", {{"ajaxevent", "E"}, {"fail", "1"}});
  EXPECT_EQ(fail.Code, 500);
  EXPECT_EQ(fail.Error, "Handler failed <here>");
  EXPECT_TRUE(fail.Scripts.empty());
  EXPECT_TRUE(host.Session().CallBackResponse().IsEmpty());

  TCallbackResult unknown = host.Callback("NOPE.DoAjaxRequest");
  EXPECT_EQ(unknown.Code, 404);
  EXPECT_EQ(unknown.Error, "Unknown callback \"NOPE.DoAjaxRequest\"");

  // Unregistering leaves an entry that does nothing.
  h.echo->Received.clear();
  host.Session().CallBacks().Unregister("ECHO1.DoAjaxRequest");
  TCallbackResult quiet = host.Callback("ECHO1.DoAjaxRequest", {{"ajaxevent", "E"}});
  EXPECT_EQ(quiet.Code, 200);
  EXPECT_TRUE(h.echo->Received.empty());
  EXPECT_EQ(host.Session().CallBacks().QualifiedName("X"), "MAINFORM.X");
}

TEST(HostCallback, WithoutTheTokenIsForbiddenAndChangesNothing) {
  Handles h{};
  THostFixture host = MakeHost(h);
  THTTPRequest req = host.MakeRequest("POST", "/$/callback?callback=ECHO1.DoAjaxRequest");
  req.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  req.Content = "ajaxevent=E&EDIT1=evil";
  THTTPReply reply = host.Send(req);
  EXPECT_EQ(reply.Code(), 403);
  EXPECT_EQ(reply.Body(), "Invalid or missing session token");
  EXPECT_TRUE(h.echo->Received.empty());
  EXPECT_EQ(h.edit->GetText(), "");
  // A wrong token is no better; the header form is accepted.
  req.Content = "ajaxevent=E&EDIT1=evil&ZQ_TOKEN=" + std::string(32, '0');
  EXPECT_EQ(host.Send(req).Code(), 403);
  req.Content = "ajaxevent=E";
  req.SetHeader("X-ZQ-Token", host.Token());
  EXPECT_EQ(host.Send(req).Code(), 200);
  EXPECT_EQ(h.echo->Received.size(), 1u);
  // A submit without the token is refused the same way.
  THTTPReply submit = host.Submit("BUTTON1", "", {{"EDIT1", "evil"}}, false);
  EXPECT_EQ(submit.Code(), 403);
  EXPECT_EQ(h.edit->GetText(), "");
}

TEST(HostSubmit, DeliversInputsCallsSubmitAndRendersThePage) {
  Handles h{};
  THostFixture host = MakeHost(h);
  std::vector<std::string> clicks;
  h.button->OnClick = TNotifyEvent(&clicks, [&](TObject* sender) {
    clicks.push_back(static_cast<TIWButton*>(sender)->GetName() + ":" + h.edit->GetText());
    h.label->SetCaption("clicked");
  });
  THTTPReply reply = host.Submit("BUTTON1", "submitevent=OnClick&a=1", {{"EDIT1", "new text"}});
  ASSERT_EQ(reply.Code(), 200);
  EXPECT_EQ(clicks, (std::vector<std::string>{"Button1:new text"}));
  EXPECT_EQ(h.button->GetSubmitParam(), "submitevent=OnClick&a=1");
  EXPECT_NE(reply.Body().find(">clicked</span>"), std::string::npos);
  EXPECT_NE(reply.Body().find("id=\"EDIT1\" name=\"EDIT1\" value=\"new text\""), std::string::npos);
  // After a full render nothing is left for the next refresh cycle.
  EXPECT_FALSE(h.label->GetDoRefreshControl());
}

TEST(HostCallback, AsyncButtonRegistersItsOwnCallback) {
  Handles h{};
  int clicks = 0;
  THostFixture host([&](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("F");
    h.button = Create<TIWButton>(f);
    h.button->SetName("Btn");
    h.button->SetParent(f);
    h.button->OnAsyncClick = TNotifyEvent(&clicks, [&](TObject*) {
      ++clicks;
      app.ShowMessage("Saved \"ok\" </script>");
    });
    return f;
  });
  EXPECT_NE(host.FirstPage().Body().find("onclick=\"executeAjaxEvent(&quot;&quot;, null, &quot;BTN.DoOnAsyncClick&quot;"),
            std::string::npos);
  TCallbackResult r = host.Callback("BTN.DoOnAsyncClick");
  EXPECT_EQ(r.Code, 200);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(r.Scripts, (std::vector<std::string>{"alert(\"Saved \\\"ok\\\" \\x3C/script\\x3E\");\r\n"}));
  // A freed button leaves a callback that does nothing (no dangling handler).
  Free(h.button);
  TCallbackResult after = host.Callback("BTN.DoOnAsyncClick");
  EXPECT_EQ(after.Code, 200);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace zq
