#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/stringlist.h"
#include "host/testing.h"

namespace zq {
namespace {

using hosttest::TCallbackResult;
using hosttest::THostFixture;
using namespace std::chrono_literals;

TIWAppForm* SimpleForm(TIWApplication& app) {
  auto* f = Create<TIWAppForm>(&app);
  f->SetName("MainForm");
  auto* l = Create<TIWLabel>(f);
  l->SetName("Label1");
  l->SetParent(f);
  return f;
}

// A callback handler registered directly in the session.
void RegisterPing(TIWApplication& app, std::function<void(TStringList&)> fn) {
  TIWThreadSessionSwitch sw(&app);
  app.CallBacks().Register("PING", std::move(fn));
}

TEST(HostSession, CookieIdsAndBrowser) {
  THostFixture host(SimpleForm);
  ASSERT_EQ(host.FirstPage().Cookies().size(), 1u);
  const THTTPCookie& c = host.FirstPage().Cookies()[0];
  EXPECT_EQ(c.HeaderValue(), "ZQSESSION=" + host.Cookie() + "; Path=/; HttpOnly; SameSite=Lax");
  EXPECT_EQ(host.Cookie().size(), 32u);
  EXPECT_EQ(host.Cookie().find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(host.Cookie(), host.Token());
  EXPECT_EQ(host.Session().AppID(), host.Cookie());
  EXPECT_TRUE(host.Session().Browser().IsChrome());
  EXPECT_EQ(host.Session().Browser().MajorVersion, 120);
  // A second page request keeps the session.
  THTTPReply again = host.Get("/");
  EXPECT_EQ(again.Code(), 200);
  EXPECT_EQ(host.Controller().SessionCount(), 1u);
  EXPECT_EQ(again.Cookies()[0].Value, host.Cookie());
  // A request without a cookie starts a different session.
  THTTPRequest fresh;
  fresh.URL = "/";
  THTTPReply other = host.Send(fresh);
  EXPECT_NE(other.Cookies()[0].Value, host.Cookie());
  EXPECT_EQ(host.Controller().SessionCount(), 2u);

  EXPECT_EQ(TBrowser::FromUserAgent("Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1)").Kind,
            TBrowserKind::InternetExplorer);
  EXPECT_EQ(
      TBrowser::FromUserAgent("Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1)").MajorVersion,
      8);
  EXPECT_EQ(
      TBrowser::FromUserAgent("Mozilla/5.0 (Windows NT 10.0; Trident/7.0; rv:11.0) like Gecko")
          .MajorVersion,
      11);
  EXPECT_TRUE(TBrowser::FromUserAgent("Mozilla/5.0 (X11; rv:121.0) Gecko/20100101 Firefox/121.0")
                  .IsFirefox());
  EXPECT_TRUE(TBrowser::FromUserAgent(
                  "Mozilla/5.0 (Macintosh) AppleWebKit/605 Version/17.1 Safari/605.1.15")
                  .IsSafari());
}

TEST(HostSession, LockIsReentrantAndTimesOut) {
  THostFixture host(SimpleForm, [](TIWServerController& sc) { sc.SessionLockTimeout = 100ms; });
  int calls = 0;
  RegisterPing(host.Session(), [&](TStringList&) { ++calls; });
  TIWApplication& app = host.Session();
  app.Lock();
  EXPECT_TRUE(app.TryLock());  // the holder may take it again
  app.Unlock();
  std::atomic<bool> other{true};
  std::thread t([&] { other = app.TryLock(50ms); });
  t.join();
  EXPECT_FALSE(other);
  // A callback while another request holds the session waits, then gives up.
  TCallbackResult busy;
  auto start = std::chrono::steady_clock::now();
  std::thread caller([&] { busy = host.Callback("PING"); });
  caller.join();
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(busy.Code, 503);
  EXPECT_EQ(busy.Error, "Server busy, please retry");
  EXPECT_GE(waited, 100ms);
  EXPECT_EQ(calls, 0);
  app.Unlock();
  EXPECT_EQ(host.Callback("PING").Code, 200);
  EXPECT_EQ(calls, 1);
}

TEST(HostSession, RequestsOfOneSessionRunOneAtATime) {
  THostFixture host(SimpleForm);
  std::atomic<int> inside{0}, most{0}, calls{0};
  RegisterPing(host.Session(), [&](TStringList&) {
    int now = ++inside;
    most = std::max(most.load(), now);
    std::this_thread::sleep_for(2ms);
    ++calls;
    --inside;
  });
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] {
      for (int k = 0; k < 5; ++k)
        if (host.Callback("PING").Code == 200) ++ok;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(ok, 20);
  EXPECT_EQ(calls, 20);
  EXPECT_EQ(most, 1);
}

TEST(HostSession, IdleSessionsExpire) {
  auto now = std::chrono::steady_clock::now();
  THostFixture host(SimpleForm, [&](TIWServerController& sc) {
    sc.SessionTimeout = 60s;
    sc.SetClock([&] { return now; });
  });
  RegisterPing(host.Session(), [](TStringList&) {});
  now += 59s;
  EXPECT_EQ(host.Callback("PING").Code, 200);  // the callback counts as activity
  now += 59s;
  EXPECT_EQ(host.Callback("PING").Code, 200);
  now += 61s;
  TCallbackResult gone = host.Callback("PING");
  EXPECT_EQ(gone.Code, 410);
  EXPECT_TRUE(gone.Expired);
  EXPECT_EQ(gone.Body,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<response><expired/></response>");
  EXPECT_EQ(host.Controller().SessionCount(), 0u);
  EXPECT_EQ(host.Controller().FindSession(host.Cookie()), nullptr);
  // A page request with the old cookie starts a new session.
  THTTPReply page = host.Get("/");
  EXPECT_EQ(page.Code(), 200);
  ASSERT_EQ(page.Cookies().size(), 1u);
  EXPECT_NE(page.Cookies()[0].Value, host.Cookie());
  // A submit with the old cookie changes nothing and gets a fresh page.
  THTTPReply submit = host.Submit("LABEL1", "", {});
  EXPECT_EQ(submit.Code(), 200);
  EXPECT_EQ(host.Controller().SessionCount(), 2u);
  // The sweep ends every idle session.
  now += 61s;
  EXPECT_EQ(host.Controller().ExpireSessions(), 2u);
  EXPECT_EQ(host.Controller().SessionCount(), 0u);
}

class TRecordingHandler : public TContentBase {
 public:
  std::string Path;
  TIWApplication* Session = nullptr;
  TIWApplication* ThreadSession = nullptr;
  bool Handle = true;
  bool Execute(THTTPRequest& req, THTTPReply& reply, const std::string& path,
               TIWApplication* session) override {
    Path = path;
    Session = session;
    ThreadSession = gGetWebApplicationThreadVar();
    if (!Handle) return false;
    reply.SetContentType("application/json");
    reply.WriteString("{\"id\":\"" + req.QueryFields().Get("id") + "\"}");
    return true;
  }
};

TEST(HostSession, ContentHandlersByPathPrefix) {
  THostFixture host(SimpleForm, [](TIWServerController& sc) { sc.URLBase = "/app"; });
  auto* h = static_cast<TRecordingHandler*>(
      host.Controller().Handlers().Add("/IWZQJQ/", "", std::make_unique<TRecordingHandler>()));
  auto* exact = static_cast<TRecordingHandler*>(host.Controller().Handlers().Add(
      "/IWZQJQ/", "special", std::make_unique<TRecordingHandler>()));
  THTTPReply r = host.Get("/app/IWZQJQ/ID0123ActionGetData?id=7");
  EXPECT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Body(), "{\"id\":\"7\"}");
  EXPECT_EQ(h->Path, "/IWZQJQ/ID0123ActionGetData");
  EXPECT_EQ(h->Session, &host.Session());
  EXPECT_EQ(h->ThreadSession, &host.Session());
  EXPECT_EQ(gGetWebApplicationThreadVar(), nullptr);
  EXPECT_EQ(exact->Path, "");
  // The more specific registration wins.
  host.Get("/app/IWZQJQ/special");
  EXPECT_EQ(exact->Path, "/IWZQJQ/special");
  // Without a cookie the handler runs without a session.
  THTTPRequest anon;
  anon.URL = "/app/IWZQJQ/x";
  host.Send(anon);
  EXPECT_EQ(h->Session, nullptr);
  // A handler that declines lets the page answer.
  h->Handle = false;
  THTTPReply page = host.Get("/app/IWZQJQ/y");
  EXPECT_EQ(page.Body().substr(0, 15), "<!DOCTYPE html>");
  host.Controller().Handlers().Remove(h);
  host.Controller().Handlers().Remove(exact);
  EXPECT_EQ(host.Controller().Handlers().Count(), 0u);
}

TEST(HostSession, RequestLimits) {
  THostFixture host(SimpleForm, [](TIWServerController& sc) {
    sc.MaxRequestSize = 100;
    sc.MaxUploadSize = 1000;
    sc.MaxURLLength = 64;
    sc.MaxFields = 3;
  });
  host.Controller().Handlers().Add("/up/", "", std::make_unique<TRecordingHandler>());
  THTTPRequest big = host.MakeRequest("POST", "/");
  big.Content = std::string(101, 'x');
  THTTPReply r = host.Send(big);
  EXPECT_EQ(r.Code(), 413);
  EXPECT_EQ(r.Body(), "Request body too large");
  THTTPRequest upload = host.MakeRequest("POST", "/up/file");
  upload.Content = std::string(500, 'x');
  EXPECT_EQ(host.Send(upload).Code(), 200);
  upload.Content = std::string(1001, 'x');
  EXPECT_EQ(host.Send(upload).Code(), 413);
  EXPECT_EQ(host.Get("/" + std::string(64, 'a')).Code(), 414);
  TCallbackResult many = host.Callback("X", {{"a", "1"}, {"b", "2"}, {"c", "3"}});
  EXPECT_EQ(many.Code, 400);
  EXPECT_EQ(many.Body, "Too many form fields");
}

TEST(HostSession, StaticFilesFromTheWebRoot) {
  auto dir =
      std::filesystem::temp_directory_path() / ("zq_host_root_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "css");
  std::ofstream(dir / "css" / "site.css") << "body{}";
  std::ofstream(dir / ".secret") << "no";
  std::filesystem::create_directories(dir / "node_modules" / "jquery");
  std::ofstream(dir / "node_modules" / "jquery" / "x.js") << "no";
  std::ofstream(dir / "package.json") << "{}";
  std::ofstream(dir / "setup.sh") << "exit 0";
  THostFixture host(SimpleForm, [&](TIWServerController& sc) { sc.ContentPath = dir.string(); });
  THTTPReply css = host.Get("/css/site.css");
  EXPECT_EQ(css.Code(), 200);
  EXPECT_EQ(css.Body(), "body{}");
  EXPECT_EQ(css.ContentType(), "text/css; charset=utf-8");
  EXPECT_EQ(css.GetHeader("Cache-Control"), "no-cache");
  std::string modified = css.GetHeader("Last-Modified");
  EXPECT_EQ(modified.substr(modified.size() - 4), " GMT");
  THTTPRequest again = host.MakeRequest("GET", "/css/site.css");
  again.SetHeader("If-Modified-Since", modified);
  THTTPReply notModified = host.Send(again);
  EXPECT_EQ(notModified.Code(), 304);
  EXPECT_EQ(notModified.Body(), "");
  THTTPReply versioned = host.Get("/css/site.css?v=1.0.0");
  EXPECT_EQ(versioned.GetHeader("Cache-Control"), "public, max-age=31536000, immutable");
  // Hidden files and parent references are never served (nor answered with
  // a page: they are not found).
  EXPECT_EQ(host.Get("/.secret").Code(), 404);
  EXPECT_EQ(host.Get("/css/../.secret").Code(), 404);
  EXPECT_EQ(host.Get("/css/%2e%2e/.secret").Code(), 404);
  // Nor are the build inputs that live beside the client files.
  for (const char* p : {"/node_modules/jquery/x.js", "/package.json", "/setup.sh"})
    EXPECT_EQ(host.Get(p).Code(), 404) << p;
  host.Controller().MimeTypes().Register("bmp", "image/bmp");
  EXPECT_EQ(host.Controller().MimeTypes().TypeOf("a/b.BMP"), "image/bmp");
  EXPECT_EQ(host.Controller().MimeTypes().TypeOf("noext"), "application/octet-stream");
  std::filesystem::remove_all(dir);
}

TEST(HostSession, RequestScopeResetsThreadStateOnEveryExit) {
  static int resets = 0;
  RegisterThreadStateReset([] { ++resets; });
  THostFixture host(SimpleForm);
  TIWApplication* seen = nullptr;
  RegisterPing(host.Session(), [&](TStringList&) {
    seen = gGetWebApplicationThreadVar();
    EXPECT_NE(host.Session().Request(), nullptr);
    EXPECT_TRUE(host.Session().IsCallBack());
    throw std::runtime_error("boom");
  });
  int before = resets;
  TCallbackResult r = host.Callback("PING");
  EXPECT_EQ(r.Code, 500);
  EXPECT_EQ(r.Error, "boom");
  EXPECT_EQ(seen, &host.Session());
  EXPECT_EQ(gGetWebApplicationThreadVar(), nullptr);
  EXPECT_EQ(host.Session().Request(), nullptr);
  EXPECT_FALSE(host.Session().IsCallBack());
  EXPECT_GE(resets - before, 2);
}

}  // namespace
}  // namespace zq

namespace zq {
namespace {

TEST(HostSession, ContentParserMayTakeTheBody) {
  std::string seen;
  hosttest::THostFixture host(SimpleForm, [&](TIWServerController& sc) {
    sc.SetContentParser([&](THTTPRequest& req) {
      if (req.GetHeader("Content-Type") != "application/octet-stream") return false;
      seen = req.Content;
      return true;
    });
  });
  auto* h = static_cast<TRecordingHandler*>(
      host.Controller().Handlers().Add("/up/", "", std::make_unique<TRecordingHandler>()));
  THTTPRequest up = host.MakeRequest("POST", "/up/x?id=5");
  up.SetHeader("Content-Type", "application/octet-stream");
  up.Content = "a=1&b=2";
  THTTPReply r = host.Send(up);
  EXPECT_EQ(r.Body(), "{\"id\":\"5\"}");
  EXPECT_EQ(h->Path, "/up/x");
  EXPECT_EQ(seen, "a=1&b=2");
  EXPECT_EQ(up.ContentFields().Count(), 0u);
  EXPECT_EQ(up.GetCookie("ZQSESSION"), host.Cookie());
}

TEST(HostSession, ABodyARegisteredParserClaimsYieldsNoFields) {
  hosttest::THostFixture host(SimpleForm);
  host.Controller().Handlers().Add("/up/", "", std::make_unique<TRecordingHandler>());
  const int claim = RegisterContentParser(
      [](const THTTPRequest& ARequest) { return ARequest.Headers().Has("X-Raw"); });
  auto post = [&](bool ARaw) {
    THTTPRequest up = host.MakeRequest("POST", "/up/x?id=5");
    up.SetHeader("Content-Type", "application/x-www-form-urlencoded");
    if (ARaw) up.SetHeader("X-Raw", "1");
    up.Content = "a=1&b=2";
    host.Send(up);
    return up.ContentFields().Count();
  };
  EXPECT_EQ(post(false), 2u);
  EXPECT_EQ(post(true), 0u);  // the raw body is left to the handler
  UnregisterContentParser(claim);
  EXPECT_EQ(post(true), 2u);
}

}  // namespace
}  // namespace zq
