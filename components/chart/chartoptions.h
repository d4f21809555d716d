// The option tree of the chart control: the server-side model of the object
// passed to $.jqplot(target, data, options).
//
//   TIWZQJQPlotOptions (root, "JQPlotOptions")
//     Title, Grid, Legend (renderer switch LegendRenderer/LegendOptions)
//     SeriesDefaults, Series[]      series options (Renderer/RendererOptions,
//                                   MarkerOptions, PointLabels, Trendline)
//     AxesDefaults, Axes[]          axis options (AxesRender, TickRenderer,
//                                   LabelRenderer, each with its options)
//     Cursor, Dragable, HighLighter, CanvasOverlay   plug-in options
//
// Every class is an option class of rows (options/optionrows.h). A renderer
// switch holds a kind and an options object whose class the kind chooses;
// changing the kind replaces the object, and only the holder writes either
// (under "renderer"/"rendererOptions", "tickRenderer"/"tickOptions",
// "labelRenderer"/"labelOptions"). A renderer other than jqPlot's default
// writes its script name (RendererJSon, "$.jqplot.BarRenderer") as raw script.
//
// Texts that jqPlot inserts into the page as HTML (titles, labels, tick and
// legend texts) are HTML-escaped when written, unless the owning chart's
// RawHTMLTexts is set.
//
// A function member with a fixed script (a tick formatter, the marker's
// shadow and shape renderers, the cursor legend format) is written as the
// raw value it names while the application gives it no script of its own,
// and as the application's function otherwise.
#pragma once

#include <string>

#include "events/func.h"
#include "foundation/delegate.h"
#include "jqueryui/interaction.h"
#include "options/jsonlist.h"
#include "options/jsonobj.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJQCustomPlot;
class TStringList;

// ---------------------------------------------------------------- enumerations

#define ZQ_PLOT_ORIENTATION_VALUES(X) \
  X(jqpooNW, "nw")                    \
  X(jqpooN, "n")                      \
  X(jqpooNE, "ne") X(jqpooE, "e") X(jqpooSE, "se") X(jqpooS, "s") X(jqpooSW, "sw") X(jqpooW, "w")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsOrientation, ZQ_PLOT_ORIENTATION_VALUES)

#define ZQ_PLOT_LEGEND_PLACEMENT_VALUES(X) \
  X(jqplpInsideGrid, "insideGrid")         \
  X(jqplpOutsideGrid, "outsideGrid") X(jqplpInside, "inside") X(jqplpOutside, "outside")
ZQ_OPTION_ENUM(TIWZQJQPlotLegendPlacement, ZQ_PLOT_LEGEND_PLACEMENT_VALUES)

#define ZQ_PLOT_XAXES_VALUES(X) X(jqpoxXAxis, "xaxis") X(jqpoxX2Axis, "x2axis")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsXAxes, ZQ_PLOT_XAXES_VALUES)

#define ZQ_PLOT_YAXES_VALUES(X) \
  X(jqpoyYAxis, "yaxis")        \
  X(jqpoyY2Axis, "y2axis")      \
  X(jqpoyY3Axis, "y3axis")      \
  X(jqpoyY4Axis, "y4axis")      \
  X(jqpoyY5Axis, "y5axis")      \
  X(jqpoyY6Axis, "y6axis")      \
  X(jqpoyY7Axis, "y7axis") X(jqpoyY8Axis, "y8axis") X(jqpoyY9Axis, "y9axis")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsYAxes, ZQ_PLOT_YAXES_VALUES)

// The axis an item of the axes list configures; its text is the name the
// item is written under.
#define ZQ_PLOT_XYAXES_VALUES(X)                                                \
  X(jqpoxyXAxis, "xaxis")                                                       \
  X(jqpoxyX2Axis, "x2axis")                                                     \
  X(jqpoxyYAxis, "yaxis")                                                       \
  X(jqpoxyY2Axis, "y2axis")                                                     \
  X(jqpoxyY3Axis, "y3axis")                                                     \
  X(jqpoxyY4Axis, "y4axis")                                                     \
  X(jqpoxyY5Axis, "y5axis")                                                     \
  X(jqpoxyY6Axis, "y6axis") X(jqpoxyY7Axis, "y7axis") X(jqpoxyY8Axis, "y8axis") \
      X(jqpoxyY9Axis, "y9axis")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsXYAxes, ZQ_PLOT_XYAXES_VALUES)

// Renderer kinds. Their texts are not written; they name the kinds.
#define ZQ_PLOT_SERIES_RENDERS_VALUES(X)                                                        \
  X(jqprBarRenderer, "Bar")                                                                     \
  X(jqprBlockRenderer, "Block")                                                                 \
  X(jqprBubbleRenderer, "Bubble")                                                               \
  X(jqprDonutRenderer, "Donut")                                                                 \
  X(jqprFunnelRenderer, "Funnel")                                                               \
  X(jqprLineRenderer, "Line")                                                                   \
  X(jqprMekkoRenderer, "Mekko")                                                                 \
  X(jqprMeterGaugeRenderer, "MeterGauge") X(jqprOHLCRenderer, "OHLC") X(jqprPieRenderer, "Pie") \
      X(jqprBezierCurveRenderer, "BezierCurve")
ZQ_OPTION_ENUM(TIWZQJQPlotSeriesRenders, ZQ_PLOT_SERIES_RENDERS_VALUES)

#define ZQ_PLOT_AXES_RENDERS_VALUES(X) \
  X(jqparDateAxisRenderer, "Date")     \
  X(jqparLinearAxisRenderer, "Linear") \
  X(jqparLogAxisRenderer, "Log")       \
  X(jqparMekkoAxisRenderer, "Mekko") X(jqparCategoryAxisRenderer, "Category")
ZQ_OPTION_ENUM(TIWZQJQPlotAxesRenders, ZQ_PLOT_AXES_RENDERS_VALUES)

#define ZQ_PLOT_TICK_RENDERS_VALUES(X) \
  X(jqptrCanvasAxisTickRenderer, "CanvasAxisTick") X(jqptrAxisTickRenderer, "AxisTick")
ZQ_OPTION_ENUM(TIWZQJQPlotTickRenders, ZQ_PLOT_TICK_RENDERS_VALUES)

#define ZQ_PLOT_LABEL_RENDERS_VALUES(X) \
  X(jqplrCanvasAxisLabelRenderer, "CanvasAxisLabel") X(jqplrAxisLabelRenderer, "AxisLabel")
ZQ_OPTION_ENUM(TIWZQJQPlotLabelRenders, ZQ_PLOT_LABEL_RENDERS_VALUES)

#define ZQ_PLOT_LEGEND_RENDERS_VALUES(X) \
  X(jqplrEnhancedLegendRenderer, "EnhancedLegend") X(jqplrDefault, "Default")
ZQ_OPTION_ENUM(TIWZQJQPlotLegendRenders, ZQ_PLOT_LEGEND_RENDERS_VALUES)

#define ZQ_PLOT_DATA_RENDERER_TYPE_VALUES(X) X(jqpdrtDefault, "default") X(jqpdrtJSON, "json")
ZQ_OPTION_ENUM(TIWZQJQPlotDataRendererType, ZQ_PLOT_DATA_RENDERER_TYPE_VALUES)

#define ZQ_PLOT_DIRECTION_VALUES(X) X(jqpodVertical, "vertical") X(jqpodHorizontal, "horizontal")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsDirection, ZQ_PLOT_DIRECTION_VALUES)

#define ZQ_PLOT_TICK_MARK_VALUES(X) \
  X(jqpotomOutside, "outside") X(jqpotomInside, "inside") X(jqpotomCross, "cross")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsTickOptionsMark, ZQ_PLOT_TICK_MARK_VALUES)

#define ZQ_PLOT_LABEL_POSITION_VALUES(X) \
  X(jqplpAuto, "auto") X(jqplpStart, "start") X(jqplpMiddle, "middle") X(jqplpEnd, "end")
ZQ_OPTION_ENUM(TIWZQJQPlotLabelPosition, ZQ_PLOT_LABEL_POSITION_VALUES)

// The cursor styles are the interactions' (jqueryui/interaction.h); their
// texts serve the cursor option's row.
[[maybe_unused]] inline const TZQStringArray& ZqEnumJSonTexts(TIWZQJQCursorTypes AValue) {
  return ZqJsonTexts(AValue);
}

#define ZQ_PLOT_CONSTRAIN_VALUES(X) X(jqpcoctNone, "none") X(jqpcoctX, "x") X(jqpcoctY, "y")
ZQ_OPTION_ENUM(TIWZQJQPlotCursorOptionsConstrainTo, ZQ_PLOT_CONSTRAIN_VALUES)

#define ZQ_PLOT_TOOLTIP_AXES_VALUES(X) \
  X(jqphotaX, "x") X(jqphotaY, "y") X(jqphotaYX, "yx") X(jqphotaXY, "xy") X(jqphotaBoth, "both")
ZQ_OPTION_ENUM(TIWZQJQPlotHighlighterOptionsTooltipAxes, ZQ_PLOT_TOOLTIP_AXES_VALUES)

#define ZQ_PLOT_TRENDLINE_TYPE_VALUES(X) \
  X(jqptlotLinear, "linear") X(jqptlotExponential, "exponential") X(jqptlotExp, "exp")
ZQ_OPTION_ENUM(TIWZQJQPlotTrendlineOptionsType, ZQ_PLOT_TRENDLINE_TYPE_VALUES)

#define ZQ_PLOT_MARKER_STYLE_VALUES(X)    \
  X(jqpmosDiamond, "diamond")             \
  X(jqpmosCircle, "circle")               \
  X(jqpmosSquare, "square")               \
  X(jqpmosX, "x")                         \
  X(jqpmosPlus, "plus")                   \
  X(jqpmosDash, "dash")                   \
  X(jqpmosFilledDiamond, "filledDiamond") \
  X(jqpmosFilledCircle, "filledCircle") X(jqpmosFilledSquare, "filledSquare")
