// The chart's option tree: what a fresh tree writes, the root's plug-in
// objects, the renderer switches, the axes and series lists, fixed-script
// members, HTML-escaped texts and the remote-source flag.
#include "components/chart/chartoptions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "components/chart/chart.h"
#include "error_message.h"
#include "events/func.h"
#include "foundation/exception.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

using test::Message;

class ChartOptions : public ::testing::Test {
 protected:
  ChartOptions() : chart(CreateOwned<TIWZQJQPlot>(nullptr)) { chart->SetName("Chart1"); }
  TIWZQJQPlotOptions* Opts() { return chart->GetJQPlotOptions(); }
  std::string Text(TIWZQJSon* AObj) { return ZQOptionJSonText(AObj->GetJSon(), false); }
  std::string Root() { return chart->OptionsText(); }
  bool Has(const std::string& AText) { return Root().find(AText) != std::string::npos; }
  // The object's JSON holds every piece (its keys come in no fixed order).
  ::testing::AssertionResult Writes(TIWZQJSon* AObj, std::initializer_list<std::string> APieces) {
    const std::string t = Text(AObj);
    for (const std::string& p : APieces)
      if (t.find(p) == std::string::npos) return ::testing::AssertionFailure() << p << " in " << t;
    return ::testing::AssertionSuccess();
  }
  Owned<TIWZQJQPlot> chart;
};

TEST_F(ChartOptions, FreshRootWritesNoPluginObjectsAndNoColours) {
  const std::string r = Root();
  for (const char* name : {"legend", "cursor", "highlighter", "dragable", "canvasOverlay",
                           "seriesColors", "trendline", "pointLabels", "dataRenderer"})
    EXPECT_EQ(r.find(name), std::string::npos) << name;
  EXPECT_EQ(Opts()->GetPluginVersion(), "1.0.8 r1250");
  EXPECT_EQ(Opts()->GetJQPlot(), chart.get());
  // One colour less: the whole remaining list is written.
  Opts()->GetSeriesColors()->Delete(10);
  EXPECT_TRUE(
      Has("seriesColors:[\"#4bb2c5\",\"#c5b47f\",\"#eaa228\",\"#579575\",\"#839557\","
          "\"#958c12\",\"#953579\",\"#4b5de4\",\"#d8b83f\",\"#ff5800\"]"));
}

TEST_F(ChartOptions, PluginObjectsAreWrittenOnlyWhileShown) {
  TIWZQJQPlotCursorOptions* cursor = Opts()->GetCursor();
  cursor->SetZoom(true);
  EXPECT_FALSE(Has("cursor"));
  cursor->SetShow(true);
  EXPECT_TRUE(Has("zoom:true,show:true}"));
  EXPECT_TRUE(Has("cursorLegendFormatString:$.jqplot.Cursor.cursorLegendFormatString"));
  Opts()->GetDragable()->SetConstrainTo(TIWZQJQPlotCursorOptionsConstrainTo::jqpcoctY);
  EXPECT_FALSE(Has("dragable"));
  Opts()->GetDragable()->SetEnable(true);
  EXPECT_TRUE(Has("dragable:{constrainTo:\"y\"}"));
  // Enabled dragging marks the series dragable (the plug-in drags no other).
  EXPECT_TRUE(Has("isDragable:true"));
  // The highlighter's marker is a constructor call with a marker not shown.
  Opts()->GetHighLighter()->SetShow(true);
  EXPECT_TRUE(Has("markerRenderer:new $.jqplot.MarkerRenderer({"));
  EXPECT_TRUE(Has("show:false})"));
  // An overlay with one dashed vertical line.
  Opts()->GetCanvasOverlay()->SetShow(true);
  Opts()->GetCanvasOverlay()->GetObjects()->GetDashedVerticalLine()->SetX("3");
  EXPECT_TRUE(Has("canvasOverlay:{objects:[{dashedVerticalLine:{"));
  EXPECT_FALSE(Has("horizontalLine"));
  Opts()->ResetCustomProps();
  EXPECT_FALSE(Has("dragable"));
  EXPECT_FALSE(Has("isDragable"));
  EXPECT_FALSE(Has("highlighter"));
  EXPECT_FALSE(Has("canvasOverlay"));
}

