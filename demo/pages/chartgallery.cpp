// Chart gallery: every jqPlot renderer, plug-in and theme the chart control drives.
// - one chart per series renderer: bar (with point labels), stacked bar, pie
//   (percentage labels), donut, bubble, funnel, meter gauge, candlestick,
//   block (a server button moves block 2), Mekko and Bezier curve;
// - date and log axes, a category axis with rotated canvas tick labels;
// - a zoomable chart (cursor), draggable points, highlighter tooltips, a
//   trend line, a canvas overlay line and an enhanced legend;
// - a theme switcher: two themes and jqPlot's Default, activated from the
//   server.
// Documented in docs/components/chart.md.
#include <functional>
#include <string>
#include <utility>

#include "components/chart/chart.h"
#include "demoform.h"
#include "host/application.h"

namespace zqdemo {

using namespace zq;

namespace {

using Series = TIWZQJQPlotSeriesRenders;

class TChartGalleryPage : public TDemoPage {
 public:
  std::string NavLabel() const override { return "Chart gallery"; }
  int Build(TDemoForm& AForm, int ATop) override {
    form_ = &AForm;
    DemoLabel(AForm, "LblGalleryTitle", "Chart gallery", 16, ATop, 300);
    top_ = ATop + 32;

    // ---- series renderers
    auto* bar = Chart("GalBar", "Bar with point labels", "[[4,7,2,9]]");
    Renderer(bar, Series::jqprBarRenderer);
    bar->GetJQPlotOptions()->GetSeriesDefaults()->GetPointLabels()->SetShow(true);
    Axis(bar, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis)
        ->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);
    YRange(bar, 0, 12);

    auto* stacked = Chart("GalStacked", "Stacked bar", "[[2,4,3],[3,1,5],[1,2,2]]");
    Renderer(stacked, Series::jqprBarRenderer);
    stacked->GetJQPlotOptions()->SetStackSeries(true);
    YRange(stacked, 0, 12);
    Axis(stacked, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis)
        ->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);

    auto* pie =
        Chart("GalPie", "Pie", "[[[\"Rent\",40],[\"Food\",25],[\"Travel\",20],[\"Other\",15]]]");
    Renderer(pie, Series::jqprPieRenderer);
    pie->GetJQPlotOptions()->GetSeriesDefaults()->PieRendererOptions()->SetShowDataLabels(true);

    auto* donut = Chart("GalDonut", "Donut",
                        "[[[\"a\",3],[\"b\",5],[\"c\",2]],[[\"a\",4],[\"b\",1],[\"c\",6]]]");
    Renderer(donut, Series::jqprDonutRenderer);
    TIWZQJQPlotDonutRendererOptions* ring =
        donut->GetJQPlotOptions()->GetSeriesDefaults()->DonutRendererOptions();
    ring->SetShowDataLabels(true);
    // jqPlot draws rings of no width without a thickness (below 1: a share of the radius).
    ring->SetThickness(0.3);

    auto* bubble = Chart("GalBubble", "Bubble",
                         "[[[1,3,12,\"A\"],[2,6,20,\"B\"],[3,2,8,\"C\"],[4,5,16,\"D\"]]]");
    Renderer(bubble, Series::jqprBubbleRenderer);

    auto* funnel = Chart("GalFunnel", "Funnel",
                         "[[[\"Visits\",100],[\"Carts\",60],[\"Orders\",30],[\"Returns\",5]]]");
    Renderer(funnel, Series::jqprFunnelRenderer);

    auto* meter = Chart("GalMeter", "Meter gauge", "[[62]]");
    Renderer(meter, Series::jqprMeterGaugeRenderer);
    TIWZQJQPlotMeterGaugeRendererOptions* m =
        meter->GetJQPlotOptions()->GetSeriesDefaults()->MeterGaugeRendererOptions();
    m->SetMin(0);
    m->SetMax(100);
    m->SetLabel_("km/h");
    for (const char* v : {"40", "80", "100"}) m->GetIntervals()->Add(v);
    for (const char* c : {"#66cc66", "#e7e658", "#cc6666"}) m->GetIntervalColors()->Add(c);

    auto* ohlc = Chart("GalOHLC", "Candlestick",
                       "[[[1,10,14,8,12],[2,12,13,9,10],[3,10,15,10,14],[4,14,16,12,13],"
                       "[5,13,17,12,16]]]");
    Renderer(ohlc, Series::jqprOHLCRenderer);
    ohlc->GetJQPlotOptions()->GetSeriesDefaults()->OHLCRendererOptions()->SetCandleStick(true);

