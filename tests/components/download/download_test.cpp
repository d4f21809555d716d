#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "actionmap/map.h"
#include "components/download/download.h"
#include "error_message.h"
#include "events/func.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/http.h"
#include "host/testing.h"
#include "options/jsonlist.h"

namespace zq {
namespace {

using hosttest::THostFixture;
namespace fs = std::filesystem;

// A host whose form holds the download component DL1, with the action map
// started before the first page made the component.
class Download : public ::testing::Test {
 protected:
  Download()
      : host(
            [this](TIWApplication& app) {
              auto* f = Create<TIWAppForm>(&app);
              f->SetName("MainForm");
              dl = Create<TIWZQJQDownload>(f);
              dl->SetName("DL1");
              return f;
            },
            [](TIWServerController& c) { ZQActionMapStartup(&c); }) {
    dir = fs::temp_directory_path() / ("zq_download_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  ~Download() override {
    ZQDownloadPendingMax = 64;
    ZQDownloadPendingMaxAge = std::chrono::seconds(15 * 60);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void TearDown() override { ZQActionMapShutdown(); }

  std::string WriteFile(const std::string& name, const std::string& content) {
    fs::path p = dir / name;
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }
  // Runs the action in a callback and returns the response's scripts.
  std::vector<std::string> InCallback(std::function<void()> action) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { action(); });
    auto r = host.Callback("Probe");
    EXPECT_EQ(r.Code, 200) << r.Error;
    return r.Scripts;
  }
  // The fid of the call "ZQDownload_DL1('<fid>');".
  static std::string FidOf(const std::string& js) {
    size_t a = js.find("('");
    size_t b = js.find("')", a);
    return a == std::string::npos || b == std::string::npos ? std::string()
                                                            : js.substr(a + 2, b - a - 2);
  }
  THTTPReply Fetch(const std::string& query, const std::string& cookie = {}) {
    THTTPRequest req = host.MakeRequest("GET", dl->GetMapUrl() + "/?" + query);
    if (!cookie.empty()) req.SetHeader("Cookie", "ZQSESSION=" + host.Cookie() + "; " + cookie);
    return host.Send(req);
  }
  static const THTTPCookie* CookieNamed(const THTTPReply& r, const std::string& name) {
    for (const auto& c : r.Cookies())
      if (c.Name == name) return &c;
    return nullptr;
  }

  TIWZQJQDownload* dl = nullptr;
  THostFixture host;
  fs::path dir;
};

TEST_F(Download, MapEntryAndPageFunction) {
  ASSERT_EQ(dl->GetMapID().size(), 32u);
  EXPECT_EQ(dl->GetMapUrl(), "/IWZQJQ/ID" + dl->GetMapID() + "ActionGetFile");
  auto entry = ZQFindMapEvent(dl->GetMapID(), "GetFile");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->GetResType(), mrtText);
  EXPECT_EQ(entry->GetAppID(), host.Session().AppID());
  EXPECT_EQ(dl->GetPluginVersion(), "v1.4.3");
  // The URL is a script string literal ("/" written "\/" so that no "</" can occur).
  EXPECT_EQ(dl->GetRenderScript(), "function ZQDownload_DL1(fid){$.fileDownload(\"\\/IWZQJQ\\/ID" +
                                       dl->GetMapID() +
                                       "ActionGetFile\\/?fid=\"+encodeURIComponent(fid),{});}");
  // The page links the plug-in and defines the function.
  THTTPReply page = host.Get("/");
  EXPECT_NE(page.Body().find("jquery_ui/plugins/jquery.filedownload.min.js"), std::string::npos);
  EXPECT_NE(page.Body().find("function ZQDownload_DL1(fid)"), std::string::npos);
}

TEST_F(Download, ComponentFreedTakesItsEntryAlong) {
  std::string id = dl->GetMapID();
  InCallback([&] { Free(dl); });
  EXPECT_EQ(ZQFindMapEvent(id, "GetFile"), nullptr);
  THTTPReply r = host.Get("/IWZQJQ/ID" + id + "ActionGetFile/?fid=x");
  EXPECT_EQ(r.Code(), 500);
}

TEST_F(Download, OptionsJSon) {
  TIWZQJQDownloadOptions* o = dl->GetJQDownloadOptions();
  o->SetCheckInterval(250);
  o->SetHttpMethod(jqfdhmPOST);
  o->SetCookieName("dl");
  o->SetAlertOnFail(true);  // server side only, but adds the alert to failCallback
  std::string js = dl->jsDownloadUrl("http://x/a\\b.txt");
  EXPECT_EQ(js,
            "$.fileDownload(\"http:\\/\\/x\\/a\\/"
            "b.txt\",{httpMethod:\"POST\",failCallback:function (responseHtml, url){"
            "alert($(responseHtml)[0].outerHTML);},checkInterval:250,cookieName:\"dl\"});")
      << js;
  EXPECT_EQ(js.find("alertoOnFail"), std::string::npos);
  o->GetOnSuccess()->SetScript("function(url){done(url);}");
  EXPECT_NE(dl->jsDownloadUrl("u").find("successCallback:function(url){done(url);}"),
            std::string::npos)
      << dl->jsDownloadUrl("u");
  EXPECT_EQ(o->GetJQDownload(), dl);
}

TEST_F(Download, ScriptsAreEscapedLiterals) {
  EXPECT_EQ(dl->jsDownloadUrl(""), "");
  EXPECT_EQ(dl->jsDownloadUrl("/f?a='1'\"</script>"),
            "$.fileDownload(\"\\/f?a='1'\\\"<\\/script>\",{});");
  std::string js = dl->jsDownloadFileName("C:\\data\\a.txt", "");
  std::string fid = FidOf(js);
  ASSERT_EQ(fid.size(), 32u);
  EXPECT_EQ(js, "ZQDownload_DL1('" + fid + "');");
  auto* item = dl->GetInternalMapFileList()->GetItemByUID(fid);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->FServerFileName, "C:/data/a.txt");
  EXPECT_EQ(item->FState, zqdisNew);
  EXPECT_EQ(ZQDownloadFileNamePart(item->FServerFileName), "a.txt");
  EXPECT_NE(FidOf(dl->jsDownloadFileName("b", "")), fid);
}

