// File upload control: option literal and templates, render script, script
// operations, the stored-files input, and uploads through the action map.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "actionmap/map.h"
#include "components/upload/upload.h"
#include "foundation/jqcommon.h"
#include "foundation/stringlist.h"
#include "foundation/superobject.h"
#include "host/application.h"
#include "host/http.h"
#include "host/servercontroller.h"
#include "host/testing.h"

namespace zq {
namespace {

namespace fs = std::filesystem;

struct Fixture {
  TIWZQJQFileUpload* up = nullptr;
  hosttest::THostFixture host;
  fs::path dir;
  explicit Fixture(std::function<void(TIWZQJQFileUpload*)> setup = {})
      : host(
            [this, setup](TIWApplication& app) {
              auto* f = Create<TIWAppForm>(&app);
              f->SetName("MainForm");
              up = Create<TIWZQJQFileUpload>(f);
              up->SetName("Up");
              up->SetParent(f);
              if (setup) setup(up);
              return f;
            },
            [](TIWServerController& c) { ZQActionMapStartup(&c); }) {
    dir = fs::temp_directory_path() / ("zqup_" + ZQRandomString(10));
    fs::create_directories(dir);
  }
  ~Fixture() {
    ZQActionMapShutdown();
    fs::remove_all(dir);
  }
  TIWZQJQFileUploadOptions* opt() { return up->GetJQFileUploadOptions(); }
  std::string InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    auto r = host.Callback("Probe", {});
    EXPECT_EQ(r.Code, 200) << r.Error;
    std::string all;
    for (const auto& s : r.Scripts) all += s;
    return all;
  }
  // Posts a raw body to the control's upload URL.
  THTTPReply Post(const std::string& query, const std::string& body,
                  const std::string& type = "application/octet-stream") {
    THTTPRequest req = host.MakeRequest("POST", up->GetServerActionUrl() + query);
    req.SetHeader("Content-Type", type);
    req.Content = body;
    return host.Send(req);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
};

const char* kFileTemplate =
    "<li><span class='qq-progress-bar'></span><span class='qq-upload-spinner'></span><span "
    "class='qq-upload-finished'></span><span class='qq-upload-file'></span><span "
    "class='qq-upload-size'></span><a class='qq-upload-cancel' "
    "href='javascript:void(0)'>{cancelButtonText}</a><span "
    "class='qq-upload-failed-text'>{failUploadtext}</span></li>";

std::string Template(int width, int height, bool shown) {
  return "<div class='qq-uploader'><div class='qq-upload-drop-area'><span>{dragText}</span></div>"
         "<div class='ui-button'><span style='height:" +
         std::to_string(height - 2) + "px; width:" + std::to_string(width) +
         "px; padding: 0 1em; vertical-align: middle; display: "
         "table-cell;'>{uploadButtonText}</span></div><ul class='zq-qq-upload-list'" +
         (shown ? "" : " style='visibility:hidden'") + "></ul></div>";
}

TEST(FileUpload, OptionLiteralOfANewControl) {
  Fixture fx;
  EXPECT_EQ(fx.up->Width, 121);
  EXPECT_EQ(fx.up->Height, 21);
  EXPECT_EQ(fx.up->GetZQScrollStyle(), zqsbsBothVisible);
  EXPECT_EQ(fx.up->GetPluginVersion(), "2.0");
  ISuperObject o = fx.opt()->GetJSon();
  ASSERT_TRUE(SOIsObject(o));
  EXPECT_EQ(o->GetS("action"), fx.up->GetServerActionUrl());
  EXPECT_EQ(fx.up->GetServerActionUrl(), "/IWZQJQ/ID" + fx.up->GetMapID() + "ActionUpload");
  auto entry = ZQFindMapEvent(fx.up->GetMapID(), "Upload");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->GetResType(), mrtCustom);
  EXPECT_EQ(o->GetS("template"), Template(121, 21, true));
  EXPECT_EQ(o->GetS("fileTemplate"), kFileTemplate);
  EXPECT_EQ(o->GetO("element")->GetDataType(), stFunction);
  EXPECT_EQ(o->GetO("element")->AsString(), "$(\"#UP\")[0]");
  EXPECT_EQ(o->GetS("iwHiddenInputName"), "UP_StoredFiles");
  ISuperObject classes = o->GetO("classes");
  ASSERT_TRUE(SOIsObject(classes));
  EXPECT_EQ(classes->AsJSon(false, true, false),
            "{success:\"ui-state-highlight\",button:\"ui-button\",list:\"zq-qq-upload-list\","
            "fail:\"ui-state-error\"}");
  // nothing else differs from the client's defaults
  EXPECT_EQ(o->AsObject()->count(), 6u) << o->AsJSon(false, true, false);
}

TEST(FileUpload, OptionLiteralFollowsTheOptions) {
  Fixture fx;
  auto* o = fx.opt();
  o->SetUploadPath("uploads");
  o->SetCanOverrideFile(true);
  o->SetShowUploadedFileList(false);
  o->SetButton("#my \"btn\"");
  o->SetAction("/elsewhere");
  o->SetSizeLimit(1000);
  o->GetAllowedExtensions()->Add("png");
  o->SetHoverClass("ignored");
  o->SetAutoUpload(false);
  fx.up->SetBounds(0, 0, 200, 40);
  // other names of the caption members
  auto* tip = o->ClassType().FindProperty("Tip");
  ASSERT_NE(tip, nullptr);
  SetStrProp(o, *tip, "Drop here");
  EXPECT_EQ(o->GetDragText(), "Drop here");
  ISuperObject j = o->GetJSon();
  EXPECT_EQ(j->GetS("action"), "/elsewhere");
  EXPECT_EQ(j->GetS("template"), Template(200, 40, false));
  EXPECT_EQ(j->GetO("button")->GetDataType(), stFunction);
  EXPECT_EQ(j->GetO("button")->AsString(), "$(\"#my \\\"btn\\\"\")");
  EXPECT_EQ(j->GetI("sizeLimit"), 1000);
  EXPECT_EQ(j->GetO("allowedExtensions")->AsJSon(), "[\"png\"]");
  EXPECT_EQ(j->GetS("dragText"), "Drop here");
  EXPECT_FALSE(j->GetO("autoUpload")->AsBoolean());
  EXPECT_EQ(o->GetHoverClass(), "qq-upload-button-hover");
  // server-side members and the other names are never written
  for (const char* name : {"uploadpath", "CanOverrideFile", "showUploadedFileList", "hoverClass",
                           "tip", "caption", "cancelcaption", "failedcaption"})
    EXPECT_EQ(j->GetO(name), nullptr) << name;
  EXPECT_TRUE(fx.up->GetCanOverrideFile());
}

TEST(FileUpload, RenderScript) {
  Fixture fx;
  const std::string json = fx.up->OptionText(fx.opt());
  EXPECT_EQ(fx.up->GetRenderScript(),
            "var UP_JQObj = null;$(function (){if ($(\"#UP\").length) {UP_JQObj = new "
            "qq.FileUploader(" +
                json +
                ");$(\"#UP .ui-button\").addClass(\"ui-button ui-widget ui-state-default "
                "ui-corner-all\");}});");
  fx.up->SetEnabled(false);
  const std::string disabled = fx.up->GetRenderScript();
  EXPECT_NE(disabled.find("ui-corner-all\");" + fx.up->jsSetEnabled(false) + "}});"),
            std::string::npos)
      << disabled;
  // the page links the client and its stylesheet, and holds the hidden input
  THTTPReply page = fx.host.Get("/");
  EXPECT_NE(page.Body().find("jquery_ui/plugins/fileuploader.min.js"), std::string::npos);
  EXPECT_NE(page.Body().find("fileuploader.min.css"), std::string::npos);
  EXPECT_EQ(fx.up->GetHiddenInputNames().back(), "UP_StoredFiles");
}

TEST(FileUpload, ScriptOperations) {
  Fixture fx;
  const std::string guard = "if ((UP_JQObj) && (typeof UP_JQObj != \"undefined\")) {";
  EXPECT_EQ(fx.up->SafeExecJavascript("x();"), guard + "x();}");
  EXPECT_EQ(fx.up->jsSetParams("{a:1}"), guard + "UP_JQObj.setParams({a:1});}");
  EXPECT_EQ(fx.up->jsUploadStoredFiles(), guard + "UP_JQObj.uploadStoredFiles();}");
  EXPECT_EQ(fx.up->jsClearStoredFiles(), guard + "UP_JQObj.clearStoredFiles();}");
  EXPECT_EQ(fx.up->jsGetInProgress(), guard + "UP_JQObj.getInProgress();}");
  EXPECT_EQ(
      fx.up->jsSetEnabled(false),
      "$(\"#UP .ui-button\").addClass(\"ui-state-disabled\");"
      "$(\"#UP .ui-button input\").attr(\"disabled\",\"disabled\").css(\"cursor\",\"default\");");
  EXPECT_EQ(fx.up->jsSetEnabled(true),
            "$(\"#UP .ui-button\").removeClass(\"ui-state-disabled\");"
            "$(\"#UP .ui-button input\").removeAttr(\"disabled\").css(\"cursor\",\"pointer\");");
  try {
    fx.up->jsCancelFileUpload(3);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "The upload is not found for File ID: 3");
  }
  // during a callback the operations go to the response
  const std::string sent = fx.InCallback([&] {
    fx.up->UploadStoredFiles();
    fx.up->SetEnabled(false);
    fx.up->SetEnabled(false);  // no change, no script
  });
  // (the response ends every script with ";")
  EXPECT_EQ(sent, guard + "UP_JQObj.uploadStoredFiles();};" + fx.up->jsSetEnabled(false));
  EXPECT_FALSE(fx.up->GetEnabled());
}

