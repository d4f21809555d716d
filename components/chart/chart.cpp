#include "components/chart/chart.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>

#include "actionmap/map.h"
#include "events/func.h"
#include "events/jscript.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "framework/imageinterface.h"
#include "framework/links.h"
#include "host/application.h"
#include "host/context.h"
#include "host/http.h"
#include "host/zqhelpers.h"

namespace zq {

// ---------------------------------------------------------------- helpers

namespace {

void StdErrLog(const std::string& AMessage) {
  std::cerr << AMessage << '\n';
}
TZQChartLogFn gChartLog = &StdErrLog;

constexpr int kStrictMaxDepth = 64;

// A finite double as std::to_chars writes it (the shortest text that reads
// back as the same value). Values below 1e9 with at most three decimals, most
// chart data, are written directly: such a value is the double nearest to
// n / 1000, its shortest text is that decimal (any shorter one is at least
// 0.001 away, far beyond the value's precision), and the fixed form is never
// longer than the exponent form (integers are kept below 100000 for that).
void AppendDouble(std::string& AOut, double d) {
  char buf[32];
  char* end = nullptr;
  const double scaled = d * 1000.0;
  if (std::fabs(d) < 1e9 && scaled == std::nearbyint(scaled) && !(d == 0 && std::signbit(d))) {
    const long long n = static_cast<long long>(scaled);
    const long long whole = (n < 0 ? -n : n) / 1000;
    int frac = static_cast<int>((n < 0 ? -n : n) % 1000);
    if (static_cast<double>(n) / 1000.0 == d && (frac != 0 || whole < 100000)) {
      char* p = buf;
      if (n < 0) *p++ = '-';
      p = std::to_chars(p, buf + sizeof buf, whole).ptr;
      if (frac != 0) {
        *p++ = '.';
        *p++ = static_cast<char>('0' + frac / 100);
        frac %= 100;
        if (frac != 0) {
          *p++ = static_cast<char>('0' + frac / 10);
          if (frac % 10 != 0) *p++ = static_cast<char>('0' + frac % 10);
        }
      }
      end = p;
    }
  }
  if (!end) end = std::to_chars(buf, buf + sizeof buf, d).ptr;
  AOut.append(buf, end);
}

void AppendStrict(std::string& AOut, const TSuperObject* ANode, int ADepth) {
  if (!ANode || ADepth > kStrictMaxDepth) {
    AOut += "null";
    return;
  }
  switch (ANode->GetDataType()) {
    case stBoolean:
      AOut += ANode->AsBoolean() ? "true" : "false";
      return;
    case stInt: {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, ANode->AsInteger());
      AOut.append(buf, r.ptr);
      return;
    }
    case stDouble: {
      const double d = ANode->AsDouble();
      if (!std::isfinite(d)) {
        AOut += "null";
        return;
      }
      AppendDouble(AOut, d);
      return;
    }
    case stCurrency: {
      std::string text;
      ANode->AsCurrency().AppendTo(text);
      if (!text.empty() && text.back() == '.') text.pop_back();
      AOut += text.empty() ? "0" : text;
      return;
    }
    case stString:
      AOut.push_back('"');
      SuperAppendEscaped(AOut, ANode->TextRef(), true);
      AOut.push_back('"');
      return;
    case stArray: {
      const TSuperArray* a = ANode->AsArray();
      AOut.push_back('[');
      for (std::size_t i = 0; i < a->Length(); ++i) {
        if (i) AOut.push_back(',');
        AppendStrict(AOut, (*a)[i].get(), ADepth + 1);
      }
      AOut.push_back(']');
      return;
    }
    case stObject: {
      AOut.push_back('{');
      bool first = true;
      for (const TSuperTableString::Entry* e : ANode->AsObject()->Entries()) {
        if (!first) AOut.push_back(',');
        first = false;
        AOut.push_back('"');
        SuperAppendEscaped(AOut, e->Name, true);
        AOut += "\":";
        AppendStrict(AOut, e->Value.get(), ADepth + 1);
      }
      AOut.push_back('}');
      return;
    }
    default:  // null, and script values, which are not data
      AOut += "null";
      return;
  }
}

// Plug-in stems, in the enumeration order of each renderer kind.
const char* const kSeriesStems[] = {"barRenderer",   "blockRenderer",      "bubbleRenderer",
                                    "donutRenderer", "funnelRenderer",     "",
                                    "mekkoRenderer", "meterGaugeRenderer", "ohlcRenderer",
                                    "pieRenderer",   "BezierCurveRenderer"};
const char* const kAxesStems[] = {"dateAxisRenderer", "", "logAxisRenderer", "mekkoAxisRenderer",
                                  "categoryAxisRenderer"};

std::vector<std::string> Files(TIWZQJQPlotSeriesRenders R) {
  const char* s = kSeriesStems[static_cast<int>(R)];
  return *s ? std::vector<std::string>{TIWZQPluginsFilesToLoad::PluginFile(s)}
            : std::vector<std::string>{};
}
std::vector<std::string> Files(TIWZQJQPlotAxesRenders R) {
  const char* s = kAxesStems[static_cast<int>(R)];
  return *s ? std::vector<std::string>{TIWZQPluginsFilesToLoad::PluginFile(s)}
            : std::vector<std::string>{};
}
std::vector<std::string> Files(TIWZQJQPlotTickRenders R) {
  if (R != TIWZQJQPlotTickRenders::jqptrCanvasAxisTickRenderer) return {};
  return {TIWZQPluginsFilesToLoad::PluginFile("canvasTextRenderer"),
          TIWZQPluginsFilesToLoad::PluginFile("canvasAxisTickRenderer")};
}
std::vector<std::string> Files(TIWZQJQPlotLabelRenders R) {
  if (R != TIWZQJQPlotLabelRenders::jqplrCanvasAxisLabelRenderer) return {};
  return {TIWZQPluginsFilesToLoad::PluginFile("canvasTextRenderer"),
          TIWZQPluginsFilesToLoad::PluginFile("canvasAxisLabelRenderer")};
}
std::vector<std::string> Files(TIWZQJQPlotLegendRenders R) {
  if (R != TIWZQJQPlotLegendRenders::jqplrEnhancedLegendRenderer) return {};
  return {TIWZQPluginsFilesToLoad::PluginFile("enhancedLegendRenderer")};
}

}  // namespace

