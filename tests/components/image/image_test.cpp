// Image control: the rendered img, and source changes during a callback.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "components/image/image.h"
#include "host/application.h"
#include "host/testing.h"

namespace zq {
namespace {

struct Fixture {
  TIWZQJQImage* image = nullptr;
  hosttest::THostFixture host;
  explicit Fixture(std::function<void(TIWZQJQImage*)> setup = {})
      : host([this, setup](TIWApplication& app) {
          auto* f = Create<TIWAppForm>(&app);
          f->SetName("MainForm");
          image = Create<TIWZQJQImage>(f);
          image->SetName("Shot");
          image->SetParent(f);
          if (setup) setup(image);
          return f;
        }) {}
  hosttest::TCallbackResult InCallback(const std::function<void()>& AFn) {
    host.Session().CallBacks().Register("Probe", [&](TStringList&) { AFn(); });
    return host.Callback("Probe", {});
  }
};

TEST(Image, RendersAnImgWithTheSourceEscapedForItsAttribute) {
  Fixture fx([](TIWZQJQImage* img) {
    img->SetImageSource("/files/a.png?x=1&y=\"2\"");
    img->SetAltText("<logo>");
  });
  const std::string& page = fx.host.FirstPage().Body();
  EXPECT_NE(page.find("id=\"SHOT_IMG\""), std::string::npos) << page;
  EXPECT_NE(page.find("src=\"/files/a.png?x=1&amp;y=&quot;2&quot;\""), std::string::npos) << page;
  EXPECT_NE(page.find("alt=\"&lt;logo&gt;\""), std::string::npos);
  EXPECT_EQ(fx.image->GetIDJQuery(), "$(\"#SHOT_IMG\")");
  // Through the interface the other controls use.
  IIWZQJQCustomImageInterface* intf = fx.image;
  EXPECT_EQ(intf->GetImageSource(), "/files/a.png?x=1&y=\"2\"");
}

TEST(Image, AnEmptySourceRendersNoSrc) {
  Fixture fx;
  const std::string& page = fx.host.FirstPage().Body();
  const auto at = page.find("id=\"SHOT_IMG\"");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(page.substr(at, page.find('>', at) - at).find("src="), std::string::npos);
}

TEST(Image, SourceChangeDuringACallbackSendsTheLastSourceEscaped) {
  Fixture fx;
  auto r = fx.InCallback([&] {
    fx.image->SetImageSource("data:image/png;base64,AAAA");
    fx.image->SetImageSource("x\");alert(1);//\n</script>");
  });
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0],
            "$(\"#SHOT_IMG\").attr(\"src\",\"x\\\");alert(1);\\/\\/\\n<\\/script>\");");
  // An unchanged source sends nothing.
  r = fx.InCallback([&] { fx.image->SetImageSource(fx.image->GetImageSource()); });
  EXPECT_TRUE(r.Scripts.empty());
}

TEST(Image, ClassChangeGoesToTheRegionNotTheImg) {
  Fixture fx;
  auto r = fx.InCallback([&] { fx.image->SetCss("framed \"x\""); });
  ASSERT_EQ(r.Scripts.size(), 1u);
  EXPECT_EQ(r.Scripts[0], "$(\"#SHOT\").attr(\"class\",\"framed \\\"x\\\"\");");
}

}  // namespace
}  // namespace zq