TEST(FileUpload, StoredFilesInputFillsTheUploadingList) {
  Fixture fx;
  fx.up->SetValueByName("UP_StoredFiles",
                        "[{\"id\":0,\"filename\":\"a.txt\"},{\"id\":-1},{\"id\":\"2\"},"
                        "{\"filename\":\"b\"},7,{\"id\":5,\"filename\":\"c \\\"d\\\".txt\"}]");
  TIWZQJQUploadingFileList* list = fx.up->GetUploadingFileList();
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->GetItemByFileId(0)->GetFileName(), "a.txt");
  EXPECT_EQ(list->GetItemByFileName("c \"d\".txt")->GetFileId(), 5);
  EXPECT_EQ(list->GetItemByFileName("b"), nullptr);
  const std::string guard = "if ((UP_JQObj) && (typeof UP_JQObj != \"undefined\")) {";
  EXPECT_EQ(fx.up->jsCancelFileUpload(5), guard + "UP_JQObj.cancelUpload(5);}");
  EXPECT_EQ(fx.up->GetPluginDestroyJs().find(guard + "UP_JQObj.cancelUpload(0);}" + guard +
                                             "UP_JQObj.cancelUpload(5);}"),
            0u);
  const std::string sent = fx.InCallback([&] { list->Items(1)->Cancel(); });
  EXPECT_EQ(sent, guard + "UP_JQObj.cancelUpload(5);};");
  // a new value replaces the list; text that is no array empties it
  fx.up->SetValueByName("UP_StoredFiles", "{\"id\":1}");
  EXPECT_EQ(list->Count(), 0);
}