void ZQSetChartLog(TZQChartLogFn AFn) {
  gChartLog = AFn ? AFn : &StdErrLog;
}
void ZQChartLog(const std::string& AMessage) {
  gChartLog(AMessage);
}

void ZQAppendStrictJSon(std::string& AOut, const ISuperObject& ANode) {
  AppendStrict(AOut, ANode.get(), 0);
}

std::string ZQStrictJSonText(const ISuperObject& ANode) {
  std::string out;
  ZQAppendStrictJSon(out, ANode);
  return out;
}

namespace {

// ZQScriptBlockSafe appended to AOut: the text between two "</" goes in one
// piece (page data can be megabytes).
void AppendScriptBlockSafe(std::string& AOut, std::string_view AText) {
  AOut.reserve(AOut.size() + AText.size());
  std::size_t from = 0;
  for (std::size_t at = AText.find("</"); at != std::string_view::npos;
       at = AText.find("</", at + 2)) {
    AOut.append(AText.substr(from, at + 1 - from));
    AOut.push_back('\\');
    from = at + 1;
  }
  AOut.append(AText.substr(from));
}

}  // namespace

std::string ZQScriptBlockSafe(std::string_view AText) {
  std::string out;
  AppendScriptBlockSafe(out, AText);
  return out;
}

// ---------------------------------------------------------------- plug-in files

ZQ_IMPLEMENT_CLASS(TIWZQPluginsFilesToLoad) {}

std::string TIWZQPluginsFilesToLoad::PluginFile(const std::string& AStem) {
  return ZQMinFile("jqPlot/plugins/jqplot." + AStem + ".js",
                   "jqPlot/plugins/jqplot." + AStem + ".min.js");
}

void TIWZQPluginsFilesToLoad::AddRenderFile(const std::string& AFile) {
  if (!AFile.empty()) Add(AFile);
}
void TIWZQPluginsFilesToLoad::RemoveRenderFile(const std::string& AFile) {
  const int i = IndexOf(AFile);
  if (i >= 0) Delete(i);
}

