#include "components/chart/chartoptions.h"

#include <initializer_list>

#include "components/chart/chart.h"
#include "events/jscript.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"

namespace zq {

namespace {

using ClassFn = const ClassInfo& (*)();

// Kind-to-class tables, in enumeration order.
const ClassFn kSeriesRendererClasses[] = {&TIWZQJQPlotBarRendererOptions::StaticClass,
                                          &TIWZQJQPlotBlockRendererOptions::StaticClass,
                                          &TIWZQJQPlotBubbleRendererOptions::StaticClass,
                                          &TIWZQJQPlotDonutRendererOptions::StaticClass,
                                          &TIWZQJQPlotFunnelRendererOptions::StaticClass,
                                          &TIWZQJQPlotLineRendererOptions::StaticClass,
                                          &TIWZQJQPlotMekkoRendererOptions::StaticClass,
                                          &TIWZQJQPlotMeterGaugeRendererOptions::StaticClass,
                                          &TIWZQJQPlotOHLCRendererOptions::StaticClass,
                                          &TIWZQJQPlotPieRendererOptions::StaticClass,
                                          &TIWZQJQPlotBezierCurveRendererOptions::StaticClass};
const ClassFn kAxesRendererClasses[] = {&TIWZQJQPlotDateAxisRendererOptions::StaticClass,
                                        &TIWZQJQPlotLinearAxisRendererOptions::StaticClass,
                                        &TIWZQJQPlotLogAxisRendererOptions::StaticClass,
                                        &TIWZQJQPlotMekkoAxisRendererOptions::StaticClass,
                                        &TIWZQJQPlotCategoryAxisRendererOptions::StaticClass};
const ClassFn kTickRendererClasses[] = {&TIWZQJQPlotCanvasAxisTickRendererOptions::StaticClass,
                                        &TIWZQJQPlotAxisTickRendererOptions::StaticClass};
const ClassFn kLabelRendererClasses[] = {&TIWZQJQPlotCanvasAxisLabelRendererOptions::StaticClass,
                                         &TIWZQJQPlotAxisLabelRendererOptions::StaticClass};
const ClassFn kLegendRendererClasses[] = {&TIWZQJQPlotEnhancedLegendRendererOptions::StaticClass,
                                          &TIWZQJQPlotLegendRendererDefault::StaticClass};

template <std::size_t N>
const ClassInfo& KindClass(const ClassFn (&ATable)[N], int AKind) {
  return ATable[static_cast<std::size_t>(AKind) < N ? AKind : 0]();
}

// The options object of a switch, created for the current kind on first use.
template <class Base, std::size_t N>
Base* SlotOptions(TIWZQJSon* AOwner, TZQPlotRendererSlot& ASlot, const ClassFn (&ATable)[N],
                  const char* APropName) {
  if (!ASlot.Options)
    ASlot.Options.reset(TIWZQJSon::CreateSingle(KindClass(ATable, ASlot.Kind), AOwner, APropName));
  return static_cast<Base*>(ASlot.Options.get());
}

// A new kind frees the options object; the next read creates one of the
// new kind's class. The same kind changes nothing.
void SlotSetKind(TZQPlotRendererSlot& ASlot, int AKind) {
  if (ASlot.Kind == AKind) return;
  ASlot.Options.reset();
  ASlot.Kind = AKind;
}

template <class Base, std::size_t N>
void SlotAssign(TIWZQJSon* AOwner, TZQPlotRendererSlot& ASlot, const TZQPlotRendererSlot& ASource,
                const ClassFn (&ATable)[N], const char* APropName) {
  SlotSetKind(ASlot, ASource.Kind);
  if (ASource.Options)
    SlotOptions<Base>(AOwner, ASlot, ATable, APropName)->Assign(ASource.Options.get());
}

template <class T>
T* View(TIWZQJSon* AOptions) {
  auto* t = dynamic_cast<T*>(AOptions);
  if (!t) throw EInvalidCast("Invalid class typecast");
  return t;
}

bool IsEmpty(const ISuperObject& ANode) {
  return !ANode || (ANode->GetDataType() == stObject && SOIsEmptyObject(ANode));
}

ISuperObject Raw(const std::string& AScript) {
  return TSuperObject::Create(AScript, true);
}

ISuperObject ObjectOrEmpty(ISuperObject ANode) {
  return ANode ? ANode : SO();
}

// The renderer name and options of a switch: "renderer" (raw script) unless
// the kind is the default one or the name is empty, then the options' JSON
// unless empty (or always, with AAlways).
void PutRenderer(const ISuperObject& AJSon, TIWZQJQPlotPluginBase* AOptions, bool AIsDefault,
                 const char* ARendererName, const char* AOptionsName, bool AAlways) {
  if (!AIsDefault && !AOptions->GetRendererJSon().empty())
    AJSon->PutO(ARendererName, Raw(AOptions->GetRendererJSon()));
  ISuperObject o = AOptions->GetJSon();
  if (AAlways || !IsEmpty(o)) AJSon->PutO(AOptionsName, ObjectOrEmpty(o));
}

// Texts jqPlot inserts as HTML, escaped unless the chart allows raw HTML:
// string members, and the string elements of array members.
void EscapeTexts(const TPersistent* AObject, const ISuperObject& AJSon,
                 std::initializer_list<const char*> ANames) {
  if (!AJSon || AJSon->GetDataType() != stObject) return;
  TIWZQJQCustomPlot* plot = ZQFindOwningPlot(AObject);
  if (plot && plot->GetRawHTMLTexts()) return;
  for (const char* name : ANames) {
    ISuperObject v = AJSon->AsObject()->GetO(name);
    if (!v) continue;
    if (v->GetDataType() == stString) {
      AJSon->AsObject()->PutO(name, TSuperObject::Create(HTMLEscape(v->AsString())));
    } else if (TSuperArray* a = v->AsArray()) {
      for (std::size_t i = 0; i < a->Length(); ++i) {
        const ISuperObject& e = (*a)[i];
        if (e && e->GetDataType() == stString)
          a->PutO(i, TSuperObject::Create(HTMLEscape(e->AsString())));
      }
    }
  }
}

std::string FixedFor(TObject* AFunc, const char* AProp, const char* AScript) {
  auto* f = dynamic_cast<TIWZQFunc*>(AFunc);
  return f && f->PropName() == AProp ? std::string(AScript) : std::string();
}

constexpr const char* kDefaultTickFormatter = "$.jqplot.DefaultTickFormatter";

}  // namespace

// ---------------------------------------------------------------- shared pieces

TIWZQJQCustomPlot* ZQFindOwningPlot(const TPersistent* AObject) {
  for (const TPersistent* p = AObject; p; p = p->GetOwner())
    if (auto* plot = dynamic_cast<TIWZQJQCustomPlot*>(const_cast<TPersistent*>(p))) return plot;
  return nullptr;
}

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotValueFunc) {
  c.Factory<TPersistent, TIWZQJSon*, std::string, TZQJSonFuncMember*>();
}

