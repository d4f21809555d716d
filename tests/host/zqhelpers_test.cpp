#include "host/zqhelpers.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/context.h"
#include "host/controls.h"
#include "foundation/html.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "error_message.h"

namespace zq {
namespace {
using test::Message;

// A server controller (the process's gServerController) and one session
// that is the thread's current session.
class HostHelpers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(gServerController, nullptr);
    sc = CreateOwned<TIWServerController>();
    app = sc->NewSession();
    form = Create<TIWAppForm>(app.get());
    form->SetName("MainForm");
    app->SetActiveForm(form);
    app->SetRequest(&request);
    app->SetResponse(&reply);
    session = std::make_unique<TIWThreadSessionSwitch>(app.get());
  }
  void TearDown() override {
    session.reset();
    app->SetRequest(nullptr);
    app->SetResponse(nullptr);
    sc->EndAllSessions();
    app.reset();
    sc.reset();
    ZQScriptDebugCatch = false;
  }
  void Callback(bool processing) {
    app->SetIsCallBack(true);
    app->SetCallBackProcessing(processing);
  }
  Owned<TIWServerController> sc;
  std::shared_ptr<TIWApplication> app;
  TIWAppForm* form = nullptr;
  THTTPRequest request;
  THTTPReply reply;
  std::unique_ptr<TIWThreadSessionSwitch> session;
};

TEST(HostHelpersNoController, DebugSwitchIsOffWithoutAController) {
  ASSERT_EQ(gServerController, nullptr);
  EXPECT_FALSE(ZQJavascriptDebug());
  EXPECT_EQ(JQIdent(3), "");
  EXPECT_EQ(ZQIfDebug("x"), "");
  EXPECT_TRUE(ZQCheckWwwRoot());  // nothing to check, nothing cached
  EXPECT_EQ(Message([] { IW12_Version(); }), "GServerController not Assigned in IW12_Version!");
  EXPECT_FALSE(ZQIsCallBack());
  EXPECT_EQ(Message([] { ZQAddJavaScriptToAjaxResponse("x();"); }),
            "Session not assigned for AddJavaScriptToExecute!");
  ZQAddJavaScriptToAjaxResponse("");  // empty script: nothing, not even the session check
}

TEST_F(HostHelpers, DebugSwitchFollowsTheController) {
  EXPECT_EQ(JQIdent(2), "");
  EXPECT_FALSE(JSonIdent());
  sc->JavaScriptDebug = true;
  EXPECT_EQ(JQIdent(2), "    ");
  EXPECT_TRUE(JSonIdent());
  EXPECT_EQ(ZQIfDebug("dbg"), "dbg");
}

TEST(HostHelpersText, ColoursRoundTripWithRedInTheLowByte) {
  EXPECT_EQ(ColorToZQColor(0x00332211), "#112233");
  EXPECT_EQ(ZQColorToColor("#112233"), 0x00332211);
  EXPECT_EQ(ZQColorToColor(" #AbCdEf "), 0x00EFCDAB);
  EXPECT_EQ(ZQColorToColor(""), clNone);
  EXPECT_EQ(ZQColorToColor("#12345"), clNone);
  EXPECT_EQ(ZQColorToColor("#12x456"), clNone);
  EXPECT_EQ(ZQColorToColor("red"), StringToIWColor("red"));
  EXPECT_EQ(ColorToZQColor(clNone), "");
  EXPECT_EQ(ColorToZQColor(0x000000FF), "#ff0000");
}