#define ZQ_PLOT_FILES_OPS(KIND)                                        \
  void TIWZQPluginsFilesToLoad::AddRenderFile(KIND ARenderer) {        \
    for (const std::string& f : Files(ARenderer)) AddRenderFile(f);    \
  }                                                                    \
  void TIWZQPluginsFilesToLoad::RemoveRenderFile(KIND ARenderer) {     \
    for (const std::string& f : Files(ARenderer)) RemoveRenderFile(f); \
  }
ZQ_PLOT_FILES_OPS(TIWZQJQPlotSeriesRenders)
ZQ_PLOT_FILES_OPS(TIWZQJQPlotAxesRenders)
ZQ_PLOT_FILES_OPS(TIWZQJQPlotTickRenders)
ZQ_PLOT_FILES_OPS(TIWZQJQPlotLabelRenders)
ZQ_PLOT_FILES_OPS(TIWZQJQPlotLegendRenders)
#undef ZQ_PLOT_FILES_OPS

// ---------------------------------------------------------------- the control

ZQ_IMPLEMENT_CLASS(TIWZQJQCustomPlot) {
  using T = TIWZQJQCustomPlot;
  c.Prop("JQPlotOptions", &T::GetJQPlotOptions, &T::SetJQPlotOptions);
  c.Prop("JQPlotData", &T::GetJQPlotData, &T::SetJQPlotData);
  c.Prop("JQPlotConfig", &T::GetJQPlotConfig, &T::SetJQPlotConfig);
  c.Prop("JQPlotEvents", &T::GetJQPlotEvents, &T::SetJQPlotEvents);
  c.Prop("JQThemeEngine", &T::GetJQThemeEngine, &T::SetJQThemeEngine);
  c.Prop("JQReDrawAfterResize", &T::GetJQReDrawAfterResize, &T::SetJQReDrawAfterResize);
  c.Prop("RawHTMLTexts", &T::GetRawHTMLTexts, &T::SetRawHTMLTexts);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlot) {}

TIWZQJQCustomPlot::TIWZQJQCustomPlot(TComponent* AOwner) : TIWZQJQContainer(AOwner) {
  Width = 200;
  Height = 200;
  ClipRegion = false;
}

TIWZQJQCustomPlot::~TIWZQJQCustomPlot() = default;

void TIWZQJQCustomPlot::BeforeDestruction() {
  // No later request may reach a destroyed chart.
  if (!FDataUrl.empty() && !Designing()) DelZQJQMapEvent(FMapID, "GetData");
  TIWZQJQContainer::BeforeDestruction();
  FJQThemeEngine.reset();
  FJQPlotEvents.reset();
  FJQPlotConfig.reset();
  FJQPlotOptions.reset();
}

TIWZQJQPlotOptions* TIWZQJQCustomPlot::GetJQPlotOptions() {
  if (!FJQPlotOptions)
    FJQPlotOptions.reset(TIWZQJSon::CreateSingle<TIWZQJQPlotOptions>(this, "JQPlotOptions"));
  return static_cast<TIWZQJQPlotOptions*>(FJQPlotOptions.get());
}
TIWZQJQPlotConfig* TIWZQJQCustomPlot::GetJQPlotConfig() {
  if (!FJQPlotConfig)
    FJQPlotConfig.reset(TIWZQJSon::CreateSingle<TIWZQJQPlotConfig>(this, "JQPlotConfig"));
  return static_cast<TIWZQJQPlotConfig*>(FJQPlotConfig.get());
}
TIWZQJQPlotEvents* TIWZQJQCustomPlot::GetJQPlotEvents() {
  if (!FJQPlotEvents)
    FJQPlotEvents.reset(TIWZQJSon::CreateSingle<TIWZQJQPlotEvents>(this, "JQPlotEvents"));
  return static_cast<TIWZQJQPlotEvents*>(FJQPlotEvents.get());
}
TIWZQJQPlotThemeEngine* TIWZQJQCustomPlot::GetJQThemeEngine() {
  if (!FJQThemeEngine)
    FJQThemeEngine.reset(TIWZQJSon::CreateSingle<TIWZQJQPlotThemeEngine>(this, "JQThemeEngine"));
  return static_cast<TIWZQJQPlotThemeEngine*>(FJQThemeEngine.get());
}

void TIWZQJQCustomPlot::SetJQPlotData(const std::string& AValue) {
  const std::string v = AValue.empty() ? std::string("[]") : AValue;
  if (v != FJQPlotData) FJQPlotData = v;
}