std::string TIWZQJQPlotValueFunc::GetScript(bool AForExecute) {
  std::string base = GetBaseScript(AForExecute);
  if (!base.empty() || !Adapter()) return base;
  bool atStart = false;
  return Adapter()->GetFixedScript(this, atStart);
}

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotBaseClass) {}

TIWZQJQCustomPlot* TIWZQJQPlotBaseClass::GetJQPlot() {
  TIWZQJQCustomPlot* plot = ZQFindOwningPlot(this);
  if (!plot) throw EInvalidCast("Invalid class typecast");
  return plot;
}

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotPluginBase) {}

// ---------------------------------------------------------------- arrays of arrays

ZQ_IMPLEMENT_OPTIONS(TIWZQJSonSimpleArrArray) {}
TIWZQJSonSimpleArrArrays::TIWZQJSonSimpleArrArrays()
    : TIWZQJSonList(TIWZQJSonSimpleArrArray::StaticClass(), 0) {}
ZQ_IMPLEMENT_CLASS(TIWZQJSonSimpleArrArrays) {}

// ---------------------------------------------------------------- renderer options

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotSeriesRendersBase) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotAxesRendersBase) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotTickRendersBase) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotLabelRendersBase) {}

std::string TIWZQJQPlotTickRendersBase::GetFixedScript(TObject* AFunc, bool&) {
  return FixedFor(AFunc, "Formatter", kDefaultTickFormatter);
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotBarRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotBlockRendererOptions) {}

TIWZQJQPlotBlockRendererOptions::TIWZQJQPlotBlockRendererOptions(TCollection* ACollection)
    : TIWZQJQPlotSeriesRendersBase(ACollection) {
  FRendererJSon = "$.jqplot.BlockRenderer";
}

std::string TIWZQJQPlotBlockRendererOptions::jsMoveBlock(int AIndex, int AX, int AY,
                                                         int ADuration) {
  TIWZQJQCustomPlot* plot = GetJQPlot();
  const std::string args = ADuration < 0 ? Format("%d,%d,%d", AIndex, AX, AY)
                                         : Format("%d,%d,%d,%d", AIndex, AX, AY, ADuration);
  const std::string obj = plot->GetObjectName();
  // A series entry of the series list: that series; otherwise (the series
  // defaults) every series that is drawn by the block renderer.
  auto* series = dynamic_cast<TIWZQJQPlotOptionsSeriesDefaults*>(GetOwner());
  if (series && dynamic_cast<TIWZQJQPlotOptionsSeriesList*>(series->GetCollection()))
    return plot->DoProtectMethod(
        Format("%s.series[%d].moveBlock(%s);", obj, series->GetItemIndex(), args));
  return plot->DoProtectMethod(Format(
      "%s.each(%s.series,function(i,s){if (s.moveBlock) s.moveBlock(%s);});", ZQJQuery, obj, args));
}

void TIWZQJQPlotBlockRendererOptions::MoveBlock(int AIndex, int AX, int AY, int ADuration) {
  GetJQPlot()->AddJavaScriptToResponse(jsMoveBlock(AIndex, AX, AY, ADuration), true, true);
}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotBubbleRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotDonutRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotFunnelRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotLineRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotMekkoRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotMeterGaugeRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOHLCRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotPieRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotBezierCurveRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotDateAxisRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotLinearAxisRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotLogAxisRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotMekkoAxisRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCategoryAxisRendererOptions) {
  using T = TIWZQJQPlotCategoryAxisRendererOptions;
  c.Prop("TickRenderer", &T::GetTickRenderer, &T::SetTickRenderer);
  c.Prop("TickOptions", &T::GetTickOptions, &T::SetTickOptions);
}

