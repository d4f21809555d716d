#include <gtest/gtest.h>

#include "foundation/asciicase.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/context.h"
#include "host/testing.h"

namespace zq {

// A non-visual component that asks for the same files and scripts as its
// twin, so that the page must write each once.
class TTestWidget : public TIWComponent {
  ZQ_CLASS(TTestWidget, TIWComponent)
 public:
  using TIWComponent::TIWComponent;
  void RenderScripts(TIWCompContext& ctx) override {
    TIWPageContext40* page = ctx.PageContext();
    page->AddLinkFile("/css/widget.css?v=1");
    page->AddScriptFile("/jq/widget.js?v=1");
    page->AddScriptFile("/jq/" + Lower() + ".js?v=1");
    ctx.AddToJavaScriptOnce("var widgets = 0;");
    ctx.AddToJavaScriptOnce("widgets++; // " + HTMLName());
    ctx.AddToIWCLInitProc(HTMLName() + "IWCL = NewIWCL(IWCLForm,\"" + HTMLName() + "\",false);");
    ctx.AddToInitProc("init(\"" + HTMLName() + "\");");
    ctx.AddToInitProcDoLastCode("last(\"" + HTMLName() + "\");");
    ctx.AddToOnReady("ready(\"" + HTMLName() + "\");");
  }
  std::string Lower() const { return LowerAscii(GetName()); }
};
ZQ_IMPLEMENT_CLASS(TTestWidget) {}

namespace {

using hosttest::THostFixture;

TIWAppForm* BuildForm(TIWApplication& app) {
  auto* f = Create<TIWAppForm>(&app);
  f->SetName("MainForm");
  f->Title = "Demo <page>";
  auto* lbl = Create<TIWLabel>(f);
  lbl->SetName("Label1");
  lbl->SetParent(f);
  lbl->SetCaption("Hello & <welcome>");
  lbl->SetBounds(8, 16, 100, 20);
  auto* region = Create<TIWRegion>(f);
  region->SetName("Region1");
  region->SetParent(f);
  region->SetBounds(0, 40, 300, 200);
  auto* edit = Create<TIWEdit>(f);
  edit->SetName("Edit1");
  edit->SetParent(region);
  edit->SetText("it's \"quoted\"");
  auto* btn = Create<TIWButton>(f);
  btn->SetName("Button1");
  btn->SetParent(region);
  btn->SetCaption("Go");
  auto* hidden = Create<TIWLabel>(f);
  hidden->SetName("Hidden1");
  hidden->SetParent(f);
  hidden->SetVisible(false);
  Create<TTestWidget>(f)->SetName("WidgetA");
  Create<TTestWidget>(f)->SetName("WidgetB");
  return f;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(HostPage, FullPageWritesEachLinkOnceAndScriptsInOrder) {
  THostFixture host(BuildForm);
  const THTTPReply& reply = host.FirstPage();
  ASSERT_EQ(reply.Code(), 200);
  EXPECT_EQ(reply.ContentType(), "text/html; charset=utf-8");
  const std::string& page = reply.Body();
  const std::string& token = host.Token();

  std::string head =
      "<!DOCTYPE html>\r\n<html><head>\r\n<meta charset=\"utf-8\">\r\n<title>Demo &lt;page&gt;</title>\r\n"
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/widget.css?v=1\">\r\n"
      "<script type=\"text/javascript\" src=\"/jq/jquery.min.js?v=1.0.0\"></script>\r\n"
      "<script type=\"text/javascript\" src=\"/zq.runtime.min.js?v=1.0.0\"></script>\r\n"
      "<script type=\"text/javascript\" src=\"/jq/widget.js?v=1\"></script>\r\n"
      "<script type=\"text/javascript\" src=\"/jq/widgeta.js?v=1\"></script>\r\n"
      "<script type=\"text/javascript\" src=\"/jq/widgetb.js?v=1\"></script>\r\n"
      "<script type=\"text/javascript\">\r\nvar widgets = 0;\r\nwidgets++; // WIDGETA\r\nwidgets++; // WIDGETB\r\n"
      "</script>\r\n</head>\r\n";
  ASSERT_EQ(page.substr(0, head.size()), head);

  std::string body =
      "<body><form id=\"SubmitForm\" name=\"SubmitForm\" method=\"POST\" action=\"/\" "
      "onsubmit=\"return FormDefaultSubmit();\">"
      "<span id=\"LABEL1\" style=\"position:absolute;left:8px;top:16px;width:100px;height:20px;font-size:10pt;\">"
      "Hello &amp; &lt;welcome&gt;</span>"
      "<div id=\"REGION1\" style=\"position:absolute;left:0px;top:40px;width:300px;height:200px;font-size:10pt;"
      "border-style:none;overflow-x:hidden;overflow-y:hidden;\">"
      "<input type=\"text\" id=\"EDIT1\" name=\"EDIT1\" value=\"it&#39;s &quot;quoted&quot;\" "
      "oninput=\"AddChangedControl(&quot;EDIT1&quot;);\" style=\"position:absolute;left:0px;top:0px;font-size:10pt;\">"
      "<input type=\"button\" id=\"BUTTON1\" name=\"BUTTON1\" value=\"Go\" "
      "onclick=\"SubmitClickConfirm(&quot;BUTTON1&quot;, false, true, &quot;&quot;); return false;\" "
      "style=\"position:absolute;left:0px;top:0px;font-size:10pt;\">"
      "</div>"
      "<span id=\"HIDDEN1\" style=\"visibility: hidden; position:absolute;left:0px;top:0px;font-size:10pt;\"></span>"
      "<input type=\"hidden\" name=\"ZQ_TOKEN\" value=\"" + token + "\">"
      "<input type=\"hidden\" name=\"ZQ_SUBMITTER\" value=\"\">"
      "<input type=\"hidden\" name=\"ZQ_SUBMITPARAM\" value=\"\">"
      "</form>\r\n<script type=\"text/javascript\">\r\n"
      "var GZQToken=\"" + token + "\", GZQCallbackUrl=\"/$/callback\";\r\n"
      "function InitIWCLObjects() {\r\nWIDGETAIWCL = NewIWCL(IWCLForm,\"WIDGETA\",false);\r\n"
      "WIDGETBIWCL = NewIWCL(IWCLForm,\"WIDGETB\",false);\r\n}\r\n"
      "function Initialize() {\r\ninit(\"WIDGETA\");\r\ninit(\"WIDGETB\");\r\nlast(\"WIDGETA\");\r\nlast(\"WIDGETB\");\r\n}\r\n"
      "if (typeof InitRects != \"function\") window.InitRects = function () {};\r\n"
      "InitRects();\r\nInitIWCLObjects();\r\nInitialize();\r\nBody_OnResize();\r\n"
      "jQuery(function(){\r\nready(\"WIDGETA\");\r\nready(\"WIDGETB\");\r\n});\r\n"
      "</script>\r\n</body></html>\r\n";
  EXPECT_EQ(page.substr(head.size()), body);
  EXPECT_EQ(Count(page, "widget.css"), 1u);
  EXPECT_EQ(Count(page, "/jq/widget.js"), 1u);
  EXPECT_EQ(Count(page, "var widgets = 0;"), 1u);
}

TEST(HostPage, ScriptDebugLinksPlainFilesAndUrlBase) {
  THostFixture host(BuildForm, [](TIWServerController& sc) {
    sc.JavaScriptDebug = true;
    sc.URLBase = "/app/";
    sc.FileVersion = "2.0";
  });
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("src=\"/app/jq/jquery.js?v=2.0\"></script>\r\n"
                      "<script type=\"text/javascript\" src=\"/app/zq.runtime.js?v=2.0\">"),
            std::string::npos);
  EXPECT_NE(page.find("GZQCallbackUrl=\"/app/$/callback\""), std::string::npos);
  // Requests under the URL base reach the application.
  THTTPReply again = host.Get("/app/");
  EXPECT_EQ(again.Code(), 200);
  EXPECT_EQ(again.Body().substr(0, 15), "<!DOCTYPE html>");
}

TEST(HostPage, ScriptSectionFiltersWrapTheHostSection) {
  int outer = TIWLayoutMgr::AddScriptSectionFilter(
      [](TIWLayoutMgr&, TIWPageContext40& page, const std::function<std::string()>& next) {
        page.AddScriptFile("/jq/added-by-filter.js");
        return "<!--outer-->" + next();
      });
  int inner = TIWLayoutMgr::AddScriptSectionFilter(
      [](TIWLayoutMgr&, TIWPageContext40& page, const std::function<std::string()>& next) {
        std::string s = next();
        page.BodyScript() += "\r\nfromFilter();";
        return s + "<!--inner-->";
      });
  THostFixture host(BuildForm);
  TIWLayoutMgr::RemoveScriptSectionFilter(outer);
  TIWLayoutMgr::RemoveScriptSectionFilter(inner);
  const std::string& page = host.FirstPage().Body();
  size_t o = page.find("<!--outer--><script type=\"text/javascript\" src=\"/jq/jquery.min.js");
  size_t f = page.find("src=\"/jq/added-by-filter.js\"");
  size_t i = page.find("</script>\r\n<!--inner--></head>");
  EXPECT_NE(o, std::string::npos);
  EXPECT_NE(f, std::string::npos);
  EXPECT_NE(i, std::string::npos);
  EXPECT_NE(page.find("Body_OnResize();\r\nfromFilter();\r\n"), std::string::npos);
  // Removed filters no longer run.
  THostFixture later(BuildForm);
  EXPECT_EQ(later.FirstPage().Body().find("<!--outer-->"), std::string::npos);
}

TEST(HostPage, ContainersKnowTheirChildrenAndComponents) {
  THostFixture host(BuildForm);
  TIWAppForm& form = host.Form();
  auto* region = dynamic_cast<TIWRegion*>(form.FindComponent("Region1"));
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(region->ControlCount(), 2);
  EXPECT_EQ(region->Controls(0)->GetName(), "Edit1");
  EXPECT_EQ(form.get_IWComponentsCount(), 2);
  EXPECT_EQ(region->Controls(0)->ParentForm(), &form);
  std::vector<std::string> names;
  for (auto* c : form.AllComponents()) names.push_back(c->HTMLName());
  EXPECT_EQ(names, (std::vector<std::string>{"LABEL1", "REGION1", "EDIT1", "BUTTON1", "HIDDEN1", "WIDGETA", "WIDGETB"}));
  // A control cannot be parented by a non-container or by its own child.
  auto* lbl = dynamic_cast<TIWBaseControl*>(form.FindComponent("Label1"));
  EXPECT_THROW(region->SetParent(lbl), EInvalidCast);
  auto* inner = Create<TIWRegion>(&form);
  inner->SetParent(region);
  EXPECT_THROW(region->SetParent(inner), EInvalidCast);
  // Freeing a control takes it out of its container.
  Free(form.FindComponent("Edit1"));
  EXPECT_EQ(region->ControlCount(), 2);
  EXPECT_EQ(region->Controls(1), inner);
  Free(form.FindComponent("WidgetA"));
  EXPECT_EQ(form.get_IWComponentsCount(), 1);
}

TEST(HostPage, ColoursAndFonts) {
  EXPECT_EQ(StringToIWColor("#FF8000"), 0x0080FF);
  EXPECT_EQ(StringToIWColor("clRed"), 0x0000FF);
  EXPECT_EQ(StringToIWColor(" blue "), 0xFF0000);
  EXPECT_EQ(StringToIWColor("nonsense"), clNone);
  EXPECT_EQ(StringToIWColor("#12345G"), clNone);
  EXPECT_EQ(IWColorToCSS(0x0080FF), "#ff8000");
  EXPECT_EQ(IWColorToCSS(clNone), "");
  TIWFont font;
  font.Color = StringToIWColor("red");
  font.Style = TIWFont::fsBold | TIWFont::fsUnderline | TIWFont::fsStrikeOut;
  font.FontName = "Arial";
  EXPECT_EQ(font.RenderCSS(),
            "font-family:Arial;font-size:10pt;color:#ff0000;font-weight:bold;text-decoration:underline line-through;");
  font.Enabled = false;
  EXPECT_EQ(font.RenderCSS(), "");
}

}  // namespace
}  // namespace zq

