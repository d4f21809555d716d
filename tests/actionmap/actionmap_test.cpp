#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "actionmap/map.h"
#include "actionmap/responder.h"
#include "error_message.h"
#include "foundation/exception.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/testing.h"

namespace zq {
namespace {

using hosttest::THostFixture;
using namespace std::chrono_literals;

const std::string kID = "0123456789ABCDEF0123456789ABCDEF";

THostFixture::TFormFactory PlainForm() {
  return [](TIWApplication& app) {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    return f;
  };
}

// A host with the action map started and a recording handler.
class ActionMap : public ::testing::Test {
 protected:
  void SetUp() override { ZQActionMapStartup(&host.Controller()); }
  void TearDown() override {
    ZQActionMapShutdown();
    ZQMapSessionLockTimeout = 60000ms;
    ZQMapMaxSessionWaiters = 4;
  }

  // Registers kID/AAction for the fixture's session with a handler that runs
  // `body` (after recording the call).
  std::string Register(const std::string& AAction, TIWZQJQMapResponseType type,
                       std::function<void(THTTPReply&)> body = {},
                       const std::string& appID = "<session>") {
    return AddZQJQMapEvent(
        kID, AAction, appID == "<session>" ? host.Session().AppID() : appID,
        TIWZQJQMapEvent(this,
                        [this, body](const std::string& action, TStringList* params, THTTPRequest&,
                                     THTTPReply& r) {
                          ++calls;
                          lastAction = action;
                          lastParams = params->Text();
                          threadSession = gGetWebApplicationThreadVar();
                          if (body) body(r);
                        }),
        type);
  }

  // A request without the session cookie.
  THTTPReply GetWithoutCookie(const std::string& url, const std::string& agent = {}) {
    THTTPRequest req;
    req.URL = url;
    if (!agent.empty()) req.SetHeader("User-Agent", agent);
    return host.Send(req);
  }

  // Holds the session's lock on another thread until released.
  struct LockHolder {
    std::promise<void> release;
    std::thread thread;
    explicit LockHolder(TIWApplication& app) {
      std::promise<void> locked;
      auto f = release.get_future().share();
      thread = std::thread([&app, &locked, f] {
        app.Lock();
        locked.set_value();
        f.wait();
        app.Unlock();
      });
      locked.get_future().wait();
    }
    void Release() {
      if (thread.joinable()) {
        release.set_value();
        thread.join();
      }
    }
    ~LockHolder() { Release(); }
  };