TEST_F(Download, QueuedIntoTheCallbackResponse) {
  auto scripts = InCallback([&] {
    dl->DownloadUrl("");
    dl->DownloadFileName(WriteFile("a.txt", "x"), "a.txt");
  });
  std::string all;
  for (auto& s : scripts) all += s;
  EXPECT_NE(all.find("ZQDownload_DL1('"), std::string::npos) << all;
  EXPECT_EQ(all.find("fileDownload(\"\""), std::string::npos);
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 1);
}

TEST_F(Download, ServesTheFileOnceWithCookieAndHeaders) {
  std::string content(1000000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::string fid = FidOf(dl->jsDownloadFileName(WriteFile("data.bin", content), "report.pdf"));
  THTTPReply r = Fetch("fid=" + fid);
  EXPECT_EQ(r.Code(), 200);
  EXPECT_TRUE(r.Body() == content);
  EXPECT_EQ(r.ContentType(), "application/pdf");
  EXPECT_EQ(r.GetHeader("Content-Disposition"),
            "attachment;filename=\"report.pdf\";filename*=UTF-8''report.pdf");
  const THTTPCookie* c = CookieNamed(r, "fileDownload");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Value, "true");
  EXPECT_EQ(c->Path, "/");
  ASSERT_TRUE(c->Expires.has_value());
  EXPECT_GT(*c->Expires, std::chrono::system_clock::now() + std::chrono::hours(23));
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 0);
  // Replay of a used fid.
  THTTPReply again = Fetch("fid=" + fid);
  EXPECT_EQ(again.Body(), "Detected hacking attempt on file request!");
  EXPECT_EQ(CookieNamed(again, "fileDownload"), nullptr);
}

TEST_F(Download, FailureRows) {
  EXPECT_EQ(Fetch("fid=abc").Body(), "The file can not be returned by server!");  // nothing pending
  std::string missing = (dir / "secret-folder" / "gone.txt").string();
  std::string fid = FidOf(dl->jsDownloadFileName(missing, ""));
  EXPECT_EQ(Fetch("").Body(), "The file can not be returned by server!");  // no fid
  EXPECT_EQ(Fetch("fid=" + fid + "0").Body(), "Detected hacking attempt on file request!");
  // A file that cannot be opened: no server path in the body, the item stays.
  THTTPReply r = Fetch("fid=" + fid);
  EXPECT_EQ(r.Body(), "The file can not be returned by server!");
  EXPECT_EQ(r.Body().find("secret-folder"), std::string::npos);
  EXPECT_EQ(CookieNamed(r, "fileDownload"), nullptr);
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 1);
  // A failure after opening removes the item.
  dl->OnGetContentType =
      TIWZQJQDownloadGetContentTypeEvent(this, [](TObject*, const std::string&, std::string&) {
        throw EIWZQJQuery("No type for this file!");
      });
  std::string sfid = FidOf(
      dl->jsDownloadStream([] { return std::make_unique<std::istringstream>("abc"); }, "x.txt"));
  EXPECT_EQ(Fetch("fid=" + sfid).Body(), "No type for this file!");
  EXPECT_EQ(dl->GetInternalMapFileList()->IndexOfUID(sfid), -1);
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 1);  // the unopened one stays
}

