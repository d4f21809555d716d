// zq_demo: the demo application. Serves the demo pages (demoform.h) through
// the embedded HTTP server on 127.0.0.1 until SIGINT or SIGTERM: every page at
// "/", each page alone at "/demo/<name>".
//
//   zq_demo [--port N] [--bind ADDRESS] [--webroot DIR] [--workers N] [--debug]
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "demoform.h"
#include "foundation/object.h"
#include "framework/startup.h"
#include "host/application.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

namespace {

void Usage(const char* prog) {
  std::fprintf(stderr,
               "usage: %s [--port N] [--bind ADDRESS] [--webroot DIR] [--workers N] [--debug]\n"
               "  --port N         port to listen on (default 8080; 0 picks a free one)\n"
               "  --bind ADDRESS   address to listen on (default 127.0.0.1)\n"
               "  --webroot DIR    folder of the client files (default webroot)\n"
               "  --workers N      worker threads (default 32)\n"
               "  --debug          plain (not minified) client files and multi-line scripts\n",
               prog);
}

bool ParseInt(const char* text, int lo, int hi, int& out) {
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!text[0] || *end || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
  zq::TServerOptions options;
  options.Workers = 32;
  std::string webroot = "webroot";
  bool debug = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s: %s needs a value\n", argv[0], name);
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--port") {
      if (!ParseInt(value("--port"), 0, 65535, options.Port)) {
        std::fprintf(stderr, "%s: bad port \"%s\"\n", argv[0], argv[i]);
        return 2;
      }
    } else if (a == "--bind") {
      options.BindAddress = value("--bind");
    } else if (a == "--webroot") {
      webroot = value("--webroot");
    } else if (a == "--workers") {
      if (!ParseInt(value("--workers"), 1, 1024, options.Workers)) {
        std::fprintf(stderr, "%s: bad worker count \"%s\"\n", argv[0], argv[i]);
        return 2;
      }
    } else if (a == "--debug") {
      debug = true;
    } else if (a == "--help" || a == "-h") {
      Usage(argv[0]);
      return 0;
    } else {
      std::fprintf(stderr, "%s: unknown option \"%s\"\n", argv[0], a.c_str());
      Usage(argv[0]);
      return 2;
    }
  }
  if (!IsFile(webroot + (debug ? "/zq.runtime.js" : "/zq.runtime.min.js"))) {
    std::fprintf(stderr, "%s: \"%s\" holds no client runtime; run scripts/setup.sh first\n",
                 argv[0], webroot.c_str());
    return 1;
  }

  // SIGINT and SIGTERM are taken by sigwait below, on the main thread only:
  // blocked before any other thread starts, so the workers inherit the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  auto controller =
      zq::Owned<zq::TIWServerController>(zq::Create<zq::TIWServerController>(nullptr));
  controller->ContentPath = webroot;
  controller->JavaScriptDebug = debug;
  // The image cache of this run, removed with it.
  controller->CacheDir = "/tmp/zq_demo_cache_" + std::to_string(::getpid());
  // Once, with the controller set up: every hook, the URL action map and the
  // image cache included.
  zq::ZQLibraryStartup(*controller);
  zqdemo::InstallDemoPages(*controller);
  options.MaxRequestBytes = controller->MaxRequestSize;
  options.MaxUploadBytes = controller->MaxUploadSize;
  options.MaxFields = controller->MaxFields;

  zq::TZQHTTPServer server(
      [&](zq::THTTPRequest& req, zq::THTTPReply& reply) { controller->HandleRequest(req, reply); },
      options);
  int port = 0;
  try {
    port = server.Start();
  } catch (const zq::Exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
    return 1;
  }
  std::printf("zq_demo: serving http://%s:%d/ (web root \"%s\"); Ctrl+C stops\n",
              options.BindAddress.c_str(), port, webroot.c_str());
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  std::printf("zq_demo: %s, stopping\n", sig == SIGINT ? "interrupted" : "terminated");
  std::fflush(stdout);
  server.Stop();
  controller->EndAllSessions();
  zq::ZQLibraryShutdown();
  std::error_code ec;
  std::filesystem::remove_all(controller->CacheDir, ec);
  std::printf("zq_demo: stopped after %llu requests\n",
              static_cast<unsigned long long>(server.RequestsServed()));
  return 0;
}
