// Chart data and page: 200,000 [x, y] points served through a chart's GetData
// action of the embedded server (the handler fills the JSON node) and through
// a bare cpp-httplib server that writes the same points with RapidJSON's
// Writer, fetched by the same client (cpp-httplib's) on 127.0.0.1; then the
// page of a chart holding those points, rendered N times. Prints
//   chart data vs_rapidjson_httplib=<our throughput / theirs>
//   chart page render_ms=<median time of one page>
#include <httplib.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "actionmap/map.h"
#include "framework/startup.h"
#include "bench_timing.h"
#include "components/chart/chart.h"
#include "host/application.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

using namespace zq;

namespace {

constexpr int kPoints = 200000;
constexpr int kDataRuns = 5;
constexpr int kPageRuns = 9;

double Y(int i) {
  return i * 0.25 + (i % 7) * 0.125;
}

std::string RapidPoints() {
  rapidjson::StringBuffer buf;
  rapidjson::Writer<rapidjson::StringBuffer> w(buf);
  w.StartArray();
  w.StartArray();
  for (int i = 0; i < kPoints; ++i) {
    w.StartArray();
    w.Int(i);
    w.Double(Y(i));
    w.EndArray();
  }
  w.EndArray();
  w.EndArray();
  return std::string(buf.GetString(), buf.GetSize());
}

}  // namespace

int main() {
  const std::string pageData = RapidPoints();
  bool remote = true;  // the first form serves remote data, the later ones hold the data
  auto controller = Owned<TIWServerController>(Create<TIWServerController>(nullptr));
  ZQLibraryStartup(*controller);
  controller->SetMainFormFactory([&](TIWApplication& app) -> TIWAppForm* {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    auto* chart = Create<TIWZQJQPlot>(f);
    chart->SetName("Chart1");
    chart->SetParent(f);
    if (remote) {
      chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(chart, [](TObject*, ISuperObject& AData) {
        AData = TSuperObject::Create(stArray);
        ISuperObject series = TSuperObject::Create(stArray);
        TSuperArray* s = series->AsArray();
        for (int i = 0; i < kPoints; ++i) {
          ISuperObject p = TSuperObject::Create(stArray);
          p->AsArray()->Add(TSuperObject::Create(i));
          p->AsArray()->Add(TSuperObject::Create(Y(i)));
          s->Add(p);
        }
        AData->AsArray()->Add(series);
      }));
    } else {
      chart->SetJQPlotData(pageData);
    }
    return f;
  });
  TServerOptions options;
  options.Port = 0;
  options.Workers = 2;
  TZQHTTPServer server([&](THTTPRequest& q, THTTPReply& r) { controller->HandleRequest(q, r); },
                       options);
  const int ourPort = server.Start();

  // Theirs: cpp-httplib with RapidJSON's Writer.
  httplib::Server bare;
  bare.Get("/points", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(RapidPoints(), "application/json");
  });
  const int theirPort = bare.bind_to_any_port("127.0.0.1");
  std::thread bareThread([&] { bare.listen_after_bind(); });

  httplib::Client ours("127.0.0.1", ourPort);
  httplib::Client theirs("127.0.0.1", theirPort);
  for (httplib::Client* c : {&ours, &theirs}) {
    c->set_connection_timeout(5);
    c->set_read_timeout(30);
  }
  int rc = 0;
  auto first = ours.Get("/");
  std::smatch m;
  std::string cookie;
  std::string page = first ? first->body : std::string();
  if (first) {
    std::string setCookie = first->get_header_value("Set-Cookie");
    cookie = setCookie.substr(0, setCookie.find(';'));
  }
  if (!first || !std::regex_search(page, m, std::regex("ID([0-9A-F]{32})ActionGetData"))) {
    std::fprintf(stderr, "chart bench: no data URL in the page\n");
    rc = 1;
  } else {
    const std::string url = "/IWZQJQ/ID" + m[1].str() + "ActionGetData";
    const httplib::Headers headers{{"Cookie", cookie}};
    std::size_t ourBytes = 0, theirBytes = 0;
    const double ourTime = benchtiming::Best(kDataRuns, [&] {
      auto r = ours.Get(url, headers);
      ourBytes = r && r->status == 200 ? r->body.size() : 0;
    });
    const double theirTime = benchtiming::Best(kDataRuns, [&] {
      auto r = theirs.Get("/points");
      theirBytes = r && r->status == 200 ? r->body.size() : 0;
    });
    if (ourBytes == 0 || theirBytes == 0) {
      std::fprintf(stderr, "chart bench: a data request failed (%zu, %zu bytes)\n", ourBytes,
                   theirBytes);
      rc = 1;
    } else {
      std::printf(
          "# chart data %d points: ours %.1f ms (%zu bytes), rapidjson+httplib %.1f ms (%zu "
          "bytes)\n",
          kPoints, ourTime * 1e3, ourBytes, theirTime * 1e3, theirBytes);
      std::printf("chart data vs_rapidjson_httplib=%.2f\n", theirTime / ourTime);
    }

    // The page of a chart that holds the points.
    remote = false;
    std::vector<double> times;
    for (int i = 0; i < kPageRuns; ++i) {
      httplib::Client c("127.0.0.1", ourPort);
      c.set_read_timeout(30);
      const auto t0 = benchtiming::Clock::now();
      auto r = c.Get("/");
      times.push_back(
          std::chrono::duration<double, std::milli>(benchtiming::Clock::now() - t0).count());
      if (!r || r->status != 200 || r->body.size() < pageData.size()) {
        std::fprintf(stderr, "chart bench: the page did not render\n");
        rc = 1;
        break;
      }
    }
    if (rc == 0) {
      std::sort(times.begin(), times.end());
      std::printf("chart page render_ms=%.1f\n", times[times.size() / 2]);
    }
  }
  bare.stop();
  bareThread.join();
  server.Stop();
  controller->EndAllSessions();
  ZQLibraryShutdown();
  return rc;
}