// ---------------------------------------------------------------- client calls

std::string TIWZQJQCustomPlot::DoProtectMethod(const std::string& AStatement) {
  const std::string b = ZQIfDebug("\r\n");
  const std::string obj = GetObjectName();
  return Format("if ((typeof(%s) != \"undefined\") && (%s != null)) {", obj, obj) + b + AStatement +
         b + "}" + b;
}

std::string TIWZQJQCustomPlot::NodeText(ISuperObject ANode) {
  CheckNilSO(ANode);
  return ZQOptionJSonText(ANode, JSonIdent(), JSonEscape(), JSonNameQuote());
}

std::string TIWZQJQCustomPlot::Call(const std::string& ATail) {
  return DoProtectMethod(GetObjectName() + ATail);
}

std::string TIWZQJQCustomPlot::jsDestroyJQPlot() {
  return Call(".destroy();");
}
void TIWZQJQCustomPlot::DestroyJQPlot() {
  AddJavaScriptToResponse(jsDestroyJQPlot(), true, true);
}
std::string TIWZQJQCustomPlot::jsDrawJQPlot() {
  return Call(".draw();");
}
void TIWZQJQCustomPlot::DrawJQPlot() {
  AddJavaScriptToResponse(jsDrawJQPlot(), true, true);
}
std::string TIWZQJQCustomPlot::jsDrawSeries(ISuperObject AOptions, int ASeriesIndex) {
  return Call(Format(".drawSeries(%s,%d);", NodeText(AOptions), ASeriesIndex));
}
void TIWZQJQCustomPlot::DrawSeries(ISuperObject AOptions, int ASeriesIndex) {
  AddJavaScriptToResponse(jsDrawSeries(AOptions, ASeriesIndex), true, true);
}
std::string TIWZQJQCustomPlot::jsInit(const std::string& ATarget, ISuperObject AData,
                                      ISuperObject AOptions) {
  return Call(Format(".init(%s,%s,%s);", ATarget, NodeText(AData), NodeText(AOptions)));
}
void TIWZQJQCustomPlot::Init(const std::string& ATarget, ISuperObject AData,
                             ISuperObject AOptions) {
  AddJavaScriptToResponse(jsInit(ATarget, AData, AOptions), true, true);
}
std::string TIWZQJQCustomPlot::jsMoveSeriesToBack(int ASeriesIndex) {
  return Call(Format(".moveSeriesToBack(%d);", ASeriesIndex));
}
void TIWZQJQCustomPlot::MoveSeriesToBack(int ASeriesIndex) {
  AddJavaScriptToResponse(jsMoveSeriesToBack(ASeriesIndex), true, true);
}
std::string TIWZQJQCustomPlot::jsMoveSeriesToFront(int ASeriesIndex) {
  return Call(Format(".moveSeriesToFront(%d);", ASeriesIndex));
}
void TIWZQJQCustomPlot::MoveSeriesToFront(int ASeriesIndex) {
  AddJavaScriptToResponse(jsMoveSeriesToFront(ASeriesIndex), true, true);
}
std::string TIWZQJQCustomPlot::jsQuickInit() {
  return Call(".quickInit();");
}
void TIWZQJQCustomPlot::QuickInit() {
  AddJavaScriptToResponse(jsQuickInit(), true, true);
}
std::string TIWZQJQCustomPlot::jsRedraw(bool AClear) {
  return Call(Format(".redraw(%s);", JQBoolStr(AClear)));
}
void TIWZQJQCustomPlot::Redraw(bool AClear) {
  AddJavaScriptToResponse(jsRedraw(AClear), true, true);
}
std::string TIWZQJQCustomPlot::jsReplot(ISuperObject AOptions) {
  return Call(Format(".replot(%s);", NodeText(AOptions)));
}
void TIWZQJQCustomPlot::Replot(ISuperObject AOptions) {
  AddJavaScriptToResponse(jsReplot(AOptions), true, true);
}
std::string TIWZQJQCustomPlot::jsResetAxesScale(bool AAxes, ISuperObject AOptions) {
  return Call(Format(".resetAxesScale(%s,%s);", JQBoolStr(AAxes), NodeText(AOptions)));
}
void TIWZQJQCustomPlot::ResetAxesScale(bool AAxes, ISuperObject AOptions) {
  AddJavaScriptToResponse(jsResetAxesScale(AAxes, AOptions), true, true);
}
std::string TIWZQJQCustomPlot::jsRestoreOriginalSeriesOrder() {
  return Call(".restoreOriginalSeriesOrder()");
}
void TIWZQJQCustomPlot::RestoreOriginalSeriesOrder() {
  AddJavaScriptToResponse(jsRestoreOriginalSeriesOrder(), true, true);
}
std::string TIWZQJQCustomPlot::jsRestorePreviousSeriesOrder() {
  return Call(".restorePreviousSeriesOrder()");
}
void TIWZQJQCustomPlot::RestorePreviousSeriesOrder() {
  AddJavaScriptToResponse(jsRestorePreviousSeriesOrder(), true, true);
}
std::string TIWZQJQCustomPlot::jsReInitialize(ISuperObject AData, ISuperObject AOptions) {
  return Call(Format(".reInitialize(%s,%s);", NodeText(AData), NodeText(AOptions)));
}
void TIWZQJQCustomPlot::ReInitialize(ISuperObject AData, ISuperObject AOptions) {
  AddJavaScriptToResponse(jsReInitialize(AData, AOptions), true, true);
}