TEST(HostHelpersText, Cursors) {
  EXPECT_EQ(ZQCursorToString(TIWCursor::crAuto), "");
  EXPECT_EQ(ZQCursorToString(TIWCursor::crAuto, true), "auto");
  EXPECT_EQ(ZQCursorToString(TIWCursor::crHandPoint), "pointer");
  EXPECT_EQ(ZQCursorToString(TIWCursor::crNEResize), "ne-resize");
  EXPECT_EQ(ZQCursorToString(TIWCursor::crPointer), "pointer");
  EXPECT_EQ(ZQCursorToString(TIWCursor::crHelp), "help");
  EXPECT_EQ(ZQCursorToStringByOrdinal(17), "auto");
  EXPECT_EQ(ZQCursorToStringByOrdinal(-1), "auto");
  EXPECT_EQ(ZQCursorToCss(TIWCursor::crWait), "cursor: wait;");
}

TEST(HostHelpersText, PathsAndLinks) {
  EXPECT_TRUE(ZQIsHttpLink("HTTPS://x"));
  EXPECT_TRUE(ZQIsHttpLink("http://x"));
  EXPECT_FALSE(ZQIsHttpLink("ftp://x"));
  EXPECT_FALSE(ZQIsHttpLink("/http://"));
  EXPECT_EQ(ZQRemoveSlash("/a/b"), "a/b");
  EXPECT_EQ(ZQRemoveSlash("a"), "a");
  EXPECT_TRUE(IsRelativePath("jq/a.js"));
  EXPECT_FALSE(IsRelativePath("C:\\x"));
  EXPECT_FALSE(IsRelativePath("\\\\srv"));
  EXPECT_FALSE(IsRelativePath("a"));
  EXPECT_EQ(ZQCheckRelativePath("https://cdn/x.js"), "https://cdn/x.js");
  EXPECT_EQ(ZQCheckRelativePath("jq//a.js"), "jq/a.js");  // no session: no URL base
}

TEST(HostHelpersText, FullUrl) {
  EXPECT_EQ(ZQGetRequestFullUrl("/x", "example.com", "", 0, 80, "IWZQJQ/a"), "http://example.com:80/IWZQJQ/a");
  EXPECT_EQ(ZQGetRequestFullUrl("https://h/x", "h:443", "", 8443, 443, "a"), "https://h:8443/a");
  EXPECT_EQ(ZQGetRequestFullUrl("/", "h:8080", "", 0, 80, "/a"), "http://h:80/a");
  // IPv6 literals: the port follows the bracket, the address keeps its colons.
  EXPECT_EQ(ZQGetRequestFullUrl("/", "[::1]:8080", "", 9090, 80, "p"), "http://[::1]:9090/p");
  EXPECT_EQ(ZQGetRequestFullUrl("/", "[::1]", "", 0, 8080, "p"), "http://[::1]:8080/p");
  EXPECT_EQ(ZQGetRequestFullUrl("/", "[fe80::1:2]:80", "", 0, 81, ""), "http://[fe80::1:2]:81/");
  EXPECT_EQ(ZQGetRequestFullUrl(static_cast<const THTTPRequest*>(nullptr), "a"), "");
  THTTPRequest r;
  r.URL = "/$/callback";
  r.Host = "[::1]:8080";
  r.ServerPort = 8080;
  EXPECT_EQ(ZQGetRequestFullUrl(&r, "IWZQJQ/IDxAction"), "http://[::1]:8080/IWZQJQ/IDxAction");
  r.ScriptName = "/lib.dll";
  ZQRunsAsLibraryModule = true;
  EXPECT_EQ(ZQGetRequestFullUrl(&r, "x", 81), "http://[::1]:81/lib.dll/x");
  ZQRunsAsLibraryModule = false;
}