TEST_F(ChartOptions, LegendWritesItsRendererOnlyWhenNotTheDefault) {
  TIWZQJQPlotOptionsLegend* legend = Opts()->GetLegend();
  legend->SetShow(true);
  EXPECT_EQ(Text(legend), "{show:true}");
  legend->GetLegendOptions()->SetNumberRows(2);
  EXPECT_EQ(Text(legend), "{rendererOptions:{numberRows:2},show:true}");
  legend->SetLegendRenderer(TIWZQJQPlotLegendRenders::jqplrEnhancedLegendRenderer);
  // A new kind starts from a fresh object of its class.
  EXPECT_EQ(&legend->GetLegendOptionsClass(),
            &TIWZQJQPlotEnhancedLegendRendererOptions::StaticClass());
  EXPECT_EQ(legend->GetLegendOptions()->GetNumberRows(), 0);
  EXPECT_EQ(Text(legend), "{renderer:$.jqplot.EnhancedLegendRenderer,show:true}");
  TIWZQJQPlotLegendRendererDefault* before = legend->GetLegendOptions();
  legend->SetLegendRenderer(TIWZQJQPlotLegendRenders::jqplrEnhancedLegendRenderer);
  EXPECT_EQ(legend->GetLegendOptions(), before);
  EXPECT_TRUE(Has("legend:{renderer:$.jqplot.EnhancedLegendRenderer,show:true}"));
}