ZQ_OPTION_ENUM(TIWZQJQPlotMarkerOptionsStyle, ZQ_PLOT_MARKER_STYLE_VALUES)

#define ZQ_PLOT_LINE_CAP_VALUES(X) \
  X(jqcololcRound, "round") X(jqcololcButt, "butt") X(jqcololcSquare, "square")
ZQ_OPTION_ENUM(TIWZQJQPlotCanvasOverlayLineBaseLineCap, ZQ_PLOT_LINE_CAP_VALUES)

// ---------------------------------------------------------------- shared pieces

// The chart an option object belongs to: the first TIWZQJQCustomPlot up its
// owner chain, or none.
TIWZQJQCustomPlot* ZQFindOwningPlot(const TPersistent* AObject);

// A function member with a fixed script: without a script of its own (no
// script text, no handler) it is written as the fixed script itself, a raw
// value such as $.jqplot.DefaultTickFormatter; with one, as the
// application's function.
class TIWZQJQPlotValueFunc : public TIWZQJSonFunc {
  ZQ_CLASS(TIWZQJQPlotValueFunc, TIWZQJSonFunc)
  using TIWZQJSonFunc::TIWZQJSonFunc;
  std::string GetScript(bool AForExecute) override;
};

// An option object that knows its chart.
class TIWZQJQPlotBaseClass : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQPlotBaseClass, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
  // Raises EInvalidCast "Invalid class typecast" when no chart owns it.
  TIWZQJQCustomPlot* GetJQPlot();
};

// A renderer's options; RendererJSon is the renderer's script name (empty
// for jqPlot's default renderers).
class TIWZQJQPlotPluginBase : public TIWZQJQPlotBaseClass {
  ZQ_CLASS(TIWZQJQPlotPluginBase, TIWZQJQPlotBaseClass)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  const std::string& GetRendererJSon() const { return FRendererJSon; }
  void SetRendererJSon(const std::string& AValue) { FRendererJSon = AValue; }

 protected:
  std::string FRendererJSon;
};

// Renderer holders keep one of these per switch.
struct TZQPlotRendererSlot {
  int Kind = 0;
  Owned<TIWZQJSon> Options;
};

// ---------------------------------------------------------------- arrays of arrays

#define ZQ_PLOT_SIMPLE_ARR_ARRAY_ROWS(X) X(SimpleArray, Array_, "array", true)

// One inner array of an array of arrays.
class TIWZQJSonSimpleArrArray : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJSonSimpleArrArray, TIWZQJSon, ZQ_PLOT_SIMPLE_ARR_ARRAY_ROWS)
  using TIWZQJSon::TIWZQJSon;
  bool IsArray() override { return true; }
};

class TIWZQJSonSimpleArrArrays : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJSonSimpleArrArrays, TIWZQJSonList)
  TIWZQJSonSimpleArrArrays();
  TIWZQJSonSimpleArrArray* Add() {
    return static_cast<TIWZQJSonSimpleArrArray*>(TIWZQJSonList::Add());
  }
  TIWZQJSonSimpleArrArray* Items(int AIndex) const {
    return static_cast<TIWZQJSonSimpleArrArray*>(GetItem(AIndex));
  }
};

// ---------------------------------------------------------------- renderer options

class TIWZQJQPlotSeriesRendersBase : public TIWZQJQPlotPluginBase {
  ZQ_CLASS(TIWZQJQPlotSeriesRendersBase, TIWZQJQPlotPluginBase)
  using TIWZQJQPlotPluginBase::TIWZQJQPlotPluginBase;
};
class TIWZQJQPlotAxesRendersBase : public TIWZQJQPlotPluginBase {
  ZQ_CLASS(TIWZQJQPlotAxesRendersBase, TIWZQJQPlotPluginBase)
  using TIWZQJQPlotPluginBase::TIWZQJQPlotPluginBase;
};
class TIWZQJQPlotTickRendersBase : public TIWZQJQPlotPluginBase {
  ZQ_CLASS(TIWZQJQPlotTickRendersBase, TIWZQJQPlotPluginBase)
  using TIWZQJQPlotPluginBase::TIWZQJQPlotPluginBase;
  // "$.jqplot.DefaultTickFormatter" for Formatter.
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
};
class TIWZQJQPlotLabelRendersBase : public TIWZQJQPlotPluginBase {
  ZQ_CLASS(TIWZQJQPlotLabelRendersBase, TIWZQJQPlotPluginBase)
  using TIWZQJQPlotPluginBase::TIWZQJQPlotPluginBase;
};

// A renderer options class with its script name and rows.
#define ZQ_PLOT_RENDERER_CLASS(T, Parent, ROWS, SCRIPT)                    \
  class T : public Parent {                                                \
    ZQ_OPTIONS(T, Parent, ROWS)                                            \
    explicit T(TCollection* ACollection = nullptr) : Parent(ACollection) { \
      FRendererJSon = SCRIPT;                                              \
    }                                                                      \
  };
#define ZQ_PLOT_NO_ROWS(X)

// Members several series renderers share, in their order there.
#define ZQ_PLOT_HIGHLIGHT_ROWS(X)                             \
  X(Boolean, HighlightMouseOver, "highlightMouseOver", true)  \
  X(Boolean, HighlightMouseDown, "highlightMouseDown", false) \
  X(SimpleArray, HighlightColors, "highlightColors", true)
#define ZQ_PLOT_DATA_LABEL_ROWS(X, SHOW)                        \
  X(JSon, DataLabels, "dataLabels", "\"percent\"")              \
  X(Boolean, ShowDataLabels, "showDataLabels", SHOW)            \
  X(String, DataLabelFormatString, "dataLabelFormatString", "") \
  X(Integer, DataLabelThreshold, "dataLabelThreshold", 3)

#define ZQ_PLOT_BAR_ROWS(X)                                                    \
  X(Integer, BarPadding, "barPadding", 8)                                      \
  X(Integer, BarMargin, "barMargin", 10)                                       \
  X(Enum, BarDirection, "barDirection", TIWZQJQPlotOptionsDirection,           \
    TIWZQJQPlotOptionsDirection::jqpodVertical)                                \
  X(Integer, BarWidth, "barWidth", 0)                                          \
  X(Double, ShadowOffset, "shadowOffset", 2)                                   \
  X(Double, ShadowDepth, "shadowDepth", 5)                                     \
  X(Double, ShadowAlpha, "shadowAlpha", 0.08)                                  \
  X(Integer, TooltipOffset, "tooltipOffset", 6)                                \
  X(Boolean, ShowTooltipGridPosition, "showTooltipGridPosition", false)        \
  X(Boolean, ShowTooltipUnitPosition, "showTooltipUnitPosition", true)         \
  X(String, TooltipFormatString, "tooltipFormatString", "%.4P")                \
  X(Boolean, UseAxesFormatters, "useAxesFormatters", true)                     \
  X(Boolean, Waterfall, "waterfall", false)                                    \
  X(Integer, Groups, "groups", 1)                                              \
  X(Boolean, VaryBarColor, "varyBarColor", false)                              \
  ZQ_PLOT_HIGHLIGHT_ROWS(X)                                                    \
  X(ObjList, TooltipAxesGroups, "tooltipAxesGroups", TIWZQJSonSimpleArrArrays) \
  X(Boolean, FillToZero, "fillToZero", false)

ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotBarRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_BAR_ROWS, "$.jqplot.BarRenderer")
#define ZQ_PLOT_BLOCK_ROWS(X)                                                               \
  X(JSon, Css, "css", "{padding:\"2px\", border:\"1px solid #999\", textAlign:\"center\"}") \
  X(Boolean, EscapeHtml, "escapeHtml", false)                                               \
  X(Boolean, InsertBreaks, "insertBreaks", true)                                            \
  X(Boolean, VaryBlockColors, "varyBlockColors", false)

// The block renderer's options. MoveBlock moves one block of the series
// these options belong to: jqPlot defines moveBlock on each block series, so
// a series entry calls X.series[n].moveBlock(...), and the series defaults
// call it on every series that has one.
class TIWZQJQPlotBlockRendererOptions : public TIWZQJQPlotSeriesRendersBase {
  ZQ_OPTIONS(TIWZQJQPlotBlockRendererOptions, TIWZQJQPlotSeriesRendersBase, ZQ_PLOT_BLOCK_ROWS)
  explicit TIWZQJQPlotBlockRendererOptions(TCollection* ACollection = nullptr);
  // The four-argument form with a duration of 0 or more, else three.
  // Raises EInvalidCast "Invalid class typecast" when no chart owns it.
  std::string jsMoveBlock(int AIndex, int AX, int AY, int ADuration);
  void MoveBlock(int AIndex, int AX, int AY, int ADuration);
};

#define ZQ_PLOT_BUBBLE_ROWS(X)                                     \
  X(Boolean, VaryBubbleColors, "varyBubbleColors", true)           \
  X(Boolean, AutoscaleBubbles, "autoscaleBubbles", true)           \
  X(Double, AutoscaleMultiplier, "autoscaleMultiplier", 1)         \
  X(Double, AutoscalePointsFactor, "autoscalePointsFactor", -0.07) \
  X(Boolean, EscapeHtml, "escapeHtml", true)                       \
  ZQ_PLOT_HIGHLIGHT_ROWS(X)                                        \
  X(Double, BubbleAlpha, "bubbleAlpha", 1)                         \
  X(Double, HighlightAlpha, "highlightAlpha", 0)                   \
  X(Boolean, BubbleGradients, "bubbleGradients", false)            \
  X(Boolean, ShowLabels, "showLabels", true)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotBubbleRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_BUBBLE_ROWS, "$.jqplot.BubbleRenderer")