TEST(HostHelpersText, RequestFields) {
  THTTPRequest r;
  r.Method = "POST";
  r.ContentFields().Add("Name", "a");
  r.ContentFields().Add("x", "1");
  EXPECT_EQ(ZQGetRequestField(r, "name"), "a");
  EXPECT_EQ(ZQGetRequestField(r, "name", true), "");
  ZQSetRequestField(r, "NAME", "b");
  EXPECT_EQ(ZQGetRequestField(r, "Name", true), "b");
  ZQSetRequestField(r, "NAME", "c", true);  // case-sensitive: a new field
  EXPECT_EQ(ZQGetRequestField(r, "NAME", true), "c");
  TStringList l;
  ZQGetRequestList(r, l, true);
  EXPECT_EQ(l.Text(), "Name=b\r\nx=1\r\nNAME=c\r\n");
  EXPECT_TRUE(l.CaseSensitive());
  THTTPRequest g;
  g.URL = "/?q=1&Z=2";
  ASSERT_TRUE(g.Parse(100));
  EXPECT_EQ(ZQGetRequestField(g, "z"), "2");
  ZQSetRequestField(g, "q", "9");
  EXPECT_EQ(ZQGetRequestField(g, "q"), "9");
}

TEST(HostHelpersText, IW12VersionParsing) {
  EXPECT_DOUBLE_EQ(ZQParseIW12Version("12.2.14"), 2.14);
  EXPECT_DOUBLE_EQ(ZQParseIW12Version("12.2.0"), 2.14);   // 2.0 is read as 2.14
  EXPECT_DOUBLE_EQ(ZQParseIW12Version("12.2.15.3"), 2.15);  // cut before the last "."
  EXPECT_DOUBLE_EQ(ZQParseIW12Version("12.1"), 1.0);
  EXPECT_EQ(Message([] { ZQParseIW12Version("11.2.14"); }), "Invalid IW12 version: \"11.2.14\"!");
  EXPECT_EQ(Message([] { ZQParseIW12Version("1.0.0"); }), "Invalid IW12 version: \"1.0.0\"!");
  EXPECT_EQ(Message([] { ZQParseIW12Version("12"); }), "Invalid IW12 version: \"12\"!");
  EXPECT_EQ(Message([] { ZQParseIW12Version("12.a.b.c"); }), "Invalid IW12 version: \"12.a.b.c\"!");
}

TEST_F(HostHelpers, CallbackStateAndAjaxInjection) {
  EXPECT_FALSE(ZQIsCallBack());
  EXPECT_EQ(Message([] { ZQCheckIsCallBack("Refresh"); }), "Method \"Refresh\" it's only allowed in Ajax Processing!");
  // Outside a callback: check set, raise clear does nothing; raise set raises.
  ZQAddJavaScriptToAjaxResponse("a();", true, false);
  EXPECT_TRUE(app->CallBackResponse().Scripts().empty());
  EXPECT_EQ(Message([] { ZQAddJavaScriptToAjaxResponse("a();", true, true); }),
            "The IW Session is not processing ajax!");
  EXPECT_TRUE(ZQCheckSubmitResponse(true, true));
  Callback(false);
  EXPECT_TRUE(ZQIsCallBack());
  EXPECT_FALSE(ZQIsCallBackProcessing());
  EXPECT_EQ(Message([] { ZQCheckIsCallBackProcessing("Refresh"); }),
            "Method \"Refresh\" it's only allowed in Ajax Requests Processing!");
  EXPECT_EQ(Message([] { ZQCheckSubmitResponse(true, true); }), "The IW Session is not processing submit!");
  EXPECT_FALSE(ZQCheckSubmitResponse(true, false));
  Callback(true);
  ZQCheckIsCallBackProcessing("Refresh");
  ZQAddJavaScriptToAjaxResponse("a();");
  ZQAjaxExecuteSubmit("BUTTON1");
  ASSERT_EQ(app->CallBackResponse().Scripts().size(), 2u);
  EXPECT_EQ(app->CallBackResponse().Scripts()[0], "a();");
  EXPECT_EQ(app->CallBackResponse().Scripts()[1], "SubmitClickConfirm(\"BUTTON1\",false,true,\"\");");
  // Disabled ajax response: the injections find no callback.
  ZQCallBackDisableAjaxResponse();
  ZQAddJavaScriptToAjaxResponse("b();");
  EXPECT_EQ(app->CallBackResponse().Scripts().size(), 2u);
  ZQCallBackEnableAjaxResponse();
  ZQAddJavaScriptToAjaxResponse("c();", false);
  EXPECT_EQ(app->CallBackResponse().Scripts().size(), 3u);
  // Design mode never counts as processing.
  app->SetDesignMode(true);
  EXPECT_FALSE(ZQCheckAjaxResponse(true, false));
  EXPECT_TRUE(ZQCheckAjaxResponse(false, true));
}

