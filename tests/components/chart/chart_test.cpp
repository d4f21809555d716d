// The chart control: its page script with and without script debugging, the
// plug-in links, the protected client calls, copy to image, remote data
// through the action map, and the reset.
#include "components/chart/chart.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "actionmap/map.h"
#include "error_message.h"
#include "events/browserparams.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/imageinterface.h"
#include "host/application.h"
#include "host/http.h"
#include "host/testing.h"

namespace zq {

// An image control as the chart sees one.
class TTestChartImage : public TIWZQJSContainer, public IIWZQJQCustomImageInterface {
  ZQ_CLASS(TTestChartImage, TIWZQJSContainer)
 public:
  using TIWZQJSContainer::TIWZQJSContainer;
  std::string Source;
  std::string GetImageSource() const override { return Source; }
  void SetImageSource(const std::string& ASource) override { Source = ASource; }
  std::string GetIDJQuery() override { return "$(\"#" + GetHTMLName() + "_IMG\")"; }
};
ZQ_IMPLEMENT_CLASS(TTestChartImage) {}

namespace {

using hosttest::THostFixture;
using test::Message;

// The options a chart writes with nothing set: the default tick formatter as
// the function value it names, the series' empty renderer options.
const std::string kDefaultOptions =
    "{axesDefaults:{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}},"
    "seriesDefaults:{rendererOptions:{}}}";

std::vector<std::string> gLog;
void CaptureLog(const std::string& AMessage) {
  gLog.push_back(AMessage);
}

class Chart : public ::testing::Test {
 protected:
  Chart()
      : host(
            [this](TIWApplication& app) {
              auto* f = Create<TIWAppForm>(&app);
              f->SetName("MainForm");
              chart = Create<TIWZQJQPlot>(f);
              chart->SetName("Chart1");
              chart->SetParent(f);
              image = Create<TTestChartImage>(f);
              image->SetName("Img1");
              image->SetParent(f);
              return f;
            },
            [](TIWServerController& c) { ZQActionMapStartup(&c); }),
        sw(&host.Session()) {}
  void TearDown() override {
    ZQSetChartLog(nullptr);
    ZQActionMapShutdown();
  }
  void Debug(bool AOn) { host.Controller().JavaScriptDebug = AOn; }
  std::vector<std::string> InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe").Scripts;
  }
  std::vector<std::string> Links() {
    TStringList l;
    chart->GetScriptLinks(l);
    std::vector<std::string> out;
    for (int i = 0; i < l.Count(); ++i)
      if (l.Strings(i).rfind("jqPlot/", 0) == 0) out.push_back(l.Strings(i));
    return out;
  }
  // Set by the form factory while host is built, so declared before it.
  TIWZQJQPlot* chart = nullptr;
  TTestChartImage* image = nullptr;
  THostFixture host;
  TIWThreadSessionSwitch sw;
};

// ---------------------------------------------------------------- page script

TEST_F(Chart, RenderScriptWithDataIsOneLineWithoutDebugging) {
  chart->SetJQPlotData("[[1,2,3]]");
  EXPECT_EQ(chart->GetRenderScript(),
            "var CHART1_DATA = [[1,2,3]];var CHART1JQObj = null;"
            "$.jqplot.config.srcLocation = \"jqPlot\\/\";"
            "$.jqplot.config.pluginLocation = \"jqPlot\\/plugins\\/\";"
            "$(function(){CHART1JQObj = $.jqplot(\"CHART1\",CHART1_DATA," +
                kDefaultOptions + ");});");
}

TEST_F(Chart, RenderScriptWithDataHasLinesWithDebugging) {
  Debug(true);
  chart->SetJQPlotData("[[1,2,3]]");
  EXPECT_EQ(chart->GetRenderScript(),
            "var CHART1_DATA = [[1,2,3]];\r\n"
            "var CHART1JQObj = null;\r\n"
            "$.jqplot.config.srcLocation = \"jqPlot\\/\";\r\n"
            "$.jqplot.config.pluginLocation = \"jqPlot\\/plugins\\/\";\r\n"
            "\r\n"
            "$(function(){\r\n"
            "CHART1JQObj = $.jqplot(\"CHART1\",CHART1_DATA,{\r\n"
            " axesDefaults: {\r\n"
            "  tickOptions: {\r\n"
            "   formatter: $.jqplot.DefaultTickFormatter\r\n"
            "  }\r\n"
            " },\r\n"
            " seriesDefaults: {\r\n"
            "  rendererOptions: {}\r\n"
            " }\r\n"
            "});\r\n"
            "});\r\n");
}

TEST_F(Chart, RenderScriptWithRemoteDataFetchesFromTheDataUrl) {
  chart->SetJQPlotData("[[5,6]]");
  chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(chart, [](TObject*, ISuperObject&) {}));
  EXPECT_EQ(chart->GetJQPlotData(), "[]");
  const std::string url = chart->GetJQPlotOptions()->GetDataRendererUrl();
  ASSERT_EQ(url.rfind("/IWZQJQ/ID", 0), 0u);
  EXPECT_EQ(url.substr(url.size() - 13), "ActionGetData");
  const std::string escapedUrl = ZQJsEscape(url);
  EXPECT_EQ(chart->GetRenderScript(),
            "var CHART1_DATA = [];var CHART1JQObj = null;"
            "$.jqplot.config.srcLocation = \"jqPlot\\/\";"
            "$.jqplot.config.pluginLocation = \"jqPlot\\/plugins\\/\";"
            "$(function(){CHART1JQObj = $.jqplot(\"CHART1\",CHART1_DATA,"
            "{axesDefaults:{tickOptions:{formatter:$.jqplot.DefaultTickFormatter}},"
            "dataRenderer:function(plot, options) { var ret = null; $.ajax({ async: false, "
            "dataType:\"json\", url: " +
                escapedUrl +
                ", success: function(data) {      ret = data;    } }); return ret; } ,"
                "seriesDefaults:{rendererOptions:{}}});});");
  // With debugging the fetch function is one statement per line.
  Debug(true);
  const std::string script = chart->GetRenderScript();
  EXPECT_NE(script.find("dataRenderer: function(plot, options) {\r\nvar ret = null;\r\n$.ajax({\r\n"
                        "async: false,\r\ndataType:\"json\",\r\nurl: " +
                        escapedUrl + ",\r\n"),
            std::string::npos);
  // The application's own data renderer wins.
  chart->GetJQPlotOptions()->GetDataRenderer()->SetScript("return [[1,1]];");
  EXPECT_EQ(chart->GetRenderScript().find("$.ajax"), std::string::npos);
}

