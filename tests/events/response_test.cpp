// Response lists and the dispatcher: order, merging, composition, the ajax
// and submit cycles, the web-root warning, and entries of freed objects.
#include <gtest/gtest.h>

#include "events/jscript.h"
#include "events/response.h"
#include "events_support.h"
#include "foundation/stringlist.h"

namespace zq {
namespace {

using test::TTestControl;
using test::TTestOptions;

struct TScriptSource {
  int Calls = 0;
  std::string Text = "ev()";
  std::string Script(TObject*, const std::string& APropName) {
    ++Calls;
    return Text + "/*" + APropName + "*/";
  }
  std::string Other(TObject*, const std::string&) { return "other()"; }
  std::string Throw(TObject*, const std::string&) { throw EIWZQJQuery("boom"); }
};

class ResponseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctl->InCallback = true;
    a = ctl->GetOptions();
    a->Name = "A";
    b = ctl->GetButtons()->Add();
    b->Name = "B";
  }
  Owned<TTestControl> ctl{Create<TTestControl>()};
  TTestOptions* a = nullptr;
  TTestOptions* b = nullptr;
  TIWZQDispatcher& disp() { return ctl->Dispatcher(); }
};

TEST_F(ResponseTest, SettersMergePerObjectAndReadTheLastValue) {
  a->SetTitle("one");
  b->SetWidth(5);
  a->SetWidth(7);
  a->SetTitle("two");
  a->SetTitle("three");
  ASSERT_EQ(ctl->AjaxList()->Count(), 2);
  EXPECT_EQ(ctl->AjaxList()->GetScript(),
            "A.opt(\"title\",\"three\"); A.opt(\"width\",7);B.opt(\"width\",5);");
}

TEST_F(ResponseTest, ScriptsAreTrimmedTerminatedAndNeverMerged) {
  disp().AddAjaxResponseScript("  foo()  ");
  disp().AddAjaxResponseScript("   ");
  disp().AddAjaxResponseScript("bar();");
  disp().AddAjaxResponseScript("foo()");
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "foo();bar();foo();");
}

TEST_F(ResponseTest, EventsMergeByNameInAnyCaseAndMethod) {
  TScriptSource src;
  TIWZQAjaxReponseScriptEvent ev(&src, &TScriptSource::Script);
  auto* e1 = disp().AddAjaxResponseEvent("Title", ev);
  disp().AddAjaxResponseScript("x()");
  auto* e2 = disp().AddAjaxResponseEvent("TITLE", ev);
  EXPECT_EQ(e1, e2);
  disp().AddAjaxResponseEvent("Title", TIWZQAjaxReponseScriptEvent(&src, &TScriptSource::Other));
  TScriptSource src2;
  disp().AddAjaxResponseEvent("Title", TIWZQAjaxReponseScriptEvent(&src2, &TScriptSource::Script));
  EXPECT_EQ(ctl->AjaxList()->Count(), 4);
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "ev()/*Title*/;x();other();ev()/*Title*/;");
  EXPECT_EQ(src.Calls, 1);
  EXPECT_EQ(ctl->AjaxList()->GetItemByEvent("title", ev), e1);
  // An event without a method yields nothing.
  disp().ClearAjax();
  disp().AddAjaxResponseEvent("x", TIWZQAjaxReponseScriptEvent());
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "");
}

TEST_F(ResponseTest, MembersAreCheckedAndHeldOnce) {
  TZQJSonMember* title = a->GetClassData()->MembersByName("title");
  TCollectionItem* m1 = disp().AddAjaxResponseMember(a, title);
  TCollectionItem* m2 = disp().AddAjaxResponseMember(a, title);
  EXPECT_EQ(m1, m2);
  EXPECT_EQ(ctl->AjaxList()->GetItemByJSonObj(a)->Members()->Count(), 1);
  EXPECT_THROW(disp().AddAjaxResponseMember(ctl.get(), title), EInvalidCast);
  EXPECT_THROW(disp().AddAjaxResponseMember(a, a), EInvalidCast);
}