    block_ = Chart("GalBlock", "Block",
                   "[[[1,2,\"one\"],[3,5,\"two\"],[5,3,\"three\"],[7,6,\"four\"]]]");
    TIWZQJQPlotOptionsSeriesDefaults* blockSeries = block_->GetJQPlotOptions()->GetSeries()->Add();
    blockSeries->SetRenderer(Series::jqprBlockRenderer);
    XRange(block_, 0, 8);
    YRange(block_, 0, 8);
    DemoButton(AForm, "BtnGalMoveBlock", "Move block 2", Left(), Top() + kHeight + 4, 140,
               [blockSeries] { blockSeries->BlockRendererOptions()->MoveBlock(2, 6, 1, 0); });

    auto* mekko = Chart("GalMekko", "Mekko", "[[1,4,3],[3,2,5],[2,3,1]]");
    Renderer(mekko, Series::jqprMekkoRenderer);
    Axis(mekko, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis)
        ->SetAxesRender(TIWZQJQPlotAxesRenders::jqparMekkoAxisRenderer);

    auto* bezier = Chart("GalBezier", "Bezier curve", "[[[0,1],[2,8,5,-4,8,6]]]");
    Renderer(bezier, Series::jqprBezierCurveRenderer);
    XRange(bezier, 0, 8);
    YRange(bezier, -2, 8);

    // ---- axes
    auto* date = Chart("GalDate", "Date axis",
                       "[[[\"2026-01-01\",3],[\"2026-02-01\",5],[\"2026-03-01\",4],"
                       "[\"2026-04-01\",8]]]");
    TIWZQJQPlotOptionsAxesDefaults* dx = Axis(date, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis);
    dx->SetAxesRender(TIWZQJQPlotAxesRenders::jqparDateAxisRenderer);
    dx->TickAxisOptions()->SetFormatString("%b %Y");

    auto* log = Chart("GalLog", "Log axis", "[[[1,2],[2,20],[3,200],[4,2000],[5,20000]]]");
    Axis(log, TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis)
        ->SetAxesRender(TIWZQJQPlotAxesRenders::jqparLogAxisRenderer);

    auto* cat = Chart("GalCategory", "Category axis, rotated labels",
                      "[[[\"Apples\",4],[\"Pears\",7],[\"Plums\",3],[\"Figs\",6]]]");
    Renderer(cat, Series::jqprBarRenderer);
    TIWZQJQPlotOptionsAxesDefaults* cx = Axis(cat, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis);
    cx->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);
    cx->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
    cx->TickCanvasAxisOptions()->SetAngle(-30);
    cx->TickCanvasAxisOptions()->SetFontSize("9pt");
    YRange(cat, 0, 8);

    // ---- plug-ins
    auto* zoom = Chart("GalZoom", "Cursor zoom (drag; double click resets)",
                       "[[[1,2],[2,5],[3,3],[4,8],[5,6],[6,9],[7,4],[8,7]]]");
    zoom->GetJQPlotOptions()->GetCursor()->SetShow(true);
    zoom->GetJQPlotOptions()->GetCursor()->SetZoom(true);
    zoom->GetJQPlotOptions()->GetCursor()->SetShowTooltip(false);

    auto* drag = Chart("GalDrag", "Draggable points", "[[[1,2],[2,5],[3,3],[4,6]]]");
    drag->GetJQPlotOptions()->GetDragable()->SetEnable(true);
    XRange(drag, 0, 5);
    YRange(drag, 0, 10);

    auto* hl = Chart("GalHighlight", "Highlighter", "[[[1,2],[2,5],[3,3],[4,6]]]");
    hl->GetJQPlotOptions()->GetHighLighter()->SetShow(true);
    hl->GetJQPlotOptions()->GetHighLighter()->SetFadeTooltip(false);
    XRange(hl, 0, 5);
    YRange(hl, 0, 8);

    auto* trend = Chart("GalTrend", "Trend line", "[[[1,2],[2,3],[3,5],[4,4],[5,7],[6,8]]]");
    trend->GetJQPlotOptions()->GetSeriesDefaults()->GetTrendline()->SetShow(true);
    trend->GetJQPlotOptions()->GetSeriesDefaults()->GetTrendline()->SetColor("#d62728");

