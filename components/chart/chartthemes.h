// Chart themes: named style sets for the theme engine of the client chart.
//
//   TIWZQJQPlotThemeEngine (the chart's JQThemeEngine)
//     Themes[]            TIWZQJQPlotOptionsTheme: Name, Target, Legend, Title,
//                         Series[], Grid, AxesStyles, Axes[] (by axis name),
//                         and the series style of one chart kind (Serie)
//     ActiveThemeIndex    the theme to activate; below 0, jqPlot's "Default"
//
// Nothing of a theme is applied on the server. After the chart is drawn the
// page registers every named theme with the client engine, each name once,
// and activates the chosen one; during a callback the engine's methods send
// script that activates, registers, removes or renames themes on the live
// chart. Registration is guarded on the client ("only when the engine has
// no theme of that name"), so registering again raises no client error, and
// activating a theme of Themes registers it first when the client does not
// have it yet (a theme added after the page was drawn).
#pragma once

#include <string>

#include "components/chart/chartoptions.h"

namespace zq {

#define ZQ_PLOT_THEME_SERIE_VALUES(X) \
  X(jqpotsBar, "bar") X(jqpotsLine, "line") X(jqpotsPie, "pie") X(jqpotsFunnel, "funnel")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsThemeSerie, ZQ_PLOT_THEME_SERIE_VALUES)

#define ZQ_PLOT_THEME_TEXT_ALIGN_VALUES(X) \
  X(jqpottaLeft, "left") X(jqpottaCenter, "center") X(jqpottaRight, "right")
ZQ_OPTION_ENUM(TIWZQJQPlotOptionsThemeTitleTextAlign, ZQ_PLOT_THEME_TEXT_ALIGN_VALUES)

inline constexpr const char* kZQThemeFont = "'Trebuchet MS',Arial,Helvetica,sans-serif";

// ---------------------------------------------------------------- areas

#define ZQ_PLOT_THEME_TARGET_ROWS(X) X(Color, BackgroundColor, "backgroundColor", "transparent")
class TIWZQJQPlotOptionsThemeTarget : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeTarget, TIWZQJSon, ZQ_PLOT_THEME_TARGET_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_LEGEND_ROWS(X)      \
  X(Color, TextColor, "textColor", "")    \
  X(String, FontFamily, "fontFamily", "") \
  X(String, FontSize, "fontSize", "")     \
  X(String, Border, "border", "")         \
  X(Color, Background, "background", "")
class TIWZQJQPlotOptionsThemeLegend : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeLegend, TIWZQJSon, ZQ_PLOT_THEME_LEGEND_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_TITLE_ROWS(X)                                      \
  X(Color, TextColor, "textColor", "#666666")                            \
  X(String, FontFamily, "fontFamily", kZQThemeFont)                      \
  X(String, FontSize, "fontSize", "19.2px")                              \
  X(Enum, TextAlign, "textAlign", TIWZQJQPlotOptionsThemeTitleTextAlign, \
    TIWZQJQPlotOptionsThemeTitleTextAlign::jqpottaCenter)
class TIWZQJQPlotOptionsThemeTitle : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeTitle, TIWZQJSon, ZQ_PLOT_THEME_TITLE_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_GRID_ROWS(X)                        \
  X(Boolean, DrawGridlines, "drawGridlines", true)        \
  X(Color, GridLineColor, "gridLineColor", "#cccccc")     \
  X(Double, GridLineWidth, "gridLineWidth", 1)            \
  X(Color, BackgroundColor, "backgroundColor", "#fffdf6") \
  X(Color, BorderColor, "borderColor", "#999999")         \
  X(Double, BorderWidth, "borderWidth", 2)                \
  X(Boolean, Shadow, "shadow", true)
class TIWZQJQPlotOptionsThemeGrid : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeGrid, TIWZQJSon, ZQ_PLOT_THEME_GRID_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

// ---------------------------------------------------------------- axes

