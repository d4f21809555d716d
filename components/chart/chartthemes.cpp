#include "components/chart/chartthemes.h"

#include <set>

#include "components/chart/chart.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/jqcommon.h"
#include "host/zqhelpers.h"

namespace zq {

namespace {

void FillList(TIWZQJSonSimpleArray* AArray, const TZQStringArray& AValues) {
  AArray->Clear();
  for (const std::string& v : AValues) AArray->Add(v);
}

// Compared as one text, the lines joined.
bool SameList(TIWZQJSonSimpleArray* AArray, const TZQStringArray& AValues) {
  std::string a, b;
  for (int i = 0; i < AArray->Count(); ++i) a += AArray->Strings(i) + "\n";
  for (const std::string& v : AValues) b += v + "\n";
  return a == b;
}

template <class T>
T* View(TIWZQJSon* AObject) {
  auto* t = dynamic_cast<T*>(AObject);
  if (!t) throw EInvalidCast("Invalid class typecast");
  return t;
}

using ClassFn = const ClassInfo& (*)();
// Series style classes in the order of TIWZQJQPlotOptionsThemeSerie.
const ClassFn kSeriesStyleClasses[] = {&TIWZQJQPlotOptionsBarSeriesStyle::StaticClass,
                                       &TIWZQJQPlotOptionsLineSeriesStyle::StaticClass,
                                       &TIWZQJQPlotOptionsPieSeriesStyle::StaticClass,
                                       &TIWZQJQPlotOptionsFunnelSeriesStyle::StaticClass};

const ClassInfo& StyleClass(TIWZQJQPlotOptionsThemeSerie ASerie) {
  return kSeriesStyleClasses[static_cast<int>(ASerie)]();
}

}  // namespace

// ---------------------------------------------------------------- areas and axes

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeTarget) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeLegend) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeTitle) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeGrid) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeAxisTickStyle) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeAxisLabelStyle) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsThemeAxesStyles) {}

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsThemeAxisStyle) {
  c.Prop("AxisType", &TIWZQJQPlotOptionsThemeAxisStyle::GetAxisType,
         &TIWZQJQPlotOptionsThemeAxisStyle::SetAxisType);
}

void TIWZQJQPlotOptionsThemeAxisStyle::Assign(const TPersistent* Source) {
  TIWZQJQPlotOptionsThemeAxesStyles::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotOptionsThemeAxisStyle*>(Source))
    FAxisType = s->FAxisType;
}

TIWZQJQPlotOptionsThemeAxesStyleList::TIWZQJQPlotOptionsThemeAxesStyleList()
    : TIWZQJSonList(TIWZQJQPlotOptionsThemeAxisStyle::StaticClass(), 0) {
  SetFlag(kListObjectLayout, true);
}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsThemeAxesStyleList) {}

ISuperObject TIWZQJQPlotOptionsThemeAxesStyleList::GetJSonEx(bool, bool, TIWZQResponseMemberList*,
                                                             bool) {
  if (Count() == 0) return nullptr;
  ISuperObject result = SO();
  const TZQStringArray& names = ZqEnumJSonTexts(TIWZQJQPlotOptionsXYAxes{});
  for (int i = 0; i < Count(); ++i) {
    ISuperObject o = Items(i)->GetJSon();
    result->PutO(names[static_cast<std::size_t>(Items(i)->GetAxisType())], o ? o : SO());
  }
  return result;
}

// ---------------------------------------------------------------- series styles

ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsSeriesStyleBase) {}

TIWZQJQPlotOptionsThemeSeries::TIWZQJQPlotOptionsThemeSeries()
    : TIWZQJSonList(TIWZQJQPlotOptionsSeriesStyleBase::StaticClass(), 0) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsThemeSeries) {}

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsLineSeriesStyleMarkerOpts) {}
ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsLineSeriesStyle) {}

const TZQStringArray& ZQThemeSeriesColors() {
  static const TZQStringArray colors{
      "#4bb2c5", "#EAA228", "#c5b47f", "#579575", "#839557", "#958c12", "#953579", "#4b5de4",
      "#d8b83f", "#ff5800", "#0085cc", "#c747a3", "#cddf54", "#FBD178", "#26B4E3", "#bd70c7"};
  return colors;
}

