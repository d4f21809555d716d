// The server side of events: resolving identifiers from the browser, the
// ajax and submit entries, and FullSubmit.
#include <gtest/gtest.h>

#include "events/browserparams.h"
#include "events/func.h"
#include "events_support.h"
#include "foundation/paramlist.h"
#include "host/application.h"
#include "host/servercontroller.h"
#include "error_message.h"

namespace zq {
namespace {

using test::THandlerLog;
using test::TTestControl;
using test::Message;

void Fill(TStringList& s, std::initializer_list<std::string> l) {
  for (const auto& x : l) s.Add(x);
}

class ServerEventTest : public ::testing::Test {
 protected:
  void SetUp() override { ctl->SetName("Button1"); }
  Owned<TTestControl> ctl{Create<TTestControl>()};
  THandlerLog log;
};

TEST_F(ServerEventTest, AjaxRequestCallsTheHandlerWithTheControlsName) {
  ctl->GetJQEvents()->GetOnKeyUp()->SetOnEvent(log.Event());
  TStringList params;
  Fill(params, {"ajaxevent= JQEvents.OnKeyUp ", "key=13", "ComponentName=Evil"});
  ZQDoAjaxRequest(ctl.get(), &params);
  ASSERT_EQ(log.Calls.size(), 1u);
  EXPECT_EQ(log.LastSender, ctl->GetJQEvents());  // the function's owner
  EXPECT_EQ(params.Values("key"), "13");
  // The browser's ComponentName is replaced by the control's own.
  EXPECT_EQ(params.Values("ComponentName"), "Button1");
  EXPECT_EQ(params.IndexOfName("ComponentName"), params.Count() - 1);
  EXPECT_EQ(params.Text(), "ajaxevent= JQEvents.OnKeyUp \r\nkey=13\r\nComponentName=Button1\r\n");
}

TEST_F(ServerEventTest, AjaxRequestErrors) {
  TStringList none;
  Fill(none, {"x=1"});
  EXPECT_EQ(Message([&] { ZQDoAjaxRequest(ctl.get(), &none); }), "Ajax event not present in URL!");
  TStringList blank;
  Fill(blank, {"ajaxevent=   "});
  EXPECT_EQ(Message([&] { ZQDoAjaxRequest(ctl.get(), &blank); }), "Ajax event not specified in URL!");
  TStringList unknown;
  Fill(unknown, {"ajaxevent=OnNothing"});
  EXPECT_EQ(Message([&] { ZQDoAjaxRequest(ctl.get(), &unknown); }), "Ajax event \"OnNothing\" not found!");
}

TEST_F(ServerEventTest, SimpleHandlerSeesTheParametersWhileItRuns) {
  TIWZQFunc* f = ctl->GetOnClick();
  TStringList* seen = nullptr;
  struct TProbe {
    TIWZQFunc* F;
    TStringList** Seen;
    TObject* Sender = nullptr;
    void Run(TObject* s) {
      *Seen = F->GetParams();
      Sender = s;
    }
  } probe{f, &seen};
  f->SetOnSimpleEvent(TNotifyEvent(&probe, &TProbe::Run));
  TStringList params;
  Fill(params, {"ajaxevent=OnClick"});
  ZQDoAjaxRequest(ctl.get(), &params);
  EXPECT_EQ(seen, &params);
  EXPECT_EQ(probe.Sender, ctl.get());
  EXPECT_EQ(f->GetParams(), nullptr);
  TObject other;
  f->FSimpleEventSender = &other;
  ZQDoAjaxRequest(ctl.get(), &params);
  EXPECT_EQ(probe.Sender, &other);
}

TEST_F(ServerEventTest, OnlyEventFunctionsTheControlOwnsResolve) {
  ctl->GetButtons()->Add();
  ctl->GetButtons()->Add()->GetOnClick();
  EXPECT_EQ(ZQResolveEventFunc(ctl.get(), "Buttons.Items[1].OnClick", true),
            ctl->GetButtons()->Items(1)->GetOnClick());
  EXPECT_EQ(ZQResolveEventFunc(ctl.get(), "jqevents.onclick", true), ctl->GetJQEvents()->GetOnClick());
  // Another control reached through a reference property.
  Owned<TTestControl> other(Create<TTestControl>());
  ctl->SetOther(other.get());
  const char* refused[] = {
      "Other.OnClick",           // a reference to another component
      "Options",                 // an option object, not an event function
      "Options.Title",           // a value
      "Buttons.Items[2].OnClick",  // beyond the list
      "Buttons.Items[-1].OnClick",
      "Buttons.Items[x].OnClick",
      "Buttons.Items[99999999999].OnClick",
      "Buttons[0].OnClick",      // not how lists are reached... but valid: see below
      "OnClick.Script",
      "OnClick..",
      ".OnClick",
      "Name",
      "",
  };
  for (const char* id : refused) {
    if (std::string(id) == "Buttons[0].OnClick") continue;
    EXPECT_EQ(Message([&] { ZQResolveEventFunc(ctl.get(), id, false); }),
              Format("Submit event \"%s\" not found!", id))
        << id;
  }
  // "Name[index]" indexes the list the property holds.
  EXPECT_EQ(ZQResolveEventFunc(ctl.get(), "Buttons[0].OnClick", true), ctl->GetButtons()->Items(0)->GetOnClick());
  EXPECT_TRUE(log.Calls.empty());
}

TEST_F(ServerEventTest, SubmitValueRunsTheSubmitEvent) {
  ctl->GetOnClick()->SetOnEvent(log.Event());
  ZQSubmitEvent(ctl.get(), "");
  ZQSubmitEvent(ctl.get(), "x=1");
  ZQSubmitEvent(ctl.get(), "submitevent=+&x=1");
  EXPECT_TRUE(log.Calls.empty());
  ZQSubmitEvent(ctl.get(), "submitevent=OnClick&v=a%20b");
  ASSERT_EQ(log.Calls.size(), 1u);
  EXPECT_EQ(log.LastParams, "submitevent=OnClick\r\nv=a b\r\nComponentName=Button1\r\n");
  EXPECT_EQ(Message([&] { ZQSubmitEvent(ctl.get(), "submitevent=OnMissing"); }),
            "Submit event \"OnMissing\" not found!");
}

// FullSubmit needs a session in a callback.
class FullSubmitTest : public ServerEventTest {
 protected:
  void SetUp() override {
    ServerEventTest::SetUp();
    sc = CreateOwned<TIWServerController>();
    app = sc->NewSession();
    sw = std::make_unique<TIWThreadSessionSwitch>(app.get());
  }
  void TearDown() override {
    sw.reset();
    sc->EndAllSessions();
    app.reset();
    sc.reset();
  }
  Owned<TIWServerController> sc;
  std::shared_ptr<TIWApplication> app;
  std::unique_ptr<TIWThreadSessionSwitch> sw;
};

TEST_F(FullSubmitTest, AjaxEventTurnsIntoASubmitAndRunsAgain) {
  TIWZQJSonFunc* f = ctl->GetOptions()->GetOnClick();
  f->GetBrowserParams()->AddParam("v", "getV()");
  f->GetBrowserParams()->AddParam("w", "getW()");
  std::vector<std::string> kinds;
  struct THandler {
    TIWZQJSonFunc* F;
    std::vector<std::string>* Kinds;
    void Run(TObject*, TStringList* p) {
      if (p->IndexOfName("ajaxevent") >= 0) {
        Kinds->push_back("ajax v=" + p->Values("v"));
        F->FullSubmit(p);
      } else {
        Kinds->push_back("submit v=" + p->Values("v") + " w=" + p->Values("w"));
      }
    }
  } handler{f, &kinds};
  f->SetOnEvent(TIWZQEvent(&handler, &THandler::Run));

  // Outside a callback FullSubmit is refused.
  TStringList p0;
  Fill(p0, {"ajaxevent=Options.OnClick"});
  EXPECT_EQ(Message([&] { f->FullSubmit(&p0); }), "Method \"FullSubmit\" it's only allowed in Ajax Processing!");

  app->SetIsCallBack(true);
  app->SetCallBackProcessing(true);
  TStringList params;
  Fill(params, {"ajaxevent=Options.OnClick", "v=1 & 2"});
  ZQDoAjaxRequest(ctl.get(), &params);
  const auto& scripts = app->CallBackResponse().Scripts();
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0], "SubmitClickConfirm(\"BTN1\",\"&submitevent=Options.OnClick&v=1+%26+2&w=\",true,\"\");");

  // The browser submits the page with that parameter text.
  app->SetIsCallBack(false);
  app->SetCallBackProcessing(false);
  const std::string param = scripts[0].substr(27, scripts[0].find("\",true") - 27);
  EXPECT_EQ(param, "&submitevent=Options.OnClick&v=1+%26+2&w=");
  ZQSubmitEvent(ctl.get(), param);
  EXPECT_EQ(kinds, (std::vector<std::string>{"ajax v=1 & 2", "submit v=1 & 2 w="}));

  app->SetIsCallBack(true);
  TStringList noEvent;
  Fill(noEvent, {"v=1"});
  EXPECT_EQ(Message([&] { f->FullSubmit(&noEvent); }), "\"ajaxevent\" param does not exist for FullSubmit!");
}

}  // namespace
}  // namespace zq