TEST_F(HostHelpers, DebugCatchWrapsInjectedScript) {
  Callback(true);
  ZQScriptDebugCatch = true;
  ZQAddJavaScriptToAjaxResponse("a();");  // switch off: not wrapped
  sc->JavaScriptDebug = true;
  ZQAddJavaScriptToAjaxResponse("b();");
  ASSERT_EQ(app->CallBackResponse().Scripts().size(), 2u);
  EXPECT_EQ(app->CallBackResponse().Scripts()[0], "a();");
  EXPECT_EQ(app->CallBackResponse().Scripts()[1],
            "try { b();} catch(err) { alert(\"Script Error \" + err.message + \" in IW Ajax Response!\") }");
  TIWPageContext40 page(app.get(), form);
  ZQAddJavaScriptToSubmit(page, "c();");
  ZQAddJavaScriptToSubmit(page, "");
  sc->JavaScriptDebug = false;
  ZQAddJavaScriptToSubmit(page, "d();", true);
  EXPECT_EQ(page.GetInitProc(),
            "try { c();} catch(err) { alert(\"Script Error \" + err.message + \" in IW Ajax Response!\") }");
  EXPECT_EQ(page.GetInitProcDoLastCode(), "d();");
}

TEST_F(HostHelpers, CallbackRegistration) {
  std::string got;
  ZQRegisterCallBack(app.get(), "CHART1.DoAjaxRequest", [&](TStringList& p) { got = "first " + p.Values("a"); });
  TIWCallback* cb = app->CallBacks().Find("MAINFORM.CHART1.DoAjaxRequest");
  ASSERT_NE(cb, nullptr);
  ZQRegisterCallBack(nullptr, "CHART1.DoAjaxRequest", [&](TStringList& p) { got = "second " + p.Values("a"); });
  EXPECT_EQ(app->CallBacks().Count(), 1u);
  TStringList params;
  params.Add("a=1");
  cb->Handler()(params);
  EXPECT_EQ(got, "second 1");
  ZQUnregisterCallBack(app.get(), "CHART1.DoAjaxRequest");
  got.clear();
  app->CallBacks().Find("MAINFORM.CHART1.DoAjaxRequest")->Handler()(params);
  EXPECT_EQ(got, "");
  EXPECT_EQ(app->CallBacks().Count(), 1u);
}

TEST_F(HostHelpers, LockAppTimeoutWaitsForTheLock) {
  std::atomic<bool> locked{false}, release{false};
  std::thread holder([&] {
    app->Lock();
    locked = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    app->Unlock();
  });
  while (!locked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(ZQLockAppTimeout(app.get(), 0, 5));
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ZQLockAppTimeout(app.get(), 60, 5));
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(60));
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    release = true;
  });
  EXPECT_TRUE(ZQLockAppTimeout(app.get(), 5000, 5));
  app->Unlock();
  releaser.join();
  holder.join();
}