TEST_F(ChartOptions, SeriesRendererSwitch) {
  TIWZQJQPlotOptionsSeriesDefaults* s = Opts()->GetSeriesDefaults();
  EXPECT_EQ(Text(s), "{rendererOptions:{}}");
  EXPECT_EQ(Message([&] { s->BarRendererOptions(); }), "Invalid class typecast");
  s->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  s->BarRendererOptions()->SetBarDirection(TIWZQJQPlotOptionsDirection::jqpodHorizontal);
  EXPECT_EQ(Text(s),
            "{renderer:$.jqplot.BarRenderer,rendererOptions:{barDirection:\"horizontal\"}}");
  EXPECT_EQ(Message([&] { s->LineRendererOptions(); }), "Invalid class typecast");
  const std::pair<TIWZQJQPlotSeriesRenders, const char*> kinds[] = {
      {TIWZQJQPlotSeriesRenders::jqprPieRenderer, "$.jqplot.PieRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprDonutRenderer, "$.jqplot.DonutRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprOHLCRenderer, "$.jqplot.OHLCRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprBezierCurveRenderer, "$.jqplot.BezierCurveRenderer"}};
  for (const auto& [kind, script] : kinds) {
    s->SetRenderer(kind);
    EXPECT_EQ(Text(s), std::string("{renderer:") + script + ",rendererOptions:{}}");
  }
  // Shown point labels and trend line are written, even empty.
  s->SetRenderer(TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  EXPECT_FALSE(s->GetTrendline()->GetShow());
  s->GetTrendline()->SetShow(true);
  EXPECT_NE(Text(s).find("trendline:{"), std::string::npos);
  EXPECT_EQ(Text(s).find("pointLabels"), std::string::npos);
  s->GetPointLabels()->SetShow(true);
  EXPECT_NE(Text(s).find("pointLabels:{show:true,formatter:$.jqplot.DefaultTickFormatter}"),
            std::string::npos);
  s->ResetCustomProps();
  EXPECT_EQ(Text(s), "{rendererOptions:{}}");
}

TEST_F(ChartOptions, AxisRendererSwitches) {
  TIWZQJQPlotOptionsAxesDefaults* a = Opts()->GetAxesDefaults();
  EXPECT_EQ(Text(a), "{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}}");
  a->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);
  a->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  a->TickCanvasAxisOptions()->SetAngle(-30);
  a->SetLabelRenderer(TIWZQJQPlotLabelRenders::jqplrCanvasAxisLabelRenderer);
  EXPECT_EQ(Message([&] { a->TickAxisOptions(); }), "Invalid class typecast");
  EXPECT_EQ(Message([&] { a->LabelAxisOptions(); }), "Invalid class typecast");
  const std::string t = Text(a);
  EXPECT_NE(t.find("renderer:$.jqplot.CategoryAxisRenderer"), std::string::npos);
  EXPECT_NE(t.find("tickRenderer:$.jqplot.CanvasAxisTickRenderer"), std::string::npos);
  EXPECT_NE(t.find("tickOptions:{formatter:$.jqplot.DefaultTickFormatter,angle:-30}"),
            std::string::npos);
  EXPECT_NE(t.find("labelRenderer:$.jqplot.CanvasAxisLabelRenderer"), std::string::npos);
  EXPECT_EQ(t.find("labelOptions"), std::string::npos);
  // The category axis carries its own tick renderer switch, written always.
  EXPECT_NE(t.find("rendererOptions:{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}}"),
            std::string::npos);
  a->ResetCustomProps();
  EXPECT_EQ(Text(a), "{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}}");
}

TEST_F(ChartOptions, AxesListWritesOneObjectByAxisName) {
  TIWZQJQPlotOptionsAxes* axes = Opts()->GetAxes();
  auto* x = axes->Add();
  x->GetOptions()->SetMin(Variant(0));
  x->GetOptions()->SetMax(Variant(10));
  auto* y = axes->Add();
  y->SetAxisType(TIWZQJQPlotOptionsXYAxes::jqpoxyY2Axis);
  y->GetOptions()->SetPad(0);
  ISuperObject written = SO(ZQOptionJSonText(axes->GetJSon(), false, true, true));
  ASSERT_TRUE(written);
  EXPECT_EQ(written->AsObject()->count(), 2u);
  EXPECT_EQ(written->GetO("xaxis")->GetI("min"), 0);
  EXPECT_EQ(written->GetO("xaxis")->GetI("max"), 10);
  EXPECT_EQ(written->GetO("y2axis")->GetD("pad"), 0);
  // A later item of the same axis replaces the earlier one.
  y->SetAxisType(TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis);
  EXPECT_FALSE(Has("y2axis"));
  EXPECT_FALSE(Has("max:10"));
  EXPECT_TRUE(Has("xaxis:{pad:0"));
}

TEST_F(ChartOptions, SeriesListIsAnArrayInListOrder) {
  auto* first = Opts()->GetSeries()->Add();
  first->SetLabel_("North");
  auto* second = Opts()->GetSeries()->Add();
  second->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  EXPECT_TRUE(
      Has("series:[{label:\"North\",rendererOptions:{}},"
          "{renderer:$.jqplot.BarRenderer,rendererOptions:{}}]"));
  EXPECT_EQ(Opts()->GetSeries()->Items(1)->GetJQPlot(), chart.get());
}

TEST_F(ChartOptions, FixedScriptMembersAreTheValueTheyNameUntilGivenAScript) {
  TIWZQJQPlotMarkerRendererOptions* m = Opts()->GetSeriesDefaults()->GetMarkerOptions();
  m->SetSize(12);
  const std::string t = Text(m);
  EXPECT_NE(t.find("shadowRenderer:new $.jqplot.ShadowRenderer()"), std::string::npos);
  EXPECT_NE(t.find("shapeRenderer:new $.jqplot.ShapeRenderer()"), std::string::npos);
  EXPECT_EQ(t.find("function"), std::string::npos);
  // A script of the application gives the application's function.
  auto* f = Opts()->GetAxesDefaults()->TickAxisOptions()->GetFormatter();
  f->SetScript("function (fmt, val) { return 'n' + val; }");
  const std::string a = Text(Opts()->GetAxesDefaults());
  EXPECT_NE(a.find("formatter:function (fmt, val) { return 'n' + val; }"), std::string::npos);
  EXPECT_EQ(a.find("DefaultTickFormatter"), std::string::npos);
}

TEST_F(ChartOptions, TextsFromApplicationDataAreHtmlEscaped) {
  Opts()->GetTitle()->SetText("Sales <b>&</b>");
  Opts()->GetSeries()->Add()->SetLabel_("<img src=x onerror=alert(1)>");
  Opts()->GetAxesDefaults()->SetLabel_("a<b");
  Opts()->GetAxesDefaults()->GetTicks()->Add("<i>1</i>");
  Opts()->GetLegend()->SetShow(true);
  Opts()->GetLegend()->GetLabels()->Add("x&y");
  EXPECT_TRUE(Has("text:\"Sales &lt;b&gt;&amp;&lt;\\/b&gt;\""));
  EXPECT_TRUE(Has("label:\"&lt;img src=x onerror=alert(1)&gt;\""));
  EXPECT_TRUE(Has("label:\"a&lt;b\""));
  EXPECT_TRUE(Has("ticks:[\"&lt;i&gt;1&lt;\\/i&gt;\"]"));
  EXPECT_TRUE(Has("labels:[\"x&amp;y\"]"));
  // A developer who writes HTML on purpose opts in.
  chart->SetRawHTMLTexts(true);
  EXPECT_TRUE(Has("text:\"Sales <b>&<\\/b>\""));
  EXPECT_TRUE(Has("labels:[\"x&y\"]"));
}

TEST_F(ChartOptions, RemoteSourceFollowsTheHandlers) {
  chart->SetJQPlotData("[[1]]");
  TIWZQJQPlotGetDataEvent h(chart.get(), [](TObject*, ISuperObject&) {});
  Opts()->SetOnGetJQPlotData(h);
  EXPECT_TRUE(Opts()->GetRemoteSource());
  EXPECT_EQ(chart->GetJQPlotData(), "[]");
  Opts()->SetOnGetJQPlotDataEx(
      TIWZQJQPlotGetDataExEvent(chart.get(), [](TObject*, TStringList*) {}));
  Opts()->SetOnGetJQPlotData({});
  EXPECT_TRUE(Opts()->GetRemoteSource());
  Opts()->SetOnGetJQPlotDataEx({});
  EXPECT_FALSE(Opts()->GetRemoteSource());
  // The ciParser data renderer replaces the fetch function.
  Opts()->SetDataRendererType(TIWZQJQPlotDataRendererType::jqpdrtJSON);
  EXPECT_TRUE(Has("dataRenderer:$.jqplot.ciParser"));
}

TEST_F(ChartOptions, OptionsOutsideAChartCannotFindIt) {
  Owned<TIWZQJQPlotOptionsLegend> loose(
      TIWZQJSon::CreateSingle<TIWZQJQPlotOptionsLegend>(nullptr, "Legend"));
  EXPECT_EQ(Message([&] { loose->GetJQPlot(); }), "Invalid class typecast");
  Owned<TIWZQJQPlotOptions> root(
      TIWZQJSon::CreateSingle<TIWZQJQPlotOptions>(nullptr, "JQPlotOptions"));
  EXPECT_EQ(Message([&] { root->GetJQPlot(); }), "Invalid class typecast");
}

TEST_F(ChartOptions, AssignCopiesTheRendererKindAndItsOptions) {
  auto* a = Opts()->GetSeries()->Add();
  a->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  a->BarRendererOptions()->SetBarWidth(7);
  auto* b = Opts()->GetSeries()->Add();
  b->Assign(a);
  EXPECT_EQ(b->GetRenderer(), TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  EXPECT_EQ(b->BarRendererOptions()->GetBarWidth(), 7);
  EXPECT_NE(b->GetRendererOptions(), a->GetRendererOptions());
}

TEST_F(ChartOptions, RendererMembersWriteOnlyWhatDiffersFromTheirDefaults) {
  TIWZQJQPlotOptionsSeriesDefaults* s = Opts()->GetSeriesDefaults();
  s->SetRenderer(TIWZQJQPlotSeriesRenders::jqprPieRenderer);
  s->PieRendererOptions()->SetShowDataLabels(true);
  s->PieRendererOptions()->SetDataLabels("\"value\"");
  EXPECT_TRUE(
      Writes(s, {"renderer:$.jqplot.PieRenderer", "dataLabels:\"value\"", "showDataLabels:true"}));
  EXPECT_EQ(Text(s).find("dataLabelNudge"), std::string::npos);
  s->SetRenderer(TIWZQJQPlotSeriesRenders::jqprMeterGaugeRenderer);
  s->MeterGaugeRendererOptions()->SetLabelPosition(
      TIWZQJQPlotMeterGaugeRendererLabelPosition::jqpmgrlpBottom);
  s->MeterGaugeRendererOptions()->GetIntervals()->Add("30");
  EXPECT_TRUE(Writes(
      s, {"renderer:$.jqplot.MeterGaugeRenderer", "labelPosition:\"bottom\"", "intervals:[30]"}));
  s->SetRenderer(TIWZQJQPlotSeriesRenders::jqprOHLCRenderer);
  s->OHLCRendererOptions()->SetCandleStick(true);
  EXPECT_TRUE(Writes(s, {"renderer:$.jqplot.OHLCRenderer", "rendererOptions:{candleStick:true}"}));
  // A log axis with base 10 writes no base.
  TIWZQJQPlotOptionsAxesDefaults* a = Opts()->GetAxes()->Add()->GetOptions();
  a->SetAxesRender(TIWZQJQPlotAxesRenders::jqparLogAxisRenderer);
  auto* log = static_cast<TIWZQJQPlotLogAxisRendererOptions*>(a->GetAxesRenderOptions());
  EXPECT_EQ(Text(a).find("rendererOptions"), std::string::npos);
  log->SetBase("2");
  EXPECT_TRUE(Writes(a, {"renderer:$.jqplot.LogAxisRenderer", "rendererOptions:{base:2}"}));
  // The Mekko axis's bar labels use the plain label renderer's options.
  a->SetAxesRender(TIWZQJQPlotAxesRenders::jqparMekkoAxisRenderer);
  auto* mekko = static_cast<TIWZQJQPlotMekkoAxisRendererOptions*>(a->GetAxesRenderOptions());
  mekko->SetTickMode(TIWZQJQPlotMekkoAxisRendererTickMode::jqpmartmEven);
  mekko->GetBarLabelOptions()->SetShow(false);
  EXPECT_TRUE(Writes(a, {"tickMode:\"even\"", "barLabelOptions:{show:false}"}));
}

TEST_F(ChartOptions, CategoryAxisWritesItsTickRendererInsideItsOptions) {
  TIWZQJQPlotOptionsAxesDefaults* a = Opts()->GetAxes()->Add()->GetOptions();
  a->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);
  auto* cat = static_cast<TIWZQJQPlotCategoryAxisRendererOptions*>(a->GetAxesRenderOptions());
  EXPECT_EQ(&cat->GetTickOptionsClass(), &TIWZQJQPlotAxisTickRendererOptions::StaticClass());
  EXPECT_EQ(Text(cat), "{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}}");
  cat->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  static_cast<TIWZQJQPlotCanvasAxisTickRendererOptions*>(cat->GetTickOptions())->SetAngle(-45);
  cat->SetSortMergedLabels(true);
  EXPECT_TRUE(Writes(cat, {"sortMergedLabels:true", "tickRenderer:$.jqplot.CanvasAxisTickRenderer",
                           "tickOptions:{formatter:$.jqplot.DefaultTickFormatter,angle:-45}"}));
  // A copy keeps the kind and the values of the tick renderer.
  TIWZQJQPlotCategoryAxisRendererOptions copy;
  copy.Assign(cat);
  EXPECT_EQ(Text(&copy), Text(cat));
  EXPECT_EQ(
      Message([&] { static_cast<TIWZQJQPlotOptionsAxesDefaults*>(a)->TickCanvasAxisOptions(); }),
      "Invalid class typecast");
}

TEST_F(ChartOptions, FixedScriptsStayRawValuesEverywhere) {
  // Every plug-in with a fixed-script member shown at once: no function
  // without a body, no undefined.
  Opts()->GetCursor()->SetShow(true);
  Opts()->GetHighLighter()->SetShow(true);
  TIWZQJQPlotOptionsSeriesDefaults* s = Opts()->GetSeries()->Add();
  s->GetPointLabels()->SetShow(true);
  s->GetTrendline()->SetShow(true);
  s->GetMarkerOptions()->SetSize(4);
  Opts()->GetAxesDefaults()->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  TIWZQJQPlotOptionsAxesDefaults* x = Opts()->GetAxes()->Add()->GetOptions();
  x->SetAxesRender(TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer);
  const std::string r = Root();
  EXPECT_EQ(r.find("function"), std::string::npos) << r;
  EXPECT_EQ(r.find("undefined"), std::string::npos);
  EXPECT_TRUE(Has("cursorLegendFormatString:$.jqplot.Cursor.cursorLegendFormatString"));
  EXPECT_TRUE(Has("pointLabels:{show:true,formatter:$.jqplot.DefaultTickFormatter}"));
  EXPECT_TRUE(Has("shadowRenderer:new $.jqplot.ShadowRenderer()"));
  EXPECT_TRUE(Has("shapeRenderer:new $.jqplot.ShapeRenderer()"));
  EXPECT_TRUE(Has("rendererOptions:{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}}"));
  EXPECT_TRUE(Has("tickRenderer:$.jqplot.CanvasAxisTickRenderer"));
}

TEST_F(ChartOptions, CanvasOverlayWritesEachLineWrappedUnderItsKind) {
  TIWZQJQPlotCanvasOverlayOptions* ov = Opts()->GetCanvasOverlay();
  ov->SetShow(true);
  ov->GetObjects()->GetHorizontalLine()->SetY("5");
  ov->GetObjects()->GetHorizontalLine()->SetColor("#ff0000");
  ov->GetObjects()->GetLine()->GetStart()->Add("1");
  // Only what differs from the line's defaults, its JSON texts as JSON.
  EXPECT_TRUE(Writes(ov, {"show:true", "objects:[{line:{start:[1]}},{horizontalLine:{"}));
  auto* h = ov->GetObjects()->GetHorizontalLine();
  EXPECT_EQ(Text(h).size(), std::string("{horizontalLine:{y:5,color:\"#ff0000\"}}").size());
  EXPECT_TRUE(Writes(h, {"y:5", "color:\"#ff0000\""}));
}

TEST_F(ChartOptions, ThemeWritesItsMembersAndAlwaysItsSeriesStyle) {
  TIWZQJQPlotThemeEngine* engine = chart->GetJQThemeEngine();
  TIWZQJQPlotOptionsTheme* t = engine->GetThemes()->Add();
  EXPECT_EQ(Text(t), "{seriesStyles:{}}");
  EXPECT_EQ(engine->GetThemes()->GetJQPlot(), chart.get());
  // The themes never travel inside the engine's own JSON.
  t->SetName("X");
  EXPECT_EQ(ZQOptionJSonText(engine->GetJSon(), false).find("_name"), std::string::npos);
  EXPECT_EQ(Message([&] { t->GetPieSeriesStyles(); }), "Invalid class typecast");
  t->GetLineSeriesStyles()->SetColor("#000000");
  // A new kind: a fresh style of its class, the old values gone; the colour
  // lists hold their defaults and are not written until they differ.
  t->SetSerie(TIWZQJQPlotOptionsThemeSerie::jqpotsPie);
  EXPECT_EQ(&t->GetSeriesStylesClass(), &TIWZQJQPlotOptionsPieSeriesStyle::StaticClass());
  TIWZQJQPlotOptionsPieSeriesStyle* pie = t->GetPieSeriesStyles();
  EXPECT_EQ(pie->GetSeriesColors()->Count(), 16);
  EXPECT_EQ(pie->GetHighlightColors()->Strings(15), "#D09AD7");
  EXPECT_TRUE(Writes(t, {"_name:\"X\"", "seriesStyles:{}"}));
  EXPECT_EQ(Text(t).size(), std::string("{_name:\"X\",seriesStyles:{}}").size());
  pie->GetSeriesColors()->Delete(15);
  EXPECT_NE(Text(t).find("seriesStyles:{seriesColors:[\"#4bb2c5\",\"#EAA228\","),
            std::string::npos);
  EXPECT_EQ(Text(t).find("highlightColors"), std::string::npos);
  t->SetSerie(TIWZQJQPlotOptionsThemeSerie::jqpotsBar);
  EXPECT_EQ(t->GetBarSeriesStyles()->GetHighlightColors()->Count(), 8);
  t->SetSerie(TIWZQJQPlotOptionsThemeSerie::jqpotsFunnel);
  t->GetFunnelSeriesStyles()->SetSectionMargin(3);
  EXPECT_TRUE(Writes(t, {"_name:\"X\"", "seriesStyles:{sectionMargin:3.}"}));
  // Axes by name: a later item of the same axis replaces the earlier one.
  auto* y1 = t->GetAxes()->Add();
  y1->SetAxisType(TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis);
  y1->SetBorderWidth(1);
  auto* y2 = t->GetAxes()->Add();
  y2->SetAxisType(TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis);
  y2->GetTicks()->SetBorderColor("#ff0000");
  EXPECT_NE(Text(t).find("axes:{yaxis:{ticks:{textColor:\"#ff0000\"}}}"), std::string::npos);
  // A copy of the theme keeps its kind and style values.
  TIWZQJQPlotOptionsTheme* copy = engine->GetThemes()->Add();
  copy->Assign(t);
  EXPECT_EQ(Text(copy), Text(t));
}

TEST_F(ChartOptions, EveryChartOptionClassBuildsFromItsRows) {
  // Each registered class is created and its members checked against its rows
  // (the overlay's line base too, which no holder creates).
  ZQRegisterEventFunctions();
  EXPECT_NO_THROW(ZQCheckOptionClasses());
  std::set<std::string> names;
  for (const TZQOptionClassEntry& e : ZQRegisteredOptionClasses()) names.insert(e.Class().Name());
  for (const char* cls :
       {"TIWZQJQPlotMeterGaugeRendererOptions", "TIWZQJQPlotCategoryAxisRendererOptions",
        "TIWZQJQPlotShapeRendererOptions", "TIWZQJQPlotShadowRendererOptions",
        "TIWZQJQPlotOptionsTickOptions", "TIWZQJQPlotOptionsTheme",
        "TIWZQJQPlotOptionsFunnelSeriesStyle", "TIWZQJQPlotThemeEngine"})
    EXPECT_EQ(names.count(cls), 1u) << cls;
}

}  // namespace
}  // namespace zq
