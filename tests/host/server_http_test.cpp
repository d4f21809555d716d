// The embedded HTTP server over a real loopback socket: what reaches the
// handler, what goes back, limits, keep-alive, workers and shutdown.
#include "host/server/server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/http.h"

namespace zq {
namespace {

using namespace std::chrono_literals;

struct Response {
  int status = 0;
  std::map<std::string, std::vector<std::string>> headers;  // lower-case names
  std::string body;
  std::string Header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second.front();
  }
};

// A plain HTTP/1.1 client on one connection, with 5 s socket time-outs.
class Connection {
 public:
  explicit Connection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval tv{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~Connection() { ::close(fd_); }
  bool Connected() const { return connected_; }

  bool Send(const std::string& data) {
    size_t off = 0;
    while (off < data.size()) {
      ssize_t n = ::send(fd_, data.data() + off, data.size() - off, MSG_NOSIGNAL);
      if (n <= 0) return false;
      off += static_cast<size_t>(n);
    }
    return true;
  }

  // Reads one response; `head` true for the answer to a HEAD request (no body).
  bool Read(Response& r, bool head = false) {
    size_t end;
    while ((end = buf_.find("\r\n\r\n")) == std::string::npos) {
      if (!Fill()) return false;
    }
    std::string headText = buf_.substr(0, end);
    buf_.erase(0, end + 4);
    r = Response();
    r.status = std::stoi(headText.substr(9, 3));
    size_t pos = headText.find("\r\n");
    while (pos != std::string::npos) {
      size_t next = headText.find("\r\n", pos + 2);
      std::string line =
          headText.substr(pos + 2, next == std::string::npos ? std::string::npos : next - pos - 2);
      size_t colon = line.find(':');
      std::string name = line.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      std::string value = line.substr(colon + 1);
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
      r.headers[name].push_back(value);
      pos = next;
    }
    size_t length =
        head ? 0
             : static_cast<size_t>(std::stoul(
                   r.Header("content-length").empty() ? "0" : r.Header("content-length")));
    while (buf_.size() < length) {
      if (!Fill()) return false;
    }
    r.body = buf_.substr(0, length);
    buf_.erase(0, length);
    return true;
  }

  Response Request(const std::string& raw, bool head = false) {
    Response r;
    EXPECT_TRUE(Send(raw));
    EXPECT_TRUE(Read(r, head));
    return r;
  }

 private:
  bool Fill() {
    char tmp[65536];
    ssize_t n = ::recv(fd_, tmp, sizeof tmp, 0);
    if (n <= 0) return false;
    buf_.append(tmp, static_cast<size_t>(n));
    return true;
  }
  int fd_;
  bool connected_ = false;
  std::string buf_;
};

std::string Post(const std::string& path, const std::string& type, const std::string& body,
                 const std::string& extraHeaders = "") {
  return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " + type +
         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders + "\r\n" +
         body;
}

// What the handler saw of the last request.
struct Seen {
  std::mutex m;
  std::string method, url, path, host, remote, content, contentType, cookie, agent;
  std::vector<std::string> fields;
  std::vector<THTTPFile> files;
  int calls = 0;
  int keptReleased = 0;
  bool keptReleasedOnHandlerThread = false;
};

class ServerTest : public ::testing::Test {
 protected:
  // Handlers run on the server's workers: read what they recorded under the lock.
  int Calls() {
    std::lock_guard<std::mutex> lock(seen_.m);
    return seen_.calls;
  }

