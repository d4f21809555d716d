// The embedded server against clients that are slow, idle, greedy or
// malformed: none of them may take a worker, memory or the service from the
// others. Also the streaming of request and reply bodies end to end.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/http.h"
#include "host/server/server.h"

namespace zq {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A raw loopback socket with a receive time-out.
class Raw {
 public:
  explicit Raw(int port, int timeoutMs = 5000) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);  // a stuck peer fails the test
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  }
  ~Raw() { ::close(fd_); }
  Raw(const Raw&) = delete;
  bool Ok() const { return ok_; }
  bool Send(std::string_view d) {
    while (!d.empty()) {
      ssize_t n = ::send(fd_, d.data(), d.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      d.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  // Reads until `marker` has arrived (or the peer closes / times out).
  std::string ReadUntil(std::string_view marker) {
    while (buf_.find(marker) == std::string::npos)
      if (!Fill()) break;
    return buf_;
  }
  // Reads one reply with a Content-Length body; "" when none came.
  std::string ReadReply() {
    size_t end;
    while ((end = buf_.find("\r\n\r\n")) == std::string::npos)
      if (!Fill()) return std::string();
    size_t len = 0;
    size_t cl = buf_.find("Content-Length: ");
    if (cl != std::string::npos && cl < end) len = std::stoul(buf_.substr(cl + 16));
    while (buf_.size() < end + 4 + len)
      if (!Fill()) return std::string();
    std::string r = buf_.substr(0, end + 4 + len);
    buf_.erase(0, end + 4 + len);
    return r;
  }
  // True when the peer has closed the connection (EOF or reset) in time.
  bool Closed() {
    char c;
    for (;;) {
      ssize_t n = ::recv(fd_, &c, 1, 0);
      if (n == 0) return true;
      if (n < 0) return errno == ECONNRESET;
    }
  }
  int Fd() const { return fd_; }
  std::string& Buffer() { return buf_; }
  bool Fill() {
    char tmp[65536];
    ssize_t n = ::recv(fd_, tmp, sizeof tmp, 0);
    if (n <= 0) return false;
    buf_.append(tmp, static_cast<size_t>(n));
    return true;
  }

 private:
  int fd_;
  bool ok_ = false;
  std::string buf_;
};

int Status(const std::string& reply) {
  return reply.size() > 12 ? std::stoi(reply.substr(9, 3)) : 0;
}

// Sanitizers keep freed memory aside, so RSS bounds hold only without them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMeasureRss = false;
#else
constexpr bool kMeasureRss = true;
#endif

size_t RssKiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6));
  return 0;
}

class ServerLimits : public ::testing::Test {
 protected:
  // Raw bodies stream to the handler when a content parser claims them, as
  // the upload component's does.
  ServerLimits()
      : claim_(RegisterContentParser([](const THTTPRequest& ARequest) {
          return ARequest.GetHeader("Content-Type") == "application/octet-stream";
        })) {}
  ~ServerLimits() override { UnregisterContentParser(claim_); }
  void Start(TServerOptions opt, TZQHTTPServer::Handler h = nullptr) {
    opt.Port = 0;
    if (!h)
      h = [](THTTPRequest& req, THTTPReply& reply) {
        reply.SetContentType("text/plain");
        reply.WriteString("ok " + req.PathInfo() + " " + std::to_string(req.Content.size()));
      };
    server_ = std::make_unique<TZQHTTPServer>(std::move(h), opt);
    port_ = server_->Start();
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }
  // A fresh client's GET, and how long it took.
  std::pair<int, Clock::duration> TimedGet(const std::string& path) {
    auto t0 = Clock::now();
    Raw c(port_);
    c.Send("GET " + path + " HTTP/1.1\r\nHost: x\r\n\r\n");
    int s = Status(c.ReadReply());
    return {s, Clock::now() - t0};
  }
  const int claim_;
  std::unique_ptr<TZQHTTPServer> server_;
  int port_ = 0;
};