std::string TIWZQJQCustomPlot::jsChartToImage(TIWZQJSContainer* AImage) {
  TIWZQJScript s;
  s.Add("var jqplotImg = " + ZQGetJQuery(GetJQHTMLName()) + ".jqplotToImageElem();");
  s.Add("var $img = " + AImage->GetIDJQuery() + ";");
  s.Add("if ($img.length > 0) {");
  s.Add(" $img[0].src = jqplotImg.src;");
  s.AddF(" %s(jqplotImg).remove();", ZQJQuery);
  s.Add("}");
  return s.GetJoined();
}

void TIWZQJQCustomPlot::ChartToImage(TIWZQJSContainer* AImage) {
  if (!AImage) throw EIWZQJQuery("Image cannot be nil.");
  if (!dynamic_cast<IIWZQJQCustomImageInterface*>(AImage))
    throw EIWZQJQuery("Invalid component type.");
  AddJavaScriptToResponse(jsChartToImage(AImage), true, true);
}

// ---------------------------------------------------------------- remote data

const std::string& TIWZQJQCustomPlot::GetMapID() {
  if (FMapID.empty()) FMapID = ZQNewGUIDHTMLMapID();
  return FMapID;
}

std::string TIWZQJQCustomPlot::RegisterDataUrl() {
  if (FDataUrl.empty()) {
    TIWApplication* app = GetIWApplication();
    FDataUrl = AddZQJQMapEvent(GetMapID(), "GetData", app ? app->AppID() : std::string(),
                               TIWZQJQMapEvent(this, &TIWZQJQCustomPlot::UrlHandler), mrtError);
  }
  return FDataUrl;
}

void TIWZQJQCustomPlot::UrlHandler(const std::string&, TStringList*, THTTPRequest&,
                                   THTTPReply& AReply) {
  TIWZQJQPlotOptions* opts = GetJQPlotOptions();
  try {
    if (opts->GetOnGetJQPlotData()) {
      ISuperObject data;
      opts->GetOnGetJQPlotData()(this, data);
      if (!data) data = TSuperObject::Create(stArray);
      std::string body;
      ZQAppendStrictJSon(body, data);
      AReply.SetContentType("application/json");
      AReply.SetBody(std::move(body));
      // A tree of many points takes a while to free: after the reply has gone.
      AReply.Keep(std::make_shared<ISuperObject>(std::move(data)));
    } else if (opts->GetOnGetJQPlotDataEx()) {
      TStringList lines;
      opts->GetOnGetJQPlotDataEx()(this, &lines);
      ISuperObject data = TSuperObject::Create(stArray);
      for (int i = 0; i < lines.Count(); ++i)
        data->AsArray()->Add(TSuperObject::Create(lines.Strings(i)));
      AReply.SetContentType("application/json");
      AReply.SetBody(ZQStrictJSonText(data));
    }
  } catch (const EAbort&) {
    throw;
  } catch (const std::exception& e) {
    // The browser gets no detail of the failure; the server log does.
    ZQChartLog(Format("Chart \"%s\": the data handler failed: %s", GetName(), e.what()));
    AReply.SetCode(500, "Internal Server Error");
    AReply.SetContentType("text/plain");
    AReply.SetBody("The chart data could not be produced.");
  }
}