#define ZQ_PLOT_DONUT_ROWS(X)                                        \
  X(Double, Diameter, "diameter", 0)                                 \
  X(Double, InnerDiameter, "innerDiameter", 0)                       \
  X(Double, Thickness, "thickness", 0)                               \
  X(Integer, Padding, "padding", 20)                                 \
  X(Integer, SliceMargin, "sliceMargin", 0)                          \
  X(Integer, RingMargin, "ringMargin", 0)                            \
  X(Boolean, Fill, "fill", true)                                     \
  X(Double, ShadowOffset, "shadowOffset", 2)                         \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                        \
  X(Double, ShadowDepth, "shadowDepth", 5)                           \
  ZQ_PLOT_HIGHLIGHT_ROWS(X)                                          \
  ZQ_PLOT_DATA_LABEL_ROWS(X, false)                                  \
  X(Double, DataLabelPositionFactor, "dataLabelPositionFactor", 0.4) \
  X(Integer, DataLabelNudge, "dataLabelNudge", 0)                    \
  X(Integer, StartAngle, "startAngle", 0)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotDonutRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_DONUT_ROWS, "$.jqplot.DonutRenderer")

#define ZQ_PLOT_FUNNEL_ROWS(X)                                              \
  X(JSon, Padding, "padding", "{top: 20, right: 20, bottom: 20, left: 20}") \
  X(Integer, SectionMargin, "sectionMargin", 4)                             \
  X(Boolean, Fill, "fill", true)                                            \
  X(Double, ShadowOffset, "shadowOffset", 2)                                \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                               \
  X(Double, ShadowDepth, "shadowDepth", 5)                                  \
  ZQ_PLOT_HIGHLIGHT_ROWS(X)                                                 \
  X(Double, WidthRatio, "widthRatio", 0.2)                                  \
  X(Integer, LineWidth, "lineWidth", 2)                                     \
  ZQ_PLOT_DATA_LABEL_ROWS(X, true)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotFunnelRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_FUNNEL_ROWS, "$.jqplot.FunnelRenderer")

#define ZQ_PLOT_LINE_ROWS(X)                                  \
  X(Boolean, HighlightMouseOver, "highlightMouseOver", true)  \
  X(Boolean, HighlightMouseDown, "highlightMouseDown", false) \
  X(Color, HighlightColor, "highlightColor", "")
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotLineRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_LINE_ROWS, "")

// The series renderer the mekkoRenderer plug-in defines ($.jqplot.MekkoRenderer;
// $.jqplot.MekkoAxisRenderer is the axis renderer of the other plug-in).
#define ZQ_PLOT_MEKKO_ROWS(X) \
  X(Color, BorderColor, "borderColor", "") X(Boolean, ShowBorders, "showBorders", true)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotMekkoRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_MEKKO_ROWS, "$.jqplot.MekkoRenderer")

#define ZQ_PLOT_METER_LABEL_POSITION_VALUES(X) \
  X(jqpmgrlpInside, "inside") X(jqpmgrlpBottom, "bottom")
ZQ_OPTION_ENUM(TIWZQJQPlotMeterGaugeRendererLabelPosition, ZQ_PLOT_METER_LABEL_POSITION_VALUES)

#define ZQ_PLOT_METER_GAUGE_ROWS(X)                                                   \
  X(Double, Diameter, "diameter", 0)                                                  \
  X(JSon, Padding, "padding", "null")                                                 \
  X(Double, ShadowOffset, "shadowOffset", 2)                                          \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                                         \
  X(Double, ShadowDepth, "shadowDepth", 4)                                            \
  X(Color, Background, "background", "#efefef")                                       \
  X(Color, RingColor, "ringColor", "#bbc6d0")                                         \
  X(Color, TickColor, "tickColor", "#989898")                                         \
  X(Integer, RingWidth, "ringWidth", 0)                                               \
  X(Integer, Min, "min", 0)                                                           \
  X(Integer, Max, "max", 0)                                                           \
  X(SimpleArray, Ticks, "ticks", false)                                               \
  X(Boolean, ShowTicks, "showTicks", true)                                            \
  X(Boolean, ShowTickLabels, "showTickLabels", true)                                  \
  X(String, Label_, "label", "")                                                      \
  X(Integer, LabelHeightAdjust, "labelHeightAdjust", 0)                               \
  X(Enum, LabelPosition, "labelPosition", TIWZQJQPlotMeterGaugeRendererLabelPosition, \
    TIWZQJQPlotMeterGaugeRendererLabelPosition::jqpmgrlpInside)                       \
  X(SimpleArray, Intervals, "intervals", false)                                       \
  X(SimpleArray, IntervalColors, "intervalColors", true)                              \
  X(Double, IntervalInnerRadius, "intervalInnerRadius", 0)                            \
  X(Double, IntervalOuterRadius, "intervalOuterRadius", 0)                            \
  X(Integer, TickSpacing, "tickSpacing", 30)                                          \
  X(Integer, HubRadius, "hubRadius", 0)                                               \
  X(JSon, TickPadding, "tickPadding", "null")                                         \
  X(Integer, NeedleThickness, "needleThickness", 0)                                   \
  X(Integer, NeedlePad, "needlePad", 6)                                               \
  X(Boolean, PegNeedle, "pegNeedle", true)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotMeterGaugeRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_METER_GAUGE_ROWS, "$.jqplot.MeterGaugeRenderer")

#define ZQ_PLOT_OHLC_ROWS(X)                     \
  X(Boolean, CandleStick, "candleStick", false)  \
  X(Integer, TickLength, "tickLength", 0)        \
  X(Integer, BodyWidth, "bodyWidth", 0)          \
  X(Color, OpenColor, "openColor", "")           \
  X(Color, CloseColor, "closeColor", "")         \
  X(Color, WickColor, "wickColor", "")           \
  X(Boolean, FillUpBody, "fillUpBody", false)    \
  X(Boolean, FillDownBody, "fillDownBody", true) \
  X(Color, UpBodyColor, "upBodyColor", "")       \
  X(Color, DownBodyColor, "downBodyColor", "")   \
  X(Boolean, Hlc, "hlc", false)                  \
  X(Double, LineWidth, "lineWidth", 1.5)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotOHLCRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_OHLC_ROWS, "$.jqplot.OHLCRenderer")

#define ZQ_PLOT_PIE_ROWS(X)                                           \
  X(Double, Diameter, "diameter", 0)                                  \
  X(Integer, Padding, "padding", 20)                                  \
  X(Integer, SliceMargin, "sliceMargin", 0)                           \
  X(Boolean, Fill, "fill", true)                                      \
  X(Double, ShadowOffset, "shadowOffset", 2)                          \
  X(Double, ShadowDepth, "shadowDepth", 5)                            \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                         \
  ZQ_PLOT_HIGHLIGHT_ROWS(X)                                           \
  ZQ_PLOT_DATA_LABEL_ROWS(X, false)                                   \
  X(Double, DataLabelPositionFactor, "dataLabelPositionFactor", 0.52) \
  X(Integer, DataLabelNudge, "dataLabelNudge", 2)                     \
  X(Boolean, DataLabelCenterOn, "dataLabelCenterOn", true)            \
  X(Integer, StartAngle, "startAngle", 0)                             \
  X(Integer, LineWidth, "lineWidth", 0)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotPieRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_PIE_ROWS, "$.jqplot.PieRenderer")
// The renderer the BezierCurveRenderer plug-in defines.
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotBezierCurveRendererOptions, TIWZQJQPlotSeriesRendersBase,
                       ZQ_PLOT_NO_ROWS, "$.jqplot.BezierCurveRenderer")

ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotDateAxisRendererOptions, TIWZQJQPlotAxesRendersBase,
                       ZQ_PLOT_NO_ROWS, "$.jqplot.DateAxisRenderer")
#define ZQ_PLOT_LINEAR_AXIS_ROWS(X)               \
  X(Boolean, ForceTickAt0, "forceTickAt0", false) \
  X(Boolean, ForceTickAt100, "forceTickAt100", false)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotLinearAxisRendererOptions, TIWZQJQPlotAxesRendersBase,
                       ZQ_PLOT_LINEAR_AXIS_ROWS, "")
#define ZQ_PLOT_LOG_AXIS_ROWS(X) X(JSon, Base, "base", "10")
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotLogAxisRendererOptions, TIWZQJQPlotAxesRendersBase,
                       ZQ_PLOT_LOG_AXIS_ROWS, "$.jqplot.LogAxisRenderer")

// The font members of the canvas tick and label renderers.
#define ZQ_PLOT_CANVAS_FONT_ROWS(X)                                                     \
  X(String, FontFamily, "fontFamily", "\"Trebuchet MS\", Arial, Helvetica, sans-serif") \
  X(String, FontSize, "fontSize", "11pt")                                               \
  X(String, FontWeight, "fontWeight", "normal")                                         \
  X(Double, FontStretch, "fontStretch", 1)                                              \
  X(Color, TextColor, "textColor", "#666666")                                           \
  X(Boolean, EnableFontSupport, "enableFontSupport", true)                              \
  X(Double, Pt2Px, "pt2px", 0)

// The first four members of both tick renderers.
#define ZQ_PLOT_TICK_HEAD_ROWS(X)                          \
  X(Enum, Mark, "mark", TIWZQJQPlotOptionsTickOptionsMark, \
    TIWZQJQPlotOptionsTickOptionsMark::jqpotomOutside)     \
  X(Boolean, ShowMark, "showMark", true)                   \
  X(Boolean, ShowGridline, "showGridline", true)           \
  X(Boolean, IsMinorTick, "isMinorTick", false)