namespace zq {

// A component that fills the page lists a page rarely needs.
class TPageListsComponent : public TIWComponent {
  ZQ_CLASS(TPageListsComponent, TIWComponent)
 public:
  using TIWComponent::TIWComponent;
  void RenderScripts(TIWCompContext& ctx) override {
    TIWPageContext40* p = ctx.PageContext();
    p->AddToExtraHeader("<meta name=\"x\" content=\"1\">");
    p->AddPreScriptFile("/jq/pre.js");
    p->AddStyle(".a{color:red}");
    p->AddHiddenField("H1_POS", "1,2");
    p->AddHiddenField("H1_SIZE", "\"3\"");
    p->BodyTag().AddStringParam("class", "page");
    p->BodyTag().AddRawText("<div id=\"top\"></div>");
    p->SetFocusInitCode("SetFocusOnElement(\"EDIT1\");");
  }
};
ZQ_IMPLEMENT_CLASS(TPageListsComponent) {}

namespace {

TEST(HostPage, PageListsExtraHeaderStylesHiddenFieldsBodyAndFocus) {
  hosttest::THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("F");
    Create<TPageListsComponent>(f)->SetName("Lists");
    return f;
  });
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("<title></title>\r\n<meta name=\"x\" content=\"1\">\r\n<script"), std::string::npos);
  EXPECT_NE(page.find("zq.runtime.min.js?v=1.0.0\"></script>\r\n<script type=\"text/javascript\" src=\"/jq/pre.js\">"),
            std::string::npos);
  EXPECT_NE(page.find("<style type=\"text/css\">.a{color:red}</style>\r\n</head>\r\n"
                      "<body class=\"page\"><div id=\"top\"></div><form id=\"SubmitForm\""),
            std::string::npos);
  EXPECT_NE(page.find("<input type=\"hidden\" name=\"ZQ_SUBMITPARAM\" value=\"\">"
                      "<input type=\"hidden\" name=\"H1_POS\" id=\"H1_POS\" value=\"1,2\">"
                      "<input type=\"hidden\" name=\"H1_SIZE\" id=\"H1_SIZE\" value=\"&quot;3&quot;\"></form>"),
            std::string::npos);
  EXPECT_NE(page.find("Body_OnResize();\r\nSetFocusOnElement(\"EDIT1\");\r\n</script>"), std::string::npos);
}