  void StartServer(TServerOptions opt = {}) {
    opt.Port = 0;
    server_ = std::make_unique<TZQHTTPServer>(
        [this](THTTPRequest& req, THTTPReply& reply) {
          {
            std::lock_guard<std::mutex> lock(seen_.m);
            ++seen_.calls;
            seen_.method = req.Method;
            seen_.url = req.URL;
            seen_.path = req.PathInfo();
            seen_.host = req.Host;
            seen_.remote = req.RemoteAddr;
            seen_.content = req.Content;
            seen_.contentType = req.ContentType();
            seen_.cookie = req.GetCookie("ZQSESSION");
            seen_.agent = req.UserAgent();
            seen_.fields = req.Params().AsLines();
            seen_.files = req.Files();
          }
          if (req.PathInfo() == "/throw") throw std::runtime_error("handler broke");
          if (req.PathInfo() == "/slow") std::this_thread::sleep_for(300ms);
          if (req.PathInfo() == "/kept") {
            // What the body was made from, released with the reply.
            reply.Keep(std::shared_ptr<const void>(
                new int(0), [this, handler = std::this_thread::get_id()](const void* p) {
                  delete static_cast<const int*>(p);
                  std::lock_guard<std::mutex> lock(seen_.m);
                  seen_.keptReleasedOnHandlerThread = std::this_thread::get_id() == handler;
                  ++seen_.keptReleased;
                }));
            reply.SetContentType("application/octet-stream");
            reply.SetBody(std::string(8 << 20, 'k'));  // more than the socket takes at once
            return;
          }
          reply.SetContentType("text/plain; charset=utf-8");
          reply.SetHeader("X-Test", "yes");
          THTTPCookie c("ZQSESSION", "abc");
          c.HttpOnly = true;
          c.SameSite = "Lax";
          reply.Cookies().push_back(c);
          reply.WriteString("echo " + req.PathInfo());
        },
        opt);
    port_ = server_->Start();
    ASSERT_GT(port_, 0);
  }
  void TearDown() override {
    if (server_) server_->Stop();
  }
  Seen seen_;
  std::unique_ptr<TZQHTTPServer> server_;
  int port_ = 0;
};

TEST_F(ServerTest, WhatAReplyKeepsIsReleasedOnItsHandlerThreadOnceTheReplyIsOnItsWay) {
  StartServer();
  Connection c(port_);
  Response r = c.Request("GET /kept HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body.size(), 8u << 20);
  for (int i = 0; i < 100; ++i) {
    {
      std::lock_guard<std::mutex> lock(seen_.m);
      if (seen_.keptReleased) break;
    }
    std::this_thread::sleep_for(10ms);
  }
  std::lock_guard<std::mutex> lock(seen_.m);
  EXPECT_EQ(seen_.keptReleased, 1);
  EXPECT_TRUE(seen_.keptReleasedOnHandlerThread);  // never on the I/O thread
}

TEST_F(ServerTest, GetReachesTheHandlerAndTheReplyGoesBack) {
  StartServer();
  EXPECT_EQ(server_->Options().BindAddress, "127.0.0.1");
  Connection c(port_);
  ASSERT_TRUE(c.Connected());
  Response r = c.Request(
      "GET /a%20b/page?x=1&y=%C3%A9 HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: T/1\r\n"
      "Cookie: other=1; ZQSESSION=s1\r\n\r\n");
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "echo /a b/page");
  EXPECT_EQ(r.Header("content-type"), "text/plain; charset=utf-8");
  EXPECT_EQ(r.Header("x-test"), "yes");
  ASSERT_EQ(r.headers["set-cookie"].size(), 1u);
  EXPECT_NE(r.Header("set-cookie").find("ZQSESSION=abc"), std::string::npos);
  EXPECT_NE(r.Header("set-cookie").find("HttpOnly"), std::string::npos);
  EXPECT_NE(r.Header("set-cookie").find("SameSite=Lax"), std::string::npos);
  std::lock_guard<std::mutex> lock(seen_.m);
  EXPECT_EQ(seen_.method, "GET");
  EXPECT_EQ(seen_.url, "/a%20b/page?x=1&y=%C3%A9");
  EXPECT_EQ(seen_.host, "127.0.0.1");
  EXPECT_EQ(seen_.remote, "127.0.0.1");
  EXPECT_EQ(seen_.cookie, "s1");
  EXPECT_EQ(seen_.agent, "T/1");
  EXPECT_EQ(seen_.fields, (std::vector<std::string>{"x=1", "y=\xC3\xA9"}));
}

TEST_F(ServerTest, KeepAliveServesSeveralRequestsOnOneConnection) {
  StartServer();
  Connection c(port_);
  for (int i = 0; i < 5; ++i) {
    Response r = c.Request("GET /n" + std::to_string(i) + " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "echo /n" + std::to_string(i));
  }
  EXPECT_EQ(server_->RequestsServed(), 5u);
}

TEST_F(ServerTest, HeadIsAnsweredAsGetWithoutBody) {
  StartServer();
  Connection c(port_);
  Response r = c.Request("HEAD /h HTTP/1.1\r\nHost: x\r\n\r\n", true);
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.Header("content-length"), "7");
  // the connection carries on: no body bytes were left behind
  Response r2 = c.Request("GET /after HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(r2.body, "echo /after");
  std::lock_guard<std::mutex> lock(seen_.m);
  EXPECT_EQ(seen_.method, "GET");
}

TEST_F(ServerTest, LargeFormBodiesWithinTheLimitArriveWhole) {
  StartServer();
  Connection c(port_);
  std::string value(200 * 1024, 'v');  // far above the HTTP library's own form limit
  Response r =
      c.Request(Post("/$/callback?callback=B.DoAjaxRequest", "application/x-www-form-urlencoded",
                     "ajaxevent=OnClick&big=" + value + "&ZQ_TOKEN=t"));
  EXPECT_EQ(r.status, 200);
  std::lock_guard<std::mutex> lock(seen_.m);
  ASSERT_EQ(seen_.fields.size(), 3u);
  EXPECT_EQ(seen_.fields[0], "ajaxevent=OnClick");
  EXPECT_EQ(seen_.fields[1], "big=" + value);
  EXPECT_EQ(seen_.fields[2], "ZQ_TOKEN=t");
}

TEST_F(ServerTest, BodiesOverTheirLimitGet413AndTheConnectionStaysUsable) {
  TServerOptions opt;
  opt.MaxRequestBytes = 1000;
  opt.MaxUploadBytes = 5000;
  StartServer(opt);
  Connection c(port_);
  Response r =
      c.Request(Post("/form", "application/x-www-form-urlencoded", "a=" + std::string(1200, 'x')));
  EXPECT_EQ(r.status, 413);
  EXPECT_EQ(Calls(), 0);
  // A raw body no content parser claims keeps the request limit...
  Response raw = c.Request(Post("/up", "application/octet-stream", std::string(1200, 'u')));
  EXPECT_EQ(raw.status, 413);
  EXPECT_EQ(Calls(), 0);
  // ...a claimed one of the same size is within the upload limit, and the
  // claim is asked only for requests with a body.
  std::atomic<int> asked{0};
  const int claim = RegisterContentParser([&asked](const THTTPRequest& ARequest) {
    ++asked;
    return ARequest.Method == "POST" && ARequest.GetHeader("X-Raw") == "yes";
  });
  Response unclaimed = c.Request(Post("/up", "application/octet-stream", std::string(1200, 'u')));
  EXPECT_EQ(unclaimed.status, 413);
  EXPECT_EQ(asked.load(), 1);
  EXPECT_EQ(c.Request("GET /page HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);
  EXPECT_EQ(asked.load(), 1);
  Response up =
      c.Request(Post("/up", "application/octet-stream", std::string(1200, 'u'), "X-Raw: yes\r\n"));
  EXPECT_EQ(up.status, 200);
  {
    std::lock_guard<std::mutex> lock(seen_.m);
    EXPECT_EQ(seen_.content, std::string(1200, 'u'));
  }
  Connection c2(port_);
  Response big =
      c2.Request(Post("/up", "application/octet-stream", std::string(6000, 'u'), "X-Raw: yes\r\n"));
  EXPECT_EQ(big.status, 413);
  EXPECT_EQ(Calls(), 2);  // the page and the claimed upload
  EXPECT_GE(server_->RequestsRefused(), 4u);
  UnregisterContentParser(claim);
}

TEST_F(ServerTest, MultipartPartsReachTheHandlerUnchanged) {
  StartServer();
  static const char kBinary[] = "line1\r\n--not-a-boundary\r\n\0\xff end";
  std::string binary(kBinary, sizeof kBinary - 1);
  std::string body =
      "--XyZ\r\nContent-Disposition: form-data; name=\"EDIT1\"\r\n\r\nh\xC3\xA9llo\r\n"
      "--XyZ\r\nContent-Disposition: form-data; name=\"FILE1\"; filename=\"a b.bin\"\r\n"
      "Content-Type: application/x-thing\r\n\r\n" +
      binary +
      "\r\n"
      "--XyZ\r\nContent-Disposition: form-data; name=\"EMPTY\"; filename=\"\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\n\r\n"
      "--XyZ--\r\n";
  Connection c(port_);
  Response r = c.Request(Post("/", "multipart/form-data; boundary=XyZ", body));
  EXPECT_EQ(r.status, 200);
  std::lock_guard<std::mutex> lock(seen_.m);
  EXPECT_EQ(seen_.fields, (std::vector<std::string>{"EDIT1=h\xC3\xA9llo"}));
  ASSERT_EQ(seen_.files.size(), 2u);
  EXPECT_EQ(seen_.files[0].FieldName, "FILE1");
  EXPECT_EQ(seen_.files[0].FileName, "a b.bin");
  EXPECT_EQ(seen_.files[0].ContentType, "application/x-thing");
  EXPECT_EQ(seen_.files[0].Data, binary);
  EXPECT_EQ(seen_.files[1].FieldName, "EMPTY");
  EXPECT_EQ(seen_.files[1].Data, "");
}

TEST_F(ServerTest, AHandlerExceptionGives500AndServingGoesOn) {
  StartServer();
  Connection c(port_);
  Response r = c.Request("GET /throw HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_EQ(r.status, 500);
  EXPECT_EQ(r.body, "Internal Server Error\n");  // no details for the client
  EXPECT_EQ(server_->HandlerErrors(), 1u);
  EXPECT_EQ(c.Request("GET /ok HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);
}

TEST_F(ServerTest, WorkersServeConnectionsInParallel) {
  TServerOptions opt;
  opt.Workers = 4;
  StartServer(opt);
  auto t0 = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&] {
      Connection c(port_);
      if (c.Request("GET /slow HTTP/1.1\r\nHost: x\r\n\r\n").status == 200) ++ok;
    });
  }
  for (auto& t : threads) t.join();
  auto elapsed = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(ok.load(), 4);
  EXPECT_LT(elapsed, 1000ms);  // four 300 ms requests, one after the other, would take 1.2 s
}

TEST_F(ServerTest, StopLetsARequestUnderWayFinish) {
  StartServer();
  Connection c(port_);
  ASSERT_TRUE(c.Send("GET /slow HTTP/1.1\r\nHost: x\r\n\r\n"));
  std::this_thread::sleep_for(100ms);  // the request is in the handler now
  std::thread stopper([this] { server_->Stop(); });
  Response r;
  ASSERT_TRUE(c.Read(r));
  EXPECT_EQ(r.status, 200);
  EXPECT_EQ(r.body, "echo /slow");
  stopper.join();
  EXPECT_FALSE(server_->Running());
  Connection after(port_);
  EXPECT_FALSE(after.Connected());
  server_->Wait();  // returns at once once stopped
}

TEST_F(ServerTest, APortInUseIsAClearError) {
  StartServer();
  TServerOptions opt;
  opt.Port = port_;
  TZQHTTPServer second([](THTTPRequest&, THTTPReply&) {}, opt);
  try {
    second.Start();
    FAIL() << "expected EServerError";
  } catch (const EServerError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot listen on 127.0.0.1:" + std::to_string(port_));
  }
}

}  // namespace
}  // namespace zq