TEST_F(ServerLimits, SlowAndIdleConnectionsTakeNoWorker) {
  TServerOptions opt;
  opt.Workers = 2;
  Start(opt);
  std::vector<std::unique_ptr<Raw>> slow, idle;
  for (int i = 0; i < 40; ++i) {
    slow.push_back(std::make_unique<Raw>(port_));
    slow.back()->Send("GET /slow HTTP/1.1\r\nHo");  // and nothing more for now
  }
  for (int i = 0; i < 2000; ++i) idle.push_back(std::make_unique<Raw>(port_));
  // All of them accepted and waiting (a thread-per-connection server would
  // now have no thread left to answer anyone).
  for (int i = 0; i < 200 && server_->OpenConnections() < 2040; ++i)
    std::this_thread::sleep_for(100ms);
  ASSERT_GE(server_->OpenConnections(), 2040u);
  // Bounds loose enough for sanitizer builds; a blocked server never answers.
  for (int i = 0; i < 20; ++i) {
    auto [status, took] = TimedGet("/real");
    EXPECT_EQ(status, 200);
    EXPECT_LT(took, 2s);
  }
  for (auto& s : slow) s->Send("s");  // one more byte each: still served later
  auto [status, took] = TimedGet("/after");
  EXPECT_EQ(status, 200);
  EXPECT_LT(took, 2s);
}

