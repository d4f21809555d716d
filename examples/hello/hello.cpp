// hello: one form with a button, whose ajax clicks change a label, and a chart.
//
//   hello [--port N]      serves http://127.0.0.1:N/ until SIGINT or SIGTERM
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "components/chart/chart.h"
#include "foundation/format.h"
#include "foundation/object.h"
#include "foundation/properties.h"
#include "framework/startup.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

namespace hello {

using namespace zq;

class THelloForm : public TIWAppForm {
  ZQ_CLASS(THelloForm, TIWAppForm)
 public:
  using TIWAppForm::TIWAppForm;

  void AfterConstruction() override {
    TIWAppForm::AfterConstruction();
    SetName("HelloForm");
    Title = "Hello, zqjq";

    auto* button = Create<TIWButton>(this);
    button->SetName("BtnHello");
    button->SetParent(this);
    button->SetCaption("Say hello");
    button->SetBounds(16, 16, 120, 28);
    button->OnAsyncClick = TNotifyEvent(this, [this](TObject*) {
      ++clicks_;
      label_->SetCaption(Format("Hello #%d from the server", clicks_));
    });

    label_ = Create<TIWLabel>(this);
    label_->SetName("LblHello");
    label_->SetParent(this);
    label_->SetCaption("Not clicked yet");
    label_->SetBounds(152, 20, 300, 24);

    // A bar chart drawn by jqPlot in the browser from data set here.
    auto* chart = Create<TIWZQJQPlot>(this);
    chart->SetName("ChartHello");
    chart->SetParent(this);
    chart->SetBounds(16, 60, 420, 260);
    chart->SetJQPlotData("[[[1,4],[2,7],[3,2],[4,9]]]");
    chart->GetJQPlotOptions()->GetTitle()->SetText("Orders by quarter");
    chart->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(
        TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  }

 private:
  int clicks_ = 0;
  TIWLabel* label_ = nullptr;
};

ZQ_IMPLEMENT_CLASS(THelloForm) {}

}  // namespace hello

int main(int argc, char** argv) {
  zq::TServerOptions options;
  if (argc == 3 && std::string(argv[1]) == "--port") options.Port = std::atoi(argv[2]);

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  auto controller =
      zq::Owned<zq::TIWServerController>(zq::Create<zq::TIWServerController>(nullptr));
  controller->ContentPath = HELLO_WEBROOT;
  controller->SetMainFormFactory([](zq::TIWApplication& app) -> zq::TIWAppForm* {
    return zq::Create<hello::THelloForm>(&app);
  });
  zq::ZQLibraryStartup(*controller);  // once, set up, before the first request
  zq::TZQHTTPServer server(
      [&](zq::THTTPRequest& req, zq::THTTPReply& reply) { controller->HandleRequest(req, reply); },
      options);
  int port = 0;
  try {
    port = server.Start();
  } catch (const zq::Exception& e) {
    std::fprintf(stderr, "hello: %s\n", e.what());
    return 1;
  }
  std::printf("hello: serving http://127.0.0.1:%d/\n", port);
  std::fflush(stdout);
  int sig = 0;
  sigwait(&stop, &sig);
  server.Stop();
  controller->EndAllSessions();
  zq::ZQLibraryShutdown();  // after the last session has ended
  return 0;
}