#define ZQ_PLOT_AXIS_TICK_ROWS(X)             \
  ZQ_PLOT_TICK_HEAD_ROWS(X)                   \
  X(Integer, Size, "size", 4)                 \
  X(Integer, MarkSize, "markSize", 16)        \
  X(Boolean, Show, "show", true)              \
  X(Boolean, ShowLabel, "showLabel", true)    \
  X(String, Prefix, "prefix", "")             \
  X(String, FormatString, "formatString", "") \
  X(String, FontFamily, "fontFamily", "")     \
  X(String, FontSize, "fontSize", "")         \
  X(Color, TextColor, "textColor", "")        \
  X(Boolean, EscapeHTML, "escapeHTML", false) \
  X(FuncOf, Formatter, "formatter", "", TIWZQJQPlotValueFunc, kZQFixedScript)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotAxisTickRendererOptions, TIWZQJQPlotTickRendersBase,
                       ZQ_PLOT_AXIS_TICK_ROWS, "")

#define ZQ_PLOT_CANVAS_TICK_ROWS(X)                                 \
  ZQ_PLOT_TICK_HEAD_ROWS(X)                                         \
  X(Integer, Angle, "angle", 0)                                     \
  X(Integer, MarkSize, "markSize", 4)                               \
  X(Boolean, Show, "show", true)                                    \
  X(Boolean, ShowLabel, "showLabel", true)                          \
  X(Enum, LabelPosition, "labelPosition", TIWZQJQPlotLabelPosition, \
    TIWZQJQPlotLabelPosition::jqplpAuto)                            \
  X(String, FormatString, "formatString", "")                       \
  X(String, Prefix, "prefix", "")                                   \
  ZQ_PLOT_CANVAS_FONT_ROWS(X)                                       \
  X(FuncOf, Formatter, "formatter", "", TIWZQJQPlotValueFunc, kZQFixedScript)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotCanvasAxisTickRendererOptions, TIWZQJQPlotTickRendersBase,
                       ZQ_PLOT_CANVAS_TICK_ROWS, "$.jqplot.CanvasAxisTickRenderer")

#define ZQ_PLOT_AXIS_LABEL_ROWS(X) \
  X(Boolean, Show, "show", true)   \
  X(String, Label_, "label", "") X(Boolean, EscapeHTML, "escapeHTML", false)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotAxisLabelRendererOptions, TIWZQJQPlotLabelRendersBase,
                       ZQ_PLOT_AXIS_LABEL_ROWS, "")

#define ZQ_PLOT_CANVAS_LABEL_ROWS(X)       \
  X(Integer, Angle, "angle", 0)            \
  X(Boolean, Show, "show", true)           \
  X(Boolean, ShowLabel, "showLabel", true) \
  X(String, Label_, "label", "")           \
  ZQ_PLOT_CANVAS_FONT_ROWS(X)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotCanvasAxisLabelRendererOptions, TIWZQJQPlotLabelRendersBase,
                       ZQ_PLOT_CANVAS_LABEL_ROWS, "$.jqplot.CanvasAxisLabelRenderer")

#define ZQ_PLOT_MEKKO_TICK_MODE_VALUES(X) X(jqpmartmBar, "bar") X(jqpmartmEven, "even")
ZQ_OPTION_ENUM(TIWZQJQPlotMekkoAxisRendererTickMode, ZQ_PLOT_MEKKO_TICK_MODE_VALUES)

#define ZQ_PLOT_MEKKO_AXIS_ROWS(X)                                    \
  X(Enum, TickMode, "tickMode", TIWZQJQPlotMekkoAxisRendererTickMode, \
    TIWZQJQPlotMekkoAxisRendererTickMode::jqpmartmBar)                \
  X(SimpleArray, BarLabels, "barLabels", true)                        \
  X(Obj, BarLabelOptions, "barLabelOptions", TIWZQJQPlotAxisLabelRendererOptions)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotMekkoAxisRendererOptions, TIWZQJQPlotAxesRendersBase,
                       ZQ_PLOT_MEKKO_AXIS_ROWS, "$.jqplot.MekkoAxisRenderer")

#define ZQ_PLOT_CATEGORY_AXIS_ROWS(X) X(Boolean, SortMergedLabels, "sortMergedLabels", false)

// The category axis renderer, with a tick renderer switch of its own:
// "tickRenderer" (raw script, unless the default renderer) and, always,
// "tickOptions", both inside the axis's "rendererOptions".
class TIWZQJQPlotCategoryAxisRendererOptions : public TIWZQJQPlotAxesRendersBase {
  ZQ_OPTIONS(TIWZQJQPlotCategoryAxisRendererOptions, TIWZQJQPlotAxesRendersBase,
             ZQ_PLOT_CATEGORY_AXIS_ROWS)
  explicit TIWZQJQPlotCategoryAxisRendererOptions(TCollection* ACollection = nullptr);
  TIWZQJQPlotTickRenders GetTickRenderer() const {
    return static_cast<TIWZQJQPlotTickRenders>(FTick.Kind);
  }
  void SetTickRenderer(TIWZQJQPlotTickRenders AValue);
  TIWZQJQPlotTickRendersBase* GetTickOptions();
  void SetTickOptions(TIWZQJQPlotTickRendersBase* AValue);
  const ClassInfo& GetTickOptionsClass() const;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void Assign(const TPersistent* Source) override;

 private:
  TZQPlotRendererSlot FTick{static_cast<int>(TIWZQJQPlotTickRenders::jqptrAxisTickRenderer),
                            nullptr};
};

#define ZQ_PLOT_LEGEND_DEFAULT_ROWS(X) \
  X(Integer, NumberRows, "numberRows", 0) X(Integer, NumberColumns, "numberColumns", 0)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotLegendRendererDefault, TIWZQJQPlotPluginBase,
                       ZQ_PLOT_LEGEND_DEFAULT_ROWS, "")

#define ZQ_PLOT_ENHANCED_LEGEND_ROWS(X) \
  X(Integer, SeriesToggle, "seriesToggle", 0) X(Boolean, DisableIEFading, "disableIEFading", true)
ZQ_PLOT_RENDERER_CLASS(TIWZQJQPlotEnhancedLegendRendererOptions, TIWZQJQPlotLegendRendererDefault,
                       ZQ_PLOT_ENHANCED_LEGEND_ROWS, "$.jqplot.EnhancedLegendRenderer")

// Renderer option classes that no switch creates; each can be used on its
// own as an option object.
class TIWZQJQPlotRendersBase : public TIWZQJQPlotPluginBase {
  ZQ_CLASS(TIWZQJQPlotRendersBase, TIWZQJQPlotPluginBase)
  using TIWZQJQPlotPluginBase::TIWZQJQPlotPluginBase;
};

#define ZQ_PLOT_SHAPE_ROWS(X)                     \
  X(String, LineJoin, "lineJoin", "miter")        \
  X(String, LineCap, "lineCap", "round")          \
  X(Boolean, Fill, "fill", false)                 \
  X(Boolean, IsArc, "isarc", false)               \
  X(Boolean, FillRect, "fillRect", false)         \
  X(Boolean, StrokeRect, "strokeRect", false)     \
  X(Boolean, ClearRect, "clearRect", false)       \
  X(Color, StrokeStyle, "strokeStyle", "#999999") \
  X(Color, FillStyle, "fillStyle", "#999999")
class TIWZQJQPlotShapeRendererOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotShapeRendererOptions, TIWZQJSon, ZQ_PLOT_SHAPE_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_SHADOW_ROWS(X)             \
  X(Integer, Angle, "angle", 45)           \
  X(Integer, Offset, "offset", 1)          \
  X(Double, Alpha, "alpha", 0.07)          \
  X(Double, LineWidth, "lineWidth", 1.5)   \
  X(String, LineJoin, "lineJoin", "miter") \
  X(String, LineCap, "lineCap", "round")   \
  X(Boolean, Fill, "fill", false)          \
  X(Integer, Depth, "depth", 3)            \
  X(Boolean, IsArc, "isarc", false)
class TIWZQJQPlotShadowRendererOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotShadowRendererOptions, TIWZQJSon, ZQ_PLOT_SHADOW_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

class TIWZQJQPlotFunnelLegendOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotFunnelLegendOptions, TIWZQJSon, ZQ_PLOT_LEGEND_DEFAULT_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_OPTIONS_MARKER_ROWS(X)       \
  X(Boolean, Show, "show", true)             \
  X(String, Style, "style", "")              \
  X(Integer, LineWidth, "lineWidth", 2)      \
  X(Integer, Size, "size", 9)                \
  X(Color, Color, "color", "#666666")        \
  X(Boolean, Shadow, "shadow", true)         \
  X(Double, ShadowAngle, "shadowAngle", 1)   \
  X(Double, ShadowOffset, "shadowOffset", 1) \
  X(Double, ShadowDepth, "shadowDepth", 3)   \
  X(Double, ShadowAlpha, "shadowAlpha", 0.7)
class TIWZQJQPlotOptionsMarkerOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsMarkerOptions, TIWZQJSon, ZQ_PLOT_OPTIONS_MARKER_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_OPTIONS_TICK_ROWS(X)                       \
  X(Enum, Mark, "mark", TIWZQJQPlotOptionsTickOptionsMark, \
    TIWZQJQPlotOptionsTickOptionsMark::jqpotomOutside)     \
  X(Boolean, ShowMark, "showMark", true)                   \
  X(Boolean, ShowGridline, "showGridline", true)           \
  X(Integer, MarkSize, "markSize", 4)                      \
  X(Boolean, Show, "show", true)                           \
  X(Boolean, ShowLabel, "showLabel", true)                 \
  X(String, FormatString, "formatString", "")
class TIWZQJQPlotOptionsTickOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsTickOptions, TIWZQJSon, ZQ_PLOT_OPTIONS_TICK_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

class TIWZQJQPlotCanvasGridRendererOptions : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQPlotCanvasGridRendererOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
};
class TIWZQJQPlotDivTitleRendererOptions : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQPlotDivTitleRendererOptions, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
};

// ---------------------------------------------------------------- plug-in options

#define ZQ_PLOT_MARKER_ROWS(X)                                                          \
  X(Boolean, Show, "show", true)                                                        \
  X(Enum, Style, "style", TIWZQJQPlotMarkerOptionsStyle,                                \
    TIWZQJQPlotMarkerOptionsStyle::jqpmosFilledDiamond)                                 \
  X(Integer, LineWidth, "lineWidth", 2)                                                 \
  X(Double, Size, "size", 9)                                                            \
  X(Color, Color, "color", "#666666")                                                   \
  X(Boolean, Shadow, "shadow", true)                                                    \
  X(Double, ShadowAngle, "shadowAngle", 45)                                             \
  X(Double, ShadowOffset, "shadowOffset", 1)                                            \
  X(Double, ShadowDepth, "shadowDepth", 3)                                              \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                                           \
  X(FuncOf, ShadowRenderer, "shadowRenderer", "", TIWZQJQPlotValueFunc, kZQFixedScript) \
  X(FuncOf, ShapeRenderer, "shapeRenderer", "", TIWZQJQPlotValueFunc, kZQFixedScript)

class TIWZQJQPlotMarkerRendererOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotMarkerRendererOptions, TIWZQJSon, ZQ_PLOT_MARKER_ROWS)
  using TIWZQJSon::TIWZQJSon;
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
};

#define ZQ_PLOT_CURSOR_ROWS(X)                                                              \
  X(Enum, Style, "style", TIWZQJQCursorTypes, jqctCrosshair)                                \
  X(Boolean, Show, "show", false)                                                           \
  X(Boolean, ShowTooltip, "showTooltip", true)                                              \
  X(Boolean, FollowMouse, "followMouse", false)                                             \
  X(Enum, TooltipLocation, "tooltipLocation", TIWZQJQPlotOptionsOrientation,                \
    TIWZQJQPlotOptionsOrientation::jqpooSE)                                                 \
  X(Integer, TooltipOffset, "tooltipOffset", 6)                                             \
  X(Boolean, ShowTooltipGridPosition, "showTooltipGridPosition", false)                     \
  X(Boolean, ShowTooltipUnitPosition, "showTooltipUnitPosition", true)                      \
  X(Boolean, ShowTooltipDataPosition, "showTooltipDataPosition", false)                     \
  X(String, TooltipFormatString, "tooltipFormatString", "%.4P, %.4P")                       \
  X(Boolean, UseAxesFormatters, "useAxesFormatters", true)                                  \
  X(Boolean, Zoom, "zoom", false)                                                           \
  X(Boolean, LooseZoom, "looseZoom", false)                                                 \
  X(Boolean, ClickReset, "clickReset", false)                                               \
  X(Boolean, DblClickReset, "dblClickReset", true)                                          \
  X(Boolean, ShowVerticalLine, "showVerticalLine", false)                                   \
  X(Boolean, ShowHorizontalLine, "showHorizontalLine", false)                               \
  X(Enum, ConstrainZoomTo, "constrainZoomTo", TIWZQJQPlotCursorOptionsConstrainTo,          \
    TIWZQJQPlotCursorOptionsConstrainTo::jqpcoctNone)                                       \
  X(Integer, IntersectionThreshold, "intersectionThreshold", 2)                             \
  X(Boolean, ShowCursorLegend, "showCursorLegend", false)                                   \
  X(Boolean, ConstrainOutsideZoom, "constrainOutsideZoom", true)                            \
  X(Boolean, ShowTooltipOutsideZoom, "showTooltipOutsideZoom", false)                       \
  X(Boolean, OnGrid, "onGrid", false)                                                       \
  X(FuncOf, CursorLegendFormatString, "cursorLegendFormatString", "", TIWZQJQPlotValueFunc, \
    kZQFixedScript)                                                                         \
  X(ObjList, TooltipAxisGroups, "tooltipAxisGroups", TIWZQJSonSimpleArrArrays)

class TIWZQJQPlotCursorOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotCursorOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_CURSOR_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
  // Zooming the controller chart zooms the target chart too (jqPlot's
  // zoomProxy); empty text unless both charts are given and the cursor is
  // shown. Run while the chart of this cursor exists.
  std::string jsZoomProxy(TIWZQJQCustomPlot* ATarget, TIWZQJQCustomPlot* AController);
  void ZoomProxy(TIWZQJQCustomPlot* ATarget, TIWZQJQCustomPlot* AController);
};

#define ZQ_PLOT_DRAGABLE_ROWS(X)                                           \
  X(Color, Color, "color", "")                                             \
  X(Enum, ConstrainTo, "constrainTo", TIWZQJQPlotCursorOptionsConstrainTo, \
    TIWZQJQPlotCursorOptionsConstrainTo::jqpcoctNone)                      \
  X(Boolean, Enable, "enable", false, kZQServerOnly)

class TIWZQJQPlotDragableOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotDragableOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_DRAGABLE_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  void ResetCustomProps() { SetEnable(false); }
};

#define ZQ_PLOT_HIGHLIGHTER_ROWS(X)                                                       \
  X(Double, LineWidthAdjust, "lineWidthAdjust", 2.5)                                      \
  X(Double, SizeAdjust, "sizeAdjust", 5)                                                  \
  X(Boolean, ShowTooltip, "showTooltip", true)                                            \
  X(Enum, TooltipLocation, "tooltipLocation", TIWZQJQPlotOptionsOrientation,              \
    TIWZQJQPlotOptionsOrientation::jqpooNW)                                               \
  X(Boolean, FadeTooltip, "fadeTooltip", true)                                            \
  X(Variant, TooltipFadeSpeed, "tooltipFadeSpeed", Variant("fast"))                       \
  X(Double, TooltipOffset, "tooltipOffset", 2)                                            \
  X(Enum, TooltipAxes, "tooltipAxes", TIWZQJQPlotHighlighterOptionsTooltipAxes,           \
    TIWZQJQPlotHighlighterOptionsTooltipAxes::jqphotaBoth)                                \
  X(String, TooltipSeparator, "tooltipSeparator", ", ")                                   \
  X(Boolean, UseAxesFormatters, "useAxesFormatters", true)                                \
  X(String, TooltipFormatString, "tooltipFormatString", "%.5P")                           \
  X(Boolean, ShowMarker, "showMarker", true)                                              \
  X(Func, OnTooltipContentEditor, "tooltipContentEditor", "str, seriesIndex, pointIndex") \
  X(String, FormatString, "formatString", "")                                             \
  X(Integer, YValues, "yvalues", 1)                                                       \
  X(Boolean, BringSeriesToFront, "bringSeriesToFront", false)                             \
  X(Boolean, Show, "show", false)                                                         \
  X(Obj, MarkerRenderer, "markerRenderer", TIWZQJQPlotMarkerRendererOptions, kZQServerOnly)

class TIWZQJQPlotHighlighterOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotHighlighterOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_HIGHLIGHTER_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  void AfterConstruction() override;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  void ResetCustomProps();
};

#define ZQ_PLOT_POINT_LABELS_ROWS(X)                           \
  X(Boolean, Show, "show", false)                              \
  X(Enum, Location, "location", TIWZQJQPlotOptionsOrientation, \
    TIWZQJQPlotOptionsOrientation::jqpooN)                     \
  X(Boolean, LabelsFromSeries, "labelsFromSeries", false)      \
  X(SimpleArray, SeriesLabelIndex, "seriesLabelIndex", false)  \
  X(SimpleArray, Labels, "labels", true)                       \
  X(Boolean, StackedValue, "stackedValue", false)              \
  X(Integer, YPadding, "ypadding", 6)                          \
  X(Integer, XPadding, "xpadding", 6)                          \
  X(Boolean, EscapeHTML, "escapeHTML", true)                   \
  X(Integer, EdgeTolerance, "edgeTolerance", -5)               \
  X(String, FormatString, "formatString", "")                  \
  X(Boolean, HideZeros, "hideZeros", false)                    \
  X(FuncOf, Formatter, "formatter", "", TIWZQJQPlotValueFunc, kZQFixedScript)

class TIWZQJQPlotPointLabelsOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotPointLabelsOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_POINT_LABELS_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  std::string GetFixedScript(TObject* AFunc, bool& AFlag) override;
  void ResetCustomProps() { SetShow(false); }
};

#define ZQ_PLOT_TRENDLINE_ROWS(X)                                            \
  X(Boolean, Show, "show", true)                                             \
  X(Color, Color, "color", "#666666")                                        \
  X(String, Label_, "label", "")                                             \
  X(Enum, Type_, "type", TIWZQJQPlotTrendlineOptionsType,                    \
    TIWZQJQPlotTrendlineOptionsType::jqptlotLinear)                          \
  X(Boolean, Shadow, "shadow", true)                                         \
  X(Double, LineWidth, "lineWidth", 1.5)                                     \
  X(Double, ShadowAngle, "shadowAngle", 45)                                  \
  X(Double, ShadowOffset, "shadowOffset", 1)                                 \
  X(Double, ShadowDepth, "shadowDepth", 3)                                   \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                                \
  X(Obj, MarkerRenderer, "markerRenderer", TIWZQJQPlotMarkerRendererOptions) \
  X(Obj, RendererOptions, "rendererOptions", TIWZQJQPlotLineRendererOptions)

class TIWZQJQPlotTrendlineOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotTrendlineOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_TRENDLINE_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  void AfterConstruction() override;
  void ResetCustomProps();
};

