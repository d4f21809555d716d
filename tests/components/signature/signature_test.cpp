// Signature pad: options literal, client commands in each data format,
// image export, and the save post's checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "actionmap/map.h"
#include "components/signature/signature.h"
#include "foundation/jqcommon.h"
#include "foundation/properties.h"
#include "foundation/stringlist.h"
#include "host/application.h"
#include "host/http.h"
#include "host/testing.h"

namespace zq {

// An image as the pad sees one.
class TTestImage : public TIWZQJSContainer, public IIWZQJQCustomImageInterface {
  ZQ_CLASS(TTestImage, TIWZQJSContainer)
 public:
  using TIWZQJSContainer::TIWZQJSContainer;
  std::string GetImageSource() const override { return Source; }
  void SetImageSource(const std::string& ASource) override { Source = ASource; }
  std::string Source;
};
ZQ_IMPLEMENT_CLASS(TTestImage) {}

namespace {

namespace fs = std::filesystem;

struct Fixture {
  TIWZQJQSignature* pad = nullptr;
  TTestImage* image = nullptr;
  hosttest::THostFixture host;
  explicit Fixture(std::function<void(TIWZQJQSignature*)> setup = {})
      : host(
            [this, setup](TIWApplication& app) {
              auto* f = Create<TIWAppForm>(&app);
              f->SetName("MainForm");
              pad = Create<TIWZQJQSignature>(f);
              pad->SetName("Pad");
              pad->SetParent(f);
              image = Create<TTestImage>(f);
              image->SetName("Img");
              image->SetParent(f);
              if (setup) setup(pad);
              return f;
            },
            [](TIWServerController& c) { ZQActionMapStartup(&c); }) {}
  ~Fixture() { ZQActionMapShutdown(); }
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", {});
  }
  TIWZQJQSignatureOptions* opt() { return pad->GetJQSignatureOptions(); }
  std::string Joined(const hosttest::TCallbackResult& r) {
    std::string all;
    for (const auto& s : r.Scripts) all += s;
    return all;
  }
};

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("zqsig_" + ZQRandomString(10));
    fs::create_directories(path / "sub");
  }
  ~TempDir() { fs::remove_all(path); }
};

std::string Post(TIWZQJQCustomSignature* APad, const std::string& AName, const std::string& AData,
                 std::string* AContentType = nullptr) {
  TStringList params;
  if (!AName.empty()) params.Add("filename=" + AName);
  if (!AData.empty()) params.Add("signdata=" + AData);
  THTTPRequest rq;
  THTTPReply rp;
  APad->UrlGetHandler("PostFormData", &params, rq, rp);
  if (AContentType) *AContentType = rp.ContentType();
  return rp.Body();
}

const std::string kPngData = "data:image/png;base64," + ZQBase64Encode("\x89PNG\r\n\x1a\nINK");

TEST(Signature, NewPadLiteralHasWidthAndHeightOnly) {
  Fixture fx;
  EXPECT_EQ(fx.pad->Width, 300);
  EXPECT_EQ(fx.pad->GetCss(), IWZQJQControlCss);
  EXPECT_FALSE(fx.pad->IsCssStored());
  const std::string script = fx.pad->GetRenderScript();
  EXPECT_EQ(script, "$(function(){$(\"#PAD\").jSignature({\"width\":\"100%\",\"height\":100});});")
      << script;
  // Width ignores writes; height follows the control.
  fx.opt()->SetWidth(500);
  EXPECT_EQ(fx.opt()->GetWidth(), 0);
  fx.pad->SetBounds(0, 0, 300, 140);
  EXPECT_EQ(fx.opt()->GetHeight(), 140);
  fx.opt()->SetColor("#ff0000");
  fx.opt()->SetUseNativeUndoButton(true);
  const std::string again = fx.pad->GetRenderScript();
  EXPECT_NE(again.find("\"color\":\"#ff0000\""), std::string::npos) << again;
  EXPECT_NE(again.find("\"UndoButton\":true"), std::string::npos) << again;
  EXPECT_NE(again.find("\"height\":140"), std::string::npos) << again;
}

