// Writing option literals against writing the same JSON prebuilt.
//
// 10,000 option objects shaped like the library's (scalars of every kind at
// and off their defaults, an enumeration, a nested sub-object, an option
// list of items, a simple array, a dynamic list and an event function) write
// their option literal text (GetJSonText: the literal is built from the
// objects, then written). The reference writes an equivalent JSON document,
// built once beforehand, with the JSON model's writer.
//
// Prints:  options write vs_prebuilt_json=<time of options / time of prebuilt>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "foundation/properties.h"
#include "options/jsonlist.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {
namespace {

using benchtiming::Best;
using benchtiming::gSink;

class TBenchFunc : public TPersistent, public IIWZQJSon {
  ZQ_CLASS(TBenchFunc, TPersistent)
  TBenchFunc(TIWZQJSon* AOwner, std::string, TZQJSonFuncMember* AMember)
      : FOwner(AOwner), FMember(AMember) {}
  TPersistent* GetOwner() const override { return FOwner; }
  bool GetIsStored() override { return !Script.empty(); }
  ISuperObject GetJSon() override {
    if (Script.empty()) return nullptr;
    return TSuperObject::Create("function(" + FMember->FArgs + ") {" + Script + "}", true);
  }
  ISuperObject GetJSonEx(bool, bool, TIWZQResponseMemberList*, bool) override { return GetJSon(); }
  void ResetProps() override { Script.clear(); }
  std::string Script;
  TIWZQJSon* FOwner;
  TZQJSonFuncMember* FMember;
};
ZQ_IMPLEMENT_CLASS(TBenchFunc) {
  c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>();
}

#define ZQ_BENCH_MARKER_STYLES(X)   \
  X(msFilledCircle, "filledCircle") \
  X(msCircle, "circle") X(msDiamond, "diamond") X(msSquare, "square")
ZQ_OPTION_ENUM(TBenchMarkerStyle, ZQ_BENCH_MARKER_STYLES)
#define ZQ_BENCH_LEGEND_LOCATIONS(X) \
  X(llNE, "ne") X(llNW, "nw") X(llSE, "se") X(llSW, "sw") X(llN, "n") X(llS, "s")
ZQ_OPTION_ENUM(TBenchLegendLocation, ZQ_BENCH_LEGEND_LOCATIONS)

#define ZQ_BENCH_MARKER_ROWS(X)                                                 \
  X(Boolean, Show, "show", true)                                                \
  X(Enum, Style, "style", TBenchMarkerStyle, TBenchMarkerStyle::msFilledCircle) \
  X(Double, LineWidth, "lineWidth", 2)                                          \
  X(Integer, Size, "size", 9)                                                   \
  X(Color, Color, "color", "")

class TBenchMarker : public TIWZQJSon {
  ZQ_OPTIONS(TBenchMarker, TIWZQJSon, ZQ_BENCH_MARKER_ROWS)
  using TIWZQJSon::TIWZQJSon;
};
ZQ_IMPLEMENT_OPTIONS(TBenchMarker) {}

#define ZQ_BENCH_SERIES_ROWS(X)          \
  X(String, Label, "label", "")          \
  X(Boolean, ShowLine, "showLine", true) \
  X(Integer, YAxis, "yaxis", 0)          \
  X(Obj, MarkerOptions, "markerOptions", TBenchMarker)

class TBenchSeries : public TIWZQJSon {
  ZQ_OPTIONS(TBenchSeries, TIWZQJSon, ZQ_BENCH_SERIES_ROWS)
  using TIWZQJSon::TIWZQJSon;
};
ZQ_IMPLEMENT_OPTIONS(TBenchSeries) {}

class TBenchSeriesList : public TIWZQJSonList {
  ZQ_CLASS(TBenchSeriesList, TIWZQJSonList)
  TBenchSeriesList() : TIWZQJSonList(TBenchSeries::StaticClass(), 0) {}
  TBenchSeries* Add() { return static_cast<TBenchSeries*>(TIWZQJSonList::Add()); }
};
ZQ_IMPLEMENT_CLASS(TBenchSeriesList) {}

#define ZQ_BENCH_CHART_ROWS(X)                                                                \
  X(String, Title, "title", "")                                                               \
  X(Boolean, Animate, "animate", false)                                                       \
  X(Integer, AnimateDuration, "animateDuration", 400)                                         \
  X(Double, BarWidth, "barWidth", 0)                                                          \
  X(Enum, LegendLocation, "legendLocation", TBenchLegendLocation, TBenchLegendLocation::llNE) \
  X(Color, BackgroundColor, "background-color", "#fffdf6")                                    \
  X(Obj, SeriesDefaults, "seriesDefaults", TBenchSeries)                                      \
  X(ObjList, Series, "series", TBenchSeriesList)                                              \
  X(SimpleArray, Ticks, "ticks", false)                                                       \
  X(DynObjList, Grid, "grid")                                                                 \
  X(FuncOf, Highlighter, "highlighter", "str, seriesIndex, pointIndex", TBenchFunc)           \
  X(String, Cursor, "cursor", "auto")                                                         \
  X(Boolean, StackSeries, "stackSeries", false)                                               \
  X(Integer, SortData, "sortData", 1)

class TBenchChart : public TIWZQJSon {
  ZQ_OPTIONS(TBenchChart, TIWZQJSon, ZQ_BENCH_CHART_ROWS)
  using TIWZQJSon::TIWZQJSon;
};
ZQ_IMPLEMENT_OPTIONS(TBenchChart) {}

void Fill(TBenchChart* c, int i) {
  c->SetTitle("Sales " + std::to_string(i));
  c->SetAnimate(i % 2 == 0);
  c->SetAnimateDuration(400 + i % 3);
  c->SetBarWidth(12.5);
  c->SetLegendLocation(static_cast<TBenchLegendLocation>(i % 6));
  c->SetBackgroundColor("#ffffff");
  TBenchSeries* defaults = c->GetSeriesDefaults();
  defaults->SetShowLine(false);
  defaults->GetMarkerOptions()->SetStyle(TBenchMarkerStyle::msDiamond);
  TBenchSeriesList* series = c->GetSeries();
  for (int s = 0; s < 3; ++s) {
    TBenchSeries* item = series->Add();
    item->SetLabel("Series \"" + std::to_string(s) + "\"");
    item->SetYAxis(s);
    item->GetMarkerOptions()->SetSize(5 + s);
  }
  auto* ticks = c->GetTicks();
  for (int t = 0; t < 5; ++t) ticks->Add(std::to_string(t * 10));
  auto* grid = c->GetGrid();
  grid->Add("drawGridLines", Variant(true));
  grid->Add("shadow", Variant(false));
  grid->Add("borderWidth", Variant(1.5));
  c->GetHighlighter()->Script = "return str + ' (' + pointIndex + ')';";
}

}  // namespace
}  // namespace zq