#define ZQ_PLOT_OVERLAY_LINE_ROWS(X)                                                    \
  X(String, Name, "name", "")                                                           \
  X(Boolean, Show, "show", true)                                                        \
  X(Integer, LineWidth, "lineWidth", 2)                                                 \
  X(Enum, LineCap, "lineCap", TIWZQJQPlotCanvasOverlayLineBaseLineCap,                  \
    TIWZQJQPlotCanvasOverlayLineBaseLineCap::jqcololcRound)                             \
  X(Color, Color, "color", "#666666")                                                   \
  X(Boolean, Shadow, "shadow", true)                                                    \
  X(Double, ShadowAngle, "shadowAngle", 45)                                             \
  X(Double, ShadowOffset, "shadowOffset", 1)                                            \
  X(Double, ShadowDepth, "shadowDepth", 3)                                              \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)                                           \
  X(Enum, XAxis, "xaxis", TIWZQJQPlotOptionsXAxes, TIWZQJQPlotOptionsXAxes::jqpoxXAxis) \
  X(Enum, YAxis, "yaxis", TIWZQJQPlotOptionsYAxes, TIWZQJQPlotOptionsYAxes::jqpoyYAxis) \
  X(Boolean, ShowTooltip, "showTooltip", false)                                         \
  X(Double, ShowTooltipPrecision, "showTooltipPrecision", 0.6)                          \
  X(Enum, TooltipLocation, "tooltipLocation", TIWZQJQPlotOptionsOrientation,            \
    TIWZQJQPlotOptionsOrientation::jqpooSE)                                             \
  X(Boolean, FadeTooltip, "fadeTooltip", true)                                          \
  X(Variant, TooltipFadeSpeed, "tooltipFadeSpeed", Variant("fast"))                     \
  X(Double, TooltipOffset, "tooltipOffset", 4)                                          \
  X(String, TooltipFormatString, "tooltipFormatString", "%d, %d")

// A line of the canvas overlay, written wrapped under its kind's name
// ({"horizontalLine": {...}}).
class TIWZQJQPlotCanvasOverlayLineBase : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayLineBase, TIWZQJSon, ZQ_PLOT_OVERLAY_LINE_ROWS)
  using TIWZQJSon::TIWZQJSon;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  // The kind's name; none for the base itself, which is written unwrapped
  // (and can be created, as every registered option class can).
  virtual const char* WrapperName() const { return nullptr; }
};

#define ZQ_PLOT_LINE_OBJ_ROWS(X) \
  X(SimpleArray, Start, "start", false) X(SimpleArray, Stop, "stop", false)
class TIWZQJQPlotCanvasOverlayLineObj : public TIWZQJQPlotCanvasOverlayLineBase {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayLineObj, TIWZQJQPlotCanvasOverlayLineBase,
             ZQ_PLOT_LINE_OBJ_ROWS)
  using TIWZQJQPlotCanvasOverlayLineBase::TIWZQJQPlotCanvasOverlayLineBase;
  const char* WrapperName() const override { return "line"; }
};

#define ZQ_PLOT_HLINE_ROWS(X)          \
  X(JSon, Y, "y", "null")              \
  X(JSon, XMin, "xmin", "null")        \
  X(JSon, XMax, "xmax", "null")        \
  X(String, XOffset, "xOffset", "6px") \
  X(JSon, XMinOffset, "xminOffset", "null") X(JSon, XMaxOffset, "xmaxOffset", "null")
class TIWZQJQPlotCanvasOverlayHorizontalLineObj : public TIWZQJQPlotCanvasOverlayLineBase {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayHorizontalLineObj, TIWZQJQPlotCanvasOverlayLineBase,
             ZQ_PLOT_HLINE_ROWS)
  using TIWZQJQPlotCanvasOverlayLineBase::TIWZQJQPlotCanvasOverlayLineBase;
  const char* WrapperName() const override { return "horizontalLine"; }
};

#define ZQ_PLOT_DASH_ROWS(X) X(SimpleArray, DashPattern, "dashPattern", false)
class TIWZQJQPlotCanvasOverlayDashedHorizontalLineObj
    : public TIWZQJQPlotCanvasOverlayHorizontalLineObj {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayDashedHorizontalLineObj,
             TIWZQJQPlotCanvasOverlayHorizontalLineObj, ZQ_PLOT_DASH_ROWS)
  using TIWZQJQPlotCanvasOverlayHorizontalLineObj::TIWZQJQPlotCanvasOverlayHorizontalLineObj;
  const char* WrapperName() const override { return "dashedHorizontalLine"; }
};

#define ZQ_PLOT_VLINE_ROWS(R)          \
  R(JSon, X, "x", "null")              \
  R(JSon, YMin, "ymin", "null")        \
  R(JSon, YMax, "ymax", "null")        \
  R(String, YOffset, "yOffset", "6px") \
  R(JSon, YMinOffset, "yminOffset", "null") R(JSon, YMaxOffset, "ymaxOffset", "null")
class TIWZQJQPlotCanvasOverlayVerticalLineObj : public TIWZQJQPlotCanvasOverlayLineBase {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayVerticalLineObj, TIWZQJQPlotCanvasOverlayLineBase,
             ZQ_PLOT_VLINE_ROWS)
  using TIWZQJQPlotCanvasOverlayLineBase::TIWZQJQPlotCanvasOverlayLineBase;
  const char* WrapperName() const override { return "verticalLine"; }
};

class TIWZQJQPlotCanvasOverlayDashedVerticalLineObj
    : public TIWZQJQPlotCanvasOverlayVerticalLineObj {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayDashedVerticalLineObj, TIWZQJQPlotCanvasOverlayVerticalLineObj,
             ZQ_PLOT_DASH_ROWS)
  using TIWZQJQPlotCanvasOverlayVerticalLineObj::TIWZQJQPlotCanvasOverlayVerticalLineObj;
  const char* WrapperName() const override { return "dashedVerticalLine"; }
};

#define ZQ_PLOT_OVERLAY_OBJECTS_ROWS(X)                                               \
  X(Obj, Line, "line", TIWZQJQPlotCanvasOverlayLineObj)                               \
  X(Obj, HorizontalLine, "horizontalLine", TIWZQJQPlotCanvasOverlayHorizontalLineObj) \
  X(Obj, DashedHorizontalLine, "dashedHorizontalLine",                                \
    TIWZQJQPlotCanvasOverlayDashedHorizontalLineObj)                                  \
  X(Obj, VerticalLine, "verticalLine", TIWZQJQPlotCanvasOverlayVerticalLineObj)       \
  X(Obj, DashedVerticalLine, "dashedVerticalLine", TIWZQJQPlotCanvasOverlayDashedVerticalLineObj)

// Written as an array of the lines that are written, in member order.
class TIWZQJQPlotCanvasOverlayObjects : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayObjects, TIWZQJSon, ZQ_PLOT_OVERLAY_OBJECTS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  bool IsArray() override { return true; }
};

#define ZQ_PLOT_OVERLAY_ROWS(X) \
  X(Boolean, Show, "show", false) X(Obj, Objects, "objects", TIWZQJQPlotCanvasOverlayObjects)

class TIWZQJQPlotCanvasOverlayOptions : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotCanvasOverlayOptions, TIWZQJQPlotBaseClass, ZQ_PLOT_OVERLAY_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;
  void ResetCustomProps() { SetShow(false); }
};

// ---------------------------------------------------------------- title, grid, legend

#define ZQ_PLOT_TITLE_ROWS(X) X(String, Text, "text", "") X(Boolean, Show, "show", true)

class TIWZQJQPlotOptionsTitle : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsTitle, TIWZQJSon, ZQ_PLOT_TITLE_ROWS)
  using TIWZQJSon::TIWZQJSon;
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
};

#define ZQ_PLOT_GRID_ROWS(X)                          \
  X(Boolean, DrawGridLines, "drawGridLines", true)    \
  X(Color, GridLineColor, "gridLineColor", "#cccccc") \
  X(Double, GridLineWidth, "gridLineWidth", 1)        \
  X(Color, Background, "background", "#fffdf6")       \
  X(Color, BorderColor, "borderColor", "#999999")     \
  X(Double, BorderWidth, "borderWidth", 2)            \
  X(Boolean, DrawBorder, "drawBorder", true)          \
  X(Boolean, Shadow, "shadow", true)                  \
  X(Double, ShadowAngle, "shadowAngle", 45)           \
  X(Double, ShadowOffset, "shadowOffset", 1.5)        \
  X(Double, ShadowWidth, "shadowWidth", 3)            \
  X(Double, ShadowDepth, "shadowDepth", 3)            \
  X(Double, ShadowAlpha, "shadowAlpha", 0.07)         \
  X(Color, ShadowColor, "shadowColor", "")

class TIWZQJQPlotOptionsGrid : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsGrid, TIWZQJSon, ZQ_PLOT_GRID_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_LEGEND_ROWS(X)                                 \
  X(Boolean, Show, "show", false)                              \
  X(Enum, Location, "location", TIWZQJQPlotOptionsOrientation, \
    TIWZQJQPlotOptionsOrientation::jqpooNE)                    \
  X(Integer, XOffset, "xoffset", 0)                            \
  X(Integer, YOffset, "yoffset", 0)                            \
  X(Enum, Placement, "placement", TIWZQJQPlotLegendPlacement,  \
    TIWZQJQPlotLegendPlacement::jqplpInsideGrid)               \
  X(SimpleArray, Labels, "labels", true)                       \
  X(Boolean, ShowLabels, "showLabels", true)                   \
  X(Boolean, ShowWatches, "showSwatches", true)                \
  X(String, Border, "border", "")                              \
  X(Color, Background, "background", "")                       \
  X(Color, TextColor, "textColor", "")                         \
  X(String, FontFamily, "fontFamily", "")                      \
  X(String, FontSize, "fontSize", "")                          \
  X(String, RowSpacing, "rowSpacing", "0.5em")                 \
  X(Boolean, PreDraw, "preDraw", false)                        \
  X(JSon, MarginTop, "marginTop", "null")                      \
  X(JSon, MarginRight, "marginRight", "null")                  \
  X(JSon, MarginBottom, "marginBottom", "null")                \
  X(JSon, MarginLeft, "marginLeft", "null")                    \
  X(Boolean, EscapeHtml, "escapeHtml", false)