// ---------------------------------------------------------------- render

void TIWZQJQCustomPlot::GetJSFilesToLoad(TIWZQPluginsFilesToLoad* AList) {
  if (!AList) return;
  TIWZQJQPlotOptions* o = GetJQPlotOptions();
  auto series = [AList](TIWZQJQPlotOptionsSeriesDefaults* s) {
    AList->AddRenderFile(s->GetRenderer());
    if (s->GetPointLabels()->GetShow())
      AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("pointLabels"));
    if (s->GetTrendline()->GetShow())
      AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("trendline"));
  };
  auto axis = [AList](TIWZQJQPlotOptionsAxesDefaults* a) {
    AList->AddRenderFile(a->GetAxesRender());
    if (a->GetAxesRender() == TIWZQJQPlotAxesRenders::jqparCategoryAxisRenderer)
      if (auto* c =
              dynamic_cast<TIWZQJQPlotCategoryAxisRendererOptions*>(a->GetAxesRenderOptions()))
        AList->AddRenderFile(c->GetTickRenderer());
    AList->AddRenderFile(a->GetTickRenderer());
    AList->AddRenderFile(a->GetLabelRenderer());
  };
  series(o->GetSeriesDefaults());
  for (int i = 0; i < o->GetSeries()->Count(); ++i) series(o->GetSeries()->Items(i));
  axis(o->GetAxesDefaults());
  for (int i = 0; i < o->GetAxes()->Count(); ++i) axis(o->GetAxes()->Items(i)->GetOptions());
  if (o->GetLegend()->GetShow()) AList->AddRenderFile(o->GetLegend()->GetLegendRenderer());
  if (o->GetCursor()->GetShow())
    AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("cursor"));
  if (o->GetDragable()->GetEnable())
    AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("dragable"));
  if (o->GetHighLighter()->GetShow())
    AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("highlighter"));
  if (o->GetCanvasOverlay()->GetShow())
    AList->AddRenderFile(TIWZQPluginsFilesToLoad::PluginFile("canvasOverlay"));
}

void TIWZQJQCustomPlot::GetScriptLinks(TStringList& AList) {
  TIWZQJQContainer::GetScriptLinks(AList);
  if (Designing()) return;
  if (TIWApplication* app = GetIWApplication())
    if (BrowserIsLTEIE8(app->Browser()))
      AList.Add(ZQMinFile("jqPlot/excanvas.js", "jqPlot/excanvas.min.js"));
  AList.Add(ZQMinFile("jqPlot/jquery.jqplot.js", "jqPlot/jquery.jqplot.min.js"));
  TIWZQPluginsFilesToLoad files;
  GetJSFilesToLoad(&files);
  for (int i = 0; i < files.Count(); ++i) AList.Add(files.Strings(i));
  if (GetJQPlotOptions()->GetDataRendererType() == TIWZQJQPlotDataRendererType::jqpdrtJSON)
    AList.Add(TIWZQPluginsFilesToLoad::PluginFile("ciParser"));
}

std::unique_ptr<TIWHTMLTag> TIWZQJQCustomPlot::RenderHTML(TIWCompContext& AContext) {
  std::unique_ptr<TIWHTMLTag> tag = TIWZQJQContainer::RenderHTML(AContext);
  ZQAddLinkFile(AContext, ZQJsUrlBase,
                ZQMinFile("jqPlot/jquery.jqplot.css", "jqPlot/jquery.jqplot.min.css"), Designing());
  return tag;
}

std::string TIWZQJQCustomPlot::OptionsText() {
  return OptionText(GetJQPlotOptions());
}

