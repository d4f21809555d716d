// The application form (OnShow / OnHide, RealTabOrders refilled on render)
// and the frame (OnCreate / OnDestroy, failures shown as messages, frame
// containers told of arrivals and departures, form and application lookups).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/appform.h"
#include "framework/jqcontainer.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

struct Built {
  TIWZQAppForm* form = nullptr;
  std::vector<std::string> log;
};

template <class T>
T* Place(TComponent* AOwner, TIWBaseControl* AParent, const char* AName, int ATabOrder) {
  T* c = Create<T>(AOwner);
  c->SetName(AName);
  c->SetParent(AParent);
  c->TabOrder = ATabOrder;
  return c;
}

TEST(AppForm, ShowHideEventsAndRealTabOrdersOnRender) {
  Built b;
  hosttest::THostFixture host([&b](TIWApplication& app) {
    auto* f = Create<TIWZQAppForm>(&app);
    f->SetName("MainForm");
    f->OnShow = TNotifyEvent(f, [&b](TObject* s) { b.log.push_back("show:" + s->ClassName()); });
    f->OnHide = TNotifyEvent(f, [&b](TObject* s) { b.log.push_back("hide:" + s->ClassName()); });
    Place<TIWLabel>(f, f, "Lbl1", 1);
    auto* region = Place<TIWRegion>(f, f, "Region1", -1);
    Place<TIWEdit>(f, region, "Edit1", 2);
    // A script container with a tab order stands for its children ...
    auto* tabbed = Place<TIWZQJQSortableContainer>(f, region, "Tabbed", 3);
    Place<TIWEdit>(f, tabbed, "Hidden", 4);
    // ... one without is walked into.
    auto* plain = Place<TIWZQJQSortableContainer>(f, f, "Plain", -1);
    Place<TIWEdit>(f, plain, "Inner", 5);
    Place<TIWLabel>(f, f, "NoTab", -1);
    b.form = f;
    return f;
  });
  // The first page was rendered: the list was filled before it.
  std::vector<std::string> names;
  for (TIWBaseControl* c : b.form->GetRealTabOrders()) names.push_back(c->GetName());
  EXPECT_EQ(names, (std::vector<std::string>{"Lbl1", "Edit1", "Tabbed", "Inner"}));
  b.log.clear();
  b.form->Hide();
  b.form->Show();
  EXPECT_EQ(b.log, (std::vector<std::string>{"hide:TIWZQAppForm", "show:TIWZQAppForm"}));
  EXPECT_EQ(host.Session().GetActiveForm(), b.form);
}

// A frame class sets its events in its constructor.
class TTestFrame : public TIWZQJQFrame {
  ZQ_CLASS(TTestFrame, TIWZQJQFrame)
 public:
  TTestFrame(TComponent* AOwner, bool AFail) : TIWZQJQFrame(AOwner) {
    OnCreate = TNotifyEvent(this, [AFail](TObject*) {
      if (AFail) throw std::runtime_error("frame set-up failed");
    });
  }
};

class THostPanel : public TIWRegion, public IIWZQFrameContainer {
  ZQ_CLASS(THostPanel, TIWRegion)
 public:
  using TIWRegion::TIWRegion;
  std::vector<std::string> Log;
  void FrameAdded(TIWZQJQFrame* AFrame) override { Log.push_back("+" + AFrame->GetName()); }
  void FrameRemoved(TIWZQJQFrame* AFrame) override { Log.push_back("-" + AFrame->GetName()); }
};

TEST(Frame, CreateFailureIsShownContainersAreToldLookupsWalkUp) {
  hosttest::THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWZQAppForm>(&app);
    f->SetName("MainForm");
    return f;
  });
  TIWAppForm& form = host.Form();
  auto* a = Create<THostPanel>(&form);
  a->SetName("A");
  a->SetParent(&form);
  auto* inner = Create<TIWRegion>(&form);
  inner->SetName("Inner");
  inner->SetParent(a);
  auto* b = Create<THostPanel>(&form);
  b->SetName("B");
  b->SetParent(&form);

  TTestFrame* frame = Create<TTestFrame>(&form, true);  // OnCreate throws: the frame stays
  ASSERT_NE(frame, nullptr);
  frame->SetName("Frame1");
  EXPECT_NE(host.Session().TakeMessageScript().find("frame set-up failed"), std::string::npos);

  frame->SetParent(inner);  // the container above the new parent hears of it
  frame->SetParent(b);
  EXPECT_EQ(a->Log, (std::vector<std::string>{"+Frame1", "-Frame1"}));
  EXPECT_EQ(b->Log, (std::vector<std::string>{"+Frame1"}));
  EXPECT_EQ(frame->GetParentContainer(), static_cast<IIWZQFrameContainer*>(b));
  EXPECT_EQ(frame->GetParentForm(), &form);
  EXPECT_EQ(frame->GetOwnerForm(), &form);
  EXPECT_EQ(frame->GetWebApplication(), &host.Session());
  EXPECT_EQ(frame->GetFrameRegion(), nullptr);
  auto* region = Create<TIWRegion>(&form);
  region->SetParent(frame);
  EXPECT_EQ(frame->GetFrameRegion(), region);

  // Without a form there is no application and no message.
  TTestFrame* loose = Create<TTestFrame>(nullptr, true);
  EXPECT_EQ(loose->GetWebApplication(), nullptr);
  Free(loose);
}

}  // namespace

ZQ_IMPLEMENT_CLASS(TTestFrame) {}
ZQ_IMPLEMENT_CLASS(THostPanel) {}

}  // namespace zq
