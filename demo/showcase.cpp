#include "showcase.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "demosources.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "framework/links.h"
#include "host/context.h"
#include "host/servercontroller.h"

namespace zqdemo {

using namespace zq;

namespace {

// The frame's look: the page flow, a side navigation that becomes a row of
// links on a narrow screen, where the examples' controls flow too. Colours
// come from the jQuery UI theme (ui-widget-* classes) except the source box.
constexpr std::string_view kStyle = R"css(
*,*::before,*::after{box-sizing:border-box}
body{margin:0;font-family:system-ui,-apple-system,"Segoe UI",Roboto,Helvetica,Arial,sans-serif;font-size:15px;line-height:1.45}
.zqd-app{min-height:100vh;border:0;border-radius:0}
.zqd-header{display:flex;flex-wrap:wrap;align-items:center;gap:6px 16px;padding:10px 16px;border-width:0 0 1px 0;border-radius:0}
.zqd-header h1{margin:0;font-size:1.25em;flex:1 1 auto}
.zqd-header h1 a{color:inherit;text-decoration:none}
.zqd-header .zqd-tagline{font-weight:normal;font-size:.8em;opacity:.85;margin-left:.5em}
.zqd-theme{font-weight:normal;white-space:nowrap}
.zqd-theme select{margin-left:6px;font:inherit;padding:2px 4px}
.zqd-layout{display:flex;align-items:flex-start}
.zqd-nav{flex:0 0 210px;padding:12px 8px;position:sticky;top:0}
.zqd-nav ul{list-style:none;margin:0;padding:0}
.zqd-nav li{margin:0 0 4px}
.zqd-nav a{display:block;padding:5px 10px;text-decoration:none;border-radius:3px}
.zqd-main{flex:1 1 auto;min-width:0;padding:8px 20px 40px}
.zqd-intro h2{margin:12px 0 4px;font-size:1.35em}
.zqd-intro p{margin:0 0 10px;max-width:62em}
.zqd-live{position:relative;margin:0 0 18px;border-radius:4px}
.zqd-bar{display:flex;flex-wrap:wrap;align-items:center;gap:6px 12px;margin:8px 0 4px;padding:6px 10px}
.zqd-bar>*{position:static!important;width:auto!important;max-width:100%}
.zqd-code{margin:0 0 24px}
.zqd-code summary{cursor:pointer;margin:0 0 6px;font-weight:600}
.zqd-code pre{margin:0;padding:10px 12px;max-height:560px;overflow:auto;font:13px/1.45 ui-monospace,SFMono-Regular,Menlo,Consolas,monospace;background:#f6f8fa;color:#1f2328;border:1px solid #d0d7de;border-radius:4px}
@media (max-width:760px){
.zqd-layout{display:block}
.zqd-nav{position:static;padding:8px 8px 0}
.zqd-nav ul{display:flex;flex-wrap:wrap;gap:4px}
.zqd-nav li{margin:0}
.zqd-nav a{padding:3px 8px}
.zqd-main{padding:4px 10px 32px}
.zqd-live{overflow-x:auto}
.zqd-live.zqd-flow{height:auto!important;display:flex;flex-wrap:wrap;align-items:center;gap:8px;padding:8px}
.zqd-live.zqd-flow>*{position:static!important;max-width:100%}
}
)css";

// The theme switcher (kept in the browser's local storage) and the jQuery UI
// look of the host's buttons and inputs, given again to replaced elements.
constexpr std::string_view kScript = R"js(
(function(){
var key="zqdemo.theme",select=document.getElementById("zqd-theme"),link=document.getElementById("zqd-theme-css");
function use(name){
for(var i=0;i<select.options.length;i++){var o=select.options[i];
if(o.value===name){select.value=name;link.href=o.getAttribute("data-href");return;}}
}
try{var saved=window.localStorage.getItem(key);if(saved)use(saved);}catch(e){}
select.addEventListener("change",function(){use(select.value);try{window.localStorage.setItem(key,select.value);}catch(e){}});
function dress(root){
var b=root.querySelectorAll("input[type=button],input[type=submit],button");
for(var i=0;i<b.length;i++)b[i].classList.add("ui-button","ui-widget","ui-corner-all");
var t=root.querySelectorAll("input[type=text],input:not([type]),textarea");
for(var j=0;j<t.length;j++)t[j].classList.add("ui-widget-content","ui-corner-all");
}
var main=document.querySelector(".zqd-main");
if(main){dress(main);new MutationObserver(function(){dress(main);}).observe(main,{childList:true,subtree:true});}
})();
)js";

std::string Trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

std::string BaseName(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The installed jQuery UI themes (folders of the web root's theme folder with
// a stylesheet), "base" first; read once.
const std::vector<std::string>& InstalledThemes() {
  static const std::vector<std::string> themes = [] {
    std::vector<std::string> r;
    std::string root =
        (gServerController ? gServerController->ContentPath : std::string("webroot")) + "/" +
        ZQThemeUrlBase;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
      if (std::filesystem::is_regular_file(it->path() / "jquery-ui.min.css"))
        r.push_back(it->path().filename().string());
    std::sort(r.begin(), r.end(), [](const std::string& a, const std::string& b) {
      return (a == "base") != (b == "base") ? a == "base" : a < b;
    });
    return r;
  }();
  return themes;
}

std::string ThemeHref(const std::string& theme) {
  std::string file = ZQThemeUrlBase + theme + "/" + ZQMinFile("jquery-ui.css", "jquery-ui.min.css");
  return gServerController ? gServerController->FileURL(file) : "/" + file;
}

// Links are relative, so that they hold under any URL base: "/" and
// "/demo/<name>" lead to "demo/<name>" and "<name>".
std::string PageLink(bool fromAllPages, const std::string& name) {
  return (fromAllPages ? "demo/" : "") + name;
}

class TShowcaseLayout : public TIWLayoutMgrForm {
 public:
  explicit TShowcaseLayout(std::string APage) : page_(std::move(APage)) {}

  std::string RenderPage(TIWAppForm& AForm, TIWPageContext40& APage,
                         const std::string& ABody) override {
    const bool all = page_.empty();
    std::string body = "<div class=\"zqd-app ui-widget-content\">";
    body += "<header class=\"zqd-header ui-widget-header\"><h1><a href=\"";
    body += all ? "./" : "../";
    body +=
        "\">zqjq showcase</a><span class=\"zqd-tagline\">server-side web controls in "
        "C++</span></h1>";
    const auto& themes = InstalledThemes();
    if (!themes.empty()) {
      body += "<label class=\"zqd-theme\">Theme<select id=\"zqd-theme\">";
      for (const std::string& t : themes)
        body += "<option value=\"" + HTMLEscape(t) + "\" data-href=\"" + HTMLEscape(ThemeHref(t)) +
                "\">" + HTMLEscape(t) + "</option>";
      body += "</select></label>";
    }
    body += "</header><div class=\"zqd-layout\"><nav class=\"zqd-nav\" aria-label=\"Pages\"><ul>";
    auto entry = [&](const std::string& href, const std::string& label, bool current) {
      body += "<li><a class=\"";
      body += current ? "ui-state-active\" aria-current=\"page\"" : "ui-state-default\"";
      body += " href=\"" + HTMLEscape(href) + "\">" + HTMLEscape(label) + "</a></li>";
    };
    entry(all ? "./" : "../", "All pages", all);
    for (const TDemoPageInfo* info : DemoPages())
      entry(PageLink(all, info->name), DemoPageText(*info).label, info->name == page_);
    body += "</ul></nav><main class=\"zqd-main\">" + ABody + "</main></div></div>";
    body += "<script type=\"text/javascript\">" + std::string(kScript) + "</script>";

    std::string html = TIWLayoutMgrForm::RenderPage(AForm, APage, body);
    // The theme after the page's own stylesheets, so that it wins.
    std::string head =
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
    if (!themes.empty())
      head += "<link id=\"zqd-theme-css\" rel=\"stylesheet\" type=\"text/css\" href=\"" +
              HTMLEscape(ThemeHref(themes.front())) + "\">\r\n";
    head += "<style>" + std::string(kStyle) + "</style>\r\n";
    size_t at = html.find("</head>");
    if (at != std::string::npos) html.insert(at, head);
    return html;
  }

 private:
  std::string page_;
};

}  // namespace

// ---------------------------------------------------------------- texts

std::string DemoLabelOfName(std::string_view AName) {
  std::string r(AName);
  for (char& c : r)
    if (c == '_' || c == '-') c = ' ';
  if (!r.empty() && r[0] >= 'a' && r[0] <= 'z') r[0] = static_cast<char>(r[0] - 'a' + 'A');
  return r;
}

std::string FirstCommentSentence(std::string_view ASource) {
  std::string text;
  size_t pos = 0;
  while (pos < ASource.size()) {
    size_t end = ASource.find('\n', pos);
    if (end == std::string_view::npos) end = ASource.size();
    std::string line = Trimmed(ASource.substr(pos, end - pos));
    pos = end + 1;
    if (line.rfind("//", 0) != 0) break;
    line = Trimmed(std::string_view(line).substr(2));
    if (line.empty() || line[0] == '-') break;  // a list or a paragraph follows
    text += (text.empty() ? "" : " ") + line;
  }
  // The sentence ends at a full stop followed by a blank, or at the end.
  size_t stop = 0;
  for (;; ++stop) {
    stop = text.find('.', stop);
    if (stop == std::string::npos || stop + 1 == text.size() || text[stop + 1] == ' ') break;
  }
  std::string sentence = stop == std::string::npos ? text : text.substr(0, stop + 1);
  size_t colon = sentence.find(": ");
  if (colon != std::string::npos && colon <= 32) sentence = sentence.substr(colon + 2);
  if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z')
    sentence[0] = static_cast<char>(sentence[0] - 'a' + 'A');
  if (!sentence.empty() && sentence.back() != '.') sentence += '.';
  return sentence;
}

std::string_view DemoSourceOf(std::string_view AFile) {
  std::string name = BaseName(AFile);
  for (const TDemoSource& s : DemoSources())
    if (s.file == name) return s.text;
  return {};
}

const TDemoPageText& DemoPageText(const TDemoPageInfo& AInfo) {
  static std::mutex lock;
  static std::map<std::string, TDemoPageText, std::less<>> texts;
  std::lock_guard<std::mutex> g(lock);
  auto it = texts.find(AInfo.name);
  if (it != texts.end()) return it->second;
  // The page's own texts come from an instance that is never built.
  std::unique_ptr<TDemoPage> page = AInfo.make();
  TDemoPageText t;
  t.source = DemoSourceOf(AInfo.file);
  t.label = page->NavLabel();
  if (t.label.empty()) t.label = DemoLabelOfName(AInfo.name);
  t.title = page->Title();
  if (t.title.empty()) t.title = t.label;
  t.summary = page->Summary();
  if (t.summary.empty()) t.summary = FirstCommentSentence(t.source);
  return texts.emplace(AInfo.name, std::move(t)).first->second;
}

std::string DemoPagesJSON() {
  std::string r = "{\"pages\":[";
  bool first = true;
  for (const TDemoPageInfo* info : DemoPages()) {
    const TDemoPageText& t = DemoPageText(*info);
    r += first ? "{" : ",{";
    first = false;
    r += "\"name\":" + ZQJsEscape(info->name) + ",\"label\":" + ZQJsEscape(t.label) +
         ",\"title\":" + ZQJsEscape(t.title) + ",\"summary\":" + ZQJsEscape(t.summary) +
         ",\"path\":" + ZQJsEscape("/demo/" + info->name) + "}";
  }
  return r + "]}";
}

std::string DemoIntroHtml(const TDemoPageInfo& AInfo, bool AAllPages) {
  const TDemoPageText& t = DemoPageText(AInfo);
  std::string r = "<h2>" + HTMLEscape(t.title) + "</h2>";
  if (!t.summary.empty()) r += "<p>" + HTMLEscape(t.summary) + "</p>";
  if (AAllPages)
    r += "<p><a href=\"" + HTMLEscape(PageLink(true, AInfo.name)) +
         "\">This page alone, with the code that builds it</a></p>";
  return r;
}

std::string DemoSourceHtml(const TDemoPageInfo& AInfo) {
  const TDemoPageText& t = DemoPageText(AInfo);
  if (t.source.empty()) return {};
  return "<details class=\"zqd-code\" open><summary>The C++ of this page: demo/pages/" +
         HTMLEscape(BaseName(AInfo.file)) + "</summary><pre><code>" + HTMLEscape(t.source) +
         "</code></pre></details>";
}

std::unique_ptr<TIWLayoutMgr> MakeShowcaseLayout(std::string APage) {
  return std::make_unique<TShowcaseLayout>(std::move(APage));
}

// ---------------------------------------------------------------- controls

namespace {

// A control of the frame sits in the page flow, sized by its content.
void InFlow(TIWBaseControl& AControl) {
  AControl.StyleRenderOptions.RenderAbsolute = false;
  AControl.StyleRenderOptions.RenderSize = false;
  AControl.StyleRenderOptions.RenderFont = false;
  AControl.StyleRenderOptions.RenderZIndex = false;
}

}  // namespace

ZQ_IMPLEMENT_CLASS(TDemoHtml) {}

TDemoHtml::TDemoHtml(TComponent* AOwner) : TIWBaseControl(AOwner) {
  InFlow(*this);
}

std::unique_ptr<TIWHTMLTag> TDemoHtml::RenderHTML(TIWCompContext&) {
  auto tag = std::make_unique<TIWHTMLTag>("div");
  tag->AddStringParam("id", HTMLName());
  tag->AddRawText(Html);
  return tag;
}

ZQ_IMPLEMENT_CLASS(TDemoBar) {}

TDemoBar::TDemoBar(TComponent* AOwner) : TIWFrame(AOwner) {
  InFlow(*this);
}

std::unique_ptr<TIWHTMLTag> TDemoBar::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWFrame::RenderHTML(AContext);
  tag->AddClassParam("zqd-bar ui-widget-content ui-corner-all");
  return tag;
}

ZQ_IMPLEMENT_CLASS(TDemoExample) {}

TDemoExample::TDemoExample(TComponent* AOwner) : TIWFrame(AOwner) {
  StyleRenderOptions.RenderAbsolute = false;
  StyleRenderOptions.RenderFont = false;
  StyleRenderOptions.RenderZIndex = false;
}

std::unique_ptr<TIWHTMLTag> TDemoExample::RenderHTML(TIWCompContext& AContext) {
  auto tag = TIWFrame::RenderHTML(AContext);
  tag->AddClassParam(Flows ? "zqd-live zqd-flow ui-widget-content" : "zqd-live ui-widget-content");
  return tag;
}

}  // namespace zqdemo
