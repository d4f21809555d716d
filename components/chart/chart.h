// The chart control: a chart drawn in the browser by jqPlot.
//
//   auto* chart = Create<TIWZQJQPlot>(form);
//   chart->SetJQPlotData("[[[1,2],[2,5],[3,4]]]");
//   chart->GetJQPlotOptions()->GetTitle()->SetText("Sales");
//   chart->GetJQPlotOptions()->GetSeriesDefaults()->SetRenderer(
//       TIWZQJQPlotSeriesRenders::jqprBarRenderer);
//
// The page gets NAME_DATA (the data), the client chart object NAMEJQObj
// (null until the page is ready), the $.jqplot.config assignments and a ready
// function that draws the chart and binds its client events; the core file
// and exactly the plug-ins the options need are linked. A chart with neither
// data nor a data handler writes no chart script.
//
// Remote data: with OnGetJQPlotData (or OnGetJQPlotDataEx) assigned, the
// chart registers a "GetData" URL with the action map and the options'
// dataRenderer fetches the data from it; the reply is strict JSON. A handler
// that raises gets HTTP 500 with a generic text; the detail goes to the
// server log (ZQChartLog).
//
// During a callback the client calls (Redraw, Replot, ReInitialize...) append
// script that runs only when the client object exists (DoProtectMethod).
#pragma once

#include <functional>
#include <string>

#include "components/chart/chartthemes.h"
#include "framework/jqcontainer.h"

namespace zq {

class THTTPRequest;
class THTTPReply;
class TIWZQJSContainer;

// Where the chart writes what the browser must not see (a data handler's
// exception text). Default: standard error. Set at start-up only.
using TZQChartLogFn = void (*)(const std::string& AMessage);
void ZQSetChartLog(TZQChartLogFn AFn);
void ZQChartLog(const std::string& AMessage);

// JSON text for a reply parsed by JSON.parse: numbers in the shortest form
// that reads back (3, 0.05, 1e-07), names quoted, script values as null.
std::string ZQStrictJSonText(const ISuperObject& ANode);
void ZQAppendStrictJSon(std::string& AOut, const ISuperObject& ANode);

// Text written into a script block: "</" becomes "<\/" so that the text
// cannot end the block.
std::string ZQScriptBlockSafe(std::string_view AText);

// The plug-in files a chart links, in the order added (repeats kept; the
// page links each URL once). Names are relative to the script folder.
class TIWZQPluginsFilesToLoad : public TStringList {
  ZQ_CLASS(TIWZQPluginsFilesToLoad, TStringList)
  using TStringList::TStringList;

  // "jqPlot/plugins/jqplot." + stem + ".js" (".min.js" with debugging off).
  static std::string PluginFile(const std::string& AStem);

  void AddRenderFile(const std::string& AFile);
  void AddRenderFile(TIWZQJQPlotSeriesRenders ARenderer);
  void AddRenderFile(TIWZQJQPlotAxesRenders ARenderer);
  void AddRenderFile(TIWZQJQPlotTickRenders ARenderer);
  void AddRenderFile(TIWZQJQPlotLabelRenders ARenderer);
  void AddRenderFile(TIWZQJQPlotLegendRenders ARenderer);
  void RemoveRenderFile(const std::string& AFile);
  void RemoveFromList(const std::string& AFile) { RemoveRenderFile(AFile); }
  void RemoveRenderFile(TIWZQJQPlotSeriesRenders ARenderer);
  void RemoveRenderFile(TIWZQJQPlotAxesRenders ARenderer);
  void RemoveRenderFile(TIWZQJQPlotTickRenders ARenderer);
  void RemoveRenderFile(TIWZQJQPlotLabelRenders ARenderer);
  void RemoveRenderFile(TIWZQJQPlotLegendRenders ARenderer);
};

class TIWZQJQCustomPlot : public TIWZQJQContainer {
  ZQ_CLASS(TIWZQJQCustomPlot, TIWZQJQContainer)
 public:
  explicit TIWZQJQCustomPlot(TComponent* AOwner);
  ~TIWZQJQCustomPlot() override;
  void BeforeDestruction() override;

  // ---- published
  TIWZQJQPlotOptions* GetJQPlotOptions();
  void SetJQPlotOptions(TIWZQJQPlotOptions* AValue) { GetJQPlotOptions()->Assign(AValue); }
  const std::string& GetJQPlotData() const { return FJQPlotData; }
  // An empty text is stored as "[]".
  void SetJQPlotData(const std::string& AValue);
  TIWZQJQPlotConfig* GetJQPlotConfig();
  void SetJQPlotConfig(TIWZQJQPlotConfig* AValue) { GetJQPlotConfig()->Assign(AValue); }
  TIWZQJQPlotEvents* GetJQPlotEvents();
  void SetJQPlotEvents(TIWZQJQPlotEvents* AValue) { GetJQPlotEvents()->Assign(AValue); }
  TIWZQJQPlotThemeEngine* GetJQThemeEngine();
  void SetJQThemeEngine(TIWZQJQPlotThemeEngine* AValue) { GetJQThemeEngine()->Assign(AValue); }
  const TIWZQJQPlotGetDataEvent& GetOnGetJQPlotData() {
    return GetJQPlotOptions()->GetOnGetJQPlotData();
  }
  void SetOnGetJQPlotData(const TIWZQJQPlotGetDataEvent& AValue) {
    GetJQPlotOptions()->SetOnGetJQPlotData(AValue);
  }
  const TIWZQJQPlotGetDataExEvent& GetOnGetJQPlotDataEx() {
    return GetJQPlotOptions()->GetOnGetJQPlotDataEx();
  }
  void SetOnGetJQPlotDataEx(const TIWZQJQPlotGetDataExEvent& AValue) {
    GetJQPlotOptions()->SetOnGetJQPlotDataEx(AValue);
  }
  bool GetJQReDrawAfterResize() const { return FJQReDrawAfterResize; }
  void SetJQReDrawAfterResize(bool AValue) { FJQReDrawAfterResize = AValue; }
  // Titles, labels, tick and legend texts are HTML-escaped unless this is
  // set (default false): the application then writes HTML on purpose.
  bool GetRawHTMLTexts() const { return FRawHTMLTexts; }
  void SetRawHTMLTexts(bool AValue) { FRawHTMLTexts = AValue; }