TIWZQJQPlotCategoryAxisRendererOptions::TIWZQJQPlotCategoryAxisRendererOptions(
    TCollection* ACollection)
    : TIWZQJQPlotAxesRendersBase(ACollection) {
  FRendererJSon = "$.jqplot.CategoryAxisRenderer";
}
void TIWZQJQPlotCategoryAxisRendererOptions::SetTickRenderer(TIWZQJQPlotTickRenders AValue) {
  SlotSetKind(FTick, static_cast<int>(AValue));
}
TIWZQJQPlotTickRendersBase* TIWZQJQPlotCategoryAxisRendererOptions::GetTickOptions() {
  return SlotOptions<TIWZQJQPlotTickRendersBase>(this, FTick, kTickRendererClasses, "TickOptions");
}
void TIWZQJQPlotCategoryAxisRendererOptions::SetTickOptions(TIWZQJQPlotTickRendersBase* AValue) {
  GetTickOptions()->Assign(AValue);
}
const ClassInfo& TIWZQJQPlotCategoryAxisRendererOptions::GetTickOptionsClass() const {
  return KindClass(kTickRendererClasses, FTick.Kind);
}
bool TIWZQJQPlotCategoryAxisRendererOptions::GetCustomJq(const std::string& APropName,
                                                         const ISuperObject&) {
  return APropName == "TickRenderer" || APropName == "TickOptions";
}
ISuperObject TIWZQJQPlotCategoryAxisRendererOptions::GetJSonEx(bool AllProps, bool ForceVal,
                                                               TIWZQResponseMemberList* Members,
                                                               bool OnlyCount) {
  ISuperObject json = TIWZQJQPlotAxesRendersBase::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members) return json;
  json = ObjectOrEmpty(json);
  PutRenderer(json, GetTickOptions(),
              GetTickRenderer() == TIWZQJQPlotTickRenders::jqptrAxisTickRenderer, "tickRenderer",
              "tickOptions", true);
  return json;
}
void TIWZQJQPlotCategoryAxisRendererOptions::Assign(const TPersistent* Source) {
  TIWZQJQPlotAxesRendersBase::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotCategoryAxisRendererOptions*>(Source))
    SlotAssign<TIWZQJQPlotTickRendersBase>(this, FTick, s->FTick, kTickRendererClasses,
                                           "TickOptions");
}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotAxisTickRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasAxisTickRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotAxisLabelRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasAxisLabelRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotLegendRendererDefault) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotEnhancedLegendRendererOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotRendersBase) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotShapeRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotShadowRendererOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotFunnelLegendOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsMarkerOptions) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsTickOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotCanvasGridRendererOptions) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotDivTitleRendererOptions) {}

// ---------------------------------------------------------------- plug-in options

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotMarkerRendererOptions) {}

std::string TIWZQJQPlotMarkerRendererOptions::GetFixedScript(TObject* AFunc, bool&) {
  std::string s = FixedFor(AFunc, "ShadowRenderer", "new $.jqplot.ShadowRenderer()");
  return s.empty() ? FixedFor(AFunc, "ShapeRenderer", "new $.jqplot.ShapeRenderer()") : s;
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCursorOptions) {}

std::string TIWZQJQPlotCursorOptions::GetFixedScript(TObject* AFunc, bool&) {
  return FixedFor(AFunc, "CursorLegendFormatString", "$.jqplot.Cursor.cursorLegendFormatString");
}

std::string TIWZQJQPlotCursorOptions::jsZoomProxy(TIWZQJQCustomPlot* ATarget,
                                                  TIWZQJQCustomPlot* AController) {
  if (!ATarget || !AController || !GetShow()) return {};
  return GetJQPlot()->DoProtectMethod(Format("%s.jqplot.Cursor.zoomProxy(%s,%s);", ZQJQuery,
                                             ATarget->GetObjectName(),
                                             AController->GetObjectName()));
}

void TIWZQJQPlotCursorOptions::ZoomProxy(TIWZQJQCustomPlot* ATarget,
                                         TIWZQJQCustomPlot* AController) {
  const std::string script = jsZoomProxy(ATarget, AController);
  if (!script.empty()) GetJQPlot()->AddJavaScriptToResponse(script, true, true);
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotDragableOptions) {}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotHighlighterOptions) {}

void TIWZQJQPlotHighlighterOptions::AfterConstruction() {
  TIWZQJQPlotBaseClass::AfterConstruction();
  GetMarkerRenderer()->SetShow(false);
}

ISuperObject TIWZQJQPlotHighlighterOptions::GetJSonEx(bool AllProps, bool ForceVal,
                                                      TIWZQResponseMemberList* Members,
                                                      bool OnlyCount) {
  ISuperObject json = TIWZQJQPlotBaseClass::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members || !json) return json;
  TIWZQJQPlotMarkerRendererOptions* m = GetMarkerRenderer();
  const std::string inner =
      ZQOptionJSonText(ObjectOrEmpty(m->GetJSon()), JSonIdent(), JSonEscape(), JSonNameQuote());
  json->PutO("markerRenderer", Raw("new $.jqplot.MarkerRenderer(" + inner + ")"));
  return json;
}

void TIWZQJQPlotHighlighterOptions::ResetCustomProps() {
  SetShow(false);
  GetMarkerRenderer()->ResetProps();
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotPointLabelsOptions) {}

std::string TIWZQJQPlotPointLabelsOptions::GetFixedScript(TObject* AFunc, bool&) {
  return FixedFor(AFunc, "Formatter", kDefaultTickFormatter);
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotTrendlineOptions) {}