TEST_F(ResponseTest, AjaxCycle) {
  EXPECT_FALSE(disp().GetAjaxProcessed());  // nothing recorded, no list
  EXPECT_EQ(ctl->AjaxList(), nullptr);
  a->SetTitle("t");
  EXPECT_TRUE(disp().GetAjaxProcessed());
  disp().ProcessAjax();
  disp().ProcessAjax();  // once per callback
  ASSERT_EQ(ctl->Dispatched.size(), 1u);
  EXPECT_EQ(ctl->Dispatched[0], "A.opt(\"title\",\"t\");");
  EXPECT_FALSE(disp().GetAjaxProcessed());
  disp().ClearAjax();
  EXPECT_EQ(ctl->AjaxList()->Count(), 0);
  EXPECT_FALSE(disp().GetAjaxProcessed());
  a->SetTitle("u");
  disp().ProcessAjax();
  ASSERT_EQ(ctl->Dispatched.size(), 2u);
  EXPECT_EQ(ctl->Dispatched[1], "A.opt(\"title\",\"u\");");
}

TEST_F(ResponseTest, ProcessingAnEmptyScriptStillMarksTheList) {
  disp().AddAjaxResponseScript("  ");
  EXPECT_TRUE(disp().GetAjaxProcessed());
  disp().ProcessAjax();
  EXPECT_TRUE(ctl->Dispatched.empty());
  EXPECT_TRUE(ctl->AjaxList()->GetProcessed());
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "");
}

TEST_F(ResponseTest, AFailingEventKeepsTheItems) {
  TScriptSource src;
  disp().AddAjaxResponseScript("a()");
  disp().AddAjaxResponseEvent("p", TIWZQAjaxReponseScriptEvent(&src, &TScriptSource::Throw));
  EXPECT_THROW(disp().ProcessAjax(), EIWZQJQuery);
  EXPECT_EQ(ctl->AjaxList()->Count(), 2);
  EXPECT_FALSE(ctl->AjaxList()->GetProcessed());
}

TEST_F(ResponseTest, SubmitCycle) {
  EXPECT_FALSE(disp().GetSubmitProcessed());
  disp().AddSubmitResponseScript("init()");
  disp().AddSubmitResponseMember(a, a->GetClassData()->MembersByName("width"));
  a->SetWidth(3);  // in a callback: goes to the ajax list, not the submit list
  EXPECT_TRUE(disp().GetSubmitProcessed());
  disp().ProcessSubmit(nullptr);
  ASSERT_EQ(ctl->SubmitDispatched.size(), 1u);
  EXPECT_EQ(ctl->SubmitDispatched[0], "init();A.opt(\"width\",3);");
  EXPECT_EQ(ctl->SubmitList()->Count(), 0);
  disp().ProcessSubmit(nullptr);
  EXPECT_EQ(ctl->SubmitDispatched.size(), 1u);
}

TEST_F(ResponseTest, ResetAndClear) {
  auto* list = Create<TIWZQResponseList>();
  Owned<TIWZQResponseList> hold(list);
  list->AddResponseScript("x");
  list->SetProcessed(true);
  EXPECT_EQ(list->GetScript(), "");
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_TRUE(list->GetProcessed());
  list->AddResponseScript("x");
  list->Reset();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_FALSE(list->GetProcessed());
}

// ---- mends: entries never outlive their objects

TEST_F(ResponseTest, FreeingAnOptionObjectDropsItsSetter) {
  a->SetTitle("t");
  b->SetWidth(1);
  disp().AddSubmitResponseMember(b, b->GetClassData()->MembersByName("title"));
  ctl->GetButtons()->Delete(0);  // b is freed
  EXPECT_EQ(ctl->AjaxList()->Count(), 1);
  EXPECT_EQ(ctl->SubmitList()->Count(), 0);
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "A.opt(\"title\",\"t\");");
}

TEST_F(ResponseTest, FreeingTheObjectOfAResponseEventDropsIt) {
  auto* src = new TScriptSource;
  disp().AddAjaxResponseEvent("p", TIWZQAjaxReponseScriptEvent(src, &TScriptSource::Script));
  disp().AddAjaxResponseScript("keep()");
  ZQResponseObjectFreed(src);
  delete src;
  EXPECT_EQ(ctl->AjaxList()->Count(), 1);
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "keep();");
}