TEST_F(ServerLimits, EachPhaseHasItsTimeOut) {
  TServerOptions opt;
  opt.HeaderTimeoutSeconds = 1;
  opt.KeepAliveTimeoutSeconds = 1;
  opt.ReadTimeoutSeconds = 1;
  Start(opt);
  auto t0 = Clock::now();
  Raw head(port_, 4000), idle(port_, 4000), body(port_, 4000);
  // A head sent a byte at a time, faster than the time-out but never ending.
  std::thread dripper([&] {
    std::string text = "GET / HTTP/1.1\r\nX-Long: ";
    for (int i = 0; i < 30 && head.Send(std::string(1, text[i % text.size()])); ++i)
      std::this_thread::sleep_for(100ms);
  });
  // A kept-alive connection with nothing more to ask.
  idle.Send("GET /one HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(Status(idle.ReadReply()), 200);
  // A body that stops arriving.
  body.Send(
      "POST /b HTTP/1.1\r\nHost: x\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n\r\nabc");
  EXPECT_TRUE(idle.Closed());
  EXPECT_TRUE(body.Closed());
  EXPECT_TRUE(head.Closed());
  EXPECT_LT(Clock::now() - t0, 3500ms);
  dripper.join();
}

TEST_F(ServerLimits, APostWithoutLengthIsAnsweredAtOnce) {
  Start({});
  Raw c(port_);
  auto t0 = Clock::now();
  c.Send(
      "POST /nolength HTTP/1.1\r\nHost: x\r\nContent-Type: "
      "application/x-www-form-urlencoded\r\n\r\n");
  std::string r = c.ReadReply();
  EXPECT_EQ(Status(r), 200);
  EXPECT_NE(r.find("ok /nolength 0"), std::string::npos);
  EXPECT_LT(Clock::now() - t0, 500ms);
}

TEST_F(ServerLimits, OversizedHeadsAreRefusedWith414And431) {
  std::atomic<int> calls{0};
  TServerOptions opt;
  opt.MaxHeaderCount = 50;
  opt.MaxHeaderBytes = 16 * 1024;
  opt.MaxRequestLineBytes = 4096;
  Start(opt, [&](THTTPRequest&, THTTPReply& r) {
    ++calls;
    r.WriteString("x");
  });
  {
    Raw c(port_);
    std::string req = "GET / HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 51; ++i) req += "X-" + std::to_string(i) + ": 1\r\n";
    c.Send(req + "\r\n");
    std::string r = c.ReadReply();
    EXPECT_EQ(Status(r), 431);
    EXPECT_NE(r.find("X-Content-Type-Options: nosniff"), std::string::npos);
    EXPECT_TRUE(c.Closed());
  }
  {
    // A million headers: refused long before they are all sent.
    Raw c(port_);
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "A: b\r\n";
    c.Send("GET / HTTP/1.1\r\n");
    for (int i = 0; i < 500 && c.Send(many); ++i) {
    }
    EXPECT_EQ(Status(c.ReadUntil("\r\n\r\n")), 431);
  }
  {
    Raw c(port_);
    c.Send("GET / HTTP/1.1\r\nHost: x\r\nCookie: " + std::string(20000, 'c') + "\r\n\r\n");
    EXPECT_EQ(Status(c.ReadReply()), 431);
  }
  {
    Raw c(port_);
    c.Send("GET /" + std::string(5000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(Status(c.ReadReply()), 414);
  }
  EXPECT_EQ(calls.load(), 0);
  EXPECT_EQ(TimedGet("/fine").first, 200);
}

// The listen queue holds a burst of connects (a queue of 5 made clients of a
// burst wait a second each for their SYN to be retried). The kernel shows a
// listening socket's queue size as its Send-Q; it caps it at somaxconn.
TEST_F(ServerLimits, TheListenQueueHoldsABurstOfConnects) {
  Start(TServerOptions{});
  FILE* p = ::popen(("ss -ltnH 'sport = :" + std::to_string(port_) + "' 2>/dev/null").c_str(), "r");
  if (!p) GTEST_SKIP() << "cannot run ss";
  char line[512] = {};
  const bool got = std::fgets(line, sizeof line, p) != nullptr;
  ::pclose(p);
  if (!got) GTEST_SKIP() << "ss (iproute2) is not installed";
  // "LISTEN 0 4096 127.0.0.1:PORT 0.0.0.0:*": state, Recv-Q, Send-Q (the queue).
  char state[32] = {};
  unsigned long recvq = 0, queue = 0;
  ASSERT_EQ(std::sscanf(line, "%31s %lu %lu", state, &recvq, &queue), 3) << line;
  EXPECT_STREQ(state, "LISTEN");
  unsigned long somaxconn = 4096;
  std::ifstream("/proc/sys/net/core/somaxconn") >> somaxconn;
  EXPECT_GE(queue, std::min<unsigned long>(1024, somaxconn)) << line;
}

TEST_F(ServerLimits, ConnectionCapsCloseTheSurplusAtOnce) {
  TServerOptions opt;
  opt.MaxConnectionsPerAddress = 3;
  Start(opt);
  std::vector<std::unique_ptr<Raw>> held;
  for (int i = 0; i < 3; ++i) held.push_back(std::make_unique<Raw>(port_));
  std::this_thread::sleep_for(100ms);
  Raw extra(port_, 2000);
  extra.Send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_TRUE(extra.Closed());
  EXPECT_GE(server_->ConnectionsRefused(), 1u);
  held[0]->Send("GET /mine HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(Status(held[0]->ReadReply()), 200);
  held.pop_back();  // one place free again
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(TimedGet("/again").first, 200);
}

TEST_F(ServerLimits, MultipartParsingIsLinear) {
  TServerOptions opt;
  opt.MaxUploadBytes = 16 * 1024 * 1024;
  opt.MaxBufferedBodyBytes = 16 * 1024 * 1024;
  std::atomic<size_t> fileBytes{0};
  Start(opt, [&](THTTPRequest& req, THTTPReply& r) {
    if (!req.Files().empty()) fileBytes = req.Files()[0].Data.size();
    r.WriteString("x");
  });
  const std::string boundary = "----WebKitFormBoundary7MA4YWxkTrZu0gW";
  std::string filler;
  while (filler.size() < 8 * 1024 * 1024) filler += "\r\n--" + boundary.substr(0, 30) + "\r\n--";
  std::string body = "--" + boundary +
                     "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a\"\r\n\r\n" +
                     filler + "\r\n--" + boundary + "--\r\n";
  Raw c(port_, 20000);
  auto t0 = Clock::now();
  c.Send("POST / HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=" + boundary +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
  EXPECT_EQ(Status(c.ReadReply()), 200);
  EXPECT_LT(Clock::now() - t0, 8s);  // quadratic scanning would take hours
  EXPECT_EQ(fileBytes.load(), filler.size());
}

TEST_F(ServerLimits, AGibibyteBodyIsReadInChunksInBoundedMemory) {
  constexpr uint64_t kSize = 1ull << 30;
  TServerOptions opt;
  opt.MaxUploadBytes = kSize;
  std::atomic<uint64_t> got{0};
  std::atomic<size_t> peakKiB{0};
  Start(opt, [&](THTTPRequest& req, THTTPReply& r) {
    EXPECT_TRUE(req.BodyPending());
    EXPECT_TRUE(req.Content.empty());
    std::vector<char> buf(256 * 1024);
    uint64_t total = 0;
    while (size_t n = req.BodySource().Read(buf.data(), buf.size())) {
      total += n;
      if ((total & ((64 << 20) - 1)) < n) peakKiB = std::max(peakKiB.load(), RssKiB());
    }
    got = total;
    r.WriteString("read " + std::to_string(total));
  });
  const size_t before = RssKiB();
  Raw c(port_, 30000);
  c.Send(
      "POST /upload HTTP/1.1\r\nHost: x\r\nContent-Type: "
      "application/octet-stream\r\nContent-Length: " +
      std::to_string(kSize) + "\r\n\r\n");
  std::string block(1 << 20, 'z');
  for (uint64_t sent = 0; sent < kSize; sent += block.size()) ASSERT_TRUE(c.Send(block));
  std::string r = c.ReadReply();
  EXPECT_EQ(Status(r), 200);
  EXPECT_EQ(got.load(), kSize);
  std::printf("1 GiB body read: RSS growth %zu KiB\n",
              peakKiB.load() > before ? peakKiB.load() - before : 0);
  if (kMeasureRss) {
    EXPECT_LT(peakKiB.load(), before + 16 * 1024)
        << "RSS before " << before << " KiB, peak " << peakKiB.load();
  }
}

TEST_F(ServerLimits, AStreamedBodyOverItsLimitIsRefusedWhileItStreams) {
  TServerOptions opt;
  opt.MaxUploadBytes = 1 << 20;
  opt.MaxBufferedBodyBytes = 4096;
  std::atomic<uint64_t> handed{0};
  Start(opt, [&](THTTPRequest& req, THTTPReply& r) {
    char buf[8192];
    // The source throws EHTTPBodyError(413) past the limit; the server answers it.
    while (size_t n = req.BodySource().Read(buf, sizeof buf)) handed += n;
    r.WriteString("all read");
  });
  Raw c(port_, 5000);
  c.Send(
      "POST /up HTTP/1.1\r\nHost: x\r\nContent-Type: "
      "application/octet-stream\r\nTransfer-Encoding: chunked\r\n\r\n");
  std::string chunk = "10000\r\n" + std::string(0x10000, 'q') + "\r\n";
  // Up to 8 MiB, but the answer comes after the first MiB.
  for (int i = 0; i < 128; ++i) {
    if (!c.Send(chunk)) break;
    pollfd p{c.Fd(), POLLIN, 0};
    if (::poll(&p, 1, 0) > 0) break;
  }
  EXPECT_EQ(Status(c.ReadUntil("\r\n\r\n")), 413);
  EXPECT_LE(handed.load(), opt.MaxUploadBytes);
}

// A handler that stops reading a streamed body part-way and answers, as an
// upload over its size cap does: the answer goes out, the connection ends
// after it, and the server is free for the next client at once. The same for
// a chunked body and one with a length, sent after 100 Continue or without
// waiting for it. The chunks (1000 bytes) never end where the server's
// read-ahead does, so the server holds body bytes it has no room for when
// the handler stops.
TEST_F(ServerLimits, ABodyTheHandlerStopsReadingEndsTheConnectionAfterItsReply) {
  constexpr uint64_t kCap = 256 * 1024;
  constexpr int kPieces = 6000;
  TServerOptions opt;
  opt.MaxBufferedBodyBytes = 4096;
  std::atomic<uint64_t> taken{0};
  Start(opt, [&](THTTPRequest& req, THTTPReply& r) {
    r.SetContentType("application/json");
    if (!req.BodyPending()) return r.WriteString("{\"ping\":true}");
    char buf[16384];
    uint64_t total = 0;
    while (total <= kCap) {
      const size_t n = req.BodySource().Read(buf, sizeof buf);
      if (n == 0) break;
      total += n;
    }
    taken = total;
    std::this_thread::sleep_for(50ms);  // the server reads ahead meanwhile
    r.WriteString("{\"success\":false}");
  });
  struct Shape {
    const char* name;
    bool chunked, expect;
  };
  for (const Shape s : {Shape{"chunked, Expect", true, true}, Shape{"chunked", true, false},
                        Shape{"Content-Length, Expect", false, true}}) {
    SCOPED_TRACE(s.name);
    Raw c(port_, 3000);
    std::string head = "POST /up HTTP/1.1\r\nHost: x\r\nContent-Type: application/octet-stream\r\n";
    head += s.chunked ? std::string("Transfer-Encoding: chunked\r\n")
                      : "Content-Length: " + std::to_string(kPieces * 1000) + "\r\n";
    if (s.expect) head += "Expect: 100-continue\r\n";
    ASSERT_TRUE(c.Send(head + "\r\n"));
    if (s.expect) {
      ASSERT_EQ(c.ReadUntil("\r\n\r\n").substr(0, 25), "HTTP/1.1 100 Continue\r\n\r\n");
      c.Buffer().clear();
    }
    // The body goes on from a second thread for as long as the server takes it.
    std::thread sender([&c, chunked = s.chunked] {
      const std::string data(1000, 'u');
      const std::string piece = chunked ? "3e8\r\n" + data + "\r\n" : data;
      bool ok = true;
      for (int i = 0; i < kPieces && ok; ++i) ok = c.Send(piece);
      if (ok && chunked) c.Send("0\r\n\r\n");
    });
    const std::string reply = c.ReadReply();
    EXPECT_EQ(Status(reply), 200);
    EXPECT_NE(reply.find("\r\nConnection: close\r\n"), std::string::npos) << reply;
    EXPECT_NE(reply.find("{\"success\":false}"), std::string::npos) << reply;
    EXPECT_TRUE(c.Closed());
    sender.join();
    EXPECT_GT(taken.load(), kCap);
    EXPECT_LE(taken.load(), kCap + 16384);
    // The only I/O thread is free: a new client is answered at once.
    const auto [status, took] = TimedGet("/ping");
    EXPECT_EQ(status, 200);
    EXPECT_LT(took, 1s);
  }
}

TEST_F(ServerLimits, AChunkHeaderSplitAcrossReadsWaitsForItsRest) {
  TServerOptions opt;
  opt.MaxBufferedBodyBytes = 16;
  std::atomic<uint64_t> got{0};
  Start(opt, [&](THTTPRequest& req, THTTPReply& r) {
    char buf[4096];
    while (size_t n = req.BodySource().Read(buf, sizeof buf)) got += n;
    r.WriteString("read " + std::to_string(got.load()));
  });
  Raw c(port_, 5000);
  ASSERT_TRUE(
      c.Send("POST /up HTTP/1.1\r\nHost: x\r\nContent-Type: "
             "application/octet-stream\r\nTransfer-Encoding: chunked\r\n\r\n"));
  // Each piece ends inside the next chunk's size line, so the server is left
  // holding bytes it cannot parse until the rest arrives.
  const std::string data(1000, 'd');
  ASSERT_TRUE(c.Send("3e8\r\n" + data + "\r\n3"));
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(c.Send("e8\r\n" + data + "\r\n"));
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(c.Send("0\r"));
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(c.Send("\n\r\n"));
  const std::string r = c.ReadReply();
  EXPECT_EQ(Status(r), 200);
  EXPECT_NE(r.find("read 2000"), std::string::npos) << r;
}

TEST_F(ServerLimits, AGibibyteReplyStreamsWithBackPressure) {
  constexpr uint64_t kSize = 1ull << 30;
  std::atomic<uint64_t> produced{0};
  Start({}, [&](THTTPRequest& req, THTTPReply& r) {
    r.SetContentType("application/octet-stream");
    auto left = std::make_shared<uint64_t>(kSize);
    auto stream =
        std::make_unique<TFunctionReplyStream>([left, &produced](char* buf, size_t size) -> size_t {
          const size_t n = static_cast<size_t>(std::min<uint64_t>(size, *left));
          std::memset(buf, 'r', n);
          *left -= n;
          produced += n;
          return n;
        });
    if (req.PathInfo() == "/sized")
      r.SendStream(std::move(stream), kSize);
    else
      r.SendStream(std::move(stream));  // chunked
  });
  const size_t before = RssKiB();
  size_t peak = before;
  {
    // A reader that stops: the producer stops too, a few buffers ahead.
    Raw c(port_);
    c.Send("GET /sized HTTP/1.1\r\nHost: x\r\n\r\n");
    c.ReadUntil("\r\n\r\n");
    EXPECT_NE(c.Buffer().find("Content-Length: 1073741824"), std::string::npos);
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(produced.load(), 32ull << 20);
  }
  produced = 0;
  Raw c(port_, 30000);
  c.Send("GET /chunked HTTP/1.1\r\nHost: x\r\n\r\n");
  c.ReadUntil("\r\n\r\n");
  ASSERT_NE(c.Buffer().find("Transfer-Encoding: chunked"), std::string::npos);
  // Decode the chunks and count the payload.
  std::string& b = c.Buffer();
  b.erase(0, b.find("\r\n\r\n") + 4);
  uint64_t payload = 0;
  bool ended = false;
  while (!ended) {
    size_t eol;
    while ((eol = b.find("\r\n")) == std::string::npos) ASSERT_TRUE(c.Fill());
    const size_t n = std::stoul(b.substr(0, eol), nullptr, 16);
    while (b.size() < eol + 2 + n + 2) ASSERT_TRUE(c.Fill());
    payload += n;
    ended = n == 0;
    b.erase(0, eol + 2 + n + 2);
    if ((payload & ((64 << 20) - 1)) < n) peak = std::max(peak, RssKiB());
  }
  EXPECT_EQ(payload, kSize);
  std::printf("1 GiB chunked reply: RSS growth %zu KiB\n", peak - before);
  if (kMeasureRss) {
    EXPECT_LT(peak, before + 16 * 1024) << "RSS before " << before << " KiB, peak " << peak;
  }
  // The connection carries on after a chunked reply.
  c.Send("GET /chunked HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
  EXPECT_NE(c.ReadUntil("\r\n\r\n").find("200 OK"), std::string::npos);
}

TEST_F(ServerLimits, ExpectContinueIsAnsweredBeforeTheBody) {
  Start({});
  Raw c(port_);
  c.Send(
      "POST /e HTTP/1.1\r\nHost: x\r\nContent-Type: text/plain\r\nContent-Length: 5\r\nExpect: "
      "100-continue\r\n\r\n");
  EXPECT_EQ(c.ReadUntil("\r\n\r\n").substr(0, 25), "HTTP/1.1 100 Continue\r\n\r\n");
  c.Buffer().clear();
  c.Send("hello");
  EXPECT_NE(c.ReadReply().find("ok /e 5"), std::string::npos);
}

TEST_F(ServerLimits, StopClosesIdleConnectionsAtOnce) {
  Start({});
  std::vector<std::unique_ptr<Raw>> idle;
  for (int i = 0; i < 200; ++i) idle.push_back(std::make_unique<Raw>(port_));
  idle[0]->Send("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(Status(idle[0]->ReadReply()), 200);
  std::this_thread::sleep_for(100ms);
  auto t0 = Clock::now();
  server_->Stop();
  EXPECT_LT(Clock::now() - t0, 1s);
  EXPECT_TRUE(idle[1]->Closed());
  EXPECT_EQ(server_->OpenConnections(), 0u);
}

// A whole (not streamed) reply larger than the socket takes at once: what the
// first send leaves is written as the client reads, byte for byte, and the
// connection is usable afterwards.
TEST_F(ServerLimits, AWholeReplyLargerThanTheSocketBufferArrivesIntact) {
  std::string big(6 * 1024 * 1024, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  Start({}, [&big](THTTPRequest& req, THTTPReply& reply) {
    reply.SetContentType("text/plain");
    reply.WriteString(req.PathInfo() == "/big" ? big : "small");
  });
  Raw c(port_);
  c.Send("GET /big HTTP/1.1\r\nHost: x\r\n\r\n");
  std::this_thread::sleep_for(200ms);  // the socket fills while nobody reads
  const std::string r = c.ReadReply();
  ASSERT_EQ(Status(r), 200);
  const size_t body = r.find("\r\n\r\n") + 4;
  EXPECT_NE(r.find("Content-Length: " + std::to_string(big.size()) + "\r\n"), std::string::npos);
  EXPECT_TRUE(r.compare(body, std::string::npos, big) == 0);
  c.Send("GET /small HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::string second = c.ReadReply();
  EXPECT_EQ(second.substr(second.size() - 5), "small");
}

// Requests that follow their reply at once are read by the worker that
// answered; whatever shape they come in (a head split over two sends, a body
// behind the head, two requests in one send, a malformed one), each gets its
// own reply in order, and a close right after a reply is noticed.
TEST_F(ServerLimits, RequestsRightAfterAReplyAreServedWhateverTheirShape) {
  TServerOptions opt;
  opt.Workers = 4;
  Start(opt);
  {
    Raw c(port_);
    c.Send("GET /a HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(c.ReadReply().find("ok /a 0"), std::string::npos);
    c.Send("GET /b HTTP/1.1\r\nHo");
    std::this_thread::sleep_for(20ms);
    c.Send("st: x\r\n\r\n");
    EXPECT_NE(c.ReadReply().find("ok /b 0"), std::string::npos);
    c.Send("POST /c HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\n");
    std::this_thread::sleep_for(20ms);
    c.Send("hello");
    EXPECT_NE(c.ReadReply().find("ok /c 5"), std::string::npos);
    c.Send("GET /d HTTP/1.1\r\nHost: x\r\n\r\nGET /e HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(c.ReadReply().find("ok /d 0"), std::string::npos);
    EXPECT_NE(c.ReadReply().find("ok /e 0"), std::string::npos);
    c.Send("BROKEN\r\n\r\n");
    EXPECT_EQ(Status(c.ReadReply()), 400);
    EXPECT_TRUE(c.Closed());
  }  // the client closes: the server lingers no longer
  Raw quitter(port_);
  quitter.Send("GET /f HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_NE(quitter.ReadReply().find("ok /f 0"), std::string::npos);
  ::shutdown(quitter.Fd(), SHUT_WR);
  EXPECT_TRUE(quitter.Closed());
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(server_->OpenConnections(), 0u);
}

// Stop() while a reply is still going out: the client gets the whole reply,
// and the connection ends then instead of waiting out its keep-alive time.
TEST_F(ServerLimits, StopEndsAConnectionWhoseReplyWasGoingOut) {
  TServerOptions opt;
  opt.KeepAliveTimeoutSeconds = 20;
  opt.StopTimeoutSeconds = 20;
  const std::string big(8 * 1024 * 1024, 'x');
  Start(opt, [&big](THTTPRequest&, THTTPReply& reply) {
    reply.SetContentType("text/plain");
    reply.WriteString(big);
  });
  Raw c(port_);
  c.Send("GET /big HTTP/1.1\r\nHost: x\r\n\r\n");
  std::this_thread::sleep_for(200ms);  // the reply waits for the client to read
  auto t0 = Clock::now();
  std::thread stopper([this] { server_->Stop(); });
  std::this_thread::sleep_for(100ms);
  const std::string r = c.ReadReply();
  EXPECT_EQ(Status(r), 200);
  EXPECT_EQ(r.size() - (r.find("\r\n\r\n") + 4), big.size());
  EXPECT_TRUE(c.Closed());
  stopper.join();
  EXPECT_LT(Clock::now() - t0, 5s);
  EXPECT_EQ(server_->OpenConnections(), 0u);
}

}  // namespace
}  // namespace zq