TEST(Signature, ClientCommandsAndDataFormats) {
  Fixture fx;
  auto* o = fx.opt();
  EXPECT_EQ(o->jsClear(), "$(\"#PAD\").jSignature(\"reset\");");
  EXPECT_EQ(o->jsSetEnable(false), "$(\"#PAD\").jSignature(\"disable\");");
  EXPECT_EQ(o->jsSetEnable(true), "$(\"#PAD\").jSignature(\"enable\");");
  using T = TIWZQJQSignatureDataType;
  EXPECT_EQ(o->jsGetData(T::jqsdfDefault, false), "$(\"#PAD\").jSignature(\"getData\")");
  const std::pair<T, const char*> kinds[] = {{T::jqsdfNative, "native"},
                                             {T::jqsdfBase30, "base30"},
                                             {T::jqsdfSVG, "svg"},
                                             {T::jqsdfSVG_Base64, "svgbase64"},
                                             {T::jqsdfImage, "image"},
                                             {T::jqsdfImageSVG_XML, "image/svg+xml"},
                                             {T::jqsdfImageSVG_XML_Base64, "image/svg+xml;base64"}};
  for (const auto& [t, text] : kinds)
    EXPECT_EQ(o->jsGetData(t, true),
              "$(\"#PAD\").jSignature(\"getData\",\"" + ZQJsEscapeUnquoted(text) + "\");");
  EXPECT_EQ(o->jsSetData(" image/png;base64,AAAA "),
            "$(\"#PAD\").jSignature(\"setData\",\"data:image\\/png;base64,AAAA\");");
  EXPECT_EQ(o->jsSetData("data:image/jsignature;base30,3E13Z5"),
            "$(\"#PAD\").jSignature(\"setData\",\"data:image\\/jsignature;base30,3E13Z5\");");
  // Data from a database cannot end the literal.
  EXPECT_EQ(o->jsSetData("data:x,\");alert(1);(\""),
            "$(\"#PAD\").jSignature(\"setData\",\"data:x,\\\");alert(1);(\\\"\");");
  auto r = fx.InCallback([&] {
    o->Clear();
    o->SetEnable(false);
  });
  EXPECT_EQ(fx.Joined(r), "$(\"#PAD\").jSignature(\"reset\");$(\"#PAD\").jSignature(\"disable\");");
}

TEST(Signature, DataToImageWritesEscapedSources) {
  Fixture fx;
  auto* o = fx.opt();
  using T = TIWZQJQSignatureDataType;
  auto r = fx.InCallback([&] { o->DataToImage("image/png;base64,AAAA", T::jqsdfImage, fx.image); });
  EXPECT_EQ(fx.Joined(r),
            "var imageRealSource = \"data:image\\/png;base64,AAAA\";"
            "$(\"#IMG\").attr(\"src\",imageRealSource);");
  r = fx.InCallback([&] {
    o->DataToImage("image/svg+xml;base64, PHN2Zz4= ,extra", T::jqsdfSVG_Base64, fx.image);
  });
  EXPECT_EQ(fx.Joined(r),
            "var imageRealSource = \"data:image\\/svg+xml;base64,PHN2Zz4=\";"
            "$(\"#IMG\").attr(\"src\",imageRealSource);");
  // Plain SVG with quotes of both kinds: escaped, never quote-doubled.
  r = fx.InCallback([&] {
    o->DataToImage("image/svg+xml,<svg a='1' b=\"2\"></svg>", T::jqsdfImageSVG_XML, fx.image);
  });
  EXPECT_EQ(fx.Joined(r),
            "var imageRealSource = \"data:image\\/svg+xml;base64,\"+ btoa(\"<svg a='1' "
            "b=\\\"2\\\"><\\/svg>\");$(\"#IMG\").attr(\"src\",imageRealSource);");
  EXPECT_THROW(o->DataToImage("", T::jqsdfImage, fx.image), EIWZQJQuery);
  try {
    o->DataToImage("x", T::jqsdfBase30, fx.image);
    ADD_FAILURE();
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "Invalid Data image type \"base30\".");
  }
  try {
    o->DataToImage("x", T::jqsdfImage, fx.pad);
    ADD_FAILURE();
  } catch (const EIWZQJQuery& e) {
    EXPECT_STREQ(e.what(), "The image does not support IIWZQJQCustomImageInterface interface!");
  }
  r = fx.InCallback([&] { o->ExportToImage(fx.image); });
  EXPECT_EQ(fx.Joined(r),
            "var PAD_DATA = $(\"#PAD\").jSignature(\"getData\",\"image\"); "
            "$(\"#IMG\").attr(\"src\",\"data:\"+ PAD_DATA);");
  EXPECT_THROW(o->ExportToImage(nullptr), EIWZQJQuery);
}

TEST(Signature, SaveAsImageChecksTheNameAndQueuesThePost) {
  Fixture fx;
  EXPECT_THROW(fx.pad->SaveAsImage(""), Exception);
  try {
    fx.pad->SaveAsImage("/tmp/a.jpg");
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Image format is not allowed!\r\nAllowed format: PNG");
  }
  EXPECT_TRUE(fx.pad->PendingSaveName().empty());
  fx.pad->GetOnSaveSuccess()->SetScript("window.saved = data;");
  auto r = fx.InCallback([&] { fx.pad->SaveAsImage("/tmp/sig/A.PNG"); });
  const std::string js = fx.Joined(r);
  EXPECT_EQ(fx.pad->PendingSaveName(), "/tmp/sig/A.PNG");
  EXPECT_NE(js.find("var lsigndata = $(\"#PAD\").jSignature(\"getData\",\"image\");"),
            std::string::npos)
      << js;
  EXPECT_NE(js.find(fx.pad->GetMapID() + "ActionPostFormData"), std::string::npos) << js;
  EXPECT_NE(js.find("\"value\":lsigndata"), std::string::npos) << js;
  EXPECT_NE(js.find("\"value\":\"\\/tmp\\/sig\\/A.PNG\""), std::string::npos) << js;
  EXPECT_NE(js.find("\"success\":function(data,textStatus,jqXHR){window.saved = data;}"),
            std::string::npos)
      << js;
  EXPECT_NE(js.find("newForm.submit();"), std::string::npos);
}