void TIWZQJQPlotTrendlineOptions::AfterConstruction() {
  TIWZQJQPlotBaseClass::AfterConstruction();
  GetMarkerRenderer()->SetShow(false);
}

void TIWZQJQPlotTrendlineOptions::ResetCustomProps() {
  SetShow(false);
  GetMarkerRenderer()->SetShow(false);
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayLineBase) {}

ISuperObject TIWZQJQPlotCanvasOverlayLineBase::GetJSonEx(bool AllProps, bool,
                                                         TIWZQResponseMemberList* Members,
                                                         bool OnlyCount) {
  // The overlay's array form forces the values of its elements; a line
  // writes only what differs from its defaults, its JSON texts as JSON.
  ISuperObject json = TIWZQJSon::GetJSonEx(AllProps, false, Members, OnlyCount);
  if (Members || !WrapperName()) return json;
  ISuperObject wrapped = SO();
  wrapped->PutO(WrapperName(), ObjectOrEmpty(json));
  return wrapped;
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayLineObj) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayHorizontalLineObj) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayDashedHorizontalLineObj) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayVerticalLineObj) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayDashedVerticalLineObj) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayObjects) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotCanvasOverlayOptions) {}

// ---------------------------------------------------------------- title, grid, legend

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsTitle) {}

ISuperObject TIWZQJQPlotOptionsTitle::GetJSonEx(bool AllProps, bool ForceVal,
                                                TIWZQResponseMemberList* Members, bool OnlyCount) {
  ISuperObject json = TIWZQJSon::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  EscapeTexts(this, json, {"text"});
  return json;
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsGrid) {}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsLegend) {
  c.Prop("LegendRenderer", &TIWZQJQPlotOptionsLegend::GetLegendRenderer,
         &TIWZQJQPlotOptionsLegend::SetLegendRenderer);
  c.Prop("LegendOptions", &TIWZQJQPlotOptionsLegend::GetLegendOptions,
         &TIWZQJQPlotOptionsLegend::SetLegendOptions);
}

void TIWZQJQPlotOptionsLegend::SetLegendRenderer(TIWZQJQPlotLegendRenders AValue) {
  SlotSetKind(FLegend, static_cast<int>(AValue));
}
TIWZQJQPlotLegendRendererDefault* TIWZQJQPlotOptionsLegend::GetLegendOptions() {
  return SlotOptions<TIWZQJQPlotLegendRendererDefault>(this, FLegend, kLegendRendererClasses,
                                                       "LegendOptions");
}
void TIWZQJQPlotOptionsLegend::SetLegendOptions(TIWZQJQPlotLegendRendererDefault* AValue) {
  GetLegendOptions()->Assign(AValue);
}
const ClassInfo& TIWZQJQPlotOptionsLegend::GetLegendOptionsClass() const {
  return KindClass(kLegendRendererClasses, FLegend.Kind);
}

bool TIWZQJQPlotOptionsLegend::GetCustomJq(const std::string& APropName, const ISuperObject&) {
  return APropName == "LegendRenderer" || APropName == "LegendOptions";
}

ISuperObject TIWZQJQPlotOptionsLegend::GetJSonEx(bool AllProps, bool ForceVal,
                                                 TIWZQResponseMemberList* Members, bool OnlyCount) {
  ISuperObject json = TIWZQJQPlotBaseClass::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members || !json) return json;
  EscapeTexts(this, json, {"labels"});
  PutRenderer(json, GetLegendOptions(),
              GetLegendRenderer() == TIWZQJQPlotLegendRenders::jqplrDefault, "renderer",
              "rendererOptions", false);
  return json;
}

void TIWZQJQPlotOptionsLegend::Assign(const TPersistent* Source) {
  TIWZQJQPlotBaseClass::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotOptionsLegend*>(Source))
    SlotAssign<TIWZQJQPlotLegendRendererDefault>(this, FLegend, s->FLegend, kLegendRendererClasses,
                                                 "LegendOptions");
}

// ---------------------------------------------------------------- axes

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsAxesDefaults) {
  using T = TIWZQJQPlotOptionsAxesDefaults;
  c.Prop("TickRenderer", &T::GetTickRenderer, &T::SetTickRenderer);
  c.Prop("TickOptions", &T::GetTickOptions, &T::SetTickOptions);
  c.Prop("LabelRenderer", &T::GetLabelRenderer, &T::SetLabelRenderer);
  c.Prop("LabelOptions", &T::GetLabelOptions, &T::SetLabelOptions);
  c.Prop("AxesRender", &T::GetAxesRender, &T::SetAxesRender);
  c.Prop("AxesRenderOptions", &T::GetAxesRenderOptions, &T::SetAxesRenderOptions);
}

