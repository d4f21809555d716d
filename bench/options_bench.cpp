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

namespace zq {
namespace {

using benchtiming::Best;
using benchtiming::gSink;

class TBenchFunc : public TPersistent, public IIWZQJSon {
  ZQ_CLASS(TBenchFunc, TPersistent)
  TBenchFunc(TIWZQJSon* AOwner, std::string, TZQJSonFuncMember* AMember) : FOwner(AOwner), FMember(AMember) {}
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
ZQ_IMPLEMENT_CLASS(TBenchFunc) { c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>(); }

class TBenchMarker : public TIWZQJSon {
  ZQ_CLASS(TBenchMarker, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddBooleanMember("show", true, false, true);
    AddEnumMember("style", {"filledCircle", "circle", "diamond", "square"}, 0, false, true);
    AddDoubleMember("lineWidth", 2, false, true);
    AddIntegerMember("size", 9, false, true);
    AddColorMember("color", "", false, true);
  }
};
ZQ_IMPLEMENT_CLASS(TBenchMarker) {
  ZQ_JSON_PROP(c, "Show", 0, Boolean);
  ZQ_JSON_PROP(c, "Style", 1, Enumer);
  ZQ_JSON_PROP(c, "LineWidth", 2, Double);
  ZQ_JSON_PROP(c, "Size", 3, Integer);
  ZQ_JSON_PROP(c, "Color", 4, Color);
}

class TBenchSeries : public TIWZQJSon {
  ZQ_CLASS(TBenchSeries, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddStringMember("label", "", false, true);
    AddBooleanMember("showLine", true, false, true);
    AddIntegerMember("yaxis", 0, false, true);
    AddObjMember("markerOptions", TBenchMarker::StaticClass(), false, true, false);
  }
};
ZQ_IMPLEMENT_CLASS(TBenchSeries) {
  ZQ_JSON_PROP(c, "Label", 0, String);
  ZQ_JSON_PROP(c, "ShowLine", 1, Boolean);
  ZQ_JSON_PROP(c, "YAxis", 2, Integer);
  ZQ_JSON_OBJPROP(c, "MarkerOptions", 3, Obj);
}

class TBenchSeriesList : public TIWZQJSonList {
  ZQ_CLASS(TBenchSeriesList, TIWZQJSonList)
  TBenchSeriesList() : TIWZQJSonList(TBenchSeries::StaticClass(), 0) {}
};
ZQ_IMPLEMENT_CLASS(TBenchSeriesList) {}

class TBenchChart : public TIWZQJSon {
  ZQ_CLASS(TBenchChart, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;

 protected:
  void AddMembers() override {
    TIWZQJSon::AddMembers();
    AddStringMember("title", "", false, true);                                  // 0
    AddBooleanMember("animate", false, false, true);                            // 1
    AddIntegerMember("animateDuration", 400, false, true);                      // 2
    AddDoubleMember("barWidth", 0, false, true);                                // 3
    AddEnumMember("legendLocation", {"ne", "nw", "se", "sw", "n", "s"}, 0, false, true);  // 4
    AddColorMember("background-color", "#fffdf6", false, true);                // 5
    AddObjMember("seriesDefaults", TBenchSeries::StaticClass(), false, true, false);  // 6
    AddObjListMember("series", TBenchSeriesList::StaticClass(), false, true, false);  // 7
    AddSimpleArrayMember("ticks", false, false, true);                          // 8
    AddDynObjListMember("grid", false, true);                                   // 9
    AddFuncMember("highlighter", "str, seriesIndex, pointIndex", "", false, nullptr, false, true);  // 10
    AddStringMember("cursor", "auto", false, true);                             // 11
    AddBooleanMember("stackSeries", false, false, true);                        // 12
    AddIntegerMember("sortData", 1, false, true);                               // 13
  }
};
ZQ_IMPLEMENT_CLASS(TBenchChart) {
  ZQ_JSON_PROP(c, "Title", 0, String);
  ZQ_JSON_PROP(c, "Animate", 1, Boolean);
  ZQ_JSON_PROP(c, "AnimateDuration", 2, Integer);
  ZQ_JSON_PROP(c, "BarWidth", 3, Double);
  ZQ_JSON_PROP(c, "LegendLocation", 4, Enumer);
  ZQ_JSON_PROP(c, "BackgroundColor", 5, Color);
  ZQ_JSON_OBJPROP(c, "SeriesDefaults", 6, Obj);
  ZQ_JSON_OBJPROP(c, "Series", 7, ObjList);
  ZQ_JSON_OBJPROP(c, "Ticks", 8, SimpleArray);
  ZQ_JSON_OBJPROP(c, "Grid", 9, DynObjList);
  ZQ_JSON_FUNCPROP(c, "Highlighter", 10);
  ZQ_JSON_PROP(c, "Cursor", 11, String);
  ZQ_JSON_PROP(c, "StackSeries", 12, Boolean);
  ZQ_JSON_PROP(c, "SortData", 13, Integer);
}

void Fill(TBenchChart* c, int i) {
  c->SetStringValue(0, "Sales " + std::to_string(i));
  c->SetBooleanValue(1, i % 2 == 0);
  c->SetIntegerValue(2, 400 + i % 3);
  c->SetDoubleValue(3, 12.5);
  c->SetEnumerValue(4, i % 6);
  c->SetColorValue(5, "#ffffff");
  auto* defaults = c->GetObjValue(6);
  defaults->SetBooleanValue(1, false);
  static_cast<TBenchMarker*>(defaults->GetObjValue(3))->SetEnumerValue(1, 2);
  auto* series = c->GetObjListValue(7);
  for (int s = 0; s < 3; ++s) {
    TIWZQJSon* item = series->Add();
    item->SetStringValue(0, "Series \"" + std::to_string(s) + "\"");
    item->SetIntegerValue(2, s);
    item->GetObjValue(3)->SetIntegerValue(3, 5 + s);
  }
  auto* ticks = c->GetSimpleArrayValue(8);
  for (int t = 0; t < 5; ++t) ticks->Add(std::to_string(t * 10));
  auto* grid = c->GetDynObjListValue(9);
  grid->Add("drawGridLines", Variant(true));
  grid->Add("shadow", Variant(false));
  grid->Add("borderWidth", Variant(1.5));
  static_cast<TBenchFunc*>(c->GetFuncValue(10))->Script = "return str + ' (' + pointIndex + ')';";
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
                 ZQOptionJSonText(prebuilt.front(), false).c_str(), charts.front()->GetJSonText().c_str());
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
  if (std::getenv("ZQ_OPTIONS_BENCH_PROFILE")) {
    for (int r = 0; r < 30; ++r)
      for (auto& c : charts) gSink = gSink + c->GetJSon()->AsObject()->count();
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
  std::printf("options: building the literals %.2f ms, writing them %.2f ms\n", tBuild * 1e3, tText * 1e3);
  std::printf("options: %d objects, %zu bytes of literals; options %.2f ms, prebuilt %.2f ms\n", kCount, bytes,
              tOptions * 1e3, tPrebuilt * 1e3);
  std::printf("options write vs_prebuilt_json=%.2f\n", tOptions / tPrebuilt);
  return 0;
}