TEST_F(Chart, NoDataAndNoHandlerWritesNoChartScript) {
  EXPECT_EQ(chart->GetRenderScript(), "");
  Debug(true);
  EXPECT_EQ(chart->GetRenderScript(), "");
  // The page still has the container and the links.
  const std::string page = host.Get("/").Body();
  EXPECT_NE(page.find("<div id=\"CHART1\""), std::string::npos);
  EXPECT_NE(page.find("/jq/jqPlot/jquery.jqplot.js"), std::string::npos);
  EXPECT_NE(page.find("/jq/jqPlot/jquery.jqplot.css"), std::string::npos);
  EXPECT_EQ(page.find(".jqplot(\"CHART1\""), std::string::npos);
}

TEST_F(Chart, DataAndConfigurationTextsCannotCloseTheScriptBlock) {
  chart->SetJQPlotData("[[1,\"</script><script>alert(1)</script>\"]]");
  chart->GetJQPlotConfig()->SetErrorMessage("\"</script>\r\n");
  const std::string script = chart->GetRenderScript();
  EXPECT_EQ(script.find("</"), std::string::npos);
  EXPECT_NE(script.find("var CHART1_DATA = [[1,\"<\\/script><script>alert(1)<\\/script>\"]];"),
            std::string::npos);
  EXPECT_NE(script.find("$.jqplot.config.errorMessage = \"\\\"<\\/script>\\r\\n\";"),
            std::string::npos);
  EXPECT_EQ(ZQScriptBlockSafe("<</x</"), "<<\\/x<\\/");
  EXPECT_EQ(ZQScriptBlockSafe("/a</b<"), "/a<\\/b<");
  EXPECT_EQ(ZQScriptBlockSafe(""), "");
  // Empty data text is stored as an empty array; the same text changes nothing.
  chart->SetJQPlotData("");
  EXPECT_EQ(chart->GetJQPlotData(), "[]");
}

TEST_F(Chart, ConfigurationWritesOneAssignmentPerValue) {
  EXPECT_EQ(chart->GetConfigScript(),
            "$.jqplot.config.srcLocation = \"jqPlot\\/\";"
            "$.jqplot.config.pluginLocation = \"jqPlot\\/plugins\\/\";");
  TIWZQJQPlotConfig* c = chart->GetJQPlotConfig();
  c->SetCatchErrors(true);
  c->SetDefaultHeight(250);
  c->SetDashLength(4.5);
  c->GetDefaultColors()->Delete(0);
  const std::string s = chart->GetConfigScript();
  EXPECT_NE(s.find("$.jqplot.config.catchErrors = true;"), std::string::npos);
  EXPECT_NE(s.find("$.jqplot.config.defaultHeight = 250;"), std::string::npos);
  EXPECT_NE(s.find("$.jqplot.config.dashLength = 4.5;"), std::string::npos);
  EXPECT_NE(s.find("$.jqplot.config.defaultColors = [\"#EAA228\","), std::string::npos);
  EXPECT_EQ(s.find("defaultNegativeColors"), std::string::npos);
}

