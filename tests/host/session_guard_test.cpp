// Sessions and static files under hostile or careless clients: what makes a
// session, what a full table does, what a wrong token may not change, what
// the web root lets out, and the headers every reply carries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/testing.h"

namespace zq {
namespace {

using hosttest::THostFixture;
using namespace std::chrono_literals;

TIWAppForm* OneLabelForm(TIWApplication& app) {
  auto* f = Create<TIWAppForm>(&app);
  f->SetName("MainForm");
  auto* l = Create<TIWLabel>(f);
  l->SetName("Label1");
  l->SetParent(f);
  return f;
}

void RegisterPing(TIWApplication& app) {
  TIWThreadSessionSwitch sw(&app);
  app.CallBacks().Register("PING", [](TStringList&) {});
}

// A page load without a cookie, from an address; the new session's ID or "".
std::string AnonymousPage(THostFixture& host, const std::string& address, int* code = nullptr) {
  THTTPRequest req;
  req.URL = "/";
  req.RemoteAddr = address;
  THTTPReply r = host.Send(req);
  if (code) *code = r.Code();
  return r.Cookies().empty() ? std::string() : r.Cookies()[0].Value;
}

TEST(HostSessionGuard, OnlyThePageMakesASessionOtherPathsAreNotFound) {
  THostFixture host(OneLabelForm);
  const size_t before = host.Controller().SessionCount();
  for (const char* path : {"/nothing", "/favicon.ico", "/a/b/c?x=1", "/$/other"}) {
    THTTPRequest req;
    req.URL = path;
    THTTPReply r = host.Send(req);
    EXPECT_EQ(r.Code(), 404) << path;
    EXPECT_TRUE(r.Cookies().empty()) << path;
  }
  EXPECT_EQ(host.Controller().SessionCount(), before);
  int code = 0;
  EXPECT_FALSE(AnonymousPage(host, "10.1.1.1", &code).empty());
  EXPECT_EQ(code, 200);
  EXPECT_EQ(host.Controller().SessionCount(), before + 1);
}

TEST(HostSessionGuard, AFullTableEvictsSessionsThatNeverMadeACallbackOldestFirst) {
  THostFixture host(OneLabelForm, [](TIWServerController& sc) { sc.MaxSessions = 4; });
  RegisterPing(host.Session());
  ASSERT_EQ(host.Callback("PING").Code, 200);  // the fixture's session is a real visitor
  const std::string a = AnonymousPage(host, "10.0.0.1");
  const std::string b = AnonymousPage(host, "10.0.0.2");
  const std::string c = AnonymousPage(host, "10.0.0.3");
  ASSERT_EQ(host.Controller().SessionCount(), 4u);
  // A flood of page loads keeps the table full, but never refuses a visitor
  // and never ends the session that made a callback.
  std::string last;
  for (int i = 0; i < 20; ++i) {
    int code = 0;
    last = AnonymousPage(host, "10.0.1." + std::to_string(i), &code);
    EXPECT_EQ(code, 200);
  }
  EXPECT_EQ(host.Controller().SessionCount(), 4u);
  EXPECT_NE(host.Controller().FindSession(host.Cookie()), nullptr);
  EXPECT_EQ(host.Controller().FindSession(a), nullptr);  // the oldest went first
  EXPECT_NE(host.Controller().FindSession(last), nullptr);
  EXPECT_EQ(host.Callback("PING").Code, 200);
  // Once every session has made a callback, a new visitor is refused.
  for (const std::string& id : {b, c}) EXPECT_EQ(host.Controller().FindSession(id), nullptr);
  THostFixture full(OneLabelForm, [](TIWServerController& sc) { sc.MaxSessions = 1; });
  RegisterPing(full.Session());
  ASSERT_EQ(full.Callback("PING").Code, 200);
  int code = 0;
  EXPECT_TRUE(AnonymousPage(full, "10.0.0.9", &code).empty());
  EXPECT_EQ(code, 503);
  EXPECT_NE(full.Controller().FindSession(full.Cookie()), nullptr);
}

TEST(HostSessionGuard, PerAddressQuotaIsOptional) {
  THostFixture host(OneLabelForm, [](TIWServerController& sc) { sc.MaxSessionsPerAddress = 2; });
  int code = 0;
  EXPECT_FALSE(AnonymousPage(host, "10.2.0.1").empty());
  const std::string second = AnonymousPage(host, "10.2.0.1");
  EXPECT_FALSE(second.empty());
  EXPECT_TRUE(AnonymousPage(host, "10.2.0.1", &code).empty());
  EXPECT_EQ(code, 503);
  EXPECT_FALSE(AnonymousPage(host, "10.2.0.2").empty());  // other addresses are not affected
  host.Controller().EndSession(second);                   // an ended session frees its place
  EXPECT_FALSE(AnonymousPage(host, "10.2.0.1").empty());
  THostFixture open(OneLabelForm);  // no quota by default
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(AnonymousPage(open, "10.3.0.1").empty());
}

TEST(HostSessionGuard, AWrongTokenChangesNothingNotEvenTheIdleTime) {
  auto now = std::chrono::steady_clock::now();
  THostFixture host(OneLabelForm, [&](TIWServerController& sc) {
    sc.SessionTimeout = 60s;
    sc.SetClock([&] { return now; });
  });
  RegisterPing(host.Session());
  now += 50s;
  EXPECT_EQ(host.Callback("PING", {}, false).Code, 403);
  EXPECT_EQ(host.Submit("X", "", {}, false).Code(), 403);
  now += 15s;  // 65 s after the last request with the right token
  EXPECT_EQ(host.Callback("PING").Code, 410);
  EXPECT_EQ(host.Controller().SessionCount(), 0u);
}

TEST(HostSessionGuard, EveryReplyIsNosniffAndTheCookieIsSecureBehindTLS) {
  THostFixture host(OneLabelForm);
  EXPECT_EQ(host.FirstPage().GetHeader("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(host.Get("/missing").GetHeader("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(host.Callback("NOSUCH").Code, 404);
  EXPECT_EQ(host.FirstPage().Cookies()[0].HeaderValue().find("Secure"), std::string::npos);
  THostFixture tls(OneLabelForm, [](TIWServerController& sc) { sc.BehindTLS = true; });
  EXPECT_EQ(tls.FirstPage().Cookies()[0].HeaderValue(),
            "ZQSESSION=" + tls.Cookie() + "; Path=/; HttpOnly; Secure; SameSite=Lax");
}

class StaticFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = std::filesystem::temp_directory_path() / ("zq_static_" + std::to_string(::getpid()));
    root_ = base_ / "root";
    std::filesystem::create_directories(root_ / "js");
    for (int i = 0; i < 1000; ++i) content_ += static_cast<char>('A' + i % 26);
    std::ofstream(root_ / "js" / "lib.js") << content_;
    std::ofstream(base_ / "outside.txt") << "secret";
    std::filesystem::create_symlink(base_ / "outside.txt", root_ / "leak.txt");
    std::filesystem::create_directory_symlink(base_, root_ / "up");
    std::filesystem::create_symlink(root_ / "js" / "lib.js", root_ / "alias.js");  // stays inside
  }
  void TearDown() override { std::filesystem::remove_all(base_); }
  std::filesystem::path base_, root_;
  std::string content_;
};

TEST_F(StaticFiles, LinksNeverLeadOutOfTheWebRoot) {
  THostFixture host(OneLabelForm,
                    [&](TIWServerController& sc) { sc.ContentPath = root_.string(); });
  EXPECT_EQ(host.Get("/leak.txt").Code(), 404);
  EXPECT_EQ(host.Get("/up/outside.txt").Code(), 404);
  THTTPReply inside = host.Get("/alias.js");
  EXPECT_EQ(inside.Code(), 200);
  EXPECT_EQ(inside.Body(), content_);
}

TEST_F(StaticFiles, OneRangeIsAnsweredExactlyOthersGetTheWholeFile) {
  THostFixture host(OneLabelForm,
                    [&](TIWServerController& sc) { sc.ContentPath = root_.string(); });
  auto get = [&](const std::string& url, const std::string& range) {
    THTTPRequest req = host.MakeRequest("GET", url);
    req.SetHeader("Range", range);
    return host.Send(req);
  };
  THTTPReply part = get("/js/lib.js?v=1.0.0", "bytes=0-9");
  EXPECT_EQ(part.Code(), 206);
  EXPECT_EQ(part.Body(), content_.substr(0, 10));
  EXPECT_EQ(part.GetHeader("Content-Range"), "bytes 0-9/1000");
  EXPECT_EQ(part.GetHeader("Cache-Control").find("immutable"),
            std::string::npos);  // a part is not the file
  EXPECT_EQ(get("/js/lib.js", "bytes=990-").Body(), content_.substr(990));
  EXPECT_EQ(get("/js/lib.js", "bytes=-5").Body(), content_.substr(995));
  THTTPReply clipped = get("/js/lib.js", "bytes=500-99999");
  EXPECT_EQ(clipped.Body(), content_.substr(500));
  EXPECT_EQ(clipped.GetHeader("Content-Range"), "bytes 500-999/1000");
  EXPECT_EQ(get("/js/lib.js", "bytes=1000-").Code(), 416);
  // Several ranges, a huge header or nonsense: the whole file, once.
  std::string many = "bytes=0-1";
  while (many.size() < 8000) many += ",0-1";
  for (const std::string& r :
       {many, std::string("bytes=5-2"), std::string("items=0-1"), std::string("bytes=0-1,3-4")}) {
    THTTPReply whole = get("/js/lib.js?v=1.0.0", r);
    EXPECT_EQ(whole.Code(), 200) << r.substr(0, 20);
    EXPECT_EQ(whole.Body(), content_) << r.substr(0, 20);
  }
}

TEST_F(StaticFiles, UnversionedFilesCarryValidatorsAndAnswer304) {
  THostFixture host(OneLabelForm,
                    [&](TIWServerController& sc) { sc.ContentPath = root_.string(); });
  THTTPReply first = host.Get("/js/lib.js");
  const std::string etag = first.GetHeader("ETag");
  ASSERT_FALSE(etag.empty());
  EXPECT_EQ(first.GetHeader("Cache-Control"), "no-cache");
  EXPECT_EQ(first.GetHeader("X-Content-Type-Options"), "nosniff");
  THTTPRequest again = host.MakeRequest("GET", "/js/lib.js");
  again.SetHeader("If-None-Match", etag);
  THTTPReply same = host.Send(again);
  EXPECT_EQ(same.Code(), 304);
  EXPECT_TRUE(same.Body().empty());
  std::ofstream(root_ / "js" / "lib.js") << content_ << "more";  // another size: another tag
  THTTPReply changed = host.Send(again);
  EXPECT_EQ(changed.Code(), 200);
  EXPECT_EQ(changed.Body(), content_ + "more");
  EXPECT_EQ(host.Get("/js/lib.js?v=2").GetHeader("Cache-Control"),
            "public, max-age=31536000, immutable");
}

}  // namespace
}  // namespace zq