// The property BorderColor holds the member written as "textColor".
#define ZQ_PLOT_THEME_TICK_ROWS(X)               \
  X(Boolean, Show, "show", true)                 \
  X(Boolean, ShowGridline, "showGridline", true) \
  X(Boolean, ShowLabel, "showLabel", true)       \
  X(Boolean, ShowMark, "showMark", true)         \
  X(Double, Size, "size", 4)                     \
  X(Color, BorderColor, "textColor", "")         \
  X(String, WhiteSpace, "whiteSpace", "nowrap")  \
  X(String, FontSize, "fontSize", "12px")        \
  X(String, FontFamily, "fontFamily", kZQThemeFont)
class TIWZQJQPlotOptionsThemeAxisTickStyle : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeAxisTickStyle, TIWZQJSon, ZQ_PLOT_THEME_TICK_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_LABEL_ROWS(X)                 \
  X(Color, TextColor, "textColor", "#666666")       \
  X(String, WhiteSpace, "whiteSpace", "normal")     \
  X(String, FontSize, "fontSize", "14.6667px")      \
  X(String, FontFamily, "fontFamily", kZQThemeFont) \
  X(Integer, FontWeight, "fontWeight", 400)
class TIWZQJQPlotOptionsThemeAxisLabelStyle : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeAxisLabelStyle, TIWZQJSon, ZQ_PLOT_THEME_LABEL_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_AXES_ROWS(X)                             \
  X(Color, BorderColor, "borderColor", "#999999")              \
  X(Double, BorderWidth, "borderWidth", 2)                     \
  X(Obj, Ticks, "ticks", TIWZQJQPlotOptionsThemeAxisTickStyle) \
  X(Obj, Label_, "label", TIWZQJQPlotOptionsThemeAxisLabelStyle)

// The style shared by all axes.
class TIWZQJQPlotOptionsThemeAxesStyles : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsThemeAxesStyles, TIWZQJSon, ZQ_PLOT_THEME_AXES_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

// The style of one axis, written under the name of AxisType.
class TIWZQJQPlotOptionsThemeAxisStyle : public TIWZQJQPlotOptionsThemeAxesStyles {
  ZQ_CLASS(TIWZQJQPlotOptionsThemeAxisStyle, TIWZQJQPlotOptionsThemeAxesStyles)
  using TIWZQJQPlotOptionsThemeAxesStyles::TIWZQJQPlotOptionsThemeAxesStyles;
  TIWZQJQPlotOptionsXYAxes GetAxisType() const { return FAxisType; }
  void SetAxisType(TIWZQJQPlotOptionsXYAxes AValue) { FAxisType = AValue; }
  bool GetCustomJq(const std::string& APropName, const ISuperObject&) override {
    return APropName == "AxisType";
  }
  void Assign(const TPersistent* Source) override;

 private:
  TIWZQJQPlotOptionsXYAxes FAxisType = TIWZQJQPlotOptionsXYAxes::jqpoxyXAxis;
};

// Written as one object: each item under its axis name; a later item of the
// same axis replaces an earlier one.
class TIWZQJQPlotOptionsThemeAxesStyleList : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQPlotOptionsThemeAxesStyleList, TIWZQJSonList)
  TIWZQJQPlotOptionsThemeAxesStyleList();
  TIWZQJQPlotOptionsThemeAxisStyle* Add() {
    return static_cast<TIWZQJQPlotOptionsThemeAxisStyle*>(TIWZQJSonList::Add());
  }
  TIWZQJQPlotOptionsThemeAxisStyle* Insert(int AIndex) {
    return static_cast<TIWZQJQPlotOptionsThemeAxisStyle*>(TIWZQJSonList::Insert(AIndex));
  }
  TIWZQJQPlotOptionsThemeAxisStyle* Items(int AIndex) const {
    return static_cast<TIWZQJQPlotOptionsThemeAxisStyle*>(GetItem(AIndex));
  }
  ISuperObject GetJSonEx(bool AllProps, bool ForceVal, TIWZQResponseMemberList* Members,
                         bool OnlyCount) override;
};

// ---------------------------------------------------------------- series styles

