// Download throughput: the same 256 MiB file fetched through the download
// component's GetFile action of the embedded server and from nginx (Debian's
// package, started here on 127.0.0.1 with a configuration written here, and
// stopped at the end), with the same client: a plain socket reader that
// discards what it reads. Prints
//   download vs_nginx=<our throughput / nginx's>
//   download rss_growth_kib=<peak resident size during our download - size before>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "actionmap/map.h"
#include "framework/startup.h"
#include "bench_timing.h"
#include "components/download/download.h"
#include "host/application.h"
#include "host/controls.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

extern char** environ;

namespace {

using namespace zq;
namespace fs = std::filesystem;

constexpr std::uint64_t kFileSize = 256ull << 20;

int FreePort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}

struct TFetch {
  int status = 0;
  std::string headers;
  std::uint64_t bodyBytes = 0;
};

// GET with "Connection: close"; the body is read to the end and discarded.
TFetch Fetch(int port, const std::string& target, const std::string& cookie = {}) {
  TFetch r;
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(s);
    return r;
  }
  std::string req = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
  if (!cookie.empty()) req += "Cookie: " + cookie + "\r\n";
  req += "\r\n";
  (void)!::write(s, req.data(), req.size());
  std::vector<char> buf(1 << 18);
  bool inBody = false;
  for (;;) {
    ssize_t n = ::read(s, buf.data(), buf.size());
    if (n <= 0) break;
    if (inBody) {
      r.bodyBytes += static_cast<std::uint64_t>(n);
      continue;
    }
    r.headers.append(buf.data(), static_cast<size_t>(n));
    size_t end = r.headers.find("\r\n\r\n");
    if (end != std::string::npos) {
      r.bodyBytes = r.headers.size() - end - 4;
      r.headers.resize(end);
      inBody = true;
    }
  }
  ::close(s);
  if (r.headers.size() > 12) r.status = std::atoi(r.headers.c_str() + 9);
  return r;
}

long StatusKiB(const char* field) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  return -1;
}

void ResetPeakRSS() { std::ofstream("/proc/self/clear_refs") << "5"; }