#define ZQ_PLOT_COLOR_LIST_STYLE_IMPL(T, ...)                                                \
  ZQ_IMPLEMENT_OPTIONS(T) {}                                                                 \
  const TZQStringArray& T::DefaultHighlightColors() {                                        \
    static const TZQStringArray colors{__VA_ARGS__};                                         \
    return colors;                                                                           \
  }                                                                                          \
  bool T::IsStoredSeriesColors() {                                                           \
    return !SameList(GetSeriesColors(), ZQThemeSeriesColors());                              \
  }                                                                                          \
  bool T::IsStoredHighlightColors() {                                                        \
    return !SameList(GetHighlightColors(), DefaultHighlightColors());                        \
  }                                                                                          \
  void T::AfterConstruction() {                                                              \
    TIWZQJQPlotOptionsSeriesStyleBase::AfterConstruction();                                  \
    FillList(GetSeriesColors(), ZQThemeSeriesColors());                                      \
    FillList(GetHighlightColors(), DefaultHighlightColors());                                \
  }                                                                                          \
  bool T::GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) {             \
    if (APropName == "SeriesColors") {                                                       \
      if (IsStoredSeriesColors()) AJSon->PutO("seriesColors", GetSeriesColors()->GetJSon()); \
      return true;                                                                           \
    }                                                                                        \
    if (APropName == "HighlightColors") {                                                    \
      if (IsStoredHighlightColors())                                                         \
        AJSon->PutO("highlightColors", GetHighlightColors()->GetJSon());                     \
      return true;                                                                           \
    }                                                                                        \
    return false;                                                                            \
  }

ZQ_PLOT_COLOR_LIST_STYLE_IMPL(TIWZQJQPlotOptionsBarSeriesStyle, "#81C9D6", "#81C9D6", "#81C9D6",
                              "#81C9D6", "#81C9D6", "#81C9D6", "#81C9D6", "#81C9D6")
ZQ_PLOT_COLOR_LIST_STYLE_IMPL(TIWZQJQPlotOptionsPieSeriesStyle, "#81C9D6", "#F0BD68", "#D6CAA5",
                              "#89B49E", "#A8B489", "#B4AE59", "#B471A1", "#818DEC", "#E3CD78",
                              "#FF8A4C", "#4CA9DB", "#D77EBE", "#DCE887", "#C8A760", "#67CAEB",
                              "#D09AD7")
ZQ_PLOT_COLOR_LIST_STYLE_IMPL(TIWZQJQPlotOptionsFunnelSeriesStyle, "#93D0DC", "#F2C77E", "#DCD2B2",
                              "#9ABFAC", "#B4BF9A", "#BFBA70", "#BF85AE", "#939DEE", "#E7D48B",
                              "#FF9A66", "#66B5E0", "#DD90C7", "#E1EB98", "#C8A760", "#7CD2EE",
                              "#D7A9DD")
#undef ZQ_PLOT_COLOR_LIST_STYLE_IMPL

// ---------------------------------------------------------------- themes

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotOptionsTheme) {
  using T = TIWZQJQPlotOptionsTheme;
  c.Prop("Serie", &T::GetSerie, &T::SetSerie);
  c.Prop("SeriesStyles", &T::GetSeriesStyles, &T::SetSeriesStyles);
}

void TIWZQJQPlotOptionsTheme::SetSerie(TIWZQJQPlotOptionsThemeSerie AValue) {
  if (AValue == FSerie) return;
  SetSeriesStylesClass(StyleClass(AValue));
  FSerie = AValue;
}

const ClassInfo& TIWZQJQPlotOptionsTheme::GetSeriesStylesClass() const {
  return StyleClass(FSerie);
}

void TIWZQJQPlotOptionsTheme::SetSeriesStylesClass(const ClassInfo& AClass) {
  if (&AClass == &GetSeriesStylesClass() && FSeriesStyles) return;
  FSeriesStyles.reset(CreateSingle(AClass, this, "SeriesStyles"));
}

TIWZQJQPlotOptionsSeriesStyleBase* TIWZQJQPlotOptionsTheme::GetSeriesStyles() {
  if (!FSeriesStyles) FSeriesStyles.reset(CreateSingle(StyleClass(FSerie), this, "SeriesStyles"));
  return static_cast<TIWZQJQPlotOptionsSeriesStyleBase*>(FSeriesStyles.get());
}

void TIWZQJQPlotOptionsTheme::SetSeriesStyles(TIWZQJQPlotOptionsSeriesStyleBase* AValue) {
  GetSeriesStyles()->Assign(AValue);
}