class TIWZQJQPlotOptionsLegend : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotOptionsLegend, TIWZQJQPlotBaseClass, ZQ_PLOT_LEGEND_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;

  TIWZQJQPlotLegendRenders GetLegendRenderer() const {
    return static_cast<TIWZQJQPlotLegendRenders>(FLegend.Kind);
  }
  void SetLegendRenderer(TIWZQJQPlotLegendRenders AValue);
  TIWZQJQPlotLegendRendererDefault* GetLegendOptions();
  void SetLegendOptions(TIWZQJQPlotLegendRendererDefault* AValue);
  const ClassInfo& GetLegendOptionsClass() const;

  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void ResetCustomProps() { SetLegendRenderer(TIWZQJQPlotLegendRenders::jqplrDefault); }
  void Assign(const TPersistent* Source) override;

 private:
  TZQPlotRendererSlot FLegend{static_cast<int>(TIWZQJQPlotLegendRenders::jqplrDefault), nullptr};
};

// ---------------------------------------------------------------- axes

#define ZQ_PLOT_AXES_DEFAULTS_ROWS(X)                           \
  X(Boolean, Show, "show", false)                               \
  X(Variant, Min, "min", Variant(""))                           \
  X(Variant, Max, "max", Variant(""))                           \
  X(Double, Pad, "pad", 1.2)                                    \
  X(SimpleArray, Ticks, "ticks", true)                          \
  X(Integer, NumberTicks, "numberTicks", -1)                    \
  X(Boolean, ShowTicks, "showTicks", true)                      \
  X(Boolean, ShowTickMarks, "showTickMarks", true)              \
  X(String, Label_, "label", "")                                \
  X(Boolean, ShowLabel, "showLabel", true)                      \
  X(Double, PadMax, "padMax", 0)                                \
  X(Double, PadMin, "padMin", 0)                                \
  X(Variant, TickInterval, "tickInterval", Variant(""))         \
  X(Boolean, ShowMinorTicks, "showMinorTicks", true)            \
  X(Boolean, DrawMajorGridlines, "drawMajorGridlines", true)    \
  X(Boolean, DrawMinorGridlines, "drawMinorGridlines", false)   \
  X(Boolean, DrawMajorTickMarks, "drawMajorTickMarks", true)    \
  X(Boolean, DrawMinorTickMarks, "drawMinorTickMarks", true)    \
  X(Boolean, UseSeriesColor, "useSeriesColor", false)           \
  X(Double, BorderWidth, "borderWidth", 0)                      \
  X(Color, BorderColor, "borderColor", "")                      \
  X(Boolean, ScaleToHiddenSeries, "scaleToHiddenSeries", false) \
  X(Boolean, SyncTicks, "syncTicks", false)                     \
  X(Integer, TickSpacing, "tickSpacing", 75)

class TIWZQJQPlotOptionsAxesDefaults : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotOptionsAxesDefaults, TIWZQJQPlotBaseClass, ZQ_PLOT_AXES_DEFAULTS_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;

  TIWZQJQPlotTickRenders GetTickRenderer() const {
    return static_cast<TIWZQJQPlotTickRenders>(FTick.Kind);
  }
  void SetTickRenderer(TIWZQJQPlotTickRenders AValue);
  TIWZQJQPlotTickRendersBase* GetTickOptions();
  void SetTickOptions(TIWZQJQPlotTickRendersBase* AValue);
  TIWZQJQPlotLabelRenders GetLabelRenderer() const {
    return static_cast<TIWZQJQPlotLabelRenders>(FLabel.Kind);
  }
  void SetLabelRenderer(TIWZQJQPlotLabelRenders AValue);
  TIWZQJQPlotLabelRendersBase* GetLabelOptions();
  void SetLabelOptions(TIWZQJQPlotLabelRendersBase* AValue);
  TIWZQJQPlotAxesRenders GetAxesRender() const {
    return static_cast<TIWZQJQPlotAxesRenders>(FAxes.Kind);
  }
  void SetAxesRender(TIWZQJQPlotAxesRenders AValue);
  TIWZQJQPlotAxesRendersBase* GetAxesRenderOptions();
  void SetAxesRenderOptions(TIWZQJQPlotAxesRendersBase* AValue);
  const ClassInfo& GetTickOptionsClass() const;
  const ClassInfo& GetLabelOptionsClass() const;
  const ClassInfo& GetAxesRendersOptionsClass() const;

  // Typed views; EInvalidCast when the renderer is another one.
  TIWZQJQPlotAxisTickRendererOptions* TickAxisOptions();
  TIWZQJQPlotCanvasAxisTickRendererOptions* TickCanvasAxisOptions();
  TIWZQJQPlotAxisLabelRendererOptions* LabelAxisOptions();
  TIWZQJQPlotCanvasAxisLabelRendererOptions* LabelCanvasAxisOptions();

  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void ResetCustomProps();
  void Assign(const TPersistent* Source) override;

 private:
  void AddRenderers(const ISuperObject& AJSon);
  TZQPlotRendererSlot FTick{static_cast<int>(TIWZQJQPlotTickRenders::jqptrAxisTickRenderer),
                            nullptr};
  TZQPlotRendererSlot FLabel{static_cast<int>(TIWZQJQPlotLabelRenders::jqplrAxisLabelRenderer),
                             nullptr};
  TZQPlotRendererSlot FAxes{static_cast<int>(TIWZQJQPlotAxesRenders::jqparLinearAxisRenderer),
                            nullptr};
};

#define ZQ_PLOT_AXES_ITEM_ROWS(X) X(Obj, Options, "options", TIWZQJQPlotOptionsAxesDefaults)

class TIWZQJQPlotOptionsAxesItem : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsAxesItem, TIWZQJSon, ZQ_PLOT_AXES_ITEM_ROWS)
  using TIWZQJSon::TIWZQJSon;
  TIWZQJQPlotOptionsXYAxes GetAxisType() const { return FAxisType; }
  void SetAxisType(TIWZQJQPlotOptionsXYAxes AValue) { FAxisType = AValue; }
  void Assign(const TPersistent* Source) override;

 private:
  TIWZQJQPlotOptionsXYAxes FAxisType = TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis;
};

// Written as one object: each item's options under its axis name (a later
// item of the same axis replaces an earlier one).
class TIWZQJQPlotOptionsAxes : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQPlotOptionsAxes, TIWZQJSonList)
  TIWZQJQPlotOptionsAxes();
  TIWZQJQPlotOptionsAxesItem* Add() {
    return static_cast<TIWZQJQPlotOptionsAxesItem*>(TIWZQJSonList::Add());
  }
  TIWZQJQPlotOptionsAxesItem* Insert(int AIndex) {
    return static_cast<TIWZQJQPlotOptionsAxesItem*>(TIWZQJSonList::Insert(AIndex));
  }
  TIWZQJQPlotOptionsAxesItem* Items(int AIndex) const {
    return static_cast<TIWZQJQPlotOptionsAxesItem*>(GetItem(AIndex));
  }
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
};

// ---------------------------------------------------------------- series

#define ZQ_PLOT_SERIES_DEFAULTS_ROWS(X)                                                 \
  X(Boolean, Show, "show", true)                                                        \
  X(Enum, XAxis, "xaxis", TIWZQJQPlotOptionsXAxes, TIWZQJQPlotOptionsXAxes::jqpoxXAxis) \
  X(Enum, YAxis, "yaxis", TIWZQJQPlotOptionsYAxes, TIWZQJQPlotOptionsYAxes::jqpoyYAxis) \
  X(String, Label_, "label", "")                                                        \
  X(Color, Color, "color", "")                                                          \
  X(Double, LineWidth, "lineWidth", 2.5)                                                \
  X(Boolean, Shadow, "shadow", true)                                                    \
  X(Double, ShadowAngle, "shadowAngle", 45)                                             \
  X(Double, ShadowOffset, "shadowOffset", 1.25)                                         \
  X(Double, ShadowDepth, "shadowDepth", 3)                                              \
  X(Double, ShadowAlpha, "shadowAlpha", 0.1)                                            \
  X(Boolean, ShowLine, "showLine", true)                                                \
  X(Boolean, ShowMarker, "showMarker", true)                                            \
  X(Boolean, Fill, "fill", false)                                                       \
  X(Boolean, FillAndStroke, "fillAndStroke", false)                                     \
  X(Color, FillColor, "fillColor", "")                                                  \
  X(String, FillAlpha, "fillAlpha", "")                                                 \
  X(Obj, MarkerOptions, "markerOptions", TIWZQJQPlotMarkerRendererOptions)              \
  X(Obj, PointLabels, "pointLabels", TIWZQJQPlotPointLabelsOptions)                     \
  X(Obj, Trendline, "trendline", TIWZQJQPlotTrendlineOptions)                           \
  X(Double, NeighborThreshold, "neighborThreshold", 4)