class TIWZQJQPlotOptionsSeriesStyleBase : public TIWZQJSon {
  ZQ_CLASS(TIWZQJQPlotOptionsSeriesStyleBase, TIWZQJSon)
  using TIWZQJSon::TIWZQJSon;
};

class TIWZQJQPlotOptionsThemeSeries : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQPlotOptionsThemeSeries, TIWZQJSonList)
  TIWZQJQPlotOptionsThemeSeries();
  TIWZQJQPlotOptionsSeriesStyleBase* Add() {
    return static_cast<TIWZQJQPlotOptionsSeriesStyleBase*>(TIWZQJSonList::Add());
  }
  TIWZQJQPlotOptionsSeriesStyleBase* Items(int AIndex) const {
    return static_cast<TIWZQJQPlotOptionsSeriesStyleBase*>(GetItem(AIndex));
  }
};

#define ZQ_PLOT_THEME_MARKER_ROWS(X)                     \
  X(Color, Color, "color", "#4bb2c5")                    \
  X(Boolean, Show, "show", true)                         \
  X(Enum, Style, "style", TIWZQJQPlotMarkerOptionsStyle, \
    TIWZQJQPlotMarkerOptionsStyle::jqpmosFilledDiamond)  \
  X(Double, LineWidth, "lineWidth", 1.5)                 \
  X(Double, Size, "size", 4)                             \
  X(Boolean, Shadow, "shadow", true)
class TIWZQJQPlotOptionsLineSeriesStyleMarkerOpts : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsLineSeriesStyleMarkerOpts, TIWZQJSon, ZQ_PLOT_THEME_MARKER_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_PLOT_THEME_LINE_STYLE_ROWS(X)      \
  X(Color, Color, "color", "#4bb2c5")         \
  X(Double, LineWidth, "lineWidth", 2.5)      \
  X(Boolean, Shadow, "shadow", true)          \
  X(Color, FillColor, "fillColor", "#4bb2c5") \
  X(Boolean, ShowMarker, "showMarker", true)  \
  X(Obj, MarkerOptions, "markerOptions", TIWZQJQPlotOptionsLineSeriesStyleMarkerOpts)
class TIWZQJQPlotOptionsLineSeriesStyle : public TIWZQJQPlotOptionsSeriesStyleBase {
  ZQ_OPTIONS(TIWZQJQPlotOptionsLineSeriesStyle, TIWZQJQPlotOptionsSeriesStyleBase,
             ZQ_PLOT_THEME_LINE_STYLE_ROWS)
  using TIWZQJQPlotOptionsSeriesStyleBase::TIWZQJQPlotOptionsSeriesStyleBase;
};

// The default series colour list of the bar, pie and funnel styles.
const TZQStringArray& ZQThemeSeriesColors();

#define ZQ_PLOT_THEME_BAR_STYLE_ROWS(X)              \
  X(Color, Color, "color", "#4bb2c5")                \
  X(SimpleArray, SeriesColors, "seriesColors", true) \
  X(Double, LineWidth, "lineWidth", 2.5)             \
  X(Boolean, Shadow, "shadow", true)                 \
  X(Double, BarPadding, "barPadding", 2)             \
  X(Double, BarMargin, "barMargin", 10)              \
  X(Double, BarWidth, "barWidth", 15.09375)          \
  X(SimpleArray, HighlightColors, "highlightColors", true)

#define ZQ_PLOT_THEME_PIE_STYLE_ROWS(X)              \
  X(SimpleArray, SeriesColors, "seriesColors", true) \
  X(Double, Padding, "padding", 20)                  \
  X(Double, SliceMargin, "sliceMargin", 0)           \
  X(Boolean, Fill, "fill", true)                     \
  X(Boolean, Shadow, "shadow", true)                 \
  X(Double, StartAngle, "startAngle", 0)             \
  X(Double, LineWidth, "lineWidth", 2.5)             \
  X(SimpleArray, HighlightColors, "highlightColors", true)