  // ---- client object and protected calls
  // The page variable of the client chart: GetJQHTMLName() + "JQObj".
  std::string GetObjectName() { return GetJQHTMLName() + "JQObj"; }
  // The statement, run only while the client chart exists.
  std::string DoProtectMethod(const std::string& AStatement);

  std::string jsDestroyJQPlot();
  void DestroyJQPlot();
  std::string jsDrawJQPlot();
  void DrawJQPlot();
  std::string jsDrawSeries(ISuperObject AOptions, int ASeriesIndex);
  void DrawSeries(ISuperObject AOptions, int ASeriesIndex);
  std::string jsInit(const std::string& ATarget, ISuperObject AData, ISuperObject AOptions);
  void Init(const std::string& ATarget, ISuperObject AData, ISuperObject AOptions);
  std::string jsMoveSeriesToBack(int ASeriesIndex);
  void MoveSeriesToBack(int ASeriesIndex);
  std::string jsMoveSeriesToFront(int ASeriesIndex);
  void MoveSeriesToFront(int ASeriesIndex);
  std::string jsQuickInit();
  void QuickInit();
  std::string jsRedraw(bool AClear);
  void Redraw(bool AClear);
  std::string jsReplot(ISuperObject AOptions);
  void Replot(ISuperObject AOptions);
  std::string jsResetAxesScale(bool AAxes, ISuperObject AOptions);
  void ResetAxesScale(bool AAxes, ISuperObject AOptions);
  std::string jsRestoreOriginalSeriesOrder();
  void RestoreOriginalSeriesOrder();
  std::string jsRestorePreviousSeriesOrder();
  void RestorePreviousSeriesOrder();
  // jqPlot's reInitialize(data, options).
  std::string jsReInitialize(ISuperObject AData, ISuperObject AOptions);
  void ReInitialize(ISuperObject AData, ISuperObject AOptions);

  // Copies the drawn chart into an image control (a script container that
  // implements IIWZQJQCustomImageInterface). Raises "Image cannot be nil."
  // for none and "Invalid component type." for another control.
  std::string jsChartToImage(TIWZQJSContainer* AImage);
  void ChartToImage(TIWZQJSContainer* AImage);

  // ---- remote data
  // Registers the "GetData" entry (once) and gives its URL.
  std::string RegisterDataUrl();
  const std::string& GetMapID();
  // The action map's handler of "GetData".
  void UrlHandler(const std::string& AEventName, TStringList* AParams, THTTPRequest& ARequest,
                  THTTPReply& AReply);

  // ---- render
  // The plug-in files the options need, in walk order.
  void GetJSFilesToLoad(TIWZQPluginsFilesToLoad* AList);
  // "var NAME_DATA = ...;" and the rest of the page's chart script; empty
  // without data and data handler.
  std::string GetRenderScript() override;
  // The $.jqplot.config assignments, one per line.
  std::string GetConfigScript();
  // The jQuery bind statements of the client events.
  std::string GetEventBindings();
  std::string GetAfterResizeScript() override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  void GetScriptLinks(TStringList& AList) override;
  using TIWZQJQContainer::GetScriptLinks;
  std::string GetDocumentationLink() override;
  void ResetJSonProps() override;

  // The options' literal with the control's JSON settings.
  std::string OptionsText();

 protected:
  std::string NodeText(ISuperObject ANode);
  std::string Call(const std::string& ATail);

 private:
  Owned<TIWZQJSon> FJQPlotOptions;
  Owned<TIWZQJSon> FJQPlotConfig;
  Owned<TIWZQJSon> FJQPlotEvents;
  Owned<TIWZQJSon> FJQThemeEngine;
  std::string FJQPlotData = "[]";
  std::string FMapID;
  std::string FDataUrl;
  bool FJQReDrawAfterResize = false;
  bool FRawHTMLTexts = false;
};

class TIWZQJQPlot : public TIWZQJQCustomPlot {
  ZQ_CLASS(TIWZQJQPlot, TIWZQJQCustomPlot)
 public:
  using TIWZQJQCustomPlot::TIWZQJQCustomPlot;
};

}  // namespace zq
