// File download: buttons whose ajax clicks make the server send a file to the
// browser through the download component: a generated text file, a 50 MB
// file, a file with a non-ASCII name, a CSV built by the application as a
// stream, and a download of a missing file, which ends in the plug-in's fail
// callback. The page shows the outcome reported by the plug-in.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "components/download/download.h"
#include "demoform.h"
#include "events/func.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;
namespace fs = std::filesystem;

// The demo's files, made once per process in a folder of its own.
fs::path DemoFolder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("zq_demo_downloads_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// "line 1\n" ... "line 2000\n".
std::string TextContent() {
  std::string s;
  for (int i = 1; i <= 2000; ++i) s += "line " + std::to_string(i) + "\n";
  return s;
}

std::string MakeFile(const std::string& name, const std::function<void(std::ofstream&)>& fill) {
  static std::mutex lock;
  std::lock_guard<std::mutex> g(lock);
  fs::path p = DemoFolder() / name;
  if (!fs::exists(p)) {
    fs::path tmp = p;
    tmp += ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary);
      fill(out);
    }
    fs::rename(tmp, p);
  }
  return p.string();
}

std::string TextFile() {
  return MakeFile("lines.txt", [](std::ofstream& o) { o << TextContent(); });
}

// 50 MiB; byte i is (i * 31 + 7) mod 256.
std::string LargeFile() {
  return MakeFile("large.bin", [](std::ofstream& o) {
    std::string block(1 << 20, '\0');
    for (size_t part = 0; part < 50; ++part) {
      for (size_t j = 0; j < block.size(); ++j)
        block[j] = static_cast<char>(((part * block.size() + j) * 31 + 7) & 0xFF);
      o.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  });
}

class TDownloadPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    auto* title = Create<TIWLabel>(&AForm);
    title->SetName("LblDownloadTitle");
    title->SetParent(&AForm);
    title->SetCaption("File download");
    title->SetBounds(16, ATop, 300, 24);

    dl_ = Create<TIWZQJQDownload>(&AForm);
    dl_->SetName("DemoDownload");
    TIWZQJQDownloadOptions* o = dl_->GetJQDownloadOptions();
    // The outcome as the plug-in reports it; the success callback runs while
    // the plug-in's cookie is still set, and shows whether it was.
    o->GetOnSuccess()->SetScript(
        "function(url){var l=document.getElementById(\"LBLDOWNLOADRESULT\");"
        "l.setAttribute(\"data-cookie\",/(^|; "
        "*)fileDownload=true/.test(document.cookie)?\"set\":\"missing\");"
        "l.textContent=\"Download complete\";}");
    o->GetOnFail()->SetScript(
        "function(responseHtml, url){document.getElementById(\"LBLDOWNLOADRESULT\").textContent="
        "\"Download failed: \"+$(\"<div>\").html(responseHtml).text();}");

    int left = 16;
    auto button = [&](const char* name, const char* caption, int width,
                      std::function<void()> action) {
      auto* b = Create<TIWButton>(&AForm);
      b->SetName(name);
      b->SetParent(&AForm);
      b->SetCaption(caption);
      b->SetBounds(left, ATop + 30, width, 28);
      left += width + 8;
      b->OnAsyncClick = TNotifyEvent(b, [this, action](TObject*) {
        result_->SetCaption("Downloading ...");
        action();
      });
    };
    button("BtnDownloadText", "Text file", 90,
           [this] { dl_->DownloadFileName(TextFile(), "lines.txt"); });
    button("BtnDownloadLarge", "50 MB file", 100,
           [this] { dl_->DownloadFileName(LargeFile(), "large.bin"); });
    button("BtnDownloadNonAscii", "Non-ASCII name", 130,
           [this] { dl_->DownloadFileName(TextFile(), "Grüße – 日本語 \"report\".txt"); });
    button("BtnDownloadStream", "Stream", 80, [this] {
      dl_->DownloadStream(
          [] {
            auto s = std::make_unique<std::ostringstream>();
            *s << "name,value\n";
            for (int i = 1; i <= 100; ++i) *s << "row " << i << "," << i * i << "\n";
            return std::make_unique<std::istringstream>(s->str());
          },
          "squares.csv");
    });
    button("BtnDownloadMissing", "Failing download", 140, [this] {
      dl_->DownloadFileName((DemoFolder() / "no-such-file.txt").string(), "missing.txt");
    });

    result_ = Create<TIWLabel>(&AForm);
    result_->SetName("LblDownloadResult");
    result_->SetParent(&AForm);
    result_->SetCaption("Nothing downloaded yet");
    result_->SetBounds(16, ATop + 66, 600, 24);
    return 96;
  }

 private:
  TIWZQJQDownload* dl_ = nullptr;
  TIWLabel* result_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TDownloadPage, "download", 60);

}  // namespace zqdemo