void TIWZQJQPlotOptionsAxesDefaults::SetTickRenderer(TIWZQJQPlotTickRenders AValue) {
  SlotSetKind(FTick, static_cast<int>(AValue));
}
TIWZQJQPlotTickRendersBase* TIWZQJQPlotOptionsAxesDefaults::GetTickOptions() {
  return SlotOptions<TIWZQJQPlotTickRendersBase>(this, FTick, kTickRendererClasses, "TickOptions");
}
void TIWZQJQPlotOptionsAxesDefaults::SetTickOptions(TIWZQJQPlotTickRendersBase* AValue) {
  GetTickOptions()->Assign(AValue);
}
void TIWZQJQPlotOptionsAxesDefaults::SetLabelRenderer(TIWZQJQPlotLabelRenders AValue) {
  SlotSetKind(FLabel, static_cast<int>(AValue));
}
TIWZQJQPlotLabelRendersBase* TIWZQJQPlotOptionsAxesDefaults::GetLabelOptions() {
  return SlotOptions<TIWZQJQPlotLabelRendersBase>(this, FLabel, kLabelRendererClasses,
                                                  "LabelOptions");
}
void TIWZQJQPlotOptionsAxesDefaults::SetLabelOptions(TIWZQJQPlotLabelRendersBase* AValue) {
  GetLabelOptions()->Assign(AValue);
}
void TIWZQJQPlotOptionsAxesDefaults::SetAxesRender(TIWZQJQPlotAxesRenders AValue) {
  SlotSetKind(FAxes, static_cast<int>(AValue));
}
TIWZQJQPlotAxesRendersBase* TIWZQJQPlotOptionsAxesDefaults::GetAxesRenderOptions() {
  return SlotOptions<TIWZQJQPlotAxesRendersBase>(this, FAxes, kAxesRendererClasses,
                                                 "AxesRenderOptions");
}
void TIWZQJQPlotOptionsAxesDefaults::SetAxesRenderOptions(TIWZQJQPlotAxesRendersBase* AValue) {
  GetAxesRenderOptions()->Assign(AValue);
}
const ClassInfo& TIWZQJQPlotOptionsAxesDefaults::GetTickOptionsClass() const {
  return KindClass(kTickRendererClasses, FTick.Kind);
}
const ClassInfo& TIWZQJQPlotOptionsAxesDefaults::GetLabelOptionsClass() const {
  return KindClass(kLabelRendererClasses, FLabel.Kind);
}
const ClassInfo& TIWZQJQPlotOptionsAxesDefaults::GetAxesRendersOptionsClass() const {
  return KindClass(kAxesRendererClasses, FAxes.Kind);
}

TIWZQJQPlotAxisTickRendererOptions* TIWZQJQPlotOptionsAxesDefaults::TickAxisOptions() {
  return View<TIWZQJQPlotAxisTickRendererOptions>(GetTickOptions());
}
TIWZQJQPlotCanvasAxisTickRendererOptions* TIWZQJQPlotOptionsAxesDefaults::TickCanvasAxisOptions() {
  return View<TIWZQJQPlotCanvasAxisTickRendererOptions>(GetTickOptions());
}
TIWZQJQPlotAxisLabelRendererOptions* TIWZQJQPlotOptionsAxesDefaults::LabelAxisOptions() {
  return View<TIWZQJQPlotAxisLabelRendererOptions>(GetLabelOptions());
}
TIWZQJQPlotCanvasAxisLabelRendererOptions*
TIWZQJQPlotOptionsAxesDefaults::LabelCanvasAxisOptions() {
  return View<TIWZQJQPlotCanvasAxisLabelRendererOptions>(GetLabelOptions());
}

bool TIWZQJQPlotOptionsAxesDefaults::GetCustomJq(const std::string& APropName,
                                                 const ISuperObject&) {
  return APropName == "TickRenderer" || APropName == "TickOptions" ||
         APropName == "LabelRenderer" || APropName == "LabelOptions" || APropName == "AxesRender" ||
         APropName == "AxesRenderOptions";
}

void TIWZQJQPlotOptionsAxesDefaults::AddRenderers(const ISuperObject& AJSon) {
  PutRenderer(AJSon, GetAxesRenderOptions(),
              GetAxesRender() == TIWZQJQPlotAxesRenders::jqparLinearAxisRenderer, "renderer",
              "rendererOptions", false);
  PutRenderer(AJSon, GetTickOptions(),
              GetTickRenderer() == TIWZQJQPlotTickRenders::jqptrAxisTickRenderer, "tickRenderer",
              "tickOptions", false);
  PutRenderer(AJSon, GetLabelOptions(),
              GetLabelRenderer() == TIWZQJQPlotLabelRenders::jqplrAxisLabelRenderer,
              "labelRenderer", "labelOptions", false);
}

ISuperObject TIWZQJQPlotOptionsAxesDefaults::GetJSonEx(bool AllProps, bool ForceVal,
                                                       TIWZQResponseMemberList* Members,
                                                       bool OnlyCount) {
  ISuperObject json = TIWZQJQPlotBaseClass::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members || !json) return json;
  EscapeTexts(this, json, {"label", "ticks"});
  AddRenderers(json);
  return json;
}

void TIWZQJQPlotOptionsAxesDefaults::ResetCustomProps() {
  SetTickRenderer(TIWZQJQPlotTickRenders::jqptrAxisTickRenderer);
  SetLabelRenderer(TIWZQJQPlotLabelRenders::jqplrAxisLabelRenderer);
  SetAxesRender(TIWZQJQPlotAxesRenders::jqparLinearAxisRenderer);
}