TEST_F(Chart, ClientEventsAreBoundAfterTheChartIsDrawn) {
  chart->SetJQPlotData("[[1,2]]");
  chart->GetJQPlotEvents()->GetOnDataClick()->SetScript(
      "function(ev, seriesIndex){window.x=seriesIndex;}");
  chart->GetJQPlotEvents()->GetOnDataUnhighlight()->SetScript("function(){window.y=1;}");
  chart->GetJQPlotEvents()->GetOnBeforeInit()->SetScript("window.before=1;");
  const std::string s = chart->GetRenderScript();
  EXPECT_LT(s.find("window.before=1;"), s.find("var CHART1_DATA"));
  const std::size_t drawn = s.find("CHART1JQObj = $.jqplot(");
  const std::size_t click = s.find(
      "$(\"#CHART1\").bind(\"jqplotDataClick\",function(ev, seriesIndex){window.x=seriesIndex;});");
  const std::size_t unhl = s.find("$(\"#CHART1\").bind(\"jqplotDataUnhighlight\",");
  ASSERT_NE(click, std::string::npos);
  ASSERT_NE(unhl, std::string::npos);
  EXPECT_LT(drawn, click);
  EXPECT_LT(click, unhl);
  EXPECT_EQ(s.find("jqplotDataHighlight\""), std::string::npos);
  // The events object writes nothing into the options.
  EXPECT_EQ(chart->OptionsText().find("jqplotData"), std::string::npos);
}

TEST_F(Chart, ClickHandlerGetsTheClientArguments) {
  chart->SetJQPlotData("[[1,2]]");
  TIWZQJSonFunc* click = chart->GetJQPlotEvents()->GetOnDataClick();
  click->GetBrowserParams()->AddParam("seriesIndex", "seriesIndex");
  click->GetBrowserParams()->AddParam("pointIndex", "pointIndex");
  std::string got;
  click->SetOnEvent(TIWZQEvent(chart, [&](TObject*, TStringList* AParams) {
    got = AParams->Values("seriesIndex") + "/" + AParams->Values("pointIndex");
  }));
  EXPECT_NE(chart->GetEventBindings().find("CHART1.DoAjaxRequest"), std::string::npos);
  host.Callback(
      "CHART1.DoAjaxRequest",
      {{"ajaxevent", "JQPlotEvents.OnDataClick"}, {"seriesIndex", "1"}, {"pointIndex", "2"}});
  EXPECT_EQ(got, "1/2");
}

// ---------------------------------------------------------------- links

TEST_F(Chart, PluginFilesFollowTheOptionsInWalkOrder) {
  Debug(true);
  TIWZQJQPlotOptions* o = chart->GetJQPlotOptions();
  o->GetSeriesDefaults()->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  o->GetSeries()->Add()->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  auto* pie = o->GetSeries()->Add();
  pie->SetRenderer(TIWZQJQPlotSeriesRenders::jqprPieRenderer);
  pie->GetPointLabels()->SetShow(true);
  pie->GetTrendline()->SetShow(true);
  o->GetAxesDefaults()->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  o->GetAxesDefaults()->SetLabelRenderer(TIWZQJQPlotLabelRenders::jqplrCanvasAxisLabelRenderer);
  o->GetAxes()->Add()->GetOptions()->SetAxesRender(TIWZQJQPlotAxesRenders::jqparDateAxisRenderer);
  o->GetLegend()->SetLegendRenderer(TIWZQJQPlotLegendRenders::jqplrEnhancedLegendRenderer);
  const std::vector<std::string> withoutLegend = Links();
  o->GetLegend()->SetShow(true);
  o->GetCursor()->SetShow(true);
  o->GetDragable()->SetEnable(true);
  o->GetHighLighter()->SetShow(true);
  o->GetCanvasOverlay()->SetShow(true);
  o->SetDataRendererType(TIWZQJQPlotDataRendererType::jqpdrtJSON);
  const std::string p = "jqPlot/plugins/jqplot.";
  EXPECT_EQ(Links(), (std::vector<std::string>{
                         "jqPlot/jquery.jqplot.js", p + "barRenderer.js", p + "barRenderer.js",
                         p + "pieRenderer.js", p + "pointLabels.js", p + "trendline.js",
                         p + "canvasTextRenderer.js", p + "canvasAxisTickRenderer.js",
                         p + "canvasTextRenderer.js", p + "canvasAxisLabelRenderer.js",
                         p + "dateAxisRenderer.js", p + "enhancedLegendRenderer.js",
                         p + "cursor.js", p + "dragable.js", p + "highlighter.js",
                         p + "canvasOverlay.js", p + "ciParser.js"}));
  EXPECT_EQ(std::count(withoutLegend.begin(), withoutLegend.end(), p + "enhancedLegendRenderer.js"),
            0);
  // The page links each file once, minified without debugging.
  Debug(false);
  chart->SetJQPlotData("[[1]]");
  const std::string page = host.Get("/").Body();
  const std::string bar = "/jq/jqPlot/plugins/jqplot.barRenderer.min.js";
  EXPECT_NE(page.find(bar), std::string::npos);
  EXPECT_EQ(page.find(bar, page.find(bar) + 1), std::string::npos);
  EXPECT_NE(page.find("/jq/jqPlot/jquery.jqplot.min.css"), std::string::npos);
}

