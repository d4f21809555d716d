// Tour: a guided walk over the controls of this page (intro.js); the server
// starts it, and every step change, the completion and the exit reach the
// server, which shows them in a label. Further buttons change tour options,
// move to a step and end the tour from the server.
#include <string>

#include "components/intro/intro.h"
#include "demoform.h"
#include "events/browserparams.h"
#include "events/func.h"
#include "foundation/format.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/zqhelpers.h"

namespace zqdemo {

namespace {

using namespace zq;

class TIntroPage : public TDemoPage {
 public:
  std::string NavLabel() const override { return "Tour"; }
  std::string Title() const override { return "Intro tour"; }
  std::string Summary() const override {
    return "A guided tour over the page's controls, started and followed by the server.";
  }

  int Build(TDemoForm& AForm, int ATop) override {
    DemoLabel(AForm, "LblTourTitle", "Intro tour", 16, ATop, 300);

    auto* name = Create<TIWEdit>(&AForm);
    name->SetName("EdtTourName");
    name->SetParent(&AForm);
    name->SetBounds(16, ATop + 34, 220, 26);

    start_ = DemoButton(AForm, "BtnTourStart", "Start tour", 16, ATop + 72, 126, [this] {
      tour_->Start();
      status_->SetCaption("started");
    });
    TIWButton* options =
        DemoButton(AForm, "BtnTourOptions", "Plain tour", 150, ATop + 72, 126, [this] {
          // Sent as setter statements: applied to the tour, built first if needed.
          TIWZQJQIntroOptions* o = tour_->GetJQIntroOptions();
          o->SetShowBullets(false);
          o->SetNextLabel("Onwards");
          status_->SetCaption("options changed");
        });
    DemoButton(AForm, "BtnTourStep3", "Go to step 3", 284, ATop + 72, 126, [this] {
      tour_->GoToStep(2);  // 0-based: the third step
      status_->SetCaption("step 3 asked");
    });

    // The plug-in calls the exit handler only for the user's exits (skip,
    // Esc, overlay click), not for this one.
    DemoButton(AForm, "BtnTourEnd", "End tour", 418, ATop + 72, 126, [this] {
      tour_->Exit();
      status_->SetCaption("ended by the server");
    });

    status_ = DemoLabel(AForm, "LblTourStatus", "not started", 16, ATop + 112, 400);
    log_ = DemoLabel(AForm, "LblTourLog", "", 16, ATop + 140, 600);

    tour_ = Create<TIWZQJQIntro>(&AForm);
    tour_->SetName("DemoTour");
    TIWZQJQIntroControlList* steps = tour_->GetJQIntroControlList();
    steps->Add(name, "Type your name here.", TIWZQJQIntroPosition::jqipRight);
    steps->Add(start_, "This button starts the tour.", TIWZQJQIntroPosition::jqipBottom);
    steps->Add(options, "The server changes the tour's options.", TIWZQJQIntroPosition::jqipTop);

    TIWZQJQIntroEvents* events = tour_->GetJQIntroOptions()->GetEvents();
    TIWZQJSonFunc* change = events->GetOnChange();
    change->GetBrowserParams()->AddParam("element", "targetElement ? targetElement.id : ''");
    change->SetOnEvent(TIWZQEvent(tour_, [this](TObject*, TStringList* AParams) {
      const std::string id = AParams ? AParams->Values("element") : std::string();
      Log("change");
      status_->SetCaption(Format("step %d: %s", StepOf(id) + 1, id));
    }));
    events->GetOnBeforeChange()->SetOnEvent(
        TIWZQEvent(tour_, [this](TObject*, TStringList*) { Log("before"); }));
    events->GetOnAfterChange()->SetOnEvent(
        TIWZQEvent(tour_, [this](TObject*, TStringList*) { Log("after"); }));
    events->GetOnComplete()->SetOnEvent(TIWZQEvent(tour_, [this](TObject*, TStringList*) {
      Log("complete");
      status_->SetCaption("completed");
    }));
    // The host renders the button anew: the next tour finds the new element.
    events->GetOnExit()->SetOnEvent(TIWZQEvent(tour_, [this](TObject*, TStringList*) {
      Log("exit");
      status_->SetCaption("exited");
      start_->SetCaption("Start again");
    }));
    return 176;
  }

 private:
  // Every tour event the server got, in the order it got them.
  void Log(const char* AWord) {
    const std::string& was = log_->GetCaption();
    log_->SetCaption(was.empty() ? AWord : was + " " + AWord);
  }

  // The 0-based step whose element has that id (-1 when none).
  int StepOf(const std::string& AID) {
    TIWZQJQIntroControlList* steps = tour_->GetJQIntroControlList();
    for (int i = 0; i < steps->Count(); ++i) {
      TIWZQJQIntroControl* s = steps->Items(i);
      if (s->Control && ZQGetCtrlHTMLName(s->Control) == AID) return i;
    }
    return -1;
  }

  TIWButton* start_ = nullptr;
  TIWZQJQIntro* tour_ = nullptr;
  TIWLabel* status_ = nullptr;
  TIWLabel* log_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TIntroPage, "intro", 75);

}  // namespace zqdemo