TEST_F(Download, AndroidWithoutCookieMayComeAgain) {
  std::string fid = FidOf(dl->jsDownloadFileName(WriteFile("a.txt", "abc"), ""));
  EXPECT_EQ(Fetch("fid=" + fid + "&android=TRUE").Body(), "abc");
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 1);
  EXPECT_EQ(dl->GetInternalMapFileList()->Items(0)->FState, zqdisNew);
  // With the cookie the download counts as done.
  EXPECT_EQ(Fetch("fid=" + fid + "&android=1", "fileDownload=true").Body(), "abc");
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 0);
}

TEST_F(Download, ContentTypes) {
  std::string file = WriteFile("plain", "1");
  EXPECT_EQ(Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, ""))).ContentType(),
            "application/octet-stream");
  EXPECT_EQ(Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, "x.unknownext"))).ContentType(),
            "application/octet-stream");
  std::string answer = "text/csv";
  dl->OnGetContentType = TIWZQJQDownloadGetContentTypeEvent(
      this, [&](TObject*, const std::string&, std::string& type) { type = answer; });
  EXPECT_EQ(Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, "a.pdf"))).ContentType(), "text/csv");
  answer.clear();
  EXPECT_EQ(Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, "a.pdf"))).ContentType(),
            "application/pdf");
}

TEST_F(Download, AnyFileNameKeepsTheHeaderWhole) {
  EXPECT_EQ(ZQContentDisposition("Grüße \"x\";y.txt"),
            "attachment;filename=\"Gr____e "
            "_x__y.txt\";filename*=UTF-8''Gr%C3%BC%C3%9Fe%20%22x%22%3By.txt");
  std::string file = WriteFile("n.txt", "n");
  THTTPReply r = Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, "a\r\nSet-Cookie x=1.txt")));
  std::string cd = r.GetHeader("Content-Disposition");
  EXPECT_EQ(cd.find('\r'), std::string::npos);
  EXPECT_EQ(cd,
            "attachment;filename=\"a__Set-Cookie "
            "x=1.txt\";filename*=UTF-8''a%0D%0ASet-Cookie%20x%3D1.txt");
  // A browser name with folders gives only its last part.
  r = Fetch("fid=" + FidOf(dl->jsDownloadFileName(file, "..\\..\\etc/passwd")));
  EXPECT_EQ(r.GetHeader("Content-Disposition"),
            "attachment;filename=\"passwd\";filename*=UTF-8''passwd");
}

TEST_F(Download, NoCookieWithoutCookieName) {
  dl->GetJQDownloadOptions()->SetCookieName("");
  THTTPReply r = Fetch("fid=" + FidOf(dl->jsDownloadFileName(WriteFile("a.txt", "a"), "")));
  EXPECT_EQ(r.Body(), "a");
  EXPECT_TRUE(r.Cookies().empty() || CookieNamed(r, "fileDownload") == nullptr);
}

TEST_F(Download, StreamDownloads) {
  int opened = 0;
  std::string fid = FidOf(dl->jsDownloadStream(
      [&] {
        ++opened;
        return std::make_unique<std::istringstream>("a,b\n1,2\n");
      },
      "table.csv"));
  THTTPReply r = Fetch("fid=" + fid);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(r.Body(), "a,b\n1,2\n");
  EXPECT_EQ(r.ContentType(), "text/csv");
  EXPECT_EQ(r.GetHeader("Content-Disposition"),
            "attachment;filename=\"table.csv\";filename*=UTF-8''table.csv");
}

TEST_F(Download, PendingListIsBounded) {
  ZQDownloadPendingMax = 3;
  std::string first = FidOf(dl->jsDownloadFileName("a", ""));
  for (int i = 0; i < 5; ++i) dl->jsDownloadFileName("b", "");
  EXPECT_EQ(dl->GetInternalMapFileList()->Count(), 3);
  EXPECT_EQ(dl->GetInternalMapFileList()->IndexOfUID(first), -1);  // the oldest went first
  // Items older than the age limit are dropped.
  TIWZQJQDownloadList list;
  auto now = std::chrono::steady_clock::now();
  auto old = std::make_unique<TIWZQJQDownloadItem>();
  old->FUID = "OLD";
  old->FCreated = now - std::chrono::hours(1);
  list.Add(std::move(old));
  auto fresh = std::make_unique<TIWZQJQDownloadItem>();
  fresh->FUID = "NEW";
  list.Add(std::move(fresh));
  list.Prune(now, std::chrono::minutes(15), 10);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.IndexOfUID("NEW"), 0);
  EXPECT_EQ(list.GetItemByUID("OLD"), nullptr);
}

}  // namespace
}  // namespace zq
