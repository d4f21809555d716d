// The embedded HTTP server on cpp-httplib (Debian's libcpp-httplib).
//
// Every method and path goes to the one handler; bodies are read through the
// library's content reader so that this file decides the limits:
// - a body longer than the limit of its kind (uploads: multipart/form-data and
//   application/octet-stream; everything else: MaxRequestBytes) is read and
//   dropped, and the answer is 413, so a kept-alive connection stays usable;
// - multipart bodies arrive from the library already split into parts; they
//   are written back into one multipart body (with a boundary of our own) so
//   that THTTPRequest::Parse sees what the browser sent.
// HEAD is answered as GET without the body.
#include "host/server/server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/asciicase.h"
#include "host/http.h"

namespace zq {

namespace {

bool IsMultipart(std::string_view contentType) { return StartsWithTextAscii(contentType, "multipart/form-data"); }

bool IsUpload(std::string_view contentType) {
  return IsMultipart(contentType) || StartsWithTextAscii(contentType, "application/octet-stream");
}

struct Part {
  std::string Name, FileName, ContentType, Data;
  bool IsFile = false;
};

// A quoted-string parameter value as browsers write it: CR, LF and '"' are
// percent-encoded.
std::string QuoteParam(std::string_view value) {
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') {
      out += "%22";
    } else if (c == '\r') {
      out += "%0D";
    } else if (c == '\n') {
      out += "%0A";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// One multipart/form-data body of the parts; the boundary is chosen so that
// it occurs in none of them.
std::string BuildMultipart(const std::vector<Part>& parts, std::string& boundary) {
  for (unsigned n = 0;; ++n) {
    boundary = "----zqpart" + std::to_string(n) + "x7Rq2";
    bool clash = false;
    for (const Part& p : parts) {
      if (p.Data.find(boundary) != std::string::npos) {
        clash = true;
        break;
      }
    }
    if (!clash) break;
  }
  std::string body;
  for (const Part& p : parts) {
    body += "--" + boundary + "\r\nContent-Disposition: form-data; name=" + QuoteParam(p.Name);
    if (p.IsFile) body += "; filename=" + QuoteParam(p.FileName);
    body += "\r\n";
    if (!p.ContentType.empty()) body += "Content-Type: " + StripCRLF(p.ContentType) + "\r\n";
    body += "\r\n";
    body += p.Data;
    body += "\r\n";
  }
  body += "--" + boundary + "--\r\n";
  return body;
}

}  // namespace

struct TZQHTTPServer::Impl {
  Handler handler;
  TServerOptions opt;
  httplib::Server svr;
  std::thread thread;
  std::atomic<int> port{0};
  std::atomic<uint64_t> served{0}, refused{0}, errors{0};
  std::mutex m;
  std::condition_variable cv;
  bool started = false;
  bool stopped = false;

  void Refuse(httplib::Response& res, int code, const std::string& text) {
    ++refused;
    res.status = code;
    res.set_content(text + "\n", "text/plain; charset=utf-8");
  }

  void Serve(const httplib::Request& req, httplib::Response& res, std::string body,
             const std::string* contentType) {
    THTTPRequest r;
    r.Method = req.method == "HEAD" ? "GET" : req.method;
    r.URL = req.target.empty() ? req.path : req.target;
    for (const auto& [name, value] : req.headers) {
      if (contentType && (SameTextAscii(name, "content-type") || SameTextAscii(name, "content-length"))) {
        continue;  // replaced below for a rebuilt multipart body
      }
      r.Headers().Add(name, StripCRLF(value));
    }
    if (contentType) {
      r.Headers().Add("Content-Type", *contentType);
      r.Headers().Add("Content-Length", std::to_string(body.size()));
    }
    r.Host = StripCRLF(req.get_header_value("Host"));
    r.ServerPort = port.load();
    r.RemoteAddr = req.remote_addr;
    r.ScriptName = opt.ScriptName;
    r.Content = std::move(body);
    std::string why;
    if (!r.Parse(opt.MaxFields, &why)) {
      Refuse(res, 400, why.empty() ? std::string("Bad Request") : why);
      return;
    }
    THTTPReply reply;
    try {
      handler(r, reply);
    } catch (const std::exception& e) {
      ++errors;
      std::fprintf(stderr, "zq server: %s %s: %s\n", r.Method.c_str(), r.PathInfo().c_str(), e.what());
      reply = THTTPReply();
      reply.SetCode(500);
      reply.SetContentType("text/plain; charset=utf-8");
      reply.WriteString("Internal Server Error\n");
    } catch (...) {
      ++errors;
      reply = THTTPReply();
      reply.SetCode(500);
      reply.SetContentType("text/plain; charset=utf-8");
      reply.WriteString("Internal Server Error\n");
    }
    ++served;
    res.status = reply.Code();
    for (const auto& [name, value] : reply.AllHeaders()) res.set_header(name, value);
    res.body = reply.Body();
  }

