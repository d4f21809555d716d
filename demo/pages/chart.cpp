// Charts: line, bar and remote-data charts drawn by jqPlot and driven from the server.
// - a line chart of three series with a title, a legend and axes with
//   min/max, whose point clicks reach a server handler that shows the
//   series index, point index and value; a button replots it from the server;
// - a bar chart;
// - a chart fed by remote data (the GetData URL of the action map); a button
//   changes the data on the server and the chart fetches it again;
// - "Copy to image" copies the line chart into an image control.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "components/chart/chart.h"
#include "components/image/image.h"
#include "demoform.h"
#include "events/browserparams.h"
#include "foundation/format.h"
#include "foundation/stringlist.h"
#include "host/application.h"

namespace zqdemo {

using namespace zq;

namespace {

class TChartPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    form_ = &AForm;
    Label("LblChartTitle", "Charts", 16, ATop, 300);
    const int top = ATop + 32;

    // Line chart: three series, title, legend, axes with min and max.
    line_ = Chart("ChartLine", 16, top, 420, 300);
    line_->SetJQPlotData(
        "[[[1,2],[2,5],[3,3],[4,8]],[[1,6],[2,4],[3,7],[4,5]],[[1,9],[2,8],[3,10],[4,11]]]");
    TIWZQJQPlotOptions* o = line_->GetJQPlotOptions();
    o->GetTitle()->SetText("Sales by quarter");
    o->GetLegend()->SetShow(true);
    o->GetLegend()->SetLocation(TIWZQJQPlotOptionsOrientation::jqpooNW);
    for (const char* name : {"North", "South", "West"}) o->GetSeries()->Add()->SetLabel_(name);
    Axis(o, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis, 0, 5);
    Axis(o, TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis, 0, 12);
    TIWZQJSonFunc* click = line_->GetJQPlotEvents()->GetOnDataClick();
    click->GetBrowserParams()->AddParam("seriesIndex", "seriesIndex");
    click->GetBrowserParams()->AddParam("pointIndex", "pointIndex");
    click->GetBrowserParams()->AddParam("value", "data[1]");
    click->SetOnEvent(TIWZQEvent(line_, [this](TObject*, TStringList* AParams) {
      clicked_->SetCaption(Format("series %s, point %s, value %s", AParams->Values("seriesIndex"),
                                  AParams->Values("pointIndex"), AParams->Values("value")));
    }));
    clicked_ = Label("LblChartClick", "no point clicked", 16, top + 308, 420);
    Button("BtnChartReplot", "Replot from server", 16, top + 336, 160, [this] {
      line_->Replot(
          SO("{axes:{yaxis:{min:0,max:24}},seriesColors:[\"#d62728\",\"#2ca02c\",\"#1f77b4\"]}"));
    });
    Button("BtnChartImage", "Copy to image", 190, top + 336, 130,
           [this] { line_->ChartToImage(image_); });

    // Bar chart.
    auto* bar = Chart("ChartBar", 460, top, 320, 300);
    bar->SetJQPlotData("[[[1,4],[2,7],[3,2],[4,9]]]");
    bar->GetJQPlotOptions()->GetTitle()->SetText("Orders");
    bar->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(
        TIWZQJQPlotSeriesRenders::jqprBarRenderer);
    Axis(bar->GetJQPlotOptions(), TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis, 0, 10);

    // Remote data: fetched from the GetData URL when the chart is drawn.
    const int top2 = top + 380;
    remote_ = Chart("ChartRemote", 16, top2, 420, 260);
    remote_->GetJQPlotOptions()->GetTitle()->SetText("Remote data");
    Axis(remote_->GetJQPlotOptions(), TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis, 0, 40);
    remote_->SetOnGetJQPlotData(
        TIWZQJQPlotGetDataEvent(remote_, [this](TObject*, ISuperObject& AData) {
          AData = TSuperObject::Create(stArray);
          ISuperObject series = TSuperObject::Create(stArray);
          for (std::size_t i = 0; i < values_.size(); ++i) {
            ISuperObject point = TSuperObject::Create(stArray);
            point->AsArray()->Add(TSuperObject::Create(static_cast<int>(i + 1)));
            point->AsArray()->Add(TSuperObject::Create(values_[i] * scale_));
            series->AsArray()->Add(point);
          }
          AData->AsArray()->Add(series);
        }));
    Button("BtnChartData", "Change data on the server", 16, top2 + 268, 220, [this] {
      scale_ = scale_ == 1.0 ? 3.0 : 1.0;
      // A replot with data and the fetch function asks the server again
      // (jqPlot runs the data renderer only when data is given).
      ISuperObject opts = SO();
      opts->PutO("data", TSuperObject::Create(stArray));
      opts->PutO(
          "dataRenderer",
          TSuperObject::Create(remote_->GetJQPlotOptions()->GetRemoteDataRendererScript(), true));
      opts->PutB("resetAxes", true);
      remote_->Replot(opts);
    });

    // The image the line chart is copied into.
    image_ = Create<TIWZQJQImage>(form_);
    image_->SetName("ChartImage");
    image_->SetParent(form_);
    image_->SetBounds(460, top2, 420, 300);
    return top2 + 320 - ATop;
  }

 private:
  TIWZQJQPlot* Chart(const char* AName, int ALeft, int ATop, int AWidth, int AHeight) {
    auto* c = Create<TIWZQJQPlot>(form_);
    c->SetName(AName);
    c->SetParent(form_);
    c->SetBounds(ALeft, ATop, AWidth, AHeight);
    return c;
  }
  static void Axis(TIWZQJQPlotOptions* AOptions, TIWZQJQPlotOptionsXYAxes AAxis, int AMin,
                   int AMax) {
    TIWZQJQPlotOptionsAxesItem* item = AOptions->GetAxes()->Add();
    item->SetAxisType(AAxis);
    item->GetOptions()->SetMin(Variant(AMin));
    item->GetOptions()->SetMax(Variant(AMax));
  }
  TIWLabel* Label(const char* AName, const std::string& ACaption, int ALeft, int ATop, int AWidth) {
    return DemoLabel(*form_, AName, ACaption, ALeft, ATop, AWidth);
  }
  void Button(const char* AName, const char* ACaption, int ALeft, int ATop, int AWidth,
              std::function<void()> AOnClick) {
    DemoButton(*form_, AName, ACaption, ALeft, ATop, AWidth, std::move(AOnClick));
  }

  TDemoForm* form_ = nullptr;
  TIWZQJQPlot* line_ = nullptr;
  TIWZQJQPlot* remote_ = nullptr;
  TIWZQJQImage* image_ = nullptr;
  TIWLabel* clicked_ = nullptr;
  std::vector<double> values_{5, 9, 4, 11, 7};
  double scale_ = 1.0;
};

}  // namespace

ZQDEMO_PAGE(TChartPage, "chart", 50);

}  // namespace zqdemo