#define ZQ_PLOT_THEME_FUNNEL_STYLE_ROWS(X)                           \
  X(Color, Color, "color", "#4bb2c5")                                \
  X(Double, LineWidth, "lineWidth", 2)                               \
  X(Boolean, Shadow, "shadow", true)                                 \
  X(JSon, Padding, "padding", "{top:20,right:20,bottom:20,left:20}") \
  X(Double, SectionMargin, "sectionMargin", 6)                       \
  X(SimpleArray, SeriesColors, "seriesColors", true)                 \
  X(SimpleArray, HighlightColors, "highlightColors", true)

// A series style with the two colour lists: each holds its default list from
// construction on and is written only while it differs from it.
#define ZQ_PLOT_COLOR_LIST_STYLE(T, ROWS)                                               \
  class T : public TIWZQJQPlotOptionsSeriesStyleBase {                                  \
    ZQ_OPTIONS(T, TIWZQJQPlotOptionsSeriesStyleBase, ROWS)                              \
    using TIWZQJQPlotOptionsSeriesStyleBase::TIWZQJQPlotOptionsSeriesStyleBase;         \
    static const TZQStringArray& DefaultHighlightColors();                              \
    bool IsStoredSeriesColors();                                                        \
    bool IsStoredHighlightColors();                                                     \
    void AfterConstruction() override;                                                  \
    bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override; \
  };
ZQ_PLOT_COLOR_LIST_STYLE(TIWZQJQPlotOptionsBarSeriesStyle, ZQ_PLOT_THEME_BAR_STYLE_ROWS)
ZQ_PLOT_COLOR_LIST_STYLE(TIWZQJQPlotOptionsPieSeriesStyle, ZQ_PLOT_THEME_PIE_STYLE_ROWS)
ZQ_PLOT_COLOR_LIST_STYLE(TIWZQJQPlotOptionsFunnelSeriesStyle, ZQ_PLOT_THEME_FUNNEL_STYLE_ROWS)
#undef ZQ_PLOT_COLOR_LIST_STYLE

// ---------------------------------------------------------------- themes

#define ZQ_PLOT_THEME_ROWS(X)                                         \
  X(String, Name, "_name", "")                                        \
  X(Obj, Target, "target", TIWZQJQPlotOptionsThemeTarget)             \
  X(Obj, Legend, "legend", TIWZQJQPlotOptionsThemeLegend)             \
  X(Obj, Title, "title", TIWZQJQPlotOptionsThemeTitle)                \
  X(ObjList, Series, "series", TIWZQJQPlotOptionsThemeSeries)         \
  X(Obj, Grid, "grid", TIWZQJQPlotOptionsThemeGrid)                   \
  X(Obj, AxesStyles, "axesStyles", TIWZQJQPlotOptionsThemeAxesStyles) \
  X(ObjList, Axes, "axes", TIWZQJQPlotOptionsThemeAxesStyleList)

// One theme. Serie chooses the chart kind whose series style it carries;
// changing it replaces the style object by a fresh one of the kind's class.
// GetJSon writes the members and, always, "seriesStyles".
class TIWZQJQPlotOptionsTheme : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQPlotOptionsTheme, TIWZQJSon, ZQ_PLOT_THEME_ROWS)
  using TIWZQJSon::TIWZQJSon;
  TIWZQJQPlotOptionsThemeSerie GetSerie() const { return FSerie; }
  void SetSerie(TIWZQJQPlotOptionsThemeSerie AValue);
  TIWZQJQPlotOptionsSeriesStyleBase* GetSeriesStyles();
  void SetSeriesStyles(TIWZQJQPlotOptionsSeriesStyleBase* AValue);
  const ClassInfo& GetSeriesStylesClass() const;
  void SetSeriesStylesClass(const ClassInfo& AClass);
  // Typed views; EInvalidCast when Serie is another kind.
  TIWZQJQPlotOptionsBarSeriesStyle* GetBarSeriesStyles();
  TIWZQJQPlotOptionsLineSeriesStyle* GetLineSeriesStyles();
  TIWZQJQPlotOptionsPieSeriesStyle* GetPieSeriesStyles();
  TIWZQJQPlotOptionsFunnelSeriesStyle* GetFunnelSeriesStyles();

  ISuperObject GetJSon() override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  void Assign(const TPersistent* Source) override;

 private:
  TIWZQJQPlotOptionsThemeSerie FSerie = TIWZQJQPlotOptionsThemeSerie::jqpotsLine;
  Owned<TIWZQJSon> FSeriesStyles;
};