    auto* overlay = Chart("GalOverlay", "Canvas overlay line", "[[[1,2],[2,3],[3,7],[4,4]]]");
    TIWZQJQPlotCanvasOverlayOptions* ov = overlay->GetJQPlotOptions()->GetCanvasOverlay();
    ov->SetShow(true);
    TIWZQJQPlotCanvasOverlayHorizontalLineObj* h = ov->GetObjects()->GetHorizontalLine();
    h->SetY("5");
    h->SetColor("#ff0000");
    h->SetLineWidth(3);
    h->SetShadow(false);
    XRange(overlay, 0, 5);
    YRange(overlay, 0, 8);

    auto* legend = Chart("GalLegend", "Enhanced legend (click to hide a series)",
                         "[[[1,2],[2,4],[3,3]],[[1,5],[2,3],[3,6]]]");
    TIWZQJQPlotOptionsLegend* lg = legend->GetJQPlotOptions()->GetLegend();
    lg->SetShow(true);
    lg->SetLegendRenderer(TIWZQJQPlotLegendRenders::jqplrEnhancedLegendRenderer);
    for (const char* name : {"Plan", "Actual"})
      legend->GetJQPlotOptions()->GetSeries()->Add()->SetLabel_(name);

    // ---- themes
    themed_ = Chart("GalTheme", "Themes", "[[[1,3],[2,6],[3,4],[4,7]]]");
    TIWZQJQPlotThemeEngine* engine = themed_->GetJQThemeEngine();
    Theme(engine, "Night", "#303030", "#eeeeee");
    Theme(engine, "Ocean", "#d0e8ff", "#003366");
    const int by = Top() + kHeight + 4;
    DemoButton(AForm, "BtnGalThemeNight", "Night", Left(), by, 80,
               [engine] { engine->ActivateTheme("Night"); });
    DemoButton(AForm, "BtnGalThemeOcean", "Ocean", Left() + 88, by, 80,
               [engine] { engine->ActivateTheme("Ocean"); });
    DemoButton(AForm, "BtnGalThemeDefault", "Default", Left() + 176, by, 80,
               [engine] { engine->ActivateTheme(-1); });
    return Top() + kHeight + 40 - ATop;
  }

 private:
  static constexpr int kWidth = 300, kHeight = 220, kColumns = 3;

  int Left() const { return 16 + (count_ - 1) % kColumns * (kWidth + 24); }
  int Top() const { return top_ + (count_ - 1) / kColumns * (kHeight + 44); }

  // The next chart of the grid, with its title and data.
  TIWZQJQPlot* Chart(const char* AName, const char* ATitle, const char* AData) {
    ++count_;
    auto* c = Create<TIWZQJQPlot>(form_);
    c->SetName(AName);
    c->SetParent(form_);
    c->SetBounds(Left(), Top(), kWidth, kHeight);
    c->SetJQPlotData(AData);
    c->GetJQPlotOptions()->GetTitle()->SetText(ATitle);
    return c;
  }
  static void Renderer(TIWZQJQPlot* AChart, Series AKind) {
    AChart->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(AKind);
  }
  static TIWZQJQPlotOptionsAxesDefaults* Axis(TIWZQJQPlot* AChart, TIWZQJQPlotOptionsXYAxes AAxis) {
    TIWZQJQPlotOptionsAxesItem* item = AChart->GetJQPlotOptions()->GetAxes()->Add();
    item->SetAxisType(AAxis);
    return item->GetOptions();
  }
  static void Range(TIWZQJQPlot* AChart, TIWZQJQPlotOptionsXYAxes AAxis, int AMin, int AMax) {
    TIWZQJQPlotOptionsAxesDefaults* a = Axis(AChart, AAxis);
    a->SetMin(Variant(AMin));
    a->SetMax(Variant(AMax));
  }
  static void XRange(TIWZQJQPlot* AChart, int AMin, int AMax) {
    Range(AChart, TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis, AMin, AMax);
  }
  static void YRange(TIWZQJQPlot* AChart, int AMin, int AMax) {
    Range(AChart, TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis, AMin, AMax);
  }
  static void Theme(TIWZQJQPlotThemeEngine* AEngine, const char* AName, const char* AGrid,
                    const char* AText) {
    TIWZQJQPlotOptionsTheme* t = AEngine->GetThemes()->Add();
    t->SetName(AName);
    t->GetGrid()->SetBackgroundColor(AGrid);
    t->GetTitle()->SetTextColor(AText);
    t->GetLineSeriesStyles()->SetColor(AText);
  }

  TDemoForm* form_ = nullptr;
  TIWZQJQPlot* block_ = nullptr;
  TIWZQJQPlot* themed_ = nullptr;
  int top_ = 0;
  int count_ = 0;
};

}  // namespace

ZQDEMO_PAGE(TChartGalleryPage, "chartgallery", 51);

}  // namespace zqdemo
