#include "framework/links.h"

#include <gtest/gtest.h>

#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/context.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"

namespace zq {
namespace {

TEST(Links, FileNamesAreMinifiedWithoutAController) {
  ASSERT_EQ(gServerController, nullptr);
  EXPECT_EQ(IWZQJQHelper(), "zq.jquery.helper.min.js");
  EXPECT_EQ(JqUIFileName(), "jquery_ui/jquery-ui-1.8.23.custom.min.js");
  EXPECT_EQ(JqMCSSFileName(), "ui-themes/default/jquery.mobile.theme-1.3.2.min.css");
  EXPECT_EQ(JSonFileName(), "json2.min.js");
  EXPECT_EQ(IE8CanvasJS(), "flashcanvas.js");
  EXPECT_EQ(JQZQResizeFixJS(), "jquery_ui/plugins/jquery.zqresizefix.js");
  EXPECT_EQ(IWZQJQJSFileMask(), "jquery_ui/plugins/jquery.maskedinput-1.3.1.min.js");
}

TEST(Links, ScriptDebugLinksThePlainFiles) {
  auto sc = CreateOwned<TIWServerController>();
  sc->JavaScriptDebug = true;
  EXPECT_EQ(IWZQJQHelper(), "zq.jquery.helper.js");
  EXPECT_EQ(JqFileName(), "jquery_ui/jquery-1.8.2.js");
  EXPECT_EQ(JQZQCssFile(), "zqcss.css");
  EXPECT_EQ(IWZQJQBootstrapCSSIcons(), "bootstrap/bootstrap-icons.css");
  EXPECT_EQ(IWZQJQJSFileFormat(), "jquery_ui/plugins/jquery.format.1.05.js");
  EXPECT_EQ(JSonFileName(), "json2.min.js");  // one form only
  EXPECT_EQ(IE8CanvasJS(), "flashcanvas.js");
  sc->JavaScriptDebug = false;
  EXPECT_EQ(JQZQCssFile(), "zqcss.min.css");
}

TEST(Links, GetLink) {
  EXPECT_EQ(ZQGetLink(ZQJsUrlBase, IWZQJQLazyLoader(), false), "/jq/lazyload.min.js?v=2.6.0.86");
  EXPECT_EQ(ZQGetLink("jq/", "https://cdn.example/a.js", false), "https://cdn.example/a.js");
  EXPECT_EQ(ZQGetLink("jq/", "HTTP://cdn.example/a.js", false), "HTTP://cdn.example/a.js");
  EXPECT_EQ(ZQGetLink("jq/", "/jq2/a.js", false), "/jq/jq2/a.js?v=2.6.0.86");
  EXPECT_EQ(ZQGetLink("jq/", "//a.js", false, false), "/jq/a.js");
  EXPECT_EQ(ZQGetLink("jq/", "a.js", true), "jq/a.js");  // design: no slash, no version
  EXPECT_EQ(ZQGetLink("https://cdn/jq/", "/a.js", false), "https://cdn/jq/a.js");
}

TEST(Links, GetLinkWithUrlBaseAndScriptName) {
  auto sc = CreateOwned<TIWServerController>();
  sc->URLBase = "/app/";
  EXPECT_EQ(ZQGetLink("jq/", "a.js", false, true, true, true), "/app/jq/a.js?v=2.6.0.86");
  // The script name only counts when the application runs as a library module.
  auto app = sc->NewSession();
  THTTPRequest req;
  req.ScriptName = "/lib.dll";
  app->SetRequest(&req);
  {
    TIWThreadSessionSwitch s(app.get());
    ZQRunsAsLibraryModule = true;
    EXPECT_EQ(ZQGetLink(ZQJsUrlBase, JQMobileJSFile(), false, true, true, true),
              "/app/lib.dll/jq/mobile.core/jquery.mobile-1.3.2.min.js?v=2.6.0.86");
    EXPECT_EQ(ZQGetLink(ZQJsUrlBase, "a.js", false, true, false, true), "/app/jq/a.js?v=2.6.0.86");
    ZQRunsAsLibraryModule = false;
  }
  app->SetRequest(nullptr);
  sc->EndAllSessions();
}

TEST(Links, EachUrlOncePerPage) {
  TIWPageContext40 page;
  TIWCompContext a(nullptr, nullptr, &page), b(nullptr, nullptr, &page);
  ZQAddJSLink(a, ZQJsUrlBase, "x.js", false);
  ZQAddJSLink(b, ZQJsUrlBase, "x.js", false);
  ZQRenderScriptLinks(b, std::vector<std::string>{"y.js", "x.js", "/y.js"}, false);
  EXPECT_EQ(page.ScriptFiles(),
            (std::vector<std::string>{"/jq/x.js?v=2.6.0.86", "/jq/y.js?v=2.6.0.86"}));
  TStringList files;
  files.Add("z.js");
  ZQRenderScriptLinks(a, files, true);
  EXPECT_EQ(page.ScriptFiles().back(), "jq/z.js");
  ZQAddLinkFile(a, ZQCssUrlBase, JQZQCssFile(), false);
  ZQAddLinkFile(b, ZQCssUrlBase, JQZQCssFile(), false);
  EXPECT_EQ(page.LinkFiles(), (std::vector<std::string>{"/css/zqcss.min.css?v=2.6.0.86"}));
  AddToExtraHeader(a, "/jq/m.js?v=1&x=2");
  AddToExtraHeader(b, "/jq/m.js?v=1&x=2");
  ASSERT_EQ(page.ExtraHeader().size(), 1u);
  EXPECT_EQ(page.ExtraHeader()[0],
            "<script type=\"text/javascript\" src=\"/jq/m.js?v=1&amp;x=2\"></script>");
  ZQAddJS(a, "var x=1;");
  ZQAddJS(b, "var x=1;");
  EXPECT_EQ(page.GetJavaScript(), "var x=1;");
}

}  // namespace
}  // namespace zq