TEST(Signature, SaveWritesOnlyTheRecordedNameOnce) {
  Fixture fx;
  TempDir dir;
  std::vector<std::string> saved;
  fx.pad->OnFileSaved = TIWZQSignatureFileSavedEvent(
      &fx, [&](TObject*, const std::string& n) { saved.push_back(n); });
  const std::string target = (dir.path / "sub" / "s.png").string();
  // Nothing pending: a forged post writes nothing, reports failure.
  EXPECT_THROW(Post(fx.pad, target, kPngData), EIWZQJQuery);
  fx.InCallback([&] { fx.pad->SaveAsImage(target); });
  // A different (traversing) name is refused and leaves the save pending.
  EXPECT_THROW(Post(fx.pad, (dir.path / "sub" / "../../evil.png").string(), kPngData), EIWZQJQuery);
  EXPECT_THROW(Post(fx.pad, "../../evil.png", kPngData), EIWZQJQuery);
  EXPECT_FALSE(fs::exists(dir.path.parent_path() / "evil.png"));
  EXPECT_TRUE(saved.empty());
  // Strict JSON with its content type: jQuery parses the reply by that type.
  std::string type;
  EXPECT_EQ(Post(fx.pad, target, kPngData, &type), "{\"success\":true}");
  EXPECT_EQ(type, "application/json");
  std::ifstream in(target, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, "\x89PNG\r\n\x1a\nINK");
  EXPECT_EQ(saved, (std::vector<std::string>{target}));
  // One-shot: the same post again is refused.
  EXPECT_THROW(Post(fx.pad, target, kPngData), EIWZQJQuery);
  EXPECT_EQ(saved.size(), 1u);
}

TEST(Signature, FailedSaveReportsFailureAndNoEvent) {
  Fixture fx;
  TempDir dir;
  int events = 0;
  fx.pad->OnFileSaved =
      TIWZQSignatureFileSavedEvent(&fx, [&](TObject*, const std::string&) { ++events; });
  const std::string target = (dir.path / "t.png").string();
  fx.InCallback([&] { fx.pad->SaveAsImage(target); });
  EXPECT_THROW(Post(fx.pad, target, ""), EIWZQJQuery);  // no data
  fx.InCallback([&] { fx.pad->SaveAsImage(target); });
  EXPECT_THROW(Post(fx.pad, target, "data:image/png;base64,@@@"), EIWZQJQuery);
  // A target that is a folder cannot be written.
  fs::create_directories(dir.path / "d.png");
  fx.InCallback([&] { fx.pad->SaveAsImage((dir.path / "d.png").string()); });
  EXPECT_ANY_THROW(Post(fx.pad, (dir.path / "d.png").string(), kPngData));
  EXPECT_EQ(events, 0);
  EXPECT_FALSE(fs::exists(target));
  // Through the action map the refusal reaches the browser as success:false.
  const std::string url = fx.pad->GetPostFormUrl();
  THTTPRequest rq = fx.host.MakeRequest("POST", url.substr(url.find("/IWZQJQ/")));
  rq.SetHeader("Content-Type", "application/x-www-form-urlencoded");
  rq.Content = hosttest::EncodeFields({{"filename", "../../evil.png"}, {"signdata", kPngData}});
  THTTPReply rp = fx.host.Send(rq);
  EXPECT_NE(rp.Body().find("success:false"), std::string::npos) << rp.Body();
}

TEST(Signature, SaveToStreamReceivesTheBytes) {
  Fixture fx;
  std::string got;
  fx.pad->OnSaveToStream =
      TIWZQSignatureSaveToStreamEvent(&fx, [&](TObject*, const std::string&, std::istream& s) {
        got.assign(std::istreambuf_iterator<char>(s), {});
      });
  fx.InCallback([&] { fx.pad->SaveAsImage("/nonexistent/x.png"); });
  EXPECT_EQ(Post(fx.pad, "/nonexistent/x.png", kPngData), "{\"success\":true}");
  EXPECT_EQ(got, "\x89PNG\r\n\x1a\nINK");
}

TEST(Signature, UndoControlIsClearedWhenItGoes) {
  Fixture fx;
  auto* undo = Create<TIWZQJQContainer>(&fx.host.Form());
  undo->SetName("UndoBtn");
  fx.opt()->SetUndoControl(undo);
  const std::string json = ZQOptionJSonText(fx.opt()->GetJSon(), false, true, true);
  EXPECT_NE(json.find("\"UndoButton\":function() { return $(\"#UNDOBTN\");}"), std::string::npos)
      << json;
  Free(undo);
  EXPECT_EQ(fx.opt()->GetUndoControl(), nullptr);
}

}  // namespace
}  // namespace zq