TIWZQJQPlotOptionsBarSeriesStyle* TIWZQJQPlotOptionsTheme::GetBarSeriesStyles() {
  return View<TIWZQJQPlotOptionsBarSeriesStyle>(GetSeriesStyles());
}
TIWZQJQPlotOptionsLineSeriesStyle* TIWZQJQPlotOptionsTheme::GetLineSeriesStyles() {
  return View<TIWZQJQPlotOptionsLineSeriesStyle>(GetSeriesStyles());
}
TIWZQJQPlotOptionsPieSeriesStyle* TIWZQJQPlotOptionsTheme::GetPieSeriesStyles() {
  return View<TIWZQJQPlotOptionsPieSeriesStyle>(GetSeriesStyles());
}
TIWZQJQPlotOptionsFunnelSeriesStyle* TIWZQJQPlotOptionsTheme::GetFunnelSeriesStyles() {
  return View<TIWZQJQPlotOptionsFunnelSeriesStyle>(GetSeriesStyles());
}

bool TIWZQJQPlotOptionsTheme::GetCustomJq(const std::string& APropName, const ISuperObject&) {
  return APropName == "Serie" || APropName == "SeriesStyles";
}

ISuperObject TIWZQJQPlotOptionsTheme::GetJSon() {
  ISuperObject json = TIWZQJSon::GetJSon();
  if (!json) json = SO();
  ISuperObject styles = GetSeriesStyles()->GetJSon();
  json->PutO("seriesStyles", styles ? styles : SO());
  return json;
}

void TIWZQJQPlotOptionsTheme::Assign(const TPersistent* Source) {
  TIWZQJSon::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotOptionsTheme*>(Source)) {
    SetSerie(s->FSerie);
    if (s->FSeriesStyles) GetSeriesStyles()->Assign(s->FSeriesStyles.get());
  }
}

TIWZQJQPlotOptionsThemeList::TIWZQJQPlotOptionsThemeList()
    : TIWZQJSonList(TIWZQJQPlotOptionsTheme::StaticClass(), 0) {}
ZQ_IMPLEMENT_CLASS(TIWZQJQPlotOptionsThemeList) {}

TIWZQJQPlotOptionsTheme* TIWZQJQPlotOptionsThemeList::Find(const std::string& AName) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->GetName() == AName) return Items(i);
  return nullptr;
}

TIWZQJQCustomPlot* TIWZQJQPlotOptionsThemeList::GetJQPlot() {
  TIWZQJQCustomPlot* plot = ZQFindOwningPlot(this);
  if (!plot) throw EInvalidCast("Invalid class typecast");
  return plot;
}

// ---------------------------------------------------------------- engine

ZQ_IMPLEMENT_OPTIONS(TIWZQJQPlotThemeEngine) {
  c.Prop("ActiveThemeIndex", &TIWZQJQPlotThemeEngine::GetActiveThemeIndex,
         &TIWZQJQPlotThemeEngine::SetActiveThemeIndex);
}

// A theme of the name is registered only when the client engine has none:
// jqPlot raises "Theme already in use" for a name registered twice.
std::string TIWZQJQPlotThemeEngine::RegisterScript(TIWZQJQPlotOptionsTheme* ATheme) {
  const std::string obj = GetJQPlot()->GetObjectName();
  const std::string json =
      ZQOptionJSonText(ATheme->GetJSon(), JSonIdent(), JSonEscape(), JSonNameQuote());
  return Format("if (!%s.themeEngine.themes.hasOwnProperty(%s)) %s.themeEngine.newTheme(%s);", obj,
                ZQJsEscape(ATheme->GetName()), obj, json);
}

std::string TIWZQJQPlotThemeEngine::ActivateScript(const std::string& AName) {
  return GetJQPlot()->GetObjectName() +
         Format(".activateTheme(%s);", ZQJsEscape(AName.empty() ? "Default" : AName));
}

std::string TIWZQJQPlotThemeEngine::jsActivateTheme(const std::string& AName) {
  TIWZQJQCustomPlot* plot = GetJQPlot();
  std::string body;
  if (!AName.empty())
    if (TIWZQJQPlotOptionsTheme* t = GetThemes()->Find(AName)) body = RegisterScript(t);
  return plot->DoProtectMethod(body + ActivateScript(AName));
}