TEST_F(HostHelpers, Cookies) {
  request.SetHeader("Cookie", "my%20name=a%3Bb; other=1");
  ASSERT_TRUE(request.Parse(100));
  EXPECT_EQ(ZQGetCookieValue("my name"), "a;b");
  EXPECT_EQ(ZQGetCookieValue("missing", &request), "");
  EXPECT_EQ(ZQGetCookieValue("x", static_cast<const THTTPRequest*>(nullptr)), "");
  EXPECT_EQ(ZQGetCookieBasePath(), "/");
  TStringList values;
  values.Add("k1=v 1");
  values.Add("k2=v2");
  ZQSetCookieValues(values, app.get(), EncodeDateTime(2030, 1, 2, 3, 4, 5, 0), "");
  ZQSetCookieValue("k3", "x", &reply, TDateTime(), "/app");
  ZQSetCookieValue("k4", "x", static_cast<THTTPReply*>(nullptr));  // no reply: nothing happens
  ASSERT_EQ(reply.Cookies().size(), 3u);
  EXPECT_EQ(reply.Cookies()[0].Name, "k1");
  EXPECT_EQ(reply.Cookies()[0].Value, "v%201");
  EXPECT_EQ(reply.Cookies()[0].Path, "/");
  ASSERT_TRUE(reply.Cookies()[0].Expires.has_value());
  EXPECT_EQ(reply.Cookies()[2].Path, "/app");
  EXPECT_FALSE(reply.Cookies()[2].Expires.has_value());
  // What was set reads back through the request form.
  THTTPRequest back;
  back.SetHeader("Cookie", reply.Cookies()[0].Name + "=" + reply.Cookies()[0].Value);
  ASSERT_TRUE(back.Parse(100));
  EXPECT_EQ(ZQGetCookieValue("k1", &back), "v 1");
}

TEST_F(HostHelpers, ScriptNameIsKeptFromTheRequest) {
  request.ScriptName = "/lib.dll";
  EXPECT_EQ(ZQGetScriptName(), "/lib.dll");
  std::string seen;
  std::thread other([&] { seen = ZQGetScriptName(); });  // no session there: the kept name
  other.join();
  EXPECT_EQ(seen, "/lib.dll");
  request.ScriptName = "";
  EXPECT_EQ(ZQGetScriptName(), "");
}

TEST_F(HostHelpers, VersionOfTheHost) {
  sc->Version = "12.2.14";
  // Computed once per process: the first successful call decides.
  double v = IW12_Version();
  EXPECT_DOUBLE_EQ(v, 2.14);
  sc->Version = "12.5.1";
  EXPECT_DOUBLE_EQ(IW12_Version(), v);
}

// A component that answers its HTML name like a script container would.
class TInner : public TIWBaseControl {
  ZQ_CLASS(TInner, TIWBaseControl)
  using TIWBaseControl::TIWBaseControl;
};
ZQ_IMPLEMENT_CLASS(TInner) {}

class TCached : public TComponent, public IIWZQCache {
  ZQ_CLASS(TCached, TComponent)
  using TComponent::TComponent;
  std::string GetCacheID() const override { return "{AB-CD}"; }
};
ZQ_IMPLEMENT_CLASS(TCached) {}

TEST_F(HostHelpers, ParseScriptAndHTMLNames) {
  auto* edit = Create<TIWEdit>(form);
  edit->SetName("Edit1");
  auto* inner = Create<TInner>(form);
  inner->SetName("Inner1");
  auto* plain = Create<TComponent>(form);
  plain->SetName("Plain1");
  EXPECT_EQ(ParseScript(form, "$(<#Edit1#>).val()"), "$(\"#EDIT1\").val()");
  EXPECT_EQ(ParseScript(form, "$(<#Edit1"), "$(\"#EDIT1\"");
  EXPECT_EQ(ParseScript(form, "<#Nope#>+<#Plain1#>"), "\"#Nope\"+\"#Plain1\"");
  EXPECT_EQ(ParseScript(nullptr, "<#Edit1#>"), "\"#Edit1\"");
  EXPECT_EQ(ParseScript(form, "a <# Edit1#>"), "a \"# Edit1\"");  // names are not trimmed
  EXPECT_EQ(ParseScript(form, "no markers #> here"), "no markers #> here");
  int id = ZQRegisterHTMLNameResolver([inner](const TObject* c, std::string& name) {
    if (c != inner) return false;
    name = "INNER1_CNT";
    return true;
  });
  EXPECT_EQ(ZQGetCtrlHTMLName(inner), "INNER1_CNT");
  EXPECT_EQ(ParseScript(form, "<#Inner1#>"), "\"#INNER1_CNT\"");
  ZQUnregisterHTMLNameResolver(id);
  EXPECT_EQ(ZQGetCtrlHTMLName(inner), "INNER1");
  EXPECT_EQ(ZQGetCtrlHTMLName(plain), "");
  EXPECT_EQ(ZQGetCtrlHTMLName(nullptr), "");
}