class TIWZQJQPlotOptionsSeriesDefaults : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotOptionsSeriesDefaults, TIWZQJQPlotBaseClass, ZQ_PLOT_SERIES_DEFAULTS_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;

  // A new series shows no trend line (the trend line's own default is to
  // show one, which would draw it under every series of every chart).
  void AfterConstruction() override;

  TIWZQJQPlotSeriesRenders GetRenderer() const {
    return static_cast<TIWZQJQPlotSeriesRenders>(FRenderer.Kind);
  }
  void SetRenderer(TIWZQJQPlotSeriesRenders AValue);
  TIWZQJQPlotSeriesRendersBase* GetRendererOptions();
  void SetRendererOptions(TIWZQJQPlotSeriesRendersBase* AValue);
  const ClassInfo& GetRendererOptionsClass() const;

  // Typed views; EInvalidCast when the renderer is another one.
  TIWZQJQPlotBarRendererOptions* BarRendererOptions();
  TIWZQJQPlotBlockRendererOptions* BlockRendererOptions();
  TIWZQJQPlotBubbleRendererOptions* BubbleRendererOptions();
  TIWZQJQPlotDonutRendererOptions* DonutRendererOptions();
  TIWZQJQPlotFunnelRendererOptions* FunnelRendererOptions();
  TIWZQJQPlotLineRendererOptions* LineRendererOptions();
  TIWZQJQPlotMekkoRendererOptions* MekkoRendererOptions();
  TIWZQJQPlotMeterGaugeRendererOptions* MeterGaugeRendererOptions();
  TIWZQJQPlotOHLCRendererOptions* OHLCRendererOptions();
  TIWZQJQPlotPieRendererOptions* PieRendererOptions();

  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void ResetCustomProps();
  void Assign(const TPersistent* Source) override;

 private:
  TZQPlotRendererSlot FRenderer{static_cast<int>(TIWZQJQPlotSeriesRenders::jqprLineRenderer),
                                nullptr};
};

// Entry n configures the chart's n-th series; written as an array.
class TIWZQJQPlotOptionsSeriesList : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQPlotOptionsSeriesList, TIWZQJSonList)
  TIWZQJQPlotOptionsSeriesList();
  TIWZQJQPlotOptionsSeriesDefaults* Add() {
    return static_cast<TIWZQJQPlotOptionsSeriesDefaults*>(TIWZQJSonList::Add());
  }
  TIWZQJQPlotOptionsSeriesDefaults* Insert(int AIndex) {
    return static_cast<TIWZQJQPlotOptionsSeriesDefaults*>(TIWZQJSonList::Insert(AIndex));
  }
  TIWZQJQPlotOptionsSeriesDefaults* Items(int AIndex) const {
    return static_cast<TIWZQJQPlotOptionsSeriesDefaults*>(GetItem(AIndex));
  }
};

// ---------------------------------------------------------------- root

// The remote data handlers: the chart's data as a JSON node the handler
// fills (none: an empty array), or as text lines (each one a JSON string).
using TIWZQJQPlotGetDataEvent = Delegate<void(TObject* Sender, ISuperObject& AData)>;
using TIWZQJQPlotGetDataExEvent = Delegate<void(TObject* Sender, TStringList* AData)>;

#define ZQ_PLOT_OPTIONS_ROWS(X)                                              \
  X(SimpleArray, SeriesColors, "seriesColors", true)                         \
  X(Boolean, StackSeries, "stackSeries", false)                              \
  X(Obj, Title, "title", TIWZQJQPlotOptionsTitle)                            \
  X(ObjList, Axes, "axes", TIWZQJQPlotOptionsAxes)                           \
  X(ObjList, Series, "series", TIWZQJQPlotOptionsSeriesList)                 \
  X(Obj, Legend, "legend", TIWZQJQPlotOptionsLegend)                         \
  X(Obj, Grid, "grid", TIWZQJQPlotOptionsGrid)                               \
  X(Obj, Cursor, "cursor", TIWZQJQPlotCursorOptions)                         \
  X(Obj, Dragable, "dragable", TIWZQJQPlotDragableOptions)                   \
  X(Obj, HighLighter, "highlighter", TIWZQJQPlotHighlighterOptions)          \
  X(Obj, SeriesDefaults, "seriesDefaults", TIWZQJQPlotOptionsSeriesDefaults) \
  X(Obj, AxesDefaults, "axesDefaults", TIWZQJQPlotOptionsAxesDefaults)       \
  X(Boolean, CaptureRightClick, "captureRightClick", false)                  \
  X(Func, DataRenderer, "dataRenderer", "plot,options")                      \
  X(Obj, CanvasOverlay, "canvasOverlay", TIWZQJQPlotCanvasOverlayOptions)    \
  X(Boolean, Animate, "animate", false)                                      \
  X(Boolean, AnimateReplot, "animateReplot", false)

class TIWZQJQPlotOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptions, TIWZQJSon, ZQ_PLOT_OPTIONS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  void AfterConstruction() override;

  static const TZQStringArray& DefaultSeriesColorList();
  bool IsStoredSeriesColors();
  std::string GetPluginVersion() const { return "1.0.8 r1250"; }
  TIWZQJQPlotDataRendererType GetDataRendererType() const { return FDataRendererType; }
  void SetDataRendererType(TIWZQJQPlotDataRendererType AValue) { FDataRendererType = AValue; }

  // The owning chart; EInvalidCast when the owner is not a chart.
  TIWZQJQCustomPlot* GetJQPlot();

  const TIWZQJQPlotGetDataEvent& GetOnGetJQPlotData() const { return FOnGetJQPlotData; }
  void SetOnGetJQPlotData(const TIWZQJQPlotGetDataEvent& AValue);
  const TIWZQJQPlotGetDataExEvent& GetOnGetJQPlotDataEx() const { return FOnGetJQPlotDataEx; }
  void SetOnGetJQPlotDataEx(const TIWZQJQPlotGetDataExEvent& AValue);
  // True exactly while a data handler is assigned.
  bool GetRemoteSource() const { return FRemoteSource; }
  // The data URL of the owning chart (registered on first use, then cached).
  std::string GetDataRendererUrl();
  // The client function that fetches the data from the data URL.
  std::string GetRemoteDataRendererScript();

  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void ResetCustomProps();

 private:
  void DataHandlersChanged(bool AHadHandler);
  TIWZQJQPlotDataRendererType FDataRendererType = TIWZQJQPlotDataRendererType::jqpdrtDefault;
  TIWZQJQPlotGetDataEvent FOnGetJQPlotData;
  TIWZQJQPlotGetDataExEvent FOnGetJQPlotDataEx;
  bool FRemoteSource = false;
  std::string FDataUrl;
};

// ---------------------------------------------------------------- configuration and events

extern const TZQStringArray& ZQPlotDefaultColors();
extern const TZQStringArray& ZQPlotDefaultNegativeColors();

#define ZQ_PLOT_CONFIG_ROWS(X)                                          \
  X(Boolean, AddDomReference, "addDomReference", false)                 \
  X(Boolean, EnablePlugins, "enablePlugins", false)                     \
  X(Integer, DefaultHeight, "defaultHeight", 300)                       \
  X(Integer, DefaultWidth, "defaultWidth", 400)                         \
  X(Boolean, UTCAdjust, "UTCAdjust", false)                             \
  X(String, ErrorMessage, "errorMessage", "")                           \
  X(Color, ErrorBackground, "errorBackground", "")                      \
  X(String, ErrorBorder, "errorBorder", "")                             \
  X(String, ErrorFontFamily, "errorFontFamily", "")                     \
  X(String, ErrorFontSize, "errorFontSize", "")                         \
  X(String, ErrorFontStyle, "errorFontStyle", "")                       \
  X(String, ErrorFontWeight, "errorFontWeight", "")                     \
  X(Boolean, CatchErrors, "catchErrors", false)                         \
  X(String, DefaultTickFormatString, "defaultTickFormatString", "%.1f") \
  X(SimpleArray, DefaultColors, "defaultColors", true)                  \
  X(SimpleArray, DefaultNegativeColors, "defaultNegativeColors", true)  \
  X(Double, DashLength, "dashLength", 4)                                \
  X(Double, GapLength, "gapLength", 4)                                  \
  X(Double, DotGapLength, "dotGapLength", 2.5)

// Values for the client-wide $.jqplot.config.
class TIWZQJQPlotConfig : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotConfig, TIWZQJSon, ZQ_PLOT_CONFIG_ROWS)
  using TIWZQJSon::TIWZQJSon;
  void AfterConstruction() override;
  // The generic members, then srcLocation and pluginLocation.
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
};

#define ZQ_PLOT_EVENTS_ROWS(X)                                                           \
  X(Func, OnDataClick, "jqplotDataClick", "ev, seriesIndex, pointIndex, data")           \
  X(Func, OnDataRightClick, "jqplotDataRightClick", "ev, seriesIndex, pointIndex, data") \
  X(Func, OnDataHighlight, "jqplotDataHighlight", "ev, seriesIndex, pointIndex, data")   \
  X(Func, OnDataMouseOver, "jqplotDataMouseOver", "ev, seriesIndex, pointIndex, data")   \
  X(Func, OnDataUnhighlight, "jqplotDataUnhighlight", "ev, seriesIndex, pointIndex, data")

// The client events of the chart element, bound with jQuery's bind.
class TIWZQJQPlotEvents : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotEvents, TIWZQJSon, ZQ_PLOT_EVENTS_ROWS)
  using TIWZQJSon::TIWZQJSon;
  ~TIWZQJQPlotEvents() override;
  // Not a member: runs before the chart is created.
  TIWZQFunc* GetOnBeforeInit();
  void SetOnBeforeInit(TIWZQFunc* AValue);
  bool GetCustomJq(const std::string& APropName, const ISuperObject&) override {
    return APropName == "OnBeforeInit";
  }

 private:
  Owned<TIWZQFunc> FOnBeforeInit;
};

}  // namespace zq