void TIWZQJQPlotOptionsAxesDefaults::Assign(const TPersistent* Source) {
  TIWZQJQPlotBaseClass::Assign(Source);
  auto* s = dynamic_cast<const TIWZQJQPlotOptionsAxesDefaults*>(Source);
  if (!s) return;
  SlotAssign<TIWZQJQPlotTickRendersBase>(this, FTick, s->FTick, kTickRendererClasses,
                                         "TickOptions");
  SlotAssign<TIWZQJQPlotLabelRendersBase>(this, FLabel, s->FLabel, kLabelRendererClasses,
                                          "LabelOptions");
  SlotAssign<TIWZQJQPlotAxesRendersBase>(this, FAxes, s->FAxes, kAxesRendererClasses,
                                         "AxesRenderOptions");
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsAxesItem) {
  c.Prop("AxisType", &TIWZQJQPlotOptionsAxesItem::GetAxisType,
         &TIWZQJQPlotOptionsAxesItem::SetAxisType);
}

void TIWZQJQPlotOptionsAxesItem::Assign(const TPersistent* Source) {
  TIWZQJSon::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotOptionsAxesItem*>(Source)) FAxisType = s->FAxisType;
}

TIWZQJQPlotOptionsAxes::TIWZQJQPlotOptionsAxes()
    : TIWZQJSonList(TIWZQJQPlotOptionsAxesItem::StaticClass(), 0) {
  SetFlag(kListObjectLayout, true);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsAxes) {}

ISuperObject TIWZQJQPlotOptionsAxes::GetJSonEx(bool AllProps, bool ForceVal,
                                               TIWZQResponseMemberList* Members, bool OnlyCount) {
  if (Count() == 0) return nullptr;
  ISuperObject result = SO();
  const TZQStringArray& names = ZqEnumJSonTexts(TIWZQJQPlotOptionsXYAxes{});
  for (int i = 0; i < Count(); ++i) {
    TIWZQJQPlotOptionsAxesItem* item = Items(i);
    ISuperObject o = item->GetOptions()->GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
    result->PutO(names[static_cast<std::size_t>(item->GetAxisType())], ObjectOrEmpty(o));
  }
  return result;
}

// ---------------------------------------------------------------- series

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsSeriesDefaults) {
  using T = TIWZQJQPlotOptionsSeriesDefaults;
  c.Prop("Renderer", &T::GetRenderer, &T::SetRenderer);
  c.Prop("RendererOptions", &T::GetRendererOptions, &T::SetRendererOptions);
}

void TIWZQJQPlotOptionsSeriesDefaults::AfterConstruction() {
  TIWZQJQPlotBaseClass::AfterConstruction();
  GetTrendline()->SetShow(false);
}

void TIWZQJQPlotOptionsSeriesDefaults::SetRenderer(TIWZQJQPlotSeriesRenders AValue) {
  SlotSetKind(FRenderer, static_cast<int>(AValue));
}
TIWZQJQPlotSeriesRendersBase* TIWZQJQPlotOptionsSeriesDefaults::GetRendererOptions() {
  return SlotOptions<TIWZQJQPlotSeriesRendersBase>(this, FRenderer, kSeriesRendererClasses,
                                                   "RendererOptions");
}
void TIWZQJQPlotOptionsSeriesDefaults::SetRendererOptions(TIWZQJQPlotSeriesRendersBase* AValue) {
  GetRendererOptions()->Assign(AValue);
}
const ClassInfo& TIWZQJQPlotOptionsSeriesDefaults::GetRendererOptionsClass() const {
  return KindClass(kSeriesRendererClasses, FRenderer.Kind);
}

#define ZQ_PLOT_SERIES_VIEW(NAME, CLASS)            \
  CLASS* TIWZQJQPlotOptionsSeriesDefaults::NAME() { \
    return View<CLASS>(GetRendererOptions());       \
  }
ZQ_PLOT_SERIES_VIEW(BarRendererOptions, TIWZQJQPlotBarRendererOptions)
ZQ_PLOT_SERIES_VIEW(BlockRendererOptions, TIWZQJQPlotBlockRendererOptions)
ZQ_PLOT_SERIES_VIEW(BubbleRendererOptions, TIWZQJQPlotBubbleRendererOptions)
ZQ_PLOT_SERIES_VIEW(DonutRendererOptions, TIWZQJQPlotDonutRendererOptions)
ZQ_PLOT_SERIES_VIEW(FunnelRendererOptions, TIWZQJQPlotFunnelRendererOptions)
ZQ_PLOT_SERIES_VIEW(LineRendererOptions, TIWZQJQPlotLineRendererOptions)
ZQ_PLOT_SERIES_VIEW(MekkoRendererOptions, TIWZQJQPlotMekkoRendererOptions)
ZQ_PLOT_SERIES_VIEW(MeterGaugeRendererOptions, TIWZQJQPlotMeterGaugeRendererOptions)
ZQ_PLOT_SERIES_VIEW(OHLCRendererOptions, TIWZQJQPlotOHLCRendererOptions)
ZQ_PLOT_SERIES_VIEW(PieRendererOptions, TIWZQJQPlotPieRendererOptions)
#undef ZQ_PLOT_SERIES_VIEW

bool TIWZQJQPlotOptionsSeriesDefaults::GetCustomJq(const std::string& APropName,
                                                   const ISuperObject&) {
  return APropName == "Renderer" || APropName == "RendererOptions" || APropName == "PointLabels" ||
         APropName == "Trendline";
}

