// The embedded server under load, next to a bare hello-world server on the
// same libraries (Boost.Asio, Beast's HTTP) in the same run. Each server runs
// in a child process of its own; the load comes from this process over
// 127.0.0.1 only, for a bounded time, and every child is stopped at the end.
//
// Prints:
//   callback vs_hello_c32=<ratio>        callbacks/s over hello-world requests/s, 32 connections
//                                        (the median over rounds of back-to-back runs)
//   callback vs_hello_c1=<ratio>         the same on one connection
//   callback vs_hello_hop_c32=<ratio>    callbacks/s over the requests/s of a hello-world
//   callback vs_hello_hop_c1=<ratio>     server that hands each request to a pool of
//                                        handler threads as the embedded server does
//   idle_conns=10000 callback_p99_ms=<n> 32 callback clients beside 10,000 idle keep-alive
//   connections slow_clients=1000 callback_p99_ms=<n> the same beside 1,000 clients sending a head
//   byte a second session_idle_kib=<n>                 memory per idle session of a one-button form
//   (10,000 sessions) rss_100k_callbacks_growth_pct=<n>    server RSS growth over 100,000 callbacks
//   after a warm-up
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <utility>  // before Asio
#include <vector>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "host/application.h"
#include "host/controls.h"
#include "host/http.h"
#include "host/server/server.h"
#include "host/servercontroller.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace asio = boost::asio;
namespace bhttp = boost::beast::http;

size_t RssKiB(pid_t pid) {
  std::ifstream in(pid ? "/proc/" + std::to_string(pid) + "/status"
                       : std::string("/proc/self/status"));
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6));
  return 0;
}

void RaiseFileLimit() {
  rlimit r{};
  getrlimit(RLIMIT_NOFILE, &r);
  r.rlim_cur = r.rlim_max;
  setrlimit(RLIMIT_NOFILE, &r);
}

// ------------------------------------------------------------------ servers

zq::TIWAppForm* OneButtonForm(zq::TIWApplication& app) {
  auto* f = zq::Create<zq::TIWAppForm>(&app);
  f->SetName("MainForm");
  auto* b = zq::Create<zq::TIWButton>(f);
  b->SetName("BTN1");
  b->SetCaption("Go");
  b->SetParent(f);
  static int clicks = 0;
  b->OnAsyncClick = zq::TNotifyEvent(&clicks, [](zq::TObject*) { ++clicks; });
  return f;
}

// The server under test; writes its port to `out` and serves until killed.
[[noreturn]] void RunHostServer(int out) {
  RaiseFileLimit();
  auto controller =
      zq::Owned<zq::TIWServerController>(zq::Create<zq::TIWServerController>(nullptr));
  controller->MaxSessions = 20000;
  controller->SetMainFormFactory(OneButtonForm);
  zq::TServerOptions o;
  o.Port = 0;
  o.Workers = 4;
  o.KeepAliveTimeoutSeconds = 120;
  o.KeepAliveMaxCount = 1 << 30;
  o.MaxConnections = 19000;
  zq::TZQHTTPServer server(
      [&](zq::THTTPRequest& q, zq::THTTPReply& r) { controller->HandleRequest(q, r); }, o);
  int port = server.Start();
  (void)!write(out, &port, sizeof port);
  for (;;) pause();
}

// A bare hello-world server: one I/O thread, Beast's parser and serializer.
// With `pool`, each request is answered by one of four handler threads, which
// also starts the reply's write (the embedded server's hand-off, and nothing
// else of it).
[[noreturn]] void RunHelloServerOn(int out, bool pool) {
  RaiseFileLimit();
  asio::io_context ioc(1);
  asio::ip::tcp::acceptor acc(ioc, {asio::ip::make_address("127.0.0.1"), 0});
  acc.listen(4096);
  int port = acc.local_endpoint().port();
  std::optional<asio::thread_pool> workers;
  if (pool) workers.emplace(4);
  struct Conn : std::enable_shared_from_this<Conn> {
    asio::ip::tcp::socket s;
    asio::thread_pool* workers;
    boost::beast::flat_buffer buf;
    bhttp::request<bhttp::string_body> req;
    bhttp::response<bhttp::string_body> res;
    Conn(asio::ip::tcp::socket so, asio::thread_pool* w) : s(std::move(so)), workers(w) {}
    void Read() {
      req = {};
      bhttp::async_read(s, buf, req,
                        [self = shared_from_this()](boost::system::error_code ec, size_t) {
                          if (ec) return;
                          if (self->workers)
                            asio::post(*self->workers, [self] { self->Answer(); });
                          else
                            self->Answer();
                        });
    }
    void Answer() {
      res = {bhttp::status::ok, req.version()};
      res.set(bhttp::field::content_type, "text/plain");
      res.body() = "hello";
      res.keep_alive(req.keep_alive());
      res.prepare_payload();
      bhttp::async_write(s, res, [self = shared_from_this()](boost::system::error_code e, size_t) {
        if (!e) self->Read();
      });
    }
  };
  std::function<void()> accept = [&] {
    acc.async_accept([&](boost::system::error_code ec, asio::ip::tcp::socket s) {
      if (!ec) {
        s.set_option(asio::ip::tcp::no_delay(true));
        std::make_shared<Conn>(std::move(s), workers ? &*workers : nullptr)->Read();
      }
      accept();
    });
  };
  accept();
  (void)!write(out, &port, sizeof port);
  ioc.run();
  _exit(0);
}
[[noreturn]] void RunHelloServer(int out) {
  RunHelloServerOn(out, false);
}
[[noreturn]] void RunHopServer(int out) {
  RunHelloServerOn(out, true);
}