TEST(FileUpload, UploadsThroughTheActionMap) {
  Fixture fx;
  fx.opt()->SetUploadPath(fx.dir.string());
  THTTPReply r = fx.Post("?qqfile=a.txt", "abc");
  EXPECT_EQ(r.Code(), 200);
  EXPECT_EQ(r.Body(), "{\"success\":true}");
  EXPECT_EQ(r.ContentType(), "application/json");
  EXPECT_EQ(Fixture::Read(fx.dir / "a.txt"), "abc");
  EXPECT_EQ(fx.up->FileNames().Count(), 1);
  EXPECT_EQ(fx.up->FileNames().Strings(0), "a.txt=" + (fx.dir / "a.txt").string());

  // the same name again, overriding off: the reason, the old file kept
  THTTPReply again = fx.Post("?qqfile=a.txt", "xyz");
  ISuperObject j = SO(again.Body());
  ASSERT_TRUE(SOIsObject(j)) << again.Body();
  EXPECT_FALSE(j->GetO("success")->AsBoolean());
  EXPECT_EQ(j->GetS("reason"), "Filename \"a.txt\" already exists in upload folder!");
  EXPECT_EQ(Fixture::Read(fx.dir / "a.txt"), "abc");

  // a multipart body; a traversing name stays in the folder
  const std::string body =
      "--B\r\nContent-Disposition: form-data; name=\"qqfile\"; filename=\"../../x\"\r\n\r\n"
      "multi\r\n--B--\r\n";
  THTTPReply m = fx.Post("", body, "multipart/form-data; boundary=B");
  EXPECT_EQ(m.Body(), "{\"success\":true}");
  EXPECT_EQ(Fixture::Read(fx.dir / "x"), "multi");
  EXPECT_FALSE(fs::exists(fx.dir.parent_path() / "x"));

  // OnGetFileName may rename, but not leave the folder
  fx.up->OnGetFileName = TIWZQJQFileUploadGetFileNameEvent(
      &fx, [](TObject*, std::string&, std::string& name) { name = "renamed-" + name; });
  fx.Post("?qqfile=b.txt", "bb");
  EXPECT_EQ(Fixture::Read(fx.dir / "renamed-b.txt"), "bb");
  fx.up->OnGetFileName = TIWZQJQFileUploadGetFileNameEvent(
      &fx, [](TObject*, std::string&, std::string& name) { name = "../" + name; });
  THTTPReply out = fx.Post("?qqfile=c.txt", "cc");
  EXPECT_EQ(SO(out.Body())->GetS("reason"), "Filename \"../c.txt\" is outside the upload folder!");
  EXPECT_FALSE(fs::exists(fx.dir.parent_path() / "c.txt"));

  // the size limit of the options
  fx.up->OnGetFileName = {};
  fx.opt()->SetSizeLimit(2);
  THTTPReply big = fx.Post("?qqfile=big.txt", "abc");
  EXPECT_EQ(SO(big.Body())->GetS("reason"),
            "File \"big.txt\" is larger than the size limit of 2 bytes!");
  EXPECT_FALSE(fs::exists(fx.dir / "big.txt"));

  // a full render forgets the stored names
  fx.host.Get("/");
  EXPECT_EQ(fx.up->FileNames().Count(), 0);
}