TEST(HostPage, FramesAndTemplatesWithoutFormTag) {
  hosttest::THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("F");
    auto layout = std::make_unique<TIWTemplateProcessorHTML>();
    layout->RenderFormTag = false;
    f->SetLayoutMgr(std::move(layout));
    auto* frame = Create<TIWFrame>(f);
    frame->SetName("Frame1");
    frame->SetParent(f);
    auto* region = Create<TIWRegion>(f);
    region->SetName("IWFrameRegion");
    region->SetParent(frame);
    region->StyleRenderOptions = TIWStyleRenderOptions{false, false, false, false, false, false, false};
    auto* lbl = Create<TIWLabel>(f);
    lbl->SetName("InFrame");
    lbl->SetParent(region);
    lbl->StyleRenderOptions.RenderPosition = false;
    lbl->StyleRenderOptions.RenderFont = false;
    return f;
  });
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("<body><div id=\"FRAME1\" style=\"position:absolute;left:0px;top:0px;font-size:10pt;\">"
                      "<div id=\"IWFRAMEREGION\"><span id=\"INFRAME\"></span></div></div>"
                      "<input type=\"hidden\" name=\"ZQ_TOKEN\""),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("<form"), std::string::npos);
}

}  // namespace
}  // namespace zq

namespace zq {

class TFilesLabel : public TIWLabel, public IIWContentFiles {
  ZQ_CLASS(TFilesLabel, TIWLabel)
 public:
  using TIWLabel::TIWLabel;
  std::vector<std::string> GetContentFiles() const override {
    return {"css/x.css", "jq/x.js", "/abs/y.css?v=3", "jq/x.js"};
  }
  std::string GetOnReadyScript() const override { return "xReady();"; }
};
ZQ_IMPLEMENT_CLASS(TFilesLabel) {}

namespace {

TEST(HostPage, ContentFilesAndClippedRegions) {
  hosttest::THostFixture host([](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("F");
    auto* l = Create<TFilesLabel>(f);
    l->SetName("L");
    l->SetParent(f);
    auto* r = Create<TIWRegion>(f);
    r->SetName("R");
    r->SetParent(f);
    r->ClipRegion = true;
    return f;
  });
  const std::string& page = host.FirstPage().Body();
  EXPECT_NE(page.find("<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/x.css?v=1.0.0\">\r\n"
                      "<link rel=\"stylesheet\" type=\"text/css\" href=\"/abs/y.css?v=3\">\r\n"),
            std::string::npos);
  EXPECT_EQ(Count(page, "src=\"/jq/x.js?v=1.0.0\""), 1u);
  EXPECT_NE(page.find("jQuery(function(){\r\nxReady();\r\n});"), std::string::npos);
  EXPECT_NE(page.find("<div id=\"R\" class=\" IWCLIPCONTROL\""), std::string::npos);
}

}  // namespace
}  // namespace zq