  void ServeWithBody(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    const std::string ctype = req.get_header_value("Content-Type");
    const size_t limit = IsUpload(ctype) ? opt.MaxUploadBytes : opt.MaxRequestBytes;
    if (req.has_header("Content-Length")) {
      const std::string declared = req.get_header_value("Content-Length");
      char* end = nullptr;
      const unsigned long long length = std::strtoull(declared.c_str(), &end, 10);
      if (end != declared.c_str() && length > limit) {
        // not read: the connection cannot carry on after an unread body
        res.set_header("Connection", "close");
        return Refuse(res, 413, "Payload Too Large");
      }
    }
    size_t total = 0;
    bool over = false;
    if (IsMultipart(ctype)) {
      std::vector<Part> parts;
      bool ok = reader(
          [&](const httplib::MultipartFormData& header) {
            Part p;
            p.Name = header.name;
            p.FileName = header.filename;
            p.ContentType = header.content_type;
            p.IsFile = !header.filename.empty() || !header.content_type.empty();
            parts.push_back(std::move(p));
            return true;
          },
          [&](const char* data, size_t n) {
            total += n;
            if (total > limit) {
              over = true;  // keep reading, drop the data
              parts.clear();
            } else if (!parts.empty()) {
              parts.back().Data.append(data, n);
            }
            return true;
          });
      if (over || (!ok && total >= limit)) return Refuse(res, 413, "Payload Too Large");
      if (!ok) return Refuse(res, 400, "Malformed multipart body");
      std::string boundary;
      std::string body = BuildMultipart(parts, boundary);
      const std::string type = "multipart/form-data; boundary=" + boundary;
      return Serve(req, res, std::move(body), &type);
    }
    std::string body;
    bool ok = reader([&](const char* data, size_t n) {
      total += n;
      if (total > limit) {
        over = true;
        body.clear();
        body.shrink_to_fit();
      } else {
        body.append(data, n);
      }
      return true;
    });
    if (over || (!ok && total >= limit)) return Refuse(res, 413, "Payload Too Large");
    if (!ok) return Refuse(res, 400, "Bad Request");
    Serve(req, res, std::move(body), nullptr);
  }
};

TZQHTTPServer::TZQHTTPServer(Handler handler, TServerOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
  impl_->opt = std::move(options);
}

TZQHTTPServer::~TZQHTTPServer() { Stop(); }

int TZQHTTPServer::Start() {
  Impl& d = *impl_;
  {
    std::lock_guard<std::mutex> lock(d.m);
    if (d.started) throw EServerError("The server has been started already");
    d.started = true;
  }
  const TServerOptions& o = d.opt;
  const size_t workers = static_cast<size_t>(std::max(1, o.Workers));
  d.svr.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  d.svr.set_payload_max_length(std::max(o.MaxRequestBytes, o.MaxUploadBytes));
  d.svr.set_keep_alive_max_count(static_cast<size_t>(std::max(1, o.KeepAliveMaxCount)));
  d.svr.set_keep_alive_timeout(std::max(1, o.KeepAliveTimeoutSeconds));
  d.svr.set_read_timeout(std::max(1, o.ReadTimeoutSeconds), 0);
  d.svr.set_write_timeout(std::max(1, o.WriteTimeoutSeconds), 0);
  d.svr.set_tcp_nodelay(true);  // headers and body go out in two writes: no Nagle delay
  // SO_REUSEADDR only: a restart may bind at once, but a second server on the
  // same port is an error (the library's default, SO_REUSEPORT, would let two
  // processes share the port silently).
  d.svr.set_socket_options([](int sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });

  auto plain = [&d](const httplib::Request& req, httplib::Response& res) { d.Serve(req, res, std::string(), nullptr); };
  auto withBody = [&d](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
    d.ServeWithBody(req, res, reader);
  };
  const std::string any = ".*";
  d.svr.Get(any, plain);
  d.svr.Options(any, plain);
  d.svr.Post(any, withBody);
  d.svr.Put(any, withBody);
  d.svr.Patch(any, withBody);
  d.svr.Delete(any, withBody);

  int port = o.Port;
  if (port == 0) {
    port = d.svr.bind_to_any_port(o.BindAddress);
    if (port <= 0) throw EServerError("Cannot listen on " + o.BindAddress);
  } else if (!d.svr.bind_to_port(o.BindAddress, port)) {
    throw EServerError("Cannot listen on " + o.BindAddress + ":" + std::to_string(port));
  }
  d.port = port;
  d.thread = std::thread([&d] { d.svr.listen_after_bind(); });
  // The library's stop() does nothing before its loop runs: wait for the loop,
  // so that a Stop() right after Start() cannot be lost.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!d.svr.is_running()) {
    if (std::chrono::steady_clock::now() > deadline) {
      d.svr.stop();
      d.thread.join();
      throw EServerError("The server did not start on " + o.BindAddress + ":" + std::to_string(port));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return port;
}

void TZQHTTPServer::Stop() {
  Impl& d = *impl_;
  {
    std::lock_guard<std::mutex> lock(d.m);
    if (d.stopped) return;
    d.stopped = true;
  }
  d.svr.stop();
  if (d.thread.joinable()) d.thread.join();
  d.cv.notify_all();
}

void TZQHTTPServer::Wait() {
  Impl& d = *impl_;
  std::unique_lock<std::mutex> lock(d.m);
  d.cv.wait(lock, [&d] { return d.stopped; });
}

bool TZQHTTPServer::Running() const { return impl_->svr.is_running(); }
int TZQHTTPServer::Port() const { return impl_->port.load(); }
const TServerOptions& TZQHTTPServer::Options() const { return impl_->opt; }
uint64_t TZQHTTPServer::RequestsServed() const { return impl_->served.load(); }
uint64_t TZQHTTPServer::RequestsRefused() const { return impl_->refused.load(); }
uint64_t TZQHTTPServer::HandlerErrors() const { return impl_->errors.load(); }

}  // namespace zq