pid_t Spawn(void (*run)(int), int& port) {
  int p[2];
  if (pipe(p) != 0) std::exit(1);
  pid_t pid = fork();
  if (pid == 0) {
    // A benchmark stopped from outside takes its servers with it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(p[0]);
    run(p[1]);
  }
  close(p[1]);
  if (read(p[0], &port, sizeof port) != sizeof port) std::exit(1);
  close(p[0]);
  return pid;
}

void StopChild(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// ------------------------------------------------------------------ client

int Connect(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(fd);
    return -1;
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return fd;
}

// One blocking request and its whole reply (Content-Length bodies).
std::string Exchange(int fd, const std::string& req) {
  (void)!send(fd, req.data(), req.size(), MSG_NOSIGNAL);
  std::string buf;
  char tmp[65536];
  for (;;) {
    size_t end = buf.find("\r\n\r\n");
    if (end != std::string::npos) {
      size_t cl = buf.find("Content-Length: ");
      size_t len = cl != std::string::npos && cl < end ? std::stoul(buf.substr(cl + 16)) : 0;
      if (buf.size() >= end + 4 + len) return buf;
    }
    ssize_t n = recv(fd, tmp, sizeof tmp, 0);
    if (n <= 0) return buf;
    buf.append(tmp, static_cast<size_t>(n));
  }
}

struct Client {
  int fd = -1;
  std::string request, in;
  Clock::time_point sent;
};

// A session of the one-button form: the callback request of its own.
std::string CallbackRequest(int port) {
  int fd = Connect(port);
  std::string page = Exchange(fd, "GET / HTTP/1.1\r\nHost: b\r\n\r\n");
  close(fd);
  std::smatch m1, m2;
  std::regex_search(page, m1, std::regex("ZQSESSION=([0-9a-f]+)"));
  std::regex_search(page, m2, std::regex("name=\"ZQ_TOKEN\" value=\"([0-9a-f]+)\""));
  std::string body = "ZQ_TOKEN=" + m2[1].str();
  return "POST /$/callback?callback=BTN1.DoOnAsyncClick HTTP/1.1\r\nHost: b\r\nCookie: ZQSESSION=" +
         m1[1].str() + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

struct LoadResult {
  double rate = 0;
  double p99ms = 0;
  uint64_t done = 0, failed = 0;
};

// `conns` keep-alive clients, each with its request, for `seconds` (or until
// `maxRequests`); `tick` runs about every 100 ms.
LoadResult RunLoad(int port, const std::vector<std::string>& requests, double seconds,
                   uint64_t maxRequests = UINT64_MAX, const std::function<void()>& tick = nullptr) {
  int ep = epoll_create1(0);
  std::vector<Client> clients(requests.size());
  for (size_t i = 0; i < clients.size(); ++i) {
    clients[i].fd = Connect(port);
    clients[i].request = requests[i];
    epoll_event ev{EPOLLIN, {.u64 = i}};
    epoll_ctl(ep, EPOLL_CTL_ADD, clients[i].fd, &ev);
  }
  std::vector<double> lat;
  lat.reserve(1 << 20);
  LoadResult r;
  auto fire = [&](Client& c) {
    c.sent = Clock::now();
    (void)!send(c.fd, c.request.data(), c.request.size(), MSG_NOSIGNAL);
  };
  for (auto& c : clients) fire(c);
  const auto t0 = Clock::now();
  const auto end = t0 + std::chrono::duration<double>(seconds);
  auto lastTick = t0;
  std::vector<epoll_event> evs(256);
  char tmp[65536];
  while (Clock::now() < end && r.done < maxRequests) {
    int n = epoll_wait(ep, evs.data(), static_cast<int>(evs.size()), 50);
    for (int k = 0; k < n; ++k) {
      Client& c = clients[evs[k].data.u64];
      ssize_t got = recv(c.fd, tmp, sizeof tmp, MSG_DONTWAIT);
      if (got == 0 || (got < 0 && errno != EAGAIN)) {
        // The server ended the connection: a new one, as a browser would.
        epoll_ctl(ep, EPOLL_CTL_DEL, c.fd, nullptr);
        close(c.fd);
        c.fd = Connect(port);
        c.in.clear();
        epoll_event ev{EPOLLIN, {.u64 = evs[k].data.u64}};
        epoll_ctl(ep, EPOLL_CTL_ADD, c.fd, &ev);
        ++r.failed;
        fire(c);
        continue;
      }
      if (got < 0) continue;
      c.in.append(tmp, static_cast<size_t>(got));
      size_t hend = c.in.find("\r\n\r\n");
      if (hend == std::string::npos) continue;
      size_t cl = c.in.find("Content-Length: ");
      size_t len = cl != std::string::npos && cl < hend ? std::stoul(c.in.substr(cl + 16)) : 0;
      if (c.in.size() < hend + 4 + len) continue;
      if (c.in.compare(9, 3, "200") != 0) ++r.failed;
      c.in.erase(0, hend + 4 + len);
      lat.push_back(std::chrono::duration<double, std::milli>(Clock::now() - c.sent).count());
      ++r.done;
      fire(c);
    }
    if (tick && Clock::now() - lastTick > std::chrono::milliseconds(100)) {
      lastTick = Clock::now();
      tick();
    }
  }
  const double took = std::chrono::duration<double>(Clock::now() - t0).count();
  for (auto& c : clients) close(c.fd);
  close(ep);
  r.rate = static_cast<double>(r.done) / took;
  if (!lat.empty()) {
    std::sort(lat.begin(), lat.end());
    r.p99ms = lat[std::min(lat.size() - 1, lat.size() * 99 / 100)];
  }
  return r;
}

std::vector<std::string> CallbackRequests(int port, int n) {
  std::vector<std::string> r;
  for (int i = 0; i < n; ++i) r.push_back(CallbackRequest(port));
  return r;
}

// ------------------------------------------------------------------ session footprint

[[noreturn]] void MeasureSessions(int out) {
  auto controller =
      zq::Owned<zq::TIWServerController>(zq::Create<zq::TIWServerController>(nullptr));
  controller->MaxSessions = 20000;
  controller->SetMainFormFactory(OneButtonForm);
  auto page = [&] {
    zq::THTTPRequest req;
    req.URL = "/";
    zq::THTTPReply reply;
    controller->HandleRequest(req, reply);
  };
  for (int i = 0; i < 200; ++i) page();  // warm-up: allocator pools, first-use tables
  controller->EndAllSessions();
  const size_t before = RssKiB(0);
  constexpr int kSessions = 10000;
  for (int i = 0; i < kSessions; ++i) page();
  const size_t after = RssKiB(0);
  int perSession100 = static_cast<int>((after - before) * 100 / kSessions);
  (void)!write(out, &perSession100, sizeof perSession100);
  _exit(0);
}

}  // namespace

// With the argument "throughput", only the first two comparisons run.
int main(int argc, char** argv) {
  const bool throughputOnly = argc > 1 && std::string(argv[1]) == "throughput";
  RaiseFileLimit();
  signal(SIGPIPE, SIG_IGN);
  int hostPort = 0, helloPort = 0, hopPort = 0;
  pid_t host = Spawn(RunHostServer, hostPort);
  pid_t hello = Spawn(RunHelloServer, helloPort);
  pid_t hop = Spawn(RunHopServer, hopPort);
  const std::string helloReq = "GET /hello HTTP/1.1\r\nHost: b\r\n\r\n";
  const double secs = 3.0;

  // Throughput against the hello-world servers: rounds of one run of each
  // server back to back (the order turns from round to round), and the
  // median of the rounds' ratios, so that a slow moment of the machine
  // weighs on one round's pair, not on one server.
  constexpr int kRounds = 5;
  const double roundSecs = 1.5;
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  for (int conns : {32, 1}) {
    auto cb = CallbackRequests(hostPort, conns);
    std::vector<std::string> hr(static_cast<size_t>(conns), helloReq);
    RunLoad(hostPort, cb, 0.5);  // warm-up
    std::vector<double> vsHello, vsHop, rates;
    double helloRate = 0, hopRate = 0;
    uint64_t failed = 0;
    for (int round = 0; round < kRounds; ++round) {
      double host = 0, plain = 0, hopped = 0;
      for (int k = 0; k < 3; ++k) {
        switch ((k + round) % 3) {
          case 0: {
            LoadResult r = RunLoad(hostPort, cb, roundSecs);
            host = r.rate;
            failed += r.failed;
            break;
          }
          case 1:
            plain = RunLoad(helloPort, hr, roundSecs).rate;
            break;
          default:
            hopped = RunLoad(hopPort, hr, roundSecs).rate;
            break;
        }
      }
      vsHello.push_back(host / plain);
      vsHop.push_back(host / hopped);
      rates.push_back(host);
      helloRate = std::max(helloRate, plain);
      hopRate = std::max(hopRate, hopped);
    }
    std::printf("callback vs_hello_c%d=%.2f\n", conns, median(vsHello));
    std::printf("callback vs_hello_hop_c%d=%.2f\n", conns, median(vsHop));
    std::fprintf(stderr,
                 "  c%d: callbacks %.0f/s (median of %d rounds, %llu failed), hello up to %.0f/s, "
                 "hello with hop up to %.0f/s; ratios to hello %.2f .. %.2f\n",
                 conns, median(rates), kRounds, static_cast<unsigned long long>(failed), helloRate,
                 hopRate, *std::min_element(vsHello.begin(), vsHello.end()),
                 *std::max_element(vsHello.begin(), vsHello.end()));
    std::fflush(stdout);
  }
  StopChild(hello);
  StopChild(hop);
  if (throughputOnly) {
    StopChild(host);
    return 0;
  }

  // Ten thousand idle keep-alive connections (each asked once, then silent).
  {
    std::vector<int> idle;
    for (int i = 0; i < 10000; ++i) {
      int fd = Connect(hostPort);
      if (fd < 0) break;
      Exchange(fd, "GET /none HTTP/1.1\r\nHost: b\r\n\r\n");
      idle.push_back(fd);
    }
    LoadResult r = RunLoad(hostPort, CallbackRequests(hostPort, 32), secs);
    std::printf("idle_conns=%zu callback_p99_ms=%.2f\n", idle.size(), r.p99ms);
    std::fprintf(stderr, "  idle: %.0f callbacks/s, %llu failed\n", r.rate,
                 static_cast<unsigned long long>(r.failed));
    std::fflush(stdout);
    for (int fd : idle) close(fd);
  }

  // A thousand clients sending their heads a byte a second.
  {
    std::vector<int> slow;
    const std::string head = "GET /slow HTTP/1.1\r\nHost: b\r\nX-Pad: ";
    for (int i = 0; i < 1000; ++i) {
      int fd = Connect(hostPort);
      if (fd >= 0) slow.push_back(fd);
    }
    size_t pos = 0;
    auto last = Clock::now() - std::chrono::seconds(1);
    auto drip = [&] {
      if (Clock::now() - last < std::chrono::seconds(1)) return;
      last = Clock::now();
      for (int fd : slow) (void)!send(fd, &head[pos % head.size()], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      ++pos;
    };
    std::atomic<bool> done{false};
    std::thread dripper([&] {
      while (!done) {
        drip();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    LoadResult r = RunLoad(hostPort, CallbackRequests(hostPort, 32), secs);
    done = true;
    dripper.join();
    std::printf("slow_clients=%zu callback_p99_ms=%.2f\n", slow.size(), r.p99ms);
    std::fprintf(stderr, "  slow: %.0f callbacks/s, %llu failed\n", r.rate,
                 static_cast<unsigned long long>(r.failed));
    std::fflush(stdout);
    for (int fd : slow) close(fd);
  }

  // Server memory over 100,000 callbacks, after 20,000 to warm up.
  {
    auto cb = CallbackRequests(hostPort, 32);
    RunLoad(hostPort, cb, 30, 20000);
    const size_t before = RssKiB(host);
    LoadResult r = RunLoad(hostPort, cb, 60, 100000);
    const size_t after = RssKiB(host);
    std::printf("rss_100k_callbacks_growth_pct=%.1f\n",
                100.0 * (static_cast<double>(after) - static_cast<double>(before)) /
                    static_cast<double>(before));
    std::fprintf(stderr, "  rss: %zu -> %zu KiB over %llu callbacks (%llu failed)\n", before, after,
                 static_cast<unsigned long long>(r.done),
                 static_cast<unsigned long long>(r.failed));
    std::fflush(stdout);
  }
  StopChild(host);

  int port100 = 0;
  pid_t m = Spawn(MeasureSessions, port100);
  waitpid(m, nullptr, 0);
  std::printf("session_idle_kib=%.2f\n", port100 / 100.0);
  return 0;
}