TEST_F(HostHelpers, UniqueCacheNames) {
  auto* frame = Create<TComponent>(form);
  frame->SetName("Frame1");
  auto* pic = Create<TComponent>(frame);
  pic->SetName("Pic1");
  EXPECT_EQ(GetUniqueCacheName(pic, "big.png"), "MainForm_Frame1_Pic1_big_png");
  EXPECT_EQ(GetUniqueCacheName(pic, ""), "MainForm_Frame1_Pic1");
  auto* cached = Create<TCached>(frame);
  EXPECT_EQ(GetUniqueCacheName(cached, "x"), "MainForm_Frame1_AB-CD_x");
  auto* unnamed = Create<TComponent>(frame);
  std::string n = GetUniqueCacheName(unnamed, "");
  EXPECT_EQ(n, "MainForm_Frame1_INSTANCE" + std::to_string(reinterpret_cast<std::uintptr_t>(unnamed)));
}

TEST_F(HostHelpers, ParentNoFormTag) {
  auto* region = Create<TIWRegion>(form);
  region->SetName("Region1");
  region->SetParent(form);
  auto* edit = Create<TIWEdit>(form);
  edit->SetName("Edit1");
  edit->SetParent(region);
  EXPECT_FALSE(ZQGetParentNoFormTag(edit));
  auto tp = std::make_unique<TIWTemplateProcessorHTML>();
  tp->RenderFormTag = true;
  form->SetLayoutMgr(std::move(tp));
  EXPECT_TRUE(ZQGetParentNoFormTag(edit));
  EXPECT_FALSE(ZQGetParentNoFormTag(nullptr));
}

TEST_F(HostHelpers, ThreadStateIsResetByTheRequestScope) {
  SetZQIsMobile(true);
  SetZQLoadIWCLProcOnReady(true);
  SetCurrentThreadWebRequest(&request);
  EXPECT_TRUE(GetZQIsMobile());
  EXPECT_EQ(GetCurrentThreadWebRequest(), &request);
  bool otherThread = true;
  std::thread t([&] { otherThread = GetZQIsMobile(); });
  t.join();
  EXPECT_FALSE(otherThread);
  { TIWRequestScope scope(app.get(), &request, &reply); }
  EXPECT_FALSE(GetZQIsMobile());
  EXPECT_FALSE(GetZQLoadIWCLProcOnReady());
  EXPECT_EQ(GetCurrentThreadWebRequest(), nullptr);
}

TEST_F(HostHelpers, ContentTypesReachTheHostRegistry) {
  ZQRegisterContentTypes(sc->MimeTypes());
  EXPECT_EQ(sc->MimeTypes().TypeOf("a.woff2"), "font/woff2");
  EXPECT_EQ(sc->MimeTypes().TypeOf("a.bmp"), "image/bmp");
  EXPECT_EQ(sc->MimeTypes().TypeOf("a.css"), "text/css; charset=utf-8");  // the host's own stays
}

// ------------------------------------------------------------ web root check