TEST_F(Chart, FileListAddsAndRemovesRendererFiles) {
  TIWZQPluginsFilesToLoad files;
  files.AddRenderFile("");
  files.AddRenderFile(TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  files.AddRenderFile(TIWZQJQPlotAxesRenders::jqparLinearAxisRenderer);
  files.AddRenderFile(TIWZQJQPlotTickRenders::jqptrAxisTickRenderer);
  files.AddRenderFile(TIWZQJQPlotLegendRenders::jqplrDefault);
  EXPECT_EQ(files.Count(), 0);
  files.AddRenderFile(TIWZQJQPlotSeriesRenders::jqprBezierCurveRenderer);
  files.AddRenderFile(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  files.AddRenderFile(TIWZQJQPlotLabelRenders::jqplrCanvasAxisLabelRenderer);
  EXPECT_EQ(files.Strings(0), "jqPlot/plugins/jqplot.BezierCurveRenderer.min.js");
  files.RemoveRenderFile(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  // The first canvasTextRenderer went with the tick renderer; the label's stays.
  EXPECT_EQ(files.Count(), 3);
  EXPECT_EQ(files.Strings(1), "jqPlot/plugins/jqplot.canvasTextRenderer.min.js");
  EXPECT_EQ(files.Strings(2), "jqPlot/plugins/jqplot.canvasAxisLabelRenderer.min.js");
  files.RemoveFromList("jqPlot/plugins/jqplot.BezierCurveRenderer.min.js");
  EXPECT_EQ(files.Count(), 2);
}

// ---------------------------------------------------------------- client calls

TEST_F(Chart, ClientCallsRunOnlyWhileTheChartExists) {
  EXPECT_EQ(chart->jsRedraw(false),
            "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {"
            "CHART1JQObj.redraw(false);}");
  EXPECT_EQ(chart->jsDrawSeries(nullptr, 2),
            "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {"
            "CHART1JQObj.drawSeries(null,2);}");
  EXPECT_NE(chart->jsReplot(SO("{resetAxes:true}")).find("CHART1JQObj.replot({resetAxes:true});"),
            std::string::npos);
  EXPECT_NE(chart->jsResetAxesScale(true, nullptr).find("CHART1JQObj.resetAxesScale(true,null);"),
            std::string::npos);
  EXPECT_NE(chart->jsInit("\"CHART1\"", SO("[[1]]"), nullptr)
                .find("CHART1JQObj.init(\"CHART1\",[[1]],null);"),
            std::string::npos);
  // jqPlot's reInitialize gets the data and the options.
  EXPECT_NE(
      chart->jsReInitialize(SO("[[1,2]]"), SO("{}")).find("CHART1JQObj.reInitialize([[1,2]],{});"),
      std::string::npos);
  Debug(true);
  EXPECT_EQ(chart->jsMoveSeriesToFront(1),
            "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {\r\n"
            "CHART1JQObj.moveSeriesToFront(1);\r\n}\r\n");
  Debug(false);
  auto scripts = InCallback([&] {
    chart->DestroyJQPlot();
    chart->QuickInit();
    chart->RestoreOriginalSeriesOrder();
  });
  std::string all;
  for (const auto& s : scripts) all += s;
  const std::size_t destroy = all.find("CHART1JQObj.destroy();");
  const std::size_t quick = all.find("CHART1JQObj.quickInit();");
  ASSERT_NE(destroy, std::string::npos);
  ASSERT_NE(quick, std::string::npos);
  EXPECT_LT(destroy, quick);
  EXPECT_NE(all.find("CHART1JQObj.restoreOriginalSeriesOrder()"), std::string::npos);
}

TEST_F(Chart, AfterResizeRedrawsAndRecomputesBarWidths) {
  EXPECT_EQ(chart->GetAfterResizeScript(), "");
  chart->SetJQReDrawAfterResize(true);
  EXPECT_EQ(chart->GetAfterResizeScript(), "CHART1JQObj.replot({resetAxes:true});");
  chart->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(
      TIWZQJQPlotSeriesRenders::jqprBarRenderer);
  EXPECT_EQ(chart->GetAfterResizeScript(),
            "$.each(CHART1JQObj.series,function(index,series){series.barWidth = undefined;});"
            "CHART1JQObj.replot({resetAxes:true});");
}

TEST_F(Chart, ChartToImageFillsTheImageControl) {
  EXPECT_EQ(chart->jsChartToImage(image),
            "var jqplotImg = $(\"#CHART1\").jqplotToImageElem(); var $img = $(\"#IMG1_IMG\"); "
            "if ($img.length > 0) {  $img[0].src = jqplotImg.src;  $(jqplotImg).remove(); } ");
  auto scripts = InCallback([&] { chart->ChartToImage(image); });
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_NE(scripts[0].find("jqplotToImageElem()"), std::string::npos);
  std::string nilError, typeError;
  InCallback([&] {
    nilError = Message([&] { chart->ChartToImage(nullptr); });
    typeError = Message([&] { chart->ChartToImage(chart); });
  });
  EXPECT_EQ(nilError, "Image cannot be nil.");
  EXPECT_EQ(typeError, "Invalid component type.");
}

// ---------------------------------------------------------------- remote data

TEST_F(Chart, DataRepliesAreStrictJson) {
  chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(chart, [](TObject*, ISuperObject& AData) {
    AData = SO("[[3.0,0.05,1e-7,-2.5e20],[\"a/b\\\"\",true,null]]");
  }));
  THTTPReply r = host.Get(chart->RegisterDataUrl());
  EXPECT_EQ(r.Code(), 200);
  EXPECT_EQ(r.ContentType(), "application/json");
  EXPECT_EQ(r.Body(), "[[3,0.05,1e-07,-2.5e+20],[\"a\\/b\\\"\",true,null]]");
  // Page script keeps the script-literal numbers.
  EXPECT_EQ(ZQStrictJSonText(SO("{\"a b\":1.5}")), "{\"a b\":1.5}");
}

// Numbers of data replies are written as std::to_chars writes them, the
// quick path for short decimals included: compared over values around its
// edges (integers near 100000, three decimals, 1e9, negative zero) and over
// a spread of others.
TEST(ChartData, NumbersAreWrittenAsTheirShortestText) {
  std::vector<double> values = {0.0,           -0.0,
                                1.0,           -1.0,
                                0.5,           0.001,
                                -0.001,        0.0005,
                                0.1,           0.2,
                                0.3,           1.125,
                                2.5e20,        1e-7,
                                99999.0,       100000.0,
                                -100000.0,     120000,
                                99999.5,       1e9,
                                1e9 - 0.5,     999999999.999,
                                123456789.125, 0.1 + 0.2,
                                1.0 / 3,       4503599627370496.0};
  for (long long k = -3000; k <= 3000; k += 7) values.push_back(static_cast<double>(k) / 1000.0);
  for (int i = 0; i < 2000; ++i) values.push_back(i * 0.25 + (i % 7) * 0.125);
  for (int i = 1; i < 400; ++i) values.push_back(static_cast<double>(i) * 1234.567 / 7.0);
  for (int e = -12; e <= 12; ++e) values.push_back(std::pow(10.0, e));
  for (double v : values) {
    char buf[32];
    const std::string expected(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    ISuperObject node = TSuperObject::Create(v);
    EXPECT_EQ(ZQStrictJSonText(node), expected) << v;
  }
}

TEST_F(Chart, DataHandlersAnswerTheirDefaults) {
  chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(chart, [](TObject*, ISuperObject&) {}));
  EXPECT_EQ(host.Get(chart->RegisterDataUrl()).Body(), "[]");
  chart->SetOnGetJQPlotData({});
  EXPECT_FALSE(chart->GetJQPlotOptions()->GetRemoteSource());
  chart->SetOnGetJQPlotDataEx(TIWZQJQPlotGetDataExEvent(chart, [](TObject*, TStringList* AData) {
    AData->Add("[1,2]");
    AData->Add("x\"y");
  }));
  EXPECT_TRUE(chart->GetJQPlotOptions()->GetRemoteSource());
  EXPECT_EQ(host.Get(chart->RegisterDataUrl()).Body(), "[\"[1,2]\",\"x\\\"y\"]");
}

TEST_F(Chart, FailingDataHandlerAnswers500WithoutTheDetail) {
  ZQSetChartLog(&CaptureLog);
  gLog.clear();
  chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(
      chart, [](TObject*, ISuperObject&) { throw Exception("secret connection string"); }));
  THTTPReply r = host.Get(chart->RegisterDataUrl());
  EXPECT_EQ(r.Code(), 500);
  EXPECT_EQ(r.Body().find("secret"), std::string::npos);
  EXPECT_EQ(r.CodeText().find("secret"), std::string::npos);
  EXPECT_EQ(r.Body().find("ERROR"), std::string::npos);
  ASSERT_EQ(gLog.size(), 1u);
  EXPECT_NE(gLog[0].find("secret connection string"), std::string::npos);
}

TEST_F(Chart, DestroyedChartLeavesTheActionMap) {
  chart->SetOnGetJQPlotData(TIWZQJQPlotGetDataEvent(chart, [](TObject*, ISuperObject&) {}));
  const std::string id = chart->GetMapID();
  chart->RegisterDataUrl();
  EXPECT_TRUE(ZQFindMapEvent(id, "GetData"));
  Free(chart);
  EXPECT_FALSE(ZQFindMapEvent(id, "GetData"));
}

TEST_F(Chart, ResetClearsDataHandlersAndOptions) {
  chart->SetJQPlotData("[[1]]");
  chart->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(
      TIWZQJQPlotSeriesRenders::jqprPieRenderer);
  chart->GetJQPlotOptions()->GetSeries()->Add();
  chart->SetOnGetJQPlotDataEx(TIWZQJQPlotGetDataExEvent(chart, [](TObject*, TStringList*) {}));
  chart->ResetJSonProps();
  EXPECT_EQ(chart->GetJQPlotData(), "[]");
  EXPECT_FALSE(chart->GetJQPlotOptions()->GetRemoteSource());
  EXPECT_EQ(chart->GetJQPlotOptions()->GetSeriesDefaults()->GetRenderer(),
            TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  EXPECT_EQ(chart->GetJQPlotOptions()->GetSeries()->Count(), 0);
  EXPECT_EQ(chart->GetRenderScript(), "");
}

// ---------------------------------------------------------------- renderers on the page

// How often the page links the plug-in file of the stem.
std::size_t PluginLinks(const std::string& APage, const std::string& AStem) {
  const std::string file = "/jq/jqPlot/plugins/jqplot." + AStem + ".min.js";
  std::size_t n = 0;
  for (std::size_t at = APage.find(file); at != std::string::npos; at = APage.find(file, at + 1))
    ++n;
  return n;
}

TEST_F(Chart, EachRendererSwitchWritesItsNameAndLinksItsPluginOnce) {
  chart->SetJQPlotData("[[1,2]]");
  TIWZQJQPlotOptions* o = chart->GetJQPlotOptions();
  const std::tuple<TIWZQJQPlotSeriesRenders, const char*, const char*> series[] = {
      {TIWZQJQPlotSeriesRenders::jqprBarRenderer, "$.jqplot.BarRenderer", "barRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprBlockRenderer, "$.jqplot.BlockRenderer", "blockRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprBubbleRenderer, "$.jqplot.BubbleRenderer", "bubbleRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprDonutRenderer, "$.jqplot.DonutRenderer", "donutRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprFunnelRenderer, "$.jqplot.FunnelRenderer", "funnelRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprMekkoRenderer, "$.jqplot.MekkoRenderer", "mekkoRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprMeterGaugeRenderer, "$.jqplot.MeterGaugeRenderer",
       "meterGaugeRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprOHLCRenderer, "$.jqplot.OHLCRenderer", "ohlcRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprPieRenderer, "$.jqplot.PieRenderer", "pieRenderer"},
      {TIWZQJQPlotSeriesRenders::jqprBezierCurveRenderer, "$.jqplot.BezierCurveRenderer",
       "BezierCurveRenderer"}};
  auto* entry = o->GetSeries()->Add();
  for (const auto& [kind, name, stem] : series) {
    // The defaults and a series entry both ask for the file: linked once.
    o->GetSeriesDefaults()->SetRenderer(kind);
    entry->SetRenderer(kind);
    const std::string page = host.Get("/").Body();
    EXPECT_NE(chart->OptionsText().find(std::string("renderer:") + name + ","), std::string::npos)
        << name;
    EXPECT_EQ(PluginLinks(page, stem), 1u) << stem;
  }
  o->GetSeriesDefaults()->SetRenderer(TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  entry->SetRenderer(TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  EXPECT_EQ(chart->OptionsText().find("renderer:"), std::string::npos);

  const std::tuple<TIWZQJQPlotAxesRenders, const char*, const char*> axes[] = {
      {TIWZQJQPlotAxesRenders::jqparDateAxisRenderer, "$.jqplot.DateAxisRenderer",
       "dateAxisRenderer"},
      {TIWZQJQPlotAxesRenders::jqparLogAxisRenderer, "$.jqplot.LogAxisRenderer", "logAxisRenderer"},
      {TIWZQJQPlotAxesRenders::jqparMekkoAxisRenderer, "$.jqplot.MekkoAxisRenderer",
       "mekkoAxisRenderer"},
      {TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer, "$.jqplot.CategoryAxisRenderer",
       "categoryAxisRenderer"}};
  auto* x = o->GetAxes()->Add();
  auto* y = o->GetAxes()->Add();
  y->SetAxisType(TIWZQJQPlotOptionsXYAxes::jqpoxyYAxis);
  for (const auto& [kind, name, stem] : axes) {
    x->GetOptions()->SetAxesRender(kind);
    y->GetOptions()->SetAxesRender(kind);
    const std::string page = host.Get("/").Body();
    EXPECT_NE(chart->OptionsText().find(std::string("renderer:") + name), std::string::npos)
        << name;
    EXPECT_EQ(PluginLinks(page, stem), 1u) << stem;
  }
  // The category axis's own tick renderer: in its renderer options, linked
  // with the text renderer it needs, each file once for both axes.
  for (auto* a : {x, y})
    static_cast<TIWZQJQPlotCategoryAxisRendererOptions*>(a->GetOptions()->GetAxesRenderOptions())
        ->SetTickRenderer(TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer);
  const std::string page = host.Get("/").Body();
  EXPECT_EQ(PluginLinks(page, "canvasTextRenderer"), 1u);
  EXPECT_EQ(PluginLinks(page, "canvasAxisTickRenderer"), 1u);
  EXPECT_NE(chart->OptionsText().find("tickRenderer:$.jqplot.CanvasAxisTickRenderer"),
            std::string::npos);
}

TEST_F(Chart, MoveBlockCallsTheSeriesThatDrawsTheBlocks) {
  TIWZQJQPlotOptions* o = chart->GetJQPlotOptions();
  o->GetSeries()->Add();
  auto* second = o->GetSeries()->Add();
  second->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBlockRenderer);
  const std::string guard =
      "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {";
  // A series entry: that series, three arguments without a duration.
  EXPECT_EQ(second->BlockRendererOptions()->jsMoveBlock(2, 10, 20, -1),
            guard + "CHART1JQObj.series[1].moveBlock(2,10,20);}");
  EXPECT_EQ(second->BlockRendererOptions()->jsMoveBlock(2, 10, 20, 0),
            guard + "CHART1JQObj.series[1].moveBlock(2,10,20,0);}");
  // The series defaults: every series that has the method.
  o->GetSeriesDefaults()->SetRenderer(TIWZQJQPlotSeriesRenders::jqprBlockRenderer);
  EXPECT_EQ(o->GetSeriesDefaults()->BlockRendererOptions()->jsMoveBlock(1, 5, 6, 300),
            guard +
                "$.each(CHART1JQObj.series,function(i,s){if (s.moveBlock) "
                "s.moveBlock(1,5,6,300);});}");
  auto scripts = InCallback([&] { second->BlockRendererOptions()->MoveBlock(2, 10, 20, -1); });
  std::string all;
  for (const auto& s : scripts) all += s;
  EXPECT_NE(all.find("CHART1JQObj.series[1].moveBlock(2,10,20);"), std::string::npos);
  // Outside a chart there is no client object to call.
  TIWZQJQPlotBlockRendererOptions loose;
  EXPECT_EQ(Message([&] { loose.jsMoveBlock(0, 0, 0, -1); }), "Invalid class typecast");
}

TEST_F(Chart, ZoomProxyNeedsBothChartsAndAShownCursor) {
  TIWZQJQPlotCursorOptions* cursor = chart->GetJQPlotOptions()->GetCursor();
  auto other = CreateOwned<TIWZQJQPlot>(nullptr);
  other->SetName("Chart2");
  EXPECT_EQ(cursor->jsZoomProxy(other.get(), chart), "");
  cursor->SetShow(true);
  EXPECT_EQ(cursor->jsZoomProxy(other.get(), nullptr), "");
  EXPECT_EQ(cursor->jsZoomProxy(other.get(), chart),
            "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {"
            "$.jqplot.Cursor.zoomProxy(CHART2JQObj,CHART1JQObj);}");
}

// ---------------------------------------------------------------- themes

TEST_F(Chart, ThemesAreRegisteredOnceEachAfterTheChartIsDrawnThenActivated) {
  chart->SetJQPlotData("[[1,2]]");
  TIWZQJQPlotThemeEngine* engine = chart->GetJQThemeEngine();
  EXPECT_EQ(chart->GetRenderScript().find("themeEngine"), std::string::npos);
  auto* dark = engine->GetThemes()->Add();
  dark->SetName("Dark");
  dark->GetGrid()->SetBackgroundColor("#222222");
  engine->GetThemes()->Add();  // no name: not registered
  auto* again = engine->GetThemes()->Add();
  again->SetName("Dark");  // the same name again: registered once
  again->GetGrid()->SetBackgroundColor("#333333");
  engine->SetActiveThemeIndex(2);
  const std::string guard =
      "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {";
  const std::string r = chart->GetRenderScript();
  const std::string reg = guard +
                          "if (!CHART1JQObj.themeEngine.themes.hasOwnProperty(\"Dark\")) "
                          "CHART1JQObj.themeEngine.newTheme({";
  const std::size_t drawn = r.find("CHART1JQObj = $.jqplot(");
  const std::size_t at = r.find(reg);
  ASSERT_NE(at, std::string::npos) << r;
  EXPECT_LT(drawn, at);
  // The first theme of the name, its name under "_name".
  const std::string theme = r.substr(at + reg.size(), r.find("});}", at) - at - reg.size());
  EXPECT_NE(theme.find("_name:\"Dark\""), std::string::npos);
  EXPECT_NE(theme.find("grid:{backgroundColor:\"#222222\"}"), std::string::npos);
  EXPECT_NE(theme.find("seriesStyles:{}"), std::string::npos);
  EXPECT_EQ(r.find("newTheme", at + reg.size()), std::string::npos);
  EXPECT_NE(r.find(guard + "CHART1JQObj.activateTheme(\"Dark\");}", at), std::string::npos);
}

TEST_F(Chart, ThemeScriptsActivateByEscapedNameAndRegisterLateThemesFirst) {
  TIWZQJQPlotThemeEngine* engine = chart->GetJQThemeEngine();
  const std::string guard =
      "if ((typeof(CHART1JQObj) != \"undefined\") && (CHART1JQObj != null)) {";
  EXPECT_EQ(engine->jsActivateTheme(-1), guard + "CHART1JQObj.activateTheme(\"Default\");}");
  EXPECT_EQ(engine->jsActivateTheme(""), guard + "CHART1JQObj.activateTheme(\"Default\");}");
  // A name is a string literal, whatever it holds.
  EXPECT_EQ(engine->jsActivateTheme("a\"b</script>"),
            guard + "CHART1JQObj.activateTheme(" + ZQJsEscape("a\"b</script>") + ");}");
  EXPECT_EQ(engine->jsActivateTheme("a\"b</script>").find("a\"b"), std::string::npos);
  engine->GetThemes()->Add()->SetName("One");
  engine->GetThemes()->Add();
  EXPECT_EQ(engine->jsActivateTheme(5), "");
  // A theme at a valid index without a name activates "Default".
  EXPECT_EQ(engine->jsActivateTheme(1), guard + "CHART1JQObj.activateTheme(\"Default\");}");
  // Remove and rename take script expressions, written unchanged.
  EXPECT_EQ(engine->jsRemoveTheme("\"One\""), guard + "CHART1JQObj.themeEngine.remove(\"One\");}");
  EXPECT_EQ(engine->jsRemoveTheme(""), guard + "}");
  EXPECT_EQ(engine->jsRenameTheme("oldName", "\"Two\""),
            guard + "CHART1JQObj.themeEngine.rename(oldName,\"Two\");}");
  EXPECT_EQ(engine->jsRenameTheme("", "x"), guard + "}");
  EXPECT_EQ(engine->jsNewTheme(nullptr), guard + "CHART1JQObj.themeEngine.newTheme(null);}");

  // During a callback: a theme added after the page was drawn is registered
  // before it is activated; an index beyond the list sends nothing.
  auto scripts = InCallback([&] {
    auto* late = engine->GetThemes()->Add();
    late->SetName("Late");
    late->GetGrid()->SetBackgroundColor("#101010");
    engine->ActivateTheme("Late");
    engine->SetActiveThemeIndex(5);
  });
  std::string all;
  for (const auto& s : scripts) all += s;
  const std::size_t reg = all.find(
      "if (!CHART1JQObj.themeEngine.themes.hasOwnProperty(\"Late\")) "
      "CHART1JQObj.themeEngine.newTheme({_name:\"Late\",");
  const std::size_t act = all.find("CHART1JQObj.activateTheme(\"Late\");");
  ASSERT_NE(reg, std::string::npos) << all;
  ASSERT_NE(act, std::string::npos);
  EXPECT_LT(reg, act);
  EXPECT_EQ(all.find("activateTheme", act + 20), std::string::npos) << all;
  // A change of the index during a callback sends the activation.
  scripts = InCallback([&] { engine->SetActiveThemeIndex(0); });
  all.clear();
  for (const auto& s : scripts) all += s;
  EXPECT_NE(all.find("CHART1JQObj.activateTheme(\"One\");"), std::string::npos);
  // The reset clears the themes and goes back to "Default".
  chart->ResetJSonProps();
  EXPECT_EQ(engine->GetThemes()->Count(), 0);
  EXPECT_EQ(engine->GetActiveThemeIndex(), -1);
}

}  // namespace
}  // namespace zq