std::string TIWZQJQCustomPlot::GetConfigScript() {
  ISuperObject json = GetJQPlotConfig()->GetJSon();
  if (!json || json->GetDataType() != stObject || SOIsEmptyObject(json)) return {};
  const std::string b = ZQIfDebug("\r\n");
  const std::string prefix = ZQJQuery + ".jqplot.config";
  std::string out;
  json->AsObject()->ForEach([&](const std::string& AName, const ISuperObject& AValue) {
    if (!AValue) return true;
    switch (AValue->GetDataType()) {
      case stBoolean:
        out += Format("%s.%s = %s;", prefix, AName, JQBoolStr(AValue->AsBoolean()));
        break;
      case stInt:
        out += Format("%s.%s = %d;", prefix, AName, static_cast<long long>(AValue->AsInteger()));
        break;
      case stDouble: {
        std::string number;
        SuperAppendDouble(number, AValue->AsDouble());
        out += Format("%s.%s = %s;", prefix, AName, number);
        break;
      }
      case stArray:
        out += Format("%s.%s = %s;", prefix, AName, AValue->AsJSon(false, true, false));
        break;
      case stString:
        out += Format("%s.%s = %s;", prefix, AName, ZQJsEscape(AValue->AsString()));
        break;
      default:
        return true;
    }
    out += b;
    return true;
  });
  return out;
}

std::string TIWZQJQCustomPlot::GetEventBindings() {
  if (!FJQPlotEvents) return {};
  TIWZQJQPlotEvents* ev = GetJQPlotEvents();
  const std::string b = ZQIfDebug("\r\n");
  std::string out;
  for (int i = TIWZQJQPlotEvents::kOnDataClick; i <= TIWZQJQPlotEvents::kOnDataUnhighlight; ++i) {
    auto* f = dynamic_cast<TIWZQFunc*>(ev->GetFuncValue(i));
    if (!f || f->GetScriptToHTML().empty()) continue;
    out += Format("%s(\"#%s\").bind(\"%s\",%s);", ZQJQuery, GetJQHTMLName(),
                  ev->CheckJSonMember(i)->Name(), f->GetScriptToExecute()) +
           b;
  }
  return out;
}

std::string TIWZQJQCustomPlot::GetRenderScript() {
  std::string out = TIWZQJQContainer::GetRenderScript();
  if (Designing()) return out;
  TIWZQJQPlotOptions* opts = GetJQPlotOptions();
  if (FJQPlotData == "[]" && !opts->GetRemoteSource()) return out;
  const std::string b = ZQIfDebug("\r\n");
  const std::string name = GetHTMLName();
  const std::string obj = GetObjectName();
  if (FJQPlotEvents) {
    TIWZQFunc* before = GetJQPlotEvents()->GetOnBeforeInit();
    if (before->GetHasScript()) out += before->GetScriptToExecute();
  }
  out += "var ";
  out += name;
  out += "_DATA = ";
  AppendScriptBlockSafe(out, FJQPlotData);
  out += ";";
  out += b;
  out += Format("var %s = null;", obj) + b;
  out += GetConfigScript() + b;
  out += JQueryReady(false) + "function(){" + b;
  out += Format("%s = %s.jqplot(\"%s\",%s_DATA,%s);", obj, ZQJQuery, name, name, OptionsText()) + b;
  out += GetEventBindings();
  if (FJQThemeEngine) out += GetJQThemeEngine()->GetThemesScript();
  out += "});" + b;
  return out;
}

std::string TIWZQJQCustomPlot::GetAfterResizeScript() {
  if (!FJQReDrawAfterResize) return {};
  const std::string b = ZQIfDebug("\r\n");
  const std::string obj = GetObjectName();
  std::string out;
  if (GetJQPlotOptions()->GetSeriesDefaults()->GetRenderer() ==
      TIWZQJQPlotSeriesRenders::jqprBarRenderer) {
    out += Format("%s.each(%s.series,function(index,series){", ZQJQuery, obj) + b;
    out += "series.barWidth = undefined;" + b;
    out += "});" + b;
  }
  out += obj + ".replot({resetAxes:true});" + b;
  return out;
}

std::string TIWZQJQCustomPlot::GetDocumentationLink() {
  return "http://www.jqplot.com/docs/files/optionsTutorial-txt.html";
}

void TIWZQJQCustomPlot::ResetJSonProps() {
  TIWZQJQContainer::ResetJSonProps();
  TIWZQJQPlotOptions* opts = GetJQPlotOptions();
  opts->ResetCustomProps();
  FJQPlotData = "[]";
  GetJQPlotConfig()->ResetProps();
  GetJQPlotEvents()->ResetProps();
  GetJQThemeEngine()->ResetProps();
  GetJQThemeEngine()->ResetCustomProps();
  opts->SetOnGetJQPlotData({});
  opts->SetOnGetJQPlotDataEx({});
}

}  // namespace zq