class TNginx {
 public:
  TNginx(const fs::path& dir, const fs::path& root, int port) : dir_(dir) {
    fs::create_directories(dir / "logs");
    fs::path conf = dir / "nginx.conf";
    std::ofstream(conf) << "worker_processes 1;\ndaemon off;\nmaster_process on;\n"
                        << "pid " << (dir / "nginx.pid").string() << ";\n"
                        << "error_log " << (dir / "logs" / "error.log").string() << ";\n"
                        << "events { worker_connections 64; }\n"
                        << "http {\n  access_log off;\n  sendfile on;\n  tcp_nopush on;\n"
                        << "  client_body_temp_path " << (dir / "body").string() << ";\n"
                        << "  proxy_temp_path " << (dir / "proxy").string() << ";\n"
                        << "  fastcgi_temp_path " << (dir / "fastcgi").string() << ";\n"
                        << "  uwsgi_temp_path " << (dir / "uwsgi").string() << ";\n"
                        << "  scgi_temp_path " << (dir / "scgi").string() << ";\n"
                        << "  server {\n    listen 127.0.0.1:" << port << ";\n    root " << root.string()
                        << ";\n  }\n}\n";
    std::string c = conf.string(), p = dir.string() + "/";
    const char* argv[] = {"nginx", "-c", c.c_str(), "-p", p.c_str(), nullptr};
    if (posix_spawnp(&pid_, "nginx", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) pid_ = -1;
    for (int i = 0; i < 100 && pid_ > 0; ++i) {
      if (Fetch(port, "/missing").status != 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~TNginx() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return pid_ > 0; }

 private:
  fs::path dir_;
  pid_t pid_ = -1;
};

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() / ("zq_download_bench_" + std::to_string(::getpid()));
  fs::path root = dir / "root";
  fs::create_directories(root);
  fs::permissions(dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                           fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  fs::path file = root / "big.bin";
  {
    std::ofstream out(file, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (std::uint64_t part = 0; part < kFileSize / block.size(); ++part) {
      for (size_t j = 0; j < block.size(); ++j) block[j] = static_cast<char>((part * 131 + j * 31) & 0xFF);
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }

  // Our server: a form with the download component.
  auto controller = Owned<TIWServerController>(Create<TIWServerController>(nullptr));
  controller->ContentPath = root.string();
  ZQLibraryStartup(*controller);
  controller->SetMainFormFactory([](TIWApplication& app) -> TIWAppForm* {
    auto* f = Create<TIWAppForm>(&app);
    f->SetName("MainForm");
    auto* dl = Create<TIWZQJQDownload>(f);
    dl->SetName("DL");
    return f;
  });
  TServerOptions options;
  options.Port = 0;
  options.Workers = 2;
  int ourPort = 0;
  int status = 0;
  {
    TZQHTTPServer server([&](THTTPRequest& q, THTTPReply& r) { controller->HandleRequest(q, r); }, options);
    ourPort = server.Start();
    TFetch first = Fetch(ourPort, "/");
    std::string cookie;
    size_t c = first.headers.find("ZQSESSION=");
    if (c != std::string::npos) cookie = first.headers.substr(c, first.headers.find_first_of(";\r", c) - c);
    auto session = controller->FindSession(cookie.substr(std::strlen("ZQSESSION=")));
    if (!session) {
      std::fprintf(stderr, "download bench: no session\n");
      return 1;
    }
    auto nextUrl = [&] {
      session->Lock();
      TIWThreadSessionSwitch sw(session.get());
      auto* dl = static_cast<TIWZQJQDownload*>(session->GetActiveForm()->FindComponent("DL"));
      std::string js = dl->jsDownloadFileName(file.string(), "big.bin");
      std::string fid = js.substr(js.find("('") + 2, 32);
      std::string url = dl->GetMapUrl() + "/?fid=" + fid;
      session->Unlock();
      return url;
    };

    // Warm-up (page cache), then the measured runs; the peak resident size
    // is taken over our first measured download.
    Fetch(ourPort, nextUrl(), cookie);
    long before = StatusKiB("VmRSS:");
    ResetPeakRSS();
    std::uint64_t got = 0;
    double ours = benchtiming::Best(3, [&] {
      std::string url = nextUrl();
      TFetch f = Fetch(ourPort, url, cookie);
      got = f.bodyBytes;
      if (f.status != 200) status = f.status;
    });
    long peak = StatusKiB("VmHWM:");
    server.Stop();
    if (got != kFileSize || status) {
      std::fprintf(stderr, "download bench: our server sent %llu bytes (status %d)\n",
                   static_cast<unsigned long long>(got), status);
      return 1;
    }

    int nginxPort = FreePort();
    double theirs = 0;
    {
      TNginx nginx(dir / "nginx", root, nginxPort);
      if (!nginx.Running()) {
        std::fprintf(stderr, "download bench: nginx did not start (scripts/setup.sh installs it)\n");
        return 1;
      }
      Fetch(nginxPort, "/big.bin");
      std::uint64_t n = 0;
      theirs = benchtiming::Best(3, [&] { n = Fetch(nginxPort, "/big.bin").bodyBytes; });
      if (n != kFileSize) {
        std::fprintf(stderr, "download bench: nginx sent %llu bytes\n", static_cast<unsigned long long>(n));
        return 1;
      }
    }
    const double mb = static_cast<double>(kFileSize) / (1 << 20);
    std::printf("# download 256 MiB: ours %.0f MB/s, nginx %.0f MB/s\n", mb / ours, mb / theirs);
    std::printf("download vs_nginx=%.2f\n", theirs / ours);
    std::printf("download rss_growth_kib=%ld\n", peak - before);
  }
  controller->EndAllSessions();
  ZQLibraryShutdown();
  controller->EndAllSessions();
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