int main() {
  using namespace zq;
  ZQRegisterEventFunctionClasses(&TBenchFunc::StaticClass(), &TBenchFunc::StaticClass());
  const int kCount = 10000;
  std::vector<Owned<TBenchChart>> charts;
  charts.reserve(kCount);
  for (int i = 0; i < kCount; ++i) {
    charts.emplace_back(TIWZQJSon::CreateSingle<TBenchChart>(nullptr, "Options"));
    Fill(charts.back().get(), i);
  }
  // The equivalent document, built once.
  std::vector<ISuperObject> prebuilt;
  prebuilt.reserve(kCount);
  std::size_t bytes = 0;
  for (auto& c : charts) {
    prebuilt.push_back(c->GetJSon()->Clone());
    bytes += c->GetJSonText().size();
  }
  if (ZQOptionJSonText(prebuilt.front(), false) != charts.front()->GetJSonText()) {
    std::fprintf(stderr, "options bench: prebuilt document differs from the literal\n%s\n%s\n",
                 ZQOptionJSonText(prebuilt.front(), false).c_str(),
                 charts.front()->GetJSonText().c_str());
    return 1;
  }
  double tOptions = Best(5, [&] {
    std::size_t n = 0;
    for (auto& c : charts) n += c->GetJSonText().size();
    gSink = gSink + n;
  });
  double tPrebuilt = Best(5, [&] {
    std::size_t n = 0;
    for (auto& d : prebuilt) n += d->AsJSon(false, true, false).size();
    gSink = gSink + n;
  });
  // Profiling: ZQ_OPTIONS_BENCH_PROFILE=build repeats building the literals,
  // any other value repeats writing their text.
  if (const char* what = std::getenv("ZQ_OPTIONS_BENCH_PROFILE")) {
    const bool build = std::string(what) == "build";
    for (int r = 0; r < 30; ++r)
      for (auto& c : charts)
        gSink = gSink + (build ? c->GetJSon()->AsObject()->count() : c->GetJSonText().size());
    return 0;
  }
  double tBuild = Best(5, [&] {
    std::size_t n = 0;
    for (auto& c : charts) n += c->GetJSon()->AsObject()->count();
    gSink = gSink + n;
  });
  double tText = Best(5, [&] {
    std::size_t n = 0;
    for (auto& d : prebuilt) n += ZQOptionJSonText(d, false).size();
    gSink = gSink + n;
  });
  std::printf("options: building the literals %.2f ms, writing them %.2f ms\n", tBuild * 1e3,
              tText * 1e3);
  std::printf("options: %d objects, %zu bytes of literals; options %.2f ms, prebuilt %.2f ms\n",
              kCount, bytes, tOptions * 1e3, tPrebuilt * 1e3);
  std::printf("options write vs_prebuilt_json=%.2f\n", tOptions / tPrebuilt);
  return 0;
}