class WwwRoot : public HostHelpers {
 protected:
  void SetUp() override {
    HostHelpers::SetUp();
    root = std::filesystem::temp_directory_path() / ("zq_wwwroot_" + std::to_string(::getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "jq");
    sc->ContentPath = root.string();
    ZQResetWwwRootCheck();
  }
  void TearDown() override {
    ZQJsUrlBase = "jq/";
    ZQWwwRootFetchTimeout = std::chrono::milliseconds(3000);
    ZQWwwRootRetryDelay = std::chrono::seconds(60);
    ZQResetWwwRootCheck();
    std::filesystem::remove_all(root);
    HostHelpers::TearDown();
  }
  void WriteVersion(const std::string& text) { std::ofstream(root / "jq" / "ZQVersion.txt", std::ios::binary) << text; }
  std::filesystem::path root;
};

TEST_F(WwwRoot, LocalVersionFile) {
  EXPECT_FALSE(ZQCheckWwwRoot());  // missing file
  WriteVersion("2.6.0.86\r\nmore");
  EXPECT_FALSE(ZQCheckWwwRoot());  // a failed check is kept for a while
  ZQResetWwwRootCheck();
  EXPECT_TRUE(ZQCheckWwwRoot());
  WriteVersion("2.6.0.85");
  EXPECT_TRUE(ZQCheckWwwRoot());   // a good result stays
  ZQResetWwwRootCheck();
  ZQWwwRootRetryDelay = std::chrono::seconds(0);
  EXPECT_FALSE(ZQCheckWwwRoot());
  WriteVersion("2.6.0.86");
  EXPECT_TRUE(ZQCheckWwwRoot());   // retried once the delay is over
  ZQResetWwwRootCheck();
  WriteVersion("2.6.0.86 ");
  EXPECT_FALSE(ZQCheckWwwRoot());  // exact comparison
}

// A loopback listener that accepts and either answers or stays silent.
class TinyServer {
 public:
  explicit TinyServer(std::string answer) : answer_(std::move(answer)) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(fd_, 4);
    thread_ = std::thread([this] {
      int c = accept(fd_, nullptr, nullptr);
      if (c < 0) return;
      char buf[1024];
      (void)recv(c, buf, sizeof buf, 0);
      if (!answer_.empty()) (void)send(c, answer_.data(), answer_.size(), MSG_NOSIGNAL);
      else while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      close(c);
    });
  }
  ~TinyServer() {
    stop_ = true;
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
  }
  int Port() const { return port_; }

 private:
  std::string answer_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST_F(WwwRoot, RemoteVersionFile) {
  {
    TinyServer server("HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\n2.6.0.86");
    ZQJsUrlBase = "http://127.0.0.1:" + std::to_string(server.Port()) + "/jq/";
    EXPECT_TRUE(ZQCheckWwwRoot());
  }
  ZQResetWwwRootCheck();
  {
    TinyServer server("HTTP/1.0 404 Not Found\r\n\r\n2.6.0.86");
    ZQJsUrlBase = "http://127.0.0.1:" + std::to_string(server.Port()) + "/jq/";
    EXPECT_FALSE(ZQCheckWwwRoot());
  }
}

TEST_F(WwwRoot, SilentRemoteServerTimesOutAsFalse) {
  TinyServer server("");  // accepts, never answers
  ZQJsUrlBase = "http://127.0.0.1:" + std::to_string(server.Port()) + "/jq/";
  ZQWwwRootFetchTimeout = std::chrono::milliseconds(200);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ZQCheckWwwRoot());
  auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_LT(took, std::chrono::seconds(2));
  // Cached: the next call does not wait again.
  t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ZQCheckWwwRoot());
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50));
}

TEST_F(WwwRoot, RefusedConnectionAndHttpsAreFalse) {
  ZQJsUrlBase = "http://127.0.0.1:1/jq/";
  EXPECT_FALSE(ZQCheckWwwRoot());
  ZQResetWwwRootCheck();
  ZQJsUrlBase = "https://127.0.0.1:1/jq/";
  EXPECT_FALSE(ZQCheckWwwRoot());
}

}  // namespace
}  // namespace zq