std::string TIWZQJQPlotThemeEngine::jsActivateTheme(int AIndex) {
  if (AIndex < 0) return jsActivateTheme(std::string());
  if (AIndex >= GetThemes()->Count()) return {};
  return jsActivateTheme(GetThemes()->Items(AIndex)->GetName());
}

void TIWZQJQPlotThemeEngine::ActivateTheme(const std::string& AName) {
  GetJQPlot()->AddJavaScriptToResponse(jsActivateTheme(AName), true, true);
}
void TIWZQJQPlotThemeEngine::ActivateTheme(int AIndex) {
  GetJQPlot()->AddJavaScriptToResponse(jsActivateTheme(AIndex), true, true);
}

std::string TIWZQJQPlotThemeEngine::jsNewTheme(ISuperObject ATheme) {
  TIWZQJQCustomPlot* plot = GetJQPlot();
  CheckNilSO(ATheme);
  const std::string json = ZQOptionJSonText(ATheme, JSonIdent(), JSonEscape(), JSonNameQuote());
  return plot->DoProtectMethod(plot->GetObjectName() + ".themeEngine" +
                               Format(".newTheme(%s);", json));
}
void TIWZQJQPlotThemeEngine::NewTheme(ISuperObject ATheme) {
  GetJQPlot()->AddJavaScriptToResponse(jsNewTheme(ATheme), true, true);
}

std::string TIWZQJQPlotThemeEngine::jsRemoveTheme(const std::string& AName) {
  TIWZQJQCustomPlot* plot = GetJQPlot();
  if (AName.empty()) return plot->DoProtectMethod("");
  return plot->DoProtectMethod(plot->GetObjectName() + ".themeEngine" +
                               Format(".remove(%s);", AName));
}
void TIWZQJQPlotThemeEngine::RemoveTheme(const std::string& AName) {
  GetJQPlot()->AddJavaScriptToResponse(jsRemoveTheme(AName), true, true);
}

std::string TIWZQJQPlotThemeEngine::jsRenameTheme(const std::string& AOldName,
                                                  const std::string& ANewName) {
  TIWZQJQCustomPlot* plot = GetJQPlot();
  if (AOldName.empty() || ANewName.empty()) return plot->DoProtectMethod("");
  return plot->DoProtectMethod(plot->GetObjectName() + ".themeEngine" +
                               Format(".rename(%s,%s);", AOldName, ANewName));
}
void TIWZQJQPlotThemeEngine::RenameTheme(const std::string& AOldName, const std::string& ANewName) {
  GetJQPlot()->AddJavaScriptToResponse(jsRenameTheme(AOldName, ANewName), true, true);
}

void TIWZQJQPlotThemeEngine::SetActiveThemeIndex(int AValue) {
  if (AValue == FActiveThemeIndex) return;
  FActiveThemeIndex = AValue;
  TIWZQJQCustomPlot* plot = ZQFindOwningPlot(this);
  if (plot && plot->GetGenerateAjaxResponse(nullptr)) {
    const std::string script = jsActivateTheme(AValue);
    if (!script.empty()) plot->AddJavaScriptToAjaxResponse(script, false, true);
  }
}

std::string TIWZQJQPlotThemeEngine::GetThemesScript() {
  TIWZQJQPlotOptionsThemeList* themes = GetThemes();
  if (themes->Count() == 0) return {};
  TIWZQJQCustomPlot* plot = GetJQPlot();
  const std::string b = ZQIfDebug("\r\n");
  std::set<std::string> names;
  std::string out;
  for (int i = 0; i < themes->Count(); ++i) {
    TIWZQJQPlotOptionsTheme* t = themes->Items(i);
    if (t->GetName().empty() || !names.insert(t->GetName()).second) continue;
    out += plot->DoProtectMethod(RegisterScript(t)) + b;
  }
  if (FActiveThemeIndex >= 0 && FActiveThemeIndex < themes->Count())
    out += plot->DoProtectMethod(ActivateScript(themes->Items(FActiveThemeIndex)->GetName())) + b;
  return out;
}

void TIWZQJQPlotThemeEngine::ResetCustomProps() {
  GetThemes()->Clear();
  SetActiveThemeIndex(-1);
}

void TIWZQJQPlotThemeEngine::Assign(const TPersistent* Source) {
  TIWZQJQPlotBaseClass::Assign(Source);
  if (auto* s = dynamic_cast<const TIWZQJQPlotThemeEngine*>(Source))
    FActiveThemeIndex = s->FActiveThemeIndex;
}

}  // namespace zq