ISuperObject TIWZQJQPlotOptionsSeriesDefaults::GetJSonEx(bool AllProps, bool ForceVal,
                                                         TIWZQResponseMemberList* Members,
                                                         bool OnlyCount) {
  ISuperObject json = TIWZQJQPlotBaseClass::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members || !json) return json;
  EscapeTexts(this, json, {"label"});
  PutRenderer(json, GetRendererOptions(), false, "renderer", "rendererOptions", true);
  if (GetPointLabels()->GetShow())
    json->PutO("pointLabels", ObjectOrEmpty(GetPointLabels()->GetJSon()));
  if (GetTrendline()->GetShow()) json->PutO("trendline", ObjectOrEmpty(GetTrendline()->GetJSon()));
  return json;
}

void TIWZQJQPlotOptionsSeriesDefaults::ResetCustomProps() {
  SetRenderer(TIWZQJQPlotSeriesRenders::jqprLineRenderer);
  GetPointLabels()->ResetCustomProps();
  GetTrendline()->ResetCustomProps();
}

void TIWZQJQPlotOptionsSeriesDefaults::Assign(const TPersistent* Source) {
  TIWZQJQPlotBaseClass::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotOptionsSeriesDefaults*>(Source))
    SlotAssign<TIWZQJQPlotSeriesRendersBase>(this, FRenderer, s->FRenderer, kSeriesRendererClasses,
                                             "RendererOptions");
}

TIWZQJQPlotOptionsSeriesList::TIWZQJQPlotOptionsSeriesList()
    : TIWZQJSonList(TIWZQJQPlotOptionsSeriesDefaults::StaticClass(), 0) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsSeriesList) {}

// ---------------------------------------------------------------- root

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptions) {
  using T = TIWZQJQPlotOptions;
  c.Prop("PluginVersion", &T::GetPluginVersion, nullptr).Stored(false);
  c.Prop("DataRendererType", &T::GetDataRendererType, &T::SetDataRendererType);
}

const TZQStringArray& TIWZQJQPlotOptions::DefaultSeriesColorList() {
  static const TZQStringArray colors{"#4bb2c5", "#c5b47f", "#eaa228", "#579575",
                                     "#839557", "#958c12", "#953579", "#4b5de4",
                                     "#d8b83f", "#ff5800", "#0085cc"};
  return colors;
}

namespace {

void FillList(TIWZQJSonSimpleArray* AArray, const TZQStringArray& AValues) {
  AArray->Clear();
  for (const std::string& v : AValues) AArray->Add(v);
}

bool SameList(TIWZQJSonSimpleArray* AArray, const TZQStringArray& AValues) {
  if (AArray->Count() != static_cast<int>(AValues.size())) return false;
  for (int i = 0; i < AArray->Count(); ++i)
    if (AArray->Strings(i) != AValues[static_cast<std::size_t>(i)]) return false;
  return true;
}

}  // namespace

void TIWZQJQPlotOptions::AfterConstruction() {
  TIWZQJSon::AfterConstruction();
  FillList(GetSeriesColors(), DefaultSeriesColorList());
}

bool TIWZQJQPlotOptions::IsStoredSeriesColors() {
  return !SameList(GetSeriesColors(), DefaultSeriesColorList());
}

TIWZQJQCustomPlot* TIWZQJQPlotOptions::GetJQPlot() {
  auto* plot = dynamic_cast<TIWZQJQCustomPlot*>(GetOwner());
  if (!plot) throw EInvalidCast("Invalid class typecast");
  return plot;
}

void TIWZQJQPlotOptions::DataHandlersChanged(bool AHadHandler) {
  if (AHadHandler) FRemoteSource = false;
  if (FOnGetJQPlotData || FOnGetJQPlotDataEx) {
    FRemoteSource = true;
    if (auto* plot = dynamic_cast<TIWZQJQCustomPlot*>(GetOwner())) plot->SetJQPlotData("[]");
  }
}

void TIWZQJQPlotOptions::SetOnGetJQPlotData(const TIWZQJQPlotGetDataEvent& AValue) {
  const bool had = FOnGetJQPlotData || FOnGetJQPlotDataEx;
  FOnGetJQPlotData = AValue;
  DataHandlersChanged(had);
}

void TIWZQJQPlotOptions::SetOnGetJQPlotDataEx(const TIWZQJQPlotGetDataExEvent& AValue) {
  const bool had = FOnGetJQPlotData || FOnGetJQPlotDataEx;
  FOnGetJQPlotDataEx = AValue;
  DataHandlersChanged(had);
}

std::string TIWZQJQPlotOptions::GetDataRendererUrl() {
  if (FDataUrl.empty()) FDataUrl = GetJQPlot()->RegisterDataUrl();
  return FDataUrl;
}

std::string TIWZQJQPlotOptions::GetRemoteDataRendererScript() {
  TIWZQJScript s;
  s.Add("function(plot, options) {");
  s.Add("var ret = null;");
  s.AddF("%s.ajax({", ZQJQuery);
  s.Add("async: false,");
  s.Add("dataType:\"json\",");
  s.AddF("url: %s,", ZQJsEscape(GetDataRendererUrl()));
  s.Add("success: function(data) {");
  s.Add("     ret = data;");
  s.Add("   }");
  s.Add("});");
  s.Add("return ret;");
  s.Add("}");
  return s.GetJoined();
}

bool TIWZQJQPlotOptions::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (APropName == "DataRendererType" || APropName == "Cursor" || APropName == "Dragable" ||
      APropName == "HighLighter" || APropName == "Legend" || APropName == "CanvasOverlay" ||
      APropName == "PluginVersion")
    return true;
  if (APropName == "SeriesColors") {
    // Written only while it differs from the default list.
    if (IsStoredSeriesColors()) AJSon->PutO("seriesColors", GetSeriesColors()->GetJSon());
    return true;
  }
  if (APropName == "DataRenderer" && FRemoteSource && !IsFuncStored(kDataRenderer)) {
    AJSon->PutO("dataRenderer", Raw(GetRemoteDataRendererScript()));
    return true;
  }
  return false;
}

