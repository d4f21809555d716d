// Upload: one 512 MiB file (generated into /tmp, deleted afterwards) posted as
// an octet-stream body through a file upload control's Upload action of the
// embedded server, and to a bare cpp-httplib handler that streams the body to
// a file, by the same client (cpp-httplib's) on 127.0.0.1. Prints
//   upload vs_httplib_stream=<our throughput / theirs>
//   upload rss_growth_kib=<peak resident memory during our upload minus before>
#include <fcntl.h>
#include <httplib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "actionmap/map.h"
#include "bench_timing.h"
#include "components/upload/upload.h"
#include "framework/startup.h"
#include "host/application.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

using namespace zq;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kFileBytes = 512ull * 1024 * 1024;
constexpr std::size_t kChunk = 256 * 1024;

// A /proc/self/status value in KiB ("VmRSS", "VmHWM").
long StatusKiB(const char* AName) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(AName) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return -1;
}
// Starts a new peak (VmHWM) at the current resident size.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void Generate(const fs::path& APath) {
  std::ofstream out(APath, std::ios::binary);
  std::vector<char> buf(kChunk);
  std::uint64_t x = 88172645463325252ull;
  for (std::uint64_t done = 0; done < kFileBytes; done += buf.size()) {
    for (std::size_t i = 0; i < buf.size(); i += 8) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      std::memcpy(buf.data() + i, &x, 8);
    }
    out.write(buf.data(), static_cast<std::streamsize>(buf.size()));
  }
}

// Posts the file from disk in chunks; the seconds it took, or a negative
// value when the reply was not `expect`.
double PostFile(httplib::Client& AClient, const std::string& AUrl, const httplib::Headers& AHeaders,
                const fs::path& AFile, const std::string& AExpect) {
  const int fd = ::open(AFile.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  std::vector<char> buf(kChunk);
  const auto t0 = benchtiming::Clock::now();
  auto r = AClient.Post(
      AUrl, AHeaders, static_cast<std::size_t>(kFileBytes),
      [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        const ssize_t n =
            ::pread(fd, buf.data(), std::min(length, buf.size()), static_cast<off_t>(offset));
        if (n <= 0) return false;
        return sink.write(buf.data(), static_cast<std::size_t>(n));
      },
      "application/octet-stream");
  const double t = std::chrono::duration<double>(benchtiming::Clock::now() - t0).count();
  ::close(fd);
  if (!r || r->status != 200 || r->body != AExpect) {
    std::fprintf(stderr, "upload bench: %s answered %d \"%s\"\n", AUrl.c_str(), r ? r->status : -1,
                 r ? r->body.substr(0, 200).c_str() : "");
    return -1;
  }
  return t;
}

}  // namespace

int main() {
  const fs::path work =
      fs::temp_directory_path() / ("zq_upload_bench_" + std::to_string(::getpid()));
  fs::create_directories(work / "ours");
  fs::create_directories(work / "theirs");
  const fs::path source = work / "source.bin";
  Generate(source);

  auto controller = Owned<TIWServerController>(Create<TIWServerController>(nullptr));
  controller->MaxUploadSize = 1024ull * 1024 * 1024;
  ZQLibraryStartup(*controller);
  controller->SetMainFormFactory([&](TIWApplication& app) -> TIWAppForm* {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    auto* up = Create<TIWZQJQFileUpload>(f);
    up->SetName("Up");
    up->SetParent(f);
    up->GetJQFileUploadOptions()->SetUploadPath((work / "ours").string());
    return f;
  });
  TServerOptions options;
  options.Port = 0;
  options.Workers = 2;
  options.MaxUploadBytes = controller->MaxUploadSize;
  TZQHTTPServer server([&](THTTPRequest& q, THTTPReply& r) { controller->HandleRequest(q, r); },
                       options);
  const int ourPort = server.Start();

  // Theirs: the body streamed to a file as it arrives.
  httplib::Server bare;
  bare.set_payload_max_length(static_cast<std::size_t>(controller->MaxUploadSize));
  bare.Post("/upload", [&](const httplib::Request&, httplib::Response& res,
                           const httplib::ContentReader& reader) {
    std::FILE* f = std::fopen((work / "theirs" / "source.bin").c_str(), "wb");
    bool ok = f && reader([&](const char* data, std::size_t n) {
                return std::fwrite(data, 1, n, f) == n;
              });
    if (f) ok = std::fclose(f) == 0 && ok;
    res.set_content(ok ? "{\"success\":true}" : "{\"success\":false}", "application/json");
  });
  const int theirPort = bare.bind_to_any_port("127.0.0.1");
  std::thread bareThread([&] { bare.listen_after_bind(); });

  int rc = 0;
  httplib::Client ours("127.0.0.1", ourPort);
  httplib::Client theirs("127.0.0.1", theirPort);
  for (httplib::Client* c : {&ours, &theirs}) {
    c->set_connection_timeout(5);
    c->set_read_timeout(120);
    c->set_write_timeout(120);
  }
  auto first = ours.Get("/");
  std::smatch m;
  const std::string page = first ? first->body : std::string();
  if (!first || !std::regex_search(page, m, std::regex("ID([0-9A-F]{32})ActionUpload"))) {
    std::fprintf(stderr, "upload bench: no upload URL in the page\n");
    rc = 1;
  } else {
    const std::string setCookie = first->get_header_value("Set-Cookie");
    // As the XHR uploader sends it: the name in the query and in X-File-Name.
    const httplib::Headers headers{{"Cookie", setCookie.substr(0, setCookie.find(';'))},
                                   {"X-File-Name", "source.bin"}};
    const std::string url = "/IWZQJQ/ID" + m[1].str() + "ActionUpload?qqfile=source.bin";
    const long before = StatusKiB("VmRSS");
    ResetPeak();
    const double ourTime = PostFile(ours, url, headers, source, "{\"success\":true}");
    const long peak = StatusKiB("VmHWM");
    const bool same = ourTime > 0 && fs::file_size(work / "ours" / "source.bin") == kFileBytes;
    fs::remove(work / "ours" / "source.bin");
    const double theirTime = PostFile(theirs, "/upload", {}, source, "{\"success\":true}");
    if (!same || theirTime <= 0) {
      std::fprintf(stderr, "upload bench: an upload failed\n");
      rc = 1;
    } else {
      const double mib = static_cast<double>(kFileBytes) / (1024.0 * 1024.0);
      std::printf(
          "# upload 512 MiB: ours %.2f s (%.0f MiB/s), httplib stream %.2f s (%.0f MiB/s)\n",
          ourTime, mib / ourTime, theirTime, mib / theirTime);
      std::printf("upload vs_httplib_stream=%.2f\n", theirTime / ourTime);
      std::printf("upload rss_growth_kib=%ld\n", peak - before);
    }
  }
  bare.stop();
  bareThread.join();
  server.Stop();
  controller->EndAllSessions();
  ZQLibraryShutdown();
  std::error_code ec;
  fs::remove_all(work, ec);
  return rc;
}