TEST_F(ResponseTest, FreedWhileComposing) {
  // A response event that frees an option object recorded later in the list.
  struct TFreer {
    TTestControl* Ctl;
    std::string Run(TObject*, const std::string&) {
      Ctl->GetButtons()->Delete(0);
      return "freed()";
    }
  } freer{ctl.get()};
  disp().AddAjaxResponseEvent("p", TIWZQAjaxReponseScriptEvent(&freer, &TFreer::Run));
  b->SetTitle("gone");
  a->SetTitle("t");
  EXPECT_EQ(ctl->AjaxList()->GetScript(), "freed();A.opt(\"title\",\"t\");");
  EXPECT_EQ(ctl->AjaxList()->Count(), 2);
}

TEST_F(ResponseTest, FreeingTheListUnregistersIt) {
  const int before = ZQResponseTrackedObjectCount();
  int target = 0;  // the object a recorded method belongs to; it outlives the list
  Owned<TIWZQResponseList> list(Create<TIWZQResponseList>());
  list->AddResponseEvent("Prop", TIWZQAjaxReponseScriptEvent(&target, [](TObject*, const std::string&) {
                           return std::string("x()");
                         }));
  EXPECT_EQ(ZQResponseTrackedObjectCount(), before + 1);
  list.reset();
  // The freed list is no longer filed under the object, so freeing the
  // object later cannot reach the list.
  EXPECT_EQ(ZQResponseTrackedObjectCount(), before);
  ZQResponseObjectFreed(&target);

  a->SetTitle("t");
  disp().ClearAjax();
  a->SetTitle("u");
  ctl.reset();  // lists, options and functions go; nothing dangles
  EXPECT_EQ(ZQResponseTrackedObjectCount(), before);
}

// ---- the web-root warning

TEST(WwwRootWarning, OncePerPage) {
  std::vector<Owned<TTestControl>> controls;
  TStringList lines;
  lines.Add("<meta x>");
  for (int i = 0; i < 10; ++i) {
    controls.emplace_back(Create<TTestControl>());
    controls.back()->Dispatcher().SetWwwRoot(false);
    controls.back()->Dispatcher().InitResponse(&lines);
  }
  ASSERT_EQ(lines.Count(), 7);
  EXPECT_EQ(lines[1], "<!-- wwwroot -->");
  EXPECT_EQ(lines[2], "<script type=\"text/javascript\">");
  EXPECT_EQ(lines[3], "$(function(){");
  EXPECT_EQ(lines[4],
            "$(\"<div></div>\").css({\"z-index\":\"999999\",\"background\":\"red\",\"color\":\"white\",\"position\":"
            "\"absolute\",\"font-family\":\"verdana\",\"font-size\":\"14px\",\"font-weight\":\"bold\",\"right\":\"0\","
            "\"padding\":\"10px\"}).html(\"Outdated wwwroot! <p>Please update and clear the browser cache after "
            "(Ctrl+F5)</p>\").appendTo(\"body\")");
  EXPECT_EQ(lines[5], "});");
  EXPECT_EQ(lines[6], "</script>");

  TStringList current;
  controls[0]->Dispatcher().SetWwwRoot(true);
  EXPECT_TRUE(controls[0]->Dispatcher().GetWwwRoot());
  controls[0]->Dispatcher().InitResponse(&current);
  EXPECT_EQ(current.Count(), 0);
}

TEST(Dispatcher, OwnerMustBeADispatchComponent) {
  Owned<TPersistent> p(Create<TPersistent>());
  EXPECT_THROW(Create<TIWZQDispatcher>(p.get()), EInvalidCast);
}

TEST(JScript, JoiningFollowsTheDebugSwitch) {
  TIWZQJScript s;
  s.ConcatLine("x");  // empty list: nothing
  EXPECT_EQ(s.Count(), 0);
  s.AddF("a(%s);", "1");
  s.InsertF(0, "%d;", 7);
  s.ConcatLine("//");
  s.ConcatLine("!", 0);
  EXPECT_EQ(s.GetJoined(false), "7;! a(1);// ");
  EXPECT_EQ(s.GetJoined(true), "7;!\r\na(1);//\r\n");
  EXPECT_EQ(s.GetJoined(), "7;! a(1);// ");  // no controller: debug off
}

}  // namespace
}  // namespace zq