class TIWZQJQPlotOptionsThemeList : public TIWZQJSonList {
  ZQ_CLASS(TIWZQJQPlotOptionsThemeList, TIWZQJSonList)
  TIWZQJQPlotOptionsThemeList();
  TIWZQJQPlotOptionsTheme* Add() {
    return static_cast<TIWZQJQPlotOptionsTheme*>(TIWZQJSonList::Add());
  }
  TIWZQJQPlotOptionsTheme* Insert(int AIndex) {
    return static_cast<TIWZQJQPlotOptionsTheme*>(TIWZQJSonList::Insert(AIndex));
  }
  TIWZQJQPlotOptionsTheme* Items(int AIndex) const {
    return static_cast<TIWZQJQPlotOptionsTheme*>(GetItem(AIndex));
  }
  // The first theme of the name, or none.
  TIWZQJQPlotOptionsTheme* Find(const std::string& AName) const;
  // Raises EInvalidCast "Invalid class typecast" when no chart owns it.
  TIWZQJQCustomPlot* GetJQPlot();
};

// The chart's themes and the scripts that use them on the client. Every
// script runs only while the client chart exists (the chart's
// DoProtectMethod) and raises EInvalidCast when no chart owns the engine.
// The themes are kept on the server only: they reach the client through
// the scripts, never as a member of the engine's JSON.
#define ZQ_PLOT_THEME_ENGINE_ROWS(X) \
  X(ObjList, Themes, "themes", TIWZQJQPlotOptionsThemeList, kZQServerOnly)

class TIWZQJQPlotThemeEngine : public TIWZQJQPlotBaseClass {
  ZQ_OPTIONS(TIWZQJQPlotThemeEngine, TIWZQJQPlotBaseClass, ZQ_PLOT_THEME_ENGINE_ROWS)
  using TIWZQJQPlotBaseClass::TIWZQJQPlotBaseClass;

  int GetActiveThemeIndex() const { return FActiveThemeIndex; }
  // During a callback a change sends the activation of the new index.
  void SetActiveThemeIndex(int AValue);

  // Activates the theme of the name ("Default" for an empty name), given as
  // an escaped string literal. A theme of Themes with that name is
  // registered first, unless the client already has one of the name.
  std::string jsActivateTheme(const std::string& AName);
  // Below 0: "Default"; beyond the list: empty text.
  std::string jsActivateTheme(int AIndex);
  void ActivateTheme(const std::string& AName);
  void ActivateTheme(int AIndex);
  // Registers the theme given as JSON (null when none).
  std::string jsNewTheme(ISuperObject ATheme);
  void NewTheme(ISuperObject ATheme);
  // The names are script expressions by design, written unchanged (pass a
  // quoted string literal such as ZQJsEscape(name), or a client variable);
  // an empty name gives the protecting wrapper around nothing.
  std::string jsRemoveTheme(const std::string& AName);
  void RemoveTheme(const std::string& AName);
  std::string jsRenameTheme(const std::string& AOldName, const std::string& ANewName);
  void RenameTheme(const std::string& AOldName, const std::string& ANewName);

  // The page's part after the chart is drawn: each named theme registered
  // (each name once, the first theme of it), then the active one activated.
  // Empty while no theme is held.
  std::string GetThemesScript();
  void ResetCustomProps();
  bool GetCustomJq(const std::string& APropName, const ISuperObject&) override {
    return APropName == "ActiveThemeIndex";
  }
  void Assign(const TPersistent* Source) override;

 private:
  std::string RegisterScript(TIWZQJQPlotOptionsTheme* ATheme);
  std::string ActivateScript(const std::string& AName);
  int FActiveThemeIndex = -1;
};

}  // namespace zq
