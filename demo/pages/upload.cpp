// Upload: files sent by button or by drag and drop, with progress bars, an
// extension filter and a size limit, a second uploader that holds its files
// until the server starts them, cancel, and the server's list of received
// files with their sizes and SHA-256.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "components/upload/upload.h"
#include "demoform.h"
#include "foundation/format.h"
#include "host/application.h"

namespace zqdemo {

namespace {

using namespace zq;
namespace fs = std::filesystem;

fs::path UploadFolder() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("zq_demo_uploads_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

// SHA-256 of a file, in lower-case hexadecimal (FIPS 180-4).
std::string FileSha256(const fs::path& APath) {
  static const std::uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
      0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
      0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
      0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
      0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
      0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
      0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
      0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
      0xc67178f2};
  std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                    0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  auto block = [&](const unsigned char* p) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
      w[i] = std::uint32_t(p[4 * i]) << 24 | std::uint32_t(p[4 * i + 1]) << 16 |
             std::uint32_t(p[4 * i + 2]) << 8 | p[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
      std::uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      std::uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<std::uint32_t, 8> v = h;
    for (int i = 0; i < 64; ++i) {
      std::uint32_t s1 = rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25);
      std::uint32_t t1 = v[7] + s1 + ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
      std::uint32_t s0 = rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22);
      std::uint32_t t2 = s0 + ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
      v = {t1 + t2, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (int i = 0; i < 8; ++i) h[i] += v[i];
  };
  std::ifstream in(APath, std::ios::binary);
  std::vector<unsigned char> buf(64 * 1024);
  std::uint64_t total = 0;
  std::size_t have = 0;
  while (in) {
    in.read(reinterpret_cast<char*>(buf.data()) + have,
            static_cast<std::streamsize>(buf.size() - have));
    const std::size_t n = have + static_cast<std::size_t>(in.gcount());
    total += static_cast<std::uint64_t>(in.gcount());
    std::size_t off = 0;
    for (; off + 64 <= n; off += 64) block(buf.data() + off);
    std::copy(buf.begin() + off, buf.begin() + n, buf.begin());
    have = n - off;
  }
  // padding: 0x80, zeros, the bit length
  std::vector<unsigned char> tail(buf.begin(), buf.begin() + have);
  tail.push_back(0x80);
  while (tail.size() % 64 != 56) tail.push_back(0);
  for (int i = 7; i >= 0; --i) tail.push_back(static_cast<unsigned char>((total * 8) >> (8 * i)));
  for (std::size_t off = 0; off < tail.size(); off += 64) block(tail.data() + off);
  std::string hex;
  for (std::uint32_t x : h) hex += Format("%.8x", x);
  return hex;
}

class TUploadPage : public TDemoPage {
 public:
  int Build(TDemoForm& AForm, int ATop) override {
    DemoLabel(AForm, "LblUploadTitle", "Upload", 16, ATop, 300);
    DemoButton(AForm, "BtnUpStart", "Upload stored files", 16, ATop + 30, 150, [this] {
      TIWZQJQUploadingFileList* list = later_->GetUploadingFileList();
      std::string names;
      for (int i = 0; i < list->Count(); ++i)
        names += (i ? ", " : "") + list->Items(i)->GetFileName();
      stored_->SetCaption(Format("server started %d stored: %s", list->Count(), names));
      later_->UploadStoredFiles();
    });
    DemoButton(AForm, "BtnUpClear", "Clear stored files", 174, ATop + 30, 140,
               [this] { later_->ClearStoredFiles(); });
    DemoButton(AForm, "BtnUpCancel", "Cancel uploads", 322, ATop + 30, 120, [this] {
      for (TIWZQJQCustomFileUpload* u : {up_, later_}) {
        TIWZQJQUploadingFileList* list = u->GetUploadingFileList();
        for (int i = 0; i < list->Count(); ++i) list->Items(i)->Cancel();
      }
    });
    toggle_ =
        DemoButton(AForm, "BtnUpToggle", "Disable upload button", 450, ATop + 30, 170, [this] {
          up_->SetEnabled(!up_->GetEnabled());
          toggle_->SetCaption(up_->GetEnabled() ? "Disable upload button" : "Enable upload button");
        });
    message_ = DemoLabel(AForm, "LblUpMessage", "", 16, ATop + 64, 600);
    stored_ = DemoLabel(AForm, "LblUpStored", "", 16, ATop + 88, 600);

    // Sends at once: several files, by button or dropped on it.
    up_ = Uploader(AForm, "UpFiles", 16, ATop + 120);
    auto* o = up_->GetJQFileUploadOptions();
    o->SetUploadButtonText("Upload files");
    for (const char* ext : {"txt", "bin", "png", "jpg", "pdf"}) o->GetAllowedExtensions()->Add(ext);
    o->SetSizeLimit(5 * 1024 * 1024);

    // Holds its files until the server starts them.
    later_ = Uploader(AForm, "UpLater", 240, ATop + 120);
    later_->GetJQFileUploadOptions()->SetAutoUpload(false);
    later_->GetJQFileUploadOptions()->SetUploadButtonText("Choose files");

    // The server's list of what arrived.
    DemoButton(AForm, "BtnUpRefresh", "Refresh received files", 470, ATop + 120, 170,
               [this] { Refresh(); });
    received_ = DemoLabel(AForm, "LblUpReceived", "none", 470, ATop + 154, 480);
    received_->SetBounds(470, ATop + 154, 480, 240);
    return 400;
  }

 private:
  TIWZQJQFileUpload* Uploader(TDemoForm& AForm, const char* AName, int ALeft, int ATop) {
    auto* u = Create<TIWZQJQFileUpload>(&AForm);
    u->SetName(AName);
    u->SetParent(&AForm);
    u->SetBounds(ALeft, ATop, 200, 28);
    auto* o = u->GetJQFileUploadOptions();
    o->SetUploadPath(UploadFolder().string());
    // messages of the client's checks go to a label instead of an alert
    o->GetOnShowMessage()->SetScript(
        "function(message){document.getElementById(\"LBLUPMESSAGE\").textContent = message;}");
    // every finished upload refreshes the server's list
    o->GetOnComplete()->SetOnEvent(TIWZQEvent(u, [this](TObject*, TStringList*) { Refresh(); }));
    return u;
  }

  void Refresh() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(UploadFolder()))
      if (e.is_regular_file() && e.path().filename().string().rfind(".upload-", 0) != 0)
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::string text;
    for (const fs::path& f : files)
      text += (text.empty() ? "" : "; ") + Format("%s (%u bytes, sha256 %s)", f.filename().string(),
                                                  static_cast<unsigned long long>(fs::file_size(f)),
                                                  FileSha256(f));
    received_->SetCaption(text.empty() ? "none" : text);
  }

  TIWZQJQFileUpload* up_ = nullptr;
  TIWZQJQFileUpload* later_ = nullptr;
  TIWLabel* message_ = nullptr;
  TIWLabel* stored_ = nullptr;
  TIWLabel* received_ = nullptr;
  TIWButton* toggle_ = nullptr;
};

}  // namespace

ZQDEMO_PAGE(TUploadPage, "upload", 75);

}  // namespace zqdemo
