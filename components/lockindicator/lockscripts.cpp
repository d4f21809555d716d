#include "components/lockindicator/lockscripts.h"

#include "foundation/format.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"

namespace zq {

namespace {

constexpr TZQLockImageSize kSizes[kLockIndicatorImageCount + 1] = {
    {0, 0},   {220, 19}, {32, 32},  {66, 66},   {100, 100}, {54, 55}, {128, 15},
    {50, 50}, {35, 35},  {28, 28},  {24, 24},   {140, 18},  {65, 65}, {75, 75},
    {50, 50}, {24, 24},  {160, 20}, {100, 100}, {50, 50},   {80, 27}, {75, 75}};

std::string ItemKey(bool AOnServerController, int AIndex) {
  return Format(AOnServerController ? "sc%d" : "%d", AIndex);
}

std::string HookPrefix(bool AAjax, bool AUnload) {
  if (AAjax) return AUnload ? "IndicatorAjaxEnd" : "IndicatorAjaxBegin";
  return AUnload ? "IndicatorSubmitEnd" : "IndicatorSubmitBegin";
}

}  // namespace

const char* const kZQLockGrowlCSSDefault =
    "{\"width\":\"350px\",\"top\":\"10px\",\"left\":\"\",\"right\":\"10px\",\"border\":\"none\","
    "\"padding\":\"5px\",\"opacity\":0.6,\"cursor\":\"default\",\"color\":\"#fff\","
    "\"backgroundColor\":\"#000\","
    "\"-webkit-border-radius\":\"10px\",\"-moz-border-radius\":\"10px\",\"border-radius\":"
    "\"10px\"}";

TZQLockImageSize ZQLockImageSize(int AImage) {
  if (AImage < 0 || AImage > kLockIndicatorImageCount) return {};
  return kSizes[AImage];
}

std::string_view ZQLockThemeFolder(TIWZQJQLockIndicatorImgColor ATheme) {
  switch (ATheme) {
    case TIWZQJQLockIndicatorImgColor::jqlisBlue:
      return "blue";
    case TIWZQJQLockIndicatorImgColor::jqlisGreen:
      return "green";
    case TIWZQJQLockIndicatorImgColor::jqlisPink:
      return "pink";
    case TIWZQJQLockIndicatorImgColor::jqlisRed:
      return "red";
    case TIWZQJQLockIndicatorImgColor::jqlisBlack:
      break;
  }
  return "black";
}

std::string ZQLockImageFileName(int AImage) {
  if (AImage <= jqlidiNone || AImage > kLockIndicatorImageCount) return "No Image";
  return Format("Loading%d.gif", AImage);
}

std::string ZQLockImagePath(std::string_view ACssBase, TIWZQJQLockIndicatorImgColor ATheme,
                            int AImage) {
  if (AImage <= jqlidiNone || AImage > kLockIndicatorImageCount) return {};
  return std::string(ACssBase) + "loading-animation/" + std::string(ZQLockThemeFolder(ATheme)) +
         "/" + ZQLockImageFileName(AImage);
}

std::vector<std::string> ZQLockIndicatorPreScriptLines() {
  return {"function ZQCreateLock(url) {",
          "  var xLocker = document.createElement(\"div\");",
          "  xLocker.style.backgroundImage = \"url(\" + url + \")\";",
          "  document.getElementsByTagName(\"body\")[0].appendChild(xLocker);",
          "  xLocker.style.visibility = \"hidden\";",
          "}",
          "function ZQGetEventName(params,handler) {",
          " if (!handler) return \"\";",
          " var pos = handler.indexOf(\".\");",
          " if (pos > 0) {",
          "   if (handler.slice(pos+1) != \"DoAjaxRequest\") {",
          "     if (handler.substring(pos+1,pos+3) == \"Do\") handler = "
          "handler.slice(0,pos+1)+handler.slice(pos+3);",
          "     return handler;",
          "   }",
          "   handler = handler.slice(0,pos);",
          " }",
          " params = \"\" + params;",
          " pos = params.indexOf(\"=\");",
          " if (pos > 0) {",
          "  params = params.slice(pos+1);",
          "  pos = params.indexOf(\"&\");",
          "  if (pos > 0) params = params.slice(0,pos);",
          " }",
          "return handler+\".\"+params;",
          "}",
          "function ZQIsInStrArray(str,arr) {",
          " for (var i=0;i<arr.length;i++) {",
          "   var patt = new RegExp(arr[i]);",
          "   if (patt.test(str)) return true;",
          " }",
          " return false;",
          "}"};
}

std::string ZQLockRegExArray(const std::vector<std::string>& APatterns) {
  std::string r = "[";
  for (std::size_t i = 0; i < APatterns.size(); ++i) {
    if (i > 0) r += ",";
    r += ZQJsEscape(APatterns[i]);
  }
  return r + "]";
}

std::vector<std::string> ZQLockIndicatorHookLines(bool AAjax, bool AUnload,
                                                  const TZQLockHookSource& ASource) {
  std::vector<std::string> lines;
  if (ASource.ItemScripts.empty()) return lines;
  const std::string sc = ASource.OnServerController ? "sc" : "";
  const std::string needs = sc + "ZQGetNeedsIndicator";
  const std::string p = HookPrefix(AAjax, AUnload);
  lines.push_back(Format("function %s(evt,handler) {", needs));
  lines.push_back(" var pos = handler.indexOf(\".\");");
  lines.push_back(" if (pos > 0) handler = handler.slice(pos+1);");
  lines.push_back(" if (handler == \"DoAjaxRequest\") {");
  lines.push_back(Format("   return %s(evt,%s);", "ZQIsInStrArray",
                         ZQLockRegExArray(ASource.AjaxEventsZQRegEx)));
  lines.push_back(" }");
  lines.push_back(" else {");
  lines.push_back(
      Format("   return %s(evt,%s);", "ZQIsInStrArray", ZQLockRegExArray(ASource.AjaxEventsRegEx)));
  lines.push_back(" }");
  lines.push_back("}");
  // The item functions are local to the hook that holds them: the table
  // below is how the dispatch finds them without evaluating a name.
  lines.push_back("var ZQLockFns = ZQLockFns || {};");
  for (std::size_t i = 0; i < ASource.ItemScripts.size(); ++i) {
    const std::string key = ItemKey(ASource.OnServerController, static_cast<int>(i));
    lines.push_back(Format("function %s_%s() {", p, key));
    lines.push_back(ASource.ItemScripts[i]);
    lines.push_back("}");
    lines.push_back(Format("ZQLockFns[\"%s_%s\"] = %s_%s;", p, key, p, key));
  }
  lines.push_back("var evt = ZQGetEventName(params,handler);");
  lines.push_back("if (typeof(GEventIndicators)==\"undefined\") var fnc = \"\";");
  lines.push_back("else var fnc = GEventIndicators[evt];");
  lines.push_back(Format("if (fnc && fnc.length > 0) fnc = \"%s_\" + fnc;", p));
  const int active = ASource.ActiveIndex;
  if (active >= 0 && active < static_cast<int>(ASource.ItemScripts.size())) {
    const std::string cond = AAjax ? Format("if (%s(evt,handler)) ", needs) : std::string();
    lines.push_back(Format("else %s fnc = \"%s_\" + \"%s\";", cond, p,
                           ItemKey(ASource.OnServerController, active)));
  }
  lines.push_back(
      "if (fnc && fnc.length > 0 && typeof ZQLockFns[fnc] === \"function\") ZQLockFns[fnc]();");
  return lines;
}

std::string ZQLockMessageHTML(const TZQLockMessage& AMessage) {
  using A = TIWZQJQLockIndicatorImgAlign;
  const bool vertical = AMessage.Align == A::jqliiaTop || AMessage.Align == A::jqliiaBottom;
  std::string img;
  if (!AMessage.ImageSrc.empty()) {
    img = "<img ID=\"" + HTMLEscape(AMessage.Name + "_LOCKIMG") + "\" src=\"" +
          HTMLEscape(AMessage.ImageSrc) + "\"";
    if (AMessage.Width > 0) img += Format(" width=\"%d\"", AMessage.Width);
    if (AMessage.Height > 0) img += Format(" height=\"%d\"", AMessage.Height);
    img += Format(" class=\"%s\">",
                  vertical ? "zq-lock-image-align-vert" : "zq-lock-image-align-horiz");
  }
  std::string msg;
  if (!AMessage.Text.empty() && AMessage.Visible) {
    const std::string display = AMessage.ImageSrc.empty() || vertical
                                    ? "display:block; text-align: center;"
                                    : "display:table-cell;";
    msg = "<span ID=\"" + HTMLEscape(AMessage.Name + "_LOCKMSG") +
          "\" class=\"zq-lock-indicator-msg\" style=\"" +
          HTMLEscape(display + " vertical-align: middle;" + AMessage.FontStyle) + "\">" +
          (AMessage.MessageIsHTML ? AMessage.Text : HTMLEscape(AMessage.Text)) + "</span>";
  }
  const bool messageFirst = AMessage.Align == A::jqliiaRight || AMessage.Align == A::jqliiaBottom;
  return messageFirst ? msg + img : img + msg;
}

}  // namespace zq