  THostFixture host{PlainForm()};
  std::atomic<int> calls{0};
  std::string lastAction, lastParams;
  TIWApplication* threadSession = nullptr;
};

TEST(ActionMapPath, Grammar) {
  auto p = ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "ActionUpload", "", false, "");
  EXPECT_TRUE(p.Matches);
  EXPECT_TRUE(p.CarriesSession);  // no sessions in URLs: every request carries its own
  EXPECT_EQ(p.ID, kID);
  EXPECT_EQ(p.Action, "Upload");
  // One trailing "/" is dropped, not two.
  EXPECT_EQ(ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "ActionUpload/", "", false, "").Action,
            "Upload");
  EXPECT_EQ(ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "ActionUpload//", "", false, "").Action,
            "Upload/");
  // Wrong lengths and shapes are not handled.
  EXPECT_FALSE(
      ZQSplitMapRequestPath("/IWZQJQ/ID" + kID.substr(1) + "ActionUpload", "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "0ActionUpload", "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("/IWZQJQ/ID" + kID, "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("/IWZQJQ/XX" + kID + "ActionUpload", "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("/iwzqjq/ID" + kID + "ActionUpload", "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("/IWZQJQ/", "", false, "").Matches);
  EXPECT_FALSE(ZQSplitMapRequestPath("", "", false, "").Matches);
  // An empty action still has the shape; the lookup decides.
  EXPECT_TRUE(ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "Action", "", false, "").Matches);
}

TEST(ActionMapPath, URLBaseAndSessionInPath) {
  // The URL base is removed with or without its trailing "/".
  auto p = ZQSplitMapRequestPath("/app/IWZQJQ/ID" + kID + "ActionGetFile", "/app/", false, "");
  EXPECT_TRUE(p.Matches);
  EXPECT_EQ(p.Action, "GetFile");
  EXPECT_TRUE(
      ZQSplitMapRequestPath("/app/IWZQJQ/ID" + kID + "ActionGetFile", "/app", false, "").Matches);
  EXPECT_FALSE(
      ZQSplitMapRequestPath("/other/IWZQJQ/ID" + kID + "ActionGetFile", "/app", false, "").Matches);
  // With sessions in URL paths, the request's own session in front marks it
  // as carrying its session; without it the request does not carry one.
  auto s = ZQSplitMapRequestPath("/abc123/IWZQJQ/ID" + kID + "ActionX", "", true, "abc123");
  EXPECT_TRUE(s.Matches);
  EXPECT_TRUE(s.CarriesSession);
  auto n = ZQSplitMapRequestPath("/IWZQJQ/ID" + kID + "ActionX", "", true, "abc123");
  EXPECT_TRUE(n.Matches);
  EXPECT_FALSE(n.CarriesSession);
  // Another session's ID in front is neither removed nor a match.
  EXPECT_FALSE(
      ZQSplitMapRequestPath("/zzz999/IWZQJQ/ID" + kID + "ActionX", "", true, "abc123").Matches);
  auto b =
      ZQSplitMapRequestPath("/app/abc123/IWZQJQ/ID" + kID + "ActionX/", "/app", true, "abc123");
  EXPECT_TRUE(b.Matches && b.CarriesSession);
  EXPECT_EQ(b.Action, "X");
}

TEST(ActionMapPath, StatusTextHasNoControlCharactersAndIsCapped) {
  EXPECT_EQ(ZQMapStatusText(500, "bad\r\nSet-Cookie: x=1\t\x7f!"), "500: badSet-Cookie: x=1!");
  std::string longText(1000, 'a');
  EXPECT_EQ(ZQMapStatusText(500, longText).size(), 5 + ZQMapMaxStatusText);
  // The cut never splits a UTF-8 sequence.
  std::string euros;
  for (int i = 0; i < 200; ++i) euros += "\xE2\x82\xAC";
  std::string cut = ZQMapStatusText(500, euros);
  EXPECT_LE(cut.size(), 5 + ZQMapMaxStatusText);
  EXPECT_EQ((cut.size() - 5) % 3, 0u);
}

TEST(ActionMapIDs, AreRandomHexOfTheMapIDLength) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string id = ZQNewGUIDHTMLMapID();
    ASSERT_EQ(id.size(), static_cast<size_t>(ZQGUIDHTMLMapIDLen()));
    EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST_F(ActionMap, AddGivesTheURLForms) {
  EXPECT_EQ(Register("Upload", mrtCustom), "/IWZQJQ/ID" + kID + "ActionUpload");
  DelZQJQMapEvent(kID, "Upload");
  host.Controller().URLBase = "/app/";
  EXPECT_EQ(Register("Upload", mrtCustom), "/app/IWZQJQ/ID" + kID + "ActionUpload");
  DelZQJQMapEvent(kID, "Upload");
  host.Controller().SessionInURL = true;
  EXPECT_EQ(Register("Upload", mrtCustom, {}, "S1"), "/app/S1/IWZQJQ/ID" + kID + "ActionUpload");
}

TEST_F(ActionMap, KeysAreUniqueAndDeletable) {
  Register("Upload", mrtCustom);
  EXPECT_EQ(test::Message([&] { Register("Upload", mrtCustom); }),
            "String list does not allow duplicates");
  Register("GetFile", mrtText);  // same ID, other action: another key
  EXPECT_EQ(ZQMapEventCount(), 2u);
  DelZQJQMapEvent(kID, "Upload");
  DelZQJQMapEvent(kID, "Upload");  // gone already: nothing
  EXPECT_EQ(ZQMapEventCount(), 1u);
  EXPECT_EQ(ZQFindMapEvent(kID, "Upload"), nullptr);
  ASSERT_NE(ZQFindMapEvent(kID, "GetFile"), nullptr);
  EXPECT_EQ(ZQFindMapEvent(kID, "GetFile")->GetKey(), "ID" + kID + "ActionGetFile");
  ZQActionMapShutdown();
  DelZQJQMapEvent(kID, "GetFile");  // no map: nothing
  EXPECT_EQ(test::Message([&] { Register("X", mrtText); }), "The URL action map is not started!");
  EXPECT_EQ(host.Controller().Handlers().Count(), 0u);
}

TEST_F(ActionMap, HandlerGetsActionParametersAndTheSession) {
  std::string url = Register("GetFile", mrtText, [](THTTPReply& r) { r.SetBody("file"); });
  THTTPReply reply = host.Get(url + "/?fid=1&FID=2");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(lastAction, "GetFile");
  EXPECT_EQ(lastParams, "fid=1\r\nFID=2\r\n");
  EXPECT_EQ(threadSession, &host.Session());
  EXPECT_EQ(reply.Body(), "file");
  EXPECT_EQ(reply.GetHeader("X-Content-Type-Options"), "nosniff");
}

TEST_F(ActionMap, PathsOfOtherShapesAreLeftToTheHost) {
  TIWZQJQResponder responder;
  THTTPRequest req = host.MakeRequest("GET", "/IWZQJQ/ID" + kID.substr(1) + "ActionGetFile");
  ASSERT_TRUE(req.Parse(100));
  THTTPReply reply;
  EXPECT_FALSE(responder.Execute(req, reply, req.PathInfo(), &host.Session()));
  EXPECT_EQ(reply.GetHeader("X-Content-Type-Options"), "");
}

TEST_F(ActionMap, UnknownEntryIsA500WithTheMessage) {
  THTTPReply reply = host.Get("/IWZQJQ/ID" + kID + "ActionGone");
  EXPECT_EQ(reply.Code(), 500);
  EXPECT_EQ(reply.CodeText(),
            "500: Browser is requesting the action \"Gone\" for a control no longer existant!");
  EXPECT_EQ(reply.Body(), "");
  EXPECT_EQ(reply.GetHeader("X-Content-Type-Options"), "nosniff");
  // An action carrying line breaks cannot reach the status line with them.
  THTTPReply evil = host.Get("/IWZQJQ/ID" + kID + "ActionA%0D%0ASet-Cookie:%20x=1");
  EXPECT_EQ(evil.CodeText(),
            "500: Browser is requesting the action \"ASet-Cookie: x=1\" for a control no longer "
            "existant!");
}

TEST_F(ActionMap, FailureRowsByResponseType) {
  auto raise = [](const std::string& m) { return [m](THTTPReply&) { throw EIWZQJQuery(m); }; };
  // mrtJSon: success false and the message, application/json for a non-IE browser.
  host.Session().SetBrowser(TBrowser::FromUserAgent("Mozilla/5.0 Chrome/120.0 Safari/537.36"));
  std::string json = Register("J", mrtJSon, raise("Bad file"));
  THTTPReply j = host.Get(json);
  EXPECT_EQ(j.Code(), 200);
  EXPECT_EQ(j.Body(), "{success:false,error:\"Bad file\"}");
  EXPECT_EQ(j.ContentType(), "application/json");
  // mrtText: the message as the body.
  THTTPReply t = host.Get(Register("T", mrtText, raise("The file can not be returned by server!")));
  EXPECT_EQ(t.Body(), "The file can not be returned by server!");
  EXPECT_EQ(t.ContentType(), "application/json");
  // mrtError with a silent abort: reset, {"success":true}.
  THTTPReply a = host.Get(Register("A", mrtError, [](THTTPReply& r) {
    r.SetHeader("X-Partial", "1");
    throw EAbort();
  }));
  EXPECT_EQ(a.Code(), 200);
  EXPECT_EQ(a.Body(), "{\"success\":true}");
  EXPECT_EQ(a.GetHeader("X-Partial"), "");
  EXPECT_EQ(a.GetHeader("X-Content-Type-Options"), "nosniff");
  // mrtError with another failure: reset, 500 with the message, no body.
  THTTPReply e = host.Get(Register("E", mrtError, [](THTTPReply& r) {
    r.SetBody("half");
    throw EIWZQJQuery("Broken");
  }));
  EXPECT_EQ(e.Code(), 500);
  EXPECT_EQ(e.CodeText(), "500: Broken");
  EXPECT_EQ(e.Body(), "");
  // mrtCustom: what the handler wrote stays.
  THTTPReply c = host.Get(Register("C", mrtCustom, [](THTTPReply& r) {
    r.SetBody("{\"own\":1}");
    throw EIWZQJQuery("ignored");
  }));
  EXPECT_EQ(c.Code(), 200);
  EXPECT_EQ(c.Body(), "{\"own\":1}");
  // Exceptions outside the library's hierarchy pass through the responder
  // (the host answers them).
  THTTPReply f =
      host.Get(Register("F", mrtText, [](THTTPReply&) { throw std::logic_error("foreign"); }));
  EXPECT_EQ(f.Code(), 500);
  EXPECT_EQ(f.Body(), "foreign");
}

TEST_F(ActionMap, InternetExplorerGetsEscapedHTML) {
  host.Session().SetBrowser(
      TBrowser::FromUserAgent("Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko"));
  ASSERT_TRUE(host.Session().Browser().IsInternetExplorer());
  THTTPReply t = host.Get(
      Register("T", mrtText, [](THTTPReply&) { throw EIWZQJQuery("<img src=x onerror=1>&"); }));
  EXPECT_EQ(t.ContentType(), "text/html");
  EXPECT_EQ(t.Body(), "&lt;img src=x onerror=1&gt;&amp;");
  THTTPReply j =
      host.Get(Register("J", mrtJSon, [](THTTPReply&) { throw EIWZQJQuery("</script>&"); }));
  EXPECT_EQ(j.ContentType(), "text/html");
  EXPECT_EQ(j.Body(), "{success:false,error:\"\\u003c\\/script\\u003e\\u0026\"}");
}

TEST_F(ActionMap, EntryOfAnotherSessionIsRefused) {
  std::string url = Register("T", mrtText, {}, "another-session");
  THTTPReply r = host.Get(url);
  EXPECT_EQ(calls, 0);
  // Refused before the browser is looked at: reported as to Internet Explorer.
  EXPECT_EQ(r.Body(),
            HTMLEscape("Mapping Session different from Item Event Session for the action \"T\"!"));
  EXPECT_EQ(r.ContentType(), "text/html");
  // A request without any session for an entry bound to one: refused too.
  THTTPReply n = GetWithoutCookie(Register("U", mrtText));
  EXPECT_EQ(calls, 0);
  // The session (and its browser) is not known: an escaped text/html body.
  EXPECT_EQ(n.Body(),
            HTMLEscape("Mapping Session different from Item Event Session for the action \"U\"!"));
  EXPECT_EQ(n.ContentType(), "text/html");
}

TEST_F(ActionMap, EntryWithoutSessionRunsWithoutLock) {
  std::string url = Register(
      "Free", mrtText, [](THTTPReply& r) { r.SetBody("ok"); }, "");
  EXPECT_EQ(GetWithoutCookie(url).Body(), "ok");
  EXPECT_EQ(threadSession, nullptr);
}

TEST_F(ActionMap, RequestCarryingItsSessionWaitsForTheLock) {
  std::string url = Register("T", mrtText, [](THTTPReply& r) { r.SetBody("done"); });
  LockHolder holder(host.Session());
  auto pending = std::async(std::launch::async, [&] { return host.Get(url); });
  EXPECT_EQ(pending.wait_for(200ms), std::future_status::timeout);  // blocked on the lock
  EXPECT_EQ(calls, 0);
  holder.Release();
  EXPECT_EQ(pending.get().Body(), "done");
}

TEST_F(ActionMap, SessionFoundByIDIsLockedWithATimeout) {
  host.Controller().SessionInURL = true;
  std::string url = Register("T", mrtJSon, [](THTTPReply& r) { r.SetBody("done"); });
  ASSERT_EQ(url.rfind("/" + host.Session().AppID() + "/IWZQJQ/", 0), 0u);
  std::string bare = "/IWZQJQ/ID" + kID + "ActionT";  // does not carry the session
  // Free session: found by the entry's ID, handler runs with it as the thread's session.
  EXPECT_EQ(GetWithoutCookie(bare).Body(), "done");
  EXPECT_EQ(threadSession, &host.Session());
  // Locked for longer than the timeout: "Server Busy!", as the entry reports failures.
  ZQMapSessionLockTimeout = 150ms;
  LockHolder holder(host.Session());
  auto start = std::chrono::steady_clock::now();
  THTTPReply busy = GetWithoutCookie(bare);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  EXPECT_EQ(busy.Body(), "{success:false,error:\"Server Busy!\"}");
  EXPECT_EQ(calls, 1);
}

TEST_F(ActionMap, SessionNotFoundNamesALabelNotTheSecret) {
  host.Controller().SessionInURL = true;
  std::string appID = host.Session().AppID();
  Register("T", mrtText);
  host.Controller().EndSession(appID);
  THTTPReply r = GetWithoutCookie("/IWZQJQ/ID" + kID + "ActionT");
  EXPECT_EQ(r.Body(), HTMLEscape("Session \"" + ZQSessionLabel(appID) + "\" not found - Timeout!"));
  EXPECT_EQ(r.Body().find(appID), std::string::npos);
  EXPECT_EQ(ZQSessionLabel(appID).size(), 8u);
  EXPECT_NE(ZQSessionLabel(appID), ZQSessionLabel(appID + "x"));
  EXPECT_EQ(calls, 0);
}

TEST_F(ActionMap, WaitersPerSessionAreCapped) {
  host.Controller().SessionInURL = true;
  ZQMapMaxSessionWaiters = 1;
  ZQMapSessionLockTimeout = 5000ms;
  std::string bare = "/IWZQJQ/ID" + kID + "ActionT";
  Register("T", mrtText, [](THTTPReply& r) { r.SetBody("done"); });
  LockHolder holder(host.Session());
  auto waiting = std::async(std::launch::async, [&] { return GetWithoutCookie(bare); });
  std::this_thread::sleep_for(200ms);  // the first waiter takes the one place
  auto start = std::chrono::steady_clock::now();
  THTTPReply refused = GetWithoutCookie(bare);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);  // answered at once
  EXPECT_EQ(refused.Body(), "Server Busy!");
  holder.Release();
  EXPECT_EQ(waiting.get().Body(), "done");
  EXPECT_EQ(calls, 1);
  // Places are given back: with the lock free again the next request runs.
  EXPECT_EQ(GetWithoutCookie(bare).Body(), "done");
}

TEST_F(ActionMap, EntryDeletedWhileWaitingIsNeverCalled) {
  std::string url = Register("T", mrtError);
  LockHolder holder(host.Session());
  auto pending = std::async(std::launch::async, [&] { return host.Get(url); });
  std::this_thread::sleep_for(100ms);
  DelZQJQMapEvent(kID, "T");  // the control goes away while the request waits
  holder.Release();
  THTTPReply r = pending.get();
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(r.Code(), 500);
  EXPECT_EQ(r.CodeText(),
            "500: Browser is requesting the action \"T\" for a control no longer existant!");
}

TEST_F(ActionMap, SessionEndedWhileWaitingIsNeverTouched) {
  host.Controller().SessionInURL = true;
  std::string appID = host.Session().AppID();
  Register("T", mrtText);
  auto pending = std::async(std::launch::async, [&] { return std::string(); });
  THTTPReply r;
  {
    LockHolder holder(host.Session());
    pending = std::async(std::launch::async,
                         [&] { return GetWithoutCookie("/IWZQJQ/ID" + kID + "ActionT").Body(); });
    std::this_thread::sleep_for(100ms);
    host.Controller().EndSession(appID);
  }
  EXPECT_EQ(pending.get(),
            HTMLEscape("Session \"" + ZQSessionLabel(appID) + "\" not found - Timeout!"));
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace zq

namespace zq {
namespace {

// The library start-up with a controller starts the map and registers its
// responder with that controller; the last shutdown takes both back. No
// ZQActionMapStartup call anywhere.
TEST(ActionMapStartup, TheLibraryStartupStartsTheMapWithItsController) {
  ASSERT_FALSE(ZQActionMapStarted());
  {
    THostFixture host{PlainForm()};
    EXPECT_TRUE(ZQActionMapStarted());
    EXPECT_EQ(host.Controller().Handlers().Count(), 1u);  // the responder
    int calls = 0;
    std::string url = AddZQJQMapEvent(
        kID, "GetFile", host.Session().AppID(),
        TIWZQJQMapEvent(&calls,
                        [&calls](const std::string&, TStringList*, THTTPRequest&, THTTPReply& r) {
                          ++calls;
                          r.SetBody("file");
                        }),
        mrtText);
    THTTPReply reply = host.Get(url);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reply.Body(), "file");
  }
  EXPECT_FALSE(ZQActionMapStarted());
}

}  // namespace
}  // namespace zq
