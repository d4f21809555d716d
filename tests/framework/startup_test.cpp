#include "framework/startup.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "events/func.h"
#include "events/jqevents.h"
#include "foundation/html.h"
#include "foundation/jqcommon.h"
#include "framework/component.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/zqhelpers.h"
#include "options/jsonobj.h"

namespace zq {
namespace {

std::vector<std::string> gSteps;

// Records, at each slot's install and removal, whether the option model's
// hooks (installed by the start-up itself) were in place at that moment.
std::string ModelState() {
  return ZQEventFunctionBaseClass() ? "+model" : "-model";
}
void InstallActionMap() {
  gSteps.push_back("install ActionMap" + ModelState());
}
void RemoveActionMap() {
  gSteps.push_back("remove ActionMap" + ModelState());
}
void InstallAsyncRender() {
  gSteps.push_back("install AsyncRender" + ModelState());
}
void RemoveAsyncRender() {
  gSteps.push_back("remove AsyncRender" + ModelState());
}
void InstallUploadParser() {
  gSteps.push_back("install UploadParser" + ModelState());
}
void RemoveUploadParser() {
  gSteps.push_back("remove UploadParser" + ModelState());
}

TEST(LibraryStartup, InstallsInOrderAndRemovesInReverse) {
  ASSERT_FALSE(ZQLibraryStarted());
  EXPECT_EQ(ZQEventFunctionBaseClass(), nullptr);
  gSteps.clear();
  ZQSetStartupSlot(TZQStartupSlot::ActionMap, {&InstallActionMap, &RemoveActionMap});
  ZQSetStartupSlot(TZQStartupSlot::AsyncRender, {&InstallAsyncRender, &RemoveAsyncRender});
  ZQSetStartupSlot(TZQStartupSlot::UploadParser, {&InstallUploadParser, &RemoveUploadParser});

  ZQLibraryStartup();
  EXPECT_TRUE(ZQLibraryStarted());
  EXPECT_EQ(ZQEventFunctionBaseClass(), &TIWZQFunc::StaticClass());
  EXPECT_EQ(ZQDefaultEventFunctionClass(), &TIWZQJSonFunc::StaticClass());
  EXPECT_THROW(ZQSetStartupSlot(TZQStartupSlot::ImageCache, {}), EIWZQJQuery);
  ZQLibraryShutdown();
  EXPECT_FALSE(ZQLibraryStarted());
  EXPECT_EQ(ZQEventFunctionBaseClass(), nullptr);

  EXPECT_EQ(gSteps, (std::vector<std::string>{
                        "install ActionMap-model",
                        "install AsyncRender-model",
                        "install UploadParser+model",
                        "remove UploadParser+model",
                        "remove AsyncRender-model",
                        "remove ActionMap-model",
                    }));
  for (auto slot :
       {TZQStartupSlot::ActionMap, TZQStartupSlot::AsyncRender, TZQStartupSlot::UploadParser})
    ZQSetStartupSlot(slot, {});
}

TIWServerController* gInstalledFor = nullptr;
void InstallImageCacheFor(TIWServerController& AController) {
  gInstalledFor = &AController;
  gSteps.push_back("install ImageCache" + ModelState());
}
void RemoveImageCache() {
  gSteps.push_back("remove ImageCache" + ModelState());
}

// A step that needs the controller runs in a start-up given one, in its
// place in the order; it is removed at the last shutdown only if it ran.
TEST(LibraryStartup, ControllerStepsRunOnlyInAStartupWithAController) {
  Owned<TIWServerController> controller(Create<TIWServerController>());
  ZQSetStartupSlot(TZQStartupSlot::ActionMap, {&InstallActionMap, &RemoveActionMap});
  ZQSetStartupSlot(TZQStartupSlot::ImageCache, {nullptr, &RemoveImageCache, &InstallImageCacheFor});
  ZQSetStartupSlot(TZQStartupSlot::AsyncRender, {&InstallAsyncRender, &RemoveAsyncRender});

  gSteps.clear();
  ZQLibraryStartup(*controller);
  ZQLibraryShutdown();
  EXPECT_EQ(gInstalledFor, controller.get());
  EXPECT_EQ(gSteps, (std::vector<std::string>{
                        "install ActionMap-model",
                        "install ImageCache-model",
                        "install AsyncRender-model",
                        "remove AsyncRender-model",
                        "remove ImageCache-model",
                        "remove ActionMap-model",
                    }));

  gSteps.clear();
  ZQLibraryStartup();  // no controller: the step waits
  ZQLibraryShutdown();
  EXPECT_EQ(gSteps, (std::vector<std::string>{
                        "install ActionMap-model",
                        "install AsyncRender-model",
                        "remove AsyncRender-model",
                        "remove ActionMap-model",
                    }));

  gSteps.clear();
  gInstalledFor = nullptr;
  ZQLibraryStartup();
  ZQLibraryStartup(*controller);  // nested: adds nothing
  ZQLibraryShutdown();
  ZQLibraryShutdown();
  EXPECT_EQ(gInstalledFor, nullptr);
  EXPECT_EQ(gSteps.size(), 4u);

  for (auto slot :
       {TZQStartupSlot::ActionMap, TZQStartupSlot::ImageCache, TZQStartupSlot::AsyncRender})
    ZQSetStartupSlot(slot, {});
}

// The start-up asks for the web-root answer once, so the first control reads
// a cached one instead of checking.
TEST(LibraryStartup, TheWebRootIsCheckedAtStartup) {
  namespace fs = std::filesystem;
  const fs::path root =
      fs::temp_directory_path() / ("zq_startup_root_" + std::to_string(::getpid()));
  fs::create_directories(root / "jq");
  std::ofstream(root / "jq" / "ZQVersion.txt", std::ios::binary) << ZQGetLibraryVersion();
  Owned<TIWServerController> controller(Create<TIWServerController>());
  ASSERT_EQ(gServerController, controller.get());
  controller->ContentPath = root.string();
  ZQResetWwwRootCheck();

  ZQLibraryStartup(*controller);
  fs::remove(root / "jq" / "ZQVersion.txt");
  EXPECT_TRUE(ZQCheckWwwRoot());  // the start-up's answer
  ZQLibraryShutdown();
  ZQResetWwwRootCheck();
  EXPECT_FALSE(ZQCheckWwwRoot());  // asked only now: the file is gone
  ZQResetWwwRootCheck();
  fs::remove_all(root);
}

TEST(LibraryStartup, NestedCallsInstallOnceAndRemoveAtTheLastShutdown) {
  ZQLibraryStartup();
  ZQLibraryStartup();
  ZQLibraryShutdown();
  EXPECT_TRUE(ZQLibraryStarted());
  EXPECT_EQ(ZQEventFunctionBaseClass(), &TIWZQFunc::StaticClass());
  ZQLibraryShutdown();
  EXPECT_FALSE(ZQLibraryStarted());
  ZQLibraryShutdown();  // one too many: nothing happens
  EXPECT_FALSE(ZQLibraryStarted());
}

TEST(LibraryStartup, OptionLiteralsAreIndentedWhileScriptDebuggingIsOn) {
  Owned<TIWServerController> controller(Create<TIWServerController>());
  ASSERT_EQ(gServerController, controller.get());
  controller->JavaScriptDebug = true;
  Owned<TIWZQJQAjaxCookie> cookie(Create<TIWZQJQAjaxCookie>());
  cookie->SetExpires(7);
  cookie->SetPath("/");
  // Without the start-up nothing asks the switch.
  EXPECT_EQ(cookie->GetJSonText(), "{expires:7,path:\"\\/\"}");

  ZQLibraryStartup();
  EXPECT_EQ(cookie->GetJSonText(), "{\r\n expires: 7,\r\n path: \"\\/\"\r\n}");
  controller->JavaScriptDebug = false;
  EXPECT_EQ(cookie->GetJSonText(), "{expires:7,path:\"\\/\"}");
  ZQLibraryShutdown();
}

TEST(LibraryStartup, ScriptContainersAnswerTheirOwnHTMLName) {
  class TNamed : public TIWZQJQComponent {
   public:
    using TIWZQJQComponent::TIWZQJQComponent;
    std::string GetHTMLName() override { return "OWN_NAME"; }
  };
  Owned<TNamed> named(Create<TNamed>(nullptr));
  named->SetName("Named");
  EXPECT_EQ(ZQGetCtrlHTMLName(named.get()), "NAMED");
  ZQLibraryStartup();
  EXPECT_EQ(ZQGetCtrlHTMLName(named.get()), "OWN_NAME");
  ZQLibraryShutdown();
  EXPECT_EQ(ZQGetCtrlHTMLName(named.get()), "NAMED");
}

}  // namespace

// A content handler that notes the thread's current request info.
class TRequestInfoProbe : public TContentBase {
 public:
  THTTPRequest** Seen;
  explicit TRequestInfoProbe(THTTPRequest** ASeen) : Seen(ASeen) {}
  bool Execute(THTTPRequest&, THTTPReply& AReply, const std::string&, TIWApplication*) override {
    *Seen = CurrentHTTPRequestInfo();
    AReply.WriteString("seen");
    return true;
  }
};

// While the library runs, the request a handler serves is the thread's
// current request info, and nothing once the request has ended; without the
// library nothing captures it.
TEST(LibraryStartup, TheRequestBeingServedIsTheCurrentRequestInfo) {
  Owned<TIWServerController> controller(Create<TIWServerController>());
  THTTPRequest* seen = nullptr;
  controller->Handlers().Add("/probe/", "", std::make_unique<TRequestInfoProbe>(&seen));
  auto serve = [&](THTTPRequest& req) {
    req.Method = "GET";
    req.URL = "/probe/x";
    THTTPReply reply;
    controller->HandleRequest(req, reply);
    EXPECT_EQ(reply.Body(), "seen");
  };

  THTTPRequest before;
  serve(before);
  EXPECT_EQ(seen, nullptr);

  ZQLibraryStartup(*controller);
  THTTPRequest first, second;
  serve(first);
  EXPECT_EQ(seen, &first);
  EXPECT_EQ(CurrentHTTPRequestInfo(), nullptr);
  serve(second);
  EXPECT_EQ(seen, &second);
  ZQLibraryShutdown();

  THTTPRequest after;
  serve(after);
  EXPECT_EQ(seen, nullptr);
}

}  // namespace zq