ISuperObject TIWZQJQPlotOptions::GetJSonEx(bool AllProps, bool ForceVal,
                                           TIWZQResponseMemberList* Members, bool OnlyCount) {
  ISuperObject json = TIWZQJSon::GetJSonEx(AllProps, ForceVal, Members, OnlyCount);
  if (Members || !json) return json;
  auto put = [&](const char* AName, bool AShown, TIWZQJSon* AObj) {
    if (!AShown) return;
    ISuperObject o = AObj->GetJSon();
    if (!IsEmpty(o)) json->PutO(AName, o);
  };
  put("legend", GetLegend()->GetShow(), GetLegend());
  if (FDataRendererType == TIWZQJQPlotDataRendererType::jqpdrtJSON)
    json->PutO("dataRenderer", Raw("$.jqplot.ciParser"));
  put("cursor", GetCursor()->GetShow(), GetCursor());
  put("highlighter", GetHighLighter()->GetShow(), GetHighLighter());
  put("dragable", GetDragable()->GetEnable(), GetDragable());
  if (GetDragable()->GetEnable()) {
    // The plug-in drags only the points of series marked dragable, and marks
    // none unless every plug-in of the page is switched on.
    ISuperObject defaults = json->AsObject()->GetO("seriesDefaults");
    if (!defaults) json->PutO("seriesDefaults", defaults = SO());
    if (!defaults->AsObject()->GetO("isDragable")) defaults->PutB("isDragable", true);
  }
  put("canvasOverlay", GetCanvasOverlay()->GetShow(), GetCanvasOverlay());
  return json;
}

void TIWZQJQPlotOptions::ResetCustomProps() {
  FDataRendererType = TIWZQJQPlotDataRendererType::jqpdrtDefault;
  GetDragable()->ResetCustomProps();
  GetHighLighter()->ResetCustomProps();
  GetLegend()->ResetCustomProps();
  GetCanvasOverlay()->ResetCustomProps();
  GetSeriesDefaults()->ResetCustomProps();
  GetAxesDefaults()->ResetCustomProps();
  GetAxes()->Clear();
  GetSeries()->Clear();
}

// ---------------------------------------------------------------- configuration and events

const TZQStringArray& ZQPlotDefaultColors() {
  static const TZQStringArray colors{
      "#4bb2c5", "#EAA228", "#c5b47f", "#579575", "#839557", "#958c12", "#953579", "#4b5de4",
      "#d8b83f", "#ff5800", "#0085cc", "#c747a3", "#cddf54", "#FBD178", "#26B4E3", "#bd70c7"};
  return colors;
}

const TZQStringArray& ZQPlotDefaultNegativeColors() {
  static const TZQStringArray colors{
      "#498991", "#C08840", "#9F9274", "#546D61", "#646C4A", "#6F6621", "#6E3F5F", "#4F64B0",
      "#A89050", "#C45923", "#187399", "#945381", "#959E5C", "#C7AF7B", "#478396", "#907294"};
  return colors;
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotConfig) {}

void TIWZQJQPlotConfig::AfterConstruction() {
  TIWZQJSon::AfterConstruction();
  FillList(GetDefaultColors(), ZQPlotDefaultColors());
  FillList(GetDefaultNegativeColors(), ZQPlotDefaultNegativeColors());
}

bool TIWZQJQPlotConfig::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {
  if (APropName == "DefaultColors") {
    if (!SameList(GetDefaultColors(), ZQPlotDefaultColors()))
      AJSon->PutO("defaultColors", GetDefaultColors()->GetJSon());
    return true;
  }
  if (APropName == "DefaultNegativeColors") {
    if (!SameList(GetDefaultNegativeColors(), ZQPlotDefaultNegativeColors()))
      AJSon->PutO("defaultNegativeColors", GetDefaultNegativeColors()->GetJSon());
    return true;
  }
  return false;
}

ISuperObject TIWZQJQPlotConfig::GetJSonEx(bool AllProps, bool ForceVal,
                                          TIWZQResponseMemberList* Members, bool OnlyCount) {
  ISuperObject json = ObjectOrEmpty(TIWZQJSon::GetJSonEx(AllProps, ForceVal, Members, OnlyCount));
  if (Members) return json;
  json->PutS("srcLocation", "jqPlot/");
  json->PutS("pluginLocation", "jqPlot/plugins/");
  return json;
}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotEvents) {
  c.Prop("OnBeforeInit", &TIWZQJQPlotEvents::GetOnBeforeInit, &TIWZQJQPlotEvents::SetOnBeforeInit);
}

TIWZQJQPlotEvents::~TIWZQJQPlotEvents() = default;

TIWZQFunc* TIWZQJQPlotEvents::GetOnBeforeInit() {
  if (!FOnBeforeInit) FOnBeforeInit.reset(Create<TIWZQFunc>(this, std::string("OnBeforeInit")));
  return FOnBeforeInit.get();
}

void TIWZQJQPlotEvents::SetOnBeforeInit(TIWZQFunc* AValue) {
  GetOnBeforeInit()->Assign(AValue);
}

}  // namespace zq