TEST(FileUpload, AStreamedMultipartBodyReachesTheHandlerUnread) {
  // as the server hands over a large upload: the body still to be read
  Fixture fx;
  fx.opt()->SetUploadPath(fx.dir.string());
  std::string data(3 * 1024 * 1024, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 4096);
  THTTPRequest req = fx.host.MakeRequest("POST", fx.up->GetServerActionUrl());
  req.SetHeader("Content-Type", "multipart/form-data; boundary=\"zz\"");
  req.SetBodySource(std::make_unique<TStringBodySource>(
      "--zz\r\nContent-Disposition: form-data; name=\"qqfile\"; filename=\"big.bin\"\r\n\r\n" +
      data + "\r\n--zz--\r\n"));
  ASSERT_TRUE(req.BodyPending());
  THTTPReply r = fx.host.Send(req);
  EXPECT_EQ(r.Body(), "{\"success\":true}");
  EXPECT_TRUE(Fixture::Read(fx.dir / "big.bin") == data);
}

TEST(FileUpload, UploadFolders) {
  Fixture fx;
  fx.opt()->SetUploadPath("uploads");
  EXPECT_EQ(fx.up->UploadFolder(), fx.host.Controller().ContentPath + "/uploads/");
  fx.opt()->SetUploadPath("/srv/up/");
  EXPECT_EQ(fx.up->UploadFolder(), "/srv/up/");
  fx.opt()->SetUploadPath("");
  EXPECT_EQ(fx.up->UploadFolder(), fx.host.Controller().CacheDir + "/upload/" +
                                       ZQSessionLabel(fx.host.Session().AppID()) + "/");
}

TEST(FileUpload, AFreedControlTakesItsEntryAlong) {
  Fixture fx;
  const std::string id = fx.up->GetMapID();
  fx.up->GetServerActionUrl();
  fx.InCallback([&] { Free(fx.up); });
  EXPECT_EQ(ZQFindMapEvent(id, "Upload"), nullptr);
}

}  // namespace
}  // namespace zq
